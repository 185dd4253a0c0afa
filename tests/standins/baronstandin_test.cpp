// The stand-in BARON: its input-file reader (accepted and refused texts, the model it
// builds, expression values) and the program (refusals with their exit code and tim file,
// the default search, every scenario key).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "standins/baron/baronparse.h"
#include "support/testutil.h"

namespace {

namespace fs = std::filesystem;
using baronparse::parse;

// ---------------------------------------------------------------------------------------
// Reader

// The example model, as the link writes it after the OPTIONS section: x1 free, x2
// positive, x3 the objective variable.
constexpr const char* examplemodel = R"(
VARIABLES  x1,x2,x3;

POSITIVE_VARIABLES  x2;

EQUATIONS  e1,e2;


e1: x1*x2 <= 4;

e2:    x3 - x1 == 0;

OBJ: minimize x3;
)";

TEST(BaronParse, ExampleModel) {
  const std::string example =
      std::string("//  a header line\n//\nOPTIONS{\nEpsA: 1e-9;\n}\n") + examplemodel;
  const baronparse::result r = parse(example, "mybaron");
  ASSERT_TRUE(r.ok) << r.message();
  const baronparse::model& m = r.m;
  ASSERT_EQ(m.variables.size(), 3u);
  EXPECT_EQ(m.variables[1].name, "x2");
  EXPECT_EQ(m.variables[1].lower, 0);
  EXPECT_TRUE(std::isinf(m.variables[0].lower) && m.variables[0].lower < 0);
  EXPECT_TRUE(std::isinf(m.variables[2].upper));
  ASSERT_EQ(m.equations.size(), 2u);
  EXPECT_EQ(m.equations[0].rel, baronparse::relation::le);
  EXPECT_EQ(m.equations[1].rel, baronparse::relation::eq);
  const std::vector<double> x = {2, 3, 5};
  EXPECT_EQ(baronparse::evaluate(m.equations[0].lhs, x), 6);
  EXPECT_EQ(baronparse::evaluate(m.equations[0].rhs, x), 4);
  EXPECT_EQ(baronparse::evaluate(m.equations[1].lhs, x), 3);
  EXPECT_FALSE(m.obj.maximize);
  EXPECT_EQ(baronparse::evaluate(m.obj.expr, x), 5);
  ASSERT_EQ(m.options.size(), 1u);
  EXPECT_EQ(m.options[0].name, "EpsA");
  EXPECT_EQ(m.options[0].value, "1e-9");
  EXPECT_EQ(m.lines, 18);
}

// Every section and statement form, with wrapped lists and statements.
constexpr const char* everysection = R"(// header
OPTIONS{
TimName: "/a path/tim";
MaxIter: -7;
CutOff: +Inf;
LPSol: -Inf;
Mode: word;
}

BINARY_VARIABLES  b2;

INTEGER_VARIABLES  i3;

VARIABLES  x1,x4,
          x5,V1,W1,W2;

POSITIVE_VARIABLES  x4,V1,
          W1,W2;

LOWER_BOUNDS{
i3: -5;
x1: -1e20;
}

UPPER_BOUNDS{
x4: 0;
i3: 7;
}

BRANCHING_PRIORITIES{
b2: 3;
}

EQUATIONS  e1,e2,e3;

RELAXATION_ONLY_EQUATIONS  e2,e3;

CONVEX_EQUATIONS  e3;

LOCAL_EQUATIONS  e1;


e1: exp(x1) + 2*b2 - 3.5*i3 - V1 + W1 == 1.5;

e2:    0*x1 - W2 >= -2;

e3: log(x5)
              - x4 <= 1e-7;

OBJ: maximize V1^2 + W1^2 +
              W2^2;

STARTING_POINT{
x1: 0.5;
i3: 2;
}
)";

