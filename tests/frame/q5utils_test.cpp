#include "frame/q5utils.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/testutil.h"

namespace {

// Restores an environment variable when the test ends.
class envguard {
 public:
  explicit envguard(const char* name) : name_(name) {
    if (const char* v = std::getenv(name)) old_ = v;
  }
  ~envguard() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }
  envguard(const envguard&) = delete;
  envguard& operator=(const envguard&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "<unset>";
}

TEST(Q5Utils, FileExtensions) {
  struct row {
    const char* name;
    const char* replaced;
    const char* completed;
    const char* why;
  };
  constexpr row rows[] = {
      {"model.gms", "model.lst", "model.gms", "extension replaced, complete keeps it"},
      {"model", "model.lst", "model.lst", "no extension: appended"},
      {"/a.b/model", "/a.b/model.lst", "/a.b/model.lst", "a dot before the last delimiter"},
      {"x.y.z", "x.y.lst", "x.y.z", "only the last extension"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(q5utils::replacefileext(r.name, ".lst"), r.replaced);
    EXPECT_EQ(q5utils::completefileext(r.name, ".lst"), r.completed);
  }
}

TEST(Q5Utils, EnvironmentVariables) {
  constexpr const char* var = "BL_Q5UTILS_TEST";
  envguard guard(var);
  EXPECT_FALSE(q5utils::q5setenv("", "x"));
  EXPECT_TRUE(q5utils::q5setenv(var, ""));
  EXPECT_TRUE(q5utils::q5issetenv(var));  // set, though empty
  EXPECT_TRUE(q5utils::q5setenv(var, "abc"));
  EXPECT_EQ(env(var), "abc");

  char buf[8];
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(q5utils::q5getenvpc(var, buf, 3), 4u);  // one byte short: size needed
  EXPECT_EQ(buf[0], '#');
  EXPECT_EQ(q5utils::q5getenvpc(var, buf, 4), 3u);  // exactly length + 1
  EXPECT_STREQ(buf, "abc");

  EXPECT_TRUE(q5utils::q5setenvpc(var, nullptr));
  EXPECT_FALSE(q5utils::q5issetenv(var));
  EXPECT_EQ(q5utils::q5getenvpc(var, buf, sizeof buf), 0u);
  EXPECT_FALSE(q5utils::q5setenvpc("", "x"));
  EXPECT_TRUE(q5utils::q5setenvpc(var, "pc"));
  EXPECT_EQ(env(var), "pc");
  q5utils::q5unsetenv("");
  q5utils::q5unsetenv(var);
  EXPECT_EQ(env(var), "<unset>");
}

TEST(Q5Utils, PrefixPath) {
  envguard guard("PATH");
  const std::string old = env("PATH");
  EXPECT_TRUE(q5utils::prefixpath(""));
  EXPECT_EQ(env("PATH"), old);
  ::unsetenv("PATH");
  EXPECT_TRUE(q5utils::prefixpath("/opt/x"));
  EXPECT_EQ(env("PATH"), "/opt/x");
  EXPECT_TRUE(q5utils::prefixpath("/opt/x"));  // no duplicate check
  EXPECT_EQ(env("PATH"), "/opt/x:/opt/x");
}

TEST(Q5Utils, PrefixEnv) {
  constexpr const char* var = "BL_Q5UTILS_PATHS";
  envguard guard(var);
  struct row {
    const char* before;  // nullptr: unset
    const char* dir;
    const char* after;
    const char* why;
  };
  constexpr row rows[] = {
      {"/ab:/c", "/a", "/a:/ab:/c", "a longer entry's beginning is not the entry"},
      {"/a:/c", "/a", "/a:/c", "already the first entry"},
      {"/a", "/a", "/a", "the only entry"},
      {"/c:/a", "/a", "/a:/c:/a", "a later entry does not count"},
      {nullptr, "/a", "/a", "unset"},
      {"", "/a", "/a", "empty"},
      {"/c", " \t/a \n", "/a:/c", "the directory is trimmed"},
      {"/c", "  ", "/c", "an empty directory changes nothing"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    if (r.before)
      ::setenv(var, r.before, 1);
    else
      ::unsetenv(var);
    EXPECT_TRUE(q5utils::prefixenv(r.dir, var));
    EXPECT_EQ(env(var), r.after);
  }
  EXPECT_FALSE(q5utils::prefixenv("/a", ""));
}

TEST(Q5Utils, PrefixLoadPath) {
  ASSERT_EQ(q5utils::loadpathvarname(), "LD_LIBRARY_PATH");
  envguard guard("LD_LIBRARY_PATH");
  ::setenv("LD_LIBRARY_PATH", "/lib/x", 1);
  EXPECT_TRUE(q5utils::prefixloadpath("/opt/y"));
  EXPECT_EQ(env("LD_LIBRARY_PATH"), "/opt/y:/lib/x");
  ::unsetenv("LD_LIBRARY_PATH");
  EXPECT_TRUE(q5utils::prefixloadpath(""));        // the executable's directory
  const std::string own = env("LD_LIBRARY_PATH");  // the folder holding this test program
  EXPECT_EQ(own.front(), '/');
  EXPECT_NE(own.back(), '/');
  EXPECT_TRUE(std::filesystem::is_regular_file(own + "/" + program_invocation_short_name)) << own;
}

TEST(Q5Utils, FileOpenModes) {
  testutil::tempdir dir;
  const auto existing = dir.file("existing.txt");
  testutil::write_file(existing, "keep me");
  struct row {
    std::string path;
    std::uint8_t mode;
    int rc;
    q5utils::filehandle handle;  // -2: some new descriptor above 2
    const char* why;
  };
  const row rows[] = {
      {"", 0, 0, 0, "empty path reads standard input"},
      {"", 1, 0, 1, "empty path writes standard output"},
      {"", 2, -1, q5utils::nilhandle, "empty path with another mode"},
      {existing, 3, EINVAL, q5utils::nilhandle, "mode 3 is refused before the system truncates"},
      {existing, 0, 0, -2, "read an existing file"},
      {dir.path().string(), 0, EISDIR, q5utils::nilhandle, "a folder is refused for reading"},
      {dir.file("missing"), 0, ENOENT, q5utils::nilhandle, "missing file"},
      {dir.file("created"), 2, 0, -2, "mode 2 creates a missing file"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    q5utils::filehandle h = 12345;
    EXPECT_EQ(q5utils::q5fileopen(r.path, r.mode, h), r.rc);
    if (r.handle == -2)
      EXPECT_GT(h, 2);
    else
      EXPECT_EQ(h, r.handle);
    if (h > 2) {
      EXPECT_EQ(q5utils::q5fileclose(h), 0);
      EXPECT_EQ(h, q5utils::nilhandle);
    }
  }
  EXPECT_EQ(testutil::read_file(existing), "keep me");
  EXPECT_EQ(testutil::read_file(dir.file("created")), "");

  EXPECT_EQ(q5utils::q5chmod(existing, 0600), 0);
  EXPECT_EQ(std::filesystem::status(existing).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(q5utils::q5chmod(dir.file("missing"), 0600), -1);
}

TEST(Q5Utils, RemovePlainFileLeavesEverythingElseAlone) {
  namespace fs = std::filesystem;
  testutil::tempdir outside;
  const std::string target = outside.file("target");
  testutil::write_file(target, "keep me");
  testutil::tempdir dir;
  struct row {
    const char* name;
    std::function<void(const std::string&)> make;
    bool gone;
    const char* why;
  };
  const row rows[] = {
      {"regular", [](const std::string& p) { testutil::write_file(p, "old"); }, true,
       "a regular file goes"},
      {"link", [&](const std::string& p) { fs::create_symlink(target, p); }, true,
       "the link goes, its target stays"},
      {"fifo", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, false,
       "a pipe stays"},
      {"empty", [](const std::string& p) { fs::create_directory(p); }, false,
       "an empty directory stays"},
      {"missing", [](const std::string&) {}, true, "nothing there is no failure"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const std::string path = dir.file(r.name);
    r.make(path);
    EXPECT_EQ(q5utils::q5removeplainfile(path), 0);
    EXPECT_EQ(fs::exists(fs::symlink_status(path)), !r.gone);
  }
  EXPECT_EQ(testutil::read_file(target), "keep me");

  fs::create_symlink("loop", dir.file("loop"));  // the name cannot even be examined
  EXPECT_EQ(q5utils::q5removeplainfile(dir.file("loop/x")), ELOOP);
}

TEST(Q5Utils, FailedOpenNeverReadsStandardInput) {
  q5utils::filehandle h = 0;
  ASSERT_NE(q5utils::q5fileopen("/no/such/file", 0, h), 0);
  char c;
  std::int64_t done = 7;
  EXPECT_EQ(q5utils::q5fileread(h, &c, 1, done), EBADF);
  EXPECT_EQ(done, 0);
  EXPECT_EQ(q5utils::q5filewrite(h, &c, 1, done), EBADF);
  EXPECT_EQ(q5utils::q5fileclose(h), EBADF);
}

TEST(Q5Utils, StandardDescriptorsStayOpen) {
  q5utils::filehandle h;
  ASSERT_EQ(q5utils::q5fileopen("", 0, h), 0);
  EXPECT_EQ(q5utils::q5fileclose(h), 0);
  EXPECT_EQ(h, q5utils::nilhandle);
  EXPECT_NE(::fcntl(0, F_GETFD), -1);  // standard input is still open
  ASSERT_EQ(q5utils::q5fileopen("", 1, h), 0);
  EXPECT_EQ(q5utils::q5fileclose(h), 0);
  EXPECT_NE(::fcntl(1, F_GETFD), -1);

  // A file opened while descriptor 0 is closed does not become "standard input".
  const int saved = ::dup(0);
  ::close(0);
  q5utils::filehandle f = q5utils::nilhandle;
  const int rc = q5utils::q5fileopen("/dev/null", 0, f);
  ::dup2(saved, 0);
  ::close(saved);
  EXPECT_EQ(rc, 0);
  EXPECT_GT(f, 2);
  EXPECT_EQ(q5utils::q5fileclose(f), 0);
}

TEST(Q5Utils, ReadAndWriteLoopOverPartialTransfers) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const std::int64_t n = 1 << 20;  // far more than a pipe holds at once
  std::vector<char> out(n), in(n);
  for (std::int64_t i = 0; i < n; ++i) out[i] = static_cast<char>(i * 7);
  std::int64_t written = 0;
  int wrc = -1;
  std::thread writer([&] {
    wrc = q5utils::q5filewrite(fds[1], out.data(), n, written);
    ::close(fds[1]);
  });
  std::int64_t got = 0;
  const int rrc = q5utils::q5fileread(fds[0], in.data(), n, got);
  writer.join();
  EXPECT_EQ(wrc, 0);
  EXPECT_EQ(written, n);
  EXPECT_EQ(rrc, 0);
  EXPECT_EQ(got, n);
  EXPECT_EQ(in, out);
  char extra;
  EXPECT_EQ(q5utils::q5fileread(fds[0], &extra, 1, got), 0);  // end of the file
  EXPECT_EQ(got, 0);
  ::close(fds[0]);

  q5utils::filehandle full;
  ASSERT_EQ(q5utils::q5fileopen("/dev/full", 1, full), 0);
  EXPECT_EQ(q5utils::q5filewrite(full, out.data(), 10, written), ENOSPC);
  EXPECT_EQ(written, 0);
  EXPECT_EQ(q5utils::q5fileclose(full), 0);
}

TEST(Q5Utils, SizeAndPosition) {
  testutil::tempdir dir;
  const auto path = dir.file("f.bin");
  testutil::write_file(path, "0123456789");
  q5utils::filehandle h;
  ASSERT_EQ(q5utils::q5fileopen(path, 2, h), 0);
  std::int64_t v = 0;
  EXPECT_EQ(q5utils::q5filegetsize(h, v), 0);
  EXPECT_EQ(v, 10);
  EXPECT_EQ(q5utils::q5filesetpointer(h, -3, v, 2), 0);
  EXPECT_EQ(v, 7);
  char c[3];
  std::int64_t got;
  EXPECT_EQ(q5utils::q5fileread(h, c, 3, got), 0);
  EXPECT_EQ(std::string(c, 3), "789");
  EXPECT_EQ(q5utils::q5filegetpointer(h, v), 0);
  EXPECT_EQ(v, 10);
  EXPECT_EQ(q5utils::q5filesetpointer(h, 0, v, 3), EINVAL);
  EXPECT_EQ(q5utils::q5fileclose(h), 0);

  for (q5utils::filehandle bad : {q5utils::filehandle{0}, q5utils::nilhandle}) {
    v = 5;
    EXPECT_EQ(q5utils::q5filegetsize(bad, v), EBADF);
    EXPECT_EQ(v, -1);
    EXPECT_EQ(q5utils::q5filegetpointer(bad, v), EBADF);
    EXPECT_EQ(q5utils::q5filesetpointer(bad, 0, v, 0), EBADF);
  }
}

TEST(Q5Utils, CountedMemory) {
  const std::int64_t base = q5utils::q5allocmemsize64();
  void* a = reinterpret_cast<void*>(1);
  q5utils::q5getmem64(a, 0);
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(q5utils::q5allocmem64(-5), nullptr);

  q5utils::q5getmem64(a, 100);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(q5utils::q5allocmemsize64(), base + 100);
  auto* z = static_cast<unsigned char*>(q5utils::q5allocmem64(64));
  for (int i = 0; i < 64; ++i) ASSERT_EQ(z[i], 0) << i;
  EXPECT_EQ(q5utils::q5allocmemsize64(), base + 164);

  q5utils::q5fillchar64(a, 100, 0xAB);
  q5utils::q5fillchar64(a, 0, 0x00);  // count below 1: nothing
  q5utils::q5reallocmem64(a, 10000);
  EXPECT_EQ(q5utils::q5allocmemsize64(), base + 10064);
  const auto* bytes = static_cast<unsigned char*>(a);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(bytes[i], 0xAB) << i;

  char overlap[] = "abcdef";
  q5utils::q5move64(overlap, overlap + 2, 4);
  EXPECT_STREQ(overlap, "ababcd");

  q5utils::q5reallocmem64(a, 0);
  EXPECT_EQ(a, nullptr);
  q5utils::q5reallocmem64(a, 0);  // none stays none
  EXPECT_EQ(a, nullptr);
  q5utils::q5freemem64(z, 64);
  EXPECT_EQ(q5utils::q5allocmemsize64(), base);
}

TEST(Q5Utils, RealRoundIsExact) {
  struct row {
    double x;
    double rounded;
    double truncated;
    const char* why;
  };
  constexpr row rows[] = {
      {2.5, 3, 2, "half away from zero"},
      {-2.5, -3, -2, "negative half away from zero"},
      {0.49999, 0, 0, "below a half"},
      {0.49999999999999994, 0, 0, "largest double below 0.5: adding 0.5 would round up"},
      {4503599627370497.0, 4503599627370497.0, 4503599627370497.0, "odd integer above 2^52"},
      {-0.5, -1, -0.0, "negative half"},
      {1e300, 1e300, 1e300, "huge"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(q5utils::realround(r.x), r.rounded);
    EXPECT_EQ(q5utils::realtrunc(r.x), r.truncated);
  }
}

TEST(Q5Utils, HostLocaleAndMemory) {
  EXPECT_FALSE(q5utils::q5getcomputername().empty());
  EXPECT_FALSE(q5utils::q5getusername().empty());  // a name or "unknown"

  EXPECT_EQ(q5utils::q5pushdeflocale(), "C");
  q5utils::q5popdeflocale("C");
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");

  std::int64_t rss = 0, vsz = 0;
  ASSERT_TRUE(q5utils::q5getmemoryinfo(rss, vsz));
  EXPECT_GT(rss, 0);
  EXPECT_GE(vsz, rss);
  EXPECT_TRUE(q5utils::q5getmemoryinfoex(::getpid(), rss, vsz));
  EXPECT_FALSE(q5utils::q5getmemoryinfoex(0, rss, vsz));
  EXPECT_EQ(rss, 0);
  EXPECT_EQ(vsz, 0);

  struct row {
    const char* text;
    bool ok;
    std::int64_t resident, virtualsize;
    const char* why;
  };
  constexpr row rows[] = {
      {"100 25 3 1 0 50 0\n", true, 25 * 4096, 100 * 4096, "size, then resident"},
      {"", false, 0, 0, "empty answer"},
      {"100", false, 0, 0, "short answer"},
      {"x 1", false, 0, 0, "not a number"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(q5utils::detail::parsestatm(r.text, 4096, rss, vsz), r.ok);
    EXPECT_EQ(rss, r.resident);
    EXPECT_EQ(vsz, r.virtualsize);
  }
  EXPECT_EQ(q5utils::q5senddatamessage(1, "a", "b"), 0);
}

}  // namespace
