// Standard locations: where the program may write configuration and data files and which
// directories it searches for them, by the desktop conventions of the platform (the XDG
// base-directory variables on Linux, the Library folders on macOS).
//
// The queries of unit q5utils (homeplus, q5writablelocation, q5standardlocations, in
// q5utils.h) answer for a kind of location and an application name; unit zolmdirs applies
// them to the modelling system's name "ZOLM", adds the system directory and searches a file.
//
// Usage:
//   q5rt::sstr path;
//   bool listok = false;
//   (void)zolmdirs::finddatadirfile("extrinsic_functions/libmine64.so", path, sysdir, listok);
//   if (!path.empty()) load(path);
//
// Nothing here prints or throws: a missing HOME, over-long values and paths and a missing
// executable path show as a false result, a shorter list and the error count.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "frame/q5rt.h"
#include "frame/q5utils.h"

namespace zolmdirs {

inline constexpr std::string_view appname = "ZOLM";
// The data folder of the extrinsic function libraries.
inline constexpr std::string_view extrfuncdir = "extrinsic_functions";

// The standard locations and the system directory.
inline constexpr int maxlocations = q5utils::maxstandardlocations + 1;
using locationlist = std::array<q5rt::sstr, maxlocations>;

// The system directory (without its trailing "/") first, then the configuration standard
// locations from the last to the first, each unless it equals the system directory. True
// when the writable location exists and nothing was left out.
[[nodiscard]] bool zlmconfiglocations(int& count, locationlist& list, std::string_view sysdir);
// The data standard locations in order, each unless it equals the system directory, then
// the system directory. The result as for the configuration list.
[[nodiscard]] bool zlmdatalocations(int& count, locationlist& list, std::string_view sysdir);
[[nodiscard]] bool zlmwritablelocation(std::uint8_t kind, q5rt::sstr& path);
// Searches the data list for entry + "/" + relname. False (empty path) for an empty name;
// otherwise true, with the first match's full path or an empty path when none holds it.
// listok is the data list's result.
[[nodiscard]] bool finddatadirfile(std::string_view relname, q5rt::sstr& fullpath,
                                   std::string_view sysdir, bool& listok);

namespace detail {
[[nodiscard]] bool zlmconfiglocations(const q5utils::detail::locationplatform& platform, int& count,
                                      locationlist& list, std::string_view sysdir);
[[nodiscard]] bool zlmdatalocations(const q5utils::detail::locationplatform& platform, int& count,
                                    locationlist& list, std::string_view sysdir);
[[nodiscard]] bool finddatadirfile(const q5utils::detail::locationplatform& platform,
                                   std::string_view relname, q5rt::sstr& fullpath,
                                   std::string_view sysdir, bool& listok);
}  // namespace detail

}  // namespace zolmdirs
