// Dispatch between intrinsic and extrinsic functions, and derivatives by differences.
#include "funclib/genextfunc.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "frame/q5text.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"
#include "frame/zlmstrm_buffered.h"
#include "funclib/libfuncs.h"
#include "funclib/mathnew.h"
#include "funclib/mathnew_interval.h"
#include "funclib/zlmfuncs.h"
#include "instance/zlmspecs.h"

namespace genextfunc {

namespace {

constexpr double undef = zlmspecs::valund;
constexpr double defaultstep = 1e-5;

[[nodiscard]] bool intrinsic(std::int32_t fnr) { return fnr >= 0 && fnr <= lastintrinsic; }

// The table row that answers for fnr: its own row, or " unknown*" for a negative number.
[[nodiscard]] std::uint8_t row(std::int32_t fnr) {
  return static_cast<std::uint8_t>(intrinsic(fnr) ? fnr : mathnew::unknownfnr);
}

[[nodiscard]] bool execonly(std::int32_t fnr) {
  return intrinsic(fnr) && zlmfuncs::cmexonlyfuncs.contains(fnr);
}

[[nodiscard]] bool countok(const ctvnew::tmathnewrec& rec) {
  return rec.nargs >= 0 && rec.nargs <= ctvnew::maxargs;
}

// A number that names no function we can evaluate: reset the results as an evaluation
// would and report SYSTEM ERROR through the record's callback.
int reportunknown(ctvnew::tmathnewrec& rec, std::int32_t fnr) {
  rec.f = 0;
  rec.ec = 0;
  rec.rc = 0;
  if (rec.level >= 1 && countok(rec)) std::fill_n(rec.g, rec.nargs, 0.0);
  rec.fnr = mathnew::unknownfnr;
  const q5rt::sstr index = strutilx::inttostrw(fnr, 0);
  if (fnr < 0) {
    return mathnew::logerr(
        rec, ctvnew::rc_system, ctvnew::ec_error,
        q5rt::concat("unknown function index (index=", index, "): can/should not happen"));
  }
  return mathnew::logerr(rec, ctvnew::rc_system, ctvnew::ec_error,
                         q5rt::concat("extrinsic function not available (index=", index, ")"));
}

// ---- the extrinsic side ----
// Extrinsic numbers are served by the library manager that a description file creates.
// A number that names no function of it (or no manager at all) names nothing, has no
// variable argument and evaluates to a "not available" report; an entry that is not bound
// is never called. A count outside 0..20 is refused before anything is evaluated.
int reportcount(ctvnew::tmathnewrec& rec) {
  rec.fnr = mathnew::unknownfnr;
  return mathnew::logerr(rec, ctvnew::rc_system, ctvnew::ec_error,
                         q5rt::concat("number of arguments (nargs=",
                                      strutilx::inttostrw(rec.nargs, 0), ") outside 0..20"));
}

// The extrinsic function of that number, or nullptr.
[[nodiscard]] const libfuncs::tlibfunction* extfunction(std::int32_t fnr) {
  if (fnr <= lastintrinsic || !libfuncs::libfuncmgr) return nullptr;
  return libfuncs::libfuncmgr->getifuncobj(fnr);
}

// Whether the extrinsic number can be evaluated: its function's entry is bound.
[[nodiscard]] bool extavailable(std::int32_t fnr) {
  return extfunction(fnr) != nullptr && libfuncs::libfuncmgr->callable(fnr);
}

// One evaluation without differences.
int evalonce(ctvnew::tmathnewrec& rec, std::int32_t fnr, double* args) {
  if (intrinsic(fnr)) return mathnew::funceval(rec, static_cast<std::uint8_t>(fnr), args);
  return libfuncs::libfuncmgr->extfunceval(rec, fnr, args);
}

constexpr std::string_view couldnotread = "Could not read External Function File '";
constexpr std::string_view couldnotcreate = "*** Could not Create External Function File '";

// The read failure: the line on standard output, the same text without "*** " in msg.
bool readfailure(std::string_view file, std::string_view reason, q5rt::sstr& msg) {
  msg = q5rt::concat(couldnotread, file, "': ", reason);
  q5rt::output().writeln(q5rt::concat("*** ", msg));
  q5rt::output().flush();
  return false;
}

// The finite-difference step for an argument at x.
[[nodiscard]] double stepfor(const ctvnew::tmathnewrec& rec, double x) {
  double s = rec.step;
  if (s == 0 || !std::isfinite(s)) s = defaultstep;
  if (rec.scalestep != 0 && std::fabs(x) > 1) s *= std::fabs(x);
  return s;
}

// One value for a difference: the record's value, or undefined when the evaluation failed.
[[nodiscard]] double valueat(ctvnew::tmathnewrec& rec, std::int32_t fnr, double* args) {
  return genericfunceval(rec, fnr, args) == 0 ? rec.f : undef;
}

// The difference quotient of fn in argument position p (0-based) with the step rules:
// central when both sides are defined, else one-sided against the base point.
template <typename Fn>
double difference(ctvnew::tmathnewrec& rec, double* args, int p, Fn fn) {
  const double x0 = args[p];
  const double s = stepfor(rec, x0);
  args[p] = x0 - s;
  const double fm = fn();
  args[p] = x0 + s;
  const double fp = fn();
  args[p] = x0;
  if (fm != undef && fp != undef) return ((fp - fm) / s) * 0.5;
  if (fm == undef && fp == undef) return undef;
  const double f0 = fn();
  if (f0 == undef) return undef;
  return fm != undef ? (f0 - fm) / s : (fp - f0) / s;
}

[[nodiscard]] bool inrange(const ctvnew::tmathnewrec& rec, std::int32_t i) {
  return countok(rec) && i >= 1 && i <= rec.nargs;
}

}  // namespace

// ---- names and properties ----

q5rt::sstr genericfuncname(std::int32_t fnr) {
  if (extfunction(fnr) != nullptr) return libfuncs::libfuncmgr->funcname(fnr);
  return fnr > lastintrinsic ? mathnew::funcname(mathnew::unknownfnr) : mathnew::funcname(row(fnr));
}

std::int32_t genericfuncargtype(std::int32_t fnr, std::int32_t position) {
  if (extfunction(fnr) != nullptr) return libfuncs::libfuncmgr->functionargtype(fnr, position);
  if (fnr > lastintrinsic) return 0;
  return mathnew::funcargtype(row(fnr), position);
}

q5rt::sstr genericfuncargname(std::int32_t fnr, std::int32_t position) {
  const bool variable = genericfuncargtype(fnr, position) != 0;
  if (extfunction(fnr) != nullptr) {
    const q5rt::sstr name = libfuncs::libfuncmgr->functionargname(fnr, position);
    return variable ? strutilx::lowercase(name) : strutilx::uppercase(name);
  }
  if (fnr > lastintrinsic) return {};
  return q5rt::sstr::cut(variable ? "x" : "X");
}

bool genericfuncequnever(std::int32_t fnr) {
  if (extfunction(fnr) != nullptr) return libfuncs::libfuncmgr->functionequnever(fnr);
  return fnr <= lastintrinsic && mathnew::funcequnever(row(fnr));
}

std::int32_t genericfuncsmooth(std::int32_t fnr) {
  if (extfunction(fnr) != nullptr) return libfuncs::libfuncmgr->functionsmooth(fnr);
  return fnr > lastintrinsic ? 0 : mathnew::funcsmooth(row(fnr));
}

bool genericfunczeroripple(std::int32_t fnr) {
  if (extfunction(fnr) != nullptr) return libfuncs::libfuncmgr->functionzeroripple(fnr);
  return fnr <= lastintrinsic && mathnew::funczeroripple(row(fnr));
}

q5rt::sstr genericfuncts(std::int32_t fnr) {
  if (extfunction(fnr) != nullptr) return libfuncs::libfuncmgr->functionexpltext(fnr);
  return fnr > lastintrinsic ? q5rt::sstr{} : mathnew::functs(row(fnr));
}

void genericfuncinfo(std::int32_t fnr, q5rt::sstr& name, std::int32_t& minargs,
                     std::int32_t& maxargs, std::int32_t& smooth, std::int32_t& varargs,
                     bool& equnever, std::int32_t& maxderiv) {
  if (extfunction(fnr) != nullptr) {
    bool zeroripple = false;  // not part of this answer
    libfuncs::libfuncmgr->functioninfo(fnr, name, minargs, maxargs, smooth, varargs, equnever,
                                       zeroripple, maxderiv);
    return;
  }
  if (fnr > lastintrinsic) {
    name = genericfuncname(fnr);
    minargs = maxargs = smooth = varargs = maxderiv = 0;
    equnever = false;
    return;
  }
  int mn = 0, mx = 0, sm = 0, va = 0;
  mathnew::funcinfo(row(fnr), name, mn, mx, sm, va, equnever);
  minargs = mn;
  maxargs = mx;
  smooth = sm;
  varargs = va;
  maxderiv = 2;
}

int genericisquad(std::int32_t fnr, double value, std::int32_t n, const double* degrees,
                  bool& isquad) {
  isquad = false;
  if (!intrinsic(fnr)) return 0;
  return mathnew::isquad(static_cast<std::uint8_t>(fnr), value, n, degrees, isquad);
}

int genericislogic(std::int32_t fnr, bool& islogic) {
  islogic = false;
  if (!intrinsic(fnr)) return 0;
  return mathnew::islogic(static_cast<std::uint8_t>(fnr), islogic);
}

// ---- evaluation ----

namespace {

// The derivative levels the function itself did not give (it reached level got of the
// asked level want), made by differences around the evaluation that answered answer.
int differenced(ctvnew::tmathnewrec& rec, std::int32_t fnr, double* args, std::int32_t asked,
                std::int32_t want, std::int32_t got, int answer) {
  // Differences are collected apart and stored at the end, so that evaluations at
  // displaced points (which may write derivative entries whatever the level) never
  // overwrite entries already made.
  const double value = rec.f;
  const int n = rec.nargs;
  double grad[ctvnew::maxargs];
  double hess[ctvnew::maxargs][ctvnew::maxargs];
  if (got == 0) {
    for (int i = 1; i <= n; ++i)
      grad[i - 1] = genericfuncargtype(fnr, i) != 0 ? genericgradnumeric(rec, fnr, args, i) : 0;
  } else {
    std::copy_n(rec.g, n, grad);  // the analytic gradient
  }
  const bool hessian = want == 2;
  if (hessian) {
    // Differences of analytic gradients, or second differences of values.
    rec.level = got == 1 && rec.keepgrad != 0 ? 1 : 0;
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= i; ++j) {
        const bool both = genericfuncargtype(fnr, i) != 0 && genericfuncargtype(fnr, j) != 0;
        const double e = both ? generichessnumeric(rec, fnr, args, i, j) : 0;
        hess[i - 1][j - 1] = hess[j - 1][i - 1] = e;
      }
    }
  }
  std::copy_n(grad, n, rec.g);
  if (hessian)
    for (int i = 0; i < n; ++i) std::copy_n(hess[i], n, rec.h[i]);
  rec.f = value;
  rec.level = asked;
  return answer;
}

}  // namespace

