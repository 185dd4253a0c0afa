// The linear part of the model as MPS (fixed columns, or CPLEX's free dialect) and as
// CPLEX LP text. Nonlinear parts, row types and model types that a format cannot carry
// are left out with a note in the file and in the memo.
#include "baron/gcutil_mps.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "baron/gcutil.h"
#include "baron/gcutil_internal.h"
#include "baron/liutil.h"
#include "frame/q5rtnum.h"
#include "frame/strutilx_numbers.h"
#include "instance/ctvproc.h"
#include "instance/gcdata.h"

namespace gcutil {

namespace detail {

// The runtime's digit generator, whose dbltostr digits these are too.
digits15 sigdigits(double a) {
  const q5rt::decimal_digits dd = q5rt::dtoaloc_sig(a, 15);
  digits15 out{};
  std::fill(std::copy_n(dd.digits, dd.count, out.d), out.d + 15, '0');
  out.e = dd.point - 1;
  return out;
}

}  // namespace detail

namespace {

using detail::digits15;
using detail::num;

constexpr std::string_view nonlinearnote =
    "  Cannot handle nonlinear equations, nonlinear part ignored.";
constexpr std::string_view cutnote =
    "  Names longer than 8 characters were cut: distinct names may coincide.";
using zlmspecs::colbin;
using zlmspecs::colint;
using zlmspecs::colsemicont;
using zlmspecs::colsemiint;
using zlmspecs::colsos1;
using zlmspecs::colsos2;
using zlmspecs::rowb;
using zlmspecs::rowc;
using zlmspecs::rowe;
using zlmspecs::rown;
using zlmspecs::rowx;

const gcdata::tmodel& model() { return gcdata::mymodel; }
std::size_t at(std::int32_t i) { return static_cast<std::size_t>(i) - 1; }

// Row types that the formats declare: =E=, =G=, =L=, =N=.
bool declared(std::int32_t r) {
  const std::int32_t t = model().rowtype[at(r)];
  return t >= rowe && t <= rown;
}

q5rt::sstr modeltypename() {
  const std::size_t t = static_cast<std::size_t>(model().modeltype);
  return q5rt::sstr::cut(t < ctvproc::procnames.size() ? ctvproc::procnames[t]
                                                       : std::string_view{});
}

bool hasrows(std::int32_t type) { return model().equcount[static_cast<std::size_t>(type)] > 0; }
bool hascols(std::int32_t type) { return model().colcount[static_cast<std::size_t>(type)] > 0; }

q5rt::sstr rowtypenote(std::int32_t type) {
  return q5rt::concat("  Cannot handle ", equtypename[static_cast<std::size_t>(type)],
                      " equations");
}

// A note: the memo, and the file's comment mark followed by the note.
void note(q5rt::textfile& f, std::string_view mark, std::string_view text) {
  gcdata::gcmemo(text);
  f.write(mark);
  f.writeln(text);
}

// True when a fixed-column name field cuts some row or column name.
bool namescut() {
  const gcdata::tmodel& m = model();
  if (m.rows > 0 && 1 + strutilx::integerwidth(m.rows) > 8) return true;
  for (std::int32_t c = 1; c <= m.cols; ++c) {
    if (detail::prefix(c).size() + strutilx::integerwidth(c) > 8) return true;
  }
  return false;
}

// The digits of a value for the layout, zeros past the significant ones: the copies below
// move a fixed 16 characters, which the compiler does without a library call, and the
// text keeps the ones it needs.
using digitrow = std::array<char, 32>;

// The text of count (at most 15) digits d times 10^e as dbltostr lays it out: plain
// decimal when plain (then -5 < e < 16), else mantissa, "E" and exponent. out has room for
// 48 characters.
std::size_t layout(const digitrow& d, int count, int e, bool plain, char* out) {
  while (count > 1 && d[static_cast<std::size_t>(count) - 1] == '0') --count;
  char* p = out;
  if (plain && e >= 0) {  // the integer part: the digits and the zeros after them
    std::memcpy(p, d.data(), 16);
    p += e + 1;
    if (count > e + 1) {
      *p++ = '.';
      std::memcpy(p, d.data() + e + 1, 16);
      p += count - (e + 1);
    }
  } else if (plain) {
    std::memcpy(p, "0.000", 5);
    p += 1 - e;  // "0." and -e - 1 zeros
    std::memcpy(p, d.data(), 16);
    p += count;
  } else {
    *p++ = d[0];
    if (count > 1) {
      *p++ = '.';
      std::memcpy(p, d.data() + 1, 16);
      p += count - 1;
    }
    *p++ = 'E';
    p = std::to_chars(p, p + 5, e).ptr;
  }
  return static_cast<std::size_t>(p - out);
}

// The digits x times 10^e rounded half up to k (1..15) significant digits (the carry may
// raise the power), as dbltostr writes the rounded value, or in exponent form when
// exponent asks. The length.
std::size_t roundedtext(const digitrow& x, int e, int k, bool exponent, char* out) {
  digitrow d = x;
  std::memset(d.data() + k, '0', 16);
  if (x[static_cast<std::size_t>(k)] >= '5') {
    int i = k - 1;
    while (i >= 0 && d[static_cast<std::size_t>(i)] == '9') d[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
      ++d[static_cast<std::size_t>(i)];
    } else {
      d[0] = '1';
      ++e;
    }
  }
  return layout(d, k, e, !exponent && strutilx::dbltostr_plain_exponent(e), out);
}

// 10^0 to 10^15.
constexpr std::array<std::uint64_t, 16> powersoften = [] {
  std::array<std::uint64_t, 16> p{};
  p[0] = 1;
  for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
  return p;
}();

// The n lowest decimal digits of q written to the left of p, two at a time from the table
// (half as many divisions, each waiting on the one before); moves p past them and gives
// the digits above them.
std::uint64_t digitsleft(std::uint64_t q, int n, char*& p) {
  for (; n >= 2; n -= 2, q /= 100) {
    p -= 2;
    std::memcpy(p, &q5rt::digitpairs[2 * (q % 100)], 2);
  }
  if (n == 1) {
    *--p = static_cast<char>('0' + q % 10);
    q /= 10;
  }
  return q;
}

// q / unit rounded half up.
template <std::uint64_t unit>
std::uint64_t halfup(std::uint64_t q) {
  return (q + unit / 2) / unit;
}

// q without its n (4 to 9) last digits, rounded half up: divisions by constants, which
// the compiler turns into multiplications (a division by a variable takes several times
// longer).
std::uint64_t roundedoff(std::uint64_t q, int n) {
  switch (n) {
    case 4:
      return halfup<10'000>(q);
    case 5:
      return halfup<100'000>(q);
    case 6:
      return halfup<1'000'000>(q);
    case 7:
      return halfup<10'000'000>(q);
    case 8:
      return halfup<100'000'000>(q);
    default:
      return halfup<1'000'000'000>(q);
  }
}

// The field of the common values into out, plain decimals from 1e-4 with at most w - 2
// digits before the point (w: the 12 characters less the sign), taken from the 15 digits
// as one integer and written from the right; false, writing nothing, for other values. The
// search in fittedtext ends on the same text: the 15 digits rounded half up to the k that
// fit, w - 1 (one place is the point) less the zeros after "0." below 1. A longer
// rounding that fits only for its trailing zeros has this value, and a carry into one
// more integer digit still fits.
bool plainfield(double value, char* out) {
  const bool negative = value < 0;
  const int w = negative ? 11 : 12;
  const double a = std::fabs(value);
  q5rt::sig_integer r;
  if (!strutilx::dbltostr_plain(a) || !std::isnormal(a) || !q5rt::dtoaloc_sig_integer(a, 15, r) ||
      r.e > w - 2)
    return false;
  int k = w - 1 + std::min(r.e, 0);
  std::uint64_t q = roundedoff(r.q, 15 - k);
  int e = r.e;
  if (q == powersoften[static_cast<std::size_t>(k)]) {  // the carry: one digit more
    q /= 10;
    ++e;
  }
  for (; q % 10 == 0; q /= 10) --k;  // now k significant digits, the last not 0
  // The digits after the point; with none, the integer's zeros past the digits.
  const int decimals = std::max(k - 1 - e, 0);
  if (decimals == 0) q *= powersoften[static_cast<std::size_t>(e + 1 - k)];
  char* p = out + 12;
  q = digitsleft(q, decimals, p);
  if (decimals > 0) *--p = '.';
  (void)digitsleft(q, std::max(e + 1, 1), p);
  if (negative) *--p = '-';
  while (p != out) *--p = ' ';
  return true;
}

// The text of any value for a field of w characters: the text of dbltostr from the same
// 15 digits, then fewer digits until it fits; a number whose integer part alone passes the
// field takes the exponent form, as many digits as fit. The length.
std::size_t fittedtext(double a, std::size_t w, char* text) {
  if (a == 0 || !std::isfinite(a)) return strutilx::dbltostr_chars(a, '.', text);
  const digits15 x = detail::sigdigits(a);
  digitrow d;
  std::memcpy(d.data(), x.d, 15);
  std::memset(d.data() + 15, '0', 17);
  std::size_t n = layout(d, 15, x.e, strutilx::dbltostr_plain(a), text);
  // Rounding cannot shorten an integer part that passes the field (it would end in a
  // wrong number): such values go to the exponent form at once.
  const bool integerfits = x.e + 1 <= static_cast<int>(w);
  for (const bool exponent : {false, true}) {
    if (!exponent && !integerfits) continue;
    for (int k = static_cast<int>(w) - 1; n > w && k >= 1; --k)
      n = roundedtext(d, x.e, k, exponent, text);
  }
  return n;
}

// The 12-character field into out.
void floattompschars(double value, char* out) {
  if (plainfield(value, out)) return;
  const bool negative = value < 0;
  const std::size_t w = negative ? 11 : 12;
  const double a = std::fabs(value);
  char text[48] = {};
  const std::size_t n = fittedtext(a, w, text);
  // Right-aligned: the text fits now (one digit in exponent form always does), and the
  // fixed copy's surplus falls past the field.
  char field[12 + 16];
  std::memset(field, ' ', 12);
  char* p = field + 12 - n - (negative ? 1 : 0);
  if (negative) *p++ = '-';
  std::memcpy(p, text, 16);
  std::memcpy(out, field, 12);
}

// The name in a field of 8 characters at out: cut, or filled with blanks.
void namefield(std::string_view name, char* out) {
  for (std::size_t i = 0; i < 8; ++i) out[i] = i < name.size() ? name[i] : ' ';
}

// A row or column name in a small buffer: the writers' inner loops make millions.
class shortname {
 public:
  shortname(std::string_view prefix, std::int32_t number) {
    char* p = std::copy(prefix.begin(), prefix.end(), buf_);
    n_ = static_cast<std::size_t>(std::to_chars(p, buf_ + sizeof buf_, number).ptr - buf_);
  }
  operator std::string_view() const {
    if (n_ > sizeof buf_) __builtin_unreachable();  // tells the optimizer the bound
    return {buf_, n_};
  }

