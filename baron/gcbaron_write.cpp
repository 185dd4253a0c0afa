// BARON's input file: header and notes, OPTIONS, variable declarations, bounds and
// priorities, equations and classes, one statement per equation, the objective and the
// starting point. The writer records BARON's order of the variables and equations in
// the run state first. The large parts (declaration lists, blocks, the equations'
// statements in chunks of rows) are then formatted as tasks, by helper threads for a
// large model, while the writing thread records the nonlinear parts and writes the
// tasks' texts in file order.
#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <limits>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "baron/gcbaron.h"
#include "baron/gcutil.h"
#include "baron/liutil.h"
#include "baron/optbaron.h"
#include "frame/charcursor.h"
#include "frame/q5platform.h"
#include "frame/q5process.h"
#include "frame/statlib.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"
#include "frame/taskcrew.h"
#include "funclib/genextfunc.h"
#include "funclib/mathnew.h"
#include "instance/ctvproc.h"
#include "instance/gcdata.h"
#include "instance/zlmspecs.h"

namespace gcbaron {

namespace {

constexpr std::int32_t width = 79;
constexpr std::int32_t indent = 3;
constexpr std::int32_t objindent = 14;
constexpr std::int32_t firstextrinsic = 130;
constexpr std::size_t slotroom = 256 * 1024;  // a task's text, usually

// Row types and column types of the model record.
enum rowkind : std::int32_t {
  rowe = 0,
  rowg = 1,
  rowl = 2,
  rown = 3,
  rowx = 4,
  rowc = 5,
  rowb = 6
};
enum colkind : std::int32_t { colcont = 0, colbin = 1, colint = 2, excluded = -2 };

constexpr std::array<std::string_view, 7> relation = {
    " == ", " >= ", " <= ", " =N= ", " =X= ", " =C= ", " =B= "};

// Functions BARON takes: sqr, exp, log, log10, sqrt, abs, power, rPower, cvPower, vcPower.
constexpr std::array<std::int32_t, 10> acceptedfunctions = {9, 10, 11, 12, 13, 14, 21, 64, 74, 75};

q5rt::sstr num(std::int64_t v) { return strutilx::inttostrw(v, 0); }

// One piece of a statement built in place, without allocating: room for the longest
// piece (a name of 255 characters, a number and a few signs).
class piecebuffer {
 public:
  static constexpr std::size_t capacity = 320;

  void clear() { size_ = 0; }
  piecebuffer& operator=(std::string_view s) {
    size_ = 0;
    return *this += s;
  }
  piecebuffer& operator+=(std::string_view s) {
    std::copy(s.begin(), s.end(), room(s.size()));
    size_ += s.size();
    return *this;
  }
  piecebuffer& operator+=(char c) {
    *room(1) = c;
    ++size_;
    return *this;
  }
  // Room for k more characters at the end; grow(n) keeps n of them.
  char* room(std::size_t k) {
    Q5_ASSERT(size_ + k <= capacity, "piece too long");
    return buf_ + size_;
  }
  void grow(std::size_t n) { size_ += n; }
  std::string_view view() const { return {buf_, size_}; }

 private:
  char buf_[capacity];
  std::size_t size_ = 0;
};

// Parts of a piece written at a place with room for them; each gives the end. The
// terms of the rows are built with these: a pointer kept in a register, no size stored
// after every character.
using charcursor::introom;
using charcursor::put;
using charcursor::putint;
constexpr std::size_t numberroom = strutilx::dbltostr_room;

// A number as BARON reads it; the epsilon value is 0.
char* putnumber(char* at, double v) {
  const gcdata::tmodel& m = gcdata::mymodel;
  if (v == m.valpin) return put(at, "+Inf");
  if (v == m.valmin) return put(at, "-Inf");
  if (v == m.valeps) return put(at, "0");
  return charcursor::putdouble(at, v, 'e');
}

void appendint(piecebuffer& out, std::int64_t v) {
  char* const at = out.room(introom);
  out.grow(static_cast<std::size_t>(putint(at, v) - at));
}

void appendnumber(piecebuffer& out, double v) {
  char* const at = out.room(numberroom);
  out.grow(static_cast<std::size_t>(putnumber(at, v) - at));
}

q5rt::sstr numtext(double v) {
  piecebuffer text;
  appendnumber(text, v);
  return q5rt::sstr::cut(text.view());
}

// The epsilon value taken as the 0 it stands for.
double value(double v) { return v == gcdata::mymodel.valeps ? 0.0 : v; }

template <typename... Parts>
void line(const Parts&... parts) {
  liutil::lilast(q5rt::concat(parts...));
}

// Names of columns and rows, block lines and the equations' statements, formatted in a
// piece buffer of its own: one maker per thread. Reads only the model record, the run
// state and the name table.
class statementmaker {
 public:
  explicit statementmaker(const detail::colnametable& names) : m_(gcdata::mymodel), names_(names) {}

