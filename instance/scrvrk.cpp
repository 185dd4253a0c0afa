// The data-exchange scratch layout: the writing and reading state machines over the
// data-exchange library's raw records.
#include "instance/scrvrk.h"

#include <algorithm>
#include <cmath>

#include "bindings/dctmdcdef.h"
#include "bindings/vrkdcdef.h"
#include "frame/q5rtnum.h"
#include "frame/q5text.h"
#include "instance/zlmspecs.h"

namespace scrvrk {

namespace {

constexpr double na = zlmspecs::valna;
constexpr double eps = zlmspecs::valeps;
constexpr std::int32_t jacbase = 32;  // a column code above it is a Jacobian entry
constexpr std::int32_t typeset = 0;
constexpr std::int32_t typeparameter = 1;

// Row, column and solution codes.
enum rowcode : std::int32_t { rtype = 1, rrhs, rlevel, rmarginal, rscale, rmatch, rmargflag };
enum colcode : std::int32_t {
  ctype = 1,
  clower,
  clevel,
  cupper,
  csos,
  cpriority,
  cmarginal,
  cscale,
  cnzcount,
  cmargflag
};
enum solcode : std::int32_t { sstatus = 1, sbasis, slevel, smarginal, sscale };

constexpr std::int32_t binarytype = 1;
constexpr std::int32_t sos1type = 3;
constexpr std::int32_t sos2type = 4;

double upperdefault(std::int32_t type) { return type == binarytype ? 1.0 : zlmspecs::valpin; }

std::int32_t rounded(double v) { return static_cast<std::int32_t>(std::lround(v)); }

q5rt::sstr num(std::int32_t v) { return q5rt::Q5_Str_i0(v); }

}  // namespace

tscratchvrk::~tscratchvrk() {
  if (!msg_.empty()) q5rt::output().writeln(q5rt::concat("*** ", msg_));
  release();
}

void tscratchvrk::release() {
  if (obj_ != nullptr) vrkdcdef::vrkfree(obj_);
}

// ---- messages ----

int tscratchvrk::fail(std::string_view text) {
  if (msg_.empty()) msg_.assign_cut(text);
  return 1;
}

int tscratchvrk::outofcontext(std::string_view op) {
  return fail(q5rt::concat(op, ": Calling out of context"));
}

q5rt::sstr tscratchvrk::getlasterrmsg() {
  q5rt::sstr m = msg_;
  msg_.clear();
  if (!m.empty()) state_ = stfailed;
  return m;
}

bool tscratchvrk::vrkerror(std::string_view operation, q5rt::sstr& msg) {
  if (!librarycounts()) {
    msg.clear();
    return false;
  }
  describe(operation, msg);
  return true;
}

bool tscratchvrk::librarycounts() const {
  return obj_ != nullptr && vrkdcdef::vrkerrorcount(obj_) != 0;
}

// The message of the library's last error under the operation's name.
void tscratchvrk::describe(std::string_view operation, q5rt::sstr& msg) {
  const std::int32_t nr = vrkdcdef::vrkgetlasterror(obj_);
  if (nr == 0) {
    msg = q5rt::concat(operation, ": VrkErrorCount <> 0: No message available");
    return;
  }
  q5rt::sstr text;
  (void)vrkdcdef::vrkerrorstr(obj_, nr, text);
  msg = q5rt::concat(operation, ": ", text);
}

// The closing error check of an operation: 1 with the message set when the library
// counted an error. (The message buffer is made only then: every record ends here.)
int tscratchvrk::check(std::string_view op) {
  if (!librarycounts()) return 0;
  q5rt::sstr m;
  describe(op, m);
  return fail(m.view());
}

// ---- creation ----

const q5rt::sstr& tscratchvrk::createforwriting(std::string_view name, q5rt::sstr& msg) {
  msg_.clear();
  q5rt::sstr m;
  if (!vrkdcdef::vrkcreate(obj_, m)) {
    fail(q5rt::concat("Could not create VRK object, Msg: ", m));
  } else {
    std::int32_t err = 0;
    (void)vrkdcdef::vrkopenwriteex(obj_, q5rt::sstr::cut(name), q5rt::sstr::cut(producer), 1, err);
    if (err != 0) {
      fail(q5rt::concat("Cannot write VRK to ", name));
    } else {
      vrkdcdef::vrkstoredomainsetsset(obj_, false);
      (void)vrkdcdef::vrkautoconvert(obj_, 0);
      nlnz_ = false;
      items_.fill(na);
      items_[1] = 13;
      items_[2] = 13;
      items_[9] = 0;
      state_ = stcreated;
      (void)check("CreateForWriting");
    }
  }
  msg = msg_;
  return msg_;
}

const q5rt::sstr& tscratchvrk::createforreading(std::string_view name, q5rt::sstr& msg) {
  msg_.clear();
  q5rt::sstr m;
  if (!vrkdcdef::vrkcreate(obj_, m)) {
    fail(q5rt::concat("Could not create VRK object, Msg: ", m));
  } else {
    std::int32_t err = 0;
    (void)vrkdcdef::vrkopenread(obj_, q5rt::sstr::cut(name), err);
    if (err != 0) {
      fail(q5rt::concat("Cannot open VRK file ", name));
    } else {
      items_.fill(na);
      std::array<double, 5> specials{};
      (void)vrkdcdef::vrkgetspecialvalues(obj_, specials.data());
      specials[4] = 0.0;  // EPS reads as 0
      (void)vrkdcdef::vrksetreadspecialvalues(obj_, specials.data());
      std::int32_t nr = 0;
      nconst_ = 0;
      if (vrkdcdef::vrkfindsymbol(obj_, q5rt::sstr::cut("scalar"), nr) != 0 && nr > 0) {
        std::int32_t userinfo = 0;
        q5rt::sstr text;
        (void)vrkdcdef::vrksymbolinfox(obj_, nr, nconst_, userinfo, text);
      }
      nlnz_ = false;
      if (vrkdcdef::vrkfindsymbol(obj_, q5rt::sstr::cut("variable"), nr) != 0 && nr > 0) {
        q5rt::sstr symname;
        std::int32_t dim = 0;
        std::int32_t type = 0;
        (void)vrkdcdef::vrksymbolinfo(obj_, nr, symname, dim, type);
        nlnz_ = dim == 3;
      }
      state_ = stopened;
      (void)check("CreateForReading");
    }
  }
  msg = msg_;
  return msg_;
}

// ---- writing ----

bool tscratchvrk::startwrite(std::string_view name, std::string_view text, int dim, int type) {
  const bool ok = vrkdcdef::vrkdatawriterawstart(obj_, q5rt::sstr::cut(name), q5rt::sstr::cut(text),
                                                 dim, type, 0) != 0;
  symopen_ = ok;
  return ok;
}

void tscratchvrk::endsymbol() {
  if (!symopen_) return;
  symopen_ = false;
  if (state_ < stopened) {
    (void)vrkdcdef::vrkdatawritedone(obj_);
  } else {
    (void)vrkdcdef::vrkdatareaddone(obj_);
  }
}

// Writes (key, code) with the value; a zero as EPS.
void tscratchvrk::putalways(int codekey, std::int32_t code, double value) {
  keys_[static_cast<std::size_t>(codekey)] = code;
  values_[0] = value == 0.0 ? eps : value;
  (void)vrkdcdef::vrkdatawriteraw(obj_, keys_.data(), values_.data());
}

int tscratchvrk::writevrkrecord(std::int32_t code, double value, double def) {
  if (value != def) putalways(1, code, value);
  return 0;
}

int tscratchvrk::writerow(const rowrec& r) {
  if (!msg_.empty()) return 1;
  if (state_ == stcreated) {
    startwrite("equation", "Equations", 2, typeparameter);
    state_ = strows;
  } else if (state_ != strows) {
    return outofcontext("WriteRow");
  }
  keys_[0] = ++nrows_;
  putalways(1, rtype, r.type);
  writevrkrecord(rrhs, r.rhs, 0.0);
  writevrkrecord(rlevel, r.level, 0.0);
  writevrkrecord(rmarginal, r.marginal, 0.0);
  writevrkrecord(rscale, r.scale, 1.0);
  writevrkrecord(rmatch, r.match, 0.0);
  writevrkrecord(rmargflag, r.marginalflag, 0.0);
  return check("WriteRow");
}

int tscratchvrk::writecolumn(const colrec& c) {
  if (!msg_.empty()) return 1;
  if (state_ == strows) {
    endsymbol();
    startwrite("variable", "Variables", nlnz_ ? 3 : 2, typeparameter);
  } else if (state_ != stcolumns && state_ != stjacobian) {
    return outofcontext("WriteColumn");
  }
  state_ = stcolumns;
  keys_[0] = ++ncols_;
  keys_[2] = 1;
  putalways(1, ctype, c.type);
  writevrkrecord(clower, c.lower, 0.0);
  writevrkrecord(clevel, c.level, 0.0);
  writevrkrecord(cupper, c.upper, upperdefault(c.type));
  if (c.type == sos1type || c.type == sos2type) writevrkrecord(csos, c.sosset, 0.0);
  writevrkrecord(cpriority, c.priority, 1.0);
  writevrkrecord(cmarginal, c.marginal, 0.0);
  writevrkrecord(cscale, c.scale, 1.0);
  writevrkrecord(cnzcount, c.nzcount, 0.0);
  writevrkrecord(cmargflag, c.marginalflag, 0.0);
  return check("WriteColumn");
}

int tscratchvrk::writejac(std::int32_t row, double value, bool nonlin) {
  if (!msg_.empty()) return 1;
  if (state_ != stcolumns && state_ != stjacobian) return outofcontext("WriteJac");
  state_ = stjacobian;
  if (row < 1 || row > nrows_) {
    return fail(q5rt::concat("WriteJac: rownum=", num(row), " outside 1 and ", num(nrows_)));
  }
  if (nonlin && !nlnz_) throw q5rt::exception(nlnzraised);
  keys_[2] = 1 + (nonlin ? 1 : 0);
  putalways(1, jacbase + row, value);
  return check("WriteJac");
}

int tscratchvrk::writedictionary(bindproto::handle dct) {
  if (!msg_.empty()) return 1;
  if (state_ == stcolumns || state_ == stjacobian) {
    endsymbol();
  } else if (state_ != stcreated) {
    return outofcontext("WriteDictionary");
  }
  state_ = stdictionary;
  if (dct == nullptr) return fail("WriteDictionary: Dictionary pointer is nil");
  q5rt::sstr m;
  if (!dctmdcdef::dctgetready(m)) {
    return fail(q5rt::concat("WriteDictionary: Could not load dictionary library. Msg:", m));
  }
  m.clear();
  dctmdcdef::dctwritevrkwithhandle(dct, obj_, m);
  if (!m.empty())
    return fail(q5rt::concat("WriteDictionary: Problems writing dictionary. Msg:", m));
  return check("WriteDictionary");
}

int tscratchvrk::writenlinstr(std::int32_t row, std::int32_t opcode, std::int32_t operand) {
  if (!msg_.empty()) return 1;
  if (state_ == stcolumns || state_ == stjacobian || state_ == stdictionary) {
    endsymbol();
    startwrite("solve", "NL Instructions", 4, typeset);
    state_ = stinstructions;
  } else if (state_ != stinstructions) {
    return outofcontext("WriteNLInstr");
  }
  if (row < 1 || row > nrows_) {
    return fail(q5rt::concat("WriteNLInstr: rownum=", num(row), " outside 1 and ", num(nrows_)));
  }
  lastpos_ = row == lastrow_ ? lastpos_ + 1 : 1;
  lastrow_ = row;
  keys_[0] = row;
  keys_[1] = lastpos_;
  keys_[2] = opcode;
  keys_[3] = operand + 1;
  values_[0] = 0.0;
  (void)vrkdcdef::vrkdatawriteraw(obj_, keys_.data(), values_.data());
  return check("WriteNLInstr");
}

int tscratchvrk::writeconstpool(double value) {
  if (!msg_.empty()) return 1;
  switch (state_) {
    case stcolumns:
    case stjacobian:
    case stinstructions:
      endsymbol();
      [[fallthrough]];
    case stcreated:
    case stdictionary:
      startwrite("scalar", "Constant Pool", 1, typeparameter);
      state_ = stconstants;
      break;
    case stconstants:
      break;
    default:
      return fail(q5rt::concat("WriteConstPool: Calling out of context ", num(state_)));
  }
  keys_[0] = ++nconstw_;
  values_[0] = value == 0.0 ? eps : value;
  (void)vrkdcdef::vrkdatawriteraw(obj_, keys_.data(), values_.data());
  return check("WriteConstPool");
}

namespace {

void putsol(tscratchvrk& v, const solrec& s) {
  (void)v.writevrkrecord(sbasis, s.basis, 0.0);
  (void)v.writevrkrecord(slevel, s.level, 0.0);
  (void)v.writevrkrecord(smarginal, s.marginal, 0.0);
  (void)v.writevrkrecord(sscale, s.scale, 1.0);
}

}  // namespace

int tscratchvrk::writerowsol(const solrec& s) {
  if (!msg_.empty()) return 1;
  if (state_ == stcreated) {
    startwrite("equations", "Equation Solution", 2, typeparameter);
    items_[9] = na;
    state_ = strowsols;
  } else if (state_ != strowsols) {
    return outofcontext("WriteRowSol");
  }
  keys_[0] = ++nrows_;
  putalways(1, sstatus, s.status);
  putsol(*this, s);
  return check("WriteRowSol");
}

int tscratchvrk::writecolumnsol(const solrec& s) {
  if (!msg_.empty()) return 1;
  if (state_ == strowsols) {
    endsymbol();
    startwrite("variables", "Variable Solution", 2, typeparameter);
    state_ = stcolsols;
  } else if (state_ != stcolsols) {
    return outofcontext("WriteColumnSol");
  }
  keys_[0] = ++ncols_;
  putalways(1, sstatus, s.status);
  putsol(*this, s);
  return check("WriteColumnSol");
}

int tscratchvrk::puthtrec(std::int32_t index, double value) {
  if (index < 1 || index > htcount) {
    return fail(q5rt::concat("HT Record number ", num(index), " out of 1..", num(htcount)));
  }
  items_[static_cast<std::size_t>(index)] = value;
  return 0;
}

void tscratchvrk::writeoptions() {
  startwrite("option", "HTRecord", 1, typeparameter);
  for (std::int32_t i = 1; i <= htcount; ++i) {
    const double v = items_[static_cast<std::size_t>(i)];
    if (v == na) continue;
    keys_[0] = i;
    values_[0] = v == 0.0 ? eps : v;
    (void)vrkdcdef::vrkdatawriteraw(obj_, keys_.data(), values_.data());
  }
  endsymbol();
}

// Besides the states in which a complete file ends, the states of a file that holds less
// (rows without columns, row solutions without columns, instructions without constants)
// finish it as they stand.
int tscratchvrk::writedone() {
  if (!msg_.empty()) return 1;
  switch (state_) {
    case strowsols:
    case stcolsols:
      endsymbol();
      [[fallthrough]];
    case stcreated:
      writeoptions();
      break;
    case strows:
    case stcolumns:
    case stjacobian:
    case stinstructions:
    case stconstants:
      endsymbol();
      break;
    case stdictionary:
      break;
    default:
      return outofcontext("WriteDone");
  }
  state_ = stwritten;
  if (check("WriteDone") != 0) return 1;
  if (vrkdcdef::vrkclose(obj_) != 0) return fail("WriteDone: VrkClose <> 0");
  release();
  return 0;
}

// ---- reading ----

// Opens a symbol for reading and takes its first record into the buffer.
bool tscratchvrk::openread(std::string_view op, std::string_view name, int dim) {
  std::int32_t nr = 0;
  if (vrkdcdef::vrkfindsymbol(obj_, q5rt::sstr::cut(name), nr) == 0 || nr <= 0) {
    fail(q5rt::concat(op, ": Symbol ", name, " not found"));
    return false;
  }
  q5rt::sstr symname;
  std::int32_t symdim = 0;
  std::int32_t type = 0;
  (void)vrkdcdef::vrksymbolinfo(obj_, nr, symname, symdim, type);
  if (symdim != dim) {
    fail(q5rt::concat(op, ": Symbol ", name, " has dimension ", num(symdim), ", expected ",
                      num(dim)));
    return false;
  }
  std::int32_t count = 0;
  symopen_ = vrkdcdef::vrkdatareadrawstart(obj_, nr, count) != 0;
  (void)next();
  return true;
}

// The next record of the open symbol into the buffer; false when none is left. A record
// fills the keys of the symbol's dimension and its values, all that is read of it; the keys
// read as 0 when none is left.
bool tscratchvrk::next() {
  have_ = symopen_ && vrkdcdef::vrkdatareadraw(obj_, keys_.data(), values_.data(), dimfirst_) != 0;
  if (!have_) keys_.fill(0);
  return have_;
}

int tscratchvrk::readrow(rowrec& r) {
  if (!msg_.empty()) return 1;
  if (state_ == stopened) {
    if (!openread("ReadRow", "equation", 2)) return 1;
    if (keys_[0] != 1)
      return fail(q5rt::concat("Row data does not start with row 1 but ", num(keys_[0])));
    state_ = streadrows;
  } else if (state_ != streadrows) {
    return outofcontext("ReadRow");
  }
  // A row's first record is its type.
  if (!have_ || keys_[0] != nrows_ + 1 || keys_[1] != rtype) {
    return fail(q5rt::concat("ReadRow: No type record for row ", num(nrows_ + 1)));
  }
  ++nrows_;
  r = rowrec{};
  r.type = rounded(values_[0]);
  while (next() && dimfirst_ != 1) {
    const double v = values_[0];
    switch (keys_[1]) {
      case rrhs:
        r.rhs = v;
        break;
      case rlevel:
        r.level = v;
        break;
      case rmarginal:
        r.marginal = v;
        break;
      case rscale:
        r.scale = v;
        break;
      case rmatch:
        r.match = rounded(v);
        break;
      case rmargflag:
        r.marginalflag = rounded(v);
        break;
      default:
        return fail(q5rt::concat("ReadRowUnknown VRK row record ", num(keys_[1])));
    }
  }
  return check("ReadRow");
}

int tscratchvrk::readcolumn(colrec& c) {
  if (!msg_.empty()) return 1;
  if (state_ == streadrows) {
    endsymbol();
    if (!openread("ReadColumn", "variable", nlnz_ ? 3 : 2)) return 1;
    if (keys_[0] != 1) {
      return fail(q5rt::concat("Column data does not start with column 1 but ", num(keys_[0])));
    }
  } else if (state_ != streadcolumns && state_ != streadjacobian) {
    return outofcontext("ReadColumn");
  }
  state_ = streadcolumns;
  // A column's first record is its type; entries the previous column did not take are
  // another column's.
  if (!have_ || keys_[0] != ncols_ + 1 || keys_[1] != ctype) {
    return fail(q5rt::concat("ReadColumn: No type record for column ", num(ncols_ + 1)));
  }
  ++ncols_;
  c = colrec{};
  c.type = rounded(values_[0]);
  c.upper = upperdefault(c.type);
  while (next() && dimfirst_ != 1 && keys_[1] <= jacbase) {
    const double v = values_[0];
    switch (keys_[1]) {
      case clower:
        c.lower = v;
        break;
      case clevel:
        c.level = v;
        break;
      case cupper:
        c.upper = v;
        break;
      case csos:
        c.sosset = rounded(v);
        break;
      case cpriority:
        c.priority = v;
        break;
      case cmarginal:
        c.marginal = v;
        break;
      case cscale:
        c.scale = v;
        break;
      case cnzcount:
        c.nzcount = rounded(v);
        break;
      case cmargflag:
        c.marginalflag = rounded(v);
        break;
      default:
        return fail(q5rt::concat("ReadColumnUnknown VRK column record ", num(keys_[1])));
    }
  }
  return check("ReadColumn");
}

int tscratchvrk::readjac(std::int32_t& row, double& value, bool& nonlin) {
  if (!msg_.empty()) return 1;
  if (state_ != streadcolumns && state_ != streadjacobian) return outofcontext("ReadJac");
  state_ = streadjacobian;
  if (!have_ || keys_[0] != ncols_ || keys_[1] <= jacbase) return 1;
  row = keys_[1] - jacbase;
  nonlin = nlnz_ && keys_[2] - 1 != 0;
  value = values_[0];
  (void)next();
  return check("ReadJac");
}

int tscratchvrk::readnlinstr(std::int32_t& row, std::int32_t& opcode, std::int32_t& operand) {
  if (!msg_.empty()) return 1;
  if (state_ == streadcolumns || state_ == streadjacobian) endsymbol();
  if (state_ == stopened || state_ == streadcolumns || state_ == streadjacobian) {
    state_ = streadinstructions;
    if (!openread("ReadNLInstr", "solve", 4)) return 1;
  } else if (state_ != streadinstructions) {
    return outofcontext("ReadNLInstr");
  }
  if (!have_ || keys_[0] == 0) return 1;
  row = keys_[0];
  opcode = keys_[2];
  operand = keys_[3] - 1;
  (void)next();
  return check("ReadNLInstr");
}

int tscratchvrk::readconstpool(double& value) {
  if (!msg_.empty()) return 1;
  if (state_ == streadinstructions) {
    endsymbol();
    state_ = streadconstants;
    if (!openread("ReadConstPool", "scalar", 1)) return 1;
  } else if (state_ != streadconstants) {
    return outofcontext("ReadConstPool");
  }
  if (!have_) return 1;
  value = values_[0];
  (void)next();
  return check("ReadConstPool");
}

int tscratchvrk::readsol(std::string_view op, std::string_view unknown, solrec& s) {
  if (!have_) return fail(q5rt::concat(op, ": No record left"));
  s = solrec{};
  s.status = rounded(values_[0]);
  while (next() && dimfirst_ != 1) {
    const double v = values_[0];
    switch (keys_[1]) {
      case sbasis:
        s.basis = rounded(v);
        break;
      case slevel:
        s.level = v;
        break;
      case smarginal:
        s.marginal = v;
        break;
      case sscale:
        s.scale = v;
        break;
      default:
        return fail(q5rt::concat(unknown, num(keys_[1])));
    }
  }
  return check(op);
}

int tscratchvrk::readrowsol(solrec& s) {
  if (!msg_.empty()) return 1;
  if (state_ == stopened) {
    if (!openread("ReadRowSol", "equations", 2)) return 1;
    if (keys_[0] != 1) {
      return fail(q5rt::concat("Row Solution data does not start with row 1 but ", num(keys_[0])));
    }
    state_ = streadrowsols;
  } else if (state_ != streadrowsols) {
    return outofcontext("ReadRowSol");
  }
  const int rc = readsol("ReadRowSol", "Unknown VRK row solution record ", s);
  rowsdone_ = !have_;
  return rc;
}

int tscratchvrk::readcolumnsol(solrec& s) {
  if (!msg_.empty()) return 1;
  if (state_ == stopened || state_ == streadrowsols) {
    endsymbol();
    if (!openread("ReadColumnSol", "variables", 2)) return 1;
    if (keys_[0] != 1) {
      return fail(
          q5rt::concat("Column Solution data does not start with row 1 but ", num(keys_[0])));
    }
    state_ = streadcolsols;
  } else if (state_ != streadcolsols) {
    return outofcontext("ReadColumnSol");
  }
  return readsol("ReadColumnSol", "ReadColumnSolUnknown VRK column solution record ", s);
}

// The "option" symbol is read once, before any other symbol is open.
void tscratchvrk::loadoptions() {
  optionsread_ = true;
  std::int32_t nr = 0;
  if (vrkdcdef::vrkfindsymbol(obj_, q5rt::sstr::cut("option"), nr) == 0 || nr <= 0) return;
  std::int32_t count = 0;
  if (vrkdcdef::vrkdatareadrawstart(obj_, nr, count) == 0) return;
  std::array<std::int32_t, 20> keys{};
  std::array<double, 5> values{};
  std::int32_t dimfirst = 0;
  while (vrkdcdef::vrkdatareadraw(obj_, keys.data(), values.data(), dimfirst) != 0) {
    if (keys[0] >= 1 && keys[0] <= htcount) items_[static_cast<std::size_t>(keys[0])] = values[0];
  }
  (void)vrkdcdef::vrkdatareaddone(obj_);
}

int tscratchvrk::gethtrec(std::int32_t index, double& value) {
  if (index < 1 || index > htcount) {
    return fail(q5rt::concat("HT Record number ", num(index), " out of 1..", num(htcount)));
  }
  if (state_ < stopened) return outofcontext("GetHTRec");
  if (!optionsread_ && !symopen_ && obj_ != nullptr) loadoptions();
  const double v = items_[static_cast<std::size_t>(index)];
  if (v != na) value = v;
  return 0;
}

// Reading may end in every state a valid file ends in: rows without columns, row solutions
// without columns and instructions without constants too.
int tscratchvrk::readdone() {
  if (!msg_.empty()) return 1;
  switch (state_) {
    case stopened:
    case streadrows:
    case streadrowsols:
    case streadcolumns:
    case streadcolsols:
    case streadjacobian:
    case streadinstructions:
    case streadconstants:
      endsymbol();
      break;
    case stread:
      break;
    default:
      return outofcontext("ReadDone");
  }
  state_ = stread;
  if (obj_ == nullptr) return 0;
  if (check("ReadDone") != 0) return 1;
  if (vrkdcdef::vrkclose(obj_) != 0) return fail("ReadDone: VrkClose <> 0");
  release();
  return 0;
}

}  // namespace scrvrk
