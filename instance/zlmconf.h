// The solver table: which solvers the modelling system knows, what model types each can
// solve, the default and the chosen solver per model type and how each solver is started.
// The control file carries it in its solver section; the table reads and writes that
// section, keeps a queue of messages and answers the accessors below. Solver numbers
// count from 1; number 0 names the table's default record.
//
// Usage:
//   q5rt::sstr msg;
//   zlmconf::tzlmconf table(msg);                    // msg empty: created
//   zlmconf::textreader in(controltext);             // positioned at the solver section
//   (void)table.scrdcontrol(in);
//   for (int k = 1; k <= table.getnumalgs(); ++k) use(table.scalgname(k));
//
// The text reader reads a control file's text the way the runtime reads text files, from
// a buffer: numbers skip blanks and line ends; a string is the rest of the line, at most
// 255 characters, without a carriage return before the line end. A number that is missing
// (end of the text) or malformed raises q5rt::io_error with the runtime's code (100, 106)
// and a message naming the line.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "frame/q5rt.h"
#include "frame/q5text.h"
#include "frame/stdthread.h"
#include "frame/zlmstrm.h"
#include "instance/ctvproc.h"
#include "instance/zlmconf_lib.h"

namespace zlmconf {

inline constexpr int modeltypecount = ctvproc::proc_count;  // model types 0..15

inline constexpr std::string_view createfailed = "CFG Create failed";
inline constexpr std::string_view unknownsolver = "UnknownSolver";
inline constexpr std::string_view nomessages = "No messages pending";
inline constexpr std::string_view moremessages = "Additional messages not stored";
inline constexpr std::string_view missingtext = "..Missing";
inline constexpr std::string_view nosuchmodeltype = "no such model type";
inline constexpr std::string_view msgprocnames = "SolveReadControl: system procnames ";
inline constexpr std::string_view msgalgdefault = "SolveReadControl: incorrect algdefault";
inline constexpr std::string_view msgalgchosen = "SolveReadControl: incorrect algchosen";
inline constexpr std::size_t maxmessages = 1000;

// Reads a control file's text from a buffer that outlives the reader.
class textreader {
 public:
  explicit textreader(std::string_view data) : data_(data) {}
  // The buffer must outlive the reader: no temporary strings.
  template <class S>
  requires(!std::is_lvalue_reference_v<S> &&
           std::is_same_v<std::remove_cvref_t<S>, std::string>) explicit textreader(S&&) = delete;

  // The next number; white space and line ends before it are skipped.
  [[nodiscard]] std::int32_t read_integer();
  [[nodiscard]] double read_real();
  // The next character; a line end gives '\n' and moves to the next line. At the end of the
  // text: io_error 100.
  [[nodiscard]] char read_char();
  // The rest of the line (cut at 255), then on to the next line. Empty at the end.
  [[nodiscard]] q5rt::sstr readln_string();
  // The same, whole: a view into the buffer.
  [[nodiscard]] std::string_view readln_text();
  // On to the start of the next line.
  void readln();
  [[nodiscard]] bool eoln() const;
  [[nodiscard]] bool eof() const { return pos_ >= data_.size(); }
  // The 1-based number of the line being read.
  [[nodiscard]] std::int32_t line() const { return line_; }

 private:
  [[nodiscard]] std::string_view next_token();  // empty at the end
  [[noreturn]] void fail(int code, std::int32_t atline) const;

