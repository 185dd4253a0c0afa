#include "frame/q5ieeefp.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>

namespace {

double from_bits(std::uint64_t b) { return std::bit_cast<double>(b); }

TEST(Q5ieeefpFpclass, ClassesByBits) {
  using lim = std::numeric_limits<double>;
  struct row {
    double x;
    int expected;
    bool finite;
    const char* why;
  };
  const row rows[] = {
      {from_bits(0x7FF0000000000001ULL), 0, false, "signalling NaN"},
      {from_bits(0xFFF0000000000001ULL), 0, false, "signalling NaN with sign"},
      {from_bits(0x7FF8000000000000ULL), 1, false, "quiet NaN"},
      {from_bits(0xFFF8000000000000ULL), 1, false, "quiet NaN with sign has no sign class"},
      {from_bits(q5ieeefp::nanquiet), 1, false, "offered quiet NaN pattern"},
      {from_bits(q5ieeefp::nansignaling), 0, false, "offered signalling NaN pattern"},
      {-lim::infinity(), 2, false, "minus infinity"},
      {lim::infinity(), 3, false, "plus infinity"},
      {-lim::denorm_min(), 4, true, "negative denormal"},
      {lim::denorm_min(), 5, true, "smallest positive denormal"},
      {from_bits(0x000FFFFFFFFFFFFFULL), 5, true, "largest denormal"},
      {-0.0, 6, true, "negative zero"},
      {0.0, 7, true, "positive zero"},
      {-1.5, 8, true, "negative normal"},
      {lim::min(), 9, true, "smallest normal"},
      {lim::max(), 9, true, "largest double"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(q5ieeefp::fpclass(r.x), r.expected);
    EXPECT_EQ(q5ieeefp::q5isfinite(r.x), r.finite);
  }
}

}  // namespace
