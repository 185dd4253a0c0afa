// The runtime's numbers as text and text as numbers: Val (text to integer or real, with
// the position of the first character not used), the reading of a real token from a
// character source, the correctly rounded digit generator and the Str texts of reals
// and integers.
//
// Usage:
//   std::int32_t code;
//   std::int32_t n = q5rt::Q5_Val_SPD(" 12", code);     // 12, code 0
//   double v; q5rt::Q5_Val_dd("-2.5E-3", v, code);      // -0.0025, code 0
//   q5rt::sstr t = q5rt::Q5_Str_dd0(1.5);               // " 1.50000000000000E+0000"
//   q5rt::string_source src(data); double x = q5rt::Q5read_dd(src);
//
// Accepted grammar of the real Val: blanks* [+|-] (digits [. digits*] | . digits+)
// [(e|E) [+|-] digits+]; a lone "." reads as 0; hexadecimal is refused. Integer Val:
// blanks* [+|-] (digits | 0x hexdigits | $ hexdigits); the value must lie in the
// signed 32-bit range, otherwise the value is 0 and the code points at the digit that
// left the range.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "frame/q5rt.h"

namespace q5rt {

// ---- text to number ----

// Integer Val: the value, with code 0 when the whole text was used, else the 1-based
// position of the first character not used.
[[nodiscard]] std::int32_t Q5_Val_SPD(std::string_view text, std::int32_t& code);
void Q5_Val_i(std::string_view text, std::int32_t& value, std::int32_t& code);

// Real Val, correctly rounded; code as for the integer Val. A magnitude beyond the
// double range gives an infinity, one below the smallest denormal zero.
void Q5_Val_dd(std::string_view text, double& value, std::int32_t& code);
// The twin through the C library's strtod ("D" and "d" are never exponent letters).
void Q5_Val_d(std::string_view text, double& value, std::int32_t& code);

// Outcome of reading one real token.
enum class read_status : std::uint8_t {
  ok,
  end_of_file,  // nothing but white space up to the end
  bad_format,   // the token is no number
};
struct real_read {
  double value = 0.0;
  read_status status = read_status::ok;
};

inline constexpr int ioerr_read_past_eof = 100;
inline constexpr int ioerr_bad_numeric = 106;
inline constexpr std::string_view invalid_numeric_format = "Invalid numeric format";
inline constexpr std::string_view read_past_end = "Read past end of file";

// Blank, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool is_white(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

namespace detail {
inline constexpr auto white_table = [] {
  std::array<bool, 256> t{};
  for (int c = 0; c < 256; ++c) t[static_cast<std::size_t>(c)] = is_white(c);
  return t;
}();
inline bool white_byte(char c) { return white_table[static_cast<unsigned char>(c)]; }
}  // namespace detail

// Converts one whole token (of any length) as the real reader does.
[[nodiscard]] real_read convert_real_token(std::string_view token);
// Converts the token that starts at first (not white space) and ends at the next white
// space or at last; gives the token's end.
[[nodiscard]] const char* read_real_at(const char* first, const char* last, real_read& r);

// Reads the next real from a character source: skips white space (line ends included),
// collects the token up to the next white space or the end (whole, however long; the
// delimiter stays in the source) and converts it. A Source offers
//   int peek();     // the next byte 0..255, or -1 at the end
//   void advance(); // consumes it
// A source that also offers its unread bytes at once (std::string_view rest() and
// void skip(std::size_t n)) is read without copying the token.
template <class Source>
[[nodiscard]] real_read read_real(Source& src) {
  if constexpr (requires {
                  src.rest();
                  src.skip(std::size_t{});
                }) {
    const std::string_view rest = src.rest();
    const char* const first = rest.data();
    const char* const last = first + rest.size();
    const char* p = first;
    while (p != last && detail::white_byte(*p)) ++p;
    real_read r{0.0, read_status::end_of_file};
    if (p != last) p = read_real_at(p, last, r);
    src.skip(static_cast<std::size_t>(p - first));
    return r;
  } else {
    int c = src.peek();
    while (c >= 0 && is_white(c)) {
      src.advance();
      c = src.peek();
    }
    if (c < 0) return {0.0, read_status::end_of_file};
    char small[256];
    std::size_t n = 0;
    std::string big;  // only for tokens longer than the small buffer
    while (c >= 0 && !is_white(c)) {
      if (n < sizeof small) {
        small[n++] = static_cast<char>(c);
      } else {
        if (big.empty()) big.assign(small, n);
        big.push_back(static_cast<char>(c));
      }
      src.advance();
      c = src.peek();
    }
    return convert_real_token(big.empty() ? std::string_view(small, n) : std::string_view(big));
  }
}

// The reading of a real with the runtime's I/O errors: a malformed token raises
// io_error 106 "Invalid numeric format"; the end of the input raises io_error 100 (a
// truncated file never reads as zeros).
template <class Source>
[[nodiscard]] double Q5read_dd(Source& src) {
  const real_read r = read_real(src);
  if (r.status == read_status::bad_format)
    throw io_error(ioerr_bad_numeric, invalid_numeric_format);
  if (r.status == read_status::end_of_file) throw io_error(ioerr_read_past_eof, read_past_end);
  return r.value;
}

// A character source over a buffer: the string entry of the real reader.
class string_source {
 public:
  explicit string_source(std::string_view data) : data_(data) {}
  // The buffer must outlive the source: no temporary strings.
  template <class S>
  requires(!std::is_lvalue_reference_v<S> &&
           std::is_same_v<std::remove_cvref_t<S>, std::string>) explicit string_source(S&&) =
      delete;
  int peek() const { return pos_ < data_.size() ? static_cast<unsigned char>(data_[pos_]) : -1; }
  void advance() { ++pos_; }
  std::string_view rest() const { return data_.substr(pos_); }
  void skip(std::size_t n) { pos_ += n; }
  std::size_t position() const { return pos_; }

