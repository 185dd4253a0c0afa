// The exports of libkorvasteps64 and the state behind BARON's handle (see korvasteps.h).
#include "bridge/korvasteps.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/bavemap.h"
#include "bridge/bridgelibs.h"
#include "bridge/solvertable.h"

#define BARONZOLM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int msglen = 256;
using textbuf = char[msglen];

// The record behind BARON's handle: the fields BARON's side knows of first, then the
// bridge's own.
struct baronzolm_state {
  void* modelObject = nullptr;
  void* environment = nullptr;
  char minlpSolver[256] = {};
  char nlpSolver[256] = {};
  std::int32_t minlpOptNumber = 0;
  std::int32_t nlpOptNumber = 0;
  std::int32_t mapVarCount = 0;
  // Set only when init succeeded: solveprob serves no other state.
  bool ready = false;
  // Length of the installed equation order; 0 when none was installed.
  std::int32_t mapEquCount = 0;
  // Room for the model object's arrays before they are copied into BARON's.
  std::vector<double> scratch;
};

void say(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

template <typename T>
void put(T* p, T v) {
  if (p != nullptr) *p = v;
}

template <typename T>
T value(const T* p) {
  return p != nullptr ? *p : T{};
}

void copyname(char (&to)[256], std::string_view from) {
  const std::size_t n = std::min<std::size_t>(from.size(), 255);
  std::memcpy(to, from.data(), n);
  to[n] = '\0';
}

// The model object's option-file name (a text-property setter takes a buffer).
void setoptname(void* kro, std::string_view name) {
  textbuf b = {};
  copyname(b, name);
  (void)bridgekro::kronameoptfileset(kro, b);
}

// The environment's callback for texts: the bridge drops them all.
void hvnwritemsg(const char*, std::int32_t, void*) {}

// ---- init ----

// Reads the map file and installs BARON's orders in the model object. The map names no
// more variables and equations than the model object counts (n and m, as init told BARON):
// BARON's arrays hold no more, and solveprob walks them by the map's counts.
bool readmap(baronzolm_state& st, std::int32_t objrow, std::int32_t objvar) {
  textbuf path = {};
  (void)bridgehvn::hvngetscratchname(st.environment, "bavemap", path);
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) {
    say("Could not open Baron VE map: " + std::string(path) + "\n");
    return false;
  }
  bavemap::mapfile map;
  map.vars.room = std::max(bridgekro::kron(st.modelObject), 0);
  map.equs.room = std::max(bridgekro::krom(st.modelObject), 0);
  std::string msg;
  bool parsed = false;
  try {
    parsed = bavemap::read(f, path, map, msg);
  } catch (const std::bad_alloc&) {
    msg = "Not enough memory to allocate BaronVarToZolm0\n";
  }
  const bool readerror = std::ferror(f) != 0;
  if (std::fclose(f) != 0 || readerror) {
    say("Could not close Baron VE map: " + std::string(path) + "\n");
    return false;
  }
  if (!parsed) {
    say(msg);
    return false;
  }
  const auto reform = [&] { return bridgekro::kroobjreform(st.modelObject) != 0; };
  if (!bavemap::tomodel(map, map.vars, reform(), objvar, msg)) {
    say(msg);
    return false;
  }
  st.mapVarCount = static_cast<std::int32_t>(map.vars.entries.size());
  if (bridgekro::krosetrvvarpermutation(st.modelObject, map.vars.entries.data(), st.mapVarCount) !=
      0) {
    say("Could not set variable permutation");
    return false;
  }
  if (!map.equs.entries.empty()) {
    if (!bavemap::tomodel(map, map.equs, reform(), objrow, msg)) {
      say(msg);
      return false;
    }
    const auto count = static_cast<std::int32_t>(map.equs.entries.size());
    if (bridgekro::krosetrvequpermutation(st.modelObject, map.equs.entries.data(), count) != 0) {
      say("Could not set constraint permutation");
      return false;
    }
    st.mapEquCount = count;
  }
  return true;
}

