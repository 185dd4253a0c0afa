// The status file and the log: the two stream classes behind the STATLIB_ procedures
// (statlibobj_status.cpp and statlibobj_log.cpp).
//
// Status file: lines of the control-line protocol. A control line is the edit symbol ("="
// until a code "9" line changes it), a code character and the payload:
//   =0<banner>  audit line          =5 <row> <text>          error for an equation
//   =1 / =2     copy on / off       =6 <col> <text>          error for a variable
//   =3          end of status file  =7 <row> <col> <text>    error for a Jacobian entry
//   =4          solver output       =8 page eject            =9<symbol> new edit symbol
//   =A<file> / =B<file>  copy a file into the listing / as solver output
//   =C<text> listing line   =E / =V "name" <index> "text"   =L<text> anchor
//   =TerminationRequestfromSolver
// Every line ends with termstring (a single LF); text plus line end is at most 255 bytes.
// A failed write never stops the run: "*** StatLib." and the operation's name go to
// standard output instead. The reading side interprets a status file (process mode), lists
// it (dump mode) and collects the errors by row and column.
//
// Log: option 0 off, 1 (deprecated) and 3 standard output, 2 the log file, 4 and above the
// log file and standard output; mode 2 appends. A log file that cannot be opened or written
// falls back to standard output. Each line is flushed at once. The progress line is redrawn
// in place (carriage returns) at most every 200 ms.
//
// Usage:
//   statlibobj::tzlmstatusstream st(msg);
//   st.statussetfilename(name);
//   if (!st.statusfileopen(2, msg)) ...;
//   st.statuscopyline("text");                   // "=Ctext\n"
//   statlibobj::tzlmlogstream lg(msg);
//   lg.logopen(2, 2, logname);  lg.logwriteln("--- hello");
//   std::string redir;  lg.getredirstringprop(redir);   // ' >> "logname"'
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "frame/q5rt.h"
#include "frame/q5text.h"

namespace statlibobj {

// Receives every line or piece of text instead of the file: channel 1 status-file lines,
// channel 2 log text; the text carries its line end where it has one.
using writecallback = void (*)(const q5rt::sstr& text, std::int32_t channel, void* userdata);

// The line end of status and log lines; a single LF from the unit's start-up on.
inline q5rt::sstr termstring;

// Opens a text file for writing (mode 1, emptied) or reading (any other mode). False with
// the system's text for the error in msg; msg is empty on success. The empty name names
// no file (it is never standard input or output).
[[nodiscard]] bool opentextmsg(q5rt::textfile& f, std::string_view name, int mode, q5rt::sstr& msg);
[[nodiscard]] bool ismuxed();

// What the two stream classes share.
namespace detail {
inline constexpr std::size_t maxpchar = 16384;  // zero-terminated texts are cut here
using numtext = q5rt::shortstring<24>;
[[nodiscard]] numtext num(std::int64_t v);  // plain decimal
// A line of text with the line end, cut so that both fit into 255 characters.
[[nodiscard]] q5rt::sstr withterm(std::string_view text);
// A line on standard output, flushed at once.
void stdoutline(std::string_view text);
}  // namespace detail

// ---------------------------------------------------------------------------------------

class tzlmstatusstream {
 public:
  // Reading-side kinds of statusprocessnext.
  enum kind : std::uint8_t {
    kind_audit = 0,
    kind_text = 1,
    kind_end = 2,
    kind_eject = 3,
    kind_equation = 4,
    kind_variable = 5,
    kind_termination = 6,
    kind_sysout = 7,
    kind_anchor = 8,
  };

  explicit tzlmstatusstream(q5rt::sstr& msg);
  tzlmstatusstream(const tzlmstatusstream&) = delete;
  tzlmstatusstream& operator=(const tzlmstatusstream&) = delete;

  void registerwritecallback(writecallback callback, void* userdata);

  // ---- file ----
  void statussetfilename(std::string_view name);
  [[nodiscard]] bool statusfileopen(std::uint8_t mode, q5rt::sstr& msg);
  void statusclose();
  [[nodiscard]] bool statusisopen() const { return open_; }
  [[nodiscard]] bool statusdummy(q5rt::sstr& msg);
  [[nodiscard]] bool statusappend(std::string_view source, q5rt::sstr& msg);
  [[nodiscard]] bool checkfile(q5rt::sstr& msg);

