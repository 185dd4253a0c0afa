/* Forwarding to the system zlib through functions whose names the wrapper does not export
   itself: compress2, uncompress2, gzdopen, gzfread and gzclose_r. */
#include "zlibwrap_forward.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

int zw_compress(unsigned char* dest, unsigned long* destlen, const unsigned char* source,
                unsigned long sourcelen) {
  return compress2(dest, destlen, source, sourcelen, Z_DEFAULT_COMPRESSION);
}

int zw_uncompress(unsigned char* dest, unsigned long* destlen, const unsigned char* source,
                  unsigned long sourcelen) {
  uLong used = sourcelen;
  return uncompress2(dest, destlen, source, &used);
}

/* Read mode only: the descriptor is opened here and owned by the gzip handle. */
void* zw_gzopen(const char* path, const char* mode) {
  const int fd = open(path, O_RDONLY);
  if (fd < 0) return 0;
  gzFile file = gzdopen(fd, mode);
  if (file == 0) close(fd);
  return file;
}

/* As gzread, except that a truncated stream is an error as well as damaged data: the bytes
   before the damage are delivered, then -1. */
int zw_gzread(void* file, void* buffer, unsigned count) {
  const size_t got = gzfread(buffer, 1, count, (gzFile)file);
  if (got == 0) {
    int err = Z_OK;
    (void)gzerror((gzFile)file, &err);
    if (err != Z_OK) return -1;
  }
  return (int)got;
}

int zw_gzclose(void* file) { return gzclose_r((gzFile)file); }
