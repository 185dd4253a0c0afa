// The option stand-in's short-string boundary: the core entries, the optional entries and
// the 95 API entries under their plain names. Texts are short strings (a length byte and up
// to 255 characters); output texts are 256-byte caller buffers. A nil object handle gets the
// entry's failure value. No exception leaves an entry.
#include <cmath>
#include <cstdint>
#include <string>

#include "standins/common/coreentries.h"
#include "standins/common/standin.h"
#include "standins/zlmopt/optmodel.h"
#include "standins/zlmopt/signatures.h"

using standin::in;
using standin::out;
using standin::put;
using textin = standin::sstrin;
using textout = standin::sstrout;
using zlmopt::dtype;
using zlmopt::option;
using zlmopt::optset;

namespace {

const standincore::library lib{"zlmopt", "ZLMOPT", 4, zlmopt::signaturetext};
const standin::faults& faults = lib.faults;
std::string loadpath;

template <typename R, typename F>
R with(void* h, R fail, F f) {
  return standincore::with<optset>(h, fail, f);
}

template <typename F>
void withv(void* h, F f) {
  standincore::withvoid<optset>(h, f);
}

// Runs f on option nr; 0 and zeroed outputs (done by the caller) when there is none.
template <typename F>
int withopt(void* h, int nr, F f) {
  return with(h, 0, [&](optset& s) {
    option* o = s.byno(nr);
    return o != nullptr ? f(s, *o) : 0;
  });
}

template <typename F>
int withname(void* h, textin name, F f) {
  return with(h, 0, [&](optset& s) {
    option* o = s.byname(in(name));
    return o != nullptr ? f(s, *o) : 0;
  });
}

bool isnumeric(const option& o) { return o.type == dtype::integer || o.type == dtype::real; }

int asint(double v) {
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(std::lround(v));
}

int getint(option& o, int which, int* v) {
  put(v, isnumeric(o) ? asint(o.num[which]) : 0);
  return 1;
}

int getdbl(option& o, int which, double* v) {
  put(v, isnumeric(o) ? o.num[which] : 0.0);
  return 1;
}

int getstr(option& o, int which, textout v) {
  out(v, optset::valuetext(o, which));
  return 1;
}

}  // namespace

// ---- core entries ----

STANDIN_EXPORT void XCreate(void** h) { standincore::createobject<optset>(faults, h, "XCreate"); }

STANDIN_EXPORT void XFree(void** h) { standincore::freeobject<optset>(faults, h); }

STANDIN_EXPORT int XCheck(textin name, int count, const std::int32_t* codes, textout msg) {
  return lib.check(name, count, codes, msg);
}

#ifndef ZLMOPT_NOAPIVERSION
STANDIN_EXPORT int XAPIVersion(int api, textout msg, std::int32_t* level) {
  return lib.apiversion(api, msg, level);
}
#endif

#ifndef ZLMOPT_LEAN
STANDIN_EXPORT void optInitialize() { faults.trace("optInitialize"); }
STANDIN_EXPORT void optFinalize() { faults.trace("optFinalize"); }
STANDIN_EXPORT void optSetLoadPath(textin dir) {
  try {
    loadpath.assign(in(dir));
    faults.trace("optSetLoadPath \"" + loadpath + "\"");
  } catch (...) {
  }
}
STANDIN_EXPORT void optGetLoadPath(textout dir) { out(dir, loadpath); }
#endif

// ---- reading and writing ----

STANDIN_EXPORT int optReadDefinition(void* h, textin path) {
  return with(h, 1, [&](optset& s) { return s.readdefinition(std::string(in(path))); });
}

STANDIN_EXPORT int optReadDefinitionFromPChar(void* h, const char* text) {
  return with(h, 1, [&](optset& s) {
    return s.readdefinitiontext(text != nullptr ? text : "", "definition text");
  });
}

STANDIN_EXPORT int optReadParameterFile(void* h, textin path) {
  return with(h, 1, [&](optset& s) { return s.readparameterfile(std::string(in(path))); });
}

