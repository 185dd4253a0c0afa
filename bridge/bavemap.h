// The reader of the map file "bavemap" that the link writes for the bridge: BARON's order of
// variables and equations as 1-based model column and row numbers.
//
//   VARIABLES <nv>        a word and a count (the word is not compared)
//   <column>              nv lines, one model column each, in BARON's order
//   EQUATIONS <ne>
//   <row>                 ne lines
//
// Every line is read whole; a missing or non-numeric line, a negative count or a number
// beyond 32 bits is refused. Lines after the last entry are ignored. The entries are turned
// into the model object's 0-based numbers by tomodel.
//
// Usage:
//   bavemap::mapfile map;
//   std::string msg;
//   if (!bavemap::parse(text, path, map, msg)) fail(msg);
//   if (!bavemap::tomodel(map.vars, reform, objvar, msg)) fail(msg);
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bavemap {

struct section {
  std::vector<std::int32_t> entries;  // as in the file, then 0-based after tomodel
  int firstline = 0;                  // the file's line of the first entry
  std::string_view what;              // "column" or "row", for messages
};

struct mapfile {
  std::string name;
  section vars{{}, 0, "column"};
  section equs{{}, 0, "row"};
};

// The message of a refused map: "Bad Baron VE map <name> line <n>: <what>\n".
[[nodiscard]] std::string badmap(std::string_view name, int line, std::string_view what);

// Reads the file's text; false with the message (ending in a line feed).
[[nodiscard]] bool parse(std::string_view data, std::string_view name, mapfile& map,
                         std::string& msg);

// Model numbers to the model object's: minus 1, and 1 more for numbers at or above the
// objective's 0-based index when the model object does not count the objective (reform).
// A number that falls below 0 or one that comes twice is refused with the message.
[[nodiscard]] bool tomodel(const mapfile& map, section& s, bool reform, std::int32_t objindex,
                           std::string& msg);

}  // namespace bavemap
