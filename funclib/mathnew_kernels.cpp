// Special functions of the function library: the gamma- and beta-family kernels, the
// evaluators with derivatives and error reports for Gamma, Beta, LogBeta, Binomial and
// x**c, and the factorial, log-gamma, incomplete gamma and beta functions.
//
// The kernels use their own series and continued fractions: ln Gamma near 1 and 2 by the
// series in zeta(n) - 1, Stirling's series with Bernoulli coefficients for large
// arguments, digamma about its positive zero by a Taylor series in Hurwitz zeta values,
// and the shape derivatives of the incomplete beta ratio by carrying first and second
// derivatives through its continued fraction. The ratio itself, with the error-function
// kernel erfc1, is in mathnew_betaratio.cpp; ln Gamma differences (algdiv, gammaratio)
// and the normal distribution function codyerrf follow the published rationals. Every
// loop is bounded; a kernel that cannot converge says so through its flag.
#include "funclib/mathnew_kernels.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "frame/q5rtnum.h"
#include "funclib/mathnew.h"
#include "funclib/mathshare.h"

namespace mathnew {

namespace {

constexpr double pi = std::numbers::pi;
constexpr double euler = 0.57721566490153286061;
constexpr double lnsqrt2pi = 0.9189385332046728;  // ln(sqrt(2 pi))
constexpr double big = ctvnew::math_huge;         // 1e299
constexpr double lnbig = ctvnew::ln_math_huge;    // ln(1e299)

// Bernoulli numbers B2 .. B16, the coefficients of the asymptotic series below.
constexpr double bernoulli[8] = {1.0 / 6,  -1.0 / 30,     1.0 / 42, -1.0 / 30,
                                 5.0 / 66, -691.0 / 2730, 7.0 / 6,  -3617.0 / 510};

// Hurwitz zeta(s, a) for s >= 2, a > 0, by Euler-Maclaurin summation after 10 terms.
double hurwitz(int s, double a) {
  constexpr int n = 10;
  double sum = 0;
  for (int k = 0; k < n; ++k) sum += std::pow(k + a, -s);
  const double na = n + a;
  sum += std::pow(na, 1 - s) / (s - 1) + 0.5 * std::pow(na, -s);
  double rising = s;  // s (s + 1) ... (s + 2j - 2)
  double fact = 2;    // (2j)!
  double power = std::pow(na, -s - 1);
  for (int j = 1; j <= 6; ++j) {
    sum += bernoulli[j - 1] / fact * rising * power;
    rising *= (s + 2 * j - 1) * (s + 2 * j);
    fact *= (2 * j + 1) * (2 * j + 2);
    power /= na * na;
  }
  return sum;
}

// Coefficient tables, computed once.
struct tables {
  static constexpr int nzeta = 40;
  static constexpr int ndigamma = 46;
  double zetam1[nzeta + 1];      // zetam1[n] = zeta(n) - 1, n >= 2
  double digamma[ndigamma + 1];  // Taylor coefficients of psi about its zero
  tables() {
    for (int n = 2; n <= nzeta; ++n) zetam1[n] = hurwitz(n, 2.0);
    constexpr double x0 = 1.4616321449683623;
    for (int k = 1; k <= ndigamma; ++k) {
      const double z = hurwitz(k + 1, x0);
      digamma[k] = (k % 2 == 1) ? z : -z;
    }
  }
};

const tables& tab() {
  static const tables t;
  return t;
}

// ln Gamma(1 + z) for |z| <= 0.5: rlog1(z) - euler z + sum (-1)^n (zeta(n) - 1) z^n / n.
double lngamma1p(double z) {
  const tables& t = tab();
  double sum = 0;
  double zn = z * z;
  for (int n = 2; n <= tables::nzeta; ++n) {
    const double term = t.zetam1[n] * zn / n;
    sum += (n % 2 == 0) ? term : -term;
    zn *= z;
  }
  return rlog1(z) - euler * z + sum;
}

// The remainder of Stirling's formula for ln Gamma(x), x >= 8.
double stirlingdel(double x) {
  const double r = 1 / (x * x);
  double sum = 0;
  for (int k = 7; k >= 0; --k) sum = sum * r + bernoulli[k] / ((2 * k + 2) * (2 * k + 1));
  return sum / x;
}

// sin(pi x) and cot(pi x) with the argument reduced to the nearest integer first.
double sinpi(double x) {
  const double n = std::round(x);
  const double s = std::sin(pi * (x - n));
  return std::fmod(n, 2.0) == 0 ? s : -s;
}
double cotpi(double x) {
  const double r = x - std::round(x);
  return std::cos(pi * r) / std::sin(pi * r);
}

bool isnonposint(double x) { return x <= 0 && x == std::round(x); }

// Gamma(x) for 0 < x <= 171.624, x not tiny.
double gammapos(double x) {
  if (x >= 12) {
    // x^(x - 0.5) e^-x sqrt(2 pi) e^del, the power split so that nothing overflows.
    const double h = std::pow(x, 0.5 * (x - 0.5));
    return h * std::exp(-x) * h * std::exp(lnsqrt2pi + stirlingdel(x));
  }
  double num = 1;
  double den = 1;
  double t = x;
  while (t > 1.5) {
    t -= 1;
    num *= t;
  }
  while (t < 0.5) {
    den *= t;
    t += 1;
  }
  return std::exp(lngamma1p(t - 1)) * num / den;
}

// Digamma for x > 0.
double psipos(double x) {
  if (x >= 10) {
    const double r = 1 / (x * x);
    double sum = 0;
    for (int k = 7; k >= 0; --k) sum = sum * r + bernoulli[k] / (2 * k + 2);
    return std::log(x) - 0.5 / x - sum * r;
  }
  if (x < 1) return psipos(x + 1) - 1 / x;
  double shift = 0;
  while (x > 2) {
    x -= 1;
    shift += 1 / x;
  }
  // Taylor series about the positive zero, the zero taken in three parts.
  const double d = ((x - 1.4616321446374059) - 3.309564688275257e-10) - 9.016312093258695e-20;
  const tables& t = tab();
  double sum = 0;
  for (int k = tables::ndigamma; k >= 1; --k) sum = (sum + t.digamma[k]) * d;
  return sum + shift;
}

// Trigamma for x > 0, to full precision.
double trigammapos(double x) {
  double sum = 0;
  while (x < 10) {
    sum += 1 / (x * x);
    x += 1;
  }
  const double r = 1 / (x * x);
  double series = 0;
  for (int k = 7; k >= 0; --k) series = series * r + bernoulli[k];
  return sum + 1 / x + 0.5 * r + series * r / x;
}

// A value with its first and second derivative in one parameter.
struct dual1 {
  double v = 0, d = 0, dd = 0;
};
dual1 operator+(dual1 a, dual1 b) { return {a.v + b.v, a.d + b.d, a.dd + b.dd}; }
dual1 operator-(dual1 a, dual1 b) { return {a.v - b.v, a.d - b.d, a.dd - b.dd}; }
dual1 operator*(dual1 a, dual1 b) {
  return {a.v * b.v, a.d * b.v + a.v * b.d, a.dd * b.v + 2 * a.d * b.d + a.v * b.dd};
}
dual1 operator*(double s, dual1 a) { return {s * a.v, s * a.d, s * a.dd}; }
dual1 inverse(dual1 a) {
  const double w = 1 / a.v;
  return {w, -a.d * w * w, (2 * a.d * a.d * w - a.dd) * w * w};
}
dual1 operator/(dual1 a, dual1 b) { return a * inverse(b); }
dual1 exp(dual1 a) {
  const double e = std::exp(a.v);
  return {e, a.d * e, (a.dd + a.d * a.d) * e};
}

}  // namespace

// ---------------------------------------------------------------- gamma family

double gamma(double x) {
  if (std::isnan(x)) return x;
  if (isnonposint(x)) return kernel_inf;
  if (std::fabs(x) < kernel_xmin) return x > 0 ? kernel_inf : -kernel_inf;
  if (x > 0) {
    if (x < kernel_eps) return 1 / x;
    if (x > 171.624) return kernel_inf;
    return gammapos(x);
  }
  const double reflect = pi / sinpi(x);
  if (1 - x > 171.624) return reflect / kernel_inf;
  return reflect / gammapos(1 - x);
}

double gammaex(double x, int& flag) {
  flag = 0;
  if (std::isnan(x)) return x;
  if (std::fabs(x) < kernel_xmin || isnonposint(x)) {
    flag = 2;
    return 0;
  }
  if (x > 0) {
    if (x < kernel_eps) return 1 / x;
    if (x > 171.624) {
      flag = 1;
      return kernel_inf;
    }
    return gammapos(x);
  }
  if (1 - x > 171.624) return 0;  // the value underflows
  return pi / sinpi(x) / gammapos(1 - x);
}

double lngamma(double x) {
  if (std::isnan(x)) return x;
  if (x <= 0 || x > 2.55e305) return kernel_inf;
  if (x <= kernel_eps) return -std::log(x);
  if (x < 0.5) return lngamma1p(x) - std::log(x);
  if (x <= 1.5) return lngamma1p(x - 1);
  if (x <= 2.5) return std::log1p(x - 2) + lngamma1p(x - 2);
  if (x < 12) {
    double prod = 1;
    while (x > 2.5) {
      x -= 1;
      prod *= x;
    }
    return std::log(prod) + std::log1p(x - 2) + lngamma1p(x - 2);
  }
  const double stirling = (x - 0.5) * std::log(x) - x + lnsqrt2pi;
  return x > 2.25e76 ? stirling : stirling + stirlingdel(x);
}

double loggammaex(double x) { return lngamma(x); }

double loggammaap1(double a) {
  if (a <= 0.5) return lngamma1p(a);
  return std::log(a) + lngamma1p(a - 1);  // ln Gamma(2 + t) = ln(1 + t) + ln Gamma(1 + t)
}

double gam1(double a) { return std::expm1(-loggammaap1(a)); }

double psi(double x) {
  if (std::isnan(x)) return x;
  if (x <= -4.5e15) return kernel_inf;
  if (std::fabs(x) < kernel_xmin) return x > 0 ? -kernel_inf : kernel_inf;
  if (x < 0.5) {
    if (std::fabs(x) <= 5.8e-9) return psipos(1 - x) - 1 / x;
    if (isnonposint(x)) return kernel_inf;
    return psipos(1 - x) - pi * cotpi(x);
  }
  if (x >= 2.71e14) return std::log(x);
  return psipos(x);
}

double digammaex2(double x, int& flag) {
  flag = 0;
  if (std::isnan(x)) return x;
  if (std::fabs(x) < kernel_xmin || isnonposint(x)) {
    flag = 2;
    return 0;
  }
  if (x <= -1) return psipos(1 - x) - pi * cotpi(x);
  if (x < 0) return psipos(x + 1) - 1 / x;
  return psipos(x);
}

double trigamma(double x, int& flag) {
  constexpr double b2 = 0.1666666667, b4 = -0.03333333333, b6 = 0.02380952381, b8 = -0.03333333333;
  flag = 0;
  if (!(x > 0)) {
    flag = 1;
    return 0;
  }
  if (x <= 1e-4) return 1 / (x * x);
  double z = x;
  double t = 0;
  while (z < 5) {
    t += 1 / (z * z);
    z += 1;
  }
  const double y = 1 / (z * z);
  return t + 0.5 * y + (1 + y * (b2 + y * (b4 + y * (b6 + y * b8)))) / z;
}

double trigammaex3(double x, int& flag) {
  flag = 0;
  if (std::isnan(x)) return x;
  if (std::fabs(x) <= 1e-152) {
    flag = 2;
    return 0;
  }
  if (std::fabs(x) <= 1e-9) return 1 / (x * x);
  if (x < 0) {
    if (isnonposint(x)) {
      flag = 2;
      return 0;
    }
    const double s = pi / sinpi(x);
    return s * s - trigammapos(1 - x);
  }
  return trigammapos(x);
}

void digami(double d[6], double x, double p, double gplog, double gp1log, double psip, double psip1,
            double psidp, double psidp1, int& flag) {
  constexpr double tol = 1e-6;
  constexpr int maxterms = 100;
  flag = 0;
  for (int i = 0; i < 6; ++i) d[i] = 0;
  const double lnx = std::log(x);
  // The density and its x-derivatives do not need the series.
  const double density = std::exp((p - 1) * lnx - x - gplog);
  d[0] = density;
  d[1] = density * ((p - 1) / x - 1);
  d[4] = density * (lnx - psip);
  const dual1 pp{p, 1, 0};
  dual1 result;
  if (x <= 1 || x < p) {
    // P = x^p e^-x / Gamma(p + 1) * sum x^n / ((p + 1) ... (p + n)).
    dual1 term{1, 0, 0};
    dual1 sum = term;
    int n = 1;
    for (; n <= maxterms; ++n) {
      term = term * (dual1{x, 0, 0} / (pp + dual1{static_cast<double>(n), 0, 0}));
      sum = sum + term;
      if (term.v <= tol * sum.v) break;
    }
    if (n > maxterms) {
      flag = 1;
      return;
    }
    const dual1 front = exp(dual1{p * lnx - x - gp1log, lnx - psip1, -psidp1});
    result = front * sum;
  } else {
    // Q = x^p e^-x / Gamma(p) * the continued fraction; P = 1 - Q.
    const dual1 one{1, 0, 0};
    dual1 y = one - pp;
    dual1 z = dual1{x + 1, 0, 0} + y;
    dual1 p1 = one, q1{x, 0, 0}, p2{x + 1, 0, 0}, q2 = z * dual1{x, 0, 0};
    dual1 ratio = p2 / q2;
    bool converged = false;
    for (int c = 1; c <= maxterms && !converged; ++c) {
      y = y + one;
      z = z + dual1{2, 0, 0};
      const dual1 yc = static_cast<double>(c) * y;
      const dual1 pn = p2 * z - p1 * yc;
      const dual1 qn = q2 * z - q1 * yc;
      if (std::fabs(qn.v) >= 1e-30) {
        const dual1 r = pn / qn;
        const double diff = std::fabs(ratio.v - r.v);
        converged = diff <= tol * p && diff <= tol * std::fabs(r.v);
        ratio = r;
      }
      p1 = p2;
      q1 = q2;
      p2 = pn;
      q2 = qn;
      if (std::fabs(pn.v) >= 1e30) {
        p1 = 1e-30 * p1;
        q1 = 1e-30 * q1;
        p2 = 1e-30 * p2;
        q2 = 1e-30 * q2;
      }
    }
    if (!converged) {
      flag = 1;
      return;
    }
    const dual1 front = exp(dual1{p * lnx - x - gplog, lnx - psip, -psidp});
    result = dual1{1, 0, 0} - front * ratio;
  }
  d[2] = result.d;
  d[3] = result.dd;
  d[5] = result.v;
}

namespace {

// ln(Gamma(b) / Gamma(a + b)) for b >= 8 (ALGDIV): the Stirling remainders del(b) - del(a + b)
// by their series in 1/b^2 with sn = (1 - x^n) / (1 - x), and the main terms with
// ln(1 + a/b) from lnonepa.
double lngammaratio(double a, double b, double (*lnonepa)(double)) {
  constexpr double c0 = 0.833333333333333e-01, c1 = -0.277777777760991e-02,
                   c2 = 0.793650666825390e-03, c3 = -0.595202931351870e-03,
                   c4 = 0.837308034031215e-03, c5 = -0.165322962780713e-02;
  double h, c, x, d;
  if (a > b) {
    h = b / a;
    c = 1 / (1 + h);
    x = h / (1 + h);
    d = a + (b - 0.5);
  } else {
    h = a / b;
    c = h / (1 + h);
    x = 1 / (1 + h);
    d = b + (a - 0.5);
  }
  const double x2 = x * x;
  const double s3 = 1 + (x + x2), s5 = 1 + (x + x2 * s3), s7 = 1 + (x + x2 * s5),
               s9 = 1 + (x + x2 * s7), s11 = 1 + (x + x2 * s9);
  const double t = (1 / b) * (1 / b);
  double w = ((((c5 * s11 * t + c4 * s9) * t + c3 * s7) * t + c2 * s5) * t + c1 * s3) * t + c0;
  w *= c / b;
  const double u = d * lnonepa(a / b);
  const double v = a * (std::log(b) - 1);
  return u > v ? (w - v) - u : (w - u) - v;
}

double runtimelog1p(double t) { return std::log1p(t); }

}  // namespace

double algdiv(double a, double b) { return lngammaratio(a, b, &alnrel); }

double gammaratio(double a, double b) { return lngammaratio(a, b, &runtimelog1p); }

double bcorrex(double a, double b) { return stirlingdel(a) + stirlingdel(b) - stirlingdel(a + b); }

double mnpower(double a, double b) {
  if (b == 0) return 1;
  if (a == 0 && b > 0) return 0;
  if (b == std::round(b) && std::fabs(b) <= 2147483647.0) {
    auto n = static_cast<std::int64_t>(std::fabs(b));
    double result = 1;
    double base = a;
    while (n > 0) {
      if (n & 1) result *= base;
      base *= base;
      n >>= 1;
    }
    return b < 0 ? 1 / result : result;
  }
  return std::exp(b * std::log(a));
}

// ---------------------------------------------------------------- beta family

double rlog1(double x) {
  if (std::fabs(x) > 0.5) return x - std::log1p(x);
  // With t = x / (2 + x): ln(1 + x) = 2 atanh t and x - 2t = t x.
  const double t = x / (2 + x);
  const double t2 = t * t;
  double series = 0;
  double tk = t * t2;
  for (int k = 3; k <= 41; k += 2) {
    series += tk / k;
    tk *= t2;
  }
  return t * x - 2 * series;
}

namespace {

// ln B(a, b): Stirling's form for both large, else through ln Gamma and ln Gamma ratios
// (ratio: algdiv or gammaratio).
double betalnimpl(double a, double b, double (*ratio)(double, double)) {
  const double a0 = std::min(a, b);
  const double b0 = std::max(a, b);
  if (a0 >= 8) {
    const double w = bcorrex(a0, b0);
    const double h = a0 / b0;
    const double c = h / (1 + h);
    const double u = -(a0 - 0.5) * std::log(c);
    const double v = b0 * std::log1p(h);
    const double e = -0.5 * std::log(b0) + 0.918938533204673 + w;
    return u > v ? (e - v) - u : (e - u) - v;
  }
  if (b0 >= 8) return lngamma(a0) + ratio(a0, b0);
  return lngamma(a0) + (lngamma(b0) - lngamma(a0 + b0));
}

}  // namespace

double betaln(double a, double b) { return betalnimpl(a, b, &algdiv); }
double betalnex(double a, double b) { return betalnimpl(a, b, &gammaratio); }

double codyerrf(double x) {
  // erfc(t) for t = |x| / sqrt 2 by Cody's rationals, Phi(x) = erfc(-x / sqrt 2) / 2.
  constexpr double xsmall = 1.11e-16, xbig = 26.543;
  constexpr double sqrpi = 5.6418958354775628695e-1;  // 1 / sqrt(pi)
  constexpr double a[5] = {3.16112374387056560e00, 1.13864154151050156e02, 3.77485237685302021e02,
                           3.20937758913846947e03, 1.85777706184603153e-1};
  constexpr double b[4] = {2.36012909523441209e01, 2.44024637934444173e02, 1.28261652607737228e03,
                           2.84423683343917062e03};
  constexpr double c[9] = {5.64188496988670089e-1, 8.88314979438837594e00, 6.61191906371416295e01,
                           2.98635138197400131e02, 8.81952221241769090e02, 1.71204761263407058e03,
                           2.05107837782607147e03, 1.23033935479799725e03, 2.15311535474403846e-8};
  constexpr double d[8] = {1.57449261107098347e01, 1.17693950891312499e02, 5.37181101862009858e02,
                           1.62138957456669019e03, 3.29079923573345963e03, 4.36261909014324716e03,
                           3.43936767414372164e03, 1.23033935480374942e03};
  constexpr double p[6] = {3.05326634961232344e-1, 3.60344899949804439e-1, 1.25781726111229246e-1,
                           1.60837851487422766e-2, 6.58749161529837803e-4, 1.63153871373020978e-2};
  constexpr double q[5] = {2.56852019228982242e00, 1.87295284992346725e00, 5.27905102951428412e-1,
                           6.05183413124413191e-2, 2.33520497626869185e-3};
  if (std::isnan(x)) return x;
  const double y = x / 1.4142135623730951;
  const double t = std::fabs(y);
  if (t < 0.46875) {  // 0.5 (1 + erf(y))
    const double ysq = t > xsmall ? y * y : 0;
    double xnum = a[4] * ysq, xden = ysq;
    for (int i = 0; i < 3; ++i) {
      xnum = (xnum + a[i]) * ysq;
      xden = (xden + b[i]) * ysq;
    }
    return 0.5 * (1 + y * (xnum + a[3]) / (xden + b[3]));
  }
  if (t >= xbig) return x > 0 ? 1 : 0;
  double r = 0;
  if (t <= 4) {
    double xnum = c[8] * t, xden = t;
    for (int i = 0; i < 7; ++i) {
      xnum = (xnum + c[i]) * t;
      xden = (xden + d[i]) * t;
    }
    r = (xnum + c[7]) / (xden + d[7]);
  } else {
    const double ysq = 1 / (t * t);
    double xnum = p[5] * ysq, xden = ysq;
    for (int i = 0; i < 4; ++i) {
      xnum = (xnum + p[i]) * ysq;
      xden = (xden + q[i]) * ysq;
    }
    r = (sqrpi - ysq * (xnum + p[4]) / (xden + q[4])) / t;
  }
  // exp(-t^2) as exp(-s^2) exp(-(t - s)(t + s)), s = t cut to sixteenths.
  const double s = std::trunc(t * 16) / 16;
  r *= std::exp(-s * s) * std::exp(-(t - s) * (t + s));
  return x > 0 ? 1 - 0.5 * r : 0.5 * r;
}

namespace {

// A value with first and second derivatives in two parameters p and q.
struct dual2 {
  double v = 0, p = 0, q = 0, pp = 0, qq = 0, pq = 0;
};
dual2 operator+(const dual2& a, const dual2& b) {
  return {a.v + b.v, a.p + b.p, a.q + b.q, a.pp + b.pp, a.qq + b.qq, a.pq + b.pq};
}
dual2 operator-(const dual2& a, const dual2& b) {
  return {a.v - b.v, a.p - b.p, a.q - b.q, a.pp - b.pp, a.qq - b.qq, a.pq - b.pq};
}
dual2 operator*(double s, const dual2& a) {
  return {s * a.v, s * a.p, s * a.q, s * a.pp, s * a.qq, s * a.pq};
}
dual2 operator*(const dual2& a, const dual2& b) {
  return {a.v * b.v,
          a.p * b.v + a.v * b.p,
          a.q * b.v + a.v * b.q,
          a.pp * b.v + 2 * a.p * b.p + a.v * b.pp,
          a.qq * b.v + 2 * a.q * b.q + a.v * b.qq,
          a.pq * b.v + a.p * b.q + a.q * b.p + a.v * b.pq};
}
dual2 inverse(const dual2& a) {
  const double w = 1 / a.v;
  const double w2 = w * w;
  return {w,
          -a.p * w2,
          -a.q * w2,
          (2 * a.p * a.p * w - a.pp) * w2,
          (2 * a.q * a.q * w - a.qq) * w2,
          (2 * a.p * a.q * w - a.pq) * w2};
}
dual2 operator/(const dual2& a, const dual2& b) { return a * inverse(b); }
dual2 exp(const dual2& a) {
  const double e = std::exp(a.v);
  return {
      e, a.p * e, a.q * e, (a.pp + a.p * a.p) * e, (a.qq + a.q * a.q) * e, (a.pq + a.p * a.q) * e};
}
dual2 constant(double c) { return {c, 0, 0, 0, 0, 0}; }

// I_x(p, q) with its derivatives, x <= (p + 1) / (p + q + 2): the front factor x^p (1-x)^q / (p B)
// times the continued fraction 1 / (1 + d1 / (1 + d2 / ...)), both carried as dual2. An
// approximant is a pair of steps of that fraction (one step of its even contraction), so
// that 200 approximants reach as far as the contracted fraction does: with a small p near
// the mean the plain steps ran out before the fraction settled.
int inbedercf(double x, double p, double q, const double psi[7], dual2& result, int& nappx,
              double& errapx) {
  constexpr int minappx = 3;
  constexpr int maxappx = 200;
  constexpr double tol = 1e-12;
  const dual2 pp{p, 1, 0, 0, 0, 0};
  const dual2 qq{q, 0, 1, 0, 0, 0};
  const dual2 lnbeta{psi[0],          psi[1] - psi[5], psi[3] - psi[5],
                     psi[2] - psi[6], psi[4] - psi[6], -psi[6]};
  const dual2 lnp{std::log(p), 1 / p, 0, -1 / (p * p), 0, 0};
  const double lnx = std::log(x);
  const double lny = std::log1p(-x);
  const dual2 front = exp(lnx * pp + lny * qq - lnbeta - lnp);
  // Convergents A/B with A(-1) = 1, A(0) = 0, B(-1) = 0, B(0) = 1 and A(1) = B(1) = 1.
  dual2 aprev = constant(0), acur = constant(1);
  dual2 bprev = constant(1), bcur = constant(1);
  dual2 last = front;  // I after one approximant
  errapx = 0;
  for (int n = 1; n <= 2 * maxappx; ++n) {
    const int m = (n + 1) / 2;
    dual2 coef;
    const dual2 md = constant(m);
    if (n % 2 == 1) {  // d(2m-1) = -(p + m - 1)(p + q + m - 1) x / ((p + 2m - 2)(p + 2m - 1))
      const dual2 k = constant(m - 1.0);
      coef = -x * ((pp + k) * (pp + qq + k)) / ((pp + 2.0 * k) * (pp + 2.0 * k + constant(1)));
    } else {  // d(2m) = m (q - m) x / ((p + 2m - 1)(p + 2m))
      coef = (m * x) * (qq - md) / ((pp + 2.0 * md - constant(1)) * (pp + 2.0 * md));
    }
    const dual2 anext = acur + coef * aprev;
    const dual2 bnext = bcur + coef * bprev;
    const double scale = 1 / std::fabs(bnext.v);
    aprev = scale * acur;
    bprev = scale * bcur;
    acur = scale * anext;
    bcur = scale * bnext;
    if (n % 2 == 1) continue;  // judged after each pair of steps
    const dual2 now = front * (acur / bcur);
    const double parts[6][2] = {{now.v, last.v},   {now.p, last.p},   {now.q, last.q},
                                {now.pp, last.pp}, {now.qq, last.qq}, {now.pq, last.pq}};
    errapx = 0;
    for (const auto& part : parts)
      errapx = std::max(errapx, std::fabs(part[0] - part[1]) / std::max(tol, std::fabs(part[0])));
    last = now;
    nappx = n / 2 + 1;
    if (nappx >= minappx && errapx < tol) {
      result = now;
      return 0;
    }
  }
  result = last;
  return 5;
}

}  // namespace

void inbeder(double x, double p, double q, const double psi[7], double der[6], int& nappx,
             double& errapx, int& flag) {
  for (int i = 0; i < 6; ++i) der[i] = 0;
  nappx = 0;
  errapx = 0;
  flag = 0;
  if (!(x > 0 && x < 1)) {
    flag = 1;
    return;
  }
  if (!(p > 0)) {
    flag = 2;
    return;
  }
  if (!(q > 0)) {
    flag = 3;
    return;
  }
  // The fraction on I_x(p, q) settles fast for x below (p + 1) / (p + q + 2), that on
  // I_(1-x)(q, p) above. (Switching at the mean p / (p + q) sends a small p to the slow side.)
  dual2 r;
  if (x <= (p + 1) / (p + q + 2)) {
    flag = inbedercf(x, p, q, psi, r, nappx, errapx);
  } else {
    // I_x(p, q) = 1 - I_(1-x)(q, p): the roles of p and q exchange and derivatives change sign.
    const double swapped[7] = {psi[0], psi[3], psi[4], psi[1], psi[2], psi[5], psi[6]};
    dual2 s;
    flag = inbedercf(1 - x, q, p, swapped, s, nappx, errapx);
    r = {1 - s.v, -s.q, -s.p, -s.qq, -s.pp, -s.pq};
  }
  der[0] = r.v;
  if (flag == 0 && (r.v < 1e-24 || r.v > 0.999999999999)) {
    flag = 4;
    return;
  }
  der[1] = r.p;
  der[2] = r.pp;
  der[3] = r.q;
  der[4] = r.qq;
  der[5] = r.pq;
}

// ---------------------------------------------------------------- evaluators

namespace {

// An error report whose answer becomes the evaluator's result.
void report(int& result, ctvnew::tmathnewrec& rec, int rc, int ec, std::string_view text) {
  result = logerr(rec, rc, ec, text);
}

constexpr int func = ctvnew::rc_func, grad = ctvnew::rc_grad, hess = ctvnew::rc_hess;
constexpr int domain = ctvnew::ec_domain, singular = ctvnew::ec_singular,
              overflow = ctvnew::ec_overflow;

double sign(double w) { return w < 0 ? -1 : 1; }

}  // namespace

int vcpower(ctvnew::tmathnewrec& rec, double x, double c) {
  double& f = rec.f;
  double& g = rec.g[0];
  double& h = rec.h[0][0];
  const int level = rec.level;
  int result = 0;
  if (x < 0) return logerr(rec, func, domain, "x**c, x < 0");
  if (x <= 1e-30) {  // x counts as zero
    if (c < 0) return logerr(rec, func, domain, "x**c, x=0, c<0");
    if (c == 0) {
      f = 1;
      g = 0;
      h = 0;
      return 0;
    }
    f = x > 0 ? std::exp(c * std::log(x)) : 0;
    if (c < 1) {
      if (level >= 1) {
        report(result, rec, grad, singular, "x**c, x=0, 0<c<1");
        g = 1e10;
        h = -big;
      }
    } else if (c == 1) {
      g = 1;
      if (level >= 2) {
        report(result, rec, hess, singular, "x**c, x=0, c=1");
        h = 0;
      }
    } else if (c < 2) {
      g = 0;
      if (level >= 2) {
        report(result, rec, hess, singular, "x**c, x=0, 1<c<2");
        h = big;
      }
    } else {
      g = 0;
      h = c == 2 ? 2 : 0;
    }
    return result;
  }
  const double lnx = std::log(x);
  if (c * lnx > lnbig) {
    f = big;
    report(result, rec, func, overflow, "x**c, x too large");
    // Substitutes whatever the level.
    g = c > 0 ? big : -big;
    h = (c > 0 && c <= 1) ? -big : big;
    return result;
  }
  f = std::exp(c * lnx);
  if (level < 1) return 0;
  if (c >= -1 || x > 1) {
    g = f * c / x;        // c x^(c-1)
    h = (c - 1) * g / x;  // c (c-1) x^(c-2)
    return 0;
  }
  const double t = -c * f;
  if (std::log(t) - lnx > lnbig) {
    report(result, rec, grad, overflow, "x**c, x small, (-c) large");
    g = -big;
    h = big;
    return result;
  }
  g = -t / x;
  if (level >= 2) {
    const double u = (c - 1) * g;
    if (std::log(u) - lnx > lnbig) {
      report(result, rec, hess, overflow, "x**c, x small, (-c) large");
      h = big;
    } else {
      h = u / x;
    }
  }
  return result;
}

void funcgamma(int& result, ctvnew::tmathnewrec& rec, int level, double x, double& f, double& dfdx,
               double& d2fdx2) {
  if (x > ctvnew::invgamma_math_huge) {
    f = dfdx = d2fdx2 = big;
    report(result, rec, func, overflow, "positive argument too large");
    return;
  }
  int flag = 0;
  f = gammaex(x, flag);
  if (flag != 0) {
    f = dfdx = d2fdx2 = big;
    report(result, rec, func, singular, x > -0.5 ? "x nearly 0" : "x < 0 is nearly integer");
    return;
  }
  int pflag = 0;
  if (x > 0) {
    if (x > 0.999 && x < 2) {
      // Pin the value to the known side of Gamma(1) = Gamma(2) = 1.
      if (x < 1 && f < 1) f = 1;
      if (x == 1) f = 1;
      if (x > 1 && f > 1) f = 1;
    } else if (x >= 2) {
      // (n-1)! bounds the value from the side of x.
      const double n = std::round(x);
      const double fn = mathshare::fcon[static_cast<int>(n) - 1];
      if (x == n || (x > n && f < fn) || (x < n && f > fn)) f = fn;
      if (level >= 1 && x >= 167.1515371328939) {
        dfdx = d2fdx2 = big;
        report(result, rec, grad, overflow, "positive argument too large");
        return;
      }
    } else if (level >= 1 && x <= 3.162277660168379e-150) {
      dfdx = d2fdx2 = big;
      report(result, rec, grad, singular, "x nearly 0");
      return;
    }
    if (level < 1) return;
    const double p = digammaex2(x, pflag);
    dfdx = f * p;  // Gamma' = Gamma psi
    if (level < 2) return;
    if (x >= 166.8325045682985) {
      d2fdx2 = big;
      report(result, rec, hess, overflow, "positive argument too large");
    } else if (x <= 2.714417616594906e-100) {
      d2fdx2 = big;
      report(result, rec, hess, singular, "x nearly 0");
    } else {
      d2fdx2 = (p * p + trigammaex3(x, pflag)) * f;  // Gamma'' = (psi^2 + psi') Gamma
    }
    return;
  }
  // Negative, not a pole: guard the derivatives on a logarithmic scale.
  constexpr std::string_view nearpole = "x at/near a non-positive integer";
  if (level < 1) return;
  const double p = digammaex2(x, pflag);
  if (pflag != 0) {
    report(result, rec, grad, singular, nearpole);
    return;
  }
  double lf = 0;
  if (std::fabs(p) <= 1) {
    dfdx = f * p;
  } else {
    const double la = std::log(std::fabs(p));
    lf = std::log(std::fabs(f));
    if (la + lf >= lnbig) {
      report(result, rec, grad, singular, nearpole);
      return;
    }
    dfdx = f * p;
    if (level >= 2 && 2 * la + lf >= lnbig) {
      report(result, rec, hess, singular, nearpole);
      return;
    }
  }
  if (level < 2) return;
  int tflag = 0;
  const double t = trigammaex3(x, tflag);
  if (tflag != 0 || std::log(t) + lf >= lnbig) {
    report(result, rec, hess, singular, nearpole);
    return;
  }
  d2fdx2 = t * f + p * p * f;
  if (d2fdx2 > big) report(result, rec, hess, singular, nearpole);
}

namespace {

// A derivative of the binomial on the logarithmic scale: bracket w times e^L.
double logscaled(double w, double lnf, double f, bool directbelow, int& result,
                 ctvnew::tmathnewrec& rec, int rc, std::string_view text) {
  const bool direct = directbelow ? w <= 1 : std::fabs(w) <= 1;
  if (direct) return w * f;
  const double e = std::log(std::fabs(w)) + lnf;
  if (e > lnbig) {
    report(result, rec, rc, overflow, text);
    return sign(w) * big;
  }
  return sign(w) * std::exp(e);
}

}  // namespace

void funcbinomial(int& result, ctvnew::tmathnewrec& rec, int level, double x, double y, double& f,
                  double& fx, double& fy, double& fxx, double& fxy, double& fyx, double& fyy) {
  const double d = x - y + 1;
  if (x < -0.99999999999999) return report(result, rec, func, domain, "x near or below -1");
  if (y < -0.99999999999999) return report(result, rec, func, domain, "y near or below -1");
  if (d < 1e-14) return report(result, rec, func, singular, "x-y+1 near or below 0");
  constexpr double xmax = 2.55e305;
  if (x > xmax) {
    q5rt::sstr limit;
    q5rt::Q5_Str_dd0(xmax, limit);  // the runtime's default real text
    return report(result, rec, func, overflow, q5rt::concat("x > ", limit.view()).view());
  }
  int fl = 0;
  const double px = digammaex2(x + 1, fl), pd = digammaex2(d, fl), py = digammaex2(y + 1, fl);
  const double a = px - pd;
  const double b = pd - py;
  const auto tx = [&] { return trigammaex3(x + 1, fl); };
  const auto td = [&] { return trigammaex3(d, fl); };
  const auto ty = [&] { return trigammaex3(y + 1, fl); };
  if (x <= 170 || x + 1 < 171.624) {
    if (x == std::round(x) && y == std::round(y)) {
      const auto ix = static_cast<int>(x), iy = static_cast<int>(y);
      f = mathshare::fcon[ix] / mathshare::fcon[iy] / mathshare::fcon[ix - iy];
    } else {
      f = gammaex(x + 1, fl) / gammaex(y + 1, fl) / gammaex(d, fl);
    }
    if (level < 1) return;
    fx = f * a;
    fy = f * b;
    if (level < 2) return;
    fxx = (a * a + tx() - td()) * f;
    fxy = fyx = (td() + a * b) * f;
    fyy = (b * b - td() - ty()) * f;
    return;
  }
  const double lnf = loggammaex(x + 1) - loggammaex(y + 1) - loggammaex(d);
  if (lnf > lnbig) {
    f = big;
    report(result, rec, func, overflow, "result too large");
  } else {
    f = std::exp(lnf);
  }
  if (level < 1) return;
  fx = logscaled(a, lnf, f, false, result, rec, grad, "df/dx too large");
  fy = logscaled(b, lnf, f, false, result, rec, grad, "df/dy too large");
  if (level < 2) return;
  fxx = logscaled(a * a + tx() - td(), lnf, f, true, result, rec, hess, "d2f/dxx too large");
  fxy = fyx = logscaled(td() + a * b, lnf, f, false, result, rec, hess, "d2f/dxy too large");
  fyy = logscaled(b * b - td() - ty(), lnf, f, true, result, rec, hess, "d2f/dyy too large");
}

namespace {

// The shared derivative steps of Beta and LogBeta. scale is f for Beta and 1 for LogBeta:
// d/dx = scale (psi(x) - psi(s)), d2/dx2 = scale (psi'(x) - psi'(s) + a^2 [Beta only]).
void betaderivatives(int& result, ctvnew::tmathnewrec& rec, int level, double x, double y,
                     double scale, bool squares, double& fx, double& fy, double& fxx, double& fxy,
                     double& fyx, double& fyy) {
  if (level < 1) return;
  const double s = x + y;
  int flx = 0, fly = 0, fls = 0;
  const double px = digammaex2(x, flx), py = digammaex2(y, fly), ps = digammaex2(s, fls);
  const double a = px - ps;
  const double b = py - ps;
  fx = scale * a;
  fy = scale * b;
  if (flx != 0 || fx <= -big) {
    report(result, rec, grad, singular, "x nearly 0");
    fx = -big;
    if (fly != 0 || fy <= -big) fy = -big;
    return;
  }
  if (fly != 0 || fy <= -big) {
    report(result, rec, grad, singular, "y nearly 0");
    fy = -big;
    return;
  }
  if (level < 2) return;
  const double sq = squares ? 1.0 : 0.0;
  const double tx = trigammaex3(x, flx), ty = trigammaex3(y, fly), ts = trigammaex3(s, fls);
  fxx = (tx - ts + sq * a * a) * scale;
  fyy = (ty - ts + sq * b * b) * scale;
  fxy = fyx = (sq * a * b - ts) * scale;
  if (flx != 0 || fxx > big) {
    report(result, rec, hess, singular, "x nearly 0");
    fxx = big;
    if (fly != 0 || fyy > big) fyy = big;
  } else if (fly != 0 || fyy > big) {
    report(result, rec, hess, singular, "y nearly 0");
    fyy = big;
  }
  if (fls != 0 || fxy < -big) fxy = fyx = -big;
}

// -psi'(z), or -Big when psi'(z) is flagged or beyond Big.
double negtrigamma(double z) {
  int fl = 0;
  const double t = trigammaex3(z, fl);
  return (fl != 0 || t > big) ? -big : -t;
}

}  // namespace

void funcbeta(int& result, ctvnew::tmathnewrec& rec, int level, double x, double y, double& f,
              double& fx, double& fy, double& fxx, double& fxy, double& fyx, double& fyy) {
  if (x < 0) return report(result, rec, func, domain, "x < 0");
  if (y < 0) return report(result, rec, func, domain, "y < 0");
  if (x < kernel_xmin) {
    f = big;
    fx = -big;
    fxx = big;
    fxy = fyx = -big;
    if (y < kernel_xmin) {
      report(result, rec, func, singular, (x == 0 && y == 0) ? "x = y = 0" : "near x = y = 0");
      fy = -big;
      fyy = big;
    } else {
      report(result, rec, func, singular, x == 0 ? "x = 0" : "near x = 0");
      fy = 0;
      fyy = 0;
    }
    return;
  }
  if (y == 0) {
    report(result, rec, func, singular, "y = 0");
    f = big;
    fx = 0;
    fy = -big;
    fxx = 0;
    fxy = fyx = -big;
    fyy = big;
    return;
  }
  const double s = x + y;
  int fl = 0;
  if (s == x && y < kernel_eps) {
    f = gammaex(y, fl);
    if (fl != 0 || f > big) {  // a flagged Gamma(y) is a pole, not a small value
      report(result, rec, func, singular, "y nearly 0");
      f = big;
      fx = 0;
      fy = -big;
      fyy = big;
      fxx = fxy = fyx = 0;
      return;
    }
  } else if (s == y && x < kernel_eps) {
    f = gammaex(x, fl);
    if (fl != 0 || f > big) {
      report(result, rec, func, singular, "x nearly 0");
      f = big;
      fx = -big;
      fxx = big;
      fy = fxy = fyx = fyy = 0;
      return;
    }
  } else if (s < 171.624) {
    int f1 = 0, f2 = 0;
    f = gammaex(x, fl) / gammaex(s, f1) * gammaex(y, f2);
  } else {
    const double lnb = betalnex(x, y);
    if (lnb > lnbig) {
      report(result, rec, func, singular, "near x = y = 0");
      f = big;
      fx = fy = -big;
      fxx = fyy = big;
      fxy = fyx = 0;
      return;
    }
    f = std::exp(lnb);
  }
  betaderivatives(result, rec, level, x, y, f, true, fx, fy, fxx, fxy, fyx, fyy);
}

void funclogbeta(int& result, ctvnew::tmathnewrec& rec, int level, double x, double y, double& f,
                 double& fx, double& fy, double& fxx, double& fxy, double& fyx, double& fyy) {
  if (x < 0) return report(result, rec, func, domain, "x < 0");
  if (y < 0) return report(result, rec, func, domain, "y < 0");
  if (x == 0) {
    f = big;
    fx = -big;
    fxx = big;
    if (y == 0) {
      report(result, rec, func, singular, "x = y = 0");
      fy = -big;
      fxy = fyx = -big;
      fyy = big;
    } else {
      report(result, rec, func, singular, "x = 0");
      fy = 0;
      fxy = fyx = negtrigamma(y);
      fyy = 0;
    }
    return;
  }
  if (y == 0) {
    report(result, rec, func, singular, "y = 0");
    f = big;
    fx = 0;
    fy = -big;
    fxx = 0;
    fxy = fyx = negtrigamma(x);
    fyy = big;
    return;
  }
  f = betalnex(x, y);
  if (f >= big) {
    report(result, rec, func, singular, "x or y nearly zero");
    f = big;
    return;
  }
  if (f <= -big) {
    report(result, rec, func, overflow, "x and y too large");
    f = -big;
    return;
  }
  betaderivatives(result, rec, level, x, y, 1.0, false, fx, fy, fxx, fxy, fyx, fyy);
}

// ---------------------------------------------------------------- intrinsic evaluators

namespace detail {

namespace {

constexpr double overflowed = 9.999999000000002e+298;  // a value at least this large overflowed
constexpr double hessbound = 3.16227766016838e+149;
constexpr double hesscap = 2.846049894151542e+149;

double boundhess(double v) {
  if (v > hessbound) return hesscap;
  if (v < -hessbound) return -hesscap;
  return v;
}

}  // namespace

int eval_fact(ctvnew::tmathnewrec& r, const double* x) {
  const double n = x[0];
  if (!(n > -1e-5)) return logerr(r, func, domain, "n < 0");
  if (n <= mathshare::fact_max) {
    const double k = nearest(n);
    if (std::fabs(k - n) > 1e-4) return logerr(r, func, domain, "n not integer");
    r.f = mathshare::fcon[static_cast<int>(k)];
    return 0;
  }
  if (std::fabs(intpart(n) - n) > 1e-4) return logerr(r, func, domain, "n not integer");
  r.f = big;
  return logerr(r, func, overflow, "n too large");
}

int eval_gamma(ctvnew::tmathnewrec& r, const double* x) {
  int result = 0;
  funcgamma(result, r, r.level, x[0], r.f, r.g[0], r.h[0][0]);
  return result;
}

namespace {

// The two-argument evaluators write f, g[0..1] and the 2 x 2 Hessian of the record.
using twoargevaluator = void (*)(int&, ctvnew::tmathnewrec&, int, double, double, double&, double&,
                                 double&, double&, double&, double&, double&);

int evaltwo(twoargevaluator fn, ctvnew::tmathnewrec& r, const double* x) {
  int result = 0;
  fn(result, r, r.level, x[0], x[1], r.f, r.g[0], r.g[1], r.h[0][0], r.h[0][1], r.h[1][0],
     r.h[1][1]);
  return result;
}

}  // namespace

int eval_beta(ctvnew::tmathnewrec& r, const double* x) { return evaltwo(&funcbeta, r, x); }
int eval_logbeta(ctvnew::tmathnewrec& r, const double* x) { return evaltwo(&funclogbeta, r, x); }
int eval_binomial(ctvnew::tmathnewrec& r, const double* x) { return evaltwo(&funcbinomial, r, x); }

int eval_loggamma(ctvnew::tmathnewrec& r, const double* args) {
  const double x = args[0];
  double& g = r.g[0];
  double& h = r.h[0][0];
  if (x <= 0) {
    r.f = big;
    g = -big;
    h = big;
    return x < 0 ? logerr(r, func, domain, "x < 0") : logerr(r, func, singular, "x = 0");
  }
  int flag = 0;
  r.f = loggammaex(x);
  if (x <= 1e-149) {
    if (r.level < 1) return 0;
    g = digammaex2(x, flag);
    if (flag != 0 || g < -big) {
      g = -big;
      h = big;
      return logerr(r, grad, singular, "x positive but nearly 0");
    }
    if (r.level < 2) return 0;
    h = trigammaex3(x, flag);
    if (flag != 0 || h > big) {
      h = big;
      return logerr(r, hess, singular, "x positive but nearly 0");
    }
    return 0;
  }
  if (x > 1e200 && r.f > big) {
    r.f = big;
    g = big;
    h = 0;
    return logerr(r, func, overflow, "x too large");
  }
  if (r.level >= 1) g = digammaex2(x, flag);   // (ln Gamma)' = psi
  if (r.level >= 2) h = trigammaex3(x, flag);  // (ln Gamma)'' = psi'
  return 0;
}

namespace {

// P(a, x) by the series (x <= 1 or x < a) or the continued fraction of Q; false when the
// loop does not settle.
bool gammaregvalue(double x, double a, double& f) {
  constexpr int maxterms = 100000;
  f = 0;
  if (x == 0) return true;
  if (a > 1000) {  // Wilson-Hilferty
    f = codyerrf(3 * std::sqrt(a) * (mnpower(x / a, 1.0 / 3) + 1 / (9 * a) - 1));
    return true;
  }
  if (x > 1e8) {
    f = 1;
    return true;
  }
  if (x <= 1 || x < a) {
    const double lnfront = a * std::log(x) - x - lngamma(a + 1);
    double term = 1, sum = 1, b = a;
    int n = 0;
    do {
      if (++n > maxterms) return false;
      b += 1;
      term *= x / b;
      sum += term;
    } while (term > 1e-14);
    const double e = std::log(sum) + lnfront;
    if (e >= -88) f = std::exp(e);
    return true;
  }
  const double lnfront = a * std::log(x) - x - lngamma(a);
  double y = 1 - a, z = x + y + 1, c = 0;
  double p1 = 1, q1 = x, p2 = x + 1, q2 = z * x;
  double ratio = p2 / q2;
  for (int n = 0;; ++n) {
    if (n > maxterms) return false;
    c += 1;
    y += 1;
    z += 2;
    const double yc = y * c;
    const double pn = p2 * z - p1 * yc;
    const double qn = q2 * z - q1 * yc;
    if (qn != 0) {
      const double r = pn / qn;
      if (std::fabs(ratio - r) <= std::min(1e-14 * r, 1e-14)) break;
      ratio = r;
    }
    p1 = p2;
    q1 = q2;
    p2 = pn;
    q2 = qn;
    if (std::fabs(pn) >= 1e37) {
      p1 /= 1e37;
      q1 /= 1e37;
      p2 /= 1e37;
      q2 /= 1e37;
    }
  }
  const double e = std::log(ratio) + lnfront;
  f = e >= -88 ? 1 - std::exp(e) : 1;
  return true;
}

}  // namespace

int eval_gammareg(ctvnew::tmathnewrec& r, const double* args) {
  const double x = args[0];
  const double a = args[1];
  if (!(x >= 0) || !(a > 0)) return logerr(r, func, domain, "gammareg(x,a) expects x>=0,a>0");
  if (!gammaregvalue(x, a, r.f) || std::fabs(r.f) >= overflowed)
    return logerr(r, func, singular, "could not evaluate");
  if (r.level < 1) return 0;
  if (x == 0) return logerr(r, grad, domain, "derivative of gammareg(x,a) expects x>0,a>0");
  double& g1 = r.g[0];
  double& g2 = r.g[1];
  double& h11 = r.h[0][0];
  double& h12 = r.h[0][1];
  double& h22 = r.h[1][1];
  g1 = g2 = h11 = h12 = h22 = big;
  bool computed = false;
  const double lga = lngamma(a);
  if (a >= 1e-10 && x >= 1e-10 && std::fabs(lga) < overflowed) {
    const double ps = psi(a);
    int flag = 0;
    const double t = trigamma(a, flag);
    if (flag == 0 && std::fabs(t - 1 / (a * a)) < overflowed) {
      double d[6];
      digami(d, x, a, lga, lga + std::log(a), ps, ps + 1 / a, t, t - 1 / (a * a), flag);
      computed = flag == 0;
      if (computed) {
        g1 = d[0];
        h11 = d[1];
        g2 = d[2];
        h22 = d[3];
        h12 = d[4];
      }
    }
  }
  if (!computed) {  // the substitutes stand, but as an error, not as a forgiven overflow
    r.h[1][0] = big;
    return logerr(r, grad, singular, "derivative could not be evaluated");
  }
  if (std::fabs(g1) >= overflowed || std::fabs(g2) >= overflowed) {
    const int answer = logerr(r, grad, overflow, "overflow");
    if (std::fabs(g1) >= overflowed) g1 = sign(g1) * big;
    if (std::fabs(g2) >= overflowed) g2 = sign(g2) * big;
    h11 = h12 = r.h[1][0] = h22 = big;
    return answer;
  }
  h11 = boundhess(h11);
  h22 = boundhess(h22);
  h12 = r.h[1][0] = boundhess(h12);
  return 0;
}

int eval_betareg(ctvnew::tmathnewrec& r, const double* args) {
  const double x = args[0];
  const double a = args[1];
  const double b = args[2];
  if (!(x >= 0 && x <= 1) || !(a > 0) || !(b > 0))
    return logerr(r, func, domain, "betareg(x,a,b) expects 0<=x<=1, a,b>0");
  double w = 0, w1 = 0;
  int flag = 0;
  bratio(a, b, x, 0.5 - x + 0.5, w, w1, flag);
  r.f = flag != 0 ? big : w;
  if (flag != 0 || std::fabs(r.f) >= overflowed)
    return logerr(r, func, singular, "evaluation error");
  if (r.level < 1) return 0;
  if (x <= 0 || x >= 1)
    return logerr(r, grad, domain, "derivative of betareg(x,a,b) expects 0<x<1");
  const double lb = betaln(a, b);
  const double lx = std::log(x);
  const double ly = std::log1p(-x);
  const double density = std::exp(std::min((a - 1) * lx + (b - 1) * ly - lb, lnbig));
  int tf = 0;
  const double psa = psi(a), psb = psi(b), psab = psi(a + b);
  const double shape[7] = {
      lb, psa, trigamma(a, tf), psb, trigamma(b, tf), psab, trigamma(a + b, tf)};
  double der[6];
  int nappx = 0;
  double errapx = 0;
  inbeder(x, a, b, shape, der, nappx, errapx, flag);
  double* g = r.g;
  if (flag != 0) {
    struct failure {
      int ec;
      std::string_view text;
    };
    static constexpr failure failures[] = {
        {singular, "derivative could not be evaluated"},
        {domain, "betareg(x,a,b): 0<x<1 must hold to calculate derivatives"},
        {domain, "betareg(x,a,b): a>=0 must hold to calculate derivatives"},
        {domain, "betareg(x,a,b): b>=0 must hold to calculate derivatives"},
        {domain, "betareg(x,a,b): bounds need to be tightened to prevent betareg=0 or betareg=1"},
        {singular, "needed too many terms to calculate derivatives"},
    };
    const failure& fail = failures[flag >= 1 && flag <= 5 ? flag : 0];
    const int answer = logerr(r, grad, fail.ec, fail.text);
    g[0] = g[1] = g[2] = 0;
    return answer;
  }
  g[0] = density;  // dI/dx is the beta density
  g[1] = der[1];
  g[2] = der[3];
  if (density >= overflowed || std::fabs(g[1]) >= overflowed || std::fabs(g[2]) >= overflowed) {
    const int answer = logerr(r, grad, overflow, "overflow");
    for (int i = 0; i < 3; ++i) {
      if (std::fabs(g[i]) >= overflowed) g[i] = sign(g[i]) * big;
      for (int j = 0; j < 3; ++j) r.h[i][j] = big;
    }
    return answer;
  }
  if (r.level < 2) return 0;
  const double beta = lb > lnbig ? 1.000000000000327e+299 : std::exp(lb);
  // d2I/dx2 = ((a-1) x^(a-2) (1-x)^(b-1) - x^(a-1) (b-1) (1-x)^(b-2)) / B(a, b)
  r.h[0][0] = boundhess(((a - 1) * mnpower(x, a - 2) * mnpower(1 - x, b - 1) -
                         mnpower(x, a - 1) * (b - 1) * mnpower(1 - x, b - 2)) /
                        beta);
  r.h[0][1] = r.h[1][0] = boundhess(density * (lx - psa + psab));
  r.h[0][2] = r.h[2][0] = boundhess(density * (ly - psb + psab));
  r.h[1][1] = boundhess(der[2]);
  r.h[1][2] = r.h[2][1] = boundhess(der[5]);
  r.h[2][2] = boundhess(der[4]);
  return 0;
}

}  // namespace detail

}  // namespace mathnew
