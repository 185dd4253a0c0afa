// Interval evaluation of the intrinsic functions. The bounds come from values at the box
// ends and at interior extrema where a function's shape is known; a bound at or beyond
// +-rec.inf counts as infinite; whatever a rule does not bound stays unbounded.
#include "funclib/mathnew_interval.h"

#include <algorithm>
#include <cmath>

#include "frame/strutilx_numbers.h"
#include "funclib/mathnew.h"
#include "funclib/mathnew_kernels.h"

namespace mathnew {

namespace {

using ctvnew::tmathnewrec;

constexpr int FUNC = ctvnew::rc_func, GRAD = ctvnew::rc_grad;
constexpr int DOMAIN = ctvnew::ec_domain, SINGULAR = ctvnew::ec_singular,
              SIGLOSS = ctvnew::ec_sigloss;
constexpr double L = ctvnew::ln_math_huge;  // exp beyond +-L is infinite or 0
constexpr double pi = 3.141592653589793;
constexpr double normdens = 0.3989422804014327;  // 1 / sqrt(2 pi)

// Bounds of one result: the value range and that of one partial derivative.
struct range {
  double lo, hi;
};

[[nodiscard]] double clampinf(double v, double inf) { return std::clamp(v, -inf, inf); }

// exp guarded by +-L.
[[nodiscard]] double expg(double v, double inf) {
  if (v > L) return inf;
  if (v < -L) return 0;
  return std::exp(v);
}

// The square of a bound, inf where it reaches inf. (The record's sqrtinf may lie below the
// true square root of inf, so it is not the test: a cap there would cut the range.)
[[nodiscard]] double square(double v, const tmathnewrec& r) {
  const double s = v * v;
  return s >= r.inf ? r.inf : s;
}

[[nodiscard]] range ordered(double a, double b) { return {std::min(a, b), std::max(a, b)}; }

// Whether an integer m with lo <= offset + m pi <= hi exists with m even (first) or odd.
void multiples(double lo, double hi, double offset, bool& even, bool& odd) {
  even = odd = false;
  for (double m = std::ceil((lo - offset) / pi); m * pi + offset <= hi; m += 1) {
    (std::fmod(std::fabs(m), 2.0) == 0 ? even : odd) = true;
    if (even && odd) return;
  }
}

// x**n with a whole n as exp(n ln|x|), guarded; negative for a negative x and odd n.
[[nodiscard]] double wholepower(double x, double n, double inf) {
  if (n == 0) return 1;
  if (x == 0) return n > 0 ? 0 : inf;
  const double v = expg(n * std::log(std::fabs(x)), inf);
  return x < 0 && std::fmod(std::fabs(n), 2.0) == 1 ? -v : v;
}

// The stable log-sum-exp of v[0..n-1] scaled by t: (1/t) ln sum exp(t v_i), for the
// minimum form its negation over -v, formed as m + (1/t) ln sum exp(t (v_i - m)) with m
// the largest v_i so that neither t v_i nor the differences overflow. Values are taken
// within +-inf.
[[nodiscard]] double lse(const double* v, int n, double t, bool ismax, double inf) {
  const double sign = ismax ? 1 : -1;
  double m = -inf;
  for (int i = 0; i < n; ++i) m = std::max(m, sign * clampinf(v[i], inf));
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    const double d = sign * clampinf(v[i], inf) - m;  // <= 0
    sum += d == 0 ? 1 : std::exp(t * d);
  }
  return clampinf(sign * (m + std::log(sum) / t), inf);
}

}  // namespace

