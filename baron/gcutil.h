// Services that every written model shares: the comment header, opening and announcing
// files, scratch names, row and column names, declaration lists; and the expression
// pipeline of a row's instruction code: tree building, rewriting, folding and text.
//
// Usage:
//   q5rt::textfile f;
//   if (gcutil::open4write(f, gcutil::scratchname("mybaron"), "") != 0) ...
//   gcutil::gcheader(f, "//  ");
//   ctvnl::nltreerec* root = gcutil::buildtree(first, last, code, pool);
//   if (root == nullptr) ...                      // malformed code, refused
//   gcutil::transformtree(gcdata::mymodel.nodefirst, true, true, true, true, true);
//   gcutil::cleantree(gcdata::mymodel.nodefirst);
//   liutil::lifirst("e1: ", 4);
//   gcutil::donlcode(root, 2, "", 0);              // pieces through liutil::linext
//   liutil::lilast(";");
//   gcdata::frenlrec();                            // all nodes back before the next row
//
// Tree messages (building, folding) are lines on standard output. A stack overflow while
// building and a division by a constant zero while folding end the run with exit code 0.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "frame/q5rt.h"
#include "frame/q5text.h"
#include "funclib/ctvnew.h"
#include "instance/ctvnl.h"
#include "instance/zlmspecs.h"

