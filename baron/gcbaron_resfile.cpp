// BARON's res file: the solution list with duals and ray, the best-solution block, the IIS
// report with the model's names, one data-exchange file per solution; and the row levels
// recomputed from the column levels with the function library's error callback.
#include <cmath>
#include <cstdio>
#include <optional>

#include "baron/gcbaron.h"
#include "baron/gcbaron_results.h"
#include "baron/gcutil.h"
#include "bindings/vrkdcdef.h"
#include "frame/q5rtnum.h"
#include "frame/statlib.h"
#include "frame/strutilx_numbers.h"
#include "funclib/evalnew.h"
#include "instance/gcdata.h"

namespace gcbaron {

namespace {

using gcdata::gclogstat;

q5rt::sstr num(std::int64_t v) { return strutilx::inttostrw(v, 0); }

constexpr double unboundedlevel = 1e40;
constexpr double badlevel = 99999;
constexpr std::string_view objectivelabel = "The above solution has an objective value of: ";
constexpr std::string_view rowoverflow = "*** Evaluation error: row level beyond the double range";
constexpr std::string_view raylabel =
    "The above solution was found along the following unbounded ray";

// The text after the first blank-separated token (blanks and tabs separate), trimmed.
std::string_view aftertoken(std::string_view line) {
  line = q5rt::trim(line);
  const std::size_t end = line.find_first_of(" \t");
  return end == std::string_view::npos ? std::string_view{} : q5rt::trim(line.substr(end));
}

// The token before the first blank and the text after the blank run that follows it.
std::string_view firsttoken(std::string_view& line) {
  const std::size_t end = line.find(' ');
  const std::string_view token = line.substr(0, end);
  line = end == std::string_view::npos ? std::string_view{} : line.substr(end);
  const std::size_t next = line.find_first_not_of(' ');
  line = next == std::string_view::npos ? std::string_view{} : line.substr(next);
  return token;
}

bool integer(std::string_view text, std::int32_t& value) {
  std::int32_t code = 0;
  value = q5rt::Q5_Val_SPD(text, code);
  return code == 0;
}

class resreader {
 public:
  resreader(const resultfiles& files, const resinput& in)
      : files_(files), in_(in), m_(gcdata::mymodel), path_(files.res) {
    result_.zub = in.zub;
  }

  resresult run() {
    const int rc = f_.open(path_, files_.reslimit);
    if (rc != 0) {
      gcdata::gcsetstatus(10, 12);
      couldnotopen(path_, rc);
      return result_;
    }
    solutionfiles();
    statlib::gcstatc("");
    for (int k = 0; k < 16; ++k) {
      std::string_view line;
      if (!f_.next(line)) line = {};
      statlib::gcstatc(line);
    }
    statlib::gcstat("");
    state.haveduals = false;
    const bool listed =
        in_.nodeopt >= -2 && (in_.modelstatus == 1 || in_.modelstatus == 3 || in_.modelstatus == 4);
    std::string_view line;
    while (true) {
      if (!f_.next(line)) return notextracted();
      const std::string_view trimmed = q5rt::trim(line);
      if (line.substr(0, 10) == "The best s") {
        if (!block(line)) return notextracted();
        break;
      }
      if (trimmed.starts_with("(I)IS contains") || trimmed.starts_with("IIS contains")) {
        if (!iis(trimmed)) return notextracted();
        break;
      }
      if (listed && trimmed.starts_with("*** ")) {
        if (!list()) return notextracted();
        break;
      }
    }
    // What was read stands only when the file could be read as far as it was needed.
    if (f_.broken()) return notextracted();
    dict_.reset();
    if (in_.modelstatus == 1 || in_.modelstatus == 3) {
      result_.outcome = in_.nodeopt < -2 ? resoutcome::nosolution : resoutcome::solutionread;
    }
    return result_;
  }

 private:
  resresult notextracted() {
    dict_.reset();
    if (f_.broken()) {
      gcdata::gcsetstatus(10, 12);
      couldnotread(path_, f_);
    }
    gclogstat(q5rt::concat("*** Could not extract solution on ", path_, " file"));
    result_.outcome = resoutcome::stop;
    return result_;
  }

  // The next line into a copy of its own; false (the copy unchanged) when there is none.
  bool nextkept(q5rt::sstr& kept) {
    std::string_view line;
    if (!f_.next(line)) return false;
    kept.assign_cut(line);
    return true;
  }

