// The map file "bavemap": BARON's order of variables and equations as the model's 1-based
// column and row numbers, for the subsolver bridge.
//
//   VARIABLES <n>       then n lines, one model column each
//   EQUATIONS <m>       then m lines, one model row each
//
// The bridge reads whatever map it finds under the name, so a map of an earlier run must
// never stand in for this run's: the previous map goes before the new one is written, and a
// map that cannot be written whole is removed again (a regular file or a symbolic link
// only, as the run's result files).
#include "baron/gcbaron.h"
#include "baron/gcutil.h"
#include "frame/q5utils.h"
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

// False (and logged) when the file cannot be removed.
bool remove(std::string_view name, std::string_view what) {
  const int rc = q5utils::q5removeplainfile(name);
  if (rc == 0) return true;
  gcdata::gclogstat(
      q5rt::concat("*** Could not remove ", what, " \"", name, "\": ", q5rt::syserrortext(rc)));
  return false;
}

}  // namespace

bool writemap(q5rt::textfile& f, std::string_view name) {
  const bool written = section(f, "VARIABLES ", state.baronvarseq, state.baronvartozolm) &&
                       section(f, "EQUATIONS ", state.baronequseq, state.baronequtozolm);
  f.close();
  if (f.ioresult() == 0 && written) return true;
  gcdata::gclogstat(q5rt::concat("*** Could not write ", name));
  (void)remove(name, "incomplete map file");
  return false;
}

bool writemapfile(std::string_view name) {
  if (!remove(name, "old map file")) return false;
  q5rt::textfile f;
  if (gcutil::open4write(f, name, "") == 0) (void)writemap(f, name);
  return true;
}

}  // namespace gcbaron
