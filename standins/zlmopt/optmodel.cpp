// The option stand-in's model: definition and option file reading, values and messages.
#include "standins/zlmopt/optmodel.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace zlmopt {

namespace {

constexpr double maxint = 2147483647.0;
constexpr double minint = -2147483648.0;
constexpr double infinity = std::numeric_limits<double>::infinity();

bool isblank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isblank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isblank(s.back())) s.remove_suffix(1);
  return s;
}

char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool iequal(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return true;
}

bool isquote(char c) { return c == '"' || c == '\''; }

std::string_view unquote(std::string_view s) {
  if (s.size() >= 2 && isquote(s.front()) && s.back() == s.front())
    return s.substr(1, s.size() - 2);
  return s;
}

// A number: optional sign, decimal digits, fraction and exponent; finite.
bool parsenumber(std::string_view t, double& v) {
  t = trim(t);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  return ec == std::errc() && end == t.data() + t.size() && std::isfinite(v);
}

// A bound: a number, or inf/-inf, or maxint/minint.
bool parsebound(std::string_view t, double& v) {
  if (iequal(t, "inf") || iequal(t, "+inf")) return v = infinity, true;
  if (iequal(t, "-inf")) return v = -infinity, true;
  if (iequal(t, "maxint")) return v = maxint, true;
  if (iequal(t, "minint")) return v = minint, true;
  return parsenumber(t, v);
}

bool integral(double v) { return std::floor(v) == v; }

// The next token of rest: a quoted text (without its quotes) or the characters up to a
// blank; false at the end.
bool nexttoken(std::string_view& rest, std::string& token) {
  rest = trim(rest);
  if (rest.empty()) return false;
  if (isquote(rest.front())) {
    const std::size_t close = rest.find(rest.front(), 1);
    if (close != std::string_view::npos) {
      token.assign(rest.substr(1, close - 1));
      rest.remove_prefix(close + 1);
      return true;
    }
  }
  std::size_t n = 0;
  while (n < rest.size() && !isblank(rest[n])) ++n;
  token.assign(rest.substr(0, n));
  rest.remove_prefix(n);
  return true;
}

// The option-file name of an entry: up to a blank or "=", with a parenthesised label list
// (quotes respected) kept whole.
std::string_view nametoken(std::string_view& rest) {
  rest = trim(rest);
  std::size_t n = 0;
  char quote = 0;
  int depth = 0;
  for (; n < rest.size(); ++n) {
    const char c = rest[n];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (depth > 0 && isquote(c)) {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth > 0) --depth;
    } else if (depth == 0 && (isblank(c) || c == '=')) {
      break;
    }
  }
  const std::string_view name = rest.substr(0, n);
  rest.remove_prefix(n);
  while (!rest.empty() && (isblank(rest.front()) || rest.front() == '=')) rest.remove_prefix(1);
  return name;
}

// The line without an end-of-line comment ("!" outside quotes).
std::string_view stripcomment(std::string_view line) {
  char quote = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (isquote(c)) {
      quote = c;
    } else if (c == '!') {
      return line.substr(0, i);
    }
  }
  return line;
}

bool readwholefile(const std::string& path, std::string& data, std::string& reason) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    reason = std::strerror(errno);
    return false;
  }
  char buf[4096];
  std::size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
  std::fclose(f);
  return true;
}

// Calls f(line, number) for each line of text.
template <typename F>
void eachline(std::string_view text, F f) {
  int number = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    f(line, ++number);
    text.remove_prefix(std::min(end + 1, text.size()));
  }
}

std::string at(std::string_view name, int line) {
  return std::string(name) + " line " + std::to_string(line);
}

}  // namespace

// ---- values ----

