// Shared by the fuzz targets whose units report on the process's standard output (a line
// per unknown instruction, a halt's line): that text file goes to /dev/null, so that a run
// of millions of inputs writes nothing. The program's own runs are untouched.
#pragma once

#include "frame/q5text.h"

namespace quietfuzz {

inline void silence() {
  static const bool silenced = [] {
    q5rt::textfile& out = q5rt::output();
    out.assign("/dev/null");
    out.rewrite();
    return true;
  }();
  (void)silenced;
}

}  // namespace quietfuzz
