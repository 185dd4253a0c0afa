// Shared pieces of the stand-in libraries (header only, compiled into each stand-in):
// short strings at the C boundary, the signature table behind XCheck, the API-version
// answer, and fault injection through environment variables named after the library's
// stem (<STEM>_REFUSE_API, <STEM>_NOCHECK, <STEM>_REJECT, <STEM>_FAIL, <STEM>_FAIL_CREATE,
// <STEM>_TRACE; see standins/README.md).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace standin {

// A short string at the boundary: a length byte, then up to 255 characters.
using sstrin = const unsigned char*;
using sstrout = unsigned char*;

inline std::string_view in(sstrin s) {
  if (s == nullptr) return {};
  return {reinterpret_cast<const char*>(s + 1), s[0]};
}

inline void out(sstrout s, std::string_view text) {
  if (s == nullptr) return;
  const std::size_t n = std::min<std::size_t>(text.size(), 255);
  s[0] = static_cast<unsigned char>(n);
  std::copy_n(text.data(), n, reinterpret_cast<char*>(s + 1));
}

// A zero-terminated text at the boundary of the "C"-prefixed entries.
inline std::string_view inc(const char* s) {
  return s != nullptr ? std::string_view(s) : std::string_view();
}

// A text into a caller's 256-character buffer, cut to 255 and terminated.
inline void outc(char* s, std::string_view text) {
  if (s == nullptr) return;
  const std::size_t n = std::min<std::size_t>(text.size(), 255);
  std::copy_n(text.data(), n, s);
  s[n] = '\0';
}

// An output parameter written when the caller passed one.
template <typename T>
void put(T* p, std::type_identity_t<T> v) {
  if (p != nullptr) *p = v;
}

// The switches of fault injection, read from the environment at each use.
class faults {
 public:
  explicit faults(std::string_view stem) : stem_(stem) {}

  [[nodiscard]] bool refuseapi() const { return on("_REFUSE_API"); }
  // Refuses without a message: <STEM>_REFUSE_API=silent.
  [[nodiscard]] bool refusesilently() const { return value("_REFUSE_API") == "silent"; }
  [[nodiscard]] bool nocheck() const { return on("_NOCHECK"); }
  [[nodiscard]] bool failcreate() const { return on("_FAIL_CREATE"); }
  // True when name is in the comma-separated list of <STEM>_REJECT.
  [[nodiscard]] bool rejects(std::string_view name) const { return listed("_REJECT", name); }
  // True when name is in the comma-separated list of <STEM>_FAIL (the entry answers its
  // failure value).
  [[nodiscard]] bool fails(std::string_view name) const { return listed("_FAIL", name); }
  // Appends one line to the file named by <STEM>_TRACE.
  void trace(std::string_view line) const {
    const std::string file = value("_TRACE");
    if (file.empty()) return;
    if (std::FILE* f = std::fopen(file.c_str(), "ab")) {
      std::fwrite(line.data(), 1, line.size(), f);
      std::fputc('\n', f);
      std::fclose(f);
    }
  }

 private:
  [[nodiscard]] std::string value(std::string_view suffix) const {
    const std::string var = std::string(stem_) + std::string(suffix);
    const char* v = std::getenv(var.c_str());
    return v != nullptr ? std::string(v) : std::string();
  }
  [[nodiscard]] bool listed(std::string_view suffix, std::string_view name) const {
    const std::string list = value(suffix);
    std::size_t start = 0;
    while (start <= list.size()) {
      std::size_t end = list.find(',', start);
      if (end == std::string::npos) end = list.size();
      if (std::string_view(list).substr(start, end - start) == name) return true;
      start = end + 1;
    }
    return false;
  }
  [[nodiscard]] bool on(std::string_view suffix) const {
    const std::string v = value(suffix);
    return !v.empty() && v != "0";
  }
  std::string_view stem_;
};

// One entry's signature as the library declares it: result code, then parameter codes.
struct signature {
  std::string name;
  std::vector<int> codes;
};

// Reads a table of lines "name result : code code ..." (blank lines ignored).
inline std::vector<signature> parsesignatures(std::string_view text) {
  std::vector<signature> table;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string line(text.substr(pos, end - pos));
    pos = end + 1;
    signature s;
    std::size_t i = 0;
    const auto skipblanks = [&] {
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == ':')) ++i;
    };
    skipblanks();
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') s.name += line[i++];
    if (s.name.empty()) continue;
    for (skipblanks(); i < line.size(); skipblanks()) {
      int code = 0;
      while (i < line.size() && line[i] >= '0' && line[i] <= '9')
        code = code * 10 + (line[i++] - '0');
      s.codes.push_back(code);
    }
    table.push_back(std::move(s));
  }
  return table;
}

// XCheck: 1 when the table holds the entry with exactly these codes and fault injection
// does not reject it; otherwise 0 with the reason in msg.
inline int xcheck(const std::vector<signature>& table, const faults& f, std::string_view lib,
                  std::string_view name, int count, const std::int32_t* codes, std::string& msg) {
  std::string line = "XCheck " + std::string(name) + " " + std::to_string(count);
  for (int k = 0; codes != nullptr && k <= count; ++k) line += " " + std::to_string(codes[k]);
  f.trace(line);
  const std::string who = std::string(lib) + ": " + std::string(name);
  if (f.rejects(name)) {
    msg = who + " rejected by fault injection";
    return 0;
  }
  const auto it =
      std::find_if(table.begin(), table.end(), [&](const signature& s) { return s.name == name; });
  if (it == table.end()) {
    msg = who + " is not an entry of this library";
    return 0;
  }
  const int own = static_cast<int>(it->codes.size()) - 1;
  if (count != own || codes == nullptr) {
    msg = who + " takes " + std::to_string(own) + " parameters, not " + std::to_string(count);
    return 0;
  }
  for (int k = 0; k <= count; ++k) {
    if (codes[k] != it->codes[static_cast<std::size_t>(k)]) {
      msg = who + " has type code " + std::to_string(it->codes[static_cast<std::size_t>(k)]) +
            " at position " + std::to_string(k) + ", not " + std::to_string(codes[k]);
      return 0;
    }
  }
  msg.clear();
  return 1;
}

// XAPIVersion: accepts exactly the library's version unless refused by fault injection;
// the check level is 1 (check every entry) or -1 with <STEM>_NOCHECK.
inline int xapiversion(const faults& f, std::string_view lib, int own, int asked, std::string& msg,
                       std::int32_t* level) {
  f.trace("XAPIVersion " + std::to_string(asked));
  if (f.refusesilently()) {
    msg.clear();
    return 0;
  }
  if (f.refuseapi() || asked != own) {
    msg = std::string(lib) + ": API version " + std::to_string(asked) +
          " refused; this library speaks version " + std::to_string(own);
    return 0;
  }
  msg.clear();
  if (level != nullptr) *level = f.nocheck() ? -1 : 1;
  return 1;
}

}  // namespace standin