std::string optset::numbertext(double v) {
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char buf[64];
  const auto r = integral(v) && std::fabs(v) < 1e15
                     ? std::to_chars(buf, buf + sizeof buf, static_cast<long long>(v))
                     : std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string optset::valuetext(const option& o, int which) {
  switch (o.type) {
    case dtype::integer:
    case dtype::real:
      return numbertext(o.num[which]);
    case dtype::string:
      return o.str[which];
    case dtype::list:
      return o.values.empty() ? std::string() : o.values.back();
    case dtype::dot:
      break;
  }
  return {};
}

void optset::addmessage(std::string text, int type) { messages.push_back({std::move(text), type}); }

void optset::error(std::string_view where, std::string_view what) {
  ++errors;
  std::string text = "*** ";
  if (!where.empty()) text += std::string(where) + ": ";
  addmessage(text + std::string(what), 1);
}

option* optset::byno(int nr) {
  if (nr < 1 || nr > static_cast<int>(options.size())) return nullptr;
  return &options[static_cast<std::size_t>(nr - 1)];
}

int optset::find(std::string_view name) const {
  for (std::size_t i = 0; i < options.size(); ++i)
    if (iequal(options[i].name, name)) return static_cast<int>(i) + 1;
  for (const auto& [alias, target] : synonyms)
    if (iequal(alias, name)) return find(target);
  return 0;
}

const group* optset::groupbynumber(int number) const {
  for (const auto& g : groups)
    if (g.number == number) return &g;
  return nullptr;
}

bool optset::setnumber(option& o, int which, double v, std::string_view where) {
  if (o.type != dtype::integer && o.type != dtype::real) return false;
  if (o.type == dtype::integer && !integral(v)) {
    error(where, "bad value \"" + numbertext(v) + "\" for option \"" + o.name + "\"");
    return false;
  }
  if (!nobounds && (v < o.lower || v > o.upper)) {
    error(where, "value " + numbertext(v) + " for option \"" + o.name + "\" out of bounds [" +
                     numbertext(o.lower) + ", " + numbertext(o.upper) + "]");
    return false;
  }
  o.num[which] = v;
  o.defined |= which == 0 ? 1 : 2;
  if (recentenabled) o.recent = true;
  return true;
}

bool optset::setstring(option& o, int which, std::string_view v) {
  if (o.type == dtype::list && which == 0) {
    o.values.emplace_back(v);
  } else if (o.type == dtype::string) {
    o.str[which].assign(v);
  } else {
    return false;
  }
  o.defined |= which == 0 ? 1 : 2;
  if (recentenabled) o.recent = true;
  return true;
}

void optset::reset(option& o) {
  o.num[0] = o.num[1] = o.numdefault;
  o.str[0] = o.str[1] = o.strdefault;
  o.values.clear();
  o.defined = 0;
  o.recent = false;
}

void optset::resetall(bool recentonly) {
  for (auto& o : options)
    if (!recentonly || o.recent) reset(o);
}

// ---- definition files ----

int optset::readdefinition(const std::string& path) {
  std::string data, reason;
  definitionfile = path;
  if (!readwholefile(path, data, reason)) {
    error({}, "Cannot open definition file \"" + path + "\": " + reason);
    return 1;
  }
  return readdefinitiontext(data, path);
}

int optset::readdefinitiontext(std::string_view text, std::string_view name) {
  const int before = errors;
  eachline(text, [&](std::string_view line, int number) {
    line = trim(line);
    if (line.empty() || line.front() == '*' || line.front() == '#') return;
    const std::string where = at(name, number);
    std::string keyword, field;
    std::vector<std::string> fields;
    (void)nexttoken(line, keyword);
    const auto need = [&](std::size_t n) {
      while (fields.size() < n && nexttoken(line, field)) fields.push_back(field);
      if (fields.size() == n) return true;
      error(where, "\"" + keyword + "\" needs " + std::to_string(n) + " fields");
      return false;
    };
    const auto number_of = [&](const std::string& t, double& v, bool bound) {
      if (bound ? parsebound(t, v) : parsenumber(t, v)) return true;
      error(where, "bad number \"" + t + "\"");
      return false;
    };
    if (keyword == "group") {
      double nr = 0, value = 0;
      if (!need(3) || !number_of(fields[0], nr, false) || !number_of(fields[1], value, false))
        return;
      groups.push_back(
          {static_cast<int>(nr), static_cast<int>(value), fields[2], std::string(trim(line))});
      return;
    }
    if (keyword == "synonym") {
      if (need(2)) synonyms.emplace_back(fields[0], fields[1]);
      return;
    }
    option o;
    if (keyword == "integer")
      o.type = dtype::integer;
    else if (keyword == "double")
      o.type = dtype::real;
    else if (keyword == "string")
      o.type = dtype::string;
    else if (keyword == "list")
      o.type = dtype::list;
    else if (keyword == "dot")
      o.type = dtype::dot;
    else
      return error(where, "unknown keyword \"" + keyword + "\"");
    const bool numeric = o.type == dtype::integer || o.type == dtype::real;
    const std::size_t count = numeric ? 5 : o.type == dtype::string ? 3 : 2;
    double groupnr = 0;
    if (!need(count) || !number_of(fields[1], groupnr, false)) return;
    o.name = fields[0];
    o.group = static_cast<int>(groupnr);
    if (find(o.name) != 0) return error(where, "option \"" + o.name + "\" declared twice");
    if (groupbynumber(o.group) == nullptr)
      return error(where, "group " + fields[1] + " is not declared");
    if (numeric) {
      if (!number_of(fields[2], o.numdefault, false) || !number_of(fields[3], o.lower, true) ||
          !number_of(fields[4], o.upper, true))
        return;
      if (o.type == dtype::integer && !integral(o.numdefault))
        return error(where, "integer option \"" + o.name + "\" needs an integer default");
      if (o.numdefault < o.lower || o.numdefault > o.upper || o.lower > o.upper)
        return error(where, "default of option \"" + o.name + "\" out of its bounds");
    } else if (o.type == dtype::string) {
      o.strdefault = fields[2];
    }
    o.help.assign(trim(line));
    reset(o);
    options.push_back(std::move(o));
  });
  return errors - before;
}

// ---- option files ----

int optset::readparameterfile(const std::string& path) {
  std::string data, reason;
  if (!readwholefile(path, data, reason)) {
    error({}, "Cannot open option file \"" + path + "\": " + reason);
    return 1;
  }
  return readoptiontext(data, path);
}

int optset::readoptiontext(std::string_view text, std::string_view name) {
  const int before = errors;
  eachline(text,
           [&](std::string_view line, int number) { readoptionline(line, at(name, number)); });
  return errors - before;
}

void optset::readoptionline(std::string_view line, std::string_view where) {
  if (echo) addmessage(std::string(line), 0);
  std::string_view rest = trim(line);
  if (rest.empty() || rest.front() == '*') return;
  rest = trim(stripcomment(rest));
  while (!rest.empty()) {
    const std::string_view name = nametoken(rest);
    std::string value;
    if (eolonly) {
      value.assign(unquote(trim(rest)));
      rest = {};
    } else {
      (void)nexttoken(rest, value);
    }
    (void)assign(name, value, where);
  }
}

void optset::readcommandline(std::string_view text) {
  const bool oldeol = eolonly;
  eolonly = false;
  readoptionline(text, "command line");
  eolonly = oldeol;
}

bool optset::assign(std::string_view name, std::string_view value, std::string_view where) {
  if (name.find('.') != std::string_view::npos) return assigndot(name, value, where);
  option* o = byname(name);
  if (o == nullptr) {
    error(where, "unknown option \"" + std::string(name) + "\"");
    return false;
  }
  switch (o->type) {
    case dtype::integer:
    case dtype::real: {
      double v = 0;
      if (!parsenumber(value, v)) {
        error(where, "bad value \"" + std::string(value) + "\" for option \"" + o->name + "\"");
        return false;
      }
      return setnumber(*o, 0, v, where);
    }
    case dtype::string:
    case dtype::list:
      return setstring(*o, 0, value);
    case dtype::dot:
      break;
  }
  error(where, "dot option \"" + o->name + "\" needs a symbol: symbol." + o->name + " value");
  return false;
}

bool optset::assigndot(std::string_view name, std::string_view value, std::string_view where) {
  const std::size_t dot = name.find('.');
  dotrecord r;
  r.symbol.assign(name.substr(0, dot));
  std::string_view rest = name.substr(dot + 1);
  const std::size_t open = rest.find('(');
  const std::string_view dotname = rest.substr(0, open);
  const int nr = find(dotname);
  if (r.symbol.empty() || nr == 0 || options[static_cast<std::size_t>(nr - 1)].type != dtype::dot) {
    ++doterrors;
    error(where, "unknown dot option \"" + std::string(name) + "\"");
    return false;
  }
  if (open != std::string_view::npos) {
    std::string_view labels = rest.substr(open + 1);
    if (labels.empty() || labels.back() != ')') {
      ++doterrors;
      error(where, "unclosed label list in \"" + std::string(name) + "\"");
      return false;
    }
    labels.remove_suffix(1);
    char quote = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= labels.size(); ++i) {
      const char c = i < labels.size() ? labels[i] : ',';
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (isquote(c)) {
        quote = c;
      } else if (c == ',') {
        r.labels.emplace_back(unquote(trim(labels.substr(start, i - start))));
        start = i + 1;
      }
    }
  }
  if (!parsenumber(value, r.value)) {
    ++doterrors;
    error(where,
          "bad value \"" + std::string(value) + "\" for dot option \"" + std::string(name) + "\"");
    return false;
  }
  r.optnr = nr;
  dots.push_back(std::move(r));
  return true;
}

