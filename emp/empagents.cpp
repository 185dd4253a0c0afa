// The "bilevel" and "equilibrium" sections: the leader, the agents (min, max, vi, dualVAR),
// the special agents (implicit variables, visol equations, shared equations), implicit
// groups, and the checks after reading.
#include "emp/empload.h"
#include "frame/strutilx_numbers.h"
#include "frame/zlmobj.h"

namespace empdata::detail {

namespace {

q5rt::sstr num(std::int64_t n) { return strutilx::inttostrw(n, 0); }

void addint(zlmobj::txlist* l, std::int32_t n) { l->add(zlmobj::copyint2ptr(n)); }
std::int32_t intat(const zlmobj::txlist* l, std::int32_t k) {
  return zlmobj::copyptr2int(l->get(k));
}
std::int32_t findint(const zlmobj::txlist* l, std::int32_t n) {
  for (std::int32_t k = 0; k < l->count(); ++k)
    if (intat(l, k) == n) return k;
  return -1;
}
zlmobj::txlist* listof(zlmobj::txlist*& l) {
  if (l == nullptr) l = newlist();
  return l;
}
zlmobj::txlist* sublist(const zlmobj::txlist* l, std::int32_t k) {
  return static_cast<zlmobj::txlist*>(l->get(k));
}

constexpr std::string_view flipneedsconstraint =
    "Flip instruction \"-\" can only be followed by a constraint name";

}  // namespace

std::int32_t loader::newagent(std::int32_t type) {
  empgrowfollowers();
  const std::int32_t a = ++myemp.numagents;
  myemp.agenttype[a] = type;
  myemp.agentfollower[a] = 0;
  myemp.agentstar[a] = 0;
  myemp.agentobjvar[a] = 0;
  return a;
}

void loader::agents(bool bilevel) {
  const std::string_view other = bilevel ? "EQUILIBRIUM" : "BILEVEL";
  if (bilevel) {
    myemp.isbilevel = 1;
    myemp.agentprefix = q5rt::sstr::cut("BILEVEL: ");
  } else {
    myemp.isequilibrium = 1;
    myemp.agentprefix = q5rt::sstr::cut("EQUILIBRIUM: ");
  }
  const q5rt::sstr prefix = myemp.agentprefix;
  if ((bilevel ? myemp.isequilibrium : myemp.isbilevel) != 0) {
    syntax(q5rt::concat(prefix, "Invalid where ", other, " already specified"));
  } else if (bilevel && a.objvar == 0) {
    syntax(q5rt::concat(prefix, "Leader has no objective variable"));
    syntax(q5rt::concat(prefix, "solve statement without min/max"));
  } else if (bilevel) {
    myemp.agentofcol[a.objvar] = 0;
  } else if (a.objvar != 0) {
    syntax(q5rt::concat(prefix, "Solve statement cannot have min/max"));
  }
  next();
  if (bilevel) {
    while (isvar() || is(key_star)) {
      if (is(key_star)) {
        syntax(q5rt::concat(prefix, "Leader cannot have \"*\""));
        next();
        break;
      }
      for (std::int32_t k = 0; k < sizeof_item(cur); ++k) {
        const std::int32_t c = cur.index + k;
        if (c == a.objvar) continue;
        if (myemp.agentofcol[c] == -1) {
          myemp.agentofcol[c] = 0;
        } else {
          varerr(c, q5rt::concat(prefix, "leader variable already assigned"));
        }
      }
      next();
    }
  }
  if (myemp.implagent < 0) {
    myemp.implagent = newagent(4);
    ++myemp.numimplagents;
    myemp.impllist = newlist();
    myemp.visolagent = newagent(5);
    myemp.agentrows[myemp.visolagent] = newlist();
    ++myemp.numsolagents;
    myemp.sharedagent = newagent(6);
    myemp.agentrows[myemp.sharedagent] = newlist();
    ++myemp.numsolagents;
  }
  objectives = 0;
  while (!stop) {
    if (is(key_implicit)) {
      implicitsection();
      continue;
    }
    if (is(key_visol)) {
      visolsection();
      continue;
    }
    std::int32_t type = -1;
    if (is(key_dualvar)) type = 3;
    if (is(key_max)) type = 1;
    if (is(key_min)) type = 0;
    if (is(key_vi) || is(key_vifunc)) type = 2;
    if (type < 0) return;
    const std::int32_t agent = newagent(type);
    myemp.agentkeyseen = 1;
    myemp.visolclosed = 1;
    if (type == 3) {
      ++myemp.numdualagents;
      dualvar(agent);
    } else if (type == 2) {
      vi(agent);
    } else {
      optsection(agent, ++objectives);
    }
  }
}

void loader::implicitsection() {
  const q5rt::sstr prefix = myemp.agentprefix;
  if (myemp.agentkeyseen != 0) {
    syntax(q5rt::concat(prefix, "Implicit variables should be defined first"));
    stop = true;
    return;
  }
  const std::int32_t g = implgroups + 1;
  timplvarrec* rec = empallocimplvarrec();
  myemp.implvarseen = 0;
  next();
  while (isvar()) {
    for (std::int32_t k = 0; k < sizeof_item(cur); ++k) {
      const std::int32_t c = cur.index + k;
      if (myemp.agentofcol[c] == -1) {
        myemp.agentofcol[c] = myemp.implagent;
        addint(rec->vars, c);
      } else {
        varerr(c, q5rt::concat(prefix, "follower already assigned"));
      }
      markcol(myemp.implgroupcol[c], g, c, "implicit var already marked");
      if (a.colkind[c - 1] != 0) varerr(c, "implicit var should be a free var");
      ++myemp.numimplvar;
    }
    myemp.implvarseen = 1;
    next();
  }
  while (isequ() || is(key_dash)) {
    bool flipped = false;
    if (!dashedequ(flipped, flipneedsconstraint)) continue;
    if (myemp.implvarseen == 0) {
      equerr(cur.index, "No implicit variables were preceeded");
      next();
      break;
    }
    for (std::int32_t k = 0; k < sizeof_item(cur); ++k) {
      const std::int32_t r = cur.index + k;
      markrow(myemp.agentofrow[r], myemp.implagent, r,
              q5rt::concat(prefix, "follower already assigned"));
      markrow(myemp.implgrouprow[r], g, r, "implicit equ already marked");
      if (a.rowtype[r - 1] != zlmspecs::rowe) equerr(r, "implicit equ must be of type equality");
      addint(rec->rows, r);
      setflip(r, flipped, "Constraint has ambiguous flip instructions");
    }
    myemp.implvarseen = 2;
    next();
  }
  closeimplgroup(g, rec);
}

void loader::closeimplgroup(std::int32_t g, timplvarrec* rec) {
  for (std::int32_t i = 0; i < rec->vars->count(); ++i) rec->varagents->add(newlist());
  for (std::int32_t i = 0; i < rec->rows->count(); ++i) {
    const std::int32_t r = intat(rec->rows, i);
    zlmobj::txlist* vars = newlist();
    zlmobj::txlist* varsnl = newlist();
    zlmobj::txlist* others = newlist();
    zlmobj::txlist* othersnl = newlist();
    const zlmspecs::tjacrec* lone = nullptr;
    for (const zlmspecs::tjacrec* e = a.rowfirst[r - 1]; e != nullptr; e = e->rownext) {
      if (findint(rec->vars, e->col) >= 0) {
        addint(vars, e->col);
        addint(varsnl, e->nonlin ? 1 : 0);
        lone = e;
      } else {
        addint(others, e->col);
        addint(othersnl, e->nonlin ? 1 : 0);
        if (findint(rec->othercols, e->col) < 0) addint(rec->othercols, e->col);
      }
    }
    rec->rowlists->add(newlist());
    rec->rowvars->add(vars);
    rec->rowvarsnl->add(varsnl);
    rec->rowothers->add(others);
    rec->rowothersnl->add(othersnl);
    if (vars->count() == 0) {
      equerr(r, "no implicit variable was found");
    } else if (vars->count() > 1 || lone->nonlin) {
      rec->kind = 2;
    } else {
      myemp.implcoef[lone->col] = lone->jacval;
    }
  }
  const std::int32_t nvars = rec->vars->count();
  const std::int32_t nrows = rec->rows->count();
  if (nvars != nrows) syntax("size does not match in implicit group");
  if (rec->kind != 0 || nvars <= 1) {
    myemp.impllist->add(rec);
    implgroups = g;
    return;
  }
  // One group per (variable, row) pair, in listed order.
  const std::int32_t pairs = std::min(nvars, nrows);
  for (std::int32_t i = 0; i < pairs; ++i) {
    const std::int32_t gi = g + i;
    timplvarrec* part = empallocimplvarrec();
    const std::int32_t c = intat(rec->vars, i), r = intat(rec->rows, i);
    addint(part->vars, c);
    addint(part->rows, r);
    part->varagents->add(newlist());
    part->rowlists->add(newlist());
    part->rowvars->add(rec->rowvars->get(i));
    part->rowvarsnl->add(rec->rowvarsnl->get(i));
    part->rowothers->add(rec->rowothers->get(i));
    part->rowothersnl->add(rec->rowothersnl->get(i));
    const zlmobj::txlist* others = sublist(rec->rowothers, i);
    for (std::int32_t k = 0; k < others->count(); ++k) addint(part->othercols, intat(others, k));
    myemp.implgroupcol[c] = gi;
    myemp.implgrouprow[r] = gi;
    myemp.impllist->add(part);
  }
  implgroups = g + pairs - 1;
}

void loader::visolsection() {
  const q5rt::sstr prefix = myemp.agentprefix;
  if (myemp.visolclosed != 0) {
    syntax(q5rt::concat(prefix, "Equations of type visol need to be defined earlier"));
    stop = true;
    return;
  }
  myemp.agentkeyseen = 1;
  next();
  while (isequ() || is(key_dash)) {
    if (is(key_dash)) {
      syntax("flipping is not allowed in the visol keyword");
      next();
      continue;
    }
    for (std::int32_t k = 0; k < sizeof_item(cur); ++k) {
      const std::int32_t r = cur.index + k;
      if (myemp.agentofrow[r] != 0) equerr(r, q5rt::concat(prefix, "follower already assigned"));
      myemp.agentofrow[r] = myemp.visolagent;
      addint(myemp.agentrows[myemp.visolagent], r);
    }
    next();
  }
}

void loader::claimimplicit(std::int32_t agent, std::int32_t col, bool objective) {
  zlmobj::txlist* used = listof(myemp.agentimplobj[agent]);
  if (findint(used, col) >= 0) {
    varerr(col, q5rt::concat(myemp.agentprefix, "implicit variable was assigned more than once"));
    return;
  }
  addint(used, col);
  const std::int32_t g = myemp.implgroupcol[col];
  if (g < 1 || g > myemp.impllist->count()) return;
  auto* rec = static_cast<timplvarrec*>(myemp.impllist->get(g - 1));
  if (objective) rec->kind = 1;
  if (findint(rec->agents, agent) < 0) addint(rec->agents, agent);
  const std::int32_t v = findint(rec->vars, col);
  if (v >= 0) addint(sublist(rec->varagents, v), agent);
}

void loader::sharerow(std::int32_t agent, std::int32_t r, bool flipped) {
  const q5rt::sstr prefix = myemp.agentprefix;
  const std::int32_t owner = myemp.agentofrow[r];
  if (owner == 0) {
    myemp.agentofrow[r] = agent;
    setflip(r, flipped, "Constraint has ambiguous flip instructions");
    return;
  }
  const std::int32_t ownertype = myemp.agenttype[owner];
  if (ownertype == 2 || ownertype == 3 || ownertype == 4)
    equerr(r, q5rt::concat(prefix,
                           "the equation should not appear in agent problem: it is already owned "
                           "by one of dualvar/vi/implicit agent"));
  if (myemp.sharedequ == 0)
    equerr(r, q5rt::concat(prefix,
                           "shared equation is not allowed unless SharedEqu option is turned on"));
  zlmobj::txlist* mine = listof(myemp.agentrows[agent]);
  if (findint(mine, r) >= 0) {
    equerr(r, q5rt::concat(prefix, "multiple assignments of an equation to the same follower"));
  } else {
    addint(mine, r);
  }
  zlmobj::txlist* sharers = listof(myemp.rowagents[r]);
  zlmobj::txlist* flips = listof(myemp.rowagentflips[r]);
  if (owner == myemp.visolagent) {
    if (sharers->count() == 0) {
      myemp.flip[r] = flipped ? 1 : 0;
    } else {
      // Senses relative to the row: a max agent, or a flipped row, turns it round.
      const std::int32_t first = intat(sharers, 0);
      const bool firstsense = (myemp.agenttype[first] == 1) != (myemp.flip[r] == 1);
      const bool mysense = (myemp.agenttype[agent] == 1) != flipped;
      if (firstsense != mysense)
        equerr(r, q5rt::concat(prefix, "constraint has ambiguous flip instruction"));
    }
  } else {
    if (owner != myemp.sharedagent) {
      addint(myemp.agentrows[myemp.sharedagent], r);
      addint(listof(myemp.agentrows[owner]), r);
      addint(sharers, owner);
      addint(flips, myemp.flip[r] == 1 ? 1 : 0);
      myemp.agentofrow[r] = myemp.sharedagent;
    }
    if (flipped) ++myemp.numflipped;
  }
  addint(sharers, agent);
  addint(flips, flipped ? 1 : 0);
}

void loader::optsection(std::int32_t agent, std::int32_t follower) {
  const q5rt::sstr prefix = myemp.agentprefix;
  myemp.agentfollower[agent] = follower;
  next();
  if (!isvar()) {
    syntax(q5rt::concat(prefix, "obj expected ", cur.msg));
    keyexpected();
    return;
  }
  if (cur.value > 0) {
    syntax(q5rt::concat(prefix, "obj has to be scalar ", cur.msg));
    keyexpected();
    return;
  }
  const std::int32_t obj = cur.index;
  const std::int32_t objowner = myemp.agentofcol[obj];
  if (objowner == -1) {
    myemp.agentofcol[obj] = agent;
  } else if (objowner == myemp.implagent) {
    claimimplicit(agent, obj, true);
  } else {
    varerr(obj, q5rt::concat(prefix, "follower obj already marked"));
  }
  myemp.agentobjvar[agent] = obj;
  next();
  while (isvar() || is(key_star)) {
    if (is(key_star)) {
      myemp.agentstar[agent] = 1;
      ++myemp.numstaragents;
      next();
      continue;
    }
    for (std::int32_t k = 0; k < sizeof_item(cur); ++k) {
      const std::int32_t c = cur.index + k;
      const std::int32_t owner = myemp.agentofcol[c];
      if (owner == -1) {
        myemp.agentofcol[c] = agent;
      } else if (owner == myemp.implagent) {
        claimimplicit(agent, c, false);
      } else if (owner > 0 && myemp.agenttype[owner] == 3) {
        varerr(c, q5rt::concat(prefix, "follower variable already part of a dualVar pair"));
      } else {
        varerr(c, q5rt::concat(prefix, "follower variable already assigned"));
      }
    }
    next();
  }
  while (isequ() || is(key_dash)) {
    bool flipped = false;
    if (!dashedequ(flipped, flipneedsconstraint)) continue;
    for (std::int32_t k = 0; k < sizeof_item(cur); ++k) sharerow(agent, cur.index + k, flipped);
    next();
  }
}

void loader::agentchecks() {
  const q5rt::sstr prefix = myemp.agentprefix;
  const bool equil = myemp.isequilibrium != 0;
  const std::int32_t n =
      myemp.numagents - myemp.numimplagents - myemp.numdualagents - myemp.numsolagents;
  (equil ? myemp.numequilagents : myemp.numfollowers) = n;
  if (equil) {
    for (std::int32_t r = 1; r <= myemp.numrows; ++r)
      if (myemp.agentofrow[r] == 0) equerr(r, q5rt::concat(prefix, "unassigned equation"));
  }
  for (std::int32_t c = 1; c <= myemp.numcols; ++c) {
    const std::int32_t owner = myemp.agentofcol[c];
    const std::int32_t r =
        myemp.dualrowofcol[c] > 0 ? myemp.dualrowofcol[c] : -myemp.dualrowofcol[c];
    if (owner > 0 && myemp.agenttype[owner] == 3 && r > 0)
      myemp.agentofcol[c] = myemp.agentofrow[r];
  }
  for (std::int32_t c = 1; c <= myemp.numcols; ++c) {
    if (myemp.agentofcol[c] != -1) continue;
    std::int32_t first = 0;
    for (const zlmspecs::tjacrec* e = a.colfirst[c - 1]; e != nullptr; e = e->colnext) {
      const std::int32_t ag = myemp.agentofrow[e->row];
      if (ag == 0) continue;
      if (first == 0) {
        first = ag;
        continue;
      }
      if (ag == first) continue;
      const bool star1 = myemp.agentstar[first] != 0, star2 = myemp.agentstar[ag] != 0;
      if (star1 && star2) {
        jacerr(e->row, c,
               q5rt::concat(prefix, " Follower ", num(first), " and ", num(ag), " share variable ",
                            num(c), " and both claim it"));
      } else if (equil) {
        if (star1 != star2 && !star2) break;  // the one claimer is not this row's agent
        if (a.colkind[c - 1] != 4)
          jacerr(e->row, c,
                 q5rt::concat(prefix, "follower shares unclaimed variable with other followers"));
      }
    }
    myemp.agentofcol[c] = first != 0 && myemp.agentstar[first] != 0 ? first : 0;
  }
  if (equil) {
    for (std::int32_t c = 1; c <= myemp.numcols; ++c) {
      const std::int32_t owner = myemp.agentofcol[c];
      if (owner < 0 || (owner == 0 && a.colkind[c - 1] != 4))
        varerr(c, q5rt::concat(prefix, "unassigned variable"));
    }
  }
  for (std::int32_t ag = 1; ag <= myemp.numagents; ++ag) {
    const std::int32_t c = myemp.agentobjvar[ag];
    if (c == 0) continue;
    myemp.agentobjcoef[ag] = 0;
    myemp.agentobjrow[ag] = 0;
    const zlmspecs::tjacrec* found = nullptr;
    std::int32_t elements = 0;
    for (const zlmspecs::tjacrec* e = a.colfirst[c - 1]; e != nullptr; e = e->colnext) {
      ++elements;
      if (found == nullptr && !e->nonlin && myemp.agentofrow[e->row] != 0) found = e;
    }
    if (found == nullptr) {
      varerr(c, q5rt::concat(prefix, "follower obj has no entry in follower equations"));
      continue;
    }
    myemp.agentobjcoef[ag] = found->jacval;
    const std::int32_t r = found->row;
    if (a.colkind[c - 1] == 0 && a.rowtype[r - 1] == zlmspecs::rowe) {
      const bool lone = elements == 1 && myemp.dualcolofrow[r] == 0;
      myemp.agentobjrow[ag] = lone && !(equil && a.keepobjrow != 0) ? -r : r;
    }
  }
}

void loader::replicationcheck() {
  if (myemp.numimplvar == 0 || myemp.replication != 1 || myemp.impllist == nullptr) return;
  for (std::int32_t g = 0; g < myemp.impllist->count(); ++g) {
    const auto* rec = static_cast<const timplvarrec*>(myemp.impllist->get(g));
    if (rec->agents->count() == 0) continue;
    for (std::int32_t v = 0; v < rec->vars->count(); ++v) {
      const std::int32_t c = intat(rec->vars, v);
      for (const zlmspecs::tjacrec* e = a.colfirst[c - 1]; e != nullptr; e = e->colnext) {
        const std::int32_t ag = myemp.agentofrow[e->row];
        if (ag == 0 || ag == myemp.implagent || findint(rec->agents, ag) >= 0) continue;
        varerr(c,
               "Replication method cannot be used: there is a follower who does not control it but "
               "uses it.");
        break;
      }
    }
  }
}

}  // namespace empdata::detail
