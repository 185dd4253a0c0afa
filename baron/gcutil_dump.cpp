// Diagnostic files of a loaded instance: the dump (rows, columns, code, pool, row values,
// trees, algebraic text and derivative trees) and the Jacobian tester (two evaluators
// compared, the matrix file's nonlinear Jacobian values against the reverse sweep).
#include <cmath>
#include <vector>

#include "baron/eval.h"
#include "baron/gcutil.h"
#include "baron/gcutil_internal.h"
#include "baron/liutil.h"
#include "frame/q5text.h"
#include "frame/statlib.h"
#include "frame/strutilx_numbers.h"
#include "funclib/evalnew.h"
#include "instance/gcdata.h"

namespace gcutil {

namespace {

using detail::num;

constexpr std::string_view treeheading = "   Node   Left  Right  OpCode    Addr";
constexpr std::string_view poolnote =
    "*** no derivative trees: the constant pool does not hold the constants the derivative code "
    "reads";
constexpr double tolerance = 1e-9;

const gcdata::tmodel& model() { return gcdata::mymodel; }
std::size_t at(std::int32_t i) { return static_cast<std::size_t>(i) - 1; }

// Opens a diagnostic file, announced as what (10 characters): false after the two failure
// lines.
bool opendiagnostic(q5rt::textfile& f, std::string_view name, std::string_view what) {
  f.assign(name);
  f.rewrite();
  const int rc = f.ioresult();
  if (rc != 0) {
    gcdata::gclogstat(q5rt::concat("*** Could not write to ", q5rt::trim(what), " ", name));
    gcdata::gclogstat(q5rt::concat("*** RC=", num(rc), " ", q5rt::syserrortext(rc)));
    return false;
  }
  f.set_iocheck(true);
  statlib::gclog(q5rt::concat("--- Writing ", liutil::padright(q5rt::trim(what), 9), ": ", name,
                              addanchor(name)));
  gcdata::addfname(name);
  gcdata::gcmemo(q5rt::concat(what, ": ", name));
  return true;
}

void beginfile(q5rt::textfile& f) {
  liutil::liset(f, 255, 3);
  gcheader(f, "");
  f.writeln();
}

void endfile(q5rt::textfile& f) {
  liutil::liend();
  f.close();
  f.check();
}

// The tree heading and the in-use chain of the node pool.
void treedump(q5rt::textfile& f) {
  f.writeln(treeheading);
  if (model().nodefirst == nullptr) {
    f.writeln("empty");
  } else {
    dumpnlrec(f, model().nodefirst);
  }
}

void listing(q5rt::textfile& f, std::int32_t first, std::int32_t last) {
  dumpnllisting(f, model().instr, model().pool, first, last);
}

void elements(q5rt::textfile& f, const zlmspecs::tjacrec* e, bool byrow) {
  for (; e != nullptr; e = byrow ? e->rownext : e->colnext) {
    f.write(
        q5rt::concat(", a(", num(e->row), ",", num(e->col), ")=", strutilx::dbltostr(e->jacval)));
  }
}

void rowsection(q5rt::textfile& f) {
  const gcdata::tmodel& m = model();
  f.writeln("Equation Type EquMatch  RHS +");
  for (std::int32_t i = 1; i <= m.rows; ++i) {
    f.write_integer(i, 8);
    f.write_integer(m.rowtype[at(i)], 5);
    f.write_integer(at(i) < m.rowmatch.size() ? m.rowmatch[at(i)] : 0, 9);
    f.write(q5rt::concat("  RHS=", strutilx::dbltostr(m.rowrhs[at(i)])));
    elements(f, m.rowfirst[at(i)], true);
    f.writeln();
  }
  f.writeln();
}

void columnsection(q5rt::textfile& f) {
  const gcdata::tmodel& m = model();
  f.writeln("Variable Type  LO,L,UP,PRIOR");
  for (std::int32_t j = 1; j <= m.cols; ++j) {
    f.write_integer(j, 8);
    f.write_integer(m.coltype[at(j)], 5);
    f.write(q5rt::concat("  ", strutilx::dbltostr(m.collower[at(j)]), ",",
                         sysutils::q5_floattostr(m.collevel[at(j)]), ",",
                         sysutils::q5_floattostr(m.colupper[at(j)])));
    if (m.priorityopt != 0 && m.coltype[at(j)] != zlmspecs::colcont &&
        at(j) < m.colpriority.size()) {
      f.write(q5rt::concat(",", strutilx::dbltostr(m.colpriority[at(j)])));
    }
    elements(f, m.colfirst[at(j)], false);
    f.writeln();
  }
  f.writeln();
}

void codesection(q5rt::textfile& f) {
  const gcdata::tmodel& m = model();
  f.writeln();
  f.writeln("NLfunc code Dump");
  listing(f, 1, m.instrcount);
  f.writeln();
  f.writeln("NL Constant pool");
  f.writeln();
  for (std::size_t k = 1; k <= m.pool.size(); ++k) {
    f.write_integer(static_cast<std::int64_t>(k), 4);
    f.writeln(q5rt::concat(" ", strutilx::dbltostr(m.pool[k - 1])));
  }
  f.writeln();
}

void valuesection(q5rt::textfile& f) {
  const gcdata::tmodel& m = model();
  f.writeln("Equation Values");
  std::int32_t errors = 0;
  for (std::int32_t i = 1; i <= m.rows; ++i) {
    double value = 0;
    if (m.rowfirstinstr[at(i)] != 0) {
      q5rt::sstr msg;
      (void)evalnew::funeval(mathnewconvert, m.rowfirstinstr[at(i)], m.rowlastinstr[at(i)], m.instr,
                             m.pool, m.collevel, value, errors, msg);
    }
    for (const zlmspecs::tjacrec* e = m.rowfirst[at(i)]; e != nullptr; e = e->rownext) {
      if (!e->nonlin) value += e->jacval * m.collevel[at(e->col)];
    }
    f.writeln(q5rt::concat("equ[", num(i), "]=", strutilx::dbltostr(value)));
  }
  f.writeln();
}

// The derivative trees of the row's nonlinear elements.
void derivatives(q5rt::textfile& f, std::int32_t i, std::vector<ctvnl::tnlcode>& buffer) {
  const gcdata::tmodel& m = model();
  for (const zlmspecs::tjacrec* e = m.rownlfirst[at(i)]; e != nullptr; e = e->rownlnext) {
    liutil::lilast("");
    f.writeln(q5rt::concat("Derivative for var ", num(e->col)));
    std::int32_t length = 0;
    if (diffcode(m.rowfirstinstr[at(i)], m.rowlastinstr[at(i)], e->col, m.instr, m.pool, buffer,
                 length, static_cast<std::int32_t>(buffer.size()))) {
      q5rt::output().writeln("*** dropped, not enough memory allocated");
      continue;
    }
    node* root = buildtree(1, length, buffer, m.pool);
    treedump(f);
    cleantree(m.nodefirst);
    liutil::lilast("");
    f.writeln(q5rt::concat("After Cleantree for var ", num(e->col)));
    treedump(f);
    liutil::lilast("");
    if (root != nullptr) donlcode(root, 0, "", 0);
    liutil::lilast("");
    gcdata::frenlrec();
  }
}

void treesection(q5rt::textfile& f, std::int32_t flag) {
  const gcdata::tmodel& m = model();
  std::vector<ctvnl::tnlcode> buffer(static_cast<std::size_t>(std::max(m.instrworklen, 0)) + 10000);
  const bool poolok = diffpoolok(m.pool);
  f.writeln("Equation Tree Dumps");
  for (std::int32_t i = 1; i <= m.rows; ++i) {
    if (m.rowfirstinstr[at(i)] == 0) continue;
    f.writeln(q5rt::concat("Build Tree for equ ", num(i)));
    node* root = buildtree(m.rowfirstinstr[at(i)], m.rowlastinstr[at(i)], m.instr, m.pool);
    treedump(f);
    if (flag == 0) {
      cleantree(m.nodefirst);
      liutil::lilast("");
      f.writeln(q5rt::concat("After Cleantree for equ ", num(i)));
      treedump(f);
    }
    liutil::lilast("");
    if (root != nullptr) donlcode(root, 0, "", flag);
    liutil::lilast("");
    gcdata::frenlrec();
    if (!poolok) {
      f.writeln(poolnote);
      continue;
    }
    derivatives(f, i, buffer);
  }
}

bool differs(double a, double b) { return std::fabs(a - b) / (std::fabs(a) + 1) > tolerance; }

class tester {
 public:
  explicit tester(q5rt::textfile& f)
      : f_(f),
        tape_(static_cast<std::size_t>(std::max(model().instrworklen, 0))),
        grad_(static_cast<std::size_t>(std::max(model().cols, 0))),
        work_(static_cast<std::size_t>(std::max(model().evalworklen, 0))) {
    ctvnew::mathnewrecinit(mathnewconverttester);
  }

