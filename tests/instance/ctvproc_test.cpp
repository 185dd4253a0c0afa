#include "instance/ctvproc.h"

#include <gtest/gtest.h>

namespace {

TEST(CtvprocGetprocname, FindsTypesIgnoringCase) {
  struct row {
    const char* name;
    int expected;
    const char* why;
  };
  constexpr row rows[] = {
      {"minlp", 11, "lower case"},     {"MiQcP", 13, "mixed case"},  {"LP", 1, "first type"},
      {"EMP", 15, "last type"},        {"NONE", 0, "NONE is never matched"},
      {"QP", 0, "no such type"},       {"", 0, "empty"},             {"MINLP ", 0, "no trimming"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(ctvproc::getprocname(r.name), r.expected);
  }
  // Every name but NONE finds its own type.
  for (int t = 1; t < ctvproc::proc_count; ++t)
    EXPECT_EQ(ctvproc::getprocname(ctvproc::procnames[static_cast<std::size_t>(t)]), t);
}

TEST(CtvprocGetproctext, LongTexts) {
  EXPECT_EQ(ctvproc::getproctext(0).view(), "NONE");
  EXPECT_EQ(ctvproc::getproctext(11).view(), "Mixed-Integer Non-Linear Programming");
  EXPECT_EQ(ctvproc::getproctext(15).view(), "Extended Mathematical Programs");
  EXPECT_EQ(ctvproc::getproctext(16).view(), "Missing Text");
  EXPECT_EQ(ctvproc::getproctext(-1).view(), "Missing Text");
}

TEST(CtvprocSets, Members) {
  using namespace ctvproc;
  EXPECT_TRUE(pdrelaxed.contains(proc_rminlp));
  EXPECT_FALSE(pdrelaxed.contains(proc_minlp));
  for (int t = 0; t < proc_count; ++t) EXPECT_EQ(pnonlinear.contains(t), t >= proc_nlp) << t;
  EXPECT_FALSE(pcontinuous.contains(proc_dnlp));
  EXPECT_TRUE(pdiscrete.contains(proc_mpec));
}

}  // namespace
