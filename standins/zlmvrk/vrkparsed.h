// A large symbol's records parsed from the start of its read, in pieces of the file on
// threads of their own, into compact arrays that the reader then hands out in file order.
// The threads take the pieces in file order, and the reader hands a piece's records out as
// soon as that piece is parsed: it parses nothing itself and waits little for the first
// piece, which is the smallest (the pieces grow to an eighth of the piece bytes). The
// arrays are a ring of a few slots in one mapping, kept from symbol to symbol while it is
// large enough: a thread parses a piece into the slot of a piece the reader is done with,
// so the memory is made present once and stays in the caches.
//
// Usage:
//   zlmvrk::parsedsymbol p;
//   if (p.parse(src, symbol, piecebytes, threads)) {
//     while (p.next(r)) ...;
//   }
//   p.clear();
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

#include "standins/zlmvrk/linesource.h"
#include "standins/zlmvrk/vrkrecord.h"

namespace zlmvrk {

class parsedsymbol {
 public:
  parsedsymbol() = default;
  parsedsymbol(const parsedsymbol&) = delete;
  parsedsymbol& operator=(const parsedsymbol&) = delete;

  ~parsedsymbol() { clear(); }

  // Starts parsing the records of s from the file that src reads on as many threads as
  // threads at most, one for each piecebytes bytes, each thread reading through a source of
  // its own. False (nothing parsed) for a symbol that would take fewer than two threads,
  // or a text.
  bool parse(linesource& src, const symbol& s, std::uint64_t piecebytes, unsigned threads);
  [[nodiscard]] bool active() const { return !pieces_.empty(); }
  // The next parsed record in file order, viewed in the piece's slot (valid until the next
  // call or clear); false behind the last one the file held. Waits for the piece that
  // holds it, and throws what its thread threw.
  bool next(recordview& r) {
    if (left_ == 0) return nextpiece(r);
    --left_;
    r = {keys_, values_, special_};
    keys_ += dim_;
    values_ += n_;
    special_ += n_;
    return true;
  }
  // Stops the threads at the next piece and forgets the records (the slots stay).
  void clear();

 private:
  // Mapped memory of a fixed size.
  class mapped {
   public:
    explicit mapped(std::size_t bytes);
    mapped(const mapped&) = delete;
    mapped& operator=(const mapped&) = delete;
    ~mapped();
    [[nodiscard]] void* data() const { return data_; }
    [[nodiscard]] std::size_t size() const { return bytes_; }

   private:
    void* data_ = nullptr;
    std::size_t bytes_ = 0;
  };

  // One piece's records in the arena: keys, values and special-value indexes, dim and n
  // of each, as many as capacity at most.
  struct slot {
    bool add(const record& r);
    std::int32_t* keys = nullptr;
    double* values = nullptr;
    std::int8_t* special = nullptr;
    std::size_t capacity = 0;
    std::size_t count = 0;
    int dim = 0;
    int n = 0;
  };

  // The lines from offset from to the line that starts at or behind to; ready once parsed
  // into its slot.
  struct piece {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    const slot* records = nullptr;
    bool failed = false;  // a line that is no record of the symbol ends the piece
    std::exception_ptr error;
    std::atomic<bool> ready{false};
  };

  void work(const linesource& src, const symbol& s);
  bool waitforslot(std::size_t k);
  void makeslots(const symbol& s, std::size_t capacity, std::size_t count);
  void readpiece(linesource& src, const symbol& s, piece& p, slot& into);
  bool nextpiece(recordview& r);

  std::vector<std::unique_ptr<piece>> pieces_;
  std::unique_ptr<mapped> arena_;  // the slots' memory
  std::vector<slot> slots_;        // piece k goes to slot k % size
  std::vector<std::thread> threads_;
  std::atomic<std::size_t> take_{0};      // the next piece a thread takes
  std::atomic<std::size_t> released_{0};  // the pieces handed out
  std::atomic<bool> stop_{false};
  std::size_t at_ = 0;  // the piece after the one being handed out
  // The rest of the piece being handed out.
  std::size_t left_ = 0;
  const std::int32_t* keys_ = nullptr;
  const double* values_ = nullptr;
  const std::int8_t* special_ = nullptr;
  std::size_t dim_ = 0;
  std::size_t n_ = 0;
};

}  // namespace zlmvrk
