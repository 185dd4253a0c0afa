// BARON's option set on the shared option-set implementation.
#include "baron/optbaron.h"

#include <algorithm>

#include "instance/gcdata.h"

namespace optbaron {

namespace {

// Control option k and the option number that receives it, in copy order.
struct zolmcopy {
  std::int32_t key;
  std::int32_t nr;
};
constexpr zolmcopy zolmcopies[] = {{2, 22},  {5, 28},  {6, 29},  {10, 39}, {11, 40}, {12, 41},
                                   {13, 42}, {14, 43}, {4, 51},  {7, 55},  {15, 88}, {16, 89},
                                   {17, 90}, {18, 91}, {19, 92}, {8, 96}};

constexpr std::int32_t firstdotnr = 105;

}  // namespace

toptconvert::toptconvert(optdodef::tzlmoptions& options)
    : toptset(options, optset::setdesc{"optbaron.def", optnamemap}) {}

std::int32_t toptconvert::optgetzolm() const {
  for (const zolmcopy& c : zolmcopies) {
    double value = 0;
    if (gcdata::gcgetzolmopt(c.key, value)) setnumbernr(c.nr, value);
  }
  return optreporterrors();
}

void toptconvert::optdotrecord(std::int32_t k, dotrecord& rec) const {
  std::int32_t nr = 0;
  (void)options().optgetdotoptnr(k, rec.symbol, nr, rec.dimension, rec.value);
  rec.kind = nr >= firstdotnr && nr < firstdotnr + 4 ? nr - firstdotnr : -1;
  const std::int32_t n = std::min(rec.dimension, maxdotlabels);
  for (std::int32_t p = 1; p <= n; ++p) {
    (void)options().optgetdotoptuel(k, p, rec.labels[static_cast<std::size_t>(p - 1)]);
  }
}

toptconvert& boinit() {
  convertoptions = optset::createoptions("optbaron", apierrormsg);
  bo = std::make_unique<toptconvert>(*convertoptions);
  return *bo;
}

void bofini() {
  if (!bo) return;
  bo.reset();
  convertoptions.reset();
}

namespace {
void startup() { bo.reset(); }
// Frees the option object while the option library's binding still stands.
void closedown() { bofini(); }
q5rt::unit_registration reg{"optbaron", &startup, &closedown};
}  // namespace

}  // namespace optbaron
