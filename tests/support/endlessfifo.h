// A named pipe whose writer never stops: the stand-in for a file without an end, which a
// reader must give up on at its bound rather than read until memory runs out.
//
// Usage:
//   testutil::endlessfifo feed(dir.file("res.scr"), "first line\n", "more\n");
//   ... run the program that reads dir/res.scr ...
//   // the object's end stops the writer, also when the reader never opened the pipe
//
// A child process opens the pipe for writing (which waits for a reader), writes the head
// once and then the unit over and over, until a write fails (the reader closed its end).
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace testutil {

class endlessfifo {
 public:
  endlessfifo(const std::string& path, const std::string& head, const std::string& unit) {
    if (::mkfifo(path.c_str(), 0600) != 0) {
      ADD_FAILURE() << "mkfifo " << path << ": errno " << errno;
      return;
    }
    if (unit.empty()) {
      ADD_FAILURE() << "an endless writer needs a unit to repeat";
      return;
    }
    std::string block;  // the unit repeated, so that each write moves a pipe's worth
    while (block.size() < 65536) block += unit;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::signal(SIGPIPE, SIG_IGN);  // a closed reader ends the writes with EPIPE
      const int fd = ::open(path.c_str(), O_WRONLY);
      if (fd < 0) ::_exit(1);
      if (!writeall(fd, head)) ::_exit(0);
      while (writeall(fd, block)) {
      }
      ::_exit(0);
    }
    if (pid_ < 0) ADD_FAILURE() << "fork: errno " << errno;
  }
  ~endlessfifo() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  endlessfifo(const endlessfifo&) = delete;
  endlessfifo& operator=(const endlessfifo&) = delete;

 private:
  static bool writeall(int fd, const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
      const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      at += static_cast<std::size_t>(n);
    }
    return true;
  }

  pid_t pid_ = -1;
};

}  // namespace testutil
