// The modelling system's configuration and data lists and the search of a data file.
#include "frame/zolmdirs.h"

#include <filesystem>
#include <string>

#include "frame/strutilx.h"

namespace zolmdirs {

namespace detail {

namespace {

// The standard locations of a kind for "ZOLM", and the system directory without its
// trailing delimiter; an empty system directory names no directory (never the root).
struct zolmlocations {
  q5utils::standardlocationlist list;
  int count = 0;
  int errors = 0;
  bool ok = false;
  q5rt::sstr sysdir;

  zolmlocations(const q5utils::detail::locationplatform& platform, std::uint8_t kind,
                std::string_view system)
      : sysdir(strutilx::excludetrailingpathdelimiterex(system)) {
    const bool writable =
        q5utils::detail::q5standardlocations(platform, kind, appname, count, list, errors);
    ok = writable && errors == 0;
  }
  [[nodiscard]] bool keep(const q5rt::sstr& entry) const { return !(entry == sysdir); }
};

void append(int& count, locationlist& list, const q5rt::sstr& entry) {
  list[static_cast<std::size_t>(count++)] = entry;
}

bool isfile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

bool zlmconfiglocations(const q5utils::detail::locationplatform& platform, int& count,
                        locationlist& list, std::string_view sysdir) {
  const zolmlocations std(platform, q5utils::loc_appconfig, sysdir);
  count = 0;
  if (!std.sysdir.empty()) append(count, list, std.sysdir);
  for (int i = std.count - 1; i >= 0; --i)
    if (std.keep(std.list[static_cast<std::size_t>(i)]))
      append(count, list, std.list[static_cast<std::size_t>(i)]);
  return std.ok;
}

bool zlmdatalocations(const q5utils::detail::locationplatform& platform, int& count,
                      locationlist& list, std::string_view sysdir) {
  const zolmlocations std(platform, q5utils::loc_appdatalocal, sysdir);
  count = 0;
  for (int i = 0; i < std.count; ++i)
    if (std.keep(std.list[static_cast<std::size_t>(i)]))
      append(count, list, std.list[static_cast<std::size_t>(i)]);
  if (!std.sysdir.empty()) append(count, list, std.sysdir);
  return std.ok;
}

bool finddatadirfile(const q5utils::detail::locationplatform& platform, std::string_view relname,
                     q5rt::sstr& fullpath, std::string_view sysdir, bool& listok) {
  fullpath.clear();
  listok = false;
  if (relname.empty()) return false;
  int count = 0;
  locationlist list;
  listok = zlmdatalocations(platform, count, list, sysdir);
  for (int i = 0; i < count; ++i) {
    const std::string candidate =
        list[static_cast<std::size_t>(i)].str() + "/" + std::string(relname);
    // A path that does not fit a short string is never tried in a cut form.
    if (candidate.size() <= q5rt::sstr::capacity && isfile(candidate)) {
      fullpath = q5rt::sstr::cut(candidate);
      return true;
    }
  }
  return true;
}

}  // namespace detail

bool zlmconfiglocations(int& count, locationlist& list, std::string_view sysdir) {
  return detail::zlmconfiglocations(q5utils::detail::hostplatform(), count, list, sysdir);
}

bool zlmdatalocations(int& count, locationlist& list, std::string_view sysdir) {
  return detail::zlmdatalocations(q5utils::detail::hostplatform(), count, list, sysdir);
}

bool zlmwritablelocation(std::uint8_t kind, q5rt::sstr& path) {
  return q5utils::q5writablelocation(kind, appname, path);
}

bool finddatadirfile(std::string_view relname, q5rt::sstr& fullpath, std::string_view sysdir,
                     bool& listok) {
  return detail::finddatadirfile(q5utils::detail::hostplatform(), relname, fullpath, sysdir,
                                 listok);
}

}  // namespace zolmdirs
