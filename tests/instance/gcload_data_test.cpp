// Model loading: the small model in every layout, what the load derives (instruction
// ranges, function use, Jacobian lists, bound classes and kinds) and the refusal of
// malformed, truncated and out-of-range scratch files with "*** " lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "frame/statlib.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"
#include "instance/gdutils_records.h"
#include "support/modelrecord.h"
#include "support/testutil.h"

namespace {

using gcdata::tmodel;

// The scratch goldens: rows 2.5 * sqr(x1) + x2 =E= 3 and x1 + 2 x2 =L= 4.
std::string golden(const std::string& name) {
  return testutil::read_file(testutil::source_dir() + "/tests/instance/fixtures/scratch/" + name);
}

constexpr const char* goodcod =
    "$NL CODE\n18 0\n1 1\n20 9\n12 1\n3 1\n"
    "$VARIABLE RELOCATION TABLE\n0\n$CONSTANT POOL\n1\n2.5\n";
constexpr const char* head = "3E300 4E300 1E300 2E300 5E300 1E301\n";

std::string goodmat() {
  return std::string(head) +
         "0 3 0 0\n2 4 0 2\n"
         "2 0 1 3E300 0 0 0\n1 5 1\n2 1 0\n"
         "2 4E300 0.5 10 0 0 0\n1 1 0\n2 2 0\n";
}

// The status-file lines that the load writes (the log stays off).
struct statuslines {
  std::vector<std::string> lines;
  static void take(const q5rt::sstr& text, std::int32_t channel, void* user) {
    if (channel == 1) static_cast<statuslines*>(user)->lines.push_back(text.str());
  }
  statuslines() {
    (void)statlib::gstatopen(0, 2, "");
    statlib::registerwritecallback(&take, this);
  }
  ~statuslines() { statlib::registerwritecallback(nullptr, nullptr); }
  std::string all() const {
    std::string s;
    for (const auto& l : lines) s += l;
    return s;
  }
};

class LoadData : public testing::Test {
 protected:
  // The small model's control values with the two files in the folder.
  tmodel control(std::int32_t filetype = 0) const {
    tmodel m;
    m.rows = 2;
    m.cols = 2;
    m.nonzeros = 4;
    m.instrcount = 5;
    m.poolsize = 1;
    m.objvar = 2;
    m.filetype = filetype;
    m.instrfile.assign_cut(dir.file("m.cod"));
    m.matfile.assign_cut(dir.file("m.mat"));
    return m;
  }
  void files(const std::string& cod, const std::string& mat) const {
    testutil::write_file(dir.file("m.cod"), cod);
    testutil::write_file(dir.file("m.mat"), mat);
  }

