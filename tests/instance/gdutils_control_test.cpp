#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "frame/gfileopen.h"
#include "frame/q5rt.h"
#include "instance/gdutils.h"
#include "instance/zlmconf.h"
#include "support/testutil.h"

namespace {

constexpr std::int32_t untouchedint = -7;
constexpr double untouchedreal = -7.5;
constexpr std::string_view untouchedstr = "untouched";

std::string fixture(int version) {
  return testutil::source_dir() + "/tests/instance/fixtures/control/ctrl" +
         std::to_string(version) + ".txt";
}

// A record whose every slot shows whether the reader touched it.
gdutils::tcontrolrec prefilled() {
  gdutils::tcontrolrec rec;
  rec.ints.fill(untouchedint);
  rec.reals.fill(untouchedreal);
  for (auto& s : rec.strs) s.assign_cut(untouchedstr);
  return rec;
}

std::string slottext(int k) { return "S" + std::to_string(k) + " text"; }

struct parsed {
  bool ok;
  q5rt::sstr msg;
  gdutils::tcontrolrec rec;
};

parsed parsetext(const std::string& data, std::string_view name = "given.ctl") {
  parsed p{false, {}, prefilled()};
  q5rt::sstr tablemsg;
  zlmconf::tzlmconf table(tablemsg);
  p.ok = gdutils::parse(data, name, p.rec, p.msg, table);
  return p;
}

// Slots that every version carries (the fixtures hold 1000 + k, k + 0.25, "S<k> text").
constexpr int alwaysints[] = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  16,  17,  19,  20,
    21,  22,  23,  24,  26,  27,  28,  29,  30,  31,  32,  33,  34,  35,  36,  37,  38,  39,  40,
    41,  42,  43,  49,  50,  51,  52,  53,  54,  55,  56,  57,  58,  60,  61,  65,  66,  67,  68,
    75,  76,  77,  78,  80,  81,  85,  86,  87,  88,  97,  98,  99,  100, 101, 102, 103, 104, 105,
    106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 124,
    125, 126, 127, 128, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140, 141, 142};
constexpr int alwaysreals[] = {0, 1, 2, 4, 5, 7, 8, 9, 11, 12, 20, 21, 22, 23, 24};
constexpr int alwaysstrs[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 12,
                              13, 14, 15, 16, 17, 18, 19, 20, 21, 22};

// Slots that newer versions carry: from version `since` the fixture's value, before it the
// default (or the caller's value when there is none).
struct intslot {
  int slot;
  int since;
  std::int32_t older;
};
constexpr intslot versionints[] = {{44, 40, 0},  {45, 46, 0},  {62, 40, -1},
                                   {63, 40, -1}, {64, 40, -1}, {143, 43, 1},
                                   {145, 48, 0}, {148, 51, 0}, {146, 50, untouchedint},
                                   {147, 50, 1}, {25, 41, -1}, {11, 0, 0}};
struct realslot {
  int slot;
  int since;
  double older;
};
constexpr realslot versionreals[] = {
    {26, 48, 1e-5}, {25, 42, 1e9}, {27, 52, 1011.0}, {28, 52, 1012.0}};
struct strslot {
  int slot;
  int since;
  std::string_view older;
};
constexpr strslot versionstrs[] = {
    {27, 49, untouchedstr},        {28, 53, untouchedstr}, {30, 53, untouchedstr},
    {31, 50, untouchedstr},        {11, 40, untouchedstr}, {23, 42, "scr"},
    {24, 44, "scenario_dict.vrk"}, {26, 47, ""},           {29, 50, "S8 textzlmcmpun.txt"}};

