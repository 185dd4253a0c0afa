// The program's growable containers.
//
// Every list keeps an index base (0 or 1, `onebased`) that shifts all index arguments and
// results, counts the bytes it holds (`memoryused`) and grows by one policy: 16 slots
// first, then eightfold, from 1048576 slots on by a quarter, capped at 2147483647.
// Indices are not checked: keeping them in range is the caller's business.
//
// Usage:
//   zlmobj::txlist items;               // untyped pointers, not owned
//   items.add(p);
//   zlmobj::txstrings names;            // owned heap strings
//   names.add("abc");
//   zlmobj::txstringlist libs;          // (owned name, object) pairs
//   libs.onebased = 1;
//   const int i = libs.addobject("libx", obj);
//   libs.indexof("LIBX");               // == i, case is ignored
//
// A subclass that owns what its items point to overrides `freeitem` (or `freeobject`) and
// calls `clear()` in its own destructor, since the base destructor cannot reach overrides.
#pragma once

#include <cstdint>
#include <string_view>

#include "frame/q5rt.h"
#include "frame/strutilx.h"

namespace zlmobj {

// Sorting over two virtual operations: elements are only compared and exchanged by index.
class tquicksortclass {
 public:
  tquicksortclass() = default;
  tquicksortclass(const tquicksortclass&) = delete;
  tquicksortclass& operator=(const tquicksortclass&) = delete;
  virtual ~tquicksortclass() = default;

  // Index base of the list: 0 or 1.
  std::uint8_t onebased = 0;

  // Sorts the range first..last (indices) by compare; not stable.
  void quicksort(std::int32_t first, std::int32_t last);
  // Sorts the first n elements; nothing when n is below 2.
  void sortn(std::int32_t n);

  virtual void exchange(std::int32_t a, std::int32_t b) = 0;
  [[nodiscard]] virtual std::int32_t compare(std::int32_t a, std::int32_t b) = 0;
};

// A list of untyped pointers; the items are not owned unless a subclass's freeitem says so.
class txlist : public tquicksortclass {
 public:
  txlist() = default;
  ~txlist() override;

  std::int32_t add(void* item);
  void insert(std::int32_t index, void* item);
  [[nodiscard]] void* get(std::int32_t index) const { return items_[index - onebased]; }
  [[nodiscard]] void* getlast() const { return count_ == 0 ? nullptr : items_[count_ - 1]; }
  void put(std::int32_t index, void* item);
  [[nodiscard]] std::int32_t indexof(const void* item) const;
  void delete_(std::int32_t index);
  std::int32_t remove(const void* item);
  void* extract(const void* item);
  void clear();
  void setcapacity(std::int32_t n);
  void setcount(std::int32_t n);

  [[nodiscard]] std::int32_t count() const { return count_; }
  [[nodiscard]] std::int32_t capacity() const { return capacity_; }
  [[nodiscard]] std::int64_t memoryused() const { return arraybytes_; }

  void exchange(std::int32_t a, std::int32_t b) override;
  // A plain pointer list has no order: sorting one is a programming error.
  [[nodiscard]] std::int32_t compare(std::int32_t a, std::int32_t b) override;
  virtual void grow();
  // Releases what the item at the index owns; a plain list owns nothing.
  virtual void freeitem(std::int32_t index);

 protected:
  [[nodiscard]] void* itemat(std::int32_t pos) const { return items_[pos]; }
  void setitemat(std::int32_t pos, void* item) { items_[pos] = item; }
  // Removes the element at a position without calling freeitem.
  void removeat(std::int32_t pos);

 private:
  void resize(std::int32_t newcapacity);

  std::int32_t capacity_ = 0;
  std::int64_t arraybytes_ = 0;
  std::int32_t count_ = 0;
  void** items_ = nullptr;
};

// A list of owned heap strings, compared ignoring case.
class txstrings : public txlist {
 public:
  txstrings() = default;
  ~txstrings() override;

  std::int32_t add(std::string_view text);
  void insert(std::int32_t index, std::string_view text);
  [[nodiscard]] q5rt::sstr get(std::int32_t index) const;
  void put(std::int32_t index, std::string_view text);
  [[nodiscard]] std::int32_t indexof(std::string_view text) const;
  // Removes the first element equal to the text (ignoring case); gives the text back, or
  // the empty text when none is equal.
  q5rt::sstr extract(std::string_view text);
  void sort() { sortn(count()); }
  [[nodiscard]] std::int64_t memoryused() const { return stringbytes_ + txlist::memoryused(); }
  [[nodiscard]] std::int64_t stringbytes() const { return stringbytes_; }

