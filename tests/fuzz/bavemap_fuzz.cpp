// Fuzz target of the bridge's map-file reader: parses the input as a "bavemap" file and
// turns both orders into the model object's numbering, with and without the reformulated
// objective. A refused map must say why; an accepted order must hold distinct indices of 0
// or more.
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
    check(std::all_of(s.entries.begin(), s.entries.end(), [](std::int32_t v) { return v >= 0; }));
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
  return 0;
}