TEST(BaronParse, EverySection) {
  const baronparse::result r = parse(everysection, "f");
  ASSERT_TRUE(r.ok) << r.message();
  const baronparse::model& m = r.m;
  std::vector<std::string> order;
  for (const auto& v : m.variables) order.push_back(v.name);
  EXPECT_EQ(order, (std::vector<std::string>{"b2", "i3", "x1", "x4", "x5", "V1", "W1", "W2"}));
  const auto var = [&](const char* n) {
    return m.variables[static_cast<std::size_t>(m.findvariable(n))];
  };
  EXPECT_EQ(var("b2").type, baronparse::vartype::binary);
  EXPECT_EQ(var("b2").lower, 0);
  EXPECT_EQ(var("b2").upper, 1);
  EXPECT_EQ(var("b2").priority, 3);
  EXPECT_EQ(var("i3").type, baronparse::vartype::integer);
  EXPECT_EQ(var("i3").lower, -5);
  EXPECT_EQ(var("i3").upper, 7);
  EXPECT_TRUE(var("i3").hasstart);
  EXPECT_EQ(var("i3").start, 2);
  EXPECT_EQ(var("x1").lower, -1e20);
  EXPECT_EQ(var("x1").start, 0.5);
  EXPECT_FALSE(var("x4").hasstart);
  EXPECT_EQ(var("x4").lower, 0);
  EXPECT_EQ(var("x4").upper, 0);
  EXPECT_EQ(var("W2").lower, 0);
  EXPECT_EQ(m.findvariable("x9"), -1);

  ASSERT_EQ(m.equations.size(), 3u);
  EXPECT_TRUE(m.equations[0].local);
  EXPECT_TRUE(m.equations[0].hasplace());
  EXPECT_FALSE(m.equations[1].hasplace()) << "relaxation only: no place in BARON's order";
  EXPECT_TRUE(m.equations[2].hasplace()) << "relaxation only and convex keeps its place";
  EXPECT_EQ(m.equations[1].rel, baronparse::relation::ge);
  EXPECT_EQ(baronparse::evaluate(m.equations[1].rhs, {}), -2);
  EXPECT_TRUE(m.obj.maximize);

  const std::vector<double> x = {1, 2, 0, 3, std::exp(2.0), 0.5, 0.25, 4};
  EXPECT_DOUBLE_EQ(baronparse::evaluate(m.equations[0].lhs, x), 1 + 2 - 7 - 0.5 + 0.25);
  EXPECT_DOUBLE_EQ(baronparse::evaluate(m.equations[2].lhs, x), 2 - 3);
  EXPECT_DOUBLE_EQ(baronparse::evaluate(m.obj.expr, x), 0.25 + 0.0625 + 16);

  std::vector<std::string> options;
  for (const auto& o : m.options) options.push_back(o.name + "=" + o.value + (o.quoted ? "q" : ""));
  EXPECT_EQ(options, (std::vector<std::string>{"TimName=/a path/timq", "MaxIter=-7", "CutOff=+Inf",
                                               "LPSol=-Inf", "Mode=word"}));
  ASSERT_NE(m.findoption("timname"), nullptr) << "option names compare without regard to case";
  EXPECT_EQ(m.findoption("none"), nullptr);
}

