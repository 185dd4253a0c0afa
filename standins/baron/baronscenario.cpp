// Reader of the stand-in BARON's scenario files (format in standins/README.md).
#include "standins/baron/baronscenario.h"

#include <array>
#include <charconv>
#include <string_view>

#include "standins/common/linetokens.h"

namespace baronscenario {

namespace {

using baronresults::form;

constexpr std::array<std::string_view, 10> timkeys = {
    "lower", "upper",   "barstatus",  "modelstatus", "missingbnd",
    "itera", "nodeopt", "nodememmax", "cputime",     "walltime"};

constexpr std::array<std::pair<std::string_view, form>, 5> forms = {
    {{"list", form::list},
     {"block", form::block},
     {"both", form::both},
     {"iis", form::iis},
     {"nosolution", form::nosolution}}};

// A whole number of 0 or more.
bool count(std::string_view t, long long& v) {
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  return ec == std::errc() && end == t.data() + t.size() && v >= 0;
}

bool isfile(std::string_view f) { return f == "tim" || f == "sum" || f == "res"; }

std::vector<std::string> rest(const std::vector<linetokens::token>& w, std::size_t from) {
  std::vector<std::string> v;
  for (std::size_t i = from; i < w.size(); ++i) v.push_back(w[i].text);
  return v;
}

// The text after the key, without the blanks around it.
std::string restofline(std::string_view line, std::string_view key) {
  line.remove_prefix(line.find(key) + key.size());
  const std::size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const std::size_t last = line.find_last_not_of(" \t\r");
  return std::string(line.substr(first, last - first + 1));
}

// One line "key values..."; false with the reason.
bool entry(std::string_view line, scenario& s, std::string& why) {
  // Lines taken as they are, quotes and all.
  const std::size_t first = line.find_first_not_of(" \t");
  const std::string_view word = line.substr(first, line.find_first_of(" \t\r", first) - first);
  if (word == "tim" || word == "resline") {
    std::string text = restofline(line, word);
    if (word == "tim" && text.empty()) {
      why = "tim needs 1 value";
      return false;
    }
    (word == "tim" ? s.timline : s.reslines.emplace_back()) = std::move(text);
    return true;
  }
  std::vector<linetokens::token> w;
  if (!linetokens::split(line, w, why)) return false;
  const std::string& key = w[0].text;
  const std::size_t n = w.size() - 1;
  const auto need = [&](std::size_t count) {
    if (n >= count) return true;
    why = key + " needs " + std::to_string(count) + (count == 1 ? " value" : " values");
    return false;
  };
  for (const std::string_view t : timkeys) {
    if (key != t) continue;
    if (!need(1)) return false;
    s.tim[key] = w[1].text;
    return true;
  }
  if (key == "form") {
    if (!need(1)) return false;
    for (const auto& [name, f] : forms)
      if (w[1].text == name) {
        s.resform = f;
        return true;
      }
    why = "unknown form '" + w[1].text + "'";
    return false;
  }
  if (key == "solution") {
    if (!need(1)) return false;
    s.solutions.push_back({w[1].text, rest(w, 2)});
    return true;
  }
  if (key == "duals") {
    if (n != 1 || w[1].text != "none") {
      why = "duals takes the word none";
      return false;
    }
    s.nodual = true;
    return true;
  }
  if (key == "vardual" || key == "equdual" || key == "ray") {
    (key == "vardual" ? s.vardual : key == "equdual" ? s.equdual : s.ray) = rest(w, 1);
    return true;
  }
  if (key == "iisrow" || key == "iiscol") {
    if (!need(2)) return false;
    (key == "iisrow" ? s.iisrows : s.iiscols).push_back({w[1].text, w[2].text});
    return true;
  }
  if (key == "exponent") {
    if (n != 1 || w[1].text != "D") {
      why = "exponent takes the letter D";
      return false;
    }
    s.dexponent = true;
    return true;
  }
  if (key == "omit" || key == "empty" || key == "cut") {
    if (!need(key == "cut" ? 2 : 1)) return false;
    if (!isfile(w[1].text)) {
      why = "tim, sum or res expected, found '" + w[1].text + "'";
      return false;
    }
    filefault& f = s.faults[w[1].text];
    if (key == "omit") f.omit = true;
    if (key == "empty") f.empty = true;
    if (key == "cut" && !count(w[2].text, f.cut)) {
      why = "cut needs a byte count, found '" + w[2].text + "'";
      return false;
    }
    return true;
  }
  if (key == "exit") {
    long long code = 0;
    if (!need(1)) return false;
    if (!count(w[1].text, code) || code > 255) {
      why = "exit needs a code from 0 to 255, found '" + w[1].text + "'";
      return false;
    }
    s.exitcode = static_cast<int>(code);
    return true;
  }
  why = "unknown key '" + key + "'";
  return false;
}

}  // namespace

bool read(const std::string& path, scenario& s, std::string& error) {
  std::string data;
  if (!linetokens::readfile(path, data, error)) {
    error = path + ":0: cannot read the scenario: " + error;
    return false;
  }
  std::string why;
  int bad = 0;
  linetokens::eachline(data, [&](int nr, std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (line[first] == '#') return true;
    if (entry(line, s, why)) return true;
    bad = nr;
    return false;
  });
  if (bad == 0) return true;
  error = path + ":" + std::to_string(bad) + ": " + why;
  return false;
}

void apply(const scenario& s, baronresults::outcome& o) {
  if (!s.solutions.empty()) {
    o.solutions = s.solutions;
    o.lower = o.upper = s.solutions.back().objective;
  }
  for (const auto& [key, text] : s.tim) {
    std::string* field[] = {&o.lower, &o.upper,   &o.barstatus,  &o.modelstatus, &o.missingbnd,
                            &o.itera, &o.nodeopt, &o.nodememmax, &o.cputime,     &o.walltime};
    for (std::size_t i = 0; i < timkeys.size(); ++i)
      if (key == timkeys[i]) *field[i] = text;
  }
  o.timline = s.timline;
  // Duals or a ray the scenario gives are written, also after an answer without duals.
  if (!s.vardual.empty() || !s.equdual.empty() || !s.ray.empty()) o.duals = true;
  if (s.nodual) o.duals = false;
  if (!s.vardual.empty()) o.vardual = s.vardual;
  if (!s.equdual.empty()) o.equdual = s.equdual;
  o.ray = s.ray;
  o.iisrows = s.iisrows;
  o.iiscols = s.iiscols;
  o.extralines = s.reslines;
  if (s.resform) {
    o.resform = *s.resform;
  } else if (!s.iisrows.empty() || !s.iiscols.empty()) {
    o.resform = form::iis;
  } else if (!s.solutions.empty() && o.resform == form::nosolution) {
    o.resform = form::both;
  }
}

}  // namespace baronscenario
