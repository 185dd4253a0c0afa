// The fixed-column MPS number field.
#include <gtest/gtest.h>

#include <string>

#include "baron/gcutil.h"

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
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const q5rt::sstr got = gcutil::floattomps(r.value);
    EXPECT_EQ(std::string_view(got), std::string_view(r.text));
    EXPECT_EQ(got.size(), 12u);
  }
}

}  // namespace
