// Extrinsic function libraries: the checked description reader and writer, locating and
// binding the libraries, and the calls into their function entries.
#include "funclib/libfuncs.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <system_error>

#include "frame/q5text.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"
#include "frame/zlmlibname.h"
#include "frame/zlmstrm_buffered.h"
#include "frame/zolmdirs.h"

namespace libfuncs {

namespace {

[[nodiscard]] bool isfile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

// Where a library's file is loaded from: the data locations' "extrinsic_functions", then
// the current directory's, else the name as it stands (a bare name goes to the system
// loader's search). A name without directory and extension becomes the maker's file name.
std::string librarypath(std::string_view file) {
  std::string name(file);
  if (strutilx::extractfilepathex(file).empty() && strutilx::extractfileextex(file).empty()) {
    q5rt::sstr made;
    name = zlmlibname::zolmlibnameq5(made, file).str();
  }
  const std::string rel = std::string(zolmdirs::extrfuncdir) + "/" + name;
  q5rt::sstr found;
  bool listok = false;
  (void)zolmdirs::finddatadirfile(rel, found, {}, listok);
  if (!found.empty()) return found.str();
  if (isfile(rel)) return rel;
  return name;
}

// A short string at the C boundary as a view (nil: empty).
std::string_view boundaryview(const unsigned char* s) {
  if (s == nullptr) return {};
  return {reinterpret_cast<const char*>(s + 1), s[0]};
}

// The dump's reads, each checked against the data left: a file that ends early, a wrong
// mark or a count out of range stops the read with a message.
class dumpreader {
 public:
  explicit dumpreader(zlmstrm::tmibufferedstream& s) : s_(s), size_(s.getsize()) {}

  [[nodiscard]] bool integer(std::int32_t& v, std::string_view item) {
    if (!have(4, item)) return false;
    v = s_.readinteger();
    return true;
  }
  [[nodiscard]] bool byte(std::uint8_t& v, std::string_view item) {
    if (!have(1, item)) return false;
    v = s_.readbyte();
    return true;
  }
  [[nodiscard]] bool flag(bool& v, std::string_view item) {
    std::uint8_t b = 0;
    if (!byte(b, item)) return false;
    v = b != 0;
    return true;
  }
  [[nodiscard]] bool text(std::string& v, std::string_view item) {
    std::uint8_t n = 0;
    if (!byte(n, item) || !have(n, item)) return false;
    v.resize(n);
    if (n > 0) (void)s_.read(v.data(), n);
    return true;
  }
  // A count or value within lo..hi.
  [[nodiscard]] bool bounded(std::int32_t& v, std::int32_t lo, std::int32_t hi,
                             std::string_view item, std::string_view owner) {
    if (!integer(v, item)) return false;
    if (v >= lo && v <= hi) return true;
    fail(q5rt::concat(item, " ", strutilx::inttostrw(v, 0), " outside ", strutilx::inttostrw(lo, 0),
                      "..", strutilx::inttostrw(hi, 0), owner));
    return false;
  }
  [[nodiscard]] bool mark(std::int32_t expected, std::string_view item, std::string_view owner) {
    std::int32_t v = 0;
    if (!integer(v, item)) return false;
    if (v == expected) return true;
    fail(q5rt::concat(item, " ", strutilx::inttostrw(v, 0), " where ",
                      strutilx::inttostrw(expected, 0), " belongs", owner));
    return false;
  }
  void fail(const q5rt::sstr& m) { msg = m; }

  q5rt::sstr msg;

 private:
  [[nodiscard]] bool have(std::int64_t n, std::string_view item) {
    // A read error stops the read; the result stays recorded for the caller.
    if (const int rc = s_.getlastioresult(); rc != 0) {
      s_.setlastioresult(rc);
      fail(q5rt::concat("read error before ", item));
      return false;
    }
    if (s_.getposition() + n <= size_) return true;
    fail(q5rt::concat("data end before ", item));
    return false;
  }

