#include "frame/zlmstrm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/testutil.h"

namespace {

// An in-memory stream: the typed layer's bytes without a file.
class memstream : public zlmstrm::txstream {
 public:
  explicit memstream(std::string bytes = {}) : data(std::move(bytes)) {}
  std::string data;
  std::int64_t pos = 0;

  std::int64_t getposition() override { return pos; }
  void setposition(std::int64_t p) override { pos = p; }
  std::int64_t getsize() override { return static_cast<std::int64_t>(data.size()); }
  std::uint32_t read(void *buffer, std::uint32_t count) override {
    const auto left = static_cast<std::int64_t>(data.size()) - pos;
    const auto n =
        static_cast<std::uint32_t>(std::max<std::int64_t>(0, std::min<std::int64_t>(count, left)));
    std::memcpy(buffer, data.data() + pos, n);
    pos += n;
    return n;
  }
  std::uint32_t write(const void *buffer, std::uint32_t count) override {
    data.replace(static_cast<std::size_t>(pos),
                 std::min<std::size_t>(count, data.size() - static_cast<std::size_t>(pos)),
                 static_cast<const char *>(buffer), count);
    pos += count;
    return count;
  }
};

// A stream whose file came from a machine of the other byte order.
class swappedstream : public memstream {
 public:
  using memstream::memstream;
  std::int32_t readinteger() override {
    return static_cast<std::int32_t>(
        __builtin_bswap32(static_cast<std::uint32_t>(memstream::readinteger())));
  }
};

std::string hex(const std::string &bytes) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

TEST(ZlmstrmTyped, ByteLayoutAndRoundTrip) {
  memstream s;
  strutilx::pstring hi = strutilx::newstring("hi");
  s.writebyte(0xAB);
  s.writebool(true);
  s.writebool(false);
  s.writechar('x');
  s.writeword(0x1234);
  s.writeinteger(-2);
  s.writeint64(0x0102030405060708);
  s.writedouble(1.5);
  s.writestring("abc");
  s.writepstring(nullptr);
  s.writepstring(hi);
  s.writepchar("xyz", 3);
  s.writepchar("ignored", 0);
  s.parwrite(zlmstrm::rwtype::rw_double);
  EXPECT_EQ(hex(s.data),
            "AB 01 00 78 "                       // byte, bools, char
            "34 12 FE FF FF FF "                 // word, integer
            "08 07 06 05 04 03 02 01 "           // int64
            "00 00 00 00 00 00 F8 3F "           // double 1.5
            "03 61 62 63 00 02 68 69 "           // string, nil pstring, pstring
            "03 00 00 00 78 79 7A 00 00 00 00 "  // pchar of 3, pchar of 0
            "06");                               // type tag
  EXPECT_EQ(s.getposition(), static_cast<std::int64_t>(s.data.size()));

  s.setposition(0);
  EXPECT_EQ(s.readbyte(), 0xAB);
  EXPECT_TRUE(s.readbool());
  EXPECT_FALSE(s.readbool());
  EXPECT_EQ(s.readchar(), 'x');
  EXPECT_EQ(s.readword(), 0x1234);
  EXPECT_EQ(s.readinteger(), -2);
  EXPECT_EQ(s.readint64(), 0x0102030405060708);
  EXPECT_EQ(s.readdouble(), 1.5);
  q5rt::sstr text;
  s.readstring(text);
  EXPECT_EQ(text.view(), "abc");
  strutilx::pstring p = strutilx::newstring("old");  // freed by the read
  s.readpstring(p);
  EXPECT_EQ(p, nullptr);
  s.readpstring(p);
  EXPECT_EQ(strutilx::getview(p), "hi");
  std::string block;
  EXPECT_EQ(s.readpchar(block), 3);
  EXPECT_EQ(block, "xyz");
  EXPECT_EQ(s.readpchar(block), 0);
  EXPECT_EQ(block, "");
  EXPECT_NO_THROW(s.parcheck(zlmstrm::rwtype::rw_double));
  EXPECT_EQ(s.getposition(), static_cast<std::int64_t>(s.data.size()));
  strutilx::disposestring(p);
  strutilx::disposestring(hi);
}

TEST(ZlmstrmTyped, ShortStringsAtTheirLimits) {
  memstream s;
  s.writestring(std::string(255, 'a'));
  EXPECT_EQ(s.data.size(), 256u);
  s.writestring(std::string(300, 'b'));  // a longer text is cut to 255
  EXPECT_EQ(s.data.size(), 512u);
  s.writestring("abcdefg");
  s.writebyte(0x55);

  s.setposition(0);
  q5rt::sstr full;
  s.readstring(full);
  EXPECT_EQ(full.view(), std::string(255, 'a'));
  s.readstring(full);
  EXPECT_EQ(full.view(), std::string(255, 'b'));
  // A smaller destination is cut, and every stored character is still consumed.
  q5rt::shortstring<4> small;
  s.readstring(small);
  EXPECT_EQ(small.view(), "abcd");
  EXPECT_EQ(s.readbyte(), 0x55);
  // At the end of the stream: the empty text.
  full = q5rt::sstr::cut("stale");
  s.readstring(full);
  EXPECT_EQ(full.view(), "");
}

TEST(ZlmstrmTyped, ShortReadsLeaveMissingBytesZero) {
  struct row {
    const char *bytes;
    std::size_t size;
    std::int64_t expected;
    const char *why;
  };
  constexpr row rows[] = {
      {"", 0, 0, "nothing left"},
      {"\x01\x02", 2, 0x0201, "two of four bytes"},
      {"\xFF\xFF\xFF", 3, 0x00FFFFFF, "three bytes: the high byte stays zero"},
  };
  for (const auto &r : rows) {
    SCOPED_TRACE(r.why);
    memstream s(std::string(r.bytes, r.size));
    EXPECT_EQ(s.readinteger(), r.expected);
    memstream b(std::string(r.bytes, r.size));
    EXPECT_EQ(b.readbyte(), r.size == 0 ? 0 : static_cast<std::uint8_t>(r.bytes[0]));
  }
}

TEST(ZlmstrmTyped, PcharLengthsFromTheStream) {
  // A stored length larger than the data: the length as stored, the bytes that
  // exist.
  memstream s(
      std::string("\x10\x00\x00\x00"
                  "abc",
                  7));
  std::string data = "old";
  EXPECT_EQ(s.readpchar(data), 16);
  EXPECT_EQ(data, "abc");
  // A negative length reads no bytes.
  memstream neg(
      std::string("\xFB\xFF\xFF\xFF"
                  "z",
                  5));
  EXPECT_EQ(neg.readpchar(data), -5);
  EXPECT_EQ(data, "");
  EXPECT_EQ(neg.readbyte(), 'z');
  // A huge damaged length does not allocate for bytes that are not there.
  memstream huge(
      std::string("\xFF\xFF\xFF\x7F"
                  "q",
                  5));
  EXPECT_EQ(huge.readpchar(data), 2147483647);
  EXPECT_EQ(data, "q");
  // The length goes through the virtual integer read: a swapping stream swaps
  // it.
  swappedstream other(
      std::string("\x00\x00\x00\x02"
                  "hi",
                  6));
  EXPECT_EQ(other.readpchar(data), 2);
  EXPECT_EQ(data, "hi");
}

TEST(ZlmstrmTyped, ParcheckNamesBothTags) {
  struct row {
    zlmstrm::rwtype expected;
    std::uint8_t read;
    const char *message;
    const char *why;
  };
  constexpr row rows[] = {
      {zlmstrm::rwtype::rw_integer, 12, "Stream check failed: Expected = Integer Read = ???12",
       "unknown tag"},
      {zlmstrm::rwtype::rw_integer, 6, "Stream check failed: Expected = Integer Read = Double",
       "known tag"},
      {zlmstrm::rwtype::rw_byte, 255, "Stream check failed: Expected = Byte Read = ???255",
       "largest byte"},
      {zlmstrm::rwtype::rw_pstring, 8, "Stream check failed: Expected = PString Read = PChar",
       "last two names"},
  };
  for (const auto &r : rows) {
    SCOPED_TRACE(r.why);
    memstream s(std::string(1, static_cast<char>(r.read)));
    try {
      s.parcheck(r.expected);
      ADD_FAILURE() << "no exception";
    } catch (const q5rt::assertion_error &) {
      ADD_FAILURE() << "a stream check is not an assertion";
    } catch (const q5rt::exception &e) {
      EXPECT_EQ(e.message().view(), r.message);
    }
  }
  memstream empty;
  EXPECT_THROW(empty.parcheck(zlmstrm::rwtype::rw_bool), q5rt::exception)
      << "the end of the stream reads as tag 0";
}

TEST(ZlmstrmTyped, TagNamesWordForWord) {
  std::string names;
  for (const auto n : zlmstrm::rwtypetext) names.append(n).append("|");
  EXPECT_EQ(names, "Byte|Bool|Char|Word|Integer|Int64|Double|String|PChar|PString|");
}

TEST(ZlmstrmFile, WriteThenReadAFile) {
  testutil::tempdir dir;
  const std::string name = dir.file("data.bin");
  {
    zlmstrm::txfilestream out(name, zlmstrm::mode_create);
    EXPECT_TRUE(out.opened());
    EXPECT_EQ(out.filename().view(), name);
    out.writeinteger(7);
    out.writestring("abc");
    out.writedouble(-0.25);
    EXPECT_EQ(out.getposition(), 16);
    EXPECT_EQ(out.getsize(), 16);
    EXPECT_EQ(out.getlastioresult(), 0);
  }
  EXPECT_EQ(testutil::read_file(name).size(), 16u);

  zlmstrm::txfilestream in(name, zlmstrm::mode_read);
  EXPECT_EQ(in.getlastioresult(), 0);
  EXPECT_EQ(in.readinteger(), 7);
  q5rt::sstr s;
  in.readstring(s);
  EXPECT_EQ(s.view(), "abc");
  EXPECT_EQ(in.readdouble(), -0.25);
  EXPECT_EQ(in.readint64(), 0) << "at the end";
  EXPECT_EQ(in.getposition(), 16) << "advanced by the bytes transferred only";
  in.writebyte(1);  // the file is open for reading only
  EXPECT_EQ(in.getposition(), 16);
  EXPECT_NE(in.getlastioresult(), 0);
  EXPECT_EQ(in.getlastioresult(), 0);
}

TEST(ZlmstrmFile, OpenModes) {
  testutil::tempdir dir;
  const std::string name = dir.file("f.bin");
  struct row {
    std::uint16_t mode;
    bool existed;
    std::string after;  // file content after the open; "-" when it must not exist
    int ioresult;
    const char *why;
  };
  const row rows[] = {
      {zlmstrm::mode_read, false, "-", 2, "reading a missing file: no such file"},
      {zlmstrm::mode_read, true, "abcd", 0, "reading keeps the file"},
      {zlmstrm::mode_write, true, "", 0, "writing empties"},
      {zlmstrm::mode_create, true, "", 0, "65535 empties like 1"},
      {zlmstrm::mode_create, false, "", 0, "65535 creates"},
      {zlmstrm::mode_readwrite, false, "", 0, "read-write creates a missing file"},
      {zlmstrm::mode_readwrite, true, "abcd", 0, "read-write keeps the content"},
  };
  for (const auto &r : rows) {
    SCOPED_TRACE(r.why);
    std::filesystem::remove(name);
    if (r.existed) testutil::write_file(name, "abcd");
    {
      zlmstrm::txfilestream s(name, r.mode);
      EXPECT_EQ(s.opened(), r.ioresult == 0);
      EXPECT_EQ(s.getlastioresult(), r.ioresult);
      EXPECT_EQ(s.getlastioresult(), 0) << "fetching clears the result";
    }
    if (r.after == "-")
      EXPECT_FALSE(std::filesystem::exists(name));
    else
      EXPECT_EQ(testutil::read_file(name), r.after);
  }
}

TEST(ZlmstrmFile, UnknownModeIsRefusedBeforeOpening) {
  testutil::tempdir dir;
  const std::string name = dir.file("never.bin");
  for (std::uint16_t mode : {3, 4, 65534}) {
    SCOPED_TRACE(mode);
    try {
      zlmstrm::txfilestream s(name, mode);
      ADD_FAILURE() << "no assertion";
    } catch (const q5rt::assertion_error &e) {
      const std::string expected = "TXFileStream.Create = " + std::to_string(mode) + " (";
      EXPECT_EQ(std::string(e.message().view()).rfind(expected, 0), 0u) << e.message().view();
    }
    EXPECT_FALSE(std::filesystem::exists(name));
  }
}

TEST(ZlmstrmFile, FailedOpenTransfersNothing) {
  testutil::tempdir dir;
  zlmstrm::txfilestream s(dir.file("missing"), zlmstrm::mode_read);
  EXPECT_FALSE(s.opened());
  char buf[4] = {1, 2, 3, 4};
  EXPECT_EQ(s.read(buf, 4), 0u);
  EXPECT_EQ(buf[0], 1);
  EXPECT_EQ(s.write(buf, 4), 0u);
  EXPECT_EQ(s.getsize(), -1);
  EXPECT_EQ(s.getposition(), 0);
  EXPECT_EQ(s.getlastioresult(), 2) << "the open's error comes first";
  EXPECT_EQ(s.read(buf, 4), 0u);
  EXPECT_NE(s.getlastioresult(), 0) << "a read on a failed stream is an error, never stdin";
}

TEST(ZlmstrmFile, PositionIsTheStreamsOwnCount) {
  testutil::tempdir dir;
  const std::string name = dir.file("p.bin");
  testutil::write_file(name, "wxyz");
  zlmstrm::txfilestream s(name, zlmstrm::mode_readwrite);
  s.setposition(10);
  EXPECT_EQ(s.getposition(), 10);
  EXPECT_EQ(s.getsize(), 4);
  s.setposition(2);
  EXPECT_EQ(s.readchar(), 'y');
  EXPECT_EQ(s.getposition(), 3);
  s.writechar('Z');
  s.setposition(-1);  // a failed seek keeps the requested position and records the error
  EXPECT_EQ(s.getposition(), -1);
  EXPECT_EQ(s.getlastioresult(), 22);
  EXPECT_EQ(testutil::read_file(name), "wxyZ");
}

TEST(ZlmstrmFile, FirstErrorWins) {
  testutil::tempdir dir;
  zlmstrm::txfilestream s(dir.file("e.bin"), zlmstrm::mode_create);
  s.setlastioresult(7);
  s.setlastioresult(8);
  EXPECT_EQ(s.getlastioresult(), 7);
  EXPECT_EQ(s.getlastioresult(), 0);
  s.setlastioresult(8);
  EXPECT_EQ(s.getlastioresult(), 8);
}

}  // namespace
