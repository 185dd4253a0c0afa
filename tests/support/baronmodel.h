// A fresh model record for each test of the BARON translation's units, keeping the
// expression-tree node pool (its nodes live for the whole run), and the EMP record zero.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "emp/empdata.h"
#include "frame/q5text.h"
#include "instance/gcdata.h"

namespace testutil {

inline void freshmodel() {
  gcdata::frenlrec();
  ctvnl::nltreerec* const keep = gcdata::mymodel.nodefree;
  gcdata::mymodel = gcdata::tmodel{};
  gcdata::mymodel.nodefree = keep;
  empdata::clearrecord();
}

class baronmodel : public testing::Test {
 protected:
  void SetUp() override { freshmodel(); }
  void TearDown() override { freshmodel(); }
};

// Standard output written by body.
template <typename F>
std::string stdoutof(F&& body) {
  testing::internal::CaptureStdout();
  body();
  q5rt::output().flush();
  return testing::internal::GetCapturedStdout();
}

}  // namespace testutil
