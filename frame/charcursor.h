// Project helper, not a unit of the system: text written at a place known to have room.
// Each call gives the end of what it wrote. Writers that build their lines in place keep
// the place in a register this way, with no size stored after every piece.
#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

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

// n bytes from from; up to 32 of them by two overlapping fixed-length copies each, without
// a library call (most pieces are a few bytes: the call would cost more than the copy).
inline char* putbytes(char* at, const char* from, std::size_t n) {
  const auto ends = [&](auto word) {  // the first and the last sizeof word bytes
    constexpr std::size_t w = sizeof word;
    decltype(word) last;
    std::memcpy(&word, from, w);
    std::memcpy(&last, from + n - w, w);
    std::memcpy(at, &word, w);
    std::memcpy(at + n - w, &last, w);
  };
  if (n > 32) {
    std::memcpy(at, from, n);
  } else if (n >= 16) {
    ends(std::array<std::uint64_t, 2>{});
  } else if (n >= 8) {
    ends(std::uint64_t{});
  } else if (n >= 4) {
    ends(std::uint32_t{});
  } else {
    for (std::size_t i = 0; i < n; ++i) at[i] = from[i];
  }
  return at + n;
}

// Text built in place before it goes to a buffered file as one write: a piece is written
// with the functions above at the place that room() gives and kept with setend(), or
// appended whole. The storage grows as needed and stays for the next text after clear().
class textbuffer {
 public:
  [[nodiscard]] bool empty() const { return size_ == 0; }
  [[nodiscard]] std::size_t size() const { return size_; }
  [[nodiscard]] std::string_view view() const { return {buf_.get(), size_}; }
  void clear() { size_ = 0; }

  // At least n characters of room at the end of the text.
  [[nodiscard]] char* room(std::size_t n) {
    if (capacity_ - size_ < n) enlarge(n);
    return buf_.get() + size_;
  }
  // The text ends at end, a place within the room given last.
  void setend(const char* end) { size_ = static_cast<std::size_t>(end - buf_.get()); }

  textbuffer& operator=(std::string_view s) {
    clear();
    return *this += s;
  }
  textbuffer& operator+=(std::string_view s) {
    setend(putbytes(room(s.size()), s.data(), s.size()));
    return *this;
  }
  textbuffer& operator+=(char c) {
    char* const at = room(1);
    *at = c;
    setend(at + 1);
    return *this;
  }
  // n copies of c.
  void append(std::size_t n, char c) {
    char* const at = room(n);
    std::fill_n(at, n, c);
    setend(at + n);
  }

 private:
  [[gnu::noinline]] void enlarge(std::size_t n) {
    const std::size_t capacity = std::max(2 * capacity_, size_ + n + 256);
    std::unique_ptr<char[]> buf(new char[capacity]);
    if (size_ > 0) std::memcpy(buf.get(), buf_.get(), size_);
    buf_ = std::move(buf);
    capacity_ = capacity;
  }

  std::unique_ptr<char[]> buf_;
  std::size_t capacity_ = 0;
  std::size_t size_ = 0;
};

}  // namespace charcursor
