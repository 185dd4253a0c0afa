#include "bridge/bridgeloader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace bridgeloader {

namespace {

using create_fn = void (*)(handle*);
using created_fn = void (*)(handle*, const char*);
using free_fn = void (*)(handle*);
using check_fn = std::int32_t (*)(const char* name, std::int32_t count, const int* codes,
                                  char* msg);
using apiversion_fn = std::int32_t (*)(std::int32_t api, char* msg, std::int32_t* figure);
using setloadpath_fn = void (*)(const char*);

constexpr std::size_t maxpath = 511;
constexpr std::size_t maxsplitpath = 1023;
constexpr std::size_t textbuffer = 256;

template <typename F>
F as(void* p) {
  return reinterpret_cast<F>(p);
}

std::string cased(std::string_view name, int (*change)(int)) {
  std::string s(name);
  for (char& c : s) c = static_cast<char>(change(static_cast<unsigned char>(c)));
  return s;
}

int lower(int c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }
int upper(int c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }
int same(int c) { return c; }

// Holds the mutex while the lock lives; holds nothing while locking is off.
std::unique_lock<std::mutex> hold(const std::unique_ptr<std::mutex>& m) {
  return m ? std::unique_lock<std::mutex>(*m) : std::unique_lock<std::mutex>();
}

// A mutex, or nil when it cannot be made.
std::unique_ptr<std::mutex> makemutex() {
  return std::unique_ptr<std::mutex>(new (std::nothrow) std::mutex);
}

// The name in lower case, as written, then in upper case; the last try's error stays.
void* loadsym(const bridge::libfile& lib, std::string_view name, std::string& error) {
  for (auto change : {lower, same, upper}) {
    if (void* p = lib.symbol(cased(name, change), error)) return p;
    if (error.empty()) error = "symbol has a null address";
  }
  return nullptr;
}

}  // namespace

void setmsg(char* msg, int len, std::string_view text) {
  if (msg == nullptr || len <= 0) return;
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(len - 1));
  std::memcpy(msg, text.data(), n);
  msg[n] = '\0';
}

std::string joinpath(std::string_view dir, std::string_view file, std::string_view defaultname) {
  std::string path(dir);
  if (!path.empty() && path.back() != '/') path += '/';
  path += file.empty() ? defaultname : file;
  if (path.size() > maxpath) path.resize(maxpath);
  return path;
}

splitpath split(std::string_view path) {
  path = path.substr(0, std::min(path.size(), maxsplitpath));
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {"", std::string(path)};
  if (slash == 0) return {"/", std::string(path.substr(1))};
  return {std::string(path.substr(0, slash)), std::string(path.substr(slash + 1))};
}

loader::loader(const instance& p) : p_(p), slots_(p.entries.size(), nullptr) {}

int loader::getready(char* msg, int len) { return libloader({}, {}, msg, len); }

int loader::getreadyd(const char* dir, char* msg, int len) {
  return libloader(dir != nullptr ? dir : "", {}, msg, len);
}

int loader::getreadyl(const char* path, char* msg, int len) {
  if (path == nullptr) return getready(msg, len);
  const splitpath s = split(path);
  return libloader(s.dir, s.file, msg, len);
}

int loader::libloader(std::string_view dir, std::string_view file, char* msg, int len) {
  setmsg(msg, len, "");
  const auto lock = hold(libmutex_);
  if (loaded_) return 1;
  const std::string path = joinpath(dir, file, p_.filename);
  std::string error;
  if (!lib_.open(path, error)) {
    setmsg(msg, len, std::string(couldnotload) + path + ": " + error);
    return 0;
  }
  setmsg(msg, len, "");
  if (!bindall(msg, len)) {
    // Nothing of a failed load stays: the file is closed, every pointer cleared.
    clearentries();
    lib_.close();
    return 0;
  }
  loaded_ = true;
  if (setloadpath_ != nullptr && !dir.empty())
    as<setloadpath_fn>(setloadpath_)(std::string(dir).c_str());
  return 1;
}

bool loader::bindall(char* msg, int len) {
  std::string error;
  const auto mandatory = [&](std::string_view name, void*& p) {
    if (name.empty()) return true;
    p = loadsym(lib_, name, error);
    if (p == nullptr)
      setmsg(msg, len, std::string(couldnotloadsymbol) + std::string(name) + "': " + error);
    return p != nullptr;
  };
  if (!mandatory(p_.xcreate, xcreate_) || !mandatory(p_.xcreated, xcreated_) ||
      !mandatory(p_.xfree, xfree_) || !mandatory(p_.xcheck, xcheck_) ||
      !mandatory(p_.xapiversion, xapiversion_))
    return false;

  char text[textbuffer] = {};
  std::int32_t figure = 0;
  const std::int32_t accepted = as<apiversion_fn>(xapiversion_)(p_.apiversion, text, &figure);
  if (accepted == 0) {
    setmsg(msg, len, text);
    return false;
  }
  if (p_.loadpath) {
    setloadpath_ = loadsym(lib_, "CoptSetLoadPath", error);
    getloadpath_ = loadsym(lib_, "CoptGetLoadPath", error);
  }
  for (std::size_t i = 0; i < p_.entries.size(); ++i) {
    const entrydesc& e = p_.entries[i];
    text[0] = '\0';
    const std::int32_t confirmed =
        as<check_fn>(xcheck_)(std::string(e.name).c_str(), e.paramcount, e.codes, text);
    setmsg(msg, len, text);
    if (confirmed == 0) {
      slots_[i] = e.stub;
      continue;
    }
    const std::string looked = (e.text ? "C" : "") + std::string(e.name);
    slots_[i] = loadsym(lib_, looked, error);
    if (slots_[i] == nullptr) {
      setmsg(msg, len, std::string(couldnotloadsymbol) + looked + "': " + error);
      return false;
    }
  }
  return true;
}

