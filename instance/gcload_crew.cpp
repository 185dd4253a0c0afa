// The threads of a matrix read in parallel: first they make the read's fresh memory
// present, a stripe at a time in order (the record's arrays, the sort's array, the
// element block front to back), while the loading thread walks the matrix file; then
// they take their part of the reading.
#include <algorithm>
#include <system_error>

#include "instance/gcload_matrix.h"

namespace gcload::detail {

namespace {

constexpr std::size_t stripebytes = 1 << 20;  // aligned: stripes split no page

}  // namespace

parallelread::~parallelread() {
  if (ran_ || !started_) return;
  arraysready();
  static const jobfn none;  // the threads end
  jobp_ = &none;
  job_.count_down();
  crew_.clear();
}

void parallelread::start(gcdata::tmodel& m, unsigned threads, std::vector<array> arrays) {
  const auto n = static_cast<std::size_t>(m.nonzeros);
  block = m.jacelements.reserve_unconstructed(n);
  order.reset(new std::uint64_t[n]);
  const auto add = [this](void* data, std::size_t bytes, std::size_t owner) {
    char* at = static_cast<char*>(data);
    char* const end = at + bytes;
    while (at < end) {
      const auto address = reinterpret_cast<std::uintptr_t>(at);
      char* const cut = std::min(end, at + (stripebytes - address % stripebytes));
      stripes_.push_back({at, static_cast<std::size_t>(cut - at), owner});
      at = cut;
    }
  };
  arraylist_ = std::move(arrays);
  stripesleft_ = std::make_unique<std::atomic<std::size_t>[]>(arraylist_.size());
  std::size_t unsized = 0;
  for (std::size_t a = 0; a < arraylist_.size(); ++a) {
    const std::size_t before = stripes_.size();
    add(arraylist_[a].data, arraylist_[a].bytes, a);
    stripesleft_[a] = stripes_.size() - before;
    if (stripesleft_[a] == 0) {
      arraylist_[a].size();  // nothing to wait for
    } else {
      ++unsized;
    }
  }
  arraysleft_ = unsized;
  if (unsized == 0) arrays_.count_down();
  orderstripe_ = stripes_.size();
  add(order.get(), n * sizeof(std::uint64_t), noarray);
  blockstripe_ = stripes_.size();
  add(block, n * sizeof(zlmspecs::tjacrec), noarray);
  present_ = std::make_unique<std::atomic<bool>[]>(stripes_.size());
  const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
  const unsigned helpers = std::min(std::max(threads, 1U) - 1, cores > 2 ? cores - 2 : 1);
  for (unsigned t = 1; t <= helpers; ++t) {
    try {
      crew_.emplace_back([this, t] { serve(t); });
    } catch (const std::system_error&) {
      break;  // a smaller crew
    }
  }
  started_ = true;
  if (crew_.empty()) fillrest();  // alone: all of it now
}

// Makes the next stripe present if it lies below limit; false when there is none to
// take. The thread that makes the last stripe of an array present sizes the array.
bool parallelread::fillone(std::size_t limit) {
  std::size_t s = next_.load();
  do {
    if (s >= limit) return false;
  } while (!next_.compare_exchange_weak(s, s + 1));
  const stripe& piece = stripes_[s];
  gcdata::populate(piece.first, piece.bytes);
  present_[s].store(true, std::memory_order_release);
  present_[s].notify_all();
  if (piece.array != noarray && --stripesleft_[piece.array] == 0) {
    arraylist_[piece.array].size();
    if (--arraysleft_ == 0) arrays_.count_down();
  }
  return true;
}

void parallelread::fillrest() {
  while (fillone(stripes_.size())) {
  }
}

// Waits for stripe s, making the next stripes present meanwhile.
void parallelread::waitfor(std::size_t s) {
  while (!present_[s].load(std::memory_order_acquire)) {
    if (!fillone(stripes_.size())) present_[s].wait(false, std::memory_order_acquire);
  }
}

// A helper fills until the job comes, then takes its part.
void parallelread::serve(std::size_t t) {
  while (!job_.try_wait() && fillone(stripes_.size())) {
  }
  job_.wait();
  if (*jobp_) (*jobp_)(t, [this] { sync_->arrive_and_wait(); });
}

// A thread waiting for the arrays makes their stripes present meanwhile (theirs only:
// the reader of the code calls this beside the crew, and the block may be released
// once the crew is gone).
void parallelread::arraysready() {
  while (!arrays_.try_wait()) {
    if (!fillone(orderstripe_)) arrays_.wait();
  }
}

void parallelread::blockready(std::size_t first, std::size_t count) {
  for (std::size_t s = orderstripe_; s < blockstripe_; ++s) waitfor(s);
  if (count == 0) return;
  const auto* from = reinterpret_cast<const char*>(block + first);
  const auto* to = reinterpret_cast<const char*>(block + first + count);
  for (std::size_t s = blockstripe_; s < stripes_.size(); ++s) {
    const stripe& piece = stripes_[s];
    if (piece.first >= to) break;
    if (piece.first + piece.bytes > from) waitfor(s);
  }
}

void parallelread::run(const jobfn& job) {
  arraysready();  // the record's arrays are sized whatever the job
  sync_ = std::make_unique<std::barrier<>>(static_cast<std::ptrdiff_t>(threads()));
  ran_ = true;  // (should the barrier not be had, the destructor lets the threads go)
  jobp_ = &job;
  job_.count_down();
  if (job) job(0, [this] { sync_->arrive_and_wait(); });
  crew_.clear();  // joins: every stripe taken is present; the others come with first writes
}

}  // namespace gcload::detail
