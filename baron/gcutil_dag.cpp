// The model as a directed acyclic graph in the Vienna DAG text format: variable nodes,
// one sum node per row with its bounds, the rows' linear terms as edges and their
// instruction code as further nodes, and the objective.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "baron/dagger.h"
#include "baron/gcutil.h"
#include "baron/gcutil_internal.h"
#include "frame/charcursor.h"
#include "frame/strutilx_numbers.h"
#include "instance/gcdata.h"

namespace gcutil {

namespace {

using detail::num;

std::size_t at(std::int32_t i) { return static_cast<std::size_t>(i) - 1; }

// The file's lines built in place in a block that goes to the file with one call when
// full: a million short lines would otherwise each pay for a write call and its copy.
class lineblock {
 public:
  // Room for any line: two numbers written with their scratch bytes, integers, a row
  // type's name and the text around them.
  static constexpr std::size_t lineroom = 2 * strutilx::dbltostr_room + q5rt::sstr::capacity + 64;

  explicit lineblock(q5rt::textfile& f) : f_(f) {}

  // Where the next line goes: at least lineroom bytes.
  char* next() {
    if (text_.size() > blocksize - lineroom) flush();
    return text_.room(lineroom);
  }
  // The line written up to end (its newline included).
  void done(const char* end) { text_.setend(end); }
  void flush() {
    f_.write(text_.view());
    text_.clear();
  }

 private:
  static constexpr std::size_t blocksize = 16384;
  q5rt::textfile& f_;
  charcursor::textbuffer text_;
};

using charcursor::put;
using charcursor::putint;
char* putnumber(char* p, double x) { return charcursor::putdouble(p, x); }

// The bound text of a row by its type.
char* rowbounds(char* p, std::int32_t type, double rhs) {
  switch (type) {
    case zlmspecs::rowe:
      p = putnumber(p, rhs);
      *p++ = ',';
      return putnumber(p, rhs);
    case zlmspecs::rowg:
      return put(putnumber(p, rhs), ",I");
    case zlmspecs::rowl:
      return putnumber(put(p, "-I,"), rhs);
    case zlmspecs::rown:
      return put(p, "-I,I");
    default:
      return put(put(p, "cannot handle "), type > 0 && type < zlmspecs::rowtype_count
                                               ? equtypename[static_cast<std::size_t>(type)].view()
                                               : "");
  }
}

// The column's line "<j-1> b [lower,upper]: V j-1".
void columnline(lineblock& out, std::int32_t j, double lo, double up, const gcdata::tmodel& m) {
  char* p = out.next();
  *p++ = '<';
  p = put(putint(p, j - 1), "> b [");
  p = lo == m.valmin ? put(p, "-I,") : put(putnumber(p, lo), ",");
  p = up == m.valpin ? put(p, "I]") : put(putnumber(p, up), "]");
  p = putint(put(p, ": V "), j - 1);
  *p++ = '\n';
  out.done(p);
}

// The row's sum node k with its bounds and the line that names it row i - 1.
void rowlines(lineblock& out, std::int32_t i, std::int32_t k, std::int32_t type, double rhs) {
  char* p = out.next();
  *p++ = '<';
  p = rowbounds(put(putint(p, k), "> b ["), type, rhs);
  p = put(p, "]: +\n");
  out.done(p);
  p = out.next();
  p = putint(put(p, "<N> c "), i - 1);
  *p++ = ' ';
  p = putint(p, k);
  *p++ = '\n';
  out.done(p);
}

// A linear term of a row: the column and its coefficient.
struct term {
  std::int32_t col;
  double value;
};

// The edge lines "<E> k c v" of a row's node k to its terms' columns.
void edges(lineblock& out, std::int32_t k, const std::vector<term>& terms) {
  char head[4 + charcursor::introom + 8] = "<E> ";  // room for the integer and its blank
  char* const end = putint(head + 4, k);
  *end = ' ';
  const auto headsize = static_cast<std::size_t>(end + 1 - head);
  for (const term& t : terms) {
    char* p = out.next();
    std::memcpy(p, head, sizeof head);  // the whole array: a fixed-size copy
    p = putint(p + headsize, t.col - 1);
    *p++ = ' ';
    p = putnumber(p, t.value);
    *p++ = '\n';
    out.done(p);
  }
}

constexpr std::int32_t batch = 16;

// The linear terms of a batch of rows, gathered by walking the rows' lists side by side.
// The elements lie in column order, so each step along a row list is a cache miss (an
// element may span two cache lines): each step prefetches the elements of the next one,
// and the writer takes one step after each row it writes, so the misses of the next
// batch resolve while the current one is written.
class rowwalk {
 public:
  // Starts on a batch of rows from first on (fewer at the end, none past the last row).
  void start(const gcdata::tmodel& m, std::int32_t first) {
    count_ = std::clamp(m.rows - first + 1, 0, batch);
    for (std::size_t b = 0; b < static_cast<std::size_t>(count_); ++b) {
      terms_[b].clear();
      next_[b] = m.rowfirst[at(first) + b];
      prefetch(next_[b]);
    }
  }
  // One element of each row not at its end; false when all are.
  bool step() {
    bool more = false;
    for (std::size_t b = 0; b < static_cast<std::size_t>(count_); ++b) {
      const zlmspecs::tjacrec* const e = next_[b];
      if (e == nullptr) continue;
      if (!e->nonlin) terms_[b].push_back({e->col, e->jacval});
      next_[b] = e->rownext;
      prefetch(next_[b]);
      more = true;
    }
    return more;
  }
  void finish() {
    while (step()) {
    }
  }
  std::int32_t count() const { return count_; }
  const std::vector<term>& terms(std::int32_t b) const {
    return terms_[static_cast<std::size_t>(b)];
  }