  std::string_view data_;
  std::size_t pos_ = 0;
  std::int32_t line_ = 1;
};

// One solver. Heap strings are std::string here; the empty text is "none".
struct talgrecord {
  q5rt::shortstring<63> solverid;
  std::string scriptname;   // first token of the solver's second line
  std::string exename;      // first extra line
  std::string libline;      // second extra line: library, audit code, interface type, thread flag
  std::string deffile;      // the solver's option definition file, when given
  std::string unusedtoken;  // the capabilities file's fourth token of line A, kept as read
  std::int32_t filetype = 0;
  std::int32_t dicttype = 0;
  std::int32_t linestofollow = 0;  // extra lines (0, 1 or 2); also the load type
  std::int32_t modprob = 0;        // can modify a loaded problem: -1 unknown, 0 no, 1 yes
  bool defaultokflag = false;
  bool hiddenflag = false;
  std::array<bool, modeltypecount> modeltypes{};
};

// The solver records 1..count and the default record 0.
class talglist {
 public:
  [[nodiscard]] static std::unique_ptr<talgrecord> getnewrec() {
    return std::make_unique<talgrecord>();
  }
  std::int32_t add(std::unique_ptr<talgrecord> rec);
  // Record k (0 = the default record); any other number is a failed check "TAlgList.GetRec".
  [[nodiscard]] talgrecord& getrec(std::int32_t k);
  [[nodiscard]] const talgrecord& getrec(std::int32_t k) const;
  // Replaces record k (1..count; otherwise a failed check "TAlgList.SetRec").
  void setrec(std::int32_t k, std::unique_ptr<talgrecord> rec);
  [[nodiscard]] talgrecord* getlast() const { return recs_.empty() ? nullptr : recs_.back().get(); }
  [[nodiscard]] std::int32_t count() const { return static_cast<std::int32_t>(recs_.size()); }
  // Frees every solver record; the default record stays.
  void clear() { recs_.clear(); }

 private:
  talgrecord default_;
  std::vector<std::unique_ptr<talgrecord>> recs_;
};

class tzlmconf {
 public:
  // Sets msg to "CFG Create failed" and clears it once the table is made.
  explicit tzlmconf(q5rt::sstr& msg);
  tzlmconf(const tzlmconf&) = delete;
  tzlmconf& operator=(const tzlmconf&) = delete;

  std::int32_t currentsolver = 0;
  std::int32_t lastsolver = 0;
  std::deque<q5rt::sstr> messages;
  talglist solvers;
  stdthread::tstdmutex mutex;  // guards the loading of solver libraries
  solverlibs libs;             // after the mutex: unloaded before it goes (zlmconf_lib.h)
  std::array<std::int32_t, modeltypecount> defaultsolver{};
  std::array<std::int32_t, modeltypecount> chosensolver{};

  // ---- the control file's solver section ----
  // Reads the section at the reader's position; never fails by itself (wrong names and
  // solver numbers only queue messages; an error of the text reader passes through).
  std::int32_t scrdcontrol(textreader& in);
  std::int32_t scwrcontrol(q5rt::textfile& out) const;

  // ---- accessors (k a solver number, t a model type) ----
  [[nodiscard]] std::int32_t getnumalgs() const { return solvers.count(); }
  [[nodiscard]] std::int32_t scalgnumber(std::string_view name) const;
  [[nodiscard]] q5rt::sstr scalgname(std::int32_t k) const;
  // 0 for a model type outside 0..15.
  [[nodiscard]] std::int32_t scgetdefault(std::int32_t t) const;
  [[nodiscard]] std::int32_t scgetalgchosen(std::int32_t t) const;
  void scsetalgchosen(std::int32_t t, std::int32_t k);
  std::int32_t setcurrentalg(std::int32_t t);
  void scsetcurrentalg(std::int32_t k);
  [[nodiscard]] bool sccapability(std::int32_t k, std::int32_t t) const;
  [[nodiscard]] bool scgetdefaultok(std::int32_t k) const;
  [[nodiscard]] bool scgethidden(std::int32_t k) const;
  [[nodiscard]] std::int32_t scgetdicttype(std::int32_t k) const;
  [[nodiscard]] std::int32_t scgetloadtype(std::int32_t k) const;
  [[nodiscard]] std::int32_t scgetfiletype(std::int32_t k) const;
  [[nodiscard]] q5rt::sstr scgetattach(std::int32_t k) const;
  [[nodiscard]] q5rt::sstr scgetattach2(std::int32_t k) const;
  [[nodiscard]] q5rt::sstr scgetattach3(std::int32_t k) const;
  [[nodiscard]] q5rt::sstr scgetdeffile(std::int32_t k) const;
  void scsetalgattachtxt3(std::string_view name, std::string_view text);
  void scsetalghidden(std::string_view name, bool flag);
  void scsetalgdefaultok(std::string_view name, bool flag);
  [[nodiscard]] static q5rt::sstr gettxtormissing(std::string_view text);

