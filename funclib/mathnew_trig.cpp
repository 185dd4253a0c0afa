// Trigonometric and hyperbolic functions. Results that would overflow are replaced by
// plus or minus 1e299 and reported; the periodic functions refuse |x| > 1e12, where no
// digit of the result would be meaningful.
#include <algorithm>
#include <cmath>

#include "funclib/mathnew.h"

namespace mathnew::detail {

namespace {

using ctvnew::tmathnewrec;
constexpr double big = ctvnew::math_huge;
constexpr int FUNC = ctvnew::rc_func, GRAD = ctvnew::rc_grad, HESS = ctvnew::rc_hess;
constexpr int DOMAIN = ctvnew::ec_domain, SINGULAR = ctvnew::ec_singular,
              OVERFLOW = ctvnew::ec_overflow, SIGLOSS = ctvnew::ec_sigloss;

// The half pi of the function library: the decimal literal, two units in the last place
// above the nearest double of pi/2.
constexpr double halfpi = 1.570796326794897;
constexpr double pi = 3.141592653589793;

bool periodictoolarge(double x) { return std::fabs(x) > 1e12; }

double clampbig(double v) { return std::clamp(v, -big, big); }

}  // namespace

// cos (15): g1 = -sin x, h11 = -cos x.  sin (16): g1 = cos x, h11 = -sin x.
int eval_sincos(tmathnewrec& r, const double* x) {
  const double v = x[0];
  if (periodictoolarge(v)) return logerr(r, FUNC, SIGLOSS, "|x| > 1e12");
  const double s = std::sin(v), c = std::cos(v);
  const bool iscos = r.fnr == 15;
  r.f = iscos ? c : s;
  if (r.level >= 1) {
    r.g[0] = iscos ? -s : c;
    r.h[0][0] = -r.f;
  }
  return 0;
}

// tan(x); g1 = 1 + tan^2 x; h11 = 2 tan x (1 + tan^2 x).
int eval_tan(tmathnewrec& r, const double* x) {
  const double v = x[0];
  if (periodictoolarge(v)) return logerr(r, FUNC, SIGLOSS, "|x| > 1e12");
  r.f = std::tan(v);
  if (r.f >= big || r.f <= -big) {
    const double sign = r.f > 0 ? 1 : -1;
    r.f = sign * big;
    r.g[0] = big;
    r.h[0][0] = sign * big;
    return logerr(r, FUNC, SINGULAR, "sin(x) nearly 0");
  }
  if (r.level < 1) return 0;
  if (std::fabs(r.f) >= ctvnew::sqrt_math_huge) {
    r.g[0] = big;
    r.h[0][0] = r.f < 0 ? -big : big;
    return logerr(r, GRAD, SINGULAR, "sin(x) nearly 0");
  }
  r.g[0] = 1 + r.f * r.f;
  if (r.level < 2) return 0;
  constexpr double steep = 3.684031498640387e+99;
  if (r.f >= steep || r.f <= -steep) {
    r.h[0][0] = r.f > 0 ? big : -big;
    return logerr(r, HESS, SINGULAR, "sin(x) nearly 0");
  }
  r.h[0][0] = 2 * r.f * (1 + r.f * r.f);
  return 0;
}

// arctan(x); g1 = 1/(1 + x^2); h11 = -2x/(1 + x^2)^2. Beyond 4.6e99 the limit +-pi/2.
int eval_arctan(tmathnewrec& r, const double* x) {
  const double v = x[0];
  if (std::fabs(v) >= ctvnew::cuberoot_math_huge) {
    r.f = v > 0 ? halfpi : -halfpi;
    r.g[0] = r.h[0][0] = 0;
    return 0;
  }
  r.f = std::atan(v);
  r.g[0] = 1 / (1 + v * v);
  r.h[0][0] = -2 * v * r.g[0] * r.g[0];
  return 0;
}

// arcsin(x); g1 = 1/sqrt(1 - x^2); h11 = x/(1 - x^2)^(3/2).
int eval_arcsin(tmathnewrec& r, const double* x) {
  const double v = x[0];
  if (std::fabs(v) < 1) {
    r.f = std::asin(v);
    if (r.level >= 1) {
      const double w = (1 - v) * (1 + v);
      r.g[0] = 1 / std::sqrt(w);
      r.h[0][0] = r.g[0] * v / w;
    }
    return 0;
  }
  if (v == 1 || v == -1) {
    r.f = v * halfpi;
    if (r.level < 1) return 0;
    r.g[0] = big;
    r.h[0][0] = v * big;
    return logerr(r, GRAD, SINGULAR, v == 1 ? "x = 1" : "x = -1");
  }
  return logerr(r, FUNC, DOMAIN, "|x| > 1");
}

// arccos(x); g1 = -1/sqrt(1 - x^2); h11 = -x/(1 - x^2)^(3/2).
int eval_arccos(tmathnewrec& r, const double* x) {
  const double v = x[0];
  if (std::fabs(v) < 1) {
    r.f = std::acos(v);
    if (r.level >= 1) {
      const double w = (1 - v) * (1 + v);
      r.g[0] = -1 / std::sqrt(w);
      r.h[0][0] = r.g[0] * v / w;
    }
    return 0;
  }
  if (v == 1 || v == -1) {
    if (v == -1) r.f = pi;
    if (r.level < 1) return 0;
    r.g[0] = -big;
    r.h[0][0] = -v * big;
    return logerr(r, GRAD, SINGULAR, v == 1 ? "x = 1" : "x = -1");
  }
  return logerr(r, FUNC, DOMAIN, "|x| > 1");
}

// arctan2(x, y): the angle of the point with ordinate x and abscissa y, in (-pi, pi];
// g = (y, -x)/(x^2 + y^2); h11 = -2xy/(x^2 + y^2)^2 = -h22; h12 = (x^2 - y^2)/(x^2 + y^2)^2.
int eval_arctan2(tmathnewrec& r, const double* x) {
  const double a = x[0], b = x[1];
  if (a == 0 && b == 0) return logerr(r, FUNC, SINGULAR, "x=0,y=0");
  if (b == 0) {  // on the ordinate axis
    r.f = a > 0 ? halfpi : -halfpi;
    r.g[0] = 0;
    r.g[1] = -1 / a;
    if (r.level < 2) return 0;
    r.h[0][0] = r.h[1][1] = 0;
    if (std::fabs(a) <= ctvnew::oosqrt_math_huge) {
      r.h[0][1] = r.h[1][0] = big;
      return logerr(r, HESS, SINGULAR, "x=0");
    }
    r.h[0][1] = r.h[1][0] = 1 / (a * a);
    return 0;
  }
  if (std::fabs(b) < std::fabs(a) && std::fabs(b) / std::fabs(a) < 1e-16) {  // y negligible
    r.f = a > 0 ? halfpi : -halfpi;
    r.g[0] = b / (a * a);
    r.g[1] = -1 / a;
    if (r.level < 2) return 0;
    if (std::fabs(a) <= ctvnew::oosqrt_math_huge) {
      const double q = clampbig(-2 * b / (a * a * a));
      r.h[0][0] = q;
      r.h[0][1] = r.h[1][0] = big;
      r.h[1][1] = -q;
      return logerr(r, HESS, SINGULAR, "x nearly 0");
    }
    r.h[0][0] = -2 * b / (a * a * a);
    r.h[0][1] = r.h[1][0] = 1 / (a * a);
    r.h[1][1] = -r.h[0][0];
    return 0;
  }
  r.f = std::atan2(a, b);
  const double q = a == b ? 1 : a / b;
  const double d = 1 + q * q;
  r.g[0] = 1 / (d * b);
  r.g[1] = -q / (d * b);
  if (r.level < 2) return 0;
  // Divided step by step, so that a tiny y gives an infinity to clamp, never 0/0.
  double h11 = -2 * q / (d * d) / b / b;
  double h12 = (q * q - 1) / (d * d) / b / b;
  int answer = 0;
  if (std::fabs(h11) >= big || std::fabs(h12) >= big) {
    h11 = clampbig(h11);
    h12 = clampbig(h12);
    answer = logerr(r, HESS, SINGULAR, "x nearly 0");
  }
  r.h[0][0] = h11;
  r.h[0][1] = r.h[1][0] = h12;
  r.h[1][1] = -h11;
  return answer;
}

// sinh (86): g1 = cosh x, h11 = sinh x.  cosh (87): g1 = sinh x, h11 = cosh x.
int eval_sinhcosh(tmathnewrec& r, const double* x) {
  constexpr double limit = 689.1660899857799;
  const double v = x[0];
  const bool issinh = r.fnr == 86;
  if (v > limit) {
    r.f = r.g[0] = r.h[0][0] = big;
    return logerr(r, FUNC, OVERFLOW, "x too large");
  }
  if (v < -limit) {
    const double sign = issinh ? -1 : 1;
    r.f = sign * big;
    r.g[0] = -sign * big;
    r.h[0][0] = sign * big;
    return logerr(r, FUNC, OVERFLOW, "-x too large");
  }
  const double s = std::sinh(v), c = std::cosh(v);
  r.f = issinh ? s : c;
  r.g[0] = issinh ? c : s;
  r.h[0][0] = r.f;
  return 0;
}

// tanh(x); g1 = 1 - tanh^2 x; h11 = -2 tanh x (1 - tanh^2 x).
int eval_tanh(tmathnewrec& r, const double* x) {
  const double v = x[0];
  if (v > 344.23647140261) {
    r.f = 1;
    r.g[0] = r.h[0][0] = 0;
    return 0;
  }
  const double t = std::tanh(v);
  r.f = t;
  r.g[0] = 1 - t * t;
  r.h[0][0] = -2 * t * r.g[0];
  return 0;
}

}  // namespace mathnew::detail