int optset::writeparameterfile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    error({}, "Cannot write option file \"" + path + "\": " + std::strerror(errno));
    return 1;
  }
  std::string text;
  for (const auto& o : options) {
    if ((o.defined & 1) == 0) continue;
    if (o.type == dtype::list) {
      for (const auto& v : o.values) text += o.name + " " + v + "\n";
    } else if (o.type != dtype::dot) {
      text += o.name + " " + valuetext(o, 0) + "\n";
    }
  }
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !ok) {
    error({}, "Cannot write option file \"" + path + "\"");
    return 1;
  }
  return 0;
}

bool splitnameopt(std::string_view text, std::string& name, int& number) {
  text = trim(text);
  const std::size_t dot = text.find('.');
  const std::string_view head = text.substr(0, dot);
  if (head.empty() || !((fold(head[0]) >= 'a' && fold(head[0]) <= 'z'))) return false;
  for (char c : head)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
  number = 0;
  if (dot != std::string_view::npos) {
    const std::string_view tail = text.substr(dot + 1);
    if (tail.empty()) return false;
    const auto [end, ec] = std::from_chars(tail.data(), tail.data() + tail.size(), number);
    if (ec != std::errc() || end != tail.data() + tail.size() || number < 0) return false;
  }
  name.assign(head);
  return true;
}

}  // namespace zlmopt
