// The zlib binding: loading by the maker's file name and the five thin call routines.
#include "bindings/xcompress.h"

#include <algorithm>
#include <string>

#include "frame/zlmlibname.h"

namespace xcompress {

// zlib passes lengths as unsigned long: 64 bits on this platform.
static_assert(sizeof(unsigned long) == sizeof(std::uint64_t));

namespace {

// The loaded library. Never destroyed: once loaded it stays loaded to the end of the
// process unless unloadzliblibrary closes it.
q5library::library& zlib() {
  static auto* const lib = new q5library::library;
  return *lib;
}

void clearpointers() {
  pcompress = nullptr;
  puncompress = nullptr;
  pgzreadopen = nullptr;
  pgzread = nullptr;
  pgzreadclose = nullptr;
}

// Looks the entries up in order into found; stops at the first missing one, whose text
// goes to msg.
void lookup(const q5library::library& lib, std::string_view file, std::array<void*, 5>& found,
            q5rt::sstr& msg) {
  for (std::size_t i = 0; i < entrynames.size() && msg.empty(); ++i) {
    found[i] = lib.entry(entrynames[i]);
    if (found[i] == nullptr) msg = q5library::entrynotfoundmsg(entrynames[i], file);
  }
}

// compress and uncompress share their form; zlib writes the destination length back.
int callzlib(compress_fn f, void* dest, std::uint64_t& destlen, const void* source,
             std::uint64_t sourcelen) {
  if (f == nullptr) return z_streamerror;
  unsigned long len = destlen;
  const int rc = f(static_cast<unsigned char*>(dest), &len,
                   static_cast<const unsigned char*>(source), sourcelen);
  destlen = len;
  return rc;
}

}  // namespace

bool zlibdllloaded() { return zlib().loaded(); }

bool loadzliblibrary(std::string_view libpath, q5rt::sstr& msg) {
  msg.clear();
  bool opened = false;
  if (!zlibdllloaded()) {
    const auto slash = libpath.rfind('/');
    const std::string_view dir =
        slash == std::string_view::npos ? std::string_view() : libpath.substr(0, slash + 1);
    std::string_view base = libpath.substr(dir.size());
    if (base.empty()) base = zlibbasename;
    q5rt::sstr name;
    zlmlibname::zolmlibnameq5(name, base);
    const std::string file = std::string(dir) + name.str();
    if (file.size() > q5rt::sstr::capacity) {
      msg = q5rt::concat(q5library::pathtoolong, file);
      return false;
    }
    opened = zlib().load(file, msg);
    if (opened) {
      std::array<void*, 5> found{};
      lookup(zlib(), file, found, msg);
      if (msg.empty()) {
        pcompress = reinterpret_cast<compress_fn>(found[0]);
        puncompress = reinterpret_cast<compress_fn>(found[1]);
        pgzreadopen = reinterpret_cast<gzopen_fn>(found[2]);
        pgzread = reinterpret_cast<gzread_fn>(found[3]);
        pgzreadclose = reinterpret_cast<gzclose_fn>(found[4]);
      }
    }
  }
  if (msg.empty()) return pcompress != nullptr;
  clearpointers();
  if (opened) (void)zlib().close();
  return false;
}

void unloadzliblibrary() {
  (void)zlib().close();
  clearpointers();
}

int compress(void* dest, std::uint64_t& destlen, const void* source, std::uint64_t sourcelen) {
  return callzlib(pcompress, dest, destlen, source, sourcelen);
}

int uncompress(void* dest, std::uint64_t& destlen, const void* source, std::uint64_t sourcelen) {
  return callzlib(puncompress, dest, destlen, source, sourcelen);
}

gzfile gzreadopen(std::string_view filename) {
  if (pgzreadopen == nullptr) return nullptr;
  const q5rt::sstr name = q5rt::sstr::cut(filename);
  char path[q5rt::sstr::capacity + 1];
  std::copy_n(name.data(), name.size(), path);
  path[name.size()] = '\0';
  return pgzreadopen(path, "rb");
}

int gzread(gzfile file, void* buffer, std::uint32_t count) {
  return pgzread != nullptr ? pgzread(file, buffer, count) : -1;
}

void gzreadclose(gzfile& file) {
  if (pgzreadclose != nullptr) (void)pgzreadclose(file);
  file = nullptr;
}

}  // namespace xcompress
