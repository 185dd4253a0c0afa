// Character-class tables by character code, the character map and the control-character
// constants. The tables are empty until initcharactermaps fills them.
//
// Usage:
//   charmaps::initcharactermaps();
//   if (charmaps::in(charmaps::identchar, c)) ...
//   char q = charmaps::determinequote(label);   // ' ' when no quote is needed
#pragma once

#include <array>
#include <string_view>

namespace charmaps {

using chartable = std::array<bool, 256>;

inline chartable capletter{};  // A-Z
inline chartable lowletter{};  // a-z
inline chartable letter{};     // A-Z, a-z
inline chartable digit{};      // 0-9
inline chartable alphanum{};   // letters and digits
inline chartable identchar{};  // letters, digits and "_"
inline chartable labelchar{};  // identifier characters, "+" and "-"
inline chartable textquote{};  // the single and the double quote
inline chartable setcomch{};   // kept empty
inline chartable chareol{};    // kept empty

inline std::array<char, 256> mapchar{};

inline constexpr char chartab = 9;
inline constexpr char charlf = 10;
inline constexpr char charff = 12;
inline constexpr char charcr = 13;
inline constexpr char chareof = 26;

// The default quote character; starts as NUL.
inline char quotecharx = '\0';

[[nodiscard]] inline bool in(const chartable& table, char c) {
  return table[static_cast<unsigned char>(c)];
}

void initcharactermaps();
// identity: every code maps to itself; otherwise letters, digits and printable
// punctuation map to themselves and everything else to chareof.
void initchars(bool identity);
// The quote character a label needs: ' ' for none, '"' or '\'' when it holds the other
// quote, quotecharx when it needs quoting but holds no quote.
[[nodiscard]] char determinequote(std::string_view s);

}  // namespace charmaps
