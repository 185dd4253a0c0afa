// BARON's input-file writer in process: what the run state learns from it and the
// details the end-to-end runs cannot see.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "baron/gcbaron.h"
#include "baron/optbaron.h"
#include "frame/q5process.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"
#include "support/baronfixture.h"
#include "support/modelfiles.h"

namespace {

using ctvnl::opcode;

class WriterTest : public ::testing::Test {
 protected:
  void SetUp() override { barontest::loadoptionlibrary(); }
  void TearDown() override { optbaron::bofini(); }

  // Loads d in process and writes its input file with BARON's option set (options read
  // from d.options, definitions from sysdir); the file's text.
  std::string write(const barontest::modeldesc& d, std::string_view objvarname = {}) {
    barontest::writemodel(d, log.dir.path().string());
    q5rt::sstr msg;
    EXPECT_TRUE(gcload::loadcontrol(log.dir.file("model.ctl"), msg)) << msg.view();
    EXPECT_EQ(gcload::loaddata(), gcload::loadok);
    optbaron::toptconvert& bo = optbaron::boinit();
    EXPECT_EQ(bo.optdefine(), 0);
    (void)bo.optreadoptions();
    gcbaron::state.reset();
    gcbaron::state.dotbaronly = false;
    gcbaron::state.objvarname = q5rt::sstr::cut(objvarname);
    gcbaron::state.baronvartozolm.assign(static_cast<std::size_t>(gcdata::mymodel.cols), 0);
    gcbaron::state.baronequtozolm.assign(static_cast<std::size_t>(gcdata::mymodel.rows), 0);
    gcbaron::state.baronequclass.assign(static_cast<std::size_t>(gcdata::mymodel.rows), 0);
    q5rt::textfile f;
    f.assign(log.dir.file("out.bar"));
    f.rewrite();
    notes = gcbaron::writedotbar(f, &bo);
    return testutil::read_file(log.dir.file("out.bar"));
  }
  static barontest::modeldesc small() {
    barontest::modeldesc d;
    d.cols = {{.upper = 4}, {.lower = barontest::minf}};
    d.rows = {{.type = 1, .rhs = 1, .terms = {{1, 1}, {2, 1}}}};
    d.objvar = 2;
    d.objrow = 1;
    return d;
  }
  barontest::freshmodel model;
  barontest::logcapture log;
  std::int32_t notes = -1;
};

TEST_F(WriterTest, ThreadsFromTheControlFileCountBackFromTheProcessors) {
  barontest::modeldesc d = small();
  d.threads = -2;
  const std::string text = write(d);
  const int expect = std::max(q5process::q5getnumberofprocessors() - 2, 1);
  EXPECT_NE(text.find("\nThreads: " + std::to_string(expect) + ";\n"), std::string::npos) << text;
  EXPECT_EQ(notes, 0);
}

TEST_F(WriterTest, ClockTypeAsTextOrAsItsNumberAsksForProcessorTime) {
  struct row {
    const char* def;  // the ClockType declaration
    const char* option;
    bool cpu;
    const char* why;
  };
  const row rows[] = {
      {"string  ClockType 8 wall", "ClockType CPU\n", true, "text in any case"},
      {"string  ClockType 8 wall", "ClockType baron\n", true, "baron with one thread"},
      {"string  ClockType 8 wall", "ClockType baron\nThreads 2\n", false, "baron with two threads"},
      {"string  ClockType 8 wall", "", false, "not defined"},
      {"integer ClockType 8 0 0 2", "ClockType 1\n", true, "an integer option: 1 is cpu"},
      {"integer ClockType 8 0 0 2", "ClockType 0\n", false, "an integer option: 0 is wall"},
  };
  std::string def = testutil::read_file(barontest::sysdir() + "optbaron.def");
  const std::size_t at = def.find("string  ClockType");
  ASSERT_NE(at, std::string::npos);
  def.erase(at, def.find('\n', at) - at);
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    testutil::write_file(log.dir.file("optbaron.def"), std::string(def).insert(at, r.def));
    barontest::modeldesc d = small();
    d.sysdir = log.dir.path().string() + "/";
    d.options = r.option;
    (void)write(d);
    EXPECT_EQ(gcbaron::state.reportcputime, r.cpu);
    optbaron::bofini();
  }
}

