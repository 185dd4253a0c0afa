// The dictionary stand-in's model: labels, symbols and the rows and columns of a model
// instance with their symbol and labels, read from the dictionary text file of
// standins/README.md or built entry by entry. The boundary file (zlmdct_sstr.cpp) only
// converts texts and calls this model.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zlmdct {

inline constexpr int maxdim = 20;
inline constexpr int variabletype = 5;
inline constexpr int equationtype = 6;

struct label {
  std::string text;
  char quote = ' ';
};

struct symbol {
  std::string name;
  int type = 0;
  int dim = 0;
  int userinfo = 0;
  std::string text;
  char quote = ' ';
  std::vector<std::string> domains;  // "*" where none was given
  std::vector<int> members;          // its rows (equations) or columns (variables), from 0
};

// One row or column: its symbol (from 1) and its labels (from 1).
struct member {
  int sym = 0;
  std::vector<int> uels;
};

// An open row/column search: the matches in order and the next one to hand out.
struct search {
  std::vector<int> matches;
  std::size_t next = 0;
};

// An open-addressing index of entry numbers by a 64-bit hash. The caller keeps the entries
// and tells which one matches, so a lookup touches a run of slots and the matching entry.
class flatindex {
 public:
  void clear();
  void insert(std::uint64_t hash, int entry);
  // The first entry of this hash that matches; -1 when none.
  template <typename Matches>
  [[nodiscard]] int find(std::uint64_t hash, Matches matches) const {
    if (slots_.empty()) return -1;
    const std::size_t mask = slots_.size() - 1;
    const auto t = tag(hash);
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const slot& s = slots_[i];
      if (s.entry < 0) return -1;
      if (s.tag == t && matches(s.entry)) return s.entry;
    }
  }

 private:
  // The lower half of the hash: it picks the slot (tables stay below 2^32 slots) and tells
  // most entries apart; eight-byte slots keep twice as many of them in the cache.
  static std::uint32_t tag(std::uint64_t hash) { return static_cast<std::uint32_t>(hash); }
  struct slot {
    std::uint32_t tag = 0;  // most mismatches end here
    int entry = -1;
  };
  std::vector<slot> slots_;  // a power of two, at most half full
  std::size_t used_ = 0;
};

class dictionary {
 public:
  // Loads a dictionary file; false with the reason in why (the previous content is kept).
  bool load(const std::string& path, std::string& why);
  // The same from text; name is used in messages.
  bool parse(std::string_view data, std::string_view name, std::string& why);

  [[nodiscard]] int labelcount() const { return static_cast<int>(labels_.size()); }
  [[nodiscard]] int labelindex(std::string_view text) const;  // 0: unknown
  [[nodiscard]] const label* labelat(int nr) const;           // from 1
  [[nodiscard]] int symbolcount() const { return static_cast<int>(symbols_.size()); }
  [[nodiscard]] int symbolindex(std::string_view name) const;  // 0: unknown
  [[nodiscard]] const symbol* symbolat(int nr) const;          // from 1
  [[nodiscard]] const member* row(int nr) const;               // from 0
  [[nodiscard]] const member* col(int nr) const;               // from 0
  [[nodiscard]] int rowcount() const { return static_cast<int>(rows_.size()); }
  [[nodiscard]] int colcount() const { return static_cast<int>(cols_.size()); }
  [[nodiscard]] int largestdim() const;
  // The row or column of the symbol with exactly these labels; -1 when none.
  [[nodiscard]] int indexof(int sym, const std::int32_t* uels) const;
  [[nodiscard]] std::size_t memoryused() const;
  [[nodiscard]] const std::vector<std::string>& domainnames() const { return domainnames_; }

  // Starts a search over the rows or columns of a symbol; a label number 0 in the filter
  // matches any label. The search lives until close (or the dictionary's end).
  search* findfirst(int sym, const std::int32_t* filter, int& first);
  [[nodiscard]] bool findnext(search* s, int& next);  // false: not a search of this object
  void close(search* s);

  // Building a dictionary entry by entry.
  void clear();
  void adduel(std::string_view text, char quote);
  void addsymbol(std::string_view name, int type, int dim, int userinfo, std::string_view text);
  // One row or column of the last symbol added; false when the labels do not fit it.
  bool addsymboldata(const std::int32_t* uels);
  bool addsymboldoms(std::string_view name, const std::vector<std::string>& doms, std::string& why);

 private:
  bool addmember(int sym, const std::vector<int>& uels);
  [[nodiscard]] int findmember(int sym, const symbol& s, const std::int32_t* uels) const;

  std::vector<label> labels_;
  flatindex labelindex_;                            // label numbers by their folded text
  std::unordered_map<std::string, int> symbolmap_;  // lower-cased keys
  std::vector<symbol> symbols_;
  std::vector<member> rows_, cols_;
  flatindex memberindex_;  // rows and columns by symbol and labels
  std::vector<std::string> domainnames_;
  std::vector<std::unique_ptr<search>> searches_;
};

}  // namespace zlmdct
