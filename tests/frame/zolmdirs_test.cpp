// Standard locations on a platform of the test's own making (variables, executable path,
// Linux or macOS), and one search on the real platform.
#include "frame/zolmdirs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/testutil.h"

namespace {

using q5utils::detail::locationplatform;

struct fakeplatform {
  std::map<std::string, std::string, std::less<>> env;
  std::string exe;  // empty: the system gives no path
  bool macos = false;

  locationplatform view() const {
    locationplatform p;
    p.macos = macos;
    p.getenv = [this](std::string_view name, std::string& value) {
      const auto it = env.find(name);
      if (it == env.end()) return false;
      value = it->second;
      return true;
    };
    p.execname = [this](q5rt::sstr& path) {
      path = q5rt::sstr::cut(exe);
      return !exe.empty();
    };
    return p;
  }
};

std::string joined(int count, const auto& list) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    if (i > 0) out += " | ";
    out += list[static_cast<std::size_t>(i)].str();
  }
  return out;
}

TEST(Zolmdirs, WritableLocations) {
  struct row {
    bool macos;
    std::map<std::string, std::string, std::less<>> env;
    std::uint8_t kind;
    bool ok;
    const char* path;
    const char* why;
  };
  const std::string longvalue(256, 'x');
  const std::string home245 = "/" + std::string(244, 'h');
  const row rows[] = {
      {false, {{"HOME", "/home/u"}}, 0, true, "/home/u/.config", "kind 0 without XDG"},
      {false, {{"HOME", "/home/u"}}, 1, true, "/home/u/.config/ZOLM", "kind 1 adds the name"},
      {false, {{"HOME", "/home/u"}}, 3, true, "/home/u/.local/share/ZOLM", "data"},
      {false, {{"HOME", "/home/u"}}, 5, true, "/home/u/Documents", "documents"},
      {false, {{"HOME", "/home/u"}}, 6, false, "", "an unknown kind"},
      {false,
       {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/cfg"}},
       1,
       true,
       "/cfg",
       "XDG_CONFIG_HOME is the whole location"},
      {false,
       {{"HOME", "/home/u"}, {"XDG_DATA_HOME", "/d"}},
       2,
       true,
       "/d",
       "XDG_DATA_HOME is the whole location"},
      {false,
       {{"HOME", "/home/u"}, {"XDG_DATA_HOME", ""}},
       4,
       true,
       "/home/u/.local/share/ZOLM",
       "an empty variable counts as unset"},
      {false,
       {{"HOME", "/home/u"}, {"XDG_DATA_HOME", longvalue}},
       3,
       false,
       "",
       "a value longer than 255 characters gives false, not the fallback"},
      {false, {}, 3, false, "", "HOME unset"},
      {false, {{"HOME", ""}}, 1, false, "", "HOME empty"},
      {false, {{"HOME", home245}}, 5, true, "", "HOME + /Documents: exactly 255 characters"},
      {false, {{"HOME", home245}}, 3, false, "", "HOME + suffixes would reach 256 characters"},
      {true, {{"HOME", "/Users/u"}}, 0, true, "/Users/u/Library/Preferences", "macOS kind 0"},
      {true,
       {{"HOME", "/Users/u"}, {"XDG_CONFIG_HOME", "/cfg"}},
       1,
       true,
       "/Users/u/Library/Preferences/ZOLM",
       "macOS ignores the XDG variables"},
      {true,
       {{"HOME", "/Users/u"}},
       2,
       true,
       "/Users/u/Library/Application Support/ZOLM",
       "macOS data"},
      {true, {{"HOME", "/Users/u"}}, 5, true, "/Users/u/Documents", "macOS documents"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    fakeplatform f{r.env, "", r.macos};
    q5rt::sstr path = q5rt::sstr::cut("stale");
    EXPECT_EQ(q5utils::detail::q5writablelocation(f.view(), r.kind, "ZOLM", path), r.ok);
    if (std::string_view(r.path).empty() && r.ok)
      EXPECT_EQ(path.view(), home245 + "/Documents");
    else
      EXPECT_EQ(path.view(), r.path);
  }
  // No application name: no suffix.
  fakeplatform f{{{"HOME", "/home/u"}}, "", false};
  q5rt::sstr path;
  EXPECT_TRUE(q5utils::detail::q5writablelocation(f.view(), 1, "", path));
  EXPECT_EQ(path.view(), "/home/u/.config");
}

TEST(Zolmdirs, StandardLocations) {
  struct row {
    bool macos;
    std::map<std::string, std::string, std::less<>> env;
    std::string exe;
    std::uint8_t kind;
    bool ok;
    const char* list;
    int errors;
    const char* why;
  };
  const std::string nine = "/c1:/c2:/c3:/c4:/c5:/c6:/c7:/c8:/c9";
  const std::string huge(1024, 'a');
  const std::string longentry = "/" + std::string(251, 'e');
  const row rows[] = {
      {false,
       {{"HOME", "/home/u"}},
       "",
       3,
       true,
       "/home/u/.local/share/ZOLM | /usr/local/share/ZOLM | /usr/share/ZOLM",
       0,
       "data defaults"},
      {false,
       {{"HOME", "/home/u"}, {"XDG_DATA_DIRS", "/a/:/b::/c"}},
       "",
       3,
       true,
       "/home/u/.local/share/ZOLM | /a/ZOLM | /b/ZOLM | /c/ZOLM",
       0,
       "a trailing slash dropped, an empty entry skipped"},
      {false,
       {{"HOME", "/home/u"}, {"XDG_DATA_DIRS", "/:/x//"}},
       "",
       2,
       true,
       "/home/u/.local/share/ZOLM | //ZOLM | /x//ZOLM",
       0,
       "the root keeps its slash; only one trailing slash goes"},
      {false,
       {{"HOME", "/home/u"}},
       "",
       0,
       true,
       "/home/u/.config | /etc/xdg",
       0,
       "kind 0: no application folder"},
      {false,
       {{"HOME", "/home/u"}, {"XDG_CONFIG_DIRS", "/x:/y/"}},
       "",
       1,
       true,
       "/home/u/.config/ZOLM | /x/ZOLM | /y//ZOLM",
       0,
       "configuration entries keep their slash"},
      {false,
       {{"HOME", "/home/u"}, {"XDG_CONFIG_DIRS", nine}},
       "",
       1,
       true,
       "/home/u/.config/ZOLM | /c1/ZOLM | /c2/ZOLM | /c3/ZOLM | /c4/ZOLM | /c5/ZOLM | /c6/ZOLM | "
       "/c7/ZOLM",
       2,
       "nine entries: seven fit after the writable one"},
      {false,
       {{"HOME", "/home/u"}, {"XDG_DATA_DIRS", huge}},
       "",
       3,
       true,
       "/home/u/.local/share/ZOLM",
       1,
       "a variable above 1023 characters: no defaults either"},
      {false,
       {{"HOME", "/home/u"}, {"XDG_DATA_DIRS", longentry + ":/ok"}},
       "",
       3,
       true,
       "/home/u/.local/share/ZOLM | /ok/ZOLM",
       1,
       "an entry whose path would reach 256"},
      {false,
       {},
       "",
       3,
       false,
       "/usr/local/share/ZOLM | /usr/share/ZOLM",
       0,
       "HOME unset: the system-wide entries only"},
      {false,
       {{"HOME", "/home/u"}},
       "",
       5,
       true,
       "/home/u/Documents",
       0,
       "documents: the writable location alone"},
      {true,
       {{"HOME", "/Users/u"}},
       "/Applications/Z.app/Contents/MacOS/baronlink",
       3,
       true,
       "/Users/u/Library/Application Support/ZOLM | /Library/Application Support/ZOLM | "
       "/Applications/Z.app/Contents/Resources",
       0,
       "macOS: the bundle's resources last"},
      {true,
       {{"HOME", "/Users/u"}},
       "",
       3,
       true,
       "/Users/u/Library/Application Support/ZOLM | /Library/Application Support/ZOLM",
       1,
       "macOS without the executable's path"},
      {true,
       {{"HOME", "/Users/u"}},
       "/bin/baronlink",
       3,
       true,
       "/Users/u/Library/Application Support/ZOLM | /Library/Application Support/ZOLM",
       0,
       "macOS: a directory just below the root has no parent to use"},
      {true,
       {{"HOME", "/Users/u"}, {"XDG_CONFIG_DIRS", "/x"}},
       "/a/b/c",
       1,
       true,
       "/Users/u/Library/Preferences/ZOLM",
       0,
       "macOS configuration adds nothing"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    fakeplatform f{r.env, r.exe, r.macos};
    int count = -1, errors = -1;
    q5utils::standardlocationlist list;
    EXPECT_EQ(q5utils::detail::q5standardlocations(f.view(), r.kind, "ZOLM", count, list, errors),
              r.ok);
    EXPECT_EQ(joined(count, list), r.list);
    EXPECT_EQ(errors, r.errors);
  }
}

TEST(Zolmdirs, ConfigurationAndDataLists) {
  struct row {
    std::map<std::string, std::string, std::less<>> env;
    std::string sysdir;
    bool configok, dataok;
    const char* config;
    const char* data;
    const char* why;
  };
  const row rows[] = {
      {{{"HOME", "/home/u"}},
       "/opt/z/",
       true,
       true,
       "/opt/z | /etc/xdg/ZOLM | /home/u/.config/ZOLM",
       "/home/u/.local/share/ZOLM | /usr/local/share/ZOLM | /usr/share/ZOLM | /opt/z",
       "no XDG variables"},
      {{{"HOME", "/home/u"}, {"XDG_DATA_DIRS", "/usr/share"}, {"XDG_CONFIG_DIRS", "/opt/z"}},
       "/usr/share/ZOLM/",
       true,
       true,
       "/usr/share/ZOLM | /opt/z/ZOLM | /home/u/.config/ZOLM",
       "/home/u/.local/share/ZOLM | /usr/share/ZOLM",
       "a system directory equal to a standard location is listed once, at its own place"},
      {{},
       "/opt/z",
       false,
       false,
       "/opt/z | /etc/xdg/ZOLM",
       "/usr/local/share/ZOLM | /usr/share/ZOLM | /opt/z",
       "HOME unset: false"},
      {{{"HOME", "/home/u"}, {"XDG_CONFIG_DIRS", "/1:/2:/3:/4:/5:/6:/7:/8:/9"}},
       "/s",
       false,
       true,
       "/s | /7/ZOLM | /6/ZOLM | /5/ZOLM | /4/ZOLM | /3/ZOLM | /2/ZOLM | /1/ZOLM | "
       "/home/u/.config/ZOLM",
       "/home/u/.local/share/ZOLM | /usr/local/share/ZOLM | /usr/share/ZOLM | /s",
       "entries left out make the configuration list false"},
      {{{"HOME", "/home/u"}},
       "",
       true,
       true,
       "/etc/xdg/ZOLM | /home/u/.config/ZOLM",
       "/home/u/.local/share/ZOLM | /usr/local/share/ZOLM | /usr/share/ZOLM",
       "no system directory: no entry for it (never the root)"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    fakeplatform f{r.env, "", false};
    int count = 0;
    zolmdirs::locationlist list;
    EXPECT_EQ(zolmdirs::detail::zlmconfiglocations(f.view(), count, list, r.sysdir), r.configok);
    EXPECT_EQ(joined(count, list), r.config);
    EXPECT_EQ(zolmdirs::detail::zlmdatalocations(f.view(), count, list, r.sysdir), r.dataok);
    EXPECT_EQ(joined(count, list), r.data);
  }
}

TEST(Zolmdirs, FindDataFile) {
  testutil::tempdir dir;
  const std::string home = dir.file("home");
  const std::string sys = dir.file("sys");
  std::filesystem::create_directories(home + "/.local/share/ZOLM/extrinsic_functions");
  std::filesystem::create_directories(sys + "/extrinsic_functions/libdir64.so");
  testutil::write_file(home + "/.local/share/ZOLM/extrinsic_functions/libone64.so", "x");
  testutil::write_file(sys + "/extrinsic_functions/libone64.so", "x");
  testutil::write_file(sys + "/extrinsic_functions/libtwo64.so", "x");
  fakeplatform f{{{"HOME", home}, {"XDG_DATA_DIRS", dir.file("none")}}, "", false};

  struct row {
    std::string name;
    bool result;
    std::string path;
    const char* why;
  };
  const row rows[] = {
      {"extrinsic_functions/libone64.so", true,
       home + "/.local/share/ZOLM/extrinsic_functions/libone64.so", "the first location wins"},
      {"extrinsic_functions/libtwo64.so", true, sys + "/extrinsic_functions/libtwo64.so",
       "the system directory is searched last"},
      {"extrinsic_functions/libnone64.so", true, "", "found nowhere: true, empty path"},
      {"extrinsic_functions/libdir64.so", true, "", "a directory is not a file"},
      {"", false, "", "an empty name"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr path = q5rt::sstr::cut("stale");
    bool listok = false;
    EXPECT_EQ(zolmdirs::detail::finddatadirfile(f.view(), r.name, path, sys + "/", listok),
              r.result);
    EXPECT_EQ(path.view(), r.path);
    EXPECT_EQ(listok, r.result);
  }
}

TEST(Zolmdirs, RealPlatformReadsTheEnvironment) {
  testutil::tempdir dir;
  std::filesystem::create_directories(dir.file("data/extrinsic_functions"));
  testutil::write_file(dir.file("data/extrinsic_functions/libmine64.so"), "x");
  const char* old = std::getenv("XDG_DATA_HOME");
  const std::string saved = old != nullptr ? old : "";
  ::setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
  q5rt::sstr path;
  bool listok = false;
  EXPECT_TRUE(zolmdirs::finddatadirfile(std::string(zolmdirs::extrfuncdir) + "/libmine64.so", path,
                                        "/nowhere/", listok));
  EXPECT_EQ(path.view(), dir.file("data/extrinsic_functions/libmine64.so"));
  q5rt::sstr writable;
  EXPECT_TRUE(zolmdirs::zlmwritablelocation(q5utils::loc_appdata, writable));
  EXPECT_EQ(writable.view(), dir.file("data"));
  if (old != nullptr)
    ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
  else
    ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
