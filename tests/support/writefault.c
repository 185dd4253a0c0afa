/* writefault: preloaded (LD_PRELOAD) into a program under test, it makes one file
 * impossible to write, for the root user as well (whom file modes do not stop). The file is
 * the one whose last path component is WRITEFAULT_NAME; WRITEFAULT_MODE says how it fails:
 *   open    an open for writing fails with EACCES, as a file the user may not write;
 *   write   the open succeeds, every write to the file fails with ENOSPC, as on a full disk.
 * Opens for reading, removal and every other file are left alone; the calls go on to the
 * next definition in line (the C library's, or a sanitizer's in front of it). */
#define _GNU_SOURCE
#undef _FORTIFY_SOURCE /* the open wrappers of the fortified headers are replaced here */
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

typedef int (*openfn)(const char*, int, ...);
typedef int (*openatfn)(int, const char*, int, ...);
typedef ssize_t (*writefn)(int, const void*, size_t);
typedef int (*closefn)(int);

enum { maxfd = 4096 };
static unsigned char failing[maxfd]; /* descriptors whose writes fail */

static int named(const char* path) {
  const char* want = getenv("WRITEFAULT_NAME");
  if (want == NULL || path == NULL) return 0;
  const char* slash = strrchr(path, '/');
  return strcmp(slash != NULL ? slash + 1 : path, want) == 0;
}

static int mode(const char* which) {
  const char* m = getenv("WRITEFAULT_MODE");
  return m != NULL && strcmp(m, which) == 0;
}

/* -1 with EACCES when the open must fail; else 0. */
static int refuse(const char* path, int flags) {
  if ((flags & O_ACCMODE) == O_RDONLY || !named(path) || !mode("open")) return 0;
  errno = EACCES;
  return -1;
}

static int opened(int fd, const char* path, int flags) {
  if (fd >= 0 && fd < maxfd)
    failing[fd] = (flags & O_ACCMODE) != O_RDONLY && named(path) && mode("write");
  return fd;
}

static mode_t modearg(int flags, va_list ap) {
  return (flags & (O_CREAT | O_TMPFILE)) != 0 ? (mode_t)va_arg(ap, int) : 0;
}

#define OPEN(name)                                       \
  int name(const char* path, int flags, ...) {           \
    va_list ap;                                          \
    va_start(ap, flags);                                 \
    const mode_t m = modearg(flags, ap);                 \
    va_end(ap);                                          \
    if (refuse(path, flags) != 0) return -1;             \
    const openfn next = (openfn)dlsym(RTLD_NEXT, #name); \
    if (next == NULL) {                                  \
      errno = ENOSYS;                                    \
      return -1;                                         \
    }                                                    \
    return opened(next(path, flags, m), path, flags);    \
  }
OPEN(open)
OPEN(open64)

#define OPENAT(name)                                         \
  int name(int dir, const char* path, int flags, ...) {      \
    va_list ap;                                              \
    va_start(ap, flags);                                     \
    const mode_t m = modearg(flags, ap);                     \
    va_end(ap);                                              \
    if (refuse(path, flags) != 0) return -1;                 \
    const openatfn next = (openatfn)dlsym(RTLD_NEXT, #name); \
    if (next == NULL) {                                      \
      errno = ENOSYS;                                        \
      return -1;                                             \
    }                                                        \
    return opened(next(dir, path, flags, m), path, flags);   \
  }
OPENAT(openat)
OPENAT(openat64)

ssize_t write(int fd, const void* buf, size_t n) {
  if (fd >= 0 && fd < maxfd && failing[fd]) {
    errno = ENOSPC;
    return -1;
  }
  const writefn next = (writefn)dlsym(RTLD_NEXT, "write");
  if (next == NULL) {
    errno = ENOSYS;
    return -1;
  }
  return next(fd, buf, n);
}

int close(int fd) {
  if (fd >= 0 && fd < maxfd) failing[fd] = 0;
  const closefn next = (closefn)dlsym(RTLD_NEXT, "close");
  if (next == NULL) {
    errno = ENOSYS;
    return -1;
  }
  return next(fd);
}
