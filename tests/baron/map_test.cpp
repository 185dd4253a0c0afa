// The map file of BARON's order: its lines from the run state, and a file that cannot be
// written.
#include <gtest/gtest.h>

#include "baron/gcbaron.h"
#include "frame/statlib.h"
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
    gcbaron::writemap(f, dir.file("bavemap"));
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
  gcbaron::writemap(f, "/dev/full");
  statlib::gstatclose();
  EXPECT_FALSE(f.is_open());
  EXPECT_EQ(testutil::read_file(dir.file("test.log")), "*** Could not write /dev/full\n");
  gcbaron::state.reset();
}

}  // namespace
