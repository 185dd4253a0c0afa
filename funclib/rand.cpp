// Knuth's subtractive generator and the polar method; see rand.h.
#include "funclib/rand.h"

#include <cmath>

#include "frame/q5rt.h"

namespace randunit {

namespace {

constexpr double modulus = 1e9;
constexpr std::int32_t defaultseed = 3141;
constexpr int polarmaxtries = 1000;  // a degenerate (restored) table must not loop forever

double reduce(double d) { return d < 0 ? d + modulus : d; }

// One pass over the table: a[m] -= a[m + 31] for the first 24, a[m] -= a[m - 24] after.
void refresh() {
  double* a = randarray;
  for (int m = 1; m <= 24; ++m) a[m] = reduce(a[m] - a[m + 31]);
  for (int m = 25; m <= tablesize; ++m) a[m] = reduce(a[m] - a[m - 24]);
}

// Fills the table from a seed and warms it up with three passes.
void initialise(std::int32_t seed) {
  double* a = randarray;
  double j = seed;
  double k = 1;
  a[tablesize] = seed;
  for (int i = 1; i < tablesize; ++i) {
    a[(21 * i) % tablesize] = k;
    const double t = reduce(j - k);
    j = k;
    k = t;
  }
  for (int pass = 0; pass < 3; ++pass) refresh();
}

// A saved double as a position 0..55; anything else counts as 0 (refresh next).
std::int32_t savedposition(double v) {
  const double r = std::round(v);
  return (r >= 0 && r <= tablesize) ? static_cast<std::int32_t>(r) : 0;
}

// A saved double as a pending seed 1..1e9; anything else is the default seed.
std::int32_t savedseed(double v) {
  const double r = std::round(v);
  return (r >= 1 && r <= modulus) ? static_cast<std::int32_t>(r) : defaultseed;
}

void closedown() {}

q5rt::unit_registration reg{"rand", &startup, &closedown};

}  // namespace

void startup() {
  newseed = defaultseed;
  normalsave = 0;
  uniformnext = 0;
}

void randsetseed(std::int32_t s) {
  if (s >= 0 && s <= static_cast<std::int32_t>(modulus)) newseed = s == 0 ? defaultseed : s;
  normalsave = 0;
  uniformnext = 0;
}

std::int32_t randgetseed() {
  if (newseed != 0) return newseed;
  // With the position cleared nothing was handed out since; the table's last value stands in.
  const int last = uniformnext >= 1 ? uniformnext : 1;
  const double r = std::round(randarray[last]);
  newseed = (r >= 0 && r <= modulus) ? static_cast<std::int32_t>(r) : defaultseed;
  normalsave = 0;
  uniformnext = 0;
  return newseed;
}

double randuniform() {
  if (uniformnext >= 2) {
    --uniformnext;
    return 1e-9 * randarray[uniformnext];
  }
  if (newseed != 0) {
    initialise(newseed);
    newseed = 0;
  }
  refresh();
  uniformnext = tablesize;
  return 1e-9 * randarray[tablesize];
}

double randnormal() {
  if (normalsave != 0) {
    const double r = normalsave;
    normalsave = 0;
    return r;
  }
  for (int tries = 0; tries < polarmaxtries; ++tries) {
    const double u = 2 * randuniform() - 1;
    const double v = 2 * randuniform() - 1;
    const double s = u * u + v * v;
    if (s > 0 && s < 1) {
      const double c = std::sqrt(-2 * std::log(s) / s);
      normalsave = c * v;
      return c * u;
    }
  }
  return 0;
}

void randsave(double* state) {
  state[0] = normalsave;
  if (newseed != 0) {
    for (int i = 1; i < tablesize; ++i) state[i] = 0;
    state[tablesize] = newseed;
  } else {
    for (int i = 1; i <= tablesize; ++i) state[i] = randarray[i];
  }
  state[savesize - 1] = uniformnext;
}

void randrestore(const double* state) {
  normalsave = state[0];
  uniformnext = savedposition(state[savesize - 1]);
  // A pending seed was saved as 54 zeros and the seed; a running table at position 0
  // (cleared by an out-of-range seed) is restored as a table, not taken for a seed.
  bool seedform = uniformnext == 0;
  for (int i = 1; seedform && i < tablesize; ++i) seedform = state[i] == 0;
  if (seedform) {
    newseed = savedseed(state[tablesize]);
    return;
  }
  newseed = 0;
  for (int i = 1; i <= tablesize; ++i) randarray[i] = state[i];
}

}  // namespace randunit
