// The data-exchange file's symbols and records as the stand-in holds them, and the
// constants of the file's text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zlmvrk {

// The file's head line: "zlmvrk <version> <producer>".
inline constexpr std::string_view filemagic = "zlmvrk";
inline constexpr int fileversion = 1;
inline constexpr int maxdim = 20;
inline constexpr int specialcount = 5;
using specials = std::array<double, specialcount>;
// The library's own special values: those of the modelling system.
inline constexpr specials defaultspecials = {1e300, 2e300, 3e300, 4e300, 5e300};
inline constexpr std::array<std::string_view, specialcount> specialtexts = {"Undf", "NA", "+Inf",
                                                                            "-Inf", "Eps"};

// Values per record by symbol type: set 0 and parameter 1 one, variable 2 and equation 3 five.
[[nodiscard]] int valuecount(int type);

// One record; the keys beyond the symbol's dimension are 0.
struct record {
  std::array<std::int32_t, maxdim> keys{};
  std::array<double, 5> values{};
  std::array<std::int8_t, 5> special{-1, -1, -1, -1, -1};  // a special value's index, or -1
};

struct symbol {
  std::string name;
  std::string text;
  int dim = 0;
  int type = 0;
  int userinfo = 0;
  std::size_t count = 0;        // records
  std::uint64_t offset = 0;     // reading: where the records start in the file
  std::vector<record> records;  // writing
};

}  // namespace zlmvrk
