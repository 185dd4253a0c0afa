// Classification of the special values.
#include "instance/zlmspecs.h"

#include <cmath>

namespace zlmspecs {

namespace {

// The nearest whole multiple k of base when x / base lies within 1e-5 of it, else 0.
double nearmultiple(double x, double base) {
  const double q = x / base;
  const double k = std::round(q);
  return std::fabs(k - q) > 1e-5 ? 0.0 : k;
}

// The special class 1..6 of a value at or above valund: the multiple of valund it is
// nearest to; a value not within 1e-5 of a multiple (and NaN) counts as undefined.
int special_class(double x) {
  if (std::isnan(x)) return 1;
  if (x >= valacr) return 6;
  const double k = nearmultiple(x, valund);
  if (k == 0.0) return 1;
  return k <= 5.0 ? static_cast<int>(k) : 6;
}

}  // namespace

int mapval(double x) {
  if (x < valund) return 0;
  return special_class(x);
}

int xmapval(double x) {
  if (x < valund) return x < 0.0 ? 0 : (x == 0.0 ? 1 : 2);
  return special_class(x) + 2;
}

double old_new_val(double x) {
  if (x < old_valund) return x;
  if (x >= old_valacr) return std::round(x / old_valacr) * valacr;
  const double k = nearmultiple(x, old_valund);
  if (k == 2.0) return valna;
  if (k == 3.0) return valpin;
  if (k == 4.0) return valmin;
  if (k == 5.0) return valeps;
  return valund;
}

}  // namespace zlmspecs
