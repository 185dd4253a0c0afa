// Model loading against reading the same bytes raw: a generated model with 1,000,000
// Jacobian nonzeros and 100,000 nonlinear rows, in the text layout and in binary layout 1.
// BM_LoadVrk5 loads the same model from one data-exchange file (layout 5, through the
// data-exchange stand-in): vs_text is its best load time over the text layout's best load
// in the same run (goal: within 2).
//
// Counters: vs_raw is the best load time over the best time to read both files into a
// fresh buffer with read(2), the best of each as the machine may be busy (goals: text
// within 4, binary within 2); vs_warm is the same against reads into a buffer kept from
// the previous read, whose pages are already present. peak_vs_record is the growth of the
// resident set during one load over the bytes of the model record's own data (goal:
// within 3). touch_ms is the time to fill fresh memory of the record's size once: the
// record alone is several times the file's bytes. cpu_vs_raw is the ratio in processor
// time, steadier than vs_raw when other programs hold the processors.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bindings/vrkdcdef.h"
#include "frame/q5rt.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"
#include "instance/gdutils_records.h"
#include "instance/gdutils_vrk.h"

namespace {

namespace fs = std::filesystem;

// 200,000 rows (every other one nonlinear), 100,000 columns of 10 entries each.
constexpr std::int32_t rows = 200'000;
constexpr std::int32_t cols = 100'000;
constexpr std::int32_t perCol = 10;
constexpr std::int32_t nlrows = rows / 2;
constexpr std::int32_t codePerRow = 5;  // Header, PushV, CallArg1 sqr, MulI, Store

// Row r is nonlinear in column (r / 2) % cols + 1 when r is odd.
bool nonlinear(std::int32_t r, std::int32_t c) { return r % 2 == 1 && (r / 2) % cols + 1 == c; }

struct files {
  std::string cod;
  std::string mat;
};

// The folder of the generated files, removed at the end of the program.
struct scratchdir {
  fs::path path = fs::temp_directory_path() / ("loaderbench-" + std::to_string(::getpid()));
  scratchdir() { fs::create_directories(path); }
  ~scratchdir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

[[noreturn]] void fail(const char* what, const std::string& name, int rc) {
  std::fprintf(stderr, "loader_bench: cannot %s %s (%s)\n", what, name.c_str(), std::strerror(rc));
  std::exit(1);
}

// Writes the model's two scratch files in the file type's layout.
// Each nonlinear row's code: (opcode, operand) pairs.
template <typename F>
void eachinstruction(F&& put) {
  for (std::int32_t r = 1; r <= rows; r += 2) {
    const std::int32_t col = (r / 2) % cols + 1;
    put(r, ctvnl::opcode::header, 0);
    put(r, ctvnl::opcode::pushv, col);
    put(r, ctvnl::opcode::callarg1, 9);
    put(r, ctvnl::opcode::muli, 1 + r % 7);
    put(r, ctvnl::opcode::store, r);
  }
}
constexpr double constant(int k) { return 0.5 * k + 0.125; }

// Writes the model's two scratch files in the file type's layout; layout 5 one file that
// holds both.
files generate(std::int32_t filetype) {
  static const scratchdir scratch;
  const fs::path& dir = scratch.path;
  const std::string tag = std::to_string(filetype);
  const bool vrk = filetype % 10 == gdutils::vrklayout;
  files f{(dir / ("m.cod." + tag)).string(), (dir / ("m.mat." + tag)).string()};
  if (vrk) f.cod = f.mat;
  std::int32_t rc = 0;
  if (!vrk) {
    gdutils::modfileptr c = gdutils::cwcod(rc, filetype, f.cod);
    if (!c) fail("write", f.cod, rc);
    gdutils::wrcodhead(*c);
    eachinstruction([&c](std::int32_t, ctvnl::opcode op, std::int32_t operand) {
      gdutils::wrcodrec(*c, ctvnl::code(op), operand);
    });
    gdutils::wrcodreloc(*c);
    gdutils::wrcodpool(*c, 7);
    for (int k = 1; k <= 7; ++k) gdutils::wrcodconst(*c, constant(k));
    (void)gdutils::closemod(c);
  }

  gdutils::modfileptr m = gdutils::cwmat(rc, filetype, 0, 0, f.mat);
  if (!m) fail("write", f.mat, rc);
  gdutils::sethavenlnz(*m);
  gdutils::wrmathead(*m);
  for (std::int32_t r = 1; r <= rows; ++r) {
    gdutils::matrow row;
    row.type = r % 3;
    row.rhs = r % 5 == 0 ? 1.0 : 2.5 + r;
    gdutils::wrmatrow(*m, row);
  }
  // Column c has rows c, c + cols, ...: each row is reached by the columns in turn.
  for (std::int32_t c2 = 1; c2 <= cols; ++c2) {
    gdutils::matcol col;
    col.nzcount = perCol;
    col.lower = 0;
    col.level = 0.25 * c2;
    col.upper = c2 % 4 == 0 ? 3e300 : 100.0 + c2;
    gdutils::wrmatcol(*m, col);
    for (std::int32_t k = 0; k < perCol; ++k) {
      gdutils::matdat e;
      e.row = (c2 - 1 + k * (rows / perCol)) % rows + 1;
      e.nonlin = nonlinear(e.row, c2);
      e.value = e.nonlin ? 0.5 * c2 : (k % 3 == 0 ? 1.0 : -1.75 - k);
      gdutils::wrmatdat(*m, e);
    }
  }
  if (vrk) {
    scrvrk::tscratchvrk& v = *gdutils::getscrvrkptr(*m);
    eachinstruction([&v](std::int32_t r, ctvnl::opcode op, std::int32_t operand) {
      (void)v.writenlinstr(r, ctvnl::code(op), operand);
    });
    for (int k = 1; k <= 7; ++k) (void)v.writeconstpool(constant(k));
  }
  if (gdutils::closemod(m) != 0) fail("write", f.mat, EIO);
  return f;
}

gcdata::tmodel control(const files& f, std::int32_t filetype) {
  gcdata::tmodel m;
  m.rows = rows;
  m.cols = cols;
  m.nonzeros = cols * perCol;
  m.instrcount = nlrows * codePerRow;
  m.poolsize = 7;
  m.filetype = filetype;
  m.instrfile.assign_cut(f.cod);
  m.matfile.assign_cut(f.mat);
  return m;
}

// Reads the whole file with read(2) into a buffer of its size: a fresh one, whose pages
// are new to the process as a loader's memory is in its one load of a run, or one kept
// from the previous read. The fresh buffer is mapped for each read: the allocator would
// hand back the pages of the previous buffer (it raises its mapping threshold after a
// large free), which is the warm case.
std::size_t readraw(const std::string& name, bool fresh) {
  static std::vector<char> kept;
  const int fd = ::open(name.c_str(), O_RDONLY);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) fail("read", name, errno);
  const auto size = static_cast<std::size_t>(st.st_size) + 1;
  char* buffer = nullptr;
  if (fresh) {
    void* map = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    buffer = map == MAP_FAILED ? nullptr : static_cast<char*>(map);
  } else {
    if (kept.size() < size) kept.resize(size);
    buffer = kept.data();
  }
  std::size_t total = 0;
  for (; buffer != nullptr;) {
    const ssize_t n = ::read(fd, buffer + total, size - total);
    if (n <= 0) break;
    total += static_cast<std::size_t>(n);
  }
  ::close(fd);
  benchmark::DoNotOptimize(buffer);
  if (fresh && buffer != nullptr) ::munmap(buffer, size);
  return total;
}

double seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// The thread's processor time (user and system, page faults included) in seconds: on a
// busy machine the wall time also holds the waits for a processor.
double cputime() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct timing {
  double wall = 1e9;
  double cpu = 1e9;
};

// Best of a few raw reads of both files (the page cache is warm, as it is for the load).
timing rawtime(const files& f, bool fresh) {
  timing best;
  for (int k = 0; k < 9; ++k) {
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = cputime();
    std::size_t n = readraw(f.cod, fresh);
    n += readraw(f.mat, fresh);
    benchmark::DoNotOptimize(n);
    best.cpu = std::min(best.cpu, cputime() - c0);
    best.wall = std::min(best.wall, seconds(std::chrono::steady_clock::now() - t0));
  }
  return best;
}

// Resident set figures of /proc/self/status in bytes ("VmHWM:" peak, "VmRSS:" now).
std::int64_t procfigure(const std::string& key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return std::stoll(line.substr(key.size())) * 1024;
  }
  return 0;
}

