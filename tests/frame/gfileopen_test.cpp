#include "frame/gfileopen.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "support/testutil.h"

namespace {

// Records the waits instead of sleeping; on the wait numbered `fix_at` (1-based) it makes
// the file openable.
struct fakesleep {
  static inline std::vector<int> waits;
  static inline int fix_at = 0;
  static inline std::string fix_path;
  static void sleep(int ms) {
    waits.push_back(ms);
    if (static_cast<int>(waits.size()) != fix_at) return;
    std::filesystem::create_directories(std::filesystem::path(fix_path).parent_path());
    testutil::write_file(fix_path, "");
  }
};

enum class kind { rewrite, reset, append, rewriteuntyped, resetuntyped };

struct opener {
  kind k;
  const char* action;
  const char* function;
};

constexpr opener openers[] = {
    {kind::rewrite, "ReWrite", "TextFileOpenRetry"},
    {kind::reset, "Reset", "TextFileOpenRetry"},
    {kind::append, "Append", "TextFileOpenRetry"},
    {kind::rewriteuntyped, "ReWrite", "UntypedFileOpenRetry"},
    {kind::resetuntyped, "Reset", "UntypedFileOpenRetry"},
};

struct outcome {
  std::int32_t retries;
  std::int32_t rc;
  bool open;
  std::string out;
};

outcome run(kind k, const std::string& name, bool retry) {
  q5rt::textfile t;
  q5rt::untypedfile u;
  outcome o{};
  testing::internal::CaptureStdout();
  switch (k) {
    case kind::rewrite:
      o.retries = gfileopen::grrewrite(name, retry, t, o.rc);
      break;
    case kind::reset:
      o.retries = gfileopen::grreset(name, retry, t, o.rc);
      break;
    case kind::append:
      o.retries = gfileopen::grappend(name, retry, t, o.rc);
      break;
    case kind::rewriteuntyped:
      o.retries = gfileopen::grrewriteuntyped(name, 800, retry, u, o.rc);
      break;
    case kind::resetuntyped:
      o.retries = gfileopen::grresetuntyped(name, 800, retry, u, o.rc);
      break;
  }
  q5rt::output().flush();
  o.out = testing::internal::GetCapturedStdout();
  o.open = t.is_open() || u.is_open();
  const bool text = k == kind::rewrite || k == kind::reset || k == kind::append;
  EXPECT_EQ(text ? t.name() : u.name(), name);  // bound to the name, open or not
  return o;
}

// A name that cannot be opened yet: a missing folder for the writers, a missing file for
// the readers and for append.
std::string blocked_name(const testutil::tempdir& dir, kind k) {
  const bool creates = k == kind::rewrite || k == kind::rewriteuntyped;
  return creates ? dir.file("later/f.txt") : dir.file("f.txt");
}

class GFileOpen : public testing::Test {
 protected:
  void SetUp() override {
    fakesleep::waits.clear();
    fakesleep::fix_at = 0;
    gfileopen::detail::set_sleeper(&fakesleep::sleep);
  }
  void TearDown() override { gfileopen::detail::set_sleeper(nullptr); }
  testutil::tempdir dir;
};

TEST_F(GFileOpen, OpensAtOnceWithoutReport) {
  const auto name = dir.file("there.txt");
  testutil::write_file(name, "x");
  for (const auto& op : openers) {
    SCOPED_TRACE(op.action);
    for (bool retry : {false, true}) {
      const auto o = run(op.k, name, retry);
      EXPECT_EQ(o.retries, 0);
      EXPECT_EQ(o.rc, 0);
      EXPECT_TRUE(o.open);
      EXPECT_EQ(o.out, "");
    }
  }
  EXPECT_TRUE(fakesleep::waits.empty());
}

TEST_F(GFileOpen, RetriesUntilTheFileOpens) {
  struct row {
    int fix_at;
    std::int32_t retries;
    const char* why;
  };
  constexpr row rows[] = {
      {1, 1, "opens at the second attempt"},
      {3, 3, "opens at the last retry: 3 with rc 0"},
  };
  for (const auto& op : openers) {
    for (const auto& r : rows) {
      SCOPED_TRACE(std::string(op.function) + " " + op.action + ": " + r.why);
      testutil::tempdir d;
      const auto name = blocked_name(d, op.k);
      fakesleep::waits.clear();
      fakesleep::fix_at = r.fix_at;
      fakesleep::fix_path = name;
      const auto o = run(op.k, name, true);
      EXPECT_EQ(o.retries, r.retries);
      EXPECT_EQ(o.rc, 0);
      EXPECT_TRUE(o.open);
      const std::vector<int> all = {10, 100, 1000};
      EXPECT_EQ(fakesleep::waits, std::vector<int>(all.begin(), all.begin() + r.fix_at));
      EXPECT_EQ(o.out, std::string("*** Retry count succeeded in function ") + op.function +
                           "\n*** Count = " + std::to_string(r.retries) + " Action = " + op.action +
                           " IORes = " + std::to_string(ENOENT) + " File = " + name + "\n");
    }
  }
}

TEST_F(GFileOpen, GivesUpAfterThreeRetries) {
  for (const auto& op : openers) {
    SCOPED_TRACE(std::string(op.function) + " " + op.action);
    const auto name = blocked_name(dir, op.k);
    fakesleep::waits.clear();
    const auto o = run(op.k, name, true);
    EXPECT_EQ(o.retries, 3);
    EXPECT_EQ(o.rc, ENOENT);
    EXPECT_FALSE(o.open);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(fakesleep::waits, (std::vector<int>{10, 100, 1000}));

    fakesleep::waits.clear();
    const auto once = run(op.k, name, false);
    EXPECT_EQ(once.retries, 0);
    EXPECT_EQ(once.rc, ENOENT);
    EXPECT_TRUE(fakesleep::waits.empty());
  }
}

TEST_F(GFileOpen, FailureNeverRaisesAndCheckingIsKept) {
  q5rt::textfile f;
  f.set_iocheck(true);
  std::int32_t rc = 0;
  EXPECT_NO_THROW((void)gfileopen::grreset(dir.file("missing"), false, f, rc));
  EXPECT_EQ(rc, ENOENT);
  EXPECT_TRUE(f.iocheck());
}

}  // namespace
