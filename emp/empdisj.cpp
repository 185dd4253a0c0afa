// The "disjunction" section: statements of terms switched by binary variables, a block
// variable fanning out into one disjunction per column, and the completion after reading
// (parallel step 1, levels at zero, indicator classes, default warnings).
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "emp/empload.h"
#include "emp/zlmheapnew.h"
#include "frame/statlib.h"
#include "frame/strutilx_numbers.h"
#include "frame/zlmobj.h"
#include "funclib/evalnew.h"

namespace empdata::detail {

namespace {

q5rt::sstr num(std::int64_t n) { return strutilx::inttostrw(n, 0); }

template <typename T>
T* heapzeroed(std::int64_t n) {
  return static_cast<T*>(myemp.heap->xallocmem64(n * static_cast<std::int64_t>(sizeof(T))));
}

// The settings of one statement.
struct implementation {
  std::int32_t type;
  std::int32_t intset;
  double bigm;
  double eps;
  bool biggiven;
  bool epsgiven;
};

// The disjunctions of one statement with their numbers.
struct statement {
  implementation impl{};
  std::vector<tdisjrec*> disj;
  std::vector<std::int32_t> number;
  std::vector<std::int32_t> var;  // the column of each disjunction's current term, 0 none
};

}  // namespace

void loader::disjprepare() {
  tempdata& ep = *myemp_ep;
  ep.disjlist = newlist();
  ep.rowequs = heapzeroed<zlmobj::txlist*>(std::int64_t{myemp.numrows} + 1);
  myemp.disjofcol = heapzeroed<std::int32_t>(std::int64_t{myemp.numcols} + 1);
  myemp.disjrowreserve = heapzeroed<std::int32_t>(std::int64_t{myemp.numrows} + 1);
}

tdisjrec* loader::newdisj(std::int32_t type, std::int32_t intset, double bigm, double eps,
                          bool bigmgiven, bool epsgiven, bool biggiven) {
  tempdata& ep = *myemp_ep;
  auto* d = static_cast<tdisjrec*>(myemp.heap->xallocmem(sizeof(tdisjrec)));
  *d = tdisjrec{type, intset, bigm, eps, newlist(), 0};
  ep.disjlist->add(d);
  ep.curdisj = d;
  if (type >= 0 && type <= 3) ++myemp.disjbytype[type];
  if (type == 2 && !bigmgiven) ++ep.ndefbigm;
  if (type == 1 && !biggiven) ++ep.ndefchullbig;
  if (type == 1 && !epsgiven) ++ep.ndefchulleps;
  return d;
}

void loader::addterm(tdisjrec* d, std::int32_t var) {
  auto* t = static_cast<ttermrec*>(myemp.heap->xallocmem(sizeof(ttermrec)));
  *t = ttermrec{var, newlist()};
  d->terms->add(t);
  myemp_ep->curterm = t;
}

void loader::joinrow(std::int32_t d, std::int32_t row, bool negated, bool epsgiven) {
  tempdata& ep = *myemp_ep;
  tdisjrec* rec = ep.disj(d);
  const std::int32_t t = rec->terms->count();
  auto* e = static_cast<tequrec*>(myemp.heap->xallocmem(sizeof(tequrec)));
  *e = tequrec{negated ? -row : row, d, t, 0, 0, 0.0};
  ep.term(d, t)->equs->add(e);
  if (ep.rowequs[row] == nullptr) ep.rowequs[row] = newlist();
  ep.rowequs[row]->add(e);
  ep.curequ = e;
  if (negated && rec->indicator == 0) {
    rec->indicator = 1;
    if (rec->type == 2 && !epsgiven) ++ep.ndefbigmeps;
  }
}

void loader::disjunction() {
  if (myemp_ep->disjlist == nullptr) disjprepare();
  next();
  const auto startsstatement = [this] {
    return isvar() || is(key_star) || is(key_not) || is(key_chull) || is(key_bigm) || is(key_indic);
  };
  do {
    statement s;
    const tempdata& ep = *myemp_ep;
    s.impl = {ep.deftype, ep.defint, ep.defbigm, ep.defeps, defbigmstated, defepsstated};
    while (is(key_chull) || is(key_bigm) || is(key_indic)) {
      const std::int32_t numbers = is(key_chull) ? 2 : is(key_bigm) ? 3 : 0;
      s.impl.type = is(key_chull) ? 1 : is(key_bigm) ? 2 : 3;
      next();
      for (std::int32_t k = 1; k <= numbers && is(key_number); ++k, next()) {
        if (k == 1) {
          s.impl.bigm = cur.value;
          s.impl.biggiven = true;
        } else if (k == 2) {
          s.impl.eps = cur.value;
          s.impl.epsgiven = true;
        } else {
          s.impl.intset = static_cast<std::int32_t>(cur.value);
        }
      }
    }
    const auto create = [&] {
      const implementation& i = s.impl;
      s.disj.push_back(
          newdisj(i.type, i.intset, i.bigm, i.eps, i.biggiven, i.epsgiven, i.biggiven));
      s.number.push_back(myemp_ep->getnumdisj());
      s.var.push_back(0);
    };
    create();

    // Distributes the equation items that follow over the current terms.
    const auto equations = [&](std::string_view none) {
      const bool negate = is(key_not);
      if (negate) next();
      std::int32_t count = 0;
      for (; isequ(); next(), ++count) {
        const std::int32_t ndisj = static_cast<std::int32_t>(s.disj.size());
        if (ndisj == 1) {
          for (std::int32_t k = 0; k < sizeof_item(cur); ++k)
            joinrow(s.number[0], cur.index + k, negate, s.impl.epsgiven);
          continue;
        }
        std::int32_t n = ndisj;
        if (sizeof_item(cur) != ndisj) {
          jacerr(cur.index, s.var[0], "disjunction size of variable and equation different");
          n = std::min(n, sizeof_item(cur));
        }
        for (std::int32_t k = 0; k < n; ++k) {
          const std::int32_t r = cur.index + k;
          joinrow(s.number[k], r, negate, s.impl.epsgiven);
          if (s.var[k] != 0 && checkindices(r, s.var[k]) != 0)
            jacerr(r, s.var[k], "disjunction variable and equation of different domains");
        }
      }
      if (count == 0) syntax(q5rt::concat(none, cur.msg));
    };

    // One term: its variable (or "*") and its equations. False: the item is an error item.
    const auto term = [&](bool afterelseif) {
      const bool negvar = is(key_not);
      if (negvar) next();
      if (is(key_star)) {
        if (negvar) syntax(q5rt::concat("cannot have NOT * ", cur.msg));
        for (std::size_t k = 0; k < s.disj.size(); ++k) {
          addterm(s.disj[k], 0);
          s.var[k] = 0;
        }
        next();
      } else if (isvar()) {
        const std::int32_t n = sizeof_item(cur);
        if (afterelseif && (n > 1 || s.disj.size() > 1)) {
          syntax(q5rt::concat("elseif needs a single variable, not a block ", cur.msg));
          stop = true;
          return false;
        }
        while (static_cast<std::int32_t>(s.disj.size()) < n) create();
        for (std::int32_t k = 0; k < n; ++k) {
          const std::int32_t c = cur.index + k;
          std::int32_t& owner = myemp.disjofcol[c];
          if (owner == 0) {
            owner = s.number[k];
            if (a.coltype[c - 1] != zlmspecs::colbin) {
              varerr(c, "variable not binary");
              if (a.nonbinaryok != 0) --errors;  // reported, not counted
            }
          } else {
            varerr(c, "variable has been assigned more than once");
          }
          addterm(s.disj[k], negvar ? -c : c);
          s.var[k] = c;
        }
        next();
      } else {
        cur.msg.append_cut(" star or var expected for disjunction");
        return false;
      }
      equations("need at least one equation in term ");
      return true;
    };

    if (!term(false)) return;
    while (is(key_elseif)) {
      next();
      if (!term(true)) return;
    }
    if (is(key_else)) {
      next();
      for (std::size_t k = 0; k < s.disj.size(); ++k) {
        addterm(s.disj[k], 0);
        s.var[k] = 0;
      }
      equations("need at least one equation in last term");
    } else if (s.disj[0]->terms->count() == 1 && s.disj[0]->type == 1) {
      for (tdisjrec* d : s.disj) addterm(d, 0);
    }
  } while (!stop && startsstatement());
}

bool loader::disjcomplete() {
  tempdata& ep = *myemp_ep;
  const std::int32_t rows = myemp.numrows;
  const auto islogic = [](std::int32_t r) {
    return myemp.logiccount != nullptr && myemp.logiccount[r] >= 0;
  };
  const auto indisj = [&ep](std::int32_t r) {
    return ep.rowequs[r] != nullptr && ep.rowequs[r]->count() > 0;
  };
  if (myemp.numparstep > 0 || myemp.parstepstar != 0) {
    if (myemp.parstepmark == nullptr)
      myemp.parstepmark =
          static_cast<std::uint8_t*>(myemp.heap->xallocmem64(std::int64_t{rows} + 1));
    std::uint8_t* mark = myemp.parstepmark;
    for (std::int32_t r = 1; r <= rows; ++r) {
      if (mark[r - 1] != 0) continue;
      if (myemp.parstepstar != 0 && r != a.objrow && !islogic(r) && !indisj(r)) {
        mark[r - 1] = 1;
        ++myemp.numparstep;
      }
    }
    for (std::int32_t r = 1; r <= rows; ++r) {
      if (mark[r - 1] == 0) continue;
      if (r == a.objrow)
        equerr(r,
               "The objective row cannot be introduce into the disjunctions using parallel step 1");
      if (islogic(r))
        equerr(r,
               "Logic Equations cannot be introduce into the disjunctions using parallel step 1");
      if (indisj(r))
        equerr(r,
               "Equations being part of disjunctions cannot be introduce into the disjunctions "
               "using parallel step 1");
    }
    for (std::int32_t r = 1; r <= rows; ++r) {
      if (mark[r - 1] == 0) continue;
      for (std::int32_t d = 1; d <= ep.getnumdisj(); ++d) {
        const zlmobj::txlist* terms = ep.disj(d)->terms;
        for (std::int32_t t = 1; t <= terms->count(); ++t) {
          tequrec* e = static_cast<tequrec*>(myemp.heap->xallocmem(sizeof(tequrec)));
          *e = tequrec{r, d, t, 0, 0, 0.0};
          ep.term(d, t)->equs->add(e);
          if (ep.rowequs[r] == nullptr) ep.rowequs[r] = newlist();
          ep.rowequs[r]->add(e);
        }
      }
    }
  }

  // Levels at zero of the rows with nonlinear code.
  if (a.instrfirst != nullptr) {
    const std::vector<double> zeros(static_cast<std::size_t>(std::max(myemp.numcols, 0)), 0.0);
    for (std::int32_t d = 1; d <= ep.getnumdisj(); ++d) {
      const zlmobj::txlist* terms = ep.disj(d)->terms;
      for (std::int32_t t = 1; t <= terms->count(); ++t) {
        const zlmobj::txlist* equs = ep.term(d, t)->equs;
        for (std::int32_t k = 0; k < equs->count(); ++k) {
          auto* e = static_cast<tequrec*>(equs->get(k));
          const std::int32_t r = std::abs(e->row);
          if (a.instrfirst[r - 1] == 0) continue;
          double value = 0;
          std::int32_t errcount = 0;
          q5rt::sstr msg;
          const int rc = evalnew::funeval(mathnewemp, a.instrfirst[r - 1], a.instrlast[r - 1],
                                          a.instr, a.pool, zeros, value, errcount, msg);
          if (rc != 0) {
            const q5rt::sstr line = q5rt::concat("Evaluation Call has rc=", num(rc));
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
            return false;
          }
          e->dotl = value;
        }
      }
    }
  }

  // Indicator classes.
  for (std::int32_t d = 1; d <= ep.getnumdisj(); ++d) {
    tdisjrec* rec = ep.disj(d);
    const std::int32_t n = rec->terms->count();
    std::int32_t cls = 0;
    if (n == 1) {
      cls = ep.term(d, 1)->var == 0 ? 1 : 3;
    } else if (n == 2) {
      const bool v1 = ep.term(d, 1)->var != 0, v2 = ep.term(d, 2)->var != 0;
      cls = !v1 && !v2 ? 1 : (!v1 && v2) ? 2 : (v1 && !v2) ? 3 : 0;
    }
    rec->indicator = cls;
  }
  return true;
}

void loader::disjwarnings() {
  const tempdata& ep = *myemp_ep;
  if (ep.ndefbigm == 0 && ep.ndefbigmeps == 0 && ep.ndefchullbig == 0 && ep.ndefchulleps == 0)
    return;
  const auto warn = [this](std::int32_t count, std::int32_t of, std::string_view kind,
                           std::string_view what, double value) {
    if (count <= 0) return;
    message(q5rt::concat("*** Warning ", num(count), " of ", num(of), kind, myemp.solvername,
                         "'s default for ", what, " (", strutilx::dbltostr(value), ")"));
  };
  warn(ep.ndefbigm, myemp.disjbytype[2], " BigM disjunctions use ", "bigM", ep.defbigm);
  warn(ep.ndefbigmeps, myemp.disjbytype[2], " BigM disjunctions use ", "eps", ep.defeps);
  warn(ep.ndefchullbig, myemp.disjbytype[1], " CHull disjunctions use ", "big", ep.defbigm);
  warn(ep.ndefchulleps, myemp.disjbytype[1], " CHull disjunctions use ", "eps", ep.defeps);
  message("");
}

}  // namespace empdata::detail
