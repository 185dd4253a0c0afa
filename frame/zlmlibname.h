// The file names under which Zolm's own libraries ship: "lib" + base + "64" + the build's
// shared-library extension (".so" here), whatever platform was detected at start-up.
//
// Usage:
//   q5rt::sstr file;
//   zlmlibname::zolmlibnameq5(file, "optcl");   // "liboptcl64.so"
#pragma once

#include <string>
#include <string_view>

#include "frame/q5rt.h"

namespace zlmlibname {

namespace detail {
// The extension of the platform this program is built for.
#ifdef __APPLE__
inline constexpr std::string_view buildlibext = ".dylib";
#else
inline constexpr std::string_view buildlibext = ".so";
#endif

// "lib" + base (up to a zero character) + "64" + extension, each piece cut so that the
// whole stays within 255 characters.
[[nodiscard]] q5rt::sstr libnameq5(std::string_view base);
}  // namespace detail

// The maker's file name for base, cut to result's capacity.
template <std::size_t N>
const q5rt::shortstring<N>& zolmlibnameq5(q5rt::shortstring<N>& result, std::string_view base) {
  result.assign_cut(detail::libnameq5(base).view());
  return result;
}

// The old-style name: base + "64", cut to result's capacity.
template <std::size_t N>
const q5rt::shortstring<N>& zolmlibnameold(q5rt::shortstring<N>& result, std::string_view base) {
  result.assign_cut(q5rt::concat(base, "64").view());
  return result;
}

}  // namespace zlmlibname
