// Decimal digits of a double, by exact conversion and by scaling, and the two exponent
// texts built on them.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "frame/q5rtnum.h"
#include "frame/q5utils.h"

namespace q5utils {

namespace {

// Digits and point position under construction (may exceed a short string).
struct digitstring {
  std::string digits;
  int point = 0;
};

constexpr auto pow10table = [] {
  std::array<double, 18> t{};
  double p = 1.0;
  for (double& v : t) {
    v = p;
    p *= 10.0;
  }
  return t;
}();
// Digit counts beyond every double's digits (1074 fraction digits, 309 integer ones).
constexpr int maxcount = 1100;
// The big steps of the scaling: 10^256, 10^128, 10^64, 10^32, 10^16.
constexpr std::array<int, 5> bigsteps = {256, 128, 64, 32, 16};

double pow10(int k) {
  return k < static_cast<int>(pow10table.size()) ? pow10table[k] : std::pow(10.0, k);
}

void striptrailingzeros(std::string& d) {
  while (!d.empty() && d.back() == '0') d.pop_back();
}

void store(const digitstring& ds, q5rt::sstr& digits, int& position) {
  digits.assign_cut(ds.digits);
  position = ds.point;
}

// ---- exact road ----

// Every significant digit of a finite ax > 0, exactly.
digitstring exactdigits(double ax) {
  // 309 integer digits, the point and 1074 fraction digits hold any double exactly.
  char buf[1400];
  const auto r = std::to_chars(buf, buf + sizeof buf, ax, std::chars_format::fixed, 1074);
  const std::string_view text(buf, static_cast<std::size_t>(r.ptr - buf));
  const auto dot = text.find('.');
  digitstring ds;
  ds.point = static_cast<int>(dot);
  for (char c : text) {
    if (c == '.') continue;
    if (ds.digits.empty() && c == '0') {
      --ds.point;
      continue;
    }
    ds.digits += c;
  }
  striptrailingzeros(ds.digits);
  return ds;
}

// Keeps the first keep digits, rounding the rest half to even.
void roundto(digitstring& ds, int keep) {
  if (keep >= static_cast<int>(ds.digits.size())) return;
  if (keep < 0) {
    ds.digits.clear();
    return;
  }
  const auto k = static_cast<std::size_t>(keep);
  const char next = ds.digits[k];
  const bool tail = ds.digits.find_first_not_of('0', k + 1) != std::string::npos;
  const bool lastodd = k > 0 && ((ds.digits[k - 1] - '0') % 2) == 1;
  const bool up = next > '5' || (next == '5' && (tail || lastodd));
  ds.digits.resize(k);
  if (up) {
    std::size_t i = k;
    while (i > 0 && ds.digits[i - 1] == '9') ds.digits[--i] = '0';
    if (i == 0) {
      ds.digits.insert(ds.digits.begin(), '1');
      ++ds.point;
    } else {
      ++ds.digits[i - 1];
    }
  }
  striptrailingzeros(ds.digits);
}

// The shortest digits that read back as ax.
digitstring shortestdigits(double ax) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, ax, std::chars_format::scientific);
  const std::string_view text(buf, static_cast<std::size_t>(r.ptr - buf));
  const auto e = text.find('e');
  digitstring ds;
  for (char c : text.substr(0, e))
    if (c != '.') ds.digits += c;
  int exponent = 0;
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                  exponent);
  ds.point = exponent + 1;
  striptrailingzeros(ds.digits);
  return ds;
}

// ---- scaled road ----

