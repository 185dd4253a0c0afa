// Elementary and power functions: squares and roots, exponential and logarithms, divisions,
// the power functions, the normal distribution function, entropies, the norm, polynomials.
// Near a singularity or an overflow each writes bounded substitutes (plus or minus 1e299,
// or a fixed slope) into f, g and h first and then reports, so that a forgiving callback
// leaves finite numbers.
#include <algorithm>
#include <cmath>

#include "funclib/mathnew.h"

namespace mathnew::detail {

namespace {

using ctvnew::tmathnewrec;
constexpr double big = ctvnew::math_huge;
constexpr double lnbig = ctvnew::ln_math_huge;
constexpr int FUNC = ctvnew::rc_func, GRAD = ctvnew::rc_grad, HESS = ctvnew::rc_hess;
constexpr int DOMAIN = ctvnew::ec_domain, SINGULAR = ctvnew::ec_singular,
              OVERFLOW = ctvnew::ec_overflow;

// The logarithm family at x <= 1e-299 (also Logit): the same substitutes for all of them.
int logsmall(tmathnewrec& r, double x) {
  if (x < 0) return logerr(r, FUNC, DOMAIN, "x < 0");
  r.f = -big;
  r.g[0] = big;
  r.h[0][0] = -big;
  return logerr(r, FUNC, SINGULAR, x == 0 ? "x = 0" : "x tiny");
}

// A product that would pass 1e299 gives 1e299 (binary powering of power()).
double guardedproduct(double a, double b) {
  const double aa = std::fabs(a), ab = std::fabs(b);
  if (aa < 1e149 && ab < 1e149) return a * b;
  if (aa == 0 || ab == 0) return 0;
  return std::log(aa) + std::log(ab) >= lnbig ? big : a * b;
}

bool isodd(int k) { return k % 2 != 0; }

// x^2; g1 = 2x; h11 = 2 (sqr and power(x, 2), which differ in their message).
int square(tmathnewrec& r, double v, const char* overflowtext) {
  if (std::fabs(v) > ctvnew::sqrt_math_huge) {
    r.f = big;
    r.g[0] = v > 0 ? big : -big;
    const int answer = logerr(r, FUNC, OVERFLOW, overflowtext);
    r.h[0][0] = 2;
    return answer;
  }
  r.f = v * v;
  r.g[0] = 2 * v;
  r.h[0][0] = 2;
  return 0;
}

}  // namespace

int eval_sqr(tmathnewrec& r, const double* x) { return square(r, x[0], "|x| too large"); }

// exp(x); g1 = h11 = exp(x).
int eval_exp(tmathnewrec& r, const double* x) {
  if (x[0] > lnbig) {
    r.f = big;
    const int answer = logerr(r, FUNC, OVERFLOW, "x too large");
    r.g[0] = r.h[0][0] = big;
    return answer;
  }
  r.f = std::exp(x[0]);
  r.g[0] = r.h[0][0] = r.f;
  return 0;
}

// log (11), log10 (12), log2 (50): f = c ln x; g1 = c/x; h11 = -c/x^2, a fixed slope for
// x <= 3.7983e-150 where -c/x^2 would pass 1e299.
int eval_log(tmathnewrec& r, const double* x) {
  const double v = x[0];
  if (v <= ctvnew::oo_math_huge) return logsmall(r, v);
  double c = 1, steep = -6.931408155235185e+298;
  switch (r.fnr) {
    case 12:
      c = 0.4342944819032518;
      steep = -3.010272313637839e+298;
      r.f = std::log10(v);
      break;
    case 50:
      c = 1.442695040888963;
      steep = -9.999908171935117e+298;
      r.f = std::log2(v);
      break;
    default:
      r.f = std::log(v);
      break;
  }
  if (r.level < 1) return 0;
  r.g[0] = c / v;
  if (r.level < 2) return 0;
  r.h[0][0] = v > 3.7983e-150 ? -r.g[0] / v : steep;
  return 0;
}

// sqrt(x); g1 = 0.5/sqrt(x); h11 = -0.25 x^(-3/2).
int eval_sqrt(tmathnewrec& r, const double* x) {
  const double v = x[0];
  if (v < 0) return logerr(r, FUNC, DOMAIN, "x < 0");
  r.f = std::sqrt(v);
  if (r.level < 1) return 0;
  if (v < 1.8420157493201942e-200) {
    const int answer = logerr(r, GRAD, SINGULAR, "x tiny");
    r.g[0] = 1e10;
    r.h[0][0] = -1e10;
    return answer;
  }
  r.g[0] = 0.5 / r.f;
  r.h[0][0] = -0.5 * r.g[0] / v;
  return 0;
}

// errorf(x) = Phi(x), the standard normal distribution; g1 = phi(x); h11 = -x phi(x).
int eval_errorf(tmathnewrec& r, const double* x) {
  const double v = x[0];
  r.f = codyerrf(v);
  r.g[0] = std::fabs(v) < 40 ? 0.3989422804014327 * std::exp(-v * v / 2) : 0;
  r.h[0][0] = -v * r.g[0];
  return 0;
}

// div (66) and div0 (67): x/y; g = (1/y, -x/y^2); h12 = -1/y^2; h22 = 2x/y^3.
// div0 gives the substitutes of a zero divisor without a report.
int eval_div(tmathnewrec& r, const double* x) {
  const double a = x[0], b = x[1];
  if (std::fabs(b) <= 1e-150) {
    const double v = a >= 0 ? big : -big;
    r.f = v;
    r.g[0] = v;
    r.g[1] = -v;
    r.h[0][1] = r.h[1][0] = -v;
    r.h[1][1] = v;
    return r.fnr == 66 ? logerr(r, FUNC, SINGULAR, "x/y, |y| <= 1e-150") : 0;
  }
  r.f = a / b;
  if (r.level < 1) return 0;
  r.g[0] = 1 / b;
  r.g[1] = -r.f / b;
  if (r.level < 2) return 0;
  r.h[0][1] = r.h[1][0] = -1 / (b * b);
  r.h[1][1] = -2 * r.g[1] / b;
  return 0;
}

// Entropy(x) = -x ln x; g1 = -(ln x + 1); h11 = -1/x.
int eval_entropy(tmathnewrec& r, const double* x) {
  const double v = x[0];
  if (v < 0) return logerr(r, FUNC, DOMAIN, "x < 0");
  if (v == 0) {
    if (r.level < 1) return 0;
    r.g[0] = big;
    r.h[0][0] = -big;
    return logerr(r, GRAD, SINGULAR, "x = 0");
  }
  const double l = std::log(v);
  r.f = -v * l;
  r.g[0] = -(l + 1);
  r.h[0][0] = v >= ctvnew::oo_math_huge ? -1 / v : -big;
  return 0;
}

// Sigmoid(x) = 1/(1 + exp(-x)); g1 = f(1 - f); h11 = g1(1 - 2f). Formed from exp(-|x|).
int eval_sigmoid(tmathnewrec& r, const double* x) {
  const double v = x[0];
  if (v <= 0) {
    const double e = std::exp(v);
    r.f = e / (1 + e);
    r.g[0] = r.f / (1 + e);
    if (r.level >= 2) r.h[0][0] = r.g[0] * (1 - e) / (1 + e);
  } else {
    const double e = std::exp(-v);
    r.f = 1 / (1 + e);
    r.g[0] = r.f * e / (1 + e);
    if (r.level >= 2) r.h[0][0] = r.g[0] * (e - 1) / (1 + e);
  }
  return 0;
}

// Logit(x) = ln(x/(1-x)); g1 = 1/(1-x) + 1/x; h11 = 1/(1-x)^2 - 1/x^2.
int eval_logit(tmathnewrec& r, const double* x) {
  const double v = x[0];
  if (v <= ctvnew::oo_math_huge) return logsmall(r, v);
  if (v > 1) return logerr(r, FUNC, DOMAIN, "x > 1");
  if (v == 1) {
    r.f = r.g[0] = r.h[0][0] = big;
    return logerr(r, FUNC, SINGULAR, "x = 1");
  }
  const double w = 1 - v;
  r.f = std::log(v / w);
  r.g[0] = 1 / w + 1 / v;
  r.h[0][0] = v > 3.7983e-150 ? 1 / (w * w) - 1 / (v * v) : -6.931408155235185e+298;
  return 0;
}

// EDist(x1..xn) = sqrt(sum xi^2); gi = xi/f; hij = (delta_ij - (xi/f)(xj/f))/f.
// The sum is formed on arguments scaled by the largest magnitude, so that it cannot
// overflow or underflow where the norm itself is representable.
int eval_edist(tmathnewrec& r, const double* x) {
  const int n = r.nargs;
  if (n < 1) return 0;
  double scale = 0;
  for (int i = 0; i < n; ++i) scale = std::max(scale, std::fabs(x[i]));
  double sum = 0;
  if (scale > 0) {
    for (int i = 0; i < n; ++i) sum += (x[i] / scale) * (x[i] / scale);
  }
  r.f = scale > 0 ? scale * std::sqrt(sum) : 0;
  if (r.level < 1) return 0;
  if (r.f < 1e-20) {
    for (int i = 0; i < n; ++i) {
      r.g[i] = 0;
      for (int j = 0; j < n; ++j) r.h[i][j] = 0;
    }
    return 0;
  }
  for (int i = 0; i < n; ++i) r.g[i] = x[i] / r.f;
  if (r.level >= 2) {
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) r.h[i][j] = ((i == j ? 1 : 0) - r.g[i] * r.g[j]) / r.f;
  }
  return 0;
}

