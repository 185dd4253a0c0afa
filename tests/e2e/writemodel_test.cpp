// The conversion writers through the writemodel driver: golden files of small models, the
// LP and MPS files read back against the model record, and the driver's errors.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "instance/gcdata.h"
#include "instance/gcload.h"
#include "instance/gdutils.h"
#include "instance/zlmconf.h"
#include "support/baronmodel.h"
#include "support/testutil.h"

namespace {

namespace fs = std::filesystem;

std::string fixture(const std::string& name) {
  return testutil::source_dir() + "/tests/e2e/fixtures/convert/" + name;
}

// A copy of a fixture model in a fresh folder.
struct workdir {
  testutil::tempdir dir;
  explicit workdir(const std::string& model) {
    for (const char* f : {"model.ctl", "model.mat", "model.cod"}) {
      fs::copy(fs::path(fixture(model)) / f, dir.path() / f);
    }
  }
  testutil::run_result run(const std::string& writer, const std::string& out) const {
    return testutil::run_program(WRITEMODEL_PATH, {"model.ctl", writer, out}, dir.path().string());
  }
  std::string read(const std::string& name) const { return testutil::read_file(dir.file(name)); }
};

// The first line where two texts differ, for a readable failure.
std::string firstdifference(const std::string& a, const std::string& b) {
  std::istringstream sa(a), sb(b);
  std::string la, lb;
  for (int n = 1;; ++n) {
    const bool ea = !std::getline(sa, la);
    const bool eb = !std::getline(sb, lb);
    if (ea && eb) return "same lines";
    if (ea || eb || la != lb)
      return "line " + std::to_string(n) + ":\n  got:  " + la + "\n  want: " + lb;
  }
}

void golden(const std::string& model, const std::string& writer, const std::string& ext) {
  SCOPED_TRACE(model + " " + writer);
  workdir w(model);
  const testutil::run_result r = w.run(writer, "out." + ext);
  ASSERT_EQ(r.exit_code, 0) << r.out;
  const std::string got = w.read("out." + ext);
  const std::string file = fixture(model) + "/expected." + ext;
  if (std::getenv("UPDATE_GOLDEN") != nullptr) testutil::write_file(file, got);
  const std::string want = testutil::read_file(file);
  EXPECT_EQ(got, want) << firstdifference(got, want);
}

TEST(Writemodel, GoldenFiles) {
  for (const char* model : {"linear", "mixed", "nonlinear"}) {
    golden(model, "mps", "mps");
    golden(model, "freemps", "fmps");
    golden(model, "lp", "lp");
  }
  golden("linear", "dump", "dump");
  golden("nonlinear", "dump", "dump");
  golden("nonlinear", "tester", "tester");
  for (const char* model : {"linear", "mixed", "nonlinear"}) golden(model, "dag", "dag");
}

TEST(Writemodel, DagOfTheSmallestModel) {
  workdir w("linear");
  // One continuous column in [0, +inf), one row x <= 5, no objective variable.
  testutil::write_file(w.dir.file("model.mat"),
                       "3E300 4E300 1E300 2E300 5E300 1E301\n2 5 0 0\n1 0 0 3E300 0 0 0\n1 1 0\n");
  std::string ctl = w.read("model.ctl");
  const auto replaceline = [&ctl](int n, const std::string& text) {
    std::size_t at = 0;
    for (int k = 1; k < n; ++k) at = ctl.find('\n', at) + 1;
    ctl.replace(at, ctl.find('\n', at) - at, text);
  };
  replaceline(3, "1 0 0 0 0 0 0 1 0 0 0 0");
  replaceline(4, "1 0 0 0 0 0 0 0");
  replaceline(5, "1 0");
  replaceline(6, "1 0 0 0 0 0 0 0 0 0");
  replaceline(7, "0 0 0 0 0 0 0");
  replaceline(15, "0 0");
  testutil::write_file(w.dir.file("model.ctl"), ctl);
  const testutil::run_result r = w.run("dag", "out.dag");
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(w.read("out.dag"),
            "<N> V 1\n<0> b [0,I]: V 0\n<1> b [-I,5]: +\n<N> c 0 1\n<E> 1 0 1\n");
}

TEST(Writemodel, TesterMarksAPlantedJacobianValue) {
  workdir good("nonlinear");
  testutil::run_result r = good.run("tester", "out.tst");
  ASSERT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "Jacobian differences: 0\n");
  EXPECT_EQ(good.read("out.tst").find(" *** "), std::string::npos);
  EXPECT_EQ(good.read("model.log").find("Tester Jacobian Errors"), std::string::npos);

