#include "instance/vkdefs.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

TEST(VkdefsLabels, QuotableAndGoodLabels) {
  struct row {
    std::string text;
    bool quotable;
    bool good;
    const char* why;
  };
  const row rows[] = {
      {"", true, true, "empty"},
      {"i1", true, true, "plain"},
      {"it's", true, true, "single quote only"},
      {"say \"x\"", true, true, "double quote only"},
      {"it's \"x\"", false, false, "both quote kinds"},
      {"a\tb", false, false, "tab"},
      {std::string("a\0b", 3), false, false, "NUL"},
      {std::string(63, 'x'), true, true, "63 characters"},
      {std::string(64, 'x'), true, false, "64 characters"},
      {"\xe4pfel", true, true, "high byte is no control character"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(vkdefs::canbequoted(r.text), r.quotable);
    EXPECT_EQ(vkdefs::gooduelstring(r.text), r.good);
  }
}

TEST(VkdefsTables, WordForWord) {
  const auto joined = [](const auto& table) {
    std::string out;
    for (const auto& t : table) out.append(t).append("|");
    return out;
  };
  EXPECT_EQ(joined(vkdefs::vrkspecialvaluesstr), "Undf|NA|+Inf|-Inf|Eps|0|AcroN|");
  EXPECT_EQ(joined(vkdefs::vrkdatatypstrl), "Set|Parameter|Variable|Equation|Alias|");
  EXPECT_EQ(joined(vkdefs::vrkdatatypstr), "Set|Par|Var|Equ|Alias|");
  EXPECT_EQ(vkdefs::datatypsize, (std::array<int, 5>{1, 1, 5, 5, 0}));
}

}  // namespace
