// Short strings to and from C strings.
#include "frame/q5private.h"

#include <algorithm>
#include <cstring>

namespace q5private {

namespace {

constexpr std::size_t maxlen = q5rt::sstr::capacity;

// Copies s to position pos followed by a NUL, cut to leave room for the NUL; advances pos.
void copy_at(std::span<char> buffer, int& pos, std::string_view s) {
  if (pos < 0 || static_cast<std::size_t>(pos) >= buffer.size()) return;
  const auto at = static_cast<std::size_t>(pos);
  const std::size_t n = std::min(s.size(), buffer.size() - at - 1);
  std::copy_n(s.data(), n, buffer.data() + at);
  buffer[at + n] = '\0';
  pos += static_cast<int>(n);
}

}  // namespace

std::unique_ptr<char[]> strtopchar(std::string_view s) {
  auto p = std::make_unique<char[]>(s.size() + 1);  // zero-filled: the NUL is in place
  std::copy(s.begin(), s.end(), p.get());
  return p;
}

char* strtostrbuf(std::string_view s, std::span<char> buffer) {
  int pos = 0;
  copy_at(buffer, pos, s);
  return buffer.data();
}

q5rt::sstr pchartostr(const char* p) {
  if (p == nullptr) return {};
  return q5rt::sstr::cut(std::string_view(p, strnlen(p, maxlen)));
}

q5rt::sstr strbuftostr(std::span<const char> buffer) {
  const auto end = std::find(buffer.begin(), buffer.end(), '\0');
  const auto len = static_cast<std::size_t>(end - buffer.begin());
  return q5rt::sstr::cut(std::string_view(buffer.data(), len));
}

void pcharconcatpchar(std::span<char> buffer, int& pos, const char* p) {
  if (p != nullptr) copy_at(buffer, pos, p);
}

void pcharconcatstr(std::span<char> buffer, int& pos, std::string_view s) {
  if (!s.empty()) copy_at(buffer, pos, s);
}

}  // namespace q5private
