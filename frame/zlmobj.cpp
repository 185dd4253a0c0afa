// The program's growable containers: pointer lists, owned string lists, name/object lists.
#include "frame/zlmobj.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "frame/q5rtnum.h"
#include "frame/q5utils.h"
#include "frame/strutilx_numbers.h"

namespace zlmobj {

namespace {

constexpr std::int32_t firstcapacity = 16;
constexpr std::int32_t eightfoldlimit = 1048576;

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

// ---- slot array ----

template <typename T>
void slotarray<T>::resize(std::int32_t newcapacity) {
  void* block = slots_;
  q5utils::q5reallocmem64(block, std::int64_t{newcapacity} * static_cast<std::int64_t>(sizeof(T)));
  slots_ = static_cast<T*>(block);
  capacity_ = newcapacity;
  arraybytes_ = std::int64_t{newcapacity} * static_cast<std::int64_t>(sizeof(T));
}

template <typename T>
void slotarray<T>::grow(std::string_view fulltext) {
  resize(growncapacity(capacity_, count_, fulltext));
}

template <typename T>
T& slotarray<T>::openat(std::int32_t pos) {
  if (pos < count_)
    std::memmove(static_cast<void*>(slots_ + pos + 1), slots_ + pos,
                 sizeof(T) * static_cast<std::size_t>(count_ - pos));
  ++count_;
  return slots_[pos];
}

template <typename T>
void slotarray<T>::closeat(std::int32_t pos) {
  --count_;
  if (pos < count_)
    std::memmove(static_cast<void*>(slots_ + pos), slots_ + pos + 1,
                 sizeof(T) * static_cast<std::size_t>(count_ - pos));
}

template <typename T>
void slotarray<T>::setcapacity(std::int32_t n) {
  if (n != capacity_) resize(n > count_ ? n : count_);
}

template <typename T>
void slotarray<T>::setcount(std::int32_t n) {
  if (n > count_) std::fill(slots_ + count_, slots_ + n, T{});
  count_ = n;
}

template <typename T>
void slotarray<T>::release() {
  count_ = 0;
  if (capacity_ != 0) resize(0);
}

template class slotarray<void*>;
template class slotarray<txcustomstringlist::entry>;

}  // namespace detail

// ---- txlist ----

txlist::~txlist() { clear(); }

void txlist::grow() { items_.grow(detail::txlistfulltext); }

void txlist::freeitem(std::int32_t /*index*/) {}

std::int32_t txlist::add(void* item) {
  insert(count() + onebased, item);
  return count() - 1 + onebased;
}

void txlist::insert(std::int32_t index, void* item) {
  if (items_.full()) grow();
  items_.openat(index - onebased) = item;
}

void txlist::put(std::int32_t index, void* item) {
  freeitem(index);
  items_[index - onebased] = item;
}

std::int32_t txlist::indexof(const void* item) const {
  for (std::int32_t pos = 0; pos < count(); ++pos)
    if (items_[pos] == item) return pos + onebased;
  return -1;
}

void txlist::delete_(std::int32_t index) {
  freeitem(index);
  removeat(index - onebased);
}

std::int32_t txlist::remove(const void* item) {
  for (std::int32_t pos = count() - 1; pos >= 0; --pos) {
    if (items_[pos] == item) {
      delete_(pos + onebased);
      return pos + onebased;
    }
  }
  return -1;
}

void* txlist::extract(const void* item) {
  const std::int32_t index = indexof(item);
  if (index < 0) return nullptr;
  void* found = items_[index - onebased];
  removeat(index - onebased);
  return found;
}

void txlist::clear() {
  for (std::int32_t index = count() - 1 + onebased; index >= onebased; --index) freeitem(index);
  items_.release();
}

void txlist::setcapacity(std::int32_t n) { items_.setcapacity(n); }

void txlist::setcount(std::int32_t n) {
  if (n == count()) return;
  if (n > capacity()) items_.setcapacity(n);
  // Shrinking frees from the last item down to the new end.
  for (std::int32_t index = count() - 1 + onebased; index >= n + onebased; --index) freeitem(index);
  items_.setcount(n);
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
  strutilx::disposestringm(itemstr(index - onebased), stringbytes_);
  setitemat(index - onebased, nullptr);
}

// ---- txcustomstringlist ----

txcustomstringlist::~txcustomstringlist() { clear(); }

strutilx::pstring txcustomstringlist::newcounted(std::string_view text) {
  return strutilx::newstringm(text, stringbytes_);
}

void txcustomstringlist::disposecounted(strutilx::pstring& p) {
  strutilx::disposestringm(p, stringbytes_);
  p = nullptr;
}

void txcustomstringlist::grow() { entries_.grow(detail::customfulltext); }

void txcustomstringlist::freeobject(std::int32_t /*index*/) {}

std::int32_t txcustomstringlist::addobject(std::string_view name, void* object) {
  if (entries_.full()) grow();
  entries_.openat(count()) = entry{newcounted(name), object};
  return count() - 1 + onebased;
}

void txcustomstringlist::insertitem(std::int32_t index, std::string_view name, void* object) {
  if (entries_.full()) grow();
  entries_.openat(index - onebased) = entry{newcounted(name), object};
  entrieschanged();
}

q5rt::sstr txcustomstringlist::getname(std::int32_t index) const {
  return q5rt::sstr::cut(textof(entries_[index - onebased].name));
}

void txcustomstringlist::setname(std::int32_t index, std::string_view name) {
  const q5rt::sstr copy = q5rt::sstr::cut(name);
  entry& e = entries_[index - onebased];
  disposecounted(e.name);
  e.name = newcounted(copy.view());
  entrieschanged();
}

std::int32_t txcustomstringlist::indexof(std::string_view name) const {
  for (std::int32_t pos = 0; pos < count(); ++pos)
    if (namematches(entries_[pos].name, name)) return pos + onebased;
  return -1;
}

std::int32_t txcustomstringlist::indexofobject(const void* object) const {
  for (std::int32_t pos = 0; pos < count(); ++pos)
    if (entries_[pos].object == object) return pos + onebased;
  return -1;
}

void txcustomstringlist::freeitem(std::int32_t index) {
  disposecounted(entries_[index - onebased].name);
  freeobject(index);
  entrieschanged();
}

void txcustomstringlist::delete_(std::int32_t index) {
  freeitem(index);
  removeat(index - onebased);
  entrieschanged();
}

void txcustomstringlist::clear() {
  for (std::int32_t index = count() - 1 + onebased; index >= onebased; --index) freeitem(index);
  entries_.release();
}

void txcustomstringlist::setcapacity(std::int32_t n) { entries_.setcapacity(n); }

void txcustomstringlist::exchange(std::int32_t a, std::int32_t b) {
  std::swap(entries_[a - onebased], entries_[b - onebased]);
  entrieschanged();
}

std::int32_t txcustomstringlist::compare(std::int32_t a, std::int32_t b) {
  return comparenames(entries_[a - onebased].name, entries_[b - onebased].name);
}

// ---- txsortedstringlist ----

bool txsortedstringlist::bisect(std::string_view name, std::int32_t& pos) const {
  std::int32_t lo = 0;
  std::int32_t hi = count() - 1;
  while (lo <= hi) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    const int c = strutilx::strucmp(name, textof(entryat(mid).name));
    if (c > 0) {
      lo = mid + 1;
    } else if (c < 0) {
      hi = mid - 1;
    } else {
      pos = mid;
      return true;
    }
  }
  pos = lo;
  return false;
}