 private:
  char buf_[24];
  std::size_t n_ = 0;
};

shortname rowname(std::int32_t r) { return {"e", r}; }
shortname colname(std::int32_t c) { return {detail::prefix(c), c}; }

}  // namespace

q5rt::sstr floattomps(double value) {
  q5rt::sstr s;
  s.set_length(12);
  floattompschars(value, s.data());
  return s;
}

namespace {

class mpswriter {
 public:
  mpswriter(q5rt::textfile& f, bool fixed) : f_(f), fixed_(fixed) {}

  void write() {
    gcheader(f_, "*  ");
    notes();
    head();
    rows();
    columns();
    rhs();
    bounds();
    sos();
    cones();
    f_.writeln("ENDATA");
  }

 private:
  void field(std::string_view name) {
    if (name.size() >= 8) {
      f_.write(name.substr(0, 8));
    } else {
      f_.write(name);
      f_.write(std::string_view("        ").substr(0, 8 - name.size()));
    }
  }

  void writerow(char letter, std::string_view name) {
    detail::linebuf line;
    line.add(' ').add(letter);
    if (fixed_) {
      line.add("  ").field(name, 8, true);
    } else {
      line.add(' ').add(name);
    }
    line.writeln(f_);
  }

  void writemarker(std::string_view kind, std::int32_t number) {
    const q5rt::sstr marker = q5rt::concat("MARK", num(number));
    if (fixed_) {
      f_.write("    ");
      field(marker);
      f_.write("  'MARKER'                 '");
    } else {
      f_.write(' ');
      f_.write(marker);
      f_.write(" 'MARKER' '");
    }
    f_.write(kind);
    f_.writeln("'");
  }