  bool validcol(std::int32_t c) const { return c >= 1 && c <= m_.cols; }
  bool validrow(std::int32_t r) const { return r >= 1 && r <= m_.rows; }
  static std::size_t at(std::int32_t i) { return static_cast<std::size_t>(i - 1); }

  // The dictionary and the data-exchange library when per-solution files are asked for.
  void solutionfiles() {
    if (!files_.solutionfiles) return;
    dict_ = loaddict();
    if (!dict_) return;
    q5rt::sstr msg;
    if (!vrkdcdef::vrkgetreadyx(msg)) {
      gclogstat("*** Could not load VRK library");
      gclogstat(q5rt::concat("*** Msg=", msg));
      return;
    }
    prefix_ = files_.prefix;
  }

  // The level of a column read from BARON, marked when it is unbounded.
  void setlevel(std::int32_t c, double v) {
    m_.collevel[at(c)] = v;
    if (in_.candidate == 3 && std::fabs(v) >= unboundedlevel) m_.colstatus[at(c)] = 3;
  }

  // The eliminated objective variable's value.
  void setobjective(double v) {
    if (state.objreform <= 0 || !validcol(m_.objvar)) return;
    setlevel(m_.objvar, v);
    m_.colmarginal[at(m_.objvar)] = 0;
    m_.colbasis[at(m_.objvar)] = 2;
  }

  // A value from column 15 of a list line; the replacement and a report when it is no number.
  double listvalue(std::string_view line, std::string_view what, double replacement) const {
    const std::string_view text =
        line.size() > 14 ? q5rt::trim(line.substr(14)) : std::string_view{};
    double v = 0;
    if (baronreal(text, v)) return v;
    gclogstat(q5rt::concat("*** bad variable ", what, " on ", path_, " file: ", text));
    return replacement;
  }

  // ---- the single best-solution block ----
  bool block(std::string_view head) {
    gclogstat(q5rt::concat("---  ", head));
    if (!f_.skip(2)) return false;
    bool closed = false;  // the objective line, BARON's last line of the block, was read
    std::string_view raw;
    while (f_.next(raw)) {
      q5rt::sstr copy = q5rt::sstr::cut(raw);
      for (std::size_t i = 0; i < copy.size(); ++i) {
        if (copy[i] == '\t') copy[i] = ' ';
      }
      std::string_view line = q5rt::trim(copy.view());
      if (line.empty()) continue;
      if (line.starts_with(objectivelabel)) {
        closed = true;
        blockobjective(q5rt::trim(line.substr(objectivelabel.size())));
        continue;
      }
      const std::string_view name =
          line.find(' ') == std::string_view::npos ? std::string_view{} : firsttoken(line);
      std::int32_t c = 0;
      if (!state.objvarname.empty() && name == state.objvarname.view() && validcol(m_.objvar)) {
        c = m_.objvar;
      } else if (!name.empty() && (name[0] == 'V' || name[0] == 'W')) {
        continue;  // phase-one variables are no model columns
      } else {
        const std::string_view number = q5rt::trim(name.empty() ? name : name.substr(1));
        const bool columnname =
            !name.empty() && (name[0] == 'x' || name[0] == 'b' || name[0] == 'i');
        const bool isnumber = columnname && integer(number, c);
        if (!isnumber && number.empty()) break;
        if (!isnumber || !validcol(c)) {
          gclogstat(
              q5rt::concat(isnumber ? "*** bad column index in " : "*** cannot decode ", number));
          gcdata::gcsetstatus(10, 12);
          return false;
        }
      }
      (void)firsttoken(line);  // the lower bound
      const std::size_t blank = line.find(' ');
      const std::string_view text =
          blank == std::string_view::npos ? std::string_view{} : line.substr(0, blank);
      double v = 0;
      if (!baronreal(text, v)) {
        gclogstat(q5rt::concat("*** bad value field ", text));
        v = badlevel;
      }
      setlevel(c, v);
    }
    if (f_.failed() && !closed) return false;
    evaleqs(dict_.get());
    result_.solutions = 1;
    return true;
  }

  void blockobjective(std::string_view text) {
    if (state.objreform <= 0) return;
    double v = 0;
    if (!baronreal(text, v)) {
      gclogstat(q5rt::concat("*** bad value field ", text));
      gclogstat("    objective value set to 99999");
      v = badlevel;
    }
    if (!validcol(m_.objvar)) return;
    setobjective(v);
    m_.headinfo[headobjective] = v;
  }

