// The tokens of BARON's tim line and the line reader of its result files.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "baron/gcbaron_results.h"
#include "support/testutil.h"

namespace {

TEST(ResultTokens, NextiAndNextr) {
  struct row {
    const char* line;
    bool real;
    std::int32_t result;
    double value;
    const char* rest;
    const char* why;
  };
  const row rows[] = {
      {"12 rest of it", false, 0, 12, "rest of it", "an integer, the rest trimmed"},
      {"-3   7", false, 0, -3, "7", "runs of blanks"},
      {"42", false, 0, 42, "", "the last token of the line"},
      {"", false, gcbaron::notanumber, 0, "", "an empty line"},
      {"x 1", false, gcbaron::notanumber, 0, "1", "not a number"},
      {"1.5 2", false, gcbaron::notanumber, 0, "2", "a real is no integer"},
      {"1.5D+02 x", true, 0, 150, "x", "a D exponent"},
      {"2.5d-1", true, 0, 0.25, "", "a d exponent, the last token"},
      {".5 1", true, 0, 0.5, "1", "a leading dot"},
      {"1e-300", true, 0, 1e-300, "", "three exponent digits"},
      {"***** 1", true, gcbaron::notanumber, 0, "1", "stars"},
      {"1e400 1", true, gcbaron::notanumber, 0, "1", "beyond the double range: no number"},
      {"-1e400", true, gcbaron::notanumber, 0, "", "below the double range"},
      {"1D400", true, gcbaron::notanumber, 0, "", "beyond the range with a D exponent"},
      {"1e-400", true, 0, 0, "", "below the smallest denormal: zero, a number"},
      {"1.7976931348623157e308", true, 0, 1.7976931348623157e308, "", "the largest double"},
      {"2147483648", false, gcbaron::notanumber, 0, "", "beyond the integer range"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr line = q5rt::sstr::cut(r.line), token;
    if (r.real) {
      double v = -1;
      EXPECT_EQ(gcbaron::nextr(v, token, line), r.result);
      if (r.result == 0) {
        EXPECT_EQ(v, r.value);
      }
    } else {
      std::int32_t v = -1;
      EXPECT_EQ(gcbaron::nexti(v, token, line), r.result);
      if (r.result == 0) {
        EXPECT_EQ(v, r.value);
      }
    }
    EXPECT_EQ(line.view(), r.rest);
  }
}

// What the reader gives for a text: every line, cut at 255 characters, without its line
// end; a carriage return before the line end goes.
std::vector<std::string> expectedlines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line.substr(0, gcbaron::maxline));
    at = end + 1;
  }
  return lines;
}

std::vector<std::string> readall(gcbaron::linereader& f) {
  std::vector<std::string> lines;
  for (std::string_view line; f.next(line);) lines.emplace_back(line);
  return lines;
}

TEST(ResultTokens, LineReader) {
  gcbaron::linereader f;
  f.settext("first\r\n" + std::string(300, 'a') + "\nlast");
  std::string_view line;
  ASSERT_TRUE(f.next(line));
  EXPECT_EQ(line, "first");
  ASSERT_TRUE(f.next(line));
  EXPECT_EQ(line.size(), 255U) << "long lines are cut";
  ASSERT_TRUE(f.next(line));
  EXPECT_EQ(line, "last");
  EXPECT_FALSE(f.next(line));
  EXPECT_TRUE(f.failed());
  EXPECT_FALSE(f.broken()) << "the end of the text is no fault";
  f.settext("\n\n");
  EXPECT_FALSE(f.skip(3));
  EXPECT_FALSE(f.next(line)) << "after a failed read every read fails";
  EXPECT_EQ(f.open("/nonexistent/tim.scr"), ENOENT);
}