  void writecolumn(std::string_view first, std::string_view second, double value) {
    if (fixed_) {  // a line of fixed fields, built in place
      char line[37];
      std::memcpy(line, "    ", 4);
      namefield(first, line + 4);
      std::memcpy(line + 12, "  ", 2);
      namefield(second, line + 14);
      std::memcpy(line + 22, "  ", 2);
      floattompschars(value, line + 24);
      line[36] = '\n';
      return f_.write(std::string_view(line, sizeof line));
    }
    detail::linebuf line;
    line.add(' ').add(first).add(' ').add(second).add(' ').number(value);
    line.writeln(f_);
  }

  // A bound line; MI, PL and FR lines carry no value.
  void writebound(std::string_view type, std::int32_t c, const double* value) {
    const shortname name = colname(c);
    detail::linebuf line;
    line.add(' ').add(type);
    if (fixed_) {
      line.add(" bnd       ");
      if (value == nullptr) {
        line.add(std::string_view(name).substr(0, 8));
      } else {
        char text[12];
        floattompschars(*value, text);
        line.field(name, 8, true).add("  ").add(std::string_view(text, sizeof text));
      }
    } else {
      line.add(" bnd ").add(name);
      if (value != nullptr) line.add(' ').number(*value);
    }
    line.writeln(f_);
  }

