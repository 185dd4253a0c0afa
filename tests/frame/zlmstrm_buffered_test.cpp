// Buffered, block-compressed and machine-independent streams: golden bytes, hand-made
// big-endian and corrupt fixtures, compression round trips, positioning.
#include "frame/zlmstrm_buffered.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "bindings/xcompress.h"
#include "instance/zlmspecs.h"
#include "streamtest.h"
#include "support/testutil.h"

namespace {

using zlmstrm::mode_create;
using zlmstrm::mode_read;
using zlmstrm::mode_readwrite;
using zlmstrm::mode_write;
using zlmstrm::tbufferedfilestream;
using zlmstrm::tmibufferedstream;

std::string bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += static_cast<char>(b);
  return s;
}

std::string hex(const std::string& data) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : data) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string randombytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

std::string readall(tbufferedfilestream& s, std::size_t most = 1 << 20) {
  std::string out(most, '\0');
  out.resize(s.read(out.data(), static_cast<std::uint32_t>(most)));
  return out;
}

class ZlmstrmBuffered : public streamtest::withzlib {
 protected:
  // Writes data through a compressing stream and gives the file's bytes.
  std::string compressed(const std::string& name, const std::string& data) {
    {
      tbufferedfilestream out(file(name), mode_create);
      out.setcompression(true);
      EXPECT_EQ(out.write(data.data(), static_cast<std::uint32_t>(data.size())), data.size());
    }
    return testutil::read_file(file(name));
  }
};

TEST_F(ZlmstrmBuffered, HeaderGoldenBytesAndReadBack) {
  {
    tmibufferedstream out(file("h"), mode_create);
    ASSERT_EQ(out.getlastioresult(), 0);
  }
  EXPECT_EQ(hex(testutil::read_file(file("h"))),
            "02 34 12 04 78 56 34 12 08 18 2D 44 54 FB 21 09 40");
  tmibufferedstream in(file("h"), mode_read);
  EXPECT_EQ(in.goodbyteorder(), 0);
  EXPECT_TRUE(in.littleendianmachine());
  EXPECT_FALSE(in.wordsneedflip());
  EXPECT_FALSE(in.intsneedflip());
  EXPECT_EQ(in.getposition(), 17);
}

TEST_F(ZlmstrmBuffered, BigEndianWriterIsSwappedOnRead) {
  // Header, word 0x0102, integer -2, int64 0x0102030405060708, double 1.5, all big-endian;
  // then a pchar whose length is big-endian too.
  const std::string data = bytes({2, 0x12, 0x34, 4, 0x12, 0x34, 0x56, 0x78, 8, 0x40, 0x09, 0x21,
                                  0xFB, 0x54, 0x44, 0x2D, 0x18}) +
                           bytes({0x01, 0x02, 0xFF, 0xFF, 0xFF, 0xFE, 1, 2, 3, 4, 5, 6, 7,
                                  8,    0x3F, 0xF8, 0,    0,    0,    0, 0, 0, 0, 0, 0, 3}) +
                           "abc";
  testutil::write_file(file("be"), data);
  tmibufferedstream in(file("be"), mode_read);
  EXPECT_EQ(in.goodbyteorder(), 0);
  EXPECT_EQ(in.wordflag(), zlmstrm::order_swapped);
  EXPECT_EQ(in.integerflag(), zlmstrm::order_swapped);
  EXPECT_EQ(in.doubleflag(), zlmstrm::order_swapped);
  EXPECT_EQ(in.readword(), 0x0102);
  EXPECT_EQ(in.readinteger(), -2);
  EXPECT_EQ(in.readint64(), 0x0102030405060708);
  EXPECT_EQ(in.readdouble(), 1.5);
  std::string text;
  EXPECT_EQ(in.readpchar(text), 3);
  EXPECT_EQ(text, "abc");
}