  workdir bad("plantedjacobian");
  r = bad.run("tester", "out.tst");
  ASSERT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "Jacobian differences: 1\n");
  EXPECT_NE(bad.read("out.tst").find("var 3 mirt= 7.50000000000000E-0001 frEval= "
                                     "7.07106781186547E-0001 ***  4.28932188134525E-0002\n"),
            std::string::npos);
  EXPECT_NE(bad.read("model.log").find("*** Tester Jacobian Errors = 1\n"), std::string::npos);
  EXPECT_NE(bad.read("model.sta").find("*** Tester Jacobian Errors = 1"), std::string::npos);
}

TEST(Writemodel, DumpWithoutTheDerivativeConstants) {
  workdir w("nonlinear");
  // Pool entry 10 no longer holds 1/ln 10.
  std::string cod = w.read("model.cod");
  const std::size_t at = cod.find("0.43429448190325176");
  ASSERT_NE(at, std::string::npos);
  cod.replace(at, 19, "0.5");
  testutil::write_file(w.dir.file("model.cod"), cod);
  ASSERT_EQ(w.run("dump", "out.dump").exit_code, 0);
  const std::string dump = w.read("out.dump");
  EXPECT_EQ(dump.find("Derivative for var"), std::string::npos);
  EXPECT_NE(
      dump.find("x1*log(x2) + sqr(x3)\n*** no derivative trees: the constant pool does not hold"),
      std::string::npos)
      << dump;
}

TEST(Writemodel, DiagnosticFileThatCannotBeOpened) {
  workdir w("nonlinear");
  for (const char* writer : {"dump", "tester"}) {
    SCOPED_TRACE(writer);
    (void)w.run(writer, "nodir/out");
  }
  const std::string log = w.read("model.log");
  EXPECT_NE(log.find("*** Could not write to Dump nodir/out\n*** RC=2 "), std::string::npos) << log;
  EXPECT_NE(log.find("*** Could not write to Tester nodir/out\n*** RC=2 "), std::string::npos)
      << log;
}

TEST(Writemodel, CommandLineAndLoadErrors) {
  workdir w("linear");
  const struct {
    std::vector<std::string> args;
    std::string start;
    const char* why;
  } rows[] = {
      {{"model.ctl", "mps"}, "usage: writemodel", "an argument missing"},
      {{"model.ctl", "nosuch", "out"}, "usage: writemodel", "an unknown writer"},
      {{"missing.ctl", "mps", "out"},
       "*** Could not load control file \"missing.ctl\"",
       "no control file"},
      {{"model.ctl", "mps", "nodir/out.mps"},
       "*** writemodel: mps failed, rc=2",
       "the file cannot be opened"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const testutil::run_result got =
        testutil::run_program(WRITEMODEL_PATH, r.args, w.dir.path().string());
    EXPECT_EQ(got.exit_code, 1);
    EXPECT_NE(got.out.find(r.start), std::string::npos) << got.out;
  }
}

// ---- reading the files back ----

constexpr double inf = 1e300;

struct readmodel {
  std::map<std::string, char> sense;                           // row: E G L N
  std::map<std::pair<std::string, std::string>, double> coef;  // (row, column)
  std::map<std::string, double> rhs;
  std::map<std::string, std::pair<double, double>> bounds;  // columns with a bound line
  std::map<std::string, std::pair<double, double>> fullbounds(
      const std::vector<std::string>& cols) const {
    std::map<std::string, std::pair<double, double>> b;
    for (const std::string& c : cols)
      b[c] = bounds.count(c) != 0 ? bounds.at(c) : std::pair{0.0, inf};
    return b;
  }
};

std::vector<std::string> words(const std::string& line) {
  std::istringstream s(line);
  std::vector<std::string> w;
  for (std::string t; s >> t;) w.push_back(t);
  return w;
}

double number(const std::string& t) {
  if (t == "+Inf" || t == "Inf") return inf;
  if (t == "-Inf") return -inf;
  return std::strtod(t.c_str(), nullptr);
}

readmodel readmps(const std::string& text) {
  readmodel m;
  std::istringstream in(text);
  std::string section;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '*') continue;
    if (line[0] != ' ') {
      section = words(line)[0];
      continue;
    }
    const std::vector<std::string> w = words(line);
    if (section == "ROWS") {
      m.sense[w[1]] = w[0][0];
    } else if (section == "COLUMNS" && w[1] != "'MARKER'") {
      m.coef[{w[1], w[0]}] = number(w[2]);
    } else if (section == "RHS") {
      m.rhs[w[1]] = number(w[2]);
    } else if (section == "BOUNDS") {
      auto [it, fresh] = m.bounds.try_emplace(w[2], std::pair{0.0, inf});
      auto& b = it->second;
      const std::string& t = w[0];
      if (t == "FX") b = {number(w[3]), number(w[3])};
      if (t == "FR") b = {-inf, inf};
      if (t == "MI") b.first = -inf;
      if (t == "LO" || t == "LI") b.first = number(w[3]);
      if (t == "UP" || t == "SC") b.second = number(w[3]);
      if (t == "PL") b.second = inf;
      (void)fresh;
    }
  }
  return m;
}

