// The dictionary stand-in's boundary: core entries, optional entries and the 37 API entries
// under their plain names. Texts are short strings (a length byte and up to 255 characters);
// output texts are 256-byte caller buffers. A nil object handle gets the entry's failure
// value (-1 for counts and numbers, 1 for results where 0 means success, nil, an empty
// text). No exception leaves an entry.
#include <cstdint>
#include <string>
#include <vector>

#include "standins/common/coreentries.h"
#include "standins/common/standin.h"
#include "standins/zlmdct/dictmodel.h"
#include "standins/zlmdct/signatures.h"

using standin::in;
using standin::out;
using standin::put;
using textin = standin::sstrin;
using textout = standin::sstrout;
using zlmdct::dictionary;

namespace {

const standincore::library lib{"zlmdct", "ZLMDCT", 2, zlmdct::signaturetext};
const standin::faults& faults = lib.faults;

template <typename R, typename F>
R with(void* h, R fail, F f) {
  return standincore::with<dictionary>(h, fail, f);
}

template <typename F>
void withv(void* h, F f) {
  standincore::withvoid<dictionary>(h, f);
}
void putquote(char* p, char c) {
  if (p != nullptr) *p = c;
}

// A symbol's number-valued property, -1 for an unknown symbol.
template <typename F>
int symint(void* h, int sym, F f) {
  return with(h, -1, [&](dictionary& d) {
    const zlmdct::symbol* s = d.symbolat(sym);
    return s != nullptr ? f(*s) : -1;
  });
}

// A row's or column's symbol and labels; 0 when found, 1 otherwise.
int memberuels(const zlmdct::member* m, std::int32_t* sym, std::int32_t* uels, std::int32_t* dim) {
  if (m == nullptr) {
    put(sym, 0);
    put(dim, 0);
    return 1;
  }
  put(sym, m->sym);
  put(dim, static_cast<int>(m->uels.size()));
  if (uels != nullptr)
    for (std::size_t k = 0; k < m->uels.size(); ++k) uels[k] = m->uels[k];
  return 0;
}

}  // namespace

// ---- core and optional entries ----

STANDIN_EXPORT void dctXCreate(void** h) {
  standincore::createobject<dictionary>(faults, h, "XCreate");
}

STANDIN_EXPORT void dctXCreateD(void** h, textin dir) {
  standincore::createobject<dictionary>(faults, h, "XCreateD \"" + std::string(in(dir)) + "\"");
}

STANDIN_EXPORT void dctXFree(void** h) { standincore::freeobject<dictionary>(faults, h); }

STANDIN_EXPORT int dctXCheck(textin name, int count, const std::int32_t* codes, textout msg) {
  return lib.check(name, count, codes, msg);
}

STANDIN_EXPORT int dctXAPIVersion(int api, textout msg, std::int32_t* level) {
  return lib.apiversion(api, msg, level);
}

STANDIN_EXPORT void dctInitialize() { faults.trace("dctInitialize"); }
STANDIN_EXPORT void dctFinalize() { faults.trace("dctFinalize"); }

// ---- loading ----

STANDIN_EXPORT int dctLoadEx(void* h, textin file, textout msg) {
  out(msg, h == nullptr ? "no dictionary object" : "");
  return with(h, 1, [&](dictionary& d) {
    std::string why;
    if (d.load(std::string(in(file)), why)) return 0;
    out(msg, why);
    return 1;
  });
}

// Exported for the binding's lookup, not implemented (XCheck refuses them).
// dctWriteVRKWithHandle is in zlmdct_vrk.cpp.
STANDIN_EXPORT int dctLoadWithHandle(void*, void*, textout msg) {
  out(msg, "dctLoadWithHandle is not implemented");
  return 1;
}
STANDIN_EXPORT void dctWriteVRK(void*, textin, textout msg) {
  out(msg, "dctWriteVRK is not implemented");
}

// ---- labels ----

STANDIN_EXPORT int dctNUels(void* h) {
  return with(h, -1, [](dictionary& d) { return d.labelcount(); });
}

STANDIN_EXPORT int dctUelIndex(void* h, textin label) {
  return with(h, 0, [&](dictionary& d) { return d.labelindex(in(label)); });
}

