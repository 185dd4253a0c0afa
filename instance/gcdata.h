// The model instance of the process, gcdata::mymodel, and the plain procedures around it:
// one line to log and status file at once, opening and closing the log, the status file
// and the memo file, the solver and model status, the solution arrays, the control options
// by key and the list of written files.
//
// Usage:
//   gcdata::mymodel.rows                      // filled by control loading
//   gcdata::gcopenlog(); gcdata::gcopenstat(); // the status file failing ends the run
//   gcdata::gclogstat("*** Something");        // log line and status-file copy line
//   gcdata::gcsetstatus(1, 2);
//   double v; if (gcdata::gcgetzolmopt(4, v)) ...
//
// Arrays: element i of a row or column array (rows and columns count from 1), entry k of
// the constant pool and instruction k of the instruction code are at index i - 1 (k - 1).
// An empty array is "not allocated". The record lives for the whole run and is never
// copied.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "frame/q5rt.h"
#include "funclib/mathnew.h"
#include "instance/ctvnl.h"
#include "instance/ctvproc.h"
#include "instance/zlmspecs.h"

namespace ctvnl {
struct nltreerec;  // an expression-tree node of the BARON translation
}

namespace gcdata {

inline constexpr int maxsolvers = 150;                  // solvers 1..150 fit the record's copy
inline constexpr int modeltypes = ctvproc::proc_count;  // model types 0..15

inline constexpr std::string_view statusopenfailed = "*** Status File open Failed - we are dead";
inline constexpr std::string_view memoopenfailed = "*** Could not open memo ";

using elemptr = zlmspecs::tjacrec*;

// The Jacobian elements that the row and column lists link: appended one by one, never
// moved (each block is filled up to its capacity only), in large blocks so that a load
// makes one allocation per block and not one per few elements.
class elemstore {
 public:
  // The size of the next block (at least 1): the number of elements expected.
  void expect(std::size_t n) { next_ = n > 0 ? n : 1; }
  zlmspecs::tjacrec& emplace_back() {
    if (blocks_.empty() || blocks_.back().size() == blocks_.back().capacity()) {
      blocks_.emplace_back().reserve(std::max(next_, size_));
      next_ = 1;
    }
    ++size_;
    return blocks_.back().emplace_back();
  }
  [[nodiscard]] std::size_t size() const { return size_; }
  void clear() {
    blocks_.clear();
    size_ = 0;
    next_ = 1;
  }
  // Calls f for every element from the last appended to the first.
  template <typename F>
  void foreach_reverse(F&& f) {
    for (auto b = blocks_.rbegin(); b != blocks_.rend(); ++b) {
      for (auto e = b->rbegin(); e != b->rend(); ++e) f(*e);
    }
  }

 private:
  std::vector<std::vector<zlmspecs::tjacrec>> blocks_;
  std::size_t size_ = 0;
  std::size_t next_ = 1;
};

struct tmodel {
  // ---- counts, model and options (control loading) ----
  std::int32_t rows = 0;
  std::int32_t cols = 0;
  std::int32_t nonzeros = 0;
  std::int32_t nlnonzeros = 0;
  std::int32_t extnonzeros = 0;
  std::int32_t poolsize = 0;
  std::int32_t instrcount = 0;
  std::int32_t evalworklen = 0;
  std::int32_t modeltype = 0;
  std::int32_t maximize = 0;
  std::int32_t objvar = 0;
  std::int32_t filetype = 0;
  std::int32_t useoptfile = 0;
  std::int32_t relaxed = 0;
  std::int32_t anchors = 0;
  std::int32_t ctlint76 = 0;
  std::int32_t ctlint77 = 0;
  std::int32_t scaleopt = 0;
  std::int32_t priorityopt = 0;
  std::int32_t ctlflag56 = 0;
  std::int32_t ctlflag57 = 0;
  std::uint8_t scalevalues = 0;  // model loading
  std::int32_t fixedcols = 0;    // model loading
  std::int32_t scaledsol = 0;
  double valund = 0, valna = 0, valeps = 0, valpin = 0, valmin = 0;  // model loading
  std::int32_t threads = 0;
  std::array<std::int32_t, 5> ctlint100{};  // keys 10..14
  std::array<double, 5> ctlreal20{};        // keys 15..19
  double ctlreal9 = 0;
  double ctlreal8 = 0;
  double ctlreal7 = 0;
  double ctlreal4 = 0;
  double ctlreal5 = 0;
  double ctlreal0 = 0;
  double ctlreal1 = 0;
  double ctlreal2 = 0;
  std::array<std::int32_t, zlmspecs::rowtype_count> equcount{};  // rows by type
  std::array<std::int32_t, zlmspecs::coltype_count> colcount{};  // columns by type
  std::array<std::int32_t, zlmspecs::coltype_count> fixcount{};  // fixed columns by type
  std::array<std::int32_t, 3> boundkindcount{};  // continuous columns: free, negative, positive

  // ---- copy of the solver table (control loading) ----
  std::int32_t solvercount = 0;
  std::array<std::int32_t, modeltypes> defaultsolver{};
  std::array<std::int32_t, modeltypes> chosensolver{};
  std::array<q5rt::shortstring<63>, maxsolvers + 1> solvernames{};  // 0: "UnknownSolver"
  std::array<std::array<bool, modeltypes>, maxsolvers + 1> solvercaps{};

