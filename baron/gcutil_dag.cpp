// The model as a directed acyclic graph in the Vienna DAG text format: variable nodes,
// one sum node per row with its bounds, the rows' linear terms as edges and their
// instruction code as further nodes, and the objective.
#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

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
void rowbounds(detail::linebuf& line, std::int32_t type, double rhs) {
  switch (type) {
    case 0:
      line.number(rhs).add(',').number(rhs);
      return;
    case 1:
      line.number(rhs).add(",I");
      return;
    case 2:
      line.add("-I,").number(rhs);
      return;
    case 3:
      line.add("-I,I");
      return;
    default:
      line.add("cannot handle ")
          .add(type > 0 && type < 7 ? std::string_view(equtypename[static_cast<std::size_t>(type)])
                                    : "");
  }
}

// A linear term of a row: the column and its coefficient.
struct term {
  std::int32_t col;
  double value;
};

// The edge lines "<E> k c v" of a row's node k to its terms' columns, each built in place
// behind the text they share.
void edges(q5rt::textfile& f, std::int32_t k, const std::vector<term>& terms) {
  char line[64] = "<E> ";
  char* const start = std::to_chars(line + 4, line + 16, k).ptr;
  *start = ' ';
  for (const term& t : terms) {
    char* p = std::to_chars(start + 1, start + 13, t.col - 1).ptr;
    *p++ = ' ';
    p += strutilx::dbltostr_chars(t.value, '.', p);
    *p++ = '\n';
    f.write(std::string_view(line, static_cast<std::size_t>(p - line)));
  }
}

// Writes the rows' linear terms and instruction code. The elements lie in column order, so
// each step along a row list is a cache miss, and an element may span two cache lines: the
// lists of a batch of rows are walked side by side to overlap those misses, gathering
// each element's term at once, then each row is written from its gathered terms.
void writerows(q5rt::textfile& f, std::int32_t& last) {
  constexpr std::int32_t batch = 16;
  const gcdata::tmodel& m = gcdata::mymodel;
  const std::int32_t n = m.cols;
  std::array<std::vector<term>, batch> terms;
  std::array<const zlmspecs::tjacrec*, batch> next{};
  for (std::int32_t i0 = 1; i0 <= m.rows; i0 += batch) {
    const std::int32_t count = std::min(batch, m.rows - i0 + 1);
    for (std::int32_t b = 0; b < count; ++b) {
      terms[static_cast<std::size_t>(b)].clear();
      next[static_cast<std::size_t>(b)] = m.rowfirst[at(i0 + b)];
    }
    for (bool more = true; more;) {
      more = false;
      for (std::int32_t b = 0; b < count; ++b) {
        const zlmspecs::tjacrec*& e = next[static_cast<std::size_t>(b)];
        if (e == nullptr) continue;
        if (!e->nonlin) terms[static_cast<std::size_t>(b)].push_back({e->col, e->jacval});
        e = e->rownext;
        more = true;
      }
    }
    for (std::int32_t b = 0; b < count; ++b) {
      const std::int32_t i = i0 + b;
      edges(f, n + i - 1, terms[static_cast<std::size_t>(b)]);
      dagger::makedag(f, last, m.rowfirstinstr[at(i)], m.rowlastinstr[at(i)], n - 1, m.instr,
                      m.pool);
    }
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
  detail::linebuf line;
  for (std::int32_t j = 1; j <= n; ++j) {
    const double lo = m.collower[at(j)];
    const double up = m.colupper[at(j)];
    line.add('<').add(std::int64_t{j - 1}).add("> b [");
    if (lo == m.valmin) {
      line.add("-I,");
    } else {
      line.number(lo).add(',');
    }
    if (up == m.valpin) {
      line.add("I]");
    } else {
      line.number(up).add(']');
    }
    line.add(": V ").add(std::int64_t{j - 1}).writeln(f);
  }
  for (std::int32_t i = 1; i <= m.rows; ++i) {
    const std::int32_t k = n + i - 1;
    line.add('<').add(std::int64_t{k}).add("> b [");
    rowbounds(line, m.rowtype[at(i)], m.rowrhs[at(i)]);
    line.add("]: +").writeln(f);
    line.add("<N> c ").add(std::int64_t{i - 1}).add(' ').add(std::int64_t{k}).writeln(f);
  }
  std::int32_t last = n + m.rows - 1;
  writerows(f, last);
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