  // ---- the solution list, its duals and ray ----
  bool list() {
    // The line after each solution, kept: the reads that follow reuse the reader's buffer.
    q5rt::sstr current;
    if (!f_.skip(2) || !nextkept(current)) return false;
    bool more = true;
    for (std::int32_t k = 1; more; ++k) {
      if (k > 1)
        gclogstat(
            q5rt::concat("--- Solution ", num(k - 1), " = ", strutilx::dbltostr(result_.zub)));
      if (const std::size_t colon = current.view().find(':'); colon != std::string_view::npos) {
        const std::string_view text = q5rt::trim(current.view().substr(colon + 1));
        if (!baronreal(text, result_.zub)) {
          gclogstat(q5rt::concat("*** bad objective value on ", path_, " file: ", text));
          result_.zub = in_.zub;
        }
      }
      setobjective(result_.zub);
      if (!f_.skip(2)) return false;
      for (std::int32_t i = 0; i < state.baronvarseq; ++i) {
        std::string_view line;
        if (!f_.next(line)) return false;
        setlevel(state.baronvartozolm[static_cast<std::size_t>(i)],
                 listvalue(line, "primal", badlevel));
      }
      if (!f_.skip(state.phaseonevariables)) return false;
      more = f_.skip(1) && nextkept(current);
      if (!prefix_.empty()) writesolution(k);
      result_.solutions = k;
      more = more && current.view().substr(0, 14) == " >>> Objective";
    }
    if (result_.solutions > 1) {
      gclogstat(q5rt::concat("--- Solution ", num(result_.solutions), " = ",
                             strutilx::dbltostr(result_.zub)));
    }
    state.haveduals =
        !f_.failed() && current.view().substr(0, 32) == " >>> Corresponding dual solution";
    if (!state.haveduals) {
      nodual();
      return true;
    }
    return duals() && ray();
  }

  void nodual() {
    for (std::int32_t i = 0; i < state.baronvarseq; ++i) {
      m_.colmarginal[at(state.baronvartozolm[static_cast<std::size_t>(i)])] = zlmspecs::valna;
    }
    for (std::int32_t i = 0; i < state.baronequseq; ++i) {
      m_.rowmarginal[at(state.baronequtozolm[static_cast<std::size_t>(i)])] = zlmspecs::valna;
    }
    if (state.objreform > 0 && validrow(m_.objrow)) m_.rowmarginal[at(m_.objrow)] = zlmspecs::valna;
  }

  bool duals() {
    std::string_view line;
    if (!f_.skip(1)) return false;
    for (std::int32_t i = 0; i < state.baronvarseq; ++i) {
      if (!f_.next(line)) return false;
      const std::int32_t c = state.baronvartozolm[static_cast<std::size_t>(i)];
      const double v = listvalue(line, "dual", zlmspecs::valna);
      m_.colmarginal[at(c)] = v;
      if (v == 0 && m_.coltype[at(c)] == zlmspecs::colcont) m_.colbasis[at(c)] = 2;
    }
    if (!f_.skip(std::int64_t{state.phaseonevariables} + 1)) return false;
    for (std::int32_t i = 0; i < state.baronequseq; ++i) {
      if (!f_.next(line)) return false;
      const std::int32_t r = state.baronequtozolm[static_cast<std::size_t>(i)];
      const std::string_view text =
          line.size() > 14 ? q5rt::trim(line.substr(14)) : std::string_view{};
      double v = 0;
      if (!baronreal(text, v)) {
        gclogstat(q5rt::concat("*** bad equation dual on ", path_, " file: ", text));
        v = zlmspecs::valna;
      }
      m_.rowmarginal[at(r)] = v;
      if (v == 0) m_.rowbasis[at(r)] = 2;
    }
    if (state.objreform > 0 && validrow(m_.objrow)) {
      const double coefficient = gcutil::getobjjacval();
      const double marginal = coefficient != 0 ? 1 / coefficient : zlmspecs::valna;
      m_.rowmarginal[at(m_.objrow)] = std::isfinite(marginal) ? marginal : zlmspecs::valna;
    }
    return true;
  }

  // The unbounded ray, when the file has one after the duals.
  bool ray() {
    std::string_view line;
    if (!f_.skip(2) || !f_.next(line)) return true;
    if (line.substr(0, raylabel.size()) != raylabel) return true;
    if (!f_.skip(2)) return false;
    for (std::int32_t i = 0; i < state.baronvarseq; ++i) {
      if (!f_.next(line)) return false;
      const std::string_view text = aftertoken(line);
      double v = 0;
      if (!baronreal(text, v)) {
        gclogstat(q5rt::concat("*** bad variable ray on ", path_, " file: ", text));
        v = 0;
      }
      if (v != 0) m_.colstatus[at(state.baronvartozolm[static_cast<std::size_t>(i)])] = 3;
    }
    return true;
  }

