// Texts of the stand-in BARON's result files (see baronresults.h).
//
// res layout: 16 preamble lines, then by form
//   list:  "*** Normal completion ***", two lines, then per solution " >>> Objective value: v",
//          two header lines, one line per variable (name in 13 columns, a blank, the value
//          from column 15), an empty line; then " >>> Corresponding dual solution:", a
//          header, the variables' duals, a header, the duals of the equations that have a
//          place in BARON's order, two empty lines and, with a ray, "The above solution was
//          found along the following unbounded ray:", two lines and one line per variable.
//   block: "The best solution found is:", two lines, "name lower value upper" per variable,
//          an empty line, "The above solution has an objective value of: v".
//   iis:   "IIS contains n rows and m variables", then "name kind" per row and per variable.
#include "standins/baron/baronresults.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace baronresults {

namespace {

using baronparse::model;

std::string column(const std::string& name) {
  std::string c = name.substr(0, 13);
  c.resize(13, ' ');
  return c + ' ';
}

const std::string& at(const std::vector<std::string>& values, std::size_t i) {
  static const std::string zero = "0";
  return i < values.size() ? values[i] : zero;
}

void line(std::string& out, std::string_view text) {
  out += text;
  out += '\n';
}

void preamble(std::string& out, const model& m, const outcome& o) {
  std::size_t binary = 0, integer = 0;
  for (const baronparse::variable& v : m.variables) {
    if (v.type == baronparse::vartype::binary) ++binary;
    if (v.type == baronparse::vartype::integer) ++integer;
  }
  const std::string lines[16] = {
      " BARON stand-in, a test double of the global solver",
      " ===================================================",
      "",
      " Variables:            " + std::to_string(m.variables.size()),
      " Binary variables:     " + std::to_string(binary),
      " Integer variables:    " + std::to_string(integer),
      " Equations:            " + std::to_string(m.equations.size()),
      std::string(" Objective:            ") + (m.obj.maximize ? "maximize" : "minimize"),
      "",
      " Candidates evaluated: " + std::to_string(o.candidates),
  };
  for (const std::string& l : lines) line(out, l);
}

void valuelines(std::string& out, const model& m, const std::vector<std::string>& values) {
  for (std::size_t j = 0; j < m.variables.size(); ++j)
    line(out, column(m.variables[j].name) + at(values, j));
}

void list(std::string& out, const model& m, const outcome& o) {
  line(out, "");
  line(out, "*** Normal completion ***");
  line(out, "");
  line(out, " Wall clock time:     " + o.walltime);
  for (const solution& s : o.solutions) {
    line(out, " >>> Objective value: " + s.objective);
    line(out, "");
    line(out, " Variable      Value");
    valuelines(out, m, s.values);
    line(out, "");
  }
  if (!o.duals) return;  // the reader reads nothing after a list without duals
  line(out, " >>> Corresponding dual solution:");
  line(out, " Variable      Dual");
  valuelines(out, m, o.vardual);
  line(out, " Equation      Dual");
  std::size_t place = 0;
  for (const baronparse::equation& q : m.equations)
    if (q.hasplace()) line(out, column(q.name) + at(o.equdual, place++));
  line(out, "");
  line(out, "");
  if (o.ray.empty()) return;
  line(out, "The above solution was found along the following unbounded ray:");
  line(out, "");
  line(out, " Variable      Ray");
  valuelines(out, m, o.ray);
}

void block(std::string& out, const model& m, const outcome& o) {
  static const solution none;
  const solution& s = o.solutions.empty() ? none : o.solutions.back();
  line(out, "");
  line(out, "The best solution found is:");
  line(out, "");
  line(out, "  variable     xlo     xbest     xup");
  for (std::size_t j = 0; j < m.variables.size(); ++j) {
    const baronparse::variable& v = m.variables[j];
    line(out, column(v.name) + number(v.lower, false) + "  " + at(s.values, j) + "  " +
                  number(v.upper, false));
  }
  line(out, "");
  line(out, "The above solution has an objective value of: " + s.objective);
}

void iis(std::string& out, const outcome& o) {
  line(out, "");
  line(out, "IIS contains " + std::to_string(o.iisrows.size()) + " rows and " +
                std::to_string(o.iiscols.size()) + " variables");
  for (const iisentry& e : o.iisrows) line(out, e.name + " " + e.kind);
  for (const iisentry& e : o.iiscols) line(out, e.name + " " + e.kind);
}

}  // namespace

std::string number(double v, bool dexponent) {
  if (std::isinf(v)) v = v > 0 ? 1e51 : -1e51;
  char buf[64];
  const auto r = dexponent ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific)
                           : std::to_chars(buf, buf + sizeof buf, v);
  std::string s(buf, r.ptr);
  if (dexponent) std::replace(s.begin(), s.end(), 'e', 'D');
  return s;
}

std::string timtext(const outcome& o) {
  if (!o.timline.empty()) return o.timline + "\n";
  std::string s = o.name + " 0 0 0 0";
  for (const std::string* t : {&o.lower, &o.upper, &o.barstatus, &o.modelstatus, &o.missingbnd,
                               &o.itera, &o.nodeopt, &o.nodememmax, &o.cputime, &o.walltime})
    s += " " + *t;
  return s + "\n";
}

std::string sumtext(const model& m, const outcome& o) {
  std::string out;
  line(out, " BARON stand-in summary");
  line(out, "");
  line(out, " Variables: " + std::to_string(m.variables.size()) +
                "   Equations: " + std::to_string(m.equations.size()));
  line(out, "");
  line(out, "  Total time elapsed (secs):  " + o.walltime);
  line(out, "  Barstatus:                  " + o.barstatus);
  line(out, "  Model status:               " + o.modelstatus);
  line(out, "  Objective bounds:           " + o.lower + " " + o.upper);
  line(out, " All done with problem");
  line(out, "====================");
  return out;
}

std::string restext(const model& m, const outcome& o) {
  std::string out;
  preamble(out, m, o);
  switch (o.resform) {
    case form::list:
      list(out, m, o);
      break;
    case form::block:
      block(out, m, o);
      break;
    case form::both:
      list(out, m, o);
      block(out, m, o);
      break;
    case form::iis:
      iis(out, o);
      break;
    case form::nosolution:
      line(out, "");
      line(out, "No feasible solution was found.");
      break;
  }
  for (const std::string& l : o.extralines) line(out, l);
  return out;
}

}  // namespace baronresults
