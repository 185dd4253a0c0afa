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

class tzlmenvironment : public bindproto::wrapper {
 public:
  // create: the library by its default file name through the system loader's search.
  explicit tzlmenvironment(q5rt::sstr& msg) : wrapper(hvnmdcdef::lib, classtext, msg) {}
  // createx: beside the running program first, then the search.
  tzlmenvironment(bindproto::createx_t t, q5rt::sstr& msg)
      : wrapper(hvnmdcdef::lib, classtext, t, msg) {}
  // created: the default file name in the directory.
  tzlmenvironment(bindproto::created_t t, std::string_view dir, q5rt::sstr& msg)
      : wrapper(hvnmdcdef::lib, classtext, t, dir, msg) {}
  // createdd: as created, the object made through hvnXCreateD with the directory.
  tzlmenvironment(bindproto::createdd_t t, std::string_view dir, q5rt::sstr& msg)
      : wrapper(hvnmdcdef::lib, classtext, t, dir, msg) {}
  // createl: the library at the path.
  tzlmenvironment(bindproto::createl_t t, std::string_view path, q5rt::sstr& msg)
      : wrapper(hvnmdcdef::lib, classtext, t, path, msg) {}
  // createwithhandle: borrows h (never freed here) and makes sure the library is loaded.
  tzlmenvironment(bindproto::withhandle_t t, bindproto::handle h, q5rt::sstr& msg)
      : wrapper(hvnmdcdef::lib, classtext, t, h, msg) {}

  // hvngethandle and the indicator, error-count and error-callback pass-throughs.
  BINDPROTO_WRAPPER_NAMES(hvn)

  // One method per entry, named after the entry in lower case; the last three are
  // dhvnskipiolegacyset, dhvnthreads and dhvnnsolves. String results take the caller's
  // result first and are cut to its capacity.
  HVNMDCDEF_ENTRIES(BINDPROTO_METHOD)
};

// Forwarders to the binding's operations.
[[nodiscard]] inline bool hvngetready(q5rt::sstr& msg) { return hvnmdcdef::hvngetready(msg); }
[[nodiscard]] inline bool hvngetreadyx(q5rt::sstr& msg) { return hvnmdcdef::hvngetreadyx(msg); }
[[nodiscard]] inline bool hvngetreadyd(std::string_view dir, q5rt::sstr& msg) {
  return hvnmdcdef::hvngetreadyd(dir, msg);
}
[[nodiscard]] inline bool hvngetreadyl(std::string_view path, q5rt::sstr& msg) {
  return hvnmdcdef::hvngetreadyl(path, msg);
}
[[nodiscard]] inline bool hvnlibraryloaded() { return hvnmdcdef::hvnlibraryloaded(); }
inline void hvnlibraryunload() { hvnmdcdef::hvnlibraryunload(); }

}  // namespace hvnmdodef