STANDIN_EXPORT void optReadFromStr(void* h, textin text) {
  withv(h, [&](optset& s) { (void)s.readoptiontext(in(text), "string"); });
}

STANDIN_EXPORT void optReadFromPChar(void* h, const char* text) {
  withv(h, [&](optset& s) { (void)s.readoptiontext(text != nullptr ? text : "", "string"); });
}

STANDIN_EXPORT void optReadFromCmdLine(void* h, const char* text) {
  withv(h, [&](optset& s) { s.readcommandline(text != nullptr ? text : ""); });
}

// The callback fills argument k (from 1) and answers non-zero while there is one.
using cmdargs_fn = int (*)(unsigned char* arg, int* k);
STANDIN_EXPORT void optReadFromCmdArgs(void* h, void (*cb)()) {
  const auto next = reinterpret_cast<cmdargs_fn>(cb);
  if (next == nullptr) return;
  withv(h, [&](optset& s) {
    unsigned char arg[256] = {};
    for (int k = 1; k <= 100000; ++k) {
      int pos = k;
      if (next(arg, &pos) == 0) break;
      s.readcommandline(in(arg));
    }
  });
}

STANDIN_EXPORT int optWriteParameterFile(void* h, textin path) {
  return with(h, 1, [&](optset& s) { return s.writeparameterfile(std::string(in(path))); });
}

// ---- messages and counts ----

STANDIN_EXPORT void optClearMessages(void* h) {
  withv(h, [](optset& s) {
    s.messages.clear();
    s.errors = s.warnings = 0;
  });
}

STANDIN_EXPORT void optAddMessage(void* h, textin text) {
  withv(h, [&](optset& s) { s.addmessage(std::string(in(text)), 0); });
}

STANDIN_EXPORT void optGetMessage(void* h, int k, textout text, int* type) {
  out(text, "");
  put(type, 0);
  withv(h, [&](optset& s) {
    if (k < 1 || k > static_cast<int>(s.messages.size())) return;
    const auto& m = s.messages[static_cast<std::size_t>(k - 1)];
    out(text, m.text);
    put(type, m.type);
  });
}

STANDIN_EXPORT void optErrorCount(void* h, int* errors, int* warnings) {
  put(errors, 0);
  put(warnings, 0);
  withv(h, [&](optset& s) {
    put(errors, s.errors);
    put(warnings, s.warnings);
  });
}

STANDIN_EXPORT int optCount(void* h) {
  return with(h, 0, [](optset& s) { return static_cast<int>(s.options.size()); });
}
STANDIN_EXPORT int optMessageCount(void* h) {
  return with(h, 0, [](optset& s) { return static_cast<int>(s.messages.size()); });
}
STANDIN_EXPORT int optGroupCount(void* h) {
  return with(h, 0, [](optset& s) { return static_cast<int>(s.groups.size()); });
}

// One message per option (empty topic) or the named option's help.
STANDIN_EXPORT void optShowHelp(void* h, textin topic) {
  withv(h, [&](optset& s) {
    const option* one = in(topic).empty() ? nullptr : s.byname(in(topic));
    for (const auto& o : s.options)
      if (one == nullptr || one == &o) s.addmessage(o.name + ": " + o.help, 0);
  });
}

// ---- resetting ----

STANDIN_EXPORT void optResetAll(void* h) {
  withv(h, [](optset& s) { s.resetall(false); });
}
STANDIN_EXPORT void optResetAllRecent(void* h) {
  withv(h, [](optset& s) { s.resetall(true); });
}
STANDIN_EXPORT void optResetRecentChanges(void* h) {
  withv(h, [](optset& s) {
    for (auto& o : s.options) o.recent = false;
  });
}
STANDIN_EXPORT int optResetNr(void* h, int nr) {
  return withopt(h, nr, [](optset& s, option& o) { return s.reset(o), 1; });
}
STANDIN_EXPORT int optResetStr(void* h, textin name) {
  return withname(h, name, [](optset& s, option& o) { return s.reset(o), 1; });
}
STANDIN_EXPORT int optRecentEnabled(void* h) {
  return with(h, 0, [](optset& s) { return s.recentenabled ? 1 : 0; });
}
STANDIN_EXPORT void optRecentEnabledSet(void* h, int on) {
  withv(h, [&](optset& s) { s.recentenabled = on != 0; });
}

