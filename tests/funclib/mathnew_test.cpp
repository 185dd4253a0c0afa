// The intrinsic function table, its accessors and classification, the checked evaluation
// frame with the system functions, and the derivatives of every function against central
// differences.
#include "funclib/mathnew.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <limits>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "funclib/rand.h"
#include "funclib/zlmfuncs.h"
#include "support/mathnew_testutil.h"

namespace {

using mathnew_test::errortext;
using mathnew_test::evaluation;

// ---- the table ----

constexpr std::uint32_t arg(int i) { return std::uint32_t{1} << (i - 1); }
constexpr std::uint32_t allargs = 0xFFFFF;

TEST(MathnewTable, RowsAsPublished) {
  struct row {
    int nr;
    const char* name;
    int minargs, maxargs, smooth, equnever, zeroripple;
    std::uint32_t variable;
    const char* ts;
    const char* tf;
    const char* why;
  };
  const row rows[] = {
      {0, "mapval", 1, 1, 0, 0, 0, 0, "maps special values", "", "first row"},
      {3, "round", 1, 2, 0, 0, 1, arg(1), "rounding", "", "optional second argument"},
      {7, "min", 2, 0, 0, 0, 0, arg(1) | arg(2), "min(x,y)", "", "open argument count"},
      {18, "errorf", 1, 1, 1, 0, 0, arg(1), "error function", "0.5*erfc(-x1/1.414213562373095",
       "formula text kept as published"},
      {19, "uniform", 2, 2, 0, 1, 0, 0, "uniform random number between arg1 and arg2", "",
       "random: never in an equation"},
      {21, "power", 2, 2, 1, 0, 0, arg(1), "integer power", "x1^i2", "constant exponent"},
      {23, "jtime", 3, 3, 0, 0, 0, 0, "juliab time", "", "text kept as published"},
      {27, "gyear", 1, 1, 0, 0, 0, 0, "extract Gregorian year  from Julian date.time", "",
       "two blanks kept"},
      {45, "PI", 0, 0, 0, 0, 0, 0, "the constant PI", "pi", "no arguments"},
      {46, "NcpF", 2, 3, 1, 0, 0, arg(1) | arg(2),
       "NCP Fischer: sqrt(x1^2 + x2^2 + 2*x3) - x1 - x2, g3 = 0, x3 >= 0",
       "sqrt(x1^2+x2^2+2*c3)-x1-x2", "long explanatory text"},
      {50, "log2", 1, 1, 1, 0, 0, arg(1), "logarithm base 2", "1.44269504088896*log(x1)",
       "formula with a constant"},
      {63, "IfThen", 3, 3, 0, 0, 0, arg(1) | arg(2) | arg(3), "if(cond,then,else)", "",
       "three variable arguments"},
      {65, "EDist", 1, 20, 1, 0, 1, allargs, "Euclidean or L-2 Norm: Sqrt( x1^2 + x2^2 + .. )", "",
       "twenty variable arguments"},
      {74, "cvPower", 2, 2, 1, 0, 0, arg(2), "c**y", "c1^x2", "only the second is variable"},
      {104, "sleep", 1, 1, 0, 1, 0, 0, "sleep", "goes to sleep for x seconds",
       "execution-time function with a formula text"},
      {108, "Poly", 4, 20, 1, 0, 0, arg(1), "Simple Polynomials", "", "coefficients constant"},
      {109, "", 0, 0, 0, 0, 0, 0, "", "", "reserved"},
      {110, "", 0, 0, 0, 0, 0, 0, "", "", "reserved"},
      {115, "ForceErrorCnt", 0, 0, 0, 1, 0, 0, "ForceErrorCnt sets foceerrorcount", "",
       "misspelling kept"},
      {121, "NumCores", 0, 0, 1, 0, 0, 0, "Number of logical cores", "",
       "smooth without arguments"},
      {126, "LSEMaxSc", 2, 20, 1, 0, 0, allargs & ~arg(1), "scaled LSE Max: 1/t LSEMax(tx)", "",
       "arguments 2 to 20"},
      {129, " unknown*", 1, 1, 0, 0, 0, 0, "dummy function", "", "leading blank"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const auto fnr = static_cast<std::uint8_t>(r.nr);
    EXPECT_EQ(r.name, mathnew::funcname(fnr).str());
    EXPECT_EQ(r.minargs, mathnew::funcminargs(fnr));
    EXPECT_EQ(r.maxargs, mathnew::funcmaxargs(fnr));
    EXPECT_EQ(r.smooth, mathnew::funcsmooth(fnr));
    EXPECT_EQ(r.equnever == 1, mathnew::funcequnever(fnr));
    EXPECT_EQ(r.zeroripple == 1, mathnew::funczeroripple(fnr));
    for (int i = 1; i <= 20; ++i)
      EXPECT_EQ((r.variable >> (i - 1)) & 1u, mathnew::funcargtype(fnr, i)) << i;
    EXPECT_EQ(r.ts, mathnew::functs(fnr).str());
    EXPECT_EQ(r.tf, mathnew::functf(fnr).str());
  }
}

// The whole table, transcribed from the published list independently of the code: every
// row, every flag, every argument kind and both texts.
TEST(MathnewTable, EveryRowAsListed) {
  struct row {
    int nr;
    const char* name;
    int minargs, maxargs, smooth, equnever, zeroripple;
    const char* variable;  // "none", "1, 2", "2-20": the arguments that may be variables
    const char* ts;
    const char* tf;
  };
  // Reserved numbers 109 and 110 are empty rows.
  constexpr row rows[] = {
      {0, "mapval", 1, 1, 0, 0, 0, "none", "maps special values", ""},
      {1, "ceil", 1, 1, 0, 0, 1, "1", "ceiling", ""},
      {2, "floor", 1, 1, 0, 0, 1, "1", "floor", ""},
      {3, "round", 1, 2, 0, 0, 1, "1", "rounding", ""},
      {4, "mod", 2, 2, 0, 0, 0, "1, 2", "modulus", ""},
      {5, "trunc", 1, 1, 0, 0, 1, "1", "truncation", ""},
      {6, "sign", 1, 1, 0, 0, 1, "1", "sign(x)", ""},
      {7, "min", 2, 0, 0, 0, 0, "1, 2", "min(x,y)", ""},
      {8, "max", 2, 0, 0, 0, 0, "1, 2", "max(x,y)", ""},
      {9, "sqr", 1, 1, 1, 0, 1, "1", "square", "x1^2"},
      {10, "exp", 1, 1, 1, 0, 0, "1", "exponential", "exp(x1)"},
      {11, "log", 1, 1, 1, 0, 0, "1", "logarithm base e", "log(x1)"},
      {12, "log10", 1, 1, 1, 0, 0, "1", "logarithm base 10", "log10(x1)"},
      {13, "sqrt", 1, 1, 1, 0, 1, "1", "squareroot", "sqrt(x1)"},
      {14, "abs", 1, 1, 0, 0, 1, "1", "absolute", "abs(x1)"},
      {15, "cos", 1, 1, 1, 0, 0, "1", "cosinus", "cos(x1)"},
      {16, "sin", 1, 1, 1, 0, 1, "1", "sinus", "sin(x1)"},
      {17, "arctan", 1, 1, 1, 0, 1, "1", "arctangent", "atan(x1)"},
      {18, "errorf", 1, 1, 1, 0, 0, "1", "error function", "0.5*erfc(-x1/1.414213562373095"},
      {19, "uniform", 2, 2, 0, 1, 0, "none", "uniform random number between arg1 and arg2", ""},
      {20, "normal", 2, 2, 0, 1, 0, "none", "normal random number with mean arg1 and std arg2", ""},
      {21, "power", 2, 2, 1, 0, 0, "1", "integer power", "x1^i2"},
      {22, "jdate", 3, 3, 0, 0, 0, "none", "julian day", ""},
      {23, "jtime", 3, 3, 0, 0, 0, "none", "juliab time", ""},
      {24, "jstart", 0, 0, 0, 1, 0, "none", "job start time", ""},
      {25, "jnow", 0, 0, 0, 1, 0, "none", "job current time", ""},
      {26, "execerror", 0, 0, 0, 1, 0, "none", "execution errors", ""},
      {27, "gyear", 1, 1, 0, 0, 0, "none", "extract Gregorian year  from Julian date.time", ""},
      {28, "gmonth", 1, 1, 0, 0, 0, "none", "extract Gregorian month from Julian date.time", ""},
      {29, "gday", 1, 1, 0, 0, 0, "none", "extract Gregorian day   from Julian date.time", ""},
      {30, "gdow", 1, 1, 0, 0, 1, "none", "extract Gregorian day of week from Julian date.time",
       ""},
      {31, "gleap", 1, 1, 0, 0, 1, "none", "extract Gregorian leapyear from Julian date.time", ""},
      {32, "ghour", 1, 1, 0, 0, 1, "none", "extract Gregorian hour  from Julian date.time", ""},
      {33, "gminute", 1, 1, 0, 0, 1, "none", "extract Gregorian minute from Julian date.time", ""},
      {34, "gsecond", 1, 1, 0, 0, 1, "none", "extract Gregorian second from Julian date.time", ""},
      {35, "execseed", 0, 0, 0, 1, 0, "none", "extract random seed", ""},
      {36, "timestart", 0, 0, 0, 1, 0, "none", "start time", ""},
      {37, "timecomp", 0, 0, 0, 1, 0, "none", "compilation time", ""},
      {38, "timeexec", 0, 0, 0, 1, 0, "none", "execution time", ""},
      {39, "timeclose", 0, 0, 0, 1, 0, "none", "close time", ""},
      {40, "frac", 1, 1, 0, 0, 1, "1", "fraction mod(x,1)", ""},
      {41, "ErrorLevel", 0, 0, 0, 1, 0, "none", "errorlevel", ""},
      {42, "HeapSize", 0, 0, 0, 1, 0, "none", "heapsize in MB", ""},
      {43, "Fact", 1, 1, 0, 0, 0, "none", "factorial", ""},
      {44, "UniformInt", 2, 2, 0, 1, 0, "none", "uniform integer random number", ""},
      {45, "PI", 0, 0, 0, 0, 0, "none", "the constant PI", "pi"},
      {46, "NcpF", 2, 3, 1, 0, 0, "1, 2",
       "NCP Fischer: sqrt(x1^2 + x2^2 + 2*x3) - x1 - x2, g3 = 0, x3 >= 0",
       "sqrt(x1^2+x2^2+2*c3)-x1-x2"},
      {47, "NcpCM", 3, 3, 1, 0, 0, "1, 2",
       "NCP Chen-Mangasarian: x1 - x3*ln(1+exp((x1-x2)/x3)), g3 = 0, x3 > 0",
       "x1-c3*log(1+exp((x1-x2)/c3))"},
      {48, "Entropy", 1, 1, 1, 0, 1, "1", "Entropy: -x*ln(x)", "-x1*log(x1)"},
      {49, "Sigmoid", 1, 1, 1, 0, 0, "1", "Sigmoid: 1/(1 + exp(-x))", "1/(1+exp(-x1))"},
      {50, "log2", 1, 1, 1, 0, 0, "1", "logarithm base 2", "1.44269504088896*log(x1)"},
      {51, "bool_not", 1, 1, 0, 0, 0, "1", "boolean not", ""},
      {52, "bool_and", 2, 2, 0, 0, 0, "1, 2", "boolean and", ""},
      {53, "bool_or", 2, 2, 0, 0, 0, "1, 2", "boolean or", ""},
      {54, "bool_xor", 2, 2, 0, 0, 0, "1, 2", "boolean xor", ""},
      {55, "bool_imp", 2, 2, 0, 0, 0, "1, 2", "boolean implication", ""},
      {56, "bool_eqv", 2, 2, 0, 0, 0, "1, 2", "boolean equivalence", ""},
      {57, "rel_eq", 2, 2, 0, 0, 0, "1, 2", "relation eq =", ""},
      {58, "rel_gt", 2, 2, 0, 0, 0, "1, 2", "relation gt >", ""},
      {59, "rel_ge", 2, 2, 0, 0, 0, "1, 2", "relation ge >=", ""},
      {60, "rel_lt", 2, 2, 0, 0, 0, "1, 2", "relation lt <", ""},
      {61, "rel_le", 2, 2, 0, 0, 0, "1, 2", "relation le <=", ""},
      {62, "rel_ne", 2, 2, 0, 0, 0, "1, 2", "relation ne <>", ""},
      {63, "IfThen", 3, 3, 0, 0, 0, "1-3", "if(cond,then,else)", ""},
      {64, "rPower", 2, 2, 1, 0, 0, "1, 2", "real power", "x1^x2"},
      {65, "EDist", 1, 20, 1, 0, 1, "1-20", "Euclidean or L-2 Norm: Sqrt( x1^2 + x2^2 + .. )", ""},
      {66, "div", 2, 2, 1, 0, 0, "1, 2", "division", "x1/x2"},
      {67, "div0", 2, 2, 1, 0, 0, "1, 2", "division", "x1/x2"},
      {68, "sllog10", 1, 2, 1, 0, 0, "1", "smooth (linear) logarithm base 10", ""},
      {69, "sqlog10", 1, 2, 1, 0, 0, "1", "smooth (quadratic) logarithm base 10", ""},
      {70, "slexp", 1, 2, 1, 0, 0, "1", "smooth (linear) exponential", ""},
      {71, "sqexp", 1, 2, 1, 0, 0, "1", "smooth (quadratic) exponential", ""},
      {72, "slrec", 1, 2, 1, 0, 0, "1", "smooth (linear) reciprocal", ""},
      {73, "sqrec", 1, 2, 1, 0, 0, "1", "smooth (quadratic) reciprocal", ""},
      {74, "cvPower", 2, 2, 1, 0, 0, "2", "c**y", "c1^x2"},
      {75, "vcPower", 2, 2, 1, 0, 0, "1", "x**c", "x1^c2"},
      {76, "Centropy", 2, 3, 1, 0, 0, "1, 2", "Centropy: x*ln((x+d)/(y+d))",
       "x1*log((x1+c3)/(x2+c3))"},
      {77, "Gmillisec", 1, 1, 0, 0, 1, "none",
       "extract Gregorian milli second from Julian date.time", ""},
      {78, "MaxExecError", 0, 0, 0, 1, 0, "none", "max execution errors", ""},
      {79, "TimeElapsed", 0, 0, 0, 1, 0, "none", "elapsed time", ""},
      {80, "Gamma", 1, 1, 1, 0, 0, "1", "gamma function", ""},
      {81, "LogGamma", 1, 1, 1, 0, 0, "1", "log gamma function", ""},
      {82, "Beta", 2, 2, 1, 0, 0, "1, 2", "beta function", ""},
      {83, "LogBeta", 2, 2, 1, 0, 0, "1, 2", "log beta function", ""},
      {84, "GammaReg", 2, 2, 1, 0, 0, "1, 2", "regularized gamma function", ""},
      {85, "BetaReg", 3, 3, 1, 0, 0, "1-3", "regularized beta function", ""},
      {86, "sinh", 1, 1, 1, 0, 1, "1", "hyperbolic sine", "sinh(x1)"},
      {87, "cosh", 1, 1, 1, 0, 0, "1", "hyperbolic cosine", "cosh(x1)"},
      {88, "tanh", 1, 1, 1, 0, 1, "1", "hyperbolic tangent", "tanh(x1)"},
      {89, "MathLastRC", 0, 0, 0, 1, 0, "none", "last math return code", ""},
      {90, "MathLastEC", 0, 0, 0, 1, 0, "none", "last math exception code", ""},
      {91, "MathOVal", 0, 0, 0, 1, 0, "none", "math overflow value", ""},
      {92, "SignPower", 2, 2, 1, 0, 0, "1", "signed power sign(x)*abs(x)**c", ""},
      {93, "HandleStatus", 1, 1, 0, 1, 0, "none", "Model handle status", ""},
      {94, "NcpVUsin", 2, 3, 1, 0, 0, "1, 2", "NCP Veelken-Ulbrich: smoothed min, g3 = 0, x3 >= 0",
       ""},
      {95, "NcpVUpow", 2, 3, 1, 0, 0, "1, 2", "NCP Veelken-Ulbrich: smoothed min, g3 = 0, x3 >= 0",
       ""},
      {96, "Binomial", 2, 2, 1, 0, 0, "1, 2", "(generalized) binomial coefficient", ""},
      {97, "HandleSubmit", 1, 1, 0, 1, 0, "none", "Resubmit Model Handle", ""},
      {98, "ZolmVersion", 0, 0, 0, 1, 0, "none", "Zolm version number", ""},
      {99, "HandleDelete", 1, 1, 0, 1, 0, "none", "Deletes Model Handle Directory", ""},
      {100, "tan", 1, 1, 1, 0, 1, "1", "tangent", "tan(x1)"},
      {101, "arccos", 1, 1, 1, 0, 0, "1", "inverse-cosinus", "acos(x1)"},
      {102, "arcsin", 1, 1, 1, 0, 1, "1", "inverse-sinus", "asin(x1)"},
      {103, "arctan2", 2, 2, 1, 0, 0, "1, 2", "arctan2", "arctan(x2/x1)"},
      {104, "sleep", 1, 1, 0, 1, 0, "none", "sleep", "goes to sleep for x seconds"},
      {105, "HeapFree", 0, 0, 0, 1, 0, "none", "heapfree in MB", ""},
      {106, "HandleCollect", 1, 1, 0, 1, 0, "none", "Collects Model Handle Results", ""},
      {107, "ZolmRelease", 0, 0, 0, 1, 0, "none", "Zolm release number", ""},
      {108, "Poly", 4, 20, 1, 0, 0, "1", "Simple Polynomials", ""},
      {109, "", 0, 0, 0, 0, 0, "none", "", ""},
      {110, "", 0, 0, 0, 0, 0, "none", "", ""},
      {111, "HeapLimit", 0, 0, 0, 1, 0, "none", "Heap Limit in MB", ""},
      {112, "RandLinear", 3, 3, 0, 1, 0, "none", "Linear(low,slope,high) random number", ""},
      {113, "RandTriangle", 3, 3, 0, 1, 0, "none", "RandTriangle(low,median,high) random number",
       ""},
      {114, "ForceError", 6, 6, 1, 0, 0, "1",
       "ForceError(x1,d,t,v,e,r) forces errors after t calls", ""},
      {115, "ForceErrorCnt", 0, 0, 0, 1, 0, "none", "ForceErrorCnt sets foceerrorcount", ""},
      {116, "RandBinomial", 2, 2, 0, 1, 0, "none", "Binomial(n,p) random number", ""},
      {117, "JobHandle", 0, 0, 0, 1, 0, "none", "JobHandle", ""},
      {118, "JobStatus", 1, 1, 0, 1, 1, "none", "JobStatus", ""},
      {119, "JobKill", 1, 1, 0, 1, 1, "none", "JobKill", ""},
      {120, "JobTerminate", 1, 1, 0, 1, 1, "none", "JobTerminate", ""},
      {121, "NumCores", 0, 0, 1, 0, 0, "none", "Number of logical cores", ""},
      {122, "EmbeddedHandle", 0, 0, 0, 1, 0, "none", "Embedded Code Library Handle", ""},
      {123, "PlatformCode", 0, 0, 1, 0, 0, "none", "Job platform code", ""},
      {124, "Logit", 1, 1, 1, 0, 0, "1", "Logit transformation: ln(p/(1-p))", "log(x1/(1-x1))"},
      {125, "LSEMax", 1, 20, 1, 0, 0, "1-20", "LSE Max: log(exp(x1) + exp(x2) + .. )", ""},
      {126, "LSEMaxSc", 2, 20, 1, 0, 0, "2-20", "scaled LSE Max: 1/t LSEMax(tx)", ""},
      {127, "LSEMin", 1, 20, 1, 0, 0, "1-20", "LSE Min: -log(exp(-x1) + exp(-x2) + .. )", ""},
      {128, "LSEMinSc", 2, 20, 1, 0, 0, "2-20", "scaled LSE Min: 1/t LSEMin(tx)", ""},
      {129, " unknown*", 1, 1, 0, 0, 0, "none", "dummy function", ""},
  };
  // The argument numbers a "variable" column lists, as argtype bits.
  const auto variables = [](std::string_view s) {
    std::uint32_t bits = 0;
    if (s == "none") return bits;
    while (!s.empty()) {
      const std::size_t comma = s.find(", ");
      const std::string_view item = s.substr(0, comma);
      const std::size_t dash = item.find('-');
      const int lo = std::stoi(std::string(item.substr(0, dash)));
      const int hi =
          dash == std::string_view::npos ? lo : std::stoi(std::string(item.substr(dash + 1)));
      for (int i = lo; i <= hi; ++i) bits |= arg(i);
      s = comma == std::string_view::npos ? std::string_view{} : s.substr(comma + 2);
    }
    return bits;
  };
  ASSERT_EQ(static_cast<std::size_t>(mathnew::funccount), std::size(rows));
  for (std::size_t k = 0; k < std::size(rows); ++k) {
    const row& r = rows[k];
    SCOPED_TRACE(r.nr);
    ASSERT_EQ(static_cast<int>(k), r.nr) << "rows in number order";
    const auto fnr = static_cast<std::uint8_t>(r.nr);
    EXPECT_EQ(r.name, mathnew::funcname(fnr).str());
    EXPECT_EQ(r.minargs, mathnew::funcminargs(fnr));
    EXPECT_EQ(r.maxargs, mathnew::funcmaxargs(fnr));
    EXPECT_EQ(r.smooth, mathnew::funcsmooth(fnr));
    EXPECT_EQ(r.equnever == 1, mathnew::funcequnever(fnr));
    EXPECT_EQ(r.zeroripple == 1, mathnew::funczeroripple(fnr));
    const std::uint32_t bits = variables(r.variable);
    for (int i = 1; i <= 20; ++i)
      EXPECT_EQ((bits >> (i - 1)) & 1u, mathnew::funcargtype(fnr, i)) << i;
    EXPECT_EQ(r.ts, mathnew::functs(fnr).str());
    EXPECT_EQ(r.tf, mathnew::functf(fnr).str());
  }
}

TEST(MathnewTable, RowsAreConsistent) {
  std::set<std::string> names;
  int smoothcount = 0, equnevercount = 0;
  for (int nr = 0; nr < mathnew::funccount; ++nr) {
    SCOPED_TRACE(nr);
    const mathnew::tlibzolminfo& r = mathnew::libzolminfo[nr];
    if (nr == 109 || nr == 110) continue;
    EXPECT_FALSE(r.name.empty());
    EXPECT_TRUE(names.insert(r.name.str()).second) << "names are unique";
    EXPECT_FALSE(r.ts.empty());
    if (r.maxargs != 0) {
      EXPECT_LE(r.minargs, r.maxargs);
    }
    EXPECT_LE(r.maxargs, 20);
    const int bound = r.maxargs == 0 ? 2 : r.maxargs;
    for (int i = bound; i < 20; ++i) EXPECT_EQ(0, r.argtype[i]) << "variable beyond maxargs";
    for (int i = 0; i < 20; ++i) EXPECT_LE(r.argtype[i], 1);
    if (zlmfuncs::cmexonlyfuncs.contains(nr) || r.equnever == 1) {
      for (int i = 0; i < 20; ++i) EXPECT_EQ(0, r.argtype[i]) << "not differentiable";
    }
    smoothcount += r.smooth;
    equnevercount += r.equnever;
  }
  EXPECT_EQ(128u, names.size());
  EXPECT_EQ(54, smoothcount);
  EXPECT_EQ(36, equnevercount);
}

TEST(MathnewTable, Accessors) {
  EXPECT_EQ(0, mathnew::funcargtype(9, 0));
  EXPECT_EQ(0, mathnew::funcargtype(65, 21));
  EXPECT_EQ(1, mathnew::funcargtype(65, 20));
  EXPECT_EQ("rPo", mathnew::funcname(64, 3).str());
  EXPECT_EQ("", mathnew::functs(64, 0).str());
  EXPECT_EQ(" unknown*", mathnew::funcname(200).str()) << "numbers beyond the table";

  struct row {
    int nr;
    int varargs;
    const char* why;
  };
  constexpr row rows[] = {{7, 0, "open maximum gives 0"},
                          {65, 20, "EDist"},
                          {126, 19, "LSEMaxSc"},
                          {108, 1, "Poly"},
                          {19, 0, "random"}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr name;
    int minargs = -1, maxargs = -1, smooth = -1, varargs = -1;
    bool equnever = true;
    mathnew::funcinfo(static_cast<std::uint8_t>(r.nr), name, minargs, maxargs, smooth, varargs,
                      equnever);
    EXPECT_EQ(mathnew::funcname(static_cast<std::uint8_t>(r.nr)), name);
    EXPECT_EQ(mathnew::funcminargs(static_cast<std::uint8_t>(r.nr)), minargs);
    EXPECT_EQ(mathnew::funcmaxargs(static_cast<std::uint8_t>(r.nr)), maxargs);
    EXPECT_EQ(mathnew::funcsmooth(static_cast<std::uint8_t>(r.nr)), smooth);
    EXPECT_EQ(mathnew::funcequnever(static_cast<std::uint8_t>(r.nr)), equnever);
    EXPECT_EQ(r.varargs, varargs);
  }
}

TEST(MathnewTable, Classification) {
  for (int nr = 0; nr < 256; ++nr) {
    bool flag = true;
    EXPECT_EQ(0, mathnew::islogic(static_cast<std::uint8_t>(nr), flag));
    EXPECT_EQ(nr >= 51 && nr <= 56, flag) << nr;
  }
  struct row {
    int nr;
    double value;
    int n;
    std::array<double, 7> degrees;
    bool flag;
    int answer;
    const char* why;
  };
  constexpr row rows[] = {
      {9, 0, 1, {1}, true, 0, "sqr of a linear term"},
      {9, 0, 1, {2}, false, 0, "sqr of a quadratic term"},
      {9, 0, 1, {1.4}, true, 0, "degree rounded"},
      {21, 2.4, 2, {1, 0}, true, 0, "power(linear, 2.4): nearest to 2"},
      {21, 2.6, 2, {1, 0}, false, 0, "power(linear, 2.6): nearest to 3"},
      {21, 1, 2, {2, 0}, true, 0, "power(quadratic, 1)"},
      {21, 2, 2, {1, 1}, false, 0, "variable exponent"},
      {108, 0, 3, {2, 0, 0}, true, 0, "Poly with 3 arguments of a quadratic"},
      {108, 0, 4, {1, 0, 0, 0}, true, 0, "Poly of degree 2 in a linear term"},
      {108, 0, 5, {1, 0, 0, 0, 0}, false, 0, "Poly of degree 3"},
      {108, 0, 7, {1, 0, 0, 0, 0, 0, 0}, false, 4, "Poly with 7 arguments"},
      {108, 0, 0, {}, false, 4, "Poly without arguments"},
      {10, 0, 1, {0}, false, 0, "exp is never quadratic"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    bool flag = !r.flag;
    EXPECT_EQ(r.answer, mathnew::isquad(static_cast<std::uint8_t>(r.nr), r.value, r.n,
                                        r.degrees.data(), flag));
    EXPECT_EQ(r.flag, flag);
  }
}

// ---- the frame ----

TEST(MathnewFrame, UnknownNumberAndBadCount) {
  evaluation e(200, 0, {1.0});
  EXPECT_EQ(4, e.answer);
  EXPECT_EQ(129, e.rec.fnr);
  EXPECT_EQ(" unknown*: SYSTEM ERROR: unknown function index (index=200): can/should not happen",
            e.msg());

  ctvnew::tmathnewrec rec{};
  ctvnew::mathnewrecinit(rec);
  const double args[20] = {};
  for (int n : {-1, 21, 1000000}) {
    rec.nargs = n;
    EXPECT_EQ(4, mathnew::funceval(rec, 65, args)) << n;
    EXPECT_EQ(
        "EDist: SYSTEM ERROR: number of arguments (nargs=" + std::to_string(n) + ") outside 0..20",
        rec.msg.str());
  }
}

TEST(MathnewFrame, ExactlyTheExecutionTimeFunctionsAreNotEvaluated) {
  for (int nr = 0; nr < mathnew::funccount; ++nr) {
    SCOPED_TRACE(nr);
    const int n = std::max(mathnew::funcminargs(static_cast<std::uint8_t>(nr)), 1);
    ctvnew::tmathnewrec rec{};
    ctvnew::mathnewrecinit(rec);
    rec.nargs = std::min(n, 6);
    const double args[20] = {0.5, 0.5, 0.5, 0.5, 0.5, 0.5};
    const int answer = mathnew::funceval(rec, static_cast<std::uint8_t>(nr), args);
    const bool expected = zlmfuncs::cmexonlyfuncs.contains(nr) || nr == 109 || nr == 110;
    const std::string text = errortext(nr, 4, 0, "function not implemented in mathnew");
    EXPECT_EQ(expected, rec.msg.str() == text);
    if (expected) {
      EXPECT_EQ(4, answer);
      EXPECT_EQ(0, rec.f);
    }
  }
}

TEST(MathnewFrame, SystemFunctions) {
  EXPECT_EQ(3.141592653589793, evaluation(45, 2, {}).rec.f);
  EXPECT_EQ(1e299, evaluation(91, 2, {}).rec.f);
  evaluation unknown(129, 2, {5.0}, 7.0);
  EXPECT_EQ(0, unknown.answer);
  EXPECT_EQ(0, unknown.rec.f);
  EXPECT_TRUE(unknown.rec.msg.empty());
  EXPECT_EQ(0, unknown.rec.g[0]) << "reset at level 2";
  EXPECT_EQ(0, unknown.rec.h[1][1]);
  EXPECT_EQ(7, unknown.rec.g[2]) << "the reset clears only the first two arguments";
}

TEST(MathnewFrame, LastCodesReadTheEarlierReport) {
  struct row {
    int fnr;
    double arg;
    double lastrc, lastec;
    const char* why;
  };
  constexpr row rows[] = {
      {13, -1, 1, 1, "sqrt(-1): FUNC DOMAIN answered 1"},
      {10, 700, 0, 0, "exp overflow forgiven: rc 0, so MathLastEC is 0 too"},
      {13, 4, 0, 0, "a successful evaluation reset both codes"},
      {14, 0, 2, 4, "abs at its kink, level 1: GRAD SIGLOSS"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    ctvnew::tmathnewrec rec{};
    ctvnew::mathnewrecinit(rec);
    rec.level = 1;
    rec.nargs = 1;
    const double args[1] = {r.arg};
    (void)mathnew::funceval(rec, static_cast<std::uint8_t>(r.fnr), args);
    rec.nargs = 0;
    EXPECT_EQ(0, mathnew::funceval(rec, 89, args));
    EXPECT_EQ(r.lastrc, rec.f);
    EXPECT_EQ(0, mathnew::funceval(rec, 90, args));
    EXPECT_EQ(r.lastec, rec.f);
    EXPECT_EQ(0, mathnew::funceval(rec, 89, args));
    EXPECT_EQ(r.lastrc, rec.f) << "reading the codes resets nothing";
  }
}

// ForceError(x1, d, t, v, e, r) called repeatedly on one record.
struct forcecall {
  int level;
  double d, t, v, e, r;
  int answer;
  double f, g1, h11;
  int count;  // forceerrorcount afterwards
  const char* detail;
  const char* why;
};

void runforce(const std::vector<forcecall>& calls) {
  ctvnew::tmathnewrec rec{};
  ctvnew::mathnewrecinit(rec);
  rec.nargs = 6;
  for (const forcecall& c : calls) {
    SCOPED_TRACE(c.why);
    rec.level = c.level;
    const double args[6] = {2.5, c.d, c.t, c.v, c.e, c.r};
    EXPECT_EQ(c.answer, mathnew::funceval(rec, 114, args));
    EXPECT_EQ(c.f, rec.f);
    if (c.level >= 1) {
      EXPECT_EQ(c.g1, rec.g[0]);
    }
    if (c.level >= 2) {
      EXPECT_EQ(c.h11, rec.h[0][0]);
    }
    EXPECT_EQ(c.count, rec.forceerrorcount);
    EXPECT_EQ(c.detail == nullptr ? "" : std::string("ForceError: ") + c.detail, rec.msg.str());
    rec.msg.clear();
  }
}

TEST(MathnewFrame, ForceErrorFiresEveryTthCall) {
  runforce({
      {0, 0, 3, -9, 1, 1, 0, 2.5, 0, 0, 1, nullptr, "first call counts"},
      {0, 0, 3, -9, 1, 1, 0, 2.5, 0, 0, 2, nullptr, "second"},
      {0, 0, 3, -9, 1, 1, 1, -9, 0, 0, 0, "FUNC DOMAIN: error triggered and count reset",
       "third fires and puts v in f"},
      {0, 0, 3, -9, 1, 1, 0, 2.5, 0, 0, 1, nullptr, "the count starts again"},
  });
}

TEST(MathnewFrame, ForceErrorLevelsAndChecks) {
  runforce({
      {0, 1, 1, 5, 2, 3, 0, 2.5, 0, 0, 1, nullptr, "d = 1 at level 0 never fires"},
      {0, 1, 1, 5, 2, 3, 0, 2.5, 0, 0, 2, nullptr, "but the count grows"},
      {1, 1, 1, 5, 2, 3, 0, 2.5, 5, 0, 0, "GRAD OVERFLOW: error triggered and count reset",
       "level 1 fires at once; the overflow is forgiven"},
      {2, 2.5, 1, 5, 2, 3, 1, 2.5, 1, 0, 1, "FUNC DOMAIN: arg2 <> [0..2]", "d above 2"},
      {2, 1.6, 1, 5, 4, 0, 4, 2.5, 1, 5, 0, "SYSTEM ERROR: error triggered and count reset",
       "d = 1.6 means the Hessian; a failing call counted"},
      {1, 0, 1, 5, 4.5, 0, 1, 2.5, 1, 0, 1, "FUNC DOMAIN: arg5 <> [0..4]", "e above 4"},
      {1, 0, 1, 5, 1, -1, 1, 2.5, 1, 0, 2, "FUNC DOMAIN: arg6 <> [0..3]", "r below 0"},
      {1, std::nan(""), 1, 5, 1, 1, 1, 2.5, 1, 0, 3, "FUNC DOMAIN: arg2 <> [0..2]",
       "a NaN level is refused"},
  });
}

// Every function number at extreme and invalid arguments, every count and level: no
// crash, no undefined behaviour (run under the sanitizers), an answer the codes allow and
// a report behind every failure.
TEST(MathnewFrame, SurvivesExtremeArguments) {
  double saved[randunit::savesize];
  randunit::randsave(saved);
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {0,
                           -0.0,
                           1,
                           -1,
                           0.5,
                           -2.5,
                           1e-320,
                           1e-300,
                           1e300,
                           -1e300,
                           inf,
                           -inf,
                           std::nan(""),
                           2147483648.0,
                           4503599627370497.0,
                           170.5,
                           3e9};
  for (int nr = 0; nr < 256; ++nr) {
    for (int level = 0; level <= 3; ++level) {
      for (double a : values) {
        for (double b : values) {
          ctvnew::tmathnewrec rec{};
          ctvnew::mathnewrecinit(rec);
          rec.level = level;
          double args[20];
          for (int i = 0; i < 20; ++i) args[i] = i % 2 == 0 ? a : b;
          for (int n : {0, 1, 2, 3, 6, 20}) {
            rec.nargs = n;
            const int answer = mathnew::funceval(rec, static_cast<std::uint8_t>(nr), args);
            ASSERT_TRUE(answer >= 0 && answer <= 4) << nr << " " << a << " " << b;
            if (answer != 0) {
              ASSERT_FALSE(rec.msg.empty()) << nr << " " << a << " " << b;
            }
          }
        }
      }
    }
  }
  randunit::randrestore(saved);
}

// Every count of every function: the arguments in a block of exactly that size give what
// the same arguments padded with zeros to 20 places give. A function reading past its
// arguments shows up as a different result here and as an overflow under the sanitizer.
TEST(MathnewFrame, ArgumentsAreReadWithinTheCount) {
  double saved[randunit::savesize];
  randunit::randsave(saved);
  auto evaluate = [&](int nr, int level, int n, const double* args) {
    randunit::randrestore(saved);  // the random functions draw the same numbers
    ctvnew::tmathnewrec rec{};
    ctvnew::mathnewrecinit(rec);
    rec.level = level;
    rec.nargs = n;
    const int answer = mathnew::funceval(rec, static_cast<std::uint8_t>(nr), args);
    return std::make_pair(answer, rec);
  };
  for (int nr = 0; nr < mathnew::funccount; ++nr) {
    for (int level = 0; level <= 2; ++level) {
      for (int n = 0; n <= ctvnew::maxargs; ++n) {
        SCOPED_TRACE(testing::Message() << "fnr " << nr << " level " << level << " n " << n);
        std::vector<double> exact(static_cast<std::size_t>(n));
        double padded[ctvnew::maxargs] = {};
        for (int i = 0; i < n; ++i) exact[i] = padded[i] = 0.75 + 0.5 * i;
        const auto [answer, rec] = evaluate(nr, level, n, exact.data());
        const auto [panswer, prec] = evaluate(nr, level, n, padded);
        ASSERT_EQ(panswer, answer);
        ASSERT_EQ(prec.msg.str(), rec.msg.str());
        ASSERT_TRUE(std::isnan(prec.f) ? std::isnan(rec.f) : prec.f == rec.f);
        for (int i = 0; i < n && level >= 1; ++i) {
          ASSERT_TRUE(std::isnan(prec.g[i]) ? std::isnan(rec.g[i]) : prec.g[i] == rec.g[i]);
        }
      }
    }
  }
  randunit::randrestore(saved);
}

// ---- values against references in long double ----

TEST(MathnewValues, MatchLongDoubleReferences) {
  using ld = long double;
  struct ref {
    int fnr;
    int nargs;
    ld (*value)(ld x, ld y);
    double lo, hi;  // grid of x; y is fixed per row
    double y;
    double tol;  // relative
    const char* why;
  };
  const ref refs[] = {
      {9, 1, [](ld x, ld) { return x * x; }, -1e100, 1e100, 0, 1e-15, "sqr"},
      {10, 1, [](ld x, ld) { return std::exp(x); }, -700, 688, 0, 1e-13, "exp"},
      {11, 1, [](ld x, ld) { return std::log(x); }, 1e-200, 1e200, 0, 1e-15, "log"},
      {12, 1, [](ld x, ld) { return std::log10(x); }, 1e-200, 1e200, 0, 1e-15, "log10"},
      {50, 1, [](ld x, ld) { return std::log2(x); }, 1e-200, 1e200, 0, 1e-15, "log2"},
      {13, 1, [](ld x, ld) { return std::sqrt(x); }, 0, 1e200, 0, 1e-15, "sqrt"},
      {48, 1, [](ld x, ld) { return -x * std::log(x); }, 1e-100, 1e100, 0, 1e-14, "Entropy"},
      {49, 1, [](ld x, ld) { return 1 / (1 + std::exp(-x)); }, -700, 700, 0, 1e-14, "Sigmoid"},
      {124, 1, [](ld x, ld) { return std::log(x / (1 - x)); }, 1e-10, 0.999, 0, 1e-13, "Logit"},
      {64, 2, [](ld x, ld y) { return std::pow(x, y); }, 1e-20, 1e10, 2.7, 1e-13, "rPower"},
      {21, 2, [](ld x, ld y) { return std::pow(x, y); }, -1e10, 1e10, 7, 1e-14, "power 7"},
      {21, 2, [](ld x, ld y) { return std::pow(x, y); }, -1e5, 1.3e5, -13, 1e-14, "power -13"},
      {74, 2, [](ld x, ld y) { return std::pow(x, y); }, 1e-3, 1e3, 3.3, 1e-13, "cvPower"},
      {66, 2, [](ld x, ld y) { return x / y; }, -1e10, 1e10, -3.7, 1e-15, "div"},
      {76, 2, [](ld x, ld y) { return x * std::log((x + 1e-20L) / (y + 1e-20L)); }, 1e-5, 1e5, 0.3,
       1e-12, "Centropy"},
      {15, 1, [](ld x, ld) { return std::cos(x); }, -1e6, 1e6, 0, 1e-9, "cos"},
      {16, 1, [](ld x, ld) { return std::sin(x); }, -1e6, 1e6, 0, 1e-9, "sin"},
      {100, 1, [](ld x, ld) { return std::tan(x); }, -1.5, 1.5, 0, 1e-14, "tan"},
      {17, 1, [](ld x, ld) { return std::atan(x); }, -1e50, 1e50, 0, 1e-15, "arctan"},
      {101, 1, [](ld x, ld) { return std::acos(x); }, -0.999, 0.999, 0, 1e-15, "arccos"},
      {102, 1, [](ld x, ld) { return std::asin(x); }, -0.999, 0.999, 0, 1e-15, "arcsin"},
      {103, 2, [](ld x, ld y) { return std::atan2(x, y); }, -1e3, 1e3, -0.25, 1e-15, "arctan2"},
      {86, 1, [](ld x, ld) { return std::sinh(x); }, -680, 680, 0, 1e-13, "sinh"},
      {87, 1, [](ld x, ld) { return std::cosh(x); }, -680, 680, 0, 1e-13, "cosh"},
      {88, 1, [](ld x, ld) { return std::tanh(x); }, -20, 20, 0, 1e-15, "tanh"},
      {47, 3, [](ld x, ld y) { return x - 0.5L * std::log1p(std::exp((x - y) / 0.5L)); }, -300, 300,
       1.5, 1e-13, "NcpCM with m = 0.5"},
      {46, 2, [](ld x, ld y) { return std::sqrt(x * x + y * y) - x - y; }, -1e3, 1e3, 2.5, 1e-10,
       "NcpF"},
      {125, 2, [](ld x, ld y) { return std::log(std::exp(x) + std::exp(y)); }, -700, 700, 1.5,
       1e-14, "LSEMax"},
      {127, 2, [](ld x, ld y) { return -std::log(std::exp(-x) + std::exp(-y)); }, -700, 700, 1.5,
       1e-14, "LSEMin"},
  };
  for (const ref& r : refs) {
    SCOPED_TRACE(r.why);
    for (int k = 0; k <= 200; ++k) {
      // A grid evenly spaced on the logarithmic scale for wide positive ranges.
      const bool logscale = r.lo > 0 && r.hi / r.lo > 1e4;
      const double t = k / 200.0;
      const double x = logscale ? std::exp(std::log(r.lo) + (std::log(r.hi) - std::log(r.lo)) * t)
                                : r.lo + (r.hi - r.lo) * t;
      ctvnew::tmathnewrec rec{};
      ctvnew::mathnewrecinit(rec);
      rec.nargs = r.nargs;
      const double args[3] = {x, r.y, 0.5};
      if (mathnew::funceval(rec, static_cast<std::uint8_t>(r.fnr), args) != 0) {
        ADD_FAILURE() << "x = " << x << ": " << rec.msg.str();
        continue;
      }
      const ld expected = r.value(x, r.y);
      EXPECT_LE(std::fabs(static_cast<ld>(rec.f) - expected),
                r.tol * std::max<ld>(std::fabs(expected), 1e-300L))
          << "x = " << x << " f = " << rec.f;
    }
  }
}

// ---- derivatives against central differences ----

struct point {
  int fnr;
  std::vector<double> args;
  const char* why;
};

const std::vector<point>& points() {
  static const std::vector<point> rows = {
      {1, {1.3}, "ceil"},
      {2, {-1.3}, "floor"},
      {3, {2.3}, "round"},
      {3, {1.234, 2}, "round to decimals"},
      {4, {7.5, 2.2}, "mod"},
      {4, {-7.5, 2.2}, "mod of a negative"},
      {5, {-2.7}, "trunc"},
      {6, {-0.5}, "sign"},
      {7, {1, 2}, "min takes x"},
      {7, {3, 2}, "min takes y"},
      {8, {1, 2}, "max takes y"},
      {8, {3, 2}, "max takes x"},
      {9, {1.5}, "sqr"},
      {9, {-3}, "sqr of a negative"},
      {10, {0.7}, "exp"},
      {10, {-5}, "exp of a negative"},
      {11, {0.3}, "log"},
      {11, {50}, "log of a large"},
      {12, {2}, "log10"},
      {13, {0.2}, "sqrt"},
      {13, {9}, "sqrt of 9"},
      {14, {-2}, "abs of a negative"},
      {14, {3}, "abs"},
      {15, {0.4}, "cos"},
      {15, {100}, "cos of 100"},
      {16, {1.1}, "sin"},
      {17, {0.5}, "arctan"},
      {17, {-30}, "arctan far out"},
      {18, {0.3}, "errorf"},
      {18, {-2}, "errorf in the tail"},
      {21, {1.3, 3}, "power 3"},
      {21, {-0.7, -3}, "power -3 of a negative"},
      {21, {2, 2}, "power 2"},
      {21, {-2, -1}, "power -1"},
      {21, {2, -2}, "power -2"},
      {21, {2, 1}, "power 1"},
      {21, {2, 0}, "power 0"},
      {21, {1.1, 7}, "power 7"},
      {21, {-1.1, -6}, "power -6"},
      {40, {2.7}, "frac"},
      {40, {-2.7}, "frac of a negative"},
      {46, {0.3, 0.7}, "NcpF"},
      {46, {-1, 2, 0.5}, "NcpF smoothed"},
      {47, {0.3, 0.5, 0.2}, "NcpCM"},
      {47, {0.3, 0.5, 2}, "NcpCM with m > 1"},
      {48, {0.4}, "Entropy"},
      {49, {0.5}, "Sigmoid"},
      {49, {-3}, "Sigmoid of a negative"},
      {50, {3}, "log2"},
      {51, {1}, "bool_not"},
      {52, {1, 0}, "bool_and"},
      {53, {0, 0}, "bool_or"},
      {54, {1, 1}, "bool_xor"},
      {55, {1, 0}, "bool_imp"},
      {56, {0, 1}, "bool_eqv"},
      {57, {1, 2}, "rel_eq"},
      {58, {1, 2}, "rel_gt"},
      {59, {3, 2}, "rel_ge"},
      {60, {1, 2}, "rel_lt"},
      {61, {3, 2}, "rel_le"},
      {62, {1, 2}, "rel_ne"},
      {63, {1, 2, 3}, "IfThen true"},
      {63, {0, 2, 3}, "IfThen false"},
      {64, {1.5, 2.5}, "rPower"},
      {64, {0.5, -1.5}, "rPower negative exponent"},
      {64, {10, 250}, "rPower with a huge result"},
      {65, {1, 2, -2}, "EDist"},
      {65, {3}, "EDist of one"},
      {66, {1.5, -0.4}, "div"},
      {67, {1.5, -0.4}, "div0"},
      {68, {0.5}, "sllog10 regular"},
      {68, {-0.2, 0.5}, "sllog10 extension"},
      {69, {0.1, 0.5}, "sqlog10 extension"},
      {69, {2, 0.5}, "sqlog10 regular"},
      {70, {1}, "slexp regular"},
      {70, {3, 2}, "slexp extension"},
      {71, {3, 2}, "sqexp extension"},
      {72, {2}, "slrec regular"},
      {72, {0.05, 0.1}, "slrec extension"},
      {73, {0.05, 0.1}, "sqrec extension"},
      {73, {0.3, 0.1}, "sqrec regular"},
      {74, {2, 1.5}, "cvPower"},
      {74, {0.5, -2}, "cvPower base below 1"},
      {75, {1.7, 2.5}, "vcPower"},
      {76, {0.5, 0.8}, "Centropy"},
      {76, {0.5, 0.8, 0.1}, "Centropy with d"},
      {80, {2.5}, "Gamma"},
      {80, {-1.5}, "Gamma of a negative"},
      {80, {0.5}, "Gamma below 1"},
      {81, {3.3}, "LogGamma"},
      {81, {0.2}, "LogGamma below 1"},
      {82, {1.5, 2.5}, "Beta"},
      {83, {1.5, 2.5}, "LogBeta"},
      {84, {1.5, 2.5}, "GammaReg by the series"},
      {84, {4.5, 2.5}, "GammaReg by the continued fraction"},
      {85, {0.4, 2, 3}, "BetaReg"},
      {96, {5.5, 2.2}, "Binomial"},
      {96, {5, 2}, "Binomial of whole numbers"},
      {86, {0.3}, "sinh"},
      {87, {-1.2}, "cosh"},
      {88, {0.4}, "tanh"},
      {92, {-1.5, 2.5}, "SignPower of a negative"},
      {92, {1.5, 2.5}, "SignPower"},
      {94, {0.3, 0.5, 1}, "NcpVUsin in the band"},
      {94, {2, 0.5}, "NcpVUsin outside"},
      {95, {0.3, 0.5, 1}, "NcpVUpow in the band"},
      {95, {0.5, 2, 1}, "NcpVUpow outside"},
      {100, {0.5}, "tan"},
      {101, {0.3}, "arccos"},
      {102, {-0.6}, "arcsin"},
      {103, {0.5, -0.8}, "arctan2"},
      {103, {-0.3, 0.2}, "arctan2 fourth quadrant"},
      {103, {1, 0}, "arctan2 on the axis"},
      {108, {1.5, 1, 2, -3, 0.5}, "Poly"},
      {114, {2.5, 2, 1000, 0, 1, 1}, "ForceError not firing"},
      {124, {0.3}, "Logit"},
      {125, {0.1, 0.5, -0.3}, "LSEMax"},
      {125, {30, 0, -2}, "LSEMax with a dominant term"},
      {126, {2, 0.1, 0.5, -0.3}, "LSEMaxSc"},
      {127, {0.1, 0.5, -0.3}, "LSEMin"},
      {127, {-30, 0, 2}, "LSEMin with a dominant term"},
      {128, {0.5, 0.1, 0.5, -0.3}, "LSEMinSc"},
  };
  return rows;
}

// One evaluation at a point; fails the test on a report.
ctvnew::tmathnewrec evalat(int fnr, int level, const std::vector<double>& args) {
  ctvnew::tmathnewrec rec{};
  ctvnew::mathnewrecinit(rec);
  rec.level = level;
  rec.nargs = static_cast<int>(args.size());
  const int answer = mathnew::funceval(rec, static_cast<std::uint8_t>(fnr), args.data());
  EXPECT_EQ(0, answer) << rec.msg.str();
  EXPECT_TRUE(rec.msg.empty()) << rec.msg.str();
  return rec;
}

void expect_difference(double analytic, double minus, double plus, double step, const char* what,
                       int i, int j) {
  const double fd = (plus - minus) / (2 * step);
  const double scale = std::max({1.0, std::fabs(analytic), std::fabs(fd)});
  EXPECT_NEAR(analytic, fd, 2e-6 * scale) << what << " " << i << "," << j;
}

TEST(MathnewDerivatives, EveryDifferentiableFunctionHasPoints) {
  std::set<int> covered;
  for (const point& p : points()) covered.insert(p.fnr);
  for (int nr = 0; nr < mathnew::funccount; ++nr) {
    bool variable = false;
    for (int i = 1; i <= 20; ++i)
      variable = variable || mathnew::funcargtype(static_cast<std::uint8_t>(nr), i) == 1;
    if (variable) {
      EXPECT_TRUE(covered.contains(nr)) << "no point for function " << nr;
    }
  }
}

TEST(MathnewDerivatives, MatchCentralDifferences) {
  for (const point& p : points()) {
    SCOPED_TRACE(p.why);
    const int n = static_cast<int>(p.args.size());
    const ctvnew::tmathnewrec base = evalat(p.fnr, 2, p.args);
    const ctvnew::tmathnewrec value = evalat(p.fnr, 0, p.args);
    EXPECT_EQ(base.f, value.f) << "the value does not depend on the level";
    for (int j = 0; j < n; ++j) {
      if (mathnew::funcargtype(static_cast<std::uint8_t>(p.fnr), j + 1) == 0) continue;
      const double step = 1e-6 * std::max(1.0, std::fabs(p.args[j]));
      std::vector<double> lo = p.args, hi = p.args;
      lo[j] -= step;
      hi[j] += step;
      const ctvnew::tmathnewrec m = evalat(p.fnr, 1, lo), q = evalat(p.fnr, 1, hi);
      expect_difference(base.g[j], m.f, q.f, step, "g", j, j);
      for (int i = 0; i < n; ++i) {
        if (mathnew::funcargtype(static_cast<std::uint8_t>(p.fnr), i + 1) == 0) continue;
        expect_difference(base.h[i][j], m.g[i], q.g[i], step, "h", i, j);
        EXPECT_EQ(base.h[i][j], base.h[j][i]) << "symmetric " << i << "," << j;
      }
    }
  }
}

}  // namespace
