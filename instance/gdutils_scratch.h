// Scratch files of the model instance: the matrix, instruction-code and solution files
// that pass between the modelling system and the link. One handle type serves every
// layout; the six-digit scratch file type decides the layout and which optional fields
// the records carry.
//
// Layouts (units digit of the file type): 0 text (6 to 9 too), one record a line, fields
// separated by one blank; 1 and 4 binary, 800-byte records all payload; 2 binary, each
// record framed by the 32-bit integer 792 before and after 792 payload bytes; 3 binary,
// framed by FF and the 32-bit integer 790 before and 790 and FF after 790 payload bytes;
// 5 the data-exchange scratch file, whose records go to the handle's data-exchange object
// (gdutils_vrk.h); the string and memory entries do not take it.
// Binary items are little-endian; an item may run across a record end.
//
// Usage (reading a file, or a buffer through the string entry):
//   std::int32_t rc;
//   gdutils::modfileptr h = gdutils::crmat(rc, filetype, scaleopt, priorityopt, name);
//   if (!h) report(rc);                               // the system's error number
//   // ... record readers of gdutils_records.h; each gives false once the file failed:
//   if (!ok) report(h->errmsg);                       // names the file and line or record
//   (void)gdutils::closemod(h);
//
//   gdutils::modfileptr t = gdutils::parsemat(rc, filetype, 0, 0, bytes, "test");
//
// Usage (writing a file, or a buffer with the memory entry):
//   gdutils::modfileptr w = gdutils::cwcod(rc, filetype, name);
//   ...
//   if (gdutils::closemod(w) != 0) report();          // a failed write or final flush
//   gdutils::modfileptr m = gdutils::memwrite(rc, filetype, "test");
//   std::string bytes = gdutils::closemem(m);
//
// Errors never throw: a reading handle keeps the first problem (malformed or missing
// text number, a binary read past the end, an unknown binary code) in `failed` and
// `errmsg`; later reads give zeros. A writing handle keeps the first failed write and
// later writes do nothing; closemod returns it.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "frame/q5rt.h"
#include "frame/q5text.h"

namespace scrvrk {
class tscratchvrk;
}

namespace gdutils {

inline constexpr std::int32_t recordsize = 800;
inline constexpr std::int32_t vrklayout = 5;

// Open result of a negative file type: the system's "Invalid argument".
inline constexpr std::int32_t badfiletype = 22;
// Open result of a data-exchange scratch file that cannot be opened.
inline constexpr std::int32_t vrkopenfailed = 5;

inline constexpr std::string_view openmodfor = "*** OpenMod for ";
inline constexpr std::string_view openmodfailed = " failed: ";
inline constexpr std::string_view vrknotavailable =
    "data-exchange scratch files (file type 5) are read and written as files only";
inline constexpr std::string_view cannotwritevrkcode =
    "*** Cannot write VRK instruction scratch file with filetype 5";

// A whole input file's bytes, read-only. A regular file is mapped from the page cache:
// no copy and no fresh pages to fill, the larger part of reading a big file. Anything
// else (a pipe, a system without mappings, a failed map) is read into memory.
class filebytes {
 public:
  filebytes() = default;
  ~filebytes() { release(); }
  filebytes(const filebytes&) = delete;
  filebytes& operator=(const filebytes&) = delete;

  // The named file's bytes as they are at the open: 0 or the system's error number.
  [[nodiscard]] std::int32_t load(std::string_view name);
  [[nodiscard]] std::string_view view() const { return {data_, size_}; }

 private:
  void release();
  std::int32_t readall(q5rt::untypedfile& f, std::size_t expected);

  const char* data_ = nullptr;
  std::size_t size_ = 0;
  void* map_ = nullptr;  // the mapping, or nil when the bytes are in heap_
  std::unique_ptr<char[]> heap_;
};

// One open scratch file, for reading or for writing.
struct tmodfile {
  tmodfile() = default;
  ~tmodfile();
  tmodfile(const tmodfile&) = delete;
  tmodfile& operator=(const tmodfile&) = delete;

