// A large symbol's records parsed in pieces on threads of their own.
#include "standins/zlmvrk/vrkparsed.h"

#include <sys/mman.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string_view>

#include "standins/common/linetokens.h"
#include "standins/zlmvrk/pieces.h"
#include "standins/zlmvrk/vrklines.h"

namespace zlmvrk {

parsedsymbol::mapped::mapped(std::size_t bytes) : bytes_(bytes) {
  if (bytes == 0) return;
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  (void)::madvise(p, bytes, MADV_HUGEPAGE);  // a hint; without it pages come one by one
  data_ = p;
}

parsedsymbol::mapped::~mapped() {
  if (data_ != nullptr) ::munmap(data_, bytes_);
}

parsedsymbol::piece::piece(std::size_t cap, int d, int values)
    : capacity(cap),
      dim(d),
      n(values),
      keys(cap * static_cast<std::size_t>(d) * sizeof(std::int32_t)),
      values(cap * static_cast<std::size_t>(values) * sizeof(double)),
      special(cap * static_cast<std::size_t>(values)) {}

bool parsedsymbol::piece::add(const record& r) {
  if (count == capacity) return false;
  const auto d = static_cast<std::size_t>(dim);
  const auto v = static_cast<std::size_t>(n);
  std::copy_n(r.keys.begin(), d, static_cast<std::int32_t*>(keys.data()) + count * d);
  std::copy_n(r.values.begin(), v, static_cast<double*>(values.data()) + count * v);
  std::copy_n(r.special.begin(), v, static_cast<std::int8_t*>(special.data()) + count * v);
  ++count;
  return true;
}

// The records on the lines from src's offset to the line that starts at or behind to,
// skipping blank, comment and label lines.
void parsedsymbol::readpiece(linesource& src, std::uint64_t to, const symbol& s, piece& p) {
  record r;
  std::vector<linetokens::token> words;
  std::string why;
  std::string_view l;
  bool ok = true;
  while (ok && src.offset() < to && src.next(l)) {
    if (linetokens::ignorable(l)) continue;
    if (fastrecord(l, s, r)) {
      ok = p.add(r);
    } else if (!linetokens::split(l, words, why)) {
      ok = false;
    } else if (words[0].text == "record") {
      ok = tokenrecord(words, s, r) && p.add(r);
    }
  }
  // A line that is no record of the symbol, or a file that ends too soon.
  p.failed = !ok || src.offset() < to || src.failed();
}

bool parsedsymbol::parse(linesource& src, const symbol& s, std::uint64_t piecebytes,
                         unsigned pieces) {
  clear();
  if (!src.isfile()) return false;
  const std::uint64_t end = std::min(s.end, src.size());
  if (end <= s.offset) return false;
  const auto n = static_cast<unsigned>(std::clamp<std::uint64_t>(
      (end - s.offset) / std::max<std::uint64_t>(piecebytes, 1), 1, std::max(pieces, 1U)));
  if (n < 2) return false;
  const std::vector<std::uint64_t> bounds = piecebounds(src, s.offset, end, n);
  for (unsigned k = 1; k < n; ++k) {
    // The shortest record line, "record : 1", takes ten bytes and its end.
    const std::size_t capacity = (bounds[k + 1] - bounds[k]) / 10 + 1;
    auto p = std::make_unique<piece>(capacity, s.dim, valuecount(s.type));
    p->failed = !p->src.opensame(src);
    if (!p->failed) p->src.seek(bounds[k]);
    pieces_.push_back(std::move(p));
  }
  from_ = bounds[1];
  threads_.start(n, [this, &s, to = bounds](unsigned k) {
    piece& p = *pieces_[k - 1];
    try {
      if (!p.failed) readpiece(p.src, to[k + 1], s, p);
    } catch (...) {
      p.failed = true;
      throw;
    }
  });
  at_ = next_ = 0;
  return true;
}

void parsedsymbol::clear() {
  try {
    threads_.wait();
  } catch (...) {  // the records of a symbol no longer read
  }
  waited_ = false;
  pieces_.clear();
}

bool parsedsymbol::next(recordview& r) {
  if (!waited_) {
    waited_ = true;
    threads_.wait();
  }
  while (at_ < pieces_.size()) {
    const piece& p = *pieces_[at_];
    if (next_ < p.count) {
      const auto d = static_cast<std::size_t>(p.dim);
      const auto v = static_cast<std::size_t>(p.n);
      const std::size_t k = next_++;
      r.keys = static_cast<const std::int32_t*>(p.keys.data()) + k * d;
      r.values = static_cast<const double*>(p.values.data()) + k * v;
      r.special = static_cast<const std::int8_t*>(p.special.data()) + k * v;
      return true;
    }
    if (p.failed) return false;  // the records behind a failed line are not the symbol's
    ++at_;
    next_ = 0;
  }
  return false;
}

}  // namespace zlmvrk
