#include "frame/q5rt.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

TEST(ShortString, CutsToCapacity) {
  struct row {
    std::size_t length;
    std::size_t expected;
    const char* why;
  };
  constexpr row rows[] = {
      {0, 0, "empty"},           {1, 1, "one character"}, {254, 254, "below capacity"},
      {255, 255, "at capacity"}, {256, 255, "one over"},  {300, 255, "far over"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const std::string text(r.length, 'x');
    const auto s = q5rt::sstr::cut(text);
    EXPECT_EQ(s.size(), r.expected);
    EXPECT_EQ(s.view(), std::string_view(text).substr(0, r.expected));
  }
}

TEST(ShortString, SmallCapacityAppendAndEquality) {
  auto s = q5rt::shortstring<4>::cut("ab");
  s.append_cut("cdef");
  EXPECT_EQ(s.view(), "abcd");
  s.append_cut('z');
  EXPECT_EQ(s.view(), "abcd");
  // Equality looks at the live characters only, not at stale bytes past the length.
  auto a = q5rt::sstr::cut("abc");
  a.set_length(1);
  EXPECT_EQ(a, q5rt::sstr::cut("a"));
  EXPECT_EQ(q5rt::concat("a", q5rt::sstr::cut("b"), std::string("c")).view(), "abc");
}

TEST(Exceptions, AssertionCarriesSourcePosition) {
  try {
    Q5_ASSERT(1 + 1 == 3, "arithmetic broke");
    FAIL() << "no exception";
  } catch (const q5rt::assertion_error& e) {
    const std::string msg(e.message().view());
    EXPECT_EQ(msg.rfind("arithmetic broke (q5rt_test.cpp:", 0), 0u) << msg;
    EXPECT_EQ(msg.back(), ')');
  }
}

TEST(SystemText, ErrorNumbersInTheCLocale) {
  EXPECT_EQ(q5rt::syserrortext(2).view(), "No such file or directory");
}

std::uint64_t fake_ticks() { return 4242; }

TEST(Ticks, SourceCanBeReplaced) {
  q5rt::set_tick_source(&fake_ticks);
  EXPECT_EQ(q5rt::tick_ms(), 4242u);
  q5rt::set_tick_source(nullptr);
  EXPECT_NE(q5rt::tick_ms(), 4242u);
}

// Halt ends the process with its code through the normal exit path.
TEST(Halt, EndsWithItsCode) {
  EXPECT_EXIT(q5rt::halt(5), ::testing::ExitedWithCode(5), "");
  EXPECT_EXIT(q5rt::halt(123), ::testing::ExitedWithCode(123), "");
}

// Two units of this test program: "zz_q5rt_test" is in no unit order and registers first;
// the second takes the name of the last unit of the order. Their start-ups log what ran;
// their close-downs report on standard error when a death test asks for it.
std::string started_units;
bool report_closedowns = false;
bool halt_in_closedown = false;

void closedown_report(const char* text) {
  if (report_closedowns) std::fputs(text, stderr);
}

q5rt::unit_registration unordered_unit{"zz_q5rt_test", [] { started_units += "U+"; },
                                       [] {
                                         closedown_report("U-");
                                         if (halt_in_closedown) q5rt::halt(9);
                                       }};
q5rt::unit_registration ordered_unit{"kvbaudit", [] { started_units += "K+"; },
                                     [] { closedown_report("K-"); }};

TEST(Units, StartUpsInTheFixedOrderOnce) {
  // A unit of the fixed order starts before one outside it, whatever the registration order.
  EXPECT_EQ(started_units, "K+U+");
  q5rt::run_startups();
  EXPECT_EQ(started_units, "K+U+");
}

TEST(Units, CloseDownsInReverseOrderAtHalt) {
  EXPECT_EXIT(
      {
        report_closedowns = true;
        q5rt::halt(3);
      },
      ::testing::ExitedWithCode(3), "U-K-");
  EXPECT_EXIT(
      {
        report_closedowns = true;
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "U-K-");
}

TEST(Units, HaltDuringCloseDownEndsAtOnce) {
  EXPECT_EXIT(
      {
        report_closedowns = true;
        halt_in_closedown = true;
        q5rt::halt(3);
      },
      ::testing::ExitedWithCode(9), "U-$");
}

}  // namespace

TEST(Trim, BlanksAndControlCharactersAtBothEnds) {
  struct row {
    std::string_view in;
    std::string_view out;
    const char* why;
  };
  constexpr row rows[] = {
      {"", "", "empty"},
      {" \t\r\n", "", "only blanks and controls"},
      {"  a b \n", "a b", "inner blank stays"},
      {"\x01x\x1f", "x", "control characters count as blanks"},
      {"\x7fx", "\x7fx", "DEL is above the blank and stays"},
      {"\xa0x", "\xa0x", "bytes above 127 stay"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(q5rt::trim(r.in), r.out);
  }
}
