// Random functions of the function library: uniform, normal, UniformInt, RandLinear,
// RandTriangle and RandBinomial, all drawing from the one generator of the rand unit.
#include <algorithm>
#include <cmath>

#include "funclib/mathnew.h"
#include "funclib/mathnew_kernels.h"
#include "funclib/rand.h"

namespace mathnew::detail {

namespace {

constexpr int func = ctvnew::rc_func;
constexpr int domain = ctvnew::ec_domain;

}  // namespace

// Numbers are drawn in the order the checks below show.

int eval_uniform(ctvnew::tmathnewrec& r, const double* x) {
  const double lo = x[0], hi = x[1];
  if (hi < lo) return logerr(r, func, domain, "lo > hi");
  r.f = lo + randunit::randuniform() * (hi - lo);
  return 0;
}

int eval_normal(ctvnew::tmathnewrec& r, const double* x) {
  if (x[1] < 0) return logerr(r, func, domain, "std dev negative");
  r.f = x[0] + x[1] * randunit::randnormal();
  return 0;
}

int eval_uniformint(ctvnew::tmathnewrec& r, const double* x) {
  const double lo = x[0], hi = x[1];
  if (hi < lo) return logerr(r, func, domain, "lo > hi");
  if (std::fabs(nearest(hi) - hi) > 1e-5) return logerr(r, func, domain, "hi not integer");
  if (std::fabs(nearest(lo) - lo) > 1e-5) return logerr(r, func, domain, "lo not integer");
  if (nearest(lo) == nearest(hi)) {
    r.f = nearest(lo);
    return 0;
  }
  // Halves round away from zero, so a draw of exactly 0 with a negative lo would give lo - 1.
  r.f = std::max(nearest(randunit::randuniform() * (hi - lo + 1) + lo - 0.5), nearest(lo));
  return 0;
}

// A density c + slope t on t in [0, w], w = high - low, with c = 1/w - slope w/2 so that it
// integrates to 1; it is a density (nowhere negative) for |slope| <= 2/w^2. The draw inverts
// the distribution function c t + slope t^2/2 = u in the form 2u / (c + sqrt(c^2 + 2 slope u)),
// which equals (sqrt(c^2 + 2 slope u) - c) / slope without its cancellation.
int eval_randlinear(ctvnew::tmathnewrec& r, const double* x) {
  const double u = randunit::randuniform();
  const double low = x[0], slope = x[1], high = x[2];
  if (high < low) return logerr(r, func, domain, "low > high");
  const double w = high - low;
  if (w < 1e-6) {
    r.f = low;
  } else if (std::fabs(slope) < 1e-6) {
    r.f = low + w * u;
  } else if (std::fabs(slope) > 2 / w) {
    return logerr(r, func, domain, "abs(slope) > 2/(high-low)");
  } else if (std::fabs(slope) > 2 / (w * w)) {
    return logerr(r, func, domain, "abs(slope) > 2/(high-low)^2");
  } else {
    const double c = std::max(1 / w - slope * w / 2, 0.0);
    const double root = std::sqrt(std::max(c * c + 2 * slope * u, 0.0));
    r.f = u == 0 ? low : std::min(low + 2 * u / (c + root), high);
  }
  return 0;
}

int eval_randtriangle(ctvnew::tmathnewrec& r, const double* x) {
  const double u = randunit::randuniform();
  const double low = x[0], median = x[1], high = x[2];
  if (high < low) return logerr(r, func, domain, "low > high");
  if (median < low) return logerr(r, func, domain, "median < low");
  if (high < median) return logerr(r, func, domain, "median > high");
  const double w = high - low;
  if (w < 1e-6) {
    r.f = low;
  } else if (u <= (median - low) / w) {
    r.f = low + std::sqrt(w * u * (median - low));
  } else {
    r.f = high - std::sqrt((1 - u) * w * (high - median));
  }
  return 0;
}

int eval_randbinomial(ctvnew::tmathnewrec& r, const double* x) {
  const double n = x[0], p = x[1];
  if (!(p >= 0 && p <= 1)) return logerr(r, func, domain, "not 0 < p < 1");
  if (n >= 2147483647) return logerr(r, func, domain, "n is too large");
  if (!(n >= 1)) return logerr(r, func, domain, "n < 1");
  if (std::fabs(intpart(n) - n) >= 1e-4) return logerr(r, func, domain, "n not integer");
  const double bign = intpart(n);
  if (p == 0) {
    r.f = 0;
    return 0;
  }
  if (p == 1) {
    r.f = bign;
    return 0;
  }
  // Inversion, searching from the mode: first every value below it, downwards, then
  // every value above it, upwards.
  const double k0 = intpart(p * (bign + 1));
  const double p0 = std::exp(lngamma(bign + 1) - lngamma(k0 + 1) - lngamma(bign - k0 + 1) +
                             k0 * std::log(p) + (bign - k0) * std::log1p(-p));
  double rest = randunit::randuniform() - p0;
  if (rest < 0) {
    r.f = k0;
    return 0;
  }
  const double rho = p / (1 - p);
  double kd = k0, pd = p0, ku = k0, pu = p0;
  bool lowerdone = false;  // below the mode: all tried, or the probabilities underflowed
  for (double step = 0; step <= bign; ++step) {
    if (!lowerdone) {
      kd -= 1;
      if (kd >= 0) {
        pd = pd * (kd + 1) / ((bign - kd) * rho);
        rest -= pd;
        if (rest < 0) {
          r.f = kd;
          return 0;
        }
      }
      lowerdone = kd < 0 || pd == 0;
      if (kd >= 0) continue;
    }
    ku += 1;
    if (ku > bign) break;
    pu = pu * (bign - ku + 1) * rho / ku;
    rest -= pu;
    if (rest < 0) {
      r.f = ku;
      return 0;
    }
    if (pu == 0) break;  // the rest of the upper side adds nothing
  }
  r.f = 525;
  return logerr(r, func, domain, "did not converge");
}

}  // namespace mathnew::detail