  [[nodiscard]] std::int32_t compare(std::int32_t a, std::int32_t b) override;
  void freeitem(std::int32_t index) override;

 private:
  [[nodiscard]] strutilx::pstring itemstr(std::int32_t pos) const {
    return static_cast<strutilx::pstring>(itemat(pos));
  }
  [[nodiscard]] std::int32_t find(std::string_view text) const;  // position or -1

  std::int64_t stringbytes_ = 0;
};

// Pairs of an owned heap-string name and an object pointer that is not owned.
class txcustomstringlist : public tquicksortclass {
 public:
  struct entry {
    strutilx::pstring name;
    void* object;
  };

  txcustomstringlist() = default;
  ~txcustomstringlist() override;

  std::int32_t add(std::string_view name) { return addobject(name, nullptr); }
  std::int32_t addobject(std::string_view name, void* object);
  void insertitem(std::int32_t index, std::string_view name, void* object);
  [[nodiscard]] q5rt::sstr getname(std::int32_t index) const;
  void setname(std::int32_t index, std::string_view name);
  [[nodiscard]] void* getobject(std::int32_t index) const {
    return entries_[index - onebased].object;
  }
  void putobject(std::int32_t index, void* object) { entries_[index - onebased].object = object; }
  [[nodiscard]] std::int32_t indexof(std::string_view name) const;
  [[nodiscard]] std::int32_t indexofobject(const void* object) const;
  void delete_(std::int32_t index);
  // Frees the entry's name (left empty) and its object, keeping the entry in place.
  void freeitem(std::int32_t index);
  void clear();
  void setcapacity(std::int32_t n);

  [[nodiscard]] std::int32_t count() const { return count_; }
  [[nodiscard]] std::int32_t capacity() const { return capacity_; }
  [[nodiscard]] std::int64_t memoryused() const { return stringbytes_ + arraybytes_; }
  [[nodiscard]] std::int64_t stringbytes() const { return stringbytes_; }

  void exchange(std::int32_t a, std::int32_t b) override;
  [[nodiscard]] std::int32_t compare(std::int32_t a, std::int32_t b) override;
  virtual void grow();
  // Releases the object of the entry at the index; this list owns no objects.
  virtual void freeobject(std::int32_t index);

 protected:
  [[nodiscard]] const entry& entryat(std::int32_t pos) const { return entries_[pos]; }
  [[nodiscard]] entry& entryat(std::int32_t pos) { return entries_[pos]; }
  [[nodiscard]] strutilx::pstring newname(std::string_view name);
  void disposename(strutilx::pstring& name);
  // Removes the entry at a position without freeing anything.
  void removeat(std::int32_t pos);

 private:
  void resize(std::int32_t newcapacity);

  std::int32_t count_ = 0;
  entry* entries_ = nullptr;
  std::int32_t capacity_ = 0;
  std::int64_t stringbytes_ = 0;
  std::int64_t arraybytes_ = 0;
};

// The pair list with inserting operations.
class txstringlist : public txcustomstringlist {
 public:
  void insert(std::int32_t index, std::string_view name) { insertitem(index, name, nullptr); }
  void insertobject(std::int32_t index, std::string_view name, void* object) {
    insertitem(index, name, object);
  }
};

// Copies n bytes; the areas may overlap.
void cmove(const void* source, void* destination, std::int32_t n);

// Integers held as list items: zero-extended into the pointer, read back as the low 32 bits.
[[nodiscard]] void* copyint2ptr(std::int32_t n);
[[nodiscard]] std::int32_t copyptr2int(const void* p);

namespace detail {

constexpr std::int32_t maxcapacity = 2147483647;
constexpr std::string_view txlistfulltext = "TXList.grow(): max capacity reached";
constexpr std::string_view customfulltext = "TXCustomStringList.grow(): max capacity reached";

// The capacity after one growth step of a list holding count items; raises the assertion
// with the text when the capacity is already at its maximum.
[[nodiscard]] std::int32_t growncapacity(std::int32_t capacity, std::int32_t count,
                                         std::string_view fulltext);

}  // namespace detail

}  // namespace zlmobj