// The option object of init, freed on every way out.
struct optionobject {
  void* h = nullptr;
  ~optionobject() {
    if (h != nullptr) bridgeopt::lib.free(&h);
  }
};

// Takes the solver option's value apart into name and option-file number; the state changes
// only when the value is a solver name.
void choosesolver(void* opt, const char* option, char (&name)[256], std::int32_t& number,
                  std::string_view warning) {
  if (bridgeopt::optgetdefinedstr(opt, option) == 0) return;
  textbuf value = {};
  textbuf solver = {};
  std::int32_t optnumber = 0;
  (void)bridgeopt::optgetstrstr(opt, option, value);
  if (bridgeopt::optgetnameopt(opt, value, solver, &optnumber) == 0) {
    say(warning);
    return;
  }
  copyname(name, solver);
  number = optnumber;
}

// Steps 15 to 18: the user's choice of local solvers from the BARON option file.
bool readoptions(baronzolm_state& st) {
  optionobject opt;
  textbuf msg = {};
  if (bridgeopt::lib.create(&opt.h, msg, msglen) == 0) {
    say(msg);
    return false;
  }
  textbuf sysdir = {};
  (void)bridgehvn::hvngetstropt(st.environment, "NameSysDir", sysdir);
  const std::string deffile = std::string(sysdir) + "optbaron.def";
  if (deffile.size() > 255) {
    say("Option definition file name longer than 255 characters: " + deffile + "\n");
    return false;
  }
  if (bridgeopt::optreaddefinition(opt.h, deffile.c_str()) == 0) {
    (void)bridgeopt::opteolonlyset(opt.h, 1);
    bridgeopt::optechoset(opt.h, 0);
    textbuf optfile = {};
    (void)bridgekro::kronameoptfile(st.modelObject, optfile);
    (void)bridgeopt::optreadparameterfile(opt.h, optfile);
    bridgeopt::optclearmessages(opt.h);
  }
  choosesolver(opt.h, "ExtNLPsolver", st.nlpSolver, st.nlpOptNumber,
               "*** Warning: ExtNLPsolver syntax wrong.");
  choosesolver(opt.h, "ExtMINLPsolver", st.minlpSolver, st.minlpOptNumber,
               "*** Warning: ExtMINLPsolver syntax wrong.");
  return true;
}

std::int32_t init(baronzolm_state& st, const char* controlFile, std::int32_t* const outs[5],
                  std::int32_t* solverAvail, std::int32_t nSolverAvail, std::int32_t baronDate,
                  std::int32_t* out12) {
  if (controlFile == nullptr) {
    say("No controlFile given.\n");
    return 1;
  }
  if (std::strlen(controlFile) > 255) {
    say("Control file name longer than 255 characters.\n");
    return 1;
  }
  textbuf msg = {};
  if (bridgehvn::lib.create(&st.environment, msg, msglen) == 0 ||
      bridgekro::lib.create(&st.modelObject, msg, msglen) == 0) {
    say(msg);
    return 1;
  }
  void* env = st.environment;
  void* kro = st.modelObject;
  bridgehvn::hvnskipiolegacyset(env, 1);
  if (bridgehvn::hvninitenvironmentlegacy(env, ("@" + std::string(controlFile)).c_str()) != 0) {
    say("Failure in hvnInitEnvironmentLegacy()\n");
    return 1;
  }
  bridgehvn::hvnregisterwritecallback(env, reinterpret_cast<void (*)()>(&hvnwritemsg), 1, kro);
  if (bridgekro::kroregisterenvironment(kro, env, msg) != 0 ||
      bridgekro::kroloaddatalegacy(kro, msg) != 0) {
    say(msg);
    return 1;
  }
  put(outs[0], bridgekro::kron(kro));
  put(outs[1], bridgekro::krom(kro));
  put(outs[2], bridgekro::kronz(kro));
  put(outs[3], bridgekro::kronlnz(kro));
  put(outs[4], bridgekro::kromodeltype(kro));

  if (solverAvail != nullptr && nSolverAvail >= 1)
    std::fill_n(solverAvail, nSolverAvail, std::int32_t{0});
  if (baronDate > korvasteps::newestbaron) {
    bridgehvn::hvnlogstat(env, "Error: BARON executable too new for this Zolm system.\n");
    return 1;
  }
  // Slots 0 to 15 are advertised, 0 to 2 included although the local solvers are numbered
  // from 3: BARON reads the slots so.
  if (solverAvail != nullptr)
    std::fill_n(solverAvail, std::clamp(nSolverAvail, 0, korvasteps::availableslots),
                std::int32_t{2});
  put(out12, std::int32_t{1});

  const std::int32_t objrow = bridgekro::kroobjrow(kro);
  const std::int32_t objvar = bridgekro::kroobjvar(kro);
  bridgekro::kroobjstyleset(kro, 2);
  if (!readmap(st, objrow, objvar)) return 1;

  copyname(st.nlpSolver, solvertable::name(solvertable::defaultnlp));
  copyname(st.minlpSolver, solvertable::name(solvertable::defaultminlp));
  if (bridgekro::krooptfile(kro) <= 0) return 0;
  return readoptions(st) ? 0 : 1;
}

