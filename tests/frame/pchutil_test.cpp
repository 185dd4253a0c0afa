#include "frame/pchutil.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

namespace {

TEST(PchutilTest, ToShortStringWithOverflowText) {
  struct row {
    std::size_t len;  // of a C string of 'a's
    std::string_view pchartostr;
    std::string_view convertpchar;
    const char* why;
  };
  const std::string a255(255, 'a');
  const row rows[] = {
      {0, "", "", "empty C string"},
      {1, "a", "a", "one character"},
      {254, std::string_view(a255).substr(1), std::string_view(a255).substr(1), "254"},
      {255, a255, a255, "exactly 255 characters are kept whole"},
      {256, "PCharToStr Overflow", "ConvertPChar Overflow", "256 give the overflow text"},
      {300, "PCharToStr Overflow", "ConvertPChar Overflow", "far beyond"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const std::string text(r.len, 'a');
    EXPECT_EQ(pchutil::pchartostr(text.c_str()), r.pchartostr);
    q5rt::sstr s = q5rt::sstr::cut("old");
    pchutil::convertpchar(text.c_str(), s);
    EXPECT_EQ(s, r.convertpchar);
    EXPECT_EQ(pchutil::pcharlen(text.c_str()), r.len);
  }
  EXPECT_EQ(pchutil::pchartostr(nullptr), "");
  q5rt::sstr s = q5rt::sstr::cut("old");
  pchutil::convertpchar(nullptr, s);
  EXPECT_EQ(s, "");
  EXPECT_EQ(pchutil::pcharlen(nullptr), 0u);
}

TEST(PchutilTest, NewCStrings) {
  EXPECT_EQ(pchutil::strtopchar(""), nullptr);
  const auto p = pchutil::strtopchar("abc");
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(p.get(), "abc");
  const auto e = pchutil::emptytopchar();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e[0], '\0');
}

TEST(PchutilTest, BufferCopiesStayInsideTheBuffer) {
  std::array<char, 8> buf;
  buf.fill('#');
  EXPECT_EQ(pchutil::strtostrbuf("abc", buf), buf.data());
  EXPECT_STREQ(buf.data(), "abc");

  buf.fill('#');
  (void)pchutil::strtostrbuf("abcdefghijk", buf);
  EXPECT_EQ(std::string(buf.data(), buf.size()), std::string("abcdefg\0", 8)) << "cut to fit";

  buf.fill('#');
  pchutil::strpcopyn(buf, "abcdef", 3);
  EXPECT_STREQ(buf.data(), "abc");
  pchutil::strpcopyn(buf, "abc", 10);
  EXPECT_STREQ(buf.data(), "abc");
  pchutil::strpcopyn(buf, "abc", 0);
  EXPECT_STREQ(buf.data(), "") << "below 1: just a NUL";
  pchutil::strpcopyn(buf, "abc", -4);
  EXPECT_STREQ(buf.data(), "");
}

TEST(PchutilTest, ConcatAdvancesThePosition) {
  std::array<char, 10> buf{};
  int pos = 0;
  pchutil::pcharconcatstr(buf, pos, "ab");
  pchutil::pcharconcatpchar(buf, pos, "cd");
  pchutil::pcharconcatpchar(buf, pos, nullptr);
  pchutil::pcharconcatstr(buf, pos, "");
  EXPECT_EQ(pos, 4);
  EXPECT_STREQ(buf.data(), "abcd");
  pchutil::pcharconcatstr(buf, pos, "efghijkl");
  EXPECT_EQ(pos, 9) << "cut at the buffer's end, NUL kept";
  EXPECT_EQ(std::string(buf.data(), buf.size()), std::string("abcdefghi\0", 10));
  pchutil::pcharconcatstr(buf, pos, "x");
  EXPECT_EQ(pos, 9) << "a full buffer takes nothing";
  int outside = 42;
  pchutil::pcharconcatpchar(buf, outside, "x");
  EXPECT_EQ(outside, 42) << "a position past the buffer writes nothing";
}

}  // namespace
