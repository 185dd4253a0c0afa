// The line writer's one state: current file, width, position and indents.
#include "baron/liutil.h"

#include <algorithm>

#include "frame/charcursor.h"

namespace liutil {

namespace {

constexpr std::int32_t fixedwidth = 72;
constexpr std::int32_t fixedindent = 6;
constexpr std::string_view fixedmark = "     .";
constexpr std::int32_t declaindent = 10;

q5rt::textfile* current = nullptr;
q5rt::textfile* errfile = nullptr;  // nullptr: standard output
charcursor::textbuffer text;        // the statement being written: one write when it ends
std::int32_t width = 1;
std::int32_t position = 0;
std::int32_t baseindent = 0;
std::int32_t contindent = 0;

q5rt::sstr declaname;
std::int32_t declaitems = 0;

q5rt::textfile* vffp = nullptr;
q5rt::sstr vfname;
bool vfismidline = false;
std::int32_t vfcount = 0;

bool fixedstyle() { return baseindent < 0; }

std::int32_t len(std::string_view text) { return static_cast<std::int32_t>(text.size()); }

// Reports a call that needs a current file while none is set.
bool notset(std::string_view what, std::string_view piece) {
  if (current != nullptr) return false;
  q5rt::textfile& f = errfile != nullptr ? *errfile : q5rt::output();
  f.write(what);
  f.writeln(piece);
  return true;
}

void flush() {
  if (text.empty()) return;
  struct clearer {
    ~clearer() { text.clear(); }  // also when the write throws: never written twice
  } const cleared;
  current->write(text.view());
}

// Ends the statement: an open line gets its line end, the text goes to the file.
void endline() {
  if (position > 0) text += '\n';
  flush();
  position = 0;
}

// Ends the line and begins a continuation line; the position is the indent.
void wrap(bool mark) {
  text += '\n';
  if (fixedstyle() && mark) {
    text += fixedmark;
  } else {
    text.append(static_cast<std::size_t>(contindent), ' ');
  }
  position = contindent;
}

// A piece of n characters (with reserve more to come) wraps first when it would pass
// the width.
void makeroom(std::int32_t n, std::int32_t reserve, bool mark) {
  if (position + n + reserve > width) wrap(mark);
}

void put(std::string_view piece) {
  text += piece;
  position += len(piece);
}

void blockheader() {
  vffp->writeln();
  vffp->writeln(vfname);
}

}  // namespace

void liset(q5rt::textfile& file, std::int32_t w, std::int32_t indent) {
  if (current != nullptr) endline();
  current = &file;
  position = 0;
  if (indent >= 0) {
    width = w <= 0 ? 1 : w;
    baseindent = std::min(indent, width - 1);
    contindent = baseindent;
  } else {
    width = fixedwidth;
    baseindent = -1;
    contindent = fixedindent;
  }
}

void liend() {
  if (current != nullptr) endline();
  current = nullptr;
}

void lierror(q5rt::textfile& file) { errfile = &file; }

q5rt::textfile* li() { return current; }

void lifirst(std::string_view piece, std::int32_t indent) {
  if (notset("LI:first NOT SET ", piece)) return;
  endline();
  if (fixedstyle()) {
    text.append(static_cast<std::size_t>(fixedindent), ' ');
    position = fixedindent;
    contindent = fixedindent;
  } else {
    contindent = std::max(std::min(indent, width - 1), 0);
  }
  put(piece);
}

void linext(std::string_view piece) {
  if (notset("LI:next  NOT SET ", piece)) return;
  if (piece.empty()) return;
  makeroom(len(piece), 0, true);
  put(piece);
}

void lileft(std::string_view piece, std::int32_t reserve) {
  if (notset("LI:left  NOT SET ", piece)) return;
  makeroom(len(piece), reserve, false);
  put(piece);
}

void lilast(std::string_view piece) {
  if (notset("LI:last  NOT SET ", piece)) return;
  // An empty end only ends the line: an over-long line gets no empty continuation.
  if (!piece.empty()) makeroom(len(piece), 0, true);
  if (!fixedstyle()) contindent = baseindent;
  put(piece);
  text += '\n';
  flush();
  position = 0;
}

void declaliststart(std::string_view keyword) {
  declaname.assign_cut(keyword);
  declaitems = 0;
}

void declalistitem(std::string_view item) {
  if (declaitems == 0) {
    lilast("");
    lifirst(q5rt::concat(declaname, "  "), declaindent);
    lileft(item, 1);
  } else if (current != nullptr) {
    // "," and the item as one piece, without building it first.
    makeroom(len(item) + 1, 1, false);
    put(",");
    put(item);
  } else {
    lileft(q5rt::concat(",", item), 1);  // reports the missing file
  }
  ++declaitems;
}

void declaliststop() {
  if (declaitems > 0) lilast(";");
}

void vfsetfile(q5rt::textfile& file) { vffp = &file; }

void vfblockstart(std::string_view header) {
  vfname.assign_cut(header);
  vfismidline = false;
  vfcount = 0;
}

void vfstart(std::string_view text) {
  vffinish();
  if (vfcount == 0) blockheader();
  vffp->write(text);
  vfismidline = true;
  ++vfcount;
}

void vfadd(std::string_view text) {
  if (vfismidline) {
    vffp->write(text);
    return;
  }
  vfstart(text);
}

void vfwhole(std::string_view text) {
  vfstart(text);
  vffinish();
}

void vffinish() {
  if (!vfismidline) return;
  vffp->writeln();
  vfismidline = false;
}

void vfblockstop() { vffinish(); }

q5rt::sstr padright(std::string_view text, std::int32_t length) {
  q5rt::sstr s = q5rt::sstr::cut(text);
  while (static_cast<std::int32_t>(s.size()) < length && s.size() < s.capacity) s.append_cut(' ');
  return s;
}

q5rt::sstr padleft(std::string_view text, std::int32_t length) {
  const std::int32_t fill = std::max(length - len(text), 0);
  q5rt::sstr s;
  for (std::int32_t i = 0; i < fill; ++i) s.append_cut(' ');
  s.append_cut(text);
  return s;
}

}  // namespace liutil