// ---- reading modes ----

STANDIN_EXPORT void optEchoSet(void* h, int on) {
  withv(h, [&](optset& s) { s.echo = on != 0; });
}
STANDIN_EXPORT int optEOLOnlySet(void* h, int on) {
  return with(h, 0, [&](optset& s) {
    const int old = s.eolonly ? 1 : 0;
    s.eolonly = on != 0;
    return old;
  });
}
STANDIN_EXPORT void optNoBoundsSet(void* h, int on) {
  withv(h, [&](optset& s) { s.nobounds = on != 0; });
}
STANDIN_EXPORT int optEOLChars(void* h, textout chars) {
  out(chars, "");
  return with(h, 0, [&](optset&) { return out(chars, "!"), 1; });
}

// ---- information by number ----

STANDIN_EXPORT int optGetInfoNr(void* h, int nr, int* defined, int* definedr, int* refnr,
                                int* datatype, int* opttype, int* subtype) {
  for (int* p : {defined, definedr, refnr, datatype, opttype, subtype}) put(p, 0);
  return withopt(h, nr, [&](optset&, option& o) {
    put(defined, (o.defined & 1) != 0 ? 1 : 0);
    put(definedr, o.recent ? 1 : 0);
    put(refnr, o.refnr);
    put(datatype, static_cast<int>(o.type));
    put(opttype, static_cast<int>(o.type));
    return 1;
  });
}

STANDIN_EXPORT int optGetValuesNr(void* h, int nr, textout name, int* ival, double* dval,
                                  textout sval) {
  out(name, "");
  put(ival, 0);
  put(dval, 0.0);
  out(sval, "");
  return withopt(h, nr, [&](optset&, option& o) {
    out(name, o.name);
    (void)getint(o, 0, ival);
    (void)getdbl(o, 0, dval);
    if (!isnumeric(o)) (void)getstr(o, 0, sval);
    return 1;
  });
}

namespace {
// Sets the value that fits the option's data type.
int setvalues(void* h, int nr, int which, int ival, double dval, textin sval) {
  return withopt(h, nr, [&](optset& s, option& o) {
    if (o.type == dtype::integer) return s.setnumber(o, which, ival) ? 1 : 0;
    if (o.type == dtype::real) return s.setnumber(o, which, dval) ? 1 : 0;
    return s.setstring(o, which, in(sval)) ? 1 : 0;
  });
}
}  // namespace

STANDIN_EXPORT int optSetValuesNr(void* h, int nr, int ival, double dval, textin sval) {
  return setvalues(h, nr, 0, ival, dval, sval);
}
STANDIN_EXPORT int optSetValues2Nr(void* h, int nr, int ival, double dval, textin sval) {
  return setvalues(h, nr, 1, ival, dval, sval);
}

STANDIN_EXPORT int optGetBoundsInt(void* h, int nr, int* lower, int* upper, int* dflt) {
  for (int* p : {lower, upper, dflt}) put(p, 0);
  return withopt(h, nr, [&](optset&, option& o) {
    if (!isnumeric(o)) return 0;
    put(lower, asint(o.lower));
    put(upper, asint(o.upper));
    put(dflt, asint(o.numdefault));
    return 1;
  });
}

STANDIN_EXPORT int optGetBoundsDbl(void* h, int nr, double* lower, double* upper, double* dflt) {
  for (double* p : {lower, upper, dflt}) put(p, 0.0);
  return withopt(h, nr, [&](optset&, option& o) {
    if (!isnumeric(o)) return 0;
    put(lower, o.lower);
    put(upper, o.upper);
    put(dflt, o.numdefault);
    return 1;
  });
}

