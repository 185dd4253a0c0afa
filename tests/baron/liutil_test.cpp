#include "baron/liutil.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/baronmodel.h"
#include "support/testutil.h"

namespace {

// What the calls write to a file set current with the width and indent.
std::string written(std::int32_t width, std::int32_t indent, const std::function<void()>& calls) {
  testutil::tempdir dir;
  q5rt::textfile f;
  f.assign(dir.file("li.txt"));
  f.rewrite();
  liutil::liset(f, width, indent);
  calls();
  liutil::liend();
  f.close();
  return testutil::read_file(dir.file("li.txt"));
}

const std::string seventy(70, 'a');

TEST(Liutil, PiecesOfEveryLengthKeepEveryByte) {
  // Each length up to past the inline copies (1..40), with bytes that differ at every
  // position, through lifirst, linext and lilast on a wide line and through wrapping
  // onto indented continuation lines on a narrow one.
  std::string want;
  const auto pieces = [&want](std::size_t from, std::size_t to, std::size_t step) {
    for (std::size_t n = from; n <= to; n += step) {
      std::string piece;
      for (std::size_t i = 0; i < n; ++i) piece += static_cast<char>('!' + (n * 7 + i) % 90);
      want += piece;
      liutil::linext(piece);
    }
  };
  const std::string line = written(10000, 0, [&] {
    liutil::lifirst("head ", 0);
    pieces(1, 40, 1);
    liutil::lilast(";");
  });
  EXPECT_EQ(line, "head " + want + ";\n");
  std::string lines;
  const std::string text = written(45, 2, [&] {
    want.clear();
    liutil::lifirst("", 4);
    pieces(1, 40, 3);
    liutil::lilast("");
  });
  for (std::size_t at = 0; at < text.size();) {  // the lines without their indents
    const std::size_t end = text.find('\n', at);
    ASSERT_NE(end, std::string::npos);
    std::string_view line(text.data() + at, end - at);
    ASSERT_LE(line.size(), 45u);
    if (at > 0) {
      ASSERT_EQ(line.substr(0, 4), "    ");
      line.remove_prefix(4);
    }
    lines += line;
    at = end + 1;
  }
  EXPECT_EQ(lines, want);
}

TEST(Liutil, CallSequences) {
  using namespace liutil;
  const struct {
    std::int32_t width, indent;
    std::function<void()> calls;
    std::string want;
    const char* why;
  } rows[] = {
      {79, 3,
       [] {
         lifirst(seventy, 14);
         linext("123456789");
         linext("x");
         lilast(";");
       },
       seventy + "123456789\n" + std::string(14, ' ') + "x;\n",
       "a piece that fills the line to 79, then a wrap"},
      {79, 3,
       [] {
         lifirst(seventy, 14);
         linext("123456789");
         lilast(";");
       },
       seventy + "123456789\n" + std::string(14, ' ') + ";\n", "the closing text wraps too"},
      {79, 3,
       [] {
         lifirst(seventy, 14);
         linext("1234567890");
         lilast(";");
         linext(seventy);
         linext("1234567890");
         lilast("");
       },
       seventy + "\n" + std::string(14, ' ') + "1234567890;\n" + seventy + "\n   1234567890\n",
       "lilast restores the base indent"},
      {10, 12,
       [] {
         lifirst("abcdefgh", 12);
         linext("ijk");
         lilast("");
       },
       "abcdefgh\n         ijk\n", "indents cut to width - 1"},
      {10, 0,
       [] {
         lifirst("ab", 0);
         linext("");
         linext("cdefghijklmn");
         lilast("");
       },
       "ab\ncdefghijklmn\n",
       "an empty piece does nothing; a long piece is written whole; an empty end does not wrap"},
      {79, 3,
       [] {
         lilast("");
         lilast("");
       },
       "\n\n", "lilast at position 0 writes empty lines"},
      {79, 3,
       [] {
         declaliststart("K");
         declalistitem("a");
         declalistitem("b");
         declaliststop();
       },
       "\nK  a,b;\n", "a declaration list"},
      {20, 3,
       [] {
         lifirst("started", 0);
         declaliststart("Keyword");
         for (const char* item : {"item1", "item2", "item3"}) declalistitem(item);
         declaliststop();
       },
       "started\nKeyword  item1\n          ,item2\n          ,item3;\n",
       "a list ends a started line and continues at 10"},
      {79, 3,
       [] {
         declaliststart("K");
         declaliststop();
       },
       "", "an empty list writes nothing"},
      {0, -1,
       [] {
         lifirst(std::string(60, 'b'), 0);
         linext("1234567");
         lileft("cc", 0);
         lilast("");
       },
       std::string(6, ' ') + std::string(60, 'b') + "\n     .1234567cc\n",
       "fixed-column style: width 72, column 7, continuation mark"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(written(r.width, r.indent, r.calls), r.want);
  }
}

// The open statement is gathered before it is written: a new current file or the end
// must put it, whole, into the file it was begun in.
TEST(Liutil, OpenStatementGoesToItsOwnFile) {
  testutil::tempdir dir;
  q5rt::textfile f, g;
  f.assign(dir.file("f.txt"));
  f.rewrite();
  g.assign(dir.file("g.txt"));
  g.rewrite();
  liutil::liset(f, 10, 2);
  liutil::lifirst("abc", 2);
  liutil::linext("defghijk");
  liutil::liset(g, 10, 2);
  liutil::lifirst("k", 0);
  liutil::liend();
  f.close();
  g.close();
  EXPECT_EQ(testutil::read_file(dir.file("f.txt")), "abc\n  defghijk\n");
  EXPECT_EQ(testutil::read_file(dir.file("g.txt")), "k\n");
}

TEST(Liutil, NoCurrentFileWritesErrorLines) {
  testutil::tempdir dir;
  q5rt::textfile err;
  err.assign(dir.file("err.txt"));
  err.rewrite();
  liutil::liend();
  liutil::lierror(err);
  liutil::lifirst("a", 0);
  liutil::linext("b");
  liutil::lileft("c", 1);
  liutil::lilast("d");
  liutil::declaliststart("K");
  liutil::declalistitem("e");
  liutil::declaliststop();
  err.close();
  liutil::lierror(q5rt::output());
  EXPECT_EQ(testutil::read_file(dir.file("err.txt")),
            "LI:first NOT SET a\nLI:next  NOT SET b\nLI:left  NOT SET c\nLI:last  NOT SET d\n"
            "LI:last  NOT SET \nLI:first NOT SET K  \nLI:left  NOT SET e\nLI:last  NOT SET ;\n");
}

TEST(Liutil, BlocksAndPadding) {
  testutil::tempdir dir;
  q5rt::textfile f;
  f.assign(dir.file("vf.txt"));
  f.rewrite();
  liutil::vfsetfile(f);
  liutil::vfblockstart("HEAD");
  liutil::vfadd("a");
  liutil::vfadd("b");
  liutil::vfwhole("c");
  liutil::vfstart("d");
  liutil::vfblockstop();
  liutil::vfblockstart("EMPTY");
  liutil::vffinish();
  f.close();
  EXPECT_EQ(testutil::read_file(dir.file("vf.txt")), "\nHEAD\nab\nc\nd\n");
  EXPECT_EQ(liutil::padright("ab", 4).view(), "ab  ");
  EXPECT_EQ(liutil::padleft("ab", 4).view(), "  ab");
  EXPECT_EQ(liutil::padleft("abcde", 4).view(), "abcde");
}

}  // namespace
