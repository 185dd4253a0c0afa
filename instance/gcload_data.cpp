// Model loading: the instruction-code file and the matrix file into the model record,
// with each row's instruction range, the function use counts, the linked Jacobian and
// each column's bound class and bound kind. Nothing from the files is trusted: a count,
// row, column, pool entry or type out of range stops the load with a message naming the
// file and the place, and nothing is ever written outside the record's arrays.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "frame/q5rtnum.h"
#include "funclib/mathnew.h"
#include "instance/ctvnl.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"
#include "instance/gcload_matrix.h"
#include "instance/gdutils_records.h"
#include "instance/gdutils_vrk.h"
#include "instance/zlmconf.h"
#include "instance/zlmspecs.h"

namespace gcload {

namespace {

using detail::at;
using detail::within;
using gcdata::tmodel;
using q5rt::Q5_Str_i0;

constexpr std::string_view noinstrfile = "*** could not open instruction file ";
constexpr std::string_view nomatfile = "*** could not open matrix file ";
constexpr std::string_view badinstrfile = "*** Error in instruction file ";
constexpr std::string_view badmatfile = "*** Error in matrix file ";
constexpr std::string_view nomemory = "*** Out of memory while loading the model";

// The shortest instruction: opcode, tag and operand bytes (text: "0 0" and a line end).
constexpr std::int64_t mininstrbytes = 3;

void report(std::string_view text) { gcdata::gclogstat(text); }

void reportopen(std::string_view head, std::string_view name, std::int32_t rc) {
  report(q5rt::concat(head, name));
  report(q5rt::concat("*** RC=", Q5_Str_i0(rc), " ", q5rt::syserrortext(rc)));
}

// "lo..hi"
q5rt::sstr range(std::int32_t lo, std::int32_t hi) {
  return q5rt::concat(Q5_Str_i0(lo), "..", Q5_Str_i0(hi));
}

// ---- the counts of the control file ----

bool checkcount(std::string_view what, std::int32_t n) {
  if (n >= 0) return true;
  report(q5rt::concat("*** Control file gives a negative count of ", what, ": ", Q5_Str_i0(n)));
  return false;
}

bool checkcounts(const tmodel& m) {
  return checkcount("rows", m.rows) && checkcount("columns", m.cols) &&
         checkcount("instructions", m.instrcount) && checkcount("constants", m.poolsize);
}

bool checkindex(std::string_view what, std::int32_t v, std::int32_t hi) {
  if (within(v, 0, hi)) return true;
  report(
      q5rt::concat("*** Control file gives ", what, " ", Q5_Str_i0(v), " outside ", range(0, hi)));
  return false;
}

// ---- presets and arrays ----

// What reading the matrix counts up from.
void matrixpresets(tmodel& m) {
  m.fixedcols = 0;
  m.scalevalues = 0;
  m.boundkindcount = {};
}

void presets(tmodel& m) {
  m.solvestat = 13;
  m.modelstat = 13;
  m.headinfo.fill(zlmspecs::valna);
  m.tailinfo.fill(zlmspecs::valna);
  m.valund = zlmspecs::valund;
  m.valna = zlmspecs::valna;
  m.valeps = zlmspecs::valeps;
  m.valpin = zlmspecs::valpin;
  m.valmin = zlmspecs::valmin;
  m.funcuse = {};
  matrixpresets(m);
}

// Calls f(array, length) for every array that reading the instruction code fills.
template <typename F>
void codearrays(tmodel& m, F&& f) {
  f(m.rowfirstinstr, m.rows), f(m.rowlastinstr, m.rows);
  f(m.pool, m.poolsize), f(m.instr, m.instrcount);
}

// The same for every array that reading the matrix fills.
template <typename F>
void matrixarrays(tmodel& m, F&& f) {
  const std::int32_t r = m.rows;
  f(m.rowtype, r), f(m.rowrhs, r), f(m.rowmarginal, r), f(m.rowmatch, r);
  f(m.rowfirst, r), f(m.rownlfirst, r), f(m.rowlast, r), f(m.rownllast, r);
  const std::int32_t c = m.cols;
  f(m.coltype, c), f(m.collower, c), f(m.collevel, c), f(m.colupper, c);
  f(m.colmarginal, c), f(m.colpriority, c), f(m.colsosset, c);
  f(m.colboundclass, c), f(m.colfirst, c), f(m.collast, c);
}

template <typename F>
void eacharray(tmodel& m, F&& f) {
  codearrays(m, f);
  matrixarrays(m, f);
}

// Every array the load fills, zeroed, and the element store ready for the expected
// number of elements; the solution arrays stay empty until a solution is stored. The old
// arrays are released first.
void createarrays(tmodel& m, std::size_t expected) {
  eacharray(m, [](auto& v, std::int32_t n) {
    v = {};
    v.resize(static_cast<std::size_t>(n));
  });
  m.jacelements.clear();
  m.jacelements.expect(expected);
  m.rowscale.clear();
  m.rowlevel.clear(), m.rowbasis.clear(), m.rowstatus.clear();
  m.solutionstored = false;
  m.defrowlist.clear(), m.defcollist.clear();
  m.colscale.clear();
  m.colbasis.clear(), m.colstatus.clear();
}

// ---- instruction code ----

class codereader {
 public:
  codereader(tmodel& m, gdutils::tmodfile& h) : m_(m), h_(h) {}

