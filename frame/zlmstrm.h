// Binary streams: typed reads and writes with a fixed byte layout over a
// virtual byte read and write, and the unbuffered stream on a file handle.
//
// Layout on the stream (numbers in the machine's byte order, little-endian
// here):
//   byte, bool (1 = true), char   1 byte
//   word                          2 bytes      integer   4 bytes
//   int64, double (IEEE binary64) 8 bytes
//   string, pstring               length byte, then the characters (nil and ""
//   are one 0) pchar                         32-bit length, then that many
//   bytes (none when < 1) type tag (parwrite/parcheck)  1 byte, an rwtype
//
// Usage:
//   zlmstrm::txfilestream out("data.bin", zlmstrm::mode_create);
//   if (out.getlastioresult() == 0) { out.writeinteger(42);
//   out.writestring("abc"); } zlmstrm::txfilestream in("data.bin",
//   zlmstrm::mode_read); const std::int32_t n = in.readinteger(); q5rt::sstr s;
//   in.readstring(s); if (in.getlastioresult() != 0) ...   // the first error
//   of the series
//
// The number reads are virtual so that a stream of another machine's byte order
// can swap them; callers that read numbers written elsewhere use these, not a
// fixed routine.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "frame/q5rt.h"
#include "frame/q5utils.h"
#include "frame/strutilx.h"

namespace zlmstrm {

// Type tags written by parwrite and checked by parcheck.
enum class rwtype : std::uint8_t {
  rw_byte = 0,
  rw_bool = 1,
  rw_char = 2,
  rw_word = 3,
  rw_integer = 4,
  rw_int64 = 5,
  rw_double = 6,
  rw_string = 7,
  rw_pchar = 8,
  rw_pstring = 9,
};

// The tags' names, for the check's message.
inline constexpr std::array<std::string_view, 10> rwtypetext = {
    "Byte", "Bool", "Char", "Word", "Integer", "Int64", "Double", "String", "PChar", "PString"};

// The root stream: typed operations over read and write.
class txstream {
 public:
  txstream() = default;
  txstream(const txstream &) = delete;
  txstream &operator=(const txstream &) = delete;
  virtual ~txstream() = default;

  [[nodiscard]] virtual std::int64_t getposition() = 0;
  virtual void setposition(std::int64_t p) = 0;
  [[nodiscard]] virtual std::int64_t getsize() = 0;
  // Transfer up to count bytes; the result is the count transferred.
  virtual std::uint32_t read(void *buffer, std::uint32_t count) = 0;
  virtual std::uint32_t write(const void *buffer, std::uint32_t count) = 0;

  // Number reads; bytes missing at the end of the stream read as zero.
  [[nodiscard]] virtual double readdouble();
  [[nodiscard]] virtual std::int32_t readinteger();
  [[nodiscard]] virtual std::uint16_t readword();
  [[nodiscard]] virtual std::int64_t readint64();

  [[nodiscard]] std::uint8_t readbyte();
  [[nodiscard]] bool readbool();
  [[nodiscard]] char readchar();

  void writebyte(std::uint8_t b) { writeraw(b); }
  void writebool(bool b) { writebyte(b ? 1 : 0); }
  void writechar(char c) { writeraw(c); }
  void writeword(std::uint16_t w) { writeraw(w); }
  void writeinteger(std::int32_t n) { writeraw(n); }
  void writeint64(std::int64_t n) { writeraw(n); }
  void writedouble(double x) { writeraw(x); }

  // A short string: the length byte, then the characters.
  void writestring(std::string_view s);
  // Reads a short string into the destination, cut to its capacity; all stored
  // characters are consumed. The empty text when the length byte is missing.
  template <std::size_t Cap>
  void readstring(q5rt::shortstring<Cap> &s) {
    const q5rt::sstr full = readfullstring();
    s.assign_cut(full.view());
  }

  // A heap string (nil allowed) in the short-string layout.
  void writepstring(const strutilx::heapblock *p);
  // Frees the heap string held in p, then stores the one read (nil for length
  // 0).
  void readpstring(strutilx::pstring &p);

  // A 32-bit length, then that many bytes (none when the length is below 1).
  void writepchar(const void *buffer, std::int32_t length);
  // Gives the length as stored; data receives the bytes that were on the stream
  // (empty for a length below 1, fewer than the length when the stream ends
  // early).
  std::int32_t readpchar(std::string &data);

  // One type-tag byte, and the check of one: a different tag raises
  // q5rt::exception with "Stream check failed: Expected = <name> Read = <name
  // or ???byte>".
  void parwrite(rwtype tag) { writebyte(static_cast<std::uint8_t>(tag)); }
  void parcheck(rwtype tag);

 protected:
  // Reads sizeof(T) bytes into a zeroed value, in the machine's byte order.
  template <typename T>
  [[nodiscard]] T readraw() {
    T value{};
    read(&value, sizeof value);
    return value;
  }
  template <typename T>
  void writeraw(const T &value) {
    write(&value, sizeof value);
  }

 private:
  [[nodiscard]] q5rt::sstr readfullstring();
};

// File modes of the stream constructor.
inline constexpr std::uint16_t mode_read = 0;        // an existing file
inline constexpr std::uint16_t mode_write = 1;       // create or truncate
inline constexpr std::uint16_t mode_readwrite = 2;   // read and write, creating a missing file
inline constexpr std::uint16_t mode_create = 65535;  // as mode_write

// The unbuffered stream on a file handle. It counts its own position and keeps
// the first I/O error until getlastioresult fetches it. A stream whose open
// failed is only asked for its last I/O result; its reads and writes transfer
// nothing.
class txfilestream : public txstream {
 public:
  // Any mode but the four above raises "TXFileStream.Create = <mode>".
  txfilestream(std::string_view filename, std::uint16_t mode);
  ~txfilestream() override;

  [[nodiscard]] std::int64_t getposition() override { return position_; }
  void setposition(std::int64_t p) override;
  [[nodiscard]] std::int64_t getsize() override;
  std::uint32_t read(void *buffer, std::uint32_t count) override;
  std::uint32_t write(const void *buffer, std::uint32_t count) override;

  // Closes the file now (the destructor does it otherwise); a failed close is recorded.
  void close();
  // The recorded result, cleared to 0.
  [[nodiscard]] int getlastioresult();
  // Stores the value only when no result is recorded.
  void setlastioresult(int value);

  [[nodiscard]] const q5rt::sstr &filename() const { return filename_; }
  [[nodiscard]] bool opened() const { return opened_; }

 protected:
  q5utils::filehandle handle_ = q5utils::nilhandle;
  bool opened_ = false;
  std::int64_t position_ = 0;
  q5rt::sstr password_;  // no scrambling is built: always empty
  q5rt::sstr filename_;
  int lastioresult_ = 0;
};

}  // namespace zlmstrm
