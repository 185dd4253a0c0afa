// Non-smooth, logical and comparison functions: rounding, sign, min and max, abs, mod,
// frac, the logical functions, the relations and IfThen. Derivatives are piecewise; at a
// tie or a kink the first argument's side is taken.
#include <cmath>

#include "funclib/mathnew.h"

namespace mathnew::detail {

namespace {

using ctvnew::tmathnewrec;
constexpr int FUNC = ctvnew::rc_func, GRAD = ctvnew::rc_grad;
constexpr int DOMAIN = ctvnew::ec_domain, SIGLOSS = ctvnew::ec_sigloss;

double boolvalue(bool b) { return b ? 1 : 0; }

// 10 to the power k (0 <= k < 100) by repeated squaring: exact as far as doubles hold it.
double tenpower(int k) {
  double p = 1, base = 10;
  for (; k != 0; k >>= 1) {
    if (k & 1) p *= base;
    base *= base;
  }
  return p;
}

}  // namespace

// ceil (1), floor (2), trunc (5), sign (6); no derivatives. A zero argument gives +0.
int eval_rounding(tmathnewrec& r, const double* x) {
  const double v = x[0];
  if (v == 0) return 0;
  switch (r.fnr) {
    case 1:
      r.f = std::ceil(v);
      break;
    case 2:
      r.f = std::floor(v);
      break;
    case 5:
      r.f = std::trunc(v);
      break;
    default:
      r.f = v < 0 ? -1 : (v > 0 ? 1 : 0);
      break;
  }
  return 0;
}

// round(x) to the nearest integer, halves away from zero; round(x, i) to i decimals
// (to a multiple of 10^-i for i < 0). Where x 10^|i| is not finite, x itself.
int eval_round(tmathnewrec& r, const double* x) {
  const double v = x[0];
  if (v == 0) return 0;
  const double i = r.nargs >= 2 ? x[1] : 0;
  if (r.nargs < 2 || nearest(i) == 0) {
    r.f = nearest(v);
    return 0;
  }
  if (!(std::fabs(i) < 100)) return logerr(r, FUNC, DOMAIN, "round(x,i): |i| >= 100");
  const double k = nearest(i);
  if (std::fabs(k - i) >= 1e-4) return logerr(r, FUNC, DOMAIN, "round(x,i): i not integer");
  const double p = tenpower(static_cast<int>(std::fabs(k)));
  if (k > 0) {
    const double scaled = v * p;
    r.f = std::isfinite(scaled) ? nearest(scaled) / p : v;
  } else {
    r.f = p * nearest(v / p);
  }
  return 0;
}

// mod(x, y) = x - y int(x/y), the sign following x; g = (1, -int(x/y)).
int eval_mod(tmathnewrec& r, const double* x) {
  const double a = x[0], b = x[1];
  if (std::fabs(b) < 1e-30) return logerr(r, FUNC, DOMAIN, "x < 1e-30");
  r.f = std::fmod(a, b);
  r.g[0] = 1;
  r.g[1] = -intpart(a / b);
  return 0;
}

// frac(x) = x - int(x), the sign following x; g1 = 1.
int eval_frac(tmathnewrec& r, const double* x) {
  const double v = x[0];
  if (v == 0) return 0;
  r.f = v - intpart(v);
  r.g[0] = 1;
  return 0;
}

// min (7) and max (8) of the first two arguments; a tie takes the first.
int eval_minmax(tmathnewrec& r, const double* x) {
  const double a = x[0], b = x[1];
  const bool second = r.fnr == 7 ? a > b : b > a;
  r.f = second ? b : a;
  r.g[second ? 1 : 0] = 1;
  return 0;
}

// abs(x); g1 = sign(x), and 1 at the kink, which is reported.
int eval_abs(tmathnewrec& r, const double* x) {
  const double v = x[0];
  r.f = std::fabs(v);
  if (r.level < 1) return 0;
  if (std::fabs(v) <= 1e-100) {
    r.g[0] = 1;
    return logerr(r, GRAD, SIGLOSS, "x < 1e-100");
  }
  r.g[0] = v > 0 ? 1 : -1;
  return 0;
}

// bool_not .. bool_eqv (51..56): a value is true when it is not 0; results 1 or 0.
int eval_logic(tmathnewrec& r, const double* x) {
  const bool a = x[0] != 0, b = x[1] != 0;
  switch (r.fnr) {
    case 51:
      r.f = boolvalue(!a);
      break;
    case 52:
      r.f = boolvalue(a && b);
      break;
    case 53:
      r.f = boolvalue(a || b);
      break;
    case 54:
      r.f = boolvalue(a != b);
      break;
    case 55:
      r.f = boolvalue(!a || b);
      break;
    default:
      r.f = boolvalue(a == b);
      break;
  }
  return 0;
}

// rel_eq .. rel_ne (57..62): exact comparisons; results 1 or 0.
int eval_relation(tmathnewrec& r, const double* x) {
  const double a = x[0], b = x[1];
  switch (r.fnr) {
    case 57:
      r.f = boolvalue(a == b);
      break;
    case 58:
      r.f = boolvalue(a > b);
      break;
    case 59:
      r.f = boolvalue(a >= b);
      break;
    case 60:
      r.f = boolvalue(a < b);
      break;
    case 61:
      r.f = boolvalue(a <= b);
      break;
    default:
      r.f = boolvalue(a != b);
      break;
  }
  return 0;
}

// IfThen(c, y, z): y when c is not 0, else z; the chosen branch has derivative 1.
int eval_ifthen(tmathnewrec& r, const double* x) {
  r.g[2] = 0;
  if (r.level >= 2) r.h[0][2] = r.h[1][2] = r.h[2][0] = r.h[2][1] = r.h[2][2] = 0;
  if (x[0] != 0) {
    r.f = x[1];
    r.g[1] = 1;
  } else {
    r.f = x[2];
    r.g[2] = 1;
  }
  return 0;
}

}  // namespace mathnew::detail
