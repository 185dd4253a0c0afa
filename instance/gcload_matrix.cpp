// Matrix records into the model record, and the reader of large text and unframed
// binary matrix files that spreads the columns over several threads.
//
// That reader walks the file once in order while the crew makes the record's fresh
// memory present (gcload_crew.cpp): it finds where the rows end and where each thread's
// share of the columns begins (binary: from the lengths of the records, counting each
// share's entries by row group on the way; text: by lines). Then this thread reads the
// rows and each other thread its columns, into its own range of the element block as
// soon as that range is present, with the column lists, each reading checked to end
// where the walk said. The elements go to an order by row group (a counting sort:
// within a group in element order; text counts the groups while reading, then sorts).
// Last, each thread links the row lists of its groups. The record ends up as the
// reader in order leaves it.
#include "instance/gcload_matrix.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <charconv>
#include <cstddef>
#include <latch>
#include <memory>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#include "frame/q5rtnum.h"

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
  std::size_t offset = 0;     // the file's byte of the first column's record
  std::size_t bytes = 0;      // the bytes of its records
  std::size_t firstelem = 0;  // the first element's place in the block
  std::size_t elems = 0;
  std::int32_t fixedcols = 0;
  std::array<std::int32_t, 3> boundkindcount{};
  // Its elements per row group; then the place in the order of its group's next one,
  // and the end of its places.
  std::vector<std::size_t> pergroup;
  std::vector<std::size_t> groupend;
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

// Records of a part of the file: from a payload cursor (binary: the walk decoded the
// same bytes) or from a handle over the part's lines alone (text: the reading must end
// with them).
struct binarysource {
  gdutils::payloadcursor c;
  std::size_t end;  // where the walk found the part to end
  bool row(gdutils::matrow& r) { return gdutils::rdmatrow(c, r); }
  bool column(gdutils::matcol& col) { return gdutils::rdmatcol(c, col); }
  bool entry(gdutils::matdat& d) { return gdutils::rdmatdat(c, d); }
  [[nodiscard]] bool ended() const { return c.offset() == end; }
};
struct textsource {
  gdutils::modfileptr h;
  bool row(gdutils::matrow& r) { return gdutils::rdmatrow(*h, r); }
  bool column(gdutils::matcol& col) { return gdutils::rdmatcol(*h, col); }
  bool entry(gdutils::matdat& d) { return gdutils::rdmatdat(*h, d); }
  [[nodiscard]] bool ended() const { return h->inpos == h->input.size(); }
};

// The rows' records (stored when store).
template <typename Source>
bool readrows(tmodel& m, Source& source, bool store) {
  for (std::int32_t i = 1; i <= m.rows; ++i) {
    gdutils::matrow r;
    if (!source.row(r) || !within(r.type, 0, rowtypes - 1)) return false;
    if (store) storerow(m, i, r);
  }
  return source.ended();
}

// Where the walk stands at a column record: the column, its byte and the entries before.
struct columnstart {
  std::int32_t col;
  std::size_t offset;
  std::size_t ordinal;
};

// A new share begins at the column when the shares so far hold their part of the total.
void startshare(std::vector<share>& shares, std::size_t count, std::size_t total,
                const columnstart& at, const rowgroups& groups) {
  if (shares.size() >= count || at.ordinal < total * shares.size() / count) return;
  if (!shares.empty()) shares.back().lastcol = at.col - 1;
  share& s = shares.emplace_back();
  s.firstcol = at.col;
  s.offset = at.offset;
  s.firstelem = at.ordinal;
  s.pergroup.assign(groups.count, 0);
  s.groupend.assign(groups.count, 0);
}

