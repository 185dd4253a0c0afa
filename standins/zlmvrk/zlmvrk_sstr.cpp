// The data-exchange stand-in's boundary: core entries, optional entries and the implemented
// API entries under their exported names ("D__" when a short string crosses, "C__"
// otherwise). Texts are short strings (a length byte and up to 255 characters); output texts
// are 256-byte caller buffers. A nil object handle gets the entry's failure value (0 for
// results where non-zero means success, an error number where 0 means success). No
// exception leaves an entry.
#include <cstdint>
#include <string>
#include <vector>

#include "standins/common/coreentries.h"
#include "standins/common/standin.h"
#include "standins/zlmvrk/signatures.h"
#include "standins/zlmvrk/vrkmodel.h"

using standin::in;
using standin::out;
using standin::put;
using textin = standin::sstrin;
using textout = standin::sstrout;
using zlmvrk::vrkfile;

namespace {

constexpr std::string_view dllversion = "zlmvrk stand-in 1";
const standincore::library lib{"zlmvrk", "ZLMVRK", 11, zlmvrk::signaturetext};
const standin::faults& faults = lib.faults;
std::string loadpath;

template <typename R, typename F>
R with(void* h, R fail, F f) {
  return standincore::with<vrkfile>(h, fail, f);
}

int asresult(bool ok) { return ok ? 1 : 0; }

// Opens for writing; the error number goes to err, the result is 1 when open.
int openwrite(void* h, textin file, textin producer, std::int32_t* err) {
  put(err, zlmvrk::cannotwrite);
  return with(h, 0, [&](vrkfile& f) {
    const int e = f.openwrite(std::string(in(file)), in(producer));
    put(err, e);
    return asresult(e == 0);
  });
}

}  // namespace

// ---- core and optional entries ----

STANDIN_EXPORT void XCreate(void** h) { standincore::createobject<vrkfile>(faults, h, "XCreate"); }

STANDIN_EXPORT void D__XCreateD(void** h, textin dir) {
  standincore::createobject<vrkfile>(faults, h, "XCreateD \"" + std::string(in(dir)) + "\"");
}

STANDIN_EXPORT void XFree(void** h) { standincore::freeobject<vrkfile>(faults, h); }

STANDIN_EXPORT int D__XCheck(textin name, int count, const std::int32_t* codes, textout msg) {
  return lib.check(name, count, codes, msg);
}

#ifndef ZLMVRK_NOAPIVERSION
STANDIN_EXPORT int D__XAPIVersion(int api, textout msg, std::int32_t* level) {
  return lib.apiversion(api, msg, level);
}
#endif

STANDIN_EXPORT void C__vrkInitialize() { faults.trace("vrkInitialize"); }
STANDIN_EXPORT void C__vrkFinalize() { faults.trace("vrkFinalize"); }
STANDIN_EXPORT void vrkSetLoadPath(textin dir) {
  try {
    loadpath.assign(in(dir));
    faults.trace("vrkSetLoadPath \"" + loadpath + "\"");
  } catch (...) {
  }
}
STANDIN_EXPORT void vrkGetLoadPath(textout dir) { out(dir, loadpath); }

// ---- files ----

// The variant zlmvrk-lower exports this entry under its all-lower-case name only.
#ifdef ZLMVRK_LOWER
STANDIN_EXPORT int D__vrkOpenWrite(void* h, textin file, textin producer,
                                   std::int32_t* err) __asm__("d__vrkopenwrite");
#endif
STANDIN_EXPORT int D__vrkOpenWrite(void* h, textin file, textin producer, std::int32_t* err) {
  return openwrite(h, file, producer, err);
}

// The flag (compression in the real library) is accepted and ignored.
STANDIN_EXPORT int D__vrkOpenWriteEx(void* h, textin file, textin producer, int,
                                     std::int32_t* err) {
  return openwrite(h, file, producer, err);
}

STANDIN_EXPORT int D__vrkOpenRead(void* h, textin file, std::int32_t* err) {
  put(err, zlmvrk::cannotread);
  return with(h, 0, [&](vrkfile& f) {
    const int e = f.openread(std::string(in(file)));
    put(err, e);
    return asresult(e == 0);
  });
}

