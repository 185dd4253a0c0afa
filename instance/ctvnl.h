// The nonlinear instruction code: one instruction record, the opcodes with their names
// and the operand classes.
//
// Usage:
//   ctvnl::tnlcode ins{ctvnl::opcode::pushv, 3};      // push column 3
//   ctvnl::nlcodetxt[static_cast<int>(ins.opcode)]      // "PushV     "
//   if (ctvnl::pushimmed.contains(code)) ...            // operand is a pool entry
//   ctvnl::effect(ins.opcode).pops                      // stack entries it takes
// Columns, rows and constant-pool entries are numbered from 1 in operands.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "instance/zlmspecs.h"

namespace ctvnl {

enum class opcode : std::uint8_t {
  noop,    // nothing
  pushv,   // push column
  pushi,   // push constant (pool entry)
  store,   // top is the row's expression (operand: row); ends the row
  add,     // pop two, push the sum
  addv,    // top += column
  addi,    // top += constant
  sub,     // pop two, push below - top
  subv,    // top -= column
  subi,    // top -= constant
  mul,     // pop two, push the product
  mulv,    // top *= column
  muli,    // top *= constant
  div,     // pop two, push below / top
  divv,    // top /= column
  divi,    // top /= constant
  umin,    // negate the top
  uminv,   // push the column negated
  header,  // starts a row's code
  end,
  callarg1,  // top := f(top) (operand: function number)
  callarg2,  // pop two, push f(below, top)
  callargn,  // the n-argument call announced by funcargn
  funcargn,  // announces callargn (operand: argument count)
  muliadd,   // pop two, push below + top * constant
  pushzero,  // push 0
  chk,
  addo,
  pusho,
  invoc,
  stackin,
};

inline constexpr int opcode_count = static_cast<int>(opcode::stackin) + 1;

// Opcode names by number, blank-padded to 10 characters.
inline constexpr std::array<std::string_view, opcode_count> nlcodetxt = {
    "NoOp      ", "PushV     ", "PushI     ", "Store     ", "Add       ", "AddV      ",
    "AddI      ", "Sub       ", "SubV      ", "SubI      ", "Mul       ", "MulV      ",
    "MulI      ", "Div       ", "DivV      ", "DivI      ", "Umin      ", "UminV     ",
    "Header    ", "End       ", "CallArg1  ", "CallArg2  ", "CallArgN  ", "FuncArgN  ",
    "MulIAdd   ", "PushZero  ", "Chk       ", "AddO      ", "PushO     ", "Invoc     ",
    "StackIn   "};
static_assert(nlcodetxt.size() == 31);

// One instruction: opcode byte and signed 32-bit operand. A byte read from a file may
// hold a value above stackin; readers check it against opcode_count.
struct tnlcode {
  ctvnl::opcode opcode = ctvnl::opcode::noop;
  std::int32_t operand = 0;
};

constexpr int code(opcode op) { return static_cast<int>(op); }

// How many stack entries an instruction takes and puts back. Store takes the row's result.
// CallArgN takes, besides, the argument count that the FuncArgN before it announces.
struct stackeffect {
  ctvnl::opcode opcode;
  std::int8_t pops;
  std::int8_t pushes;
  bool countedpops = false;  // CallArgN: pops the FuncArgN's count as well
};

// clang-format off
inline constexpr std::array<stackeffect, opcode_count> stackeffects = {{
    {opcode::noop, 0, 0},     {opcode::pushv, 0, 1},     {opcode::pushi, 0, 1},
    {opcode::store, 1, 0},    {opcode::add, 2, 1},       {opcode::addv, 1, 1},
    {opcode::addi, 1, 1},     {opcode::sub, 2, 1},       {opcode::subv, 1, 1},
    {opcode::subi, 1, 1},     {opcode::mul, 2, 1},       {opcode::mulv, 1, 1},
    {opcode::muli, 1, 1},     {opcode::div, 2, 1},       {opcode::divv, 1, 1},
    {opcode::divi, 1, 1},     {opcode::umin, 1, 1},      {opcode::uminv, 0, 1},
    {opcode::header, 0, 0},   {opcode::end, 0, 0},       {opcode::callarg1, 1, 1},
    {opcode::callarg2, 2, 1}, {opcode::callargn, 0, 1, true},
    {opcode::funcargn, 0, 0}, {opcode::muliadd, 2, 1},   {opcode::pushzero, 0, 1},
    {opcode::chk, 0, 0},      {opcode::addo, 0, 0},      {opcode::pusho, 0, 0},
    {opcode::invoc, 0, 0},    {opcode::stackin, 0, 0}}};
// clang-format on

// Every opcode has its row, at its own number; no instruction puts back more than one entry.
constexpr bool stackeffectsok() {
  for (int c = 0; c < opcode_count; ++c) {
    const stackeffect& e = stackeffects[static_cast<std::size_t>(c)];
    if (code(e.opcode) != c || e.pops < 0 || e.pushes < 0 || e.pushes > 1) return false;
  }
  return true;
}
static_assert(stackeffectsok());

// The stack effect of an opcode; none for a byte above StackIn.
constexpr stackeffect effect(opcode op) {
  const int c = code(op);
  return c < opcode_count ? stackeffects[static_cast<std::size_t>(c)] : stackeffect{op, 0, 0};
}

// One node of a row's expression tree (the BARON translation's writers build them from
// the instruction code). Nodes come from the model record's pool (gcdata::getnlrec).
struct nltreerec {
  double value;          // magnitude of a constant (never negative when built)
  nltreerec* next;       // next node in the pool's in-use chain or free list
  nltreerec* up;         // parent, set by the text writer while it walks
  nltreerec* left;       // first child
  nltreerec* right;      // second child
  ctvnl::opcode opcode;  // PushV, PushI, Store, Add, ..., NoOp for a dropped node
  std::int32_t operand;  // column, pool entry, row, function number or argument position
  std::int32_t number;   // position in the in-use chain from 1 (dumps)
  std::uint8_t paren;    // text writer: close this subtree with ")"
  std::uint8_t done;     // text writer: this node's operator has been written
};

// Opcodes whose operand is a constant-pool entry.
inline constexpr zlmspecs::codeset pushimmed{code(opcode::pushi), code(opcode::addi),
                                             code(opcode::subi),  code(opcode::muli),
                                             code(opcode::divi),  code(opcode::muliadd)};
// Opcodes whose operand is a column.
inline constexpr zlmspecs::codeset pushgradvars{code(opcode::pushv), code(opcode::addv),
                                                code(opcode::subv),  code(opcode::mulv),
                                                code(opcode::divv),  code(opcode::uminv)};

}  // namespace ctvnl
