// The process-wide status and log procedures: routing, the callback's channels, the run's
// status-file head and the short redirection for BARON's command line.
#include "frame/statlib.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/testutil.h"

namespace {

struct sink {
  std::vector<std::string> items;
  static void take(const q5rt::sstr& text, std::int32_t channel, void* user) {
    static_cast<sink*>(user)->items.push_back(std::to_string(channel) + ":" + text.str());
  }
};

// Leaves the process-wide log off and the status file closed for whatever runs next.
struct StatLib : ::testing::Test {
  void TearDown() override {
    statlib::registerwritecallback(nullptr, nullptr);
    statlib::gstatclose();
    (void)statlib::gstatopen(0, 2, "");
    statlib::statusclose();
  }
};

TEST_F(StatLib, CallbackGetsStatusLinesOnOneAndLogTextOnTwo) {
  sink out;
  statlib::registerwritecallback(&sink::take, &out);
  ASSERT_EQ(statlib::gstatopen(3, 2, ""), 0);
  statlib::gcstatc("copy");
  statlib::gclog("log line");
  statlib::gcstataudit("banner");
  statlib::gclogpchar("piece");
  statlib::registerwritecallback(nullptr, nullptr);
  statlib::gstatclose();
  EXPECT_EQ(out.items,
            (std::vector<std::string>{"1:=Ccopy\n", "2:log line\n", "1:=0banner\n", "2:piece"}));
}

TEST_F(StatLib, RunHeadInStatusFileAndLog) {
  testutil::tempdir dir;
  const std::string sta = dir.file("run.sta"), log = dir.file("run.log");
  testutil::write_file(sta, "=0earlier run\n=Cearlier\nthird\n");
  ASSERT_EQ(statlib::gstatopen(2, 2, log), 0);
  statlib::statussetfilename(sta);
  q5rt::sstr msg;
  ASSERT_TRUE(statlib::statusfileopen(2, msg));
  statlib::gcstataudit("Zolm/BARON banner");
  for (std::string_view line : {"", "Zolm/BARON banner", ""}) {
    statlib::gclog(line);
    statlib::gcstatc(line);
  }
  statlib::gcstatedit('#');
  statlib::gcstatcon();
  statlib::gcstat("summary");
  statlib::gcstatcoff();
  statlib::statusclose();
  statlib::gstatclose();
  EXPECT_EQ(testutil::read_file(sta),
            "=0earlier run\n=Cearlier\nthird\n"
            "=0Zolm/BARON banner\n=C\n=CZolm/BARON banner\n=C\n=9#\n#1\nsummary\n#2\n");
  EXPECT_EQ(testutil::read_file(log), "\nZolm/BARON banner\n\n");
}

TEST_F(StatLib, ShortRedirectionForTheChildsCommandLine) {
  testutil::tempdir dir;
  const std::string cwd = dir.path().string() + "/";
  ASSERT_EQ(statlib::gstatopen(2, 2, cwd + "x.log"), 0);
  std::string redir;
  statlib::getshortredirlogstr(redir, cwd);
  EXPECT_EQ(redir, " >> \"./x.log\"");
  statlib::getshortredirlogstr(redir, "/elsewhere/");
  EXPECT_EQ(redir, " >> \"" + cwd + "x.log\"");
  statlib::getredirlogstr(redir);
  EXPECT_EQ(redir, " >> \"" + cwd + "x.log\"");
  statlib::getredirfilename(redir);
  EXPECT_EQ(redir, "\"" + cwd + "x.log\"");
  statlib::gstatclose();
}

TEST_F(StatLib, PropertiesReachTheLogStream) {
  const auto level = statlib::gstatgettracelevel();
  statlib::gstattracelevel(3);
  EXPECT_EQ(statlib::gstatgettracelevel(), 3);
  statlib::gstattracelevel(level);
  const bool enabled = statlib::gstatlogenabled();
  statlib::gstatsetlogenabled(!enabled);
  EXPECT_EQ(statlib::gstatlogenabled(), !enabled);
  statlib::gstatsetlogenabled(enabled);
}

TEST_F(StatLib, WithoutObjectsMemoryIsIgnoredAndOtherCallsRaise) {
  auto saved_log = std::move(statlib::logstream);
  auto saved_status = std::move(statlib::statusstream);
  statlib::gstatmemory(5.0);
  EXPECT_THROW(statlib::gclog("x"), q5rt::assertion_error);
  EXPECT_THROW(statlib::gcstatc("x"), q5rt::assertion_error);
  statlib::logstream = std::move(saved_log);
  statlib::statusstream = std::move(saved_status);
}

}  // namespace
