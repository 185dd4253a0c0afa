// Vocabulary of the data-exchange format: special-value texts, symbol kinds and the
// checks for element labels.
//
// Usage:
//   if (!vkdefs::gooduelstring(label)) ...   // label too long or not quotable
#pragma once

#include <array>
#include <string_view>

namespace vkdefs {

// Undefined, not available, plus infinity, minus infinity, epsilon, zero, acronym.
inline constexpr std::array<std::string_view, 7> vrkspecialvaluesstr = {
    "Undf", "NA", "+Inf", "-Inf", "Eps", "0", "AcroN"};
// Symbol kinds: set, parameter, variable, equation, alias.
inline constexpr std::array<std::string_view, 5> vrkdatatypstrl = {"Set", "Parameter", "Variable",
                                                                   "Equation", "Alias"};
inline constexpr std::array<std::string_view, 5> vrkdatatypstr = {"Set", "Par", "Var", "Equ",
                                                                  "Alias"};
// Values per record of each kind.
inline constexpr std::array<int, 5> datatypsize = {1, 1, 5, 5, 0};

// True when the text fits between quotes of one kind: no control character (below
// blank) and not both a single and a double quote.
[[nodiscard]] bool canbequoted(std::string_view text);
// True when the text is at most 63 characters and can be quoted.
[[nodiscard]] bool gooduelstring(std::string_view text);

}  // namespace vkdefs
