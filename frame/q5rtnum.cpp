// The runtime's number conversions: Val, the real reader, the digit generator and Str.
#include "frame/q5rtnum.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <system_error>

namespace q5rt {

namespace {

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

constexpr int digit_value(char c, int base) {
  int v = 99;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  return v < base ? v : -1;
}

constexpr std::int32_t pos1(std::size_t index) { return static_cast<std::int32_t>(index + 1); }

// ---- integer Val ----

struct int_scan {
  std::int64_t value = 0;
  std::size_t stop = 0;  // index of the first character not used
  bool out_of_range = false;
};

// Reads digits of the base from index i; the magnitude must stay in the signed 32-bit
// range (2147483648 for a negative number).
int_scan scan_int(std::string_view t, std::size_t i, int base, bool negative) {
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  for (; i < t.size(); ++i) {
    const int d = digit_value(t[i], base);
    if (d < 0) break;
    magnitude = magnitude * base + d;
    if (magnitude > limit) return {0, i, true};
  }
  return {negative ? -magnitude : magnitude, i, false};
}

// ---- real Val ----

// Converts a number starting at first (digits or "."), no sign; returns the stop.
using real_converter = const char* (*)(const char* first, const char* last, double& value);

// The power of ten of the first nonzero digit of a number text (digits, point,
// exponent), saturated far beyond the double range and any count of digits; only its
// sign is used.
std::int64_t decimal_magnitude(const char* p, const char* last) {
  std::int64_t digits_before_point = 0;  // counted from the first nonzero digit
  std::int64_t zeros_after_point = 0;    // before the first nonzero digit
  bool nonzero = false;
  bool point = false;
  for (; p != last && *p != 'e' && *p != 'E'; ++p) {
    if (*p == '.') {
      point = true;
    } else if (nonzero || *p != '0') {
      nonzero = true;
      if (!point) ++digits_before_point;
    } else if (point) {
      ++zeros_after_point;
    }
  }
  constexpr std::int64_t saturated = 100'000'000'000'000'000;
  std::int64_t exponent = 0;
  if (p != last) {
    ++p;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    for (; p != last; ++p) exponent = std::min<std::int64_t>(exponent * 10 + (*p - '0'), saturated);
    if (negative) exponent = -exponent;
  }
  const std::int64_t lead =
      digits_before_point > 0 ? digits_before_point - 1 : -zeros_after_point - 1;
  return lead + exponent;
}

const char* convert_exact(const char* first, const char* last, double& value) {
  const auto r = std::from_chars(first, last, value, std::chars_format::general);
  if (r.ec == std::errc::invalid_argument) {
    value = 0.0;
    return first;
  }
  if (r.ec == std::errc::result_out_of_range) {
    // Beyond the double range: infinity, or zero below the smallest denormal.
    value = decimal_magnitude(first, r.ptr) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return r.ptr;
}

const char* convert_clib(const char* first, const char* last, double& value) {
  const std::string copy(first, last);
  char* end = nullptr;
  value = std::strtod(copy.c_str(), &end);
  return first + (end - copy.c_str());
}

struct real_rules {
  real_converter convert;
  bool refuse_high_bytes;  // a first character 128..255 is refused
  bool digit_before_x;     // "1x" gives the digit's value (else 0)
};

constexpr real_rules exact_rules{&convert_exact, true, true};
constexpr real_rules clib_rules{&convert_clib, false, false};

// The end of an exponent that follows a point: "e", an optional sign and at least one
// digit; without digits the exponent is not used (the stop is at the "e").
const char* exponent_end(const char* e, const char* last) {
  const char* p = e + 1;
  if (p != last && (*p == '+' || *p == '-')) ++p;
  const char* const digits = p;
  while (p != last && is_digit(*p)) ++p;
  return p == digits ? e : p;
}

// Real Val over [first, last): the value and the first character not used (last when
// the whole text was used). A text refused before any conversion (empty, blanks or a
// sign alone, a character that starts no number, a hexadecimal prefix) sets refused:
// its stop is an error even at the end. A template on the rules, so that the converter
// is inlined.
template <const real_rules& rules>
const char* val_real(const char* first, const char* last, double& value, bool& refused) {
  value = 0.0;
  refused = true;
  const char* p = first;
  while (p != last && *p == ' ') ++p;
  bool negative = false;
  if (p != last && (*p == '+' || *p == '-')) negative = *p++ == '-';
  if (p == last) return p;
  const char c = *p;
  const char* stop;
  if (rules.refuse_high_bytes && static_cast<unsigned char>(c) >= 128) return p;
  if (is_digit(c)) {
    if (p + 1 != last && (p[1] == 'x' || p[1] == 'X')) {
      // Hexadecimal reals are refused.
      value = rules.digit_before_x ? c - '0' : 0.0;
      return p + 1;
    }
    stop = rules.convert(p, last, value);
  } else if (c == '.') {
    if (p + 1 == last) {
      refused = false;  // a lone point reads as 0
      return last;
    }
    if (p[1] == 'e' || p[1] == 'E') {
      stop = exponent_end(p + 1, last);  // a point before the exponent reads as "0"
    } else {
      stop = std::max(rules.convert(p, last, value), p + 1);
    }
  } else {
    return p;
  }
  refused = false;
  if (negative) value = -value;
  return stop;
}

template <const real_rules& rules>
void val_real(std::string_view t, double& value, std::int32_t& code) {
  const char* const last = t.data() + t.size();
  bool refused;
  const char* const stop = val_real<rules>(t.data(), last, value, refused);
  code = (stop == last && !refused) ? 0 : pos1(static_cast<std::size_t>(stop - t.data()));
}

// ---- text building ----

// Writes characters into a destination of a capacity, dropping what does not fit.
class cut_writer {
 public:
  cut_writer(char* out, std::size_t cap) : out_(out), cap_(cap) {}
  void put(char c) {
    if (len_ < cap_) out_[len_++] = c;
  }
  void put(std::string_view s) {
    const std::size_t n = std::min(s.size(), cap_ - len_);
    std::copy_n(s.data(), n, out_ + len_);
    len_ += n;
  }
  void repeat(char c, std::int64_t n) {
    for (; n > 0 && len_ < cap_; --n) out_[len_++] = c;
  }
  std::size_t length() const { return len_; }

 private:
  char* out_;
  std::size_t cap_;
  std::size_t len_ = 0;
};

// The word of an infinity or a NaN right-aligned in w.
std::size_t word_in_width(std::string_view word, std::int32_t w, char* out, std::size_t cap) {
  cut_writer wr(out, cap);
  wr.repeat(' ', static_cast<std::int64_t>(w) - static_cast<std::int64_t>(word.size()));
  wr.put(word);
  return wr.length();
}

// Exponent text of n digits: blanks for a width above 26, sign or blank, d.ddd with
// the digits padded to n, "E", exponent sign and four exponent digits.
void dig2exp(const decimal_digits& dd, int n, std::int32_t width, cut_writer& wr) {
  Q5_ASSERT(dd.count >= 1, "digLen >= 1");
  Q5_ASSERT(dd.count <= 18, "digLen <= 18");
  if (width >= 27) wr.repeat(' ', width - 26);
  wr.put(dd.negative ? '-' : ' ');
  wr.put(dd.digits[0]);
  wr.put('.');
  wr.put(std::string_view(dd.digits + 1, static_cast<std::size_t>(dd.count - 1)));
  wr.repeat('0', n - dd.count);
  wr.put('E');
  const int e = dd.point - 1;
  wr.put(e < 0 ? '-' : '+');
  const int a = std::abs(e);
  const char exp4[4] = {static_cast<char>('0' + a / 1000 % 10),
                        static_cast<char>('0' + a / 100 % 10), static_cast<char>('0' + a / 10 % 10),
                        static_cast<char>('0' + a % 10)};
  wr.put(std::string_view(exp4, 4));
}

std::string_view special_word(double x) {
  if (std::isnan(x)) return "Nan";
  return x > 0 ? "+Inf" : "-Inf";
}

// Beyond these magnitudes the fixed form falls back to the exponent form.
constexpr double fixed_max = 0x1.fffffffffffffp+118;  // (2^53 - 1) * 2^66
constexpr double fixed_min = 0x1p-116;

}  // namespace

// ---- text to number ----

std::int32_t Q5_Val_SPD(std::string_view t, std::int32_t& code) {
  std::size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  if (i >= t.size()) {
    code = pos1(i);
    return 0;
  }
  const char c = t[i];
  int_scan r;
  if (c >= '1' && c <= '9') {
    r = scan_int(t, i, 10, negative);
  } else if (c == '0') {
    const std::size_t n = i + 1;
    if (n >= t.size() || is_digit(t[n])) {
      r = scan_int(t, i, 10, negative);  // leading zeros are decimal
    } else if (t[n] == 'x' || t[n] == 'X') {
      r = scan_int(t, n + 1, 16, negative);
      if (r.stop == n + 1) {  // "0x" without digits: the error is after the x
        code = pos1(n + 1);
        return 0;
      }
    } else {
      code = pos1(i);
      return 0;
    }
  } else if (c == '$' && i + 1 < t.size() && digit_value(t[i + 1], 16) >= 0) {
    r = scan_int(t, i + 1, 16, negative);
  } else {
    code = pos1(c == '$' ? i + 1 : i);
    return 0;
  }
  code = (r.out_of_range || r.stop < t.size()) ? pos1(r.stop) : 0;
  return static_cast<std::int32_t>(r.value);
}

void Q5_Val_i(std::string_view text, std::int32_t& value, std::int32_t& code) {
  value = Q5_Val_SPD(text, code);
}

void Q5_Val_dd(std::string_view text, double& value, std::int32_t& code) {
  val_real<exact_rules>(text, value, code);
}

void Q5_Val_d(std::string_view text, double& value, std::int32_t& code) {
  std::string copy(text);
  std::replace_if(
      copy.begin(), copy.end(), [](char c) { return c == 'D' || c == 'd'; }, 'Z');
  val_real<clib_rules>(copy, value, code);
}

real_read convert_real_token(std::string_view token) {
  real_read r;
  std::int32_t code = 0;
  Q5_Val_dd(token, r.value, code);
  if (code != 0) r = {0.0, read_status::bad_format};
  return r;
}

const char* read_real_at(const char* first, const char* last, real_read& r) {
  bool refused;
  const char* stop = val_real<exact_rules>(first, last, r.value, refused);
  if (!refused && (stop == last || detail::white_byte(*stop))) {
    r.status = read_status::ok;
    return stop;
  }
  // Not a number up to the token's end: the whole token is consumed as one error.
  while (stop != last && !detail::white_byte(*stop)) ++stop;
  r = {0.0, read_status::bad_format};
  return stop;
}

// ---- the digit generator ----

namespace {

// The sign bit, and the word of an infinity or a NaN (false then: no digits follow).
bool start_digits(double x, decimal_digits& dd) {
  dd.negative = std::signbit(x);
  if (std::isfinite(x)) return true;
  dd.word = special_word(x);
  return false;
}

}  // namespace

namespace {

// The n digits of ax > 0 (finite) through the C++ library, the exact reference.
void sig_digits_exact(double ax, int n, decimal_digits& dd) {
  char buf[48];
  const auto r = std::to_chars(buf, buf + sizeof buf, ax, std::chars_format::scientific, n - 1);
  // buf: d[.ddd]e(+|-)dd[d]
  dd.digits[0] = buf[0];
  const char* p = buf + 1;
  if (n > 1) {
    std::copy_n(buf + 2, n - 1, dd.digits + 1);
    p = buf + 1 + n;
  }
  dd.count = n;
  const bool negative_exponent = p[1] == '-';
  int e = 0;
  for (p += 2; p != r.ptr; ++p) e = e * 10 + (*p - '0');
  dd.point = (negative_exponent ? -e : e) + 1;
}

using u128 = unsigned __int128;

// 5^k for k = 0..27, the powers that fit in 64 bits with 10^k = 5^k * 2^k.
constexpr auto pow5 = [] {
  std::array<std::uint64_t, 28> t{};
  t[0] = 1;
  for (std::size_t k = 1; k < t.size(); ++k) t[k] = t[k - 1] * 5;
  return t;
}();
constexpr auto pow10 = [] {
  std::array<std::uint64_t, 20> t{};
  t[0] = 1;
  for (std::size_t k = 1; k < t.size(); ++k) t[k] = t[k - 1] * 10;
  return t;
}();

// The n decimal digits of q < 10^n, leading zeros included: eight at a time in 32-bit
// arithmetic, each eight in pairs.
void put_digits(std::uint64_t q, int n, char* out) {
  char* p = out + n;
  const auto pair = [&p](std::uint32_t v) {
    p -= 2;
    std::copy_n(&digitpairs[2 * v], 2, p);
  };
  while (p - out > 8) {
    auto low = static_cast<std::uint32_t>(q % 100'000'000);
    q /= 100'000'000;
    for (int i = 0; i < 4; ++i, low /= 100) pair(low % 100);
  }
  auto rest = static_cast<std::uint32_t>(q);
  while (p - out >= 2) {
    pair(rest % 100);
    rest /= 100;
  }
  if (p != out) *--p = static_cast<char>('0' + rest);
}

// floor(ax * 10^k) and the fraction it drops, told apart as the rounding needs it.
struct scaled_floor {
  std::uint64_t q = 0;
  bool inexact = false;  // the dropped fraction is not zero
  int vs_half = -1;      // the dropped fraction against one half: -1, 0 or 1
};

// -1, 0 or 1 as a is below, equal to or above b.
template <class T>
int compare(T a, T b) {
  return static_cast<int>(a > b) - static_cast<int>(a < b);
}

// round(x), ties to even, from its floor and dropped fraction (up above one half, and at
// one half from an odd floor).
std::uint64_t rounded(const scaled_floor& f) {
  return f.q + static_cast<std::uint64_t>(f.vs_half + static_cast<int>(f.q & 1) > 0);
}

// round(x / 10), ties to even, from floor(x) and its dropped fraction: the last digit
// of the floor and whether anything was dropped below it decide.
std::uint64_t rounded_tenth(const scaled_floor& f) {
  const std::uint64_t q = f.q / 10;
  const std::uint64_t last = f.q - q * 10;
  // up for a last digit above 5, and at 5 when more was dropped or the tenth is odd
  const std::uint64_t tail = f.inexact || (q & 1) != 0 ? 1 : 0;
  return q + static_cast<std::uint64_t>(2 * last + tail > 10);
}

// The dropped fraction rem / den against one half.
scaled_floor with_fraction(std::uint64_t q, u128 rem, u128 den) {
  const u128 rest = den - rem;
  return {q, rem != 0, compare(rem, rest)};
}

// floor(m * 2^b / 5^-k) for k < 0 (a division: kept out of line, so that the common
// path below needs no call and few registers).
[[gnu::noinline]] std::optional<scaled_floor> scaled_floor_down(std::uint64_t m, int b, int k) {
  const int t = b + k;
  const std::uint64_t d5 = pow5[static_cast<std::size_t>(-k)];  // < 2^63
  u128 num = m;
  u128 den = d5;
  if (t >= 0) {
    if (t > 74) return std::nullopt;
    num <<= t;
  } else {
    if (t < -64) return std::nullopt;
    den <<= -t;
  }
  const u128 q = num / den;
  return with_fraction(static_cast<std::uint64_t>(q), num - q * den, den);
}

// floor(ax * 10^k) for ax = m * 2^b and a k with ax * 10^k < 2^64, exactly, in
// 128-bit integers: with 10^k = 5^k * 2^k the value is m * 5^k * 2^(b + k). None where
// the integers would not suffice (then the exact path takes over).
std::optional<scaled_floor> scaled_floor_of(std::uint64_t m, int b, int k) {
  if (k > 27 || k < -27) return std::nullopt;
  if (k < 0) return scaled_floor_down(m, b, k);
  const int t = b + k;  // the net power of two
  const u128 num = static_cast<u128>(m) * pow5[static_cast<std::size_t>(k)];  // < 2^117
  if (t >= 0) {
    if (t > 10) return std::nullopt;
    return scaled_floor{static_cast<std::uint64_t>(num << t), false, -1};  // nothing dropped
  }
  const int s = -t;
  if (s < 64) {
    // The common magnitudes (about 1e-6 .. 1e15 at 15 digits): a shift by less than a
    // word, so the quotient and the dropped bits are single words.
    const auto lo = static_cast<std::uint64_t>(num);
    const auto hi = static_cast<std::uint64_t>(num >> 64);
    const std::uint64_t rem = lo & ((std::uint64_t{1} << s) - 1);
    const std::uint64_t half = std::uint64_t{1} << (s - 1);
    return scaled_floor{lo >> s | hi << (64 - s), rem != 0, compare(rem, half)};
  }
  if (s >= 117) return std::nullopt;
  const u128 one = 1;
  return with_fraction(static_cast<std::uint64_t>(num >> s), num & ((one << s) - 1), one << s);
}

}  // namespace

bool dtoaloc_sig_integer(double ax, int n, sig_integer& r) {
  // ax = m * 2^b with the 53-bit integer m, so 2^(b + 52) <= ax < 2^(b + 53)
  const auto bits = std::bit_cast<std::uint64_t>(ax);
  const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int b = static_cast<int>(bits >> 52) - 1075;
  // The power of ten of the first digit, estimated from the binary one: floor((b + 52) *
  // log10(2)), exact for these exponents, is never too large and at most one too small;
  // so ax * 10^(n-1-e) < 2 * 10^n.
  const int e = ((b + 52) * 78913) >> 18;
  const std::optional<scaled_floor> f = scaled_floor_of(m, b, n - 1 - e);
  if (!f) return false;
  // When e was one too small (or the rounding carried to 10^n) the digits are those of
  // one place up, rounded from the same floor: no second scaling.
  const std::uint64_t q = rounded(*f);
  const bool up = q >= pow10[static_cast<std::size_t>(n)];
  r = {up ? rounded_tenth(*f) : q, up ? e + 1 : e};
  return true;
}

namespace {

// The n digits of a normal ax > 0 through integers; false where they would not suffice.
bool scaled_digits(double ax, int n, decimal_digits& dd) {
  sig_integer r;
  if (!dtoaloc_sig_integer(ax, n, r)) return false;
  put_digits(r.q, n, dd.digits);
  dd.count = n;
  dd.point = r.e + 1;
  return true;
}

}  // namespace

decimal_digits dtoaloc_sig(double x, int n) {
  decimal_digits dd;
  if (!start_digits(x, dd)) return dd;
  if (x == 0.0) {
    dd.digits[0] = '0';
    dd.count = 1;
    dd.point = 1;
    return dd;
  }
  n = std::clamp(n, 1, 18);
  const double ax = std::fabs(x);
  if (!std::isnormal(ax) || !scaled_digits(ax, n, dd)) sig_digits_exact(ax, n, dd);
  while (dd.count > 1 && dd.digits[dd.count - 1] == '0') --dd.count;
  return dd;
}

decimal_digits dtoaloc_fixed(double x, int k) {
  decimal_digits dd;
  if (!start_digits(x, dd)) return dd;
  Q5_ASSERT(std::fabs(x) < 1e36 && k >= 0 && k <= 215, "fixed digits out of range");
  char buf[300];
  const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::fixed, k);
  for (const char* p = buf; p != r.ptr; ++p) {
    if (*p == '.') continue;
    if (dd.count == 0 && *p == '0') {  // leading zeros move the point
      --dd.point;
    } else {
      dd.digits[dd.count++] = *p;
    }
  }
  const auto dot = std::find(buf, r.ptr, '.');
  dd.point += static_cast<int>(dot - buf);
  while (dd.count > 0 && dd.digits[dd.count - 1] == '0') --dd.count;
  if (dd.count == 0) dd.point = -k;
  return dd;
}

// ---- number to text ----

std::size_t str_dd1(double x, std::int32_t w, char* out, std::size_t cap) {
  cut_writer wr(out, cap);
  if (static_cast<std::int64_t>(cap) + 26 < w) {
    wr.repeat(' ', static_cast<std::int64_t>(cap));
    return wr.length();
  }
  const std::int32_t width = std::max(w, 10);
  const int n = w < 10 ? 2 : std::min(w - 8, 18);
  const decimal_digits dd = dtoaloc_sig(x, n);
  if (!dd.word.empty()) return word_in_width(dd.word, w, out, cap);
  dig2exp(dd, n, width, wr);
  return wr.length();
}

std::size_t str_dd2(double x, std::int32_t w, std::int32_t d, char* out, std::size_t cap) {
  if (d < 0) return str_dd1(x, w, out, cap);
  const int k = std::min(d, 215);
  if (!std::isfinite(x)) return word_in_width(special_word(x), w, out, cap);
  const double ax = std::fabs(x);
  if (ax > fixed_max || (x != 0.0 && ax < fixed_min)) return str_dd1(x, w, out, cap);
  decimal_digits dd = dtoaloc_fixed(x, k);
  if (dd.count > 18) dd = dtoaloc_sig(x, 18);

  char text[300];
  cut_writer t(text, sizeof text);
  if (dd.negative) t.put('-');
  const int count = dd.count;
  const int point = dd.point;
  const std::string_view digits = dd.view();
  if (count == 0 && k == 0) {
    t.put('0');  // rounds to zero without decimals: "0", never an empty text
  } else if (count <= point) {
    t.put(digits);
    t.repeat('0', point - count);
    if (k > 0) {
      t.put('.');
      t.repeat('0', k);
    }
  } else if (point > 0) {
    t.put(digits.substr(0, static_cast<std::size_t>(point)));
    t.put('.');
    t.put(digits.substr(static_cast<std::size_t>(point)));
    t.repeat('0', k - (count - point));
  } else {
    t.put("0.");
    t.repeat('0', -point);
    t.put(digits);
    t.repeat('0', k - (count - point));
  }
  cut_writer wr(out, cap);
  wr.repeat(' ', static_cast<std::int64_t>(w) - static_cast<std::int64_t>(t.length()));
  wr.put(std::string_view(text, t.length()));
  return wr.length();
}

std::size_t str_i1(std::int32_t v, std::int32_t w, char* out, std::size_t cap) {
  char buf[16];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  const std::string_view digits(buf, static_cast<std::size_t>(r.ptr - buf));
  // As "%<w>d": a negative width pads on the right.
  const std::int64_t pad =
      std::abs(static_cast<std::int64_t>(w)) - static_cast<std::int64_t>(digits.size());
  cut_writer wr(out, cap);
  if (w >= 0) wr.repeat(' ', pad);
  wr.put(digits);
  if (w < 0) wr.repeat(' ', pad);
  return wr.length();
}

// ---- the C library twins ----

namespace {

// Formats one double with a printf template built from two numbers, cut to cap.
std::size_t clib_format(const char* templ, std::int32_t a, std::int32_t b, double x, char* out,
                        std::size_t cap) {
  char format[48];
  std::snprintf(format, sizeof format, templ, a, b);
  char text[512];
  const int n = std::snprintf(text, sizeof text, format, x);
  const auto len = std::min({static_cast<std::size_t>(std::max(n, 0)), sizeof text - 1, cap});
  std::copy_n(text, len, out);
  return len;
}

}  // namespace

std::size_t str_d0(double x, char* out, std::size_t cap) {
  return clib_format("%%%d.%dE", 23, 14, x, out, cap);
}

std::size_t str_d1(double x, std::int32_t w, char* out, std::size_t cap) {
  const std::int32_t digits = w < 10 ? 2 : std::min(w - 8, 18);
  return clib_format("%%%d.%dE", std::max(w, 10), digits, x, out, cap);
}

std::size_t str_d2(double x, std::int32_t w, std::int32_t d, char* out, std::size_t cap) {
  if (d < 0) return str_d1(x, w, out, cap);
  return clib_format(std::fabs(x) > 1e37 ? "%%%d.%dE" : "%%%d.%df", w, d, x, out, cap);
}

}  // namespace q5rt
