// The status stream: line formats, open rules, placeholder and append, write failures,
// the reading side (process and dump modes) and the errors collected by row and column.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/statlibobj.h"
#include "statlibobjtest.h"
#include "support/testutil.h"

namespace {

using statlibobj::tzlmstatusstream;
using statlibobjtest::capture_stdout;
using statlibobjtest::sink;

struct StatusFile : ::testing::Test {
  q5rt::sstr msg;
  tzlmstatusstream st{msg};
  testutil::tempdir dir;
  std::string name = dir.file("run.sta");
};

// ---------------------------------------------------------------------------------------
// Status file: writing

TEST(StatusStream, ControlLineFormats) {
  struct row {
    void (*write)(tzlmstatusstream&);
    const char* line;
    const char* why;
  };
  const row rows[] = {
      {[](tzlmstatusstream& s) { s.statusauditline("Zolm/BARON 26.1.0"); }, "=0Zolm/BARON 26.1.0\n",
       "audit"},
      {[](tzlmstatusstream& s) { s.statuscopyon(); }, "=1\n", "copy on"},
      {[](tzlmstatusstream& s) { s.statuscopyoff(); }, "=2\n", "copy off"},
      {[](tzlmstatusstream& s) { s.statusendoffile(); }, "=3\n", "end of file"},
      {[](tzlmstatusstream& s) { s.statussysout(); }, "=4\n", "sysout"},
      {[](tzlmstatusstream& s) { s.statusequationerror(12, "bad row"); }, "=5 12 bad row\n",
       "equation error"},
      {[](tzlmstatusstream& s) { s.statusvariableerror(3, "x"); }, "=6 3 x\n", "variable error"},
      {[](tzlmstatusstream& s) { s.statusjacobianerror(4, 5, "j"); }, "=7 4 5 j\n",
       "Jacobian error"},
      {[](tzlmstatusstream& s) { s.statusequationerror(-1, "neg"); }, "=5 -1 neg\n",
       "plain decimal, sign kept"},
      {[](tzlmstatusstream& s) { s.statuspageeject(); }, "=8\n", "eject"},
      {[](tzlmstatusstream& s) { s.statuscopyfile("a.txt"); }, "=Aa.txt\n", "copy file"},
      {[](tzlmstatusstream& s) { s.statuscopyfileonsysout("b.txt"); }, "=Bb.txt\n",
       "copy on sysout"},
      {[](tzlmstatusstream& s) { s.statuscopyline("text"); }, "=Ctext\n", "copy line"},
      {[](tzlmstatusstream& s) { s.statuscopyline(""); }, "=C\n", "empty copy line"},
      {[](tzlmstatusstream& s) { s.statusequationname("e1", 7, "msg"); }, "=E \"e1\" 7 \"msg\"\n",
       "equation name"},
      {[](tzlmstatusstream& s) { s.statusvariablename("x", 2, "t t"); }, "=V \"x\" 2 \"t t\"\n",
       "variable name"},
      {[](tzlmstatusstream& s) { s.statuslstanchor("here"); }, "=Lhere\n", "anchor"},
      {[](tzlmstatusstream& s) { s.statusterminationrequestfromsolver(); },
       "=TerminationRequestfromSolver\n", "whole word"},
      {[](tzlmstatusstream& s) { s.statuswriteln("plain"); }, "plain\n", "plain line"},
      {[](tzlmstatusstream& s) { s.writeln_gf("gf"); }, "gf\n", "writeln_gf"},
      {[](tzlmstatusstream& s) { s.write_gf("gf"); }, "gf", "write_gf has no line end"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr msg;
    tzlmstatusstream st(msg);
    sink out;
    st.registerwritecallback(&sink::take, &out);
    r.write(st);
    ASSERT_EQ(out.items.size(), 1u);
    EXPECT_EQ(out.items[0], std::string("1:") + r.line);
  }
}

TEST_F(StatusFile, EditSymbolChangesLaterControlLines) {
  sink out;
  st.registerwritecallback(&sink::take, &out);
  st.statusseteditsymbol('#');
  st.statuscopyline("x");
  st.statuswriteln("=plain");
  EXPECT_EQ(out.items, (std::vector<std::string>{"1:=9#\n", "1:#Cx\n", "1:=plain\n"}));
}

TEST_F(StatusFile, LongTextsAreCutToLinesOf255) {
  sink out;
  st.registerwritecallback(&sink::take, &out);
  st.statuswriteln(std::string(300, 'a'));
  ASSERT_EQ(out.items.size(), 1u);
  EXPECT_EQ(out.items[0], "1:" + std::string(254, 'a') + "\n");  // line end included: 255
  out.items.clear();
  st.statuscopyline(std::string(300, 'b'));
  EXPECT_EQ(out.items[0], "1:=C" + std::string(252, 'b') + "\n");
  out.items.clear();
  const std::string t300(300, 'c');
  st.statuswrite(t300.c_str());
  EXPECT_EQ(out.items,
            (std::vector<std::string>{"1:" + std::string(255, 'c'), "1:" + std::string(45, 'c')}));
  out.items.clear();
  const std::string t20000(20000, 'd');
  st.statuswrite(t20000.c_str());
  std::size_t total = 0;
  for (const auto& i : out.items) total += i.size() - 2;
  EXPECT_EQ(total, 16384u);
  out.items.clear();
  st.statuswrite(nullptr);
  EXPECT_TRUE(out.items.empty());
}

// ---------------------------------------------------------------------------------------
// Status file: opening, placeholder, append

TEST_F(StatusFile, OpenRules) {
  const std::string placeholder = "=1\n\n**** SOLVER DID NOT WRITE A STATUS FILE ****\n\n=3\n";
  struct row {
    const char* before;  // nullptr: no file
    int mode;
    const char* after;  // after writing "=Cnew"
    const char* why;
  };
  const row rows[] = {
      {nullptr, 2, "=Cnew\n", "a missing file is created"},
      {"a\nb\nc\n", 2, "a\nb\nc\n=Cnew\n", "an existing file is appended to"},
      {"a\nb\n", 2, "a\nb\n=Cnew\n", "fewer than three lines: appended"},
      {placeholder.c_str(), 2, "=Cnew\n", "the placeholder is replaced"},
      {"a\nb\nc\n", 1, "=Cnew\n", "another mode empties the file"},
      {"a\nb\nc\n", 0, "=Cnew\n", "mode 0 empties the file as well"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    std::remove(name.c_str());
    if (r.before) testutil::write_file(name, r.before);
    st.statussetfilename(name);
    ASSERT_TRUE(st.statusfileopen(static_cast<std::uint8_t>(r.mode), msg));
    EXPECT_TRUE(msg.empty());
    EXPECT_TRUE(st.statusisopen());
    st.statuscopyline("new");
    st.statusclose();
    EXPECT_FALSE(st.statusisopen());
    EXPECT_EQ(testutil::read_file(name), r.after);
  }
}

// A device is never read ahead (the read from /dev/zero would not end): it is opened for
// writing at once, appended to in mode 2.
TEST_F(StatusFile, ADeviceIsOpenedWithoutReadingIt) {
  for (const char* device : {"/dev/zero", "/dev/null"}) {
    for (const std::uint8_t mode : {1, 2}) {
      SCOPED_TRACE(std::string(device) + " mode " + std::to_string(mode));
      st.statussetfilename(device);
      ASSERT_TRUE(st.statusfileopen(mode, msg));
      EXPECT_TRUE(msg.empty());
      EXPECT_EQ(capture_stdout([&] { st.statuscopyline("a line"); }), "");
      st.statusclose();
    }
  }
}

TEST_F(StatusFile, OpenFailures) {
  EXPECT_FALSE(st.statusfileopen(2, msg));
  EXPECT_EQ(msg.view(), "Status filename has not been assigned");
  st.statussetfilename(dir.file("missing/run.sta"));
  EXPECT_FALSE(st.statusfileopen(2, msg));
  EXPECT_EQ(msg.view(), "status open failed: No such file or directory");
  EXPECT_FALSE(st.statusisopen());
  // An empty name is no file: never standard input (a hang) or standard output.
  st.statussetfilename("");
  EXPECT_FALSE(st.statusfileopen(2, msg));
  EXPECT_EQ(msg.view(), "status open failed: No such file or directory");
  EXPECT_FALSE(st.statusdummy(msg));
  EXPECT_EQ(msg.view(), "No such file or directory");
  EXPECT_EQ(st.statusprocessfirst(), 2);
}

TEST_F(StatusFile, PlaceholderIsWrittenWithTheLiteralSymbol) {
  st.statussetfilename(name);
  ASSERT_TRUE(st.statusfileopen(1, msg));
  st.statusseteditsymbol('#');
  ASSERT_TRUE(st.statusdummy(msg));
  EXPECT_TRUE(msg.empty());
  EXPECT_EQ(testutil::read_file(name),
            "=1\n\n**** SOLVER DID NOT WRITE A STATUS FILE ****\n\n=3\n");
  q5rt::sstr msg2;
  tzlmstatusstream fresh(msg2);
  EXPECT_FALSE(fresh.statusdummy(msg2));
  EXPECT_EQ(msg2.view(), "Status filename has not been assigned");
}

TEST_F(StatusFile, AppendCopiesAnotherStatusFile) {
  const std::string source = dir.file("other.sta");
  EXPECT_FALSE(st.statusappend(source, msg));
  EXPECT_EQ(msg.view(), "statusAppend: target file is not open");

  st.statussetfilename(name);
  ASSERT_TRUE(st.statusfileopen(1, msg));
  EXPECT_FALSE(st.statusappend(source, msg));
  EXPECT_EQ(msg.view(), "statusAppend: No such file or directory");

  testutil::write_file(source, "=0audit of the other run\n=Cone\ntwo\n");
  ASSERT_TRUE(st.statusappend(source, msg));
  EXPECT_TRUE(msg.empty());

  testutil::write_file(source, "=1\nkept\n**** SOLVER DID NOT WRITE A STATUS FILE ****\n");
  EXPECT_FALSE(st.statusappend(source, msg));
  EXPECT_EQ(msg.str(), "statusAppen: nothing as written to " + source);
  st.statusclose();
  EXPECT_EQ(testutil::read_file(name), "=Cone\ntwo\n \n=1\nkept\n");
}

TEST_F(StatusFile, FailedWritesReportOnStandardOutput) {
  // No file is open: every writer reports and returns.
  struct row {
    void (*write)(tzlmstatusstream&);
    const char* out;
    const char* why;
  };
  const row rows[] = {
      {[](tzlmstatusstream& s) { s.statuswriteln("lost"); }, "*** StatLib.StatusWriteLn lost\n",
       "plain line"},
      {[](tzlmstatusstream& s) { s.statuscopyline("c"); }, "*** StatLib.StatusCopyLine c\n",
       "copy line"},
      {[](tzlmstatusstream& s) { s.statuscopyfile("f"); }, "*** StatLib.StatusCopyFile f\n",
       "copy file"},
      {[](tzlmstatusstream& s) { s.statuscopyfileonsysout("f"); },
       "*** StatLib.StatusCopyFileOnSysOut f\n", "copy on sysout"},
      {[](tzlmstatusstream& s) { s.statuslstanchor("a"); }, "*** StatLib.StatusLSTAnchor a\n",
       "anchor"},
      {[](tzlmstatusstream& s) { s.statusequationname("e", 1, "t"); },
       "*** StatLib.StatusEquationName e\n", "equation name"},
      {[](tzlmstatusstream& s) { s.statusvariablename("v", 1, "t"); },
       "*** StatLib.StatusVariableName v\n", "variable name"},
      {[](tzlmstatusstream& s) { s.statusequationerror(1, "t"); },
       "*** StatLib.StatusEquationError t\n", "equation error"},
      {[](tzlmstatusstream& s) { s.statusvariableerror(1, "t"); },
       "*** StatLib.StatusVariableError t\n", "variable error"},
      {[](tzlmstatusstream& s) { s.statuscopyon(); }, "*** StatLib.StatusCopyOn\n", "copy on"},
      {[](tzlmstatusstream& s) { s.statuscopyoff(); }, "*** StatLib.StatusCopyOff\n", "copy off"},
      {[](tzlmstatusstream& s) { s.statusendoffile(); }, "*** StatLib.StatusEndOfFile\n",
       "end of file"},
      {[](tzlmstatusstream& s) { s.statussysout(); }, "*** StatLib.StatusSysOut\n", "sysout"},
      {[](tzlmstatusstream& s) { s.statuspageeject(); }, "*** StatLib.StatusPageEject\n", "eject"},
      {[](tzlmstatusstream& s) { s.statusseteditsymbol('#'); }, "*** StatLib.StatusSetEditSymbol\n",
       "edit symbol"},
      {[](tzlmstatusstream& s) { s.statusterminationrequestfromsolver(); },
       "*** StatLib.StatusTerminationRequestfromSolver\n", "termination"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr msg;
    tzlmstatusstream st(msg);
    EXPECT_EQ(capture_stdout([&] { r.write(st); }), r.out);
    EXPECT_EQ(st.editsymbol(), '=');  // a failed code "9" line keeps the old symbol
  }
}

TEST_F(StatusFile, FailedAuditAndJacobianLinesCarryTheExceptionsMessage) {
  const std::string audit = capture_stdout([&] { st.statusauditline("banner"); });
  const std::string head = "*** StatLib.StatusAuditLine ";
  ASSERT_TRUE(audit.starts_with(head + "banner\n" + head)) << audit;
  EXPECT_GT(audit.size(), (head + "banner\n" + head + "\n").size());
  const std::string jac = capture_stdout([&] { st.statusjacobianerror(1, 2, "t"); });
  EXPECT_TRUE(jac.starts_with("*** StatLib.StatusJacobianError ")) << jac;
  EXPECT_GT(jac.size(), std::string("*** StatLib.StatusJacobianError \n").size());
}

TEST_F(StatusFile, WritesAfterCloseReachNobodyButStandardOutput) {
  st.statussetfilename(name);
  ASSERT_TRUE(st.statusfileopen(2, msg));
  st.statuscopyline("kept");
  st.statusclose();
  EXPECT_EQ(capture_stdout([&] { st.statuswriteln("late"); }), "*** StatLib.StatusWriteLn late\n");
  EXPECT_EQ(testutil::read_file(name), "=Ckept\n");
}

// ---------------------------------------------------------------------------------------
// Status file: reading

struct item {
  int kind;
  std::string text, text2;
  int number;
  bool result;
  bool operator==(const item&) const = default;
};

std::vector<item> process_all(tzlmstatusstream& st) {
  std::vector<item> items;
  for (int guard = 0; guard < 100; ++guard) {
    std::uint8_t kind = 0;
    q5rt::sstr text, text2;
    std::int32_t number = 0;
    const bool r = st.statusprocessnext(kind, text, text2, number);
    items.push_back({kind, text.str(), text2.str(), number, r});
    if (!r) break;
  }
  return items;
}

TEST_F(StatusFile, ProcessModeInterpretsEveryCode) {
  const std::string listed = dir.file("listed.txt");
  testutil::write_file(listed, "first\nsecond\n");
  testutil::write_file(dir.file("empty.txt"), "");
  testutil::write_file(name,
                       "skipped while copy is off\n"
                       "=0  Zolm/BARON banner  \n"
                       "=1\n"
                       "copied\n"
                       "=2\n"
                       "not copied\n"
                       "=4\n"
                       "=8\n"
                       "=C  kept as is \n"
                       "=LAnchor\n"
                       "=5 3 equation text\n"
                       "=5 0 row zero\n"
                       "=5 11 above the limit\n"
                       "=6 2 variable text\n"
                       "=6 x not a number\n"
                       "=7 3 2 jac text\n"
                       "=7 3 99 jac out\n"
                       "=E \"e1\" 4 \"attached\"\n"
                       "=V \"v1\" 21 \"too far\"\n"
                       "=A " +
                           listed +
                           "\n"
                           "=A " +
                           dir.file("empty.txt") +
                           "\n"
                           "=A " +
                           dir.file("nofile.txt") +
                           "\n"
                           "=B ignored here\n"
                           "=TerminationRequestfromSolver\n"
                           "=Tsomething else\n"
                           "=Z what\n"
                           "=9#\n"
                           "=Cno longer a control line\n"
                           "#Cnew symbol\n"
                           "#3\n"
                           "after the end\n");
  st.statussetfilename(name);
  st.statussetrowcol(10, 20);
  ASSERT_EQ(st.statusprocessfirst(), 0);
  const std::vector<item> expected = {
      {0, "Zolm/BARON banner", "", 0, true},
      {1, "copied", "", 0, true},
      {7, "Sysout request", "", 0, true},
      {3, "eject request", "", 0, true},
      {1, "  kept as is ", "", 0, true},
      {8, "Anchor", "", 0, true},
      {1, "Equ out of range:=5 0 row zero", "", 0, true},
      {1, "Equ out of range:=5 11 above the limit", "", 0, true},
      {1, "Var out of range:=6 x not a number", "", 0, true},
      {1, "Equ/Var out of range:=7 3 99 jac out", "", 0, true},
      {4, "e1", "attached", 4, true},
      {1, "Var out of range:=V \"v1\" 21 \"too far\"", "", 0, true},
      {1, "first", "", 0, true},
      {1, "second", "", 0, true},
      {1, "=A " + dir.file("empty.txt"), "", 0, true},
      {1, "*** above file is empty", "", 0, true},
      {1, "=A " + dir.file("nofile.txt"), "No such file or directory", 0, true},
      {1, "*** Above File could not be opened", "", 0, true},
      {1, "*** Msg=No such file or directory", "", 0, true},
      {6, "TerminationRequestfromSolver", "", 0, true},
      {1, "Tsomething else", "", 0, true},
      {1, "unknown status file edit character: =Z what", "", 0, true},
      {1, "new symbol", "", 0, true},
      {2, "End-of-File request", "", 0, false},
  };
  const auto got = process_all(st);
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(got[i].kind, expected[i].kind);
    EXPECT_EQ(got[i].text, expected[i].text);
    EXPECT_EQ(got[i].text2, expected[i].text2);
    EXPECT_EQ(got[i].number, expected[i].number);
    EXPECT_EQ(got[i].result, expected[i].result);
  }
  // The file is closed after the end.
  const auto after = process_all(st);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].text, "Must be a bad call");
}

TEST_F(StatusFile, ProcessModeFirstCallFailures) {
  EXPECT_EQ(st.statusprocessfirst(), 1);
  auto items = process_all(st);
  ASSERT_GE(items.size(), 2u);
  EXPECT_EQ(items[0].text, "Status filename has not been assigned");
  EXPECT_EQ(items[1].text, "Must be a bad call");

  st.statussetfilename(dir.file("missing.sta"));
  EXPECT_EQ(st.statusprocessfirst(), 2);
  items = process_all(st);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].text, "No such file or directory");
  EXPECT_EQ(items[1].text, "filename=\"" + dir.file("missing.sta") + "\"");
  EXPECT_FALSE(items[2].result);

  testutil::write_file(name, "no control lines\n");
  st.statussetfilename(name);
  ASSERT_EQ(st.statusprocessfirst(), 0);
  items = process_all(st);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].kind, 2);
  EXPECT_EQ(items[0].text, "End-of-File reached");
}

