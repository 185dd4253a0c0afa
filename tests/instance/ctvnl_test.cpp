#include "instance/ctvnl.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CtvnlOperandSets, ImmediateAndColumnOperands) {
  using ctvnl::code;
  using ctvnl::opcode;
  for (int c = 0; c < ctvnl::opcode_count; ++c) {
    const auto name = ctvnl::nlcodetxt[static_cast<std::size_t>(c)];
    SCOPED_TRACE(name);
    EXPECT_EQ(name.size(), 10u);
    // Pool-entry operands are exactly the "...I" forms and MulIAdd.
    const bool immediate = name.starts_with("PushI") || name.starts_with("AddI") ||
                           name.starts_with("SubI") || name.starts_with("MulI") ||
                           name.starts_with("DivI");
    EXPECT_EQ(ctvnl::pushimmed.contains(c), immediate);
    EXPECT_FALSE(ctvnl::pushimmed.contains(c) && ctvnl::pushgradvars.contains(c));
  }
  EXPECT_EQ(ctvnl::nlcodetxt[code(opcode::stackin)], "StackIn   ");
  EXPECT_TRUE(ctvnl::pushgradvars.contains(code(opcode::uminv)));
  EXPECT_FALSE(ctvnl::pushgradvars.contains(code(opcode::umin)));
}

// The stack effects agree with the operand sets: an instruction with a column or pool
// operand either pushes it (PushV, PushI, UminV) or works on the top it takes.
TEST(CtvnlStackEffects, AgreeWithTheOperandSets) {
  using ctvnl::opcode;
  for (int c = 0; c < ctvnl::opcode_count; ++c) {
    const auto op = static_cast<opcode>(c);
    SCOPED_TRACE(ctvnl::nlcodetxt[static_cast<std::size_t>(c)]);
    if (!ctvnl::pushimmed.contains(c) && !ctvnl::pushgradvars.contains(c)) continue;
    const ctvnl::stackeffect e = ctvnl::effect(op);
    const bool pushes = op == opcode::pushv || op == opcode::pushi || op == opcode::uminv;
    EXPECT_EQ(e.pops, pushes ? 0 : op == opcode::muliadd ? 2 : 1);
    EXPECT_EQ(e.pushes, 1);
  }
  EXPECT_TRUE(ctvnl::effect(opcode::callargn).countedpops);
}

TEST(CtvnlStackEffects, ByteAboveStackInHasNone) {
  const ctvnl::stackeffect e = ctvnl::effect(static_cast<ctvnl::opcode>(ctvnl::opcode_count));
  EXPECT_EQ(e.pops, 0);
  EXPECT_EQ(e.pushes, 0);
  EXPECT_FALSE(e.countedpops);
}

TEST(CtvnlNames, EveryOpcodeNameWordForWord) {
  std::string names;
  for (const auto n : ctvnl::nlcodetxt) names.append(n).append("|");
  EXPECT_EQ(names,
            "NoOp      |PushV     |PushI     |Store     |Add       |AddV      |AddI      |"
            "Sub       |SubV      |SubI      |Mul       |MulV      |MulI      |Div       |"
            "DivV      |DivI      |Umin      |UminV     |Header    |End       |CallArg1  |"
            "CallArg2  |CallArgN  |FuncArgN  |MulIAdd   |PushZero  |Chk       |AddO      |"
            "PushO     |Invoc     |StackIn   |");
}

}  // namespace
