// Work on a file in pieces, one thread each: the line starts that cut a stretch of the
// file into pieces of about equal bytes, and the run of one job per piece. Header only.
//
// Usage:
//   const auto bounds = zlmvrk::piecebounds(src, from, to, n);   // n + 1 offsets
//   zlmvrk::inpieces(n, [&](unsigned k) { ... lines from bounds[k] to bounds[k + 1] ... });
#pragma once

#include <algorithm>
#include <cstdint>
#include <exception>
#include <string_view>
#include <thread>
#include <vector>

#include "standins/zlmvrk/linesource.h"

namespace zlmvrk {

// The offset of the first line of src that starts at or behind at (src moves).
inline std::uint64_t linestart(linesource& src, std::uint64_t at) {
  if (at == 0) return 0;
  src.seek(at - 1);
  std::string_view l;
  (void)src.next(l);  // the rest of the line that holds the byte before at
  return src.offset();
}

// from, the line starts near the n - 1 cuts of [from, to), and to.
inline std::vector<std::uint64_t> piecebounds(linesource& src, std::uint64_t from, std::uint64_t to,
                                              unsigned n) {
  std::vector<std::uint64_t> bounds{from};
  for (unsigned k = 1; k < n; ++k)
    bounds.push_back(std::clamp(linestart(src, from + (to - from) * k / n), bounds.back(), to));
  bounds.push_back(to);
  return bounds;
}

// work(k) for every piece k < n: piece 0 on this thread, the others on threads of their own
// (or on this one when no thread is to be had). The first exception is thrown on when all
// are done.
template <typename F>
void inpieces(unsigned n, F work) {
  std::vector<std::exception_ptr> errors(n);
  const auto guarded = [&](unsigned k) {
    try {
      work(k);
    } catch (...) {
      errors[k] = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  for (unsigned k = 1; k < n; ++k) {
    try {
      threads.emplace_back(guarded, k);
    } catch (...) {
      guarded(k);
    }
  }
  guarded(0);
  for (std::thread& t : threads) t.join();
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);
}

}  // namespace zlmvrk