  void notes() {
    const std::int32_t t = model().modeltype;
    if (t != ctvproc::proc_lp && t != ctvproc::proc_mip && t != ctvproc::proc_rmip) {
      const q5rt::sstr text = q5rt::concat("  Cannot handle ", modeltypename());
      gcdata::gcmemo(text);
      f_.writeln("*");
      f_.writeln(q5rt::concat("*", text));
    }
    if (hasrows(rowx)) note(f_, "*", rowtypenote(rowx));
    if (fixed_ && hasrows(rowc)) note(f_, "*", rowtypenote(rowc));
    if (hasrows(rowb)) note(f_, "*", rowtypenote(rowb));
    if (fixed_ && namescut()) note(f_, "*", cutnote);
  }

  void head() {
    if (fixed_) {
      f_.writeln("*");
      f_.writeln("NAME          Convert");
      f_.writeln("*");
      f_.writeln(model().maximize != 0 ? "* original model was maximizing"
                                       : "* original model was minimizing");
      f_.writeln("*");
    } else {
      f_.writeln("*");
      f_.writeln("NAME Convert");
      f_.writeln("OBJSENSE");
      f_.writeln(model().maximize != 0 ? " MAX" : " MIN");
      f_.writeln("OBJNAME");
      f_.writeln(" obj");
    }
  }

  void rows() {
    f_.writeln("ROWS");
    if (model().objvar != 0) writerow('N', "obj");
    for (std::int32_t r = 1; r <= model().rows; ++r) {
      if (declared(r))
        writerow(zlmspecs::equctyp[static_cast<std::size_t>(model().rowtype[at(r)])], rowname(r));
    }
  }

  void columns() {
    const gcdata::tmodel& m = model();
    f_.writeln("COLUMNS");
    std::int32_t markers = 0;
    bool inrun = false;
    for (std::int32_t c = 1; c <= m.cols; ++c) {
      const std::int32_t t = m.coltype[at(c)];
      const bool discrete =
          (t == colbin || t == colint || t == colsemiint) && m.collower[at(c)] != m.colupper[at(c)];
      if (discrete && !inrun) writemarker("INTORG", ++markers);
      if (!discrete && inrun) writemarker("INTEND", markers);
      inrun = discrete;
      const shortname name = colname(c);
      if (c == m.objvar) writecolumn(name, "obj", fixed_ && m.maximize != 0 ? -1.0 : 1.0);
      for (const zlmspecs::tjacrec* e = m.colfirst[at(c)]; e != nullptr; e = e->colnext) {
        if (declared(e->row)) writecolumn(name, rowname(e->row), e->jacval);
      }
    }
    if (inrun) writemarker("INTEND", markers);
  }

  void rhs() {
    const gcdata::tmodel& m = model();
    f_.writeln("RHS");
    for (std::int32_t r = 1; r <= m.rows; ++r) {
      if (m.rowrhs[at(r)] != 0 && declared(r)) writecolumn("rhs", rowname(r), m.rowrhs[at(r)]);
      if (m.rowfirstinstr[at(r)] != 0) note(f_, "*", nonlinearnote);
    }
  }

