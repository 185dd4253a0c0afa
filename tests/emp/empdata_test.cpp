// The EMP record in process: allocation and release, growth of the per-agent arrays and the
// parameter pool, the disjunction accessors with their reports, and loads of the fixture
// models with every kind of list in use (run under AddressSanitizer for leaks and reuse).
#include "emp/empdata.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "bindings/dctmdcdef.h"
#include "emp/empload.h"
#include "empcheck/empmodel.h"
#include "frame/statlib.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"
#include "frame/zlmobj.h"
#include "instance/gcdata.h"
#include "support/testutil.h"

namespace {

using empdata::myemp;

// Loads a fixture model into the model record (the control file names its files relative
// to its folder) and the dictionary library from the stand-ins.
void loadfixture(const std::string& model) {
  q5rt::sstr msg;
  ASSERT_TRUE(dctmdcdef::dctgetreadyd(testutil::standinlib(), msg)) << msg.view();
  char here[4096];
  ASSERT_NE(::getcwd(here, sizeof here), nullptr);
  ASSERT_EQ(::chdir((testutil::source_dir() + "/tests/emp/fixtures/" + model).c_str()), 0);
  const bool ok = empmodel::loadmodel("model.ctl", msg);
  ASSERT_EQ(::chdir(here), 0);
  ASSERT_TRUE(ok) << msg.view();
  myemp.dicthandle = nullptr;
}

// Status-file and log lines of a load, and the plain messages of the callback.
struct captured {
  captured() { statlib::registerwritecallback(&take, this); }
  ~captured() { statlib::registerwritecallback(nullptr, nullptr); }
  static void take(const q5rt::sstr& text, std::int32_t channel, void* self) {
    (channel == 1 ? static_cast<captured*>(self)->status : static_cast<captured*>(self)->log) +=
        text.str();
  }
  static void message(std::string_view text, void* self) {
    static_cast<captured*>(self)->messages += std::string(text) + "\n";
  }
  std::string status, log, messages;
};

std::int32_t load(const std::string& model, const std::string& text, captured& c,
                  bool sharedequ = false, bool replication = false) {
  loadfixture(model);
  const gcdata::tmodel& m = gcdata::mymodel;
  empdata::empalloc(m.cols, m.rows);
  myemp.sharedequ = sharedequ ? 1 : 0;
  myemp.replication = replication ? 1 : 0;
  empdata::emploadargs args = empmodel::loadargs("inline.emp", true);
  args.dictfile = "model.dct";
  args.callback = &captured::message;
  args.userdata = &c;
  // The dictionary file name is relative to the model's folder.
  const std::string dict = testutil::source_dir() + "/tests/emp/fixtures/" + model + "/model.dct";
  args.dictfile = dict;
  return empdata::emploadtext(args, text);
}

TEST(Empdata, RecordTablesAndSmallAccessors) {
  EXPECT_EQ(empdata::empkey("DUALvar"), 6);
  EXPECT_EQ(empdata::empkey("emp eof"), 1);
  EXPECT_EQ(empdata::empkey("nothing"), 0);
  EXPECT_FALSE(empdata::iskeyword(20));
  EXPECT_TRUE(empdata::iskeyword(32));

  empdata::empalloc(3, 4);
  EXPECT_EQ(myemp.allocated, 1);
  EXPECT_EQ(myemp.implagent, -1);
  EXPECT_EQ(myemp.flip[4], -1);
  EXPECT_EQ(myemp.agentofcol[3], -1);
  EXPECT_EQ(myemp.thetaweight[1], 1.0);
  EXPECT_EQ(empdata::empparval(1, 0), 1.0);
  EXPECT_EQ(empdata::empparval(1, 1), 1.0);
  empdata::tempdata& ep = *empdata::myemp_ep;
  std::int32_t d = -1;
  EXPECT_EQ(ep.equindisj(2, d), 0);
  EXPECT_EQ(d, 0);
  ep.disjsetdefault(0, -1, 0, 0);
  std::int32_t type = 0, n = 0;
  double bigm = 0, eps = 0;
  ep.disjgetdefault(type, bigm, eps, n);
  EXPECT_EQ(type, 1);
  EXPECT_EQ(bigm, 10000);
  EXPECT_EQ(eps, 1e-4);
  EXPECT_EQ(n, 4);

  testing::internal::CaptureStdout();
  EXPECT_EQ(ep.getnumterm(1), 0);
  ep.setind(0, 5);
  EXPECT_EQ(ep.getequdotl(2, 1, 1), 0.0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "***\n*** EMP Error GetNumTerm: d=1\n***\n"
            "***\n*** EMP Error SetIndic: d=0\n***\n"
            "***\n*** EMP Error GetEquDotL: d=2\n***\n");
  empdata::empfree();
  EXPECT_EQ(myemp.allocated, 0);
  EXPECT_EQ(myemp.flip, nullptr);
  EXPECT_EQ(myemp.numrows, -1);
}

// The arrays hold agents 0 to agentcap - 1: the growth comes before agent agentcap.
TEST(Empdata, PerAgentArraysGrowBeforeTheyAreFull) {
  empdata::empalloc(1, 1);
  for (std::int32_t a = 1; a <= 250; ++a) {
    empdata::empgrowfollowers();
    ASSERT_LT(a, myemp.agentcap);
    myemp.numagents = a;
    myemp.agenttype[a] = a % 7;
    myemp.agentobjcoef[a] = a * 0.5;
    if (a % 50 == 0) myemp.agentrows[a] = empdata::newlist();
  }
  EXPECT_EQ(myemp.agentcap, 300);
  for (std::int32_t a = 1; a <= 250; ++a) {
    EXPECT_EQ(myemp.agenttype[a], a % 7);
    EXPECT_EQ(myemp.agentobjcoef[a], a * 0.5);
    EXPECT_EQ(myemp.agentrows[a] != nullptr, a % 50 == 0);
  }
  EXPECT_EQ(myemp.agentimplobj[299], nullptr);
  empdata::empfree();
}

TEST(Empdata, LoadsWithoutAllocationOrDictionaryFailHard) {
  captured c;
  empdata::emploadargs args;
  args.callback = &captured::message;
  args.userdata = &c;
  EXPECT_EQ(empdata::emploadtext(args, ""), 2);
  EXPECT_EQ(c.messages, "*** empalloc not called before\n");
  empdata::empalloc(1, 1);
  c.messages.clear();
  args.dictfile = "/nonexistent/model.dct";
  EXPECT_EQ(empdata::emploadtext(args, ""), 2);
  EXPECT_TRUE(c.messages.starts_with("*** Could not open dictionary\n*** Msg: ")) << c.messages;
  EXPECT_EQ(myemp.dicthandle, nullptr);
  empdata::empfree();
}

TEST(Empdata, ParameterPoolGrowsWithinItsAllocation) {
  captured c;
  std::string text = "adjustequ e(i1) Huber 2";
  for (int k = 1; k <= 1500; ++k) text += (k % 100 == 0 ? "\n" : " ") + std::to_string(k);
  text += "\n e(i2) Six 1 7 8\n";
  ASSERT_EQ(load("annot", text, c), 0) << c.status << c.log;
  EXPECT_EQ(myemp.parpoolcap, 2000);
  EXPECT_EQ(empdata::empparval(1, 1), 1);
  EXPECT_EQ(empdata::empparval(1, 1500), 1500);
  EXPECT_EQ(empdata::empparval(1, 1501), 1.0);
  EXPECT_EQ(empdata::empparval(2, 2), 8);
  EXPECT_EQ(myemp.thetaweight[1], 2);
  EXPECT_EQ(empdata::emptheta(2), 5);
  EXPECT_NE(c.messages.find("    Adjusted Constraint = 2\n"), std::string::npos) << c.messages;
  empdata::empfree();
}

// Every kind of list the loader makes: agent lists, sharing lists, implicit groups with
// their lists, the implicit objective lists; then disjunctions with terms and equations.
// empfree releases them all (AddressSanitizer reports a leak or a reuse).
TEST(Empdata, EmpfreeReleasesEveryList) {
  {
    captured c;
    const std::string text =
        "equilibrium\n"
        "  implicit pr defp\n"
        "  min o1 q1 pr defo1 cap1 share\n"
        "  max o2 * q2 defo2 cap2 - share\n";
    EXPECT_EQ(load("equil", text, c, true), 0) << c.status << c.log;
    ASSERT_NE(myemp.impllist, nullptr);
    const auto* group = static_cast<const empdata::timplvarrec*>(myemp.impllist->get(0));
    EXPECT_EQ(group->agents->count(), 1);
    EXPECT_NE(myemp.agentimplobj[4], nullptr);
    EXPECT_NE(myemp.rowagents[6], nullptr);
    EXPECT_NE(myemp.dicthandle, nullptr);
    empdata::empfree();
    EXPECT_EQ(myemp.dicthandle, nullptr);
    EXPECT_EQ(myemp.impllist, nullptr);
  }
  {
    captured c;
    const std::string text =
        "equilibrium implicit pr defp min o1 q1 pr defo1 cap1 share max o2 q2 defo2 cap2 share\n";
    EXPECT_EQ(load("equil", text, c, true, true), 1);
    EXPECT_NE(c.status.find("=6 5 Replication method cannot be used: there is a follower who does "
                            "not control it but uses it.\n"),
              std::string::npos)
        << c.status;
    empdata::empfree();
  }
  {
    captured c;
    EXPECT_EQ(load("disj", "disjunction b c else not d(j1)\nparallelstep1 *\n", c), 1);
    empdata::tempdata& ep = *empdata::myemp_ep;
    EXPECT_EQ(ep.getnumdisj(), 3);
    EXPECT_EQ(ep.getnumterm(2), 2);
    EXPECT_EQ(ep.gettermnot(1, 2), 1);  // the negated row reached only the first else-term
    EXPECT_EQ(ep.gettermnot(2, 2), 0);
    EXPECT_EQ(ep.getlastterm(3), 2);
    std::int32_t d = 0;
    EXPECT_EQ(ep.equindisj(4, d), 1);
    EXPECT_EQ(ep.equindisj(5, d), 6);  // parallel step 1: every term of every disjunction
    EXPECT_EQ(d, 1);
    ep.setequbin(1, 1, 1, 7);
    EXPECT_EQ(ep.getequbin(1, 1, 1), 7);
    empdata::empfree();
    EXPECT_EQ(ep.getnumdisj(), 0);
  }
}

// A dictionary that places rows beyond the model's count is refused item by item.
TEST(Empdata, RowsOutsideTheModelAreRefused) {
  captured c;
  loadfixture("annot");
  const gcdata::tmodel& m = gcdata::mymodel;
  empdata::empalloc(m.cols, 2);
  empdata::emploadargs args = empmodel::loadargs("inline.emp", true);
  const std::string dict = testutil::source_dir() + "/tests/emp/fixtures/annot/model.dct";
  args.dictfile = dict;
  args.callback = &captured::message;
  args.userdata = &c;
  EXPECT_EQ(empdata::emploadtext(args, "dualVAR x(i1) e(i1)\ndualVAR x e\n"), 1);
  EXPECT_NE(c.status.find("DualVar EQU expected is e (item 3 on line 2) but the dictionary places "
                          "it outside the model"),
            std::string::npos)
      << c.log << c.status << c.messages;
  EXPECT_EQ(myemp.numdualvar, 1);
  empdata::empfree();
}

TEST(Empdata, ADictionaryOfTheCallerStaysTheCallers) {
  captured c;
  loadfixture("annot");
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(dctmdcdef::dctcreate(h, msg)) << msg.view();
  const std::string dict = testutil::source_dir() + "/tests/emp/fixtures/annot/model.dct";
  ASSERT_EQ(dctmdcdef::dctloadex(h, q5rt::sstr::cut(dict), msg), 0) << msg.view();
  const gcdata::tmodel& m = gcdata::mymodel;
  empdata::empalloc(m.cols, m.rows);
  empdata::emploadargs args = empmodel::loadargs("inline.emp", true);
  void* given = h;
  args.dicthandle = &given;
  args.callback = &captured::message;
  args.userdata = &c;
  EXPECT_EQ(empdata::emploadtext(args, "dualVAR x e\n"), 0);
  EXPECT_EQ(myemp.dicthandle, nullptr);
  EXPECT_EQ(myemp.numdualvar, 3);
  empdata::empfree();
  EXPECT_EQ(dctmdcdef::dctsymindex(h, q5rt::sstr::cut("x")), 1);  // still alive
  dctmdcdef::dctfree(h);
}

// empkey looks at the letters only of keys of the right length: it must answer as the scan
// with struequal over every key text, for each key in three spellings, one character short
// and one too long, and for names that are no key.
TEST(Empdata, EmpkeyAnswersAsThePlainScan) {
  const auto scan = [](std::string_view text) {
    for (std::size_t i = 0; i < empdata::empkeytext.size(); ++i)
      if (strutilx::struequal(empdata::empkeytext[i], text)) return static_cast<std::int32_t>(i);
    return std::int32_t{0};
  };
  std::vector<std::string> names = {"", "x", "e", "=", "==", "dualvarx", "a_name_of_sixteen"};
  for (std::string_view key : empdata::empkeytext) {
    names.insert(names.end(),
                 {std::string(key), strutilx::uppercase(key).str(), strutilx::lowercase(key).str(),
                  std::string(key.substr(1)), std::string(key) + "s"});
  }
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(empdata::empkey(name), scan(name));
  }
}

