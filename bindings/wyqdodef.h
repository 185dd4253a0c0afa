// The configuration object: one object of the configuration library (bindings/wyqdcdef.h)
// with one method per entry, each passing the object's handle first. Constructors never
// throw: they leave a message, empty when the object is usable.
//
// Usage:
//   q5rt::sstr msg;
//   wyqdodef::wyq conf(bindproto::created, sysdir, msg);   // the library from sysdir
//   if (!msg.empty()) stop(msg);
//   if (conf.wyqreadzolmconfig(q5rt::sstr::cut(file)) != 0) {
//     q5rt::sstr text;
//     (void)conf.wyqgeterrormessage(text);
//   }
#pragma once

#include <string_view>

#include "bindings/bindproto.h"
#include "bindings/wyqdcdef.h"
#include "frame/q5rt.h"

namespace wyqdodef {

inline constexpr std::string_view classtext = "wyq";
namespace bindunit = wyqdcdef;  // the binding that BINDPROTO_METHOD calls

class wyq : public bindproto::wrapper {
 public:
  // create: the library by its default file name through the system loader's search.
  explicit wyq(q5rt::sstr& msg) : wrapper(wyqdcdef::lib, classtext, msg) {}
  // createx: beside the running program first, then the search.
  wyq(bindproto::createx_t t, q5rt::sstr& msg) : wrapper(wyqdcdef::lib, classtext, t, msg) {}
  // created: the default file name in the directory.
  wyq(bindproto::created_t t, std::string_view dir, q5rt::sstr& msg)
      : wrapper(wyqdcdef::lib, classtext, t, dir, msg) {}
  // createl: the library at the path.
  wyq(bindproto::createl_t t, std::string_view path, q5rt::sstr& msg)
      : wrapper(wyqdcdef::lib, classtext, t, path, msg) {}
  // createwithhandle: borrows h (never freed here) and makes sure the library is loaded.
  wyq(bindproto::withhandle_t t, bindproto::handle h, q5rt::sstr& msg)
      : wrapper(wyqdcdef::lib, classtext, t, h, msg) {}

  // wyqgethandle and the indicator, error-count and error-callback pass-throughs.
  BINDPROTO_WRAPPER_NAMES(wyq)

  // One method per entry, named after the entry in lower case without its prefix.
  WYQDCDEF_ENTRIES(BINDPROTO_METHOD)
};

// Forwarders to the binding's operations.
[[nodiscard]] inline bool wyqgetready(q5rt::sstr& msg) { return wyqdcdef::wyqgetready(msg); }
[[nodiscard]] inline bool wyqgetreadyx(q5rt::sstr& msg) { return wyqdcdef::wyqgetreadyx(msg); }
[[nodiscard]] inline bool wyqgetreadyd(std::string_view dir, q5rt::sstr& msg) {
  return wyqdcdef::wyqgetreadyd(dir, msg);
}
[[nodiscard]] inline bool wyqgetreadyl(std::string_view path, q5rt::sstr& msg) {
  return wyqdcdef::wyqgetreadyl(path, msg);
}
[[nodiscard]] inline bool wyqlibraryloaded() { return wyqdcdef::wyqlibraryloaded(); }
inline void wyqlibraryunload() { wyqdcdef::wyqlibraryunload(); }

}  // namespace wyqdodef