// Each share's last column, elements and bytes, the walk having ended at byte end.
void endshares(std::vector<share>& shares, std::int32_t cols, std::size_t total, std::size_t end) {
  shares.back().lastcol = cols;
  for (std::size_t t = 0; t < shares.size(); ++t) {
    const bool last = t + 1 == shares.size();
    shares[t].elems = (last ? total : shares[t + 1].firstelem) - shares[t].firstelem;
    shares[t].bytes = (last ? end : shares[t + 1].offset) - shares[t].offset;
  }
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
    startshare(shares, count, total, {j, c.offset(), ordinal}, groups);
    std::int32_t nzcount = 0;
    if (!gdutils::skipmatcol(c, nzcount) || nzcount < 0) return {};
    if (static_cast<std::size_t>(nzcount) > total - ordinal) return {};
    std::vector<std::size_t>& pergroup = shares.back().pergroup;
    for (std::int32_t k = 0; k < nzcount; ++k) {
      std::int32_t row = 0;
      if (!gdutils::skipmatdat(c, row) || !within(row, 1, m.rows)) return {};
      ++pergroup[groups.of(row)];
    }
    ordinal += static_cast<std::size_t>(nzcount);
  }
  if (shares.empty() || ordinal != total || !atend(c)) return {};
  endshares(shares, m.cols, total, c.offset());
  return shares;
}

// ---- the walk of a text file: lines only ----

constexpr std::size_t nowhere = ~std::size_t{0};

// Behind the line that starts at p: behind its line end, or the end of the text.
std::size_t lineafter(std::string_view in, std::size_t p) {
  const std::size_t end = in.find('\n', p);
  return end == std::string_view::npos ? in.size() : end + 1;
}

// Behind n lines from the line start p (nowhere when the text has fewer); the line ends
// of whole blocks are counted at once.
std::size_t skiplines(std::string_view in, std::size_t p, std::size_t n) {
  constexpr std::size_t block = 64;
  while (n > 0 && p < in.size()) {
    if (in.size() - p >= block) {
      std::size_t ends = 0;
      for (std::size_t i = 0; i < block; ++i) ends += in[p + i] == '\n' ? 1 : 0;
      if (ends < n) {
        n -= ends;
        p += block;
        continue;
      }
    }
    p = lineafter(in, p);
    --n;
  }
  return n == 0 ? p : nowhere;
}

// The nonzero count (first field) and the type (sixth field) of the column line at p;
// false unless both are plain integers on the line.
bool columnfields(std::string_view in, std::size_t p, std::int32_t& count, std::int32_t& type) {
  for (int field = 1; field <= 6; ++field) {
    while (p < in.size() && (in[p] == ' ' || in[p] == '\t')) ++p;
    std::size_t end = p;
    while (end < in.size() && !q5rt::detail::white_byte(in[end])) ++end;
    if (end == p) return false;
    if (field == 1 || field == 6) {
      std::int32_t& v = field == 1 ? count : type;
      const auto [last, ec] = std::from_chars(in.data() + p, in.data() + end, v);
      if (ec != std::errc{} || last != in.data() + end) return false;
    }
    p = end;
  }
  return true;
}

// The text file's shares as plan() makes them, the groups not counted, and where the
// rows' lines lie. The lines are taken as the writer writes them: a row, a column, a
// discrete column's priority, an entry a line; where they are not, a share's reading
// does not end with its lines and the file is read in order.
std::vector<share> plantext(const tmodel& m, const gdutils::tmodfile& h, std::size_t count,
                            const rowgroups& groups, std::size_t& rowsfrom, std::size_t& rowsto) {
  const std::string_view in = h.input;
  const auto total = static_cast<std::size_t>(m.nonzeros);
  rowsfrom = lineafter(in, 0);  // behind the head
  std::size_t p = rowsto = skiplines(in, rowsfrom, static_cast<std::size_t>(m.rows));
  if (p == nowhere) return {};
  std::vector<share> shares;
  std::size_t ordinal = 0;
  for (std::int32_t j = 1; j <= m.cols; ++j) {
    startshare(shares, count, total, {j, p, ordinal}, groups);
    std::int32_t nzcount = 0;
    std::int32_t type = 0;
    if (p >= in.size() || !columnfields(in, p, nzcount, type) || nzcount < 0) return {};
    if (static_cast<std::size_t>(nzcount) > total - ordinal) return {};
    const std::size_t lines =
        1 + (h.priority && type != 0 ? 1 : 0) + static_cast<std::size_t>(nzcount);
    p = skiplines(in, p, lines);
    if (p == nowhere) return {};
    ordinal += static_cast<std::size_t>(nzcount);
  }
  if (shares.empty() || ordinal != total) return {};
  if (!onlywhite(in.substr(p))) return {};
  endshares(shares, m.cols, total, p);
  return shares;
}

