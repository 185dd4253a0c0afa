// empcheck: loads an EMP information file against a model, as the modelling system's other
// solver links would, and prints the loader's result and the EMP record; or, with --items,
// prints the item reader's view of an EMP file. A test driver, not part of the link.
//
//   empcheck [switches] <control file> <EMP file>
//   empcheck --items <EMP file>
//
// Switches: --nobounds (the loader without column bounds), --nonbinaryok, --keepobjrow,
// --replication, --sharedequ, --solver <name>. Log text and status-file lines are written
// to standard output as they come, prefixed "log| " and "sta| ".
#include <cstdio>
#include <string>
#include <string_view>

#include "empcheck/empmodel.h"
#include "frame/statlib.h"
#include "instance/gcdata.h"

namespace {

void echo(const q5rt::sstr& text, std::int32_t channel, void*) {
  std::fputs(channel == 1 ? "sta| " : "log| ", stdout);
  std::fwrite(text.data(), 1, text.size(), stdout);
}

int usage() {
  std::fputs(
      "usage: empcheck [--nobounds] [--nonbinaryok] [--keepobjrow] [--replication]\n"
      "                [--sharedequ] [--solver <name>] <control file> <EMP file>\n"
      "       empcheck --items <EMP file>\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  q5rt::run_startups();
  const std::string_view first = argc > 1 ? argv[1] : "";
  if (first == "--items") {
    if (argc != 3) return usage();
    std::fputs(empmodel::dumpitems(argv[2]).c_str(), stdout);
    return 0;
  }
  bool bounds = true, nonbinaryok = false, keepobjrow = false, replication = false,
       sharedequ = false;
  std::string solver = "empcheck";
  int at = 1;
  for (; at < argc && std::string_view(argv[at]).starts_with("--"); ++at) {
    const std::string_view s = argv[at];
    if (s == "--nobounds")
      bounds = false;
    else if (s == "--nonbinaryok")
      nonbinaryok = true;
    else if (s == "--keepobjrow")
      keepobjrow = true;
    else if (s == "--replication")
      replication = true;
    else if (s == "--sharedequ")
      sharedequ = true;
    else if (s == "--solver" && at + 1 < argc)
      solver = argv[++at];
    else
      return usage();
  }
  if (argc - at != 2) return usage();
  statlib::registerwritecallback(&echo, nullptr);
  (void)statlib::gstatopen(3, 0, "");
  q5rt::sstr msg;
  if (!empmodel::loadmodel(argv[at], msg)) {
    std::printf("*** could not load the model: %.*s\n", static_cast<int>(msg.size()), msg.data());
    return 1;
  }
  const gcdata::tmodel& m = gcdata::mymodel;
  empdata::empalloc(m.cols, m.rows);
  empdata::myemp.solvername = q5rt::sstr::cut(solver);
  empdata::myemp.replication = replication ? 1 : 0;
  empdata::myemp.sharedequ = sharedequ ? 1 : 0;
  empdata::emploadargs args = empmodel::loadargs(argv[at + 1], bounds);
  args.nonbinaryok = nonbinaryok ? 1 : 0;
  args.keepobjrow = keepobjrow ? 1 : 0;
  const std::int32_t rc = empdata::emploadex(args);
  std::printf("result %d\n", static_cast<int>(rc));
  std::fputs(empmodel::dumprecord().c_str(), stdout);
  return 0;  // the record goes with the unit's close-down
}