std::int32_t txsortedstringlist::addobject(std::string_view name, void* object) {
  if (updatecount_ > 0 || count() == 0) {
    sorted_ = false;
    return txcustomstringlist::addobject(name, object);
  }
  std::int32_t pos = 0;
  (void)bisect(name, pos);
  insertitem(pos + onebased, name, object);
  return pos + onebased;
}

bool txsortedstringlist::find(std::string_view name, std::int32_t& index) const {
  std::int32_t pos = 0;
  const bool found = bisect(name, pos);
  index = pos + onebased;
  return found;
}

std::int32_t txsortedstringlist::findposition(std::string_view name) const {
  if (!sorted_) {
    const std::int32_t index = txcustomstringlist::indexof(name);
    return index < 0 ? -1 : index - onebased;
  }
  std::int32_t pos = 0;
  return bisect(name, pos) ? pos : -1;
}

std::int32_t txsortedstringlist::indexof(std::string_view name) const {
  const std::int32_t pos = findposition(name);
  return pos < 0 ? -1 : pos + onebased;
}

void txsortedstringlist::sortall() {
  if (count() > 1) sortn(count());
  sorted_ = true;
}

void txsortedstringlist::endupdate() {
  if (updatecount_ == 0) return;  // unbalanced: nothing to end
  --updatecount_;
  if (updatecount_ == 0 && !sorted_) sortall();
}

