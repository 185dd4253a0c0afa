// C strings for the closed libraries' interfaces: conversions that accept nullptr and
// report a text too long for a short string instead of cutting it.
//
// Usage:
//   char buf[256];
//   lib_call(pchutil::strtostrbuf(name, buf));
//   q5rt::sstr text = pchutil::pchartostr(lib_answer());  // "" for nullptr
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

#include "frame/q5rt.h"

namespace pchutil {

// nullptr for the empty text, else a new C string.
[[nodiscard]] std::unique_ptr<char[]> strtopchar(std::string_view s);
// A new C string of one NUL byte.
[[nodiscard]] std::unique_ptr<char[]> emptytopchar();
// Copies the characters and a NUL into the buffer (cut to fit); returns the buffer.
char* strtostrbuf(std::string_view s, std::span<char> buffer);
// "" for nullptr, the text when it has at most 255 characters, else "PCharToStr Overflow".
[[nodiscard]] q5rt::sstr pchartostr(const char* p);
// As pchartostr, with the text "ConvertPChar Overflow".
void convertpchar(const char* p, q5rt::sstr& s);
// Number of characters; 0 for nullptr.
[[nodiscard]] std::size_t pcharlen(const char* p);
// Copies p (or s) to 0-based position pos, advances pos, writes a NUL; cut to fit.
void pcharconcatpchar(std::span<char> buffer, int& pos, const char* p);
void pcharconcatstr(std::span<char> buffer, int& pos, std::string_view s);
// The first min(n, len(s)) characters and a NUL (just a NUL when that is below 1).
void strpcopyn(std::span<char> buffer, std::string_view s, int n);

}  // namespace pchutil
