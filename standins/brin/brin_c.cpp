// The combined stand-in's boundary for the bridge: the environment's and the model object's
// core entries in their "C" forms (zero-terminated texts; output texts are 256-character
// caller buffers), the environment entries the bridge calls beyond the link's, the
// model-object entries, and the fake local solver behind hvnCallSolver. ChvnXCheck confirms
// the environment's own entries that have a form here; CkroXCheck confirms the model-object
// entries implemented here, with the codes of their own table (kro_signatures.h).
// Every call is traced (BRIN_TRACE), any entry answers its failure value when listed in
// BRIN_FAIL, BRIN_OBJREFORM=1 makes the model object leave out the objective variable and
// row, and BRIN_SYNTHETIC=<n>,<m> makes it a model of that size without files. No exception
// leaves an entry.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "standins/brin/envmodel.h"
#include "standins/brin/hvn_signatures.h"
#include "standins/brin/kro_signatures.h"
#include "standins/brin/kromodel.h"
#include "standins/common/coreentries.h"
#include "standins/common/standin.h"

using brin::environment;
using brin::modelobject;
using standin::inc;
using standin::outc;

namespace {

// The environment entries of this boundary beyond the link's (hvn_signatures.h).
constexpr std::string_view hvnbridgetext = R"(
hvnSkipIOLegacySet        0 : 15
hvnRegisterWriteCallback  0 : 59 15 1
hvnInitEnvironmentLegacy  3 : 11
hvnCallSolver             3 : 1 11 11 3 3 11 11 13 3 3 13 13 2 12
)";

// clang-format off
constexpr std::array<std::string_view, 7> hvncforms = {
    "hvnInitEnvironmentLegacy", "hvnGetStrOpt", "hvnLogStat", "hvnGetScratchName",
    "hvnGetIntOpt", "hvnSetIntOpt", "hvnCallSolver"};
// clang-format on

// The entries of a signature text: the first word of each line.
std::vector<std::string_view> signaturenames(std::string_view text) {
  std::vector<std::string_view> names;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty()) names.push_back(line.substr(0, line.find(' ')));
  }
  return names;
}

const standincore::library hvnlib{"brin", "BRIN", 8,
                                  std::string(brin::hvnsignaturetext) + std::string(hvnbridgetext)};
const standincore::library krolib{"brin", "BRIN", 27, brin::krosignaturetext};
// Every model-object entry implemented here has its "C" form.
const std::vector<std::string_view> kroimplemented = signaturenames(brin::krosignaturetext);
const standin::faults& faults = hvnlib.faults;

std::string num(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%.15g", v);
  return b;
}

// Traces the call, answers fail when fault injection lists the entry, else runs f.
template <typename T, typename R, typename F>
R call(std::string_view name, const std::string& args, void* h, R fail, F f) {
  try {
    faults.trace(std::string(name) + (args.empty() ? "" : " " + args));
  } catch (...) {
  }
  if (faults.fails(name)) return fail;
  return standincore::with<T>(h, fail, f);
}

template <typename R, typename F>
R env(std::string_view name, const std::string& args, void* h, R fail, F f) {
  return call<environment>(name, args, h, fail, f);
}

template <typename R, typename F>
R kro(std::string_view name, const std::string& args, void* h, R fail, F f) {
  return call<modelobject>(name, args, h, fail, f);
}

// An entry without a result.
template <typename F>
void krov(std::string_view name, const std::string& args, void* h, F f) {
  (void)kro(name, args, h, 0, [&](modelobject& m) {
    f(m);
    return 0;
  });
}

}  // namespace

// ---- environment: core entries in their "C" forms ----

STANDIN_EXPORT void ChvnXCreateD(void** h, const char* dir) {
  standincore::createobject<environment>(faults, h, "XCreateD \"" + std::string(inc(dir)) + "\"",
                                         inc(dir));
}

STANDIN_EXPORT int ChvnXCheck(const char* name, int count, const std::int32_t* codes, char* msg) {
  return hvnlib.checkc(name, count, codes, msg, hvncforms);
}

STANDIN_EXPORT int ChvnXAPIVersion(int api, char* msg, std::int32_t* level) {
  return hvnlib.apiversionc(api, msg, level);
}

// ---- environment entries of the bridge ----

STANDIN_EXPORT void hvnSkipIOLegacySet(void* h, std::int32_t skip) {
  (void)env("hvnSkipIOLegacySet", std::to_string(skip), h, 0, [&](environment& e) {
    e.skipio = skip != 0;
    return 0;
  });
}

STANDIN_EXPORT void hvnRegisterWriteCallback(void* h, environment::writecallback cb, std::int32_t,
                                             void* usr) {
  (void)env("hvnRegisterWriteCallback", "", h, 0, [&](environment& e) {
    e.callback = cb;
    e.callbackdata = usr;
    return 0;
  });
}