// |x| > 0 scaled into [10^(c-1), 10^c) and rounded: c digits and the position.
digitstring scaledsignificant(double ax, int c) {
  const double lo = pow10table[static_cast<std::size_t>(c - 1)];
  const double hi = pow10table[static_cast<std::size_t>(c)];
  int e = 0;
  for (int step : bigsteps)
    while (ax / pow10(step) >= lo) {
      ax /= pow10(step);
      e += step;
    }
  if (ax >= hi) {
    int p = 1;
    while (ax / pow10table[static_cast<std::size_t>(p)] >= hi) ++p;
    ax /= pow10table[static_cast<std::size_t>(p)];
    e += p;
  }
  for (int step : bigsteps)
    while (ax * pow10(step) < hi) {
      ax *= pow10(step);
      e -= step;
    }
  if (ax < lo) {
    int p = 1;
    while (ax * pow10table[static_cast<std::size_t>(p)] < lo) ++p;
    ax *= pow10table[static_cast<std::size_t>(p)];
    e -= p;
  }
  double r = realround(ax);
  while (r >= hi) {
    r /= 10.0;
    ++e;
  }
  q5rt::sstr d;
  getdigits(d, static_cast<std::int64_t>(r));
  return {d.str(), c + e};
}

// Modes 3 and 5: rounded to count digits after the point.
digitstring scaledfixed(double ax, int count) {
  int m = 0;
  if (count >= 0) {
    int left = count;
    for (int step : bigsteps)
      while (left >= step && ax * pow10(step) < 1e17) {
        ax *= pow10(step);
        left -= step;
        m += step;
      }
    while (left > 0 && ax * 10.0 < 1e17) {
      ax *= 10.0;
      --left;
      ++m;
    }
  } else {
    int left = -count;
    for (int step : bigsteps)
      while (left >= step) {
        ax /= pow10(step);
        left -= step;
      }
    ax /= pow10table[static_cast<std::size_t>(left)];
    m = count;
  }
  const double r = realround(ax);
  if (r == 0.0) return {"", -m};
  digitstring ds = scaledsignificant(r, 16);
  ds.point -= m;
  return ds;
}

}  // namespace

void getdigits(q5rt::sstr& digits, std::int64_t n) {
  const std::uint64_t v = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  std::string_view d(buf, static_cast<std::size_t>(r.ptr - buf));
  while (d.size() > 1 && d.back() == '0') d.remove_suffix(1);
  digits.assign_cut(d);
}

bool q5getdecdigits(double x, int mode, int count, q5rt::sstr& digits, int& position,
                    bool& negative) {
  digits.clear();
  position = 0;
  negative = std::signbit(x);
  if (mode < 0 || mode > 5 || !std::isfinite(x)) return false;
  // Beyond these counts every double gives the same digits.
  count = std::clamp(count, -maxcount, maxcount);
  if (x == 0.0) {
    negative = false;
    store({"0", 1}, digits, position);
    return true;
  }
  const double ax = std::fabs(x);
  const digitstring shortest = shortestdigits(ax);
  const int n = std::max(1, count);
  const auto significant = [&] {
    digitstring ds = exactdigits(ax);
    roundto(ds, n);
    return ds;
  };
  const auto fixed = [&] {
    digitstring ds = exactdigits(ax);
    roundto(ds, ds.point + count);
    if (ds.digits.empty()) ds.point = -count;
    return ds;
  };
  const int shortestfraction = static_cast<int>(shortest.digits.size()) - shortest.point;
  switch (mode) {
    case 0:
    case 1:
      store(shortest, digits, position);
      break;
    case 2:
      store(significant(), digits, position);
      break;
    case 3:
      store(fixed(), digits, position);
      break;
    case 4:
      store(static_cast<int>(shortest.digits.size()) <= n ? shortest : significant(), digits,
            position);
      break;
    default:
      store(shortestfraction <= count ? shortest : fixed(), digits, position);
      break;
  }
  return true;
}

bool scaledgetdecdigits(double x, int mode, int count, q5rt::sstr& digits, int& position,
                        bool& negative) {
  digits.clear();
  position = 0;
  negative = false;
  if (x == 0.0) {
    store({"0", 1}, digits, position);
    return true;
  }
  if (mode < 0 || mode > 5 || !std::isfinite(x)) return false;
  negative = x < 0;
  count = std::clamp(count, -maxcount, maxcount);
  const double ax = std::fabs(x);
  if (mode == 3 || mode == 5) {
    store(scaledfixed(ax, count), digits, position);
  } else {
    const int c = mode <= 1 ? 16 : std::clamp(count, 1, 17);
    store(scaledsignificant(ax, c), digits, position);
  }
  return true;
}

