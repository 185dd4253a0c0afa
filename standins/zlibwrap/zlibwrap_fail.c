/* The variants' calls: every one fails as zlib reports a bad stream (-2) or an unopened
   file. */
#include "zlibwrap_forward.h"

int zw_compress(unsigned char* dest, unsigned long* destlen, const unsigned char* source,
                unsigned long sourcelen) {
  (void)dest, (void)destlen, (void)source, (void)sourcelen;
  return -2;
}

int zw_uncompress(unsigned char* dest, unsigned long* destlen, const unsigned char* source,
                  unsigned long sourcelen) {
  (void)dest, (void)destlen, (void)source, (void)sourcelen;
  return -2;
}

void* zw_gzopen(const char* path, const char* mode) {
  (void)path, (void)mode;
  return 0;
}

int zw_gzread(void* file, void* buffer, unsigned count) {
  (void)file, (void)buffer, (void)count;
  return -1;
}

int zw_gzclose(void* file) {
  (void)file;
  return -2;
}
