// The model-object library's own declaration of the entries it implements, for kroXCheck:
// name, result code, then the codes of the parameters after the object handle. Written
// apart from the bridge's binding table (bridge/kroentries.h), so that a wrong code there
// is refused here; every entry of this table has its "C" form.
#pragma once

#include <string_view>

namespace brin {

inline constexpr std::string_view krosignaturetext = R"(
kroLoadDataLegacy         3 : 12
kroRegisterEnvironment    3 : 1 12
kroSetRvEquPermutation    3 : 8 3
kroSetRvVarPermutation    3 : 8 3
kroGetEquM                3 : 6
kroGetVarL                3 : 6
kroSetVarLOne             0 : 3 13
kroGetVarM                3 : 6
kroSetVarMOne             0 : 3 13
kroSetAltVarLowerOne      0 : 3 13
kroSetAltVarUpperOne      0 : 3 13
kroGetHeadnTail          13 : 3
kroModelType              3
kroOptFile                3
kroOptFileSet             0 : 3
kroModelStat              3
kroSolveStat              3
kroObjStyleSet            0 : 3
kroObjReform             15
kroAltBounds             15
kroAltBoundsSet           0 : 15
kroForceContSet           0 : 15
kroPinf                  13
kroPinfSet                0 : 13
kroMinf                  13
kroMinfSet                0 : 13
kroM                      3
kroN                      3
kroNZ                     3
kroNLNZ                   3
kroObjVar                 3
kroObjRow                 3
kroNameOptFile           12
kroNameOptFileSet         0 : 12
)";

}  // namespace brin
