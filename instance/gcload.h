// Loading the model instance into gcdata::mymodel: the control file first (loadcontrol),
// then the model's scratch files (loaddata, in gcload_data.cpp).
//
// Usage:
//   q5rt::sstr msg;
//   if (!gcload::loadcontrol(argument, msg)) fail(msg);   // the record is unchanged
#pragma once

#include <cstdint>
#include <string_view>

#include "frame/q5rt.h"

namespace gcdata {
struct tmodel;
}

namespace gcload {

// Reads the control file with a fresh solver table and copies what later steps use into
// the model record, with the table's choices, names and capabilities (solvers 1..150;
// a longer list is copied up to 150). False with the reader's message; nothing copied.
[[nodiscard]] bool loadcontrol(std::string_view filename, q5rt::sstr& msg);

// Results of loaddata: 0 the model is loaded; otherwise "*** " lines in the log and the
// status file say why, and only the status pair and the solution information of the
// record are to be used (arrays are sized and zeroed as far as the counts allowed).
inline constexpr std::int32_t loadok = 0;
inline constexpr std::int32_t loadinstrfailed = 1;   // instruction file not opened or not read
inline constexpr std::int32_t loadmatrixfailed = 2;  // matrix file not opened or not read
inline constexpr std::int32_t loadbadsizes = 3;      // counts of the control file unusable
inline constexpr std::int32_t loadnomemory = 4;      // the model does not fit into memory

// Loads the model instance from the instruction-code and matrix files that the control
// file names into gcdata::mymodel (loadmodel: into any record). Presets solver and model
// status 13/13 and the solution information to NA. Every count, row, column, pool entry
// and type that the files give is checked before it is used.
[[nodiscard]] std::int32_t loaddata();
[[nodiscard]] std::int32_t loadmodel(gcdata::tmodel& m);

}  // namespace gcload