namespace {

constexpr std::string_view stars = "*****";

// The exponent's magnitude in 2 digits, or 3 from 100 on.
void appendexponent(q5rt::sstr& text, int exponent, int mindigits) {
  text.append_cut(exponent < 0 ? "E-" : "E+");
  char buf[8];
  const auto r = std::to_chars(buf, buf + sizeof buf, std::abs(exponent));
  const auto len = static_cast<int>(r.ptr - buf);
  for (int i = len; i < mindigits; ++i) text.append_cut('0');
  text.append_cut(std::string_view(buf, static_cast<std::size_t>(len)));
}

}  // namespace

void q5floattoefmt(q5rt::sstr& text, double x, int width, int decimals) {
  // A text never outgrows a short string; larger figures change nothing.
  width = std::clamp(width, -1, 1000);
  decimals = std::clamp(decimals, -1, 1000);
  text.assign_cut(stars);
  if (width < 6 || decimals < 0) {
    if (width == 1 || width == 4) text.set_length(static_cast<std::size_t>(width));
    return;
  }
  if (x == 0.0) {
    const int k = std::min({width - 6, decimals + 1, 16});
    text.assign_cut(" 0");
    if (k > 0) {
      text.append_cut('.');
      for (int i = 1; i < k; ++i) text.append_cut('0');
    }
    text.append_cut("E+00");
    return;
  }
  Q5_ASSERT(!std::isinf(x), "Input xAbs is not finite");
  const char sign = x < 0 ? '-' : ' ';
  const double ax = std::fabs(x);
  const int guessdigits = (ax >= 1e100 || ax < 1e-99) ? 3 : 2;
  int n = std::min({decimals + 1, 17, width - 4 - guessdigits});
  q5rt::sstr digits;
  int position = 0;
  bool negative = false;
  Q5_ASSERT(q5getdecdigits(ax, 4, n, digits, position, negative), "getDecDigits failed");
  const int exponent = position - 1;
  const int expdigits = std::abs(exponent) >= 100 ? 3 : 2;
  n = std::min({decimals + 1, 17, width - 4 - expdigits});
  // Only a carry into the exponent changes its width, and then the digits are "1".
  digits.set_length(std::min<std::size_t>(digits.size(), static_cast<std::size_t>(std::max(n, 1))));

  q5rt::sstr out;
  out.append_cut(sign);
  out.append_cut(digits[0]);
  if (n < 1) {
    appendexponent(out, exponent, 2);
    if (static_cast<int>(out.size()) <= width) text = out;
    return;
  }
  out.append_cut('.');
  out.append_cut(digits.view().substr(1));
  const int padto = n == 17 ? 16 : n;
  for (int i = static_cast<int>(digits.size()); i < padto; ++i) out.append_cut('0');
  appendexponent(out, exponent, 2);
  text = out;
}

void floattoe(q5rt::sstr& text, double x, int decimals) {
  text.assign_cut(" ");
  text.append_cut(x < 0 ? '-' : ' ');
  if (!std::isfinite(x)) {
    text.append_cut(std::isnan(x) ? "Nan" : "Inf");
    return;
  }
  const int b = std::max(decimals, 0);
  double m = std::fabs(x);
  int exponent = 0;
  if (m != 0.0) {
    while (m >= 10.0) {
      m /= 10.0;
      ++exponent;
    }
    while (m < 1.0) {
      m *= 10.0;
      --exponent;
    }
    // Rounded to the decimals the text shows (at most 14): a mantissa that rounds up to
    // 10 there moves the exponent on.
    const double scale = pow10(std::min(b, 14));
    m = realround(m * scale) / scale;
    if (m >= 10.0) {  // 9.99.. rounded up to 10: the exponent moves on
      m /= 10.0;
      ++exponent;
    }
  }
  // The default real text: sign, d, ".", 14 decimals, "E", sign, 4 digits.
  const q5rt::sstr real = q5rt::Q5_Str_dd0(m);
  text.append_cut(real.view().substr(1, 2 + static_cast<std::size_t>(std::min(b, 14))));
  appendexponent(text, exponent, 2);
}

}  // namespace q5utils
