// The dictionary reader: one object of the dictionary library (bindings/dctmdcdef.h) with one
// method per API entry, each passing the reader's handle first. Constructors never throw: they
// leave a message, empty when the reader is usable.
//
// Usage:
//   q5rt::sstr msg;
//   dctmdodef::tdctreader dict(msg);                     // create: loads the library if needed
//   if (!msg.empty()) stop(msg);
//   if (dict.dctloadex(q5rt::sstr::cut(file), msg) != 0) stop(msg);
//   std::int32_t sym = 0, dim = 0, uels[20] = {};
//   if (dict.dctrowuels(row, sym, uels, dim) == 0) { ... }
//   std::int32_t found = -1;
//   void* search = dict.dctfindfirstrowcol(sym, filter, found);   // filter: 0 = any label
//   while (found >= 0) { ...; (void)dict.dctfindnextrowcol(search, found); }
//   dict.dctfindclose(search);
#pragma once

#include <string_view>

#include "bindings/bindproto.h"
#include "bindings/dctmdcdef.h"
#include "frame/q5rt.h"

namespace dctmdodef {

inline constexpr std::string_view classtext = "TdctReader";
namespace bindunit = dctmdcdef;  // the binding that BINDPROTO_METHOD calls

class tdctreader : public bindproto::wrapper {
 public:
  // create: the library by its default file name through the system loader's search.
  explicit tdctreader(q5rt::sstr& msg) : wrapper(dctmdcdef::lib, classtext, msg) {}
  // createx: beside the running program first, then the search.
  tdctreader(bindproto::createx_t t, q5rt::sstr& msg) : wrapper(dctmdcdef::lib, classtext, t, msg) {}
  // created: the default file name in the directory.
  tdctreader(bindproto::created_t t, std::string_view dir, q5rt::sstr& msg)
      : wrapper(dctmdcdef::lib, classtext, t, dir, msg) {}
  // createdd: as created, the object made through dctXCreateD with the directory.
  tdctreader(bindproto::createdd_t t, std::string_view dir, q5rt::sstr& msg)
      : wrapper(dctmdcdef::lib, classtext, t, dir, msg) {}
  // createl: the library at the path.
  tdctreader(bindproto::createl_t t, std::string_view path, q5rt::sstr& msg)
      : wrapper(dctmdcdef::lib, classtext, t, path, msg) {}
  // createwithhandle: borrows h (never freed here) and makes sure the library is loaded.
  tdctreader(bindproto::withhandle_t t, bindproto::handle h, q5rt::sstr& msg)
      : wrapper(dctmdcdef::lib, classtext, t, h, msg) {}

  // dctgethandle and the indicator, error-count and error-callback pass-throughs.
  BINDPROTO_WRAPPER_NAMES(dct)

  // One method per entry, named after the entry in lower case; the three counting entries
  // are ddctnrows, ddctncols and ddctlrgdim.
  DCTMDCDEF_ENTRIES(BINDPROTO_METHOD)
};

// Forwarders to the binding's operations.
[[nodiscard]] inline bool dctgetready(q5rt::sstr& msg) { return dctmdcdef::dctgetready(msg); }
[[nodiscard]] inline bool dctgetreadyx(q5rt::sstr& msg) { return dctmdcdef::dctgetreadyx(msg); }
[[nodiscard]] inline bool dctgetreadyd(std::string_view dir, q5rt::sstr& msg) {
  return dctmdcdef::dctgetreadyd(dir, msg);
}
[[nodiscard]] inline bool dctgetreadyl(std::string_view path, q5rt::sstr& msg) {
  return dctmdcdef::dctgetreadyl(path, msg);
}
[[nodiscard]] inline bool dctlibraryloaded() { return dctmdcdef::dctlibraryloaded(); }
inline void dctlibraryunload() { dctmdcdef::dctlibraryunload(); }

}  // namespace dctmdodef
