// The solution file: its records byte for byte in the text and binary layouts, the
// readers of the same format, and whole files written from the model record.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <string>

#include "frame/statlib.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"
#include "instance/gdutils_solution.h"
#include "support/testutil.h"

namespace {

std::string dbl(double v) {
  std::string s(8, '\0');
  std::memcpy(s.data(), &v, 8);
  return s;
}

// The bytes a writing handle produces for one call, the record's zero fill cut off.
template <typename Write>
std::string written(std::int32_t filetype, Write write) {
  std::int32_t rc = 0;
  gdutils::modfileptr h = gdutils::memwrite(rc, filetype, "mem");
  gdutils::setsolflags(*h);
  write(*h);
  std::string bytes = gdutils::closemem(h);
  if (filetype % 10 == 1) bytes.erase(bytes.find_last_not_of('\0') + 1);
  return bytes;
}

TEST(SolutionRecords, BytesInTextAndBinaryLayouts) {
  struct row {
    std::int32_t filetype;
    std::int32_t status, basis;
    double level, marginal, scale;
    std::string bytes;
    const char* why;
  };
  const row rows[] = {
      {0, 0, 0, 7.0, 1.5, 1, "0 1.5 0 0\n", "at lower bound: level written as 0"},
      {0, 0, 2, 3.2, 0.0, 1, "3.2 0 2 0\n", "basic row"},
      {0, 1, 1, 4.0, -2.0, 1, "0 -2 1 1\n", "at upper bound with status 1"},
      {3000, 0, 2, 3.2, 0.0, 1, "3.2 0 2 0 1\n", "scales digit 3: the scale follows"},
      {1, 0, 2, 3.2, 0.0, 1, "\x68" + dbl(3.2), "basic row: tag 68 hex, then the level"},
      {1, 0, 0, 7.0, 1.5, 1, "\x50" + dbl(1.5), "at lower bound: tag 50 hex, the marginal"},
      {1, 3, 3, 0.0, 0.0, 1, "\x7f", "superbasic at 0 with marginal 0: the tag alone"},
      {3001, 2, 2, 1.0, 0.5, 2.0, std::string("\x0a") + dbl(1.0) + dbl(0.5) + dbl(2.0),
       "scaled: level, marginal and scale stored"},
      {3001, 0, 2, 1.0, 0.5, 1.0, "\x48" + dbl(1.0) + dbl(0.5), "scaled with scale 1: none"},
      {1001, 0, 2, 1.0, 0.0, 2.0, "\x68" + dbl(1.0), "scales digit 1 writes no scale"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(written(r.filetype,
                      [&](gdutils::tmodfile& h) {
                        gdutils::wrsolrecex(h, r.status, r.basis, r.level, r.marginal, r.scale);
                      }),
              r.bytes);
    // The reader gives the record back, with level 0 at a bound.
    std::int32_t rc = 0;
    std::string data = r.bytes;
    if (r.filetype % 10 != 0) data.resize(800, '\0');
    gdutils::modfileptr h = gdutils::parsesol(rc, r.filetype, data, "mem");
    gdutils::solrec got;
    ASSERT_TRUE(gdutils::rdsolrecex(*h, got)) << h->errmsg.str();
    EXPECT_EQ(got.status, r.status);
    EXPECT_EQ(got.basis, r.basis);
    EXPECT_EQ(got.level, r.basis <= 1 ? 0.0 : r.level);
    EXPECT_EQ(got.marginal, r.marginal);
    EXPECT_EQ(got.scale, h->scaledsol ? r.scale : 1.0);
    // rdsolrec reads the same record (a scale is read past), without the scale.
    std::string twice = r.bytes + r.bytes;
    if (r.filetype % 10 != 0) twice.resize(800, '\0');
    h = gdutils::parsesol(rc, r.filetype, twice, "mem");
    std::int32_t status = -1, basis = -1;
    double level = -1, marginal = -1;
    for (int k = 0; k < 2; ++k) {
      ASSERT_TRUE(gdutils::rdsolrec(*h, status, basis, level, marginal)) << h->errmsg.str();
      EXPECT_EQ(status, got.status);
      EXPECT_EQ(basis, got.basis);
      EXPECT_EQ(level, got.level);
      EXPECT_EQ(marginal, got.marginal);
    }
  }
}

TEST(SolutionRecords, HeadItemsAndTheTextReaderAtTheEnd) {
  EXPECT_EQ(written(0, [](gdutils::tmodfile& h) { gdutils::wrsolheadtail(h, 2, 13); }), "2 13\n");
  EXPECT_EQ(written(1, [](gdutils::tmodfile& h) { gdutils::wrsolheadtail(h, 9, 0.5); }),
            "\x09" + dbl(0.5));
  std::int32_t rc = 0;
  const std::string data = "5 12.5\n";
  gdutils::modfileptr h = gdutils::parsesol(rc, 0, data, "sol");
  std::int32_t index = -1;
  double value = -1;
  ASSERT_TRUE(gdutils::rdsolheadtail(*h, index, value));
  EXPECT_EQ(index, 5);
  EXPECT_EQ(value, 12.5);
  ASSERT_TRUE(gdutils::rdsolheadtail(*h, index, value));
  EXPECT_EQ(index, 0);
  EXPECT_EQ(value, 0.0);
  for (int k = 0; k < 2; ++k) {  // every record past the end
    gdutils::solrec r;
    ASSERT_TRUE(gdutils::rdsolrecex(*h, r));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.basis, 3);
    EXPECT_EQ(r.level, 1e20);
    EXPECT_EQ(r.marginal, 1e20);
  }
}

// The small model (x1 in rows 1 and 2, objective variable x2 in rows 1 and 2) loaded into
// gcdata::mymodel, with the solution file in a temporary folder.
class WriteSol : public testing::Test {
 protected:
  void SetUp() override {
    testutil::write_file(dir.file("m.cod"),
                         "$NL CODE\n18 0\n1 1\n20 9\n12 1\n3 1\n"
                         "$VARIABLE RELOCATION TABLE\n0\n$CONSTANT POOL\n1\n2.5\n");
    testutil::write_file(dir.file("m.mat"),
                         "3E300 4E300 1E300 2E300 5E300 1E301\n0 3 0 0\n2 4 0 2\n"
                         "2 0 1 3E300 0 0 0\n1 5 1\n2 1 0\n2 4E300 0.5 10 0 0 0\n1 1 0\n2 2 0\n");
    gcdata::tmodel& m = gcdata::mymodel;
    m = gcdata::tmodel{};
    m.rows = 2, m.cols = 2, m.nonzeros = 4, m.instrcount = 5, m.poolsize = 1, m.objvar = 2;
    m.instrfile.assign_cut(dir.file("m.cod"));
    m.matfile.assign_cut(dir.file("m.mat"));
    m.solfile.assign_cut(dir.file("m.sol"));
    ASSERT_EQ(gcload::loaddata(), gcload::loadok);
    m.rowmarginal = {0.25, 2e300};
  }
  void TearDown() override { gcdata::mymodel = gcdata::tmodel{}; }