 private:
  std::string_view data_;
  std::size_t pos_ = 0;
};

// ---- the digit generator ----

// "00" "01" .. "99": the two characters of i < 100 at 2 * i, for writing digits in pairs.
inline constexpr std::array<char, 200> digitpairs = [] {
  std::array<char, 200> t{};
  for (std::size_t i = 0; i < 100; ++i) {
    t[2 * i] = static_cast<char>('0' + i / 10);
    t[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return t;
}();

// Decimal digits of a double: the value is 0.d1d2... times ten to the power point
// (the point stands after `point` digits), with the sign bit apart. A word ("+Inf",
// "-Inf", "Nan") stands in place of digits for infinities and NaN.
struct decimal_digits {
  static constexpr int max_count = 256;
  char digits[max_count];
  int count = 0;
  int point = 0;
  bool negative = false;
  std::string_view word;  // non-empty for an infinity or a NaN

  std::string_view view() const { return {digits, static_cast<std::size_t>(count)}; }
};

// Significant-digit mode: at most n (1..18) digits correctly rounded, ties to even,
// trailing zeros removed; zero gives "0" with the point after it.
[[nodiscard]] decimal_digits dtoaloc_sig(double x, int n);
// The significant-digit mode's digits as one integer, for a normal ax > 0 (no sign, no
// word): q of exactly n (1..18) digits, trailing zeros kept, and e, the power of ten of
// its first digit, so that q * 10^(e + 1 - n) is ax correctly rounded, ties to even.
// False where 128-bit integers do not suffice (far magnitudes); dtoaloc_sig then takes
// its exact path.
struct sig_integer {
  std::uint64_t q = 0;
  int e = 0;
};
[[nodiscard]] bool dtoaloc_sig_integer(double ax, int n, sig_integer& r);
// Fixed mode: the digits of x rounded to k (0..215) decimals, ties to even, trailing
// zeros removed; a value rounding to zero gives no digits and point -k. Needs |x| < 1e36
// (a failed internal check otherwise).
[[nodiscard]] decimal_digits dtoaloc_fixed(double x, int k);

// ---- number to text ----
// Each writer fills at most cap characters into out and returns the length: a longer
// text is cut to the capacity.

[[nodiscard]] std::size_t str_dd1(double x, std::int32_t w, char* out, std::size_t cap);
[[nodiscard]] std::size_t str_dd2(double x, std::int32_t w, std::int32_t d, char* out,
                                  std::size_t cap);
[[nodiscard]] std::size_t str_i1(std::int32_t v, std::int32_t w, char* out, std::size_t cap);

// Default real text: 23 characters, sign or blank, d.dddddddddddddd, "E", exponent sign
// and four exponent digits; infinities and NaN as the word right-aligned in 23.
template <std::size_t Cap>
void Q5_Str_dd0(double x, shortstring<Cap>& dest) {
  dest.set_length(str_dd1(x, 23, dest.data(), Cap));
}
// Exponent form of a width (at least 10 characters, 2 to 18 digits).
template <std::size_t Cap>
void Q5_Str_dd1(double x, std::int32_t w, shortstring<Cap>& dest) {
  dest.set_length(str_dd1(x, w, dest.data(), Cap));
}
// Fixed form with d decimals right-aligned in w (exponent form for d < 0 and for
// magnitudes outside about 1.2E-35 .. 6.6E35).
template <std::size_t Cap>
void Q5_Str_dd2(double x, std::int32_t w, std::int32_t d, shortstring<Cap>& dest) {
  dest.set_length(str_dd2(x, w, d, dest.data(), Cap));
}
// Integer texts, "%d" and "%<w>d": right-aligned in w, left-aligned in -w for a negative
// width (never cut to w).
template <std::size_t Cap>
void Q5_Str_i0(std::int32_t v, shortstring<Cap>& dest) {
  dest.set_length(str_i1(v, 0, dest.data(), Cap));
}
template <std::size_t Cap>
void Q5_Str_i1(std::int32_t v, std::int32_t w, shortstring<Cap>& dest) {
  dest.set_length(str_i1(v, w, dest.data(), Cap));
}

// Twins through the C library's formatted printing (not used for file text):
// "%23.14E"; "%W.pE" with W = max(w, 10) and p = 2 (w < 10) or min(w - 8, 18);
// "%w.df" (d < 0 as the second, "%w.dE" above 1E37). Each cut to the capacity.
[[nodiscard]] std::size_t str_d0(double x, char* out, std::size_t cap);
[[nodiscard]] std::size_t str_d1(double x, std::int32_t w, char* out, std::size_t cap);
[[nodiscard]] std::size_t str_d2(double x, std::int32_t w, std::int32_t d, char* out,
                                 std::size_t cap);

template <std::size_t Cap>
void Q5_Str_d0(double x, shortstring<Cap>& dest) {
  dest.set_length(str_d0(x, dest.data(), Cap));
}
template <std::size_t Cap>
void Q5_Str_d1(double x, std::int32_t w, shortstring<Cap>& dest) {
  dest.set_length(str_d1(x, w, dest.data(), Cap));
}
template <std::size_t Cap>
void Q5_Str_d2(double x, std::int32_t w, std::int32_t d, shortstring<Cap>& dest) {
  dest.set_length(str_d2(x, w, d, dest.data(), Cap));
}

[[nodiscard]] inline sstr Q5_Str_dd0(double x) {
  sstr s;
  Q5_Str_dd0(x, s);
  return s;
}
[[nodiscard]] inline sstr Q5_Str_dd1(double x, std::int32_t w) {
  sstr s;
  Q5_Str_dd1(x, w, s);
  return s;
}
[[nodiscard]] inline sstr Q5_Str_dd2(double x, std::int32_t w, std::int32_t d) {
  sstr s;
  Q5_Str_dd2(x, w, d, s);
  return s;
}
[[nodiscard]] inline sstr Q5_Str_i0(std::int32_t v) {
  sstr s;
  Q5_Str_i0(v, s);
  return s;
}
[[nodiscard]] inline sstr Q5_Str_i1(std::int32_t v, std::int32_t w) {
  sstr s;
  Q5_Str_i1(v, w, s);
  return s;
}

}  // namespace q5rt