  // ---- solver-link libraries (zlmconf_lib.cpp) ----
  // The library line's parts: the interface type (0 when the line has fewer than three
  // parts or for k = 0).
  std::int32_t scalglibinfo(std::int32_t k, q5rt::sstr& libname, q5rt::sstr& auditcode,
                            std::int32_t& threadsafe) const;
  std::int32_t cfgalglibinfo(std::int32_t k, q5rt::sstr& libname, q5rt::sstr& auditcode) const;
  [[nodiscard]] q5rt::sstr scalgslvprefix(std::int32_t k) const;
  [[nodiscard]] std::int32_t scalgthreadsafeindic(std::int32_t k) const;
  [[nodiscard]] std::int32_t cfgalgthreadsafeindic(std::int32_t k) const {
    return scalgthreadsafeindic(k);
  }
  [[nodiscard]] bool scgetmodprob(std::int32_t k);
  [[nodiscard]] bool cfgalgallowsmodifyproblem(std::int32_t k) { return scgetmodprob(k); }
  // Loads the solver's library (from dir unless its name is absolute) when it is not
  // loaded and creates an object; false with the reason in msg.
  bool sccreate(std::int32_t k, void*& handle, std::string_view dir, q5rt::sstr& msg);
  bool cfgalgcreate(std::int32_t k, void*& handle, std::string_view dir, q5rt::sstr& msg) {
    return sccreate(k, handle, dir, msg);
  }
  std::int32_t screadyapi(std::int32_t k, void* p, void* q);
  std::int32_t cfgalgreadyapi(std::int32_t k, void* p, void* q) { return screadyapi(k, p, q); }
  std::int32_t scmodifyproblem(std::int32_t k, void* p);
  std::int32_t cfgalgmodifyproblem(std::int32_t k, void* p) { return scmodifyproblem(k, p); }
  std::int32_t sccallsolver(std::int32_t k, void* p, void* q);
  std::int32_t cfgalgcallsolver(std::int32_t k, void* p, void* q) { return sccallsolver(k, p, q); }
  // Frees the object, clears the handle and counts down; the library stays loaded until
  // the table goes, which finalizes and unloads every loaded library.
  void scfree(std::int32_t k, void*& handle);
  void cfgalgfree(std::int32_t k, void*& handle) { scfree(k, handle); }
  // The number of live objects of solver k (0 when its library is not loaded).
  [[nodiscard]] std::int32_t scliveobjects(std::int32_t k);

  // ---- the solver capabilities file (zlmconf_caps.cpp) ----
  // Reads the file, then merges the solver items of "zolmconfig.yaml" in every
  // configuration location: the number of queued messages (0 clean, 3 not opened).
  std::int32_t screadconfig(std::string_view file, std::string_view sysdir);
  // The same with every file type forced to layout 5.
  std::int32_t screadconfigforceft5(std::string_view file, std::string_view sysdir);
  std::int32_t cfgreadconfig(std::string_view file) { return screadconfig(file, ""); }
  std::int32_t cfgreadconfigwyq(std::string_view file, std::string_view sysdir) {
    return screadconfig(file, sysdir);
  }
  std::int32_t scwriteconfig(std::string_view file);
  void scwritesolverdefaults(q5rt::textfile& out) const;
  // 0 set, 1 error (a message queued).
  std::int32_t scsetdefault(std::string_view modeltype, std::string_view solver, bool explain);
  void scupdatedefaultsolvers(std::string_view file);

