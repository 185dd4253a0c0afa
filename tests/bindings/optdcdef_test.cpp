// The option library's binding: its entry table against the documented signatures, the
// XCheck calls the stand-in receives, the load path, the adapters and the fallback stubs.
#include "bindings/optdcdef.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/bindtest.h"

namespace {

// Every test starts and ends with the library unloaded and the default indicators.
class OptdcdefTest : public bindtest::bindingtest {
 protected:
  OptdcdefTest() : bindingtest(optdcdef::lib, "libzlmopt64.so") {}
};

TEST_F(OptdcdefTest, EntryTableMatchesTheDocumentedSignatures) {
  const auto rows = bindtest::fixturerows("optdcdef/entries.txt");
  const auto entries = optdcdef::entries();
  ASSERT_EQ(rows.size(), 95u);
  ASSERT_EQ(entries.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i]);
    EXPECT_EQ(bindtest::rowof(entries[i]), rows[i]);
  }
}

// The stand-in's XCheck receives each entry once, in binding order, with the same codes;
// it confirms all of them, so every slot holds the library's own entry.
TEST_F(OptdcdefTest, XcheckCallsFollowTheTableAndEveryEntryBinds) {
  bindtest::scopedenv t("ZLMOPT_TRACE", trace);
  q5rt::sstr msg;
  ASSERT_TRUE(optdcdef::optgetreadyd(bindtest::standinlib(), msg)) << msg.view();
  std::vector<std::string> checks;
  for (const auto& line : bindtest::lines(testutil::read_file(trace)))
    if (line.rfind("XCheck ", 0) == 0) checks.push_back(line.substr(7));
  EXPECT_EQ(checks, bindtest::fixturerows("optdcdef/entries.txt"));
  for (std::size_t i = 0; i < optdcdef::entrycount; ++i) {
    SCOPED_TRACE(optdcdef::entries()[i].name);
    EXPECT_TRUE(optdcdef::optfuncloaded(optdcdef::lib.slot(i)));
  }
}

TEST_F(OptdcdefTest, CoreCallsComeInProtocolOrder) {
  bindtest::scopedenv t("ZLMOPT_TRACE", trace);
  q5rt::sstr msg;
  ASSERT_TRUE(optdcdef::optgetreadyd(bindtest::standinlib() + "/", msg)) << msg.view();
  const auto all = bindtest::lines(testutil::read_file(trace));
  ASSERT_GE(all.size(), 4u);
  EXPECT_EQ(all[0], "optInitialize");
  EXPECT_EQ(all[1], "XAPIVersion 4");
  EXPECT_EQ(all[2].rfind("XCheck optReadDefinition ", 0), 0u);
  // The directory without its trailing delimiter.
  EXPECT_EQ(all.back(), "optSetLoadPath \"" + bindtest::standinlib() + "\"");
  EXPECT_EQ(optdcdef::lib.libfilename(), bindtest::standinlib() + "/libzlmopt64.so");
}

// With the exit indicator off a replaced entry reports and answers its fallback.
TEST_F(OptdcdefTest, ReplacedEntriesAnswerTheirFallbacks) {
  bindtest::scopedenv reject("ZLMOPT_REJECT",
                             "optGetDefinedStr,optGetStrStr,optGetDblStr,optClearMessages,"
                             "optSeparator,optGetIntNr");
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(optdcdef::optcreatel(h, bindtest::standinlib() + "/libzlmopt64.so", msg));
  optdcdef::optsetexitindicator(false);
  optdcdef::optsetscreenindicator(false);
  const std::string def = testutil::source_dir() + "/examples/sysdir/optbaron.def";
  ASSERT_EQ(optdcdef::optreaddefinition(h, q5rt::sstr::cut(def)), 0);
  optdcdef::optaddmessage(h, q5rt::sstr::cut("kept"));

  const q5rt::sstr name = q5rt::sstr::cut("EpsA");
  EXPECT_TRUE(optdcdef::optgetdefinedstr(h, name));
  q5rt::sstr text = q5rt::sstr::cut("old");
  EXPECT_EQ(optdcdef::optgetstrstr(text, h, name).view(), " ");
  EXPECT_EQ(optdcdef::optgetdblstr(h, name), 0.0);
  optdcdef::optclearmessages(h);
  EXPECT_EQ(optdcdef::optmessagecount(h), 1);  // the procedure did nothing
  EXPECT_EQ(optdcdef::optseparator(text, h).view(), " ");
  std::int32_t value = 77;
  EXPECT_EQ(optdcdef::optgetintnr(h, 1, value), 0);
  EXPECT_EQ(value, 77);  // out-parameters untouched
  EXPECT_EQ(optdcdef::optgeterrorcount(), 6);
  EXPECT_FALSE(optdcdef::optfuncloaded(optdcdef::optgetdefinedstr.address()));
  EXPECT_TRUE(optdcdef::optfuncloaded(optdcdef::optgetnamenr.address()));

  // The adapters of confirmed entries: true only for a non-zero integer; a cut copy.
  EXPECT_FALSE(optdcdef::optresetstr(h, q5rt::sstr::cut("nosuchoption")));
  EXPECT_TRUE(optdcdef::optresetstr(h, name));
  q5rt::shortstring<1> quote;
  EXPECT_EQ(optdcdef::optstringquote(quote, h).view(), "\"");
  optdcdef::optfree(h);
}