void txsortedstringlist::setsorted(bool flag) {
  if (flag == sorted_) return;
  if (flag)
    sortall();
  else
    sorted_ = false;
}

// ---- txstrstrlist ----

txstrstrlist::~txstrstrlist() { clear(); }

std::string_view txstrstrlist::valueat(std::int32_t pos) const {
  return textof(static_cast<strutilx::pstring>(entryat(pos).object));
}

void txstrstrlist::freeobject(std::int32_t index) {
  auto& object = entryat(index - onebased).object;
  auto value = static_cast<strutilx::pstring>(object);
  disposecounted(value);
  object = nullptr;
}

std::int32_t txstrstrlist::addobject(std::string_view name, std::string_view value) {
  return txsortedstringlist::addobject(name, newcounted(value));
}

q5rt::sstr txstrstrlist::getobject(std::int32_t index) const {
  return q5rt::sstr::cut(valueat(index - onebased));
}

void txstrstrlist::putobject(std::int32_t index, std::string_view value) {
  const q5rt::sstr copy = q5rt::sstr::cut(value);
  freeobject(index);
  entryat(index - onebased).object = newcounted(copy.view());
}

void txstrstrlist::setasstring(std::string_view name, std::string_view value) {
  const std::int32_t pos = findposition(name);
  if (pos >= 0) {
    if (value.empty())
      delete_(pos + onebased);
    else
      putobject(pos + onebased, value);
  } else if (!value.empty()) {
    (void)addobject(name, value);
  }
}

void txstrstrlist::setasinteger(std::string_view name, std::int32_t n) {
  if (n == 0) {
    setasstring(name, "");
    return;
  }
  setasstring(name, strutilx::inttostrw(n, 0));
}

void txstrstrlist::setasdouble(std::string_view name, double x) {
  setasstring(name, x == 0 ? q5rt::sstr() : q5rt::Q5_Str_dd0(x));
}

void txstrstrlist::setasboolean(std::string_view name, bool flag) {
  setasstring(name, flag ? "T" : "");
}

q5rt::sstr txstrstrlist::getasstring(std::string_view name) const {
  const std::int32_t pos = findposition(name);
  if (pos < 0) return {};
  const std::string_view value = valueat(pos);
  return value == "=" ? q5rt::sstr() : q5rt::sstr::cut(value);
}

std::int32_t txstrstrlist::getasinteger(std::string_view name) const {
  const q5rt::sstr text = getasstring(name);
  if (text.empty()) return 0;
  std::int32_t code = 0;
  const std::int32_t n = q5rt::Q5_Val_SPD(text.view(), code);
  return code == 0 ? n : 0;
}

double txstrstrlist::getasdouble(std::string_view name) const {
  const q5rt::sstr text = getasstring(name);
  if (text.empty()) return 0;
  double x = 0;
  std::int32_t code = 0;
  q5rt::Q5_Val_dd(text.view(), x, code);
  return code == 0 ? x : 0;
}

bool txstrstrlist::getasboolean(std::string_view name) const {
  const q5rt::sstr text = getasstring(name);
  return !text.empty() && std::string_view("1TtYy").find(text[0]) != std::string_view::npos;
}

// ---- txhashedstringlist, txstrpool ----

namespace {

constexpr std::uint64_t pow31to6 = 887503681;

// A character's code for hashing, upper-cased (ASCII only) when folding.
template <bool Fold>
std::uint32_t hashchar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return Fold && u >= 'a' && u <= 'z' ? u - 32u : u;
}

// The text's slot in a table of the size: blocks of six characters, one modulo each.
template <bool Fold>
std::int32_t hashslot(std::string_view text, std::int32_t size) {
  if (size <= 0) return 0;
  const auto m = static_cast<std::uint64_t>(size);
  std::uint64_t h = 0;
  std::size_t i = 0;
  for (; i + 6 <= text.size(); i += 6) {
    std::uint32_t b = 0;  // wraps
    for (std::size_t k = 0; k < 6; ++k) b = b * 31 + hashchar<Fold>(text[i + k]);
    h = (h * pow31to6 + b) % m;
  }
  for (; i < text.size(); ++i) h = (h * 31 + hashchar<Fold>(text[i])) % m;
  return static_cast<std::int32_t>(h);
}

