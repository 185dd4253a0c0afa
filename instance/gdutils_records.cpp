// Records of the instruction-code and matrix files. The binary writers pick the shortest
// coded form of each field (a coded constant, the narrowest integer width); the readers
// undo it in the same order and refuse codes that no writer produces.
#include "instance/gdutils_records.h"

#include <algorithm>

#include "frame/q5rt.h"
#include "frame/strutilx_numbers.h"
#include "instance/gdutils_vrk.h"

namespace gdutils {

namespace {

// Special values of the handle by position.
constexpr std::size_t pin = 2;
constexpr std::size_t min = 3;

// Width code of an integer: 0 a byte (-128..127), 1 16-bit (128..32767), 2 32-bit (all
// others, negative ones below -128 too: never a cut value).
constexpr int widthof(std::int32_t v) {
  if (v >= -128 && v <= 127) return 0;
  if (v >= 128 && v <= 32767) return 1;
  return 2;
}

// The operand's size tag: a byte up to 126, 16-bit from 127 to 32766, else 32-bit.
constexpr int operandtag(std::int32_t v) {
  if (v >= -128 && v <= 126) return 0;
  if (v >= 127 && v <= 32766) return 1;
  return 2;
}

void wrwidth(tmodfile& h, int width, std::int32_t v) {
  switch (width) {
    case 0:
      return wri8(h, v);
    case 1:
      return wri16(h, v);
    default:
      return wri32(h, v);
  }
}

template <typename Source>
std::int32_t rdwidth(Source& h, int width) {
  switch (width) {
    case 0:
      return rdi8(h);
    case 1:
      return rdi16(h);
    default:
      return rdi32(h);
  }
}

// "unknown <what> <code>": a code that no writer produces. A payload cursor only keeps
// that it failed.
bool failcode(tmodfile& h, std::string_view what, int code) {
  return fail(h, q5rt::concat("unknown ", what, " ", strutilx::inttostrw(code, 0)));
}
bool failcode(payloadcursor& c, std::string_view /*what*/, int /*code*/) {
  c.failed = true;
  return false;
}

// The code of 0, 1 and -1 (0, 1, 2), else 3: a double follows. Exact comparisons: -0.0
// is 0, a NaN is stored as a double.
constexpr int unitcode(double v) {
  if (v == 0.0) return 0;
  if (v == 1.0) return 1;
  if (v == -1.0) return 2;
  return 3;
}
constexpr double unitvalue(int code) { return code == 1 ? 1.0 : code == 2 ? -1.0 : 0.0; }

template <typename Source>
double rdvalue(Source& h, int code) {
  return code == 3 ? rdr8(h) : unitvalue(code);
}

template <typename Source>
bool ok(const Source& h) {
  return !h.failed;
}

// The handle whose flags and special values a binary record follows.
const tmodfile& fileof(const tmodfile& h) { return h; }
const tmodfile& fileof(const payloadcursor& c) { return *c.file; }

// A text record's fields are listed once (rowfields, colfields, datfields) and moved by
// one of these: textout writes each field, textin reads it; eol ends a line.
struct textout {
  tmodfile& h;
  void operator()(std::int32_t v) const { wrtxint(h, v); }
  void operator()(double v) const { wrtxreal(h, v); }
  void operator()(bool v) const { wrtxint(h, v ? 1 : 0); }
  void eol() const { wrtxeol(h); }
};
struct textin {
  tmodfile& h;
  void operator()(std::int32_t& v) const { v = rdtxint(h); }
  void operator()(double& v) const { v = rdtxreal(h); }
  void operator()(bool& v) const { v = rdtxint(h) != 0; }
  void eol() const { rdtxeol(h); }
};

// Row: type, rhs, marginal flag and level, then marginal, count, scale and match as the
// handle's flags ask.
template <typename Row, typename Io>
void rowfields(const tmodfile& h, Row& r, const Io& io) {
  io(r.type), io(r.rhs), io(r.marginalflag), io(r.level);
  if (h.duals) io(r.marginal);
  if (h.nzcount) io(r.nzcount);
  if (h.scalevalues) io(r.scale);
  if (h.matches) io(r.match);
  io.eol();
}

// Column: count, bounds and level, marginal flag, type and SOS set, then marginal and
// scale as the flags ask; a discrete column's priority on a line of its own.
template <typename Col, typename Io>
void colfields(const tmodfile& h, Col& c, const Io& io) {
  io(c.nzcount), io(c.lower), io(c.level), io(c.upper), io(c.marginalflag), io(c.type);
  io(c.sosset);
  if (h.duals) io(c.marginal);
  if (h.scalevalues) io(c.scale);
  io.eol();
  if (h.priority && c.type != 0) io(c.priority), io.eol();
}

// Jacobian entry: row, value and nonlinear flag.
template <typename Dat, typename Io>
void datfields(Dat& e, const Io& io) {
  io(e.row), io(e.value), io(e.nonlin), io.eol();
}

}  // namespace

// ---- instruction-code file ----

void wrcodhead(tmodfile& h) {
  if (h.istext()) wrtxline(h, codhead);
}

bool rdcodhead(tmodfile& h) {
  if (h.istext()) rdtxeol(h);
  return ok(h);
}

void wrcodrec(tmodfile& h, std::uint8_t opcode, std::int32_t operand) {
  if (h.istext()) {
    wrtxint(h, opcode);
    wrtxint(h, operand);
    return wrtxeol(h);
  }
  const int tag = operandtag(operand);
  wri8(h, opcode);
  wri8(h, tag);
  wrwidth(h, tag, operand);
}

bool rdcodrec(tmodfile& h, std::int32_t& opcode, std::int32_t& operand) {
  if (h.layout == vrklayout) return vrk::rdcodrec(h, opcode, operand);
  if (h.istext()) {
    opcode = rdtxint(h);
    operand = rdtxint(h);
    rdtxeol(h);
    return ok(h);
  }
  opcode = rdu8(h);
  const int tag = rdu8(h);
  operand = 0;
  if (tag > 2) return failcode(h, "instruction size tag", tag);
  operand = rdwidth(h, tag);
  return ok(h);
}

void wrcodreloc(tmodfile& h) {
  if (h.istext()) wrtxline(h, codreloc);
}

bool rdcodreloc(tmodfile& h) {
  if (h.istext()) rdtxeol(h);
  return ok(h);
}

namespace {

void wrcodentry(tmodfile& h, std::int64_t entry) {
  if (h.istext()) {
    wrtxint(h, entry);
    return wrtxeol(h);
  }
  wri32(h, static_cast<std::int32_t>(entry));
}

}  // namespace

void wrcodrevar(tmodfile& h, std::int32_t variable) { wrcodentry(h, -std::int64_t{variable}); }

void wrcodrepos(tmodfile& h, std::int32_t position) { wrcodentry(h, position); }

bool rdcodrepos(tmodfile& h, std::int32_t& entry) {
  if (h.layout == vrklayout) return ok(h);  // no relocation table
  if (h.istext()) {
    entry = rdtxint(h);
    rdtxeol(h);
  } else {
    entry = rdi32(h);
  }
  return ok(h);
}

void wrcodpool(tmodfile& h, std::int32_t count) {
  if (h.istext()) {
    wrtxline(h, "0");
    wrtxline(h, codpool);
    wrtxint(h, count);
    return wrtxeol(h);
  }
  wri32(h, 0);
  wri32(h, count);
}

bool rdcodpool(tmodfile& h, std::int32_t& count) {
  if (h.layout == vrklayout) return vrk::rdcodpool(h, count);
  if (h.istext()) {
    rdtxeol(h);
    count = rdtxint(h);
    rdtxeol(h);
  } else {
    count = rdi32(h);
  }
  return ok(h);
}

void wrcodconst(tmodfile& h, double value) {
  if (h.istext()) {
    wrtxreal(h, value);
    return wrtxeol(h);
  }
  wrr8(h, value);
}

bool rdcodconst(tmodfile& h, double& value) {
  if (h.layout == vrklayout) return vrk::rdcodconst(h, value);
  if (h.istext()) {
    value = rdtxreal(h);
    rdtxeol(h);
  } else {
    value = rdr8(h);
  }
  return ok(h);
}

// ---- matrix file ----

// The head: +infinity, -infinity, undefined, NA, eps and the acronym base.
void wrmathead(tmodfile& h) {
  if (h.layout == vrklayout) return;  // no head
  const double head[] = {h.specials[2], h.specials[3], h.specials[0],
                         h.specials[1], h.specials[4], h.specials[5]};
  for (const double v : head) {
    if (h.istext()) {
      wrtxreal(h, v);
    } else {
      wrr8(h, v);
    }
  }
  if (h.istext()) wrtxeol(h);
}

bool rdmathead(tmodfile& h) {
  if (h.layout == vrklayout) return ok(h);
  if (h.istext()) {
    rdtxeol(h);
  } else {
    for (int i = 0; i < 6; ++i) (void)rdr8(h);
  }
  return ok(h);
}

void wrmatrow(tmodfile& h, const matrow& r) {
  if (h.layout == vrklayout) return vrk::wrmatrow(h, r);
  if (h.istext()) return rowfields(h, r, textout{h});
  Q5_ASSERT(r.type >= 0 && r.type <= 7, "row type outside 0..7");
  const int rhscode = unitcode(r.rhs);
  const bool haslevel = r.level != 0.0;
  const bool hasscale = h.scalevalues && r.scale != 1.0;
  int tag = (r.type & 3) | ((r.type >> 2) << 7) | (rhscode << 3);
  if (r.marginalflag == 1) tag |= 4;
  if (haslevel) tag |= 32;
  if (hasscale) tag |= 64;
  wri8(h, tag);
  if (rhscode == 3) wrr8(h, r.rhs);
  if (haslevel) wrr8(h, r.level);
  if (h.duals && r.marginalflag == 1) wrr8(h, r.marginal);
  if (hasscale) wrr8(h, r.scale);
  if (!h.nzcount && !h.matches) return;
  const int countwidth = !h.nzcount || r.nzcount <= 0 ? 0 : widthof(r.nzcount) + 1;
  const int matchcode = !h.matches || r.match == 0 ? 0 : r.match < 0 ? 1 : 3;
  wri8(h, countwidth | (matchcode << 2));
  if (countwidth > 0) wrwidth(h, countwidth - 1, r.nzcount);
  if (matchcode == 3) wri32(h, r.match);
}

namespace {

// The binary records, from a handle or from a payload cursor.
template <typename Source>
bool rdrowbinary(Source& h, matrow& r) {
  const tmodfile& f = fileof(h);
  const int tag = rdu8(h);
  r.type = (tag & 3) + 4 * (tag >> 7);
  r.marginalflag = (tag >> 2) & 1;
  r.rhs = rdvalue(h, (tag >> 3) & 3);
  if ((tag & 32) != 0) r.level = rdr8(h);
  if (f.duals && r.marginalflag == 1) r.marginal = rdr8(h);
  if ((tag & 64) != 0) r.scale = rdr8(h);
  if (!f.nzcount && !f.matches) return ok(h);
  const int tag2 = rdu8(h);
  const int countwidth = tag2 & 3;
  const int matchcode = (tag2 >> 2) & 3;
  if (matchcode == 2) return failcode(h, "row match code", matchcode);
  if (countwidth > 0) r.nzcount = rdwidth(h, countwidth - 1);
  if (matchcode == 1) r.match = -1;
  if (matchcode == 3) r.match = rdi32(h);
  return ok(h);
}

template <typename Source>
bool rdcolbinary(Source& h, matcol& c) {
  const tmodfile& f = fileof(h);
  const int b1 = rdu8(h);
  const int b2 = rdu8(h);
  c.type = rdi8(h);
  const int relation = b1 & 3;
  const int countwidth = (b1 >> 2) & 3;
  const int lowercode = (b1 >> 4) & 7;
  const int uppercode = b2 & 7;
  const int soswidth = (b2 >> 3) & 3;
  if (relation == 3) return failcode(h, "column level relation", relation);
  if (countwidth == 3) return failcode(h, "column count width", countwidth);
  if (lowercode == 5 || lowercode == 6) return failcode(h, "column lower-bound code", lowercode);
  if (uppercode > 4) return failcode(h, "column upper-bound code", uppercode);
  if (soswidth == 3) return failcode(h, "column SOS-set width", soswidth);
  c.marginalflag = (b2 >> 6) & 1;
  c.nzcount = rdwidth(h, countwidth);
  if (lowercode == 7) {
    c.lower = rdr8(h);
  } else if (lowercode == 3) {
    c.lower = f.specials[min];
  } else {
    c.lower = unitvalue(lowercode);
  }
  const double level = (b2 & 32) != 0 ? rdr8(h) : 0.0;
  c.upper = uppercode == 4 ? rdr8(h) : uppercode == 3 ? f.specials[pin] : unitvalue(uppercode);
  if (lowercode == 4) c.lower = c.upper;
  c.level = relation == 1 ? c.lower : relation == 2 ? c.upper : level;
  c.sosset = rdwidth(h, soswidth);
  if (f.priority && c.type != 0) c.priority = rdr8(h);
  if (f.duals && c.marginalflag == 1) c.marginal = rdr8(h);
  if (!f.scalevalues) return ok(h);
  const int scalecode = rdu8(h);
  if (scalecode > 1) return failcode(h, "column scale code", scalecode);
  if (scalecode == 1) c.scale = rdr8(h);
  return ok(h);
}

template <typename Source>
bool rddatbinary(Source& h, matdat& e) {
  const int tag = rdu8(h);
  const int width = tag & 3;
  if (width == 3) return failcode(h, "entry row width", width);
  e.nonlin = (tag & 16) != 0;
  e.row = rdwidth(h, width);
  e.value = rdvalue(h, (tag >> 2) & 3);
  return ok(h);
}

}  // namespace

bool rdmatrow(tmodfile& h, matrow& r) {
  if (h.layout == vrklayout) return vrk::rdmatrow(h, r);
  r = matrow{};
  if (h.istext()) {
    rowfields(h, r, textin{h});
    return ok(h);
  }
  return rdrowbinary(h, r);
}

void wrmatcol(tmodfile& h, const matcol& c) {
  if (h.layout == vrklayout) return vrk::wrmatcol(h, c);
  if (h.istext()) return colfields(h, c, textout{h});
  Q5_ASSERT(c.type >= -128 && c.type <= 127, "column type outside a byte");
  const int relation = c.level == c.lower ? 1 : c.level == c.upper ? 2 : 0;
  const bool haslevel = relation == 0 && c.level != 0.0;
  const int countwidth = widthof(c.nzcount);
  const int soswidth = widthof(c.sosset);
  int lowercode = unitcode(c.lower);
  if (lowercode == 3) lowercode = c.lower == h.specials[min] ? 3 : c.lower == c.upper ? 4 : 7;
  int uppercode = unitcode(c.upper);
  if (uppercode == 3) uppercode = c.upper == h.specials[pin] ? 3 : 4;
  wri8(h, relation | (countwidth << 2) | (lowercode << 4));
  wri8(h, uppercode | (soswidth << 3) | (haslevel ? 32 : 0) | (c.marginalflag == 1 ? 64 : 0));
  wri8(h, c.type);
  wrwidth(h, countwidth, c.nzcount);
  if (lowercode == 7) wrr8(h, c.lower);
  if (haslevel) wrr8(h, c.level);
  if (uppercode == 4) wrr8(h, c.upper);
  wrwidth(h, soswidth, c.sosset);
  if (h.priority && c.type != 0) wrr8(h, c.priority);
  if (h.duals && c.marginalflag == 1) wrr8(h, c.marginal);
  if (!h.scalevalues) return;
  if (c.scale == 1.0) return wri8(h, 0);
  wri8(h, 1);
  wrr8(h, c.scale);
}

bool rdmatcol(tmodfile& h, matcol& c) {
  if (h.layout == vrklayout) return vrk::rdmatcol(h, c);
  c = matcol{};
  if (h.istext()) {
    colfields(h, c, textin{h});
    if (c.marginalflag == 0) c.marginal = 0.0;  // a marginal only with its flag
    return ok(h);
  }
  return rdcolbinary(h, c);
}

void wrmatdat(tmodfile& h, const matdat& e) {
  if (h.layout == vrklayout) return vrk::wrmatdat(h, e);
  if (h.istext()) return datfields(e, textout{h});
  const int width = widthof(e.row);
  const int code = unitcode(e.value);
  wri8(h, width | (code << 2) | (e.nonlin ? 16 : 0));
  wrwidth(h, width, e.row);
  if (code == 3) wrr8(h, e.value);
}

bool rdmatdat(tmodfile& h, matdat& e) {
  if (h.layout == vrklayout) return vrk::rdmatdat(h, e);
  e = matdat{};
  if (h.istext()) {
    datfields(e, textin{h});
    return ok(h);
  }
  return rddatbinary(h, e);
}

// ---- unframed payload ----

bool unframed(const tmodfile& h) {
  return h.reading && !h.istext() && h.first == 0 && h.last == recordsize - 1 &&
         h.layout != vrklayout;
}

payloadcursor payloadat(const tmodfile& h, std::size_t offset) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(h.input.data());
  const std::size_t size = h.input.size();
  return {&h, bytes + std::min(offset, size), bytes + size, offset > size};
}

bool rdmatrow(payloadcursor& c, matrow& r) {
  r = matrow{};
  return rdrowbinary(c, r);
}

bool rdmatcol(payloadcursor& c, matcol& col) {
  col = matcol{};
  return rdcolbinary(c, col);
}

bool rdmatdat(payloadcursor& c, matdat& e) {
  e = matdat{};
  return rddatbinary(c, e);
}

}  // namespace gdutils