  zlmstrm::tmibufferedstream& s_;
  std::int64_t size_;
};

// " (function <name>)" and its kin: the owner of an item in a message.
q5rt::sstr owner(std::string_view kind, std::string_view name) {
  return q5rt::concat(" (", kind, " ", name, ")");
}

bool readdumpfunction(dumpreader& r, std::int32_t release, tliblibrary& lib) {
  auto fn = std::make_unique<tlibfunction>();
  fn->library = &lib;
  if (!r.text(fn->name, "function name")) return false;
  const q5rt::sstr who = owner("function", fn->name);
  std::int32_t nargs = 0;
  bool ok = r.mark(functionmark, "function mark", who) &&
            r.text(fn->expltext, "explanatory text") && r.flag(fn->used, "used flag") &&
            (release <= flagrelease || r.flag(fn->funcflag, "function flag")) &&
            r.integer(fn->equnever, "never-in-equation flag") && r.integer(fn->smooth, "smooth") &&
            r.integer(fn->zeroripple, "zero-ripple flag") &&
            r.bounded(fn->maxderiv, 0, 2, "maximum derivative level", who) &&
            r.integer(fn->minargs, "minimum arguments") &&
            r.bounded(nargs, 0, ctvnew::maxargs, "argument count", who);
  if (ok && (fn->minargs < 0 || fn->minargs > nargs)) {
    r.fail(q5rt::concat("minimum arguments ", strutilx::inttostrw(fn->minargs, 0), " outside 0..",
                        strutilx::inttostrw(nargs, 0), who));
    ok = false;
  }
  if (ok) {
    fn->args.resize(static_cast<std::size_t>(nargs));
    for (targument& a : fn->args)
      if (!r.byte(a.type, "argument type") || !r.text(a.name, "argument name")) return false;
  }
  // Entered also when incomplete, as far as it was read.
  lib.functions.push_back(std::move(fn));
  return ok;
}

bool readdumplibrary(dumpreader& r, std::int32_t release, tlibmanager& mgr) {
  std::string name;
  if (!r.text(name, "library name")) return false;
  tliblibrary& lib = mgr.addlibrary(name);
  lib.format = 2;
  const q5rt::sstr who = owner("library", name);
  std::int32_t count = 0;
  if (!(r.integer(lib.number, "library number") && r.text(lib.filename, "file name") &&
        r.flag(lib.used, "used flag") &&
        (release <= flagrelease || r.flag(lib.libflag, "library flag")) &&
        r.bounded(count, 0, maxposition, "function count", who)))
    return false;
  for (std::int32_t i = 0; i < count; ++i)
    if (!readdumpfunction(r, release, lib)) return false;
  return true;
}

// XCreate (once) and LibInit with the initialisation text; false with the library's text.
bool createinstance(tliblibrary& lib, std::string_view inittext, q5rt::sstr& m) {
  if (!lib.created) {
    lib.xcreate(&lib.instance);
    lib.created = true;
  }
  shortbuf buffer{};
  const q5rt::sstr text = q5rt::sstr::cut(inittext);
  buffer[0] = static_cast<unsigned char>(text.size());
  std::memcpy(buffer + 1, text.data(), text.size());
  if (lib.libinit(lib.instance, lib.number, buffer) == 0) return true;
  m = q5rt::sstr::cut(boundaryview(buffer));
  return false;
}

// ---- the text description ----

// The lines of a text description, read one by one; integers separated by blanks.
class textlines {
 public:
  explicit textlines(std::string_view text) : rest_(text) {}

  [[nodiscard]] bool line(std::string_view& out) {
    if (rest_.empty()) return false;
    const std::size_t end = rest_.find('\n');
    out = rest_.substr(0, end);
    if (!out.empty() && out.back() == '\r') out.remove_suffix(1);
    rest_ = end == std::string_view::npos ? std::string_view{} : rest_.substr(end + 1);
    return true;
  }
  [[nodiscard]] bool trimmed(std::string& out) {
    std::string_view l;
    if (!line(l)) return false;
    out = std::string(trim(l));
    return true;
  }
  // Up to n integers of one line: false when the line is missing or fewer numbers stand.
  [[nodiscard]] bool integers(std::int32_t* values, int n) {
    std::string_view l;
    if (!line(l)) return false;
    for (int i = 0; i < n; ++i) {
      l = trim(l);
      const auto res = std::from_chars(l.data(), l.data() + l.size(), values[i]);
      if (res.ec != std::errc{}) return false;
      l.remove_prefix(static_cast<std::size_t>(res.ptr - l.data()));
    }
    return true;
  }
  static std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
  }

