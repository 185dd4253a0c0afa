/* threadwatch: preloaded (LD_PRELOAD) into a program under test, it notes every thread
 * that one process starts. A pthread_create in a process whose executable's file name is
 * THREADWATCH_EXE appends "pthread_create in <exe> <pid>" to the file THREADWATCH_REPORT;
 * every other process (the shell and the programs it starts inherit the preload) is left
 * alone. The thread is then made as asked, through the next pthread_create in line (the C
 * library's, or a sanitizer's in front of it), so the program runs as it would. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

typedef int (*createfn)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

/* The executable's path when its file name is the watched one, else the empty text. */
static void watchedexe(char* exe, size_t size) {
  const char* want = getenv("THREADWATCH_EXE");
  const ssize_t n = readlink("/proc/self/exe", exe, size - 1);
  exe[n > 0 ? n : 0] = '\0';
  const char* slash = strrchr(exe, '/');
  const char* name = slash != NULL ? slash + 1 : exe;
  if (want == NULL || strcmp(name, want) != 0) exe[0] = '\0';
}

static void report(const char* exe) {
  const char* file = getenv("THREADWATCH_REPORT");
  if (file == NULL) return;
  const int fd = open(file, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  char line[PATH_MAX + 64];
  const int n = snprintf(line, sizeof line, "pthread_create in %s %ld\n", exe, (long)getpid());
  if (n > 0) {
    const size_t len = (size_t)n < sizeof line ? (size_t)n : sizeof line - 1;
    if (write(fd, line, len) < 0) { /* nothing more to be done */
    }
  }
  close(fd);
}

int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*),
                   void* arg) {
  char exe[PATH_MAX];
  watchedexe(exe, sizeof exe);
  if (exe[0] != '\0') report(exe);
  const createfn next = (createfn)dlsym(RTLD_NEXT, "pthread_create");
  return next != NULL ? next(thread, attr, start, arg) : EAGAIN;
}
