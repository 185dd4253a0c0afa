// The checks of data-exchange files that the library remembers.
#include "standins/zlmvrk/vrkmemory.h"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

namespace zlmvrk {

namespace {

// The last few files checked: a program reads few files at a time.
constexpr std::size_t kept = 4;

struct entry {
  fileid id;
  checked c;
};

std::mutex guard;
std::vector<entry> memory;  // the latest last

std::int64_t nanoseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

}  // namespace

fileid identify(int fd) {
  fileid id;
  // The file's times come from the coarse clock, or later: read it first.
  timespec now{};
  if (::clock_gettime(CLOCK_REALTIME_COARSE, &now) != 0) return id;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return id;
  id.known = true;
  id.device = static_cast<std::uint64_t>(st.st_dev);
  id.inode = static_cast<std::uint64_t>(st.st_ino);
  id.size = static_cast<std::int64_t>(st.st_size);
  id.mtime = nanoseconds(st.st_mtim);
  id.ctime = nanoseconds(st.st_ctim);
  id.checkstart = nanoseconds(now);
  return id;
}

bool recall(const fileid& id, checked& c) {
  if (!id.known) return false;
  const std::lock_guard<std::mutex> lock(guard);
  const auto e =
      std::find_if(memory.begin(), memory.end(), [&id](const entry& x) { return x.id == id; });
  if (e == memory.end()) return false;
  c = e->c;
  return true;
}

void remember(const fileid& id, const checked& c) {
  if (!id.known || id.mtime >= id.checkstart || id.ctime >= id.checkstart) return;
  entry e{id, c};
  const std::lock_guard<std::mutex> lock(guard);
  std::erase_if(memory, [&id](const entry& x) {
    return x.id.device == id.device && x.id.inode == id.inode;  // an older state of the file
  });
  if (memory.size() == kept) memory.erase(memory.begin());
  memory.push_back(std::move(e));
}

}  // namespace zlmvrk