// ---- solveprob ----

// The model object's settings that a solve changes, restored when it ends.
class savedsettings {
 public:
  savedsettings(void* env, void* kro, bool forcecont)
      : env_(env),
        kro_(kro),
        forcecont_(forcecont),
        minf_(bridgekro::krominf(kro)),
        pinf_(bridgekro::kropinf(kro)),
        optfile_(bridgekro::krooptfile(kro)),
        nodelim_(bridgehvn::hvngetintopt(env, "NodeLim")) {
    (void)bridgekro::kronameoptfile(kro, optname_);
  }
  savedsettings(const savedsettings&) = delete;
  savedsettings& operator=(const savedsettings&) = delete;
  ~savedsettings() {
    if (forcecont_) bridgekro::kroforcecontset(kro_, 0);
    bridgekro::kroaltboundsset(kro_, 0);
    bridgekro::kropinfset(kro_, pinf_);
    bridgekro::krominfset(kro_, minf_);
    setoptname(kro_, optname_);
    bridgekro::krooptfileset(kro_, optfile_);
    bridgehvn::hvnsetintopt(env_, "NodeLim", nodelim_);
  }

 private:
  void* env_;
  void* kro_;
  bool forcecont_;
  double minf_, pinf_;
  std::int32_t optfile_;
  std::int32_t nodelim_;
  textbuf optname_ = {};
};

// "<solver>.opt", ".op<k>", ".o<k>" or ".<k>" by the size of k (1..999).
std::string numberedoptfile(std::string_view solver, std::int32_t k) {
  const std::string name(solver);
  if (k == 1) return name + ".opt";
  if (k <= 9) return name + ".op" + std::to_string(k);
  if (k <= 99) return name + ".o" + std::to_string(k);
  return name + "." + std::to_string(k);
}

