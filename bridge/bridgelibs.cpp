#include "bridge/bridgelibs.h"

#include <string>

namespace {

std::string filename(std::string_view stem) {
  return std::string(stem) + std::string(bridgelibs::libext);
}

const std::string optname = filename(bridgelibs::optfile);
const std::string brinname = filename(bridgelibs::brinfile);

}  // namespace

namespace bridgeopt {
namespace {
const bridgeloader::entrydesc entrytable[] = {OPTDCDEF_ENTRIES(BRIDGELOADER_DESC)};
const bridgeloader::instance params{.filename = optname,
                                    .xcreate = "XCreate",
                                    .xcreated = {},
                                    .xfree = "XFree",
                                    .xcheck = "CXCheck",
                                    .xapiversion = "CXAPIVersion",
                                    .apiversion = apiversion,
                                    .loadpath = true,
                                    .noversion = "Function XAPIVersion not found",
                                    .entries = entrytable};
}  // namespace
bridgeloader::loader lib{params};
}  // namespace bridgeopt

namespace bridgehvn {
namespace {
const bridgeloader::entrydesc entrytable[] = {HVNMDCDEF_ENTRIES(BRIDGELOADER_DESC)};
const bridgeloader::instance params{.filename = brinname,
                                    .xcreate = "hvnXCreate",
                                    .xcreated = "ChvnXCreateD",
                                    .xfree = "hvnXFree",
                                    .xcheck = "ChvnXCheck",
                                    .xapiversion = "ChvnXAPIVersion",
                                    .apiversion = apiversion,
                                    .loadpath = false,
                                    .noversion = "Function hvnXAPIVersion not found",
                                    .entries = entrytable};
}  // namespace
bridgeloader::loader lib{params};
}  // namespace bridgehvn

namespace bridgekro {
namespace {
const bridgeloader::entrydesc entrytable[] = {KROENTRIES(BRIDGELOADER_DESC)};
const bridgeloader::instance params{.filename = brinname,
                                    .xcreate = "kroXCreate",
                                    .xcreated = "CkroXCreateD",
                                    .xfree = "kroXFree",
                                    .xcheck = "CkroXCheck",
                                    .xapiversion = "CkroXAPIVersion",
                                    .apiversion = apiversion,
                                    .loadpath = false,
                                    .noversion = "Function kroXAPIVersion not found",
                                    .entries = entrytable};
}  // namespace
bridgeloader::loader lib{params};
}  // namespace bridgekro