STANDIN_EXPORT int optGetDefaultStr(void* h, int nr, textout text) {
  out(text, "");
  return withopt(h, nr, [&](optset&, option& o) {
    out(text, isnumeric(o) ? optset::numbertext(o.numdefault) : o.strdefault);
    return 1;
  });
}

STANDIN_EXPORT int optGetNameNr(void* h, int nr, textout name) {
  out(name, "");
  return withopt(h, nr, [&](optset&, option& o) { return out(name, o.name), 1; });
}

STANDIN_EXPORT int optGetDefinedNr(void* h, int nr, int* state) {
  put(state, 0);
  return withopt(h, nr, [&](optset&, option& o) { return put(state, o.defined), 1; });
}

#ifndef ZLMOPT_LEAN
STANDIN_EXPORT int optGetHelpNr(void* h, int nr, textout name, textout help) {
  out(name, "");
  out(help, "");
  return withopt(h, nr, [&](optset&, option& o) {
    out(name, o.name);
    out(help, o.help);
    return 1;
  });
}
#endif

STANDIN_EXPORT int optGetOptHelpNr(void* h, int nr, textout name, int* helpcontext, int* group) {
  out(name, "");
  put(helpcontext, 0);
  put(group, 0);
  return withopt(h, nr, [&](optset&, option& o) {
    out(name, o.name);
    put(helpcontext, o.refnr);
    put(group, o.group);
    return 1;
  });
}

STANDIN_EXPORT int optSetRefNr(void* h, int nr, int ref) {
  return withopt(h, nr, [&](optset&, option& o) { return o.refnr = ref, 1; });
}
STANDIN_EXPORT int optSetRefNrStr(void* h, textin name, int ref) {
  return withname(h, name, [&](optset&, option& o) { return o.refnr = ref, 1; });
}

// ---- values by number ----

STANDIN_EXPORT int optGetIntNr(void* h, int nr, int* v) {
  put(v, 0);
  return withopt(h, nr, [&](optset&, option& o) { return getint(o, 0, v); });
}
STANDIN_EXPORT int optGetInt2Nr(void* h, int nr, int* v) {
  put(v, 0);
  return withopt(h, nr, [&](optset&, option& o) { return getint(o, 1, v); });
}
STANDIN_EXPORT int optGetDblNr(void* h, int nr, double* v) {
  put(v, 0.0);
  return withopt(h, nr, [&](optset&, option& o) { return getdbl(o, 0, v); });
}
STANDIN_EXPORT int optGetDbl2Nr(void* h, int nr, double* v) {
  put(v, 0.0);
  return withopt(h, nr, [&](optset&, option& o) { return getdbl(o, 1, v); });
}
STANDIN_EXPORT int optGetStrNr(void* h, int nr, textout v) {
  out(v, "");
  return withopt(h, nr, [&](optset&, option& o) { return getstr(o, 0, v); });
}
STANDIN_EXPORT int optGetStr2Nr(void* h, int nr, textout v) {
  out(v, "");
  return withopt(h, nr, [&](optset&, option& o) { return getstr(o, 1, v); });
}

// Integer setters serve integer and double options; double setters double options only.
STANDIN_EXPORT int optSetIntNr(void* h, int nr, int v) {
  return withopt(h, nr, [&](optset& s, option& o) { return s.setnumber(o, 0, v) ? 1 : 0; });
}
STANDIN_EXPORT int optSetInt2Nr(void* h, int nr, int v) {
  return withopt(h, nr, [&](optset& s, option& o) { return s.setnumber(o, 1, v) ? 1 : 0; });
}
STANDIN_EXPORT int optSetDblNr(void* h, int nr, double v) {
  return withopt(h, nr, [&](optset& s, option& o) {
    return o.type == dtype::real && s.setnumber(o, 0, v) ? 1 : 0;
  });
}
STANDIN_EXPORT int optSetDbl2Nr(void* h, int nr, double v) {
  return withopt(h, nr, [&](optset& s, option& o) {
    return o.type == dtype::real && s.setnumber(o, 1, v) ? 1 : 0;
  });
}
STANDIN_EXPORT int optSetStrNr(void* h, int nr, textin v) {
  return withopt(h, nr, [&](optset& s, option& o) { return s.setstring(o, 0, in(v)) ? 1 : 0; });
}
STANDIN_EXPORT int optSetStr2Nr(void* h, int nr, textin v) {
  return withopt(h, nr, [&](optset& s, option& o) { return s.setstring(o, 1, in(v)) ? 1 : 0; });
}