void loader::clearentries() {
  xcreate_ = xcreated_ = xfree_ = xcheck_ = xapiversion_ = nullptr;
  setloadpath_ = getloadpath_ = nullptr;
  std::fill(slots_.begin(), slots_.end(), nullptr);
}

int loader::finishcreate(int ready, handle* h, const char* dir, char* msg, int len) {
  if (ready == 0) return 0;
  if (h == nullptr) return 0;
  if (dir != nullptr)
    as<created_fn>(xcreated_)(h, dir);
  else
    as<create_fn>(xcreate_)(h);
  if (*h == nullptr) {
    setmsg(msg, len, errorcreating);
    return 0;
  }
  const auto lock = hold(objmutex_);
  ++objectcount_;
  return 1;
}

int loader::create(handle* h, char* msg, int len) {
  return finishcreate(getready(msg, len), h, nullptr, msg, len);
}

int loader::created(handle* h, const char* dir, char* msg, int len) {
  return finishcreate(getreadyd(dir, msg, len), h, nullptr, msg, len);
}

int loader::createl(handle* h, const char* path, char* msg, int len) {
  return finishcreate(getreadyl(path, msg, len), h, nullptr, msg, len);
}

int loader::createdd(handle* h, const char* dir, char* msg, int len) {
  const int ready = getreadyd(dir, msg, len);
  if (ready != 0 && xcreated_ == nullptr) {
    setmsg(msg, len, errorcreating);
    return 0;
  }
  return finishcreate(ready, h, dir != nullptr ? dir : "", msg, len);
}

int loader::free(handle* h) {
  if (h == nullptr || xfree_ == nullptr) return 1;
  as<free_fn>(xfree_)(h);
  const auto lock = hold(objmutex_);
  --objectcount_;
  return 1;
}

int loader::objectcount() const {
  const auto lock = hold(objmutex_);
  return objectcount_;
}

int loader::libraryloaded() const {
  const auto lock = hold(libmutex_);
  return loaded_ ? 1 : 0;
}

int loader::libraryunload() {
  if (objectcount() > 0) return 0;
  const auto lock = hold(libmutex_);
  lib_.close();
  loaded_ = false;
  clearentries();
  return 1;
}

int loader::correctlibraryversion(char* msg, int len) {
  setmsg(msg, len, "");
  const auto lock = hold(libmutex_);
  if (!loaded_) {
    setmsg(msg, len, notinitialized);
    return 0;
  }
  if (xapiversion_ == nullptr) {
    setmsg(msg, len, p_.noversion);
    return 0;
  }
  char text[textbuffer] = {};
  std::int32_t figure = 0;
  (void)as<apiversion_fn>(xapiversion_)(p_.apiversion, text, &figure);
  setmsg(msg, len, text);
  return figure == 1 ? 1 : 0;
}

void loader::errorhandling(std::string_view text) {
  ++apierrorcount_;
  if (screen_ != 0) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  const errorcallback callback = geterrorcallback();
  if (callback != nullptr && callback(apierrorcount_, std::string(text).c_str()) != 0)
    std::exit(123);
  if (exit_ != 0) std::exit(123);
}

errorcallback loader::geterrorcallback() const {
  const auto lock = hold(exceptmutex_);
  return callback_;
}

void loader::seterrorcallback(errorcallback cb) {
  const auto lock = hold(exceptmutex_);
  callback_ = cb;
}

void loader::initmutexes() {
  if (mutexinitialized_) return;
  const std::pair<std::unique_ptr<std::mutex>*, std::string_view> mutexes[] = {
      {&libmutex_, "libMutex"}, {&objmutex_, "objMutex"}, {&exceptmutex_, "exceptMutex"}};
  for (const auto& [m, name] : mutexes) {
    *m = makemutex();
    if (*m == nullptr) errorhandling(std::string(problemmutex) + std::string(name));
  }
  mutexinitialized_ = true;
}

void loader::finimutexes() {
  if (!mutexinitialized_) return;
  libmutex_.reset();
  objmutex_.reset();
  exceptmutex_.reset();
  mutexinitialized_ = false;
}

void loader::stubfailure(std::size_t i) {
  const entrydesc& e = p_.entries[i];
  char explanation[textbuffer] = {};
  if (xcheck_ != nullptr)
    (void)as<check_fn>(xcheck_)(std::string(e.name).c_str(), e.paramcount, e.codes, explanation);
  errorhandling(std::string(e.name) + std::string(stubtext) + explanation);
}

}  // namespace bridgeloader
