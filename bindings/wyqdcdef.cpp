// The configuration library's binding: its table and parameters on the binding engine.
#include "bindings/wyqdcdef.h"

namespace wyqdcdef {

namespace {

constexpr bindproto::entrydesc entrytable[] = {WYQDCDEF_ENTRIES(BINDPROTO_DESC)};

constexpr bindproto::instance params{
    .unit = "wyqdcdef",
    .basename = basename,
    .xcreate = "XCreate",
    .xcreated = {},
    .xfree = "XFree",
    .xcheck = "D__XCheck",
    .xapiversion = "D__XAPIVersion",
    .setloadpath = {},
    .getloadpath = {},
    .initialize = "C__wyqInitialize",
    .finalize = "C__wyqFinalize",
    .apiversion = apiversion,
    .prefix = bindproto::prefixrule::dc,
    .entries = entrytable,
    .where = q5rt::source_location::current(),
};

}  // namespace

BINDPROTO_INSTANCE("wyqdcdef")

}  // namespace wyqdcdef
