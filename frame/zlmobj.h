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
// Faster lookups: txsortedstringlist (bisection), txstrstrlist (name -> value text),
// txhashedstringlist / txstrpool (double hashing, ignoring case / exact). Also a list of
// byte records (txpcharlist) and a growable bit set (tbooleanbitarray).
//
// A subclass that owns what its items point to overrides `freeitem` (or `freeobject`) and
// calls `clear()` in its own destructor, since the base destructor cannot reach overrides.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/q5rt.h"
#include "frame/strutilx.h"

namespace zlmobj {

namespace detail {

// The slot array behind the lists: count, capacity and the array's bytes. Blocks come
// from the counted allocator.
template <typename T>
class slotarray {
 public:
  slotarray() = default;
  slotarray(const slotarray&) = delete;
  slotarray& operator=(const slotarray&) = delete;
  ~slotarray() { resize(0); }

  [[nodiscard]] std::int32_t count() const { return count_; }
  [[nodiscard]] std::int32_t capacity() const { return capacity_; }
  [[nodiscard]] std::int64_t arraybytes() const { return arraybytes_; }
  [[nodiscard]] bool full() const { return count_ == capacity_; }
  [[nodiscard]] T& operator[](std::int32_t pos) const { return slots_[pos]; }

  // One growth step of the list policy (the text is the assertion at the maximum).
  void grow(std::string_view fulltext);
  // Opens a slot at pos (later slots move up) and gives it; the array must not be full.
  T& openat(std::int32_t pos);
  // Removes the slot at pos; later slots move down.
  void closeat(std::int32_t pos);
  // Resizes to max(n, count); nothing when n is the capacity.
  void setcapacity(std::int32_t n);
  // Sets the count within the capacity; new slots are value-initialised.
  void setcount(std::int32_t n);
  // Count 0 and the array released.
  void release();

 private:
  void resize(std::int32_t newcapacity);

  std::int32_t count_ = 0;
  std::int32_t capacity_ = 0;
  std::int64_t arraybytes_ = 0;
  T* slots_ = nullptr;
};

}  // namespace detail

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
  [[nodiscard]] void* getlast() const {
    return items_.count() == 0 ? nullptr : items_[items_.count() - 1];
  }
  void put(std::int32_t index, void* item);
  [[nodiscard]] std::int32_t indexof(const void* item) const;
  void delete_(std::int32_t index);
  std::int32_t remove(const void* item);
  void* extract(const void* item);
  void clear();
  void setcapacity(std::int32_t n);
  void setcount(std::int32_t n);

  [[nodiscard]] std::int32_t count() const { return items_.count(); }
  [[nodiscard]] std::int32_t capacity() const { return items_.capacity(); }
  [[nodiscard]] std::int64_t memoryused() const { return items_.arraybytes(); }

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
  void removeat(std::int32_t pos) { items_.closeat(pos); }

 private:
  detail::slotarray<void*> items_;
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

  [[nodiscard]] std::int32_t count() const { return entries_.count(); }
  [[nodiscard]] std::int32_t capacity() const { return entries_.capacity(); }
  [[nodiscard]] std::int64_t memoryused() const { return stringbytes_ + entries_.arraybytes(); }
  [[nodiscard]] std::int64_t stringbytes() const { return stringbytes_; }

  void exchange(std::int32_t a, std::int32_t b) override;
  [[nodiscard]] std::int32_t compare(std::int32_t a, std::int32_t b) override;
  virtual void grow();
  // Releases the object of the entry at the index; this list owns no objects.
  virtual void freeobject(std::int32_t index);

 protected:
  [[nodiscard]] const entry& entryat(std::int32_t pos) const { return entries_[pos]; }
  [[nodiscard]] entry& entryat(std::int32_t pos) { return entries_[pos]; }
  // Heap strings counted in this list's string bytes (names, and values of subclasses).
  [[nodiscard]] strutilx::pstring newcounted(std::string_view text);
  void disposecounted(strutilx::pstring& p);  // p becomes nil
  // Called after an operation that changed names or positions of entries.
  virtual void entrieschanged() {}
  // Removes the entry at a position without freeing anything.
  void removeat(std::int32_t pos) { entries_.closeat(pos); }

 private:
  detail::slotarray<entry> entries_;
  std::int64_t stringbytes_ = 0;
};

// The pair list with inserting operations.
class txstringlist : public txcustomstringlist {
 public:
  void insert(std::int32_t index, std::string_view name) { insertitem(index, name, nullptr); }
  void insertobject(std::int32_t index, std::string_view name, void* object) {
    insertitem(index, name, object);
  }
};