STANDIN_EXPORT int ChvnInitEnvironmentLegacy(void* h, const char* at) {
  return env("hvnInitEnvironmentLegacy", "\"" + std::string(inc(at)) + "\"", h, 1,
             [&](environment& e) {
               std::string why;
               if (e.initlegacy(inc(at), why)) return 0;
               std::fprintf(stderr, "%s\n", why.c_str());
               return 1;
             });
}

STANDIN_EXPORT char* ChvnGetStrOpt(void* h, const char* name, char* result) {
  outc(result, "");
  (void)env("hvnGetStrOpt", std::string(inc(name)), h, 0, [&](environment& e) {
    outc(result, e.getstr(inc(name)));
    return 0;
  });
  return result;
}

STANDIN_EXPORT void ChvnLogStat(void* h, const char* text) {
  (void)env("hvnLogStat", "", h, 0, [&](environment& e) {
    std::string line(inc(text));
    if (!line.empty() && line.back() == '\n') line.pop_back();
    e.log(line);
    e.stat(line);
    return 0;
  });
}

STANDIN_EXPORT char* ChvnGetScratchName(void* h, const char* name, char* result) {
  outc(result, "");
  (void)env("hvnGetScratchName", std::string(inc(name)), h, 0, [&](environment& e) {
    outc(result, e.scratchname(inc(name)));
    return 0;
  });
  return result;
}

STANDIN_EXPORT int ChvnGetIntOpt(void* h, const char* name) {
  return env("hvnGetIntOpt", std::string(inc(name)), h, 0,
             [&](environment& e) { return e.getint(inc(name)); });
}

STANDIN_EXPORT void ChvnSetIntOpt(void* h, const char* name, std::int32_t v) {
  (void)env("hvnSetIntOpt", std::string(inc(name)) + " " + std::to_string(v), h, 0,
            [&](environment& e) {
              e.setint(inc(name), v);
              return 0;
            });
}

// The fake local solver on the model object, with what it was handed in the trace.
STANDIN_EXPORT int ChvnCallSolver(void* h, void* model, const char*, const char* solver,
                                  std::int32_t, std::int32_t, const char* text, const char*, double,
                                  std::int32_t, std::int32_t, double, double, void**, char* msg) {
  outc(msg, "");
  return env("hvnCallSolver", "", h, 1, [&](environment& e) {
    if (model == nullptr) return 1;
    auto& m = *static_cast<modelobject*>(model);
    faults.trace("solve " + std::string(inc(solver)) + " optfile " + std::to_string(m.optfile) +
                 " \"" + m.optfilename + "\" nodelim " + std::to_string(e.getint("NodeLim")) +
                 " altbounds " + std::to_string(m.altbounds ? 1 : 0) + " forcecont " +
                 std::to_string(m.forcecont ? 1 : 0) + " text \"" + std::string(inc(text)) + "\"");
    std::string why;
    const int r = m.solve(inc(solver), why);
    outc(msg, why);
    return r;
  });
}

// ---- model object: core entries ----

STANDIN_EXPORT void kroXCreate(void** h) {
  standincore::createobject<modelobject>(krolib.faults, h, "kroXCreate");
}

STANDIN_EXPORT void CkroXCreateD(void** h, const char* dir) {
  standincore::createobject<modelobject>(krolib.faults, h,
                                         "kroXCreateD \"" + std::string(inc(dir)) + "\"");
}

STANDIN_EXPORT void kroXFree(void** h) { standincore::freeobject<modelobject>(krolib.faults, h); }

STANDIN_EXPORT int CkroXCheck(const char* name, int count, const std::int32_t* codes, char* msg) {
  return krolib.checkc(name, count, codes, msg, kroimplemented);
}

STANDIN_EXPORT int CkroXAPIVersion(int api, char* msg, std::int32_t* level) {
  return krolib.apiversionc(api, msg, level);
}

// ---- model object: loading and orders ----

STANDIN_EXPORT int CkroRegisterEnvironment(void* h, void* e, char* msg) {
  outc(msg, "");
  return kro("kroRegisterEnvironment", "", h, 1, [&](modelobject&) {
    if (e != nullptr) return 0;
    outc(msg, "brin: no environment to register");
    return 1;
  });
}

STANDIN_EXPORT int CkroLoadDataLegacy(void* h, char* msg) {
  outc(msg, "");
  const int r = kro("kroLoadDataLegacy", "", h, 1, [&](modelobject& m) {
    const char* reform = std::getenv("BRIN_OBJREFORM");
    int n = 0, rows = 0;
    if (const char* made = std::getenv("BRIN_SYNTHETIC");
        made != nullptr && std::sscanf(made, "%d,%d", &n, &rows) == 2 && n >= 0 && rows >= 0) {
      m.synthetic(n, rows);
      return 0;
    }
    std::string why;
    if (m.load(reform != nullptr && std::string_view(reform) == "1", why)) return 0;
    outc(msg, why);
    return 1;
  });
  if (r != 0 && msg != nullptr && msg[0] == '\0') outc(msg, "brin: kroLoadDataLegacy failed");
  return r;
}

