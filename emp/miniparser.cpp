#include "emp/miniparser.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "frame/strutilx_numbers.h"
#include "frame/zlmobj.h"

namespace miniparser {

namespace {

constexpr std::size_t echowidth = 130;

bool isletter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isdigit(char c) { return c >= '0' && c <= '9'; }
bool isblank(char c) { return c == ' ' || c == '\t'; }
bool isidentchar(char c) { return isletter(c) || isdigit(c) || c == '_' || c == '/'; }
bool isletterdigit(char c) { return isletter(c) || isdigit(c); }
bool istokenend(char c) {
  return c == '\t' || c == linefeed || c == endofinput || c == ' ' || c == ',';
}
bool isseparatorafterquote(char c) { return c == '\t' || c == ' ' || c == ','; }
bool atlineend(char c) { return c == linefeed || c == endofinput; }

// Stores one more character: past 255 each further character overwrites the 255th.
void put(q5rt::sstr& text, char c) {
  if (text.size() < q5rt::sstr::capacity) {
    text.append_cut(c);
  } else {
    text[q5rt::sstr::capacity - 1] = c;
  }
}

}  // namespace

tminiparser::tminiparser(zlmobj::txstringlist* echolist, bool echoon,
                         const strutilx::charset& comments)
    : echolist_(echolist), echoon_(echoon), comments_(comments) {}

tminiparser::~tminiparser() { closefile(); }

// A new source ends the file read so far.
void tminiparser::closefile() {
  if (fileopen_) std::fclose(file_);
  file_ = nullptr;
  fileopen_ = false;
}

bool tminiparser::fileopen(std::string_view filename, std::int32_t& errorcode) {
  closefile();
  linenr_ = 0;
  errno = 0;
  file_ = std::fopen(std::string(filename).c_str(), "rb");
  errorcode = file_ == nullptr ? (errno != 0 ? errno : EIO) : 0;
  fileopen_ = file_ != nullptr;
  if (fileopen_) {
    kind_ = sourcekind::file;
  } else {
    ch_ = endofinput;
  }
  return fileopen_;
}

void tminiparser::readfromtext(std::string_view data) {
  data_ = data;
  datapos_ = 0;
  linenr_ = 0;
  kind_ = sourcekind::file;
}

void tminiparser::readfromstr(std::string_view text) {
  const std::size_t n = std::min<std::size_t>(text.size(), q5rt::sstr::capacity);
  std::copy_n(text.data(), n, line_);
  pos_ = -1;
  linelen_ = static_cast<std::int32_t>(n);
  kind_ = sourcekind::shortstring;
  linenr_ = 0;
  closefile();
  flushecho();
}

void tminiparser::readfrompchar(const char* text) {
  pchar_ = text;
  pos_ = -1;
  linelen_ = static_cast<std::int32_t>(std::char_traits<char>::length(text));
  kind_ = sourcekind::pchar;
  linenr_ = 0;
  closefile();
  flushecho();
}

void tminiparser::readfromcb(linecallback callback) {
  callback_ = callback;
  closefile();
  cbstate_ = -1;
  q5rt::sstr discarded;
  (void)callback_(discarded, cbstate_);
  cbstate_ = 0;
  linelen_ = 0;
  kind_ = sourcekind::callback;
  flushecho();
  linenr_ = 0;
}

namespace {
constexpr std::size_t fileblock = 65536;
}

int tminiparser::getbyte() {
  if (datapos_ >= data_.size()) {
    if (file_ == nullptr) return EOF;
    // The next block of the file; the last byte of the previous one stays before it, so
    // that one byte can always be given back.
    if (!filebuf_) filebuf_ = std::make_unique<char[]>(fileblock + 1);
    const bool keep = !data_.empty();
    if (keep) filebuf_[0] = data_.back();
    const std::size_t got = std::fread(filebuf_.get() + 1, 1, fileblock, file_);
    if (got == 0) return EOF;
    data_ = keep ? std::string_view(filebuf_.get(), got + 1)
                 : std::string_view(filebuf_.get() + 1, got);
    datapos_ = keep ? 1 : 0;
  }
  return static_cast<unsigned char>(data_[datapos_++]);
}

void tminiparser::ungetbyte(int c) {
  if (c != EOF) --datapos_;
}

bool tminiparser::ateof() {
  const int c = getbyte();
  ungetbyte(c);
  return c == EOF;
}

// The rest of the line byte by byte into the line buffer: n characters kept, probe of
// those past the limit counted (up to one more piece).
void tminiparser::readline(std::int32_t& n, std::int32_t& probe) {
  for (int c = getbyte(); c != EOF && c != '\n'; c = getbyte()) {
    if (c == '\r') {
      const int after = getbyte();
      if (after == '\n' || after == EOF) break;
      ungetbyte(after);
    }
    if (n < filelinelimit) {
      line_[n++] = static_cast<char>(c);
    } else if (probe < static_cast<std::int32_t>(q5rt::sstr::capacity)) {
      ++probe;
    }
  }
}

// The rest of the line from the block read, when the block holds the line's end: found
// with one scan and copied at once. n and probe as the byte loop counts them: the line's
// characters (a carriage return before the line feed dropped) up to the limit, and those
// past it up to one more piece. False, nothing read, when the line goes on past the block.
bool tminiparser::takeline(std::int32_t& n, std::int32_t& probe) {
  if (bytewise_) return false;
  const char* from = data_.data() + datapos_;
  const void* end = std::memchr(from, '\n', data_.size() - datapos_);
  if (end == nullptr) return false;
  std::size_t length = static_cast<std::size_t>(static_cast<const char*>(end) - from);
  datapos_ += length + 1;
  if (length > 0 && from[length - 1] == '\r') --length;
  const std::size_t kept = std::min<std::size_t>(length, filelinelimit);
  std::copy_n(from, kept, line_);
  n = static_cast<std::int32_t>(kept);
  probe = static_cast<std::int32_t>(std::min<std::size_t>(length - kept, q5rt::sstr::capacity));
  return true;
}

void tminiparser::filllinebuffromfile() {
  pos_ = 0;
  for (;;) {
    toolong_ = false;
    if (ateof()) {
      linelen_ = -1;
      ch_ = endofinput;
      return;
    }
    std::int32_t n = 0;
    std::int32_t probe = 0;  // characters past the limit, up to one more piece
    if (!takeline(n, probe)) readline(n, probe);
    ++linenr_;
    linelen_ = n;
    if (n == filelinelimit && probe > 0) toolong_ = true;
    flushecho();
    if (n > 0 && line_[0] != '*') {
      pos_ = 1;
      ch_ = line_[0];
      return;
    }
  }
}

void tminiparser::filllinebuffromcb() {
  pos_ = 0;
  q5rt::sstr line;
  if (!callback_(line, cbstate_)) {
    linelen_ = -1;
    ch_ = endofinput;
    return;
  }
  ++linenr_;
  linelen_ = static_cast<std::int32_t>(line.size());
  std::copy_n(line.data(), line.size(), line_);
  flushecho();
  pos_ = 1;
  ch_ = linelen_ > 0 ? line_[0] : linefeed;
}

bool tminiparser::nextline() {
  switch (kind_) {
    case sourcekind::file:
      filllinebuffromfile();
      return linelen_ > 0;
    case sourcekind::callback:
      filllinebuffromcb();
      return linelen_ > 0;
    case sourcekind::shortstring:
    case sourcekind::pchar:
      if (pos_ > 0) {
        linelen_ = 0;
        return false;
      }
      pos_ = 1;
      ch_ = linelen_ > 0 ? charfrombuf(1) : linefeed;
      return linelen_ > 0;
  }
  return false;
}

char tminiparser::charfrombuf(std::int32_t position) const {
  return kind_ == sourcekind::pchar ? pchar_[position - 1] : line_[position - 1];
}

void tminiparser::nextch() {
  if (ch_ == endofinput) return;
  if (pos_ < linelen_) {
    ++pos_;
    ch_ = charfrombuf(pos_);
  } else if (pos_ == linelen_) {
    ++pos_;
    ch_ = linefeed;
  } else if (kind_ == sourcekind::file) {
    filllinebuffromfile();
  } else if (kind_ == sourcekind::callback) {
    filllinebuffromcb();
  } else {
    ch_ = endofinput;
  }
}

std::string_view tminiparser::currentline() const {
  const std::size_t n = linelen_ > 0 ? static_cast<std::size_t>(linelen_) : 0;
  return {kind_ == sourcekind::pchar ? pchar_ : line_, n};
}

void tminiparser::flushecho() {
  if (!echoon_ || echolist_ == nullptr) return;
  const std::string_view line = currentline();
  if (line.size() <= echowidth) {
    echolist_->add(line.empty() ? q5rt::sstr{} : q5rt::concat(" ", line));
    return;
  }
  for (std::size_t at = 0; at < line.size(); at += echowidth) {
    const std::string_view piece = line.substr(at, echowidth);
    const bool more = at + echowidth < line.size();
    q5rt::sstr entry =
        q5rt::concat(at == 0 ? std::string_view(" ") : std::string_view(&echocontinued, 1), piece);
    if (more) entry.append_cut(echocontinued);
    echolist_->add(entry);
  }
}

bool tminiparser::skipbl() {
  while (isblank(ch_)) nextch();
  if (comments_.contains(ch_)) {
    while (!atlineend(ch_)) nextch();
    return false;
  }
  return !atlineend(ch_);
}

void tminiparser::collect(q5rt::sstr& text, bool (*member)(char)) {
  while (member(ch_)) {
    put(text, ch_);
    nextch();
  }
}

bool tminiparser::nextident(q5rt::sstr& text) {
  text.clear();
  if (!isletter(ch_)) return false;
  collect(text, isidentchar);
  return true;
}

bool tminiparser::nextidentx(q5rt::sstr& text) {
  text.clear();
  if (!isletter(ch_)) return false;
  collect(text, isletterdigit);
  return true;
}

bool tminiparser::nextidentdig(q5rt::sstr& text) {
  text.clear();
  if (!isletterdigit(ch_)) return false;
  collect(text, isidentchar);
  return true;
}

bool tminiparser::nextkey(q5rt::sstr& text, std::int32_t& dashcount) {
  dashcount = 0;
  text.clear();
  while (ch_ == '-' || ch_ == '/') {
    ++dashcount;
    nextch();
    if (atlineend(ch_)) return false;
  }
  return nextident(text);
}

bool tminiparser::nextindex(q5rt::sstr& text) {
  text.clear();
  if (!skipbl()) return false;
  if (isletter(ch_)) return nextident(text);
  if (ch_ == '\'' || ch_ == '"') {
    const char quote = ch_;
    nextch();
    q5rt::sstr inner;
    while (!atlineend(ch_) && ch_ != quote) {
      put(inner, ch_);
      nextch();
    }
    nextch();
    const char q[1] = {quote};
    std::string_view body = inner.view();
    while (!body.empty() && static_cast<unsigned char>(body.back()) <= ' ') body.remove_suffix(1);
    text = q5rt::concat(std::string_view(q, 1), body, std::string_view(q, 1));
    return true;
  }
  if (ch_ == '*') {
    text.append_cut('*');
    nextch();
    return true;
  }
  return false;
}

bool tminiparser::nexttoken(q5rt::sstr& text) {
  text.clear();
  if (!skipbl()) return false;
  if (ch_ != '"') {
    while (!istokenend(ch_)) {
      put(text, ch_);
      nextch();
    }
    return true;
  }
  nextch();
  if (atlineend(ch_)) return false;
  bool inner = false;
  for (;;) {
    const char stored = ch_;
    put(text, stored);
    nextch();
    if (atlineend(ch_)) break;
    if (stored != '"') continue;
    if (isseparatorafterquote(ch_)) {
      if (!inner) break;
      inner = false;
    } else {
      inner = !inner;
    }
  }
  if (!text.empty() && text[text.size() - 1] == '"') {
    text.set_length(text.size() - 1);
    return true;
  }
  return false;
}

bool tminiparser::nextinteger(std::int32_t& value) {
  q5rt::sstr token;
  if (!nexttoken(token)) return false;
  return strutilx::strasintex2(token.view(), value);
}

bool tminiparser::nextdouble(double& value) {
  q5rt::sstr token;
  if (!nexttoken(token)) return false;
  return strutilx::strasdoubleex(token.view(), value);
}

q5rt::sstr tminiparser::restofline() {
  q5rt::sstr text;
  if (!skipbl()) return text;
  while (!atlineend(ch_)) {
    put(text, ch_);
    nextch();
  }
  std::size_t n = text.size();
  while (n > 0 && isblank(text[n - 1])) --n;
  text.set_length(n);
  return text;
}

bool tminiparser::skiptochar(char c) {
  (void)skipbl();
  if (ch_ != c) return false;
  nextch();
  return true;
}

bool tminiparser::skiptochars(const strutilx::charset& set, char& c) {
  (void)skipbl();
  c = ch_;
  if (!set.contains(c)) return false;
  nextch();
  return true;
}

bool tminiparser::skipbecomes() {
  bool seen = false;
  return skipbecomesex(seen);
}

bool tminiparser::skipbecomesex(bool& seen) {
  seen = false;
  const bool first = skipbl();
  if (ch_ == '=') {
    nextch();
    seen = true;
    return skipbl();
  }
  if (ch_ == ':') {
    nextch();
    if (ch_ != '=') return false;
    nextch();
    seen = true;
    return skipbl();
  }
  return first;
}

}  // namespace miniparser
