#include "frame/strutilx_numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "frame/q5rtnum.h"

namespace {

using lim = std::numeric_limits<double>;

TEST(StrutilxDbltostr, NumberTextTable) {
  struct row {
    double x;
    const char* text;
    const char* why;
  };
  const row rows[] = {
      {0.0, "0", "zero"},
      {-0.0, "0", "negative zero"},
      {1.5, "1.5", "simple"},
      {-1.5, "-1.5", "negative"},
      {100, "100", "no bare point"},
      {12, "12", "integer"},
      {123.456, "123.456", "fraction"},
      {-1234.5678, "-1234.5678", "negative fraction"},
      {0.1 + 0.2, "0.3", "15 digits hide the binary noise"},
      {1.0 / 3, "0.333333333333333", "one third"},
      {2.0 / 3, "0.666666666666667", "two thirds rounded"},
      {0.0001, "0.0001", "lower plain bound is inclusive"},
      {0.00012345, "0.00012345", "small plain"},
      {-0.000123456789012345, "-0.000123456789012345", "15 digits after leading zeros"},
      {std::nextafter(0.0001, 0.0), "1E-4", "below the bound though it rounds to it"},
      {0.00005, "5E-5", "exponent form below 1e-4"},
      {9.999E-5, "9.999E-5", "exponent form with fraction"},
      {12345678901234.5, "12345678901234.5", "15 digits with fraction"},
      {100000000000000.5, "100000000000000", "tie rounds to the even digit"},
      {999999999999999, "999999999999999", "largest 15-digit integer"},
      {std::nextafter(1e15, 0.0), "1000000000000000", "carry to 1E15 stays plain"},
      {1E15, "1E15", "upper bound is exclusive"},
      {1.2345678901234568E17, "1.23456789012346E17", "large exponent form"},
      {1E300, "1E300", "three-digit exponent"},
      {1.5E-7, "1.5E-7", "small exponent form"},
      {-2.5E-7, "-2.5E-7", "negative small exponent form"},
      {lim::max(), "1.79769313486232E308", "largest double"},
      {lim::denorm_min(), "4.94065645841247E-324", "smallest denormal"},
      {-1E-310, "-9.99999999999997E-311", "negative denormal"},
      {lim::infinity(), "Inf", "plus infinity"},
      {-lim::infinity(), "-Inf", "minus infinity"},
      {lim::quiet_NaN(), "Nan", "NaN"},
      {-lim::quiet_NaN(), "Nan", "NaN with sign bit"},
      {9.999999999999998, "10", "rounding carries a digit"},
      {9.99999999999999e-5, "9.99999999999999E-5", "just below the plain range"},
      {999999999999999.5, "1000000000000000", "tie rounds up to even, carrying to 1E15"},
      {-1.23456789012345E-100, "-1.23456789012345E-100", "longest text"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const auto text = strutilx::dbltostr(r.x);
    EXPECT_EQ(text.view(), r.text);
    EXPECT_LE(text.size(), strutilx::dbltostr_maxlen);
    EXPECT_EQ(sysutils::q5_floattostr(r.x), text);
  }
}

TEST(StrutilxDbltostr, SeparatorOnlyInPlainForm) {
  EXPECT_EQ(strutilx::dbltostrsep(1.5, ',').view(), "1,5");
  EXPECT_EQ(strutilx::dbltostrsep(0.00012, ',').view(), "0,00012");
  EXPECT_EQ(strutilx::dbltostrsep(1.5E300, ',').view(), "1.5E300");
}

// The layout rule in its two forms: on a value, and on digits d.dd...d times 10^e. The
// text takes the exponent form exactly where the rule says so.
TEST(StrutilxDbltostr, PlainOrExponentFormAtTheLimits) {
  struct row {
    double x;
    int e;  // decimal exponent of x
    bool plain;
    const char* why;
  };
  const row rows[] = {
      {1e-4, -4, true, "the lower limit is plain"},
      {-1e-4, -4, true, "the sign does not count"},
      {9.99999999999999e-5, -5, false, "just below the lower limit"},
      {1e15, 15, false, "the upper limit is not plain"},
      {999999999999999.0, 14, true, "just below the upper limit"},
      {1.5, 0, true, "a common value"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(strutilx::dbltostr_plain(r.x), r.plain);
    EXPECT_EQ(strutilx::dbltostr_plain_exponent(r.e), r.plain);
    EXPECT_EQ(strutilx::dbltostr(r.x).str().find('E') == std::string::npos, r.plain);
  }
  // Decided on the value, not on its rounded digits (which are 1E15 here).
  EXPECT_TRUE(strutilx::dbltostr_plain(999999999999999.5));
  EXPECT_FALSE(strutilx::dbltostr_plain(lim::quiet_NaN()));
  EXPECT_FALSE(strutilx::dbltostr_plain(lim::infinity()));
}

TEST(StrutilxDbltostr, AgreesWithDefaultRealText) {
  // The short text carries the digits and exponent of the 23-character default text.
  const double xs[] = {1.5, -123.25, 7e-5, 3.3e20, 1.0 / 7, -lim::max()};
  for (const double x : xs) {
    SCOPED_TRACE(x);
    const auto full = q5rt::Q5_Str_dd0(x);
    std::string digits(1, full[1]);
    digits += full.view().substr(3, 14);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string shortdigits;
    const auto text = strutilx::dbltostr(x);
    for (const char c : text.view()) {
      if (c == 'E') break;
      if (c >= '0' && c <= '9') shortdigits += c;
    }
    shortdigits.erase(0, shortdigits.find_first_not_of('0'));
    EXPECT_EQ(shortdigits, digits);
  }
}

// The short text laid out from the C library's 15 digits ("%.14e").
std::string clib_short_text(double x) {
  if (x == 0) return "0";
  char t[64];
  std::snprintf(t, sizeof t, "%.14e", std::fabs(x));
  std::string digits(1, t[0]);
  digits.append(t + 2, 14);
  const int e = std::atoi(t + 17);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = x < 0 ? "-" : "";
  const double ax = std::fabs(x);
  if (ax >= 1e-4 && ax < 1e15 && e >= 0) {
    const auto whole = static_cast<std::size_t>(e + 1);
    if (digits.size() < whole) digits.resize(whole, '0');
    out.append(digits, 0, whole);
    if (digits.size() > whole) out.append(".").append(digits, whole);
  } else if (ax >= 1e-4 && ax < 1e15) {
    out.append("0.").append(static_cast<std::size_t>(-e - 1), '0').append(digits);
  } else {
    out.append(digits, 0, 1);
    if (digits.size() > 1) out.append(".").append(digits, 1);
    out.append("E").append(std::to_string(e));
  }
  return out;
}

TEST(StrutilxDbltostr, AgreesWithTheCLibraryDigitsLaidOut) {
  // Every layout (integer part padded with zeros, fraction, leading zeros, exponent) over
  // magnitudes around both bounds and digit counts from 1 to 15.
  std::uint64_t state = 2024;
  for (int i = 0; i < 40000; ++i) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    const auto mantissa = static_cast<double>((state >> 20) % 1000000000000000ULL);
    const int digits = static_cast<int>(state % 16);
    const int exponent = static_cast<int>((state >> 8) % 30) - 12;
    double x = std::round(mantissa / std::pow(10.0, 15 - digits)) * std::pow(10.0, exponent);
    if (i % 3 == 0) x = std::bit_cast<double>(state >> 1);  // any bits, any magnitude
    if (!std::isfinite(x)) continue;
    if (i % 2 == 0) x = -x;
    ASSERT_EQ(strutilx::dbltostr(x).view(), clib_short_text(x)) << x;
  }
}

TEST(StrutilxDbltostr, AgreesWithTheCLibraryOnDigitGroups) {
  // Fifteen digits written as two groups of eight (the second ends in a zero) whose
  // pairs sit at the edges: zeros, nines, a lone one, a digit before a run of nines.
  const std::string first[] = {"10000000", "99999999", "10000001", "19999999",
                               "99000000", "98999999", "12345678", "50000099"};
  const std::string second[] = {"0000000", "9999999", "0000001", "0999999", "1000000",
                                "0000099", "0009900", "5000000", "1234567", "0100000"};
  for (const std::string& a : first) {
    for (const std::string& b : second) {
      for (const int exponent : {-9, -3, 0, 7, 14, 22}) {
        const std::string text =
            a.substr(0, 1) + "." + a.substr(1) + b + "e" + std::to_string(exponent);
        const double x = std::strtod(text.c_str(), nullptr);
        ASSERT_EQ(strutilx::dbltostr(x).view(), clib_short_text(x)) << text;
        ASSERT_EQ(strutilx::dbltostr(-x).view(), clib_short_text(-x)) << text;
      }
    }
  }
}

TEST(StrutilxDbltostr, ModelDataInEveryEntry) {
  // Model-like data (fractions with 15 digits, integers, halves) over the plain range and
  // past both bounds, through every entry: the separator goes only into the plain form,
  // the exponent letter only into the exponent form.
  std::uint64_t state = 31337;
  for (int i = 0; i < 60000; ++i) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    const auto j = static_cast<double>((state >> 33) % 100000);
    const double scale = std::pow(10.0, static_cast<int>((state >> 12) % 24) - 8);
    double x = (1 + j / 37) * scale;
    if (i % 4 == 1) x = std::round(x);
    if (i % 4 == 2) x = std::round(2 * x) / 2;
    if (i % 2 == 0) x = -x;
    const std::string want = clib_short_text(x);
    const bool exponent_form = want.find('E') != std::string::npos;
    std::string comma = want, letter = want;
    std::replace(exponent_form ? letter.begin() : comma.begin(),
                 exponent_form ? letter.end() : comma.end(), exponent_form ? 'E' : '.',
                 exponent_form ? 'e' : ',');
    ASSERT_EQ(strutilx::dbltostr(x).view(), want) << x;
    ASSERT_EQ(strutilx::dbltostrsep(x, ',').view(), comma) << x;
    char wide[strutilx::dbltostr_room];
    ASSERT_EQ(std::string_view(wide, strutilx::dbltostr_wide(x, '.', wide, 'e')), letter) << x;
    char narrow[strutilx::dbltostr_maxlen];
    ASSERT_EQ(std::string_view(narrow, strutilx::dbltostr_chars(x, '.', narrow)), want) << x;
  }
}

TEST(StrutilxDbltostr, ReadsBackWithinFifteenDigits) {
  // A round trip through text keeps 15 significant digits, across magnitudes.
  std::uint64_t state = 12345;
  for (int i = 0; i < 20000; ++i) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    const double x = std::bit_cast<double>((state >> 2) | 0x0010000000000000ULL);
    if (!std::isfinite(x)) continue;
    const auto text = strutilx::dbltostr(x);
    double back = 0;
    std::int32_t code = 0;
    q5rt::Q5_Val_dd(text.view(), back, code);
    ASSERT_EQ(code, 0) << text.view();
    ASSERT_NEAR(back / x, 1.0, 1e-14) << text.view();
  }
}

