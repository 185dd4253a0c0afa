#include "frame/q5library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "frame/q5utils.h"
#include "frame/zlmlibname.h"
#include "support/testutil.h"

namespace {

std::string testlibpath() {
  q5rt::sstr file;
  zlmlibname::zolmlibnameq5(file, "q5test");
  return testutil::binary_dir() + "/standins/testlib/" + file.str();
}

TEST(Q5Library, LoadLookUpAndFree) {
  q5rt::sstr msg = q5rt::sstr::cut("stale");
  const q5library::libhandle h = q5library::q5loadlibrary(testlibpath(), msg);
  ASSERT_FALSE(q5library::q5libhandleisnil(h)) << msg.view();
  EXPECT_EQ(msg.view(), "");

  auto* answer = reinterpret_cast<int (*)(int)>(q5library::q5getprocaddress(h, "q5testlib_answer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(1), 43);
  auto* counter = static_cast<int*>(q5library::q5getprocaddress(h, "q5testlib_counter"));
  ASSERT_NE(counter, nullptr);
  EXPECT_EQ(*counter, 7);
  // The library's code is not the program's; this test's code is.
  EXPECT_FALSE(q5library::detail::inexecutable(reinterpret_cast<const void*>(answer)));
  EXPECT_TRUE(q5library::detail::inexecutable(reinterpret_cast<const void*>(&testlibpath)));

  // Names match exactly, and a failed lookup leaves no pending loader error.
  EXPECT_EQ(q5library::q5getprocaddress(h, "Q5TESTLIB_ANSWER"), nullptr);
  EXPECT_EQ(q5library::q5getprocaddress(h, "q5testlib_missing"), nullptr);
  EXPECT_EQ(::dlerror(), nullptr);

  EXPECT_TRUE(q5library::q5freelibrary(h));
}

TEST(Q5Library, NilHandleHoldsNothing) {
  const q5library::libhandle nil = q5library::q5nillibhandle();
  EXPECT_TRUE(q5library::q5libhandleisnil(nil));
  // Not the loader's search over everything loaded, where this symbol exists.
  EXPECT_EQ(q5library::q5getprocaddress(nil, "malloc"), nullptr);
  EXPECT_FALSE(q5library::q5freelibrary(nil));
}

// True when the loader still holds the library (RTLD_NOLOAD opens nothing new).
bool stillloaded(const std::string& path) {
  void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (h != nullptr) ::dlclose(h);
  return h != nullptr;
}

TEST(Q5Library, OwningHandleClosesOnceAndReleaseKeepsItLoaded) {
  const std::string path = testlibpath();
  q5rt::sstr msg;
  {
    q5library::library lib;
    EXPECT_FALSE(lib.loaded());
    ASSERT_TRUE(lib.load(path, msg)) << msg.view();
    EXPECT_NE(lib.entry("q5testlib_answer"), nullptr);
    EXPECT_EQ(lib.entry("Q5TESTLIB_ANSWER"), nullptr);
    // Lower case, as given, upper case: the lower-case export is found under any spelling.
    EXPECT_EQ(lib.entryanycase("Q5TestLib_Answer"), lib.entry("q5testlib_answer"));
    EXPECT_EQ(lib.entryanycase("q5testlib_missing"), nullptr);

    q5library::library moved(std::move(lib));
    EXPECT_FALSE(lib.loaded());  // NOLINT(bugprone-use-after-move): moved-from holds nothing
    EXPECT_TRUE(moved.loaded());
    EXPECT_TRUE(stillloaded(path));
  }
  EXPECT_FALSE(stillloaded(path)) << "the owner closes the library when it goes";

  q5library::library lib;
  ASSERT_TRUE(lib.load(path, msg));
  const q5library::libhandle kept = lib.release();
  EXPECT_FALSE(lib.loaded());
  EXPECT_FALSE(lib.close()) << "nothing held, nothing closed";
  EXPECT_TRUE(stillloaded(path)) << "a released library stays loaded";
  EXPECT_TRUE(q5library::q5freelibrary(kept));

  EXPECT_FALSE(lib.load("/nonexistent/libq5nothing.so", msg));
  EXPECT_FALSE(lib.loaded());
  EXPECT_NE(msg.view().find("No such file"), std::string_view::npos) << msg.view();
}

TEST(Q5Library, LoaderMessages) {
  const q5rt::sstr loader = q5rt::sstr::cut("libx.so: cannot open shared object file");
  EXPECT_EQ(q5library::loadfailure(loader, "/opt/libx.so").view(),
            "libx.so: cannot open shared object file (problem occurred when trying to load "
            "/opt/libx.so)");
  EXPECT_EQ(q5library::entrynotfoundmsg("XCreate", "/opt/libx.so").view(),
            "Entry not found: XCreate in /opt/libx.so");
  EXPECT_EQ(q5library::entrynotfoundmsg("e", std::string(300, 'p')).size(), 255u);
}

TEST(Q5Library, MissingFileGivesTheLoadersText) {
  struct row {
    std::string path;
    std::size_t length;  // 0: shorter than 255
    const char* why;
  };
  const row rows[] = {
      {"/nonexistent/libq5nothing.so", 0, "a path that does not exist"},
      {"libq5_no_such_library.so", 0, "a bare name the loader searches for"},
      {"/nonexistent/" + std::string(300, 'd') + "/libx.so", 255, "a text cut to 255 characters"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr msg;
    EXPECT_TRUE(q5library::q5libhandleisnil(q5library::q5loadlibrary(r.path, msg)));
    // The loader's own text, which names the file; the routine adds nothing.
    EXPECT_EQ(msg.view().substr(0, 20), std::string_view(r.path).substr(0, 20));
    if (r.length != 0) {
      EXPECT_EQ(msg.size(), r.length);
    } else {
      EXPECT_NE(msg.view().find("No such file"), std::string_view::npos) << msg.view();
    }
  }
  // Not a library at all.
  testutil::tempdir dir;
  testutil::write_file(dir.file("libbad.so"), "not an ELF file");
  q5rt::sstr msg;
  EXPECT_TRUE(q5library::q5libhandleisnil(q5library::q5loadlibrary(dir.file("libbad.so"), msg)));
  EXPECT_NE(msg.view().find("libbad.so"), std::string_view::npos) << msg.view();
}

TEST(Q5Library, PlatformFileNames) {
  struct row {
    const char* dir;
    const char* base;
    const char* name;
    const char* why;
  };
  constexpr row rows[] = {
      {"", "abc", "libabc.so", "no directory: the loader searches"},
      {"/opt/x", "abc", "/opt/x/libabc.so", "directory without delimiter"},
      {"/opt/x/", "abc", "/opt/x/libabc.so", "one trailing delimiter dropped"},
      {"/opt/x//", "abc", "/opt/x//libabc.so", "only one delimiter is dropped"},
      {"/", "abc", "/libabc.so", "the root directory"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr name;
    EXPECT_EQ(q5library::q5makelibname(name, r.dir, r.base).view(), r.name);
  }
  q5rt::shortstring<8> small;
  EXPECT_EQ(q5library::q5makelibname(small, "/opt/x", "abc").view(), "/opt/x/l");
  const std::string longdir(300, 'd');
  q5rt::sstr cut;
  EXPECT_EQ(q5library::q5makelibname(cut, longdir, "abc").size(), 255u);

  q5rt::sstr ext;
  q5rt::sstr prefix;
  EXPECT_EQ(q5library::q5libraryext(ext).view(), ".so");
  EXPECT_EQ(q5library::q5libraryprefix(prefix).view(), "lib");
  q5rt::shortstring<2> shortext;
  EXPECT_EQ(q5library::q5libraryext(shortext).view(), ".s");
}

TEST(Q5Library, ExecutableAndImagePaths) {
  const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
  q5rt::sstr name;
  q5rt::sstr msg = q5rt::sstr::cut("stale");
  EXPECT_EQ(q5library::xgetexecname(name, msg), exe.size() > 255 ? 1 : 0);
  EXPECT_EQ(name.view(), std::string_view(exe).substr(0, 255));
  EXPECT_EQ(msg.view(), "");

  // This code is linked into the test program, so its image is the executable.
  EXPECT_EQ(q5library::xgetlibname(name, msg), exe.size() > 255 ? 1 : 0);
  EXPECT_EQ(name.view(), std::string_view(std::filesystem::canonical(exe).string()).substr(0, 255));
  EXPECT_EQ(msg.view(), "");
}

TEST(Q5Library, RunningImageInTheProgram) {
  const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
  q5rt::sstr name = q5rt::sstr::cut("stale");
  q5rt::sstr msg;
  EXPECT_EQ(q5utils::q5getlibname(name, msg), 2);
  EXPECT_EQ(name.view(), "");
  EXPECT_EQ(msg.view(), "Not called from a library");
  EXPECT_EQ(q5utils::q5getexecname(name, msg), exe.size() > 255 ? 1 : 0);
  EXPECT_EQ(name.view(), std::string_view(exe).substr(0, 255));
  q5rt::sstr zero;
  EXPECT_EQ(q5utils::paramstrzero(zero).view(), exe.size() > 255 ? "" : exe);
}

TEST(Q5Library, ArgumentZeroFromTheCommandLine) {
  testutil::tempdir tmp;
  const std::string d = tmp.path().string();
  for (const char* sub : {"/bin", "/first", "/first/prog", "/noexec"})
    std::filesystem::create_directory(d + sub);
  testutil::write_file(d + "/bin/prog", "#!/bin/sh\n");
  ::chmod((d + "/bin/prog").c_str(), 0755);
  testutil::write_file(d + "/noexec/prog", "not executable");
  std::filesystem::create_symlink("prog", d + "/bin/lnk");
  std::filesystem::create_symlink(d + "/bin/prog", d + "/abslnk");
  const std::string prog = d + "/bin/prog";
  const std::string longword = "/" + std::string(254, 'l');
  struct row {
    std::string word;
    std::string cwd;
    std::string pathvar;
    std::string want;
    const char* why;
  };
  const row rows[] = {
      {"/abs/x", "/c", "", "/abs/x", "absolute: as it is"},
      {"./rel/x", "/c", "", "/c/rel/x", "leading ./ dropped, joined to the current folder"},
      {"rel/x", "/c/", "", "/c/rel/x", "a slash inside: joined to the current folder"},
      {"prog", "/c", d + "/first:" + d + "/noexec::" + d + "/bin", prog,
       "PATH: folders and non-executables skipped"},
      {"prog", d + "/bin", "/nonexistent:.", prog, "PATH: a dot is the current folder"},
      {"prog", d, "bin", prog, "PATH: a relative folder is below the current folder"},
      {"lnk", "/c", d + "/bin", prog, "a relative link is followed from its own folder"},
      {"abslnk", d, ".", prog, "an absolute link is followed"},
      {"missing", "/c", d + "/bin", "", "not found"},
      {"", "/c", d + "/bin", "", "no word"},
      {longword, "/c", "", "", "255 characters are too long"},
      {longword.substr(0, 254), "/c", "", longword.substr(0, 254), "254 characters are kept"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(q5library::detail::argzerofrom(r.word, r.cwd, r.pathvar), r.want);
  }
}

TEST(Q5Library, LongPathsAreCutWithResultOne) {
  struct row {
    std::size_t length;
    int result;
    const char* why;
  };
  constexpr row rows[] = {
      {1, 0, "short"},
      {255, 0, "exactly 255 characters"},
      {256, 1, "one too many: cut"},
      {4000, 1, "far too long: cut"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const std::string path = "/" + std::string(r.length - 1, 'p');
    q5rt::sstr name;
    EXPECT_EQ(q5library::detail::storepath(path, name), r.result);
    EXPECT_EQ(name.view(), std::string_view(path).substr(0, 255));
  }
}

}  // namespace
