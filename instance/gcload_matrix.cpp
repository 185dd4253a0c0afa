// Matrix records into the model record, and the reader of unframed binary matrix files
// that spreads the columns over several threads.
//
// That reader walks the file once in order, while the crew makes the record's fresh
// memory present (gcload_crew.cpp): it finds where the rows end and where each thread's
// share of the columns begins, and counts each share's entries by row group (decoding
// only rows and lengths of the entries). Then one thread reads the rows, and each other
// thread reads its columns into its own range of the element block as soon as that
// range is present, links the column lists and puts each element into its place of an
// order by row group (a counting sort: within a group, in element order). Last, each
// thread links the row lists of its groups. The record ends up as the reader in order
// leaves it.
#include "instance/gcload_matrix.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <cstddef>
#include <latch>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>

namespace gcload::detail {

namespace {

// Bound class: 4 fixed, 0 free, 3 upper only, 2 lower only, 1 both.
std::uint8_t boundclass(const gcdata::tmodel& m, double lower, double upper) {
  if (lower == upper) return 4;
  if (lower == m.valmin) return upper == m.valpin ? 0 : 3;
  return upper == m.valpin ? 2 : 1;
}

// Bound kind of a continuous column: 0 free, 1 negative, 2 positive.
std::int32_t boundkind(const gcdata::tmodel& m, double lower, double upper) {
  if (lower == m.valmin) return upper == m.valpin ? 0 : 1;
  if (lower == 0.0) return 2;
  return upper == 0.0 ? 1 : 0;
}

}  // namespace

void storerow(gcdata::tmodel& m, std::int32_t i, const gdutils::matrow& r) {
  at(m.rowtype, i) = r.type;
  at(m.rowrhs, i) = r.rhs;
  at(m.rowmarginal, i) = r.marginal;
  at(m.rowmatch, i) = r.match;
  if (!m.rowscale.empty()) at(m.rowscale, i) = r.scale;
}

void storecolumn(gcdata::tmodel& m, std::int32_t j, const gdutils::matcol& c,
                 std::int32_t& fixedcols, std::array<std::int32_t, 3>& boundkindcount) {
  at(m.coltype, j) = c.type;
  at(m.collower, j) = c.lower;
  at(m.collevel, j) = c.level;
  at(m.colupper, j) = c.upper;
  at(m.colmarginal, j) = c.marginal;
  at(m.colpriority, j) = c.priority;
  at(m.colsosset, j) = c.sosset;
  if (!m.colscale.empty()) at(m.colscale, j) = c.scale;
  const std::uint8_t cls = boundclass(m, c.lower, c.upper);
  at(m.colboundclass, j) = cls;
  if (cls == 4) ++fixedcols;
  if (c.type == 0) {
    const std::int32_t kind = boundkind(m, c.lower, c.upper);
    at(m.colsosset, j) = kind;
    ++boundkindcount[static_cast<std::size_t>(kind)];
  }
}

namespace {

using gcdata::tmodel;
using zlmspecs::tjacrec;

// One thread's columns and their elements.
struct share {
  std::int32_t firstcol = 1;
  std::int32_t lastcol = 0;
  std::size_t offset = 0;     // payload byte of the first column's record
  std::size_t firstelem = 0;  // the first element's place in the block
  std::size_t elems = 0;
  std::int32_t fixedcols = 0;
  std::array<std::int32_t, 3> boundkindcount{};
  // Its elements per row group; then the place in the order of its group's next one.
  std::vector<std::size_t> pergroup;
};

// The rows are linked in groups of 2^shift rows, one group a thread.
struct rowgroups {
  int shift = 0;
  std::size_t count = 1;
  rowgroups(std::int32_t rows, std::size_t threads) {
    const auto n = static_cast<std::size_t>(std::max(rows, 1));
    while ((std::size_t{1} << shift) * threads < n) ++shift;
    count = ((n - 1) >> shift) + 1;
  }
  [[nodiscard]] std::size_t of(std::int32_t row) const {
    return static_cast<std::size_t>(row - 1) >> shift;
  }
};

// An element as the sort keeps it: row, nonlinear bit, place in the block.
constexpr std::uint64_t nonlinearbit = std::uint64_t{1} << 31;
std::uint64_t sortkey(const tjacrec& e, std::size_t place) {
  return std::uint64_t{static_cast<std::uint32_t>(e.row)} << 32 | (e.nonlin ? nonlinearbit : 0) |
         place;
}

// The rows' records (stored when store), the cursor left behind them.
bool walkrows(tmodel& m, gdutils::payloadcursor& c, bool store) {
  for (std::int32_t i = 1; i <= m.rows; ++i) {
    gdutils::matrow r;
    if (!gdutils::rdmatrow(c, r) || !within(r.type, 0, rowtypes - 1)) return false;
    if (store) storerow(m, i, r);
  }
  return true;
}

// Nothing but the zero fill of the last record is left behind the cursor.
bool atend(const gdutils::payloadcursor& c) {
  const std::size_t size = c.file->input.size();
  const std::size_t used = c.offset();
  const std::size_t records = (used + gdutils::recordsize - 1) / gdutils::recordsize;
  return records * gdutils::recordsize == size &&
         std::all_of(c.at, c.end, [](unsigned char b) { return b == 0; });
}

// The shares of `count` threads, each of about as many entries, from the column
// records behind the rows, with their elements counted by row group; none when the
// columns do not hold the declared entries, an entry lies outside the rows, or more
// than the columns and their zero fill follows.
std::vector<share> plan(const tmodel& m, gdutils::payloadcursor& c, std::size_t count,
                        const rowgroups& groups) {
  const auto total = static_cast<std::size_t>(m.nonzeros);
  std::vector<share> shares;
  std::size_t ordinal = 0;
  for (std::int32_t j = 1; j <= m.cols; ++j) {
    if (shares.size() < count && ordinal >= total * shares.size() / count) {
      if (!shares.empty()) shares.back().lastcol = j - 1;
      share& s = shares.emplace_back();
      s.firstcol = j;
      s.offset = c.offset();
      s.firstelem = ordinal;
      s.pergroup.assign(groups.count, 0);
    }
    gdutils::matcol col;
    if (!gdutils::rdmatcol(c, col) || col.nzcount < 0) return {};
    if (static_cast<std::size_t>(col.nzcount) > total - ordinal) return {};
    std::vector<std::size_t>& pergroup = shares.back().pergroup;
    for (std::int32_t k = 0; k < col.nzcount; ++k) {
      std::int32_t row = 0;
      if (!gdutils::skipmatdat(c, row) || !within(row, 1, m.rows)) return {};
      ++pergroup[groups.of(row)];
    }
    ordinal += static_cast<std::size_t>(col.nzcount);
  }
  if (shares.empty() || ordinal != total || !atend(c)) return {};
  shares.back().lastcol = m.cols;
  for (std::size_t t = 0; t < shares.size(); ++t) {
    const std::size_t next = t + 1 < shares.size() ? shares[t + 1].firstelem : total;
    shares[t].elems = next - shares[t].firstelem;
  }
  return shares;
}

// Reads the share's columns and entries (the plan has checked their lengths) once its
// range of the block is present, each element also into its place of the row sort.
bool readshare(tmodel& m, const gdutils::tmodfile& h, parallelread& crew, const rowgroups& groups,
               share& s) {
  crew.blockready(s.firstelem, s.elems);
  gdutils::payloadcursor c = gdutils::payloadat(h, s.offset);
  std::size_t k = s.firstelem;
  const std::size_t end = s.firstelem + s.elems;
  for (std::int32_t j = s.firstcol; j <= s.lastcol; ++j) {
    gdutils::matcol col;
    if (!gdutils::rdmatcol(c, col) || !within(col.type, 0, coltypes - 1)) return false;
    if (col.nzcount < 0 || static_cast<std::size_t>(col.nzcount) > end - k) return false;
    storecolumn(m, j, col, s.fixedcols, s.boundkindcount);
    tjacrec* previous = nullptr;
    for (std::int32_t n = 0; n < col.nzcount; ++n) {
      gdutils::matdat d;
      if (!gdutils::rdmatdat(c, d) || !within(d.row, 1, m.rows)) return false;
      tjacrec* e = std::construct_at(crew.block + k++);
      e->jacval = d.value;
      e->row = d.row;
      e->col = j;
      e->nonlin = d.nonlin;
      crew.order[s.pergroup[groups.of(d.row)]++] = sortkey(*e, k - 1);
      (previous == nullptr ? at(m.colfirst, j) : previous->colnext) = e;
      previous = e;
    }
    at(m.collast, j) = previous;
  }
  return k == end;
}

// Where each share's elements of each group go in the order: group by group, within a
// group share by share. The start of each group's range, and the end.
std::vector<std::size_t> placegroups(std::vector<share>& shares, std::size_t groups) {
  std::vector<std::size_t> starts(groups + 1, 0);
  std::size_t at = 0;
  for (std::size_t g = 0; g < groups; ++g) {
    starts[g] = at;
    for (share& s : shares) at += std::exchange(s.pergroup[g], at);
  }
  starts[groups] = at;
  return starts;
}

// The row lists of one group: its elements in order appended to their lists.
void linkgroup(tmodel& m, const parallelread& crew, std::size_t first, std::size_t last) {
  for (std::size_t i = first; i < last; ++i) {
    const std::uint64_t key = crew.order[i];
    const auto row = static_cast<std::int32_t>(key >> 32);
    tjacrec* e = crew.block + (key & (nonlinearbit - 1));
    tjacrec*& tail = at(m.rowlast, row);
    (tail == nullptr ? at(m.rowfirst, row) : tail->rownext) = e;
    tail = e;
    if ((key & nonlinearbit) == 0) continue;
    tjacrec*& nltail = at(m.rownllast, row);
    (nltail == nullptr ? at(m.rownlfirst, row) : nltail->rownlnext) = e;
    nltail = e;
  }
}

}  // namespace

bool readunframed(tmodel& m, const gdutils::tmodfile& h, parallelread& crew) {
  // The walk reads the file only: the fresh memory comes meanwhile. Then this thread
  // reads the rows beside the threads that read the shares of the columns (when alone,
  // before its share).
  const std::size_t threads = crew.threads();
  const rowgroups groups(m.rows, threads);
  gdutils::payloadcursor c = gdutils::payloadat(h, gdutils::matheadbytes);
  std::vector<share> shares;
  if (walkrows(m, c, false)) shares = plan(m, c, std::max<std::size_t>(threads - 1, 1), groups);
  const std::size_t firstshare = threads > 1 ? 1 : 0;  // the thread of share 0
  if (shares.empty()) {
    crew.run({});
    return false;
  }
  const std::vector<std::size_t> starts = placegroups(shares, groups.count);
  std::atomic<bool> ok = true;
  crew.run([&](std::size_t t, const parallelread::syncfn& sync) {
    crew.arraysready();
    if (t == 0) {
      gdutils::payloadcursor rows = gdutils::payloadat(h, gdutils::matheadbytes);
      if (!walkrows(m, rows, true)) ok = false;
    }
    const std::size_t mine = t - firstshare;
    if (t >= firstshare && mine < shares.size() && !readshare(m, h, crew, groups, shares[mine])) {
      ok = false;
    }
    sync();
    if (!ok) return;
    for (std::size_t g = t; g < groups.count; g += threads)
      linkgroup(m, crew, starts[g], starts[g + 1]);
  });
  if (!ok) return false;
  m.jacelements.commit_constructed(static_cast<std::size_t>(m.nonzeros));
  for (const share& s : shares) {
    m.fixedcols += s.fixedcols;
    for (std::size_t k = 0; k < s.boundkindcount.size(); ++k) {
      m.boundkindcount[k] += s.boundkindcount[k];
    }
  }
  return true;
}

}  // namespace gcload::detail
