// The evaluation record: its two ways of initialisation, the infinity, the default callbacks
// and the error report.
#include "funclib/ctvnew.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "funclib/mathnew.h"

namespace {

TEST(CtvnewRecord, InitAndCreateSetTheirOwnDefaults) {
  ctvnew::tmathnewrec rec{};
  rec.f = 7;
  rec.ec = rec.rc = rec.fnr = 9;
  rec.msg = q5rt::sstr::cut("old");
  ctvnew::mathnewrecinit(rec);
  EXPECT_EQ(7, rec.f) << "f is not touched";
  EXPECT_EQ(0, rec.ec);
  EXPECT_EQ(0, rec.rc);
  EXPECT_EQ(0, rec.fnr);
  EXPECT_TRUE(rec.msg.empty());
  EXPECT_EQ(1e299, rec.inf);
  EXPECT_EQ(1e149, rec.sqrtinf);
  EXPECT_EQ(&ctvnew::logerrory, rec.logerror);
  EXPECT_EQ(nullptr, rec.usermem);
  EXPECT_EQ(1, rec.scalestep);
  EXPECT_EQ(1, rec.keepgrad);
  EXPECT_EQ(1e-5, rec.step);
  EXPECT_EQ(0, rec.numderiv);

  int user = 0;
  ctvnew::tmathnewrec* heap = nullptr;
  ctvnew::mathnewreccreate(heap, nullptr, &user);
  ASSERT_NE(nullptr, heap);
  EXPECT_EQ(&ctvnew::logerrory, heap->logerror) << "nil callback: the default";
  EXPECT_EQ(&user, heap->usermem);
  EXPECT_EQ(1e299, heap->inf);
  EXPECT_EQ(1e149, heap->sqrtinf);
  EXPECT_EQ(0, heap->scalestep) << "finite-difference settings keep the zero fill";
  EXPECT_EQ(0, heap->keepgrad);
  EXPECT_EQ(0, heap->step);
  EXPECT_EQ(0, heap->f);
  ctvnew::mathnewrecdestroy(heap);
  EXPECT_EQ(nullptr, heap);

  auto mine = [](int, int, const q5rt::sstr&, void*) { return 42; };
  ctvnew::mathnewreccreate(heap, mine, nullptr);
  EXPECT_EQ(static_cast<ctvnew::tlogerror>(mine), heap->logerror);
  ctvnew::mathnewrecdestroy(heap);
}

TEST(CtvnewRecord, InfinityAndItsRoot) {
  ctvnew::tmathnewrec rec{};
  ctvnew::mathnewrecinit(rec);
  ctvnew::funcsetinf(rec, 1e299);
  EXPECT_EQ(1e299, ctvnew::funcgetinf(rec));
  EXPECT_NEAR(3.16227766016838e+149, rec.sqrtinf, 1e136);
  ctvnew::funcsetinf(rec, -1);
  EXPECT_TRUE(std::isnan(rec.sqrtinf));
}

TEST(CtvnewRecord, CodeTexts) {
  const char* rc[] = {"OK", "FUNC", "GRAD", "HESS", "SYSTEM"};
  const char* ec[] = {"ERROR", "DOMAIN", "SINGULAR", "OVERFLOW", "SIGLOSS"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(rc[i], ctvnew::returnstr[i].str());
    EXPECT_EQ(ec[i], ctvnew::exceptstr[i].str());
  }
  const char* actions[] = {"badaction", "param", "lower",    "upper", "scenario",
                           "fixed",     "level", "marginal", "opt",   "randvar"};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(actions[i], ctvnew::muactionid[i].str()) << i;
}

TEST(CtvnewRecord, DefaultCallbacksForgiveOnlyOverflow) {
  struct row {
    int rc, ec, answer;
    const char* why;
  };
  constexpr row rows[] = {
      {1, 3, 0, "overflow of the value counts as success"},
      {2, 3, 0, "overflow of the gradient too"},
      {1, 1, 1, "domain error passes its code"},
      {3, 2, 3, "singular Hessian passes its code"},
      {4, 0, 4, "system error passes its code"},
  };
  const q5rt::sstr msg;
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(r.answer, ctvnew::logerrory(r.rc, r.ec, msg, nullptr));
    EXPECT_EQ(r.answer, mathnew::logerrorx(r.rc, r.ec, msg, nullptr));
  }
}

// What a callback saw.
struct seen {
  int calls = 0, rc = -1, ec = -1;
  std::string msg;
};

int recording(int rc, int ec, const q5rt::sstr& msg, void* usermem) {
  auto* s = static_cast<seen*>(usermem);
  ++s->calls;
  s->rc = rc;
  s->ec = ec;
  s->msg = msg.str();
  return 0x107;  // only the low byte lands in rc
}

TEST(CtvnewReport, ComposesTextCallsBackAndStoresTheAnswer) {
  ctvnew::tmathnewrec rec{};
  ctvnew::mathnewrecinit(rec);
  rec.fnr = 13;  // sqrt
  EXPECT_EQ(1, mathnew::logerr(rec, 1, 1, "x < 0"));
  EXPECT_EQ("sqrt: FUNC DOMAIN: x < 0", rec.msg.str());
  EXPECT_EQ(1, rec.rc);
  EXPECT_EQ(1, rec.ec);

  EXPECT_EQ(0, mathnew::logerr(rec, 1, 3, "x too large"));
  EXPECT_EQ("sqrt: FUNC OVERFLOW: x too large", rec.msg.str());
  EXPECT_EQ(0, rec.rc) << "rc holds the callback's answer, not the reported code";
  EXPECT_EQ(3, rec.ec);

  seen s;
  rec.usermem = &s;
  mathnew::linklogerror(rec, &recording);
  EXPECT_EQ(0x107, mathnew::logerr(rec, 2, 2, "x tiny"));
  EXPECT_EQ(1, s.calls);
  EXPECT_EQ(2, s.rc);
  EXPECT_EQ(2, s.ec);
  EXPECT_EQ("sqrt: GRAD SINGULAR: x tiny", s.msg);
  EXPECT_EQ(7, rec.rc);

  mathnew::linklogerror(rec, nullptr);
  EXPECT_EQ(&mathnew::logerrorx, rec.logerror);
  EXPECT_EQ(&s, rec.usermem) << "usermem is not changed";
}

TEST(CtvnewReport, LongMessageIsCutAt255) {
  ctvnew::tmathnewrec rec{};
  ctvnew::mathnewrecinit(rec);
  rec.fnr = 129;
  const std::string detail(300, 'x');
  mathnew::logerr(rec, 4, 0, detail);
  ASSERT_EQ(255u, rec.msg.size());
  EXPECT_EQ(" unknown*: SYSTEM ERROR: xxx", rec.msg.str().substr(0, 28));
}

}  // namespace
