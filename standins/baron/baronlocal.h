// The stand-in BARON's local subproblem through the modelling system's solver: it loads the
// bridge library named by "zolmlibname" (RTLD_NOW | RTLD_LOCAL) and drives it as BARON does:
// baronzolm_init with the control file and BARON's date stamp, one baronzolm_solveprob on
// the whole model in BARON's order (bounds and starting point as BARON sees them), then
// baronzolm_free. The library is closed again afterwards.
//
// Which solver: the value of BARON's local NLP solver option (NLPSol) in the OPTIONS section.
//   3 to 15   solver k of the bridge's local solver table (its availability slot must be 2)
//   16        the option file's choice: 101 (ExtMINLPsolver) when the model has binary or
//             integer variables, else 100 (ExtNLPsolver)
//   otherwise BARON's own search, the bridge is not loaded
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "standins/baron/baronparse.h"

namespace baronlocal {

// The date stamp the stand-in hands to baronzolm_init.
inline constexpr std::int32_t barondate = 20240508;
// The NLPSol value that asks for the option file's solver.
inline constexpr int optionfilechoice = 16;

// The solver number the NLPSol option's text asks for; 0 when it asks for none.
[[nodiscard]] int solvernumber(const baronparse::model& m, const std::string& nlpsol);

struct result {
  bool solved = false;    // the bridge was loaded and initialised and the solve returned 0
  std::string message;    // why not, when not solved; else empty
  std::int32_t code = 0;  // baronzolm_solveprob's result
  std::int32_t modelstat = 0, solvestat = 0;
  std::vector<double> levels, marginals;  // BARON's variable order
  std::vector<double> equmarginals;       // the equations with a place in BARON's order
};

// One local solve of the model with solver number `solver` through the bridge `library`.
[[nodiscard]] result solve(const baronparse::model& m, const std::string& library,
                           const std::string& ctrlfile, int solver);

}  // namespace baronlocal
