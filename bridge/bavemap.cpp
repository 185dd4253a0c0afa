#include "bridge/bavemap.h"

#include <algorithm>
#include <charconv>

namespace bavemap {

namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// A whole text as one 32-bit integer.
bool number(std::string_view s, std::int32_t& v) {
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && end == s.data() + s.size();
}

// The file's lines, one at a time, counted from 1.
class lines {
 public:
  explicit lines(std::string_view data) : data_(data) {}
  bool next(std::string_view& line) {
    if (pos_ >= data_.size()) return false;
    std::size_t end = data_.find('\n', pos_);
    if (end == std::string_view::npos) end = data_.size();
    line = data_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++number_;
    return true;
  }
  [[nodiscard]] int number() const { return number_; }

 private:
  std::string_view data_;
  std::size_t pos_ = 0;
  int number_ = 0;
};

bool readsection(lines& in, const mapfile& map, section& s, std::string& msg) {
  std::string_view line;
  if (!in.next(line)) {
    msg = badmap(map.name, in.number() + 1, "the line is missing");
    return false;
  }
  line = trim(line);
  std::size_t word = 0;
  while (word < line.size() && !blank(line[word])) ++word;
  std::int32_t count = 0;
  if (word == 0 || word == line.size() || !number(trim(line.substr(word)), count)) {
    msg = badmap(map.name, in.number(), "a word and a count expected");
    return false;
  }
  if (count < 0) {
    msg = badmap(map.name, in.number(), "the count is negative");
    return false;
  }
  s.firstline = in.number() + 1;
  s.entries.clear();
  for (std::int32_t k = 0; k < count; ++k) {
    std::int32_t v = 0;
    if (!in.next(line)) {
      msg = badmap(map.name, in.number() + 1, "the line is missing");
      return false;
    }
    if (!number(trim(line), v)) {
      msg = badmap(map.name, in.number(), "a number expected");
      return false;
    }
    s.entries.push_back(v);
  }
  return true;
}

}  // namespace

std::string badmap(std::string_view name, int line, std::string_view what) {
  return "Bad Baron VE map " + std::string(name) + " line " + std::to_string(line) + ": " +
         std::string(what) + "\n";
}

bool parse(std::string_view data, std::string_view name, mapfile& map, std::string& msg) {
  map.name = std::string(name);
  lines in(data);
  return readsection(in, map, map.vars, msg) && readsection(in, map, map.equs, msg);
}

bool tomodel(const mapfile& map, section& s, bool reform, std::int32_t objindex, std::string& msg) {
  const auto refuse = [&](std::size_t k, std::int32_t given, std::string_view why) {
    msg = badmap(map.name, s.firstline + static_cast<int>(k),
                 std::string(s.what) + " " + std::to_string(given) + " " + std::string(why));
    return false;
  };
  std::vector<std::int32_t> given(s.entries);
  for (std::size_t k = 0; k < s.entries.size(); ++k) {
    std::int32_t& v = s.entries[k];
    if (v < 1) return refuse(k, given[k], "is out of range");
    v -= 1;
    if (reform && objindex >= 0 && v >= objindex) v -= 1;
    if (v < 0) return refuse(k, given[k], "is out of range");
  }
  std::vector<std::size_t> order(s.entries.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return s.entries[a] < s.entries[b]; });
  for (std::size_t k = 1; k < order.size(); ++k) {
    if (s.entries[order[k]] == s.entries[order[k - 1]]) {
      const std::size_t second = std::max(order[k], order[k - 1]);
      return refuse(
          second, given[second],
          "gives model object index " + std::to_string(s.entries[second]) + " a second time");
    }
  }
  return true;
}

}  // namespace bavemap
