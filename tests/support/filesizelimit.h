// The file-size limit of this process (and of the children it starts) for a while: writes
// beyond `bytes` fail with EFBIG, for the root user too, since the signal that would end
// the process is ignored meanwhile.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace testutil {

class filesizelimit {
 public:
  explicit filesizelimit(rlim_t bytes) {
    (void)::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit lower = saved_;
    lower.rlim_cur = bytes;
    (void)::setrlimit(RLIMIT_FSIZE, &lower);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    (void)::sigaction(SIGXFSZ, &ignore, &savedaction_);
  }
  ~filesizelimit() {
    (void)::setrlimit(RLIMIT_FSIZE, &saved_);
    (void)::sigaction(SIGXFSZ, &savedaction_, nullptr);
  }
  filesizelimit(const filesizelimit&) = delete;
  filesizelimit& operator=(const filesizelimit&) = delete;

 private:
  rlimit saved_{};
  struct sigaction savedaction_ {};
};

}  // namespace testutil