  // ---- the IIS report ----
  bool iis(std::string_view head) {
    q5rt::sstr line = q5rt::sstr::cut(q5rt::trim(head.substr(head.find("contains") + 8)));
    q5rt::sstr token;
    std::int32_t n = 0, m = 0;
    if (nexti(n, token, line) != 0 || n < 0) n = 0;
    (void)nexti(m, token, line);  // "rows"
    (void)nexti(m, token, line);  // "and"
    if (nexti(m, token, line) != 0 || m < 0) m = 0;
    if (!dict_) dict_ = loaddict();
    if (!dict_) return false;
    for (const std::string_view text :
         {"An IIS is a set equations and variables (i.e., a submodel) which is",
          "infeasible but becomes feasible if any one equation or variable bound", "is dropped.",
          "", "A problem may contain several independent IISs. Only one IIS will be",
          "found per run. Alternative IISs may be obtained by using different",
          "values of the CompIIS option in BARON.", ""}) {
      statlib::gcstatc(text);
    }
    statlib::gcstatc(q5rt::concat("Number of equations in the IIS:  ", num(n), "."));
    for (std::int32_t k = 0; k < n; ++k) {
      std::string_view raw;
      if (!f_.next(raw)) break;
      iisrow(q5rt::trim(raw));
    }
    statlib::gcstatc("");
    statlib::gcstatc(q5rt::concat("Number of variables in the IIS:  ", num(m), "."));
    for (std::int32_t k = 0; k < m; ++k) {
      std::string_view raw;
      if (!f_.next(raw)) break;
      iiscol(q5rt::trim(raw));
    }
    return true;
  }

  struct iisline {
    char prefix = 0;
    std::int32_t index = 0;
    bool numbered = false;
    std::string_view kind;
  };
  static iisline parseiis(std::string_view line) {
    iisline l;
    const std::string_view name = firsttoken(line);
    l.kind = firsttoken(line);
    if (name.empty()) return l;
    l.prefix = name[0];
    l.numbered = integer(name.substr(1), l.index);
    return l;
  }

  q5rt::sstr name(bool isrow, std::int32_t index) const {
    q5rt::sstr text = dictname(*dict_, isrow, index);
    return text.empty() ? q5rt::concat(isrow ? "???e" : "???x", num(index)) : text;
  }

  void iisrow(std::string_view line) {
    const iisline l = parseiis(line);
    if (l.prefix != 'e' || !l.numbered) {
      statlib::gcstatc(line);
      return;
    }
    if (!validrow(l.index)) {
      statlib::gcstatc(q5rt::concat(l.kind, ": ???e", num(l.index)));
      return;
    }
    const std::string_view op = l.kind == "Upper"   ? " <= "
                                : l.kind == "Lower" ? " >= "
                                : l.kind == "Both"  ? " = "
                                                    : "";
    const q5rt::sstr rowname = name(true, l.index);
    if (op.empty()) {
      statlib::gcstatc(q5rt::concat(l.kind, ": ", rowname));
      return;
    }
    statlib::gcstatc(
        q5rt::concat(l.kind, ": ", rowname, op, strutilx::dbltostr(m_.rowrhs[at(l.index)])));
  }

  void iiscol(std::string_view line) {
    const iisline l = parseiis(line);
    if ((l.prefix != 'x' && l.prefix != 'b' && l.prefix != 'i') || !l.numbered) {
      statlib::gcstatc(line);
      return;
    }
    if (!validcol(l.index)) {
      statlib::gcstatc(q5rt::concat(l.kind, ": ???x", num(l.index)));
      return;
    }
    const q5rt::sstr colname = name(false, l.index);
    const double lower = m_.collower[at(l.index)];
    const double upper = m_.colupper[at(l.index)];
    q5rt::sstr text = q5rt::concat(l.kind, ": ", colname);
    if (l.kind == "Upper") {
      text.append_cut(q5rt::concat(" <= ", strutilx::dbltostr(upper)));
    } else if (l.kind == "Lower") {
      text.append_cut(q5rt::concat(" >= ", strutilx::dbltostr(lower)));
    } else if (l.kind == "Both" && lower == upper) {
      text.append_cut(q5rt::concat(" = ", strutilx::dbltostr(lower)));
    } else if (l.kind == "Both") {
      text.append_cut(q5rt::concat(" >= ", strutilx::dbltostr(lower), " and ", colname,
                                   " <= ", sysutils::q5_floattostr(upper)));
    }
    statlib::gcstatc(text);
  }

