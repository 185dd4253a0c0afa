// Fuzz target of the stand-in BARON's input-file reader: any text is either refused with a
// line inside the file or gives a model whose names, indices and expressions are
// consistent; every expression of an accepted model evaluates (to any value) at the
// starting point, and again at a point of ones.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "standins/baron/baronparse.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

// Every step of an expression refers to a declared variable and leaves one value.
void checkexpression(const baronparse::expression& e, std::size_t variables) {
  long depth = 0;
  for (const baronparse::step& s : e.steps) {
    switch (s.code) {
      case baronparse::op::number:
        ++depth;
        break;
      case baronparse::op::var:
        check(s.var >= 0 && static_cast<std::size_t>(s.var) < variables);
        ++depth;
        break;
      case baronparse::op::neg:
      case baronparse::op::exp:
      case baronparse::op::log:
        check(depth >= 1);
        break;
      default:
        check(depth >= 2);
        --depth;
    }
  }
  check(depth == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const baronparse::result r = baronparse::parse(text, "fuzz");
  const baronparse::model& m = r.m;
  if (!r.ok) {
    check(r.line >= 1 && r.line <= m.lines + 1);
    check(!r.what.empty());
    check(r.message().starts_with("fuzz:"));
    return 0;
  }
  check(m.obj.present);
  const std::size_t n = m.variables.size();
  check(m.variableindex.size() == n && m.equationindex.size() == m.equations.size());
  std::vector<double> start(n), ones(n, 1.0);
  for (std::size_t j = 0; j < n; ++j) {
    check(m.findvariable(m.variables[j].name) == static_cast<int>(j));
    start[j] = m.variables[j].start;
  }
  for (std::size_t i = 0; i < m.equations.size(); ++i) {
    const baronparse::equation& q = m.equations[i];
    check(q.defined && m.findequation(q.name) == static_cast<int>(i));
    checkexpression(q.lhs, n);
    checkexpression(q.rhs, n);
    (void)baronparse::evaluate(q.lhs, start);
    (void)baronparse::evaluate(q.rhs, ones);
  }
  checkexpression(m.obj.expr, n);
  (void)baronparse::evaluate(m.obj.expr, start);
  (void)baronparse::evaluate(m.obj.expr, ones);
  return 0;
}
