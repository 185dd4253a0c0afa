// The one door to a function of the modelling language by its number: name, properties,
// value with gradient and Hessian, value ranges. Numbers 0..129 are the intrinsic
// functions; larger numbers are extrinsic functions of loaded libraries. Derivatives that
// the record asks to be made numerically, or that a function cannot deliver, come from
// central differences.
//
// Usage:
//   ctvnew::tmathnewrec rec;  ctvnew::mathnewrecinit(rec);
//   rec.level = 1; rec.nargs = 2;
//   double args[2] = {2.0, 3.0};
//   int rc = genextfunc::genericfunceval(rec, 64, args);   // rPower: rec.f, rec.g[0..1]
//   q5rt::sstr name = genextfunc::genericfuncname(64);     // "rPower"
//
// Positions of arguments are counted from 1; the argument arrays hold argument i at
// index i - 1, as the record's g and h do.
#pragma once

#include <cstdint>
#include <string_view>

#include "frame/q5rt.h"
#include "funclib/ctvnew.h"
#include "funclib/libfuncs.h"
#include "funclib/mathnew.h"

namespace genextfunc {

// Numbers above this are extrinsic.
inline constexpr std::int32_t lastintrinsic = mathnew::funccount - 1;

// ---- names and properties ----
[[nodiscard]] q5rt::sstr genericfuncname(std::int32_t fnr);
// 0 for a constant argument, otherwise a variable argument; 0 outside the positions.
[[nodiscard]] std::int32_t genericfuncargtype(std::int32_t fnr, std::int32_t position);
// "x" for a variable argument, "X" for a constant one (intrinsic functions).
[[nodiscard]] q5rt::sstr genericfuncargname(std::int32_t fnr, std::int32_t position);
[[nodiscard]] bool genericfuncequnever(std::int32_t fnr);
[[nodiscard]] std::int32_t genericfuncsmooth(std::int32_t fnr);
[[nodiscard]] bool genericfunczeroripple(std::int32_t fnr);
[[nodiscard]] q5rt::sstr genericfuncts(std::int32_t fnr);
void genericfuncinfo(std::int32_t fnr, q5rt::sstr& name, std::int32_t& minargs,
                     std::int32_t& maxargs, std::int32_t& smooth, std::int32_t& varargs,
                     bool& equnever, std::int32_t& maxderiv);

// ---- classification for the instruction-code analyses ----
// degrees[0..n-1]; extrinsic functions: false, answer 0.
int genericisquad(std::int32_t fnr, double value, std::int32_t n, const double* degrees,
                  bool& isquad);
int genericislogic(std::int32_t fnr, bool& islogic);

// ---- evaluation ----
// Evaluates function fnr at args[0 .. rec.nargs-1] to rec.level, with the derivative
// levels that rec.numderiv asks (or the function cannot deliver) made by differences.
// args is changed during the call and put back. The answer is that of the first
// evaluation (0: success). A count outside 0..20 is refused before anything is evaluated.
int genericfunceval(ctvnew::tmathnewrec& rec, std::int32_t fnr, double* args);
// Central difference of the value in argument i (1-based); zlmspecs::valund when it cannot
// be formed. The step is the record's (a record without one, 0, takes 1e-5), times |x|
// beyond 1 when the record scales it.
[[nodiscard]] double genericgradnumeric(ctvnew::tmathnewrec& rec, std::int32_t fnr, double* args,
                                        std::int32_t i);
// Gradient entry i at the record's level: analytic at level 1, else by differences.
[[nodiscard]] double gradeval(ctvnew::tmathnewrec& rec, std::int32_t fnr, double* args,
                              std::int32_t i);
// Derivative in argument j of gradient entry i; zlmspecs::valund when it cannot be formed.
[[nodiscard]] double generichessnumeric(ctvnew::tmathnewrec& rec, std::int32_t fnr, double* args,
                                        std::int32_t i, std::int32_t j);

// Value and first-derivative ranges over the box [lo, hi] (arrays of nargs; glo and ghi
// hold at least max(nargs, 2) entries). Extrinsic functions: everything unbounded.
int genericfuncinterval(ctvnew::tmathnewrec& rec, std::int32_t nargs, std::int32_t& fnr,
                        const double* lo, const double* hi, double& flo, double& fhi, double* glo,
                        double* ghi);

// Installs the record's error-log callback (nil: the default).
void genericlinklogerror(ctvnew::tmathnewrec& rec, ctvnew::tlogerror callback);

// ---- the extrinsic-function description file ----
// Replaces the library manager by one read from the file and registers its libraries,
// handing each LibInit the initialisation text; registration warnings and errors go to the
// callback. A missing file is no error (no extrinsic functions). A file that cannot be
// read or is not a valid description gives false, the line "*** Could not read External
// Function File '<file>': <reason>" on standard output and the same text without "*** " in
// msg. Dumps read with a release above 240 carry the library and function flags.
[[nodiscard]] bool readextfunc(std::int32_t release, std::string_view inittext,
                               std::string_view file, libfuncs::tmsgcb callback, q5rt::sstr& msg);
// Writes the manager's description (an empty one without a manager): 0, or 1 after the
// line "*** Could not Create External Function File '<file>' Error = <code>".
[[nodiscard]] std::int32_t dumpextfunc(std::string_view file);
// Frees the manager; extrinsic numbers then name nothing.
void freeextfuncs();

}  // namespace genextfunc
