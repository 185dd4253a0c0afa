// The configuration stand-in's boundary: core entries, optional entries and the 11 API
// entries under their exported names ("D__" when a text crosses, "C__" otherwise). Texts are
// short strings (a length byte and up to 255 characters); output texts are 256-byte caller
// buffers. Every entry answers 0 for success; a nil object handle gets 1 (an empty text, a
// count of 0). No exception leaves an entry.
#include <cstdint>
#include <string>
#include <vector>

#include "standins/common/coreentries.h"
#include "standins/common/standin.h"
#include "standins/zlmwyq/confmodel.h"
#include "standins/zlmwyq/signatures.h"

using standin::in;
using standin::out;
using standin::put;
using textin = standin::sstrin;
using textout = standin::sstrout;
using zlmwyq::configuration;

namespace {

const standincore::library lib{"zlmwyq", "ZLMWYQ", 1, zlmwyq::signaturetext};
const standin::faults& faults = lib.faults;

// Runs f on the configuration behind h; 1 for a nil handle or an exception.
template <typename F>
int with(void* h, F f) {
  return standincore::with<configuration>(h, 1, f);
}

}  // namespace

// ---- core and optional entries ----

STANDIN_EXPORT void XCreate(void** h) {
  standincore::createobject<configuration>(faults, h, "XCreate");
}

STANDIN_EXPORT void XFree(void** h) { standincore::freeobject<configuration>(faults, h); }

// The variant zlmwyq-plaincheck exports XCheck without its "D__" prefix.
#ifdef ZLMWYQ_PLAINCHECK
STANDIN_EXPORT int D__XCheck(textin name, int count, const std::int32_t* codes,
                             textout msg) __asm__("XCheck");
#endif
STANDIN_EXPORT int D__XCheck(textin name, int count, const std::int32_t* codes, textout msg) {
  return lib.check(name, count, codes, msg);
}

STANDIN_EXPORT int D__XAPIVersion(int api, textout msg, std::int32_t* level) {
  return lib.apiversion(api, msg, level);
}

STANDIN_EXPORT void C__wyqInitialize() { faults.trace("wyqInitialize"); }
STANDIN_EXPORT void C__wyqFinalize() { faults.trace("wyqFinalize"); }

// ---- the configuration file ----

STANDIN_EXPORT int D__wyqReadZOLMConfig(void* h, textin path) {
  return with(h, [&](configuration& c) { return c.read(std::string(in(path))); });
}

STANDIN_EXPORT int D__wyqWriteZOLMConfig(void* h, textin path) {
  return with(h, [&](configuration& c) { return c.write(std::string(in(path))); });
}

STANDIN_EXPORT int D__wyqSetReadReleaseFilter(void* h, textin release) {
  return with(h, [&](configuration& c) { return c.setreleasefilter(in(release)); });
}

STANDIN_EXPORT int D__wyqGetErrorMessage(void* h, textout text) {
  out(text, "");
  return with(h, [&](configuration& c) {
    std::string t;
    const int r = c.errormessage(t);
    out(text, t);
    return r;
  });
}

// ---- items ----

STANDIN_EXPORT int C__wyqGetItemCount(void* h) {
  if (h == nullptr) return 0;
  return static_cast<configuration*>(h)->itemcount();
}

// A delivered key: flag 1, the integer (0 for a text) and the text (the integer's digits
// for an integer). Result 0 delivered, 1 no such key, 2 no such item.
STANDIN_EXPORT int D__wyqGetItemKV(void* h, int itemnr, int key, std::int32_t* flag,
                                   std::int32_t* number, textout text) {
  put(flag, 0);
  put(number, 0);
  out(text, "");
  return with(h, [&](configuration& c) {
    zlmwyq::value v;
    const int r = c.getkey(itemnr, key, v);
    if (r != zlmwyq::delivered) return r;
    put(flag, 1);
    put(number, v.number);
    out(text, v.istext ? v.text : std::to_string(v.number));
    return r;
  });
}

STANDIN_EXPORT int C__wyqGetModelTypes(void* h, int itemnr, std::int32_t* flags, int count) {
  return with(h, [&](configuration& c) { return c.getmodeltypes(itemnr, flags, count); });
}

// ---- building ----

STANDIN_EXPORT int D__wyqStartSectionItem(void* h, int kind, textin name, std::int32_t* itemnr) {
  put(itemnr, -1);
  return with(h, [&](configuration& c) {
    int nr = -1;
    const int r = c.startsection(kind, in(name), nr);
    put(itemnr, nr);
    return r;
  });
}

STANDIN_EXPORT int D__wyqAddItemKV(void* h, int key, int number, textin text) {
  return with(h, [&](configuration& c) { return c.addkey(key, number, in(text)); });
}

STANDIN_EXPORT int C__wyqDoneSectionItem(void* h) {
  return with(h, [](configuration& c) { return c.donesection(); });
}

STANDIN_EXPORT int C__wyqMakeNoneItem(void* h, int kind) {
  return with(h, [&](configuration& c) { return c.makenoneitem(kind); });
}