STANDIN_EXPORT int dctUelLabel(void* h, int nr, char* quote, textout label) {
  putquote(quote, ' ');
  out(label, "");
  return with(h, 1, [&](dictionary& d) {
    const zlmdct::label* l = d.labelat(nr);
    if (l == nullptr) return 1;
    putquote(quote, l->quote);
    out(label, l->text);
    return 0;
  });
}

// ---- symbols ----

STANDIN_EXPORT int dctNLSyms(void* h) {
  return with(h, -1, [](dictionary& d) { return d.symbolcount(); });
}

STANDIN_EXPORT int dctSymIndex(void* h, textin name) {
  return with(h, 0, [&](dictionary& d) { return d.symbolindex(in(name)); });
}

STANDIN_EXPORT int dctSymName(void* h, int sym, textout name) {
  out(name, "");
  return with(h, 1, [&](dictionary& d) {
    const zlmdct::symbol* s = d.symbolat(sym);
    if (s == nullptr) return 1;
    out(name, s->name);
    return 0;
  });
}

STANDIN_EXPORT int dctSymText(void* h, int sym, char* quote, textout text) {
  putquote(quote, ' ');
  out(text, "");
  return with(h, 1, [&](dictionary& d) {
    const zlmdct::symbol* s = d.symbolat(sym);
    if (s == nullptr) return 1;
    putquote(quote, s->quote);
    out(text, s->text);
    return 0;
  });
}

STANDIN_EXPORT int dctSymDim(void* h, int sym) {
  return symint(h, sym, [](const zlmdct::symbol& s) { return s.dim; });
}
STANDIN_EXPORT int dctSymType(void* h, int sym) {
  return symint(h, sym, [](const zlmdct::symbol& s) { return s.type; });
}
STANDIN_EXPORT int dctSymUserInfo(void* h, int sym) {
  return symint(h, sym, [](const zlmdct::symbol& s) { return s.userinfo; });
}
STANDIN_EXPORT int dctSymEntries(void* h, int sym) {
  return symint(h, sym, [](const zlmdct::symbol& s) { return static_cast<int>(s.members.size()); });
}
// The first row or column of the symbol; -1 when it has none.
STANDIN_EXPORT int dctSymOffset(void* h, int sym) {
  return symint(h, sym,
                [](const zlmdct::symbol& s) { return s.members.empty() ? -1 : s.members[0]; });
}

STANDIN_EXPORT int dctSymDomNames(void* h, int sym, textout names, std::int32_t* dim) {
  put(dim, 0);
  return with(h, 1, [&](dictionary& d) {
    const zlmdct::symbol* s = d.symbolat(sym);
    if (s == nullptr) return 1;
    put(dim, s->dim);
    if (names != nullptr)
      for (std::size_t k = 0; k < s->domains.size(); ++k) out(names + 256 * k, s->domains[k]);
    return 0;
  });
}

// The symbol numbers of a symbol's domains, 0 for "*" or a domain that is no symbol.
STANDIN_EXPORT int dctSymDomIdx(void* h, int sym, std::int32_t* idx, std::int32_t* dim) {
  put(dim, 0);
  return with(h, 1, [&](dictionary& d) {
    const zlmdct::symbol* s = d.symbolat(sym);
    if (s == nullptr) return 1;
    put(dim, s->dim);
    if (idx != nullptr)
      for (std::size_t k = 0; k < s->domains.size(); ++k) idx[k] = d.symbolindex(s->domains[k]);
    return 0;
  });
}

STANDIN_EXPORT int dctDomNameCount(void* h) {
  return with(h, -1, [](dictionary& d) { return static_cast<int>(d.domainnames().size()); });
}

STANDIN_EXPORT int dctDomName(void* h, int nr, textout name) {
  out(name, "");
  return with(h, 1, [&](dictionary& d) {
    const auto& all = d.domainnames();
    if (nr < 1 || nr > static_cast<int>(all.size())) return 1;
    out(name, all[static_cast<std::size_t>(nr - 1)]);
    return 0;
  });
}

// ---- rows and columns ----

STANDIN_EXPORT int dctColIndex(void* h, int sym, const std::int32_t* uels) {
  return with(h, -1, [&](dictionary& d) {
    const zlmdct::symbol* s = d.symbolat(sym);
    return s != nullptr && s->type == zlmdct::variabletype ? d.indexof(sym, uels) : -1;
  });
}

