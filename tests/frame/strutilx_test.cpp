#include "frame/strutilx.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using q5rt::sstr;
using namespace std::string_view_literals;

int sign(int v) { return (v > 0) - (v < 0); }

// ---- heap strings ----

TEST(StrutilxHeapTest, EmptyTextIsNoBlock) {
  strutilx::pstring p = strutilx::newstring("");
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(strutilx::getstring(nullptr), "");
  strutilx::disposestring(nullptr);  // allowed
}

TEST(StrutilxHeapTest, KeepsTextCutAt255) {
  struct row {
    std::size_t len;
    std::size_t stored;
    const char* why;
  };
  constexpr row rows[] = {
      {1, 1, "one character"},          {254, 254, "one below the capacity"},
      {255, 255, "exactly the capacity"}, {256, 255, "one above is cut"},
      {300, 255, "far above is cut"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    std::string text(r.len, 'x');
    text[0] = 'a';
    strutilx::pstring p = strutilx::newstring(text);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(strutilx::getstring(p).view(), std::string_view(text).substr(0, r.stored));
    EXPECT_EQ(strutilx::getview(p).size(), r.stored);
    strutilx::disposestring(p);
  }
}

TEST(StrutilxHeapTest, CountedFormsKeepTheByteTotal) {
  std::int64_t counter = 0;
  strutilx::pstring p = strutilx::newstringm("abc", counter);
  EXPECT_EQ(counter, 4);
  strutilx::pstring q = strutilx::newstringm("", counter);
  EXPECT_EQ(q, nullptr);
  EXPECT_EQ(counter, 4) << "no block, no bytes";
  strutilx::strassignm(p, "hello", counter);
  EXPECT_EQ(strutilx::getstring(p), "hello");
  EXPECT_EQ(counter, 6);
  strutilx::strassignm(p, "", counter);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(counter, 0);
  strutilx::disposestringm(nullptr, counter);
  EXPECT_EQ(counter, 0);
}

TEST(StrutilxHeapTest, AssignReplacesTheBlock) {
  strutilx::pstring p = nullptr;
  strutilx::strassign(p, "first");
  strutilx::strassign(p, "second");
  EXPECT_EQ(strutilx::getstring(p), "second");
  strutilx::strassign(p, "");
  EXPECT_EQ(p, nullptr);
}

// ---- comparison ----

TEST(StrutilxCompareTest, ShortStrings) {
  struct row {
    std::string_view a, b;
    int cmp, ucmp;  // exact values
    const char* why;
  };
  constexpr row rows[] = {
      {"abc", "abc", 0, 0, "equal"},
      {"abc", "ab", 1, 1, "longer sorts after by the length difference"},
      {"", "ab", -2, -2, "empty before any text"},
      {"ABC", "abd", 'A' - 'a', 'C' - 'D', "case counts only in strcmp"},
      {"abc", "ABC", 'a' - 'A', 0, "case-insensitive equal"},
      {"a\xE9", "a\xC9", 0xE9 - 0xC9, 0xE9 - 0xC9, "bytes above 127 are unsigned and not folded"},
      {"[", "a", '[' - 'a', '[' - 'A', "upper-casing moves 'a' below '['"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(strutilx::strcmp(r.a, r.b), r.cmp);
    EXPECT_EQ(strutilx::strucmp(r.a, r.b), r.ucmp);
    EXPECT_EQ(strutilx::strequal(r.a, r.b), r.cmp == 0);
    EXPECT_EQ(strutilx::struequal(r.a, r.b), r.ucmp == 0);
  }
}

TEST(StrutilxCompareTest, HeapStringsNilFirst) {
  strutilx::pstring abc = strutilx::newstring("abc");
  strutilx::pstring upper = strutilx::newstring("ABC");
  EXPECT_EQ(strutilx::pstrcmp(nullptr, nullptr), 0);
  EXPECT_EQ(strutilx::pstrucmp(nullptr, abc), -1);
  EXPECT_EQ(strutilx::pstrucmp(abc, nullptr), 1);
  EXPECT_GT(strutilx::pstrcmp(abc, upper), 0);
  EXPECT_EQ(strutilx::pstrucmp(abc, upper), 0);
  EXPECT_TRUE(strutilx::pstrequal(nullptr, nullptr));
  EXPECT_FALSE(strutilx::pstrequal(abc, nullptr));
  EXPECT_FALSE(strutilx::pstruequal(nullptr, abc));
  EXPECT_FALSE(strutilx::pstrequal(abc, upper));
  EXPECT_TRUE(strutilx::pstruequal(abc, upper));
  strutilx::disposestring(abc);
  strutilx::disposestring(upper);
}

TEST(StrutilxCompareTest, TrailingNumbers) {
  struct row {
    std::string_view a, b;
    int expected_sign;
    const char* why;
  };
  constexpr row rows[] = {
      {"item9", "item10", -1, "numbers compare by value"},
      {"x2", "x10", -1, "shorter number first"},
      {"x02", "x2", 1, "leading zero makes the number larger"},
      {"x", "x1", -1, "a blank sorts before a digit"},
      {"ITEM10", "item10", 0, "stems compare without case"},
      {"abc1", "ab1", 1, "stem lengths decide"},
      {"b1", "a9", 1, "stems decide before numbers"},
      {"12", "9", 1, "digits only: empty stems"},
      {"", "", 0, "both empty"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(sign(strutilx::strucmpnum(r.a, r.b)), r.expected_sign);
    EXPECT_EQ(sign(strutilx::strucmpnum(r.b, r.a)), -r.expected_sign);
  }
  EXPECT_EQ(strutilx::strucmpnum("abc1", "ab1"), 1);
}

}  // namespace
