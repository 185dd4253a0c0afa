// The EMP record's start-up, allocation and release, the small accessors and the
// disjunction object's accessors.
#include "emp/empdata.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bindings/dctmdcdef.h"
#include "emp/zlmheapnew.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"
#include "frame/zlmobj.h"

namespace empdata {

namespace {

// Every list object of the EMP state; empfree releases them all at once. A plain pointer, made
// with the first list and deleted at close-down: a static object could be gone before the
// close-down at exit empties it, and a pool made there would outlive an unloaded library.
using listpooltype = std::vector<std::unique_ptr<zlmobj::txlist>>;
listpooltype* listpool = nullptr;

template <typename T>
T* heaparray(std::int64_t n) {
  return static_cast<T*>(myemp.heap->xallocmem64(n * static_cast<std::int64_t>(sizeof(T))));
}

template <typename T>
void fill(T* a, std::int64_t n, T value) {
  for (std::int64_t i = 0; i < n; ++i) a[i] = value;
}

template <typename T>
void growarray(T*& a, std::int32_t oldcap, std::int32_t newcap) {
  void* p = a;
  myemp.heap->xreallocmem64(p, std::int64_t{oldcap} * sizeof(T), std::int64_t{newcap} * sizeof(T));
  a = static_cast<T*>(p);
  for (std::int32_t i = oldcap; i < newcap; ++i) a[i] = T{};
}

void setstartvalues() {
  myemp.parpoolstep = parpoolgrowth;
  myemp.agentstep = agentgrowth;
  myemp.modeltype = 0;
  myemp.implagent = -1;
  myemp.numcols = -1;
  myemp.numrows = -1;
  myemp.visolagent = -1;
  myemp.sharedagent = -1;
}

void startup() {
  clearrecord();
  myemp_ep = new tempdata();
}

void closedown() {
  empfree();
  delete listpool;
  listpool = nullptr;
  delete myemp_ep;
  myemp_ep = nullptr;
}

q5rt::unit_registration reg{"empdata", &startup, &closedown};

}  // namespace

void clearrecord() { myemp = temprec{}; }

zlmobj::txlist* newlist() {
  if (listpool == nullptr) listpool = new listpooltype();
  listpool->push_back(std::make_unique<zlmobj::txlist>());
  return listpool->back().get();
}

void empalloc(std::int32_t ncols, std::int32_t nrows) {
  if (myemp.allocated != 0) empfree();
  ctvnew::mathnewrecinit(mathnewemp);
  clearrecord();
  setstartvalues();
  myemp.heap = new zlmheapnew::theapmgr("empHeap");
  const std::int64_t c = std::int64_t{ncols} + 1;
  const std::int64_t r = std::int64_t{nrows} + 1;
  myemp.flip = heaparray<std::int32_t>(r);
  fill(myemp.flip, r, -1);
  myemp.colreserve = heaparray<std::int32_t>(c);
  myemp.dualrowofcol = heaparray<std::int32_t>(c);
  myemp.implgroupcol = heaparray<std::int32_t>(c);
  myemp.virowofcol = heaparray<std::int32_t>(c);
  myemp.qviparofcol = heaparray<std::int32_t>(c);
  myemp.qviorigofpar = heaparray<std::int32_t>(c);
  myemp.implcoef = heaparray<double>(c);
  myemp.dualcolofrow = heaparray<std::int32_t>(r);
  myemp.implgrouprow = heaparray<std::int32_t>(r);
  myemp.rowreserve = heaparray<std::int32_t>(r);
  myemp.vivarofrow = heaparray<std::int32_t>(r);
  myemp.agentofrow = heaparray<std::int32_t>(r);
  myemp.rowagents = heaparray<zlmobj::txlist*>(r);
  myemp.rowagentflips = heaparray<zlmobj::txlist*>(r);
  myemp.agentofcol = heaparray<std::int32_t>(c);
  fill(myemp.agentofcol, c, -1);
  myemp.thetafunc = heaparray<std::int32_t>(r);
  myemp.thetanpar = heaparray<std::int32_t>(r);
  myemp.thetastart = heaparray<std::int32_t>(r);
  myemp.thetaweight = heaparray<double>(r);
  fill(myemp.thetaweight, r, 1.0);
  myemp.parpoolcap = myemp.parpoolstep;
  myemp.parpool = heaparray<double>(std::int64_t{myemp.parpoolcap} + 1);
  myemp.agentcap = myemp.agentstep;
  const std::int64_t a = myemp.agentcap;
  myemp.agentfollower = heaparray<std::int32_t>(a);
  myemp.agentobjrow = heaparray<std::int32_t>(a);
  myemp.agenttype = heaparray<std::int32_t>(a);
  myemp.agentstar = heaparray<std::int32_t>(a);
  myemp.agentobjvar = heaparray<std::int32_t>(a);
  myemp.agentobjcoef = heaparray<double>(a);
  myemp.agentimplobj = heaparray<zlmobj::txlist*>(a);
  myemp.agentrows = heaparray<zlmobj::txlist*>(a);
  thetacount = {};
  myemp.allocated = 1;
  myemp.numcols = ncols;
  myemp.numrows = nrows;
}

void empfree() {
  if (myemp.dicthandle != nullptr) {
    bindproto::handle h = myemp.dicthandle;
    dctmdcdef::dctfree(h);
  }
  if (listpool != nullptr) listpool->clear();
  delete myemp.heap;
  if (myemp_ep != nullptr) myemp_ep->reset();
  clearrecord();
  setstartvalues();
}

void empgrowfollowers() {
  // Room for agent numagents + 1: entries 0 to agentcap - 1.
  if (myemp.numagents + 1 < myemp.agentcap) return;
  const std::int32_t old = myemp.agentcap;
  const std::int32_t cap = old + myemp.agentstep;
  growarray(myemp.agentfollower, old, cap);
  growarray(myemp.agentobjrow, old, cap);
  growarray(myemp.agenttype, old, cap);
  growarray(myemp.agentstar, old, cap);
  growarray(myemp.agentobjvar, old, cap);
  growarray(myemp.agentobjcoef, old, cap);
  growarray(myemp.agentimplobj, old, cap);
  growarray(myemp.agentrows, old, cap);
  myemp.agentcap = cap;
}

double empparval(std::int32_t row, std::int32_t k) {
  if (k < 1 || k > myemp.thetanpar[row]) return 1.0;
  return myemp.parpool[myemp.thetastart[row] + k];
}

std::uint8_t emptheta(std::int32_t row) { return static_cast<std::uint8_t>(myemp.thetafunc[row]); }

std::int32_t empkey(std::string_view text) {
  // Every item name is asked: the length is compared here, the letters only when it fits.
  for (std::size_t i = 0; i < empkeytext.size(); ++i)
    if (empkeytext[i].size() == text.size() && strutilx::struequal(empkeytext[i], text))
      return static_cast<std::int32_t>(i);
  return 0;
}

timplvarrec* empallocimplvarrec() {
  auto* rec = static_cast<timplvarrec*>(myemp.heap->xallocmem(sizeof(timplvarrec)));
  for (zlmobj::txlist** l :
       {&rec->agents, &rec->varagents, &rec->rowlists, &rec->vars, &rec->othercols, &rec->rows,
        &rec->rowvars, &rec->rowvarsnl, &rec->rowothers, &rec->rowothersnl})
    *l = newlist();
  return rec;
}

// ---- disjunction accessors ----

void tempdata::emperrorlog(std::string_view text) {
  const q5rt::sstr line = q5rt::concat("*** EMP Error ", text);
  std::fputs("***\n", stdout);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputs("\n***\n", stdout);
  std::fflush(stdout);
}

bool tempdata::catchdisj(std::int32_t d, std::string_view name) {
  if (d >= 1 && disjlist != nullptr && d <= disjlist->count()) return true;
  emperrorlog(q5rt::concat(name, ": d=", strutilx::inttostrw(d, 0)));
  return false;
}

bool tempdata::catchterm(std::int32_t d, std::int32_t t, std::string_view name) {
  if (!catchdisj(d, name)) return false;
  if (t >= 1 && t <= disj(d)->terms->count()) return true;
  emperrorlog(q5rt::concat(name, ": t=", strutilx::inttostrw(t, 0)));
  return false;
}

tdisjrec* tempdata::disj(std::int32_t d) const {
  return static_cast<tdisjrec*>(disjlist->get(d - 1));
}

ttermrec* tempdata::term(std::int32_t d, std::int32_t t) const {
  return static_cast<ttermrec*>(disj(d)->terms->get(t - 1));
}

std::int32_t tempdata::getnumdisj() const { return disjlist == nullptr ? 0 : disjlist->count(); }

std::int32_t tempdata::getind(std::int32_t d) {
  return catchdisj(d, "GetInd") ? disj(d)->indicator : 0;
}

void tempdata::setind(std::int32_t d, std::int32_t value) {
  if (catchdisj(d, "SetIndic")) disj(d)->indicator = value;
}

std::int32_t tempdata::getnumterm(std::int32_t d) {
  return catchdisj(d, "GetNumTerm") ? disj(d)->terms->count() : 0;
}

std::int32_t tempdata::getlastterm(std::int32_t d) {
  if (!catchdisj(d, "GetLastEqu")) return 0;
  for (std::int32_t t = disj(d)->terms->count(); t >= 1; --t)
    if (term(d, t)->equs->count() > 0) return t;
  return 0;
}

std::int32_t tempdata::getnumequ(std::int32_t d, std::int32_t t) {
  return catchterm(d, t, "GetNumEqu") ? term(d, t)->equs->count() : 0;
}

std::int32_t tempdata::gettermvar(std::int32_t d, std::int32_t t) {
  return catchterm(d, t, "GetTermVar") ? term(d, t)->var : 0;
}

std::int32_t tempdata::gettermnot(std::int32_t d, std::int32_t t) {
  if (!catchterm(d, t, "GetTermNot")) return 0;
  const zlmobj::txlist* equs = term(d, t)->equs;
  for (std::int32_t k = 0; k < equs->count(); ++k)
    if (static_cast<tequrec*>(equs->get(k))->row < 0) return 1;
  return 0;
}

std::int32_t tempdata::getequindex(std::int32_t d, std::int32_t t, std::int32_t k) {
  if (!catchterm(d, t, "GetEquIndex")) return 0;
  const zlmobj::txlist* equs = term(d, t)->equs;
  if (k < 1 || k > equs->count()) return 0;
  return static_cast<tequrec*>(equs->get(k - 1))->row;
}

tequrec* tempdata::findequ(std::int32_t d, std::int32_t t, std::int32_t row,
                           std::string_view name) {
  if (!catchterm(d, t, name)) return nullptr;
  const std::int32_t r = std::abs(row);
  if (rowequs == nullptr || r < 1 || r > myemp.numrows || rowequs[r] == nullptr) return nullptr;
  const zlmobj::txlist* l = rowequs[r];
  for (std::int32_t k = 0; k < l->count(); ++k) {
    auto* e = static_cast<tequrec*>(l->get(k));
    if (e->disj == d && e->term == t) return curequ = e;
  }
  return nullptr;
}

std::int32_t tempdata::getequbin(std::int32_t d, std::int32_t t, std::int32_t row) {
  const tequrec* e = findequ(d, t, row, "GetEquBin");
  return e != nullptr ? e->bin : 0;
}

void tempdata::setequbin(std::int32_t d, std::int32_t t, std::int32_t row, std::int32_t value) {
  if (tequrec* e = findequ(d, t, row, "SetEquBin")) e->bin = value;
}

std::uint8_t tempdata::getequsplit(std::int32_t d, std::int32_t t, std::int32_t row) {
  const tequrec* e = findequ(d, t, row, "GetEquSplit");
  return e != nullptr ? e->split : 0;
}

void tempdata::setequsplit(std::int32_t d, std::int32_t t, std::int32_t row, std::uint8_t value) {
  if (tequrec* e = findequ(d, t, row, "SetEquSplit")) e->split = value;
}

double tempdata::getequdotl(std::int32_t d, std::int32_t t, std::int32_t row) {
  const tequrec* e = findequ(d, t, row, "GetEquDotL");
  return e != nullptr ? e->dotl : 0.0;
}

void tempdata::setequdotl(std::int32_t d, std::int32_t t, std::int32_t row, double value) {
  if (tequrec* e = findequ(d, t, row, "SetEquDotL")) e->dotl = value;
}

std::int32_t tempdata::equindisj(std::int32_t row, std::int32_t& d) const {
  d = 0;
  if (rowequs == nullptr || row < 1 || row > myemp.numrows || rowequs[row] == nullptr) return 0;
  const zlmobj::txlist* l = rowequs[row];
  if (l->count() > 0) d = static_cast<tequrec*>(l->get(0))->disj;
  return l->count();
}

void tempdata::disjsetdefault(std::int32_t type, double bigm, double eps, std::int32_t n) {
  if (type > 0) deftype = type;
  if (bigm > 0) defbigm = bigm;
  if (eps > 0) defeps = eps;
  if (n > 0) defint = n;
}

void tempdata::disjgetdefault(std::int32_t& type, double& bigm, double& eps,
                              std::int32_t& n) const {
  type = deftype;
  bigm = defbigm;
  eps = defeps;
  n = defint;
}

void tempdata::disjgetimplement(std::int32_t d, std::int32_t& type, double& bigm, double& eps,
                                std::int32_t& n) {
  type = 0;
  bigm = 0;
  eps = 0;
  n = 0;
  if (!catchdisj(d, "DisjGetImplement")) return;
  const tdisjrec* r = disj(d);
  type = r->type;
  bigm = r->bigm;
  eps = r->eps;
  n = r->intset;
}

void tempdata::disjgetimptype(std::int32_t d, std::int32_t& type) {
  type = catchdisj(d, "DisjGetImpType") ? disj(d)->type : 0;
}

}  // namespace empdata
