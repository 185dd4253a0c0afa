#include "frame/q5private.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

TEST(Q5PrivateTest, CStringsToShortStringsAreCut) {
  const std::string a300(300, 'a');
  EXPECT_EQ(q5private::pchartostr(a300.c_str()).size(), 255u);
  EXPECT_EQ(q5private::pchartostr("abc"), "abc");
  EXPECT_EQ(q5private::pchartostr(nullptr), "") << "nullptr reads as the empty text";

  std::array<char, 6> buf = {'a', 'b', '\0', 'x', 'y', 'z'};
  EXPECT_EQ(q5private::strbuftostr(buf), "ab");
  std::array<char, 3> unterminated = {'a', 'b', 'c'};
  EXPECT_EQ(q5private::strbuftostr(unterminated), "abc") << "stops at the buffer's end";
}

TEST(Q5PrivateTest, NewCStringAlsoForTheEmptyText) {
  const auto e = q5private::strtopchar("");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e[0], '\0');
  const std::string text(255, 'q');
  EXPECT_EQ(std::string(q5private::strtopchar(text).get()), text);
}

TEST(Q5PrivateTest, ConcatOfAnEmptyCStringWritesTheNul) {
  std::array<char, 4> buf = {'a', '#', '#', '#'};
  int pos = 1;
  q5private::pcharconcatpchar(buf, pos, "");
  EXPECT_EQ(pos, 1);
  EXPECT_STREQ(buf.data(), "a");
  buf[1] = '#';
  q5private::pcharconcatstr(buf, pos, "");
  EXPECT_EQ(buf[1], '#') << "the empty short string writes nothing";
}

}  // namespace
