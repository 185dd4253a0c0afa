// The stand-in BARON's reader of BARON's input file: a model of what BARON sees.
//
//   baronparse::result r = baronparse::parse(text, "mybaron");
//   if (!r.ok) std::cerr << r.message() << '\n';        // "mybaron:12: undeclared ..."
//   double f = baronparse::evaluate(r.m.obj.expr, point); // point: one value per variable
//
// Grammar (tokens are separated by blanks and line ends; "//" starts a comment to the line
// end; names are [A-Za-z_][A-Za-z0-9_]*; numbers are digits with an optional "." and an
// optional exponent "e"/"E" with sign, a leading "." allowed):
//   OPTIONS{ { name: value; } }       value: "text", a signed number, +Inf, -Inf or a name
//   OPTION{ ... }                     an options section without options
//   BINARY_VARIABLES | INTEGER_VARIABLES | VARIABLES  name {, name};    declare variables
//   POSITIVE_VARIABLES name {, name};                                   lower bound 0
//   LOWER_BOUNDS{ | UPPER_BOUNDS{ | BRANCHING_PRIORITIES{ | STARTING_POINT{
//       { name: signed number; } }                   (bounds also take +Inf and -Inf)
//   EQUATIONS name {, name};
//   RELAXATION_ONLY_EQUATIONS | CONVEX_EQUATIONS | LOCAL_EQUATIONS name {, name};
//   name: expr relation expr;         relation ==, >=, <=; the name a declared equation
//   OBJ: minimize|maximize expr;
//   expr: + - * / ^ (right-associative, above unary minus), unary minus and plus,
//         parentheses, exp(expr), log(expr), numbers and declared variables.
// Names are declared before they are used; each equation gets exactly one statement, and
// the file exactly one objective. Bounds BARON sees: binary [0, 1], others free, lower 0
// for positive variables, then the bound blocks.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace baronparse {

enum class vartype : std::uint8_t { continuous, binary, integer };

struct variable {
  std::string name;
  vartype type = vartype::continuous;
  double lower = 0;
  double upper = 0;
  double priority = 1;
  bool hasstart = false;
  double start = 0;
  int line = 0;  // of its declaration
};

// An expression in postfix order: operands before their operator.
enum class op : std::uint8_t { number, var, add, sub, mul, div, pow, neg, exp, log };
struct step {
  op code = op::number;
  double value = 0;  // number
  int var = 0;       // variable index (declaration order)
};
struct expression {
  std::vector<step> steps;
};

enum class relation : std::uint8_t { eq, ge, le };
constexpr std::string_view relationtext(relation r) {
  return r == relation::eq ? "==" : r == relation::ge ? ">=" : "<=";
}

struct equation {
  std::string name;
  int line = 0;  // of its declaration
  bool defined = false;
  expression lhs;
  relation rel = relation::eq;
  expression rhs;
  bool relaxationonly = false;
  bool convex = false;
  bool local = false;
  // BARON keeps a place in its equation order for every equation but a relaxation-only
  // one that is not also convex.
  bool hasplace() const { return !relaxationonly || convex; }
};

struct option {
  std::string name;
  std::string value;  // without the quotes of a text value
  bool quoted = false;
  int line = 0;
};

struct objective {
  bool present = false;
  bool maximize = false;
  expression expr;
  int line = 0;
};

struct model {
  std::vector<variable> variables;  // BARON's variable order
  std::vector<equation> equations;  // declaration order
  objective obj;
  bool optionssection = false;
  std::vector<option> options;
  int lines = 0;                                          // lines of the file
  std::map<std::string, int, std::less<>> variableindex;  // name -> index in variables
  std::map<std::string, int, std::less<>> equationindex;  // name -> index in equations

  int findvariable(std::string_view name) const;  // -1 when not declared
  int findequation(std::string_view name) const;
  // The value of an option (names compared without regard to ASCII case); nullptr if absent.
  const option* findoption(std::string_view name) const;
};

struct result {
  bool ok = false;
  model m;           // on failure: what was read before the fault (the options among it)
  std::string name;  // of the file
  int line = 0;      // of the fault
  std::string what;
  std::string message() const;  // "<name>:<line>: <what>"
};

[[nodiscard]] result parse(std::string_view text, std::string_view name);

// The value at a point (one value per variable, in declaration order); NaN or an infinity
// when a function is undefined there.
[[nodiscard]] double evaluate(const expression& e, std::span<const double> point);

}  // namespace baronparse
