// One thread: the real binary on a model of a million Jacobian entries (large enough for
// every part of the load and of BARON's input file to count as large), in the text layout,
// in binary layout 1 and in the data-exchange layout 5, through the stand-in BARON, starts
// no thread in its process. The preloaded thread watch (tests/threadwatch) notes every
// pthread_create of a process named baronlink; the shell and the stand-in BARON that the
// link starts carry the preload too and are left alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/modelfiles.h"
#include "support/testutil.h"

namespace {

namespace fs = std::filesystem;
using ctvnl::opcode;

constexpr std::int32_t rows = 50'000;
constexpr std::int32_t cols = 10'000;
constexpr std::int32_t perrow = 20;  // 1,000,000 entries

// Row r holds perrow distinct columns; every tenth row is x_a * x_b plus linear terms.
// The start point breaks row 1 (an equation), so the stand-in BARON's search rejects
// each candidate at its first row.
barontest::modeldesc largemodel() {
  barontest::modeldesc d;
  d.cols.assign(cols, {.lower = 0, .upper = 100});
  d.rows.reserve(rows);
  for (std::int32_t r = 1; r <= rows; ++r) {
    barontest::rowdesc row{.type = r % 3, .rhs = 1.0 + r % 7};
    const bool nonlinear = r % 10 == 0;
    for (std::int32_t k = 0; k < perrow; ++k) {
      const std::int32_t c = (r * 7 + k * 503) % cols + 1;
      const bool inproduct = nonlinear && k < 2;
      row.terms.push_back({c, inproduct ? 0.0 : 0.5 + (r + k) % 9, inproduct});
    }
    if (nonlinear) {
      row.code = {barontest::ins(opcode::pushv, row.terms[0].col),
                  barontest::ins(opcode::mulv, row.terms[1].col)};
    }
    d.rows.push_back(std::move(row));
  }
  d.objvar = 1;
  return d;
}

// The stand-ins' environment with the watch preloaded and reporting into report for the
// program named exe. A sanitized build's run-time then does not come first among the
// libraries, which it must be told to accept.
std::vector<std::string> watchedenv(const std::string& exe, const std::string& report) {
  std::vector<std::string> env = testutil::standinenv();
  const char* asan = std::getenv("ASAN_OPTIONS");
  env.push_back("ASAN_OPTIONS=" + std::string(asan != nullptr ? asan : "") +
                (asan != nullptr && *asan != '\0' ? ":" : "") + "verify_asan_link_order=0");
  env.push_back("LD_PRELOAD=" THREADWATCH_PATH);
  env.push_back("THREADWATCH_EXE=" + exe);
  env.push_back("THREADWATCH_REPORT=" + report);
  return env;
}

std::string readreport(const std::string& report) {
  return fs::exists(report) ? testutil::read_file(report) : "";
}

// The watch sees a thread where there is one: the probe's, reported once.
TEST(OneThread, TheWatchSeesAThread) {
  testutil::tempdir dir;
  const std::string report = dir.file("threads.txt");
  const testutil::run_result r =
      testutil::run_program(THREADPROBE_PATH, {}, "", watchedenv("threadprobe", report));
  EXPECT_EQ(r.exit_code, 0);
  const std::string seen = readreport(report);
  EXPECT_EQ(seen.rfind("pthread_create in ", 0), 0U) << seen;
  EXPECT_EQ(seen.find('\n'), seen.size() - 1) << seen;
}

TEST(OneThread, ALargeModelInEveryLayoutRunsOnOneThread) {
  testutil::tempdir dir;
  const std::string base = dir.path().string();
  barontest::writemodel(largemodel(), base);
  struct layout {
    const char* digit;  // of scratchcopy; empty: the text files as written
    const char* why;
  };
  const layout layouts[] = {{"", "text"}, {"1", "binary layout 1"}, {"5", "data-exchange"}};
  for (const layout& l : layouts) {
    SCOPED_TRACE(l.why);
    std::string where = base;
    if (*l.digit != '\0') {
      where = base + "/layout" + l.digit;
      fs::create_directory(where);
      const testutil::run_result made = testutil::run_program(
          SCRATCHCOPY_PATH, {base + "/model.ctl", l.digit, where}, "", testutil::standinenv());
      ASSERT_EQ(made.exit_code, 0) << made.out;
    }
    const std::string report = dir.file(std::string("threads") + l.digit + ".txt");
    const testutil::run_result r = testutil::run_program(testutil::baronlink_path(), {"model.ctl"},
                                                         where, watchedenv("baronlink", report));
    EXPECT_EQ(r.exit_code, 0) << r.out;
    EXPECT_EQ(readreport(report), "");
    // The whole model went through BARON: loaded, written and read back by the stand-in.
    const std::string log = testutil::read_file(base + "/model.log");
    EXPECT_NE(log.find("BARON stand-in: mybaron.scr: 10000 variables, 50000 equations, minimize"),
              std::string::npos)
        << log.substr(0, 4000);
    fs::remove(base + "/model.log");
  }
}

}  // namespace
