#include "instance/gdutils_scratch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <limits>
#include <string>
#include <thread>

#include "frame/gfileopen.h"
#include "instance/zlmconf.h"
#include "support/testutil.h"

namespace {

using gdutils::modfileptr;

std::string capture_output_of(void (*body)()) {
  testing::internal::CaptureStdout();
  body();
  q5rt::output().flush();
  return testing::internal::GetCapturedStdout();
}

modfileptr writer(std::int32_t filetype) {
  std::int32_t rc = -1;
  modfileptr h = gdutils::memwrite(rc, filetype, "mem");
  EXPECT_EQ(rc, 0);
  return h;
}

modfileptr reader(std::int32_t filetype, std::string_view data) {
  std::int32_t rc = -1;
  modfileptr h = gdutils::parsemod(rc, filetype, data, "mem");
  EXPECT_EQ(rc, 0);
  return h;
}

std::string le32(std::int32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i)
    s[static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

TEST(GdutilsScratchFiletype, DigitsDecideLayoutAndFlags) {
  struct row {
    std::int32_t filetype;
    std::int32_t layout;
    bool duals, nzcount, slacks, matches;
    std::int32_t scales;
    const char* why;
  };
  constexpr row rows[] = {
      {0, 0, false, false, false, false, 0, "text, no optional fields"},
      {1, 1, false, false, false, false, 0, "binary layout 1"},
      {123456, 0, true, true, true, true, 3, "layout 6 is text; every flag on"},
      {9, 0, false, false, false, false, 0, "layout 9 is text"},
      {1010, 0, true, false, false, false, 1, "duals and scales digit 1"},
      {100004, 4, false, false, false, true, 0, "matches only, layout 4"},
      {1000003, 3, false, false, false, false, 0, "a seventh digit is ignored"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const modfileptr h = reader(r.filetype, "");
    ASSERT_TRUE(h);
    EXPECT_EQ(h->layout, r.layout);
    EXPECT_EQ(h->duals, r.duals);
    EXPECT_EQ(h->nzcount, r.nzcount);
    EXPECT_EQ(h->slacks, r.slacks);
    EXPECT_EQ(h->matches, r.matches);
    EXPECT_EQ(h->scales, r.scales);
    EXPECT_EQ(h->specials[0], 1e300);
    EXPECT_EQ(h->specials[5], 1e301);
  }
  EXPECT_EQ(zlmconf::fttype(123456), 6);
  EXPECT_EQ(zlmconf::ftslacks(123456), 2);
}

TEST(GdutilsScratchFiletype, MatrixAndSolutionFlags) {
  struct row {
    std::int32_t filetype, scaleopt, priorityopt;
    bool scalevalues, priority, scaledsol;
    const char* why;
  };
  constexpr row rows[] = {
      {1000, 1, 0, true, false, false, "digit 1: the scale option"},
      {1000, 0, 1, false, true, false, "digit 1: the priority option"},
      {2000, 0, 0, true, true, false, "digit 2: both always"},
      {3000, 0, 0, true, true, true, "digit 3: both, and scaled solutions"},
      {0, 1, 1, false, true, false, "digit 0: no scales, priorities by option"},
      {4000, 1, 0, false, false, false, "another digit: as 0"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    std::int32_t rc = -1;
    const modfileptr m = gdutils::parsemat(rc, r.filetype, r.scaleopt, r.priorityopt, "", "m");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->scalevalues, r.scalevalues);
    EXPECT_EQ(m->priority, r.priority);
    const modfileptr s = gdutils::parsesol(rc, r.filetype, "", "s");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->scaledsol, r.scaledsol);
  }
}

TEST(GdutilsScratchOpen, RefusesNegativeTypeAndDataExchangeLayout) {
  std::int32_t rc = 0;
  EXPECT_FALSE(gdutils::parsemod(rc, -1, "", "neg"));
  EXPECT_EQ(rc, gdutils::badfiletype);
  EXPECT_FALSE(gdutils::memwrite(rc, -10, "neg"));
  EXPECT_EQ(rc, gdutils::badfiletype);

  EXPECT_EQ(capture_output_of([] {
              std::int32_t code = 0;
              EXPECT_FALSE(gdutils::parsemod(code, 5, "", "model.vrk"));
              EXPECT_EQ(code, gdutils::vrkopenfailed);
            }),
            "*** OpenMod for model.vrk failed: data-exchange scratch files (file type 5) are "
            "read and written as files only\n");
  EXPECT_EQ(capture_output_of([] {
              std::int32_t code = 0;
              EXPECT_FALSE(gdutils::cwcod(code, 15, "hessinst"));
              EXPECT_EQ(code, gdutils::vrkopenfailed);
            }),
            "*** Cannot write VRK instruction scratch file with filetype 5\n");
}

TEST(GdutilsScratchOpen, FilesOpenReadAndReportSystemErrors) {
  testutil::tempdir dir;
  gfileopen::detail::set_sleeper([](int) {});  // the text open's retries without waiting
  std::int32_t rc = -1;
  EXPECT_FALSE(gdutils::crcod(rc, 0, dir.file("missing")));
  EXPECT_EQ(rc, ENOENT);
  EXPECT_FALSE(gdutils::crmat(rc, 1, 0, 0, dir.file("missing")));
  EXPECT_EQ(rc, ENOENT);
  EXPECT_FALSE(gdutils::cwsol(rc, 1, dir.file("no/such/dir")));
  EXPECT_EQ(rc, ENOENT);
  gfileopen::detail::set_sleeper(nullptr);

  for (const std::int32_t filetype : {0, 1, 2, 3}) {
    SCOPED_TRACE(filetype);
    const std::string name = dir.file("f" + std::to_string(filetype));
    modfileptr w = gdutils::cwcod(rc, filetype, name);
    ASSERT_TRUE(w);
    if (w->istext()) {
      gdutils::wrtxint(*w, -42);
      gdutils::wrtxreal(*w, 0.5);
      gdutils::wrtxeol(*w);
    } else {
      gdutils::wri32(*w, -42);
      gdutils::wrr8(*w, 0.5);
    }
    EXPECT_EQ(gdutils::closemod(w), 0);
    EXPECT_FALSE(w);
    if (filetype == 0) {
      EXPECT_EQ(testutil::read_file(name), "-42 0.5\n");
    } else {
      EXPECT_EQ(testutil::read_file(name).size(), 800U);
    }
    modfileptr r = gdutils::crcod(rc, filetype, name);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->istext() ? gdutils::rdtxint(*r) : gdutils::rdi32(*r), -42);
    EXPECT_EQ(r->istext() ? gdutils::rdtxreal(*r) : gdutils::rdr8(*r), 0.5);
    EXPECT_FALSE(r->failed);
    EXPECT_EQ(gdutils::closemod(r), 0);
  }
}

TEST(GdutilsScratchOpen, FailedWritesComeBackFromClose) {
  // A full device: the text writer's final flush and the binary record write both fail.
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  for (const std::int32_t filetype : {0, 1}) {
    SCOPED_TRACE(filetype);
    std::int32_t rc = -1;
    modfileptr w = gdutils::cwmat(rc, filetype, 0, 0, "/dev/full");
    ASSERT_TRUE(w);
    if (w->istext()) {
      gdutils::wrtxline(*w, "x");
    } else {
      for (int i = 0; i < 801; ++i) gdutils::wri8(*w, i);
    }
    EXPECT_EQ(gdutils::closemod(w), ENOSPC);
  }
}

TEST(GdutilsScratchOpen, WriterClosedAtOnceWritesNothing) {
  testutil::tempdir dir;
  for (const std::int32_t filetype : {0, 1, 2, 3}) {
    SCOPED_TRACE(filetype);
    std::int32_t rc = -1;
    modfileptr w = gdutils::cwmat(rc, filetype, 0, 0, dir.file("empty"));
    ASSERT_TRUE(w);
    EXPECT_EQ(gdutils::closemod(w), 0);
    EXPECT_EQ(testutil::read_file(dir.file("empty")), "");
  }
}

TEST(GdutilsScratchRecords, ItemsSplitAcrossRecordEnds) {
  // Layout 1: 796 bytes, then a double: 4 bytes end record 1, 4 start record 2; record 1
  // goes out only when its fifth byte needs room.
  modfileptr w = writer(1);
  for (int i = 0; i < 796; ++i) gdutils::wri8(*w, i);
  gdutils::wri32(*w, 0x04030201);
  EXPECT_EQ(w->memout.size(), 0U);
  gdutils::wri8(*w, 0x05);
  EXPECT_EQ(w->memout.size(), 800U);
  const std::string bytes = gdutils::closemem(w);
  ASSERT_EQ(bytes.size(), 1600U);
  EXPECT_EQ(bytes.substr(796, 4), "\x01\x02\x03\x04");
  EXPECT_EQ(bytes[800], '\x05');
  EXPECT_EQ(bytes.substr(801), std::string(799, '\0'));

  // Every item size at every split point of each layout's record end reads back.
  for (const std::int32_t layout : {1, 2, 3}) {
    const int payload = layout == 1 ? 800 : layout == 2 ? 792 : 790;
    for (int before = payload - 8; before <= payload; ++before) {
      SCOPED_TRACE(testing::Message() << "layout " << layout << ", bytes before " << before);
      modfileptr h = writer(layout);
      for (int i = 0; i < before; ++i) gdutils::wri8(*h, 0x11);
      gdutils::wri16(*h, -2);
      gdutils::wri32(*h, -70000);
      gdutils::wrr8(*h, -2.75);
      gdutils::wri8(*h, 0x80);
      const std::string split = gdutils::closemem(h);
      modfileptr r = reader(layout, split);
      for (int i = 0; i < before; ++i) ASSERT_EQ(gdutils::rdu8(*r), 0x11);
      EXPECT_EQ(gdutils::rdi16(*r), -2);
      EXPECT_EQ(gdutils::rdi32(*r), -70000);
      EXPECT_EQ(gdutils::rdr8(*r), -2.75);
      EXPECT_EQ(gdutils::rdi8(*r), -128);
      EXPECT_FALSE(r->failed);
    }
  }
}

TEST(GdutilsScratchRecords, FramingOfLayoutsTwoAndThree) {
  // Layout 2: exactly 792 payload bytes are one record with no fill; 793 are two.
  for (const int payload : {792, 793}) {
    SCOPED_TRACE(payload);
    modfileptr w = writer(2);
    for (int i = 0; i < payload; ++i) gdutils::wri8(*w, 0x5A);
    const std::string bytes = gdutils::closemem(w);
    const std::size_t records = payload == 792 ? 1 : 2;
    ASSERT_EQ(bytes.size(), 800 * records);
    for (std::size_t k = 0; k < records; ++k) {
      EXPECT_EQ(bytes.substr(800 * k, 4), le32(792));
      EXPECT_EQ(bytes.substr(800 * k + 796, 4), le32(792));
    }
    if (records == 2) {
      EXPECT_EQ(bytes[804], '\x5A');
      EXPECT_EQ(bytes.substr(805, 791), std::string(791, '\0'));
    }
  }
  // Layout 3: FF 16 03 00 00 in front and 16 03 00 00 FF behind every record.
  modfileptr w = writer(3);
  for (int i = 0; i < 1000; ++i) gdutils::wri8(*w, 1);
  const std::string bytes = gdutils::closemem(w);
  ASSERT_EQ(bytes.size(), 1600U);
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_EQ(bytes.substr(800 * k, 5), std::string("\xFF\x16\x03\x00\x00", 5));
    EXPECT_EQ(bytes.substr(800 * k + 795, 5), std::string("\x16\x03\x00\x00\xFF", 5));
  }
  // The reader takes the payload only, whatever the framing holds.
  modfileptr r = reader(3, bytes);
  int sum = 0;
  for (int i = 0; i < 1000; ++i) sum += gdutils::rdu8(*r);
  EXPECT_EQ(sum, 1000);
  EXPECT_EQ(gdutils::rdu8(*r), 0);  // the zero fill
  EXPECT_FALSE(r->failed);
}

