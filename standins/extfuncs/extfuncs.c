/* Test libraries of user functions with the entries the extrinsic-function loader binds:
 * XCreate, XFree, LibInit and one entry per function, C ABI. One source, three builds:
 *   libextdemo64.so    mulxy, cubic, expc, hessorder, sqrtchk (entries as named)
 *   libextupper64.so   every entry in upper case only (XCREATE, ..., TWICE) and one in
 *                      mixed case (Half)
 *   libextnoinit64.so  XCreate and XFree, no LibInit
 *   libextquery64.so   the demo entries plus addxy, negx and QueryLibrary, which describes
 *                      addxy and negx (plain style: the text through a text pointer)
 *   libextqueryf64.so  the same in Fortran style: exports FortranStyle, the text goes into a
 *                      256-byte buffer
 * Texts at the boundary are short strings: a length byte and up to 255 characters.
 * EXTFUNCS_TRACE=<file> appends one line per XCreate, LibInit ("LibInit <nr> <text>") and
 * XFree. LibInit refuses an initialisation text that contains "refuse".
 * EXTFUNCS_QUERY_FAULT: "format" answers format 3, "duplicate" names the second function
 * addxy too, "unanswered" leaves the second function's argument count unanswered. */
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

#define FUNC_ARGS                                                                 \
  void *inst, int level, int n, const double *x, double *f, double *g, double *h, \
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

#if defined(EXT_QUERY) || defined(EXT_QUERY_FORTRAN)
/* a + b, all levels. */
EXPORT int addxy(FUNC_ARGS) {
  (void)inst, (void)n, (void)logerror, (void)usermem;
  *f = x[0] + x[1];
  if (level >= 1) g[0] = g[1] = 1;
  if (level == 2) h[0] = h[1] = h[2] = h[3] = 0;
  return 0;
}

/* -x, value and gradient. */
EXPORT int negx(FUNC_ARGS) {
  (void)inst, (void)n, (void)h, (void)logerror, (void)usermem;
  *f = -x[0];
  if (level >= 1) g[0] = -1;
  return 0;
}

static int fault(const char* what) {
  const char* v = getenv("EXTFUNCS_QUERY_FAULT");
  return v != NULL && strcmp(v, what) == 0;
}

/* The answer to one question: its value and text; 0 when not answered. */
static int answer(int pos, int code, int* value, const char** text) {
  static const char* names[] = {"addxy", "negx"};
  static const char* texts[] = {"a plus b", "minus x"};
  *text = "";
  if (pos == 0) {
    switch (code) {
      case 0:
        *value = fault("format") ? 3 : 2;
        return 1;
      case 1:
        *value = 5;
        *text = "extfuncs query credit";
        return 1;
      case 2:
        *value = 2;
        *text = "functions described by queries";
        return 1;
      case 3:
        *value = 1;
        return 1;
      default:
        return 0;
    }
  }
  if (pos < 1 || pos > 2) return 0;
  const int two = pos == 2;
  switch (code) {
    case 1:
      *text = two && fault("duplicate") ? names[0] : names[pos - 1];
      return 1;
    case 2:
      *text = texts[pos - 1];
      return 1;
    case 3:
      *value = 0;
      return 1; /* never in equation */
    case 4:
      *value = two ? 1 : 2;
      return 1; /* smooth */
    case 5:
      *value = 0;
      return 1; /* zero ripple */
    case 6:
      *value = two ? 1 : 2;
      return 1; /* minimum arguments */
    case 7:
      if (two && fault("unanswered")) return 0;
      *value = two ? 1 : 2;
      return 1;
    case 8:
      *value = two ? 1 : 2;
      return 1; /* maximum derivative level */
    case 1001:
      *value = 1;
      *text = two ? "x" : "a";
      return 1;
    case 1002:
      *value = 0;
      *text = "b";
      return !two;
    default:
      return 0;
  }
}
#endif

#ifdef EXT_QUERY
EXPORT int QueryLibrary(int pos, int code, int* value, const char** text) {
  return answer(pos, code, value, text);
}
#endif

#ifdef EXT_QUERY_FORTRAN
EXPORT void FortranStyle(void) {}

EXPORT int QueryLibrary(int pos, int code, int* value, char* buffer) {
  const char* text = "";
  int r = answer(pos, code, value, &text);
  snprintf(buffer, 256, "%s", text);
  return r;
}
#endif
