// BARON's results read back: the real binary runs small models through the stand-in BARON,
// whose scenario file chooses the codes and texts of its result files; the solution file,
// the log and the status file are checked.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bindings/vrkdcdef.h"
#include "support/endlessfifo.h"
#include "support/modelfiles.h"
#include "support/testutil.h"

namespace {

namespace fs = std::filesystem;
using barontest::coldesc;
using barontest::examplemodel;
using barontest::ins;
using barontest::minf;
using barontest::modeldesc;
using barontest::pinf;
using barontest::rowdesc;
using ctvnl::opcode;

// The solution file in the text layout: head items, records (level, marginal, basis,
// status), tail items.
struct solution {
  std::map<int, std::string> head;
  std::vector<std::vector<std::string>> records;
  std::map<int, std::string> tail;
  [[nodiscard]] std::string status() const {
    return head.count(1) && head.count(2) ? head.at(1) + "/" + head.at(2) : "(none)";
  }
};

solution readsolution(const std::string& text) {
  solution s;
  std::istringstream in(text);
  std::string line;
  int section = 0;  // head, records, tail
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<std::string> f;
    for (std::string w; fields >> w;) f.push_back(w);
    if (section == 0) {
      if (f.size() == 2 && f[0] == "0") {
        section = 1;
      } else if (f.size() == 2) {
        s.head[std::stoi(f[0])] = f[1];
      }
    } else if (section == 1 && f.size() >= 4) {
      s.records.push_back(f);
    } else if (f.size() == 2) {
      section = 2;
      if (f[0] == "0") break;
      s.tail[std::stoi(f[0])] = f[1];
    }
  }
  return s;
}

// One run of baronlink on a model written into a fresh folder, the stand-in BARON answering
// by the scenario.
struct resultrun {
  resultrun(const modeldesc& d, const std::string& scenario,
            const std::function<void(const testutil::tempdir&)>& before = {},
            const std::vector<std::string>& moreenv = {}) {
    barontest::writemodel(d, dir.path().string());
    testutil::write_file(dir.file("scenario.txt"), scenario);
    if (before) before(dir);
    std::vector<std::string> env = testutil::standinenv();
    env.push_back("BARON_STANDIN_SCENARIO=" + dir.file("scenario.txt"));
    env.insert(env.end(), moreenv.begin(), moreenv.end());
    result =
        testutil::run_program(testutil::baronlink_path(), {"model.ctl"}, dir.path().string(), env);
    log = file("model.log");
    sta = file("model.sta");
    sol = readsolution(file("model.sol"));
  }
  std::string file(const std::string& name) const {
    return fs::exists(dir.file(name)) ? testutil::read_file(dir.file(name)) : "(missing)";
  }
  // The run ended normally with this status and these log lines; a run that read no
  // optimal answer carries no solution records.
  void expectoutcome(const std::string& status, const std::vector<std::string>& lines) const {
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(sol.status(), status);
    expectlines(log, lines);
    if (status != "1/1") {
      EXPECT_TRUE(sol.records.empty());
    }
  }
  // Every expected line is a whole line of text ("@DIR@" stands for the run's folder).
  void expectlines(const std::string& text, const std::vector<std::string>& lines) const {
    for (std::string l : lines) {
      for (std::size_t at; (at = l.find("@DIR@")) != std::string::npos;)
        l.replace(at, 5, dir.path().string());
      EXPECT_NE(("\n" + text).find("\n" + l + "\n"), std::string::npos)
          << "missing line: " << l << "\n"
          << text;
    }
  }
  void expectnoline(const std::string& text, const std::string& start) const {
    EXPECT_EQ(("\n" + text).find("\n" + start), std::string::npos)
        << "unexpected: " << start << "\n"
        << text;
  }
  // Level, marginal, basis and status of record k (rows first, then columns; from 1).
  [[nodiscard]] std::string record(std::size_t k) const {
    if (k == 0 || k > sol.records.size()) return "(none)";
    const auto& r = sol.records[k - 1];
    return r[0] + " " + r[1] + " " + r[2] + " " + r[3];
  }
  testutil::tempdir dir;
  testutil::run_result result;
  std::string log, sta;
  solution sol;
};

// The same rows named e(i1), e(i2) and the columns x(i1), x(i2), x(i3).
constexpr const char* dictionary =
    "label i1\nlabel i2\nlabel i3\n"
    "symbol x 5 1 \"the variables\"\nsymbol e 6 1 \"the equations\"\n"
    "row e i1\nrow e i2\ncol x i1\ncol x i2\ncol x i3\n";

// A linear model: x1 + x2 =G= 1, x1, x2 in [0, 10]; objective row x3 = x1 + x2.
modeldesc lpmodel() {
  modeldesc d;
  d.modeltype = ctvproc::proc_lp;
  d.cols = {{.upper = 10}, {.upper = 10}, {.lower = minf}};
  d.rows = {{.type = 1, .rhs = 1, .terms = {{1, 1}, {2, 1}}},
            {.type = 0, .rhs = 0, .terms = {{3, 1}, {1, -1}, {2, -1}}}};
  d.objvar = 3;
  d.objrow = 2;
  return d;
}

