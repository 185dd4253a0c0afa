// The dictionary library's binding: its table and parameters on the binding engine.
#include "bindings/dctmdcdef.h"

namespace dctmdcdef {

namespace {

constexpr bindproto::entrydesc entrytable[] = {DCTMDCDEF_ENTRIES(BINDPROTO_DESC)};

constexpr bindproto::instance params{
    .unit = "dctmdcdef",
    .basename = basename,
    .xcreate = "dctXCreate",
    .xcreated = "dctXCreateD",
    .xfree = "dctXFree",
    .xcheck = "dctXCheck",
    .xapiversion = "dctXAPIVersion",
    .setloadpath = {},
    .getloadpath = {},
    .initialize = "dctInitialize",
    .finalize = "dctFinalize",
    .apiversion = apiversion,
    .prefix = bindproto::prefixrule::none,
    .entries = entrytable,
    .where = q5rt::source_location::current(),
};

}  // namespace

BINDPROTO_INSTANCE("dctmdcdef")

}  // namespace dctmdcdef