readmodel readlp(const std::string& text) {
  readmodel m;
  std::istringstream in(text);
  std::string section;
  std::string statement;
  const auto row = [&m](const std::string& s) {
    std::vector<std::string> w = words(s);
    const std::string name = w[0].substr(0, w[0].size() - 1);
    double sign = 1;
    double value = 1;
    for (std::size_t k = 1; k < w.size(); ++k) {
      const std::string& t = w[k];
      if (t.find_first_of("=<>") != std::string::npos) break;
      if (t == "+" || t == "-") {
        sign = t == "-" ? -1 : 1;
      } else if (std::isdigit(static_cast<unsigned char>(t[0])) != 0) {
        value = number(t);
      } else {
        m.coef[{name, t}] = sign * value;
        sign = 1, value = 1;
      }
    }
    const std::string& op = w[w.size() - 2];
    m.sense[name] = op == "=" ? 'E' : op == ">=" ? 'G' : op == "<=" ? 'L' : 'N';
    if (number(w.back()) != 0) m.rhs[name] = number(w.back());
  };
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '\\') continue;
    if (line[0] != ' ') {
      if (!statement.empty()) row(statement), statement.clear();
      section = line;
      continue;
    }
    if (section == "Subject To") {
      if (line.find(':') != std::string::npos && line.rfind(" e", 0) == 0 && !statement.empty()) {
        row(statement), statement.clear();
      }
      statement += line;
    } else if (section == "Bounds") {
      const std::vector<std::string> w = words(line);
      if (w.size() == 2) m.bounds[w[0]] = {-inf, inf};  // x Free
      if (w.size() == 3 && w[1] == "=") m.bounds[w[0]] = {number(w[2]), number(w[2])};
      if (w.size() == 3 && w[1] == ">=") m.bounds[w[0]] = {number(w[2]), inf};
      if (w.size() == 5) m.bounds[w[2]] = {number(w[0]), number(w[4])};  // lo <= x <= up
    }
  }
  if (!statement.empty()) row(statement);
  return m;
}