int genericfunceval(ctvnew::tmathnewrec& rec, std::int32_t fnr, double* args) {
  if (!intrinsic(fnr) && !extavailable(fnr)) return reportunknown(rec, fnr);
  // The intrinsic frame refuses the count with its report; nothing is differenced.
  if (!countok(rec))
    return intrinsic(fnr) ? mathnew::funceval(rec, static_cast<std::uint8_t>(fnr), args)
                          : reportcount(rec);

  const std::int32_t asked = rec.level;
  const std::int32_t want = std::clamp(asked, 0, 2);
  const std::int32_t allowed = 2 - rec.numderiv;
  if (allowed < want) rec.level = std::max(allowed, 0);
  const int answer = evalonce(rec, fnr, args);
  const std::int32_t got = rec.level;
  if (got >= want) {
    rec.level = asked;
    return answer;
  }
  return differenced(rec, fnr, args, asked, want, got, answer);
}

double genericgradnumeric(ctvnew::tmathnewrec& rec, std::int32_t fnr, double* args,
                          std::int32_t i) {
  if (!inrange(rec, i) || execonly(fnr)) return undef;
  return difference(rec, args, i - 1, [&] { return valueat(rec, fnr, args); });
}

double gradeval(ctvnew::tmathnewrec& rec, std::int32_t fnr, double* args, std::int32_t i) {
  if (rec.level != 1) return genericgradnumeric(rec, fnr, args, i);
  if (!inrange(rec, i)) return undef;
  return genericfunceval(rec, fnr, args) == 0 ? rec.g[i - 1] : undef;
}