 private:
  std::string_view rest_;
};

// The functions of a kind-1 text description; 0 or a code.
std::int32_t readtextfunctions(textlines& in, tliblibrary& lib) {
  std::int32_t count = 0;
  if (!in.integers(&count, 1) || count < 0 || count > maxposition) return code_badheader;
  for (std::int32_t i = 0; i < count; ++i) {
    std::string_view l;
    if (!in.line(l)) return code_badheader;
    l = textlines::trim(l);
    const std::string name(l.substr(0, std::min<std::size_t>(l.find_first_of(" \t"), 255)));
    if (name.empty()) break;  // an empty name line ends the list
    if (lib.findfunction(name) != nullptr) return code_duplicate;
    auto fn = std::make_unique<tlibfunction>();
    fn->name = name;
    fn->library = &lib;
    std::int32_t props[4] = {0, 0, 0, 2};
    std::int32_t counts[2] = {0, 0};
    if (!in.trimmed(fn->expltext) || !in.integers(props, lib.format == 1 ? 3 : 4) ||
        !in.integers(counts, 2))
      return code_badheader;
    fn->smooth = props[0];
    fn->equnever = props[1];
    fn->zeroripple = props[2];
    fn->maxderiv = props[3];
    fn->minargs = counts[0];
    if (fn->maxderiv < 0 || fn->maxderiv > 2 || counts[1] < 0 || counts[1] > ctvnew::maxargs ||
        fn->minargs < 0 || fn->minargs > counts[1])
      return code_badheader;
    std::int32_t types[ctvnew::maxargs] = {};
    if (counts[1] > 0 && !in.integers(types, counts[1])) return code_badheader;
    for (std::int32_t k = 0; k < counts[1]; ++k)
      fn->args.push_back({static_cast<std::uint8_t>(types[k] != 0 ? 1 : 0), "x"});
    lib.functions.push_back(std::move(fn));
  }
  return 0;
}

// A text field of a library or function object; empty for none.
template <typename Obj>
q5rt::sstr textof(const Obj* obj, std::string Obj::*field) {
  return obj == nullptr ? q5rt::sstr{} : q5rt::sstr::cut(obj->*field);
}

}  // namespace

extern "C" std::int32_t LIBFUNCS_extfunclogerror(std::int32_t rc, std::int32_t ec,
                                                 const unsigned char* msg, void* usermem) {
  try {
    auto* rec = static_cast<ctvnew::tmathnewrec*>(usermem);
    if (rec == nullptr || rec->logerror == nullptr) return rc;
    return rec->logerror(rc, ec, q5rt::sstr::cut(boundaryview(msg)), rec->usermem);
  } catch (...) {
    return rc;
  }
}

// ---- library ----

tliblibrary::tliblibrary(std::string_view n, tlibmanager* m) : name(n), manager(m) {}

tliblibrary::~tliblibrary() {
  if (created && xfree != nullptr) xfree(&instance);
  (void)handle.release();  // the file stays loaded for the rest of the run
}

tlibfunction* tliblibrary::findfunction(std::string_view fname) const {
  for (const auto& f : functions)
    if (strutilx::struequal(f->name, fname)) return f.get();
  return nullptr;
}

tlibfunction* tliblibrary::getfuncobj(std::int32_t position) const {
  if (position < 1 || position > static_cast<std::int32_t>(functions.size())) return nullptr;
  return functions[static_cast<std::size_t>(position - 1)].get();
}

void* tliblibrary::loadentry(std::string_view entryname, q5rt::sstr& m) const {
  if (!m.empty()) return nullptr;
  if (void* p = handle.entryanycase(entryname)) return p;
  q5rt::sstr file = q5rt::sstr::cut(filename);
  if (strutilx::extractfileextex(filename).empty())
    (void)q5library::q5makelibname(file, "", filename);
  m = q5library::entrynotfoundmsg(entryname, file.view());
  return nullptr;
}

