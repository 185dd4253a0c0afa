// The real binary: argument checks and exit codes.
#include <gtest/gtest.h>

#include "support/testutil.h"

namespace {

TEST(Entry, NoArgumentWritesTheMessageAndEndsWithOne) {
  const auto r = testutil::run_program(testutil::baronlink_path(), {});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "*** Zolm/BARON called with no control file name\n");
}

}  // namespace