  q5rt::textfile text;                             // text layout, writing to a file
  q5rt::untypedfile binary;                        // binary layouts, writing to a file
  std::unique_ptr<scrvrk::tscratchvrk> vrk;        // layout 5
  std::array<unsigned char, recordsize> buffer{};  // framing and payload of the record
  q5rt::sstr name;
  std::int32_t openrc = 0;
  // Payload of a record as 0-based byte positions: first..last, size bytes.
  std::int32_t first = 0;
  std::int32_t last = 0;
  std::int32_t size = 0;
  std::int32_t pos = 0;  // next byte of the record buffer
  // Solution-file state.
  std::int32_t htcounter = 0;
  bool rowsdone = false;
  bool pasthead = false;
  // The file type and what its digits and the open ask of the records.
  std::int32_t filetype = 0;
  std::int32_t layout = 0;
  std::int32_t scales = 0;
  bool duals = false;
  bool nzcount = false;
  bool scalevalues = false;
  bool scaledsol = false;
  bool matches = false;
  bool priority = false;
  bool slacks = false;
  bool reading = false;
  // undefined, not available, +infinity, -infinity, epsilon, acronym base.
  std::array<double, 6> specials{};
  std::array<unsigned char, 8> cell{};  // the item moved by wrbuf / rdbuf

  // Reading: the bytes, whole (owned when read from a file) and the cursor.
  filebytes owned;
  std::string_view input;
  std::size_t inpos = 0;     // text: next byte; binary: start of the next record
  std::int32_t line = 1;     // text: line being read
  std::int64_t records = 0;  // binary: records loaded
  // Writing: into memory (memout) instead of a file.
  bool tomemory = false;
  std::string memout;
  bool linestart = true;  // text writing: no blank before the next field
  std::int32_t iorc = 0;  // writing: the first failed write or close
  // The first problem of the file.
  bool failed = false;
  q5rt::sstr errmsg;

