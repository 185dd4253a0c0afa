// The real binary on model fixtures: every case folder in fixtures/ holds a control file
// with relative names (the run's working folder is a copy of the case folder), the
// scratch files and the expected log, status file and solution file, compared byte for
// byte ("@BANNER@" stands for the banner line). UPDATE_GOLDEN=1 rewrites the expected
// files from the run for review.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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

std::string withbanner(std::string text, const std::string& line) {
  for (std::size_t at = text.find("@BANNER@"); at != std::string::npos; at = text.find("@BANNER@"))
    text.replace(at, 8, line);
  return text;
}

std::string withoutbanner(std::string text, const std::string& line) {
  for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line))
    text.replace(at, line.size(), "@BANNER@");
  return text;
}

// The first line where two texts differ, for the failure message.
std::string firstdifference(const std::string& a, const std::string& b) {
  std::size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  const std::size_t start = a.rfind('\n', at == 0 ? 0 : at - 1);
  const std::size_t from = start == std::string::npos ? 0 : start + 1;
  return "first difference at byte " + std::to_string(at) + ", line starting \"" +
         a.substr(from, 60) + "\" vs \"" + b.substr(from, 60) + "\"";
}

// Copies the case folder into a fresh folder and runs baronlink there on model.ctl.
struct caserun {
  explicit caserun(const std::string& name) {
    fs::copy(fixture(name), dir.path(), fs::copy_options::recursive);
    result = testutil::run_program(testutil::baronlink_path(), {"model.ctl"},
                                   dir.path().string(), testutil::standinenv());
  }
  std::string output(const std::string& file) const {
    return fs::exists(dir.file(file)) ? testutil::read_file(dir.file(file)) : "(missing)";
  }
  testutil::tempdir dir;
  testutil::run_result result;
};

void expectgolden(const std::string& casename, const std::string& golden, const std::string& got,
                  const std::string& line) {
  const std::string path = fixture(casename + "/" + golden);
  if (std::getenv("UPDATE_GOLDEN") != nullptr) {
    testutil::write_file(path, withoutbanner(got, line));
    return;
  }
  const std::string want = withbanner(testutil::read_file(path), line);
  EXPECT_TRUE(got == want) << casename << "/" << golden << ": " << firstdifference(got, want);
}

TEST(Run, ModelFixturesWriteLogStatusAndSolutionFiles) {
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
  const auto result =
      testutil::run_program(testutil::baronlink_path(), {"model.ctl"}, dir.path().string(),
                            testutil::standinenv());
  EXPECT_EQ(result.exit_code, 0);
  const std::string sta = testutil::read_file(dir.file("model.sta"));
  EXPECT_EQ(sta.rfind("=0earlier run\n=Cearlier\n=Cthird\n=0" + banner() + "\n=C\n", 0), 0u)
      << sta;
}

}  // namespace
