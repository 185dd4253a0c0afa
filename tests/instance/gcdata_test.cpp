#include "instance/gcdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/testutil.h"

namespace {

class GcdataTest : public testing::Test {
 protected:
  void SetUp() override { gcdata::mymodel = gcdata::tmodel{}; }
  void TearDown() override { gcdata::mymodel = gcdata::tmodel{}; }
};

TEST_F(GcdataTest, ControlOptionsByKey) {
  struct row {
    void (*set)(gcdata::tmodel&);
    int key;
    bool defined;
    double value;
    const char* why;
  };
  const row rows[] = {
      {[](gcdata::tmodel& m) { m.ctlreal8 = 3.5; }, 1, false, 0, "key 1 needs its flag"},
      {[](gcdata::tmodel& m) { m.ctlflag57 = 1, m.ctlreal8 = 3.5; }, 1, true, 3.5,
       "key 1 with flag"},
      {[](gcdata::tmodel& m) { m.ctlflag56 = 1, m.ctlreal7 = -2; }, 2, true, -2, "key 2 with flag"},
      {[](gcdata::tmodel& m) { m.ctlint76 = -1; }, 3, true, 0, "key 3 negative counts as 0"},
      {[](gcdata::tmodel& m) { m.ctlint76 = 7; }, 3, true, 7, "key 3"},
      {[](gcdata::tmodel& m) { m.ctlint77 = 0; }, 4, false, 0, "key 4 needs a positive value"},
      {[](gcdata::tmodel& m) { m.ctlint77 = 12; }, 4, true, 12, "key 4"},
      {[](gcdata::tmodel& m) { m.ctlreal1 = -1; }, 5, true, 0, "key 5 negative counts as 0"},
      {[](gcdata::tmodel& m) { m.ctlreal0 = 1.5; }, 6, true, 1.5, "key 6"},
      {[](gcdata::tmodel& m) { m.ctlreal2 = 2.5; }, 7, true, 2.5, "key 7"},
      {[](gcdata::tmodel& m) { m.ctlint26 = -3; }, 8, true, 0, "key 8 negative counts as 0"},
      {[](gcdata::tmodel& m) { m.ctlreal9 = -9; }, 9, true, -9, "key 9 as it is"},
      {[](gcdata::tmodel& m) { m.ctlint100[4] = -4; }, 14, true, -4, "key 14 when not 0"},
      {[](gcdata::tmodel& m) { m.ctlint100[0] = 0; }, 10, false, 0, "key 10 at 0"},
      {[](gcdata::tmodel& m) { m.ctlreal20[2] = 0.5; }, 17, true, 0.5, "key 17"},
      {[](gcdata::tmodel& m) { m.ctlreal20[4] = 0; }, 19, false, 0, "key 19 at 0"},
      {[](gcdata::tmodel& m) { m.ctlreal5 = 1; }, 20, false, 0, "key 20 at 1 is not given"},
      {[](gcdata::tmodel& m) { m.ctlreal5 = 0.5; }, 20, true, 0.5, "key 20"},
      {[](gcdata::tmodel& m) { m.ctlreal4 = 0; }, 21, false, 0, "key 21 needs a positive value"},
      {[](gcdata::tmodel& m) { m.ctlreal4 = 4; }, 21, true, 4, "key 21"},
      {[](gcdata::tmodel& m) { m.ctlreal9 = 1; }, 0, false, 0, "key 0 is unknown"},
      {[](gcdata::tmodel& m) { m.ctlreal9 = 1; }, 22, false, 0, "key 22 is unknown"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    gcdata::mymodel = gcdata::tmodel{};
    r.set(gcdata::mymodel);
    double value = 99;
    EXPECT_EQ(gcdata::gcgetzolmopt(r.key, value), r.defined);
    EXPECT_EQ(value, r.value);
  }
}

TEST_F(GcdataTest, SolutionArraysAllocatedOnceStatusesClearedEachTime) {
  auto& m = gcdata::mymodel;
  m.rows = 3;
  m.cols = 2;
  gcdata::gcallocsolution();
  ASSERT_EQ(m.rowlevel.size(), 3U);
  ASSERT_EQ(m.colstatus.size(), 2U);
  m.rowlevel[1] = 5;
  m.rowstatus[2] = 7;
  m.colstatus[0] = 8;
  m.colbasis[1] = 9;
  const double* levels = m.rowlevel.data();
  gcdata::gcallocsolution();
  EXPECT_EQ(m.rowlevel.data(), levels);
  EXPECT_EQ(m.rowlevel[1], 5) << "levels stay";
  EXPECT_EQ(m.colbasis[1], 9) << "basis stays";
  EXPECT_EQ(m.rowstatus[2], 0);
  EXPECT_EQ(m.colstatus[0], 0);
  gcdata::gcsetstatus(1, 2);
  EXPECT_EQ(m.solvestat, 1);
  EXPECT_EQ(m.modelstat, 2);
  gcdata::addfname("a.lst");
  EXPECT_EQ(gcdata::filelist.back().view(), "a.lst");
}

TEST_F(GcdataTest, LogStatusAndMemoLines) {
  testutil::tempdir dir;
  auto& m = gcdata::mymodel;
  m.logoption = 2;
  m.logfile.assign_cut(dir.file("run.log"));
  m.statfile.assign_cut(dir.file("run.sta"));
  gcdata::gcopenlog();
  gcdata::gcopenstat();
  gcdata::gclogstat("both places");
  gcdata::gcmemo("no memo yet");
  gcdata::gcopenmemo(dir.file("no/such/memo.txt"));
  EXPECT_FALSE(gcdata::fnmemoopen());
  gcdata::gcopenmemo(dir.file("memo.txt"));
  EXPECT_TRUE(gcdata::fnmemoopen());
  gcdata::gcmemo("memo line");
  gcdata::gcclosememo();
  EXPECT_FALSE(gcdata::fnmemoopen());
  gcdata::gcclosestat();
  gcdata::gccloselog();

  const std::string log = testutil::read_file(dir.file("run.log"));
  const std::string sta = testutil::read_file(dir.file("run.sta"));
  const std::string rc = "*** RC=2 " + q5rt::syserrortext(2).str();
  const std::string nomemo = "*** Could not open memo " + dir.file("no/such/memo.txt");
  EXPECT_NE(log.find("both places\n" + nomemo + "\n" + rc + "\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("memo line"), std::string::npos);
  for (const std::string line :
       {"both places", "no memo yet", nomemo.c_str(), rc.c_str(), "memo line"}) {
    EXPECT_NE(sta.find("C" + line + "\n"), std::string::npos) << line << " in\n" << sta;
  }
  EXPECT_EQ(testutil::read_file(dir.file("memo.txt")), "memo line\n");
}

TEST_F(GcdataTest, StatusFileThatCannotOpenEndsTheRun) {
  testutil::tempdir dir;
  const std::string logname = dir.file("dead.log");
  EXPECT_EXIT(
      {
        auto& m = gcdata::mymodel;
        m.logoption = 2;
        m.logfile.assign_cut(logname);
        m.statfile.assign_cut(dir.file("no/such/run.sta"));
        gcdata::gcopenlog();
        gcdata::gcopenstat();
        std::abort();  // never reached
      },
      testing::ExitedWithCode(0), "");
  const std::string log = testutil::read_file(logname);
  EXPECT_NE(log.find("*** Status File open Failed - we are dead\n*** status open failed: " +
                     q5rt::syserrortext(2).str() + "\n"),
            std::string::npos)
      << log;
}

TEST_F(GcdataTest, CloseDownClosesAnOpenMemoFile) {
  testutil::tempdir dir;
  const std::string memo = dir.file("memo.txt");
  EXPECT_EXIT(
      {
        gcdata::gcopenmemo(memo);
        gcdata::gcmemo("kept at exit");
        q5rt::halt(0);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EQ(testutil::read_file(memo), "kept at exit\n");
}

}  // namespace
