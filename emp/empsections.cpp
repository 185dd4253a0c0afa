// The EMP annotation sections: dual pairs, VI and QVI functions, adjusted objective terms,
// the model type, the disjunction defaults and parallel step 1. Each section starts at its
// keyword and leaves the first item that does not belong to it current.
#include "emp/empload.h"
#include "emp/zlmheapnew.h"
#include "frame/statlib.h"
#include "frame/strutilx.h"
#include "frame/zlmobj.h"
#include "instance/ctvproc.h"

namespace empdata::detail {

namespace {

constexpr std::string_view ambiguousflip = "Constraint has ambiguous flip instructions";
constexpr std::string_view flipneedsconstraint =
    "Flip instruction \"-\" can only be followed by a constraint name";

}  // namespace

// ---- dual pairs ----

void loader::dualvar(std::int32_t agent) {
  next();
  while (isvar() || is(key_notinrim)) {
    if (is(key_notinrim)) {
      skippair();
      continue;
    }
    const item v = cur;
    next();
    bool flipped = false;
    (void)dashedequ(flipped, flipneedsconstraint);
    if (is(key_notinrim)) {
      next();
      continue;
    }
    if (!isequ()) {
      syntax(q5rt::concat("DualVar EQU expected ", cur.msg));
      keyexpected();
      return;
    }
    const item e = cur;
    const std::int32_t n = pairsize(v, e, e.index, v.index, "dualVar pair of different size");
    for (std::int32_t k = 0; k < n; ++k) {
      const std::int32_t c = v.index + k, r = e.index + k;
      if (e.value > 0 && checkindices(r, c) != 0)
        jacerr(r, c, "dualVAR pair has different domains");
      markcol(myemp.dualrowofcol[c], r, c, "dualVAR var already marked");
      markrow(myemp.dualcolofrow[r], c, r, "dualVAR equ already marked");
      ++myemp.numdualvar;
      setflip(r, flipped, ambiguousflip);
      if (agent > 0) {
        // The column goes with the agent of its row.
        std::int32_t& owner = myemp.agentofcol[c];
        const std::int32_t rowowner = myemp.agentofrow[r];
        if (rowowner == 0) {
          if (owner == -1) owner = agent;
        } else if (owner == -1) {
          owner = rowowner;
        } else if (owner != rowowner) {
          jacerr(r, c, "dualVAR pair previously assigned to different agents");
        }
      }
    }
    next();
  }
}

void loader::dualequ() {
  next();
  while (isequ() || is(key_dash) || is(key_notinrim)) {
    if (is(key_notinrim)) {
      skippair();
      continue;
    }
    bool flipped = false;
    if (!dashedequ(flipped, flipneedsconstraint)) continue;
    const item e = cur;
    next();
    if (is(key_notinrim)) {
      next();
      continue;
    }
    if (!isvar()) {
      syntax(q5rt::concat("DualEqu VAR expected ", cur.msg));
      keyexpected();
      return;
    }
    const item v = cur;
    const std::int32_t n = pairsize(e, v, e.index, v.index, "dualVar pair of different size");
    for (std::int32_t k = 0; k < n; ++k) {
      const std::int32_t r = e.index + k, c = v.index + k;
      if (v.value > 0 && checkindices(r, c) != 0)
        jacerr(r, c, "dualEQU pair has different domains");
      markrow(myemp.dualcolofrow[r], -c, r, "dualEQU equ already marked");
      markcol(myemp.dualrowofcol[c], -r, c, "dualEQU var already marked");
      ++myemp.numdualequ;
      setflip(r, flipped, ambiguousflip);
    }
    next();
  }
}

// ---- variational inequalities ----

// The variables of the current var item with zero function (or without function).
void loader::vivars(std::int32_t agent, std::string_view prefix) {
  for (std::int32_t k = 0; k < sizeof_item(cur); ++k) {
    const std::int32_t c = cur.index + k;
    if (myemp.virowofcol[c] != 0) varerr(c, q5rt::concat(prefix, "VIfunc var already marked"));
    if (agent > 0) {
      std::int32_t& owner = myemp.agentofcol[c];
      if (owner == -1 || owner == 0) {
        owner = agent;
      } else if (owner != agent) {
        varerr(c, q5rt::concat(prefix, "follower variable already assigned"));
      }
    }
  }
}

// A number then a variable: the number must be 0.
void loader::zerofunction(std::int32_t agent, std::string_view prefix) {
  if (cur.value != 0) syntax("Except for zero, numbers are not allowed");
  next();
  if (!isvar()) {
    syntax("Zero should be followed by a variable name");
    return;
  }
  vivars(agent, prefix);
  next();
}

void loader::vi(std::int32_t agent) {
  const std::string_view prefix = agent > 0 ? myemp.agentprefix.view() : std::string_view{};
  if (agent == 0) {
    if (myemp.viseen != 0)
      syntax("Multiple VI keywords are only accepted for bilevel/equilibrium problems.");
    myemp.viseen = 1;
  }
  myemp.viunmatched = 0;
  next();
  // Variables without function (or with zero function).
  while (isvar() || is(key_number) || (agent > 0 && is(key_star))) {
    if (is(key_star)) {
      myemp.agentstar[agent] = 1;
      next();
    } else if (is(key_number)) {
      zerofunction(agent, prefix);
    } else {
      vivars(agent, prefix);
      next();
    }
  }
  constexpr std::string_view unmatchedlast =
      "Unmatched equations for defining the VI constraint set must all appear at the end of the VI "
      "definition";
  while (isequ() || is(key_dash) || is(key_number)) {
    if (is(key_number)) {
      if (myemp.viunmatched != 0) {
        syntax(unmatchedlast);
        stop = true;
        return;
      }
      zerofunction(agent, prefix);
      continue;
    }
    bool flipped = false;
    if (!dashedequ(flipped, flipneedsconstraint)) continue;
    const item e = cur;
    next();
    if (isvar()) {
      if (myemp.viunmatched != 0) {
        syntax(unmatchedlast);
        stop = true;
        return;
      }
      const item v = cur;
      const std::int32_t n = pairsize(e, v, e.index, v.index, "VIfunc pair of different size");
      for (std::int32_t k = 0; k < n; ++k) {
        const std::int32_t r = e.index + k, c = v.index + k;
        if (v.value > 0 && checkindices(r, c) != 0)
          jacerr(r, c, "VIfunc pair has different domains");
        bool setcol = true;
        if (agent > 0) {
          markrow(myemp.agentofrow[r], agent, r, q5rt::concat(prefix, "follower already assigned"));
          std::int32_t& owner = myemp.agentofcol[c];
          if (owner == -1 || owner == 0 || owner == agent) {
            owner = agent;
          } else {
            setcol = false;  // another agent's column: only the row's function is set
          }
        }
        markrow(myemp.vivarofrow[r], c, r, q5rt::concat(prefix, "VIfunc equ already marked"));
        if (setcol)
          markcol(myemp.virowofcol[c], r, c, q5rt::concat(prefix, "VIfunc var already marked"));
        ++myemp.numvifunc;
        setflip(r, flipped, ambiguousflip);
      }
      next();
    } else {
      // Unmatched equations of the constraint set.
      myemp.viunmatched = 1;
      for (std::int32_t k = 0; k < sizeof_item(e); ++k) {
        const std::int32_t r = e.index + k;
        if (myemp.vivarofrow[r] != 0) equerr(r, q5rt::concat(prefix, "VIfunc equ already marked"));
        if (agent > 0) {
          markrow(myemp.agentofrow[r], agent, r, q5rt::concat(prefix, "follower already assigned"));
        }
        setflip(r, flipped, ambiguousflip);
      }
    }
  }
}

// The parameter columns that follow an original column in a QVI section.
void loader::qviparams(const item& orig) {
  const item par = cur;
  next();
  if (a.collower == nullptr || a.colupper == nullptr) {
    constexpr std::string_view text = "variable bound info not available but required for QVI";
    statlib::gcstatc(q5rt::concat(" EMP setup error: ", text));
    statlib::gclog(q5rt::concat("*** EMP setup error: ", text));
    return;
  }
  std::int32_t n = sizeof_item(par);
  if (sizeof_item(orig) != n) {
    varerr(par.index, "(orig,param) pair of different size");
    n = std::min(n, sizeof_item(orig));
  }
  for (std::int32_t k = 0; k < n; ++k) {
    const std::int32_t o = orig.index + k, p = par.index + k;
    markcol(myemp.qviparofcol[o], p, o, "QVIvar already marked");
    markcol(myemp.qviorigofpar[p], o, p, "QVIivar already marked");
    myemp.virowofcol[p] = 0;
    ++myemp.numqvipar;
    const auto differ = [&](const double* bound, std::string_view text) {
      if (bound[o - 1] == bound[p - 1]) return;
      statlib::gcstataddv(o, text);
      varerr(p, text);
    };
    differ(a.collower, "(orig,param) pair from QVI differ in lower bounds");
    differ(a.colupper, "(orig,param) pair from QVI differ in upper bounds");
  }
}

void loader::qvi() {
  if (myemp.viseen != 0) syntax("Multiple (Q)VI keywords are not allowed.");
  myemp.viunmatched = 0;
  next();
  if (!isequ() && !is(key_dash) && !is(key_number)) {
    syntax(q5rt::concat("QVI error: ", cur.msg, " must start with equ, dash, or 0"));
    keyexpected();
    return;
  }
  myemp.viseen = 1;
  myemp.qviseen = 1;
  for (std::int32_t r = 1; r <= myemp.numrows; ++r) myemp.vivarofrow[r] = -1;
  for (std::int32_t c = 1; c <= myemp.numcols; ++c) myemp.virowofcol[c] = -1;
  constexpr std::string_view ambiguous = "QVI function has ambiguous flip instructions";
  constexpr std::string_view unmatchedlast =
      "Unmatched equations for defining the QVI constraint set must all appear at the end of the "
      "QVI definition";
  item last;  // the variable just read: a variable after it is its parameter
  myemp.qvilastvar = 0;
  while (isequ() || is(key_dash) || is(key_number) || (isvar() && myemp.qvilastvar != 0)) {
    if (isvar()) {
      myemp.qvilastvar = 0;
      qviparams(last);
      continue;
    }
    myemp.qvilastvar = 0;
    if (is(key_number)) {
      if (myemp.viunmatched != 0) {
        syntax(unmatchedlast);
        stop = true;
        return;
      }
      if (cur.value != 0) syntax("Except for zero, numbers are not allowed");
      next();
      if (!isvar()) {
        syntax("Zero should be followed by a variable name");
        continue;
      }
      for (std::int32_t k = 0; k < sizeof_item(cur); ++k) {
        const std::int32_t c = cur.index + k;
        if (myemp.virowofcol[c] > 0) {
          varerr(c, "QVIfunc var already marked");
        } else {
          myemp.virowofcol[c] = 0;
        }
      }
      last = cur;
      myemp.qvilastvar = 1;
      next();
      continue;
    }
    bool flipped = false;
    if (!dashedequ(flipped, "Flip instruction \"-\" can only be followed by an equation name"))
      continue;
    const item e = cur;
    next();
    if (isvar()) {
      if (myemp.viunmatched != 0) {
        syntax(unmatchedlast);
        stop = true;
        return;
      }
      const item v = cur;
      const std::int32_t n = pairsize(e, v, e.index, v.index, "QVIfunc pair of different size");
      for (std::int32_t k = 0; k < n; ++k) {
        const std::int32_t r = e.index + k, c = v.index + k;
        if (v.value > 0 && checkindices(r, c) != 0)
          jacerr(r, c, "QVIfunc pair has different domains");
        if (myemp.vivarofrow[r] > 0) {
          equerr(r, "QVIfunc equ already marked");
        } else {
          myemp.vivarofrow[r] = c;
        }
        if (myemp.virowofcol[c] > 0) {
          varerr(c, "QVIfunc var already marked");
        } else {
          myemp.virowofcol[c] = r;
        }
        ++myemp.numvifunc;
        setflip(r, flipped, ambiguous);
      }
      last = v;
      myemp.qvilastvar = 1;
      next();
    } else {
      myemp.viunmatched = 1;
      for (std::int32_t k = 0; k < sizeof_item(e); ++k) {
        const std::int32_t r = e.index + k;
        if (myemp.vivarofrow[r] > 0) {
          equerr(r, "QVIfunc equ already marked");
        } else {
          myemp.vivarofrow[r] = 0;
        }
        setflip(r, flipped, ambiguous);
      }
    }
  }
}

void loader::qvicheck() {
  for (std::int32_t r = 1; r <= myemp.numrows; ++r)
    if (myemp.vivarofrow[r] < 0) equerr(r, "not found in the EMPINFO file");
  for (std::int32_t c = 1; c <= myemp.numcols; ++c)
    if (myemp.virowofcol[c] < 0) varerr(c, "not found in the EMPINFO file");
}

// ---- adjusted objective terms ----

void loader::adjustequ() {
  next();
  while (is(key_nyslp)) {
    myemp.nyslpforall = 1;
    next();
  }
  while (isequ()) {
    const item e = cur;
    nextident();
    if (!is(key_ident)) {
      equerr(e.index, q5rt::concat("Theta function expected ", cur.msg));
      keyexpected();
      return;
    }
    std::int32_t theta = 0;
    for (std::int32_t t = 7; t >= 1 && theta == 0; --t)
      if (strutilx::struequal(thetafuncname[t], cur.name)) theta = t;
    if (theta == 0) {
      equerr(e.index, q5rt::concat("empequ key ", cur.name, " is unknown ", cur.msg));
      keyexpected();
      return;
    }
    if (myemp.thetafunc[e.index] != 0)
      equerr(e.index, q5rt::concat("empequ has been assigned already ", cur.msg));
    const std::int32_t rows = sizeof_item(e);
    for (std::int32_t k = 0; k < rows; ++k) {
      myemp.thetafunc[e.index + k] = theta;
      ++thetacount[theta];
      ++myemp.numadjusted;
    }
    next();
    for (std::int32_t n = 1; is(key_number); ++n, next()) {
      if (n == 1) {
        for (std::int32_t k = 0; k < rows; ++k) {
          myemp.thetaweight[e.index + k] = cur.value;
          myemp.thetanpar[e.index + k] = 0;
        }
        continue;
      }
      const std::int32_t p = ++parpoolused;
      if (p > myemp.parpoolcap) {
        const std::int32_t cap = myemp.parpoolcap + myemp.parpoolstep;
        void* pool = myemp.parpool;
        myemp.heap->xreallocmem64(pool, (std::int64_t{myemp.parpoolcap} + 1) * sizeof(double),
                                  (std::int64_t{cap} + 1) * sizeof(double));
        myemp.parpool = static_cast<double*>(pool);
        myemp.parpoolcap = cap;
      }
      myemp.parpool[p] = cur.value;
      for (std::int32_t k = 0; k < rows; ++k) {
        if (n == 2) myemp.thetastart[e.index + k] = p - 1;
        myemp.thetanpar[e.index + k] = n - 1;
      }
    }
  }
}

void loader::nyslpforall() {
  if (myemp.nyslpforall != 1 || a.instrfirst == nullptr) return;
  for (std::int32_t r = 1; r <= myemp.numrows; ++r) {
    if (a.instrfirst[r - 1] == 0) continue;
    if (myemp.thetafunc[r] != 0) {
      equerr(r, "empequ has been assigned already");
      continue;
    }
    myemp.thetafunc[r] = 7;
    ++myemp.numadjusted;
    ++thetacount[7];
  }
}

// ---- model type, defaults, parallel step 1 ----

void loader::modeltype() {
  nextident();
  if (!is(key_ident)) {
    syntax(q5rt::concat("ModelType item expected ", cur.msg));
    stop = true;
    return;
  }
  std::int32_t found = -1;
  for (std::size_t t = 0; t < ctvproc::procnames.size() && found < 0; ++t)
    if (strutilx::struequal(ctvproc::procnames[t], cur.name)) found = static_cast<std::int32_t>(t);
  if (found < 0) {
    syntax(q5rt::concat("unknown ModelType item ", cur.msg));
    stop = true;
    return;
  }
  if (found == ctvproc::proc_emp) {
    syntax("EMP must not generate emp model");
  } else {
    myemp.modeltype = static_cast<std::uint8_t>(found);
  }
  next();
}

void loader::defaults() {
  next();
  tempdata& ep = *myemp_ep;
  for (;;) {
    std::int32_t numbers = 0;
    if (is(key_chull)) {
      ep.deftype = 1;
      numbers = 2;
    } else if (is(key_bigm)) {
      ep.deftype = 2;
      numbers = 3;
    } else if (is(key_indic)) {
      ep.deftype = 3;
    } else {
      return;
    }
    next();
    for (std::int32_t k = 1; k <= numbers && is(key_number); ++k, next()) {
      if (cur.value <= 0) continue;
      if (k == 1) {
        ep.defbigm = cur.value;
        defbigmstated = true;
      } else if (k == 2) {
        ep.defeps = cur.value;
        defepsstated = true;
      } else {
        ep.defint = static_cast<std::int32_t>(cur.value);
      }
    }
  }
}

void loader::parallelstep1() {
  next();
  while (isequ() || is(key_star)) {
    if (is(key_star)) {
      myemp.parstepstar = 1;
    } else {
      if (myemp.parstepmark == nullptr)
        myemp.parstepmark = static_cast<std::uint8_t*>(myemp.heap->xallocmem64(myemp.numrows + 1));
      for (std::int32_t k = 0; k < sizeof_item(cur); ++k) {
        std::uint8_t& mark = myemp.parstepmark[cur.index + k - 1];
        if (mark == 0) ++myemp.numparstep;
        mark = 1;
      }
    }
    next();
  }
}

}  // namespace empdata::detail
