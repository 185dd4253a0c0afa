// The map-file reader: the numbering it hands the model object, the maps it refuses (more
// whole-file refusals are driven through the bridge in korvasteps_test.cpp) and the bound on
// a file without an end.
#include "bridge/bavemap.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/endlessfifo.h"
#include "support/testutil.h"

namespace {

std::vector<std::int32_t> converted(const std::string& text, bool reform, std::int32_t obj,
                                    std::string& msg) {
  bavemap::mapfile map;
  if (!bavemap::parse(text, "m", map, msg)) return {};
  if (!bavemap::tomodel(map, map.vars, reform, obj, msg)) return {};
  return map.vars.entries;
}

}  // namespace

TEST(Bavemap, ModelNumbersBecomeTheModelObjects) {
  struct row {
    const char* text;
    bool reform;
    std::int32_t obj;
    std::vector<std::int32_t> expected;
    const char* why;
  };
  const row rows[] = {
      {"VARIABLES 3\n4\n6\n9\nEQUATIONS 0\n",
       true,
       4,
       {3, 4, 7},
       "numbers at or above the objective drop one more"},
      {"VARIABLES 3\n4\n6\n9\nEQUATIONS 0\n",
       true,
       -1,
       {3, 5, 8},
       "no objective: only the first decrement"},
      {"VARIABLES 3\n4\n6\n9\nEQUATIONS 0\n", false, 4, {3, 5, 8}, "not reformulated"},
      {"VARIABLES 2\r\n 2 \r\n1\t\r\nEQUATIONS 0\r\n", false, -1, {1, 0}, "line ends and blanks"},
      {"VARS 1\n7\nEQU 0\ntrailing text\n",
       false,
       -1,
       {6},
       "words not compared, lines after the end ignored"},
      {"VARIABLES 0\nEQUATIONS 0", false, -1, {}, "empty orders, no final line feed"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    std::string msg;
    EXPECT_EQ(converted(r.text, r.reform, r.obj, msg), r.expected);
    EXPECT_EQ(msg, "");
  }
}

TEST(Bavemap, RefusalsNameTheLine) {
  struct row {
    const char* text;
    const char* message;
    const char* why;
  };
  constexpr row rows[] = {
      {"VARIABLES 1\n+1\nEQUATIONS 0\n", "Bad Baron VE map m line 2: a number expected\n",
       "a plus sign"},
      {"VARIABLES 1\n2147483648\nEQUATIONS 0\n", "Bad Baron VE map m line 2: a number expected\n",
       "beyond 32 bits"},
      {"VARIABLES 1\n1 2\nEQUATIONS 0\n", "Bad Baron VE map m line 2: a number expected\n",
       "two numbers"},
      {"VARIABLES 1\n-2147483648\nEQUATIONS 0\n",
       "Bad Baron VE map m line 2: column -2147483648 is out of range\n", "the smallest integer"},
      {"VARIABLES 2\n1\n2\nEQUATIONS 0\n",
       "Bad Baron VE map m line 3: column 2 gives model object index 0 a second time\n",
       "the objective's own column"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    std::string msg;
    EXPECT_TRUE(converted(r.text, true, 1, msg).empty());
    EXPECT_EQ(msg, r.message);
  }
}

namespace {

// Both orders as the bridge installs them in a model object of n columns and m rows.
struct installed {
  std::vector<std::int32_t> vars, equs;
  bool operator==(const installed&) const = default;
};

installed install(const std::string& text, std::int32_t n, std::int32_t m, bool reform,
                  std::int32_t objvar, std::string& msg) {
  bavemap::mapfile map;
  map.vars.room = n;
  map.equs.room = m;
  if (!bavemap::parse(text, "m", map, msg) ||
      !bavemap::tomodel(map, map.vars, reform, objvar, msg) ||
      !bavemap::tomodel(map, map.equs, reform, objvar, msg))
    return {};
  return {map.vars.entries, map.equs.entries};
}

}  // namespace

// BARON's arrays hold the model object's n variables and m equations: a map that names more,
// or a column or row beyond them, is refused before anything is installed.
TEST(BaveMapRead, CountsAndIndicesStayWithinTheModelObject) {
  struct row {
    const char* text;
    std::int32_t n, m;
    bool reform;
    installed expected;
    const char* message;
    const char* why;
  };
  const row rows[] = {
      {"VARIABLES 4\n4\n1\n2\n3\nEQUATIONS 3\n3\n1\n2\n",
       4,
       3,
       false,
       {{3, 0, 1, 2}, {2, 0, 1}},
       "",
       "the last column and row, full counts: at the edge"},
      {"VARIABLES 1\n5\nEQUATIONS 0\n",
       4,
       3,
       false,
       {},
       "Bad Baron VE map m line 2: column 5 is out of range\n",
       "a column above n"},
      {"VARIABLES 0\nEQUATIONS 1\n4\n",
       4,
       3,
       false,
       {},
       "Bad Baron VE map m line 3: row 4 is out of range\n",
       "a row above m"},
      {"VARIABLES 5\n1\n2\n3\n4\n1\nEQUATIONS 0\n",
       4,
       3,
       false,
       {},
       "Bad Baron VE map m line 1: the count 5 is above the model's 4 columns\n",
       "more variables than n, refused at the count"},
      {"VARIABLES 0\nEQUATIONS 4\n",
       4,
       3,
       false,
       {},
       "Bad Baron VE map m line 2: the count 4 is above the model's 3 rows\n",
       "more equations than m, refused before the entries are read"},
      {"VARIABLES 2147483647\n",
       4,
       3,
       false,
       {},
       "Bad Baron VE map m line 1: the count 2147483647 is above the model's 4 columns\n",
       "the largest count"},
      {"VARIABLES 0\nEQUATIONS 0\n", 0, 0, false, {}, "", "an empty model, an empty map"},
      {"VARIABLES 1\n1\nEQUATIONS 0\n",
       0,
       0,
       false,
       {},
       "Bad Baron VE map m line 1: the count 1 is above the model's 0 columns\n",
       "an empty model, a column"},
      {"VARIABLES 3\n4\n1\n3\nEQUATIONS 0\n",
       3,
       3,
       true,
       {{2, 0, 1}, {}},
       "",
       "reformulated (objective column 2 left out, 3 of 4 counted): column 4 is the edge"},
      {"VARIABLES 1\n5\nEQUATIONS 0\n",
       3,
       3,
       true,
       {},
       "Bad Baron VE map m line 2: column 5 is out of range\n",
       "reformulated: column 5 lands on index 3, one above the 3 counted"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    std::string msg;
    EXPECT_EQ(install(r.text, r.n, r.m, r.reform, 1, msg), r.expected);
    EXPECT_EQ(msg, r.message);
  }
}

// A map file that is a link to an endless source is read no further than the map needs and
// never beyond the bound: the reader stops after the last entry, refuses a line that does
// not end within the bound, and refuses a count above the model's before reading entries.
TEST(BaveMapRead, AnEndlessSourceIsReadNoFurtherThanTheBound) {
  constexpr std::size_t small = std::size_t{1} << 20;
  struct row {
    std::string head, body;
    std::int32_t n;
    std::size_t limit;
    const char* message;  // empty: read
    const char* why;
  };
  const row rows[] = {
      {"", " ", 4, bavemap::maxbytes,
       "Bad Baron VE map m line 1: the file goes on beyond 67108864 bytes\n",
       "blanks without a line end: cut at 64 MiB"},
      {"VARIABLES 1\n", "7", 4, small,
       "Bad Baron VE map m line 2: the file goes on beyond 1048576 bytes\n",
       "an entry whose digits never end"},
      {"VARIABLES 2000000000\n", "1\n", 2000000000, small,
       "the file goes on beyond 1048576 bytes\n", "short lines without end under a huge count"},
      {"VARIABLES 5\n", "1\n", 4, bavemap::maxbytes,
       "Bad Baron VE map m line 1: the count 5 is above the model's 4 columns\n",
       "the count is refused before any entry is read"},
      {"VARIABLES 1\n2\nEQUATIONS 1\n1\n", "9\n", 4, small, "",
       "a whole map in front: what follows is not read"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const testutil::tempdir dir;
    const testutil::endlessfifo feed(dir.file("map"), r.head, r.body);
    std::FILE* f = std::fopen(dir.file("map").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    bavemap::mapfile map;
    map.vars.room = r.n;
    std::string msg;
    const bool read = bavemap::read(f, "m", map, msg, r.limit);
    EXPECT_EQ(std::ferror(f), 0);
    std::fclose(f);
    EXPECT_EQ(read, r.message[0] == '\0');
    EXPECT_THAT(msg, ::testing::EndsWith(r.message));
    if (read) {
      EXPECT_EQ(map.vars.entries, std::vector<std::int32_t>{2});
      EXPECT_EQ(map.equs.entries, std::vector<std::int32_t>{1});
    }
  }
}