// ---- lists found faster than by a linear scan ----

// Names kept in case-insensitive order and found by bisection. Between beginupdate and
// endupdate entries are appended and sorted once at the end.
class txsortedstringlist : public txcustomstringlist {
 public:
  std::int32_t add(std::string_view name) { return addobject(name, nullptr); }
  // Inserts before an equal name; appends (unsorted) while an update runs or when empty.
  std::int32_t addobject(std::string_view name, void* object);
  // Bisection whatever the sorted flag: true and the entry's index, or false and the
  // index at which the name would be inserted.
  [[nodiscard]] bool find(std::string_view name, std::int32_t& index) const;
  [[nodiscard]] std::int32_t indexof(std::string_view name) const;
  void beginupdate() { ++updatecount_; }
  void endupdate();
  void setsorted(bool flag);
  [[nodiscard]] bool sorted() const { return sorted_; }

 protected:
  // Position of the name among the entries (by bisection when sorted), or -1.
  [[nodiscard]] std::int32_t findposition(std::string_view name) const;

 private:
  // Bisection: true and the position of an equal name, or false and the position at
  // which the name belongs.
  [[nodiscard]] bool bisect(std::string_view name, std::int32_t& pos) const;
  void sortall();

  std::int32_t updatecount_ = 0;
  bool sorted_ = true;
};

// A name-value store: each entry's object is its value, an owned heap string.
// Values are set and read as texts, integers, doubles or booleans; an empty value is
// no value, and setting one removes the name.
class txstrstrlist : public txsortedstringlist {
 public:
  ~txstrstrlist() override;

  // Inserts the pair without looking for the name.
  std::int32_t addobject(std::string_view name, std::string_view value);
  [[nodiscard]] q5rt::sstr getobject(std::int32_t index) const;
  void putobject(std::int32_t index, std::string_view value);

  void setasstring(std::string_view name, std::string_view value);
  void setasinteger(std::string_view name, std::int32_t n);  // 0 removes
  void setasdouble(std::string_view name, double x);         // 0 removes
  void setasboolean(std::string_view name, bool flag);       // "T"; false removes
  // Empty for an absent name, and for the stored value "=".
  [[nodiscard]] q5rt::sstr getasstring(std::string_view name) const;
  // 0 for an absent name or a value that does not convert completely.
  [[nodiscard]] std::int32_t getasinteger(std::string_view name) const;
  [[nodiscard]] double getasdouble(std::string_view name) const;
  // True when the value starts with 1, T, t, Y or y.
  [[nodiscard]] bool getasboolean(std::string_view name) const;

  void freeobject(std::int32_t index) override;

 private:
  [[nodiscard]] std::string_view valueat(std::int32_t pos) const;
};

// Names found through an open-addressing hash table with double hashing, ignoring case.
// Adding a name that is present gives its index and adds nothing. Operations that move or
// rename entries drop the table; the next lookup builds it again.
class txhashedstringlist : public txcustomstringlist {
 public:
  std::int32_t add(std::string_view name) { return addobject(name, nullptr); }
  std::int32_t addobject(std::string_view name, void* object);
  [[nodiscard]] std::int32_t indexof(std::string_view name);
  // Sizes and rebuilds the table for n entries.
  void sethashsize(std::int32_t n);
  void clearhashlist();
  void clear();
  void sort();
  void hashstats(std::int32_t& first, std::int32_t& second, std::int32_t& third, double& load,
                 std::int64_t& bytes) const;
  [[nodiscard]] std::int32_t tablesize() const { return tablesize_; }
  [[nodiscard]] std::int32_t rehashlimit() const { return rehashlimit_; }

  // True when the text equals the name of the entry at the position (nil equals "").
  [[nodiscard]] virtual bool compareentry(std::string_view text, std::int32_t pos) const;
  // The first probe slot of the text in the current table.
  [[nodiscard]] virtual std::int32_t hashvalue(std::string_view text) const;
  // The probe step, 1 to 32.
  [[nodiscard]] virtual std::int32_t hashval2(std::string_view text) const;

 protected:
  void entrieschanged() override { clearhashlist(); }

 private:
  // Position of the name, or -1 with the free slot that ends its probe sequence.
  [[nodiscard]] std::int32_t probe(std::string_view name, std::int32_t& freeslot) const;
  void enter(std::int32_t pos);

  std::vector<std::int32_t> table_;
  std::int32_t tablesize_ = 0;
  std::int32_t rehashlimit_ = -1;
  std::int64_t tablebytes_ = 0;
};

