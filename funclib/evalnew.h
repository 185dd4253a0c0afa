// The interpreter of a row's nonlinear instruction code: the row's value, and its gradient
// by a reverse sweep over a derivative tape; and four analyses over the same code.
//
// Usage:
//   ctvnew::tmathnewrec rec;  ctvnew::mathnewrecinit(rec);
//   std::int32_t errors = 0;  q5rt::sstr msg;  double value = 0;
//   int rc = evalnew::funeval(rec, first, last, code, pool, levels, value, errors, msg);
//
//   std::int32_t tapelen = 0, second = 0, links = 0;
//   evalnew::getstacksizes(first, last, code, tapelen, second, 0, links, {});
//   std::vector<double> tape(tapelen), grad(ncols);
//   rc = evalnew::gradeval(rec, first, last, code, pool, levels, value, tape, grad, errors, msg);
//
// Instructions are numbered from 1: instruction k is code[k - 1]; the range first..last
// includes both ends. Columns and constant-pool entries are numbered from 1: column j
// reads levels[j - 1] (through the column permutation when one is installed) and writes
// grad[j - 1]; constant k is pool[k - 1].
//
// The code comes from outside and is never trusted: a range outside the code, a column or
// constant outside its array, a stack deeper than the evaluator keeps or popped when
// empty, a CallArgN without its FuncArgN or with more than 20 arguments, or a tape too
// short for the code is refused with result 2 and a message starting "*** ".
#pragma once

#include <cstdint>
#include <span>

#include "frame/q5rt.h"
#include "funclib/ctvnew.h"
#include "instance/ctvnl.h"

namespace evalnew {

using codespan = std::span<const ctvnl::tnlcode>;

inline constexpr int stackcap = 201;  // value positions of one evaluation

// ---- the interpreter ----
// Result 0 success (function errors whose callback answered 1 or 2 are counted in
// errcount), 1 a function call answered another code (the evaluation stopped there),
// 2 values left on the stack or malformed code (message set).
int funeval(ctvnew::tmathnewrec& rec, std::int32_t first, std::int32_t last, codespan code,
            std::span<const double> pool, std::span<const double> levels, double& value,
            std::int32_t& errcount, q5rt::sstr& msg);
// As funeval, with the gradient: grad[j - 1] is set for every column j the code reads;
// other entries keep their contents. Further results: 3 End or an unknown opcode, 4
// adjoints left, 5 tape entries left after the reverse sweep (message set).
int gradeval(ctvnew::tmathnewrec& rec, std::int32_t first, std::int32_t last, codespan code,
             std::span<const double> pool, std::span<const double> levels, double& value,
             std::span<double> tape, std::span<double> grad, std::int32_t& errcount,
             q5rt::sstr& msg);

// The process-wide column permutation: column j reads levels[positions[j - 1]]. Answers 1
// and changes nothing when one is already installed, else 0.
int evalnewsetcperm(std::int32_t n, const std::int32_t* positions);
void evalnewfreecperm();

// ---- analyses ----
// The tape length and second-order count that an evaluation of the range needs, and the
// operand links (producer positions, 0-based from first) from links[base + 1] on. Answers
// 0, or 1 on an unknown opcode or malformed code (a line on standard output).
int getstacksizes(std::int32_t first, std::int32_t last, codespan code, std::int32_t& tapelen,
                  std::int32_t& secondorder, std::int32_t base, std::int32_t& linkcount,
                  std::span<std::int32_t> links);
// Class of the range: 0 constant, 1 linear, 2 quadratic, 3 general nonlinear. constcols
// (indexed by column number; may be empty) marks columns that count as constants.
int evalnltype(std::int32_t first, std::int32_t last, codespan code, std::span<const double> pool,
               std::span<const std::uint8_t> constcols, std::int32_t& nltype, q5rt::sstr& msg);
// The number of logic-function calls, or -1 when the code holds anything else; answers 0.
int logiccount(std::int32_t first, std::int32_t last, codespan code, std::int32_t& count);
// The row value split by clusters of columns (cluster[j - 1], 0-based; cluster 0 also
// holds the constants); parts has one entry per cluster. Answers 0, 1 a function code
// other than 0..3, 2 unknown instruction or malformed code, 3 clusters inconsistent,
// 4 stack not empty.
int funevalcluster(ctvnew::tmathnewrec& rec, std::int32_t first, std::int32_t last, codespan code,
                   std::span<const double> pool, std::span<const double> levels,
                   std::span<const std::int32_t> cluster, std::int32_t nclusters,
                   std::span<double> parts, std::int32_t& errcount, q5rt::sstr& msg);

namespace detail {
// The opcode's 10-character name; "Opcode NNN" for numbers beyond the table.
[[nodiscard]] q5rt::shortstring<15> opname(ctvnl::opcode op);
}  // namespace detail

}  // namespace evalnew