TEST(GdutilsControl, EverySlotOfEveryVersionLandsInPlace) {
  for (const int version : {39, 42, 47, 50, 53}) {
    SCOPED_TRACE("version " + std::to_string(version));
    const parsed p = parsetext(testutil::read_file(fixture(version)), "opened.ctl");
    ASSERT_TRUE(p.ok) << p.msg.view();
    const auto& rec = p.rec;
    EXPECT_EQ(rec.ints[18], version);
    for (const int k : alwaysints) EXPECT_EQ(rec.ints[k], 1000 + k) << "I[" << k << "]";
    for (const int k : alwaysreals) EXPECT_EQ(rec.reals[k], k + 0.25) << "R[" << k << "]";
    for (const int k : alwaysstrs) EXPECT_EQ(rec.strs[k].view(), slottext(k)) << "S[" << k << "]";
    for (const auto& s : versionints) {
      EXPECT_EQ(rec.ints[s.slot], version >= s.since ? 1000 + s.slot : s.older)
          << "I[" << s.slot << "]";
    }
    // I[144] came with version 47; versions 43 to 46 leave it alone.
    EXPECT_EQ(rec.ints[144], version >= 47 ? 1144 : untouchedint);
    for (const auto& s : versionreals) {
      EXPECT_EQ(rec.reals[s.slot], version >= s.since ? s.slot + 0.25 : s.older)
          << "R[" << s.slot << "]";
    }
    for (const auto& s : versionstrs) {
      EXPECT_EQ(rec.strs[s.slot].view(), version >= s.since ? slottext(s.slot) : s.older)
          << "S[" << s.slot << "]";
    }
    EXPECT_EQ(rec.strs[0].view(), "opened.ctl") << "the name opened, not the name in the file";
    EXPECT_EQ(rec.strs[25].view(), "") << "no library dump named";
    // Slots that no line holds keep the caller's values.
    for (const int k : {15, 46, 47, 48, 59, 69, 79, 96, 149, 150, 151})
      EXPECT_EQ(rec.ints[k], untouchedint);
    for (const int k : {3, 6, 10, 13, 29}) EXPECT_EQ(rec.reals[k], untouchedreal);
  }
}

TEST(GdutilsControl, SolverSectionGoesToTheTable) {
  q5rt::sstr msg;
  zlmconf::tzlmconf table(msg);
  gdutils::tcontrolrec rec;
  ASSERT_TRUE(gdutils::parse(testutil::read_file(fixture(53)), "x", rec, msg, table));
  ASSERT_EQ(table.getnumalgs(), 2);
  EXPECT_EQ(table.currentsolver, 1);
  EXPECT_EQ(table.scalgname(1).view(), "NLPSOLVA");
  EXPECT_EQ(table.scalgname(2).view(), "BARON");
  EXPECT_EQ(table.scgetdefault(2), 2);
  EXPECT_EQ(table.scgetalgchosen(3), 2);
  EXPECT_TRUE(table.sccapability(1, 4));
  EXPECT_FALSE(table.sccapability(1, 2));
  EXPECT_EQ(table.scgetdeffile(1).view(), "optnlpsolva.def");
  EXPECT_EQ(table.scgetattach2(2).view(), "baronexe");
  EXPECT_EQ(table.scgetattach3(2).view(), "libbaron.so BA 1 0");
  EXPECT_EQ(table.scnummsg(), 0);
}

// The version-53 fixture with one line replaced (1-based line number).
std::string withline(int line, std::string_view text) {
  std::string data = testutil::read_file(fixture(53));
  std::size_t start = 0;
  for (int l = 1; l < line; ++l) start = data.find('\n', start) + 1;
  const std::size_t end = data.find('\n', start);
  return data.replace(start, end - start, text);
}

