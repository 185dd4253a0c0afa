// The linear part of the model as MPS (fixed columns, or CPLEX's free dialect) and as
// CPLEX LP text. Nonlinear parts, row types and model types that a format cannot carry
// are left out with a note in the file and in the memo.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>
#include <cstdlib>

#include "baron/gcutil.h"
#include "baron/gcutil_internal.h"
#include "baron/liutil.h"
#include "frame/strutilx_numbers.h"
#include "instance/ctvproc.h"
#include "instance/gcdata.h"

namespace gcutil {

namespace {

using detail::num;

constexpr std::string_view rowletters = "EGLNXCB";
constexpr std::string_view nonlinearnote = "  Cannot handle nonlinear equations, nonlinear part ignored.";
constexpr std::string_view cutnote = "  Names longer than 8 characters were cut: distinct names may coincide.";
constexpr std::int32_t tbinary = 1, tinteger = 2, tsos1 = 3, tsos2 = 4, tsemicont = 5, tsemiint = 6;

const gcdata::tmodel& model() { return gcdata::mymodel; }
std::size_t at(std::int32_t i) { return static_cast<std::size_t>(i) - 1; }

// Row types that the formats declare: =E=, =G=, =L=, =N=.
bool declared(std::int32_t r) {
  const std::int32_t t = model().rowtype[at(r)];
  return t >= 0 && t <= 3;
}

q5rt::sstr rowname(std::int32_t r) { return q5rt::concat("e", num(r)); }
q5rt::sstr colname(std::int32_t c) { return q5rt::concat(detail::prefix(c), num(c)); }

q5rt::sstr modeltypename() {
  const std::size_t t = static_cast<std::size_t>(model().modeltype);
  return q5rt::sstr::cut(t < ctvproc::procnames.size() ? ctvproc::procnames[t] : std::string_view{});
}

bool hasrows(std::int32_t type) { return model().equcount[static_cast<std::size_t>(type)] > 0; }
bool hascols(std::int32_t type) { return model().colcount[static_cast<std::size_t>(type)] > 0; }

q5rt::sstr rowtypenote(std::int32_t type) {
  return q5rt::concat("  Cannot handle ", equtypename[static_cast<std::size_t>(type)], " equations");
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
  if (m.rows > 0 && rowname(m.rows).size() > 8) return true;
  for (std::int32_t c = 1; c <= m.cols; ++c) {
    if (detail::prefix(c).size() + strutilx::integerwidth(c) > 8) return true;
  }
  return false;
}

// The number text of x with k significant digits, rounded half up from its 15-digit form;
// exponent: "E" form whatever the magnitude.
q5rt::sstr roundedtext(double a, int k, bool exponent) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, 14);
  const std::string_view s(buf, static_cast<std::size_t>(r.ptr - buf));
  const std::size_t epos = s.find('e');
  std::string digits;
  for (std::size_t i = 0; i < epos; ++i) {
    if (s[i] != '.') digits += s[i];
  }
  int exp10 = std::atoi(s.data() + epos + 1);
  std::string kept = digits.substr(0, static_cast<std::size_t>(k));
  if (digits[static_cast<std::size_t>(k)] >= '5') {  // carry
    int i = k - 1;
    while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') kept[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
      ++kept[static_cast<std::size_t>(i)];
    } else {
      kept.insert(kept.begin(), '1');
      kept.pop_back();
      ++exp10;
    }
  }
  if (!exponent) {
    const std::string text = kept.substr(0, 1) + "." + kept.substr(1) + "e" + std::to_string(exp10);
    return strutilx::dbltostr(std::strtod(text.c_str(), nullptr));
  }
  while (kept.size() > 1 && kept.back() == '0') kept.pop_back();
  std::string text = kept.substr(0, 1);
  if (kept.size() > 1) text += "." + kept.substr(1);
  text += "E" + std::to_string(exp10);
  return q5rt::sstr::cut(text);
}

}  // namespace