std::string lowercase(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// Copies the first n entries of an array the model object fills into BARON's array; when
// the model object's count is n it fills BARON's array itself.
template <typename F>
void fetch(baronzolm_state& st, std::int32_t modelcount, std::int32_t n, double* to, F get) {
  if (to == nullptr || n <= 0) return;
  if (modelcount == n) {
    (void)get(to);
    return;
  }
  const auto needed = static_cast<std::size_t>(std::max(modelcount, n));
  if (st.scratch.size() < needed) st.scratch.resize(needed);
  (void)get(st.scratch.data());
  std::copy_n(st.scratch.data(), n, to);
}

struct solveargs {
  const std::int32_t* solver;
  const char* optFile;
  const char* solverText;
  const std::int32_t* allContinuous;
  const double* arg6;
  const std::int32_t* arg7;
  const std::int32_t* nodeLimit;
  const std::int32_t* arg9;
  const double* arg10;
  const double* arg11;
  const double* lower;
  const double* upper;
  double* levels;
  double* marginals;
  const std::int32_t* wantEquMarginals;
  double* equMarginals;
  std::int32_t* modelStat;
  std::int32_t* solveStat;
  double* headTail5;
  double* headTail15;
  std::int32_t* headTail3;
  std::int32_t* headTail11;
};

std::int32_t solve(baronzolm_state& st, const solveargs& a) {
  void* env = st.environment;
  void* kro = st.modelObject;
  const bool forcecont = value(a.allContinuous) != 0;
  const savedsettings saved(env, kro, forcecont);
  bridgekro::krominfset(kro, -1e51);
  bridgekro::kropinfset(kro, 1e51);
  // BARON's point and bounds, one variable at a time (a missing array counts as zeros).
  const auto setlevel = bridgekro::krosetvarlone.function();
  const auto setmarginal = bridgekro::krosetvarmone.function();
  const auto setlower = bridgekro::krosetaltvarlowerone.function();
  const auto setupper = bridgekro::krosetaltvarupperone.function();
  const auto at = [](const double* p, std::int32_t i) { return p != nullptr ? p[i] : 0.0; };
  for (std::int32_t i = 0; i < st.mapVarCount; ++i) {
    setlevel(kro, i, at(a.levels, i));
    setmarginal(kro, i, at(a.marginals, i));
    setlower(kro, i, at(a.lower, i));
    setupper(kro, i, at(a.upper, i));
  }
  bridgekro::kroaltboundsset(kro, 1);
  if (forcecont) bridgekro::kroforcecontset(kro, 1);

  const std::int32_t number = value(a.solver);
  std::string_view solver = solvertable::name(number);
  std::int32_t optnumber = 0;
  if (number == 100) {
    solver = st.nlpSolver;
    optnumber = st.nlpOptNumber;
  } else if (number == 101) {
    solver = st.minlpSolver;
    optnumber = st.minlpOptNumber;
  } else if (solver.empty()) {
    say("Can't match solver number " + std::to_string(number) + " to Zolm NLP or MINLP solver\n");
    return 1;
  }
  bridgekro::krooptfileset(kro, 0);
  if (optnumber > 0) {
    if (optnumber > korvasteps::maxoptfile) {
      say("(MI)NLP Optfile number has to be within [0,999]");
      return 1;
    }
    bridgekro::krooptfileset(kro, optnumber);
    setoptname(kro, numberedoptfile(solver, optnumber));
  }
  if (a.optFile != nullptr && a.optFile[0] != '\0' && bridgekro::krooptfile(kro) == 0) {
    bridgekro::krooptfileset(kro, 1);
    setoptname(kro, a.optFile);
  }
  if (bridgekro::krooptfile(kro) == 0) {
    textbuf scrdir = {};
    (void)bridgehvn::hvngetstropt(env, "NameScrDir", scrdir);
    // Only the solver's name is lower-cased: the scratch directory is a path as it stands.
    const std::string path = std::string(scrdir) + lowercase(std::string(solver)) + ".opt";
    if (path.size() <= 280 && access(path.c_str(), F_OK) == 0) {
      bridgekro::krooptfileset(kro, 1);
      setoptname(kro, path);
    }
  }
  bridgehvn::hvnsetintopt(env, "NodeLim", value(a.nodeLimit));
  textbuf msg = {};
  const std::string solvername(solver);
  const std::int32_t result = bridgehvn::hvncallsolver(
      env, kro, "", solvername.c_str(), 5, 2, a.solverText != nullptr ? a.solverText : "", "",
      value(a.arg6), value(a.arg7), value(a.arg9), value(a.arg10), value(a.arg11),
      static_cast<void**>(nullptr), msg);

  const std::int32_t n = bridgekro::kron(kro);
  fetch(st, n, st.mapVarCount, a.levels,
        [&](double* to) { return bridgekro::krogetvarl(kro, to); });
  fetch(st, n, st.mapVarCount, a.marginals,
        [&](double* to) { return bridgekro::krogetvarm(kro, to); });
  if (value(a.wantEquMarginals) != 0)
    fetch(st, bridgekro::krom(kro), st.mapEquCount, a.equMarginals,
          [&](double* to) { return bridgekro::krogetequm(kro, to); });
  put(a.modelStat, bridgekro::kromodelstat(kro));
  put(a.solveStat, bridgekro::krosolvestat(kro));
  put(a.headTail5, bridgekro::krogetheadntail(kro, 5));
  put(a.headTail15, bridgekro::krogetheadntail(kro, 15));
  put(a.headTail3, static_cast<std::int32_t>(bridgekro::krogetheadntail(kro, 3)));
  put(a.headTail11, static_cast<std::int32_t>(bridgekro::krogetheadntail(kro, 11)));
  return result;
}

}  // namespace