namespace gcutil {

using node = ctvnl::nltreerec;
using codespan = std::span<const ctvnl::tnlcode>;

// ---- unit state (set by start-up) ----
inline q5rt::sstr optobjvardef_;  // the objective variable's name in written models
inline std::int32_t folid = 0;    // the current EMP follower, 0 none
inline q5rt::sstr blanks255;
inline std::array<q5rt::sstr, zlmspecs::coltype_count> vartypename;  // by column type
inline std::array<q5rt::sstr, zlmspecs::rowtype_count> equtypename;  // by row type
inline q5rt::sstr chlambda;  // convex-hull divisor in force, empty none
inline std::int32_t chdis = 0;
inline std::int32_t chterm = 0;
inline ctvnew::tmathnewrec mathnewconvert{};        // constant folding
inline ctvnew::tmathnewrec mathnewconverttester{};  // the Jacobian tester's gradients

// The halts of the tree code go through here: the line on standard output, then the
// run ends with exit code 0. A test or fuzz target may set a hook that does not return
// (it throws); the hook gets the exit code.
using halthook = void (*)(int code);
inline halthook treehalthook = nullptr;
[[noreturn]] void treehalt(std::string_view line);
// The same with another exit code (the differentiator's wrong stack ends with 1).
[[noreturn]] void treehalt(std::string_view line, int code);

// ---- header, files and small services ----
// The comment header of a written model, every line starting with prefix. The time stamp
// follows the conversion option set's time-stamp text (stampsource); the second form
// takes that text directly.
void gcheader(q5rt::textfile& f, std::string_view prefix);
void gcheader(q5rt::textfile& f, std::string_view prefix, std::string_view stampoption);
// Where gcheader gets the time-stamp text from; nullptr: no option set, empty text.
using stamptext = q5rt::sstr (*)();
inline stamptext stampsource = nullptr;

// Opens name for writing: 0, or the I/O result after the "*** Could not write" and
// "*** RC=" lines to log and status file. A description announces the file in the log.
[[nodiscard]] int open4write(q5rt::textfile& f, std::string_view name,
                             std::string_view description);
[[nodiscard]] q5rt::sstr scratchname(std::string_view base);
[[nodiscard]] q5rt::sstr addanchor(std::string_view name);
[[nodiscard]] double getobjjacval();
[[nodiscard]] q5rt::sstr hullname(std::int32_t a, std::int32_t b, std::int32_t c);
[[nodiscard]] q5rt::sstr strleftjust(std::string_view text, std::int32_t width);
void setfollowerid(std::int32_t number);
void objvardefset(std::string_view name);

// ---- names of rows and columns in written models ----
[[nodiscard]] q5rt::sstr rname(std::int32_t r);
[[nodiscard]] q5rt::sstr cname(std::int32_t c);
[[nodiscard]] q5rt::sstr decname(std::int32_t c);
[[nodiscard]] q5rt::sstr dotname(std::int32_t c, std::string_view suffix);
[[nodiscard]] q5rt::sstr dename(std::int32_t c, bool zero);
[[nodiscard]] q5rt::sstr dcname(std::int32_t c);
[[nodiscard]] q5rt::sstr slname(std::int32_t n);
[[nodiscard]] q5rt::sstr pename(std::int32_t n);
[[nodiscard]] q5rt::sstr cnscname(std::int32_t n);
[[nodiscard]] q5rt::sstr cnsename(std::int32_t n);
[[nodiscard]] q5rt::sstr disename(std::int32_t n);
[[nodiscard]] q5rt::sstr logvname(std::int32_t r, std::int32_t a);
[[nodiscard]] q5rt::sstr logename(std::int32_t r, std::int32_t a, std::int32_t b);
[[nodiscard]] q5rt::sstr disequname(std::int32_t a, std::int32_t b, std::int32_t r);
[[nodiscard]] q5rt::sstr disslname(std::int32_t a, std::int32_t b, std::int32_t d);
[[nodiscard]] q5rt::sstr diswname(std::int32_t a, std::int32_t b, std::int32_t d);
[[nodiscard]] q5rt::sstr impladjvname(std::int32_t a, std::int32_t b, std::int32_t d);
[[nodiscard]] q5rt::sstr impladjename(std::int32_t a, std::int32_t b, std::int32_t d);
[[nodiscard]] q5rt::sstr implvname(std::int32_t c1, std::int32_t c2);
[[nodiscard]] q5rt::sstr implename(std::int32_t r, std::int32_t c);

// Declaration lists through the line writer: columns of a type (0..6), continuous columns
// of a bound kind (0 free, 1 negative, 2 positive).
void vardecla(std::int32_t type);
void contdecla(std::int32_t kind);

// ---- trees ----
// The tree of the instructions first..last (1-based in code; pool 1-based too). No tree
// (nullptr) for an empty range and for malformed code, reported on standard output.
[[nodiscard]] node* buildtree(std::int32_t first, std::int32_t last, codespan code,
                              std::span<const double> pool);
[[nodiscard]] bool searchcode(codespan code, std::int32_t count, std::int32_t column);
void dumptree(const node* n, std::string_view title);

// ---- rewriting and folding (over the in-use chain from first) ----
void transformtree(node* first, bool sqrsw, bool sqrtsw, bool log10sw, bool abssw, bool powersw);
void simplereform(node* root, double coef);
void cleantree(node* first);

// ---- text ----
// The tree below root as pieces through liutil::linext in style 0..14.
void donlcode(node* root, std::int32_t style, std::string_view objvarname, std::int32_t flag);
void donlcodedirty(node* root, std::int32_t style, std::string_view objvarname, std::int32_t flag,
                   std::string_view lambda, std::int32_t dis, std::int32_t term);
void dumpnlrec(q5rt::textfile& f, const node* n);
void dumpnlcode(q5rt::textfile& f, std::string_view title, codespan code,
                std::span<const double> pool, std::int32_t first, std::int32_t last);

// The per-instruction lines of dumpnlcode, without its title lines; nothing for an empty
// range.
void dumpnllisting(q5rt::textfile& f, codespan code, std::span<const double> pool,
                   std::int32_t first, std::int32_t last);

// ---- symbolic differentiation ----
// The derivative code of the row code first..last with respect to column, from out[0] on,
// its length in count. True when more than capacity instructions were needed (the code
// is then incomplete; count still says how many). The code reads the pool entries 1, 5,
// 6, 8, 9, 10 and 11 as 1, 0.5, 2, 0, 1/sqrt(2 pi), 1/ln 10 and 1/ln 2 (diffpool).
[[nodiscard]] bool diffcode(std::int32_t first, std::int32_t last, std::int32_t column,
                            codespan code, std::span<const double> pool,
                            std::span<ctvnl::tnlcode> out, std::int32_t& count,
                            std::int32_t capacity);
// ---- LP and MPS files ----
// The linear part of the model: MPS in CPLEX's free dialect for the description
// "CplexMPS", fixed-column MPS otherwise; CPLEX LP. 0, or the open result.
[[nodiscard]] std::int32_t gcwritemps(std::string_view description, std::string_view filename);
[[nodiscard]] std::int32_t gcwritelp(std::string_view description, std::string_view filename);
// A fixed-column MPS number field: 12 characters, right-aligned.
[[nodiscard]] q5rt::sstr floattomps(double value);

// ---- diagnostic files ----
// The dump of the instance; flag 0 folds each tree before its text, another flag writes
// the unfolded tree with that flag. 0, or 1 when the file cannot be opened.
std::int32_t gcdump(std::string_view filename, std::int32_t flag);
// The Jacobian tester file: the number of differences marked (0 when the file cannot be
// opened).
std::int32_t gctester(std::string_view filename);

// ---- DAG text ----
// The model in the Vienna DAG text format: 0, or the open result.
[[nodiscard]] std::int32_t gcvienna(std::string_view description, std::string_view filename);

// ---- defined variables and the conversion program ----
// Pairs =E= rows with free columns they determine through a linear term: the model
// record's defrowlist, defcollist, defcount, defnrows and deffixcols.
void extractdefinedvariables();
// Runs the solver table's "convert" program on the control file, control integer 104 set
// to 273 for the run; the control file and the log are restored afterwards, whatever the
// program did. 0 when the program ran and ended with exit code 0; 1 after a message.
std::int32_t convosil(std::string_view description, std::string_view filename);
// One scalar parameter into a data-exchange file open for writing.
void vrkscalari(void* handle, std::string_view name, std::string_view text, std::int32_t value);
void vrkscalarr(void* handle, std::string_view name, std::string_view text, double value);

// The pool entries the derivative code relies on: position (from 1) and value.
struct poolconstant {
  std::int32_t position;
  double value;
};
extern const std::array<poolconstant, 7> diffpool;
// True when pool holds every entry of diffpool.
[[nodiscard]] bool diffpoolok(std::span<const double> pool);

}  // namespace gcutil
