// The stand-in BARON's result files: the texts of the "tim", "sum" and "res" files from an
// outcome, in the layouts the link reads. Every number in an outcome is text already, so a
// scenario can put any token in any place.
#pragma once

#include <string>
#include <vector>

#include "standins/baron/baronparse.h"

namespace baronresults {

// The res file's forms: the solution list (with duals and a ray), the best-solution block,
// both (list first), an IIS report, or no solution.
enum class form { list, block, both, iis, nosolution };

struct solution {
  std::string objective;
  std::vector<std::string> values;  // in BARON's variable order; missing ones are "0"
};

struct iisentry {
  std::string name;  // as written: "e3", "x2", ...
  std::string kind;  // "Upper", "Lower", "Both"
};

struct outcome {
  // The tim line: a name, four integers, the two objective bounds (lower first), then
  // barstatus, modelstatus, missingbnd, itera, nodeopt, nodememmax, processor and wall time.
  std::string name = "baron";
  std::string lower, upper;
  std::string barstatus = "1", modelstatus = "1", missingbnd = "0", itera = "0", nodeopt = "-2",
              nodememmax = "0", cputime = "0.01", walltime = "0.02";
  std::string timline;  // when not empty, the whole tim line in place of the tokens
  form resform = form::both;
  std::vector<solution> solutions;  // the last one is the block's
  bool duals = true;
  std::vector<std::string> vardual, equdual;  // missing ones are "0"
  std::vector<std::string> ray;               // a ray section when not empty
  std::vector<iisentry> iisrows, iiscols;
  std::vector<std::string> extralines;  // appended to the res file as they are
  int candidates = 0;                   // for the preamble
};

// A number as BARON writes it: the shortest exact text, infinities as 1e+51; with
// dexponent every number in exponent form with "D" as its exponent letter.
[[nodiscard]] std::string number(double v, bool dexponent);

[[nodiscard]] std::string timtext(const outcome& o);
[[nodiscard]] std::string sumtext(const baronparse::model& m, const outcome& o);
[[nodiscard]] std::string restext(const baronparse::model& m, const outcome& o);

}  // namespace baronresults
