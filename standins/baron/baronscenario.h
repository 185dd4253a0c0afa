// Scenarios of the stand-in BARON, chosen by BARON_STANDIN_SCENARIO=<file>: what the result
// files say in place of the default answer, and faults of the files and the exit code.
// The file format is in standins/README.md.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "standins/baron/baronresults.h"

namespace baronscenario {

// What happens to one result file after it is written.
struct filefault {
  bool omit = false;   // not written at all
  bool empty = false;  // written empty
  long long cut = -1;  // cut after this many bytes
};

struct scenario {
  std::map<std::string, std::string> tim;  // tim token ("barstatus", ...) -> its text
  std::string timline;                     // the whole tim line
  std::optional<baronresults::form> resform;
  std::vector<baronresults::solution> solutions;
  bool nodual = false;
  std::vector<std::string> vardual, equdual, ray;
  std::vector<baronresults::iisentry> iisrows, iiscols;
  std::vector<std::string> reslines;  // appended to the res file
  bool dexponent = false;
  std::map<std::string, filefault> faults;  // "tim", "sum", "res"
  int exitcode = 0;
};

// Reads a scenario file; false with "<file>:<line>: <what>" in error.
[[nodiscard]] bool read(const std::string& path, scenario& s, std::string& error);

// Puts the scenario's choices into an outcome built from the default answer.
void apply(const scenario& s, baronresults::outcome& o);

}  // namespace baronscenario