namespace detail {

void intmult(double a, double b, double c, double d, double& lo, double& hi,
             const tmathnewrec& rec) {
  const double inf = rec.inf;
  if ((a == 0 && b == 0) || (c == 0 && d == 0)) {
    lo = hi = 0;
    return;
  }
  // A product with an infinite bound is infinite with its sign; with 0 it is 0.
  auto mul = [inf](double u, double v) {
    if (u == 0 || v == 0) return 0.0;
    if (std::fabs(u) >= inf || std::fabs(v) >= inf) return (u > 0) == (v > 0) ? inf : -inf;
    return clampinf(u * v, inf);
  };
  const double p[4] = {mul(a, c), mul(a, d), mul(b, c), mul(b, d)};
  lo = *std::min_element(p, p + 4);
  hi = *std::max_element(p, p + 4);
}

int intdiv(double a, double b, double c, double d, double& lo, double& hi, tmathnewrec& rec) {
  const double inf = rec.inf;
  int answer = 0;
  if (c <= 1e-150 && d >= -1e-150) answer = logerr(rec, FUNC, DOMAIN, "x/y, |y| <= 1e-150");
  if (a == 0 && b == 0) {
    lo = hi = 0;
  } else if ((a <= -inf && b >= inf) || (c < 0 && 0 < d)) {
    lo = -inf;
    hi = inf;
  } else {
    // 1/y over [c, d] is [1/d, 1/c]: an infinite end gives 0, an end within 1/inf of zero
    // an infinity of the side it approaches from.
    auto recip = [inf](double v, bool upper) {
      if (std::fabs(v) >= inf) return 0.0;
      if (std::fabs(v) > 1 / inf) return 1 / v;
      if (upper) return v < 0 ? -inf / 2 : inf;  // 1/c
      return v > 0 ? inf / 2 : -inf;             // 1/d
    };
    intmult(a, b, recip(d, false), recip(c, true), lo, hi, rec);
  }
  return answer;
}

int intlog(double k, double lo, double hi, double& flo, double& fhi, double& glo, double& ghi,
           tmathnewrec& rec) {
  const double inf = rec.inf;
  if (!(lo > 1e-299)) {
    flo = glo = -inf;
    fhi = ghi = inf;
    if (lo < 0) return logerr(rec, FUNC, DOMAIN, "xmin < 0");
    if (lo == 0) return logerr(rec, FUNC, SINGULAR, "xmin = 0");
    return logerr(rec, FUNC, SINGULAR, "xmin tiny");
  }
  flo = k * std::log(lo);
  ghi = k / lo;
  if (hi >= inf || !(hi > 0)) {
    fhi = inf;
    glo = hi >= inf ? 0 : -inf;
  } else {
    fhi = k * std::log(hi);
    glo = k / hi;
  }
  return 0;
}

int intcosine(double lo, double hi, double& flo, double& fhi, double& glo, double& ghi,
              tmathnewrec& rec) {
  flo = glo = -1;
  fhi = ghi = 1;
  // The ends may carry the rounding of a shift (sin is cos of x - pi/2): at least one unit
  // in the last place outward.
  const double widen = 1e-16 * std::min(std::fabs(lo), std::fabs(hi));
  lo = std::nextafter(lo - widen, -HUGE_VAL);
  hi = std::nextafter(hi + widen, HUGE_VAL);
  constexpr double limit = 6746518845.977824;  // 2147483646 pi
  if (hi > limit || lo < -limit) return logerr(rec, FUNC, SIGLOSS, "|x| too large");
  if (hi - lo >= 2 * pi) return 0;
  bool even = false, odd = false;
  const range f = ordered(std::cos(lo), std::cos(hi));
  multiples(lo, hi, 0, even, odd);
  flo = odd ? -1 : f.lo;
  fhi = even ? 1 : f.hi;
  // -sin is -1 at pi/2 + 2m pi and 1 at pi/2 + (2m + 1) pi.
  const range g = ordered(-std::sin(lo), -std::sin(hi));
  multiples(lo, hi, pi / 2, even, odd);
  glo = even ? -1 : g.lo;
  ghi = odd ? 1 : g.hi;
  return 0;
}

}  // namespace detail

