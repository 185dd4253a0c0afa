// Platform identity, decided once at start-up from uname.
#include "frame/q5platform.h"

#include <sys/utsname.h>

namespace q5platform {

namespace {

// The build's file-name style.
#if defined(_WIN32)
constexpr filetype build_filetype = filetype::windows_style;
#elif defined(__unix__) || defined(__APPLE__)
constexpr filetype build_filetype = filetype::unix_style;
#else
constexpr filetype build_filetype = filetype::other;
#endif

// Null device and console by file type.
struct devicenames {
  std::string_view nulldev;
  std::string_view console;
};
constexpr std::array<devicenames, 3> devices = {{
    {"nul", "con"},             // Windows style
    {"/dev/null", "/dev/tty"},  // Unix style
    {"", ""},                   // other
}};

// Until the start-up runs, the build's file type with its devices and platform Missing.
struct platform_state {
  filetype file_type = build_filetype;
  platform platform_code = platform::missing;
  q5rt::sstr nulldev = q5rt::sstr::cut(devices[code(build_filetype)].nulldev);
  q5rt::sstr console = q5rt::sstr::cut(devices[code(build_filetype)].console);
  bool little_endian = true;
};

platform_state state;

}  // namespace

void startup() {
  state.file_type = build_filetype;
  utsname names{};
  const bool ok = uname(&names) == 0;
  state.platform_code = detail::classify(ok, names.sysname, names.machine);
  state.nulldev = q5rt::sstr::cut(detail::nulldevice(state.file_type));
  state.console = q5rt::sstr::cut(detail::consoledevice(state.file_type));
  state.little_endian = true;
}

namespace {
q5rt::unit_registration reg{"q5platform", &startup, nullptr};
}  // namespace

namespace detail {

platform classify(bool ok, std::string_view sysname, std::string_view machine) {
  if (!ok) return platform::missing;
  if (sysname == "Linux") return platform::linux86_64;
  if (sysname == "Darwin")
    return machine == "arm64" ? platform::darwin_arm64 : platform::darwin_x64;
  return platform::missing;
}

std::string_view nulldevice(filetype t) { return devices[code(t)].nulldev; }
std::string_view consoledevice(filetype t) { return devices[code(t)].console; }

}  // namespace detail

filetype osfiletype() { return state.file_type; }
platform osplatform() { return state.platform_code; }
q5rt::sstr osnullfilename() { return state.nulldev; }
q5rt::sstr osconsolename() { return state.console; }
bool nativeislittleendian() { return state.little_endian; }

}  // namespace q5platform
