// The environment library's binding: its table and parameters on the binding engine.
#include "bindings/hvnmdcdef.h"

namespace hvnmdcdef {

namespace {

constexpr bindproto::entrydesc entrytable[] = {HVNMDCDEF_ENTRIES(BINDPROTO_DESC)};

constexpr bindproto::instance params{
    .unit = "hvnmdcdef",
    .basename = basename,
    .xcreate = "hvnXCreate",
    .xcreated = "hvnXCreateD",
    .xfree = "hvnXFree",
    .xcheck = "hvnXCheck",
    .xapiversion = "hvnXAPIVersion",
    .setloadpath = {},
    .getloadpath = {},
    .initialize = "hvnInitialize",
    .finalize = "hvnFinalize",
    .apiversion = apiversion,
    .prefix = bindproto::prefixrule::none,
    .entries = entrytable,
    .where = q5rt::source_location::current(),
};

}  // namespace

bindproto::binding lib{params};

std::span<const bindproto::entrydesc> entries() { return entrytable; }

namespace {
void startup() { lib.startup(); }
void closedown() { lib.closedown(); }
q5rt::unit_registration reg{"hvnmdcdef", &startup, &closedown};
}  // namespace

}  // namespace hvnmdcdef
