// The tokens of BARON's tim line and the line reader of its result files.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "baron/gcbaron_results.h"

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
  f.settext("\n\n");
  EXPECT_FALSE(f.skip(3));
  EXPECT_FALSE(f.next(line)) << "after a failed read every read fails";
  EXPECT_EQ(f.open("/nonexistent/tim.scr"), ENOENT);
}

}  // namespace