// The same lines from a file as from the text, whatever the buffer's boundaries cut: lines
// of every length around the cut, carriage returns at the cut, lines longer than the
// buffer, a last line without its line end.
TEST(ResultTokens, LineReaderFromAFile) {
  const std::size_t buffer = gcbaron::linereader::buffersize;
  struct row {
    std::string text;
    const char* why;
  };
  std::string mixed;
  for (std::size_t k = 0; mixed.size() < 5 * buffer; ++k) {
    mixed += std::string(k % 300, static_cast<char>('a' + k % 26));
    mixed += k % 7 == 0 ? "\r\n" : "\n";
  }
  const std::string longer(buffer + 10, 'b');
  const row rows[] = {
      {"", "an empty file"},
      {"\n", "one empty line"},
      {mixed, "lines of 0 to 299 characters over five buffers"},
      {mixed + "tail", "a last line without its line end"},
      {longer + "\r\nnext\n", "a line longer than the buffer"},
      {std::string(buffer, 'c') + "\nnext", "a line that fills the buffer"},
      {std::string(buffer - 1, 'c') + "\nnext", "a line and its end that fill the buffer"},
      {std::string(buffer - 1, 'c') + "\r\nnext", "the carriage return ends the buffer"},
      {std::string(254, 'd') + "\r" + std::string(buffer * 2, 'd') + "\n",
       "a carriage return inside a long line stays"},
      {std::string(3 * buffer + 5, 'e'), "a file of one long line without its end"},
  };
  const testutil::tempdir dir;
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    testutil::write_file(dir.file("res.scr"), r.text);
    gcbaron::linereader f;
    ASSERT_EQ(f.open(dir.file("res.scr")), 0);
    EXPECT_EQ(readall(f), expectedlines(r.text));
    EXPECT_FALSE(f.broken());
  }
}

// The bound: a line whose end lies beyond it is not read, and the reader says why; up to
// the bound everything is read.
TEST(ResultTokens, LineReaderBound) {
  struct row {
    std::string text;
    std::int64_t limit;
    std::size_t lines;  // read before the reading stops
    bool toolarge;
    const char* why;
  };
  const std::size_t buffer = gcbaron::linereader::buffersize;
  const std::string three = "one\ntwo\nthree\n";
  const row rows[] = {
      {three, 14, 3, false, "the bound is the file's size"},
      {three, 13, 2, true, "the last line end lies beyond the bound"},
      {three, 4, 1, true, "one line within the bound"},
      {three, 3, 0, true, "not even the first line end"},
      {"one\ntwo", 7, 2, false, "a last line without its line end"},
      {std::string(4 * buffer, 'x') + "\nnext\n", static_cast<std::int64_t>(2 * buffer), 0, true,
       "a line longer than the buffer and the bound"},
      {std::string(4 * buffer, 'x') + "\nnext\n", static_cast<std::int64_t>(4 * buffer + 6), 2,
       false, "a long line within the bound"},
  };
  const testutil::tempdir dir;
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    for (const bool fromfile : {false, true}) {
      SCOPED_TRACE(fromfile ? "from a file" : "from the text");
      gcbaron::linereader f;
      if (fromfile) {
        testutil::write_file(dir.file("res.scr"), r.text);
        ASSERT_EQ(f.open(dir.file("res.scr"), r.limit), 0);
      } else {
        f.settext(r.text, r.limit);
      }
      EXPECT_EQ(readall(f).size(), r.lines);
      EXPECT_EQ(f.toolarge(), r.toolarge);
      EXPECT_EQ(f.readerror(), 0);
      std::string_view line;
      EXPECT_FALSE(f.next(line)) << "the reading stays stopped";
    }
  }
}

TEST(ResultTokens, LineReaderOfAFolder) {
  const testutil::tempdir dir;
  gcbaron::linereader f;
  EXPECT_EQ(f.open(dir.path().string()), EIO) << "a folder opens, but cannot be read";
}

// Numbers of BARON's files: D exponents read, a number beyond the double range is none (an
// infinity would reach the solution file), nor are the words of the special values.
TEST(ResultTokens, BaronReal) {
  struct row {
    const char* text;
    bool number;
    double value;
    const char* why;
  };
  const row rows[] = {
      {"2.5", true, 2.5, "plain"},
      {"-1.5D+02", true, -150, "a D exponent"},
      {"1d-300", true, 1e-300, "a d exponent"},
      {"1e308", true, 1e308, "within the range"},
      {"-1.7976931348623157E308", true, -1.7976931348623157e308, "the lowest double"},
      {"1e400", false, 0, "beyond the range"},
      {"-1e400", false, 0, "below the range"},
      {"1D400", false, 0, "beyond the range, D exponent"},
      {"-1d999999", false, 0, "far below the range"},
      {"1.8e308", false, 0, "just beyond the largest double"},
      {"1e-400", true, 0, "an underflow reads as zero"},
      {"inf", false, 0, "the word inf"},
      {"NaN", false, 0, "the word nan"},
      {"abc", false, 0, "no number"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    double v = -1;
    EXPECT_EQ(gcbaron::baronreal(r.text, v), r.number);
    if (r.number) {
      EXPECT_EQ(v, r.value);
    }
    EXPECT_TRUE(std::isfinite(v)) << "no infinity is left behind";
  }
}

}  // namespace
