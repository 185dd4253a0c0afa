// Platform identity: which platform the program runs on and the fixed facts that follow
// from it (file-name style, null device, console, byte order, library name pieces).
// The start-up of this unit, the first unit started, fixes the state; afterwards it is
// read-only and needs no lock.
//
// Usage:
//   if (q5platform::osfiletype() == q5platform::filetype::unix_style) ...
//   auto text = q5platform::osplatformtext[q5platform::code(q5platform::osplatform())];
//   q5rt::sstr nul = q5platform::osnullfilename();   // "/dev/null"
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "frame/q5rt.h"

namespace q5platform {

// File-name style; fixed when the program is built.
enum class filetype : std::uint8_t { windows_style = 0, unix_style = 1, other = 2 };

// Platform code, decided at start-up from the system's name and machine.
enum class platform : std::uint8_t {
  winnt = 0,
  win64emt = 1,
  linux86_64 = 2,
  darwin_x64 = 3,
  darwin_arm64 = 4,
  missing = 5,
};

constexpr std::size_t code(filetype t) { return static_cast<std::size_t>(t); }
constexpr std::size_t code(platform p) { return static_cast<std::size_t>(p); }

// Texts by file type and by platform code.
inline constexpr std::array<std::string_view, 3> osfiletypetext = {"WIN", "UNIX", "XXXX"};
inline constexpr std::array<std::string_view, 6> osplatformtext = {
    "WinNT", "Win64EMT", "Linux86_64", "Darwin-x64", "Darwin-arm64", "Missing"};

// Shared-library file-name prefix and extension by platform code.
inline constexpr std::array<std::string_view, 6> osdllprefix = {"", "", "lib", "lib", "lib", "lib"};
inline constexpr std::array<std::string_view, 6> osdllextension = {".dll",   ".dll",   ".so",
                                                                   ".dylib", ".dylib", ".XXX"};

[[nodiscard]] filetype osfiletype();
[[nodiscard]] platform osplatform();
// "/dev/null" on the Unix style, "nul" on the Windows style, empty otherwise.
[[nodiscard]] q5rt::sstr osnullfilename();
// "/dev/tty" on the Unix style, "con" on the Windows style, empty otherwise.
[[nodiscard]] q5rt::sstr osconsolename();
[[nodiscard]] bool nativeislittleendian();

// Fills the platform state; registered as the unit's start-up.
void startup();

namespace detail {

// The platform code for a system query's answer (ok false: the query failed).
[[nodiscard]] platform classify(bool ok, std::string_view sysname, std::string_view machine);
[[nodiscard]] std::string_view nulldevice(filetype t);
[[nodiscard]] std::string_view consoledevice(filetype t);

}  // namespace detail

}  // namespace q5platform
