// The environment library's binding: its table and parameters on the binding engine, and
// the adapters of the booleans by reference.
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

std::int32_t asint(bool b) { return b ? 1 : 0; }

}  // namespace

bindproto::binding lib{params};

std::span<const bindproto::entrydesc> entries() { return entrytable; }

std::int32_t hvncapabilitycheck(bindproto::handle h, std::int32_t modeltype,
                                const q5rt::sstr& solver, bool& capable) {
  std::int32_t c = asint(capable);
  const std::int32_t result = bool_hvncapabilitycheck(h, modeltype, solver, &c);
  capable = c != 0;
  return result;
}

std::int32_t hvnsolvervisibility(bindproto::handle h, const q5rt::sstr& solver, bool& hidden,
                                 bool& defaultsolver) {
  std::int32_t hid = asint(hidden);
  std::int32_t def = asint(defaultsolver);
  const std::int32_t result = bool_hvnsolvervisibility(h, solver, &hid, &def);
  hidden = hid != 0;
  defaultsolver = def != 0;
  return result;
}

namespace {
void startup() { lib.startup(); }
void closedown() { lib.closedown(); }
q5rt::unit_registration reg{"hvnmdcdef", &startup, &closedown};
}  // namespace

}  // namespace hvnmdcdef
