// Extrinsic function libraries: the description read back and refused when damaged,
// locating and binding the test libraries, registration messages, calls with derivatives.
#include "funclib/libfuncs.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "frame/zlmstrm_buffered.h"
#include "standins/extfuncs/descwriter.h"
#include "support/extfunc_testutil.h"
#include "support/testutil.h"

namespace {

using extdesc::argument;
using extdesc::description;
using extdesc::function;
using extdesc::library;

function fn(const std::string& name, int nargs, int maxderiv = 2, bool used = true) {
  function f;
  f.name = name;
  f.maxderiv = maxderiv;
  f.used = used;
  for (int i = 0; i < nargs; ++i) f.args.push_back({1, "x" + std::to_string(i + 1)});
  return f;
}

library lib(const std::string& name, const std::string& file, bool used,
            std::vector<function> funcs, std::int32_t number = 1) {
  library l;
  l.name = name;
  l.file = file;
  l.used = used;
  l.funcs = std::move(funcs);
  l.number = number;
  return l;
}

// The demo library with the functions the calls below use, in this order.
library demo(const std::string& file = "extdemo") {
  library l;
  l.name = "demo";
  l.number = 7;
  l.file = file;
  l.funcs = {fn("mulxy", 2), fn("cubic", 1, 1), fn("expc", 2, 0), fn("hessorder", 3),
             fn("sqrtchk", 1)};
  l.funcs[2].args[0] = {0, "C"};
  return l;
}

struct readresult {
  bool ok;
  q5rt::sstr msg;
};

readresult readinto(libfuncs::tlibmanager& mgr, const std::string& path, int release = 250) {
  zlmstrm::tmibufferedstream in(path, zlmstrm::mode_read);
  readresult r{};
  r.ok = mgr.readdump(release, in, r.msg);
  return r;
}

class Libfuncs : public ::testing::Test {
 protected:
  void SetUp() override { extfunctest::messages().clear(); }
  std::string write(const description& d) {
    const std::string path = dir.file("desc.dat");
    EXPECT_EQ(extdesc::write(path, d), 0);
    return path;
  }
  // Reads and registers with initialisation.
  bool load(libfuncs::tlibmanager& mgr, const description& d, const std::string& init = "init") {
    mgr.setmsgcb(&extfunctest::collect);
    const readresult r = readinto(mgr, write(d));
    EXPECT_TRUE(r.ok) << r.msg.str();
    q5rt::sstr m;
    return mgr.registerlibraries(init, m, true);
  }
  testutil::tempdir dir;
};

// ---- the description file ----

TEST_F(Libfuncs, DescriptionReadsBackWithEveryFieldAndBothFlags) {
  description d;
  library l = demo();
  l.flag = true;
  l.funcs[0].flag = true;
  l.funcs[0].equnever = 1;
  l.funcs[0].smooth = 2;
  l.funcs[0].zeroripple = 1;
  l.funcs[0].minargs = 1;
  l.funcs[0].text = "x times y";
  d.libs = {l, lib("empty", "/a/b.so", false, {}, 9)};
  libfuncs::tlibmanager mgr;
  ASSERT_TRUE(readinto(mgr, write(d)).ok);
  ASSERT_EQ(mgr.librarycount(), 2);
  const libfuncs::tliblibrary& lib = *mgr.getlibobj(1);
  EXPECT_EQ(lib.name, "demo");
  EXPECT_EQ(lib.number, 7);
  EXPECT_EQ(lib.filename, "extdemo");
  EXPECT_TRUE(lib.used && lib.libflag);
  EXPECT_EQ(mgr.libraryfunctioncount(1), 5);
  const std::int32_t mulxy = libfuncs::packlibfuncnr(1, 1);
  EXPECT_EQ(mgr.funcname(mulxy).str(), "mulxy");
  EXPECT_EQ(mgr.functionexpltext(mulxy).str(), "x times y");
  EXPECT_TRUE(mgr.functionequnever(mulxy));
  EXPECT_TRUE(mgr.functionzeroripple(mulxy));
  EXPECT_EQ(mgr.functionsmooth(mulxy), 2);
  EXPECT_TRUE(mgr.getifuncobj(mulxy)->funcflag);
  q5rt::sstr name;
  std::int32_t mn = 0, n = 0, sm = 0, sum = 0, md = 0;
  bool eq = false, zr = false;
  mgr.functioninfo(libfuncs::packlibfuncnr(1, 3), name, mn, n, sm, sum, eq, zr, md);
  EXPECT_EQ(name.str(), "expc");
  EXPECT_EQ(n, 2);
  EXPECT_EQ(sum, 1);  // one constant, one variable argument
  EXPECT_EQ(md, 0);
  EXPECT_EQ(mgr.functionargtype(libfuncs::packlibfuncnr(1, 3), 1), 0);
  EXPECT_EQ(mgr.functionargname(libfuncs::packlibfuncnr(1, 3), 1).str(), "C");
  EXPECT_EQ(mgr.functionargtype(libfuncs::packlibfuncnr(1, 3), 3), 0);  // outside: constant
  EXPECT_EQ(mgr.libraryfilename(2).str(), "/a/b.so");
  EXPECT_EQ(mgr.libraryfunctioncount(2), 0);
  EXPECT_EQ(mgr.libraryindex("DEMO"), 1);
  EXPECT_EQ(mgr.functionindex(1, "HessOrder"), 4);
  EXPECT_EQ(mgr.getifuncobj(libfuncs::packlibfuncnr(1, 6)), nullptr);
  EXPECT_EQ(mgr.getifuncobj(libfuncs::packlibfuncnr(3, 1)), nullptr);
}

TEST_F(Libfuncs, WrittenDumpReadsBackTheSame) {
  description d;
  d.libs = {demo()};
  d.libs[0].funcs[1].flag = true;
  libfuncs::tlibmanager first;
  ASSERT_TRUE(readinto(first, write(d)).ok);
  const std::string again = dir.file("again.dat");
  {
    zlmstrm::tmibufferedstream out(again, zlmstrm::mode_create);
    first.writelibmgrsdump(out);
  }
  EXPECT_EQ(testutil::read_file(again), testutil::read_file(dir.file("desc.dat")));
}

TEST_F(Libfuncs, ReleaseUpTo240ReadsWithoutTheFlags) {
  description d;
  d.flags = false;
  d.libs = {demo()};
  libfuncs::tlibmanager mgr;
  const readresult r = readinto(mgr, write(d), 240);
  ASSERT_TRUE(r.ok) << r.msg.str();
  EXPECT_EQ(mgr.libraryfunctioncount(1), 5);
  EXPECT_EQ(mgr.funcname(libfuncs::packlibfuncnr(1, 5)).str(), "sqrtchk");
}

TEST_F(Libfuncs, BigEndianDescriptionIsReadSwapped) {
  // Hand-made bytes of a big-endian writer (the fuzz target's seed).
  libfuncs::tlibmanager mgr;
  const readresult r =
      readinto(mgr, testutil::source_dir() + "/tests/fuzz/corpus/extfuncdesc/bigendian");
  ASSERT_TRUE(r.ok) << r.msg.str();
  ASSERT_EQ(mgr.librarycount(), 1);
  EXPECT_EQ(mgr.getlibobj(1)->number, 1);
  EXPECT_TRUE(mgr.getlibobj(1)->libflag);
  const std::int32_t f = libfuncs::packlibfuncnr(1, 1);
  EXPECT_EQ(mgr.funcname(f).str(), "mulxy");
  EXPECT_EQ(mgr.functionmaxderiv(f), 2);
  EXPECT_EQ(mgr.getifuncobj(f)->minargs, 2);
  EXPECT_EQ(mgr.functionargtype(f, 1), 0);
  EXPECT_EQ(mgr.functionargname(f, 2).str(), "x1");
}

TEST_F(Libfuncs, EmptyDescriptionRegistersNothing) {
  libfuncs::tlibmanager mgr;
  EXPECT_TRUE(load(mgr, description{}));
  EXPECT_EQ(mgr.librarycount(), 0);
  EXPECT_TRUE(extfunctest::messages().empty());
}

TEST_F(Libfuncs, DamagedDescriptionsAreRefusedWithTheReason) {
  struct row {
    void (*damage)(description&);
    const char* message;
    const char* why;
  };
  const row rows[] = {
      {[](description& d) { d.mark = 3; }, "mark 3 where 2 belongs", "file mark"},
      {[](description& d) { d.libs[0].funcs[1].mark = 76; },
       "function mark 76 where 77 belongs (function cubic)", "function mark"},
      {[](description& d) { d.nlibs = -5; }, "library count -5 outside 0..65535", "negative count"},
      {[](description& d) { d.nlibs = 65536; }, "library count 65536 outside 0..65535",
       "beyond 16 bits"},
      {[](description& d) { d.nlibs = 60000; }, "data end before library name",
       "a count above the data: the read stops where the data end"},
      {[](description& d) { d.libs[0].nfuncs = 70000; },
       "function count 70000 outside 0..65535 (library demo)", "function count"},
      {[](description& d) { d.libs[0].funcs[0].nargs = 21; },
       "argument count 21 outside 0..20 (function mulxy)", "more than 20 arguments"},
      {[](description& d) { d.libs[0].funcs[0].nargs = -2; },
       "argument count -2 outside 0..20 (function mulxy)", "negative argument count"},
      {[](description& d) { d.libs[0].funcs[0].maxderiv = 3; },
       "maximum derivative level 3 outside 0..2 (function mulxy)", "derivative level"},
      {[](description& d) { d.libs[0].funcs[0].minargs = 3; },
       "minimum arguments 3 outside 0..2 (function mulxy)", "minimum above the count"},
      {[](description& d) { d.libs[0].funcs[0].nargs = 3; }, "",
       "count above its list: the next item is misread and caught"},
      {[](description& d) { d.cutat = 17 + 4; }, "data end before library count",
       "cut after the mark"},
      {[](description& d) { d.cutat = 17 + 8 + 3; }, "data end before library name",
       "cut inside a text"},
      {[](description& d) { d.cutat = 17 + 2; }, "data end before mark", "cut inside the mark"},
      {[](description& d) { d.cutat = 5; }, "byte-order header not understood",
       "cut inside the header"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    description d;
    d.libs = {demo()};
    r.damage(d);
    libfuncs::tlibmanager mgr;
    const readresult res = readinto(mgr, write(d));
    EXPECT_FALSE(res.ok);
    EXPECT_NE(res.msg.str().find(r.message), std::string::npos) << res.msg.str();
  }
}

TEST_F(Libfuncs, DamagedDescriptionLoadsNoLibrary) {
  const extfunctest::datahome home;
  home.install("extdemo");
  const extfunctest::trace tr;
  description d;
  d.libs = {demo(), demo()};
  d.libs[1].funcs[0].mark = 0;
  libfuncs::tlibmanager mgr;
  q5rt::sstr msg;
  zlmstrm::tmibufferedstream in(write(d), zlmstrm::mode_read);
  EXPECT_FALSE(mgr.readlibmgrsdump(250, "init", in, msg));
  EXPECT_EQ(msg.str(), "function mark 0 where 77 belongs (function mulxy)");
  EXPECT_EQ(mgr.librarycount(), 2);  // what was read stays, unregistered
  EXPECT_FALSE(mgr.getlibobj(1)->registered);
  EXPECT_EQ(tr.text(), "");
}

// ---- locating and binding ----

TEST_F(Libfuncs, LibraryFromTheDataLocationIsCreatedInitialisedAndBound) {
  const extfunctest::datahome home;
  home.install("extdemo");
  const extfunctest::trace tr;
  description d;
  d.libs = {demo()};
  d.libs[0].funcs[4].used = false;
  {
    libfuncs::tlibmanager mgr;
    EXPECT_TRUE(load(mgr, d, "/sys/dir/name"));
    EXPECT_TRUE(mgr.getlibobj(1)->registered);
    EXPECT_TRUE(mgr.callable(libfuncs::packlibfuncnr(1, 1)));
    EXPECT_FALSE(mgr.callable(libfuncs::packlibfuncnr(1, 5)));  // unused: not bound
    EXPECT_EQ(tr.text(), "XCreate\nLibInit 7 /sys/dir/name\n");
  }
  EXPECT_EQ(tr.text(), "XCreate\nLibInit 7 /sys/dir/name\nXFree\n");
  EXPECT_TRUE(extfunctest::messages().empty());
}

TEST_F(Libfuncs, LibraryIsFoundInTheCurrentDirectoryAndByItsPath) {
  const extfunctest::datahome home;  // holds nothing
  const testutil::tempdir cwd;
  std::filesystem::create_directories(cwd.path() / "extrinsic_functions");
  std::filesystem::copy_file(extfunctest::libdir() + "/libextdemo64.so",
                             cwd.path() / "extrinsic_functions" / "libextdemo64.so");
  const std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::current_path(cwd.path());
  description d;
  d.libs = {demo(), demo(extfunctest::libdir() + "/libextupper64.so")};
  d.libs[1].name = "bypath";
  d.libs[1].funcs = {fn("twice", 1)};
  libfuncs::tlibmanager mgr;
  const bool ok = load(mgr, d);
  std::filesystem::current_path(old);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(extfunctest::messages().empty()) << extfunctest::messages().front();
  EXPECT_TRUE(mgr.callable(libfuncs::packlibfuncnr(1, 4)));
  EXPECT_TRUE(mgr.callable(libfuncs::packlibfuncnr(2, 1)));
}

TEST_F(Libfuncs, RegistrationMessagesAndWhatSurvivesThem) {
  struct row {
    std::vector<library> libs;
    bool result;
    std::vector<std::string> messages;
    std::vector<bool> registered;
    const char* why;
  };
  const std::string notfound =
      "libnosuch64.so: cannot open shared object file: No such file or "
      "directory (problem occurred when trying to load libnosuch64.so)";
  const row rows[] = {
      {{lib("gone", "nosuch", false, {}), lib("demo", "extdemo", true, {fn("mulxy", 2)})},
       true,
       {"W:" + notfound},
       {false, true},
       "unused missing library: one warning, the next one registered"},
      {{lib("gone", "nosuch", true, {}), lib("demo", "extdemo", true, {fn("mulxy", 2)})},
       false,
       {"E:" + notfound},
       {false, false},
       "used missing library: one error, the rest not loaded"},
      {{lib("demo", "extdemo", true, {fn("nosuch", 1), fn("mulxy", 2)}),
        lib("up", "extupper", true, {fn("twice", 1)})},
       true,
       {"E:Entry not found: nosuch in libextdemo.so"},
       {true, true},
       "missing function entry: one error, the next library still registered"},
      {{lib("up", "extupper", true, {fn("twice", 1), fn("half", 1)})},
       false,
       {"E:Entry not found: half in libextupper.so"},
       {true},
       "upper-case entries found, a mixed-case one only by its own spelling"},
      {{lib("noinit", "extnoinit", false, {fn("mulxy", 2)}),
        lib("demo", "extdemo", true, {fn("mulxy", 2)})},
       true,
       {"W:Entry not found: LibInit in libextnoinit.so"},
       {false, true},
       "library without LibInit, unused"},
  };
  const extfunctest::datahome home;
  for (const char* base : {"extdemo", "extupper", "extnoinit"}) home.install(base);
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    extfunctest::messages().clear();
    description d;
    d.libs = r.libs;
    libfuncs::tlibmanager mgr;
    EXPECT_EQ(load(mgr, d), r.result);
    EXPECT_EQ(extfunctest::messages(), r.messages);
    for (std::size_t i = 0; i < r.registered.size(); ++i)
      EXPECT_EQ(mgr.getlibobj(static_cast<std::int32_t>(i + 1))->registered, r.registered[i]) << i;
  }
}

TEST_F(Libfuncs, FailedRegistrationIsFinalAndRepeatsItsMessage) {
  const extfunctest::datahome home;
  home.install("extnoinit");
  description d;
  d.libs = {lib("noinit", "extnoinit", true, {fn("mulxy", 2)})};
  libfuncs::tlibmanager mgr;
  EXPECT_FALSE(load(mgr, d));
  q5rt::sstr m;
  EXPECT_FALSE(mgr.checklibraryloaded(1, m));
  EXPECT_EQ(m.str(), "Entry not found: LibInit in libextnoinit.so");
  EXPECT_EQ(mgr.getlibobj(1)->handle.get(), nullptr);
  EXPECT_FALSE(mgr.callable(libfuncs::packlibfuncnr(1, 1)));
}

TEST_F(Libfuncs, RefusedInitialisationReportsTheLibrarysText) {
  const extfunctest::datahome home;
  home.install("extdemo");
  for (const bool used : {true, false}) {
    SCOPED_TRACE(used ? "used: registration ends" : "unused: binding goes on");
    extfunctest::messages().clear();
    description d;
    d.libs = {lib("demo", "extdemo", used, {fn("mulxy", 2)})};
    libfuncs::tlibmanager mgr;
    EXPECT_EQ(load(mgr, d, "please refuse"), !used);
    EXPECT_EQ(extfunctest::messages(),
              std::vector<std::string>{(used ? "E:" : "W:") +
                                       std::string("extfuncs: initialisation refused")});
    EXPECT_EQ(mgr.callable(libfuncs::packlibfuncnr(1, 1)), !used);
  }
}

TEST_F(Libfuncs, LoadFunctionBindsOneEntryAndMarksItUsed) {
  const extfunctest::datahome home;
  home.install("extdemo");
  description d;
  d.libs = {demo()};
  for (auto& f : d.libs[0].funcs) f.used = false;
  libfuncs::tlibmanager mgr;
  ASSERT_TRUE(load(mgr, d));
  EXPECT_EQ(mgr.loadfunction(1, "CUBIC"), 2);
  EXPECT_TRUE(mgr.callable(libfuncs::packlibfuncnr(1, 2)));
  EXPECT_TRUE(mgr.getifuncobj(libfuncs::packlibfuncnr(1, 2))->used);
  EXPECT_EQ(mgr.loadfunction(1, "absent"), -1);
}

// ---- calls ----

class LibfuncsCall : public Libfuncs {
 protected:
  void SetUp() override {
    Libfuncs::SetUp();
    home.install("extdemo");
    description d;
    d.libs = {demo()};
    ASSERT_TRUE(load(mgr, d));
    ctvnew::mathnewrecinit(rec);
    rec.logerror = &recordlog;
    rec.usermem = this;
  }
  static int recordlog(int rc, int ec, const q5rt::sstr& msg, void* usermem) {
    static_cast<LibfuncsCall*>(usermem)->logged =
        std::to_string(rc) + "/" + std::to_string(ec) + " " + msg.str();
    return 9;
  }
  std::int32_t call(int fpos, int level, int nargs, const double* x) {
    rec.level = level;
    rec.nargs = nargs;
    return mgr.extfunceval(rec, libfuncs::packlibfuncnr(1, fpos), x);
  }
  extfunctest::datahome home;
  libfuncs::tlibmanager mgr;
  ctvnew::tmathnewrec rec{};
  std::string logged;
};

TEST_F(LibfuncsCall, ValuesAndDerivativesAtEachLevel) {
  const double x[] = {3.0, 5.0};
  EXPECT_EQ(call(1, 2, 2, x), 0);
  EXPECT_EQ(rec.f, 15.0);
  EXPECT_EQ(rec.g[0], 5.0);
  EXPECT_EQ(rec.g[1], 3.0);
  EXPECT_EQ(rec.h[0][0], 0.0);
  EXPECT_EQ(rec.h[0][1], 1.0);
  EXPECT_EQ(rec.h[1][0], 1.0);
  EXPECT_EQ(rec.level, 2);
}

TEST_F(LibfuncsCall, HessianLandsRowByRow) {
  const double x[] = {0, 0, 0};
  rec.h[0][3] = -1;  // beyond n: untouched
  EXPECT_EQ(call(4, 2, 3, x), 0);
  EXPECT_EQ(rec.f, 3 + 700);  // n, and the library number LibInit got
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(rec.h[i][j], 3 * i + j + 1) << i << "," << j;
  EXPECT_EQ(rec.h[0][3], -1);
  EXPECT_EQ(rec.g[2], 3);
}

TEST_F(LibfuncsCall, LevelIsLoweredToTheFunctionsMaximum) {
  const double x[] = {2.0};
  rec.h[0][0] = -7;
  EXPECT_EQ(call(2, 2, 1, x), 0);  // cubic computes up to the gradient
  EXPECT_EQ(rec.level, 1);
  EXPECT_EQ(rec.f, 8.0);
  EXPECT_EQ(rec.g[0], 12.0);
  EXPECT_EQ(rec.h[0][0], -7);  // not copied
}

TEST_F(LibfuncsCall, ValueAndGradientAreClearedBeforeEachCall) {
  const double x[] = {1.0, 0.0};
  rec.f = 99;
  rec.g[0] = rec.g[1] = 99;
  EXPECT_EQ(call(3, 1, 2, x), 0);  // expc writes only its value, at level 0
  EXPECT_EQ(rec.level, 0);
  EXPECT_EQ(rec.f, 1.0);
  EXPECT_EQ(rec.g[0], 99);  // level 0: the gradient is not touched
  const double y[] = {0, 0, 0};
  rec.g[0] = rec.g[1] = 99;
  rec.f = 99;
  EXPECT_EQ(call(2, 1, 1, y), 0);
  EXPECT_EQ(rec.g[0], 0.0);
  EXPECT_EQ(rec.f, 0.0);
}

TEST_F(LibfuncsCall, LibraryErrorsGoToTheRecordsCallback) {
  const double x[] = {-1.0};
  rec.ec = rec.rc = 3;
  EXPECT_EQ(call(5, 0, 1, x), 9);  // the callback's answer
  EXPECT_EQ(logged, "1/1 sqrtchk: negative argument");
  EXPECT_EQ(rec.ec, 0);
  EXPECT_EQ(rec.rc, 0);
}

// ---- text descriptions and query registration ----

namespace textpath {

constexpr std::string_view demo1 =
    "ZOLMHDR001\n"
    "2 4\n"
    "  extdemo  \n"
    "demo functions\n"
    "credit line\n"
    "3\n"
    "  mulxy and more words\n"
    "x times y\n"
    "2 0 1 2\n"
    "1 2\n"
    "1 0\n"
    "cubic\n"
    "cube\n"
    "0 1 0 1\n"
    "1 1\n"
    "1\n"
    "   \n";

TEST_F(Libfuncs, TextDescriptionIsReadIntoTheLibrary) {
  libfuncs::tlibmanager mgr;
  std::int32_t pos = 0;
  ASSERT_EQ(mgr.readlibrary(demo1, pos, "demo", ""), 0);
  EXPECT_EQ(pos, 1);
  const libfuncs::tliblibrary& lib = *mgr.getlibobj(1);
  EXPECT_EQ(lib.kind, 1);
  EXPECT_EQ(lib.number, 4);
  EXPECT_EQ(lib.filename, "extdemo");
  EXPECT_EQ(mgr.librarydescription(1).str(), "demo functions");
  EXPECT_EQ(mgr.librarycredit(1).str(), "credit line");
  ASSERT_EQ(mgr.libraryfunctioncount(1), 2);  // the empty third name ends the list
  const std::int32_t mulxy = libfuncs::packlibfuncnr(1, 1), cubic = libfuncs::packlibfuncnr(1, 2);
  EXPECT_EQ(mgr.funcname(mulxy).str(), "mulxy");
  EXPECT_EQ(mgr.functionexpltext(mulxy).str(), "x times y");
  EXPECT_EQ(mgr.functionsmooth(mulxy), 2);
  EXPECT_TRUE(mgr.functionzeroripple(mulxy));
  EXPECT_EQ(mgr.functionargtype(mulxy, 2), 0);
  EXPECT_EQ(mgr.functionargname(mulxy, 1).str(), "x");
  EXPECT_TRUE(mgr.functionequnever(cubic));
  EXPECT_EQ(mgr.functionmaxderiv(cubic), 1);
}

TEST_F(Libfuncs, TextDescriptionCodes) {
  struct row {
    std::string text;
    std::string filename;
    std::int32_t code;
    std::int32_t libraries;
    const char* why;
  };
  const row rows[] = {
      {"ZORORER000\n", "", 427, 1, "refused header: entered, then refused"},
      {"ZOLMHDR9\n", "", 427, 0, "unknown header"},
      {"", "", 427, 0, "no header line"},
      {"ZOLMHDR001\n3 1\n", "", 783, 1, "format above 2"},
      {"ZOLMHDR001\n1 1\nf\nd\nc\n2\nmulxy\nt\n0 0 0\n0 0\nmulxy\nt\n0 0 0\n0 0\n", "", 916, 1,
       "a function name twice"},
      {"ZOLMHDR001\n1 1\nf\nd\nc\n1\nmulxy\nt\n0 0 0\n0 0\n", "", 0, 1,
       "format 1: no derivative level on the line"},
      {"ZOLMHDR001\n2 1\nf\nd\nc\n1\nmany\nt\n0 0 0 2\n0 21\n", "", 427, 1,
       "more than 20 arguments"},
      {"ZOLMHDR001\n2 1\nf\nd\nc\n1\nfn\nt\n0 0 0 2\n0 3\n1 1\n", "", 427, 1,
       "fewer argument types than arguments"},
      {"ZOLMHDR001\n2 1\nf\nd\nc\n1\nfn\nt\n0 0 x 2\n", "", 427, 1, "not a number"},
      {"ZOLMHDR001\n2 1\nf\nd\nc\n2\nfn\nt\n0 0 0 2\n0 0\n", "", 427, 1,
       "the text ends before the count of functions"},
      {"ZOLMHDR002\n  extquery \n", "", 0, 1, "kind 2: the file line only"},
      {"ignored", "given", 0, 1, "file named by the caller: kind 2, nothing read"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    libfuncs::tlibmanager mgr;
    std::int32_t pos = 0;
    EXPECT_EQ(mgr.readlibrary(r.text, pos, "lib", r.filename), r.code);
    EXPECT_EQ(mgr.librarycount(), r.libraries);
  }
  libfuncs::tlibmanager mgr;
  std::int32_t pos = 0;
  ASSERT_EQ(mgr.readlibrary(demo1, pos, "demo", ""), 0);
  EXPECT_EQ(mgr.readlibrary("", pos, "DEMO", "extquery"), 420);  // known with kind 1
  EXPECT_EQ(mgr.readlibrary(demo1, pos, "Demo", ""), 0);         // known, same kind
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(mgr.librarycount(), 1);
}

TEST_F(Libfuncs, TextDescribedLibraryIsInitialisedAndItsFunctionsBoundOnDemand) {
  const extfunctest::datahome home;
  home.install("extdemo");
  const extfunctest::trace tr;
  libfuncs::tlibmanager mgr;
  mgr.setmsgcb(&extfunctest::collect);
  EXPECT_EQ(mgr.initlibrary(demo1, "demo", "", "text init"), 0);
  EXPECT_EQ(tr.text(), "XCreate\nLibInit 4 text init\n");
  EXPECT_EQ(mgr.loadfunction(1, "mulxy"), 1);
  ctvnew::tmathnewrec rec{};
  ctvnew::mathnewrecinit(rec);
  rec.level = 1;
  rec.nargs = 2;
  const double x[] = {2, 3};
  EXPECT_EQ(mgr.extfunceval(rec, libfuncs::packlibfuncnr(1, 1), x), 0);
  EXPECT_EQ(rec.f, 6);
  EXPECT_EQ(mgr.initlibrary(demo1, "refusing", "", "refuse"), libfuncs::code_initfailed);
  EXPECT_EQ(extfunctest::messages(),
            std::vector<std::string>{"E:extfuncs: initialisation refused"});
}

TEST_F(Libfuncs, QueryRegistrationInBothStyles) {
  const extfunctest::datahome home;
  for (const char* base : {"extquery", "extqueryf"}) {
    SCOPED_TRACE(base);
    home.install(base);
    libfuncs::tlibmanager mgr;
    ASSERT_EQ(mgr.initlibrary("", "q", base, "init"), 0);
    const libfuncs::tliblibrary& lib = *mgr.getlibobj(1);
    EXPECT_EQ(lib.fortranstyle, std::string(base) == "extqueryf");
    EXPECT_EQ(lib.number, 5);
    EXPECT_TRUE(lib.libflag);
    EXPECT_EQ(mgr.librarycredit(1).str(), "extfuncs query credit");
    EXPECT_EQ(mgr.librarydescription(1).str(), "functions described by queries");
    ASSERT_EQ(mgr.libraryfunctioncount(1), 2);
    const std::int32_t addxy = libfuncs::packlibfuncnr(1, 1), negx = libfuncs::packlibfuncnr(1, 2);
    EXPECT_EQ(mgr.funcname(addxy).str(), "addxy");
    EXPECT_EQ(mgr.functionexpltext(negx).str(), "minus x");
    EXPECT_EQ(mgr.functionargname(addxy, 2).str(), "b");
    EXPECT_EQ(mgr.functionargtype(addxy, 2), 0);
    EXPECT_EQ(mgr.functionmaxderiv(negx), 1);
    EXPECT_EQ(mgr.functionsmooth(negx), 1);
    EXPECT_EQ(mgr.loadfunction(1, "negx"), 2);
    ctvnew::tmathnewrec rec{};
    ctvnew::mathnewrecinit(rec);
    rec.level = 2;
    rec.nargs = 1;
    const double x[] = {4};
    EXPECT_EQ(mgr.extfunceval(rec, negx, x), 0);
    EXPECT_EQ(rec.f, -4);
    EXPECT_EQ(rec.g[0], -1);
    EXPECT_EQ(rec.level, 1);
  }
}

TEST_F(Libfuncs, QueryAnswersThatCannotBeReadFailTheRegistration) {
  struct row {
    const char* fault;
    const char* message;
    const char* why;
  };
  constexpr row rows[] = {
      {"format", "E:Library version is more recent than can be read", "format 3"},
      {"duplicate", "E:Duplicate function addxy in library q", "a name twice"},
      {"unanswered", "E:Error loading function from library q function negx",
       "a property not answered"},
  };
  const extfunctest::datahome home;
  home.install("extquery");
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const extfunctest::envvar fault("EXTFUNCS_QUERY_FAULT", r.fault);
    extfunctest::messages().clear();
    libfuncs::tlibmanager mgr;
    mgr.setmsgcb(&extfunctest::collect);
    EXPECT_EQ(mgr.initlibrary("", "q", "extquery", "init"), libfuncs::code_initfailed);
    EXPECT_EQ(extfunctest::messages(), std::vector<std::string>{r.message});
    EXPECT_FALSE(mgr.getlibobj(1)->registered);
  }
}

}  // namespace textpath

}  // namespace
