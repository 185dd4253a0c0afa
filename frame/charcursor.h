// Project helper, not a unit of the system: text written at a place known to have room.
// Each call gives the end of what it wrote. Writers that build their lines in place keep
// the place in a register this way, with no size stored after every piece.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "frame/strutilx_numbers.h"

namespace charcursor {

inline constexpr std::size_t introom = 20;  // "-9223372036854775808"

// A few characters: a plain loop, no library call.
inline char* put(char* at, std::string_view s) {
  for (const char c : s) *at++ = c;
  return at;
}

// introom characters of room.
inline char* putint(char* at, std::int64_t v) { return std::to_chars(at, at + introom, v).ptr; }

// dbltostr's text with the exponent letter given (strutilx::dbltostr_room characters of
// room: the layout writes scratch bytes past the text).
inline char* putdouble(char* at, double x, char exponent = 'E') {
  return at + strutilx::dbltostr_wide(x, '.', at, exponent);
}

}  // namespace charcursor