  bool read() {
    if (!gdutils::rdcodhead(h_)) return readfailed();
    std::int32_t rowstart = 1;
    std::int32_t laststore = 0;
    for (pos_ = 1; pos_ <= m_.instrcount; ++pos_) {
      std::int32_t opcode = 0;
      std::int32_t operand = 0;
      if (!gdutils::rdcodrec(h_, opcode, operand)) return readfailed();
      if (!checkinstruction(opcode, operand)) return false;
      at(m_.instr, pos_) = {static_cast<ctvnl::opcode>(opcode), operand};
      if (opcode == ctvnl::code(ctvnl::opcode::header)) rowstart = pos_;
      if (opcode == ctvnl::code(ctvnl::opcode::store)) {
        at(m_.rowfirstinstr, operand) = rowstart;
        at(m_.rowlastinstr, operand) = pos_;
        laststore = pos_;
      }
    }
    pos_ = 0;
    // Every row's code ends with its Store. Instructions behind the last one belong to no
    // row: more were declared than the file holds (in a binary file the zero fill of the
    // last record reads as NoOp instructions).
    if (laststore < m_.instrcount) {
      return problem(
          q5rt::concat(mismatch(), ": instruction ", Q5_Str_i0(m_.instrcount), " is not a Store"));
    }
    return readtail();
  }

 private:
  bool readfailed() {
    report(q5rt::concat(badinstrfile, h_.errmsg));
    return false;
  }

  bool problem(std::string_view text) {
    if (pos_ > 0) {
      report(q5rt::concat(badinstrfile, h_.name, ", instruction ", Q5_Str_i0(pos_), ": ", text));
    } else {
      report(q5rt::concat(badinstrfile, h_.name, ": ", text));
    }
    return false;
  }

  bool operandproblem(std::int32_t opcode, std::string_view what, std::int32_t operand,
                      std::int32_t hi) {
    const std::string_view name = ctvnl::nlcodetxt[static_cast<std::size_t>(opcode)];
    return problem(q5rt::concat(name.substr(0, name.find(' ')), " of ", what, " ",
                                Q5_Str_i0(operand), " outside ", range(1, hi)));
  }

