// The EMP record: for every row and column of the model, the extended-model constructs that
// name it (dual pairs, VI functions, QVI parameters, adjusted objective terms, agents of an
// equilibrium or bilevel problem, implicit variables).
//
// Usage:
//   if (empdata::myemp.isequilibrium != 0 && empdata::myemp.agentofrow) ...
//   empdata::empalloc(ncols, nrows);
//   const int rc = empdata::emploadex(args);   // 0 ok, 1 errors counted, 2 hard failure
//   empdata::empfree();
//
// The record is all zero at start-up; the model writers only read it, and with the record
// as start-up leaves it none of their EMP branches is taken. Between empalloc and empfree
// its arrays and list objects exist; every array and record lives in the EMP heap, and
// every list object is owned by the unit and freed by empfree. A dictionary object that the
// loader creates itself is owned by the record (dicthandle) and freed by empfree too. Rows and
// columns are numbered from 1: a per-row array has entries 0 to the row count, a per-column array
// entries 0 to the column count, entry 0 unused. Agents are numbered from 1.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "frame/q5rt.h"
#include "funclib/ctvnew.h"
#include "instance/ctvnl.h"
#include "instance/zlmspecs.h"

namespace zlmheapnew {
class theapmgr;
}
namespace zlmobj {
class txlist;
}
namespace empreader {
class templist;
}

