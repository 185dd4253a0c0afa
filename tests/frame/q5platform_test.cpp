#include "frame/q5platform.h"

#include <gtest/gtest.h>

namespace {

using q5platform::platform;

TEST(Q5PlatformTest, ClassifiesSystemNames) {
  struct row {
    bool ok;
    const char* sysname;
    const char* machine;
    platform expected;
    const char* why;
  };
  constexpr row rows[] = {
      {true, "Linux", "x86_64", platform::linux86_64, "Linux by its exact name"},
      {true, "Linux", "aarch64", platform::linux86_64, "machine does not matter on Linux"},
      {true, "Darwin", "x86_64", platform::darwin_x64, "macOS on Intel"},
      {true, "Darwin", "arm64", platform::darwin_arm64, "macOS on Apple silicon"},
      {true, "Darwin", "arm64e", platform::darwin_x64, "only exactly arm64 is arm"},
      {true, "linux", "x86_64", platform::missing, "the name is compared exactly"},
      {true, "FreeBSD", "amd64", platform::missing, "any other system"},
      {true, "", "", platform::missing, "empty answer"},
      {false, "Linux", "x86_64", platform::missing, "a failed query leaves Missing"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(q5platform::detail::classify(r.ok, r.sysname, r.machine), r.expected);
  }
}

TEST(Q5PlatformTest, DevicesFollowTheFileType) {
  using q5platform::filetype;
  using q5platform::detail::consoledevice;
  using q5platform::detail::nulldevice;
  EXPECT_EQ(nulldevice(filetype::unix_style), "/dev/null");
  EXPECT_EQ(consoledevice(filetype::unix_style), "/dev/tty");
  EXPECT_EQ(nulldevice(filetype::windows_style), "nul");
  EXPECT_EQ(consoledevice(filetype::windows_style), "con");
  EXPECT_EQ(nulldevice(filetype::other), "");
  EXPECT_EQ(consoledevice(filetype::other), "");
}

TEST(Q5PlatformTest, StateOfThisBuild) {
  EXPECT_EQ(q5platform::osfiletype(), q5platform::filetype::unix_style);
  EXPECT_EQ(q5platform::osplatform(), platform::linux86_64);
  EXPECT_EQ(q5platform::osnullfilename(), "/dev/null");
  EXPECT_EQ(q5platform::osconsolename(), "/dev/tty");
  EXPECT_TRUE(q5platform::nativeislittleendian());
  const auto p = q5platform::code(q5platform::osplatform());
  EXPECT_EQ(q5platform::osplatformtext[p], "Linux86_64");
  EXPECT_EQ(q5platform::osdllprefix[p], "lib");
  EXPECT_EQ(q5platform::osdllextension[p], ".so");
  EXPECT_EQ(q5platform::osfiletypetext[q5platform::code(q5platform::osfiletype())], "UNIX");
}

TEST(Q5PlatformTest, TablesWordForWord) {
  struct row {
    platform code;
    const char* text;
    const char* prefix;
    const char* extension;
  };
  constexpr row rows[] = {
      {platform::winnt, "WinNT", "", ".dll"},
      {platform::win64emt, "Win64EMT", "", ".dll"},
      {platform::linux86_64, "Linux86_64", "lib", ".so"},
      {platform::darwin_x64, "Darwin-x64", "lib", ".dylib"},
      {platform::darwin_arm64, "Darwin-arm64", "lib", ".dylib"},
      {platform::missing, "Missing", "lib", ".XXX"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.text);
    const auto p = q5platform::code(r.code);
    EXPECT_EQ(q5platform::osplatformtext[p], r.text);
    EXPECT_EQ(q5platform::osdllprefix[p], r.prefix);
    EXPECT_EQ(q5platform::osdllextension[p], r.extension);
  }
  EXPECT_EQ(q5platform::osfiletypetext, (std::array<std::string_view, 3>{"WIN", "UNIX", "XXXX"}));
}

}  // namespace
