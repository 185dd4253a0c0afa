// A row's code as DAG nodes and edges.
#include "baron/dagger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/exprtest.h"
#include "support/testutil.h"

namespace {

using namespace exprtest;

// The lines makedag writes for the code with two columns and one row before it (the row's
// node is 2), operation nodes from 3 on.
std::string dag(const code& c, std::int32_t& last, const std::vector<double>& pool = {2.5, 4}) {
  testutil::tempdir dir;
  q5rt::textfile f;
  f.assign(dir.file("d"));
  f.rewrite();
  dagger::makedag(f, last, 1, static_cast<std::int32_t>(c.size()), 1, c, pool);
  f.close();
  return testutil::read_file(dir.file("d"));
}

std::string dag(const code& c) {
  std::int32_t last = 2;
  return dag(c, last);
}

TEST(Dagger, NodesAndEdges) {
  const struct {
    code c;
    std::string lines;
    const char* why;
  } rows[] = {
      {row({V(1), V(2), Mul}), "<3> *\n<E> 3 0 1\n<E> 3 1 1\n<E> 2 3 1\n",
       "a product of two columns"},
      {row({V(1), F1(9)}), "<3> 2\n<E> 3 0 1\n<E> 2 3 1\n", "sqr is written 2"},
      {row({V(1), I(2), F2(21)}), "<3> C 4\n<4> ^\n<E> 4 0 1\n<E> 4 3 1\n<E> 2 4 1\n",
       "power is written ^"},
      {row({V(1), ins(opcode::subi, 1)}), "<3> C -2.5\n<4> +\n<E> 4 0 1\n<E> 4 3 1\n<E> 2 4 1\n",
       "SubI: the negated constant, then the sum"},
      {row({V(1), V(2), Sub}), "<3> +\n<E> 3 0 1\n<E> 3 1 -1\n<E> 2 3 1\n", "a difference"},
      {row({V(1), V(2), ins(opcode::muliadd, 1)}), "<3> +\n<E> 3 0 1\n<E> 3 1 2.5\n<E> 2 3 1\n",
       "MulIAdd: the constant on the edge"},
      {row({ins(opcode::uminv, 2)}), "<3> +\n<E> 3 1 -1\n<E> 2 3 1\n", "a negated column"},
      {row({V(1), ins(opcode::divv, 2), ins(opcode::pushzero), Add}),
       "<3> /\n<E> 3 0 1\n<E> 3 1 1\n<4> C 0\n<5> +\n<E> 5 3 1\n<E> 5 4 1\n<E> 2 5 1\n",
       "DivV and PushZero"},
      {row({V(2)}), "<E> 2 1 1\n", "a bare column: the row's edge goes to the column"},
      {row({V(1), V(2), ins(opcode::funcargn, 2), ins(opcode::callargn, 7)}),
       "ViennDags **** unknown instruction FuncArgN   at location 4\n"
       "ViennDags **** unknown instruction CallArgN   at location 5\n"
       "<E> 2 1 1\nViennaDag **** stack not equal to one, stack = 2\n",
       "n-argument calls cannot be expressed"},
      {row({Add}), "ViennaDag **** stack underflow at location 2\n",
       "an empty stack popped ends the row"},
      {row({I(7)}), "ViennaDag **** operand out of range at location 2\n",
       "a pool entry past the pool"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(dag(r.c), r.lines);
  }
}

TEST(Dagger, CounterRunsOnAndStackBound) {
  std::int32_t last = 2;
  (void)dag(row({V(1), F1(10)}), last);
  EXPECT_EQ(last, 3);
  EXPECT_EQ(dag(row({V(1), F1(10)}), last), "<4> exp\n<E> 4 0 1\n<E> 2 4 1\n")
      << "numbers go on across rows";
  code deep{ins(opcode::header)};
  for (int k = 0; k < 202; ++k) deep.push_back(V(1));
  EXPECT_EQ(dag(deep), "ViennaDag **** stack overflow at location 203\n");
  std::int32_t none = 5;
  const code c = row({V(1)});
  testutil::tempdir dir;
  q5rt::textfile f;
  f.assign(dir.file("d"));
  f.rewrite();
  dagger::makedag(f, none, 0, 3, 1, c, {});
  dagger::makedag(f, none, 3, 2, 1, c, {});
  f.close();
  EXPECT_EQ(testutil::read_file(dir.file("d")),
            "ViennaDag **** stack not equal to one, stack = 0\n")
      << "first 0 is a linear row; first > last an empty range";
}

}  // namespace
