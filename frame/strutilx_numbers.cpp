// strutilx: the short number text, integer texts and conversions with words.
#include "frame/strutilx_numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "frame/q5rtnum.h"
#include "frame/strutilx.h"
#include "instance/zlmspecs.h"

namespace strutilx {

namespace {

// The whole text equals the word, ASCII case ignored.
bool is_word(std::string_view s, std::string_view word) { return struequal(s, word); }

// The plain form is chosen on the value itself, not on its rounded digits.
bool plain_form(double x) {
  const double ax = std::fabs(x);
  return ax >= 1e-4 && ax < 1e15;
}

// Short number text of a nonzero value into out (room for dbltostr_room characters).
// The digits are padded with zeros so that every copy has a fixed length (no call for a
// handful of bytes), which may write past the text's end.
std::size_t short_text(double x, char separator, char* out) {
  q5rt::decimal_digits dd = q5rt::dtoaloc_sig(x, 15);
  if (!dd.word.empty()) {  // "+Inf" loses its "+"
    const std::string_view w = dd.word[0] == '+' ? dd.word.substr(1) : dd.word;
    return static_cast<std::size_t>(std::copy(w.begin(), w.end(), out) - out);
  }
  constexpr std::size_t span = 16;  // at least 15 digits, a whole number of 8 bytes
  const char* const digits = dd.digits;
  std::fill_n(dd.digits + dd.count, span, '0');
  char* p = out;
  if (dd.negative) *p++ = '-';
  const int e = dd.point - 1;  // power of ten of the first digit
  const int count = dd.count;
  if (plain_form(x) && e >= 0) {
    // Integer part D1..D(E+1), padded with zeros past the digits; then the fraction.
    std::copy_n(digits, span, p);
    p += e + 1;
    if (count > e + 1) {
      *p++ = separator;
      std::copy_n(digits + e + 1, span, p);
      p += count - (e + 1);
    }
  } else if (plain_form(x)) {
    std::copy_n("0.000", 5, p);  // at most three zeros above 1e-4
    p[1] = separator;
    p += 2 + (-e - 1);
    std::copy_n(digits, span, p);
    p += count;
  } else {
    *p++ = digits[0];
    if (count > 1) {
      *p++ = '.';
      std::copy_n(digits + 1, span, p);
      p += count - 1;
    }
    *p++ = 'E';
    p = std::to_chars(p, p + 5, e).ptr;
  }
  return static_cast<std::size_t>(p - out);
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

std::size_t dbltostr_wide(double x, char separator, char* out) {
  if (x == 0.0) {
    out[0] = '0';
    return 1;
  }
  return short_text(x, separator, out);
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
