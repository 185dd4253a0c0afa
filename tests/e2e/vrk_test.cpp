// The real binary on model instances in the data-exchange scratch layout (file type 5),
// made from the text fixtures by scratchcopy; the data-exchange stand-in found through the
// system loader's search.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/testutil.h"

namespace {

namespace fs = std::filesystem;

// The data-exchange library for the child processes.
class VrkRun : public testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("LD_LIBRARY_PATH");
    saved_ = old != nullptr ? old : "";
    had_ = old != nullptr;
    ::setenv("LD_LIBRARY_PATH", testutil::standinlib().c_str(), 1);
  }
  void TearDown() override {
    if (had_) {
      ::setenv("LD_LIBRARY_PATH", saved_.c_str(), 1);
    } else {
      ::unsetenv("LD_LIBRARY_PATH");
    }
  }

  // The layout0 fixture copied to in/ and written in layout 5 to out/.
  void makeinstance() {
    fs::create_directory(dir.path() / "in");
    fs::create_directory(dir.path() / "out");
    fs::copy(fixture("layout0"), dir.path() / "in", fs::copy_options::recursive);
    const auto made = testutil::run_program(SCRATCHCOPY_PATH, {"model.ctl", "5", "../out"},
                                            (dir.path() / "in").string());
    ASSERT_EQ(made.exit_code, 0) << made.out;
  }
  testutil::run_result run() {
    return testutil::run_program(testutil::baronlink_path(), {"model.ctl"},
                                 (dir.path() / "out").string());
  }
  std::string out(const std::string& name) const {
    return testutil::read_file((dir.path() / "out" / name).string());
  }
  static std::string fixture(const std::string& name) {
    return testutil::source_dir() + "/tests/e2e/fixtures/" + name;
  }
  static std::string banner() {
    std::string line = testutil::run_program(testutil::baronlink_path(), {"AUDIT"}).out;
    if (!line.empty()) line.pop_back();
    return line;
  }
  static std::string withbanner(std::string text) {
    const std::string line = banner();
    for (std::size_t at = text.find("@BANNER@"); at != std::string::npos;
         at = text.find("@BANNER@"))
      text.replace(at, 8, line);
    return text;
  }

  testutil::tempdir dir;

 private:
  std::string saved_;
  bool had_ = false;
};

TEST_F(VrkRun, LoadsALayoutFiveInstanceAndWritesItsSolutionInLayoutFive) {
  makeinstance();
  const testutil::run_result r = run();
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "");
  // The same run as on the text layout: the log and status file of that fixture.
  EXPECT_EQ(out("model.log"), withbanner(testutil::read_file(fixture("layout0/expected.log"))));
  EXPECT_EQ(out("model.sta"), withbanner(testutil::read_file(fixture("layout0/expected.sta"))));
  EXPECT_EQ(out("model.sol"),
            "zlmvrk 1 \"ScratchVrk\"\n"
            "symbol \"option\" 1 1 0 \"HTRecord\"\n"
            "record 1 : 13\nrecord 2 : 13\nrecord 9 : 1\n");
}

TEST_F(VrkRun, DamagedDataExchangeFilesEndTheLoadWith13And13) {
  const std::string rowsymbol = "symbol \"equation\" 2";
  struct row {
    std::string extra;  // appended to the file, whose rows are renamed; all of it when
                        // the rows stay
    bool keeprows;
    const char* message;
    bool inlog;
    const char* why;
  };
  const row rows[] = {
      {"", false, "ReadRow: Symbol equation not found", true, "no rows"},
      {"symbol \"equation\" 1 1 0 \"E\"\nrecord 1 : Eps\n", false,
       "ReadRow: Symbol equation has dimension 1, expected 2", true, "rows of the wrong dimension"},
      {"garbage\n", true, "*** OpenMod for model.vrk failed: Cannot open VRK file model.vrk", false,
       "not a data-exchange file"},
  };
  for (const row& c : rows) {
    SCOPED_TRACE(c.why);
    makeinstance();
    std::string vrk = out("model.vrk");
    if (!c.keeprows) vrk.replace(vrk.find(rowsymbol), rowsymbol.size(), "symbol \"equatio\" 2");
    testutil::write_file((dir.path() / "out" / "model.vrk").string(), vrk + c.extra);
    const testutil::run_result r = run();
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
    if (c.inlog) {
      EXPECT_NE(out("model.log").find(c.message), std::string::npos) << out("model.log");
    }
    EXPECT_NE(out("model.sol").find("record 1 : 13\nrecord 2 : 13\n"), std::string::npos)
        << out("model.sol");
    fs::remove_all(dir.path() / "in");
    fs::remove_all(dir.path() / "out");
  }
}

}  // namespace
