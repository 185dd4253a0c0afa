#include "instance/ctvproc.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CtvprocGetprocname, FindsTypesIgnoringCase) {
  struct row {
    const char* name;
    int expected;
    const char* why;
  };
  constexpr row rows[] = {
      {"minlp", 11, "lower case"},
      {"MiQcP", 13, "mixed case"},
      {"LP", 1, "first type"},
      {"EMP", 15, "last type"},
      {"NONE", 0, "NONE is never matched"},
      {"QP", 0, "no such type"},
      {"", 0, "empty"},
      {"MINLP ", 0, "no trimming"},
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

TEST(CtvprocTables, NamesTextsAndSetsWordForWord) {
  std::string names, texts;
  for (int t = 0; t < ctvproc::proc_count; ++t) {
    names.append(ctvproc::procnames[static_cast<std::size_t>(t)]).append("|");
    texts.append(ctvproc::getproctext(t).view()).append("|");
  }
  EXPECT_EQ(names,
            "NONE|LP|MIP|RMIP|NLP|MCP|MPEC|RMPEC|CNS|DNLP|RMINLP|MINLP|QCP|MIQCP|RMIQCP|EMP|");
  EXPECT_EQ(
      texts,
      "NONE|Linear Programming|Mixed-Integer Programming|Relaxed Mixed-Integer Programming|"
      "Non-Linear Programming|Mixed Complementarity Problems|"
      "Mathematical Programs with Equilibrium Constraints|"
      "Relaxed Mathematical Programs with Equilibrium Constraints|"
      "Constrained Nonlinear Systems|Non-Linear Programming with Discontinuous Derivatives|"
      "Relaxed Mixed-Integer Non-Linear Programming|Mixed-Integer Non-Linear Programming|"
      "Quadratically Constrained Programs|Mixed Integer Quadratically Constrained Programs|"
      "Relaxed Mixed Integer Quadratically Constrained Programs|Extended Mathematical Programs|");

  // Set members by type 0..15.
  struct row {
    const zlmspecs::codeset& set;
    const char* members;
    const char* why;
  };
  const row rows[] = {
      {ctvproc::pdpairs, "0000011110000001", "MCP, MPEC, RMPEC, CNS, EMP"},
      {ctvproc::pdskiplist, "1000000000000000", "NONE"},
      {ctvproc::pdtrylinear, "0000100001111110", "NLP, DNLP, RMINLP, MINLP, QCP, MIQCP, RMIQCP"},
      {ctvproc::pdrelaxed, "0001000100100010", "RMIP, RMPEC, RMINLP, RMIQCP"},
      {ctvproc::pdiscontinuous, "0000000001110001", "DNLP, RMINLP, MINLP, EMP"},
      {ctvproc::pcontinuous, "0000111010111111", "NLP, MCP, MPEC, CNS, RMINLP to EMP"},
      {ctvproc::pnonlinear, "0000111111111111", "NLP to EMP"},
      {ctvproc::pdiscrete, "0011001100110111",
       "MIP, RMIP, MPEC, RMPEC, RMINLP, MINLP, MIQCP, RMIQCP, EMP"},
      {ctvproc::pshortform, "0000010010000000", "MCP, CNS"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    std::string got;
    for (int t = 0; t < ctvproc::proc_count; ++t) got += r.set.contains(t) ? '1' : '0';
    EXPECT_EQ(got, r.members);
  }
}

}  // namespace