STANDIN_EXPORT int kroSetRvVarPermutation(void* h, const std::int32_t* order, std::int32_t len) {
  return kro("kroSetRvVarPermutation", std::to_string(len), h, 1,
             [&](modelobject& m) { return m.setvarorder(order, len) ? 0 : 1; });
}

STANDIN_EXPORT int kroSetRvEquPermutation(void* h, const std::int32_t* order, std::int32_t len) {
  return kro("kroSetRvEquPermutation", std::to_string(len), h, 1,
             [&](modelobject& m) { return m.setequorder(order, len) ? 0 : 1; });
}

// ---- model object: counts and properties ----

#define BRIN_GETTER(type, name, fail, expr)                                          \
  STANDIN_EXPORT type name(void* h) {                                                \
    return kro(#name, "", h, type(fail), [](modelobject& m) { return type(expr); }); \
  }
BRIN_GETTER(int, kroN, 0, m.n())
BRIN_GETTER(int, kroM, 0, m.m())
BRIN_GETTER(int, kroNZ, 0, m.nz)
BRIN_GETTER(int, kroNLNZ, 0, m.nlnz)
BRIN_GETTER(int, kroModelType, 0, m.modeltype)
BRIN_GETTER(int, kroObjRow, -1, m.objrow())
BRIN_GETTER(int, kroObjVar, -1, m.objvar())
BRIN_GETTER(int, kroObjReform, 0, m.reform() ? 1 : 0)
BRIN_GETTER(int, kroOptFile, 0, m.optfile)
BRIN_GETTER(double, kroMinf, 0.0, m.minf)
BRIN_GETTER(double, kroPinf, 0.0, m.pinf)
BRIN_GETTER(int, kroModelStat, 0, m.modelstat)
BRIN_GETTER(int, kroSolveStat, 0, m.solvestat)
BRIN_GETTER(int, kroAltBounds, 0, m.altbounds ? 1 : 0)
#undef BRIN_GETTER

#define BRIN_SETTER(type, name, field, text)                       \
  STANDIN_EXPORT void name(void* h, type v) {                      \
    krov(#name, text(v), h, [&](modelobject& m) { m.field = v; }); \
  }
BRIN_SETTER(std::int32_t, kroObjStyleSet, objstyle, std::to_string)
BRIN_SETTER(std::int32_t, kroOptFileSet, optfile, std::to_string)
BRIN_SETTER(double, kroMinfSet, minf, num)
BRIN_SETTER(double, kroPinfSet, pinf, num)
#undef BRIN_SETTER

STANDIN_EXPORT void kroAltBoundsSet(void* h, std::int32_t v) {
  krov("kroAltBoundsSet", std::to_string(v), h, [&](modelobject& m) { m.altbounds = v != 0; });
}

STANDIN_EXPORT void kroForceContSet(void* h, std::int32_t v) {
  krov("kroForceContSet", std::to_string(v), h, [&](modelobject& m) { m.forcecont = v != 0; });
}

STANDIN_EXPORT char* CkroNameOptFile(void* h, char* result) {
  outc(result, "");
  krov("kroNameOptFile", "", h, [&](modelobject& m) { outc(result, m.optfilename); });
  return result;
}

STANDIN_EXPORT void CkroNameOptFileSet(void* h, const char* name) {
  krov("kroNameOptFileSet", "\"" + std::string(inc(name)) + "\"", h,
       [&](modelobject& m) { m.optfilename = std::string(inc(name)); });
}

// ---- model object: one variable (called for every variable of a large model: no trace
// line and no fault switch, so a caller's own time can be measured) ----

#define BRIN_SETONE(name, method)                                                                 \
  STANDIN_EXPORT void name(void* h, std::int32_t i, double v) {                                   \
    (void)standincore::with<modelobject>(h, 0,                                                    \
                                         [&](modelobject& m) { return m.method(i, v) ? 0 : 1; }); \
  }
BRIN_SETONE(kroSetVarLOne, setlevel)
BRIN_SETONE(kroSetVarMOne, setmarginal)
BRIN_SETONE(kroSetAltVarLowerOne, setaltlower)
BRIN_SETONE(kroSetAltVarUpperOne, setaltupper)
#undef BRIN_SETONE

// ---- model object: arrays and figures after a solve ----

STANDIN_EXPORT int kroGetVarL(void* h, double* to) {
  return kro("kroGetVarL", "", h, 1, [&](modelobject& m) {
    if (to != nullptr) m.levels(to);
    return 0;
  });
}

STANDIN_EXPORT int kroGetVarM(void* h, double* to) {
  return kro("kroGetVarM", "", h, 1, [&](modelobject& m) {
    if (to != nullptr) m.marginals(to);
    return 0;
  });
}

STANDIN_EXPORT int kroGetEquM(void* h, double* to) {
  return kro("kroGetEquM", "", h, 1, [&](modelobject& m) {
    if (to != nullptr) m.equmarginals(to);
    return 0;
  });
}

STANDIN_EXPORT double kroGetHeadnTail(void* h, std::int32_t k) {
  return kro("kroGetHeadnTail", std::to_string(k), h, 0.0,
             [&](modelobject& m) { return m.headntail(k); });
}
