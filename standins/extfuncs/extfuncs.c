/* Test libraries of user functions with the entries the extrinsic-function loader binds:
 * XCreate, XFree, LibInit and one entry per function, C ABI. One source, three builds:
 *   libextdemo64.so    mulxy, cubic, expc, hessorder, sqrtchk (entries as named)
 *   libextupper64.so   every entry in upper case only (XCREATE, ..., TWICE) and one in
 *                      mixed case (Half)
 *   libextnoinit64.so  XCreate and XFree, no LibInit
 * Texts at the boundary are short strings: a length byte and up to 255 characters.
 * EXTFUNCS_TRACE=<file> appends one line per XCreate, LibInit ("LibInit <nr> <text>") and
 * XFree. LibInit refuses an initialisation text that contains "refuse". */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

typedef int (*logerror_t)(int rc, int ec, const unsigned char* msg, void* usermem);

struct instance {
  int libnr;
  int calls;
};

static void trace(const char* what, const char* detail) {
  const char* file = getenv("EXTFUNCS_TRACE");
  if (file == NULL || *file == 0) return;
  FILE* f = fopen(file, "a");
  if (f == NULL) return;
  fprintf(f, "%s%s%s\n", what, detail[0] ? " " : "", detail);
  fclose(f);
}

static __attribute__((unused)) void setshort(unsigned char* s, const char* text) {
  size_t n = strlen(text);
  if (n > 255) n = 255;
  s[0] = (unsigned char)n;
  memcpy(s + 1, text, n);
}

#ifdef EXT_UPPER
#define N_XCREATE XCREATE
#define N_XFREE XFREE
#define N_LIBINIT LIBINIT
#else
#define N_XCREATE XCreate
#define N_XFREE XFree
#define N_LIBINIT LibInit
#endif

EXPORT void N_XCREATE(void** inst) {
  struct instance* p = calloc(1, sizeof *p);
  *inst = p;
  trace("XCreate", "");
}

EXPORT void N_XFREE(void** inst) {
  free(*inst);
  *inst = NULL;
  trace("XFree", "");
}

#ifndef EXT_NOINIT
EXPORT int N_LIBINIT(void* inst, int libnr, unsigned char* msg) {
  char text[256], detail[300];
  memcpy(text, msg + 1, msg[0]);
  text[msg[0]] = 0;
  snprintf(detail, sizeof detail, "%d %s", libnr, text);
  trace("LibInit", detail);
  if (inst == NULL) return 2;
  ((struct instance*)inst)->libnr = libnr;
  if (strstr(text, "refuse") != NULL) {
    setshort(msg, "extfuncs: initialisation refused");
    return 1;
  }
  return 0;
}
#endif

#define FUNC_ARGS                                                                    \
  void *inst, int level, int n, const double *x, double *f, double *g, double *h,    \
      logerror_t logerror, void *usermem

#if !defined(EXT_UPPER) && !defined(EXT_NOINIT)

/* x * y, all levels. */
EXPORT int mulxy(FUNC_ARGS) {
  (void)inst, (void)logerror, (void)usermem;
  if (n != 2) return 4;
  *f = x[0] * x[1];
  if (level >= 1) {
    g[0] = x[1];
    g[1] = x[0];
  }
  if (level == 2) {
    h[0] = 0, h[1] = 1;
    h[2] = 1, h[3] = 0;
  }
  return 0;
}

/* x^3 with its gradient; the description says level 1. */
EXPORT int cubic(FUNC_ARGS) {
  (void)inst, (void)n, (void)h, (void)logerror, (void)usermem;
  *f = x[0] * x[0] * x[0];
  if (level >= 1) g[0] = 3 * x[0] * x[0];
  return 0;
}

/* c * exp(x), value only; c is a constant argument. */
EXPORT int expc(FUNC_ARGS) {
  (void)inst, (void)n, (void)g, (void)h, (void)logerror, (void)usermem;
  *f = x[0] * exp(x[1]);
  (void)level;
  return 0;
}

/* Writes the positions it was given: f = n and the level's calls counted, g[i] = i + 1,
 * h[k] = k + 1 row by row, so that a test sees where each entry lands. */
EXPORT int hessorder(FUNC_ARGS) {
  (void)x, (void)logerror, (void)usermem;
  ((struct instance*)inst)->calls++;
  *f = n + 100 * ((struct instance*)inst)->libnr;
  if (level >= 1)
    for (int i = 0; i < n; ++i) g[i] = i + 1;
  if (level == 2)
    for (int k = 0; k < n * n; ++k) h[k] = k + 1;
  return 0;
}

/* sqrt(x); a negative argument is reported through the callback (FUNC, DOMAIN) and the
 * callback's answer is the result. */
EXPORT int sqrtchk(FUNC_ARGS) {
  (void)inst, (void)n, (void)h;
  if (x[0] < 0) {
    unsigned char msg[256];
    setshort(msg, "sqrtchk: negative argument");
    return logerror(1, 1, msg, usermem);
  }
  *f = sqrt(x[0]);
  if (level >= 1) g[0] = 0.5 / *f;
  if (level == 2) h[0] = -0.25 / (*f * x[0]);
  return 0;
}

#endif

#ifdef EXT_UPPER
/* 2x, exported in upper case only. */
EXPORT int TWICE(FUNC_ARGS) {
  (void)inst, (void)n, (void)h, (void)logerror, (void)usermem;
  *f = 2 * x[0];
  if (level >= 1) g[0] = 2;
  return 0;
}

/* x / 2, exported in mixed case: found only by that very spelling. */
EXPORT int Half(FUNC_ARGS) {
  (void)inst, (void)n, (void)h, (void)logerror, (void)usermem;
  *f = x[0] / 2;
  if (level >= 1) g[0] = 0.5;
  return 0;
}
#endif

#ifdef EXT_NOINIT
EXPORT int mulxy(FUNC_ARGS) {
  (void)inst, (void)level, (void)n, (void)x, (void)g, (void)h, (void)logerror, (void)usermem;
  *f = 0;
  return 0;
}
#endif
