#include "empcheck/empmodel.h"

#include <initializer_list>
#include <utility>

#include "emp/empreader.h"
#include "frame/strutilx_numbers.h"
#include "frame/zlmobj.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"

namespace empmodel {

namespace {

using empdata::myemp;

std::string num(double x) { return strutilx::dbltostr(x).str(); }
std::string num(std::int32_t n) { return std::to_string(n); }

// The integers of a list of numbers: "(1,2,3)"; "()" for none.
std::string ints(const zlmobj::txlist* l) {
  std::string s = "(";
  for (std::int32_t k = 0; l != nullptr && k < l->count(); ++k)
    s += (k ? "," : "") + num(zlmobj::copyptr2int(l->get(k)));
  return s + ")";
}

// A list of lists of numbers: "(1,2|3)".
std::string lists(const zlmobj::txlist* l) {
  std::string s = "(";
  for (std::int32_t k = 0; l != nullptr && k < l->count(); ++k) {
    const std::string inner = ints(static_cast<const zlmobj::txlist*>(l->get(k)));
    s += (k ? "|" : "") + inner.substr(1, inner.size() - 2);
  }
  return s + ")";
}

void fields(std::string& out, std::string_view head,
            std::initializer_list<std::pair<const char*, std::string>> f) {
  out += head;
  for (const auto& [name, value] : f) out += std::string(" ") + name + "=" + value;
  out += "\n";
}

}  // namespace

bool loadmodel(std::string_view controlfile, q5rt::sstr& msg) {
  if (!gcload::loadcontrol(controlfile, msg)) return false;
  const std::int32_t rc = gcload::loaddata();
  if (rc != gcload::loadok) {
    msg = q5rt::concat("model not loaded, rc=", strutilx::inttostrw(rc, 0));
    return false;
  }
  return true;
}

empdata::emploadargs loadargs(std::string_view empfile, bool bounds) {
  const gcdata::tmodel& m = gcdata::mymodel;
  empdata::emploadargs a;
  a.empfile = empfile;
  a.dictfile = m.dictfile.view();
  a.objrow = m.objrow;
  a.objvar = m.objvar;
  a.coltype = m.coltype.data();
  a.colkind = m.colboundclass.data();
  a.collower = bounds ? m.collower.data() : nullptr;
  a.colupper = bounds ? m.colupper.data() : nullptr;
  a.colfirst = m.colfirst.data();
  a.rowtype = m.rowtype.data();
  a.rowfirst = m.rowfirst.data();
  a.instrfirst = m.rowfirstinstr.data();
  a.instrlast = m.rowlastinstr.data();
  a.instr = m.instr;
  a.pool = m.pool;
  return a;
}

std::string dumprecord() {
  std::string out;
  const empdata::temprec& e = myemp;
  fields(out, "record",
         {{"allocated", num(e.allocated)},
          {"rows", num(e.numrows)},
          {"cols", num(e.numcols)},
          {"solver", e.solvername.str()}});
  fields(out, "counts",
         {{"items", num(e.numitems)},
          {"adjusted", num(e.numadjusted)},
          {"flipped", num(e.numflipped)},
          {"dualvar", num(e.numdualvar)},
          {"dualequ", num(e.numdualequ)},
          {"dualmaps", num(e.numdualmaps)},
          {"implvar", num(e.numimplvar)},
          {"vifunc", num(e.numvifunc)},
          {"qvipar", num(e.numqvipar)},
          {"parstep", num(e.numparstep)},
          {"logic", num(e.numlogic)}});
  fields(out, "agents",
         {{"agents", num(e.numagents)},
          {"equil", num(e.numequilagents)},
          {"followers", num(e.numfollowers)},
          {"dual", num(e.numdualagents)},
          {"impl", num(e.numimplagents)},
          {"sol", num(e.numsolagents)},
          {"star", num(e.numstaragents)},
          {"implagent", num(e.implagent)},
          {"visolagent", num(e.visolagent)},
          {"sharedagent", num(e.sharedagent)},
          {"prefix", "\"" + e.agentprefix.str() + "\""}});
  fields(out, "flags",
         {{"nyslpforall", num(e.nyslpforall)},
          {"viseen", num(e.viseen)},
          {"viunmatched", num(e.viunmatched)},
          {"qviseen", num(e.qviseen)},
          {"bilevel", num(e.isbilevel)},
          {"equilibrium", num(e.isequilibrium)},
          {"nonlogicnl", num(e.hasnonlogicnl)},
          {"parstepstar", num(e.parstepstar)},
          {"modeltype", num(e.modeltype)},
          {"implvarseen", num(e.implvarseen)},
          {"agentkeyseen", num(e.agentkeyseen)},
          {"visolclosed", num(e.visolclosed)}});
  std::string theta;
  for (std::int32_t t : empdata::thetacount) theta += " " + num(t);
  out += "thetacount" + theta + "\n";
  out += "disjbytype " + num(e.disjbytype[0]) + " " + num(e.disjbytype[1]) + " " +
         num(e.disjbytype[2]) + " " + num(e.disjbytype[3]) + "\n";
  if (e.allocated == 0) return out;
  for (std::int32_t r = 1; r <= e.numrows; ++r) {
    std::string params = "(";
    for (std::int32_t k = 1; k <= e.thetanpar[r]; ++k)
      params += (k > 1 ? "," : "") + num(empdata::empparval(r, k));
    fields(out, "row " + num(r),
           {{"flip", num(e.flip[r])},
            {"dualcol", num(e.dualcolofrow[r])},
            {"vivar", num(e.vivarofrow[r])},
            {"implgroup", num(e.implgrouprow[r])},
            {"agent", num(e.agentofrow[r])},
            {"theta", num(e.thetafunc[r])},
            {"weight", num(e.thetaweight[r])},
            {"params", params + ")"},
            {"parstep", e.parstepmark != nullptr ? num(e.parstepmark[r - 1]) : "-"},
            {"logic", e.logiccount != nullptr ? num(e.logiccount[r]) : "-"},
            {"sharers", ints(e.rowagents[r])},
            {"flips", ints(e.rowagentflips[r])}});
  }
  for (std::int32_t c = 1; c <= e.numcols; ++c) {
    fields(out, "col " + num(c),
           {{"dualrow", num(e.dualrowofcol[c])},
            {"virow", num(e.virowofcol[c])},
            {"qvipar", num(e.qviparofcol[c])},
            {"qviorig", num(e.qviorigofpar[c])},
            {"implgroup", num(e.implgroupcol[c])},
            {"implcoef", num(e.implcoef[c])},
            {"agent", num(e.agentofcol[c])},
            {"disj", e.disjofcol != nullptr ? num(e.disjofcol[c]) : "-"}});
  }
  for (std::int32_t a = 1; a <= e.numagents; ++a) {
    fields(out, "agent " + num(a),
           {{"type", num(e.agenttype[a])},
            {"follower", num(e.agentfollower[a])},
            {"star", num(e.agentstar[a])},
            {"objvar", num(e.agentobjvar[a])},
            {"objrow", num(e.agentobjrow[a])},
            {"objcoef", num(e.agentobjcoef[a])},
            {"implobj", ints(e.agentimplobj[a])},
            {"rows", ints(e.agentrows[a])}});
  }
  for (std::int32_t g = 0; e.impllist != nullptr && g < e.impllist->count(); ++g) {
    const auto* rec = static_cast<const empdata::timplvarrec*>(e.impllist->get(g));
    fields(out, "implgroup " + num(g + 1),
           {{"kind", num(rec->kind)},
            {"vars", ints(rec->vars)},
            {"rows", ints(rec->rows)},
            {"agents", ints(rec->agents)},
            {"varagents", lists(rec->varagents)},
            {"others", ints(rec->othercols)},
            {"rowvars", lists(rec->rowvars)},
            {"rowvarsnl", lists(rec->rowvarsnl)},
            {"rowothers", lists(rec->rowothers)}});
  }
  empdata::tempdata& ep = *empdata::myemp_ep;
  fields(out, "defaults",
         {{"type", num(ep.deftype)},
          {"int", num(ep.defint)},
          {"bigm", num(ep.defbigm)},
          {"eps", num(ep.defeps)},
          {"ndefbigm", num(ep.ndefbigm)},
          {"ndefbigmeps", num(ep.ndefbigmeps)},
          {"ndefchullbig", num(ep.ndefchullbig)},
          {"ndefchulleps", num(ep.ndefchulleps)}});
  for (std::int32_t d = 1; d <= ep.getnumdisj(); ++d) {
    const empdata::tdisjrec* rec = ep.disj(d);
    fields(out, "disj " + num(d),
           {{"type", num(rec->type)},
            {"int", num(rec->intset)},
            {"bigm", num(rec->bigm)},
            {"eps", num(rec->eps)},
            {"indicator", num(rec->indicator)}});
    for (std::int32_t t = 1; t <= rec->terms->count(); ++t) {
      const empdata::ttermrec* term = ep.term(d, t);
      std::string equs = "(";
      for (std::int32_t k = 0; k < term->equs->count(); ++k) {
        const auto* q = static_cast<const empdata::tequrec*>(term->equs->get(k));
        equs += (k ? "," : "") + num(q->row) + "@" + num(q->dotl);
      }
      fields(out, "  term " + num(t), {{"var", num(term->var)}, {"equs", equs + ")"}});
    }
  }
  return out;
}

std::string dumpitems(std::string_view empfile) {
  empreader::templist items;
  q5rt::sstr msg;
  const bool ok = items.readfile(empfile, msg);
  std::string out =
      std::string("result ") + (ok ? "true" : "false") + "\nmessage " + msg.str() + "\n";
  for (std::int32_t n = 1; n <= items.count(); ++n) {
    q5rt::sstr name;
    std::int32_t dim = 0, line = 0;
    double value = 0;
    q5rt::sstr raw[empreader::maxindices], stripped[empreader::maxindices];
    (void)items.getitemx(n, name, dim, line, raw, value);
    (void)items.getitem(n, name, dim, line, stripped, value);
    std::string asread, plain;
    for (std::int32_t k = 0; k < std::min(dim, empreader::maxindices); ++k) {
      asread += (k ? "," : "") + raw[k].str();
      plain += (k ? "," : "") + stripped[k].str();
    }
    out += "item " + num(n) + ": name=" + name.str() + " indices=(" + asread + ") stripped=(" +
           plain + ") dim=" + num(dim) + " line=" + num(line) + " value=" + num(value) + "\n";
  }
  return out;
}

}  // namespace empmodel
