// Test writer of extrinsic-function description files, on the program's own
// machine-independent stream. Every mark and count can be set apart from the lists they
// describe, and the file cut after any byte, so that tests and the fuzz corpus get good and
// broken files alike.
//
// Usage:
//   extdesc::description d;
//   d.libs.push_back({.name = "demo", .file = "extdemo",
//                     .funcs = {{.name = "mulxy", .args = {{1, "x"}, {1, "y"}}}}});
//   int rc = extdesc::write(path, d);   // the stream's I/O result
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "frame/zlmstrm_buffered.h"

namespace extdesc {

inline constexpr std::int32_t fromlist = -1;  // a count written from its list

struct argument {
  std::uint8_t type = 1;
  std::string name = "x";
};

struct function {
  std::string name;
  std::int32_t mark = 77;
  std::string text = "a test function";
  bool used = true;
  bool flag = false;
  std::int32_t equnever = 0;
  std::int32_t smooth = 0;
  std::int32_t zeroripple = 0;
  std::int32_t maxderiv = 2;
  std::int32_t minargs = fromlist;  // fromlist: the argument count
  std::int32_t nargs = fromlist;
  std::vector<argument> args;
};

struct library {
  std::string name;
  std::int32_t number = 1;
  std::string file;
  bool used = true;
  bool flag = false;
  std::int32_t nfuncs = fromlist;
  std::vector<function> funcs;
};

struct description {
  std::int32_t mark = 2;
  std::int32_t nlibs = fromlist;
  bool flags = true;        // the two flags written (read with a release above 240)
  std::int64_t cutat = -1;  // >= 0: the file is cut to this many bytes
  std::vector<library> libs;
};

inline std::int32_t count(std::int32_t given, std::size_t actual) {
  return given == fromlist ? static_cast<std::int32_t>(actual) : given;
}

inline void writefunction(zlmstrm::tmibufferedstream& s, const function& f, bool flags) {
  s.writestring(f.name);
  s.writeinteger(f.mark);
  s.writestring(f.text);
  s.writebool(f.used);
  if (flags) s.writebool(f.flag);
  s.writeinteger(f.equnever);
  s.writeinteger(f.smooth);
  s.writeinteger(f.zeroripple);
  s.writeinteger(f.maxderiv);
  s.writeinteger(count(f.minargs, f.args.size()));
  s.writeinteger(count(f.nargs, f.args.size()));
  for (const argument& a : f.args) {
    s.writebyte(a.type);
    s.writestring(a.name);
  }
}

// Writes the description with the stream's byte-order header; the stream's I/O result.
inline int write(const std::string& path, const description& d) {
  int rc = 0;
  {
    zlmstrm::tmibufferedstream s(path, zlmstrm::mode_create);
    rc = s.getlastioresult();
    if (rc != 0) return rc;
    s.writeinteger(d.mark);
    s.writeinteger(count(d.nlibs, d.libs.size()));
    for (const library& l : d.libs) {
      s.writestring(l.name);
      s.writeinteger(l.number);
      s.writestring(l.file);
      s.writebool(l.used);
      if (d.flags) s.writebool(l.flag);
      s.writeinteger(count(l.nfuncs, l.funcs.size()));
      for (const function& f : l.funcs) writefunction(s, f, d.flags);
    }
    (void)s.flush();
    rc = s.getlastioresult();
  }
  if (rc == 0 && d.cutat >= 0) {
    std::error_code ec;
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(d.cutat), ec);
    if (ec) rc = ec.value();
  }
  return rc;
}

}  // namespace extdesc
