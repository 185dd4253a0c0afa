#include "frame/stdthread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

namespace {

// trylock answers at once, lock waits for the holder, and a lock taken in turns by two
// threads keeps their updates apart.
TEST(StdThread, TryLockAnswersAtOnceAndLockWaitsForTheHolder) {
  stdthread::tstdmutex m;
  EXPECT_TRUE(m.trylock());
  bool other = true;
  std::thread([&] { other = m.trylock(); }).join();
  EXPECT_FALSE(other);  // held by this thread: false at once

  std::atomic<bool> taken{false};
  std::thread waiter([&] {
    m.lock();
    taken = true;
    m.unlock();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(taken) << "lock returned while another thread held the mutex";
  m.unlock();
  waiter.join();
  EXPECT_TRUE(taken);

  std::thread([&] {
    other = m.trylock();
    if (other) m.unlock();
  }).join();
  EXPECT_TRUE(other);

  long counter = 0;
  const auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      m.lock();
      ++counter;
      m.unlock();
    }
  };
  std::thread a(work);
  std::thread b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 40000);
}

TEST(StdThread, LockFailureMessage) {
  struct row {
    int err;
    const char* message;
    const char* why;
  };
  constexpr row rows[] = {
      {EDEADLK, "Caught system error locking mutex: Resource deadlock avoided", "deadlock"},
      {EINVAL, "Caught system error locking mutex: Invalid argument", "invalid mutex"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(stdthread::detail::lockfailuremessage(r.err).view(), r.message);
  }
  // The exception carries the message as its own.
  const stdthread::estdmutex e(stdthread::detail::lockfailuremessage(EDEADLK).view());
  EXPECT_STREQ(e.what(), "Caught system error locking mutex: Resource deadlock avoided");
}

// Fresh mutexes are free, and one never locked is destroyed cleanly (the sanitizer build
// reports anything left allocated).
TEST(StdThread, FreshMutexesAreFreeAndDestroyedCleanly) {
  for (int i = 0; i < 3; ++i) {
    stdthread::tstdmutex m;
    EXPECT_TRUE(m.trylock());
    m.unlock();
  }
  const stdthread::tstdmutex neverlocked;
}

}  // namespace
