// Model types: names, long texts, the sets that group them and the lookup by name.
//
// Usage:
//   int t = ctvproc::getprocname("minlp");            // 11
//   if (ctvproc::pdrelaxed.contains(t)) ...
//   q5rt::sstr text = ctvproc::getproctext(t);        // "Mixed-Integer Non-Linear Programming"
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "frame/q5rt.h"
#include "instance/zlmspecs.h"

namespace ctvproc {

// Model type codes.
enum proctype : std::uint8_t {
  proc_none,
  proc_lp,
  proc_mip,
  proc_rmip,
  proc_nlp,
  proc_mcp,
  proc_mpec,
  proc_rmpec,
  proc_cns,
  proc_dnlp,
  proc_rminlp,
  proc_minlp,
  proc_qcp,
  proc_miqcp,
  proc_rmiqcp,
  proc_emp,
};
inline constexpr int proc_count = proc_emp + 1;

inline constexpr std::array<std::string_view, proc_count> procnames = {
    "NONE", "LP",   "MIP",    "RMIP",  "NLP", "MCP",   "MPEC",   "RMPEC",
    "CNS",  "DNLP", "RMINLP", "MINLP", "QCP", "MIQCP", "RMIQCP", "EMP"};

inline constexpr zlmspecs::codeset pdpairs{proc_mcp, proc_mpec, proc_rmpec, proc_cns, proc_emp};
inline constexpr zlmspecs::codeset pdskiplist{proc_none};
inline constexpr zlmspecs::codeset pdtrylinear{proc_nlp, proc_dnlp,  proc_rminlp, proc_minlp,
                                               proc_qcp, proc_miqcp, proc_rmiqcp};
inline constexpr zlmspecs::codeset pdrelaxed{proc_rmip, proc_rmpec, proc_rminlp, proc_rmiqcp};
inline constexpr zlmspecs::codeset pdiscontinuous{proc_dnlp, proc_rminlp, proc_minlp, proc_emp};
inline constexpr zlmspecs::codeset pcontinuous{proc_nlp,    proc_mcp,   proc_mpec, proc_cns,
                                               proc_rminlp, proc_minlp, proc_qcp,  proc_miqcp,
                                               proc_rmiqcp, proc_emp};
inline constexpr zlmspecs::codeset pnonlinear{proc_nlp, proc_mcp,   proc_mpec,   proc_rmpec,
                                              proc_cns, proc_dnlp,  proc_rminlp, proc_minlp,
                                              proc_qcp, proc_miqcp, proc_rmiqcp, proc_emp};
inline constexpr zlmspecs::codeset pdiscrete{proc_mip,   proc_rmip,   proc_mpec,
                                             proc_rmpec, proc_rminlp, proc_minlp,
                                             proc_miqcp, proc_rmiqcp, proc_emp};
inline constexpr zlmspecs::codeset pshortform{proc_mcp, proc_cns};

// The model type whose name equals the text (ASCII case ignored); 0 when none does
// ("NONE" included).
[[nodiscard]] int getprocname(std::string_view name);

// The long text of a model type; "Missing Text" for any other number.
[[nodiscard]] q5rt::sstr getproctext(int proctype);

}  // namespace ctvproc
