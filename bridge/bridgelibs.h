// The bridge's three loaders (bridge/bridgeloader.h) and their callable entries: the option
// library (namespace bridgeopt), the environment entries (bridgehvn) and the model-object
// entries (bridgekro) of the combined library, which is opened twice, once per loader.
// The option and environment entry lists are the link's own (one list per library); the
// model-object list is bridge/kroentries.h.
//
// Usage:
//   char msg[256];
//   void* env = nullptr;
//   if (!bridgehvn::lib.create(&env, msg, sizeof msg)) fail(msg);
//   std::int32_t limit = bridgehvn::hvngetintopt(env, "NodeLim");
#pragma once

#include <cstddef>
#include <string_view>

#include "bindings/hvnmdcdef.h"
#include "bindings/optdcdef.h"
#include "bridge/bridgeloader.h"
#include "bridge/kroentries.h"

namespace bridgelibs {

#if defined(__APPLE__)
inline constexpr std::string_view libext = ".dylib";
#else
inline constexpr std::string_view libext = ".so";
#endif

// The maker's file names of the option library and of the combined library.
inline constexpr std::string_view optfile = "libzlmopt64";
inline constexpr std::string_view brinfile = "libbrin64";

}  // namespace bridgelibs

namespace bridgeopt {
extern bridgeloader::loader lib;
enum entryindex : std::size_t { OPTDCDEF_ENTRIES(BRIDGELOADER_INDEX) entrycount };
OPTDCDEF_ENTRIES(BRIDGELOADER_ENTRY)
inline constexpr int apiversion = 4;
}  // namespace bridgeopt

namespace bridgehvn {
extern bridgeloader::loader lib;
enum entryindex : std::size_t { HVNMDCDEF_ENTRIES(BRIDGELOADER_INDEX) entrycount };
HVNMDCDEF_ENTRIES(BRIDGELOADER_ENTRY)
inline constexpr int apiversion = 8;
}  // namespace bridgehvn

namespace bridgekro {
extern bridgeloader::loader lib;
enum entryindex : std::size_t { KROENTRIES(BRIDGELOADER_INDEX) entrycount };
KROENTRIES(BRIDGELOADER_ENTRY)
inline constexpr int apiversion = 27;
}  // namespace bridgekro
