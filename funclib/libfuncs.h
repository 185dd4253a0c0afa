// Extrinsic function libraries: user functions in shared libraries loaded at run time.
//
// The manager holds the libraries of one description file (a dump written through the
// machine-independent stream), each with its functions, their properties and argument
// lists. Registration loads each library, binds XCreate, XFree and LibInit, creates and
// initialises the library's instance and binds the entry of every used function; a call
// goes straight through that entry.
//
// Usage:
//   libfuncs::tlibmanager mgr;
//   mgr.setmsgcb(&report);
//   zlmstrm::tmibufferedstream in(file, zlmstrm::mode_read);
//   q5rt::sstr msg;
//   if (!mgr.readdump(release, in, msg)) fail(msg);                // checked read only
//   (void)mgr.registerlibraries(inittext, msg, true);               // load, create, bind
//   int rc = mgr.extfunceval(rec, libfuncs::packlibfuncnr(1, 2), args);
//
// Two further ways to learn a library, which the link does not use: a text description
// (initlibrary: header "ZOLMHDR001" with the functions listed, "ZOLMHDR002" naming only the
// file) and the library's own QueryLibrary entry (registerlibrary with query).
//
// Function numbers: library position << 16 | function position, both counted from 1 in
// the order of the description file.
//
// Description file after the stream's byte-order header (integers 4 bytes, booleans and
// argument types 1 byte, texts a length byte and the characters):
//   mark 2, library count L, then L times:
//     name, number, file name, used, library flag (release > 240), function count F,
//     then F times:
//       name, mark 77, explanatory text, used, function flag (release > 240),
//       never in equation, smooth, zero ripple, maximum derivative level (0..2),
//       minimum arguments (0..n), argument count n (0..20), then n times: type, name.
// The reader refuses a wrong mark, a count out of its range and data that end early.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "frame/q5library.h"
#include "frame/q5rt.h"
#include "funclib/ctvnew.h"

namespace zlmstrm {
class tmibufferedstream;
}

namespace libfuncs {

// ---- the C interface of a library ----
// Texts at this boundary are short strings: a length byte and up to 255 characters.
using shortbuf = unsigned char[256];
// The error callback handed to every function call (user memory: the evaluation record).
using textlogerror = std::int32_t (*)(std::int32_t rc, std::int32_t ec, const unsigned char* msg,
                                      void* usermem);
using txcreate = void (*)(void** instance);
using txfree = void (*)(void** instance);
// The buffer arrives with the initialisation text and holds the error text on failure.
using tlibinit = std::int32_t (*)(void* instance, std::int32_t libnr, unsigned char* msg);
// QueryLibrary (position 0: the library; code; out value; out text): nonzero when answered.
// Plain style: the text is the address of a text pointer the library points at a
// zero-terminated text. A library that exports FortranStyle writes the zero-terminated
// text into a 256-byte buffer instead.
using tqueryplain = std::int32_t (*)(std::int32_t position, std::int32_t code, std::int32_t* value,
                                     const char** text);
using tqueryfortran = std::int32_t (*)(std::int32_t position, std::int32_t code,
                                       std::int32_t* value, char* text);
// h: n x n, row by row.
using textfunc = std::int32_t (*)(void* instance, std::int32_t level, std::int32_t n,
                                  const double* x, double* f, double* g, double* h,
                                  textlogerror logerror, void* usermem);

// Routes a library's error report to the record's error-log callback; its answer.
extern "C" std::int32_t LIBFUNCS_extfunclogerror(std::int32_t rc, std::int32_t ec,
                                                 const unsigned char* msg, void* usermem);

// Registration warnings (iserror false) and errors.
using tmsgcb = void (*)(std::string_view text, bool iserror);

inline constexpr std::int32_t dumpmark = 2;
inline constexpr std::int32_t functionmark = 77;
// Dumps read with a release above this carry the library and function flags.
inline constexpr std::int32_t flagrelease = 240;
inline constexpr std::int32_t maxposition = 0xFFFF;

// Codes of the text description path.
inline constexpr std::int32_t code_kinddiffers = 420;  // library known with another kind
inline constexpr std::int32_t code_badheader = 427;    // unknown or refused header, or a
                                                       // line that is not as described
inline constexpr std::int32_t code_newformat = 783;    // format above 2
inline constexpr std::int32_t code_initfailed = 915;   // registration or initialisation failed
inline constexpr std::int32_t code_duplicate = 916;    // a function name given twice

// Headers of a text description and the kinds they give.
inline constexpr std::string_view header_refused = "ZORORER000";  // kind 0
inline constexpr std::string_view header_text = "ZOLMHDR001";     // kind 1: functions listed
inline constexpr std::string_view header_query = "ZOLMHDR002";    // kind 2: asked of the library

[[nodiscard]] constexpr std::int32_t packlibfuncnr(std::int32_t lib, std::int32_t func) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(lib) << 16) |
                                   static_cast<std::uint32_t>(func & maxposition));
}