bool tliblibrary::registerlibrary(q5rt::sstr& m, bool query) {
  if (!errormsg.empty()) {
    m = q5rt::sstr::cut(errormsg);
    return false;
  }
  m.clear();
  if (registered) return true;
  if (!handle.loaded()) {
    const std::string path = librarypath(filename);
    q5rt::sstr loadermsg;
    if (!handle.load(path, loadermsg)) {
      m = q5library::loadfailure(loadermsg, path);
      errormsg = m.str();
      return false;
    }
  }
  if (query) {
    fortranstyle = loadentry("FortranStyle", m) != nullptr;
    m.clear();
    void* entry = loadentry("QueryLibrary", m);
    if (fortranstyle) {
      queryfortran = reinterpret_cast<tqueryfortran>(entry);
    } else {
      queryplain = reinterpret_cast<tqueryplain>(entry);
    }
    if (m.empty()) return readlibraryquery(m);
    errormsg = m.str();
    (void)handle.release();  // the file stays loaded
    return false;
  }
  xcreate = reinterpret_cast<txcreate>(loadentry("XCreate", m));
  xfree = reinterpret_cast<txfree>(loadentry("XFree", m));
  libinit = reinterpret_cast<tlibinit>(loadentry("LibInit", m));
  registered = m.empty();
  if (registered) return true;
  errormsg = m.str();
  (void)handle.release();  // the file stays loaded
  return false;
}

std::int32_t tliblibrary::querylibrary(std::int32_t position, std::int32_t code,
                                       std::int32_t& value, q5rt::sstr& text) const {
  text.clear();
  std::int32_t answer = 0;
  if (fortranstyle && queryfortran != nullptr) {
    char buffer[256] = {};
    answer = queryfortran(position, code, &value, buffer);
    buffer[255] = 0;
    text = q5rt::sstr::cut(buffer);
  } else if (queryplain != nullptr) {
    const char* p = nullptr;
    answer = queryplain(position, code, &value, &p);
    if (p != nullptr) text = q5rt::sstr::cut(std::string_view(p, strnlen(p, 255)));
  }
  return answer;
}

bool tliblibrary::readlibraryquery(q5rt::sstr& m) {
  q5rt::sstr text;
  std::int32_t value = 0;
  (void)querylibrary(0, 0, format, text);
  if (format > 2) {
    m = q5rt::sstr::cut("Library version is more recent than can be read");
    return false;
  }
  (void)querylibrary(0, 1, number, text);
  credit = text.str();
  std::int32_t count = 0;
  (void)querylibrary(0, 2, count, text);
  description = text.str();
  value = 0;
  (void)querylibrary(0, 3, value, text);
  if (value == 1) libflag = true;
  count = std::clamp(count, 0, maxposition);
  for (std::int32_t i = 1; i <= count; ++i) {
    (void)querylibrary(i, 1, value, text);
    if (findfunction(text.view()) != nullptr) {
      m = q5rt::concat("Duplicate function ", text, " in library ", name);
      return false;
    }
    auto fn = std::make_unique<tlibfunction>();
    fn->name = text.str();
    fn->library = this;
    std::int32_t nargs = 0;
    bool ok = querylibrary(i, 2, value, text) != 0;
    fn->expltext = text.str();
    ok = ok && querylibrary(i, 3, fn->equnever, text) != 0 &&
         querylibrary(i, 4, fn->smooth, text) != 0 &&
         querylibrary(i, 5, fn->zeroripple, text) != 0 &&
         querylibrary(i, 6, fn->minargs, text) != 0 && querylibrary(i, 7, nargs, text) != 0;
    fn->maxderiv = 2;
    if (ok && format != 1) ok = querylibrary(i, 8, fn->maxderiv, text) != 0;
    // Answers the evaluation cannot hold are refused like missing ones.
    ok = ok && nargs >= 0 && nargs <= ctvnew::maxargs && fn->maxderiv >= 0 && fn->maxderiv <= 2;
    for (std::int32_t k = 1; ok && k <= nargs; ++k) {
      std::int32_t type = 0;
      ok = querylibrary(i, 1000 + k, type, text) != 0;
      fn->args.push_back({static_cast<std::uint8_t>(type != 0 ? 1 : 0), text.str()});
    }
    const std::string fname = fn->name;
    functions.push_back(std::move(fn));
    if (!ok) {
      m = q5rt::concat("Error loading function from library ", name, " function ", fname);
      return false;
    }
  }
  return true;
}