TEST_F(WriterTest, ExtrinsicFunctionsAreCountedNotes) {
  barontest::modeldesc d = small();
  d.rows[0].terms[0].nonlin = true;
  d.rows[0].code = {barontest::ins(opcode::pushv, 1), barontest::ins(opcode::callarg1, 65537)};
  const std::string text = write(d);
  EXPECT_GE(notes, 1);
  EXPECT_NE(text.find("\n// Cannot handle function '"), std::string::npos) << text;
  EXPECT_NE(log.text().find("*** Cannot handle function '"), std::string::npos) << log.text();
}

TEST_F(WriterTest, NumbersInEveryFormAsBaronReadsThem) {
  // Plain and exponent forms (exponent letter "e", one to three exponent digits) in
  // bounds, coefficients, right-hand sides and the starting point.
  barontest::modeldesc d;
  d.cols = {{.lower = 2.5e-7, .level = -3.25e-100, .upper = 1.5e20},
            {.lower = -0.001, .level = 0.1 + 0.2, .upper = 123456.789},
            {.lower = barontest::minf}};
  d.rows = {{.type = 1, .rhs = 7e22, .terms = {{1, -1.25e-5}, {2, 0.0001}}},
            {.type = 0, .rhs = 0, .terms = {{3, 1}, {1, -1}}}};
  d.objvar = 3;
  d.objrow = 2;
  const std::string text = write(d);
  for (const char* piece :
       {"\nx1: 2.5e-7;\n", "\nx1: 1.5e20;\n", "\nx1: -3.25e-100;\n", "\nx2: -0.001;\n",
        "\nx2: 123456.789;\n", "\nx2: 0.3;\n", "e1:  - 1.25e-5*x1 + 0.0001*x2 >= 7e22;\n"}) {
    EXPECT_NE(text.find(piece), std::string::npos) << piece << " in\n" << text;
  }
}

TEST_F(WriterTest, ObjectiveVariableNameWhereverTheColumnIsWritten) {
  // Terms, bounds and the starting point; the longest name (255 characters) is written
  // whole, on lines of its own.
  barontest::modeldesc d;
  d.cols = {{.upper = 4}, {.lower = -3, .level = 2, .upper = 5}};
  d.rows = {{.type = 1, .rhs = 1, .terms = {{1, 2.5}, {2, -1.5}}},
            {.type = 2, .rhs = 8, .terms = {{2, 1}, {1, 1}}}};
  d.objvar = 2;
  d.objrow = 1;
  for (const std::string& name : {std::string("cost"), std::string(255, 'z')}) {
    SCOPED_TRACE(name.size());
    const std::string text = write(d, name);
    for (const std::string& piece : {std::string("e1:    2.5*x1"), " - 1.5*" + name, " + " + name,
                                     name + ": -3;\n", name + ": 5;\n", name + ": 2;\n"}) {
      EXPECT_NE(text.find(piece), std::string::npos) << piece << " in\n" << text;
    }
  }
}