class tliblibrary;
class tlibmanager;

struct targument {
  std::uint8_t type = 0;  // 0 constant, otherwise variable
  std::string name;
};

class tlibfunction {
 public:
  std::string name;
  std::string expltext;
  tliblibrary* library = nullptr;  // not owned
  std::int32_t equnever = 0;       // 1 = true
  std::int32_t smooth = 0;
  std::int32_t zeroripple = 0;  // 1 = true
  std::int32_t minargs = 0;
  std::int32_t maxderiv = 0;    // the highest level the entry computes
  std::vector<targument> args;  // at most 20
  textfunc entry = nullptr;     // bound for used functions only
  bool used = false;
  bool funcflag = false;

  [[nodiscard]] std::int32_t nargs() const { return static_cast<std::int32_t>(args.size()); }
};

class tliblibrary {
 public:
  tliblibrary(std::string_view name, tlibmanager* manager);
  ~tliblibrary();  // calls XFree for a created instance; the file stays loaded
  tliblibrary(const tliblibrary&) = delete;
  tliblibrary& operator=(const tliblibrary&) = delete;

  [[nodiscard]] tlibfunction* findfunction(std::string_view name) const;
  [[nodiscard]] tlibfunction* getfuncobj(std::int32_t position) const;  // 1-based; nullptr
  // The entry under the name in lower case, as given, in upper case; nullptr and m set
  // when none exists. Nothing is looked up while m holds a message.
  void* loadentry(std::string_view entryname, q5rt::sstr& m) const;
  // Loads the file and binds XCreate, XFree and LibInit; a failure is final. With query:
  // binds QueryLibrary (Fortran style when FortranStyle is exported) and reads the
  // library's functions through it instead.
  [[nodiscard]] bool registerlibrary(q5rt::sstr& m, bool query = false);
  // One question in the library's style; the library's answer, text cut to 255.
  [[nodiscard]] std::int32_t querylibrary(std::int32_t position, std::int32_t code,
                                          std::int32_t& value, q5rt::sstr& text) const;
  // The library's functions and properties through QueryLibrary.
  [[nodiscard]] bool readlibraryquery(q5rt::sstr& m);

  std::string name;
  tlibmanager* manager = nullptr;  // not owned
  std::int32_t number = 0;
  std::int32_t format = 2;
  std::string filename;
  std::string credit;       // text description and query path only
  std::string description;  // likewise
  std::uint8_t kind = 1;    // 1 dump; 0, 1, 2 from a text header
  bool libflag = false;
  bool used = false;
  bool registered = false;
  std::vector<std::unique_ptr<tlibfunction>> functions;
  q5library::library handle;  // released, never closed: the file stays loaded to the end
  void* instance = nullptr;
  bool created = false;
  tlibinit libinit = nullptr;
  txcreate xcreate = nullptr;
  txfree xfree = nullptr;
  tqueryplain queryplain = nullptr;
  tqueryfortran queryfortran = nullptr;
  bool fortranstyle = false;  // flush standard output before each call
  std::string errormsg;       // set when registration failed
};

class tlibmanager {
 public:
  tlibmanager() = default;
  tlibmanager(const tlibmanager&) = delete;
  tlibmanager& operator=(const tlibmanager&) = delete;

  void clear() { libraries_.clear(); }
  void setmsgcb(tmsgcb cb) { msgcb_ = cb; }
  void libmgrerror(std::string_view text) const;
  void libmgrwarning(std::string_view text) const;