// ---- values by name ----

STANDIN_EXPORT int optFindStr(void* h, textin name, int* nr, int* refnr) {
  put(nr, 0);
  put(refnr, 0);
  return with(h, 0, [&](optset& s) {
    const int n = s.find(in(name));
    if (n == 0) return 0;
    put(nr, n);
    put(refnr, s.byno(n)->refnr);
    return n;
  });
}
STANDIN_EXPORT int optLookUp(void* h, textin name) {
  return with(h, 0, [&](optset& s) { return s.find(in(name)); });
}
STANDIN_EXPORT int optGetValStr(void* h, textin name, textout v) {
  out(v, "");
  return withname(h, name, [&](optset&, option& o) { return getstr(o, 0, v); });
}
STANDIN_EXPORT int optGetVal2Str(void* h, textin name, textout v) {
  out(v, "");
  return withname(h, name, [&](optset&, option& o) { return getstr(o, 1, v); });
}
STANDIN_EXPORT int optGetDefinedStr(void* h, textin name) {
  return withname(h, name, [](optset&, option& o) { return (o.defined & 1) != 0 ? 1 : 0; });
}
STANDIN_EXPORT int optGetIntStr(void* h, textin name) {
  int v = 0;
  (void)withname(h, name, [&](optset&, option& o) { return getint(o, 0, &v); });
  return v;
}
STANDIN_EXPORT double optGetDblStr(void* h, textin name) {
  double v = 0.0;
  (void)withname(h, name, [&](optset&, option& o) { return getdbl(o, 0, &v); });
  return v;
}
STANDIN_EXPORT unsigned char* optGetStrStr(void* h, textin name, textout result) {
  out(result, "");
  (void)withname(h, name, [&](optset&, option& o) { return getstr(o, 0, result); });
  return result;
}
STANDIN_EXPORT void optSetIntStr(void* h, textin name, int v) {
  (void)withname(h, name, [&](optset& s, option& o) { return s.setnumber(o, 0, v) ? 1 : 0; });
}
STANDIN_EXPORT void optSetDblStr(void* h, textin name, double v) {
  (void)withname(h, name, [&](optset& s, option& o) {
    return o.type == dtype::real && s.setnumber(o, 0, v) ? 1 : 0;
  });
}
STANDIN_EXPORT void optSetStrStr(void* h, textin name, textin v) {
  (void)withname(h, name, [&](optset& s, option& o) { return s.setstring(o, 0, in(v)) ? 1 : 0; });
}
STANDIN_EXPORT int optIsDeprecated(void* h, textin name) {
  return withname(h, name, [](optset&, option&) { return 0; });
}

STANDIN_EXPORT int optGetNameOpt(void* h, textin value, textout name, int* number) {
  out(name, "");
  put(number, 0);
  return with(h, 0, [&](optset&) {
    std::string n;
    int k = 0;
    if (!zlmopt::splitnameopt(in(value), n, k)) return 0;
    out(name, n);
    put(number, k);
    return 1;
  });
}

// ---- enumerations: the definition format has none ----

STANDIN_EXPORT int optGetEnumHelp(void* h, int, int, int* context, textout text) {
  put(context, 0);
  out(text, "");
  return with(h, 0, [](optset&) { return 0; });
}
STANDIN_EXPORT int optGetEnumStrNr(void* h, int, textout text, int* k) {
  out(text, "");
  put(k, 0);
  return with(h, 0, [](optset&) { return 0; });
}
STANDIN_EXPORT int optGetEnumCount(void* h, int, int* count) {
  put(count, 0);
  return with(h, 0, [](optset&) { return 0; });
}
STANDIN_EXPORT int optGetEnumValue(void* h, int, int, int* ival, textout sval) {
  put(ival, 0);
  out(sval, "");
  return with(h, 0, [](optset&) { return 0; });
}

