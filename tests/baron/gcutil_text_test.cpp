#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "baron/gcutil_internal.h"
#include "emp/empdata.h"
#include "funclib/evalnew.h"
#include "support/baronmodel.h"
#include "support/exprtest.h"

namespace {

using namespace exprtest;

using GcutilText = testutil::baronmodel;

// Function numbers of the function library.
constexpr std::int32_t fmin = 7, fmax = 8, fsqr = 9, fexp = 10, flog = 11, flog10 = 12, fsqrt = 13,
                       fabs_ = 14, fpower = 21, frpower = 64, fcvpower = 74;

// pool: 1: 2, 2: 3, 3: 1, 4: 0, 5: -1, 6: -2, 7: 0.5, 8: 2.5, 9: 4, 10: -0.5, 11: 1/3
const std::vector<double> pool = {2, 3, 1, 0, -1, -2, 0.5, 2.5, 4, -0.5, 1.0 / 3};

struct textrow {
  code body;
  const char* want;
  const char* why;
  bool checkvalue = true;  // the library's n-argument max looks at its first two only
};

const textrow textrows[] = {
    {{V(1), F1(fsqr)}, "x1^2", "sqr becomes power 2"},
    {{V(1), F1(fsqrt)}, "x1^0.5", "sqrt becomes rPower 0.5"},
    {{V(1), F1(fabs_)}, "(x1^2)^0.5", "abs becomes sqrt of sqr"},
    {{V(1), F1(flog10)}, "0.434294481903525*log(x1)", "log10 by its fixed factor"},
    {{V(1), I(2), F2(fpower)}, "x1^3", "power 3"},
    {{V(1), I(3), F2(fpower)}, "x1", "power 1 is its base"},
    {{V(1), I(4), F2(fpower)}, "1", "power 0 is 1"},
    {{V(1), I(5), F2(fpower)}, "1/x1", "power -1 is a quotient"},
    {{V(1), I(6), F2(fpower)}, "x1^(-2)", "a negative exponent in parentheses"},
    {{V(1), V(2), F2(frpower)}, "exp(x2*log(x1))", "rPower of two variables: base x1"},
    {{V(2), V(1), F2(frpower)}, "exp(x1*log(x2))", "rPower with the roles exchanged"},
    {{V(1), V(2), F2(fcvpower)}, "exp(x2*log(x1))", "cvPower is rPower"},
    {{I(1), V(1), F2(frpower)}, "2^x1", "constant base stays"},
    {{V(1), I(8), F2(frpower)}, "x1^2.5", "constant exponent stays"},
    {{V(1), I(10), F2(frpower)}, "x1^(-0.5)", "negative constant exponent stays"},
    {{I(4), F1(fexp), V(1), Mul}, "x1", "exp(0)*x folds to x"},
    {{I(7), F1(flog)}, "-0.693147180559945", "log(0.5) folds to a negated constant"},
    {{V(1), I(2), Sub}, "(-3) + x1", "x - 3"},
    {{I(2), V(1), Sub}, "3 - x1", "3 - x"},
    {{V(1), I(9), Div}, "0.25*x1", "x/4"},
    {{V(1), I(1), V(2), Mul, Div}, "0.5*x1/x2", "x/(2*y)"},
    {{I(1), V(1), Mul, V(2), Div}, "2*x1/x2", "(2*x)/y"},
    {{V(1), Neg, Neg}, "x1", "double negation"},
    {{V(1), V(2), V(3), Add, Mul}, "x1*(x2 + x3)", "sum as a factor"},
    {{V(1), V(2), Add, V(3), Mul}, "(x1 + x2)*x3", "sum as the left factor"},
    {{V(1), V(2), V(3), Mul, Div}, "x1/(x2*x3)", "product as a divisor"},
    {{V(1), V(2), Mul, V(3), Div}, "x1*x2/x3", "product divided"},
    {{V(1), V(2), V(3), Sub, Sub}, "x1 - (x2 - x3)", "difference subtracted"},
    {{V(1), V(2), V(3), Sub, Add}, "x1 + x2 - x3", "difference added"},
    {{V(1), V(2), Add, Neg}, "-(x1 + x2)", "negated sum"},
    {{V(1), F1(fsqr), Neg}, "-x1^2", "-(x1^2)"},
    {{V(1), Neg, F1(fsqr)}, "(-x1)^2", "(-x1)^2"},
    {{V(1), V(2), Add, I(1), F2(fpower)}, "(x1 + x2)^2", "sum as a base"},
    {{I(6), V(1), Add}, "(-2) + x1", "negative constant first in a sum"},
    {{I(6), V(1), Mul}, "-2*x1", "negative constant as a factor"},
    {{V(1), I(6), Mul, V(2), Add}, "x2 - 2*x1", "negative product in a sum"},
    {{V(1), V(2), V(3), ins(opcode::funcargn, 3), ins(opcode::callargn, fmax)},
     "max(x1,x2,x3)",
     "n-ary call",
     false},
    {{V(1), V(2), V(3), F2(fmin), F2(fmin)}, "min(x1,x2,x3)", "nested min joins"},
    {{V(1), V(2), ins(opcode::muliadd, 1)}, "x1 + 2*x2", "MulIAdd"},
    {{I(1), I(2), Mul, V(1), Add}, "6 + x1", "constants folded"},
    {{I(1), I(2), Sub, V(1), Mul}, "-x1", "2 - 3 = -1 and 1*x"},
    {{I(6), I(6), Add, V(1), Mul}, "-4*x1", "(-2) + (-2)"},
    {{V(1), I(11), ins(opcode::muli, 11), Add},
     "0.111111111111111 + x1",
     "15 digits, the constant first"},
    {{ins(opcode::uminv, 2), V(1), Add}, "x1 - x2", "UminV"},
    {{V(1), ins(opcode::addv, 2), ins(opcode::subi, 1), ins(opcode::divv, 3)},
     "(-2 + x1 + x2)/x3",
     "the V and I forms; a parenthesis already open spares the negation its own"},
};

TEST_F(GcutilText, Style2AfterRewritesAndFolding) {
  columns(3);
  for (const textrow& r : textrows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(text(row(r.body), pool), r.want);
  }
}

// The written text has the instruction code's value: a wrong operand order or sign shows.
TEST_F(GcutilText, TextValueAgreesWithTheInstructionCode) {
  columns(3);
  const std::vector<std::vector<double>> points = {
      {1.3, 0.7, 2.1}, {0.4, 2.9, 1.7}, {3.2, 1.1, 0.6}};
  ctvnew::tmathnewrec rec;
  ctvnew::mathnewrecinit(rec);
  for (const textrow& r : textrows) {
    SCOPED_TRACE(r.why);
    if (!r.checkvalue) continue;
    const code c = row(r.body);
    const std::string t = text(c, pool);
    for (const auto& x : points) {
      double want = 0;
      std::int32_t errors = 0;
      q5rt::sstr msg;
      ASSERT_EQ(evalnew::funeval(rec, 1, static_cast<std::int32_t>(c.size()), c, pool, x, want,
                                 errors, msg),
                0)
          << msg.view();
      double got = 0;
      ASSERT_NO_THROW(got = evaluator(t, x).value()) << t;
      EXPECT_NEAR(got, want, 1e-12 * std::max(1.0, std::fabs(want))) << t;
    }
  }
}

TEST_F(GcutilText, NumberTexts) {
  columns(1);
  const struct {
    double v;
    const char* want;
    const char* why;
  } rows[] = {
      {1.0 / 3, "0.333333333333333", "15 significant digits"},
      {1.5e-7, "1.5e-7", "small: exponent form with e"},
      {1e20, "1e20", "large"},
      {1.2345678901234568e17, "1.23456789012346e17", "15 digits in exponent form"},
      {0, "0", "zero"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(text(row({I(1)}), {r.v}, {.fold = false}), r.want);
  }
  EXPECT_EQ(text(row({I(1)}), {0.0}, {.style = 0, .fold = false}), "eps") << "style 0 zero";
}

TEST_F(GcutilText, PiecesAndWrapping) {
  columns(5);
  // Pieces reach the line writer one by one: a narrow width shows where lines may break.
  const code c = row({V(1), I(6), F2(fpower), V(2), V(3), Add, Neg, Mul});
  const std::string all = text(c, pool, {.fold = false});
  EXPECT_EQ(all, "x1^(-2)*(-(x2 + x3))");
  const std::string wrapped = pieces(
      [&] {
        gcutil::node* root = gcutil::buildtree(1, static_cast<std::int32_t>(c.size()), c, pool);
        gcutil::donlcode(root, 2, "", 0);
      },
      4);
  gcdata::frenlrec();
  EXPECT_EQ(wrapped, "x1^(\n-2)*\n(-(\nx2\n + \nx3))");
}

TEST_F(GcutilText, ObjectiveVariableNameAndFlag) {
  columns(5);
  gcdata::mymodel.objvar = 2;
  EXPECT_EQ(text(row({V(1), V(2), Add}), pool, {.objname = "objvar"}), "x1 + objvar");
  EXPECT_EQ(text(row({V(1), V(2), V(3), V(4), Add, Add, Add}), pool, {.fold = false, .flag = 1}),
            "x1 + (x2 + (x3 + x4))")
      << "the flag encloses nested sums";
  EXPECT_EQ(text(row({V(1), V(2), V(3), V(4), Add, Add, Add}), pool, {.fold = false}),
            "x1 + x2 + x3 + x4");
}

TEST_F(GcutilText, EveryStyleFamily) {
  columns(4);
  auto& m = gcdata::mymodel;
  m.coltype = {0, 3, 2, 0};
  m.colsosset = {0, 5, 0, 0};
  m.objvar = 1;
  // x1^2 (power), x2^0.5 (rPower), sign(x3), arctan(x4) over a sum
  const code c = row({V(1), I(1), F2(fpower), V(2), I(7), F2(frpower), Add, V(3), F1(6), Add, V(4),
                      F1(17), Mul, V(1), V(3), F2(fmax), Add});
  const struct {
    std::int32_t style;
    const char* want;
  } rows[] = {
      {0, "(POWER(x1,2) + s1s5('2')**0.5 + sign(i3))*arctan(x4) + max(x1,i3)"},
      {1, "(POWER(x1.l,2) + s1s5('2').l**0.5 + sign(i3.l))*arctan(x4.l) + max(x1.l,i3.l)"},
      {2, "(x1^2 + s1s2^0.5 + sign(i3))*arctan(x4) + max(x1,i3)"},
      {3,
       "(ZolmX(1)**2 + ZolmX(2)**0.5 + ZolmSign(ZolmX(3)))*atan(ZolmX(4)) + "
       "max(ZolmX(1),ZolmX(3))"},
      {4, "(x1^2 + s1s2**0.5 + sign(i3))*atan(x4) + max(x1,i3)"},
      {6, "(@pow(x1,2) + s1s2^0.5 + @sign(i3))*arctan(x4) + @smax(x1,i3)"},
      {7, "(POWER(x[1],2) + x[2]**0.5 + sign(x[3]))*arctan(x[4]) + max(x[1],x[3])"},
      {8, "(x1**2 + s1s2**0.5 + ZolmSign(i3))*atan(x4) + max(x1,i3)"},
      {9, "(pow(x[0],2) + pow(x[1],0.5) + sign(x[2]))*atan(x[3]) + max(x[0],x[2])"},
      {12, "(m.x1**2 + m.s1s2**0.5 + sign(m.i3))*atan(m.x4) + max(m.x1,m.i3)"},
      {13, "(x1^2 + s1s2^0.5 + sign(i3))*atan(x4) + max(x1,i3)"},
      {14, "($(x1)^2 + $(s1s2)^0.5 + sign($(i3)))*atan($(x4)) + max($(x1),$(i3))"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.style);
    EXPECT_EQ(text(c, pool, {.style = r.style, .rewrite = false, .fold = false}), r.want);
  }
  EXPECT_EQ(text(row({V(4), V(1), F2(4)}), pool, {.style = 4, .rewrite = false}),
            "((x4) mod (x1))");
  EXPECT_EQ(text(row({V(3), V(4), F2(fmax), V(4), F2(fmax)}), pool, {.style = 9, .rewrite = false}),
            "max(max(x[2],x[3]),x[3])")
      << "style 9 does not join";
  m.objvar = 2;
  EXPECT_EQ(text(row({V(1), V(3), Add}), pool, {.style = 9, .flag = 1}), "x[0] + x[1]")
      << "numbers skip the objective variable";
}

TEST_F(GcutilText, RewritingSwitches) {
  columns(2);
  const code sqrx = row({V(1), F1(fsqr)});
  const code absx = row({V(1), F1(fabs_)});
  const code rpow = row({V(1), V(2), F2(frpower)});
  const struct {
    const code& c;
    bool sqr, sqrt, log10, abs, power;
    const char* want;
  } rows[] = {
      {sqrx, false, true, true, true, true, "sqr(x1)"},
      {absx, false, true, true, true, true, "sqr(x1)^0.5"},
      {absx, true, false, true, true, true, "sqrt(x1^2)"},
      {absx, false, false, true, true, true, "sqrt(sqr(x1))"},
      {absx, true, true, true, false, true, "abs(x1)"},
      {row({V(1), F1(flog10)}), true, true, false, true, true, "log10(x1)"},
      {row({V(1), F1(fsqrt)}), true, false, true, true, true, "sqrt(x1)"},
      {rpow, true, true, true, true, false, "x1^x2"},
      {row({V(1), I(3), F2(fpower)}), false, false, false, false, false, "x1"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.want);
    const std::string out = pieces([&] {
      gcutil::node* root = gcutil::buildtree(1, static_cast<std::int32_t>(r.c.size()), r.c, pool);
      gcutil::transformtree(gcdata::mymodel.nodefirst, r.sqr, r.sqrt, r.log10, r.abs, r.power);
      gcutil::donlcode(root, 2, "", 0);
    });
    gcdata::frenlrec();
    EXPECT_EQ(out, r.want);
  }
}

// A variable is written under the column's plain name in the styles that name columns:
// type prefix, the number the EMP record writes it under, the follower's suffix.
TEST_F(GcutilText, VariablesCarryThePlainColumnNames) {
  columns(5);
  auto& m = gcdata::mymodel;
  m.coltype = {0, 1, 2, 0, 1};
  std::int32_t agentofcol[] = {0, 2, 1, 2, 2, 0};
  std::int32_t qviorig[] = {0, 0, 0, 1, 0, 2};
  auto& e = empdata::myemp;
  for (const bool emp : {false, true}) {
    if (emp) {
      gcutil::setfollowerid(2);
      e.isequilibrium = 1;
      e.numcols = 5;
      e.agentofcol = agentofcol;
      e.qviorigofpar = qviorig;
      e.numqvipar = 2;
    }
    for (const std::int32_t style : {0, 1, 2, 4, 5, 6, 8, 10}) {
      for (std::int32_t c = 1; c <= 5; ++c) {
        SCOPED_TRACE(testing::Message() << "emp " << emp << " style " << style << " column " << c);
        const std::string want =
            std::string(gcutil::detail::plaincolname(c).view()) + (style == 1 ? ".l" : "");
        EXPECT_EQ(text(row({V(c)}), pool, {.style = style, .rewrite = false, .fold = false}), want);
      }
    }
  }
  EXPECT_EQ(gcutil::detail::plaincolname(3).view(), "i1_2") << "the record is in force";
  gcutil::setfollowerid(0);
  empdata::clearrecord();
}

TEST_F(GcutilText, HullSubstitution) {
  columns(2);
  auto& m = gcdata::mymodel;
  m.colboundclass = {0, 4};
  m.collower = {0, 0};
  const code c = row({V(1), V(2), Add});
  std::string out = pieces([&] {
    gcutil::node* root = gcutil::buildtree(1, static_cast<std::int32_t>(c.size()), c, pool);
    gcutil::donlcodedirty(root, 2, "", 0, "lam", 3, 4);
  });
  gcdata::frenlrec();
  EXPECT_EQ(out, "(V1_3_4/lam) + x2") << "a column fixed at 0 keeps its name";
  EXPECT_TRUE(gcutil::chlambda.empty());
}

}  // namespace