// The status mapping: BARON's codes, the gap report and the special cases.
TEST(BaronResults, StatusMapping) {
  struct row {
    std::string scenario;
    std::string status;
    std::vector<std::string> lines;
    const char* why;
    std::function<void(modeldesc&)> tweak = nullptr;
    bool logonly = false;  // the lines go to the log alone
  };
  const std::string sol1 = "solution 1 1 1 1\n";
  const std::vector<row> rows = {
      {sol1,
       "1/1",
       {"Solution      = 1  found at node 7", "Best possible = 1",
        "Relative gap  = 0  optcr = 0.0001"},
       "barstatus 1, gap closed"},
      {sol1 + "barstatus 2\n", "4/1", {}, "barstatus 2"},
      {sol1 + "barstatus 3\n", "2/1", {}, "barstatus 3"},
      {sol1 + "barstatus 4\n", "3/1", {}, "barstatus 4"},
      {sol1 + "barstatus 5\n",
       "1/1",
       {"--- Numerical difficulties in final local search"},
       "barstatus 5"},
      {sol1 + "barstatus 6\n", "8/1", {}, "barstatus 6"},
      {sol1 + "barstatus 7\n", "10/1", {}, "barstatus 7"},
      {sol1 + "barstatus 8\n",
       "10/1",
       {"*** BARON development exit barstatus=8", "*** report to support@baronlink.example"},
       "barstatus 8"},
      {sol1 + "barstatus 9\n",
       "4/1",
       {"*** terminated by BARON barstatus=9", "*** inspect listing file carefully"},
       "barstatus 9"},
      {sol1 + "barstatus 10\n",
       "10/1",
       {"*** BARON syntax errors barstatus=10", "*** report to support@baronlink.example"},
       "barstatus 10"},
      {sol1 + "barstatus 12\n", "1/1", {}, "barstatus 12"},
      {sol1 + "barstatus 11\n",
       "10/1",
       {"*** unknown barstatus code= 11 on @DIR@/sum.scr file"},
       "an unknown barstatus"},
      {sol1 + "barstatus x\n",
       "10/1",
       {"*** could not extract Baron Status code"},
       "barstatus not a number: 7"},
      {sol1 + "modelstatus 2\n", "1/19", {}, "infeasible"},
      {sol1 + "modelstatus 3\nnodeopt 12\n",
       "1/3",
       {"Problem found to be unbounded."},
       "unbounded"},
      {sol1 + "modelstatus 4\nlower 0.5\n",
       "1/2",
       {"Solution      = 1  found at node 7", "Best possible = 0.5"},
       "modelstatus 4: gap open, duals"},
      {sol1 + "modelstatus 4\nlower 0.5\nduals none\n",
       "1/7",
       {},
       "modelstatus 4: gap open, no duals"},
      {sol1 + "modelstatus 5\nmissingbnd 1\n",
       "1/14",
       {"*** Bounds too wide - model status uncertain"},
       "no solution, bounds too wide"},
      {sol1 + "modelstatus 5\nbarstatus 4\n",
       "8/1",
       {"*** Time or user interrupt, gap calculations",
        "*** are invalid because of an incomplete solution."},
       "interrupted"},
      {sol1 + "modelstatus 5\nbarstatus 10\n",
       "10/14",
       {"*** no solution found barstatus=10"},
       "syntax errors"},
      {sol1 + "modelstatus 5\nbarstatus 3\n", "2/12", {"*** no solution found"}, "no solution"},
      {sol1 + "modelstatus 6\n", "1/13", {}, "modelstatus 6: the candidate"},
      {sol1 + "modelstatus 0\n",
       "1/12",
       {"*** unknown modelstatus code= 0 on @DIR@/sum.scr file"},
       "modelstatus 0"},
      {sol1 + "modelstatus 7\n",
       "1/12",
       {"*** unknown modelstatus code= 7 on @DIR@/sum.scr file"},
       "modelstatus 7"},
      {sol1 + "modelstatus x\n",
       "1/14",
       {"*** could not extract Model Status code"},
       "modelstatus not a number: 5"},
      {sol1 + "lower 0.5\n",
       "1/2",
       {"Absolute gap  = 0.5  optca = 1E-6", "Relative gap  = 0.5  optcr = 0.0001"},
       "gap open with duals"},
      {sol1 + "lower 0.5\nduals none\n", "1/7", {}, "gap open without duals"},
      {sol1 + "lower -1\n",
       "1/2",
       {"Best possible = -1", "Relative gap  = NA  optcr = 0.0001"},
       "bounds of different sign"},
      {"solution 10 1 10 10\nlower 9.99999999\n", "1/1", {}, "relative gap below 2e-9"},
      {"solution 2 1 2 2\nlower 1\n",
       "1/8",
       {},
       "discrete, gap open",
       [](modeldesc& d) {
         d.modeltype = ctvproc::proc_minlp;
         d.cols[1] = {.type = 1, .upper = 1};
       }},
      {"solution 2 1 2 2\nlower 1\n",
       "1/2",
       {},
       "relaxed discrete, gap open",
       [](modeldesc& d) {
         d.modeltype = ctvproc::proc_minlp;
         d.cols[1] = {.type = 1, .upper = 1};
         d.relaxed = true;
       }},
      {"solution 2 1 1 2\nlower 1\nmodelstatus 1\n",
       "1/1",
       {"Absolute gap  = 0  optca = 1E-6", "Best possible = 2"},
       "LP: no gap",
       [](modeldesc& d) {
         d.modeltype = lpmodel().modeltype, d.cols = lpmodel().cols, d.rows = lpmodel().rows;
       }},
      {sol1,
       "1/2",
       {"***", "*** Option bounds - solution may not be global"},
       "option bounds changed",
       [](modeldesc& d) {
         d.dictionary = dictionary;
         d.options += "x.up(i1) 3\n";
       }},
      {sol1 + "missingbnd 1\nmodelstatus 5\nbarstatus 4\n",
       "8/2",
       {"*** Bounds too wide - solution may not be global"},
       "missing bounds"},
      {sol1 + "missingbnd -1\nmodelstatus 5\nbarstatus 4\n",
       "8/2",
       {"*** Bounds were not checked - solution may not be global"},
       "bounds not checked"},
      {sol1 + "missingbnd -5\nmodelstatus 5\nbarstatus 4\n",
       "8/2",
       {"*** Unexpected missingbounds code - solution may not be global"},
       "unexpected missingbounds"},
      {sol1 + "nodeopt -3\n",
       "3/14",
       {"*** No solution found - further Baron post processing aborted"},
       "nodeopt -3"},
      {sol1 + "nodeopt -2\n",
       "1/1",
       {"Solution      = 1  initial point is best found"},
       "nodeopt -2"},
      {sol1 + "nodeopt -1\n",
       "1/1",
       {"Solution      = 1  best solution found during preprocessing"},
       "nodeopt -1"},
      {sol1 + "nodeopt 12\n", "1/1", {"Solution      = 1  found at node 12"}, "nodeopt 12"},
      {sol1 + "nodeopt n\n",
       "1/1",
       {"*** nodeopt decodong error"},
       "nodeopt not a number",
       nullptr,
       true},
      {sol1 + "barstatus 4\nmodelstatus 5\nomit sum\n",
       "3/14",
       {"*** Time limit exceeded in parsing phase."},
       "time limit while parsing"},
      {sol1 + "barstatus 4\nmodelstatus 5\nomit sum\nomit res\n",
       "10/12",
       {"*** Time limit exceeded in parsing phase.", "*** could not open file @DIR@/res.scr"},
       "time limit while parsing, no res file"},
      {sol1 + "barstatus 10\nomit sum\n", "10/1", {}, "syntax errors: no sum file, no line"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    modeldesc d = examplemodel();
    d.options = "EpsA 1e-6\nEpsR 0.0001\n";
    if (r.tweak) r.tweak(d);
    const std::string scenario =
        r.scenario.find("nodeopt") == std::string::npos ? r.scenario + "nodeopt 7\n" : r.scenario;
    const resultrun run(d, scenario);
    EXPECT_EQ(run.result.exit_code, 0);
    EXPECT_EQ(run.sol.status(), r.status);
    run.expectlines(run.log, r.lines);
    for (const std::string& l : r.lines) {
      if (!r.logonly) run.expectlines(run.sta, {"=C" + l});
    }
    // The gap report ran when a solution was read: head item 5 is the objective's level
    // (each scenario's objective variable holds the solution's objective).
    const std::string model = r.status.substr(r.status.find('/') + 1);
    const bool reported =
        model == "1" || model == "2" || model == "3" || model == "7" || model == "8";
    const std::string objective = scenario.substr(9, scenario.find(' ', 9) - 9);
    EXPECT_EQ(run.sol.head.at(5), reported ? objective : "2E300");
    EXPECT_EQ(run.sol.head.at(3), reported ? "0" : "2E300");
  }
}

TEST(BaronResults, CnsAndPhaseOne) {
  {
    SCOPED_TRACE("CNS solved: model status 16, objective 0");
    modeldesc d = examplemodel();
    d.modeltype = ctvproc::proc_cns;
    d.objvar = 0;
    d.objrow = 0;
    d.cols = {{.lower = minf}, {}};
    d.rows = {{.type = 2,
               .rhs = 4,
               .terms = {{1, 0, true}, {2, 0, true}},
               .code = {ins(opcode::pushv, 1), ins(opcode::mulv, 2)}},
              {.type = 0, .rhs = 1, .terms = {{1, 1}}}};
    const resultrun run(d, "solution 0 1 2\nbarstatus 1\nmodelstatus 1\nnodeopt 1\n");
    EXPECT_EQ(run.sol.status(), "1/16");
    EXPECT_EQ(run.sol.head.at(5), "0");
  }
  // Phase one: x1 + x2 =G= 5 and x1 =L= 1 with x2 in [0, 1] cannot both hold.
  modeldesc d;
  d.cols = {{.upper = 10}, {.upper = 1}, {.lower = minf}};
  d.rows = {{.type = 1, .rhs = 5, .terms = {{1, 1}, {2, 1}}},
            {.type = 2, .rhs = 1, .terms = {{1, 1}}},
            {.type = 0, .rhs = 0, .terms = {{3, 1}, {1, -1}}}};
  d.objvar = 3;
  d.objrow = 3;
  d.options = "PhaseOne 1\n";
  {
    SCOPED_TRACE("phase one with objective 3: infeasible, violated rows marked");
    const resultrun run(d, "solution 3 1 1 1 3 0 0 0\nbarstatus 1\nmodelstatus 1\nnodeopt 1\n");
    EXPECT_EQ(run.sol.status(), "1/4");
    EXPECT_EQ(run.sol.head.at(5), "3");
    run.expectlines(run.sta, {"=C**** This is the PhaseOne solution ****"});
    EXPECT_EQ(run.record(1), "2 0 2 2") << "x1 + x2 = 2 < 5";
    EXPECT_EQ(run.record(2), "1 0 2 0") << "x1 = 1 holds";
    EXPECT_EQ(run.record(3), "0 0 2 0") << "the objective row at its right-hand side";
  }
  {
    SCOPED_TRACE("phase one at 0: feasible, nothing marked");
    const resultrun run(d, "solution 0 1 1 1 0 0 0 0\nbarstatus 1\nmodelstatus 1\nnodeopt 1\n");
    EXPECT_EQ(run.sol.status(), "1/7");
  }
}

// A maximisation: BARON's first tim bound is the solution, the second the best possible.
TEST(BaronResults, MaximisationSwapsTheTimBounds) {
  modeldesc d = examplemodel();
  d.maximize = true;
  const resultrun run(d, "solution 5 1 1 5\nlower 5\nupper 6\nnodeopt 3\nmodelstatus 1\n");
  EXPECT_EQ(run.sol.status(), "1/2");
  run.expectlines(run.log, {"Solution      = 5  found at node 3", "Best possible = 6",
                            "Absolute gap  = 1  optca = 1E-6"});
  run.expectlines(run.sta, {" zlbest     = 6", " zub        = 5"});
  EXPECT_EQ(run.sol.tail.at(5), "6");
}

TEST(BaronResults, TimesAndIterations) {
  struct row {
    std::string options;
    std::string scenario;
    std::string time;
    std::string iterations;
    const char* why;
  };
  const row rows[] = {
      {"", "cputime 0.5\nwalltime 0.7\nitera 10\n", "0.7", "10", "wall clock: token 15"},
      {"ClockType cpu\n", "cputime 0.5\nwalltime 0.7\n", "0.5", "0", "cpu clock: token 14"},
      {"ClockType baron\nThreads 1\n", "cputime 0.5\nwalltime 0.7\n", "0.5", "0",
       "BARON's clock, one thread"},
      {"ClockType baron\nThreads 2\n", "cputime 0.5\nwalltime 0.7\n", "0.7", "0",
       "BARON's clock, two threads"},
      {"", "itera -5\n", "0.02", "0", "a negative iteration count"},
      {"", "walltime 1.5D+01\n", "15", "0", "a D exponent"},
  };
  // The scenario gives the solution, so the stand-in evaluates no candidate: itera 0.
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    modeldesc d = examplemodel();
    d.options = r.options;
    const resultrun run(d, "solution 1 1 1 1\n" + r.scenario);
    EXPECT_EQ(run.sol.head.at(4), r.time);
    EXPECT_EQ(run.sol.tail.at(1), r.iterations);
  }
}

