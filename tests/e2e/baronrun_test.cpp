// BARON's input file, the map and the run through the stand-in BARON: the real binary on
// small models written by the test, the files it leaves checked.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

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

// One run of baronlink on a model written into a fresh folder.
struct baronrun {
  explicit baronrun(const modeldesc& d, std::vector<std::string> env = testutil::standinenv()) {
    barontest::writemodel(d, dir.path().string());
    result =
        testutil::run_program(testutil::baronlink_path(), {"model.ctl"}, dir.path().string(), env);
  }
  std::string file(const std::string& name) const {
    return fs::exists(dir.file(name)) ? testutil::read_file(dir.file(name)) : "(missing)";
  }
  // The input file from the first line after the OPTIONS section (or the notes).
  std::string body() const {
    const std::string text = file("mybaron.scr");
    const std::size_t at = text.find("}\n");
    return at == std::string::npos ? text : text.substr(at + 2);
  }
  // The solution file's head: solver and model status.
  std::string status() const {
    const std::string sol = file("model.sol");
    return sol.substr(0, sol.find("\n3 "));
  }
  testutil::tempdir dir;
  testutil::run_result result;
};

TEST(BaronRun, ExampleModelIsWrittenAsBaronReadsIt) {
  const baronrun run(examplemodel());
  EXPECT_EQ(run.result.exit_code, 0);
  EXPECT_EQ(run.body(),
            "\n"
            "VARIABLES  x1,x2,x3;\n"
            "\n"
            "POSITIVE_VARIABLES  x2;\n"
            "\n"
            "EQUATIONS  e1,e2;\n"
            "\n"
            "\n"
            "e1: x1*x2 <= 4;\n"
            "\n"
            "e2:  - x1 + x3 == 0;\n"
            "\n"
            "OBJ: minimize x3;\n");
  EXPECT_EQ(run.file("bavemap.scr"), "VARIABLES 3\n1\n2\n3\nEQUATIONS 2\n1\n2\n");
  const std::string log = run.file("model.log");
  EXPECT_NE(log.find("BARON stand-in: mybaron.scr: 3 variables, 2 equations, minimize\n"),
            std::string::npos)
      << log;
  EXPECT_NE(run.file("tim.scr").find("mybaron.scr 0 0 0 0 "), std::string::npos);
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A MINLP: x1 continuous in [0, 4], b2 binary, i3 integer in [1, 5] with priority 4,
// x4 continuous free (the objective variable); e1: x1 + b2 + i3 =G= 1 (start feasible),
// e2: x4 - x1 - 2 b2 =E= 0.
modeldesc minlp() {
  modeldesc d;
  d.modeltype = ctvproc::proc_minlp;
  d.cols = {{.upper = 4},
            {.type = 1, .upper = 1},
            {.type = 2, .lower = 1, .level = 1, .upper = 5, .priority = 4},
            {.lower = minf}};
  d.rows = {{.type = 1, .rhs = 1, .terms = {{1, 1}, {2, 1}, {3, 1}}},
            {.type = 0, .rhs = 0, .terms = {{1, -1}, {2, -2}, {4, 1}}}};
  d.objvar = 4;
  d.objrow = 2;
  return d;
}

TEST(BaronRun, MinlpListsDiscreteColumnsFirstAndItsRelaxationDoesNot) {
  const baronrun run(minlp());
  EXPECT_EQ(run.body(),
            "\n"
            "BINARY_VARIABLES  b2;\n"
            "\n"
            "INTEGER_VARIABLES  i3;\n"
            "\n"
            "VARIABLES  x1,x4;\n"
            "\n"
            "POSITIVE_VARIABLES  x1;\n"
            "\n"
            "LOWER_BOUNDS{\n"
            "i3: 1;\n"
            "}\n"
            "\n"
            "UPPER_BOUNDS{\n"
            "x1: 4;\n"
            "i3: 5;\n"
            "}\n"
            "\n"
            "BRANCHING_PRIORITIES{\n"
            "i3: 0.25;\n"
            "}\n"
            "\n"
            "EQUATIONS  e1,e2;\n"
            "\n"
            "\n"
            "e1:    x1 + b2 + i3 >= 1;\n"
            "\n"
            "e2:  - x1 - 2*b2 + x4 == 0;\n"
            "\n"
            "OBJ: minimize x4;\n"
            "\n"
            "STARTING_POINT{\n"
            "i3: 1;\n"
            "}\n");
  EXPECT_EQ(run.file("bavemap.scr"), "VARIABLES 4\n2\n3\n1\n4\nEQUATIONS 2\n1\n2\n");
  EXPECT_TRUE(has(run.file("model.log"), "BARON stand-in: barstatus 3, model status 4"))
      << run.file("model.log");

  for (const bool flag : {false, true}) {
    SCOPED_TRACE(flag ? "relaxed-solve flag on a MINLP" : "model type RMINLP");
    modeldesc d = minlp();
    if (flag)
      d.relaxed = true;
    else
      d.modeltype = ctvproc::proc_rminlp;
    const baronrun relaxed(d);
    const std::string text = relaxed.file("mybaron.scr");
    EXPECT_TRUE(has(text, "//\n// Please note that the model below has been relaxed\n")) << text;
    EXPECT_FALSE(has(text, "BINARY_VARIABLES"));
    EXPECT_TRUE(has(relaxed.body(), "\nVARIABLES  x1,b2,i3,x4;\n\nPOSITIVE_VARIABLES  x1,b2;\n"));
    EXPECT_TRUE(has(relaxed.body(), "UPPER_BOUNDS{\nx1: 4;\nb2: 1;\ni3: 5;\n}\n"))
        << relaxed.body();
    EXPECT_FALSE(has(text, "BRANCHING_PRIORITIES"));
    EXPECT_EQ(relaxed.file("bavemap.scr"), "VARIABLES 4\n1\n2\n3\n4\nEQUATIONS 2\n1\n2\n");
  }
}

TEST(BaronRun, UpperBoundZeroAndEpsilonAreWritten) {
  modeldesc d = minlp();
  d.cols[0].upper = 0;
  d.cols[2].lower = zlmspecs::valeps;
  d.rows[0].rhs = zlmspecs::valeps;
  const baronrun run(d);
  EXPECT_TRUE(has(run.body(), "UPPER_BOUNDS{\nx1: 0;\ni3: 5;\n}")) << run.body();
  EXPECT_TRUE(has(run.body(), "LOWER_BOUNDS{\ni3: 0;\n}")) << run.body();
  EXPECT_TRUE(has(run.body(), " >= 0;\n")) << run.body();
  EXPECT_FALSE(has(run.file("mybaron.scr"), "Eps;")) << run.file("mybaron.scr");
}

// The stand-in's sampled answer is a feasible point, never a proven optimum: the link
// reports it so (Iteration Interrupt: the search stopped at its candidate limit) and shows
// no bound beyond it.
TEST(BaronRun, TheStandInsSampleIsReportedFeasibleNotOptimal) {
  struct row {
    modeldesc d;
    const char* status;
    const char* bound;
    const char* why;
  };
  modeldesc maximise = examplemodel();
  maximise.maximize = true;
  const row rows[] = {
      {examplemodel(), "1 2\n2 7", "Best possible = -1E51\n", "an NLP: Feasible Solution"},
      {maximise, "1 2\n2 7", "Best possible = 1E51\n", "a maximisation: no bound above"},
      {minlp(), "1 2\n2 8", "Best possible = -1E51\n", "a MINLP: Integer Solution"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const baronrun run(r.d);
    EXPECT_EQ(run.status(), r.status);
    const std::string log = run.file("model.log");
    EXPECT_TRUE(has(log, "BARON stand-in: barstatus 3, model status 4\n")) << log;
    EXPECT_TRUE(
        has(log, std::string("\nSolution      = 0  initial point is best found\n") + r.bound))
        << log;
  }
}

TEST(BaronRun, NotesBaronCannotHandleRefuseTheRun) {
  struct row {
    std::function<void(modeldesc&)> change;
    const char* note;
    const char* why;
  };
  const row rows[] = {
      {[](modeldesc& d) {
         d.rows[0].code = {ins(opcode::pushv, 1), ins(opcode::callarg1, 16)};
         d.rows[0].terms[0].nonlin = true;
       },
       " Cannot handle function 'sin'", "an intrinsic BARON lacks"},
      {[](modeldesc& d) { d.modeltype = ctvproc::proc_mcp; }, " Cannot handle MCP", "model type"},
      {[](modeldesc& d) { d.rows[0].type = 4; }, " Cannot handle External =X= equations",
       "=X= row"},
      {[](modeldesc& d) { d.cols[0].type = 3; }, " Cannot handle SOS1 variables", "SOS1 column"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    modeldesc d = minlp();
    r.change(d);
    const baronrun run(d);
    EXPECT_TRUE(has(run.file("mybaron.scr"), std::string("\n//") + r.note + "\n"))
        << run.file("mybaron.scr");
    EXPECT_TRUE(has(run.file("model.log"), std::string("***") + r.note + "\n"))
        << run.file("model.log");
    EXPECT_EQ(run.status(), "1 6\n2 14");
    EXPECT_EQ(run.file("bavemap.scr"), "(missing)");
    EXPECT_EQ(run.file("tim.scr"), "(missing)") << "BARON not run";
  }
}

TEST(BaronRun, FreeRowsAreDroppedWithANote) {
  modeldesc d = minlp();
  d.rows.push_back({.type = 3, .rhs = 0, .terms = {{1, 1}}});
  const baronrun run(d);
  EXPECT_TRUE(has(run.file("mybaron.scr"), "//\n// Dropped 1 =N= equations\n"))
      << run.file("mybaron.scr");
  EXPECT_FALSE(has(run.body(), "e3"));
  EXPECT_TRUE(has(run.file("bavemap.scr"), "EQUATIONS 2\n1\n2\n"));
  EXPECT_TRUE(has(run.file("model.log"), "model status 4"));
}

TEST(BaronRun, ReformulatedObjectiveLeavesNoTraceOfItsVariable) {
  modeldesc d = minlp();
  d.reformulate = true;
  d.cols[3].level = 7;
  d.cols[3].lower = 0;
  d.rows[1].rhs = -3;  // x4 = x1 + 2 b2 - 3
  d.maximize = true;
  const baronrun run(d);
  const std::string text = run.file("mybaron.scr");
  EXPECT_TRUE(has(text, "// Reformulation has removed 1 variable and 1 equation\n")) << text;
  EXPECT_FALSE(has(run.body(), "x4")) << run.body();
  EXPECT_TRUE(has(run.body(), "\nEQUATIONS  e1;\n")) << run.body();
  EXPECT_TRUE(has(run.body(), "\nOBJ: maximize    x1 + 2*b2 - 3;\n")) << run.body();
  EXPECT_EQ(run.file("bavemap.scr"), "VARIABLES 3\n2\n3\n1\nEQUATIONS 1\n1\n");
}

TEST(BaronRun, PhaseOneGivesEachRowItsOwnRelation) {
  for (const char* mode : {"1", "2"}) {
    SCOPED_TRACE(mode);
    modeldesc d = minlp();
    d.rows.push_back({.type = 2, .rhs = 9, .terms = {{1, 1}}});
    d.options = std::string("PhaseOne ") + mode + "\n";
    const baronrun run(d);
    const std::string body = run.body();
    const std::string sq = std::string(mode) == "2" ? "^2" : "";
    EXPECT_TRUE(has(body, "VARIABLES  x1,x4,W1,V2,W2,V3;\n")) << body;
    EXPECT_TRUE(has(body, "POSITIVE_VARIABLES  x1,W1,V2,W2,V3;\n")) << body;
    EXPECT_TRUE(has(body, "e1:    x1 + b2 + i3 + W1 >= 1;\n")) << body;
    EXPECT_TRUE(has(body, "e2:  - x1 - 2*b2 + x4 - V2 + W2 == 0;\n")) << body;
    EXPECT_TRUE(has(body, "e3:    x1 - V3 <= 9;\n")) << body;
    EXPECT_TRUE(
        has(body, "OBJ: minimize W1" + sq + " + V2" + sq + " + W2" + sq + " + V3" + sq + ";\n"))
        << body;
    EXPECT_TRUE(has(run.file("model.log"),
                    std::string("--- Solving PhaseOne problem of type ") + mode + "\n\n"));
    EXPECT_EQ(run.file("bavemap.scr"), "VARIABLES 4\n2\n3\n1\n4\nEQUATIONS 3\n1\n2\n3\n");
  }
}

// Phase one of a model without equations to satisfy (every row =N=, or no row): nothing
// to minimise, yet an objective that BARON reads.
TEST(BaronRun, PhaseOneWithoutEquationsMinimisesZero) {
  for (const bool norows : {false, true}) {
    SCOPED_TRACE(norows ? "no rows" : "only =N= rows");
    modeldesc d = minlp();
    for (rowdesc& r : d.rows) r.type = 3;
    if (norows) d.rows.clear(), d.objrow = 0;
    d.options = "PhaseOne 1\n";
    const baronrun run(d);
    EXPECT_TRUE(has(run.body(), "\nOBJ: minimize 0;\n")) << run.body();
    const std::string log = run.file("model.log");
    EXPECT_TRUE(has(log, "BARON stand-in: mybaron.scr: 4 variables, 0 equations, minimize\n"))
        << log;
    EXPECT_TRUE(has(log, "BARON stand-in: barstatus 3, model status 4\n")) << log;
  }
}

TEST(BaronRun, DotOptionsThroughTheDictionary) {
  modeldesc d = minlp();
  d.dictionary =
      "label a\nlabel b\nsymbol x 5 1\nsymbol b 5 0\nsymbol i 5 0\nsymbol z 5 0\nsymbol e 6 1\n"
      "col x a\ncol b\ncol i\ncol z\nrow e a\nrow e b\n";
  d.options = "x.lo(a) 2\ni.up 3\ni.prior 2\ne.equclass(b) 1\nnosuch.lo 1\nx.lo(c) 1\n";
  const baronrun run(d);
  const std::string log = run.file("model.log");
  EXPECT_TRUE(has(log,
                  "--- Processing 6 DOT options\n"
                  "*** nosuch.Lo unknown var/equ\n"
                  "*** x.Lo unknown element \"c\" in position 1. Using \"*\"\n"
                  "--- Modified 2 variable bounds.\n"))
      << log;
  const std::string body = run.body();
  EXPECT_TRUE(has(body, "LOWER_BOUNDS{\nx1: 1;\ni3: 1;\n}")) << body << "the later record wins";
  EXPECT_TRUE(has(body, "UPPER_BOUNDS{\nx1: 4;\ni3: 3;\n}")) << body;
  EXPECT_TRUE(has(body, "BRANCHING_PRIORITIES{\ni3: 0.5;\n}")) << body;
  EXPECT_TRUE(has(body, "\nRELAXATION_ONLY_EQUATIONS  e2;\n")) << body;
  EXPECT_EQ(run.file("bavemap.scr"), "VARIABLES 4\n2\n3\n1\n4\nEQUATIONS 1\n1\n");
  // The model record's bounds are back as loaded: the solution file reports them.
}

// A lower bound that is 0 when the file is written (by a dot option, or an epsilon)
// reaches BARON as 0 whatever the column's bounds were at loading (POSITIVE_VARIABLES;
// LOWER_BOUNDS leaves 0 out), and an upper bound 0 given to a free column is written.
// x1 in [-1.5, 7.25], x2 in [1, 10], x3 free; e1: x3 - x1 - x2 =E= 0, minimise x3.
TEST(BaronRun, BoundsZeroReachBaronWhateverTheLoadedBounds) {
  struct row {
    const char* options;
    const char* modified;
    const char* positive;  // the POSITIVE_VARIABLES line, "" for none
    const char* lower;
    const char* upper;
    const char* why;
    double x1lower = -1.5;
  };
  const row rows[] = {
      {"", "", "POSITIVE_VARIABLES  x1;\n", "LOWER_BOUNDS{\nx2: 1;\n}\n",
       "UPPER_BOUNDS{\nx1: 7.25;\nx2: 10;\n}\n",
       "a lower bound epsilon (0 to BARON) loaded, no column of bound kind positive",
       zlmspecs::valeps},
      {"x.lo(c1) 0\n", "--- Modified 1 variable bounds.\n", "POSITIVE_VARIABLES  x1;\n",
       "LOWER_BOUNDS{\nx2: 1;\n}\n", "UPPER_BOUNDS{\nx1: 7.25;\nx2: 10;\n}\n",
       "a negative lower bound raised to 0 on one column"},
      {"variables.lo 0\n", "--- Modified 2 variable bounds.\n", "POSITIVE_VARIABLES  x1,x3;\n",
       "LOWER_BOUNDS{\nx2: 1;\n}\n", "UPPER_BOUNDS{\nx1: 7.25;\nx2: 10;\n}\n",
       "every column: the free and the negative one become positive"},
      {"x.up(c3) 0\n", "--- Modified 1 variable bounds.\n", "",
       "LOWER_BOUNDS{\nx1: -1.5;\nx2: 1;\n}\n", "UPPER_BOUNDS{\nx1: 7.25;\nx2: 10;\nx3: 0;\n}\n",
       "an upper bound 0 on a free column"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    modeldesc d;
    d.cols = {{.lower = r.x1lower, .upper = 7.25}, {.lower = 1, .upper = 10}, {.lower = minf}};
    d.rows = {{.type = 0, .rhs = 0, .terms = {{3, 1}, {1, -1}, {2, -1}}}};
    d.objvar = 3;
    d.objrow = 1;
    d.dictionary =
        "label c1\nlabel c2\nlabel c3\nsymbol x 5 1\nsymbol e 6 0\n"
        "col x c1\ncol x c2\ncol x c3\nrow e\n";
    d.options = r.options;
    const baronrun run(d);
    EXPECT_TRUE(has(run.file("model.log"), r.modified)) << run.file("model.log");
    const std::string body = run.body();
    EXPECT_TRUE(has(body, std::string("\nVARIABLES  x1,x2,x3;\n\n") + r.positive +
                              (*r.positive != 0 ? "\n" : "") + r.lower + "\n" + r.upper +
                              "\nEQUATIONS  e1;\n"))
        << body;
    EXPECT_TRUE(
        has(run.file("model.log"), "BARON stand-in: mybaron.scr: 3 variables, 1 equations, "))
        << run.file("model.log");
  }
}

TEST(BaronRun, InfiniteBoundsReplacedAndOptionsLinesWritten) {
  modeldesc d = minlp();
  d.cols[0].lower = minf;
  d.cols[0].level = 1;
  d.threads = -1;
  d.options = "InfBnd -1000\nsecret PrLevel: 'x'\nsecret NumLoc: 3\nClockType cpu\nEpsA 0\n";
  const baronrun run(d);
  const std::string text = run.file("mybaron.scr");
  EXPECT_TRUE(has(run.file("model.log"), "*** 1 +/- INF bound(s) have been reset to +/- 1000\n"));
  EXPECT_TRUE(has(run.body(), "LOWER_BOUNDS{\nx1: -1000;\ni3: 1;\n}")) << run.body();
  EXPECT_FALSE(has(run.body(), "x4: ")) << "the objective variable keeps its infinite bounds";
  EXPECT_TRUE(has(text, "\nEpsA: 1e-9;\n")) << text;
  EXPECT_TRUE(has(text, "\nClockType: \"cpu\";\n"));
  EXPECT_TRUE(has(text, "\nPrLevel: \"x\";\nNumLoc: 3;\n")) << text;
  EXPECT_FALSE(has(text, "InfBnd")) << "the link's own options stay out";
  const std::string sysdir = testutil::source_dir() + "/examples/sysdir/";
  EXPECT_TRUE(has(text, "cplexlibname: \"" + sysdir +
                            "libcplex2211.so\";\n"
                            "xprslibname: \"" +
                            sysdir +
                            "libxprs.so\";\n"
                            "zolmlibname: \"" +
                            sysdir + "libkorvasteps64.so\";\n}\n"))
      << text;
  EXPECT_TRUE(has(text, "\nThreads: ")) << "threads from the control file";
}

TEST(BaronRun, LinearModelsGetLpMode) {
  modeldesc d = minlp();
  d.modeltype = ctvproc::proc_rmip;
  const baronrun run(d);
  EXPECT_TRUE(has(run.file("mybaron.scr"), "\nLPMode: 1;\n")) << run.file("mybaron.scr");
}

TEST(BaronRun, BaronsOutputReachesTheLogFromAPathWithBlanks) {
  for (const int logoption : {2, 4}) {
    SCOPED_TRACE(logoption);
    modeldesc d = minlp();
    d.logoption = logoption;
    testutil::tempdir dir;
    const std::string sub = dir.file("a b$c");
    fs::create_directory(sub);
    barontest::writemodel(d, sub);
    const auto r = testutil::run_program(testutil::baronlink_path(), {"model.ctl"}, sub,
                                         testutil::standinenv());
    EXPECT_EQ(r.exit_code, 0);
    const std::string log = testutil::read_file(sub + "/model.log");
    EXPECT_TRUE(has(log, "BARON stand-in: barstatus 3, model status 4\n")) << log;
    EXPECT_EQ(has(r.out, "BARON stand-in"), logoption == 4) << r.out;
  }
}

TEST(BaronRun, StaleResultFilesAreRemovedBeforeBaronStarts) {
  testutil::tempdir dir;
  for (const char* name : {"tim.scr", "res.scr", "sum.scr"})
    testutil::write_file(dir.file(name), "old run\n");
  const std::string scenario = dir.file("scenario");
  testutil::write_file(scenario, "omit tim\nomit res\nomit sum\n");
  barontest::writemodel(minlp(), dir.path().string());
  std::vector<std::string> env = testutil::standinenv();
  env.push_back("BARON_STANDIN_SCENARIO=" + scenario);
  (void)testutil::run_program(testutil::baronlink_path(), {"model.ctl"}, dir.path().string(), env);
  for (const char* name : {"tim.scr", "res.scr", "sum.scr"})
    EXPECT_FALSE(fs::exists(dir.file(name))) << name;
}

TEST(BaronRun, AResultFileThatCannotBeRemovedStopsTheRun) {
  testutil::tempdir dir;
  fs::create_symlink("loop", dir.file("loop"));  // a name that cannot even be examined
  modeldesc d = minlp();
  d.options = "ResName loop/res.scr\n";
  barontest::writemodel(d, dir.path().string());
  (void)testutil::run_program(testutil::baronlink_path(), {"model.ctl"}, dir.path().string(),
                              testutil::standinenv());
  const std::string log = testutil::read_file(dir.file("model.log"));
  EXPECT_TRUE(has(log, "*** Could not remove old result file \"loop/res.scr\": Too many levels"))
      << log;
  EXPECT_FALSE(has(log, "BARON stand-in")) << "BARON not run";
  const std::string sol = testutil::read_file(dir.file("model.sol"));
  EXPECT_EQ(sol.substr(0, sol.find("\n3 ")), "1 13\n2 13");
}

// Result-file names that are not plain files (a pipe, a folder) stay as they are; a
// symbolic link goes, never its target. The stand-in leaves the named file alone, so what
// the run finds there afterwards is what the link left.
TEST(BaronRun, ResultNamesThatAreNoPlainFilesStay) {
  testutil::tempdir outside;
  const std::string target = outside.file("keep");
  testutil::write_file(target, "not BARON's\n");
  struct row {
    const char* option;
    const char* scenario;
    std::function<void(const std::string&)> make;
    fs::file_type after;
    const char* log;
    const char* why;
  };
  const row rows[] = {
      {"SumName", "omit tim\nomit sum\n",
       [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, fs::file_type::fifo,
       "/tim.scr\n*** RC=2 ", "a pipe (BARON's summary dropped); the run stops at tim"},
      {"SumName", "omit sum\n", [](const std::string& p) { fs::create_directory(p); },
       fs::file_type::directory, "*** could not open file named\n", "an empty folder"},
      {"ResName", "omit res\n", [&](const std::string& p) { fs::create_symlink(target, p); },
       fs::file_type::not_found, "*** could not open file named\n*** RC=2 ",
       "a link to a file elsewhere: the link goes, BARON writes nothing in its place"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    testutil::tempdir dir;
    r.make(dir.file("named"));
    modeldesc d = minlp();
    d.options = std::string(r.option) + " named\n";
    barontest::writemodel(d, dir.path().string());
    testutil::write_file(dir.file("scenario"), r.scenario);
    std::vector<std::string> env = testutil::standinenv();
    env.push_back("BARON_STANDIN_SCENARIO=" + dir.file("scenario"));
    (void)testutil::run_program(testutil::baronlink_path(), {"model.ctl"}, dir.path().string(),
                                env);
    EXPECT_EQ(fs::symlink_status(dir.file("named")).type(), r.after);
    EXPECT_EQ(testutil::read_file(target), "not BARON's\n");
    const std::string log = testutil::read_file(dir.file("model.log"));
    EXPECT_TRUE(has(log, r.log)) << log;
  }
}

TEST(BaronRun, HessianFilesForConvexRows) {
  modeldesc d = examplemodel();
  d.dictionary =
      "label a\nsymbol x 5 1\nsymbol y 5 0\nsymbol z 5 0\nsymbol e 6 0\nsymbol f 6 0\n"
      "col x a\ncol y\ncol z\nrow e\nrow f\n";
  d.options = "Hessian 1\nHessCtrlName hess.ctl\ne.equclass 2\n";
  const baronrun run(d);
  EXPECT_TRUE(has(run.file("model.log"), "--- Hessian information available\n"))
      << run.file("model.log");
  EXPECT_EQ(run.file("hess.ctl"),
            "2 equnum\n3 varnum\n0 algfiletype\n4 nlcode\n0 nlcon\n4 maxsingle\n"
            "1 nlequs\n" +
                run.dir.file("hessinst.scr") + "\n");
  EXPECT_TRUE(has(run.file("hessinst.scr"), "$NL CODE\n18 0\n1 1\n11 2\n3 1\n"))
      << run.file("hessinst.scr");
  EXPECT_TRUE(has(run.file("mybaron.scr"), "\nCONVEX_EQUATIONS  e1;\n"));
}

TEST(BaronRun, QuadraticModelWithANonQuadraticRowNeverStartsBaron) {
  modeldesc d = examplemodel();
  d.modeltype = ctvproc::proc_qcp;
  const baronrun quadratic(d);
  EXPECT_TRUE(has(quadratic.file("model.log"), "BARON stand-in: barstatus"))
      << "x1*x2 is quadratic";
  d.rows[0].code.push_back(ins(opcode::callarg1, 10));
  const baronrun run(d);
  EXPECT_EQ(run.status(), "1 13\n2 13");
  EXPECT_EQ(run.file("mybaron.scr"), "(missing)");
  EXPECT_TRUE(
      has(run.file("model.log"), "*** 1 bad Q equations out of 1 NL equations processed.\n"))
      << run.file("model.log");
  EXPECT_TRUE(has(run.file("zolmqzlm.scr"), "  function exp results in a nonlinear expression\n"));
}

TEST(BaronRun, ExternalNlpSolverIsCheckedAgainstTheSolverTable) {
  struct row {
    const char* value;
    const char* log;
    const char* why;
  };
  const row rows[] = {
      {"baron", "*** Warning: ExtNLPsolver cannot be BARON itself. Reset NLPSOL to -1\n",
       "BARON in any case"},
      {"nlpsolva", "*** Warning: ExtNLPsolver chosen unknown. Reset NLPSOL to -1\n",
       "not in the table"},
      {"nlpsolva.1x",
       "*** Warning: ExtNLPsolver syntax wrong. Reset NLPSOL to -1\n"
       "*** Warning: ExtNLPsolver chosen unknown. Reset NLPSOL to -1\n",
       "a letter after the dot, then looked up by the name before it"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    modeldesc d = minlp();
    d.options = std::string("NLPSol 3\nExtNLPsolver ") + r.value + "\n";
    const baronrun run(d);
    EXPECT_TRUE(has(run.file("model.log"), r.log)) << run.file("model.log");
    EXPECT_FALSE(has(run.file("mybaron.scr"), "NLPSol:"))
        << "reset to its default, no longer defined";
    EXPECT_TRUE(has(run.file("model.log"), "model status 4"));
  }
}

TEST(BaronRun, EmptyRowUsesBaronsFirstVariable) {
  modeldesc d = minlp();
  d.rows.push_back({.type = 2, .rhs = 1});
  const baronrun run(d);
  EXPECT_TRUE(has(run.body(), "\ne3:    0*b2 <= 1;\n")) << run.body();
  EXPECT_TRUE(has(run.file("model.log"), "model status 4"));
}

TEST(BaronRun, InputFileThatCannotBeWrittenGivesSixFourteen) {
  modeldesc d = minlp();
  testutil::tempdir dir;
  barontest::writemodel(d, dir.path().string());
  fs::create_directory(dir.file("mybaron.scr"));  // a folder where the file should go
  const auto r = testutil::run_program(testutil::baronlink_path(), {"model.ctl"},
                                       dir.path().string(), testutil::standinenv());
  EXPECT_EQ(r.exit_code, 0);
  const std::string log = testutil::read_file(dir.file("model.log"));
  EXPECT_TRUE(has(log, "*** Could not write  \"" + dir.file("mybaron.scr") + "\"\n*** RC=")) << log;
  const std::string sol = testutil::read_file(dir.file("model.sol"));
  EXPECT_EQ(sol.substr(0, sol.find("\n3 ")), "1 6\n2 14");
}

// The control file's scratch folder (a line of its own, the model's folder and a slash)
// moved to another folder, so that only the scratch files go there.
void movescratch(const std::string& dir, const std::string& scratch) {
  const std::string ctl = dir + "/model.ctl";
  std::string text = testutil::read_file(ctl);
  const std::string line = "\n" + dir + "/\n";
  const std::size_t at = text.find(line);
  ASSERT_NE(at, std::string::npos) << text;
  text.replace(at, line.size(), "\n" + scratch + "/\n");
  testutil::write_file(ctl, text);
}

// A folder below base whose path is length characters long, made of parts that a file
// system takes.
std::string longfolder(const std::string& base, std::size_t length) {
  std::string path = base;
  while (path.size() < length) {
    const std::size_t part = std::min<std::size_t>(100, length - path.size() - 1);
    path += "/" + std::string(std::max<std::size_t>(part, 1), 'd');
  }
  fs::create_directories(path);
  return path;
}

// Option lines are whole however long the paths in them are: a scratch folder that leaves
// "TimName: ..." and the rest beyond 255 characters, a system folder that does the same to
// the library lines. BARON reads its result paths and the link its results.
TEST(BaronRun, LongFoldersReachBaronWhole) {
  testutil::tempdir dir;
  barontest::modeldesc d = examplemodel();
  const std::string sysdir = longfolder(dir.file("sys"), 230);
  for (const auto& e : fs::directory_iterator(testutil::source_dir() + "/examples/sysdir"))
    fs::create_symlink(e.path(), sysdir + "/" + e.path().filename().string());
  d.sysdir = sysdir + "/";
  barontest::writemodel(d, dir.path().string());
  const std::string scratch = longfolder(dir.file("scratch"), 242);
  movescratch(dir.path().string(), scratch);
  const auto r = testutil::run_program(testutil::baronlink_path(), {"model.ctl"},
                                       dir.path().string(), testutil::standinenv());
  EXPECT_EQ(r.exit_code, 0);
  const std::string text = testutil::read_file(scratch + "/mybaron.scr");
  for (const char* name : {"tim", "res", "sum"})
    EXPECT_TRUE(has(text, std::string(": \"") + scratch + "/" + name + ".scr\";\n")) << text;
  EXPECT_TRUE(has(text, "\nzolmlibname: \"" + sysdir + "/libkorvasteps64.so\";\n}\n")) << text;
  const std::string log = testutil::read_file(dir.file("model.log"));
  EXPECT_TRUE(has(log, "BARON stand-in: barstatus 3, model status 4\n")) << log;
  const std::string sol = testutil::read_file(dir.file("model.sol"));
  EXPECT_EQ(sol.substr(0, sol.find("\n3 ")), "1 2\n2 7");
}

// Paths that BARON's quoted text cannot carry, and a scratch folder too long for the
// names of the files in it, stop the run before BARON with a line that says why.
TEST(BaronRun, UnusableFoldersAreRefusedBeforeBaron) {
  enum class place { scratch, system };
  struct row {
    std::string folder;  // below the model's folder; empty: a scratch folder of 250
    place where;
    std::string head;  // the line up to the folder
    std::string tail;  // and after it
    const char* why;
  };
  const row rows[] = {
      {"a\"b", place::scratch, "*** Cannot give BARON the path TimName \"",
       "/tim.scr\": it holds a double quote\n", "a double quote"},
      {"a\\b", place::scratch, "*** Cannot give BARON the path TimName \"",
       "/tim.scr\": it holds a backslash\n", "a backslash"},
      {"a\tb", place::scratch, "*** Cannot give BARON the path TimName \"",
       "/tim.scr\": it holds a control character\n", "a control character"},
      {"a\"b", place::system, "*** Cannot give BARON the path of the libraries \"",
       "/\": it holds a double quote\n", "a double quote in the system folder"},
      {"", place::scratch,
       "*** Scratch folder too long for the scratch file names (262 characters, at most 255): \"",
       "/\"\n", "a scratch folder of 250 characters"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    testutil::tempdir dir;
    std::string folder = dir.file(r.folder);
    if (r.folder.empty()) {
      folder = longfolder(dir.file("s"), 249);
    } else {
      fs::create_directory(folder);
    }
    modeldesc d = minlp();
    if (r.where == place::system) {
      for (const auto& e : fs::directory_iterator(testutil::source_dir() + "/examples/sysdir"))
        fs::create_symlink(e.path(), folder + "/" + e.path().filename().string());
      d.sysdir = folder + "/";
    }
    barontest::writemodel(d, dir.path().string());
    if (r.where == place::scratch) movescratch(dir.path().string(), folder);
    const auto run = testutil::run_program(testutil::baronlink_path(), {"model.ctl"},
                                           dir.path().string(), testutil::standinenv());
    EXPECT_EQ(run.exit_code, 0);
    const std::string log = testutil::read_file(dir.file("model.log"));
    // The log cuts its long lines: of the long folder its start shows.
    const std::string line = r.head + folder + r.tail;
    EXPECT_TRUE(has(log, line.substr(0, 200))) << log;
    EXPECT_FALSE(has(log, "BARON stand-in")) << "BARON not run";
    EXPECT_FALSE(fs::exists(folder + "/mybaron.scr"));
    EXPECT_FALSE(fs::exists(dir.file("mybaron.scr")));
    const std::string sol = testutil::read_file(dir.file("model.sol"));
    EXPECT_EQ(sol.substr(0, sol.find("\n3 ")), "1 13\n2 13");
  }
}

// Runs the link under a file-size limit of 16 blocks (8 KiB, or 16 KiB where the shell
// counts in KiB), set in the child only.
testutil::run_result rununderfilelimit(const testutil::tempdir& dir) {
  return testutil::run_program(
      "/bin/sh",
      {"-c", "ulimit -f 16 && exec \"$0\" \"$@\"", testutil::baronlink_path(), "model.ctl"},
      dir.path().string(), testutil::standinenv());
}

// The log names the file that could not be written whole, and BARON never ran.
void expectwritefailurebeforebaron(const testutil::tempdir& dir, const std::string& file) {
  const std::string log = testutil::read_file(dir.file("model.log"));
  EXPECT_TRUE(has(log, "*** Could not write \"" + dir.file(file) + "\": File too large\n")) << log;
  EXPECT_FALSE(has(log, "BARON stand-in")) << "BARON not run";
}

// Under a file-size limit the input file cannot be written whole: the run stops before
// BARON with the input file's status, says why, and leaves no cut file behind. The limit
// (16 blocks: 8 KiB, or 16 KiB where the shell counts in KiB) holds the log and the
// solution file; the input file is larger (about 94 KB or 24 KB) and fails in a write
// inside it or, below the writer's 32 KiB buffer, in the final flush when it is closed.
TEST(BaronRun, AnInputFileThatCannotBeWrittenWholeStopsTheRun) {
  struct row {
    std::int32_t cols;
    const char* why;
  };
  const row rows[] = {{3000, "a write while the file is written"},
                      {800, "the final flush when it is closed"}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    modeldesc d;
    rowdesc all{.type = 1, .rhs = 1};
    for (std::int32_t c = 1; c <= r.cols; ++c) {
      d.cols.push_back({.level = 1});
      all.terms.push_back({c, 1});
    }
    d.rows = {all};
    testutil::tempdir dir;
    barontest::writemodel(d, dir.path().string());
    const auto run = rununderfilelimit(dir);
    EXPECT_EQ(run.exit_code, 0) << run.out;
    expectwritefailurebeforebaron(dir, "mybaron.scr");
    EXPECT_FALSE(fs::exists(dir.file("mybaron.scr"))) << "no cut input file";
    EXPECT_FALSE(fs::exists(dir.file("bavemap.scr")));
    const std::string sol = testutil::read_file(dir.file("model.sol"));
    EXPECT_EQ(sol.substr(0, sol.find("\n3 ")), "1 6\n2 14");
  }
}

// The same for the hessian file: its code copy keeps every instruction of a convex row
// that folds to a few characters in the input file (x1 times 1, six thousand times), so
// the limit lets the input file through and stops the copy.
TEST(BaronRun, AHessianFileThatCannotBeWrittenWholeStopsTheRun) {
  modeldesc d = examplemodel();
  d.pool = {1};
  for (int k = 0; k < 6000; ++k) d.rows[0].code.push_back(ins(opcode::muli, 1));
  d.dictionary =
      "label a\nsymbol x 5 1\nsymbol y 5 0\nsymbol z 5 0\nsymbol e 6 0\nsymbol f 6 0\n"
      "col x a\ncol y\ncol z\nrow e\nrow f\n";
  d.options = "Hessian 1\nHessCtrlName hess.ctl\ne.equclass 2\n";
  testutil::tempdir dir;
  barontest::writemodel(d, dir.path().string());
  const auto run = rununderfilelimit(dir);
  EXPECT_EQ(run.exit_code, 0) << run.out;
  expectwritefailurebeforebaron(dir, "hessinst.scr");
  EXPECT_FALSE(fs::exists(dir.file("hessinst.scr"))) << "no cut code copy";
  EXPECT_FALSE(fs::exists(dir.file("hess.ctl")));
  const std::string sol = testutil::read_file(dir.file("model.sol"));
  EXPECT_EQ(sol.substr(0, sol.find("\n3 ")), "1 6\n2 14");
}

}  // namespace
