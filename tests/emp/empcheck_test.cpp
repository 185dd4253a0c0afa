// The EMP loader through the empcheck driver on the fixture models: each section kind's
// record dump against its golden file, and the loader's messages for one-line bad files.
// UPDATE_GOLDEN=1 rewrites the golden files from the run for review.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/testutil.h"

namespace {

std::string fixtures() { return testutil::source_dir() + "/tests/emp/fixtures"; }

// Runs empcheck in the model's folder; the dictionary stand-in is found by the search path.
testutil::run_result empcheck(const std::string& model, std::vector<std::string> args) {
  ::setenv("LD_LIBRARY_PATH", testutil::standinlib().c_str(), 1);
  return testutil::run_program(testutil::binary_dir() + "/tests/empcheck", std::move(args),
                               fixtures() + "/" + model);
}

std::string firstdifference(const std::string& a, const std::string& b) {
  std::size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  const std::size_t start = at == 0 ? std::string::npos : a.rfind('\n', at - 1);
  const std::size_t from = start == std::string::npos ? 0 : start + 1;
  return "first difference in the line starting \"" + a.substr(from, 70) + "\" vs \"" +
         b.substr(from, 70) + "\"";
}

TEST(Empcheck, SectionsMatchTheirGoldenDumps) {
  struct row {
    const char* name;
    const char* model;
    const char* emp;
    std::vector<std::string> switches;
    const char* why;
  };
  const row rows[] = {
      {"dualpairs",
       "annot",
       "dualpairs",
       {},
       "dual pairs: blocks, members, a flip, a name outside the model"},
      {"dualdomains",
       "annot",
       "dualdomains",
       {},
       "pairs of different sizes and domains, an ambiguous flip"},
      {"vi", "annot", "vi", {}, "VI variables, zero functions, flipped pairs, unmatched rows"},
      {"qvi", "annot", "qvi", {}, "QVI with parameters whose bounds differ"},
      {"qvi-nobounds", "annot", "qvi", {"--nobounds"}, "QVI parameters without bound arrays"},
      {"adjust", "annot", "adjust", {}, "theta functions with weights and parameters; model type"},
      {"disjblock", "disj", "disjblock", {}, "a block variable fans out into three disjunctions"},
      {"disjmixed",
       "disj",
       "disjmixed",
       {"--solver", "disjsolvb"},
       "implementations, not, elseif, else, parallel step 1"},
      {"bilevel", "bilevel", "bilevel", {}, "a leader and one follower"},
      {"equil",
       "equil",
       "equil",
       {"--sharedequ", "--replication"},
       "implicit variable, shared equation, star"},
  };
  const bool update = std::getenv("UPDATE_GOLDEN") != nullptr;
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    std::vector<std::string> args = r.switches;
    args.push_back("model.ctl");
    args.push_back(std::string("../cases/") + r.emp + ".emp");
    const auto result = empcheck(r.model, args);
    EXPECT_EQ(result.exit_code, 0);
    const std::string golden = fixtures() + "/cases/" + r.name + ".out";
    if (update) testutil::write_file(golden, result.out);
    const std::string expected = testutil::read_file(golden);
    EXPECT_EQ(result.out, expected) << firstdifference(result.out, expected);
  }
}

