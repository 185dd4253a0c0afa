#include "frame/charmaps.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class CharmapsTest : public ::testing::Test {
 protected:
  void SetUp() override { charmaps::initcharactermaps(); }
};

TEST_F(CharmapsTest, Tables) {
  using charmaps::in;
  struct row {
    char c;
    bool letter, digit, identchar, labelchar, textquote;
    const char* why;
  };
  constexpr row rows[] = {
      {'A', true, false, true, true, false, "capital"},
      {'z', true, false, true, true, false, "small"},
      {'5', false, true, true, true, false, "digit"},
      {'_', false, false, true, true, false, "underscore is an identifier character"},
      {'+', false, false, false, true, false, "plus is a label character"},
      {'-', false, false, false, true, false, "minus is a label character"},
      {'\'', false, false, false, false, true, "single quote"},
      {'"', false, false, false, false, true, "double quote"},
      {' ', false, false, false, false, false, "blank"},
      {'\xC4', false, false, false, false, false, "extended characters are no letters"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(in(charmaps::letter, r.c), r.letter);
    EXPECT_EQ(in(charmaps::digit, r.c), r.digit);
    EXPECT_EQ(in(charmaps::alphanum, r.c), r.letter || r.digit);
    EXPECT_EQ(in(charmaps::identchar, r.c), r.identchar);
    EXPECT_EQ(in(charmaps::labelchar, r.c), r.labelchar);
    EXPECT_EQ(in(charmaps::textquote, r.c), r.textquote);
  }
  EXPECT_TRUE(in(charmaps::capletter, 'Q'));
  EXPECT_FALSE(in(charmaps::capletter, 'q'));
  EXPECT_TRUE(in(charmaps::lowletter, 'q'));
}

TEST_F(CharmapsTest, MapChar) {
  charmaps::initchars(false);
  EXPECT_EQ(charmaps::mapchar['a'], 'a');
  EXPECT_EQ(charmaps::mapchar[' '], ' ');
  EXPECT_EQ(charmaps::mapchar['~'], '~');
  EXPECT_EQ(charmaps::mapchar['\t'], charmaps::chareof);
  EXPECT_EQ(charmaps::mapchar[127], charmaps::chareof);
  EXPECT_EQ(charmaps::mapchar[200], charmaps::chareof);
  charmaps::initchars(true);
  EXPECT_EQ(charmaps::mapchar['\t'], '\t');
  EXPECT_EQ(charmaps::mapchar[200], static_cast<char>(200));
}

TEST_F(CharmapsTest, DetermineQuote) {
  struct row {
    std::string_view s;
    char expected;
    const char* why;
  };
  constexpr row rows[] = {
      {"abc", ' ', "plain label"},
      {"a-b+c_1", ' ', "label characters need no quote"},
      {"", '\0', "empty text: the default quote"},
      {"a b", '\0', "a blank needs a quote: the default one"},
      {"_a", '\0', "first character not alphanumeric"},
      {"it's", '"', "holds a single quote"},
      {"say \"x\"", '\'', "holds a double quote"},
      {"a'b\"c", '"', "the first kind of quote decides"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(charmaps::determinequote(r.s), r.expected);
  }
}

}  // namespace
