// The stand-in BARON program: `baron <input file>`.
//
// Reads BARON's input file (at most 1 GiB, or BARON_STANDIN_MAXINPUT bytes), takes the result paths
// and the control file's name from its OPTIONS section under the names the option definition file
// "optbaron.def" gives options 109 (control file), 112 (tim), 113 (res) and 114 (sum), read from
// the folder of the "zolmlibname" library path (the system directory). Answers with the default
// search, or with a local solve through that library when option 59 (the local NLP solver) asks for
// a solver of the modelling system (baronlocal.h), or the scenario of BARON_STANDIN_SCENARIO,
// writes the tim, sum and res files and a few lines on standard output. A file it refuses gets one
// line "baron: <file>:<line>: <what>" on standard error and exit code 2, and, when the tim path was
// already read, a tim file with barstatus 10 and model status 5.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "standins/baron/baronanswer.h"
#include "standins/baron/baronlocal.h"
#include "standins/baron/baronparse.h"
#include "standins/baron/baronresults.h"
#include "standins/baron/baronscenario.h"
#include "standins/common/linetokens.h"

namespace {

constexpr int refused = 2;
constexpr std::size_t maxinput = std::size_t{1} << 30;
constexpr int nlpsoloption = 59, ctrlfileoption = 109, timoption = 112, resoption = 113,
              sumoption = 114;

struct paths {
  std::string ctrlfile, tim, res, sum;
  std::string library, nlpsol;
};

int refuse(const std::string& message) {
  std::fprintf(stderr, "baron: %s\n", message.c_str());
  return refused;
}

std::string filepart(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string tokenname(const std::string& file) {
  std::string n = filepart(file);
  for (char& c : n)
    if (c == ' ' || c == '\t') c = '_';
  return n.empty() ? "baron" : n;
}

bool writefile(const std::string& path, std::string text, const baronscenario::filefault& f) {
  if (f.omit) return true;
  if (f.empty) text.clear();
  if (f.cut >= 0 && static_cast<std::size_t>(f.cut) < text.size())
    text.resize(static_cast<std::size_t>(f.cut));
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  return std::fclose(out) == 0 && ok;
}

// A refusal once the tim path is known also leaves a tim file that says so: barstatus 10
// (syntax errors), model status 5, no solution.
int refuse(const std::string& message, const std::string& tim, const std::string& file) {
  if (!tim.empty()) {
    baronresults::outcome o;
    o.name = tokenname(file);
    o.lower = "-1e+51";
    o.upper = "1e+51";
    o.barstatus = "10";
    o.modelstatus = "5";
    o.nodeopt = "-3";
    o.cputime = o.walltime = "0";
    (void)writefile(tim, baronresults::timtext(o), {});
  }
  return refuse(message);
}

// The names of options 1, 2, ... of an option definition file.
bool optionnames(const std::string& file, std::vector<std::string>& names, std::string& why) {
  std::string data;
  if (!linetokens::readfile(file, data, why)) return false;
  linetokens::eachline(data, [&](int, std::string_view line) {
    std::vector<linetokens::token> w;
    std::string bad;
    if (!linetokens::split(line, w, bad) || w.size() < 2 || w[0].text.starts_with('#')) return true;
    const std::string& kind = w[0].text;
    if (kind == "integer" || kind == "double" || kind == "string" || kind == "list" ||
        kind == "dot")
      names.push_back(w[1].text);
    return true;
  });
  return true;
}

// The library path of a line `zolmlibname: "<path>";` anywhere in the text: the system
// directory is wanted even when the file is refused before the library lines.
std::string findlibrary(std::string_view text) {
  constexpr std::string_view key = "zolmlibname";
  for (std::size_t at = text.find(key); at != std::string_view::npos; at = text.find(key, at + 1)) {
    std::size_t p = at + key.size();
    while (p < text.size() && text[p] == ' ') ++p;
    if (p >= text.size() || text[p] != ':') continue;
    p = text.find_first_not_of(' ', p + 1);
    if (p == std::string_view::npos || text[p] != '"') continue;
    const std::size_t close = text.find('"', p + 1);
    if (close != std::string_view::npos) return std::string(text.substr(p + 1, close - p - 1));
  }
  return {};
}

// The paths named in the options read so far; false with a message when they cannot be.
bool resultpaths(const baronparse::result& r, std::string_view text, paths& p,
                 std::string& message) {
  const baronparse::model& m = r.m;
  const int line = m.options.empty() ? 1 : m.options.back().line;
  const auto fault = [&](const std::string& what) {
    message = r.name + ":" + std::to_string(line) + ": " + what;
    return false;
  };
  const baronparse::option* lib = m.findoption("zolmlibname");
  const std::string library = lib != nullptr ? lib->value
                              : r.ok         ? std::string()
                                             : findlibrary(text);
  if (library.empty()) return fault("no zolmlibname option");
  const std::size_t slash = library.find_last_of('/');
  const std::string def =
      (slash == std::string::npos ? std::string() : library.substr(0, slash + 1)) + "optbaron.def";
  std::vector<std::string> names;
  std::string why;
  if (!optionnames(def, names, why)) return fault("cannot read " + def + ": " + why);
  if (names.size() < sumoption) return fault(def + " declares fewer than 114 options");
  const auto value = [&](int number) {
    const baronparse::option* o = m.findoption(names[static_cast<std::size_t>(number - 1)]);
    return o == nullptr ? std::string() : o->value;
  };
  p = {value(ctrlfileoption), value(timoption), value(resoption),
       value(sumoption),      library,          value(nlpsoloption)};
  if (p.tim.empty()) return fault("no " + names[timoption - 1] + " option");
  if (p.res.empty()) return fault("no " + names[resoption - 1] + " option");
  if (p.sum.empty()) return fault("no " + names[sumoption - 1] + " option");
  return true;
}

// An answer whose optimality nobody has shown: the objective there bounds one side, no
// bound is proven on the other (-1e+51 below a minimisation, 1e+51 above a maximisation),
// and model status 4 says "a feasible point, not proven optimal".
void unproven(const baronparse::model& m, const std::string& objective, bool dexponent,
              baronresults::outcome& o) {
  using baronresults::number;
  o.lower = m.obj.maximize ? objective : number(-1e51, dexponent);
  o.upper = m.obj.maximize ? number(1e51, dexponent) : objective;
  o.modelstatus = "4";
}

// The search's answer: its best candidate, found when the search stopped at its candidate
// limit (barstatus 3), without duals, which a sample does not give.
baronresults::outcome fromanswer(const baronparse::model& m, const baronanswer::answer& a,
                                 bool dexponent) {
  using baronresults::number;
  baronresults::outcome o;
  o.candidates = a.candidates;
  o.itera = std::to_string(a.candidates);
  baronresults::solution s{number(a.objective, dexponent), {}};
  for (const double x : a.point) s.values.push_back(number(x, dexponent));
  o.solutions = {s};
  if (a.feasible) {
    unproven(m, s.objective, dexponent, o);
    o.barstatus = "3";
    o.duals = false;
    o.nodeopt = a.best == 0 ? "-2" : std::to_string(a.best);
    o.resform = baronresults::form::both;
  } else {
    o.lower = number(-1e51, dexponent);  // the bounds of the objective: nothing known
    o.upper = number(1e51, dexponent);
    o.modelstatus = "5";
    o.nodeopt = "-3";
    o.resform = baronresults::form::nosolution;
  }
  return o;
}

// The local solver's answer as the stand-in's solution: its levels, the objective there
// (no bound proven beyond it), its marginals as the duals.
baronresults::outcome fromlocal(const baronparse::model& m, const baronlocal::result& l,
                                bool dexponent) {
  using baronresults::number;
  baronresults::outcome o;
  o.candidates = 1;
  o.itera = "1";
  o.nodeopt = "-1";
  baronresults::solution s{number(baronparse::evaluate(m.obj.expr, l.levels), dexponent), {}};
  for (const double x : l.levels) s.values.push_back(number(x, dexponent));
  o.solutions = {s};
  unproven(m, s.objective, dexponent, o);
  for (const double d : l.marginals) o.vardual.push_back(number(d, dexponent));
  for (const double d : l.equmarginals) o.equdual.push_back(number(d, dexponent));
  o.resform = baronresults::form::both;
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return refuse("usage: baron <input file>");
  const std::string file = argv[1];
  std::string text, why;
  const char* limit = std::getenv("BARON_STANDIN_MAXINPUT");
  if (!linetokens::readfile(file, text, why,
                            limit != nullptr ? std::strtoull(limit, nullptr, 10) : maxinput))
    return refuse(file + ":0: cannot read the input file: " + why);
  if (text.empty()) return refuse(file + ":0: empty input file");

  const baronparse::result r = baronparse::parse(text, file);
  paths p;
  std::string pathfault;
  const bool havepaths = resultpaths(r, text, p, pathfault);
  if (!r.ok) return refuse(r.message(), p.tim, file);
  if (!havepaths) return refuse(pathfault);

  baronscenario::scenario sc;
  const char* scenariofile = std::getenv("BARON_STANDIN_SCENARIO");
  if (scenariofile != nullptr && *scenariofile != '\0' &&
      !baronscenario::read(scenariofile, sc, why))
    return refuse(why, p.tim, file);

  // A scenario that gives the solution needs no search.
  const bool given = !sc.solutions.empty();
  const baronanswer::answer a = given ? baronanswer::answer{} : baronanswer::search(r.m);
  const int solver = baronlocal::solvernumber(r.m, p.nlpsol);
  baronlocal::result local;
  if (solver != 0) local = baronlocal::solve(r.m, p.library, p.ctrlfile, solver);
  baronresults::outcome o = local.solved ? fromlocal(r.m, local, sc.dexponent)
                            : given      ? baronresults::outcome{}
                                         : fromanswer(r.m, a, sc.dexponent);
  o.name = tokenname(file);
  baronscenario::apply(sc, o);

  std::printf("BARON stand-in: %s: %zu variables, %zu equations, %s\n", filepart(file).c_str(),
              r.m.variables.size(), r.m.equations.size(),
              r.m.obj.maximize ? "maximize" : "minimize");
  if (!p.ctrlfile.empty()) std::printf("BARON stand-in: control file %s\n", p.ctrlfile.c_str());
  if (given)
    std::printf("BARON stand-in: no search, the scenario gives the solution\n");
  else if (a.feasible)
    std::printf("BARON stand-in: %d candidates, best %s (candidate %d)\n", a.candidates,
                baronresults::number(a.objective, false).c_str(), a.best);
  else
    std::printf("BARON stand-in: %d candidates, none feasible\n", a.candidates);
  if (solver != 0 && local.solved)
    std::printf("BARON stand-in: local solver %d: model status %d, solve status %d\n", solver,
                local.modelstat, local.solvestat);
  else if (solver != 0)
    std::printf("BARON stand-in: local solver %d: %s\n", solver, local.message.c_str());
  if (scenariofile != nullptr && *scenariofile != '\0')
    std::printf("BARON stand-in: scenario %s\n", filepart(scenariofile).c_str());
  std::printf("BARON stand-in: barstatus %s, model status %s\n", o.barstatus.c_str(),
              o.modelstatus.c_str());
  std::fflush(stdout);

  int code = sc.exitcode;
  const std::pair<const std::string*, std::string> files[] = {
      {&p.tim, "tim"}, {&p.sum, "sum"}, {&p.res, "res"}};
  for (const auto& [path, kind] : files) {
    const std::string content = kind == "tim"   ? baronresults::timtext(o)
                                : kind == "sum" ? baronresults::sumtext(r.m, o)
                                                : baronresults::restext(r.m, o);
    if (!writefile(*path, content, sc.faults[kind])) code = refuse(*path + ":0: cannot write");
  }
  return code;
}
