// The checked frame of an intrinsic evaluation, the error report and the system functions.
#include "funclib/mathnew.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <limits>

namespace mathnew {

namespace {

// ---- the error report ----

template <std::size_t Cap, std::size_t N>
std::string_view codetext(const q5rt::shortstring<Cap> (&texts)[N], int code) {
  return code >= 0 && code < static_cast<int>(N) ? texts[code].view() : std::string_view{};
}

std::string_view decimal(char (&buf)[16], long long n) {
  const auto res = std::to_chars(buf, buf + sizeof buf, n);
  return {buf, static_cast<std::size_t>(res.ptr - buf)};
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
    case 0: r.f = v; break;
    case 1: r.g[0] = v; break;
    default: r.h[0][0] = v; break;
  }
  return logerr(r, static_cast<int>(nearest(e)), static_cast<int>(nearest(ecode)),
                "error triggered and count reset");
}

}  // namespace detail

// ---- dispatch ----

namespace {

using detail::evaluator;

// The evaluator of every function number; numbers not set are execution-time functions
// (and the reserved 109 and 110), which this library does not evaluate.
constexpr std::array<evaluator, funccount> evaluators = [] {
  using namespace detail;
  std::array<evaluator, funccount> t{};
  t.fill(&eval_notimplemented);
  // non-smooth, logical and comparison
  t[1] = t[2] = t[5] = t[6] = &eval_rounding;
  t[3] = &eval_round;
  t[4] = &eval_mod;
  t[7] = t[8] = &eval_minmax;
  t[14] = &eval_abs;
  t[40] = &eval_frac;
  for (int i = 51; i <= 56; ++i) t[i] = &eval_logic;
  for (int i = 57; i <= 62; ++i) t[i] = &eval_relation;
  t[63] = &eval_ifthen;
  // elementary and power
  t[9] = &eval_sqr;
  t[10] = &eval_exp;
  t[11] = t[12] = t[50] = &eval_log;
  t[13] = &eval_sqrt;
  t[18] = &eval_errorf;
  t[21] = &eval_power;
  t[48] = &eval_entropy;
  t[49] = &eval_sigmoid;
  t[64] = &eval_rpower;
  t[65] = &eval_edist;
  t[66] = t[67] = &eval_div;
  t[74] = &eval_cvpower;
  t[75] = &eval_vcpower;
  t[76] = &eval_centropy;
  t[92] = &eval_signpower;
  t[108] = &eval_poly;
  t[124] = &eval_logit;
  // trigonometric and hyperbolic
  t[15] = t[16] = &eval_sincos;
  t[17] = &eval_arctan;
  t[86] = t[87] = &eval_sinhcosh;
  t[88] = &eval_tanh;
  t[100] = &eval_tan;
  t[101] = &eval_arccos;
  t[102] = &eval_arcsin;
  t[103] = &eval_arctan2;
  // smoothed, complementarity and log-sum-exp
  t[46] = &eval_ncpf;
  t[47] = &eval_ncpcm;
  for (int i = 68; i <= 73; ++i) t[i] = &eval_extension;
  t[94] = t[95] = &eval_ncpvu;
  for (int i = 125; i <= 128; ++i) t[i] = &eval_lse;
  // system
  t[45] = &eval_pi;
  t[91] = &eval_mathoval;
  t[114] = &eval_forceerror;
  t[129] = &eval_unknown;
  // special, calendar and random
  t[19] = &eval_uniform;
  t[20] = &eval_normal;
  t[22] = &eval_jdate;
  t[23] = &eval_jtime;
  t[27] = &eval_gyear;
  t[28] = &eval_gmonth;
  t[29] = &eval_gday;
  t[30] = &eval_gdow;
  t[31] = &eval_gleap;
  t[32] = &eval_ghour;
  t[33] = &eval_gminute;
  t[34] = &eval_gsecond;
  t[43] = &eval_fact;
  t[44] = &eval_uniformint;
  t[77] = &eval_gmillisec;
  t[80] = &eval_gamma;
  t[81] = &eval_loggamma;
  t[82] = &eval_beta;
  t[83] = &eval_logbeta;
  t[84] = &eval_gammareg;
  t[85] = &eval_betareg;
  t[96] = &eval_binomial;
  t[112] = &eval_randlinear;
  t[113] = &eval_randtriangle;
  t[116] = &eval_randbinomial;
  return t;
}();

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
  if (fnr >= funccount) {
    char buf[16];
    rec.fnr = unknownfnr;
    return logerr(rec, ctvnew::rc_system, ctvnew::ec_error,
                  q5rt::concat("unknown function index (index=", decimal(buf, fnr),
                               "): can/should not happen"));
  }
  if (rec.nargs < 0 || rec.nargs > ctvnew::maxargs) {
    char buf[16];
    return logerr(rec, ctvnew::rc_system, ctvnew::ec_error,
                  q5rt::concat("number of arguments (nargs=", decimal(buf, rec.nargs),
                               ") outside 0..20"));
  }
  // The evaluators may read all 20 places; those beyond nargs hold 0.
  double x[ctvnew::maxargs] = {};
  std::copy_n(args, rec.nargs, x);
  return evaluators[fnr](rec, x);
}

}  // namespace mathnew
