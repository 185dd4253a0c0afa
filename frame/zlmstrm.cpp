// Binary streams: the typed layer and the unbuffered file stream.
#include "frame/zlmstrm.h"

#include "frame/strutilx_numbers.h"

namespace zlmstrm {

// ---- txstream ----

double txstream::readdouble() { return readraw<double>(); }
std::int32_t txstream::readinteger() { return readraw<std::int32_t>(); }
std::uint16_t txstream::readword() { return readraw<std::uint16_t>(); }
std::int64_t txstream::readint64() { return readraw<std::int64_t>(); }

std::uint8_t txstream::readbyte() { return readraw<std::uint8_t>(); }
bool txstream::readbool() { return readbyte() != 0; }
char txstream::readchar() { return static_cast<char>(readbyte()); }

void txstream::writestring(std::string_view s) {
  const q5rt::sstr text = q5rt::sstr::cut(s);
  const auto length = static_cast<std::uint8_t>(text.size());
  writebyte(length);
  if (length > 0) write(text.data(), length);
}

q5rt::sstr txstream::readfullstring() {
  q5rt::sstr s;
  std::uint8_t length = 0;
  if (read(&length, 1) != 1) return s;
  if (length > 0) read(s.data(), length);
  s.set_length(length);
  return s;
}

void txstream::writepstring(const strutilx::heapblock *p) { writestring(strutilx::getview(p)); }

void txstream::readpstring(strutilx::pstring &p) {
  strutilx::disposestring(p);
  p = nullptr;
  const q5rt::sstr s = readfullstring();
  p = strutilx::newstring(s.view());
}

void txstream::writepchar(const void *buffer, std::int32_t length) {
  writeraw(length);
  if (length > 0) write(buffer, static_cast<std::uint32_t>(length));
}

std::int32_t txstream::readpchar(std::string &data) {
  const std::int32_t length = readinteger();
  data.clear();
  // Read in pieces, so that a damaged length cannot make a huge block out of
  // nothing.
  constexpr std::uint32_t piece = 65536;
  std::uint32_t left = length > 0 ? static_cast<std::uint32_t>(length) : 0;
  while (left > 0) {
    const std::uint32_t want = left < piece ? left : piece;
    const std::size_t had = data.size();
    data.resize(had + want);
    const std::uint32_t got = read(data.data() + had, want);
    data.resize(had + got);
    if (got < want) break;
    left -= got;
  }
  return length;
}

void txstream::parcheck(rwtype tag) {
  const std::uint8_t got = readbyte();
  const auto expected = static_cast<std::uint8_t>(tag);
  if (got == expected) return;
  q5rt::sstr msg =
      q5rt::concat("Stream check failed: Expected = ", rwtypetext[expected], " Read = ");
  if (got < rwtypetext.size()) {
    msg.append_cut(rwtypetext[got]);
  } else {
    msg.append_cut("???");
    msg.append_cut(strutilx::inttostrw(got, 0));
  }
  throw q5rt::exception(msg.view());
}

// ---- txfilestream ----

namespace {

// The handle mode for a stream mode; false for a mode the stream does not know.
bool handlemode(std::uint16_t mode, std::uint8_t &handle) {
  switch (mode) {
    case mode_read:
      handle = 0;
      return true;
    case mode_write:
    case mode_create:
      handle = 1;
      return true;
    case mode_readwrite:
      handle = 2;
      return true;
    default:
      return false;
  }
}

q5rt::sstr createtext(std::uint16_t mode) {
  return q5rt::concat("TXFileStream.Create = ", strutilx::inttostrw(mode, 0));
}

}  // namespace

txfilestream::txfilestream(std::string_view filename, std::uint16_t mode)
    : filename_(q5rt::sstr::cut(filename)) {
  std::uint8_t hmode = 0;
  Q5_ASSERT(handlemode(mode, hmode), createtext(mode).view());
  lastioresult_ = q5utils::q5fileopen(filename_.view(), hmode, handle_);
  opened_ = lastioresult_ == 0;
}

txfilestream::~txfilestream() { close(); }

void txfilestream::close() {
  if (!opened_) return;
  opened_ = false;
  setlastioresult(q5utils::q5fileclose(handle_));
  handle_ = q5utils::nilhandle;
}

void txfilestream::setlastioresult(int value) {
  if (lastioresult_ == 0) lastioresult_ = value;
}

int txfilestream::getlastioresult() {
  const int result = lastioresult_;
  lastioresult_ = 0;
  return result;
}

std::uint32_t txfilestream::read(void *buffer, std::uint32_t count) {
  std::int64_t got = 0;
  setlastioresult(q5utils::q5fileread(handle_, buffer, count, got));
  position_ += got;
  return static_cast<std::uint32_t>(got);
}

std::uint32_t txfilestream::write(const void *buffer, std::uint32_t count) {
  std::int64_t put = 0;
  setlastioresult(q5utils::q5filewrite(handle_, buffer, count, put));
  position_ += put;
  return static_cast<std::uint32_t>(put);
}

void txfilestream::setposition(std::int64_t p) {
  position_ = p;
  std::int64_t now = 0;
  setlastioresult(q5utils::q5filesetpointer(handle_, p, now, 0));
}

std::int64_t txfilestream::getsize() {
  std::int64_t size = -1;
  const int rc = q5utils::q5filegetsize(handle_, size);
  setlastioresult(rc);
  return rc == 0 ? size : -1;
}

}  // namespace zlmstrm
