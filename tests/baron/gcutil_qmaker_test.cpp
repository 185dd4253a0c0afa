// The quadratic-form check: rows that are quadratic with their sizes, rows that are not
// with their reasons, the 20-row stop, the listing and the data file.
#include "baron/gcutil_qmaker.h"

#include <gtest/gtest.h>

#include "bindings/vrkdcdef.h"
#include "frame/strutilx_numbers.h"
#include "support/baronfixture.h"

namespace {

using ctvnl::opcode;
using code = std::vector<ctvnl::tnlcode>;

// A model of three columns whose rows are the given codes (header and store added).
void setrows(const std::vector<code>& rows, std::vector<double> pool) {
  gcdata::tmodel& m = gcdata::mymodel;
  m.cols = 3;
  m.rows = static_cast<std::int32_t>(rows.size());
  m.pool = std::move(pool);
  m.instr.clear();
  m.rowfirst.assign(rows.size(), nullptr);
  m.rowfirstinstr.clear();
  m.rowlastinstr.clear();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    m.instr.push_back({opcode::header, 0});
    m.rowfirstinstr.push_back(static_cast<std::int32_t>(m.instr.size()));
    for (const auto& c : rows[r]) m.instr.push_back(c);
    m.instr.push_back({opcode::store, static_cast<std::int32_t>(r + 1)});
    m.rowlastinstr.push_back(static_cast<std::int32_t>(m.instr.size()));
  }
}

class GcutilQmaker : public ::testing::Test {
 protected:
  void SetUp() override {
    q5rt::sstr msg;
    ASSERT_TRUE(vrkdcdef::vrkgetreadyl(testutil::standinlib() + "/libzlmvrk64.so", msg))
        << msg.view();
  }
  std::string listing() const { return testutil::read_file(log.dir.file("q.zlm")); }
  std::int32_t run() { return gcutil::gcqmaker(log.dir.file("q.gms"), false); }
  barontest::freshmodel model;
  barontest::logcapture log;
};

TEST_F(GcutilQmaker, RowsAreAnalysedToTheirSizesOrTheirReason) {
  struct row {
    code c;
    const char* line;  // after "*  " and the row and NLjacs columns
    const char* why;
  };
  // pool: 1 = 3, 2 = 2, 3 = 1, 4 = 0
  const row rows[] = {
      {{{opcode::pushv, 1},
        {opcode::mulv, 2},
        {opcode::pushv, 1},
        {opcode::muli, 1},
        {opcode::add, 0},
        {opcode::subi, 2}},
       "       1       2       0       1  -2",
       "x*y + 3*x - 2"},
      {{{opcode::pushv, 1}, {opcode::muli, 2}, {opcode::addi, 3}, {opcode::callarg1, 9}},
       "       1       1       1       1  1",
       "sqr(2x + 1)"},
      {{{opcode::pushv, 1}, {opcode::pushi, 2}, {opcode::callarg2, 21}},
       "       0       1       1       1  0",
       "power(x, 2) is sqr(x)"},
      {{{opcode::pushv, 1}, {opcode::pushi, 4}, {opcode::callarg2, 21}},
       "       0       0       0       0  1",
       "power(x, 0) is 1"},
      {{{opcode::pushv, 1},
        {opcode::addv, 2},
        {opcode::pushv, 1},
        {opcode::addv, 2},
        {opcode::sub, 0}},
       "       0       0       0       0  0",
       "(x + y) - (x + y) cancels"},
      {{{opcode::pushv, 1}, {opcode::pushi, 1}, {opcode::callarg2, 21}},
       "cannot raise expression to high powers",
       "power 3"},
      {{{opcode::pushv, 1}, {opcode::callarg1, 10}},
       "function exp results in a nonlinear expression",
       "exp"},
      {{{opcode::pushv, 1}, {opcode::mulv, 2}, {opcode::mulv, 3}},
       "cannot multiply a quadratic expression by a variable",
       "x*y*z"},
      {{{opcode::pushv, 1}, {opcode::divv, 2}},
       "division by a variable makes this expression nonlinear",
       "x/y"},
      {{{opcode::pushv, 1}, {opcode::divi, 4}}, "division by zero", "x/0"},
  };
  std::vector<code> codes;
  for (const row& r : rows) codes.push_back(r.c);
  setrows(codes, {3, 2, 1, 0});
  EXPECT_EQ(run(), 5);
  const std::string text = listing();
  for (std::size_t k = 0; k < std::size(rows); ++k) {
    SCOPED_TRACE(rows[k].why);
    const std::string line = "*  " +
                             std::string(strutilx::inttostrw(static_cast<std::int64_t>(k + 1), 8)) +
                             "       0" + (k < 5 ? "" : "  ") + rows[k].line + "\n";
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  }
  EXPECT_NE(text.find("**** 5 equations are general nonlinear\n"), std::string::npos);
  EXPECT_NE(log.text().find("*** 5 bad Q equations out of 10 NL equations processed.\n"),
            std::string::npos)
      << log.text();
  const std::string data = testutil::read_file(log.dir.file("q.vrk"));
  EXPECT_NE(data.find("symbol \"Q\" 3 1 0 \"Q matrices\"\nrecord 1 1 2 : 1\nrecord 2 1 1 : "
                      "8\nrecord 3 1 1 : 2\n"),
            std::string::npos)
      << data;
  EXPECT_NE(text.find("$vrkin \"" + log.dir.file("q.vrk") + "\"\n"), std::string::npos);
}

TEST_F(GcutilQmaker, TwentyBadRowsStopTheCheck) {
  setrows(std::vector<code>(25, code{{opcode::pushv, 1}, {opcode::callarg1, 10}}), {});
  EXPECT_EQ(run(), 20);
  EXPECT_NE(log.text().find("*** too many errors - stopped processing\n"), std::string::npos);
  EXPECT_EQ(listing().find("*        21"), std::string::npos);
}

TEST_F(GcutilQmaker, LinearModelAndUnwritableListing) {
  setrows({}, {});
  EXPECT_EQ(run(), 0);
  EXPECT_NE(listing().find("\n*         0       0       0                       0  0\n"),
            std::string::npos)
      << listing();
  EXPECT_EQ(gcutil::gcqmaker(log.dir.file("no/such/q.gms"), false), -1);
  EXPECT_NE(log.text().find("*** Could not write to Qmaker " + log.dir.file("no/such/q.zlm") +
                            "\n*** RC=2 "),
            std::string::npos)
      << log.text();
}

}  // namespace
