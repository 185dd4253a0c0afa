// Model-type lookup by name and the long texts.
#include "instance/ctvproc.h"

#include "frame/strutilx.h"

namespace ctvproc {

namespace {

constexpr std::array<std::string_view, proc_count> proctexts = {
    "NONE",
    "Linear Programming",
    "Mixed-Integer Programming",
    "Relaxed Mixed-Integer Programming",
    "Non-Linear Programming",
    "Mixed Complementarity Problems",
    "Mathematical Programs with Equilibrium Constraints",
    "Relaxed Mathematical Programs with Equilibrium Constraints",
    "Constrained Nonlinear Systems",
    "Non-Linear Programming with Discontinuous Derivatives",
    "Relaxed Mixed-Integer Non-Linear Programming",
    "Mixed-Integer Non-Linear Programming",
    "Quadratically Constrained Programs",
    "Mixed Integer Quadratically Constrained Programs",
    "Relaxed Mixed Integer Quadratically Constrained Programs",
    "Extended Mathematical Programs"};

}  // namespace

int getprocname(std::string_view name) {
  // Later types first; type 0 is never compared.
  for (int t = proc_count - 1; t >= 1; --t)
    if (strutilx::struequal(name, procnames[static_cast<std::size_t>(t)])) return t;
  return 0;
}

q5rt::sstr getproctext(int proctype) {
  if (proctype < 0 || proctype >= proc_count) return q5rt::sstr::cut("Missing Text");
  return q5rt::sstr::cut(proctexts[static_cast<std::size_t>(proctype)]);
}

}  // namespace ctvproc
