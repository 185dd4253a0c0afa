// baronlink: the solver link between Zolm and BARON. One argument: the control file's path,
// or "AUDIT" for the banner line.
#include <cstdio>
#include <string_view>

#include "frame/q5rt.h"

int main(int argc, char** /*argv*/) {
  q5rt::run_startups();
  if (argc < 2) {
    std::fputs("*** Zolm/BARON called with no control file name\n", stdout);
    return 1;
  }
  return 0;
}
