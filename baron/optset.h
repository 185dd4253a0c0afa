// Project helper, not a unit of the system: the option-set code that two units share.
//
// One option set of the option library, addressed by a small index: the implementation that
// BARON's option set (baron/optbaron.h) and the conversion option set (baron/optconvert.h)
// share. Each set brings its own table of option numbers (entry i holds the option library's
// number for index i) and its own definition file, read from the system directory.
//
// Usage:
//   optset::toptset set(wrapper, optset::setdesc{"optbaron.def", namemap});
//   if (set.optdefine() != 0) fail();          // messages are in log and status file
//   double v = set.getnumber(27);  set.setactual(116, name);
//   q5rt::sstr name = set.getoptname(27);
//
// Accessors never fail: an option of another data type reads as 0 or the empty text and
// ignores a set.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "bindings/optdodef.h"
#include "frame/q5rt.h"

namespace optset {

// The option library's data types.
enum datatype : std::int32_t { typeint = 1, typedbl = 2, typestr = 3 };

// The name table of a set whose option numbers are its indices plus one.
template <std::size_t N>
constexpr std::array<std::int32_t, N> consecutivenumbers() {
  std::array<std::int32_t, N> m{};
  for (std::size_t i = 0; i < N; ++i) m[i] = static_cast<std::int32_t>(i + 1);
  return m;
}

struct setdesc {
  std::string_view deffile;               // read from the system directory
  std::span<const std::int32_t> namemap;  // option number of each index
};

class toptset {
 public:
  toptset(optdodef::tzlmoptions& options, setdesc desc) : options_(&options), desc_(desc) {}

  [[nodiscard]] optdodef::tzlmoptions& options() const { return *options_; }
  // The option library's number of an index (0 for an index beyond the table).
  [[nodiscard]] std::int32_t number(std::uint8_t index) const;

  [[nodiscard]] q5rt::sstr getoptname(std::uint8_t index) const;
  [[nodiscard]] q5rt::sstr getopttext(std::uint8_t index) const;
  [[nodiscard]] bool getdefined(std::uint8_t index) const;
  [[nodiscard]] bool getdefined2(std::uint8_t index) const;
  // 0 number (integer or double), 1 text, 2 other.
  [[nodiscard]] std::int32_t gettype(std::uint8_t index) const;
  [[nodiscard]] std::int32_t getgroup(std::uint8_t index) const;
  [[nodiscard]] double getnumber(std::uint8_t index) const;
  void setnumber(std::uint8_t index, double value) const;
  [[nodiscard]] double getnumber2(std::uint8_t index) const;
  void setnumber2(std::uint8_t index, double value) const;
  void setdefined(std::uint8_t index, bool defined) const;
  [[nodiscard]] q5rt::sstr getactual(std::uint8_t index) const;
  void setactual(std::uint8_t index, std::string_view value) const;
  [[nodiscard]] std::int32_t optstrcount(std::uint8_t index) const;
  [[nodiscard]] q5rt::sstr optstrvalue(std::uint8_t index, std::int32_t position) const;
  [[nodiscard]] char opttypeid(std::uint8_t index) const;
  [[nodiscard]] std::int32_t optref(std::uint8_t index) const;

  // Reads the definition file (system directory + deffile); the messages count.
  std::int32_t optdefine() const;
  // Logs and clears the option library's messages; their count.
  std::int32_t optreporterrors() const;
  // Reads the user's option file when the control file asks for one; the message count.
  std::int32_t optreadoptions() const;
  // The number of dot options read from the option file.
  [[nodiscard]] std::int32_t optdotcount() const;

  // The data type of an option number (optgetinfonr).
  [[nodiscard]] std::int32_t datatypenr(std::int32_t nr) const;
  // Sets an integer or double option by number; other data types are left alone.
  void setnumbernr(std::int32_t nr, double value) const;

 private:
  // An integer or double option's first or second value.
  [[nodiscard]] double value(std::int32_t nr, bool second) const;
  void setvalue(std::int32_t nr, double value, bool second) const;

  optdodef::tzlmoptions* options_;
  setdesc desc_;
};

// An integer option's value: rounded half away from zero, clamped to 32 bits.
[[nodiscard]] std::int32_t roundint(double value);

// Creates the option object of a set; when it cannot be created, the five lines naming
// unitname go to standard output and the program halts with exit code 1.
std::unique_ptr<optdodef::tzlmoptions> createoptions(std::string_view unitname,
                                                     q5rt::sstr& apierrormsg);

}  // namespace optset
