// The log stream: log options, fallbacks to standard output, callbacks, anchors and
// trace lines, the redirection strings and the progress line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "frame/q5process.h"
#include "frame/statlibobj.h"
#include "statlibobjtest.h"
#include "support/testutil.h"

namespace {

using statlibobj::tzlmlogstream;
using statlibobjtest::capture_stdout;
using statlibobjtest::sink;

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
      {1, nullptr, "--- LogOption value 1 is deprecated, reset to 3\nline\n", "",
       "1 is 3 with a notice"},
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
      {2, "@/x.log", "/elsewhere/", " >> \"@/x.log\"", " >> \"@/x.log\"",
       "elsewhere: the full name"},
      {2, "@/w/x.log", "/w/", " >> \"@/w/x.log\"", " >> \"@/w/x.log\"",
       "the directory inside the name but not at its start"},
      {2, "@/x.log", "@", " >> \"@/x.log\"", " >> \"@/x.log\"", "no trailing delimiter: full name"},
      {2, "@/x.log", "", " >> \"@/x.log\"", " >> \"@/x.log\"", "empty directory"},
      {4, "@/x.log", "@/", " | tee -a \"@/x.log\"", " >> \"./x.log\"",
       "the relative form never tees"},
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
    log.loglinenr(10);  // 200 ms passed: drawn
    log.loglinenr(11);  // too soon: only pending
    fake_now += 201;
    log.logerrorcnt(12);  // drawn with the count
    fake_now += 201;
    log.logerrorcnt(0);  // shorter: blanked out first
    fake_now += 201;
    log.logmemory(2.6);  // rounded
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
  EXPECT_EQ(out, "\n" + l10 + "\r" + l11e + "\r" + std::string(l11e.size(), ' ') + "\r" + l11 +
                     "\r" + l11m + "\n" + "done\n" + "\n" + "--- .. inc.gms(1) 3 Mb 1 Error" +
                     "\nend\n" + "\n--- .......... deep.gms(2) 3 Mb\ndeep\n");
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
  for (int s = 3; s <= 30; ++s) expected.push_back(s);      // every second up to 31 seconds
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
