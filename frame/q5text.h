// Pascal-style text files and untyped record files of the runtime layer.
//
// A text file is bound to a name, then opened for reading (reset), writing (rewrite) or
// appending (append). Output is buffered and written as given: bytes unchanged, "\n" ends
// a line. Every failure leaves an I/O result pending on the file: ioresult() reads and
// clears it (0 = fine). While a result is pending, reads give 0 or an empty text and
// writes do nothing. With I/O checking on (per file, or check() after any call) a failure
// raises q5rt::io_error instead.
//
// Usage:
//   q5rt::textfile f;
//   f.assign(name);
//   f.reset();
//   if (int rc = f.ioresult(); rc != 0) return rc;     // the system's error number
//   std::int32_t n = f.read_integer();                 // skips blanks and line ends
//   double x = f.read_real();
//   f.readln();                                        // rest of the line is ignored
//   q5rt::sstr line = f.readln_string();               // one line, cut at 255
//   f.check();                                         // throws for a pending error
//
//   q5rt::textfile out;
//   out.assign(name);
//   out.rewrite();
//   out.write("x = ");
//   out.write_integer(12);
//   out.writeln();
//   out.close();                                       // failed final flush -> ioresult
//
// Numbers: a token is the characters up to the next white space (blank, tab, line feed,
// carriage return, form feed, vertical tab). It converts by the runtime's Val rules
// (q5rtnum.h); a malformed token, a token over 255 characters (read whole) and a number
// missing at the end of the file are errors. Line ends are "\n" or "\r\n".
//
// Untyped files move whole records of a fixed size (reset/rewrite with a record size,
// blockread/blockwrite); their results are fetched through ioresult() as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "frame/q5rt.h"

namespace q5rt {

// I/O results of the runtime besides the system's error numbers.
namespace iocode {
inline constexpr int access = 5;        // not open in the mode that the operation needs
inline constexpr int eof_read = 100;    // a number or a character read at the end of the file
inline constexpr int bad_number = 106;  // a token that is not a number
}  // namespace iocode

// The text of an I/O result: "Read past end of file" for 100, "Invalid numeric format"
// for 106, else the system's text.
[[nodiscard]] sstr iomessage(int code);

class textfile {
 public:
  textfile();
  ~textfile();  // an open file is flushed and closed; call close() to see a failure
  textfile(const textfile&) = delete;
  textfile& operator=(const textfile&) = delete;

  // Binds the file to a name (cut to 255); an open file is closed first. The empty name
  // is standard input for reset and standard output for rewrite and append.
  void assign(std::string_view name);
  [[nodiscard]] const sstr& name() const { return name_; }

  // Opening clears a pending result and leaves the outcome pending (0 = open).
  void reset();    // read an existing file
  void rewrite();  // create or empty, then write
  void append();   // write at the end of an existing file
  // Flushes and closes; a failed flush or close is left pending. A closed file: nothing.
  void close();
  // Writes the buffered output to the system (standard output: through C's stdout).
  void flush();

  [[nodiscard]] bool is_open() const { return mode_ != mode::closed; }
  [[nodiscard]] bool is_input() const { return mode_ == mode::input; }
  [[nodiscard]] bool is_output() const { return mode_ == mode::output; }

  // I/O checking: on, every failure raises io_error at once (the result is not kept).
  void set_iocheck(bool on) { check_ = on; }
  [[nodiscard]] bool iocheck() const { return check_; }
  // The pending result, cleared.
  [[nodiscard]] int ioresult();
  // The pending result, kept.
  [[nodiscard]] int pending() const { return pending_; }
  // Raises io_error for a pending result (clearing it); nothing when none is pending.
  void check();

  // ---- reading ----
  // True at the end of the file (also for a file not open for reading, with a result 5).
  [[nodiscard]] bool eof();
  // True at a line end or at the end of the file.
  [[nodiscard]] bool eoln();
  // The next number: white space and line ends before it are skipped.
  [[nodiscard]] std::int32_t read_integer();
  [[nodiscard]] double read_real();
  // The next character; a line end gives "\n" (for "\r\n" too). End of file: 0, result 100.
  [[nodiscard]] char read_char();
  // The rest of the line up to 255 characters; the line end stays unread.
  [[nodiscard]] sstr read_string();
  // Skips to the start of the next line (nothing at the end of the file).
  void readln();
  // One whole line, cut at 255 characters; the rest of the line is skipped.
  [[nodiscard]] sstr readln_string();