  // Pieces are built in one reused buffer: a piece is valid until the next one is built.
  std::string_view colpiece(std::int32_t c) {
    piece_.clear();
    appendcolname(piece_, c);
    return piece_.view();
  }
  // A row's number between two texts: "e12", "e12: ", " - V12", "W12^2".
  std::string_view rowpiece(std::string_view before, std::int32_t r, std::string_view after = {}) {
    piece_ = before;
    appendint(piece_, r);
    piece_ += after;
    return piece_.view();
  }
  // A block line "name: value;".
  void blockline(std::int32_t c, double v) {
    static_assert(nameroom + 2 + numberroom + 1 <= piecebuffer::capacity);
    piece_.clear();
    char* const start = piece_.room(piecebuffer::capacity);
    char* at = put(names_.put(start, c), ": ");
    at = putnumber(at, v);
    *at++ = ';';
    liutil::lilast({start, static_cast<std::size_t>(at - start)});
  }
  // The linear terms of row r (without the objective variable when objective); whether
  // a term was written.
  bool linear(std::int32_t r, bool haveterm, bool objective) {
    for (const zlmspecs::tjacrec* e = m_.rowfirst[static_cast<std::size_t>(r - 1)]; e != nullptr;
         e = e->rownext) {
      if (e->nonlin) continue;
      if (objective && e->col == m_.objvar) continue;
      const double v = objective ? -value(e->jacval) / state.objjacval : value(e->jacval);
      term(v, e->col, !haveterm);
      haveterm = true;
    }
    return haveterm;
  }
  // Row r's statement after an empty line; nonlinear() writes its nonlinear part and
  // says whether there is one.
  template <typename Nonlinear>
  void equation(std::int32_t r, Nonlinear nonlinear) {
    liutil::lilast("");
    const std::string_view head = rowpiece("e", r, ": ");
    liutil::lifirst(head, static_cast<std::int32_t>(head.size()));
    const bool nl = nonlinear();
    if (!linear(r, nl, false) && !nl) {
      // An empty row: zero times BARON's first variable.
      const std::int32_t c = state.baronvarseq > 0 ? state.baronvartozolm[0] : 1;
      piece_ = "   0*";
      if (m_.cols > 0) {
        appendcolname(piece_, c);
      } else {
        piece_ += "x1";
      }
      liutil::linext(piece_.view());
    }
    const std::int32_t t = m_.rowtype[static_cast<std::size_t>(r - 1)];
    if (state.optphaseone != 0 && (t == rowe || t == rowg || t == rowl)) {
      if (t == rowl || t == rowe) liutil::linext(rowpiece(" - V", r));
      if (t == rowg || t == rowe) liutil::linext(rowpiece(" + W", r));
    }
    piece_ = relation[static_cast<std::size_t>(std::clamp(t, 0, 6))];
    appendnumber(piece_, m_.rowrhs[static_cast<std::size_t>(r - 1)]);
    piece_ += ';';
    liutil::lilast(piece_.view());
  }

 private:
  static constexpr std::size_t nameroom = q5rt::sstr::capacity;  // both kinds of name
  void appendcolname(piecebuffer& out, std::int32_t c) const {
    char* const at = out.room(nameroom);
    out.grow(static_cast<std::size_t>(names_.put(at, c) - at));
  }
  // One linear term: separator, coefficient unless its magnitude is 1, column name.
  void term(double v, std::int32_t c, bool first) {
    static_assert(3 + numberroom + 1 + nameroom <= piecebuffer::capacity);
    piece_.clear();
    char* const start = piece_.room(piecebuffer::capacity);
    char* at = put(start, v < 0 ? " - " : first ? "   " : " + ");
    const double a = std::fabs(v);
    if (a != 1) at = putnumber(at, a), *at++ = '*';
    at = names_.put(at, c);
    liutil::linext({start, static_cast<std::size_t>(at - start)});
  }

  const gcdata::tmodel& m_;
  const detail::colnametable& names_;
  piecebuffer piece_;
};

// The nonlinear parts of the equations of one chunk of rows, as the line writer's
// pieces recorded unwrapped. The tree code is not made for threads: the writing thread
// records them, chunk by chunk in order, and the chunk's statements are formatted from
// the record once it is ready. The record stops at the first row whose code is refused,
// so that what the tree code prints keeps its place before the note of that row; the
// writing thread writes the rest itself.
struct nonlinearparts {
  struct rowpart {
    std::int32_t row;
    std::uint32_t firstpiece;
    std::uint32_t endpiece;
    bool present;  // false: the row's code could not be made a tree
  };
  std::string text;
  std::vector<std::uint32_t> ends;
  std::vector<rowpart> rows;    // the recorded rows with instruction code, ascending
  std::int32_t recordedto = 0;  // the last row recorded
  std::atomic<bool> ready = false;

  void publish() {
    ready.store(true, std::memory_order_release);
    ready.notify_all();
  }
  void waitready() const { ready.wait(false, std::memory_order_acquire); }

  // Writes part's pieces through the line writer; whether the row has a nonlinear part.
  bool replay(const rowpart& part) const {
    std::uint32_t from = part.firstpiece == 0 ? 0 : ends[part.firstpiece - 1];
    for (std::uint32_t k = part.firstpiece; k < part.endpiece; ++k) {
      liutil::linext(std::string_view(text).substr(from, ends[k] - from));
      from = ends[k];
    }
    return part.present;
  }
};

// The helpers allocate from heaps of their own. Grown a few pages at a time (the
// allocator's default), each step holds the address-space lock that every page fault
// waits for, and a run's fresh memory then costs several times its writing: the heaps
// grow and shrink in large steps instead.
void growinlargesteps() {
#if defined(__GLIBC__)
  static std::once_flag once;
  std::call_once(once, [] { (void)mallopt(M_TOP_PAD, 16 << 20); });
#endif
}

class writer;
// The writer whose helpers run, for the close-down.
std::atomic<writer*> runningwriter = nullptr;

class writer {
 public:
  writer(q5rt::textfile& f, const optbaron::toptconvert* bo)
      : f_(f), bo_(bo), m_(gcdata::mymodel), relaxed_(ctvproc::pdrelaxed.contains(m_.modeltype)) {}
  ~writer() {
    if (runningwriter == this) runningwriter = nullptr;
    giveup();
  }
  writer(const writer&) = delete;
  writer& operator=(const writer&) = delete;