  void bounds() {
    const gcdata::tmodel& m = model();
    f_.writeln("BOUNDS");
    for (std::int32_t c = 1; c <= m.cols; ++c) {
      const double lo = m.collower[at(c)];
      const double up = m.colupper[at(c)];
      const std::int32_t t = m.coltype[at(c)];
      const bool semi = t == colsemicont || t == colsemiint;
      if (lo == up && (!semi || lo == 0)) {
        writebound("FX", c, &lo);
        continue;
      }
      if (lo == m.valmin) {
        if (up == m.valpin) {
          writebound("FR", c, nullptr);
          continue;
        }
        writebound("MI", c, nullptr);
      } else if (lo == 0) {
        if (t == colint && up == m.valpin) {
          writebound("LI", c, &lo);
          continue;
        }
      } else {
        writebound("LO", c, &lo);
        // Readers that give an integer column the upper bound 1 by default (GLPK) see
        // +infinity only when a line says so.
        if (t == colint && up == m.valpin) writebound("PL", c, nullptr);
      }
      if (up != m.valpin) writebound(semi && lo > 0 ? "SC" : "UP", c, &up);
    }
  }

  void sos() {
    const gcdata::tmodel& m = model();
    if (!hascols(colsos1) && !hascols(colsos2)) return;
    f_.writeln("SOS");
    std::int32_t member = 0;
    std::int32_t set = -1;
    for (std::int32_t c = 1; c <= m.cols; ++c) {
      const std::int32_t t = m.coltype[at(c)];
      if (t != colsos1 && t != colsos2) continue;
      if (m.colsosset[at(c)] != set) f_.writeln(t == colsos1 ? " S1" : " S2");
      set = m.colsosset[at(c)];
      f_.writeln(q5rt::concat("    ", colname(c), " ", num(++member)));
    }
  }

  void cones() {
    const gcdata::tmodel& m = model();
    if (!hasrows(rowc)) return;
    std::int32_t k = 0;
    for (std::int32_t r = 1; r <= m.rows; ++r) {
      if (m.rowtype[at(r)] != rowc) continue;
      std::vector<std::int32_t> heads;
      for (const zlmspecs::tjacrec* e = m.rowfirst[at(r)]; e != nullptr && heads.size() < 2;
           e = e->rownext) {
        if (e->jacval >= 0) heads.push_back(e->col);
      }
      const q5rt::sstr name = q5rt::concat("K", num(++k));
      f_.write("CSECTION      ");
      f_.write(liutil::padright(name, 21));
      f_.writeln(heads.size() == 2 ? "0 RQUAD" : "0 QUAD");
      for (const std::int32_t c : heads) f_.writeln(q5rt::concat("    ", colname(c)));
      for (const zlmspecs::tjacrec* e = m.rowfirst[at(r)]; e != nullptr; e = e->rownext) {
        if (e->jacval < 0) f_.writeln(q5rt::concat("    ", colname(e->col)));
      }
    }
  }

  q5rt::textfile& f_;
  bool fixed_;
};

class lpwriter {
 public:
  explicit lpwriter(q5rt::textfile& f) : f_(f) {}

  void write() {
    gcheader(f_, "\\  ");
    notes();
    objective();
    rows();
    bounds();
    liutil::liset(f_, 79, 0);
    list(
        "Binaries", [](std::int32_t t) { return t == colbin; }, hascols(colbin));
    list(
        "Generals", [](std::int32_t t) { return t == colint || t == colsemiint; },
        hascols(colint) || hascols(colsemiint));
    list(
        "Semi-Continuous", [](std::int32_t t) { return t == colsemicont || t == colsemiint; },
        hascols(colsemicont) || hascols(colsemiint));
    sos();
    liutil::lilast("");
    liutil::lilast("End");
    liutil::liend();
  }

 private:
  void notes() {
    const std::int32_t t = model().modeltype;
    if (t != ctvproc::proc_lp && t != ctvproc::proc_mip && t != ctvproc::proc_rmip &&
        t != ctvproc::proc_qcp && t != ctvproc::proc_miqcp) {
      const q5rt::sstr text = q5rt::concat("  Cannot handle ", modeltypename());
      gcdata::gcmemo(text);
      f_.writeln("\\");
      f_.writeln(q5rt::concat("\\", text));
    }
    if (hasrows(rown)) note(f_, "\\", rowtypenote(rown));
    if (hasrows(rowx)) note(f_, "\\", rowtypenote(rowx));
    f_.writeln();
  }

  void objective() {
    const gcdata::tmodel& m = model();
    f_.writeln(m.maximize != 0 ? "Maximize" : "Minimize");
    if (m.objvar != 0) {
      f_.writeln(q5rt::concat(" obj: ", colname(m.objvar)));
    } else {
      f_.writeln("\\ the line below will force an error");
      f_.writeln(q5rt::concat(" obj: a_model_of_type_", modeltypename()));
    }
    f_.writeln();
    f_.writeln("Subject To");
  }

