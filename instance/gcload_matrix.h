// What the loader's two matrix readers share: the checks of the records and how a row's
// and a column's record land in the model record; and the reader of unframed binary
// files that spreads the columns over several threads. Internal to the loader.
#pragma once

#include <array>
#include <atomic>
#include <barrier>
#include <cstdint>
#include <functional>
#include <latch>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

#include "instance/gcdata.h"
#include "instance/gdutils_records.h"

namespace gcload::detail {

inline constexpr std::int32_t rowtypes = 7;  // =E= .. =B=
inline constexpr std::int32_t coltypes = 7;  // continuous .. semi-integer

inline bool within(std::int32_t v, std::int32_t lo, std::int32_t hi) { return v >= lo && v <= hi; }

// Nothing but white space.
inline bool onlywhite(std::string_view text) {
  return text.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos;
}

template <typename T>
T& at(std::vector<T>& v, std::int32_t i) {  // element i, counted from 1, of a checked index
  return v[static_cast<std::size_t>(i - 1)];
}

// Row i's fields (its type checked).
void storerow(gcdata::tmodel& m, std::int32_t i, const gdutils::matrow& r);

// Column j's fields, bound class and, for a continuous column, bound kind (kept in its
// SOS-set slot); the fixed columns and the bound kinds are counted into the last two.
void storecolumn(gcdata::tmodel& m, std::int32_t j, const gdutils::matcol& c,
                 std::int32_t& fixedcols, std::array<std::int32_t, 3>& boundkindcount);

// The threads of a matrix read in parallel, and the fresh memory they make present, a
// stripe at a time, while this thread walks the matrix file: first the record's arrays,
// each sized (zeroed) once its pages are present, then the array of the row sort, then
// the block for the elements (reserved in the record's element store, for the declared
// number of entries) front to back. When the job comes (run) the threads take their
// part of the reading; a thread that waits for stripes makes the next ones present
// meanwhile, and stripes that nobody takes come with their first writes. Making a thread
// while others fault pages in would wait for them: the threads are made first. The crew
// leaves a processor to this thread and one to the reader of the code.
//   crew.start(m, threads, arrays);
//   crew.arraysready();               // before the arrays are used
//   crew.run(job);                    // job(t, sync) on every thread, this one as 0
// In a job: crew.blockready(first, count) before those elements are made (and the sort's
// array is written); sync() waits until every thread has come to the same sync.
class parallelread {
 public:
  // An array of the record: its storage (reserved) and what sizes it.
  struct array {
    void* data;
    std::size_t bytes;
    std::function<void()> size;
  };
  using syncfn = std::function<void()>;
  using jobfn = std::function<void(std::size_t, const syncfn&)>;

  zlmspecs::tjacrec* block = nullptr;
  std::unique_ptr<std::uint64_t[]> order;  // the elements sorted by row group

  parallelread() = default;
  parallelread(const parallelread&) = delete;
  parallelread& operator=(const parallelread&) = delete;
  ~parallelread();

  void start(gcdata::tmodel& m, unsigned threads, std::vector<array> arrays);
  [[nodiscard]] std::size_t threads() const { return crew_.size() + 1; }
  void arraysready();
  void blockready(std::size_t first, std::size_t count);
  void fillrest();  // the stripes that are left, by this thread
  // Runs the job on every thread (no job: the threads end). Once only; on return the
  // arrays are sized and no thread makes pages present any more. The job must not throw.
  void run(const jobfn& job);

 private:
  static constexpr std::size_t noarray = ~std::size_t{0};
  struct stripe {
    char* first;
    std::size_t bytes;
    std::size_t array;  // of arraylist_, or noarray
  };
  bool fillone(std::size_t limit);
  void waitfor(std::size_t s);
  void serve(std::size_t t);

  std::vector<stripe> stripes_;  // the arrays', the sort's, the block's
  std::size_t orderstripe_ = 0;  // the sort array's first stripe
  std::size_t blockstripe_ = 0;  // the block's first stripe
  std::atomic<std::size_t> next_{0};
  std::vector<array> arraylist_;
  std::unique_ptr<std::atomic<std::size_t>[]> stripesleft_;  // per array
  std::atomic<std::size_t> arraysleft_{0};
  std::latch arrays_{1};
  std::unique_ptr<std::atomic<bool>[]> present_;  // per stripe
  std::latch job_{1};
  const jobfn* jobp_ = nullptr;
  std::unique_ptr<std::barrier<>> sync_;
  std::vector<std::jthread> crew_;
  bool started_ = false;
  bool ran_ = false;
};

// Reads the rows and columns of a text or unframed binary matrix file into
// the record, whose arrays are being made by the crew, with the crew's threads: the
// column and row lists, the fixed columns and the bound kinds as the reader in order
// makes them. False when anything is amiss, with nothing reported and the record's
// matrix part left half made: the caller clears it and reads the file in order, which
// finds and reports the first problem. The crew has run on return.
[[nodiscard]] bool readinparallel(gcdata::tmodel& m, const gdutils::tmodfile& h,
                                  parallelread& crew);

}  // namespace gcload::detail
