// The checks of data-exchange files that the library remembers, process-wide: a program
// that opens one file twice (the loader opens the scratch file once for the code and once
// for the matrix) has the whole file checked once. A check is recalled only for a file that
// is provably the same as checked: the same device, inode, size, modification and change
// times (nanoseconds), both older than the start of the check. A file written in the
// clock tick of its check could be written again in that tick without a change of its
// times: such a check is not remembered. Every write moves the change time, which no
// program can set back: a file rewritten since is checked again.
//
// Usage:
//   const zlmvrk::fileid id = zlmvrk::identify(fd);       // before the file is read
//   if (zlmvrk::recall(id, c)) ... sound, c filled ...
//   else if (zlmvrk::checkfile(src, c) == sound) zlmvrk::remember(id, c);
#pragma once

#include <cstdint>

#include "standins/zlmvrk/vrkcheck.h"

namespace zlmvrk {

struct fileid {
  bool known = false;  // fstat answered
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t mtime = 0;  // nanoseconds
  std::int64_t ctime = 0;
  std::int64_t checkstart = 0;  // the coarse clock before the file's times were taken
  bool operator==(const fileid& o) const {
    return known && o.known && device == o.device && inode == o.inode && size == o.size &&
           mtime == o.mtime && ctime == o.ctime;
  }
};

// The open file's identity, taken before it is read.
[[nodiscard]] fileid identify(int fd);
// A sound check of the same file: c is the check's outcome.
[[nodiscard]] bool recall(const fileid& id, checked& c);
// Remembers a sound check when its file's times lie before the check's start.
void remember(const fileid& id, const checked& c);

}  // namespace zlmvrk
