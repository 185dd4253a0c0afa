// The conversion tool's option set: the options that optconvert.def (in the system
// directory) declares, addressed by index 0..68 (option number = index + 1), on the same
// implementation as BARON's option set. In this program only the written-model header
// uses it, for its time-stamp option.
//
// Usage:
//   optconvert::toptconvert& co = optconvert::coinit();   // halts when no option object
//   q5rt::sstr stamp = co.getactual(optconvert::ixheadertimestamp);
//   optconvert::cofini();
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "baron/optset.h"

namespace optconvert {

inline constexpr int optioncount = 69;
inline constexpr std::uint8_t ixheadertimestamp = 33;

inline constexpr std::array<std::int32_t, optioncount> optnamemap =
    optset::consecutivenumbers<optioncount>();

// Value lists of the definition file; no code reads them.
inline constexpr std::array<std::string_view, 2> venum_headertimestamp = {"None", "default"};
inline constexpr std::array<std::string_view, 5> venum_dualtype = {
    "None", "NLPScalarBounds", "NLPConstantBounds", "BiLevel", "MPEC"};
inline constexpr std::array<std::string_view, 1> dotrecsuff = {"dummydotoption"};

class toptconvert : public optset::toptset {
 public:
  explicit toptconvert(optdodef::tzlmoptions& options);
  // No control values are copied: logs and clears the messages; their count.
  std::int32_t optgetzolm() const { return optreporterrors(); }
  // The conversion set has no dot options: the outputs stay as passed.
  void optdotrecord(std::int32_t /*k*/) const {}
};

inline std::unique_ptr<toptconvert> co;
inline std::unique_ptr<optdodef::tzlmoptions> convertoptions;
inline q5rt::sstr apierrormsg;

// Creates the option object and the instance; halts (exit code 1) when the object cannot
// be created. A second coinit replaces both.
toptconvert& coinit();
void cofini();

}  // namespace optconvert