TEST_F(StatusFile, CopyLineWithoutAFileNameReadsNothing) {
  testutil::write_file(name, "=A\n=A   \n");
  st.statussetfilename(name);
  ASSERT_EQ(st.statusprocessfirst(), 0);
  const auto got = process_all(st);
  ASSERT_EQ(got.size(), 7u);
  EXPECT_EQ(got[0].text, "=A");
  EXPECT_EQ(got[1].text, "*** Above File could not be opened");
  EXPECT_EQ(got[2].text, "*** Msg=No such file or directory");
  EXPECT_EQ(got[3].text, "=A   ");
}

TEST_F(StatusFile, ErrorListCollectsByRowAndColumn) {
  testutil::write_file(name,
                       "=6 4 var msg\n"
                       "=5 2 Same Text\n"
                       "=7 2 4 jac msg\n"
                       "=5 2 same text\n"
                       "=5 2 other\n"
                       "=5 1 \n"
                       "=5 2 " +
                           std::string(200, 'x') + "\n");
  st.statussetfilename(name);
  ASSERT_EQ(st.statusprocessfirst(), 0);
  (void)process_all(st);

  std::int32_t row = 0, col = 0, count = 0;
  q5rt::sstr text;
  std::vector<std::string> nodes;
  st.statuserrorfirst();
  while (st.statuserrornext(row, col))
    nodes.push_back(std::to_string(row) + "," + std::to_string(col));
  EXPECT_EQ(nodes, (std::vector<std::string>{"0,4", "1,0", "2,0", "2,4"}));
  EXPECT_EQ(row, 0);
  EXPECT_EQ(col, 0);

  // Row 2: references newest first; the two spellings of one text share a count of 2.
  st.statuserrorfirst();
  ASSERT_TRUE(st.statuserrornextequ(row));
  EXPECT_EQ(row, 1);
  ASSERT_TRUE(st.statuserrordetail(count, text));
  EXPECT_EQ(text.view(), "No message");
  ASSERT_TRUE(st.statuserrornextequ(row));
  EXPECT_EQ(row, 2);
  std::vector<std::string> details;
  while (st.statuserrordetail(count, text))
    details.push_back(std::to_string(count) + " " + text.str());
  EXPECT_EQ(details,
            (std::vector<std::string>{"1 " + std::string(150, 'x'), "1 other", "2 Same Text"}));
  EXPECT_FALSE(st.statuserrornextequ(row));

  st.statuserrorfirst();
  ASSERT_TRUE(st.statuserrornextvar(col));
  EXPECT_EQ(col, 4);
  st.statuserrorfirst();
  ASSERT_TRUE(st.statuserrornextjac(row, col));
  EXPECT_EQ(row, 2);
  EXPECT_EQ(col, 4);

  st.statuserrorfree();
  st.statuserrorfirst();
  EXPECT_FALSE(st.statuserrornext(row, col));
  EXPECT_FALSE(st.statuserrordetail(count, text));
}

