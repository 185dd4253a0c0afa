// The binding engine's protocol, driven through the option library's instance against the
// stand-in and its variants: load failures, lookups, check levels, objects, unloading,
// error handling and the wrapper base.
#include "bindings/bindproto.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "bindings/dctmdcdef.h"
#include "bindings/dctmdodef.h"
#include "bindings/hvnmdcdef.h"
#include "bindings/optdcdef.h"
#include "bindings/optdodef.h"
#include "bindings/vrkdcdef.h"
#include "bindings/wyqdcdef.h"
#include "frame/strutilx.h"
#include "support/bindtest.h"

namespace {

bindproto::binding& lib = optdcdef::lib;

class BindprotoTest : public bindtest::bindingtest {
 protected:
  BindprotoTest() : bindingtest(optdcdef::lib, "libzlmopt64.so") {}
  std::string full = bindtest::standinlib();
  const std::string& fullfile = libfile;
};

const std::string problem = " (problem occurred when trying to load ";

// The boundary types that the type codes give (instances other than the option library's
// use most of them).
using bindproto::sig;
using q5rt::sstr;
template <typename Sig>
using fnof = typename bindproto::entry<optdcdef::lib, 0, Sig>::fn;
static_assert(std::is_same_v<fnof<sig<1, 1, 2, 3, 4>>,
                             void* (*)(void*, void*, void**, std::int32_t, std::int32_t*)>);
static_assert(std::is_same_v<fnof<sig<3, 6, 8, 9, 10, 11, 12>>,
                             std::int32_t (*)(void*, double*, std::int32_t*, const char*,
                                              const char*, const sstr*, sstr*)>);
static_assert(std::is_same_v<fnof<sig<13, 13, 14, 15, 17, 18, 19>>,
                             double (*)(void*, double, double*, std::int32_t, sstr*, char, char*)>);
static_assert(
    std::is_same_v<fnof<sig<15, 20, 21, 22, 23>>,
                   std::int32_t (*)(void*, std::int32_t*, std::int32_t*, double*, std::int64_t)>);
static_assert(std::is_same_v<fnof<sig<23, 51, 52, 53, 54, 55, 56, 57, 58, 59>>,
                             std::int64_t (*)(void*, const std::int32_t*, std::int32_t*,
                                              const double*, double*, const sstr*, sstr*,
                                              const double*, double*, bindproto::callbackproc)>);
static_assert(std::is_same_v<fnof<sig<12, 3>>, sstr* (*)(void*, std::int32_t, sstr*)>);
static_assert(std::is_same_v<bindproto::entry<optdcdef::lib, 0, sig<15, 15>>::result, bool>);
// Only the libraries with XCreateD give their object class a createdd constructor.
static_assert(!std::is_constructible_v<optdodef::tzlmoptions, bindproto::createdd_t,
                                       std::string_view, q5rt::sstr&>);
static_assert(std::is_constructible_v<dctmdodef::tdctreader, bindproto::createdd_t,
                                      std::string_view, q5rt::sstr&>);

TEST_F(BindprotoTest, AMissingFileFailsWithTheLoadersTextAndThePath) {
  q5rt::sstr msg;
  EXPECT_FALSE(lib.getreadyd("/nonexistent/dir/", msg));
  const std::string path = "/nonexistent/dir/libzlmopt64.so";
  EXPECT_EQ(msg.view().substr(0, path.size()), path);  // dlerror names the file first
  EXPECT_TRUE(msg.view().ends_with(problem + path + ")")) << msg.view();
  EXPECT_FALSE(lib.libraryloaded());
  EXPECT_EQ(lib.libfilename(), path);
}

TEST_F(BindprotoTest, AMissingCoreEntryFailsAndTheNextCallTriesAgain) {
  const std::string nocore = bindtest::variant("zlmopt-noapiversion");
  q5rt::sstr msg;
  EXPECT_FALSE(lib.getreadyd(nocore, msg));
  EXPECT_EQ(msg.view(), "Entry not found: XAPIVersion in " + nocore + "/libzlmopt64.so");
  EXPECT_FALSE(lib.libraryloaded());
  EXPECT_EQ(optdcdef::optgetintnr.address(), nullptr);
  EXPECT_TRUE(lib.getreadyd(full, msg)) << msg.view();
  EXPECT_TRUE(lib.libraryloaded());
}

// Initialize ran before the version check, so Finalize runs on the way out; the load path
// is reset to the empty text first.
TEST_F(BindprotoTest, ARefusedApiVersionFailsWithTheLibrarysText) {
  bindtest::scopedenv t("ZLMOPT_TRACE", trace);
  bindtest::scopedenv refuse("ZLMOPT_REFUSE_API", "1");
  q5rt::sstr msg;
  EXPECT_FALSE(lib.getreadyd(full, msg));
  EXPECT_EQ(msg.view(), "zlmopt: API version 4 refused; this library speaks version 4");
  EXPECT_FALSE(lib.libraryloaded());
  const std::vector<std::string> expected = {"optInitialize", "XAPIVersion 4",
                                             "optSetLoadPath \"\"", "optFinalize"};
  EXPECT_EQ(tracelines(), expected);
}

TEST_F(BindprotoTest, ANegativeCheckLevelBindsWithoutConfirmation) {
  bindtest::scopedenv t("ZLMOPT_TRACE", trace);
  bindtest::scopedenv nocheck("ZLMOPT_NOCHECK", "1");
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(lib.createl(h, fullfile, msg)) << msg.view();
  for (const auto& line : tracelines()) EXPECT_NE(line.rfind("XCheck", 0), 0u) << line;
  EXPECT_NE(optdcdef::optcount.address(), nullptr);
  EXPECT_FALSE(lib.funcloaded(optdcdef::optcount.address()));
  EXPECT_FALSE(lib.funcloaded(nullptr));  // the empty slots do not make nil "loaded"
  EXPECT_EQ(optdcdef::optcount(h), 0);
  lib.free(h);
}

// Lean variant: optGetTypeName is exported in upper case only, optGetHelpNr not at all, and
// the optional entries are missing.
TEST_F(BindprotoTest, LookupTriesLowerWrittenAndUpperCase) {
  bindtest::scopedenv t("ZLMOPT_TRACE", trace);
  const std::string lean = bindtest::variant("zlmopt-lean");
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(lib.created(h, lean, msg)) << msg.view();
  EXPECT_TRUE(lib.funcloaded(optdcdef::optgettypename.address()));
  q5rt::sstr name;
  EXPECT_EQ(optdcdef::optgettypename(h, 2, name), 1);
  EXPECT_EQ(name.view(), "double");
  EXPECT_FALSE(lib.funcloaded(optdcdef::optgethelpnr.address()));
  EXPECT_NE(optdcdef::optgethelpnr.address(), nullptr);  // the stub
  EXPECT_EQ(lib.setloadpathentry(), nullptr);
  EXPECT_FALSE(optdodef::optsetloadpath("/x"));
  lib.free(h);
}

TEST_F(BindprotoTest, ReadyOnALoadedLibraryTouchesNothing) {
  q5rt::sstr msg;
  ASSERT_TRUE(lib.getreadyd(full, msg));
  bindtest::scopedenv t("ZLMOPT_TRACE", trace);
  msg.assign_cut("stale");
  EXPECT_TRUE(lib.getreadyd("/nonexistent", msg));
  EXPECT_TRUE(msg.empty());
  EXPECT_TRUE(lib.getready(msg));
  EXPECT_TRUE(tracelines().empty());
  EXPECT_EQ(lib.libfilename(), fullfile);
}

TEST_F(BindprotoTest, ReadyVariantsComposeThePath) {
  struct row {
    std::string arg;
    bool bypath;
    std::string file;
    const char* why;
  };
  const row rows[] = {
      {full, false, fullfile, "a directory without a trailing delimiter"},
      {full + "/", false, fullfile, "one trailing delimiter removed"},
      {full + "/", true, fullfile, "a path ending in the delimiter loads the default name"},
      {fullfile, true, fullfile, "a full path is taken apart and put together again"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    lib.libraryunload();
    q5rt::sstr msg;
    EXPECT_TRUE(r.bypath ? lib.getreadyl(r.arg, msg) : lib.getreadyd(r.arg, msg)) << msg.view();
    EXPECT_EQ(lib.libfilename(), r.file);
  }
}

// Beside the executable first; a second try by bare name only when the first could not
// open the file.
TEST_F(BindprotoTest, GetreadyxFallsBackToTheSearchOnlyWhenNothingOpened) {
  q5rt::sstr msg;
  EXPECT_FALSE(lib.getreadyxin("/nonexistent/", msg));
  EXPECT_TRUE(msg.view().ends_with(problem + "libzlmopt64.so)")) << msg.view();
  EXPECT_EQ(lib.libfilename(), "libzlmopt64.so");

  const std::string nocore = bindtest::variant("zlmopt-noapiversion") + "/";
  EXPECT_FALSE(lib.getreadyxin(nocore, msg));
  EXPECT_EQ(msg.view(), "Entry not found: XAPIVersion in " + nocore + "libzlmopt64.so");

  EXPECT_TRUE(lib.getreadyxin(full + "/", msg)) << msg.view();
  EXPECT_EQ(lib.libfilename(), fullfile);
}

TEST_F(BindprotoTest, AnOverLongPathIsRefusedNotCut) {
  const std::string dir = "/" + std::string(260, 'd');
  q5rt::sstr msg;
  EXPECT_FALSE(lib.getreadyd(dir, msg));
  EXPECT_TRUE(msg.view().starts_with("Library path longer than 255 characters: /ddd"))
      << msg.view();
  EXPECT_FALSE(lib.libraryloaded());
}

TEST_F(BindprotoTest, ObjectsAreCountedAndHoldTheLibrary) {
  bindtest::scopedenv t("ZLMOPT_TRACE", trace);
  q5rt::sstr msg;
  bindproto::handle a = nullptr, b = nullptr;
  ASSERT_TRUE(lib.created(a, full, msg));
  ASSERT_TRUE(lib.create(b, msg));  // loaded already: XCreate only
  EXPECT_NE(a, b);
  EXPECT_EQ(lib.objectcount(), 2);

  testing::internal::CaptureStdout();
  lib.libraryunload();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Could not unload library, object not freed.\n");
  EXPECT_TRUE(lib.libraryloaded());

  lib.free(a);
  EXPECT_EQ(a, nullptr);
  bindproto::handle none = nullptr;
  lib.free(none);  // a nil handle: no XFree, no count change
  EXPECT_EQ(lib.objectcount(), 1);
  lib.free(b);
  lib.libraryunload();
  EXPECT_FALSE(lib.libraryloaded());
  EXPECT_EQ(optdcdef::optgetintnr.address(), nullptr);
  EXPECT_FALSE(lib.funcloaded(nullptr));

  std::vector<std::string> core;
  for (const auto& line : tracelines())
    if (line.rfind("XCheck", 0) != 0) core.push_back(line);
  const std::vector<std::string> expected = {
      "optInitialize", "XAPIVersion 4", "optSetLoadPath \"" + full + "\"",
      "XCreate",       "XCreate",       "XFree",
      "XFree",         "optFinalize"};
  EXPECT_EQ(core, expected);
}

// Creates and frees from several threads keep the object count exact.
TEST_F(BindprotoTest, TheObjectCountHoldsUnderConcurrentCallers) {
  q5rt::sstr msg;
  ASSERT_TRUE(lib.getreadyd(full, msg));
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int k = 0; k < 200; ++k) {
        q5rt::sstr m;
        bindproto::handle h = nullptr;
        if (lib.create(h, m)) lib.free(h);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(lib.objectcount(), 0);
}

TEST_F(BindprotoTest, CreateFailuresLeaveNoHandle) {
  q5rt::sstr msg;
  bindproto::handle h = reinterpret_cast<bindproto::handle>(1);
  EXPECT_FALSE(lib.created(h, "/nonexistent", msg));
  EXPECT_EQ(h, nullptr);
  EXPECT_TRUE(msg.view().ends_with(problem + "/nonexistent/libzlmopt64.so)"));

  bindtest::scopedenv fail("ZLMOPT_FAIL_CREATE", "1");
  EXPECT_FALSE(lib.created(h, full, msg));
  EXPECT_EQ(msg.view(), "Library is loaded but error while creating object");
  EXPECT_TRUE(lib.libraryloaded());
  EXPECT_EQ(lib.objectcount(), 0);
}

int lastcount = 0;
std::string lastmessage;
int record(int count, const q5rt::sstr& msg) {
  lastcount = count;
  lastmessage = msg.str();
  return 0;
}
int endrun(int, const q5rt::sstr&) { return 1; }

TEST_F(BindprotoTest, ErrorHandlingFollowsTheIndicators) {
  lib.setexitindicator(false);
  lib.seterrorcallback(&record);
  testing::internal::CaptureStdout();
  lib.errorhandling("first problem");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "first problem\n");
  EXPECT_EQ(lastcount, 1);
  EXPECT_EQ(lastmessage, "first problem");

  lib.setscreenindicator(false);
  lib.setexceptionindicator(true);
  testing::internal::CaptureStdout();
  try {
    lib.errorhandling("second problem");
    ADD_FAILURE() << "no exception";
  } catch (const q5rt::assertion_error& e) {
    EXPECT_TRUE(e.message().view().starts_with("second problem (optdcdef:")) << e.message().view();
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(lib.geterrorcount(), 2);
  EXPECT_EQ(lastcount, 1);  // the exception comes before the callback
}

// Runs at exit before the units' close-downs: can the callback mutex be taken again? (A
// thread tries, so that a mutex left locked shows as a line, not as a hang.)
void reportcallbackmutex() {
  std::atomic<bool> taken{false};
  std::thread t([&taken] {
    optdcdef::lib.seterrorcallback(nullptr);
    taken = true;
  });
  for (int k = 0; k < 300 && !taken; ++k)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::fputs(taken ? "callback mutex free\n" : "callback mutex held\n", stdout);
  std::fflush(stdout);
  if (taken)
    t.join();
  else
    t.detach();
}

// A callback that answers non-zero ends the run with 123 even with the exit indicator off,
// and the callback mutex is released before the run ends.
TEST(Bindprotochild, CallbackEndsTheRun) {
  if (!bindtest::inchild("callback")) GTEST_SKIP() << "child case";
  std::atexit(&reportcallbackmutex);
  optdcdef::lib.setexitindicator(false);
  optdcdef::lib.seterrorcallback(&endrun);
  optdcdef::lib.errorhandling("callback says stop");
  ADD_FAILURE() << "error handling returned";
}

TEST_F(BindprotoTest, ACallbackCanEndTheRun) {
  const auto res = bindtest::runchild("callback", "Bindprotochild.CallbackEndsTheRun", {});
  EXPECT_EQ(res.exit_code, 123) << res.out;
  EXPECT_NE(res.out.find("callback says stop\n"), std::string::npos) << res.out;
  EXPECT_NE(res.out.find("callback mutex free\n"), std::string::npos) << res.out;
}

// Every stand-in exports only its binding's core, optional and API entry names (under their
// documented prefixes), and has every core entry: the link opens the libraries with global
// binding, so a stray export of one would answer another's lookup. The combined library is
// checked on its environment names only.
TEST(BindprotoExports, StandInsExportExactlyTheBindingNames) {
  struct row {
    const bindproto::binding* lib;
    const char* file;
    const char* only;  // checked exports start with this (case ignored); empty: all
    const char* why;
  };
  const row rows[] = {
      {&optdcdef::lib, "libzlmopt64.so", "", "option library"},
      {&dctmdcdef::lib, "libzlmdct64.so", "", "dictionary library"},
      {&vrkdcdef::lib, "libzlmvrk64.so", "", "data-exchange library, prefixed names"},
      {&wyqdcdef::lib, "libzlmwyq64.so", "", "configuration library, prefixed names"},
      {&hvnmdcdef::lib, "libbrin64.so", "hvn", "environment entries of the combined library"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const bindproto::instance& p = r.lib->params();
    std::set<std::string> allowed;
    for (std::string_view core : {p.xcreate, p.xcreated, p.xfree, p.xcheck, p.xapiversion})
      if (!core.empty()) allowed.insert(std::string(core));
    const std::set<std::string> core = allowed;
    for (std::string_view opt : {p.setloadpath, p.getloadpath, p.initialize, p.finalize})
      if (!opt.empty()) allowed.insert(std::string(opt));
    for (const bindproto::entrydesc& e : p.entries)
      allowed.insert((p.prefix == bindproto::prefixrule::dc ? bindtest::dcprefix(e) : "") +
                     std::string(e.name));
    const std::set<std::string> exported =
        bindtest::exportednames(bindtest::standinlib() + "/" + r.file);
    ASSERT_FALSE(exported.empty());
    for (const std::string& name : core) EXPECT_EQ(exported.count(name), 1u) << name;
    const std::string only = r.only;
    for (const std::string& name : exported) {
      if (strutilx::lowercase(name.substr(0, only.size())).view() != only) continue;
      // The bridge's boundary with zero-terminated texts ("CXCheck", "CoptReadDefinition",
      // "COPTGETSTRSTR") is not the link's.
      if (name.size() > 1 && name[0] == 'C' && (name[1] == 'X' || name[1] == 'o' || name[1] == 'O'))
        continue;
      EXPECT_EQ(allowed.count(name), 1u) << name << " is exported but no binding name";
    }
  }
}

// A refusal without a message: the binding's create says "Unknown error"; a constructor that
// only gets the library ready names its class and variant.
TEST_F(BindprotoTest, AnEmptyFailureMessageIsFilledIn) {
  bindtest::scopedenv refuse("ZLMOPT_REFUSE_API", "silent");
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  EXPECT_FALSE(lib.created(h, full, msg));
  EXPECT_EQ(msg.view(), "Unknown error");
  optdodef::tzlmoptions o(bindproto::createl, fullfile, msg);
  EXPECT_EQ(msg.view(), "Unknown error");
}

TEST(Bindprotochild, WithhandleNamesItsClass) {
  if (!bindtest::inchild("withhandle")) GTEST_SKIP() << "child case";
  q5rt::sstr msg;
  optdodef::tzlmoptions o(bindproto::withhandle, reinterpret_cast<bindproto::handle>(8), msg);
  EXPECT_EQ(o.gethandle(), nullptr);
  EXPECT_EQ(msg.view(), "Unknown error calling TZlmOptions.CreateWithHandle");
}

TEST_F(BindprotoTest, CreatewithhandleNamesItsClassWhenTheLibraryIsSilent) {
  const auto res = bindtest::runchild("withhandle", "Bindprotochild.WithhandleNamesItsClass",
                                      {{"LD_LIBRARY_PATH", full}, {"ZLMOPT_REFUSE_API", "silent"}});
  EXPECT_EQ(res.exit_code, 0) << res.out;
  EXPECT_NE(res.out.find("[  PASSED  ] 1 test"), std::string::npos) << res.out;
}

// The wrapper base through the option object: the message per variant.
TEST_F(BindprotoTest, WrapperConstructorsReportThroughTheirMessage) {
  q5rt::sstr msg;
  {
    optdodef::tzlmoptions o(bindproto::created, "/nonexistent", msg);
    EXPECT_EQ(o.gethandle(), nullptr);
    EXPECT_TRUE(msg.view().ends_with(problem + "/nonexistent/libzlmopt64.so)"));
  }
  {
    optdodef::tzlmoptions o(bindproto::withhandle, reinterpret_cast<bindproto::handle>(8), msg);
    EXPECT_EQ(o.gethandle(), nullptr);  // the default search finds nothing in this process
    EXPECT_TRUE(msg.view().ends_with(problem + "libzlmopt64.so)")) << msg.view();
  }
  {
    msg.assign_cut("stale");
    optdodef::tzlmoptions o(bindproto::createl, fullfile, msg);
    EXPECT_TRUE(msg.empty());
    EXPECT_NE(o.gethandle(), nullptr);
    EXPECT_TRUE(o.ownshandle());
    EXPECT_EQ(lib.objectcount(), 1);
  }
  EXPECT_EQ(lib.objectcount(), 0);
}

}  // namespace
