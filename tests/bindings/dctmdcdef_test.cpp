// The dictionary library's binding: its entry table against the documented signatures, the
// XCheck calls the stand-in receives, the load protocol with its failures, and the fallback
// stub's line.
#include "bindings/dctmdcdef.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "support/bindtest.h"

namespace {

// Every test starts and ends with the library unloaded and the default indicators.
class DctmdcdefTest : public bindtest::bindingtest {
 protected:
  DctmdcdefTest() : bindingtest(dctmdcdef::lib, "libzlmdct64.so") {}
};

std::vector<std::string> tracedchecks(const std::string& trace) {
  std::vector<std::string> checks;
  for (const auto& line : bindtest::lines(testutil::read_file(trace)))
    if (line.rfind("XCheck ", 0) == 0) checks.push_back(line.substr(7));
  return checks;
}

TEST_F(DctmdcdefTest, EntryTableMatchesTheDocumentedSignatures) {
  const auto rows = bindtest::fixturerows("dctmdcdef/entries.txt");
  const auto entries = dctmdcdef::entries();
  ASSERT_EQ(rows.size(), 37u);
  ASSERT_EQ(entries.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i]);
    EXPECT_EQ(bindtest::rowof(entries[i]), rows[i]);
  }
  // Rows pinned by hand, apart from the transcribed fixture.
  EXPECT_EQ(bindtest::rowof(entries[dctmdcdef::ix_dctuellabel]), "dctUelLabel 3 3 3 19 17");
  EXPECT_EQ(bindtest::rowof(entries[dctmdcdef::ix_dctfindfirstrowcol]),
            "dctFindFirstRowCol 3 1 3 51 4");
}

// XCheck receives each entry once, in binding order, with the table's codes; the stand-in
// confirms the 35 entries it implements, and only those count as loaded.
TEST_F(DctmdcdefTest, XcheckCallsFollowTheTable) {
  bindtest::scopedenv t("ZLMDCT_TRACE", trace);
  q5rt::sstr msg;
  ASSERT_TRUE(dctmdcdef::dctgetreadyd(bindtest::standinlib(), msg)) << msg.view();
  EXPECT_EQ(tracedchecks(trace), bindtest::fixturerows("dctmdcdef/entries.txt"));
  const auto all = bindtest::lines(testutil::read_file(trace));
  ASSERT_GE(all.size(), 3u);
  EXPECT_EQ(all[0], "dctInitialize");
  EXPECT_EQ(all[1], "XAPIVersion 2");
  EXPECT_EQ(dctmdcdef::lib.libfilename(), libfile);
  for (std::size_t i = 0; i < dctmdcdef::entrycount; ++i) {
    const std::string_view name = dctmdcdef::entries()[i].name;
    SCOPED_TRACE(name);
    const bool absent = name == "dctLoadWithHandle" || name == "dctWriteVRK";
    EXPECT_EQ(dctmdcdef::dctfuncloaded(dctmdcdef::lib.slot(i)), !absent);
    EXPECT_NE(dctmdcdef::lib.slot(i), nullptr);
  }
  EXPECT_FALSE(dctmdcdef::dctfuncloaded(nullptr));
}