  // The opcode is known and its row, column or pool operand lies in the model.
  bool checkinstruction(std::int32_t opcode, std::int32_t operand) {
    if (!within(opcode, 0, ctvnl::opcode_count - 1)) {
      return problem(q5rt::concat("unknown opcode ", Q5_Str_i0(opcode)));
    }
    if (opcode == ctvnl::code(ctvnl::opcode::store) && !within(operand, 1, m_.rows)) {
      return operandproblem(opcode, "row", operand, m_.rows);
    }
    if (ctvnl::pushgradvars.contains(opcode) && !within(operand, 1, m_.cols)) {
      return operandproblem(opcode, "column", operand, m_.cols);
    }
    if (ctvnl::pushimmed.contains(opcode) && !within(operand, 1, m_.poolsize)) {
      return operandproblem(opcode, "constant", operand, m_.poolsize);
    }
    return true;
  }

  // The relocation table (only its ending 0) and the constant pool. A relocation header
  // or entry out of place means the file holds another number of instructions.
  q5rt::sstr mismatch() const {
    return q5rt::concat("the file does not hold ", Q5_Str_i0(m_.instrcount), " instructions");
  }

  bool readtail() {
    const q5rt::sstr mismatch = this->mismatch();
    if (h_.istext() &&
        !h_.input.substr(std::min(h_.inpos, h_.input.size())).starts_with(gdutils::codreloc)) {
      return problem(mismatch);
    }
    std::int32_t entry = 0;
    if (!gdutils::rdcodreloc(h_) || !gdutils::rdcodrepos(h_, entry)) return readfailed();
    if (entry != 0) return problem(mismatch);
    std::int32_t count = 0;
    if (!gdutils::rdcodpool(h_, count)) return readfailed();
    if (!within(count, 0, m_.poolsize)) {
      return problem(
          q5rt::concat("constant count ", Q5_Str_i0(count), " outside ", range(0, m_.poolsize)));
    }
    for (std::int32_t k = 1; k <= count; ++k) {
      if (!gdutils::rdcodconst(h_, at(m_.pool, k))) return readfailed();
    }
    return true;
  }

  tmodel& m_;
  gdutils::tmodfile& h_;
  std::int32_t pos_ = 0;  // the instruction being read, 0 outside the instructions
};

void countfunctions(tmodel& m) {
  m.funcuse = {};
  for (const ctvnl::tnlcode& ins : m.instr) {
    const bool call = ins.opcode == ctvnl::opcode::callarg1 ||
                      ins.opcode == ctvnl::opcode::callarg2 ||
                      ins.opcode == ctvnl::opcode::callargn;
    if (call && within(ins.operand, 0, mathnew::funccount - 1)) {
      ++m.funcuse[static_cast<std::size_t>(ins.operand)];
    }
  }
}

std::int32_t readinstructions(tmodel& m, gdutils::modfileptr& h) {
  const bool ok = codereader(m, *h).read();
  (void)gdutils::closemod(h);
  if (!ok) return loadinstrfailed;
  countfunctions(m);
  return loadok;
}

// ---- matrix ----

// Nothing but white space (text) or the zero fill of the last record (binary) is left: a
// file that holds more than its rows and columns was written for another model.
bool atend(const gdutils::tmodfile& h) {
  if (h.layout == gdutils::vrklayout) return gdutils::vrk::atend(h);
  const std::string_view rest = h.input.substr(std::min(h.inpos, h.input.size()));
  if (h.istext()) return detail::onlywhite(rest);
  if (!rest.empty()) return false;
  for (std::int32_t p = h.pos; p <= h.last; ++p) {
    if (h.buffer[static_cast<std::size_t>(p)] != 0) return false;
  }
  return true;
}

class matrixreader {
 public:
  matrixreader(tmodel& m, gdutils::tmodfile& h) : m_(m), h_(h) {}

  bool read() {
    if (!gdutils::rdmathead(h_)) return readfailed();
    for (std::int32_t i = 1; i <= m_.rows; ++i) {
      if (!readrow(i)) return false;
    }
    for (std::int32_t j = 1; j <= m_.cols; ++j) {
      if (!readcolumn(j)) return false;
    }
    if (!atend(h_)) {
      report(q5rt::concat(badmatfile, h_.name, ": the file holds more than ", Q5_Str_i0(m_.rows),
                          " rows and ", Q5_Str_i0(m_.cols), " columns"));
      return false;
    }
    // The zero fill behind the last binary record reads as columns without entries: a
    // file that lacks columns is caught by the entries it lacks.
    if (std::cmp_not_equal(m_.jacelements.size(), m_.nonzeros)) {
      report(q5rt::concat(badmatfile, h_.name, ": the file holds ",
                          Q5_Str_i0(static_cast<std::int32_t>(m_.jacelements.size())),
                          " Jacobian entries, the control file declares ", Q5_Str_i0(m_.nonzeros)));
      return false;
    }
    return true;
  }

