// The fixed-column MPS number field, and the note on names the name field cuts.
#include "baron/gcutil_mps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "baron/gcutil.h"
#include "frame/strutilx_numbers.h"
#include "instance/gcdata.h"
#include "support/baronmodel.h"
#include "support/testutil.h"

namespace {

TEST(GcutilMps, FloatToMpsField) {
  const struct {
    double value;
    const char* text;
    const char* why;
  } rows[] = {
      {1.5, "         1.5", "short text, right-aligned"},
      {-1.5, "        -1.5", "the sign before the text"},
      {0.0, "           0", "zero"},
      {1.0 / 3, "0.3333333333", "rounded to the twelve characters"},
      {-1.0 / 3, "-0.333333333", "a negative value has eleven"},
      {2.0 / 3, "0.6666666667", "rounded half up"},
      {99999.99999999, "      100000", "the rounding carries into a shorter text"},
      {1.0 / 300000, "3.3333333E-6", "exponent form shortened"},
      {1.23456789012345e-7, "1.2345679E-7", "small magnitude, eight digits fit"},
      {123456789012.0, "123456789012", "twelve digits fit as they are"},
      {-12345678901.0, "-12345678901", "eleven digits fit beside the sign"},
      {123456789012.5, "123456789010", "a fraction past the field is rounded away"},
      {1234567890123.0, "1.2345679E12", "from 1e12 the integer part cannot fit: exponent form"},
      {-123456789012.0, "-1.234568E11", "negative from 1e11: exponent form"},
      {999999999999.5, "        1E12", "rounding up to 1e12"},
      {999999999999999.0, "        1E15", "the last plain-decimal magnitude"},
      {1e15, "        1E15", "exponent text from dbltostr already"},
      {-9.87654321e20, "-9.876543E20", "long exponent form, negative"},
      {9.999999999999999e-5, "        1E-4", "below 1e-4 the text keeps the exponent form"},
      {0.000123456789012345, "0.0001234568", "from 1e-4 plain decimal, rounded"},
      {0.1 + 0.2, "         0.3", "seventeen shortest digits rounded to fifteen"},
      {999999999999999.9, "        1E15", "the fifteen-digit rounding carries"},
      {1234567890123.125, "1.2345679E12", "sixteen digits ending on the rounding boundary"},
      {5e-324, "4.94066E-324", "subnormal"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const q5rt::sstr got = gcutil::floattomps(r.value);
    EXPECT_EQ(std::string_view(got), std::string_view(r.text));
    EXPECT_EQ(got.size(), 12u);
  }
}

// Every value whose number text fits is written as that text; the others read back close.
TEST(GcutilMps, FieldAgreesWithTheNumberText) {
  std::uint64_t state = 88172645463325252ULL;
  for (int i = 0; i < 20000; ++i) {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    const double mantissa = static_cast<double>(state >> 11) / 9007199254740992.0;
    double x = (1 + 9 * mantissa) * std::pow(10.0, static_cast<int>(state % 40) - 20);
    if (i % 5 == 0) x = std::round(x);
    if (i % 3 == 0) x = -x;
    SCOPED_TRACE(x);
    const std::string text(std::string_view(strutilx::dbltostr(std::fabs(x))));
    const std::string field(std::string_view(gcutil::floattomps(x)));
    ASSERT_EQ(field.size(), 12u);
    if (text.size() <= (x < 0 ? 11u : 12u)) {
      EXPECT_EQ(field,
                std::string(12 - text.size() - (x < 0 ? 1 : 0), ' ') + (x < 0 ? "-" : "") + text);
    } else {
      EXPECT_NEAR(std::strtod(field.c_str(), nullptr), x, 1e-5 * std::fabs(x));
    }
  }
}

std::uint64_t xorshift(std::uint64_t& state) {
  state ^= state << 13, state ^= state >> 7, state ^= state << 17;
  return state;
}

// Positive values for the digit and field tests: random bit patterns over the whole
// range, exact ties at the fifteenth digit, decimal texts of 1 to 17 digits rich in 9s,
// 0s and 5s (carries and half-way roundings at every length) around the field's limits,
// the powers of ten with their neighbours, and the ends of the range.
std::vector<double> testvalues() {
  std::vector<double> values = {std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::min(),
                                std::nextafter(std::numeric_limits<double>::min(), 0.0),
                                std::numeric_limits<double>::max(),
                                999999999999999.5,
                                9.999999999999995e-5,
                                0.1 + 0.2,
                                1.0};
  for (int k = -323; k <= 308; ++k) {
    const double p = std::pow(10.0, k);
    values.insert(values.end(), {p, std::nextafter(p, 0.0), std::nextafter(p, 1e308),
                                 9.99999999999999e0 * p, 9.999999999999995 * p});
  }
  std::uint64_t state = 0x9e3779b97f4a7c15ULL;
  for (int i = 0; i < 300000; ++i) {
    const double x = std::bit_cast<double>(xorshift(state) >> 1);  // sign bit clear
    values.push_back(x);
  }
  for (int i = 0; i < 20000; ++i) {  // sixteen digits ending in 5, exactly
    const auto n = static_cast<double>(1'000'000'000'000 + xorshift(state) % 8'000'000'000'000);
    values.push_back(n + 0.125 * static_cast<double>(1 + 2 * (xorshift(state) % 4)));
    values.push_back(n * 1000 + 5);
  }
  for (int i = 0; i < 200000; ++i) {
    std::string text = "0.";
    const std::uint64_t length = 1 + xorshift(state) % 17;
    for (std::uint64_t k = 0; k < length; ++k) text += "9999055512345678"[xorshift(state) % 16];
    text += "e" + std::to_string(static_cast<int>(xorshift(state) % 26) - 8);
    values.push_back(std::strtod(text.c_str(), nullptr));
  }
  // Around the plain-decimal magnitudes of the field: runs of 9s then one digit (the
  // carries of the rounding at every length) and texts of 10 to 14 digits ending in 5 (half
  // way at the field's last digits).
  const auto decimal = [](const std::string& digits, int power) {
    return std::strtod(("0." + digits + "e" + std::to_string(power)).c_str(), nullptr);
  };
  for (int power = -6; power <= 14; ++power) {
    for (std::size_t nines = 1; nines <= 16; ++nines) {
      for (const char last : std::string_view("0123456789"))
        values.push_back(decimal(std::string(nines, '9') + last, power));
    }
  }
  for (int i = 0; i < 40000; ++i) {
    std::string digits;
    const std::uint64_t length = 9 + xorshift(state) % 5;
    for (std::uint64_t k = 0; k < length; ++k) digits += "0123456789"[xorshift(state) % 10];
    values.push_back(decimal(digits + "5", static_cast<int>(xorshift(state) % 21) - 6));
  }
  std::erase_if(values, [](double a) { return !std::isfinite(a) || a <= 0; });
  return values;
}

// The field's digits against the C++ library's 15-digit scientific text, which gave them
// before.
TEST(GcutilMps, DigitsAgreeWithTheLibrary) {
  for (const double a : testvalues()) {
    char text[40];
    const auto r = std::to_chars(text, text + sizeof text, a, std::chars_format::scientific, 14);
    const std::string_view want(text, static_cast<std::size_t>(r.ptr - text));
    const gcutil::detail::digits15 got = gcutil::detail::sigdigits(a);
    const std::string have = std::string(1, got.d[0]) + "." + std::string(got.d + 1, 14) +
                             (got.e < 0 ? "e-" : "e+") + (std::abs(got.e) < 10 ? "0" : "") +
                             std::to_string(std::abs(got.e));
    ASSERT_EQ(have, want) << a;
  }
}

// The field as the writer first built it, with plain copies of variable length: the
// reference for the field built with fixed copies, and for the common values' field built
// from the digits as one integer.
namespace firstfield {

struct digits {
  char d[15];
  int e;
};

std::string layout(const char* d, int count, int e, bool plain) {
  while (count > 1 && d[count - 1] == '0') --count;
  std::string t;
  if (plain && e >= 0) {
    const int whole = std::min(count, e + 1);
    t.append(d, static_cast<std::size_t>(whole))
        .append(static_cast<std::size_t>(e + 1 - whole), '0');
    if (count > e + 1) t.append(".").append(d + e + 1, d + count);
  } else if (plain) {
    t.append("0.")
        .append(static_cast<std::size_t>(-e - 1), '0')
        .append(d, static_cast<std::size_t>(count));
  } else {
    t.append(d, 1);
    if (count > 1) t.append(".").append(d + 1, d + count);
    t.append("E" + std::to_string(e));
  }
  return t;
}

std::string roundedtext(const digits& x, int k, bool exponent) {
  char d[16];
  std::copy_n(x.d, k, d);
  int e = x.e;
  if (x.d[k] >= '5') {
    int i = k - 1;
    while (i >= 0 && d[i] == '9') d[i--] = '0';
    if (i >= 0) {
      ++d[i];
    } else {
      d[0] = '1';
      ++e;
    }
  }
  return layout(d, k, e, !exponent && e >= -4 && e <= 14);
}

std::string field(double value) {
  const bool negative = value < 0;
  const std::size_t w = negative ? 11 : 12;
  const double a = std::fabs(value);
  std::string t;
  if (a == 0 || !std::isfinite(a)) {
    t = std::string(std::string_view(strutilx::dbltostr(a)));
  } else {
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, 14);
    digits x{};
    x.d[0] = buf[0];
    std::copy_n(buf + 2, 14, x.d + 1);
    x.e = std::atoi(std::string(buf + 17, r.ptr).c_str());
    t = layout(x.d, 15, x.e, a >= 1e-4 && a < 1e15);
    const bool integerfits = x.e + 1 <= static_cast<int>(w);
    for (const bool exponent : {false, true}) {
      if (!exponent && !integerfits) continue;
      for (int k = static_cast<int>(w) - 1; t.size() > w && k >= 1; --k)
        t = roundedtext(x, k, exponent);
    }
  }
  if (negative) t = "-" + t;
  return std::string(12 - std::min<std::size_t>(t.size(), 12), ' ') + t;
}

}  // namespace firstfield

TEST(GcutilMps, FieldAgreesWithTheFirstField) {
  std::vector<double> values = testvalues();
  values.insert(values.end(), {0.0, -0.0, HUGE_VAL, -HUGE_VAL, std::nan("")});
  for (const double a : values) {
    for (const double x : {a, -a}) {
      ASSERT_EQ(std::string_view(gcutil::floattomps(x)), firstfield::field(x)) << x;
    }
  }
}

}  // namespace

