// writemodel: runs one of the conversion writers on a model instance, for the tests and
// for looking at the files they write.
//
//   writemodel <control file> <writer> <out file>
//
// writer: mps (fixed columns), freemps, lp, dump, tester, dag, defvars (the defined-variable
// lists on standard output; the out file is not used), convert (the conversion program's
// run). The instance is loaded as baronlink loads it, with the log and the status file
// that the control file names. Exit code 0 when the writer succeeded; 1 with a message for
// a bad command line, a control file that cannot be loaded or a writer that failed.
#include <cstdint>
#include <string_view>

#include "baron/gcutil.h"
#include "frame/q5rt.h"
#include "frame/q5text.h"
#include "frame/strutilx_numbers.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"
#include "support/toolmain.h"

namespace {

constexpr std::string_view usage =
    "usage: writemodel <control file> <mps|freemps|lp|dump|tester|dag|defvars|convert> <out file>";

void writeline(std::string_view text) {
  q5rt::textfile& out = q5rt::output();
  out.writeln(text);
  out.flush();
}

void list(std::string_view title, const std::vector<std::int32_t>& v) {
  std::string text(title);
  for (const std::int32_t k : v) text += " " + std::to_string(k);
  writeline(text);
}

void defvars() {
  gcutil::extractdefinedvariables();
  const gcdata::tmodel& m = gcdata::mymodel;
  writeline(q5rt::concat("defcount ", strutilx::inttostrw(m.defcount, 0), " defnrows ",
                         strutilx::inttostrw(m.defnrows, 0), " deffixcols ",
                         strutilx::inttostrw(m.deffixcols, 0)));
  list("rows", m.defrowlist);
  list("cols", m.defcollist);
}

// The writer's result: 0 success.
int write(std::string_view writer, std::string_view out) {
  if (writer == "mps") return gcutil::gcwritemps("MPS", out);
  if (writer == "freemps") return gcutil::gcwritemps("CplexMPS", out);
  if (writer == "lp") return gcutil::gcwritelp("LP", out);
  if (writer == "dump") return gcutil::gcdump(out, 0);
  if (writer == "tester") {
    const std::int32_t n = gcutil::gctester(out);
    writeline(q5rt::concat("Jacobian differences: ", strutilx::inttostrw(n, 0)));
    return 0;
  }
  if (writer == "dag") return gcutil::gcvienna("DAG", out);
  if (writer == "defvars") return defvars(), 0;
  if (writer == "convert") return gcutil::convosil("Converted", out);
  writeline(usage);
  return 1;
}

int run(int argc, char** argv) {
  if (argc != 4) {
    writeline(usage);
    return 1;
  }
  q5rt::sstr msg;
  if (!gcload::loadcontrol(argv[1], msg)) {
    writeline(q5rt::concat("*** Could not load control file \"", argv[1], "\""));
    writeline(q5rt::concat("*** Msg=", msg));
    return 1;
  }
  gcdata::gcopenlog();
  gcdata::gcopenstat();
  (void)gcload::loaddata();
  const int rc = write(argv[2], argv[3]);
  if (rc != 0)
    writeline(
        q5rt::concat("*** writemodel: ", argv[2], " failed, rc=", strutilx::inttostrw(rc, 0)));
  gcdata::gcclosestat();
  gcdata::gccloselog();
  return rc == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) { return toolmain::run("writemodel", argc, argv, run); }
