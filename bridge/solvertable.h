// The local solvers that BARON may ask for by number (3 to 15): Zolm's local NLP and MINLP
// solvers. Number 3 is the default NLP solver, number 12 the default MINLP solver. The
// model-object stand-in's fake local solver knows the same names.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace solvertable {

inline constexpr std::int32_t first = 3;
inline constexpr std::int32_t last = 15;
inline constexpr std::int32_t defaultnlp = 3;
inline constexpr std::int32_t defaultminlp = 12;

inline constexpr std::array<std::string_view, last - first + 1> names = {
    "NLPSOLVA", "NLPSOLVB", "NLPSOLVC",   "NLPSOLVD",   "NLPSOLVE",   "NLPSOLVF",  "NLPSOLVG",
    "NLPSOLVH", "NLPSOLVI", "MINLPSOLVA", "MINLPSOLVB", "MINLPSOLVC", "MINLPSOLVD"};

// The name of solver number k (first..last); empty for any other number.
[[nodiscard]] constexpr std::string_view name(std::int32_t k) {
  return k >= first && k <= last ? names[static_cast<std::size_t>(k - first)] : std::string_view();
}

}  // namespace solvertable
