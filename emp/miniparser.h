// A small line-oriented lexer: the characters of one source one at a time, with a line
// feed (10) after each line and the end-of-input character (26) once the source is
// exhausted, and token readers on top (identifiers, keys, index elements, tokens, numbers,
// the rest of a line). Every line read can be copied into an echo list.
//
// Sources: a text file (lines of up to 1020 characters; empty lines and lines with "*" in
// column 1 are skipped; a longer line is cut and flags isinputtoolong), the same from a text
// in memory (readfromtext, the seam for tests and fuzzing), one short string, one
// zero-terminated text read in place, or a line callback.
//
// Usage:
//   miniparser::tminiparser p(nullptr, false, {});
//   int err = 0;
//   if (!p.fileopen("model.emp", err)) fail(err);
//   while (p.nextline()) { q5rt::sstr id; if (p.skipbl() && p.nextident(id)) ... }
//
// Every text result is a short string: beyond 255 characters each further character
// overwrites the 255th. Readers start at the current character and leave the first
// character after what they consumed current; they report by their boolean result.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "frame/q5rt.h"
#include "frame/strutilx.h"

namespace zlmobj {
class txstringlist;
}

namespace miniparser {

inline constexpr char linefeed = 10;
inline constexpr char endofinput = 26;
inline constexpr std::int32_t filelinelimit = 1020;
inline constexpr char echocontinued = static_cast<char>(187);

// Delivers the next line into line; false when there is none. state belongs to the callback.
using linecallback = bool (*)(q5rt::sstr& line, std::int32_t& state);

enum class sourcekind : std::uint8_t { file = 0, shortstring = 1, pchar = 2, callback = 3 };

class tminiparser {
 public:
  tminiparser(zlmobj::txstringlist* echolist, bool echoon, const strutilx::charset& comments);
  tminiparser(const tminiparser&) = delete;
  tminiparser& operator=(const tminiparser&) = delete;
  ~tminiparser();

  // Opens the file for reading; errorcode is the system's error number (0 on success).
  bool fileopen(std::string_view filename, std::int32_t& errorcode);
  // Reads the text as the file source reads a file (the text must outlive the reading).
  void readfromtext(std::string_view data);
  void readfromstr(std::string_view text);
  void readfrompchar(const char* text);
  void readfromcb(linecallback callback);
  void echoset(bool on) { echoon_ = on; }
  // Lines of a file are taken whole from the block read where it holds their end; on: byte
  // by byte always (the reference the tests hold the block scan against).
  void bytewise(bool on) { bytewise_ = on; }

  // The next line, its first character current; true when that line is not empty.
  bool nextline();
  void nextch();
  void skiptoeol() { pos_ = linelen_; }
  [[nodiscard]] char charfrombuf(std::int32_t position) const;
  [[nodiscard]] bool isinputtoolong() const { return kind_ == sourcekind::file && toolong_; }
  void flushecho();

  bool skipbl();
  bool nextident(q5rt::sstr& text);
  bool nextidentx(q5rt::sstr& text);
  bool nextidentdig(q5rt::sstr& text);
  bool nextkey(q5rt::sstr& text, std::int32_t& dashcount);
  bool nextindex(q5rt::sstr& text);
  bool nexttoken(q5rt::sstr& text);
  bool nextinteger(std::int32_t& value);
  bool nextdouble(double& value);
  q5rt::sstr restofline();
  bool skiptochar(char c);
  bool skiptochars(const strutilx::charset& set, char& c);
  bool skipbecomes();
  bool skipbecomesex(bool& seen);

  [[nodiscard]] char ch() const { return ch_; }
  [[nodiscard]] std::int32_t position() const { return pos_; }
  [[nodiscard]] std::int32_t linelength() const { return linelen_; }
  [[nodiscard]] std::int32_t linenumber() const { return linenr_; }

 private:
  void closefile();
  void filllinebuffromfile();
  void filllinebuffromcb();
  void readline(std::int32_t& n, std::int32_t& probe);
  [[nodiscard]] bool takeline(std::int32_t& n, std::int32_t& probe);
  [[nodiscard]] int getbyte();
  void ungetbyte(int c);
  [[nodiscard]] bool ateof();
  void collect(q5rt::sstr& text, bool (*member)(char));
  [[nodiscard]] std::string_view currentline() const;

  std::FILE* file_ = nullptr;
  bool fileopen_ = false;
  std::string_view data_;  // the in-memory file, or the part of the file read so far
  std::size_t datapos_ = 0;
  std::unique_ptr<char[]> filebuf_;  // the file is read in blocks
  bool toolong_ = false;
  bool bytewise_ = false;
  char ch_ = endofinput;
  char line_[filelinelimit] = {};
  const char* pchar_ = nullptr;
  std::int32_t pos_ = 0;
  std::int32_t linelen_ = 0;
  std::int32_t cbstate_ = 0;
  linecallback callback_ = nullptr;
  std::int32_t linenr_ = 0;
  sourcekind kind_ = sourcekind::file;
  zlmobj::txstringlist* echolist_;
  bool echoon_;
  strutilx::charset comments_;
};

}  // namespace miniparser
