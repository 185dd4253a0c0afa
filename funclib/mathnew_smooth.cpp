// Smoothed functions: the linear and quadratic extensions of log10, exp and the reciprocal
// beyond a switch point, the smoothed complementarity (NCP) functions and the log-sum-exp
// family. An out-of-range smoothing parameter is reported and replaced by its default;
// the evaluation goes on and answers the parameter report's answer.
#include <algorithm>
#include <cmath>

#include "funclib/mathnew.h"

namespace mathnew::detail {

namespace {

using ctvnew::tmathnewrec;
constexpr double big = ctvnew::math_huge;
constexpr double lnbig = ctvnew::ln_math_huge;
constexpr int FUNC = ctvnew::rc_func, GRAD = ctvnew::rc_grad;
constexpr int DOMAIN = ctvnew::ec_domain, SINGULAR = ctvnew::ec_singular,
              OVERFLOW = ctvnew::ec_overflow;

constexpr double invln10 = 0.4342944819032518;
constexpr double halfpi = 1.570796326794897;

// The switch point of an extension: the second argument when it is given and allowed,
// else the default (a disallowed one is reported first).
struct switchpoint {
  double d;
  bool isdefault;
  int answer;  // of the parameter report, or 0
};

switchpoint getswitch(tmathnewrec& r, const double* x, double deflt, bool upper, const char* text) {
  if (r.nargs < 2) return {deflt, true, 0};
  const double d = x[1];
  const bool allowed = upper ? d <= deflt : d >= deflt;
  if (allowed) return {d, false, 0};
  return {deflt, true, logerr(r, FUNC, DOMAIN, text)};
}

// An overflow in an extension zone: reported unless a parameter report came first.
int extoverflow(tmathnewrec& r, const switchpoint& s, const char* text) {
  return s.answer != 0 ? s.answer : logerr(r, FUNC, OVERFLOW, text);
}

// sllog10 (68) and sqlog10 (69): log10 for x > d, its first- or second-order Taylor
// polynomial at d below.
int extlog10(tmathnewrec& r, const double* x, bool quadratic) {
  const switchpoint s = getswitch(r, x, 1e-150, false, "smoothing parameter has to be >= 1e-150");
  const double v = x[0], d = s.d;
  if (v > d) {
    r.f = std::log10(v);
    r.g[0] = invln10 / v;
    r.h[0][0] = -r.g[0] / v;
    return s.answer;
  }
  const double t = (v - d) / d;
  if (!quadratic) {
    // f = c (ln d + t); g1 = c/d; h11 = 0
    r.g[0] = invln10 / d;
    r.h[0][0] = 0;
    const bool overflow =
        s.isdefault ? v - d < -2.302585092994046e+149 : d < 1 && -(v - d) > big * d / invln10;
    if (overflow) {
      r.f = -big;
      return extoverflow(r, s, "x too negative");
    }
    r.f = invln10 * (std::log(d) + t);
    return s.answer;
  }
  // f = c (ln d + t - t^2/2); g1 = c (1/d - (x-d)/d^2); h11 = -c/d^2
  r.h[0][0] = -invln10 / (d * d);
  const bool overflow = s.isdefault ? v - d < -0.6786140424415111
                        : d <= 1    ? -(v - d) > 6.786140424415112e+149 * d
                                    : t < -6.786140424415112e+149;
  if (overflow) {
    r.f = -big;
    r.g[0] = big;
    return extoverflow(r, s, "x too negative");
  }
  r.f = invln10 * (std::log(d) + t - t * t / 2);
  r.g[0] = invln10 * (1 / d - (v - d) / (d * d));
  return s.answer;
}

// slexp (70) and sqexp (71): exp for x <= d, its Taylor polynomial at d above.
int extexp(tmathnewrec& r, const double* x, bool quadratic) {
  const switchpoint s = getswitch(r, x, 150, true, "smoothing parameter has to be <= 150");
  const double v = x[0], d = s.d;
  if (v <= d) {
    r.f = r.g[0] = r.h[0][0] = std::exp(v);
    return s.answer;
  }
  const double t = v - d, e = std::exp(d);
  if (!quadratic) {
    // f = E (1 + t); g1 = E; h11 = 0
    r.g[0] = e;
    r.h[0][0] = 0;
    const bool overflow = s.isdefault ? t > 7.1750959731644105e+233 : e > 1 && t > big / e;
    if (overflow) {
      r.f = big;
      return extoverflow(r, s, "x too large");
    }
    r.f = e * (1 + t);
    return s.answer;
  }
  // f = E (1 + t + t^2/2); g1 = E (1 + t); h11 = E
  r.h[0][0] = e;
  const bool overflow = s.isdefault ? t > 1.1979228667292742e+117
                        : e <= 2    ? t > ctvnew::sqrt_math_huge
                                    : t > std::sqrt(2 / e * big);
  if (overflow) {
    r.f = r.g[0] = big;
    return extoverflow(r, s, "x too large");
  }
  r.f = e * (1 + t + t * t / 2);
  r.g[0] = e * (1 + t);
  return s.answer;
}

// slrec (72) and sqrec (73): 1/x in the regular zone (x > d, for sqrec x >= d), its
// Taylor polynomial at d below.
int extrec(tmathnewrec& r, const double* x, bool quadratic) {
  const switchpoint s = getswitch(r, x, 1e-10, false, "smoothing parameter has to be >= 1e-10");
  const double v = x[0], d = s.d;
  if (quadratic ? v >= d : v > d) {
    r.f = 1 / v;
    r.g[0] = -1 / (v * v);
    r.h[0][0] = 2 / (v * v * v);
    return s.answer;
  }
  const double t = (v - d) / d;
  if (!quadratic) {
    // f = (1 - t)/d; g1 = -1/d^2; h11 = 0
    r.g[0] = -1 / (d * d);
    r.h[0][0] = 0;
    const bool overflow = (s.isdefault || d < 1) && -(v - d) > d * d * big;
    if (overflow) {
      r.f = big;
      return extoverflow(r, s, "x too negative");
    }
    r.f = (1 - t) / d;
    return s.answer;
  }
  // f = (t^2 - t + 1)/d; g1 = (2t - 1)/d^2; h11 = 2/d^3
  r.h[0][0] = 2 / (d * d * d);
  const bool overflow = s.isdefault ? v - d < -3.1622776601683793e+134
                        : d < 1     ? -(v - d) > std::sqrt(big * d) * d
                                    : t < -1e154 || -t / (d * d) > ctvnew::sqrt_math_huge;
  if (overflow) {
    r.f = big;
    r.g[0] = -big;
    return extoverflow(r, s, "x too negative");
  }
  r.f = (t * t - t + 1) / d;
  r.g[0] = (2 * t - 1) / (d * d);
  return s.answer;
}

// The diagonal factor S - e_i of the log-sum-exp Hessian, summed explicitly when it is
// small (no cancellation next to a dominant term).
double othersum(const double* e, int first, int n, int i, double total) {
  const double rest = total - e[i];
  if (rest >= 0.5) return rest;
  double sum = 0;
  for (int j = first; j < n; ++j)
    if (j != i) sum += e[j];
  return sum;
}

}  // namespace

int eval_extension(tmathnewrec& r, const double* x) {
  switch (r.fnr) {
    case 68:
      return extlog10(r, x, false);
    case 69:
      return extlog10(r, x, true);
    case 70:
      return extexp(r, x, false);
    case 71:
      return extexp(r, x, true);
    case 72:
      return extrec(r, x, false);
    default:
      return extrec(r, x, true);
  }
}

// NcpF(x, y[, m]) = sqrt(x^2 + y^2 + 2m) - x - y, formed on arguments scaled by
// s = max(|x|, |y|, sqrt(m)); with R the root: g = (x/R - 1, y/R - 1);
// h = ((R^2 - x^2), -xy; -xy, (R^2 - y^2)) / R^3.
int eval_ncpf(tmathnewrec& r, const double* x) {
  const bool three = r.nargs >= 3;
  const double m = three ? x[2] : 0;
  if (three && m < 0) return logerr(r, FUNC, DOMAIN, "f(r,s,mu), mu < 0");
  const double s = std::max({std::fabs(x[0]), std::fabs(x[1]), std::sqrt(m)});
  if (s == 0) {
    if (r.level >= 1) {
      r.g[0] = r.g[1] = 1;
      (void)logerr(r, GRAD, SINGULAR, "f(r,s,mu), r=s=mu=0");
    }
    return 0;  // the origin counts as evaluated whatever the callback answered
  }
  const double a = x[0] / s, b = x[1] / s, q = m / s / s;  // s * s may underflow
  const double root = std::sqrt(a * a + b * b + 2 * q);
  r.f = (root - a - b) * s;
  if (r.level >= 1) {
    r.g[2] = 0;
    r.g[0] = a / root - 1;
    r.g[1] = b / root - 1;
  }
  if (r.level >= 2) {
    const double cube = root * root * root * s;
    r.h[0][0] = (root * root - a * a) / cube;
    r.h[0][1] = r.h[1][0] = -a * b / cube;
    r.h[1][1] = (root * root - b * b) / cube;
  }
  return 0;
}

// NcpCM(x, y, m) = x - m ln(1 + exp((x - y)/m)); with e = exp((x-y)/m):
// g = (1, e)/(1 + e); h11 = h22 = -h12 = -e/((1 + e)^2 m).
int eval_ncpcm(tmathnewrec& r, const double* x) {
  const double a = x[0], b = x[1], m = x[2];
  if (!(m > 0)) {
    (void)logerr(r, FUNC, DOMAIN, "f(r,s,mu), m <= 0");
    return 0;  // counts as evaluated whatever the callback answered
  }
  const double u = a - b;
  if (u > lnbig * m || u < -lnbig * m) {  // e overflows or vanishes: min(x, y) itself
    const bool ylow = u > 0;
    r.f = ylow ? b : a;
    r.g[0] = ylow ? 0 : 1;
    r.g[1] = ylow ? 1 : 0;
    r.g[2] = 0;
    return 0;
  }
  const double e = std::exp(u / m);
  r.f = a - m * std::log1p(e);
  if (r.level >= 1) {
    r.g[0] = 1 / (1 + e);
    r.g[1] = e / (1 + e);
    r.g[2] = 0;
  }
  if (r.level >= 2) {
    const double q = m > 1 ? -r.g[1] / (1 + e) / m : -r.g[1] / (m * (1 + e));
    r.h[0][0] = r.h[1][1] = q;
    r.h[0][1] = r.h[1][0] = -q;
  }
  return 0;
}

// NcpVUsin (94) and NcpVUpow (95): min(x, y) outside the band |x - y| < m, inside it
// (x + y - k)/2 with a sine or polynomial smoothing term k.
int eval_ncpvu(tmathnewrec& r, const double* x) {
  const double a = x[0], b = x[1];
  double m = 0;
  int answer = 0;
  if (r.nargs >= 3) {
    m = x[2];
    if (m < 0) {
      answer = logerr(r, FUNC, DOMAIN, "smoothing parameter has to be >= 0");
      m = 0;
    }
  }
  if (!(m > std::fabs(a - b))) {
    if (a >= b) {
      r.f = b;
      r.g[1] = 1;
    } else {
      r.f = a;
      r.g[0] = 1;
    }
    return answer;
  }
  double k = 0, h = 0;
  if (r.fnr == 94) {
    // k = m + (m/P) sin(theta), theta = ((x-y)/m - 1) P; dk/dx = cos(theta)
    const double theta = ((a - b) / m - 1) * halfpi;
    const double s = std::min(std::sin(theta), 0.0), c = std::cos(theta);
    k = m + (m / halfpi) * s;
    r.g[0] = (1 - c) / 2;
    r.g[1] = (1 + c) / 2;
    h = halfpi * s / (2 * m);
  } else {
    // k = m (-t^4 + 6t^2 + 3)/8, t = (x-y)/m; dk/dx = (3t - t^3)/2
    const double t = (a - b) / m, t2 = t * t;
    k = m * (-t2 * t2 + 6 * t2 + 3) / 8;
    const double s = (t2 * t - 3 * t) / 4;
    r.g[0] = 0.5 + s;
    r.g[1] = 0.5 - s;
    h = 0.75 * (t2 - 1) / m;
  }
  r.f = (a < 0 || a > b ? b - k + a : b + (a - k)) / 2;
  r.h[0][0] = r.h[1][1] = h;
  r.h[0][1] = r.h[1][0] = -h;
  return answer;
}

// LSEMax (125) ln(sum exp(xi)), LSEMin (127) -ln(sum exp(-xi)), and their scaled forms
// LSEMaxSc (126) and LSEMinSc (128) over x2..xn with the factor t = x1:
// g_i = e_i/S; h_ij = -+t e_i e_j/S^2 (i != j); h_ii = +-t (S - e_i) e_i/S^2.
int eval_lse(tmathnewrec& r, const double* x) {
  const bool ismax = r.fnr == 125 || r.fnr == 126;
  const bool scaled = r.fnr == 126 || r.fnr == 128;
  const int n = std::min(r.nargs, ctvnew::maxargs);
  const int first = scaled ? 1 : 0;
  double t = 1;
  if (scaled) {
    t = x[0];
    if (!(t > 0))
      return logerr(r, FUNC, DOMAIN, ismax ? "LSEMaxSc(t,x): t <= 0" : "LSEMinSc(t,x): t <= 0");
  }
  if (n <= first) return 0;
  const double sign = ismax ? 1 : -1;  // the minimum is the maximum of -x, negated
  double mx = x[first];
  for (int i = first + 1; i < n; ++i) mx = ismax ? std::max(mx, x[i]) : std::min(mx, x[i]);
  double e[ctvnew::maxargs] = {};
  double total = 0;
  for (int i = first; i < n; ++i) {
    e[i] = std::exp(sign * t * (x[i] - mx));
    total += e[i];
  }
  r.f = mx + sign * std::log(total) / t;
  if (r.level < 1) return 0;
  for (int i = first; i < n; ++i) r.g[i] = e[i] / total;
  if (r.level < 2) return 0;
  const double s2 = total * total;
  for (int i = first; i < n; ++i) {
    for (int j = first; j < n; ++j) {
      r.h[i][j] = i == j ? sign * t * othersum(e, first, n, i, total) * e[i] / s2
                         : -sign * t * e[i] * e[j] / s2;
    }
  }
  return 0;
}

}  // namespace mathnew::detail
