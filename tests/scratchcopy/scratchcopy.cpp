// scratchcopy: a model instance written again in another scratch layout, for tests.
//
//   scratchcopy <control file> <layout 0..5> <out folder>
//
// Loads the instance as baronlink does and writes into the out folder "model.mat" and
// "model.cod" (layouts 0 to 4) or "model.vrk" (layout 5, matrix and code in one file),
// and "model.ctl": the control file with the new file type and these names, given without
// a folder (a run in the out folder finds them); every other entry as it was. Exit code 0,
// 1 with a line on standard output when something fails.
#include <string>
#include <string_view>

#include "frame/q5rt.h"
#include "frame/q5text.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"
#include "instance/gdutils.h"
#include "support/scratchwrite.h"
#include "support/toolmain.h"

namespace {

int failed(std::string_view text) {
  q5rt::output().writeln(q5rt::concat("*** scratchcopy: ", text));
  q5rt::output().flush();
  return 1;
}

int run(int argc, char** argv) {
  if (argc != 4 || std::string_view(argv[2]).size() != 1 || argv[2][0] < '0' || argv[2][0] > '5') {
    return failed("usage: scratchcopy <control file> <layout 0..5> <out folder>");
  }
  const std::int32_t layout = argv[2][0] - '0';
  const std::string out = std::string(argv[3]) + "/";
  q5rt::sstr msg;
  if (!gcload::loadcontrol(argv[1], msg)) return failed(q5rt::concat("control file: ", msg));
  if (gcload::loaddata() != gcload::loadok) return failed("the model could not be loaded");
  const gcdata::tmodel& m = gcdata::mymodel;
  const std::int32_t filetype = scratchwrite::withlayout(m.filetype, layout);
  const std::string mat = layout == 5 ? "model.vrk" : "model.mat";
  const std::string cod = layout == 5 ? "model.vrk" : "model.cod";
  if (const std::string why = scratchwrite::writemodel(m, filetype, out + mat, out + cod);
      !why.empty()) {
    return failed(why);
  }
  gdutils::tcontrolrec rec;
  rec.strs[0].assign_cut(argv[1]);
  q5rt::sstr tablemsg;
  zlmconf::tzlmconf table(tablemsg);
  if (!gdutils::screadcontrol(rec, msg, table)) return failed(q5rt::concat("control file: ", msg));
  rec.ints[28] = filetype;
  rec.strs[18].assign_cut(mat);
  rec.strs[19].assign_cut(cod);
  rec.strs[0].assign_cut(out + "model.ctl");
  if (gdutils::scwritecontrol(rec, table) != 0) return failed("cannot write " + out + "model.ctl");
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return toolmain::run("scratchcopy", argc, argv, run); }
