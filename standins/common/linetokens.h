// Line tokens of the stand-ins' own text files (dictionary, data exchange, configuration):
// a line is split at blanks and tabs into words; a word may be quoted with ' or " (the
// quote character is kept, no escapes inside); a line whose first non-blank character is
// '*' is a comment. Numbers are read with from_chars over the whole word. Header only.
#pragma once

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace linetokens {

struct token {
  std::string text;
  char quote = ' ';  // ' ', '\'' or '"'
};

// The words of one line; false with the reason when a quote is not closed.
inline bool split(std::string_view line, std::vector<token>& words, std::string& why) {
  words.clear();
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size()) return true;
    token t;
    if (line[i] == '\'' || line[i] == '"') {
      t.quote = line[i];
      const std::size_t close = line.find(t.quote, i + 1);
      if (close == std::string_view::npos) {
        why = "unclosed quote";
        return false;
      }
      t.text.assign(line.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      const std::size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
      t.text.assign(line.substr(start, i - start));
    }
    words.push_back(std::move(t));
  }
}

// True for a blank line or a comment line.
inline bool ignorable(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t\r");
  return first == std::string_view::npos || line[first] == '*';
}

inline bool toint(std::string_view s, std::int32_t& v) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && end == s.data() + s.size();
}

inline bool todouble(std::string_view s, double& v) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && end == s.data() + s.size();
}

// Calls f(line number, line) for every line of data that is not ignorable; stops at the
// first false.
template <typename F>
bool eachline(std::string_view data, F f) {
  std::size_t pos = 0;
  int nr = 0;
  while (pos < data.size()) {
    std::size_t end = data.find('\n', pos);
    if (end == std::string_view::npos) end = data.size();
    const std::string_view line = data.substr(pos, end - pos);
    ++nr;
    pos = end + 1;
    if (!ignorable(line) && !f(nr, line)) return false;
  }
  return true;
}

// The whole file, of at most limit bytes; false with the system's reason when it cannot be
// read, or when it holds more (a pipe that never ends is read no further).
inline bool readfile(const std::string& path, std::string& data, std::string& why,
                     std::size_t limit = static_cast<std::size_t>(-1)) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    why = std::strerror(errno);
    return false;
  }
  data.clear();
  char buf[65536];
  std::size_t n = 0;
  while (data.size() <= limit && (n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
  const bool ok = std::ferror(f) == 0;
  std::fclose(f);
  if (!ok) why = "read error";
  if (ok && data.size() > limit) {
    why = "larger than " + std::to_string(limit) + " bytes";
    data.clear();
    return false;
  }
  return ok;
}

}  // namespace linetokens
