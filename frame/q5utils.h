// Thin platform layer: file-name extensions, environment variables and search paths, a
// file-handle layer over the system's descriptors, counted memory blocks, host and user
// name, the numeric locale, the process's memory use and rounding; decimal digits and
// exponent texts; the standard configuration and data locations.
//
// Nothing here prints or throws (except when memory runs out): results are booleans,
// 0 or the system's error number, or an empty text.
//
// Usage:
//   q5utils::filehandle h;
//   if (int rc = q5utils::q5fileopen(path, 0, h); rc != 0) return rc;
//   std::int64_t got;
//   rc = q5utils::q5fileread(h, buf, sizeof buf, got);     // loops to the count or the end
//   rc = q5utils::q5fileclose(h);                          // h becomes nilhandle
//
//   void* block = nullptr;
//   q5utils::q5getmem64(block, 1000);
//   q5utils::q5freemem64(block, 1000);
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "frame/q5rt.h"

namespace q5utils {

// ---- file names ----

// The name with its extension (from the last "." after the last path delimiter, dot
// included) replaced by ext, or ext appended when it has none.
[[nodiscard]] q5rt::sstr replacefileext(std::string_view name, std::string_view ext);
// The name unchanged when it has an extension, else with ext appended.
[[nodiscard]] q5rt::sstr completefileext(std::string_view name, std::string_view ext);
// chmod: 0 or -1.
[[nodiscard]] int q5chmod(std::string_view path, std::uint32_t mode);
// Removes a file the run may replace: a regular file, or a symbolic link itself (never its
// target). A device, a pipe, a directory or a missing name stays as it is. 0, or the
// system's error number when the name cannot be examined or the file not removed.
[[nodiscard]] int q5removeplainfile(std::string_view path);

// ---- environment ----

// Sets (overwrites) a variable; false for an empty name or when the system refuses.
[[nodiscard]] bool q5setenv(std::string_view name, std::string_view value);
// Removes a variable; an empty name does nothing.
void q5unsetenv(std::string_view name);
// True when the variable exists (also when empty).
[[nodiscard]] bool q5issetenv(std::string_view name);
// As q5setenv; a null value removes the variable and gives true.
[[nodiscard]] bool q5setenvpc(std::string_view name, const char* value);
// 0 when the variable does not exist; the needed size (length + 1) when value and
// terminator do not fit (nothing copied); otherwise copies them and gives the length.
[[nodiscard]] std::uint32_t q5getenvpc(std::string_view name, char* buffer, std::uint32_t size);

// Puts dir in front of PATH (no duplicate check); an empty dir changes nothing.
[[nodiscard]] bool prefixpath(std::string_view dir);
// "LD_LIBRARY_PATH" on Linux, "DYLD_LIBRARY_PATH" on macOS, empty elsewhere.
[[nodiscard]] q5rt::sstr loadpathvarname();
// Puts dir (the executable's directory when empty) in front of the library search path.
[[nodiscard]] bool prefixloadpath(std::string_view dir);
// Puts dir (trimmed) in front of a search-path variable unless it is its first entry.
[[nodiscard]] bool prefixenv(std::string_view dir, std::string_view varname);
// Nothing on this platform.
void q5setconsoletitle(std::string_view title);

// ---- files: a handle holds the system's descriptor ----
// 0 and 1 are standard input and output (from the empty path). A handle that failed to
// open or was closed is nilhandle; operations on it give 9 (bad descriptor).

using filehandle = std::intptr_t;
inline constexpr filehandle nilhandle = -1;

// Mode (two low bits): 0 read, 1 write (create, empty), 2 read and write (create),
// 3 refused with 22. The empty path gives standard input (mode 0) or output (mode 1).
[[nodiscard]] int q5fileopen(std::string_view path, std::uint8_t mode, filehandle& handle);
// Closes (never the standard descriptors 0 to 2); the handle becomes nilhandle.
[[nodiscard]] int q5fileclose(filehandle& handle);
// Reads until count bytes or the end of the file.
[[nodiscard]] int q5fileread(filehandle handle, void* buffer, std::int64_t count,
                             std::int64_t& done);
// Writes all count bytes (a write making no progress gives EIO).
[[nodiscard]] int q5filewrite(filehandle handle, const void* buffer, std::int64_t count,
                              std::int64_t& done);
// Size: -1 first; 9 for a handle that is not positive.
[[nodiscard]] int q5filegetsize(filehandle handle, std::int64_t& size);
// Origin 0 start, 1 current, 2 end (above: 22); 9 for a handle that is not positive.
[[nodiscard]] int q5filesetpointer(filehandle handle, std::int64_t offset, std::int64_t& position,
                                   std::uint32_t origin);
[[nodiscard]] int q5filegetpointer(filehandle handle, std::int64_t& position);
// A generic non-zero I/O result: 5.
[[nodiscard]] constexpr int q5someioresult() { return 5; }

// ---- counted memory blocks ----
// Running out of memory raises q5rt::exception. A size of 0 or less gives no block.

void q5getmem64(void*& block, std::int64_t size);
[[nodiscard]] void* q5allocmem64(std::int64_t size);  // zero-filled
// Frees the block (none allowed); the variable is left as it was.
void q5freemem64(void* block, std::int64_t size);
// Resizes keeping the contents; size <= 0 frees the block and sets the variable to none.
void q5reallocmem64(void*& block, std::int64_t size);
void q5fillchar64(void* block, std::int64_t count, std::uint8_t value);
void q5move64(const void* source, void* dest, std::int64_t count);  // areas may overlap
// Bytes currently allocated through these routines.
[[nodiscard]] std::int64_t q5allocmemsize64();

// ---- host, user, locale, process ----

[[nodiscard]] q5rt::sstr q5getcomputername();  // "unknown" when the query fails
[[nodiscard]] q5rt::sstr q5getusername();      // "unknown" when the query fails
// Switches LC_NUMERIC to "C" and gives the previous name ("C": nothing changed).
[[nodiscard]] q5rt::sstr q5pushdeflocale();
// Restores LC_NUMERIC to the name (its first 31 characters); "C" does nothing.
void q5popdeflocale(std::string_view name);
// Resident and virtual size in bytes; false with both 0 when unknown.
[[nodiscard]] bool q5getmemoryinfo(std::int64_t& resident, std::int64_t& virtualsize);
// The same for a process id; -1 is the own process.
[[nodiscard]] bool q5getmemoryinfoex(std::int64_t pid, std::int64_t& resident,
                                     std::int64_t& virtualsize);
[[nodiscard]] int q5senddatamessage(int kind, std::string_view text1, std::string_view text2);

// ---- the running image ----

// Empties name and answers q5library::xgetexecname: 0 done, 1 cut to 255 characters, 4 the
// system gave no path (msg says why).
[[nodiscard]] int q5getexecname(q5rt::sstr& name, q5rt::sstr& msg);
// In the program itself: 2, an empty name and "Not called from a library"; inside a shared
// library: q5library::xgetlibname.
[[nodiscard]] int q5getlibname(q5rt::sstr& name, q5rt::sstr& msg);
// The program's argument zero, its executable's full path; empty when that is longer than
// 255 characters. Without a path from the system: q5library::detail::argzerofrom over the
// command line's first word, the current directory and PATH.
const q5rt::sstr& paramstrzero(q5rt::sstr& result);

// x without its fraction.
[[nodiscard]] double realtrunc(double x);
// Nearest integer, halves away from zero, exactly.
[[nodiscard]] double realround(double x);

namespace detail {

// The new value of a search-path variable: dir, then sep and old when old is not empty.
[[nodiscard]] std::string prefixed(std::string_view dir, char sep, std::string_view old);
// True when value's first entry (up to sep or the end) is dir.
[[nodiscard]] bool firstentryis(std::string_view value, std::string_view dir, char sep);
// Resident and virtual size from the text of /proc/<pid>/statm.
[[nodiscard]] bool parsestatm(std::string_view text, std::int64_t pagesize, std::int64_t& resident,
                              std::int64_t& virtualsize);

}  // namespace detail

}  // namespace q5utils

