// The option library's own declaration of its entries for XCheck: name, result code, then
// the codes of the parameters after the object handle. Shared by the short-string and the
// zero-terminated ("C"-prefixed) boundaries.
#pragma once

#include <string_view>

namespace zlmopt {

inline constexpr std::string_view signaturetext = R"(
optReadDefinition            3 : 11
optReadDefinitionFromPChar   3 : 10
optReadParameterFile         3 : 11
optReadFromStr               0 : 11
optWriteParameterFile        3 : 11
optClearMessages             0
optAddMessage                0 : 11
optGetMessage                0 : 3 12 4
optResetAll                  0
optResetAllRecent            0
optResetRecentChanges        0
optShowHelp                  0 : 11
optResetNr                   3 : 3
optFindStr                   3 : 11 4 4
optGetInfoNr                 3 : 3 4 4 4 4 4 4
optGetValuesNr               3 : 3 12 4 14 12
optSetValuesNr               3 : 3 3 13 11
optSetValues2Nr              3 : 3 3 13 11
optVersion                   0 : 12
optDefinitionFile            0 : 12
optGetFromAnyStrList         3 : 3 12 12
optGetFromListStr            3 : 11 12
optListCountStr              3 : 11
optReadFromListStr           3 : 11 3 12
optSynonymCount              3
optGetSynonym                3 : 3 12 12
optEchoSet                   0 : 3
optEOLOnlySet                3 : 3
optNoBoundsSet               0 : 3
optEOLChars                  3 : 12
optErrorCount                0 : 4 4
optGetBoundsInt              3 : 3 4 4 4
optGetBoundsDbl              3 : 3 14 14 14
optGetDefaultStr             3 : 3 12
optGetIntNr                  3 : 3 4
optGetInt2Nr                 3 : 3 4
optSetIntNr                  3 : 3 3
optSetInt2Nr                 3 : 3 3
optGetStrNr                  3 : 3 12
optGetOptHelpNr              3 : 3 12 4 4
optGetEnumHelp               3 : 3 3 4 12
optGetEnumStrNr              3 : 3 12 4
optGetEnumCount              3 : 3 4
optGetEnumValue              3 : 3 3 4 12
optGetStr2Nr                 3 : 3 12
optSetStrNr                  3 : 3 11
optSetStr2Nr                 3 : 3 11
optGetDblNr                  3 : 3 14
optGetDbl2Nr                 3 : 3 14
optSetDblNr                  3 : 3 13
optSetDbl2Nr                 3 : 3 13
optGetValStr                 3 : 11 12
optGetVal2Str                3 : 11 12
optGetNameNr                 3 : 3 12
optGetDefinedNr              3 : 3 4
optGetHelpNr                 3 : 3 12 12
optGetGroupNr                3 : 3 12 4 4 12
optGetGroupGrpNr             3 : 3
optGetOptGroupNr             3 : 3
optGetDotOptNr               3 : 3 12 4 4 14
optGetDotOptUel              3 : 3 3 12
optGetVarEquMapNr            3 : 3 3 12 12 4 4 4
optGetEquVarEquMapNr         3 : 3 3 3 12
optGetVarVarEquMapNr         3 : 3 3 3 12
optVarEquMapCount            3 : 3 4
optGetIndicatorNr            3 : 3 12 12 4 4 4
optGetEquIndicatorNr         3 : 3 3 12
optGetVarIndicatorNr         3 : 3 3 12
optIndicatorCount            3 : 4
optDotOptCount               3 : 4
optSetRefNr                  3 : 3 3
optSetRefNrStr               3 : 11 3
optGetConstName              3 : 3 3 12
optGetTypeName               3 : 3 12
optLookUp                    3 : 11
optReadFromPChar             0 : 10
optReadFromCmdLine           0 : 10
optReadFromCmdArgs           0 : 59
optGetNameOpt                3 : 11 12 4
optResetStr                  15 : 11
optGetDefinedStr             15 : 11
optGetIntStr                 3 : 11
optGetDblStr                 13 : 11
optGetStrStr                 12 : 11
optSetIntStr                 0 : 11 3
optSetDblStr                 0 : 11 13
optSetStrStr                 0 : 11 11
optIsDeprecated              15 : 11
optCount                     3
optMessageCount              3
optGroupCount                3
optRecentEnabled             3
optRecentEnabledSet          0 : 3
optSeparator                 12
optStringQuote               12
)";

}  // namespace zlmopt