  std::int32_t run() {
    state.phaseonevariables = 0;
    state.numdropn = 0;
    state.equclass = {};
    reform_ = state.objreform > 0 && m_.objvar >= 1 && m_.objvar <= m_.cols;
    state.objjacval = reform_ ? gcutil::getobjjacval() : 1.0;
    liutil::liset(f_, width, indent);
    gcutil::gcheader(f_, "//  ");
    notes();
    classes();
    if (!state.dotbaronly) options();
    variableorder();
    equationorder();
    shareout();
    namesready();
    writetask(liststask_);
    bounds();
    priorities();
    writetask(equationstask_);
    bodies();
    objective();
    startingpoint();
    liutil::liend();
    if (f_.pending() == 0) f_.close();
    return notes_;
  }

 private:
  // ---- names and small tests ----
  std::string_view colpiece(std::int32_t c) { return make_.colpiece(c); }
  std::string_view rowpiece(std::string_view before, std::int32_t r, std::string_view after = {}) {
    return make_.rowpiece(before, r, after);
  }
  std::int32_t rowtype(std::int32_t r) const { return m_.rowtype[static_cast<std::size_t>(r - 1)]; }
  std::int32_t coltype(std::int32_t c) const { return m_.coltype[static_cast<std::size_t>(c - 1)]; }
  bool isobjvar(std::int32_t c) const { return reform_ && c == m_.objvar; }
  // Rows that BARON gets: not =N=, not the reformulated objective row.
  bool written(std::int32_t r) const { return rowtype(r) != rown && !(reform_ && r == m_.objrow); }
  std::int32_t rowclass(std::int32_t r) const {
    const auto k = static_cast<std::size_t>(r - 1);
    return k < state.baronequclass.size() ? state.baronequclass[k] : 0;
  }
  // A continuous column in BARON's VARIABLES list (every column in a relaxed model).
  bool continuous(std::int32_t c) const {
    return !isobjvar(c) && (relaxed_ || coltype(c) == colcont);
  }

  // ---- header notes ----
  void comment(std::string_view text) { f_.writeln(q5rt::concat("//", text)); }
  void counted(std::string_view text) {
    comment(text);
    refused(text);
  }
  // A note found while the statements are written: log and memo only.
  void refused(std::string_view text) {
    gcdata::gcmemo(text);
    statlib::gclog(q5rt::concat("***", text));
    ++notes_;
  }
  void notes() {
    if (reform_) comment(""), comment(" Reformulation has removed 1 variable and 1 equation");
    if (relaxed_) comment(""), comment(" Please note that the model below has been relaxed");
    if (m_.modeltype == ctvproc::proc_mcp || m_.modeltype == ctvproc::proc_mpec ||
        m_.modeltype == ctvproc::proc_rmpec) {
      comment("");
      counted(q5rt::concat(" Cannot handle ",
                           ctvproc::procnames[static_cast<std::size_t>(m_.modeltype)]));
    }
    if (m_.equcount[rown] > 0) {
      comment("");
      comment(q5rt::concat(" Dropped ", num(m_.equcount[rown]), " =N= equations"));
      state.numdropn = m_.equcount[rown];
    }
    constexpr std::array<std::string_view, 3> rowkinds = {
        "External =X=", "Cone =C=", "Boolean =B="};
    for (std::size_t k = 0; k < rowkinds.size(); ++k) {
      if (m_.equcount[rowx + k] > 0)
        counted(q5rt::concat(" Cannot handle ", rowkinds[k], " equations"));
    }
    if (!relaxed_) {
      constexpr std::array<std::string_view, 4> colkinds = {"SOS1", "SOS2", "Semi Continuous",
                                                            "Semi Integer"};
      for (std::size_t k = 0; k < colkinds.size(); ++k) {
        if (m_.colcount[3 + k] > 0)
          counted(q5rt::concat(" Cannot handle ", colkinds[k], " variables"));
      }
    }
    for (std::int32_t fn = 0; fn < gcdata::intrinsiccount; ++fn) {
      if (m_.funcuse[static_cast<std::size_t>(fn)] == 0) continue;
      if (std::find(acceptedfunctions.begin(), acceptedfunctions.end(), fn) !=
          acceptedfunctions.end())
        continue;
      counted(q5rt::concat(" Cannot handle function '",
                           mathnew::funcname(static_cast<std::uint8_t>(fn)), "'"));
    }
    for (const std::int32_t fn : extrinsics()) {
      counted(q5rt::concat(" Cannot handle function '", genextfunc::genericfuncname(fn), "'"));
    }
    comment("");
  }
  // Extrinsic function numbers that the instruction code calls, ascending.
  std::set<std::int32_t> extrinsics() const {
    std::set<std::int32_t> found;
    for (const ctvnl::tnlcode& ins : m_.instr) {
      const bool call = ins.opcode == ctvnl::opcode::callarg1 ||
                        ins.opcode == ctvnl::opcode::callarg2 ||
                        ins.opcode == ctvnl::opcode::callargn;
      if (call && ins.operand >= firstextrinsic) found.insert(ins.operand);
    }
    return found;
  }

  // ---- equation classes ----
  void classes() {
    if (!state.equclassused) return;
    if (reform_ && m_.objrow >= 1 &&
        static_cast<std::size_t>(m_.objrow) <= state.baronequclass.size())
      state.baronequclass[static_cast<std::size_t>(m_.objrow - 1)] = classplain;
    for (std::int32_t r = 1;
         r <= m_.rows && static_cast<std::size_t>(r) <= state.baronequclass.size(); ++r) {
      std::int32_t& cls = state.baronequclass[static_cast<std::size_t>(r - 1)];
      if (rowtype(r) == rown || cls < classplain || cls > classlocal) cls = classplain;
      if (cls == classrelaxonly || cls == classrelaxconvex) ++state.equclass[0];
      if (cls == classconvex || cls == classrelaxconvex) ++state.equclass[1];
      if (cls == classlocal) ++state.equclass[2];
    }
  }

