// Golden files: output compared byte for byte with a file kept beside the fixture; a
// mismatch names the first differing byte and line. UPDATE_GOLDEN=1 in the environment
// writes the output to the golden file instead (review the change before committing it).
//
// Usage:
//   EXPECT_TRUE(testutil::matchesgolden(fixturedir + "/expected.log", got));
//   // A golden file that holds "@BANNER@" where the output holds the run's banner line:
//   EXPECT_TRUE(testutil::matchesgolden(path, got, {{"@BANNER@", bannerline}}));
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace testutil {

// A text the golden file holds in place of a text of the output that changes between runs.
struct goldenplaceholder {
  std::string placeholder;
  std::string text;
};

// "" when the two are equal; otherwise the first differing byte's offset, its line number
// and that line of each side (non-printing bytes as \xNN), and both sizes.
std::string firstdifference(std::string_view got, std::string_view want);

// got against the golden file at path with its placeholders replaced; under UPDATE_GOLDEN=1
// the file is rewritten from got (texts put back as placeholders) and the check passes.
::testing::AssertionResult matchesgolden(const std::string& path, const std::string& got,
                                         const std::vector<goldenplaceholder>& placeholders = {});

}  // namespace testutil
