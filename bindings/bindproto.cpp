// The binding engine: loading, entry binding with signature checks, stubs, error handling,
// object counts, unloading and the wrapper base.
#include "bindings/bindproto.h"

#include <algorithm>
#include <mutex>
#include <string>

#include "frame/q5library.h"
#include "frame/q5text.h"
#include "frame/q5utils.h"
#include "frame/strutilx.h"
#include "frame/zlmlibname.h"

namespace bindproto {

namespace {

constexpr std::string_view unknownerror = "Unknown error";
constexpr std::string_view createfailed = "Library is loaded but error while creating object";
constexpr std::string_view unloadrefused = "Could not unload library, object not freed.";
constexpr std::string_view couldnotload = " could not be loaded from ";
constexpr std::string_view unknowncalling = "Unknown error calling ";

using lockguard = std::lock_guard<stdthread::tstdmutex>;

void writeline(std::string_view text) {
  auto& out = q5rt::output();
  out.writeln(text);
  out.flush();
}

// Short-string codes decide the "D__" prefix of the prefixed libraries.
bool hasshortstring(const entrydesc& e) {
  for (int k = 0; k <= e.paramcount; ++k) {
    const int c = e.codes[k];
    if (c == 11 || c == 12 || c == 17 || c == 55 || c == 56) return true;
  }
  return false;
}

template <typename F>
F as(void* p) {
  return reinterpret_cast<F>(p);
}

// A directory with one trailing delimiter removed.
std::string_view withoutdelimiter(std::string_view dir) {
  if (!dir.empty() && dir.back() == '/') dir.remove_suffix(1);
  return dir;
}

}  // namespace

binding::binding(const instance& p)
    : p_(p), slots_(p.entries.size(), nullptr), loaded_(p.entries.size(), nullptr) {}

void binding::startup() {
  libmutex_ = std::make_unique<stdthread::tstdmutex>();
  objmutex_ = std::make_unique<stdthread::tstdmutex>();
  exceptmutex_ = std::make_unique<stdthread::tstdmutex>();
  (void)library_.release();  // a fresh start: nothing of an earlier run is closed here
  xlibraryunload();
}

void binding::closedown() {
  exceptmutex_.reset();
  objmutex_.reset();
  libmutex_.reset();
}

stdthread::tstdmutex& binding::mutex(const std::unique_ptr<stdthread::tstdmutex>& m) const {
  Q5_ASSERT(m != nullptr, "library binding used outside its unit's start-up and close-down");
  return *m;
}

// ---- loading ----

void* binding::lookup(std::string_view name, q5rt::sstr& msg) const {
  if (void* p = library_.entryanycase(name)) return p;
  msg = q5library::entrynotfoundmsg(name, libfilename_.view());
  return nullptr;
}

void binding::loadentry(std::size_t i, bool checked, q5rt::sstr& msg) {
  const entrydesc& e = p_.entries[i];
  void* const fallback = e.stubaddress();
  if (checked) {
    loaded_[i] = nullptr;
    const q5rt::sstr name = q5rt::sstr::cut(e.name);
    if (xcheck_(&name, e.paramcount, e.codes, &msg) <= 0) {
      slots_[i] = fallback;
      return;
    }
  }
  const q5rt::sstr lookname = p_.prefix == prefixrule::dc
                                  ? q5rt::concat(hasshortstring(e) ? "D__" : "C__", e.name)
                                  : q5rt::sstr::cut(e.name);
  void* const address = lookup(lookname.view(), msg);
  slots_[i] = address != nullptr ? address : fallback;
  if (checked) loaded_[i] = address;
}

binding::loadoutcome binding::libloader(std::string_view dir, std::string_view file,
                                        q5rt::sstr& msg) {
  q5rt::sstr defaultname;
  if (file.empty()) file = zlmlibname::zolmlibnameq5(defaultname, p_.basename).view();
  const std::string_view loaddir = dir.empty() ? std::string_view() : withoutdelimiter(dir);
  std::string path;
  if (!dir.empty()) {
    path.assign(loaddir);
    path += '/';
  }
  path += file;
  libfilename_.assign_cut(path);
  if (path.size() > q5rt::sstr::capacity) {  // never open a cut path
    msg = q5rt::concat(q5library::pathtoolong, path);
    return loadoutcome::notopened;
  }

  msg.clear();
  if (!library_.load(path, msg)) {
    msg = q5library::loadfailure(msg, path);
    return loadoutcome::notopened;
  }

  if (!p_.setloadpath.empty()) setloadpath_ = as<setloadpath_fn>(lookup(p_.setloadpath, msg));
  if (!p_.getloadpath.empty()) getloadpath_ = as<getloadpath_fn>(lookup(p_.getloadpath, msg));
  msg.clear();

  const auto fail = [&] {
    const q5rt::sstr none;
    if (setloadpath_ != nullptr) setloadpath_(&none);
    xlibraryunload();
    return loadoutcome::failed;
  };
  void* core[5] = {};
  const std::string_view corenames[5] = {p_.xcreate, p_.xcreated, p_.xfree, p_.xcheck,
                                         p_.xapiversion};
  for (int k = 0; k < 5; ++k) {
    if (corenames[k].empty()) continue;
    core[k] = lookup(corenames[k], msg);
    if (core[k] == nullptr) return fail();
  }
  xcreate_ = as<xcreate_fn>(core[0]);
  xcreated_ = as<xcreated_fn>(core[1]);
  xfree_ = as<xfree_fn>(core[2]);
  xcheck_ = as<xcheck_fn>(core[3]);
  xapiversion_ = as<xapiversion_fn>(core[4]);

  if (!p_.initialize.empty()) initialize_ = as<proc_fn>(lookup(p_.initialize, msg));
  if (!p_.finalize.empty()) finalize_ = as<proc_fn>(lookup(p_.finalize, msg));
  if (initialize_ != nullptr) initialize_();

  std::int32_t level = -1;
  if (xapiversion_(p_.apiversion, &msg, &level) == 0) return fail();

  for (std::size_t i = 0; i < p_.entries.size(); ++i) loadentry(i, level >= 0, msg);

  if (setloadpath_ != nullptr) {
    const q5rt::sstr l = q5rt::sstr::cut(loaddir);
    setloadpath_(&l);
  }
  return loadoutcome::loaded;
}

void binding::xlibraryunload() {
  if (library_.loaded()) {
    if (finalize_ != nullptr) finalize_();
    (void)library_.close();
  }
  xcreate_ = nullptr;
  xcreated_ = nullptr;
  xfree_ = nullptr;
  xcheck_ = nullptr;
  xapiversion_ = nullptr;
  initialize_ = nullptr;
  finalize_ = nullptr;
  setloadpath_ = nullptr;
  getloadpath_ = nullptr;
  std::fill(slots_.begin(), slots_.end(), nullptr);
  std::fill(loaded_.begin(), loaded_.end(), nullptr);
}

// ---- getting ready ----

bool binding::readyunlocked(std::string_view dir, std::string_view file, q5rt::sstr& msg) {
  if (library_.loaded()) {
    msg.clear();
    return true;
  }
  return libloader(dir, file, msg) == loadoutcome::loaded;
}

bool binding::getready(q5rt::sstr& msg) {
  lockguard g(mutex(libmutex_));
  return readyunlocked({}, {}, msg);
}

bool binding::getreadyd(std::string_view dir, q5rt::sstr& msg) {
  lockguard g(mutex(libmutex_));
  return readyunlocked(dir, {}, msg);
}

bool binding::getreadyl(std::string_view path, q5rt::sstr& msg) {
  const auto slash = path.rfind('/');
  const std::string_view dir =
      slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
  const std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
  lockguard g(mutex(libmutex_));
  return readyunlocked(dir, file, msg);
}

bool binding::getreadyxin(std::string_view exedir, q5rt::sstr& msg) {
  lockguard g(mutex(libmutex_));
  if (library_.loaded()) {
    msg.clear();
    return true;
  }
  const loadoutcome first = libloader(exedir, {}, msg);
  if (first != loadoutcome::notopened) return first == loadoutcome::loaded;
  return libloader({}, {}, msg) == loadoutcome::loaded;
}

bool binding::getreadyx(q5rt::sstr& msg) {
  q5rt::sstr exe;
  q5utils::paramstrzero(exe);
  const q5rt::sstr exedir = strutilx::extractfilepathex(exe.view());
  return getreadyxin(exedir.view(), msg);
}

// ---- objects ----

bool binding::finishcreate(bool ready, handle& h, q5rt::sstr& msg, std::string_view createddir,
                           bool withdir) {
  h = nullptr;
  if (!ready) {
    if (msg.empty()) msg.assign_cut(unknownerror);
    return false;
  }
  if (withdir) {
    Q5_ASSERT(xcreated_ != nullptr, "createdd on a library without XCreateD");
    const q5rt::sstr d = q5rt::sstr::cut(createddir);
    xcreated_(&h, &d);
  } else {
    xcreate_(&h);
  }
  if (h == nullptr) {
    msg.assign_cut(createfailed);
    return false;
  }
  lockguard g(mutex(objmutex_));
  ++objectcount_;
  return true;
}

bool binding::create(handle& h, q5rt::sstr& msg) {
  const bool ready = getready(msg);
  return finishcreate(ready, h, msg, {}, false);
}

bool binding::createx(handle& h, q5rt::sstr& msg) {
  const bool ready = getreadyx(msg);
  return finishcreate(ready, h, msg, {}, false);
}

bool binding::created(handle& h, std::string_view dir, q5rt::sstr& msg) {
  const bool ready = getreadyd(dir, msg);
  return finishcreate(ready, h, msg, {}, false);
}

bool binding::createdd(handle& h, std::string_view dir, q5rt::sstr& msg) {
  const bool ready = getreadyd(dir, msg);
  return finishcreate(ready, h, msg, dir, true);
}

bool binding::createl(handle& h, std::string_view path, q5rt::sstr& msg) {
  const bool ready = getreadyl(path, msg);
  return finishcreate(ready, h, msg, {}, false);
}

void binding::free(handle& h) {
  if (xfree_ == nullptr || h == nullptr) return;  // a nil handle was never counted
  xfree_(&h);
  h = nullptr;
  lockguard g(mutex(objmutex_));
  --objectcount_;
}

// ---- state ----

bool binding::libraryloaded() {
  lockguard g(mutex(libmutex_));
  return library_.loaded();
}

void binding::libraryunload() {
  lockguard g(mutex(libmutex_));
  if (library_.loaded()) {
    lockguard o(mutex(objmutex_));
    if (objectcount_ != 0) {
      writeline(unloadrefused);
      return;
    }
  }
  xlibraryunload();
}

bool binding::funcloaded(const void* p) const {
  if (p == nullptr) return false;
  return std::find(loaded_.begin(), loaded_.end(), p) != loaded_.end();
}

void binding::seterrorcallback(errorcallback cb) {
  lockguard g(mutex(exceptmutex_));
  callback_ = cb;
}

// ---- errors ----

void binding::errorhandling(std::string_view msg) {
  ++apierrorcount_;
  if (screen_) writeline(msg);
  if (exception_)  // the text names the unit (optdcdef, ...) and the instance's line
    throw q5rt::assertion_error(msg, std::string(p_.unit).c_str(), p_.where.line);
  bool endrun = false;
  {
    lockguard g(mutex(exceptmutex_));  // released before the run ends
    if (callback_ != nullptr) endrun = callback_(apierrorcount_, q5rt::sstr::cut(msg)) != 0;
  }
  if (endrun || exit_) q5rt::halt(123);
}

void binding::stubfailure(std::size_t i) {
  const entrydesc& e = p_.entries[i];
  q5rt::sstr why;
  if (xcheck_ != nullptr) {
    const q5rt::sstr name = q5rt::sstr::cut(e.name);
    (void)xcheck_(&name, e.paramcount, e.codes, &why);
  }
  errorhandling(q5rt::concat(e.name, couldnotload, libfilename_, ": ", why));
}

// ---- wrapper ----

wrapper::wrapper(binding& lib, std::string_view classtext, q5rt::sstr& msg) : lib_(lib) {
  settle(lib.create(handle_, msg), classtext, "Create", msg);
}

wrapper::wrapper(binding& lib, std::string_view classtext, createx_t, q5rt::sstr& msg) : lib_(lib) {
  settle(lib.createx(handle_, msg), classtext, "CreateX", msg);
}

wrapper::wrapper(binding& lib, std::string_view classtext, created_t, std::string_view dir,
                 q5rt::sstr& msg)
    : lib_(lib) {
  settle(lib.created(handle_, dir, msg), classtext, "CreateD", msg);
}

wrapper::wrapper(binding& lib, std::string_view classtext, createdd_t, std::string_view dir,
                 q5rt::sstr& msg)
    : lib_(lib) {
  settle(lib.createdd(handle_, dir, msg), classtext, "CreateDD", msg);
}

wrapper::wrapper(binding& lib, std::string_view classtext, createl_t, std::string_view path,
                 q5rt::sstr& msg)
    : lib_(lib) {
  settle(lib.createl(handle_, path, msg), classtext, "CreateL", msg);
}

wrapper::wrapper(binding& lib, std::string_view classtext, withhandle_t, handle h, q5rt::sstr& msg)
    : handle_(h), lib_(lib), owns_(false) {
  settle(lib.getready(msg), classtext, "CreateWithHandle", msg);
}

wrapper::~wrapper() {
  if (owns_) lib_.free(handle_);
}

void wrapper::settle(bool ok, std::string_view classtext, std::string_view variant,
                     q5rt::sstr& msg) {
  if (ok) {
    msg.clear();
    return;
  }
  handle_ = nullptr;
  if (msg.empty()) msg = q5rt::concat(unknowncalling, classtext, ".", variant);
}

}  // namespace bindproto
