// Special-function kernels of the function library and the evaluators built on them.
//
// Kernels are pure functions of doubles; where one can fail it returns a flag through an
// out argument (0: success) and its caller decides the error report. The plain kernels
// signal their limits by the value 1.79e308.
//
// Usage:
//   int flag = 0;
//   double g = mathnew::gammaex(4.5, flag);              // Gamma(4.5), flag 0
//   double w, w1;
//   mathnew::bratio(2, 3, 0.4, 0.6, w, w1, flag);        // I_0.4(2, 3) = 0.5248
//   int result = 0;                                      // evaluators: written on a report
//   mathnew::funcgamma(result, rec, rec.level, x, rec.f, rec.g[0], rec.h[0][0]);
//
// codyerrf (the normal distribution function) and vcpower (x**c) are declared in mathnew.h.
#pragma once

#include "funclib/ctvnew.h"

namespace mathnew {

inline constexpr double kernel_inf = 1.79e308;    // the plain kernels' infinite return
inline constexpr double kernel_xmin = 2.23e-308;  // the smallest normal double, as used here
inline constexpr double kernel_eps = 2.22e-16;    // the machine epsilon, as used here

// ---- gamma family ----
// Gamma(x): a non-positive integer and x > 171.624 give 1.79e308.
[[nodiscard]] double gamma(double x);
// Gamma(x) with flag: 1 overflow (value 1.79e308), 2 pole or |x| < 2.23e-308 (value 0).
[[nodiscard]] double gammaex(double x, int& flag);
// ln Gamma(x) for x > 0; x <= 0 or x > 2.55e305 give 1.79e308.
[[nodiscard]] double lngamma(double x);
[[nodiscard]] double loggammaex(double x);
// ln Gamma(1 + a) for -0.2 <= a <= 1.25, accurate near a = 0 and a = 1.
[[nodiscard]] double loggammaap1(double a);
// 1 / Gamma(a + 1) - 1 for -0.5 <= a <= 1.5.
[[nodiscard]] double gam1(double a);
// Digamma; poles give +-1.79e308.
[[nodiscard]] double psi(double x);
// Digamma with flag 2 (value 0) at a pole or |x| < 2.23e-308.
[[nodiscard]] double digammaex2(double x, int& flag);
// Trigamma for x > 0 (a short asymptotic series); x <= 0 gives flag 1 and 0.
[[nodiscard]] double trigamma(double x, int& flag);
// Trigamma for any x, to full precision; flag 2 (value 0) at a pole or |x| <= 1e-152.
[[nodiscard]] double trigammaex3(double x, int& flag);
// The incomplete gamma ratio P(p, x) and its derivatives: d[0] dP/dx, d[1] d2P/dx2,
// d[2] dP/dp, d[3] d2P/dp2, d[4] d2P/dxdp, d[5] P. Inputs ln Gamma(p), ln Gamma(p + 1),
// psi(p), psi(p + 1), psi'(p), psi'(p + 1). Flag 1: no convergence in 100 terms.
void digami(double d[6], double x, double p, double gplog, double gp1log, double psip, double psip1,
            double psidp, double psidp1, int& flag);
// ln(Gamma(b) / Gamma(a + b)) for b >= 8; algdiv takes ln(1 + a/b) from alnrel, gammaratio
// from the runtime's log1p.
[[nodiscard]] double algdiv(double a, double b);
[[nodiscard]] double gammaratio(double a, double b);
// ln(1 + a): a rational approximation for |a| <= 0.375, else the logarithm.
[[nodiscard]] double alnrel(double a);
// del(a) + del(b) - del(a + b) for a, b >= 8, del the remainder of Stirling's formula.
[[nodiscard]] double bcorrex(double a, double b);
// a to the power b: whole exponents by repeated squaring (exact signs), else exp(b ln a).
[[nodiscard]] double mnpower(double a, double b);

// ---- beta family ----
// w = I_x(a, b), w1 = 1 - w for y = 1 - x. Flags (w = w1 = 0): 1 a or b negative, 2 a = b = 0,
// 3 x outside [0, 1], 4 y outside [0, 1], 5 |x + y - 1| > 6.66e-16, 6 x = a = 0,
// 7 y = b = 0.
void bratio(double a, double b, double x, double y, double& w, double& w1, int& flag);
// The pieces bratio chooses among (tol: the accuracy the sums stop at):
// I_x(a, b) by its power series, for b <= 1 or b x <= 0.7.
[[nodiscard]] double bpser(double a, double b, double x, double tol);
// I_x(a, b) - I_x(a + n, b) for a whole n >= 1.
[[nodiscard]] double bup(double a, double b, double x, double y, int n, double tol);
// Adds to w the asymptotic expansion of I_x(a, b) for a large a and b <= 1; flag 1 (w
// unchanged) where it cannot be used.
void bgrat(double a, double b, double x, double y, double& w, double tol, int& flag);
// I_x(a, b) by the asymptotic expansion for large a and b, lambda = (a + b) y - b >= 0.
[[nodiscard]] double basym(double a, double b, double lambda, double tol);
// ln B(a, b) for a, b > 0.
[[nodiscard]] double betaln(double a, double b);
[[nodiscard]] double betalnex(double a, double b);
// erfc(x) for ind = 0, exp(x^2) erfc(x) otherwise.
[[nodiscard]] double erfc1(int ind, double x);
// x - ln(1 + x), accurate for small x.
[[nodiscard]] double rlog1(double x);
// I_x(p, q) and its shape derivatives: der[0] I, der[1] dI/dp, der[2] d2I/dp2, der[3] dI/dq,
// der[4] d2I/dq2, der[5] d2I/dpdq. Inputs psi[0..6]: ln B(p, q), psi(p), psi'(p), psi(q),
// psi'(q), psi(p + q), psi'(p + q). Flags: 1 x not in (0, 1), 2 p <= 0, 3 q <= 0, 4 the ratio
// is 0 or 1 to working precision (derivatives 0), 5 no convergence in 200 approximants.
void inbeder(double x, double p, double q, const double psi[7], double der[6], int& nappx,
             double& errapx, int& flag);

// ---- evaluators with derivatives and error reports ----
// Each writes result only when it reports (the answer of the last report) and leaves
// unwritten outputs as the caller preset them.
void funcgamma(int& result, ctvnew::tmathnewrec& rec, int level, double x, double& f, double& dfdx,
               double& d2fdx2);
void funcbinomial(int& result, ctvnew::tmathnewrec& rec, int level, double x, double y, double& f,
                  double& fx, double& fy, double& fxx, double& fxy, double& fyx, double& fyy);
void funcbeta(int& result, ctvnew::tmathnewrec& rec, int level, double x, double y, double& f,
              double& fx, double& fy, double& fxx, double& fxy, double& fyx, double& fyy);
void funclogbeta(int& result, ctvnew::tmathnewrec& rec, int level, double x, double y, double& f,
                 double& fx, double& fy, double& fxx, double& fxy, double& fyx, double& fyy);

}  // namespace mathnew
