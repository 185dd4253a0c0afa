// Record lines of the data-exchange file ("record <keys> : <values>"): the plain form the
// writer writes (single blanks, numbers or special-value names) read in place, and any form
// read from the line's words.
#pragma once

#include <string_view>
#include <vector>

#include "standins/common/linetokens.h"
#include "standins/zlmvrk/vrkrecord.h"

namespace zlmvrk {

// A record of symbol s in the plain form; false for any other line.
[[nodiscard]] bool fastrecord(std::string_view line, const symbol& s, record& r);
// A record of symbol s from the words of its line ("record", the keys, ":", the values).
[[nodiscard]] bool tokenrecord(const std::vector<linetokens::token>& w, const symbol& s, record& r);

}  // namespace zlmvrk