// ---- groups ----

STANDIN_EXPORT int optGetGroupNr(void* h, int k, textout name, int* number, int* context,
                                 textout help) {
  out(name, "");
  put(number, 0);
  put(context, 0);
  out(help, "");
  return with(h, 0, [&](optset& s) {
    if (k < 1 || k > static_cast<int>(s.groups.size())) return 0;
    const auto& g = s.groups[static_cast<std::size_t>(k - 1)];
    out(name, g.name);
    put(number, g.number);
    put(context, g.value);
    out(help, g.help);
    return 1;
  });
}
STANDIN_EXPORT int optGetGroupGrpNr(void* h, int number) {
  return with(h, 0, [&](optset& s) {
    const zlmopt::group* g = s.groupbynumber(number);
    return g != nullptr ? g->value : 0;
  });
}
STANDIN_EXPORT int optGetOptGroupNr(void* h, int nr) {
  return withopt(h, nr, [](optset&, option& o) { return o.group; });
}

// ---- dot options ----

STANDIN_EXPORT int optDotOptCount(void* h, int* errors) {
  put(errors, 0);
  return with(h, 0, [&](optset& s) {
    put(errors, s.doterrors);
    return static_cast<int>(s.dots.size());
  });
}
STANDIN_EXPORT int optGetDotOptNr(void* h, int k, textout symbol, int* optnr, int* dim,
                                  double* value) {
  out(symbol, "");
  put(optnr, 0);
  put(dim, 0);
  put(value, 0.0);
  return with(h, 0, [&](optset& s) {
    if (k < 1 || k > static_cast<int>(s.dots.size())) return 0;
    const auto& r = s.dots[static_cast<std::size_t>(k - 1)];
    out(symbol, r.symbol);
    put(optnr, r.optnr);
    put(dim, static_cast<int>(r.labels.size()));
    put(value, r.value);
    return 1;
  });
}
STANDIN_EXPORT int optGetDotOptUel(void* h, int k, int position, textout label) {
  out(label, "");
  return with(h, 0, [&](optset& s) {
    if (k < 1 || k > static_cast<int>(s.dots.size())) return 0;
    const auto& labels = s.dots[static_cast<std::size_t>(k - 1)].labels;
    if (position < 1 || position > static_cast<int>(labels.size())) return 0;
    out(label, labels[static_cast<std::size_t>(position - 1)]);
    return 1;
  });
}

// ---- list options ----

STANDIN_EXPORT int optListCountStr(void* h, textin name) {
  return withname(h, name, [](optset&, option& o) { return static_cast<int>(o.values.size()); });
}
STANDIN_EXPORT int optReadFromListStr(void* h, textin name, int k, textout value) {
  out(value, "");
  return withname(h, name, [&](optset&, option& o) {
    if (k < 1 || k > static_cast<int>(o.values.size())) return 0;
    return out(value, o.values[static_cast<std::size_t>(k - 1)]), 1;
  });
}
STANDIN_EXPORT int optGetFromListStr(void* h, textin name, textout value) {
  out(value, "");
  return withname(h, name, [&](optset&, option& o) {
    if (!o.values.empty()) out(value, o.values.front());
    return static_cast<int>(o.values.size());
  });
}
// Value k counted over all list options in declaration order.
STANDIN_EXPORT int optGetFromAnyStrList(void* h, int k, textout name, textout value) {
  out(name, "");
  out(value, "");
  return with(h, 0, [&](optset& s) {
    int left = k;
    for (const auto& o : s.options) {
      if (left >= 1 && left <= static_cast<int>(o.values.size())) {
        out(name, o.name);
        out(value, o.values[static_cast<std::size_t>(left - 1)]);
        return 1;
      }
      left -= static_cast<int>(o.values.size());
    }
    return 0;
  });
}