namespace empdata {

struct temprec {
  zlmheapnew::theapmgr* heap{};  // the EMP heap ("empHeap"); none until allocation
  q5rt::sstr solvername;         // the solver the information is read for; set by the caller
  void* dicthandle{};            // dictionary object the loader created itself, else none
  std::int32_t numitems{};       // all EMP annotations after a load
  std::int32_t numadjusted{};    // rows given a theta function
  std::uint8_t nyslpforall{};    // "nyslp" followed "adjustequ"
  std::int32_t* thetastart{};    // per row: offset of the row's theta parameters in parpool
  std::int32_t* thetanpar{};     // per row: number of theta parameters
  std::int32_t* thetafunc{};     // per row: theta function 0..7, 0 none
  double* thetaweight{};         // per row: weight of the theta term
  double* parpool{};             // theta parameters, entries 1..parpoolcap
  std::int32_t parpoolcap{};
  std::int32_t parpoolstep{};  // growth step of parpool
  std::int32_t numflipped{};
  std::int32_t* flip{};  // per row: -1 not stated, 0 not flipped, 1 flipped
  std::int32_t numdualvar{};
  std::int32_t numdualequ{};
  std::int32_t numdualmaps{};
  std::int32_t* colreserve{};    // per column, zeroed at allocation, not used
  std::int32_t* dualrowofcol{};  // per column: +row dualVAR, -row dualEQU, 0 none
  std::int32_t* dualcolofrow{};  // per row: +column dualVAR, -column dualEQU, 0 none
  std::int32_t numimplvar{};
  std::uint8_t implvarseen{};    // 0 before the first variable, 1 after variables, 2 after a row
  std::int32_t* implgroupcol{};  // per column: implicit group (1-based in impllist), 0 none
  std::int32_t* implgrouprow{};  // per row: implicit group, 0 none
  std::int32_t* rowreserve{};    // per row, zeroed at allocation, not used
  double* implcoef{};            // per column: coefficient of a lone linear implicit variable
  std::int32_t implagent{};      // the implicit agent, -1 none
  zlmobj::txlist* impllist{};    // implicit-variable records, one per implicit group
  std::uint8_t agentkeyseen{};   // an agent section other than "implicit" has started
  std::uint8_t visolclosed{};    // an agent other than "visol" has started
  zlmobj::txlist** rowagents{};  // per row: the agents that share it
  zlmobj::txlist** rowagentflips{};  // per row: each sharing agent's flip state
  std::int32_t visolagent{};         // agent of the "visol" equations, -1 none
  std::int32_t sharedagent{};        // agent of the shared equations, -1 none
  std::uint8_t viseen{};
  std::uint8_t viunmatched{};
  std::int32_t numvifunc{};
  std::int32_t* vivarofrow{};  // per row: the column whose VI function the row is, 0 none
  std::int32_t* virowofcol{};  // per column: the row that is its VI function, 0 none
  std::uint8_t qviseen{};
  std::uint8_t qvilastvar{};
  std::int32_t* qviparofcol{};   // per column: QVI parameter column of an original column
  std::int32_t* qviorigofpar{};  // per column: original column of a QVI parameter column
  std::int32_t numqvipar{};
  std::uint8_t isbilevel{};
  std::uint8_t isequilibrium{};
  std::int32_t numagents{};
  std::int32_t numequilagents{};
  std::int32_t numfollowers{};
  std::int32_t numdualagents{};
  std::int32_t numimplagents{};
  std::int32_t numsolagents{};
  std::int32_t numstaragents{};
  q5rt::sstr agentprefix;         // "BILEVEL: " or "EQUILIBRIUM: "
  std::int32_t* agentofcol{};     // per column: -1 none, 0 the leader, else the agent
  std::int32_t* agentofrow{};     // per row: 0 none, else the agent
  std::int32_t* agentfollower{};  // per agent: follower number
  std::int32_t* agentobjrow{};    // per agent: objective row (negated: see the loader)
  std::int32_t*
      agenttype{};  // per agent: 0 min, 1 max, 2 vi, 3 dualVAR, 4 implicit, 5 visol, 6 shared
  std::int32_t* agentstar{};        // per agent: claimed the unclaimed variables with "*"
  std::int32_t* agentobjvar{};      // per agent: objective variable
  double* agentobjcoef{};           // per agent: objective variable's coefficient in its row
  zlmobj::txlist** agentimplobj{};  // per agent: implicit variables it uses
  zlmobj::txlist** agentrows{};     // per agent: rows of a visol or shared-equation agent
  std::int32_t agentcap{};          // capacity of the per-agent arrays (0..agentcap-1)
  std::int32_t agentstep{};         // growth step of the per-agent arrays
  std::int32_t disjbytype[4]{};     // disjunctions by implementation type
  std::int32_t* disjofcol{};        // heap, per column: disjunction of a term variable, 0 none
  std::int32_t* disjrowreserve{};   // heap, per row: allocated and zeroed, not filled
  std::int32_t numparstep{};
  std::uint8_t parstepstar{};
  std::uint8_t* parstepmark{};  // heap, per row 0..rows-1: joins every disjunction term
  std::int32_t numlogic{};
  std::uint8_t hasnonlogicnl{};
  std::int32_t* logiccount{};  // heap, per row: logic operations, -1 other rows
  std::uint8_t modeltype{};    // model type requested by "modeltype", 0 none
  std::uint8_t replication{};  // caller's option: replication method for implicit variables
  std::uint8_t sharedequ{};    // caller's option: shared equations allowed
  std::uint8_t allocated{};
  std::int32_t numcols{};  // column count at allocation, -1 before
  std::int32_t numrows{};  // row count at allocation, -1 before
};

// The process-wide EMP record; zero-filled at start-up.
inline temprec myemp{};

// Zero-fills the record (start-up does it); frees nothing.
void clearrecord();

// ---- allocation ----

inline constexpr std::int32_t parpoolgrowth = 1000;
inline constexpr std::int32_t agentgrowth = 100;

// Frees a previous state, then sizes every per-row and per-column array and the start
// values; the record is then allocated.
void empalloc(std::int32_t ncols, std::int32_t nrows);
// Frees the dictionary object the loader created, every array, list and record, and the
// heap; the record is zero with its start values again (not allocated).
void empfree();
// Makes room for the next agent number in the per-agent arrays.
void empgrowfollowers();
// A new list object owned by the EMP state (freed by empfree).
[[nodiscard]] zlmobj::txlist* newlist();

// Parameter k (from 1) of the row's theta function; 1.0 outside 1..thetanpar.
[[nodiscard]] double empparval(std::int32_t row, std::int32_t k);
[[nodiscard]] std::uint8_t emptheta(std::int32_t row);
[[nodiscard]] constexpr std::int32_t empdtype(std::int32_t x) { return x; }
// The code of a keyword text, ignoring case; 0 when none.
[[nodiscard]] std::int32_t empkey(std::string_view text);

inline constexpr std::array<std::string_view, 8> thetafuncname = {"none",  "Abs", "Sqr",  "MaxZ",
                                                                  "Huber", "Six", "Nine", "NYslp"};
inline constexpr std::array<std::string_view, 4> disjtypename = {"none", "Chull", "BigM", "Indic"};

// The keyword table: codes 0 to 5 and 20 are the item reader's result codes (each holds a
// blank, so no item matches them).
enum empcode : std::int32_t {
  key_notakey = 0,
  key_eof = 1,
  key_error = 2,
  key_notinrim = 3,
  key_equ = 4,
  key_var = 5,
  key_dualvar = 6,
  key_dualequ = 7,
  key_disjunction = 8,
  key_else = 9,
  key_elseif = 10,
  key_star = 11,
  key_not = 12,
  key_dash = 13,
  key_bilevel = 14,
  key_equilibrium = 15,
  key_max = 16,
  key_min = 17,
  key_number = 18,
  key_adjustequ = 19,
  key_ident = 20,
  key_modeltype = 21,
  key_vifunc = 22,
  key_vi = 23,
  key_qvi = 24,
  key_nyslp = 25,
  key_default = 26,
  key_chull = 27,
  key_bigm = 28,
  key_indic = 29,
  key_parallelstep1 = 30,
  key_implicit = 31,
  key_visol = 32,
};
inline constexpr std::array<std::string_view, 33> empkeytext = {
    "not a key",     "emp eof",   "emp error", "not in rim",  "emp equ",
    "emp var",       "dualVAR",   "dualEQU",   "disjunction", "else",
    "elseif",        "*",         "not",       "-",           "bilevel",
    "equilibrium",   "max",       "min",       "=",           "adjustequ",
    "emp ident",     "modeltype", "vifunc",    "vi",          "qvi",
    "nyslp",         "default",   "chull",     "bigm",        "indic",
    "parallelstep1", "implicit",  "visol"};
// The codes that the item reader returns as keywords: 6 to 19 and 21 to 32.
[[nodiscard]] constexpr bool iskeyword(std::int32_t code) {
  return (code >= 6 && code <= 19) || (code >= 21 && code <= 32);
}

// Rows per theta function.
inline std::array<std::int32_t, 8> thetacount{};
// The evaluation record of the loader's equation levels.
inline ctvnew::tmathnewrec mathnewemp{};

// ---- implicit-variable groups ----

struct timplvarrec {
  std::int32_t kind = 0;                  // 0 explicit, 1 objective of a follower, 2 implicit
  zlmobj::txlist* agents = nullptr;       // agents that use a variable of the group
  zlmobj::txlist* varagents = nullptr;    // per implicit variable: its agents (lists)
  zlmobj::txlist* rowlists = nullptr;     // per defining row: a list nothing fills
  zlmobj::txlist* vars = nullptr;         // implicit variables (columns)
  zlmobj::txlist* othercols = nullptr;    // other columns of the group's rows
  zlmobj::txlist* rows = nullptr;         // defining rows
  zlmobj::txlist* rowvars = nullptr;      // per row: its implicit variables (lists)
  zlmobj::txlist* rowvarsnl = nullptr;    // per row: their nonlinear flags (lists)
  zlmobj::txlist* rowothers = nullptr;    // per row: its other columns (lists)
  zlmobj::txlist* rowothersnl = nullptr;  // per row: their nonlinear flags (lists)
};
// A group record of kind 0 with ten empty lists, in the EMP heap.
[[nodiscard]] timplvarrec* empallocimplvarrec();

// ---- disjunctions ----

struct tequrec {
  std::int32_t row;   // negated under "not"
  std::int32_t disj;  // from 1
  std::int32_t term;  // from 1
  std::uint8_t split;
  std::int32_t bin;
  double dotl;  // level with all variables 0 (rows with nonlinear code)
};
struct ttermrec {
  std::int32_t var;  // binary column, negated after "not"; 0 for "*" and else-terms
  zlmobj::txlist* equs;
};
struct tdisjrec {
  std::int32_t type;  // 1 Chull, 2 BigM, 3 Indic
  std::int32_t intset;
  double bigm;  // big-M, or the big value of Chull
  double eps;
  zlmobj::txlist* terms;
  std::int32_t indicator;
};

class tempdata {
 public:
  zlmobj::txlist* disjlist = nullptr;
  tdisjrec* curdisj = nullptr;
  ttermrec* curterm = nullptr;
  tequrec* curequ = nullptr;
  zlmobj::txlist** rowequs = nullptr;  // per row: its equation records
  std::int32_t deftype = 1;
  std::int32_t defint = 4;
  double defbigm = 10000;
  double defeps = 1e-4;
  std::int32_t ndefbigm = 0;
  std::int32_t ndefbigmeps = 0;
  std::int32_t ndefchullbig = 0;
  std::int32_t ndefchulleps = 0;

