// The EMP information file as a flat list of items: names with optional index lists, the
// signs "*" and "-", and numeric values, each with its line. The reader knows no keywords.
//
// Grammar of a line (blanks and tabs separate items, one comma may follow an item):
//   "*" | "-" | EPS | INF | +INF (any case; value 5e300 or 3e300, name "=")
//   name [ "(" index { "," index } ")" ]   name: "=" or a letter, then digits, "=", letters, "_"
//   number (a token that converts to a finite number; "D" or "d" as exponent letter)
//   index: an identifier, a quoted text ('...' or "...", quotes kept) or "*"
// Lines that are empty or start with "*" are comments; a "-" is always the dash item, so
// -5 reads as the dash and the number 5.
//
// Usage:
//   empreader::templist items;
//   q5rt::sstr msg;
//   if (!items.readfile("model.emp", msg)) report(msg);   // items read so far stay
//   for (int n = 1; n <= items.count(); ++n) items.getitem(n, name, dim, line, indices, value);
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "frame/q5rt.h"

namespace miniparser {
class tminiparser;
}

namespace empreader {

inline constexpr std::int32_t maxindices = 20;  // the loader's room for index texts

// One item; its name and index texts lie in the list's text store (templist::index).
struct tempitem {
  tempitem(std::string_view name, std::int32_t line) : name(name), line(line) {}
  [[nodiscard]] std::int32_t dimension() const { return dim; }

  std::string_view name;  // "=" for a value, "*" and "-" for the signs
  double value = 0;
  std::int32_t line;     // physical line, comments counted
  std::int32_t dim = 0;  // its number of index texts, stored right after the name
};

// Texts copied into large blocks that never move: a view of a stored text stays valid
// while the store lives.
class textstore {
 public:
  std::string_view add(std::string_view text);

 private:
  static constexpr std::size_t blockbytes = 65536;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;  // the free part of the last block
  std::size_t room_ = 0;
};

// The text without one pair of enclosing single or double quotes (texts of two or more
// characters whose first character is a quote).
[[nodiscard]] std::string_view unquoted(std::string_view s);

// A list that grows in fixed blocks: its elements never move and growing copies nothing.
template <typename T>
class blocklist {
 public:
  T& push_back(const T& value) {
    if (blocks_.empty() || blocks_.back().size() == blockitems)
      blocks_.emplace_back().reserve(blockitems);
    ++size_;
    return blocks_.back().emplace_back(value);
  }
  [[nodiscard]] const T& operator[](std::size_t i) const {
    return blocks_[i / blockitems][i % blockitems];
  }
  [[nodiscard]] std::size_t size() const { return size_; }

 private:
  static constexpr std::size_t blockitems = 4096;
  std::vector<std::vector<T>> blocks_;
  std::size_t size_ = 0;
};

class templist {
 public:
  // Reads the whole file and appends its items. True with an empty message at the end of
  // the file; false with a message at the first error (earlier items stay).
  bool readfile(std::string_view filename, q5rt::sstr& msg);
  // The same over a text in memory, read as a file.
  bool readtext(std::string_view data, q5rt::sstr& msg);

  // Number of items; -1 when the file could not be opened.
  [[nodiscard]] std::int32_t count() const {
    return openfailed_ ? -1 : static_cast<std::int32_t>(items_.size());
  }
  // Appends an item without index texts (its name cut to 255 characters).
  void additem(const tempitem& item) { addvalued(item.name, item.line, item.value); }

  // Item n (from 1): its value, name, dimension (the true number of indices), line, and
  // its first indices.size() index texts. getitem drops one pair of enclosing quotes,
  // getitemx keeps them. False and nothing written for any other n.
  bool getitem(std::int32_t n, q5rt::sstr& name, std::int32_t& dimension, std::int32_t& line,
               std::span<q5rt::sstr> indices, double& value) const {
    return copyitem(n, name, dimension, line, indices, value, true);
  }
  bool getitemx(std::int32_t n, q5rt::sstr& name, std::int32_t& dimension, std::int32_t& line,
                std::span<q5rt::sstr> indices, double& value) const {
    return copyitem(n, name, dimension, line, indices, value, false);
  }
  // Item n (from 1).
  [[nodiscard]] tempitem item(std::int32_t n) const {
    return items_[static_cast<std::size_t>(n - 1)].unpacked();
  }
  // Index text k (from 0 to dim - 1) of an item, as written (quotes kept).
  [[nodiscard]] static std::string_view index(const tempitem& it, std::int32_t k) {
    const char* at = it.name.data() + it.name.size();
    for (; k > 0; --k) at += 1 + static_cast<unsigned char>(*at);
    return {at + 1, static_cast<unsigned char>(*at)};
  }

 private:
  bool read(miniparser::tminiparser& p, q5rt::sstr& msg);
  bool readitem(miniparser::tminiparser& p, q5rt::sstr& msg);
  bool copyitem(std::int32_t n, q5rt::sstr& name, std::int32_t& dimension, std::int32_t& line,
                std::span<q5rt::sstr> indices, double& value, bool unquote) const;

  // An item as the list keeps it, in half a tempitem: the list is written to fresh memory,
  // and on some systems a new page costs more than parsing the items that fill it. Its
  // texts lie in one piece: the name, then the value's bytes (when not zero, an item
  // without index texts) or the index texts.
  struct storeditem {
    const char* text;
    std::int32_t line;
    std::uint16_t dim;  // index texts lie on the item's line: at most 510
    std::uint8_t namelen;
    bool valued;
    [[nodiscard]] tempitem unpacked() const;
  };
  // Adds an item named by a text of the store (or a literal) with its index texts.
  void newitem(std::string_view storedname, std::int32_t line, std::int32_t dim = 0) {
    items_.push_back({storedname.data(), line, static_cast<std::uint16_t>(dim),
                      static_cast<std::uint8_t>(storedname.size()), false});
  }
  // Adds an item without index texts: its name, and its value's bytes unless they are zero,
  // copied into the store.
  void addvalued(std::string_view name, std::int32_t line, double value);

  blocklist<storeditem> items_;
  // A named item's texts in one piece: its name, then each index text after its length
  // byte (index texts are short strings). No list of index texts, no copy per index.
  textstore texts_;
  std::string packed_;  // the texts of the item being read
  bool openfailed_ = false;
};

}  // namespace empreader
