// Record lines of the data-exchange file: the plain form the writer writes, read in place,
// and any other form from the line's words.
#include "standins/zlmvrk/vrklines.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <limits>

namespace zlmvrk {

namespace {

// A key of a record line's plain form at p: a number from 1 up to the largest 32-bit one
// in decimal digits (leading zeros allowed), then a blank. Where it ends, or null.
const char* plainkey(const char* p, const char* end, std::int32_t& k) {
  constexpr std::int64_t largest = std::numeric_limits<std::int32_t>::max();
  std::int64_t v = 0;
  const char* q = p;
  for (; q != end && *q >= '0' && *q <= '9' && v <= largest; ++q) v = v * 10 + (*q - '0');
  if (q == p || q == end || *q != ' ' || v < 1 || v > largest) return nullptr;
  k = static_cast<std::int32_t>(v);
  return q + 1;
}

// True for a word that can only be a number: no special-value name starts so.
bool numeric(const char* p, const char* stop) {
  const auto digit = [](char c) { return (c >= '0' && c <= '9') || c == '.'; };
  return digit(*p) || (*p == '-' && stop - p > 1 && digit(p[1]));
}

bool isdigit(char c) { return c >= '0' && c <= '9'; }

// The digits at p into m; the count of them.
int digits(const char*& p, const char* stop, std::uint64_t& m) {
  const char* const start = p;
  for (; p != stop && isdigit(*p); ++p) m = m * 10 + static_cast<std::uint64_t>(*p - '0');
  return static_cast<int>(p - start);
}

// A short decimal number ("-12.5", "2.5e-07": digits on both sides of a point, an exponent
// of up to three digits) whose digits make an integer m of at most 2^53 and whose power of
// ten p lies within 22 either way: m and 10^|p| are exact doubles, so their product or
// quotient is rounded once, to the value from_chars gives. False for any other word, which
// from_chars then reads.
bool shortdecimal(const char* p, const char* stop, double& v) {
  static constexpr std::array<double, 23> tens = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const bool minus = p != stop && *p == '-';
  if (minus) ++p;
  std::uint64_t m = 0;
  int n = digits(p, stop, m);
  if (n == 0) return false;
  int power = 0;
  if (p != stop && *p == '.') {
    const int fraction = digits(++p, stop, m);
    if (fraction == 0) return false;
    n += fraction;
    power = -fraction;
  }
  if (p != stop && (*p == 'e' || *p == 'E')) {
    const bool down = ++p != stop && *p == '-';
    if (p != stop && (*p == '-' || *p == '+')) ++p;
    std::uint64_t e = 0;
    const int en = digits(p, stop, e);
    if (en == 0 || en > 3) return false;
    power += down ? -static_cast<int>(e) : static_cast<int>(e);
  }
  if (p != stop || n > 19 || m > (std::uint64_t{1} << 53) || power < -22 || power > 22)
    return false;
  const double d = static_cast<double>(m);
  const double t = tens[static_cast<std::size_t>(power < 0 ? -power : power)];
  v = power < 0 ? d / t : d * t;
  if (minus) v = -v;
  return true;
}

// The value word [p, stop) of a plain record line into value i of r: a special-value name
// or a number that from_chars reads whole.
bool plainvalue(const char* p, const char* stop, record& r, std::size_t i) {
  const auto sp = p == stop || numeric(p, stop)
                      ? specialtexts.end()
                      : std::find(specialtexts.begin(), specialtexts.end(),
                                  std::string_view(p, static_cast<std::size_t>(stop - p)));
  if (sp != specialtexts.end()) {
    r.special[i] = static_cast<std::int8_t>(sp - specialtexts.begin());
    return true;
  }
  if (shortdecimal(p, stop, r.values[i])) return true;
  const auto [q, ec] = std::from_chars(p, stop, r.values[i]);
  return ec == std::errc() && q == stop;
}

// r as record{} leaves it, filled in place: assigning a zeroed temporary costs a string
// store and a copy that waits for it, a good part of reading a short line.
void blank(record& r) {
  r.keys.fill(0);
  r.values.fill(0.0);
  r.special.fill(-1);
}

}  // namespace

// A record line's plain form "record k1 .. kd : v1 .. vn" (single blanks, numbers or
// special-value names), read without splitting the line into tokens. False for any
// other form, which the general reader then takes.
bool fastrecord(std::string_view line, const symbol& s, record& r) {
  constexpr std::string_view lead = "record ";
  if (!line.starts_with(lead)) return false;
  blank(r);
  const char* p = line.data() + lead.size();
  const char* const end = line.data() + line.size();
  for (int d = 0; d < s.dim && p != nullptr; ++d)
    p = plainkey(p, end, r.keys[static_cast<std::size_t>(d)]);
  if (p == nullptr || end - p < 2 || p[0] != ':' || p[1] != ' ') return false;
  p += 2;
  const int n = valuecount(s.type);
  for (int k = 0; k < n; ++k) {
    const char* stop = std::find(p, end, ' ');
    if (!plainvalue(p, stop, r, static_cast<std::size_t>(k))) return false;
    if (k + 1 < n && stop == end) return false;
    p = stop == end ? end : stop + 1;
  }
  return p == end && line.back() != ' ';
}

// A record line of any form, split into words w ("record", the keys, ":", the values).
bool tokenrecord(const std::vector<linetokens::token>& w, const symbol& s, record& r) {
  const auto dim = static_cast<std::size_t>(s.dim);
  const auto n = static_cast<std::size_t>(valuecount(s.type));
  if (w.size() != 1 + dim + 1 + n || w[1 + dim].text != ":") return false;
  blank(r);
  for (std::size_t k = 0; k < dim; ++k) {
    if (!linetokens::toint(w[1 + k].text, r.keys[k]) || r.keys[k] < 1) return false;
  }
  for (std::size_t k = 0; k < n; ++k) {
    const std::string& t = w[2 + dim + k].text;
    const auto sp = std::find(specialtexts.begin(), specialtexts.end(), t);
    if (sp != specialtexts.end())
      r.special[k] = static_cast<std::int8_t>(sp - specialtexts.begin());
    else if (!linetokens::todouble(t, r.values[k]))
      return false;
  }
  return true;
}

}  // namespace zlmvrk
