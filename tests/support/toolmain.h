// The main frame of the test programs (rowtext, writemodel, scratchcopy): the units'
// start-ups, the program's own run, its exit code. An exception ends the program with exit
// code 1 and "*** <program>: <what>" on standard output.
//
// Usage:
//   int main(int argc, char** argv) { return toolmain::run("rowtext", argc, argv, run); }
#pragma once

#include <cstdio>
#include <exception>

#include "frame/q5rt.h"

namespace toolmain {

inline int run(const char* program, int argc, char** argv, int (*body)(int, char**)) {
  try {
    q5rt::run_startups();
    q5rt::exitcode = body(argc, argv);
    return q5rt::exitcode;
  } catch (const std::exception& e) {
    std::fprintf(stdout, "*** %s: %s\n", program, e.what());
    return 1;
  }
}

}  // namespace toolmain
