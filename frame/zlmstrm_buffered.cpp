// Buffered, block-compressed and machine-independent file streams.
#include "frame/zlmstrm_buffered.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>

#include "bindings/xcompress.h"
#include "instance/zlmspecs.h"

namespace zlmstrm {

static_assert(compressedsize == 39342);
static_assert(buffersize <= 0xFFFF + 1, "a stored block's length must fit in 16 bits");

namespace {

constexpr std::uint32_t blockheader = 3;

// Path of the zlib library for a directory: the directory with a trailing "/", then the
// base name.
std::string zlibpath(std::string_view dir) {
  if (dir.empty()) return std::string(xcompress::zlibbasename);
  return std::string(dir) + "/" + std::string(xcompress::zlibbasename);
}

}  // namespace

// ---- tbufferedfilestream ----

tbufferedfilestream::tbufferedfilestream(std::string_view filename, std::uint16_t mode,
                                         std::string_view zlibdir)
    : txfilestream(filename, mode) {
  setloadpath(zlibdir);
  if (!xcompress::zlibdllloaded()) {
    q5rt::sstr ignored;
    (void)xcompress::loadzliblibrary(zlibpath(loadpath_.view()), ignored);
  }
  zlibloaded_ = xcompress::zlibdllloaded();
  data_ = std::make_unique<std::uint8_t[]>(buffersize);
  compressed_ = std::make_unique<std::uint8_t[]>(compressedsize + blockheader);
}

tbufferedfilestream::~tbufferedfilestream() { (void)flush(); }

q5rt::sstr tbufferedfilestream::getloadpath() const {
  return loadpath_.empty() ? q5rt::sstr() : q5rt::concat(loadpath_.view(), "/");
}

void tbufferedfilestream::setloadpath(std::string_view dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.remove_suffix(1);
  loadpath_.assign_cut(dir);
}

bool tbufferedfilestream::flush() {
  if (pending_ == 0) return true;
  bool ok = false;
  std::uint8_t *const block = compressed_.get();
  if (compression_) {
    std::uint64_t packed = compressedsize;
    const bool shorter = zlibloaded_ &&
                         xcompress::compress(block + blockheader, packed, data_.get(), pending_) ==
                             xcompress::z_ok &&
                         packed < pending_;
    // A block that does not get shorter (or without zlib) is stored as it is.
    const std::uint32_t length = shorter ? static_cast<std::uint32_t>(packed) : pending_;
    if (!shorter) std::memcpy(block + blockheader, data_.get(), pending_);
    block[0] = shorter ? 1 : 0;
    block[1] = static_cast<std::uint8_t>(length >> 8);
    block[2] = static_cast<std::uint8_t>(length & 0xFF);
    ok = rawwrite(block, length + blockheader);
  } else {
    ok = rawwrite(data_.get(), pending_);
  }
  pending_ = 0;
  emptyreadbuffer();
  return ok;
}

bool tbufferedfilestream::fillblock() {
  std::uint8_t *const block = compressed_.get();
  emptyblock_ = false;
  if (rawread(block, blockheader) < blockheader) return false;  // the end of the data
  const std::uint32_t length = (std::uint32_t{block[1]} << 8) | block[2];
  const bool packed = block[0] != 0;
  if (length > (packed ? compressedsize : buffersize)) {
    corrupt_ = true;
    return false;
  }
  if (!packed) {
    emptyblock_ = length == 0;
    bytesinbuffer_ = rawread(data_.get(), length);
    return bytesinbuffer_ > 0;
  }
  const std::uint32_t got = rawread(block + blockheader, length);
  std::uint64_t unpacked = buffersize;
  if (got < length || xcompress::uncompress(data_.get(), unpacked, block + blockheader, length) !=
                          xcompress::z_ok) {
    corrupt_ = true;
    return false;
  }
  bytesinbuffer_ = static_cast<std::uint32_t>(unpacked);
  emptyblock_ = bytesinbuffer_ == 0;
  return bytesinbuffer_ > 0;
}

bool tbufferedfilestream::fill() {
  emptyreadbuffer();
  if (corrupt_) {
    setlastioresult(ioresult_corrupt);
    return false;
  }
  if (!compression_) {
    bytesinbuffer_ = rawread(data_.get(), buffersize);
    return bytesinbuffer_ > 0;
  }
  if (!zlibloaded_) {
    setlastioresult(ioresult_nozlib);
    return false;
  }
  // An empty block, stored or compressed, holds nothing: the data goes on with the next one.
  bool got = fillblock();
  while (!got && !corrupt_ && emptyblock_) got = fillblock();
  if (corrupt_) {
    emptyreadbuffer();
    setlastioresult(ioresult_corrupt);
  }
  return got;
}

std::uint32_t tbufferedfilestream::read(void *buffer, std::uint32_t count) {
  if (pending_ > 0) (void)flush();
  return detail::readthrough(buffer, count, data_.get(), readposition_, bytesinbuffer_,
                             [this] { return fill(); });
}

std::uint32_t tbufferedfilestream::write(const void *buffer, std::uint32_t count) {
  if (bytesinbuffer_ > 0) {
    // Back from reading: the file goes to the logical position first.
    txfilestream::setposition(position_ - (bytesinbuffer_ - readposition_));
    emptyreadbuffer();
  }
  const auto *in = static_cast<const std::uint8_t *>(buffer);
  std::uint32_t done = 0;
  while (done < count) {
    if (pending_ == buffersize && !flush()) break;
    const std::uint32_t n = std::min(count - done, buffersize - pending_);
    std::memcpy(data_.get() + pending_, in + done, n);
    pending_ += n;
    done += n;
  }
  return done;
}

std::int64_t tbufferedfilestream::getposition() {
  if (pending_ > 0) {
    if (!compression_) return position_ + pending_;
    (void)flush();
    return position_;
  }
  return position_ - bytesinbuffer_ + readposition_;
}

void tbufferedfilestream::setposition(std::int64_t p) {
  if (pending_ > 0) {
    if (!compression_ && p == position_ + pending_) return;
    (void)flush();
  } else if (!compression_ && bytesinbuffer_ > 0) {
    const std::int64_t first = position_ - bytesinbuffer_;
    if (p >= first && p < position_) {
      readposition_ = static_cast<std::uint32_t>(p - first);
      return;
    }
  }
  corrupt_ = false;
  emptyreadbuffer();
  txfilestream::setposition(p);
}

std::int64_t tbufferedfilestream::getsize() {
  const std::int64_t size = txfilestream::getsize();
  return pending_ > 0 ? std::max(size, position_ + pending_) : size;
}

void tbufferedfilestream::setcompression(bool on) {
  if (!on && !compression_) return;
  (void)flush();
  if (on != compression_) emptyreadbuffer();
  compression_ = on;
}

bool tbufferedfilestream::iseof() {
  if (readposition_ < bytesinbuffer_) return false;
  return getposition() >= getsize();
}

std::uint8_t tbufferedfilestream::readcharacter() {
  if (readposition_ < bytesinbuffer_) return data_[readposition_++];
  std::uint8_t c = 0;
  return read(&c, 1) == 1 ? c : endofdata;
}

// ---- tmibufferedstream ----

namespace {

constexpr std::uint16_t wordtest = 0x1234;
constexpr std::int32_t integertest = 0x12345678;
constexpr double doubletest = std::numbers::pi;

template <typename T>
T byteswapped(T value) {
  auto bytes = std::bit_cast<std::array<std::uint8_t, sizeof(T)>>(value);
  std::reverse(bytes.begin(), bytes.end());
  return std::bit_cast<T>(bytes);
}

}  // namespace

tmibufferedstream::tmibufferedstream(std::string_view filename, std::uint16_t mode,
                                     std::string_view zlibdir)
    : tbufferedfilestream(filename, mode, zlibdir) {
  if (lastioresult_ != 0) return;
  if (mode == mode_create)
    writeheader();
  else
    readheader();
  littleendian_ = std::endian::native == std::endian::little;
}

void tmibufferedstream::writeheader() {
  writebyte(sizeof wordtest);
  writeword(wordtest);
  writebyte(sizeof integertest);
  writeinteger(integertest);
  writebyte(sizeof doubletest);
  writedouble(doubletest);
}

template <typename T>
std::uint8_t tmibufferedstream::readheaderpart(T expected, std::uint8_t &size) {
  size = readbyte();
  if (size != sizeof(T)) {
    setposition(getposition() + size);
    return order_badsize;
  }
  const T value = readraw<T>();
  if (value == expected) return order_native;
  if (value == byteswapped(expected)) return order_swapped;
  return order_unknownvalue;
}

void tmibufferedstream::readheader() {
  wordflag_ = readheaderpart(wordtest, wordsize_);
  intflag_ = readheaderpart(integertest, intsize_);
  doubleflag_ = readheaderpart(doubletest, doublesize_);
}

int tmibufferedstream::goodbyteorder() const {
  const auto part = [](std::uint8_t flag, int badsize, int badvalue) {
    return flag == order_badsize ? badsize : flag == order_unknownvalue ? badvalue : 0;
  };
  return part(wordflag_, 1, 2) + part(intflag_, 4, 8) + part(doubleflag_, 16, 32);
}

std::uint16_t tmibufferedstream::readword() {
  const auto v = readraw<std::uint16_t>();
  return wordflag_ != order_native ? byteswapped(v) : v;
}

std::int32_t tmibufferedstream::readinteger() {
  const auto v = readraw<std::int32_t>();
  return intflag_ != order_native ? byteswapped(v) : v;
}

std::int64_t tmibufferedstream::readint64() {
  const auto v = readraw<std::int64_t>();
  return intflag_ != order_native ? byteswapped(v) : v;
}

double tmibufferedstream::readdouble() {
  const auto v = readraw<double>();
  return doubleflag_ != order_native ? byteswapped(v) : v;
}

// Compact integer: sign in bit 7, the count k of following bytes in bits 4 to 6, the
// magnitude's low 4 bits in bits 0 to 3; then the magnitude shifted right by 4, low byte
// first.
void tmibufferedstream::writezlminteger(std::int32_t n) {
  const std::uint32_t m =
      n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n);
  std::uint8_t bytes[5];
  std::uint32_t rest = m >> 4;
  std::uint8_t k = 0;
  while (rest != 0) {
    bytes[1 + k++] = static_cast<std::uint8_t>(rest & 0xFF);
    rest >>= 8;
  }
  bytes[0] = static_cast<std::uint8_t>((n < 0 ? 0x80 : 0) | (k << 4) | (m & 0x0F));
  write(bytes, 1u + k);
}