// ---- manager ----

void tlibmanager::libmgrerror(std::string_view text) const {
  if (msgcb_ != nullptr) msgcb_(text, true);
}

void tlibmanager::libmgrwarning(std::string_view text) const {
  if (msgcb_ != nullptr) msgcb_(text, false);
}

tliblibrary& tlibmanager::addlibrary(std::string_view name) {
  libraries_.push_back(std::make_unique<tliblibrary>(name, this));
  return *libraries_.back();
}

bool tlibmanager::readdump(std::int32_t release, zlmstrm::tmibufferedstream& s, q5rt::sstr& msg) {
  msg.clear();
  dumpreader r(s);
  std::int32_t count = 0;
  bool ok = false;
  if (s.goodbyteorder() != 0) {
    r.fail(q5rt::sstr::cut("byte-order header not understood"));
  } else if (r.mark(dumpmark, "mark", {}) &&
             r.bounded(count, 0, maxposition, "library count", {})) {
    ok = true;
    for (std::int32_t i = 0; ok && i < count; ++i) ok = readdumplibrary(r, release, *this);
  }
  if (!ok) msg = r.msg;
  return ok;
}

bool tlibmanager::readlibmgrsdump(std::int32_t release, std::string_view inittext,
                                  zlmstrm::tmibufferedstream& s, q5rt::sstr& msg) {
  if (!readdump(release, s, msg)) return false;
  return registerlibraries(inittext, msg, true);
}

void tlibmanager::writelibmgrsdump(zlmstrm::tmibufferedstream& s) const {
  s.writeinteger(dumpmark);
  s.writeinteger(librarycount());
  for (const auto& lib : libraries_) {
    s.writestring(lib->name);
    s.writeinteger(lib->number);
    s.writestring(lib->filename);
    s.writebool(lib->used);
    s.writebool(lib->libflag);
    s.writeinteger(static_cast<std::int32_t>(lib->functions.size()));
    for (const auto& fn : lib->functions) {
      s.writestring(fn->name);
      s.writeinteger(functionmark);
      s.writestring(fn->expltext);
      s.writebool(fn->used);
      s.writebool(fn->funcflag);
      s.writeinteger(fn->equnever);
      s.writeinteger(fn->smooth);
      s.writeinteger(fn->zeroripple);
      s.writeinteger(fn->maxderiv);
      s.writeinteger(fn->minargs);
      s.writeinteger(fn->nargs());
      for (const targument& a : fn->args) {
        s.writebyte(a.type);
        s.writestring(a.name);
      }
    }
  }
}

bool tlibmanager::registerlibraries(std::string_view inittext, q5rt::sstr& m, bool initialise) {
  m.clear();
  for (const auto& lib : libraries_) {
    if (!lib->registerlibrary(m)) {
      if (lib->used) {
        libmgrerror(m);
        return false;
      }
      libmgrwarning(m);
      m.clear();
      continue;
    }
    if (initialise && !createinstance(*lib, inittext, m)) {
      if (lib->used) {
        libmgrerror(m);
        return false;
      }
      libmgrwarning(m);
      m.clear();
    }
    for (const auto& fn : lib->functions) {
      if (!fn->used) continue;
      fn->entry = reinterpret_cast<textfunc>(lib->loadentry(fn->name, m));
      if (!m.empty()) {
        libmgrerror(m);
        break;
      }
    }
  }
  return m.empty();
}

bool tlibmanager::checklibraryloaded(std::int32_t libpos, q5rt::sstr& m) {
  tliblibrary* lib = getlibobj(libpos);
  if (lib == nullptr) {
    m.clear();
    return false;
  }
  return lib->registerlibrary(m);
}