  // ---- writing ----
  void statuswriteln(std::string_view text);
  void statuswrite(const char* text);  // zero-terminated, no line end; nullptr: nothing
  void statuswriteplain(std::string_view text);
  void writeln_gf(std::string_view text);
  void write_gf(std::string_view text);
  void statusauditline(std::string_view text);
  void statuscopyon();
  void statuscopyoff();
  void statusendoffile();
  void statussysout();
  void statusequationerror(std::int32_t row, std::string_view text);
  void statusvariableerror(std::int32_t col, std::string_view text);
  void statusjacobianerror(std::int32_t row, std::int32_t col, std::string_view text);
  void statuspageeject();
  void statusseteditsymbol(char symbol);
  void statuscopyfile(std::string_view filename);
  void statuscopyfileonsysout(std::string_view filename);
  void statuscopyline(std::string_view text);
  void statusequationname(std::string_view name, std::int32_t index, std::string_view text);
  void statusvariablename(std::string_view name, std::int32_t index, std::string_view text);
  void statuslstanchor(std::string_view text);
  void statusterminationrequestfromsolver();
  [[nodiscard]] char editsymbol() const { return editsymbol_; }

  // ---- reading ----
  [[nodiscard]] int statusprocessfirst();
  [[nodiscard]] bool statusprocessnext(std::uint8_t& kind, q5rt::sstr& text, q5rt::sstr& text2,
                                       std::int32_t& number);
  [[nodiscard]] int statusdumpfirst();
  [[nodiscard]] bool statusdumpnext(q5rt::sstr& line);

  // ---- errors collected by the process mode ----
  void statussetrowcol(std::int32_t rows, std::int32_t cols);
  void statuserrorfirst();
  [[nodiscard]] bool statuserrornext(std::int32_t& row, std::int32_t& col);
  [[nodiscard]] bool statuserrornextequ(std::int32_t& row);
  [[nodiscard]] bool statuserrornextvar(std::int32_t& col);
  [[nodiscard]] bool statuserrornextjac(std::int32_t& row, std::int32_t& col);
  [[nodiscard]] bool statuserrordetail(std::int32_t& count, q5rt::sstr& text);
  void statuserrorfree();
  // Starts a new error list and message list, both empty. The old ones are released with
  // it (nothing is kept or leaked); statussetfilename and statuserrorfree start here too.
  void solvererrorinit();

 private:
  using message = q5rt::shortstring<150>;
  struct msgref {
    std::int32_t count;
    std::size_t msg;  // index into messages_
  };
  using errorkey = std::pair<std::int32_t, std::int32_t>;    // row, column
  using errormap = std::map<errorkey, std::vector<msgref>>;  // references oldest first

  // Writes one line or piece to the callback or the file, then flushes; throws on failure.
  void put(std::string_view text);
  void putline(std::string_view text);
  void control(char code, std::string_view payload);
  // Runs a writer; a failure becomes "*** StatLib." + what on standard output.
  template <typename Fn>
  void guarded(std::string_view what, Fn&& fn);
  [[nodiscard]] bool openforwriting(q5rt::sstr& msg);              // creates or empties the file
  [[nodiscard]] bool appendorwrite(bool append, q5rt::sstr& msg);  // append, else write

  void pushpending(std::string_view text);
  [[nodiscard]] bool poppending(q5rt::sstr& text);
  [[nodiscard]] bool openforreading();  // false leaves the pending messages
  // One control line of the process mode: the call's result, or nothing to read on.
  [[nodiscard]] std::optional<bool> processcontrol(const q5rt::sstr& line, std::uint8_t& kind,
                                                   q5rt::sstr& text, q5rt::sstr& text2,
                                                   std::int32_t& number);
  void closesecondary();

  [[nodiscard]] std::size_t solvererrormessage(std::string_view text);
  void solvererroradd(std::int32_t row, std::int32_t col, std::string_view text);
  template <typename Pred>
  [[nodiscard]] bool nexterror(std::int32_t& row, std::int32_t& col, Pred wanted);

  void* userdata_ = nullptr;
  writecallback callback_ = nullptr;
  q5rt::textfile secondary_;
  q5rt::textfile statusfile_;
  q5rt::sstr filename_;
  bool readingsecondary_ = false;
  bool copymode_ = false;
  bool nameunassigned_ = true;
  bool open_ = false;
  std::int32_t linesprocessed_ = 0;
  std::int32_t linesdumped_ = 0;
  char editsymbol_ = '=';
  std::int32_t rowlimit_ = 2147483647;
  std::int32_t collimit_ = 2147483647;
  std::array<q5rt::sstr, 2> pending_;
  int pendingcount_ = 0;
  errormap errors_;
  std::vector<message> messages_;  // each distinct text once (letter case ignored)
  errormap::const_iterator errorcursor_;
  const std::vector<msgref>* detailrefs_ = nullptr;
  std::size_t detailleft_ = 0;  // references of the detail cursor still to give, newest first
};

// ---------------------------------------------------------------------------------------

class tzlmlogstream {
 public:
  // Log stream states.
  enum state : std::uint8_t { state_closed = 0, state_file = 1, state_stdout = 2 };

