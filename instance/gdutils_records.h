// The records of the instruction-code file and of the matrix file, in the text layout and
// the binary layouts of gdutils_scratch.h, each with its writer and its reader.
//
// Instruction-code file, in calling order: wrcodhead, one wrcodrec per instruction,
// wrcodreloc, wrcodpool (count), one wrcodconst per constant, closemod. Text layout:
//   $NL CODE / "opcode operand" lines / $VARIABLE RELOCATION TABLE / 0 /
//   $CONSTANT POOL / count / one constant a line
// Binary: per instruction the opcode byte, a size tag byte and the operand (tag 0 a byte
// for -128..126, tag 1 16-bit for 127..32766, tag 2 32-bit otherwise); then 32-bit 0,
// 32-bit count and one double per constant.
//
// Matrix file: wrmathead, one wrmatrow per row, then per column one wrmatcol and its
// wrmatdat entries. The optional fields follow the handle's flags (duals, nonzero
// counts, matches, scale values, priorities).
//
// Readers return false once the handle has failed (its errmsg names the file and the
// line or record): a missing or malformed text number, a binary file read past its end,
// or a binary code that no writer produces. Values are not range-checked here; the
// loader checks counts, rows, columns and types against the model's sizes.
//
// Usage:
//   gdutils::matrow r;
//   if (!gdutils::rdmatrow(*h, r)) return report(h->errmsg);
//   for (int k = 0; k < col.nzcount; ++k) { gdutils::matdat e; if (!gdutils::rdmatdat(*h, e)) ...}
#pragma once

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "instance/gdutils_scratch.h"

