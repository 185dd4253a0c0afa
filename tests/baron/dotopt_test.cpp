// Dot options through the dictionary, priorities in BARON's form and infinite bounds
// replaced: what each record changes and what the log says.
#include <gtest/gtest.h>

#include <vector>

#include "baron/gcbaron.h"
#include "baron/optbaron.h"
#include "instance/zlmspecs.h"
#include "support/baronfixture.h"

namespace {

using barontest::logcapture;
constexpr double inf = zlmspecs::valpin;
constexpr double minf = zlmspecs::valmin;

// Columns x(i1), x(i2), y, w(i1,i2); rows e(i1), e(i2).
constexpr const char* dictionary =
    "label i1\nlabel i2\n"
    "symbol x 5 1\nsymbol y 5 0\nsymbol w 5 2\nsymbol e 6 1\n"
    "col x i1\ncol x i2\ncol y\ncol w i1 i2\nrow e i1\nrow e i2\n";

class DotoptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    barontest::loadoptionlibrary();
    barontest::loaddictionarylibrary();
    gcdata::tmodel& m = gcdata::mymodel;
    m.cols = 4;
    m.rows = 2;
    m.collower = {0, minf, 1, 0};
    m.colupper = {inf, 10, 5, inf};
    m.colpriority = {1, 1, 1, 1};
    testutil::write_file(log.dir.file("model.dct"), dictionary);
    m.dictfile = q5rt::sstr::cut(log.dir.file("model.dct"));
    m.optfile = q5rt::sstr::cut(log.dir.file("baron.opt"));
    gcbaron::state.reset();
    gcbaron::state.baronequclass.assign(2, 0);
  }
  void TearDown() override { optbaron::bofini(); }

  // Reads the option file and applies the dot options; the log lines they wrote.
  std::string run(const std::string& options) {
    testutil::write_file(log.dir.file("baron.opt"), options);
    gcdata::mymodel.useoptfile = options.empty() ? 0 : 1;
    optbaron::toptconvert& bo = optbaron::boinit();
    EXPECT_EQ(bo.optdefine(), 0);
    (void)bo.optreadoptions();
    const std::string before = log.text();
    gcbaron::savedbounds saved;
    saved.take();
    gcbaron::applydotoptions(bo, saved);
    return log.text().substr(before.size());
  }
  barontest::freshmodel model;
  logcapture log;
};