// The probe step: 1 to 32.
template <bool Fold>
std::int32_t hashstep(std::string_view text) {
  std::uint32_t g = 0;  // wraps
  for (char c : text) g = g * 71 + hashchar<Fold>(c);
  return static_cast<std::int32_t>(32 - g % 32);
}

}  // namespace

bool txhashedstringlist::compareentry(std::string_view text, std::int32_t pos) const {
  return strutilx::struequal(text, textof(entryat(pos).name));
}

std::int32_t txhashedstringlist::hashvalue(std::string_view text) const {
  return hashslot<true>(text, tablesize_);
}

std::int32_t txhashedstringlist::hashval2(std::string_view text) const {
  return hashstep<true>(text);
}

std::int32_t txhashedstringlist::probe(std::string_view name, std::int32_t& freeslot) const {
  std::int32_t h = hashvalue(name);
  const std::int32_t step = hashval2(name);
  for (;;) {
    const std::int32_t pos = table_[static_cast<std::size_t>(h)];
    if (pos < 0) {
      freeslot = h;
      return -1;
    }
    if (compareentry(name, pos)) return pos;
    h = static_cast<std::int32_t>((std::int64_t{h} + step) % tablesize_);
  }
}

void txhashedstringlist::enter(std::int32_t pos) {
  const std::string_view name = textof(entryat(pos).name);
  std::int32_t h = hashvalue(name);
  const std::int32_t step = hashval2(name);
  while (table_[static_cast<std::size_t>(h)] >= 0)
    h = static_cast<std::int32_t>((std::int64_t{h} + step) % tablesize_);
  table_[static_cast<std::size_t>(h)] = pos;
}

void txhashedstringlist::sethashsize(std::int32_t n) {
  const double m = std::round(n / hash2_nicefullratio);
  Q5_ASSERT(m <= 2147453046.0, detail::hashoverflowtext);
  const std::int32_t size = detail::getdblhashsize(static_cast<std::int64_t>(m));
  if (size == tablesize_) return;
  clearhashlist();
  table_.assign(static_cast<std::size_t>(size), -1);
  tablesize_ = size;
  rehashlimit_ = static_cast<std::int32_t>(std::round(size * hash2_maxfullratio));
  tablebytes_ = std::int64_t{size} * static_cast<std::int64_t>(sizeof(std::int32_t));
  for (std::int32_t pos = 0; pos < count(); ++pos) enter(pos);
}

void txhashedstringlist::clearhashlist() {
  std::vector<std::int32_t>().swap(table_);
  tablesize_ = 0;
  rehashlimit_ = -1;
  tablebytes_ = 0;
}

std::int32_t txhashedstringlist::indexof(std::string_view name) {
  if (tablesize_ == 0) sethashsize(count());
  std::int32_t slot = 0;
  const std::int32_t pos = probe(name, slot);
  return pos < 0 ? -1 : pos + onebased;
}

std::int32_t txhashedstringlist::addobject(std::string_view name, void* object) {
  if (tablesize_ == 0) sethashsize(count());
  std::int32_t slot = 0;
  const std::int32_t found = probe(name, slot);
  if (found >= 0) return found + onebased;
  const std::int32_t index = txcustomstringlist::addobject(name, object);
  if (count() > rehashlimit_) {
    const std::int32_t before = tablesize_;
    sethashsize(count());
    if (tablesize_ != before) return index;  // rebuilt with every entry
  }
  table_[static_cast<std::size_t>(slot)] = index - onebased;
  return index;
}

void txhashedstringlist::clear() {
  clearhashlist();
  txcustomstringlist::clear();
}

void txhashedstringlist::sort() {
  clearhashlist();
  sortn(count());
}

void txhashedstringlist::hashstats(std::int32_t& first, std::int32_t& second, std::int32_t& third,
                                   double& load, std::int64_t& bytes) const {
  first = 0;
  second = 1;
  third = tablesize_;
  load = tablesize_ == 0 ? 0.0 : static_cast<double>(count()) / tablesize_;
  bytes = tablebytes_;
}

