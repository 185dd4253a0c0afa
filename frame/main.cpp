// baronlink: the solver link between Zolm and BARON. One argument: the control file's path,
// or "AUDIT" (in any case) for the banner line.
#include <cstdio>
#include <string_view>

#include "frame/kvbaudit.h"
#include "frame/q5rt.h"

namespace {

constexpr std::string_view systemname = "Zolm/BARON";
constexpr std::string_view noargument = "*** Zolm/BARON called with no control file name\n";

void writeout(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

}  // namespace

int main(int argc, char** argv) {
  q5rt::run_startups();
  if (argc < 2) {
    writeout(noargument);
    q5rt::exitcode = 1;
    return q5rt::exitcode;
  }
  const q5rt::sstr firstarg = q5rt::sstr::cut(argv[1]);
  kvbaudit::kvbsetsystemname(systemname);
  if (kvbaudit::isauditarg(firstarg)) {
    q5rt::sstr banner;
    kvbaudit::kvbgetauditline(banner);
    writeout(banner);
    writeout("\n");
    q5rt::exitcode = 0;
    return q5rt::exitcode;
  }
  return q5rt::exitcode;
}
