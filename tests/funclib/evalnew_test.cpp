// The instruction-code interpreter and its analyses on hand-written code: values against
// the same expressions in C++, gradients against central differences of the value, and
// malformed code refused with a message.
#include "funclib/evalnew.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "funclib/ctvnew.h"
#include "instance/zlmspecs.h"

namespace {

using ctvnl::opcode;
using ctvnl::tnlcode;
using code_t = std::vector<tnlcode>;

// Function numbers used below.
constexpr int f_sqr = 9, f_exp = 10, f_log = 11, f_sqrt = 13, f_power = 21, f_edist = 65,
              f_rpower = 64, f_bool_and = 52, f_bool_not = 51, f_min = 7, f_lsemax = 125;

// Levels of columns 1..4 and the constant pool 1..4.
const std::vector<double> levels = {1.3, 0.7, 2.1, -0.4};
const std::vector<double> pool = {2.0, 0.5, 3.0, 1.5};
constexpr double x1 = 1.3, x2 = 0.7, x3 = 2.1, x4 = -0.4;

// A row: Header, the body, Store.
code_t row(std::initializer_list<tnlcode> body) {
  code_t c{{opcode::header, 0}};
  c.insert(c.end(), body);
  c.push_back({opcode::store, 1});
  return c;
}

struct evaluation {
  ctvnew::tmathnewrec rec{};
  std::int32_t errors = 0;
  q5rt::sstr msg;
  double value = 0;
  evaluation() { ctvnew::mathnewrecinit(rec); }