namespace {

using detail::intcosine;
using detail::intdiv;
using detail::intlog;
using detail::intmult;

// One call: the argument bounds, the outputs and the record.
struct box {
  tmathnewrec& r;
  const double* lo;
  const double* hi;
  double& flo;
  double& fhi;
  double* glo;
  double* ghi;
  double inf() const { return r.inf; }
  void value(double a, double b) {
    flo = a;
    fhi = b;
  }
  void deriv(int i, double a, double b) {
    glo[i] = a;
    ghi[i] = b;
  }
};

int minmax(box& b, bool ismax) {
  const double xl = b.lo[0], xh = b.hi[0], yl = b.lo[1], yh = b.hi[1];
  if (ismax) {
    b.value(std::max(xl, yl), std::max(xh, yh));
    if (xh >= yl) b.ghi[0] = 1;  // x can be the maximum
    if (yh >= xl) b.ghi[1] = 1;
  } else {
    b.value(std::min(xl, yl), std::min(xh, yh));
    if (yh >= xl) b.ghi[0] = 1;  // x can be the minimum
    if (xh >= yl) b.ghi[1] = 1;
  }
  return 0;
}

int sqr(box& b) {
  const double lo = b.lo[0], hi = b.hi[0], inf = b.inf();
  if (hi < 0) {
    b.value(square(hi, b.r), square(lo, b.r));
  } else if (lo > 0) {
    b.value(square(lo, b.r), square(hi, b.r));
  } else {
    b.value(0, std::max(square(lo, b.r), square(hi, b.r)));
  }
  b.deriv(0, clampinf(2 * lo, inf), clampinf(2 * hi, inf));
  return 0;
}

int sqrtrule(box& b) {
  const double lo = b.lo[0], hi = b.hi[0], inf = b.inf();
  if (lo < 0) return logerr(b.r, FUNC, DOMAIN, "xmin < 0");
  b.value(std::sqrt(lo), hi >= inf ? inf : std::sqrt(hi));
  b.glo[0] = hi >= inf ? 0 : 0.5 / std::sqrt(hi);
  if (lo < 1.8420157493201942e-200) {
    b.flo = 0;
    b.ghi[0] = inf;
    return logerr(b.r, GRAD, SINGULAR, "xmin tiny");
  }
  b.ghi[0] = 0.5 / std::sqrt(lo);
  return 0;
}

int absrule(box& b) {
  const double lo = b.lo[0], hi = b.hi[0], inf = b.inf();
  if (hi < 0) {
    b.value(clampinf(-hi, inf), clampinf(-lo, inf));
    b.deriv(0, -1, -1);
  } else if (lo > 0) {
    b.value(clampinf(lo, inf), clampinf(hi, inf));
    b.deriv(0, 1, 1);
  } else {
    b.value(0, clampinf(std::max(std::fabs(lo), std::fabs(hi)), inf));
    b.deriv(0, -1, 1);
    return logerr(b.r, GRAD, SIGLOSS, "x = 0");
  }
  return 0;
}

int cossin(box& b, double shift) {
  const double lo = b.lo[0], hi = b.hi[0], inf = b.inf();
  if (std::fabs(lo) >= inf || std::fabs(hi) >= inf) {
    b.value(-1, 1);
    b.deriv(0, -1, 1);
    return logerr(b.r, FUNC, SIGLOSS, q5rt::concat("|x| > ", strutilx::dbltostr(inf)));
  }
  return intcosine(lo - shift, hi - shift, b.flo, b.fhi, b.glo[0], b.ghi[0], b.r);
}

int errorf(box& b) {
  const double lo = b.lo[0], hi = b.hi[0], inf = b.inf();
  b.value(lo <= -inf ? 0 : codyerrf(lo), hi >= inf ? 1 : codyerrf(hi));
  auto dens = [inf](double v) { return std::fabs(v) >= inf ? 0 : normdens * std::exp(-v * v / 2); };
  const range g = ordered(dens(lo), dens(hi));
  b.deriv(0, g.lo, lo <= 0 && 0 <= hi ? normdens : g.hi);
  return 0;
}

int power(box& b) {
  const double ylo = b.lo[1], yhi = b.hi[1], inf = b.inf();
  const double n = std::round(ylo);
  if (ylo != yhi || !(std::fabs(n) < 2147483647) || std::fabs(ylo - n) > 1e-4) return 4;
  double lo = b.lo[0], hi = b.hi[0];
  auto slope = [&](double x) { return clampinf(n * wholepower(x, n - 1, inf), inf); };
  if (lo > 1e-30 || hi < -1e-30) {  // monotone on either side of zero
    const range f = ordered(wholepower(lo, n, inf), wholepower(hi, n, inf));
    const range g = ordered(slope(lo), slope(hi));
    b.value(f.lo, f.hi);
    b.deriv(0, g.lo, g.hi);
    return 0;
  }
  if (n < 0) return 0;
  if (n == 0) {
    b.value(1, 1);
    b.deriv(0, 0, 0);
    return 0;
  }
  if (n == 1) {
    b.value(lo, hi);
    b.deriv(0, 1, 1);
    return 0;
  }
  const bool left = lo<0, right = hi> 0;
  if (left) lo = std::min(lo, -1e-30);
  if (right) hi = std::max(hi, 1e-30);
  const double pl = left ? wholepower(-lo, n, inf) : 0, ph = right ? wholepower(hi, n, inf) : 0;
  const double sl = left ? slope(-lo) : 0, sh = right ? slope(hi) : 0;
  if (std::fmod(n, 2.0) == 0) {
    b.value(0, std::max(pl, ph));
    b.deriv(0, -sl, sh);
  } else {
    b.value(-pl, ph);
    b.deriv(0, 0, std::max(sl, sh));
  }
  return 0;
}

int sigmoid(box& b) {
  const double lo = b.lo[0], hi = b.hi[0];
  if (hi <= -L || lo > L) {
    const double v = lo > L ? 1 : 0;
    b.value(v, v);
    b.deriv(0, 0, 0);
    return 0;
  }
  auto sig = [](double x) {
    if (x >= 0) return 1 / (1 + std::exp(-x));
    const double e = std::exp(x);
    return e / (1 + e);
  };
  // sigma' = e / (1 + e)^2 with e = exp(-|x|): no 1 - sigma that loses its digits.
  auto slope = [](double x) {
    const double e = std::exp(-std::fabs(x));
    return e / ((1 + e) * (1 + e));
  };
  b.value(sig(lo), sig(hi));
  const range g = ordered(slope(lo), slope(hi));
  b.deriv(0, g.lo, lo <= 0 && 0 <= hi ? 0.25 : g.hi);
  return 0;
}

// The value bounds times a factor range into the derivative bounds of argument i.
void scaled(box& b, int i, double lo, double hi) {
  intmult(b.flo, b.fhi, lo, hi, b.glo[i], b.ghi[i], b.r);
}

// exp over intmult(a, c) guarded by +-L.
void expofproduct(box& b, double a1, double a2, double c1, double c2) {
  double lo = 0, hi = 0;
  intmult(a1, a2, c1, c2, lo, hi, b.r);
  b.value(expg(lo, b.inf()), expg(hi, b.inf()));
}

// ln of a positive bound; an infinite bound stays infinite.
[[nodiscard]] double lnbound(double v, double inf) { return v >= inf ? inf : std::log(v); }

int rpower(box& b) {
  const double lo = b.lo[0], hi = b.hi[0], ylo = b.lo[1], yhi = b.hi[1], inf = b.inf();
  if (lo < 0) return logerr(b.r, FUNC, DOMAIN, "x**y, x<0");
  if (lo <= 1e-30) {
    if (ylo < 0) return logerr(b.r, FUNC, DOMAIN, "x**y, x=0,y<0");
    if (ylo == 0) return logerr(b.r, FUNC, DOMAIN, "x**y, x=0,y=0");
    if (ylo < 1) {
      b.flo = 0;
      b.glo[0] = 0;
      // x**y near x = 0 with y near 0 is near 1: no cut at x <= 1e-30.
      b.fhi = hi <= 0 ? 0 : clampinf(std::max(std::pow(hi, ylo), std::pow(hi, yhi)), inf);
      return logerr(b.r, GRAD, SINGULAR, "x**y, x=0,0<y<1");
    }
    if (ylo == 1) {
      b.flo = 0;
      if (yhi == 1) {
        b.fhi = hi;
        b.deriv(0, 1, 1);
      } else if (hi <= 1e-30) {
        b.fhi = hi;
        b.deriv(0, 0, 1);
      } else {
        // Below x = 1 the power falls with y, so y = 1 bounds it too; the slope y x^(y-1)
        // in y peaks at y = -1/ln x.
        auto slope = [hi](double y) { return y * std::pow(hi, y - 1); };
        double top = std::max(slope(1), slope(yhi));
        if (hi < 1) top = std::max(top, slope(std::clamp(-1 / std::log(hi), 1.0, yhi)));
        b.fhi = clampinf(std::max(hi, std::pow(hi, yhi)), inf);
        b.deriv(0, 0, clampinf(top, inf));
      }
      return 0;
    }
  }
  expofproduct(b, lo > 0 ? std::log(lo) : -inf, lnbound(hi, inf), ylo, yhi);
  double ql = 0, qh = 0, ll = 0, lh = 0, unused = 0;
  const int qrc = intdiv(ylo, yhi, lo, hi, ql, qh, b.r);
  scaled(b, 0, ql, qh);
  const int lrc = intlog(1, lo, hi, ll, lh, unused, unused, b.r);
  scaled(b, 1, ll, lh);
  if (lo <= 1e-30) {  // the evaluation takes such an x as 0, where both slopes are 0
    for (int i = 0; i < 2; ++i) {
      b.glo[i] = std::min(b.glo[i], 0.0);
      b.ghi[i] = std::max(b.ghi[i], 0.0);
    }
  }
  if (qrc == 4 || lrc == 4) return 4;
  if (qrc == 1 || lrc == 1) return 2;
  return lrc;
}

// The Euclidean norm of m[0..n-1] except index skip (-1: none), scaled by the largest
// magnitude so that no square overflows or underflows; inf where it reaches inf.
[[nodiscard]] double norm(const double* m, int n, int skip, double inf) {
  double scale = 0;
  for (int i = 0; i < n; ++i) {
    if (i != skip) scale = std::max(scale, m[i]);
  }
  if (scale >= inf) return inf;
  if (scale == 0) return 0;
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    if (i != skip) sum += (m[i] / scale) * (m[i] / scale);
  }
  return std::min(scale * std::sqrt(sum), inf);
}

