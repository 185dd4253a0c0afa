// baronlink: the solver link between Zolm and BARON. One argument: the control file's path,
// or "AUDIT" (in any case) for the banner line.
#include <string_view>

#include "frame/kvbaudit.h"
#include "frame/q5rt.h"
#include "frame/q5text.h"

namespace {

constexpr std::string_view systemname = "Zolm/BARON";
constexpr std::string_view noargument = "*** Zolm/BARON called with no control file name";

// A line on standard output; a failed write raises the I/O exception.
void writeline(std::string_view text) {
  auto& out = q5rt::output();
  out.writeln(text);
  out.flush();
}

}  // namespace

int main(int argc, char** argv) {
  q5rt::run_startups();
  if (argc < 2) {
    writeline(noargument);
    q5rt::exitcode = 1;
    return q5rt::exitcode;
  }
  const q5rt::sstr firstarg = q5rt::sstr::cut(argv[1]);
  kvbaudit::kvbsetsystemname(systemname);
  if (kvbaudit::isauditarg(firstarg)) {
    q5rt::sstr banner;
    kvbaudit::kvbgetauditline(banner);
    writeline(banner);
    q5rt::exitcode = 0;
    return q5rt::exitcode;
  }
  return q5rt::exitcode;
}