std::int32_t tlibmanager::readlibrary(std::string_view text, std::int32_t& position,
                                      std::string_view libname, std::string_view filename) {
  position = -1;
  textlines in(text);
  std::uint8_t kind = 2;
  if (filename.empty()) {
    std::string header;
    if (!in.trimmed(header)) return code_badheader;
    if (header == header_refused) {
      kind = 0;
    } else if (header == header_text) {
      kind = 1;
    } else if (header != header_query) {
      return code_badheader;
    }
  }
  if (const std::int32_t known = libraryindex(libname); known > 0) {
    if (getlibobj(known)->kind != kind) return code_kinddiffers;
    position = known;
    return 0;
  }
  tliblibrary& lib = addlibrary(libname);
  lib.kind = kind;
  position = librarycount();
  if (kind == 0) return code_badheader;
  if (kind == 2) {
    if (!filename.empty()) {
      lib.filename = std::string(filename);
    } else if (!in.trimmed(lib.filename)) {
      return code_badheader;
    }
    return 0;
  }
  std::int32_t head[2] = {0, 0};
  if (!in.integers(head, 2)) return code_badheader;
  lib.format = head[0];
  lib.number = head[1];
  if (lib.format > 2) return code_newformat;
  if (!in.trimmed(lib.filename) || !in.trimmed(lib.description) || !in.trimmed(lib.credit))
    return code_badheader;
  return readtextfunctions(in, lib);
}

std::int32_t tlibmanager::initlibrary(std::string_view text, std::string_view libname,
                                      std::string_view filename, std::string_view inittext) {
  std::int32_t position = -1;
  if (const std::int32_t code = readlibrary(text, position, libname, filename); code != 0)
    return code;
  tliblibrary& lib = *getlibobj(position);
  q5rt::sstr m;
  const bool ok = (lib.kind != 2 || lib.registerlibrary(m, true)) && lib.registerlibrary(m) &&
                  createinstance(lib, inittext, m);
  if (ok) return 0;
  libmgrerror(m);
  return code_initfailed;
}

std::int32_t tlibmanager::extfunceval(ctvnew::tmathnewrec& rec, std::int32_t fnr,
                                      const double* args) const {
  rec.ec = 0;
  rec.rc = 0;
  const tlibfunction* fn = getifuncobj(fnr);
  if (fn->library->fortranstyle) {
    q5rt::output().flush();
    std::fflush(stdout);
  }
  if (rec.level > fn->maxderiv) rec.level = fn->maxderiv;
  const std::int32_t k = rec.level;
  const std::int32_t n = std::clamp(rec.nargs, 0, ctvnew::maxargs);
  rec.f = 0;
  if (k >= 1) std::fill_n(rec.g, n, 0.0);
  double h[ctvnew::maxargs * ctvnew::maxargs];
  if (k == 2) std::fill_n(h, n * n, 0.0);
  const std::int32_t answer = fn->entry(fn->library->instance, k, n, args, &rec.f, rec.g, h,
                                        &LIBFUNCS_extfunclogerror, &rec);
  if (rec.level == 2)
    for (std::int32_t i = 0; i < n; ++i) std::copy_n(h + i * n, n, rec.h[i]);
  return answer;
}

std::int32_t tlibmanager::libraryfunctioncount(std::int32_t libpos) const {
  const tliblibrary* lib = getlibobj(libpos);
  return lib == nullptr ? 0 : static_cast<std::int32_t>(lib->functions.size());
}

std::int32_t tlibmanager::libraryindex(std::string_view name) const {
  for (std::size_t i = 0; i < libraries_.size(); ++i)
    if (strutilx::struequal(libraries_[i]->name, name)) return static_cast<std::int32_t>(i + 1);
  return -1;
}

std::int32_t tlibmanager::functionindex(std::int32_t libpos, std::string_view name) const {
  const tliblibrary* lib = getlibobj(libpos);
  if (lib == nullptr) return -1;
  for (std::size_t i = 0; i < lib->functions.size(); ++i)
    if (strutilx::struequal(lib->functions[i]->name, name)) return static_cast<std::int32_t>(i + 1);
  return -1;
}

tliblibrary* tlibmanager::getlibobj(std::int32_t libpos) const {
  if (libpos < 1 || libpos > librarycount()) return nullptr;
  return libraries_[static_cast<std::size_t>(libpos - 1)].get();
}

tlibfunction* tlibmanager::getifuncobj(std::int32_t fnr) const {
  const tliblibrary* lib = getlibobj(fnr >> 16);
  return lib == nullptr ? nullptr : lib->getfuncobj(fnr & maxposition);
}

