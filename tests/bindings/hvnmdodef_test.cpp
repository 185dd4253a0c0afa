// The environment object on the stand-in library: constructors and their messages, borrowed
// handles, string results cut to the caller's length, and options driving the log.
#include "bindings/hvnmdodef.h"

#include <gtest/gtest.h>

#include <string>

#include "support/bindtest.h"

namespace {

class HvnmdodefTest : public ::testing::Test {
 protected:
  void SetUp() override { hvnmdodef::hvnlibraryunload(); }
  void TearDown() override { hvnmdodef::hvnlibraryunload(); }
  testutil::tempdir tmp;
};

TEST_F(HvnmdodefTest, AMissingLibraryGivesTheLoaderTextAndNoHandle) {
  q5rt::sstr msg;
  const std::string nowhere = tmp.path().string();
  {
    hvnmdodef::tzlmenvironment env(bindproto::created, nowhere, msg);
    EXPECT_EQ(env.hvngethandle(), nullptr);
    EXPECT_TRUE(msg.view().ends_with(" (problem occurred when trying to load " + nowhere +
                                     "/libbrin64.so)"))
        << msg.view();
  }
  EXPECT_FALSE(hvnmdodef::hvnlibraryloaded());
  EXPECT_EQ(hvnmdcdef::lib.objectcount(), 0);
}

TEST_F(HvnmdodefTest, ABorrowedHandleStaysAlive) {
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(hvnmdcdef::hvncreatedd(h, bindtest::standinlib(), msg)) << msg.view();
  {
    hvnmdodef::tzlmenvironment env(bindproto::withhandle, h, msg);
    EXPECT_EQ(msg.view(), "");
    EXPECT_EQ(env.hvngethandle(), h);
    env.hvnsetintopt(hvnmdcdef::hvnthreadsraw, 4);
  }
  EXPECT_EQ(hvnmdcdef::lib.objectcount(), 1);
  EXPECT_EQ(hvnmdcdef::hvnthreads(h), 4);
  // createdd hands the directory to the library: its system directory.
  q5rt::sstr dir;
  EXPECT_EQ(hvnmdcdef::hvngetstropt(dir, h, hvnmdcdef::hvnnamesysdir).view(),
            bindtest::standinlib());
  hvnmdcdef::hvnfree(h);
}

TEST_F(HvnmdodefTest, StringResultsAreCutToTheCallersLength) {
  q5rt::sstr msg;
  hvnmdodef::tzlmenvironment env(bindproto::created, bindtest::standinlib(), msg);
  ASSERT_EQ(msg.view(), "");
  const q5rt::sstr name = q5rt::sstr::cut("subsysFile");
  env.hvnsetstropt(name, q5rt::sstr::cut("/a/long/path/of/the/subsystems.txt"));
  q5rt::shortstring<10> ten;
  EXPECT_EQ(env.hvngetstropt(ten, name).view(), "/a/long/pa");
  q5rt::sstr full;
  EXPECT_EQ(env.hvngetstropt(full, q5rt::sstr::cut("SUBSYSFILE")).view(),
            "/a/long/path/of/the/subsystems.txt");
  EXPECT_EQ(env.hvngetstropt(full, q5rt::sstr::cut("unset")).view(), "");
}

// A boolean by reference (code 20) crosses as an integer and is copied back to the caller.
TEST_F(HvnmdodefTest, ABooleanByReferenceComesBackThroughTheMethod) {
  q5rt::sstr msg;
  hvnmdodef::tzlmenvironment env(bindproto::created, bindtest::standinlib(), msg);
  ASSERT_EQ(msg.view(), "");
  env.hvnsetstropt(hvnmdcdef::hvncursolver, q5rt::sstr::cut("baron"));
  bool capable = false;
  EXPECT_EQ(env.hvncapabilitycheck(1, q5rt::sstr::cut("Baron"), capable), 0);
  EXPECT_TRUE(capable);
  EXPECT_EQ(env.hvncapabilitycheck(1, q5rt::sstr::cut("nlpsolva"), capable), 0);
  EXPECT_FALSE(capable);
}

TEST_F(HvnmdodefTest, OptionsNameTheLogAndScratchFiles) {
  q5rt::sstr msg;
  hvnmdodef::tzlmenvironment env(bindproto::created, bindtest::standinlib(), msg);
  ASSERT_EQ(msg.view(), "");
  const std::string log = tmp.file("run.log");
  const std::string stat = tmp.file("run.sta");
  env.hvnsetstropt(hvnmdcdef::hvnnamelogfile, q5rt::sstr::cut(log));
  env.hvnsetstropt(hvnmdcdef::hvnnamestafile, q5rt::sstr::cut(stat));
  env.hvnlog(q5rt::sstr::cut("to the log"));
  env.hvnstat(q5rt::sstr::cut("to the status file"));
  env.hvnlogstat(q5rt::sstr::cut("to both"));
  EXPECT_EQ(testutil::read_file(log), "to the log\nto both\n");
  EXPECT_EQ(testutil::read_file(stat), "to the status file\nto both\n");
  env.hvnsetstropt(hvnmdcdef::hvnnamescrdir, q5rt::sstr::cut("/scr/"));
  env.hvnsetstropt(hvnmdcdef::hvnnamescrext, q5rt::sstr::cut(".dat"));
  q5rt::sstr name;
  EXPECT_EQ(env.hvngetscratchname(name, q5rt::sstr::cut("model")).view(), "/scr/model.dat");
  env.hvnsetdblopt(hvnmdcdef::hvnreslim, 1000.5);
  EXPECT_EQ(env.hvngetdblopt(hvnmdcdef::hvnreslim), 1000.5);
  EXPECT_GE(env.hvntimediffstart(), 0.0);
  EXPECT_GT(env.hvntimejnow(), 40000.0);  // days since 1899
  EXPECT_EQ(env.dhvnthreads(), 1);
}

}  // namespace
