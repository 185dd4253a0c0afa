// The environment object: one object of the environment library (bindings/hvnmdcdef.h) with
// one method per entry, each passing the object's handle first. Constructors never throw:
// they leave a message, empty when the object is usable.
//
// Usage:
//   q5rt::sstr msg;
//   hvnmdodef::tzlmenvironment env(msg);                   // create: loads libbrin64.so
//   if (!msg.empty()) stop(msg);
//   q5rt::shortstring<10> value;
//   env.hvngetstropt(value, hvnmdcdef::hvnnamesysdir);     // cut to value's capacity
//   bool capable = false;
//   (void)env.hvncapabilitycheck(modeltype, solver, capable);
#pragma once

#include <cstdint>
#include <string_view>

#include "bindings/bindproto.h"
#include "bindings/hvnmdcdef.h"
#include "frame/q5rt.h"

namespace hvnmdodef {

inline constexpr std::string_view classtext = "tzlmEnvironment";
namespace bindunit = hvnmdcdef;  // the binding that BINDPROTO_METHOD calls

class tzlmenvironment : public bindproto::wrapperof<hvnmdcdef::lib, classtext, true> {
 public:
  // create, createx, created, createdd, createl and createwithhandle.
  using wrapperof::wrapperof;

  // hvngethandle and the indicator, error-count and error-callback pass-throughs.
  BINDPROTO_WRAPPER_NAMES(hvn)

  // One method per entry, named after the entry in lower case; the last three are
  // dhvnskipiolegacyset, dhvnthreads and dhvnnsolves. String results take the caller's
  // result first and are cut to its capacity.
  HVNMDCDEF_ENTRIES(BINDPROTO_METHOD)
};

// Forwarders to the binding's getready variants, libraryloaded and libraryunload.
BINDPROTO_OBJECT_FORWARDERS(hvn, hvnmdcdef)

}  // namespace hvnmdodef
