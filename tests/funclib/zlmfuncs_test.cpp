// The function suffixes and the sets of execution-time functions.
#include "funclib/zlmfuncs.h"

#include <gtest/gtest.h>

namespace {

TEST(Zlmfuncs, SuffixTables) {
  const char* names[] = {"",    "",     "Grad",  "Hess",  "GradN", "HessN",
                         "Low", "High", "GradL", "GradH", "Value"};
  constexpr int args[] = {0, 0, 1, 2, 1, 2, 0, 0, 1, 1, 0};
  constexpr int deriv[] = {0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < zlmfuncs::suffcount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(names[i], zlmfuncs::funcsuff[i].str());
    EXPECT_EQ(args[i], zlmfuncs::funcsuffargs[i]);
    EXPECT_EQ(deriv[i], zlmfuncs::funcsuffderivrequest[i]);
  }
}

TEST(Zlmfuncs, SuffixLookupIgnoresCase) {
  struct row {
    const char* suffix;
    int index;
    const char* why;
  };
  constexpr row rows[] = {
      {"grad", 2, "lower case"},   {"VALUE", 10, "upper case"},
      {"hEsSn", 5, "mixed case"},  {"", 1, "the empty suffix is entry 1"},
      {"Gradient", 0, "no entry"}, {"Gra", 0, "a prefix is no match"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(r.index, zlmfuncs::funcsufflookup(r.suffix));
  }
}

TEST(Zlmfuncs, ExecutionTimeSets) {
  constexpr int only[] = {0,  24, 25,  26,  35,  36,  37,  38,  39,  41,  42,  78,  79,  93,  97,
                          98, 99, 104, 105, 106, 107, 111, 115, 117, 118, 119, 120, 121, 122, 123};
  int count = 0;
  for (int n = -1; n <= 256; ++n) count += zlmfuncs::cmexonlyfuncs.contains(n) ? 1 : 0;
  EXPECT_EQ(30, count);
  for (int n : only) EXPECT_TRUE(zlmfuncs::cmexonlyfuncs.contains(n)) << n;
  for (int n : {26, 35, 78, 111, 115}) {
    EXPECT_TRUE(zlmfuncs::cmexreadwrite.contains(n)) << n;
    EXPECT_TRUE(zlmfuncs::cmexonlyfuncs.contains(n)) << "assignable ones are execution-time";
  }
  EXPECT_FALSE(zlmfuncs::cmexreadwrite.contains(24));
}

}  // namespace