TEST(GdutilsScratchRecords, ReadingPastTheEndGivesZerosAndFails) {
  modfileptr w = writer(1);
  gdutils::wri32(*w, 7);
  const std::string bytes = gdutils::closemem(w);

  modfileptr r = reader(1, bytes);
  EXPECT_EQ(gdutils::rdi32(*r), 7);
  for (int i = 0; i < 199; ++i) (void)gdutils::rdi32(*r);  // the rest of record 1
  EXPECT_FALSE(r->failed);
  EXPECT_EQ(gdutils::rdi32(*r), 0);
  EXPECT_TRUE(r->failed);
  EXPECT_EQ(r->errmsg.view(), "mem, record 2: read past the end of the file");
  EXPECT_EQ(gdutils::rdr8(*r), 0.0);
  EXPECT_EQ(gdutils::rdi16(*r), 0);

  modfileptr cut = reader(2, std::string_view(bytes).substr(0, 799));
  EXPECT_EQ(gdutils::rdi32(*cut), 0);
  EXPECT_EQ(cut->errmsg.view(), "mem, record 1: incomplete record at the end of the file");
  modfileptr empty = reader(3, "");
  EXPECT_EQ(gdutils::rdi8(*empty), 0);
  EXPECT_TRUE(empty->failed);
}

