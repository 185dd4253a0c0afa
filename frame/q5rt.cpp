// The runtime layer: exceptions, the unit registry with halt, error texts and ticks.
#include "frame/q5rt.h"

#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace q5rt {

assertion_error::assertion_error(std::string_view text, const char* file, int line)
    : exception([&] {
        std::string_view name = file ? file : "";
        const auto slash = name.find_last_of('/');
        if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
        return std::string(text) + " (" + std::string(name) + ":" + std::to_string(line) + ")";
      }()) {}

namespace detail {

// The program's unit order: each unit follows the units it uses.
constexpr std::array<std::string_view, 60> unit_order = {
    "q5platform", "q5private", "q5library",  "q5utils",   "q5process",  "q5ieeefp",   "stdthread",
    "zlmspecs",   "ctvnl",     "ctvproc",    "zlmgen",    "zlmlibname", "zlmfuncs",   "pchutil",
    "stattypes",  "strutilx",  "statlibobj", "statlib",   "zlmobj",     "clibtypes",  "xcompress",
    "zlmstrm",    "charmaps",  "gfileopen",  "zlmglobx",  "zolmdirs",   "wyqdcdef",   "wyqdodef",
    "zlmconf",    "ctvnew",    "libfuncs",   "mathshare", "rand",       "mathnew",    "genextfunc",
    "vkdefs",     "vrkdcdef",  "dctmdcdef",  "scrvrk",    "gdutils",    "gcdata",     "gcload",
    "dctmdodef",  "optdcdef",  "optdodef",   "optbaron",  "evalnew",    "zlmheapnew", "miniparser",
    "empreader",  "empdata",   "optconvert", "hvnmdcdef", "hvnmdodef",  "eval",       "dagger",
    "liutil",     "gcutil",    "gcbaron",    "kvbaudit"};

struct unit_entry {
  const char* name;
  unit_proc startup;
  unit_proc closedown;
  std::size_t rank;
  std::size_t seq;
};

std::vector<unit_entry>& registry() {
  static std::vector<unit_entry> units;
  return units;
}

std::size_t rank_of(std::string_view name) {
  for (std::size_t i = 0; i < unit_order.size(); ++i)
    if (unit_order[i] == name) return i;
  return unit_order.size();
}

bool started = false;
bool closed = false;
bool halting = false;
std::size_t started_count = 0;  // close-downs only for units whose start-up ran

void closedown_at_exit() { run_closedowns(); }

std::uint64_t clock_ticks() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

tick_source current_tick_source = nullptr;

}  // namespace detail

unit_registration::unit_registration(const char* name, unit_proc startup, unit_proc closedown) {
  auto& units = detail::registry();
  units.push_back({name, startup, closedown, detail::rank_of(name), units.size()});
}

void run_startups() {
  if (detail::started) return;
  detail::started = true;
  auto& units = detail::registry();
  std::stable_sort(units.begin(), units.end(),
                   [](const auto& a, const auto& b) { return a.rank < b.rank; });
  std::atexit(detail::closedown_at_exit);
  for (auto& unit : units) {
    if (unit.startup) unit.startup();
    ++detail::started_count;
  }
}

void run_closedowns() {
  if (detail::closed) return;
  detail::closed = true;
  detail::halting = true;
  auto& units = detail::registry();
  for (std::size_t i = detail::started_count; i-- > 0;)
    if (units[i].closedown) units[i].closedown();
}

void halt(int code) {
  std::fflush(stdout);
  if (detail::halting) std::_Exit(code);  // a halt during the close-down ends at once
  detail::halting = true;
  std::exit(code);  // runs the close-downs through atexit
}

bool finishing() { return detail::halting; }

sstr syserrortext(int code) {
  char buf[256];
  // GNU strerror_r may return a static text instead of filling the buffer.
  const char* text = strerror_r(code, buf, sizeof buf);
  return sstr::cut(text);
}

std::uint64_t tick_ms() {
  return detail::current_tick_source ? detail::current_tick_source() : detail::clock_ticks();
}

void set_tick_source(tick_source source) { detail::current_tick_source = source; }

}  // namespace q5rt