  // ---- row arrays ----
  std::vector<std::int32_t> rowtype;
  std::vector<double> rowrhs;
  std::vector<double> rowmarginal;
  std::vector<double> rowlevel;  // empty until gcallocsolution
  // Set by gcallocsolution: a solution is stored (with no rows rowlevel stays empty).
  bool solutionstored = false;
  std::vector<std::int32_t> rowbasis;   // empty until gcallocsolution
  std::vector<std::int32_t> rowstatus;  // empty until gcallocsolution
  std::vector<std::int32_t> rowmatch;
  std::vector<std::int32_t> rowfirstinstr;  // 0 for a linear row
  std::vector<std::int32_t> rowlastinstr;
  std::vector<elemptr> rowfirst;
  std::vector<elemptr> rownlfirst;
  std::vector<elemptr> rowlast;
  std::vector<elemptr> rownllast;
  std::vector<double> rowscale;  // only with scaleopt

  // ---- column arrays ----
  std::vector<std::int32_t> coltype;
  std::vector<double> collower;
  std::vector<double> collevel;
  std::vector<double> colupper;
  std::vector<double> colmarginal;
  std::vector<std::uint8_t> colboundclass;
  std::vector<std::int32_t> colbasis;   // empty until gcallocsolution
  std::vector<std::int32_t> colstatus;  // empty until gcallocsolution
  std::vector<double> colpriority;
  std::vector<std::int32_t> colsosset;
  std::vector<elemptr> colfirst;
  std::vector<elemptr> collast;
  std::vector<double> colscale;  // only with scaleopt

  // The Jacobian elements that the row and column lists link (stable addresses).
  elemstore jacelements;

  // ---- nonlinear code, function use, nodes, log ----
  std::int32_t instrworklen = 0;
  std::vector<double> pool;           // constant pool
  std::vector<ctvnl::tnlcode> instr;  // all rows' instructions
  std::array<std::int32_t, mathnew::funccount> funcuse{};
  ctvnl::nltreerec* nodefree = nullptr;  // the expression-tree node pool
  ctvnl::nltreerec* nodefirst = nullptr;
  ctvnl::nltreerec* nodelast = nullptr;
  std::int32_t logoption = 0;

  // ---- file names and texts ----
  q5rt::sstr matfile;
  q5rt::sstr instrfile;
  q5rt::sstr dictfile;
  q5rt::sstr ctrlfile;
  q5rt::sstr sysdir;
  q5rt::sstr scrdir;
  q5rt::sstr logfile;
  q5rt::sstr statfile;
  q5rt::sstr solfile;
  q5rt::sstr optfile;
  q5rt::sstr scrext;
  q5rt::sstr extlibname;
  q5rt::shortstring<8> stamp2;
  q5rt::shortstring<8> stamp1;

  // ---- objective reformulation, status and solution information ----
  std::int32_t ctlint26 = 0;
  std::int32_t ctlint20 = 0;
  std::int32_t objrow = 0;
  std::int32_t ctlint22 = 0;
  std::int32_t ctlint23 = 0;
  std::int32_t ctlint24 = 0;
  std::int32_t solvestat = 0;
  std::int32_t modelstat = 0;
  std::array<double, 4> headinfo{};   // solution-file head items 3..6
  std::array<double, 11> tailinfo{};  // tail items 1, 2, 3, 5, ..., 12
  std::vector<std::int32_t> defrowlist;
  std::vector<std::int32_t> defcollist;
  std::int32_t defcount = 0;
  std::int32_t defnrows = 0;
  std::int32_t deffixcols = 0;
};

// The one model instance of the process.
inline tmodel mymodel;

// The written-file list: the model writers add every file they open; nothing reads it.
inline std::vector<q5rt::sstr> filelist;

void gclogstat(std::string_view text);
void gcmemo(std::string_view text);
void gcopenmemo(std::string_view filename);
void gcclosememo();
[[nodiscard]] bool fnmemoopen();
void gcopenlog();
void gccloselog();
// Opens the status file; when it cannot be opened the log says so and the run ends with
// exit code 0.
void gcopenstat();
void gcclosestat();
void gcsetstatus(std::int32_t solvestat, std::int32_t modelstat);
void gcallocsolution();
// The control option of a key: true when defined, value 0 otherwise.
[[nodiscard]] bool gcgetzolmopt(std::int32_t key, double& value);
void addfname(std::string_view filename);

// ---- the expression-tree node pool (nodefree, nodefirst, nodelast) ----
// A node from the free list, or a new one, appended to the in-use chain with the next
// number; its links, opcode, operand and flags are cleared (value is kept).
[[nodiscard]] ctvnl::nltreerec* getnlrec();
// Every in-use node back to the free list at once.
void frenlrec();
// An empty pool, without releasing nodes.
void ininlrec();
// The node becomes a dropped node (NoOp, no children); it stays in the in-use chain.
void dropnlrec(ctvnl::nltreerec* node);
// Drops the node with everything below it.
void dropsubtree(ctvnl::nltreerec* node);

// The C-style writer's variable numbering skips the objective variable (style 11).
inline std::int32_t cppstylereform = 0;

// Writes the solution file (solfile, in the layout of filetype) from the record: head
// items, the row and column records when the model status calls for them, tail items.
// A file that cannot be opened is reported in the log; nothing is written then. A write or
// close that fails is reported in the log too: the incomplete file is removed (when it is a
// regular file) and the process exit code becomes solutionlost, so that the modelling
// system never reads a broken file as the run's answer.
void gcwritesol();
inline constexpr int solutionlost = 1;

}  // namespace gcdata
