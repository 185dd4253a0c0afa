// Writing a model record back as scratch files.
#include "support/scratchwrite.h"

#include "instance/ctvnl.h"
#include "instance/gcdata.h"
#include "instance/gdutils_records.h"
#include "instance/gdutils_vrk.h"
#include "instance/zlmconf.h"

namespace scratchwrite {

namespace {

template <typename T>
T item(const std::vector<T>& v, std::int32_t k, T def) {
  return v.empty() ? def : v[static_cast<std::size_t>(k) - 1];
}

std::int32_t count(const zlmspecs::tjacrec* e, bool bycolumn) {
  std::int32_t n = 0;
  for (; e != nullptr; e = bycolumn ? e->colnext : e->rownext) ++n;
  return n;
}

void writematrix(const gcdata::tmodel& m, gdutils::tmodfile& h) {
  gdutils::wrmathead(h);
  for (std::int32_t i = 1; i <= m.rows; ++i) {
    const double marginal = item(m.rowmarginal, i, 0.0);
    gdutils::wrmatrow(h, {item(m.rowtype, i, 0), marginal != 0.0 ? 1 : 0, item(m.rowrhs, i, 0.0),
                          item(m.rowlevel, i, 0.0), marginal,
                          count(item<zlmspecs::tjacrec*>(m.rowfirst, i, nullptr), false),
                          item(m.rowscale, i, 1.0), item(m.rowmatch, i, 0)});
  }
  for (std::int32_t j = 1; j <= m.cols; ++j) {
    const std::int32_t type = item(m.coltype, j, 0);
    const double marginal = item(m.colmarginal, j, 0.0);
    const zlmspecs::tjacrec* first = item<zlmspecs::tjacrec*>(m.colfirst, j, nullptr);
    gdutils::wrmatcol(h, {count(first, true), marginal != 0.0 ? 1 : 0, item(m.collower, j, 0.0),
                          item(m.collevel, j, 0.0), item(m.colupper, j, 0.0), type,
                          type == 0 ? 0 : item(m.colsosset, j, 0), item(m.colpriority, j, 1.0),
                          marginal, item(m.colscale, j, 1.0)});
    for (const zlmspecs::tjacrec* e = first; e != nullptr; e = e->colnext) {
      gdutils::wrmatdat(h, {e->row, e->jacval, e->nonlin});
    }
  }
}

// Each row's code runs up to its Store, whose operand is the row.
template <typename F>
void eachinstruction(const gcdata::tmodel& m, F&& f) {
  std::size_t start = 0;
  for (std::size_t k = 0; k < m.instr.size(); ++k) {
    if (m.instr[k].opcode != ctvnl::opcode::store) continue;
    for (std::size_t p = start; p <= k; ++p) f(m.instr[k].operand, m.instr[p]);
    start = k + 1;
  }
}

std::string closed(gdutils::modfileptr& h, const std::string& name) {
  const bool failed = h->failed;
  const std::string msg(h->errmsg.view());
  if (const std::int32_t rc = gdutils::closemod(h); rc != 0 || failed) {
    return "cannot write " + name + (failed ? ": " + msg : "");
  }
  return {};
}

}  // namespace

std::int32_t withlayout(std::int32_t filetype, std::int32_t layout) {
  return filetype - zlmconf::fttype(filetype) + layout;
}

std::string writemodel(const gcdata::tmodel& m, std::int32_t filetype, const std::string& matfile,
                       const std::string& codfile) {
  std::int32_t rc = 0;
  gdutils::modfileptr mat = gdutils::cwmat(rc, filetype, m.scaleopt, m.priorityopt, matfile);
  if (!mat) return "cannot open " + matfile;
  if (zlmconf::fttype(filetype) == gdutils::vrklayout) {
    bool nonlinear = false;
    for (const zlmspecs::tjacrec* e : m.colfirst) {
      for (; e != nullptr; e = e->colnext) nonlinear = nonlinear || e->nonlin;
    }
    if (nonlinear) gdutils::sethavenlnz(*mat);
    writematrix(m, *mat);
    scrvrk::tscratchvrk& v = *gdutils::getscrvrkptr(*mat);
    eachinstruction(m, [&v](std::int32_t row, const ctvnl::tnlcode& c) {
      (void)v.writenlinstr(row, ctvnl::code(c.opcode), c.operand);
    });
    for (const double c : m.pool) (void)v.writeconstpool(c);
    return closed(mat, matfile);
  }
  writematrix(m, *mat);
  if (std::string msg = closed(mat, matfile); !msg.empty()) return msg;
  gdutils::modfileptr cod = gdutils::cwcod(rc, filetype, codfile);
  if (!cod) return "cannot open " + codfile;
  gdutils::wrcodhead(*cod);
  for (const ctvnl::tnlcode& c : m.instr) gdutils::wrcodrec(*cod, ctvnl::code(c.opcode), c.operand);
  gdutils::wrcodreloc(*cod);
  gdutils::wrcodpool(*cod, static_cast<std::int32_t>(m.pool.size()));
  for (const double c : m.pool) gdutils::wrcodconst(*cod, c);
  return closed(cod, codfile);
}

}  // namespace scratchwrite