// An item's place in messages, written into its own buffer: the same text as the short
// strings made it, for the bounds of both numbers and a run of ordinary ones.
TEST(Empdata, ItemLocationTextAsBuiltFromShortStrings) {
  constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  std::vector<std::int32_t> values = {lo, lo + 1, -10, -1, 0, 9, 10, 99, 100, hi - 1, hi};
  for (std::int32_t v = 1; v < 100000; v = v * 3 + 1) values.push_back(v);
  for (std::int32_t item : values) {
    for (std::int32_t line : values) {
      const q5rt::sstr expected = q5rt::concat("(item ", strutilx::inttostrw(item, 0), " on line ",
                                               strutilx::inttostrw(line, 0), ")");
      EXPECT_EQ(std::string_view(empdata::detail::locationtext(item, line)), expected.view());
    }
  }
}

// The loader asks the dictionary for a label only when the text differs from the one at
// that place in the item before: random dualVAR lists whose labels repeat, change, change
// case or quoting between neighbours must pair the columns and rows their texts name.
TEST(Empdata, ReusedLabelNumbersPairWhatTheTextsName) {
  std::uint32_t seed = 7;
  const auto random = [&seed](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<std::int32_t>((seed >> 8) % n);
  };
  const char* spellings[] = {"i%", "I%", "'i%'", "\"I%\""};
  const auto label = [&](std::int32_t k) {
    std::string t = spellings[random(4)];
    t.replace(t.find('%'), 1, std::to_string(k));
    return t;
  };
  for (int round = 0; round < 200; ++round) {
    // Each column and each row at most once: x(i1..i3) are columns 1 to 3, e(i1..i3) rows 1 to 3.
    std::int32_t cols[3] = {1, 2, 3}, rows[3] = {1, 2, 3};
    for (int k = 2; k > 0; --k) {
      std::swap(cols[k], cols[random(static_cast<std::uint32_t>(k + 1))]);
      if (random(2) == 0) std::swap(rows[k], rows[random(static_cast<std::uint32_t>(k + 1))]);
    }
    const std::int32_t pairs = 1 + random(3);
    std::string text = "dualVAR";
    for (std::int32_t k = 0; k < pairs; ++k)
      text += " x(" + label(cols[k]) + ") e(" + label(rows[k]) + ")";
    SCOPED_TRACE(text);
    captured c;
    ASSERT_EQ(load("annot", text + "\n", c), 0) << c.status << c.log;
    EXPECT_EQ(myemp.numdualvar, pairs);
    for (std::int32_t k = 0; k < pairs; ++k) EXPECT_EQ(myemp.dualrowofcol[cols[k]], rows[k]);
    empdata::empfree();
  }
}

}  // namespace
