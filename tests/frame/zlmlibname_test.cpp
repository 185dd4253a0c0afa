#include "frame/zlmlibname.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ZlmLibName, MakersFileName) {
  const std::string b250(250, 'b');
  const std::string b251(251, 'b');
  const std::string b300(300, 'b');
  struct row {
    std::string base;
    std::string name;
    const char* why;
  };
  const row rows[] = {
      {"abc", "libabc64.so", "ordinary name"},
      {"", "lib64.so", "empty name"},
      {std::string("ab\0cd", 5), "libab64.so", "a zero character ends the name"},
      {std::string(246, 'b'), "lib" + std::string(246, 'b') + "64.so", "255 characters in all"},
      {b250, "lib" + b250 + "64", "250 characters: no room for the extension"},
      {b251, "lib" + b251 + "6", "251 characters: 64 is cut"},
      {b300, "lib" + std::string(252, 'b'), "300 characters: the name is cut"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr name;
    EXPECT_EQ(zlmlibname::zolmlibnameq5(name, r.base).view(), r.name);
  }
}

TEST(ZlmLibName, SmallDestinationsAreCut) {
  q5rt::shortstring<10> small;
  EXPECT_EQ(zlmlibname::zolmlibnameq5(small, "abcdef").view(), "libabcdef6");
  q5rt::sstr old;
  EXPECT_EQ(zlmlibname::zolmlibnameold(old, "abc").view(), "abc64");
  q5rt::shortstring<4> oldsmall;
  EXPECT_EQ(zlmlibname::zolmlibnameold(oldsmall, "abc").view(), "abc6");
}

}  // namespace
