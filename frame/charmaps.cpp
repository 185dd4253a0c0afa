// Character-class tables and the quote choice for labels.
#include "frame/charmaps.h"

namespace charmaps {

namespace {

void mark(chartable& table, char from, char to) {
  for (int c = static_cast<unsigned char>(from); c <= static_cast<unsigned char>(to); ++c)
    table[static_cast<std::size_t>(c)] = true;
}

chartable either(const chartable& a, const chartable& b) {
  chartable out{};
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = a[i] || b[i];
  return out;
}

bool printable_punctuation(int c) {
  return (c >= 32 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
         (c >= 123 && c <= 126);
}

}  // namespace

void initcharactermaps() {
  capletter = {};
  mark(capletter, 'A', 'Z');
  lowletter = {};
  mark(lowletter, 'a', 'z');
  letter = either(capletter, lowletter);
  digit = {};
  mark(digit, '0', '9');
  alphanum = either(letter, digit);
  identchar = alphanum;
  mark(identchar, '_', '_');
  labelchar = identchar;
  mark(labelchar, '+', '+');
  mark(labelchar, '-', '-');
  textquote = {};
  mark(textquote, '\'', '\'');
  mark(textquote, '"', '"');
}

void initchars(bool identity) {
  for (int c = 0; c < 256; ++c) {
    const auto i = static_cast<std::size_t>(c);
    const bool keep = identity || alphanum[i] || printable_punctuation(c);
    mapchar[i] = keep ? static_cast<char>(c) : chareof;
  }
}

char determinequote(std::string_view s) {
  if (s.empty()) return quotecharx;
  char answer = ' ';
  bool needed = !in(alphanum, s.front());
  for (char c : s) {
    if (in(labelchar, c)) continue;
    needed = true;
    // The first kind of quote met decides: the label is then quoted with the other kind.
    if (c == '\'' && answer != '\'') answer = '"';
    if (c == '"' && answer != '"') answer = '\'';
  }
  if (answer != ' ') return answer;
  return needed ? quotecharx : ' ';
}

}  // namespace charmaps
