#include "instance/zlmspecs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

TEST(ZlmspecsMapval, ClassifiesSpecialValues) {
  struct row {
    double x;
    int mapval;
    int xmapval;
    const char* why;
  };
  const row rows[] = {
      {-1.0, 0, 0, "negative ordinary"},
      {0.0, 0, 1, "zero"},
      {1e-300, 0, 2, "tiny positive"},
      {9.999e299, 0, 2, "just below undefined"},
      {1e300, 1, 3, "undefined"},
      {2e300, 2, 4, "not available"},
      {3e300, 3, 5, "plus infinity"},
      {4e300, 4, 6, "minus infinity"},
      {5e300, 5, 7, "epsilon"},
      {1.5e300, 1, 3, "not near a multiple counts as undefined"},
      {6e300, 6, 8, "other multiple is an acronym"},
      {1e301, 6, 8, "acronym base"},
      {3e301, 6, 8, "acronym 3"},
      {2e300 * (1 + 1e-7), 2, 4, "within 1e-5 of a multiple"},
      {nan_value, 1, 3, "NaN is undefined, as the binary reader maps it"},
      {-inf, 0, 0, "minus IEEE infinity is an ordinary negative"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(zlmspecs::mapval(r.x), r.mapval);
    EXPECT_EQ(zlmspecs::xmapval(r.x), r.xmapval);
  }
}

TEST(ZlmspecsOldNewVal, ConvertsOlderEncoding) {
  struct row {
    double x;
    double expected;
    const char* why;
  };
  constexpr row rows[] = {
      {12.5, 12.5, "ordinary unchanged"},
      {9e29, 9e29, "below the old undefined"},
      {1e30, 1e300, "undefined"},
      {2e30, 2e300, "not available"},
      {3e30, 3e300, "plus infinity"},
      {4e30, 4e300, "minus infinity"},
      {5e30, 5e300, "epsilon"},
      {7e30, 1e300, "other multiple is undefined"},
      {2.5e30, 1e300, "off a multiple is undefined"},
      {3e31, 3e301, "acronym number kept"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_DOUBLE_EQ(zlmspecs::old_new_val(r.x), r.expected);
  }
}

TEST(ZlmspecsTables, StatusTextsAndFlagsLineUp) {
  EXPECT_EQ(zlmspecs::solvestatustxt[1], "1 Normal Completion");
  EXPECT_EQ(zlmspecs::solvestatustxt[13], "13 System Failure");
  EXPECT_EQ(zlmspecs::modelstatustxt[19], "19 Infeasible - No Solution");
  EXPECT_TRUE(zlmspecs::solvestatustxt[7].empty());
  EXPECT_TRUE(zlmspecs::modelstatustxt[11].empty());
  // Every text starts with its own number.
  const auto numbered = [](auto& table) {
    for (std::size_t i = 1; i < table.size(); ++i) {
      if (table[i].empty()) continue;
      EXPECT_EQ(table[i].substr(0, table[i].find(' ')), std::to_string(i));
    }
  };
  numbered(zlmspecs::modelstatustxt);
  numbered(zlmspecs::solvestatustxt);

  std::string solution;
  for (int i = 1; i <= 19; ++i) solution += zlmspecs::modelsolution[i] ? '1' : '0';
  EXPECT_EQ(solution, "1111111110000011100");
  EXPECT_EQ(zlmspecs::modeltrigger[12] + zlmspecs::modeltrigger[13], 2);
  EXPECT_EQ(zlmspecs::modeltrigger[11], 0);
  EXPECT_EQ(zlmspecs::solvetrigger[7], 0);
  EXPECT_EQ(zlmspecs::solvetrigger[10] + zlmspecs::solvetrigger[11] + zlmspecs::solvetrigger[13], 3);
}

TEST(ZlmspecsTables, TypeTables) {
  EXPECT_EQ(zlmspecs::equctyp[2], 'L');
  EXPECT_EQ(zlmspecs::equstyp[1], " =G= ");
  EXPECT_EQ(zlmspecs::varstyp[3], "s1s");
  for (const auto t : zlmspecs::varstyptxt) EXPECT_EQ(t.size(), 8u) << t;
  EXPECT_TRUE(zlmspecs::varstypi.contains(9));
  EXPECT_FALSE(zlmspecs::varstypi.contains(3));
  EXPECT_TRUE(zlmspecs::varstypx.contains(5));
  EXPECT_FALSE(zlmspecs::varstypx.contains(-1));
  EXPECT_FALSE(zlmspecs::varstypx.contains(40));
}

}  // namespace
