// Interval evaluation: the bounds of value and first derivatives contain the values at
// sampled points of the box, and the edge cases answer with their bounds and reports.
#include "funclib/mathnew_interval.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "funclib/ctvnew.h"
#include "funclib/mathnew.h"

namespace {

constexpr double I = 1e299;  // the record's infinity

struct result {
  ctvnew::tmathnewrec rec{};
  int answer = 0;
  double flo = 0, fhi = 0;
  double glo[ctvnew::maxargs] = {}, ghi[ctvnew::maxargs] = {};

  result(std::int32_t fnr, std::vector<double> lo, std::vector<double> hi) {
    ctvnew::mathnewrecinit(rec);
    rec.nargs = static_cast<int>(lo.size());
    answer = mathnew::funcinterval(rec, fnr, lo.data(), hi.data(), flo, fhi, glo, ghi);
  }
};

struct boxrow {
  std::int32_t fnr;
  std::vector<double> lo, hi;
  const char* why;
};

const boxrow boxes[] = {
    {7, {-1, 0.5}, {2, 3}, "min, overlapping"},
    {8, {-1, 0.5}, {2, 3}, "max, overlapping"},
    {8, {-3, 1}, {-2, 3}, "max, y always larger"},
    {9, {-2}, {3}, "sqr across zero"},
    {9, {-5}, {-1}, "sqr negative"},
    {10, {-3}, {2}, "exp"},
    {11, {0.1}, {40}, "log"},
    {12, {0.5}, {2}, "log10"},
    {50, {3}, {1e6}, "log2"},
    {13, {0.25}, {9}, "sqrt"},
    {14, {-2}, {3}, "abs across zero"},
    {14, {-4}, {-0.5}, "abs negative"},
    {15, {-1}, {1}, "cos around its maximum"},
    {15, {2}, {4}, "cos around its minimum"},
    {15, {0.3}, {1.2}, "cos monotone"},
    {16, {-2}, {1}, "sin around -pi/2"},
    {16, {1}, {5}, "sin wide"},
    {18, {-1}, {2}, "errorf"},
    {21, {-2, 2}, {3, 2}, "power 2 across zero"},
    {21, {-2, 3}, {3, 3}, "power 3 across zero"},
    {21, {0.5, -1}, {4, -1}, "power -1 away from zero"},
    {21, {-3, 3}, {-0.5, 3}, "power 3 negative base"},
    {21, {-3, 4}, {-0.5, 4}, "power 4 negative base"},
    {49, {-2}, {3}, "Sigmoid"},
    {64, {0.5, -1}, {3, 2.5}, "rPower"},
    {65, {-1, 0.5, -2}, {2, 1.5, -1}, "EDist of three"},
    {65, {1, 0}, {1e10, 10}, "EDist, one square far larger than the other"},
    {66, {-1, 0.5}, {2, 3}, "div, positive divisor"},
    {66, {1, -4}, {2, -0.25}, "div, negative divisor"},
    {67, {-3, 1}, {-1, 2}, "div0"},
    {74, {2.5, -1}, {2.5, 2}, "cvPower"},
    {75, {0.5, 2.5}, {3, 2.5}, "vcPower"},
    {75, {0.5, -1.5}, {3, -1.5}, "vcPower negative exponent"},
    {80, {1.7}, {6}, "Gamma increasing"},
    {80, {0.2}, {1}, "Gamma before its minimum"},
    {81, {2}, {30}, "LogGamma increasing"},
    {81, {0.1}, {1.2}, "LogGamma before its minimum"},
    {82, {0.5, 1}, {2, 3}, "Beta"},
    {84, {0.5, 1}, {3, 2}, "GammaReg"},
    {86, {-2}, {1.5}, "sinh"},
    {87, {-2}, {1.5}, "cosh"},
    {88, {-1}, {2}, "tanh"},
    {124, {0.2}, {0.9}, "Logit around 0.5"},
    {124, {0.6}, {0.95}, "Logit right of 0.5"},
    {125, {-1, 0.5, 2}, {1, 1.5, 3}, "LSEMax"},
    {126, {2, -1, 0.5}, {2, 1, 1.5}, "LSEMaxSc"},
    {127, {-1, 0.5, 2}, {1, 1.5, 3}, "LSEMin"},
    {128, {2, -1, 0.5}, {2, 1, 1.5}, "LSEMinSc"},
};

bool within(double lo, double v, double hi) {
  const double tol = 1e-12;
  return v >= lo - tol * std::max(1.0, std::fabs(lo)) &&
         v <= hi + tol * std::max(1.0, std::fabs(hi));
}

TEST(MathnewInterval, BoundsContainSampledValuesAndSlopes) {
  for (const auto& b : boxes) {
    SCOPED_TRACE(b.why);
    const result r(b.fnr, b.lo, b.hi);
    EXPECT_LE(r.flo, r.fhi);
    const int n = static_cast<int>(b.lo.size());
    const int steps = n == 1 ? 400 : n == 2 ? 40 : 12;
    std::vector<int> at(static_cast<std::size_t>(n), 0);
    int checked = 0;
    for (;;) {
      double x[ctvnew::maxargs] = {};
      for (int i = 0; i < n; ++i) {
        x[i] = b.lo[i] + (b.hi[i] - b.lo[i]) * at[static_cast<std::size_t>(i)] / steps;
      }
      ctvnew::tmathnewrec rec{};
      ctvnew::mathnewrecinit(rec);
      rec.level = 1;
      rec.nargs = n;
      const int rc = mathnew::funceval(rec, static_cast<std::uint8_t>(b.fnr), x);
      if (rc == 0 && rec.rc == 0 && rec.ec == 0) {
        ++checked;
        EXPECT_TRUE(within(r.flo, rec.f, r.fhi))
            << "f=" << rec.f << " at x1=" << x[0] << " not in [" << r.flo << ", " << r.fhi << "]";
        for (int i = 0; i < n; ++i) {
          if (mathnew::funcargtype(static_cast<std::uint8_t>(b.fnr), i + 1) == 0) continue;
          EXPECT_TRUE(within(r.glo[i], rec.g[i], r.ghi[i]))
              << "g" << i + 1 << "=" << rec.g[i] << " at x1=" << x[0] << " not in [" << r.glo[i]
              << ", " << r.ghi[i] << "]";
        }
      }
      int i = 0;
      while (i < n && ++at[static_cast<std::size_t>(i)] > steps)
        at[static_cast<std::size_t>(i++)] = 0;
      if (i == n) break;
    }
    EXPECT_GT(checked, 0);
  }
}

// ---- randomized enclosure over every function with an interval

// A random box end pattern: moderate, unit, tiny, huge and infinite magnitudes, zero and
// whole numbers, so that both the ordinary and the extreme rules are met.
double randompoint(std::mt19937_64& gen) {
  std::uniform_real_distribution<double> u(0, 1);
  const double sign = u(gen) < 0.5 ? -1 : 1;
  switch (std::uniform_int_distribution<int>(0, 9)(gen)) {
    case 0:
      return 0;
    case 1:
      return sign * std::round(10 * u(gen));
    case 2:
      return u(gen);
    case 3:
      return sign * std::pow(10.0, -320 + 310 * u(gen));  // tiny, subnormal too
    case 4:
      return sign * std::pow(10.0, 100 + 208 * u(gen));  // huge
    case 5:
      return sign * I;
    case 6:
      return sign * std::pow(10.0, 2 + 4 * u(gen));  // hundreds to a million
    case 7:
      return sign * std::pow(10.0, 140 + 20 * u(gen));  // around sqrt(1e299)
    default:
      return sign * 20 * u(gen);
  }
}

// A point of [lo, hi]: an end, or inside by a linear or a logarithmic step.
double randominside(std::mt19937_64& gen, double lo, double hi) {
  std::uniform_real_distribution<double> u(0, 1);
  const double t = u(gen);
  if (t < 0.1) return lo;
  if (t < 0.2) return hi;
  if (lo > 0 && t < 0.6) return std::min(hi, std::max(lo, lo * std::pow(hi / lo, u(gen))));
  if (hi < 0 && t < 0.6) return std::max(lo, std::min(hi, hi * std::pow(lo / hi, u(gen))));
  return std::min(hi, std::max(lo, lo + (hi / 2 - lo / 2) * 2 * u(gen)));
}

// v inside [lo, hi] up to rounding; a bound at or beyond +-I is infinite, and magnitudes
// below 1e-150 count as 0 (bounds may take an underflowing end as 0).
bool encloses(double lo, double v, double hi) {
  const double tol = 1e-9, tiny = 1e-150;
  const bool abovelo = lo <= -I || v >= lo - tol * std::fabs(lo) - tiny;
  const bool belowhi = hi >= I || v <= hi + tol * std::fabs(hi) + tiny;
  return abovelo && belowhi;
}

TEST(MathnewInterval, RandomBoxesEncloseTheEvaluations) {
  std::mt19937_64 gen(20261210);
  std::uniform_real_distribution<double> u(0, 1);
  for (int fnr = 0; fnr < mathnew::funccount; ++fnr) {
    const auto f8 = static_cast<std::uint8_t>(fnr);
    const int minargs = std::max(mathnew::funcminargs(f8), 1);
    const int maxargs = mathnew::funcmaxargs(f8) == 0 ? std::min(minargs + 3, ctvnew::maxargs)
                                                      : mathnew::funcmaxargs(f8);
    int bounded = 0, checked = 0;
    for (int trial = 0; trial < 3000; ++trial) {
      const int n = std::uniform_int_distribution<int>(minargs, maxargs)(gen);
      std::vector<double> lo(static_cast<std::size_t>(n)), hi(lo.size());
      for (std::size_t i = 0; i < lo.size(); ++i) {
        lo[i] = randompoint(gen);
        hi[i] = u(gen) < 0.3 ? lo[i] : randompoint(gen);  // a fixed argument now and then
        if (lo[i] > hi[i]) std::swap(lo[i], hi[i]);
      }
      std::int32_t fn = fnr;
      const result r(fn, lo, hi);
      bool anybound = r.flo > -I || r.fhi < I;
      for (int i = 0; i < n; ++i) anybound = anybound || r.glo[i] > -I || r.ghi[i] < I;
      if (!anybound) continue;
      ++bounded;
      for (int k = 0; k < 8; ++k) {
        double x[ctvnew::maxargs] = {};
        bool finite = true;  // an end at +-I is infinite: no point there
        for (int i = 0; i < n; ++i) {
          const auto iu = static_cast<std::size_t>(i);
          x[i] = randominside(gen, lo[iu], hi[iu]);
          finite = finite && std::fabs(x[i]) < I;
        }
        if (!finite) continue;
        ctvnew::tmathnewrec rec{};
        ctvnew::mathnewrecinit(rec);
        rec.level = 1;
        rec.nargs = n;
        const int rc = mathnew::funceval(rec, f8, x);
        if (rc != 0 || rec.rc != 0 || rec.ec != 0) continue;  // only results without a report
        ++checked;
        std::ostringstream where;
        where.precision(17);
        where << mathnew::funcname(f8).str() << " at";
        for (int i = 0; i < n; ++i) {
          where << " x" << i + 1 << "=" << x[i] << " in [" << lo[static_cast<std::size_t>(i)]
                << ", " << hi[static_cast<std::size_t>(i)] << "]";
        }
        EXPECT_TRUE(encloses(r.flo, rec.f, r.fhi))
            << "f=" << rec.f << " not in [" << r.flo << ", " << r.fhi << "] " << where.str();
        for (int i = 0; i < n; ++i) {
          if (mathnew::funcargtype(f8, i + 1) == 0) continue;
          EXPECT_TRUE(encloses(r.glo[i], rec.g[i], r.ghi[i]))
              << "g" << i + 1 << "=" << rec.g[i] << " not in [" << r.glo[i] << ", " << r.ghi[i]
              << "] " << where.str();
        }
      }
    }
    if (bounded > 0) {
      EXPECT_GT(checked, 0) << mathnew::funcname(f8).str();
    }
  }
}

TEST(MathnewInterval, ExtremeBoxesAreNotCutByACap) {
  struct caserow {
    std::int32_t fnr;
    std::vector<double> lo, hi;
    double f, g1;  // a value and a first derivative at the lower corner
    const char* why;
  };
  const caserow rows[] = {
      {80,
       {100},
       {101},
       9.3326215443944153e155,
       9.3326215443944153e155 * 4.6001618527380874,
       "Gamma's slope above sqrt(1e299) is not 1e299"},
      {65, {1e150}, {1e151}, 1e150, 1, "EDist of one argument above sqrt(1e299)"},
      {65,
       {1e200, 1e200},
       {2e200, 2e200},
       1.4142135623730951e200,
       0.70710678118654757,
       "EDist of two huge arguments: the slope is not 1"},
  };
  for (const auto& c : rows) {
    SCOPED_TRACE(c.why);
    const result r(c.fnr, c.lo, c.hi);
    EXPECT_TRUE(encloses(r.flo, c.f, r.fhi)) << r.flo << " " << r.fhi;
    EXPECT_TRUE(encloses(r.glo[0], c.g1, r.ghi[0])) << r.glo[0] << " " << r.ghi[0];
  }
}

TEST(MathnewInterval, EdgeCases) {
  struct caserow {
    std::int32_t fnr;
    std::vector<double> lo, hi;
    int answer;
    double flo, fhi, glo, ghi;
    const char* msg;
    const char* why;
  };
  const double e = std::exp(1.0);
  const caserow rows[] = {
      {10, {-1000}, {1}, 0, 0, e, 0, e, "", "exp: 0 below -L"},
      {13, {-1}, {4}, 1, -I, I, -I, I, "sqrt: FUNC DOMAIN: xmin < 0", "sqrt of a negative bound"},
      {13, {0}, {4}, 2, 0, 2, 0.25, I, "sqrt: GRAD SINGULAR: xmin tiny", "sqrt from 0"},
      {14, {-2}, {3}, 2, 0, 3, -1, 1, "abs: GRAD SIGLOSS: x = 0", "abs across zero"},
      {15, {0}, {7}, 0, -1, 1, -1, 1, "", "cos wider than 2 pi"},
      {15, {0}, {1}, 0, std::cos(1.0), 1, -std::sin(1.0), 0, "", "cos over [0, 1]"},
      {15, {-I}, {1}, 1, -1, 1, -1, 1, "cos: FUNC SIGLOSS: |x| > 1E299", "cos, infinite bound"},
      {15, {0}, {7e9}, 1, -1, 1, -1, 1, "cos: FUNC SIGLOSS: |x| too large", "cos, huge bound"},
      {21, {1}, {2}, 4, -I, I, -I, I, "", "power with exponent bounds [2, 3]"},
      {49,
       {-1},
       {1},
       0,
       1 / (1 + e),
       e / (1 + e),
       e / ((1 + e) * (1 + e)),
       0.25,
       "",
       "Sigmoid over [-1, 1]"},
      {17, {-1}, {1}, 0, -I, I, -I, I, "", "arctan is not bounded"},
      {11, {0}, {1}, 1, -I, I, -I, I, "log: FUNC SINGULAR: xmin = 0", "log from 0"},
      {11, {-1}, {1}, 1, -I, I, -I, I, "log: FUNC DOMAIN: xmin < 0", "log of a negative bound"},
      {11, {2}, {I}, 0, std::log(2.0), I, 0, 0.5, "", "log to infinity"},
      {66, {-1}, {1}, 1, -I, I, -I, I, "div: FUNC SINGULAR: x/y, y = 0", "divisor reaching zero"},
      {9, {-I}, {2}, 0, 0, I, -I, 4, "", "sqr of an infinite bound"},
      {88, {400}, {500}, 0, 1, 1, 0, 0, "", "tanh saturated"},
      {64, {-1}, {2}, 1, -I, I, -I, I, "rPower: FUNC DOMAIN: x**y, x<0", "rPower, negative base"},
      {75, {0}, {4}, 2, 0, 2, 0, I, "vcPower: GRAD SINGULAR: x**c, x=0,0<c<1", "sqrt as vcPower"},
  };
  for (const auto& c : rows) {
    SCOPED_TRACE(c.why);
    std::vector<double> lo = c.lo, hi = c.hi;
    if (c.fnr == 21) {  // exponent bounds [2, 3]
      lo.push_back(2);
      hi.push_back(3);
    }
    if (c.fnr == 66) {  // x in [-1, 1]
      lo.insert(lo.begin(), -1);
      hi.insert(hi.begin(), 1);
    }
    if (c.fnr == 64) {
      lo.push_back(1);
      hi.push_back(2);
    }
    if (c.fnr == 75) {
      lo.push_back(0.5);
      hi.push_back(0.5);
    }
    const result r(c.fnr, lo, hi);
    EXPECT_EQ(c.answer, r.answer);
    EXPECT_NEAR(c.flo, r.flo, 1e-15 * std::max(1.0, std::fabs(c.flo)));
    EXPECT_NEAR(c.fhi, r.fhi, 1e-15 * std::max(1.0, std::fabs(c.fhi)));
    EXPECT_NEAR(c.glo, r.glo[0], 1e-15 * std::max(1.0, std::fabs(c.glo)));
    EXPECT_NEAR(c.ghi, r.ghi[0], 1e-15 * std::max(1.0, std::fabs(c.ghi)));
    EXPECT_EQ(c.msg, std::string(r.rec.msg.view()));
  }
}

TEST(MathnewInterval, Helpers) {
  ctvnew::tmathnewrec rec{};
  ctvnew::mathnewrecinit(rec);
  double lo = 1, hi = 1;
  mathnew::detail::intmult(0, 0, -I, I, lo, hi, rec);
  EXPECT_EQ(0, lo);
  EXPECT_EQ(0, hi);
  mathnew::detail::intmult(-I, 5, 1, 2, lo, hi, rec);
  EXPECT_EQ(-I, lo);
  EXPECT_EQ(10, hi);
  mathnew::detail::intmult(-I, 5, -1, 2, lo, hi, rec);
  EXPECT_EQ(-I, lo);
  EXPECT_EQ(I, hi);
  mathnew::detail::intmult(1e200, 2e200, 1e200, 1e200, lo, hi, rec);
  EXPECT_EQ(I, hi) << "never beyond inf";

  EXPECT_EQ(0, mathnew::detail::intdiv(1, 2, 4, 8, lo, hi, rec));
  EXPECT_EQ(0.125, lo);
  EXPECT_EQ(0.5, hi);
  EXPECT_EQ(1, mathnew::detail::intdiv(1, 2, -1, 1, lo, hi, rec));
  EXPECT_TRUE(rec.msg.view().ends_with(": FUNC DOMAIN: x/y, |y| <= 1e-150")) << rec.msg.str();
  EXPECT_EQ(-I, lo);
  EXPECT_EQ(I, hi);
  EXPECT_EQ(1, mathnew::detail::intdiv(1, 2, 0, 4, lo, hi, rec));
  EXPECT_EQ(0.25, lo) << "the computation goes on after the report";
  EXPECT_EQ(I, hi);

  double flo, fhi, glo, ghi;
  EXPECT_EQ(1, mathnew::detail::intlog(1, 1e-300, 2, flo, fhi, glo, ghi, rec));
  EXPECT_NE(std::string::npos, std::string(rec.msg.view()).find("FUNC SINGULAR: xmin tiny"));
  EXPECT_EQ(0, mathnew::detail::intcosine(-0.5, 0.5, flo, fhi, glo, ghi, rec));
  EXPECT_NEAR(std::cos(0.5), flo, 1e-15);
  EXPECT_EQ(1, fhi);
  EXPECT_NEAR(-std::sin(0.5), glo, 1e-15);
  EXPECT_NEAR(std::sin(0.5), ghi, 1e-15);
}

}  // namespace