// x1 continuous, x2 binary, x3 free: BARON declares the binary first (b2, x1, x3).
modeldesc minlpmodel() {
  modeldesc d = examplemodel();
  d.modeltype = ctvproc::proc_minlp;
  d.cols[1] = {.type = 1, .upper = 1};
  return d;
}

// Reads the column records of a per-solution file through the data-exchange library.
std::vector<std::array<double, 5>> readvrk(const std::string& file) {
  std::vector<std::array<double, 5>> recs;
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  if (!vrkdcdef::vrkcreated(h, testutil::standinlib(), msg)) {
    ADD_FAILURE() << msg.view();
    return recs;
  }
  std::int32_t err = -1, sym = -1, count = 0, dimfirst = 0;
  (void)vrkdcdef::vrkopenread(h, q5rt::sstr::cut(file), err);
  EXPECT_EQ(err, 0) << file;
  (void)vrkdcdef::vrkfindsymbol(h, q5rt::sstr::cut("x"), sym);
  (void)vrkdcdef::vrkdatareadrawstart(h, sym, count);
  std::int32_t keys[20] = {};
  std::array<double, 5> v{};
  while (vrkdcdef::vrkdatareadraw(h, keys, v.data(), dimfirst) != 0) recs.push_back(v);
  (void)vrkdcdef::vrkdatareaddone(h);
  (void)vrkdcdef::vrkclose(h);
  vrkdcdef::vrkfree(h);
  return recs;
}