// The hashed list with exact case.
class txstrpool : public txhashedstringlist {
 public:
  [[nodiscard]] std::int32_t compare(std::int32_t a, std::int32_t b) override;
  [[nodiscard]] bool compareentry(std::string_view text, std::int32_t pos) const override;
  [[nodiscard]] std::int32_t hashvalue(std::string_view text) const override;
  [[nodiscard]] std::int32_t hashval2(std::string_view text) const override;
};

// Load ratios of the hashed lists: the load a table is sized for, and the load at which
// it is rebuilt larger.
inline constexpr double hash2_nicefullratio = 0.55;
inline constexpr double hash2_maxfullratio = 0.75;

// ---- records and bits ----

// A list of byte records, each held as a 32-bit length followed by the bytes.
class txpcharlist {
 public:
  txpcharlist() = default;
  txpcharlist(const txpcharlist&) = delete;
  txpcharlist& operator=(const txpcharlist&) = delete;
  virtual ~txpcharlist() = default;

  std::int32_t add(const void* bytes, std::int32_t length);
  void getitem(std::int32_t index, const char*& bytes, std::int32_t& length) const;
  [[nodiscard]] std::int32_t count() const { return list_.count(); }
  [[nodiscard]] bool getonebased() const { return list_.onebased != 0; }
  void setonebased(bool flag) { list_.onebased = flag ? 1 : 0; }
  [[nodiscard]] std::int64_t memoryused() const { return total_ + list_.memoryused(); }
  void clear();

 private:
  // Owns its records: freeitem releases one.
  class recordlist : public txlist {
   public:
    ~recordlist() override { clear(); }
    void freeitem(std::int32_t index) override;
  };

  recordlist list_;
  std::int64_t total_ = 0;
};

// A growable set of bits; bit n is bit n mod 8 of byte n div 8.
class tbooleanbitarray {
 public:
  using callback = std::function<bool(std::int32_t)>;

  tbooleanbitarray() = default;
  tbooleanbitarray(const tbooleanbitarray&) = delete;
  tbooleanbitarray& operator=(const tbooleanbitarray&) = delete;
  virtual ~tbooleanbitarray() = default;

  void clear();
  [[nodiscard]] bool getbit(std::int32_t n) const;
  void setbit(std::int32_t n, bool value);
  void sethighindex(std::int32_t n);
  [[nodiscard]] std::int32_t gethighindex() const { return highindex_; }
  static void getbitmask(std::int32_t n, std::int32_t& byteindex, std::uint8_t& mask);
  // Calls back with every set bit, ascending or descending, then with -1; a false
  // answer stops and is returned.
  bool iterate(const callback& cb) const;
  bool iteratedown(const callback& cb) const;
  [[nodiscard]] std::int64_t memoryused() const { return allocated_; }

 private:
  void ensure(std::int32_t n);

  std::vector<std::uint8_t> bits_;
  std::int32_t allocated_ = 0;
  std::int32_t highindex_ = -1;
};

// Self-test of the hash table size ladders; writes its report to standard output.
[[nodiscard]] bool zlmobjisok();

// Copies n bytes; the areas may overlap.
void cmove(const void* source, void* destination, std::int32_t n);

// Integers held as list items: zero-extended into the pointer, read back as the low 32 bits.
[[nodiscard]] void* copyint2ptr(std::int32_t n);
[[nodiscard]] std::int32_t copyptr2int(const void* p);

namespace detail {

constexpr std::int32_t maxcapacity = 2147483647;
constexpr std::string_view txlistfulltext = "TXList.grow(): max capacity reached";
constexpr std::string_view customfulltext = "TXCustomStringList.grow(): max capacity reached";
constexpr std::string_view hashoverflowtext =
    "TXHashedStringList.setHashTableSize for double-hashing: table size overflow";

// The double-hashing table size for a request of m slots: the first ladder size above m
// (the largest for every m above 290201182).
[[nodiscard]] std::int32_t getdblhashsize(std::int64_t m);
// The separate-chaining table size for a request of n: the first ladder size above n,
// capped at the last.
[[nodiscard]] std::int32_t getschashsize(std::int64_t n);
// The self-test with the given load ratios; the report goes to out.
[[nodiscard]] bool zlmobjisok(double nice, double max, std::string& out);

// The capacity after one growth step of a list holding count items; raises the assertion
// with the text when the capacity is already at its maximum.
[[nodiscard]] std::int32_t growncapacity(std::int32_t capacity, std::int32_t count,
                                         std::string_view fulltext);

}  // namespace detail

}  // namespace zlmobj
