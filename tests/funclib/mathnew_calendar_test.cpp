// Calendar functions: day numbers of dates, the dates and times of day numbers, the range
// checks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "funclib/mathnew.h"
#include "support/mathnew_testutil.h"

namespace {

using mathnew_test::any;
using mathnew_test::edgerow;
using mathnew_test::evaluation;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr int FUNC = 1, DOMAIN = 1;

TEST(SpecialCalendar, DatesAndDayNumbers) {
  struct row {
    double y, m, d, day;
    const char* why;
  };
  constexpr row rows[] = {
      {1900, 1, 1, 1, "day 1"},
      {1899, 12, 31, 0, "day 0"},
      {1, 1, 1, -693594, "first day"},
      {9999, 12, 31, 2958464, "last day"},
      {2000, 14, 1, 36922, "month 14 is February of the next year"},
      {2000, 1, 0, 36524, "day 0 is the last of the month before"},
      {1999, 12, 31, 36524, "the same day"},
      {2000, 0, 15, 36508, "month 0 is December of the year before"},
      {2000, -13, 1, 36099, "month -13"},
      {2000, 3, 1, 36585, "2000 is a leap year"},
      {1900, 3, 1, 60, "1900 is not"},
      {4000, 3, 1, 767070, "4000 is a leap year of the day count"},
      {2024.7, 2.9, 29.9, 45350, "fractions are floored"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const evaluation e(22, 0, {r.y, r.m, r.d});
    EXPECT_EQ(e.answer, 0);
    EXPECT_EQ(e.rec.f, r.day);
    if (r.m >= 1 && r.m <= 12 && r.d >= 1 && r.y == std::floor(r.y)) {
      EXPECT_EQ(evaluation(27, 0, {r.day}).rec.f, r.y);
      EXPECT_EQ(evaluation(28, 0, {r.day}).rec.f, r.m);
      EXPECT_EQ(evaluation(29, 0, {r.day}).rec.f, r.d);
    }
  }
  const edgerow errors[] = {
      {22, 0, 3, 20000, 1, 1, 1, any, any, any, any, any, any, FUNC, DOMAIN,
       "arguments out of range", "year 20000"},
      {22, 0, 3, nan, 1, 1, 1, any, any, any, any, any, any, FUNC, DOMAIN, "arguments out of range",
       "NaN"},
      {22, 0, 3, 0, 6, 1, 1, any, any, any, any, any, any, FUNC, DOMAIN,
       "year out of range 1..9999", "year 0"},
      {22, 0, 3, 9999, 12, 32, 1, any, any, any, any, any, any, FUNC, DOMAIN,
       "final date out of range -693594..2958464", "past the last day"},
      {27, 0, 1, 2958465, 0, 0, 1, any, any, any, any, any, any, FUNC, DOMAIN,
       "argument out of range -693594..2958464", "gyear past the last day"},
      {33, 0, 1, -693595, 0, 0, 1, any, any, any, any, any, any, FUNC, DOMAIN,
       "argument out of range -693594..2958464", "gminute before the first day"},
      {23, 0, 3, 6, 30, 36, 0, (36.0 / 60 + 30) / 60 / 24 + 0.25, any, any, any, any, any, 0, 0,
       nullptr, "jtime"},
  };
  for (const edgerow& r : errors) mathnew_test::check_edgerow(r, 1e-15);
}

TEST(SpecialCalendar, Extraction) {
  struct row {
    double x;
    double year, month, day, dow, leap, hour, minute, second, ms;
    const char* why;
  };
  constexpr row rows[] = {
      {1, 1900, 1, 1, 1, 0, 0, 0, 0, 0, "day 1, a Monday"},
      {7, 1900, 1, 7, 7, 0, 0, 0, 0, 0, "a Sunday"},
      {0, 1899, 12, 31, 7, 0, 0, 0, 0, 0, "day 0, a Sunday"},
      {-0.25, 1899, 12, 30, 6, 0, 18, 0, 0, 0, "before day 0: floor and the time of day after it"},
      {-1.5, 1899, 12, 29, 5, 0, 12, 0, 0, 0, "negative half day"},
      {-693594, 1, 1, 1, 1, 0, 0, 0, 0, 0, "the first day, a Monday"},
      {36584.5, 2000, 2, 29, 2, 1, 12, 0, 0, 0, "leap day at noon"},
      {767069, 4000, 2, 29, 2, 1, 0, 0, 0, 0, "4000 is a leap year of the day count"},
      {45350.75 + 1.0 / 86400 * 5.25, 2024, 2, 29, 4, 1, 18, 0, 5, 250, "seconds and milliseconds"},
      {1.9999999999, 1900, 1, 1, 1, 0, 24, 0, 0, 0, "a fraction rounding up to a whole day"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const int fnrs[] = {27, 28, 29, 30, 31, 32, 33, 34, 77};
    const double want[] = {r.year, r.month, r.day, r.dow, r.leap, r.hour, r.minute, r.second, r.ms};
    for (int i = 0; i < 9; ++i) {
      const evaluation e(fnrs[i], 0, {r.x});
      EXPECT_EQ(e.answer, 0);
      EXPECT_EQ(e.rec.f, want[i]) << "function " << fnrs[i];
    }
  }
}

}  // namespace
