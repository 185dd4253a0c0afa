// The log stream: the log options and their fallback to standard output, lines and
// pieces, the progress line redrawn in place, anchors and the redirection of a child's
// output into the log.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "frame/q5platform.h"
#include "frame/q5process.h"
#include "frame/q5utils.h"
#include "frame/statlibobj.h"
#include "frame/strutilx.h"

namespace statlibobj {

using detail::maxpchar;
using detail::num;
using detail::stdoutline;
using detail::withterm;

namespace {

constexpr std::string_view reopened = "*** Log reopend as output";

memoryquery currentmemoryquery = &q5utils::q5getmemoryinfo;

}  // namespace

void setmemoryquery(memoryquery query) {
  currentmemoryquery = query ? query : &q5utils::q5getmemoryinfo;
}

tzlmlogstream::tzlmlogstream(q5rt::sstr& msg) {
  msg = q5rt::sstr::cut("TZLMLogStream Create failed");
  lastdraw_ = now();
  msg.clear();
}

void tzlmlogstream::registerwritecallback(writecallback callback, void* userdata) {
  callback_ = callback;
  userdata_ = userdata;
}

std::uint32_t tzlmlogstream::now() const { return static_cast<std::uint32_t>(q5rt::tick_ms()); }

// ---- output ----

void tzlmlogstream::emit(std::string_view text) {
  if (callback_) {
    callback_(q5rt::sstr::cut(text), 2, userdata_);
    return;
  }
  if (option_ == 4) q5rt::output().write(text);
  unflushed_ += text;
  logfile_.write(text);
  if (logfile_.pending() != 0) writefailed();
}

void tzlmlogstream::emitline(std::string_view text) { emit(withterm(text)); }

void tzlmlogstream::flushfile() {
  if (option_ == 4) q5rt::output().flush();
  if (!logfile_.is_open()) return;
  logfile_.flush();
  if (logfile_.pending() != 0) {
    writefailed();
    return;
  }
  unflushed_.clear();
}

void tzlmlogstream::assignstdout() {
  logfile_.assign("");
  logfile_.rewrite();
}

void tzlmlogstream::writefailed() {
  const int rc = logfile_.ioresult();
  if (state_ == state_stdout) {
    unflushed_.clear();
    throw q5rt::io_error(rc, q5rt::iomessage(rc).view());  // standard output itself failed
  }
  const std::string lost = option_ == 4 ? std::string() : std::move(unflushed_);
  unflushed_.clear();
  logfile_.close();
  (void)logfile_.ioresult();
  assignstdout();
  stdoutline(reopened);
  state_ = state_stdout;
  option_ = 3;
  redirname_.clear();
  nameused_.clear();
  if (!lost.empty()) emit(lost);  // what the file did not take goes to standard output
  flushfile();
}

void tzlmlogstream::reopenstdout() {
  assignstdout();
  stdoutline(reopened);
  state_ = state_stdout;
}

void tzlmlogstream::endopenline() {
  if (openchars_ <= 0) return;
  emit(termstring);
  openchars_ = 0;
  errorcnt_ = 0;
  flushfile();
}

void tzlmlogstream::drawpending() {
  if (progresspending_ && tracelevel_ > 0) showstatline();
}

void tzlmlogstream::openline(std::string_view text) {
  emit(text);
  openchars_ += static_cast<std::int32_t>(text.size());
}

// ---- opening and closing ----

int tzlmlogstream::logopen(std::int32_t option, std::uint8_t mode, std::string_view filename) {
  if (state_ != state_closed) {
    if (logenabled_) flush();
    logfile_.close();
    (void)logfile_.ioresult();
  }
  state_ = state_closed;
  unflushed_.clear();
  redirname_ = q5rt::sstr::cut(filename);
  if (option < 1) {  // no log; a child's output goes to the null device
    option_ = 0;
    logenabled_ = false;
    nameused_ = q5platform::osnullfilename();
    state_ = state_stdout;
    return 0;
  }
  if (option == 1 || option == 3) {  // standard output
    option_ = 3;
    logenabled_ = true;
    nameused_.clear();
    assignstdout();
    if (logfile_.ioresult() != 0)
      stdoutline("*** gStatusL.LogOpen-2: cannot write to standard output");
    state_ = state_stdout;
    if (option == 1) emitline("--- LogOption value 1 is deprecated, reset to 3");
    openchars_ = 0;
    flushfile();
    return 0;
  }
  option_ = option == 2 ? 2 : 4;  // the log file (with 4: and standard output)
  logenabled_ = true;
  nameused_ = q5rt::sstr::cut(filename);
  logfile_.assign(filename);
  (void)logfile_.ioresult();
  int rc = 0;
  if (mode == 2) {
    logfile_.append();
    rc = logfile_.ioresult();
  }
  if (mode != 2 || rc != 0) {
    logfile_.rewrite();
    rc = logfile_.ioresult();
  }
  if (rc == 0) {
    state_ = state_file;
    openchars_ = 0;
    return 0;
  }
  assignstdout();  // the fallback: log on standard output
  stdoutline(reopened);
  state_ = state_stdout;
  option_ = 3;
  redirname_.clear();
  nameused_.clear();
  emit(mode == 2 ? "*** Append" : "*** Open");
  emitline(q5rt::concat(" logfile error: (R=", num(rc), ") FN=\"", filename, "\""));
  emitline(q5rt::concat("*** Msg=", q5rt::syserrortext(rc)));
  emitline("*** Logging to standard output");
  openchars_ = 0;
  flushfile();
  return 1;
}

int tzlmlogstream::logreopen() { return logopen(option_, 2, redirname_); }

void tzlmlogstream::logclose() {
  if (state_ == state_closed) return;
  if (logenabled_) {
    drawpending();
    endopenline();
    lineendpending_ = false;
  }
  flushfile();
  logfile_.close();  // standard output stays open; its buffer is flushed
  (void)logfile_.ioresult();
  std::fflush(stdout);  // a child started next writes to the same descriptor
  unflushed_.clear();
  state_ = state_closed;
}

void tzlmlogstream::checkopen() {
  if (state_ == state_closed) reopenstdout();
}

// ---- lines ----

void tzlmlogstream::logwriteln(std::string_view text) {
  if (!logenabled_) return;
  if (callback_) {
    callback_(withterm(text), 2, userdata_);
    return;
  }
  if (state_ == state_closed) reopenstdout();
  drawpending();
  endopenline();
  lineendpending_ = false;
  emitline(text);
  flushfile();
}

void tzlmlogstream::logwrite(const char* text) {
  if (!text || !logenabled_) return;
  if (!callback_) {
    if (state_ == state_closed) reopenstdout();
    drawpending();
    endopenline();
    lineendpending_ = false;
  }
  const std::string_view all(text, strnlen(text, maxpchar));
  for (std::size_t at = 0; at < all.size(); at += 255) emit(all.substr(at, 255));
  flushfile();
}

void tzlmlogstream::logwriteplain(std::string_view text) {
  if (!logenabled_) return;
  if (option_ == 4) q5rt::output().write(text);
  unflushed_ += text;
  logfile_.write(text);  // never to the callback
  if (logfile_.pending() != 0) {
    writefailed();
    return;
  }
  flushfile();
}

void tzlmlogstream::logmessage(std::string_view text) {
  if (!logenabled_) return;
  drawpending();
  if (state_ != state_closed) endopenline();
  if (state_ == state_closed) reopenstdout();
  const q5rt::sstr piece = q5rt::sstr::cut(text);
  emit(piece);
  flushfile();
  lineendpending_ = true;
  openchars_ = static_cast<std::int32_t>(piece.size());
}

void tzlmlogstream::flush() {
  drawpending();
  if (state_ != state_closed) {
    endopenline();
    flushfile();
  }
  lineendpending_ = false;
}

void tzlmlogstream::gstatstartwriting() {
  if (state_ == state_closed) reopenstdout();
  flush();
}

void tzlmlogstream::writeln_gf(std::string_view text) { emitline(text); }
void tzlmlogstream::write_gf(std::string_view text) { emit(text); }

// ---- progress line ----

q5rt::sstr tzlmlogstream::statline() {
  q5rt::sstr s = q5rt::sstr::cut("--- ");
  if (depth_ > 0) {
    s.append_cut(std::string_view("..........", static_cast<std::size_t>(std::min(depth_, 10))));
    s.append_cut(' ');
  }
  if (memsource_ == 1 || memsource_ == 2) {
    std::int64_t resident = 0, virtualsize = 0;
    if (currentmemoryquery(resident, virtualsize))
      memory_ = static_cast<double>(memsource_ == 1 ? resident : virtualsize) / 1000000.0;
  }
  q5rt::shortstring<32> mem;
  if (std::isfinite(memory_) && std::fabs(memory_) < 1e15) {
    mem = q5rt::shortstring<32>::cut(num(std::llround(memory_)));
  } else {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, memory_);
    mem = q5rt::shortstring<32>::cut(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
  }
  s.append_cut(q5rt::concat(curshortname_, "(", num(linenr_), ") ", mem, " Mb"));
  if (errorcnt_ > 0)
    s.append_cut(q5rt::concat(" ", num(errorcnt_), errorcnt_ == 1 ? " Error" : " Errors"));
  if (secsshown_ != 0) s.append_cut(q5rt::concat("  ", num(secsshown_), " secs"));
  return s;
}

void tzlmlogstream::showstatline() {
  if (linenr_ <= 0) {
    progresspending_ = false;
    return;
  }
  if (state_ == state_closed) reopenstdout();
  if (lineendpending_) {
    emit(termstring);
    openchars_ = 0;
    lineendpending_ = false;
  }
  const q5rt::sstr line = statline();
  if (openchars_ > 0) {  // redraw in place, blanking out a longer old line
    emit("\r");
    if (static_cast<std::int32_t>(line.size()) < openchars_) {
      emit(std::string(static_cast<std::size_t>(openchars_), ' '));
      emit("\r");
    }
  }
  emit(line);
  flushfile();
  openchars_ = static_cast<std::int32_t>(line.size());
  lastdraw_ = now();
  if (iderun_) dofileanchor(false, curfilename_, linenr_, 0);
  progresspending_ = false;
}

void tzlmlogstream::drawnow() {
  showstatline();
  flushfile();
}

void tzlmlogstream::drawifdue() {
  if (state_ == state_stdout && tracelevel_ >= 2 &&
      static_cast<std::uint32_t>(now() - lastdraw_) > 200)
    drawnow();
}

void tzlmlogstream::loglinenr(std::int32_t n) {
  if (!logenabled_ || n == linenr_) return;
  linenr_ = n;
  progresspending_ = true;
  linestart_ = now();
  if (secsshown_ != 0) {  // the old line keeps its seconds; the new one starts below it
    secsshown_ = 0;
    lineendpending_ = true;
    drawnow();
  } else {
    drawifdue();
  }
}

void tzlmlogstream::logerrorcnt(std::int32_t n) {
  if (!logenabled_ || n == errorcnt_) return;
  errorcnt_ = n;
  progresspending_ = true;
  drawifdue();
}

void tzlmlogstream::logmemory(double megabytes) {
  if (!logenabled_ || !(std::fabs(megabytes - memory_) > 0.5)) return;
  memory_ = megabytes;
  progresspending_ = true;
  drawifdue();
}

void tzlmlogstream::freshen() {
  if (logenabled_) drawifdue();
}

void tzlmlogstream::cndshowstatline() { drawifdue(); }

void tzlmlogstream::freshenex() {
  if (!logenabled_ || state_ != state_stdout || tracelevel_ < 2) return;
  const std::uint32_t d = now() - linestart_;
  const std::uint32_t s = d / 1000;
  if (d > 2999 && s > secsshown_ && (d <= 30999 || s >= secsshown_ + 5)) {
    secsshown_ = s;
    drawnow();
  } else if (progresspending_) {
    drawnow();
  }
}

void tzlmlogstream::logfilename(std::string_view name, std::int32_t depth) {
  if (!logenabled_) return;
  drawpending();
  const std::int32_t olddepth = depth_;
  curfilename_ = q5rt::sstr::cut(name);
  curshortname_ = strutilx::extractfilenameex(name);
  depth_ = depth;
  const bool endline = (depth < olddepth || lineendpending_) ? tracelevel_ > 0 : tracelevel_ > 2;
  if (!endline) {
    if (depth < olddepth || lineendpending_) {
      errorcnt_ = 0;
      lineendpending_ = false;
    } else {
      lineendpending_ = true;
    }
    return;
  }
  if (state_ != state_closed) {
    emit(termstring);
    openchars_ = 0;
    flushfile();
  }
  errorcnt_ = 0;
  lineendpending_ = false;
}

// ---- anchors and trace ----

void tzlmlogstream::loganchor(std::int32_t n) {
  if (!logenabled_) return;
  if (state_ == state_closed) reopenstdout();
  openline(q5rt::concat("[LST:", num(n), "]"));
  flushfile();
}

void tzlmlogstream::dofileanchor(bool iserror, std::string_view filename, std::int32_t line,
                                 std::int32_t col) {
  if (state_ == state_closed) reopenstdout();
  openline(q5rt::concat(iserror ? "[ERR:" : "[FIL:", "\"", filename, "\",", num(line), ",",
                        num(col), "]"));
  flushfile();
}

void tzlmlogstream::logfileanchor(bool iserror, std::string_view filename, std::int32_t line,
                                  std::int32_t col) {
  if (logenabled_) dofileanchor(iserror, filename, line, col);
}

void tzlmlogstream::logtitleanchor(std::string_view text) {
  if (!logenabled_) return;
  if (state_ == state_closed) reopenstdout();
  drawpending();
  endopenline();
  emitline(q5rt::concat("[TIT:", text, "]"));
  flushfile();
}

void tzlmlogstream::logdumpfilename(std::string_view prefix, bool enabled, std::string_view name,
                                    std::string_view filename, std::uint8_t access,
                                    std::int32_t code) {
  if (!enabled || !logenabled_) return;
  constexpr std::string_view letters[] = {"R", "W", "A"};
  const std::string_view letter = access < 3 ? letters[access] : std::string_view{};
  flush();
  openline(q5rt::concat(prefix, " ", name, " ", letter, "=", num(code), " FN=\"", filename, "\""));
  lineendpending_ = true;
  if (code > 0) {
    endopenline();
    openline(q5rt::concat(prefix, " MSG=", q5rt::syserrortext(code)));
    lineendpending_ = true;
  }
  flushfile();
}

// ---- redirection ----

void tzlmlogstream::getredirfilenameprop(std::string& text) const {
  text = nameused_.empty() ? std::string() : q5process::shellquoted(nameused_);
}

void tzlmlogstream::getredirstringprop(std::string& text) const {
  if (nameused_.empty()) {
    text.clear();
    return;
  }
  text = (option_ == 4 ? " | tee -a " : " >> ") + q5process::shellquoted(nameused_);
}

void tzlmlogstream::getshortredirstringprop(std::string& text, std::string_view directory) const {
  const std::string_view name = nameused_.view();
  // Relative only for a log file inside the directory given with its trailing delimiter.
  if (!name.empty() && !directory.empty() && directory.back() == '/' &&
      name.starts_with(directory)) {
    text = " >> " + q5process::shellquoted("." + std::string(name.substr(directory.size() - 1)));
    return;
  }
  getredirstringprop(text);
}

}  // namespace statlibobj