  // ---- per-solution data files ----
  void writesolution(std::int32_t k) {
    const q5rt::sstr file = q5rt::concat(prefix_, num(k), ".vrk");
    bindproto::handle h = nullptr;
    q5rt::sstr msg;
    std::int32_t err = 0;
    if (!vrkdcdef::vrkcreate(h, msg)) {
      gclogstat(q5rt::concat("*** Cannot write to Baron Solution to ", file));
      return;
    }
    if (vrkdcdef::vrkopenwrite(h, file, q5rt::sstr::cut("BaronSolutions"), err) == 0 || err != 0) {
      gclogstat(q5rt::concat("*** Cannot write to Baron Solution to ", file));
      vrkdcdef::vrkfree(h);
      return;
    }
    gclogstat(q5rt::concat("--- Writing solution to ", file));
    vrkdcdef::vrkstoredomainsetsset(h, false);
    if (m_.scalevalues != 0) gclogstat("*** Potential scaling problem because of missing scales");
    (void)vrkdcdef::vrkuelregisterrawstart(h);
    const std::int32_t labels = dict_->dctnuels();
    for (std::int32_t u = 1; u <= labels; ++u) {
      char quote = ' ';
      q5rt::sstr label;
      (void)dict_->dctuellabel(u, &quote, label);
      (void)vrkdcdef::vrkuelregisterraw(h, label);
    }
    (void)vrkdcdef::vrkuelregisterdone(h);
    std::int32_t symbol = -1;
    for (std::int32_t c = 1; c <= m_.cols; ++c) {
      std::int32_t sym = 0, dim = 0;
      std::int32_t keys[20] = {};
      if (dict_->dctcoluels(c - 1, sym, keys, dim) != 0) continue;
      if (sym != symbol) {
        if (symbol >= 0) (void)vrkdcdef::vrkdatawritedone(h);
        symbol = sym;
        q5rt::sstr symname, symtext;
        char quote = ' ';
        (void)dict_->dctsymname(sym, symname);
        (void)dict_->dctsymtext(sym, &quote, symtext);
        (void)vrkdcdef::vrkdatawriterawstart(h, symname, symtext, dim, 2, 0);
      }
      double values[5] = {m_.collevel[at(c)], 0, m_.collower[at(c)], m_.colupper[at(c)], 1};
      if (m_.scaleopt > 0 && static_cast<std::size_t>(c) <= m_.colscale.size()) {
        const double s = m_.colscale[at(c)];
        values[4] = s;
        values[0] *= s;
        if (values[2] != zlmspecs::valmin) values[2] *= s;
        if (values[3] != zlmspecs::valpin) values[3] *= s;
      }
      (void)vrkdcdef::vrkdatawriteraw(h, keys, values);
    }
    (void)vrkdcdef::vrkdatawritedone(h);
    if (const std::int32_t errors = vrkdcdef::vrkerrorcount(h); errors != 0) {
      gclogstat(q5rt::concat("*** VRK Error Count ", num(errors)));
      gclogstat("*** VRK File may be unreadable");
    }
    (void)vrkdcdef::vrkclose(h);
    vrkdcdef::vrkfree(h);
  }