std::int32_t tmibufferedstream::readzlminteger() {
  const std::uint8_t first = readbyte();
  const int k = (first >> 4) & 0x07;
  std::uint64_t rest = 0;
  for (int i = 0; i < k; ++i) rest |= std::uint64_t{readbyte()} << (8 * i);
  const std::uint64_t m = (rest << 4) | (first & 0x0F);
  // A value beyond 32 bits (never written) wraps.
  const std::uint64_t v = (first & 0x80) != 0 ? 0 - m : m;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

// Compact double: codes 1 to 5 the special values, 6 and a compact integer an acronym,
// 7 zero, 8 one, 9 minus one; 128 + z and the bytes B(z)..B7 of any other value, where z
// counts the zero bytes from the least significant one up.
void tmibufferedstream::writezlmdouble(double x) {
  // Infinities and NaN are ordinary values here, kept bit for bit.
  const int cls = std::isfinite(x) ? zlmspecs::mapval(x) : 0;
  if (cls >= 1 && cls <= 5) {
    writebyte(static_cast<std::uint8_t>(cls));
    return;
  }
  if (cls == 6) {
    writebyte(6);
    writezlminteger(static_cast<std::int32_t>(std::round(x / zlmspecs::valacr)));
    return;
  }
  if (x == 0.0 || x == 1.0 || x == -1.0) {
    writebyte(x == 0.0 ? 7 : x == 1.0 ? 8 : 9);
    return;
  }
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
  std::uint8_t bytes[9];
  int z = 0;
  while (z < 7 && ((bits >> (8 * z)) & 0xFF) == 0) ++z;
  bytes[0] = static_cast<std::uint8_t>(128 + z);
  for (int i = z; i < 8; ++i) bytes[1 + i - z] = static_cast<std::uint8_t>(bits >> (8 * i));
  write(bytes, static_cast<std::uint32_t>(9 - z));
}

double tmibufferedstream::readzlmdouble() {
  const std::uint8_t code = readbyte();
  if ((code & 0x80) != 0) {
    const int z = code - 128;
    if (z >= 8) return 0.0;
    std::uint64_t bits = 0;
    for (int i = z; i < 8; ++i) bits |= std::uint64_t{readbyte()} << (8 * i);
    return std::bit_cast<double>(bits);
  }
  switch (code) {
    case 1:
      return zlmspecs::valund;
    case 2:
      return zlmspecs::valna;
    case 3:
      return zlmspecs::valpin;
    case 4:
      return zlmspecs::valmin;
    case 5:
      return zlmspecs::valeps;
    case 6:
      return readzlminteger() * zlmspecs::valacr;
    case 8:
      return 1.0;
    case 9:
      return -1.0;
    default:
      return 0.0;  // 7 and unknown codes
  }
}

}  // namespace zlmstrm