namespace gdutils {

inline constexpr std::string_view codhead = "$NL CODE";
inline constexpr std::string_view codreloc = "$VARIABLE RELOCATION TABLE";
inline constexpr std::string_view codpool = "$CONSTANT POOL";

// A row of the matrix file. Absent fields read as below (scale 1).
struct matrow {
  std::int32_t type = 0;          // 0..6 =E= =G= =L= =N= =X= =C= =B=
  std::int32_t marginalflag = 0;  // 1: the marginal is carried
  double rhs = 0.0;
  double level = 0.0;
  double marginal = 0.0;
  std::int32_t nzcount = 0;
  double scale = 1.0;
  std::int32_t match = 0;
};

// A column of the matrix file; its Jacobian entries follow it (nzcount of them).
struct matcol {
  std::int32_t nzcount = 0;
  std::int32_t marginalflag = 0;
  double lower = 0.0;
  double level = 0.0;
  double upper = 0.0;
  std::int32_t type = 0;  // 0..6 continuous, binary, integer, SOS1, SOS2, semicont, semiint
  std::int32_t sosset = 0;
  double priority = 1.0;
  double marginal = 0.0;
  double scale = 1.0;
};

// A Jacobian entry of the current column.
struct matdat {
  std::int32_t row = 0;
  double value = 0.0;
  bool nonlin = false;
};

// ---- instruction-code file ----
void wrcodhead(tmodfile& h);
[[nodiscard]] bool rdcodhead(tmodfile& h);  // skips the line (text); nothing in the binary layouts
void wrcodrec(tmodfile& h, std::uint8_t opcode, std::int32_t operand);
// The opcode as read (text: any integer; binary: 0..255); the loader checks its range.
[[nodiscard]] bool rdcodrec(tmodfile& h, std::int32_t& opcode, std::int32_t& operand);
void wrcodreloc(tmodfile& h);
[[nodiscard]] bool rdcodreloc(tmodfile& h);
void wrcodrevar(tmodfile& h, std::int32_t variable);  // entry: -variable
void wrcodrepos(tmodfile& h, std::int32_t position);
[[nodiscard]] bool rdcodrepos(tmodfile& h, std::int32_t& entry);
// Ends the relocation table and starts the pool with its count.
void wrcodpool(tmodfile& h, std::int32_t count);
// Text: skips the pool's title line and reads the count.
[[nodiscard]] bool rdcodpool(tmodfile& h, std::int32_t& count);
void wrcodconst(tmodfile& h, double value);
[[nodiscard]] bool rdcodconst(tmodfile& h, double& value);

// ---- matrix file ----
void wrmathead(tmodfile& h);
[[nodiscard]] bool rdmathead(tmodfile& h);
void wrmatrow(tmodfile& h, const matrow& r);
[[nodiscard]] bool rdmatrow(tmodfile& h, matrow& r);
void wrmatcol(tmodfile& h, const matcol& c);
[[nodiscard]] bool rdmatcol(tmodfile& h, matcol& c);
void wrmatdat(tmodfile& h, const matdat& e);
[[nodiscard]] bool rdmatdat(tmodfile& h, matdat& e);

// ---- unframed payload in memory ----
// Layouts 1 and 4 frame nothing: the bytes of such a file are its payload, one stream,
// and a record can be read from its byte offset without reading the records in front of
// it. A payload cursor reads matrix records from the bytes of a reading handle, with the
// handle's flags and special values; any number of cursors may read one handle at once.
// A cursor that fails (a read past its end, a code no writer produces) only says so: the
// handle's own readers give the message.
//   if (gdutils::unframed(*h)) {
//     gdutils::payloadcursor c = gdutils::payloadat(*h, gdutils::matheadbytes);
//     gdutils::matrow r;
//     if (!gdutils::rdmatrow(c, r)) ...;
//   }
inline constexpr std::size_t matheadbytes = 48;  // the six doubles of the head

struct payloadcursor {
  const tmodfile* file = nullptr;
  const unsigned char* at = nullptr;
  const unsigned char* end = nullptr;
  bool failed = false;
  [[nodiscard]] std::size_t offset() const {
    const auto* first = reinterpret_cast<const unsigned char*>(file->input.data());
    return static_cast<std::size_t>(at - first);
  }
};

// A reading handle of an unframed binary layout.
[[nodiscard]] bool unframed(const tmodfile& h);
// A cursor at the payload byte offset (a failed one behind the end).
[[nodiscard]] payloadcursor payloadat(const tmodfile& h, std::size_t offset);
[[nodiscard]] bool rdmatrow(payloadcursor& c, matrow& r);
[[nodiscard]] bool rdmatcol(payloadcursor& c, matcol& col);
[[nodiscard]] bool rdmatdat(payloadcursor& c, matdat& e);

namespace detail {
// An item cut by the end keeps the bytes there are, the rest zero, as a handle does.
[[nodiscard]] inline std::uint64_t rdcut(payloadcursor& c) {
  std::uint64_t bits = 0;
  for (int i = 0; c.at < c.end; ++i) bits |= std::uint64_t{*c.at++} << (8 * i);
  c.failed = true;
  return bits;
}
template <int N>
[[nodiscard]] inline std::uint64_t rdle(payloadcursor& c) {
  if (c.end - c.at < N) return rdcut(c);
  std::uint64_t bits = 0;
  for (int i = 0; i < N; ++i) bits |= std::uint64_t{c.at[i]} << (8 * i);
  c.at += N;
  return bits;
}
}  // namespace detail

[[nodiscard]] inline std::int32_t rdu8(payloadcursor& c) {
  return static_cast<std::int32_t>(detail::rdle<1>(c));
}
[[nodiscard]] inline std::int32_t rdi8(payloadcursor& c) {
  return static_cast<std::int8_t>(detail::rdle<1>(c));
}
[[nodiscard]] inline std::int32_t rdi16(payloadcursor& c) {
  return static_cast<std::int16_t>(detail::rdle<2>(c));
}
[[nodiscard]] inline std::int32_t rdi32(payloadcursor& c) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(detail::rdle<4>(c)));
}
[[nodiscard]] inline double rdr8(payloadcursor& c) {
  const double v = std::bit_cast<double>(detail::rdle<8>(c));
  return std::isfinite(v) ? v : detail::nonfinite(*c.file, v);
}

// Past n bytes; false (and the cursor failed, at the end) when fewer are left.
[[nodiscard]] inline bool skipbytes(payloadcursor& c, std::ptrdiff_t n) {
  if (c.end - c.at < n) {
    c.failed = true;
    c.at = c.end;
    return false;
  }
  c.at += n;
  return !c.failed;
}