// EDist = sqrt(sum x_i^2): the norm of the smallest and of the largest magnitudes. Its
// slope x_i / sqrt(x_i^2 + s_i) = x_i / hypot(x_i, S_i), S_i the norm of the others, rises
// with x_i and moves towards 0 as S_i grows: the extremes take S_i at the end of its range
// that keeps them furthest from 0. With S_i = 0 the slope jumps from -1 to 1 at 0. Where the
// value may fall below 1e-20 the evaluation answers slopes of 0, so 0 joins the range.
int edist(box& b) {
  const int n = std::max(b.r.nargs, 0);
  const double inf = b.inf();
  double ml[ctvnew::maxargs] = {}, mh[ctvnew::maxargs] = {};  // smallest, largest |x_i|
  for (int i = 0; i < n; ++i) {
    const double lo = std::fabs(b.lo[i]), hi = std::fabs(b.hi[i]);
    ml[i] = b.lo[i] <= 0 && 0 <= b.hi[i] ? 0 : std::min(lo, hi);
    mh[i] = std::max(lo, hi);
  }
  b.value(norm(ml, n, -1, inf), norm(mh, n, -1, inf));
  for (int i = 0; i < n; ++i) {
    const double slo = norm(ml, n, i, inf), shi = norm(mh, n, i, inf);
    auto slope = [&](double x, double side) {
      if (std::fabs(x) >= inf) return x > 0 ? 1.0 : -1.0;
      const double s = (x < 0) == (side < 0) ? slo : shi;
      if (x == 0 && s <= 0) return side;
      if (s >= inf) return 0.0;
      return x / std::hypot(x, s);
    };
    double glo = slope(b.lo[i], -1), ghi = slope(b.hi[i], 1);
    if (b.flo < 1e-20) {
      glo = std::min(glo, 0.0);
      ghi = std::max(ghi, 0.0);
    }
    b.deriv(i, glo, ghi);
  }
  return 0;
}

