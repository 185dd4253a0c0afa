// Classification of 64-bit IEEE doubles by their bits, without floating-point
// comparisons: NaNs, infinities, denormals and signed zeros told apart.
//
// Usage:
//   if (q5ieeefp::fpclass(x) == q5ieeefp::fp_snan) ...
//   if (!q5ieeefp::q5isfinite(x)) ...
#pragma once

#include <bit>
#include <cstdint>

namespace q5ieeefp {

inline constexpr std::uint64_t signmask = 0x8000000000000000ULL;
inline constexpr std::uint64_t expomask = 0x7FF0000000000000ULL;
inline constexpr std::uint64_t qnanmask = 0x0008000000000000ULL;
inline constexpr std::uint64_t mantmask = 0x000FFFFFFFFFFFFFULL;

// Bit patterns offered to other units.
inline constexpr std::uint64_t nanquiet = 0xFFFFFFFF00000000ULL;
inline constexpr std::uint64_t nansignaling = 0xFFF7FFFF00000000ULL;
inline constexpr std::uint64_t infpositive = 0x7FF0000000000000ULL;
inline constexpr std::uint64_t infnegative = 0xFFF0000000000000ULL;

// The classes of fpclass.
enum : std::uint8_t {
  fp_snan = 0,
  fp_qnan = 1,
  fp_ninf = 2,
  fp_pinf = 3,
  fp_ndenorm = 4,
  fp_pdenorm = 5,
  fp_nzero = 6,
  fp_pzero = 7,
  fp_nnorm = 8,
  fp_pnorm = 9,
};

// The class 0..9 of x; NaNs carry no sign distinction.
[[nodiscard]] constexpr std::uint8_t fpclass(double x) {
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const auto field = (bits & expomask) >> 52;
  const bool zero_mantissa = (bits & mantmask) == 0;
  std::uint8_t c;
  if (field == 0) {
    c = zero_mantissa ? fp_nzero : fp_ndenorm;
  } else if (field == 2047) {
    if (!zero_mantissa) return (bits & qnanmask) != 0 ? fp_qnan : fp_snan;
    c = fp_ninf;
  } else {
    c = fp_nnorm;
  }
  if ((bits & signmask) == 0) ++c;
  return c;
}

// True unless every exponent bit is set (neither NaN nor infinite).
[[nodiscard]] constexpr bool q5isfinite(double x) {
  return (std::bit_cast<std::uint64_t>(x) & expomask) != expomask;
}

}  // namespace q5ieeefp
