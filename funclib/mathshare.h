// Data shared by the function library: the table of factorials.
//
// Usage:
//   double f = mathshare::fcon[5];   // 120
#pragma once

namespace mathshare {

inline constexpr int fcon_max = 170;  // fcon holds 0! to 170!

// n! for n = 0 to 170, correctly rounded to doubles.
extern const double fcon[fcon_max + 1];

// The largest argument of Fact that the table serves: n! reaches 1e299 there.
inline constexpr double fact_max = 166.470551849188;

}  // namespace mathshare