// Poly(x, c0, .., cm) = sum cj x^j by Horner's scheme, with the first and second
// derivatives in x carried along; the coefficients get no derivatives.
int eval_poly(tmathnewrec& r, const double* x) {
  const int n = r.nargs;
  const double v = x[0];
  double p = 0, dp = 0, ddp = 0;
  for (int j = n - 1; j >= 1; --j) {
    ddp = ddp * v + 2 * dp;
    dp = dp * v + p;
    p = p * v + x[j];
  }
  r.f = p;
  if (r.level >= 1) {
    r.g[0] = dp;
    for (int i = 1; i < n; ++i) r.g[i] = 0;
  }
  if (r.level >= 2) {
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) r.h[i][j] = 0;
    r.h[0][0] = ddp;
  }
  return 0;
}

// power(x, i), an integer power: f = x^k; g1 = k x^(k-1); h11 = k(k-1) x^(k-2).
int eval_power(tmathnewrec& r, const double* x) {
  const double v = x[0], i = x[1];
  if (!(std::fabs(i) < 2147483647)) return logerr(r, FUNC, DOMAIN, "pow(x,i), i > maxint");
  const double kd = nearest(i);
  if (std::fabs(kd - i) >= 1e-4) return logerr(r, FUNC, DOMAIN, "pow(x,i), i not integer");
  const int k = static_cast<int>(kd);
  const double s = v < 0 ? -1 : 1;
  switch (k) {
    case 0:
      r.f = 1;
      return 0;
    case 1:
      r.f = v;
      r.g[0] = 1;
      return 0;
    case 2:
      return square(r, v, "pow(x,2), |x| too large");
    case -1:
      if (std::fabs(v) < ctvnew::oocuberoot_math_huge) {
        r.f = s * big;
        r.g[0] = -big;
        r.h[0][0] = s * big;
        return logerr(r, FUNC, SINGULAR, "pow(x,-1), |x| too small");
      }
      r.f = 1 / v;
      if (r.level < 1) return 0;
      r.g[0] = -r.f / v;
      if (r.level < 2) return 0;
      r.h[0][0] = -2 * r.g[0] / v;
      return 0;
    case -2:
      if (std::fabs(v) < ctvnew::oofourthroot_math_huge) {
        r.f = big;
        r.g[0] = -s * big;
        r.h[0][0] = big;
        return logerr(r, FUNC, SINGULAR, "pow(x,-2), |x| too small");
      }
      r.f = 1 / (v * v);
      if (r.level < 1) return 0;
      r.g[0] = -2 * r.f / v;
      if (r.level < 2) return 0;
      r.h[0][0] = -3 * r.g[0] / v;
      return 0;
    default:
      break;
  }
  // |k| >= 3. The substitute keeps the sign of x^k.
  const double signed_big = v < 0 && isodd(k) ? -big : big;
  if (std::fabs(v) < 1e-30) {
    if (k > 0) {
      r.f = r.g[0] = r.h[0][0] = 0;
      return 0;
    }
    r.f = signed_big;
    r.g[0] = -s * signed_big;
    r.h[0][0] = signed_big;
    return logerr(r, FUNC, SINGULAR, "pow(x,i), |x| tiny, i < 0");
  }
  // p = x^|k| by binary powering; a base or product that would pass 1e299 is 1e299.
  unsigned bits = static_cast<unsigned>(k < 0 ? -static_cast<long long>(k) : k);
  double base = v, p = 1;
  while (bits != 0) {
    if (bits & 1u) p = guardedproduct(p, base);
    bits >>= 1;
    if (bits != 0) base = std::fabs(base) >= ctvnew::sqrt_math_huge ? big : base * base;
  }
  if (k > 0) {
    if (std::fabs(p) >= big) {
      r.f = signed_big;
      r.g[0] = s * signed_big;
      r.h[0][0] = signed_big;
      return logerr(r, FUNC, OVERFLOW, "|x| too large");
    }
    r.f = p;
    if (r.level < 1) return 0;
    r.g[0] = k * p / v;
    if (r.level < 2) return 0;
    r.h[0][0] = (k - 1) * r.g[0] / v;
    return 0;
  }
  if (std::fabs(p) >= big) {
    r.f = r.g[0] = r.h[0][0] = 0;
    return 0;
  }
  if (std::fabs(p) <= ctvnew::oo_math_huge) {
    r.f = signed_big;
    r.g[0] = -s * signed_big;
    r.h[0][0] = signed_big;
    return logerr(r, FUNC, SINGULAR, "|x| too small");
  }
  r.f = 1 / p;
  if (std::fabs(p) < 1e-200) {
    r.g[0] = -s / p;
    r.h[0][0] = 1 / p;
    return 0;
  }
  if (r.level < 1) return 0;
  r.g[0] = k * r.f / v;
  if (r.level < 2) return 0;
  r.h[0][0] = (k - 1) * r.g[0] / v;
  return 0;
}

