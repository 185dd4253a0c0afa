// A large symbol's records parsed in pieces on threads of their own.
#include "standins/zlmvrk/vrkparsed.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "standins/common/linetokens.h"
#include "standins/zlmvrk/pieces.h"
#include "standins/zlmvrk/vrklines.h"

namespace zlmvrk {

namespace {

// A piece at its full size is an eighth of the piece bytes: the ring's slots stay small
// enough to be filled again while still in the caches.
constexpr std::uint64_t fullshare = 8;
// The first piece is a sixteenth of the full size, and each next one twice the one
// before until the full size: the reader's first wait is short, and the threads keep ahead.
constexpr std::uint64_t firstshare = 16;

// The line starts that cut [from, to) of src into the growing pieces (from and to included).
std::vector<std::uint64_t> growingbounds(linesource& src, std::uint64_t from, std::uint64_t to,
                                         std::uint64_t full) {
  std::uint64_t size = std::max<std::uint64_t>(full / firstshare, 1);
  std::vector<std::uint64_t> bounds{from};
  for (std::uint64_t at = from + size; at < to; at = bounds.back() + size) {
    bounds.push_back(std::clamp(linestart(src, at), bounds.back() + 1, to));
    size = std::min(size * 2, full);
  }
  bounds.push_back(to);
  return bounds;
}

// A thread reads through a buffer of a quarter of a piece at its full size: a larger one
// would read (and copy) far behind the piece's end.
constexpr std::size_t piecebuffer = 64 * 1024;

// Keys are copied so many at a time.
constexpr std::size_t keystep = 4;

// The most records the bytes can hold: the shortest record line, "record : 1", takes ten
// bytes and its end.
std::size_t mostrecords(std::uint64_t bytes) { return bytes / 10 + 1; }

}  // namespace

parsedsymbol::mapped::mapped(std::size_t bytes) : bytes_(bytes) {
  if (bytes == 0) return;
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  data_ = p;
}

parsedsymbol::mapped::~mapped() {
  if (data_ != nullptr) ::munmap(data_, bytes_);
}

// count slots of capacity records of s in the arena, a larger one made when needed (one
// mapping: each mapping undone costs every processor that ran the threads a flush).
void parsedsymbol::makeslots(const symbol& s, std::size_t capacity, std::size_t count) {
  const int n = valuecount(s.type);
  const auto aligned = [](std::size_t bytes) { return (bytes + 63) & ~std::size_t{63}; };
  const std::size_t keybytes =
      aligned((capacity * static_cast<std::size_t>(s.dim) + keystep) * sizeof(std::int32_t));
  const std::size_t valuebytes = aligned(capacity * static_cast<std::size_t>(n) * sizeof(double));
  const std::size_t specialbytes = aligned(capacity * static_cast<std::size_t>(n));
  const std::size_t each = keybytes + valuebytes + specialbytes;
  if (arena_ == nullptr || arena_->size() < each * count) {
    arena_.reset();
    arena_ = std::make_unique<mapped>(each * count);
  }
  slots_.assign(count, slot{});
  auto* at = static_cast<char*>(arena_->data());
  for (slot& sl : slots_) {
    sl.keys = reinterpret_cast<std::int32_t*>(at);
    sl.values = reinterpret_cast<double*>(at + keybytes);
    sl.special = reinterpret_cast<std::int8_t*>(at + keybytes + valuebytes);
    sl.dim = s.dim;
    sl.n = n;
    at += each;
  }
}

// Keys go four at a time (a record holds a multiple of four; the slot has room for the
// surplus behind the last one) and values one or five: fixed-size copies, no calls.
bool parsedsymbol::slot::add(const record& r) {
  static_assert(maxdim % keystep == 0);
  if (count == capacity) return false;
  const auto d = static_cast<std::size_t>(dim);
  std::int32_t* k = keys + count * d;
  for (std::size_t i = 0; i < d; i += keystep)
    std::memcpy(k + i, r.keys.data() + i, keystep * sizeof(std::int32_t));
  if (n == 1) {
    values[count] = r.values[0];
    special[count] = r.special[0];
  } else {
    std::memcpy(values + count * 5, r.values.data(), 5 * sizeof(double));
    std::memcpy(special + count * 5, r.special.data(), 5);
  }
  ++count;
  return true;
}

// The records on the piece's lines into the slot, skipping blank, comment and label lines.
void parsedsymbol::readpiece(linesource& src, const symbol& s, piece& p, slot& a) {
  a.capacity = mostrecords(p.to - p.from);
  a.count = 0;
  p.records = &a;
  src.seek(p.from);
  record r;
  std::vector<linetokens::token> words;
  std::string why;
  std::string_view l;
  bool ok = true;
  while (ok && src.offset() < p.to && src.next(l)) {
    if (linetokens::ignorable(l)) continue;
    if (fastrecord(l, s, r)) {
      ok = a.add(r);
    } else if (!linetokens::split(l, words, why)) {
      ok = false;
    } else if (words[0].text == "record") {
      ok = tokenrecord(words, s, r) && a.add(r);
    }
  }
  // A line that is no record of the symbol, or a file that ends too soon.
  p.failed = !ok || src.offset() < p.to || src.failed();
}

// Piece k may be parsed once the reader is done with the piece before it in its slot; false
// when the read stops first.
bool parsedsymbol::waitforslot(std::size_t k) {
  for (;;) {
    if (stop_.load(std::memory_order_relaxed)) return false;
    const std::size_t done = released_.load(std::memory_order_acquire);
    if (done + slots_.size() > k) return true;
    released_.wait(done, std::memory_order_acquire);
  }
}

// One thread: the next piece not yet taken, until none is left or the read stops.
void parsedsymbol::work(const linesource& src, const symbol& s) {
  // Without a source of its own (no memory, no descriptor) every piece it takes fails.
  std::optional<linesource> own;
  try {
    own.emplace(piecebuffer);
    if (!own->opensame(src)) own.reset();
  } catch (...) {
    own.reset();
  }
  for (;;) {
    const std::size_t k = take_.fetch_add(1);
    if (k >= pieces_.size() || !waitforslot(k)) break;
    piece& p = *pieces_[k];
    try {
      if (own) readpiece(*own, s, p, slots_[k % slots_.size()]);
      p.failed = p.failed || !own;
    } catch (...) {
      p.failed = true;
      p.error = std::current_exception();
    }
    p.ready.store(true, std::memory_order_release);
    p.ready.notify_one();
  }
}

bool parsedsymbol::parse(linesource& src, const symbol& s, std::uint64_t piecebytes,
                         unsigned threads) {
  clear();
  if (!src.isfile()) return false;
  const std::uint64_t end = std::min(s.end, src.size());
  if (end <= s.offset) return false;
  const std::uint64_t bytes = std::max<std::uint64_t>(piecebytes, 1);
  const auto n = static_cast<unsigned>(
      std::clamp<std::uint64_t>((end - s.offset) / bytes, 1, std::max(threads, 1U)));
  if (n < 2) return false;
  const std::vector<std::uint64_t> bounds =
      growingbounds(src, s.offset, end, std::max<std::uint64_t>(bytes / fullshare, 1));
  std::size_t capacity = 0;
  for (std::size_t k = 0; k + 1 < bounds.size(); ++k) {
    auto p = std::make_unique<piece>();
    p->from = bounds[k];
    p->to = bounds[k + 1];
    capacity = std::max(capacity, mostrecords(p->to - p->from));
    pieces_.push_back(std::move(p));
  }
  // Two slots a thread: one being parsed, one parsed ahead; and the reader's.
  makeslots(s, capacity, 2 * std::size_t{n} + 1);
  take_ = 0;
  released_ = 0;
  stop_ = false;
  for (unsigned k = 0; k < n; ++k) {
    try {
      threads_.emplace_back([this, &src, &s] { work(src, s); });
    } catch (...) {  // no thread to be had: the threads made so far take every piece
      if (k > 0) break;
      threads_.clear();
      pieces_.clear();
      return false;
    }
  }
  at_ = 0;
  left_ = 0;
  return true;
}

void parsedsymbol::clear() {
  stop_ = true;
  released_ = std::numeric_limits<std::size_t>::max() / 2;
  released_.notify_all();
  for (std::thread& t : threads_) t.join();
  threads_.clear();
  pieces_.clear();
  at_ = 0;
  left_ = 0;
}

// The first record of the next piece with any, once that piece is parsed; the piece before
// goes back to the threads.
bool parsedsymbol::nextpiece(recordview& r) {
  while (at_ < pieces_.size()) {
    if (at_ > 0) {
      // The records behind a failed line are not the symbol's.
      if (pieces_[at_ - 1]->failed) return false;
      released_.store(at_, std::memory_order_release);
      released_.notify_all();
    }
    piece& p = *pieces_[at_];
    p.ready.wait(false, std::memory_order_acquire);
    if (p.error) std::rethrow_exception(p.error);
    ++at_;
    if (p.records == nullptr || p.records->count == 0) continue;
    const slot& a = *p.records;
    dim_ = static_cast<std::size_t>(a.dim);
    n_ = static_cast<std::size_t>(a.n);
    keys_ = a.keys;
    values_ = a.values;
    special_ = a.special;
    left_ = a.count;
    return next(r);
  }
  return false;
}

}  // namespace zlmvrk