  void rows() {
    static constexpr std::array<std::string_view, zlmspecs::rowtype_count> equlp = {
        " = ", " >= ", " <= ", " =N= ", " =X= ", " =C= ", " =B= "};
    const gcdata::tmodel& m = model();
    liutil::liset(f_, 79, 3);
    for (std::int32_t r = 1; r <= m.rows; ++r) {
      liutil::lifirst(q5rt::concat(" ", rowname(r), ":"), 3);
      bool first = true;
      for (const zlmspecs::tjacrec* e = m.rowfirst[at(r)]; e != nullptr; e = e->rownext) {
        const double a = std::fabs(e->jacval);
        const std::string_view sign = e->jacval < 0 ? " - " : first ? "   " : " + ";
        first = false;
        liutil::linext(
            q5rt::concat(sign, a == 1 ? q5rt::sstr{} : q5rt::concat(strutilx::zlmvaltostr(a), " "),
                         colname(e->col)));
      }
      // A row without terms would not read back: a zero term keeps it a constraint.
      if (first && m.cols > 0) liutil::linext(q5rt::concat("   0 ", colname(1)));
      const std::int32_t t = m.rowtype[at(r)];
      const std::string_view op =
          t >= 0 && t < zlmspecs::rowtype_count ? equlp[static_cast<std::size_t>(t)] : " ";
      liutil::lilast(q5rt::concat(op, strutilx::zlmvaltostr(m.rowrhs[at(r)])));
      if (m.rowfirstinstr[at(r)] != 0) note(f_, "\\", nonlinearnote);
    }
  }

  void bounds() {
    const gcdata::tmodel& m = model();
    liutil::lilast("");
    liutil::lilast("Bounds");
    for (std::int32_t c = 1; c <= m.cols; ++c) {
      const double lo = m.collower[at(c)];
      const double up = m.colupper[at(c)];
      const shortname name = colname(c);
      if (lo == up) {
        f_.writeln(q5rt::concat(" ", name, " = ", strutilx::zlmvaltostr(lo)));
      } else if (lo == m.valmin && up == m.valpin) {
        f_.writeln(q5rt::concat(" ", name, " Free"));
      } else if (lo == 0 && up == m.valpin) {
        if (m.coltype[at(c)] == colint) f_.writeln(q5rt::concat(" ", name, " >= 0"));
      } else {
        f_.writeln(q5rt::concat(" ", strutilx::zlmvaltostr(lo), " <= ", name,
                                " <= ", strutilx::zlmvaltostr(up)));
      }
    }
  }

  template <typename Pred>
  void list(std::string_view heading, Pred member, bool present) {
    if (!present) return;
    const gcdata::tmodel& m = model();
    liutil::lilast("");
    liutil::lilast(heading);
    for (std::int32_t c = 1; c <= m.cols; ++c) {
      if (member(m.coltype[at(c)])) liutil::linext(q5rt::concat(" ", colname(c)));
    }
    liutil::lilast("");
  }

  void sos() {
    const gcdata::tmodel& m = model();
    if (!hascols(colsos1) && !hascols(colsos2)) return;
    liutil::lilast("");
    liutil::lilast("SOS");
    std::int32_t member = 0;
    std::int32_t set = -1;
    for (std::int32_t c = 1; c <= m.cols; ++c) {
      const std::int32_t t = m.coltype[at(c)];
      if (t != colsos1 && t != colsos2) continue;
      ++member;
      if (m.colsosset[at(c)] != set) liutil::lifirst(t == colsos1 ? " S1 ::" : " S2 ::", 0);
      set = m.colsosset[at(c)];
      liutil::linext(q5rt::concat("  ", colname(c), " : ", num(member)));
    }
    liutil::lilast("");
  }

  q5rt::textfile& f_;
};

}  // namespace

std::int32_t gcwritemps(std::string_view description, std::string_view filename) {
  q5rt::textfile f;
  if (const int rc = open4write(f, filename, description); rc != 0) return rc;
  f.set_iocheck(true);
  mpswriter(f, description != "CplexMPS").write();
  f.close();
  f.check();
  return 0;
}

std::int32_t gcwritelp(std::string_view description, std::string_view filename) {
  q5rt::textfile f;
  if (const int rc = open4write(f, filename, description); rc != 0) return rc;
  f.set_iocheck(true);
  lpwriter(f).write();
  f.close();
  f.check();
  return 0;
}

}  // namespace gcutil
