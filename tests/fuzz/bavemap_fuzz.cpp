// Fuzz target of the bridge's map-file reader: parses the input as a "bavemap" file and
// turns both orders into the model object's numbering, with and without the reformulated
// objective, and once more within a model object of 3 columns and 2 rows. A refused map must
// say why; an accepted order must hold distinct indices of 0 or more and below the model
// object's count.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "bridge/bavemap.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

void convert(const bavemap::mapfile& parsed, bool reform, std::int32_t objindex) {
  for (int which = 0; which < 2; ++which) {
    bavemap::mapfile map = parsed;
    bavemap::section& s = which == 0 ? map.vars : map.equs;
    std::string msg;
    if (!bavemap::tomodel(map, s, reform, objindex, msg)) {
      check(msg.rfind("Bad Baron VE map fuzz line ", 0) == 0 && msg.back() == '\n');
      continue;
    }
    check(std::all_of(s.entries.begin(), s.entries.end(),
                      [&](std::int32_t v) { return v >= 0 && v < s.room; }));
    check(std::set<std::int32_t>(s.entries.begin(), s.entries.end()).size() == s.entries.size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  bavemap::mapfile map;
  std::string msg;
  if (!bavemap::parse(input, "fuzz", map, msg)) {
    check(msg.rfind("Bad Baron VE map fuzz line ", 0) == 0 && msg.back() == '\n');
    return 0;
  }
  check(msg.empty());
  convert(map, false, -1);
  convert(map, true, 0);
  convert(map, true, 3);
  bavemap::mapfile small;
  small.vars.room = 3;
  small.equs.room = 2;
  msg.clear();
  if (!bavemap::parse(input, "fuzz", small, msg)) {
    check(msg.rfind("Bad Baron VE map fuzz line ", 0) == 0 && msg.back() == '\n');
    return 0;
  }
  check(small.vars.entries.size() <= 3 && small.equs.entries.size() <= 2);
  convert(small, false, -1);
  convert(small, true, 1);
  return 0;
}
