// The checks of the matrix records and how a row's and a column's record land in the
// model record. Internal to the loader.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "instance/gcdata.h"
#include "instance/gdutils_records.h"

namespace gcload::detail {

inline bool within(std::int32_t v, std::int32_t lo, std::int32_t hi) { return v >= lo && v <= hi; }

// Nothing but white space.
inline bool onlywhite(std::string_view text) {
  return text.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos;
}

template <typename T>
T& at(std::vector<T>& v, std::int32_t i) {  // element i, counted from 1, of a checked index
  return v[static_cast<std::size_t>(i - 1)];
}

// Row i's fields (its type checked).
void storerow(gcdata::tmodel& m, std::int32_t i, const gdutils::matrow& r);

// Column j's fields, bound class and, for a continuous column, bound kind (kept in its
// SOS-set slot); the fixed columns and the bound kinds are counted into the last two.
void storecolumn(gcdata::tmodel& m, std::int32_t j, const gdutils::matcol& c,
                 std::int32_t& fixedcols, std::array<std::int32_t, 3>& boundkindcount);

}  // namespace gcload::detail