int division(box& b) {
  const double lo = b.lo[0], hi = b.hi[0], ylo = b.lo[1], yhi = b.hi[1], inf = b.inf();
  if (ylo <= 0 && 0 <= yhi) return logerr(b.r, FUNC, SINGULAR, "x/y, y = 0");
  // div0 answers +-1e299 without a report for |y| <= 1e-150: nothing bounds that.
  if (b.r.fnr == 67 && ylo <= 1e-150 && yhi >= -1e-150) return 0;
  auto recip = [inf](double y, bool fromlow) {
    if (std::fabs(y) >= inf) return 0.0;
    if (std::fabs(y) > 1 / inf) return 1 / y;
    if (fromlow) return y > 0 ? inf : -inf / 2;
    return y > 0 ? inf / 2 : -inf;
  };
  b.deriv(0, recip(yhi, false), recip(ylo, true));
  if (lo == 0 && hi == 0) {
    b.value(0, 0);
    b.deriv(1, 0, 0);
    return 0;
  }
  if (lo <= -inf && hi >= inf) return 0;
  intmult(lo, hi, b.glo[0], b.ghi[0], b.flo, b.fhi, b.r);
  // d/dy = -x/y^2 = (x/y) (-1/y): the value bounds times those of -1/y, so that no
  // 1/y^2 underflows to 0 against a large x.
  intmult(b.flo, b.fhi, -b.ghi[0], -b.glo[0], b.glo[1], b.ghi[1], b.r);
  return 0;
}

