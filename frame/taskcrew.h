// A crew of threads that runs a list of tasks, taken in list order, while the thread
// that made it waits for the results it needs one by one.
//
// Usage:
//   taskcrew::crew crew;
//   const std::size_t first = crew.add([&] { ... });
//   crew.start(3);         // three helper threads; with none, the waits run the tasks
//   crew.wait(first);      // rethrows what the task threw
//
// A waiting thread runs tasks not yet taken meanwhile, up to the one it waits for, so a
// crew without helpers (or whose threads could not be had) still gets every task done.
// A task may wait for the waiting thread's progress, or for an earlier task (tasks are
// taken in order, so that one is already running). The destructor lets no new task
// start and joins the threads: end such waits first.
#pragma once

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace taskcrew {

class crew {
 public:
  crew() = default;
  ~crew();
  crew(const crew&) = delete;
  crew& operator=(const crew&) = delete;

  // Adds a task before start; its number.
  std::size_t add(std::function<void()> task);
  // The number of tasks added.
  [[nodiscard]] std::size_t size() const { return tasks_.size(); }
  // Starts up to `helpers` threads (fewer when the system gives fewer, none beyond the
  // number of tasks).
  void start(unsigned helpers);
  // Lets no new task start and joins the threads (tasks not taken stay undone).
  void stop();
  // Returns when task k has run; rethrows its exception. Meanwhile this thread runs
  // tasks not yet taken up to k (never later ones, which may wait for this thread).
  void wait(std::size_t k);
  // Whether task k has run (its result is then for wait to give).
  [[nodiscard]] bool done(std::size_t k) const {
    return tasks_.at(k)->done.load(std::memory_order_acquire);
  }

 private:
  struct task {
    std::function<void()> run;
    std::exception_ptr error;
    std::atomic<bool> done = false;
  };
  // Runs the next task not yet taken if it is at most last; false when there is none
  // (or the crew stops).
  bool runnext(std::size_t last);
  void serve();

  std::vector<std::unique_ptr<task>> tasks_;
  std::atomic<std::size_t> next_ = 0;
  std::atomic<bool> stop_ = false;
  std::thread starter_;  // the first helper; it joins the others
};

}  // namespace taskcrew
