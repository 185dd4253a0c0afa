// The hessian files for BARON: a copy of the instruction code of the convex rows with
// columns, constants and rows renumbered in BARON's order, and the hessian control file
// with its counts.
#include <algorithm>
#include <vector>

#include "baron/gcbaron.h"
#include "baron/optbaron.h"
#include "frame/strutilx_numbers.h"
#include "instance/ctvnl.h"
#include "instance/gcdata.h"
#include "instance/gdutils_records.h"
#include "instance/gdutils_scratch.h"

namespace gcbaron {

namespace {

q5rt::sstr num(std::int64_t v) { return strutilx::inttostrw(v, 0); }

void cannotopen(std::string_view what, std::string_view name, int rc) {
  gcdata::gclogstat(q5rt::concat("*** Cannot open ", what, " \"", name, "\""));
  gcdata::gclogstat(q5rt::concat("*** RC=", num(rc), " ", q5rt::syserrortext(rc)));
}

struct hessiancounts {
  std::int32_t equations = 0;     // E: rows BARON declares
  std::int32_t instructions = 0;  // I
  std::int32_t constants = 0;     // K
  std::int32_t longest = 0;       // M
  std::int32_t rows = 0;          // L: rows with code written
};

enum class outcome { written, notopened, failed };

// Writes the code copy.
outcome writecode(std::string_view name, hessiancounts& n) {
  const gcdata::tmodel& m = gcdata::mymodel;
  std::int32_t rc = 0;
  gdutils::modfileptr h = gdutils::cwcod(rc, m.filetype, name);
  if (!h) {
    cannotopen("hessian file", name, rc);
    return outcome::notopened;
  }
  std::vector<std::int32_t> rownumber(static_cast<std::size_t>(m.rows) + 1, 0);
  for (std::int32_t r = 1; r <= m.rows; ++r) {
    const bool objrow = state.objreform > 0 && r == m.objrow;
    if (m.rowtype[static_cast<std::size_t>(r - 1)] != zlmspecs::rown && !objrow)
      rownumber[static_cast<std::size_t>(r)] = ++n.equations;
  }
  std::vector<std::int32_t> colposition(static_cast<std::size_t>(m.cols) + 1, 0);
  for (std::int32_t p = 1; p <= state.baronvarseq; ++p) {
    colposition[static_cast<std::size_t>(state.baronvartozolm[static_cast<std::size_t>(p - 1)])] =
        p;
  }
  std::vector<std::int32_t> newconst(m.pool.size() + 1, 0);
  std::vector<std::int32_t> oldconst;
  gdutils::wrcodhead(*h);
  for (std::int32_t r = 1; r <= m.rows; ++r) {
    const auto k = static_cast<std::size_t>(r - 1);
    const std::int32_t cls = k < state.baronequclass.size() ? state.baronequclass[k] : 0;
    const std::int32_t first = m.rowfirstinstr[k];
    if ((cls != classconvex && cls != classrelaxconvex) || first == 0) continue;
    const std::int32_t last = m.rowlastinstr[k];
    ++n.rows;
    n.longest = std::max(n.longest, last - first + 1);
    for (std::int32_t i = first; i <= last; ++i) {
      const ctvnl::tnlcode& ins = m.instr[static_cast<std::size_t>(i - 1)];
      const int op = ctvnl::code(ins.opcode);
      std::int32_t operand = ins.operand;
      const auto at = static_cast<std::size_t>(operand);
      if (ctvnl::pushgradvars.contains(op)) {
        operand = at < colposition.size() ? colposition[at] : 0;
      } else if (ctvnl::pushimmed.contains(op) && at >= 1 && at < newconst.size()) {
        if (newconst[at] == 0) newconst[at] = ++n.constants, oldconst.push_back(operand);
        operand = newconst[at];
      } else if (ins.opcode == ctvnl::opcode::store) {
        operand = rownumber[static_cast<std::size_t>(r)];
      }
      gdutils::wrcodrec(*h, static_cast<std::uint8_t>(op), operand);
      ++n.instructions;
    }
  }
  gdutils::wrcodreloc(*h);
  gdutils::wrcodpool(*h, n.constants);
  for (const std::int32_t old : oldconst)
    gdutils::wrcodconst(*h, m.pool[static_cast<std::size_t>(old - 1)]);
  if (const std::int32_t err = gdutils::closemod(h); err != 0) {
    writefailed(name, err);
    return outcome::failed;
  }
  return outcome::written;
}

}  // namespace

bool writehessian(const optbaron::toptconvert& bo) {
  const q5rt::sstr code = bo.getactual(optbaron::ixhessinst);
  const q5rt::sstr control = bo.getactual(optbaron::ixhessctrl);
  hessiancounts n;
  const outcome copy = writecode(code, n);
  if (copy != outcome::written) return copy == outcome::notopened;
  q5rt::textfile f;
  f.assign(control);
  f.rewrite();
  if (const int rc = f.ioresult(); rc != 0) {
    cannotopen("hessian control file", control, rc);
    return true;
  }
  const auto item = [&f](std::int64_t v, std::string_view key) {
    if (f.pending() != 0) return;
    f.writeln(q5rt::concat(num(v), key));
  };
  item(n.equations, " equnum");
  item(state.baronvarseq, " varnum");
  item(gcdata::mymodel.filetype, " algfiletype");
  item(n.instructions, " nlcode");
  item(n.constants, " nlcon");
  item(n.longest, " maxsingle");
  item(n.rows, " nlequs");
  if (f.pending() == 0) f.writeln(code);
  f.close();
  if (const int rc = f.ioresult(); rc != 0) {
    writefailed(control, rc);
    return false;
  }
  gcdata::gclogstat("--- Hessian information available");
  return true;
}

}  // namespace gcbaron
