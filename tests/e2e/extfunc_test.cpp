// The real binary on a control file that names an extrinsic-function description: the
// library is found in $XDG_DATA_HOME/extrinsic_functions, created, initialised with the
// control file's directory and name, and freed at the end; registration problems are
// reported on standard output and a damaged description fails the control-file load.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "standins/extfuncs/descwriter.h"
#include "support/extfunc_testutil.h"
#include "support/testutil.h"

namespace {

namespace fs = std::filesystem;

// One run in a copy of fixtures/extfunc with the given description and an own data home
// (the child inherits the environment).
struct extrun {
  explicit extrun(const extdesc::description& d, bool install = true) {
    fs::copy(testutil::source_dir() + "/tests/e2e/fixtures/extfunc", dir.path(),
             fs::copy_options::recursive);
    EXPECT_EQ(extdesc::write(dir.file("extfunc.dat"), d), 0);
    if (install) home.install("extdemo");
    result = testutil::run_program(testutil::baronlink_path(), {"model.ctl"}, dir.path().string(),
                                   testutil::standinenv());
  }
  testutil::tempdir dir;
  extfunctest::datahome home;
  extfunctest::trace trace;
  testutil::run_result result;
};

extdesc::description demo(bool used = true) {
  extdesc::function mulxy;
  mulxy.name = "mulxy";
  mulxy.args = {{1, "x"}, {1, "y"}};
  extdesc::library lib;
  lib.name = "demo";
  lib.number = 3;
  lib.file = "extdemo";
  lib.used = used;
  lib.funcs = {mulxy};
  extdesc::description d;
  d.libs = {lib};
  return d;
}

TEST(ExtfuncRun, LibraryFromTheDataHomeIsLoadedInitialisedAndFreed) {
  const extrun run(demo());
  EXPECT_EQ(run.result.exit_code, 0);
  EXPECT_EQ(run.result.out, "");
  EXPECT_EQ(run.trace.text(), "XCreate\nLibInit 3 workdir/extinit.txt\nXFree\n");
  EXPECT_TRUE(fs::exists(run.dir.file("model.sol")));
}

TEST(ExtfuncRun, RegistrationProblemsAreReportedAndTheRunGoesOn) {
  struct row {
    bool used;
    const char* line;
    const char* why;
  };
  constexpr row rows[] = {
      {true,
       "*** libextdemo64.so: cannot open shared object file: No such file or directory "
       "(problem occurred when trying to load libextdemo64.so)\n",
       "a used library that is nowhere: an error line"},
      {false,
       "*** libextdemo64.so: cannot open shared object file: No such file or directory "
       "(problem occurred when trying to load libextdemo64.so)\n",
       "an unused one: the same line as a warning"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const extrun run(demo(r.used), false);
    EXPECT_EQ(run.result.exit_code, 0);
    EXPECT_EQ(run.result.out, r.line);
    EXPECT_EQ(run.trace.text(), "");
    EXPECT_TRUE(fs::exists(run.dir.file("model.sol")));
  }
}

TEST(ExtfuncRun, DamagedDescriptionFailsTheControlFileLoad) {
  extdesc::description d = demo();
  d.libs[0].funcs[0].nargs = 40;
  const extrun run(d);
  const std::string reason =
      "Could not read External Function File 'extfunc.dat': argument count 40 outside 0..20 "
      "(function mulxy)";
  EXPECT_EQ(run.result.exit_code, 1);
  EXPECT_EQ(run.result.out, "*** " + reason +
                                "\n*** Zolm/BARON could not load controlfile \"model.ctl\"\n"
                                "*** Msg=" +
                                reason + "\n");
  EXPECT_EQ(run.trace.text(), "");
  EXPECT_FALSE(fs::exists(run.dir.file("model.sol")));
}

}  // namespace
