// The bridge library driven as BARON drives it: the program that plays BARON loads the built
// libkorvasteps64.so from a system directory that holds it beside the option and combined
// stand-ins (found through the bridge's run path), in a folder with a small model (two
// columns, two rows; column 2 is the objective variable) and the map file "bavemap.scr".
// The fake local solver's answers are documented in standins/README.md: for solver k of the
// table and model column c, level = start + c within the bounds, marginal 1000k + c, row r's
// marginal -(1000k + r).
#include <elf.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/endlessfifo.h"
#include "support/testutil.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const std::string identitymap = "VARIABLES 2\n1\n2\nEQUATIONS 2\n1\n2\n";
const std::string swappedmap = "VARIABLES 2\n2\n1\nEQUATIONS 2\n2\n1\n";
const std::string startpoint =
    "levels 0.5 0.25\nmarginals 0 0\nlower -10 -20\nupper 10 20\nequs 2\n";
// The settings of the model object as solveprob restores them (after the last figure).
const std::string restored =
    "kroGetHeadnTail 11\nkroAltBoundsSet 0\nkroPinfSet 1e+20\nkroMinfSet -1e+20\n"
    "kroNameOptFileSet \"baron.opt\"\nkroOptFileSet 1\nhvnSetIntOpt NodeLim 0\n";

// Environment variables for one child run, removed again afterwards.
using envlist = std::vector<std::pair<std::string, std::string>>;

class bridgerun {
 public:
  // optlibdir: where the option library comes from (a variant folder, or the stand-ins').
  explicit bridgerun(const std::string& optlibdir = testutil::standinlib()) {
    const std::string model = testutil::source_dir() + "/tests/e2e/fixtures/layout0/";
    for (const char* f : {"model.ctl", "model.mat", "model.cod"}) fs::copy(model + f, dir_.file(f));
    fs::create_directory(dir_.file("sysdir"));
    place(BRIDGE_LIBRARY);
    place(optlibdir + "/libzlmopt64.so");
    place(testutil::standinlib() + "/libbrin64.so");
    fs::copy(testutil::source_dir() + "/examples/sysdir/optbaron.def",
             dir_.file("sysdir/optbaron.def"));
    map(identitymap);
  }

  void map(const std::string& text) const { file("bavemap.scr", text); }
  void file(const std::string& name, const std::string& text) const {
    testutil::write_file(dir_.file(name), text);
  }
  void remove(const std::string& name) const { fs::remove(dir_.file(name)); }
  [[nodiscard]] std::string read(const std::string& name) const {
    return fs::exists(dir_.file(name)) ? testutil::read_file(dir_.file(name)) : "";
  }

  // Runs the script; the stand-ins trace to trace.txt.
  testutil::run_result run(const std::string& script, const envlist& env = {}) const {
    file("script.txt", script);
    remove("trace.txt");
    envlist all = env;
    all.emplace_back("BRIN_TRACE", dir_.file("trace.txt"));
#if defined(BL_ADDRESS_SANITIZER)
    // The sanitizer's dlopen calls the loader from its own library, whose run path is not
    // the bridge's: the system directory is named to the loader instead.
    all.emplace_back("LD_LIBRARY_PATH", dir_.file("sysdir"));
#endif
    for (const auto& [k, v] : all) ::setenv(k.c_str(), v.c_str(), 1);
    auto r = testutil::run_program(BARONPLAY_PATH, {"sysdir/libkorvasteps64.so", "script.txt"},
                                   dir_.path().string());
    for (const auto& [k, v] : all) ::unsetenv(k.c_str());
    return r;
  }
  // The trace without the signature checks of the loads.
  [[nodiscard]] const fs::path& path() const { return dir_.path(); }
  [[nodiscard]] std::string trace() const {
    std::string kept;
    std::istringstream in(read("trace.txt"));
    for (std::string line; std::getline(in, line);)
      if (line.rfind("XCheck ", 0) != 0) kept += line + "\n";
    return kept;
  }