// rPower(x, y) = x^y; g = (y x^(y-1), ln x x^y);
// h = ((y-1) y x^(y-2), x^(y-1)(1 + y ln x); ., (ln x)^2 x^y).
int eval_rpower(tmathnewrec& r, const double* x) {
  const double a = x[0], y = x[1];
  if (a < 0) return logerr(r, FUNC, DOMAIN, "x**y, x < 0");
  if (a <= 1e-30) {  // treated as zero
    if (y < 0) return logerr(r, FUNC, DOMAIN, "x**y, x=0,y<0");
    if (y == 0) {
      r.f = 1;
      return r.level >= 1 ? logerr(r, GRAD, DOMAIN, "x**y, x=0,y=0") : 0;
    }
    r.f = a > 0 ? std::exp(y * std::log(a)) : 0;
    if (y < 1) {
      if (r.level < 1) return 0;
      r.g[0] = 1e10;
      r.g[1] = 0;
      return logerr(r, GRAD, DOMAIN, "x**y, x=0,0<y<1");
    }
    if (y == 1) {
      r.g[0] = 1;
      r.g[1] = 0;
      if (r.level < 2) return 0;
      const int answer = logerr(r, HESS, SINGULAR, "x**y at x=0,y=1");
      r.h[0][0] = r.h[0][1] = r.h[1][0] = r.h[1][1] = 0;
      return answer;
    }
    r.g[0] = r.g[1] = 0;
    if (y <= 2) {
      if (r.level < 2) return 0;
      r.h[0][0] = y == 2 ? 2 : big;
      r.h[1][1] = 0;
      return logerr(r, HESS, SINGULAR, "x**y at x=0,1<y<=2");
    }
    r.h[0][0] = r.h[0][1] = r.h[1][0] = r.h[1][1] = 0;
    return 0;
  }
  const double l = std::log(a), t = y * l;
  if (t < 460) {
    r.f = std::exp(t);
    if (r.level >= 1) {
      r.g[0] = y * r.f / a;
      r.g[1] = l * r.f;
      r.h[0][0] = (y - 1) * r.g[0] / a;
      r.h[0][1] = r.h[1][0] = (y * l * r.f + r.f) / a;
      r.h[1][1] = l * r.f * l;
    }
    return 0;
  }
  // A large result: every entry is formed on the logarithmic scale first.
  const char* const m = a > 1 ? "x**y, x>1,y>1" : "x**y, x<1,y<-1";
  const double gbound = a > 1 ? big : -big;
  if (t > lnbig) {
    r.f = big;
    const int answer = logerr(r, FUNC, OVERFLOW, m);
    r.g[0] = r.g[1] = gbound;
    r.h[0][0] = r.h[0][1] = r.h[1][0] = r.h[1][1] = big;
    return answer;
  }
  r.f = std::exp(t);
  if (r.level < 1) return 0;
  const bool g1big = !(std::log(std::fabs(y / a)) + t <= lnbig);
  const bool g2big = !(std::log(std::fabs(l)) + t <= lnbig);
  r.g[0] = g1big ? gbound : (y / a) * r.f;
  r.g[1] = g2big ? gbound : l * r.f;
  int answer = 0;
  if (g1big || g2big) answer = logerr(r, GRAD, OVERFLOW, m);
  if (r.level < 2) return answer;
  r.h[0][0] = !g1big && std::log(std::fabs((y - 1) / a)) + std::log(std::fabs(r.g[0])) <= lnbig
                  ? ((y - 1) / a) * r.g[0]
                  : big;
  r.h[0][1] = r.h[1][0] = !g2big && std::log((t + 1) / a) + t <= lnbig ? ((t + 1) / a) * r.f : big;
  r.h[1][1] = !g2big && 2 * std::log(std::fabs(l)) + t <= lnbig ? l * r.g[1] : big;
  return answer;
}

