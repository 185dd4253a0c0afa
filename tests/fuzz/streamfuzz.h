// Shared by the stream fuzz targets: the input as a file in memory (a memfd, reached by
// its /proc path) and zlib loaded from the build's stand-in folder next to the target.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "bindings/xcompress.h"
#include "frame/q5library.h"
#include "frame/q5rt.h"

namespace streamfuzz {

inline void check(bool ok) {
  if (!ok) std::abort();
}

// The input's bytes as the contents of one in-memory file; gives its path.
inline std::string asfile(const std::uint8_t* data, std::size_t size) {
  static const int fd = memfd_create("streamfuzz", 0);
  check(fd >= 0);
  check(ftruncate(fd, 0) == 0);
  if (size > 0) check(pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
  return "/proc/self/fd/" + std::to_string(fd);
}

// Loads the shipped zlib from <build>/standins/lib (the target lives in <build>/tests/fuzz);
// without it the targets still run the uncompressed and no-zlib paths.
inline void loadzlib() {
  if (xcompress::zlibdllloaded()) return;
  q5rt::sstr exe, msg;
  if (q5library::xgetexecname(exe, msg) > 1) return;
  const std::string path = exe.str();
  const std::string dir = path.substr(0, path.rfind('/') + 1);
  (void)xcompress::loadzliblibrary(dir + "../../standins/lib/", msg);
}

}  // namespace streamfuzz
