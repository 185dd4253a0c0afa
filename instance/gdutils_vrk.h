// Layout 5 of the scratch-file handle: the handle's data-exchange object (instance/scrvrk.h)
// and the record routines of the matrix, instruction-code and solution files on it. The
// record routines of gdutils_records.h and gdutils_solution.h come here for a handle of
// that layout; a failed record fails the handle with the object's message, which the close
// then prints ("*** Problems in CloseMod: ").
//
// Usage (a writer of a model instance in layout 5; the matrix handle holds the whole file):
//   gdutils::modfileptr h = gdutils::cwmat(rc, 5, 0, 0, name);
//   gdutils::sethavenlnz(*h);                            // before the first column
//   ... wrmatrow / wrmatcol / wrmatdat ...
//   gdutils::getscrvrkptr(*h)->writenlinstr(row, opcode, operand);  ... writeconstpool(v);
//   (void)gdutils::closemod(h);
#pragma once

#include <cstdint>

#include "bindings/bindproto.h"
#include "instance/gdutils_records.h"
#include "instance/gdutils_solution.h"
#include "instance/scrvrk.h"

namespace gdutils {

// The handle's object; none outside layout 5.
[[nodiscard]] scrvrk::tscratchvrk* getscrvrkptr(tmodfile& h);
// Layout 5: the column symbol carries the nonlinear flag. Nothing in other layouts.
void sethavenlnz(tmodfile& h);
// Layout 5: writes the dictionary into the file (0 done, 1 failed); other layouts 0.
std::int32_t scrvrkwritedictionary(tmodfile& h, bindproto::handle dct);

namespace vrk {

// Creates the handle's object on its name: 0, or vrkopenfailed with the line
// "*** OpenMod for <name> failed: <message>" on standard output.
[[nodiscard]] std::int32_t open(tmodfile& h);
// Finishes the object: 0, or vrkopenfailed with "*** Problems in CloseMod: <message>".
[[nodiscard]] std::int32_t close(tmodfile& h);

[[nodiscard]] bool rdmatrow(tmodfile& h, matrow& r);
[[nodiscard]] bool rdmatcol(tmodfile& h, matcol& c);
[[nodiscard]] bool rdmatdat(tmodfile& h, matdat& e);
void wrmatrow(tmodfile& h, const matrow& r);
void wrmatcol(tmodfile& h, const matcol& c);
void wrmatdat(tmodfile& h, const matdat& e);
[[nodiscard]] bool rdcodrec(tmodfile& h, std::int32_t& opcode, std::int32_t& operand);
[[nodiscard]] bool rdcodpool(tmodfile& h, std::int32_t& count);
[[nodiscard]] bool rdcodconst(tmodfile& h, double& value);
// Nothing is left behind the last column.
[[nodiscard]] bool atend(const tmodfile& h);

void wrsolheadtail(tmodfile& h, std::int32_t index, double value);
void wrsolrecex(tmodfile& h, const solrec& r);
[[nodiscard]] bool rdsolheadtail(tmodfile& h, std::int32_t& index, double& value);
[[nodiscard]] bool rdsolrecex(tmodfile& h, solrec& r);

}  // namespace vrk
}  // namespace gdutils
