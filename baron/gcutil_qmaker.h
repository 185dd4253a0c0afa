// The quadratic-form check of quadratic models (unit gcutil): every nonlinear row's code
// is run on a stack of polynomials of degree at most two; rows that leave that form are
// reported. Writes a listing and, when the data-exchange library is there, a data file
// of the constants, linear vectors and Q matrices.
//
// Usage:
//   if (gcutil::gcqmaker(gcutil::scratchname("zolmq"), true) != 0) stop();
#pragma once

#include <cstdint>
#include <string_view>

namespace gcutil {

// The number of rows that are not quadratic (at most 20), or -1 when the listing cannot be
// opened. In scratch mode the files get scratch names; else the name's extension is
// replaced by ".zlm" (listing) and ".vrk" (data file).
std::int32_t gcqmaker(std::string_view filename, bool scratchmode);

}  // namespace gcutil