// cvPower(c, y) = c^y with a constant base; g2 = ln c c^y; h22 = (ln c)^2 c^y.
// A zero base gives 1 for y = 0 and 0 for y > 0; y < 0 has no value there.
int eval_cvpower(tmathnewrec& r, const double* x) {
  const double c = x[0], y = x[1];
  if (c < 0) return logerr(r, FUNC, DOMAIN, "c**y, c < 0");
  if (c == 0) {
    if (y < 0) return logerr(r, FUNC, DOMAIN, "c**y, c=0,y<0");
    r.f = y == 0 ? 1 : 0;
    return 0;
  }
  const double l = std::log(c);
  if (y * l > lnbig) {
    r.f = big;
    const int answer = logerr(r, FUNC, OVERFLOW, "c**y, |y| too large");
    r.g[1] = c < 1 ? -big : big;
    r.h[1][1] = big;
    return answer;
  }
  r.f = std::exp(y * l);
  if (r.level >= 1) {
    r.g[1] = std::min(r.f * l, big);
    r.h[1][1] = std::min(r.g[1] * l, big);
  }
  return 0;
}

// vcPower(x, c) = x^c with a constant exponent.
int eval_vcpower(tmathnewrec& r, const double* x) { return vcpower(r, x[0], x[1]); }

