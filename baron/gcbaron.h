// The BARON translation as the program's run sees it: the preparation of one BARON run
// (option set, checks, dot options, BARON's input file, the map file for the bridge, the
// command line) and the reading of BARON's results; with the run state those steps share.
//
// Usage:
//   std::string execline;
//   if (gcbaron::prebaron(execline) == 0) { run(execline); gcbaron::postbaron(); }
//   gcbaron::state.baronvarseq     // BARON's order of variables, for the result reader
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frame/q5rt.h"
#include "frame/q5text.h"
#include "funclib/ctvnew.h"

namespace optbaron {
class toptconvert;
}

namespace gcbaron {

// Equation classes of the EquClass dot option.
enum equationclass : std::int32_t {
  classplain = 0,
  classrelaxonly = 1,
  classconvex = 2,
  classrelaxconvex = 3,
  classlocal = 4,
};
inline constexpr std::array<std::string_view, 3> equclassname = {
    "RELAXATION_ONLY_EQUATIONS", "CONVEX_EQUATIONS", "LOCAL_EQUATIONS"};

// What one BARON run passes between the preparation, the input writer, the map file and
// the result reader.
struct trunstate {
  std::int32_t baronvarseq = 0;              // columns in BARON's variable order
  std::int32_t baronequseq = 0;              // rows in BARON's equation order
  std::vector<std::int32_t> baronvartozolm;  // [p-1]: model column at BARON position p
  std::vector<std::int32_t> baronequtozolm;  // [p-1]: model row at BARON position p
  std::vector<std::int32_t> baronequclass;   // class of each row (equationclass)
  bool equclassused = false;                 // an EquClass dot option was applied
  bool reportcputime = false;                // BARON measures processor time
  bool haveduals = false;                    // the res file carried duals
  double objjacval = 0;                      // objective variable's coefficient in its row
  std::int32_t objreform = 0;                // > 0: the objective is reformulated
  std::int32_t optphaseone = 0;              // phase-one mode; 0 off
  bool dotbaronly = true;                    // no OPTIONS section
  bool skipstarting = false;                 // no starting point
  q5rt::sstr objvarname;                     // objective variable's name in the file
  std::array<std::int32_t, 3> equclass{};    // rows listed relaxation-only, convex, local
  std::int32_t phaseonevariables = 0;        // V and W variables declared
  std::int32_t optbounds = 0;                // bounds changed by the dot options
  std::int32_t numdropn = 0;                 // =N= rows left out
  std::int32_t evalerrormax = 0;
  std::int32_t evalerrors = 0;
  ctvnew::tmathnewrec mnrec{};  // row levels after BARON

  // The start-up values.
  void reset();
};

inline trunstate state;

// 0 when BARON is to be run with the shell command line in execline; any other value when
// no run takes place, the solution file's status pair being set already.
[[nodiscard]] std::int32_t prebaron(std::string& execline);

// After BARON's run: its results into the model record.
void postbaron();

// ---- steps of the preparation, for its parts and their tests ----

// The column bounds as loaded, copied before any dot option; put back after the files
// are written.
struct savedbounds {
  std::vector<double> lower;
  std::vector<double> upper;
  void take();
  void restore() const;
};

// Dot options (through the dictionary), priorities in BARON's form and infinite bounds
// replaced when the option asks for it. Changes the model record's bounds and priorities
// and the run state's classes.
void applydotoptions(const optbaron::toptconvert& bo, const savedbounds& saved);

// Writes BARON's input file into the opened file; the number of "Cannot handle" notes.
std::int32_t writedotbar(q5rt::textfile& f, const optbaron::toptconvert* bo);

namespace detail {

// A column's name in BARON's input file written at `at` (room for 255 characters); the
// end. The objective variable's own name when one is set, else type prefix and number.
char* putcolname(char* at, std::int32_t c);

// Every column's name written once for one file and copied from there: the rows, the
// bounds and the starting point name the same columns again and again. A slot holds a
// name of up to 8 characters, padded with zero bytes (small enough for the table to stay
// in the cache); an empty slot sends the column to putcolname (longer names and the
// objective variable, whose type the writer changes for a while).
class colnametable {
 public:
  static constexpr std::size_t slot = 8;
  // From the model record and the run state as they are now.
  void build();
  // Column c's name written at `at` (room for slot characters at least); the end.
  char* put(char* at, std::int32_t c) const;

 private:
  std::vector<std::uint64_t> slots_;
};

}  // namespace detail

// Writes the map of BARON's order into the opened file and closes it; a failed write is
// logged with the file's name, ends the writing and removes the file: false.
bool writemap(q5rt::textfile& f, std::string_view name);
// The map file of this run: a previous map of the name is removed first, then the map is
// written (a file that cannot be opened or written is logged, and no map is left). False,
// logged, only when the previous map cannot be removed: the run must not go on with it.
[[nodiscard]] bool writemapfile(std::string_view name);

// The hessian files: the nonlinear code of the convex rows in BARON's numbering and the
// hessian control file that names it. False after a failed write (logged, the partial file
// removed): BARON must not run then. A file that cannot be opened is logged and skipped.
[[nodiscard]] bool writehessian(const optbaron::toptconvert& bo);

// A file written for BARON that a write or its close has failed (rc, the system's error
// number): a "*** " line with its name and the system's text, and the partial file removed
// (a regular file only).
void writefailed(std::string_view name, int rc);

}  // namespace gcbaron
