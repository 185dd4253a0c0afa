// The program's growable containers: pointer lists, owned string lists, name/object lists.
#include "frame/zlmobj.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace zlmobj {

namespace {

constexpr std::int32_t firstcapacity = 16;
constexpr std::int32_t eightfoldlimit = 1048576;

// Resizes a block, keeping its contents; a size of 0 frees it.
template <typename T>
T* resizeblock(T* block, std::int32_t slots) {
  if (slots <= 0) {
    std::free(block);
    return nullptr;
  }
  void* p = std::realloc(block, static_cast<std::size_t>(slots) * sizeof(T));
  if (p == nullptr) throw std::bad_alloc();
  return static_cast<T*>(p);
}

// The text of a heap string, without a copy.
std::string_view textof(strutilx::pstring p) { return strutilx::getview(p); }

// Case-insensitive three-way comparison of two heap strings (nil sorts first).
std::int32_t comparenames(strutilx::pstring a, strutilx::pstring b) {
  return strutilx::pstrucmp(a, b);
}

// True when the heap string holds the text, ignoring case; nil holds the empty text.
bool namematches(strutilx::pstring p, std::string_view text) {
  return strutilx::struequal(textof(p), text);
}

}  // namespace

// ---- sorting ----

void tquicksortclass::quicksort(std::int32_t first, std::int32_t last) {
  while (first < last) {
    std::int32_t pivot = static_cast<std::int32_t>((std::int64_t{first} + last) >> 1);
    std::int32_t i = first;
    std::int32_t j = last;
    do {
      while (compare(i, pivot) < 0) ++i;
      while (compare(j, pivot) > 0) --j;
      if (i < j) {
        exchange(i, j);
        // The pivot element moved: follow it.
        if (pivot == i)
          pivot = j;
        else if (pivot == j)
          pivot = i;
        ++i;
        --j;
      } else if (i == j) {
        ++i;
        --j;
      }
    } while (i <= j);
    // Recurse into the smaller part, loop on the larger one (the left one on a tie).
    if (j - first <= last - i) {
      if (first < j) quicksort(first, j);
      first = i;
    } else {
      if (i < last) quicksort(i, last);
      last = j;
    }
  }
}

void tquicksortclass::sortn(std::int32_t n) {
  if (n >= 2) quicksort(onebased, n + onebased - 1);
}

namespace detail {

std::int32_t growncapacity(std::int32_t capacity, std::int32_t count, std::string_view fulltext) {
  std::int64_t next;
  if (capacity == 0) {
    next = firstcapacity;
  } else {
    Q5_ASSERT(capacity != maxcapacity, fulltext);
    next = capacity < eightfoldlimit ? std::int64_t{capacity} * 8
                                     : std::int64_t{capacity} + capacity / 4;
    if (next > maxcapacity) next = maxcapacity;
  }
  if (next < count) next = count;
  return static_cast<std::int32_t>(next);
}

}  // namespace detail

// ---- txlist ----

txlist::~txlist() { clear(); }

void txlist::resize(std::int32_t newcapacity) {
  items_ = resizeblock(items_, newcapacity);
  capacity_ = newcapacity;
  arraybytes_ = std::int64_t{newcapacity} * static_cast<std::int64_t>(sizeof(void*));
}

void txlist::grow() { resize(detail::growncapacity(capacity_, count_, detail::txlistfulltext)); }

void txlist::freeitem(std::int32_t /*index*/) {}

std::int32_t txlist::add(void* item) {
  if (count_ == capacity_) grow();
  items_[count_] = item;
  ++count_;
  return count_ - 1 + onebased;
}

void txlist::insert(std::int32_t index, void* item) {
  if (count_ == capacity_) grow();
  const std::int32_t pos = index - onebased;
  if (pos < count_)
    std::memmove(items_ + pos + 1, items_ + pos,
                 sizeof(void*) * static_cast<std::size_t>(count_ - pos));
  items_[pos] = item;
  ++count_;
}

