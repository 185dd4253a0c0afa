// The status-file stream: the writers of the control-line protocol, the opening rules and
// the reading side (process and dump modes, the errors collected by row and column).
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "frame/statlibobj.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"

namespace statlibobj {

using detail::maxpchar;
using detail::num;
using detail::stdoutline;
using detail::withterm;

namespace {

constexpr std::string_view placeholdermark = "SOLVER DID NOT";
constexpr std::string_view unassigned = "Status filename has not been assigned";
constexpr std::string_view terminationword = "TerminationRequestfromSolver";

// From 1-based column first to the end; empty past the end.
std::string_view from(std::string_view s, std::size_t first) {
  return first > s.size() ? std::string_view{} : s.substr(first - 1);
}

// Characters 6 to 19 of the placeholder's third line.
bool isplaceholder(std::string_view line) {
  return line.size() >= 19 && line.substr(5, placeholdermark.size()) == placeholdermark;
}

// The name exists and is not a regular file (a directory, a device, a pipe).
bool existsnotregular(std::string_view name) {
  std::error_code ec;
  const auto st = std::filesystem::status(std::filesystem::path(name), ec);
  return !ec && !std::filesystem::is_regular_file(st);
}

}  // namespace

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
  solvererrorinit();
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

bool tzlmstatusstream::appendorwrite(bool append, q5rt::sstr& msg) {
  if (append) {
    statusfile_.append();
    if (statusfile_.ioresult() == 0) {
      open_ = true;
      return true;
    }
  }
  return openforwriting(msg);
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
    // Only a regular file has a start to look at: a device or a pipe is never read (from
    // /dev/zero the read would not end, from a pipe it would wait for a writer).
    if (existsnotregular(filename_)) return appendorwrite(mode == 2, msg);
    statusfile_.reset();
    if (statusfile_.ioresult() != 0) return openforwriting(msg);  // missing or unreadable
    statusfile_.readln();
    statusfile_.readln();
    const q5rt::sstr third = statusfile_.readln_string();
    statusfile_.close();
    (void)statusfile_.ioresult();
    return appendorwrite(mode == 2 && !isplaceholder(third), msg);
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
  guarded(q5rt::concat("StatusEquationName ", name),
          [&] { control('E', q5rt::concat(" \"", name, "\" ", num(index), " \"", text, "\"")); });
}

void tzlmstatusstream::statusvariablename(std::string_view name, std::int32_t index,
                                          std::string_view text) {
  guarded(q5rt::concat("StatusVariableName ", name),
          [&] { control('V', q5rt::concat(" \"", name, "\" ", num(index), " \"", text, "\"")); });
}

void tzlmstatusstream::statuslstanchor(std::string_view text) {
  guarded(q5rt::concat("StatusLSTAnchor ", text), [&] { control('L', text); });
}

void tzlmstatusstream::statusterminationrequestfromsolver() {
  guarded("StatusTerminationRequestfromSolver",
          [&] { control(terminationword.front(), terminationword.substr(1)); });
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
      solvererroradd(isrow ? n : 0, isrow ? 0 : n,
                     q5rt::trim(from(l, static_cast<std::size_t>(pos))));
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
  const auto same =
      std::find_if(refs.begin(), refs.end(), [msg](const msgref& r) { return r.msg == msg; });
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

void tzlmstatusstream::statuserrorfree() { solvererrorinit(); }

void tzlmstatusstream::solvererrorinit() {
  errors_.clear();
  messages_.clear();
  errorcursor_ = errors_.end();
  detailrefs_ = nullptr;
  detailleft_ = 0;
}

}  // namespace statlibobj