STANDIN_EXPORT int C__vrkClose(void* h) {
  return with(h, static_cast<int>(zlmvrk::outoforder), [](vrkfile& f) { return f.close(); });
}

STANDIN_EXPORT int D__vrkFileVersion(void* h, textout version, textout producer) {
  out(version, "");
  out(producer, "");
  return with(h, 0, [&](vrkfile& f) {
    out(version, "zlmvrk 1");
    out(producer, f.producer());
    return 1;
  });
}

STANDIN_EXPORT int D__vrkGetDLLVersion(void*, textout version) {
  out(version, dllversion);
  return 1;
}

// ---- flags ----

STANDIN_EXPORT int C__vrkAutoConvert(void* h, int flag) {
  return with(h, 0, [&](vrkfile& f) {
    const int old = f.autoconvert;
    f.autoconvert = flag;
    return old;
  });
}

STANDIN_EXPORT int C__vrkStoreDomainSets(void* h) {
  return with(h, 0, [](vrkfile& f) { return asresult(f.storedomainsets); });
}
STANDIN_EXPORT void C__vrkStoreDomainSetsSet(void* h, int flag) {
  (void)with(h, 0, [&](vrkfile& f) { return (f.storedomainsets = flag != 0), 0; });
}
STANDIN_EXPORT int C__vrkAllowBogusDomains(void* h) {
  return with(h, 0, [](vrkfile& f) { return asresult(f.allowbogusdomains); });
}
STANDIN_EXPORT void C__vrkAllowBogusDomainsSet(void* h, int flag) {
  (void)with(h, 0, [&](vrkfile& f) { return (f.allowbogusdomains = flag != 0), 0; });
}
STANDIN_EXPORT int C__vrkMapAcronymsToNaN(void* h) {
  return with(h, 0, [](vrkfile& f) { return asresult(f.mapacronymstonan); });
}
STANDIN_EXPORT void C__vrkMapAcronymsToNaNSet(void* h, int flag) {
  (void)with(h, 0, [&](vrkfile& f) { return (f.mapacronymstonan = flag != 0), 0; });
}

// ---- labels ----

STANDIN_EXPORT int C__vrkUELRegisterRawStart(void* h) {
  return with(h, 0, [](vrkfile& f) { return asresult(f.uelregisterstart()); });
}
STANDIN_EXPORT int D__vrkUELRegisterRaw(void* h, textin label) {
  return with(h, 0, [&](vrkfile& f) { return asresult(f.uelregister(in(label))); });
}
STANDIN_EXPORT int C__vrkUELRegisterDone(void* h) {
  return with(h, 0, [](vrkfile& f) { return asresult(f.uelregisterdone()); });
}

STANDIN_EXPORT int D__vrkGetUEL(void* h, int nr, textout label) {
  out(label, "");
  return with(h, 0, [&](vrkfile& f) {
    const std::string* l = f.label(nr);
    if (l == nullptr) return 0;
    out(label, *l);
    return 1;
  });
}

// ---- writing ----

STANDIN_EXPORT int D__vrkDataWriteRawStart(void* h, textin name, textin text, int dim, int type,
                                           int userinfo) {
  return with(h, 0, [&](vrkfile& f) {
    return asresult(f.writestart(in(name), in(text), dim, type, userinfo));
  });
}
STANDIN_EXPORT int C__vrkDataWriteRaw(void* h, const std::int32_t* keys, const double* values) {
  return with(h, 0, [&](vrkfile& f) { return asresult(f.writerecord(keys, values)); });
}
STANDIN_EXPORT int C__vrkDataWriteDone(void* h) {
  return with(h, 0, [](vrkfile& f) { return asresult(f.writedone()); });
}

// ---- reading ----

STANDIN_EXPORT int C__vrkSystemInfo(void* h, std::int32_t* symbols, std::int32_t* labels) {
  put(symbols, 0);
  put(labels, 0);
  return with(h, 0, [&](vrkfile& f) {
    put(symbols, f.symbolcount());
    put(labels, f.labelcount());
    return 1;
  });
}

STANDIN_EXPORT int D__vrkFindSymbol(void* h, textin name, std::int32_t* nr) {
  put(nr, -1);
  return with(h, 0, [&](vrkfile& f) {
    const int k = f.findsymbol(in(name));
    put(nr, k);
    return asresult(k >= 0);
  });
}

