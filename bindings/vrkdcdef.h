// The data-exchange library's binding: one instance of the binding engine
// (bindings/bindproto.h). The data-exchange library writes and reads files of named symbols
// whose records are keyed by element labels. It has no object class: its users hold the
// object handle and call the entries directly. The library exports its API entries with a
// "D__" prefix (entries with short-string codes) or "C__" (the others); the rows below are
// unprefixed, and the engine adds the prefix when it looks an entry up.
//
// Usage:
//   q5rt::sstr msg;
//   if (!vrkdcdef::vrkgetreadyx(msg)) report(msg);         // beside the program, then search
//   bindproto::handle h = nullptr;
//   if (!vrkdcdef::vrkcreate(h, msg)) report(msg);
//   vrkdcdef::vrkstoredomainsetsset(h, false);
//   std::int32_t err = 0;
//   (void)vrkdcdef::vrkopenwrite(h, q5rt::sstr::cut(file), q5rt::sstr::cut("BaronSolutions"), err);
//   ... vrkuelregisterrawstart / vrkuelregisterraw / vrkuelregisterdone,
//   ... vrkdatawriterawstart / vrkdatawriteraw / vrkdatawritedone
//   (void)vrkdcdef::vrkclose(h);
//   vrkdcdef::vrkfree(h);
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "bindings/bindproto.h"
#include "frame/q5rt.h"