std::int32_t txstrpool::compare(std::int32_t a, std::int32_t b) {
  return strutilx::pstrcmp(entryat(a - onebased).name, entryat(b - onebased).name);
}

bool txstrpool::compareentry(std::string_view text, std::int32_t pos) const {
  return strutilx::strequal(text, textof(entryat(pos).name));
}

std::int32_t txstrpool::hashvalue(std::string_view text) const {
  return hashslot<false>(text, tablesize());
}

std::int32_t txstrpool::hashval2(std::string_view text) const { return hashstep<false>(text); }

// ---- txpcharlist ----

void txpcharlist::recordlist::freeitem(std::int32_t index) {
  void* record = get(index);
  std::int32_t length = 0;
  std::memcpy(&length, record, sizeof length);
  q5utils::q5freemem64(record, std::int64_t{length} + 4);
}

std::int32_t txpcharlist::add(const void* bytes, std::int32_t length) {
  Q5_ASSERT(length >= 0, "TXPCharList.add(): negative length");
  const std::size_t size = static_cast<std::size_t>(length) + sizeof(std::int32_t);
  void* block = nullptr;
  q5utils::q5getmem64(block, static_cast<std::int64_t>(size));
  auto* record = static_cast<char*>(block);
  std::memcpy(record, &length, sizeof length);
  if (length > 0) std::memcpy(record + sizeof length, bytes, static_cast<std::size_t>(length));
  total_ += static_cast<std::int64_t>(size);
  return list_.add(record);
}

void txpcharlist::getitem(std::int32_t index, const char*& bytes, std::int32_t& length) const {
  const auto* record = static_cast<const char*>(list_.get(index));
  std::memcpy(&length, record, sizeof length);
  bytes = record + sizeof length;
}

void txpcharlist::clear() {
  list_.clear();
  total_ = 0;
}

// ---- tbooleanbitarray ----

void tbooleanbitarray::clear() {
  std::vector<std::uint8_t>().swap(bits_);
  allocated_ = 0;
  highindex_ = -1;
}

void tbooleanbitarray::getbitmask(std::int32_t n, std::int32_t& byteindex, std::uint8_t& mask) {
  byteindex = n / 8;
  mask = static_cast<std::uint8_t>(1u << (n % 8));
}

bool tbooleanbitarray::getbit(std::int32_t n) const {
  if (n < 0 || n > highindex_) return false;
  return (bits_[static_cast<std::size_t>(n / 8)] >> (n % 8)) & 1u;
}

void tbooleanbitarray::ensure(std::int32_t n) {
  const std::int64_t needed = n / 8 + 1;
  if (needed <= allocated_) return;
  auto roundup = [](std::int64_t d, std::int64_t unit) { return (d + unit - 1) / unit * unit; };
  std::int64_t size;
  if (allocated_ == 0) {
    size = roundup(needed, 256);
  } else if (allocated_ < 8192) {
    size = roundup(needed, allocated_);
  } else {
    const std::int64_t quarter = allocated_ / 4;
    size = allocated_ + roundup(needed - allocated_, quarter);
  }
  bits_.resize(static_cast<std::size_t>(size), 0);
  allocated_ = static_cast<std::int32_t>(size);
}

void tbooleanbitarray::setbit(std::int32_t n, bool value) {
  if (n < 0) return;
  if (n > highindex_) {
    if (!value) return;
    ensure(n);
    highindex_ = n;
  }
  std::int32_t byte = 0;
  std::uint8_t mask = 0;
  getbitmask(n, byte, mask);
  auto& b = bits_[static_cast<std::size_t>(byte)];
  b = static_cast<std::uint8_t>(value ? (b | mask) : (b & ~mask));
}

void tbooleanbitarray::sethighindex(std::int32_t n) {
  if (n <= highindex_) return;
  ensure(n);
  highindex_ = n;
}

bool tbooleanbitarray::iterate(const callback& cb) const {
  for (std::int32_t n = 0; n <= highindex_; ++n) {
    if (bits_[static_cast<std::size_t>(n / 8)] == 0) {
      n |= 7;  // skip the rest of an empty byte
      continue;
    }
    if (getbit(n) && !cb(n)) return false;
  }
  return cb(-1);
}

