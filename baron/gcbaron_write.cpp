// BARON's input file: header and notes, OPTIONS, variable declarations, bounds and
// priorities, equations and classes, one statement per equation, the objective and the
// starting point. While it declares variables and equations the writer records BARON's
// order of them in the run state.
#include <algorithm>
#include <bit>
#include <cstring>
#include <initializer_list>
#include <set>
#include <string>

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
constexpr std::int32_t firstextrinsic = mathnew::funccount;

// Row types and column types of the model record, and the type that the objective
// variable has while the writer leaves it out.
using zlmspecs::colbin;
using zlmspecs::colcont;
using zlmspecs::colint;
using zlmspecs::rowe;
using zlmspecs::rowg;
using zlmspecs::rowl;
using zlmspecs::rown;
using zlmspecs::rowx;
constexpr std::int32_t excluded = -2;

constexpr std::array<std::string_view, zlmspecs::rowtype_count> relation = {
    " == ", " >= ", " <= ", " =N= ", " =X= ", " =C= ", " =B= "};

// Functions BARON takes.
constexpr std::array<std::int32_t, 10> acceptedfunctions = {
    mathnew::fn::sqr,     mathnew::fn::exp,    mathnew::fn::log,   mathnew::fn::log10,
    mathnew::fn::sqrt,    mathnew::fn::abs,    mathnew::fn::power, mathnew::fn::rpower,
    mathnew::fn::cvpower, mathnew::fn::vcpower};

q5rt::sstr num(std::int64_t v) { return strutilx::inttostrw(v, 0); }

// One piece of a statement built in place, in storage that is reused.
using piecebuffer = charcursor::textbuffer;

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

void appendint(piecebuffer& out, std::int64_t v) { out.setend(putint(out.room(introom), v)); }

void appendnumber(piecebuffer& out, double v) { out.setend(putnumber(out.room(numberroom), v)); }

q5rt::sstr numtext(double v) {
  char text[numberroom];
  return q5rt::sstr::cut({text, static_cast<std::size_t>(putnumber(text, v) - text)});
}

// The epsilon value taken as the 0 it stands for.
double value(double v) { return v == gcdata::mymodel.valeps ? 0.0 : v; }

template <typename... Parts>
void line(const Parts&... parts) {
  liutil::lilast(q5rt::concat(parts...));
}

class writer {
 public:
  writer(q5rt::textfile& f, const optbaron::toptconvert* bo)
      : f_(f), bo_(bo), m_(gcdata::mymodel), relaxed_(ctvproc::pdrelaxed.contains(m_.modeltype)) {}

  std::int32_t run() {
    state.baronvarseq = 0;
    state.baronequseq = 0;
    state.phaseonevariables = 0;
    state.numdropn = 0;
    state.equclass = {};
    reform_ = state.objreform > 0 && m_.objvar >= 1 && m_.objvar <= m_.cols;
    state.objjacval = reform_ ? gcutil::getobjjacval() : 1.0;
    names_.build();
    liutil::liset(f_, width, indent);
    gcutil::gcheader(f_, "//  ");
    notes();
    classes();
    if (!state.dotbaronly) options();
    discrete(colbin, "BINARY_VARIABLES");
    discrete(colint, "INTEGER_VARIABLES");
    variables();
    positives();
    bounds();
    priorities();
    equations();
    bodies();
    objective();
    startingpoint();
    liutil::liend();
    if (f_.pending() == 0) f_.close();
    return notes_;
  }

