// Standard locations: where the program may write configuration and data files and which
// directories it searches for them, by the desktop conventions of the platform (the XDG
// base-directory variables on Linux, the Library folders on macOS).
//
// The queries of unit q5utils (homeplus, q5writablelocation, q5standardlocations) answer
// for a kind of location and an application name; unit zolmdirs applies them to the
// modelling system's name "ZOLM", adds the system directory and searches a file.
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
#include <functional>
#include <string>
#include <string_view>

#include "frame/q5rt.h"

namespace q5utils {

// Kinds of location.
inline constexpr std::uint8_t loc_config = 0;     // configuration, not application-specific
inline constexpr std::uint8_t loc_appconfig = 1;  // an application's configuration
inline constexpr std::uint8_t loc_appdata = 2;    // 2 to 4: an application's data, alike
inline constexpr std::uint8_t loc_appdatalocal = 3;
inline constexpr std::uint8_t loc_appdatashared = 4;
inline constexpr std::uint8_t loc_documents = 5;

inline constexpr int maxstandardlocations = 8;
using standardlocationlist = std::array<q5rt::sstr, maxstandardlocations>;

// HOME followed by the two suffixes; false when HOME is unset, empty or longer than 255
// characters, or when the result would reach 256 characters.
[[nodiscard]] bool homeplus(std::string_view suffix1, std::string_view suffix2, q5rt::sstr& path);
// The one directory where the program may write that kind of file.
[[nodiscard]] bool q5writablelocation(std::uint8_t kind, std::string_view application,
                                      q5rt::sstr& path);
// The writable location first (when there is one), then the system-wide ones; the result
// is the writable location's. errors counts the entries left out (too long, beyond 8) plus
// one for a variable longer than 1023 characters and one for a missing executable path.
[[nodiscard]] bool q5standardlocations(std::uint8_t kind, std::string_view application,
                                       int& count, standardlocationlist& list, int& errors);

namespace detail {

// The facts of the platform that the locations depend on: the platform seam of the tests.
struct locationplatform {
  bool macos = false;
  // The variable's value; false when it is not set.
  std::function<bool(std::string_view name, std::string& value)> getenv;
  // The running executable's full path; false when the system gives none.
  std::function<bool(q5rt::sstr& path)> execname;
};

// The platform this program runs on.
[[nodiscard]] locationplatform hostplatform();

[[nodiscard]] bool homeplus(const locationplatform& platform, std::string_view suffix1,
                            std::string_view suffix2, q5rt::sstr& path);
[[nodiscard]] bool q5writablelocation(const locationplatform& platform, std::uint8_t kind,
                                      std::string_view application, q5rt::sstr& path);
[[nodiscard]] bool q5standardlocations(const locationplatform& platform, std::uint8_t kind,
                                       std::string_view application, int& count,
                                       standardlocationlist& list, int& errors);

}  // namespace detail

}  // namespace q5utils

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
[[nodiscard]] bool zlmconfiglocations(const q5utils::detail::locationplatform& platform,
                                      int& count, locationlist& list, std::string_view sysdir);
[[nodiscard]] bool zlmdatalocations(const q5utils::detail::locationplatform& platform,
                                    int& count, locationlist& list, std::string_view sysdir);
[[nodiscard]] bool finddatadirfile(const q5utils::detail::locationplatform& platform,
                                   std::string_view relname, q5rt::sstr& fullpath,
                                   std::string_view sysdir, bool& listok);
}  // namespace detail

}  // namespace zolmdirs
