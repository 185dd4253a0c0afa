// Unit zlmspecs, the modelling system's shared vocabulary: special values, status texts
// and flags, variable and equation type tables, and the Jacobian element.
//
// Usage:
//   if (zlmspecs::mapval(x) != 0) ...            // x is a special value
//   zlmspecs::modelstatustxt[st]                   // "1 Optimal" ... (index = status)
//   if (zlmspecs::modelsolution[st]) ...           // rows and columns are reported
// Everything here is constant data or a pure function.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace zlmspecs {

// A set of small codes 0..31 (model types, opcodes, type kinds).
struct codeset {
  std::uint32_t bits = 0;

  constexpr codeset() = default;
  constexpr codeset(std::initializer_list<int> members) {
    for (const int m : members) bits |= std::uint32_t{1} << m;
  }
  [[nodiscard]] constexpr bool contains(int code) const {
    return code >= 0 && code < 32 && ((bits >> code) & 1U) != 0;
  }
};

// ---- special values: every double at or above valund is special ----
inline constexpr double valund = 1e300;  // undefined
inline constexpr double valna = 2e300;   // not available
inline constexpr double valpin = 3e300;  // plus infinity
inline constexpr double valmin = 4e300;  // minus infinity
inline constexpr double valeps = 5e300;  // epsilon
inline constexpr double valacr = 1e301;  // acronym k is k * valacr
inline constexpr double valiup = 3e300;  // same as plus infinity
inline constexpr double valbig = 1e299;
inline constexpr double valsmall = -1e299;
inline constexpr double valtiny = 1e-250;
inline constexpr std::int32_t valnaint = 2100000000;
inline constexpr double defiterlim = 2e9;

// The older encoding with multiples of 1e30.
inline constexpr double old_valund = 1e30;
inline constexpr double old_valna = 2e30;
inline constexpr double old_valpin = 3e30;
inline constexpr double old_valmin = 4e30;
inline constexpr double old_valeps = 5e30;
inline constexpr double old_valacr = 1e31;

// Class 0 ordinary, 1 undefined (also NaN and unrecognised specials), 2 not available,
// 3 plus infinity, 4 minus infinity, 5 epsilon, 6 acronym.
[[nodiscard]] int mapval(double x);
// Class 0 negative, 1 zero, 2 positive, then the special classes of mapval plus two.
[[nodiscard]] int xmapval(double x);
// A value of the older encoding in the current one.
[[nodiscard]] double old_new_val(double x);

// ---- status texts (index = status number; reserved numbers are empty) ----
inline constexpr std::array<std::string_view, 14> solvestatustxt = {"",
                                                                    "1 Normal Completion",
                                                                    "2 Iteration Interrupt",
                                                                    "3 Resource Interrupt",
                                                                    "4 Terminated By Solver",
                                                                    "5 Evaluation Interrupt",
                                                                    "6 Capability Problems",
                                                                    "",
                                                                    "8 User Interrupt",
                                                                    "9 Setup Failure",
                                                                    "10 Solver Failure",
                                                                    "11 Internal Solver Failure",
                                                                    "12 Solve Processing Skipped",
                                                                    "13 System Failure"};

inline constexpr std::array<std::string_view, 20> modelstatustxt = {"",
                                                                    "1 Optimal",
                                                                    "2 Locally Optimal",
                                                                    "3 Unbounded",
                                                                    "4 Infeasible",
                                                                    "5 Locally Infeasible",
                                                                    "6 Intermediate Infeasible",
                                                                    "7 Feasible Solution",
                                                                    "8 Integer Solution",
                                                                    "9 Intermediate Non-Integer",
                                                                    "10 Integer Infeasible",
                                                                    "",
                                                                    "12 Error Unknown",
                                                                    "13 Error No Solution",
                                                                    "14 No Solution Returned",
                                                                    "15 Solved Unique",
                                                                    "16 Solved",
                                                                    "17 Solved Singular",
                                                                    "18 Unbounded - No Solution",
                                                                    "19 Infeasible - No Solution"};

// Flag tables (index = status number, slot 0 unused).
// A model status for which rows and columns are reported.
inline constexpr std::array<std::int32_t, 20> modelsolution = {0, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                                               0, 0, 0, 0, 0, 1, 1, 1, 0, 0};
inline constexpr std::array<std::int32_t, 20> modeltrigger = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                              0, 0, 1, 1, 0, 0, 0, 0, 0, 0};
inline constexpr std::array<std::int32_t, 14> solvetrigger = {0, 0, 0, 0, 0, 0, 0,
                                                              0, 0, 0, 1, 1, 0, 1};

// ---- type tables ----
// Row types of the model record: =E= equality, =G= greater or equal, =L= less or equal,
// =N= free (no relation), =X= external, =C= cone, =B= Boolean (logic).
enum rowtype : std::int32_t { rowe, rowg, rowl, rown, rowx, rowc, rowb };
inline constexpr int rowtype_count = rowb + 1;
// Column types of the model record.
enum coltype : std::int32_t { colcont, colbin, colint, colsos1, colsos2, colsemicont, colsemiint };
inline constexpr int coltype_count = colsemiint + 1;

// Column types as written in models (index = column type).
inline constexpr std::array<std::string_view, coltype_count> varstyp = {"x",   "b",  "i", "s1s",
                                                                        "s2s", "sc", "si"};
// Row types as one letter each (index = row type).
inline constexpr std::string_view equctyp = "EGLNXCB";
static_assert(equctyp.size() == rowtype_count);
inline constexpr std::array<std::string_view, rowtype_count> equstyp = {
    " =E= ", " =G= ", " =L= ", " =N= ", " =X= ", " =C= ", " =B= "};
inline constexpr std::array<std::string_view, 10> varstyptxt = {
    "unknown ", "binary  ", "integer ", "positive", "negative",
    "free    ", "sos1    ", "sos2    ", "semicont", "semiint "};
inline constexpr codeset varstypi{1, 2, 6, 7, 8, 9};  // discrete kinds
inline constexpr codeset varstypx{3, 4, 5};           // continuous kinds by bound
inline constexpr std::array<std::string_view, 5> sufftxt = {"L", "M", "LO", "UP", "SCALE"};

inline constexpr std::array<std::string_view, 3> solveopttxt = {"0 Replace", "1 Merge", "2 Clear"};
inline constexpr std::array<std::string_view, 8> solvelinktxt = {
    "0 Chain Script",   "1 Call Script",  "2 Call Module",   "3 Async Grid",
    "4 Async Simulate", "5 Load Library", "6 ASync Threads", "7 Threads Simulate"};
inline constexpr std::array<std::string_view, 6> solprinttxt = {
    "0 Summary", "1 Report", "2 Quiet", "0 Off", "1 On", "2 Silent"};
inline constexpr std::array<std::string_view, 5> platformcodetxt = {"0 Unknown", "1 DEX", "2 LEX",
                                                                    "3 WEX", "4 DAX"};
inline constexpr std::array<std::string_view, 4> handlestattxt = {"0 Unknown", "1 Running",
                                                                  "2 Ready", "3 Failure"};

// One nonzero of the Jacobian, linked into its row's list, its row's nonlinear list and
// its column's list at once. Rows and columns count from 1.
struct tjacrec {
  double jacval = 0.0;
  tjacrec* rownext = nullptr;
  tjacrec* rownlnext = nullptr;
  tjacrec* colnext = nullptr;
  std::int32_t row = 0;
  std::int32_t col = 0;
  bool nonlin = false;
};

}  // namespace zlmspecs
