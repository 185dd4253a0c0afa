// Number text and text to number on 1,000,000 doubles of mixed magnitudes, side by side
// with std::to_chars / std::from_chars at the same precision (15 significant digits);
// and the writers' number text on 1,000,000 model coefficients.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/q5rtnum.h"
#include "frame/strutilx_numbers.h"

namespace {

constexpr std::size_t value_count = 1'000'000;

// Mixed magnitudes 1e-12 .. 1e20, both signs, with whole numbers and zeros among them.
const std::vector<double>& values() {
  static const std::vector<double> v = [] {
    std::vector<double> out;
    out.reserve(value_count);
    std::uint64_t s = 88172645463325252ULL;
    for (std::size_t i = 0; i < value_count; ++i) {
      s ^= s << 13;
      s ^= s >> 7;
      s ^= s << 17;
      const double mantissa = static_cast<double>(s >> 11) / 9007199254740992.0;  // [0, 1)
      const int exponent = static_cast<int>(s % 33) - 12;
      double x = (1 + 9 * mantissa) * std::pow(10.0, exponent);
      if (i % 7 == 0) x = std::round(x);
      if (i % 3 == 0) x = -x;
      out.push_back(x);
    }
    return out;
  }();
  return v;
}

// Model coefficients as the writers meet them: 15-digit fractions (1 + j/37) and whole
// numbers over 1e-3 .. 1e4, signs at random (no pattern for the branch predictor).
const std::vector<double>& model_values() {
  static const std::vector<double> v = [] {
    std::vector<double> out;
    out.reserve(value_count);
    std::uint64_t s = 0x9e3779b97f4a7c15ULL;
    for (std::size_t i = 0; i < value_count; ++i) {
      s ^= s << 13;
      s ^= s >> 7;
      s ^= s << 17;
      double x =
          (1 + static_cast<double>(s >> 40 & 0xffff) / 37) * std::pow(10.0, (s >> 20) % 8 - 3.0);
      if (s % 5 == 0) x = std::round(x);
      out.push_back(s >> 63 != 0 ? -x : x);
    }
    return out;
  }();
  return v;
}

// The values as their short number texts, one text each.
const std::vector<std::string>& texts() {
  static const std::vector<std::string> t = [] {
    std::vector<std::string> out;
    out.reserve(value_count);
    for (const double x : values()) out.push_back(strutilx::dbltostr(x).str());
    return out;
  }();
  return t;
}

// The same texts as one file body, blank- and line-separated.
const std::string& file_body() {
  static const std::string body = [] {
    std::string out;
    std::size_t i = 0;
    for (const auto& t : texts()) out.append(t).push_back(++i % 8 == 0 ? '\n' : ' ');
    return out;
  }();
  return body;
}

void set_rate(benchmark::State& state) {
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * value_count));
}

void BM_format_dbltostr(benchmark::State& state) {
  const auto& v = values();
  for (auto _ : state) {
    std::size_t total = 0;
    for (const double x : v) total += strutilx::dbltostr(x).size();
    benchmark::DoNotOptimize(total);
  }
  set_rate(state);
}

// The writers' entry: the text laid out straight into a roomy buffer.
void BM_format_dbltostr_wide_model(benchmark::State& state) {
  const auto& v = model_values();
  char buf[strutilx::dbltostr_room];
  for (auto _ : state) {
    std::size_t total = 0;
    for (const double x : v) total += strutilx::dbltostr_wide(x, '.', buf, 'e');
    benchmark::DoNotOptimize(total);
  }
  set_rate(state);
}

void BM_format_to_chars(benchmark::State& state) {
  const auto& v = values();
  char buf[32];
  for (auto _ : state) {
    std::size_t total = 0;
    for (const double x : v)
      total += static_cast<std::size_t>(
          std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14).ptr - buf);
    benchmark::DoNotOptimize(total);
  }
  set_rate(state);
}

void BM_parse_val_dd(benchmark::State& state) {
  const auto& t = texts();
  for (auto _ : state) {
    double sum = 0;
    std::int32_t code = 0;
    for (const auto& s : t) {
      double x;
      q5rt::Q5_Val_dd(s, x, code);
      sum += x;
    }
    benchmark::DoNotOptimize(sum);
  }
  set_rate(state);
}

void BM_parse_from_chars(benchmark::State& state) {
  const auto& t = texts();
  for (auto _ : state) {
    double sum = 0;
    for (const auto& s : t) {
      double x;
      std::from_chars(s.data(), s.data() + s.size(), x);
      sum += x;
    }
    benchmark::DoNotOptimize(sum);
  }
  set_rate(state);
}

void BM_read_real(benchmark::State& state) {
  const std::string& body = file_body();
  for (auto _ : state) {
    q5rt::string_source src(body);
    double sum = 0;
    for (std::size_t i = 0; i < value_count; ++i) sum += q5rt::read_real(src).value;
    benchmark::DoNotOptimize(sum);
  }
  set_rate(state);
}

void BM_read_from_chars(benchmark::State& state) {
  const std::string& body = file_body();
  for (auto _ : state) {
    const char* p = body.data();
    const char* const end = p + body.size();
    double sum = 0;
    for (std::size_t i = 0; i < value_count; ++i) {
      while (p != end && q5rt::is_white(static_cast<unsigned char>(*p))) ++p;
      double x;
      p = std::from_chars(p, end, x).ptr;
      sum += x;
    }
    benchmark::DoNotOptimize(sum);
  }
  set_rate(state);
}

BENCHMARK(BM_format_dbltostr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_format_dbltostr_wide_model)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_format_to_chars)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_parse_val_dd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_parse_from_chars)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_read_real)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_read_from_chars)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
