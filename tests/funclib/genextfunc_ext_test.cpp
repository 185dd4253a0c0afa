// The extrinsic side of the dispatch: reading, writing and freeing the description file,
// names and properties of extrinsic numbers, and their evaluation with differences.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "funclib/evalnew.h"
#include "funclib/genextfunc.h"
#include "funclib/libfuncs.h"
#include "instance/gdutils.h"
#include "instance/zlmconf.h"
#include "standins/extfuncs/descwriter.h"
#include "support/extfunc_testutil.h"
#include "support/testutil.h"

namespace {

using extdesc::description;
using extdesc::function;
using extdesc::library;

constexpr std::int32_t mulxy = 65537, cubic = 65538, expc = 65539, sqrtchk = 65540, unused = 65541;

function fn(const std::string& name, std::vector<extdesc::argument> args, int maxderiv = 2,
            bool used = true) {
  function f;
  f.name = name;
  f.args = std::move(args);
  f.maxderiv = maxderiv;
  f.used = used;
  return f;
}

description demo() {
  description d;
  library l;
  l.name = "demo";
  l.file = "extdemo";
  l.funcs = {fn("mulxy", {{1, "X"}, {1, "Y"}}), fn("cubic", {{1, "t"}}, 1),
             fn("expc", {{0, "scale"}, {1, "Power"}}, 0), fn("sqrtchk", {{1, "x"}}),
             fn("hessorder", {{1, "x"}}, 2, false)};
  d.libs = {l};
  d.libs[0].funcs[0].text = "product";
  d.libs[0].funcs[0].smooth = 2;
  return d;
}

class GenextfuncExt : public ::testing::Test {
 protected:
  void SetUp() override {
    home.install("extdemo");
    ctvnew::mathnewrecinit(rec);
  }
  void TearDown() override { genextfunc::freeextfuncs(); }
  // Writes d and reads it; true when the read succeeded.
  bool read(const description& d, q5rt::sstr& msg) {
    EXPECT_EQ(extdesc::write(path, d), 0);
    return genextfunc::readextfunc(250, "init", path, nullptr, msg);
  }
  void readdemo() {
    q5rt::sstr msg;
    ASSERT_TRUE(read(demo(), msg)) << msg.str();
  }
  extfunctest::datahome home;
  std::string path = home.file("desc.dat");
  ctvnew::tmathnewrec rec{};
};

TEST_F(GenextfuncExt, MissingFileIsNoErrorAndLeavesAnEmptyManager) {
  readdemo();
  q5rt::sstr msg = q5rt::sstr::cut("old");
  EXPECT_TRUE(genextfunc::readextfunc(250, "init", home.file("absent.dat"), nullptr, msg));
  EXPECT_TRUE(msg.empty());
  ASSERT_TRUE(libfuncs::libfuncmgr);
  EXPECT_EQ(libfuncs::libfuncmgr->librarycount(), 0);
  EXPECT_EQ(genextfunc::genericfuncname(mulxy).str(), " unknown*");
}

TEST_F(GenextfuncExt, BadFileFailsWithTheLineAndTheMessage) {
  description d = demo();
  d.libs[0].funcs[0].nargs = 25;
  q5rt::sstr msg;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(read(d, msg));
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string want = "Could not read External Function File '" + path +
                           "': argument count 25 outside 0..20 (function mulxy)";
  EXPECT_EQ(msg.str(), want);
  EXPECT_EQ(out, "*** " + want + "\n");
}

TEST_F(GenextfuncExt, UnreadableFileGivesTheSystemsText) {
  std::filesystem::create_directories(path);  // a folder in the file's place
  q5rt::sstr msg;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(genextfunc::readextfunc(250, "init", path, nullptr, msg));
  (void)testing::internal::GetCapturedStdout();
  EXPECT_EQ(msg.str().rfind("Could not read External Function File '" + path + "': ", 0), 0u)
      << msg.str();
  EXPECT_GT(msg.size(), path.size() + 44);
}

TEST_F(GenextfuncExt, NamesAndPropertiesOfExtrinsicNumbers) {
  readdemo();
  EXPECT_EQ(genextfunc::genericfuncname(mulxy).str(), "mulxy");
  EXPECT_EQ(genextfunc::genericfuncts(mulxy).str(), "product");
  EXPECT_EQ(genextfunc::genericfuncsmooth(mulxy), 2);
  EXPECT_EQ(genextfunc::genericfuncargname(mulxy, 1).str(), "x");     // variable: lower
  EXPECT_EQ(genextfunc::genericfuncargname(expc, 1).str(), "SCALE");  // constant: upper
  EXPECT_EQ(genextfunc::genericfuncargname(expc, 2).str(), "power");
  EXPECT_EQ(genextfunc::genericfuncargtype(expc, 1), 0);
  EXPECT_EQ(genextfunc::genericfuncargtype(expc, 9), 0);
  EXPECT_EQ(genextfunc::genericfuncname(65543).str(), " unknown*");  // beyond the list
  EXPECT_EQ(genextfunc::genericfuncname(130).str(), " unknown*");
  q5rt::sstr name;
  std::int32_t mn = 0, mx = 0, sm = 0, va = 0, md = 0;
  bool eq = true;
  genextfunc::genericfuncinfo(cubic, name, mn, mx, sm, va, eq, md);
  EXPECT_EQ(name.str(), "cubic");
  EXPECT_EQ(mx, 1);
  EXPECT_EQ(va, 1);
  EXPECT_EQ(md, 1);
  EXPECT_FALSE(eq);
}

TEST_F(GenextfuncExt, EvaluationFillsWhatTheLibraryCannotByDifferences) {
  readdemo();
  struct row {
    std::int32_t fnr;
    int nargs;
    double x[2];
    double f, g0, g1, h00, h11, h01;
    const char* why;
  };
  const double e = std::exp(0.5);
  const row rows[] = {
      {mulxy, 2, {3, 5}, 15, 5, 3, 0, 0, 1, "everything analytic"},
      {cubic, 1, {2, 0}, 8, 12, 0, 12, 0, 0, "gradient analytic, Hessian by differences"},
      {expc,
       2,
       {2, 0.5},
       2 * e,
       0,
       2 * e,
       0,
       2 * e,
       0,
       "value only: gradient and Hessian by differences, the constant argument left at 0"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    rec.level = 2;
    rec.nargs = r.nargs;
    double x[2] = {r.x[0], r.x[1]};
    EXPECT_EQ(genextfunc::genericfunceval(rec, r.fnr, x), 0);
    EXPECT_EQ(rec.level, 2);
    EXPECT_NEAR(rec.f, r.f, 1e-12);
    EXPECT_NEAR(rec.g[0], r.g0, 1e-6);
    EXPECT_NEAR(rec.h[0][0], r.h00, 1e-4);
    if (r.nargs == 2) {
      EXPECT_NEAR(rec.g[1], r.g1, 1e-6);
      EXPECT_NEAR(rec.h[1][1], r.h11, 1e-4);
      EXPECT_NEAR(rec.h[0][1], r.h01, 1e-4);
      EXPECT_EQ(rec.h[0][1], rec.h[1][0]);
    }
    EXPECT_EQ(x[0], r.x[0]);
    EXPECT_EQ(x[1], r.x[1]);
  }
}

TEST_F(GenextfuncExt, LibraryErrorIsTheAnswerAndForwardDifferencesStepAroundIt) {
  readdemo();
  int reports = 0;
  rec.usermem = &reports;
  rec.logerror = [](int rc, int, const q5rt::sstr&, void* mem) {
    ++*static_cast<int*>(mem);
    return rc;
  };
  double x[] = {-1.0};
  rec.level = 0;
  rec.nargs = 1;
  EXPECT_EQ(genextfunc::genericfunceval(rec, sqrtchk, x), 1);
  EXPECT_EQ(reports, 1);
  // At 0 the left side fails: the forward quotient (f(s) - f(0)) / s.
  x[0] = 0;
  rec.level = 1;
  rec.numderiv = 2;
  EXPECT_EQ(genextfunc::genericfunceval(rec, sqrtchk, x), 0);
  EXPECT_NEAR(rec.g[0], std::sqrt(1e-5) / 1e-5, 1e-6);
}

TEST_F(GenextfuncExt, InstructionCodeCallsTheExtrinsicFunction) {
  readdemo();
  using ctvnl::opcode;
  // mulxy(x1, cubic(x2)): the row's value and gradient through the library entries.
  const std::vector<ctvnl::tnlcode> code = {{opcode::header, 0},       {opcode::pushv, 1},
                                            {opcode::pushv, 2},        {opcode::callarg1, cubic},
                                            {opcode::callarg2, mulxy}, {opcode::store, 1}};
  const std::vector<double> levels = {3, 2}, pool = {};
  std::int32_t tapelen = 0, second = 0, links = 0, errors = 0;
  ASSERT_EQ(evalnew::getstacksizes(1, 6, code, tapelen, second, 0, links, {}), 0);
  std::vector<double> tape(static_cast<std::size_t>(tapelen)), grad(2);
  q5rt::sstr msg;
  double value = 0;
  ASSERT_EQ(evalnew::gradeval(rec, 1, 6, code, pool, levels, value, tape, grad, errors, msg), 0)
      << msg.str();
  EXPECT_EQ(value, 24);
  EXPECT_EQ(grad[0], 8);       // d/dx1 = x2^3
  EXPECT_EQ(grad[1], 3 * 12);  // d/dx2 = x1 * 3 x2^2
}

TEST_F(GenextfuncExt, UnboundFunctionIsNeverCalled) {
  readdemo();
  std::string logged;
  rec.usermem = &logged;
  rec.logerror = [](int rc, int, const q5rt::sstr& msg, void* mem) {
    *static_cast<std::string*>(mem) = msg.str();
    return rc;
  };
  double x[] = {1.0};
  rec.level = 0;
  rec.nargs = 1;
  EXPECT_EQ(genextfunc::genericfunceval(rec, unused, x), ctvnew::rc_system);
  EXPECT_EQ(logged, " unknown*: SYSTEM ERROR: extrinsic function not available (index=65541)");
  EXPECT_EQ(genextfunc::genericfuncname(unused).str(), "hessorder");  // still described
  rec.nargs = 21;
  EXPECT_EQ(genextfunc::genericfunceval(rec, mulxy, x), ctvnew::rc_system);
  EXPECT_NE(logged.find("(nargs=21) outside 0..20"), std::string::npos) << logged;
}

TEST_F(GenextfuncExt, DumpWritesTheDescriptionBackAndFreeForgetsIt) {
  readdemo();
  const std::string again = home.file("again.dat");
  EXPECT_EQ(genextfunc::dumpextfunc(again), 0);
  EXPECT_EQ(testutil::read_file(again), testutil::read_file(path));
  genextfunc::freeextfuncs();
  EXPECT_FALSE(libfuncs::libfuncmgr);
  EXPECT_EQ(genextfunc::genericfuncname(mulxy).str(), " unknown*");
}

TEST_F(GenextfuncExt, ControlFileWriterWritesTheDescriptionBack) {
  readdemo();
  const std::string before = testutil::read_file(path);
  testutil::write_file(path, "overwritten");
  q5rt::sstr msg;
  zlmconf::tzlmconf table(msg);
  gdutils::tcontrolrec rec{};
  rec.strs[0].assign_cut(home.file("model.ctl"));
  rec.strs[25].assign_cut(path);
  EXPECT_EQ(gdutils::scwritecontrol(rec, table), 0);
  EXPECT_EQ(testutil::read_file(path), before);
}

TEST_F(GenextfuncExt, DumpIntoAMissingFolderFails) {
  readdemo();
  const std::string bad = home.file("no/such/dir/x.dat");
  testing::internal::CaptureStdout();
  EXPECT_EQ(genextfunc::dumpextfunc(bad), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "*** Could not Create External Function File '" + bad + "' Error = 2\n");
}

}  // namespace