  explicit tzlmlogstream(q5rt::sstr& msg);
  tzlmlogstream(const tzlmlogstream&) = delete;
  tzlmlogstream& operator=(const tzlmlogstream&) = delete;

  void registerwritecallback(writecallback callback, void* userdata);

  // ---- opening and closing ----
  // 0, or 1 after a fallback to standard output.
  [[nodiscard]] int logopen(std::int32_t option, std::uint8_t mode, std::string_view filename);
  [[nodiscard]] int logreopen();
  void logclose();
  void checkopen();
  [[nodiscard]] std::uint8_t logstate() const { return state_; }

  // ---- lines ----
  void logwriteln(std::string_view text);
  void logwrite(const char* text);  // zero-terminated; nullptr: nothing
  void logwriteplain(std::string_view text);
  void logmessage(std::string_view text);
  void flush();
  void gstatstartwriting();
  void writeln_gf(std::string_view text);
  void write_gf(std::string_view text);

  // ---- progress line ----
  void logfilename(std::string_view name, std::int32_t depth);
  void loglinenr(std::int32_t n);
  void logerrorcnt(std::int32_t n);
  void logmemory(double megabytes);
  void freshen();
  void freshenex();
  void cndshowstatline();
  void showstatline();
  void setmemorysource(std::uint32_t source) { memsource_ = source; }

  // ---- anchors and file-operation trace ----
  void loganchor(std::int32_t n);
  void logtitleanchor(std::string_view text);
  void logfileanchor(bool iserror, std::string_view filename, std::int32_t line, std::int32_t col);
  void dofileanchor(bool iserror, std::string_view filename, std::int32_t line, std::int32_t col);
  void logdumpfilename(std::string_view prefix, bool enabled, std::string_view name,
                       std::string_view filename, std::uint8_t access, std::int32_t code);

  // ---- redirection of a child command line into the log (held whole, never cut) ----
  void getredirfilenameprop(std::string& text) const;
  void getredirstringprop(std::string& text) const;
  void getshortredirstringprop(std::string& text, std::string_view directory) const;
  void getredirfilename(std::string& text) const { getredirfilenameprop(text); }
  void getredirstring(std::string& text) const { getredirstringprop(text); }
  void getshortredirstring(std::string& text, std::string_view directory) const {
    getshortredirstringprop(text, directory);
  }

  // ---- properties ----
  [[nodiscard]] bool getlogenabled() const { return logenabled_; }
  void setlogenabled(bool on) { logenabled_ = on; }
  void setiderun(bool on) { iderun_ = on; }
  [[nodiscard]] std::int32_t gettracelevel() const { return tracelevel_; }
  void settracelevel(std::int32_t level) { tracelevel_ = level; }
  void showcounts() {}

 private:
  // Sends text to the callback, or to the log file (and with option 4 to standard output).
  void emit(std::string_view text);
  void emitline(std::string_view text);
  void flushfile();
  // The log file failed: continue on standard output, re-sending what was not yet flushed.
  void writefailed();
  void reopenstdout();
  void assignstdout();
  void endopenline();  // ends an open output line with a line end
  void drawpending();  // draws a pending progress line (trace level above 0)
  void drawifdue();    // the 200 ms rule
  void drawnow();      // draws and flushes
  [[nodiscard]] q5rt::sstr statline();
  void openline(std::string_view text);  // emits text that stays the open line
  [[nodiscard]] std::uint32_t now() const;

  void* userdata_ = nullptr;
  writecallback callback_ = nullptr;
  bool iderun_ = false;
  bool logenabled_ = false;
  std::int32_t depth_ = 0;
  q5rt::sstr curfilename_;
  q5rt::sstr curshortname_;
  std::int32_t linenr_ = 0;
  double memory_ = 0.0;
  std::uint32_t memsource_ = 0;
  std::int32_t errorcnt_ = 0;
  std::uint8_t state_ = state_closed;
  q5rt::textfile logfile_;
  std::int32_t openchars_ = 0;
  bool progresspending_ = false;
  std::uint32_t lastdraw_ = 0;
  std::uint32_t linestart_ = 0;
  std::uint32_t secsshown_ = 0;
  bool lineendpending_ = false;
  std::int32_t tracelevel_ = 2;
  q5rt::sstr redirname_;
  std::int32_t option_ = 0;
  q5rt::sstr nameused_;
  std::string unflushed_;  // sent to the log file since its last successful flush
};

// The memory query of the progress line: resident (source 1) or virtual (source 2) size in
// bytes; tests may replace it (nullptr restores the system's).
using memoryquery = bool (*)(std::int64_t& resident, std::int64_t& virtualsize);
void setmemoryquery(memoryquery query);

}  // namespace statlibobj
