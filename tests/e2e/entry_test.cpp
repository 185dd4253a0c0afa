// The real binary: argument checks, the banner line and exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "buildinfo.h"
#include "frame/q5process.h"
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

// A control file that cannot be loaded: both lines on standard output, exit code 1, no
// file written.
TEST(Entry, ControlFileThatCannotBeLoaded) {
  struct row {
    std::vector<std::string> args;
    const char* out;
    const char* why;
  };
  const row rows[] = {
      {{""},
       "*** Zolm/BARON could not load controlfile \"\"\n"
       "*** Msg=No such file or directory\n",
       "an empty argument goes to the loader"},
      {{"nothere.ctl", "second"},
       "*** Zolm/BARON could not load controlfile \"nothere.ctl\"\n"
       "*** Msg=No such file or directory\n",
       "a missing file; the second argument is ignored"},
      {{"AUDIT "},
       "*** Zolm/BARON could not load controlfile \"AUDIT \"\n"
       "*** Msg=No such file or directory\n",
       "AUDIT with a blank is a file name"},
  };
  testutil::tempdir dir;
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const auto res = testutil::run_program(testutil::baronlink_path(), r.args, dir.path().string());
    EXPECT_EQ(res.exit_code, 1);
    EXPECT_EQ(res.out, r.out);
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// A control file that is not a regular file is refused before it is read: /dev/zero would
// fill the memory, a pipe would wait for a writer.
TEST(Entry, ControlFileThatIsNoRegularFileIsRefusedUnread) {
  for (const char* name : {"/dev/zero", "/"}) {
    SCOPED_TRACE(name);
    const auto res = testutil::run_program(testutil::baronlink_path(), {name});
    EXPECT_EQ(res.exit_code, 1);
    EXPECT_EQ(res.out, std::string("*** Zolm/BARON could not load controlfile \"") + name +
                           "\"\n*** Msg=Not a regular file\n");
  }
}

// A write to standard output that fails raises the I/O exception; the exception handler
// ends the process through the abort signal (the shell reports 128 + 6).
TEST(Entry, FailedWriteOnStandardOutputAborts) {
  const std::string line =
      "ulimit -c 0; " + q5process::shellquoted(testutil::baronlink_path()) + " > /dev/full";
  const int status = std::system(line.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 128 + SIGABRT);
}

}  // namespace
