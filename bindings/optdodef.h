// The option object: one object of the option library (bindings/optdcdef.h) with one method
// per API entry, each passing the object's handle first. Constructors never throw: they
// leave a message, empty when the object is usable.
//
// Usage:
//   q5rt::sstr msg;
//   optdodef::tzlmoptions opts(msg);                    // create: loads the library if needed
//   if (!msg.empty()) stop(msg);
//   (void)opts.optreaddefinition(q5rt::sstr::cut(sysdir + "optbaron.def"));
//   for (int k = 1; k <= opts.doptmessagecount(); ++k) {
//     q5rt::sstr text; std::int32_t type = 0;
//     opts.optgetmessage(k, text, type);
//   }
//   opts.optclearmessages();
//   q5rt::sstr value;
//   opts.optgetstrstr(value, q5rt::sstr::cut("name"));  // cut to value's capacity
#pragma once

#include <string_view>

#include "bindings/bindproto.h"
#include "bindings/optdcdef.h"
#include "frame/q5rt.h"

namespace optdodef {

inline constexpr std::string_view classtext = "TZlmOptions";
namespace bindunit = optdcdef;  // the binding that BINDPROTO_METHOD calls

class tzlmoptions : public bindproto::wrapper {
 public:
  // create: the library by its default file name through the system loader's search.
  explicit tzlmoptions(q5rt::sstr& msg) : wrapper(optdcdef::lib, classtext, msg) {}
  // createx: beside the running program first, then the search.
  tzlmoptions(bindproto::createx_t t, q5rt::sstr& msg)
      : wrapper(optdcdef::lib, classtext, t, msg) {}
  // created: the default file name in the directory.
  tzlmoptions(bindproto::created_t t, std::string_view dir, q5rt::sstr& msg)
      : wrapper(optdcdef::lib, classtext, t, dir, msg) {}
  // createl: the library at the path.
  tzlmoptions(bindproto::createl_t t, std::string_view path, q5rt::sstr& msg)
      : wrapper(optdcdef::lib, classtext, t, path, msg) {}
  // createwithhandle: borrows h (never freed here) and makes sure the library is loaded.
  tzlmoptions(bindproto::withhandle_t t, bindproto::handle h, q5rt::sstr& msg)
      : wrapper(optdcdef::lib, classtext, t, h, msg) {}

  // optgethandle and the indicator, error-count and error-callback pass-throughs.
  BINDPROTO_WRAPPER_NAMES(opt)

  // One method per entry, named after the entry in lower case; the last seven entries are
  // doptcount ... doptstringquote. String results take the caller's result first and are cut
  // to its capacity.
  OPTDCDEF_ENTRIES(BINDPROTO_METHOD)
};

// Forwarders to the binding's operations.
[[nodiscard]] inline bool optgetready(q5rt::sstr& msg) { return optdcdef::optgetready(msg); }
[[nodiscard]] inline bool optgetreadyx(q5rt::sstr& msg) { return optdcdef::optgetreadyx(msg); }
[[nodiscard]] inline bool optgetreadyd(std::string_view dir, q5rt::sstr& msg) {
  return optdcdef::optgetreadyd(dir, msg);
}
[[nodiscard]] inline bool optgetreadyl(std::string_view path, q5rt::sstr& msg) {
  return optdcdef::optgetreadyl(path, msg);
}
[[nodiscard]] inline bool optlibraryloaded() { return optdcdef::optlibraryloaded(); }
inline void optlibraryunload() { optdcdef::optlibraryunload(); }

// The library's optional load-path entries; false when the library is not loaded or lacks
// the entry (then nothing is called).
bool optsetloadpath(std::string_view dir);
bool optgetloadpath(q5rt::sstr& dir);

}  // namespace optdodef