STANDIN_EXPORT int dctRowIndex(void* h, int sym, const std::int32_t* uels) {
  return with(h, -1, [&](dictionary& d) {
    const zlmdct::symbol* s = d.symbolat(sym);
    return s != nullptr && s->type == zlmdct::equationtype ? d.indexof(sym, uels) : -1;
  });
}

STANDIN_EXPORT int dctColUels(void* h, int col, std::int32_t* sym, std::int32_t* uels,
                              std::int32_t* dim) {
  return with(h, 1, [&](dictionary& d) { return memberuels(d.col(col), sym, uels, dim); });
}

STANDIN_EXPORT int dctRowUels(void* h, int row, std::int32_t* sym, std::int32_t* uels,
                              std::int32_t* dim) {
  return with(h, 1, [&](dictionary& d) { return memberuels(d.row(row), sym, uels, dim); });
}

STANDIN_EXPORT void* dctFindFirstRowCol(void* h, int sym, const std::int32_t* uels,
                                        std::int32_t* rowcol) {
  put(rowcol, -1);
  return with(h, static_cast<void*>(nullptr), [&](dictionary& d) -> void* {
    int first = -1;
    zlmdct::search* s = d.findfirst(sym, uels, first);
    put(rowcol, first);
    return s;
  });
}

STANDIN_EXPORT int dctFindNextRowCol(void* h, void* search, std::int32_t* rowcol) {
  put(rowcol, -1);
  return with(h, 0, [&](dictionary& d) {
    int next = -1;
    if (!d.findnext(static_cast<zlmdct::search*>(search), next)) return 0;
    put(rowcol, next);
    return next >= 0 ? 1 : 0;
  });
}

STANDIN_EXPORT void dctFindClose(void* h, void* search) {
  withv(h, [&](dictionary& d) { d.close(static_cast<zlmdct::search*>(search)); });
}

// ---- counts ----

STANDIN_EXPORT double dctMemUsed(void* h) {
  return with(h, 0.0, [](dictionary& d) { return static_cast<double>(d.memoryused()); });
}
STANDIN_EXPORT int dctNRows(void* h) {
  return with(h, -1, [](dictionary& d) { return d.rowcount(); });
}
STANDIN_EXPORT int dctNCols(void* h) {
  return with(h, -1, [](dictionary& d) { return d.colcount(); });
}
STANDIN_EXPORT int dctLrgDim(void* h) {
  return with(h, -1, [](dictionary& d) { return d.largestdim(); });
}

// ---- building ----

// Starts a new, empty dictionary; the counts are only a hint.
STANDIN_EXPORT void dctSetBasicCounts(void* h, int, int, int) {
  withv(h, [](dictionary& d) { d.clear(); });
}

STANDIN_EXPORT int dctSetBasicCountsEx(void* h, int rows, int cols, std::int64_t blocks,
                                       textout msg) {
  out(msg, "");
  return with(h, 0, [&](dictionary& d) {
    if (rows < 0 || cols < 0 || blocks < 0) {
      out(msg, "negative count");
      return 0;
    }
    d.clear();
    return 1;
  });
}

STANDIN_EXPORT void dctAddUel(void* h, textin label, char quote) {
  withv(h, [&](dictionary& d) { d.adduel(in(label), quote); });
}

STANDIN_EXPORT void dctAddSymbol(void* h, textin name, int type, int dim, int userinfo,
                                 textin text) {
  withv(h, [&](dictionary& d) { d.addsymbol(in(name), type, dim, userinfo, in(text)); });
}

STANDIN_EXPORT void dctAddSymbolData(void* h, const std::int32_t* uels) {
  withv(h, [&](dictionary& d) { (void)d.addsymboldata(uels); });
}

STANDIN_EXPORT int dctAddSymbolDoms(void* h, textin name, const unsigned char* doms, int dim,
                                    textout msg) {
  out(msg, h == nullptr ? "no dictionary object" : "");
  return with(h, 0, [&](dictionary& d) {
    std::vector<std::string> names;
    for (int k = 0; doms != nullptr && k < dim && k < zlmdct::maxdim; ++k)
      names.emplace_back(in(doms + 256 * k));
    std::string why;
    if (d.addsymboldoms(in(name), names, why)) return 1;
    out(msg, why);
    return 0;
  });
}
