// Shared libraries through dlopen, library file names, the executable's and image's path.
#include "frame/q5library.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "frame/q5platform.h"
#include "frame/strutilx.h"

namespace q5library {

libhandle q5loadlibrary(std::string_view path, q5rt::sstr& msg) {
  const std::string cpath(path);
  libhandle h = ::dlopen(cpath.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (h != nullptr) {
    msg.clear();
    return h;
  }
  const char* text = ::dlerror();
  msg.assign_cut(text != nullptr ? std::string_view(text)
                                 : std::string_view("No message available"));
  return nullptr;
}

void* q5getprocaddress(libhandle h, std::string_view name) {
  // A nil handle would mean "search everything loaded" to dlsym; no library holds nothing.
  if (h == nullptr) return nullptr;
  const std::string cname(name);
  (void)::dlerror();  // clear what an earlier call left pending
  void* address = ::dlsym(h, cname.c_str());
  return ::dlerror() != nullptr ? nullptr : address;
}

bool q5freelibrary(libhandle h) { return h != nullptr && ::dlclose(h) == 0; }

q5rt::sstr loadfailure(const q5rt::sstr& loadermsg, std::string_view path) {
  return q5rt::concat(loadermsg, problemloading, path, ")");
}

q5rt::sstr entrynotfoundmsg(std::string_view entry, std::string_view file) {
  return q5rt::concat(entrynotfound, entry, " in ", file);
}

library& library::operator=(library&& other) noexcept {
  if (this != &other) {
    (void)close();
    h_ = other.release();
  }
  return *this;
}

bool library::load(std::string_view path, q5rt::sstr& msg) {
  (void)close();
  h_ = q5loadlibrary(path, msg);
  return h_ != nullptr;
}

void* library::entryanycase(std::string_view name) const {
  for (const q5rt::sstr& spelling :
       {strutilx::lowercase(name), q5rt::sstr::cut(name), strutilx::uppercase(name)})
    if (void* p = entry(spelling.view())) return p;
  return nullptr;
}

bool library::close() {
  const bool closed = q5freelibrary(h_);
  h_ = nullptr;
  return closed;
}

int xgetexecname(q5rt::sstr& name, q5rt::sstr& msg) {
  name.clear();
  msg.clear();
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf);
  if (n <= 0) {
    const int err = errno;
    msg = q5rt::concat("proc_pidpath(pid=", std::to_string(::getpid()),
                       ") failed: ", q5rt::syserrortext(err));
    return 4;
  }
  return detail::storepath(std::string_view(buf, static_cast<std::size_t>(n)), name);
}

int xgetlibname(q5rt::sstr& name, q5rt::sstr& msg) {
  name.clear();
  msg.clear();
  Dl_info info{};
  if (::dladdr(reinterpret_cast<const void*>(&xgetlibname), &info) == 0 ||
      info.dli_fname == nullptr) {
    msg.assign_cut("dladdr() failure");
    return 4;
  }
  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(info.dli_fname, nullptr),
                                                             &std::free);
  if (!resolved) {
    const int err = errno;
    msg = q5rt::concat("realpath() failure: ", q5rt::syserrortext(err));
    return 5;
  }
  return detail::storepath(resolved.get(), name);
}

namespace detail {

std::string_view libraryext() {
  return q5platform::osdllextension[q5platform::code(q5platform::osplatform())];
}

std::string_view libraryprefix() {
  return q5platform::osdllprefix[q5platform::code(q5platform::osplatform())];
}

std::string makelibname(std::string_view dir, std::string_view base) {
  std::string name;
  if (!dir.empty()) {
    if (dir.back() == '/') dir.remove_suffix(1);
    name.assign(dir);
    name += '/';
  }
  name += libraryprefix();
  name += base;
  name += libraryext();
  return name;
}

int storepath(std::string_view path, q5rt::sstr& name) {
  name.assign_cut(path);
  return path.size() > q5rt::sstr::capacity ? 1 : 0;
}

bool inexecutable(const void* code) {
  Dl_info info{};
  link_map* own = nullptr;
  if (::dladdr1(code, &info, reinterpret_cast<void**>(&own), RTLD_DL_LINKMAP) == 0 ||
      own == nullptr)
    return false;
  void* program = ::dlopen(nullptr, RTLD_NOW);
  link_map* programmap = nullptr;
  const bool known = program != nullptr && ::dlinfo(program, RTLD_DI_LINKMAP, &programmap) == 0;
  if (program != nullptr) ::dlclose(program);
  return known && own == programmap;
}

namespace {

std::string joined(std::string_view dir, std::string_view name) {
  std::string path(dir);
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

bool isexecutablefile(const std::string& path) {
  struct stat st {};
  return ::access(path.c_str(), X_OK) == 0 && ::stat(path.c_str(), &st) == 0 &&
         !S_ISDIR(st.st_mode);
}

// The first executable non-directory named word along the ':'-separated directories.
std::string searchpath(std::string_view word, std::string_view cwd, std::string_view pathvar) {
  while (!pathvar.empty()) {
    const auto colon = pathvar.find(':');
    std::string_view dir = pathvar.substr(0, colon);
    pathvar.remove_prefix(colon == std::string_view::npos ? pathvar.size() : colon + 1);
    if (dir.empty()) continue;
    std::string candidate = dir == "."           ? joined(cwd, word)
                            : dir.front() == '/' ? joined(dir, word)
                                                 : joined(joined(cwd, dir), word);
    if (isexecutablefile(candidate)) return candidate;
  }
  return {};
}

}  // namespace

std::string argzerofrom(std::string_view word, std::string_view cwd, std::string_view pathvar) {
  std::string found;
  if (word.empty()) return {};
  if (word.front() == '/') {
    found.assign(word);
  } else if (word.find('/') != std::string_view::npos) {
    if (word.substr(0, 2) == "./") word.remove_prefix(2);
    found = joined(cwd, word);
  } else {
    found = searchpath(word, cwd, pathvar);
  }
  if (found.empty()) return {};
  // One symbolic link is followed; a relative target is relative to the link's folder.
  char target[4096];
  const ssize_t n = ::readlink(found.c_str(), target, sizeof target);
  if (n > 0 && static_cast<std::size_t>(n) < sizeof target) {
    const std::string_view t(target, static_cast<std::size_t>(n));
    found = t.front() == '/' ? std::string(t) : joined(found.substr(0, found.rfind('/')), t);
  }
  if (found.front() != '/') found = joined(cwd, found);
  return found.size() > 254 ? std::string() : found;
}

}  // namespace detail

}  // namespace q5library