void txlist::put(std::int32_t index, void* item) {
  freeitem(index);
  items_[index - onebased] = item;
}

std::int32_t txlist::indexof(const void* item) const {
  for (std::int32_t pos = 0; pos < count_; ++pos)
    if (items_[pos] == item) return pos + onebased;
  return -1;
}

void txlist::removeat(std::int32_t pos) {
  --count_;
  if (pos < count_)
    std::memmove(items_ + pos, items_ + pos + 1,
                 sizeof(void*) * static_cast<std::size_t>(count_ - pos));
}

void txlist::delete_(std::int32_t index) {
  freeitem(index);
  removeat(index - onebased);
}

std::int32_t txlist::remove(const void* item) {
  for (std::int32_t pos = count_ - 1; pos >= 0; --pos) {
    if (items_[pos] == item) {
      freeitem(pos + onebased);
      removeat(pos);
      return pos + onebased;
    }
  }
  return -1;
}

void* txlist::extract(const void* item) {
  for (std::int32_t pos = 0; pos < count_; ++pos) {
    if (items_[pos] == item) {
      void* found = items_[pos];
      removeat(pos);
      return found;
    }
  }
  return nullptr;
}

void txlist::clear() {
  for (std::int32_t index = count_ - 1 + onebased; index >= onebased; --index) freeitem(index);
  count_ = 0;
  if (capacity_ != 0) resize(0);
}

void txlist::setcapacity(std::int32_t n) {
  if (n == capacity_) return;
  resize(n > count_ ? n : count_);
}

void txlist::setcount(std::int32_t n) {
  if (n == count_) return;
  if (n > capacity_) setcapacity(n);
  if (n > count_) {
    std::fill(items_ + count_, items_ + n, nullptr);
  } else {
    for (std::int32_t index = count_ - 1 + onebased; index >= n + onebased; --index)
      freeitem(index);
  }
  count_ = n;
}

void txlist::exchange(std::int32_t a, std::int32_t b) {
  std::swap(items_[a - onebased], items_[b - onebased]);
}

std::int32_t txlist::compare(std::int32_t /*a*/, std::int32_t /*b*/) {
  throw q5rt::assertion_error("TXList.compare(): a plain list has no order");
}

// ---- txstrings ----

txstrings::~txstrings() { clear(); }

std::int32_t txstrings::add(std::string_view text) {
  return txlist::add(strutilx::newstringm(text, stringbytes_));
}

void txstrings::insert(std::int32_t index, std::string_view text) {
  txlist::insert(index, strutilx::newstringm(text, stringbytes_));
}

q5rt::sstr txstrings::get(std::int32_t index) const {
  return q5rt::sstr::cut(textof(itemstr(index - onebased)));
}

void txstrings::put(std::int32_t index, std::string_view text) {
  // The text may be the string being replaced: copy it before freeing.
  const q5rt::sstr copy = q5rt::sstr::cut(text);
  freeitem(index);
  setitemat(index - onebased, strutilx::newstringm(copy.view(), stringbytes_));
}

std::int32_t txstrings::find(std::string_view text) const {
  for (std::int32_t pos = 0; pos < count(); ++pos)
    if (namematches(itemstr(pos), text)) return pos;
  return -1;
}

std::int32_t txstrings::indexof(std::string_view text) const {
  const std::int32_t pos = find(text);
  return pos < 0 ? -1 : pos + onebased;
}

q5rt::sstr txstrings::extract(std::string_view text) {
  const q5rt::sstr copy = q5rt::sstr::cut(text);
  const std::int32_t pos = find(copy.view());
  if (pos < 0) return {};
  freeitem(pos + onebased);
  removeat(pos);
  return copy;
}

std::int32_t txstrings::compare(std::int32_t a, std::int32_t b) {
  return comparenames(itemstr(a - onebased), itemstr(b - onebased));
}

void txstrings::freeitem(std::int32_t index) {
  strutilx::pstring p = itemstr(index - onebased);
  strutilx::disposestringm(p, stringbytes_);
  setitemat(index - onebased, nullptr);
}

