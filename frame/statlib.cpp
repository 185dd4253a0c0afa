// Procedures on the process-wide status and log streams.
#include "frame/statlib.h"

namespace statlib {

namespace {

// The objects exist from this unit's start-up to its close-down; a call outside that span
// is a misuse of the unit.
statlibobj::tzlmstatusstream& st() {
  Q5_ASSERT(statusstream, "status stream does not exist");
  return *statusstream;
}

statlibobj::tzlmlogstream& lg() {
  Q5_ASSERT(logstream, "log stream does not exist");
  return *logstream;
}

void startup() {
  logstream = std::make_unique<statlibobj::tzlmlogstream>(createmsg);
  statusstream = std::make_unique<statlibobj::tzlmstatusstream>(createmsg);
}

void closedown() {
  statusstream.reset();
  logstream.reset();
}

q5rt::unit_registration reg{"statlib", &startup, &closedown};

}  // namespace

void registerwritecallback(statlibobj::writecallback callback, void* userdata) {
  st().registerwritecallback(callback, userdata);
  lg().registerwritecallback(callback, userdata);
}

// ---- status file ----
void statussetfilename(std::string_view name) { st().statussetfilename(name); }
bool statusfileopen(std::uint8_t mode, q5rt::sstr& msg) { return st().statusfileopen(mode, msg); }
void statusclose() { st().statusclose(); }
bool statusdummy(q5rt::sstr& msg) { return st().statusdummy(msg); }
bool statusappend(std::string_view source, q5rt::sstr& msg) {
  return st().statusappend(source, msg);
}
void gcstat(std::string_view text) { st().statuswriteln(text); }
void gcstatpchar(const char* text) { st().statuswrite(text); }
void gcstatwriteplain(std::string_view text) { st().statuswriteplain(text); }
void gcstataudit(std::string_view text) { st().statusauditline(text); }
void gcstatcon() { st().statuscopyon(); }
void gcstatcoff() { st().statuscopyoff(); }
void gcstateof() { st().statusendoffile(); }
void gcstatsysout() { st().statussysout(); }
void gcstatadde(std::int32_t row, std::string_view text) { st().statusequationerror(row, text); }
void gcstataddv(std::int32_t col, std::string_view text) { st().statusvariableerror(col, text); }
void gcstataddj(std::int32_t row, std::int32_t col, std::string_view text) {
  st().statusjacobianerror(row, col, text);
}
void gcstateject() { st().statuspageeject(); }
void gcstatedit(char symbol) { st().statusseteditsymbol(symbol); }
void gcstata(std::string_view filename) { st().statuscopyfile(filename); }
void gcstatb(std::string_view filename) { st().statuscopyfileonsysout(filename); }
void gcstatc(std::string_view text) { st().statuscopyline(text); }
void gcstate(std::string_view name, std::int32_t index, std::string_view text) {
  st().statusequationname(name, index, text);
}
void gcstatl(std::string_view text) { st().statuslstanchor(text); }
void gcstatt() { st().statusterminationrequestfromsolver(); }
void gcstatv(std::string_view name, std::int32_t index, std::string_view text) {
  st().statusvariablename(name, index, text);
}
int statusdumpfirst() { return st().statusdumpfirst(); }
bool statusdumpnext(q5rt::sstr& line) { return st().statusdumpnext(line); }
int statusprocessfirst() { return st().statusprocessfirst(); }
bool statusprocessnext(std::uint8_t& kind, q5rt::sstr& text, q5rt::sstr& text2,
                       std::int32_t& number) {
  return st().statusprocessnext(kind, text, text2, number);
}
void statussetrowcol(std::int32_t rows, std::int32_t cols) { st().statussetrowcol(rows, cols); }
void statuserrorfirst() { st().statuserrorfirst(); }
bool statuserrornext(std::int32_t& row, std::int32_t& col) {
  return st().statuserrornext(row, col);
}
bool statuserrornextequ(std::int32_t& row) { return st().statuserrornextequ(row); }
bool statuserrornextvar(std::int32_t& col) { return st().statuserrornextvar(col); }
bool statuserrornextjac(std::int32_t& row, std::int32_t& col) {
  return st().statuserrornextjac(row, col);
}
bool statuserrordetail(std::int32_t& count, q5rt::sstr& text) {
  return st().statuserrordetail(count, text);
}
void statuserrorfree() { st().statuserrorfree(); }

// ---- log ----
int gstatopen(std::int32_t option, std::uint8_t mode, std::string_view filename) {
  return lg().logopen(option, mode, filename);
}
int gstatreopen() { return lg().logreopen(); }
void gstatclose() { lg().logclose(); }
void gclog(std::string_view text) { lg().logwriteln(text); }
void gclogwriteplain(std::string_view text) { lg().logwriteplain(text); }
void gclogpchar(const char* text) { lg().logwrite(text); }
void gstatflush() { lg().flush(); }
void gstatmessage(std::string_view text) { lg().logmessage(text); }
void gstatfilename(std::string_view name, std::int32_t depth) { lg().logfilename(name, depth); }
void gstatlinenr(std::int32_t line) { lg().loglinenr(line); }
void gstaterrorcnt(std::int32_t count) { lg().logerrorcnt(count); }
void gstatmemory(double megabytes) {
  if (logstream) logstream->logmemory(megabytes);
}
void gstatfreshen() { lg().freshen(); }
void gstatfreshenex() { lg().freshenex(); }
void gstatanchor(std::int32_t n) { lg().loganchor(n); }
void gstattitleanchor(std::string_view text) { lg().logtitleanchor(text); }
void gstatfileanchor(bool iserror, std::string_view filename, std::int32_t line, std::int32_t col) {
  lg().logfileanchor(iserror, filename, line, col);
}
void dumpfilename(std::string_view prefix, bool enabled, std::string_view name,
                  std::string_view filename, std::uint8_t access, std::int32_t code) {
  lg().logdumpfilename(prefix, enabled, name, filename, access, code);
}
void getredirfilename(std::string& text) { lg().getredirfilenameprop(text); }
void getredirlogstr(std::string& text) { lg().getredirstringprop(text); }
void getshortredirlogstr(std::string& text, std::string_view directory) {
  lg().getshortredirstringprop(text, directory);
}
void gstatsetiderun(bool on) { lg().setiderun(on); }
bool gstatlogenabled() { return lg().getlogenabled(); }
void gstatsetlogenabled(bool on) { lg().setlogenabled(on); }
void gstattracelevel(std::int32_t level) { lg().settracelevel(level); }
std::int32_t gstatgettracelevel() { return lg().gettracelevel(); }
void gstatshowcounts() { lg().showcounts(); }
void gstatsetshowosmem(std::uint32_t source) { lg().setmemorysource(source); }

}  // namespace statlib