// A model of some size: 23 columns of every type with bounds, levels and priorities that
// qualify for the blocks or not, 37 rows of every kind with empty rows, linear terms and
// code (a product or a square) in every third row.
barontest::modeldesc mixedmodel() {
  using barontest::minf;
  using barontest::pinf;
  barontest::modeldesc d;
  d.modeltype = ctvproc::proc_minlp;
  constexpr std::array<double, 4> lowers = {minf, 0, -2, 1.5};
  constexpr std::array<double, 4> uppers = {pinf, 0, 4, 1e3};
  for (std::size_t c = 0; c < 23; ++c) {
    const auto type = static_cast<std::int32_t>(c % 5 == 3 ? 1 : c % 7 == 4 ? 2 : 0);
    d.cols.push_back({.type = type,
                      .lower = type == 1 ? 0 : lowers[c % 4],
                      .level = static_cast<double>(c % 3) * 0.5,
                      .upper = type == 1 ? 1 : uppers[c / 4 % 4],
                      .priority = c % 6 == 1 ? 2.0 : 1.0});
  }
  for (std::int32_t r = 1; r <= 37; ++r) {
    barontest::rowdesc row{.type = r % 9 == 5 ? 3 : r % 3, .rhs = 0.25 * r - 3};
    for (std::int32_t k = 0; k < r % 5; ++k) {
      row.terms.push_back({1 + (r * 7 + k * 5) % 23, k % 2 == 0 ? 1.5 * k - 1 : -1});
    }
    if (r % 3 == 0) {
      const std::int32_t a = 1 + r % 23, b = 1 + (r * 3 + 1) % 23;
      row.terms.push_back({a, 0, true});
      if (b != a) row.terms.push_back({b, 0, true});
      row.code =
          r % 2 == 0
              ? std::vector{barontest::ins(opcode::pushv, a), barontest::ins(opcode::mulv, b)}
              : std::vector{barontest::ins(opcode::pushv, a), barontest::ins(opcode::callarg1, 9)};
    }
    d.rows.push_back(row);
  }
  d.objvar = 2;
  d.objrow = 12;
  d.rows[11].terms.push_back({2, -1});
  return d;
}

// The tree code ends the process (a division by a constant zero) in the middle of the
// equations: the process ends with the halt's code, not a crash or a hang.
TEST_F(WriterTest, AHaltInTheTreeCodeEndsTheRunWithItsCode) {
  barontest::modeldesc d = mixedmodel();
  d.pool = {2, 0};
  d.rows[28].code = {barontest::ins(opcode::pushv, 3), barontest::ins(opcode::pushi, 1),
                     barontest::ins(opcode::pushi, 2), barontest::ins(opcode::div),
                     barontest::ins(opcode::mul)};
  d.rows[28].terms = {{3, 0, true}};
  EXPECT_EXIT(
      {
        q5rt::run_startups();
        (void)write(d);
      },
      testing::ExitedWithCode(0), "");
}

// The table of column names against the names it stands for, column by column: every
// type (and types without a prefix), names of 2 to 9 characters (up to the slot's 8 in
// the table, longer ones past it), the objective variable with and without its own name.
TEST(Colnametable, GivesEveryColumnTheNameItStandsFor) {
  barontest::freshmodel model;
  gcdata::tmodel& m = gcdata::mymodel;
  constexpr std::array<std::int32_t, 10> types = {0, 1, 2, 3, 4, 5, 6, -2, 7, -1};
  m.cols = 120'000;
  for (std::int32_t c = 1; c <= m.cols; ++c)
    m.coltype.push_back(types[static_cast<std::size_t>(c) % types.size()]);
  struct row {
    std::int32_t objvar;
    std::string_view name;
    bool retype;  // the objective variable's type changed after the table was built
    const char* why;
  };
  const std::string longest(255, 'z');
  const row rows[] = {
      {0, "", false, "no objective variable"},
      {7, "", false, "objective variable without a name of its own"},
      {2, "", true, "objective variable excluded while the variables are declared"},
      {99'999, "cost", false, "objective variable with its own name"},
      {m.cols, longest, false, "the last column, the longest name"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    m.objvar = r.objvar;
    gcbaron::state.objvarname = q5rt::sstr::cut(r.name);
    gcbaron::detail::colnametable table;
    table.build();
    if (r.retype) m.coltype[static_cast<std::size_t>(r.objvar - 1)] = -2;
    for (std::int32_t c = 1; c <= m.cols; ++c) {
      char fast[q5rt::sstr::capacity + gcbaron::detail::colnametable::slot];
      char plain[q5rt::sstr::capacity];
      const std::string_view a(fast, static_cast<std::size_t>(table.put(fast, c) - fast));
      const std::string_view b(
          plain, static_cast<std::size_t>(gcbaron::detail::putcolname(plain, c) - plain));
      if (a != b) {
        ADD_FAILURE() << "column " << c << ": " << a << " for " << b;
        break;
      }
    }
    if (r.retype)
      m.coltype[static_cast<std::size_t>(r.objvar - 1)] =
          types[static_cast<std::size_t>(r.objvar) % types.size()];
  }
  gcbaron::state.reset();
}

}  // namespace