// The model record of a fixture, as the writers see it.
readmodel recordof(const std::string& model, std::vector<std::string>& cols, bool lp, bool fixed) {
  workdir w(model);
  const fs::path here = fs::current_path();
  fs::current_path(w.dir.path());
  testutil::freshmodel();
  q5rt::sstr msg;
  EXPECT_TRUE(gcload::loadcontrol("model.ctl", msg));
  (void)gcload::loaddata();
  fs::current_path(here);
  const gcdata::tmodel& m = gcdata::mymodel;
  readmodel r;
  const auto value = [&](double v) { return v == m.valpin ? inf : v == m.valmin ? -inf : v; };
  for (std::int32_t i = 1; i <= m.rows; ++i) {
    const std::int32_t t = m.rowtype[static_cast<std::size_t>(i) - 1];
    const std::string name = "e" + std::to_string(i);
    if (t > 3 && !lp) continue;
    r.sense[name] = "EGLN"[t];
    if (m.rowrhs[static_cast<std::size_t>(i) - 1] != 0)
      r.rhs[name] = m.rowrhs[static_cast<std::size_t>(i) - 1];
  }
  static const char* prefix[] = {"x", "b", "i", "s1s", "s2s", "sc", "si"};
  for (std::int32_t j = 1; j <= m.cols; ++j) {
    const std::size_t k = static_cast<std::size_t>(j) - 1;
    const std::string name = prefix[m.coltype[k]] + std::to_string(j);
    cols.push_back(name);
    r.bounds[name] = {value(m.collower[k]), value(m.colupper[k])};
    for (const zlmspecs::tjacrec* e = m.colfirst[k]; e != nullptr; e = e->colnext) {
      if (lp || m.rowtype[static_cast<std::size_t>(e->row) - 1] <= 3)
        r.coef[{"e" + std::to_string(e->row), name}] = e->jacval;
    }
    if (j == m.objvar && !lp) r.coef[{"obj", name}] = fixed && m.maximize != 0 ? -1 : 1;
  }
  if (m.objvar != 0 && !lp) r.sense["obj"] = 'N';
  testutil::freshmodel();
  return r;
}

void samevalues(const std::map<std::pair<std::string, std::string>, double>& a,
                const std::map<std::pair<std::string, std::string>, double>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (const auto& [k, v] : a) {
    SCOPED_TRACE(k.first + " " + k.second);
    ASSERT_EQ(b.count(k), 1u);
    EXPECT_NEAR(b.at(k), v, 1e-9 * std::max(1.0, std::fabs(v)));
  }
}

TEST(Writemodel, FilesReadBackAsTheRecord) {
  for (const char* model : {"linear", "mixed", "nonlinear"}) {
    for (const char* writer : {"mps", "freemps", "lp"}) {
      SCOPED_TRACE(std::string(model) + " " + writer);
      const bool lp = std::string(writer) == "lp";
      std::vector<std::string> cols;
      const readmodel want = recordof(model, cols, lp, std::string(writer) == "mps");
      workdir w(model);
      ASSERT_EQ(w.run(writer, "out").exit_code, 0);
      readmodel got = lp ? readlp(w.read("out")) : readmps(w.read("out"));
      samevalues(want.coef, got.coef);
      EXPECT_EQ(got.sense, want.sense);
      std::map<std::pair<std::string, std::string>, double> r1, r2;
      for (const auto& [k, v] : want.rhs) r1[{k, ""}] = v;
      for (const auto& [k, v] : got.rhs) r2[{k, ""}] = v;
      samevalues(r1, r2);
      std::map<std::pair<std::string, std::string>, double> b1, b2;
      for (const auto& [k, v] : want.bounds) b1[{k, "lo"}] = v.first, b1[{k, "up"}] = v.second;
      for (const auto& [k, v] : got.fullbounds(cols))
        b2[{k, "lo"}] = v.first, b2[{k, "up"}] = v.second;
      samevalues(b1, b2);
    }
  }
}

TEST(Writemodel, NotesGoToTheFileAndTheStatusFile) {
  workdir w("nonlinear");
  ASSERT_EQ(w.run("mps", "out.mps").exit_code, 0);
  const std::string mps = w.read("out.mps");
  EXPECT_NE(mps.find("*\n*  Cannot handle NLP\n"), std::string::npos);
  EXPECT_NE(mps.find("*  Cannot handle nonlinear equations, nonlinear part ignored.\n"),
            std::string::npos);
  const std::string sta = w.read("model.sta");
  EXPECT_NE(sta.find("  Cannot handle nonlinear equations, nonlinear part ignored."),
            std::string::npos)
      << sta;
  EXPECT_NE(w.read("model.log").find("--- Writing MPS       : out.mps"), std::string::npos);
}

}  // namespace

