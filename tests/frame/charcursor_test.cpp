#include "frame/charcursor.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every length of copy path (the byte loop, the 4-, 8- and 16-byte overlapping copies and
// the library copy) writes exactly the bytes given and nothing past them.
TEST(CharCursor, PutBytesCopiesEveryLengthExactly) {
  const std::string source = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGH";
  for (std::size_t n = 0; n <= 40; ++n) {
    std::string out(48, '#');
    char* const end = charcursor::putbytes(out.data(), source.data(), n);
    EXPECT_EQ(end - out.data(), static_cast<std::ptrdiff_t>(n));
    EXPECT_EQ(out, source.substr(0, n) + std::string(48 - n, '#')) << "n = " << n;
  }
}

// Text built in pieces keeps what came before across every growth of the storage, and the
// storage stays for the next text after clear().
TEST(CharCursor, TextBufferKeepsItsTextWhileItGrows) {
  charcursor::textbuffer b;
  std::string expected;
  for (int i = 0; i < 2000; ++i) {
    const std::string piece = std::to_string(i) + (i % 7 == 0 ? "," : "");
    if (i % 3 == 0) {
      b += piece;
    } else {
      b.setend(charcursor::put(b.room(piece.size()), piece));
    }
    expected += piece;
    if (i % 100 == 0) {
      b.append(5, ' ');
      expected += "     ";
    }
  }
  EXPECT_EQ(b.view(), expected);
  b = "next";
  EXPECT_EQ(b.view(), "next");
  b.clear();
  EXPECT_TRUE(b.empty());
  b += 'x';
  EXPECT_EQ(b.view(), "x");
}

}  // namespace
