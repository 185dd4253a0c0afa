// The EMP record: for every row and column of the model, the extended-model constructs that
// name it (dual pairs, VI functions, QVI parameters, adjusted objective terms, agents of an
// equilibrium or bilevel problem, implicit variables).
//
// Usage:
//   if (empdata::myemp.isequilibrium != 0 && empdata::myemp.agentofrow) ...
//
// The record is all zero at start-up; the model writers only read it, and with the record
// as start-up leaves it none of their EMP branches is taken. Rows and columns are numbered
// from 1: a per-row array has entries 0 to the row count, a per-column array entries 0 to
// the column count, entry 0 unused. Agents are numbered from 1.
#pragma once

#include <cstdint>

#include "frame/q5rt.h"

namespace zlmheapnew {
class theapmgr;
}
namespace zlmobj {
class txlist;
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
  std::int32_t parpoolstep{};    // growth step of parpool
  std::int32_t numflipped{};
  std::int32_t* flip{};          // per row: -1 not stated, 0 not flipped, 1 flipped
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
  zlmobj::txlist** rowagents{};      // per row: the agents that share it
  zlmobj::txlist** rowagentflips{};  // per row: each sharing agent's flip state
  std::int32_t visolagent{};     // agent of the "visol" equations, -1 none
  std::int32_t sharedagent{};    // agent of the shared equations, -1 none
  std::uint8_t viseen{};
  std::uint8_t viunmatched{};
  std::int32_t numvifunc{};
  std::int32_t* vivarofrow{};    // per row: the column whose VI function the row is, 0 none
  std::int32_t* virowofcol{};    // per column: the row that is its VI function, 0 none
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
  q5rt::sstr agentprefix;        // "BILEVEL: " or "EQUILIBRIUM: "
  std::int32_t* agentofcol{};    // per column: -1 none, 0 the leader, else the agent
  std::int32_t* agentofrow{};    // per row: 0 none, else the agent
  std::int32_t* agentfollower{};  // per agent: follower number
  std::int32_t* agentobjrow{};   // per agent: objective row (negated: see the loader)
  std::int32_t* agenttype{};     // per agent: 0 min, 1 max, 2 vi, 3 dualVAR, 4 implicit, 5 visol, 6 shared
  std::int32_t* agentstar{};     // per agent: claimed the unclaimed variables with "*"
  std::int32_t* agentobjvar{};   // per agent: objective variable
  double* agentobjcoef{};        // per agent: objective variable's coefficient in its row
  zlmobj::txlist** agentimplobj{};  // per agent: implicit variables it uses
  zlmobj::txlist** agentrows{};  // per agent: rows of a visol or shared-equation agent
  std::int32_t agentcap{};       // capacity of the per-agent arrays (0..agentcap-1)
  std::int32_t agentstep{};      // growth step of the per-agent arrays
  std::int32_t disjbytype[4]{};  // disjunctions by implementation type
  std::int32_t* disjofcol{};     // heap, per column: disjunction of a term variable, 0 none
  std::int32_t* disjrowreserve{};  // heap, per row: allocated and zeroed, not filled
  std::int32_t numparstep{};
  std::uint8_t parstepstar{};
  std::uint8_t* parstepmark{};   // heap, per row 0..rows-1: joins every disjunction term
  std::int32_t numlogic{};
  std::uint8_t hasnonlogicnl{};
  std::int32_t* logiccount{};    // heap, per row: logic operations, -1 other rows
  std::uint8_t modeltype{};      // model type requested by "modeltype", 0 none
  std::uint8_t replication{};    // caller's option: replication method for implicit variables
  std::uint8_t sharedequ{};      // caller's option: shared equations allowed
  std::uint8_t allocated{};
  std::int32_t numcols{};        // column count at allocation, -1 before
  std::int32_t numrows{};        // row count at allocation, -1 before
};

// The process-wide EMP record; zero-filled at start-up.
inline temprec myemp{};

// Zero-fills the record (start-up does it); frees nothing.
void clearrecord();

}  // namespace empdata
