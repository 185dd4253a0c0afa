// The dispatch by function number and the derivatives it makes by differences.
#include "funclib/genextfunc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "funclib/ctvnew.h"
#include "funclib/mathnew.h"
#include "instance/zlmspecs.h"

namespace {

constexpr double undef = zlmspecs::valund;
constexpr std::int32_t extrinsic = 65537;  // library 1, function 1

constexpr int f_sqr = 9, f_exp = 10, f_log = 11, f_rpower = 64, f_vcpower = 75, f_forceerror = 114,
              f_jstart = 24, f_edist = 65, f_lsemax = 125;

ctvnew::tmathnewrec fresh(int level, int nargs, int numderiv = 0) {
  ctvnew::tmathnewrec rec{};
  ctvnew::mathnewrecinit(rec);
  rec.level = level;
  rec.nargs = nargs;
  rec.numderiv = numderiv;
  return rec;
}

TEST(GenextfuncNames, IntrinsicAndOtherNumbers) {
  struct caserow {
    std::int32_t fnr;
    const char* name;
    const char* why;
  };
  constexpr caserow rows[] = {
      {9, "sqr", "an intrinsic row"},      {66, "div", "division"},
      {129, " unknown*", "the last row"},  {-1, " unknown*", "a negative number"},
      {130, " unknown*", "names nothing"}, {extrinsic, " unknown*", "no library is loaded"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(r.name, genextfunc::genericfuncname(r.fnr).str());
  }
  EXPECT_EQ("x", genextfunc::genericfuncargname(f_vcpower, 1).str());
  EXPECT_EQ("X", genextfunc::genericfuncargname(f_vcpower, 2).str());
  EXPECT_EQ("X", genextfunc::genericfuncargname(f_vcpower, 21).str());
  EXPECT_EQ("", genextfunc::genericfuncargname(extrinsic, 1).str());
  EXPECT_EQ(1, genextfunc::genericfuncargtype(f_rpower, 2));
  EXPECT_EQ(0, genextfunc::genericfuncargtype(extrinsic, 1));
  EXPECT_EQ(mathnew::functs(f_exp).str(), genextfunc::genericfuncts(f_exp).str());

  q5rt::sstr name;
  std::int32_t mn = -1, mx = -1, smooth = -1, varargs = -1, maxderiv = -1;
  bool equnever = true;
  genextfunc::genericfuncinfo(f_lsemax, name, mn, mx, smooth, varargs, equnever, maxderiv);
  EXPECT_EQ("LSEMax", name.str());
  EXPECT_EQ(20, varargs);
  EXPECT_EQ(2, maxderiv);
  EXPECT_FALSE(equnever);
  genextfunc::genericfuncinfo(extrinsic, name, mn, mx, smooth, varargs, equnever, maxderiv);
  EXPECT_EQ(0, maxderiv);
  EXPECT_EQ(0, varargs);

  bool flag = true;
  const double degrees[2] = {1, 0};
  EXPECT_EQ(0, genextfunc::genericisquad(21, 2.0, 2, degrees, flag));
  EXPECT_TRUE(flag);
  EXPECT_EQ(0, genextfunc::genericisquad(extrinsic, 2.0, 2, degrees, flag));
  EXPECT_FALSE(flag);
  EXPECT_EQ(0, genextfunc::genericislogic(53, flag));
  EXPECT_TRUE(flag);
  EXPECT_EQ(0, genextfunc::genericislogic(extrinsic, flag));
  EXPECT_FALSE(flag);
}

// A callback that counts its calls and answers a fixed code.
struct counting {
  int answer = -1;  // -1: the default rule
  int calls = 0;
  static int cb(int rc, int ec, const q5rt::sstr& /*msg*/, void* mem) {
    auto* self = static_cast<counting*>(mem);
    ++self->calls;
    if (self->answer >= 0) return self->answer;
    return ec == ctvnew::ec_overflow ? 0 : rc;
  }
};

TEST(GenextfuncEval, NumbersWithoutAFunctionReportThroughTheCallback) {
  struct caserow {
    std::int32_t fnr;
    const char* msg;
  };
  constexpr caserow rows[] = {
      {extrinsic, " unknown*: SYSTEM ERROR: extrinsic function not available (index=65537)"},
      {200, " unknown*: SYSTEM ERROR: extrinsic function not available (index=200)"},
      {-7, " unknown*: SYSTEM ERROR: unknown function index (index=-7): can/should not happen"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.msg);
    auto rec = fresh(2, 2, 2);
    counting cb;
    rec.logerror = &counting::cb;
    rec.usermem = &cb;
    rec.f = 5;
    double args[2] = {1, 2};
    EXPECT_EQ(4, genextfunc::genericfunceval(rec, r.fnr, args));
    EXPECT_EQ(r.msg, rec.msg.str());
    EXPECT_EQ(1, cb.calls) << "one report, no differences";
    EXPECT_EQ(0, rec.f);
    EXPECT_EQ(2, rec.level);
    cb.answer = 0;
    EXPECT_EQ(0, genextfunc::genericfunceval(rec, r.fnr, args)) << "a forgiving callback";
  }
}

TEST(GenextfuncEval, ArgumentCountOutsideTheRecordIsRefused) {
  for (int n : {-1, 21, 1000}) {
    SCOPED_TRACE(n);
    auto rec = fresh(2, n, 2);
    double args[1] = {1};  // never read beyond its end
    EXPECT_EQ(4, genextfunc::genericfunceval(rec, f_exp, args));
    EXPECT_EQ(undef, genextfunc::genericgradnumeric(rec, f_exp, args, 1));
    EXPECT_EQ(undef, genextfunc::generichessnumeric(rec, f_exp, args, 1, 1));
  }
}

// ForceError counts its calls in the record: the number of evaluations a request makes.
int evaluations(int level, int numderiv, bool keepgrad = true) {
  auto rec = fresh(level, 6, numderiv);
  rec.keepgrad = keepgrad ? 1 : 0;
  double args[6] = {0.5, 0, 1e9, 0, 1, 1};  // x1, never fires
  (void)genextfunc::genericfunceval(rec, f_forceerror, args);
  return rec.forceerrorcount;
}

TEST(GenextfuncEval, EvaluationCounts) {
  struct caserow {
    int level, numderiv;
    bool keepgrad;
    int count;
    const char* why;
  };
  constexpr caserow rows[] = {
      {2, 0, true, 1, "everything analytic: one evaluation"},
      {1, 2, true, 3, "gradient of one variable argument by differences: 1 + 2"},
      {2, 1, true, 3, "Hessian from analytic gradients: 1 + 2 at level 1"},
      {2, 1, false, 5, "Hessian from second differences of values: 1 + 2 x 2"},
      {2, 2, true, 7, "gradient 2 and Hessian 2 x 2"},
      {0, 2, true, 1, "value only"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(r.count, evaluations(r.level, r.numderiv, r.keepgrad));
  }
}

struct point {
  std::int32_t fnr;
  int nargs;
  double a1, a2;
  const char* why;
};

constexpr point points[] = {
    {f_exp, 1, 0.7, 0, "exp"},
    {f_log, 1, 2.5, 0, "log"},
    {f_sqr, 1, -3.0, 0, "sqr (step scaled by |x| = 3)"},
    {f_rpower, 2, 1.7, 2.3, "rPower, two variable arguments"},
    {f_edist, 2, -0.8, 1.9, "EDist"},
    {f_lsemax, 2, 0.3, -0.2, "LSEMax"},
};

TEST(GenextfuncEval, DifferencesMatchTheAnalyticDerivatives) {
  struct moderow {
    int numderiv;
    bool keepgrad;
    double gtol, htol;
    const char* why;
  };
  constexpr moderow modes[] = {
      {1, true, 0, 1e-8, "Hessian from analytic gradients"},
      {1, false, 0, 1e-4, "Hessian from second differences, analytic gradient kept"},
      {2, true, 1e-8, 1e-4, "everything from values"},
  };
  for (const auto& p : points) {
    auto exact = fresh(2, p.nargs);
    double args[2] = {p.a1, p.a2};
    ASSERT_EQ(0, genextfunc::genericfunceval(exact, p.fnr, args));
    for (const auto& m : modes) {
      SCOPED_TRACE(std::string(p.why) + ", " + m.why);
      auto rec = fresh(2, p.nargs, m.numderiv);
      rec.keepgrad = m.keepgrad ? 1 : 0;
      EXPECT_EQ(0, genextfunc::genericfunceval(rec, p.fnr, args));
      EXPECT_EQ(exact.f, rec.f) << "the base value, not a displaced one";
      EXPECT_EQ(2, rec.level);
      EXPECT_EQ(p.a1, args[0]);
      EXPECT_EQ(p.a2, args[1]);
      for (int i = 0; i < p.nargs; ++i) {
        const double ge = exact.g[i];
        EXPECT_NEAR(ge, rec.g[i], m.gtol * std::max(1.0, std::fabs(ge))) << "g" << i + 1;
        for (int j = 0; j < p.nargs; ++j) {
          const double he = exact.h[i][j];
          EXPECT_NEAR(he, rec.h[i][j], m.htol * std::max(1.0, std::fabs(he)))
              << "h" << i + 1 << j + 1;
          EXPECT_EQ(rec.h[i][j], rec.h[j][i]) << "symmetric by construction";
        }
      }
    }
  }
}

TEST(GenextfuncEval, ConstantArgumentsGetZerosWithoutEvaluation) {
  auto rec = fresh(2, 2, 2);
  for (auto& g : rec.g) g = 77;
  for (auto& row : rec.h)
    for (auto& h : row) h = 77;
  double args[2] = {2.0, 3.0};  // x**3 with the exponent a constant
  EXPECT_EQ(0, genextfunc::genericfunceval(rec, f_vcpower, args));
  EXPECT_NEAR(12.0, rec.g[0], 1e-8);
  EXPECT_NEAR(12.0, rec.h[0][0], 1e-4);
  EXPECT_EQ(0, rec.g[1]);
  EXPECT_EQ(0, rec.h[0][1]);
  EXPECT_EQ(0, rec.h[1][0]);
  EXPECT_EQ(0, rec.h[1][1]);
  EXPECT_EQ(77, rec.g[2]) << "entries beyond nargs are not written";
}

TEST(GenextfuncEval, DisplacedEvaluationsNeverOverwriteEntriesMade) {
  // div writes its gradient whatever the level: the evaluations for the second position
  // (at y -+ s) must not replace the first entry, 1/y, by 1/(y + s).
  auto rec = fresh(1, 2, 2);
  rec.step = 0.1;
  rec.scalestep = 0;
  double args[2] = {1.0, 2.0};
  EXPECT_EQ(0, genextfunc::genericfunceval(rec, 66, args));
  EXPECT_NEAR(0.5, rec.g[0], 1e-14);
  EXPECT_NEAR((1 / 2.1 - 1 / 1.9) / 0.2, rec.g[1], 1e-14);
  EXPECT_EQ(0.5, rec.f);
}

TEST(GenextfuncDifferences, StepRules) {
  struct caserow {
    double step;
    std::uint8_t scalestep;
    double x;
    double used;  // the step the quotient must have used
    const char* why;
  };
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr double inf = std::numeric_limits<double>::infinity();
  constexpr caserow rows[] = {
      {0.1, 1, -3.0, 0.3, "|x| > 1 scales the step"},
      {0.1, 1, 1.0, 0.1, "|x| = 1 keeps the step"},
      {0.1, 0, -3.0, 0.1, "scaling off"},
      {0.0, 0, 0.5, 1e-5, "a step of 0 is taken as 1e-5"},
      {nan, 0, 0.5, 1e-5, "a NaN step is taken as 1e-5"},
      {inf, 0, 0.5, 1e-5, "an infinite step is taken as 1e-5"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    auto rec = fresh(0, 1);
    rec.step = r.step;
    rec.scalestep = r.scalestep;
    double args[1] = {r.x};
    const double expect = (std::exp(r.x + r.used) - std::exp(r.x - r.used)) / r.used * 0.5;
    EXPECT_NEAR(expect, genextfunc::genericgradnumeric(rec, f_exp, args, 1), 1e-9 * expect);
    EXPECT_EQ(r.x, args[0]);
  }
}

TEST(GenextfuncDifferences, OneSidedAndUndefinedQuotients) {
  auto rec = fresh(0, 1);
  double args[1] = {0.5e-5};  // log is undefined at x - step
  const double s = 1e-5;
  EXPECT_DOUBLE_EQ((std::log(args[0] + s) - std::log(args[0])) / s,
                   genextfunc::genericgradnumeric(rec, f_log, args, 1));
  args[0] = -1;  // undefined on both sides
  EXPECT_EQ(undef, genextfunc::genericgradnumeric(rec, f_log, args, 1));
  EXPECT_EQ(undef, genextfunc::genericgradnumeric(rec, f_jstart, args, 1))
      << "execution-time functions are never differenced";
  args[0] = 1;
  EXPECT_EQ(undef, genextfunc::genericgradnumeric(rec, f_exp, args, 0));
  EXPECT_EQ(undef, genextfunc::genericgradnumeric(rec, f_exp, args, 2));
  EXPECT_EQ(undef, genextfunc::generichessnumeric(rec, f_exp, args, 1, 2));
  EXPECT_EQ(undef, genextfunc::gradeval(rec, f_exp, args, 2));
  rec.level = 1;
  EXPECT_DOUBLE_EQ(std::exp(1.0), genextfunc::gradeval(rec, f_exp, args, 1))
      << "analytic at level 1";
}

TEST(GenextfuncInterval, ExtrinsicRangesAreUnbounded) {
  auto rec = fresh(0, 0);
  std::int32_t fnr = extrinsic;
  const double lo[3] = {0, 0, 0}, hi[3] = {1, 1, 1};
  double flo = 0, fhi = 0, glo[3] = {}, ghi[3] = {};
  EXPECT_EQ(0, genextfunc::genericfuncinterval(rec, 3, fnr, lo, hi, flo, fhi, glo, ghi));
  EXPECT_EQ(3, rec.nargs);
  EXPECT_EQ(-1e299, flo);
  EXPECT_EQ(1e299, fhi);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(-1e299, glo[i]);
    EXPECT_EQ(1e299, ghi[i]);
  }
  EXPECT_EQ(4, genextfunc::genericfuncinterval(rec, 21, fnr, lo, hi, flo, fhi, glo, ghi));
}

TEST(GenextfuncEval, LinkLogError) {
  auto rec = fresh(0, 1);
  genextfunc::genericlinklogerror(rec, &counting::cb);
  EXPECT_EQ(&counting::cb, rec.logerror);
  genextfunc::genericlinklogerror(rec, nullptr);
  EXPECT_EQ(&mathnew::logerrorx, rec.logerror);
}

}  // namespace