namespace vrkdcdef {

inline constexpr int apiversion = 11;
inline constexpr std::string_view basename = "zlmvrk";

// The data-exchange library's API entries in binding order, unprefixed:
// X(entry name, C++ name, C++ name, result code, parameter codes...).
// The codes are the signature that the library's XCheck confirms (handle not counted).
// clang-format off
#define VRKDCDEF_ENTRIES(X) \
  X(vrkAcronymAdd, vrkacronymadd, vrkacronymadd, 3, 11, 11, 3)                                                                \
  X(vrkAcronymCount, vrkacronymcount, vrkacronymcount, 3)                                                                     \
  X(vrkAcronymGetInfo, vrkacronymgetinfo, vrkacronymgetinfo, 3, 3, 12, 12, 4)                                                 \
  X(vrkAcronymGetMapping, vrkacronymgetmapping, vrkacronymgetmapping, 3, 3, 4, 4, 4)                                          \
  X(vrkAcronymIndex, vrkacronymindex, vrkacronymindex, 3, 13)                                                                 \
  X(vrkAcronymName, vrkacronymname, vrkacronymname, 3, 13, 12)                                                                \
  X(vrkAcronymNextNr, vrkacronymnextnr, vrkacronymnextnr, 3, 3)                                                               \
  X(vrkAcronymSetInfo, vrkacronymsetinfo, vrkacronymsetinfo, 3, 3, 11, 11, 3)                                                 \
  X(vrkAcronymValue, vrkacronymvalue, vrkacronymvalue, 13, 3)                                                                 \
  X(vrkAddAlias, vrkaddalias, vrkaddalias, 3, 11, 11)                                                                         \
  X(vrkAddSetText, vrkaddsettext, vrkaddsettext, 3, 11, 4)                                                                    \
  X(vrkAutoConvert, vrkautoconvert, vrkautoconvert, 3, 3)                                                                     \
  X(vrkClose, vrkclose, vrkclose, 3)                                                                                          \
  X(vrkDataErrorCount, vrkdataerrorcount, vrkdataerrorcount, 3)                                                               \
  X(vrkDataErrorRecord, vrkdataerrorrecord, vrkdataerrorrecord, 3, 3, 52, 54)                                                 \
  X(vrkDataErrorRecordX, vrkdataerrorrecordx, vrkdataerrorrecordx, 3, 3, 52, 54)                                              \
  X(vrkDataReadDone, vrkdatareaddone, vrkdatareaddone, 3)                                                                     \
  X(vrkDataReadFilteredStart, vrkdatareadfilteredstart, vrkdatareadfilteredstart, 3, 3, 51, 4)                                \
  X(vrkDataReadMap, vrkdatareadmap, vrkdatareadmap, 3, 3, 52, 54, 4)                                                          \
  X(vrkDataReadMapStart, vrkdatareadmapstart, vrkdatareadmapstart, 3, 3, 4)                                                   \
  X(vrkDataReadRaw, vrkdatareadraw, vrkdatareadraw, 3, 52, 54, 4)                                                             \
  X(vrkDataReadRawFast, vrkdatareadrawfast, vrkdatareadrawfast, 3, 3, 59, 4)                                                  \
  X(vrkDataReadRawFastEx, vrkdatareadrawfastex, vrkdatareadrawfastex, 3, 3, 59, 4, 1)                                         \
  X(vrkDataReadRawFastFilt, vrkdatareadrawfastfilt, vrkdatareadrawfastfilt, 3, 3, 55, 59)                                     \
  X(vrkDataReadRawStart, vrkdatareadrawstart, vrkdatareadrawstart, 3, 3, 4)                                                   \
  X(vrkDataReadSlice, vrkdatareadslice, vrkdatareadslice, 3, 55, 4, 59)                                                       \
  X(vrkDataReadSliceStart, vrkdatareadslicestart, vrkdatareadslicestart, 3, 3, 52)                                            \
  X(vrkDataReadStr, vrkdatareadstr, vrkdatareadstr, 3, 56, 54, 4)                                                             \
  X(vrkDataReadStrStart, vrkdatareadstrstart, vrkdatareadstrstart, 3, 3, 4)                                                   \
  X(vrkDataSliceUELS, vrkdatasliceuels, vrkdatasliceuels, 3, 51, 56)                                                          \
  X(vrkDataWriteDone, vrkdatawritedone, vrkdatawritedone, 3)                                                                  \
  X(vrkDataWriteMap, vrkdatawritemap, vrkdatawritemap, 3, 51, 53)                                                             \
  X(vrkDataWriteMapStart, vrkdatawritemapstart, vrkdatawritemapstart, 3, 11, 11, 3, 3, 3)                                     \
  X(vrkDataWriteRaw, vrkdatawriteraw, vrkdatawriteraw, 3, 51, 53)                                                             \
  X(vrkDataWriteRawStart, vrkdatawriterawstart, vrkdatawriterawstart, 3, 11, 11, 3, 3, 3)                                     \
  X(vrkDataWriteRawStartKeyBounds, vrkdatawriterawstartkeybounds, vrkdatawriterawstartkeybounds, 3, 11, 11, 3, 3, 3, 51, 51)  \
  X(vrkDataWriteStr, vrkdatawritestr, vrkdatawritestr, 3, 55, 53)                                                             \
  X(vrkDataWriteStrStart, vrkdatawritestrstart, vrkdatawritestrstart, 3, 11, 11, 3, 3, 3)                                     \
  X(vrkGetDLLVersion, vrkgetdllversion, vrkgetdllversion, 3, 12)                                                              \
  X(vrkErrorCount, vrkerrorcount, vrkerrorcount, 3)                                                                           \
  X(vrkErrorStr, vrkerrorstr, vrkerrorstr, 3, 3, 12)                                                                          \
  X(vrkFileInfo, vrkfileinfo, vrkfileinfo, 3, 4, 4)                                                                           \
  X(vrkFileVersion, vrkfileversion, vrkfileversion, 3, 12, 12)                                                                \
  X(vrkFilterExists, vrkfilterexists, vrkfilterexists, 3, 3)                                                                  \
  X(vrkFilterRegister, vrkfilterregister, vrkfilterregister, 3, 3)                                                            \
  X(vrkFilterRegisterDone, vrkfilterregisterdone, vrkfilterregisterdone, 3)                                                   \
  X(vrkFilterRegisterStart, vrkfilterregisterstart, vrkfilterregisterstart, 3, 3)                                             \
  X(vrkFindSymbol, vrkfindsymbol, vrkfindsymbol, 3, 11, 4)                                                                    \
  X(vrkGetElemText, vrkgetelemtext, vrkgetelemtext, 3, 3, 12, 4)                                                              \
  X(vrkGetLastError, vrkgetlasterror, vrkgetlasterror, 3)                                                                     \
  X(vrkGetMemoryUsed, vrkgetmemoryused, vrkgetmemoryused, 23)                                                                 \
  X(vrkGetSpecialValues, vrkgetspecialvalues, vrkgetspecialvalues, 3, 58)                                                     \
  X(vrkGetUEL, vrkgetuel, vrkgetuel, 3, 3, 12)                                                                                \
  X(vrkMapValue, vrkmapvalue, vrkmapvalue, 3, 13, 4)                                                                          \
  X(vrkOpenAppend, vrkopenappend, vrkopenappend, 3, 11, 11, 4)                                                                \
  X(vrkOpenRead, vrkopenread, vrkopenread, 3, 11, 4)                                                                          \
  X(vrkOpenReadEx, vrkopenreadex, vrkopenreadex, 3, 11, 3, 4)                                                                 \
  X(vrkOpenWrite, vrkopenwrite, vrkopenwrite, 3, 11, 11, 4)                                                                   \
  X(vrkOpenWriteEx, vrkopenwriteex, vrkopenwriteex, 3, 11, 11, 3, 4)                                                          \
  X(vrkResetSpecialValues, vrkresetspecialvalues, vrkresetspecialvalues, 3)                                                   \
  X(vrkSetHasText, vrksethastext, vrksethastext, 3, 3)                                                                        \
  X(vrkSetReadSpecialValues, vrksetreadspecialvalues, vrksetreadspecialvalues, 3, 57)                                         \
  X(vrkSetSpecialValues, vrksetspecialvalues, vrksetspecialvalues, 3, 57)                                                     \
  X(vrkSetTextNodeNr, vrksettextnodenr, vrksettextnodenr, 3, 3, 3)                                                            \
  X(vrkSetTraceLevel, vrksettracelevel, vrksettracelevel, 3, 3, 11)                                                           \
  X(vrkSymbIndxMaxLength, vrksymbindxmaxlength, vrksymbindxmaxlength, 3, 3, 52)                                               \
  X(vrkSymbMaxLength, vrksymbmaxlength, vrksymbmaxlength, 3)                                                                  \
  X(vrkSymbolAddComment, vrksymboladdcomment, vrksymboladdcomment, 3, 3, 11)                                                  \
  X(vrkSymbolGetComment, vrksymbolgetcomment, vrksymbolgetcomment, 3, 3, 3, 12)                                               \
  X(vrkSymbolGetDomain, vrksymbolgetdomain, vrksymbolgetdomain, 3, 3, 52)                                                     \
  X(vrkSymbolGetDomainX, vrksymbolgetdomainx, vrksymbolgetdomainx, 3, 3, 56)                                                  \
  X(vrkSymbolDim, vrksymboldim, vrksymboldim, 3, 3)                                                                           \
  X(vrkSymbolInfo, vrksymbolinfo, vrksymbolinfo, 3, 3, 12, 4, 4)                                                              \
  X(vrkSymbolInfoX, vrksymbolinfox, vrksymbolinfox, 3, 3, 4, 4, 12)                                                           \
  X(vrkSymbolSetDomain, vrksymbolsetdomain, vrksymbolsetdomain, 3, 55)                                                        \
  X(vrkSymbolSetDomainX, vrksymbolsetdomainx, vrksymbolsetdomainx, 3, 3, 55)                                                  \
  X(vrkSystemInfo, vrksysteminfo, vrksysteminfo, 3, 4, 4)                                                                     \
  X(vrkUELMaxLength, vrkuelmaxlength, vrkuelmaxlength, 3)                                                                     \
  X(vrkUELRegisterDone, vrkuelregisterdone, vrkuelregisterdone, 3)                                                            \
  X(vrkUELRegisterMap, vrkuelregistermap, vrkuelregistermap, 3, 3, 11)                                                        \
  X(vrkUELRegisterMapStart, vrkuelregistermapstart, vrkuelregistermapstart, 3)                                                \
  X(vrkUELRegisterRaw, vrkuelregisterraw, vrkuelregisterraw, 3, 11)                                                           \
  X(vrkUELRegisterRawStart, vrkuelregisterrawstart, vrkuelregisterrawstart, 3)                                                \
  X(vrkUELRegisterStr, vrkuelregisterstr, vrkuelregisterstr, 3, 11, 4)                                                        \
  X(vrkUELRegisterStrStart, vrkuelregisterstrstart, vrkuelregisterstrstart, 3)                                                \
  X(vrkUMFindUEL, vrkumfinduel, vrkumfinduel, 3, 11, 4, 4)                                                                    \
  X(vrkUMUelGet, vrkumuelget, vrkumuelget, 3, 3, 12, 4)                                                                       \
  X(vrkUMUelInfo, vrkumuelinfo, vrkumuelinfo, 3, 4, 4)                                                                        \
  X(vrkGetDomainElements, vrkgetdomainelements, vrkgetdomainelements, 3, 3, 3, 3, 59, 4, 1)                                   \
  X(vrkCurrentDim, vrkcurrentdim, vrkcurrentdim, 3)                                                                           \
  X(vrkRenameUEL, vrkrenameuel, vrkrenameuel, 3, 11, 11)                                                                      \
  X(vrkStoreDomainSets, vrkstoredomainsets, vrkstoredomainsets, 15)                                                           \
  X(vrkStoreDomainSetsSet, vrkstoredomainsetsset, vrkstoredomainsetsset, 0, 15)                                               \
  X(vrkAllowBogusDomains, vrkallowbogusdomains, vrkallowbogusdomains, 15)                                                     \
  X(vrkAllowBogusDomainsSet, vrkallowbogusdomainsset, vrkallowbogusdomainsset, 0, 15)                                         \
  X(vrkMapAcronymsToNaN, vrkmapacronymstonan, vrkmapacronymstonan, 15)                                                        \
  X(vrkMapAcronymsToNaNSet, vrkmapacronymstonanset, vrkmapacronymstonanset, 0, 15)
// clang-format on

extern bindproto::binding lib;

enum entryindex : std::size_t { VRKDCDEF_ENTRIES(BINDPROTO_INDEX) entrycount };
static_assert(entrycount == 97);

// The callable entries: vrkdcdef::vrkopenwrite(h, file, producer, err) and so on. The six
// boolean entries (vrkstoredomainsets, vrkstoredomainsetsset, vrkallowbogusdomains, ...)
// take and return bool.
VRKDCDEF_ENTRIES(BINDPROTO_ENTRY)

// vrkgetready, vrkgetreadyx, vrkcreate, vrkcreatedd, vrkfree, the indicators, ...
BINDPROTO_OPERATIONS(vrk)
BINDPROTO_CREATEDD(vrk)

// The engine's rows of the entries, in binding order (the tests compare them).
[[nodiscard]] std::span<const bindproto::entrydesc> entries();

}  // namespace vrkdcdef
