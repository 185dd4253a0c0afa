// The environment library's binding: its entry table against the documented signatures, the
// XCheck calls the stand-in receives, the adapters (booleans by value and by reference,
// string results) and the fallback stubs.
#include "bindings/hvnmdcdef.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/bindtest.h"

namespace {

class HvnmdcdefTest : public bindtest::bindingtest {
 protected:
  HvnmdcdefTest() : bindingtest(hvnmdcdef::lib, "libbrin64.so") {}
};

TEST_F(HvnmdcdefTest, EntryTableMatchesTheDocumentedSignatures) {
  const auto rows = bindtest::fixturerows("hvnmdcdef/entries.txt");
  const auto entries = hvnmdcdef::entries();
  ASSERT_EQ(rows.size(), 85u);
  ASSERT_EQ(entries.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i]);
    EXPECT_EQ(bindtest::rowof(entries[i]), rows[i]);
  }
  EXPECT_EQ(bindtest::rowof(entries[hvnmdcdef::ix_hvntimejnow]), "hvnTimeJNow 0 13");
  EXPECT_EQ(bindtest::rowof(entries[hvnmdcdef::ix_hvnsolvervisibility]),
            "hvnSolverVisibility 3 3 11 20 20");
  EXPECT_EQ(hvnmdcdef::hvnnamesysdir.view(), "NameSysDir");
  EXPECT_EQ(hvnmdcdef::hvnisdefaultsubsys.view(), "isDefaultSubsys");
}

TEST_F(HvnmdcdefTest, XcheckCallsFollowTheTable) {
  EXPECT_FALSE(hvnmdcdef::hvnlibraryloaded());
  for (std::size_t i = 0; i < hvnmdcdef::entrycount; ++i)
    EXPECT_EQ(hvnmdcdef::lib.slot(i), nullptr);
  bindtest::scopedenv t("BRIN_TRACE", trace);
  q5rt::sstr msg;
  ASSERT_TRUE(hvnmdcdef::hvngetreadyd(bindtest::standinlib(), msg)) << msg.view();
  std::vector<std::string> expected = {"hvnInitialize", "XAPIVersion 8"};
  for (const auto& r : bindtest::fixturerows("hvnmdcdef/entries.txt"))
    expected.push_back("XCheck " + r);
  EXPECT_EQ(bindtest::lines(testutil::read_file(trace)), expected);
  int confirmed = 0;
  for (std::size_t i = 0; i < hvnmdcdef::entrycount; ++i)
    confirmed += hvnmdcdef::hvnfuncloaded(hvnmdcdef::lib.slot(i)) ? 1 : 0;
  EXPECT_EQ(confirmed, 20);
  EXPECT_TRUE(hvnmdcdef::hvnfuncloaded(hvnmdcdef::hvngetstropt.address()));
  EXPECT_FALSE(hvnmdcdef::hvnfuncloaded(hvnmdcdef::hvngetanchor.address()));  // a stub
}

TEST_F(HvnmdcdefTest, ARefusedVersionIsReported) {
  bindtest::scopedenv e("BRIN_REFUSE_API", "1");
  q5rt::sstr msg;
  EXPECT_FALSE(hvnmdcdef::hvngetreadyd(bindtest::standinlib(), msg));
  EXPECT_EQ(msg.view(), "brin: API version 8 refused; this library speaks version 8");
  EXPECT_FALSE(hvnmdcdef::hvnlibraryloaded());
}

