// Helpers of the binding tests: where the stand-in libraries are built, environment
// switches of their fault injection, and runs of this test program's child cases.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/testutil.h"

namespace bindtest {

// The folder of the stand-in libraries, and of a variant ("zlmopt-lean", ...).
inline std::string standinlib() { return testutil::binary_dir() + "/standins/lib"; }
inline std::string variant(const std::string& name) {
  return testutil::binary_dir() + "/standins/variants/" + name;
}
inline std::string fixture(const std::string& name) {
  return testutil::source_dir() + "/tests/bindings/fixtures/" + name;
}

// Sets an environment variable for the object's lifetime.
class scopedenv {
 public:
  scopedenv(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) {
      had_ = true;
      old_ = old;
    }
    ::setenv(name_.c_str(), value.c_str(), 1);
  }
  ~scopedenv() {
    if (had_)
      ::setenv(name_.c_str(), old_.c_str(), 1);
    else
      ::unsetenv(name_.c_str());
  }
  scopedenv(const scopedenv&) = delete;
  scopedenv& operator=(const scopedenv&) = delete;

 private:
  std::string name_;
  std::string old_;
  bool had_ = false;
};

// The lines of a text, without their line ends.
inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    result.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return result;
}

// Child cases run only when BL_BINDINGS_CHILD names them.
inline bool inchild(const std::string& name) {
  const char* v = std::getenv("BL_BINDINGS_CHILD");
  return v != nullptr && name == v;
}

// Runs the child case `name` (test filter `filter`) of this program with extra environment.
inline testutil::run_result runchild(const std::string& name, const std::string& filter,
                                     const std::vector<std::pair<std::string, std::string>>& env) {
  std::vector<std::unique_ptr<scopedenv>> set;
  set.push_back(std::make_unique<scopedenv>("BL_BINDINGS_CHILD", name));
  for (const auto& [k, v] : env) set.push_back(std::make_unique<scopedenv>(k, v));
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  const std::string program(self, n > 0 ? static_cast<std::size_t>(n) : 0);
  auto result = testutil::run_program(program, {"--gtest_filter=" + filter});
  while (!set.empty()) set.pop_back();  // restore in reverse order
  return result;
}

}  // namespace bindtest