  std::int32_t run() {
    const gcdata::tmodel& m = model();
    f_.writeln("Variable Levels");
    for (std::int32_t j = 1; j <= m.cols; ++j) {
      f_.write_integer(j, 8);
      f_.writeln(q5rt::concat("  ", strutilx::dbltostr(m.collevel[at(j)])));
    }
    f_.writeln();
    for (std::int32_t i = 1; i <= m.rows; ++i) row(i);
    return count_;
  }

 private:
  void row(std::int32_t i) {
    const gcdata::tmodel& m = model();
    f_.writeln();
    std::int32_t nlin = 0, nnl = 0;
    double slin = 0, snl = 0;
    for (const zlmspecs::tjacrec* e = m.rowfirst[at(i)]; e != nullptr; e = e->rownext) {
      const double term = e->jacval * m.collevel[at(e->col)];
      if (e->nonlin) {
        ++nnl, snl += term;
      } else {
        ++nlin, slin += term;
      }
    }
    f_.writeln(q5rt::concat("Equ ", num(i), " RHS=", strutilx::dbltostr(m.rowrhs[at(i)]),
                            " LINVAL(#=", num(nlin), ")=", sysutils::q5_floattostr(slin),
                            " NLVAL(#=", num(nnl), ")=", strutilx::dbltostr(snl)));
    if (nnl == 0) return;
    const std::int32_t first = m.rowfirstinstr[at(i)];
    const std::int32_t last = m.rowlastinstr[at(i)];
    f_.writeln();
    f_.writeln("NL Code Dump");
    listing(f_, first, last);
    f_.writeln();
    mathnewconvert.level = 1;
    double u = 0;
    (void)eval::neweval(mathnewconvert, first, last, m.instr, m.pool, m.collevel, work_, u, grad_);
    double w = 0;
    q5rt::sstr msg;
    const int rc = evalnew::gradeval(mathnewconverttester, first, last, m.instr, m.pool, m.collevel,
                                     w, tape_, grad_, errors_, msg);
    f_.write(q5rt::concat("frEval rc=", num(rc), " funcvalnlf=", strutilx::dbltostr(w)));
    mark(u, w);
    for (const zlmspecs::tjacrec* e = m.rownlfirst[at(i)]; e != nullptr; e = e->rownlnext) {
      const double g = grad_[at(e->col)];
      f_.write(q5rt::concat("var ", num(e->col), " mirt="));
      q5rt::Q5write_r(f_, e->jacval);
      f_.write(" frEval=");
      q5rt::Q5write_r(f_, g);
      mark(e->jacval, g);
    }
    f_.writeln();
    f_.writeln();
    f_.writeln("NLFunc Code Dump");
    listing(f_, first, last);
  }

  // Ends a compared line, marking and counting a difference.
  void mark(double a, double b) {
    if (differs(a, b)) {
      f_.write(" *** ");
      q5rt::Q5write_r(f_, a - b);
      ++count_;
    }
    f_.writeln();
  }

  q5rt::textfile& f_;
  std::vector<double> tape_;
  std::vector<double> grad_;
  std::vector<double> work_;
  std::int32_t errors_ = 0;
  std::int32_t count_ = 0;
};

}  // namespace

std::int32_t gcdump(std::string_view filename, std::int32_t flag) {
  q5rt::textfile f;
  if (!opendiagnostic(f, filename, "Dump      ")) return 1;
  beginfile(f);
  rowsection(f);
  columnsection(f);
  codesection(f);
  valuesection(f);
  treesection(f, flag);
  endfile(f);
  return 0;
}

std::int32_t gctester(std::string_view filename) {
  q5rt::textfile f;
  if (!opendiagnostic(f, filename, "Tester    ")) return 0;
  beginfile(f);
  const std::int32_t count = tester(f).run();
  endfile(f);
  if (count > 0) gcdata::gclogstat(q5rt::concat("*** Tester Jacobian Errors = ", num(count)));
  return count;
}

}  // namespace gcutil