  // Back to the state of creation (the records belong to the EMP heap).
  void reset() { *this = tempdata{}; }

  [[nodiscard]] std::int32_t getnumdisj() const;
  [[nodiscard]] std::int32_t getind(std::int32_t d);
  void setind(std::int32_t d, std::int32_t value);
  [[nodiscard]] std::int32_t getnumterm(std::int32_t d);
  [[nodiscard]] std::int32_t getlastterm(std::int32_t d);
  [[nodiscard]] std::int32_t getnumequ(std::int32_t d, std::int32_t t);
  [[nodiscard]] std::int32_t gettermvar(std::int32_t d, std::int32_t t);
  [[nodiscard]] std::int32_t gettermnot(std::int32_t d, std::int32_t t);
  [[nodiscard]] std::int32_t getequindex(std::int32_t d, std::int32_t t, std::int32_t k);
  [[nodiscard]] std::int32_t getequbin(std::int32_t d, std::int32_t t, std::int32_t row);
  void setequbin(std::int32_t d, std::int32_t t, std::int32_t row, std::int32_t value);
  [[nodiscard]] std::uint8_t getequsplit(std::int32_t d, std::int32_t t, std::int32_t row);
  void setequsplit(std::int32_t d, std::int32_t t, std::int32_t row, std::uint8_t value);
  [[nodiscard]] double getequdotl(std::int32_t d, std::int32_t t, std::int32_t row);
  void setequdotl(std::int32_t d, std::int32_t t, std::int32_t row, double value);
  [[nodiscard]] std::int32_t equindisj(std::int32_t row, std::int32_t& d) const;
  void disjsetdefault(std::int32_t type, double bigm, double eps, std::int32_t n);
  void disjgetdefault(std::int32_t& type, double& bigm, double& eps, std::int32_t& n) const;
  void disjgetimplement(std::int32_t d, std::int32_t& type, double& bigm, double& eps,
                        std::int32_t& n);
  void disjgetimptype(std::int32_t d, std::int32_t& type);