  // ---- OPTIONS ----
  // One option line: a single piece, never split.
  static void optionline(std::string_view text) { liutil::lifirst(text, indent); }
  void options() {
    if (bo_ == nullptr) return line("OPTION{ *** no option object *** }");
    line("");
    line("OPTIONS{");
    if (!bo_->getdefined(optbaron::ixthreads) && m_.threads != 0) {
      const std::int32_t t = m_.threads > 0
                                 ? m_.threads
                                 : std::max(q5process::q5getnumberofprocessors() + m_.threads, 1);
      bo_->setnumber(optbaron::ixthreads, t);
    }
    if (!bo_->getdefined(optbaron::ixlpmode) &&
        (m_.modeltype == ctvproc::proc_lp || m_.modeltype == ctvproc::proc_rmip)) {
      bo_->setnumber(optbaron::ixlpmode, 1);
    }
    for (int i = 0; i < optbaron::optioncount; ++i) {
      const auto ix = static_cast<std::uint8_t>(i);
      if (!bo_->getdefined(ix) || bo_->getgroup(ix) == 9) continue;
      const std::int32_t type = bo_->gettype(ix);
      if (type == 0)
        optionline(q5rt::concat(bo_->getoptname(ix), ": ", numtext(bo_->getnumber(ix)), ";"));
      if (type == 1)
        optionline(q5rt::concat(bo_->getoptname(ix), ": \"", bo_->getactual(ix), "\";"));
    }
    if (bo_->getdefined(optbaron::ixsecret)) {
      const q5rt::sstr name = bo_->getoptname(optbaron::ixsecret);
      const std::int32_t n = bo_->options().optlistcountstr(name);
      for (std::int32_t k = 1; k <= n; ++k) {
        q5rt::sstr text;
        (void)bo_->options().optreadfromliststr(name, k, text);
        for (std::size_t i = 0; i < text.size(); ++i) {
          if (text[i] == '\'') text[i] = '"';
        }
        optionline(q5rt::concat(text, ";"));
      }
    }
    librarylines();
    liutil::lifirst("}", 0);
    line("");
    state.reportcputime = state.reportcputime || cputime();
  }
  // The libraries BARON loads: CPLEX, Xpress (not on macOS on arm64) and the bridge,
  // all from the system directory, under the platform's file names.
  void librarylines() {
    const q5platform::platform p = q5platform::osplatform();
    const bool mac =
        p == q5platform::platform::darwin_x64 || p == q5platform::platform::darwin_arm64;
    const bool unix = mac || p == q5platform::platform::linux86_64;
    const std::string_view ext = mac ? ".dylib" : ".so";
    const std::string_view d = m_.sysdir;
    const auto lib = [&](std::string_view key, std::string_view unixname,
                         std::string_view winname) {
      optionline(q5rt::concat(key, ": \"", d, unix ? unixname : winname, unix ? ext : "", "\";"));
    };
    lib("cplexlibname", "libcplex2211", "cplex2211.dll");
    if (p != q5platform::platform::darwin_arm64) lib("xprslibname", "libxprs", "xprs.dll");
    lib("zolmlibname", "libkorvasteps64", "korvasteps64.dll");
  }
  // The clock type asks BARON for processor time: "cpu", or "baron" with one thread. An
  // integer option's value names the clock by its number.
  bool cputime() const {
    if (!bo_->getdefined(optbaron::ixclocktype)) return false;
    q5rt::sstr clock = bo_->getactual(optbaron::ixclocktype);
    if (bo_->opttypeid(optbaron::ixclocktype) == 'I') {
      const double v = bo_->getnumber(optbaron::ixclocktype);
      clock.clear();
      if (v >= 0 && v < 3)
        clock = q5rt::sstr::cut(optbaron::venum_clocktype[static_cast<std::size_t>(v)]);
    }
    return strutilx::struequal(clock, "cpu") ||
           (strutilx::struequal(clock, "baron") && bo_->getnumber(optbaron::ixthreads) == 1);
  }

