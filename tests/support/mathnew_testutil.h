// Helpers of the function-library tests: one evaluation into a fresh record, and the
// comparison of a row of expected numbers where NaN means "not checked".
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>

#include "funclib/ctvnew.h"
#include "funclib/mathnew.h"

namespace mathnew_test {

inline constexpr double any = std::numeric_limits<double>::quiet_NaN();
inline constexpr double big = 1e299;

// Return and exception codes, short for the tables.
inline constexpr int FUNC = 1, GRAD = 2, HESS = 3;
inline constexpr int DOM = 1, SING = 2, OVF = 3, SIGL = 4;

// A record with the default callback whose results are filled with a marker, so that a
// test sees which entries an evaluation wrote.
struct evaluation {
  ctvnew::tmathnewrec rec{};
  int answer = 0;

  evaluation(int fnr, int level, std::initializer_list<double> args, double marker = 0) {
    ctvnew::mathnewrecinit(rec);
    rec.f = marker;
    for (auto& g : rec.g) g = marker;
    for (auto& row : rec.h)
      for (auto& h : row) h = marker;
    rec.level = level;
    rec.nargs = static_cast<int>(args.size());
    answer = mathnew::funceval(rec, static_cast<std::uint8_t>(fnr), args.begin());
  }
  std::string msg() const { return rec.msg.str(); }
};

// Equal within a relative tolerance (exact when tol is 0); NaN expected: not checked.
inline void expect_near_rel(double expected, double actual, double tol, const char* what) {
  if (std::isnan(expected)) return;
  if (tol == 0 || !std::isfinite(expected)) {
    EXPECT_EQ(expected, actual) << what;
  } else {
    EXPECT_NEAR(expected, actual, tol * std::max(1.0, std::fabs(expected))) << what;
  }
}

// The full error text of function fnr: "<name>: <rc> <ec>: <detail>"; "" for no report.
inline std::string errortext(int fnr, int rc, int ec, const std::string& detail) {
  return mathnew::funcname(static_cast<std::uint8_t>(fnr)).str() + ": " +
         ctvnew::returnstr[rc].str() + " " + ctvnew::exceptstr[ec].str() + ": " + detail;
}

// One row of an edge-case table: function, level, up to three arguments, the answer, the
// value, g1, g2, h11, h12, h22 (NaN: not checked) and the report (rc, ec, detail; detail
// nullptr for no report).
struct edgerow {
  int fnr;
  int level;
  int nargs;
  double a1, a2, a3;
  int answer;
  double f, g1, g2, h11, h12, h22;
  int rc, ec;
  const char* detail;
  const char* why;
};

inline void check_edgerow(const edgerow& r, double tol = 1e-14) {
  SCOPED_TRACE(r.why);
  const double all[3] = {r.a1, r.a2, r.a3};
  ctvnew::tmathnewrec rec{};
  ctvnew::mathnewrecinit(rec);
  rec.level = r.level;
  rec.nargs = r.nargs;
  const int answer = mathnew::funceval(rec, static_cast<std::uint8_t>(r.fnr), all);
  EXPECT_EQ(r.answer, answer);
  expect_near_rel(r.f, rec.f, tol, "f");
  expect_near_rel(r.g1, rec.g[0], tol, "g1");
  expect_near_rel(r.g2, rec.g[1], tol, "g2");
  expect_near_rel(r.h11, rec.h[0][0], tol, "h11");
  expect_near_rel(r.h12, rec.h[0][1], tol, "h12");
  expect_near_rel(r.h22, rec.h[1][1], tol, "h22");
  if (r.detail == nullptr) {
    EXPECT_EQ(0, rec.ec);
    EXPECT_EQ(0, rec.rc);
  } else {
    EXPECT_EQ(errortext(r.fnr, r.rc, r.ec, r.detail), rec.msg.str());
    EXPECT_EQ(r.ec, rec.ec);
  }
}

}  // namespace mathnew_test