TEST(BaronParse, SmallForms) {
  struct row {
    const char* text;
    std::size_t variables;
    bool options;
    const char* why;
  };
  const row rows[] = {
      {"VARIABLES x0;OBJ: minimize 0;", 1, false, "a model without columns"},
      {"OPTION{ *** no option object *** }\nOBJ: minimize 0;", 0, true, "no option object"},
      {"OPTIONS{\n}\nOBJ: maximize - 0;", 0, true, "an empty section; a signed constant"},
      {"VARIABLES x1;EQUATIONS e1;e1:   0*x1 == 0;OBJ: minimize x1;", 1, false, "an empty row"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const baronparse::result p = parse(r.text, "f");
    ASSERT_TRUE(p.ok) << p.message();
    EXPECT_EQ(p.m.variables.size(), r.variables);
    EXPECT_EQ(p.m.optionssection, r.options);
  }
}

TEST(BaronParse, ExpressionValues) {
  struct row {
    const char* expr;
    double value;  // at x1 = 2, x2 = 3, x3 = 5
    const char* why;
  };
  const row rows[] = {
      {"x1 - (x2 + x3)", -6, "difference of a sum"},
      {"x1 - x2 + x3", 4, "sums are left-associative"},
      {"x1 - x2 - x3", -6, "differences are left-associative"},
      {"(x1 + x2)*x3", 25, "parenthesised sum in a product"},
      {"x1/(x2*x3)", 2.0 / 15, "quotient of a product"},
      {"x1*x2/x3", 6.0 / 5, "products are left-associative"},
      {"x1/x2*x3", 2.0 / 3 * 5, "quotient then product"},
      {"(-x1) + x2", 1, "negation first"},
      {"-(x1 + x2)", -5, "negated sum"},
      {"-x1^2", -4, "power binds above unary minus"},
      {"x1^(-2)", 0.25, "negative exponent in parentheses"},
      {"x1^-2", 0.25, "negative exponent without parentheses"},
      {"(x1 + 1)^2", 9, "power of a sum"},
      {"2^3^2", 512, "power is right-associative"},
      {"exp(x1*log(x2))", 9, "exp and log"},
      {"x1*x2 + 3*x3", 21, "products inside a sum"},
      {"- x2 + 2*x3", 7, "a leading minus on a linear term"},
      {".5*x1 + 1.5e-7*x2", 1 + 4.5e-7, "leading dot and an exponent"},
      {"1E2 + 1e+2", 200, "upper-case and signed exponents"},
      {"+x1", 2, "unary plus"},
      {"0.4342944819035252*log(x3)", 0.4342944819035252 * std::log(5.0), "log10 rewritten"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const std::string text = std::string("VARIABLES x1,x2,x3;OBJ: minimize ") + r.expr + ";";
    const baronparse::result p = parse(text, "f");
    ASSERT_TRUE(p.ok) << p.message();
    EXPECT_NEAR(baronparse::evaluate(p.m.obj.expr, std::vector<double>{2, 3, 5}), r.value, 1e-12);
  }
}

TEST(BaronParse, Refused) {
  struct row {
    const char* text;
    const char* message;
    const char* why;
  };
  const row rows[] = {
      {"VARIABLES x1;\nFOO x1;", "f:2: unknown statement 'FOO'", "unknown keyword"},
      {"VARIABLES x1;\nOBJ: minimize x2;", "f:2: undeclared variable 'x2'",
       "undeclared in an expression"},
      {"VARIABLES x1;\nUPPER_BOUNDS{\nx2: 1;\n}", "f:3: undeclared variable 'x2'",
       "undeclared in a block"},
      {"VARIABLES x1;\nPOSITIVE_VARIABLES x2;", "f:2: undeclared variable 'x2'",
       "undeclared positive"},
      {"VARIABLES x1;\nOBJ: minimize sin(x1);", "f:2: unknown function 'sin'",
       "a function BARON lacks"},
      {"VARIABLES x1;EQUATIONS e1;\ne1: x1 =X= 0;", "f:2: relation =X= is not accepted",
       "external row"},
      {"VARIABLES x1;EQUATIONS e1;\ne1: x1 =N= 0;", "f:2: relation =N= is not accepted",
       "free row"},
      {"VARIABLES x1;EQUATIONS e1;\ne1: x1 0;", "f:2: a relation expected, found '0'",
       "no relation"},
      {"VARIABLES x1;\nOBJ: minimize x1", "f:2: ';' expected, found the end of the file",
       "no semicolon"},
      {"VARIABLES x1,\nx1;", "f:2: variable 'x1' declared twice", "twice in one list"},
      {"BINARY_VARIABLES b1;\nVARIABLES b1;", "f:2: variable 'b1' declared twice",
       "twice in two lists"},
      {"EQUATIONS e1;\nVARIABLES e1;", "f:2: 'e1' is already an equation", "a name for both"},
      {"EQUATIONS e1;\ne1: 1 == 1;\ne1: 1 == 1;", "f:3: equation 'e1' defined twice", "two bodies"},
      {"EQUATIONS e1,\ne2;\ne1: 1 == 1;\nOBJ: minimize 0;",
       "f:2: equation 'e2' declared but not defined", "a declared row without body"},
      {"EQUATIONS e1;\nCONVEX_EQUATIONS e2;", "f:2: undeclared equation 'e2'",
       "undeclared in a class"},
      {"VARIABLES x1;\n", "f:1: no objective", "no objective"},
      {"OBJ: minimize 0;\nOBJ: minimize 0;", "f:2: a second objective", "two objectives"},
      {"OBJ: minimise 0;", "f:1: minimize or maximize expected, found 'minimise'", "bad sense"},
      {"OPTIONS{\nA: 1;\n}\nOPTIONS{\n}", "f:4: a second OPTIONS section", "two option sections"},
      {"OPTIONS{\nA: \"unclosed;\n}", "f:2: unclosed text", "unclosed text"},
      {"OPTIONS{\nA 1;\n}", "f:2: ':' expected, found '1'", "option without colon"},
      {"OPTIONS{\nA: ;\n}", "f:2: an option value expected, found ';'", "option without value"},
      {"VARIABLES x1;\nLOWER_BOUNDS{\nx1: Eps;\n}", "f:3: a number expected, found 'Eps'",
       "Eps is no number"},
      {"VARIABLES x1;\nSTARTING_POINT{\nx1: +Inf;\n}", "f:3: a number expected, found 'Inf'",
       "no infinite starting point"},
      {"VARIABLES x1;\nLOWER_BOUNDS x1: 1;", "f:2: '{' expected after LOWER_BOUNDS, found 'x1'",
       "no brace"},
      {"VARIABLES x1;\nOBJ: minimize x1 @ 2;", "f:2: unexpected character '@'",
       "a stray character"},
      {"VARIABLES x1;\nOBJ: minimize x1 = 2;", "f:2: unexpected character '='", "a single ="},
      {"VARIABLES x1;\nOBJ: minimize (x1;", "f:2: ')' expected, found ';'", "unclosed parenthesis"},
      {"VARIABLES x1;\nOBJ: minimize x1 * * 2;", "f:2: an operand expected, found '*'",
       "missing operand"},
      {"VARIABLES ;", "f:1: a variable name expected, found ';'", "an empty list"},
      {"VARIABLES x1;\nOBJ: minimize 1e999;", "f:2: bad number '1e999'", "a number out of range"},
      {"x1: 1;", "f:1: unknown statement 'x1'", "a statement of an undeclared equation"},
      {"\x01", "f:1: unexpected character '\\x01'", "a control character"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const baronparse::result p = parse(r.text, "f");
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.message(), r.message);
  }
}

TEST(BaronParse, DeepNestingIsRefusedNotACrash) {
  const std::string deep =
      "OBJ: minimize " + std::string(100000, '(') + "1" + std::string(100000, ')') + ";";
  const baronparse::result p = parse(deep, "f");
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(p.what, "expression nested too deeply");
  const std::string minus = "OBJ: minimize " + std::string(100000, '-') + "1;";
  EXPECT_EQ(parse(minus, "f").what, "expression nested too deeply");
}

TEST(BaronParse, LongSumIsNoDeepRecursion) {
  std::string text = "VARIABLES x1;OBJ: minimize x1";
  for (int i = 0; i < 200000; ++i) text += " + 1";
  text += ";";
  const baronparse::result p = parse(text, "f");
  ASSERT_TRUE(p.ok) << p.message();
  EXPECT_EQ(baronparse::evaluate(p.m.obj.expr, std::vector<double>{0.5}), 200000.5);
}

TEST(BaronParse, OptionsReadBeforeAFaultAreKept) {
  const baronparse::result p = parse("OPTIONS{\nA: 1;\nB: \"t\";\nC:: 3;\n}", "f");
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(p.line, 4);
  ASSERT_EQ(p.m.options.size(), 2u);
  EXPECT_EQ(p.m.options[1].value, "t");
}

// ---------------------------------------------------------------------------------------
// The program

// The tim file of a refused input: barstatus 10, model status 5, nodeopt -3.
constexpr const char* refusaltim = "mybaron 0 0 0 0 -1e+51 1e+51 10 5 0 0 -3 0 0 0\n";

std::string baron() { return testutil::binary_dir() + "/standins/bin/baron"; }
std::string sysdir() { return testutil::source_dir() + "/examples/sysdir/"; }

struct baronrun {
  int code = 0;
  std::string out, err;
};

// A folder with an input file whose OPTIONS section names tim, res and sum files there.
class BaronProgram : public ::testing::Test {
 protected:
  std::string options() const {
    return "OPTIONS{\nEpsA: 1e-9;\nCtrlFile: \"" + dir.file("model.ctl") + "\";\nTimName: \"" +
           dir.file("tim") + "\";\nResName: \"" + dir.file("res") + "\";\nSumName: \"" +
           dir.file("sum") + "\";\ncplexlibname: \"" + sysdir() + "libcplex2211.so\";\n" +
           "zolmlibname: \"" + sysdir() + "libkorvasteps64.so\";\n}\n";
  }

  baronrun run(const std::string& body, const std::string& scenario = "", bool withoptions = true) {
    testutil::write_file(input(), withoptions ? options() + body : body);
    return runfile(input(), scenario);
  }

  baronrun runfile(const std::string& file, const std::string& scenario = "") {
    std::string scenariofile;
    if (!scenario.empty()) {
      scenariofile = dir.file("scenario");
      testutil::write_file(scenariofile, scenario);
    }
    return runwith(file, scenariofile);
  }

  // Runs with BARON_STANDIN_SCENARIO set to scenariofile (empty: no scenario).
  baronrun runwith(const std::string& file, const std::string& scenariofile) {
    const testutil::run_result r = testutil::run_program(
        "/bin/sh", {"-c", "BARON_STANDIN_SCENARIO=\"$3\" exec \"$0\" \"$1\" 2>\"$2\"", baron(),
                    file, dir.file("stderr"), scenariofile});
    return {r.exit_code, r.out, testutil::read_file(dir.file("stderr"))};
  }

  std::string input() const { return dir.file("mybaron"); }
  bool exists(const char* f) const { return fs::exists(dir.file(f)); }
  std::string file(const char* f) const { return testutil::read_file(dir.file(f)); }

  std::vector<std::string> timtokens() const {
    std::istringstream in(file("tim"));
    std::vector<std::string> t;
    for (std::string w; in >> w;) t.push_back(w);
    return t;
  }

  std::vector<std::string> reslines() const {
    std::istringstream in(file("res"));
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }

  // The lines of the res file from the first one equal to head on, count of them.
  std::vector<std::string> after(const std::string& head, std::size_t count) const {
    const std::vector<std::string> all = reslines();
    for (std::size_t i = 0; i < all.size(); ++i)
      if (all[i] == head)
        return {all.begin() + static_cast<long>(i),
                all.begin() + static_cast<long>(std::min(all.size(), i + count))};
    return {};
  }

  testutil::tempdir dir;
};

// A small integer model whose optimum (3, 1) is among the samples: minimise
// (i1 - 3)^2 + (i2 - 1)^2 with i1 + i2 >= 2 and both in [0, 5].
constexpr const char* integermodel = R"(
INTEGER_VARIABLES  i1,i2;

LOWER_BOUNDS{
i1: 0;
i2: 0;
}

UPPER_BOUNDS{
i1: 5;
i2: 5;
}

EQUATIONS  e1;

e1: i1 + i2 >= 2;

OBJ: minimize (i1 - 3)^2 + (i2 - 1)^2;
)";

// The example with a feasible starting point.
std::string examplebody() {
  return std::string(examplemodel) + "\nSTARTING_POINT{\nx1: 1;\nx2: 2;\nx3: 1;\n}\n";
}

TEST_F(BaronProgram, DefaultSearchFindsTheOptimumInTheSample) {
  const baronrun r = run(integermodel);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> t = timtokens();
  ASSERT_EQ(t.size(), 15u);
  EXPECT_EQ(t[0], "mybaron");
  EXPECT_EQ(t[5], "-1e+51") << "lower bound: none proven by a sample";
  EXPECT_EQ(t[6], "0") << "upper bound: the best candidate";
  EXPECT_EQ(t[7], "3") << "barstatus: the search stopped at its candidate limit";
  EXPECT_EQ(t[8], "4") << "model status: a feasible point, not proven optimal";
  EXPECT_EQ(t[9], "0") << "missingbnd";
  EXPECT_EQ(t[10], "1001") << "candidates";
  EXPECT_GE(std::stoi(t[11]), 1) << "found by a sample, not the starting point";
  EXPECT_EQ(after(" >>> Objective value: 0", 5),
            (std::vector<std::string>{" >>> Objective value: 0", "", " Variable      Value",
                                      "i1            3", "i2            1"}));
  EXPECT_EQ(after(" >>> Corresponding dual solution:", 1).size(), 0u) << "a sample has no duals";
  EXPECT_EQ(after("The best solution found is:", 5),
            (std::vector<std::string>{"The best solution found is:", "",
                                      "  variable     xlo     xbest     xup",
                                      "i1            0  3  5", "i2            0  1  5"}));
  EXPECT_EQ(reslines().back(), "The above solution has an objective value of: 0");
  EXPECT_NE(r.out.find("BARON stand-in: mybaron: 2 variables, 1 equations, minimize\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("BARON stand-in: control file " + dir.file("model.ctl") + "\n"),
            std::string::npos);
  EXPECT_NE(file("sum").find("  Total time elapsed"), std::string::npos);
}

TEST_F(BaronProgram, SameFileSameAnswer) {
  ASSERT_EQ(run(integermodel).code, 0);
  const std::string tim = file("tim"), res = file("res"), sum = file("sum");
  ASSERT_EQ(runfile(input()).code, 0);
  EXPECT_EQ(file("tim"), tim);
  EXPECT_EQ(file("res"), res);
  EXPECT_EQ(file("sum"), sum);
}

TEST_F(BaronProgram, FeasibleStartingPointWins) {
  const baronrun r = run(examplebody());
  ASSERT_EQ(r.code, 0) << r.err;
  const std::vector<std::string> t = timtokens();
  EXPECT_EQ(t[5], "-1e+51");
  EXPECT_EQ(t[6], "1");
  EXPECT_EQ(t[11], "-2") << "the starting point is the best candidate";
  EXPECT_EQ(after(" >>> Objective value: 1", 6).back(), "x3            1");
}

TEST_F(BaronProgram, MaximisationPicksTheLargest) {
  const baronrun r =
      run("INTEGER_VARIABLES i1;\nLOWER_BOUNDS{\ni1: 0;\n}\nUPPER_BOUNDS{\ni1: 4;\n}\n"
          "OBJ: maximize 2*i1;\n");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(timtokens()[5], "8") << "the best candidate bounds a maximisation below";
  EXPECT_EQ(timtokens()[6], "1e+51") << "nothing proven above";
  EXPECT_NE(r.out.find("maximize"), std::string::npos);
}

TEST_F(BaronProgram, NoFeasibleCandidate) {
  const baronrun r =
      run("VARIABLES x1;\nEQUATIONS e1,e2;\ne1: x1 >= 5;\ne2: x1 <= 4;\nOBJ: minimize x1;\n");
  ASSERT_EQ(r.code, 0) << r.err;
  const std::vector<std::string> t = timtokens();
  EXPECT_EQ(t[5], "-1e+51");
  EXPECT_EQ(t[6], "1e+51");
  EXPECT_EQ(t[7], "1");
  EXPECT_EQ(t[8], "5");
  EXPECT_EQ(t[11], "-3");
  EXPECT_EQ(reslines().back(), "No feasible solution was found.");
  EXPECT_EQ(reslines().size(), 18u);
}

TEST_F(BaronProgram, RelaxationOnlyRowTakesNoPlaceAndPhaseOneVariablesComeLast) {
  const baronrun r = run(R"(
VARIABLES  x1,V1,W2;
POSITIVE_VARIABLES  V1,W2;
EQUATIONS  e1,e2,e3;
RELAXATION_ONLY_EQUATIONS  e2,e3;
CONVEX_EQUATIONS  e3;
e1: x1 - V1 == 0;
e2: x1 + W2 >= 0;
e3: x1 <= 1;
OBJ: minimize V1 + W2;
)",
                         "equdual 0.5 0.25\n");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(after(" Equation      Dual", 4),
            (std::vector<std::string>{" Equation      Dual", "e1            0.5",
                                      "e3            0.25", ""}));
  EXPECT_EQ(after(" Variable      Value", 4).back(), "W2            0");
}

TEST_F(BaronProgram, Refusals) {
  struct row {
    const char* body;
    bool options;
    const char* what;  // after "baron: <file>:"
    bool tim;
    const char* why;
  };
  const row rows[] = {
      {"VARIABLES x1;\nOBJ: minimize sin(x1);\n", true, "11: unknown function 'sin'", true,
       "a fault after the options: tim with barstatus 10"},
      {"VARIABLES x1;\n", true, "10: no objective", true, "no objective: the last line"},
      {"OPTIONS{\nTimName: 3 4;\n}\n", false, "2: ';' expected, found '4'", false,
       "a fault inside the options: no paths yet"},
      {"OPTIONS{\n}\nOBJ: minimize 0;\n", false, "1: no zolmlibname option", false,
       "no library path"},
      {"OPTIONS{\nzolmlibname: \"/nonexistent/libkorvasteps64.so\";\n}\nOBJ: minimize 0;\n", false,
       "2: cannot read /nonexistent/optbaron.def: No such file or directory", false,
       "no option definitions"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    fs::remove(dir.file("tim"));
    const baronrun b = run(r.body, "", r.options);
    EXPECT_EQ(b.code, 2);
    EXPECT_EQ(b.err, "baron: " + input() + ":" + r.what + "\n");
    EXPECT_EQ(b.out, "");
    ASSERT_EQ(exists("tim"), r.tim);
    if (r.tim) {
      EXPECT_EQ(file("tim"), refusaltim);
    }
    EXPECT_FALSE(exists("res"));
  }
}

TEST_F(BaronProgram, FaultBeforeTheLibraryLinesStillWritesTheTim) {
  std::string text = options();
  text.insert(text.find("cplexlibname"), "MaxTime 5;\n");  // a pass-through line BARON refuses
  const baronrun b = run(text + "OBJ: minimize 0;\n", "", false);
  EXPECT_EQ(b.code, 2);
  EXPECT_EQ(b.err, "baron: " + input() + ":7: ':' expected, found '5'\n");
  ASSERT_TRUE(exists("tim"));
  EXPECT_EQ(file("tim"), refusaltim);
}

TEST_F(BaronProgram, MissingResultPathIsRefused) {
  const std::string body = "OPTIONS{\nTimName: \"" + dir.file("tim") + "\";\nzolmlibname: \"" +
                           sysdir() + "libkorvasteps64.so\";\n}\nOBJ: minimize 0;\n";
  const baronrun b = run(body, "", false);
  EXPECT_EQ(b.code, 2);
  EXPECT_EQ(b.err, "baron: " + input() + ":3: no ResName option\n");
}

TEST_F(BaronProgram, UnreadableEmptyAndNoArgument) {
  baronrun b = runfile(dir.file("absent"));
  EXPECT_EQ(b.code, 2);
  EXPECT_EQ(b.err, "baron: " + dir.file("absent") +
                       ":0: cannot read the input file: No such file or directory\n");
  testutil::write_file(input(), "");
  b = runfile(input());
  EXPECT_EQ(b.code, 2);
  EXPECT_EQ(b.err, "baron: " + input() + ":0: empty input file\n");
  EXPECT_EQ(testutil::run_program(baron(), {}).exit_code, 2);
}

// ---------------------------------------------------------------------------------------
// Scenarios

TEST_F(BaronProgram, ScenarioTimTokens) {
  const baronrun r =
      run(integermodel,
          "# every token\nlower -5.5\nupper -5.4\nbarstatus 4\nmodelstatus 3\n"
          "missingbnd -1\nitera -7\nnodeopt 12\nnodememmax 99\ncputime 0.5\nwalltime abc\n");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(file("tim"), "mybaron 0 0 0 0 -5.5 -5.4 4 3 -1 -7 12 99 0.5 abc\n");
  EXPECT_NE(r.out.find("BARON stand-in: scenario scenario\n"), std::string::npos);
  EXPECT_NE(r.out.find("BARON stand-in: barstatus 4, model status 3\n"), std::string::npos);
  ASSERT_EQ(run(integermodel, "tim mybaron 1 2 3\n").code, 0);
  EXPECT_EQ(file("tim"), "mybaron 1 2 3\n");
}

TEST_F(BaronProgram, ScenarioSeveralSolutionsWithoutDuals) {
  const baronrun r = run(integermodel,
                         "solution 7 1 1\nsolution 3.5 2\nsolution 1.5D+02 .5 1e-300\n"
                         "duals none\nform list\n");
  ASSERT_EQ(r.code, 0) << r.err;
  const std::vector<std::string> t = timtokens();
  EXPECT_EQ(t[5], "1.5D+02") << "the bounds follow the last solution";
  EXPECT_EQ(t[6], "1.5D+02");
  const std::vector<std::string> res = reslines();
  const std::vector<std::string> tail(res.begin() + 16, res.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"",
                                            "*** Normal completion ***",
                                            "",
                                            " Wall clock time:     0.02",
                                            " >>> Objective value: 7",
                                            "",
                                            " Variable      Value",
                                            "i1            1",
                                            "i2            1",
                                            "",
                                            " >>> Objective value: 3.5",
                                            "",
                                            " Variable      Value",
                                            "i1            2",
                                            "i2            0",
                                            "",
                                            " >>> Objective value: 1.5D+02",
                                            "",
                                            " Variable      Value",
                                            "i1            .5",
                                            "i2            1e-300",
                                            ""}));
}