// A call of a replaced entry prints its line and ends the run with exit code 123.
TEST(Optdcdefchild, CallsOptgethelpnr) {
  if (!bindtest::inchild("gethelpnr")) GTEST_SKIP() << "child case";
  const char* dir = std::getenv("BL_TEST_LIBDIR");
  ASSERT_NE(dir, nullptr);
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(optdcdef::optcreated(h, dir, msg)) << msg.view();
  q5rt::sstr name, help;
  (void)optdcdef::optgethelpnr(h, 1, name, help);
  ADD_FAILURE() << "the stub returned";
}

TEST_F(OptdcdefTest, AReplacedEntryEndsTheRunWithItsLine) {
  struct row {
    const char* dir;
    const char* reject;
    const char* why_text;
    const char* why;
  };
  const std::string lean = bindtest::variant("zlmopt-lean");
  const std::string full = bindtest::standinlib();
  const row rows[] = {
      {full.c_str(), "optGetHelpNr", "zlmopt: optGetHelpNr rejected by fault injection",
       "XCheck refuses the entry: its text follows"},
      {lean.c_str(), "", "", "the library lacks the entry: XCheck has no complaint"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const auto res = bindtest::runchild("gethelpnr", "Optdcdefchild.CallsOptgethelpnr",
                                        {{"BL_TEST_LIBDIR", r.dir}, {"ZLMOPT_REJECT", r.reject}});
    EXPECT_EQ(res.exit_code, 123) << res.out;
    const std::string line = std::string("optGetHelpNr could not be loaded from ") + r.dir +
                             "/libzlmopt64.so: " + r.why_text + "\n";
    EXPECT_NE(res.out.find(line), std::string::npos) << res.out;
  }
}

// Loaded by its bare file name through the system loader's search (directly, or after
// nothing was found beside the program): the file name stays bare and the library is told
// an empty load path.
TEST(Optdcdefchild, LoadsBySearch) {
  if (!bindtest::inchild("search")) GTEST_SKIP() << "child case";
  const char* mode = std::getenv("BL_TEST_MODE");
  ASSERT_NE(mode, nullptr);
  q5rt::sstr msg;
  if (std::string(mode) == "readyx") {
    ASSERT_TRUE(optdcdef::lib.getreadyxin("/nonexistent/", msg)) << msg.view();
  }
  bindproto::handle h = nullptr;
  ASSERT_TRUE(optdcdef::optcreate(h, msg)) << msg.view();
  EXPECT_EQ(optdcdef::lib.libfilename(), "libzlmopt64.so");
  q5rt::sstr dir = q5rt::sstr::cut("unset");
  optdcdef::lib.getloadpathentry()(&dir);
  EXPECT_EQ(dir.view(), "");
  optdcdef::optfree(h);
}

TEST_F(OptdcdefTest, TheSystemLoaderSearchFindsTheLibrary) {
  for (const char* mode : {"create", "readyx"}) {
    SCOPED_TRACE(mode);
    const auto res =
        bindtest::runchild("search", "Optdcdefchild.LoadsBySearch",
                           {{"LD_LIBRARY_PATH", bindtest::standinlib()}, {"BL_TEST_MODE", mode}});
    EXPECT_EQ(res.exit_code, 0) << res.out;
    EXPECT_NE(res.out.find("[  PASSED  ] 1 test"), std::string::npos) << res.out;
  }
}

// A nil object handle gets the entry's failure value and cleared outputs, never a crash.
TEST_F(OptdcdefTest, ANilHandleGetsFailureValues) {
  q5rt::sstr msg;
  ASSERT_TRUE(optdcdef::optgetreadyd(bindtest::standinlib(), msg)) << msg.view();
  const bindproto::handle none = nullptr;
  const q5rt::sstr name = q5rt::sstr::cut("name");
  EXPECT_EQ(optdcdef::optreaddefinition(none, name), 1);
  EXPECT_EQ(optdcdef::optreadparameterfile(none, name), 1);
  EXPECT_EQ(optdcdef::optcount(none), 0);
  EXPECT_EQ(optdcdef::optmessagecount(none), 0);
  std::int32_t v = 7, type = 7;
  EXPECT_EQ(optdcdef::optgetintnr(none, 1, v), 0);
  EXPECT_EQ(v, 0);
  q5rt::sstr text = q5rt::sstr::cut("stale");
  optdcdef::optgetmessage(none, 1, text, type);
  EXPECT_EQ(text.view(), "");
  EXPECT_EQ(type, 0);
  text.assign_cut("stale");
  EXPECT_EQ(optdcdef::optgetstrstr(text, none, name).view(), "");
  EXPECT_FALSE(optdcdef::optresetstr(none, name));
  optdcdef::optclearmessages(none);
}

}  // namespace
