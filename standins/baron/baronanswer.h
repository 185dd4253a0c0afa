// The stand-in BARON's default answer: no solver, a small deterministic search. The
// candidates are the starting point (0 where none is given) clipped to the bounds, then a
// seeded sample within the bounds (a box of -10 to 10 where a bound is infinite; integer
// and binary values rounded). The best candidate that is feasible within 1e-6 wins.
#pragma once

#include <vector>

#include "standins/baron/baronparse.h"

namespace baronanswer {

constexpr int samples = 1000;
constexpr double tolerance = 1e-6;

struct answer {
  bool feasible = false;
  std::vector<double> point;  // the best feasible candidate, else the starting point
  double objective = 0;       // at point
  int candidates = 0;         // evaluated
  int best = -1;              // 0 the starting point, k the k-th sample; -1 none feasible
};

// True when the point lies within the bounds, its integer and binary values are whole
// numbers and every equation holds, each within the tolerance.
[[nodiscard]] bool feasible(const baronparse::model& m, const std::vector<double>& point);

[[nodiscard]] answer search(const baronparse::model& m);

}  // namespace baronanswer
