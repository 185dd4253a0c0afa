// The tests' main: runs the units' start-ups as the program does, then the tests.
#include <gtest/gtest.h>

#include "frame/q5rt.h"

int main(int argc, char** argv) {
  q5rt::run_startups();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
