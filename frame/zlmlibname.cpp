// The maker's library file names.
#include "frame/zlmlibname.h"

namespace zlmlibname::detail {

q5rt::sstr libnameq5(std::string_view base) {
  const auto nul = base.find('\0');
  if (nul != std::string_view::npos) base = base.substr(0, nul);
  return q5rt::concat("lib", base, "64", buildlibext);
}

}  // namespace zlmlibname::detail
