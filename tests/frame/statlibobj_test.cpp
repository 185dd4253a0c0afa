// The status stream and the log stream: line formats, open rules, fallbacks, the reading
// side, the progress line and the redirection strings.
#include "frame/statlibobj.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "frame/q5process.h"
#include "support/testutil.h"

namespace {

using statlibobj::tzlmlogstream;
using statlibobj::tzlmstatusstream;

// Everything written on descriptor 1 while fn runs.
std::string capture_stdout(const std::function<void()>& fn) {
  testutil::tempdir dir;
  const std::string path = dir.file("stdout");
  std::fflush(stdout);
  const int saved = ::dup(1);
  std::FILE* f = std::fopen(path.c_str(), "w");
  ::dup2(::fileno(f), 1);
  fn();
  std::fflush(stdout);
  ::dup2(saved, 1);
  ::close(saved);
  std::fclose(f);
  return testutil::read_file(path);
}

// What a write callback received, as "channel:text" items.
struct sink {
  std::vector<std::string> items;
  static void take(const q5rt::sstr& text, std::int32_t channel, void* user) {
    static_cast<sink*>(user)->items.push_back(std::to_string(channel) + ":" + text.str());
  }
};

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
      {[](tzlmstatusstream& s) { s.statusauditline("Zolm/BARON 26.1.0"); }, "=0Zolm/BARON 26.1.0\n", "audit"},
      {[](tzlmstatusstream& s) { s.statuscopyon(); }, "=1\n", "copy on"},
      {[](tzlmstatusstream& s) { s.statuscopyoff(); }, "=2\n", "copy off"},
      {[](tzlmstatusstream& s) { s.statusendoffile(); }, "=3\n", "end of file"},
      {[](tzlmstatusstream& s) { s.statussysout(); }, "=4\n", "sysout"},
      {[](tzlmstatusstream& s) { s.statusequationerror(12, "bad row"); }, "=5 12 bad row\n", "equation error"},
      {[](tzlmstatusstream& s) { s.statusvariableerror(3, "x"); }, "=6 3 x\n", "variable error"},
      {[](tzlmstatusstream& s) { s.statusjacobianerror(4, 5, "j"); }, "=7 4 5 j\n", "Jacobian error"},
      {[](tzlmstatusstream& s) { s.statusequationerror(-1, "neg"); }, "=5 -1 neg\n", "plain decimal, sign kept"},
      {[](tzlmstatusstream& s) { s.statuspageeject(); }, "=8\n", "eject"},
      {[](tzlmstatusstream& s) { s.statuscopyfile("a.txt"); }, "=Aa.txt\n", "copy file"},
      {[](tzlmstatusstream& s) { s.statuscopyfileonsysout("b.txt"); }, "=Bb.txt\n", "copy on sysout"},
      {[](tzlmstatusstream& s) { s.statuscopyline("text"); }, "=Ctext\n", "copy line"},
      {[](tzlmstatusstream& s) { s.statuscopyline(""); }, "=C\n", "empty copy line"},
      {[](tzlmstatusstream& s) { s.statusequationname("e1", 7, "msg"); }, "=E \"e1\" 7 \"msg\"\n", "equation name"},
      {[](tzlmstatusstream& s) { s.statusvariablename("x", 2, "t t"); }, "=V \"x\" 2 \"t t\"\n", "variable name"},
      {[](tzlmstatusstream& s) { s.statuslstanchor("here"); }, "=Lhere\n", "anchor"},
      {[](tzlmstatusstream& s) { s.statusterminationrequestfromsolver(); }, "=TerminationRequestfromSolver\n", "whole word"},
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
  EXPECT_EQ(out.items, (std::vector<std::string>{"1:" + std::string(255, 'c'), "1:" + std::string(45, 'c')}));
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
    const char* after;   // after writing "=Cnew"
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
  EXPECT_EQ(testutil::read_file(name), "=1\n\n**** SOLVER DID NOT WRITE A STATUS FILE ****\n\n=3\n");
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
      {[](tzlmstatusstream& s) { s.statuswriteln("lost"); }, "*** StatLib.StatusWriteLn lost\n", "plain line"},
      {[](tzlmstatusstream& s) { s.statuscopyline("c"); }, "*** StatLib.StatusCopyLine c\n", "copy line"},
      {[](tzlmstatusstream& s) { s.statuscopyfile("f"); }, "*** StatLib.StatusCopyFile f\n", "copy file"},
      {[](tzlmstatusstream& s) { s.statuscopyfileonsysout("f"); }, "*** StatLib.StatusCopyFileOnSysOut f\n", "copy on sysout"},
      {[](tzlmstatusstream& s) { s.statuslstanchor("a"); }, "*** StatLib.StatusLSTAnchor a\n", "anchor"},
      {[](tzlmstatusstream& s) { s.statusequationname("e", 1, "t"); }, "*** StatLib.StatusEquationName e\n", "equation name"},
      {[](tzlmstatusstream& s) { s.statusvariablename("v", 1, "t"); }, "*** StatLib.StatusVariableName v\n", "variable name"},
      {[](tzlmstatusstream& s) { s.statusequationerror(1, "t"); }, "*** StatLib.StatusEquationError t\n", "equation error"},
      {[](tzlmstatusstream& s) { s.statusvariableerror(1, "t"); }, "*** StatLib.StatusVariableError t\n", "variable error"},
      {[](tzlmstatusstream& s) { s.statuscopyon(); }, "*** StatLib.StatusCopyOn\n", "copy on"},
      {[](tzlmstatusstream& s) { s.statuscopyoff(); }, "*** StatLib.StatusCopyOff\n", "copy off"},
      {[](tzlmstatusstream& s) { s.statusendoffile(); }, "*** StatLib.StatusEndOfFile\n", "end of file"},
      {[](tzlmstatusstream& s) { s.statussysout(); }, "*** StatLib.StatusSysOut\n", "sysout"},
      {[](tzlmstatusstream& s) { s.statuspageeject(); }, "*** StatLib.StatusPageEject\n", "eject"},
      {[](tzlmstatusstream& s) { s.statusseteditsymbol('#'); }, "*** StatLib.StatusSetEditSymbol\n", "edit symbol"},
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
  testutil::write_file(
      name,
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
      "=A " + listed + "\n"
      "=A " + dir.file("empty.txt") + "\n"
      "=A " + dir.file("nofile.txt") + "\n"
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
                       "=5 2 " + std::string(200, 'x') + "\n");
  st.statussetfilename(name);
  ASSERT_EQ(st.statusprocessfirst(), 0);
  (void)process_all(st);

