// Trigonometric and hyperbolic functions: values, derivatives, the refusal of huge
// periodic arguments and the substitutes at poles and overflows.
#include <gtest/gtest.h>

#include <cmath>

#include "support/mathnew_testutil.h"

namespace {

using namespace mathnew_test;

constexpr double P = 1.570796326794897;
constexpr double pi = 3.141592653589793;

TEST(MathnewTrig, CircularFunctions) {
  const double h = -0.5 / std::pow(0.75, 1.5);
  const edgerow rows[] = {
      {16, 2, 1, 1e12, 0, 0, 0, std::sin(1e12), std::cos(1e12), any, -std::sin(1e12), any, any, 0,
       0, nullptr, "sin(1e12) is computed"},
      {16, 2, 1, 1.0000001e12, 0, 0, 1, 0, any, any, any, any, any, FUNC, SIGL, "|x| > 1e12",
       "sin beyond 1e12"},
      {15, 2, 1, -2e12, 0, 0, 1, 0, any, any, any, any, any, FUNC, SIGL, "|x| > 1e12",
       "cos beyond -1e12"},
      {15, 2, 1, 0, 0, 0, 0, 1, 0, any, -1, any, any, 0, 0, nullptr, "cos(0)"},
      {100, 2, 1, 1.2e12, 0, 0, 1, 0, any, any, any, any, any, FUNC, SIGL, "|x| > 1e12",
       "tan beyond 1e12"},
      {100, 2, 1, 0.5, 0, 0, 0, std::tan(0.5), 1 + std::tan(0.5) * std::tan(0.5), any,
       2 * std::tan(0.5) * (1 + std::tan(0.5) * std::tan(0.5)), any, any, 0, 0, nullptr,
       "tan(0.5)"},
      {17, 2, 1, 1e100, 0, 0, 0, P, 0, any, 0, any, any, 0, 0, nullptr,
       "arctan far out is the library's half pi"},
      {17, 2, 1, -1e100, 0, 0, 0, -P, 0, any, 0, any, any, 0, 0, nullptr, "and its negative"},
      {17, 2, 1, 1, 0, 0, 0, pi / 4, 0.5, any, -0.5, any, any, 0, 0, nullptr, "arctan(1)"},
      {102, 1, 1, 1, 0, 0, 2, P, big, any, big, any, any, GRAD, SING, "x = 1", "arcsin(1)"},
      {102, 1, 1, -1, 0, 0, 2, -P, big, any, -big, any, any, GRAD, SING, "x = -1", "arcsin(-1)"},
      {102, 0, 1, 1, 0, 0, 0, P, any, any, any, any, any, 0, 0, nullptr, "arcsin(1), level 0"},
      {102, 2, 1, 1.5, 0, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "|x| > 1", "arcsin(1.5)"},
      {102, 2, 1, std::nan(""), 0, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "|x| > 1",
       "arcsin(NaN) is refused"},
      {102, 2, 1, 0.5, 0, 0, 0, std::asin(0.5), 1 / std::sqrt(0.75), any, -h, any, any, 0, 0,
       nullptr, "arcsin(0.5)"},
      {101, 2, 1, 0.5, 0, 0, 0, std::acos(0.5), -1 / std::sqrt(0.75), any, h, any, any, 0, 0,
       nullptr, "arccos(0.5): h11 = -0.5/0.75^1.5"},
      {101, 1, 1, 1, 0, 0, 2, 0, -big, any, -big, any, any, GRAD, SING, "x = 1", "arccos(1)"},
      {101, 1, 1, -1, 0, 0, 2, pi, -big, any, big, any, any, GRAD, SING, "x = -1", "arccos(-1)"},
      {101, 0, 1, -1, 0, 0, 0, pi, any, any, any, any, any, 0, 0, nullptr, "arccos(-1), level 0"},
      {101, 2, 1, -1.5, 0, 0, 1, 0, any, any, any, any, any, FUNC, DOM, "|x| > 1", "arccos(-1.5)"},
  };
  for (const edgerow& r : rows) check_edgerow(r);
}

TEST(MathnewTrig, ArcTangentOfTwo) {
  const edgerow rows[] = {
      {103, 2, 2, 1, 0, 0, 0, P, 0, -1, 0, 1, 0, 0, 0, nullptr, "arctan2(1, 0)"},
      {103, 2, 2, 0, -1, 0, 0, pi, -1, 0, 0, -1, 0, 0, 0, nullptr, "arctan2(0, -1) = pi"},
      {103, 2, 2, 0, 0, 0, 1, 0, any, any, any, any, any, FUNC, SING, "x=0,y=0",
       "arctan2 at the origin"},
      {103, 2, 2, 1e-151, 0, 0, 3, P, 0, -1e151, 0, big, 0, HESS, SING, "x=0",
       "on the axis, close to the origin"},
      {103, 2, 2, -2, 1e-17, 0, 0, -P, 1e-17 / 4, 0.5, 2e-17 / -8 * -1, 0.25, any, 0, 0, nullptr,
       "y negligible"},
      {103, 2, 2, 1e-160, 1e-177, 0, 3, P, any, any, any, big, any, HESS, SING, "x nearly 0",
       "y negligible next to a tiny x"},
      {103, 2, 2, 1e-200, 1e-200, 0, 3, pi / 4, any, any, -big, 0, big, HESS, SING, "x nearly 0",
       "tiny x = y: clamped Hessian"},
      {103, 2, 2, 0, 1e-200, 0, 3, 0, any, 0, 0, -big, 0, HESS, SING, "x nearly 0",
       "x = 0 next to a tiny y: no 0/0"},
      {103, 2, 2, 3, 4, 0, 0, std::atan2(3, 4), 4.0 / 25, -3.0 / 25, -24.0 / 625, -7.0 / 625,
       24.0 / 625, 0, 0, nullptr, "arctan2(3, 4)"},
  };
  for (const edgerow& r : rows) check_edgerow(r);
}

TEST(MathnewTrig, HyperbolicFunctions) {
  const edgerow rows[] = {
      {88, 2, 1, 400, 0, 0, 0, 1, 0, any, 0, any, any, 0, 0, nullptr, "tanh(400)"},
      {88, 2, 1, -400, 0, 0, 0, -1, 0, any, 0, any, any, 0, 0, nullptr, "tanh(-400)"},
      {88, 2, 1, 1e-10, 0, 0, 0, 1e-10, 1, any, -2e-10, any, any, 0, 0, nullptr,
       "tanh near 0 with full relative accuracy"},
      {86, 2, 1, 1e-10, 0, 0, 0, 1e-10, 1, any, 1e-10, any, any, 0, 0, nullptr,
       "sinh near 0 with full relative accuracy"},
      {86, 2, 1, -700, 0, 0, 0, -big, big, any, -big, any, any, FUNC, OVF, "-x too large",
       "sinh(-700) forgiven"},
      {86, 2, 1, 700, 0, 0, 0, big, big, any, big, any, any, FUNC, OVF, "x too large", "sinh(700)"},
      {87, 2, 1, -700, 0, 0, 0, big, -big, any, big, any, any, FUNC, OVF, "-x too large",
       "cosh(-700)"},
      {87, 2, 1, 689, 0, 0, 0, std::cosh(689.0), std::sinh(689.0), any, std::cosh(689.0), any, any,
       0, 0, nullptr, "cosh just below the limit"},
  };
  for (const edgerow& r : rows) check_edgerow(r, 1e-15);
}

}  // namespace
