// Text files in three forms behind one class: plain text (optionally with a UTF-8
// byte-order mark), gzip-compressed text (read only), and the modelling system's signed
// text file, which may be block-compressed:
//   255, "*ZOLM*" as a short string, "A" + file type, a free text as a short string, 1, 1,
//   "p" (no password) or "P", "C" (block-compressed from here on) or "c", then at the data
//   start the signature again and the text.
// The password mode scrambles nothing here: a "P" header is read like "p" (scrambled data
// then fails the integrity check) and reported by usespassword, and a password given to a
// writer is not used.
//
// Usage:
//   zlmstrm::tbinarytextfileio f;
//   int err; q5rt::sstr msg;
//   f.openforread("model.txt", "", err, msg);
//   std::uint8_t c = f.readcharacter();
//   char line[256]; int len;
//   f.readline(line, len, 255, c);          // c is now the line end (10, 13 or 26)
//
//   zlmstrm::compresstextfile("a.txt", "a.zlm", "", true, err, msg);
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "bindings/xcompress.h"
#include "frame/q5rt.h"
#include "frame/zlmstrm_buffered.h"

namespace zlmstrm {

inline constexpr std::string_view signature_zolm = "*ZOLM*";
inline constexpr std::uint8_t filetype_text = 0;
inline constexpr std::uint8_t filetype_gzip = 2;

// Error numbers of the text-file opens.
inline constexpr int textfile_ok = 0;
inline constexpr int textfile_noopen = 1;
inline constexpr int textfile_noheader = 2;
inline constexpr int textfile_integrity = 4;
inline constexpr int textfile_encoding = 6;

// Reads a line: characters up to a line end (10, 13 or 26) or maximum characters, from
// current on; current ends as the line end, which the caller consumes (and a line feed
// after a carriage return). length is the number of characters stored.
template <class Source>
void readlinefrom(Source& source, char* buffer, int& length, int maximum, std::uint8_t& current) {
  length = 0;
  while (current != 10 && current != 13 && current != endofdata && length < maximum) {
    buffer[length++] = static_cast<char>(current);
    current = source.readcharacter();
  }
}

// Reading a gzip file through the zlib binding. A read error ends the data and is kept
// as the last I/O result (ioresult_corrupt); it is never taken as a count.
class tgzipinputstream {
 public:
  // msg: "Cannot open file" when the file does not open (or zlib is not loaded).
  tgzipinputstream(std::string_view filename, q5rt::sstr& msg);
  ~tgzipinputstream();
  tgzipinputstream(const tgzipinputstream&) = delete;
  tgzipinputstream& operator=(const tgzipinputstream&) = delete;

  std::uint32_t read(void* buffer, std::uint32_t count);
  [[nodiscard]] std::uint8_t readcharacter();
  void readline(char* buffer, int& length, int maximum, std::uint8_t& current) {
    readlinefrom(*this, buffer, length, maximum, current);
  }
  // The first read error since the last call, cleared.
  [[nodiscard]] int getlastioresult();

 private:
  bool refill();

  xcompress::gzfile handle_ = nullptr;
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::uint32_t bytesinbuffer_ = 0;
  std::uint32_t readposition_ = 0;
  bool ended_ = false;
  int lastioresult_ = 0;
};

class tbinarytextfileio {
 public:
  tbinarytextfileio() = default;
  tbinarytextfileio(const tbinarytextfileio&) = delete;
  tbinarytextfileio& operator=(const tbinarytextfileio&) = delete;

  // errnr: textfile_ok, textfile_noopen (the system's text, or "Cannot open file" for
  // gzip), textfile_noheader ("ZOLM header not found"), textfile_integrity ("Integrity
  // check failed"), textfile_encoding (an unsupported byte-order mark).
  void openforread(std::string_view filename, std::string_view password, int& errnr,
                   q5rt::sstr& msg);
  // Plain text for type 0 without password and compression, else the signed layout. errnr
  // is the stream's I/O result and msg the system's text for it.
  void openforwrite(std::string_view filename, std::string_view freetext, std::string_view password,
                    std::uint8_t filetype, bool compress, int& errnr, q5rt::sstr& msg);

  std::uint32_t read(void* buffer, std::uint32_t count);
  [[nodiscard]] std::uint8_t readcharacter();
  void readline(char* buffer, int& length, int maximum, std::uint8_t& current) {
    readlinefrom(*this, buffer, length, maximum, current);
  }
  // Only on a file opened for writing ("TBinaryTextFileIO.Read" otherwise); -1 without a
  // stream.
  std::int64_t write(const void* buffer, std::uint32_t count);
  // Back to the text's first byte; not for writing ("TBinaryTextFileIO.ReWind1") nor
  // without a buffered stream ("TBinaryTextFileIO.ReWind2").
  void rewind();
  [[nodiscard]] int getlastioresult();
  // True while a stream is open on a signed file whose header says "P".
  [[nodiscard]] bool usespassword() const { return stream_ != nullptr && passwordmode_; }
  [[nodiscard]] std::uint8_t filetype() const { return filetype_; }
  // Writes what is pending and closes; the first I/O error of the file or 0.
  [[nodiscard]] int close();

 private:
  friend void compresstextfile(std::string_view, std::string_view, std::string_view, bool, int&,
                               q5rt::sstr&);
  friend void compressfromstdin(std::string_view, std::string_view, bool, int&, q5rt::sstr&);
  void openwrite(std::string_view filename, std::string_view freetext, std::uint8_t filetype,
                 bool compress, bool signedfile, int& errnr, q5rt::sstr& msg);
  void readsignedheader(int& errnr, q5rt::sstr& msg);
  void readplainstart(int& errnr, q5rt::sstr& msg);
  [[nodiscard]] bool readsignature();
  void reset();

  std::unique_ptr<tbufferedfilestream> stream_;
  std::unique_ptr<tgzipinputstream> gzip_;
  bool writing_ = false;
  std::uint8_t filetype_ = filetype_text;
  std::uint8_t header1_ = 1;
  std::uint8_t header2_ = 1;
  bool signed_ = false;        // the data start holds the signature
  bool passwordmode_ = false;  // the header's password byte is "P"
  std::int64_t datastart_ = 0;
};

// Reads the source in any form and writes it signed, with the free text
// "CompressTextFile" (always with the header, compressed or not).
void compresstextfile(std::string_view source, std::string_view destination,
                      std::string_view password, bool compress, int& errnr, q5rt::sstr& msg);
// Reads a file in any form and writes it as plain text.
void uncompresstextfile(std::string_view source, std::string_view destination,
                        std::string_view password, int& errnr, q5rt::sstr& msg);
// Standard input to a signed file with the free text "CompressStdIn".
void compressfromstdin(std::string_view destination, std::string_view password, bool compress,
                       int& errnr, q5rt::sstr& msg);
// A file in any form to standard output.
void uncompresstostdout(std::string_view source, std::string_view password, int& errnr,
                        q5rt::sstr& msg);

}  // namespace zlmstrm
