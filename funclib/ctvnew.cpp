// The evaluation record: initialisation, heap records, the infinity and the default callback.
#include "funclib/ctvnew.h"

#include <cmath>
#include <cstring>

namespace ctvnew {

const q5rt::shortstring<7> returnstr[5] = {
    q5rt::shortstring<7>::cut("OK"),     q5rt::shortstring<7>::cut("FUNC"),
    q5rt::shortstring<7>::cut("GRAD"),   q5rt::shortstring<7>::cut("HESS"),
    q5rt::shortstring<7>::cut("SYSTEM"),
};

const q5rt::shortstring<15> exceptstr[5] = {
    q5rt::shortstring<15>::cut("ERROR"),    q5rt::shortstring<15>::cut("DOMAIN"),
    q5rt::shortstring<15>::cut("SINGULAR"), q5rt::shortstring<15>::cut("OVERFLOW"),
    q5rt::shortstring<15>::cut("SIGLOSS"),
};

const q5rt::shortstring<15> muactionid[10] = {
    q5rt::shortstring<15>::cut("badaction"), q5rt::shortstring<15>::cut("param"),
    q5rt::shortstring<15>::cut("lower"),     q5rt::shortstring<15>::cut("upper"),
    q5rt::shortstring<15>::cut("scenario"),  q5rt::shortstring<15>::cut("fixed"),
    q5rt::shortstring<15>::cut("level"),     q5rt::shortstring<15>::cut("marginal"),
    q5rt::shortstring<15>::cut("opt"),       q5rt::shortstring<15>::cut("randvar"),
};

namespace {

// The fields that both ways of making a record set alike. sqrtinf starts at 1e149, not at
// the square root of 1e299 that funcsetinf would give.
void setcommon(tmathnewrec& rec, tlogerror callback, void* usermem) {
  rec.ec = 0;
  rec.rc = 0;
  rec.fnr = 0;
  rec.msg.clear();
  rec.level = 0;
  rec.nargs = 0;
  rec.inf = math_huge;
  rec.sqrtinf = 1e149;
  rec.logerror = callback != nullptr ? callback : &logerrory;
  rec.usermem = usermem;
  rec.forceerrorcount = 0;
}

}  // namespace

void mathnewrecinit(tmathnewrec& rec) {
  setcommon(rec, &logerrory, nullptr);
  rec.scalestep = 1;
  rec.keepgrad = 1;
  rec.step = 1e-5;
  rec.numderiv = 0;
}

void mathnewreccreate(tmathnewrec*& rec, tlogerror callback, void* usermem) {
  rec = new tmathnewrec{};  // zero fill: the finite-difference settings stay 0
  setcommon(*rec, callback, usermem);
}

void mathnewrecdestroy(tmathnewrec*& rec) {
  delete rec;
  rec = nullptr;
}

double funcgetinf(const tmathnewrec& rec) { return rec.inf; }

void funcsetinf(tmathnewrec& rec, double x) {
  rec.inf = x;
  rec.sqrtinf = std::sqrt(x);
}

int logerrory(int rc, int ec, const q5rt::sstr& /*msg*/, void* /*usermem*/) {
  return ec == ec_overflow ? 0 : rc;
}

}  // namespace ctvnew
