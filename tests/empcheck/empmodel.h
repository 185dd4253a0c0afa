// The test driver's side of the EMP loader: a model loaded from its control file into the
// model record, the loader's arguments taken from it, and the EMP record as text.
//
// Usage:
//   q5rt::sstr msg;
//   if (!empmodel::loadmodel("model.ctl", msg)) fail(msg);
//   empdata::empalloc(gcdata::mymodel.cols, gcdata::mymodel.rows);
//   const int rc = empdata::emploadex(empmodel::loadargs("model.emp", true));
//   std::string text = empmodel::dumprecord();
#pragma once

#include <string>
#include <string_view>

#include "emp/empdata.h"
#include "frame/q5rt.h"

namespace empmodel {

// Reads the control file and the model's scratch files into gcdata::mymodel.
[[nodiscard]] bool loadmodel(std::string_view controlfile, q5rt::sstr& msg);

// The loader's arguments for the loaded model (with or without column bounds). The
// dictionary is the one the control file names, opened by the loader.
[[nodiscard]] empdata::emploadargs loadargs(std::string_view empfile, bool bounds);

// Every counter and every per-row, per-column and per-agent entry of the EMP record, the
// implicit groups and the disjunctions, one fact a line.
[[nodiscard]] std::string dumprecord();

// The item reader's result, message and items, one line each.
[[nodiscard]] std::string dumpitems(std::string_view empfile);

}  // namespace empmodel
