// The configuration library's binding: its entry table and prefixed names against the
// documented signatures, the XCheck calls the stand-in receives, the failed loads and the
// fallback stub's line.
#include "bindings/wyqdcdef.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/bindtest.h"

namespace {

class WyqdcdefTest : public bindtest::bindingtest {
 protected:
  WyqdcdefTest() : bindingtest(wyqdcdef::lib, "libzlmwyq64.so") {}
};

TEST_F(WyqdcdefTest, EntryTableMatchesTheDocumentedNamesAndSignatures) {
  const auto rows = bindtest::fixturerows("wyqdcdef/entries.txt");
  const auto entries = wyqdcdef::entries();
  ASSERT_EQ(rows.size(), 11u);
  ASSERT_EQ(entries.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i]);
    EXPECT_EQ(bindtest::rowof(entries[i]), rows[i].substr(3));
  }
  EXPECT_EQ(bindtest::rowof(entries[wyqdcdef::ix_wyqgetitemkv]), "wyqGetItemKV 5 3 3 3 21 21 17");
}

// Each exported "D__"/"C__" name is found (every entry is confirmed and bound), and XCheck
// hears the names without their prefix.
TEST_F(WyqdcdefTest, XcheckHearsUnprefixedNamesAndEveryEntryBinds) {
  bindtest::scopedenv t("ZLMWYQ_TRACE", trace);
  q5rt::sstr msg;
  ASSERT_TRUE(wyqdcdef::wyqgetreadyd(bindtest::standinlib(), msg)) << msg.view();
  std::vector<std::string> expected = {"wyqInitialize", "XAPIVersion 1"};
  for (const auto& r : bindtest::fixturerows("wyqdcdef/entries.txt"))
    expected.push_back("XCheck " + r.substr(3));
  EXPECT_EQ(bindtest::lines(testutil::read_file(trace)), expected);
  for (std::size_t i = 0; i < wyqdcdef::entrycount; ++i) {
    SCOPED_TRACE(wyqdcdef::entries()[i].name);
    EXPECT_TRUE(wyqdcdef::wyqfuncloaded(wyqdcdef::lib.slot(i)));
  }
}

TEST_F(WyqdcdefTest, FailedLoads) {
  q5rt::sstr msg;
  const std::string plain = bindtest::variant("zlmwyq-plaincheck");
  EXPECT_FALSE(wyqdcdef::wyqgetreadyd(plain, msg));
  EXPECT_EQ(msg.view(), "Entry not found: D__XCheck in " + plain + "/libzlmwyq64.so");
  {
    bindtest::scopedenv e("ZLMWYQ_REFUSE_API", "1");
    bindproto::handle h = nullptr;
    EXPECT_FALSE(wyqdcdef::wyqcreatel(h, libfile, msg));
    EXPECT_EQ(msg.view(), "zlmwyq: API version 1 refused; this library speaks version 1");
    EXPECT_EQ(h, nullptr);
  }
  EXPECT_FALSE(wyqdcdef::wyqlibraryloaded());
  EXPECT_EQ(wyqdcdef::lib.objectcount(), 0);
}

TEST(Wyqdcdefchild, CallsWyqgetitemkv) {
  if (!bindtest::inchild("wyqgetitemkv")) GTEST_SKIP() << "child case";
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(wyqdcdef::wyqcreated(h, bindtest::standinlib(), msg)) << msg.view();
  std::int32_t flag = 0, value = 0;
  q5rt::sstr text;
  (void)wyqdcdef::wyqgetitemkv(h, 0, 17, flag, value, text);
  ADD_FAILURE() << "the stub returned";
}

TEST_F(WyqdcdefTest, ARejectedEntryEndsTheRunWithItsUnprefixedName) {
  const auto res = bindtest::runchild("wyqgetitemkv", "Wyqdcdefchild.CallsWyqgetitemkv",
                                      {{"ZLMWYQ_REJECT", "wyqGetItemKV"}});
  EXPECT_EQ(res.exit_code, 123) << res.out;
  EXPECT_NE(res.out.find("wyqGetItemKV could not be loaded from " + libfile +
                         ": zlmwyq: wyqGetItemKV rejected by fault injection\n"),
            std::string::npos)
      << res.out;
}

// A nil object handle gets the entry's failure value and cleared outputs, never a crash.
TEST_F(WyqdcdefTest, ANilHandleGetsFailureValues) {
  q5rt::sstr msg;
  ASSERT_TRUE(wyqdcdef::wyqgetreadyl(libfile, msg)) << msg.view();
  const bindproto::handle none = nullptr;
  EXPECT_NE(wyqdcdef::wyqreadzolmconfig(none, q5rt::sstr::cut("x.yaml")), 0);
  EXPECT_EQ(wyqdcdef::wyqgetitemcount(none), 0);
  std::int32_t flag = 7, number = 7;
  q5rt::sstr text = q5rt::sstr::cut("stale");
  EXPECT_NE(wyqdcdef::wyqgetitemkv(none, 0, 1, flag, number, text), 0);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(number, 0);
  text.assign_cut("stale");
  EXPECT_NE(wyqdcdef::wyqgeterrormessage(none, text), 0);
  EXPECT_EQ(text.view(), "");
}

}  // namespace
