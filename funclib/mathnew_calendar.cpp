// Calendar functions of the function library: day numbers from dates and times, and the
// date and time of day of a day number. Day 1 is 1 January 1900 of the proleptic Gregorian
// calendar; the dates run from 1 January of year 1 to 31 December 9999.
#include <cmath>

#include "funclib/mathnew.h"

namespace mathnew::detail {

namespace {

constexpr int func = ctvnew::rc_func;
constexpr int domain = ctvnew::ec_domain;
constexpr double firstday = -693594;  // 1 January of year 1
constexpr double lastday = 2958464;   // 31 December 9999

// Days from 1 March of year 0 to the date, for whole numbers in doubles (months 1..12).
double civildays(double y, double m, double d) {
  if (m <= 2) y -= 1;
  const double era = std::floor(y / 400);
  const double yoe = y - era * 400;
  const double mp = m > 2 ? m - 3 : m + 9;
  const double doy = std::floor((153 * mp + 2) / 5) + d - 1;
  const double doe = yoe * 365 + std::floor(yoe / 4) - std::floor(yoe / 100) + doy;
  return era * 146097 + doe;
}

const double dayoffset = 1 - civildays(1900, 1, 1);  // day number = civildays + dayoffset

struct civildate {
  double year, month, day;
};

civildate fromday(double daynumber) {
  const double z = daynumber - dayoffset;
  const double era = std::floor(z / 146097);
  const double doe = z - era * 146097;
  const double yoe = std::floor(
      (doe - std::floor(doe / 1460) + std::floor(doe / 36524) - std::floor(doe / 146096)) / 365);
  const double doy = doe - (365 * yoe + std::floor(yoe / 4) - std::floor(yoe / 100));
  const double mp = std::floor((5 * doy + 2) / 153);
  const double day = doy - std::floor((153 * mp + 2) / 5) + 1;
  const double month = mp < 10 ? mp + 3 : mp - 9;
  return {yoe + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

bool leapyear(double y) {
  return std::fmod(y, 4) == 0 && (std::fmod(y, 100) != 0 || std::fmod(y, 400) == 0);
}

// Checks the day number and hands its date (or its time of day) to the extractor.
template <typename Extract>
int calendar(ctvnew::tmathnewrec& r, double x, Extract extract) {
  if (!(x >= firstday && x <= lastday))
    return logerr(r, func, domain, "argument out of range -693594..2958464");
  r.f = extract(x);
  return 0;
}

double dateof(double x, int part) {
  const civildate c = fromday(std::floor(x));
  return part == 0 ? c.year : part == 1 ? c.month : c.day;
}

// Milliseconds of the time of day (a fraction that rounds up to a whole day gives 86400000).
double msofday(double x) { return std::round((x - std::floor(x)) * 86400000.0); }

}  // namespace

int eval_jdate(ctvnew::tmathnewrec& r, const double* x) {
  const double range = (x[2] / 30 + x[1]) / 12 + x[0];
  if (!(range >= -1000 && range <= 15000)) return logerr(r, func, domain, "arguments out of range");
  double y = std::floor(x[0]);
  double m = std::floor(x[1]);
  const double d = std::floor(x[2]);
  const double k = intpart((m - 1) / 12);
  y += k;
  m -= 12 * k;
  if (m <= 0) {
    y -= 1;
    m += 12;
  }
  if (y < 1 || y > 9999) return logerr(r, func, domain, "year out of range 1..9999");
  r.f = civildays(y, m, 1) + dayoffset + d - 1;
  if (r.f > lastday || r.f < firstday)
    return logerr(r, func, domain, "final date out of range -693594..2958464");
  return 0;
}

int eval_jtime(ctvnew::tmathnewrec& r, const double* x) {
  r.f = ((x[2] / 60 + x[1]) / 60 + x[0]) / 24;
  return 0;
}

int eval_gyear(ctvnew::tmathnewrec& r, const double* x) {
  return calendar(r, x[0], [](double v) { return dateof(v, 0); });
}
int eval_gmonth(ctvnew::tmathnewrec& r, const double* x) {
  return calendar(r, x[0], [](double v) { return dateof(v, 1); });
}
int eval_gday(ctvnew::tmathnewrec& r, const double* x) {
  return calendar(r, x[0], [](double v) { return dateof(v, 2); });
}
// 1 Monday .. 7 Sunday; day 1 was a Monday.
int eval_gdow(ctvnew::tmathnewrec& r, const double* x) {
  return calendar(r, x[0], [](double v) {
    const double m = std::fmod(std::floor(v) - 1, 7.0);
    return (m < 0 ? m + 7 : m) + 1;
  });
}
int eval_gleap(ctvnew::tmathnewrec& r, const double* x) {
  return calendar(r, x[0], [](double v) { return leapyear(dateof(v, 0)) ? 1.0 : 0.0; });
}
int eval_ghour(ctvnew::tmathnewrec& r, const double* x) {
  return calendar(r, x[0], [](double v) { return std::floor(msofday(v) / 3600000); });
}
int eval_gminute(ctvnew::tmathnewrec& r, const double* x) {
  return calendar(r, x[0], [](double v) {
    const double ms = msofday(v);
    return std::floor(ms / 60000) - 60 * std::floor(ms / 3600000);
  });
}
int eval_gsecond(ctvnew::tmathnewrec& r, const double* x) {
  return calendar(r, x[0],
                  [](double v) { return std::floor(std::fmod(msofday(v), 60000) / 1000); });
}
int eval_gmillisec(ctvnew::tmathnewrec& r, const double* x) {
  return calendar(r, x[0], [](double v) { return std::fmod(msofday(v), 1000); });
}

}  // namespace mathnew::detail