  // ---- writing ----
  void write(std::string_view text);
  void write(char c);
  void write_integer(std::int64_t value);
  // Right-aligned in width columns; a longer number is written whole.
  void write_integer(std::int64_t value, int width);
  void writeln();
  void writeln(std::string_view text);

 private:
  enum class mode : std::uint8_t { closed, input, output };

  void open_file(int flags, mode m);
  void fail(int code, std::string_view message = {});
  [[nodiscard]] bool can_read();
  [[nodiscard]] bool can_write();
  [[nodiscard]] bool fill(std::size_t need);  // at least need unread bytes, unless at the end
  [[nodiscard]] int peek();                   // next byte or -1 at the end
  [[nodiscard]] bool at_line_end();           // "\n" or "\r\n" next
  [[nodiscard]] bool next_token(char* token, std::size_t& length);
  // The next number's token (at most 255 characters into buffer); false with the result
  // set when there is none.
  [[nodiscard]] bool number_token(char* buffer, std::string_view& token);
  void put(const char* data, std::size_t n);
  [[nodiscard]] int flush_output();  // 0 or the error number
  void release();

  sstr name_;
  int fd_ = -1;
  bool stdio_out_ = false;  // standard output, written through C's stdout
  bool own_fd_ = false;     // false for the standard descriptors
  mode mode_ = mode::closed;
  bool check_ = false;
  int pending_ = 0;
  bool at_end_ = false;  // the system reported the end of the file
  std::unique_ptr<char[]> buf_;
  std::size_t pos_ = 0;  // reading: next byte; writing: bytes held
  std::size_t end_ = 0;  // reading: bytes held
};

// The process-wide text file on standard output, I/O checking on.
[[nodiscard]] textfile& output();

// Reals in the runtime's texts (q5rtnum.h), no separator before or after: the 23-character
// default real text, the exponent form of a width, the fixed form with decimals.
void Q5write_r(textfile& f, double x);
void Q5write_rx(textfile& f, double x, std::int32_t width);
void Q5write_ry(textfile& f, double x, std::int32_t width, std::int32_t decimals);

class untypedfile {
 public:
  untypedfile() = default;
  ~untypedfile();
  untypedfile(const untypedfile&) = delete;
  untypedfile& operator=(const untypedfile&) = delete;

  void assign(std::string_view name);
  [[nodiscard]] const sstr& name() const { return name_; }

  // Opening clears a pending result and leaves the outcome pending. recsize >= 1.
  void reset(std::int32_t recsize);    // read an existing file
  void rewrite(std::int32_t recsize);  // create or empty, then write
  void close();

  [[nodiscard]] bool is_open() const { return fd_ >= 0; }
  [[nodiscard]] int handle() const { return fd_; }  // the descriptor, -1 when closed
  [[nodiscard]] std::int32_t recsize() const { return recsize_; }
  [[nodiscard]] int ioresult();

  // Reads up to count whole records; done gets the number read (fewer at the end).
  void blockread(void* buffer, std::int32_t count, std::int32_t& done);
  // Writes count records; done gets the number written.
  void blockwrite(const void* buffer, std::int32_t count, std::int32_t& done);
  // True when no further whole record can be read.
  [[nodiscard]] bool eof();

 private:
  void open_file(int flags, std::int32_t recsize);
  void fail(int code);

  sstr name_;
  int fd_ = -1;
  std::int32_t recsize_ = 0;
  int pending_ = 0;
};

// Low-level helpers shared with the descriptor layer of q5utils.
namespace fdio {

// Writes all n bytes, retrying after interruptions and partial writes. Gives 0 or the
// error number (EIO when a write makes no progress); done gets the bytes written.
[[nodiscard]] int write_all(int fd, const void* data, std::size_t n, std::size_t& done);
// Reads until n bytes or the end of the file, retrying after interruptions. Gives 0 or
// the error number; done gets the bytes read.
[[nodiscard]] int read_full(int fd, void* data, std::size_t n, std::size_t& done);

}  // namespace fdio

}  // namespace q5rt
