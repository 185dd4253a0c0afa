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

// The file's lines, one at a time, counted from 1, from a text or from a file read in
// chunks; no line ends beyond the first `limit` bytes.
class lines {
 public:
  enum class got { line, end, over, failed };

  lines(std::string_view data, std::size_t limit) : rest_(data), limit_(limit) {}
  lines(std::FILE* f, std::size_t limit) : f_(f), limit_(limit) {}

  // The next line without its line feed; valid until the next call.
  got next(std::string_view& line) {
    for (;;) {
      const std::size_t end = rest_.find('\n');
      if (end != std::string_view::npos) {
        if (used_ + end + 1 > limit_) return got::over;
        take(line, end, end + 1);
        return got::line;
      }
      if (used_ + rest_.size() > limit_) return got::over;
      if (!fill()) {
        if (failed_) return got::failed;
        if (rest_.empty()) return got::end;
        take(line, rest_.size(), rest_.size());
        return got::line;
      }
    }
  }
  [[nodiscard]] int number() const { return number_; }

 private:
  static constexpr std::size_t chunk = 65536;

  void take(std::string_view& line, std::size_t length, std::size_t taken) {
    line = rest_.substr(0, length);
    rest_.remove_prefix(taken);
    used_ += taken;
    ++number_;
  }
  // Appends the next chunk of the file behind the unread text; false at its end.
  bool fill() {
    if (f_ == nullptr || std::feof(f_) != 0 || failed_) return false;
    buf_.erase(0, buf_.size() - rest_.size());  // the unread text is the buffer's tail
    const std::size_t had = buf_.size();
    buf_.resize(had + chunk);
    const std::size_t n = std::fread(buf_.data() + had, 1, chunk, f_);
    buf_.resize(had + n);
    rest_ = buf_;
    failed_ = std::ferror(f_) != 0;
    return n > 0;
  }

  std::FILE* f_ = nullptr;
  std::string buf_;
  std::string_view rest_;  // the text not yet handed out
  std::size_t used_ = 0;   // bytes handed out so far
  std::size_t limit_;
  int number_ = 0;
  bool failed_ = false;
};

// The next line, or false with the message why there is none.
bool nextline(lines& in, const mapfile& map, std::size_t limit, std::string_view& line,
              std::string& msg) {
  switch (in.next(line)) {
    case lines::got::line:
      return true;
    case lines::got::end:
      msg = badmap(map.name, in.number() + 1, "the line is missing");
      return false;
    case lines::got::over:
      msg = badmap(map.name, in.number() + 1,
                   "the file goes on beyond " + std::to_string(limit) + " bytes");
      return false;
    case lines::got::failed:
      break;
  }
  msg = badmap(map.name, in.number() + 1, "the file cannot be read");
  return false;
}

bool readsection(lines& in, const mapfile& map, std::size_t limit, section& s, std::string& msg) {
  std::string_view line;
  if (!nextline(in, map, limit, line, msg)) return false;
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
  if (count > s.room) {
    msg = badmap(map.name, in.number(),
                 "the count " + std::to_string(count) + " is above the model's " +
                     std::to_string(s.room) + " " + std::string(s.what) + "s");
    return false;
  }
  s.firstline = in.number() + 1;
  s.entries.clear();
  for (std::int32_t k = 0; k < count; ++k) {
    std::int32_t v = 0;
    if (!nextline(in, map, limit, line, msg)) return false;
    if (!number(trim(line), v)) {
      msg = badmap(map.name, in.number(), "a number expected");
      return false;
    }
    s.entries.push_back(v);
  }
  return true;
}

bool readall(lines& in, std::string_view name, mapfile& map, std::string& msg, std::size_t limit) {
  map.name = std::string(name);
  return readsection(in, map, limit, map.vars, msg) && readsection(in, map, limit, map.equs, msg);
}

}  // namespace

std::string badmap(std::string_view name, int line, std::string_view what) {
  return "Bad Baron VE map " + std::string(name) + " line " + std::to_string(line) + ": " +
         std::string(what) + "\n";
}

bool read(std::FILE* f, std::string_view name, mapfile& map, std::string& msg, std::size_t limit) {
  lines in(f, limit);
  return readall(in, name, map, msg, limit);
}

bool parse(std::string_view data, std::string_view name, mapfile& map, std::string& msg,
           std::size_t limit) {
  lines in(data, limit);
  return readall(in, name, map, msg, limit);
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
    if (v < 0 || v >= s.room) return refuse(k, given[k], "is out of range");
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