 private:
  bool readfailed() {
    report(q5rt::concat(badmatfile, h_.errmsg));
    return false;
  }

  bool problem(std::string_view where, std::int32_t n, std::string_view text) {
    report(q5rt::concat(badmatfile, h_.name, ", ", where, " ", Q5_Str_i0(n), ": ", text));
    return false;
  }

  bool readrow(std::int32_t i) {
    gdutils::matrow r;
    if (!gdutils::rdmatrow(h_, r)) return readfailed();
    if (!within(r.type, 0, zlmspecs::rowtype_count - 1)) {
      return problem("row", i, q5rt::concat("unknown row type ", Q5_Str_i0(r.type)));
    }
    detail::storerow(m_, i, r);
    return true;
  }

  bool readcolumn(std::int32_t j) {
    gdutils::matcol c;
    if (!gdutils::rdmatcol(h_, c)) return readfailed();
    if (!within(c.type, 0, zlmspecs::coltype_count - 1)) {
      return problem("column", j, q5rt::concat("unknown column type ", Q5_Str_i0(c.type)));
    }
    if (c.nzcount < 0) {
      return problem("column", j, q5rt::concat("negative nonzero count ", Q5_Str_i0(c.nzcount)));
    }
    detail::storecolumn(m_, j, c, m_.fixedcols, m_.boundkindcount);
    for (std::int32_t k = 0; k < c.nzcount; ++k) {
      if (!readentry(j)) return false;
    }
    return true;
  }

  // One Jacobian entry of column j, appended to its row's lists and the column's list.
  bool readentry(std::int32_t j) {
    gdutils::matdat d;
    if (!gdutils::rdmatdat(h_, d)) return readfailed();
    if (!within(d.row, 1, m_.rows)) {
      return problem(
          "column", j,
          q5rt::concat("Jacobian entry in row ", Q5_Str_i0(d.row), " outside ", range(1, m_.rows)));
    }
    zlmspecs::tjacrec& e = m_.jacelements.emplace_back();
    e.jacval = d.value;
    e.row = d.row;
    e.col = j;
    e.nonlin = d.nonlin;
    gcdata::elemptr& last = at(m_.collast, j);
    (last == nullptr ? at(m_.colfirst, j) : last->colnext) = &e;
    last = &e;
    return true;
  }

