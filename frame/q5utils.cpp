// Thin platform layer: file names, environment, descriptors, counted memory, host facts.
#include "frame/q5utils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "frame/q5library.h"
#include "frame/q5platform.h"
#include "frame/q5text.h"
#include "frame/strutilx.h"

namespace q5utils {

namespace {

constexpr std::string_view unknown_text = "unknown";

// Zero-terminated copy of a short text for the C library.
std::string cstr(std::string_view s) { return std::string(s); }

char pathlistseparator() {
  return q5platform::osfiletype() == q5platform::filetype::windows_style ? ';' : ':';
}

// The variable's value, or nullptr when it does not exist.
const char* getvar(std::string_view name) { return std::getenv(cstr(name).c_str()); }

bool setvar(std::string_view name, std::string_view value) {
  if (name.empty()) return false;
  return ::setenv(cstr(name).c_str(), cstr(value).c_str(), 1) == 0;
}

// Puts dir in front of the variable; false when the new value cannot be built or set.
bool prefixvar(std::string_view varname, std::string_view dir) {
  try {
    const char* old = getvar(varname);
    return setvar(varname, detail::prefixed(dir, pathlistseparator(), old ? old : ""));
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// The running executable's directory: argument zero's directory part without its trailing
// delimiter.
std::string exedir() {
  q5rt::sstr zero;
  const std::string_view full = paramstrzero(zero).view();
  const auto slash = full.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(full.substr(0, slash));
}

bool valid(filehandle h) { return h >= 0; }

// ---- counted allocator: a header before each block holds its size ----

constexpr std::size_t header = alignof(std::max_align_t);
std::atomic<std::int64_t> allocated{0};

std::byte* base_of(void* block) { return static_cast<std::byte*>(block) - header; }

std::int64_t size_of(void* block) {
  std::int64_t size;
  std::memcpy(&size, base_of(block), sizeof size);
  return size;
}

// A new block of size bytes (size > 0) whose header holds the size.
void* counted(void* base, std::int64_t size) {
  if (base == nullptr) throw q5rt::exception("Out of memory");
  std::memcpy(base, &size, sizeof size);
  allocated += size;
  return static_cast<std::byte*>(base) + header;
}

std::size_t total_bytes(std::int64_t size) {
  if (static_cast<std::uint64_t>(size) > SIZE_MAX - header) throw q5rt::exception("Out of memory");
  return static_cast<std::size_t>(size) + header;
}

}  // namespace

// ---- file names ----

q5rt::sstr replacefileext(std::string_view name, std::string_view ext) {
  return strutilx::changefileextex(name, ext);
}

q5rt::sstr completefileext(std::string_view name, std::string_view ext) {
  return strutilx::completefileextex(name, ext);
}

int q5chmod(std::string_view path, std::uint32_t mode) {
  return ::chmod(cstr(path).c_str(), static_cast<mode_t>(mode));
}

int q5removeplainfile(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return ENOENT;
  const std::string name = cstr(path);
  struct stat st {};
  if (::lstat(name.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
  if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return 0;
  return ::unlink(name.c_str()) == 0 || errno == ENOENT ? 0 : errno;
}

// ---- environment ----

bool q5setenv(std::string_view name, std::string_view value) { return setvar(name, value); }

void q5unsetenv(std::string_view name) {
  if (!name.empty()) ::unsetenv(cstr(name).c_str());
}

bool q5issetenv(std::string_view name) { return !name.empty() && getvar(name) != nullptr; }

bool q5setenvpc(std::string_view name, const char* value) {
  if (name.empty()) return false;
  if (value == nullptr) return ::unsetenv(cstr(name).c_str()) == 0;
  return setvar(name, value);
}

std::uint32_t q5getenvpc(std::string_view name, char* buffer, std::uint32_t size) {
  const char* value = name.empty() ? nullptr : getvar(name);
  if (value == nullptr) return 0;
  const std::size_t length = std::strlen(value);
  if (length + 1 > size) return static_cast<std::uint32_t>(length + 1);
  std::memcpy(buffer, value, length + 1);
  return static_cast<std::uint32_t>(length);
}

bool prefixpath(std::string_view dir) { return dir.empty() || prefixvar("PATH", dir); }

q5rt::sstr loadpathvarname() {
  switch (q5platform::osplatform()) {
    case q5platform::platform::linux86_64:
      return q5rt::sstr::cut("LD_LIBRARY_PATH");
    case q5platform::platform::darwin_x64:
    case q5platform::platform::darwin_arm64:
      return q5rt::sstr::cut("DYLD_LIBRARY_PATH");
    default:
      return {};
  }
}

bool prefixloadpath(std::string_view dir) {
  const q5rt::sstr varname = loadpathvarname();
  if (varname.empty()) return true;
  if (!dir.empty()) return prefixvar(varname, dir);
  const std::string own = exedir();
  return !own.empty() && prefixvar(varname, own);
}

bool prefixenv(std::string_view dir, std::string_view varname) {
  if (varname.empty()) return false;
  dir = q5rt::trim(dir);
  if (dir.empty()) return true;
  const char* old = getvar(varname);
  if (old != nullptr && *old != '\0' && detail::firstentryis(old, dir, pathlistseparator()))
    return true;
  return prefixvar(varname, dir);
}

// ---- the running image ----

int q5getexecname(q5rt::sstr& name, q5rt::sstr& msg) {
  name.clear();
  return q5library::xgetexecname(name, msg);
}

int q5getlibname(q5rt::sstr& name, q5rt::sstr& msg) {
  if (q5library::detail::inexecutable(reinterpret_cast<const void*>(&q5getlibname))) {
    name.clear();
    msg.assign_cut("Not called from a library");
    return 2;
  }
  return q5library::xgetlibname(name, msg);
}

const q5rt::sstr& paramstrzero(q5rt::sstr& result) {
  q5rt::sstr msg;
  switch (q5library::xgetexecname(result, msg)) {
    case 0:
      return result;
    case 4: {
      const std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
      const char* path = std::getenv("PATH");
      result.assign_cut(q5library::detail::argzerofrom(
          program_invocation_name, cwd ? cwd.get() : "", path != nullptr ? path : ""));
      return result;
    }
    default:  // a path longer than 255 characters is of no use cut
      result.clear();
      return result;
  }
}

void q5setconsoletitle(std::string_view /*title*/) {}

// ---- files ----

int q5fileopen(std::string_view path, std::uint8_t mode, filehandle& handle) {
  handle = nilhandle;
  if (path.empty()) {
    if (mode > 1) return -1;
    handle = mode;  // standard input or output
    return 0;
  }
  static constexpr int flags[] = {O_RDONLY, O_WRONLY | O_CREAT | O_TRUNC, O_RDWR | O_CREAT};
  const unsigned bits = mode & 3u;
  if (bits == 3) return EINVAL;  // the system would truncate the file
  if (path.find('\0') != std::string_view::npos) return ENOENT;
  int fd;
  do {
    fd = ::open(cstr(path).c_str(), flags[bits] | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno;
  if (fd <= STDERR_FILENO) {  // keep 0 to 2 for the standard descriptors only
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int err = errno;
    ::close(fd);
    if (moved < 0) return err;
    fd = moved;
  }
  if (mode == 0) {
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0)
      err = errno;
    else if (S_ISDIR(st.st_mode))
      err = EISDIR;
    if (err != 0) {
      ::close(fd);
      return err;
    }
  }
  handle = fd;
  return 0;
}

int q5fileclose(filehandle& handle) {
  const filehandle h = handle;
  handle = nilhandle;
  if (!valid(h)) return EBADF;
  if (h <= STDERR_FILENO) return 0;  // the standard descriptors stay open
  return ::close(static_cast<int>(h)) == 0 ? 0 : errno;
}

namespace {

// A whole transfer through a loop of fdio (read_full or write_all).
template <class Buffer, class Loop>
int transfer(filehandle handle, Buffer buffer, std::int64_t count, std::int64_t& done, Loop loop) {
  done = 0;
  if (!valid(handle)) return EBADF;
  if (count < 0) return EINVAL;
  std::size_t moved = 0;
  const int err = loop(static_cast<int>(handle), buffer, static_cast<std::size_t>(count), moved);
  done = static_cast<std::int64_t>(moved);
  return err;
}

}  // namespace

int q5fileread(filehandle handle, void* buffer, std::int64_t count, std::int64_t& done) {
  return transfer(handle, buffer, count, done, &q5rt::fdio::read_full);
}

int q5filewrite(filehandle handle, const void* buffer, std::int64_t count, std::int64_t& done) {
  return transfer(handle, buffer, count, done, &q5rt::fdio::write_all);
}

int q5filegetsize(filehandle handle, std::int64_t& size) {
  size = -1;
  if (handle <= 0) return EBADF;
  struct stat st {};
  if (::fstat(static_cast<int>(handle), &st) != 0) return errno;
  size = st.st_size;
  return 0;
}

int q5filesetpointer(filehandle handle, std::int64_t offset, std::int64_t& position,
                     std::uint32_t origin) {
  if (handle <= 0) return EBADF;
  static constexpr int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (origin > 2) return EINVAL;
  const off_t at = ::lseek(static_cast<int>(handle), offset, whence[origin]);
  if (at < 0) return errno;
  position = at;
  return 0;
}

int q5filegetpointer(filehandle handle, std::int64_t& position) {
  return q5filesetpointer(handle, 0, position, 1);
}

// ---- counted memory ----

void q5getmem64(void*& block, std::int64_t size) {
  block = size <= 0 ? nullptr : counted(std::malloc(total_bytes(size)), size);
}

void* q5allocmem64(std::int64_t size) {
  return size <= 0 ? nullptr : counted(std::calloc(1, total_bytes(size)), size);
}

void q5freemem64(void* block, std::int64_t /*size*/) {
  if (block == nullptr) return;
  allocated -= size_of(block);  // the header's size: a wrong argument cannot skew the total
  std::free(base_of(block));
}

void q5reallocmem64(void*& block, std::int64_t size) {
  if (size <= 0) {
    q5freemem64(block, 0);
    block = nullptr;
    return;
  }
  if (block == nullptr) return q5getmem64(block, size);
  const std::int64_t old = size_of(block);
  void* base = std::realloc(base_of(block), total_bytes(size));
  if (base == nullptr) throw q5rt::exception("Out of memory");  // the old block stays valid
  allocated -= old;
  block = counted(base, size);
}

void q5fillchar64(void* block, std::int64_t count, std::uint8_t value) {
  if (count >= 1) std::memset(block, value, static_cast<std::size_t>(count));
}

void q5move64(const void* source, void* dest, std::int64_t count) {
  if (count >= 1) std::memmove(dest, source, static_cast<std::size_t>(count));
}

std::int64_t q5allocmemsize64() { return allocated; }

// ---- host, user, locale, process ----

q5rt::sstr q5getcomputername() {
  struct utsname u {};
  if (::uname(&u) != 0) return q5rt::sstr::cut(unknown_text);
  return q5rt::sstr::cut(u.nodename);
}

q5rt::sstr q5getusername() {
  char name[256];
  if (::getlogin_r(name, sizeof name) != 0) return q5rt::sstr::cut(unknown_text);
  return q5rt::sstr::cut(name);
}

q5rt::sstr q5pushdeflocale() {
  const char* current = std::setlocale(LC_NUMERIC, nullptr);
  const q5rt::sstr previous = q5rt::sstr::cut(current ? current : "C");
  if (previous == "C") return previous;
  std::setlocale(LC_NUMERIC, "C");
  return previous;
}

void q5popdeflocale(std::string_view name) {
  if (name == "C") return;
  std::setlocale(LC_NUMERIC, cstr(name.substr(0, 31)).c_str());
}

bool q5getmemoryinfo(std::int64_t& resident, std::int64_t& virtualsize) {
  return q5getmemoryinfoex(-1, resident, virtualsize);
}

bool q5getmemoryinfoex(std::int64_t pid, std::int64_t& resident, std::int64_t& virtualsize) {
  resident = virtualsize = 0;
  std::string path = "/proc/self/statm";
  if (pid != -1) {
    if (pid <= 0) return false;
    path = "/proc/" + std::to_string(pid) + "/statm";
  }
  filehandle h = nilhandle;
  if (q5fileopen(path, 0, h) != 0) return false;
  char text[256];
  std::int64_t got = 0;
  const int rc = q5fileread(h, text, sizeof text, got);
  (void)q5fileclose(h);
  return rc == 0 && detail::parsestatm({text, static_cast<std::size_t>(got)},
                                       ::sysconf(_SC_PAGESIZE), resident, virtualsize);
}

int q5senddatamessage(int /*kind*/, std::string_view /*text1*/, std::string_view /*text2*/) {
  return 0;
}

double realtrunc(double x) { return std::trunc(x); }

double realround(double x) { return std::round(x); }

// ---- detail ----

namespace detail {

std::string prefixed(std::string_view dir, char sep, std::string_view old) {
  std::string value;
  value.reserve(dir.size() + (old.empty() ? 0 : 1 + old.size()));
  value.append(dir);
  if (!old.empty()) {
    value.push_back(sep);
    value.append(old);
  }
  return value;
}

bool firstentryis(std::string_view value, std::string_view dir, char sep) {
  return value.starts_with(dir) && (value.size() == dir.size() || value[dir.size()] == sep);
}

bool parsestatm(std::string_view text, std::int64_t pagesize, std::int64_t& resident,
                std::int64_t& virtualsize) {
  resident = virtualsize = 0;
  std::int64_t pages[2] = {0, 0};
  const char* p = text.data();
  const char* end = p + text.size();
  for (auto& n : pages) {
    while (p < end && *p == ' ') ++p;
    const auto [next, ec] = std::from_chars(p, end, n);
    if (ec != std::errc() || n < 0 || pagesize <= 0) return false;
    p = next;
  }
  virtualsize = pages[0] * pagesize;  // statm: total program size, then resident set
  resident = pages[1] * pagesize;
  return true;
}

}  // namespace detail

}  // namespace q5utils