  // ---- variables: BARON's order on the writing thread, then the lists ----
  // BARON's order of the columns (binary, integer, continuous) and the number of
  // phase-one variables.
  void variableorder() {
    state.baronvarseq = 0;
    const auto take = [](std::int32_t c) {
      state.baronvartozolm[static_cast<std::size_t>(state.baronvarseq++)] = c;
    };
    for (const std::int32_t type : {colbin, colint}) {
      const std::int32_t before = state.baronvarseq;
      if (discretelisted(type)) {
        for (std::int32_t c = 1; c <= m_.cols; ++c) {
          if (coltype(c) == type) take(c);
        }
      }
      listsize_[static_cast<std::size_t>(type - colbin)] = state.baronvarseq - before;
    }
    std::int32_t savedtype = 0;
    if (reform_) {
      savedtype = coltype(m_.objvar);
      m_.coltype[static_cast<std::size_t>(m_.objvar - 1)] = excluded;
      --m_.boundkindcount[0];
    }
    std::int32_t remaining = 0;
    for (std::int32_t c = 1; c <= m_.cols; ++c) remaining += continuous(c) ? 1 : 0;
    variablelisted_ = remaining > 0 || relaxed_ || state.optphaseone != 0;
    if (variablelisted_) {
      for (std::int32_t c = 1; c <= m_.cols; ++c) {
        if (continuous(c)) take(c);
      }
      if (state.optphaseone != 0) {
        phaseone([](std::string_view, std::int32_t) { ++state.phaseonevariables; });
      }
    }
    if (notes_ == 0) {
      if (reform_) {
        Q5_ASSERT(state.baronvarseq == m_.cols - 1, "BaronVarSeq <> N-1");
      } else {
        Q5_ASSERT(state.baronvarseq == m_.cols, "BaronVarSeq not <> N");
      }
    }
    if (reform_) {
      m_.coltype[static_cast<std::size_t>(m_.objvar - 1)] = savedtype;
      ++m_.boundkindcount[0];
    }
  }
  bool discretelisted(std::int32_t type) const {
    return !relaxed_ && m_.colcount[static_cast<std::size_t>(type)] != 0;
  }
  // The phase-one variables of the rows: each one's letter and row.
  template <typename Each>
  void phaseone(Each each) const {
    for (std::int32_t r = 1; r <= m_.rows; ++r) {
      if (reform_ && r == m_.objrow) continue;
      const std::int32_t t = rowtype(r);
      if (t == rowl || t == rowe) each("V", r);
      if (t == rowg || t == rowe) each("W", r);
    }
  }
  // The lists of variables in BARON's order, and the positive ones.
  void variablelists(statementmaker& make) const {
    const auto phaseoneitems = [&] {
      phaseone([&](std::string_view letter, std::int32_t r) {
        liutil::declalistitem(make.rowpiece(letter, r));
      });
    };
    std::size_t at = 0;
    const auto items = [&](std::int32_t count) {
      for (std::int32_t k = 0; k < count; ++k, ++at)
        liutil::declalistitem(make.colpiece(state.baronvartozolm[at]));
    };
    constexpr std::array<std::string_view, 2> discretekeyword = {"BINARY_VARIABLES",
                                                                 "INTEGER_VARIABLES"};
    for (const std::int32_t type : {colbin, colint}) {
      const auto k = static_cast<std::size_t>(type - colbin);
      if (!discretelisted(type)) continue;
      liutil::declaliststart(discretekeyword[k]);
      items(listsize_[k]);
      liutil::declaliststop();
    }
    if (variablelisted_) {
      liutil::declaliststart("VARIABLES");
      items(state.baronvarseq - static_cast<std::int32_t>(at));
      if (state.optphaseone != 0) phaseoneitems();
      liutil::declaliststop();
    }
    if (m_.boundkindcount[2] == 0 && !relaxed_ && state.optphaseone == 0) return;
    liutil::declaliststart("POSITIVE_VARIABLES");
    for (std::int32_t c = 1; c <= m_.cols; ++c) {
      if (continuous(c) && value(m_.collower[static_cast<std::size_t>(c - 1)]) == 0)
        liutil::declalistitem(make.colpiece(c));
    }
    if (state.optphaseone != 0) phaseoneitems();
    liutil::declaliststop();
  }

  // ---- blocks: lower and upper bounds, priorities, starting point ----
  enum blockkind : std::size_t { lowerblock, upperblock, priorityblock, startblock };
  static constexpr std::array<std::string_view, 4> blockkeyword = {
      "LOWER_BOUNDS", "UPPER_BOUNDS", "BRANCHING_PRIORITIES", "STARTING_POINT"};
  double lower(std::int32_t c) const { return value(m_.collower[static_cast<std::size_t>(c - 1)]); }
  double upper(std::int32_t c) const { return value(m_.colupper[static_cast<std::size_t>(c - 1)]); }
  double level(std::int32_t c) const { return m_.collevel[static_cast<std::size_t>(c - 1)]; }
  double priority(std::int32_t c) const { return m_.colpriority[static_cast<std::size_t>(c - 1)]; }
  bool qualifies(blockkind b, std::int32_t c) const {
    if (isobjvar(c)) return false;
    const std::int32_t t = coltype(c);
    switch (b) {
      case lowerblock:
        if (m_.collower[static_cast<std::size_t>(c - 1)] == m_.valmin) return false;
        if (relaxed_) return lower(c) != 0;
        return t == colint || ((t == colcont || t == colbin) && lower(c) != 0);
      case upperblock:
        // Every finite upper bound, 0 included: only a binary's own 1 goes without saying.
        if (m_.colupper[static_cast<std::size_t>(c - 1)] == m_.valpin) return false;
        if (relaxed_) return true;
        if (t == colbin) return upper(c) != 1;
        return t == colint || t == colcont;
      case priorityblock:
        return priority(c) != 1;
      case startblock:
        return level(c) != 0 && level(c) < m_.valund;
    }
    return false;
  }
  double blockvalue(blockkind b, std::int32_t c) const {
    switch (b) {
      case lowerblock:
        return lower(c);
      case upperblock:
        return upper(c);
      case priorityblock:
        return priority(c);
      case startblock:
        return level(c);
    }
    return 0;
  }
  bool blockwritten(blockkind b) const {
    if (b == priorityblock)
      return !relaxed_ && m_.colpriority.size() >= static_cast<std::size_t>(m_.cols);
    return b != startblock || !state.skipstarting;
  }
  // Block b's lines for columns first to last.
  void blocklines(blockkind b, std::int32_t first, std::int32_t last, statementmaker& make) const {
    for (std::int32_t c = first; c <= last; ++c) {
      if (qualifies(b, c)) make.blockline(c, blockvalue(b, c));
    }
  }
  // A block "KEYWORD{" with one line per column that qualifies; nothing when none does.
  void block(blockkind b) {
    bool open = false;
    for (const std::size_t t : blocktasks_[b]) {
      const std::string& text = taketext(t);
      if (!text.empty() && !open) line(""), line(blockkeyword[b], "{"), open = true;
      f_.write(text);
      release(t);
    }
    if (open) line("}");
  }
  void bounds() {
    block(lowerblock);
    block(upperblock);
  }
  void priorities() { block(priorityblock); }

