// The solver capabilities file: read and written back byte for byte, line errors, the
// defaults section, the merge of "zolmconfig.yaml" from the configuration locations, and
// the default solvers set by name or from a defaults file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/gfileopen.h"
#include "frame/q5text.h"
#include "instance/zlmconf.h"
#include "support/testutil.h"

namespace {

namespace fs = std::filesystem;

const std::string header =
    "*********************************\n"
    "* Zolm Solver Capabilities File *\n"
    "*********************************\n"
    "* solverId fileType dictType unused defaultOkFlag hiddenFlag linesToFollow modelTypes\n"
    "* scriptName\n"
    "* [exeName]\n"
    "* [libName auditCode solverInterfaceType [threadSafeIndic]]\n"
    "\n";

const std::string solvers =
    "\n"
    "NLPSOLVA 1 2 x 1 0 0 NLP CNS DNLP\n"
    "nlpsolvascript optnlpsolva.def\n"
    "\n"
    "MINLPSOLVB 11 0 0 1 1 2 NLP MINLP\n"
    "minlpsolvbscript\n"
    "minlpsolvbexe\n"
    "libminlpsolvb.so mnb 1 1\n"
    "\n"
    "LPSOLVC 1 0 0 0 0 1 LP MIP RMIP\n"
    "..Missing\n"
    "lpsolvcexe\n";

std::vector<std::string> messages(zlmconf::tzlmconf& t) {
  std::vector<std::string> all;
  while (t.scnummsg() > 0) all.push_back(t.scgetmsg().str());
  return all;
}

class Caps : public testing::Test {
 protected:
  void SetUp() override {
    // No configuration file of the machine takes part.
    ::setenv("XDG_CONFIG_HOME", (dir.path() / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (dir.path() / "dirs").c_str(), 1);
    table = std::make_unique<zlmconf::tzlmconf>(msg);
    gfileopen::detail::set_sleeper([](int) {});  // the open's retries without waiting
  }
  void TearDown() override {
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_CONFIG_DIRS");
  }
  std::int32_t read(const std::string& text) {
    testutil::write_file(dir.file("caps.txt"), text);
    return table->screadconfig(dir.file("caps.txt"), "");
  }
  testutil::tempdir dir;
  q5rt::sstr msg;
  std::unique_ptr<zlmconf::tzlmconf> table;
};

TEST_F(Caps, ReadsAndWritesTheFileBackByteForByte) {
  const std::string defaults = "\n\nDEFAULTS\nLP LPSOLVC\nNLP MINLPSOLVB\nMINLP MINLPSOLVB\n";
  const std::string text = header + solvers + defaults;
  EXPECT_EQ(read(text), 0) << testing::PrintToString(messages(*table));
  EXPECT_EQ(table->getnumalgs(), 3);
  const zlmconf::talgrecord& b = table->solvers.getrec(2);
  EXPECT_EQ(b.filetype, 11);
  EXPECT_TRUE(b.hiddenflag);
  EXPECT_EQ(b.modprob, -1);
  EXPECT_EQ(b.libline, "libminlpsolvb.so mnb 1 1");
  EXPECT_EQ(table->solvers.getrec(1).deffile, "optnlpsolva.def");
  // Defaults without a line: the lowest solver that can (DNLP NLPSOLVA, MIP LPSOLVC).
  EXPECT_EQ(table->scgetdefault(9), 1);
  EXPECT_EQ(table->scgetdefault(2), 3);
  EXPECT_EQ(table->scgetdefault(4), 2);  // the DEFAULTS line
  ASSERT_EQ(table->scwriteconfig(dir.file("out.txt")), 0);
  EXPECT_EQ(testutil::read_file(dir.file("out.txt")),
            header + solvers +
                "\n\nDEFAULTS\nLP LPSOLVC\nMIP LPSOLVC\nRMIP LPSOLVC\n"
                "NLP MINLPSOLVB\nCNS NLPSOLVA\nDNLP NLPSOLVA\nMINLP MINLPSOLVB\n");
  // Read twice: one record per solver, replaced in place.
  EXPECT_EQ(read(text), 0);
  EXPECT_EQ(table->getnumalgs(), 3);

  zlmconf::tzlmconf empty(msg);
  ASSERT_EQ(empty.scwriteconfig(dir.file("empty.txt")), 0);
  EXPECT_EQ(testutil::read_file(dir.file("empty.txt")), header + "\n\nDEFAULTS\n");
}

TEST_F(Caps, LineErrorsAndTheDefaultsSection) {
  const std::string text =
      "A\t1 0 0 1 0 0 NLP LP\n"  // a tab reads as a blank
      "ascript\n"
      "B x 0 0 1 0 0 NLP\n"  // stops at the file type
      "C 1 0 0 1 0 0 NLP QUBO\n"
      "cscript\n"
      "defaults\n"
      "NLP NONE\n"
      "LINEAR A\n"
      "LP C\n"  // C cannot do LP: the section ends here
      "NLP C\n";
  EXPECT_EQ(read(text), 11);
  EXPECT_EQ(messages(*table),
            (std::vector<std::string>{
                "Reading file: " + dir.file("caps.txt"), "File type read error in line below",
                "Line 3: B x 0 0 1 0 0 NLP", "Unknown model type QUBO in line below",
                "Line 4: C 1 0 0 1 0 0 NLP QUBO", "Unknown solver name NONE in line below",
                "Line 7: NLP NONE", "Unknown model type LINEAR in line below", "Line 8: LINEAR A",
                "Solver C cannot do LP in line below", "Line 9: LP C"}));
  EXPECT_EQ(table->scgetdefault(4), 1);  // NLP C never read
  EXPECT_EQ(table->getnumalgs(), 3);     // B stays, half filled

  EXPECT_EQ(table->screadconfig(dir.file("missing.txt"), ""), 3);
  EXPECT_EQ(messages(*table),
            (std::vector<std::string>{
                "Reading file: " + dir.file("missing.txt"),
                "Unable to open file (RC=2) with system message:", "No such file or directory"}));
  testutil::write_file(dir.file("ft5.txt"), "A 1 0 0 1 0 0 NLP\na\nB 11 0 0 1 0 0 NLP\nb\n");
  EXPECT_EQ(table->screadconfigforceft5(dir.file("ft5.txt"), ""), 0);
  EXPECT_EQ(table->solvers.getrec(1).filetype, 5);
  EXPECT_EQ(table->solvers.getrec(2).filetype, 15);  // B replaced in place
}

TEST_F(Caps, MergesTheConfigurationFilesOfEveryLocation) {
  const fs::path sys = dir.path() / "sys";
  const fs::path home = dir.path() / "home";  // the writable location, last
  fs::create_directories(sys);
  fs::create_directories(home);
  fs::copy_file(testutil::standinlib() + "/libzlmwyq64.so", sys / "libzlmwyq64.so");
  testutil::write_file((sys / "zolmconfig.yaml").string(),
                       "item nlpsolvx\nkey 0 \"nlpsolvx\"\nkey 17 2\nkey 11 \"fromsys\"\n"
                       "modeltypes 4\n"
                       "item other\nkey 17 1\n"
                       "item minlpsolvy\nkey 0 \"minlpsolvy\"\nkey 17 2\nkey 11 \"y\"\n"
                       "key 12 \"yexe\"\nkey 13 \"liby.so\"\nkey 5 11\nkey 9 1\nmodeltypes 4 11\n");
  testutil::write_file((home / "zolmconfig.yaml").string(),
                       "item nlpsolvx\nkey 0 \"nlpsolvx\"\nkey 17 2\nkey 11 \"fromhome\"\n"
                       "modeltypes 4 9\n");
  testutil::write_file(dir.file("caps.txt"), "NLPSOLVX 1 0 0 1 0 0 NLP\nfromcaps\n");
  testing::internal::CaptureStdout();
  EXPECT_EQ(table->screadconfig(dir.file("caps.txt"), sys.string()), 0);
  q5rt::output().flush();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "*** No audit code for library for solver MINLPSOLVY\n");
  ASSERT_EQ(table->getnumalgs(), 2);
  const zlmconf::talgrecord& x = table->solvers.getrec(1);
  EXPECT_EQ(x.scriptname, "fromhome");  // the system directory first, then the others
  EXPECT_TRUE(x.modeltypes[9]);
  const zlmconf::talgrecord& y = table->solvers.getrec(2);
  EXPECT_EQ(y.filetype, 11);
  EXPECT_TRUE(y.hiddenflag);
  EXPECT_EQ(y.linestofollow, 2);
  EXPECT_EQ(y.libline, "liby.so xxx 2 0");
  EXPECT_EQ(y.modprob, -1);

