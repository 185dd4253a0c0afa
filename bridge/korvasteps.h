// The three C exports of libkorvasteps64, the library BARON loads to have local NLP and
// MINLP subproblems solved by Zolm's solvers on the model instance itself. BARON calls
// baronzolm_init once, baronzolm_solveprob once per subproblem and baronzolm_free last, one
// call at a time; the state behind the handle is the bridge's own.
//
// Results: init 0 ready, 1 failure (the handle is stored even then and must be freed);
// solveprob the local solver call's result, 1 when the bridge refuses the call; free the
// option library's unload result (1 unloaded or not loaded, 0 while option objects live).
// Messages go to standard error, the refusal of a too new BARON to the log and status file.
#pragma once

#include <cstdint>

extern "C" {

using baronzolm_callback = void (*)();

using baronzolm_init_fn = std::int32_t (*)(void** state, const char* controlFile,
                                           std::int32_t* out3, std::int32_t* out4,
                                           std::int32_t* out5, std::int32_t* out6,
                                           std::int32_t* out7, std::int32_t* solverAvail,
                                           std::int32_t nSolverAvail, std::int32_t baronDate,
                                           baronzolm_callback callback, std::int32_t* out12);

using baronzolm_solveprob_fn = std::int32_t (*)(
    void* state, const std::int32_t* solver, const char* optFile, const char* solverText,
    const std::int32_t* allContinuous, const double* arg6, const std::int32_t* arg7,
    const std::int32_t* nodeLimit, const std::int32_t* arg9, const double* arg10,
    const double* arg11, const double* lower, const double* upper, double* levels,
    double* marginals, const std::int32_t* wantEquMarginals, double* equMarginals,
    std::int32_t* modelStat, std::int32_t* solveStat, double* headTail5, double* headTail15,
    std::int32_t* headTail3, std::int32_t* headTail11);

using baronzolm_free_fn = std::int32_t (*)(void* state);

}  // extern "C"

namespace korvasteps {

// The last BARON date stamp (yyyymmdd) this bridge serves.
inline constexpr std::int32_t newestbaron = 20240508;
// Solver-availability slots advertised: 0 to 15.
inline constexpr std::int32_t availableslots = 16;
// Option-file numbers the bridge turns into names: 1 to 999.
inline constexpr std::int32_t maxoptfile = 999;

}  // namespace korvasteps
