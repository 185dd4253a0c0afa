// The model as a directed acyclic graph in the Vienna DAG text format: variable nodes,
// one sum node per row with its bounds, the rows' linear terms as edges and their
// instruction code as further nodes, and the objective.
#include "baron/dagger.h"
#include "baron/gcutil.h"
#include "baron/gcutil_internal.h"
#include "frame/strutilx_numbers.h"
#include "instance/gcdata.h"

namespace gcutil {

namespace {

using detail::num;

std::size_t at(std::int32_t i) { return static_cast<std::size_t>(i) - 1; }

// The bound text of a row by its type.
q5rt::sstr rowbounds(std::int32_t type, double rhs) {
  const q5rt::sstr r = strutilx::dbltostr(rhs);
  switch (type) {
    case 0:
      return q5rt::concat(r, ",", sysutils::q5_floattostr(rhs));
    case 1:
      return q5rt::concat(r, ",I");
    case 2:
      return q5rt::concat("-I,", r);
    case 3:
      return q5rt::sstr::cut("-I,I");
    default:
      return q5rt::concat("cannot handle ",
                          type > 0 && type < 7
                              ? std::string_view(equtypename[static_cast<std::size_t>(type)])
                              : "");
  }
}

}  // namespace

std::int32_t gcvienna(std::string_view description, std::string_view filename) {
  q5rt::textfile f;
  if (const int rc = open4write(f, filename, description); rc != 0) return rc;
  f.set_iocheck(true);
  const gcdata::tmodel& m = gcdata::mymodel;
  const std::int32_t n = m.cols;
  f.writeln(q5rt::concat("<N> V ", num(n)));
  for (std::int32_t j = 1; j <= n; ++j) {
    const double lo = m.collower[at(j)];
    const double up = m.colupper[at(j)];
    f.writeln(q5rt::concat(
        "<", num(j - 1), "> b [",
        lo == m.valmin ? q5rt::sstr::cut("-I,") : q5rt::concat(strutilx::dbltostr(lo), ","),
        up == m.valpin ? q5rt::sstr::cut("I]") : q5rt::concat(strutilx::dbltostr(up), "]"), ": V ",
        num(j - 1)));
  }
  for (std::int32_t i = 1; i <= m.rows; ++i) {
    const std::int32_t k = n + i - 1;
    f.writeln(
        q5rt::concat("<", num(k), "> b [", rowbounds(m.rowtype[at(i)], m.rowrhs[at(i)]), "]: +"));
    f.writeln(q5rt::concat("<N> c ", num(i - 1), " ", num(k)));
  }
  std::int32_t last = n + m.rows - 1;
  for (std::int32_t i = 1; i <= m.rows; ++i) {
    const std::int32_t k = n + i - 1;
    for (const zlmspecs::tjacrec* e = m.rowfirst[at(i)]; e != nullptr; e = e->rownext) {
      if (e->nonlin) continue;
      detail::linebuf line;
      line.add("<E> ")
          .add(std::int64_t{k})
          .add(' ')
          .add(std::int64_t{e->col - 1})
          .add(' ')
          .number(e->jacval)
          .writeln(f);
    }
    dagger::makedag(f, last, m.rowfirstinstr[at(i)], m.rowlastinstr[at(i)], n - 1, m.instr, m.pool);
  }
  if (m.objvar != 0) {
    const std::int32_t o = ++last;
    f.writeln(q5rt::concat("<", num(o), "> +"));
    f.writeln(q5rt::concat("<N> c ", num(m.rows), " ", num(o)));
    f.writeln(q5rt::concat("<E> ", num(o), " ", num(m.objvar - 1), " 1"));
    f.writeln(q5rt::concat("<N> M ", num(o), m.maximize != 0 ? " max" : " min"));
  }
  f.close();
  f.check();
  return 0;
}

}  // namespace gcutil
