// The environment part of the combined stand-in library.
#include "standins/brin/envmodel.h"

#include <chrono>
#include <cstdio>

#include "frame/q5rt.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"

namespace brin {

namespace {

void appendline(const std::string& file, std::string_view line) {
  if (file.empty()) return;
  if (std::FILE* f = std::fopen(file.c_str(), "ab")) {
    std::fwrite(line.data(), 1, line.size(), f);
    std::fputc('\n', f);
    std::fclose(f);
  }
}

template <typename M>
auto find(const M& map, const std::string& k, typename M::mapped_type none) {
  const auto it = map.find(k);
  return it == map.end() ? none : it->second;
}

}  // namespace

environment::environment(std::string_view sysdir) {
  if (!sysdir.empty()) setstr("NameSysDir", sysdir);
}

std::string environment::key(std::string_view name) {
  std::string k(name);
  for (char& c : k)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return k;
}

int environment::getint(std::string_view name) const { return find(ints_, key(name), 0); }
double environment::getdbl(std::string_view name) const { return find(dbls_, key(name), 0.0); }
std::string environment::getstr(std::string_view name) const {
  return find(strs_, key(name), std::string());
}
void environment::setint(std::string_view name, int v) { ints_[key(name)] = v; }
void environment::setdbl(std::string_view name, double v) { dbls_[key(name)] = v; }
void environment::setstr(std::string_view name, std::string_view v) {
  strs_[key(name)] = std::string(v);
}

void environment::log(std::string_view line) const {
  appendline(getstr("NameLogFile"), line);
  if (callback != nullptr) callback(std::string(line).c_str(), 1, callbackdata);
}

bool environment::initlegacy(std::string_view at, std::string& msg) {
  if (at.empty() || at.front() != '@') {
    msg = "brin: the environment is set up from \"@\" and a control file";
    return false;
  }
  static const bool started = [] {
    q5rt::run_startups();
    return true;
  }();
  (void)started;
  q5rt::sstr why;
  if (!gcload::loadcontrol(at.substr(1), why)) {
    msg = "brin: " + std::string(why.view());
    return false;
  }
  const gcdata::tmodel& m = gcdata::mymodel;
  setstr("NameSysDir", m.sysdir.view());
  setstr("NameScrDir", m.scrdir.view());
  // Scratch names as the link makes them: directory, base name, "." and extension.
  setstr("NameScrExt", "." + std::string(m.scrext.view()));
  setstr("NameLogFile", m.logfile.view());
  setstr("NameStaFile", m.statfile.view());
  return true;
}
void environment::stat(std::string_view line) const { appendline(getstr("NameStaFile"), line); }

double environment::seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double environment::jnow() {
  using namespace std::chrono;
  const double unixdays =
      duration<double>(system_clock::now().time_since_epoch()).count() / 86400.0;
  return unixdays + 25569.0;  // 1899-12-30 to 1970-01-01
}

double environment::timediff() {
  const double now = seconds();
  const double d = now - last_;
  last_ = now;
  return d;
}

double environment::timediffstart() const { return seconds() - start_; }

void environment::timesetstart() { start_ = last_ = seconds(); }

std::string environment::scratchname(std::string_view name) const {
  return getstr("NameScrDir") + std::string(name) + getstr("NameScrExt");
}

}  // namespace brin
