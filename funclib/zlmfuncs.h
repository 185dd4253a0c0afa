// The modelling language's function suffixes and two sets of intrinsic function numbers.
//
// Usage:
//   int k = zlmfuncs::funcsufflookup("grad");               // 2
//   bool exec = zlmfuncs::cmexonlyfuncs.contains(fnr);      // evaluated by the job only
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "frame/q5rt.h"

namespace zlmfuncs {

// A set of numbers 0 to 255, stored as 256 bits.
struct funcset {
  std::uint64_t bits[4] = {};

  constexpr funcset(std::initializer_list<int> numbers) {
    for (int n : numbers) bits[(n >> 6) & 3] |= std::uint64_t{1} << (n & 63);
  }
  [[nodiscard]] constexpr bool contains(int n) const {
    return n >= 0 && n <= 255 && ((bits[n >> 6] >> (n & 63)) & 1u) != 0;
  }
};

inline constexpr int suffcount = 11;  // entries 0 to 10

// The suffixes; entries 0 and 1 are empty.
extern const q5rt::shortstring<7> funcsuff[suffcount];
// The number of further arguments each suffix adds.
inline constexpr std::int32_t funcsuffargs[suffcount] = {0, 0, 1, 2, 1, 2, 0, 0, 1, 1, 0};
// The derivative level each suffix requests.
inline constexpr std::int32_t funcsuffderivrequest[suffcount] = {0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0};

// Functions that only the executing job can evaluate.
inline constexpr funcset cmexonlyfuncs{0,   24,  25,  26,  35,  36,  37,  38,  39,  41,
                                       42,  78,  79,  93,  97,  98,  99,  104, 105, 106,
                                       107, 111, 115, 117, 118, 119, 120, 121, 122, 123};
// The execution-time functions that can also be assigned to.
inline constexpr funcset cmexreadwrite{26, 35, 78, 111, 115};

// The index of the suffix (ignoring ASCII case; entries 10 down to 1), 1 for the empty
// suffix, 0 when none matches.
[[nodiscard]] int funcsufflookup(std::string_view suffix);

}  // namespace zlmfuncs
