// The solver table's solver-link libraries: the library line, loading and entry lookup,
// the objects' calls and unloading.
#include <cctype>
#include <cstdio>
#include <mutex>

#include "frame/q5text.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"
#include "instance/zlmconf.h"

namespace zlmconf {

namespace {

using lockguard = std::lock_guard<stdthread::tstdmutex>;

constexpr std::string_view objectfailed = "Error while creating solver-link object: ";
constexpr std::string_view deprecatedapi =
    "Unknown reason (solver link library uses deprecated API)";
constexpr std::int32_t msglen = 256;

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

// An entry under its full name in lower case, as written or in upper case.
void* lookup(const q5library::library& lib, const std::string& name) {
  return lib.entryanycase(name);
}

bool absolutepath(std::string_view name) { return name.starts_with('/'); }

// Binds the entries of a freshly loaded library; false with "Entry not found" in msg.
class binder {
 public:
  binder(solverlib& s, std::string_view code, q5rt::sstr& msg) : s_(s), code_(code), msg_(msg) {}

  template <typename F>
  bool entry(F& slot, std::string_view name, bool required) {
    void* p = lookup(s_.lib, prefix_ + code_ + std::string(name));
    slot = reinterpret_cast<F>(p);
    if (p != nullptr) return true;
    msg_ = q5library::entrynotfoundmsg(code_ + std::string(name), s_.path);
    return !required;
  }

  bool bind() {
    const bool prefixed = lookup(s_.lib, "D__" + code_ + "XCheck") != nullptr;
    const bool x = prefixed || lookup(s_.lib, code_ + "XCheck") != nullptr;
    if (prefixed) prefix_ = "C__";
    if (x) {
      if (!entry(s_.entxcreate, "XCreate", true) || !entry(s_.entfree, "XFree", true)) return false;
    } else if (!entry(s_.entcreate, "Create", true) || !entry(s_.entfree, "Free", true)) {
      return false;
    }
    (void)entry(s_.entinitialize, "Initialize", false);
    (void)entry(s_.entfinalize, "Finalize", false);
    if (s_.entinitialize != nullptr) s_.entinitialize();
    if (s_.interfacetype == 1) {
      if (x ? !entry(s_.entxreadyapi, "ReadyAPI", true)
            : !entry(s_.entreadyapi, "ReadyAPI", true)) {
        return false;
      }
      if (!entry(s_.entcallsolver, "CallSolver", true)) return false;
      modprob =
          entry(s_.entmodifyproblem, "ModifyProblem", false) && s_.entmodifyproblem != nullptr;
      return true;
    }
    return entry(s_.entreadyapi, "CallSolver", true);
  }

  bool modprob = false;