  const resultfiles& files_;
  const resinput in_;
  gcdata::tmodel& m_;
  const q5rt::sstr path_;
  linereader f_;
  resresult result_;
  std::unique_ptr<dctmdodef::tdctreader> dict_;
  q5rt::sstr prefix_;
};

}  // namespace

resresult readres(const resultfiles& files, const resinput& in) {
  return resreader(files, in).run();
}

std::unique_ptr<dctmdodef::tdctreader> loaddict() {
  q5rt::sstr msg;
  auto dict = std::make_unique<dctmdodef::tdctreader>(msg);
  if (!msg.empty()) {
    gclogstat("*** Could not load dictionary library. Skipping all vrk options");
    gclogstat(q5rt::concat("*** MSG: ", msg));
    return nullptr;
  }
  const q5rt::sstr file = gcdata::mymodel.dictfile;
  if (dict->dctloadex(file, msg) != 0) {
    gclogstat(q5rt::concat("*** Could not open dictfile ", file, " Skipping all vrk options"));
    gclogstat(q5rt::concat("*** ", msg));
    return nullptr;
  }
  return dict;
}

q5rt::sstr dictname(dctmdodef::tdctreader& dict, bool isrow, std::int32_t index) {
  std::int32_t sym = 0, dim = 0;
  std::int32_t uels[20] = {};
  const int found = isrow ? dict.dctrowuels(index - 1, sym, uels, dim)
                          : dict.dctcoluels(index - 1, sym, uels, dim);
  q5rt::sstr text;
  if (found != 0 || dict.dctsymname(sym, text) != 0) return {};
  if (dim <= 0) return text;
  text.append_cut("(");
  for (std::int32_t k = 0; k < dim && k < 20; ++k) {
    char quote = ' ';
    q5rt::sstr label;
    (void)dict.dctuellabel(uels[k], &quote, label);
    if (k > 0) text.append_cut(",");
    if (quote != ' ') text.append_cut(std::string_view(&quote, 1));
    text.append_cut(label);
    if (quote != ' ') text.append_cut(std::string_view(&quote, 1));
  }
  text.append_cut(")");
  return text;
}

void evaleqs(dctmdodef::tdctreader* dict) {
  gcdata::tmodel& m = gcdata::mymodel;
  std::unique_ptr<dctmdodef::tdctreader> own;
  bool triedown = false;
  for (std::int32_t r = 1; r <= m.rows; ++r) {
    const auto k = static_cast<std::size_t>(r - 1);
    double nonlinear = 0;
    std::int32_t errors = 0;
    if (k < m.rowfirstinstr.size() && m.rowfirstinstr[k] != 0) {
      q5rt::sstr msg;
      const int rc = evalnew::funeval(state.mnrec, m.rowfirstinstr[k], m.rowlastinstr[k], m.instr,
                                      m.pool, m.collevel, nonlinear, errors, msg);
      if (rc == 2) {
        gclogstat(msg);
        ++errors;
      }
    }
    double linear = 0;
    for (const zlmspecs::tjacrec* e = k < m.rowfirst.size() ? m.rowfirst[k] : nullptr; e != nullptr;
         e = e->rownext) {
      if (!e->nonlin) linear += e->jacval * m.collevel[static_cast<std::size_t>(e->col - 1)];
    }
    double level = nonlinear + linear;
    if (std::fabs(level) <= 1e-15) level = 0;
    if (!std::isfinite(level)) {
      // Levels within the double range can still give a row level beyond it: an evaluation
      // error of the row, whose level is then not available (never an infinity).
      ++errors;
      ++state.evalerrors;
      if (state.evalerrors <= state.evalerrormax) gclogstat(rowoverflow);
      level = zlmspecs::valna;
    }
    if (errors > 0) {
      if (dict == nullptr && !triedown) {
        triedown = true;
        own = loaddict();
      }
      dctmdodef::tdctreader* names = dict != nullptr ? dict : own.get();
      q5rt::sstr rowname = names != nullptr ? dictname(*names, true, r) : q5rt::sstr{};
      if (rowname.empty()) rowname = num(r);
      gclogstat(q5rt::concat("*** Error evaluating equation ", rowname,
                             " in solution reported by BARON, see previous line(s) for details."));
    }
    m.rowlevel[k] = level;
    const bool relaxonly =
        k < state.baronequclass.size() && state.baronequclass[k] == classrelaxonly;
    if (m.rowtype[k] == zlmspecs::rown || relaxonly) m.rowbasis[k] = 2;
  }
}

int logmatherror(int rc, int ec, const q5rt::sstr& msg, void* /*usermem*/) {
  switch (rc) {
    case ctvnew::rc_ok:
    case ctvnew::rc_grad:
    case ctvnew::rc_hess:
      return 0;
    case ctvnew::rc_func:
      if (ec == ctvnew::ec_overflow) return 0;
      if (ec == ctvnew::ec_error) return 1;
      ++state.evalerrors;
      if (state.evalerrors <= state.evalerrormax)
        gclogstat(q5rt::concat("*** Evaluation error: ", msg));
      return 1;
    case ctvnew::rc_system:
      q5rt::output().writeln("*** Illegal mathnew call in baron link");
      q5rt::output().writeln(q5rt::concat("*** Please report to ", supportmail));
      q5rt::output().flush();
      q5rt::halt(1);
    default:
      return rc;
  }
}

}  // namespace gcbaron
