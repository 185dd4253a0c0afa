// Conversions between short strings and NUL-terminated C strings, as the command runner
// and the library loader need them. Buffers are spans: nothing is written past their end,
// a text that does not fit is cut and still NUL-terminated.
//
// Usage:
//   auto cpath = q5private::strtopchar(path);          // owned C string, also for ""
//   q5rt::sstr msg = q5private::pchartostr(dlerror());  // cut at 255
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

#include "frame/q5rt.h"

namespace q5private {

// A new C string of L + 1 bytes, also for the empty text.
[[nodiscard]] std::unique_ptr<char[]> strtopchar(std::string_view s);
// Copies the characters and a NUL into the buffer; returns the buffer.
char* strtostrbuf(std::string_view s, std::span<char> buffer);
// The characters up to the NUL, at most 255; nullptr gives the empty text.
[[nodiscard]] q5rt::sstr pchartostr(const char* p);
// The characters up to the NUL or the buffer's end, at most 255.
[[nodiscard]] q5rt::sstr strbuftostr(std::span<const char> buffer);
// Appends p at 0-based position pos (the NUL ending the buffer's text), writes a NUL after
// it and advances pos by the characters written; nullptr: nothing.
void pcharconcatpchar(std::span<char> buffer, int& pos, const char* p);
// The same for the characters of s; the empty text: nothing.
void pcharconcatstr(std::span<char> buffer, int& pos, std::string_view s);

}  // namespace q5private
