// Buffered and machine-independent file streams.
//
// tbufferedfilestream keeps a 32768-byte buffer between the typed operations and the file;
// with compression on, the file is a sequence of blocks:
//   flag byte (1 zlib-compressed, 0 stored), 16-bit big-endian length, the data
// each holding at most one buffer (32768 bytes before compression).
//
// tmibufferedstream writes a 17-byte byte-order header at the start of a file it creates
// (mode_create) and learns from it, when reading, whether words, integers and doubles must
// be swapped:
//   02  34 12  04  78 56 34 12  08  18 2D 44 54 FB 21 09 40   (little-endian writer)
// It also offers compact encodings: an integer in 1 to 5 bytes and a double by a code byte
// (special values, 0, 1, -1) or its non-zero high bytes, always little-endian.
//
// Usage:
//   zlmstrm::tmibufferedstream out("x.dat", zlmstrm::mode_create);
//   out.writezlminteger(42); out.writezlmdouble(2.5);
//   zlmstrm::tmibufferedstream in("x.dat", zlmstrm::mode_read);
//   if (in.getlastioresult() == 0 && in.goodbyteorder() == 0) n = in.readinteger();
//
// A block whose length exceeds its buffer, that does not decompress, or that decompresses
// to more than one buffer is a corrupt file: the read delivers nothing from it and records
// ioresult_corrupt; reading stops there until the stream is positioned anew.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "frame/q5rt.h"
#include "frame/zlmstrm.h"

namespace zlmstrm {

// Bytes of the data buffer: one block of data.
inline constexpr std::uint32_t buffersize = 32768;
// Room for zlib's worst case of one buffer.
inline constexpr std::uint32_t compressedsize = (buffersize * 12 + 5) / 10 + 20;
// The last I/O result of a compressed read while zlib is not loaded.
inline constexpr int ioresult_nozlib = -100044;
// The last I/O result of a corrupt block (EIO).
inline constexpr int ioresult_corrupt = 5;
// readcharacter at the end of the data.
inline constexpr std::uint8_t endofdata = 26;

namespace detail {
// Copies up to count bytes out of a read buffer, calling fill whenever it is used up; fill
// answers false when nothing more comes. The result is the count copied.
template <class Fill>
std::uint32_t readthrough(void *buffer, std::uint32_t count, const std::uint8_t *data,
                          std::uint32_t &readposition, const std::uint32_t &bytesinbuffer,
                          Fill fill) {
  auto *out = static_cast<std::uint8_t *>(buffer);
  std::uint32_t done = 0;
  while (done < count) {
    if (readposition == bytesinbuffer && !fill()) break;
    const std::uint32_t n = std::min(count - done, bytesinbuffer - readposition);
    std::memcpy(out + done, data + readposition, n);
    readposition += n;
    done += n;
  }
  return done;
}
}  // namespace detail

class tbufferedfilestream : public txfilestream {
 public:
  // zlibdir: where zlib is looked for when it is not yet loaded (empty: the system search).
  tbufferedfilestream(std::string_view filename, std::uint16_t mode, std::string_view zlibdir = {});
  ~tbufferedfilestream() override;

  [[nodiscard]] std::int64_t getposition() override;
  void setposition(std::int64_t p) override;
  [[nodiscard]] std::int64_t getsize() override;
  std::uint32_t read(void *buffer, std::uint32_t count) override;
  std::uint32_t write(const void *buffer, std::uint32_t count) override;

  // Switching flushes pending bytes under the old setting and empties the read buffer.
  void setcompression(bool on);
  [[nodiscard]] bool compression() const { return compression_; }
  // Whether zlib was loaded when the stream was created.
  [[nodiscard]] bool zlibloaded() const { return zlibloaded_; }
  // The load path with a trailing "/", or empty.
  [[nodiscard]] q5rt::sstr getloadpath() const;
  void setloadpath(std::string_view dir);

  [[nodiscard]] bool iseof();
  // The next byte; endofdata (26) at the end of the data.
  [[nodiscard]] std::uint8_t readcharacter();
  // Writes the pending bytes (one block with compression on); false when that failed.
  bool flush();

 private:
  // Refills the data buffer from the file; false when it got nothing.
  bool fill();
  bool fillblock();
  std::uint32_t rawread(void *buffer, std::uint32_t count) {
    return txfilestream::read(buffer, count);
  }
  bool rawwrite(const void *buffer, std::uint32_t count) {
    return txfilestream::write(buffer, count) == count;
  }
  void emptyreadbuffer() { bytesinbuffer_ = readposition_ = 0; }

  std::unique_ptr<std::uint8_t[]> data_;
  std::unique_ptr<std::uint8_t[]> compressed_;  // compressedsize + 3 (block header)
  std::uint32_t bytesinbuffer_ = 0;
  std::uint32_t readposition_ = 0;
  std::uint32_t pending_ = 0;
  bool compression_ = false;
  bool zlibloaded_ = false;
  bool corrupt_ = false;     // a corrupt block was met; reads give nothing
  bool emptyblock_ = false;  // the last block read was whole and held no data
  q5rt::sstr loadpath_;
};

// Byte-order flags of tmibufferedstream.
inline constexpr std::uint8_t order_native = 0;
inline constexpr std::uint8_t order_swapped = 1;
inline constexpr std::uint8_t order_unknownvalue = 254;
inline constexpr std::uint8_t order_badsize = 255;

class tmibufferedstream : public tbufferedfilestream {
 public:
  // mode_create writes the byte-order header; every other mode reads it. Nothing happens
  // to the header when the file did not open.
  tmibufferedstream(std::string_view filename, std::uint16_t mode, std::string_view zlibdir = {});

  // 0 when the header was understood, else the sum of 1/2 (word size/value), 4/8
  // (integer size/value) and 16/32 (double size/value).
  [[nodiscard]] int goodbyteorder() const;
  [[nodiscard]] bool wordsneedflip() const { return wordflag_ != order_native; }
  [[nodiscard]] bool intsneedflip() const { return intflag_ != order_native; }
  [[nodiscard]] std::uint8_t wordflag() const { return wordflag_; }
  [[nodiscard]] std::uint8_t integerflag() const { return intflag_; }
  [[nodiscard]] std::uint8_t doubleflag() const { return doubleflag_; }
  // Set once the header is handled: true on the supported platforms.
  [[nodiscard]] bool littleendianmachine() const { return littleendian_; }

  [[nodiscard]] double readdouble() override;
  [[nodiscard]] std::int32_t readinteger() override;
  [[nodiscard]] std::uint16_t readword() override;
  [[nodiscard]] std::int64_t readint64() override;

  void writezlminteger(std::int32_t n);
  [[nodiscard]] std::int32_t readzlminteger();
  void writezlmdouble(double x);
  [[nodiscard]] double readzlmdouble();

 private:
  void writeheader();
  void readheader();
  // Reads one part of the header: its size byte, then the value when the size is right.
  template <typename T>
  std::uint8_t readheaderpart(T expected, std::uint8_t &size);

  std::uint8_t wordflag_ = order_native;
  std::uint8_t intflag_ = order_native;
  std::uint8_t doubleflag_ = order_native;
  std::uint8_t wordsize_ = 0;
  std::uint8_t intsize_ = 0;
  std::uint8_t doublesize_ = 0;
  bool littleendian_ = false;
};

}  // namespace zlmstrm