TEST_F(HvnmdcdefTest, AdaptersConvertBooleansAndCutStrings) {
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(hvnmdcdef::hvncreated(h, bindtest::standinlib(), msg)) << msg.view();
  hvnmdcdef::hvnsetstropt(h, hvnmdcdef::hvncursolver, q5rt::sstr::cut("baron"));
  struct row {
    const char* solver;
    bool before;
    bool capable;
    const char* why;
  };
  constexpr row rows[] = {
      {"BARON", false, true, "the current solver: false becomes true"},
      {"nlpsolva", true, false, "another solver: true becomes false"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    bool capable = r.before;
    EXPECT_EQ(hvnmdcdef::hvncapabilitycheck(h, 1, q5rt::sstr::cut(r.solver), capable), 0);
    EXPECT_EQ(capable, r.capable);
  }
  EXPECT_FALSE(hvnmdcdef::hvnterminateget(h));
  hvnmdcdef::hvnterminateraise(h);
  EXPECT_TRUE(hvnmdcdef::hvnterminateget(h));
  q5rt::shortstring<3> cut;
  EXPECT_EQ(hvnmdcdef::hvngetcurrentsolver(cut, h, nullptr).view(), "bar");
  hvnmdcdef::hvnfree(h);
}

// Stubs: a string result answers one blank, a double 0.0, a boolean true (through its
// adapter); each call prints its line.
TEST_F(HvnmdcdefTest, ReplacedEntriesAnswerTheirFallbacks) {
  bindtest::scopedenv reject("BRIN_REJECT", "hvnTimeJNow,hvnTerminateGet");
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(hvnmdcdef::hvncreated(h, bindtest::standinlib(), msg)) << msg.view();
  hvnmdcdef::hvnsetexitindicator(false);
  testing::internal::CaptureStdout();
  EXPECT_EQ(hvnmdcdef::hvntimejnow(h), 0.0);
  const std::string line = testing::internal::GetCapturedStdout();
  EXPECT_EQ(line, "hvnTimeJNow could not be loaded from " + libfile +
                      ": brin: hvnTimeJNow rejected by fault injection\n");
  hvnmdcdef::hvnsetscreenindicator(false);
  EXPECT_TRUE(hvnmdcdef::hvnterminateget(h));
  q5rt::sstr anchor = q5rt::sstr::cut("old");
  EXPECT_EQ(hvnmdcdef::hvngetanchor(anchor, h, q5rt::sstr::cut("a")).view(), " ");
  EXPECT_EQ(hvnmdcdef::hvngeterrorcount(), 3);
  hvnmdcdef::hvnfree(h);
}

TEST(Hvnmdcdefchild, CallsHvntimejnow) {
  if (!bindtest::inchild("hvntimejnow")) GTEST_SKIP() << "child case";
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(hvnmdcdef::hvncreated(h, bindtest::standinlib(), msg)) << msg.view();
  (void)hvnmdcdef::hvntimejnow(h);
  ADD_FAILURE() << "the stub returned";
}

TEST_F(HvnmdcdefTest, ARejectedEntryEndsTheRunWithItsLine) {
  const auto res = bindtest::runchild("hvntimejnow", "Hvnmdcdefchild.CallsHvntimejnow",
                                      {{"BRIN_REJECT", "hvnTimeJNow"}});
  EXPECT_EQ(res.exit_code, 123) << res.out;
  EXPECT_NE(res.out.find("hvnTimeJNow could not be loaded from " + libfile +
                         ": brin: hvnTimeJNow rejected by fault injection\n"),
            std::string::npos)
      << res.out;
}

// A nil object handle gets the entry's failure value, never a crash.
TEST_F(HvnmdcdefTest, ANilHandleGetsFailureValues) {
  q5rt::sstr msg;
  ASSERT_TRUE(hvnmdcdef::hvngetreadyl(libfile, msg)) << msg.view();
  const bindproto::handle none = nullptr;
  hvnmdcdef::hvnlog(none, q5rt::sstr::cut("nowhere"));
  hvnmdcdef::hvnsetintopt(none, hvnmdcdef::hvniterlim, 5);
  EXPECT_EQ(hvnmdcdef::hvngetintopt(none, hvnmdcdef::hvniterlim), 0);
  EXPECT_EQ(hvnmdcdef::hvngetdblopt(none, hvnmdcdef::hvnreslim), 0.0);
  q5rt::sstr text = q5rt::sstr::cut("stale");
  EXPECT_EQ(hvnmdcdef::hvngetstropt(text, none, hvnmdcdef::hvnnamesysdir).view(), "");
  EXPECT_FALSE(hvnmdcdef::hvnterminateget(none));
  bool capable = true;
  EXPECT_NE(hvnmdcdef::hvncapabilitycheck(none, 1, q5rt::sstr::cut("baron"), capable), 0);
}

}  // namespace
