// The data-exchange library's binding: its entry table and prefixed names against the
// documented signatures, the XCheck calls the stand-in receives, the load protocol (load
// path, executable's directory, refused version, missing core entry, lower-case lookup),
// the fallback stub's line, and a write/read round trip through the stand-in.
#include "bindings/vrkdcdef.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "support/bindtest.h"

namespace {

class VrkdcdefTest : public bindtest::bindingtest {
 protected:
  VrkdcdefTest() : bindingtest(vrkdcdef::lib, "libzlmvrk64.so") {}
};

// The table is unprefixed; the prefix the library exports follows from the codes.
TEST_F(VrkdcdefTest, EntryTableAndPrefixesMatchTheDocumentedNames) {
  const auto rows = bindtest::fixturerows("vrkdcdef/entries.txt");
  const auto entries = vrkdcdef::entries();
  ASSERT_EQ(rows.size(), 97u);
  ASSERT_EQ(entries.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i]);
    EXPECT_EQ(bindtest::rowof(entries[i]), rows[i].substr(3));
    EXPECT_EQ(rows[i].substr(0, 3), bindtest::dcprefix(entries[i]));
  }
  // Rows pinned by hand, apart from the transcribed fixture.
  EXPECT_EQ(bindtest::rowof(entries[vrkdcdef::ix_vrkopenwrite]), "vrkOpenWrite 3 3 11 11 4");
  EXPECT_EQ(bindtest::rowof(entries[vrkdcdef::ix_vrkdatawriteraw]), "vrkDataWriteRaw 2 3 51 53");
  EXPECT_EQ(vrkdcdef::ix_vrkgetdomainelements, 88u);  // slot 89
}

// Every entry is looked up under its prefixed name (each one the stand-in exports is found)
// and checked under its plain name; the stand-in confirms the entries it implements.
TEST_F(VrkdcdefTest, ProtocolCallsAndXcheckNames) {
  bindtest::scopedenv t("ZLMVRK_TRACE", trace);
  q5rt::sstr msg;
  ASSERT_TRUE(vrkdcdef::vrkgetreadyd(bindtest::standinlib() + "/", msg)) << msg.view();
  const auto all = tracelines();
  ASSERT_EQ(all.size(), 2u + 97u + 1u);
  EXPECT_EQ(all[0], "vrkInitialize");
  EXPECT_EQ(all[1], "XAPIVersion 11");
  std::vector<std::string> checks(all.begin() + 2, all.end() - 1);
  std::vector<std::string> expected;
  for (const auto& r : bindtest::fixturerows("vrkdcdef/entries.txt"))
    expected.push_back("XCheck " + r.substr(3));
  EXPECT_EQ(checks, expected);
  EXPECT_EQ(all.back(), "vrkSetLoadPath \"" + bindtest::standinlib() + "\"");

  int confirmed = 0;
  for (std::size_t i = 0; i < vrkdcdef::entrycount; ++i)
    confirmed += vrkdcdef::vrkfuncloaded(vrkdcdef::lib.slot(i)) ? 1 : 0;
  EXPECT_EQ(confirmed, 37);
  EXPECT_TRUE(vrkdcdef::vrkfuncloaded(vrkdcdef::vrkopenwrite.address()));
  EXPECT_TRUE(vrkdcdef::vrkfuncloaded(vrkdcdef::vrkdatawriteraw.address()));
  // Not implemented by the stand-in: refused, so the slot holds the stub.
  EXPECT_FALSE(vrkdcdef::vrkfuncloaded(vrkdcdef::vrkgetdomainelements.address()));
  EXPECT_NE(vrkdcdef::vrkgetdomainelements.address(), nullptr);
}