namespace {

// The fixture's control file with a solver "CONVERT" whose program is exe.
void addconverter(const workdir& w, const std::string& exe) {
  std::string ctl = w.read("model.ctl");
  ctl.replace(ctl.find("\n15 1 1\n"), 8, "\n15 2 1\n");
  const std::size_t at = ctl.find("\nbaronexe\n") + 10;
  ctl.insert(at, "CONVERT 3 2 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\nconvertscript\n" + exe + "\n");
  testutil::write_file(w.dir.file("model.ctl"), ctl);
}

std::string line(const std::string& text, int n) {
  std::istringstream in(text);
  std::string l;
  for (int k = 0; k < n; ++k) std::getline(in, l);
  return l;
}

// The control file's values: equal records mean the same control file.
std::string controlvalues(const std::string& text) {
  gdutils::tcontrolrec rec;
  q5rt::sstr msg, tablemsg;
  zlmconf::tzlmconf table(tablemsg);
  EXPECT_TRUE(gdutils::parse(text, "model.ctl", rec, msg, table)) << std::string_view(msg);
  std::string s;
  for (const std::int32_t v : rec.ints) s += std::to_string(v) + " ";
  for (const double v : rec.reals) s += std::to_string(v) + " ";
  for (const q5rt::sstr& v : rec.strs) s += std::string(v.view()) + "|";
  for (std::int32_t k = 1; k <= table.getnumalgs(); ++k)
    s += std::string(table.scgetattach2(k).view()) + "|";
  return s;
}

const std::string standinconvert() { return testutil::binary_dir() + "/standins/bin/convert"; }

TEST(Writemodel, ConversionRunSeesTheRewrittenControlFile) {
  workdir w("linear");
  addconverter(w, standinconvert());
  const std::string before = w.read("model.ctl");
  const testutil::run_result r = w.run("convert", "out.gms");
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(w.read("convert.args"), "model.ctl\nconvert\n");
  const std::string during = w.read("convert.ctl");
  EXPECT_EQ(line(during, 16), "0 0 0 0 273") << "control integer 104 during the run";
  const std::string after = w.read("model.ctl");
  EXPECT_EQ(line(after, 16), "0 0 0 0 0");
  EXPECT_EQ(controlvalues(after), controlvalues(before)) << "the control file is back as it was";
  std::string expected = after;
  expected.replace(expected.find("\n0 0 0 0 0\n"), 11, "\n0 0 0 0 273\n");
  EXPECT_EQ(during, expected) << "only control integer 104 differs during the run";
  const std::string log = w.read("model.log");
  EXPECT_NE(log.find("--- Writing Converted : out.gms\n"), std::string::npos) << log;
  EXPECT_NE(w.read("model.sta").find("Converted : out.gms"), std::string::npos);
}

TEST(Writemodel, ConversionRunFailures) {
  const struct {
    std::string exe;
    const char* exitcode;
    std::string message;
    const char* why;
  } rows[] = {
      {standinconvert(), "3", " ended with exit code 3", "the program fails"},
      {"/nonexistent/convert", "0", "*** Could not spawn module /nonexistent/convert",
       "the program is missing"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    workdir w("linear");
    addconverter(w, r.exe);
    const std::string before = w.read("model.ctl");
    ::setenv("CONVERT_STANDIN_EXIT", r.exitcode, 1);
    const testutil::run_result got = w.run("convert", "out.gms");
    ::unsetenv("CONVERT_STANDIN_EXIT");
    EXPECT_EQ(got.exit_code, 1);
    EXPECT_NE(w.read("model.log").find(r.message), std::string::npos) << w.read("model.log");
    EXPECT_EQ(controlvalues(w.read("model.ctl")), controlvalues(before))
        << "the control file is restored";
  }
}

TEST(Writemodel, DefinedVariablesOfTheLinearModel) {
  workdir w("linear");
  const testutil::run_result r = w.run("defvars", "-");
  ASSERT_EQ(r.exit_code, 0) << r.out;
  // e1 and e4 are =E= rows with the free columns x2 and x4; x5 is fixed; e5 is =N=.
  EXPECT_EQ(r.out, "defcount 2 defnrows 1 deffixcols 1\nrows 1 4 2 3 5\ncols 2 4 1 3 6 5\n");
}

}  // namespace
