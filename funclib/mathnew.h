// The intrinsic functions of the modelling language: the function table (numbers 0 to 129),
// the classification routines, the error report and the checked evaluation of one function.
//
// Usage:
//   ctvnew::tmathnewrec rec;  ctvnew::mathnewrecinit(rec);
//   rec.level = 2; rec.nargs = 2;
//   const double args[2] = {2.0, 3.0};
//   int answer = mathnew::funceval(rec, 64, args);   // rPower: rec.f, rec.g[0..1], rec.h
//   q5rt::sstr name = mathnew::funcname(64);          // "rPower"
//
// Arguments are counted from 1 in the texts; argument i is args[i - 1], its gradient entry
// rec.g[i - 1] (see ctvnew.h).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "frame/q5rt.h"
#include "funclib/ctvnew.h"

namespace mathnew {

inline constexpr int funccount = 130;             // intrinsic function numbers 0 to 129
inline constexpr int unknownfnr = funccount - 1;  // the last row, named " unknown*"

// Numbers of the functions that the model translations treat by name.
namespace fn {
inline constexpr std::int32_t mod = 4;
inline constexpr std::int32_t min = 7;
inline constexpr std::int32_t max = 8;
inline constexpr std::int32_t sqr = 9;
inline constexpr std::int32_t exp = 10;
inline constexpr std::int32_t log = 11;
inline constexpr std::int32_t log10 = 12;
inline constexpr std::int32_t sqrt = 13;
inline constexpr std::int32_t abs = 14;
inline constexpr std::int32_t power = 21;
inline constexpr std::int32_t rpower = 64;
inline constexpr std::int32_t cvpower = 74;
inline constexpr std::int32_t vcpower = 75;
}  // namespace fn

// One row of the intrinsic function table.
struct tlibzolminfo {
  q5rt::shortstring<63> name;
  std::uint8_t minargs;
  std::uint8_t maxargs;                   // 0: no upper bound
  std::uint8_t smooth;                    // 1: derivatives are meaningful
  std::uint8_t equnever;                  // 1: may never appear in an equation
  std::uint8_t zeroripple;                // 1: value zero at a zero argument
  std::uint8_t argtype[ctvnew::maxargs];  // argtype[i-1] = 1: argument i may be a variable
  q5rt::shortstring<95> ts;               // explanatory text
  q5rt::shortstring<95> tf;               // formula text
};

extern const tlibzolminfo libzolminfo[funccount];

// ---- table accessors (fnr 0..129; a larger number answers as row 129) ----
[[nodiscard]] q5rt::sstr funcname(std::uint8_t fnr, std::size_t maxlen = 255);
[[nodiscard]] int funcminargs(std::uint8_t fnr);
[[nodiscard]] int funcmaxargs(std::uint8_t fnr);
[[nodiscard]] int funcsmooth(std::uint8_t fnr);
[[nodiscard]] bool funcequnever(std::uint8_t fnr);
[[nodiscard]] bool funczeroripple(std::uint8_t fnr);
[[nodiscard]] int funcargtype(std::uint8_t fnr, int i);  // i in 1..20, else 0
[[nodiscard]] q5rt::sstr functs(std::uint8_t fnr, std::size_t maxlen = 255);
[[nodiscard]] q5rt::sstr functf(std::uint8_t fnr, std::size_t maxlen = 255);
// varargs: the sum of argtype[1..maxargs], 0 when maxargs is 0.
void funcinfo(std::uint8_t fnr, q5rt::sstr& name, int& minargs, int& maxargs, int& smooth,
              int& varargs, bool& equnever);

// ---- classification for the instruction-code analyses ----
// flag := fnr is one of the logical functions 51..56; answers 0.
int islogic(std::uint8_t fnr, bool& flag);
// flag := a call of fnr with n arguments of the given polynomial degrees (degrees[0..n-1])
// and the constant argument value is at most quadratic; answers 0, or 4 for Poly with a
// count outside 1..6.
int isquad(std::uint8_t fnr, double value, int n, const double* degrees, bool& flag);

// ---- error report ----
// Composes "<name>: <rc text> <ec text>: <message>" into rec.msg, calls rec.logerror,
// stores ec and the answer's low byte into rec.ec / rec.rc and returns the answer.
int logerr(ctvnew::tmathnewrec& rec, int rc, int ec, std::string_view message);
// rec.logerror := callback, or logerrorx when it is nil; usermem is not changed.
void linklogerror(ctvnew::tmathnewrec& rec, ctvnew::tlogerror callback);
// The second default callback; the same effect as ctvnew::logerrory.
int logerrorx(int rc, int ec, const q5rt::sstr& msg, void* usermem);

// ---- evaluation ----
// Evaluates intrinsic function fnr at args[0 .. rec.nargs-1] to rec.level: rec.f and, as
// the level asks, rec.g and rec.h. Answers 0 on success, else the callback's answer to the
// error reported. A count outside 0..20 is refused with a SYSTEM report.
int funceval(ctvnew::tmathnewrec& rec, std::uint8_t fnr, const double* args);

namespace detail {

// The evaluator of one function: x holds the rec.nargs arguments and, where the call is
// shorter than the places the evaluator reads whatever the count (its entry in the
// dispatch table), 0 in the places left out. The frame has stored fnr and reset f, ec, rc
// and the first derivatives. Answers as funceval does.
using evaluator = int (*)(ctvnew::tmathnewrec& r, const double* x);

// Rounding to the nearest integer, halves away from zero, kept as a double (safe outside
// the integer range); truncation towards zero.
[[nodiscard]] inline double nearest(double x) { return std::round(x); }
[[nodiscard]] inline double intpart(double x) { return std::trunc(x); }

// Evaluators of the frame's system functions (mathnew.cpp).
int eval_notimplemented(ctvnew::tmathnewrec& r, const double* x);  // execution-time functions
int eval_pi(ctvnew::tmathnewrec& r, const double* x);              // 45
int eval_mathoval(ctvnew::tmathnewrec& r, const double* x);        // 91
int eval_forceerror(ctvnew::tmathnewrec& r, const double* x);      // 114
int eval_unknown(ctvnew::tmathnewrec& r, const double* x);         // 129

// Elementary and power functions (mathnew_elem.cpp).
int eval_sqr(ctvnew::tmathnewrec& r, const double* x);        // 9
int eval_exp(ctvnew::tmathnewrec& r, const double* x);        // 10
int eval_log(ctvnew::tmathnewrec& r, const double* x);        // 11 log, 12 log10, 50 log2
int eval_sqrt(ctvnew::tmathnewrec& r, const double* x);       // 13
int eval_errorf(ctvnew::tmathnewrec& r, const double* x);     // 18
int eval_power(ctvnew::tmathnewrec& r, const double* x);      // 21
int eval_entropy(ctvnew::tmathnewrec& r, const double* x);    // 48
int eval_sigmoid(ctvnew::tmathnewrec& r, const double* x);    // 49
int eval_rpower(ctvnew::tmathnewrec& r, const double* x);     // 64
int eval_edist(ctvnew::tmathnewrec& r, const double* x);      // 65
int eval_div(ctvnew::tmathnewrec& r, const double* x);        // 66 div, 67 div0
int eval_cvpower(ctvnew::tmathnewrec& r, const double* x);    // 74
int eval_vcpower(ctvnew::tmathnewrec& r, const double* x);    // 75
int eval_centropy(ctvnew::tmathnewrec& r, const double* x);   // 76
int eval_signpower(ctvnew::tmathnewrec& r, const double* x);  // 92
int eval_poly(ctvnew::tmathnewrec& r, const double* x);       // 108
int eval_logit(ctvnew::tmathnewrec& r, const double* x);      // 124

// Trigonometric and hyperbolic functions (mathnew_trig.cpp).
int eval_sincos(ctvnew::tmathnewrec& r, const double* x);    // 15 cos, 16 sin
int eval_arctan(ctvnew::tmathnewrec& r, const double* x);    // 17
int eval_sinhcosh(ctvnew::tmathnewrec& r, const double* x);  // 86 sinh, 87 cosh
int eval_tanh(ctvnew::tmathnewrec& r, const double* x);      // 88
int eval_tan(ctvnew::tmathnewrec& r, const double* x);       // 100
int eval_arccos(ctvnew::tmathnewrec& r, const double* x);    // 101
int eval_arcsin(ctvnew::tmathnewrec& r, const double* x);    // 102
int eval_arctan2(ctvnew::tmathnewrec& r, const double* x);   // 103

// Non-smooth, logical and comparison functions (mathnew_nonsmooth.cpp).
int eval_rounding(ctvnew::tmathnewrec& r, const double* x);  // 1 ceil, 2 floor, 5 trunc, 6 sign
int eval_round(ctvnew::tmathnewrec& r, const double* x);     // 3
int eval_mod(ctvnew::tmathnewrec& r, const double* x);       // 4
int eval_minmax(ctvnew::tmathnewrec& r, const double* x);    // 7 min, 8 max
int eval_abs(ctvnew::tmathnewrec& r, const double* x);       // 14
int eval_frac(ctvnew::tmathnewrec& r, const double* x);      // 40
int eval_logic(ctvnew::tmathnewrec& r, const double* x);     // 51..56
int eval_relation(ctvnew::tmathnewrec& r, const double* x);  // 57..62
int eval_ifthen(ctvnew::tmathnewrec& r, const double* x);    // 63

// Smoothed, complementarity and log-sum-exp functions (mathnew_smooth.cpp).
int eval_ncpf(ctvnew::tmathnewrec& r, const double* x);       // 46
int eval_ncpcm(ctvnew::tmathnewrec& r, const double* x);      // 47
int eval_extension(ctvnew::tmathnewrec& r, const double* x);  // 68..73 sllog10 .. sqrec
int eval_ncpvu(ctvnew::tmathnewrec& r, const double* x);      // 94 NcpVUsin, 95 NcpVUpow
int eval_lse(ctvnew::tmathnewrec& r, const double* x);        // 125..128 LSEMax .. LSEMinSc

// Special functions (mathnew_kernels.cpp).
int eval_fact(ctvnew::tmathnewrec& r, const double* x);      // 43
int eval_gamma(ctvnew::tmathnewrec& r, const double* x);     // 80
int eval_loggamma(ctvnew::tmathnewrec& r, const double* x);  // 81
int eval_beta(ctvnew::tmathnewrec& r, const double* x);      // 82
int eval_logbeta(ctvnew::tmathnewrec& r, const double* x);   // 83
int eval_gammareg(ctvnew::tmathnewrec& r, const double* x);  // 84
int eval_betareg(ctvnew::tmathnewrec& r, const double* x);   // 85
int eval_binomial(ctvnew::tmathnewrec& r, const double* x);  // 96

// Calendar functions (mathnew_calendar.cpp).
int eval_jdate(ctvnew::tmathnewrec& r, const double* x);      // 22
int eval_jtime(ctvnew::tmathnewrec& r, const double* x);      // 23
int eval_gyear(ctvnew::tmathnewrec& r, const double* x);      // 27
int eval_gmonth(ctvnew::tmathnewrec& r, const double* x);     // 28
int eval_gday(ctvnew::tmathnewrec& r, const double* x);       // 29
int eval_gdow(ctvnew::tmathnewrec& r, const double* x);       // 30
int eval_gleap(ctvnew::tmathnewrec& r, const double* x);      // 31
int eval_ghour(ctvnew::tmathnewrec& r, const double* x);      // 32
int eval_gminute(ctvnew::tmathnewrec& r, const double* x);    // 33
int eval_gsecond(ctvnew::tmathnewrec& r, const double* x);    // 34
int eval_gmillisec(ctvnew::tmathnewrec& r, const double* x);  // 77

// Random functions (mathnew_random.cpp).
int eval_uniform(ctvnew::tmathnewrec& r, const double* x);       // 19
int eval_normal(ctvnew::tmathnewrec& r, const double* x);        // 20
int eval_uniformint(ctvnew::tmathnewrec& r, const double* x);    // 44
int eval_randlinear(ctvnew::tmathnewrec& r, const double* x);    // 112
int eval_randtriangle(ctvnew::tmathnewrec& r, const double* x);  // 113
int eval_randbinomial(ctvnew::tmathnewrec& r, const double* x);  // 116

}  // namespace detail

// Kernels of mathnew_kernels.cpp that the elementary functions use:
// the standard normal distribution function (errorf) and x**c with a constant exponent,
// which writes rec.f, rec.g[0], rec.h[0][0] (vcPower, SignPower).
[[nodiscard]] double codyerrf(double x);
int vcpower(ctvnew::tmathnewrec& rec, double x, double c);

}  // namespace mathnew
