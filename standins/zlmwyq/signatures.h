// The configuration library's own declaration of its entries for XCheck: the unprefixed
// name, the result code, then the codes of the parameters after the object handle.
#pragma once

#include <string_view>

namespace zlmwyq {

inline constexpr std::string_view signaturetext = R"(
wyqReadZOLMConfig         3 : 11
wyqWriteZOLMConfig        3 : 11
wyqSetReadReleaseFilter   3 : 11
wyqGetItemCount           3
wyqGetItemKV              3 : 3 3 21 21 17
wyqGetModelTypes          3 : 3 8 3
wyqStartSectionItem       3 : 3 11 21
wyqAddItemKV              3 : 3 3 11
wyqDoneSectionItem        3
wyqMakeNoneItem           3 : 3
wyqGetErrorMessage        3 : 17
)";

}  // namespace zlmwyq
