// A value-only interpreter of a row's instruction code, independent of the function
// library's own evaluator: the Jacobian tester compares the two. Divisions and function
// calls go through the function library; an optional column permutation maps the code's
// columns to positions in the level array.
//
// Usage:
//   double value = 0;
//   int rc = eval::neweval(rec, first, last, code, pool, levels, work, value, grad);
//   eval::evalsetcperm(n, positions);   // column c reads levels[positions[c - 1]]
//   eval::evalfreecperm();
//
// Instructions, columns and pool entries count from 1. The stack holds 201 values and a
// call at most 20 arguments; code that needs more, pops an empty stack, names a column or
// pool entry outside its array, or announces an n-argument call without its CallArgN is
// abandoned with a line on standard output and result 4.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "funclib/ctvnew.h"
#include "instance/ctvnl.h"

namespace eval {

inline constexpr int stackcap = 201;
inline constexpr int rc_abandoned = 4;

// Entry c - 1: the 1-based level position of column c, while cpermset; without a
// permutation column c reads level c.
inline std::vector<std::int32_t> cperm;
inline bool cpermset = false;
// After a function call that failed: 0 go on, 1 stop and return its code, 2 the result
// is NA and the code is returned.
inline std::uint8_t errormethod = 0;

// The value of the instructions first..last (a row's Header to its Store) at the levels,
// 999 when first >= last. Result 0, the code of the last failing function call, or 4 for
// abandoned code. work and grad are not touched.
int neweval(ctvnew::tmathnewrec& rec, std::int32_t first, std::int32_t last,
            std::span<const ctvnl::tnlcode> code, std::span<const double> pool,
            std::span<const double> levels, std::span<double> work, double& value,
            std::span<double> grad);

// Stores the permutation (count 0-based positions): 0; 1 when one is set (kept).
int evalsetcperm(std::int32_t count, const std::int32_t* positions);
void evalfreecperm();

}  // namespace eval
