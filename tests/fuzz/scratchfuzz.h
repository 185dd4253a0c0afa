// Shared body of the scratch-file fuzz targets. An input is a first line of numbers that
// stands in for the control file, then the scratch file itself:
//   matrix:           "filetype scaleopt priorityopt rows columns\n" + matrix file
//   instruction code: "filetype instructions\n" + instruction-code file
// The text targets force layout 0; the binary targets take the units digit 1 to 4 as the
// layout, any other as 1.
// A target reads the file as the loader does (bounded counts), stops at the first
// failure, and for a file read whole writes the records again, reads them back, and
// checks that writing and reading those once more gives the same values. (Not the same
// bytes: the number text may round on the first write, 999999999999999.9 becoming
// "1000000000000000" and then "1E15", while the values round-trip from then on.)
// A binary file of whole unframed records is also read through payload cursors, which must
// give the same records and stop at the same place (and skipping a row, a column or an
// entry must end where reading it does).
#pragma once

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "frame/q5rt.h"
#include "instance/gdutils_records.h"

namespace scratchfuzz {

inline void check(bool ok) {
  if (!ok) std::abort();
}

// The numbers of the first line (at most 5) and the rest; false when malformed.
template <std::size_t N>
bool header(std::string_view input, std::array<std::int32_t, N>& v, std::string_view& body) {
  const std::size_t nl = input.find('\n');
  if (nl == std::string_view::npos) return false;
  const char* p = input.data();
  const char* end = input.data() + nl;
  for (std::int32_t& x : v) {
    while (p < end && *p == ' ') ++p;
    const auto r = std::from_chars(p, end, x);
    if (r.ec != std::errc{}) return false;
    p = r.ptr;
  }
  body = input.substr(nl + 1);
  return v[0] >= 0;
}

inline std::int32_t layouttype(std::int32_t filetype, bool text) {
  const std::int32_t upper = filetype / 10 % 100000 * 10;
  const std::int32_t layout = filetype % 10;
  return text ? upper : upper + (layout >= 1 && layout <= 4 ? layout : 1);
}

constexpr std::int32_t maxcount = 2000;
constexpr std::int64_t maxentries = 100000;

struct matrix {
  std::vector<gdutils::matrow> rows;
  std::vector<gdutils::matcol> cols;
  std::vector<gdutils::matdat> entries;  // all columns' entries in order
};

// Reads rows and columns; false at the first failure or a count beyond the bounds.
inline bool readmatrix(gdutils::tmodfile& h, std::int32_t nrows, std::int32_t ncols, matrix& m) {
  if (!gdutils::rdmathead(h)) return false;
  for (std::int32_t i = 0; i < nrows; ++i) {
    if (!gdutils::rdmatrow(h, m.rows.emplace_back())) return false;
  }
  for (std::int32_t j = 0; j < ncols; ++j) {
    gdutils::matcol& c = m.cols.emplace_back();
    if (!gdutils::rdmatcol(h, c)) return false;
    if (c.nzcount < 0 || static_cast<std::int64_t>(m.entries.size()) + c.nzcount > maxentries)
      return false;
    for (std::int32_t k = 0; k < c.nzcount; ++k) {
      if (!gdutils::rdmatdat(h, m.entries.emplace_back())) return false;
    }
  }
  return true;
}

inline bool same(const gdutils::matrow& a, const gdutils::matrow& b) {
  return a.type == b.type && a.marginalflag == b.marginalflag && a.rhs == b.rhs &&
         a.level == b.level && a.marginal == b.marginal && a.nzcount == b.nzcount &&
         a.scale == b.scale && a.match == b.match;
}
inline bool same(const gdutils::matcol& a, const gdutils::matcol& b) {
  return a.nzcount == b.nzcount && a.marginalflag == b.marginalflag && a.lower == b.lower &&
         a.level == b.level && a.upper == b.upper && a.type == b.type && a.sosset == b.sosset &&
         a.priority == b.priority && a.marginal == b.marginal && a.scale == b.scale;
}
inline bool same(const gdutils::matdat& a, const gdutils::matdat& b) {
  return a.row == b.row && a.value == b.value && a.nonlin == b.nonlin;
}
template <typename T>
inline bool same(const std::vector<T>& a, const std::vector<T>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (!same(a[k], b[k])) return false;
  }
  return true;
}

// readmatrix through a payload cursor.
inline bool readpayload(const gdutils::tmodfile& h, std::int32_t nrows, std::int32_t ncols,
                        matrix& m) {
  gdutils::payloadcursor c = gdutils::payloadat(h, gdutils::matheadbytes);
  for (std::int32_t i = 0; i < nrows; ++i) {
    gdutils::payloadcursor skip = c;
    const bool skipped = gdutils::skipmatrow(skip);
    const bool read = gdutils::rdmatrow(c, m.rows.emplace_back());
    check(skipped == read);
    if (!read) return false;
    check(skip.at == c.at);
  }
  for (std::int32_t j = 0; j < ncols; ++j) {
    gdutils::matcol& col = m.cols.emplace_back();
    gdutils::payloadcursor skip = c;
    std::int32_t nzcount = 0;
    const bool skipped = gdutils::skipmatcol(skip, nzcount);
    const bool read = gdutils::rdmatcol(c, col);
    check(skipped == read);
    if (!read) return false;
    check(skip.at == c.at && nzcount == col.nzcount);
    if (col.nzcount < 0 || static_cast<std::int64_t>(m.entries.size()) + col.nzcount > maxentries) {
      return false;
    }
    for (std::int32_t k = 0; k < col.nzcount; ++k) {
      gdutils::payloadcursor skip = c;
      std::int32_t row = 0;
      const bool skipped = gdutils::skipmatdat(skip, row);
      gdutils::matdat& e = m.entries.emplace_back();
      const bool read = gdutils::rdmatdat(c, e);
      check(skipped == read);
      if (!read) return false;
      check(skip.at == c.at && row == e.row);
    }
  }
  return true;
}

