// The data-exchange library's own declaration of the entries it implements, for XCheck:
// the unprefixed name, the result code, then the codes of the parameters after the object
// handle. The other entries are exported (see zlmvrk_absent.cpp) but not implemented, so
// XCheck refuses them.
#pragma once

#include <string_view>

namespace zlmvrk {

inline constexpr std::string_view signaturetext = R"(
vrkAutoConvert              3 : 3
vrkClose                    3
vrkDataErrorCount           3
vrkDataReadDone             3
vrkDataReadRaw              3 : 52 54 4
vrkDataReadRawStart         3 : 3 4
vrkDataWriteDone            3
vrkDataWriteRaw             3 : 51 53
vrkDataWriteRawStart        3 : 11 11 3 3 3
vrkGetDLLVersion            3 : 12
vrkErrorCount               3
vrkErrorStr                 3 : 3 12
vrkFileVersion              3 : 12 12
vrkFindSymbol               3 : 11 4
vrkGetLastError             3
vrkGetSpecialValues         3 : 58
vrkGetUEL                   3 : 3 12
vrkOpenRead                 3 : 11 4
vrkOpenWrite                3 : 11 11 4
vrkOpenWriteEx              3 : 11 11 3 4
vrkResetSpecialValues       3
vrkSetReadSpecialValues     3 : 57
vrkSetSpecialValues         3 : 57
vrkSymbolDim                3 : 3
vrkSymbolInfo               3 : 3 12 4 4
vrkSymbolInfoX              3 : 3 4 4 12
vrkSystemInfo               3 : 4 4
vrkUELRegisterDone          3
vrkUELRegisterRaw           3 : 11
vrkUELRegisterRawStart      3
vrkCurrentDim               3
vrkStoreDomainSets         15
vrkStoreDomainSetsSet       0 : 15
vrkAllowBogusDomains       15
vrkAllowBogusDomainsSet     0 : 15
vrkMapAcronymsToNaN        15
vrkMapAcronymsToNaNSet      0 : 15
)";

}  // namespace zlmvrk
