// The zlib binding against the shipped wrapper library and its two faulty variants.
#include "bindings/xcompress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/testutil.h"

namespace {

// Folders with the trailing "/" that the loader takes as a folder.
std::string standinlib() { return testutil::standinlib() + "/"; }
std::string variant(const std::string& name) { return testutil::standinvariant(name) + "/"; }

// Every case starts and ends with nothing loaded.
class XcompressTest : public ::testing::Test {
 protected:
  void SetUp() override { xcompress::unloadzliblibrary(); }
  void TearDown() override { xcompress::unloadzliblibrary(); }
};

TEST_F(XcompressTest, DirectoryPathLoadsTheDefaultBaseNameAndBindsAllFive) {
  q5rt::sstr msg = q5rt::sstr::cut("stale");
  ASSERT_TRUE(xcompress::loadzliblibrary(standinlib(), msg)) << msg.view();
  EXPECT_TRUE(msg.empty());
  EXPECT_TRUE(xcompress::zlibdllloaded());
  EXPECT_NE(xcompress::pcompress, nullptr);
  EXPECT_NE(xcompress::puncompress, nullptr);
  EXPECT_NE(xcompress::pgzreadopen, nullptr);
  EXPECT_NE(xcompress::pgzread, nullptr);
  EXPECT_NE(xcompress::pgzreadclose, nullptr);

  // Loaded once, any later path answers at once.
  EXPECT_TRUE(xcompress::loadzliblibrary("/no/such/dir/", msg));
  EXPECT_TRUE(msg.empty());
}

TEST_F(XcompressTest, ExplicitBaseNameFormsTheMakersFileName) {
  q5rt::sstr msg;
  ASSERT_TRUE(xcompress::loadzliblibrary(standinlib() + "zlib", msg)) << msg.view();
}

TEST_F(XcompressTest, LoadFailuresLeaveNothingLoaded) {
  struct row {
    std::string path;
    std::string expected;  // the whole message, or a part of the loader's text
    bool whole;
    const char* why;
  };
  const row rows[] = {
      {"/no/such/dir/", "/no/such/dir/libzlib64.so", false,
       "a missing file: the loader's text, which names the file"},
      {"/no/such/dir/zlib", "/no/such/dir/libzlib64.so", false,
       "the base name given explicitly forms the same file name"},
      {variant("zlib-uppercase"),
       "Entry not found: compress in " + variant("zlib-uppercase") + "libzlib64.so", true,
       "names are looked up in lower case only"},
      {variant("zlib-nouncompress"),
       "Entry not found: uncompress in " + variant("zlib-nouncompress") + "libzlib64.so", true,
       "the first missing entry is named and the later ones are not looked up"},

      {"/" + std::string(250, 'd') + "/zlib", "Library path longer than 255 characters: /ddd",
       false, "a file name a short string cannot hold is refused, never cut"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr msg;
    EXPECT_FALSE(xcompress::loadzliblibrary(r.path, msg));
    if (r.whole)
      EXPECT_EQ(msg.view(), r.expected);
    else
      EXPECT_NE(msg.view().find(r.expected), std::string_view::npos) << msg.view();
    EXPECT_FALSE(xcompress::zlibdllloaded());
    EXPECT_EQ(xcompress::pcompress, nullptr);
    EXPECT_EQ(xcompress::pgzreadopen, nullptr);
  }
  // Calls without a library fail instead of calling nothing.
  char buf[4];
  std::uint64_t len = sizeof buf;
  EXPECT_EQ(xcompress::compress(buf, len, "x", 1), xcompress::z_streamerror);
  EXPECT_EQ(xcompress::uncompress(buf, len, "x", 1), xcompress::z_streamerror);
  EXPECT_EQ(xcompress::gzreadopen("/etc/hostname"), nullptr);
  xcompress::gzfile none = buf;
  EXPECT_EQ(xcompress::gzread(none, buf, sizeof buf), -1);
  xcompress::gzreadclose(none);
  EXPECT_EQ(none, nullptr);
  // A failed load leaves the way open for a later one.
  q5rt::sstr msg;
  EXPECT_TRUE(xcompress::loadzliblibrary(standinlib(), msg));
}

TEST_F(XcompressTest, CompressRoundTripAndZlibCodesPassThrough) {
  q5rt::sstr msg;
  ASSERT_TRUE(xcompress::loadzliblibrary(standinlib(), msg)) << msg.view();
  const std::string source(10000, 'z');
  std::vector<unsigned char> packed(200);
  std::uint64_t packedlen = packed.size();
  ASSERT_EQ(xcompress::compress(packed.data(), packedlen, source.data(), source.size()),
            xcompress::z_ok);
  EXPECT_LT(packedlen, 200u);

  std::string back(source.size(), '\0');
  std::uint64_t backlen = back.size();
  ASSERT_EQ(xcompress::uncompress(back.data(), backlen, packed.data(), packedlen), xcompress::z_ok);
  EXPECT_EQ(backlen, source.size());
  EXPECT_EQ(back, source);

  // A destination too small: zlib's Z_BUF_ERROR comes back unchanged.
  std::uint64_t small = 100;
  EXPECT_EQ(xcompress::uncompress(back.data(), small, packed.data(), packedlen), -5);
  // Damaged data: Z_DATA_ERROR.
  packed[2] ^= 0xFF;
  backlen = back.size();
  EXPECT_EQ(xcompress::uncompress(back.data(), backlen, packed.data(), packedlen), -3);
}

TEST_F(XcompressTest, GzipReadOpenReadClose) {
  q5rt::sstr msg;
  ASSERT_TRUE(xcompress::loadzliblibrary(standinlib(), msg)) << msg.view();
  // "hello, gzip\n" gzip-compressed by zlib.
  constexpr unsigned char gz[] = {0x1f, 0x8b, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x03, 0xcb,
                                  0x48, 0xcd, 0xc9, 0xc9, 0xd7, 0x51, 0x48, 0xaf, 0xca, 0x2c, 0xe0,
                                  0x02, 0x00, 0x86, 0x1f, 0x82, 0xa4, 0x0c, 0x00, 0x00, 0x00};
  testutil::tempdir dir;
  testutil::write_file(dir.file("a.gz"), std::string(reinterpret_cast<const char*>(gz), sizeof gz));

  EXPECT_EQ(xcompress::gzreadopen(dir.file("missing.gz")), nullptr);

  xcompress::gzfile f = xcompress::gzreadopen(dir.file("a.gz"));
  ASSERT_NE(f, nullptr);
  char buf[64];
  const int got = xcompress::gzread(f, buf, sizeof buf);
  ASSERT_EQ(got, 12);
  EXPECT_EQ(std::string(buf, 12), "hello, gzip\n");
  EXPECT_EQ(xcompress::gzread(f, buf, sizeof buf), 0);
  xcompress::gzreadclose(f);
  EXPECT_EQ(f, nullptr);
}

}  // namespace
