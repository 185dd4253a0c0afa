// The zlib binding: zlib is loaded at run time from the file Zolm ships under its own
// library name ("lib" + base + "64" + extension) and five of its functions are bound:
// compress, uncompress, gzopen, gzread and gzclose. No version check, no stubs, no lock:
// the call routines go straight through their pointers and are meant for a loaded library
// (test zlibdllloaded first); without one they fail (z_streamerror, nullptr, -1) rather
// than call nothing.
//
// Usage:
//   q5rt::sstr msg;
//   (void)xcompress::loadzliblibrary("/opt/zolm/", msg);     // directory + default base
//   if (xcompress::zlibdllloaded()) {
//     std::uint64_t outlen = capacity;
//     int rc = xcompress::compress(out, outlen, in, inlen);  // zlib's own result code
//   }
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "frame/q5library.h"
#include "frame/q5rt.h"

namespace xcompress {

// zlib's result codes that callers look at.
inline constexpr int z_ok = 0;
inline constexpr int z_streamerror = -2;

// The base name of the shipped zlib file when the library path names no file.
inline constexpr std::string_view zlibbasename = "zlib";

// An open gzip file of the library; nullptr = none.
using gzfile = void*;

// The library's functions, in the order they are looked up (lower case only).
using compress_fn = int (*)(unsigned char* dest, unsigned long* destlen,
                            const unsigned char* source, unsigned long sourcelen);
using gzopen_fn = gzfile (*)(const char* path, const char* mode);
using gzread_fn = int (*)(gzfile file, void* buffer, unsigned count);
using gzclose_fn = int (*)(gzfile file);

inline constexpr std::array<std::string_view, 5> entrynames = {"compress", "uncompress", "gzopen",
                                                               "gzread", "gzclose"};

// Module state: nil until a load succeeds (the library itself is held in xcompress.cpp).
inline compress_fn pcompress = nullptr;
inline compress_fn puncompress = nullptr;
inline gzopen_fn pgzreadopen = nullptr;
inline gzread_fn pgzread = nullptr;
inline gzclose_fn pgzreadclose = nullptr;

[[nodiscard]] bool zlibdllloaded();

// libpath is a directory (up to and including its last "/") followed by a base name; an
// empty base name means zlibbasename, an empty directory the system loader's search. A
// library loaded earlier gives true at once. On failure msg is the loader's text or
// "Entry not found: <name> in <file>" for the first missing function, and nothing stays
// loaded.
[[nodiscard]] bool loadzliblibrary(std::string_view libpath, q5rt::sstr& msg);
// Closes the library and clears the handle and the pointers.
void unloadzliblibrary();

// zlib's compress and uncompress with the four arguments unchanged; destlen is in/out.
[[nodiscard]] int compress(void* dest, std::uint64_t& destlen, const void* source,
                           std::uint64_t sourcelen);
[[nodiscard]] int uncompress(void* dest, std::uint64_t& destlen, const void* source,
                             std::uint64_t sourcelen);
// gzopen(filename, "rb"); nullptr when the file cannot be opened.
[[nodiscard]] gzfile gzreadopen(std::string_view filename);
// gzread: bytes read, 0 at the end, -1 on an error.
[[nodiscard]] int gzread(gzfile file, void* buffer, std::uint32_t count);
// gzclose, then the handle is nullptr.
void gzreadclose(gzfile& file);

}  // namespace xcompress
