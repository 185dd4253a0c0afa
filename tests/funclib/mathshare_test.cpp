// The factorial table: exact where doubles hold n! exactly, correctly rounded beyond.
#include "funclib/mathshare.h"

#include <gtest/gtest.h>

#include <boost/math/special_functions/factorials.hpp>

namespace {

TEST(MathshareTest, FactorialTable) {
  double exact = 1;
  for (int n = 0; n <= 22; ++n) {  // 22! is the last factorial a double holds exactly
    if (n > 0) exact *= n;
    EXPECT_EQ(mathshare::fcon[n], exact) << n;
  }
  for (int n = 0; n <= mathshare::fcon_max; ++n)
    EXPECT_EQ(mathshare::fcon[n], boost::math::factorial<double>(static_cast<unsigned>(n))) << n;
}

TEST(MathshareTest, FactMaxIsWhereFactorialsReach1e299) {
  // 166! < 1e299 <= 167!: the table serves Fact up to fact_max only.
  EXPECT_LT(mathshare::fcon[166], 1e299);
  EXPECT_GE(mathshare::fcon[167], 1e299);
  EXPECT_GT(mathshare::fact_max, 166.0);
  EXPECT_LT(mathshare::fact_max, 167.0);
}

}  // namespace
