// Small solver-link libraries for the solver table's loader tests. Every entry appends its
// name (with the object it was given where one is) as a line to the file that
// SOLVERLINK_TRACE names, so that a test sees the calls in order across loads and unloads.
//   classic (code "abc"): abcCreate, abcFree, abcInitialize, abcFinalize, abcReadyAPI,
//     abcCallSolver (returns 42), abcModifyProblem; SOLVERLINK_NOCALLSOLVER leaves
//     CallSolver out.
//   X (code "xyz"): xyzXCheck, xyzXCreate, xyzXFree, xyzReadyAPI (three arguments),
//     xyzCallSolver (returns 43); SOLVERLINK_PREFIXED exports D__xyzXCheck and C__xyz...
//     for the others.
// SOLVERLINK_FAILCREATE=1 makes Create and XCreate fail.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define SL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

void trace(const char* what) {
  const char* file = std::getenv("SOLVERLINK_TRACE");
  if (file == nullptr) return;
  if (std::FILE* f = std::fopen(file, "a")) {
    std::fprintf(f, "%s\n", what);
    std::fclose(f);
  }
}

bool failcreate() { return std::getenv("SOLVERLINK_FAILCREATE") != nullptr; }

int objects = 0;

void* newobject() { return new int(++objects); }

void freeobject(void** h) {
  if (h != nullptr && *h != nullptr) delete static_cast<int*>(*h);
  if (h != nullptr) *h = nullptr;
}

}  // namespace

#ifdef SOLVERLINK_X
#ifdef SOLVERLINK_PREFIXED
#define SL_NAME(n) C__xyz##n
SL_EXPORT int D__xyzXCheck() { return 1; }
#else
#define SL_NAME(n) xyz##n
SL_EXPORT int xyzXCheck() { return 1; }
#endif

SL_EXPORT void SL_NAME(XCreate)(void** h) {
  trace("XCreate");
  *h = failcreate() ? nullptr : newobject();
}
SL_EXPORT void SL_NAME(XFree)(void** h) {
  trace("XFree");
  freeobject(h);
}
SL_EXPORT void SL_NAME(Initialize)() { trace("Initialize"); }
SL_EXPORT void SL_NAME(Finalize)() { trace("Finalize"); }
SL_EXPORT std::int32_t SL_NAME(ReadyAPI)(void*, void*, void* r) {
  trace(r == nullptr ? "ReadyAPI nil" : "ReadyAPI");
  return 0;
}
SL_EXPORT std::int32_t SL_NAME(CallSolver)(void*) {
  trace("CallSolver");
  return 43;
}

#else  // classic

SL_EXPORT std::int32_t abcCreate(void** h, char* msg, std::int32_t len) {
  trace("Create");
  if (failcreate()) {
    std::snprintf(msg, static_cast<std::size_t>(len), "no licence for abc");
    *h = nullptr;
    return 1;
  }
  *h = newobject();
  return 0;
}
SL_EXPORT void abcFree(void** h) {
  trace("Free");
  freeobject(h);
}
SL_EXPORT void abcInitialize() { trace("Initialize"); }
SL_EXPORT void abcFinalize() { trace("Finalize"); }
SL_EXPORT std::int32_t abcReadyAPI(void*, void*) {
  trace("ReadyAPI");
  return 0;
}
#ifndef SOLVERLINK_NOCALLSOLVER
SL_EXPORT std::int32_t abcCallSolver(void*) {
  trace("CallSolver");
  return 42;
}
#endif
SL_EXPORT std::int32_t abcModifyProblem(void*) {
  trace("ModifyProblem");
  return 7;
}

#endif
