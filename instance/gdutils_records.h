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

}  // namespace gdutils
