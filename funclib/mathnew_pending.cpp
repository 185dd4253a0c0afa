// Stand-ins for the special, calendar and random evaluators until their unit is built:
// weak definitions, which the real ones replace at link time.
#include <cmath>

#include "funclib/mathnew.h"

namespace mathnew {

namespace detail {

[[gnu::weak]] int eval_uniform(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_normal(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_jdate(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_jtime(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_gyear(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_gmonth(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_gday(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_gdow(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_gleap(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_ghour(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_gminute(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_gsecond(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_fact(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_uniformint(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_gmillisec(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_gamma(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_loggamma(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_beta(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_logbeta(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_gammareg(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_betareg(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_binomial(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_randlinear(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_randtriangle(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }
[[gnu::weak]] int eval_randbinomial(ctvnew::tmathnewrec& r, const double* x) { return eval_notimplemented(r, x); }

}  // namespace detail

[[gnu::weak]] double codyerrf(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }
[[gnu::weak]] int vcpower(ctvnew::tmathnewrec& rec, double x, double c) {
  rec.f = std::pow(x, c);
  rec.g[0] = c * std::pow(x, c - 1);
  rec.h[0][0] = c * (c - 1) * std::pow(x, c - 2);
  return 0;
}

}  // namespace mathnew
