#include "instance/zlmspecs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

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
  EXPECT_EQ(zlmspecs::solvetrigger[10] + zlmspecs::solvetrigger[11] + zlmspecs::solvetrigger[13],
            3);
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

// Every text table word for word: the modelling system matches these texts.
std::string joined(const auto& table) {
  std::string out;
  for (const auto& t : table) out.append(t).append("|");
  return out;
}

std::string members(const zlmspecs::codeset& set, int last) {
  std::string out;
  for (int i = 0; i <= last; ++i) out += set.contains(i) ? '1' : '0';
  return out;
}

TEST(ZlmspecsTables, EveryTextWordForWord) {
  struct row {
    std::string got;
    const char* expected;
    const char* why;
  };
  const row rows[] = {
      {joined(zlmspecs::solvestatustxt),
       "|1 Normal Completion|2 Iteration Interrupt|3 Resource Interrupt|4 Terminated By Solver|"
       "5 Evaluation Interrupt|6 Capability Problems||8 User Interrupt|9 Setup Failure|"
       "10 Solver Failure|11 Internal Solver Failure|12 Solve Processing Skipped|13 System "
       "Failure|",
       "solver status, 7 reserved"},
      {joined(zlmspecs::modelstatustxt),
       "|1 Optimal|2 Locally Optimal|3 Unbounded|4 Infeasible|5 Locally Infeasible|"
       "6 Intermediate Infeasible|7 Feasible Solution|8 Integer Solution|"
       "9 Intermediate Non-Integer|10 Integer Infeasible||12 Error Unknown|13 Error No Solution|"
       "14 No Solution Returned|15 Solved Unique|16 Solved|17 Solved Singular|"
       "18 Unbounded - No Solution|19 Infeasible - No Solution|",
       "model status, 11 reserved"},
      {joined(zlmspecs::varstyp), "x|b|i|s1s|s2s|sc|si|", "column types in written models"},
      {std::string(zlmspecs::equctyp), "EGLNXCB", "row type letters"},
      {joined(zlmspecs::equstyp), " =E= | =G= | =L= | =N= | =X= | =C= | =B= |", "relations"},
      {joined(zlmspecs::varstyptxt),
       "unknown |binary  |integer |positive|negative|free    |sos1    |sos2    |semicont|semiint |",
       "variable kinds, eight characters each"},
      {members(zlmspecs::varstypi, 9), "0110001111", "discrete kinds"},
      {members(zlmspecs::varstypx, 9), "0001110000", "continuous kinds by bound"},
      {joined(zlmspecs::sufftxt), "L|M|LO|UP|SCALE|", "attribute suffixes"},
      {joined(zlmspecs::solveopttxt), "0 Replace|1 Merge|2 Clear|", "solve options"},
      {joined(zlmspecs::solvelinktxt),
       "0 Chain Script|1 Call Script|2 Call Module|3 Async Grid|4 Async Simulate|5 Load Library|"
       "6 ASync Threads|7 Threads Simulate|",
       "solve links"},
      {joined(zlmspecs::solprinttxt), "0 Summary|1 Report|2 Quiet|0 Off|1 On|2 Silent|",
       "solution print"},
      {joined(zlmspecs::platformcodetxt), "0 Unknown|1 DEX|2 LEX|3 WEX|4 DAX|", "platform codes"},
      {joined(zlmspecs::handlestattxt), "0 Unknown|1 Running|2 Ready|3 Failure|", "handle states"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(r.got, r.expected);
  }
  std::string modeltrigger, solvetrigger;
  for (int i = 1; i <= 19; ++i) modeltrigger += zlmspecs::modeltrigger[i] ? '1' : '0';
  for (int i = 1; i <= 13; ++i) solvetrigger += zlmspecs::solvetrigger[i] ? '1' : '0';
  EXPECT_EQ(modeltrigger, "0000000000011000000");
  EXPECT_EQ(solvetrigger, "0000000001101");
}

}  // namespace
