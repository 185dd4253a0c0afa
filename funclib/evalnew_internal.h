// Helpers shared by the interpreter and the analyses of the instruction code.
#pragma once

#include <cstdint>
#include <string_view>

#include "frame/q5rt.h"
#include "funclib/evalnew.h"

namespace evalnew::detail {

// "*** <who>: <what> at location <k>"
q5rt::sstr located(std::string_view who, std::string_view what, std::int32_t k);
// "*** <who>: <what> <n> at location <k>"
q5rt::sstr numbered(std::string_view who, std::string_view what, long long n, std::int32_t k);
// true when first..last lies within the code; else the message names the range.
bool rangeok(std::int32_t first, std::int32_t last, codespan code, std::string_view who,
             q5rt::sstr& msg);
// The argument count of the CallArgN at instruction k: the operand of the FuncArgN right
// before it, within the range; false when there is none.
bool argcount(codespan code, std::int32_t first, std::int32_t k, std::int32_t& n);

// The values an instruction takes from the stack and puts back.
struct effect {
  int pops = 0;
  int pushes = 0;
};
// The effect of instruction k on a stack of depth sp and capacity cap (CallArgN with the
// count of its FuncArgN). False with "*** <who>: ..." in msg when the code is malformed
// there: a CallArgN without its FuncArgN or with a count outside 0..20, a stack too
// shallow or too deep.
bool stepeffect(codespan code, std::int32_t first, std::int32_t k, int sp, int cap,
                std::string_view who, effect& e, q5rt::sstr& msg);

// How an evaluation goes on after a function call answered rc: -1 go on (1 and 2 are
// counted in errcount, 3 is ignored), else 1, the result that stops the evaluation.
int callanswer(int rc, std::int32_t& errcount);

}  // namespace evalnew::detail
