// The real binary: argument checks, the banner line and exit codes.
#include <gtest/gtest.h>

#include "buildinfo.h"
#include "support/testutil.h"

namespace {

TEST(Entry, NoArgumentWritesTheMessageAndEndsWithOne) {
  const auto r = testutil::run_program(testutil::baronlink_path(), {});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "*** Zolm/BARON called with no control file name\n");
}

TEST(Entry, AuditInAnyCaseWritesTheBannerLine) {
  for (const char* arg : {"AUDIT", "audit", "Audit"}) {
    SCOPED_TRACE(arg);
    const auto r = testutil::run_program(testutil::baronlink_path(), {arg, "ignored"});
    EXPECT_EQ(r.exit_code, 0);
    ASSERT_EQ(r.out.size(), 79u);
    EXPECT_EQ(r.out.substr(0, 17), "Zolm/BARON       ");
    EXPECT_NE(r.out.find(std::string(buildinfo::revision)), std::string::npos);
    EXPECT_EQ(r.out.substr(59), "x86 64bit/Linux    \n");
  }
}

}  // namespace
