// Opening files with retries, for files that another process may still hold for a
// moment (the control file that the modelling system has just written).
//
// Each routine binds the name to the file and opens it. Without retries it opens once and
// gives 0. With retries a failed open is tried again after 10, 100 and 1000 ms (at most
// four attempts); the result is the number of retries made, so 3 means success at the
// last retry or failure, and rc tells them apart (0 = open, else the system's error
// number of the last attempt). A success after retries writes two report lines on
// standard output. Opens never raise, whatever the file's I/O checking.
//
// Usage:
//   std::int32_t rc;
//   (void)gfileopen::grreset(name, true, f, rc);
//   if (rc != 0) message = q5rt::syserrortext(rc);
#pragma once

#include <cstdint>
#include <string_view>

#include "frame/q5text.h"

namespace gfileopen {

// The action texts of the report.
inline constexpr std::string_view actionrewrite = "ReWrite";
inline constexpr std::string_view actionreset = "Reset";
inline constexpr std::string_view actionappend = "Append";

// Text files: for writing (created or emptied), reading and appending.
std::int32_t grrewrite(std::string_view name, bool retry, q5rt::textfile& f, std::int32_t& rc);
std::int32_t grreset(std::string_view name, bool retry, q5rt::textfile& f, std::int32_t& rc);
std::int32_t grappend(std::string_view name, bool retry, q5rt::textfile& f, std::int32_t& rc);

// Untyped files with a record size: for writing and for reading.
std::int32_t grrewriteuntyped(std::string_view name, std::int32_t recsize, bool retry,
                              q5rt::untypedfile& f, std::int32_t& rc);
std::int32_t grresetuntyped(std::string_view name, std::int32_t recsize, bool retry,
                            q5rt::untypedfile& f, std::int32_t& rc);

namespace detail {

// The wait between attempts; tests replace it (nullptr restores the real sleep).
using sleeper = void (*)(int ms);
void set_sleeper(sleeper s);

}  // namespace detail

}  // namespace gfileopen