TEST_F(ZlmstrmBuffered, DamagedHeaders) {
  struct row {
    std::string header;
    int good;
    int word, integer, dbl;
    std::int64_t after;  // position after the header
    const char* why;
  };
  const std::string intpart = bytes({4, 0x78, 0x56, 0x34, 0x12});
  const std::string dblpart = bytes({8, 0x18, 0x2D, 0x44, 0x54, 0xFB, 0x21, 0x09, 0x40});
  const row rows[] = {
      {bytes({3, 0, 0, 0}) + intpart + dblpart, 1, 255, 0, 0, 18,
       "a word size of 3 skips 3 bytes and the integer part still reads"},
      {bytes({2, 0x99, 0x99}) + intpart + dblpart, 2, 254, 0, 0, 17,
       "a word value neither way round"},
      {bytes({2, 0x34, 0x12, 4, 1, 2, 3, 4}) + bytes({9, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 8 + 16, 0,
       254, 255, 18, "integer value unknown and double size wrong"},
      {bytes({2, 0x34, 0x12}) + intpart + bytes({8, 0, 0, 0, 0, 0, 0, 0, 0}), 32, 0, 0, 254, 17,
       "a double that is not pi"},
      {"", 1 + 4 + 16, 255, 255, 255, 0, "an empty file: every size byte reads as 0"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    testutil::write_file(file("d"), r.header);
    tmibufferedstream in(file("d"), mode_read);
    EXPECT_EQ(in.goodbyteorder(), r.good);
    EXPECT_EQ(in.wordflag(), r.word);
    EXPECT_EQ(in.integerflag(), r.integer);
    EXPECT_EQ(in.doubleflag(), r.dbl);
    EXPECT_EQ(in.getposition(), r.after);
  }
}

TEST_F(ZlmstrmBuffered, MissingFileLeavesTheHeaderAlone) {
  tmibufferedstream in(file("missing"), mode_read);
  EXPECT_EQ(in.goodbyteorder(), 0);
  EXPECT_EQ(in.getlastioresult(), 2);
  EXPECT_EQ(in.getlastioresult(), 0);
}

TEST_F(ZlmstrmBuffered, CompactIntegerGoldenBytes) {
  struct row {
    std::int32_t value;
    const char* bytes;
    const char* why;
  };
  constexpr row rows[] = {
      {0, "00", "zero is one byte"},
      {15, "0F", "the largest one-byte value"},
      {16, "10 01", "one following byte"},
      {-1, "81", "the sign bit"},
      {4095, "1F FF", "the largest two-byte value"},
      {4096, "20 00 01", "two following bytes, low byte first"},
      {268435455, "3F FF FF FF", "the largest four-byte value"},
      {268435456, "40 00 00 00 01", "four following bytes"},
      {std::numeric_limits<std::int32_t>::max(), "4F FF FF FF 07", "the largest integer"},
      {std::numeric_limits<std::int32_t>::min(), "C0 00 00 00 08",
       "the smallest integer: its magnitude as unsigned"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    {
      tmibufferedstream out(file("ci"), mode_write);
      out.writezlminteger(r.value);
    }
    const std::string data = testutil::read_file(file("ci"));
    EXPECT_EQ(hex(data), r.bytes);
    testutil::write_file(file("ci2"), bytes({2, 0x34, 0x12, 4, 0x78, 0x56, 0x34, 0x12, 8, 0x18,
                                             0x2D, 0x44, 0x54, 0xFB, 0x21, 0x09, 0x40}) +
                                          data);
    tmibufferedstream in(file("ci2"), mode_read);
    EXPECT_EQ(in.readzlminteger(), r.value);
    EXPECT_TRUE(in.iseof());
  }
}

TEST_F(ZlmstrmBuffered, CompactIntegerReadsEveryByteItAnnounces) {
  // Code 0x71: seven following bytes (never written); all are consumed, the value wraps.
  testutil::write_file(file("k7"), bytes({2, 0x34, 0x12, 4, 0x78, 0x56, 0x34, 0x12, 8, 0x18, 0x2D,
                                          0x44, 0x54, 0xFB, 0x21, 0x09, 0x40}) +
                                       bytes({0x71, 1, 0, 0, 0, 0, 0, 0, 0x05}));
  tmibufferedstream in(file("k7"), mode_read);
  EXPECT_EQ(in.readzlminteger(), 0x11);
  EXPECT_EQ(in.readzlminteger(), 5);
}

TEST_F(ZlmstrmBuffered, CompactDoubleGoldenBytesAndRoundTrip) {
  struct row {
    double value;
    const char* bytes;
    const char* why;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const row rows[] = {
      {1.0, "08", "one"},
      {-1.0, "09", "minus one"},
      {0.0, "07", "zero"},
      {2.0, "87 40", "only the high byte is not zero"},
      {1.5, "86 F8 3F", "two high bytes"},
      {0.1, "80 9A 99 99 99 99 99 B9 3F", "no zero byte at all"},
      {-2.0, "87 C0", "a negative value"},
      {zlmspecs::valund, "01", "UNDF"},
      {zlmspecs::valna, "02", "NA"},
      {zlmspecs::valpin, "03", "+INF"},
      {zlmspecs::valmin, "04", "-INF"},
      {zlmspecs::valeps, "05", "EPS"},
      {3 * zlmspecs::valacr, "06 03", "an acronym: 6, then its number as a compact integer"},
      {20 * zlmspecs::valacr, "06 14 01", "acronym 20"},
      {inf, "86 F0 7F", "an IEEE infinity is an ordinary value"},
      {-inf, "86 F0 FF", "minus infinity likewise"},
      {-1e300, "80 9C 75 00 88 3C E4 37 FE", "a negative number beyond the special range"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    {
      tmibufferedstream out(file("cd"), mode_create);
      out.writezlmdouble(r.value);
    }
    const std::string data = testutil::read_file(file("cd"));
    EXPECT_EQ(hex(data.substr(17)), r.bytes);
    tmibufferedstream in(file("cd"), mode_read);
    EXPECT_EQ(in.readzlmdouble(), r.value);
    EXPECT_TRUE(in.iseof());
  }
}

TEST_F(ZlmstrmBuffered, CompactDoubleKeepsNanBitsAndReadsOddCodes) {
  const double nan = std::bit_cast<double>(std::uint64_t{0x7FF8000000000123});
  {
    tmibufferedstream out(file("nan"), mode_create);
    out.writezlmdouble(nan);
    out.writezlmdouble(-0.0);
  }
  {
    tmibufferedstream in(file("nan"), mode_read);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(in.readzlmdouble()), 0x7FF8000000000123u);
    EXPECT_EQ(in.readzlmdouble(), 0.0);
  }
  // 0x88 (z = 8) reads nothing more; code 10 and code 0 give 0.
  testutil::write_file(file("odd"), bytes({2, 0x34, 0x12, 4, 0x78, 0x56, 0x34, 0x12, 8, 0x18, 0x2D,
                                           0x44, 0x54, 0xFB, 0x21, 0x09, 0x40}) +
                                        bytes({0x88, 10, 0, 8}));
  tmibufferedstream in(file("odd"), mode_read);
  EXPECT_EQ(in.readzlmdouble(), 0.0);
  EXPECT_EQ(in.readzlmdouble(), 0.0);
  EXPECT_EQ(in.readzlmdouble(), 0.0);
  EXPECT_EQ(in.readzlmdouble(), 1.0);
}

TEST_F(ZlmstrmBuffered, BlockFormat) {
  // A full buffer of zeros: one compressed block with a short length.
  const std::string zeros = compressed("zeros", std::string(32768, '\0'));
  ASSERT_GT(zeros.size(), 3u);
  EXPECT_EQ(zeros[0], 1);
  const std::size_t length =
      (static_cast<unsigned char>(zeros[1]) << 8) | static_cast<unsigned char>(zeros[2]);
  EXPECT_EQ(zeros.size(), length + 3);
  EXPECT_LT(length, 200u);

  // Random data does not compress: a stored block of 32768 bytes.
  const std::string noise = randombytes(32768, 7);
  const std::string stored = compressed("noise", noise);
  EXPECT_EQ(hex(stored.substr(0, 3)), "00 80 00");
  EXPECT_EQ(stored.substr(3), noise);

  // Small text: flag, big-endian length, the bytes.
  EXPECT_EQ(compressed("small", "ab"), bytes({0, 0, 2}) + "ab");
}

TEST_F(ZlmstrmBuffered, CompressionRoundTrips) {
  struct row {
    std::string data;
    std::uint32_t piece;  // write and read in pieces of this size
    const char* why;
  };
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i % 97) + "\n";
  const row rows[] = {
      {"", 10, "nothing written: an empty file"},
      {text, 1000, "several compressed blocks"},
      {randombytes(100000, 3), 4096, "several stored blocks"},
      {text.substr(0, 32768) + randombytes(40000, 5) + text, 7, "mixed blocks, tiny pieces"},
      {std::string(32768 * 2, 'x'), 32768, "whole buffers"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    {
      tbufferedfilestream out(file("rt"), mode_create);
      out.setcompression(true);
      for (std::size_t at = 0; at < r.data.size(); at += r.piece) {
        const std::size_t n = std::min<std::size_t>(r.piece, r.data.size() - at);
        ASSERT_EQ(out.write(r.data.data() + at, static_cast<std::uint32_t>(n)), n);
      }
    }
    tbufferedfilestream in(file("rt"), mode_read);
    in.setcompression(true);
    std::string back;
    std::string piece(r.piece, '\0');
    while (const std::uint32_t got = in.read(piece.data(), r.piece)) back.append(piece, 0, got);
    EXPECT_EQ(back, r.data);
    EXPECT_TRUE(in.iseof());
    EXPECT_EQ(in.readcharacter(), zlmstrm::endofdata);
    EXPECT_EQ(in.getlastioresult(), 0);
  }
}

TEST_F(ZlmstrmBuffered, CorruptBlocksAreIoErrors) {
  const std::string good = compressed("good", std::string(1000, 'a'));
  ASSERT_EQ(good[0], 1);
  std::string damaged = good;
  damaged[5] = static_cast<char>(damaged[5] ^ 0x55);
  // A valid zlib stream of 40000 bytes: more than one buffer when unpacked.
  std::string big(40000, 'b');
  std::vector<unsigned char> packed(1000);
  std::uint64_t packedlen = packed.size();
  ASSERT_EQ(xcompress::compress(packed.data(), packedlen, big.data(), big.size()), 0);
  const std::string oversize =
      bytes({1, static_cast<int>(packedlen >> 8), static_cast<int>(packedlen & 0xFF)}) +
      std::string(reinterpret_cast<const char*>(packed.data()), packedlen);

  struct row {
    std::string file;
    std::string before;  // bytes delivered before the damage
    const char* why;
  };
  const row rows[] = {
      {bytes({0, 0x80, 0x01}) + std::string(32769, 'x'), "", "a stored length above the buffer"},
      {bytes({1, 0xFF, 0xFF}) + std::string(65535, 'x'), "",
       "a compressed length above its buffer"},
      {damaged, "", "compressed data that does not decompress"},
      {good.substr(0, good.size() - 2), "", "a compressed block cut short"},
      {oversize, "", "data that decompresses beyond one buffer"},
      {bytes({0, 0, 3}) + "abc" + damaged, "abc", "a good block, then a damaged one"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    testutil::write_file(file("bad"), r.file);
    tbufferedfilestream in(file("bad"), mode_read);
    in.setcompression(true);
    EXPECT_EQ(readall(in), r.before);
    EXPECT_EQ(in.getlastioresult(), zlmstrm::ioresult_corrupt);
    // Reading on stays at the damage and reports it again.
    EXPECT_EQ(in.readcharacter(), zlmstrm::endofdata);
    EXPECT_EQ(in.getlastioresult(), zlmstrm::ioresult_corrupt);
  }
}

TEST_F(ZlmstrmBuffered, EmptyBlocksAreSkipped) {
  // Never written, but harmless: the data goes on after them, whichever way it is read.
  struct row {
    std::string file;
    const char* why;
  };
  const row rows[] = {
      {bytes({0, 0, 2}) + "ab" + bytes({0, 0, 0, 0, 0, 1}) + "c", "an empty stored block"},
      {bytes({0, 0, 2}) + "ab" + bytes({1, 0, 8, 0x78, 0x9C, 3, 0, 0, 0, 0, 1, 0, 0, 1}) + "c",
       "a compressed block that unpacks to nothing"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    testutil::write_file(file("e"), r.file);
    tbufferedfilestream in(file("e"), mode_read);
    in.setcompression(true);
    EXPECT_EQ(readall(in), "abc");
    EXPECT_EQ(in.getlastioresult(), 0);
    in.setposition(0);
    std::string bytewise;
    while (!in.iseof()) bytewise += static_cast<char>(in.readcharacter());
    EXPECT_EQ(bytewise, "abc");
  }
}

TEST_F(ZlmstrmBuffered, WithoutZlibBlocksAreStoredAndReadingReports) {
  xcompress::unloadzliblibrary();
  {
    tbufferedfilestream out(file("nz"), mode_create, dir_.path().string());
    ASSERT_FALSE(out.zlibloaded());
    out.setcompression(true);
    const std::string zeros(1000, '\0');
    out.write(zeros.data(), 1000);
  }
  const std::string data = testutil::read_file(file("nz"));
  EXPECT_EQ(hex(data.substr(0, 3)), "00 03 E8");
  EXPECT_EQ(data.size(), 1003u);
  tbufferedfilestream in(file("nz"), mode_read, dir_.path().string());
  in.setcompression(true);
  EXPECT_EQ(readall(in), "");
  EXPECT_EQ(in.getlastioresult(), zlmstrm::ioresult_nozlib);
  EXPECT_EQ(in.readcharacter(), zlmstrm::endofdata);
  // The next stream loads zlib again from its directory.
  tbufferedfilestream later(file("nz"), mode_read, testutil::standinlib());
  EXPECT_TRUE(later.zlibloaded());
  EXPECT_EQ(later.getloadpath().view(), testutil::standinlib() + "/");
}

TEST_F(ZlmstrmBuffered, FailingZlibCallsStoreOrRefuseBlocks) {
  // A zlib whose every call fails: writing stores the block, reading a compressed one is
  // an I/O error that delivers nothing.
  xcompress::unloadzliblibrary();
  q5rt::sstr msg;
  ASSERT_TRUE(xcompress::loadzliblibrary(testutil::standinvariant("zlib-failing") + "/", msg))
      << msg.view();
  const std::string zeros(1000, '\0');
  EXPECT_EQ(compressed("fc", zeros), bytes({0, 0x03, 0xE8}) + zeros);

  const std::string packed =
      bytes({1, 0, 11}) + "\x78\x9C\x4B\x4C\x4A\x06" + bytes({0, 0x02, 0x4D, 0x01, 0x27});
  testutil::write_file(file("fu"), packed);
  {
    tbufferedfilestream in(file("fu"), mode_read);
    in.setcompression(true);
    EXPECT_EQ(readall(in), "");
    EXPECT_EQ(in.getlastioresult(), zlmstrm::ioresult_corrupt);
  }
  xcompress::unloadzliblibrary();
  ASSERT_TRUE(xcompress::loadzliblibrary(testutil::standinlib() + "/", msg));
  tbufferedfilestream in(file("fu"), mode_read);
  in.setcompression(true);
  EXPECT_EQ(readall(in), "abc") << "the same block with a working zlib";
}

TEST_F(ZlmstrmBuffered, PositioningWithinTheBuffer) {
  testutil::write_file(file("p"), "0123456789");
  tbufferedfilestream in(file("p"), mode_read);
  char c[4] = {};
  ASSERT_EQ(in.read(c, 4), 4u);
  EXPECT_EQ(in.getposition(), 4);
  EXPECT_EQ(in.getsize(), 10);
  // The file changes behind the stream: a position inside the buffer reads the buffer.
  testutil::write_file(file("p"), "abcdefghij");
  in.setposition(1);
  EXPECT_EQ(in.readcharacter(), '1');
  in.setposition(9);
  EXPECT_EQ(in.readcharacter(), '9');
  EXPECT_TRUE(in.iseof());
  EXPECT_EQ(in.readcharacter(), zlmstrm::endofdata);
  // A position outside the buffer goes to the file.
  in.setposition(10);
  in.setposition(2);
  EXPECT_EQ(in.readcharacter(), 'c');
}

TEST_F(ZlmstrmBuffered, ReadWriteSwitchKeepsTheLogicalPosition) {
  testutil::write_file(file("rw"), "0123456789");
  {
    tbufferedfilestream s(file("rw"), mode_readwrite);
    char c[3];
    ASSERT_EQ(s.read(c, 3), 3u);
    s.write("ab", 2);
    EXPECT_EQ(s.getposition(), 5);
    EXPECT_EQ(s.getsize(), 10);
    s.setposition(5);  // the logical end of the pending bytes: nothing happens
    s.write("cdefghijkl", 10);
    EXPECT_EQ(s.getsize(), 15);
    s.setposition(0);
    EXPECT_EQ(readall(s), "012abcdefghijkl");
  }
  EXPECT_EQ(testutil::read_file(file("rw")), "012abcdefghijkl");
}

TEST_F(ZlmstrmBuffered, LargeTypedTrafficCrossesBuffers) {
  {
    tmibufferedstream out(file("big"), mode_create);
    for (std::int32_t i = 0; i < 30000; ++i) {
      out.writeinteger(i);
      out.writezlmdouble(i * 0.5);
      out.writestring("x");
    }
  }
  tmibufferedstream in(file("big"), mode_read);
  for (std::int32_t i = 0; i < 30000; ++i) {
    ASSERT_EQ(in.readinteger(), i);
    ASSERT_EQ(in.readzlmdouble(), i * 0.5);
    q5rt::sstr s;
    in.readstring(s);
    ASSERT_EQ(s.view(), "x");
  }
  EXPECT_TRUE(in.iseof());
}

}  // namespace
