// The default answer's search (see baronanswer.h).
#include "standins/baron/baronanswer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace baronanswer {

namespace {

using baronparse::model;
using baronparse::vartype;

// splitmix64: the same sequence on every platform and library.
class sequence {
 public:
  double uniform() {  // in [0, 1)
    state_ += 0x9e3779b97f4a7c15ULL;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
  }

 private:
  std::uint64_t state_ = 20261210;
};

bool whole(const baronparse::variable& v) { return v.type != vartype::continuous; }

// The sampling box of a variable: its bounds, -10 or 10 where a bound is infinite.
void box(const baronparse::variable& v, double& lo, double& up) {
  lo = std::isfinite(v.lower) ? v.lower : std::min(-10.0, v.upper);
  up = std::isfinite(v.upper) ? v.upper : std::max(10.0, lo);
}

double sample(const baronparse::variable& v, sequence& s) {
  double lo = 0, up = 0;
  box(v, lo, up);
  double x = lo + (up - lo) * s.uniform();
  if (whole(v)) {
    x = std::round(x);
    if (x < lo) x = std::ceil(lo);
    if (x > up) x = std::floor(up);
  }
  return x;
}

bool better(const model& m, double f, double best) { return m.obj.maximize ? f > best : f < best; }

}  // namespace

bool feasible(const model& m, const std::vector<double>& point) {
  for (std::size_t j = 0; j < m.variables.size(); ++j) {
    const baronparse::variable& v = m.variables[j];
    const double x = point[j];
    if (!std::isfinite(x) || x < v.lower - tolerance || x > v.upper + tolerance) return false;
    if (whole(v) && std::fabs(x - std::round(x)) > tolerance) return false;
  }
  for (const baronparse::equation& q : m.equations) {
    const double d = baronparse::evaluate(q.lhs, point) - baronparse::evaluate(q.rhs, point);
    if (std::isnan(d)) return false;
    switch (q.rel) {
      case baronparse::relation::eq:
        if (!(std::fabs(d) <= tolerance)) return false;
        break;
      case baronparse::relation::ge:
        if (!(d >= -tolerance)) return false;
        break;
      case baronparse::relation::le:
        if (!(d <= tolerance)) return false;
        break;
    }
  }
  return true;
}

answer search(const model& m) {
  answer a;
  std::vector<double> x(m.variables.size());
  for (std::size_t j = 0; j < x.size(); ++j) {
    const baronparse::variable& v = m.variables[j];
    x[j] = std::clamp(v.hasstart ? v.start : 0.0, v.lower, std::max(v.lower, v.upper));
  }
  a.point = x;
  a.objective = baronparse::evaluate(m.obj.expr, x);
  sequence s;
  for (int k = 0; k <= samples; ++k) {
    if (k > 0)
      for (std::size_t j = 0; j < x.size(); ++j) x[j] = sample(m.variables[j], s);
    if (k > 0 && x.empty()) break;  // nothing to sample
    ++a.candidates;
    if (!feasible(m, x)) continue;
    const double f = baronparse::evaluate(m.obj.expr, x);
    if (std::isnan(f)) continue;
    if (a.best < 0 || better(m, f, a.objective)) {
      a.feasible = true;
      a.best = k;
      a.point = x;
      a.objective = f;
    }
  }
  return a;
}

}  // namespace baronanswer
