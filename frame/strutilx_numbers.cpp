// strutilx: the short number text, integer texts and conversions with words.
#include "frame/strutilx_numbers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "frame/q5rtnum.h"
#include "frame/strutilx.h"
#include "instance/zlmspecs.h"

namespace strutilx {

namespace {

// The whole text equals the word, ASCII case ignored.
bool is_word(std::string_view s, std::string_view word) { return struequal(s, word); }

constexpr int sigdigits = 15;

// Sixteen characters held in one integer, the first character in the lowest byte. The
// layout shifts and stores them whole, so it never reads back bytes it has just written
// piecewise (which would stall the store buffer).
using text16 = unsigned __int128;

constexpr text16 repeated16(char c) {
  text16 t = 0;
  for (int i = 0; i < 16; ++i) t = t << 8 | static_cast<unsigned char>(c);
  return t;
}

// The characters from k on (0 <= k < 16), the first of them now in the lowest byte.
text16 chars_from(text16 t, int k) { return t >> (8 * k); }

// All sixteen characters into out.
void store(text16 t, char* out) {
  std::array<std::uint64_t, 2> w = {static_cast<std::uint64_t>(t),
                                    static_cast<std::uint64_t>(t >> 64)};
  if constexpr (std::endian::native == std::endian::big)
    w = {__builtin_bswap64(w[0]), __builtin_bswap64(w[1])};
  std::memcpy(out, w.data(), 16);
}

// The two characters of i < 100 as one value, the first in the lower byte.
std::uint64_t digitpair(std::uint64_t i) {
  return static_cast<unsigned char>(q5rt::digitpairs[2 * i]) |
         std::uint64_t{static_cast<unsigned char>(q5rt::digitpairs[2 * i + 1])} << 8;
}

// The eight digits of v < 10^8 (leading zeros included) as characters, the first in the
// lowest byte. f = v * ceil(2^57 / 10^6) is v / 10^6 in fixed point with 57 fraction
// bits: its integer part is the first two digits, and each multiplication of the
// fraction by 100 brings up the next two; it is done as one by 25 with the point two
// bits lower (two cheap steps instead of three). The rounding up of the constant adds
// less than 10^8 * 2^-57 * 10^6 < 10^-3 of a unit by the last pair, so no pair comes out
// one too small or too large.
std::uint64_t digits8(std::uint32_t v) {
  int point = 57;
  std::uint64_t f = std::uint64_t{v} * ((std::uint64_t{1} << point) / 1'000'000 + 1);
  std::uint64_t chars = digitpair(f >> point);
  for (int shift = 16; shift < 64; shift += 16) {
    f = (f & ((std::uint64_t{1} << point) - 1)) * 25;
    point -= 2;
    chars |= digitpair(f >> point) << shift;
  }
  return chars;
}

// A number's 15 significant digits as 16 characters (at least one, then zeros to 16)
// and how many count (trailing zeros removed).
struct digits16 {
  text16 chars = 0;
  int count = 0;
  int e = 0;  // power of ten of the first digit
};

// The common case: a normal ax through the integer path. The 16 digits of q * 10 are
// the 15 digits and a zero, written from two groups of eight; the trailing zeros are
// the zero bytes at the top of the characters less "0"s. False where the integer path
// does not apply.
bool integer_digits(double ax, digits16& d) {
  q5rt::sig_integer r;
  if (!std::isnormal(ax) || !q5rt::dtoaloc_sig_integer(ax, sigdigits, r)) return false;
  constexpr std::uint64_t group = 100'000'000;
  const std::uint64_t q = r.q * 10;
  d.chars = digits8(static_cast<std::uint32_t>(q / group)) |
            text16{digits8(static_cast<std::uint32_t>(q % group))} << 64;
  const text16 zeros = d.chars ^ repeated16('0');  // a zero byte for each "0"
  const auto top = static_cast<std::uint64_t>(zeros >> 64);
  const int trailing = top != 0 ? std::countl_zero(top) / 8
                                : 8 + std::countl_zero(static_cast<std::uint64_t>(zeros)) / 8;
  d.count = 16 - trailing;
  d.e = r.e;
  return true;
}

// The digits of the exact path (subnormals and far magnitudes), or the word of an
// infinity or a NaN.
std::string_view exact_digits(double x, digits16& d) {
  const q5rt::decimal_digits dd = q5rt::dtoaloc_sig(x, sigdigits);
  if (!dd.word.empty()) return dd.word;
  d.chars = repeated16('0');
  for (int i = dd.count - 1; i >= 0; --i)
    d.chars = d.chars << 8 | static_cast<unsigned char>(dd.digits[i]);
  d.count = dd.count;
  d.e = dd.point - 1;
  return {};
}

// A minus sign for a negative number, without a branch (signs of model data follow no
// pattern): the '-' is always stored, and kept by moving past it.
void put_sign(bool negative, char*& p) {
  *p = '-';
  p += negative ? 1 : 0;
}

// The digits laid out: plain decimal (with separator) or mantissa, exponent letter and
// exponent. Writes scratch bytes past the text's end, within dbltostr_room.
std::size_t lay_out(const digits16& d, bool negative, bool plain, char separator, char exponent,
                    char* out) {
  const int e = d.e;
  const int count = d.count;
  char* p = out;
  put_sign(negative, p);
  if (plain && e >= 0) {
    // Integer part D1..D(E+1), padded with zeros past the digits; then the fraction.
    store(d.chars, p);
    p += e + 1;
    if (count > e + 1) {
      *p = separator;
      store(chars_from(d.chars, e + 1), p + 1);
      p += 1 + count - (e + 1);
    }
  } else if (plain) {
    std::memcpy(p, "0.000000", 8);  // at most three zeros above 1e-4
    p[1] = separator;
    p += 2 + (-e - 1);
    store(d.chars, p);
    p += count;
  } else {
    *p = static_cast<char>(d.chars);
    if (count > 1) {
      p[1] = '.';
      store(chars_from(d.chars, 1), p + 2);
      p += count;
    }
    p[1] = exponent;
    p = std::to_chars(p + 2, p + 7, e).ptr;
  }
  return static_cast<std::size_t>(p - out);
}

// Whole numbers of the plain range (bounds, counts): 15 digits hold them exactly, so
// their text is their integer's decimal text. 0 for any other x.
std::size_t whole_text(double x, char* out) {
  const double ax = std::fabs(x);
  if (!(ax < 1e15)) return 0;  // also NaN
  const auto v = static_cast<std::uint64_t>(ax);
  if (static_cast<double>(v) != ax) return 0;
  char* p = out;
  put_sign(x < 0, p);
  return static_cast<std::size_t>(std::to_chars(p, p + 16, v).ptr - out);
}

// Short number text of a nonzero value into out (room for dbltostr_room characters).
std::size_t short_text(double x, char separator, char exponent, char* out) {
  if (const std::size_t n = whole_text(x, out); n != 0) return n;
  digits16 d;
  if (!integer_digits(std::fabs(x), d)) {
    const std::string_view word = exact_digits(x, d);
    if (!word.empty()) {  // "+Inf" loses its "+"
      const std::string_view w = word[0] == '+' ? word.substr(1) : word;
      return static_cast<std::size_t>(std::copy(w.begin(), w.end(), out) - out);
    }
  }
  return lay_out(d, std::signbit(x), dbltostr_plain(x), separator, exponent, out);
}

q5rt::sstr text_of(std::string_view s) { return q5rt::sstr::cut(s); }

// Decimal digits of v with "," between groups of three when grouped.
q5rt::sstr int_text(std::int64_t v, std::int32_t w, bool grouped) {
  char digits[24];
  const auto r = std::to_chars(digits, digits + sizeof digits, v);
  std::string_view plain(digits, static_cast<std::size_t>(r.ptr - digits));
  char text[32];
  std::size_t n = 0;
  if (plain.front() == '-') {
    text[n++] = '-';
    plain.remove_prefix(1);
  }
  for (std::size_t i = 0; i < plain.size(); ++i) {
    if (grouped && i > 0 && (plain.size() - i) % 3 == 0) text[n++] = ',';
    text[n++] = plain[i];
  }
  q5rt::sstr s;
  const std::int64_t width = std::min<std::int64_t>(w, 255);
  for (std::int64_t b = static_cast<std::int64_t>(n); b < width; ++b) s.append_cut(' ');
  s.append_cut(std::string_view(text, n));
  return s;
}

}  // namespace

std::size_t dbltostr_wide(double x, char separator, char* out, char exponent) {
  if (x == 0.0) {
    out[0] = '0';
    return 1;
  }
  return short_text(x, separator, exponent, out);
}

std::size_t dbltostr_chars(double x, char separator, char* out) {
  char text[dbltostr_room] = {};
  const std::size_t n = dbltostr_wide(x, separator, text);
  std::copy_n(text, dbltostr_maxlen, out);  // fixed length: no call
  return n;
}

q5rt::sstr dbltostrsep(double x, char separator) {
  static_assert(q5rt::sstr::capacity >= dbltostr_room);
  q5rt::sstr s;
  s.set_length(dbltostr_wide(x, separator, s.data()));
  return s;
}

q5rt::sstr dbltostr(double x) { return dbltostrsep(x, '.'); }

q5rt::sstr dbltostrex(double x) {
  if (x == zlmspecs::valbig) return text_of("maxdouble");
  if (x == zlmspecs::valsmall) return text_of("mindouble");
  return dbltostr(x);
}

q5rt::sstr zlmvaltostr(double x) {
  using namespace zlmspecs;
  if (std::fabs(x) <= valtiny) return text_of("0");
  if (x >= valsmall && x <= valbig) return dbltostr(x);
  if (x < valsmall) return text_of("-Inf");
  if (x == valpin) return text_of("+Inf");
  if (x == valmin) return text_of("-Inf");
  if (x == valeps) return text_of("Eps");
  if (x == valna) return text_of("Na");
  if (x == valund) return text_of("Undf");
  return text_of("+Inf");  // acronyms, other huge values and NaN
}

q5rt::sstr inttostrw(std::int64_t v, std::int32_t w) { return int_text(v, w, false); }

q5rt::sstr inttostrex(std::int32_t i) {
  if (i == 2147483647) return text_of("maxint");
  if (i == -2147483647 - 1) return text_of("minint");
  return int_text(i, 0, false);
}

q5rt::sstr inttonicestrw(std::int64_t v, std::int32_t w) { return int_text(v, w, true); }

q5rt::sstr inttonicestr(std::int64_t v) { return int_text(v, 0, true); }

std::int32_t integerwidth(std::int32_t i) {
  char buf[16];
  return static_cast<std::int32_t>(std::to_chars(buf, buf + sizeof buf, i).ptr - buf);
}

q5rt::sstr mem64tonicestr(std::int64_t v, std::int32_t w) {
  std::string_view unit = " b";
  if (v >= 16777216) {
    v = (v + 524288) / 1048576;
    unit = "Mb";
  } else if (v >= 16384) {
    v = (v + 512) / 1024;
    unit = "Kb";
  }
  q5rt::sstr s = int_text(v, w - 3, true);
  s.append_cut(' ');
  s.append_cut(unit);
  return s;
}

q5rt::sstr excelcolstr(std::int32_t n) {
  char letters[8];
  std::size_t k = sizeof letters;
  while (n > 0) {
    letters[--k] = static_cast<char>('A' + (n - 1) % 26);
    n = (n - 1) / 26;
  }
  return q5rt::sstr::cut(std::string_view(letters + k, sizeof letters - k));
}

std::int32_t strexcelcol(std::string_view s) {
  std::int64_t value = 0;
  for (const char c : s) {
    const char u = detail::upcase(c);
    if (u < 'A' || u > 'Z' || value > 82595549) return 0;
    value = value * 26 + (u - 'A' + 1);
  }
  // Seven letters can pass the guard and still exceed the 32-bit range.
  return value > 2147483647 ? 0 : static_cast<std::int32_t>(value);
}

std::int32_t strasint(std::string_view s) {
  std::int32_t code = 0;
  const std::int32_t v = q5rt::Q5_Val_SPD(s, code);
  return code == 0 ? v : 0;
}

bool strasintex(std::string_view s, std::int32_t& value) {
  if (is_word(s, "maxint")) {
    value = 2147483647;
    return true;
  }
  if (is_word(s, "minint")) {
    value = -2147483647 - 1;
    return true;
  }
  std::int32_t code = 0;
  value = q5rt::Q5_Val_SPD(s, code);
  return code == 0;
}

bool strasintex2(std::string_view s, std::int32_t& value) {
  if (strasintex(s, value)) return true;
  value = 0;
  double v = 0.0;
  if (!strasdoubleex(s, v)) return false;
  if (v < -2147483648.0 || v > 2147483647.0 || v != std::trunc(v)) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

bool strasdoubleex(std::string_view s, double& value) {
  if (is_word(s, "maxdouble")) {
    value = zlmspecs::valbig;
    return true;
  }
  if (is_word(s, "mindouble")) {
    value = zlmspecs::valsmall;
    return true;
  }
  if (is_word(s, "eps")) {
    value = 1e-20;
    return true;
  }
  std::string text(s);
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == 'D' || c == 'd'; }, 'E');
  std::int32_t code = 0;
  q5rt::Q5_Val_dd(text, value, code);
  return code == 0 && std::isfinite(value);
}

}  // namespace strutilx