STANDIN_EXPORT int D__vrkSymbolInfo(void* h, int nr, textout name, std::int32_t* dim,
                                    std::int32_t* type) {
  out(name, "");
  put(dim, 0);
  put(type, 0);
  return with(h, 0, [&](vrkfile& f) {
    const zlmvrk::symbol* s = f.symbolat(nr);
    if (s == nullptr) return asresult(f.fail(zlmvrk::badsymbolnr));
    out(name, s->name);
    put(dim, s->dim);
    put(type, s->type);
    return 1;
  });
}

STANDIN_EXPORT int D__vrkSymbolInfoX(void* h, int nr, std::int32_t* count, std::int32_t* userinfo,
                                     textout text) {
  put(count, 0);
  put(userinfo, 0);
  out(text, "");
  return with(h, 0, [&](vrkfile& f) {
    const zlmvrk::symbol* s = f.symbolat(nr);
    if (s == nullptr) return asresult(f.fail(zlmvrk::badsymbolnr));
    put(count, static_cast<int>(s->count));
    put(userinfo, s->userinfo);
    out(text, s->text);
    return 1;
  });
}

STANDIN_EXPORT int C__vrkSymbolDim(void* h, int nr) {
  return with(h, -1, [&](vrkfile& f) {
    const zlmvrk::symbol* s = f.symbolat(nr);
    return s != nullptr ? s->dim : -1;
  });
}

STANDIN_EXPORT int C__vrkDataReadRawStart(void* h, int nr, std::int32_t* count) {
  put(count, 0);
  return with(h, 0, [&](vrkfile& f) {
    int n = 0;
    const bool ok = f.readstart(nr, n);
    put(count, n);
    return asresult(ok);
  });
}

STANDIN_EXPORT int C__vrkDataReadRaw(void* h, std::int32_t* keys, double* values,
                                     std::int32_t* dimfirst) {
  put(dimfirst, 0);
  return with(h, 0, [&](vrkfile& f) {
    int d = 0;
    const bool ok = f.readrecord(keys, values, d);
    put(dimfirst, d);
    return asresult(ok);
  });
}

STANDIN_EXPORT int C__vrkDataReadDone(void* h) {
  return with(h, 0, [](vrkfile& f) { return asresult(f.readdone()); });
}

STANDIN_EXPORT int C__vrkCurrentDim(void* h) {
  return with(h, 0, [](vrkfile& f) { return f.currentdim(); });
}

// No data errors are kept: records with bad keys are refused at once.
STANDIN_EXPORT int C__vrkDataErrorCount(void* h) {
  return with(h, 0, [](vrkfile&) { return 0; });
}

// ---- special values: five doubles, UNDF, NA, +INF, -INF, EPS ----

STANDIN_EXPORT int C__vrkGetSpecialValues(void* h, double* values) {
  return with(h, 0, [&](vrkfile& f) {
    if (values == nullptr) return 0;
    std::copy(f.writespecials().begin(), f.writespecials().end(), values);
    return 1;
  });
}

STANDIN_EXPORT int C__vrkSetSpecialValues(void* h, const double* values) {
  return with(h, 0, [&](vrkfile& f) {
    if (values == nullptr) return 0;
    f.setspecials(values);
    return 1;
  });
}

STANDIN_EXPORT int C__vrkSetReadSpecialValues(void* h, const double* values) {
  return with(h, 0, [&](vrkfile& f) {
    if (values == nullptr) return 0;
    f.setreadspecials(values);
    return 1;
  });
}

STANDIN_EXPORT int C__vrkResetSpecialValues(void* h) {
  return with(h, 0, [](vrkfile& f) {
    f.resetspecials();
    return 1;
  });
}

// ---- errors ----

STANDIN_EXPORT int C__vrkErrorCount(void* h) {
  return with(h, 0, [](vrkfile& f) { return f.errorcount(); });
}

STANDIN_EXPORT int C__vrkGetLastError(void* h) {
  return with(h, 0, [](vrkfile& f) { return f.takelasterror(); });
}

STANDIN_EXPORT int D__vrkErrorStr(void*, int nr, textout text) {
  try {
    out(text, zlmvrk::errortext(nr));
  } catch (...) {
    out(text, "");
  }
  return 1;
}
