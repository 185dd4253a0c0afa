// The BARON translation as the program's run sees it: the preparation of one BARON run
// and the reading of BARON's results.
//
// Usage:
//   q5rt::sstr execline;
//   if (gcbaron::prebaron(execline) == 0) { run(execline); gcbaron::postbaron(); }
//
// This program does not translate models for BARON yet: the preparation reports that no
// run takes place and leaves solver and model status at 13 and 13.
#pragma once

#include <cstdint>
#include <string_view>

#include "frame/q5rt.h"

namespace gcbaron {

inline constexpr std::string_view norun = "--- BARON is not run: this link does not translate models";

// 0 when BARON is to be run with the shell command line in execline; any other value when
// no run takes place, the solution file's status pair being set already.
[[nodiscard]] std::int32_t prebaron(q5rt::sstr& execline);

// After BARON's run: its results into the model record.
void postbaron();

}  // namespace gcbaron
