// The option library's binding: one instance of the binding engine (bindings/bindproto.h).
// The option library reads option definition files and user option files and keeps, per
// object, numbered options with values, defined states, groups, list values, dot options
// and messages. Its only user is the option object of unit optdodef.
//
// Usage:
//   q5rt::sstr msg;
//   bindproto::handle h = nullptr;
//   if (!optdcdef::optcreate(h, msg)) report(msg);      // loads libzlmopt64.so by search
//   (void)optdcdef::optreaddefinition(h, q5rt::sstr::cut(path));
//   std::int32_t v = 0;
//   (void)optdcdef::optgetintnr(h, 3, v);
//   q5rt::sstr text;
//   optdcdef::optgetstrstr(text, h, q5rt::sstr::cut("name"));   // string result first
//   optdcdef::optfree(h);
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "bindings/bindproto.h"
#include "frame/q5rt.h"

namespace optdcdef {

inline constexpr int apiversion = 4;
inline constexpr std::string_view basename = "zlmopt";

// The option library's API entries in binding order:
// X(exported name, C++ name, option-object method, result code, parameter codes...).
// The codes are the signature that the library's XCheck confirms (handle not counted).
// clang-format off
#define OPTDCDEF_ENTRIES(X) \
  X(optReadDefinition, optreaddefinition, optreaddefinition, 3, 11)                            \
  X(optReadDefinitionFromPChar, optreaddefinitionfrompchar, optreaddefinitionfrompchar, 3, 10) \
  X(optReadParameterFile, optreadparameterfile, optreadparameterfile, 3, 11)                   \
  X(optReadFromStr, optreadfromstr, optreadfromstr, 0, 11)                                     \
  X(optWriteParameterFile, optwriteparameterfile, optwriteparameterfile, 3, 11)                \
  X(optClearMessages, optclearmessages, optclearmessages, 0)                                   \
  X(optAddMessage, optaddmessage, optaddmessage, 0, 11)                                        \
  X(optGetMessage, optgetmessage, optgetmessage, 0, 3, 12, 4)                                  \
  X(optResetAll, optresetall, optresetall, 0)                                                  \
  X(optResetAllRecent, optresetallrecent, optresetallrecent, 0)                                \
  X(optResetRecentChanges, optresetrecentchanges, optresetrecentchanges, 0)                    \
  X(optShowHelp, optshowhelp, optshowhelp, 0, 11)                                              \
  X(optResetNr, optresetnr, optresetnr, 3, 3)                                                  \
  X(optFindStr, optfindstr, optfindstr, 3, 11, 4, 4)                                           \
  X(optGetInfoNr, optgetinfonr, optgetinfonr, 3, 3, 4, 4, 4, 4, 4, 4)                          \
  X(optGetValuesNr, optgetvaluesnr, optgetvaluesnr, 3, 3, 12, 4, 14, 12)                       \
  X(optSetValuesNr, optsetvaluesnr, optsetvaluesnr, 3, 3, 3, 13, 11)                           \
  X(optSetValues2Nr, optsetvalues2nr, optsetvalues2nr, 3, 3, 3, 13, 11)                        \
  X(optVersion, optversion, optversion, 0, 12)                                                 \
  X(optDefinitionFile, optdefinitionfile, optdefinitionfile, 0, 12)                            \
  X(optGetFromAnyStrList, optgetfromanystrlist, optgetfromanystrlist, 3, 3, 12, 12)            \
  X(optGetFromListStr, optgetfromliststr, optgetfromliststr, 3, 11, 12)                        \
  X(optListCountStr, optlistcountstr, optlistcountstr, 3, 11)                                  \
  X(optReadFromListStr, optreadfromliststr, optreadfromliststr, 3, 11, 3, 12)                  \
  X(optSynonymCount, optsynonymcount, optsynonymcount, 3)                                      \
  X(optGetSynonym, optgetsynonym, optgetsynonym, 3, 3, 12, 12)                                 \
  X(optEchoSet, optechoset, optechoset, 0, 3)                                                  \
  X(optEOLOnlySet, opteolonlyset, opteolonlyset, 3, 3)                                         \
  X(optNoBoundsSet, optnoboundsset, optnoboundsset, 0, 3)                                      \
  X(optEOLChars, opteolchars, opteolchars, 3, 12)                                              \
  X(optErrorCount, opterrorcount, opterrorcount, 0, 4, 4)                                      \
  X(optGetBoundsInt, optgetboundsint, optgetboundsint, 3, 3, 4, 4, 4)                          \
  X(optGetBoundsDbl, optgetboundsdbl, optgetboundsdbl, 3, 3, 14, 14, 14)                       \
  X(optGetDefaultStr, optgetdefaultstr, optgetdefaultstr, 3, 3, 12)                            \
  X(optGetIntNr, optgetintnr, optgetintnr, 3, 3, 4)                                            \
  X(optGetInt2Nr, optgetint2nr, optgetint2nr, 3, 3, 4)                                         \
  X(optSetIntNr, optsetintnr, optsetintnr, 3, 3, 3)                                            \
  X(optSetInt2Nr, optsetint2nr, optsetint2nr, 3, 3, 3)                                         \
  X(optGetStrNr, optgetstrnr, optgetstrnr, 3, 3, 12)                                           \
  X(optGetOptHelpNr, optgetopthelpnr, optgetopthelpnr, 3, 3, 12, 4, 4)                         \
  X(optGetEnumHelp, optgetenumhelp, optgetenumhelp, 3, 3, 3, 4, 12)                            \
  X(optGetEnumStrNr, optgetenumstrnr, optgetenumstrnr, 3, 3, 12, 4)                            \
  X(optGetEnumCount, optgetenumcount, optgetenumcount, 3, 3, 4)                                \
  X(optGetEnumValue, optgetenumvalue, optgetenumvalue, 3, 3, 3, 4, 12)                         \
  X(optGetStr2Nr, optgetstr2nr, optgetstr2nr, 3, 3, 12)                                        \
  X(optSetStrNr, optsetstrnr, optsetstrnr, 3, 3, 11)                                           \
  X(optSetStr2Nr, optsetstr2nr, optsetstr2nr, 3, 3, 11)                                        \
  X(optGetDblNr, optgetdblnr, optgetdblnr, 3, 3, 14)                                           \
  X(optGetDbl2Nr, optgetdbl2nr, optgetdbl2nr, 3, 3, 14)                                        \
  X(optSetDblNr, optsetdblnr, optsetdblnr, 3, 3, 13)                                           \
  X(optSetDbl2Nr, optsetdbl2nr, optsetdbl2nr, 3, 3, 13)                                        \
  X(optGetValStr, optgetvalstr, optgetvalstr, 3, 11, 12)                                       \
  X(optGetVal2Str, optgetval2str, optgetval2str, 3, 11, 12)                                    \
  X(optGetNameNr, optgetnamenr, optgetnamenr, 3, 3, 12)                                        \
  X(optGetDefinedNr, optgetdefinednr, optgetdefinednr, 3, 3, 4)                                \
  X(optGetHelpNr, optgethelpnr, optgethelpnr, 3, 3, 12, 12)                                    \
  X(optGetGroupNr, optgetgroupnr, optgetgroupnr, 3, 3, 12, 4, 4, 12)                           \
  X(optGetGroupGrpNr, optgetgroupgrpnr, optgetgroupgrpnr, 3, 3)                                \
  X(optGetOptGroupNr, optgetoptgroupnr, optgetoptgroupnr, 3, 3)                                \
  X(optGetDotOptNr, optgetdotoptnr, optgetdotoptnr, 3, 3, 12, 4, 4, 14)                        \
  X(optGetDotOptUel, optgetdotoptuel, optgetdotoptuel, 3, 3, 3, 12)                            \
  X(optGetVarEquMapNr, optgetvarequmapnr, optgetvarequmapnr, 3, 3, 3, 12, 12, 4, 4, 4)         \
  X(optGetEquVarEquMapNr, optgetequvarequmapnr, optgetequvarequmapnr, 3, 3, 3, 3, 12)          \
  X(optGetVarVarEquMapNr, optgetvarvarequmapnr, optgetvarvarequmapnr, 3, 3, 3, 3, 12)          \
  X(optVarEquMapCount, optvarequmapcount, optvarequmapcount, 3, 3, 4)                          \
  X(optGetIndicatorNr, optgetindicatornr, optgetindicatornr, 3, 3, 12, 12, 4, 4, 4)            \
  X(optGetEquIndicatorNr, optgetequindicatornr, optgetequindicatornr, 3, 3, 3, 12)             \
  X(optGetVarIndicatorNr, optgetvarindicatornr, optgetvarindicatornr, 3, 3, 3, 12)             \
  X(optIndicatorCount, optindicatorcount, optindicatorcount, 3, 4)                             \
  X(optDotOptCount, optdotoptcount, optdotoptcount, 3, 4)                                      \
  X(optSetRefNr, optsetrefnr, optsetrefnr, 3, 3, 3)                                            \
  X(optSetRefNrStr, optsetrefnrstr, optsetrefnrstr, 3, 11, 3)                                  \
  X(optGetConstName, optgetconstname, optgetconstname, 3, 3, 3, 12)                            \
  X(optGetTypeName, optgettypename, optgettypename, 3, 3, 12)                                  \
  X(optLookUp, optlookup, optlookup, 3, 11)                                                    \
  X(optReadFromPChar, optreadfrompchar, optreadfrompchar, 0, 10)                               \
  X(optReadFromCmdLine, optreadfromcmdline, optreadfromcmdline, 0, 10)                         \
  X(optReadFromCmdArgs, optreadfromcmdargs, optreadfromcmdargs, 0, 59)                         \
  X(optGetNameOpt, optgetnameopt, optgetnameopt, 3, 11, 12, 4)                                 \
  X(optResetStr, optresetstr, optresetstr, 15, 11)                                             \
  X(optGetDefinedStr, optgetdefinedstr, optgetdefinedstr, 15, 11)                              \
  X(optGetIntStr, optgetintstr, optgetintstr, 3, 11)                                           \
  X(optGetDblStr, optgetdblstr, optgetdblstr, 13, 11)                                          \
  X(optGetStrStr, optgetstrstr, optgetstrstr, 12, 11)                                          \
  X(optSetIntStr, optsetintstr, optsetintstr, 0, 11, 3)                                        \
  X(optSetDblStr, optsetdblstr, optsetdblstr, 0, 11, 13)                                       \
  X(optSetStrStr, optsetstrstr, optsetstrstr, 0, 11, 11)                                       \
  X(optIsDeprecated, optisdeprecated, optisdeprecated, 15, 11)                                 \
  X(optCount, optcount, doptcount, 3)                                                          \
  X(optMessageCount, optmessagecount, doptmessagecount, 3)                                     \
  X(optGroupCount, optgroupcount, doptgroupcount, 3)                                           \
  X(optRecentEnabled, optrecentenabled, doptrecentenabled, 3)                                  \
  X(optRecentEnabledSet, optrecentenabledset, doptrecentenabledset, 0, 3)                      \
  X(optSeparator, optseparator, doptseparator, 12)                                             \
  X(optStringQuote, optstringquote, doptstringquote, 12)
// clang-format on

extern bindproto::binding lib;

enum entryindex : std::size_t { OPTDCDEF_ENTRIES(BINDPROTO_INDEX) entrycount };
static_assert(entrycount == 95);

// The callable entries: optdcdef::optgetintnr(h, nr, value) and so on. The boolean entries
// (optresetstr, optgetdefinedstr, optisdeprecated) return bool; the short-string entries
// (optgetstrstr, optseparator, optstringquote) take the caller's result first.
OPTDCDEF_ENTRIES(BINDPROTO_ENTRY)

// optgetready, optcreate, optfree, optlibraryunload, optfuncloaded, the indicators, ...
BINDPROTO_OPERATIONS(opt)

// The engine's rows of the entries, in binding order (the tests compare them).
[[nodiscard]] std::span<const bindproto::entrydesc> entries();

}  // namespace optdcdef