BARONZOLM_EXPORT std::int32_t baronzolm_init(void** state, const char* controlFile,
                                             std::int32_t* out3, std::int32_t* out4,
                                             std::int32_t* out5, std::int32_t* out6,
                                             std::int32_t* out7, std::int32_t* solverAvail,
                                             std::int32_t nSolverAvail, std::int32_t baronDate,
                                             baronzolm_callback, std::int32_t* out12) {
  try {
    auto* st = new (std::nothrow) baronzolm_state;
    if (state == nullptr) {
      delete st;
      return 1;
    }
    *state = st;
    if (st == nullptr) return 1;
    std::int32_t* const outs[5] = {out3, out4, out5, out6, out7};
    const std::int32_t r =
        init(*st, controlFile, outs, solverAvail, nSolverAvail, baronDate, out12);
    st->ready = r == 0;
    return r;
  } catch (...) {
    return 1;
  }
}

BARONZOLM_EXPORT std::int32_t baronzolm_solveprob(
    void* state, const std::int32_t* solver, const char* optFile, const char* solverText,
    const std::int32_t* allContinuous, const double* arg6, const std::int32_t* arg7,
    const std::int32_t* nodeLimit, const std::int32_t* arg9, const double* arg10,
    const double* arg11, const double* lower, const double* upper, double* levels,
    double* marginals, const std::int32_t* wantEquMarginals, double* equMarginals,
    std::int32_t* modelStat, std::int32_t* solveStat, double* headTail5, double* headTail15,
    std::int32_t* headTail3, std::int32_t* headTail11) {
  try {
    auto* st = static_cast<baronzolm_state*>(state);
    if (st == nullptr || !st->ready) {
      say("baronzolm_init() not called or did not succeed.\n");
      return 1;
    }
    return solve(*st, {solver,       optFile,   solverText, allContinuous, arg6,
                       arg7,         nodeLimit, arg9,       arg10,         arg11,
                       lower,        upper,     levels,     marginals,     wantEquMarginals,
                       equMarginals, modelStat, solveStat,  headTail5,     headTail15,
                       headTail3,    headTail11});
  } catch (...) {
    return 1;
  }
}

BARONZOLM_EXPORT std::int32_t baronzolm_free(void* state) {
  try {
    if (auto* st = static_cast<baronzolm_state*>(state)) {
      if (st->modelObject != nullptr) bridgekro::lib.free(&st->modelObject);
      if (st->environment != nullptr) bridgehvn::lib.free(&st->environment);
      delete st;
    }
    (void)bridgekro::lib.libraryunload();
    (void)bridgehvn::lib.libraryunload();
    return bridgeopt::lib.libraryunload();
  } catch (...) {
    return 0;
  }
}
