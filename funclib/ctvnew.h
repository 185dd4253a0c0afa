// The evaluation record of the function library and its constants.
//
// Every call into the function library goes through one record: the caller sets `level`
// and `nargs`, the library writes `f`, `g` and `h` and, on an error, `msg`, `ec` and `rc`.
//
// Usage:
//   ctvnew::tmathnewrec rec;
//   ctvnew::mathnewrecinit(rec);            // default callback, step 1e-5
//   rec.level = 1; rec.nargs = 1;
//   int answer = mathnew::funceval(rec, 13, args);   // sqrt: rec.f, rec.g[0]
//
// Argument i (counted from 1) is args[i - 1]; its gradient entry is g[i - 1] and the
// Hessian entry of arguments i and j is h[i - 1][j - 1] (rows of 20 whatever nargs is).
#pragma once

#include <cstdint>

#include "frame/q5rt.h"

namespace ctvnew {

inline constexpr int maxargs = 20;  // at most 20 arguments reach a record

// Return codes of an error report.
inline constexpr int rc_ok = 0;
inline constexpr int rc_func = 1;    // error in the value
inline constexpr int rc_grad = 2;    // error in the gradient
inline constexpr int rc_hess = 3;    // error in the Hessian
inline constexpr int rc_system = 4;  // error in the request itself, or a forced error

// Exception codes of an error report.
inline constexpr int ec_error = 0;
inline constexpr int ec_domain = 1;
inline constexpr int ec_singular = 2;
inline constexpr int ec_overflow = 3;
inline constexpr int ec_sigloss = 4;

// Texts of the return and exception codes, indexed by code.
extern const q5rt::shortstring<7> returnstr[5];
extern const q5rt::shortstring<15> exceptstr[5];

// Names of the actions of extended information; kept for completeness, read by nobody.
extern const q5rt::shortstring<15> muactionid[10];

// Bounds and guards of the evaluators (none of them is a record's `inf`).
inline constexpr double math_huge = 1e299;
inline constexpr double sqrt_math_huge = 3.16227766016838e+149;
inline constexpr double cuberoot_math_huge = 4.64158883361278e+99;
inline constexpr double fourthroot_math_huge = 5.62341325190349e+74;
inline constexpr double oo_math_huge = 1e-299;
inline constexpr double oosqrt_math_huge = 3.16227766016838e-150;
inline constexpr double oocuberoot_math_huge = 2.15443469003188e-100;
inline constexpr double oofourthroot_math_huge = 1.77827941003892e-75;
inline constexpr double ooroot23_math_huge = 4.64158883361278e-200;
inline constexpr double invgamma_math_huge = 167.470551849188;
inline constexpr double ln_math_huge = 688.47294280522;

// The error-log callback: called for every error report with the codes, the full text and
// the record's user memory; its answer becomes the evaluation's answer (0: success).
using tlogerror = int (*)(int rc, int ec, const q5rt::sstr& msg, void* usermem);

struct tmathnewrec {
  double f;                      // function value
  double g[maxargs];             // g[i-1]: first derivative in argument i
  double h[maxargs][maxargs];    // h[i-1][j-1]: second derivative in arguments i and j
  q5rt::sstr msg;                // text of the last error report
  std::uint8_t ec;               // exception code of the last error report
  std::uint8_t rc;               // return code of the last report, as the callback answered
  std::uint8_t fnr;              // number of the function under evaluation
  std::int32_t level;            // 0 value, 1 and gradient, 2 and Hessian
  std::int32_t nargs;            // number of arguments passed
  double inf;                    // this record's infinity
  double sqrtinf;                // its square root
  tlogerror logerror;            // called for every error report
  void* usermem;                 // handed unchanged to logerror
  std::int32_t forceerrorcount;  // calls of ForceError since its last forced error
  std::uint8_t scalestep;        // finite differences: scale the step by |x| when |x| > 1
  std::uint8_t keepgrad;         // finite differences: keep an analytic gradient
  double step;                   // finite-difference step
  std::int32_t numderiv;         // derivative levels, from the top, made by differences
};

// Initialises a record in place (f, g and h are not touched): codes 0, empty message,
// inf 1e299, sqrtinf 1e149, the default callback, step 1e-5, both flags on.
void mathnewrecinit(tmathnewrec& rec);

// Allocates a zero-filled record with the callback (nil: the default) and user memory;
// the finite-difference settings stay zero. Free it with mathnewrecdestroy.
void mathnewreccreate(tmathnewrec*& rec, tlogerror callback, void* usermem);
void mathnewrecdestroy(tmathnewrec*& rec);

[[nodiscard]] double funcgetinf(const tmathnewrec& rec);
void funcsetinf(tmathnewrec& rec, double x);  // inf := x, sqrtinf := sqrt(x)

// The default callback: 0 for an OVERFLOW report, else the return code. Writes nothing.
int logerrory(int rc, int ec, const q5rt::sstr& msg, void* usermem);

}  // namespace ctvnew
