/* The wrapper's calls into the system zlib, under names of its own so that the exported
   entries (which carry zlib's names) never call themselves. */
#ifndef ZLIBWRAP_FORWARD_H
#define ZLIBWRAP_FORWARD_H

int zw_compress(unsigned char* dest, unsigned long* destlen, const unsigned char* source,
                unsigned long sourcelen);
int zw_uncompress(unsigned char* dest, unsigned long* destlen, const unsigned char* source,
                  unsigned long sourcelen);
void* zw_gzopen(const char* path, const char* mode);
int zw_gzread(void* file, void* buffer, unsigned count);
int zw_gzclose(void* file);

#endif
