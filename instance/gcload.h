// Loading the model instance into gcdata::mymodel: the control file first (loadcontrol),
// then the model's scratch files (loaddata, in gcload_data.cpp).
//
// Usage:
//   q5rt::sstr msg;
//   if (!gcload::loadcontrol(argument, msg)) fail(msg);   // the record is unchanged
#pragma once

#include <string_view>

#include "frame/q5rt.h"

namespace gcload {

// Reads the control file with a fresh solver table and copies what later steps use into
// the model record, with the table's choices, names and capabilities (solvers 1..150;
// a longer list is copied up to 150). False with the reader's message; nothing copied.
[[nodiscard]] bool loadcontrol(std::string_view filename, q5rt::sstr& msg);

}  // namespace gcload
