#include "frame/q5process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/testutil.h"

namespace {

using q5process::texecarglist;

// ---- helpers ----

// What a child run of a test body gave: the body's answer and descriptor 1.
struct childrun {
  std::string answer;
  std::string out;
};

std::string readall(int fd) {
  std::string text;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
  return text;
}

// Runs body in a forked child with standard input from /dev/null and descriptor 1 captured;
// the body's answer comes back through a second pipe.
childrun inchild(const std::function<std::string()>& body) {
  int outpipe[2];
  int answerpipe[2];
  if (::pipe(outpipe) != 0 || ::pipe(answerpipe) != 0) return {"pipe failed", ""};
  std::fflush(stdout);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(outpipe[0]);
    ::close(answerpipe[0]);
    const int devnull = ::open("/dev/null", O_RDONLY);
    ::dup2(devnull, 0);
    ::dup2(outpipe[1], 1);
    const std::string answer = body();
    std::fflush(stdout);
    (void)!::write(answerpipe[1], answer.data(), answer.size());
    ::_exit(0);
  }
  ::close(outpipe[1]);
  ::close(answerpipe[1]);
  childrun r;
  r.out = readall(outpipe[0]);
  r.answer = readall(answerpipe[0]);
  ::close(outpipe[0]);
  ::close(answerpipe[0]);
  ::waitpid(pid, nullptr, 0);
  return r;
}

std::string pair(int result, int exitcode) {
  return std::to_string(result) + "/" + std::to_string(exitcode);
}

std::string splitjoined(const char* text) {
  std::string joined;
  q5rt::sstr arg;
  for (const char* p = q5process::getparamshortstr(text, arg); !arg.empty();
       p = q5process::getparamshortstr(p, arg)) {
    if (!joined.empty()) joined += '|';
    joined += arg.view();
  }
  return joined;
}

std::string listjoined(const texecarglist& list) {
  std::string joined;
  for (int i = 0; i < list.count(); ++i) {
    if (i > 0) joined += '|';
    joined += list.get(i);
  }
  return joined;
}

