#include "instance/gcload.h"

#include <gtest/gtest.h>

#include <string>

#include "frame/gfileopen.h"
#include "instance/gcdata.h"
#include "support/testutil.h"

namespace {

std::string fixture53() {
  return testutil::read_file(testutil::source_dir() +
                             "/tests/instance/fixtures/control/ctrl53.txt");
}

std::string replaced(std::string data, std::string_view from, std::string_view to) {
  return data.replace(data.find(from), from.size(), to);
}

class GcloadTest : public testing::Test {
 protected:
  void SetUp() override { gcdata::mymodel = gcdata::tmodel{}; }
  void TearDown() override { gcdata::mymodel = gcdata::tmodel{}; }

  bool load(const std::string& data) {
    const std::string path = dir_.file("run.ctl");
    testutil::write_file(path, data);
    return gcload::loadcontrol(path, msg_);
  }
  std::string path() const { return dir_.file("run.ctl"); }

  testutil::tempdir dir_;
  q5rt::sstr msg_;
};

TEST_F(GcloadTest, FieldsComeFromTheirSlots) {
  ASSERT_TRUE(load(fixture53())) << msg_.view();
  const auto& m = gcdata::mymodel;
  struct row {
    std::int32_t field;
    int slot;
  };
  const row ints[] = {
      {m.rows, 1},           {m.cols, 2},         {m.nonzeros, 11},     {m.nlnonzeros, 12},
      {m.extnonzeros, 19},   {m.poolsize, 10},    {m.instrcount, 9},    {m.evalworklen, 16},
      {m.modeltype, 0},      {m.maximize, 5},     {m.objvar, 6},        {m.filetype, 28},
      {m.useoptfile, 7},     {m.relaxed, 30},     {m.anchors, 35},      {m.ctlint76, 76},
      {m.ctlint77, 77},      {m.scaleopt, 4},     {m.priorityopt, 8},   {m.ctlflag56, 56},
      {m.ctlflag57, 57},     {m.scaledsol, 116},  {m.threads, 143},     {m.ctlint100[0], 100},
      {m.ctlint100[4], 104}, {m.equcount[0], 39}, {m.equcount[6], 45},  {m.colcount[0], 58},
      {m.colcount[1], 60},   {m.colcount[3], 65}, {m.colcount[6], 68},  {m.fixcount[0], 78},
      {m.fixcount[2], 81},   {m.fixcount[6], 88}, {m.instrworklen, 97}, {m.logoption, 17},
      {m.ctlint26, 26},      {m.ctlint20, 20},    {m.objrow, 21},       {m.ctlint22, 22},
      {m.ctlint23, 23},      {m.ctlint24, 24}};
  for (const auto& r : ints) EXPECT_EQ(r.field, 1000 + r.slot) << "I[" << r.slot << "]";
  struct realrow {
    double field;
    int slot;
  };
  const realrow reals[] = {{m.ctlreal20[0], 20}, {m.ctlreal20[4], 24}, {m.ctlreal9, 9},
                           {m.ctlreal8, 8},      {m.ctlreal7, 7},      {m.ctlreal4, 4},
                           {m.ctlreal5, 5},      {m.ctlreal0, 0},      {m.ctlreal1, 1},
                           {m.ctlreal2, 2}};
  for (const auto& r : reals) EXPECT_EQ(r.field, r.slot + 0.25) << "R[" << r.slot << "]";
  struct strrow {
    std::string_view field;
    int slot;
  };
  const strrow strs[] = {{m.matfile, 18}, {m.instrfile, 19}, {m.dictfile, 20},  {m.sysdir, 8},
                         {m.scrdir, 5},   {m.logfile, 1},    {m.statfile, 2},   {m.solfile, 4},
                         {m.optfile, 3},  {m.scrext, 23},    {m.extlibname, 10}};
  for (const auto& r : strs) {
    EXPECT_EQ(r.field, "S" + std::to_string(r.slot) + " text") << "S[" << r.slot << "]";
  }
  EXPECT_EQ(m.ctrlfile.view(), path());
  EXPECT_EQ(m.stamp1.view(), "S6 text");

  EXPECT_EQ(m.solvercount, 2);
  EXPECT_EQ(m.solvernames[0].view(), "UnknownSolver");
  EXPECT_EQ(m.solvernames[2].view(), "BARON");
  EXPECT_EQ(m.defaultsolver[2], 2);
  EXPECT_EQ(m.chosensolver[1], 1);
  EXPECT_EQ(m.defaultsolver[0], 0);
  EXPECT_TRUE(m.solvercaps[1][4]);
  EXPECT_FALSE(m.solvercaps[1][2]);
  EXPECT_EQ(m.solvercaps[0], (std::array<bool, 16>{}));
}

TEST_F(GcloadTest, StampsAreCutToEight) {
  ASSERT_TRUE(load(
      replaced(replaced(fixture53(), "S6 text", "stamp-one-long"), "S7 text", "stamp-two-long")));
  EXPECT_EQ(gcdata::mymodel.stamp1.view(), "stamp-on");
  EXPECT_EQ(gcdata::mymodel.stamp2.view(), "stamp-tw");
}

// The fixture's solver section replaced by n solvers named s1..sn that solve LP.
std::string withsolvers(int n) {
  std::string data = fixture53();
  const std::size_t from = data.find("NLPSOLVA");
  const std::size_t to = data.find("S15 text");
  std::string solvers;
  for (int k = 1; k <= n; ++k) {
    solvers += "s" + std::to_string(k) + " 0 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0\nscript\n";
  }
  data.replace(from, to - from, solvers);
  return replaced(data, "15 2 1\n", "15 " + std::to_string(n) + " 1\n");
}

TEST_F(GcloadTest, SolverCounts) {
  {
    SCOPED_TRACE("no solvers: only the name of entry 0");
    ASSERT_TRUE(load(replaced(withsolvers(0), "RMIP 2 2", "RMIP 0 0"))) << msg_.view();
    EXPECT_EQ(gcdata::mymodel.solvercount, 0);
    EXPECT_EQ(gcdata::mymodel.solvernames[0].view(), "UnknownSolver");
    EXPECT_EQ(gcdata::mymodel.solvernames[1].view(), "");
  }
  {
    SCOPED_TRACE("more solvers than the record holds: the first 150");
    ASSERT_TRUE(load(withsolvers(155))) << msg_.view();
    EXPECT_EQ(gcdata::mymodel.solvercount, 150);
    EXPECT_EQ(gcdata::mymodel.solvernames[150].view(), "s150");
    EXPECT_TRUE(gcdata::mymodel.solvercaps[150][1]);
  }
}

TEST_F(GcloadTest, FailedReadLeavesTheRecord) {
  gfileopen::detail::set_sleeper([](int) {});
  gcdata::mymodel.rows = 17;
  EXPECT_FALSE(gcload::loadcontrol(dir_.file("missing.ctl"), msg_));
  EXPECT_EQ(msg_.view(), q5rt::syserrortext(2).view());
  EXPECT_FALSE(load(fixture53().substr(0, 200)));
  EXPECT_EQ(msg_.view(), "Read past end of file in line 6");
  EXPECT_EQ(gcdata::mymodel.rows, 17);
  EXPECT_EQ(gcdata::mymodel.ctrlfile.view(), "");
  EXPECT_EQ(gcdata::mymodel.solvernames[0].view(), "");
  gfileopen::detail::set_sleeper(nullptr);
}

}  // namespace