 private:
  static void prefetch(const zlmspecs::tjacrec* e) {
    if (e == nullptr) return;
    __builtin_prefetch(e);
    __builtin_prefetch(&e->nonlin);
  }

  std::array<std::vector<term>, batch> terms_;
  std::array<const zlmspecs::tjacrec*, batch> next_{};
  std::int32_t count_ = 0;
};

// Writes the rows' linear terms and instruction code, a batch of rows at a time while the
// next batch is walked.
void writerows(q5rt::textfile& f, lineblock& out, std::int32_t& last) {
  const gcdata::tmodel& m = gcdata::mymodel;
  const std::int32_t n = m.cols;
  std::array<rowwalk, 2> walks;
  walks[0].start(m, 1);
  walks[0].finish();
  for (std::int32_t i0 = 1, w = 0; i0 <= m.rows; i0 += batch, w = 1 - w) {
    const rowwalk& current = walks[static_cast<std::size_t>(w)];
    rowwalk& ahead = walks[static_cast<std::size_t>(1 - w)];
    ahead.start(m, i0 + batch);
    for (std::int32_t b = 0; b < current.count(); ++b) {
      const std::int32_t i = i0 + b;
      edges(out, n + i - 1, current.terms(b));
      (void)ahead.step();
      if (m.rowfirstinstr[at(i)] == 0) continue;  // a linear row
      out.flush();                                // the code's lines go to the file itself
      dagger::makedag(f, last, m.rowfirstinstr[at(i)], m.rowlastinstr[at(i)], n - 1, m.instr,
                      m.pool);
    }
    ahead.finish();
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
  lineblock out(f);
  for (std::int32_t j = 1; j <= n; ++j) columnline(out, j, m.collower[at(j)], m.colupper[at(j)], m);
  for (std::int32_t i = 1; i <= m.rows; ++i)
    rowlines(out, i, n + i - 1, m.rowtype[at(i)], m.rowrhs[at(i)]);
  std::int32_t last = n + m.rows - 1;
  writerows(f, out, last);
  out.flush();
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
