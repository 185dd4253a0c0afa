// The base of the stream tests: the shipped zlib loaded from the build's stand-in folder
// (it stays loaded, as in the program) and a fresh temporary folder per case.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "bindings/xcompress.h"
#include "support/testutil.h"

namespace streamtest {

class withzlib : public ::testing::Test {
 protected:
  void SetUp() override {
    q5rt::sstr msg;
    ASSERT_TRUE(xcompress::loadzliblibrary(testutil::standinlib() + "/", msg)) << msg.view();
  }
  std::string file(const std::string& name) const { return dir_.file(name); }

  testutil::tempdir dir_;
};

}  // namespace streamtest
