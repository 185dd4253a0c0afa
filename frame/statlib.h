// The status file and the log as plain procedures on the process's one status stream and
// one log stream (made by this unit's start-up, freed by its close-down; neither closes
// its file).
//
// Usage:
//   statlib::gstatopen(2, 2, "run.log");          // log option, mode 2 appends
//   statlib::statussetfilename("run.sta");
//   if (!statlib::statusfileopen(2, msg)) ...;
//   statlib::gcstataudit(banner);                 // "=0<banner>"
//   statlib::gclog("--- text");  statlib::gcstatc("text");
//   std::string redir;  statlib::getshortredirlogstr(redir, cwd);  // for a child's line
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "frame/q5rt.h"
#include "frame/statlibobj.h"

namespace statlib {

inline std::unique_ptr<statlibobj::tzlmlogstream> logstream;
inline std::unique_ptr<statlibobj::tzlmstatusstream> statusstream;
inline q5rt::sstr createmsg;  // written by both constructors, read by nobody

// Channel 1 receives status-file lines, channel 2 log text; nullptr removes the callback.
void registerwritecallback(statlibobj::writecallback callback, void* userdata);

// ---- status file ----
void statussetfilename(std::string_view name);
[[nodiscard]] bool statusfileopen(std::uint8_t mode, q5rt::sstr& msg);
void statusclose();
[[nodiscard]] bool statusdummy(q5rt::sstr& msg);
[[nodiscard]] bool statusappend(std::string_view source, q5rt::sstr& msg);
void gcstat(std::string_view text);
void gcstatpchar(const char* text);
void gcstatwriteplain(std::string_view text);
void gcstataudit(std::string_view text);
void gcstatcon();
void gcstatcoff();
void gcstateof();
void gcstatsysout();
void gcstatadde(std::int32_t row, std::string_view text);
void gcstataddv(std::int32_t col, std::string_view text);
void gcstataddj(std::int32_t row, std::int32_t col, std::string_view text);
void gcstateject();
void gcstatedit(char symbol);
void gcstata(std::string_view filename);
void gcstatb(std::string_view filename);
void gcstatc(std::string_view text);
void gcstate(std::string_view name, std::int32_t index, std::string_view text);
void gcstatl(std::string_view text);
void gcstatt();
void gcstatv(std::string_view name, std::int32_t index, std::string_view text);
[[nodiscard]] int statusdumpfirst();
[[nodiscard]] bool statusdumpnext(q5rt::sstr& line);
[[nodiscard]] int statusprocessfirst();
[[nodiscard]] bool statusprocessnext(std::uint8_t& kind, q5rt::sstr& text, q5rt::sstr& text2,
                                     std::int32_t& number);
void statussetrowcol(std::int32_t rows, std::int32_t cols);
void statuserrorfirst();
[[nodiscard]] bool statuserrornext(std::int32_t& row, std::int32_t& col);
[[nodiscard]] bool statuserrornextequ(std::int32_t& row);
[[nodiscard]] bool statuserrornextvar(std::int32_t& col);
[[nodiscard]] bool statuserrornextjac(std::int32_t& row, std::int32_t& col);
[[nodiscard]] bool statuserrordetail(std::int32_t& count, q5rt::sstr& text);
void statuserrorfree();

// ---- log ----
[[nodiscard]] int gstatopen(std::int32_t option, std::uint8_t mode, std::string_view filename);
[[nodiscard]] int gstatreopen();
void gstatclose();
void gclog(std::string_view text);
void gclogwriteplain(std::string_view text);
void gclogpchar(const char* text);
void gstatflush();
void gstatmessage(std::string_view text);
void gstatfilename(std::string_view name, std::int32_t depth);
void gstatlinenr(std::int32_t line);
void gstaterrorcnt(std::int32_t count);
void gstatmemory(double megabytes);  // nothing when there is no log stream
void gstatfreshen();
void gstatfreshenex();
void gstatanchor(std::int32_t n);
void gstattitleanchor(std::string_view text);
void gstatfileanchor(bool iserror, std::string_view filename, std::int32_t line, std::int32_t col);
void dumpfilename(std::string_view prefix, bool enabled, std::string_view name,
                  std::string_view filename, std::uint8_t access, std::int32_t code);
// Redirections for a child's command line; held whole, file names quoted for the shell.
void getredirfilename(std::string& text);
void getredirlogstr(std::string& text);
void getshortredirlogstr(std::string& text, std::string_view directory);
void gstatsetiderun(bool on);
[[nodiscard]] bool gstatlogenabled();
void gstatsetlogenabled(bool on);
void gstattracelevel(std::int32_t level);
[[nodiscard]] std::int32_t gstatgettracelevel();
void gstatshowcounts();
void gstatsetshowosmem(std::uint32_t source);  // 0 given value, 1 resident, 2 virtual size

}  // namespace statlib
