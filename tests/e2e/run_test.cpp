// The real binary on model fixtures: every case folder in fixtures/ holds a control file
// with relative names (the run's working folder is a copy of the case folder), the
// scratch files and the expected log, status file and solution file, compared byte for
// byte ("@BANNER@" stands for the banner line). UPDATE_GOLDEN=1 rewrites the expected
// files from the run for review.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "frame/q5process.h"
#include "support/filesizelimit.h"
#include "support/golden.h"
#include "support/testutil.h"

namespace {

namespace fs = std::filesystem;

std::string fixture(const std::string& name) {
  return testutil::source_dir() + "/tests/e2e/fixtures/" + name;
}

std::string banner() {
  std::string line = testutil::run_program(testutil::baronlink_path(), {"AUDIT"}).out;
  if (!line.empty()) line.pop_back();
  return line;
}

// Copies the case folder into a fresh folder and runs baronlink there on model.ctl.
struct caserun {
  explicit caserun(const std::string& name) {
    fs::copy(fixture(name), dir.path(), fs::copy_options::recursive);
    result = testutil::run_program(testutil::baronlink_path(), {"model.ctl"}, dir.path().string(),
                                   testutil::standinenv());
  }
  std::string output(const std::string& file) const {
    return fs::exists(dir.file(file)) ? testutil::read_file(dir.file(file)) : "(missing)";
  }
  testutil::tempdir dir;
  testutil::run_result result;
};

void expectgolden(const std::string& casename, const std::string& golden, const std::string& got,
                  const std::string& line) {
  EXPECT_TRUE(testutil::matchesgolden(fixture(casename + "/" + golden), got, {{"@BANNER@", line}}));
}

TEST(Run, ModelFixturesWriteTheLogStatusAndSolutionGoldenFiles) {
  struct row {
    const char* name;
    const char* why;
  };
  constexpr row rows[] = {
      {"layout0", "text layout: the whole road to the solution file"},
      {"layout1", "binary records, all payload"},
      {"layout2", "binary records framed by 792"},
      {"layout3", "binary records framed by FF and 790"},
      {"truncated-text", "instruction file cut short: read past its end, 13/13"},
      {"truncated-binary", "matrix file cut inside its first record, 13/13"},
      {"malformed", "a malformed number in the matrix file, 13/13"},
      {"out-of-range", "control file with one row fewer than the files: left-over data"},
  };
  const std::string line = banner();
  ASSERT_EQ(line.size(), 78u);
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const caserun run(r.name);
    EXPECT_EQ(run.result.exit_code, 0);
    EXPECT_EQ(run.result.out, "");
    expectgolden(r.name, "expected.log", run.output("model.log"), line);
    expectgolden(r.name, "expected.sta", run.output("model.sta"), line);
    expectgolden(r.name, "expected.sol", run.output("model.sol"), line);
  }
}

// The solution files of these runs (13/13, no records) are pinned by the goldens above.
TEST(Run, FailedLoadsNameTheFileAndNeverRunBaron) {
  for (const char* name : {"truncated-text", "truncated-binary", "malformed", "out-of-range"}) {
    SCOPED_TRACE(name);
    const caserun run(name);
    const std::string sta = run.output("model.sta");
    EXPECT_NE(sta.find("\n=C*** Error in "), std::string::npos) << sta;
    EXPECT_EQ(sta.find("BARON is not run"), std::string::npos) << sta;
  }
}

TEST(Run, StatusFileThatCannotBeOpenedEndsTheRunWithZero) {
  const caserun run("no-status-file");  // log on standard output
  EXPECT_EQ(run.result.exit_code, 0);
  EXPECT_EQ(run.result.out,
            "*** Status File open Failed - we are dead\n"
            "*** status open failed: No such file or directory\n");
  EXPECT_FALSE(fs::exists(run.dir.file("model.sol")));
}

TEST(Run, AppendedStatusFileStartsTheRunWithTheAuditLine) {
  testutil::tempdir dir;
  fs::copy(fixture("layout0"), dir.path(), fs::copy_options::recursive);
  testutil::write_file(dir.file("model.sta"), "=0earlier run\n=Cearlier\n=Cthird\n");
  const auto result = testutil::run_program(testutil::baronlink_path(), {"model.ctl"},
                                            dir.path().string(), testutil::standinenv());
  EXPECT_EQ(result.exit_code, 0);
  const std::string sta = testutil::read_file(dir.file("model.sta"));
  EXPECT_EQ(sta.rfind("=0earlier run\n=Cearlier\n=Cthird\n=0" + banner() + "\n=C\n", 0), 0u) << sta;
}