TEST_F(DctmdcdefTest, LoadFailuresLeaveTheBindingUnloaded) {
  struct row {
    const char* var;
    const char* dir;
    std::string expected;
    const char* why;
  };
  const std::string nowhere = tmp.path().string();
  const row rows[] = {
      {"ZLMDCT_REFUSE_API", nullptr, "zlmdct: API version 2 refused; this library speaks version 2",
       "the library refuses the version: its own text"},
      {"BL_UNUSED", nowhere.c_str(),
       " (problem occurred when trying to load " + nowhere + "/libzlmdct64.so)",
       "no file: the loader's text and the path"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    bindtest::scopedenv e(r.var, "1");
    q5rt::sstr msg;
    bindproto::handle h = nullptr;
    const std::string dir = r.dir != nullptr ? r.dir : bindtest::standinlib();
    EXPECT_FALSE(dctmdcdef::dctcreated(h, dir, msg));
    EXPECT_EQ(h, nullptr);
    EXPECT_TRUE(msg.view().ends_with(r.expected)) << msg.view();
    EXPECT_FALSE(dctmdcdef::dctlibraryloaded());
    EXPECT_EQ(dctmdcdef::lib.objectcount(), 0);
  }
}

TEST_F(DctmdcdefTest, ObjectsAreCountedAndHoldTheLibrary) {
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  {
    bindtest::scopedenv e("ZLMDCT_FAIL_CREATE", "1");
    EXPECT_FALSE(dctmdcdef::dctcreatel(h, libfile, msg));
    EXPECT_EQ(msg.view(), "Library is loaded but error while creating object");
    EXPECT_TRUE(dctmdcdef::dctlibraryloaded());
    EXPECT_EQ(dctmdcdef::lib.objectcount(), 0);
  }
  bindtest::scopedenv t("ZLMDCT_TRACE", trace);
  ASSERT_TRUE(dctmdcdef::dctcreatedd(h, bindtest::standinlib(), msg)) << msg.view();
  EXPECT_EQ(dctmdcdef::lib.objectcount(), 1);
  EXPECT_EQ(bindtest::lines(testutil::read_file(trace)).back(),
            "XCreateD \"" + bindtest::standinlib() + "\"");
  const auto unload = [] {
    testing::internal::CaptureStdout();
    dctmdcdef::dctlibraryunload();
    return testing::internal::GetCapturedStdout();
  };
  EXPECT_EQ(unload(), "Could not unload library, object not freed.\n");
  EXPECT_TRUE(dctmdcdef::dctlibraryloaded());
  dctmdcdef::dctfree(h);
  EXPECT_EQ(h, nullptr);
  dctmdcdef::dctfree(h);  // a nil handle: nothing, no count below 0
  EXPECT_EQ(dctmdcdef::lib.objectcount(), 0);
  EXPECT_EQ(unload(), "");
  EXPECT_FALSE(dctmdcdef::dctlibraryloaded());
  EXPECT_EQ(dctmdcdef::dctloadex.address(), nullptr);
  EXPECT_EQ(bindtest::lines(testutil::read_file(trace)).back(), "dctFinalize");
}

// With the exit indicator off a replaced entry prints its line and answers its fallback; the
// boolean entries answer true.
TEST_F(DctmdcdefTest, ReplacedEntriesAnswerTheirFallbacks) {
  bindtest::scopedenv reject("ZLMDCT_REJECT", "dctUelLabel,dctAddSymbolDoms,dctFindFirstRowCol");
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(dctmdcdef::dctcreated(h, bindtest::standinlib(), msg)) << msg.view();
  dctmdcdef::dctsetexitindicator(false);
  char quote = 'q';
  q5rt::sstr label = q5rt::sstr::cut("old");
  testing::internal::CaptureStdout();
  EXPECT_EQ(dctmdcdef::dctuellabel(h, 1, &quote, label), 0);
  const std::string line = testing::internal::GetCapturedStdout();
  EXPECT_EQ(line, "dctUelLabel could not be loaded from " + libfile +
                      ": zlmdct: dctUelLabel rejected by fault injection\n");
  EXPECT_EQ(quote, 'q');
  EXPECT_EQ(label.view(), "old");
  dctmdcdef::dctsetscreenindicator(false);
  const q5rt::sstr doms[1] = {q5rt::sstr::cut("i")};
  EXPECT_TRUE(dctmdcdef::dctaddsymboldoms(h, q5rt::sstr::cut("x"), doms, 1, msg));
  std::int32_t rowcol = 5;
  const std::int32_t filter[1] = {0};
  EXPECT_EQ(dctmdcdef::dctfindfirstrowcol(h, 1, filter, rowcol), nullptr);
  EXPECT_EQ(rowcol, 5);
  EXPECT_EQ(dctmdcdef::dctgeterrorcount(), 3);
  // A confirmed boolean entry reports the library's answer.
  EXPECT_FALSE(dctmdcdef::dctsetbasiccountsex(h, -1, 0, 0, msg));
  EXPECT_EQ(msg.view(), "negative count");
  dctmdcdef::dctfree(h);
}

// A call of a replaced entry prints its line and ends the run with exit code 123.
TEST(Dctmdcdefchild, CallsDctuellabel) {
  if (!bindtest::inchild("dctuellabel")) GTEST_SKIP() << "child case";
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(dctmdcdef::dctcreated(h, bindtest::standinlib(), msg)) << msg.view();
  char quote = ' ';
  q5rt::sstr label;
  (void)dctmdcdef::dctuellabel(h, 1, &quote, label);
  ADD_FAILURE() << "the stub returned";
}

TEST_F(DctmdcdefTest, ARejectedEntryEndsTheRunWithItsLine) {
  const auto res = bindtest::runchild("dctuellabel", "Dctmdcdefchild.CallsDctuellabel",
                                      {{"ZLMDCT_REJECT", "dctUelLabel"}});
  EXPECT_EQ(res.exit_code, 123) << res.out;
  EXPECT_NE(res.out.find("dctUelLabel could not be loaded from " + libfile +
                         ": zlmdct: dctUelLabel rejected by fault injection\n"),
            std::string::npos)
      << res.out;
}

// The stand-in's hashed lookups answer as a plain scan would: the first label whose text
// equals the asked one up to ASCII case, the first row or column of the symbol with exactly
// the asked labels. Thousands of labels (case variants among them) and members of
// dimension 0 to 3 (repeats among them), asked for what is there and for what is not.
TEST_F(DctmdcdefTest, StandInLookupsAnswerAsAPlainScan) {
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(dctmdcdef::dctcreatedd(h, bindtest::standinlib(), msg)) << msg.view();
  std::uint32_t seed = 99;
  const auto random = [&seed](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<std::int32_t>((seed >> 8) % n);
  };
  const auto randomlabel = [&random] {
    std::string t;
    for (std::int32_t k = random(6); k >= 0; --k) t += "aBc1_"[random(5)];
    return t;
  };
  const auto folded = [](std::string t) {
    for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
  };
  dctmdcdef::dctsetbasiccounts(h, 0, 0, 0);
  std::vector<std::string> labels;  // label k + 1
  for (int k = 0; k < 3000; ++k) {
    labels.push_back(randomlabel());
    dctmdcdef::dctadduel(h, q5rt::sstr::cut(labels.back()), ' ');
  }
  struct member {
    std::int32_t sym;
    std::vector<std::int32_t> uels;
  };
  std::vector<member> rows, cols;
  const std::int32_t dims[] = {0, 1, 2, 3, 1, 2};  // odd symbols are equations
  for (std::int32_t sym = 1; sym <= 6; ++sym) {
    const std::int32_t dim = dims[sym - 1];
    dctmdcdef::dctaddsymbol(h, q5rt::sstr::cut("s" + std::to_string(sym)), sym % 2 ? 6 : 5, dim, 0,
                            q5rt::sstr{});
    auto& all = sym % 2 ? rows : cols;
    for (int k = 0; k < (dim == 0 ? 2 : 4000); ++k) {
      member m{sym, {}};
      if (k > 0 && random(10) == 0) {
        m = all[static_cast<std::size_t>(random(static_cast<std::uint32_t>(all.size())))];
        if (m.sym != sym) continue;
      } else {
        for (std::int32_t d = 0; d < dim; ++d) m.uels.push_back(1 + random(3000));
      }
      dctmdcdef::dctaddsymboldata(h, m.uels.data());
      all.push_back(m);
    }
  }
  for (int q = 0; q < 20000; ++q) {
    const std::string text = q % 2 ? labels[static_cast<std::size_t>(random(3000))] : randomlabel();
    std::int32_t expected = 0;
    for (std::size_t k = 0; k < labels.size() && expected == 0; ++k)
      if (folded(labels[k]) == folded(text)) expected = static_cast<std::int32_t>(k + 1);
    ASSERT_EQ(dctmdcdef::dctuelindex(h, q5rt::sstr::cut(text)), expected) << text;
  }
  for (int q = 0; q < 20000; ++q) {
    const std::int32_t sym = 1 + random(6);
    const auto& all = sym % 2 ? rows : cols;
    member asked{sym, {}};
    if (q % 2 != 0) {
      asked = all[static_cast<std::size_t>(random(static_cast<std::uint32_t>(all.size())))];
    } else {
      for (std::int32_t d = 0; d < dims[sym - 1]; ++d) asked.uels.push_back(1 + random(3000));
    }
    std::int32_t expected = -1;
    for (std::size_t k = 0; k < all.size() && expected < 0; ++k)
      if (all[k].sym == asked.sym && all[k].uels == asked.uels)
        expected = static_cast<std::int32_t>(k);
    asked.uels.resize(3);
    const std::int32_t got = sym % 2 ? dctmdcdef::dctrowindex(h, asked.sym, asked.uels.data())
                                     : dctmdcdef::dctcolindex(h, asked.sym, asked.uels.data());
    ASSERT_EQ(got, expected) << "query " << q;
  }
  dctmdcdef::dctfree(h);
}

}  // namespace