TEST(Empcheck, BadFilesGiveTheirMessages) {
  struct row {
    const char* text;
    const char* line;  // a whole line of the output
    int result;
    const char* why;
  };
  const row rows[] = {
      {"x", "log| *** EMP syntax error: key expected: is x (item 1 on line 1)", 1,
       "a variable where a keyword belongs"},
      {"dualVAR x", "log| *** EMP syntax error: DualVar EQU expected 2 items found on 1lines", 1,
       "the file ends after a variable"},
      {"dualVAR x e\nmodeltype nlp p",
       "log| *** EMP syntax error: key expected: is neither a variable nor an equation: p (item 3 "
       "on line 2)",
       1, "items are counted per line"},
      {"dualEQU e z(i1)",
       "log| *** EMP syntax error: key expected: has dimension 1 but should be 0: emp error (item "
       "3 on line 1)",
       1, "a scalar with an index"},
      {"dualVAR x(i1,i2,i3,i4,i5,i6,i7,i8,i9,i10,i11,i12,i13,i14,i15,i16,i17,i18,i19,i20,i21) e",
       "log| *** EMP syntax error: key expected: has dimension 21 but should be 1: emp error (item "
       "2 on line 1)",
       1, "21 indices: reported, nothing written past the room"},
      {"dualVAR nosuch e",
       "log| *** EMP syntax error: key expected: unknown symbol nosuch (item 2 on line 1)", 1,
       "a name the dictionary lacks"},
      {"dualVAR p e", "result 0", 0, "a parameter in a pair: the pair is dropped"},
      {"dualVAR x(i1) p", "result 0", 0, "a parameter as partner: dropped"},
      {"dualEQU - x e",
       "log| *** EMP syntax error: Flip instruction \"-\" can only be followed by a constraint "
       "name",
       1, "a dash before a variable"},
      {"dualEQU e(i1) f(j1)",
       "log| *** EMP syntax error: DualEqu VAR expected is f (item 3 on line 1)", 1,
       "two equations"},
      {"vi 5 x", "log| *** EMP syntax error: Except for zero, numbers are not allowed", 1,
       "a number other than zero"},
      {"vi 0", "log| *** EMP syntax error: Zero should be followed by a variable name", 1,
       "zero at the end"},
      {"vi e(i1) f x",
       "log| *** EMP syntax error: Unmatched equations for defining the VI constraint set must all "
       "appear at the end of the VI definition",
       1, "a pair after an unmatched equation"},
      {"vi z vi x(i1)",
       "log| *** EMP syntax error: Multiple VI keywords are only accepted for bilevel/equilibrium "
       "problems.",
       1, "two VI sections"},
      {"qvi x",
       "log| *** EMP syntax error: QVI error: is x (item 2 on line 1) must start with equ, dash, "
       "or 0",
       1, "a QVI starting with a variable"},
      {"qvi e x", "sta| =5 4 not found in the EMPINFO file", 1, "rows a QVI leaves out"},
      {"adjustequ obj none", "sta| =5 9 empequ key none is unknown is none (item 3 on line 1)", 1,
       "the theta name none"},
      {"adjustequ obj 5",
       "sta| =5 9 Theta function expected empkey expected but number found (item 3 on line 1)", 1,
       "a number for a theta name"},
      {"adjustequ obj abs obj sqr",
       "sta| =5 9 empequ has been assigned already is sqr (item 5 on line 1)", 1,
       "a row adjusted twice"},
      {"modeltype emp", "log| *** EMP syntax error: EMP must not generate emp model", 1,
       "EMP itself"},
      {"modeltype x(i1)",
       "log| *** EMP syntax error: ModelType item expected empkey expected but indexed structure "
       "found (item 2 on line 1)",
       1, "an indexed name"},
      {"modeltype nosuch",
       "log| *** EMP syntax error: unknown ModelType item is nosuch (item 2 on line 1)", 1,
       "an unknown model type"},
      {"disjunction x(i1) e(i1)", "sta| =6 1 variable not binary", 1,
       "a continuous disjunction variable"},
      {"disjunction not * e(i1)",
       "log| *** EMP syntax error: cannot have NOT * is the key * (item 3 on line 1)", 1,
       "not before a star"},
      {"disjunction * e(i1) else modeltype nlp",
       "log| *** EMP syntax error: need at least one equation in last termis the key modeltype "
       "(item 5 on line 1)",
       1, "else without equations"},
      {"disjunction * modeltype nlp",
       "log| *** EMP syntax error: need at least one equation in term is the key modeltype (item 3 "
       "on line 1)",
       1, "a term without equations"},
      {"disjunction e(i1)",
       "log| *** EMP syntax error: key expected: is e (item 2 on line 1) star or var expected for "
       "disjunction",
       1, "a term opening with an equation"},
      {"disjunction x(i1) e(i1) elseif x e",
       "log| *** EMP syntax error: elseif needs a single variable, not a block is x (item 5 on "
       "line 1)",
       1, "a block variable after elseif"},
      {"bilevel", "log| *** EMP syntax error: BILEVEL: Leader cannot have \"*\"", 1,
       "see the next row"},
      {"x(", "log| *** Bad index, saw \"\"", 1, "the item reader's message"},
      {"x(i1 i2)", "log| *** EMP syntax error: empinfo file has syntax errors", 1,
       "the reader failed on an opened file"},
  };
  testutil::tempdir dir;
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    std::string text = r.text;
    if (std::string_view(r.why) == "see the next row") text = "bilevel * x";
    const std::string file = dir.file("bad.emp");
    testutil::write_file(file, text + "\n");
    const auto result = empcheck("annot", {"model.ctl", file});
    EXPECT_NE(result.out.find(std::string(r.line) + "\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("result " + std::to_string(r.result) + "\n"), std::string::npos);
  }
}

TEST(Empcheck, AMissingFileIsNoAnnotation) {
  const auto result = empcheck("annot", {"model.ctl", "nosuch.emp"});
  EXPECT_NE(result.out.find("log| *** Problems reading EMP info file: nosuch.emp\n"),
            std::string::npos);
  EXPECT_NE(result.out.find("log| *** Error code = 2 when opening file: nosuch.emp\n"),
            std::string::npos);
  EXPECT_NE(result.out.find("result 0\n"), std::string::npos);
  EXPECT_EQ(result.out.find("EMP Summary"), std::string::npos);
}

TEST(Empcheck, ItemsMode) {
  testutil::tempdir dir;
  const std::string file = dir.file("items.emp");
  testutil::write_file(file, "* items\ndualVAR x('i1') - e(\"i1\"), 1.5D1 -inf\n");
  const auto result = empcheck("annot", {"--items", file});
  EXPECT_EQ(result.out,
            "result true\n"
            "message \n"
            "item 1: name=dualVAR indices=() stripped=() dim=0 line=2 value=0\n"
            "item 2: name=x indices=('i1') stripped=(i1) dim=1 line=2 value=0\n"
            "item 3: name=- indices=() stripped=() dim=0 line=2 value=0\n"
            "item 4: name=e indices=(\"i1\") stripped=(i1) dim=1 line=2 value=0\n"
            "item 5: name== indices=() stripped=() dim=0 line=2 value=15\n"
            "item 6: name=- indices=() stripped=() dim=0 line=2 value=0\n"
            "item 7: name== indices=() stripped=() dim=0 line=2 value=3E300\n");
}

}  // namespace