// Reads the share's columns and entries once its range of the block is present: each
// element into its place of the row sort when the walk counted the groups (placed),
// else counted by group for the sort.
template <typename Source>
bool readshare(tmodel& m, Source& source, parallelread& crew, const rowgroups& groups, share& s,
               bool placed) {
  crew.blockready(s.firstelem, s.elems);
  std::size_t k = s.firstelem;
  const std::size_t end = s.firstelem + s.elems;
  for (std::int32_t j = s.firstcol; j <= s.lastcol; ++j) {
    gdutils::matcol col;
    if (!source.column(col) || !within(col.type, 0, coltypes - 1)) return false;
    if (col.nzcount < 0 || static_cast<std::size_t>(col.nzcount) > end - k) return false;
    storecolumn(m, j, col, s.fixedcols, s.boundkindcount);
    tjacrec* previous = nullptr;
    for (std::int32_t n = 0; n < col.nzcount; ++n) {
      gdutils::matdat d;
      if (!source.entry(d) || !within(d.row, 1, m.rows)) return false;
      tjacrec* e = std::construct_at(crew.block + k++);
      e->jacval = d.value;
      e->row = d.row;
      e->col = j;
      e->nonlin = d.nonlin;
      const std::size_t g = groups.of(d.row);
      if (!placed) {
        ++s.pergroup[g];
      } else if (s.pergroup[g] < s.groupend[g]) {
        crew.order[s.pergroup[g]++] = sortkey(*e, k - 1);
      } else {
        return false;  // not the row that the walk saw
      }
      (previous == nullptr ? at(m.colfirst, j) : previous->colnext) = e;
      previous = e;
    }
    at(m.collast, j) = previous;
  }
  return k == end && source.ended();
}

// Where each share's elements of each group go in the order: group by group, within a
// group share by share. starts (one more than the groups) gets each group's range.
void placegroups(std::vector<share>& shares, std::vector<std::size_t>& starts) {
  const std::size_t groups = starts.size() - 1;
  std::size_t at = 0;
  for (std::size_t g = 0; g < groups; ++g) {
    starts[g] = at;
    for (share& s : shares) {
      at += std::exchange(s.pergroup[g], at);
      s.groupend[g] = at;
    }
  }
  starts[groups] = at;
}