// The stand-in's lookups through the binding: labels ignore ASCII case, a label or a row
// given twice keeps its first number, and the index stays right past its growth.
TEST_F(DctmdcdefTest, StandInLookupsByLabelAndMember) {
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(dctmdcdef::dctcreatedd(h, bindtest::standinlib(), msg)) << msg.view();
  constexpr int n = 100;
  dctmdcdef::dctsetbasiccounts(h, n, n, 0);
  for (int k = 1; k <= n; ++k)
    dctmdcdef::dctadduel(h, q5rt::sstr::cut("Lab" + std::to_string(k)), ' ');
  dctmdcdef::dctadduel(h, q5rt::sstr::cut("LAB7"), ' ');  // label 101, the same text as 7
  dctmdcdef::dctaddsymbol(h, q5rt::sstr::cut("e"), 6, 2, 0, q5rt::sstr{});
  for (std::int32_t k = 1; k <= n; ++k) {
    const std::int32_t uels[2] = {k, n + 1 - k};
    dctmdcdef::dctaddsymboldata(h, uels);
  }
  const std::int32_t again[2] = {3, n - 2};
  dctmdcdef::dctaddsymboldata(h, again);  // row 100 repeats row 2
  EXPECT_EQ(dctmdcdef::dctuelindex(h, q5rt::sstr::cut("lab42")), 42);
  EXPECT_EQ(dctmdcdef::dctuelindex(h, q5rt::sstr::cut("lab7")), 7);
  EXPECT_EQ(dctmdcdef::dctuelindex(h, q5rt::sstr::cut("lab0")), 0);
  EXPECT_EQ(dctmdcdef::dctuelindex(h, q5rt::sstr{}), 0);
  const std::int32_t row57[2] = {57, n - 56}, none[2] = {57, 57};
  EXPECT_EQ(dctmdcdef::dctrowindex(h, 1, row57), 56);
  EXPECT_EQ(dctmdcdef::dctrowindex(h, 1, again), 2);
  EXPECT_EQ(dctmdcdef::dctrowindex(h, 1, none), -1);
  EXPECT_EQ(dctmdcdef::dctcolindex(h, 1, row57), -1);  // e is an equation
  dctmdcdef::dctfree(h);
}
