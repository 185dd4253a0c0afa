// The solver-link libraries of the solver table: a solver may live in a shared library
// named in its library line ("libName auditCode solverInterfaceType [threadSafeIndic]"),
// whose entries carry the audit code as prefix. The table's operations (sccreate,
// screadyapi, scmodifyproblem, sccallsolver, scfree in zlmconf.h) load the library on the
// first create (Initialize) and keep it, with its own state, between objects; the table
// finalizes and unloads every loaded library when it goes (one Initialize and one Finalize
// per solver), except the library of the solver that stays loaded. This file holds the
// per-solver library state.
//
// Interfaces: classic (Create, Free) or X (XCheck, XCreate, XFree; with "D__" + code +
// "XCheck" every further entry is looked up as "C__" + code + name). Interface type 1 has
// ReadyAPI and CallSolver (and optionally ModifyProblem), type 2 only CallSolver.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "frame/q5library.h"

namespace zlmconf {

// The entries of one loaded solver library, as the table calls them.
struct solverlib {
  using createfn = std::int32_t (*)(void** handle, char* msg, std::int32_t msglen);
  using xcreatefn = void (*)(void** handle);
  using freefn = void (*)(void** handle);
  using procfn = void (*)();
  using ready2fn = std::int32_t (*)(void* p, void* q);
  using ready3fn = std::int32_t (*)(void* p, void* q, void* r);
  using call1fn = std::int32_t (*)(void* p);
  using call2fn = std::int32_t (*)(void* p, void* q);

  ~solverlib();  // Finalize, then the library is closed unless it is to stay
  q5library::library lib;
  std::string solvername;
  std::string path;
  bool staysloaded = false;  // the library of the solver that is never unloaded
  createfn entcreate = nullptr;
  freefn entfree = nullptr;
  xcreatefn entxcreate = nullptr;
  procfn entinitialize = nullptr;
  procfn entfinalize = nullptr;
  std::int32_t liveobjects = 0;
  std::int32_t interfacetype = 0;
  void* entreadyapi = nullptr;  // ReadyAPI (classic, type 1) or CallSolver (type 2)
  ready3fn entxreadyapi = nullptr;
  call1fn entmodifyproblem = nullptr;
  call1fn entcallsolver = nullptr;
};

// The loaded libraries by solver number.
using solverlibs = std::map<std::int32_t, std::unique_ptr<solverlib>>;

// The solver whose library is never unloaded.
inline constexpr std::string_view keptloadedsolver = "HIGHS";
inline constexpr std::string_view unfreedobjects = "*** Unload libraries with unfreed objects";

}  // namespace zlmconf
