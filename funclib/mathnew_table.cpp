// The intrinsic function table and its accessors and classification routines.
#include <algorithm>

#include "funclib/mathnew.h"

namespace mathnew {

namespace {

// Argument i (from 1) may be a variable.
constexpr std::uint32_t arg(int i) { return std::uint32_t{1} << (i - 1); }
constexpr std::uint32_t args_all = 0xFFFFFu;              // arguments 1..20
constexpr std::uint32_t args_from2 = args_all & ~arg(1);  // arguments 2..20

constexpr tlibzolminfo row(std::string_view name, int minargs, int maxargs, int smooth,
                           int equnever, int zeroripple, std::uint32_t variable,
                           std::string_view ts, std::string_view tf) {
  tlibzolminfo r{};
  r.name.assign_cut(name);
  r.minargs = static_cast<std::uint8_t>(minargs);
  r.maxargs = static_cast<std::uint8_t>(maxargs);
  r.smooth = static_cast<std::uint8_t>(smooth);
  r.equnever = static_cast<std::uint8_t>(equnever);
  r.zeroripple = static_cast<std::uint8_t>(zeroripple);
  for (int i = 0; i < ctvnew::maxargs; ++i) r.argtype[i] = (variable >> i) & 1u;
  r.ts.assign_cut(ts);
  r.tf.assign_cut(tf);
  return r;
}

// Numbers 109 and 110 name no function.
constexpr tlibzolminfo reserved() { return tlibzolminfo{}; }

}  // namespace

// Columns: name, minargs, maxargs (0 open), smooth, equnever, zeroripple, variable
// arguments, explanatory text, formula text.
// clang-format off
constexpr tlibzolminfo libzolminfo[funccount] = {
    row("mapval", 1, 1, 0, 0, 0, 0, "maps special values", ""),  // 0
    row("ceil", 1, 1, 0, 0, 1, arg(1), "ceiling", ""),  // 1
    row("floor", 1, 1, 0, 0, 1, arg(1), "floor", ""),  // 2
    row("round", 1, 2, 0, 0, 1, arg(1), "rounding", ""),  // 3
    row("mod", 2, 2, 0, 0, 0, arg(1) | arg(2), "modulus", ""),  // 4
    row("trunc", 1, 1, 0, 0, 1, arg(1), "truncation", ""),  // 5
    row("sign", 1, 1, 0, 0, 1, arg(1), "sign(x)", ""),  // 6
    row("min", 2, 0, 0, 0, 0, arg(1) | arg(2), "min(x,y)", ""),  // 7
    row("max", 2, 0, 0, 0, 0, arg(1) | arg(2), "max(x,y)", ""),  // 8
    row("sqr", 1, 1, 1, 0, 1, arg(1), "square", "x1^2"),  // 9
    row("exp", 1, 1, 1, 0, 0, arg(1), "exponential", "exp(x1)"),  // 10
    row("log", 1, 1, 1, 0, 0, arg(1), "logarithm base e", "log(x1)"),  // 11
    row("log10", 1, 1, 1, 0, 0, arg(1), "logarithm base 10", "log10(x1)"),  // 12
    row("sqrt", 1, 1, 1, 0, 1, arg(1), "squareroot", "sqrt(x1)"),  // 13
    row("abs", 1, 1, 0, 0, 1, arg(1), "absolute", "abs(x1)"),  // 14
    row("cos", 1, 1, 1, 0, 0, arg(1), "cosinus", "cos(x1)"),  // 15
    row("sin", 1, 1, 1, 0, 1, arg(1), "sinus", "sin(x1)"),  // 16
    row("arctan", 1, 1, 1, 0, 1, arg(1), "arctangent", "atan(x1)"),  // 17
    row("errorf", 1, 1, 1, 0, 0, arg(1), "error function", "0.5*erfc(-x1/1.414213562373095"),  // 18
    row("uniform", 2, 2, 0, 1, 0, 0, "uniform random number between arg1 and arg2", ""),  // 19
    row("normal", 2, 2, 0, 1, 0, 0, "normal random number with mean arg1 and std arg2", ""),  // 20
    row("power", 2, 2, 1, 0, 0, arg(1), "integer power", "x1^i2"),  // 21
    row("jdate", 3, 3, 0, 0, 0, 0, "julian day", ""),  // 22
    row("jtime", 3, 3, 0, 0, 0, 0, "juliab time", ""),  // 23
    row("jstart", 0, 0, 0, 1, 0, 0, "job start time", ""),  // 24
    row("jnow", 0, 0, 0, 1, 0, 0, "job current time", ""),  // 25
    row("execerror", 0, 0, 0, 1, 0, 0, "execution errors", ""),  // 26
    row("gyear", 1, 1, 0, 0, 0, 0, "extract Gregorian year  from Julian date.time", ""),  // 27
    row("gmonth", 1, 1, 0, 0, 0, 0, "extract Gregorian month from Julian date.time", ""),  // 28
    row("gday", 1, 1, 0, 0, 0, 0, "extract Gregorian day   from Julian date.time", ""),  // 29
    row("gdow", 1, 1, 0, 0, 1, 0, "extract Gregorian day of week from Julian date.time", ""),  // 30
    row("gleap", 1, 1, 0, 0, 1, 0, "extract Gregorian leapyear from Julian date.time", ""),  // 31
    row("ghour", 1, 1, 0, 0, 1, 0, "extract Gregorian hour  from Julian date.time", ""),  // 32
    row("gminute", 1, 1, 0, 0, 1, 0, "extract Gregorian minute from Julian date.time", ""),  // 33
    row("gsecond", 1, 1, 0, 0, 1, 0, "extract Gregorian second from Julian date.time", ""),  // 34
    row("execseed", 0, 0, 0, 1, 0, 0, "extract random seed", ""),  // 35
    row("timestart", 0, 0, 0, 1, 0, 0, "start time", ""),  // 36
    row("timecomp", 0, 0, 0, 1, 0, 0, "compilation time", ""),  // 37
    row("timeexec", 0, 0, 0, 1, 0, 0, "execution time", ""),  // 38
    row("timeclose", 0, 0, 0, 1, 0, 0, "close time", ""),  // 39
    row("frac", 1, 1, 0, 0, 1, arg(1), "fraction mod(x,1)", ""),  // 40
    row("ErrorLevel", 0, 0, 0, 1, 0, 0, "errorlevel", ""),  // 41
    row("HeapSize", 0, 0, 0, 1, 0, 0, "heapsize in MB", ""),  // 42
    row("Fact", 1, 1, 0, 0, 0, 0, "factorial", ""),  // 43
    row("UniformInt", 2, 2, 0, 1, 0, 0, "uniform integer random number", ""),  // 44
    row("PI", 0, 0, 0, 0, 0, 0, "the constant PI", "pi"),  // 45
    row("NcpF", 2, 3, 1, 0, 0, arg(1) | arg(2), "NCP Fischer: sqrt(x1^2 + x2^2 + 2*x3) - x1 - x2, g3 = 0, x3 >= 0", "sqrt(x1^2+x2^2+2*c3)-x1-x2"),  // 46
    row("NcpCM", 3, 3, 1, 0, 0, arg(1) | arg(2), "NCP Chen-Mangasarian: x1 - x3*ln(1+exp((x1-x2)/x3)), g3 = 0, x3 > 0", "x1-c3*log(1+exp((x1-x2)/c3))"),  // 47
    row("Entropy", 1, 1, 1, 0, 1, arg(1), "Entropy: -x*ln(x)", "-x1*log(x1)"),  // 48
    row("Sigmoid", 1, 1, 1, 0, 0, arg(1), "Sigmoid: 1/(1 + exp(-x))", "1/(1+exp(-x1))"),  // 49
    row("log2", 1, 1, 1, 0, 0, arg(1), "logarithm base 2", "1.44269504088896*log(x1)"),  // 50
    row("bool_not", 1, 1, 0, 0, 0, arg(1), "boolean not", ""),  // 51
    row("bool_and", 2, 2, 0, 0, 0, arg(1) | arg(2), "boolean and", ""),  // 52
    row("bool_or", 2, 2, 0, 0, 0, arg(1) | arg(2), "boolean or", ""),  // 53
    row("bool_xor", 2, 2, 0, 0, 0, arg(1) | arg(2), "boolean xor", ""),  // 54
    row("bool_imp", 2, 2, 0, 0, 0, arg(1) | arg(2), "boolean implication", ""),  // 55
    row("bool_eqv", 2, 2, 0, 0, 0, arg(1) | arg(2), "boolean equivalence", ""),  // 56
    row("rel_eq", 2, 2, 0, 0, 0, arg(1) | arg(2), "relation eq =", ""),  // 57
    row("rel_gt", 2, 2, 0, 0, 0, arg(1) | arg(2), "relation gt >", ""),  // 58
    row("rel_ge", 2, 2, 0, 0, 0, arg(1) | arg(2), "relation ge >=", ""),  // 59
    row("rel_lt", 2, 2, 0, 0, 0, arg(1) | arg(2), "relation lt <", ""),  // 60
    row("rel_le", 2, 2, 0, 0, 0, arg(1) | arg(2), "relation le <=", ""),  // 61
    row("rel_ne", 2, 2, 0, 0, 0, arg(1) | arg(2), "relation ne <>", ""),  // 62
    row("IfThen", 3, 3, 0, 0, 0, arg(1) | arg(2) | arg(3), "if(cond,then,else)", ""),  // 63
    row("rPower", 2, 2, 1, 0, 0, arg(1) | arg(2), "real power", "x1^x2"),  // 64
    row("EDist", 1, 20, 1, 0, 1, args_all, "Euclidean or L-2 Norm: Sqrt( x1^2 + x2^2 + .. )", ""),  // 65
    row("div", 2, 2, 1, 0, 0, arg(1) | arg(2), "division", "x1/x2"),  // 66
    row("div0", 2, 2, 1, 0, 0, arg(1) | arg(2), "division", "x1/x2"),  // 67
    row("sllog10", 1, 2, 1, 0, 0, arg(1), "smooth (linear) logarithm base 10", ""),  // 68
    row("sqlog10", 1, 2, 1, 0, 0, arg(1), "smooth (quadratic) logarithm base 10", ""),  // 69
    row("slexp", 1, 2, 1, 0, 0, arg(1), "smooth (linear) exponential", ""),  // 70
    row("sqexp", 1, 2, 1, 0, 0, arg(1), "smooth (quadratic) exponential", ""),  // 71
    row("slrec", 1, 2, 1, 0, 0, arg(1), "smooth (linear) reciprocal", ""),  // 72
    row("sqrec", 1, 2, 1, 0, 0, arg(1), "smooth (quadratic) reciprocal", ""),  // 73
    row("cvPower", 2, 2, 1, 0, 0, arg(2), "c**y", "c1^x2"),  // 74
    row("vcPower", 2, 2, 1, 0, 0, arg(1), "x**c", "x1^c2"),  // 75
    row("Centropy", 2, 3, 1, 0, 0, arg(1) | arg(2), "Centropy: x*ln((x+d)/(y+d))", "x1*log((x1+c3)/(x2+c3))"),  // 76
    row("Gmillisec", 1, 1, 0, 0, 1, 0, "extract Gregorian milli second from Julian date.time", ""),  // 77
    row("MaxExecError", 0, 0, 0, 1, 0, 0, "max execution errors", ""),  // 78
    row("TimeElapsed", 0, 0, 0, 1, 0, 0, "elapsed time", ""),  // 79
    row("Gamma", 1, 1, 1, 0, 0, arg(1), "gamma function", ""),  // 80
    row("LogGamma", 1, 1, 1, 0, 0, arg(1), "log gamma function", ""),  // 81
    row("Beta", 2, 2, 1, 0, 0, arg(1) | arg(2), "beta function", ""),  // 82
    row("LogBeta", 2, 2, 1, 0, 0, arg(1) | arg(2), "log beta function", ""),  // 83
    row("GammaReg", 2, 2, 1, 0, 0, arg(1) | arg(2), "regularized gamma function", ""),  // 84
    row("BetaReg", 3, 3, 1, 0, 0, arg(1) | arg(2) | arg(3), "regularized beta function", ""),  // 85
    row("sinh", 1, 1, 1, 0, 1, arg(1), "hyperbolic sine", "sinh(x1)"),  // 86
    row("cosh", 1, 1, 1, 0, 0, arg(1), "hyperbolic cosine", "cosh(x1)"),  // 87
    row("tanh", 1, 1, 1, 0, 1, arg(1), "hyperbolic tangent", "tanh(x1)"),  // 88
    row("MathLastRC", 0, 0, 0, 1, 0, 0, "last math return code", ""),  // 89
    row("MathLastEC", 0, 0, 0, 1, 0, 0, "last math exception code", ""),  // 90
    row("MathOVal", 0, 0, 0, 1, 0, 0, "math overflow value", ""),  // 91
    row("SignPower", 2, 2, 1, 0, 0, arg(1), "signed power sign(x)*abs(x)**c", ""),  // 92
    row("HandleStatus", 1, 1, 0, 1, 0, 0, "Model handle status", ""),  // 93
    row("NcpVUsin", 2, 3, 1, 0, 0, arg(1) | arg(2), "NCP Veelken-Ulbrich: smoothed min, g3 = 0, x3 >= 0", ""),  // 94
    row("NcpVUpow", 2, 3, 1, 0, 0, arg(1) | arg(2), "NCP Veelken-Ulbrich: smoothed min, g3 = 0, x3 >= 0", ""),  // 95
    row("Binomial", 2, 2, 1, 0, 0, arg(1) | arg(2), "(generalized) binomial coefficient", ""),  // 96
    row("HandleSubmit", 1, 1, 0, 1, 0, 0, "Resubmit Model Handle", ""),  // 97
    row("ZolmVersion", 0, 0, 0, 1, 0, 0, "Zolm version number", ""),  // 98
    row("HandleDelete", 1, 1, 0, 1, 0, 0, "Deletes Model Handle Directory", ""),  // 99
    row("tan", 1, 1, 1, 0, 1, arg(1), "tangent", "tan(x1)"),  // 100
    row("arccos", 1, 1, 1, 0, 0, arg(1), "inverse-cosinus", "acos(x1)"),  // 101
    row("arcsin", 1, 1, 1, 0, 1, arg(1), "inverse-sinus", "asin(x1)"),  // 102
    row("arctan2", 2, 2, 1, 0, 0, arg(1) | arg(2), "arctan2", "arctan(x2/x1)"),  // 103
    row("sleep", 1, 1, 0, 1, 0, 0, "sleep", "goes to sleep for x seconds"),  // 104
    row("HeapFree", 0, 0, 0, 1, 0, 0, "heapfree in MB", ""),  // 105
    row("HandleCollect", 1, 1, 0, 1, 0, 0, "Collects Model Handle Results", ""),  // 106
    row("ZolmRelease", 0, 0, 0, 1, 0, 0, "Zolm release number", ""),  // 107
    row("Poly", 4, 20, 1, 0, 0, arg(1), "Simple Polynomials", ""),  // 108
    reserved(),  // 109
    reserved(),  // 110
    row("HeapLimit", 0, 0, 0, 1, 0, 0, "Heap Limit in MB", ""),  // 111
    row("RandLinear", 3, 3, 0, 1, 0, 0, "Linear(low,slope,high) random number", ""),  // 112
    row("RandTriangle", 3, 3, 0, 1, 0, 0, "RandTriangle(low,median,high) random number", ""),  // 113
    row("ForceError", 6, 6, 1, 0, 0, arg(1), "ForceError(x1,d,t,v,e,r) forces errors after t calls", ""),  // 114
    row("ForceErrorCnt", 0, 0, 0, 1, 0, 0, "ForceErrorCnt sets foceerrorcount", ""),  // 115
    row("RandBinomial", 2, 2, 0, 1, 0, 0, "Binomial(n,p) random number", ""),  // 116
    row("JobHandle", 0, 0, 0, 1, 0, 0, "JobHandle", ""),  // 117
    row("JobStatus", 1, 1, 0, 1, 1, 0, "JobStatus", ""),  // 118
    row("JobKill", 1, 1, 0, 1, 1, 0, "JobKill", ""),  // 119
    row("JobTerminate", 1, 1, 0, 1, 1, 0, "JobTerminate", ""),  // 120
    row("NumCores", 0, 0, 1, 0, 0, 0, "Number of logical cores", ""),  // 121
    row("EmbeddedHandle", 0, 0, 0, 1, 0, 0, "Embedded Code Library Handle", ""),  // 122
    row("PlatformCode", 0, 0, 1, 0, 0, 0, "Job platform code", ""),  // 123
    row("Logit", 1, 1, 1, 0, 0, arg(1), "Logit transformation: ln(p/(1-p))", "log(x1/(1-x1))"),  // 124
    row("LSEMax", 1, 20, 1, 0, 0, args_all, "LSE Max: log(exp(x1) + exp(x2) + .. )", ""),  // 125
    row("LSEMaxSc", 2, 20, 1, 0, 0, args_from2, "scaled LSE Max: 1/t LSEMax(tx)", ""),  // 126
    row("LSEMin", 1, 20, 1, 0, 0, args_all, "LSE Min: -log(exp(-x1) + exp(-x2) + .. )", ""),  // 127
    row("LSEMinSc", 2, 20, 1, 0, 0, args_from2, "scaled LSE Min: 1/t LSEMin(tx)", ""),  // 128
    row(" unknown*", 1, 1, 0, 0, 0, 0, "dummy function", ""),  // 129
};
// clang-format on

namespace {

const tlibzolminfo& rowof(std::uint8_t fnr) { return libzolminfo[std::min<int>(fnr, unknownfnr)]; }

template <std::size_t Cap>
q5rt::sstr cutto(const q5rt::shortstring<Cap>& text, std::size_t maxlen) {
  return q5rt::sstr::cut(text.view().substr(0, maxlen));
}

// A polynomial degree as the analyses pass it: a double rounded to the nearest integer.
bool degreeis(const double* degrees, int i, int degree) {
  return detail::nearest(degrees[i]) == degree;
}

}  // namespace

q5rt::sstr funcname(std::uint8_t fnr, std::size_t maxlen) { return cutto(rowof(fnr).name, maxlen); }
int funcminargs(std::uint8_t fnr) { return rowof(fnr).minargs; }
int funcmaxargs(std::uint8_t fnr) { return rowof(fnr).maxargs; }
int funcsmooth(std::uint8_t fnr) { return rowof(fnr).smooth; }
bool funcequnever(std::uint8_t fnr) { return rowof(fnr).equnever == 1; }
bool funczeroripple(std::uint8_t fnr) { return rowof(fnr).zeroripple == 1; }

int funcargtype(std::uint8_t fnr, int i) {
  if (i < 1 || i > ctvnew::maxargs) return 0;
  return rowof(fnr).argtype[i - 1];
}

q5rt::sstr functs(std::uint8_t fnr, std::size_t maxlen) { return cutto(rowof(fnr).ts, maxlen); }
q5rt::sstr functf(std::uint8_t fnr, std::size_t maxlen) { return cutto(rowof(fnr).tf, maxlen); }

void funcinfo(std::uint8_t fnr, q5rt::sstr& name, int& minargs, int& maxargs, int& smooth,
              int& varargs, bool& equnever) {
  const tlibzolminfo& r = rowof(fnr);
  name = cutto(r.name, 255);
  minargs = r.minargs;
  maxargs = r.maxargs;
  smooth = r.smooth;
  equnever = r.equnever == 1;
  varargs = 0;
  for (int i = 0; i < std::min<int>(r.maxargs, ctvnew::maxargs); ++i) varargs += r.argtype[i];
}

int islogic(std::uint8_t fnr, bool& flag) {
  flag = fnr >= 51 && fnr <= 56;  // bool_not .. bool_eqv; the relations are not logical
  return 0;
}

int isquad(std::uint8_t fnr, double value, int n, const double* degrees, bool& flag) {
  flag = false;
  switch (fnr) {
    case 9:  // sqr of a linear term
      if (n >= 1) flag = degreeis(degrees, 0, 1);
      return 0;
    case 21:  // power(linear, 2) or power(quadratic, 1)
      if (n >= 2 && degreeis(degrees, 1, 0)) {
        const double k = detail::nearest(value);
        flag = (degreeis(degrees, 0, 1) && k == 2) || (degreeis(degrees, 0, 2) && k == 1);
      }
      return 0;
    case 108:  // Poly: by the number of arguments (the degree of the polynomial plus 2)
      if (n == 3) flag = degreeis(degrees, 0, 2);
      if (n == 4) flag = degreeis(degrees, 0, 1);
      return n >= 7 || n <= 0 ? 4 : 0;
    default:
      return 0;
  }
}

}  // namespace mathnew
