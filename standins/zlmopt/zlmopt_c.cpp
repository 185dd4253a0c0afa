// The option stand-in's boundary for the bridge: "CXCheck" and "CXAPIVersion", the load-path
// pair and the "C"-prefixed text entries that the bridge calls, with zero-terminated texts
// (output texts are 256-character caller buffers). The bridge's other entries without text
// are the plain ones of zlmopt_sstr.cpp. CXCheck confirms a text entry only when it has its
// "C" form here. No exception leaves an entry.
//
// Variants: ZLMOPT_NOAPIVERSION drops CXAPIVersion too; ZLMOPT_CMISSING confirms
// optGetNameOpt but does not export CoptGetNameOpt; ZLMOPT_CUPPER exports CoptGetStrStr as
// COPTGETSTRSTR only.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "standins/common/coreentries.h"
#include "standins/common/standin.h"
#include "standins/zlmopt/optmodel.h"
#include "standins/zlmopt/signatures.h"

using standin::inc;
using standin::outc;
using standin::put;
using zlmopt::option;
using zlmopt::optset;

namespace {

const standincore::library lib{"zlmopt", "ZLMOPT", 4, zlmopt::signaturetext};
std::string loadpath;

constexpr std::array<std::string_view, 5> cforms = {"optReadDefinition", "optReadParameterFile",
                                                    "optGetDefinedStr", "optGetStrStr",
                                                    "optGetNameOpt"};

template <typename R, typename F>
R with(void* h, R fail, F f) {
  return standincore::with<optset>(h, fail, f);
}

}  // namespace

STANDIN_EXPORT int CXCheck(const char* name, int count, const std::int32_t* codes, char* msg) {
  return lib.checkc(name, count, codes, msg, cforms);
}

#ifndef ZLMOPT_NOAPIVERSION
STANDIN_EXPORT int CXAPIVersion(int api, char* msg, std::int32_t* level) {
  return lib.apiversionc(api, msg, level);
}
#endif

STANDIN_EXPORT void CoptSetLoadPath(const char* dir) {
  try {
    loadpath.assign(inc(dir));
    lib.faults.trace("CoptSetLoadPath \"" + loadpath + "\"");
  } catch (...) {
  }
}
STANDIN_EXPORT void CoptGetLoadPath(char* dir) { outc(dir, loadpath); }

STANDIN_EXPORT int CoptReadDefinition(void* h, const char* path) {
  return with(h, 1, [&](optset& s) { return s.readdefinition(std::string(inc(path))); });
}

STANDIN_EXPORT int CoptReadParameterFile(void* h, const char* path) {
  return with(h, 1, [&](optset& s) { return s.readparameterfile(std::string(inc(path))); });
}

STANDIN_EXPORT int CoptGetDefinedStr(void* h, const char* name) {
  return with(h, 0, [&](optset& s) {
    const option* o = s.byname(inc(name));
    return o != nullptr && (o->defined & 1) != 0 ? 1 : 0;
  });
}

#ifdef ZLMOPT_CUPPER
#define CGETSTRSTR COPTGETSTRSTR
#else
#define CGETSTRSTR CoptGetStrStr
#endif
STANDIN_EXPORT char* CGETSTRSTR(void* h, const char* name, char* result) {
  outc(result, "");
  (void)with(h, 0, [&](optset& s) {
    if (const option* o = s.byname(inc(name))) outc(result, optset::valuetext(*o, 0));
    return 1;
  });
  return result;
}

#ifndef ZLMOPT_CMISSING
STANDIN_EXPORT int CoptGetNameOpt(void* h, const char* value, char* name, std::int32_t* number) {
  outc(name, "");
  put(number, 0);
  return with(h, 0, [&](optset&) {
    std::string n;
    int k = 0;
    if (!zlmopt::splitnameopt(inc(value), n, k)) return 0;
    outc(name, n);
    put(number, k);
    return 1;
  });
}
#endif