bool tlibmanager::callable(std::int32_t fnr) const {
  const tlibfunction* fn = getifuncobj(fnr);
  return fn != nullptr && fn->entry != nullptr;
}

std::int32_t tlibmanager::loadfunction(std::int32_t libpos, std::string_view name) {
  const std::int32_t pos = functionindex(libpos, name);
  if (pos < 0) return -1;
  tliblibrary* lib = getlibobj(libpos);
  tlibfunction* fn = lib->getfuncobj(pos);
  q5rt::sstr m;
  fn->entry = reinterpret_cast<textfunc>(lib->loadentry(fn->name, m));
  if (fn->entry == nullptr) {
    libmgrerror(m);
    return -1;
  }
  lib->used = fn->used = true;
  return pos;
}

q5rt::sstr tlibmanager::libraryname(std::int32_t libpos) const {
  return textof(getlibobj(libpos), &tliblibrary::name);
}

q5rt::sstr tlibmanager::libraryfilename(std::int32_t libpos) const {
  return textof(getlibobj(libpos), &tliblibrary::filename);
}

q5rt::sstr tlibmanager::librarycredit(std::int32_t libpos) const {
  return textof(getlibobj(libpos), &tliblibrary::credit);
}

q5rt::sstr tlibmanager::librarydescription(std::int32_t libpos) const {
  return textof(getlibobj(libpos), &tliblibrary::description);
}

q5rt::sstr tlibmanager::funcname(std::int32_t fnr) const {
  return textof(getifuncobj(fnr), &tlibfunction::name);
}

q5rt::sstr tlibmanager::functionexpltext(std::int32_t fnr) const {
  return textof(getifuncobj(fnr), &tlibfunction::expltext);
}

bool tlibmanager::functionequnever(std::int32_t fnr) const {
  const tlibfunction* fn = getifuncobj(fnr);
  return fn != nullptr && fn->equnever == 1;
}

bool tlibmanager::functionzeroripple(std::int32_t fnr) const {
  const tlibfunction* fn = getifuncobj(fnr);
  return fn != nullptr && fn->zeroripple == 1;
}

std::int32_t tlibmanager::functionsmooth(std::int32_t fnr) const {
  const tlibfunction* fn = getifuncobj(fnr);
  return fn == nullptr ? 0 : fn->smooth;
}

std::int32_t tlibmanager::functionmaxderiv(std::int32_t fnr) const {
  const tlibfunction* fn = getifuncobj(fnr);
  return fn == nullptr ? 0 : fn->maxderiv;
}

std::int32_t tlibmanager::functionargtype(std::int32_t fnr, std::int32_t position) const {
  const tlibfunction* fn = getifuncobj(fnr);
  if (fn == nullptr || position < 1 || position > fn->nargs()) return 0;
  return fn->args[static_cast<std::size_t>(position - 1)].type;
}

q5rt::sstr tlibmanager::functionargname(std::int32_t fnr, std::int32_t position) const {
  const tlibfunction* fn = getifuncobj(fnr);
  if (fn == nullptr || position < 1 || position > fn->nargs()) return {};
  return q5rt::sstr::cut(fn->args[static_cast<std::size_t>(position - 1)].name);
}

void tlibmanager::functioninfo(std::int32_t fnr, q5rt::sstr& name, std::int32_t& minargs,
                               std::int32_t& nargs, std::int32_t& smooth, std::int32_t& sumtypes,
                               bool& equnever, bool& zeroripple, std::int32_t& maxderiv) const {
  const tlibfunction* fn = getifuncobj(fnr);
  name.clear();
  minargs = nargs = smooth = sumtypes = maxderiv = 0;
  equnever = zeroripple = false;
  if (fn == nullptr) return;
  name = q5rt::sstr::cut(fn->name);
  minargs = fn->minargs;
  nargs = fn->nargs();
  smooth = fn->smooth;
  for (const targument& a : fn->args) sumtypes += a.type;
  equnever = fn->equnever == 1;
  zeroripple = fn->zeroripple == 1;
  maxderiv = fn->maxderiv;
}

namespace {
void startup() { libfuncmgr.reset(); }
void closedown() {}
q5rt::unit_registration reg{"libfuncs", &startup, &closedown};
}  // namespace

}  // namespace libfuncs