bool tbooleanbitarray::iteratedown(const callback& cb) const {
  for (std::int32_t n = highindex_; n >= 0; --n) {
    if (bits_[static_cast<std::size_t>(n / 8)] == 0) {
      n &= ~7;  // skip the rest of an empty byte
      continue;
    }
    if (getbit(n) && !cb(n)) return false;
  }
  return cb(-1);
}

// ---- self-test of the table sizes ----

namespace {

// Table sizes of the two hashing schemes. The chaining ladder is kept as listed: its
// steps do not follow one factor.
constexpr std::array<std::int32_t, 7> dblhashladder = {13093,    96779,     716161,    5299513,
                                                       39216379, 290201183, 2147453047};
constexpr std::array<std::int32_t, 7> schashladder = {10007,    77317,     598363,   4631287,
                                                      35846143, 277449127, 357913951};

std::int32_t firstabove(const std::array<std::int32_t, 7>& ladder, std::int64_t n) {
  for (std::int32_t size : ladder)
    if (size > n) return size;
  return ladder.back();
}

void appendnumber(std::string& out, std::int64_t n) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  out.append(digits, end);
}

// A ratio in a field of 10 with 6 decimals.
void appendratio(std::string& out, double x) {
  char digits[64];
  const auto end =
      std::to_chars(digits, digits + sizeof digits, x, std::chars_format::fixed, 6).ptr;
  const auto width = static_cast<std::size_t>(end - digits);
  if (width < 10) out.append(10 - width, ' ');
  out.append(digits, end);
}

// Walks a ladder from its first size six times by its sizing rule, one line per step:
// "<tag><k> should be <size>", then "<tag>6 should be <final>". Gives the final size.
std::int32_t ladderlines(std::string& out, std::string_view tag, std::int32_t first,
                         std::int32_t (*next)(std::int64_t)) {
  std::int32_t size = first;
  for (int step = 0; step <= 6; ++step) {
    out.append(tag);
    appendnumber(out, step);
    out.append(" should be ");
    appendnumber(out, size);
    out.push_back('\n');
    if (step < 6) size = next(size);
  }
  return size;
}

}  // namespace

namespace detail {

std::int32_t getdblhashsize(std::int64_t m) { return firstabove(dblhashladder, m); }
std::int32_t getschashsize(std::int64_t n) { return firstabove(schashladder, n); }

bool zlmobjisok(double nice, double max, std::string& out) {
  const std::int32_t dblfinal = ladderlines(out, "DBLHASHSIZE", dblhashladder[0], &getdblhashsize);
  const std::int32_t scfinal = ladderlines(out, "SCHASHSIZE", schashladder[0], &getschashsize);
  auto fail = [&out](std::string_view text) {
    out.append(text);
    out.push_back('\n');
    return false;
  };
  auto ratiofail = [&](std::string_view text) {
    fail(text);
    out.append("  HASH2_MAXFULLRATIO  = ");
    appendratio(out, max);
    out.append("\n  HASH2_NICEFULLRATIO = ");
    appendratio(out, nice);
    out.push_back('\n');
    return false;
  };
  if (getdblhashsize(0) != dblhashladder[0])
    return fail("getDblHashSize() is broken: initial test");
  if (dblfinal != 2147453047) return fail("getDblHashSize() is broken: max-size test");
  if (getdblhashsize(2147453047) != 2147453047)
    return fail("getDblHashSize() is broken: request-too-large test");
  if (scfinal != 357913951) return fail("getSCHashSize() is broken: max-size test");
  if (getschashsize(2147483647) != 357913951)
    return fail("getSCHashSize() is broken: not tested or handling high(integer)");
  if (!(max >= nice)) return ratiofail("Expected HASH2_MAXFULLRATIO >= HASH2_NICEFULLRATIO");
  if (!(max < 0.99)) return ratiofail("Expected HASH2_MAXFULLRATIO < 0.99");
  out.append("zlmobjIsOK returns true\n");
  return true;
}

}  // namespace detail

bool zlmobjisok() {
  std::string report;
  const bool ok = detail::zlmobjisok(hash2_nicefullratio, hash2_maxfullratio, report);
  std::fwrite(report.data(), 1, report.size(), stdout);
  std::fflush(stdout);
  return ok;
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
