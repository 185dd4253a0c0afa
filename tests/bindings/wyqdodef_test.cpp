// The configuration object on the stand-in library: constructors and their messages, and
// reading, querying, building and writing a configuration.
#include "bindings/wyqdodef.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/bindtest.h"

namespace {

class WyqdodefTest : public ::testing::Test {
 protected:
  void SetUp() override { wyqdodef::wyqlibraryunload(); }
  void TearDown() override { wyqdodef::wyqlibraryunload(); }
  testutil::tempdir tmp;
  std::string config = bindtest::fixture("wyqdcdef/solvers.cfg");
};

struct kv {
  int result;
  int flag;
  int number;
  std::string text;
  bool operator==(const kv&) const = default;
};

kv getkv(wyqdodef::wyq& c, int item, int key) {
  std::int32_t flag = -1, number = -1;
  q5rt::sstr text;
  const int r = c.wyqgetitemkv(item, key, flag, number, text);
  return {r, flag, number, std::string(text.view())};
}

TEST_F(WyqdodefTest, ConstructorsReportTheBindingMessage) {
  q5rt::sstr msg;
  const std::string nowhere = tmp.path().string();
  {
    wyqdodef::wyq c(bindproto::created, nowhere, msg);
    EXPECT_EQ(c.wyqgethandle(), nullptr);
    EXPECT_TRUE(msg.view().ends_with(" (problem occurred when trying to load " + nowhere +
                                     "/libzlmwyq64.so)"))
        << msg.view();
  }
  {
    bindtest::scopedenv e("ZLMWYQ_FAIL_CREATE", "1");
    wyqdodef::wyq c(bindproto::created, bindtest::standinlib(), msg);
    EXPECT_EQ(msg.view(), "Library is loaded but error while creating object");
  }
  bindproto::handle h = nullptr;
  ASSERT_TRUE(wyqdcdef::wyqcreated(h, bindtest::standinlib(), msg)) << msg.view();
  {
    wyqdodef::wyq c(bindproto::withhandle, h, msg);
    EXPECT_EQ(msg.view(), "");
    EXPECT_EQ(c.wyqgethandle(), h);
  }
  EXPECT_EQ(wyqdcdef::lib.objectcount(), 1);  // borrowed, not freed
  wyqdcdef::wyqfree(h);
}

TEST_F(WyqdodefTest, ReadsAndQueriesAConfiguration) {
  q5rt::sstr msg;
  wyqdodef::wyq c(bindproto::created, bindtest::standinlib(), msg);
  ASSERT_EQ(msg.view(), "");
  EXPECT_EQ(c.wyqsetreadreleasefilter(q5rt::sstr::cut("1.0")), 0);
  ASSERT_EQ(c.wyqreadzolmconfig(q5rt::sstr::cut(config)), 0);
  EXPECT_EQ(c.wyqgetitemcount(), 2);
  struct row {
    int item, key;
    kv expected;
    const char* why;
  };
  const row rows[] = {
      {0, 1, {0, 1, 0, "BARON"}, "a text key"},
      {0, 2, {0, 1, 17, "17"}, "an integer key also as digits"},
      {1, 1, {0, 1, 0, "NLPSOLVA \"4\""}, "single quotes keep the double ones"},
      {1, 17, {1, 0, 0, ""}, "no such key: 1"},
      {2, 1, {2, 0, 0, ""}, "no such item: 2"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(getkv(c, r.item, r.key), r.expected);
  }
  std::int32_t flags[16] = {};
  EXPECT_EQ(c.wyqgetmodeltypes(0, flags, 16), 0);
  EXPECT_EQ(std::vector<int>(flags, flags + 8), (std::vector<int>{0, 1, 1, 0, 0, 1, 0, 1}));
  q5rt::sstr text;
  EXPECT_EQ(c.wyqgeterrormessage(text), 1);  // nothing to report

  const std::string bad = tmp.file("bad.cfg");
  testutil::write_file(bad, "item a\nkey x 1\n");
  EXPECT_NE(c.wyqreadzolmconfig(q5rt::sstr::cut(bad)), 0);
  EXPECT_EQ(c.wyqgeterrormessage(text), 0);
  EXPECT_EQ(text.view(), bad + " line 2: key line: key <number> <integer or quoted text>");
  EXPECT_EQ(c.wyqgetitemcount(), 2);  // the configuration read before stays
}

TEST_F(WyqdodefTest, SectionItemsAreWrittenAndReadBack) {
  q5rt::sstr msg;
  wyqdodef::wyq c(bindproto::created, bindtest::standinlib(), msg);
  ASSERT_EQ(msg.view(), "");
  std::int32_t item = -1;
  EXPECT_EQ(c.wyqstartsectionitem(2, q5rt::sstr::cut("sect"), item), 0);
  EXPECT_EQ(item, 0);
  EXPECT_EQ(c.wyqadditemkv(1, 0, q5rt::sstr::cut("a text")), 0);
  EXPECT_EQ(c.wyqadditemkv(4, 42, q5rt::sstr::cut("")), 0);
  EXPECT_EQ(c.wyqdonesectionitem(), 0);
  EXPECT_NE(c.wyqdonesectionitem(), 0);  // none open
  EXPECT_EQ(c.wyqmakenoneitem(3), 0);
  const std::string file = tmp.file("out.cfg");
  ASSERT_EQ(c.wyqwritezolmconfig(q5rt::sstr::cut(file)), 0);
  EXPECT_EQ(testutil::read_file(file),
            "item \"sect\" 2\nkey 1 \"a text\"\nkey 4 42\nitem \"\" 3\n");
  wyqdodef::wyq d(bindproto::created, bindtest::standinlib(), msg);
  ASSERT_EQ(d.wyqreadzolmconfig(q5rt::sstr::cut(file)), 0);
  EXPECT_EQ(d.wyqgetitemcount(), 2);
  EXPECT_EQ(getkv(d, 0, 4), (kv{0, 1, 42, "42"}));
}

}  // namespace
