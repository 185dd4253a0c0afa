// The map file "bavemap": BARON's order of variables and equations as the model's 1-based
// column and row numbers, for the subsolver bridge.
//
//   VARIABLES <n>       then n lines, one model column each
//   EQUATIONS <m>       then m lines, one model row each
#include "baron/gcbaron.h"
#include "instance/gcdata.h"

namespace gcbaron {

namespace {

// One line; false after a failed write (nothing more is written then).
bool line(q5rt::textfile& f, std::string_view key, std::int64_t value) {
  f.write(key);
  f.write_integer(value);
  f.writeln();
  return f.ioresult() == 0;
}

bool section(q5rt::textfile& f, std::string_view key, std::int32_t count,
             const std::vector<std::int32_t>& map) {
  if (!line(f, key, count)) return false;
  for (std::int32_t p = 0; p < count; ++p) {
    if (!line(f, "", map[static_cast<std::size_t>(p)])) return false;
  }
  return true;
}

}  // namespace

void writemap(q5rt::textfile& f, std::string_view name) {
  const bool written = section(f, "VARIABLES ", state.baronvarseq, state.baronvartozolm) &&
                       section(f, "EQUATIONS ", state.baronequseq, state.baronequtozolm);
  f.close();
  if (f.ioresult() != 0 || !written) gcdata::gclogstat(q5rt::concat("*** Could not write ", name));
}

}  // namespace gcbaron