// ---- synonyms ----

STANDIN_EXPORT int optSynonymCount(void* h) {
  return with(h, 0, [](optset& s) { return static_cast<int>(s.synonyms.size()); });
}
STANDIN_EXPORT int optGetSynonym(void* h, int k, textout alias, textout name) {
  out(alias, "");
  out(name, "");
  return with(h, 0, [&](optset& s) {
    if (k < 1 || k > static_cast<int>(s.synonyms.size())) return 0;
    const auto& [a, n] = s.synonyms[static_cast<std::size_t>(k - 1)];
    out(alias, a);
    out(name, n);
    return 1;
  });
}

// ---- variable and equation maps, indicators: the option files hold none ----

STANDIN_EXPORT int optGetVarEquMapNr(void* h, int, int, textout var, textout equ, int* a, int* b,
                                     int* c) {
  out(var, "");
  out(equ, "");
  for (int* p : {a, b, c}) put(p, 0);
  return with(h, 0, [](optset&) { return 0; });
}
STANDIN_EXPORT int optGetEquVarEquMapNr(void* h, int, int, int, textout text) {
  out(text, "");
  return with(h, 0, [](optset&) { return 0; });
}
STANDIN_EXPORT int optGetVarVarEquMapNr(void* h, int, int, int, textout text) {
  out(text, "");
  return with(h, 0, [](optset&) { return 0; });
}
STANDIN_EXPORT int optVarEquMapCount(void* h, int, int* errors) {
  put(errors, 0);
  return with(h, 0, [](optset&) { return 0; });
}
STANDIN_EXPORT int optGetIndicatorNr(void* h, int, textout a, textout b, int* c, int* d, int* e) {
  out(a, "");
  out(b, "");
  for (int* p : {c, d, e}) put(p, 0);
  return with(h, 0, [](optset&) { return 0; });
}
STANDIN_EXPORT int optGetEquIndicatorNr(void* h, int, int, textout text) {
  out(text, "");
  return with(h, 0, [](optset&) { return 0; });
}
STANDIN_EXPORT int optGetVarIndicatorNr(void* h, int, int, textout text) {
  out(text, "");
  return with(h, 0, [](optset&) { return 0; });
}
STANDIN_EXPORT int optIndicatorCount(void* h, int* errors) {
  put(errors, 0);
  return with(h, 0, [](optset&) { return 0; });
}

// ---- library facts ----

STANDIN_EXPORT void optVersion(void* h, textout text) {
  out(text, "");
  withv(h, [&](optset&) { out(text, "zlmopt stand-in 1.0"); });
}
STANDIN_EXPORT void optDefinitionFile(void* h, textout text) {
  out(text, "");
  withv(h, [&](optset& s) { out(text, s.definitionfile); });
}
STANDIN_EXPORT int optGetConstName(void* h, int, int, textout text) {
  out(text, "");
  return with(h, 0, [](optset&) { return 0; });
}

#ifdef ZLMOPT_LEAN
// The lean variant exports this entry under its upper-case name only.
STANDIN_EXPORT int optGetTypeName(void* h, int type, textout name) __asm__("OPTGETTYPENAME");
#endif
STANDIN_EXPORT int optGetTypeName(void* h, int type, textout name) {
  static constexpr std::string_view names[] = {"integer", "double", "string", "list", "dot"};
  out(name, "");
  return with(h, 0, [&](optset&) {
    if (type < 1 || type > 5) return 0;
    return out(name, names[type - 1]), 1;
  });
}

STANDIN_EXPORT unsigned char* optSeparator(void* h, textout result) {
  out(result, "");
  withv(h, [&](optset&) { out(result, "="); });
  return result;
}
STANDIN_EXPORT unsigned char* optStringQuote(void* h, textout result) {
  out(result, "");
  withv(h, [&](optset&) { out(result, "\""); });
  return result;
}
