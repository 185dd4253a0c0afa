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

class tzlmoptions : public bindproto::wrapperof<optdcdef::lib, classtext, false> {
 public:
  // create, createx, created, createl and createwithhandle.
  using wrapperof::wrapperof;

  // optgethandle and the indicator, error-count and error-callback pass-throughs.
  BINDPROTO_WRAPPER_NAMES(opt)

  // One method per entry, named after the entry in lower case; the last seven entries are
  // doptcount ... doptstringquote. String results take the caller's result first and are cut
  // to its capacity.
  OPTDCDEF_ENTRIES(BINDPROTO_METHOD)
};

// Forwarders to the binding's getready variants, libraryloaded and libraryunload.
BINDPROTO_OBJECT_FORWARDERS(opt, optdcdef)

// The library's optional load-path entries; false when the library is not loaded or lacks
// the entry (then nothing is called).
bool optsetloadpath(std::string_view dir);
bool optgetloadpath(q5rt::sstr& dir);

}  // namespace optdodef