  // ---- equations ----
  void equationorder() {
    state.baronequseq = 0;
    for (std::int32_t r = 1; r <= m_.rows; ++r) {
      if (written(r) && rowclass(r) != classrelaxonly)
        state.baronequtozolm[static_cast<std::size_t>(state.baronequseq++)] = r;
    }
  }
  // The list of equations and those of the classes.
  void equationlists(statementmaker& make) const {
    liutil::declaliststart("EQUATIONS");
    for (std::int32_t r = 1; r <= m_.rows; ++r) {
      if (written(r)) liutil::declalistitem(make.rowpiece("e", r));
    }
    liutil::declaliststop();
    for (std::size_t k = 0; k < equclassname.size(); ++k) {
      if (state.equclass[k] <= 0) continue;
      liutil::declaliststart(equclassname[k]);
      for (std::int32_t r = 1; r <= m_.rows; ++r) {
        const std::int32_t cls = rowclass(r);
        const bool listed = k == 0   ? cls == classrelaxonly || cls == classrelaxconvex
                            : k == 1 ? cls == classconvex || cls == classrelaxconvex
                                     : cls == classlocal;
        if (listed) liutil::declalistitem(make.rowpiece("e", r));
      }
      liutil::declaliststop();
    }
  }
  // A task's text written whole.
  void writetask(std::size_t t) {
    f_.write(taketext(t));
    release(t);
  }

  // The nonlinear part of row r as pieces; false when there is none or when its code
  // cannot be made a tree (refused then says so).
  bool nonlinear(std::int32_t r, bool objective, bool& refused) {
    refused = false;
    const std::int32_t first = m_.rowfirstinstr[static_cast<std::size_t>(r - 1)];
    if (first == 0) return false;
    const std::int32_t last = m_.rowlastinstr[static_cast<std::size_t>(r - 1)];
    gcutil::node* root = gcutil::buildtree(first, last, m_.instr, m_.pool);
    if (root == nullptr) {
      refused = true;
      gcdata::frenlrec();
      return false;
    }
    if (objective) gcutil::simplereform(root, state.objjacval);
    gcutil::transformtree(m_.nodefirst, true, true, true, true, true);
    gcutil::cleantree(m_.nodefirst);
    gcutil::donlcode(root, 2, state.objvarname, 0);
    gcdata::frenlrec();
    return true;
  }
  void refusedrow(std::int32_t r) {
    refused(q5rt::concat(" Cannot handle the instruction code of equation e", num(r)));
  }
  // The chunks' texts are written a few at a time, those that are ready when one is due:
  // fewer, larger writes.
  void bodies() {
    liutil::lilast("");
    std::vector<std::string_view> batch;
    std::vector<std::size_t> batchtasks;
    const std::size_t batchmax = std::max<std::size_t>(slots_.size() / 4, 1);
    const auto writebatch = [&] {
      f_.write(batch);
      for (const std::size_t t : batchtasks) release(t);
      batch.clear();
      batchtasks.clear();
    };
    for (std::size_t k = 0; k < bodytasks_.size(); ++k) {
      const std::size_t t = bodytasks_[k];
      if (!batch.empty() && (batch.size() == batchmax || !crew_.done(t))) writebatch();
      const std::string& text = taketext(t);
      const auto [first, last] = rowsof(k);
      if (nonlinear_[k].recordedto < last) {
        writebatch();
        statements(k, first, last, make_, true);
        release(t);
        continue;
      }
      for (const nonlinearparts::rowpart& part : nonlinear_[k].rows) {
        if (!part.present) refusedrow(part.row);
      }
      batch.push_back(text);
      batchtasks.push_back(t);
    }
    writebatch();
  }
  // The statements of rows first to last of chunk k. Rows past the record only on the
  // writing thread (onmain), which also gives the notes of refused rows.
  void statements(std::size_t k, std::int32_t first, std::int32_t last, statementmaker& make,
                  bool onmain) {
    const nonlinearparts& parts = nonlinear_[k];
    auto part = parts.rows.begin();
    for (std::int32_t r = first; r <= last; ++r) {
      if (!written(r)) continue;
      if (r > parts.recordedto) {
        make.equation(r, [&] {
          bool refused = false;
          const bool nl = nonlinear(r, false, refused);
          if (refused) refusedrow(r);
          return nl;
        });
        continue;
      }
      const bool hascode = part != parts.rows.end() && part->row == r;
      if (onmain && hascode && !part->present) refusedrow(r);
      make.equation(r, [&] { return hascode && parts.replay(*part++); });
    }
  }

