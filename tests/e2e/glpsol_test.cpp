// The conversion writers' LP, fixed MPS and free MPS files read by an outside reader: GLPK's
// glpsol (Debian glpk-utils, installed by scripts/setup.sh) solves each file of a small LP
// and MIP written through the writemodel driver and must find the model's optimum.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/modelfiles.h"
#include "support/testutil.h"

namespace {

namespace fs = std::filesystem;
using barontest::minf;
using barontest::modeldesc;

// glpsol from PATH; empty when it is not there.
std::string glpsol() {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path != nullptr ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const fs::path p = fs::path(dir) / "glpsol";
    if (!dir.empty() && fs::exists(p)) return p.string();
  }
  return {};
}

// The free MPS file without its OBJSENSE and OBJNAME sections (each a head line and one
// value line), which glpsol does not read; the sense goes on its command line instead.
std::string withoutsense(const std::string& mps) {
  std::istringstream in(mps);
  std::string out;
  for (std::string line; std::getline(in, line);) {
    if (line == "OBJSENSE" || line == "OBJNAME") {
      std::getline(in, line);
      continue;
    }
    out += line + "\n";
  }
  return out;
}

// The optimum glpsol reports ("Objective:  obj = <value> (MINimum)"); the report's first
// lines when it has none.
std::string optimum(const std::string& report) {
  const std::size_t at = report.find("Objective:  obj = ");
  if (at == std::string::npos) return "no optimum in: " + report.substr(0, 400);
  const std::size_t from = at + 18;
  return report.substr(from, report.find(' ', from) - from);
}

// LP, maximise z: x1 in [0, 4] (UP), x2 in [-inf, 3] (MI and UP), x3 free (FR), x4 fixed
// at 2 (FX), x5 in [1.5, +inf) (LO), x6 in [-2, 5] (LO and UP), x7 in [0, +inf) (no line),
// z free;  e1: z - x1 - 2 x2 - x3 - x4 + x5 - 3 x6 + x7 = 0,  e2: x2 + x3 <= 6,
// e3: x5 + x6 >= 1.  Optimum 4 + 2*3 + 3 + 2 - 1.5 + 3*5 = 28.5.
modeldesc lp() {
  modeldesc d;
  d.modeltype = ctvproc::proc_lp;
  d.cols = {{.upper = 4},
            {.lower = minf, .upper = 3},
            {.lower = minf},
            {.lower = 2, .level = 2, .upper = 2},
            {.lower = 1.5, .level = 1.5},
            {.lower = -2, .upper = 5},
            {},
            {.lower = minf}};
  d.rows = {
      {.type = 0, .terms = {{8, 1}, {1, -1}, {2, -2}, {3, -1}, {4, -1}, {5, 1}, {6, -3}, {7, 1}}},
      {.type = 2, .rhs = 6, .terms = {{2, 1}, {3, 1}}},
      {.type = 1, .rhs = 1, .terms = {{5, 1}, {6, 1}}}};
  d.objvar = 8;
  d.objrow = 1;
  d.maximize = true;
  return d;
}

// MIP, minimise z: i1 integer in [2, +inf) (LO and PL), i2 integer in [0, +inf) (LI),
// b3 binary, i4 integer in [-3, 4] (LO and UP), x5 in [0, 10], b6 binary fixed at 1 (FX,
// outside the markers), z free;  e1: z - i1 - 2 i2 - 5 b3 - i4 - x5 = 0,
// e2: i1 + i2 + b3 + b6 >= 4.5,  e3: i1 - i2 <= 1.  Optimum i1 = i2 = 2, i4 = -3: 3. A
// reader that caps i2 at 1 needs b3 (6); one that caps i1 at 1 finds no solution.
modeldesc mip() {
  modeldesc d;
  d.modeltype = ctvproc::proc_mip;
  d.cols = {{.type = 2, .lower = 2, .level = 2},
            {.type = 2},
            {.type = 1, .upper = 1},
            {.type = 2, .lower = -3, .upper = 4},
            {.upper = 10},
            {.type = 1, .lower = 1, .level = 1, .upper = 1},
            {.lower = minf}};
  d.rows = {{.type = 0, .terms = {{7, 1}, {1, -1}, {2, -2}, {3, -5}, {4, -1}, {5, -1}}},
            {.type = 1, .rhs = 4.5, .terms = {{1, 1}, {2, 1}, {3, 1}, {6, 1}}},
            {.type = 2, .rhs = 1, .terms = {{1, 1}, {2, -1}}}};
  d.objvar = 7;
  d.objrow = 1;
  return d;
}

TEST(Glpsol, SolvesEveryFileToTheModelsOptimum) {
  const std::string solver = glpsol();
  ASSERT_FALSE(solver.empty()) << "glpsol not on PATH: scripts/setup.sh installs glpk-utils";
  struct model {
    modeldesc desc;
    const char* optimum;
    const char* negated;  // the fixed dialect of a maximisation minimises -z
    const char* why;
  };
  const model models[] = {
      {lp(), "28.5", "-28.5", "LP, maximisation, every bound line"},
      {mip(), "3", "3", "MIP, integer columns unbounded above"},
  };
  for (const model& m : models) {
    testutil::tempdir dir;
    barontest::writemodel(m.desc, dir.path().string());
    const std::string sense = m.desc.maximize ? "--max" : "--min";
    struct file {
      const char* writer;
      std::vector<std::string> args;
      const char* optimum;
    };
    const file files[] = {
        {"lp", {"--lp", "out"}, m.optimum},
        {"mps", {"--mps", "out"}, m.negated},
        {"freemps", {"--freemps", "plain", sense}, m.optimum},
    };
    for (const file& f : files) {
      SCOPED_TRACE(std::string(m.why) + ", " + f.writer);
      const testutil::run_result w = testutil::run_program(
          WRITEMODEL_PATH, {"model.ctl", f.writer, "out"}, dir.path().string());
      ASSERT_EQ(w.exit_code, 0) << w.out;
      testutil::write_file(dir.file("plain"), withoutsense(testutil::read_file(dir.file("out"))));
      std::vector<std::string> args = f.args;
      args.insert(args.end(), {"-o", "report"});
      const testutil::run_result g = testutil::run_program(solver, args, dir.path().string());
      EXPECT_EQ(g.exit_code, 0) << g.out;
      const std::string report =
          fs::exists(dir.file("report")) ? testutil::read_file(dir.file("report")) : g.out;
      EXPECT_EQ(optimum(report), f.optimum) << testutil::read_file(dir.file("out")) << g.out;
      fs::remove(dir.file("report"));
    }
  }
}

}  // namespace
