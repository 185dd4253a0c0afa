// The environment library's own declaration of the entries it implements, for hvnXCheck:
// name, result code, then the codes of the parameters after the object handle. The other
// entries are exported (see hvn_absent.cpp) but not implemented, so hvnXCheck refuses them.
#pragma once

#include <string_view>

namespace brin {

inline constexpr std::string_view hvnsignaturetext = R"(
hvnLog                  0 : 11
hvnStat                 0 : 11
hvnLogStat              0 : 11
hvnCapabilityCheck      3 : 3 11 20
hvnGetCurrentSolver    12 : 1
hvnGetIntOpt            3 : 11
hvnGetDblOpt           13 : 11
hvnGetStrOpt           12 : 11
hvnSetIntOpt            0 : 11 3
hvnSetDblOpt            0 : 11 13
hvnSetStrOpt            0 : 11 11
hvnTimeJNow            13
hvnTimeDiff            13
hvnTimeDiffStart       13
hvnTimeSetStart         0
hvnTerminateGet        15
hvnTerminateClear       0
hvnTerminateRaise       0
hvnGetScratchName      12 : 11
hvnThreads              3
)";

}  // namespace brin