  // ---- the large parts, formatted in chunks ahead of the writing ----
  std::pair<std::int32_t, std::int32_t> rowsof(std::size_t k) const {
    const std::int32_t first = static_cast<std::int32_t>(k) * chunkrows_ + 1;
    return {first, std::min(first + chunkrows_ - 1, m_.rows)};
  }
  // Sets up the tasks of the blocks and the equations' statements, starts the crew and
  // records the nonlinear parts: the names, the model record and the run state stay as
  // they are from here on.
  void shareout() {
    const detail::writersplit& split = detail::writersetup;
    chunkrows_ = std::max(split.chunkrows, 1);
    const std::int32_t chunkcols = std::max(split.chunkcols, 1);
    nonlinear_ = std::vector<nonlinearparts>(
        static_cast<std::size_t>((m_.rows + chunkrows_ - 1) / chunkrows_));
    // A task that formats its text through format(make) into its slot.
    const auto queue = [this](auto format) {
      const std::size_t t = crew_.size();
      crew_.add([this, t, format] { formatinto(t, format); });
      return t;
    };
    const auto queueblock = [&](blockkind b) {
      if (!blockwritten(b)) return;
      for (std::int32_t first = 1; first <= m_.cols; first += chunkcols) {
        const std::int32_t last = std::min(first + chunkcols - 1, m_.cols);
        blocktasks_[b].push_back(queue(
            [this, b, first, last](statementmaker& make) { blocklines(b, first, last, make); }));
      }
    };
    // The names first, in chunks: every text needs them, this thread not before it has
    // recorded.
    names_.reset();
    for (std::int32_t first = 1; first <= m_.cols; first += chunkcols) {
      const std::int32_t last = std::min(first + chunkcols - 1, m_.cols);
      nametasks_.push_back(crew_.add([this, first, last] { names_.build(first, last); }));
    }
    // Then the tasks with texts of their own: the long lists and the starting point are
    // under way early, not behind the slots.
    liststask_ = queue([this](statementmaker& make) { variablelists(make); });
    equationstask_ = queue([this](statementmaker& make) { equationlists(make); });
    queueblock(startblock);
    ringfirst_ = crew_.size();
    owntext_.resize(ringfirst_);
    queueblock(lowerblock);
    queueblock(upperblock);
    queueblock(priorityblock);
    for (std::size_t k = 0; k < nonlinear_.size(); ++k) {
      const std::size_t t = crew_.size();
      bodytasks_.push_back(t);
      crew_.add([this, k, t] {
        const auto [first, last] = rowsof(k);
        nonlinear_[k].waitready();
        if (nonlinear_[k].recordedto < last) return;  // the writing thread's
        formatinto(t, [&](statementmaker& make) { statements(k, first, last, make, false); });
      });
    }
    if (std::int64_t{m_.rows} + m_.cols >= split.minsize) {
      const unsigned processors = std::max(std::thread::hardware_concurrency(), 1U);
      const unsigned workers =
          split.workers > 0 ? static_cast<unsigned>(split.workers) : std::min(processors - 1, 8U);
      slots_.resize(4 * static_cast<std::size_t>(workers) + 4);
      growinlargesteps();
      runningwriter = this;
      crew_.start(workers);
    }
    recordnonlinear();
  }
  // Tasks waiting for a slot or for a record give up, so that the crew can end.
  void giveup() {
    abandoned_ = true;
    written_.store(std::numeric_limits<std::size_t>::max() / 2);
    written_.notify_all();
    for (nonlinearparts& parts : nonlinear_) parts.publish();
  }
  // The process ends while the helpers run: they give up their tasks and are joined.
  void quiesce() {
    giveup();
    crew_.stop();
  }
  friend void detail::stopwriterhelpers();
  // The texts of the tasks queued first (lists, starting point) are kept whole until
  // written. Those of the others go round a few slots, each reused once the text in it
  // was written: the memory is made present once, not for the whole file. Task t waits
  // for its slot; nullptr when the writing was abandoned.
  std::string* slotfor(std::size_t t) {
    if (t < ringfirst_) return abandoned_.load() ? nullptr : &owntext_[t].text;
    const std::size_t p = t - ringfirst_;
    std::size_t written = written_.load(std::memory_order_acquire);
    while (p >= written + slots_.size()) {
      written_.wait(written, std::memory_order_acquire);
      written = written_.load(std::memory_order_acquire);
    }
    if (abandoned_.load()) return nullptr;
    std::string& out = slots_[p % slots_.size()].text;
    out.clear();
    out.reserve(slotroom);  // once: no copies while the text grows to a usual size
    return &out;
  }
  // Task t's text formatted into its slot by format(statementmaker&), with a line writer
  // and a maker of this thread's own.
  template <typename Format>
  void formatinto(std::size_t t, const Format& format) {
    namesready();
    std::string* const out = slotfor(t);
    if (out == nullptr) return;
    liutil::capture capture(*out, width, indent);
    statementmaker make(names_);
    format(make);
  }
  // Returns when every column's name is in the table.
  void namesready() {
    for (const std::size_t t : nametasks_) crew_.wait(t);
  }
  // Task t's text, once the task has run (not for a chunk left to this thread).
  const std::string& taketext(std::size_t t) {
    crew_.wait(t);
    return t < ringfirst_ ? owntext_[t].text : slots_[(t - ringfirst_) % slots_.size()].text;
  }
  // Task t's text was written (those of the slots in their order): its memory is free.
  void release(std::size_t t) {
    if (t < ringfirst_) return std::string().swap(owntext_[t].text);
    written_.store(t - ringfirst_ + 1, std::memory_order_release);
    written_.notify_all();
  }
  // The nonlinear parts of the written rows, chunk by chunk, each published when done.
  // After a refused row the chunks are published without a record; so are those left
  // by an error, before it goes on.
  void recordnonlinear() {
    bool complete = true;
    std::size_t k = 0;
    try {
      for (; k < nonlinear_.size(); ++k) {
        nonlinearparts& parts = nonlinear_[k];
        const auto [first, last] = rowsof(k);
        parts.recordedto = first - 1;
        if (complete) {
          const liutil::recording recording(parts.text, parts.ends);
          for (std::int32_t r = first; r <= last && complete; ++r) {
            parts.recordedto = r;
            if (written(r)) complete = record(parts, r, false);
          }
        }
        parts.publish();
      }
    } catch (...) {
      for (; k < nonlinear_.size(); ++k) {
        nonlinear_[k].recordedto = rowsof(k).first - 1;
        nonlinear_[k].publish();
      }
      throw;
    }
    objectiverecorded_ = complete && reform_ && state.optphaseone == 0;
    if (objectiverecorded_) {
      const liutil::recording recording(objective_.text, objective_.ends);
      (void)record(objective_, m_.objrow, true);
    }
  }
  // Row r's nonlinear part added to parts (when it has code), recorded into them; false
  // when it was refused.
  bool record(nonlinearparts& parts, std::int32_t r, bool objective) {
    if (m_.rowfirstinstr[static_cast<std::size_t>(r - 1)] == 0) return true;
    const auto from = static_cast<std::uint32_t>(parts.ends.size());
    bool refused = false;
    const bool present = nonlinear(r, objective, refused);
    parts.rows.push_back({r, from, static_cast<std::uint32_t>(parts.ends.size()), present});
    return !refused;
  }
  // ---- objective and starting point ----
  std::string_view sense() const { return m_.maximize != 0 ? "maximize " : "minimize "; }
  void objective() {
    line("");
    if (state.optphaseone != 0) return phaseoneobjective();
    if (reform_) return reformulatedobjective();
    if (m_.objvar >= 1 && m_.objvar <= m_.cols)
      return line("OBJ: ", sense(), colpiece(m_.objvar), ";");
    if (m_.cols == 0) liutil::lifirst("VARIABLES x0;", objindent);
    line("OBJ: ", sense(), "0;");
  }
  void phaseoneobjective() {
    liutil::lifirst("OBJ: minimize ", objindent);
    const std::string_view square = state.optphaseone == 2 ? "^2" : "";
    bool first = true;
    for (std::int32_t r = 1; r <= m_.rows; ++r) {
      if (!written(r)) continue;
      if (!first) liutil::linext(" + ");
      first = false;
      const std::int32_t t = rowtype(r);
      if (t == rowg) liutil::linext(rowpiece("W", r, square));
      if (t == rowl || t == rowe) liutil::linext(rowpiece("V", r, square));
      if (t == rowe) liutil::linext(rowpiece(" + W", r, square));
    }
    line(";");
  }
  void reformulatedobjective() {
    liutil::lifirst(q5rt::concat("OBJ: ", sense()), objindent);
    bool nl = false;
    if (!objectiverecorded_) {
      bool refused = false;
      nl = nonlinear(m_.objrow, true, refused);
      if (refused) refusedrow(m_.objrow);
    } else if (!objective_.rows.empty()) {
      if (!objective_.rows[0].present) refusedrow(m_.objrow);
      nl = objective_.replay(objective_.rows[0]);
    }
    const bool haveterm = make_.linear(m_.objrow, nl, true);
    const double d = value(m_.rowrhs[static_cast<std::size_t>(m_.objrow - 1)]) / state.objjacval;
    if (d == 0 && haveterm) return line(";");
    if (d <= 0) {
      liutil::linext(q5rt::concat(" - ", numtext(std::fabs(d))));
    } else {
      liutil::linext(q5rt::concat(haveterm ? " + " : " ", numtext(d)));
    }
    line(";");
  }
  void startingpoint() { block(startblock); }

