// Helpers shared by the parts of unit gcutil: numbers in names, the column prefix, and
// what the EMP record says about names.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "frame/q5rt.h"
#include "frame/q5text.h"
#include "funclib/mathnew.h"

namespace gcutil::detail {

// Function numbers of the function library that the tree code treats by name.
namespace fn = mathnew::fn;

// rPower, cvPower or vcPower.
[[nodiscard]] constexpr bool rootpower(std::int32_t f) {
  return f == fn::rpower || f == fn::cvpower || f == fn::vcpower;
}

// Decimal text without blanks.
[[nodiscard]] q5rt::sstr num(std::int64_t v);
// The column's type prefix ("x", "b", ...); "x" for a column without a known type.
[[nodiscard]] std::string_view prefix(std::int32_t c);
// The column's type, -1 outside 1..cols.
[[nodiscard]] std::int32_t coltype(std::int32_t c);
// The column's SOS set (bound kind of a continuous column), 0 outside 1..cols.
[[nodiscard]] std::int32_t colsosset(std::int32_t c);
// "_" and the current follower when the EMP record assigns the row (column) to it.
[[nodiscard]] q5rt::sstr rowfollower(std::int32_t r);
[[nodiscard]] q5rt::sstr colfollower(std::int32_t c);
// Whether colfollower(c) is not empty (a test without building a short string).
[[nodiscard]] bool colfollows(std::int32_t c);
// The number under which the EMP record writes the column (a QVI parameter column is
// written as its original column); the column itself otherwise.
[[nodiscard]] std::int32_t empcolumn(std::int32_t c);
// True when the EMP record writes the column under another number.
[[nodiscard]] bool emprenumbered(std::int32_t c);
// Prefix, column number (EMP renumbering applied) and follower suffix.
[[nodiscard]] q5rt::sstr plaincolname(std::int32_t c);
// An SOS1 or SOS2 column.
[[nodiscard]] bool issos(std::int32_t c);

// One output line built in place and written with one call: the writers' inner loops
// write millions of short lines. Pieces past the buffer are cut.
class linebuf {
 public:
  linebuf& add(std::string_view text) {
    const std::size_t n = std::min(text.size(), sizeof buf_ - n_);
    std::copy_n(text.data(), n, buf_ + n_);
    n_ += n;
    return *this;
  }
  linebuf& add(char c) { return add(std::string_view(&c, 1)); }
  linebuf& add(std::int64_t v);
  // The number text of strutilx::dbltostr.
  linebuf& number(double x);
  // text filled with blanks on the right to width characters (cut at width when cut).
  linebuf& field(std::string_view text, std::size_t width, bool cut);
  void writeln(q5rt::textfile& f);

 private:
  char buf_[248];
  std::size_t n_ = 0;
};

}  // namespace gcutil::detail

namespace ctvnl {
enum class opcode : std::uint8_t;
}

namespace gcutil {
// The instruction's 10-character name; an opcode byte outside the table by its number.
[[nodiscard]] q5rt::sstr opname(ctvnl::opcode op);
}  // namespace gcutil
