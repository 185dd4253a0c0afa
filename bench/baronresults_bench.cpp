// Reading BARON's results into the model record at two sizes (100,000 and 1,000,000
// variables, a tenth as many rows with ten linear terms each): the solution list with its
// dual section and the best-solution block, then the row levels. Beside each, the same
// files read raw through a small buffer, the floor of any reader; the counter "vs_raw" is
// the best results time over the best raw time and stays flat from one size to the other
// when the reading grows linearly.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "baron/gcbaron.h"
#include "baron/gcbaron_results.h"
#include "frame/q5rt.h"
#include "frame/statlib.h"
#include "instance/gcdata.h"
#include "instance/zlmspecs.h"

namespace {

constexpr std::int32_t termsperrow = 10;

struct fixture {
  std::filesystem::path dir;
  gcbaron::resultfiles files;
  std::int32_t cols = 0;
  fixture() = default;
  fixture(const fixture&) = delete;
  fixture& operator=(const fixture&) = delete;
  ~fixture() {
    std::error_code ec;
    if (!dir.empty()) std::filesystem::remove_all(dir, ec);
  }
};

std::string value(std::int32_t j) { return std::to_string(0.001 * (j % 977)) + "D+00"; }

std::string padded(const std::string& name) {
  return name + std::string(name.size() < 14 ? 14 - name.size() : 1, ' ');
}

void writefiles(const fixture& f) {
  const std::int32_t cols = f.cols, rows = f.cols / 10;
  std::ofstream(f.files.tim.str()) << "mybaron 0 0 0 0 1 1 1 1 0 100 5 0 1.5 2.5\n";
  std::ofstream(f.files.sum.str())
      << "  Total time elapsed (secs):  2.5\n All done with problem\n====================\n";
  std::ofstream res(f.files.res.str());
  for (int k = 0; k < 16; ++k) res << " preamble line " << k << "\n";
  res << "\n*** Normal completion ***\n\n Wall clock time:     2.5\n >>> Objective value: 1\n\n "
         "Variable      Value\n";
  for (std::int32_t j = 1; j <= cols; ++j)
    res << padded("x" + std::to_string(j)) << value(j) << "\n";
  res << "\n >>> Corresponding dual solution:\n Variable      Dual\n";
  for (std::int32_t j = 1; j <= cols; ++j)
    res << padded("x" + std::to_string(j)) << (j % 3 == 0 ? "0" : "-1.25") << "\n";
  res << " Equation      Dual\n";
  for (std::int32_t i = 1; i <= rows; ++i)
    res << padded("e" + std::to_string(i)) << (i % 2 == 0 ? "0" : "0.5") << "\n";
  res << "\n\nThe best solution found is:\n\n  variable     xlo     xbest     xup\n";
  for (std::int32_t j = 1; j <= cols; ++j) res << "x" << j << " 0 " << value(j) << " 10\n";
  res << "\nThe above solution has an objective value of: 1\n";
}

void makemodel(std::int32_t cols) {
  const std::int32_t rows = cols / 10;
  gcdata::tmodel& m = gcdata::mymodel;
  m = gcdata::tmodel{};
  m.valna = zlmspecs::valna, m.valpin = zlmspecs::valpin, m.valmin = zlmspecs::valmin;
  m.cols = cols;
  m.rows = rows;
  m.modeltype = 4;
  m.coltype.assign(cols, 0);
  m.collower.assign(cols, 0);
  m.colupper.assign(cols, 10);
  m.rowtype.assign(rows, 1);
  m.rowrhs.assign(rows, 0);
  m.rowfirstinstr.assign(rows, 0);
  m.rowlastinstr.assign(rows, 0);
  m.rowfirst.assign(rows, nullptr);
  m.jacelements.expect(static_cast<std::size_t>(rows) * termsperrow);
  for (std::int32_t i = 1; i <= rows; ++i) {
    zlmspecs::tjacrec* last = nullptr;
    for (std::int32_t k = 0; k < termsperrow; ++k) {
      zlmspecs::tjacrec& e = m.jacelements.emplace_back();
      e.row = i, e.col = 1 + (i * 7 + k * 100'003) % cols, e.jacval = 1.0 + k;
      (last != nullptr ? last->rownext : m.rowfirst[static_cast<std::size_t>(i - 1)]) = &e;
      last = &e;
    }
  }
  gcbaron::trunstate& s = gcbaron::state;
  s.baronvarseq = cols;
  s.baronequseq = rows;
  s.baronvartozolm.resize(cols);
  for (std::int32_t j = 0; j < cols; ++j) s.baronvartozolm[static_cast<std::size_t>(j)] = j + 1;
  s.baronequtozolm.resize(rows);
  for (std::int32_t i = 0; i < rows; ++i) s.baronequtozolm[static_cast<std::size_t>(i)] = i + 1;
  s.baronequclass.assign(rows, 0);
}

// The files of one size, written once; the model record is made anew for each benchmark.
const fixture& setup(std::int32_t cols) {
  static std::map<std::int32_t, fixture> made;
  static const bool started = [] {
    q5rt::run_startups();
    (void)statlib::gstatopen(0, 0, "");
    return true;
  }();
  (void)started;
  auto [at, fresh] = made.try_emplace(cols);
  fixture& x = at->second;
  if (fresh) {
    x.cols = cols;
    x.dir = std::filesystem::temp_directory_path() /
            ("baronresults_bench." + std::to_string(::getpid()) + "." + std::to_string(cols));
    std::filesystem::create_directories(x.dir);
    x.files.tim = q5rt::sstr::cut((x.dir / "tim").string());
    x.files.res = q5rt::sstr::cut((x.dir / "res").string());
    x.files.sum = q5rt::sstr::cut((x.dir / "sum").string());
    writefiles(x);
  }
  statlib::statussetfilename((x.dir / "sta").string());
  q5rt::sstr msg;
  (void)statlib::statusfileopen(0, msg);
  makemodel(cols);
  return x;
}

double seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// The three files read raw through a buffer of 64 KiB: the floor of a reader that streams.
double rawtime(const fixture& f, std::string& buffer) {
  buffer.resize(65536);
  const auto t0 = std::chrono::steady_clock::now();
  for (const q5rt::sstr* name : {&f.files.tim, &f.files.sum, &f.files.res}) {
    std::FILE* file = std::fopen(name->str().c_str(), "rb");
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
      benchmark::DoNotOptimize(buffer.data());
    }
    std::fclose(file);
  }
  return seconds(std::chrono::steady_clock::now() - t0);
}

void BM_ReadResults(benchmark::State& state) {
  const fixture& f = setup(static_cast<std::int32_t>(state.range(0)));
  std::string buffer;
  double bestread = 1e300, bestraw = 1e300;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const bool done = gcbaron::readresults(f.files);
    benchmark::DoNotOptimize(done);
    benchmark::DoNotOptimize(gcdata::mymodel.rowlevel.data());
    bestread = std::min(bestread, seconds(std::chrono::steady_clock::now() - t0));
    state.PauseTiming();
    bestraw = std::min(bestraw, rawtime(f, buffer));
    state.ResumeTiming();
  }
  const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(f.files.res.str()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
  state.counters["res_MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["read_ms"] = bestread * 1e3;
  state.counters["raw_ms"] = bestraw * 1e3;
  state.counters["vs_raw"] = bestread / bestraw;
}
BENCHMARK(BM_ReadResults)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