int cvpower(box& b) {
  const double c = b.lo[0];
  if (b.hi[0] != c) return 4;  // the base is a constant
  if (c < 0) return logerr(b.r, FUNC, DOMAIN, "c**y, c < 0");
  if (c == 0) {
    b.flo = 0;
    b.deriv(1, 0, 0);
    return 0;
  }
  const double lc = std::log(c);
  expofproduct(b, b.lo[1], b.hi[1], lc, lc);
  scaled(b, 1, lc, lc);
  return 0;
}

int vcpowerrule(box& b) {
  const double lo = b.lo[0], hi = b.hi[0], c = b.lo[1], inf = b.inf();
  if (b.hi[1] != c) return 4;  // the exponent is a constant
  if (lo < 0) return logerr(b.r, FUNC, DOMAIN, "x**c, x<0");
  if (c == 0) {
    b.value(1, 1);
    b.deriv(0, 0, 0);
    return 0;
  }
  if (lo <= 1e-30) {
    if (c < 0) return logerr(b.r, FUNC, DOMAIN, "x**c, x=0,c<0");
    if (c < 1) {
      b.flo = 0;
      b.glo[0] = 0;
      b.fhi = hi <= 0 ? 0 : clampinf(std::pow(hi, c), inf);
      return logerr(b.r, GRAD, SINGULAR, "x**c, x=0,0<c<1");
    }
    if (c == 1) {
      b.value(0, hi);
      b.deriv(0, 1, 1);
      return 0;
    }
  }
  expofproduct(b, lo > 0 ? std::log(lo) : -inf, lnbound(hi, inf), c, c);
  double ql = 0, qh = 0;
  const int rc = intdiv(c, c, lo, hi, ql, qh, b.r);
  scaled(b, 0, ql, qh);
  if (lo <= 1e-30) {  // the evaluation takes such an x as 0, where the slope is 0 for c > 1
    b.glo[0] = std::min(b.glo[0], 0.0);
    b.ghi[0] = std::max(b.ghi[0], 0.0);
  }
  return rc == 1 ? 2 : rc;
}