// ---- txcustomstringlist ----

txcustomstringlist::~txcustomstringlist() { clear(); }

strutilx::pstring txcustomstringlist::newname(std::string_view name) {
  return strutilx::newstringm(name, stringbytes_);
}

void txcustomstringlist::disposename(strutilx::pstring& name) {
  strutilx::disposestringm(name, stringbytes_);
  name = nullptr;
}

void txcustomstringlist::resize(std::int32_t newcapacity) {
  entries_ = resizeblock(entries_, newcapacity);
  capacity_ = newcapacity;
  arraybytes_ = std::int64_t{newcapacity} * static_cast<std::int64_t>(sizeof(entry));
}

void txcustomstringlist::grow() {
  resize(detail::growncapacity(capacity_, count_, detail::customfulltext));
}

void txcustomstringlist::freeobject(std::int32_t /*index*/) {}

std::int32_t txcustomstringlist::addobject(std::string_view name, void* object) {
  if (count_ == capacity_) grow();
  entries_[count_] = entry{newname(name), object};
  ++count_;
  return count_ - 1 + onebased;
}

void txcustomstringlist::insertitem(std::int32_t index, std::string_view name, void* object) {
  if (count_ == capacity_) grow();
  const std::int32_t pos = index - onebased;
  if (pos < count_)
    std::memmove(static_cast<void*>(entries_ + pos + 1), entries_ + pos,
                 sizeof(entry) * static_cast<std::size_t>(count_ - pos));
  entries_[pos] = entry{newname(name), object};
  ++count_;
}

q5rt::sstr txcustomstringlist::getname(std::int32_t index) const {
  return q5rt::sstr::cut(textof(entries_[index - onebased].name));
}

void txcustomstringlist::setname(std::int32_t index, std::string_view name) {
  const q5rt::sstr copy = q5rt::sstr::cut(name);
  entry& e = entries_[index - onebased];
  disposename(e.name);
  e.name = newname(copy.view());
}

std::int32_t txcustomstringlist::indexof(std::string_view name) const {
  for (std::int32_t pos = 0; pos < count_; ++pos)
    if (namematches(entries_[pos].name, name)) return pos + onebased;
  return -1;
}

std::int32_t txcustomstringlist::indexofobject(const void* object) const {
  for (std::int32_t pos = 0; pos < count_; ++pos)
    if (entries_[pos].object == object) return pos + onebased;
  return -1;
}

void txcustomstringlist::removeat(std::int32_t pos) {
  --count_;
  if (pos < count_)
    std::memmove(static_cast<void*>(entries_ + pos), entries_ + pos + 1,
                 sizeof(entry) * static_cast<std::size_t>(count_ - pos));
}

void txcustomstringlist::freeitem(std::int32_t index) {
  disposename(entries_[index - onebased].name);
  freeobject(index);
}

void txcustomstringlist::delete_(std::int32_t index) {
  freeitem(index);
  removeat(index - onebased);
}

void txcustomstringlist::clear() {
  for (std::int32_t index = count_ - 1 + onebased; index >= onebased; --index) freeitem(index);
  count_ = 0;
  if (capacity_ != 0) resize(0);
}

void txcustomstringlist::setcapacity(std::int32_t n) {
  if (n == capacity_) return;
  resize(n > count_ ? n : count_);
}

void txcustomstringlist::exchange(std::int32_t a, std::int32_t b) {
  std::swap(entries_[a - onebased], entries_[b - onebased]);
}

std::int32_t txcustomstringlist::compare(std::int32_t a, std::int32_t b) {
  return comparenames(entries_[a - onebased].name, entries_[b - onebased].name);
}

// ---- copy routines ----

void cmove(const void* source, void* destination, std::int32_t n) {
  if (n > 0) std::memmove(destination, source, static_cast<std::size_t>(n));
}

void* copyint2ptr(std::int32_t n) {
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(n)));
}

std::int32_t copyptr2int(const void* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p)));
}

}  // namespace zlmobj
