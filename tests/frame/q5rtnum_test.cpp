#include "frame/q5rtnum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

using lim = std::numeric_limits<double>;

TEST(Q5ValSPD, IntegerTable) {
  struct row {
    const char* text;
    std::int32_t value;
    std::int32_t code;
    const char* why;
  };
  constexpr row rows[] = {
      {"123", 123, 0, "plain"},
      {" 12 ", 12, 4, "trailing blank is not used"},
      {"", 0, 1, "empty"},
      {"   ", 0, 4, "blanks only"},
      {"+", 0, 2, "sign only"},
      {"--5", 0, 2, "two signs"},
      {"12a", 12, 3, "partial value kept"},
      {"1e5", 1, 2, "no exponent for integers"},
      {"007", 7, 0, "leading zeros are decimal"},
      {"0x1F", 31, 0, "hexadecimal 0x"},
      {"$1F", 31, 0, "hexadecimal $"},
      {"-0x1F", -31, 0, "negative 0x"},
      {"-$1F", -31, 0, "negative $"},
      {"0x", 0, 3, "0x without digits: error after the x"},
      {"0a", 0, 1, "zero followed by a letter"},
      {"$G", 0, 2, "$ without hex digit"},
      {"$", 0, 2, "$ alone"},
      {"+0002", 2, 0, "plus with leading zeros"},
      {"-0004", -4, 0, "minus with leading zeros"},
      {"2147483647", 2147483647, 0, "largest 32-bit"},
      {"-2147483648", -2147483647 - 1, 0, "smallest 32-bit"},
      {"0x7FFFFFFF", 2147483647, 0, "largest 32-bit in hex"},
      // Out of the 32-bit range: an error at the digit that left it, value 0 (never a
      // wrapped value reported as success).
      {"2147483648", 0, 10, "one above the largest"},
      {"-2147483649", 0, 11, "one below the smallest"},
      {"4294967296", 0, 10, "2^32 is no longer read as 0"},
      {"99999999999999999999", 0, 10, "twenty nines"},
      {"$100000000", 0, 10, "hex out of range"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    std::int32_t code = -1;
    EXPECT_EQ(q5rt::Q5_Val_SPD(r.text, code), r.value);
    EXPECT_EQ(code, r.code);
    std::int32_t v = -1;
    q5rt::Q5_Val_i(r.text, v, code);
    EXPECT_EQ(v, r.value);
  }
}

struct real_row {
  const char* text;
  double value;
  std::int32_t code;
  const char* why;
};

void check_real_rows(const real_row* rows, std::size_t n,
                     void (*val)(std::string_view, double&, std::int32_t&)) {
  for (std::size_t i = 0; i < n; ++i) {
    const auto& r = rows[i];
    SCOPED_TRACE(r.why);
    double v = -99;
    std::int32_t code = -1;
    val(r.text, v, code);
    EXPECT_EQ(v, r.value);
    EXPECT_EQ(code, r.code);
  }
}

TEST(Q5ValDd, RealTable) {
  static const real_row rows[] = {
      {"1.5", 1.5, 0, "plain"},
      {" -2.5E-3", -0.0025, 0, "blank, sign and exponent"},
      {".", 0, 0, "lone point"},
      {"-.5", -0.5, 0, "leading point with sign"},
      {".e5", 0, 0, "point before exponent reads as 0"},
      {"1e", 1, 2, "exponent without digits not consumed"},
      {"1e+", 1, 2, "exponent sign without digits"},
      {"1x", 1, 2, "hexadecimal refused after the digit"},
      {"0x10", 0, 2, "hexadecimal refused"},
      {"1.5 ", 1.5, 4, "trailing blank"},
      {"1E999", lim::infinity(), 0, "overflow gives infinity"},
      {"-1E999", -lim::infinity(), 0, "overflow gives minus infinity"},
      {"1E-999", 0, 0, "below the smallest denormal gives zero"},
      {"0.0000001E-320", 0, 0, "leading zeros after the point count"},
      {"1000000000E300", lim::infinity(), 0, "integer digits count"},
      {"0.001E312", lim::infinity(), 0, "just above the range"},
      {"2E-324", 0, 0, "below half the smallest denormal"},
      {"1E99999999999999999999", lim::infinity(), 0, "huge exponent"},
      {"4.9406564584124654E-324", lim::denorm_min(), 0, "smallest denormal"},
      {"abc", 0, 1, "letters"},
      {"", 0, 1, "empty"},
      {"+", 0, 2, "sign only"},
      {".x", 0, 2, "point then garbage: error after the point"},
      {"\xe9", 0, 1, "high byte refused"},
      {"1.", 1, 0, "trailing point"},
      {"0.1", 0.1, 0, "correctly rounded"},
      {"9007199254740993", 9007199254740992.0, 0, "tie to even"},
      {"inf", 0, 1, "no words"},
      {"1D5", 1, 2, "D is no exponent letter here"},
  };
  check_real_rows(rows, std::size(rows), &q5rt::Q5_Val_dd);
  double v = 1;
  std::int32_t code = 0;
  q5rt::Q5_Val_dd("-0", v, code);
  EXPECT_TRUE(std::signbit(v));
  // More digits before the point than the exponent's saturation: still far below range.
  const std::string manydigits = "1" + std::string(1000005, '0') + "e-1000000000";
  q5rt::Q5_Val_dd(manydigits, v, code);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(v, 0.0);
}

TEST(Q5ValD, CLibraryTwin) {
  static const real_row rows[] = {
      {"1.5", 1.5, 0, "plain"},
      {"1x", 0, 2, "x refused with value 0"},
      {"1d5", 1, 2, "d is never an exponent"},
      {"-.5", -0.5, 0, "leading point"},
      {".", 0, 0, "lone point"},
      {"1.5 ", 1.5, 4, "trailing blank"},
  };
  check_real_rows(rows, std::size(rows), &q5rt::Q5_Val_d);
}

// A source that offers one byte at a time, as a text file does; string_source also
// offers its buffer at once. Both roads must read alike.
class byte_source {
 public:
  explicit byte_source(std::string_view data) : data_(data) {}
  int peek() const { return pos_ < data_.size() ? static_cast<unsigned char>(data_[pos_]) : -1; }
  void advance() { ++pos_; }

 private:
  std::string_view data_;
  std::size_t pos_ = 0;
};

template <class Source>
class Q5readDd : public ::testing::Test {};
using sources = ::testing::Types<q5rt::string_source, byte_source>;
TYPED_TEST_SUITE(Q5readDd, sources);

TYPED_TEST(Q5readDd, ReadsTokensAcrossLineEnds) {
  TypeParam src("  1.5\n-2\r\n\t3E2 \f4\n");
  EXPECT_EQ(q5rt::Q5read_dd(src), 1.5);
  EXPECT_EQ(q5rt::Q5read_dd(src), -2.0);
  EXPECT_EQ(q5rt::Q5read_dd(src), 300.0);
  EXPECT_EQ(q5rt::Q5read_dd(src), 4.0);
  EXPECT_EQ(src.peek(), '\n');  // the delimiter stays
  // Reading at the end is an error: a truncated file never reads as zeros.
  try {
    (void)q5rt::Q5read_dd(src);
    FAIL() << "no error at the end";
  } catch (const q5rt::io_error& e) {
    EXPECT_EQ(e.code(), 100);
  }
}

TYPED_TEST(Q5readDd, MalformedTokenRaisesInvalidNumericFormat) {
  TypeParam src("1,5 2");
  try {
    (void)q5rt::Q5read_dd(src);
    FAIL() << "no error";
  } catch (const q5rt::io_error& e) {
    EXPECT_EQ(e.code(), 106);
    EXPECT_EQ(e.message().view(), "Invalid numeric format");
  }
  EXPECT_EQ(src.peek(), ' ');  // the whole bad token was consumed
}

TYPED_TEST(Q5readDd, TokensReadAsTheirVal) {
  // Each token reads as Val reads it alone, whatever follows it in the file.
  struct row {
    const char* data;
    q5rt::read_status status;
    double value;
    const char* why;
  };
  constexpr auto ok = q5rt::read_status::ok;
  constexpr auto bad = q5rt::read_status::bad_format;
  constexpr row rows[] = {
      {"+ 1", bad, 0, "sign alone before a blank"},
      {"-\n1", bad, 0, "sign alone before a line end"},
      {". 1", ok, 0, "lone point"},
      {".e5 1", ok, 0, "point before exponent"},
      {".e 1", bad, 0, "point before an exponent without digits"},
      {"1e 1", bad, 0, "exponent without digits"},
      {"1e+5\t1", ok, 1e5, "signed exponent"},
      {"-.5\r\n1", ok, -0.5, "point with sign"},
      {"1x 1", bad, 0, "hexadecimal refused"},
      {"\xe9 1", bad, 0, "high byte"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    TypeParam src(r.data);
    const auto got = q5rt::read_real(src);
    EXPECT_EQ(got.status, r.status);
    EXPECT_EQ(got.value, r.value);
    EXPECT_EQ(q5rt::read_real(src).value, 1.0);  // the next token is intact
  }
}

TYPED_TEST(Q5readDd, LongTokenIsReadWhole) {
  // 300 digits: one number, never split into two.
  const std::string data = "1" + std::string(299, '0') + " 7";
  TypeParam src(data);
  EXPECT_EQ(q5rt::Q5read_dd(src), 1e299);
  EXPECT_EQ(q5rt::Q5read_dd(src), 7.0);
  // A long malformed token is one error, not a number and a rest.
  const std::string long_bad = std::string(260, '1') + "x";
  TypeParam bad(long_bad);
  EXPECT_EQ(q5rt::read_real(bad).status, q5rt::read_status::bad_format);
  EXPECT_EQ(bad.peek(), -1);
}

TEST(Q5StrDd0, DefaultRealText) {
  struct row {
    double x;
    const char* text;
    const char* why;
  };
  const row rows[] = {
      {1.5, " 1.50000000000000E+0000", "positive"},
      {-1.5, "-1.50000000000000E+0000", "negative"},
      {0.0, " 0.00000000000000E+0000", "zero"},
      {-0.0, "-0.00000000000000E+0000", "negative zero keeps its sign"},
      {1e-5, " 1.00000000000000E-0005", "negative exponent"},
      {lim::denorm_min(), " 4.94065645841247E-0324", "smallest denormal"},
      {lim::max(), " 1.79769313486232E+0308", "largest double"},
      {9.9999999999999995, " 1.00000000000000E+0001", "rounding carries into the exponent"},
      {lim::infinity(), "                   +Inf", "plus infinity"},
      {-lim::infinity(), "                   -Inf", "minus infinity"},
      {lim::quiet_NaN(), "                    Nan", "NaN"},
      {-lim::quiet_NaN(), "                    Nan", "NaN with sign bit"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(q5rt::Q5_Str_dd0(r.x).view(), r.text);
  }
  // A short destination is cut.
  q5rt::shortstring<5> small;
  q5rt::Q5_Str_dd0(1.5, small);
  EXPECT_EQ(small.view(), " 1.50");
  q5rt::Q5_Str_dd0(lim::infinity(), small);
  EXPECT_EQ(small.view(), "     ");
}

TEST(Q5StrDd1, ExponentFormOfWidth) {
  struct row {
    double x;
    std::int32_t w;
    std::string text;
    const char* why;
  };
  const row rows[] = {
      {1.5, 12, " 1.500E+0000", "width 12"},
      {1.5, 5, " 1.5E+0000", "narrow width acts as 10 with 2 digits"},
      {1.5, 30, "     1.50000000000000000E+0000", "above 26: blanks in front, 18 digits"},
      {123.456, 23, " 1.23456000000000E+0002", "width 23 is the default text"},
      {-lim::infinity(), 8, "    -Inf", "word right-aligned"},
      {lim::quiet_NaN(), 2, "Nan", "word longer than the width"},
      {1.5, 282, std::string(255, ' '), "width beyond capacity + 26: blanks only"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(q5rt::Q5_Str_dd1(r.x, r.w).view(), r.text);
  }
  EXPECT_EQ(q5rt::Q5_Str_dd1(1.5, 30).size(), 30u);
}

TEST(Q5StrDd2, FixedFormWithDecimals) {
  struct row {
    double x;
    std::int32_t w;
    std::int32_t d;
    std::string text;
    const char* why;
  };
  const row rows[] = {
      {3.14159, 8, 2, "    3.14", "right-aligned"},
      {-0.5, 0, 3, "-0.500", "padded decimals"},
      {1234.5, 0, 0, "1234", "tie to even, no point"},
      {100, 0, 2, "100.00", "integer with zeros"},
      {0.001, 0, 2, "0.00", "rounds to zero"},
      {-0.0, 0, 2, "-0.00", "negative zero"},
      {0.0012, 0, 4, "0.0012", "leading zeros after the point"},
      {0.4, 0, 0, "0", "rounds to zero without decimals gives 0"},
      {-0.4, 0, 0, "-0", "negative value rounding to zero keeps the sign"},
      {0.0, 0, 0, "0", "zero without decimals"},
      {1.5, 0, -1, " 1.5E+0000", "negative decimals: exponent form"},
      {1e36, 0, 2, " 1.0E+0036", "beyond 2^53 * 2^66: exponent form"},
      {1e-36, 12, 2, " 1.000E-0036", "below 2^-116: exponent form"},
      {1.2345678901234567e30, 0, 1, "1234567890123456710000000000000.0",
       "beyond 18 digits the rest become zeros"},
      {lim::infinity(), 6, 2, "  +Inf", "word"},
      {1.5, 3, 2, "1.50", "longer than the width is not cut"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(q5rt::Q5_Str_dd2(r.x, r.w, r.d).view(), r.text);
  }
  const auto wide = q5rt::Q5_Str_dd2(0.5, 0, 300);
  EXPECT_EQ(wide.size(), 217u);  // "0." and 215 decimals
  EXPECT_EQ(wide.view().substr(0, 4), "0.50");
  // Blanks that alone fill the capacity leave only blanks.
  q5rt::shortstring<4> small;
  q5rt::Q5_Str_dd2(1.0, 10, 1, small);
  EXPECT_EQ(small.view(), "    ");
}

// Random doubles of every magnitude, reproducible.
std::vector<double> random_doubles(std::size_t n) {
  std::vector<double> out;
  std::uint64_t state = 987654321;
  while (out.size() < n) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    const double x = std::bit_cast<double>(state);
    if (std::isfinite(x)) out.push_back(x);
  }
  return out;
}

TEST(Q5StrDd0, AgreesWithTheCLibraryDigits) {
  // The C library's "%.14E" is correctly rounded too: same digits, same exponent.
  for (const double x : random_doubles(20000)) {
    char c[64];
    std::snprintf(c, sizeof c, "%.14E", x);
    const std::string ctext(c);
    const auto e = ctext.find('E');
    const int exponent = std::stoi(ctext.substr(e + 1));
    char expected[64];
    std::snprintf(expected, sizeof expected, "%s%sE%c%04d", x < 0 ? "" : " ",
                  ctext.substr(0, e).c_str(), exponent < 0 ? '-' : '+', std::abs(exponent));
    ASSERT_EQ(q5rt::Q5_Str_dd0(x).view(), std::string(expected)) << ctext;
  }
}

TEST(Q5StrDd2, AgreesWithTheCLibraryFixedText) {
  // Within 18 digits the fixed form is the C library's "%.*f" (ties to even).
  std::int32_t d = 0;
  for (double x : random_doubles(20000)) {
    x = std::fmod(x, 1e12);
    if (std::fabs(x) < 1e-30) continue;  // exponent form below 2^-116
    d = (d + 1) % 4;
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.*f", d, x);
    ASSERT_EQ(q5rt::Q5_Str_dd2(x, 0, d).view(), std::string(expected)) << x;
  }
}

TEST(Q5StrD, CLibraryTwins) {
  q5rt::sstr s;
  q5rt::Q5_Str_d0(1.5, s);
  EXPECT_EQ(s.view(), "   1.50000000000000E+00");
  q5rt::Q5_Str_d1(-1.5, 5, s);
  EXPECT_EQ(s.view(), " -1.50E+00");
  q5rt::Q5_Str_d2(3.14159, 8, 2, s);
  EXPECT_EQ(s.view(), "    3.14");
  q5rt::Q5_Str_d2(2e37, 0, 1, s);
  EXPECT_EQ(s.view(), "2.0E+37");
  q5rt::Q5_Str_d2(0.5, 0, 400, s);  // cut to the capacity
  EXPECT_EQ(s.size(), 255u);
}

TEST(Q5StrI, IntegerTexts) {
  EXPECT_EQ(q5rt::Q5_Str_i0(-42).view(), "-42");
  EXPECT_EQ(q5rt::Q5_Str_i0(-2147483647 - 1).view(), "-2147483648");
  EXPECT_EQ(q5rt::Q5_Str_i1(42, 5).view(), "   42");
  EXPECT_EQ(q5rt::Q5_Str_i1(123456, 3).view(), "123456");  // never cut to the width
  EXPECT_EQ(q5rt::Q5_Str_i1(42, -5).view(), "42   ");      // "%-5d"
  q5rt::shortstring<3> small;
  q5rt::Q5_Str_i0(123456, small);
  EXPECT_EQ(small.view(), "123");
}

// ---- the digit generator against the C library ----

// The significant-digit form that "%.*e" gives: digits without trailing zeros, the
// position of the point and the sign.
struct clib_digits {
  std::string digits;
  int point = 0;
  bool negative = false;
};

clib_digits clib_sig(double x, int n) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*e", n - 1, x);
  clib_digits c;
  const char* p = text;
  c.negative = *p == '-';
  if (c.negative) ++p;
  for (; *p != 'e'; ++p) {
    if (*p != '.') c.digits.push_back(*p);
  }
  c.point = std::atoi(p + 1) + 1;
  while (c.digits.size() > 1 && c.digits.back() == '0') c.digits.pop_back();
  if (x == 0.0) c.point = 1;
  return c;
}

// One value and its count of digits.
struct sig_case {
  double x;
  int n;  // 0: every n from 1 to 18
};

// The integer path's q and e as digits: exactly n of them (trailing zeros kept in q), the
// same as the C library's once the trailing zeros go.
void expect_integer_as_clib(double x, int n, const clib_digits& want) {
  q5rt::sig_integer r;
  if (!std::isnormal(x) || !q5rt::dtoaloc_sig_integer(std::fabs(x), n, r)) return;
  std::string digits = std::to_string(r.q);
  ASSERT_EQ(digits.size(), static_cast<std::size_t>(n)) << x << " n=" << n;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  ASSERT_TRUE(digits == want.digits && r.e + 1 == want.point)
      << std::hexfloat << x << std::defaultfloat << " (" << x << ") n=" << n << ": got " << r.q
      << " e " << r.e << ", want " << want.digits << " point " << want.point;
}

// dtoaloc_sig, and the integer path wherever it applies, against the C library.
void expect_sig_as_clib(const std::vector<sig_case>& cases) {
  for (const sig_case& c : cases) {
    for (int n = c.n == 0 ? 1 : c.n; n <= (c.n == 0 ? 18 : c.n); ++n) {
      const clib_digits want = clib_sig(c.x, n);
      const q5rt::decimal_digits got = q5rt::dtoaloc_sig(c.x, n);
      ASSERT_TRUE(got.view() == want.digits && got.point == want.point &&
                  got.negative == want.negative)
          << std::hexfloat << c.x << std::defaultfloat << " (" << c.x << ") n=" << n << ": got "
          << got.view() << " point " << got.point << ", want " << want.digits << " point "
          << want.point;
      expect_integer_as_clib(c.x, n, want);
    }
  }
}

std::uint64_t next_random(std::uint64_t& state) {
  state = state * 6364136223846793005ULL + 1442695040888963407ULL;
  return state >> 11 ^ state << 29;
}

TEST(DtoalocSig, AgreesWithTheCLibraryOnRandomBits) {
  std::vector<sig_case> cases;
  for (const double x : random_doubles(4000)) cases.push_back({x, 0});
  // Random mantissas over the magnitudes of model data, 2^-80 .. 2^80.
  std::uint64_t state = 12345;
  for (int i = 0; i < 20000; ++i) {
    const std::uint64_t r = next_random(state);
    const int exponent = static_cast<int>(r % 161) - 80;
    const double x = std::ldexp(1.0 + static_cast<double>(r >> 12) / 0x1p52, exponent);
    cases.push_back({r & 1 ? -x : x, 0});
  }
  expect_sig_as_clib(cases);
}

TEST(DtoalocSig, AgreesWithTheCLibraryOnShortDecimalsAndIntegers) {
  std::vector<sig_case> cases;
  std::uint64_t state = 777;
  for (int i = 0; i < 6000; ++i) {
    const std::uint64_t r = next_random(state);
    const auto digits = static_cast<double>(r % 1000000);
    const double scale = std::pow(10.0, static_cast<int>(r >> 40) % 31 - 15);
    cases.push_back({digits * scale, 0});  // 123.456, 0.1, 5e-7, 1234560000
    cases.push_back({digits, 0});          // integers
  }
  cases.push_back({0.1 + 0.2, 0});
  for (const double x : {9007199254740991.0, 9007199254740992.0, 9007199254740994.0,
                         18446744073709551616.0, 1e22, 1e23, 123456789012345678.0}) {
    cases.push_back({x, 0});
    cases.push_back({-x, 0});
  }
  expect_sig_as_clib(cases);
}

TEST(DtoalocSig, AgreesWithTheCLibraryNearPowersOfTenAndTwo) {
  std::vector<sig_case> cases;
  for (int k = -30; k <= 30; ++k) {
    const double p = std::pow(10.0, k);
    for (const double x : {p, std::nextafter(p, 0.0), std::nextafter(p, 1e300), p * (1 - 5e-19),
                           p * 0.95, p * 0.995, p * 0.9999999999999995})
      cases.push_back({x, 0});
  }
  // Every binary exponent, normal and subnormal, with its neighbours.
  for (int b = -1074; b <= 1023; ++b) {
    const double p = std::ldexp(1.0, b);
    cases.push_back({p, 0});
    cases.push_back({-std::nextafter(p, 0.0), 0});
    cases.push_back({std::nextafter(p, 1e300), 0});
  }
  for (const double x : {lim::denorm_min(), lim::min(), lim::max(), 0x1.234p-1060, -1e-310})
    cases.push_back({x, 0});
  expect_sig_as_clib(cases);
}

TEST(DtoalocSig, AgreesWithTheCLibraryAboveTheEstimatedFirstDigit) {
  // Between a power of ten and the next power of two the binary exponent puts the first
  // digit one place too low: the digits come from the floor of the first scaling.
  std::vector<sig_case> cases;
  std::uint64_t state = 99;
  for (int j = -25; j <= 25; ++j) {
    const double p = std::pow(10.0, j);
    const double top = std::exp2(std::ceil(std::log2(p)));
    for (int i = 0; i < 60; ++i) {
      const auto u = static_cast<double>(next_random(state) >> 11) / 0x1p53;
      cases.push_back({p + (top - p) * u, 0});
    }
  }
  expect_sig_as_clib(cases);
}

TEST(DtoalocSig, ExactTiesGoToEven) {
  // Pinned ties: the digit kept is even.
  struct row {
    double x;
    int n;
    const char* digits;
    int point;
    const char* why;
  };
  constexpr row rows[] = {
      {0.125, 2, "12", 0, "0.125 down to 0.12"},
      {0.375, 2, "38", 0, "0.375 up to 0.38"},
      {2.5, 1, "2", 1, "2.5 down to 2"},
      {1.5, 1, "2", 1, "1.5 up to 2"},
      {9.5, 1, "1", 2, "9.5 carries to 10"},
      {125, 2, "12", 3, "an integer tie"},
      {-0.5, 1, "5", 0, "no tie: one digit suffices"},
      {4503599627370497.5, 16, "4503599627370498", 16, "a tie at 2^52"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const q5rt::decimal_digits dd = q5rt::dtoaloc_sig(r.x, r.n);
    EXPECT_EQ(dd.view(), r.digits);
    EXPECT_EQ(dd.point, r.point);
  }
  // Random exact midpoints: (2a + 1) / 2^j ends in the digit 5 at its j-th decimal, and
  // an integer 10a + 5 in its last digit; cut just before that 5.
  std::vector<sig_case> cases;
  std::uint64_t state = 4242;
  for (int i = 0; i < 20000; ++i) {
    const std::uint64_t r = next_random(state);
    const int j = static_cast<int>(r % 12) + 1;
    const std::uint64_t a = (r >> 8) % (std::uint64_t{1} << (r % 40 + 1));
    const double tie = std::ldexp(static_cast<double>(2 * a + 1), -j);
    char fixed[80];
    std::snprintf(fixed, sizeof fixed, "%.*f", j, tie);
    std::string digits(fixed);
    std::erase(digits, '.');
    const auto significant = static_cast<int>(digits.size() - digits.find_first_not_of('0'));
    if (significant >= 2 && significant <= 19) cases.push_back({tie, significant - 1});
    const std::uint64_t whole = (r >> 10) % 100000000000000ULL * 10 + 5;
    if (whole > 5)
      cases.push_back(
          {static_cast<double>(whole), static_cast<int>(std::to_string(whole).size()) - 1});
  }
  expect_sig_as_clib(cases);
}

}  // namespace
