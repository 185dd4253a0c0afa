// Writes a small model instance in the text layout for runs of the real binary: the
// control file (from the bundled example's, with this model's counts and files), the
// matrix and the instruction-code file, the option file and the dictionary.
//
//   barontest::modeldesc d;
//   d.cols = {{.upper = 5}, {.lower = minf}};
//   d.rows = {{.type = 2, .rhs = 4, .terms = {{1, 1}, {2, 1}}}};
//   barontest::writemodel(d, dir.path().string());   // dir/model.ctl and the rest
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "instance/ctvnl.h"
#include "instance/ctvproc.h"
#include "instance/gdutils.h"
#include "instance/gdutils_records.h"
#include "instance/gdutils_scratch.h"
#include "instance/zlmconf.h"
#include "instance/zlmspecs.h"
#include "support/testutil.h"

namespace barontest {

inline constexpr double pinf = zlmspecs::valpin;
inline constexpr double minf = zlmspecs::valmin;

struct coldesc {
  std::int32_t type = 0;  // 0 continuous, 1 binary, 2 integer, 3.. SOS1, SOS2, semi
  double lower = 0;
  double level = 0;
  double upper = pinf;
  double priority = 1;
};

struct termdesc {
  std::int32_t col;  // 1-based
  double value;
  bool nonlin = false;
};

struct rowdesc {
  std::int32_t type = 0;  // 0..6 =E= =G= =L= =N= =X= =C= =B=
  double rhs = 0;
  std::vector<termdesc> terms{};       // linear terms and the nonlinear columns (value 0)
  std::vector<ctvnl::tnlcode> code{};  // without header and store; pool entries from 1
};

struct modeldesc {
  std::int32_t modeltype = ctvproc::proc_nlp;
  std::vector<coldesc> cols;
  std::vector<rowdesc> rows;
  std::vector<double> pool;
  std::int32_t objvar = 0;
  std::int32_t objrow = 0;
  bool maximize = false;
  bool reformulate = false;  // the control values that allow the objective reformulation
  bool relaxed = false;
  std::int32_t logoption = 2;
  std::int32_t threads = 0;
  std::string options;     // the option file's text; empty: none
  std::string dictionary;  // the dictionary file's text; empty: no dictionary file name
  std::string sysdir = testutil::source_dir() + "/examples/sysdir/";
};

inline ctvnl::tnlcode ins(ctvnl::opcode op, std::int32_t operand = 0) { return {op, operand}; }

// The example model: x1 free, x2 >= 0, x3 free; e1: x1*x2 =L= 4; e2: x3 - x1 =E= 0; min x3.
inline modeldesc examplemodel() {
  modeldesc d;
  d.cols = {{.lower = minf}, {}, {.lower = minf}};
  d.rows = {{.type = 2,
             .rhs = 4,
             .terms = {{1, 0, true}, {2, 0, true}},
             .code = {ins(ctvnl::opcode::pushv, 1), ins(ctvnl::opcode::mulv, 2)}},
            {.type = 0, .rhs = 0, .terms = {{3, 1}, {1, -1}}}};
  d.objvar = 3;
  d.objrow = 2;
  return d;
}

// Writes dir/model.ctl, model.mat, model.cod and, when given, baron.opt and model.dct.
// Log, status and solution files are model.log, model.sta, model.sol; scratch files
// "<name>.scr" in dir.
inline void writemodel(const modeldesc& d, const std::string& dir) {
  q5rt::sstr msg;
  zlmconf::tzlmconf table(msg);
  gdutils::tcontrolrec rec;
  std::string tmpl = testutil::read_file(testutil::source_dir() + "/examples/model/baron.ctl.in");
  ASSERT_TRUE(gdutils::parse(tmpl, "template", rec, msg, table)) << msg.view();
  const auto nrows = static_cast<std::int32_t>(d.rows.size());
  const auto ncols = static_cast<std::int32_t>(d.cols.size());
  std::int32_t nz = 0, nlnz = 0, ninstr = 0;
  std::array<std::int32_t, 7> equcount{}, colcount{};
  for (const rowdesc& r : d.rows) {
    ++equcount[static_cast<std::size_t>(r.type)];
    nz += static_cast<std::int32_t>(r.terms.size());
    for (const termdesc& t : r.terms) nlnz += t.nonlin ? 1 : 0;
    if (!r.code.empty()) ninstr += static_cast<std::int32_t>(r.code.size()) + 2;
  }
  for (const coldesc& c : d.cols) ++colcount[static_cast<std::size_t>(c.type)];
  auto& I = rec.ints;
  I[0] = d.modeltype;
  I[1] = nrows;
  I[2] = ncols;
  I[5] = d.maximize ? 1 : 0;
  I[6] = d.objvar;
  I[7] = d.options.empty() ? 0 : 1;
  I[9] = ninstr;
  I[10] = static_cast<std::int32_t>(d.pool.size());
  I[11] = nz;
  I[12] = nlnz;
  I[16] = ninstr + 10;
  I[97] = ninstr + 10;
  I[17] = d.logoption;
  I[19] = 0;
  I[20] = d.reformulate ? 1 : 0;
  I[26] = d.reformulate ? 1 : 0;  // the reformulation's limit
  I[8] = 1;                       // the matrix file carries priorities
  rec.reals[0] = 1e-4;            // relative gap
  rec.reals[1] = 1e-6;            // absolute gap
  rec.reals[2] = 1000;            // time limit
  I[21] = d.objrow;
  I[22] = I[23] = I[24] = 0;
  I[28] = 0;
  I[30] = d.relaxed ? 1 : 0;
  I[143] = d.threads;
  for (int t = 0; t < 7; ++t)
    I[static_cast<std::size_t>(39 + t)] = equcount[static_cast<std::size_t>(t)];
  constexpr int colslots[] = {58, 60, 61, 65, 66, 67, 68};
  constexpr int fixslots[] = {78, 80, 81, 85, 86, 87, 88};
  for (int t = 0; t < 7; ++t) {
    I[static_cast<std::size_t>(colslots[t])] = colcount[static_cast<std::size_t>(t)];
    I[static_cast<std::size_t>(fixslots[t])] = 0;
  }
  const auto at = [&dir](const char* name) { return q5rt::sstr::cut(dir + "/" + name); };
  auto& S = rec.strs;
  S[0] = at("model.ctl");
  S[1] = at("model.log");
  S[2] = at("model.sta");
  S[3] = at("baron.opt");
  S[4] = at("model.sol");
  S[5] = q5rt::sstr::cut(dir + "/");
  S[8] = q5rt::sstr::cut(d.sysdir);
  S[18] = at("model.mat");
  S[19] = at("model.cod");
  S[20] = d.dictionary.empty() ? q5rt::sstr{} : at("model.dct");
  S[23] = q5rt::sstr::cut("scr");
  ASSERT_EQ(gdutils::scwritecontrol(rec, table), 0);
  if (!d.options.empty()) testutil::write_file(dir + "/baron.opt", d.options);
  if (!d.dictionary.empty()) testutil::write_file(dir + "/model.dct", d.dictionary);

  std::int32_t rc = 0;
  gdutils::modfileptr mat = gdutils::cwmat(rc, 0, 0, 1, dir + "/model.mat");
  ASSERT_TRUE(mat) << rc;
  gdutils::wrmathead(*mat);
  for (const rowdesc& r : d.rows) {
    gdutils::matrow mr;
    mr.type = r.type;
    mr.rhs = r.rhs;
    mr.nzcount = static_cast<std::int32_t>(r.terms.size());
    gdutils::wrmatrow(*mat, mr);
  }
  // Each column's entries in row order, gathered in one pass over the rows.
  std::vector<std::vector<gdutils::matdat>> bycol(static_cast<std::size_t>(ncols));
  for (std::int32_t i = 1; i <= nrows; ++i) {
    for (const termdesc& t : d.rows[static_cast<std::size_t>(i - 1)].terms) {
      if (t.col >= 1 && t.col <= ncols) {
        bycol[static_cast<std::size_t>(t.col - 1)].push_back({i, t.value, t.nonlin});
      }
    }
  }
  for (std::int32_t j = 1; j <= ncols; ++j) {
    const coldesc& c = d.cols[static_cast<std::size_t>(j - 1)];
    const std::vector<gdutils::matdat>& entries = bycol[static_cast<std::size_t>(j - 1)];
    gdutils::matcol mc;
    mc.nzcount = static_cast<std::int32_t>(entries.size());
    mc.lower = c.lower;
    mc.level = c.level;
    mc.upper = c.upper;
    mc.type = c.type;
    mc.priority = c.priority;
    gdutils::wrmatcol(*mat, mc);
    for (const auto& e : entries) gdutils::wrmatdat(*mat, e);
  }
  ASSERT_EQ(gdutils::closemod(mat), 0);

  gdutils::modfileptr cod = gdutils::cwcod(rc, 0, dir + "/model.cod");
  ASSERT_TRUE(cod) << rc;
  gdutils::wrcodhead(*cod);
  for (std::int32_t i = 1; i <= nrows; ++i) {
    const rowdesc& r = d.rows[static_cast<std::size_t>(i - 1)];
    if (r.code.empty()) continue;
    gdutils::wrcodrec(*cod, ctvnl::code(ctvnl::opcode::header), 0);
    for (const auto& c : r.code)
      gdutils::wrcodrec(*cod, static_cast<std::uint8_t>(c.opcode), c.operand);
    gdutils::wrcodrec(*cod, ctvnl::code(ctvnl::opcode::store), i);
  }
  gdutils::wrcodreloc(*cod);
  gdutils::wrcodpool(*cod, static_cast<std::int32_t>(d.pool.size()));
  for (const double v : d.pool) gdutils::wrcodconst(*cod, v);
  ASSERT_EQ(gdutils::closemod(cod), 0);
}

}  // namespace barontest