  [[nodiscard]] tdisjrec* disj(std::int32_t d) const;
  [[nodiscard]] ttermrec* term(std::int32_t d, std::int32_t t) const;
  // The three-line report on standard output.
  static void emperrorlog(std::string_view text);

 private:
  bool catchdisj(std::int32_t d, std::string_view name);
  bool catchterm(std::int32_t d, std::int32_t t, std::string_view name);
  tequrec* findequ(std::int32_t d, std::int32_t t, std::int32_t row, std::string_view name);
};

// The disjunction object; created at start-up, freed at close-down.
inline tempdata* myemp_ep = nullptr;

// ---- the loader ----

using msgcallback = void (*)(std::string_view text, void* userdata);

// The loader's arguments; arrays are 0-based by row or column, instructions from 1.
struct emploadargs {
  std::string_view empfile;
  std::string_view dictfile;              // used when the loader opens the dictionary itself
  void** dicthandle = nullptr;            // in: nil asks for a new one; out: the one created
  std::int32_t objrow = 0;                // objective row, 0 none
  std::int32_t objvar = 0;                // objective variable, 0 when no min or max
  std::uint8_t nonbinaryok = 0;           // a non-binary disjunction variable is not counted
  std::uint8_t keepobjrow = 0;            // equilibrium: keep a lone objective row
  const std::int32_t* coltype = nullptr;  // zlmspecs::coltype by column
  const std::uint8_t* colkind = nullptr;  // 0 free, 4 exempt from ownership checks
  const double* collower = nullptr;       // nil: no bounds (empload)
  const double* colupper = nullptr;
  const zlmspecs::tjacrec* const* colfirst = nullptr;
  const std::int32_t* rowtype = nullptr;  // zlmspecs::rowtype by row
  const zlmspecs::tjacrec* const* rowfirst = nullptr;
  const std::int32_t* instrfirst = nullptr;  // 0: linear row
  const std::int32_t* instrlast = nullptr;
  std::span<const ctvnl::tnlcode> instr;
  std::span<const double> pool;
  msgcallback callback = nullptr;  // nil: log and status file
  void* userdata = nullptr;
};

// The maker's disjunctive solver: the summary leaves out the other counts for it.
inline constexpr std::string_view disjunctivesolver = "disjsolva";

// Loads the EMP information file against the model: 0 success, 1 syntax errors or counted
// errors, 2 hard failure. A file that cannot be opened gives 0 after its messages.
[[nodiscard]] std::int32_t emploadex(const emploadargs& args);
// The same without column bounds.
[[nodiscard]] std::int32_t empload(emploadargs args);
// The same over a text in memory in place of the file (tests and fuzzing).
[[nodiscard]] std::int32_t emploadtext(const emploadargs& args, std::string_view text);

}  // namespace empdata