// Polls the asynchronous status until it is no longer "running" (at most 5 s).
int finalstatus(const q5process::tprocinfo& info, int& exitcode, q5rt::sstr& msg) {
  for (int i = 0; i < 500; ++i) {
    const int st = q5process::q5asyncstatus(info, exitcode, msg);
    if (st != 1) return st;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return 1;
}

// ---- splitting and quoting ----

TEST(Q5ProcessSplit, ArgumentsByBlanksAndQuotes) {
  const std::string longarg(300, 'x');
  const std::string longline = longarg + " next";
  const std::string longwant = std::string(255, 'x') + "|next";
  struct row {
    const char* text;
    const char* want;
    const char* why;
  };
  const row rows[] = {
      {"", "", "empty text has no argument"},
      {" \t\n\x01 ", "", "blanks and control characters only"},
      {"a b", "a|b", "blank separates"},
      {"a \"\" b", "a|b", "an empty pair where an argument begins is skipped"},
      {"\"\"x", "x", "an empty pair before an argument is skipped"},
      {"x\"y z\"", "xy z", "quotes group and are dropped"},
      {"ab\"c d\"e", "abc de", "the argument goes on after the closing quote"},
      {"a \"b c  ", "a|b c  ", "an unterminated quote keeps the rest, blanks included"},
      {"\" \"", " ", "a quoted blank is an argument"},
      {"a\tb\x1f"
       "c",
       "a|b|c", "control characters separate"},
      {"\xe9t\xe9", "\xe9t\xe9", "characters above 127 are taken"},
      {longline.c_str(), longwant.c_str(), "300 characters cut to 255, next starts after"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(splitjoined(r.text), r.want);
  }
  EXPECT_EQ(splitjoined(nullptr), "");  // no text at all
}

TEST(Q5ProcessSplit, WhatQuote) {
  struct row {
    const char* arg;
    const char* quote;
    const char* why;
  };
  constexpr row rows[] = {
      {"abc", "", "plain word"},
      {"", "\"", "empty argument"},
      {"a b", "\"", "blank inside"},
      {"a\tb", "\"", "control character inside"},
      {"\"a b\"", "", "already quoted"},
      {" \"a b\"\t", "", "already quoted between blanks"},
      {"\"", "", "a lone quote is not a quoted argument"},
      {"\" ", "\"", "a lone quote with a blank"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(q5process::whatquote(r.arg), r.quote);
  }
}

// ---- argument list ----

TEST(Q5ProcessArgList, EditsAndGrowth) {
  texecarglist list;
  EXPECT_EQ(list.capacity(), 0);
  EXPECT_EQ(list.getlast(), "");
  EXPECT_EQ(list.add("b"), 0);
  EXPECT_EQ(list.capacity(), 16);
  EXPECT_EQ(list.add(""), 1);
  list.insert(0, "a");
  list.put(2, "c");
  EXPECT_EQ(listjoined(list), "a|b|c");
  EXPECT_EQ(list.getlast(), "c");
  list.freeitem(1);
  EXPECT_EQ(listjoined(list), "a||c");
  list.delete_(0);
  EXPECT_EQ(listjoined(list), "|c");
  for (int i = 0; i < 15; ++i) (void)list.add("x");
  EXPECT_EQ(list.count(), 17);
  EXPECT_EQ(list.capacity(), 128);  // 16 times 8
  list.setcapacity(5);
  EXPECT_EQ(list.capacity(), 17);  // never below the count
  list.clear();
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.capacity(), 0);
  list.setcapacity(2000000);
  list.grow();
  EXPECT_EQ(list.capacity(), 2500000);  // beyond 1048575 a quarter more
}

TEST(Q5ProcessArgList, SplitAppendsOrPrepends) {
  texecarglist list;
  (void)list.add("mid");
  EXPECT_EQ(list.splitappend("x \"y z\""), 2);
  EXPECT_EQ(list.splitprepend("p q"), 2);
  EXPECT_EQ(list.split(0, "   "), 0);
  EXPECT_EQ(listjoined(list), "p|q|mid|x|y z");
}

TEST(Q5ProcessArgList, BadIndexIsAnAssertion) {
  texecarglist list;
  (void)list.add("a");
  EXPECT_THROW((void)list.get(1), q5rt::assertion_error);
  EXPECT_THROW(list.delete_(-1), q5rt::assertion_error);
  EXPECT_THROW(list.insert(2, "z"), q5rt::assertion_error);
}

// ---- shell runs ----

TEST(Q5ProcessShell, StatusMapping) {
  struct row {
    int status;
    int result;
    int exitcode;
    const char* why;
  };
  constexpr row rows[] = {
      {0, 0, 0, "success"},
      {3 << 8, 0, 3, "exit code 3"},
      {255 << 8, 0, 255, "exit code 255 is an ordinary code"},
      {126 << 8, 126, 0, "the shell could not run the command"},
      {127 << 8, 127, 0, "the shell could not find the command"},
      {SIGKILL, 1, SIGKILL, "ended by a signal"},
      {SIGSEGV | 0x80, 1, SIGSEGV, "ended by a signal with a core dump"},
      {0x137f, 2, 0, "stopped child"},
      {-1, 2, 0, "system() itself failed"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    int exitcode = -5;
    EXPECT_EQ(q5process::detail::mapsystemstatus(r.status, exitcode), r.result);
    EXPECT_EQ(exitcode, r.exitcode);
  }
}

// Shell runs (q5system) and direct runs (q5exec) of one command text each.
TEST(Q5ProcessRun, ShellAndDirect) {
  const auto shell = &q5process::q5system;
  const auto direct = &q5process::q5exec;
  const std::string longword(300, 'w');
  const std::string longcmd = "echo " + longword;
  struct row {
    int (*run)(std::string_view, int&);
    std::string cmd;
    const char* answer;
    std::string out;
    const char* why;
  };
  const row rows[] = {
      // through the shell
      {shell, "exit 3", "0/3", "", "shell: exit code passed on"},
      {shell, "echo hello", "0/0", "hello\n", "shell: output reaches descriptor 1"},
      {shell, "", "0/0", "", "shell: an empty command runs sh, which reads /dev/null"},
      {shell, "q5_no_such_program_x 2>/dev/null", "127/0", "", "shell: no such command"},
      {shell, "kill -TERM $$", "1/15", "", "shell: ended by a signal"},
      {shell, longcmd, "0/0", longword + "\n", "shell: a line over 255 characters stays whole"},
      // directly
      {direct, "   ", "1/0", "", "direct: no argument, nothing is started"},
      {direct, "/bin/sh -c \"exit 7\"", "0/7", "", "direct: exit code passed on"},
      {direct, "sh -c \"echo  a   b\"", "0/0", "a b\n", "direct: found along PATH, quotes group"},
      {direct, "q5_no_such_program_x", "1/0", "", "direct: a program that does not exist"},
      {direct, "sh -c \"exit 255\"", "1/0", "", "direct: a program that exits with 255"},
      {direct, "sh -c \"kill -KILL $$\"", "1/0", "", "direct: ended by a signal"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const childrun c = inchild([&] {
      int exitcode = -1;
      const int res = r.run(r.cmd, exitcode);
      return pair(res, exitcode);
    });
    EXPECT_EQ(c.answer, r.answer);
    EXPECT_EQ(c.out, r.out);
  }
}

TEST(Q5ProcessShell, EmptyCommandRunsAnInteractiveShell) {
  testutil::tempdir dir;
  testutil::write_file(dir.file("input"), "echo from-input\nexit 9\n");
  const childrun c = inchild([&] {
    const int input = ::open(dir.file("input").c_str(), O_RDONLY);
    ::dup2(input, 0);  // sh reads its commands from standard input
    int exitcode = -1;
    const int res = q5process::q5system("", exitcode);
    return pair(res, exitcode);
  });
  EXPECT_EQ(c.answer, "0/9");
  EXPECT_EQ(c.out, "from-input\n");
}

TEST(Q5ProcessShell, ProgramAndParametersAndQuotedList) {
  const childrun two = inchild([] {
    int exitcode = -1;
    const int res = q5process::q5system2("echo", "a  b", exitcode);
    return pair(res, exitcode);
  });
  EXPECT_EQ(two.answer, "0/0");
  EXPECT_EQ(two.out, "a b\n");

  const childrun listed = inchild([] {
    texecarglist list;
    for (const char* item : {"a b", "", "\"q r\"", "plain", "x\"y $HOME `id` \\z"})
      (void)list.add(item);
    int exitcode = -1;
    const int res = q5process::q5systeml("printf '%s|'", list, exitcode);
    return pair(res, exitcode);
  });
  EXPECT_EQ(listed.answer, "0/0");
  // Quotes added by the list run protect what the shell would expand inside them.
  EXPECT_EQ(listed.out, "a b||q r|plain|x\"y $HOME `id` \\z|");
}

// ---- direct runs ----

TEST(Q5ProcessDirect, ProgramWordAndList) {
  const childrun c = inchild([] {
    std::string answers;
    int exitcode = -1;
    int res = q5process::q5exec2("", "x", exitcode);
    answers += pair(res, exitcode) + " ";
    // argv: sh, -c, "printf '%s|' $0", "a b"; the unquoted $0 is split by the shell.
    res = q5process::q5exec2("sh", "-c \"printf '%s|' $0\" \"a b\"", exitcode);
    answers += pair(res, exitcode) + " ";
    texecarglist list;
    for (const char* item : {"-c", "printf '%s|' \"$@\"", "sh", "a  b", ""}) (void)list.add(item);
    res = q5process::q5execl("sh", list, exitcode);
    answers += pair(res, exitcode);
    return answers;
  });
  EXPECT_EQ(c.answer, "1/0 0/0 0/0");
  EXPECT_EQ(c.out, "a|b|a  b||");
}

TEST(Q5ProcessDirect, DetailedCodes) {
  struct row {
    const char* program;
    const char* params;
    const char* answer;
    const char* why;
  };
  constexpr row rows[] = {
      {"sh", "-c \"exit 4\"", "0/4/0/", "ended normally"},
      {"q5_no_such_program_x", "", "2/0/0/", "could not be started"},
      {"sh", "-c \"kill -KILL $$\"", "4/0/0/", "ended by a signal"},
      {"", "-c true", "5/0/0/", "empty program: nothing run"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const childrun c = inchild([&] {
      int exitcode = -1;
      int errnr = -1;
      auto msg = q5rt::sstr::cut("stale");
      const int res = q5process::q5exexec2(r.program, r.params, exitcode, errnr, msg);
      return pair(res, exitcode) + "/" + std::to_string(errnr) + "/" + msg.str();
    });
    EXPECT_EQ(c.answer, r.answer);
  }
}

// ---- asynchronous runs ----

TEST(Q5ProcessAsync, StatusOfAStartedShell) {
  q5process::tprocinfo info;
  q5rt::sstr msg;
  ASSERT_EQ(q5process::q5asyncsystemp("exit 5", false, info, msg), 0);
  ASSERT_GT(info.pid, 0);
  EXPECT_EQ(::getpgid(info.pid), info.pid);  // leads its own process group
  int exitcode = -1;
  EXPECT_EQ(finalstatus(info, exitcode, msg), 2);
  EXPECT_EQ(exitcode, 5);
  EXPECT_EQ(msg.view(), "");
  EXPECT_EQ(q5process::q5asyncstatus(info, exitcode, msg), 4);  // already reaped
  EXPECT_EQ(msg.view(), "No such process or not a child");
}

TEST(Q5ProcessAsync, DirectStartOfAMissingProgram) {
  q5process::tprocinfo info;
  q5rt::sstr msg;
  ASSERT_EQ(q5process::q5asyncexecp("q5_no_such_program_x arg", false, info, msg), 0);
  int exitcode = -1;
  EXPECT_EQ(finalstatus(info, exitcode, msg), 127);
  EXPECT_EQ(exitcode, 127);

  info.pid = 77;
  EXPECT_EQ(q5process::q5asyncexecp("  ", true, info, msg), 1);
  EXPECT_EQ(info.pid, 0);  // the record is cleared first
  EXPECT_EQ(q5process::q5asyncexecp(nullptr, true, info, msg), 1);
  int code = -1;
  EXPECT_EQ(q5process::q5execp(nullptr, code), 1);
  EXPECT_EQ(code, 0);
}

TEST(Q5ProcessAsync, BadRecords) {
  struct row {
    q5process::tprocinfo info;
    const char* msg;
    const char* why;
  };
  const row rows[] = {
      {{0, 0, 0}, "Invalid PID", "process number 0"},
      {{-1, 0, 0}, "Invalid PID", "a failed start"},
      {{1234, 1, 0}, "Corrupt or bogus procInfo", "second field set"},
      {{1234, 0, 9}, "Corrupt or bogus procInfo", "third field set"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    int exitcode = 0;
    q5rt::sstr msg;
    EXPECT_EQ(q5process::q5asyncstatus(r.info, exitcode, msg), 0);
    EXPECT_EQ(msg.view(), r.msg);
  }
}

TEST(Q5ProcessAsync, SoftKillOfAChildThatIgnoresInterrupts) {
  // The child inherits an ignored SIGINT across the start.
  struct sigaction ignore {
  }, old{};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGINT, &ignore, &old), 0);
  q5process::tprocinfo info;
  q5rt::sstr msg;
  const int started = q5process::q5asyncexecp("sleep 30", false, info, msg);
  ::sigaction(SIGINT, &old, nullptr);
  ASSERT_EQ(started, 0);
  EXPECT_TRUE(q5process::q5ispidrunning(info.pid));

  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_TRUE(q5process::q5killprocess(info, false));
  const auto waited = std::chrono::steady_clock::now() - t0;
  EXPECT_GE(waited, std::chrono::milliseconds(40));
  int exitcode = 0;
  EXPECT_EQ(q5process::q5asyncstatus(info, exitcode, msg), 1);  // still there, not reaped

  EXPECT_TRUE(q5process::q5killprocgrouptk(info, true));
  // The kill gives the child two 20 ms looks; on a busy machine it can take longer to die,
  // and then it is reaped by the status call that sees its end.
  for (int look = 0; look < 500 && q5process::q5ispidvalid(info.pid); ++look) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!q5process::q5ispidrunning(info.pid)) (void)q5process::q5asyncstatus(info, exitcode, msg);
  }
  EXPECT_FALSE(q5process::q5ispidvalid(info.pid));  // killed and reaped
  EXPECT_EQ(q5process::q5asyncstatus(info, exitcode, msg), 4);
  EXPECT_FALSE(q5process::q5killprocess(info, true));  // nothing left to signal
  EXPECT_FALSE(q5process::q5killprocess({}, true));
}

TEST(Q5ProcessAsync, ZombieIsValidButNotRunning) {
  q5process::tprocinfo info;
  q5rt::sstr msg;
  ASSERT_EQ(q5process::q5asyncsystemp("exit 0", false, info, msg), 0);
  bool zombie = false;
  for (int i = 0; i < 500 && !zombie; ++i) {
    zombie = q5process::q5ispidvalid(info.pid) && !q5process::q5ispidrunning(info.pid);
    if (!zombie) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(zombie);
  int exitcode = -1;
  EXPECT_EQ(q5process::q5asyncstatus(info, exitcode, msg), 2);
  EXPECT_FALSE(q5process::q5ispidvalid(info.pid));
  EXPECT_FALSE(q5process::q5ispidvalid(0));
  EXPECT_TRUE(q5process::q5ispidrunning(q5process::q5getpid()));
}

// ---- control-C ----

std::atomic<int> firstcount{0};
std::atomic<int> secondcount{0};
void countfirst(int signum) { firstcount += signum == SIGINT ? 1 : 100; }
void countsecond(int) { ++secondcount; }

TEST(Q5ProcessCtrl, InstallReplaceAndRemove) {
  firstcount = 0;
  secondcount = 0;
  struct sigaction before {};
  ASSERT_EQ(::sigaction(SIGINT, nullptr, &before), 0);
  EXPECT_EQ(q5process::q5uninstallctrlhandler(), 1);  // nothing installed yet

  EXPECT_EQ(q5process::q5installctrlhandler(&countfirst), 0);
  EXPECT_EQ(q5process::q5getctrlhandler(), &countfirst);
  struct sigaction now {};
  ASSERT_EQ(::sigaction(SIGINT, nullptr, &now), 0);
  EXPECT_NE(now.sa_flags & SA_RESTART, 0);  // interrupted reads and waits go on
  ::raise(SIGINT);
  EXPECT_EQ(firstcount.load(), 1);

  EXPECT_EQ(q5process::q5installctrlhandler(&countsecond), 0);  // only the procedure changes
  ::raise(SIGINT);
  EXPECT_EQ(secondcount.load(), 1);
  EXPECT_EQ(firstcount.load(), 1);

  EXPECT_EQ(q5process::q5installctrlhandler(nullptr), 0);
  EXPECT_EQ(q5process::q5getctrlhandler(), nullptr);
  struct sigaction after {};
  ASSERT_EQ(::sigaction(SIGINT, nullptr, &after), 0);
  EXPECT_EQ(after.sa_handler, before.sa_handler);  // the first saved handler is back
  EXPECT_EQ(q5process::q5uninstallctrlhandler(), 1);
}

// ---- processors, command line, the rest ----

TEST(Q5ProcessCpu, FiguresFromTopology) {
  using cp = q5process::detail::cpupair;
  struct row {
    std::vector<cp> cpus;
    bool ok;
    int sockets, cores, logical, cps, tpc;
    const char* why;
  };
  const row rows[] = {
      {{}, false, -9, -9, -9, -9, -9, "nothing readable: outputs untouched"},
      {{{0, 0}, {0, 1}, {0, 0}, {0, 1}}, true, 1, 2, 4, 2, 2, "one socket, two threads a core"},
      {{{0, 0}, {1, 0}, {1, 1}}, true, 2, 3, 3, -1, -1, "sockets of unequal size"},
      {{{0, 0}, {0, 1}, {1, 0}, {1, 1}}, true, 2, 4, 4, 2, 1, "two equal sockets"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    int s = -9, c = -9, l = -9, cps = -9, tpc = -9;
    EXPECT_EQ(q5process::detail::cpuinfofrom(r.cpus, s, c, l, cps, tpc), r.ok);
    EXPECT_EQ(s, r.sockets);
    EXPECT_EQ(c, r.cores);
    EXPECT_EQ(l, r.logical);
    EXPECT_EQ(cps, r.cps);
    EXPECT_EQ(tpc, r.tpc);
  }
}

TEST(Q5ProcessCpu, ThisMachine) {
  const int processors = q5process::q5getnumberofprocessors();
  EXPECT_EQ(processors, static_cast<int>(::sysconf(_SC_NPROCESSORS_ONLN)));
  const int cores = q5process::q5getnumberofcores();
  EXPECT_TRUE(cores == -1 || (cores >= 1 && cores <= processors)) << cores;
  int sockets = 0, c = 0, logical = 0, cps = 0, tpc = 0;
  if (q5process::q5getcpuinfo(sockets, c, logical, cps, tpc)) {
    EXPECT_EQ(c, cores);
    EXPECT_GE(logical, c);
  }
  int a = 0, b = 0;
  EXPECT_FALSE(q5process::q5getprocinfo(a, b));
  EXPECT_EQ(a, -1);
  EXPECT_EQ(b, -1);
}

TEST(Q5ProcessMisc, CommandLineAndShowWindow) {
  const char* line = q5process::q5getcommandline();
  const std::string text = line;
  ASSERT_GE(text.size(), 3u);
  EXPECT_EQ(text.front(), '"');
  EXPECT_NE(text.find("test_frame\" "), std::string::npos) << text;
  EXPECT_EQ(q5process::q5getcommandline(), line);  // built once

  q5process::q5setshowwindow(5);
  EXPECT_EQ(q5process::q5getshowwindow(), 5);
  q5process::q5defaultshowwindow();
  EXPECT_EQ(q5process::q5getshowwindow(), 0);
  EXPECT_EQ(q5process::q5getpid(), static_cast<int>(::getpid()));
}

}  // namespace