TEST(BaronResults, SolutionsInBaronsOrder) {
  modeldesc d = minlpmodel();
  d.dictionary = dictionary;
  d.options = "SolPrefix sol\n";
  const resultrun run(
      d, "solution 3 0 3 3\nsolution 2 1 2 2\nsolution 0.5 1 0.5 0.5\nmodelstatus 1\nnodeopt 1\n");
  EXPECT_EQ(run.sol.status(), "1/1");
  run.expectlines(run.log, {"--- Solution 1 = 3", "--- Solution 2 = 2", "--- Solution 3 = 0.5",
                            "--- Writing solution to sol1.vrk", "--- Writing solution to sol3.vrk",
                            "Solution      = 0.5  "});
  EXPECT_EQ(run.record(3), "0.5 0 2 0") << "x1 from BARON's second place";
  EXPECT_EQ(run.record(4), "1 0 3 0") << "the binary from BARON's first place";
  EXPECT_EQ(run.record(5), "0.5 0 2 0");
  EXPECT_EQ(run.sol.head.at(5), "0.5");
  const double levels[3][3] = {{3, 0, 3}, {2, 1, 2}, {0.5, 1, 0.5}};
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k + 1);
    const auto recs = readvrk(run.dir.file("sol" + std::to_string(k + 1) + ".vrk"));
    ASSERT_EQ(recs.size(), 3U);
    for (int j = 0; j < 3; ++j) EXPECT_EQ(recs[static_cast<std::size_t>(j)][0], levels[k][j]);
    EXPECT_EQ(recs[1][3], 1) << "the binary's upper bound";
  }
}

