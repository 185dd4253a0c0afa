// The solver table's solver-link libraries: the library line, both interfaces through the
// test libraries (standins/solverlink), missing entries, the live-object count, the
// libraries kept loaded between objects and unloaded when the table goes, and a load after
// a failed one.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "frame/q5text.h"
#include "instance/zlmconf.h"
#include "support/testutil.h"

namespace {

std::string libdir() { return testutil::binary_dir() + "/standins/solverlink"; }

class SolverLink : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("SOLVERLINK_TRACE", dir.file("trace").c_str(), 1);
    table = std::make_unique<zlmconf::tzlmconf>(msg);
  }
  void TearDown() override {
    table.reset();
    ::unsetenv("SOLVERLINK_TRACE");
    ::unsetenv("SOLVERLINK_FAILCREATE");
  }
  std::int32_t solver(const std::string& name, const std::string& libline) {
    auto rec = zlmconf::talglist::getnewrec();
    rec->solverid.assign_cut(name);
    rec->libline = libline;
    rec->linestofollow = 2;
    rec->modprob = -1;
    return table->solvers.add(std::move(rec));
  }
  // The calls traced since the last look, one a line.
  std::string calls() {
    const std::string path = dir.file("trace");
    std::string t = std::filesystem::exists(path) ? testutil::read_file(path) : "";
    std::filesystem::remove(path);
    return t;
  }
  testutil::tempdir dir;
  q5rt::sstr msg;
  std::unique_ptr<zlmconf::tzlmconf> table;
};

