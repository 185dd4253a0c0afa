#include "instance/gdutils_records.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "support/golden.h"
#include "support/testutil.h"

namespace {

using gdutils::matcol;
using gdutils::matdat;
using gdutils::matrow;
using gdutils::modfileptr;

constexpr double pinf = 3e300;
constexpr double minf = 4e300;

modfileptr matwriter(std::int32_t filetype, std::int32_t scaleopt = 0,
                     std::int32_t priorityopt = 0) {
  std::int32_t rc = -1;
  modfileptr h = gdutils::memwrite(rc, filetype, "mem");
  EXPECT_EQ(rc, 0);
  if (h) gdutils::setmatflags(*h, scaleopt, priorityopt);
  return h;
}

modfileptr matreader(std::int32_t filetype, std::string_view data, std::int32_t scaleopt = 0,
                     std::int32_t priorityopt = 0) {
  std::int32_t rc = -1;
  modfileptr h = gdutils::parsemat(rc, filetype, scaleopt, priorityopt, data, "mem");
  EXPECT_EQ(rc, 0);
  return h;
}

// The bytes of the first record's payload as hex, up to the zero fill (at least n bytes).
std::string hex(std::string_view bytes, std::size_t n) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < n && i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (!out.empty()) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::string dbl(double v) {
  std::string s(8, '\0');
  const auto bits = std::bit_cast<std::uint64_t>(v);
  for (int i = 0; i < 8; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>(bits >> (8 * i));
  return s;
}

TEST(GdutilsCodeRecords, OperandSizeTags) {
  struct row {
    std::int32_t operand;
    const char* bytes;
    const char* why;
  };
  constexpr row rows[] = {
      {126, "03 00 7E", "largest byte operand"},
      {127, "03 01 7F 00", "127 is 16-bit"},
      {32766, "03 01 FE 7F", "largest 16-bit operand"},
      {32767, "03 02 FF 7F 00 00", "32767 is 32-bit"},
      {-1, "03 00 FF", "negative in a byte"},
      {-128, "03 00 80", "smallest byte"},
      {-129, "03 02 7F FF FF FF", "below -128: 32-bit, never a cut byte"},
      {-40000, "03 02 C0 63 FF FF", "far below: 32-bit"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    modfileptr w = matwriter(1);
    gdutils::wrcodrec(*w, 3, r.operand);
    const std::string bytes = gdutils::closemem(w);
    EXPECT_EQ(hex(bytes, std::strlen(r.bytes) / 3 + 1), r.bytes);
    modfileptr h = matreader(1, bytes);
    std::int32_t opcode = -1;
    std::int32_t operand = 0;
    ASSERT_TRUE(gdutils::rdcodrec(*h, opcode, operand));
    EXPECT_EQ(opcode, 3);
    EXPECT_EQ(operand, r.operand);
  }
}

// A tiny instruction-code file: two instructions and two constants.
std::string writecode(std::int32_t filetype) {
  std::int32_t rc = -1;
  modfileptr w = gdutils::memwrite(rc, filetype, "mem");
  gdutils::wrcodhead(*w);
  gdutils::wrcodrec(*w, 18, 0);
  gdutils::wrcodrec(*w, 2, 1);
  gdutils::wrcodrec(*w, 3, 2);
  gdutils::wrcodreloc(*w);
  gdutils::wrcodpool(*w, 2);
  gdutils::wrcodconst(*w, 2.5);
  gdutils::wrcodconst(*w, -1e-7);
  return gdutils::closemem(w);
}

TEST(GdutilsCodeRecords, TextAndBinaryFiles) {
  EXPECT_EQ(writecode(0),
            "$NL CODE\n18 0\n2 1\n3 2\n$VARIABLE RELOCATION TABLE\n0\n$CONSTANT POOL\n2\n2.5\n"
            "-1E-7\n");
  const std::string bin = writecode(1);
  EXPECT_EQ(std::string_view(bin).substr(0, 25),
            std::string("\x12\x00\x00\x02\x00\x01\x03\x00\x02", 9) + std::string(4, '\0') +
                std::string("\x02\x00\x00\x00", 4) + dbl(2.5).substr(0, 8));
  for (const std::int32_t filetype : {0, 1, 2, 3, 4}) {
    SCOPED_TRACE(filetype);
    const std::string bytes = writecode(filetype);
    std::int32_t rc = -1;
    modfileptr h = gdutils::parsecod(rc, filetype, bytes, "mem");
    ASSERT_TRUE(gdutils::rdcodhead(*h));
    std::int32_t op = 0;
    std::int32_t operand = 0;
    std::vector<std::int32_t> got;
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(gdutils::rdcodrec(*h, op, operand));
      got.push_back(op);
      got.push_back(operand);
    }
    EXPECT_EQ(got, (std::vector<std::int32_t>{18, 0, 2, 1, 3, 2}));
    ASSERT_TRUE(gdutils::rdcodreloc(*h));
    std::int32_t entry = -1;
    ASSERT_TRUE(gdutils::rdcodrepos(*h, entry));
    EXPECT_EQ(entry, 0);
    std::int32_t count = 0;
    ASSERT_TRUE(gdutils::rdcodpool(*h, count));
    EXPECT_EQ(count, 2);
    double c1 = 0;
    double c2 = 0;
    ASSERT_TRUE(gdutils::rdcodconst(*h, c1));
    ASSERT_TRUE(gdutils::rdcodconst(*h, c2));
    EXPECT_EQ(c1, 2.5);
    EXPECT_EQ(c2, -1e-7);
    // One constant more than the file holds: the text ends (binary: the zero fill).
    if (filetype == 0) {
      EXPECT_FALSE(gdutils::rdcodconst(*h, c1));
    }
  }
}

TEST(GdutilsCodeRecords, RelocationEntries) {
  for (const std::int32_t filetype : {0, 1}) {
    SCOPED_TRACE(filetype);
    std::int32_t rc = -1;
    modfileptr w = gdutils::memwrite(rc, filetype, "mem");
    gdutils::wrcodrevar(*w, 5);
    gdutils::wrcodrepos(*w, 12);
    const std::string bytes = gdutils::closemem(w);
    if (filetype == 0) {
      EXPECT_EQ(bytes, "-5\n12\n");
    }
    modfileptr h = gdutils::parsecod(rc, filetype, bytes, "mem");
    std::int32_t a = 0;
    std::int32_t b = 0;
    ASSERT_TRUE(gdutils::rdcodrepos(*h, a));
    ASSERT_TRUE(gdutils::rdcodrepos(*h, b));
    EXPECT_EQ(a, -5);
    EXPECT_EQ(b, 12);
  }
}

TEST(GdutilsMatrixRecords, RowGoldenBytes) {
  struct row {
    std::int32_t filetype;
    matrow rec;
    std::string bytes;
    matrow back;
    const char* why;
  };
  const row rows[] = {
      {1,
       {4, 1, 1.0, 0.0, 0.0, 0, 1.0, 0},
       "\x8C",
       {4, 1, 1.0, 0.0, 0.0, 0, 1.0, 0},
       "=X= row, rhs 1, marginal flag: one byte"},
      {1,
       {0, 0, 2.5, 3.0, 0.0, 0, 1.0, 0},
       "\x38" + dbl(2.5) + dbl(3.0),
       {0, 0, 2.5, 3.0, 0.0, 0, 1.0, 0},
       "rhs and level as doubles"},
      {1,
       {2, 0, -1.0, 0.0, 9.0, 4, 1.0, 0},
       "\x12",
       {2, 0, -1.0, 0.0, 0.0, 0, 1.0, 0},
       "rhs -1; no duals, no counts: marginal and count absent"},
      {100001,
       {1, 0, 0.0, 0.0, 0.0, 0, 1.0, -7},
       std::string("\x01\x04", 2),
       {1, 0, 0.0, 0.0, 0.0, 0, 1.0, -1},
       "a negative match reads back -1"},
      {100001,
       {1, 0, 0.0, 0.0, 0.0, 0, 1.0, 0},
       std::string("\x01\x00", 2),
       {1, 0, 0.0, 0.0, 0.0, 0, 1.0, 0},
       "match 0"},
      {100001,
       {6, 0, 0.0, 0.0, 0.0, 0, 1.0, 70000},
       std::string("\x82\x0C\x70\x11\x01\x00", 6),
       {6, 0, 0.0, 0.0, 0.0, 0, 1.0, 70000},
       "=B= row with a positive match"},
      {111,
       {3, 1, 0.0, 0.0, -0.5, 200, 1.0, 0},
       std::string("\x07", 1) + dbl(-0.5) + std::string("\x02\xC8\x00", 3),
       {3, 1, 0.0, 0.0, -0.5, 200, 1.0, 0},
       "duals and a 16-bit count"},
      {101,
       {0, 0, 0.0, 0.0, 0.0, -3, 1.0, 0},
       std::string("\x00\x00", 2),
       {0, 0, 0.0, 0.0, 0.0, 0, 1.0, 0},
       "a count of 0 or less is not stored"},
      {101,
       {0, 0, 0.0, 0.0, 0.0, 40000, 1.0, 0},
       std::string("\x00\x03\x40\x9C\x00\x00", 6),
       {0, 0, 0.0, 0.0, 0.0, 40000, 1.0, 0},
       "a 32-bit count"},
      {2001,
       {0, 0, 0.0, 0.0, 0.0, 0, 4.0, 0},
       "\x40" + dbl(4.0),
       {0, 0, 0.0, 0.0, 0.0, 0, 4.0, 0},
       "scale other than 1"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    modfileptr w = matwriter(r.filetype);
    gdutils::wrmatrow(*w, r.rec);
    const std::string bytes = gdutils::closemem(w);
    EXPECT_EQ(hex(bytes, r.bytes.size() + 1), hex(r.bytes + std::string(1, '\0'), 99));
    modfileptr h = matreader(r.filetype, bytes);
    matrow got;
    ASSERT_TRUE(gdutils::rdmatrow(*h, got));
    EXPECT_EQ(got.type, r.back.type);
    EXPECT_EQ(got.marginalflag, r.back.marginalflag);
    EXPECT_EQ(got.rhs, r.back.rhs);
    EXPECT_EQ(got.level, r.back.level);
    EXPECT_EQ(got.marginal, r.back.marginal);
    EXPECT_EQ(got.nzcount, r.back.nzcount);
    EXPECT_EQ(got.scale, r.back.scale);
    EXPECT_EQ(got.match, r.back.match);
  }
}

void expect_column(const matcol& got, const matcol& want) {
  EXPECT_EQ(got.nzcount, want.nzcount);
  EXPECT_EQ(got.marginalflag, want.marginalflag);
  EXPECT_EQ(got.lower, want.lower);
  EXPECT_EQ(got.level, want.level);
  EXPECT_EQ(got.upper, want.upper);
  EXPECT_EQ(got.type, want.type);
  EXPECT_EQ(got.sosset, want.sosset);
  EXPECT_EQ(got.priority, want.priority);
  EXPECT_EQ(got.marginal, want.marginal);
  EXPECT_EQ(got.scale, want.scale);
}

TEST(GdutilsMatrixRecords, ColumnGoldenBytes) {
  struct row {
    std::int32_t filetype;
    std::int32_t priorityopt;
    matcol rec;
    std::string bytes;
    matcol back;
    const char* why;
  };
  const row rows[] = {
      {1,
       0,
       {3, 0, 0.0, 0.0, pinf, 0, 0, 1.0, 0.0, 1.0},
       std::string("\x01\x03\x00\x03\x00", 5),
       {3, 0, 0.0, 0.0, pinf, 0, 0, 1.0, 0.0, 1.0},
       "continuous column: five bytes"},
      {2001,
       0,
       {3, 0, 0.0, 0.0, pinf, 0, 0, 1.0, 0.0, 1.0},
       std::string("\x01\x03\x00\x03\x00\x00", 6),
       {3, 0, 0.0, 0.0, pinf, 0, 0, 1.0, 0.0, 1.0},
       "scale values on, scale 1: one more byte 0 (priorities on, type 0 carries none)"},
      {1,
       0,
       {1, 0, 2.5, 2.5, 2.5, 0, 0, 1.0, 0.0, 1.0},
       std::string("\x41\x04\x00\x01", 4) + dbl(2.5) + std::string(1, '\0'),
       {1, 0, 2.5, 2.5, 2.5, 0, 0, 1.0, 0.0, 1.0},
       "fixed column: only the upper bound stored"},
      {1,
       1,
       {1, 0, 0.0, 1.0, 1.0, 1, 0, 7.0, 0.0, 1.0},
       std::string("\x02\x01\x01\x01\x00", 5) + dbl(7.0),
       {1, 0, 0.0, 1.0, 1.0, 1, 0, 7.0, 0.0, 1.0},
       "binary column at its upper bound, priority"},
      {1,
       0,
       {1, 0, 0.0, 1.0, 1.0, 1, 0, 7.0, 0.0, 1.0},
       std::string("\x02\x01\x01\x01\x00", 5),
       {1, 0, 0.0, 1.0, 1.0, 1, 0, 1.0, 0.0, 1.0},
       "no priority flag: priority reads 1"},
      {11,
       0,
       {200, 1, minf, -3.5, -1.0, 0, 40000, 1.0, 0.25, 1.0},
       std::string("\x34\x72\x00\xC8\x00", 5) + dbl(-3.5) + std::string("\x40\x9C\x00\x00", 4) +
           dbl(0.25),
       {200, 1, minf, -3.5, -1.0, 0, 40000, 1.0, 0.25, 1.0},
       "-inf lower, -1 upper, a level between, 16-bit count, 32-bit SOS set, a marginal"},
      {11,
       0,
       {0, 0, -2.0, 5.0, 7.0, 2, -1, 1.0, 0.5, 1.0},
       std::string("\x70\x24\x02\x00", 4) + dbl(-2.0) + dbl(5.0) + dbl(7.0) +
           std::string("\xFF", 1),
       {0, 0, -2.0, 5.0, 7.0, 2, -1, 1.0, 0.0, 1.0},
       "duals on, marginal flag 0: no marginal"},
      {1001,
       0,
       {0, 0, 0.0, 0.0, pinf, 0, 0, 1.0, 0.0, 3.0},
       std::string("\x01\x03\x00\x00\x00\x01", 6) + dbl(3.0),
       {0, 0, 0.0, 0.0, pinf, 0, 0, 1.0, 0.0, 3.0},
       "scale digit 1 with the scale option: byte 1 and the scale"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    modfileptr w = matwriter(r.filetype, 1, r.priorityopt);
    gdutils::wrmatcol(*w, r.rec);
    const std::string bytes = gdutils::closemem(w);
    EXPECT_EQ(hex(bytes, r.bytes.size() + 1), hex(r.bytes + std::string(1, '\0'), 99));
    modfileptr h = matreader(r.filetype, bytes, 1, r.priorityopt);
    matcol got;
    ASSERT_TRUE(gdutils::rdmatcol(*h, got));
    expect_column(got, r.back);
  }
}

TEST(GdutilsMatrixRecords, EntryGoldenBytes) {
  struct row {
    matdat rec;
    std::string bytes;
    const char* why;
  };
  const row rows[] = {
      {{200, -1.0, true}, std::string("\x19\xC8\x00", 3), "16-bit row, value -1, nonlinear"},
      {{5, 0.0, false}, std::string("\x00\x05", 2), "value 0"},
      {{5, 1.0, false}, std::string("\x04\x05", 2), "value 1"},
      {{70000, 0.5, false},
       std::string("\x0E\x70\x11\x01\x00", 5) + dbl(0.5),
       "32-bit row, a double"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    modfileptr w = matwriter(1);
    gdutils::wrmatdat(*w, r.rec);
    const std::string bytes = gdutils::closemem(w);
    EXPECT_EQ(hex(bytes, r.bytes.size() + 1), hex(r.bytes + std::string(1, '\0'), 99));
    modfileptr h = matreader(1, bytes);
    matdat got;
    ASSERT_TRUE(gdutils::rdmatdat(*h, got));
    EXPECT_EQ(got.row, r.rec.row);
    EXPECT_EQ(got.value, r.rec.value);
    EXPECT_EQ(got.nonlin, r.rec.nonlin);
  }
}

TEST(GdutilsMatrixRecords, UnknownBinaryCodesFail) {
  enum kind { row_, col_, dat_, cod_ };
  struct row {
    std::int32_t filetype;
    kind what;
    std::string bytes;
    const char* message;
    const char* why;
  };
  const row rows[] = {
      {1, cod_, std::string("\x01\x03", 2), "mem, record 1: unknown instruction size tag 3",
       "tag 3"},
      {100001, row_, std::string("\x00\x08", 2), "mem, record 1: unknown row match code 2",
       "match code 2"},
      {1, col_, std::string("\x03\x00\x00", 3), "mem, record 1: unknown column level relation 3",
       "relation 3"},
      {1, col_, std::string("\x0C\x00\x00", 3), "mem, record 1: unknown column count width 3",
       "count width 3"},
      {1, col_, std::string("\x50\x00\x00", 3), "mem, record 1: unknown column lower-bound code 5",
       "lower code 5"},
      {1, col_, std::string("\x60\x00\x00", 3), "mem, record 1: unknown column lower-bound code 6",
       "lower code 6"},
      {1, col_, std::string("\x00\x07\x00", 3), "mem, record 1: unknown column upper-bound code 7",
       "upper code 7"},
      {1, col_, std::string("\x00\x18\x00", 3), "mem, record 1: unknown column SOS-set width 3",
       "SOS width 3"},
      {2001, col_, std::string("\x00\x00\x00\x00\x00\x02", 6),
       "mem, record 1: unknown column scale code 2", "scale code 2"},
      {1, dat_, std::string("\x03", 1), "mem, record 1: unknown entry row width 3",
       "entry width 3"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const std::string file = r.bytes + std::string(800 - r.bytes.size(), '\0');
    modfileptr h = matreader(r.filetype, file);
    bool ok = true;
    matrow mr;
    matcol mc;
    matdat md;
    std::int32_t a = 0;
    std::int32_t b = 0;
    switch (r.what) {
      case row_:
        ok = gdutils::rdmatrow(*h, mr);
        break;
      case col_:
        ok = gdutils::rdmatcol(*h, mc);
        break;
      case dat_:
        ok = gdutils::rdmatdat(*h, md);
        break;
      case cod_:
        ok = gdutils::rdcodrec(*h, a, b);
        break;
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(h->errmsg.view(), r.message);
  }
}

TEST(GdutilsMatrixRecords, TextRecords) {
  // Every optional field on: duals, counts, scales digit 2, matches.
  modfileptr w = matwriter(102110);
  gdutils::wrmathead(*w);
  gdutils::wrmatrow(*w, {2, 1, 4.5, 0.0, -1.25, 3, 1.0, 2});
  gdutils::wrmatcol(*w, {2, 0, 0.0, 1.0, 1.0, 1, 0, 5.0, 0.75, 2.0});
  gdutils::wrmatdat(*w, {1, -1.0, true});
  gdutils::wrmatcol(*w, {0, 1, -1.0, 0.0, pinf, 0, 0, 1.0, 0.75, 1.0});
  EXPECT_EQ(gdutils::closemem(w),
            "3E300 4E300 1E300 2E300 5E300 1E301\n"
            "2 4.5 1 0 -1.25 3 1 2\n"
            "2 0 1 1 0 1 0 0.75 2\n"
            "5\n"
            "1 -1 1\n"
            "0 -1 0 3E300 1 0 0 0.75 1\n");

  // Duals on: a column with marginal flag 0 reads marginal 0; a row keeps what it reads.
  const std::string text = "head\n2 0 0 1 9.5\n1 0 1 2 0 1 0 9.5\n3\n";
  modfileptr h = matreader(10, text, 0, 1);
  ASSERT_TRUE(gdutils::rdmathead(*h));
  matrow r;
  ASSERT_TRUE(gdutils::rdmatrow(*h, r));
  EXPECT_EQ(r.marginal, 9.5);
  EXPECT_EQ(r.scale, 1.0);
  matcol c;
  ASSERT_TRUE(gdutils::rdmatcol(*h, c));
  EXPECT_EQ(c.marginal, 0.0);
  EXPECT_EQ(c.type, 1);
  EXPECT_EQ(c.priority, 3.0);  // priorities on: the second line
}

TEST(GdutilsMatrixRecords, TextErrorsNameTheLine) {
  struct row {
    const char* text;
    const char* message;
    const char* why;
  };
  constexpr row rows[] = {
      {"h\n0 1 0 0\n", "", "a whole row"},
      {"h\n0 1 0\n", "m, line 3: Read past end of file", "the level is missing at the end"},
      {"h\n0 1 0 zero\n", "m, line 2: Invalid numeric format", "a word for the level"},
      {"h\n0 1e400x 0 0\n", "m, line 2: Invalid numeric format", "a malformed real"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    std::int32_t rc = -1;
    modfileptr h = gdutils::parsemat(rc, 0, 0, 0, r.text, "m");
    ASSERT_TRUE(gdutils::rdmathead(*h));
    matrow got;
    EXPECT_EQ(gdutils::rdmatrow(*h, got), *r.message == '\0');
    EXPECT_EQ(h->errmsg.view(), r.message);
  }
}

}  // namespace

namespace {

// A small model: 2 rows, 2 columns; row 1 holds 2.5 * sqr(x1) + x2 =E= 3, row 2
// x1 + 2 x2 =L= 4.
struct smallmodel {
  std::vector<matrow> rows;
  std::vector<matcol> cols;
  std::vector<std::vector<matdat>> entries;  // per column
  std::vector<std::pair<std::int32_t, std::int32_t>> code;
  std::vector<double> pool;
};

smallmodel small() {
  smallmodel m;
  m.rows = {{0, 0, 3.0, 0.0, 0.0, 2, 1.0, 0}, {2, 0, 4.0, 2.0, 0.0, 2, 1.0, 0}};
  m.cols = {{2, 0, 0.0, 1.0, pinf, 0, 0, 1.0, 0.0, 1.0},
            {2, 0, minf, 0.5, 10.0, 0, 0, 1.0, 0.0, 1.0}};
  m.entries = {{{1, 5.0, true}, {2, 1.0, false}}, {{1, 1.0, false}, {2, 2.0, false}}};
  m.code = {{18, 0}, {1, 1}, {20, 9}, {12, 1}, {3, 1}};
  m.pool = {2.5};
  return m;
}

std::string writemat(const smallmodel& m, std::int32_t filetype) {
  modfileptr w = matwriter(filetype);
  gdutils::wrmathead(*w);
  for (const matrow& r : m.rows) gdutils::wrmatrow(*w, r);
  for (std::size_t j = 0; j < m.cols.size(); ++j) {
    gdutils::wrmatcol(*w, m.cols[j]);
    for (const matdat& e : m.entries[j]) gdutils::wrmatdat(*w, e);
  }
  return gdutils::closemem(w);
}

std::string writecod(const smallmodel& m, std::int32_t filetype) {
  modfileptr w = matwriter(filetype);
  gdutils::wrcodhead(*w);
  for (const auto& [op, operand] : m.code)
    gdutils::wrcodrec(*w, static_cast<std::uint8_t>(op), operand);
  gdutils::wrcodreloc(*w);
  gdutils::wrcodpool(*w, static_cast<std::int32_t>(m.pool.size()));
  for (const double v : m.pool) gdutils::wrcodconst(*w, v);
  return gdutils::closemem(w);
}

// Reads a model of the given size as the loader does; false at the first failure.
bool readmodel(std::string_view mat, std::string_view cod, std::int32_t filetype, std::size_t nrows,
               std::size_t ncols, std::size_t ninstr, smallmodel& m) {
  modfileptr h = matreader(filetype, mat);
  if (!gdutils::rdmathead(*h)) return false;
  m.rows.resize(nrows);
  for (matrow& r : m.rows) {
    if (!gdutils::rdmatrow(*h, r)) return false;
  }
  m.cols.resize(ncols);
  m.entries.assign(ncols, {});
  for (std::size_t j = 0; j < ncols; ++j) {
    if (!gdutils::rdmatcol(*h, m.cols[j])) return false;
    m.entries[j].resize(static_cast<std::size_t>(m.cols[j].nzcount));
    for (matdat& e : m.entries[j]) {
      if (!gdutils::rdmatdat(*h, e)) return false;
    }
  }
  std::int32_t rc = -1;
  modfileptr c = gdutils::parsecod(rc, filetype, cod, "cod");
  if (!gdutils::rdcodhead(*c)) return false;
  m.code.resize(ninstr);
  for (auto& [op, operand] : m.code) {
    if (!gdutils::rdcodrec(*c, op, operand)) return false;
  }
  std::int32_t entry = -1;
  std::int32_t count = 0;
  if (!gdutils::rdcodreloc(*c) || !gdutils::rdcodrepos(*c, entry) ||
      !gdutils::rdcodpool(*c, count)) {
    return false;
  }
  if (entry != 0 || count < 0 || count > 100) return false;
  m.pool.resize(static_cast<std::size_t>(count));
  for (double& v : m.pool) {
    if (!gdutils::rdcodconst(*c, v)) return false;
  }
  return true;
}

std::string fixture(const std::string& name) {
  return testutil::source_dir() + "/tests/instance/fixtures/scratch/" + name;
}

// Compares with the golden file; UPDATE_GOLDEN=1 rewrites it.
void expect_golden(const std::string& name, const std::string& bytes) {
  EXPECT_TRUE(testutil::matchesgolden(fixture(name), bytes));
}

TEST(GdutilsSmallModel, EveryLayoutMatchesItsGoldenFilesAndReadsBackTheModel) {
  const smallmodel m = small();
  for (const std::int32_t layout : {0, 1, 2, 3}) {
    SCOPED_TRACE(layout);
    const std::string mat = writemat(m, layout);
    const std::string cod = writecod(m, layout);
    expect_golden("small.mat." + std::to_string(layout), mat);
    expect_golden("small.cod." + std::to_string(layout), cod);
    smallmodel back;
    ASSERT_TRUE(readmodel(mat, cod, layout, 2, 2, 5, back));
    for (std::size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(back.rows[i].type, m.rows[i].type);
      EXPECT_EQ(back.rows[i].rhs, m.rows[i].rhs);
      EXPECT_EQ(back.rows[i].level, m.rows[i].level);
      expect_column(back.cols[i], m.cols[i]);
      ASSERT_EQ(back.entries[i].size(), 2U);
      for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(back.entries[i][k].row, m.entries[i][k].row);
        EXPECT_EQ(back.entries[i][k].value, m.entries[i][k].value);
        EXPECT_EQ(back.entries[i][k].nonlin, m.entries[i][k].nonlin);
      }
    }
    EXPECT_EQ(back.code, m.code);
    EXPECT_EQ(back.pool, m.pool);
  }
}

TEST(GdutilsSmallModel, TruncatedFilesFailWithAMessage) {
  const smallmodel m = small();
  for (const std::int32_t layout : {0, 1, 3}) {
    SCOPED_TRACE(layout);
    const std::string mat = writemat(m, layout);
    const std::string cod = writecod(m, layout);
    smallmodel back;
    // The code file read for one instruction more than it holds: text runs into the
    // relocation title, binary into the zero fill and then past the end.
    EXPECT_FALSE(readmodel(mat, cod, layout, 2, 2, layout == 0 ? 6 : 200, back));
    EXPECT_FALSE(readmodel(mat.substr(0, mat.size() / 2), cod, layout, 2, 2, 5, back));
    // More columns than the file holds (binary: beyond the last record's zero fill).
    EXPECT_FALSE(readmodel(mat, cod, layout, 2, 2 + 1000, 5, back));
  }
}

}  // namespace
