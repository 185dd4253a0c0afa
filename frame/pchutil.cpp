// C strings for the closed libraries' interfaces.
#include "frame/pchutil.h"

#include <algorithm>
#include <cstring>

#include "frame/q5private.h"

namespace pchutil {

namespace {

constexpr std::size_t maxlen = q5rt::sstr::capacity;

// The text of p, or the overflow text when it is longer than a short string.
q5rt::sstr checked_text(const char* p, std::string_view overflow) {
  if (p == nullptr) return {};
  const std::size_t len = strnlen(p, maxlen + 1);
  return q5rt::sstr::cut(len > maxlen ? overflow : std::string_view(p, len));
}

}  // namespace

std::unique_ptr<char[]> strtopchar(std::string_view s) {
  return s.empty() ? nullptr : q5private::strtopchar(s);
}

std::unique_ptr<char[]> emptytopchar() { return q5private::strtopchar({}); }

char* strtostrbuf(std::string_view s, std::span<char> buffer) {
  return q5private::strtostrbuf(s, buffer);
}

q5rt::sstr pchartostr(const char* p) { return checked_text(p, "PCharToStr Overflow"); }

void convertpchar(const char* p, q5rt::sstr& s) { s = checked_text(p, "ConvertPChar Overflow"); }

std::size_t pcharlen(const char* p) { return p == nullptr ? 0 : std::strlen(p); }

void pcharconcatpchar(std::span<char> buffer, int& pos, const char* p) {
  q5private::pcharconcatpchar(buffer, pos, p);
}

void pcharconcatstr(std::span<char> buffer, int& pos, std::string_view s) {
  q5private::pcharconcatstr(buffer, pos, s);
}

void strpcopyn(std::span<char> buffer, std::string_view s, int n) {
  const auto count = static_cast<std::size_t>(std::max(n, 0));
  q5private::strtostrbuf(s.substr(0, std::min(count, s.size())), buffer);
}

}  // namespace pchutil
