// The status-file and log stream classes.
#include "frame/statlibobj.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "frame/q5platform.h"
#include "frame/q5process.h"
#include "frame/q5utils.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"

namespace statlibobj {

namespace {

constexpr std::string_view placeholdermark = "SOLVER DID NOT";
constexpr std::string_view unassigned = "Status filename has not been assigned";
constexpr std::string_view terminationword = "TerminationRequestfromSolver";
constexpr std::string_view reopened = "*** Log reopend as output";
constexpr std::size_t maxpchar = 16384;  // zero-terminated texts are cut here

using numtext = q5rt::shortstring<24>;

numtext num(std::int64_t v) { return numtext::cut(strutilx::inttostrw(v, 0).view()); }

// From 1-based column first to the end; empty past the end.
std::string_view from(std::string_view s, std::size_t first) {
  return first > s.size() ? std::string_view{} : s.substr(first - 1);
}

// A line of text with the line end, cut so that both fit into 255 characters.
q5rt::sstr withterm(std::string_view text) {
  q5rt::sstr line = q5rt::sstr::cut(text.substr(0, std::min(text.size(), 255 - termstring.size())));
  line.append_cut(termstring);
  return line;
}

// Characters 6 to 19 of the placeholder's third line.
bool isplaceholder(std::string_view line) {
  return line.size() >= 19 && line.substr(5, placeholdermark.size()) == placeholdermark;
}

// A line on standard output, flushed at once.
void stdoutline(std::string_view text) {
  auto& out = q5rt::output();
  out.writeln(q5rt::sstr::cut(text).view());
  out.flush();
}

memoryquery currentmemoryquery = &q5utils::q5getmemoryinfo;

}  // namespace

void setmemoryquery(memoryquery query) { currentmemoryquery = query ? query : &q5utils::q5getmemoryinfo; }

bool opentextmsg(q5rt::textfile& f, std::string_view name, int mode, q5rt::sstr& msg) {
  if (name.empty()) {  // the runtime would take standard input or output for it
    msg = q5rt::syserrortext(ENOENT);
    return false;
  }
  f.assign(name);
  (void)f.ioresult();  // a failure of closing an earlier file is not this opening's
  if (mode == 1)
    f.rewrite();
  else
    f.reset();
  const int rc = f.ioresult();
  msg = rc != 0 ? q5rt::iomessage(rc) : q5rt::sstr{};
  return rc == 0;
}

bool ismuxed() { return false; }

// =======================================================================================
// Status stream
// =======================================================================================

tzlmstatusstream::tzlmstatusstream(q5rt::sstr& msg) {
  msg = q5rt::sstr::cut("TZLMStatusStream Create failed");
  filename_ = q5rt::sstr::cut("unknown file name");
  errorcursor_ = errors_.end();
  msg.clear();
}

void tzlmstatusstream::registerwritecallback(writecallback callback, void* userdata) {
  callback_ = callback;
  userdata_ = userdata;
}

// ---- file ----

void tzlmstatusstream::statussetfilename(std::string_view name) {
  statusclose();
  statuserrorfree();
  filename_ = q5rt::sstr::cut(name);
  nameunassigned_ = false;
}

bool tzlmstatusstream::openforwriting(q5rt::sstr& msg) {
  statusfile_.rewrite();
  if (const int rc = statusfile_.ioresult(); rc != 0) {
    msg = q5rt::concat("status open failed: ", q5rt::syserrortext(rc));
    return false;
  }
  open_ = true;
  return true;
}

bool tzlmstatusstream::statusfileopen(std::uint8_t mode, q5rt::sstr& msg) {
  try {
    if (statusfile_.is_open()) {
      statusclose();
      msg.clear();
    }
    open_ = false;
    if (nameunassigned_) {
      msg = q5rt::sstr::cut(unassigned);
      return false;
    }
    msg.clear();
    if (filename_.empty()) {  // never standard input or output
      msg = q5rt::concat("status open failed: ", q5rt::syserrortext(ENOENT));
      return false;
    }
    statusfile_.assign(filename_);
    (void)statusfile_.ioresult();
    statusfile_.reset();
    if (statusfile_.ioresult() != 0) return openforwriting(msg);  // missing or unreadable
    statusfile_.readln();
    statusfile_.readln();
    const q5rt::sstr third = statusfile_.readln_string();
    statusfile_.close();
    (void)statusfile_.ioresult();
    if (mode == 2 && !isplaceholder(third)) {
      statusfile_.append();
      if (statusfile_.ioresult() == 0) {
        open_ = true;
        return true;
      }
    }
    return openforwriting(msg);
  } catch (...) {
    stdoutline(q5rt::concat("*** StatLib.StatusFileOpen ", filename_));
    return false;
  }
}

void tzlmstatusstream::statusclose() {
  if (statusfile_.is_open()) statusfile_.close();
  (void)statusfile_.ioresult();
  open_ = false;
}

bool tzlmstatusstream::checkfile(q5rt::sstr& msg) {
  statusclose();
  if (nameunassigned_) {
    msg = q5rt::sstr::cut(unassigned);
    return false;
  }
  return true;
}

bool tzlmstatusstream::statusdummy(q5rt::sstr& msg) {
  if (!checkfile(msg)) return false;
  if (!opentextmsg(statusfile_, filename_, 1, msg)) return false;
  try {
    for (std::string_view line :
         {"=1", "", "**** SOLVER DID NOT WRITE A STATUS FILE ****", "", "=3"})
      put(withterm(line));
    statusfile_.close();
    statusfile_.check();  // a failed final flush is a failed placeholder
  } catch (const q5rt::exception& e) {
    statusclose();
    msg = e.message();
    return false;
  }
  msg.clear();
  return true;
}

bool tzlmstatusstream::statusappend(std::string_view source, q5rt::sstr& msg) {
  if (!open_) {
    msg = q5rt::sstr::cut("statusAppend: target file is not open");
    return false;
  }
  q5rt::textfile src;
  if (!opentextmsg(src, source, 0, msg)) {
    msg = q5rt::concat("statusAppend: ", msg);
    return false;
  }
  while (!src.eof()) {
    const q5rt::sstr line = src.readln_string();
    if (isplaceholder(line)) {
      msg = q5rt::concat("statusAppen: nothing as written to ", source);
      return false;
    }
    if (line.view().starts_with("=0")) continue;  // the other run's audit line
    statuswriteln(line);
  }
  statuswriteln(" ");
  msg.clear();
  return true;
}

// ---- writing ----

void tzlmstatusstream::put(std::string_view text) {
  if (callback_) {
    callback_(q5rt::sstr::cut(text), 1, userdata_);
    return;
  }
  statusfile_.write(text);
  statusfile_.flush();  // each writer's lines reach the file before it returns
  statusfile_.check();
}

void tzlmstatusstream::putline(std::string_view text) { put(withterm(text)); }

void tzlmstatusstream::control(char code, std::string_view payload) {
  q5rt::sstr line;
  line.append_cut(editsymbol_);
  line.append_cut(code);
  line.append_cut(payload);
  putline(line);
}

template <typename Fn>
void tzlmstatusstream::guarded(std::string_view what, Fn&& fn) {
  try {
    fn();
  } catch (...) {
    stdoutline(q5rt::concat("*** StatLib.", what));
  }
}

void tzlmstatusstream::statuswriteln(std::string_view text) {
  guarded(q5rt::concat("StatusWriteLn ", text), [&] { putline(text); });
}

void tzlmstatusstream::statuswrite(const char* text) {
  if (!text) return;
  const std::string_view all(text, strnlen(text, maxpchar));
  for (std::size_t at = 0; at < all.size(); at += 255) put(all.substr(at, 255));
}

void tzlmstatusstream::statuswriteplain(std::string_view text) {
  statusfile_.write(text);
  statusfile_.flush();
  statusfile_.check();
}

void tzlmstatusstream::writeln_gf(std::string_view text) { putline(text); }
void tzlmstatusstream::write_gf(std::string_view text) { put(text); }

void tzlmstatusstream::statusauditline(std::string_view text) {
  try {
    control('0', text);
  } catch (const q5rt::exception& e) {
    stdoutline(q5rt::concat("*** StatLib.StatusAuditLine ", text));
    stdoutline(q5rt::concat("*** StatLib.StatusAuditLine ", e.message()));
  }
}

void tzlmstatusstream::statuscopyon() {
  guarded("StatusCopyOn", [&] { control('1', ""); });
}
void tzlmstatusstream::statuscopyoff() {
  guarded("StatusCopyOff", [&] { control('2', ""); });
}
void tzlmstatusstream::statusendoffile() {
  guarded("StatusEndOfFile", [&] { control('3', ""); });
}
void tzlmstatusstream::statussysout() {
  guarded("StatusSysOut", [&] { control('4', ""); });
}
void tzlmstatusstream::statuspageeject() {
  guarded("StatusPageEject", [&] { control('8', ""); });
}

void tzlmstatusstream::statusequationerror(std::int32_t row, std::string_view text) {
  guarded(q5rt::concat("StatusEquationError ", text),
          [&] { control('5', q5rt::concat(" ", num(row), " ", text)); });
}

void tzlmstatusstream::statusvariableerror(std::int32_t col, std::string_view text) {
  guarded(q5rt::concat("StatusVariableError ", text),
          [&] { control('6', q5rt::concat(" ", num(col), " ", text)); });
}

void tzlmstatusstream::statusjacobianerror(std::int32_t row, std::int32_t col,
                                           std::string_view text) {
  try {
    control('7', q5rt::concat(" ", num(row), " ", num(col), " ", text));
  } catch (const q5rt::exception& e) {
    stdoutline(q5rt::concat("*** StatLib.StatusJacobianError ", e.message()));
  }
}

void tzlmstatusstream::statusseteditsymbol(char symbol) {
  guarded("StatusSetEditSymbol", [&] {
    control('9', std::string_view(&symbol, 1));
    editsymbol_ = symbol;  // only once the line is written
  });
}

void tzlmstatusstream::statuscopyfile(std::string_view filename) {
  guarded(q5rt::concat("StatusCopyFile ", filename), [&] { control('A', filename); });
}

void tzlmstatusstream::statuscopyfileonsysout(std::string_view filename) {
  guarded(q5rt::concat("StatusCopyFileOnSysOut ", filename), [&] { control('B', filename); });
}

void tzlmstatusstream::statuscopyline(std::string_view text) {
  guarded(q5rt::concat("StatusCopyLine ", text), [&] { control('C', text); });
}

void tzlmstatusstream::statusequationname(std::string_view name, std::int32_t index,
                                          std::string_view text) {
  guarded(q5rt::concat("StatusEquationName ", name), [&] {
    control('E', q5rt::concat(" \"", name, "\" ", num(index), " \"", text, "\""));
  });
}

void tzlmstatusstream::statusvariablename(std::string_view name, std::int32_t index,
                                          std::string_view text) {
  guarded(q5rt::concat("StatusVariableName ", name), [&] {
    control('V', q5rt::concat(" \"", name, "\" ", num(index), " \"", text, "\""));
  });
}

void tzlmstatusstream::statuslstanchor(std::string_view text) {
  guarded(q5rt::concat("StatusLSTAnchor ", text), [&] { control('L', text); });
}

void tzlmstatusstream::statusterminationrequestfromsolver() {
  guarded("StatusTerminationRequestfromSolver", [&] {
    control(terminationword.front(), terminationword.substr(1));
  });
}

// ---- reading ----

void tzlmstatusstream::pushpending(std::string_view text) {
  if (pendingcount_ < static_cast<int>(pending_.size()))
    pending_[static_cast<std::size_t>(pendingcount_++)] = q5rt::sstr::cut(text);
}

bool tzlmstatusstream::poppending(q5rt::sstr& text) {
  if (pendingcount_ == 0) return false;
  text = pending_[static_cast<std::size_t>(--pendingcount_)];
  return true;
}

void tzlmstatusstream::closesecondary() {
  if (secondary_.is_open()) secondary_.close();
  (void)secondary_.ioresult();
  readingsecondary_ = false;
}

bool tzlmstatusstream::openforreading() {
  statusclose();
  closesecondary();
  pendingcount_ = 0;
  if (nameunassigned_) {
    pushpending(unassigned);
    return false;
  }
  q5rt::sstr msg;
  if (!opentextmsg(statusfile_, filename_, 0, msg)) {
    pushpending(q5rt::concat("filename=\"", filename_, "\""));  // returned second
    pushpending(msg);
    return false;
  }
  return true;
}

int tzlmstatusstream::statusprocessfirst() {
  editsymbol_ = '=';
  linesprocessed_ = 0;
  copymode_ = false;
  if (!openforreading()) return nameunassigned_ ? 1 : 2;
  return 0;
}

int tzlmstatusstream::statusdumpfirst() {
  editsymbol_ = '=';
  linesdumped_ = 0;
  if (!openforreading()) return nameunassigned_ ? 1 : 2;
  return 0;
}

std::optional<bool> tzlmstatusstream::processcontrol(const q5rt::sstr& line, std::uint8_t& kind,
                                                     q5rt::sstr& text, q5rt::sstr& text2,
                                                     std::int32_t& number) {
  const std::string_view l = line.view();
  const std::string_view payload = from(l, 3);
  auto outofrange = [&](std::string_view what) {
    kind = kind_text;
    text = q5rt::concat(what, l);
    return std::optional<bool>(true);
  };
  auto yield = [&](std::uint8_t k, std::string_view t, bool r) {
    kind = k;
    text = q5rt::sstr::cut(t);
    return std::optional<bool>(r);
  };
  int pos = 3;
  switch (l[1]) {
    case '0':  // the run's audit line
      return yield(kind_audit, q5rt::trim(payload), true);
    case '1':
    case '2':
      copymode_ = l[1] == '1';
      return std::nullopt;
    case '3':
      statusclose();
      return yield(kind_end, "End-of-File request", false);
    case '4':
      return yield(kind_sysout, "Sysout request", true);
    case '5':
    case '6': {
      const std::int32_t n = strutilx::strasint(strutilx::extracttoken(l, pos));
      const bool isrow = l[1] == '5';
      if (n < 1 || n > (isrow ? rowlimit_ : collimit_))
        return outofrange(isrow ? "Equ out of range:" : "Var out of range:");
      solvererroradd(isrow ? n : 0, isrow ? 0 : n, q5rt::trim(from(l, static_cast<std::size_t>(pos))));
      return std::nullopt;
    }
    case '7': {
      const std::int32_t row = strutilx::strasint(strutilx::extracttoken(l, pos));
      const std::int32_t col = strutilx::strasint(strutilx::extracttoken(l, pos));
      if (row < 1 || row > rowlimit_ || col < 1 || col > collimit_)
        return outofrange("Equ/Var out of range:");
      solvererroradd(row, col, q5rt::trim(from(l, static_cast<std::size_t>(pos))));
      return std::nullopt;
    }
    case '8':
      return yield(kind_eject, "eject request", true);
    case '9':
      if (l.size() >= 3) editsymbol_ = l[2];
      return std::nullopt;
    case 'A': {  // copy the named file's lines into the listing
      kind = kind_text;
      text = line;
      if (!opentextmsg(secondary_, q5rt::trim(payload), 0, text2)) {
        pushpending(q5rt::concat("*** Msg=", text2));
        pushpending("*** Above File could not be opened");
      } else if (secondary_.eof()) {
        closesecondary();
        pushpending("*** above file is empty");
      } else {
        text = secondary_.readln_string();
        readingsecondary_ = true;
      }
      return true;
    }
    case 'B':
      return std::nullopt;
    case 'C':
      return yield(kind_text, payload, true);
    case 'E':
    case 'V': {
      const bool isequ = l[1] == 'E';
      const q5rt::sstr name = strutilx::extracttoken(l, pos);
      number = strutilx::strasint(strutilx::extracttoken(l, pos));
      text2 = strutilx::extracttoken(l, pos);
      if (number < 1 || number > (isequ ? rowlimit_ : collimit_)) {
        number = 0;
        text2.clear();
        return outofrange(isequ ? "Equ out of range:" : "Var out of range:");
      }
      return yield(isequ ? kind_equation : kind_variable, name, true);
    }
    case 'L':
      return yield(kind_anchor, payload, true);
    case 'T': {
      const std::string_view t = q5rt::trim(from(l, 2));
      return yield(t == terminationword ? kind_termination : kind_text, t, true);
    }
    default:
      return outofrange("unknown status file edit character: ");
  }
}

bool tzlmstatusstream::statusprocessnext(std::uint8_t& kind, q5rt::sstr& text, q5rt::sstr& text2,
                                         std::int32_t& number) {
  text.clear();
  text2.clear();
  number = 0;
  kind = kind_text;
  if (poppending(text)) {
    ++linesprocessed_;
    return true;
  }
  if (!statusfile_.is_open()) {
    text = q5rt::sstr::cut("Must be a bad call");
    return false;
  }
  if (readingsecondary_) {
    if (!secondary_.eof()) {
      text = secondary_.readln_string();
      return true;
    }
    closesecondary();
  }
  while (!statusfile_.eof()) {
    const q5rt::sstr line = statusfile_.readln_string();
    ++linesprocessed_;
    text.clear();
    text2.clear();
    number = 0;
    if (line.size() >= 2 && line[0] == editsymbol_) {
      if (const auto result = processcontrol(line, kind, text, text2, number)) return *result;
    } else if (copymode_) {
      kind = kind_text;
      text = line;
      return true;
    }
  }
  statusclose();
  kind = kind_end;
  text = q5rt::sstr::cut("End-of-File reached");
  return false;
}

bool tzlmstatusstream::statusdumpnext(q5rt::sstr& line) {
  if (poppending(line)) return true;
  line.clear();
  if (!statusfile_.is_open()) return false;
  if (readingsecondary_) {
    if (!secondary_.eof()) {
      line = secondary_.readln_string();
    } else {
      closesecondary();
      line = q5rt::sstr::cut("*** End of SysOut copy");
    }
    return true;
  }
  if (statusfile_.eof()) {
    statusclose();
    return false;
  }
  line = statusfile_.readln_string();
  const std::string_view l = line.view();
  if (l.size() > 2 && l[0] == editsymbol_) {
    if (l[1] == '9') {
      editsymbol_ = l[2];
    } else if (l[1] == 'B') {
      q5rt::sstr msg;
      if (opentextmsg(secondary_, q5rt::trim(from(l, 3)), 0, msg)) {
        pushpending("*** Begin of SysOut copy");
        readingsecondary_ = true;
      } else {
        pushpending(q5rt::concat("Msg=", msg));
        pushpending("Could not process above statement");
      }
    }
  }
  ++linesdumped_;
  return true;
}

// ---- errors ----

void tzlmstatusstream::statussetrowcol(std::int32_t rows, std::int32_t cols) {
  rowlimit_ = rows;
  collimit_ = cols;
}

std::size_t tzlmstatusstream::solvererrormessage(std::string_view text) {
  std::string_view t = q5rt::trim(text);
  t = q5rt::trim(t.substr(0, std::min<std::size_t>(t.size(), message::capacity)));
  if (t.empty()) t = "No message";
  for (std::size_t i = 0; i < messages_.size(); ++i)
    if (strutilx::struequal(messages_[i].view(), t)) return i;
  messages_.push_back(message::cut(t));
  return messages_.size() - 1;
}

void tzlmstatusstream::solvererroradd(std::int32_t row, std::int32_t col, std::string_view text) {
  const std::size_t msg = solvererrormessage(text);
  auto& refs = errors_[{row, col}];
  const auto same = std::find_if(refs.begin(), refs.end(),
                                 [msg](const msgref& r) { return r.msg == msg; });
  if (same != refs.end())
    ++same->count;
  else
    refs.push_back({1, msg});
}

void tzlmstatusstream::statuserrorfirst() {
  errorcursor_ = errors_.begin();
  detailrefs_ = nullptr;
  detailleft_ = 0;
}

template <typename Pred>
bool tzlmstatusstream::nexterror(std::int32_t& row, std::int32_t& col, Pred wanted) {
  while (errorcursor_ != errors_.end() && !wanted(errorcursor_->first)) ++errorcursor_;
  if (errorcursor_ == errors_.end()) {
    row = 0;
    col = 0;
    return false;
  }
  row = errorcursor_->first.first;
  col = errorcursor_->first.second;
  detailrefs_ = &errorcursor_->second;
  detailleft_ = detailrefs_->size();
  ++errorcursor_;
  return true;
}

bool tzlmstatusstream::statuserrornext(std::int32_t& row, std::int32_t& col) {
  return nexterror(row, col, [](const errorkey&) { return true; });
}

bool tzlmstatusstream::statuserrornextequ(std::int32_t& row) {
  std::int32_t col = 0;
  return nexterror(row, col, [](const errorkey& k) { return k.first != 0 && k.second == 0; });
}

bool tzlmstatusstream::statuserrornextvar(std::int32_t& col) {
  std::int32_t row = 0;
  return nexterror(row, col, [](const errorkey& k) { return k.first == 0 && k.second != 0; });
}

bool tzlmstatusstream::statuserrornextjac(std::int32_t& row, std::int32_t& col) {
  return nexterror(row, col, [](const errorkey& k) { return k.first != 0 && k.second != 0; });
}

bool tzlmstatusstream::statuserrordetail(std::int32_t& count, q5rt::sstr& text) {
  if (!detailrefs_ || detailleft_ == 0) {
    count = 0;
    text.clear();
    return false;
  }
  const msgref& r = (*detailrefs_)[--detailleft_];  // newest first
  count = r.count;
  text = q5rt::sstr::cut(messages_[r.msg]);
  return true;
}

void tzlmstatusstream::statuserrorfree() {
  errors_.clear();
  messages_.clear();
  errorcursor_ = errors_.end();
  detailrefs_ = nullptr;
  detailleft_ = 0;
}

// =======================================================================================
// Log stream
// =======================================================================================

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
  const bool endline =
      (depth < olddepth || lineendpending_) ? tracelevel_ > 0 : tracelevel_ > 2;
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

namespace {
void startup() { termstring = q5rt::sstr::cut("\n"); }
q5rt::unit_registration reg{"statlibobj", &startup, nullptr};
}  // namespace

}  // namespace statlibobj