// The share's elements into their places of the order, in element order.
void sortshare(const parallelread& crew, const rowgroups& groups, share& s) {
  for (std::size_t k = s.firstelem; k < s.firstelem + s.elems; ++k) {
    const tjacrec& e = crew.block[k];
    crew.order[s.pergroup[groups.of(e.row)]++] = sortkey(e, k);
  }
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

// What the walk found: the shares, the rows' bytes and, for text, a handle over the
// rows' lines and one over each share's lines.
struct walked {
  std::vector<share> shares;
  std::size_t rowsfrom = 0;
  std::size_t rowsto = 0;
  std::vector<textsource> textparts;
};

walked walk(const tmodel& m, const gdutils::tmodfile& h, std::size_t count,
            const rowgroups& groups) {
  walked w;
  if (!h.istext()) {
    gdutils::payloadcursor c = gdutils::payloadat(h, gdutils::matheadbytes);
    bool rows = true;
    for (std::int32_t i = 1; i <= m.rows && rows; ++i) rows = gdutils::skipmatrow(c);
    w.rowsfrom = gdutils::matheadbytes;
    w.rowsto = c.offset();
    if (rows) w.shares = plan(m, c, count, groups);
    return w;
  }
  w.shares = plantext(m, h, count, groups, w.rowsfrom, w.rowsto);
  if (w.shares.empty()) return w;
  const auto part = [&](std::size_t from, std::size_t bytes) {
    std::int32_t rc = 0;
    return textsource{gdutils::parsemat(rc, h.filetype, m.scaleopt, m.priorityopt,
                                        h.input.substr(from, bytes), h.name)};
  };
  w.textparts.push_back(part(w.rowsfrom, w.rowsto - w.rowsfrom));
  for (const share& s : w.shares) w.textparts.push_back(part(s.offset, s.bytes));
  if (std::ranges::any_of(w.textparts, [](const textsource& t) { return !t.h; })) w.shares.clear();
  return w;
}

bool readrows(tmodel& m, const gdutils::tmodfile& h, walked& w) {
  if (h.istext()) return readrows(m, w.textparts[0], true);
  binarysource rows{gdutils::payloadat(h, w.rowsfrom), w.rowsto};
  return readrows(m, rows, true);
}

bool readshare(tmodel& m, const gdutils::tmodfile& h, parallelread& crew, const rowgroups& groups,
               walked& w, std::size_t mine) {
  share& s = w.shares[mine];
  if (h.istext()) return readshare(m, w.textparts[mine + 1], crew, groups, s, false);
  binarysource columns{gdutils::payloadat(h, s.offset), s.offset + s.bytes};
  return readshare(m, columns, crew, groups, s, true);
}

}  // namespace

bool readinparallel(tmodel& m, const gdutils::tmodfile& h, parallelread& crew) {
  // The walk reads the file only: the fresh memory comes meanwhile. Then this thread
  // reads the rows beside the threads that read the shares of the columns (when alone,
  // before its share).
  const std::size_t threads = crew.threads();
  const std::size_t firstshare = threads > 1 ? 1 : 0;  // the thread of share 0
  const rowgroups groups(m.rows, threads);
  walked w = walk(m, h, std::max<std::size_t>(threads - 1, 1), groups);
  if (w.shares.empty()) {
    crew.run({});
    return false;
  }
  const bool counted = !h.istext();  // the walk counted the groups: places known now
  std::vector<std::size_t> starts(groups.count + 1, 0);  // made here: the job may not throw
  if (counted) placegroups(w.shares, starts);
  std::atomic<bool> ok = true;
  crew.run([&](std::size_t t, const parallelread::syncfn& sync) {
    crew.arraysready();
    if (t == 0) {
      if (!readrows(m, h, w)) ok = false;
      crew.fillrest();
    }
    const std::size_t mine = t - firstshare;
    const bool hasshare = t >= firstshare && mine < w.shares.size();
    if (hasshare && !readshare(m, h, crew, groups, w, mine)) ok = false;
    sync();
    if (!counted) {
      if (t == 0 && ok) placegroups(w.shares, starts);
      sync();
      if (ok && hasshare) sortshare(crew, groups, w.shares[mine]);
      sync();
    }
    if (!ok) return;
    for (std::size_t g = t; g < groups.count; g += threads) {
      linkgroup(m, crew, starts[g], starts[g + 1]);
    }
  });
  if (!ok) return false;
  m.jacelements.commit_constructed(static_cast<std::size_t>(m.nonzeros));
  for (const share& s : w.shares) {
    m.fixedcols += s.fixedcols;
    for (std::size_t k = 0; k < s.boundkindcount.size(); ++k) {
      m.boundkindcount[k] += s.boundkindcount[k];
    }
  }
  return true;
}

}  // namespace gcload::detail
