// Standard locations: the writable location and the search list of a kind of location.
#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "frame/q5library.h"
#include "frame/q5platform.h"
#include "frame/q5utils.h"

namespace q5utils {

namespace detail {

namespace {

constexpr std::size_t maxvalue = 255;     // longest usable variable value or path
constexpr std::size_t maxlistvar = 1023;  // longest usable search-path variable

// "/" + application, or nothing for an empty name.
std::string suffix(std::string_view application) {
  return application.empty() ? std::string() : "/" + std::string(application);
}

// The variable's value when it is set and not empty.
bool nonempty(const locationplatform& platform, std::string_view name, std::string& value) {
  return platform.getenv(name, value) && !value.empty();
}

// An XDG home variable as the whole location, else HOME + the fallback.
bool xdgorhome(const locationplatform& platform, std::string_view var, std::string_view fallback,
               std::string_view sfx, q5rt::sstr& path) {
  std::string value;
  if (!nonempty(platform, var, value)) return homeplus(platform, fallback, sfx, path);
  if (value.size() > maxvalue) return false;
  path = q5rt::sstr::cut(value);
  return true;
}

// Appends locations while there is room; every one left out counts as an error.
class locationadder {
 public:
  locationadder(int& count, standardlocationlist& list, int& errors)
      : count_(count), list_(list), errors_(errors) {}
  void add(std::string_view path) {
    if (count_ >= maxstandardlocations || path.size() > maxvalue) {
      ++errors_;
      return;
    }
    list_[static_cast<std::size_t>(count_++)] = q5rt::sstr::cut(path);
  }
  void error() { ++errors_; }

 private:
  int& count_;
  standardlocationlist& list_;
  int& errors_;
};

// The entries of a search-path variable, each + sfx; the defaults when it is unset or
// empty; nothing but one error when it is too long.
void addsearchpath(const locationplatform& platform, std::string_view var, std::string_view sfx,
                   bool dropslash, std::initializer_list<std::string_view> defaults,
                   locationadder& adder) {
  std::string value;
  if (!nonempty(platform, var, value)) {
    for (std::string_view d : defaults) adder.add(std::string(d) + std::string(sfx));
    return;
  }
  if (value.size() > maxlistvar) {
    adder.error();
    return;
  }
  std::string_view rest = value;
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    std::string_view entry = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (entry.empty()) continue;
    if (dropslash && entry.size() > 1 && entry.back() == '/') entry.remove_suffix(1);
    adder.add(std::string(entry) + std::string(sfx));
  }
}

// macOS, application data: the shared Library folder and an application bundle's resources.
void addmacosdata(const locationplatform& platform, std::string_view sfx, locationadder& adder) {
  adder.add("/Library/Application Support" + std::string(sfx));
  q5rt::sstr exe;
  if (!platform.execname(exe)) {
    adder.error();
    return;
  }
  // The executable's directory without its trailing delimiter, then that one's parent.
  const std::string_view path = exe.view();
  const std::string_view dir = path.substr(0, std::min(path.rfind('/'), path.size()));
  const auto last = dir.rfind('/');
  if (last != std::string_view::npos && last != 0)
    adder.add(std::string(dir.substr(0, last + 1)) + "Resources");
}

}  // namespace

locationplatform hostplatform() {
  locationplatform p;
  const auto code = q5platform::osplatform();
  p.macos = code == q5platform::platform::darwin_x64 || code == q5platform::platform::darwin_arm64;
  p.getenv = [](std::string_view name, std::string& value) {
    const char* v = std::getenv(std::string(name).c_str());
    if (v == nullptr) return false;
    value = v;
    return true;
  };
  p.execname = [](q5rt::sstr& path) {
    q5rt::sstr msg;
    return q5library::xgetexecname(path, msg) <= 1;
  };
  return p;
}

bool homeplus(const locationplatform& platform, std::string_view suffix1, std::string_view suffix2,
              q5rt::sstr& path) {
  path.clear();
  std::string home;
  if (!nonempty(platform, "HOME", home) || home.size() > maxvalue) return false;
  const std::string full = home + std::string(suffix1) + std::string(suffix2);
  if (full.size() > maxvalue) return false;
  path = q5rt::sstr::cut(full);
  return true;
}

bool q5writablelocation(const locationplatform& platform, std::uint8_t kind,
                        std::string_view application, q5rt::sstr& path) {
  path.clear();
  const std::string sfx = suffix(application);
  if (kind == loc_documents) return homeplus(platform, "/Documents", "", path);
  if (platform.macos) {
    switch (kind) {
      case loc_config:
        return homeplus(platform, "/Library/Preferences", "", path);
      case loc_appconfig:
        return homeplus(platform, "/Library/Preferences", sfx, path);
      case loc_appdata:
      case loc_appdatalocal:
      case loc_appdatashared:
        return homeplus(platform, "/Library/Application Support", sfx, path);
      default:
        return false;
    }
  }
  switch (kind) {
    case loc_config:
      return xdgorhome(platform, "XDG_CONFIG_HOME", "/.config", "", path);
    case loc_appconfig:
      return xdgorhome(platform, "XDG_CONFIG_HOME", "/.config", sfx, path);
    case loc_appdata:
    case loc_appdatalocal:
    case loc_appdatashared:
      return xdgorhome(platform, "XDG_DATA_HOME", "/.local/share", sfx, path);
    default:
      return false;
  }
}

bool q5standardlocations(const locationplatform& platform, std::uint8_t kind,
                         std::string_view application, int& count, standardlocationlist& list,
                         int& errors) {
  count = 0;
  errors = 0;
  const bool writable = q5writablelocation(platform, kind, application, list[0]);
  if (writable) count = 1;
  if (kind == loc_documents) return writable;
  locationadder adder(count, list, errors);
  const std::string sfx = suffix(application);
  const bool data = kind >= loc_appdata && kind <= loc_appdatashared;
  if (platform.macos) {
    if (data) addmacosdata(platform, sfx, adder);
  } else if (kind == loc_config || kind == loc_appconfig) {
    addsearchpath(platform, "XDG_CONFIG_DIRS", kind == loc_config ? "" : sfx, false, {"/etc/xdg"},
                  adder);
  } else if (data) {
    addsearchpath(platform, "XDG_DATA_DIRS", sfx, true, {"/usr/local/share", "/usr/share"}, adder);
  }
  return writable;
}

}  // namespace detail

bool homeplus(std::string_view suffix1, std::string_view suffix2, q5rt::sstr& path) {
  return detail::homeplus(detail::hostplatform(), suffix1, suffix2, path);
}

bool q5writablelocation(std::uint8_t kind, std::string_view application, q5rt::sstr& path) {
  return detail::q5writablelocation(detail::hostplatform(), kind, application, path);
}

bool q5standardlocations(std::uint8_t kind, std::string_view application, int& count,
                         standardlocationlist& list, int& errors) {
  return detail::q5standardlocations(detail::hostplatform(), kind, application, count, list,
                                     errors);
}

}  // namespace q5utils