// Gamma(x) psi(x) for x > 1.46, where both factors are positive and finite (Gamma at most
// 1.79e308): the product as it is, up to 1e299. No cap below: the slope at 100 is 4.3e156.
[[nodiscard]] double gammaslope(double x) { return std::min(gamma(x) * psi(x), ctvnew::math_huge); }

// Gamma and ln Gamma on the positive axis: a floor below their minimum for any positive
// lower bound; from start on they rise, and the ends bound value and slope (the upper end
// only below limit).
int risingfromminimum(box& b, double floor, double start, double limit, double (*value)(double),
                      double (*slope)(double)) {
  const double lo = b.lo[0], hi = b.hi[0];
  if (lo > 0) b.flo = floor;
  if (lo > start) {
    b.flo = value(lo);
    b.glo[0] = slope(lo);
    if (hi < limit) {
      b.fhi = value(hi);
      b.ghi[0] = slope(hi);
    }
  }
  return 0;
}

int sinhrule(box& b) {
  const double lo = b.lo[0], hi = b.hi[0], inf = b.inf();
  auto sh = [inf](double x) { return x > L ? inf : x < -L ? -inf : std::sinh(x); };
  auto ch = [inf](double x) { return std::fabs(x) > L ? inf : std::cosh(x); };
  if (lo >= L) {
    b.value(inf, inf);
  } else if (hi <= -L) {
    b.value(-inf, -inf);
  } else {
    b.value(sh(lo), sh(hi));
  }
  const range g = ordered(ch(lo), ch(hi));
  b.deriv(0, lo < 0 && 0 < hi ? 1 : g.lo, g.hi);
  return 0;
}

int coshrule(box& b) {
  const double lo = b.lo[0], hi = b.hi[0], inf = b.inf();
  auto sh = [inf](double x) { return x > L ? inf : x < -L ? -inf : std::sinh(x); };
  auto ch = [inf](double x) { return std::fabs(x) > L ? inf : std::cosh(x); };
  if (lo >= L || hi <= -L) {
    b.value(inf, inf);
  } else {
    const range f = ordered(ch(lo), ch(hi));
    b.value(lo < 0 && 0 < hi ? 1 : f.lo, f.hi);
  }
  b.deriv(0, sh(lo), sh(hi));
  return 0;
}

int tanhrule(box& b) {
  const double lo = b.lo[0], hi = b.hi[0];
  if (lo >= L / 2) {
    b.value(1, 1);
    b.deriv(0, 0, 0);
    return 0;
  }
  auto th = [](double x) { return x > L / 2 ? 1.0 : x < -L / 2 ? -1.0 : std::tanh(x); };
  const double tl = th(lo), tu = th(hi);
  b.value(tl, tu);
  const range g = ordered(1 - tl * tl, 1 - tu * tu);
  b.deriv(0, g.lo, lo <= 0 && 0 <= hi ? 1 : g.hi);
  return 0;
}

// Logit(x) = ln(x / (1 - x)) on (0, 1): the value through the logarithm of x/(1 - x); its
// slope 1/(x (1 - x)) is smallest (4) at 0.5 and grows towards both ends.
int logit(box& b) {
  const double lo = b.lo[0], hi = b.hi[0], inf = b.inf();
  const double tl = lo / (1 - lo), th = hi >= 1 ? inf : hi / (1 - hi);
  double unused = 0;
  const int rc = intlog(1, tl, th, b.flo, b.fhi, unused, unused, b.r);
  if (lo > 0 && lo < 1) {
    auto slope = [inf](double x) { return x >= 1 ? inf : std::min(1 / (x * (1 - x)), inf); };
    const range g = ordered(slope(lo), slope(std::min(hi, 1.0)));
    b.deriv(0, lo <= 0.5 && 0.5 <= hi ? 4 : g.lo, g.hi);
  }
  return rc;
}

