#include "frame/taskcrew.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace {

TEST(Taskcrew, EveryTaskRunsOnceWithOrWithoutHelpers) {
  for (const unsigned helpers : {0U, 1U, 4U, 64U}) {
    SCOPED_TRACE(helpers);
    std::vector<int> runs(200, 0);
    taskcrew::crew crew;
    for (std::size_t k = 0; k < runs.size(); ++k) crew.add([&runs, k] { ++runs[k]; });
    crew.start(helpers);
    for (std::size_t k = 0; k < runs.size(); ++k) {
      crew.wait(k);
      EXPECT_EQ(runs[k], 1) << k;  // its result is seen once waited for
    }
  }
}

TEST(Taskcrew, WaitRethrowsTheTasksOwnErrorOnly) {
  for (const unsigned helpers : {0U, 2U}) {
    SCOPED_TRACE(helpers);
    taskcrew::crew crew;
    bool after = false;
    crew.add([] {});
    crew.add([] { throw std::runtime_error("chunk 1"); });
    crew.add([&after] { after = true; });
    crew.start(helpers);
    crew.wait(0);
    try {
      crew.wait(1);
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "chunk 1");
    }
    crew.wait(2);
    EXPECT_TRUE(after);
  }
}

// Tasks that wait for the waiting thread's progress, as the writer's tasks wait for a
// free slot: the waiting thread never takes a task past the one it waits for, so it is
// never caught in a task that waits for itself.
TEST(Taskcrew, TasksMayWaitForTheWaitingThreadsProgress) {
  constexpr std::size_t ahead = 2;
  for (const unsigned helpers : {0U, 1U, 3U}) {
    SCOPED_TRACE(helpers);
    std::atomic<std::size_t> consumed = 0;
    std::vector<std::size_t> seen(50, 0);
    taskcrew::crew crew;
    for (std::size_t k = 0; k < seen.size(); ++k) {
      crew.add([&, k] {
        std::size_t c = consumed.load();
        while (k >= c + ahead) {
          consumed.wait(c);
          c = consumed.load();
        }
        seen[k] = c;
      });
    }
    crew.start(helpers);
    for (std::size_t k = 0; k < seen.size(); ++k) {
      crew.wait(k);
      EXPECT_GE(seen[k] + ahead, k + 1) << k;
      consumed = k + 1;
      consumed.notify_all();
    }
  }
}

TEST(Taskcrew, EndsWithTasksNeverWaitedFor) {
  std::atomic<int> runs = 0;
  {
    taskcrew::crew crew;
    for (int k = 0; k < 100; ++k) crew.add([&runs] { ++runs; });
    crew.start(3);
  }
  EXPECT_LE(runs.load(), 100);  // no task after the end, none twice
}

}  // namespace
