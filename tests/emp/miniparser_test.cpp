// The mini parser: its sources, the character stream with its line-feed and end marks, the
// readers and the echo.
#include "emp/miniparser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "frame/zlmobj.h"
#include "support/testutil.h"

namespace {

using miniparser::endofinput;
using miniparser::linefeed;
using miniparser::tminiparser;

// A parser over one short-string line, made current.
struct strparser {
  explicit strparser(std::string_view text, std::string_view comments = {})
      : p(nullptr, false, strutilx::charset(comments)) {
    p.readfromstr(text);
    (void)p.nextline();
  }
  tminiparser p;
};

TEST(Miniparser, ShortStringStream) {
  strparser s("ab");
  EXPECT_EQ(s.p.ch(), 'a');
  s.p.nextch();
  EXPECT_EQ(s.p.ch(), 'b');
  s.p.nextch();
  EXPECT_EQ(s.p.ch(), linefeed);
  s.p.nextch();
  EXPECT_EQ(s.p.ch(), endofinput);
  s.p.nextch();
  EXPECT_EQ(s.p.ch(), endofinput);
  EXPECT_FALSE(s.p.nextline());
  EXPECT_FALSE(s.p.isinputtoolong());
}

TEST(Miniparser, FileLinesSkipCommentsAndCountEveryLine) {
  tminiparser p(nullptr, false, {});
  p.readfromtext("\n* comment\n\n");
  EXPECT_FALSE(p.nextline());
  EXPECT_EQ(p.ch(), endofinput);
  EXPECT_EQ(p.linenumber(), 3);

  tminiparser q(nullptr, false, {});
  q.readfromtext("x\r\n*c\n\nyz");
  ASSERT_TRUE(q.nextline());
  EXPECT_EQ(q.ch(), 'x');
  q.nextch();
  EXPECT_EQ(q.ch(), linefeed);  // the carriage return is not part of the line
  q.nextch();
  EXPECT_EQ(q.ch(), 'y');
  EXPECT_EQ(q.linenumber(), 4);
}

TEST(Miniparser, LongFileLines) {
  struct row {
    std::size_t length;
    bool toolong;
    const char* why;
  };
  constexpr row rows[] = {{1020, false, "exactly the limit: read whole"},
                          {1021, true, "one character over"},
                          {3000, true, "far over: cut, the rest lost"}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const std::string text = std::string(r.length, 'a') + "\nb\n";
    tminiparser p(nullptr, false, {});
    p.readfromtext(text);
    ASSERT_TRUE(p.nextline());
    EXPECT_EQ(p.isinputtoolong(), r.toolong);
    EXPECT_EQ(p.linelength(), std::min<std::int32_t>(1020, static_cast<std::int32_t>(r.length)));
    p.skiptoeol();
    p.nextch();
    p.nextch();
    EXPECT_EQ(p.ch(), 'b');
    EXPECT_FALSE(p.isinputtoolong());
  }
  tminiparser c(nullptr, false, {});
  const std::string comment = "*" + std::string(2000, 'c') + "\n";
  c.readfromtext(comment);
  EXPECT_FALSE(c.nextline());
  EXPECT_FALSE(c.isinputtoolong());
}

TEST(Miniparser, IdentifiersKeysAndTokens) {
  q5rt::sstr t;
  std::int32_t dashes = 0;
  {
    strparser s("--opt/x");
    EXPECT_TRUE(s.p.nextkey(t, dashes));
    EXPECT_EQ(dashes, 2);
    EXPECT_EQ(t, "opt/x");
  }
  {
    strparser s("- 5");
    EXPECT_FALSE(s.p.nextkey(t, dashes));
    EXPECT_EQ(dashes, 1);
    EXPECT_EQ(t, "");
  }
  {
    strparser s("ab1_c/d e");
    EXPECT_TRUE(s.p.nextidentx(t));
    EXPECT_EQ(t, "ab1");
    EXPECT_EQ(s.p.ch(), '_');
  }
  {
    strparser s("9x_ y");
    EXPECT_FALSE(s.p.nextident(t));
    EXPECT_TRUE(s.p.nextidentdig(t));
    EXPECT_EQ(t, "9x_");
  }
  {
    const std::string longname(300, 'a');
    std::string text = longname;
    text[299] = 'z';
    tminiparser p(nullptr, false, {});
    p.readfrompchar(text.c_str());
    ASSERT_TRUE(p.nextline());
    EXPECT_TRUE(p.nextident(t));
    EXPECT_EQ(t.view(), std::string(254, 'a') + "z");
  }
  struct row {
    const char* text;
    bool ok;
    const char* token;
    char after;
    const char* why;
  };
  constexpr row rows[] = {
      {",x", true, "", ',', "a comma first: empty token, comma stays"},
      {"  abc,d", true, "abc", ',', "ends at a comma"},
      {"a\"b c", true, "a\"b", ' ', "a quote inside an unquoted token"},
      {"\"a b\" c", true, "a b", ' ', "quoted with a blank"},
      {"\"a\"\" b\" c", true, "a\"\" b", ' ', "a doubled quote keeps going past a blank"},
      {"\"abc", false, "abc", linefeed, "no closing quote"},
      {"\"", false, "", linefeed, "a lone quote"},
      {"   ", false, "", linefeed, "blanks only"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    strparser s(r.text);
    EXPECT_EQ(s.p.nexttoken(t), r.ok);
    EXPECT_EQ(t, r.token);
    EXPECT_EQ(s.p.ch(), r.after);
  }
  std::int32_t n = 0;
  double d = 0;
  strparser nums("12 1.5D2 x");
  EXPECT_TRUE(nums.p.nextinteger(n));
  EXPECT_EQ(n, 12);
  EXPECT_TRUE(nums.p.nextdouble(d));
  EXPECT_EQ(d, 150);
  EXPECT_FALSE(nums.p.nextdouble(d));
}

TEST(Miniparser, IndexElements) {
  struct row {
    const char* text;
    bool ok;
    const char* index;
    char after;
    const char* why;
  };
  constexpr row rows[] = {
      {"'ab  ')", true, "'ab'", ')', "quoted, trailing blanks removed, quotes kept"},
      {"\"a,b\"", true, "\"a,b\"", linefeed, "double quotes"},
      {"*x", true, "*", 'x', "the star"},
      {"(x", false, "", '(', "a parenthesis is no index"},
      {"  i1,j", true, "i1", ',', "an identifier after blanks"},
      {"'open", true, "'open'", endofinput, "unclosed: the rest of the line, quote added"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    strparser s(r.text);
    q5rt::sstr t;
    EXPECT_EQ(s.p.nextindex(t), r.ok);
    EXPECT_EQ(t, r.index);
    EXPECT_EQ(s.p.ch(), r.after);
  }
}

TEST(Miniparser, SkippingAndRestOfLine) {
  {
    strparser s("  x # note", "#");
    EXPECT_TRUE(s.p.skipbl());
    s.p.nextch();
    EXPECT_FALSE(s.p.skipbl());  // a comment runs to the line's end
    EXPECT_EQ(s.p.ch(), linefeed);
  }
  {
    strparser s("  rest of it \t ");
    EXPECT_EQ(s.p.restofline(), "rest of it");
    EXPECT_EQ(s.p.ch(), linefeed);
  }
  struct row {
    const char* text;
    bool result;
    bool seen;
    const char* why;
  };
  constexpr row rows[] = {{" = x", true, true, "equals sign"},
                          {" := x", true, true, "Pascal assignment"},
                          {" :x", false, false, "a colon alone"},
                          {" x", true, false, "no sign: the first skip's result"},
                          {" =", false, true, "a sign at the line's end"}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    strparser s(r.text);
    bool seen = !r.seen;
    EXPECT_EQ(s.p.skipbecomesex(seen), r.result);
    EXPECT_EQ(seen, r.seen);
  }
  strparser s(" ;x");
  char c = 0;
  EXPECT_FALSE(s.p.skiptochar(','));
  EXPECT_TRUE(s.p.skiptochars(strutilx::charset(";,"), c));
  EXPECT_EQ(c, ';');
  EXPECT_EQ(s.p.ch(), 'x');
}

TEST(Miniparser, CallbackSource) {
  static const char* const lines[] = {"ab", "", "*c"};
  const miniparser::linecallback cb = [](q5rt::sstr& line, std::int32_t& state) {
    if (state < 0) return true;  // the opening call
    if (state >= 3) return false;
    line = q5rt::sstr::cut(lines[state++]);
    return true;
  };
  zlmobj::txstringlist echo;
  tminiparser p(&echo, true, {});
  p.readfromcb(cb);
  EXPECT_EQ(echo.count(), 1);  // the empty line of the opening
  ASSERT_TRUE(p.nextline());
  p.skiptoeol();
  p.nextch();
  EXPECT_EQ(p.ch(), linefeed);
  p.nextch();
  EXPECT_EQ(p.ch(), linefeed);  // the empty line is not skipped
  p.nextch();
  EXPECT_EQ(p.ch(), '*');  // nor is a star line
  EXPECT_EQ(p.linenumber(), 3);
  EXPECT_FALSE(p.nextline());
  EXPECT_EQ(p.ch(), endofinput);
  EXPECT_EQ(echo.count(), 4);
  EXPECT_EQ(echo.getname(1), " ab");
}

TEST(Miniparser, EchoCutsLongLines) {
  zlmobj::txstringlist echo;
  tminiparser p(&echo, true, {});
  const std::string line = std::string(130, 'a') + "b";
  p.readfrompchar(line.c_str());
  ASSERT_EQ(echo.count(), 2);
  EXPECT_EQ(echo.getname(0).view(), " " + std::string(130, 'a') + "\xBB");
  EXPECT_EQ(echo.getname(1).view(),
            "\xBB"
            "b");
  p.echoset(false);
  p.flushecho();
  EXPECT_EQ(echo.count(), 2);
}

TEST(Miniparser, MissingFile) {
  tminiparser p(nullptr, false, {});
  std::int32_t err = 0;
  EXPECT_FALSE(p.fileopen("/nonexistent/dir/file.emp", err));
  EXPECT_NE(err, 0);
  EXPECT_EQ(p.ch(), endofinput);
}

// A new source, or a second file, closes the file opened before: no descriptor is left open.
TEST(Miniparser, NewSourceClosesTheOpenFile) {
  const auto openfds = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator{});
  };
  testutil::tempdir dir;
  const std::string file = dir.file("a.emp");
  testutil::write_file(file, "x\n");
  const auto before = openfds();
  tminiparser p(nullptr, false, {});
  std::int32_t err = 0;
  ASSERT_TRUE(p.fileopen(file, err));
  ASSERT_TRUE(p.fileopen(file, err));
  EXPECT_EQ(openfds(), before + 1);
  p.readfromstr("y");
  EXPECT_EQ(openfds(), before);
  ASSERT_TRUE(p.fileopen(file, err));
  p.readfrompchar("z");
  EXPECT_EQ(openfds(), before);
}

// Everything a reader sees of a file source: each line nextline gives (its result, text,
// number and too-long flag), then the character stream from the start.
std::string seen(const std::string& text, const std::string& file, bool bytewise) {
  std::string out;
  const auto open = [&](tminiparser& p) {
    p.bytewise(bytewise);
    std::int32_t err = 0;
    if (file.empty()) {
      p.readfromtext(text);
    } else {
      EXPECT_TRUE(p.fileopen(file, err));
    }
  };
  tminiparser lines(nullptr, false, {});
  open(lines);
  for (std::size_t guard = 0; guard <= text.size() + 1; ++guard) {
    const bool got = lines.nextline();
    out += std::to_string(got) + " " + std::to_string(lines.linenumber()) + " " +
           std::to_string(lines.isinputtoolong()) + " [";
    for (std::int32_t k = 1; k <= lines.linelength(); ++k) out += lines.charfrombuf(k);
    out += "]\n";
    if (lines.linelength() < 0) break;
  }
  tminiparser chars(nullptr, false, {});
  open(chars);
  (void)chars.nextline();
  for (std::size_t steps = 0; chars.ch() != endofinput && steps < 4 * text.size() + 8; ++steps) {
    out += chars.ch();
    if (chars.ch() == linefeed) out += std::to_string(chars.linenumber()) + ";";
    chars.nextch();
  }
  return out;
}

// Lines are taken from the block read with one scan: what a reader sees is the same as byte
// by byte, for lines at and past the limit, carriage returns anywhere, comments and empty
// lines, from memory and from files whose lines cross the read blocks.
TEST(Miniparser, BlockScanMatchesTheByteLoop) {
  std::vector<std::string> texts = {"",       "\n",      "\r",         "\r\n",  "a",
                                    "a\r",    "a\r\r\n", "\r\r",       "*",     "x\n*y\r\n",
                                    "\n\n\n", "a\rb\n",  "ab\r\ncd\r", "a\n\rb"};
  for (const std::size_t length : {1019, 1020, 1021, 1274, 1275, 1276, 3000}) {
    texts.push_back(std::string(length, 'q') + "\nnext");
    texts.push_back(std::string(length, 'q') + "\r\nnext\n");
    texts.push_back(std::string(length - 1, 'q') + "\r\r\n");
  }
  std::mt19937 random(7);
  const std::string alphabet = "ab *\r\n\n\t,(";
  for (int n = 0; n < 300; ++n) {
    std::string t;
    const std::size_t length = random() % (n % 10 == 0 ? 3000 : 60);
    for (std::size_t k = 0; k < length; ++k) t += alphabet[random() % alphabet.size()];
    texts.push_back(t);
  }
  for (const std::string& t : texts) EXPECT_EQ(seen(t, "", false), seen(t, "", true)) << t;

  // Files: a line end split over two blocks, and lines of every kind across many blocks.
  testutil::tempdir dir;
  std::string split(65535, 'a');
  split += "\r\nb\n";
  std::string many;
  while (many.size() < 200000) {
    const std::size_t length = random() % 1400;
    many += std::string(length, static_cast<char>('a' + random() % 3));
    many += random() % 4 == 0 ? "\r\n" : (random() % 9 == 0 ? "\r" : "\n");
  }
  for (const std::string& t : {split, many, many + "tail"}) {
    const std::string file = dir.file("lines.txt");
    testutil::write_file(file, t);
    EXPECT_EQ(seen(t, file, false), seen(t, file, true));
  }
}

}  // namespace
