// Decimal digits by the exact and the scaled road, and the two exponent texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "frame/q5utils.h"

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

TEST(Q5utilsDigits, GetDigits) {
  struct row {
    std::int64_t n;
    const char* digits;
    const char* why;
  };
  constexpr row rows[] = {
      {1200, "12", "trailing zeros removed"},
      {0, "0", "zero keeps one digit"},
      {12345678900, "123456789", "beyond 32 bits"},
      {100000000, "1", "the 10^8 boundary"},
      {100000007, "100000007", "inner zeros stay"},
      {std::numeric_limits<std::int64_t>::max(), "9223372036854775807", "the largest"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr d;
    q5utils::getdigits(d, r.n);
    EXPECT_EQ(d.view(), r.digits);
  }
}

struct digitrow {
  double x;
  int mode, count;
  bool ok;
  const char* digits;
  int position;
  bool negative;
  const char* why;
};

void checkdigits(const digitrow& r, bool (*f)(double, int, int, q5rt::sstr&, int&, bool&)) {
  SCOPED_TRACE(r.why);
  q5rt::sstr d = q5rt::sstr::cut("stale");
  int position = 99;
  bool negative = false;
  EXPECT_EQ(f(r.x, r.mode, r.count, d, position, negative), r.ok);
  if (!r.ok) return;
  EXPECT_EQ(d.view(), r.digits);
  EXPECT_EQ(position, r.position);
  EXPECT_EQ(negative, r.negative);
}

TEST(Q5utilsDigits, ExactDigits) {
  const digitrow rows[] = {
      {123.456, 0, 0, true, "123456", 3, false, "shortest"},
      {0.1, 0, 0, true, "1", 0, false, "shortest of 0.1"},
      {0.0, 3, 5, true, "0", 1, false, "zero in every mode"},
      {-2.5, 1, 0, true, "25", 1, true, "negative"},
      {0.1, 2, 20, true, "10000000000000000555", 0, false, "the exact digits of 0.1"},
      {0.1, 4, 20, true, "1", 0, false, "mode 4 takes the shorter text that reads back"},
      {2.0 / 3, 4, 3, true, "667", 0, false, "mode 4 rounds when the shortest is longer"},
      {2.5, 2, 1, true, "2", 1, false, "a tie goes to even"},
      {3.5, 2, 1, true, "4", 1, false, "a tie goes to even, upwards"},
      {987, 2, 0, true, "1", 4, false, "count 0 means one digit; the carry moves the point"},
      {1.5, 3, 0, true, "2", 1, false, "fixed without decimals"},
      {0.5, 3, 0, true, "", 0, false, "a half rounds to even: nothing"},
      {0.04, 3, 1, true, "", -1, false, "rounds to nothing: position -count"},
      {1250, 3, -2, true, "12", 4, false, "negative count: a tie to even at the hundreds"},
      {1350, 3, -2, true, "14", 4, false, "negative count, rounding up"},
      {0.125, 5, 2, true, "12", 0, false, "mode 5 rounds when the shortest has more decimals"},
      {0.125, 5, 3, true, "125", 0, false, "mode 5 keeps the shortest when it fits"},
      {5e-324, 0, 0, true, "5", -323, false, "the smallest denormal"},
      {inf, 0, 0, false, "", 0, false, "an infinity gives nothing"},
      {2.5, 3, std::numeric_limits<int>::max(), true, "25", 1, false, "a huge count"},
      {2.5, 3, std::numeric_limits<int>::min(), true, "", 1100, false,
       "a huge negative count rounds to nothing"},
      {1.0, 6, 0, false, "", 0, false, "an unknown mode"},
  };
  for (const digitrow& r : rows) checkdigits(r, &q5utils::q5getdecdigits);

  // The exact road is not limited to a few digits: a short string of them.
  q5rt::sstr d;
  int position = 0;
  bool negative = false;
  ASSERT_TRUE(q5utils::q5getdecdigits(1e300, 3, 2, d, position, negative));
  EXPECT_EQ(d.size(), 255u);
  EXPECT_EQ(position, 301);
  EXPECT_EQ(d.view().substr(0, 20), "10000000000000000525");
}

TEST(Q5utilsDigits, ScaledDigits) {
  const digitrow rows[] = {
      {123.456, 0, 0, true, "123456", 3, false, "sixteen digits, trailing zeros removed"},
      {0.0, 7, 0, true, "0", 1, false, "zero before the mode check"},
      {-0.5, 2, 3, true, "5", 0, true, "negative, three digits"},
      {987, 2, 0, true, "1", 4, false, "count clamped to 1, the carry moves the point"},
      {1e300, 0, 0, true, "1", 301, false, "big steps down"},
      {1.5e-300, 4, 2, true, "15", -299, false, "big steps up"},
      {1.25, 3, 1, true, "13", 1, false, "fixed: a half rounds away from zero"},
      {0.04, 3, 1, true, "", -1, false, "rounds to nothing: position -m"},
      {1250, 5, -2, true, "13", 4, false, "negative count divides first"},
      {123.0, 3, 20, true, "123", 3, false, "the count stops below 10^17"},
      {2.5, 5, std::numeric_limits<int>::min(), true, "", 1100, false, "a huge negative count"},
      {1.0, 6, 0, false, "", 0, false, "an unknown mode"},
  };
  for (const digitrow& r : rows) checkdigits(r, &q5utils::scaledgetdecdigits);
}

TEST(Q5utilsDigits, FloatToEfmt) {
  struct row {
    double x;
    int width, decimals;
    const char* text;
    const char* why;
  };
  constexpr row rows[] = {
      {1.5, 12, 3, " 1.500E+00", "padded to the decimals"},
      {-0.001234, 12, 2, "-1.23E-03", "negative, rounded"},
      {1.5, 3, 2, "*****", "width below 6"},
      {1.5, 1, 2, "*", "width 1: one star"},
      {1.5, 4, 2, "****", "width 4: four stars"},
      {1.5, 12, -1, "*****", "negative decimals"},
      {0.0, 12, 3, " 0.000E+00", "zero"},
      {-0.0, 7, 3, " 0.E+00", "zero with room for one digit"},
      {0.0, 6, 3, " 0E+00", "zero without room for digits"},
      {2.5, 6, 3, " 2E+00", "no room for a point: one digit, a tie to even"},
      {1e100, 6, 3, "*****", "three exponent digits do not fit six"},
      {1e100, 10, 3, " 1.00E+100", "three exponent digits"},
      {9.9999e99, 9, 3, " 1.0E+100", "a carry into the third exponent digit refits"},
      {1e-100, 12, 3, " 1.000E-100", "small numbers take three exponent digits"},
      {1.0 / 3, 25, 20, " 3.333333333333333E-01", "seventeen digits asked: the shortest"},
      {0.1, 25, 20, " 1.000000000000000E-01", "at seventeen digits zeros pad to sixteen"},
      {123456.0, 9, 6, " 1.23E+05", "the width limits the digits"},
      {1.5, std::numeric_limits<int>::max(), std::numeric_limits<int>::max(),
       " 1.500000000000000E+00", "huge width and decimals"},
      {1.5, std::numeric_limits<int>::min(), 3, "*****", "the smallest width"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr t;
    q5utils::q5floattoefmt(t, r.x, r.width, r.decimals);
    EXPECT_EQ(t.view(), r.text);
    EXPECT_LE(t.size(), static_cast<std::size_t>(std::clamp(r.width, 5, 255)));
  }
}

TEST(Q5utilsDigits, FloatToEfmtRefusesNonFiniteInput) {
  q5rt::sstr t;
  try {
    q5utils::q5floattoefmt(t, -inf, 12, 3);
    ADD_FAILURE() << "no exception";
  } catch (const q5rt::assertion_error& e) {
    EXPECT_TRUE(e.message().view().starts_with("Input xAbs is not finite ("));
  }
  try {
    q5utils::q5floattoefmt(t, std::nan(""), 12, 3);
    ADD_FAILURE() << "no exception";
  } catch (const q5rt::assertion_error& e) {
    EXPECT_TRUE(e.message().view().starts_with("getDecDigits failed ("));
  }
  q5utils::q5floattoefmt(t, inf, 5, 3);
  EXPECT_EQ(t.view(), "*****");
}

TEST(Q5utilsDigits, FloatToE) {
  struct row {
    double x;
    int decimals;
    const char* text;
    const char* why;
  };
  const row rows[] = {
      {1.5, 2, "  1.50E+00", "two decimals"},
      {-1.5, 2, " -1.50E+00", "negative"},
      {0.0, 2, "  0.00E+00", "zero"},
      {-0.0, 1, "  0.0E+00", "negative zero is not negative"},
      {1.25, 1, "  1.3E+00", "a half rounds away from zero"},
      {9.999, 2, "  1.00E+01", "rounding up to 10 moves the exponent"},
      {1234.5, 0, "  1.E+03", "no decimals"},
      {1.5, -1, "  2.E+00", "negative decimals count as none"},
      {1e-300, 3, "  1.000E-300", "three exponent digits"},
      {123456.0, 20, "  1.23456000000000E+05", "at most fourteen decimals"},
      {9.999999999999998, 15, "  1.00000000000000E+01",
       "rounding up to 10 in the fourteenth decimal moves the exponent"},
      {2.5e-5, 1, "  2.5E-05", "a small number"},
      {inf, 2, "  Inf", "plus infinity"},
      {-inf, 2, " -Inf", "minus infinity"},
      {std::nan(""), 2, "  Nan", "NaN"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr t;
    q5utils::floattoe(t, r.x, r.decimals);
    EXPECT_EQ(t.view(), r.text);
  }
}

}  // namespace
