// Model-type lookup by name and the long texts.
#include "instance/ctvproc.h"

#include <algorithm>

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

constexpr char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool same_ascii_nocase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upper(x) == upper(y); });
}

}  // namespace

int getprocname(std::string_view name) {
  // Later types first; type 0 is never compared.
  for (int t = proc_count - 1; t >= 1; --t)
    if (same_ascii_nocase(name, procnames[static_cast<std::size_t>(t)])) return t;
  return 0;
}

q5rt::sstr getproctext(int proctype) {
  if (proctype < 0 || proctype >= proc_count) return q5rt::sstr::cut("Missing Text");
  return q5rt::sstr::cut(proctexts[static_cast<std::size_t>(proctype)]);
}

}  // namespace ctvproc