TEST_F(VrkdcdefTest, AnEntryExportedInLowerCaseOnlyIsBound) {
  q5rt::sstr msg;
  const std::string dir = bindtest::variant("zlmvrk-lower");
  ASSERT_TRUE(vrkdcdef::vrkgetreadyd(dir, msg)) << msg.view();
  void* lib = ::dlopen((dir + "/libzlmvrk64.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(lib, nullptr);
  EXPECT_EQ(vrkdcdef::vrkopenwrite.address(), ::dlsym(lib, "d__vrkopenwrite"));
  EXPECT_TRUE(vrkdcdef::vrkfuncloaded(vrkdcdef::vrkopenwrite.address()));
  ::dlclose(lib);
}

TEST_F(VrkdcdefTest, FailedLoadsAndTheExecutableDirectory) {
  q5rt::sstr msg;
  {
    bindtest::scopedenv t("ZLMVRK_TRACE", trace);
    bindtest::scopedenv e("ZLMVRK_REFUSE_API", "1");
    // An incompatible file beside the program: its message, and no second attempt.
    EXPECT_FALSE(vrkdcdef::lib.getreadyxin(bindtest::standinlib() + "/", msg));
    EXPECT_EQ(msg.view(), "zlmvrk: API version 11 refused; this library speaks version 11");
    const auto all = tracelines();
    EXPECT_EQ(std::count(all.begin(), all.end(), "XAPIVersion 11"), 1);
    EXPECT_EQ(all.back(), "vrkFinalize");  // after the failed load: "" then Finalize
    EXPECT_EQ(all[all.size() - 2], "vrkSetLoadPath \"\"");
    EXPECT_FALSE(vrkdcdef::vrklibraryloaded());
  }
  const std::string noapi = bindtest::variant("zlmvrk-noapiversion");
  EXPECT_FALSE(vrkdcdef::vrkgetreadyd(noapi, msg));
  EXPECT_EQ(msg.view(), "Entry not found: D__XAPIVersion in " + noapi + "/libzlmvrk64.so");
  EXPECT_FALSE(vrkdcdef::vrklibraryloaded());

  bindtest::scopedenv t("ZLMVRK_TRACE", trace);
  ASSERT_TRUE(vrkdcdef::lib.getreadyxin(bindtest::standinlib() + "/", msg)) << msg.view();
  EXPECT_EQ(tracelines().back(), "vrkSetLoadPath \"" + bindtest::standinlib() + "\"");
  EXPECT_EQ(vrkdcdef::lib.libfilename(), libfile);
  // Loaded: no file system touched, true and an empty message.
  msg = q5rt::sstr::cut("stale");
  EXPECT_TRUE(vrkdcdef::vrkgetreadyd("/nonexistent", msg));
  EXPECT_EQ(msg.view(), "");
}

// Nothing beside the program: the bare file name through the system loader's search, and
// the library is told an empty load path.
TEST(Vrkdcdefchild, LoadsBySearch) {
  if (!bindtest::inchild("vrksearch")) GTEST_SKIP() << "child case";
  q5rt::sstr msg;
  ASSERT_TRUE(vrkdcdef::lib.getreadyxin("/nonexistent/", msg)) << msg.view();
  EXPECT_EQ(vrkdcdef::lib.libfilename(), "libzlmvrk64.so");
  q5rt::sstr dir = q5rt::sstr::cut("unset");
  vrkdcdef::lib.getloadpathentry()(&dir);
  EXPECT_EQ(dir.view(), "");
}

TEST_F(VrkdcdefTest, TheSearchFollowsAnEmptyExecutableDirectory) {
  const auto res = bindtest::runchild("vrksearch", "Vrkdcdefchild.LoadsBySearch",
                                      {{"LD_LIBRARY_PATH", bindtest::standinlib()}});
  EXPECT_EQ(res.exit_code, 0) << res.out;
  EXPECT_NE(res.out.find("[  PASSED  ] 1 test"), std::string::npos) << res.out;
}

// A copy of this program with the library beside it finds it there first.
// The program carries no run path (no $ORIGIN): beside the program only the data-exchange
// binding looks, by its own code; the other libraries come from the system loader's search.
TEST(VrkdcdefRunpath, TheProgramHasNoRunPath) {
  const auto tags = bindtest::dynamictags(testutil::baronlink_path());
  ASSERT_FALSE(tags.empty());
  for (const std::int64_t tag : tags) {
    EXPECT_NE(tag, DT_RPATH);
    EXPECT_NE(tag, DT_RUNPATH);
  }
}

TEST(Vrkdcdefchild, LoadsBesideTheProgram) {
  if (!bindtest::inchild("vrkbeside")) GTEST_SKIP() << "child case";
  q5rt::sstr msg;
  ASSERT_TRUE(vrkdcdef::vrkgetreadyx(msg)) << msg.view();
  EXPECT_EQ(vrkdcdef::lib.libfilename(), std::string(std::getenv("BL_TEST_EXPECT")));
}

TEST_F(VrkdcdefTest, GetreadyxLooksBesideTheProgramFirst) {
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  const std::filesystem::path dir = tmp.path();
  std::filesystem::copy_file(std::string(self, static_cast<std::size_t>(n)), dir / "program");
  std::filesystem::copy_file(libfile, dir / "libzlmvrk64.so");
  struct row {
    bool searchfindsone;
    const char* why;
  };
  constexpr row rows[] = {
      {false, "beside the program"},
      {true, "beside the program, though the search would find another"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    bindtest::scopedenv c("BL_BINDINGS_CHILD", "vrkbeside");
    bindtest::scopedenv e("BL_TEST_EXPECT", (dir / "libzlmvrk64.so").string());
    bindtest::scopedenv l("LD_LIBRARY_PATH", r.searchfindsone ? bindtest::standinlib() : "");
    const auto res = testutil::run_program((dir / "program").string(),
                                           {"--gtest_filter=Vrkdcdefchild.LoadsBesideTheProgram"});
    EXPECT_EQ(res.exit_code, 0) << res.out;
    EXPECT_NE(res.out.find("[  PASSED  ] 1 test"), std::string::npos) << res.out;
  }
}

TEST(Vrkdcdefchild, CallsVrkopenwrite) {
  if (!bindtest::inchild("vrkopenwrite")) GTEST_SKIP() << "child case";
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(vrkdcdef::vrkcreated(h, bindtest::standinlib(), msg)) << msg.view();
  std::int32_t err = 0;
  (void)vrkdcdef::vrkopenwrite(h, q5rt::sstr::cut("x"), q5rt::sstr::cut("p"), err);
  ADD_FAILURE() << "the stub returned";
}

TEST_F(VrkdcdefTest, ARejectedEntryEndsTheRunWithItsUnprefixedName) {
  const auto res = bindtest::runchild("vrkopenwrite", "Vrkdcdefchild.CallsVrkopenwrite",
                                      {{"ZLMVRK_REJECT", "vrkOpenWrite"}});
  EXPECT_EQ(res.exit_code, 123) << res.out;
  EXPECT_NE(res.out.find("vrkOpenWrite could not be loaded from " + libfile +
                         ": zlmvrk: vrkOpenWrite rejected by fault injection\n"),
            std::string::npos)
      << res.out;
}

// ---- the stand-in through the binding ----

class VrkfileTest : public VrkdcdefTest {
 protected:
  void SetUp() override {
    VrkdcdefTest::SetUp();
    q5rt::sstr msg;
    ASSERT_TRUE(vrkdcdef::vrkcreated(h, bindtest::standinlib(), msg)) << msg.view();
    vrkdcdef::vrkstoredomainsetsset(h, false);
  }
  void TearDown() override {
    vrkdcdef::vrkfree(h);
    VrkdcdefTest::TearDown();
  }
  bindproto::handle h = nullptr;
  std::string file = tmp.file("data.vrk");
};

using values = std::array<double, 5>;

// Writes labels i1..i3, j1..j2, a parameter p(i,j) out of key order and a variable x(i)
// with the special values in its records.
void writesample(bindproto::handle h, const std::string& file) {
  std::int32_t err = -1;
  (void)vrkdcdef::vrkopenwrite(h, q5rt::sstr::cut(file), q5rt::sstr::cut("BaronSolutions"), err);
  ASSERT_EQ(err, 0);
  (void)vrkdcdef::vrkuelregisterrawstart(h);
  for (const char* l : {"i1", "i2", "i3", "j1", "j2 \"quoted\""})
    (void)vrkdcdef::vrkuelregisterraw(h, q5rt::sstr::cut(l));
  (void)vrkdcdef::vrkuelregisterdone(h);
  (void)vrkdcdef::vrkdatawriterawstart(h, q5rt::sstr::cut("p"), q5rt::sstr::cut("a parameter"), 2,
                                       1, 0);
  const std::int32_t keys[][2] = {{2, 5}, {1, 5}, {2, 4}, {1, 4}};
  for (int k = 0; k < 4; ++k) {
    const values v = {10.0 * (k + 1), 0, 0, 0, 0};
    (void)vrkdcdef::vrkdatawriteraw(h, keys[k], v.data());
  }
  (void)vrkdcdef::vrkdatawritedone(h);
  (void)vrkdcdef::vrkdatawriterawstart(h, q5rt::sstr::cut("x"), q5rt::sstr::cut("levels"), 1, 2, 0);
  const std::int32_t one[] = {1}, two[] = {2};
  const values v1 = {5e300, 0.25, 4e300, 3e300, 1};  // EPS, -INF and +INF of the model
  const values v2 = {-1.5e-7, 2e300, 0, 1e300, 1};   // NA and UNDF
  (void)vrkdcdef::vrkdatawriteraw(h, one, v1.data());
  (void)vrkdcdef::vrkdatawriteraw(h, two, v2.data());
  (void)vrkdcdef::vrkdatawritedone(h);
  EXPECT_EQ(vrkdcdef::vrkerrorcount(h), 0);
  EXPECT_EQ(vrkdcdef::vrkclose(h), 0);
}

TEST_F(VrkfileTest, TheWrittenFileIsSortedTextWithSpecialValueNames) {
  writesample(h, file);
  EXPECT_EQ(testutil::read_file(file),
            "zlmvrk 1 \"BaronSolutions\"\n"
            "label \"i1\"\nlabel \"i2\"\nlabel \"i3\"\nlabel \"j1\"\nlabel 'j2 \"quoted\"'\n"
            "symbol \"p\" 2 1 0 \"a parameter\"\n"
            "record 1 4 : 40\nrecord 1 5 : 20\nrecord 2 4 : 30\nrecord 2 5 : 10\n"
            "symbol \"x\" 1 2 0 \"levels\"\n"
            "record 1 : Eps 0.25 -Inf +Inf 1\n"
            "record 2 : -1.5e-07 NA 0 Undf 1\n");
}

// The scratch file's way of reading: the library's special values with EPS replaced by 0.
TEST_F(VrkfileTest, RoundTripReadsEpsBackAsZero) {
  writesample(h, file);
  std::int32_t err = -1;
  (void)vrkdcdef::vrkopenread(h, q5rt::sstr::cut(file), err);
  ASSERT_EQ(err, 0);
  values sv{};
  (void)vrkdcdef::vrkgetspecialvalues(h, sv.data());
  EXPECT_EQ(sv, (values{1e300, 2e300, 3e300, 4e300, 5e300}));
  sv[4] = 0;
  (void)vrkdcdef::vrksetreadspecialvalues(h, sv.data());

  std::int32_t nr = 0, dim = 0, type = 0, count = 0, userinfo = -1;
  q5rt::sstr name, text;
  (void)vrkdcdef::vrkfindsymbol(h, q5rt::sstr::cut("X"), nr);
  EXPECT_EQ(nr, 2);
  (void)vrkdcdef::vrksymbolinfo(h, nr, name, dim, type);
  EXPECT_EQ(name.view(), "x");
  EXPECT_EQ(dim, 1);
  EXPECT_EQ(type, 2);
  (void)vrkdcdef::vrksymbolinfox(h, nr, count, userinfo, text);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(userinfo, 0);
  EXPECT_EQ(text.view(), "levels");

  (void)vrkdcdef::vrkdatareadrawstart(h, nr, count);
  std::int32_t key[20] = {}, first = 0;
  values v{};
  ASSERT_NE(vrkdcdef::vrkdatareadraw(h, key, v.data(), first), 0);
  EXPECT_EQ(key[0], 1);
  EXPECT_EQ(v, (values{0.0, 0.25, 4e300, 3e300, 1}));
  ASSERT_NE(vrkdcdef::vrkdatareadraw(h, key, v.data(), first), 0);
  EXPECT_EQ(v, (values{-1.5e-7, 2e300, 0, 1e300, 1}));
  EXPECT_EQ(vrkdcdef::vrkdatareadraw(h, key, v.data(), first), 0);
  (void)vrkdcdef::vrkdatareaddone(h);
  EXPECT_EQ(vrkdcdef::vrkclose(h), 0);
  EXPECT_EQ(vrkdcdef::vrkerrorcount(h), 0);
}

TEST_F(VrkfileTest, SortedReadsGiveTheFirstChangedDimension) {
  writesample(h, file);
  std::int32_t err = -1, nr = 0, count = 0;
  (void)vrkdcdef::vrkopenread(h, q5rt::sstr::cut(file), err);
  (void)vrkdcdef::vrkfindsymbol(h, q5rt::sstr::cut("p"), nr);
  (void)vrkdcdef::vrkdatareadrawstart(h, nr, count);
  ASSERT_EQ(count, 4);
  struct row {
    std::int32_t k1, k2;
    double value;
    int first;
    const char* why;
  };
  constexpr row rows[] = {
      {1, 4, 40, 1, "the first record starts at dimension 1"},
      {1, 5, 20, 2, "only the second key changed"},
      {2, 4, 30, 1, "the first key changed"},
      {2, 5, 10, 2, "the second key again"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    std::int32_t key[2] = {}, first = 0;
    double v = -1;
    ASSERT_NE(vrkdcdef::vrkdatareadraw(h, key, &v, first), 0);
    EXPECT_EQ(key[0], r.k1);
    EXPECT_EQ(key[1], r.k2);
    EXPECT_EQ(v, r.value);
    EXPECT_EQ(first, r.first);
  }
  (void)vrkdcdef::vrkdatareaddone(h);
  // Symbol 0 is the universe: every label in registration order.
  q5rt::sstr name;
  std::int32_t dim = 0, type = -1;
  (void)vrkdcdef::vrksymbolinfo(h, 0, name, dim, type);
  EXPECT_EQ(name.view(), "*");
  EXPECT_EQ(dim, 1);
  EXPECT_EQ(type, 0);
  (void)vrkdcdef::vrkdatareadrawstart(h, 0, count);
  EXPECT_EQ(count, 5);
  std::int32_t key[1] = {}, first = 0;
  double v = -1;
  for (int k = 1; k <= 5; ++k) {
    ASSERT_NE(vrkdcdef::vrkdatareadraw(h, key, &v, first), 0);
    EXPECT_EQ(key[0], k);
  }
  (void)vrkdcdef::vrkclose(h);
}

TEST_F(VrkfileTest, ErrorsHaveNumbersAndTexts) {
  std::int32_t err = 0;
  (void)vrkdcdef::vrkopenread(h, q5rt::sstr::cut(tmp.file("missing.vrk")), err);
  EXPECT_EQ(err, 2);
  testutil::write_file(file,
                       "zlmvrk 1 \"p\"\nsymbol \"s\" 1 0 0 \"\"\nrecord 2 : 0\nrecord 1 : 0\n");
  (void)vrkdcdef::vrkopenread(h, q5rt::sstr::cut(file), err);
  EXPECT_EQ(err, 3);  // records out of key order
  (void)vrkdcdef::vrkopenwrite(h, q5rt::sstr::cut(tmp.file("no/such/dir/x.vrk")),
                               q5rt::sstr::cut("p"), err);
  EXPECT_EQ(err, 1);
  EXPECT_EQ(vrkdcdef::vrkerrorcount(h), 3);
  EXPECT_EQ(vrkdcdef::vrkgetlasterror(h), 1);
  EXPECT_EQ(vrkdcdef::vrkgetlasterror(h), 0);  // taken
  struct row {
    int nr;
    const char* text;
  };
  constexpr row rows[] = {{0, "No error"},
                          {2, "File cannot be opened for reading"},
                          {9, "Duplicate key in symbol"},
                          {77, "Unknown error number 77"}};
  for (const row& r : rows) {
    q5rt::sstr text;
    (void)vrkdcdef::vrkerrorstr(h, r.nr, text);
    EXPECT_EQ(text.view(), r.text);
  }
  // Writing: a label number below 1, a duplicate key. Keys beyond the registered labels
  // are plain numbers (the scratch file writes row and column numbers so).
  (void)vrkdcdef::vrkopenwrite(h, q5rt::sstr::cut(file), q5rt::sstr::cut("p"), err);
  ASSERT_EQ(err, 0);
  (void)vrkdcdef::vrkuelregisterrawstart(h);
  (void)vrkdcdef::vrkuelregisterraw(h, q5rt::sstr::cut("a"));
  (void)vrkdcdef::vrkuelregisterdone(h);
  (void)vrkdcdef::vrkdatawriterawstart(h, q5rt::sstr::cut("s"), q5rt::sstr::cut(""), 1, 0, 0);
  const std::int32_t good[] = {7}, bad[] = {0};
  const double zero[5] = {};
  EXPECT_EQ(vrkdcdef::vrkdatawriteraw(h, bad, zero), 0);
  EXPECT_EQ(vrkdcdef::vrkgetlasterror(h), 8);
  (void)vrkdcdef::vrkdatawriteraw(h, good, zero);
  (void)vrkdcdef::vrkdatawriteraw(h, good, zero);
  (void)vrkdcdef::vrkdatawritedone(h);
  EXPECT_EQ(vrkdcdef::vrkgetlasterror(h), 9);
  EXPECT_EQ(vrkdcdef::vrkclose(h), 0);
}

TEST_F(VrkfileTest, ANilHandleGetsFailureValues) {
  bindproto::handle none = nullptr;
  std::int32_t err = 0;
  EXPECT_EQ(vrkdcdef::vrkopenwrite(none, q5rt::sstr::cut(file), q5rt::sstr::cut("p"), err), 0);
  EXPECT_NE(err, 0);
  EXPECT_NE(vrkdcdef::vrkclose(none), 0);
  EXPECT_EQ(vrkdcdef::vrkerrorcount(none), 0);
  vrkdcdef::vrkstoredomainsetsset(none, true);
  EXPECT_FALSE(vrkdcdef::vrkstoredomainsets(none));
}

}  // namespace
