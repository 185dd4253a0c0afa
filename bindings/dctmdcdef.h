// The dictionary library's binding: one instance of the binding engine (bindings/bindproto.h).
// The dictionary library loads the model dictionary that the modelling system writes: the
// element labels, the symbols with their names, texts, types and dimensions, and for every
// row and column of the model instance its symbol and labels. The reader class of unit
// dctmdodef wraps one of its objects; the scratch data-exchange file and the extended model
// information's reader call the entries here directly.
//
// Usage:
//   q5rt::sstr msg;
//   bindproto::handle h = nullptr;
//   if (!dctmdcdef::dctcreate(h, msg)) report(msg);     // loads libzlmdct64.so by search
//   if (dctmdcdef::dctloadex(h, q5rt::sstr::cut(file), msg) != 0) report(msg);
//   const int sym = dctmdcdef::dctsymindex(h, q5rt::sstr::cut("x"));
//   dctmdcdef::dctfree(h);
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "bindings/bindproto.h"
#include "frame/q5rt.h"

namespace dctmdcdef {

inline constexpr int apiversion = 2;
inline constexpr std::string_view basename = "zlmdct";

// The dictionary library's API entries in binding order:
// X(exported name, C++ name, reader method, result code, parameter codes...).
// The codes are the signature that the library's XCheck confirms (handle not counted).
// clang-format off
#define DCTMDCDEF_ENTRIES(X) \
  X(dctLoadEx, dctloadex, dctloadex, 3, 11, 17)                                       \
  X(dctLoadWithHandle, dctloadwithhandle, dctloadwithhandle, 3, 1, 17)                \
  X(dctNUels, dctnuels, dctnuels, 3)                                                  \
  X(dctUelIndex, dctuelindex, dctuelindex, 3, 11)                                     \
  X(dctUelLabel, dctuellabel, dctuellabel, 3, 3, 19, 17)                              \
  X(dctNLSyms, dctnlsyms, dctnlsyms, 3)                                               \
  X(dctSymDim, dctsymdim, dctsymdim, 3, 3)                                            \
  X(dctSymIndex, dctsymindex, dctsymindex, 3, 11)                                     \
  X(dctSymName, dctsymname, dctsymname, 3, 3, 17)                                     \
  X(dctSymText, dctsymtext, dctsymtext, 3, 3, 19, 17)                                 \
  X(dctSymType, dctsymtype, dctsymtype, 3, 3)                                         \
  X(dctSymUserInfo, dctsymuserinfo, dctsymuserinfo, 3, 3)                             \
  X(dctSymEntries, dctsymentries, dctsymentries, 3, 3)                                \
  X(dctSymOffset, dctsymoffset, dctsymoffset, 3, 3)                                   \
  X(dctSymDomNames, dctsymdomnames, dctsymdomnames, 3, 3, 56, 4)                      \
  X(dctSymDomIdx, dctsymdomidx, dctsymdomidx, 3, 3, 52, 4)                            \
  X(dctDomNameCount, dctdomnamecount, dctdomnamecount, 3)                             \
  X(dctDomName, dctdomname, dctdomname, 3, 3, 17)                                     \
  X(dctColIndex, dctcolindex, dctcolindex, 3, 3, 51)                                  \
  X(dctRowIndex, dctrowindex, dctrowindex, 3, 3, 51)                                  \
  X(dctColUels, dctcoluels, dctcoluels, 3, 3, 4, 52, 4)                               \
  X(dctRowUels, dctrowuels, dctrowuels, 3, 3, 4, 52, 4)                               \
  X(dctFindFirstRowCol, dctfindfirstrowcol, dctfindfirstrowcol, 1, 3, 51, 4)          \
  X(dctFindNextRowCol, dctfindnextrowcol, dctfindnextrowcol, 3, 1, 4)                 \
  X(dctFindClose, dctfindclose, dctfindclose, 0, 1)                                   \
  X(dctMemUsed, dctmemused, dctmemused, 13)                                           \
  X(dctSetBasicCounts, dctsetbasiccounts, dctsetbasiccounts, 0, 3, 3, 3)              \
  X(dctSetBasicCountsEx, dctsetbasiccountsex, dctsetbasiccountsex, 15, 3, 3, 23, 17)  \
  X(dctAddUel, dctadduel, dctadduel, 0, 11, 18)                                       \
  X(dctAddSymbol, dctaddsymbol, dctaddsymbol, 0, 11, 3, 3, 3, 11)                     \
  X(dctAddSymbolData, dctaddsymboldata, dctaddsymboldata, 0, 51)                      \
  X(dctAddSymbolDoms, dctaddsymboldoms, dctaddsymboldoms, 15, 11, 55, 3, 17)          \
  X(dctWriteVRK, dctwritevrk, dctwritevrk, 0, 11, 12)                                 \
  X(dctWriteVRKWithHandle, dctwritevrkwithhandle, dctwritevrkwithhandle, 0, 1, 12)    \
  X(dctNRows, dctnrows, ddctnrows, 3)                                                 \
  X(dctNCols, dctncols, ddctncols, 3)                                                 \
  X(dctLrgDim, dctlrgdim, ddctlrgdim, 3)
// clang-format on

extern bindproto::binding lib;

enum entryindex : std::size_t { DCTMDCDEF_ENTRIES(BINDPROTO_INDEX) entrycount };
static_assert(entrycount == 37);

// The callable entries: dctmdcdef::dctsymindex(h, name) and so on. The two boolean entries
// (dctsetbasiccountsex, dctaddsymboldoms) return bool.
DCTMDCDEF_ENTRIES(BINDPROTO_ENTRY)

// dctgetready, dctcreate, dctcreatedd, dctfree, dctlibraryunload, the indicators, ...
BINDPROTO_OPERATIONS(dct)
BINDPROTO_CREATEDD(dct)

// The engine's rows of the entries, in binding order (the tests compare them).
[[nodiscard]] std::span<const bindproto::entrydesc> entries();

}  // namespace dctmdcdef