  // A stored solution: row 1 basic, row 2 at its upper bound, columns basic and at lower.
  static void storesolution() {
    gcdata::tmodel& m = gcdata::mymodel;
    gcdata::gcallocsolution();
    m.rowlevel = {3, 4};
    m.rowbasis = {2, 1};
    m.rowstatus = {0, 1};
    m.collevel = {1, 0.5};
    m.colbasis = {2, 0};
    m.colmarginal = {0, -1.5};
  }

  std::string write() {
    gcdata::gcwritesol();
    return testutil::read_file(dir.file("m.sol"));
  }

  testutil::tempdir dir;
};

constexpr const char* head13 = "1 13\n2 13\n3 2E300\n4 2E300\n5 2E300\n6 2E300\n9 1\n0 0\n";

TEST_F(WriteSol, StatusThirteenWritesHeadAndTailOnly) {
  gcdata::mymodel.tailinfo[0] = 12.5;  // item 1
  gcdata::mymodel.tailinfo[10] = 3;    // item 12
  EXPECT_EQ(write(), std::string(head13) + "1 12.5\n12 3\n0 0\n");
}

TEST_F(WriteSol, RecordsByPath) {
  struct row {
    void (*setup)(gcdata::tmodel&);
    std::string records;
    const char* why;
  };
  const row rows[] = {
      {[](gcdata::tmodel&) {}, "0 0.25 3 0\n0 2E300 3 0\n1 0 3 0\n0.5 0 3 0\n",
       "no solution stored: all basic"},
      {[](gcdata::tmodel&) { storesolution(); }, "3 0.25 2 0\n0 2E300 1 1\n1 0 2 0\n0 -1.5 0 0\n",
       "stored solution"},
      {[](gcdata::tmodel& m) {
         storesolution();
         m.filetype = 3000, m.scaleopt = 1, m.scaledsol = 1;
         m.rowscale = {10, 20};
         m.colscale = {3, 7};
         m.rowmatch = {2, 9};  // row 1 matches column 2; row 2 names no column
       },
       "3 0.25 2 0 7\n0 2E300 1 1 1\n1 0 2 0 1\n0 -1.5 0 0 10\n",
       "scaled: a row and its matched column carry each other's scale"},
      {[](gcdata::tmodel& m) { m.filetype = 3000; },
       "0 0.25 3 0 1\n0 2E300 3 0 1\n1 0 3 0 1\n0.5 0 3 0 1\n",
       "scales digit 3 without a stored solution: scale 1"},
      {[](gcdata::tmodel& m) {
         m.rows = 0;
         gcdata::gcallocsolution();
         m.colbasis = {2, 0};
         m.colstatus = {1, 0};
       },
       "1 0 2 1\n0 0 0 0\n", "no rows: the stored solution's columns, not the unsolved path"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    SetUp();
    gcdata::mymodel.modelstat = 2;
    gcdata::mymodel.solvestat = 1;
    r.setup(gcdata::mymodel);
    EXPECT_EQ(write(),
              "1 1\n2 2\n3 2E300\n4 2E300\n5 2E300\n6 2E300\n9 1\n0 0\n" + r.records + "0 0\n");
  }
}

TEST_F(WriteSol, ModelStatusDecidesWhetherRecordsFollow) {
  struct row {
    std::int32_t modelstat;
    bool records;
    const char* why;
  };
  constexpr row rows[] = {
      {1, true, "optimal"},
      {9, true, "intermediate non-integer"},
      {10, false, "integer infeasible"},
      {14, false, "no solution returned"},
      {15, true, "solved unique"},
      {17, true, "solved singular"},
      {19, false, "infeasible, no solution"},
      {0, false, "below the table"},
      {20, false, "above the table"},
      {-3, false, "negative"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    gcdata::mymodel.modelstat = r.modelstat;
    const std::string sol = write();
    EXPECT_EQ(sol.find("0 0.25 3 0\n") != std::string::npos, r.records) << sol;
  }
}

TEST_F(WriteSol, HeadItemNineFollowsTheObjectiveRowsMarginals) {
  struct row {
    std::int32_t objvar;
    double marginal1, marginal2;
    const char* item9;
    const char* why;
  };
  constexpr row rows[] = {
      {0, 2e300, 2e300, "9 1\n", "no objective variable"},
      {2, 2e300, 2e300, "9 0\n", "every row of the objective variable NA"},
      {2, 2e300, 0.0, "9 1\n", "one row with a marginal"},
      {2, 2e300, std::numeric_limits<double>::quiet_NaN(), "9 1\n",
       "a NaN marginal counts as present"},
      {3, 2e300, 2e300, "9 1\n", "objective variable beyond the columns: absent"},
      {-1, 2e300, 2e300, "9 1\n", "negative objective variable: absent"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    gcdata::mymodel.objvar = r.objvar;
    gcdata::mymodel.rowmarginal = {r.marginal1, r.marginal2};
    EXPECT_NE(write().find(r.item9), std::string::npos);
  }
}

TEST_F(WriteSol, BinaryLayoutWholeFile) {
  gcdata::mymodel.filetype = 2;
  gcdata::mymodel.modelstat = 1;
  gcdata::mymodel.solvestat = 1;
  storesolution();
  const std::string sol = write();
  ASSERT_EQ(sol.size(), 800u);
  std::string payload;
  for (const auto& [index, value] : {std::pair{1, 1.0},
                                     {2, 1.0},
                                     {3, 2e300},
                                     {4, 2e300},
                                     {5, 2e300},
                                     {6, 2e300},
                                     {9, 1.0},
                                     {0, 0.0}}) {
    payload += static_cast<char>(index) + dbl(value);
  }
  payload += "\x48" + dbl(3) + dbl(0.25);    // row 1 basic
  payload += "\x55" + dbl(2e300);            // row 2 at upper bound, status 1
  payload += "\x68" + dbl(1);                // column 1 basic, marginal 0
  payload += "\x50" + dbl(-1.5);             // column 2 at lower bound
  payload += std::string(1, '\0') + dbl(0);  // tail: nothing but the ending item
  EXPECT_EQ(sol.substr(0, 4), std::string("\x18\x03\0\0", 4));
  EXPECT_EQ(sol.substr(4, payload.size()), payload);
  EXPECT_EQ(sol.substr(4 + payload.size(), 792 - payload.size()),
            std::string(792 - payload.size(), '\0'));
  EXPECT_EQ(sol.substr(796), std::string("\x18\x03\0\0", 4));
}

TEST_F(WriteSol, FileThatCannotBeOpenedIsReportedInTheLog) {
  struct row {
    const char* name;
    std::int32_t filetype;
    const char* rc;
    const char* why;
  };
  constexpr row rows[] = {
      {"no/such/folder/m.sol", 0, "*** RC=2 No such file or directory\n", "missing folder"},
      {"m.sol", 5, "*** RC=5 Input/output error\n", "data-exchange layout: refused"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    gcdata::mymodel.solfile.assign_cut(dir.file(r.name));
    gcdata::mymodel.filetype = r.filetype;
    const std::string log = dir.file("run.log");
    testutil::write_file(log, "");
    ASSERT_EQ(statlib::gstatopen(2, 2, log), 0);
    gcdata::gcwritesol();
    statlib::gstatclose();
    (void)statlib::gstatopen(0, 2, "");
    EXPECT_EQ(testutil::read_file(log),
              "*** failed rewrite on solution: " + dir.file(r.name) + "\n" + r.rc);
    EXPECT_FALSE(std::filesystem::exists(dir.file(r.name)));
  }
}

}  // namespace
