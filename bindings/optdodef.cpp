// The option object's unit-level load-path calls.
#include "bindings/optdodef.h"

namespace optdodef {

bool optsetloadpath(std::string_view dir) {
  const auto entry = optdcdef::lib.setloadpathentry();
  if (entry == nullptr) return false;
  const q5rt::sstr d = q5rt::sstr::cut(dir);
  entry(&d);
  return true;
}

bool optgetloadpath(q5rt::sstr& dir) {
  const auto entry = optdcdef::lib.getloadpathentry();
  if (entry == nullptr) return false;
  entry(&dir);
  return true;
}

}  // namespace optdodef
