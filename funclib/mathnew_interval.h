// Interval evaluation of the intrinsic functions: bounds of the value and of every first
// partial derivative over a box of arguments.
//
// Usage:
//   ctvnew::tmathnewrec rec;  ctvnew::mathnewrecinit(rec);
//   rec.nargs = 1;
//   std::int32_t fnr = 10;                                      // exp
//   double lo[1] = {-1000}, hi[1] = {1}, flo, fhi, glo[2], ghi[2];
//   int rc = mathnew::funcinterval(rec, fnr, lo, hi, flo, fhi, glo, ghi);  // [0, e]
//
// The bounds are enclosures; what a rule does not bound stays at -rec.inf / +rec.inf.
#pragma once

#include <cstdint>

#include "funclib/ctvnew.h"

namespace mathnew {

// lo and hi hold rec.nargs argument bounds; glo and ghi receive max(rec.nargs, 2) entries.
// Answers 0, the answer of an error report, or 4 for a case the rules do not handle.
int funcinterval(ctvnew::tmathnewrec& rec, std::int32_t& fnr, const double* lo, const double* hi,
                 double& flo, double& fhi, double* glo, double* ghi);

namespace detail {

// The helpers, exposed for their tests. Bounds beyond +-rec.inf count as infinite.
int intcosine(double lo, double hi, double& flo, double& fhi, double& glo, double& ghi,
              ctvnew::tmathnewrec& rec);
void intmult(double a, double b, double c, double d, double& lo, double& hi,
             const ctvnew::tmathnewrec& rec);
int intdiv(double a, double b, double c, double d, double& lo, double& hi,
           ctvnew::tmathnewrec& rec);
int intlog(double k, double lo, double hi, double& flo, double& fhi, double& glo, double& ghi,
           ctvnew::tmathnewrec& rec);

}  // namespace detail

}  // namespace mathnew
