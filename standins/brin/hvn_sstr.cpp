// The environment entries of the combined stand-in library: core entries, optional entries
// and the implemented API entries under their plain names. Texts are short strings (a length
// byte and up to 255 characters); output texts are 256-byte caller buffers; an entry with a
// short-string result fills the caller's buffer, passed last, and returns it. A nil object
// handle gets the entry's failure value (0, 0.0, an empty text; 1 for results where 0 means
// success). No exception leaves an entry.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "standins/brin/envmodel.h"
#include "standins/brin/hvn_signatures.h"
#include "standins/common/coreentries.h"
#include "standins/common/standin.h"

using brin::environment;
using standin::in;
using standin::out;
using textin = standin::sstrin;
using textout = standin::sstrout;

namespace {

const standincore::library lib{"brin", "BRIN", 8, brin::hvnsignaturetext};
const standin::faults& faults = lib.faults;

template <typename R, typename F>
R with(void* h, R fail, F f) {
  return standincore::with<environment>(h, fail, f);
}

template <typename F>
void withv(void* h, F f) {
  standincore::withvoid<environment>(h, f);
}

// A string result: the text (empty for a nil handle) into the caller's buffer.
template <typename F>
textout withtext(void* h, textout result, F f) {
  out(result, "");
  withv(h, [&](environment& e) { out(result, f(e)); });
  return result;
}

}  // namespace

// ---- core and optional entries ----

STANDIN_EXPORT void hvnXCreate(void** h) {
  standincore::createobject<environment>(faults, h, "XCreate");
}

// The directory becomes the option "NameSysDir".
STANDIN_EXPORT void hvnXCreateD(void** h, textin dir) {
  standincore::createobject<environment>(faults, h, "XCreateD \"" + std::string(in(dir)) + "\"",
                                         in(dir));
}

STANDIN_EXPORT void hvnXFree(void** h) { standincore::freeobject<environment>(faults, h); }

STANDIN_EXPORT int hvnXCheck(textin name, int count, const std::int32_t* codes, textout msg) {
  return lib.check(name, count, codes, msg);
}

STANDIN_EXPORT int hvnXAPIVersion(int api, textout msg, std::int32_t* level) {
  return lib.apiversion(api, msg, level);
}

STANDIN_EXPORT void hvnInitialize() { faults.trace("hvnInitialize"); }
STANDIN_EXPORT void hvnFinalize() { faults.trace("hvnFinalize"); }

// ---- log and status ----

STANDIN_EXPORT void hvnLog(void* h, textin line) {
  withv(h, [&](environment& e) { e.log(in(line)); });
}
STANDIN_EXPORT void hvnStat(void* h, textin line) {
  withv(h, [&](environment& e) { e.stat(in(line)); });
}
STANDIN_EXPORT void hvnLogStat(void* h, textin line) {
  withv(h, [&](environment& e) {
    e.log(in(line));
    e.stat(in(line));
  });
}

// ---- options ----

STANDIN_EXPORT int hvnGetIntOpt(void* h, textin name) {
  return with(h, 0, [&](environment& e) { return e.getint(in(name)); });
}
STANDIN_EXPORT double hvnGetDblOpt(void* h, textin name) {
  return with(h, 0.0, [&](environment& e) { return e.getdbl(in(name)); });
}
STANDIN_EXPORT textout hvnGetStrOpt(void* h, textin name, textout result) {
  return withtext(h, result, [&](environment& e) { return e.getstr(in(name)); });
}
STANDIN_EXPORT void hvnSetIntOpt(void* h, textin name, int v) {
  withv(h, [&](environment& e) { e.setint(in(name), v); });
}
STANDIN_EXPORT void hvnSetDblOpt(void* h, textin name, double v) {
  withv(h, [&](environment& e) { e.setdbl(in(name), v); });
}
STANDIN_EXPORT void hvnSetStrOpt(void* h, textin name, textin v) {
  withv(h, [&](environment& e) { e.setstr(in(name), in(v)); });
}

// ---- solvers: the current solver is the text option "CurSolver" ----

STANDIN_EXPORT textout hvnGetCurrentSolver(void* h, void*, textout result) {
  return withtext(h, result, [](environment& e) { return e.getstr("CurSolver"); });
}

// Capable (0 or 1 through the integer) when the solver is the current solver; 0 = answered.
STANDIN_EXPORT int hvnCapabilityCheck(void* h, int, textin solver, std::int32_t* capable) {
  return with(h, 1, [&](environment& e) {
    std::string a(in(solver)), b = e.getstr("CurSolver");
    for (std::string* s : {&a, &b})
      for (char& c : *s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (capable != nullptr) *capable = !a.empty() && a == b ? 1 : 0;
    return 0;
  });
}

// The option "ThreadsRaw", at least 1.
STANDIN_EXPORT int hvnThreads(void* h) {
  return with(h, 0, [](environment& e) { return std::max(1, e.getint("ThreadsRaw")); });
}

// ---- time ----

STANDIN_EXPORT double hvnTimeJNow(void* h) {
  return with(h, 0.0, [](environment&) { return environment::jnow(); });
}
STANDIN_EXPORT double hvnTimeDiff(void* h) {
  return with(h, 0.0, [](environment& e) { return e.timediff(); });
}
STANDIN_EXPORT double hvnTimeDiffStart(void* h) {
  return with(h, 0.0, [](environment& e) { return e.timediffstart(); });
}
STANDIN_EXPORT void hvnTimeSetStart(void* h) {
  withv(h, [](environment& e) { e.timesetstart(); });
}

// ---- termination: a flag, no signal handling ----

STANDIN_EXPORT int hvnTerminateGet(void* h) {
  return with(h, 0, [](environment& e) { return e.terminate ? 1 : 0; });
}
STANDIN_EXPORT void hvnTerminateClear(void* h) {
  withv(h, [](environment& e) { e.terminate = false; });
}
STANDIN_EXPORT void hvnTerminateRaise(void* h) {
  withv(h, [](environment& e) { e.terminate = true; });
}

// ---- scratch files ----

STANDIN_EXPORT textout hvnGetScratchName(void* h, textin name, textout result) {
  return withtext(h, result, [&](environment& e) { return e.scratchname(in(name)); });
}
