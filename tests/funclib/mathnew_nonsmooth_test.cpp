// Non-smooth, logical and comparison functions: values at ties, kinks and halves, the
// piecewise derivatives and the three reports.
#include <gtest/gtest.h>

#include <cmath>

#include "support/mathnew_testutil.h"

namespace {

using namespace mathnew_test;

TEST(MathnewNonsmooth, Rounding) {
  const edgerow rows[] = {
      {3, 1, 1, 2.5, 0, 0, 0, 3, 0, any, any, any, any, 0, 0, nullptr, "round half up"},
      {3, 1, 1, -2.5, 0, 0, 0, -3, 0, any, any, any, any, 0, 0, nullptr, "round half down"},
      {3, 0, 1, 0.49999999999999994, 0, 0, 0, 0, any, any, any, any, any, 0, 0, nullptr,
       "the double just below 0.5 rounds to 0"},
      {3, 0, 1, 4503599627370497, 0, 0, 0, 4503599627370497, any, any, any, any, any, 0, 0, nullptr,
       "odd integers above 2^52 stay"},
      {3, 0, 1, 1e300, 0, 0, 0, 1e300, any, any, any, any, any, 0, 0, nullptr,
       "beyond the integer range, no conversion"},
      {3, 0, 2, 1.25, 1, 0, 0, 1.3, any, any, any, any, any, 0, 0, nullptr, "round(1.25, 1)"},
      {3, 0, 2, -1.25, 1, 0, 0, -1.3, any, any, any, any, any, 0, 0, nullptr, "round(-1.25, 1)"},
      {3, 0, 2, 150, -2, 0, 0, 200, any, any, any, any, any, 0, 0, nullptr, "round(150, -2)"},
      {3, 0, 2, 0, 500, 0, 0, 0, any, any, any, any, any, 0, 0, nullptr,
       "round(0, 500): i is not examined"},
      {3, 0, 2, 7.6, 0.4, 0, 0, 8, any, any, any, any, any, 0, 0, nullptr,
       "i rounding to 0: plain rounding"},
      {3, 0, 2, 1, 0.5, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "round(x,i): i not integer",
       "round(1, 0.5)"},
      {3, 0, 2, 1, 100, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "round(x,i): |i| >= 100",
       "round(1, 100)"},
      {3, 0, 2, 1, std::nan(""), 0, 1, 0, any, any, any, any, any, FUNC, DOM,
       "round(x,i): |i| >= 100", "a NaN count of decimals is refused"},
      {3, 0, 2, 1e300, 20, 0, 0, 1e300, any, any, any, any, any, 0, 0, nullptr,
       "x times 10^i not finite: x itself"},
      {1, 1, 1, -0.5, 0, 0, 0, 0, 0, any, any, any, any, 0, 0, nullptr, "ceil(-0.5)"},
      {1, 0, 1, 2, 0, 0, 0, 2, any, any, any, any, any, 0, 0, nullptr, "ceil(2)"},
      {1, 0, 1, 2.1, 0, 0, 0, 3, any, any, any, any, any, 0, 0, nullptr, "ceil(2.1)"},
      {2, 0, 1, -0.5, 0, 0, 0, -1, any, any, any, any, any, 0, 0, nullptr, "floor(-0.5)"},
      {2, 0, 1, -2, 0, 0, 0, -2, any, any, any, any, any, 0, 0, nullptr, "floor(-2)"},
      {5, 0, 1, -2.7, 0, 0, 0, -2, any, any, any, any, any, 0, 0, nullptr, "trunc(-2.7)"},
      {6, 1, 1, -0.1, 0, 0, 0, -1, 0, any, any, any, any, 0, 0, nullptr, "sign"},
      {6, 0, 1, 0, 0, 0, 0, 0, any, any, any, any, any, 0, 0, nullptr, "sign(0)"},
      {40, 1, 1, -2.75, 0, 0, 0, -0.75, 1, any, any, any, any, 0, 0, nullptr,
       "frac follows the sign of x"},
      {40, 1, 1, 0, 0, 0, 0, 0, 0, any, any, any, any, 0, 0, nullptr, "frac(0)"},
  };
  for (const edgerow& r : rows) check_edgerow(r);
}

TEST(MathnewNonsmooth, ModMinMaxAbs) {
  const edgerow rows[] = {
      {4, 1, 2, -7, 3, 0, 0, -1, 1, 2, any, any, any, 0, 0, nullptr, "mod(-7, 3)"},
      {4, 1, 2, 7, -3, 0, 0, 1, 1, 2, any, any, any, 0, 0, nullptr, "mod(7, -3)"},
      {4, 1, 2, 7, 1e-31, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "x < 1e-30",
       "mod by nearly 0 names x"},
      {4, 0, 2, 9007199254740993.0 * 4, 3, 0, 0, std::fmod(9007199254740993.0 * 4, 3), any, any,
       any, any, any, 0, 0, nullptr, "mod exact when x/y passes 2^53"},
      {4, 0, 2, 1e300, 7, 0, 0, std::fmod(1e300, 7), any, any, any, any, any, 0, 0, nullptr,
       "mod of a huge x"},
      {7, 1, 2, 2, 2, 0, 0, 2, 1, 0, any, any, any, 0, 0, nullptr, "min tie takes x"},
      {8, 1, 2, 2, 2, 0, 0, 2, 1, 0, any, any, any, 0, 0, nullptr, "max tie takes x"},
      {7, 1, 3, 5, 3, -9, 0, 3, 0, 1, any, any, any, 0, 0, nullptr, "min reads only two arguments"},
      {8, 1, 2, 1, 3, 0, 0, 3, 0, 1, any, any, any, 0, 0, nullptr, "max takes y"},
      {14, 0, 1, 0, 0, 0, 0, 0, any, any, any, any, any, 0, 0, nullptr, "abs(0) at level 0"},
      {14, 1, 1, 0, 0, 0, 2, 0, 1, any, any, any, any, GRAD, SIGL, "x < 1e-100",
       "abs at its kink at level 1"},
      {14, 2, 1, -3, 0, 0, 0, 3, -1, any, 0, any, any, 0, 0, nullptr, "abs of a negative"},
  };
  for (const edgerow& r : rows) check_edgerow(r);
}

TEST(MathnewNonsmooth, LogicRelationsAndIfThen) {
  struct row {
    double x, y;
    double values[12];  // bool_not .. bool_eqv, rel_eq .. rel_ne
    const char* why;
  };
  constexpr row rows[] = {
      {0, 0, {1, 0, 0, 0, 1, 1, 1, 0, 1, 0, 1, 0}, "both false"},
      {0, 2, {1, 0, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1}, "second true"},
      {-1, 0, {0, 0, 1, 1, 0, 0, 0, 0, 0, 1, 1, 1}, "first true, negative"},
      {0.5, 3, {0, 1, 1, 0, 1, 1, 0, 0, 0, 1, 1, 1}, "both true"},
      {3, 3, {0, 1, 1, 0, 1, 1, 1, 0, 1, 0, 1, 0}, "equal"},
      {3, 2, {0, 1, 1, 0, 1, 1, 0, 1, 1, 0, 0, 1}, "greater"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    for (int k = 0; k < 12; ++k) {
      mathnew_test::evaluation e(51 + k, 2, {r.x, r.y}, 7.0);
      EXPECT_EQ(0, e.answer);
      EXPECT_EQ(r.values[k], e.rec.f) << mathnew::funcname(static_cast<std::uint8_t>(51 + k)).str();
      EXPECT_EQ(0, e.rec.g[0]);
      EXPECT_EQ(0, e.rec.g[1]);
    }
  }
  const edgerow ifthen[] = {
      {63, 2, 3, 0, 5, 7, 0, 7, 0, 0, 0, 0, 0, 0, 0, nullptr, "IfThen(0, 5, 7)"},
      {63, 2, 3, -0.1, 5, 7, 0, 5, 0, 1, 0, 0, 0, 0, 0, nullptr, "IfThen(-0.1, 5, 7)"},
  };
  for (const edgerow& r : ifthen) check_edgerow(r);
  mathnew_test::evaluation e(63, 2, {0, 5, 7}, 7.0);
  EXPECT_EQ(1, e.rec.g[2]);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(0, e.rec.h[i][2]);
    EXPECT_EQ(0, e.rec.h[2][i]);
  }
}

}  // namespace
