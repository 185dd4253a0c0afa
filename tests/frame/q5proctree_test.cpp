#include "frame/q5proctree.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "frame/q5process.h"

namespace {

using q5process::procrecord;
using q5process::tree;

// Records every visit as "pid:depth".
void record(std::uint32_t pid, std::int32_t depth, void* userdata) {
  auto& seen = *static_cast<std::string*>(userdata);
  if (!seen.empty()) seen += ' ';
  seen += std::to_string(pid) + ":" + std::to_string(depth);
}

TEST(Q5ProcTreeStat, ParsesTheStatLine) {
  struct row {
    const char* text;
    bool ok;
    const char* comm;
    char state;
    int ppid;
    const char* why;
  };
  constexpr row rows[] = {
      {"123 (sleep) S 45 123 45 0", true, "sleep", 'S', 45, "ordinary line"},
      {"7 (a) b (c) Z 1 7", true, "a) b (c", 'Z', 1, "name with blanks and parentheses"},
      {"9 () R 0", true, "", 'R', 0, "empty name"},
      {"garbage", false, "", '?', 0, "no name"},
      {"1 (x)", false, "x", '?', 0, "line cut after the name"},
      {"1 (x) S", false, "x", 'S', 0, "no parent number"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    q5process::detail::procstat st;
    EXPECT_EQ(q5process::detail::parseprocstat(r.text, st), r.ok);
    if (r.ok) {
      EXPECT_EQ(st.comm, r.comm);
      EXPECT_EQ(st.state, r.state);
      EXPECT_EQ(st.ppid, r.ppid);
    }
  }
}

// 1 - 2 - 3 (chain), 1 - 4, and a root 10 whose parent is not in the list.
const std::vector<procrecord> family = {
    {"init", 1, 0},     {"sh", 2, 1},  {"sleep", 3, 2}, {"cron", 4, 1},
    {"orphan", 10, 99}, {"dup", 2, 4}, {"", 11, 1},     {"idle", 0, 5},
};

TEST(Q5ProcTree, BuildFromRecords) {
  tree t;
  ASSERT_EQ(t.buildfrom(family), 0);
  EXPECT_EQ(t.size(), 5u);  // the duplicate, the nameless and pid 0 with a parent are skipped
  EXPECT_EQ(t.rootcount(), 2);
  EXPECT_EQ(t.findnodebypid(2)->comm, "sh");  // the first record of a number stays
  EXPECT_EQ(t.countchildren(1), 3);
  EXPECT_EQ(t.countchildren(3), 0);
  EXPECT_EQ(t.countchildren(42), 0);
  EXPECT_EQ(tree::counthelper(t.findnodebypid(1)), 4);
  EXPECT_EQ(t.findnodebypid(3)->parent, t.findnodebypid(2));
}

TEST(Q5ProcTree, WalkOrders) {
  tree t;
  ASSERT_EQ(t.buildfrom(family), 0);
  struct row {
    int pid;
    bool postorder;
    int count;
    const char* seen;
    const char* why;
  };
  constexpr row rows[] = {
      {1, false, 4, "1:0 2:1 3:2 4:1", "pre-order: a node before its children"},
      {1, true, 4, "3:2 2:1 4:1 1:0", "post-order: grandchildren before their parents"},
      {2, false, 2, "2:0 3:1", "depth counts from the start node"},
      {3, false, 1, "3:0", "a process without children"},
      {42, false, 0, "", "a number not in the tree"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    std::string seen;
    EXPECT_EQ(t.cbwalk(r.pid, &record, &seen, r.postorder), r.count);
    EXPECT_EQ(seen, r.seen);
  }
  EXPECT_EQ(t.cbwalk(1, nullptr, nullptr, false), 4);  // no callback: counts only
}

TEST(Q5ProcTree, InconsistentListsAreRefused) {
  struct row {
    std::vector<procrecord> records;
    int result;
    const char* why;
  };
  const row rows[] = {
      {{{"a", 5, 6}, {"b", 6, 5}}, 4, "two processes that are each other's parent"},
      {{{"a", 5, 6}, {"b", 6, 7}, {"c", 7, 5}, {"d", 1, 0}}, 4, "a cycle beside a root"},
      {{{"self", 8, 8}}, 0, "its own parent: a root"},
      {{}, 0, "an empty list builds an empty tree"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    tree t;
    EXPECT_EQ(t.buildfrom(r.records), r.result);
    if (r.result != 0) {
      EXPECT_EQ(t.size(), 0u);
    }
  }
}

TEST(Q5ProcTree, SystemListHoldsThisProcess) {
  tree t;
  ASSERT_EQ(t.build(), 0);
  const q5process::node* self = t.findnodebypid(::getpid());
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(self->ppid, static_cast<int>(::getppid()));
  EXPECT_FALSE(self->comm.empty());
  EXPECT_GE(t.rootcount(), 1);
}

// ---- real processes, in a child of the test so that only its own descendants are signalled

#define CHILD_CHECK(cond)                                                     \
  do {                                                                        \
    if (!(cond)) {                                                            \
      std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #cond); \
      std::fflush(stderr);                                                    \
      ::_exit(1);                                                             \
    }                                                                         \
  } while (0)

bool eventually(const auto& cond) {
  for (int i = 0; i < 500; ++i) {
    if (cond()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

void spawnwalkandsignal() {
  int before = -1;
  int after = -1;
  CHILD_CHECK(q5process::sigproctree(SIGKILL, before, after) == 0);
  CHILD_CHECK(before == 0 && after == 0);  // no children: nothing sent

  // sh - (sh - sleep) and sh - sleep: a chain of three and a second child.
  q5process::tprocinfo info;
  q5rt::sstr msg;
  CHILD_CHECK(
      q5process::q5asyncsystemp("sh -c 'sleep 30; :' & sleep 30 & wait", false, info, msg) == 0);
  const int root = info.pid;
  CHILD_CHECK(
      eventually([&] { return q5process::walkproctree(root, nullptr, nullptr, false) == 4; }));

  tree t;
  CHILD_CHECK(t.build() == 0);
  const q5process::node* top = t.findnodebypid(root);
  CHILD_CHECK(top != nullptr && top->children.size() == 2);
  const q5process::node* inner = nullptr;
  for (const auto* c : top->children)
    if (c->comm == "sh") inner = c;
  CHILD_CHECK(inner != nullptr && inner->children.size() == 1);
  const int innerpid = inner->pid;
  const int grandchild = inner->children.front()->pid;
  std::vector<int> all;
  for (const auto* c : top->children) all.push_back(c->pid);
  all.push_back(grandchild);

  std::string seen;
  CHILD_CHECK(q5process::q5walkproctree(root, &record, &seen, true) == 4);
  const auto at = [&](int pid, int depth) {
    return seen.find(std::to_string(pid) + ":" + std::to_string(depth));
  };
  CHILD_CHECK(at(grandchild, 2) < at(innerpid, 1));
  CHILD_CHECK(at(innerpid, 1) < at(root, 0));
  CHILD_CHECK(q5process::walkproctree(grandchild, nullptr, nullptr, false) == 1);
  CHILD_CHECK(q5process::walkproctree(0x7ffffff0, nullptr, nullptr, false) == 0);

  CHILD_CHECK(q5process::sigproctree(0, before, after) == 0);
  CHILD_CHECK(before == 4 && after == 4);  // signal 0: nothing sent

  CHILD_CHECK(q5process::q5signalproctree(SIGTERM, before, after) == 0);
  CHILD_CHECK(before == 4);
  CHILD_CHECK(after >= 0 && after <= 4);  // unreaped zombies still count
  ::waitpid(root, nullptr, 0);
  for (const int pid : all)
    CHILD_CHECK(eventually([&] { return !q5process::q5ispidrunning(pid); }));
  CHILD_CHECK(q5process::sigproctree(SIGTERM, before, after) == 0);
  CHILD_CHECK(before == 0 && after == 0);
  ::_exit(0);
}

TEST(Q5ProcTreeLive, SpawnCountWalkAndSignal) {
  EXPECT_EXIT(spawnwalkandsignal(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