TEST_F(DotoptTest, RecordsChangeBoundsPrioritiesAndClassesByTheirRules) {
  struct row {
    const char* options;
    std::vector<double> lower, upper, prior;
    std::vector<std::int32_t> classes;
    const char* log;
    const char* why;
  };
  const std::string processed = "--- Processing 1 DOT options\n";
  const row rows[] = {
      {"x.lo(i2) 3",
       {0, 3, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "--- Modified 1 variable bounds.\n",
       "Lo on a minus-infinite bound"},
      {"x.lo 3",
       {3, 3, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "--- Modified 2 variable bounds.\n",
       "no labels: every column of the symbol"},
      {"y.lo 0.5",
       {0, minf, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "--- Modified 0 variable bounds.\n",
       "Lo never lowers a finite lower bound"},
      {"x.up(i1) 7",
       {0, minf, 1, 0},
       {7, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "--- Modified 1 variable bounds.\n",
       "Up lowers"},
      {"x.up 20",
       {0, minf, 1, 0},
       {20, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "--- Modified 1 variable bounds.\n",
       "Up never raises"},
      {"variables.up 20",
       {0, minf, 1, 0},
       {20, 10, 5, 20},
       {1, 1, 1, 1},
       {0, 0},
       "--- Modified 2 variable bounds.\n",
       "on all variables"},
      {"x.prior 4",
       {0, minf, 1, 0},
       {inf, 10, 5, inf},
       {0.25, 0.25, 1, 1},
       {0, 0},
       "--- Modified 0 variable bounds.\n",
       "priority 4 becomes 0.25"},
      {"y.prior 0",
       {0, minf, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "--- Modified 0 variable bounds.\n",
       "priority 0 becomes 1"},
      {"e.equclass(i2) 4",
       {0, minf, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 4},
       "--- Modified 0 variable bounds.\n",
       "class on one row"},
      {"equations.equclass 2",
       {0, minf, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {2, 2},
       "--- Modified 0 variable bounds.\n",
       "class on all rows"},
      {"e.equclass 7",
       {0, minf, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "--- Modified 0 variable bounds.\n",
       "a class outside 0..4 is ignored silently"},
      {"variables.equclass 1",
       {0, minf, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "*** variables.EquClass not allowed on variables\n--- Modified 0 variable bounds.\n",
       "class on the variables"},
      {"equations.up 1",
       {0, minf, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "*** equations.Up not allowed on equations\n--- Modified 0 variable bounds.\n",
       "bound on the equations"},
      {"variables.lo(i1) 1",
       {0, minf, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "*** variables.Lo cannot be indexed\n--- Modified 0 variable bounds.\n",
       "labels on the variables"},
      {"z.lo 1",
       {0, minf, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "*** z.Lo unknown var/equ\n--- Modified 0 variable bounds.\n",
       "unknown symbol"},
      {"e.lo 1",
       {0, minf, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "*** e.Lo not allowed on equations\n--- Modified 0 variable bounds.\n",
       "bound on an equation"},
      {"x.equclass 1",
       {0, minf, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "*** x.EquClass not allowed on variables\n--- Modified 0 variable bounds.\n",
       "class on a variable"},
      {"x.lo(i1,i2) 4",
       {4, minf, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "***  x.Lo too many indices on. Skipping additional indices.\n"
       "--- Modified 1 variable bounds.\n",
       "extra labels are skipped"},
      {"w.lo(i1) 4",
       {0, minf, 1, 4},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "***  w.Lo too few indices on.  Adding \"*\"  for missing indices.\n"
       "--- Modified 1 variable bounds.\n",
       "missing labels match any"},
      {"x.lo(i3) 4",
       {4, 4, 1, 0},
       {inf, 10, 5, inf},
       {1, 1, 1, 1},
       {0, 0},
       "*** x.Lo unknown element \"i3\" in position 1. Using \"*\"\n"
       "--- Modified 2 variable bounds.\n",
       "an unknown label widens the record"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    barontest::freshmodel fresh;
    SetUp();
    EXPECT_EQ(run(std::string(r.options) + "\n"), processed + r.log);
    EXPECT_EQ(gcdata::mymodel.collower, r.lower);
    EXPECT_EQ(gcdata::mymodel.colupper, r.upper);
    EXPECT_EQ(gcdata::mymodel.colpriority, r.prior);
    EXPECT_EQ(gcbaron::state.baronequclass, r.classes);
    EXPECT_EQ(gcbaron::state.equclassused, (r.classes != std::vector<std::int32_t>{0, 0}));
    TearDown();
  }
}

TEST_F(DotoptTest, EachRecordComparesWithTheSavedBounds) {
  EXPECT_EQ(run("x.lo(i1) 5\nx.lo(i1) 2\n"),
            "--- Processing 2 DOT options\n--- Modified 1 variable bounds.\n");
  EXPECT_EQ(gcdata::mymodel.collower[0], 2) << "the later record wins";
  EXPECT_EQ(gcbaron::state.optbounds, 1);
}

TEST_F(DotoptTest, ScaledBoundsAreDividedAndAFileWithoutScalesWarns) {
  gcdata::mymodel.scaleopt = 1;
  gcdata::mymodel.scalevalues = 1;
  gcdata::mymodel.colscale = {2, 1, 1, 1};
  EXPECT_EQ(run("x.lo(i1) 10\n"),
            "--- Processing 1 DOT options\n"
            "*** Potential scaling problem for x.Lo\n"
            "*** Algfiletype dose not support row and column scales\n"
            "--- Modified 1 variable bounds.\n");
  EXPECT_EQ(gcdata::mymodel.collower[0], 5);
}

TEST_F(DotoptTest, NoDictionarySkipsDotOptionsButNotTheAdjustments) {
  gcdata::mymodel.dictfile.clear();
  gcdata::mymodel.colpriority = {4, zlmspecs::valbig, -1, 1};
  EXPECT_EQ(run(""),
            "*** Could not load dictionary from empty dictfile name.\n"
            "*** Skipping all .(lo,up,prior) options.\n");
  EXPECT_EQ(gcdata::mymodel.colpriority, (std::vector<double>{0.25, 0, 1, 1}));

  gcdata::mymodel.dictfile = q5rt::sstr::cut(log.dir.file("missing.dct"));
  optbaron::bofini();
  const std::string got = run("x.lo 1\n");
  EXPECT_EQ(got.rfind("*** Could not open dictfile " + log.dir.file("missing.dct") +
                          " Skipping all .(lo,up,prior) options.\n*** Cannot open dictionary file",
                      0),
            0u)
      << got;
  EXPECT_EQ(gcdata::mymodel.collower[0], 0);
}

TEST_F(DotoptTest, InfiniteBoundsAreReplacedExceptTheObjectiveVariables) {
  gcdata::mymodel.objvar = 4;
  EXPECT_EQ(run("InfBnd -1000\n"), "*** 2 +/- INF bound(s) have been reset to +/- 1000\n");
  EXPECT_EQ(gcdata::mymodel.collower, (std::vector<double>{0, -1000, 1, 0}));
  EXPECT_EQ(gcdata::mymodel.colupper, (std::vector<double>{1000, 10, 5, inf}));
}

TEST_F(DotoptTest, ReformulatedObjectiveVariableIsFreedAfterTheDotOptions) {
  gcdata::mymodel.objvar = 3;
  gcbaron::state.objreform = 1;
  EXPECT_EQ(run("y.lo 4\n"), "--- Processing 1 DOT options\n--- Modified 2 variable bounds.\n");
  EXPECT_EQ(gcdata::mymodel.collower[2], minf);
  EXPECT_EQ(gcdata::mymodel.colupper[2], inf);
}

}  // namespace
