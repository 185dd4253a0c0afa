// The reader of the map file "bavemap" that the link writes for the bridge: BARON's order of
// variables and equations as 1-based model column and row numbers.
//
//   VARIABLES <nv>        a word and a count (the word is not compared)
//   <column>              nv lines, one model column each, in BARON's order
//   EQUATIONS <ne>
//   <row>                 ne lines
//
// Lines are read one at a time, and no more than maxbytes of the file: the reader stops after
// the last entry, and a file that goes on beyond the bound before that (a link to an endless
// source) is refused, so the map never takes more memory than that. A missing or non-numeric
// line, a negative count, a count above the model object's (the section's room) or a number
// beyond 32 bits is refused. The entries are turned into the model object's 0-based numbers
// by tomodel, which refuses an index outside the room.
//
// Usage:
//   bavemap::mapfile map;
//   map.vars.room = n;  map.equs.room = m;         // the model object's counts
//   std::string msg;
//   if (!bavemap::read(file, path, map, msg)) fail(msg);
//   if (!bavemap::tomodel(map, map.vars, reform, objvar, msg)) fail(msg);
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace bavemap {

// The most of a map file that is read: 64 MiB, some six million entries.
inline constexpr std::size_t maxbytes = std::size_t{64} << 20;

struct section {
  std::vector<std::int32_t> entries;  // as in the file, then 0-based after tomodel
  int firstline = 0;                  // the file's line of the first entry
  std::string_view what;              // "column" or "row", for messages
  // The model object's count of them: BARON's arrays hold no more.
  std::int32_t room = std::numeric_limits<std::int32_t>::max();
};

struct mapfile {
  std::string name;
  section vars{{}, 0, "column"};
  section equs{{}, 0, "row"};
};

// The message of a refused map: "Bad Baron VE map <name> line <n>: <what>\n".
[[nodiscard]] std::string badmap(std::string_view name, int line, std::string_view what);

// Reads the map from an open file, at most `limit` bytes of it; false with the message
// (ending in a line feed). A read error is refused too; the caller tells it by the stream's
// error flag.
[[nodiscard]] bool read(std::FILE* f, std::string_view name, mapfile& map, std::string& msg,
                        std::size_t limit = maxbytes);

// The same over the file's text.
[[nodiscard]] bool parse(std::string_view data, std::string_view name, mapfile& map,
                         std::string& msg, std::size_t limit = maxbytes);

// Model numbers to the model object's: minus 1, and 1 more for numbers at or above the
// objective's 0-based index when the model object does not count the objective (reform).
// A number that falls below 0 or reaches the section's room, or one that comes twice, is
// refused with the message.
[[nodiscard]] bool tomodel(const mapfile& map, section& s, bool reform, std::int32_t objindex,
                           std::string& msg);

}  // namespace bavemap