 private:
  // A library into the system directory: a hard link where possible, else a copy.
  void place(const std::string& from) const {
    const fs::path to = dir_.path() / "sysdir" / fs::path(from).filename();
    std::error_code ec;
    fs::create_hard_link(from, to, ec);
    if (ec) fs::copy_file(from, to);
  }
  testutil::tempdir dir_;
};

std::string initline(int r) { return "init " + std::to_string(r) + " outs "; }

// The names a shared library exports (defined symbols of its dynamic symbol table).
std::set<std::string> exportednames(const std::string& path) {
  const std::string image = testutil::read_file(path);
  const auto* eh = reinterpret_cast<const Elf64_Ehdr*>(image.data());
  const auto* sh = reinterpret_cast<const Elf64_Shdr*>(image.data() + eh->e_shoff);
  std::set<std::string> names;
  for (int s = 0; s < eh->e_shnum; ++s) {
    if (sh[s].sh_type != SHT_DYNSYM) continue;
    const char* strings = image.data() + sh[sh[s].sh_link].sh_offset;
    const auto* sym = reinterpret_cast<const Elf64_Sym*>(image.data() + sh[s].sh_offset);
    for (std::size_t k = 0; k < sh[s].sh_size / sizeof(Elf64_Sym); ++k)
      if (sym[k].st_shndx != SHN_UNDEF && ELF64_ST_BIND(sym[k].st_info) != STB_LOCAL)
        names.insert(strings + sym[k].st_name);
  }
  return names;
}

}  // namespace

TEST(Korvasteps, ExportsTheThreeEntriesAndNothingElse) {
  EXPECT_EQ(exportednames(BRIDGE_LIBRARY),
            (std::set<std::string>{"baronzolm_free", "baronzolm_init", "baronzolm_solveprob"}));
}

// ---- init ----

TEST(Korvasteps, ASolveLandsOnTheRightVariablesAndRowsThroughBaronOrder) {
  const bridgerun b;
  b.map(swappedmap);
  const auto r =
      b.run("init model.ctl 3 20240508\n" + startpoint + "upper 2 20\nsolve 3 - - 0 100 1\nfree\n");
  EXPECT_EQ(r.exit_code, 0);
  // BARON's variable 0 is column 2 (pushed bounds [-10, 2]), variable 1 column 1.
  EXPECT_EQ(r.out,
            "init 0 outs 2 2 4 1 4 out12 1\n"
            "avail 2 2 2\n"
            "solve 0 modelstat 2 solvestat 1 ht5 53.75 ht15 153.75 ht3 33 ht11 113\n"
            "levels 2 1.25\n"
            "marginals 3002 3001\n"
            "equmarginals -3002 -3001\n"
            "free 1\n");
  EXPECT_THAT(b.trace(), HasSubstr("kroSetRvVarPermutation 2\n"));
  EXPECT_THAT(b.trace(), HasSubstr("solve NLPSOLVA optfile 0 \"baron.opt\" nodelim 100 "
                                   "altbounds 1 forcecont 0 text \"\"\n"));
  EXPECT_THAT(b.trace(), HasSubstr(restored));
}

TEST(Korvasteps, SolverChoiceContinuousSwitchAndRestore) {
  const bridgerun b;
  const auto r =
      b.run("init model.ctl 3 20240508\n" + startpoint + "solve 101 - fromBaron 1 7 0\n");
  // The default MINLP solver (12); the continuous switch shows in figure 11; no equation
  // marginals were asked for, so BARON's array stays as it was.
  EXPECT_THAT(r.out, HasSubstr("solve 0 modelstat 2 solvestat 1 ht5 62.75 ht15 162.75 ht3 42 "
                               "ht11 1122\nlevels 1.5 2.25\nmarginals 12001 12002\n"
                               "equmarginals -7 -7\n"));
  EXPECT_THAT(b.trace(), HasSubstr("solve MINLPSOLVA optfile 0 \"baron.opt\" nodelim 7 "
                                   "altbounds 1 forcecont 1 text \"fromBaron\"\n"));
  EXPECT_THAT(b.trace(), HasSubstr("kroGetHeadnTail 11\nkroForceContSet 0\nkroAltBoundsSet 0\n"));
  EXPECT_THAT(b.trace(), Not(HasSubstr("kroGetEquM")));
}

