// The written input file read back by the stand-in BARON's own reader and evaluated at
// random points inside the bounds must agree with the instruction-code evaluator: every
// equation (body - rhs) and the objective; the bounds, types and starting point BARON sees
// must be the model's, and the declared order the map file's. This catches swapped
// exponents, flipped signs and short number texts.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>

#include "funclib/ctvnew.h"
#include "funclib/evalnew.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"
#include "standins/baron/baronparse.h"
#include "support/modelfiles.h"
#include "support/testutil.h"

namespace {

using barontest::ins;
using barontest::minf;
using barontest::modeldesc;
using barontest::pinf;
using ctvnl::opcode;

// Rows over every opcode shape and accepted function. Columns: x1 in [0.5, 3], x2 in
// [0.5, 2], x3 in [1, 4], x4 free (the objective variable), b5 binary.
modeldesc shapes() {
  modeldesc d;
  d.modeltype = ctvproc::proc_minlp;
  d.cols = {{.lower = 0.5, .level = 1, .upper = 3},
            {.lower = 0.5, .level = 1.5, .upper = 2},
            {.lower = 1, .level = 2, .upper = 4},
            {.lower = minf, .level = 0, .upper = pinf},
            {.type = 1, .upper = 1}};
  // pool: 1 = 3, 2 = 2, 3 = 2.5, 4 = -2, 5 = 0.1234567890123456, 6 = 1.5e-7, 7 = 1e20
  d.pool = {3, 2, 2.5, -2, 0.1234567890123456, 1.5e-7, 1e20};
  const auto nl = [](std::int32_t c) { return barontest::termdesc{c, 0, true}; };
  d.rows = {
      // sqr(x1) + exp(x2) - log(x3) + 2 x4
      {.type = 2,
       .rhs = 100,
       .terms = {nl(1), nl(2), nl(3), {4, 2}},
       .code = {ins(opcode::pushv, 1), ins(opcode::callarg1, 9), ins(opcode::pushv, 2),
                ins(opcode::callarg1, 10), ins(opcode::add), ins(opcode::pushv, 3),
                ins(opcode::callarg1, 11), ins(opcode::sub)}},
      // log10(x1) * sqrt(x2) / x3 - 0.123... x1
      {.type = 1,
       .rhs = -5,
       .terms = {nl(1), nl(2), nl(3), {1, -0.1234567890123456}},
       .code = {ins(opcode::pushv, 1), ins(opcode::callarg1, 12), ins(opcode::pushv, 2),
                ins(opcode::callarg1, 13), ins(opcode::mul), ins(opcode::divv, 3)}},
      // power(x1, 3) + rPower(x2, x3) + cvPower(2, x1) + vcPower(x3, 2.5)
      {.type = 0,
       .rhs = 7,
       .terms = {nl(1), nl(2), nl(3)},
       .code = {ins(opcode::pushv, 1), ins(opcode::pushi, 1), ins(opcode::callarg2, 21),
                ins(opcode::pushv, 2), ins(opcode::pushv, 3), ins(opcode::callarg2, 64),
                ins(opcode::add), ins(opcode::pushi, 2), ins(opcode::pushv, 1),
                ins(opcode::callarg2, 74), ins(opcode::add), ins(opcode::pushv, 3),
                ins(opcode::pushi, 3), ins(opcode::callarg2, 75), ins(opcode::add)}},
      // -( -x1 + x2 * -2 - 3 + power(x3, -2) ) + abs(x1 - x3) / 2.5 * 1.5e-7 + 1e20 x5
      {.type = 1,
       .rhs = -1e20,
       .terms = {nl(1), nl(2), nl(3), {5, 1e20}},
       .code = {ins(opcode::uminv, 1), ins(opcode::pushv, 2), ins(opcode::muliadd, 4),
                ins(opcode::subi, 1), ins(opcode::pushv, 3), ins(opcode::pushi, 4),
                ins(opcode::callarg2, 21), ins(opcode::add), ins(opcode::umin),
                ins(opcode::pushv, 1), ins(opcode::subv, 3), ins(opcode::callarg1, 14),
                ins(opcode::divi, 3), ins(opcode::muli, 6), ins(opcode::add)}},
      // objective row: x1 / (2 x2) + (2 x3) / x2 - x1 - x4 = 1 (coefficient of x4: -1)
      {.type = 0,
       .rhs = 1,
       .terms = {nl(1), nl(2), nl(3), {4, -1}},
       .code = {ins(opcode::pushv, 1), ins(opcode::pushi, 2), ins(opcode::mulv, 2),
                ins(opcode::div), ins(opcode::pushv, 3), ins(opcode::muli, 2), ins(opcode::divv, 2),
                ins(opcode::add), ins(opcode::subv, 1)}},
      // a linear row: x1 - x2 + 2.5 x3
      {.type = 2, .rhs = 50, .terms = {{1, 1}, {2, -1}, {3, 2.5}}},
  };
  d.objvar = 4;
  d.objrow = 5;
  return d;
}

std::int32_t columnof(const std::string& name) {
  const std::size_t digits = name.find_first_of("0123456789");
  return digits == std::string::npos ? 0 : std::stoi(name.substr(digits));
}

double rowvalue(std::int32_t r, const std::vector<double>& x) {
  const gcdata::tmodel& m = gcdata::mymodel;
  double v = 0;
  const auto k = static_cast<std::size_t>(r - 1);
  if (m.rowfirstinstr[k] != 0) {
    ctvnew::tmathnewrec rec{};
    ctvnew::mathnewrecinit(rec);
    std::int32_t errors = 0;
    q5rt::sstr msg;
    EXPECT_EQ(evalnew::funeval(rec, m.rowfirstinstr[k], m.rowlastinstr[k], m.instr, m.pool, x, v,
                               errors, msg),
              0)
        << msg.view();
  }
  for (const zlmspecs::tjacrec* e = m.rowfirst[k]; e != nullptr; e = e->rownext) {
    if (!e->nonlin) v += e->jacval * x[static_cast<std::size_t>(e->col - 1)];
  }
  return v;
}

void expectclose(double got, double want, const std::string& what) {
  const double tol = 1e-12 * std::max({1.0, std::fabs(got), std::fabs(want)});
  EXPECT_NEAR(got, want, tol) << what;
}

void compare(const modeldesc& d, const char* why, bool reformulated = false) {
  SCOPED_TRACE(why);
  testutil::tempdir dir;
  barontest::writemodel(d, dir.path().string());
  const auto run = testutil::run_program(testutil::baronlink_path(), {"model.ctl"},
                                         dir.path().string(), testutil::standinenv());
  ASSERT_EQ(run.exit_code, 0);
  const std::string text = testutil::read_file(dir.file("mybaron.scr"));
  EXPECT_EQ(text.find("Reformulation has removed") != std::string::npos, reformulated);
  const baronparse::result parsed = baronparse::parse(text, "mybaron");
  ASSERT_TRUE(parsed.ok) << parsed.message() << "\n" << text;
  q5rt::sstr msg;
  ASSERT_TRUE(gcload::loadcontrol(dir.file("model.ctl"), msg)) << msg.view();
  ASSERT_EQ(gcload::loaddata(), gcload::loadok);
  const gcdata::tmodel& m = gcdata::mymodel;
  const baronparse::model& b = parsed.m;
  const bool relaxed = ctvproc::pdrelaxed.contains(m.modeltype) || m.relaxed != 0;

  // Order, types, bounds and starting point of the model's columns.
  std::ostringstream order;
  std::int32_t ncols = 0;
  for (const auto& v : b.variables) {
    if (v.name[0] == 'V' || v.name[0] == 'W') continue;
    const std::int32_t c = columnof(v.name);
    order << c << "\n";
    ++ncols;
    const auto k = static_cast<std::size_t>(c - 1);
    SCOPED_TRACE(v.name);
    const std::int32_t t = relaxed ? 0 : m.coltype[k];
    EXPECT_EQ(v.type, t == 1   ? baronparse::vartype::binary
                      : t == 2 ? baronparse::vartype::integer
                               : baronparse::vartype::continuous);
    EXPECT_EQ(v.lower, m.collower[k] == minf ? -INFINITY : m.collower[k]);
    EXPECT_EQ(v.upper, m.colupper[k] == pinf ? INFINITY : m.colupper[k]);
    EXPECT_EQ(v.hasstart ? v.start : 0.0, m.collevel[k]);
  }
  std::ostringstream equations;
  std::int32_t nequs = 0;
  for (const auto& e : b.equations) {
    if (e.hasplace()) equations << columnof(e.name) << "\n", ++nequs;
  }
  EXPECT_EQ(testutil::read_file(dir.file("bavemap.scr")),
            "VARIABLES " + std::to_string(ncols) + "\n" + order.str() + "EQUATIONS " +
                std::to_string(nequs) + "\n" + equations.str());

  // Values at random points inside the bounds (the free objective variable within +-10).
  std::mt19937_64 rng(12345);
  for (int trial = 0; trial < 20; ++trial) {
    std::vector<double> x(static_cast<std::size_t>(m.cols));
    for (std::int32_t c = 1; c <= m.cols; ++c) {
      const auto k = static_cast<std::size_t>(c - 1);
      const double lo = m.collower[k] == minf ? -10 : m.collower[k];
      const double hi = m.colupper[k] == pinf ? 10 : m.colupper[k];
      x[k] = std::uniform_real_distribution<double>(lo, hi)(rng);
    }
    std::vector<double> point;
    for (const auto& v : b.variables) {
      const bool phaseone = v.name[0] == 'V' || v.name[0] == 'W';
      point.push_back(phaseone ? 0.0 : x[static_cast<std::size_t>(columnof(v.name) - 1)]);
    }
    for (const auto& e : b.equations) {
      const std::int32_t r = columnof(e.name);
      const double got = baronparse::evaluate(e.lhs, point) - baronparse::evaluate(e.rhs, point);
      expectclose(got, rowvalue(r, x) - m.rowrhs[static_cast<std::size_t>(r - 1)], e.name);
    }
    double objective = x[static_cast<std::size_t>(m.objvar - 1)];
    if (text.find("Reformulation has removed") != std::string::npos) {
      // The objective row solved for its variable.
      double a = 0;
      for (const zlmspecs::tjacrec* e = m.rowfirst[static_cast<std::size_t>(m.objrow - 1)]; e;
           e = e->rownext) {
        if (e->col == m.objvar) a = e->jacval;
      }
      std::vector<double> without = x;
      without[static_cast<std::size_t>(m.objvar - 1)] = 0;
      objective =
          (m.rowrhs[static_cast<std::size_t>(m.objrow - 1)] - rowvalue(m.objrow, without)) / a;
    }
    if (d.options.find("PhaseOne") == std::string::npos)
      expectclose(baronparse::evaluate(b.obj.expr, point), objective, "objective");
  }
}

TEST(Differential, WrittenFileAgreesWithTheInstructionCode) {
  compare(shapes(), "plain MINLP");
  modeldesc d = shapes();
  d.reformulate = true;
  compare(d, "the objective variable in another row: no reformulation");
  d.rows[0].terms.pop_back();
  compare(d, "objective reformulated", true);
  d = shapes();
  d.modeltype = ctvproc::proc_rminlp;
  compare(d, "relaxed");
  d = shapes();
  d.options = "PhaseOne 2\n";
  compare(d, "phase one");
  d = shapes();
  d.maximize = true;
  d.reformulate = true;
  d.rows[0].terms.pop_back();  // the objective variable only in its row
  compare(d, "maximised and reformulated", true);
}

}  // namespace
