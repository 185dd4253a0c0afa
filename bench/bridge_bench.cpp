// One baronzolm_solveprob round trip on a model of 100,000 variables and 100,000 equations
// in a BARON order that reverses the model's, against a plain copy of the same arrays.
//
// The bridge is loaded as BARON loads it, from a system directory that holds it beside the
// option and combined stand-ins; the model object is the combined stand-in's synthetic model
// (BRIN_SYNTHETIC), on the small control file of the end-to-end fixtures.
// BM_BridgeOwn fails the solver call by fault injection (BRIN_FAIL=hvnCallSolver), so its
// time is the bridge's own: saving and restoring settings, four pushes per variable, the
// option-file choice and the pulls of levels and marginals in BARON's order. BM_RoundTrip
// lets the fake local solver run too. Counter vs_copy: the best call time over the best time
// of copying the seven arrays (four in, three out) with std::copy (goal: within 3).
// Counter push_ms: the best time of the bare four calls per variable into the stand-in, made
// straight from here: the share of call_ms that the prescribed one-variable calls and the
// stand-in's own work take, whatever the bridge does around them. Counter own_vs_copy: the
// rest of the call (call_ms - push_ms: the bridge's loop around those calls, the pulls and
// the settings) over the copy time. Counter empty_vs_copy: the same number of calls to a
// function that does nothing (libbenchemptycall.so), over the copy time: what any bridge that
// makes the four one-variable calls per variable pays before the model object does any work.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bridge/korvasteps.h"