TEST(Korvasteps, AvailabilitySlotsAndTheNewestBaron) {
  struct row {
    int slots;
    int date;
    const char* expected;
    const char* why;
  };
  constexpr row rows[] = {
      {0, 20240508, "init 0 outs 2 2 4 1 4 out12 1\navail\n", "no slot is written"},
      {20, 20240508,
       "init 0 outs 2 2 4 1 4 out12 1\navail 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2 0 0 0 0\n",
       "slots 0 to 15 are advertised, the rest cleared"},
      {5, 20240509, "init 1 outs 2 2 4 1 4 out12 -1\navail 0 0 0 0 0\n",
       "a newer BARON is refused after the slots were cleared"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const bridgerun b;
    const auto res =
        b.run("init model.ctl " + std::to_string(r.slots) + " " + std::to_string(r.date) + "\n");
    EXPECT_EQ(res.out, r.expected);
    const bool refused = r.date > 20240508;
    EXPECT_EQ(b.read("model.sta").find("Error: BARON executable too new for this Zolm system.") !=
                  std::string::npos,
              refused);
  }
}

TEST(Korvasteps, RefusedMapFilesFailInitWithAClearMessage) {
  struct row {
    const char* map;
    const char* message;
    const char* why;
  };
  constexpr row rows[] = {
      {"", "Bad Baron VE map bavemap.scr line 1: the line is missing\n", "empty file"},
      {"VARIABLES\n", "Bad Baron VE map bavemap.scr line 1: a word and a count expected\n",
       "no count"},
      {"VARIABLES two\n", "Bad Baron VE map bavemap.scr line 1: a word and a count expected\n",
       "a count that is no number"},
      {"VARIABLES -1\n", "Bad Baron VE map bavemap.scr line 1: the count is negative\n",
       "negative count"},
      {"VARIABLES 2\n1\n", "Bad Baron VE map bavemap.scr line 3: the line is missing\n",
       "map shorter than its count"},
      {"VARIABLES 2\n1\n2x\n", "Bad Baron VE map bavemap.scr line 3: a number expected\n",
       "entry not a number"},
      {"VARIABLES 1\n1\n", "Bad Baron VE map bavemap.scr line 3: the line is missing\n",
       "no equation line"},
      {"VARIABLES 1\n0\nEQUATIONS 0\n",
       "Bad Baron VE map bavemap.scr line 2: column 0 is out of range\n", "a column below 1"},
      {"VARIABLES 2\n1\n1\nEQUATIONS 0\n",
       "Bad Baron VE map bavemap.scr line 3: column 1 gives model object index 0 a second time\n",
       "a column twice"},
      {"VARIABLES 1\n1\nEQUATIONS 2\n2\n2\n",
       "Bad Baron VE map bavemap.scr line 5: row 2 gives model object index 1 a second time\n",
       "a row twice"},
      {"VARIABLES 1\n3\nEQUATIONS 0\n",
       "Bad Baron VE map bavemap.scr line 2: column 3 is out of range\n",
       "a column above the model's two"},
      {"VARIABLES 0\nEQUATIONS 1\n5\n",
       "Bad Baron VE map bavemap.scr line 3: row 5 is out of range\n",
       "a row above the model's two"},
      {"VARIABLES 3\n1\n2\n3\nEQUATIONS 0\n",
       "Bad Baron VE map bavemap.scr line 1: the count 3 is above the model's 2 columns\n",
       "more variables than BARON's arrays hold"},
      {"VARIABLES 2\n1\n2\nEQUATIONS 3\n1\n2\n3\n",
       "Bad Baron VE map bavemap.scr line 4: the count 3 is above the model's 2 rows\n",
       "more equations than BARON's arrays hold"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const bridgerun b;
    b.map(r.map);
    const auto res = b.run("init model.ctl 1 20240508\nsolve 3 - - 0 0 0\nfree\n");
    EXPECT_THAT(res.out, HasSubstr(std::string(r.message) + initline(1)));
    // A state whose init failed is refused and never touches the model object.
    EXPECT_THAT(res.out, HasSubstr("baronzolm_init() not called or did not succeed.\nsolve 1"));
    EXPECT_THAT(b.trace(), Not(HasSubstr("kroSetVarLOne")));
    EXPECT_THAT(res.out, HasSubstr("free 1\n"));
  }
}

// A map file that is a link to an endless source: init reads no more than the bound and
// fails with the map's message; a whole map in front of endless text is read as a map.
TEST(KorvastepsMap, AMapWithoutAnEndFailsInitAtTheBound) {
  struct row {
    std::string head, body;
    const char* expected;
    const char* why;
  };
  const row rows[] = {
      {"", "VARIABLES ",
       "Bad Baron VE map bavemap.scr line 1: the file goes on beyond 67108864 bytes\n"
       "init 1 outs ",
       "one line without an end"},
      {identitymap, "2\n", "init 0 outs ", "a whole map, then endless lines"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const bridgerun b;
    b.remove("bavemap.scr");
    const testutil::endlessfifo feed((b.path() / "bavemap.scr").string(), r.head, r.body);
    const auto res =
        b.run("init model.ctl 1 20240508\n" + startpoint + "solve 3 - - 0 0 0\nfree\n");
    EXPECT_EQ(res.exit_code, 0);
    EXPECT_THAT(res.out, HasSubstr(r.expected));
    EXPECT_THAT(res.out, HasSubstr("free 1\n"));
  }
}

TEST(Korvasteps, AMissingMapFileAndEmptyOrders) {
  const bridgerun b;
  b.remove("bavemap.scr");
  EXPECT_THAT(b.run("init model.ctl 1 20240508\n").out,
              HasSubstr("Could not open Baron VE map: bavemap.scr\n" + initline(1)));
  b.map("VARIABLES 0\nEQUATIONS 0\n");
  const auto r = b.run("init model.ctl 1 20240508\nequs 2\nsolve 3 - - 0 0 1\n");
  EXPECT_THAT(r.out, HasSubstr(initline(0)));
  // An empty variable order is installed; no equation order, so no equation marginals.
  EXPECT_THAT(b.trace(), HasSubstr("kroSetRvVarPermutation 0\n"));
  EXPECT_THAT(b.trace(), Not(HasSubstr("kroSetRvEquPermutation")));
  EXPECT_THAT(r.out, HasSubstr("equmarginals -7 -7\n"));
}

TEST(Korvasteps, TheReformulatedObjectiveIsLeftOutOfTheModelObject) {
  const bridgerun b;
  const envlist reform = {{"BRIN_OBJREFORM", "1"}};
  // Column 2 is the objective variable: column 1 keeps index 0.
  b.map("VARIABLES 1\n1\nEQUATIONS 1\n2\n");
  const auto r = b.run(
      "init model.ctl 1 20240508\nlevels 0\nmarginals 0\nlower -5\nupper 5\n"
      "equs 1\nsolve 3 - - 0 0 1\n",
      reform);
  EXPECT_THAT(r.out, HasSubstr("levels 1\nmarginals 3001\nequmarginals -3002\n"));
  // Column 2 itself, listed although the model object does not count it: two columns are
  // more than the model object's one.
  b.map("VARIABLES 2\n1\n2\nEQUATIONS 0\n");
  EXPECT_THAT(b.run("init model.ctl 1 20240508\n", reform).out,
              HasSubstr("Bad Baron VE map bavemap.scr line 1: the count 2 is above the model's 1 "
                        "columns\n" +
                        initline(1)));
  // Alone it falls onto column 1's index, the only one there is.
  b.map("VARIABLES 1\n2\nEQUATIONS 0\n");
  EXPECT_THAT(b.run("init model.ctl 1 20240508\n", reform).out, HasSubstr(initline(0)));
}

TEST(Korvasteps, FailuresOfTheLibrariesDuringInit) {
  struct row {
    const char* var;
    const char* value;
    const char* expected;
    const char* why;
  };
  constexpr row rows[] = {
      {"BRIN_FAIL_CREATE", "1", "Error while creating object", "no environment object"},
      {"BRIN_FAIL", "hvnInitEnvironmentLegacy", "Failure in hvnInitEnvironmentLegacy()\n",
       "the environment is not set up"},
      {"BRIN_FAIL", "kroLoadDataLegacy", "brin: kroLoadDataLegacy failed",
       "the model is not loaded"},
      {"BRIN_FAIL", "kroSetRvVarPermutation", "Could not set variable permutation",
       "the variable order is refused"},
      {"BRIN_FAIL", "kroSetRvEquPermutation", "Could not set constraint permutation",
       "the equation order is refused"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const bridgerun b;
    const auto res = b.run("init model.ctl 1 20240508\nfree\n", {{r.var, r.value}});
    EXPECT_THAT(res.out, HasSubstr(std::string(r.expected) + initline(1)));
    EXPECT_THAT(res.out, HasSubstr("free 1\n"));
  }
}

TEST(Korvasteps, InitWithoutControlFileAndRefusedStates) {
  const bridgerun b;
  const auto r = b.run("init - 2 20240508\nsolve 3 - - 0 0 0\nforget\nsolve 3 - - 0 0 0\nfree\n");
  EXPECT_EQ(r.out,
            "No controlFile given.\ninit 1 outs -1 -1 -1 -1 -1 out12 -1\navail -1 -1\n"
            "baronzolm_init() not called or did not succeed.\n"
            "solve 1 modelstat -1 solvestat -1 ht5 -1 ht15 -1 ht3 -1 ht11 -1\nlevels\nmarginals\n"
            "equmarginals\n"
            "baronzolm_init() not called or did not succeed.\n"
            "solve 1 modelstat -1 solvestat -1 ht5 -1 ht15 -1 ht3 -1 ht11 -1\nlevels\nmarginals\n"
            "equmarginals\n"
            "free 1\n");
}

// ---- option files and solver numbers ----

TEST(Korvasteps, ExtSolverOptionsChooseTheSolverAndItsOptionFile) {
  struct row {
    const char* value;
    const char* traced;
    const char* why;
  };
  constexpr row rows[] = {
      {"NLPSOLVB", "solve NLPSOLVB optfile 1 \"offered.opt\"", "no number: BARON's file is taken"},
      {"NLPSOLVB.1", "solve NLPSOLVB optfile 1 \"NLPSOLVB.opt\"", "number 1"},
      {"NLPSOLVB.9", "solve NLPSOLVB optfile 9 \"NLPSOLVB.op9\"", "one digit"},
      {"NLPSOLVB.10", "solve NLPSOLVB optfile 10 \"NLPSOLVB.o10\"", "two digits"},
      {"NLPSOLVB.99", "solve NLPSOLVB optfile 99 \"NLPSOLVB.o99\"", "two digits, last"},
      {"NLPSOLVB.100", "solve NLPSOLVB optfile 100 \"NLPSOLVB.100\"", "three digits"},
      {"NLPSOLVB.999", "solve NLPSOLVB optfile 999 \"NLPSOLVB.999\"", "the last number"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const bridgerun b;
    b.file("baron.opt", std::string("ExtNLPsolver ") + r.value + "\n");
    const auto res =
        b.run("init model.ctl 1 20240508\n" + startpoint + "solve 100 offered.opt - 0 0 0\n");
    EXPECT_THAT(res.out, HasSubstr("solve 0 "));
    EXPECT_THAT(b.trace(), HasSubstr(r.traced));
    EXPECT_THAT(b.trace(), HasSubstr(restored));
  }
  const bridgerun b;
  b.file("baron.opt", "ExtMINLPsolver MINLPSOLVC.1000\n");
  const auto res = b.run("init model.ctl 1 20240508\n" + startpoint + "solve 101 - - 0 0 0\n");
  EXPECT_THAT(res.out, HasSubstr("(MI)NLP Optfile number has to be within [0,999]solve 1 "));
  EXPECT_THAT(b.trace(), Not(HasSubstr("hvnCallSolver")));
  EXPECT_THAT(b.trace(), HasSubstr(restored.substr(restored.find('\n') + 1)));
}

TEST(Korvasteps, BaronOfferedAndDefaultOptionFiles) {
  const bridgerun b;
  b.file("baron.opt", "ExtNLPsolver NLPSOLVB.2\n");
  b.file("nlpsolva.opt", "");
  const auto r = b.run("init model.ctl 1 20240508\n" + startpoint +
                       "solve 4 offered.opt - 0 0 0\nsolve 100 offered.opt - 0 0 0\n"
                       "solve 3 - - 0 0 0\nsolve 5 - - 0 0 0\n");
  const std::string t = b.trace();
  EXPECT_THAT(t, HasSubstr("solve NLPSOLVB optfile 1 \"offered.opt\""));   // taken
  EXPECT_THAT(t, HasSubstr("solve NLPSOLVB optfile 2 \"NLPSOLVB.op2\""));  // numbered wins
  // No option file named: the solver's name, lower-cased, in the scratch directory.
  EXPECT_THAT(t, HasSubstr("solve NLPSOLVA optfile 1 \"nlpsolva.opt\""));
  EXPECT_THAT(t, HasSubstr("solve NLPSOLVC optfile 0 \"baron.opt\""));
}

TEST(Korvasteps, TheDefaultOptionFileKeepsTheScratchDirectoryAsItStands) {
  const bridgerun b;
  // Line 30 of the control file names the scratch directory.
  std::string ctl = b.read("model.ctl");
  std::size_t at = 0;
  for (int line = 1; line < 30; ++line) at = ctl.find('\n', at) + 1;
  ctl.insert(at, "Scr/");
  b.file("model.ctl", ctl);
  fs::create_directory(b.path() / "Scr");
  b.file("Scr/bavemap.scr", identitymap);
  b.file("Scr/nlpsolva.opt", "");
  const auto r = b.run("init model.ctl 1 20240508\n" + startpoint + "solve 3 - - 0 0 0\n");
  EXPECT_THAT(r.out, HasSubstr("solve 0 "));
  EXPECT_THAT(b.trace(), HasSubstr("solve NLPSOLVA optfile 1 \"Scr/nlpsolva.opt\""));
}

TEST(Korvasteps, ABadExtSolverValueKeepsTheDefaultWithAWarning) {
  const bridgerun b;
  b.file("baron.opt", "ExtNLPsolver no.such.solver\nExtMINLPsolver MINLPSOLVD\n");
  const auto r = b.run("init model.ctl 1 20240508\n" + startpoint +
                       "solve 100 - - 0 0 0\nsolve 101 - - 0 0 0\n");
  EXPECT_THAT(r.out, HasSubstr("*** Warning: ExtNLPsolver syntax wrong." + initline(0)));
  EXPECT_THAT(b.trace(), HasSubstr("solve NLPSOLVA "));
  EXPECT_THAT(b.trace(), HasSubstr("solve MINLPSOLVD "));
}

TEST(Korvasteps, SolverNumbersOutsideTheTableAreRefusedAndTheModelRestored) {
  for (int number : {2, 16, 99, 102}) {
    SCOPED_TRACE(number);
    const bridgerun b;
    const auto r = b.run("init model.ctl 1 20240508\n" + startpoint + "solve " +
                         std::to_string(number) + " - - 1 5 0\n");
    EXPECT_THAT(r.out, HasSubstr("Can't match solver number " + std::to_string(number) +
                                 " to Zolm NLP or MINLP solver\nsolve 1 modelstat -1"));
    EXPECT_THAT(b.trace(), Not(HasSubstr("hvnCallSolver")));
    EXPECT_THAT(b.trace(), HasSubstr("kroForceContSet 1\nkroForceContSet 0\nkroAltBoundsSet 0\n"
                                     "kroPinfSet 1e+20\nkroMinfSet -1e+20\n"));
  }
}

TEST(Korvasteps, AnUnknownSolverNameComesBackFromTheSolverCall) {
  const bridgerun b;
  b.file("baron.opt", "ExtNLPsolver othersolver\n");
  const auto r = b.run("init model.ctl 1 20240508\n" + startpoint + "solve 100 - - 0 0 0\n");
  EXPECT_THAT(r.out, HasSubstr("solve 1 modelstat 14 solvestat 13 "));
  EXPECT_THAT(r.out, HasSubstr("levels 0.5 0.25\n"));
}

// ---- free ----

TEST(Korvasteps, FreeUnloadsAndASecondInitWorks) {
  const bridgerun b;
  const auto r = b.run("init model.ctl 1 20240508\nfree\ninit model.ctl 1 20240508\n" + startpoint +
                       "solve 3 - - 0 0 0\nfree\n");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_THAT(r.out, HasSubstr("free 1\ninit 0 "));
  EXPECT_THAT(r.out, HasSubstr("solve 0 "));
  EXPECT_THAT(r.out, HasSubstr("levels 1.5 2.25\nmarginals 3001 3002\n"));
}

// ---- the loaders, seen from BARON's side ----

TEST(Korvasteps, LibrariesThatCannotBeLoaded) {
  {
    SCOPED_TRACE("no combined library in the system directory");
    const bridgerun b;
    b.remove("sysdir/libbrin64.so");
    EXPECT_THAT(b.run("init model.ctl 1 20240508\nfree\n").out,
                HasSubstr("Could not load shared library libbrin64.so: libbrin64.so: cannot open "
                          "shared object file: No such file or directory" +
                          initline(1)));
  }
  {
    SCOPED_TRACE("the environment refuses the API version");
    const bridgerun b;
    EXPECT_THAT(
        b.run("init model.ctl 1 20240508\n", {{"BRIN_REFUSE_API", "1"}}).out,
        HasSubstr("brin: API version 8 refused; this library speaks version 8" + initline(1)));
  }
  {
    SCOPED_TRACE("a mandatory entry is missing");
    const bridgerun b(testutil::standinvariant("zlmopt-noapiversion"));
    const auto out = b.run("init model.ctl 1 20240508\n").out;
    EXPECT_THAT(out, HasSubstr("Could not load symbol 'CXAPIVersion': "));
    EXPECT_THAT(out, HasSubstr("undefined symbol: CXAPIVERSION" + initline(1)));
  }
  {
    SCOPED_TRACE("an entry confirmed by the check but not exported");
    const bridgerun b(testutil::standinvariant("zlmopt-cmissing"));
    const auto out = b.run("init model.ctl 1 20240508\n").out;
    EXPECT_THAT(out, HasSubstr("Could not load symbol 'CoptGetNameOpt': "));
    EXPECT_THAT(out, HasSubstr(initline(1)));
  }
}

TEST(Korvasteps, EntriesFoundInUpperCaseAndUnconfirmedEntries) {
  {
    SCOPED_TRACE("CoptGetStrStr exported in upper case only");
    const bridgerun b(testutil::standinvariant("zlmopt-cupper"));
    b.file("baron.opt", "ExtNLPsolver NLPSOLVE.3\n");
    const auto r = b.run("init model.ctl 1 20240508\n" + startpoint + "solve 100 - - 0 0 0\n");
    EXPECT_THAT(r.out, HasSubstr(initline(0)));
    EXPECT_THAT(b.trace(), HasSubstr("solve NLPSOLVE optfile 3 \"NLPSOLVE.op3\""));
  }
  {
    SCOPED_TRACE("optGetNameOpt not confirmed: the stub ends BARON's process");
    const bridgerun b;
    b.file("baron.opt", "ExtNLPsolver NLPSOLVB\n");
    const auto r = b.run("init model.ctl 1 20240508\n", {{"ZLMOPT_REJECT", "optGetNameOpt"}});
    EXPECT_EQ(r.exit_code, 123);
    EXPECT_EQ(
        r.out,
        "optGetNameOpt could not be loaded: zlmopt: optGetNameOpt rejected by fault injection\n");
  }
}
