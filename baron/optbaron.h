// BARON's option set: one object of the option library holding the options that
// optbaron.def (in the system directory) declares, addressed by index 0..122 (option
// number = index + 1). The run preparation creates and fills it; the dot options, the
// input writer and the result reader read it.
//
// Usage:
//   optbaron::toptconvert& bo = optbaron::boinit();   // halts when no option object
//   if (bo.optdefine() != 0 || bo.optgetzolm() != 0) fail();
//   (void)bo.optreadoptions();
//   double epsa = bo.getnumber(27);
//   optbaron::bofini();
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "baron/optset.h"

namespace optbaron {

inline constexpr int optioncount = 123;

// Option indices whose role the link fixes.
enum index : std::uint8_t {
  ixepsa = 27,
  ixepsr = 28,
  ixsolprefix = 31,
  ixhessian = 33,
  ixinfbnd = 37,
  ixnlpsol = 58,
  ixskipstart = 60,
  ixphaseone = 77,
  ixobjreform = 95,
  ixthreads = 100,
  ixlpmode = 103,
  ixctrlfile = 108,
  ixhessctrl = 109,
  ixhessinst = 110,
  ixtim = 111,
  ixres = 112,
  ixsum = 113,
  ixopt = 114,
  ixbarname = 116,
  ixobjvarname = 118,
  ixextnlpsolver = 119,
  ixsecret = 121,
  ixclocktype = 122,
};

// Dot-record kinds and their option numbers 105..108.
enum dotkind : std::int32_t { dotlo = 0, dotup = 1, dotprior = 2, dotequclass = 3 };
inline constexpr std::array<std::string_view, 4> dotrecsuff = {"Lo", "Up", "Prior", "EquClass"};
inline constexpr std::array<std::string_view, 3> venum_clocktype = {"wall", "cpu", "baron"};

// Entry i holds option number i + 1.
inline constexpr std::array<std::int32_t, optioncount> optnamemap =
    optset::consecutivenumbers<optioncount>();

inline constexpr std::int32_t maxdotlabels = 20;

// One dot option of the user's option file.
struct dotrecord {
  q5rt::sstr symbol;
  std::int32_t dimension = 0;
  std::int32_t kind = -1;  // dotkind; -1 for an option number outside 105..108
  std::array<q5rt::sstr, maxdotlabels> labels{};
  double value = 0;
};

class toptconvert : public optset::toptset {
 public:
  explicit toptconvert(optdodef::tzlmoptions& options);
  // Copies the control file's option values into their options; the message count.
  std::int32_t optgetzolm() const;
  // Dot option k (1-based); labels beyond maxdotlabels are not read.
  void optdotrecord(std::int32_t k, dotrecord& rec) const;
};

// The one instance and the option object it uses (owned here).
inline std::unique_ptr<toptconvert> bo;
inline std::unique_ptr<optdodef::tzlmoptions> convertoptions;
inline q5rt::sstr apierrormsg;

// Creates the option object and the instance; halts (exit code 1) when the object cannot
// be created.
toptconvert& boinit();
void bofini();

}  // namespace optbaron