TEST(GdutilsScratchRecords, NonFiniteDoublesReadAsSpecialValues) {
  struct row {
    double stored;
    double read;
    const char* why;
  };
  const row rows[] = {
      {std::numeric_limits<double>::quiet_NaN(), 1e300, "NaN is undefined"},
      {std::numeric_limits<double>::infinity(), 3e300, "+inf"},
      {-std::numeric_limits<double>::infinity(), 4e300, "-inf"},
      {-0.0, -0.0, "finite values as stored"},
      {1e-310, 1e-310, "a denormal"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    modfileptr w = writer(4);
    gdutils::wrr8(*w, r.stored);
    const std::string bytes = gdutils::closemem(w);
    modfileptr h = reader(4, bytes);
    const double v = gdutils::rdr8(*h);
    EXPECT_EQ(v, r.read);
    EXPECT_EQ(std::signbit(v), std::signbit(r.read));
  }
}

TEST(GdutilsScratchText, IntegersRealsAndLineErrors) {
  modfileptr w = writer(0);
  gdutils::wrtxint(*w, -3);
  gdutils::wrtxreal(*w, 1e-5);
  gdutils::wrtxreal(*w, 3e300);
  gdutils::wrtxeol(*w);
  gdutils::wrtxline(*w, "$TITLE");
  gdutils::wrtxreal(*w, 0.1 + 0.2);
  gdutils::wrtxeol(*w);
  EXPECT_EQ(gdutils::closemem(w), "-3 1E-5 3E300\n$TITLE\n0.3\n");

  struct row {
    const char* text;
    const char* message;
    const char* why;
  };
  constexpr row rows[] = {
      {"1 2\n", "", "two integers"},
      {"1\n\n  2 trailing\n", "", "numbers skip line ends"},
      {"1\nx 2\n", "t, line 2: Invalid numeric format", "a word"},
      {"1\n2.5\n", "t, line 2: Invalid numeric format", "a real for an integer"},
      {"1\n", "t, line 2: Read past end of file", "the text ends"},
      {"1 99999999999\n", "t, line 1: Invalid numeric format", "beyond 32 bits"},
      {"$1F 2", "", "Val's hexadecimal"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    std::int32_t rc = -1;
    modfileptr h = gdutils::parsemod(rc, 0, r.text, "t");
    (void)gdutils::rdtxint(*h);
    (void)gdutils::rdtxint(*h);
    EXPECT_EQ(h->errmsg.view(), r.message);
    EXPECT_EQ(h->failed, *r.message != '\0');
  }
  std::int32_t rc = -1;
  const std::string longtoken = "1" + std::string(300, '0');
  modfileptr h = gdutils::parsemod(rc, 0, longtoken, "t");
  EXPECT_EQ(gdutils::rdtxreal(*h), 0.0);
  EXPECT_EQ(h->errmsg.view(), "t, line 1: Invalid numeric format");

  modfileptr skip = gdutils::parsemod(rc, 0, "1 rest of line\r\n2.5e1", "t");
  EXPECT_EQ(gdutils::rdtxint(*skip), 1);
  gdutils::rdtxeol(*skip);
  EXPECT_EQ(gdutils::rdtxreal(*skip), 25.0);
  EXPECT_TRUE(gdutils::rdtxeof(*skip));
  EXPECT_FALSE(skip->failed);
}

}  // namespace

// The whole-file read behind every scratch reader: a regular file is mapped, anything
// else read to its end; both give the same bytes, and failures the system's number.
TEST(FileBytes, RegularFilesPipesEmptyAndMissingFiles) {
  const testutil::tempdir dir;
  std::string big(3 << 20, '\0');  // several pages and a partial last one
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 4096);
  big.resize(big.size() - 123);
  testutil::write_file(dir.file("big"), big);
  testutil::write_file(dir.file("empty"), "");
  {
    gdutils::filebytes f;
    ASSERT_EQ(f.load(dir.file("big")), 0);
    EXPECT_TRUE(f.view() == big);
    ASSERT_EQ(f.load(dir.file("empty")), 0);  // a second load replaces the first
    EXPECT_TRUE(f.view().empty());
    EXPECT_EQ(f.load(dir.file("missing")), ENOENT);
    EXPECT_TRUE(f.view().empty());
  }
  // A pipe has no size to map: its bytes are read as they come.
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] { testutil::write_file(fifo, big); });
  gdutils::filebytes f;
  const std::int32_t rc = f.load(fifo);
  writer.join();
  ASSERT_EQ(rc, 0);
  EXPECT_TRUE(f.view() == big);
}