  // ---- messages ----
  std::int32_t scsetmsg(std::string_view text);
  [[nodiscard]] std::int32_t scnummsg() const { return static_cast<std::int32_t>(messages.size()); }
  [[nodiscard]] q5rt::sstr scgetmsg();
  void scclearmsg() { messages.clear(); }
  void scdump();

  // ---- the second naming ----
  [[nodiscard]] std::int32_t cfgnumalgs() const { return getnumalgs(); }
  [[nodiscard]] std::int32_t cfgdefaultalg(std::int32_t t) const;
  [[nodiscard]] q5rt::sstr cfgalgname(std::int32_t k) const { return scalgname(k); }
  [[nodiscard]] bool cfgalghidden(std::int32_t k) const { return scgethidden(k); }
  [[nodiscard]] std::int32_t cfgalgnumber(std::string_view name) const { return scalgnumber(name); }
  [[nodiscard]] bool cfgalgcapability(std::int32_t k, std::int32_t t) const;
  [[nodiscard]] static q5rt::sstr cfgmodeltypename(std::int32_t t);
  [[nodiscard]] static std::int32_t cfgmodeltypenumber(std::string_view name);
  [[nodiscard]] bool cfgdeffilename(std::string_view solvername, q5rt::sstr& file) const;
  [[nodiscard]] std::int32_t cfgnummsg() const { return scnummsg(); }
  [[nodiscard]] q5rt::sstr cfggetmsg() { return scgetmsg(); }

  // ---- work records: the chosen solvers and the names ----
  void scwritework(q5rt::textfile& out) const;
  void screadwork(textreader& in);
  // The same through a binary stream; streams of version 229 and lower hold fourteen
  // chosen solvers.
  void scwriteworkex(zlmstrm::txstream& out) const;
  void screadworkex(zlmstrm::txstream& in, std::int32_t streamversion);

 private:
  [[nodiscard]] bool insolvers(std::int32_t k) const { return k >= 1 && k <= getnumalgs(); }
  [[nodiscard]] talgrecord* findbyname(std::string_view name);
  void readsolver(textreader& in, std::int32_t typelines);
  std::int32_t readcaps(std::string_view file, std::string_view sysdir, bool forceft5);
  talgrecord& freshrecord(std::string_view name);
  void filldefaults();
  [[nodiscard]] bool mergeyaml(std::string_view file, std::string_view sysdir, bool forceft5);
  void clearwork();
};

// The digits of the six-digit scratch file type, (type div 10^k) mod 10 each: layout,
// duals, nonzero count, scales, slacks, matches.
[[nodiscard]] constexpr std::int32_t ftdigit(std::int32_t filetype, int k) {
  for (int i = 0; i < k; ++i) filetype /= 10;
  return filetype % 10;
}
[[nodiscard]] constexpr std::int32_t fttype(std::int32_t t) { return ftdigit(t, 0); }
[[nodiscard]] constexpr std::int32_t ftduals(std::int32_t t) { return ftdigit(t, 1); }
[[nodiscard]] constexpr std::int32_t ftnzcount(std::int32_t t) { return ftdigit(t, 2); }
[[nodiscard]] constexpr std::int32_t ftscales(std::int32_t t) { return ftdigit(t, 3); }
[[nodiscard]] constexpr std::int32_t ftslacks(std::int32_t t) { return ftdigit(t, 4); }
[[nodiscard]] constexpr std::int32_t ftmatches(std::int32_t t) { return ftdigit(t, 5); }

// The text left after the first token of a solver-section line, and the token: the text up
// to the first blank; the remainder is trimmed (codes 0 to 32 off both ends).
[[nodiscard]] std::string_view nexttoken(std::string_view& rest);

}  // namespace zlmconf
