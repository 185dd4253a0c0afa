// The nodes and edges of one row's instruction code in the DAG text format: operation
// nodes numbered on from a counter shared by all rows, edges from each node to its
// operands, and the edge from the row's node to the code's result.
//
// Usage:
//   std::int32_t last = cols + rows - 1;              // nodes so far
//   dagger::makedag(f, last, first, lastinstr, cols - 1, code, pool);
#pragma once

#include <cstdint>
#include <span>

#include "frame/q5text.h"
#include "instance/ctvnl.h"

namespace dagger {

inline constexpr int stackcap = 201;

// Writes the nodes and edges of the instructions first..last (first 0: a linear row,
// nothing). Column c is node c - 1; the row r of the Store is node coloffset + r. Code
// that the format cannot express or that is malformed leaves a message line in the file;
// code that would pass 201 stack entries or pop an empty stack ends the row there.
void makedag(q5rt::textfile& f, std::int32_t& lastnode, std::int32_t first, std::int32_t last,
             std::int32_t coloffset, std::span<const ctvnl::tnlcode> code,
             std::span<const double> pool);

}  // namespace dagger
