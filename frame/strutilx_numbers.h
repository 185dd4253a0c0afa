// Numbers of unit strutilx: the short number text of reals (every number in BARON's
// input file, the solution file and the scratch files), integer texts, spreadsheet
// column letters, and text-to-number conversions that also accept the words "maxint",
// "minint", "maxdouble", "mindouble" and "eps".
//
// Usage:
//   q5rt::sstr t = strutilx::dbltostr(0.1 + 0.2);          // "0.3"
//   q5rt::sstr s = strutilx::zlmvaltostr(zlmspecs::valna);  // "Na"
//   std::int32_t n; if (strutilx::strasintex("maxint", n)) ...
//
// Short number text: "0" for zero of either sign; otherwise 15 significant digits
// (ties to even), plain decimal when 1e-4 <= |x| < 1e15 (decided on x), else mantissa,
// "E" and exponent without "+" or leading zeros; trailing fraction zeros and a bare
// separator removed; "Inf", "-Inf", "Nan"; at most 22 characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "frame/q5rt.h"

namespace strutilx {

inline constexpr std::size_t dbltostr_maxlen = 22;
inline constexpr std::size_t dbltostr_room = 48;

// The layout of the short number text: plain decimal when 1e-4 <= |x| < 1e15, decided on x
// itself (not on its rounded digits); else the exponent form.
[[nodiscard]] constexpr bool dbltostr_plain(double x) {
  const double ax = x < 0 ? -x : x;
  return ax >= 1e-4 && ax < 1e15;
}
// The same rule for digits d.dd...d times 10^e: plain decimal when -4 <= e <= 14.
[[nodiscard]] constexpr bool dbltostr_plain_exponent(int e) { return e >= -4 && e <= 14; }

// The short number text into out (room for dbltostr_maxlen characters); its length.
[[nodiscard]] std::size_t dbltostr_chars(double x, char separator, char* out);
// The same into a roomier out (dbltostr_room characters), laid out there directly: the
// bytes past the text's length are scratch. The exponent form takes the exponent letter.
[[nodiscard]] std::size_t dbltostr_wide(double x, char separator, char* out, char exponent = 'E');

[[nodiscard]] q5rt::sstr dbltostr(double x);
[[nodiscard]] q5rt::sstr dbltostrsep(double x, char separator);
// With the words "maxdouble" (1e299) and "mindouble" (-1e299).
[[nodiscard]] q5rt::sstr dbltostrex(double x);
// With the modelling system's special values: "0" up to 1e-250, "-Inf" below -1e299,
// "+Inf", "-Inf", "Eps", "Na", "Undf" above 1e299 (anything else there "+Inf").
[[nodiscard]] q5rt::sstr zlmvaltostr(double x);

// Decimal text right-aligned in min(w, 255) characters (never cut).
[[nodiscard]] q5rt::sstr inttostrw(std::int64_t v, std::int32_t w);
// "maxint", "minint" or the decimal text.
[[nodiscard]] q5rt::sstr inttostrex(std::int32_t i);
// Decimal text with "," between groups of three digits, right-aligned in w.
[[nodiscard]] q5rt::sstr inttonicestrw(std::int64_t v, std::int32_t w);
[[nodiscard]] q5rt::sstr inttonicestr(std::int64_t v);
// Characters of the decimal text of i.
[[nodiscard]] std::int32_t integerwidth(std::int32_t i);
// A byte count as " b", "Kb" or "Mb" text, the number grouped and right-aligned in w - 3.
[[nodiscard]] q5rt::sstr mem64tonicestr(std::int64_t v, std::int32_t w);
// Spreadsheet column letters: 1 "A", 26 "Z", 27 "AA"; empty for n <= 0.
[[nodiscard]] q5rt::sstr excelcolstr(std::int32_t n);
// The column number of letters (any case); 0 for an empty or invalid text.
[[nodiscard]] std::int32_t strexcelcol(std::string_view s);

// Integer Val's value when the whole text converts, else 0.
[[nodiscard]] std::int32_t strasint(std::string_view s);
// "maxint", "minint" or integer Val (the value is stored also on failure).
[[nodiscard]] bool strasintex(std::string_view s, std::int32_t& value);
// As strasintex, also through a real without fraction inside the 32-bit range.
[[nodiscard]] bool strasintex2(std::string_view s, std::int32_t& value);
// "maxdouble", "mindouble", "eps" or real Val with "D"/"d" read as "E"; true only for
// a whole text giving a finite value (the value is stored also on failure).
[[nodiscard]] bool strasdoubleex(std::string_view s, double& value);

}  // namespace strutilx

// The runtime library's float text: the same text as strutilx::dbltostr.
namespace sysutils {
[[nodiscard]] inline q5rt::sstr q5_floattostr(double x) { return strutilx::dbltostr(x); }
}  // namespace sysutils