// Starts a new peak of the resident set (Linux: writing 5 to clear_refs).
void resetpeak() {
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

// The bytes of the model record's own data after a load.
double recordbytes(const gcdata::tmodel& m) {
  double b = 0;
  const auto add = [&b](const auto& v) { b += static_cast<double>(v.size() * sizeof(v[0])); };
  add(m.rowtype), add(m.rowrhs), add(m.rowmarginal), add(m.rowmatch), add(m.rowfirstinstr);
  add(m.rowlastinstr), add(m.rowfirst), add(m.rownlfirst), add(m.rowlast), add(m.rownllast);
  add(m.coltype), add(m.collower), add(m.collevel), add(m.colupper), add(m.colmarginal);
  add(m.colboundclass), add(m.colpriority), add(m.colsosset), add(m.colfirst), add(m.collast);
  add(m.pool), add(m.instr);
  b += static_cast<double>(m.jacelements.size() * sizeof(zlmspecs::tjacrec));
  return b;
}

void loadbench(benchmark::State& state, std::int32_t filetype) {
  q5rt::run_startups();
  static const files text = generate(0);
  static const files binary = generate(1);
  const files& f = filetype == 0 ? text : binary;
  const timing raw = rawtime(f, true);
  const timing warm = rawtime(f, false);
  timing best;
  double peak = 0;
  double record = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto m = std::make_unique<gcdata::tmodel>(control(f, filetype));
    resetpeak();
    const std::int64_t before = procfigure("VmRSS:");
    state.ResumeTiming();
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = cputime();
    const std::int32_t rc = gcload::loadmodel(*m);
    best.cpu = std::min(best.cpu, cputime() - c0);
    best.wall = std::min(best.wall, seconds(std::chrono::steady_clock::now() - t0));
    state.PauseTiming();
    if (rc != gcload::loadok) state.SkipWithError("the model did not load");
    peak = std::max(peak, static_cast<double>(procfigure("VmHWM:") - before));
    record = recordbytes(*m);
    m.reset();
    // Freed memory back to the system: each load meets fresh memory, as the one load of a
    // run does, and not the heap pages the previous load left resident.
    ::malloc_trim(0);
    state.ResumeTiming();
  }
  // The floor that any load meets: fresh memory of the record's size, touched once.
  const auto t0 = std::chrono::steady_clock::now();
  std::vector<char> fresh(static_cast<std::size_t>(record), 1);
  benchmark::DoNotOptimize(fresh.data());
  state.counters["touch_ms"] = seconds(std::chrono::steady_clock::now() - t0) * 1e3;
  state.counters["raw_ms"] = raw.wall * 1e3;
  state.counters["warm_ms"] = warm.wall * 1e3;
  state.counters["load_ms"] = best.wall * 1e3;
  state.counters["vs_raw"] = best.wall / raw.wall;
  state.counters["vs_warm"] = best.wall / warm.wall;
  state.counters["cpu_vs_raw"] = best.cpu / raw.cpu;
  state.counters["record_MB"] = record / 1e6;
  state.counters["peak_MB"] = peak / 1e6;
  state.counters["peak_vs_record"] = peak / record;
  std::error_code ec;
  state.counters["file_MB"] =
      static_cast<double>(fs::file_size(f.cod, ec) + fs::file_size(f.mat, ec)) / 1e6;
}

