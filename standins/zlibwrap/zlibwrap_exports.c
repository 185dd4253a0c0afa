/* The entries the zlib binding looks up, with zlib's names and signatures. */
#include "zlibwrap_forward.h"

#define ZW_EXPORT __attribute__((visibility("default")))

#ifdef ZLIBWRAP_UPPERCASE
#define ZW_NAME(lower, upper) upper
#else
#define ZW_NAME(lower, upper) lower
#endif

ZW_EXPORT int ZW_NAME(compress, COMPRESS)(unsigned char* dest, unsigned long* destlen,
                                          const unsigned char* source, unsigned long sourcelen) {
  return zw_compress(dest, destlen, source, sourcelen);
}

#ifndef ZLIBWRAP_NO_UNCOMPRESS
ZW_EXPORT int ZW_NAME(uncompress, UNCOMPRESS)(unsigned char* dest, unsigned long* destlen,
                                              const unsigned char* source,
                                              unsigned long sourcelen) {
  return zw_uncompress(dest, destlen, source, sourcelen);
}
#endif

ZW_EXPORT void* ZW_NAME(gzopen, GZOPEN)(const char* path, const char* mode) {
  return zw_gzopen(path, mode);
}

ZW_EXPORT int ZW_NAME(gzread, GZREAD)(void* file, void* buffer, unsigned count) {
  return zw_gzread(file, buffer, count);
}

ZW_EXPORT int ZW_NAME(gzclose, GZCLOSE)(void* file) { return zw_gzclose(file); }
