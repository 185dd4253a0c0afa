// A large symbol's records parsed from the start of its read, in pieces of the file on
// threads of their own, into compact arrays that the reader then hands out in file order.
// The reader reads the first piece's lines itself meanwhile: the threads parse the pieces
// behind it, and the first record from them waits for all. The arrays are mapped memory
// that asks for huge pages: fresh memory is touched a few megabytes at a time, not one small
// page at a time.
//
// Usage:
//   zlmvrk::parsedsymbol p;
//   if (p.parse(src, symbol, piecebytes, pieces)) {
//     ... the records on the lines before p.from() ...;  while (p.next(r)) ...;
//   }
//   p.clear();
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "standins/zlmvrk/linesource.h"
#include "standins/zlmvrk/pieces.h"
#include "standins/zlmvrk/vrkrecord.h"

namespace zlmvrk {

class parsedsymbol {
 public:
  parsedsymbol() = default;
  parsedsymbol(const parsedsymbol&) = delete;
  parsedsymbol& operator=(const parsedsymbol&) = delete;

  ~parsedsymbol() { clear(); }

  // Starts parsing the records of s from the file that src reads, in pieces of at least
  // piecebytes bytes, as many as pieces at most, each read through a source of its own:
  // all but the first, which ends at from(). False (nothing parsed) for a symbol of fewer
  // than two pieces, or a text.
  bool parse(linesource& src, const symbol& s, std::uint64_t piecebytes, unsigned pieces);
  [[nodiscard]] bool active() const { return !pieces_.empty(); }
  // Where the parsed pieces start: the lines before are the caller's to read.
  [[nodiscard]] std::uint64_t from() const { return from_; }
  // The next parsed record in file order, viewed in the piece's arrays (valid until the
  // next call or clear); false behind the last one the file held.
  bool next(recordview& r);
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

   private:
    void* data_ = nullptr;
    std::size_t bytes_ = 0;
  };

  // One piece's records: keys, values and special-value indexes, dim and n of each.
  struct piece {
    piece(std::size_t capacity, int dim, int n);
    linesource src;
    bool add(const record& r);
    std::size_t capacity;
    std::size_t count = 0;
    bool failed = false;  // a line that is no record of the symbol ends the piece
    int dim;
    int n;
    mapped keys;
    mapped values;
    mapped special;
  };

  void readpiece(linesource& src, std::uint64_t to, const symbol& s, piece& p);

  std::vector<std::unique_ptr<piece>> pieces_;  // the pieces behind the first
  backgroundpieces threads_;
  bool waited_ = false;  // the threads are done
  std::uint64_t from_ = 0;
  std::size_t at_ = 0;    // the piece being handed out
  std::size_t next_ = 0;  // and its next record
};

}  // namespace zlmvrk
