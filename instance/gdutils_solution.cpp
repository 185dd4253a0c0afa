// Records of the solution file in the text and binary layouts.
#include "instance/gdutils_solution.h"

#include "instance/gdutils_vrk.h"

namespace gdutils {

namespace {

// Tag bits of a binary record.
constexpr std::int32_t nolevel = 16;
constexpr std::int32_t nomarginal = 32;
constexpr std::int32_t noscale = 64;

// A nonbasic record (at a bound) carries no level of its own.
constexpr bool atbound(std::int32_t basis) { return basis == 0 || basis == 1; }

}  // namespace

void wrsolheadtail(tmodfile& h, std::int32_t index, double value) {
  if (h.layout == vrklayout) return vrk::wrsolheadtail(h, index, value);
  if (h.istext()) {
    wrtxint(h, index);
    wrtxreal(h, value);
    return wrtxeol(h);
  }
  wri8(h, index);
  wrr8(h, value);
}

void wrsolrec(tmodfile& h, std::int32_t status, std::int32_t basis, double level, double marginal) {
  wrsolrecex(h, status, basis, level, marginal, 1.0);
}

void wrsolrecex(tmodfile& h, std::int32_t status, std::int32_t basis, double level, double marginal,
                double scale) {
  h.pasthead = true;
  if (atbound(basis)) level = 0.0;
  if (h.layout == vrklayout) return vrk::wrsolrecex(h, {status, basis, level, marginal, scale});
  if (h.istext()) {
    wrtxreal(h, level);
    wrtxreal(h, marginal);
    wrtxint(h, basis);
    wrtxint(h, status);
    if (h.scaledsol) wrtxreal(h, scale);
    return wrtxeol(h);
  }
  const bool storelevel = level != 0.0;  // atbound records hold level 0 here
  const bool storemarginal = marginal != 0.0;
  const bool storescale = h.scaledsol && scale != 1.0;
  std::int32_t tag = (status & 3) + 4 * (basis & 3);
  if (!storelevel) tag += nolevel;
  if (!storemarginal) tag += nomarginal;
  if (!storescale) tag += noscale;
  wri8(h, tag);
  if (storelevel) wrr8(h, level);
  if (storemarginal) wrr8(h, marginal);
  if (storescale) wrr8(h, scale);
}

void wrsolrowsdone(tmodfile& h) { h.rowsdone = true; }

bool rdsolheadtail(tmodfile& h, std::int32_t& index, double& value) {
  if (h.layout == vrklayout) return vrk::rdsolheadtail(h, index, value);
  index = 0;
  value = 0.0;
  if (h.istext()) {
    if (rdtxeof(h)) return !h.failed;
    index = rdtxint(h);
    value = rdtxreal(h);
    rdtxeol(h);
    return !h.failed;
  }
  index = rdi8(h);
  value = rdr8(h);
  return !h.failed;
}

bool rdsolrecex(tmodfile& h, solrec& r) {
  if (h.layout == vrklayout) return vrk::rdsolrecex(h, r);
  r = solrec{};
  if (h.istext()) {
    if (rdtxeof(h)) {
      r = solrecateof;
      return !h.failed;
    }
    r.level = rdtxreal(h);
    r.marginal = rdtxreal(h);
    r.basis = rdtxint(h);
    r.status = rdtxint(h);
    if (h.scaledsol) r.scale = rdtxreal(h);
    rdtxeol(h);
    return !h.failed;
  }
  const std::int32_t tag = rdu8(h);
  r.status = tag % 4;
  r.basis = (tag / 4) % 4;
  if (!atbound(r.basis) && (tag & nolevel) == 0) r.level = rdr8(h);
  if ((tag & nomarginal) == 0) r.marginal = rdr8(h);
  if (h.scaledsol && (tag & noscale) == 0) r.scale = rdr8(h);
  return !h.failed;
}

bool rdsolrec(tmodfile& h, std::int32_t& status, std::int32_t& basis, double& level,
              double& marginal) {
  solrec r;
  const bool ok = rdsolrecex(h, r);
  status = r.status;
  basis = r.basis;
  level = r.level;
  marginal = r.marginal;
  return ok;
}

}  // namespace gdutils