TEST_F(BaronProgram, ScenarioSolutionSkipsTheSearch) {
  const baronrun r = run(integermodel, "solution 5 1 1\n");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("BARON stand-in: no search, the scenario gives the solution\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("candidates"), std::string::npos) << r.out;
  const std::vector<std::string> t = timtokens();
  EXPECT_EQ(t[5], "5") << "both bounds the scenario's objective";
  EXPECT_EQ(t[6], "5");
  EXPECT_EQ(t[7], "1");
  EXPECT_EQ(t[8], "1");
  EXPECT_EQ(t[10], "0") << "no candidate evaluated";
}

// An input that never ends (a pipe fed by a writer that does not stop) is read up to the
// bound and refused; so is a file longer than the bound.
TEST_F(BaronProgram, InputFileIsReadWithABound) {
  const std::string pipe = dir.file("endless");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const pid_t writer = ::fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {  // writes until the reader is gone
    const int fd = ::open(pipe.c_str(), O_WRONLY);
    const std::string chunk(4096, '\n');
    while (fd >= 0 && ::write(fd, chunk.data(), chunk.size()) > 0) {
    }
    ::_exit(0);
  }
  testutil::write_file(dir.file("long"), options() + std::string(70000, '\n') + examplebody());
  ::setenv("BARON_STANDIN_MAXINPUT", "65536", 1);
  const baronrun endless = runfile(pipe);
  const baronrun longer = runfile(dir.file("long"));
  ::unsetenv("BARON_STANDIN_MAXINPUT");
  ::kill(writer, SIGKILL);  // ended already by the closed pipe, unless the read never began
  ::waitpid(writer, nullptr, 0);
  EXPECT_EQ(endless.code, 2);
  EXPECT_EQ(endless.err,
            "baron: " + pipe + ":0: cannot read the input file: larger than 65536 bytes\n");
  EXPECT_EQ(longer.code, 2);
  EXPECT_NE(longer.err.find("larger than 65536 bytes"), std::string::npos) << longer.err;
  EXPECT_EQ(runfile(dir.file("long")).code, 0) << "within the usual bound";
}

TEST_F(BaronProgram, ScenarioDualsAndRay) {
  const baronrun r = run(integermodel, "vardual 1.5 -2\nequdual 3\nray 0 1\nform list\n");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(after(" >>> Corresponding dual solution:", 13),
            (std::vector<std::string>{
                " >>> Corresponding dual solution:", " Variable      Dual", "i1            1.5",
                "i2            -2", " Equation      Dual", "e1            3", "", "",
                "The above solution was found along the following unbounded ray:", "",
                " Variable      Ray", "i1            0", "i2            1"}));
}

TEST_F(BaronProgram, ScenarioForms) {
  struct row {
    const char* form;
    bool list, block;
    const char* last;
    const char* why;
  };
  const row rows[] = {
      {"list", true, false, "", "the list only"},
      {"block", false, true, "The above solution has an objective value of: 0", "the block only"},
      {"both", true, true, "The above solution has an objective value of: 0", "list, then block"},
      {"nosolution", false, false, "No feasible solution was found.", "no solution"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    ASSERT_EQ(run(integermodel, std::string("form ") + r.form + "\n").code, 0);
    EXPECT_EQ(!after("*** Normal completion ***", 1).empty(), r.list);
    EXPECT_EQ(!after("The best solution found is:", 1).empty(), r.block);
    EXPECT_EQ(reslines().back(), r.last);
    EXPECT_EQ(reslines().size() >= 16, true);
  }
}

TEST_F(BaronProgram, ScenarioIis) {
  const baronrun r =
      run(integermodel, "modelstatus 2\niisrow e1 Upper\niisrow e99 Both\niiscol i2 Lower\n");
  ASSERT_EQ(r.code, 0) << r.err;
  const std::vector<std::string> res = reslines();
  EXPECT_EQ(std::vector<std::string>(res.begin() + 16, res.end()),
            (std::vector<std::string>{"", "IIS contains 2 rows and 1 variables", "e1 Upper",
                                      "e99 Both", "i2 Lower"}));
}

TEST_F(BaronProgram, ScenarioResLines) {
  const baronrun r =
      run(integermodel, "form block\nresline x99 0 1 2\nresline\nresline (I)IS \"as is\"  \n");
  ASSERT_EQ(r.code, 0) << r.err;
  const std::vector<std::string> res = reslines();
  EXPECT_EQ(std::vector<std::string>(res.end() - 4, res.end()),
            (std::vector<std::string>{"The above solution has an objective value of: 0",
                                      "x99 0 1 2", "", "(I)IS \"as is\""}));
}

TEST_F(BaronProgram, ScenarioDExponents) {
  ASSERT_EQ(run(examplebody(), "exponent D\n").code, 0);
  const std::vector<std::string> t = timtokens();
  EXPECT_EQ(t[5], "-1D+51");
  EXPECT_EQ(t[6], "1D+00");
  EXPECT_EQ(after(" >>> Objective value: 1D+00", 5).back(), "x2            2D+00");
}

TEST_F(BaronProgram, ScenarioFileFaultsAndExitCode) {
  ASSERT_EQ(run(integermodel).code, 0);
  const std::string res = file("res"), tim = file("tim");
  for (const char* f : {"tim", "sum", "res"}) fs::remove(dir.file(f));
  const baronrun r = run(integermodel, "omit sum\nempty tim\ncut res 100\nexit 3\n");
  EXPECT_EQ(r.code, 3);
  EXPECT_FALSE(exists("sum"));
  EXPECT_EQ(file("tim"), "");
  EXPECT_EQ(file("res"), res.substr(0, 100));
  ASSERT_EQ(run(integermodel, "cut tim 1000\n").code, 0);
  EXPECT_EQ(file("tim"), tim) << "a cut beyond the end keeps the whole file";
}

TEST_F(BaronProgram, MissingScenarioFileIsRefused) {
  testutil::write_file(input(), options() + integermodel);
  const baronrun b = runwith(input(), dir.file("absent"));
  EXPECT_EQ(b.code, 2);
  EXPECT_EQ(b.err, "baron: " + dir.file("absent") +
                       ":0: cannot read the scenario: No such file or directory\n");
  EXPECT_EQ(file("tim"), refusaltim);
  EXPECT_FALSE(exists("res"));
}

TEST_F(BaronProgram, ScenarioRefused) {
  struct row {
    const char* scenario;
    const char* what;
    const char* why;
  };
  const row rows[] = {
      {"barstatus 1\nfoo 2\n", "2: unknown key 'foo'", "unknown key"},
      {"form tree\n", "1: unknown form 'tree'", "unknown form"},
      {"barstatus\n", "1: barstatus needs 1 value", "a key without its value"},
      {"iisrow e1\n", "1: iisrow needs 2 values", "IIS entry without kind"},
      {"omit lst\n", "1: tim, sum or res expected, found 'lst'", "unknown file"},
      {"cut res -1\n", "1: cut needs a byte count, found '-1'", "a negative cut"},
      {"exit 256\n", "1: exit needs a code from 0 to 255, found '256'", "exit code out of range"},
      {"duals some\n", "1: duals takes the word none", "duals"},
      {"exponent E\n", "1: exponent takes the letter D", "exponent"},
      {"tim   \n", "1: tim needs 1 value", "an empty tim line"},
      {"vardual \"1\n", "1: unclosed quote", "an unclosed quote"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const baronrun b = run(integermodel, r.scenario);
    EXPECT_EQ(b.code, 2);
    EXPECT_EQ(b.err, "baron: " + dir.file("scenario") + ":" + r.what + "\n");
    EXPECT_EQ(file("tim"), refusaltim);
  }
}

}  // namespace