  tmodel& m_;
  gdutils::tmodfile& h_;
};

// The row lists and the rows' nonlinear lists, in column order: the elements are taken
// from the last read to the first and put at the front of their lists. This touches the
// elements in order (linking each to its row's previous last element while reading
// would jump across the whole element store once per element).
void linkrows(tmodel& m) {
  m.jacelements.foreach_reverse([&m](zlmspecs::tjacrec& e) {
    const std::int32_t r = e.row;
    if (at(m.rowlast, r) == nullptr) at(m.rowlast, r) = &e;
    e.rownext = std::exchange(at(m.rowfirst, r), &e);
    if (!e.nonlin) return;
    if (at(m.rownllast, r) == nullptr) at(m.rownllast, r) = &e;
    e.rownlnext = std::exchange(at(m.rownlfirst, r), &e);
  });
}

std::int32_t readmatrix(tmodel& m, gdutils::modfileptr& h) {
  if (m.scaleopt != 0) {
    // Scales that the option asks for but the file does not carry read as 1.
    m.scalevalues = zlmconf::ftscales(m.filetype) == 0 ? 1 : 0;
    m.rowscale.assign(static_cast<std::size_t>(m.rows), 1.0);
    m.colscale.assign(static_cast<std::size_t>(m.cols), 1.0);
  }
  const bool ok = matrixreader(m, *h).read();
  (void)gdutils::closemod(h);
  linkrows(m);
  return ok ? loadok : loadmatrixfailed;
}

// The bytes of the file behind a handle: its input, or for a data-exchange file the file's
// size.
std::int64_t filesize(const gdutils::tmodfile& h) {
  if (h.layout != gdutils::vrklayout) return static_cast<std::int64_t>(h.input.size());
  std::error_code ec;
  const auto size = std::filesystem::file_size(h.name.view(), ec);
  return ec ? 0 : static_cast<std::int64_t>(size);
}

// Every row and column record takes at least one byte: counts that the matrix file cannot
// hold are refused before any array is made for them.
bool fitsmatrix(const tmodel& m, const gdutils::tmodfile& h) {
  if (std::int64_t{m.rows} + m.cols <= filesize(h)) return true;
  report(q5rt::concat(badmatfile, h.name, ": ", Q5_Str_i0(m.rows), " rows and ", Q5_Str_i0(m.cols),
                      " columns declared, the file is shorter"));
  return false;
}

// Every constant of the pool takes at least one byte of the instruction file, every
// instruction at least a few.
bool fitscode(const tmodel& m, const gdutils::tmodfile& h) {
  const std::int64_t size = filesize(h);
  if (m.poolsize <= size && mininstrbytes * m.instrcount <= size) return true;
  const bool pool = m.poolsize > size;
  report(q5rt::concat(badinstrfile, h.name, ": ", Q5_Str_i0(pool ? m.poolsize : m.instrcount),
                      pool ? " constants" : " instructions", " declared, the file is shorter"));
  return false;
}

// The instruction code, then the matrix when the code was read.
std::int32_t readboth(tmodel& m, gdutils::modfileptr& cod, gdutils::modfileptr& mat) {
  if (const std::int32_t coderc = readinstructions(m, cod); coderc != loadok) return coderc;
  return readmatrix(m, mat);
}

// Both files are opened (and read into memory) first, so that the counts can be held
// against them before the arrays are made.
std::int32_t load(tmodel& m) {
  if (!checkcounts(m)) return loadbadsizes;
  std::int32_t rc = 0;
  gdutils::modfileptr cod;
  if (m.instrcount != 0) {  // no code: the instruction file need not exist
    cod = gdutils::crcod(rc, m.filetype, m.instrfile);
    if (!cod) {
      reportopen(noinstrfile, m.instrfile, rc);
      return loadinstrfailed;
    }
    if (!fitscode(m, *cod)) return loadinstrfailed;
  }
  gdutils::modfileptr mat = gdutils::crmat(rc, m.filetype, m.scaleopt, m.priorityopt, m.matfile);
  if (!mat) {
    reportopen(nomatfile, m.matfile, rc);
    return loadmatrixfailed;
  }
  if (!fitsmatrix(m, *mat)) return loadmatrixfailed;
  // Every entry takes at least one byte: a declared count the file cannot hold makes no
  // block larger than the file.
  const std::int64_t expected = std::clamp<std::int64_t>(m.nonzeros, 0, filesize(*mat));
  createarrays(m, static_cast<std::size_t>(expected));
  if (!checkindex("objective variable", m.objvar, m.cols) ||
      !checkindex("objective row", m.objrow, m.rows)) {
    return loadbadsizes;
  }
  if (!cod) return readmatrix(m, mat);
  return readboth(m, cod, mat);
}

}  // namespace

std::int32_t loadmodel(tmodel& m) {
  presets(m);
  try {
    return load(m);
  } catch (const std::bad_alloc&) {
    report(nomemory);
  } catch (const std::length_error&) {
    report(nomemory);
  }
  return loadnomemory;
}

std::int32_t loaddata() { return loadmodel(gcdata::mymodel); }

}  // namespace gcload
