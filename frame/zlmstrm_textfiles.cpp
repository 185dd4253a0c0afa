// Text files with header, compression and gzip input, and the four file routines.
#include "frame/zlmstrm_textfiles.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "frame/q5utils.h"
#include "frame/strutilx.h"

namespace zlmstrm {

namespace {

constexpr std::string_view cannotopen = "Cannot open file";
constexpr std::string_view noheader = "ZOLM header not found";
constexpr std::string_view integrityfailed = "Integrity check failed";
constexpr std::string_view freetext_file = "CompressTextFile";
constexpr std::string_view freetext_stdin = "CompressStdIn";
constexpr std::uint32_t chunk = 4096;
constexpr std::uint8_t gzipmagic1 = 31;
constexpr std::uint8_t gzipmagic2 = 139;
constexpr std::uint8_t signedmark = 255;

void seterror(int code, std::string_view text, int& errnr, q5rt::sstr& msg) {
  errnr = code;
  msg.assign_cut(text);
}

// An I/O result as error number and the system's text.
void setioerror(int code, int& errnr, q5rt::sstr& msg) {
  errnr = code;
  if (code == 0)
    msg.clear();
  else
    msg = q5rt::syserrortext(code);
}

}  // namespace

// ---- tgzipinputstream ----

tgzipinputstream::tgzipinputstream(std::string_view filename, q5rt::sstr& msg) {
  msg.clear();
  if (xcompress::zlibdllloaded()) handle_ = xcompress::gzreadopen(filename);
  if (handle_ == nullptr) {
    msg.assign_cut(cannotopen);
    return;
  }
  buffer_ = std::make_unique<std::uint8_t[]>(buffersize);
}

tgzipinputstream::~tgzipinputstream() {
  if (handle_ != nullptr) xcompress::gzreadclose(handle_);
}

bool tgzipinputstream::refill() {
  bytesinbuffer_ = readposition_ = 0;
  if (handle_ == nullptr || ended_) return false;
  const int got = xcompress::gzread(handle_, buffer_.get(), buffersize);
  if (got <= 0) {
    ended_ = true;
    if (got < 0 && lastioresult_ == 0) lastioresult_ = ioresult_corrupt;
    return false;
  }
  bytesinbuffer_ = static_cast<std::uint32_t>(got);
  return true;
}

std::uint32_t tgzipinputstream::read(void* buffer, std::uint32_t count) {
  return detail::readthrough(buffer, count, buffer_.get(), readposition_, bytesinbuffer_,
                             [this] { return refill(); });
}

std::uint8_t tgzipinputstream::readcharacter() {
  std::uint8_t c = 0;
  return read(&c, 1) == 1 ? c : endofdata;
}

int tgzipinputstream::getlastioresult() {
  const int result = lastioresult_;
  lastioresult_ = 0;
  return result;
}

// ---- tbinarytextfileio ----

void tbinarytextfileio::reset() {
  stream_.reset();
  gzip_.reset();
  writing_ = false;
  filetype_ = filetype_text;
  signed_ = false;
  passwordmode_ = false;
  datastart_ = 0;
  header1_ = header2_ = 1;  // what a signed file is written with, whatever was read
}

bool tbinarytextfileio::readsignature() {
  q5rt::sstr s;
  stream_->readstring(s);
  return s == signature_zolm;
}

void tbinarytextfileio::openforread(std::string_view filename, std::string_view password,
                                    int& errnr, q5rt::sstr& msg) {
  (void)password;  // no scrambling is built
  reset();
  stream_ = std::make_unique<tbufferedfilestream>(filename, mode_read);
  if (const int rc = stream_->getlastioresult(); rc != 0) {
    stream_.reset();
    setioerror(rc, errnr, msg);
    errnr = textfile_noopen;
    return;
  }
  std::uint8_t first[2] = {};
  (void)stream_->read(first, 2);
  if (first[0] == gzipmagic1 && first[1] == gzipmagic2) {
    stream_.reset();
    filetype_ = filetype_gzip;
    gzip_ = std::make_unique<tgzipinputstream>(filename, msg);
    if (msg.empty()) {
      errnr = textfile_ok;
    } else {
      gzip_.reset();
      seterror(textfile_noopen, cannotopen, errnr, msg);
    }
    return;
  }
  if (first[0] == signedmark) {
    // The second byte is the signature's length byte.
    q5rt::sstr sig;
    (void)stream_->read(sig.data(), first[1]);
    sig.set_length(first[1]);
    if (sig == signature_zolm) {
      readsignedheader(errnr, msg);
      return;
    }
  }
  readplainstart(errnr, msg);
}

void tbinarytextfileio::readsignedheader(int& errnr, q5rt::sstr& msg) {
  seterror(textfile_noheader, noheader, errnr, msg);
  const std::uint8_t type = stream_->readbyte();
  q5rt::sstr freetext;
  stream_->readstring(freetext);
  header1_ = stream_->readbyte();
  header2_ = stream_->readbyte();
  const std::uint8_t password = stream_->readbyte();
  const std::uint8_t compression = stream_->readbyte();
  if (type < 'A' || (password != 'p' && password != 'P') ||
      (compression != 'C' && compression != 'c')) {
    stream_.reset();
    return;
  }
  filetype_ = static_cast<std::uint8_t>(type - 'A');
  passwordmode_ = password == 'P';
  seterror(textfile_integrity, integrityfailed, errnr, msg);
  datastart_ = stream_->getposition();
  stream_->setcompression(true);
  stream_->setposition(datastart_);
  if (compression == 'c') stream_->setcompression(false);
  signed_ = true;
  if (!readsignature()) {
    stream_.reset();
    return;
  }
  seterror(textfile_ok, "", errnr, msg);
}

void tbinarytextfileio::readplainstart(int& errnr, q5rt::sstr& msg) {
  // The first four bytes again, for the byte-order-mark check.
  stream_->setposition(0);
  char head[4] = {};
  const std::uint32_t got = stream_->read(head, 4);
  int offset = 0;
  if (!strutilx::checkbomoffset(std::string_view(head, got), offset, msg)) {
    stream_.reset();
    errnr = textfile_encoding;
    return;
  }
  stream_->setposition(offset);
  filetype_ = filetype_text;
  datastart_ = offset;
  seterror(textfile_ok, "", errnr, msg);
}

void tbinarytextfileio::openforwrite(std::string_view filename, std::string_view freetext,
                                     std::string_view password, std::uint8_t filetype,
                                     bool compress, int& errnr, q5rt::sstr& msg) {
  const bool signedfile = filetype != filetype_text || !password.empty() || compress;
  openwrite(filename, freetext, filetype, compress, signedfile, errnr, msg);
}

void tbinarytextfileio::openwrite(std::string_view filename, std::string_view freetext,
                                  std::uint8_t filetype, bool compress, bool signedfile, int& errnr,
                                  q5rt::sstr& msg) {
  reset();
  stream_ = std::make_unique<tbufferedfilestream>(filename, mode_create);
  filetype_ = filetype;
  writing_ = true;
  if (signedfile) {
    stream_->writebyte(signedmark);
    stream_->writestring(signature_zolm);
    stream_->writebyte(static_cast<std::uint8_t>('A' + filetype));
    stream_->writestring(freetext);
    stream_->writebyte(header1_);
    stream_->writebyte(header2_);
    stream_->writebyte('p');
    stream_->writebyte(compress ? 'C' : 'c');
    if (compress)
      stream_->setcompression(true);
    else
      (void)stream_->flush();
    stream_->writestring(signature_zolm);
    signed_ = true;
  }
  const int rc = stream_->getlastioresult();
  if (rc != 0) stream_.reset();
  setioerror(rc, errnr, msg);
}

std::uint32_t tbinarytextfileio::read(void* buffer, std::uint32_t count) {
  if (gzip_) return gzip_->read(buffer, count);
  return stream_ ? stream_->read(buffer, count) : 0;
}

std::uint8_t tbinarytextfileio::readcharacter() {
  if (gzip_) return gzip_->readcharacter();
  return stream_ ? stream_->readcharacter() : endofdata;
}

std::int64_t tbinarytextfileio::write(const void* buffer, std::uint32_t count) {
  Q5_ASSERT(writing_, "TBinaryTextFileIO.Read");
  if (!stream_) return -1;
  return stream_->write(buffer, count);
}

void tbinarytextfileio::rewind() {
  Q5_ASSERT(!writing_, "TBinaryTextFileIO.ReWind1");
  Q5_ASSERT(stream_ != nullptr, "TBinaryTextFileIO.ReWind2");
  stream_->setposition(datastart_);
  // Uncompressed or not, the signature at the data start is not text.
  if (signed_) (void)readsignature();
}

int tbinarytextfileio::getlastioresult() {
  if (gzip_) return gzip_->getlastioresult();
  return stream_ ? stream_->getlastioresult() : 0;
}

int tbinarytextfileio::close() {
  int rc = 0;
  if (stream_) {
    (void)stream_->flush();
    stream_->close();  // a failed close is the file's error too
    rc = stream_->getlastioresult();
  } else if (gzip_) {
    rc = gzip_->getlastioresult();
  }
  reset();
  return rc;
}

// ---- file routines ----

namespace {

// Copies the opened source in chunks to the sink until a chunk comes short; errnr and msg
// tell the first read or write failure, the source's first.
void copychunks(tbinarytextfileio& in, const std::function<int(const char*, std::uint32_t)>& sink,
                int& errnr, q5rt::sstr& msg) {
  char buffer[chunk];
  int writeerror = 0;
  for (;;) {
    const std::uint32_t got = in.read(buffer, chunk);
    if (got > 0 && writeerror == 0) writeerror = sink(buffer, got);
    if (got < chunk) break;
  }
  const int readerror = in.close();
  setioerror(readerror != 0 ? readerror : writeerror, errnr, msg);
}

// A sink into a text file opened for writing; its result is the first write failure.
int tofile(tbinarytextfileio& out, const char* data, std::uint32_t n) {
  if (out.write(data, n) != static_cast<std::int64_t>(n)) {
    const int rc = out.getlastioresult();
    return rc != 0 ? rc : q5utils::q5someioresult();
  }
  return 0;
}

// Copies the opened in into the opened out and closes both.
void copyinto(tbinarytextfileio& in, tbinarytextfileio& out, int& errnr, q5rt::sstr& msg) {
  copychunks(
      in, [&out](const char* data, std::uint32_t n) { return tofile(out, data, n); }, errnr, msg);
  const int closing = out.close();
  if (errnr == 0) setioerror(closing, errnr, msg);
}

}  // namespace

void compresstextfile(std::string_view source, std::string_view destination,
                      std::string_view password, bool compress, int& errnr, q5rt::sstr& msg) {
  (void)password;  // read without, written without: no scrambling is built
  tbinarytextfileio in;
  in.openforread(source, "", errnr, msg);
  if (!msg.empty()) return;
  tbinarytextfileio out;
  out.openwrite(destination, freetext_file, filetype_text, compress, true, errnr, msg);
  if (errnr != 0) return;
  copyinto(in, out, errnr, msg);
}

void uncompresstextfile(std::string_view source, std::string_view destination,
                        std::string_view password, int& errnr, q5rt::sstr& msg) {
  tbinarytextfileio in;
  in.openforread(source, password, errnr, msg);
  if (!msg.empty()) return;
  tbinarytextfileio out;
  out.openforwrite(destination, "", "", filetype_text, false, errnr, msg);
  if (errnr != 0) return;
  copyinto(in, out, errnr, msg);
}

void compressfromstdin(std::string_view destination, std::string_view password, bool compress,
                       int& errnr, q5rt::sstr& msg) {
  (void)password;
  tbinarytextfileio out;
  out.openwrite(destination, freetext_stdin, filetype_text, compress, true, errnr, msg);
  if (errnr != 0) return;
  char buffer[chunk];
  int failure = 0;
  for (;;) {
    std::int64_t got = 0;
    const int rc = q5utils::q5fileread(0, buffer, chunk, got);
    if (got > 0 && failure == 0) failure = tofile(out, buffer, static_cast<std::uint32_t>(got));
    if (rc != 0 && failure == 0) failure = rc;
    if (rc != 0 || got < static_cast<std::int64_t>(chunk)) break;
  }
  const int closing = out.close();
  setioerror(failure != 0 ? failure : closing, errnr, msg);
}

void uncompresstostdout(std::string_view source, std::string_view password, int& errnr,
                        q5rt::sstr& msg) {
  tbinarytextfileio in;
  in.openforread(source, password, errnr, msg);
  if (!msg.empty()) return;
  copychunks(
      in,
      [](const char* data, std::uint32_t n) {
        std::int64_t put = 0;
        return q5utils::q5filewrite(1, data, n, put);
      },
      errnr, msg);
}

}  // namespace zlmstrm
