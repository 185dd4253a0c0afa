// Matrix records into the model record.
#include "instance/gcload_matrix.h"

#include <cstdint>

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
  if (c.type == zlmspecs::colcont) {
    const std::int32_t kind = boundkind(m, c.lower, c.upper);
    at(m.colsosset, j) = kind;
    ++boundkindcount[static_cast<std::size_t>(kind)];
  }
}

}  // namespace gcload::detail