  testutil::tempdir dir;
};

using testutil::describe;

TEST_F(LoadData, SmallModelLoadsIntoTheSameRecordInEveryLayout) {
  std::vector<std::string> records;
  for (int layout = 0; layout <= 3; ++layout) {
    SCOPED_TRACE(layout);
    const std::string n = std::to_string(layout);
    files(golden("small.cod." + n), golden("small.mat." + n));
    statuslines out;
    tmodel m = control(layout);
    ASSERT_EQ(gcload::loadmodel(m), gcload::loadok) << out.all();
    EXPECT_TRUE(out.lines.empty()) << out.all();
    records.push_back(describe(m));
  }
  for (std::size_t k = 1; k < records.size(); ++k) EXPECT_EQ(records[k], records[0]) << k;
}

// The small model's matrix written in a layout with the column bounds +infinity (x1's
// upper) and -infinity (x2's lower) as IEEE values, in place of the special values.
std::string infinitebounds(std::int32_t layout) {
  std::int32_t rc = 0;
  const std::string text = golden("small.mat.0");
  gdutils::modfileptr in = gdutils::parsemat(rc, 0, 0, 0, text, "small");
  gdutils::modfileptr out = gdutils::memwrite(rc, layout, "inf");
  gdutils::setmatflags(*out, 0, 0);
  bool ok = gdutils::rdmathead(*in);
  gdutils::wrmathead(*out);
  for (int i = 0; i < 2; ++i) {
    gdutils::matrow r;
    ok = ok && gdutils::rdmatrow(*in, r);
    gdutils::wrmatrow(*out, r);
  }
  for (int j = 0; j < 2; ++j) {
    gdutils::matcol c;
    ok = ok && gdutils::rdmatcol(*in, c);
    if (c.upper == 3e300) c.upper = std::numeric_limits<double>::infinity();
    if (c.lower == 4e300) c.lower = -std::numeric_limits<double>::infinity();
    gdutils::wrmatcol(*out, c);
    for (int k = 0; k < c.nzcount; ++k) {
      gdutils::matdat e;
      ok = ok && gdutils::rdmatdat(*in, e);
      gdutils::wrmatdat(*out, e);
    }
  }
  EXPECT_TRUE(ok) << in->errmsg.view();
  return gdutils::closemem(out);
}

std::string replaced(std::string text, const std::string& what, const std::string& with) {
  return text.replace(text.find(what), what.size(), with);
}

// A real beyond the doubles in a text file ("1e400") reads as the special value that the
// binary layouts give an IEEE infinity: one model gives one record, the bound classes
// included, whatever its layout.
TEST_F(LoadData, InfiniteBoundsGiveTheSameRecordInEveryLayout) {
  files(golden("small.cod.0"), golden("small.mat.0"));
  tmodel want = control(0);
  ASSERT_EQ(gcload::loadmodel(want), gcload::loadok);
  const std::string text =
      replaced(replaced(golden("small.mat.0"), "3E300", "1e400"), "4E300 0.5", "-1e400 0.5");
  for (int layout = 0; layout <= 3; ++layout) {
    SCOPED_TRACE(layout);
    const std::string n = std::to_string(layout);
    files(golden("small.cod." + n), layout == 0 ? text : infinitebounds(layout));
    statuslines out;
    tmodel m = control(layout);
    ASSERT_EQ(gcload::loadmodel(m), gcload::loadok) << out.all();
    EXPECT_EQ(m.colupper[0], 3e300);
    EXPECT_EQ(m.collower[1], 4e300);
    EXPECT_EQ(m.colboundclass, (std::vector<std::uint8_t>{2, 3}));
    EXPECT_EQ(describe(m), describe(want));
  }
}

TEST_F(LoadData, WhatTheLoadDerives) {
  files(goodcod, goodmat());
  tmodel m = control();
  m.headinfo.fill(0);
  ASSERT_EQ(gcload::loadmodel(m), gcload::loadok);
  EXPECT_EQ(m.solvestat, 13);
  EXPECT_EQ(m.modelstat, 13);
  EXPECT_EQ(m.headinfo[0], 2e300);
  EXPECT_EQ(m.tailinfo[10], 2e300);
  EXPECT_EQ(m.valmin, 4e300);
  EXPECT_EQ(m.rowtype, (std::vector<std::int32_t>{0, 2}));
  EXPECT_EQ(m.rowrhs, (std::vector<double>{3, 4}));
  // Row 1's code runs from its Header to its Store; row 2 is linear.
  EXPECT_EQ(m.rowfirstinstr, (std::vector<std::int32_t>{1, 0}));
  EXPECT_EQ(m.rowlastinstr, (std::vector<std::int32_t>{5, 0}));
  ASSERT_EQ(m.instr.size(), 5u);
  EXPECT_EQ(m.instr[2].opcode, ctvnl::opcode::callarg1);
  EXPECT_EQ(m.instr[2].operand, 9);
  EXPECT_EQ(m.pool, (std::vector<double>{2.5}));
  EXPECT_EQ(m.funcuse[9], 1);
  EXPECT_EQ(m.collevel, (std::vector<double>{1, 0.5}));
  EXPECT_EQ(m.colupper, (std::vector<double>{3e300, 10}));
  // x1 >= 0: lower only, positive; x2 <= 10 from minus infinity: upper only, negative.
  EXPECT_EQ(m.colboundclass, (std::vector<std::uint8_t>{2, 3}));
  EXPECT_EQ(m.colsosset, (std::vector<std::int32_t>{2, 1}));
  EXPECT_EQ(m.boundkindcount, (std::array<std::int32_t, 3>{0, 1, 1}));
  EXPECT_TRUE(m.rowlevel.empty());
  EXPECT_TRUE(m.colbasis.empty());
  EXPECT_TRUE(m.rowscale.empty());
  // Rows list their elements in column order; only the nonlinear one is in the
  // nonlinear list.
  const std::string lists = describe(m);
  EXPECT_NE(lists.find("row 1: 1 2 nl: 1 last 2 nllast 1"), std::string::npos) << lists;
  EXPECT_NE(lists.find("row 2: 1 2 nl: last 2 nllast 0"), std::string::npos) << lists;
  EXPECT_NE(lists.find("col 1: 1=5n 2=1 last 2"), std::string::npos) << lists;
  EXPECT_NE(lists.find("col 2: 1=1 2=2 last 2"), std::string::npos) << lists;
}

TEST_F(LoadData, BoundClassAndKindOfContinuousColumns) {
  struct row {
    const char* bounds;  // lower and upper as the matrix file writes them
    std::uint8_t boundclass;
    std::int32_t kind;
    const char* why;
  };
  constexpr row rows[] = {
      {"0 0", 4, 2, "0..0 is fixed and positive"},
      {"-5 0", 1, 1, "-5..0: both bounds, negative"},
      {"4E300 7", 3, 1, "-inf..7: upper only, negative"},
      {"3 10", 1, 0, "3..10: both bounds, free"},
      {"4E300 3E300", 0, 0, "free both ways"},
      {"2.5 2.5", 4, 0, "fixed away from 0"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const std::string bounds = r.bounds;
    const std::string lower = bounds.substr(0, bounds.find(' '));
    const std::string upper = bounds.substr(bounds.find(' ') + 1);
    files("", std::string(head) + "0 " + lower + " " + lower + " " + upper + " 0 0 0\n");
    tmodel m = control();
    m.rows = 0, m.cols = 1, m.nonzeros = 0, m.instrcount = 0, m.objvar = 0;
    ASSERT_EQ(gcload::loadmodel(m), gcload::loadok);
    EXPECT_EQ(m.colboundclass[0], r.boundclass);
    EXPECT_EQ(m.colsosset[0], r.kind);
    EXPECT_EQ(m.boundkindcount[static_cast<std::size_t>(r.kind)], 1);
    EXPECT_EQ(m.fixedcols, r.boundclass == 4 ? 1 : 0);
  }
}

TEST_F(LoadData, NoInstructionsOpensNoInstructionFile) {
  files("", std::string(head) + "0 3 0 0\n1 0 0 1 0 0 0\n1 2 0\n");
  tmodel m = control();
  m.rows = 1, m.cols = 1, m.nonzeros = 1, m.instrcount = 0, m.objvar = 1;
  m.instrfile.assign_cut(dir.file("missing.cod"));
  ASSERT_EQ(gcload::loadmodel(m), gcload::loadok);
  EXPECT_TRUE(m.instr.empty());
  EXPECT_EQ(m.rowfirstinstr, (std::vector<std::int32_t>{0}));
}

TEST_F(LoadData, ScalesAskedForButNotInTheFileReadAsOne) {
  files(goodcod, goodmat());
  tmodel m = control();
  m.scaleopt = 1;
  ASSERT_EQ(gcload::loadmodel(m), gcload::loadok);
  EXPECT_EQ(m.scalevalues, 1);
  EXPECT_EQ(m.rowscale, (std::vector<double>{1, 1}));
  EXPECT_EQ(m.colscale, (std::vector<double>{1, 1}));
}

TEST_F(LoadData, BadFilesAreReportedAndFailTheLoad) {
  const std::string cod = goodcod;
  const std::string mat = goodmat();
  const auto replace = [](std::string s, const std::string& from, const std::string& to) {
    return s.replace(s.find(from), from.size(), to);
  };
  struct row {
    std::string cod;
    std::string mat;
    void (*adjust)(tmodel&);
    std::int32_t rc;
    std::string message;  // part of the status-file lines; "@" stands for the folder
    const char* why;
  };
  const auto none = [](tmodel&) {};
  const row rows[] = {
      {cod.substr(0, 20), mat, none, gcload::loadinstrfailed,
       "=C*** Error in instruction file @m.cod, line 4: Read past end of file",
       "instruction file cut short"},
      {replace(cod, "3 1\n", "3 3\n"), mat, none, gcload::loadinstrfailed,
       "=C*** Error in instruction file @m.cod, instruction 5: Store of row 3 outside 1..2",
       "Store of a row the model does not have"},
      {replace(cod, "3 1\n", "3 0\n"), mat, none, gcload::loadinstrfailed, "Store of row 0",
       "Store of row 0"},
      {replace(cod, "1 1\n", "1 7\n"), mat, none, gcload::loadinstrfailed,
       "instruction 2: PushV of column 7 outside 1..2", "column operand out of range"},
      {replace(cod, "12 1\n", "12 2\n"), mat, none, gcload::loadinstrfailed,
       "instruction 4: MulI of constant 2 outside 1..1", "pool entry out of range"},
      {replace(cod, "12 1\n", "45 1\n"), mat, none, gcload::loadinstrfailed,
       "instruction 4: unknown opcode 45", "unknown opcode"},
      {replace(cod, "POOL\n1\n", "POOL\n2\n"), mat, none, gcload::loadinstrfailed,
       "@m.cod: constant count 2 outside 0..1", "more constants than the pool holds"},
      {replace(cod, "POOL\n1\n", "POOL\n-1\n"), mat, none, gcload::loadinstrfailed,
       "constant count -1 outside 0..1", "negative constant count"},
      {cod, mat, [](tmodel& m) { m.instrcount = 4; }, gcload::loadinstrfailed,
       "@m.cod: the file does not hold 4 instructions", "fewer instructions declared"},
      {cod, mat, [](tmodel& m) { m.instrcount = 6; }, gcload::loadinstrfailed,
       "@m.cod, line 7: Invalid numeric format", "more instructions declared"},
      {cod, mat, [](tmodel& m) { m.instrcount = 40; }, gcload::loadinstrfailed,
       "@m.cod: 40 instructions declared, the file is shorter",
       "far more instructions than the file can hold"},
      {cod, replace(mat, "2 4 0 2\n", "9 4 0 2\n"), none, gcload::loadmatrixfailed,
       "=C*** Error in matrix file @m.mat, row 2: unknown row type 9", "row type out of range"},
      {cod, replace(mat, "2 4E300", "2 4E300 0.5 10 0 8 0\n1 1 0\n2 2 0\n#"), none,
       gcload::loadmatrixfailed, "column 2: unknown column type 8", "column type out of range"},
      {cod, replace(mat, "2 1 0\n", "3 1 0\n"), none, gcload::loadmatrixfailed,
       "column 1: Jacobian entry in row 3 outside 1..2", "entry in a row the model lacks"},
      {cod, replace(mat, "1 5 1\n", "0 5 1\n"), none, gcload::loadmatrixfailed,
       "column 1: Jacobian entry in row 0 outside 1..2", "entry in row 0"},
      {cod, replace(mat, "2 0 1 3E300", "-1 0 1 3E300"), none, gcload::loadmatrixfailed,
       "column 1: negative nonzero count -1", "negative nonzero count"},
      {cod, mat.substr(0, mat.size() - 8), none, gcload::loadmatrixfailed,
       "@m.mat, line 8: Read past end of file", "matrix file cut short"},
      {cod, replace(mat, "2 4 0 2", "2 4x 0 2"), none, gcload::loadmatrixfailed,
       "@m.mat, line 3: Invalid numeric format", "malformed number"},
      {cod, mat + "1 1 0\n", none, gcload::loadmatrixfailed,
       "=C*** Error in matrix file @m.mat: the file holds more than 2 rows and 2 columns",
       "an entry more than the last column's count"},
      {cod, mat, [](tmodel& m) { m.cols = 1, m.objvar = 1; }, gcload::loadmatrixfailed,
       "the file holds more than 2 rows and 1 columns", "fewer columns declared"},
      {cod, mat, [](tmodel& m) { m.poolsize = 1500000000; }, gcload::loadinstrfailed,
       "@m.cod: 1500000000 constants declared, the file is shorter",
       "a pool size no file of this size can hold"},
      {cod, mat, [](tmodel& m) { m.rows = 2000000000; }, gcload::loadmatrixfailed,
       "@m.mat: 2000000000 rows and 2 columns declared, the file is shorter",
       "a row count no file of this size can hold: no arrays made"},
      {cod, mat, [](tmodel& m) { m.rows = -1; }, gcload::loadbadsizes,
       "=C*** Control file gives a negative count of rows: -1", "negative row count"},
      {cod, mat, [](tmodel& m) { m.poolsize = -2; }, gcload::loadbadsizes,
       "negative count of constants: -2", "negative pool size"},
      {cod, mat, [](tmodel& m) { m.objvar = 3; }, gcload::loadbadsizes,
       "=C*** Control file gives objective variable 3 outside 0..2", "objective variable"},
      {cod, mat, [](tmodel& m) { m.objrow = -1; }, gcload::loadbadsizes,
       "objective row -1 outside 0..2", "objective row"},
      {cod, mat, [](tmodel& m) { m.instrfile.append_cut(".none"); }, gcload::loadinstrfailed,
       "=C*** could not open instruction file @m.cod.none\n=C*** RC=2 No such file or directory",
       "instruction file missing"},
      {cod, mat, [](tmodel& m) { m.matfile.append_cut(".none"); }, gcload::loadmatrixfailed,
       "=C*** could not open matrix file @m.mat.none\n=C*** RC=2 No such file or directory",
       "matrix file missing"},
      {cod, mat, [](tmodel& m) { m.filetype = -1; }, gcload::loadinstrfailed,
       "=C*** could not open instruction file @m.cod\n=C*** RC=22 Invalid argument",
       "negative file type"},
  };
  const std::string folder = dir.path().string() + "/";
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    files(r.cod, r.mat);
    tmodel m = control();
    r.adjust(m);
    statuslines out;
    EXPECT_EQ(gcload::loadmodel(m), r.rc);
    std::string expected = r.message;
    for (std::size_t at = expected.find('@'); at != std::string::npos; at = expected.find('@'))
      expected.replace(at, 1, folder);
    EXPECT_NE(out.all().find(expected), std::string::npos) << out.all();
    EXPECT_EQ(out.all().rfind("=C*** ", 0), 0u) << out.all();
    EXPECT_EQ(m.solvestat, 13);
    EXPECT_EQ(m.modelstat, 13);
  }
}

// The code and the matrix are read side by side, yet the outcome is that of reading the
// code first: a failed code reports only itself and leaves no trace of the matrix, a good
// code lets the matrix's own failure through.
TEST_F(LoadData, FailedCodeHidesTheMatrixBadMatrixStillReported) {
  const std::string badcod =
      std::string(goodcod).replace(std::string(goodcod).find("12 1"), 4, "45 1");
  const std::string badmat = goodmat().replace(goodmat().find("2 1 0\n"), 6, "3 1 0\n");
  for (const std::string& mat : {goodmat(), badmat}) {
    files(badcod, mat);
    tmodel m = control();
    m.scaleopt = 1;
    statuslines out;
    EXPECT_EQ(gcload::loadmodel(m), gcload::loadinstrfailed);
    EXPECT_NE(out.all().find("unknown opcode 45"), std::string::npos) << out.all();
    EXPECT_EQ(out.all().find("matrix"), std::string::npos) << out.all();
    EXPECT_EQ(m.jacelements.size(), 0U);
    EXPECT_EQ(m.rowrhs, (std::vector<double>{0, 0}));
    EXPECT_EQ(m.collevel, (std::vector<double>{0, 0}));
    EXPECT_EQ(m.colfirst, (std::vector<gcdata::elemptr>{nullptr, nullptr}));
    EXPECT_TRUE(m.rowscale.empty());
    EXPECT_EQ(m.scalevalues, 0);
    EXPECT_EQ(m.fixedcols, 0);
  }
  files(goodcod, badmat);
  tmodel m = control();
  statuslines out;
  EXPECT_EQ(gcload::loadmodel(m), gcload::loadmatrixfailed);
  EXPECT_EQ(out.all(), "=C*** Error in matrix file " + dir.file("m.mat") +
                           ", column 1: Jacobian entry in row 3 outside 1..2\n");
  EXPECT_EQ(m.rowfirstinstr, (std::vector<std::int32_t>{1, 0}));  // the code was read
}

TEST_F(LoadData, BinaryFilesCutShortOrOverreadAreReported) {
  struct row {
    int layout;
    bool cutcod;       // the instruction file is cut, else the matrix file
    std::size_t keep;  // bytes kept
    std::int32_t instrcount;
    std::int32_t rows;
    std::int32_t cols;
    std::int32_t nonzeros;
    std::int32_t rc;
    const char* message;
    const char* why;
  };
  constexpr row rows[] = {
      {1, true, 7, 2, 2, 2, 4, gcload::loadinstrfailed, "m.cod, record 1: incomplete record",
       "part of a record"},
      {2, false, 0, 5, 2, 2, 4, gcload::loadmatrixfailed,
       "2 rows and 2 columns declared, the file is shorter", "empty matrix file"},
      {2, false, 800, 5, 700, 2, 4, gcload::loadmatrixfailed, "m.mat, record 2: read past the end",
       "far more rows declared than the file holds"},
      {3, true, 800, 300, 2, 2, 4, gcload::loadinstrfailed, "300 instructions declared",
       "instruction count beyond the file"},
      {1, true, 800, 6, 2, 2, 4, gcload::loadinstrfailed,
       "the file does not hold 6 instructions: instruction 6 is not a Store",
       "one instruction more than the file holds: the zero fill reads as a NoOp"},
      {2, false, 800, 5, 1, 2, 4, gcload::loadmatrixfailed, "the file holds more than 1 rows",
       "one row fewer declared: the rest of the file is left over"},
      {1, false, 800, 5, 2, 3, 6, gcload::loadmatrixfailed,
       "m.mat: the file holds 4 Jacobian entries, the control file declares 6",
       "a column more declared: the zero fill reads as a column without entries"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const std::string n = std::to_string(r.layout);
    std::string cod = golden("small.cod." + n);
    std::string mat = golden("small.mat." + n);
    (r.cutcod ? cod : mat).resize(r.keep);
    files(cod, mat);
    tmodel m = control(r.layout);
    m.instrcount = r.instrcount;
    m.rows = r.rows;
    m.cols = r.cols;
    m.nonzeros = r.nonzeros;
    statuslines out;
    EXPECT_EQ(gcload::loadmodel(m), r.rc);
    EXPECT_NE(out.all().find(r.message), std::string::npos) << out.all();
  }
}

// ---- large generated matrices ----

// A generated model: rows and columns of every type and bound, entries spread over the
// rows, some nonlinear, some columns empty and one column holding many entries.
struct bigmodel {
  std::int32_t rows = 0;
  std::int32_t cols = 0;
  std::int32_t nonzeros = 0;
  std::vector<gdutils::matrow> rowrecs;
  std::vector<gdutils::matcol> colrecs;
  std::vector<gdutils::matdat> entries;

  bigmodel(std::int32_t r, std::int32_t c, unsigned seed) : rows(r), cols(c) {
    std::mt19937 rng(seed);
    const auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const double bounds[] = {0.0, 1.0, -1.0, 3e300, 4e300, 2.5, -7.25};
    for (std::int32_t i = 0; i < rows; ++i) {
      gdutils::matrow row;
      row.type = pick(7);
      row.rhs = pick(3) == 0 ? 0.0 : 0.5 * pick(100) - 20;
      row.marginalflag = pick(2);
      row.marginal = row.marginalflag == 1 ? 0.25 * pick(9) : 0.0;
      row.scale = pick(4) == 0 ? 2.0 : 1.0;
      row.match = pick(5) == 0 ? pick(cols) + 1 : 0;
      rowrecs.push_back(row);
    }
    for (std::int32_t j = 0; j < cols; ++j) {
      gdutils::matcol col;
      col.type = pick(3) == 0 ? pick(7) : 0;
      col.lower = bounds[pick(7)];
      col.upper = pick(4) == 0 ? col.lower : bounds[pick(7)];
      col.level = 0.5 * pick(5);
      col.sosset = col.type == 3 || col.type == 4 ? pick(3) + 1 : 0;
      col.priority = col.type != 0 ? 1.0 + pick(4) : 1.0;
      col.scale = pick(3) == 0 ? 4.0 : 1.0;
      const std::int32_t some = pick(5) == 0 ? 0 : pick(std::min(rows, 6)) + 1;
      col.nzcount = j == cols / 3 ? std::min(rows, 40) : some;
      // Distinct rows within the column, in no particular order.
      std::vector<std::int32_t> used;
      for (std::int32_t k = 0; k < col.nzcount; ++k) {
        std::int32_t row = pick(rows) + 1;
        while (std::find(used.begin(), used.end(), row) != used.end()) row = row % rows + 1;
        used.push_back(row);
        gdutils::matdat e;
        e.row = row;
        e.nonlin = pick(4) == 0;
        e.value = pick(3) == 0 ? 1.0 : 0.125 * pick(64) - 3;
        entries.push_back(e);
      }
      colrecs.push_back(col);
    }
    nonzeros = static_cast<std::int32_t>(entries.size());
  }

  void write(const std::string& name, std::int32_t filetype, std::int32_t scaleopt,
             std::int32_t priorityopt) const {
    std::int32_t rc = 0;
    gdutils::modfileptr w = gdutils::cwmat(rc, filetype, scaleopt, priorityopt, name);
    ASSERT_TRUE(w) << rc;
    gdutils::wrmathead(*w);
    for (const auto& r : rowrecs) gdutils::wrmatrow(*w, r);
    std::size_t next = 0;
    for (const auto& c : colrecs) {
      gdutils::wrmatcol(*w, c);
      for (std::int32_t k = 0; k < c.nzcount; ++k) gdutils::wrmatdat(*w, entries[next++]);
    }
    ASSERT_EQ(gdutils::closemod(w), 0);
  }
};

// The record and the status-file lines of loading the two files.
struct loaded {
  std::int32_t rc = 0;
  std::string record;
  std::string lines;
};

template <typename Control>
loaded load(const Control& control) {
  tmodel m = control();
  statuslines out;
  loaded l;
  l.rc = gcload::loadmodel(m);
  l.record = describe(m);
  l.lines = out.all();
  return l;
}

class LargeMatrix : public LoadData {
 protected:
  // The code of the first row only: Header, PushV 1, Store 1.
  void writecode(std::int32_t filetype) const {
    std::int32_t rc = 0;
    gdutils::modfileptr w = gdutils::cwcod(rc, filetype, dir.file("m.cod"));
    ASSERT_TRUE(w);
    gdutils::wrcodhead(*w);
    gdutils::wrcodrec(*w, 18, 0);
    gdutils::wrcodrec(*w, 1, 1);
    gdutils::wrcodrec(*w, 3, 1);
    gdutils::wrcodreloc(*w);
    gdutils::wrcodpool(*w, 0);
    ASSERT_EQ(gdutils::closemod(w), 0);
  }
  tmodel control(const bigmodel& b, std::int32_t filetype) const {
    tmodel m = LoadData::control(filetype);
    m.rows = b.rows;
    m.cols = b.cols;
    m.nonzeros = b.nonzeros;
    m.instrcount = 3;
    m.poolsize = 0;
    m.objvar = 1;
    return m;
  }
};

// Every element of the generated model in its column's list, in file order, with its row,
// value and flag; each row's list holds its elements in column order, and its nonlinear
// list the nonlinear ones.
void expectlists(const tmodel& m, const bigmodel& b) {
  std::size_t next = 0;
  std::vector<std::vector<const zlmspecs::tjacrec*>> byrow(static_cast<std::size_t>(b.rows));
  for (std::int32_t j = 1; j <= b.cols; ++j) {
    const gdutils::matcol& c = b.colrecs[static_cast<std::size_t>(j - 1)];
    const zlmspecs::tjacrec* e = m.colfirst[static_cast<std::size_t>(j - 1)];
    for (std::int32_t k = 0; k < c.nzcount; ++k, e = e->colnext) {
      ASSERT_NE(e, nullptr) << "column " << j;
      const gdutils::matdat& d = b.entries[next++];
      EXPECT_EQ(e->row, d.row);
      EXPECT_EQ(e->col, j);
      EXPECT_EQ(e->jacval, d.value);
      EXPECT_EQ(e->nonlin, d.nonlin);
      byrow[static_cast<std::size_t>(d.row - 1)].push_back(e);
    }
    EXPECT_EQ(e, nullptr) << "column " << j;
  }
  for (std::size_t i = 0; i < byrow.size(); ++i) {
    std::vector<const zlmspecs::tjacrec*> all, nonlinear;
    for (const zlmspecs::tjacrec* e = m.rowfirst[i]; e != nullptr; e = e->rownext) all.push_back(e);
    for (const zlmspecs::tjacrec* e = m.rownlfirst[i]; e != nullptr; e = e->rownlnext)
      nonlinear.push_back(e);
    EXPECT_EQ(all, byrow[i]) << "row " << i + 1;
    std::vector<const zlmspecs::tjacrec*> want;
    std::copy_if(byrow[i].begin(), byrow[i].end(), std::back_inserter(want),
                 [](const zlmspecs::tjacrec* e) { return e->nonlin; });
    EXPECT_EQ(nonlinear, want) << "row " << i + 1;
  }
}

TEST_F(LargeMatrix, EveryEntryInItsLists) {
  struct row {
    std::int32_t rows;
    std::int32_t cols;
    std::int32_t filetype;
    std::int32_t scaleopt;
    std::int32_t priorityopt;
    const char* why;
  };
  constexpr row rows[] = {
      {300, 500, 1, 0, 0, "layout 1, no optional fields"},
      {300, 500, 101111, 1, 1, "every optional field"},
      {1000, 200, 2004, 0, 1, "layout 4, scales and priorities always"},
      {1, 50, 11, 0, 0, "a single row"},
      {300, 500, 0, 0, 0, "text"},
      {300, 500, 101110, 1, 1, "text with every optional field"},
      {200, 100, 2000, 0, 0, "text, scales and priorities always"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const bigmodel b(r.rows, r.cols, 7);
    b.write(dir.file("m.mat"), r.filetype, r.scaleopt, r.priorityopt);
    writecode(r.filetype);
    tmodel m = control(b, r.filetype);
    m.scaleopt = r.scaleopt;
    m.priorityopt = r.priorityopt;
    statuslines out;
    ASSERT_EQ(gcload::loadmodel(m), gcload::loadok) << out.all();
    expectlists(m, b);
  }
}

// Whatever is wrong deep in a large file is reported.
TEST_F(LargeMatrix, BadFilesAreReported) {
  struct row {
    void (*spoil)(bigmodel&);
    std::int32_t nonzerosdelta;  // on the declared count
    std::size_t keep;            // bytes of the matrix file kept (0: all)
    std::string trail;           // bytes put behind the file
    const char* message;
    const char* why;
  };
  const auto none = [](bigmodel&) {};
  const row rows[] = {
      {[](bigmodel& b) { b.entries[b.entries.size() - 3].row = b.rows + 1; }, 0, 0, "",
       "outside 1..", "an entry in a row the model does not have"},
      {[](bigmodel& b) { b.entries[5].row = 0; }, 0, 0, "", "Jacobian entry in row 0", "row 0"},
      {[](bigmodel& b) { b.colrecs[b.colrecs.size() / 2].type = 9; }, 0, 0, "",
       "unknown column type 9", "a column type out of range"},
      {[](bigmodel& b) { b.rowrecs[7].type = 7; }, 0, 0, "", "unknown row type 7",
       "a row type out of range"},
      {none, 1, 0, "", "Jacobian entries, the control file declares", "one entry more declared"},
      {none, -1, 0, "", "Jacobian entries, the control file declares", "one entry fewer declared"},
      {none, 0, 1600, "", "read past the end", "the file cut at a record end"},
      {none, 0, 0, std::string("\x01\0\0\0\0\0\0\0", 8), "the file holds more than",
       "a part of a record behind the file"},
      {none, 0, 0, std::string(800, '\0'), "the file holds more than", "a record of zeros more"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    bigmodel b(300, 500, 11);
    r.spoil(b);
    b.write(dir.file("m.mat"), 1, 0, 0);
    std::string bytes = testutil::read_file(dir.file("m.mat"));
    if (r.keep > 0) bytes.resize(r.keep);
    bytes += r.trail;
    testutil::write_file(dir.file("m.mat"), bytes);
    writecode(1);
    const auto model = [&] {
      tmodel m = control(b, 1);
      m.nonzeros += r.nonzerosdelta;
      return m;
    };
    const loaded l = load(model);
    EXPECT_EQ(l.rc, gcload::loadmatrixfailed);
    EXPECT_NE(l.lines.find(r.message), std::string::npos) << l.lines;
  }
}

// Text files whose lines are not one record each: the reader takes numbers across line
// ends and skips the rest of a line.
TEST_F(LargeMatrix, TextLinesOtherThanTheWriterWritesThem) {
  // The n-th line (from 0) of the text, changed.
  const auto online = [](std::string text, std::size_t n, std::string (*change)(std::string)) {
    std::size_t at = 0;
    for (std::size_t k = 0; k < n; ++k) at = text.find('\n', at) + 1;
    const std::size_t end = text.find('\n', at);
    return text.replace(at, end - at, change(text.substr(at, end - at)));
  };
  struct row {
    std::size_t line;
    std::string (*change)(std::string);
    bool loads;
    const char* why;
  };
  const row rows[] = {
      {900, [](std::string l) { return l + "\n"; }, true, "an empty line among the entries"},
      {900, [](std::string l) { return l.substr(0, l.rfind(' ')); }, false,
       "an entry without its flag: the next line's row is taken"},
      {40, [](std::string l) { return l.replace(l.find(' '), 1, "\n"); }, true,
       "a row on two lines"},
      {700, [](std::string l) { return l + " 7 9"; }, true, "more fields than a record takes"},
      {1500, [](std::string l) { return "x" + l; }, false, "a malformed number"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const bigmodel b(300, 500, 5);
    b.write(dir.file("m.mat"), 0, 0, 0);
    testutil::write_file(dir.file("m.mat"),
                         online(testutil::read_file(dir.file("m.mat")), r.line, r.change));
    writecode(0);
    const auto model = [&] { return control(b, 0); };
    const loaded l = load(model);
    EXPECT_EQ(l.rc == gcload::loadok, r.loads) << l.lines;
  }
  // Line ends of two bytes: the same record as with one.
  const bigmodel b(300, 500, 5);
  b.write(dir.file("m.mat"), 0, 0, 0);
  const auto model = [&] { return control(b, 0); };
  const loaded plain = load(model);
  ASSERT_EQ(plain.rc, gcload::loadok) << plain.lines;
  std::string text = testutil::read_file(dir.file("m.mat"));
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) {
    text.insert(at, "\r");
  }
  testutil::write_file(dir.file("m.mat"), text);
  const loaded crlf = load(model);
  EXPECT_EQ(crlf.rc, gcload::loadok) << crlf.lines;
  EXPECT_EQ(crlf.record, plain.record);
}

}  // namespace
