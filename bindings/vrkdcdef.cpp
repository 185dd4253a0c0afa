// The data-exchange library's binding: its table and parameters on the binding engine.
#include "bindings/vrkdcdef.h"

namespace vrkdcdef {

namespace {

constexpr bindproto::entrydesc entrytable[] = {VRKDCDEF_ENTRIES(BINDPROTO_DESC)};

constexpr bindproto::instance params{
    .unit = "vrkdcdef",
    .basename = basename,
    .xcreate = "XCreate",
    .xcreated = "D__XCreateD",
    .xfree = "XFree",
    .xcheck = "D__XCheck",
    .xapiversion = "D__XAPIVersion",
    .setloadpath = "vrkSetLoadPath",
    .getloadpath = "vrkGetLoadPath",
    .initialize = "C__vrkInitialize",
    .finalize = "C__vrkFinalize",
    .apiversion = apiversion,
    .prefix = bindproto::prefixrule::dc,
    .entries = entrytable,
    .where = q5rt::source_location::current(),
};

}  // namespace

BINDPROTO_INSTANCE("vrkdcdef")

}  // namespace vrkdcdef
