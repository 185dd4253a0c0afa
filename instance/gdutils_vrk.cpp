// Layout 5 of the scratch-file handle: record routines on the handle's data-exchange object.
#include "instance/gdutils_vrk.h"

#include "frame/q5rtnum.h"
#include "frame/q5text.h"
#include "instance/zlmspecs.h"

namespace gdutils {

namespace {

// The handle fails with the object's message, or with text when the object has none.
bool vrkfailed(tmodfile& h, std::string_view text) {
  if (h.failed) return false;
  h.failed = true;
  const q5rt::sstr& m = h.vrk->message();
  h.errmsg = q5rt::concat(h.name, ": ", m.empty() ? text : m.view());
  return false;
}

bool done(tmodfile& h, int rc, std::string_view text) {
  return rc == 0 && !h.failed ? true : vrkfailed(h, text);
}

}  // namespace

scrvrk::tscratchvrk* getscrvrkptr(tmodfile& h) { return h.vrk.get(); }

void sethavenlnz(tmodfile& h) {
  if (h.layout == vrklayout && h.vrk) h.vrk->sethavenlnz(true);
}

std::int32_t scrvrkwritedictionary(tmodfile& h, bindproto::handle dct) {
  if (h.layout != vrklayout || !h.vrk) return 0;
  return h.vrk->writedictionary(dct);
}

namespace vrk {

std::int32_t open(tmodfile& h) {
  h.vrk = std::make_unique<scrvrk::tscratchvrk>();
  q5rt::sstr msg;
  if (h.reading) {
    (void)h.vrk->createforreading(h.name, msg);
  } else {
    (void)h.vrk->createforwriting(h.name, msg);
  }
  if (msg.empty()) return 0;
  (void)h.vrk->getlasterrmsg();  // reported here, not again by the object
  q5rt::output().writeln(q5rt::concat(openmodfor, h.name, openmodfailed, msg));
  h.vrk.reset();
  return vrkopenfailed;
}

std::int32_t close(tmodfile& h) {
  if (!h.vrk) return 0;
  if (h.reading) {
    (void)h.vrk->readdone();
  } else {
    (void)h.vrk->writedone();
  }
  const q5rt::sstr msg = h.vrk->getlasterrmsg();
  h.vrk.reset();
  if (msg.empty()) return 0;
  q5rt::output().writeln(q5rt::concat("*** Problems in CloseMod: ", msg));
  return vrkopenfailed;
}

bool rdmatrow(tmodfile& h, matrow& r) {
  scrvrk::rowrec v;
  const int rc = h.vrk->readrow(v);
  r = matrow{v.type, v.marginalflag, v.rhs, v.level, v.marginal, 0, v.scale, v.match};
  return done(h, rc, "ReadRow: no row left");
}

bool rdmatcol(tmodfile& h, matcol& c) {
  scrvrk::colrec v;
  const int rc = h.vrk->readcolumn(v);
  c = matcol{v.nzcount, v.marginalflag, v.lower,    v.level,    v.upper,
             v.type,    v.sosset,       v.priority, v.marginal, v.scale};
  return done(h, rc, "ReadColumn: no column left");
}

bool rdmatdat(tmodfile& h, matdat& e) {
  e = matdat{};
  const int rc = h.vrk->readjac(e.row, e.value, e.nonlin);
  return done(h, rc, "ReadJac: the column holds fewer Jacobian entries than its count");
}

void wrmatrow(tmodfile& h, const matrow& r) {
  (void)done(
      h, h.vrk->writerow({r.type, r.rhs, r.level, r.marginalflag, r.marginal, r.scale, r.match}),
      "WriteRow failed");
}

void wrmatcol(tmodfile& h, const matcol& c) {
  (void)done(h,
             h.vrk->writecolumn({c.type, c.nzcount, c.lower, c.level, c.upper, c.sosset, c.priority,
                                 c.marginalflag, c.marginal, c.scale}),
             "WriteColumn failed");
}

void wrmatdat(tmodfile& h, const matdat& e) {
  (void)done(h, h.vrk->writejac(e.row, e.value, e.nonlin), "WriteJac failed");
}

bool rdcodrec(tmodfile& h, std::int32_t& opcode, std::int32_t& operand) {
  std::int32_t row = 0;
  opcode = 0;
  operand = 0;
  return done(h, h.vrk->readnlinstr(row, opcode, operand), "ReadNLInstr: no instruction left");
}

bool rdcodpool(tmodfile& h, std::int32_t& count) {
  count = h.vrk->constantcount();
  return !h.failed;
}

bool rdcodconst(tmodfile& h, double& value) {
  value = 0.0;
  return done(h, h.vrk->readconstpool(value), "ReadConstPool: no constant left");
}

bool atend(const tmodfile& h) { return !h.vrk->leftover(); }

// Head items under their own index, tail items under index + 10; index 0 ends the head.
void wrsolheadtail(tmodfile& h, std::int32_t index, double value) {
  if (index == 0) {
    h.pasthead = true;
    return;
  }
  (void)done(h, h.vrk->puthtrec(h.pasthead ? index + 10 : index, value), "PutHTRec failed");
}

void wrsolrecex(tmodfile& h, const solrec& r) {
  h.pasthead = true;
  const scrvrk::solrec s{r.status, r.basis, r.level, r.marginal, r.scale};
  const int rc = h.rowsdone ? h.vrk->writecolumnsol(s) : h.vrk->writerowsol(s);
  (void)done(h, rc, "WriteSol failed");
}

namespace {

constexpr std::int32_t headlast = 10;

// The stored item at index, or NA.
double item(tmodfile& h, std::int32_t index) {
  double v = zlmspecs::valna;
  (void)h.vrk->gethtrec(index, v);
  return v;
}

}  // namespace

// The handle's counter walks the stored items: the head's up to 10, then the tail's.
bool rdsolheadtail(tmodfile& h, std::int32_t& index, double& value) {
  index = 0;
  value = zlmspecs::valna;
  if (h.htcounter <= headlast) {
    for (std::int32_t k = h.htcounter + 1; k <= headlast; ++k) {
      if (const double v = item(h, k); v != zlmspecs::valna) {
        h.htcounter = k;
        index = k;
        value = v;
        return !h.failed;
      }
    }
    h.htcounter = headlast + 1;
    return !h.failed;
  }
  for (std::int32_t k = h.htcounter; k <= scrvrk::htcount; ++k) {
    if (const double v = item(h, k); v != zlmspecs::valna) {
      h.htcounter = k + 1;
      index = k - headlast;
      value = v;
      return !h.failed;
    }
  }
  h.htcounter = 0;
  return !h.failed;
}

bool rdsolrecex(tmodfile& h, solrec& r) {
  scrvrk::solrec s;
  int rc = 0;
  if (!h.rowsdone) {
    rc = h.vrk->readrowsol(s);
    h.rowsdone = h.vrk->rowsdone();
  } else {
    rc = h.vrk->readcolumnsol(s);
  }
  r = solrec{s.status, s.basis, s.level, s.marginal, s.scale};
  return done(h, rc, "ReadSol: no record left");
}

}  // namespace vrk
}  // namespace gdutils
