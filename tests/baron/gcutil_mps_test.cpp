// The fixed-column MPS number field, and the note on names the name field cuts.
#include "baron/gcutil_mps.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "baron/baronmodel.h"
#include "baron/gcutil.h"
#include "frame/strutilx_numbers.h"
#include "instance/gcdata.h"
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

// The field's digits against the C++ library's 15-digit scientific text, which gave them
// before: random bit patterns over the whole range, exact ties at the fifteenth digit,
// powers of ten and their neighbours, and the ends of the range.
TEST(GcutilMps, DigitsAgreeWithTheLibrary) {
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
  const auto next = [&state] {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    return state;
  };
  for (int i = 0; i < 300000; ++i) {
    const double x = std::bit_cast<double>(next() >> 1);  // sign bit clear
    if (std::isfinite(x) && x != 0) values.push_back(x);
  }
  for (int i = 0; i < 20000; ++i) {  // sixteen digits ending in 5, exactly
    const auto n = static_cast<double>(1'000'000'000'000 + next() % 8'000'000'000'000);
    values.push_back(n + 0.125 * static_cast<double>(1 + 2 * (next() % 4)));
    values.push_back(n * 1000 + 5);
  }
  for (const double a : values) {
    if (!std::isfinite(a) || a <= 0) continue;
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
