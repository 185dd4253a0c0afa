// Random functions: the order of draws from the generator, the checks and short cuts, and
// the distributions of the draws.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "funclib/mathnew.h"
#include "funclib/rand.h"
#include "support/mathnew_testutil.h"

namespace {

using mathnew_test::any;
using mathnew_test::edgerow;
using mathnew_test::evaluation;

constexpr int FUNC = 1, DOMAIN = 1;

class SpecialRandom : public ::testing::Test {
 protected:
  void SetUp() override { randunit::startup(); }
};

TEST_F(SpecialRandom, DrawsInOrderFromTheGenerator) {
  // The first uniforms of seed 3141 are 0.171747132, 0.843266708, 0.550375356, 0.301137904.
  EXPECT_EQ(evaluation(19, 0, {2, 4}).rec.f, 2 + 1e-9 * 171747132 * 2);
  EXPECT_EQ(evaluation(44, 0, {1, 6}).rec.f, 6);  // round(0.843266708 * 6 + 0.5)
  EXPECT_EQ(evaluation(44, 0, {3, 3}).rec.f, 3);  // no number drawn
  EXPECT_EQ(evaluation(19, 0, {0, 1}).rec.f, 1e-9 * 550375356);
  // A failing RandLinear has consumed its number.
  const evaluation bad(112, 0, {1, 0, 0});
  EXPECT_EQ(bad.msg(), mathnew_test::errortext(112, FUNC, DOMAIN, "low > high"));
  EXPECT_EQ(evaluation(19, 0, {0, 1}).rec.f, 1e-9 * 292212117);

  randunit::startup();
  const double u1 = 2 * (1e-9 * 171747132) - 1, u2 = 2 * (1e-9 * 843266708) - 1;
  const double s = u1 * u1 + u2 * u2;
  const double c = std::sqrt(-2 * std::log(s) / s);
  EXPECT_DOUBLE_EQ(evaluation(20, 0, {10, 2}).rec.f, 10 + 2 * c * u1);
  EXPECT_DOUBLE_EQ(evaluation(20, 0, {0, 1}).rec.f, c * u2);
}

TEST_F(SpecialRandom, ChecksAndShortCuts) {
  const edgerow rows[] = {
      {19, 0, 2, 2, 1, 0, 1, any, any, any, any, any, any, FUNC, DOMAIN, "lo > hi", "uniform"},
      {20, 0, 2, 0, -1, 0, 1, any, any, any, any, any, any, FUNC, DOMAIN, "std dev negative",
       "normal"},
      {44, 0, 2, 1, 6.5, 0, 1, any, any, any, any, any, any, FUNC, DOMAIN, "hi not integer",
       "UniformInt hi"},
      {44, 0, 2, 1.5, 6, 0, 1, any, any, any, any, any, any, FUNC, DOMAIN, "lo not integer",
       "UniformInt lo"},
      {112, 0, 3, 0, 5, 1, 1, any, any, any, any, any, any, FUNC, DOMAIN,
       "abs(slope) > 2/(high-low)", "slope too steep"},
      {112, 0, 3, 3, 5, 3, 0, 3, any, any, any, any, any, 0, 0, nullptr, "empty range"},
      {113, 0, 3, 0, -1, 1, 1, any, any, any, any, any, any, FUNC, DOMAIN, "median < low",
       "median below"},
      {113, 0, 3, 0, 2, 1, 1, any, any, any, any, any, any, FUNC, DOMAIN, "median > high",
       "median above"},
      {116, 0, 2, 10, 0, 0, 0, 0, any, any, any, any, any, 0, 0, nullptr, "p = 0"},
      {116, 0, 2, 10, 1, 0, 0, 10, any, any, any, any, any, 0, 0, nullptr, "p = 1"},
      {116, 0, 2, 0.5, 0.5, 0, 1, any, any, any, any, any, any, FUNC, DOMAIN, "n < 1", "n below 1"},
      {116, 0, 2, 3e9, 0.5, 0, 1, any, any, any, any, any, any, FUNC, DOMAIN, "n is too large",
       "n huge"},
      {116, 0, 2, 10, 1.5, 0, 1, any, any, any, any, any, any, FUNC, DOMAIN, "not 0 < p < 1",
       "p above 1"},
      {116, 0, 2, 10.5, 0.5, 0, 1, any, any, any, any, any, any, FUNC, DOMAIN, "n not integer",
       "n not whole"},
  };
  for (const edgerow& r : rows) mathnew_test::check_edgerow(r, 0);
  for (int i = 0; i < 200; ++i) {
    const evaluation t(113, 0, {0, 0, 1});  // a median equal to low is allowed
    EXPECT_EQ(t.answer, 0);
    EXPECT_GE(t.rec.f, 0);
    EXPECT_LE(t.rec.f, 1);
    const evaluation l(112, 0, {1, 0.3, 3});
    EXPECT_EQ(l.answer, 0);
    EXPECT_GE(l.rec.f, 1);
    EXPECT_LE(l.rec.f, 3);
  }
}

TEST_F(SpecialRandom, LinearDrawsFollowTheirDensityOnTheInterval) {
  // The density c + slope t on [0, w] with c = 1/w - slope w/2; its mean is c w^2/2 + slope w^3/3.
  struct row {
    double low, slope, high;
    const char* why;
  };
  constexpr row rows[] = {
      {0, 1, 0.5, "narrow interval: the draws stayed below 0.5615"},
      {0, 0.5, 2, "wide interval: the mean was 0.94 instead of 4/3"},
      {-3, -0.02, 7, "falling density, negative low"},
      {1, 2, 2, "unit width, steepest rising slope"},
      {0, -4, 0.5, "the steepest falling slope a narrow interval takes (2/w)"},
      {10, 1.5e-6, 1010, "wide interval, a slope near its 2/w^2"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const double w = r.high - r.low, c = 1 / w - r.slope * w / 2;
    const double mean = r.low + c * w * w / 2 + r.slope * w * w * w / 3;
    const double variance = r.low * r.low + 2 * r.low * (mean - r.low) + c * w * w * w / 3 +
                            r.slope * w * w * w * w / 4 - mean * mean;
    constexpr int draws = 4000;
    double sum = 0;
    for (int i = 0; i < draws; ++i) {
      const evaluation e(112, 0, {r.low, r.slope, r.high});
      ASSERT_EQ(e.answer, 0);
      ASSERT_GE(e.rec.f, r.low);
      ASSERT_LE(e.rec.f, r.high);
      sum += e.rec.f;
    }
    EXPECT_NEAR(sum / draws, mean, 5 * std::sqrt(variance / draws));
  }
  // Over a unit width the draw is (sqrt(c^2 + 2 slope u) - c) / slope, u = 0.171747132 first.
  randunit::startup();
  const double u = 1e-9 * 171747132, c = 1 - 0.5 / 2;
  EXPECT_DOUBLE_EQ(evaluation(112, 0, {0, 0.5, 1}).rec.f,
                   (std::sqrt(c * c + 2 * 0.5 * u) - c) / 0.5);
  // A slope within 2/w but beyond 2/w^2 gives no density on a wide interval: refused, and the
  // number is still drawn.
  const evaluation steep(112, 0, {0, 0.9, 2});
  EXPECT_EQ(steep.msg(), mathnew_test::errortext(112, FUNC, DOMAIN, "abs(slope) > 2/(high-low)^2"));
  EXPECT_EQ(evaluation(19, 0, {0, 1}).rec.f, 1e-9 * 550375356);
}

TEST_F(SpecialRandom, UniformIntStaysInRangeForADrawOfZero) {
  double state[randunit::savesize];
  for (int i = 0; i < randunit::savesize; ++i) state[i] = 12345 * i;
  state[0] = 0;
  state[2] = 0;  // the next number is a[2] = 0
  state[56] = 3;
  struct row {
    double lo, hi, want;
    const char* why;
  };
  constexpr row rows[] = {
      {-3, 3, -3, "negative lo: -3.5 would round to -4"},
      {1, 6, 1, "positive lo"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    randunit::randrestore(state);
    EXPECT_EQ(evaluation(44, 0, {r.lo, r.hi}).rec.f, r.want);
  }
}

TEST_F(SpecialRandom, BinomialDrawsFollowTheDistribution) {
  struct row {
    double n, p;
    const char* why;
  };
  constexpr row rows[] = {
      {20, 0.3, "mode inside"},
      {1000, 1e-5, "small p: no short cut to 0"},
      {50, 0.99999, "p near 1: no short cut to n"},
      {1e4, 0.5, "large n"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    constexpr int draws = 2000;
    double sum = 0;
    for (int i = 0; i < draws; ++i) {
      const evaluation e(116, 0, {r.n, r.p});
      ASSERT_EQ(e.answer, 0);
      ASSERT_GE(e.rec.f, 0);
      ASSERT_LE(e.rec.f, r.n);
      ASSERT_EQ(e.rec.f, std::floor(e.rec.f));
      sum += e.rec.f;
    }
    const double mean = r.n * r.p;
    const double sd = std::sqrt(r.n * r.p * (1 - r.p) / draws);
    EXPECT_NEAR(sum / draws, mean, 6 * sd + 1e-3);
  }
}

}  // namespace