TEST(GdutilsControl, MalformedAndShortFilesFailWithTheLine) {
  const std::string whole = testutil::read_file(fixture(53));
  struct row {
    std::string data;
    bool ok;
    std::string_view msg;
    const char* why;
  };
  const row rows[] = {
      {withline(5, "1011 x12"), false, "Invalid numeric format in line 5",
       "a token that is no number"},
      {withline(10, "0.25 1.2.5 1008"), false, "Invalid numeric format in line 10",
       "a malformed real"},
      {whole.substr(0, whole.find("1113 1114")), false, "Read past end of file in line 72",
       "the file ends before the layout does"},
      {"", false, "Read past end of file in line 1", "an empty file"},
      {withline(5, "1011 1012 99 extra"), true, "",
       "values after the last one of a line are ignored"},
      {withline(5, "1011"), false, "Invalid numeric format in line 10",
       "a short line takes its value from the next line and the layout slips"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const parsed p = parsetext(r.data, "name.ctl");
    EXPECT_EQ(p.ok, r.ok);
    EXPECT_EQ(p.msg.view(), r.msg);
    EXPECT_EQ(p.rec.strs[0].view(), "name.ctl");
  }
  // Slots read before the error keep their values.
  const parsed p = parsetext(withline(10, "bad"), "n");
  EXPECT_EQ(p.rec.ints[9], 1009);
  EXPECT_EQ(p.rec.reals[0], untouchedreal);
}

TEST(GdutilsControl, FlaggedNameLines) {
  struct row {
    std::string_view line;
    std::int32_t number;
    std::string_view text;
    const char* why;
  };
  constexpr row rows[] = {
      {"1147 S29 text", 1147, "S29 text", "number, one separator, the rest"},
      {"1147", 1147, "", "the line ends after the number: empty text, next line untouched"},
      {"1147  two blanks", 1147, " two blanks", "only one separator character is skipped"},
      {"  1147\tx", 1147, "x", "a tab separates too"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const parsed p = parsetext(withline(67, r.line));
    ASSERT_TRUE(p.ok) << p.msg.view();
    EXPECT_EQ(p.rec.ints[147], r.number);
    EXPECT_EQ(p.rec.strs[29].view(), r.text);
    EXPECT_EQ(p.rec.strs[22].view(), "S22 text");
  }
}

TEST(GdutilsControl, CarriageReturnLineEndsReadTheSame) {
  std::string crlf;
  for (const char c : testutil::read_file(fixture(50))) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  const parsed unix = parsetext(testutil::read_file(fixture(50)));
  const parsed dos = parsetext(crlf);
  ASSERT_TRUE(dos.ok) << dos.msg.view();
  EXPECT_EQ(dos.rec.ints, unix.rec.ints);
  EXPECT_EQ(dos.rec.reals, unix.rec.reals);
  EXPECT_EQ(dos.rec.strs, unix.rec.strs);
  // A last line without a line feed loses its carriage return too.
  const parsed last = parsetext(crlf.substr(0, crlf.size() - 1));
  EXPECT_EQ(last.rec.strs[26].view(), "S26 text");
}

// Writes rec with its table to a file and reads it back.
struct roundtrip {
  std::string bytes;
  gdutils::tcontrolrec back;
};

roundtrip writeread(const gdutils::tcontrolrec& rec, const zlmconf::tzlmconf& table,
                    const testutil::tempdir& dir) {
  gdutils::tcontrolrec out = rec;
  out.strs[0].assign_cut(dir.file("written.ctl"));
  EXPECT_EQ(gdutils::scwritecontrol(out, table), 0);
  roundtrip r{testutil::read_file(dir.file("written.ctl")), prefilled()};
  r.back.strs[0] = out.strs[0];
  q5rt::sstr msg;
  zlmconf::tzlmconf again(msg);
  EXPECT_TRUE(gdutils::screadcontrol(r.back, msg, again)) << msg.view();
  return r;
}

TEST(GdutilsControl, WrittenFileReadsBackExactly) {
  testutil::tempdir dir;
  for (const int version : {39, 42, 47, 50, 53}) {
    SCOPED_TRACE("from version " + std::to_string(version));
    q5rt::sstr msg;
    zlmconf::tzlmconf table(msg);
    gdutils::tcontrolrec rec = prefilled();
    ASSERT_TRUE(gdutils::parse(testutil::read_file(fixture(version)), "x", rec, msg, table));
    // Reals of 15 significant digits and the special values survive the default real text.
    rec.reals[0] = 0.1;
    rec.reals[1] = -123456789012345e-300;
    rec.reals[2] = 1e300;
    rec.reals[4] = 5e300;
    rec.reals[5] = -0.0;
    rec.reals[7] = 9.99999999999999e-5;
    rec.ints[2] = -2147483647 - 1;
    rec.strs[5].assign_cut(std::string(255, 'x'));
    const roundtrip r = writeread(rec, table, dir);
    if (version == 53) {
      EXPECT_EQ(r.bytes.substr(0, 3), "53\n");
    }
    rec.ints[18] = 53;
    for (int k = 0; k <= 148; ++k) EXPECT_EQ(r.back.ints[k], rec.ints[k]) << "I[" << k << "]";
    for (int k = 0; k <= 28; ++k) EXPECT_EQ(r.back.reals[k], rec.reals[k]) << "R[" << k << "]";
    for (int k = 1; k < gdutils::controlstrings; ++k) {
      EXPECT_EQ(r.back.strs[k].view(), rec.strs[k].view()) << "S[" << k << "]";
    }
    // A second write of what was read gives the same bytes.
    q5rt::sstr m2;
    zlmconf::tzlmconf t2(m2);
    gdutils::tcontrolrec again = prefilled();
    ASSERT_TRUE(gdutils::parse(r.bytes, "y", again, m2, t2));
    EXPECT_EQ(writeread(again, t2, dir).bytes, r.bytes);
  }
}

TEST(GdutilsControl, WriterLayoutOfNumberLines) {
  testutil::tempdir dir;
  q5rt::sstr msg;
  zlmconf::tzlmconf table(msg);
  gdutils::tcontrolrec rec;
  rec.strs[0].assign_cut(dir.file("w.ctl"));
  rec.ints[0] = 4;
  rec.reals[11] = 1.5;
  rec.reals[9] = -2;
  ASSERT_EQ(gdutils::scwritecontrol(rec, table), 0);
  const std::string bytes = testutil::read_file(dir.file("w.ctl"));
  EXPECT_EQ(bytes.substr(0, bytes.find('\n', 3) + 1),
            "53\n4 0 0 0 0  1.50000000000000E+0000 0 -2.00000000000000E+0000 0 0\n");
}

TEST(GdutilsControl, FileEntryErrors) {
  gfileopen::detail::set_sleeper([](int) {});  // the open retries without waiting
  testutil::tempdir dir;
  q5rt::sstr msg;
  zlmconf::tzlmconf table(msg);
  gdutils::tcontrolrec rec = prefilled();
  rec.strs[0].assign_cut(dir.file("missing.ctl"));
  EXPECT_FALSE(gdutils::screadcontrol(rec, msg, table));
  EXPECT_EQ(msg.view(), q5rt::syserrortext(ENOENT).view());
  EXPECT_EQ(rec.ints[0], untouchedint) << "nothing read";

  // A named library dump that is not a description fails the read with the loader's text.
  const std::string path = dir.file("dump.ctl");
  const std::string funcs = dir.file("funcs.dat");
  testutil::write_file(funcs, "not a description");
  std::string data = testutil::read_file(fixture(53));
  data.replace(data.find("\n\nS26 text"), 2, "\n" + funcs + "\n");
  testutil::write_file(path, data);
  rec.strs[0].assign_cut(path);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(gdutils::screadcontrol(rec, msg, table));
  (void)testing::internal::GetCapturedStdout();
  EXPECT_EQ(msg.view(), "Could not read External Function File '" + funcs +
                            "': byte-order header not understood");

  // The writer cannot create its file.
  rec.strs[0].assign_cut(dir.file("no/such/dir.ctl"));
  testing::internal::CaptureStdout();
  EXPECT_EQ(gdutils::scwritecontrol(rec, table), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "*** Could not open Control File '" + dir.file("no/such/dir.ctl") + "'\n");
  gfileopen::detail::set_sleeper(nullptr);
}

// A name cut to 255 characters would name another file: such a line fails the read and
// names its line. Text lines that name no file keep the cut.
TEST(GdutilsControl, PathLinesMustFitWhileOtherTextLinesAreCut) {
  const std::string toolong(256, 'p');
  const std::string fits(255, 'p');
  struct row {
    int line;
    int slot;
    bool path;
    const char* why;
  };
  constexpr row rows[] = {
      {18, 18, true, "matrix file"},
      {19, 19, true, "instruction-code file"},
      {20, 3, true, "option file"},
      {21, 2, true, "status file"},
      {22, 4, true, "solution file"},
      {23, 1, true, "log file"},
      {24, 20, true, "dictionary file"},
      {28, 9, true, "folder of the extrinsic libraries"},
      {29, 8, true, "system directory"},
      {30, 5, true, "scratch directory"},
      {37, 21, true, "subfolder of the extrinsic libraries"},
      {77, 23, true, "scratch extension, part of every scratch name"},
      {80, 25, true, "external-function file"},
      {26, 7, false, "a stamp: cut"},
      {33, 12, false, "a line this system does not use: cut"},
      {73, 10, false, "library name shown in headers, never opened: cut"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const parsed cut = parsetext(withline(r.line, toolong));
    if (r.path) {
      EXPECT_FALSE(cut.ok);
      EXPECT_EQ(cut.msg.view(),
                q5rt::concat(q5rt::syserrortext(ENAMETOOLONG), " in line ", std::to_string(r.line))
                    .view());
    } else {
      EXPECT_TRUE(cut.ok) << cut.msg.view();
      EXPECT_EQ(cut.rec.strs[static_cast<std::size_t>(r.slot)].view(), fits);
    }
    const parsed whole = parsetext(withline(r.line, fits));
    ASSERT_TRUE(whole.ok) << whole.msg.view();
    EXPECT_EQ(whole.rec.strs[static_cast<std::size_t>(r.slot)].view(), fits);
  }
}

// A control file is a few kilobytes: a device, a pipe or a folder is refused unread, and so
// is a file above 16 MB, with the reason in the message.
TEST(GdutilsControl, OnlyARegularFileOfAtMost16MBIsRead) {
  testutil::tempdir dir;
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string large = dir.file("large.ctl");
  testutil::write_file(large, testutil::read_file(fixture(53)));
  std::filesystem::resize_file(large, (std::uintmax_t{16} << 20) + 1);
  const std::string limit = dir.file("limit.ctl");
  testutil::write_file(limit, testutil::read_file(fixture(53)));
  std::filesystem::resize_file(limit, std::uintmax_t{16} << 20);
  struct row {
    std::string name;
    bool ok;
    std::string_view msg;
    const char* why;
  };
  const row rows[] = {
      {"/dev/zero", false, "Not a regular file", "a device that never ends"},
      {fifo, false, "Not a regular file", "a pipe that would wait for a writer"},
      {dir.path().string(), false, "Not a regular file", "a folder"},
      {large, false, "File larger than 16777216 bytes", "one byte above the bound"},
      {limit, true, "", "at the bound: read (the zeros behind the layout are ignored)"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr msg;
    zlmconf::tzlmconf table(msg);
    gdutils::tcontrolrec rec = prefilled();
    rec.strs[0].assign_cut(r.name);
    EXPECT_EQ(gdutils::screadcontrol(rec, msg, table), r.ok);
    EXPECT_EQ(msg.view(), r.msg);
  }
}

TEST(GdutilsControl, MessageCallbackWritesOneLine) {
  testing::internal::CaptureStdout();
  gdutils::msgcb("library missing");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "*** library missing\n");
}

}  // namespace
