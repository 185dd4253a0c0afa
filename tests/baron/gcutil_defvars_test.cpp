// Defined variables: the pairing of =E= rows with free columns, on small model records;
// scalar parameters in a data-exchange file.
#include <gtest/gtest.h>

#include <vector>

#include "baron/gcutil.h"
#include "bindings/vrkdcdef.h"
#include "instance/gcdata.h"
#include "support/baronmodel.h"
#include "support/testutil.h"

namespace {

using GcutilDefvars = testutil::baronmodel;

constexpr double pin = 3e300, mnf = 4e300;

struct element {
  std::int32_t row, col;
  double value;
  bool nonlin = false;
};

// Rows of the types, columns of the bounds, elements in column order.
void makemodel(const std::vector<std::int32_t>& rowtypes,
               const std::vector<std::pair<double, double>>& bounds,
               const std::vector<element>& elements) {
  gcdata::tmodel& m = gcdata::mymodel;
  m.valpin = pin;
  m.valmin = mnf;
  m.rows = static_cast<std::int32_t>(rowtypes.size());
  m.cols = static_cast<std::int32_t>(bounds.size());
  m.rowtype = rowtypes;
  m.rowfirst.assign(rowtypes.size(), nullptr);
  m.colfirst.assign(bounds.size(), nullptr);
  m.coltype.assign(bounds.size(), 0);
  for (const auto& [lo, up] : bounds) m.collower.push_back(lo), m.colupper.push_back(up);
  std::vector<zlmspecs::tjacrec*> rowlast(rowtypes.size(), nullptr),
      collast(bounds.size(), nullptr);
  for (const element& e : elements) {
    zlmspecs::tjacrec& j = m.jacelements.emplace_back();
    j = {e.value, nullptr, nullptr, nullptr, e.row, e.col, e.nonlin};
    const std::size_t r = static_cast<std::size_t>(e.row) - 1,
                      c = static_cast<std::size_t>(e.col) - 1;
    (rowlast[r] != nullptr ? rowlast[r]->rownext : m.rowfirst[r]) = &j;
    (collast[c] != nullptr ? collast[c]->colnext : m.colfirst[c]) = &j;
    rowlast[r] = collast[c] = &j;
  }
}

TEST_F(GcutilDefvars, Fixtures) {
  const std::pair<double, double> freecol{mnf, pin};
  const struct {
    std::vector<std::int32_t> rowtypes;
    std::vector<std::pair<double, double>> bounds;
    std::vector<element> elements;
    std::int32_t count, nrows, fixcols;
    std::vector<std::int32_t> rows, cols;
    const char* why;
  } cases[] = {
      {{0, 0},
       {freecol, freecol, freecol},
       {{1, 1, 1}, {1, 2, -2}, {2, 2, 1}, {2, 3, 1}},
       2,
       0,
       0,
       {1, 2},
       {1, 3, 2},
       "x - 2y = 0, y + z = 3: the first row keeps x, the second defines z"},
      {{0, 0},
       {freecol, freecol},
       {{1, 1, 1}, {1, 2, 3, true}, {2, 2, 2, true}},
       1,
       0,
       0,
       {1, 2},
       {1, 2},
       "a free column only in nonlinear terms is ruled out, after the pairs"},
      {{1, 3, 1, 3},
       {freecol},
       {{1, 1, 1}, {2, 1, 1}},
       0,
       2,
       0,
       {1, 3, 4, 2},
       {1},
       "=G= rows in front, =N= rows from the end backwards"},
      {{0},
       {{1, 1}, {mnf, pin}, {2, 2}},
       {{1, 2, 1}},
       1,
       0,
       2,
       {1},
       {2, 3, 1},
       "fixed columns from the end backwards"},
      {{0, 0},
       {{0, pin}, {0, 10}},
       {{1, 1, 1}, {2, 2, 1}},
       0,
       0,
       0,
       {1, 2},
       {1, 2},
       "no free columns: nothing defined"},
      {{0}, {freecol}, {{1, 1, 1e-101}}, 0, 0, 0, {1}, {1}, "a tiny coefficient is not usable"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    testutil::freshmodel();
    makemodel(c.rowtypes, c.bounds, c.elements);
    gcutil::extractdefinedvariables();
    const gcdata::tmodel& m = gcdata::mymodel;
    EXPECT_EQ(m.defcount, c.count);
    EXPECT_EQ(m.defnrows, c.nrows);
    EXPECT_EQ(m.deffixcols, c.fixcols);
    EXPECT_EQ(m.defrowlist, c.rows);
    EXPECT_EQ(m.defcollist, c.cols);
  }
}

TEST_F(GcutilDefvars, ListsAreReusedAndColumnsOfNoTypeKeepTheirMark) {
  makemodel({0}, {{mnf, pin}, {mnf, pin}}, {{1, 1, 2}});
  gcdata::mymodel.coltype[1] = -1;
  gcutil::extractdefinedvariables();
  EXPECT_EQ(gcdata::mymodel.defcollist, (std::vector<std::int32_t>{1, -2}));
  gcutil::extractdefinedvariables();
  EXPECT_EQ(gcdata::mymodel.defcount, 1) << "a second run starts afresh";
}

}  // namespace

namespace {

TEST(GcutilVrkScalar, ScalarParametersInADataExchangeFile) {
  testutil::tempdir dir;
  bindproto::handle h = nullptr;
  q5rt::sstr msg;
  ASSERT_TRUE(vrkdcdef::vrkcreated(h, testutil::standinlib(), msg)) << msg.view();
  std::int32_t err = -1;
  (void)vrkdcdef::vrkopenwrite(h, q5rt::sstr::cut(dir.file("s.vrk")), q5rt::sstr::cut("Convert"),
                               err);
  ASSERT_EQ(err, 0);
  gcutil::vrkscalari(h, "n", "a count", 42);
  gcutil::vrkscalarr(h, "r", "a real", -2.5);
  EXPECT_EQ(vrkdcdef::vrkclose(h), 0);
  vrkdcdef::vrkfree(h);
  EXPECT_EQ(testutil::read_file(dir.file("s.vrk")),
            "zlmvrk 1 \"Convert\"\nsymbol \"n\" 0 1 0 \"a count\"\nrecord : 42\n"
            "symbol \"r\" 0 1 0 \"a real\"\nrecord : -2.5\n");
}

}  // namespace
