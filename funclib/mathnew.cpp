// The checked frame of an intrinsic evaluation, the error report and the system functions.
#include "funclib/mathnew.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <limits>

#include "frame/strutilx_numbers.h"

namespace mathnew {

namespace {

// ---- the error report ----

template <std::size_t Cap, std::size_t N>
std::string_view codetext(const q5rt::shortstring<Cap> (&texts)[N], int code) {
  return code >= 0 && code < static_cast<int>(N) ? texts[code].view() : std::string_view{};
}

}  // namespace

int logerr(ctvnew::tmathnewrec& rec, int rc, int ec, std::string_view message) {
  rec.msg = q5rt::concat(funcname(rec.fnr), ": ", codetext(ctvnew::returnstr, rc), " ",
                         codetext(ctvnew::exceptstr, ec), ": ", message);
  const int answer = rec.logerror(rc, ec, rec.msg, rec.usermem);
  rec.ec = static_cast<std::uint8_t>(ec);
  rec.rc = static_cast<std::uint8_t>(answer);
  return answer;
}

void linklogerror(ctvnew::tmathnewrec& rec, ctvnew::tlogerror callback) {
  rec.logerror = callback != nullptr ? callback : &logerrorx;
}

int logerrorx(int rc, int ec, const q5rt::sstr& /*msg*/, void* /*usermem*/) {
  return ec == ctvnew::ec_overflow ? 0 : rc;
}

// ---- system functions ----

namespace detail {

int eval_notimplemented(ctvnew::tmathnewrec& r, const double* /*x*/) {
  return logerr(r, ctvnew::rc_system, ctvnew::ec_error, "function not implemented in mathnew");
}

int eval_pi(ctvnew::tmathnewrec& r, const double* /*x*/) {
  r.f = 3.141592653589793;
  return 0;
}

int eval_mathoval(ctvnew::tmathnewrec& r, const double* /*x*/) {
  r.f = ctvnew::math_huge;  // the constant, not the record's inf
  return 0;
}

int eval_unknown(ctvnew::tmathnewrec& /*r*/, const double* /*x*/) { return 0; }

// ForceError(x1, d, t, v, e, r): after t calls at a level that reaches d, put v in place of
// the result of level d and report with return code e and exception code r. Every call
// counts, also those that fail the checks or come at a lower level.
int eval_forceerror(ctvnew::tmathnewrec& r, const double* x) {
  const double d = x[1], t = x[2], v = x[3], e = x[4], ecode = x[5];
  if (r.forceerrorcount < std::numeric_limits<std::int32_t>::max()) ++r.forceerrorcount;
  r.f = x[0];
  if (r.level >= 1) {
    r.g[0] = 1;
    r.g[2] = 0;
    r.g[3] = 0;
  }
  if (r.level >= 2) {
    r.h[2][2] = r.h[2][3] = r.h[3][2] = r.h[3][3] = 0;
  }
  // The checks are written so that a NaN fails them too.
  if (!(d >= 0 && d <= 2)) return logerr(r, ctvnew::rc_func, ctvnew::ec_domain, "arg2 <> [0..2]");
  if (!(e >= 0 && e <= 4)) return logerr(r, ctvnew::rc_func, ctvnew::ec_domain, "arg5 <> [0..4]");
  if (!(ecode >= 0 && ecode <= 3))
    return logerr(r, ctvnew::rc_func, ctvnew::ec_domain, "arg6 <> [0..3]");
  const int k = static_cast<int>(nearest(d));
  if (r.level < k) return 0;
  if (r.forceerrorcount < nearest(t)) return 0;
  r.forceerrorcount = 0;
  switch (k) {
    case 0:
      r.f = v;
      break;
    case 1:
      r.g[0] = v;
      break;
    default:
      r.h[0][0] = v;
      break;
  }
  return logerr(r, static_cast<int>(nearest(e)), static_cast<int>(nearest(ecode)),
                "error triggered and count reset");
}

}  // namespace detail

// ---- dispatch ----

namespace {

using detail::evaluator;

// An evaluator and the argument places it may read whatever nargs is; beyond those it
// reads only places below nargs.
struct entry {
  evaluator eval;
  std::uint8_t places;
};

// The evaluator of every function number; numbers not set are execution-time functions
// (and the reserved 109 and 110), which this library does not evaluate.
constexpr std::array<entry, funccount> evaluators = [] {
  using namespace detail;
  std::array<entry, funccount> t{};
  t.fill({&eval_notimplemented, 0});
  // non-smooth, logical and comparison
  t[1] = t[2] = t[5] = t[6] = {&eval_rounding, 1};
  t[3] = {&eval_round, 1};
  t[4] = {&eval_mod, 2};
  t[7] = t[8] = {&eval_minmax, 2};
  t[14] = {&eval_abs, 1};
  t[40] = {&eval_frac, 1};
  for (int i = 51; i <= 56; ++i) t[i] = {&eval_logic, 2};  // bool_not reads 2 as well
  for (int i = 57; i <= 62; ++i) t[i] = {&eval_relation, 2};
  t[63] = {&eval_ifthen, 3};
  // elementary and power
  t[9] = {&eval_sqr, 1};
  t[10] = {&eval_exp, 1};
  t[11] = t[12] = t[50] = {&eval_log, 1};
  t[13] = {&eval_sqrt, 1};
  t[18] = {&eval_errorf, 1};
  t[21] = {&eval_power, 2};
  t[48] = {&eval_entropy, 1};
  t[49] = {&eval_sigmoid, 1};
  t[64] = {&eval_rpower, 2};
  t[65] = {&eval_edist, 0};
  t[66] = t[67] = {&eval_div, 2};
  t[74] = {&eval_cvpower, 2};
  t[75] = {&eval_vcpower, 2};
  t[76] = {&eval_centropy, 2};
  t[92] = {&eval_signpower, 2};
  t[108] = {&eval_poly, 1};
  t[124] = {&eval_logit, 1};
  // trigonometric and hyperbolic
  t[15] = t[16] = {&eval_sincos, 1};
  t[17] = {&eval_arctan, 1};
  t[86] = t[87] = {&eval_sinhcosh, 1};
  t[88] = {&eval_tanh, 1};
  t[100] = {&eval_tan, 1};
  t[101] = {&eval_arccos, 1};
  t[102] = {&eval_arcsin, 1};
  t[103] = {&eval_arctan2, 2};
  // smoothed, complementarity and log-sum-exp
  t[46] = {&eval_ncpf, 2};
  t[47] = {&eval_ncpcm, 3};
  for (int i = 68; i <= 73; ++i) t[i] = {&eval_extension, 1};
  t[94] = t[95] = {&eval_ncpvu, 2};
  for (int i = 125; i <= 128; ++i) t[i] = {&eval_lse, 1};
  // system
  t[45] = {&eval_pi, 0};
  t[91] = {&eval_mathoval, 0};
  t[114] = {&eval_forceerror, 6};
  t[unknownfnr] = {&eval_unknown, 0};
  // special, calendar and random
  t[19] = {&eval_uniform, 2};
  t[20] = {&eval_normal, 2};
  t[22] = {&eval_jdate, 3};
  t[23] = {&eval_jtime, 3};
  t[27] = {&eval_gyear, 1};
  t[28] = {&eval_gmonth, 1};
  t[29] = {&eval_gday, 1};
  t[30] = {&eval_gdow, 1};
  t[31] = {&eval_gleap, 1};
  t[32] = {&eval_ghour, 1};
  t[33] = {&eval_gminute, 1};
  t[34] = {&eval_gsecond, 1};
  t[43] = {&eval_fact, 1};
  t[44] = {&eval_uniformint, 2};
  t[77] = {&eval_gmillisec, 1};
  t[80] = {&eval_gamma, 1};
  t[81] = {&eval_loggamma, 1};
  t[82] = {&eval_beta, 2};
  t[83] = {&eval_logbeta, 2};
  t[84] = {&eval_gammareg, 2};
  t[85] = {&eval_betareg, 3};
  t[96] = {&eval_binomial, 2};
  t[112] = {&eval_randlinear, 3};
  t[113] = {&eval_randtriangle, 3};
  t[116] = {&eval_randbinomial, 2};
  return t;
}();

// The reports of a request the frame refuses.
int reportindex(ctvnew::tmathnewrec& rec, std::uint8_t fnr) {
  rec.fnr = unknownfnr;
  return logerr(rec, ctvnew::rc_system, ctvnew::ec_error,
                q5rt::concat("unknown function index (index=", strutilx::inttostrw(fnr, 0),
                             "): can/should not happen"));
}

int reportcount(ctvnew::tmathnewrec& rec) {
  return logerr(rec, ctvnew::rc_system, ctvnew::ec_error,
                q5rt::concat("number of arguments (nargs=", strutilx::inttostrw(rec.nargs, 0),
                             ") outside 0..20"));
}

// A call shorter than the places its evaluator reads: the places it leaves out read as 0.
int evalpadded(ctvnew::tmathnewrec& rec, evaluator eval, const double* args) {
  double x[ctvnew::maxargs] = {};
  std::copy_n(args, rec.nargs, x);
  return eval(rec, x);
}

}  // namespace

int funceval(ctvnew::tmathnewrec& rec, std::uint8_t fnr, const double* args) {
  rec.fnr = fnr;
  // MathLastRC and MathLastEC read the codes of an earlier evaluation: no reset.
  if (fnr == 89) {
    rec.f = rec.rc;
    return 0;
  }
  if (fnr == 90) {
    rec.f = rec.rc != 0 ? rec.ec : 0;
    return 0;
  }
  rec.f = 0;
  rec.ec = 0;
  rec.rc = 0;
  if (rec.level >= 1) rec.g[0] = rec.g[1] = 0;
  if (rec.level >= 2) rec.h[0][0] = rec.h[0][1] = rec.h[1][0] = rec.h[1][1] = 0;
  if (fnr >= funccount) return reportindex(rec, fnr);
  if (rec.nargs < 0 || rec.nargs > ctvnew::maxargs) return reportcount(rec);
  const entry& e = evaluators[fnr];
  return rec.nargs >= e.places ? e.eval(rec, args) : evalpadded(rec, e.eval, args);
}

}  // namespace mathnew
