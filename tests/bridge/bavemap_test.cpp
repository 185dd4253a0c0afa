// The map-file reader: the numbering it hands the model object and the maps it refuses
// (whole-file refusals are driven through the bridge in korvasteps_test.cpp).
#include "bridge/bavemap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::int32_t> converted(const std::string& text, bool reform, std::int32_t obj,
                                    std::string& msg) {
  bavemap::mapfile map;
  if (!bavemap::parse(text, "m", map, msg)) return {};
  if (!bavemap::tomodel(map, map.vars, reform, obj, msg)) return {};
  return map.vars.entries;
}

}  // namespace

TEST(bavemap, model_numbers_become_the_model_objects) {
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

TEST(bavemap, refusals_name_the_line) {
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
