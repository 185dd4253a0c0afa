// The value-only interpreter: values against the function library's evaluator, the
// permutation, function errors and the code it abandons.
#include "baron/eval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "funclib/evalnew.h"
#include "support/baronmodel.h"
#include "support/exprtest.h"

namespace {

using namespace exprtest;

struct evaluated {
  int rc;
  double value;
  std::string said;
};

evaluated run(const code& c, const std::vector<double>& pool, const std::vector<double>& x,
              std::int32_t first = 1, std::int32_t last = -1) {
  ctvnew::tmathnewrec rec;
  ctvnew::mathnewrecinit(rec);
  evaluated e{0, 0, ""};
  if (last < 0) last = static_cast<std::int32_t>(c.size());
  e.said = testutil::stdoutof(
      [&] { e.rc = eval::neweval(rec, first, last, c, pool, x, {}, e.value, {}); });
  return e;
}

TEST(Eval, ValuesAgreeWithTheLibraryEvaluator) {
  const std::vector<double> pool = {2.0, 0.5, -3.0};
  const std::vector<double> x = {1.5, 0.25, 4.0};
  const struct {
    code c;
    const char* why;
  } rows[] = {
      {row({V(1), V(2), Add, V(3), Mul}), "stack arithmetic"},
      {row({V(1), ins(opcode::addv, 2), ins(opcode::subi, 1), ins(opcode::mulv, 3),
            ins(opcode::divi, 2)}),
       "operations with a column or a constant"},
      {row({V(3), V(2), Div, ins(opcode::divv, 1), Neg}), "divisions through the library"},
      {row({ins(opcode::uminv, 1), I(3), F2(21), V(2), F1(10), ins(opcode::muliadd, 1)}),
       "calls and MulIAdd"},
      {row({V(1), V(2), V(3), ins(opcode::funcargn, 3), ins(opcode::callargn, 8),
            ins(opcode::pushzero), Add}),
       "an n-argument call"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    ctvnew::tmathnewrec rec;
    ctvnew::mathnewrecinit(rec);
    double want = 0;
    std::int32_t errors = 0;
    q5rt::sstr msg;
    ASSERT_EQ(evalnew::funeval(rec, 1, static_cast<std::int32_t>(r.c.size()), r.c, pool, x, want,
                               errors, msg),
              0);
    const evaluated got = run(r.c, pool, x);
    EXPECT_EQ(got.rc, 0);
    EXPECT_EQ(got.said, "");
    EXPECT_DOUBLE_EQ(got.value, want);
  }
}

TEST(Eval, EmptyRangeAndPermutation) {
  const code c = row({V(1), ins(opcode::subv, 2)});
  EXPECT_EQ(run(c, {}, {5, 2}, 3, 3).value, 999) << "first = last";
  const std::int32_t swap[] = {1, 0};
  ASSERT_EQ(eval::evalsetcperm(2, swap), 0);
  const std::int32_t other[] = {0, 0};
  EXPECT_EQ(eval::evalsetcperm(2, other), 1) << "a second permutation is refused";
  EXPECT_EQ(run(c, {}, {5, 2}).value, -3) << "columns read through the first permutation";
  eval::evalfreecperm();
  EXPECT_EQ(run(c, {}, {5, 2}).value, 3);
  eval::evalfreecperm();
}

TEST(Eval, FunctionErrorsByMethod) {
  const code c = row({V(1), F1(11), ins(opcode::addi, 1)});  // log(-1) + 2
  const struct {
    std::uint8_t method;
    bool na;
    const char* why;
  } rows[] = {{0, false, "go on"}, {1, false, "stop"}, {2, true, "NA"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    eval::errormethod = r.method;
    const evaluated e = run(c, {2.0}, {-1.0});
    EXPECT_NE(e.rc, 0);
    if (r.na) {
      EXPECT_EQ(e.value, zlmspecs::valna);
    }
  }
  eval::errormethod = 0;
}

TEST(Eval, MalformedCode) {
  code deep{ins(opcode::header)};
  for (int k = 0; k < 202; ++k) deep.push_back(V(1));
  code manyargs{ins(opcode::header)};
  for (int k = 0; k < 21; ++k) manyargs.push_back(V(1));
  manyargs.push_back(ins(opcode::funcargn, 21));
  manyargs.push_back(ins(opcode::callargn, 8));
  const struct {
    code c;
    int rc;
    std::string said;
    const char* why;
  } rows[] = {
      {deep, 4, "*** Evaluator: stack overflow at location 203\n", "more than 201 entries"},
      {manyargs, 4, "*** Evaluator: call with more than 20 arguments at location 23\n",
       "21 arguments"},
      {row({Add}), 4, "*** Evaluator: stack underflow at location 2\n", "an empty stack popped"},
      {row({V(9)}), 4, "*** Evaluator: operand out of range at location 2\n",
       "a column past the levels"},
      {row({V(1), ins(opcode::funcargn, 1)}), 4,
       "*** Evaluator: FuncArgN without its CallArgN at location 3\n", "an unpaired FuncArgN"},
      {row({V(1), ins(opcode::end), ins(opcode::callargn, 8)}), 0,
       "*** Evaluator: unknown instruction CallArgN   at location 4\n",
       "a CallArgN not announced goes on"},
      {row({V(1), V(1)}), 0, "*** Evaluator: stack not equal to one, stack = 2\n",
       "two entries left"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const evaluated e = run(r.c, {1.0}, {1.0});
    EXPECT_EQ(e.rc, r.rc);
    EXPECT_EQ(e.said, r.said);
  }
}

}  // namespace