  // Reads the description (header already read by the stream) without loading anything.
  // False with the reason in msg for a bad file; what was read before stays.
  [[nodiscard]] bool readdump(std::int32_t release, zlmstrm::tmibufferedstream& s, q5rt::sstr& msg);
  // readdump, then registerlibraries with initialisation; false on a bad file (msg says
  // why, nothing is loaded) and otherwise the registration's result.
  [[nodiscard]] bool readlibmgrsdump(std::int32_t release, std::string_view inittext,
                                     zlmstrm::tmibufferedstream& s, q5rt::sstr& msg);
  void writelibmgrsdump(zlmstrm::tmibufferedstream& s) const;
  [[nodiscard]] bool registerlibraries(std::string_view inittext, q5rt::sstr& m, bool initialise);
  [[nodiscard]] bool checklibraryloaded(std::int32_t libpos, q5rt::sstr& m);

  // Text description (one text, lines): enters the library when its name is new; 0 and
  // its position, or a code.
  [[nodiscard]] std::int32_t readlibrary(std::string_view text, std::int32_t& position,
                                         std::string_view libname, std::string_view filename);
  // readlibrary, registration (by queries first for kind 2), XCreate and LibInit; 0 or a
  // code (failures of registration and initialisation reported as errors: 915).
  [[nodiscard]] std::int32_t initlibrary(std::string_view text, std::string_view libname,
                                         std::string_view filename, std::string_view inittext);

  // Calls a bound function entry: rec.level lowered to the function's maximum level,
  // f and the first n gradient entries cleared, the n x n Hessian copied into rec.h.
  // Callers make sure the function is callable.
  [[nodiscard]] std::int32_t extfunceval(ctvnew::tmathnewrec& rec, std::int32_t fnr,
                                         const double* args) const;

  [[nodiscard]] std::int32_t librarycount() const {
    return static_cast<std::int32_t>(libraries_.size());
  }
  [[nodiscard]] std::int32_t libraryfunctioncount(std::int32_t libpos) const;
  [[nodiscard]] std::int32_t libraryindex(std::string_view name) const;  // 1-based or -1
  [[nodiscard]] std::int32_t functionindex(std::int32_t libpos, std::string_view name) const;
  [[nodiscard]] tliblibrary* getlibobj(std::int32_t libpos) const;  // nullptr outside
  [[nodiscard]] tlibfunction* getifuncobj(std::int32_t fnr) const;  // nullptr outside
  [[nodiscard]] bool callable(std::int32_t fnr) const;              // entry bound
  [[nodiscard]] std::int32_t loadfunction(std::int32_t libpos, std::string_view name);

  [[nodiscard]] q5rt::sstr libraryname(std::int32_t libpos) const;
  [[nodiscard]] q5rt::sstr libraryfilename(std::int32_t libpos) const;
  [[nodiscard]] q5rt::sstr librarycredit(std::int32_t libpos) const;
  [[nodiscard]] q5rt::sstr librarydescription(std::int32_t libpos) const;
  [[nodiscard]] q5rt::sstr funcname(std::int32_t fnr) const;
  [[nodiscard]] q5rt::sstr functionexpltext(std::int32_t fnr) const;
  [[nodiscard]] bool functionequnever(std::int32_t fnr) const;
  [[nodiscard]] bool functionzeroripple(std::int32_t fnr) const;
  [[nodiscard]] std::int32_t functionsmooth(std::int32_t fnr) const;
  [[nodiscard]] std::int32_t functionmaxderiv(std::int32_t fnr) const;
  // 0 (constant) outside 1..nargs.
  [[nodiscard]] std::int32_t functionargtype(std::int32_t fnr, std::int32_t position) const;
  [[nodiscard]] q5rt::sstr functionargname(std::int32_t fnr, std::int32_t position) const;
  void functioninfo(std::int32_t fnr, q5rt::sstr& name, std::int32_t& minargs, std::int32_t& nargs,
                    std::int32_t& smooth, std::int32_t& sumtypes, bool& equnever, bool& zeroripple,
                    std::int32_t& maxderiv) const;

  // Appends a library (the dump reader and tests); the manager owns it.
  tliblibrary& addlibrary(std::string_view name);

 private:
  std::vector<std::unique_ptr<tliblibrary>> libraries_;
  tmsgcb msgcb_ = nullptr;
};

// The one manager; nil until a description file is read.
inline std::unique_ptr<tlibmanager> libfuncmgr;

}  // namespace libfuncs
