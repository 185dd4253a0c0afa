// The bridge's loader in process, on the option stand-in and its variants: paths, messages,
// object counting, the refused unload, a failed load that closes its file, stubs and the
// version query.
#include "bridge/bridgeloader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "bridge/bridgelibs.h"
#include "support/testutil.h"

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

// Whether a library file of that path is mapped into this process.
bool mapped(const std::string& path) {
  return testutil::read_file("/proc/self/maps").find(path) != std::string::npos;
}

class bridgeloader_test : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(bridgeopt::lib.objectcount(), 0);
    EXPECT_EQ(bridgeopt::lib.libraryunload(), 1);
  }
  const std::string optlib = testutil::standinlib() + "/libzlmopt64.so";
  char msg[256] = {};
};

}  // namespace

TEST(bridgeloader, paths_are_joined_and_split) {
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

TEST(bridgeloader, messages_are_cut_to_the_buffer) {
  char small[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
  bridgeloader::setmsg(small, 5, "abcdefgh");
  EXPECT_STREQ(small, "abcd");
  bridgeloader::setmsg(small, 0, "ignored");
  EXPECT_STREQ(small, "abcd");
  bridgeloader::setmsg(nullptr, 10, "no buffer");
}

TEST_F(bridgeloader_test, objects_are_counted_and_unload_is_refused_while_they_live) {
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

TEST_F(bridgeloader_test, bound_entries_work_through_zero_terminated_texts) {
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

TEST_F(bridgeloader_test, failed_loads_say_why_and_leave_nothing_open) {
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

TEST_F(bridgeloader_test, an_unconfirmed_entry_is_bound_to_its_stub) {
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
