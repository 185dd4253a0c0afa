// The option library's binding: its table and parameters on the binding engine.
#include "bindings/optdcdef.h"

namespace optdcdef {

namespace {

constexpr bindproto::entrydesc entrytable[] = {OPTDCDEF_ENTRIES(BINDPROTO_DESC)};

constexpr bindproto::instance params{
    .unit = "optdcdef",
    .basename = basename,
    .xcreate = "XCreate",
    .xcreated = {},
    .xfree = "XFree",
    .xcheck = "XCheck",
    .xapiversion = "XAPIVersion",
    .setloadpath = "optSetLoadPath",
    .getloadpath = "optGetLoadPath",
    .initialize = "optInitialize",
    .finalize = "optFinalize",
    .apiversion = apiversion,
    .prefix = bindproto::prefixrule::none,
    .entries = entrytable,
    .where = q5rt::source_location::current(),
};

}  // namespace

BINDPROTO_INSTANCE("optdcdef")

}  // namespace optdcdef