  q5rt::textfile& f_;
  const optbaron::toptconvert* bo_;
  gcdata::tmodel& m_;
  const bool relaxed_;
  bool reform_ = false;
  std::int32_t notes_ = 0;
  detail::colnametable names_;
  statementmaker make_{names_};  // this thread's pieces
  // The large parts: their texts, and the tasks that format them.
  std::int32_t chunkrows_ = 1;
  std::vector<nonlinearparts> nonlinear_;
  nonlinearparts objective_;  // the reformulated objective's, when recorded
  bool objectiverecorded_ = false;
  std::array<std::int32_t, 2> listsize_{};  // binary and integer variables
  bool variablelisted_ = false;
  std::size_t liststask_ = 0;
  std::size_t equationstask_ = 0;
  std::array<std::vector<std::size_t>, 4> blocktasks_;
  std::vector<std::size_t> bodytasks_;
  std::vector<std::size_t> nametasks_;
  // A task's text, its size and pointer on cache lines of their own: the helpers append
  // to different texts at once, and texts side by side would make them wait for each
  // other's lines on every piece.
  struct alignas(128) tasktext {
    std::string text;
  };
  std::vector<tasktext> owntext_;
  std::size_t ringfirst_ = 0;  // the first task whose text goes into a slot
  std::vector<tasktext> slots_ = std::vector<tasktext>(1);
  std::atomic<std::size_t> written_ = 0;  // the tasks whose texts were written
  std::atomic<bool> abandoned_ = false;
  taskcrew::crew crew_;  // last: destroyed first, its threads joined before the texts go
};

}  // namespace

namespace detail {

void stopwriterhelpers() {
  if (writer* w = runningwriter.exchange(nullptr)) w->quiesce();
}

char* putcolname(char* at, std::int32_t c) {
  const gcdata::tmodel& m = gcdata::mymodel;
  if (c == m.objvar && !state.objvarname.empty()) return put(at, state.objvarname.view());
  const std::int32_t t = m.coltype[static_cast<std::size_t>(c - 1)];
  at = put(at, t >= 0 && t < 7 ? zlmspecs::varstyp[static_cast<std::size_t>(t)] : "x");
  return putint(at, c);
}

void colnametable::reset() {
  slots_.assign(static_cast<std::size_t>(std::max(gcdata::mymodel.cols, 0)), 0);
}

void colnametable::build() {
  reset();
  build(1, gcdata::mymodel.cols);
}

void colnametable::build(std::int32_t first, std::int32_t last) {
  const gcdata::tmodel& m = gcdata::mymodel;
  char name[q5rt::sstr::capacity];
  for (std::int32_t c = first; c <= last; ++c) {
    const auto n = static_cast<std::size_t>(putcolname(name, c) - name);
    if (c == m.objvar || n > slot) continue;
    std::fill(name + n, name + slot, '\0');
    std::memcpy(&slots_[static_cast<std::size_t>(c - 1)], name, slot);
  }
}

char* colnametable::put(char* at, std::int32_t c) const {
  const std::uint64_t s = slots_[static_cast<std::size_t>(c - 1)];
  if (s == 0) return putcolname(at, c);
  std::memcpy(at, &s, slot);  // whole: one fixed-length copy
  // The characters are the nonzero bytes at the start; which end holds them in the
  // integer depends on the byte order.
  const int zeros =
      std::endian::native == std::endian::little ? std::countl_zero(s) : std::countr_zero(s);
  return at + slot - static_cast<std::size_t>(zeros / 8);
}

}  // namespace detail

std::int32_t writedotbar(q5rt::textfile& f, const optbaron::toptconvert* bo) {
  return writer(f, bo).run();
}

}  // namespace gcbaron