namespace {

namespace fs = std::filesystem;
constexpr std::int32_t size = 100'000;

[[noreturn]] void fail(const std::string& why) {
  std::fprintf(stderr, "bridge_bench: %s\n", why.c_str());
  std::exit(1);
}

// The build folder (two up from this program) and the source folder from its cache.
fs::path builddir() { return fs::read_symlink("/proc/self/exe").parent_path().parent_path(); }

fs::path sourcedir() {
  std::ifstream cache(builddir() / "CMakeCache.txt");
  for (std::string line; std::getline(cache, line);)
    if (line.rfind("CMAKE_HOME_DIRECTORY:INTERNAL=", 0) == 0)
      return line.substr(line.find('=') + 1);
  fail("no CMakeCache.txt beside the benchmarks");
}

// The run's folder: model files, system directory and a map that reverses both orders.
struct rundir {
  fs::path path = fs::temp_directory_path() / ("bridgebench-" + std::to_string(::getpid()));
  rundir() {
    fs::create_directories(path / "sysdir");
    const fs::path model = sourcedir() / "tests/e2e/fixtures/layout0";
    for (const char* f : {"model.ctl", "model.mat", "model.cod"}) fs::copy(model / f, path / f);
    fs::copy(builddir() / "bridge/libkorvasteps64.so", path / "sysdir");
    fs::copy(builddir() / "standins/lib/libzlmopt64.so", path / "sysdir");
    fs::copy(builddir() / "standins/lib/libbrin64.so", path / "sysdir");
    std::ostringstream map;
    map << "VARIABLES " << size << "\n";
    for (std::int32_t k = size; k >= 1; --k) map << k << "\n";
    map << "EQUATIONS " << size << "\n";
    for (std::int32_t k = size; k >= 1; --k) map << k << "\n";
    std::ofstream(path / "bavemap.scr") << map.str();
  }
  ~rundir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

// The bridge, initialised on the synthetic model.
struct bridge {
  baronzolm_init_fn init = nullptr;
  baronzolm_solveprob_fn solve = nullptr;
  baronzolm_free_fn release = nullptr;
  void* lib = nullptr;
  void* state = nullptr;
  explicit bridge(const rundir& dir) {
    fs::current_path(dir.path);
    ::setenv("BRIN_SYNTHETIC", "100000,100000", 1);
    lib = dlopen((dir.path / "sysdir/libkorvasteps64.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) fail(dlerror());
    init = reinterpret_cast<baronzolm_init_fn>(dlsym(lib, "baronzolm_init"));
    solve = reinterpret_cast<baronzolm_solveprob_fn>(dlsym(lib, "baronzolm_solveprob"));
    release = reinterpret_cast<baronzolm_free_fn>(dlsym(lib, "baronzolm_free"));
    std::int32_t outs[6] = {};
    std::int32_t avail[16] = {};
    if (init(&state, "model.ctl", &outs[0], &outs[1], &outs[2], &outs[3], &outs[4], avail, 16,
             20240508, nullptr, &outs[5]) != 0)
      fail("baronzolm_init failed");
  }
  // The model object behind BARON's handle (its record's first field).
  [[nodiscard]] void* modelobject() const { return *static_cast<void* const*>(state); }
  ~bridge() {
    (void)release(state);
    dlclose(lib);
  }
};

struct arrays {
  std::vector<double> lower = std::vector<double>(size, -5.0);
  std::vector<double> upper = std::vector<double>(size, 5.0);
  std::vector<double> levels = std::vector<double>(size, 0.5);
  std::vector<double> marginals = std::vector<double>(size, 0.0);
  std::vector<double> equs = std::vector<double>(size, 0.0);
};

double seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// The model object's four one-variable setters, from the copy of the combined stand-in that
// the bridge loaded. The bridge asks for it by file name, so the loader takes the copy in a
// folder of LD_LIBRARY_PATH before the one beside the bridge: the loaded copy is looked up
// by that name, wherever it was found.
struct setters {
  using setone = void (*)(void*, std::int32_t, double);
  setone level, marginal, lower, upper;
  setters() {
    void* lib = dlopen("libbrin64.so", RTLD_NOW | RTLD_NOLOAD);
    if (lib == nullptr) fail("the combined stand-in is not loaded");
    const auto find = [&](const char* name) {
      auto* f = reinterpret_cast<setone>(dlsym(lib, name));
      if (f == nullptr) fail(std::string("no ") + name);
      return f;
    };
    level = find("kroSetVarLOne");
    marginal = find("kroSetVarMOne");
    lower = find("kroSetAltVarLowerOne");
    upper = find("kroSetAltVarUpperOne");
    dlclose(lib);
  }
};

// The empty callee, loaded beside the stand-ins.
setters::setone emptycallee() {
  void* lib = dlopen((builddir() / "bench/libbenchemptycall.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  if (lib == nullptr) fail(dlerror());
  auto* empty = reinterpret_cast<setters::setone>(dlsym(lib, "benchemptycall"));
  if (empty == nullptr) fail("no benchemptycall");
  return empty;
}

// The four one-variable calls for every variable, with nothing around them.
double pushtime(const setters& set, void* kro, const arrays& a) {
  const auto t0 = std::chrono::steady_clock::now();
  for (std::int32_t i = 0; i < size; ++i) {
    set.level(kro, i, a.levels[static_cast<std::size_t>(i)]);
    set.marginal(kro, i, a.marginals[static_cast<std::size_t>(i)]);
    set.lower(kro, i, a.lower[static_cast<std::size_t>(i)]);
    set.upper(kro, i, a.upper[static_cast<std::size_t>(i)]);
  }
  return seconds(std::chrono::steady_clock::now() - t0);
}

// The same four calls per variable, to the empty callee. A loop of its own: call sites that
// alternate between two sets of targets run slower on some processors, and would slow both.
double emptytime(setters::setone empty, const arrays& a) {
  const auto t0 = std::chrono::steady_clock::now();
  for (std::int32_t i = 0; i < size; ++i) {
    empty(nullptr, i, a.levels[static_cast<std::size_t>(i)]);
    empty(nullptr, i, a.marginals[static_cast<std::size_t>(i)]);
    empty(nullptr, i, a.lower[static_cast<std::size_t>(i)]);
    empty(nullptr, i, a.upper[static_cast<std::size_t>(i)]);
  }
  return seconds(std::chrono::steady_clock::now() - t0);
}

// The baseline: the four input arrays copied in, the three output arrays copied out.
double copytime(arrays& a, std::vector<double>& side) {
  const auto t0 = std::chrono::steady_clock::now();
  for (const std::vector<double>* v : {&a.lower, &a.upper, &a.levels, &a.marginals})
    std::copy(v->begin(), v->end(), side.begin());
  for (std::vector<double>* v : {&a.levels, &a.marginals, &a.equs})
    std::copy(side.begin(), side.end(), v->begin());
  benchmark::DoNotOptimize(side.data());
  return seconds(std::chrono::steady_clock::now() - t0);
}

void roundtrip(benchmark::State& state, bool solverruns) {
  static const rundir dir;
  static const bridge b(dir);
  static const setters set;
  static const setters::setone empty = emptycallee();
  if (solverruns)
    ::unsetenv("BRIN_FAIL");
  else
    ::setenv("BRIN_FAIL", "hvnCallSolver", 1);
  arrays a;
  std::vector<double> side(size);
  const std::int32_t solver = 3, none = 0, nodes = 1000, want = 1, i7 = 0, i9 = 0;
  const double d = 0.0;
  std::int32_t ms = 0, ss = 0, h3 = 0, h11 = 0;
  double h5 = 0, h15 = 0;
  double bestcall = 1e300, bestcopy = 1e300, bestpush = 1e300, bestempty = 1e300;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(b.solve(b.state, &solver, nullptr, nullptr, &none, &d, &i7, &nodes,
                                     &i9, &d, &d, a.lower.data(), a.upper.data(), a.levels.data(),
                                     a.marginals.data(), &want, a.equs.data(), &ms, &ss, &h5, &h15,
                                     &h3, &h11));
    bestcall = std::min(bestcall, seconds(std::chrono::steady_clock::now() - t0));
    state.PauseTiming();
    bestcopy = std::min(bestcopy, copytime(a, side));
    bestpush = std::min(bestpush, pushtime(set, b.modelobject(), a));
    bestempty = std::min(bestempty, emptytime(empty, a));
    state.ResumeTiming();
  }
  ::unsetenv("BRIN_FAIL");
  state.counters["call_ms"] = bestcall * 1e3;
  state.counters["copy_ms"] = bestcopy * 1e3;
  state.counters["push_ms"] = bestpush * 1e3;
  state.counters["vs_copy"] = bestcall / bestcopy;
  state.counters["own_vs_copy"] = (bestcall - bestpush) / bestcopy;
  state.counters["empty_vs_copy"] = bestempty / bestcopy;
}

void BM_BridgeOwn(benchmark::State& state) { roundtrip(state, false); }
void BM_RoundTrip(benchmark::State& state) { roundtrip(state, true); }

}  // namespace

BENCHMARK(BM_BridgeOwn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoundTrip)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
