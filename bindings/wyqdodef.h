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

class wyq : public bindproto::wrapperof<wyqdcdef::lib, classtext, false> {
 public:
  // create, createx, created, createl and createwithhandle.
  using wrapperof::wrapperof;

  // wyqgethandle and the indicator, error-count and error-callback pass-throughs.
  BINDPROTO_WRAPPER_NAMES(wyq)

  // One method per entry, named after the entry in lower case without its prefix.
  WYQDCDEF_ENTRIES(BINDPROTO_METHOD)
};

// Forwarders to the binding's getready variants, libraryloaded and libraryunload.
BINDPROTO_OBJECT_FORWARDERS(wyq, wyqdcdef)

}  // namespace wyqdodef
