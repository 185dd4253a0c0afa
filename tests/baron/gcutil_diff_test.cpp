// Symbolic differentiation: the derivative code of small rows, capacity, messages and
// halts; and the derivative code's value against the evaluator's gradient.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "funclib/evalnew.h"
#include "support/baronmodel.h"
#include "support/exprtest.h"

namespace {

using namespace exprtest;

struct halted {
  int code;
};
void throwhalt(int c) { throw halted{c}; }

// A pool with the differentiator's constants in place; free slots 2, 3, 4, 7 and 12 on
// hold the row's own constants.
std::vector<double> diffpool(const std::vector<double>& own = {}) {
  std::vector<double> p(11, 0.0);
  for (const gcutil::poolconstant& c : gcutil::diffpool)
    p[static_cast<std::size_t>(c.position) - 1] = c.value;
  const std::size_t free[] = {2, 3, 4, 7};
  std::size_t k = 0;
  for (const double v : own) {
    if (k < 4) {
      p[free[k++] - 1] = v;
    } else {
      p.push_back(v);
    }
  }
  return p;
}

code derive(const code& c, std::int32_t column, std::int32_t capacity = 1000,
            bool* overflow = nullptr) {
  code out(static_cast<std::size_t>(std::max(capacity, 1)));
  std::int32_t n = 0;
  const bool over =
      gcutil::diffcode(1, static_cast<std::int32_t>(c.size()), column, c, {}, out, n, capacity);
  if (overflow != nullptr) *overflow = over;
  out.resize(static_cast<std::size_t>(std::min(n, capacity)));
  return out;
}

std::string show(const code& c) {
  std::string s;
  for (const ctvnl::tnlcode& i : c) {
    s += std::string(q5rt::trim(ctvnl::nlcodetxt[static_cast<std::size_t>(ctvnl::code(i.opcode))]));
    if (i.operand != 0) s += " " + std::to_string(i.operand);
    s += "; ";
  }
  return s;
}

const ctvnl::tnlcode H = ins(opcode::header, 0);
ctvnl::tnlcode S(std::int32_t r) { return ins(opcode::store, r); }

TEST(GcutilDiff, DerivativeCodeTable) {
  constexpr std::int32_t x = 1, y = 2;
  const struct {
    code in;
    std::int32_t column;
    code want;
    const char* why;
  } rows[] = {
      {row({V(x), F1(9)}),
       x,
       {ins(opcode::header, 6), I(1), V(x), ins(opcode::muli, 6), Mul, S(1)},
       "sqr(x): 1*(2x)"},
      {row({V(x), ins(opcode::mulv, y)}),
       x,
       {ins(opcode::header, 4), I(1), ins(opcode::mulv, y), S(1)},
       "x*y by x keeps the other column's product"},
      {row({V(x), F1(2), ins(opcode::addi, 3)}),
       x,
       {ins(opcode::header, 3), I(8), S(1)},
       "floor(x)+3 is constant: the zero code"},
      {row({V(x), ins(opcode::mulv, x)}),
       x,
       {ins(opcode::header, 6), I(1), ins(opcode::mulv, x), V(x), Add, S(1)},
       "x*x through MulV: 1*x + x"},
      {row({V(x), V(x), Mul}),
       x,
       {ins(opcode::header, 9), I(1), V(x), Mul, I(1), V(x), Mul, Add, S(1)},
       "both factors depend: dv*u + du*v after the exchange"},
      {row({V(y), F1(10)}), x, {ins(opcode::header, 3), I(8), S(1)}, "the column does not occur"},
      {row({V(x), V(y), Sub}),
       y,
       {ins(opcode::header, 4), I(1), Neg, S(1)},
       "only the subtrahend depends"},
      {row({V(y), V(x), Div}),
       x,
       {ins(opcode::header, 9), I(1), V(y), Mul, Neg, V(x), F1(9), Div, S(1)},
       "y/x by x: -(1*y)/x^2"},
      {row({V(x), F1(11)}),
       x,
       {ins(opcode::header, 7), I(1), I(1), V(x), Div, Mul, S(1)},
       "log: 1/v"},
      {row({V(x), I(2), F2(21)}),
       x,
       {ins(opcode::header, 10), I(1), I(2), Mul, V(x), I(2), ins(opcode::subi, 1), F2(21), Mul,
        S(1)},
       "power with a constant exponent: du*v*power(u, v-1)"},
      {row({V(x), ins(opcode::subv, x)}),
       x,
       {ins(opcode::header, 4), I(1), ins(opcode::subi, 1), S(1)},
       "SubV of the column on a dependent top"},
      {row({V(y), ins(opcode::addv, x)}),
       x,
       {ins(opcode::header, 3), I(1), S(1)},
       "AddV of the column on an independent top"},
      {row({V(x), V(y), ins(opcode::muliadd, 2)}),
       y,
       {ins(opcode::header, 4), I(1), ins(opcode::muli, 2), S(1)},
       "MulIAdd with only the second operand dependent"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(show(derive(r.in, r.column)), show(r.want));
  }
}

TEST(GcutilDiff, CapacityTooSmall) {
  bool overflow = false;
  code out(2);
  std::int32_t n = 0;
  const code c = row({V(1), F1(9)});
  overflow = gcutil::diffcode(1, 4, 1, c, {}, out, n, 2);
  EXPECT_TRUE(overflow);
  EXPECT_EQ(n, 6);
  EXPECT_EQ(out[0].opcode, opcode::header);
  EXPECT_EQ(out[1].opcode, opcode::pushi);
  bool fits = true;
  (void)derive(c, 1, 6, &fits);
  EXPECT_FALSE(fits) << "exactly the capacity needed";
}

TEST(GcutilDiff, Messages) {
  const struct {
    code in;
    std::string line;
    const char* why;
  } rows[] = {
      {row({V(1), F1(19)}), "*** cannot diff CallArg1  ", "a one-argument function without a rule"},
      {row({V(1), V(2), F2(7)}), "*** cannot diff CallArg2  ", "min has no rule"},
      {row({V(1), V(2), ins(opcode::funcargn, 2), ins(opcode::callargn, 7)}),
       "*** cannot diff FuncArgN  ", "n-argument calls have no rule"},
      {row({V(1), ins(opcode::end)}), "differ: unknown instruction End        at location 3",
       "End inside a row"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const std::string out = testutil::stdoutof([&] { (void)derive(r.in, 1); });
    EXPECT_EQ(out.rfind(r.line, 0), 0u) << out;
  }
  // The n-argument call leaves well-formed code behind it.
  code c = row({V(1), V(2), ins(opcode::funcargn, 2), ins(opcode::callargn, 7)});
  testing::internal::CaptureStdout();
  EXPECT_EQ(show(derive(c, 1)), show({ins(opcode::header, 3), I(8), S(1)}));
  (void)testing::internal::GetCapturedStdout();
}

TEST(GcutilDiff, WrongStackEndsTheRunWithCodeOne) {
  gcutil::treehalthook = &throwhalt;
  const struct {
    code in;
    const char* why;
  } rows[] = {
      {{H, V(1), V(2), S(1)}, "two entries left"},
      {{H, Add, S(1)}, "an operation on an empty stack"},
      {{}, "an empty range"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    int code = -1;
    const std::string out = testutil::stdoutof([&] {
      try {
        (void)derive(r.in, 1);
      } catch (const halted& h) {
        code = h.code;
      }
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(out.rfind("differ: stack not equal to one, stack = ", 0), 0u) << out;
  }
  gcutil::treehalthook = nullptr;
}

// Random rows over every function with a rule; the derivative code's value must match the
// evaluator's gradient.
class rowmaker {
 public:
  explicit rowmaker(unsigned seed) : rng_(seed) {}
  code make() {
    code c{H};
    expr(c, 0);
    c.push_back(S(1));
    return c;
  }

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  std::int32_t column() { return 1 + pick(3); }
  std::int32_t constant() {
    static const std::int32_t slots[] = {2, 3, 4, 7};
    return slots[pick(4)];
  }
  void expr(code& c, int depth) {
    switch (depth >= 3 ? pick(3) : pick(16)) {
      case 0:
      case 1:
        c.push_back(V(column()));
        return;
      case 2:
        c.push_back(I(constant()));
        return;
      case 3:
      case 4: {
        static constexpr opcode ops[] = {opcode::add, opcode::sub, opcode::mul, opcode::div,
                                         opcode::muliadd};
        expr(c, depth + 1);
        expr(c, depth + 1);
        const opcode op = ops[pick(5)];
        c.push_back(ins(op, op == opcode::muliadd ? constant() : 0));
        return;
      }
      case 5: {
        static constexpr opcode ops[] = {opcode::addv, opcode::subv, opcode::mulv, opcode::divv};
        expr(c, depth + 1);
        c.push_back(ins(ops[pick(4)], column()));
        return;
      }
      case 6: {
        static constexpr opcode ops[] = {opcode::addi, opcode::subi, opcode::muli, opcode::divi};
        expr(c, depth + 1);
        c.push_back(ins(ops[pick(4)], constant()));
        return;
      }
      case 7:
        expr(c, depth + 1), c.push_back(Neg);
        return;
      case 8:
        c.push_back(ins(opcode::uminv, column()));
        return;
      case 9:
      case 10:
      case 11: {
        // sqr exp log log10 sqrt abs cos sin arctan errorf log2 and the step functions
        static constexpr std::int32_t fns[] = {9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 50, 1, 2, 6};
        expr(c, depth + 1);
        c.push_back(F1(fns[pick(14)]));
        return;
      }
      case 12: {
        // a variable base to a constant exponent: power, rPower, vcPower
        static constexpr std::int32_t fns[] = {21, 64, 75};
        expr(c, depth + 1);
        c.push_back(I(constant()));
        c.push_back(F2(fns[pick(3)]));
        return;
      }
      case 13: {  // a constant base to a variable exponent: rPower, cvPower
        static constexpr std::int32_t fns[] = {64, 74};
        c.push_back(I(constant()));
        expr(c, depth + 1);
        c.push_back(F2(fns[pick(2)]));
        return;
      }
      default:  // rPower of two expressions
        expr(c, depth + 1);
        expr(c, depth + 1);
        c.push_back(F2(64));
        return;
    }
  }
  std::mt19937 rng_;
};

TEST(GcutilDiff, DerivativeCodeMatchesTheGradient) {
  const std::vector<double> pool = diffpool({1.7, 0.6, 2.5, 3.0});
  ctvnew::tmathnewrec rec;
  ctvnew::mathnewrecinit(rec);
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> level(0.3, 2.0);
  int compared = 0;
  for (unsigned seed = 1; seed <= 400; ++seed) {
    SCOPED_TRACE(seed);
    const code c = rowmaker(seed).make();
    const std::int32_t last = static_cast<std::int32_t>(c.size());
    const std::vector<double> x = {level(rng), level(rng), level(rng)};
    double value = 0;
    std::int32_t errors = 0;
    q5rt::sstr msg;
    std::vector<double> tape(4000), grad(3, 0.0);
    const int rc = evalnew::gradeval(rec, 1, last, c, pool, x, value, tape, grad, errors, msg);
    if (rc != 0 || errors != 0 || !std::isfinite(value) || std::fabs(value) > 1e12) continue;
    for (std::int32_t col = 1; col <= 3; ++col) {
      std::string said;
      code d;
      said = testutil::stdoutof([&] { d = derive(c, col, 20000); });
      ASSERT_TRUE(said.empty()) << said << show(c);
      double got = 0;
      const int drc = evalnew::funeval(rec, 1, static_cast<std::int32_t>(d.size()), d, pool, x, got,
                                       errors, msg);
      ASSERT_EQ(drc, 0) << std::string_view(msg) << "\n" << show(c) << "\n" << show(d);
      const double want = grad[static_cast<std::size_t>(col) - 1];
      if (errors != 0 || !std::isfinite(want) || std::fabs(want) > 1e12) continue;
      EXPECT_NEAR(got, want, 1e-9 * std::max(1.0, std::fabs(want))) << show(c) << "\n" << show(d);
      ++compared;
    }
  }
  EXPECT_GT(compared, 500);
}

TEST(GcutilDiff, PoolCheck) {
  EXPECT_TRUE(gcutil::diffpoolok(diffpool()));
  std::vector<double> p = diffpool();
  p[9] = 0.5;
  EXPECT_FALSE(gcutil::diffpoolok(p));
  EXPECT_FALSE(gcutil::diffpoolok(std::vector<double>(10, 1.0)));
}

}  // namespace