// LSEMax, LSEMin and the scaled forms (scale t = first argument, a constant). Both rise
// with every x; the scaled maximum falls and the scaled minimum rises with t.
int lserule(box& b, bool ismax, bool isscaled) {
  const int first = isscaled ? 1 : 0;
  const int n = std::max(b.r.nargs, 0) - first;
  if (n <= 0) return 0;
  double tlo = 1, thi = 1;
  if (isscaled) {
    if (!(b.lo[0] > 0)) return 0;
    tlo = b.lo[0];
    thi = b.hi[0];
  }
  const double tforlow = ismax ? thi : tlo, tforhigh = ismax ? tlo : thi;
  b.value(lse(b.lo + first, n, tforlow, ismax, b.inf()),
          lse(b.hi + first, n, tforhigh, ismax, b.inf()));
  for (int i = first; i < first + n; ++i) b.deriv(i, 0, 1);
  return 0;
}

}  // namespace

int funcinterval(tmathnewrec& rec, std::int32_t& fnr, const double* lo, const double* hi,
                 double& flo, double& fhi, double* glo, double* ghi) {
  const bool known = fnr >= 0 && fnr < funccount;
  rec.fnr = static_cast<std::uint8_t>(known ? fnr : unknownfnr);
  const int n = std::clamp(rec.nargs, 0, ctvnew::maxargs);
  flo = -rec.inf;
  fhi = rec.inf;
  std::fill_n(glo, std::max(n, 2), -rec.inf);
  std::fill_n(ghi, std::max(n, 2), rec.inf);
  if (!known || rec.nargs != n) return 0;
  // The rules read the arguments the function takes at least.
  if (n < funcminargs(static_cast<std::uint8_t>(fnr))) return 4;
  box b{rec, lo, hi, flo, fhi, glo, ghi};
  switch (fnr) {
    case 7:
      return minmax(b, false);
    case 8:
      return minmax(b, true);
    case 9:
      return sqr(b);
    case 10: {
      const double e0 = expg(lo[0], rec.inf), e1 = expg(hi[0], rec.inf);
      b.value(e0, e1);
      b.deriv(0, e0, e1);
      return 0;
    }
    case 11:
      return intlog(1, lo[0], hi[0], flo, fhi, glo[0], ghi[0], rec);
    case 12:
      return intlog(0.4342944819032518, lo[0], hi[0], flo, fhi, glo[0], ghi[0], rec);
    case 50:
      return intlog(1.442695040888963, lo[0], hi[0], flo, fhi, glo[0], ghi[0], rec);
    case 13:
      return sqrtrule(b);
    case 14:
      return absrule(b);
    case 15:
      return cossin(b, 0);
    case 16:
      return cossin(b, pi / 2);
    case 18:
      return errorf(b);
    case 21:
      return power(b);
    case 49:
      return sigmoid(b);
    case 64:
      return rpower(b);
    case 65:
      return edist(b);
    case 66:
    case 67:
      return division(b);
    case 74:
      return cvpower(b);
    case 75:
      return vcpowerrule(b);
    // Gamma's minimum is 0.8856031944 at 1.4616321; that of ln Gamma -0.1214898975877.
    case 80:
      return risingfromminimum(b, 0.8856, 1.46164, 50, &gamma, &gammaslope);
    case 81:
      return risingfromminimum(b, -0.12148989758770987, 1.46163, 100000, &lngamma, &psi);
    case 82:
      if (lo[0] > 0 && lo[1] > 0) flo = 0;
      return 0;
    case 84:
    case 85:
      b.value(0, 1);
      glo[0] = 0;
      return 0;
    case 86:
      return sinhrule(b);
    case 87:
      return coshrule(b);
    case 88:
      return tanhrule(b);
    case 124:
      return logit(b);
    case 125:
      return lserule(b, true, false);
    case 126:
      return lserule(b, true, true);
    case 127:
      return lserule(b, false, false);
    case 128:
      return lserule(b, false, true);
    default:
      return 0;  // not bounded
  }
}

}  // namespace mathnew
