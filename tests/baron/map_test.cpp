// The map file of BARON's order: its lines from the run state, a file that cannot be
// written, and the previous run's map, which never outlives this run's writing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <system_error>

#include "baron/gcbaron.h"
#include "frame/statlib.h"
#include "support/filesizelimit.h"
#include "support/testutil.h"

namespace {

struct mapcase {
  std::int32_t varseq;
  std::vector<std::int32_t> vars;
  std::int32_t equseq;
  std::vector<std::int32_t> equs;
  const char* text;
  const char* why;
};

TEST(Map, ListsBaronsOrderAsModelNumbers) {
  const mapcase rows[] = {
      {3,
       {2, 3, 1},
       2,
       {1, 3, 0},
       "VARIABLES 3\n2\n3\n1\nEQUATIONS 2\n1\n3\n",
       "counts bound the lists, not the array sizes"},
      {1, {1}, 0, {}, "VARIABLES 1\n1\nEQUATIONS 0\n", "all rows =N=: no equation lines"},
  };
  testutil::tempdir dir;
  for (const mapcase& r : rows) {
    SCOPED_TRACE(r.why);
    gcbaron::state.reset();
    gcbaron::state.baronvarseq = r.varseq;
    gcbaron::state.baronvartozolm = r.vars;
    gcbaron::state.baronequseq = r.equseq;
    gcbaron::state.baronequtozolm = r.equs;
    q5rt::textfile f;
    f.assign(dir.file("bavemap"));
    f.rewrite();
    ASSERT_EQ(f.ioresult(), 0);
    EXPECT_TRUE(gcbaron::writemap(f, dir.file("bavemap")));
    EXPECT_FALSE(f.is_open());
    EXPECT_EQ(testutil::read_file(dir.file("bavemap")), r.text);
  }
  gcbaron::state.reset();
}

TEST(Map, AFailedWriteIsLoggedAndTheFileClosed) {
  gcbaron::state.reset();
  gcbaron::state.baronvarseq = 1;
  gcbaron::state.baronvartozolm = {1};
  testutil::tempdir dir;
  (void)statlib::gstatopen(2, 0, dir.file("test.log"));
  q5rt::textfile f;
  f.assign("/dev/full");  // every write fails
  f.rewrite();
  ASSERT_EQ(f.ioresult(), 0);
  EXPECT_FALSE(gcbaron::writemap(f, "/dev/full"));
  statlib::gstatclose();
  EXPECT_FALSE(f.is_open());
  EXPECT_EQ(testutil::read_file(dir.file("test.log")), "*** Could not write /dev/full\n");
  gcbaron::state.reset();
}

// The bridge reads whatever map stands under the name: the previous run's goes before the
// new one is written, an incomplete new one goes too, and a previous map that cannot be
// removed stops the run (false).
TEST(Map, APreviousMapNeverOutlivesTheWriting) {
  namespace fs = std::filesystem;
  struct row {
    const char* name;
    std::function<void(const testutil::tempdir&)> prepare;
    rlim_t limit;  // 0: none
    bool goeson;
    bool left;  // this run's map; else none at all
    const char* log;
    const char* why;
  };
  const char* stale = "VARIABLES 2\n2\n1\nEQUATIONS 0\n";
  const row rows[] = {
      {"bavemap",
       [&](const testutil::tempdir& d) { testutil::write_file(d.file("bavemap"), stale); }, 0, true,
       true, "", "a previous map is replaced"},
      {"bavemap",
       [&](const testutil::tempdir& d) {
         testutil::write_file(d.file("old"), stale);
         fs::create_symlink(d.file("old"), d.file("bavemap"));
       },
       0, true, true, "", "a symbolic link goes, its target stays"},
      {"bavemap",
       [&](const testutil::tempdir& d) { testutil::write_file(d.file("bavemap"), stale); }, 100,
       true, false, "*** Could not write <dir>/bavemap\n",
       "a map cut by a full disk is removed: no map at all"},
      {"loop/bavemap",
       [](const testutil::tempdir& d) { fs::create_symlink("loop", d.file("loop")); }, 0, false,
       false,
       "*** Could not remove old map file \"<dir>/loop/bavemap\": Too many levels of symbolic "
       "links\n",
       "a previous map that cannot even be examined stops the run"},
  };
  // A map of 100 columns, larger than the log's line: a file-size limit of 100 bytes cuts
  // the map, not the log.
  std::string fresh = "VARIABLES 100\n";
  std::vector<std::int32_t> columns;
  for (std::int32_t c = 1; c <= 100; ++c) {
    columns.push_back(c);
    fresh += std::to_string(c) + "\n";
  }
  fresh += "EQUATIONS 1\n1\n";
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    gcbaron::state.reset();
    gcbaron::state.baronvarseq = 100;
    gcbaron::state.baronvartozolm = columns;
    gcbaron::state.baronequseq = 1;
    gcbaron::state.baronequtozolm = {1};
    const testutil::tempdir dir;
    r.prepare(dir);
    (void)statlib::gstatopen(2, 0, dir.file("test.log"));
    bool goeson = false;
    {
      std::unique_ptr<testutil::filesizelimit> limit;
      if (r.limit != 0) limit = std::make_unique<testutil::filesizelimit>(r.limit);
      goeson = gcbaron::writemapfile(dir.file(r.name));
    }
    statlib::gstatclose();
    EXPECT_EQ(goeson, r.goeson);
    const std::string path = dir.file(r.name);
    std::error_code ec;
    const fs::file_status left = fs::symlink_status(path, ec);
    if (r.left) {
      EXPECT_EQ(testutil::read_file(path), fresh);
      EXPECT_TRUE(fs::is_regular_file(left));
    } else {
      EXPECT_FALSE(fs::exists(left)) << path;
    }
    if (fs::exists(dir.file("old"))) {
      EXPECT_EQ(testutil::read_file(dir.file("old")), stale);
    }
    std::string log = testutil::read_file(dir.file("test.log"));
    for (std::size_t at; (at = log.find(dir.path().string())) != std::string::npos;)
      log.replace(at, dir.path().string().size(), "<dir>");
    EXPECT_EQ(log, r.log);
  }
  gcbaron::state.reset();
}

}  // namespace
