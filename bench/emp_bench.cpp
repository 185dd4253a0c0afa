// The EMP loader against reading the same file raw: 100,000 dualVAR pairs, one a line, over
// a model of 100,000 columns x(i) and 100,000 rows e(i), resolved through the dictionary
// stand-in (loaded once, handed to the loader). Counter vs_raw is the best load time over
// the best time to read the file into a fresh buffer (goal: within 5); items_ms is the item
// reader's part of the load; dict_ms is the time the dictionary stand-in takes to answer the
// loader's lookups (replayed alone), and vs_raw_nodict leaves it out of the load.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bindings/dctmdcdef.h"
#include "emp/empdata.h"
#include "emp/empreader.h"
#include "frame/q5rt.h"
#include "frame/statlib.h"

namespace {

namespace fs = std::filesystem;

constexpr std::int32_t n = 100'000;

struct workspace {
  fs::path dir = fs::temp_directory_path() / ("blempbench-" + std::to_string(::getpid()));
  std::string emp = (dir / "model.emp").string();
  std::string dct = (dir / "model.dct").string();
  workspace() {
    fs::create_directories(dir);
    std::ofstream d(dct);
    for (std::int32_t i = 1; i <= n; ++i) d << "label i" << i << "\n";
    d << "symbol x 5 1\nsymbol e 6 1\n";
    for (std::int32_t i = 1; i <= n; ++i) d << "row e i" << i << "\n";
    for (std::int32_t i = 1; i <= n; ++i) d << "col x i" << i << "\n";
    std::ofstream e(emp);
    e << "dualVAR\n";
    for (std::int32_t i = 1; i < n; ++i) e << "  x('i" << i << "') e('i" << i << "')\n";
  }
  ~workspace() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

// The stand-in libraries beside the build's bench folder.
std::string standinlib() {
  return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "standins" / "lib")
      .string();
}

void discard(std::string_view, void*) {}

// The dictionary lookups the loader makes for the items: label numbers, then the row or
// column of each indexed item (the symbols are asked once per name, a label not again when
// the item before had the same text at that position).
double dictlookups(bindproto::handle dict, const empreader::templist& items) {
  const auto start = std::chrono::steady_clock::now();
  std::unordered_map<std::string_view, std::pair<std::int32_t, std::int32_t>> symbols;
  std::string_view lasttexts[empreader::maxindices];
  std::int32_t lastuels[empreader::maxindices] = {};
  bool known[empreader::maxindices] = {};
  std::int32_t found = 0;
  for (std::int32_t n = 1; n <= items.count(); ++n) {
    const empreader::tempitem& it = items.item(n);
    if (it.dim == 0) continue;
    auto [at, fresh] = symbols.try_emplace(it.name);
    if (fresh) {
      at->second.first = dctmdcdef::dctsymindex(dict, q5rt::sstr::cut(it.name));
      at->second.second = dctmdcdef::dctsymtype(dict, at->second.first);
    }
    const auto [sym, type] = at->second;
    std::int32_t uels[empreader::maxindices] = {};
    for (std::int32_t k = 0; k < std::min(it.dim, empreader::maxindices); ++k) {
      const std::string_view text = empreader::unquoted(items.index(it, k));
      if (!known[k] || lasttexts[k] != text)
        lastuels[k] = dctmdcdef::dctuelindex(dict, q5rt::sstr::cut(text));
      known[k] = true;
      lasttexts[k] = text;
      uels[k] = lastuels[k];
    }
    found += (type == 6 ? dctmdcdef::dctrowindex(dict, sym, uels)
                        : dctmdcdef::dctcolindex(dict, sym, uels)) >= 0;
  }
  benchmark::DoNotOptimize(found);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double rawread(const std::string& file) {
  const auto start = std::chrono::steady_clock::now();
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  benchmark::DoNotOptimize(bytes.data());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_emp_load_vs_raw(benchmark::State& state) {
  static bool started = false;
  if (!started) q5rt::run_startups();
  started = true;
  const workspace w;
  q5rt::sstr msg;
  bindproto::handle dict = nullptr;
  if (!dctmdcdef::dctgetreadyd(standinlib(), msg) || !dctmdcdef::dctcreate(dict, msg) ||
      dctmdcdef::dctloadex(dict, q5rt::sstr::cut(w.dct), msg) != 0) {
    state.SkipWithError(msg.str().c_str());
    return;
  }
  const std::vector<std::int32_t> zeros(n, 0);
  const std::vector<std::uint8_t> kinds(n, 0);
  const std::vector<const zlmspecs::tjacrec*> nojac(n, nullptr);
  double bestload = 1e300, bestraw = 1e300, bestitems = 1e300, bestdict = 1e300;
  std::int32_t pairs = 0;
  for (auto _ : state) {
    bestraw = std::min(bestraw, rawread(w.emp));
    {
      const auto start = std::chrono::steady_clock::now();
      empreader::templist items;
      q5rt::sstr m;
      benchmark::DoNotOptimize(items.readfile(w.emp, m));
      bestitems =
          std::min(bestitems,
                   std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      bestdict = std::min(bestdict, dictlookups(dict, items));
    }
    const auto start = std::chrono::steady_clock::now();
    empdata::empalloc(n, n);
    empdata::emploadargs a;
    a.empfile = w.emp;
    void* given = dict;
    a.dicthandle = &given;
    a.coltype = zeros.data();
    a.colkind = kinds.data();
    a.colfirst = nojac.data();
    a.rowtype = zeros.data();
    a.rowfirst = nojac.data();
    a.instrfirst = zeros.data();
    a.instrlast = zeros.data();
    a.callback = &discard;
    if (empdata::emploadex(a) != 0) state.SkipWithError("the load failed");
    pairs = empdata::myemp.numdualvar;
    empdata::empfree();
    bestload = std::min(
        bestload, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  dctmdcdef::dctfree(dict);
  state.counters["pairs"] = pairs;
  state.counters["load_ms"] = bestload * 1e3;
  state.counters["raw_ms"] = bestraw * 1e3;
  state.counters["items_ms"] = bestitems * 1e3;
  state.counters["dict_ms"] = bestdict * 1e3;
  state.counters["vs_raw"] = bestload / bestraw;
  state.counters["vs_raw_nodict"] = (bestload - bestdict) / bestraw;
}
BENCHMARK(BM_emp_load_vs_raw)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