  // A broken configuration file is ignored, and so are the locations after it.
  testutil::write_file((sys / "zolmconfig.yaml").string(), "item\nbogus line\n");
  testing::internal::CaptureStdout();
  EXPECT_EQ(table->screadconfig(dir.file("caps.txt"), sys.string()), 0);
  q5rt::output().flush();
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.rfind("\n*** Ignoring settings from " + (sys / "zolmconfig.yaml").string() +
                          "\n*** Error: ",
                      0),
            0u)
      << out;
  EXPECT_EQ(table->solvers.getrec(1).scriptname, "fromcaps");
}

TEST_F(Caps, DefaultsByNameAndFromADefaultsFile) {
  ASSERT_EQ(read(header + solvers), 0);
  EXPECT_EQ(table->scsetdefault("nlp", "nlpsolva", false), 0);
  EXPECT_EQ(table->scgetdefault(4), 1);
  EXPECT_EQ(table->scsetdefault("LP", "NLPSOLVA", false), 1);
  EXPECT_EQ(table->scsetdefault("QUBO", "NLPSOLVA", false), 1);
  EXPECT_EQ(table->scsetdefault("LP", "NOSUCH", true), 1);
  EXPECT_EQ(messages(*table),
            (std::vector<std::string>{"Solver NLPSOLVA cannot solve LPs", "Bad model type QUBO",
                                      "Unknown solver name for LP=NOSUCH",
                                      "There are three possible error sources, please check:",
                                      " 1. Zolm parameters next to the RUN button",
                                      " 2. Additional parameters in Options|Execute",
                                      " 3. Old project defaults, correct default solver "
                                      "Options|Solvers"}));
  testutil::write_file(dir.file("defaults.txt"),
                       "* comment\n  NLP   MINLPSOLVB  \nLP NLPSOLVA\nMIP\nQUBO LPSOLVC\n");
  table->scupdatedefaultsolvers(dir.file("defaults.txt"));
  EXPECT_EQ(table->scgetdefault(4), 2);
  EXPECT_EQ(table->scgetdefault(1), 3);                    // NLPSOLVA cannot do LP: unchanged
  table->scupdatedefaultsolvers(dir.file("missing.txt"));  // as an empty file
  EXPECT_EQ(table->scnummsg(), 0);
}

}  // namespace