// Past one row: its tags and the handle's flags give its length. False (and the cursor
// failed) where reading it fails.
[[nodiscard]] inline bool skipmatrow(payloadcursor& c) {
  const tmodfile& f = *c.file;
  const std::int32_t tag = rdu8(c);
  const bool marginal = ((tag >> 2) & 1) != 0;
  const int doubles =
      (((tag >> 3) & 3) == 3) + ((tag & 32) != 0) + (f.duals && marginal) + ((tag & 64) != 0);
  if (!skipbytes(c, 8 * doubles)) return false;
  if (!f.nzcount && !f.matches) return true;
  const std::int32_t tag2 = rdu8(c);
  const int countwidth = tag2 & 3;
  const int matchcode = (tag2 >> 2) & 3;
  if (matchcode == 2) c.failed = true;
  const std::ptrdiff_t countbytes = countwidth == 0 ? 0 : std::ptrdiff_t{1} << (countwidth - 1);
  return skipbytes(c, countbytes + (matchcode == 3 ? 4 : 0));
}

// Past one column, with its nonzero count: its codes and the handle's flags give its
// length. False (and the cursor failed) where reading it fails.
[[nodiscard]] inline bool skipmatcol(payloadcursor& c, std::int32_t& nzcount) {
  const tmodfile& f = *c.file;
  const std::int32_t b1 = rdu8(c);
  const std::int32_t b2 = rdu8(c);
  const std::int32_t type = rdi8(c);
  const int relation = b1 & 3;
  const int countwidth = (b1 >> 2) & 3;
  const int lowercode = (b1 >> 4) & 7;
  const int uppercode = b2 & 7;
  const int soswidth = (b2 >> 3) & 3;
  if (relation == 3 || countwidth == 3 || lowercode == 5 || lowercode == 6 || uppercode > 4 ||
      soswidth == 3) {
    c.failed = true;
  }
  nzcount = countwidth == 0 ? rdi8(c) : countwidth == 1 ? rdi16(c) : rdi32(c);
  const bool marginal = ((b2 >> 6) & 1) != 0;
  const int doubles = (lowercode == 7) + ((b2 & 32) != 0) + (uppercode == 4) +
                      (f.priority && type != 0) + (f.duals && marginal);
  if (!skipbytes(c, (std::ptrdiff_t{1} << soswidth) + 8 * doubles)) return false;
  if (!f.scalevalues) return true;
  const std::int32_t scalecode = rdu8(c);
  if (scalecode > 1) c.failed = true;
  return skipbytes(c, scalecode == 1 ? 8 : 0);
}

// Past one Jacobian entry, with its row: its value is skipped. False (and the cursor
// failed) for an entry that runs past the end or a tag that no writer produces. (This
// walks a whole file ahead of its reading: an entry far from the end is taken in one go.)
[[nodiscard]] inline bool skipmatdat(payloadcursor& c, std::int32_t& row) {
  constexpr std::ptrdiff_t longest = 13;  // tag, 32-bit row, double
  if (c.end - c.at >= longest + 3) {      // the row is loaded as 4 bytes
    const unsigned tag = c.at[0];
    const unsigned width = tag & 3;
    if (width != 3) {
      std::uint32_t bits = 0;
      for (int i = 0; i < 4; ++i) bits |= std::uint32_t{c.at[1 + i]} << (8 * i);
      const unsigned unused = 32 - (8U << width);  // above the row's bytes
      row = static_cast<std::int32_t>(bits << unused) >> unused;
      c.at += 1 + (1 << width) + ((tag & 12) == 12 ? 8 : 0);
      return true;
    }
  }
  const std::int32_t tag = rdu8(c);
  const int width = tag & 3;
  row = width == 0 ? rdi8(c) : width == 1 ? rdi16(c) : rdi32(c);
  if (width == 3) c.failed = true;
  if (c.failed) return false;
  if ((tag & 12) != 12) return true;
  if (c.end - c.at < 8) {
    c.failed = true;
    return false;
  }
  c.at += 8;
  return true;
}

}  // namespace gdutils