 private:
  solverlib& s_;
  std::string code_;
  q5rt::sstr& msg_;
  std::string prefix_;
};

}  // namespace

solverlib::~solverlib() {
  if (!lib.loaded()) return;
  if (entfinalize != nullptr) entfinalize();
  if (liveobjects != 0) q5rt::output().writeln(unfreedobjects);
  if (staysloaded) lib.release();
}

std::int32_t tzlmconf::scalglibinfo(std::int32_t k, q5rt::sstr& libname, q5rt::sstr& auditcode,
                                    std::int32_t& threadsafe) const {
  threadsafe = 0;
  if (k == 0) return 0;
  const std::string_view line = solvers.getrec(k).libline;
  const std::size_t b1 = line.find(' ');
  if (line.empty() || b1 == std::string_view::npos) return 0;
  const std::size_t b2 = line.find(' ', b1 + 1);
  if (b2 == std::string_view::npos) return 0;
  libname.assign_cut(trimmed(line.substr(0, b1)));
  auditcode.assign_cut(trimmed(line.substr(b1 + 1, b2 - b1 - 1)));
  const std::size_t b3 = line.find(' ', b2 + 1);
  if (b3 == std::string_view::npos) return strutilx::strasint(line.substr(b2 + 1));
  const std::size_t b4 = line.find(' ', b3 + 1);
  threadsafe =
      strutilx::strasint(line.substr(b3 + 1, b4 == std::string_view::npos ? b4 : b4 - b3 - 1));
  return strutilx::strasint(line.substr(b2 + 1, b3 - b2 - 1));
}

std::int32_t tzlmconf::cfgalglibinfo(std::int32_t k, q5rt::sstr& libname,
                                     q5rt::sstr& auditcode) const {
  libname.clear();
  auditcode.clear();
  std::int32_t threadsafe = 0;
  return scalglibinfo(k, libname, auditcode, threadsafe);
}

q5rt::sstr tzlmconf::scalgslvprefix(std::int32_t k) const {
  q5rt::sstr name, code;
  std::int32_t ts = 0;
  return scalglibinfo(k, name, code, ts) > 0 ? code : q5rt::sstr();
}

std::int32_t tzlmconf::scalgthreadsafeindic(std::int32_t k) const {
  q5rt::sstr name, code;
  std::int32_t ts = 0;
  return scalglibinfo(k, name, code, ts) > 0 ? ts : 0;
}

bool tzlmconf::scgetmodprob(std::int32_t k) {
  if (k <= 0 || k > getnumalgs()) return false;
  talgrecord& r = solvers.getrec(k);
  if (r.modprob != -1) return r.modprob == 1;
  r.modprob = 0;
  if (r.linestofollow < 2) return false;
  q5rt::sstr name, code;
  std::int32_t ts = 0;
  if (scalglibinfo(k, name, code, ts) == 1) {
    q5library::library lib;
    q5rt::sstr msg;
    if (lib.load(name, msg) && lookup(lib, std::string(code.view()) + "ModifyProblem") != nullptr) {
      r.modprob = 1;
    }
  }
  return r.modprob == 1;
}

// A failure while binding leaves nothing loaded: the next create starts afresh. Once
// bound, the library stays loaded until the table goes, also when a create fails.
bool tzlmconf::sccreate(std::int32_t k, void*& handle, std::string_view dir, q5rt::sstr& msg) {
  msg.clear();
  handle = nullptr;
  solverlib* s = nullptr;
  {
    lockguard g(mutex);
    lastsolver = k;
    talgrecord& rec = solvers.getrec(k);
    auto at = libs.find(k);
    if (at == libs.end()) {
      auto fresh = std::make_unique<solverlib>();
      q5rt::sstr libname, code;
      std::int32_t ts = 0;
      fresh->interfacetype = scalglibinfo(k, libname, code, ts);
      fresh->solvername = k == 0 ? "UnknownSolver" : std::string(rec.solverid.view());
      fresh->staysloaded = fresh->solvername == keptloadedsolver;
      fresh->path = dir.empty() || absolutepath(libname.view())
                        ? std::string(libname.view())
                        : std::string(strutilx::includetrailingpathdelimiterex(dir).view()) +
                              std::string(libname.view());
      if (fresh->interfacetype != 1 && fresh->interfacetype != 2) {
        msg = q5rt::concat(fresh->solvername, " not a LoadLibrary type solver");
        return false;
      }
      q5rt::sstr why;
      if (!fresh->lib.load(fresh->path, why)) {
        msg = q5library::loadfailure(why, fresh->path);
        return false;
      }
      binder b(*fresh, code.view(), msg);
      if (!b.bind()) return false;  // the destructor finalizes and closes
      rec.modprob = fresh->interfacetype == 1 && b.modprob ? 1 : 0;
      at = libs.emplace(k, std::move(fresh)).first;
    }
    s = at->second.get();  // stays loaded until the table goes
  }
  char buffer[msglen] = {};
  bool made = false;
  if (s->entcreate != nullptr) {
    made = s->entcreate(&handle, buffer, msglen) == 0 && handle != nullptr;
  } else {
    std::snprintf(buffer, sizeof buffer, "%s", deprecatedapi.data());
    s->entxcreate(&handle);
    made = handle != nullptr;
  }
  if (made) {
    lockguard g(mutex);
    ++s->liveobjects;
    return true;
  }
  buffer[msglen - 1] = '\0';
  msg = q5rt::concat(objectfailed, std::string_view(buffer));
  handle = nullptr;
  return false;
}

namespace {

solverlib* loaded(solverlibs& libs, stdthread::tstdmutex& mutex, std::int32_t k) {
  lockguard g(mutex);
  const auto at = libs.find(k);
  return at == libs.end() ? nullptr : at->second.get();
}

}  // namespace

std::int32_t tzlmconf::screadyapi(std::int32_t k, void* p, void* q) {
  const solverlib* s = loaded(libs, mutex, k);
  if (s == nullptr || s->interfacetype != 1) return 0;
  if (s->entxreadyapi != nullptr) return s->entxreadyapi(p, q, nullptr);
  return reinterpret_cast<solverlib::ready2fn>(s->entreadyapi)(p, q);
}

std::int32_t tzlmconf::scmodifyproblem(std::int32_t k, void* p) {
  const solverlib* s = loaded(libs, mutex, k);
  if (s == nullptr || s->interfacetype != 1 || s->entmodifyproblem == nullptr) return 0;
  return s->entmodifyproblem(p);
}

std::int32_t tzlmconf::sccallsolver(std::int32_t k, void* p, void* q) {
  const solverlib* s = loaded(libs, mutex, k);
  if (s == nullptr) return 0;
  if (s->interfacetype == 1) return s->entcallsolver(p);
  return reinterpret_cast<solverlib::call2fn>(s->entreadyapi)(p, q);
}

// Frees the object and counts down; the library stays loaded (with its own state) until
// the table goes.
void tzlmconf::scfree(std::int32_t k, void*& handle) {
  solverlib* s = loaded(libs, mutex, k);
  if (s == nullptr) return;
  if (handle != nullptr) s->entfree(&handle);
  handle = nullptr;
  lockguard g(mutex);
  --s->liveobjects;
}

std::int32_t tzlmconf::scliveobjects(std::int32_t k) {
  const solverlib* s = loaded(libs, mutex, k);
  return s == nullptr ? 0 : s->liveobjects;
}

}  // namespace zlmconf