double generichessnumeric(ctvnew::tmathnewrec& rec, std::int32_t fnr, double* args, std::int32_t i,
                          std::int32_t j) {
  if (execonly(fnr) || !inrange(rec, i) || !inrange(rec, j)) return undef;
  return difference(rec, args, j - 1, [&] { return gradeval(rec, fnr, args, i); });
}

int genericfuncinterval(ctvnew::tmathnewrec& rec, std::int32_t nargs, std::int32_t& fnr,
                        const double* lo, const double* hi, double& flo, double& fhi, double* glo,
                        double* ghi) {
  rec.nargs = nargs;
  if (!countok(rec)) return reportcount(rec);
  if (intrinsic(fnr)) return mathnew::funcinterval(rec, fnr, lo, hi, flo, fhi, glo, ghi);
  flo = -rec.inf;
  fhi = rec.inf;
  std::fill_n(glo, nargs, -rec.inf);
  std::fill_n(ghi, nargs, rec.inf);
  return 0;
}

void genericlinklogerror(ctvnew::tmathnewrec& rec, ctvnew::tlogerror callback) {
  mathnew::linklogerror(rec, callback);
}

// ---- the description file ----

bool readextfunc(std::int32_t release, std::string_view inittext, std::string_view file,
                 libfuncs::tmsgcb callback, q5rt::sstr& msg) {
  libfuncs::libfuncmgr.reset();
  libfuncs::libfuncmgr = std::make_unique<libfuncs::tlibmanager>();
  libfuncs::libfuncmgr->setmsgcb(callback);
  msg.clear();
  std::error_code ec;
  if (!std::filesystem::exists(std::string(file), ec)) return true;
  zlmstrm::tmibufferedstream in(file, zlmstrm::mode_read);
  if (const int rc = in.getlastioresult(); rc != 0)
    return readfailure(file, q5rt::syserrortext(rc), msg);
  q5rt::sstr reason;
  if (!libfuncs::libfuncmgr->readdump(release, in, reason)) {
    // The read error itself, when the stream met one.
    if (const int rc = in.getlastioresult(); rc != 0) reason = q5rt::syserrortext(rc);
    return readfailure(file, reason, msg);
  }
  // Registration problems have gone to the callback; they do not fail the read.
  q5rt::sstr regmsg;
  (void)libfuncs::libfuncmgr->registerlibraries(inittext, regmsg, true);
  if (const int rc = in.getlastioresult(); rc != 0)
    return readfailure(file, q5rt::syserrortext(rc), msg);
  return true;
}

std::int32_t dumpextfunc(std::string_view file) {
  const libfuncs::tlibmanager empty;
  const libfuncs::tlibmanager& mgr = libfuncs::libfuncmgr ? *libfuncs::libfuncmgr : empty;
  int rc = 0;
  {
    zlmstrm::tmibufferedstream out(file, zlmstrm::mode_create);
    rc = out.getlastioresult();
    if (rc == 0) {
      mgr.writelibmgrsdump(out);
      // A failed final flush is lost data: it counts as the write's failure.
      const bool flushed = out.flush();
      rc = out.getlastioresult();
      if (rc == 0 && !flushed) rc = EIO;
    }
  }
  if (rc == 0) return 0;
  q5rt::output().writeln(
      q5rt::concat(couldnotcreate, file, "' Error = ", strutilx::inttostrw(rc, 0)));
  q5rt::output().flush();
  return 1;
}

void freeextfuncs() { libfuncs::libfuncmgr.reset(); }

}  // namespace genextfunc
