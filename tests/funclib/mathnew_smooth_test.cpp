// Smoothed extensions, complementarity functions and log-sum-exp: values in both zones,
// the parameter reports and the overflow substitutes.
#include <gtest/gtest.h>

#include <cmath>

#include "support/mathnew_testutil.h"

namespace {

using namespace mathnew_test;

constexpr double c = 0.4342944819032518;
constexpr double P = 1.570796326794897;

TEST(MathnewSmooth, Extensions) {
  const double e150 = std::exp(150.0);
  const edgerow rows[] = {
      {68, 2, 1, 0, 0, 0, 0, c * (std::log(1e-150) - 1), c / 1e-150, any, 0, any, any, 0, 0,
       nullptr, "sllog10(0) on the extension"},
      {68, 2, 2, 1, 0, 0, 1, 0, c, any, -c, any, any, FUNC, DOM,
       "smoothing parameter has to be >= 1e-150", "sllog10(1, 0): reported, still 0"},
      {68, 2, 1, -3e149, 0, 0, 0, -big, c / 1e-150, any, 0, any, any, FUNC, OVF, "x too negative",
       "sllog10 overflow with the default"},
      {68, 2, 2, -1e300, 0.5, 0, 0, -big, any, any, any, any, any, FUNC, OVF, "x too negative",
       "sllog10 overflow with a given d below 1"},
      {68, 2, 2, -1e300, 2, 0, 0, c * (std::log(2.0) + (-1e300 - 2) / 2), any, any, any, any, any,
       0, 0, nullptr, "no overflow test for d >= 1"},
      {68, 2, 2, -1e300, 0, 0, 1, -big, any, any, any, any, any, FUNC, DOM,
       "smoothing parameter has to be >= 1e-150",
       "after a parameter report an overflow is not reported"},
      {69, 2, 1, -1, 0, 0, 0, -big, big, any, -c / 1e-300, any, any, FUNC, OVF, "x too negative",
       "sqlog10 overflow with the default"},
      {69, 2, 2, 0.25, 0.5, 0, 0, c * (std::log(0.5) - 0.5 - 0.125), c * (2 + 1), any, -c * 4, any,
       any, 0, 0, nullptr, "sqlog10 extension"},
      {70, 2, 1, 151, 0, 0, 0, e150 * 2, e150, any, 0, any, any, 0, 0, nullptr, "slexp(151)"},
      {71, 2, 1, 151, 0, 0, 0, e150 * 2.5, e150 * 2, any, e150, any, any, 0, 0, nullptr,
       "sqexp(151)"},
      {70, 2, 2, 1, 200, 0, 1, M_E, M_E, any, M_E, any, any, FUNC, DOM,
       "smoothing parameter has to be <= 150", "slexp with d above 150"},
      {70, 2, 1, 1e234, 0, 0, 0, big, e150, any, 0, any, any, FUNC, OVF, "x too large",
       "slexp overflow"},
      {71, 2, 1, 1e118, 0, 0, 0, big, big, any, e150, any, any, FUNC, OVF, "x too large",
       "sqexp overflow"},
      {71, 2, 2, 1e150, 0.5, 0, 0, big, big, any, any, any, any, FUNC, OVF, "x too large",
       "sqexp overflow with a small E"},
      {72, 2, 1, 1e-10, 0, 0, 0, 1e10, -1e20, any, 0, any, any, 0, 0, nullptr,
       "slrec(1e-10) on the extension"},
      {73, 2, 1, 1e-10, 0, 0, 0, 1e10, -1e20, any, 2e30, any, any, 0, 0, nullptr,
       "sqrec(1e-10) in the regular zone"},
      {72, 2, 1, -1e290, 0, 0, 0, big, -1e20, any, 0, any, any, FUNC, OVF, "x too negative",
       "slrec overflow"},
      {73, 2, 1, -1e135, 0, 0, 0, big, -big, any, 2e30, any, any, FUNC, OVF, "x too negative",
       "sqrec overflow"},
      {73, 2, 2, 0, 2, 0, 0, 1.5, -3.0 / 4, any, 0.25, any, any, 0, 0, nullptr, "sqrec(0, 2)"},
      {72, 2, 2, 0.5, 1e-11, 0, 1, 2, -4, any, 16, any, any, FUNC, DOM,
       "smoothing parameter has to be >= 1e-10", "slrec with d below its minimum"},
  };
  for (const edgerow& r : rows) check_edgerow(r, 1e-14);
}

TEST(MathnewSmooth, NcpFScalesTinyArgumentsBeforeSquaring) {
  struct row {
    double x, y, m, f;
    const char* why;
  };
  const row rows[] = {
      {1e-170, 0, 0, 0, "NcpF(1e-170, 0) = 0: the square of the scale underflowed, 0/0"},
      {-1e-170, 0, 0, 2e-170, "a negative tiny x"},
      {3e-200, -4e-200, 0, 6e-200, "a 3-4-5 triangle far below the square's range"},
      {0, 0, 2e-320, std::sqrt(2 * 2e-320), "only a subnormal mu"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const evaluation e(46, 2, {r.x, r.y, r.m});
    EXPECT_EQ(e.answer, 0);
    EXPECT_EQ(e.rec.ec, 0);
    EXPECT_NEAR(e.rec.f, r.f, 1e-14 * r.f) << e.rec.f;
    for (int i = 0; i < 2; ++i) {
      EXPECT_TRUE(std::isfinite(e.rec.g[i]));
      for (int j = 0; j < 2; ++j) EXPECT_TRUE(std::isfinite(e.rec.h[i][j]));
    }
  }
}

TEST(MathnewSmooth, ComplementarityFunctions) {
  const edgerow rows[] = {
      {46, 2, 2, 3, 4, 0, 0, -2, -0.4, -0.2, 16.0 / 125, -12.0 / 125, 9.0 / 125, 0, 0, nullptr,
       "NcpF(3, 4)"},
      {46, 1, 2, 0, 0, 0, 0, 0, 1, 1, any, any, any, GRAD, SING, "f(r,s,mu), r=s=mu=0",
       "NcpF at the origin answers 0"},
      {46, 2, 3, 1, 1, -1, 1, 0, any, any, any, any, any, FUNC, DOM, "f(r,s,mu), mu < 0",
       "NcpF with a negative mu"},
      {46, 0, 2, 3e200, 4e200, 0, 0, -2e200, any, any, any, any, any, 0, 0, nullptr,
       "NcpF scaled against overflow"},
      {46, 1, 2, 1e-170, 0, 0, 0, 0, 0, -1, any, any, any, 0, 0, nullptr,
       "NcpF with a tiny argument: the scale's square underflows, mu/s^2 was 0/0"},
      {47, 1, 3, 1, 2, 0, 0, 0, any, any, any, any, any, FUNC, DOM, "f(r,s,mu), m <= 0",
       "NcpCM with m = 0 answers 0"},
      {47, 1, 3, 1000, 2, 1, 0, 2, 0, 1, any, any, any, 0, 0, nullptr, "NcpCM far on the y side"},
      {47, 1, 3, -1000, 2, 1, 0, -1000, 1, 0, any, any, any, 0, 0, nullptr,
       "NcpCM far on the x side"},
      {47, 2, 3, 1, 1, 1, 0, 1 - std::log(2.0), 0.5, 0.5, -0.25, 0.25, -0.25, 0, 0, nullptr,
       "NcpCM at x = y"},
      {94, 1, 2, 2, 2, 0, 0, 2, 0, 1, any, any, any, 0, 0, nullptr, "NcpVUsin(2, 2)"},
      {94, 2, 3, 1, 1, 1, 0, (1 + 1 / P) / 2, 0.5, 0.5, -P / 2, P / 2, -P / 2, 0, 0, nullptr,
       "NcpVUsin(1, 1, 1)"},
      {95, 2, 3, 1, 1, 1, 0, (2 - 3.0 / 8) / 2, 0.5, 0.5, -0.75, 0.75, -0.75, 0, 0, nullptr,
       "NcpVUpow(1, 1, 1)"},
      {94, 1, 3, 1, 3, -1, 1, 1, 1, 0, any, any, any, FUNC, DOM,
       "smoothing parameter has to be >= 0", "NcpVUsin: negative m, reported, then m = 0"},
      {95, 1, 3, 5, 3, 1, 0, 3, 0, 1, any, any, any, 0, 0, nullptr, "NcpVUpow outside the band"},
  };
  for (const edgerow& r : rows) check_edgerow(r, 1e-14);
}

TEST(MathnewSmooth, LogSumExp) {
  const edgerow rows[] = {
      {125, 2, 2, 0, 0, 0, 0, std::log(2.0), 0.5, 0.5, 0.25, -0.25, 0.25, 0, 0, nullptr,
       "LSEMax(0, 0)"},
      {127, 2, 2, 0, 0, 0, 0, -std::log(2.0), 0.5, 0.5, -0.25, 0.25, -0.25, 0, 0, nullptr,
       "LSEMin(0, 0)"},
      {125, 1, 2, 1000, 0, 0, 0, 1000, 1, 0, any, any, any, 0, 0, nullptr,
       "LSEMax with a huge argument"},
      {126, 2, 2, 0, 1, 2, 1, 0, any, any, any, any, any, FUNC, DOM, "LSEMaxSc(t,x): t <= 0",
       "LSEMaxSc with t = 0"},
      {128, 2, 2, -1, 1, 2, 1, 0, any, any, any, any, any, FUNC, DOM, "LSEMinSc(t,x): t <= 0",
       "LSEMinSc with t < 0"},
      {126, 2, 3, 2, 0, 0, 0, std::log(2.0) / 2, 0, 0.5, any, any, 0.5, 0, 0, nullptr,
       "LSEMaxSc(2, 0, 0): g1 stays 0, Hessian times t"},
      {125, 2, 1, 3, 0, 0, 0, 3, 1, any, 0, any, any, 0, 0, nullptr, "LSEMax of one argument"},
  };
  for (const edgerow& r : rows) check_edgerow(r, 1e-14);

  // Next to a dominant term the diagonal is summed explicitly: no cancellation.
  mathnew_test::evaluation e(125, 2, {40, 0});
  const double small = std::exp(-40.0);
  EXPECT_NEAR(small, e.rec.h[1][1], 1e-15 * small);
  EXPECT_NEAR(small, e.rec.h[0][0], 1e-15 * small);
  EXPECT_NEAR(-small, e.rec.h[0][1], 1e-15 * small);
}

}  // namespace