  int value_of(const code_t& c, const std::vector<double>& x = levels) {
    return evalnew::funeval(rec, 1, static_cast<std::int32_t>(c.size()), c, pool, x, value, errors,
                            msg);
  }
  // The tape sized by the size pass; grad preset to a marker.
  int gradient_of(const code_t& c, std::vector<double>& grad,
                  const std::vector<double>& x = levels) {
    std::int32_t tapelen = 0, second = 0, links = 0;
    (void)evalnew::getstacksizes(1, static_cast<std::int32_t>(c.size()), c, tapelen, second, 0,
                                 links, {});
    std::vector<double> tape(static_cast<std::size_t>(tapelen));
    return evalnew::gradeval(rec, 1, static_cast<std::int32_t>(c.size()), c, pool, x, value, tape,
                             grad, errors, msg);
  }
};

constexpr double marker = 77.0;

struct exprrow {
  code_t code;
  double expected;
  const char* why;
};

// One instruction row per line; left to the formatter, "x1 * x3" after a row would read as
// a pointer declaration and become "x1* x3".
// clang-format off
const exprrow exprs[] = {
    {row({{opcode::pushv, 1}}), x1, "PushV alone"},
    {row({{opcode::pushi, 3}}), 3.0, "PushI alone"},
    {row({{opcode::pushzero, 0}, {opcode::addv, 2}}), x2, "PushZero then AddV"},
    {row({{opcode::pushv, 1}, {opcode::pushv, 2}, {opcode::add, 0}}), x1 + x2, "Add"},
    {row({{opcode::pushv, 1}, {opcode::addi, 1}}), x1 + 2, "AddI"},
    {row({{opcode::pushv, 1}, {opcode::pushv, 3}, {opcode::sub, 0}}), x1 - x3, "Sub"},
    {row({{opcode::pushv, 1}, {opcode::subv, 3}}), x1 - x3, "SubV"},
    {row({{opcode::pushv, 1}, {opcode::subi, 2}}), x1 - 0.5, "SubI"},
    {row({{opcode::pushv, 1}, {opcode::pushv, 3}, {opcode::mul, 0}}), x1 * x3, "Mul"},
    {row({{opcode::pushv, 1}, {opcode::mulv, 4}}), x1 * x4, "MulV"},
    {row({{opcode::pushv, 1}, {opcode::muli, 3}}), 3 * x1, "MulI"},
    {row({{opcode::pushv, 1}, {opcode::pushv, 3}, {opcode::div, 0}}), x1 / x3, "Div"},
    {row({{opcode::pushv, 1}, {opcode::divv, 4}}), x1 / x4, "DivV"},
    {row({{opcode::pushv, 1}, {opcode::divi, 4}}), x1 / 1.5, "DivI"},
    {row({{opcode::pushv, 1}, {opcode::pushv, 2}, {opcode::mul, 0}, {opcode::umin, 0}}),
     -x1 * x2, "Umin"},
    {row({{opcode::uminv, 2}, {opcode::addv, 1}}), x1 - x2, "UminV"},
    {row({{opcode::pushv, 1}, {opcode::pushv, 2}, {opcode::muliadd, 3}}), x1 + 3 * x2,
     "MulIAdd: below + top * constant"},
    {row({{opcode::noop, 0}, {opcode::pushv, 2}, {opcode::funcargn, 0}, {opcode::callarg1, f_exp}}),
     std::exp(x2), "NoOp and a stray FuncArgN do nothing"},
    {row({{opcode::pushv, 3}, {opcode::callarg1, f_log}}), std::log(x3), "CallArg1 log"},
    {row({{opcode::pushv, 4}, {opcode::callarg1, f_sqr}}), x4 * x4, "CallArg1 sqr"},
    {row({{opcode::pushv, 1}, {opcode::pushv, 3}, {opcode::callarg2, f_rpower}}),
     std::pow(x1, x3), "CallArg2 rPower"},
    {row({{opcode::pushv, 1}, {opcode::pushv, 4}, {opcode::callarg2, f_min}}), x4, "CallArg2 min"},
    {row({{opcode::pushv, 1}, {opcode::pushv, 2}, {opcode::pushv, 4}, {opcode::funcargn, 3},
          {opcode::callargn, f_edist}}),
     std::sqrt(x1 * x1 + x2 * x2 + x4 * x4), "CallArgN EDist of three"},
    {row({{opcode::pushv, 1}, {opcode::pushv, 2}, {opcode::mulv, 3}, {opcode::pushi, 4},
          {opcode::funcargn, 3}, {opcode::callargn, f_lsemax}, {opcode::addv, 4}}),
     std::log(std::exp(x1) + std::exp(x2 * x3) + std::exp(1.5)) + x4,
     "CallArgN with a constant argument and an expression argument"},
    {row({{opcode::pushv, 1}, {opcode::callarg1, f_log}, {opcode::mulv, 2},
          {opcode::callarg1, f_exp}, {opcode::pushv, 3}, {opcode::callarg1, f_sqrt},
          {opcode::callarg1, f_sqr}, {opcode::div, 0}}),
     std::exp(std::log(x1) * x2) / x3, "nested calls: exp(log(x1)*x2) / sqr(sqrt(x3))"},
    {row({{opcode::pushv, 1}, {opcode::pushi, 1}, {opcode::callarg2, f_power},
          {opcode::pushv, 2}, {opcode::pushv, 3}, {opcode::mul, 0}, {opcode::pushv, 1},
          {opcode::mul, 0}, {opcode::sub, 0}, {opcode::pushv, 4}, {opcode::divv, 2},
          {opcode::divv, 3}, {opcode::divv, 1}, {opcode::add, 0}}),
     x1 * x1 - x2 * x3 * x1 + x4 / x2 / x3 / x1,
     "a column used several times and a DivV chain (two tape entries each)"},
};
// clang-format on

TEST(EvalnewInterpreter, ValuesMatchTheExpressions) {
  for (const auto& r : exprs) {
    SCOPED_TRACE(r.why);
    evaluation e;
    ASSERT_EQ(0, e.value_of(r.code)) << e.msg.str();
    EXPECT_NEAR(r.expected, e.value, 1e-13 * std::max(1.0, std::fabs(r.expected)));
    EXPECT_EQ(0, e.errors);
    EXPECT_TRUE(e.msg.empty());
  }
}

TEST(EvalnewInterpreter, GradientsMatchCentralDifferences) {
  for (const auto& r : exprs) {
    SCOPED_TRACE(r.why);
    evaluation e;
    std::vector<double> grad(levels.size() + 1, marker);
    ASSERT_EQ(0, e.gradient_of(r.code, grad)) << e.msg.str();
    EXPECT_NEAR(r.expected, e.value, 1e-13 * std::max(1.0, std::fabs(r.expected)));
    for (std::size_t j = 0; j < levels.size(); ++j) {
      bool read = false;
      for (const auto& ins : r.code)
        read |= ctvnl::pushgradvars.contains(ctvnl::code(ins.opcode)) &&
                ins.operand == static_cast<std::int32_t>(j + 1);
      if (!read) {
        EXPECT_EQ(marker, grad[j]) << "column " << j + 1 << " is not in the code";
        continue;
      }
      const double h = 1e-6;
      std::vector<double> xp = levels, xm = levels;
      xp[j] += h;
      xm[j] -= h;
      evaluation ep, em;
      ASSERT_EQ(0, ep.value_of(r.code, xp));
      ASSERT_EQ(0, em.value_of(r.code, xm));
      const double fd = (ep.value - em.value) / (2 * h);
      EXPECT_NEAR(fd, grad[j], 1e-6 * std::max(1.0, std::fabs(fd))) << "column " << j + 1;
    }
    EXPECT_EQ(marker, grad[levels.size()]) << "an entry beyond the columns";
  }
}

TEST(EvalnewInterpreter, ProductOfTwoColumns) {
  const code_t c = row({{opcode::pushv, 1}, {opcode::pushv, 2}, {opcode::mul, 0}});
  const std::vector<double> x = {3, 4};
  evaluation e;
  std::vector<double> tape(2, marker), grad(2, marker);
  EXPECT_EQ(0, evalnew::gradeval(e.rec, 1, 5, c, pool, x, e.value, tape, grad, e.errors, e.msg));
  EXPECT_EQ(12, e.value);
  EXPECT_EQ(4, grad[0]);
  EXPECT_EQ(3, grad[1]);
  EXPECT_EQ(1, e.rec.level);
}

TEST(EvalnewInterpreter, SameColumnTwiceAddsBothPartials) {
  const code_t c = row({{opcode::pushv, 1}, {opcode::pushv, 1}, {opcode::mul, 0}});
  evaluation e;
  std::vector<double> grad(4, marker);
  EXPECT_EQ(0, e.gradient_of(c, grad));
  EXPECT_DOUBLE_EQ(2 * x1, grad[0]);
  EXPECT_EQ(marker, grad[1]);
}

TEST(EvalnewInterpreter, RangeOfOneInstructionIsNoRow) {
  const code_t c = row({{opcode::pushv, 1}});
  evaluation e;
  e.msg = q5rt::sstr::cut("old");
  EXPECT_EQ(0, evalnew::funeval(e.rec, 2, 2, c, pool, levels, e.value, e.errors, e.msg));
  EXPECT_EQ(999, e.value);
  EXPECT_TRUE(e.msg.empty());
}

// A callback that answers a fixed code and counts its calls.
struct answering {
  int code;
  int calls = 0;
  static int cb(int /*rc*/, int /*ec*/, const q5rt::sstr& /*msg*/, void* mem) {
    auto* self = static_cast<answering*>(mem);
    ++self->calls;
    return self->code;
  }
};

TEST(EvalnewInterpreter, FunctionErrorsAreCountedOrStopTheEvaluation) {
  // x1 / (x2 - x2): the division reports a singularity.
  const code_t c = row({{opcode::pushv, 1},
                        {opcode::pushv, 2},
                        {opcode::subv, 2},
                        {opcode::div, 0},
                        {opcode::addi, 1}});
  struct caserow {
    int answer;
    int result;
    std::int32_t errors;
    const char* why;
  };
  constexpr caserow rows[] = {
      {1, 0, 1, "answer 1: counted, the evaluation goes on"},
      {2, 0, 1, "answer 2: counted"},
      {3, 0, 0, "answer 3: ignored"},
      {0, 0, 0, "answer 0: forgiven"},
      {4, 1, 0, "answer 4: the evaluation stops"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    evaluation e;
    answering cb{r.answer};
    e.rec.logerror = &answering::cb;
    e.rec.usermem = &cb;
    EXPECT_EQ(r.result, e.value_of(c));
    EXPECT_EQ(r.errors, e.errors);
    EXPECT_EQ(1, cb.calls);
    if (r.result == 1) {
      EXPECT_EQ(999, e.value) << "no Store was reached";
    } else {
      EXPECT_EQ(e.rec.f + 2.0, e.value) << "the value the function delivered is used";
    }
  }
}

TEST(EvalnewInterpreter, InstructionsWithoutMeaningAreIgnoredForwardAndRefusedInReverse) {
  struct caserow {
    opcode op;
    const char* text;
  };
  const caserow rows[] = {
      {opcode::end, "End       "},
      {opcode::chk, "Chk       "},
      {opcode::addo, "AddO      "},
      {opcode::pusho, "PushO     "},
      {opcode::invoc, "Invoc     "},
      {opcode::stackin, "StackIn   "},
      {static_cast<opcode>(200), "Opcode 200"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    const code_t c = row({{opcode::pushv, 1}, {r.op, 0}, {opcode::addv, 2}});
    evaluation e;
    EXPECT_EQ(0, e.value_of(c));
    EXPECT_DOUBLE_EQ(x1 + x2, e.value);
    std::vector<double> grad(4, marker);
    EXPECT_EQ(3, e.gradient_of(c, grad));
    EXPECT_EQ(
        std::string("*** fwrvEvalNew: unexpected/unknown instruction ") + r.text + " at location 3",
        e.msg.str());
  }
}

TEST(EvalnewInterpreter, ValuesLeftOnTheStack) {
  const code_t c = row({{opcode::pushv, 1}, {opcode::pushv, 2}, {opcode::pushv, 3}});
  evaluation e;
  EXPECT_EQ(2, e.value_of(c));
  EXPECT_EQ("*** fwrvEvalNew: after forward sweep stack level not zero s=2", e.msg.str());
  EXPECT_EQ(x3, e.value);
  std::vector<double> grad(4, marker);
  EXPECT_EQ(2, e.gradient_of(c, grad));
}

struct malformedrow {
  code_t code;
  const char* message;
  const char* why;
};

code_t pushes(int n) {
  code_t c{{opcode::header, 0}};
  for (int i = 0; i < n; ++i) c.push_back({opcode::pushv, 1});
  for (int i = 1; i < n; ++i) c.push_back({opcode::add, 0});
  c.push_back({opcode::store, 1});
  return c;
}

code_t callargn(int n) {
  code_t c{{opcode::header, 0}};
  for (int i = 0; i < n; ++i) c.push_back({opcode::pushv, 1});
  c.push_back({opcode::funcargn, n});
  c.push_back({opcode::callargn, f_edist});
  c.push_back({opcode::store, 1});
  return c;
}

const malformedrow malformed[] = {
    {row({{opcode::add, 0}}), "*** fwrvEvalNew: stack underflow at location 2",
     "Add on an empty stack"},
    {{{opcode::header, 0}, {opcode::store, 1}},
     "*** fwrvEvalNew: stack underflow at location 2",
     "Store on an empty stack"},
    {row({{opcode::pushv, 1}, {opcode::mul, 0}}), "*** fwrvEvalNew: stack underflow at location 3",
     "Mul with one value"},
    {pushes(202), "*** fwrvEvalNew: stack overflow at location 203",
     "202 values exceed the 201 positions"},
    {row({{opcode::pushv, 0}}), "*** fwrvEvalNew: column 0 at location 2", "column 0"},
    {row({{opcode::pushv, 5}}), "*** fwrvEvalNew: column 5 at location 2",
     "column beyond the levels"},
    {row({{opcode::pushv, 1}, {opcode::mulv, -3}}), "*** fwrvEvalNew: column -3 at location 3",
     "negative column"},
    {row({{opcode::pushi, 0}}), "*** fwrvEvalNew: constant 0 at location 2", "constant 0"},
    {row({{opcode::pushv, 1}, {opcode::divi, 5}}), "*** fwrvEvalNew: constant 5 at location 3",
     "constant beyond the pool"},
    {row({{opcode::pushv, 1}, {opcode::callargn, f_edist}}),
     "*** fwrvEvalNew: CallArgN without its FuncArgN at location 3", "CallArgN after a push"},
    {{{opcode::callargn, f_edist}, {opcode::store, 1}},
     "*** fwrvEvalNew: CallArgN without its FuncArgN at location 1",
     "CallArgN first in the range"},
    {callargn(21), "*** fwrvEvalNew: CallArgN with argument count 21 at location 24",
     "21 arguments exceed the record"},
    {row({{opcode::pushv, 1}, {opcode::funcargn, -1}, {opcode::callargn, f_edist}}),
     "*** fwrvEvalNew: CallArgN with argument count -1 at location 4", "negative count"},
    {row({{opcode::pushv, 1}, {opcode::funcargn, 2}, {opcode::callargn, f_edist}}),
     "*** fwrvEvalNew: stack underflow at location 4", "more arguments than values"},
};

TEST(EvalnewInterpreter, MalformedCodeIsRefused) {
  for (const auto& r : malformed) {
    SCOPED_TRACE(r.why);
    evaluation e;
    EXPECT_EQ(2, e.value_of(r.code));
    EXPECT_EQ(r.message, e.msg.str());
    evaluation g;
    std::vector<double> grad(4, marker), tape(64);
    EXPECT_EQ(2, evalnew::gradeval(g.rec, 1, static_cast<std::int32_t>(r.code.size()), r.code, pool,
                                   levels, g.value, tape, grad, g.errors, g.msg));
    EXPECT_EQ(r.message, g.msg.str());
  }
}

TEST(EvalnewInterpreter, TwentyArgumentsAreAccepted) {
  evaluation e;
  std::vector<double> grad(4, marker);
  EXPECT_EQ(0, e.gradient_of(callargn(20), grad)) << e.msg.str();
  EXPECT_DOUBLE_EQ(std::sqrt(20.0) * x1, e.value);
  EXPECT_NEAR(std::sqrt(20.0), grad[0], 1e-12);
}

TEST(EvalnewInterpreter, RangeOutsideTheCodeIsRefused) {
  const code_t c = row({{opcode::pushv, 1}});
  struct caserow {
    std::int32_t first, last;
    const char* message;
  };
  constexpr caserow rows[] = {
      {0, 3, "*** fwrvEvalNew: instructions 0..3 outside the code of 3 instructions"},
      {1, 4, "*** fwrvEvalNew: instructions 1..4 outside the code of 3 instructions"},
      {-5, 2, "*** fwrvEvalNew: instructions -5..2 outside the code of 3 instructions"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.message);
    evaluation e;
    EXPECT_EQ(2,
              evalnew::funeval(e.rec, r.first, r.last, c, pool, levels, e.value, e.errors, e.msg));
    EXPECT_EQ(r.message, e.msg.str());
  }
}

TEST(EvalnewInterpreter, TapeShorterThanTheCodeNeedsIsRefused) {
  // Three DivV need six tape entries, two per instruction.
  const code_t c =
      row({{opcode::pushv, 1}, {opcode::divv, 2}, {opcode::divv, 3}, {opcode::divv, 4}});
  std::int32_t tapelen = 0, second = 0, links = 0;
  ASSERT_EQ(0, evalnew::getstacksizes(1, 6, c, tapelen, second, 0, links, {}));
  EXPECT_EQ(6, tapelen);
  evaluation e;
  std::vector<double> grad(4, marker), tape(5);
  EXPECT_EQ(2,
            evalnew::gradeval(e.rec, 1, 6, c, pool, levels, e.value, tape, grad, e.errors, e.msg));
  EXPECT_EQ("*** fwrvEvalNew: svGrads stack too short at location 5", e.msg.str());
  tape.resize(6);
  EXPECT_EQ(0,
            evalnew::gradeval(e.rec, 1, 6, c, pool, levels, e.value, tape, grad, e.errors, e.msg));
  EXPECT_NEAR(x1 / x2 / x3 / x4, e.value, 1e-14);
}

TEST(EvalnewInterpreter, GradientShorterThanTheColumnsIsRefused) {
  const code_t c = row({{opcode::pushv, 1}, {opcode::mulv, 3}});
  evaluation e;
  std::vector<double> grad(2, marker), tape(4);
  EXPECT_EQ(2,
            evalnew::gradeval(e.rec, 1, 4, c, pool, levels, e.value, tape, grad, e.errors, e.msg));
  EXPECT_EQ("*** fwrvEvalNew: column 3 at location 3", e.msg.str());
}

TEST(EvalnewPermutation, ColumnsReadThroughThePermutation) {
  // Column 1 lies at position 2, column 2 at position 0.
  const std::int32_t positions[] = {2, 0};
  ASSERT_EQ(0, evalnew::evalnewsetcperm(2, positions));
  const std::int32_t other[] = {0, 1};
  EXPECT_EQ(1, evalnew::evalnewsetcperm(2, other)) << "a second installation is refused";
  const code_t c = row({{opcode::pushv, 1}, {opcode::mulv, 2}});
  evaluation e;
  std::vector<double> grad(2, marker);
  EXPECT_EQ(0, e.gradient_of(c, grad));
  EXPECT_DOUBLE_EQ(x3 * x1, e.value);
  EXPECT_DOUBLE_EQ(x1, grad[0]) << "gradient entries are not permuted";
  EXPECT_DOUBLE_EQ(x3, grad[1]);
  EXPECT_EQ(2, e.value_of(row({{opcode::pushv, 3}})))
      << "a column beyond the permutation is refused";
  evalnew::evalnewfreecperm();
  evalnew::evalnewfreecperm();  // nothing installed: nothing happens
  EXPECT_EQ(0, e.value_of(c));
  EXPECT_DOUBLE_EQ(x1 * x2, e.value);

  const std::int32_t outside[] = {7};
  ASSERT_EQ(0, evalnew::evalnewsetcperm(1, outside));
  EXPECT_EQ(2, e.value_of(row({{opcode::pushv, 1}}))) << "a position beyond the levels";
  evalnew::evalnewfreecperm();
}

// ---- analyses ----

TEST(EvalnewAnalyses, StackSizesAndLinks) {
  struct caserow {
    code_t code;
    std::int32_t tapelen, second, linkcount;
    std::vector<std::int32_t> links;
    const char* why;
  };
  const caserow rows[] = {
      {row({{opcode::pushv, 1}, {opcode::pushv, 2}, {opcode::mul, 0}}),
       2,
       0,
       1,
       {-1, 1},
       "Mul: one link to the first operand's producer (position 1 of the range)"},
      {row({{opcode::pushv, 1}, {opcode::divv, 2}, {opcode::divi, 1}, {opcode::callarg1, f_exp}}),
       4,
       3,
       0,
       {-1, -1},
       "one-operand instructions link nothing"},
      {row({{opcode::pushv, 1},
            {opcode::pushv, 2},
            {opcode::callarg2, f_rpower},
            {opcode::pushv, 3},
            {opcode::div, 0}}),
       4,
       5,
       2,
       {-1, 1, 3},
       "CallArg2 and Div"},
      {row({{opcode::pushv, 1},
            {opcode::pushv, 2},
            {opcode::pushv, 3},
            {opcode::funcargn, 3},
            {opcode::callargn, f_edist}}),
       3,
       6,
       2,
       {-1, 1, 2},
       "CallArgN of three links its first two arguments"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    std::int32_t tapelen = -1, second = -1, count = -1;
    std::vector<std::int32_t> links(r.links.size(), -1);
    EXPECT_EQ(0, evalnew::getstacksizes(1, static_cast<std::int32_t>(r.code.size()), r.code,
                                        tapelen, second, 0, count, links));
    EXPECT_EQ(r.tapelen, tapelen);
    EXPECT_EQ(r.second, second);
    EXPECT_EQ(r.linkcount, count);
    EXPECT_EQ(r.links, links);
  }
}

TEST(EvalnewAnalyses, StackSizesRefuseMalformedCode) {
  std::int32_t tapelen = 0, second = 0, count = 0;
  std::vector<std::int32_t> links(1);
  testing::internal::CaptureStdout();
  EXPECT_EQ(
      1, evalnew::getstacksizes(1, 3, row({{opcode::chk, 0}}), tapelen, second, 0, count, links));
  EXPECT_EQ(
      1, evalnew::getstacksizes(1, 3, row({{opcode::add, 0}}), tapelen, second, 0, count, links));
  const code_t twolinks = row({{opcode::pushv, 1},
                               {opcode::pushv, 2},
                               {opcode::add, 0},
                               {opcode::pushv, 3},
                               {opcode::add, 0}});
  std::vector<std::int32_t> twoslots(2);
  EXPECT_EQ(1, evalnew::getstacksizes(1, 7, twolinks, tapelen, second, 0, count, twoslots));
  EXPECT_EQ(0, evalnew::getstacksizes(1, 4, row({{opcode::pushv, 1}, {opcode::pushv, 1}}), tapelen,
                                      second, 0, count, links));
  EXPECT_EQ(
      "*** getStackSizes: unknown instruction Chk        at location 2\n"
      "*** getStackSizes: stack underflow at location 2\n"
      "*** getStackSizes: operand links beyond the links array at location 6\n"
      "*** getStackSizes: stack level not zero, s=1\n",
      testing::internal::GetCapturedStdout());
}

TEST(EvalnewAnalyses, NonlinearityClass) {
  const std::vector<std::uint8_t> ycons = {0, 0, 1, 0};  // column 2 counts as a constant
  struct caserow {
    code_t code;
    bool yconst;
    std::int32_t nltype;
    const char* why;
  };
  const caserow rows[] = {
      {row({{opcode::pushv, 1}, {opcode::addi, 1}}), false, 1, "x + 2 is linear"},
      {row({{opcode::pushi, 1}, {opcode::muli, 2}}), false, 0, "a constant"},
      {row({{opcode::pushv, 1}, {opcode::pushv, 2}, {opcode::mul, 0}}), false, 2, "x * y"},
      {row({{opcode::pushv, 1}, {opcode::mulv, 2}, {opcode::mulv, 3}}), false, 3,
       "x * y * z stops"},
      {row({{opcode::pushv, 1}, {opcode::divi, 1}}), false, 1, "x / 2"},
      {row({{opcode::pushv, 1}, {opcode::divv, 2}}), false, 3, "x / y"},
      {row({{opcode::pushv, 1}, {opcode::divv, 2}}), true, 1, "x / y with y a constant"},
      {row({{opcode::pushv, 1}, {opcode::pushv, 2}, {opcode::div, 0}}), true, 1,
       "Div by a constant column pops the divisor only"},
      {row({{opcode::pushv, 1}, {opcode::callarg1, f_sqr}}), false, 2, "sqr of a linear term"},
      {row({{opcode::pushv, 1}, {opcode::callarg1, f_exp}}), false, 3, "exp is not quadratic"},
      {row({{opcode::pushv, 1}, {opcode::pushi, 1}, {opcode::callarg2, f_power}}), false, 2,
       "power(x, 2)"},
      {row({{opcode::pushv, 1}, {opcode::pushi, 3}, {opcode::callarg2, f_power}}), false, 3,
       "power(x, 3)"},
      {row({{opcode::pushi, 1},
            {opcode::pushi, 3},
            {opcode::pushv, 1},
            {opcode::funcargn, 3},
            {opcode::callargn, f_edist}}),
       false, 3, "an N-argument call whose only variable argument is the last is tested"},
      {row({{opcode::pushi, 1},
            {opcode::pushi, 3},
            {opcode::funcargn, 2},
            {opcode::callargn, f_edist}}),
       false, 0, "an N-argument call of constants is constant"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    std::int32_t nltype = -1;
    q5rt::sstr msg;
    (void)evalnew::evalnltype(
        1, static_cast<std::int32_t>(r.code.size()), r.code, pool,
        r.yconst ? std::span<const std::uint8_t>(ycons) : std::span<const std::uint8_t>(), nltype,
        msg);
    EXPECT_EQ(r.nltype, nltype);
    EXPECT_TRUE(msg.empty()) << msg.str();
  }
  std::int32_t nltype = -1;
  q5rt::sstr msg;
  EXPECT_EQ(0, evalnew::evalnltype(0, 0, {}, pool, {}, nltype, msg));
  EXPECT_EQ(1, nltype) << "a row without code is linear";
  EXPECT_EQ(1, evalnew::evalnltype(1, 3, row({{opcode::stackin, 0}}), pool, {}, nltype, msg));
  EXPECT_EQ("*** evalNLType: unknown instruction StackIn    at location 2", msg.str());
  EXPECT_EQ(1, evalnew::evalnltype(1, 3, row({{opcode::pushi, 9}}), pool, {}, nltype, msg));
  EXPECT_EQ("*** evalNLType: constant 9 at location 2", msg.str());
  EXPECT_EQ(1, evalnew::evalnltype(1, 4, row({{opcode::pushv, 1}, {opcode::pushv, 2}}), pool, {},
                                   nltype, msg));
  EXPECT_EQ("*** evalNLType: terminal stack height not equal to zero, stack = 1", msg.str());
}

TEST(EvalnewAnalyses, LogicCount) {
  struct caserow {
    code_t code;
    std::int32_t count;
    const char* why;
  };
  const caserow rows[] = {
      {row({{opcode::pushv, 1}, {opcode::pushv, 2}, {opcode::callarg2, f_bool_and}}), 1, "one and"},
      {row({{opcode::pushv, 1},
            {opcode::pushv, 2},
            {opcode::callarg2, f_bool_and},
            {opcode::callarg1, f_bool_not}}),
       2, "and, not"},
      {row({{opcode::pushv, 1}, {opcode::pushi, 2}, {opcode::callarg2, f_bool_and}}), -1,
       "a PushI"},
      {row({{opcode::pushv, 1}, {opcode::callarg1, f_exp}}), -1, "a function that is no logic"},
      {row({{opcode::pushv, 1}, {opcode::callarg1, 65537}}), -1, "an extrinsic function"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    std::int32_t count = 99;
    EXPECT_EQ(0, evalnew::logiccount(1, static_cast<std::int32_t>(r.code.size()), r.code, count));
    EXPECT_EQ(r.count, count);
  }
  std::int32_t count = 99;
  EXPECT_EQ(0, evalnew::logiccount(0, 0, {}, count));
  EXPECT_EQ(0, count);
  EXPECT_EQ(0, evalnew::logiccount(1, 9, row({{opcode::pushv, 1}}), count));
  EXPECT_EQ(-1, count) << "a range outside the code";
}

TEST(EvalnewAnalyses, ClusterParts) {
  // Columns 1 and 2 in cluster 1, column 3 in cluster 2, column 4 in cluster 0.
  const std::vector<std::int32_t> cluster = {1, 1, 2, 0};
  struct caserow {
    code_t code;
    int result;
    double p0, p1, p2;
    const char* msg;
    const char* why;
  };
  const double na = zlmspecs::valna;
  const caserow rows[] = {
      {row({{opcode::pushv, 1}, {opcode::addv, 3}, {opcode::addi, 1}}), 0, 2, x1, x3, "",
       "a sum splits by clusters; constants go to cluster 0"},
      {row({{opcode::pushv, 1},
            {opcode::mulv, 2},
            {opcode::pushv, 3},
            {opcode::muli, 3},
            {opcode::sub, 0}}),
       0, 0, x1 * x2, -3 * x3, "", "products within one cluster"},
      {row({{opcode::pushv, 1},
            {opcode::mulv, 4},
            {opcode::pushv, 3},
            {opcode::divi, 1},
            {opcode::add, 0}}),
       0, 0, x1 * x4, x3 / 2, "", "a cluster-0 factor and a constant divisor"},
      {row({{opcode::pushv, 1}, {opcode::addi, 1}, {opcode::divv, 2}}), 0, 0, (x1 + 2) / x2, 0, "",
       "a quotient wholly in one cluster"},
      {row({{opcode::pushv, 4}, {opcode::callarg1, f_exp}, {opcode::uminv, 3}, {opcode::add, 0}}),
       0, std::exp(x4), 0, -x3, "", "a call of cluster-0 arguments"},
      {row({{opcode::pushv, 1}, {opcode::mulv, 3}}), 3, na, na, na,
       "*** funEvalCluster: clusters inconsistent",
       "a product across two clusters is inconsistent"},
      {row({{opcode::pushv, 1}, {opcode::callarg1, f_exp}}), 3, na, na, na,
       "*** funEvalCluster: clusters inconsistent",
       "a call of a cluster-1 argument is inconsistent"},
      {row({{opcode::pushv, 1}, {opcode::divv, 3}}), 3, na, na, na,
       "*** funEvalCluster: clusters inconsistent",
       "a quotient across two clusters is inconsistent"},
      {row({{opcode::pushv, 1}, {opcode::end, 0}}), 2, na, na, na,
       "*** funEvalCluster: unexpected/unknown instruction End        at location 3",
       "End is refused"},
      {row({{opcode::pushv, 1}, {opcode::pushv, 2}}), 4, x2, 0, 0,
       "*** funEvalCluster: stack level not zero s=1", "a value left on the stack"},
      {row({{opcode::pushv, 5}}), 2, na, na, na,
       "*** funEvalCluster: column out of range at location 2", "a column outside the arrays"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    evaluation e;
    std::vector<double> parts(3, marker);
    const int rc =
        evalnew::funevalcluster(e.rec, 1, static_cast<std::int32_t>(r.code.size()), r.code, pool,
                                levels, cluster, 3, parts, e.errors, e.msg);
    EXPECT_EQ(r.result, rc) << e.msg.str();
    EXPECT_EQ(r.msg, e.msg.str());
    if (r.result == 4) continue;  // the parts are those of the Store that was reached
    EXPECT_NEAR(r.p0, parts[0], 1e-14 * std::fabs(r.p0));
    EXPECT_NEAR(r.p1, parts[1], 1e-14 * std::fabs(r.p1));
    EXPECT_NEAR(r.p2, parts[2], 1e-14 * std::fabs(r.p2));
    if (rc == 0) {
      evaluation whole;
      ASSERT_EQ(0, whole.value_of(r.code));
      EXPECT_NEAR(whole.value, parts[0] + parts[1] + parts[2], 1e-13);
    }
  }
  evaluation e;
  std::vector<double> parts(3, marker);
  EXPECT_EQ(0, evalnew::funevalcluster(e.rec, 2, 2, row({{opcode::pushv, 1}}), pool, levels,
                                       cluster, 3, parts, e.errors, e.msg));
  EXPECT_EQ(std::vector<double>(3, marker), parts) << "a range of one leaves the parts";
  EXPECT_EQ(2, evalnew::funevalcluster(e.rec, 1, 3, row({{opcode::pushv, 1}}), pool, levels,
                                       cluster, 4, parts, e.errors, e.msg))
      << "more clusters than parts";
  EXPECT_EQ("*** funEvalCluster: clusters inconsistent", [&] {
    (void)evalnew::funevalcluster(e.rec, 1, 4, row({{opcode::pushv, 1}, {opcode::mulv, 3}}), pool,
                                  levels, cluster, 3, parts, e.errors, e.msg);
    return e.msg.str();
  }());
}

}  // namespace
