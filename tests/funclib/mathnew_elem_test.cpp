// Elementary and power functions: values, derivatives and the substitutes and reports at
// singularities and overflows.
#include <gtest/gtest.h>

#include <cmath>

#include "support/mathnew_testutil.h"

namespace {

using namespace mathnew_test;

TEST(MathnewElem, SquaresRootsExpAndLogs) {
  const edgerow rows[] = {
      {9, 2, 1, -3, 0, 0, 0, 9, -6, any, 2, any, any, 0, 0, nullptr, "sqr"},
      {9, 2, 1, -4e149, 0, 0, 0, big, -big, any, 2, any, any, FUNC, OVF, "|x| too large",
       "sqr overflow forgiven, h11 written after the report"},
      {10, 2, 1, 700, 0, 0, 0, big, big, any, big, any, any, FUNC, OVF, "x too large",
       "exp overflow"},
      {10, 2, 1, 1, 0, 0, 0, M_E, M_E, any, M_E, any, any, 0, 0, nullptr, "exp(1)"},
      {11, 2, 1, 0, 0, 0, 1, -big, big, any, -big, any, any, FUNC, SING, "x = 0", "log(0)"},
      {11, 2, 1, 1e-300, 0, 0, 1, -big, big, any, -big, any, any, FUNC, SING, "x tiny",
       "log of a tiny positive"},
      {11, 2, 1, -1, 0, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "x < 0", "log(-1)"},
      {12, 2, 1, 0, 0, 0, 1, -big, big, any, -big, any, any, FUNC, SING, "x = 0",
       "log10(0): the same numbers unscaled"},
      {50, 2, 1, 0, 0, 0, 1, -big, big, any, -big, any, any, FUNC, SING, "x = 0",
       "log2(0) likewise"},
      {12, 2, 1, 1000, 0, 0, 0, 3, 0.4342944819032518e-3, any, any, any, any, 0, 0, nullptr,
       "log10 of a power of ten is exact"},
      {50, 2, 1, 1024, 0, 0, 0, 10, any, any, any, any, any, 0, 0, nullptr, "log2(1024)"},
      {11, 2, 1, 1e-151, 0, 0, 0, std::log(1e-151), 1e151, any, -6.931408155235185e+298, any, any,
       0, 0, nullptr, "log: the fixed slope below 3.7983e-150"},
      {12, 2, 1, 1e-151, 0, 0, 0, -151, any, any, -3.010272313637839e+298, any, any, 0, 0, nullptr,
       "log10: its fixed slope"},
      {50, 2, 1, 1e-151, 0, 0, 0, std::log2(1e-151), any, any, -9.999908171935117e+298, any, any, 0,
       0, nullptr, "log2: its fixed slope"},
      {13, 1, 1, 0, 0, 0, 2, 0, 1e10, any, -1e10, any, any, GRAD, SING, "x tiny",
       "sqrt(0) at level 1"},
      {13, 0, 1, 0, 0, 0, 0, 0, any, any, any, any, any, 0, 0, nullptr,
       "sqrt(0) at level 0 is fine"},
      {13, 2, 1, -1e-300, 0, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "x < 0",
       "sqrt of a negative"},
      {13, 2, 1, 4, 0, 0, 0, 2, 0.25, any, -1.0 / 32, any, any, 0, 0, nullptr, "sqrt(4)"},
      {48, 0, 1, 0, 0, 0, 0, 0, any, any, any, any, any, 0, 0, nullptr, "Entropy(0) at level 0"},
      {48, 1, 1, 0, 0, 0, 2, 0, big, any, -big, any, any, GRAD, SING, "x = 0",
       "Entropy(0) at level 1"},
      {48, 2, 1, -0.5, 0, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "x < 0",
       "Entropy of a negative"},
      {48, 2, 1, 1e-300, 0, 0, 0, any, any, any, -big, any, any, 0, 0, nullptr,
       "Entropy: bounded curvature below 1e-299"},
      {49, 2, 1, 0, 0, 0, 0, 0.5, 0.25, any, 0, any, any, 0, 0, nullptr, "Sigmoid(0)"},
      {49, 2, 1, 800, 0, 0, 0, 1, 0, any, 0, any, any, 0, 0, nullptr, "Sigmoid far right"},
      {49, 2, 1, -800, 0, 0, 0, 0, 0, any, 0, any, any, 0, 0, nullptr, "Sigmoid far left"},
      {124, 2, 1, 0.5, 0, 0, 0, 0, 4, any, 0, any, any, 0, 0, nullptr, "Logit(0.5)"},
      {124, 2, 1, 1, 0, 0, 1, big, big, any, big, any, any, FUNC, SING, "x = 1", "Logit(1)"},
      {124, 2, 1, 1.5, 0, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "x > 1", "Logit(1.5)"},
      {124, 2, 1, 0, 0, 0, 1, -big, big, any, -big, any, any, FUNC, SING, "x = 0",
       "Logit(0) as log"},
      {18, 2, 1, 0, 0, 0, 0, 0.5, 0.3989422804014327, any, 0, any, any, 0, 0, nullptr, "errorf(0)"},
      {18, 2, 1, 1.96, 0, 0, 0, 0.9750021048517795, any, any, any, any, any, 0, 0, nullptr,
       "errorf(1.96)"},
      {18, 2, 1, 45, 0, 0, 0, 1, 0, any, 0, any, any, 0, 0, nullptr, "errorf far out"},
  };
  for (const edgerow& r : rows) check_edgerow(r);
}

TEST(MathnewElem, DivisionsEntropyAndNorms) {
  const edgerow rows[] = {
      {66, 2, 2, 3, -2, 0, 0, -1.5, -0.5, -0.75, any, -0.25, -0.75, 0, 0, nullptr, "div"},
      {67, 2, 2, 1, 0, 0, 0, big, big, -big, 0, -big, big, 0, 0, nullptr,
       "div0(1, 0): substitutes without a report"},
      {66, 2, 2, -1, 0, 0, 1, -big, -big, big, 0, big, -big, FUNC, SING, "x/y, |y| <= 1e-150",
       "div(-1, 0)"},
      {66, 2, 2, 0, 1e-151, 0, 1, big, any, any, any, any, any, FUNC, SING, "x/y, |y| <= 1e-150",
       "a zero numerator counts as positive"},
      {76, 2, 2, 1, 1, 0, 0, 0, 1, -1, any, -1, 1, 0, 0, nullptr, "Centropy at x = y"},
      {76, 2, 2, 1, 0, 0, 1, 0, any, any, any, any, any, FUNC, SING, "f(x,y), y = 0",
       "Centropy with y = 0"},
      {76, 2, 2, 1, -1, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "f(x,y), y < 0",
       "Centropy with y < 0"},
      {76, 2, 2, -1, 1, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "f(x,y), x < 0",
       "Centropy with x < 0"},
      {76, 2, 3, 1, 1, -1, 1, 0, any, any, any, any, any, FUNC, DOM, "f(x,y,d), d < 0",
       "Centropy with d < 0"},
      {76, 2, 3, 1, 0, 1, 1, 0, any, any, any, any, any, FUNC, SING, "f(x,y,d), y = 0",
       "three arguments name d"},
      {76, 2, 3, 1, -1, 1, 1, 0, any, any, any, any, any, FUNC, DOM, "f(x,y,d), y < 0",
       "three arguments, y < 0"},
      {76, 2, 3, -1, 1, 1, 1, 0, any, any, any, any, any, FUNC, DOM, "f(x,y,d), x < 0",
       "three arguments, x < 0"},
      {76, 0, 3, 0, 1, 0, 0, 0, any, any, any, any, any, 0, 0, nullptr, "x + d = 0 at level 0"},
      {76, 2, 3, 0, 2, 0, 2, 0, -big, 0, big, -0.5, 0, GRAD, SING, "f(x,y,d), y = 0",
       "x + d = 0 at level 2"},
      {76, 2, 3, 2, 1e-300, 0, 2, any, any, -big, any, any, any, GRAD, SING, "f(x,y,d), y nearly 0",
       "a gradient beyond -1e299 is bounded and reported"},
      {65, 1, 2, 0, 0, 0, 0, 0, 0, 0, any, any, any, 0, 0, nullptr, "EDist at the origin"},
      {65, 2, 2, 3, 4, 0, 0, 5, 0.6, 0.8, 0.128, -0.096, 0.072, 0, 0, nullptr, "EDist(3, 4)"},
      {65, 0, 2, 3e200, 4e200, 0, 0, 5e200, any, any, any, any, any, 0, 0, nullptr,
       "EDist does not overflow in its sum"},
      {65, 0, 2, 3e-200, 4e-200, 0, 0, 5e-200, any, any, any, any, any, 0, 0, nullptr,
       "nor underflow"},
  };
  for (const edgerow& r : rows) check_edgerow(r);
}

TEST(MathnewElem, PolyAndEDistWriteAllTheirArguments) {
  mathnew_test::evaluation p(108, 2, {2, 1, 0, 3}, 9.0);
  EXPECT_EQ(13, p.rec.f);
  EXPECT_EQ(12, p.rec.g[0]);
  EXPECT_EQ(6, p.rec.h[0][0]);
  for (int i = 1; i < 4; ++i) {
    EXPECT_EQ(0, p.rec.g[i]) << i;
    for (int j = 0; j < 4; ++j) {
      EXPECT_EQ(0, p.rec.h[i][j]) << i << "," << j;
    }
  }
  EXPECT_EQ(9, p.rec.g[4]) << "only the arguments passed";

  mathnew_test::evaluation e(65, 2, {0, 0, 0}, 9.0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(0, e.rec.g[i]);
    for (int j = 0; j < 3; ++j) EXPECT_EQ(0, e.rec.h[i][j]);
  }
}

TEST(MathnewElem, IntegerPower) {
  const edgerow rows[] = {
      {21, 2, 2, -2, 3, 0, 0, -8, 12, any, -12, any, any, 0, 0, nullptr, "power(-2, 3)"},
      {21, 2, 2, 2, 2.00001, 0, 0, 4, 4, any, 2, any, any, 0, 0, nullptr,
       "an exponent within 1e-4 of an integer"},
      {21, 2, 2, 2, 2.001, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "pow(x,i), i not integer",
       "an exponent off an integer"},
      {21, 2, 2, 2, 3e9, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "pow(x,i), i > maxint",
       "an exponent beyond the integers"},
      {21, 2, 2, 2, std::nan(""), 0, 1, 0, any, any, any, any, any, FUNC, DOM,
       "pow(x,i), i > maxint", "a NaN exponent is refused"},
      {21, 2, 2, 0, -3, 0, 1, big, any, any, big, any, any, FUNC, SING, "pow(x,i), |x| tiny, i < 0",
       "power(0, -3)"},
      {21, 2, 2, -1e-31, -3, 0, 1, -big, -big, any, -big, any, any, FUNC, SING,
       "pow(x,i), |x| tiny, i < 0", "a tiny negative base to an odd negative power"},
      {21, 2, 2, 0, 5, 0, 0, 0, 0, any, 0, any, any, 0, 0, nullptr, "power(0, 5)"},
      {21, 2, 2, -4e149, 2, 0, 0, big, -big, any, 2, any, any, FUNC, OVF, "pow(x,2), |x| too large",
       "square overflow"},
      {21, 2, 2, -1e-101, -1, 0, 1, -big, -big, any, -big, any, any, FUNC, SING,
       "pow(x,-1), |x| too small", "reciprocal of a tiny negative"},
      {21, 2, 2, 1e-76, -2, 0, 1, big, -big, any, big, any, any, FUNC, SING,
       "pow(x,-2), |x| too small", "inverse square of a tiny"},
      {21, 2, 2, -10, 301, 0, 0, -big, big, any, -big, any, any, FUNC, OVF, "|x| too large",
       "odd power overflow keeps the sign"},
      {21, 2, 2, 10, 300, 0, 0, big, big, any, big, any, any, FUNC, OVF, "|x| too large",
       "even power overflow"},
      {21, 2, 2, 1e150, 5, 0, 0, big, any, any, any, any, any, FUNC, OVF, "|x| too large",
       "a guarded base squaring"},
      {21, 2, 2, 10, -300, 0, 0, 0, 0, any, 0, any, any, 0, 0, nullptr,
       "a negative power whose denominator overflows is 0"},
      {21, 2, 2, -1e-28, -11, 0, 1, -big, -big, any, -big, any, any, FUNC, SING, "|x| too small",
       "a negative power whose denominator underflows"},
      {21, 2, 2, 1e-25, -10, 0, 0, 1e250, -1e250, any, 1e250, any, any, 0, 0, nullptr,
       "a denominator below 1e-200: the fixed substitutes"},
      {21, 2, 2, -10, 3, 0, 0, -1000, 300, any, -60, any, any, 0, 0, nullptr, "power(-10, 3)"},
      {21, 2, 2, 2, 10, 0, 0, 1024, 5120, any, 23040, any, any, 0, 0, nullptr, "power(2, 10)"},
      {21, 2, 2, 2, -3, 0, 0, 0.125, -0.1875, any, 0.375, any, any, 0, 0, nullptr, "power(2, -3)"},
  };
  for (const edgerow& r : rows) check_edgerow(r);
}

TEST(MathnewElem, RealAndConstantPowers) {
  const double big250 = std::pow(10.0, 250);
  const double l10 = std::log(10.0);
  const edgerow rows[] = {
      {64, 1, 2, 0, 0.5, 0, 2, 0, 1e10, 0, any, any, any, GRAD, DOM, "x**y, x=0,0<y<1",
       "rPower(0, 0.5) at level 1"},
      {64, 0, 2, 0, 0.5, 0, 0, 0, any, any, any, any, any, 0, 0, nullptr,
       "rPower(0, 0.5) at level 0"},
      {64, 2, 2, 0, 2, 0, 3, 0, 0, 0, 2, 0, 0, HESS, SING, "x**y at x=0,1<y<=2",
       "rPower(0, 2) at level 2"},
      {64, 2, 2, 0, 1.5, 0, 3, 0, 0, 0, big, 0, 0, HESS, SING, "x**y at x=0,1<y<=2",
       "rPower(0, 1.5) at level 2"},
      {64, 2, 2, 0, 1, 0, 3, 0, 1, 0, 0, 0, 0, HESS, SING, "x**y at x=0,y=1",
       "rPower(0, 1) at level 2"},
      {64, 1, 2, 0, 1, 0, 0, 0, 1, 0, any, any, any, 0, 0, nullptr, "rPower(0, 1) at level 1"},
      {64, 2, 2, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, "rPower(0, 3)"},
      {64, 1, 2, 0, 0, 0, 2, 1, any, any, any, any, any, GRAD, DOM, "x**y, x=0,y=0",
       "rPower(0, 0) at level 1"},
      {64, 2, 2, 0, -1, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "x**y, x=0,y<0",
       "rPower(0, -1)"},
      {64, 2, 2, -1, 2, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "x**y, x < 0",
       "rPower of a negative"},
      {64, 2, 2, 10, 250, 0, 0, big250, 25 * big250, l10 * big250, 24.9 * 25 * big250,
       (250 * l10 + 1) / 10 * big250, l10 * l10 * big250, 0, 0, nullptr,
       "rPower(10, 250) on the logarithmic scale"},
      {64, 2, 2, 10, 300, 0, 0, big, big, big, big, big, big, FUNC, OVF, "x**y, x>1,y>1",
       "rPower(10, 300) overflows"},
      {64, 2, 2, 0.1, -300, 0, 0, big, -big, -big, big, big, big, FUNC, OVF, "x**y, x<1,y<-1",
       "rPower(0.1, -300) overflows"},
      {64, 1, 2, 10, 298.5, 0, 0, any, big, any, any, any, any, GRAD, OVF, "x**y, x>1,y>1",
       "rPower: the gradient passes 1e299 first"},
      {74, 2, 2, 0, 0, 0, 0, 1, any, any, any, any, any, 0, 0, nullptr, "cvPower(0, 0) = 1"},
      {74, 2, 2, 0, 2, 0, 0, 0, any, 0, any, any, 0, 0, 0, nullptr, "cvPower(0, 2) = 0"},
      {74, 2, 2, 0, -2, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "c**y, c=0,y<0",
       "cvPower(0, -2) has no value"},
      {74, 2, 2, -2, 2, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "c**y, c < 0",
       "cvPower of a negative base"},
      {74, 2, 2, 10, 300, 0, 0, big, any, big, any, any, big, FUNC, OVF, "c**y, |y| too large",
       "cvPower overflow"},
      {74, 2, 2, 0.1, -300, 0, 0, big, any, -big, any, any, big, FUNC, OVF, "c**y, |y| too large",
       "cvPower overflow below 1"},
      {74, 2, 2, 2, 3, 0, 0, 8, any, 8 * M_LN2, any, any, 8 * M_LN2 * M_LN2, 0, 0, nullptr,
       "cvPower(2, 3)"},
  };
  for (const edgerow& r : rows) check_edgerow(r, 1e-12);
}

}  // namespace