q5rt::sstr floattomps(double value) {
  const bool negative = value < 0;
  const std::size_t w = negative ? 11 : 12;
  const double a = std::fabs(value);
  q5rt::sstr text = strutilx::dbltostr(a);
  for (int k = static_cast<int>(w) - 1; text.size() > w && k >= 1; --k) text = roundedtext(a, k, false);
  // A number whose integer part alone passes the field: the exponent form, as many digits
  // as fit.
  for (int k = static_cast<int>(w) - 1; text.size() > w && k >= 1; --k) text = roundedtext(a, k, true);
  return liutil::padleft(q5rt::concat(negative ? "-" : "", text), 12);
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
    f_.write(' ');
    f_.write(letter);
    f_.write(fixed_ ? "  " : " ");
    if (fixed_) {
      field(name);
      f_.writeln();
    } else {
      f_.writeln(name);
    }
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
    if (fixed_) {
      f_.write("    ");
      field(first);
      f_.write("  ");
      field(second);
      f_.write("  ");
      f_.writeln(floattomps(value));
    } else {
      f_.write(' ');
      f_.write(first);
      f_.write(' ');
      f_.write(second);
      f_.write(' ');
      f_.writeln(strutilx::dbltostr(value));
    }
  }

  // A bound line; MI and FR lines carry no value.
  void writebound(std::string_view type, std::int32_t c, const double* value) {
    const q5rt::sstr name = colname(c);
    f_.write(' ');
    f_.write(type);
    if (fixed_) {
      f_.write(" bnd       ");
      if (value == nullptr) {
        f_.writeln(name.size() > 8 ? std::string_view(name).substr(0, 8) : std::string_view(name));
        return;
      }
      field(name);
      f_.write("  ");
      f_.writeln(floattomps(*value));
    } else {
      f_.write(" bnd ");
      f_.write(name);
      if (value == nullptr) return f_.writeln();
      f_.write(' ');
      f_.writeln(strutilx::dbltostr(*value));
    }
  }

  void notes() {
    const std::int32_t t = model().modeltype;
    if (t != 1 && t != 2 && t != 3) {
      const q5rt::sstr text = q5rt::concat("  Cannot handle ", modeltypename());
      gcdata::gcmemo(text);
      f_.writeln("*");
      f_.writeln(q5rt::concat("*", text));
    }
    if (hasrows(4)) note(f_, "*", rowtypenote(4));
    if (fixed_ && hasrows(5)) note(f_, "*", rowtypenote(5));
    if (hasrows(6)) note(f_, "*", rowtypenote(6));
    if (fixed_ && namescut()) note(f_, "*", cutnote);
  }

  void head() {
    if (fixed_) {
      f_.writeln("*");
      f_.writeln("NAME          Convert");
      f_.writeln("*");
      f_.writeln(model().maximize != 0 ? "* original model was maximizing" : "* original model was minimizing");
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
      if (declared(r)) writerow(rowletters[static_cast<std::size_t>(model().rowtype[at(r)])], rowname(r));
    }
  }

  void columns() {
    const gcdata::tmodel& m = model();
    f_.writeln("COLUMNS");
    std::int32_t markers = 0;
    bool inrun = false;
    for (std::int32_t c = 1; c <= m.cols; ++c) {
      const std::int32_t t = m.coltype[at(c)];
      const bool discrete = (t == tbinary || t == tinteger || t == tsemiint) && m.collower[at(c)] != m.colupper[at(c)];
      if (discrete && !inrun) writemarker("INTORG", ++markers);
      if (!discrete && inrun) writemarker("INTEND", markers);
      inrun = discrete;
      const q5rt::sstr name = colname(c);
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
      const bool semi = t == tsemicont || t == tsemiint;
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
        if (t == tinteger && up == m.valpin) {
          writebound("LI", c, &lo);
          continue;
        }
      } else {
        writebound("LO", c, &lo);
      }
      if (up != m.valpin) writebound(semi && lo > 0 ? "SC" : "UP", c, &up);
    }
  }

  void sos() {
    const gcdata::tmodel& m = model();
    if (!hascols(tsos1) && !hascols(tsos2)) return;
    f_.writeln("SOS");
    std::int32_t member = 0;
    std::int32_t set = -1;
    for (std::int32_t c = 1; c <= m.cols; ++c) {
      const std::int32_t t = m.coltype[at(c)];
      if (t != tsos1 && t != tsos2) continue;
      if (m.colsosset[at(c)] != set) f_.writeln(t == tsos1 ? " S1" : " S2");
      set = m.colsosset[at(c)];
      f_.writeln(q5rt::concat("    ", colname(c), " ", num(++member)));
    }
  }

  void cones() {
    const gcdata::tmodel& m = model();
    if (!hasrows(5)) return;
    std::int32_t k = 0;
    for (std::int32_t r = 1; r <= m.rows; ++r) {
      if (m.rowtype[at(r)] != 5) continue;
      std::vector<std::int32_t> heads;
      for (const zlmspecs::tjacrec* e = m.rowfirst[at(r)]; e != nullptr && heads.size() < 2; e = e->rownext) {
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
    list("Binaries", [](std::int32_t t) { return t == tbinary; }, hascols(tbinary));
    list("Generals", [](std::int32_t t) { return t == tinteger || t == tsemiint; },
         hascols(tinteger) || hascols(tsemiint));
    list("Semi-Continuous", [](std::int32_t t) { return t == tsemicont || t == tsemiint; },
         hascols(tsemicont) || hascols(tsemiint));
    sos();
    liutil::lilast("");
    liutil::lilast("End");
    liutil::liend();
  }

 private:
  void notes() {
    const std::int32_t t = model().modeltype;
    if (t != 1 && t != 2 && t != 3 && t != 12 && t != 13) {
      const q5rt::sstr text = q5rt::concat("  Cannot handle ", modeltypename());
      gcdata::gcmemo(text);
      f_.writeln("\\");
      f_.writeln(q5rt::concat("\\", text));
    }
    if (hasrows(3)) note(f_, "\\", rowtypenote(3));
    if (hasrows(4)) note(f_, "\\", rowtypenote(4));
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
    static constexpr std::string_view equlp[] = {" = ", " >= ", " <= ", " =N= ", " =X= ", " =C= ", " =B= "};
    const gcdata::tmodel& m = model();
    liutil::liset(f_, 79, 3);
    for (std::int32_t r = 1; r <= m.rows; ++r) {
      liutil::lifirst(q5rt::concat(" ", rowname(r), ":"), 3);
      bool first = true;
      for (const zlmspecs::tjacrec* e = m.rowfirst[at(r)]; e != nullptr; e = e->rownext) {
        const double a = std::fabs(e->jacval);
        const std::string_view sign = e->jacval < 0 ? " - " : first ? "   " : " + ";
        first = false;
        liutil::linext(q5rt::concat(sign, a == 1 ? q5rt::sstr{} : q5rt::concat(strutilx::zlmvaltostr(a), " "),
                                    colname(e->col)));
      }
      // A row without terms would not read back: a zero term keeps it a constraint.
      if (first && m.cols > 0) liutil::linext(q5rt::concat("   0 ", colname(1)));
      const std::int32_t t = m.rowtype[at(r)];
      const std::string_view op = t >= 0 && t < 7 ? equlp[static_cast<std::size_t>(t)] : " ";
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
      const q5rt::sstr name = colname(c);
      if (lo == up) {
        f_.writeln(q5rt::concat(" ", name, " = ", strutilx::zlmvaltostr(lo)));
      } else if (lo == m.valmin && up == m.valpin) {
        f_.writeln(q5rt::concat(" ", name, " Free"));
      } else if (lo == 0 && up == m.valpin) {
        if (m.coltype[at(c)] == tinteger) f_.writeln(q5rt::concat(" ", name, " >= 0"));
      } else {
        f_.writeln(q5rt::concat(" ", strutilx::zlmvaltostr(lo), " <= ", name, " <= ", strutilx::zlmvaltostr(up)));
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
    if (!hascols(tsos1) && !hascols(tsos2)) return;
    liutil::lilast("");
    liutil::lilast("SOS");
    std::int32_t member = 0;
    std::int32_t set = -1;
    for (std::int32_t c = 1; c <= m.cols; ++c) {
      const std::int32_t t = m.coltype[at(c)];
      if (t != tsos1 && t != tsos2) continue;
      ++member;
      if (m.colsosset[at(c)] != set) liutil::lifirst(t == tsos1 ? " S1 ::" : " S2 ::", 0);
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