// The best of one load each round.
double bestload(const files& f, std::int32_t filetype, int rounds) {
  double best = 1e9;
  for (int k = 0; k < rounds; ++k) {
    auto m = std::make_unique<gcdata::tmodel>(control(f, filetype));
    const auto t0 = std::chrono::steady_clock::now();
    if (gcload::loadmodel(*m) != gcload::loadok) return -1;
    best = std::min(best, seconds(std::chrono::steady_clock::now() - t0));
    m.reset();
    ::malloc_trim(0);
  }
  return best;
}

void BM_LoadVrk5(benchmark::State& state) {
  q5rt::run_startups();
  q5rt::sstr msg;
  if (!vrkdcdef::vrkgetreadyd(BL_STANDIN_LIB, msg)) {
    state.SkipWithError("no data-exchange library");
    return;
  }
  static const files text = generate(0);
  static const files vrk = generate(5);
  const double texttime = bestload(text, 0, 3);
  double best = 1e9;
  for (auto _ : state) {
    const double t = bestload(vrk, 5, 1);
    if (t < 0) state.SkipWithError("the model did not load");
    best = std::min(best, t);
  }
  std::error_code ec;
  state.counters["load_ms"] = best * 1e3;
  state.counters["text_ms"] = texttime * 1e3;
  state.counters["vs_text"] = best / texttime;
  state.counters["file_MB"] = static_cast<double>(fs::file_size(vrk.mat, ec)) / 1e6;
}

void BM_LoadText(benchmark::State& state) { loadbench(state, 0); }
void BM_LoadBinary1(benchmark::State& state) { loadbench(state, 1); }

BENCHMARK(BM_LoadText)->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_LoadBinary1)->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_LoadVrk5)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