// SignPower(x, c) = sign(x) |x|^c: vcPower of |x|, value and curvature mirrored for x < 0.
int eval_signpower(tmathnewrec& r, const double* x) {
  if (!(x[0] < 0)) return vcpower(r, x[0], x[1]);
  const int answer = vcpower(r, -x[0], x[1]);
  if (!(r.ec == ctvnew::ec_domain && r.rc == 1)) {
    r.f = -r.f;
    r.h[0][0] = -r.h[0][0];
  }
  return answer;
}

// Centropy(x, y[, d]) = x ln((x+d)/(y+d)), d = 1e-20 with two arguments;
// g = (x/(x+d) + ln((x+d)/(y+d)), -x/(y+d)); h11 = (d/(x+d) + 1)/(x+d);
// h12 = -1/(y+d); h22 = x/(y+d)^2.
int eval_centropy(tmathnewrec& r, const double* x) {
  const bool three = r.nargs >= 3;
  const double a0 = x[0], y = x[1], d = three ? x[2] : 1e-20;
  if (three) {
    if (d < 0) return logerr(r, FUNC, DOMAIN, "f(x,y,d), d < 0");
    if (y == 0) return logerr(r, FUNC, SINGULAR, "f(x,y,d), y = 0");
    if (y < 0) return logerr(r, FUNC, DOMAIN, "f(x,y,d), y < 0");
    if (a0 < 0) return logerr(r, FUNC, DOMAIN, "f(x,y,d), x < 0");
    r.g[2] = 0;
    if (r.level >= 2) r.h[0][2] = r.h[1][2] = r.h[2][0] = r.h[2][1] = r.h[2][2] = 0;
    if (a0 + d == 0) {
      if (r.level < 1) return 0;
      r.g[0] = -big;
      r.g[1] = 0;
      r.h[0][0] = big;
      r.h[0][1] = r.h[1][0] = -1 / (y + d);
      r.h[1][1] = 0;
      return logerr(r, GRAD, SINGULAR, "f(x,y,d), y = 0");
    }
  } else {
    if (y == 0) return logerr(r, FUNC, SINGULAR, "f(x,y), y = 0");
    if (y < 0) return logerr(r, FUNC, DOMAIN, "f(x,y), y < 0");
    if (a0 < 0) return logerr(r, FUNC, DOMAIN, "f(x,y), x < 0");
  }
  const double a = a0 + d, b = y + d;
  const double v = a == b ? 0 : std::log(a) - std::log(b);
  int answer = 0;
  // A later report of this evaluation is made only while no earlier one counted.
  auto report = [&](int rc, int ec, const char* text) {
    if (answer == 0) answer = logerr(r, rc, ec, text);
  };
  if (a0 * v >= big) {
    r.f = big;
    report(FUNC, OVERFLOW, "x too large");
  } else {
    r.f = a0 * v;
  }
  if (r.level < 1) return answer;
  r.g[0] = a0 / a + v;
  r.g[1] = -a0 / b;
  if (r.g[1] < -big) {
    r.g[1] = -big;
    report(GRAD, SINGULAR, "f(x,y,d), y nearly 0");
  }
  if (r.level < 2) return answer;
  r.h[0][0] = a < ctvnew::oo_math_huge ? big : std::min((d / a + 1) / a, big);
  if (a0 < 100 && b > 3.16227766016838e-149) {
    r.h[0][1] = r.h[1][0] = -1 / b;
    r.h[1][1] = r.g[1] * (-1 / b);
    return answer;
  }
  const double q = -1 / b;
  if (q < -big) {
    r.h[0][1] = r.h[1][0] = -big;
    r.h[1][1] = big;
    report(HESS, SINGULAR, "f(x,y,d), y nearly 0");
    return answer;
  }
  r.h[0][1] = r.h[1][0] = q;
  r.h[1][1] = r.g[1] * q;
  if (r.h[1][1] > big) {
    r.h[1][1] = big;
    report(HESS, SINGULAR, "f(x,y,d), y nearly 0");
  }
  return answer;
}

}  // namespace mathnew::detail