TEST_F(SolverLink, LibraryLineParts) {
  struct row {
    const char* line;
    std::int32_t type;
    const char* lib;
    const char* code;
    std::int32_t threadsafe;
    const char* why;
  };
  const row rows[] = {
      {"libx.so abc 1 1", 1, "libx.so", "abc", 1, "four parts"},
      {"libx.so abc 2", 2, "libx.so", "abc", 0, "three parts: no thread flag"},
      {"libx.so abc", 0, "", "", 0, "two parts: no interface type"},
      {"", 0, "", "", 0, "no library line"},
      {"libx.so abc 1 3 extra", 1, "libx.so", "abc", 3, "the thread flag ends at a blank"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const std::int32_t k = solver("S", r.line);
    q5rt::sstr lib, code;
    EXPECT_EQ(table->cfgalglibinfo(k, lib, code), r.type);
    EXPECT_EQ(lib.view(), r.lib);
    EXPECT_EQ(code.view(), r.code);
    EXPECT_EQ(table->scalgthreadsafeindic(k), r.threadsafe);
    EXPECT_EQ(table->scalgslvprefix(k).view(), r.type > 0 ? r.code : "");
  }
}

TEST_F(SolverLink, BothInterfacesCreateReadyCallAndFree) {
  struct row {
    const char* libline;
    std::int32_t result;
    bool modify;
    const char* trace;
    const char* why;
  };
  const row rows[] = {
      {"libsolverabc.so abc 1", 42, true,
       "Initialize\nCreate\nReadyAPI\nModifyProblem\nCallSolver\nFree\nFinalize\n", "classic"},
      {"libsolverxyz.so xyz 1", 43, false,
       "Initialize\nXCreate\nReadyAPI nil\nCallSolver\nXFree\nFinalize\n", "X interface"},
      {"libsolverxyzpre.so xyz 1", 43, false,
       "Initialize\nXCreate\nReadyAPI nil\nCallSolver\nXFree\nFinalize\n",
       "X interface with prefixed names"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const std::int32_t k = solver("S", r.libline);
    void* h = nullptr;
    ASSERT_TRUE(table->sccreate(k, h, libdir(), msg)) << msg.view();
    EXPECT_NE(h, nullptr);
    EXPECT_EQ(table->scliveobjects(k), 1);
    EXPECT_EQ(table->screadyapi(k, nullptr, nullptr), 0);
    EXPECT_EQ(table->scmodifyproblem(k, nullptr), r.modify ? 7 : 0);
    EXPECT_EQ(table->sccallsolver(k, nullptr, nullptr), r.result);
    table->scfree(k, h);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(table->scliveobjects(k), 0);
    EXPECT_EQ(table->libs.count(k), 1u);  // loaded until the table goes
    table.reset();
    EXPECT_EQ(calls(), r.trace);
    table = std::make_unique<zlmconf::tzlmconf>(msg);
  }
}

// Objects come and go; the library is initialized once, keeps its state between them and
// is finalized and unloaded only when the table goes.
TEST_F(SolverLink, LibrariesStayLoadedUntilTheTableGoes) {
  const std::int32_t k = solver("S", "libsolverabc.so abc 1");
  void* a = nullptr;
  void* b = nullptr;
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(table->sccreate(k, a, libdir(), msg)) << msg.view();
    EXPECT_EQ(table->scliveobjects(k), 1);
    table->scfree(k, a);
    EXPECT_EQ(table->scliveobjects(k), 0);
  }
  ASSERT_TRUE(table->sccreate(k, a, libdir(), msg)) << msg.view();
  ASSERT_TRUE(table->sccreate(k, b, libdir(), msg)) << msg.view();
  EXPECT_EQ(table->scliveobjects(k), 2);
  table->scfree(k, a);
  table->scfree(k, b);
  EXPECT_EQ(calls(), "Initialize\nCreate\nFree\nCreate\nFree\nCreate\nCreate\nFree\nFree\n");
  // The solver that is never unloaded is finalized too, but keeps its library.
  const std::int32_t highs = solver("HIGHS", "libsolverxyz.so xyz 1");
  ASSERT_TRUE(table->sccreate(highs, a, libdir(), msg)) << msg.view();
  table->scfree(highs, a);
  EXPECT_EQ(calls(), "Initialize\nXCreate\nXFree\n");
  table.reset();
  EXPECT_EQ(calls(), "Finalize\nFinalize\n");
  const std::string kept = libdir() + "/libsolverxyz.so";
  EXPECT_NE(::dlopen(kept.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "still loaded";
  const std::string closed = libdir() + "/libsolverabc.so";
  EXPECT_EQ(::dlopen(closed.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "unloaded";
}

TEST_F(SolverLink, AMissingEntryLeavesNothingLoadedAndTheNextCreateTriesAgain) {
  const std::int32_t k = solver("S", "libsolverabc.so abc 1");
  const std::string path = libdir() + "/nocall/libsolverabc.so";
  for (int attempt = 0; attempt < 2; ++attempt) {
    void* h = nullptr;
    EXPECT_FALSE(table->sccreate(k, h, libdir() + "/nocall", msg));
    EXPECT_EQ(msg.view(), "Entry not found: abcCallSolver in " + path);
    EXPECT_EQ(h, nullptr);
    EXPECT_TRUE(table->libs.empty());
    EXPECT_EQ(calls(), "Initialize\nFinalize\n");
  }
  void* h = nullptr;  // the library beside it has every entry
  ASSERT_TRUE(table->sccreate(k, h, libdir(), msg)) << msg.view();
  table->scfree(k, h);
}

TEST_F(SolverLink, FailedCreatesAndRefusedSolvers) {
  const std::int32_t k = solver("S", "libsolverabc.so abc 1");
  void* h = nullptr;
  ::setenv("SOLVERLINK_FAILCREATE", "1", 1);
  EXPECT_FALSE(table->sccreate(k, h, libdir(), msg));
  EXPECT_EQ(msg.view(), "Error while creating solver-link object: no licence for abc");
  EXPECT_EQ(table->scliveobjects(k), 0);
  EXPECT_EQ(table->libs.count(k), 1u) << "bound, so it stays loaded";
  EXPECT_EQ(calls(), "Initialize\nCreate\n");
  const std::int32_t x = solver("X", "libsolverxyz.so xyz 1");
  EXPECT_FALSE(table->sccreate(x, h, libdir(), msg));
  EXPECT_EQ(msg.view(),
            "Error while creating solver-link object: Unknown reason (solver link library uses "
            "deprecated API)");
  EXPECT_EQ(calls(), "Initialize\nXCreate\n");
  ::unsetenv("SOLVERLINK_FAILCREATE");
  ASSERT_TRUE(table->sccreate(k, h, libdir(), msg)) << msg.view();
  table->scfree(k, h);
  EXPECT_EQ(calls(), "Create\nFree\n") << "the library loaded before, not initialized again";

  EXPECT_FALSE(table->sccreate(solver("TWO", "libsolverabc.so abc"), h, libdir(), msg));
  EXPECT_EQ(msg.view(), "TWO not a LoadLibrary type solver");
  EXPECT_FALSE(table->sccreate(solver("NONE", "libnone.so abc 1"), h, libdir(), msg));
  EXPECT_NE(msg.view().find(" (problem occurred when trying to load " + libdir() + "/libnone.so)"),
            std::string_view::npos)
      << msg.view();
  // An absolute library name ignores the directory.
  const std::int32_t abs = solver("ABS", libdir() + "/libsolverabc.so abc 1");
  ASSERT_TRUE(table->sccreate(abs, h, "/no/such/dir", msg)) << msg.view();
  table->scfree(abs, h);
}

TEST_F(SolverLink, ATableWithLiveObjectsSaysSoWhenItGoes) {
  const std::int32_t k = solver("S", "libsolverabc.so abc 1");
  void* h = nullptr;
  ASSERT_TRUE(table->sccreate(k, h, libdir(), msg)) << msg.view();
  testing::internal::CaptureStdout();
  table.reset();
  q5rt::output().flush();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "*** Unload libraries with unfreed objects\n");
  EXPECT_EQ(calls(), "Initialize\nCreate\nFinalize\n");
  delete static_cast<int*>(h);  // the test library's object, left by the table
}

TEST_F(SolverLink, ModifyProblemIsLookedUpOnce) {
  const std::int32_t k = solver("S", libdir() + "/libsolverabc.so abc 1");
  EXPECT_TRUE(table->scgetmodprob(k));
  EXPECT_EQ(table->solvers.getrec(k).modprob, 1);
  const std::int32_t x = solver("X", libdir() + "/libsolverxyz.so xyz 2");
  EXPECT_FALSE(table->scgetmodprob(x));
  EXPECT_FALSE(table->scgetmodprob(0));
}

}  // namespace
