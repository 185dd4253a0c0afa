// A named pipe fed by a writer that never stops: the stand-in for a file that is a link to an
// endless source. A child process opens the pipe for writing, writes `head` once and then
// `body` again and again until the reader goes away (the write fails or the pipe's signal
// ends it); the object's end stops the child, should it still run.
//
// Usage:
//   const testutil::fifofeeder feed(dir.file("map"), "VARIABLES 1\n", "1");
//   ... open dir.file("map") and read it ...
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace testutil {

class fifofeeder {
 public:
  fifofeeder(const std::string& path, const std::string& head, const std::string& body) {
    if (body.empty() || ::mkfifo(path.c_str(), 0600) != 0)
      throw std::runtime_error("fifofeeder: no pipe " + path);
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fifofeeder: no child");
    if (pid_ == 0) {
      ::signal(SIGPIPE, SIG_DFL);
      const int fd = ::open(path.c_str(), O_WRONLY);
      // The body repeated into one block of 64 KiB or more: one write per block.
      std::string block = body;
      while (block.size() < 65536) block += block;
      if (fd < 0 || !all(fd, head)) ::_exit(1);
      while (all(fd, block)) {
      }
      ::_exit(0);
    }
  }
  ~fifofeeder() {
    (void)::kill(pid_, SIGKILL);
    int status = 0;
    (void)::waitpid(pid_, &status, 0);
  }
  fifofeeder(const fifofeeder&) = delete;
  fifofeeder& operator=(const fifofeeder&) = delete;

 private:
  static bool all(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }
  pid_t pid_ = -1;
};

}  // namespace testutil
