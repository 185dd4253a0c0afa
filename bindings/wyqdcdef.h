// The configuration library's binding: one instance of the binding engine
// (bindings/bindproto.h). The configuration library reads and writes the system
// configuration file: items with numbered keys holding an integer or a text, model-type
// flags per item, and section items built key by key. Its object class is wyqdodef::wyq.
// The library exports its entries with a "D__" prefix (text parameters) or "C__" (none); the
// rows below are unprefixed, and the engine adds the prefix when it looks an entry up.
//
// Usage:
//   q5rt::sstr msg;
//   bindproto::handle h = nullptr;
//   if (!wyqdcdef::wyqcreated(h, sysdir, msg)) report(msg);
//   if (wyqdcdef::wyqreadzolmconfig(h, q5rt::sstr::cut(file)) != 0) { ... wyqgeterrormessage }
//   wyqdcdef::wyqfree(h);
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "bindings/bindproto.h"
#include "frame/q5rt.h"

namespace wyqdcdef {

inline constexpr int apiversion = 1;
inline constexpr std::string_view basename = "zlmwyq";

// The configuration library's entries in binding order, unprefixed:
// X(entry name, C++ name, object method, result code, parameter codes...).
// clang-format off
#define WYQDCDEF_ENTRIES(X) \
  X(wyqReadZOLMConfig, wyqreadzolmconfig, wyqreadzolmconfig, 3, 11)                    \
  X(wyqWriteZOLMConfig, wyqwritezolmconfig, wyqwritezolmconfig, 3, 11)                 \
  X(wyqSetReadReleaseFilter, wyqsetreadreleasefilter, wyqsetreadreleasefilter, 3, 11)  \
  X(wyqGetItemCount, wyqgetitemcount, wyqgetitemcount, 3)                              \
  X(wyqGetItemKV, wyqgetitemkv, wyqgetitemkv, 3, 3, 3, 21, 21, 17)                     \
  X(wyqGetModelTypes, wyqgetmodeltypes, wyqgetmodeltypes, 3, 3, 8, 3)                  \
  X(wyqStartSectionItem, wyqstartsectionitem, wyqstartsectionitem, 3, 3, 11, 21)       \
  X(wyqAddItemKV, wyqadditemkv, wyqadditemkv, 3, 3, 3, 11)                             \
  X(wyqDoneSectionItem, wyqdonesectionitem, wyqdonesectionitem, 3)                     \
  X(wyqMakeNoneItem, wyqmakenoneitem, wyqmakenoneitem, 3, 3)                           \
  X(wyqGetErrorMessage, wyqgeterrormessage, wyqgeterrormessage, 3, 17)
// clang-format on

extern bindproto::binding lib;

enum entryindex : std::size_t { WYQDCDEF_ENTRIES(BINDPROTO_INDEX) entrycount };
static_assert(entrycount == 11);

// The callable entries: wyqdcdef::wyqgetitemkv(h, item, key, flag, value, text) and so on.
WYQDCDEF_ENTRIES(BINDPROTO_ENTRY)

// wyqgetready, wyqcreate, wyqfree, wyqlibraryunload, the indicators, ... (no createdd: the
// library has no XCreateD).
BINDPROTO_OPERATIONS(wyq)

// The engine's rows of the entries, in binding order (the tests compare them).
[[nodiscard]] std::span<const bindproto::entrydesc> entries();

}  // namespace wyqdcdef
