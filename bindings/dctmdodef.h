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

class tdctreader : public bindproto::wrapperof<dctmdcdef::lib, classtext, true> {
 public:
  // create, createx, created, createdd, createl and createwithhandle.
  using wrapperof::wrapperof;

  // dctgethandle and the indicator, error-count and error-callback pass-throughs.
  BINDPROTO_WRAPPER_NAMES(dct)

  // One method per entry, named after the entry in lower case; the three counting entries
  // are ddctnrows, ddctncols and ddctlrgdim.
  DCTMDCDEF_ENTRIES(BINDPROTO_METHOD)
};

// Forwarders to the binding's getready variants, libraryloaded and libraryunload.
BINDPROTO_OBJECT_FORWARDERS(dct, dctmdcdef)

}  // namespace dctmdodef
