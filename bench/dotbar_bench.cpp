// BARON's input file of a generated model with 1,000,000 nonzeros (linear rows and rows
// with instruction code), side by side with one buffered write of the same number of
// bytes of pre-formatted text and with the number-text floor (strutilx::dbltostr of every
// number the file holds). Counters: best_ms (the best wall time of each), and of the
// writer vs_write (its time over the buffered write's, goal within 3) and vs_numtext
// (over the number-text floor).
//
// Both writes alternate between replacing the file of the previous write (which frees its
// cached pages on the clock: best_ms, vs_write) and writing a file that is not there
// (fresh_ms, vs_write_fresh): the kernel's write alone is much cheaper than the
// truncation, so the two tell apart what the writer adds.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "baron/gcbaron.h"
#include "frame/q5rt.h"
#include "frame/q5text.h"
#include "frame/strutilx_numbers.h"
#include "instance/gcdata.h"
#include "instance/zlmspecs.h"

namespace {

using ctvnl::opcode;

constexpr std::int32_t rows = 100'000;
constexpr std::int32_t perrow = 10;  // nonzeros of a row
constexpr std::int32_t cols = 100'000;

double coefficient(std::int64_t k) { return 1.0 + static_cast<double>((k * 7919) % 1000) / 37.0; }

// Every fourth row holds x_a * x_b + sqr(x_c) besides its linear terms.
void buildmodel() {
  static bool built = false;
  if (built) return;
  built = true;
  q5rt::run_startups();
  gcdata::tmodel& m = gcdata::mymodel;
  m = gcdata::tmodel{};
  m.valpin = zlmspecs::valpin, m.valmin = zlmspecs::valmin, m.valeps = zlmspecs::valeps,
  m.valund = zlmspecs::valund;
  m.modeltype = 4;
  m.rows = rows;
  m.cols = cols;
  m.pool = {2};
  m.coltype.assign(cols, 0);
  m.colcount[0] = cols;
  m.boundkindcount[0] = cols;
  m.collower.assign(cols, -100);
  m.colupper.assign(cols, 100);
  m.collevel.assign(cols, 0.5);
  m.colpriority.assign(cols, 1);
  m.jacelements.expect(static_cast<std::size_t>(rows) * perrow);
  for (std::int32_t r = 1; r <= rows; ++r) {
    m.rowtype.push_back(r % 3);
    ++m.equcount[static_cast<std::size_t>(r % 3)];
    m.rowrhs.push_back(coefficient(r));
    zlmspecs::tjacrec* last = nullptr;
    m.rowfirst.push_back(nullptr);
    const bool nonlinear = r % 4 == 0;
    for (std::int32_t k = 0; k < perrow; ++k) {
      zlmspecs::tjacrec& e = m.jacelements.emplace_back();
      e.row = r;
      e.col = 1 + static_cast<std::int32_t>((static_cast<std::int64_t>(r) * 31 + k * 977) % cols);
      e.nonlin = nonlinear && k < 3;
      e.jacval = (k % 2 == 0 ? 1 : -1) * coefficient(static_cast<std::int64_t>(r) * perrow + k);
      (last != nullptr ? last->rownext : m.rowfirst.back()) = &e;
      last = &e;
    }
    if (!nonlinear) {
      m.rowfirstinstr.push_back(0);
      m.rowlastinstr.push_back(0);
      continue;
    }
    const zlmspecs::tjacrec* e = m.rowfirst.back();
    const std::int32_t a = e->col, b = e->rownext->col, c = e->rownext->rownext->col;
    m.instr.push_back({opcode::header, 0});
    m.rowfirstinstr.push_back(static_cast<std::int32_t>(m.instr.size()));
    for (const ctvnl::tnlcode ins : {ctvnl::tnlcode{opcode::pushv, a},
                                     {opcode::mulv, b},
                                     {opcode::pushv, c},
                                     {opcode::callarg1, 9},
                                     {opcode::add, 0},
                                     {opcode::store, r}}) {
      m.instr.push_back(ins);
    }
    m.rowlastinstr.push_back(static_cast<std::int32_t>(m.instr.size()));
  }
  m.funcuse[9] = rows / 4;
}

std::string scratchfile() {
  return (std::filesystem::temp_directory_path() / ("dotbar_bench." + std::to_string(::getpid())))
      .string();
}

void writefile() {
  gcbaron::state.reset();
  gcbaron::state.dotbaronly = true;
  gcbaron::state.baronvartozolm.assign(cols, 0);
  gcbaron::state.baronequtozolm.assign(rows, 0);
  gcbaron::state.baronequclass.assign(rows, 0);
  q5rt::textfile f;
  f.assign(scratchfile());
  f.rewrite();
  (void)gcbaron::writedotbar(f, nullptr);
}

double best_write = 0, best_write_fresh = 0, best_numtext = 0;

// Odd iterations write a file that is not there, even ones replace the last one written.
bool freshturn(std::int64_t iteration) {
  if (iteration % 2 == 0) return false;
  std::filesystem::remove(scratchfile());
  return true;
}

double elapsed(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_bufferedwrite(benchmark::State& state) {
  buildmodel();
  writefile();
  const std::uintmax_t bytes = std::filesystem::file_size(scratchfile());
  std::string text;
  for (std::int64_t k = 0; text.size() < bytes; ++k)
    text.append(strutilx::dbltostr(coefficient(k)).view()).append(k % 8 == 7 ? "\n" : " + ");
  text.resize(bytes);
  best_write = best_write_fresh = 1e30;
  std::int64_t iteration = 0;
  for (auto _ : state) {
    const bool fresh = freshturn(iteration++);
    const auto t0 = std::chrono::steady_clock::now();
    q5rt::textfile f;
    f.assign(scratchfile());
    f.rewrite();
    f.write(text);
    f.close();
    double& best = fresh ? best_write_fresh : best_write;
    best = std::min(best, elapsed(t0));
  }
  state.counters["best_ms"] = best_write * 1e3;
  state.counters["fresh_ms"] = best_write_fresh * 1e3;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_numtextfloor(benchmark::State& state) {
  buildmodel();
  const gcdata::tmodel& m = gcdata::mymodel;
  best_numtext = 1e30;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    std::size_t total = 0;
    for (std::int32_t r = 0; r < rows; ++r) {
      total += strutilx::dbltostr(m.rowrhs[static_cast<std::size_t>(r)]).size();
      for (const zlmspecs::tjacrec* e = m.rowfirst[static_cast<std::size_t>(r)]; e != nullptr;
           e = e->rownext)
        total += strutilx::dbltostr(e->jacval).size();
    }
    for (std::int32_t c = 0; c < cols; ++c) {
      total += strutilx::dbltostr(m.collower[static_cast<std::size_t>(c)]).size();
      total += strutilx::dbltostr(m.colupper[static_cast<std::size_t>(c)]).size();
      total += strutilx::dbltostr(m.collevel[static_cast<std::size_t>(c)]).size();
    }
    benchmark::DoNotOptimize(total);
    best_numtext = std::min(best_numtext, elapsed(t0));
  }
  state.counters["best_ms"] = best_numtext * 1e3;
}

void BM_writedotbar(benchmark::State& state) {
  buildmodel();
  writefile();  // the file the first iteration replaces
  double best = 1e30, best_fresh = 1e30;
  std::int64_t iteration = 0;
  for (auto _ : state) {
    const bool fresh = freshturn(iteration++);
    const auto t0 = std::chrono::steady_clock::now();
    writefile();
    double& b = fresh ? best_fresh : best;
    b = std::min(b, elapsed(t0));
  }
  state.counters["best_ms"] = best * 1e3;
  state.counters["fresh_ms"] = best_fresh * 1e3;
  state.counters["vs_write"] = best / best_write;
  state.counters["vs_write_fresh"] = best_fresh / best_write_fresh;
  state.counters["vs_numtext"] = best / best_numtext;
  std::filesystem::remove(scratchfile());
}

}  // namespace

BENCHMARK(BM_bufferedwrite)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_numtextfloor)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_writedotbar)->Unit(benchmark::kMillisecond)->Iterations(10);

BENCHMARK_MAIN();
