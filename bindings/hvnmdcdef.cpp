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

BINDPROTO_INSTANCE("hvnmdcdef")

}  // namespace hvnmdcdef
