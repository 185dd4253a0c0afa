// The crew's threads take tasks from the shared counter until none is left.
#include "frame/taskcrew.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <system_error>
#include <vector>

namespace taskcrew {

namespace {

constexpr std::chrono::microseconds spintime{200};

void relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

}  // namespace

crew::~crew() { stop(); }

void crew::stop() {
  stop_ = true;
  if (starter_.joinable()) starter_.join();
}

std::size_t crew::add(std::function<void()> run) {
  tasks_.push_back(std::make_unique<task>());
  tasks_.back()->run = std::move(run);
  return tasks_.size() - 1;
}

// The first helper starts the others, so that the thread that starts the crew makes
// one thread only; it joins them when the tasks are done.
void crew::start(unsigned helpers) {
  helpers = static_cast<unsigned>(std::min<std::size_t>(helpers, tasks_.size()));
  if (helpers == 0) return;
  try {
    starter_ = std::thread([this, helpers] {
      std::vector<std::thread> others;
      try {
        others.reserve(helpers - 1);
        for (unsigned t = 1; t < helpers; ++t) others.emplace_back([this] { serve(); });
      } catch (...) {
        // a smaller crew
      }
      serve();
      for (std::thread& t : others) t.join();
    });
  } catch (const std::system_error&) {
    // no helper at all: the waits run every task
  }
}

bool crew::runnext(std::size_t last) {
  if (stop_.load(std::memory_order_relaxed)) return false;
  std::size_t k = next_.load();
  do {
    if (k > last || k >= tasks_.size()) return false;
  } while (!next_.compare_exchange_weak(k, k + 1));
  task& t = *tasks_[k];
  try {
    t.run();
  } catch (...) {
    t.error = std::current_exception();
  }
  t.done.store(true, std::memory_order_release);
  t.done.notify_all();
  return true;
}

void crew::serve() {
  while (runnext(tasks_.size())) {
  }
}

void crew::wait(std::size_t k) {
  task& t = *tasks_.at(k);
  // A short spin first: a task taken is usually close to done, and waking a thread
  // that slept costs more than the task's remaining time.
  const auto spinend = std::chrono::steady_clock::now() + spintime;
  for (std::uint32_t round = 0; !t.done.load(std::memory_order_acquire); ++round) {
    if (runnext(k)) continue;
    if (round % 64 != 0 || std::chrono::steady_clock::now() < spinend) {
      relax();
      continue;
    }
    t.done.wait(false, std::memory_order_acquire);
  }
  if (t.error) std::rethrow_exception(t.error);
}

}  // namespace taskcrew
