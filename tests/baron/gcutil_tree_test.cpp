#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/baronmodel.h"
#include "support/exprtest.h"

namespace {

using namespace exprtest;

using GcutilTree = testutil::baronmodel;

std::string dump(const code& c, const std::vector<double>& pool) {
  return testutil::stdoutof([&] {
    gcutil::node* root = gcutil::buildtree(1, static_cast<std::int32_t>(c.size()), c, pool);
    gcutil::dumptree(root != nullptr ? gcdata::mymodel.nodefirst : nullptr, "t");
    gcdata::frenlrec();
  });
}

const std::string head = "\nDump Equ Tree t\n\n   Node   Left  Right  OpCode    Field\n";

TEST_F(GcutilTree, BuildingShapes) {
  columns(3);
  const struct {
    code c;
    std::vector<double> pool;
    std::string nodes;
    const char* why;
  } rows[] = {
      {{V(3), I(1), Mul, ins(opcode::store, 7)},
       {-2},
       "      1  x3\n      2  PushI      =2\n      3      2         Umin      \n"
       "      4      1      3  Mul       \n      5      4         Store      e7\n",
       "a negative pool constant is a negation over its magnitude"},
      {{V(1), V(2), ins(opcode::muliadd, 1)},
       {4},
       "      1  x1\n      2  x2\n      3  PushI      =4\n      4      2      3  Mul       \n"
       "      5      1      4  Add       \n",
       "MulIAdd: constant, product, sum"},
      {{V(1), V(2), V(3), ins(opcode::funcargn, 3), ins(opcode::callargn, 8)},
       {},
       "      1  x1\n      2  x2\n      3  x3\n      4      1      5  FuncArgN   1\n"
       "      5      2      6  FuncArgN   2\n      6      3         FuncArgN   3\n"
       "      7      4         CallArgN   8\n",
       "FuncArgN and CallArgN are one step"},
      {{V(1), V(2), F2(75)},
       {},
       "      1  x1\n      2  x2\n      3      1      2  CallArg2   64\n",
       "vcPower becomes rPower"},
      {{ins(opcode::pushzero), ins(opcode::uminv, 2), Add},
       {},
       "      1  PushI      =0\n      2  x2\n      3      2         Umin      \n"
       "      4      1      3  Add       \n",
       "PushZero and UminV"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    std::string want = r.nodes;
    // variables: "      n" then the blanks of two empty children, "  PushV     " and " x"
    for (std::size_t at = want.find("  x"); at != std::string::npos;
         at = want.find("  x", at + 30)) {
      want.replace(at, 3, "                PushV      x");
    }
    for (std::size_t at = want.find("  PushI      ="); at != std::string::npos;
         at = want.find("  PushI      =", at + 30)) {
      want.replace(at, 14, "                PushI      =");
    }
    EXPECT_EQ(dump(r.c, r.pool), head + want);
  }
}

TEST_F(GcutilTree, PoolReuseAndEmptyDump) {
  gcdata::frenlrec();
  gcutil::node* a = gcdata::getnlrec();
  gcutil::node* b = gcdata::getnlrec();
  EXPECT_EQ(b->number, 2);
  gcdata::frenlrec();
  gcutil::node* again = gcdata::getnlrec();
  EXPECT_EQ(again, a) << "the first in use comes back first";
  EXPECT_EQ(again->number, 1);
  EXPECT_EQ(gcdata::getnlrec(), b);
  gcdata::frenlrec();
  EXPECT_EQ(testutil::stdoutof([] { gcutil::dumptree(nullptr, "t"); }), head + "empty\n");
}

TEST_F(GcutilTree, MalformedCodeIsReportedAndRefused) {
  columns(2);
  const struct {
    code c;
    std::string lines;
    bool refused;
    const char* why;
  } rows[] = {
      {{V(1), ins(opcode::end), ins(opcode::store, 1)},
       "Buildtree: unknown instruction End        at location 2\n",
       false,
       "an instruction that may not stand in a tree is skipped"},
      {{V(1), ins(opcode::callargn, 8)},
       "Buildtree: unknown instruction CallArgN   at location 2\n",
       false,
       "CallArgN without FuncArgN"},
      {{V(1), V(2)}, "Buildtree: stack not equal to one, stack = 2\n", true, "two entries left"},
      {{V(1), Add},
       "Buildtree: malformed instruction Add        at location 2\n",
       true,
       "Add with one entry"},
      {{V(1), V(2), ins(opcode::funcargn, 3), ins(opcode::callargn, 8)},
       "Buildtree: malformed instruction FuncArgN   at location 3\n",
       true,
       "more arguments than entries"},
      {{V(1), V(2), ins(opcode::funcargn, 2), Add},
       "Buildtree: malformed instruction FuncArgN   at location 3\n",
       true,
       "FuncArgN without CallArgN"},
      {{V(3)},
       "Buildtree: malformed instruction PushV      at location 1\n",
       true,
       "column above the count"},
      {{V(0)}, "Buildtree: malformed instruction PushV      at location 1\n", true, "column 0"},
      {{V(1), ins(opcode::addi, 2)},
       "Buildtree: malformed instruction AddI       at location 2\n",
       true,
       "pool entry above the pool"},
      {{I(-1)},
       "Buildtree: malformed instruction PushI      at location 1\n",
       true,
       "negative pool entry"},
      {{ins(static_cast<opcode>(77))},
       "Buildtree: unknown instruction 77         at location 1\n"
       "Buildtree: stack not equal to one, stack = 0\n",
       true,
       "an opcode byte outside the table"},
  };
  const std::vector<double> pool = {1.0};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    bool refused = false;
    const std::string out = testutil::stdoutof([&] {
      refused = gcutil::buildtree(1, static_cast<std::int32_t>(r.c.size()), r.c, pool) == nullptr;
    });
    gcdata::frenlrec();
    EXPECT_EQ(out, r.lines);
    EXPECT_EQ(refused, r.refused);
  }
  EXPECT_EQ(testutil::stdoutof([] { EXPECT_EQ(gcutil::buildtree(3, 2, {}, {}), nullptr); }),
            "Buildtree: stack not equal to one, stack = 0\n")
      << "an empty range";
}

// The halts end the run with exit code 0 and their line on standard output (sent to
// standard error here, where the death test can see it).
void halting(const code& c, const std::vector<double>& pool) {
  ::dup2(2, 1);
  gcutil::node* root = gcutil::buildtree(1, static_cast<std::int32_t>(c.size()), c, pool);
  gcutil::transformtree(gcdata::mymodel.nodefirst, true, true, true, true, true);
  gcutil::cleantree(gcdata::mymodel.nodefirst);
  (void)root;
  std::_Exit(3);
}

TEST_F(GcutilTree, StackOverflowAndDivisionByZeroHalt) {
  columns(2);
  code full(200, V(1));
  full.insert(full.end(), 199, Add);
  EXPECT_NE(text(row(full), {}).find("x1 + x1"), std::string::npos) << "200 entries build";
  code over(201, V(1));
  EXPECT_EXIT(halting(over, {}), testing::ExitedWithCode(0),
              "\\*\\*\\* Stack overflow in buildtree \\(maxstack=200\\)\n");
  EXPECT_EXIT(halting(row({V(1), I(1), Div}), {0}), testing::ExitedWithCode(0),
              "\\*\\*\\* Division by zero in clean one\n");
  EXPECT_EXIT(halting(row({I(2), I(1), Div}), {0, 3}), testing::ExitedWithCode(0),
              "\\*\\*\\* Division by zero in clean one\n")
      << "two constants";
  EXPECT_EXIT(halting(row({V(1), I(1), V(2), Mul, Div}), {0}), testing::ExitedWithCode(0),
              "\\*\\*\\* Division by zero in clean two\n");
}

TEST_F(GcutilTree, FoldingEdges) {
  columns(2);
  // power(x2 + x1/0, 0): the whole base goes, its unreachable x1/0 with it
  EXPECT_EQ(text(row({V(2), V(1), I(1), Div, Add, I(1), F2(21)}), {0}), "1");
  EXPECT_EQ(text(row({I(1), I(2), Mul, V(1), Add}), {1e200, 1e200}), "1e200*1e200 + x1")
      << "an overflowing fold is not made";
  EXPECT_EQ(text(row({I(1), F1(11), V(1), Add}), {0}), "log(0) + x1")
      << "a failed evaluation stays";
  EXPECT_EQ(text(row({V(1), I(1), Div}), {1e-320}), "x1/9.99988867182683e-321")
      << "1/c overflows: the quotient stays";
}

std::string reformed(double coef) {
  columns(2);
  const code c = row({V(1), V(2), Add});
  const std::string out = pieces([&] {
    gcutil::node* root = gcutil::buildtree(1, static_cast<std::int32_t>(c.size()), c, {});
    gcutil::simplereform(root, coef);
    gcutil::cleantree(gcdata::mymodel.nodefirst);
    gcutil::donlcode(root, 2, "", 0);
  });
  gcdata::frenlrec();
  return out;
}

TEST_F(GcutilTree, ObjectiveReformulation) {
  EXPECT_EQ(reformed(-1), "x1 + x2");
  EXPECT_EQ(reformed(2), "-0.5*(x1 + x2)");
  EXPECT_EQ(reformed(0), "1e100*(x1 + x2)");
  EXPECT_EQ(reformed(-4), "0.25*(x1 + x2)");
}

TEST_F(GcutilTree, Listings) {
  columns(2);
  const code c = row({V(1), I(1), Add, F1(10)});
  const std::vector<double> pool = {2.5};
  testutil::tempdir dir;
  q5rt::textfile f;
  f.assign(dir.file("l.txt"));
  f.rewrite();
  gcutil::node* root = gcutil::buildtree(1, static_cast<std::int32_t>(c.size()), c, pool);
  ASSERT_NE(root, nullptr);
  gcutil::dumpnlrec(f, gcdata::mymodel.nodefirst);
  gcutil::dumpnlcode(f, "Code of e1", c, pool, 1, static_cast<std::int32_t>(c.size()));
  f.close();
  gcdata::frenlrec();
  EXPECT_EQ(testutil::read_file(dir.file("l.txt")),
            "      1                PushV     1\n"
            "      2                PushI     1  2.5\n"
            "      3      1      2  Add       0\n"
            "      4      3         CallArg1  10 exp\n"
            "      5      4         Store     1\n"
            "\nCode of e1\n"
            "\n     1 Header           \n"
            "     2 PushV         1  v1\n"
            "     3 PushI         1  2.5\n"
            "     4 Add              \n"
            "     5 CallArg1     10  exp\n"
            "     6 Store         1  e1\n");
}

TEST_F(GcutilTree, SearchCode) {
  const code c = {V(1), ins(opcode::mulv, 4), I(7)};
  EXPECT_TRUE(gcutil::searchcode(c, 3, 4));
  EXPECT_FALSE(gcutil::searchcode(c, 1, 4)) << "only the first count instructions";
  EXPECT_FALSE(gcutil::searchcode(c, 3, 7)) << "a pool entry is no column";
  EXPECT_FALSE(gcutil::searchcode(c, 99, 9));
}

}  // namespace