 private:
  // ---- names and small tests ----
  // Pieces are built in one reused buffer: a piece is valid until the next one is built.
  char* putcolname(char* at, std::int32_t c) const { return names_.put(at, c); }
  static constexpr std::size_t nameroom = q5rt::sstr::capacity;  // both kinds of name
  void appendcolname(piecebuffer& out, std::int32_t c) const {
    out.setend(putcolname(out.room(nameroom), c));
  }
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
        if (m_.colcount[zlmspecs::colsos1 + k] > 0)
          counted(q5rt::concat(" Cannot handle ", colkinds[k], " variables"));
      }
    }
    for (std::int32_t fn = 0; fn < mathnew::funccount; ++fn) {
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
  // One option line: a single piece, never split, and whole however long its path is.
  static void optionline(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (const std::string_view p : parts) text += p;
    liutil::lifirst(text, indent);
  }
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
      if (type == 0) optionline({bo_->getoptname(ix), ": ", numtext(bo_->getnumber(ix)), ";"});
      if (type == 1) optionline({bo_->getoptname(ix), ": \"", bo_->getactual(ix), "\";"});
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
        optionline({text, ";"});
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
      optionline({key, ": \"", d, unix ? unixname : winname, unix ? ext : "", "\";"});
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

  // ---- variables ----
  void take(std::int32_t c) {
    liutil::declalistitem(colpiece(c));
    state.baronvartozolm[static_cast<std::size_t>(state.baronvarseq++)] = c;
  }
  void discrete(std::int32_t type, std::string_view keyword) {
    if (relaxed_ || m_.colcount[static_cast<std::size_t>(type)] == 0) return;
    liutil::declaliststart(keyword);
    for (std::int32_t c = 1; c <= m_.cols; ++c) {
      if (coltype(c) == type) take(c);
    }
    liutil::declaliststop();
  }
  // The phase-one variables of the rows as declaration items.
  void phaseoneitems(bool count) {
    for (std::int32_t r = 1; r <= m_.rows; ++r) {
      if (reform_ && r == m_.objrow) continue;
      const std::int32_t t = rowtype(r);
      if (t == rowl || t == rowe)
        liutil::declalistitem(rowpiece("V", r)), state.phaseonevariables += count;
      if (t == rowg || t == rowe)
        liutil::declalistitem(rowpiece("W", r)), state.phaseonevariables += count;
    }
  }
  void variables() {
    std::int32_t savedtype = 0;
    if (reform_) {
      savedtype = coltype(m_.objvar);
      m_.coltype[static_cast<std::size_t>(m_.objvar - 1)] = excluded;
      --m_.boundkindcount[0];
    }
    std::int32_t remaining = 0;
    for (std::int32_t c = 1; c <= m_.cols; ++c) remaining += continuous(c) ? 1 : 0;
    if (remaining > 0 || relaxed_ || state.optphaseone != 0) {
      liutil::declaliststart("VARIABLES");
      for (std::int32_t c = 1; c <= m_.cols; ++c) {
        if (continuous(c)) take(c);
      }
      if (state.optphaseone != 0) phaseoneitems(true);
      liutil::declaliststop();
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
  // Every continuous column whose lower bound is 0 now, whatever its bound kind at
  // loading: a dot option may have raised a negative or free lower bound to 0, and
  // LOWER_BOUNDS leaves 0 out. An empty list writes nothing.
  void positives() {
    liutil::declaliststart("POSITIVE_VARIABLES");
    for (std::int32_t c = 1; c <= m_.cols; ++c) {
      if (continuous(c) && value(m_.collower[static_cast<std::size_t>(c - 1)]) == 0)
        liutil::declalistitem(colpiece(c));
    }
    if (state.optphaseone != 0) phaseoneitems(false);
    liutil::declaliststop();
  }

  // A block "KEYWORD{" with one line per column that qualifies; nothing when none does.
  template <typename Qualifies, typename Value>
  void block(std::string_view keyword, Qualifies qualifies, Value get) {
    bool open = false;
    for (std::int32_t c = 1; c <= m_.cols; ++c) {
      if (isobjvar(c) || !qualifies(c)) continue;
      if (!open) line(""), line(keyword, "{"), open = true;
      piece_.clear();
      char* const start = piece_.room(nameroom + 2 + numberroom + 1);
      char* at = put(putcolname(start, c), ": ");
      at = putnumber(at, get(c));
      *at++ = ';';
      liutil::lilast({start, static_cast<std::size_t>(at - start)});
    }
    if (open) line("}");
  }
  void bounds() {
    const auto lower = [this](std::int32_t c) {
      return value(m_.collower[static_cast<std::size_t>(c - 1)]);
    };
    const auto upper = [this](std::int32_t c) {
      return value(m_.colupper[static_cast<std::size_t>(c - 1)]);
    };
    block(
        "LOWER_BOUNDS",
        [&](std::int32_t c) {
          const double v = m_.collower[static_cast<std::size_t>(c - 1)];
          if (v == m_.valmin) return false;
          if (relaxed_) return lower(c) != 0;
          const std::int32_t t = coltype(c);
          return t == colint || ((t == colcont || t == colbin) && lower(c) != 0);
        },
        lower);
    // Every finite upper bound, 0 included: only a binary's own 1 goes without saying.
    block(
        "UPPER_BOUNDS",
        [&](std::int32_t c) {
          const double v = m_.colupper[static_cast<std::size_t>(c - 1)];
          if (v == m_.valpin) return false;
          if (relaxed_) return true;
          const std::int32_t t = coltype(c);
          if (t == colbin) return upper(c) != 1;
          return t == colint || t == colcont;
        },
        upper);
  }
  void priorities() {
    if (relaxed_ || m_.colpriority.size() < static_cast<std::size_t>(m_.cols)) return;
    const auto prior = [this](std::int32_t c) {
      return m_.colpriority[static_cast<std::size_t>(c - 1)];
    };
    block(
        "BRANCHING_PRIORITIES", [&](std::int32_t c) { return prior(c) != 1; }, prior);
  }

  // ---- equations ----
  void equations() {
    liutil::declaliststart("EQUATIONS");
    for (std::int32_t r = 1; r <= m_.rows; ++r) {
      if (!written(r)) continue;
      liutil::declalistitem(rowpiece("e", r));
      if (rowclass(r) != classrelaxonly)
        state.baronequtozolm[static_cast<std::size_t>(state.baronequseq++)] = r;
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
        if (listed) liutil::declalistitem(rowpiece("e", r));
      }
      liutil::declaliststop();
    }
  }

  // The nonlinear part of row r as pieces; false when there is none. A row whose code
  // cannot be made a tree is a counted note.
  bool nonlinear(std::int32_t r, bool objective) {
    const std::int32_t first = m_.rowfirstinstr[static_cast<std::size_t>(r - 1)];
    if (first == 0) return false;
    const std::int32_t last = m_.rowlastinstr[static_cast<std::size_t>(r - 1)];
    gcutil::node* root = gcutil::buildtree(first, last, m_.instr, m_.pool);
    if (root == nullptr) {
      refused(q5rt::concat(" Cannot handle the instruction code of equation e", num(r)));
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
  // One linear term: separator, coefficient unless its magnitude is 1, column name.
  void term(double v, std::int32_t c, bool first) {
    piece_.clear();
    char* const start = piece_.room(3 + numberroom + 1 + nameroom);
    char* at = put(start, v < 0 ? " - " : first ? "   " : " + ");
    const double a = std::fabs(v);
    if (a != 1) at = putnumber(at, a), *at++ = '*';
    at = putcolname(at, c);
    liutil::linext({start, static_cast<std::size_t>(at - start)});
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
  void bodies() {
    liutil::lilast("");
    for (std::int32_t r = 1; r <= m_.rows; ++r) {
      if (!written(r)) continue;
      liutil::lilast("");
      const std::string_view head = rowpiece("e", r, ": ");
      liutil::lifirst(head, static_cast<std::int32_t>(head.size()));
      const bool nl = nonlinear(r, false);
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
      const std::int32_t t = rowtype(r);
      if (state.optphaseone != 0 && (t == rowe || t == rowg || t == rowl)) {
        if (t == rowl || t == rowe) liutil::linext(rowpiece(" - V", r));
        if (t == rowg || t == rowe) liutil::linext(rowpiece(" + W", r));
      }
      piece_ = relation[static_cast<std::size_t>(std::clamp(t, 0, zlmspecs::rowtype_count - 1))];
      appendnumber(piece_, m_.rowrhs[static_cast<std::size_t>(r - 1)]);
      piece_ += ';';
      liutil::lilast(piece_.view());
    }
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
    bool term = false;
    for (std::int32_t r = 1; r <= m_.rows; ++r) {
      if (!written(r)) continue;
      if (!first) liutil::linext(" + ");
      first = false;
      const std::int32_t t = rowtype(r);
      if (t == rowg) liutil::linext(rowpiece("W", r, square));
      if (t == rowl || t == rowe) liutil::linext(rowpiece("V", r, square));
      if (t == rowe) liutil::linext(rowpiece(" + W", r, square));
      term = term || t == rowg || t == rowl || t == rowe;
    }
    // No row to satisfy: nothing to minimise, but BARON needs an expression.
    line(term ? ";" : "0;");
  }
  void reformulatedobjective() {
    liutil::lifirst(q5rt::concat("OBJ: ", sense()), objindent);
    const bool nl = nonlinear(m_.objrow, true);
    const bool haveterm = linear(m_.objrow, nl, true);
    const double d = value(m_.rowrhs[static_cast<std::size_t>(m_.objrow - 1)]) / state.objjacval;
    if (d == 0 && haveterm) return line(";");
    if (d <= 0) {
      liutil::linext(q5rt::concat(" - ", numtext(std::fabs(d))));
    } else {
      liutil::linext(q5rt::concat(haveterm ? " + " : " ", numtext(d)));
    }
    line(";");
  }
  void startingpoint() {
    if (state.skipstarting) return;
    const auto level = [this](std::int32_t c) {
      return m_.collevel[static_cast<std::size_t>(c - 1)];
    };
    block(
        "STARTING_POINT", [&](std::int32_t c) { return level(c) != 0 && level(c) < m_.valund; },
        level);
  }

  q5rt::textfile& f_;
  const optbaron::toptconvert* bo_;
  gcdata::tmodel& m_;
  const bool relaxed_;
  bool reform_ = false;
  std::int32_t notes_ = 0;
  piecebuffer piece_;  // one piece of a statement, reused
  detail::colnametable names_;
};

}  // namespace

namespace detail {

char* putcolname(char* at, std::int32_t c) {
  const gcdata::tmodel& m = gcdata::mymodel;
  if (c == m.objvar && !state.objvarname.empty()) return put(at, state.objvarname.view());
  const std::int32_t t = m.coltype[static_cast<std::size_t>(c - 1)];
  at = put(at, t >= 0 && t < 7 ? zlmspecs::varstyp[static_cast<std::size_t>(t)] : "x");
  return putint(at, c);
}

void colnametable::build() {
  const gcdata::tmodel& m = gcdata::mymodel;
  slots_.assign(static_cast<std::size_t>(std::max(m.cols, 0)), 0);
  char name[q5rt::sstr::capacity];
  for (std::int32_t c = 1; c <= m.cols; ++c) {
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