TEST(StrutilxSpecialTexts, ZlmvaltostrAndDbltostrex) {
  struct row {
    double x;
    const char* zlmval;
    const char* why;
  };
  const row rows[] = {
      {1E-300, "0", "tiny is zero"},
      {-1E-251, "0", "negative tiny is zero"},
      {3e300, "+Inf", "plus infinity"},
      {4e300, "-Inf", "minus infinity"},
      {-2e299, "-Inf", "below the small value"},
      {5e300, "Eps", "epsilon"},
      {2e300, "Na", "not available"},
      {1e300, "Undf", "undefined"},
      {1e301, "+Inf", "acronym"},
      {lim::quiet_NaN(), "+Inf", "NaN"},
      {1e299, "1E299", "big value itself is a number"},
      {-1e299, "-1E299", "small value itself is a number"},
      {2.5, "2.5", "ordinary"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(strutilx::zlmvaltostr(r.x).view(), r.zlmval);
  }
  EXPECT_EQ(strutilx::dbltostrex(1e299).view(), "maxdouble");
  EXPECT_EQ(strutilx::dbltostrex(-1e299).view(), "mindouble");
  EXPECT_EQ(strutilx::dbltostrex(1e-20).view(), "1E-20");
  EXPECT_EQ(strutilx::dbltostrex(-0.0).view(), "0");
}

TEST(StrutilxIntegerTexts, WidthsGroupsAndUnits) {
  struct row {
    std::string text;
    std::string expected;
    const char* why;
  };
  const row rows[] = {
      {strutilx::inttostrw(-42, 5).str(), "  -42", "right-aligned"},
      {strutilx::inttostrw(12345, 2).str(), "12345", "never cut"},
      {strutilx::inttostrw(INT64_MIN, 0).str(), "-9223372036854775808", "most negative"},
      {strutilx::inttostrw(1, 300).str(), std::string(254, ' ') + "1", "width capped at 255"},
      {strutilx::inttonicestr(-1234567).str(), "-1,234,567", "grouped negative"},
      {strutilx::inttonicestr(-1000).str(), "-1,000", "one group"},
      {strutilx::inttonicestr(999).str(), "999", "no group"},
      {strutilx::inttonicestrw(1234, 7).str(), "  1,234", "grouped and aligned"},
      {strutilx::inttostrex(2147483647).str(), "maxint", "largest"},
      {strutilx::inttostrex(-2147483647 - 1).str(), "minint", "smallest"},
      {strutilx::inttostrex(7).str(), "7", "ordinary"},
      {strutilx::mem64tonicestr(12345, 10).str(), " 12,345  b", "bytes"},
      {strutilx::mem64tonicestr(16383, 0).str(), "16,383  b", "last byte count"},
      {strutilx::mem64tonicestr(16384, 0).str(), "16 Kb", "first kilobytes"},
      {strutilx::mem64tonicestr(16777216, 0).str(), "16 Mb", "first megabytes"},
      {strutilx::excelcolstr(1).str(), "A", "first column"},
      {strutilx::excelcolstr(26).str(), "Z", "last single letter"},
      {strutilx::excelcolstr(27).str(), "AA", "first two letters"},
      {strutilx::excelcolstr(702).str(), "ZZ", "last two letters"},
      {strutilx::excelcolstr(703).str(), "AAA", "first three letters"},
      {strutilx::excelcolstr(0).str(), "", "none"},
      {strutilx::excelcolstr(2147483647).str(), "FXSHRXW", "largest"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(r.text, r.expected);
  }
  EXPECT_EQ(strutilx::integerwidth(0), 1);
  EXPECT_EQ(strutilx::integerwidth(-5), 2);
  EXPECT_EQ(strutilx::integerwidth(-2147483647 - 1), 11);
}

TEST(StrutilxStrexcelcol, LettersToColumns) {
  struct row {
    const char* text;
    std::int32_t expected;
    const char* why;
  };
  constexpr row rows[] = {
      {"AA", 27, "two letters"},
      {"aa", 27, "lower case"},
      {"A1", 0, "digit"},
      {"", 0, "empty"},
      {"ZZ", 702, "ZZ"},
      {"FXSHRXW", 2147483647, "largest"},
      {"FXSHRXX", 0, "beyond 32 bits"},
      {"AAAAAAAA", 0, "eight letters fail the guard"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(strutilx::strexcelcol(r.text), r.expected);
  }
}

TEST(StrutilxConversions, IntegersWithWords) {
  struct row {
    const char* text;
    bool ok;
    std::int32_t value;
    bool ok2;
    std::int32_t value2;
    const char* why;
  };
  constexpr row rows[] = {
      {"MaXiNt", true, 2147483647, true, 2147483647, "maxint any case"},
      {"minint", true, -2147483647 - 1, true, -2147483647 - 1, "minint"},
      {"42", true, 42, true, 42, "plain"},
      {"12a", false, 12, false, 0, "partial value stored"},
      {"1.0E3", false, 1, true, 1000, "integer through a real"},
      {"2.5", false, 2, false, 0, "fraction"},
      {"3E9", false, 3, false, 0, "beyond 32 bits as a real"},
      {"1D2", false, 1, true, 100, "D exponent"},
      {"4294967296", false, 0, false, 0, "beyond 32 bits is no success"},
      {" maxint", false, 0, false, 0, "words are not trimmed"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    std::int32_t v = -7;
    EXPECT_EQ(strutilx::strasintex(r.text, v), r.ok);
    EXPECT_EQ(v, r.value);
    v = -7;
    EXPECT_EQ(strutilx::strasintex2(r.text, v), r.ok2);
    EXPECT_EQ(v, r.value2);
    EXPECT_EQ(strutilx::strasint(r.text),
              r.ok && r.text[0] != 'm' && r.text[0] != 'M' ? r.value : 0);
  }
}

TEST(StrutilxConversions, RealsWithWords) {
  struct row {
    const char* text;
    bool ok;
    double value;
    const char* why;
  };
  const row rows[] = {
      {"EPS", true, 1e-20, "eps in capitals"},
      {"maxdouble", true, 1e299, "maxdouble"},
      {"MinDouble", true, -1e299, "mindouble"},
      {" 1.5", true, 1.5, "leading blank skipped by Val"},
      {" eps", false, 0, "words are not trimmed"},
      {"1E400", false, lim::infinity(), "infinite is no success"},
      {"1d5", true, 1e5, "d exponent"},
      {"1.5x", false, 1.5, "partial value stored"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    double v = -7;
    EXPECT_EQ(strutilx::strasdoubleex(r.text, v), r.ok);
    EXPECT_EQ(v, r.value);
  }
}

}  // namespace
