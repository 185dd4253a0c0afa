// Control loading: the control file's values into the model record.
#include "instance/gcload.h"

#include <algorithm>

#include "instance/gcdata.h"
#include "instance/gdutils.h"
#include "instance/zlmconf.h"

namespace gcload {

namespace {

// The control slots that later steps use, into the record.
void copycontrol(const gdutils::tcontrolrec& c, gcdata::tmodel& m) {
  const auto& I = c.ints;
  const auto& R = c.reals;
  const auto& S = c.strs;
  m.rows = I[1];
  m.cols = I[2];
  m.nonzeros = I[11];
  m.nlnonzeros = I[12];
  m.extnonzeros = I[19];
  m.poolsize = I[10];
  m.instrcount = I[9];
  m.evalworklen = I[16];
  m.modeltype = I[0];
  m.maximize = I[5];
  m.objvar = I[6];
  m.filetype = I[28];
  m.useoptfile = I[7];
  m.relaxed = I[30];
  m.anchors = I[35];
  m.ctlint76 = I[76];
  m.ctlint77 = I[77];
  m.scaleopt = I[4];
  m.priorityopt = I[8];
  m.ctlflag56 = I[56];
  m.ctlflag57 = I[57];
  m.scaledsol = I[116];
  m.threads = I[143];
  std::copy_n(&I[100], m.ctlint100.size(), m.ctlint100.begin());
  std::copy_n(&R[20], m.ctlreal20.size(), m.ctlreal20.begin());
  m.ctlreal9 = R[9];
  m.ctlreal8 = R[8];
  m.ctlreal7 = R[7];
  m.ctlreal4 = R[4];
  m.ctlreal5 = R[5];
  m.ctlreal0 = R[0];
  m.ctlreal1 = R[1];
  m.ctlreal2 = R[2];
  std::copy_n(&I[39], m.equcount.size(), m.equcount.begin());
  constexpr int colslots[] = {58, 60, 61, 65, 66, 67, 68};
  constexpr int fixslots[] = {78, 80, 81, 85, 86, 87, 88};
  for (std::size_t t = 0; t < m.colcount.size(); ++t) {
    m.colcount[t] = I[static_cast<std::size_t>(colslots[t])];
    m.fixcount[t] = I[static_cast<std::size_t>(fixslots[t])];
  }
  m.instrworklen = I[97];
  m.logoption = I[17];
  m.ctlint26 = I[26];
  m.ctlint20 = I[20];
  m.objrow = I[21];
  m.ctlint22 = I[22];
  m.ctlint23 = I[23];
  m.ctlint24 = I[24];
  m.matfile = S[18];
  m.instrfile = S[19];
  m.dictfile = S[20];
  m.ctrlfile = S[0];
  m.sysdir = S[8];
  m.scrdir = S[5];
  m.logfile = S[1];
  m.statfile = S[2];
  m.solfile = S[4];
  m.optfile = S[3];
  m.scrext = S[23];
  m.extlibname = S[10];
  m.stamp1.assign_cut(S[6]);
  m.stamp2.assign_cut(S[7]);
}

// The table's per-model-type choices, names and capabilities; solvers past the record's
// room are left out.
void copysolvers(const zlmconf::tzlmconf& table, gcdata::tmodel& m) {
  for (std::int32_t t = 0; t < gcdata::modeltypes; ++t) {
    m.defaultsolver[static_cast<std::size_t>(t)] = table.scgetdefault(t);
    m.chosensolver[static_cast<std::size_t>(t)] = table.scgetalgchosen(t);
  }
  m.solvercount = std::min(table.getnumalgs(), gcdata::maxsolvers);
  m.solvercaps[0] = {};
  for (std::int32_t k = 0; k <= m.solvercount; ++k) {
    m.solvernames[static_cast<std::size_t>(k)].assign_cut(table.scalgname(k));
    if (k == 0) continue;
    for (std::int32_t t = 0; t < gcdata::modeltypes; ++t) {
      m.solvercaps[static_cast<std::size_t>(k)][static_cast<std::size_t>(t)] =
          table.sccapability(k, t);
    }
  }
}

}  // namespace

bool loadcontrol(std::string_view filename, q5rt::sstr& msg) {
  zlmconf::tzlmconf table(msg);
  gdutils::tcontrolrec rec;
  rec.strs[0].assign_cut(filename);
  if (!gdutils::screadcontrol(rec, msg, table)) return false;
  copycontrol(rec, gcdata::mymodel);
  copysolvers(table, gcdata::mymodel);
  return true;
}

}  // namespace gcload