// The text-layout case in a fresh folder with control-file lines replaced (numbered from
// 1): 21 names the status file, 22 the solution file, 25 holds the log option (3: the log
// on standard output).
constexpr int statusline = 21;
constexpr int solutionline = 22;
constexpr int logoptionline = 25;

struct editedcase {
  explicit editedcase(const std::vector<std::pair<int, std::string>>& lines) {
    fs::copy(fixture("layout0"), dir.path(), fs::copy_options::recursive);
    std::istringstream in(testutil::read_file(dir.file("model.ctl")));
    std::vector<std::string> all;
    for (std::string line; std::getline(in, line);) all.push_back(line);
    for (const auto& [number, text] : lines) all.at(static_cast<std::size_t>(number - 1)) = text;
    std::string out;
    for (const auto& line : all) out += line + "\n";
    testutil::write_file(dir.file("model.ctl"), out);
  }
  testutil::run_result run() const {
    return testutil::run_program(testutil::baronlink_path(), {"model.ctl"}, dir.path().string(),
                                 testutil::standinenv());
  }
  testutil::tempdir dir;
};

// A solution file that cannot be written whole is no answer: the log says why, a partial
// regular file is removed (a device stays) and the exit code is 1.
TEST(Run, SolutionFileThatCannotBeWrittenEndsTheRunWithOne) {
  {
    const editedcase c({{solutionline, "/dev/full"}, {logoptionline, "3"}});
    const auto result = c.run();
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.out.find("*** failed write on solution: /dev/full\n"
                              "*** RC=28 No space left on device\n"),
              std::string::npos)
        << result.out;
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
  }
  {
    // Under a limit of 40 bytes the solution file (54 bytes) cannot be written whole; the
    // status file goes to the null device and the log to standard output (no limits).
    const editedcase c({{statusline, "/dev/null"}, {logoptionline, "3"}});
    testutil::run_result result;
    {
      const testutil::filesizelimit limit(40);
      result = c.run();
    }
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.out.find("*** failed write on solution: model.sol\n"
                              "*** RC=27 File too large\n"),
              std::string::npos)
        << result.out;
    EXPECT_FALSE(fs::exists(c.dir.file("model.sol")));
  }
}

// Started with standard output closed, the link must not open the status file as
// descriptor 1: log lines (here the log is on standard output) never reach it.
TEST(Run, ClosedStandardOutputNeverReachesTheStatusFile) {
  const editedcase c({{logoptionline, "3"}});
  std::string line = "cd " + q5process::shellquoted(c.dir.path().string()) + " && env";
  for (const std::string& var : testutil::standinenv()) line += " " + q5process::shellquoted(var);
  line += " " + q5process::shellquoted(testutil::baronlink_path()) + " model.ctl >&- 2>&-";
  const int status = std::system(line.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::istringstream sta(testutil::read_file(c.dir.file("model.sta")));
  int lines = 0;
  for (std::string l; std::getline(sta, l); ++lines) EXPECT_EQ(l.substr(0, 1), "=") << l;
  EXPECT_GT(lines, 5);
  EXPECT_TRUE(fs::exists(c.dir.file("model.sol")));
}

// A status file on a device is never read ahead (from /dev/zero that read would not end):
// the run writes to it and ends as usual.
TEST(Run, StatusFileOnADeviceIsWrittenWithoutReadingIt) {
  for (const char* device : {"/dev/zero", "/dev/null"}) {
    SCOPED_TRACE(device);
    const editedcase c({{statusline, device}});
    const auto result = c.run();
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(testutil::read_file(c.dir.file("model.sol")),
              testutil::read_file(fixture("layout0/expected.sol")));
  }
}

// A path line too long for its string is a control-file error naming the line, never a
// file written under a shortened name.
TEST(Run, OverLongPathInTheControlFileIsAControlFileError) {
  const editedcase c({{solutionline, std::string(256, 's')}});
  const auto result = c.run();
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.out,
            "*** Zolm/BARON could not load controlfile \"model.ctl\"\n"
            "*** Msg=File name too long in line 22\n");
  EXPECT_FALSE(fs::exists(c.dir.file(std::string(255, 's'))));
  EXPECT_FALSE(fs::exists(c.dir.file("model.log")));
}

}  // namespace