inline std::string writematrix(const matrix& m, std::int32_t filetype, std::int32_t scaleopt,
                               std::int32_t priorityopt) {
  std::int32_t rc = 0;
  gdutils::modfileptr w = gdutils::memwrite(rc, filetype, "fuzz");
  check(w != nullptr);
  gdutils::setmatflags(*w, scaleopt, priorityopt);
  gdutils::wrmathead(*w);
  for (const auto& r : m.rows) gdutils::wrmatrow(*w, r);
  std::size_t next = 0;
  for (const auto& c : m.cols) {
    gdutils::wrmatcol(*w, c);
    for (std::int32_t k = 0; k < c.nzcount; ++k) gdutils::wrmatdat(*w, m.entries[next++]);
  }
  return gdutils::closemem(w);
}

inline void fuzzmatrix(std::string_view input, bool text) {
  q5rt::run_startups();
  std::array<std::int32_t, 5> v{};
  std::string_view body;
  if (!header(input, v, body)) return;
  const std::int32_t filetype = layouttype(v[0], text);
  const std::int32_t nrows = std::min(std::max(v[3], 0), maxcount);
  const std::int32_t ncols = std::min(std::max(v[4], 0), maxcount);
  std::int32_t rc = 0;
  gdutils::modfileptr h = gdutils::parsemat(rc, filetype, v[1], v[2], body, "fuzz");
  check(h != nullptr);
  matrix m;
  const bool whole = readmatrix(*h, nrows, ncols, m);
  if (whole) check(!h->failed);
  check(!h->failed || !h->errmsg.empty());
  if (gdutils::unframed(*h) && body.size() % gdutils::recordsize == 0 &&
      body.size() >= gdutils::matheadbytes) {
    matrix viacursor;
    check(readpayload(*h, nrows, ncols, viacursor) == whole);
    check(same(viacursor.rows, m.rows) && same(viacursor.cols, m.cols) &&
          same(viacursor.entries, m.entries));
  }
  if (!whole) return;
  const std::string first = writematrix(m, filetype, v[1], v[2]);
  gdutils::modfileptr again = gdutils::parsemat(rc, filetype, v[1], v[2], first, "again");
  matrix m2;
  if (!readmatrix(*again, nrows, ncols, m2)) return;
  const std::string second = writematrix(m2, filetype, v[1], v[2]);
  gdutils::modfileptr third = gdutils::parsemat(rc, filetype, v[1], v[2], second, "third");
  matrix m3;
  check(readmatrix(*third, nrows, ncols, m3));
  check(same(m3.rows, m2.rows) && same(m3.cols, m2.cols) && same(m3.entries, m2.entries));
}

inline void fuzzcode(std::string_view input, bool text) {
  q5rt::run_startups();
  std::array<std::int32_t, 2> v{};
  std::string_view body;
  if (!header(input, v, body)) return;
  const std::int32_t filetype = layouttype(v[0], text);
  const std::int32_t count = std::min(std::max(v[1], 0), std::int32_t{100000});

  struct code {
    std::vector<std::pair<std::int32_t, std::int32_t>> instr;
    std::vector<double> pool;
  };
  const auto read = [&](std::string_view data, code& c) {
    std::int32_t rc = 0;
    gdutils::modfileptr h = gdutils::parsecod(rc, filetype, data, "fuzz");
    check(h != nullptr);
    if (!gdutils::rdcodhead(*h)) return false;
    for (std::int32_t i = 0; i < count; ++i) {
      auto& [op, operand] = c.instr.emplace_back();
      if (!gdutils::rdcodrec(*h, op, operand)) return false;
      if (op < 0 || op > 255) return false;
    }
    std::int32_t entry = 0;
    std::int32_t n = 0;
    if (!gdutils::rdcodreloc(*h) || !gdutils::rdcodrepos(*h, entry) || !gdutils::rdcodpool(*h, n)) {
      return false;
    }
    if (n < 0 || n > 100000) return false;
    for (std::int32_t k = 0; k < n; ++k) {
      if (!gdutils::rdcodconst(*h, c.pool.emplace_back())) return false;
    }
    return true;
  };
  const auto write = [&](const code& c) {
    std::int32_t rc = 0;
    gdutils::modfileptr w = gdutils::memwrite(rc, filetype, "fuzz");
    check(w != nullptr);
    gdutils::wrcodhead(*w);
    for (const auto& [op, operand] : c.instr)
      gdutils::wrcodrec(*w, static_cast<std::uint8_t>(op), operand);
    gdutils::wrcodreloc(*w);
    gdutils::wrcodpool(*w, static_cast<std::int32_t>(c.pool.size()));
    for (const double x : c.pool) gdutils::wrcodconst(*w, x);
    return gdutils::closemem(w);
  };
  code c;
  if (!read(body, c)) return;
  const std::string first = write(c);
  code c2;
  if (!read(first, c2)) return;
  code c3;
  check(read(write(c2), c3));
  check(c3.instr == c2.instr && c3.pool == c2.pool);
}

}  // namespace scratchfuzz
