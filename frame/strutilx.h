// String utilities on short strings: heap strings, comparison, search, case, padding,
// tokens, file-name pieces and the byte-order-mark test. Number text and text to number
// live in frame/strutilx_numbers.h.
//
// Texts come in as std::string_view (a q5rt::sstr converts implicitly) and go out as
// q5rt::sstr, cut at 255 characters. Positions are 1-based; 0 means "not found".
//
// Usage:
//   strutilx::pstring name = strutilx::newstring("abc");   // nullptr for ""
//   if (strutilx::pstruequal(name, other)) ...
//   strutilx::disposestring(name);
//   q5rt::sstr ext = strutilx::extractfileextex("/a/b.txt");   // ".txt"
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "frame/q5rt.h"

namespace strutilx {

// ---- heap strings ----

// A heap string is a block of exactly L + 1 bytes: the length byte L and the characters.
// The empty text is never a block: it is nullptr.
struct heapblock;
using pstring = heapblock*;

// 255 blanks, filled by the unit's start-up.
inline q5rt::sstr blanks255;

[[nodiscard]] pstring newstring(std::string_view s);
void disposestring(pstring p);
[[nodiscard]] q5rt::sstr getstring(const heapblock* p);
// The text of the block without a copy; valid while the block lives.
[[nodiscard]] std::string_view getview(const heapblock* p);
// Frees the old block of p and stores a new one for s.
void strassign(pstring& p, std::string_view s);

// Counted forms: counter rises by L + 1 for every block made and falls by L + 1 when freed.
[[nodiscard]] pstring newstringm(std::string_view s, std::int64_t& counter);
void disposestringm(pstring p, std::int64_t& counter);
void strassignm(pstring& p, std::string_view s, std::int64_t& counter);

// ---- comparison ----
// The compare routines give a negative, zero or positive value. Case folding is ASCII only.

// First differing byte pair gives a[i] - b[i] (bytes unsigned); else len(a) - len(b).
[[nodiscard]] int strcmp(std::string_view a, std::string_view b);
[[nodiscard]] int strucmp(std::string_view a, std::string_view b);
// Heap strings: nullptr sorts before every block.
[[nodiscard]] int pstrcmp(const heapblock* a, const heapblock* b);
[[nodiscard]] int pstrucmp(const heapblock* a, const heapblock* b);
[[nodiscard]] bool strequal(std::string_view a, std::string_view b);
[[nodiscard]] bool struequal(std::string_view a, std::string_view b);
[[nodiscard]] bool pstrequal(const heapblock* a, const heapblock* b);
[[nodiscard]] bool pstruequal(const heapblock* a, const heapblock* b);
// Case-insensitive comparison in which a trailing number compares by value:
// item9 < item10, x2 < x02, ITEM10 == item10.
[[nodiscard]] int strucmpnum(std::string_view a, std::string_view b);

// ---- search ----

// A set of byte values.
class charset {
 public:
  constexpr charset() = default;
  constexpr explicit charset(std::string_view members) {
    for (char c : members) add(c);
  }
  constexpr void add(char c) {
    const auto u = static_cast<unsigned char>(c);
    bits_[u / 64] |= std::uint64_t{1} << (u % 64);
  }
  [[nodiscard]] constexpr bool contains(char c) const {
    const auto u = static_cast<unsigned char>(c);
    return (bits_[u / 64] >> (u % 64)) & 1u;
  }

 private:
  std::array<std::uint64_t, 4> bits_{};
};

[[nodiscard]] int lchpos(char c, std::string_view s);
[[nodiscard]] int lchpossp(char c, std::string_view s, int start);  // from max(start, 1)
[[nodiscard]] int rchpos(char c, std::string_view s);
[[nodiscard]] int rchpossp(char c, std::string_view s, int start);  // back from min(start, len)
[[nodiscard]] int lchupos(char c, std::string_view s);
[[nodiscard]] int lchupossp(char c, std::string_view s, int start);
[[nodiscard]] int rchupos(char c, std::string_view s);
[[nodiscard]] int rchupossp(char c, std::string_view s, int start);
[[nodiscard]] int lchsetpos(const charset& set, std::string_view s);
[[nodiscard]] int rchsetpos(const charset& set, std::string_view s);
// 0 when sub is empty or longer than s.
[[nodiscard]] int lstrpos(std::string_view sub, std::string_view s);
// 0 when sub or s is empty, start < 1 or sub would run past the end of s.
[[nodiscard]] int lstrpossp(std::string_view sub, std::string_view s, int start);

// ---- case ----

[[nodiscard]] q5rt::sstr uppercase(std::string_view s);
[[nodiscard]] q5rt::sstr lowercase(std::string_view s);
[[nodiscard]] char lowcase(char c);

// ---- changing and building text ----

[[nodiscard]] q5rt::sstr replacechar(const charset& set, char c, std::string_view s);
[[nodiscard]] q5rt::sstr deletechar(const charset& set, std::string_view s);
// Every occurrence of oldtext, left to right without overlap, replaced by newtext.
[[nodiscard]] q5rt::sstr replacestr(std::string_view oldtext, std::string_view newtext,
                                    std::string_view s);
[[nodiscard]] q5rt::sstr fillstr(char c, int n);  // n clipped to 0..255
[[nodiscard]] q5rt::sstr blankstr(int n);
[[nodiscard]] q5rt::sstr padleft(std::string_view s, int n);
[[nodiscard]] q5rt::sstr padright(std::string_view s, int n);
// len(s) rounded up to a multiple of n (len(s) when n <= 0).
[[nodiscard]] int padmodlength(std::string_view s, int n);
[[nodiscard]] q5rt::sstr padrightmod(std::string_view s, int n);
// The next blank-separated or quoted token from 1-based position pos; pos ends past it.
[[nodiscard]] q5rt::sstr extracttoken(std::string_view s, int& pos);

// ---- file-name pieces (Unix file-name style) ----

[[nodiscard]] q5rt::sstr extractfileextex(std::string_view name);  // ".txt", or empty
[[nodiscard]] q5rt::sstr changefileextex(std::string_view name, std::string_view ext);
[[nodiscard]] q5rt::sstr completefileextex(std::string_view name, std::string_view ext);
[[nodiscard]] q5rt::sstr extractfilepathex(std::string_view name);  // up to the last "/"
[[nodiscard]] q5rt::sstr extractfiledirex(std::string_view name);   // without that "/"
[[nodiscard]] q5rt::sstr extractfilenameex(std::string_view name);  // after the last "/"
[[nodiscard]] q5rt::sstr includetrailingpathdelimiterex(std::string_view name);
[[nodiscard]] q5rt::sstr excludetrailingpathdelimiterex(std::string_view name);

// True when the data can be read as single-byte text; offset skips a UTF-8 mark.
// Otherwise message names the encoding found.
[[nodiscard]] bool checkbomoffset(std::string_view bytes, int& offset, q5rt::sstr& message);

// The short (8.3) form of a path; this platform has none and gives the empty text.
// Throws q5rt::exception when the answer holds extended characters or blanks.
[[nodiscard]] q5rt::sstr extractshortpathnameexcept(std::string_view name);

void startup();

namespace detail {

constexpr char upcase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// The check extractshortpathnameexcept applies to the platform's answer.
[[nodiscard]] q5rt::sstr checkshortpath(std::string_view answer);

}  // namespace detail

}  // namespace strutilx
