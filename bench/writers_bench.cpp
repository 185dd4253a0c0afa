// The MPS and DAG writers on a linear model of 1,000,000 nonzeros (100,000 rows and
// columns, ten elements a column), against writing the same bytes of pre-formatted text
// through one buffered writer (the baseline). The counter "vs_baseline" is the writer's
// fastest time over the baseline's fastest time in the same run; "cpu_vs_baseline" the
// same for this thread's processor time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "baron/gcutil.h"
#include "frame/q5rt.h"
#include "frame/q5text.h"
#include "instance/gcdata.h"

namespace {

constexpr std::int32_t size = 100'000;
constexpr std::int32_t percolumn = 10;

const std::string& scratch(const char* name) {
  static const std::string dir = std::filesystem::temp_directory_path().string();
  static std::string path;
  path = dir + "/" + name;
  return path;
}

void buildmodel() {
  static bool built = false;
  if (built) return;
  built = true;
  q5rt::run_startups();
  gcdata::tmodel& m = gcdata::mymodel;
  m.modeltype = 1;
  m.valpin = 3e300;
  m.valmin = 4e300;
  m.rows = m.cols = size;
  m.nonzeros = size * percolumn;
  m.objvar = 1;
  const auto n = static_cast<std::size_t>(size);
  m.rowtype.assign(n, 2);
  m.rowrhs.assign(n, 10.5);
  m.rowfirstinstr.assign(n, 0);
  m.rowlastinstr.assign(n, 0);
  m.rowfirst.assign(n, nullptr);
  m.coltype.assign(n, 0);
  m.colsosset.assign(n, 0);
  m.collower.assign(n, 0.0);
  m.colupper.assign(n, 100.0);
  m.colfirst.assign(n, nullptr);
  m.equcount = {0, 0, size, 0, 0, 0, 0};
  m.colcount = {size, 0, 0, 0, 0, 0, 0};
  m.jacelements.expect(static_cast<std::size_t>(m.nonzeros));
  std::vector<zlmspecs::tjacrec*> rowlast(n, nullptr);
  for (std::int32_t j = 1; j <= size; ++j) {
    zlmspecs::tjacrec* previous = nullptr;
    for (std::int32_t k = 0; k < percolumn; ++k) {
      const std::int32_t r = (j + k * 9973) % size + 1;
      zlmspecs::tjacrec& e = m.jacelements.emplace_back();
      e = {1.0 + 1.0 / (j + k), nullptr, nullptr, nullptr, r, j, false};
      (previous != nullptr ? previous->colnext : m.colfirst[static_cast<std::size_t>(j) - 1]) = &e;
      previous = &e;
      auto& last = rowlast[static_cast<std::size_t>(r) - 1];
      (last != nullptr ? last->rownext : m.rowfirst[static_cast<std::size_t>(r) - 1]) = &e;
      last = &e;
    }
  }
}

// The bytes of a file as lines.
std::vector<std::string> lines(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> out;
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

// The processor time of this thread so far, in seconds.
double threadseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// The time a body takes: wall-clock, and this thread's processor time into cpu.
double seconds(const std::function<void()>& body, double& cpu) {
  const double cpustart = threadseconds();
  const auto start = std::chrono::steady_clock::now();
  body();
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  cpu = threadseconds() - cpustart;
  return wall;
}

// Writes the pre-formatted lines through one buffered writer.
void baseline(const std::vector<std::string>& text, const std::string& file) {
  q5rt::textfile f;
  f.assign(file);
  f.rewrite();
  for (const std::string& l : text) f.writeln(l);
  f.close();
}

void run(benchmark::State& state, const std::function<void(const std::string&)>& writer,
         const char* name) {
  buildmodel();
  const std::string file = scratch(name);
  writer(file);
  const std::vector<std::string> text = lines(file);
  const std::string basefile = file + ".base";
  // The fastest run of each: on a busy machine the sums mostly measure the neighbours.
  // The processor times ("cpu_vs_baseline") leave out the waits for a processor too.
  double writertime = 1e300, basetime = 1e300, writercpu = 1e300, basecpu = 1e300;
  for (auto _ : state) {
    double cpu = 0;
    writertime = std::min(writertime, seconds([&] { writer(file); }, cpu));
    writercpu = std::min(writercpu, cpu);
    state.PauseTiming();
    basetime = std::min(basetime, seconds([&] { baseline(text, basefile); }, cpu));
    basecpu = std::min(basecpu, cpu);
    state.ResumeTiming();
  }
  state.counters["vs_baseline"] = writertime / basetime;
  state.counters["cpu_vs_baseline"] = writercpu / basecpu;
  state.SetBytesProcessed(
      static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(file)));
  std::filesystem::remove(file);
  std::filesystem::remove(basefile);
}

void BM_write_mps(benchmark::State& state) {
  run(
      state, [](const std::string& f) { (void)gcutil::gcwritemps("", f); }, "bench.mps");
}

void BM_write_dag(benchmark::State& state) {
  run(
      state, [](const std::string& f) { (void)gcutil::gcvienna("", f); }, "bench.dag");
}

}  // namespace

BENCHMARK(BM_write_mps)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_write_dag)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
