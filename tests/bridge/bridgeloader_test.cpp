// The bridge's loader in process, on the option stand-in and its variants: paths, messages,
// object counting, the refused unload, a failed load that closes its file, stubs, the
// version query and the lockable mode.
#include "bridge/bridgeloader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "bridge/bridgelibs.h"
#include "support/testutil.h"

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

// While set, every allocation without exceptions fails: the loader makes its mutexes so.
bool refusenothrow = false;

}  // namespace

void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  if (refusenothrow) return nullptr;
  try {
    return ::operator new(n);
  } catch (...) {
    return nullptr;
  }
}

namespace {

// Whether a library file of that path is mapped into this process.
bool mapped(const std::string& path) {
  return testutil::read_file("/proc/self/maps").find(path) != std::string::npos;
}

class BridgeloaderTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(bridgeopt::lib.objectcount(), 0);
    EXPECT_EQ(bridgeopt::lib.libraryunload(), 1);
  }
  const std::string optlib = testutil::standinlib() + "/libzlmopt64.so";
  char msg[256] = {};
};

}  // namespace

TEST(Bridgeloader, PathsAreJoinedAndSplit) {
  struct row {
    const char* dir;
    const char* file;
    const char* joined;
    const char* why;
  };
  constexpr row rows[] = {
      {"", "", "libzlmopt64.so", "no directory: the loader's search"},
      {"/opt/x", "", "/opt/x/libzlmopt64.so", "a directory without its closing slash"},
      {"/opt/x/", "", "/opt/x/libzlmopt64.so", "the same with it"},
      {"/opt/x", "other.so", "/opt/x/other.so", "a file name of its own"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(bridgeloader::joinpath(r.dir, r.file, "libzlmopt64.so"), r.joined);
  }
  EXPECT_EQ(bridgeloader::joinpath(std::string(600, 'd'), "", "f").size(), 511u);
  struct split {
    const char* path;
    const char* dir;
    const char* file;
    const char* why;
  };
  constexpr split splits[] = {
      {"libx.so", "", "libx.so", "a bare name"},
      {"/libx.so", "/", "libx.so", "at the root"},
      {"/opt/x/libx.so", "/opt/x", "libx.so", "a full path"},
      {"/opt/x/", "/opt/x", "", "a directory: the default file there"},
  };
  for (const split& s : splits) {
    SCOPED_TRACE(s.why);
    const auto got = bridgeloader::split(s.path);
    EXPECT_EQ(got.dir, s.dir);
    EXPECT_EQ(got.file, s.file);
  }
}

TEST(Bridgeloader, MessagesAreCutToTheBuffer) {
  char small[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
  bridgeloader::setmsg(small, 5, "abcdefgh");
  EXPECT_STREQ(small, "abcd");
  bridgeloader::setmsg(small, 0, "ignored");
  EXPECT_STREQ(small, "abcd");
  bridgeloader::setmsg(nullptr, 10, "no buffer");
}

TEST_F(BridgeloaderTest, ObjectsAreCountedAndUnloadIsRefusedWhileTheyLive) {
  EXPECT_EQ(bridgeopt::lib.correctlibraryversion(msg, sizeof msg), 0);
  EXPECT_STREQ(msg, "Library needs to be initialized first");
  void* a = nullptr;
  void* b = nullptr;
  ASSERT_EQ(bridgeopt::lib.createl(&a, optlib.c_str(), msg, sizeof msg), 1) << msg;
  // Loaded already: a path that does not exist is not even looked at.
  ASSERT_EQ(bridgeopt::lib.createl(&b, "/no/such/dir/libzlmopt64.so", msg, sizeof msg), 1);
  EXPECT_EQ(bridgeopt::lib.objectcount(), 2);
  EXPECT_EQ(bridgeopt::lib.correctlibraryversion(msg, sizeof msg), 1);
  EXPECT_EQ(bridgeopt::lib.libraryunload(), 0);
  EXPECT_EQ(bridgeopt::lib.libraryloaded(), 1);
  EXPECT_EQ(bridgeopt::lib.free(&a), 1);
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(bridgeopt::lib.libraryunload(), 0);
  EXPECT_EQ(bridgeopt::lib.free(&b), 1);
  EXPECT_EQ(bridgeopt::lib.libraryunload(), 1);
  EXPECT_EQ(bridgeopt::lib.libraryloaded(), 0);
  EXPECT_EQ(bridgeopt::lib.slot(bridgeopt::ix_optreaddefinition), nullptr);
  EXPECT_FALSE(mapped(optlib));
}

TEST_F(BridgeloaderTest, BoundEntriesWorkThroughZeroTerminatedTexts) {
  void* h = nullptr;
  ASSERT_EQ(bridgeopt::lib.createl(&h, optlib.c_str(), msg, sizeof msg), 1) << msg;
  const std::string def = testutil::source_dir() + "/examples/sysdir/optbaron.def";
  EXPECT_EQ(bridgeopt::optreaddefinition(h, def.c_str()), 0);
  char name[256] = {};
  std::int32_t number = -1;
  EXPECT_EQ(bridgeopt::optgetnameopt(h, "NLPSOLVB.12", name, &number), 1);
  EXPECT_STREQ(name, "NLPSOLVB");
  EXPECT_EQ(number, 12);
  EXPECT_EQ(bridgeopt::optgetdefinedstr(h, "ExtNLPsolver"), 0);
  bridgeopt::lib.free(&h);
}

TEST_F(BridgeloaderTest, FailedLoadsSayWhyAndLeaveNothingOpen) {
  EXPECT_EQ(bridgeopt::lib.getreadyd("/no/such/dir/", msg, sizeof msg), 0);
  EXPECT_STREQ(msg,
               "Could not load shared library /no/such/dir/libzlmopt64.so: /no/such/dir/"
               "libzlmopt64.so: cannot open shared object file: No such file or directory");

  const std::string lean = testutil::standinvariant("zlmopt-noapiversion") + "/libzlmopt64.so";
  EXPECT_EQ(bridgeopt::lib.getreadyl(lean.c_str(), msg, sizeof msg), 0);
  EXPECT_THAT(msg, StartsWith("Could not load symbol 'CXAPIVersion': "));
  EXPECT_EQ(bridgeopt::lib.libraryloaded(), 0);
  EXPECT_FALSE(mapped(lean));

  const std::string missing = testutil::standinvariant("zlmopt-cmissing") + "/libzlmopt64.so";
  EXPECT_EQ(bridgeopt::lib.getreadyl(missing.c_str(), msg, sizeof msg), 0);
  EXPECT_THAT(msg, StartsWith("Could not load symbol 'CoptGetNameOpt': "));
  EXPECT_EQ(bridgeopt::lib.slot(bridgeopt::ix_optreaddefinition), nullptr);
  EXPECT_FALSE(mapped(missing));

  ::setenv("ZLMOPT_REFUSE_API", "1", 1);
  EXPECT_EQ(bridgeopt::lib.getreadyl(optlib.c_str(), msg, sizeof msg), 0);
  ::unsetenv("ZLMOPT_REFUSE_API");
  EXPECT_STREQ(msg, "zlmopt: API version 4 refused; this library speaks version 4");
  // The next call tries again.
  EXPECT_EQ(bridgeopt::lib.getreadyl(optlib.c_str(), msg, sizeof msg), 1);
}

TEST_F(BridgeloaderTest, AnUnconfirmedEntryIsBoundToItsStub) {
  ::setenv("ZLMOPT_REJECT", "optGetNameOpt", 1);
  void* h = nullptr;
  ASSERT_EQ(bridgeopt::lib.createl(&h, optlib.c_str(), msg, sizeof msg), 1) << msg;
  ::unsetenv("ZLMOPT_REJECT");
  char name[256] = "untouched";
  std::int32_t number = -1;
  EXPECT_EXIT(
      {
        ::setenv("ZLMOPT_REJECT", "optGetNameOpt", 1);
        (void)bridgeopt::optgetnameopt(h, "NLPSOLVB", name, &number);
      },
      ::testing::ExitedWithCode(123), "");
  // With the exit and screen indicators off the stub answers 0 and counts the error.
  bridgeopt::lib.setexitindicator(0);
  bridgeopt::lib.setscreenindicator(0);
  EXPECT_EQ(bridgeopt::optgetnameopt(h, "NLPSOLVB", name, &number), 0);
  EXPECT_STREQ(name, "untouched");
  EXPECT_EQ(bridgeopt::lib.getapierrorcount(), 1);
  bridgeopt::lib.setexitindicator(1);
  bridgeopt::lib.setscreenindicator(1);
  bridgeopt::lib.setapierrorcount(0);
  bridgeopt::lib.free(&h);
}

namespace {

std::vector<std::string> reported;
std::int32_t record(std::int32_t, const char* text) {
  reported.emplace_back(text);
  return 0;
}

// True when no one holds any of the loader's mutexes.
bool allfree(const bridgeloader::loader& lib) {
  for (std::mutex* m : {lib.libmutex(), lib.objmutex(), lib.exceptmutex()}) {
    if (!m->try_lock()) return false;
    m->unlock();
  }
  return true;
}

}  // namespace

TEST_F(BridgeloaderTest, LockingIsSwitchedOnByTheMutexesAndOffAgain) {
  bridgeloader::loader& lib = bridgeopt::lib;
  EXPECT_EQ(lib.mutexisinitialized(), 0);
  EXPECT_EQ(lib.libmutex(), nullptr) << "off until init";
  lib.initmutexes();
  ASSERT_EQ(lib.mutexisinitialized(), 1);
  ASSERT_NE(lib.libmutex(), nullptr);
  ASSERT_NE(lib.objmutex(), nullptr);
  ASSERT_NE(lib.exceptmutex(), nullptr);
  std::mutex* const first = lib.libmutex();
  lib.initmutexes();
  EXPECT_EQ(lib.libmutex(), first) << "a second init keeps them";

  // Load, objects, callback and unload with the locks in force: each leaves them free.
  void* h = nullptr;
  ASSERT_EQ(lib.createl(&h, optlib.c_str(), msg, sizeof msg), 1) << msg;
  EXPECT_TRUE(allfree(lib));
  EXPECT_EQ(lib.correctlibraryversion(msg, sizeof msg), 1);
  lib.seterrorcallback(record);
  EXPECT_TRUE(allfree(lib));
  // Each lock guards its own state only: with one held, the others' state is at hand.
  {
    const std::lock_guard held(*lib.objmutex());
    EXPECT_EQ(lib.libraryloaded(), 1);
    EXPECT_EQ(lib.geterrorcallback(), &record);
  }
  {
    const std::lock_guard held(*lib.libmutex());
    EXPECT_EQ(lib.objectcount(), 1);
    EXPECT_EQ(lib.geterrorcallback(), &record);
  }
  {
    const std::lock_guard held(*lib.exceptmutex());
    EXPECT_EQ(lib.objectcount(), 1);
    EXPECT_EQ(lib.libraryloaded(), 1);
  }
  EXPECT_EQ(lib.libraryunload(), 0) << "an object lives";
  EXPECT_EQ(lib.free(&h), 1);
  EXPECT_EQ(lib.libraryunload(), 1);
  EXPECT_EQ(lib.libraryloaded(), 0);
  EXPECT_TRUE(allfree(lib));
  lib.seterrorcallback(nullptr);

  lib.finimutexes();
  EXPECT_EQ(lib.mutexisinitialized(), 0);
  EXPECT_EQ(lib.libmutex(), nullptr);
  EXPECT_EQ(lib.objmutex(), nullptr);
  EXPECT_EQ(lib.exceptmutex(), nullptr);
  lib.finimutexes();  // nothing to destroy
  ASSERT_EQ(lib.createl(&h, optlib.c_str(), msg, sizeof msg), 1) << msg;
  lib.free(&h);
}

TEST(Bridgeloader, MutexesThatCannotBeMadeAreReported) {
  bridgeloader::loader& lib = bridgehvn::lib;
  lib.setexitindicator(0);
  lib.setscreenindicator(0);
  lib.seterrorcallback(record);
  reported.clear();
  refusenothrow = true;
  lib.initmutexes();
  refusenothrow = false;
  EXPECT_EQ(reported, (std::vector<std::string>{"Problem initializing libMutex",
                                                "Problem initializing objMutex",
                                                "Problem initializing exceptMutex"}));
  EXPECT_EQ(lib.getapierrorcount(), 3);
  EXPECT_EQ(lib.mutexisinitialized(), 1) << "set all the same; the locking stays off";
  EXPECT_EQ(lib.libmutex(), nullptr);
  EXPECT_EQ(lib.exceptmutex(), nullptr);
  lib.finimutexes();
  lib.seterrorcallback(nullptr);
  lib.setapierrorcount(0);
  lib.setexitindicator(1);
  lib.setscreenindicator(1);
  // With the initial indicators the text goes to standard output and the process ends.
  EXPECT_EXIT(
      {
        refusenothrow = true;
        lib.initmutexes();
      },
      ::testing::ExitedWithCode(123), "");
}
