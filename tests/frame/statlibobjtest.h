// What the status-stream and log-stream tests share: standard output captured while a
// call runs, and a write callback that collects what it receives.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "frame/q5rt.h"
#include "support/testutil.h"

namespace statlibobjtest {

// Everything written on descriptor 1 while fn runs.
inline std::string capture_stdout(const std::function<void()>& fn) {
  testutil::tempdir dir;
  const std::string path = dir.file("stdout");
  std::fflush(stdout);
  const int saved = ::dup(1);
  std::FILE* f = std::fopen(path.c_str(), "w");
  ::dup2(::fileno(f), 1);
  fn();
  std::fflush(stdout);
  ::dup2(saved, 1);
  ::close(saved);
  std::fclose(f);
  return testutil::read_file(path);
}

// What a write callback received, as "channel:text" items.
struct sink {
  std::vector<std::string> items;
  static void take(const q5rt::sstr& text, std::int32_t channel, void* user) {
    static_cast<sink*>(user)->items.push_back(std::to_string(channel) + ":" + text.str());
  }
};

}  // namespace statlibobjtest
