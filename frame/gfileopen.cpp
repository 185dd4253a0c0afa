// Opening files with retries.
#include "frame/gfileopen.h"

#include <chrono>
#include <thread>

namespace gfileopen {

namespace {

constexpr std::string_view textreport = "TextFileOpenRetry";
constexpr std::string_view untypedreport = "UntypedFileOpenRetry";
constexpr int maxretries = 3;
constexpr int waits_ms[maxretries] = {10, 100, 1000};

void realsleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

detail::sleeper current_sleeper = &realsleep;

void report(std::string_view function, std::int32_t retries, std::string_view action,
            std::int32_t lasterror, std::string_view name) {
  q5rt::textfile& out = q5rt::output();
  out.writeln(q5rt::concat("*** Retry count succeeded in function ", function));
  out.write("*** Count = ");
  out.write_integer(retries);
  out.write(" Action = ");
  out.write(action);
  out.write(" IORes = ");
  out.write_integer(lasterror);
  out.write(" File = ");
  out.writeln(name);
}

// Opens with the attempt function (which gives the I/O result) as the flag asks.
template <class Attempt>
std::int32_t withretries(std::string_view function, std::string_view action, std::string_view name,
                         bool retry, std::int32_t& rc, Attempt attempt) {
  rc = attempt();
  if (!retry) return 0;
  std::int32_t retries = 0;
  std::int32_t lasterror = 0;
  while (rc != 0) {
    if (retries == maxretries) return retries;
    current_sleeper(waits_ms[retries]);
    ++retries;
    lasterror = rc;
    rc = attempt();
  }
  if (retries > 0) report(function, retries, action, lasterror, name);
  return retries;
}

// A text-file open with the file's I/O checking off, so that a failure comes back as rc.
template <class Open>
std::int32_t textopen(std::string_view name, bool retry, q5rt::textfile& f, std::int32_t& rc,
                      std::string_view action, Open open) {
  struct nocheck {  // the file's own checking comes back however this ends
    q5rt::textfile& f;
    bool was = f.iocheck();
    explicit nocheck(q5rt::textfile& file) : f(file) { f.set_iocheck(false); }
    ~nocheck() { f.set_iocheck(was); }
  } guard(f);
  f.assign(name);
  return withretries(textreport, action, name, retry, rc, [&] {
    (f.*open)();
    return f.ioresult();
  });
}

std::int32_t untypedopen(std::string_view name, std::int32_t recsize, bool retry,
                         q5rt::untypedfile& f, std::int32_t& rc, std::string_view action,
                         void (q5rt::untypedfile::*open)(std::int32_t)) {
  f.assign(name);
  return withretries(untypedreport, action, name, retry, rc, [&] {
    (f.*open)(recsize);
    return f.ioresult();
  });
}

}  // namespace

std::int32_t grrewrite(std::string_view name, bool retry, q5rt::textfile& f, std::int32_t& rc) {
  return textopen(name, retry, f, rc, actionrewrite, &q5rt::textfile::rewrite);
}

std::int32_t grreset(std::string_view name, bool retry, q5rt::textfile& f, std::int32_t& rc) {
  return textopen(name, retry, f, rc, actionreset, &q5rt::textfile::reset);
}

std::int32_t grappend(std::string_view name, bool retry, q5rt::textfile& f, std::int32_t& rc) {
  return textopen(name, retry, f, rc, actionappend, &q5rt::textfile::append);
}

std::int32_t grrewriteuntyped(std::string_view name, std::int32_t recsize, bool retry,
                              q5rt::untypedfile& f, std::int32_t& rc) {
  return untypedopen(name, recsize, retry, f, rc, actionrewrite, &q5rt::untypedfile::rewrite);
}

std::int32_t grresetuntyped(std::string_view name, std::int32_t recsize, bool retry,
                            q5rt::untypedfile& f, std::int32_t& rc) {
  return untypedopen(name, recsize, retry, f, rc, actionreset, &q5rt::untypedfile::reset);
}

namespace detail {

void set_sleeper(sleeper s) { current_sleeper = s ? s : &realsleep; }

}  // namespace detail

}  // namespace gfileopen
