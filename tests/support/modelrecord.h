// Everything the model loader puts into the record, as text, for comparing records:
// the arrays, the instruction code, every row's and column's lists, the counts and the
// scales. Numbers are written exactly (the shortest text that reads back the same).
#pragma once

#include <charconv>
#include <string>
#include <type_traits>

#include "instance/gcdata.h"

namespace testutil {

inline void putnumber(std::string& s, double v) {
  char buf[32];
  s.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}
template <typename T>
requires std::is_integral_v<T>
inline void putnumber(std::string& s, T v) { s += std::to_string(v); }

inline std::string describe(const gcdata::tmodel& m) {
  std::string s;
  const auto put = [&s](const auto& v) {
    for (const auto& x : v) putnumber(s, x), s += ' ';
    s += "| ";
  };
  put(m.rowtype), put(m.rowrhs), put(m.rowmarginal), put(m.rowmatch);
  put(m.rowfirstinstr), put(m.rowlastinstr);
  put(m.coltype), put(m.collower), put(m.collevel), put(m.colupper), put(m.colmarginal);
  put(m.colpriority), put(m.colsosset), put(m.colboundclass), put(m.pool), put(m.funcuse);
  put(m.boundkindcount);
  for (const auto& ins : m.instr) {
    s += std::to_string(static_cast<int>(ins.opcode)) + ":" + std::to_string(ins.operand) + " ";
  }
  for (std::size_t i = 0; i < m.rowfirst.size(); ++i) {
    s += "\nrow " + std::to_string(i + 1) + ":";
    for (auto* e = m.rowfirst[i]; e; e = e->rownext) s += " " + std::to_string(e->col);
    s += " nl:";
    for (auto* e = m.rownlfirst[i]; e; e = e->rownlnext) s += " " + std::to_string(e->col);
    s += " last " + std::to_string(m.rowlast[i] ? m.rowlast[i]->col : 0);
    s += " nllast " + std::to_string(m.rownllast[i] ? m.rownllast[i]->col : 0);
  }
  for (std::size_t j = 0; j < m.colfirst.size(); ++j) {
    s += "\ncol " + std::to_string(j + 1) + ":";
    for (auto* e = m.colfirst[j]; e; e = e->colnext) {
      s += " " + std::to_string(e->row) + "=";
      putnumber(s, e->jacval);
      if (e->nonlin) s += "n";
    }
    s += " last " + std::to_string(m.collast[j] ? m.collast[j]->row : 0);
  }
  s += "\nfixed " + std::to_string(m.fixedcols) + " status " + std::to_string(m.solvestat) + "/" +
       std::to_string(m.modelstat);
  s += "\nscales ";
  put(m.rowscale), put(m.colscale);
  s += std::to_string(m.scalevalues) + " elements " + std::to_string(m.jacelements.size());
  return s;
}

}  // namespace testutil