// ---- decimal digits and exponent text (q5utils_digits.cpp) ----
//
// A digit result is a short string of decimal digits without trailing zeros and the
// decimal-point position: the value is 0.d1d2d3... times ten to the power of the position.
// Modes as in the dtoa conversion: 0 and 1 shortest (the scaled road: 16 digits), 2 and 4
// a count of significant digits (4 may give fewer when they still read back), 3 and 5 a
// count of digits after the point (5 likewise).
//
//   q5rt::sstr d; int pos; bool neg;
//   (void)q5utils::q5getdecdigits(123.456, 0, 0, d, pos, neg);  // "123456", 3
//   q5rt::sstr t; q5utils::q5floattoefmt(t, 1.5, 12, 3);         // " 1.500E+00"
namespace q5utils {

// The digits of n >= 0 without trailing zeros (at least one digit stays).
void getdigits(q5rt::sstr& digits, std::int64_t n);
// Correctly rounded digits (ties to even); false for a mode outside 0..5 and for an
// infinite or NaN x. Zero gives "0", position 1; a value that rounds to nothing in modes 3
// and 5 gives no digits and position -count.
[[nodiscard]] bool q5getdecdigits(double x, int mode, int count, q5rt::sstr& digits, int& position,
                                  bool& negative);
// The same contract by scaling with powers of ten in floating point (halves away from zero).
[[nodiscard]] bool scaledgetdecdigits(double x, int mode, int count, q5rt::sstr& digits,
                                      int& position, bool& negative);
// Exponent text of at most width characters with up to decimals + 1 significant digits;
// "*****" (or "*", "****" for widths 1 and 4) when it does not fit. An infinite x raises
// "Input xAbs is not finite", a NaN "getDecDigits failed".
void q5floattoefmt(q5rt::sstr& text, double x, int width, int decimals);
// " ", then " " or "-", d.ddd with the decimals (at most 14), "E", sign and two or more
// exponent digits. A negative count of decimals counts as 0; infinities and NaN give
// "  Inf", " -Inf" and "  Nan".
void floattoe(q5rt::sstr& text, double x, int decimals);

}  // namespace q5utils

