// The whole chain of a local subproblem: the real binary writes BARON's input file and the
// map, the stand-in BARON loads the bridge named by "zolmlibname" from the system directory
// and has the fake local solver of the combined stand-in solve the model in BARON's order;
// its answer comes back through BARON's result files into the solution file. The fake
// solver's answers are documented in standins/README.md: for solver k of the table and
// model column c, level = start + c within the bounds, marginal 1000k + c; row r's marginal
// -(1000k + r).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "support/modelfiles.h"
#include "support/testutil.h"

namespace {

namespace fs = std::filesystem;
using barontest::minf;
using barontest::modeldesc;

// The records of the solution file (rows first, then columns): level and marginal.
struct record {
  double level = 0, marginal = 0;
};

std::vector<record> solutionrecords(const std::string& text) {
  std::vector<record> recs;
  std::istringstream in(text);
  int section = 0;  // head, records, tail
  for (std::string line; std::getline(in, line) && section < 2;) {
    std::istringstream fields(line);
    std::vector<std::string> f;
    for (std::string w; fields >> w;) f.push_back(w);
    if (section == 0 && f.size() == 2 && f[0] == "0") {
      section = 1;
    } else if (section == 1 && f.size() >= 4) {
      recs.push_back({std::stod(f[0]), std::stod(f[1])});
    } else if (section == 1 && f.size() == 2) {
      section = 2;
    }
  }
  return recs;
}

// A MINLP whose BARON order (b4, i2, x1, x3) differs from the model's: x1 continuous in
// [0, 100] starting at 0.5, i2 integer in [0, 50] starting at 3, x3 free starting at 0.25
// (the objective variable), b4 binary; e1: x1 + i2 + b4 =G= 1, e2: x3 - x1 - 2 i2 =E= 0.
modeldesc minlp() {
  modeldesc d;
  d.modeltype = ctvproc::proc_minlp;
  d.cols = {{.level = 0.5, .upper = 100},
            {.type = 2, .level = 3, .upper = 50},
            {.lower = minf, .level = 0.25},
            {.type = 1, .upper = 1}};
  d.rows = {{.type = 1, .rhs = 1, .terms = {{1, 1}, {2, 1}, {4, 1}}},
            {.type = 0, .rhs = 0, .terms = {{1, -1}, {2, -2}, {3, 1}}}};
  d.objvar = 3;
  d.objrow = 2;
  return d;
}

// A system directory of its own: the bridge beside the option and combined stand-ins and
// the option definitions.
void makesysdir(const fs::path& sysdir) {
  fs::create_directory(sysdir);
  for (const std::string& from :
       {std::string(BRIDGE_LIBRARY), testutil::standinlib() + "/libzlmopt64.so",
        testutil::standinlib() + "/libbrin64.so",
        testutil::source_dir() + "/examples/sysdir/optbaron.def"})
    fs::copy_file(from, sysdir / fs::path(from).filename());
}

// One run of baronlink on the MINLP with these options, its system directory made first
// (and then changed by `prepare`).
struct bridgerun {
  explicit bridgerun(const std::string& options,
                     const std::function<void(const fs::path&)>& prepare = {},
                     const std::vector<std::string>& faults = {}) {
    makesysdir(dir.path() / "sysdir");
    if (prepare) prepare(dir.path() / "sysdir");
    modeldesc d = minlp();
    d.options = options;
    d.sysdir = dir.file("sysdir") + "/";
    barontest::writemodel(d, dir.path().string());
    std::vector<std::string> env = testutil::standinenv();
#if defined(BL_ADDRESS_SANITIZER)
    // The sanitizer's dlopen hides the bridge's run path: name the system directory.
    env.back() += ":" + dir.file("sysdir");
#endif
    env.insert(env.end(), faults.begin(), faults.end());
    result =
        testutil::run_program(testutil::baronlink_path(), {"model.ctl"}, dir.path().string(), env);
    log = testutil::read_file(dir.file("model.log"));
  }
  testutil::tempdir dir;
  testutil::run_result result;
  std::string log;
};

TEST(BridgeRun, EveryColumnCarriesTheLocalSolversLevel) {
  struct row {
    std::string options;
    int number;  // that BARON asks for
    int solver;  // in the local solver table
    const char* why;
  };
  const row rows[] = {
      {"NLPSol 16\nExtMINLPsolver minlpsolvb\n", 101, 13, "the option file's MINLP solver"},
      {"NLPSol 16\n", 101, 12, "the default MINLP solver"},
      {"NLPSol 5\n", 5, 5, "solver 5 of the table"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const bridgerun run(r.options);
    EXPECT_EQ(run.result.exit_code, 0);
    ASSERT_EQ(testutil::read_file(run.dir.file("bavemap.scr")),
              "VARIABLES 4\n4\n2\n1\n3\nEQUATIONS 2\n1\n2\n");
    EXPECT_NE(run.log.find("BARON stand-in: local solver " + std::to_string(r.number) +
                           ": model status 2, solve status 1\n"),
              std::string::npos)
        << run.log;

    // A local solve proves no global optimum: BARON's model status 4, no bound beyond it.
    const std::string sol = testutil::read_file(run.dir.file("model.sol"));
    EXPECT_EQ(sol.substr(0, sol.find("\n3 ")), "1 1\n2 8") << "Integer Solution, not Optimal";
    EXPECT_NE(run.log.find("\nBest possible = -1E51\n"), std::string::npos) << run.log;

    const std::vector<record> recs = solutionrecords(sol);
    ASSERT_EQ(recs.size(), 6U) << run.log;
    // start + c: 0.5 + 1, 3 + 2, 0.25 + 3, and 0 + 4 held at b4's upper bound 1.
    const double levels[] = {1.5, 5, 3.25, 1};
    const double k = 1000.0 * r.solver;
    for (int c = 1; c <= 4; ++c) {
      SCOPED_TRACE("column " + std::to_string(c));
      const record& got = recs[static_cast<std::size_t>(2 + c - 1)];
      EXPECT_EQ(got.level, levels[c - 1]);
      EXPECT_EQ(got.marginal, k + c);
    }
    for (int i = 1; i <= 2; ++i)
      EXPECT_EQ(recs[static_cast<std::size_t>(i - 1)].marginal, -(k + i));
  }
}

// Without a usable bridge the stand-in says why in the log and answers with its own search,
// which finds no point that keeps e2: no solution reaches the solution file.
TEST(BridgeRun, AnUnusableBridgeLeavesBaronsOwnAnswer) {
  struct row {
    std::string options;
    std::function<void(const fs::path&)> prepare;
    std::vector<std::string> faults;
    std::string line;
    bool asks;  // for a solver of the modelling system
    const char* why;
  };
  const row rows[] = {
      {"NLPSol 16\n",
       [](const fs::path& s) { fs::remove(s / "libkorvasteps64.so"); },
       {},
       "BARON stand-in: local solver 101: cannot load ",
       true,
       "no bridge in the system directory"},
      {"NLPSol 7\n",
       {},
       {"BRIN_REFUSE_API=1"},
       "BARON stand-in: local solver 7: baronzolm_init answered 1\n",
       true,
       "the combined library refuses the bridge"},
      {"NLPSol 2\n",
       {},
       {},
       "BARON stand-in: 1001 candidates, none feasible\n",
       false,
       "NLPSol 2: BARON's own solver"},
      {"NLPSol 17\n",
       {},
       {},
       "BARON stand-in: 1001 candidates, none feasible\n",
       false,
       "NLPSol 17: BARON's own solver"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const bridgerun run(r.options, r.prepare, r.faults);
    EXPECT_EQ(run.result.exit_code, 0);
    EXPECT_NE(run.log.find(r.line), std::string::npos) << run.log;
    EXPECT_NE(run.log.find("BARON stand-in: barstatus 1, model status 5\n"), std::string::npos)
        << run.log;
    EXPECT_EQ(run.log.find("BARON stand-in: local solver") != std::string::npos, r.asks);
  }
}

// The previous run's map (here in the model's own order, not BARON's) must never be read as
// this run's. A map that the run's user may not write is replaced; when the new map cannot be
// written at all (refused at its opening, or cut by a full disk: made so by the preloaded
// library, for the root user too) no map is left, the bridge refuses the run with its message
// and BARON answers with its own search.
TEST(BridgeRun, APreviousRunsMapIsNeverReadAsThisRunsMap) {
  const std::string stale = "VARIABLES 4\n1\n2\n3\n4\nEQUATIONS 2\n1\n2\n";
  const std::string fresh = "VARIABLES 4\n4\n2\n1\n3\nEQUATIONS 2\n1\n2\n";
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::string asanoptions = "ASAN_OPTIONS=" + std::string(asan != nullptr ? asan : "") +
                                  (asan != nullptr && *asan != '\0' ? ":" : "") +
                                  "verify_asan_link_order=0";
  struct row {
    std::string mode;  // of the preloaded library; empty: not preloaded
    std::string logged;
    const char* why;
  };
  const row rows[] = {
      {"", "", "a read-only map of an earlier run is replaced"},
      {"open", "*** RC=13 Permission denied\n", "the new map cannot be opened"},
      {"write", "/bavemap.scr\n", "the new map cannot be written"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    std::vector<std::string> faults;
    if (!r.mode.empty())
      faults = {asanoptions, "LD_PRELOAD=" WRITEFAULT_PATH, "WRITEFAULT_NAME=bavemap.scr",
                "WRITEFAULT_MODE=" + r.mode};
    const bridgerun run(
        "NLPSol 16\n",
        [&](const fs::path& sysdir) {
          const fs::path map = sysdir.parent_path() / "bavemap.scr";
          testutil::write_file(map.string(), stale);
          fs::permissions(map,
                          fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        },
        faults);
    EXPECT_EQ(run.result.exit_code, 0);
    const std::string sol = testutil::read_file(run.dir.file("model.sol"));
    if (r.mode.empty()) {
      EXPECT_EQ(testutil::read_file(run.dir.file("bavemap.scr")), fresh);
      EXPECT_NE(run.log.find("BARON stand-in: local solver 101: model status 2, solve status 1\n"),
                std::string::npos)
          << run.log;
      EXPECT_EQ(sol.substr(0, sol.find("\n3 ")), "1 1\n2 8");
      continue;
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(run.dir.file("bavemap.scr"))));
    EXPECT_NE(run.log.find("*** Could not write "), std::string::npos) << run.log;
    EXPECT_NE(run.log.find(r.logged), std::string::npos) << run.log;
    EXPECT_NE(run.log.find("BARON stand-in: local solver 101: baronzolm_init answered 1\n"),
              std::string::npos)
        << run.log;
    EXPECT_NE(run.log.find("BARON stand-in: barstatus 1, model status 5\n"), std::string::npos)
        << run.log;
    EXPECT_EQ(sol.substr(0, sol.find("\n3 ")), "1 1\n2 14") << run.log;
  }
}

}  // namespace