TEST(BaronResults, ValuesInBaronsNumberForms) {
  struct row {
    std::string scenario;
    std::vector<std::string> records;  // columns 1..3
    std::vector<std::string> lines;
    const char* why;
  };
  const std::vector<row> rows = {
      {"solution 1 1.5D+00 .5 1d-300\n",
       {"1.5 0 2 0", "0.5 0 2 0", "1E-300 0 2 0"},
       {},
       "D exponents, a leading dot, three exponent digits"},
      {"solution 1 1 abc 1\n",
       {"1 0 2 0", "99999 0 2 0", "1 0 2 0"},
       {"*** bad variable primal on @DIR@/res.scr file: abc"},
       "a bad primal value"},
      {"solution 1 1 1 1\nvardual 0 zz 0\n",
       {"1 0 2 0", "1 2E300 3 0", "1 0 2 0"},
       {"*** bad variable dual on @DIR@/res.scr file: zz"},
       "a bad variable dual"},
      {"solution 1 1 1 1\nequdual zz 0\n",
       {"1 0 2 0", "1 0 2 0", "1 0 2 0"},
       {"*** bad equation dual on @DIR@/res.scr file: zz"},
       "a bad equation dual"},
      {"solution 1 1 1 1\nray 0 q 2\n",
       {"1 0 2 0", "1 0 2 0", "1 0 2 3"},
       {"*** bad variable ray on @DIR@/res.scr file: q"},
       "a bad ray value: 0"},
      {"solution 1 1 1 1\nform block\nresline x2 0 abc 1\n",
       {"1 0 3 0", "99999 0 3 0", "1 0 3 0"},
       {"*** bad value field abc"},
       "a bad value in the block"},
      {"solution 1 1 1 1\nform list\nresline\nresline zzz\n",
       {"1 0 2 0", "1 0 2 0", "1 0 2 0"},
       {},
       "lines after the list are not read"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const resultrun run(examplemodel(), r.scenario + "modelstatus 1\nnodeopt 1\n");
    EXPECT_EQ(run.sol.status().substr(0, 2), "1/");
    for (std::size_t j = 0; j < r.records.size(); ++j)
      EXPECT_EQ(run.record(3 + j), r.records[j]) << "column " << j + 1;
    run.expectlines(run.log, r.lines);
  }
}

TEST(BaronResults, Duals) {
  {
    SCOPED_TRACE("marginals, basis 2 for zero duals of continuous columns and rows, a ray");
    const resultrun run(examplemodel(),
                        "solution 1 1 1 1\nvardual 0 2 0\nequdual 3 0\nray 0 1 0\nmodelstatus 1\n");
    EXPECT_EQ(run.record(1), "1 3 3 0");
    EXPECT_EQ(run.record(2), "0 0 2 0");
    EXPECT_EQ(run.record(3), "1 0 2 0");
    EXPECT_EQ(run.record(4), "1 2 3 3") << "the ray marks the column";
    EXPECT_EQ(run.sol.head.at(9), "1");
  }
  {
    SCOPED_TRACE("no dual section: NA everywhere, head item 9 says so");
    const resultrun run(examplemodel(), "solution 1 1 1 1\nduals none\nmodelstatus 1\nlower 0\n");
    EXPECT_EQ(run.sol.status(), "1/7");
    EXPECT_EQ(run.record(1), "1 2E300 3 0");
    EXPECT_EQ(run.record(2), "0 2E300 3 0");
    EXPECT_EQ(run.record(4), "1 2E300 3 0");
    EXPECT_EQ(run.sol.head.at(9), "0");
  }
  {
    SCOPED_TRACE(
        "the reformulated objective: its level from the objective, its row's marginal "
        "1/coefficient");
    modeldesc d = examplemodel();
    d.reformulate = true;
    d.rows[1].terms = {{3, 2}, {1, -1}};  // 2 x3 - x1 = 0
    const resultrun run(d, "solution 0.5 1 1\nmodelstatus 1\n");
    EXPECT_EQ(run.sol.status(), "1/1");
    EXPECT_EQ(run.record(2), "0 0.5 3 0");
    EXPECT_EQ(run.record(5), "0.5 0 2 0");
    EXPECT_EQ(run.sol.head.at(5), "0.5");
  }
  {
    SCOPED_TRACE("a relaxation-only row has no place in BARON's order: each dual on its own row");
    modeldesc d = examplemodel();
    d.dictionary = dictionary;
    d.options = "e.equclass(i1) 1\n";
    const resultrun run(d, "solution 1 1 1 1\nequdual 7\nmodelstatus 1\n");
    EXPECT_EQ(run.record(1), "1 0 2 0") << "relaxation only";
    EXPECT_EQ(run.record(2), "0 7 3 0");
  }
}

TEST(BaronResults, IisWithDictionary) {
  modeldesc d = examplemodel();
  d.dictionary = dictionary;
  d.cols = {{.lower = -5, .upper = 5}, {.upper = 5}, {.lower = 2, .upper = 2}};
  const resultrun run(
      d,
      "solution 1 1 1 1\nmodelstatus 2\niisrow e1 Upper\niisrow e2 Both\niisrow e9 Lower\n"
      "iiscol x1 Both\niiscol x2 Upper\niiscol x3 Both\niiscol x1 Lower\niiscol b7 Upper\n");
  EXPECT_EQ(run.sol.status(), "1/19");
  EXPECT_TRUE(run.sol.records.empty());
  run.expectlines(
      run.sta,
      {"=CAn IIS is a set equations and variables (i.e., a submodel) which is",
       "=Cvalues of the CompIIS option in BARON.", "=CNumber of equations in the IIS:  3.",
       "=CUpper: e(i1) <= 4", "=CBoth: e(i2) = 0", "=CLower: ???e9",
       "=CNumber of variables in the IIS:  5.", "=CBoth: x(i1) >= -5 and x(i1) <= 5",
       "=CUpper: x(i2) <= 5", "=CBoth: x(i3) = 2", "=CLower: x(i1) >= -5", "=CUpper: ???x7"});
  {
    SCOPED_TRACE("without a dictionary the IIS is not reported");
    const resultrun bare(examplemodel(), "solution 1 1 1 1\nmodelstatus 2\niisrow e1 Upper\n");
    EXPECT_EQ(bare.sol.status(), "1/19");
    bare.expectlines(bare.log, {"*** Could not extract solution on @DIR@/res.scr file"});
    bare.expectnoline(bare.sta, "=CNumber of equations");
  }
}

// Six rows log(x1) =L= 10 at x1 = -1 and a row x2 - x3 =E= 0 at 1e-16: five error lines,
// one line per row, the tiny level written 0.
TEST(BaronResults, RowLevelsAndEvaluationErrors) {
  modeldesc d;
  d.cols = {{.lower = minf}, {.lower = minf}, {.lower = minf}, {.lower = minf}};
  for (int k = 0; k < 6; ++k) {
    d.rows.push_back({.type = 2,
                      .rhs = 10,
                      .terms = {{1, 0, true}},
                      .code = {ins(opcode::pushv, 1), ins(opcode::callarg1, 11)}});
  }
  d.rows.push_back({.type = 0, .rhs = 0, .terms = {{2, 1}, {3, -1}}});
  d.rows.push_back({.type = 0, .rhs = 0, .terms = {{4, 1}, {1, -1}}});
  d.objvar = 4;
  d.objrow = 8;
  const std::string scenario = "solution -1 -1 1e-16 0 -1\nmodelstatus 1\nbarstatus 1\nnodeopt 1\n";
  for (const bool named : {true, false}) {
    SCOPED_TRACE(named ? "rows named from the dictionary" : "rows by number");
    modeldesc m = d;
    if (named) {
      m.dictionary =
          "label r1\nlabel r2\nlabel r3\nlabel r4\nlabel r5\nlabel r6\nlabel r7\nlabel r8\n"
          "symbol x 5 1\nsymbol g 6 1\n"
          "row g r1\nrow g r2\nrow g r3\nrow g r4\nrow g r5\nrow g r6\nrow g r7\nrow g r8\n"
          "col x r1\ncol x r2\ncol x r3\ncol x r4\n";
    }
    const resultrun run(m, scenario);
    std::size_t errors = 0, rows = 0;
    for (std::size_t at = 0; (at = run.log.find("*** Evaluation error: ", at)) != std::string::npos;
         ++at)
      ++errors;
    for (std::size_t at = 0;
         (at = run.log.find("*** Error evaluating equation ", at)) != std::string::npos; ++at)
      ++rows;
    EXPECT_EQ(errors, 5U);
    EXPECT_EQ(rows, 6U);
    run.expectlines(run.log, {named ? "*** Error evaluating equation g(r6) in solution reported by "
                                      "BARON, see previous line(s) for details."
                                    : "*** Error evaluating equation 6 in solution reported by "
                                      "BARON, see previous line(s) for details."});
    EXPECT_EQ(run.record(7).substr(0, 2), "0 ") << "1e-16 is written 0";
    EXPECT_EQ(run.record(8).substr(0, 2), "0 ");
  }
}

// Levels within the double range whose row level lies beyond it (x1 * x2 and x3 - x1 of the
// example model): an evaluation error of the row, its level not available, never an
// infinity in the solution file.
TEST(BaronResults, RowLevelsBeyondTheDoubleRange) {
  struct row {
    std::string levels;  // x1 x2 x3
    std::vector<std::string> rowrecords;
    std::vector<std::string> lines;
    const char* why;
  };
  const std::string overflow = "*** Evaluation error: row level beyond the double range";
  const std::string error = "*** Error evaluating equation ";
  const std::string after = " in solution reported by BARON, see previous line(s) for details.";
  const std::vector<row> rows = {
      {"1e200 1e200 1",
       {"2E300 0 2 0", "-1E200 0 2 0"},
       {overflow, error + "1" + after},
       "the product of the nonlinear row"},
      {"-1e308 1 1e308",
       {"-1E308 0 2 0", "2E300 0 2 0"},
       {overflow, error + "2" + after},
       "the difference of the linear row"},
      {"1.5e308 1.5 0", {"2E300 0 2 0", "-1.5E308 0 2 0"}, {overflow}, "just beyond"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const resultrun run(examplemodel(), "solution 1 " + r.levels + "\nmodelstatus 1\nnodeopt 1\n");
    EXPECT_EQ(run.sol.status(), "1/1");
    for (std::size_t i = 0; i < r.rowrecords.size(); ++i)
      EXPECT_EQ(run.record(i + 1), r.rowrecords[i]) << "row " << i + 1;
    run.expectlines(run.log, r.lines);
    const std::string sol = run.file("model.sol");
    for (const char* word : {"Inf", "Nan"}) EXPECT_EQ(sol.find(word), std::string::npos) << sol;
  }
}

// Broken or missing result files: a clear line, a defined status, exit code 0, never an
// earlier run's answer.
TEST(BaronResults, BrokenResultFiles) {
  const std::string good = "solution 1 1 1 1\nmodelstatus 1\nnodeopt 1\n";
  std::string res, block;
  {
    const resultrun whole(examplemodel(), good);
    res = whole.file("res.scr");
    const resultrun blockonly(examplemodel(), good + "form block\n");
    block = blockonly.file("res.scr");
  }
  const auto after = [](const std::string& text, const std::string& mark, const std::string& then) {
    const std::size_t at = text.find(then, text.find(mark));
    EXPECT_NE(at, std::string::npos) << mark << " " << then;
    return std::to_string(at + 1);
  };
  const std::string notextracted = "*** Could not extract solution on @DIR@/res.scr file";
  struct row {
    std::string scenario;
    std::string status;
    std::vector<std::string> lines;
    const char* why;
    bool stale = false;
  };
  const std::vector<row> rows = {
      {"omit tim\n", "10/12", {"*** could not open file @DIR@/tim.scr"}, "no tim file"},
      {"empty tim\n",
       "10/12",
       {"*** could not extract Baron Status code", "*** could not extract Model Status code"},
       "an empty tim file"},
      {"tim mybaron.scr 0 0 0 0 1 1 1\n",
       "1/14",
       {"*** could not extract Model Status code", "*** Bounds too wide - model status uncertain"},
       "a tim line of 8 tokens"},
      {"omit sum\n",
       "1/1",
       {"*** could not open file @DIR@/sum.scr"},
       "no sum file: the summary is lost"},
      {"omit res\n", "10/12", {"*** could not open file @DIR@/res.scr"}, "no res file"},
      {"empty res\n", "13/13", {notextracted}, "an empty res file"},
      {"cut res " + after(res, ">>> Objective", "\n"),
       "13/13",
       {notextracted},
       "cut after the objective line"},
      {"cut res " + after(res, ">>> Objective", "\nx2"),
       "13/13",
       {notextracted},
       "cut inside the list"},
      {"cut res " + after(res, ">>> Corresponding dual", "\nx2"),
       "13/13",
       {notextracted},
       "cut inside the dual section"},
      {"form block\ncut res " + after(block, "The best s", "\nx2"),
       "13/13",
       {notextracted},
       "cut inside the block"},
      {"form nosolution\n", "13/13", {notextracted}, "no marker after the preamble"},
      {"omit tim\nomit sum\nomit res\n",
       "10/12",
       {"*** could not open file @DIR@/tim.scr"},
       "stale result files of an earlier run",
       true},
      {"exit 3\n", "1/1", {}, "BARON's exit code is not used"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const auto stale = [&](const testutil::tempdir& dir) {
      testutil::write_file(dir.file("tim.scr"), "mybaron.scr 0 0 0 0 1 1 1 1 0 5 1 0 0.01 0.02\n");
      testutil::write_file(dir.file("res.scr"), res);
    };
    const resultrun run(examplemodel(), good + r.scenario + "\n",
                        r.stale ? std::function<void(const testutil::tempdir&)>(stale) : nullptr);
    run.expectoutcome(r.status, r.lines);
  }
}

// Result files without an end: a pipe whose writer never stops stands where BARON's file
// should be (BARON leaves it alone). The link reads what it needs and no more; a file that
// needs more than its bound ends with a line that says so and the failed-read status, never
// with a crash or a hang. The bound of the res file and the summary is set low
// (BARONLINK_MAXRESULT) so that no gigabyte is written; the tim file's own bound applies to
// its first line.
TEST(BaronResults, EndlessResultFiles) {
  const std::string good = "solution 1 1 1 1\nmodelstatus 1\nnodeopt 1\n";
  const std::string res = resultrun(examplemodel(), good).file("res.scr");
  const std::size_t objective = res.find(" >>> Objective");
  const std::string timline = "mybaron.scr 0 0 0 0 1 1 1 1 0 5 1 0 0.01 0.02\n";
  const std::string bound = "BARONLINK_MAXRESULT=1000000";
  struct row {
    std::string file;
    std::string head;  // written once
    std::string unit;  // then over and over
    bool lowbound;
    std::string status;
    std::vector<std::string> lines;
    const char* why;
  };
  const std::vector<row> rows = {
      {"res",
       "",
       "x\n",
       true,
       "10/12",
       {"*** could not read file @DIR@/res.scr: larger than 1000000 bytes",
        "*** Could not extract solution on @DIR@/res.scr file"},
       "endless lines that hold no solution"},
      {"res",
       "",
       "1",
       true,
       "10/12",
       {"*** could not read file @DIR@/res.scr: larger than 1000000 bytes"},
       "one line without an end"},
      {"res", res, "garbage\n", true, "1/1", {}, "a whole res file, then endless lines"},
      {"res",
       res.substr(0, objective),
       res.substr(objective, res.find(" >>> Corresponding dual") - objective),
       true,
       "10/12",
       {"*** could not read file @DIR@/res.scr: larger than 1000000 bytes"},
       "one solution after the other without end"},
      {"tim", timline, "x\n", false, "1/1", {}, "the tim line, then endless lines"},
      {"tim",
       "",
       "1 ",
       false,
       "10/12",
       {"*** could not read file @DIR@/tim.scr: larger than 65536 bytes"},
       "a tim line without an end"},
      {"sum",
       "",
       "  Total time elapsed (secs):  2.5\n",
       true,
       "10/12",
       {"*** could not read file @DIR@/sum.scr: larger than 1000000 bytes"},
       "endless summary lines"},
      {"sum",
       "",
       "=",
       true,
       "10/12",
       {"*** could not read file @DIR@/sum.scr: larger than 1000000 bytes"},
       "a summary line without an end"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    std::unique_ptr<testutil::endlessfifo> feed;
    const auto makefifo = [&](const testutil::tempdir& dir) {
      feed = std::make_unique<testutil::endlessfifo>(dir.file(r.file + ".scr"), r.head, r.unit);
    };
    const resultrun run(examplemodel(), good + "omit " + r.file + "\n", makefifo,
                        r.lowbound ? std::vector<std::string>{bound} : std::vector<std::string>{});
    run.expectoutcome(r.status, r.lines);
  }
}

// A number beyond the double range in BARON's files is no number: wherever it stands, the
// run reports and ends as it does for a text that is no number there ("abc"), and no
// infinity reaches the solution file.
TEST(BaronResults, NumbersBeyondTheDoubleRange) {
  struct row {
    std::string scenario;  // "@" stands for the text
    std::string status;    // of the run with a text that is no number
    const char* why;
    std::string options = "";
    bool reformulate = false;
  };
  const std::string sol1 = "solution 1 1 1 1\n";
  const std::vector<row> rows = {
      {sol1 + "lower @\nupper 1\n", "1/2", "the tim file's lower bound"},
      {sol1 + "lower 1\nupper @\n", "1/1", "the tim file's upper bound"},
      {sol1 + "cputime @\n", "1/1", "the processor time", "ClockType cpu\n"},
      {sol1 + "walltime @\n", "1/1", "the wall clock time"},
      {"solution @ 1 1 1\nlower 1\nupper 1\n", "1/1", "a solution's objective"},
      {"solution 1 1 @ 1\n", "1/1", "a level in the list"},
      {sol1 + "vardual 0 @ 0\n", "1/1", "a variable dual"},
      {sol1 + "equdual @ 0\n", "1/1", "an equation dual"},
      {sol1 + "ray 0 @ 0\n", "1/1", "a ray value"},
      {sol1 + "form block\nresline x2 0 @ 1\n", "1/1", "a level in the block"},
      {"solution @ 1 1\nlower 1\nupper 1\nform block\n", "1/1",
       "the block's objective of the reformulated objective", "", true},
  };
  const auto replaced = [](std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
      text.replace(at, from.size(), to);
    return text;
  };
  // The "*** " lines of a run, its folder and the text written as in the run with "abc".
  const auto reports = [&](const resultrun& run, const std::string& text) {
    std::string lines;
    std::istringstream in(replaced(run.log, run.dir.path().string(), "@DIR@"));
    for (std::string line; std::getline(in, line);) {
      if (line.starts_with("*** ")) lines += replaced(line, text, "abc") + "\n";
    }
    return lines;
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    modeldesc d = examplemodel();
    d.reformulate = r.reformulate;
    d.options = r.options;
    const std::string base = "modelstatus 1\nnodeopt 1\n";
    const resultrun reference(d, base + replaced(r.scenario, "@", "abc"));
    EXPECT_EQ(reference.sol.status(), r.status);
    for (const std::string text : {"1e400", "-1e400", "1D400", "-1d999"}) {
      SCOPED_TRACE(text);
      const resultrun run(d, base + replaced(r.scenario, "@", text));
      EXPECT_EQ(run.result.exit_code, 0);
      EXPECT_EQ(run.file("model.sol"), reference.file("model.sol"));
      EXPECT_EQ(reports(run, text), reports(reference, "abc"));
      const std::string sol = run.file("model.sol");
      for (const char* word : {"Inf", "inf", "Nan", "nan", "NaN"})
        EXPECT_EQ(sol.find(word), std::string::npos) << word << " in\n" << sol;
    }
  }
}

// The best-solution block: which names are columns.
TEST(BaronResults, BlockNames) {
  struct row {
    std::string scenario;
    std::string options;
    std::string status;
    std::string col3;
    std::vector<std::string> lines;
    const char* why;
  };
  const std::string block = "solution 1 1 1 1\nmodelstatus 1\nnodeopt 1\nform block\n";
  const std::vector<row> rows = {
      {"resline V1 0 7 9\nresline W2 0 7 9\n",
       "",
       "1/1",
       "1 0 3 0",
       {},
       "phase-one names are skipped"},
      {"resline x3 0 4 9\n", "", "1/1", "4 0 3 0", {}, "a later line for the same column"},
      {"resline x3 0 4\n",
       "",
       "1/1",
       "99999 0 3 0",
       {"*** bad value field "},
       "a value not followed by a blank"},
      {"resline x3  0    6   9\n", "", "1/1", "6 0 3 0", {}, "runs of blanks separate the tokens"},
      {"resline nonameline\nresline x3 0 4 9\n",
       "",
       "1/1",
       "1 0 3 0",
       {},
       "a line without a blank ends the block"},
      {"resline y5 0 1 1\n",
       "",
       "10/12",
       "",
       {"*** cannot decode 5", "*** Could not extract solution on @DIR@/res.scr file"},
       "an unknown prefix"},
      {"resline x9 0 1 1\n",
       "",
       "10/12",
       "",
       {"*** bad column index in 9"},
       "a column beyond the model"},
      {"resline xa 0 1 1\n", "", "10/12", "", {"*** cannot decode a"}, "no number"},
      {"resline objv 0 8 9\n",
       "ObjVarName objv\n",
       "1/1",
       "8 0 3 0",
       {},
       "the objective variable's own name"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    modeldesc d = examplemodel();
    d.options = r.options;
    const resultrun run(d, block + r.scenario);
    EXPECT_EQ(run.sol.status(), r.status);
    if (!r.col3.empty()) {
      EXPECT_EQ(run.record(5), r.col3);
    }
    run.expectlines(run.log, r.lines);
  }
}

}  // namespace
