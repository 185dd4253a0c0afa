// The dictionary library's own declaration of the entries it implements, for XCheck: name,
// result code, then the codes of the parameters after the object handle. dctLoadWithHandle
// and dctWriteVRK are exported but not implemented, so XCheck refuses them.
#pragma once

#include <string_view>

namespace zlmdct {

inline constexpr std::string_view signaturetext = R"(
dctLoadEx               3 : 11 17
dctNUels                3
dctUelIndex             3 : 11
dctUelLabel             3 : 3 19 17
dctNLSyms               3
dctSymDim               3 : 3
dctSymIndex             3 : 11
dctSymName              3 : 3 17
dctSymText              3 : 3 19 17
dctSymType              3 : 3
dctSymUserInfo          3 : 3
dctSymEntries           3 : 3
dctSymOffset            3 : 3
dctSymDomNames          3 : 3 56 4
dctSymDomIdx            3 : 3 52 4
dctDomNameCount         3
dctDomName              3 : 3 17
dctColIndex             3 : 3 51
dctRowIndex             3 : 3 51
dctColUels              3 : 3 4 52 4
dctRowUels              3 : 3 4 52 4
dctFindFirstRowCol      1 : 3 51 4
dctFindNextRowCol       3 : 1 4
dctFindClose            0 : 1
dctMemUsed             13
dctSetBasicCounts       0 : 3 3 3
dctSetBasicCountsEx    15 : 3 3 23 17
dctAddUel               0 : 11 18
dctAddSymbol            0 : 11 3 3 3 11
dctAddSymbolData        0 : 51
dctAddSymbolDoms       15 : 11 55 3 17
dctWriteVRKWithHandle   0 : 1 12
dctNRows                3
dctNCols                3
dctLrgDim               3
)";

}  // namespace zlmdct
