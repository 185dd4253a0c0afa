// The digits behind the fixed-column MPS number field, apart so that the tests can hold
// them against the C++ library's.
#pragma once

namespace gcutil::detail {

// The 15 significant digits of a value (trailing zeros kept) and the power of ten of the
// first.
struct digits15 {
  char d[15];
  int e;
};

// The digits of a finite a > 0, correctly rounded (ties to even).
[[nodiscard]] digits15 sigdigits(double a);

}  // namespace gcutil::detail
