// The line writer of written models: statements longer than a line are wrapped between
// pieces onto indented continuation lines; declaration lists; a block writer with a
// header line; blank filling.
//
// Usage:
//   liutil::liset(file, 79, 3);          // current file, width, base indent
//   liutil::lifirst("e1: ", 4);          // a statement, continuation indent 4
//   liutil::linext("x1"); liutil::linext(" + "); liutil::linext("x2");
//   liutil::lilast(";");                 // ends the statement and the line
//   liutil::declaliststart("Binary Variables");
//   liutil::declalistitem("b1"); liutil::declalistitem("b2");
//   liutil::declaliststop();             // "Binary Variables  b1,b2;"
//   liutil::liend();
//
// A piece is never split: a piece that would pass the width starts a continuation line
// first (a line may be exactly width long). An indent below 0 selects the fixed-column
// style: width 72, statements in column 7, continuation lines marked "     .". A statement
// reaches the file as one write when it ends (lilast, the next lifirst or list, liset,
// liend): write nothing else to the current file while a statement is open. Calls that
// need a current file while none is set write an "LI:... NOT SET " line with the text to
// the error file (standard output unless lierror sets another) and change nothing.
#pragma once

#include <cstdint>
#include <string_view>

#include "frame/q5rt.h"
#include "frame/q5text.h"

namespace liutil {

void liset(q5rt::textfile& file, std::int32_t width, std::int32_t indent);
void liend();
void lierror(q5rt::textfile& file);
// The current file, nullptr when none is set.
[[nodiscard]] q5rt::textfile* li();

void lifirst(std::string_view text, std::int32_t indent);
void linext(std::string_view text);
void lileft(std::string_view text, std::int32_t reserve);
void lilast(std::string_view text);

// A keyword, two blanks and the items separated by commas, closed by ";"; continuation
// lines indented by 10. A list without items writes nothing.
void declaliststart(std::string_view keyword);
void declalistitem(std::string_view item);
void declaliststop();

// Blocks: the header goes on a line of its own before the block's first line.
void vfsetfile(q5rt::textfile& file);
void vfblockstart(std::string_view header);
void vfstart(std::string_view text);
void vfadd(std::string_view text);
void vfwhole(std::string_view text);
void vffinish();
void vfblockstop();

// The text filled with blanks to length (on the right, on the left); a text at least
// length long is returned unchanged.
[[nodiscard]] q5rt::sstr padright(std::string_view text, std::int32_t length);
[[nodiscard]] q5rt::sstr padleft(std::string_view text, std::int32_t length);

}  // namespace liutil