  [[nodiscard]] bool istext() const { return layout == 0; }
};

using modfileptr = std::unique_ptr<tmodfile>;

// ---- opening and closing ----

// The common open: a handle, or none with the open result in rc (the system's error
// number; badfiletype for a negative file type, vrkopenfailed for layout 5).
[[nodiscard]] modfileptr openmod(std::int32_t& rc, bool reading, std::int32_t filetype,
                                 std::string_view name);
// Solution file (the scaled-solution flag follows scales digit 3).
[[nodiscard]] modfileptr crsol(std::int32_t& rc, std::int32_t filetype, std::string_view name);
[[nodiscard]] modfileptr cwsol(std::int32_t& rc, std::int32_t filetype, std::string_view name);
// Instruction-code file. Writing refuses layout 5: the message cannotwritevrkcode on
// standard output and no handle (rc vrkopenfailed).
[[nodiscard]] modfileptr crcod(std::int32_t& rc, std::int32_t filetype, std::string_view name);
[[nodiscard]] modfileptr cwcod(std::int32_t& rc, std::int32_t filetype, std::string_view name);
// Matrix file; the scale-values and priority flags follow the scales digit and options.
[[nodiscard]] modfileptr crmat(std::int32_t& rc, std::int32_t filetype, std::int32_t scaleopt,
                               std::int32_t priorityopt, std::string_view name);
[[nodiscard]] modfileptr cwmat(std::int32_t& rc, std::int32_t filetype, std::int32_t scaleopt,
                               std::int32_t priorityopt, std::string_view name);

// String entries: reading handles over data, which must outlive the handle; name is used
// in messages only.
[[nodiscard]] modfileptr parsemod(std::int32_t& rc, std::int32_t filetype, std::string_view data,
                                  std::string_view name);
[[nodiscard]] modfileptr parsecod(std::int32_t& rc, std::int32_t filetype, std::string_view data,
                                  std::string_view name);
[[nodiscard]] modfileptr parsemat(std::int32_t& rc, std::int32_t filetype, std::int32_t scaleopt,
                                  std::int32_t priorityopt, std::string_view data,
                                  std::string_view name);
[[nodiscard]] modfileptr parsesol(std::int32_t& rc, std::int32_t filetype, std::string_view data,
                                  std::string_view name);
// A writing handle whose bytes collect in memory (closemem hands them over); set the
// matrix or solution flags with setmatflags / setsolflags as the file opens do.
[[nodiscard]] modfileptr memwrite(std::int32_t& rc, std::int32_t filetype, std::string_view name);
void setmatflags(tmodfile& h, std::int32_t scaleopt, std::int32_t priorityopt);
void setsolflags(tmodfile& h);

// Finishes the file (a binary writer writes its last, zero-filled record when it holds
// anything new), closes it and releases the handle. 0, or the system's error number of
// the first failed write or close of a writing handle. No handle: 0.
[[nodiscard]] std::int32_t closemod(modfileptr& h);
// The same for a handle of memwrite: its bytes.
[[nodiscard]] std::string closemem(modfileptr& h);

// ---- binary items, through the transfer cell ----

// Appends the first size (1, 2, 4 or 8) bytes of the cell.
void wrbuf(tmodfile& h, int size);
// Reads size (1, 2, 4 or 8) bytes into the cell; zeros past the end (and h fails). A
// reading handle starts behind its last payload byte, so the first item loads record 1.
void rdbuf(tmodfile& h, int size);
namespace detail {
void wrcross(tmodfile& h, std::uint64_t bits, int size);  // through the cell
[[nodiscard]] std::uint64_t rdcross(tmodfile& h, int size);
[[nodiscard]] double nonfinite(const tmodfile& h, double v);

// An item that fits into the current record moves in one step; others through the cell.
template <int N>
inline void wrle(tmodfile& h, std::uint64_t bits) {
  if (h.pos + (N - 1) > h.last || h.reading) return wrcross(h, bits, N);
  unsigned char* p = &h.buffer[static_cast<std::size_t>(h.pos)];
  for (int i = 0; i < N; ++i) p[i] = static_cast<unsigned char>(bits >> (8 * i));
  h.pos += N;
}
template <int N>
[[nodiscard]] inline std::uint64_t rdle(tmodfile& h) {
  if (h.pos + (N - 1) > h.last || !h.reading) return rdcross(h, N);
  const unsigned char* p = &h.buffer[static_cast<std::size_t>(h.pos)];
  std::uint64_t bits = 0;
  for (int i = 0; i < N; ++i) bits |= std::uint64_t{p[i]} << (8 * i);
  h.pos += N;
  return bits;
}
}  // namespace detail

// Typed items, little-endian.
inline void wri8(tmodfile& h, std::int32_t v) { detail::wrle<1>(h, static_cast<std::uint32_t>(v)); }
inline void wri16(tmodfile& h, std::int32_t v) {
  detail::wrle<2>(h, static_cast<std::uint32_t>(v));
}
inline void wri32(tmodfile& h, std::int32_t v) {
  detail::wrle<4>(h, static_cast<std::uint32_t>(v));
}
inline void wrr8(tmodfile& h, double v) { detail::wrle<8>(h, std::bit_cast<std::uint64_t>(v)); }
// 0..255
[[nodiscard]] inline std::int32_t rdu8(tmodfile& h) {
  return static_cast<std::int32_t>(detail::rdle<1>(h));
}
// -128..127
[[nodiscard]] inline std::int32_t rdi8(tmodfile& h) {
  return static_cast<std::int8_t>(detail::rdle<1>(h));
}
[[nodiscard]] inline std::int32_t rdi16(tmodfile& h) {
  return static_cast<std::int16_t>(detail::rdle<2>(h));
}
[[nodiscard]] inline std::int32_t rdi32(tmodfile& h) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(detail::rdle<4>(h)));
}
// A double: NaN reads as undefined, -infinity as minus infinity, +infinity as plus
// infinity (the handle's special values).
[[nodiscard]] inline double rdr8(tmodfile& h) {
  const double v = std::bit_cast<double>(detail::rdle<8>(h));
  return std::isfinite(v) ? v : detail::nonfinite(h, v);
}

// ---- text items ----
// Writing: fields are separated by one blank; wrtxeol ends the record's line.
void wrtxint(tmodfile& h, std::int64_t v);
void wrtxreal(tmodfile& h, double v);               // the short number text
void wrtxline(tmodfile& h, std::string_view text);  // a whole line
void wrtxeol(tmodfile& h);
// Reading: numbers skip white space and line ends; a missing or malformed number fails
// the handle and gives 0. The runtime's Val rules; at most 255 characters a number. A real
// beyond the doubles reads as rdr8 maps infinities: plus or minus infinity.
[[nodiscard]] std::int32_t rdtxint(tmodfile& h);
[[nodiscard]] double rdtxreal(tmodfile& h);
// Skips the rest of the line and its line end.
void rdtxeol(tmodfile& h);
[[nodiscard]] bool rdtxeof(const tmodfile& h);

// Fails the handle with "<name>: <text>" (with ", line N" for text, ", record N" for
// binary) unless it failed before. Gives false.
bool fail(tmodfile& h, std::string_view text);

}  // namespace gdutils
