// A row of 10,000 instructions (products, exp, log, power, sqr, divisions) evaluated by
// the instruction-code interpreter, value and value with gradient, side by side with the
// same expression written as C++.
//
// The row is the sum of 2,500 terms over 100 columns; term k uses the columns a = k % 100
// and b = (7k + 3) % 100 and is, by k % 5:
//   0: x_a * x_b         1: exp(0.5 x_a)      2: log(x_a + 1)
//   3: power(x_a, 3)     4: sqr(x_a - x_b) / x_b
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "frame/q5rt.h"
#include "funclib/ctvnew.h"
#include "funclib/evalnew.h"

namespace {

constexpr int columns = 100;
constexpr int terms = 2500;
constexpr int f_sqr = 9, f_exp = 10, f_log = 11, f_power = 21;

int cola(int k) { return k % columns; }
int colb(int k) { return (7 * k + 3) % columns; }

struct row {
  std::vector<ctvnl::tnlcode> code;
  std::vector<double> pool = {0.5, 1.0, 3.0};  // constants 1, 2, 3
  std::vector<double> levels;

  row() {
    using ctvnl::opcode;
    for (int j = 0; j < columns; ++j) levels.push_back(0.5 + 0.01 * j);
    code.push_back({opcode::header, 0});
    code.push_back({opcode::pushzero, 0});
    for (int k = 0; k < terms; ++k) {
      const int a = cola(k) + 1, b = colb(k) + 1;
      switch (k % 5) {
        case 0:
          code.insert(code.end(), {{opcode::pushv, a}, {opcode::mulv, b}});
          break;
        case 1:
          code.insert(code.end(),
                      {{opcode::pushv, a}, {opcode::muli, 1}, {opcode::callarg1, f_exp}});
          break;
        case 2:
          code.insert(code.end(),
                      {{opcode::pushv, a}, {opcode::addi, 2}, {opcode::callarg1, f_log}});
          break;
        case 3:
          code.insert(code.end(),
                      {{opcode::pushv, a}, {opcode::pushi, 3}, {opcode::callarg2, f_power}});
          break;
        default:
          code.insert(code.end(), {{opcode::pushv, a},
                                   {opcode::subv, b},
                                   {opcode::callarg1, f_sqr},
                                   {opcode::divv, b}});
          break;
      }
      code.push_back({opcode::add, 0});
    }
    code.push_back({opcode::store, 1});
  }
  [[nodiscard]] std::int32_t last() const { return static_cast<std::int32_t>(code.size()); }
};

// The same row as C++: the value, and the value with the gradient.
double compiled(const double* x) {
  double s = 0;
  for (int k = 0; k < terms; k += 5) {
    s += x[cola(k)] * x[colb(k)];
    s += std::exp(0.5 * x[cola(k + 1)]);
    s += std::log(x[cola(k + 2)] + 1.0);
    s += std::pow(x[cola(k + 3)], 3.0);
    const double b = x[colb(k + 4)], d = x[cola(k + 4)] - b;
    s += d * d / b;
  }
  return s;
}

double compiledgrad(const double* x, double* g) {
  double s = 0;
  for (int j = 0; j < columns; ++j) g[j] = 0;
  for (int k = 0; k < terms; k += 5) {
    int a = cola(k), b = colb(k);
    s += x[a] * x[b];
    g[a] += x[b];
    g[b] += x[a];
    a = cola(k + 1);
    const double e = std::exp(0.5 * x[a]);
    s += e;
    g[a] += 0.5 * e;
    a = cola(k + 2);
    s += std::log(x[a] + 1.0);
    g[a] += 1.0 / (x[a] + 1.0);
    a = cola(k + 3);
    s += std::pow(x[a], 3.0);
    g[a] += 3.0 * x[a] * x[a];
    a = cola(k + 4);
    b = colb(k + 4);
    const double d = x[a] - x[b], q = d / x[b];
    s += d * q;
    g[a] += 2 * q;
    g[b] += -2 * q - q * q;
  }
  return s;
}

const row& therow() {
  static const row r;
  return r;
}

void BM_CompiledValue(benchmark::State& state) {
  const row& r = therow();
  for (auto _ : state) benchmark::DoNotOptimize(compiled(r.levels.data()));
}
BENCHMARK(BM_CompiledValue);

void BM_InterpretedValue(benchmark::State& state) {
  q5rt::run_startups();
  const row& r = therow();
  ctvnew::tmathnewrec rec{};
  ctvnew::mathnewrecinit(rec);
  std::int32_t errors = 0;
  q5rt::sstr msg;
  double value = 0;
  for (auto _ : state) {
    const int rc = evalnew::funeval(rec, 1, r.last(), r.code, r.pool, r.levels, value, errors, msg);
    benchmark::DoNotOptimize(rc);
    benchmark::DoNotOptimize(value);
  }
  if (std::fabs(value - compiled(r.levels.data())) > 1e-9 * std::fabs(value))
    state.SkipWithError("the interpreter disagrees with the compiled row");
}
BENCHMARK(BM_InterpretedValue);

void BM_CompiledGradient(benchmark::State& state) {
  const row& r = therow();
  std::vector<double> g(columns);
  for (auto _ : state) {
    benchmark::DoNotOptimize(compiledgrad(r.levels.data(), g.data()));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CompiledGradient);

void BM_InterpretedGradient(benchmark::State& state) {
  q5rt::run_startups();
  const row& r = therow();
  ctvnew::tmathnewrec rec{};
  ctvnew::mathnewrecinit(rec);
  std::int32_t errors = 0, tapelen = 0, second = 0, links = 0;
  q5rt::sstr msg;
  double value = 0;
  (void)evalnew::getstacksizes(1, r.last(), r.code, tapelen, second, 0, links, {});
  std::vector<double> tape(static_cast<std::size_t>(tapelen)), grad(columns);
  for (auto _ : state) {
    const int rc = evalnew::gradeval(rec, 1, r.last(), r.code, r.pool, r.levels, value, tape, grad,
                                     errors, msg);
    benchmark::DoNotOptimize(rc);
    benchmark::ClobberMemory();
  }
  std::vector<double> g(columns);
  (void)compiledgrad(r.levels.data(), g.data());
  for (int j = 0; j < columns; ++j)
    if (std::fabs(g[j] - grad[j]) > 1e-9 * std::max(1.0, std::fabs(g[j])))
      state.SkipWithError("the interpreter's gradient disagrees with the compiled one");
}
BENCHMARK(BM_InterpretedGradient);

}  // namespace

BENCHMARK_MAIN();