  std::int32_t row = 0, col = 0, count = 0;
  q5rt::sstr text;
  std::vector<std::string> nodes;
  st.statuserrorfirst();
  while (st.statuserrornext(row, col)) nodes.push_back(std::to_string(row) + "," + std::to_string(col));
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
  while (st.statuserrordetail(count, text)) details.push_back(std::to_string(count) + " " + text.str());
  EXPECT_EQ(details, (std::vector<std::string>{"1 " + std::string(150, 'x'), "1 other", "2 Same Text"}));
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

TEST_F(StatusFile, DumpModeListsEveryLineAndFramesSysOutCopies) {
  const std::string sysout = dir.file("sysout.txt");
  testutil::write_file(sysout, "solver said\n");
  testutil::write_file(name, "=1\n=B " + sysout + "\n=9#\n=B nothing\n#B " + dir.file("none") +
                                 "\nlast\n");
  st.statussetfilename(name);
  ASSERT_EQ(st.statusdumpfirst(), 0);
  std::vector<std::string> lines;
  q5rt::sstr line;
  while (st.statusdumpnext(line)) lines.push_back(line.str());
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "=1", "=B " + sysout, "*** Begin of SysOut copy", "solver said",
                       "*** End of SysOut copy", "=9#", "=B nothing", "#B " + dir.file("none"),
                       "Could not process above statement", "Msg=No such file or directory",
                       "last"}));
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

