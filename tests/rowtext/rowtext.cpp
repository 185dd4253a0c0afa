// rowtext: the algebraic text of a model instance's rows, for tests of the expression
// pipeline on whole instances.
//
//   rowtext <control file> [--style N]
//
// Loads the instance as baronlink does, then writes on standard output the written-model
// header with prefix "//  " and, for every row with instruction code, the statement
// "e<row>: " <text> ";" (tree, all five rewrites, folding, style N, default 2) through the
// line writer at width 79, indent 3. Tree messages go to standard output. Exit code 0; 1
// for a bad command line or a control file that cannot be loaded.
#include <cstdint>
#include <string>
#include <string_view>

#include "baron/gcutil.h"
#include "baron/liutil.h"
#include "frame/q5rt.h"
#include "frame/q5text.h"
#include "frame/strutilx_numbers.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"
#include "support/toolmain.h"

namespace {

constexpr std::string_view usage = "usage: rowtext <control file> [--style N]";

void writeline(std::string_view text) {
  q5rt::textfile& out = q5rt::output();
  out.writeln(text);
  out.flush();
}

// One row's statement; a refused tree leaves the row out (its message is written).
void writerow(std::int32_t r, std::int32_t style) {
  const gcdata::tmodel& m = gcdata::mymodel;
  const std::size_t i = static_cast<std::size_t>(r) - 1;
  gcutil::node* root = gcutil::buildtree(m.rowfirstinstr[i], m.rowlastinstr[i], m.instr, m.pool);
  if (root != nullptr) {
    gcutil::transformtree(m.nodefirst, true, true, true, true, true);
    gcutil::cleantree(m.nodefirst);
    const q5rt::sstr head = q5rt::concat("e", strutilx::inttostrw(r, 0), ": ");
    liutil::lifirst(head, static_cast<std::int32_t>(head.size()));
    gcutil::donlcode(root, style, "", 0);
    liutil::lilast(";");
  }
  gcdata::frenlrec();
}

int run(int argc, char** argv) {
  std::int32_t style = 2;
  if (argc == 4 && std::string_view(argv[2]) == "--style") {
    style = static_cast<std::int32_t>(std::stoi(argv[3]));
  } else if (argc != 2) {
    writeline(usage);
    return 1;
  }
  q5rt::sstr msg;
  if (!gcload::loadcontrol(argv[1], msg)) {
    writeline(q5rt::concat("*** Could not load control file \"", argv[1], "\""));
    writeline(q5rt::concat("*** Msg=", msg));
    return 1;
  }
  (void)gcload::loaddata();
  q5rt::textfile& out = q5rt::output();
  gcutil::gcheader(out, "//  ");
  liutil::liset(out, 79, 3);
  const gcdata::tmodel& m = gcdata::mymodel;
  for (std::int32_t r = 1; r <= m.rows && static_cast<std::size_t>(r) <= m.rowfirstinstr.size();
       ++r) {
    if (m.rowfirstinstr[static_cast<std::size_t>(r) - 1] > 0) writerow(r, style);
  }
  liutil::liend();
  out.flush();
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return toolmain::run("rowtext", argc, argv, run); }