// ---- standard locations (q5utils_locations.cpp) ----
//
// Where the program may write configuration and data files and which directories it
// searches for them, by the desktop conventions of the platform: the XDG base-directory
// variables on Linux, the Library folders on macOS. Nothing here prints or throws.
//
//   q5rt::sstr dir;
//   if (q5utils::q5writablelocation(q5utils::loc_appdata, "ZOLM", dir)) use(dir);
namespace q5utils {

// Kinds of location.
inline constexpr std::uint8_t loc_config = 0;     // configuration, not application-specific
inline constexpr std::uint8_t loc_appconfig = 1;  // an application's configuration
inline constexpr std::uint8_t loc_appdata = 2;    // 2 to 4: an application's data, alike
inline constexpr std::uint8_t loc_appdatalocal = 3;
inline constexpr std::uint8_t loc_appdatashared = 4;
inline constexpr std::uint8_t loc_documents = 5;

inline constexpr int maxstandardlocations = 8;
using standardlocationlist = std::array<q5rt::sstr, maxstandardlocations>;

// HOME followed by the two suffixes; false when HOME is unset, empty or longer than 255
// characters, or when the result would reach 256 characters.
[[nodiscard]] bool homeplus(std::string_view suffix1, std::string_view suffix2, q5rt::sstr& path);
// The one directory where the program may write that kind of file.
[[nodiscard]] bool q5writablelocation(std::uint8_t kind, std::string_view application,
                                      q5rt::sstr& path);
// The writable location first (when there is one), then the system-wide ones; the result
// is the writable location's. errors counts the entries left out (too long, beyond 8) plus
// one for a variable longer than 1023 characters and one for a missing executable path.
[[nodiscard]] bool q5standardlocations(std::uint8_t kind, std::string_view application, int& count,
                                       standardlocationlist& list, int& errors);

namespace detail {

// The facts of the platform that the locations depend on: the platform seam of the tests.
struct locationplatform {
  bool macos = false;
  // The variable's value; false when it is not set.
  std::function<bool(std::string_view name, std::string& value)> getenv;
  // The running executable's full path; false when the system gives none.
  std::function<bool(q5rt::sstr& path)> execname;
};

// The platform this program runs on.
[[nodiscard]] locationplatform hostplatform();

[[nodiscard]] bool homeplus(const locationplatform& platform, std::string_view suffix1,
                            std::string_view suffix2, q5rt::sstr& path);
[[nodiscard]] bool q5writablelocation(const locationplatform& platform, std::uint8_t kind,
                                      std::string_view application, q5rt::sstr& path);
[[nodiscard]] bool q5standardlocations(const locationplatform& platform, std::uint8_t kind,
                                       std::string_view application, int& count,
                                       standardlocationlist& list, int& errors);

}  // namespace detail

}  // namespace q5utils
