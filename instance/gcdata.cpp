// The model record's procedures: log and status file, memo file, status pair, solution
// arrays and control options by key.
#include "instance/gcdata.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "frame/gfileopen.h"
#include "frame/q5rtnum.h"
#include "frame/q5text.h"
#include "frame/statlib.h"

namespace gcdata {

namespace {

// Made before the start-ups, so it outlives the close-down that closes it.
q5rt::textfile memo;

bool memoopen = false;

void closedown() { gcclosememo(); }

q5rt::unit_registration reg{"gcdata", nullptr, &closedown};

}  // namespace

void gclogstat(std::string_view text) {
  statlib::gclog(text);
  statlib::gcstatc(text);
}

void gcmemo(std::string_view text) {
  statlib::gcstatc(text);
  if (memoopen) memo.writeln(text);
}

void gcopenmemo(std::string_view filename) {
  gcclosememo();
  std::int32_t rc = 0;
  (void)gfileopen::grrewrite(filename, false, memo, rc);
  if (rc != 0) {
    gclogstat(q5rt::concat(memoopenfailed, filename));
    gclogstat(q5rt::concat("*** RC=", q5rt::Q5_Str_i0(rc), " ", q5rt::syserrortext(rc)));
    return;
  }
  memoopen = true;
}

void gcclosememo() {
  if (!memoopen) return;
  memo.close();
  (void)memo.ioresult();
  memoopen = false;
}

bool fnmemoopen() { return memoopen; }

void gcopenlog() { (void)statlib::gstatopen(mymodel.logoption, 2, mymodel.logfile); }

void gccloselog() { statlib::gstatclose(); }

void gcopenstat() {
  statlib::statussetfilename(mymodel.statfile);
  q5rt::sstr msg;
  if (statlib::statusfileopen(2, msg)) return;
  statlib::gclog(statusopenfailed);
  statlib::gclog(q5rt::concat("*** ", msg));
  statlib::gstatclose();
  q5rt::halt(0);
}

void gcclosestat() { statlib::statusclose(); }

void gcsetstatus(std::int32_t solvestat, std::int32_t modelstat) {
  mymodel.solvestat = solvestat;
  mymodel.modelstat = modelstat;
}

void gcallocsolution() {
  const auto rows = static_cast<std::size_t>(std::max(mymodel.rows, 0));
  const auto cols = static_cast<std::size_t>(std::max(mymodel.cols, 0));
  if (mymodel.rowlevel.empty()) mymodel.rowlevel.resize(rows);
  if (mymodel.rowbasis.empty()) mymodel.rowbasis.resize(rows);
  if (mymodel.colbasis.empty()) mymodel.colbasis.resize(cols);
  mymodel.rowstatus.assign(rows, 0);
  mymodel.colstatus.assign(cols, 0);
  mymodel.solutionstored = true;
}

bool gcgetzolmopt(std::int32_t key, double& value) {
  const tmodel& m = mymodel;
  value = 0;
  bool defined = false;
  const auto when = [&](bool d, double v) {
    defined = d;
    if (d) value = v;
  };
  const auto nonneg = [&](double v) { when(true, v >= 0 ? v : 0.0); };  // always defined
  switch (key) {
    case 1:  // defined by its flag
      when(m.ctlflag57 != 0, m.ctlreal8);
      break;
    case 2:
      when(m.ctlflag56 != 0, m.ctlreal7);
      break;
    case 3:
      nonneg(m.ctlint76);
      break;
    case 4:
      when(m.ctlint77 > 0, m.ctlint77);
      break;
    case 5:
      nonneg(m.ctlreal1);
      break;
    case 6:
      nonneg(m.ctlreal0);
      break;
    case 7:
      nonneg(m.ctlreal2);
      break;
    case 8:
      nonneg(m.ctlint26);
      break;
    case 9:
      when(true, m.ctlreal9);
      break;
    case 10:
    case 11:
    case 12:
    case 13:
    case 14: {  // defined when not 0
      const std::int32_t v = m.ctlint100[static_cast<std::size_t>(key - 10)];
      when(v != 0, v);
      break;
    }
    case 15:
    case 16:
    case 17:
    case 18:
    case 19: {
      const double v = m.ctlreal20[static_cast<std::size_t>(key - 15)];
      when(v != 0, v);
      break;
    }
    case 20:  // 1 means not given
      when(m.ctlreal5 != 1, m.ctlreal5);
      break;
    case 21:
      when(m.ctlreal4 > 0, m.ctlreal4);
      break;
    default:  // no such key
      break;
  }
  return defined;
}

void addfname(std::string_view filename) { filelist.push_back(q5rt::sstr::cut(filename)); }

}  // namespace gcdata
