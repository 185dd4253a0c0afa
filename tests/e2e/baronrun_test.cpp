// BARON's input file, the map and the run through the stand-in BARON: the real binary on
// small models written by the test, the files it leaves checked.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "baron/modelfiles.h"
#include "support/testutil.h"

namespace {

namespace fs = std::filesystem;
using barontest::coldesc;
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
    result = testutil::run_program(testutil::baronlink_path(), {"model.ctl"}, dir.path().string(), env);
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

// The example model: x1 free, x2 >= 0, x3 free; e1: x1*x2 =L= 4; e2: x3 - x1 =E= 0; min x3.
modeldesc examplemodel() {
  modeldesc d;
  d.cols = {{.lower = minf}, {}, {.lower = minf}};
  d.rows = {{.type = 2, .rhs = 4, .terms = {{1, 0, true}, {2, 0, true}}, .code = {ins(opcode::pushv, 1), ins(opcode::mulv, 2)}},
            {.type = 0, .rhs = 0, .terms = {{3, 1}, {1, -1}}}};
  d.objvar = 3;
  d.objrow = 2;
  return d;
}

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
  EXPECT_NE(log.find("BARON stand-in: mybaron.scr: 3 variables, 2 equations, minimize\n"), std::string::npos) << log;
  EXPECT_NE(run.file("tim.scr").find("mybaron.scr 0 0 0 0 "), std::string::npos);
}

}  // namespace
