// The records of the solution file, in the text layout and the binary layouts of
// gdutils_scratch.h: head items, one record per row and then per column, tail items.
//
// File: head items (index, value) ended by index 0; the records (present only for the
// model statuses that report rows and columns); tail items ended by index 0.
//   text:   a head or tail item is "index value"; a record "level marginal basis status"
//           with " scale" behind when the scaled-solution flag is on.
//   binary: an item is the index byte and the value as a double; a record is a tag byte
//           status + 4*basis + 16 (level not stored: basis 0 or 1, or level 0)
//           + 32 (marginal 0) + 64 (scale not stored: flag off or scale 1), then the
//           stored level, marginal and scale as doubles. A record with basis 0 or 1 always
//           carries level 0.
//
// Usage (writing; the handle from gdutils::cwsol):
//   gdutils::wrsolheadtail(*h, 1, 1.0);  ...  gdutils::wrsolheadtail(*h, 0, 0.0);
//   gdutils::wrsolrec(*h, status, basis, level, marginal);     // every row
//   gdutils::wrsolrowsdone(*h);
//   gdutils::wrsolrec(*h, ...);                                 // every column
//   gdutils::wrsolheadtail(*h, 5, 12.0);  ...  gdutils::wrsolheadtail(*h, 0, 0.0);
// Reading (handle from gdutils::crsol or parsesol) mirrors it; readers give false once the
// handle has failed (its errmsg names the file and the line or record).
#pragma once

#include <cstdint>

#include "instance/gdutils_scratch.h"

namespace gdutils {

// A solution record as read.
struct solrec {
  std::int32_t status = 0;  // 0..3
  std::int32_t basis = 0;   // 0..3
  double level = 0.0;
  double marginal = 0.0;
  double scale = 1.0;
};

// Text reader at the end of the file: the record that every further read gives.
inline constexpr solrec solrecateof{1, 3, 1e20, 1e20, 1.0};

// ---- writing ----
void wrsolheadtail(tmodfile& h, std::int32_t index, double value);
void wrsolrec(tmodfile& h, std::int32_t status, std::int32_t basis, double level, double marginal);
void wrsolrecex(tmodfile& h, std::int32_t status, std::int32_t basis, double level, double marginal,
                double scale);
// From row records to column records.
void wrsolrowsdone(tmodfile& h);

// ---- reading ----
// Text: index 0 and value 0 at the end of the file.
[[nodiscard]] bool rdsolheadtail(tmodfile& h, std::int32_t& index, double& value);
// The scale is read only when the scaled-solution flag is on (1 otherwise).
[[nodiscard]] bool rdsolrecex(tmodfile& h, solrec& r);
// The same record without its scale.
[[nodiscard]] bool rdsolrec(tmodfile& h, std::int32_t& status, std::int32_t& basis, double& level,
                            double& marginal);

}  // namespace gdutils
