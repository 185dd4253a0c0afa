// The DAG text writer against the same lines written one at a time, on models large
// enough that the writer's blocks fill up many times.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "baron/dagger.h"
#include "frame/strutilx_numbers.h"
#include "support/baronmodel.h"
#include "support/exprtest.h"
#include "support/testutil.h"

namespace {

using namespace exprtest;

using GcutilDag = testutil::baronmodel;

constexpr double pin = 3e300, mnf = 4e300;

std::string number(double x) { return std::string(strutilx::dbltostr(x).view()); }

// The DAG file of the model written line by line with the library's number text, the
// rows' code through dagger::makedag.
std::string linebyline(const std::string& file) {
  const gcdata::tmodel& m = gcdata::mymodel;
  q5rt::textfile f;
  f.assign(file);
  f.rewrite();
  const auto at = [](std::int32_t i) { return static_cast<std::size_t>(i) - 1; };
  const std::int32_t n = m.cols;
  f.writeln("<N> V " + std::to_string(n));
  for (std::int32_t j = 1; j <= n; ++j) {
    const double lo = m.collower[at(j)], up = m.colupper[at(j)];
    f.writeln("<" + std::to_string(j - 1) + "> b [" + (lo == m.valmin ? "-I" : number(lo)) + "," +
              (up == m.valpin ? "I" : number(up)) + "]: V " + std::to_string(j - 1));
  }
  for (std::int32_t i = 1; i <= m.rows; ++i) {
    const double rhs = m.rowrhs[at(i)];
    const std::int32_t type = m.rowtype[at(i)];
    const std::string bounds =
        type == 0   ? number(rhs) + "," + number(rhs)
        : type == 1 ? number(rhs) + ",I"
        : type == 2 ? "-I," + number(rhs)
        : type == 3
            ? "-I,I"
            : "cannot handle " +
                  std::string(type > 0 && type < 7
                                  ? gcutil::equtypename[static_cast<std::size_t>(type)].view()
                                  : "");
    const std::string k = std::to_string(n + i - 1);
    f.writeln("<" + k + "> b [" + bounds + "]: +");
    f.writeln("<N> c " + std::to_string(i - 1) + " " + k);
  }
  std::int32_t last = n + m.rows - 1;
  for (std::int32_t i = 1; i <= m.rows; ++i) {
    for (const zlmspecs::tjacrec* e = m.rowfirst[at(i)]; e != nullptr; e = e->rownext) {
      if (e->nonlin) continue;
      f.writeln("<E> " + std::to_string(n + i - 1) + " " + std::to_string(e->col - 1) + " " +
                number(e->jacval));
    }
    dagger::makedag(f, last, m.rowfirstinstr[at(i)], m.rowlastinstr[at(i)], n - 1, m.instr, m.pool);
  }
  if (m.objvar != 0) {
    const std::string o = std::to_string(++last);
    f.writeln("<" + o + "> +");
    f.writeln("<N> c " + std::to_string(m.rows) + " " + o);
    f.writeln("<E> " + o + " " + std::to_string(m.objvar - 1) + " 1");
    f.writeln("<N> M " + o + (m.maximize != 0 ? " max" : " min"));
  }
  f.close();
  return testutil::read_file(file);
}

// The first line where the texts differ, by its number; empty when they agree.
std::string firstdifference(const std::string& a, const std::string& b) {
  std::istringstream x(a), y(b);
  std::string p, q;
  for (int line = 1;; ++line) {
    const bool inx = static_cast<bool>(std::getline(x, p)),
               iny = static_cast<bool>(std::getline(y, q));
    if (!inx && !iny) return a == b ? "" : "the final newline";
    if (inx != iny || p != q)
      return "line " + std::to_string(line) + ": \"" + p + "\" / \"" + q + "\"";
  }
}

// A value drawn from the edge cases of the number text or at random over many magnitudes.
double value(std::mt19937& rng) {
  // clang-format off
  static const double edges[] = {0.0, -0.0, 1.0, -1.0, 0.1, 1e-4, 9.99e-5, 1e15, -1e15,
                                 999999999999999.0, 123456789012345678.0, 1e-300, 4.9e-324,
                                 1e300, -2.5, 1.0 / 3, 1e21, 2e-9};
  // clang-format on
  std::uniform_int_distribution<int> pick(0, 3);
  if (pick(rng) == 0)
    return edges[std::uniform_int_distribution<std::size_t>(0, std::size(edges) - 1)(rng)];
  const double mantissa = std::uniform_real_distribution<double>(-10, 10)(rng);
  return std::ldexp(mantissa, std::uniform_int_distribution<int>(-40, 40)(rng));
}

// A model of the size with random bounds, row types (some the format cannot express),
// coefficients and nonlinear elements, up to 24 elements a row (longer rows than the
// writer's batches of 16 rows take steps); every seventh row has code, a product of two
// columns with a constant factor.
void makemodel(std::int32_t cols, std::int32_t rows, std::mt19937& rng) {
  gcdata::tmodel& m = gcdata::mymodel;
  m.valpin = pin;
  m.valmin = mnf;
  m.cols = cols;
  m.rows = rows;
  std::uniform_int_distribution<int> bound(0, 3);
  for (std::int32_t j = 0; j < cols; ++j) {
    m.collower.push_back(bound(rng) == 0 ? mnf : value(rng));
    m.colupper.push_back(bound(rng) == 0 ? pin : value(rng));
  }
  std::uniform_int_distribution<std::int32_t> type(0, 8), col(1, cols), terms(0, 24);
  m.pool = {2.5, -1e-7};
  m.rowfirst.assign(static_cast<std::size_t>(rows), nullptr);
  for (std::int32_t i = 1; i <= rows; ++i) {
    m.rowtype.push_back(type(rng));
    m.rowrhs.push_back(value(rng));
    const bool coded = i % 7 == 0;
    m.rowfirstinstr.push_back(coded ? static_cast<std::int32_t>(m.instr.size()) + 1 : 0);
    if (coded) {
      for (const ctvnl::tnlcode c : {ins(opcode::header), V(col(rng)), ins(opcode::mulv, col(rng)),
                                     ins(opcode::muli, 1), ins(opcode::store, i)})
        m.instr.push_back(c);
    }
    m.rowlastinstr.push_back(coded ? static_cast<std::int32_t>(m.instr.size()) : 0);
    zlmspecs::tjacrec* previous = nullptr;
    for (std::int32_t t = terms(rng); t > 0; --t) {
      zlmspecs::tjacrec& e = m.jacelements.emplace_back();
      e = {value(rng), nullptr, nullptr, nullptr, i, col(rng), coded && t % 2 == 0};
      (previous != nullptr ? previous->rownext : m.rowfirst[static_cast<std::size_t>(i) - 1]) = &e;
      previous = &e;
    }
  }
}

TEST_F(GcutilDag, FileAgreesWithLineByLineWriting) {
  const struct {
    std::int32_t cols, rows, objvar, maximize;
    const char* why;
  } cases[] = {
      {1, 0, 0, 0, "one column, no rows, no objective"},
      {3, 5, 2, 1, "a few rows, maximized"},
      {400, 900, 17, 0, "many blocks' worth of lines, minimized"},
      {5000, 300, 5000, 1, "mostly column lines"},
  };
  std::mt19937 rng(20261211);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    testutil::freshmodel();
    makemodel(c.cols, c.rows, rng);
    gcdata::mymodel.objvar = c.objvar;
    gcdata::mymodel.maximize = c.maximize;
    testutil::tempdir dir;
    ASSERT_EQ(gcutil::gcvienna("", dir.file("fast.dag")), 0);
    EXPECT_EQ(firstdifference(testutil::read_file(dir.file("fast.dag")),
                              linebyline(dir.file("plain.dag"))),
              "");
  }
}

}  // namespace