// ---------------------------------------------------------------------------------------
// Log

struct LogStream : ::testing::Test {
  q5rt::sstr msg;
  tzlmlogstream lg{msg};
  testutil::tempdir dir;
  std::string name = dir.file("run.log");
  void TearDown() override {
    capture_stdout([&] { lg.logclose(); });
    q5rt::set_tick_source(nullptr);
  }
};

TEST_F(LogStream, LogOptions) {
  struct row {
    int option;
    const char* file;  // the log file's content; nullptr: not created
    const char* out;   // standard output
    const char* redir;
    const char* why;
  };
  const row rows[] = {
      {-1, nullptr, "", " >> \"/dev/null\"", "below 0: off, a child writes to the null device"},
      {0, nullptr, "", " >> \"/dev/null\"", "0: off"},
      {1, nullptr, "--- LogOption value 1 is deprecated, reset to 3\nline\n", "", "1 is 3 with a notice"},
      {2, "line\n", "", " >> \"@\"", "2: the log file"},
      {3, nullptr, "line\n", "", "3: standard output"},
      {4, "line\n", "line\n", " | tee -a \"@\"", "4: both"},
      {7, "line\n", "line\n", " | tee -a \"@\"", "above 4 behaves as 4"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    std::remove(name.c_str());
    q5rt::sstr m;
    tzlmlogstream log(m);
    std::string out = capture_stdout([&] {
      EXPECT_EQ(log.logopen(r.option, 2, name), 0);
      log.logwriteln("line");
      log.logclose();
    });
    EXPECT_EQ(out, r.out);
    if (r.file)
      EXPECT_EQ(testutil::read_file(name), r.file);
    else
      EXPECT_FALSE(std::filesystem::exists(name));
    std::string redir, expected = r.redir;
    if (auto at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, name);
    log.getredirstringprop(redir);
    EXPECT_EQ(redir, expected);
    EXPECT_EQ(log.getlogenabled(), r.option >= 1);
  }
}

TEST_F(LogStream, ModeTwoAppendsOtherModesEmpty) {
  testutil::write_file(name, "old\n");
  ASSERT_EQ(lg.logopen(2, 2, name), 0);
  lg.logwriteln("new");
  lg.logclose();
  EXPECT_EQ(testutil::read_file(name), "old\nnew\n");
  ASSERT_EQ(lg.logreopen(), 0);  // option kept, mode 2
  lg.logwriteln("again");
  lg.logclose();
  EXPECT_EQ(testutil::read_file(name), "old\nnew\nagain\n");
  ASSERT_EQ(lg.logopen(2, 1, name), 0);
  lg.logwriteln("fresh");
  lg.logclose();
  EXPECT_EQ(testutil::read_file(name), "fresh\n");
}

TEST_F(LogStream, UnopenableLogFileFallsBackToStandardOutput) {
  const std::string bad = dir.file("nodir/run.log");
  struct row {
    int mode;
    const char* action;
    const char* why;
  };
  constexpr row rows[] = {{2, "*** Append", "append mode"}, {0, "*** Open", "any other mode"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr m;
    tzlmlogstream log(m);
    int rc = -1;
    const std::string out = capture_stdout([&] {
      rc = log.logopen(2, static_cast<std::uint8_t>(r.mode), bad);
      log.logwriteln("goes on");
    });
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(out, std::string("*** Log reopend as output\n") + r.action +
                       " logfile error: (R=2) FN=\"" + bad +
                       "\"\n*** Msg=No such file or directory\n*** Logging to standard output\n"
                       "goes on\n");
    std::string redir;
    log.getredirstringprop(redir);
    EXPECT_EQ(redir, "");
    log.getshortredirstringprop(redir, dir.path().string() + "/");
    EXPECT_EQ(redir, "");
  }
}

TEST_F(LogStream, AFailedWriteContinuesOnStandardOutput) {
  // /dev/full opens but refuses every write.
  ASSERT_EQ(lg.logopen(2, 2, "/dev/full"), 0);
  const std::string out = capture_stdout([&] {
    lg.logwriteln("first");
    lg.logwriteln("second");
  });
  EXPECT_EQ(out, "*** Log reopend as output\nfirst\nsecond\n");
  std::string redir;
  lg.getredirstringprop(redir);
  EXPECT_EQ(redir, "");
}

TEST_F(LogStream, WritingAfterCloseReopensOnStandardOutput) {
  ASSERT_EQ(lg.logopen(2, 1, name), 0);
  lg.logwriteln("in file");
  lg.logclose();
  EXPECT_EQ(lg.logstate(), 0);
  const std::string out = capture_stdout([&] { lg.logwriteln("late"); });
  EXPECT_EQ(out, "*** Log reopend as output\nlate\n");
  EXPECT_EQ(lg.logstate(), 2);
  EXPECT_EQ(testutil::read_file(name), "in file\n");
}

TEST_F(LogStream, LongLinesAndZeroTerminatedTexts) {
  ASSERT_EQ(lg.logopen(2, 1, name), 0);
  lg.logwriteln(std::string(300, 'a'));
  const std::string big(20000, 'b');
  lg.logwrite(big.c_str());
  lg.logwrite(nullptr);
  lg.logwriteln("end");
  lg.logclose();
  const std::string got = testutil::read_file(name);
  EXPECT_EQ(got, std::string(254, 'a') + "\n" + std::string(16384, 'b') + "end\n");
}

TEST_F(LogStream, CallbackGetsTextOnChannelTwo) {
  sink out;
  lg.registerwritecallback(&sink::take, &out);
  ASSERT_EQ(lg.logopen(2, 1, name), 0);
  lg.logwriteln("line");
  lg.logwrite("piece");
  lg.logwriteplain("plain");  // never to the callback
  lg.logclose();
  EXPECT_EQ(out.items, (std::vector<std::string>{"2:line\n", "2:piece"}));
  EXPECT_EQ(testutil::read_file(name), "plain");
}

TEST_F(LogStream, AnchorsTraceAndMessagesLeaveTheLineOpen) {
  ASSERT_EQ(lg.logopen(2, 1, name), 0);
  lg.loganchor(7);
  lg.logfileanchor(true, "f.gms", 3, 4);
  lg.logfileanchor(false, "g.gms", 5, 0);
  lg.logwriteln("x");
  lg.logtitleanchor("Title");
  lg.logmessage("msg");
  lg.logdumpfilename("Trace", true, "ctrl", "/x/y", 0, 2);
  lg.logdumpfilename("Trace", false, "skipped", "/x/y", 1, 0);
  lg.logdumpfilename("Trace", true, "out", "/x/z", 2, 0);
  lg.logdumpfilename("Trace", true, "odd", "/x/w", 9, 0);
  lg.logwriteln("done");
  lg.logclose();
  EXPECT_EQ(testutil::read_file(name),
            "[LST:7][ERR:\"f.gms\",3,4][FIL:\"g.gms\",5,0]\n"
            "x\n"
            "[TIT:Title]\n"
            "msg\n"
            "Trace ctrl R=2 FN=\"/x/y\"\n"
            "Trace MSG=No such file or directory\n"
            "Trace out A=0 FN=\"/x/z\"\n"
            "Trace odd =0 FN=\"/x/w\"\n"
            "done\n");
}

std::string filled(std::string text, const std::string& at) {
  for (auto p = text.find('@'); p != std::string::npos; p = text.find('@', p + at.size()))
    text.replace(p, 1, at);
  return text;
}

TEST_F(LogStream, RedirectionStrings) {
  std::filesystem::create_directories(dir.path() / "sub");
  std::filesystem::create_directories(dir.path() / "w");
  const std::string longname = "@/" + std::string(150, 'n') + std::string(40, '$') + ".log";
  struct row {
    int option;
    std::string file;  // "@" stands for the temporary folder
    const char* dir;
    const char* full;
    const char* shortform;
    const char* why;
  };
  const row rows[] = {
      {2, "@/x.log", "@/", " >> \"@/x.log\"", " >> \"./x.log\"", "inside the directory: relative"},
      {2, "@/sub/x.log", "@/", " >> \"@/sub/x.log\"", " >> \"./sub/x.log\"", "below it"},
      {2, "@/x.log", "/elsewhere/", " >> \"@/x.log\"", " >> \"@/x.log\"", "elsewhere: the full name"},
      {2, "@/w/x.log", "/w/", " >> \"@/w/x.log\"", " >> \"@/w/x.log\"",
       "the directory inside the name but not at its start"},
      {2, "@/x.log", "@", " >> \"@/x.log\"", " >> \"@/x.log\"", "no trailing delimiter: full name"},
      {2, "@/x.log", "", " >> \"@/x.log\"", " >> \"@/x.log\"", "empty directory"},
      {4, "@/x.log", "@/", " | tee -a \"@/x.log\"", " >> \"./x.log\"", "the relative form never tees"},
      {2, "@/a\"b$c`d\\e.log", "/v/", " >> \"@/a\\\"b\\$c\\`d\\\\e.log\"",
       " >> \"@/a\\\"b\\$c\\`d\\\\e.log\"", "shell characters escaped"},
      {3, "@/x.log", "@/", "", "", "standard output: no redirection"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const std::string at = dir.path().string();
    q5rt::sstr m;
    tzlmlogstream log(m);
    capture_stdout([&] { ASSERT_EQ(log.logopen(r.option, 2, filled(r.file, at)), 0); });
    log.logclose();
    std::string full, shortform, quoted;
    log.getredirstringprop(full);
    log.getshortredirstringprop(shortform, filled(r.dir, at));
    EXPECT_EQ(full, filled(r.full, at));
    EXPECT_EQ(shortform, filled(r.shortform, at));
    log.getredirfilenameprop(quoted);
    EXPECT_EQ(quoted, r.option == 3 ? "" : q5process::shellquoted(filled(r.file, at)));
  }
  // A long name is held whole: quoting and the prefix go past 255 characters.
  const std::string name = filled(longname, dir.path().string());
  ASSERT_LE(name.size(), 255u);
  ASSERT_EQ(lg.logopen(4, 2, name), 0);
  std::string redir;
  lg.getredirstringprop(redir);
  EXPECT_GT(redir.size(), 255u);
  EXPECT_EQ(redir, " | tee -a " + q5process::shellquoted(name));
  EXPECT_TRUE(redir.ends_with("\\$.log\"")) << redir;
}

// ---------------------------------------------------------------------------------------
// Progress line

std::uint64_t fake_now = 0;
std::uint64_t fake_ticks() { return fake_now; }

TEST_F(LogStream, ProgressLineIsRedrawnInPlace) {
  fake_now = 1000000;
  q5rt::set_tick_source(&fake_ticks);
  const std::string out = capture_stdout([&] {
    q5rt::sstr m;
    tzlmlogstream log(m);
    ASSERT_EQ(log.logopen(3, 2, ""), 0);
    log.logfilename("/some/dir/model.gms", 0);
    fake_now += 201;
    log.loglinenr(10);     // 200 ms passed: drawn
    log.loglinenr(11);     // too soon: only pending
    fake_now += 201;
    log.logerrorcnt(12);   // drawn with the count
    fake_now += 201;
    log.logerrorcnt(0);    // shorter: blanked out first
    fake_now += 201;
    log.logmemory(2.6);    // rounded
    log.logwriteln("done");
    log.logfilename("/x/inc.gms", 2);
    log.loglinenr(1);
    log.logerrorcnt(1);
    log.logwriteln("end");
    log.logfilename("/x/deep.gms", 12);  // nesting shows at most ten dots
    log.loglinenr(2);
    log.logwriteln("deep");
  });
  const std::string l10 = "--- model.gms(10) 0 Mb";
  const std::string l11e = "--- model.gms(11) 0 Mb 12 Errors";
  const std::string l11 = "--- model.gms(11) 0 Mb";
  const std::string l11m = "--- model.gms(11) 3 Mb";
  EXPECT_EQ(out, "\n" + l10 + "\r" + l11e + "\r" + std::string(l11e.size(), ' ') + "\r" + l11 + "\r" + l11m +
                     "\n" + "done\n" + "\n" + "--- .. inc.gms(1) 3 Mb 1 Error" + "\nend\n" +
                     "\n--- .......... deep.gms(2) 3 Mb\ndeep\n");
}

TEST_F(LogStream, SecondsShownFollowTheTimeOnOneLine) {
  fake_now = 5000000;
  q5rt::set_tick_source(&fake_ticks);
  const std::string out = capture_stdout([&] {
    q5rt::sstr m;
    tzlmlogstream log(m);
    ASSERT_EQ(log.logopen(3, 2, ""), 0);
    log.logfilename("m.gms", 0);
    log.loglinenr(5);
    for (int ms = 0; ms <= 60000; ms += 250) {
      fake_now = 5000000 + static_cast<std::uint64_t>(ms);
      log.freshenex();
    }
    log.loglinenr(6);  // a new line: the old one keeps its seconds
    log.logclose();
  });
  std::vector<int> shown;
  for (auto at = out.find(" secs"); at != std::string::npos; at = out.find(" secs", at + 1)) {
    const auto start = out.rfind("  ", at) + 2;
    shown.push_back(std::stoi(out.substr(start, at - start)));
  }
  std::vector<int> expected;
  for (int s = 3; s <= 30; ++s) expected.push_back(s);  // every second up to 31 seconds
  for (int s = 35; s <= 60; s += 5) expected.push_back(s);  // then in steps of 5
  EXPECT_EQ(shown, expected);
  EXPECT_TRUE(out.ends_with("--- m.gms(5) 0 Mb  60 secs\n--- m.gms(6) 0 Mb\n")) << out;
}

}  // namespace

namespace {

bool fake_memory(std::int64_t& resident, std::int64_t& virtualsize) {
  resident = 5400000;
  virtualsize = 7600000;
  return true;
}
bool failing_memory(std::int64_t& resident, std::int64_t& virtualsize) {
  resident = virtualsize = 0;
  return false;
}

TEST_F(LogStream, MemorySourceOfTheProgressLine) {
  struct row {
    std::uint32_t source;
    statlibobj::memoryquery query;
    const char* line;
    const char* why;
  };
  const row rows[] = {
      {0, &fake_memory, "--- m.gms(1) 2 Mb", "source 0: the value given"},
      {1, &fake_memory, "--- m.gms(1) 5 Mb", "source 1: resident size"},
      {2, &fake_memory, "--- m.gms(1) 8 Mb", "source 2: virtual size"},
      {1, &failing_memory, "--- m.gms(1) 2 Mb", "a failed query shows the kept value"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    statlibobj::setmemoryquery(r.query);
    q5rt::sstr m;
    tzlmlogstream log(m);
    ASSERT_EQ(log.logopen(2, 1, name), 0);
    log.logmemory(2.2);
    log.setmemorysource(r.source);
    log.logfilename("m.gms", 0);
    log.loglinenr(1);
    log.showstatline();
    log.logclose();
    EXPECT_EQ(testutil::read_file(name), std::string("\n") + r.line + "\n");
  }
  statlibobj::setmemoryquery(nullptr);
}

}  // namespace