// solvererrorinit starts over: nothing collected before is found again, and a text seen
// before is a new message with a count of its own.
TEST_F(StatusFile, SolverErrorInitStartsANewErrorList) {
  testutil::write_file(name, "=5 2 Same Text\n=6 3 var\n");
  st.statussetfilename(name);
  ASSERT_EQ(st.statusprocessfirst(), 0);
  (void)process_all(st);
  st.solvererrorinit();
  std::int32_t row = 0, col = 0, count = 0;
  q5rt::sstr text;
  st.statuserrorfirst();
  EXPECT_FALSE(st.statuserrornext(row, col));
  EXPECT_FALSE(st.statuserrordetail(count, text));

  testutil::write_file(name, "=5 2 same text\n");
  ASSERT_EQ(st.statusprocessfirst(), 0);
  (void)process_all(st);
  st.statuserrorfirst();
  ASSERT_TRUE(st.statuserrornext(row, col));
  EXPECT_EQ(row, 2);
  EXPECT_EQ(col, 0);
  ASSERT_TRUE(st.statuserrordetail(count, text));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(text.view(), "same text");
  EXPECT_FALSE(st.statuserrornext(row, col));
}

TEST_F(StatusFile, DumpModeListsEveryLineAndFramesSysOutCopies) {
  const std::string sysout = dir.file("sysout.txt");
  testutil::write_file(sysout, "solver said\n");
  testutil::write_file(
      name, "=1\n=B " + sysout + "\n=9#\n=B nothing\n#B " + dir.file("none") + "\nlast\n");
  st.statussetfilename(name);
  ASSERT_EQ(st.statusdumpfirst(), 0);
  std::vector<std::string> lines;
  q5rt::sstr line;
  while (st.statusdumpnext(line)) lines.push_back(line.str());
  EXPECT_EQ(lines,
            (std::vector<std::string>{"=1", "=B " + sysout, "*** Begin of SysOut copy",
                                      "solver said", "*** End of SysOut copy", "=9#", "=B nothing",
                                      "#B " + dir.file("none"), "Could not process above statement",
                                      "Msg=No such file or directory", "last"}));
  EXPECT_TRUE(line.empty());
  EXPECT_FALSE(st.statusdumpnext(line));
}

TEST_F(StatusFile, WriterAndReaderAgreeOnAChangedEditSymbol) {
  st.statussetfilename(name);
  ASSERT_TRUE(st.statusfileopen(1, msg));
  st.statuscopyline("one");
  st.statusseteditsymbol('#');
  st.statuscopyline("two");
  st.statusequationerror(1, "e");
  st.statusclose();
  ASSERT_EQ(st.statusprocessfirst(), 0);
  const auto got = process_all(st);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].text, "one");
  EXPECT_EQ(got[1].text, "two");
  std::int32_t row = 0;
  st.statuserrorfirst();
  ASSERT_TRUE(st.statuserrornextequ(row));
  EXPECT_EQ(row, 1);
}

}  // namespace
