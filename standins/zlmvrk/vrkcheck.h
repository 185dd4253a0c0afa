// The check of a data-exchange file at its open: every line read once, the head line
// first, then labels, symbols and each symbol's records, sorted by key with each key once.
// The records are counted, not kept; each symbol notes where its records start.
//
// Usage:
//   zlmvrk::checked c;
//   switch (zlmvrk::checklines(src, c)) { case zlmvrk::checkresult::sound: ... }
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "standins/zlmvrk/linesource.h"
#include "standins/zlmvrk/vrkrecord.h"

namespace zlmvrk {

enum class checkresult : std::uint8_t { sound, damaged, unreadable };

struct checked {
  bool headread = false;  // the first line was taken as the head line: producer is its
  std::string producer;
  std::vector<std::string> labels;
  std::vector<symbol> symbols;
};

// One pass over the lines of src from its start.
[[nodiscard]] checkresult checklines(linesource& src, checked& c);

}  // namespace zlmvrk