namespace {

using GcutilMpsNames = testutil::baronmodel;

// A model of n continuous columns without rows, the last one an SOS1 column.
void columnsonly(std::int32_t n) {
  gcdata::tmodel& m = gcdata::mymodel;
  m.modeltype = 1;
  m.valpin = 3e300;
  m.valmin = 4e300;
  m.cols = n;
  const auto size = static_cast<std::size_t>(n);
  m.coltype.assign(size, 0);
  m.coltype.back() = 3;
  m.colsosset.assign(size, 0);
  m.colsosset.back() = 1;
  m.collower.assign(size, 0.0);
  m.colupper.assign(size, 1.0);
  m.colfirst.assign(size, nullptr);
  m.colcount = {n - 1, 0, 0, 1, 0, 0, 0};
}

TEST_F(GcutilMpsNames, CutNamesAreNoted) {
  const struct {
    std::int32_t cols;
    const char* description;
    bool noted;
    const char* why;
  } rows[] = {
      {100000, "MPS", true, "s1s100000 has nine characters"},
      {99999, "MPS", false, "s1s99999 fits the field"},
      {100000, "CplexMPS", false, "the free dialect cuts nothing"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    testutil::freshmodel();
    columnsonly(r.cols);
    testutil::tempdir dir;
    std::int32_t rc = -1;
    const std::string said =
        testutil::stdoutof([&] { rc = gcutil::gcwritemps(r.description, dir.file("m.mps")); });
    ASSERT_EQ(rc, 0);
    const std::string mps = testutil::read_file(dir.file("m.mps"));
    const std::string note =
        "\n*  Names longer than 8 characters were cut: distinct names may coincide.\n";
    EXPECT_EQ(mps.find(note) != std::string::npos, r.noted);
    if (r.noted) {
      EXPECT_NE(mps.find("\n UP bnd       s1s10000             1\n"), std::string::npos)
          << "the name field cuts";
    }
  }
}

}  // namespace
