// The local subproblem through the bridge library (see baronlocal.h).
#include "standins/baron/baronlocal.h"

#include <dlfcn.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

#include "bridge/korvasteps.h"

namespace baronlocal {

namespace {

using baronparse::vartype;

constexpr int firsttablesolver = 3, lasttablesolver = 15;
constexpr int nlpsolver = 100, minlpsolver = 101;
constexpr std::int32_t availslots = 20;
constexpr double infinity = 1e51;  // BARON's infinite bound towards the bridge

struct closer {
  void operator()(void* handle) const { (void)dlclose(handle); }
};
using libhandle = std::unique_ptr<void, closer>;

template <typename F>
F entry(void* lib, const char* name) {
  return reinterpret_cast<F>(dlsym(lib, name));
}

double finite(double bound) { return std::clamp(bound, -infinity, infinity); }

}  // namespace

int solvernumber(const baronparse::model& m, const std::string& nlpsol) {
  double v = 0;
  const auto [end, ec] = std::from_chars(nlpsol.data(), nlpsol.data() + nlpsol.size(), v);
  if (ec != std::errc() || end != nlpsol.data() + nlpsol.size() || v != std::floor(v)) return 0;
  if (v >= firsttablesolver && v <= lasttablesolver) return static_cast<int>(v);
  if (v != optionfilechoice) return 0;
  const bool discrete = std::any_of(m.variables.begin(), m.variables.end(),
                                    [](const auto& x) { return x.type != vartype::continuous; });
  return discrete ? minlpsolver : nlpsolver;
}

result solve(const baronparse::model& m, const std::string& library, const std::string& ctrlfile,
             int solver) {
  result r;
  const libhandle lib(dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!lib) {
    const char* why = dlerror();
    r.message = "cannot load " + library + ": " + (why != nullptr ? why : "");
    return r;
  }
  const auto init = entry<baronzolm_init_fn>(lib.get(), "baronzolm_init");
  const auto solveprob = entry<baronzolm_solveprob_fn>(lib.get(), "baronzolm_solveprob");
  const auto release = entry<baronzolm_free_fn>(lib.get(), "baronzolm_free");
  if (init == nullptr || solveprob == nullptr || release == nullptr) {
    r.message = library + " lacks an entry of baronzolm_init, baronzolm_solveprob, baronzolm_free";
    return r;
  }

  void* state = nullptr;
  std::int32_t outs[5] = {}, ready = 0;
  std::vector<std::int32_t> avail(availslots, 0);
  const std::int32_t initcode =
      init(&state, ctrlfile.c_str(), &outs[0], &outs[1], &outs[2], &outs[3], &outs[4], avail.data(),
           availslots, barondate, nullptr, &ready);
  if (initcode != 0) {
    (void)release(state);
    r.message = "baronzolm_init answered " + std::to_string(initcode);
    return r;
  }
  if (solver <= lasttablesolver && avail[static_cast<std::size_t>(solver)] != 2) {
    (void)release(state);
    r.message = "solver " + std::to_string(solver) + " is not available";
    return r;
  }

  const std::size_t n = m.variables.size();
  std::vector<double> lower(n), upper(n);
  r.levels.resize(n);
  r.marginals.assign(n, 0.0);
  for (std::size_t j = 0; j < n; ++j) {
    const baronparse::variable& v = m.variables[j];
    lower[j] = finite(v.lower);
    upper[j] = finite(v.upper);
    r.levels[j] = std::clamp(v.hasstart ? v.start : 0.0, lower[j], std::max(lower[j], upper[j]));
  }
  r.equmarginals.assign(static_cast<std::size_t>(std::count_if(
                            m.equations.begin(), m.equations.end(),
                            [](const baronparse::equation& q) { return q.hasplace(); })),
                        0.0);
  // Arguments 6, 7, 9, 10 and 11 go to the solver call unread by the bridge.
  const std::int32_t number = solver, allcontinuous = 0, nodelimit = 0, wantequ = 1;
  const std::int32_t arg7 = 0, arg9 = 0;
  const double arg6 = 0, arg10 = 0, arg11 = 0;
  std::int32_t headtail3 = 0, headtail11 = 0;
  double headtail5 = 0, headtail15 = 0;
  r.code = solveprob(state, &number, nullptr, nullptr, &allcontinuous, &arg6, &arg7, &nodelimit,
                     &arg9, &arg10, &arg11, lower.data(), upper.data(), r.levels.data(),
                     r.marginals.data(), &wantequ, r.equmarginals.data(), &r.modelstat,
                     &r.solvestat, &headtail5, &headtail15, &headtail3, &headtail11);
  (void)release(state);
  r.solved = r.code == 0;
  if (!r.solved) r.message = "baronzolm_solveprob answered " + std::to_string(r.code);
  return r;
}

}  // namespace baronlocal
