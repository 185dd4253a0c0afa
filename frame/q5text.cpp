// Text files and untyped record files of the runtime layer.
#include "frame/q5text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "frame/q5rtnum.h"
#include "frame/strutilx_numbers.h"

namespace q5rt {

static_assert(iocode::eof_read == ioerr_read_past_eof && iocode::bad_number == ioerr_bad_numeric);

namespace {

constexpr std::size_t buffer_size = 65536;
constexpr std::size_t token_max = 255;

constexpr std::string_view not_input_text = "File not open for input";
constexpr std::string_view not_output_text = "File not open for output";
constexpr std::string_view not_open_text = "File not open";

// The system's path for a name; false for a name with an embedded zero byte.
bool system_path(const sstr& name, std::string& path) {
  path.assign(name.view());
  return path.find('\0') == std::string::npos;
}

// open() retried after interruptions; -1 with errno on failure.
int open_retry(const std::string& path, int flags) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// A token to a number by the runtime's Val rules; false when it is no number.
bool token_integer(std::string_view token, std::int32_t& value) {
  std::int32_t code = 0;
  value = Q5_Val_SPD(token, code);
  return code == 0;
}

bool token_real(std::string_view token, double& value) {
  const real_read r = convert_real_token(token);
  value = r.value;
  return r.status == read_status::ok;
}

}  // namespace

sstr iomessage(int code) {
  switch (code) {
    case iocode::eof_read:
      return sstr::cut(read_past_end);
    case iocode::bad_number:
      return sstr::cut(invalid_numeric_format);
    default:
      return syserrortext(code);
  }
}

namespace fdio {

int write_all(int fd, const void* data, std::size_t n, std::size_t& done) {
  const char* bytes = static_cast<const char*>(data);
  done = 0;
  while (done < n) {
    const ssize_t w = ::write(fd, bytes + done, n - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (w == 0) return EIO;  // no progress: the data would be lost silently
    done += static_cast<std::size_t>(w);
  }
  return 0;
}

int read_full(int fd, void* data, std::size_t n, std::size_t& done) {
  char* bytes = static_cast<char*>(data);
  done = 0;
  while (done < n) {
    const ssize_t r = ::read(fd, bytes + done, n - done);
    if (r < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (r == 0) break;
    done += static_cast<std::size_t>(r);
  }
  return 0;
}

}  // namespace fdio

// ---- textfile: state and opening ----

textfile::textfile() = default;

textfile::~textfile() {
  check_ = false;  // a destructor must not throw; close() reports to callers that ask
  close();
}

void textfile::assign(std::string_view name) {
  close();
  name_.assign_cut(name);
}

void textfile::fail(int code, std::string_view message) {
  if (check_) {
    const sstr text = message.empty() ? iomessage(code) : sstr::cut(message);
    throw io_error(code, text.view());
  }
  if (pending_ == 0) pending_ = code;
}

int textfile::ioresult() {
  const int code = pending_;
  pending_ = 0;
  return code;
}

void textfile::check() {
  if (pending_ == 0) return;
  const int code = pending_;
  pending_ = 0;
  const sstr text = iomessage(code);
  throw io_error(code, text.view());
}

void textfile::open_file(int flags, mode m) {
  close();
  pending_ = 0;
  if (!buf_) buf_ = std::make_unique<char[]>(buffer_size);
  pos_ = end_ = 0;
  at_end_ = false;
  if (name_.empty()) {  // the standard descriptors, never closed by this file
    fd_ = m == mode::input ? STDIN_FILENO : STDOUT_FILENO;
    stdio_out_ = m == mode::output;
    own_fd_ = false;
    mode_ = m;
    return;
  }
  std::string path;
  if (!system_path(name_, path)) return fail(ENOENT);
  const int fd = open_retry(path, flags);
  if (fd < 0) return fail(errno);
  struct stat st {};
  if (m == mode::input && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return fail(EISDIR);
  }
  fd_ = fd;
  own_fd_ = true;
  mode_ = m;
}

void textfile::reset() { open_file(O_RDONLY, mode::input); }
void textfile::rewrite() { open_file(O_WRONLY | O_CREAT | O_TRUNC, mode::output); }
void textfile::append() { open_file(O_WRONLY | O_APPEND, mode::output); }

int textfile::flush_output() {
  if (mode_ != mode::output) return 0;
  if (stdio_out_) return std::fflush(stdout) == 0 ? 0 : (errno != 0 ? errno : EIO);
  const std::size_t n = pos_;
  pos_ = 0;
  std::size_t done = 0;
  return n == 0 ? 0 : fdio::write_all(fd_, buf_.get(), n, done);
}

void textfile::flush() {
  if (const int err = flush_output(); err != 0) fail(err);
}

void textfile::release() {
  fd_ = -1;
  own_fd_ = false;
  stdio_out_ = false;
  mode_ = mode::closed;
  pos_ = end_ = 0;
  at_end_ = false;
}

void textfile::close() {
  if (mode_ == mode::closed) return;
  int err = flush_output();
  if (own_fd_ && ::close(fd_) != 0 && err == 0) err = errno;  // Linux frees fd_ even then
  release();
  if (err != 0) fail(err);
}

// ---- textfile: reading ----

bool textfile::can_read() {
  if (pending_ != 0) return false;
  if (mode_ == mode::input) return true;
  fail(iocode::access, is_open() ? not_input_text : not_open_text);
  return false;
}

bool textfile::fill(std::size_t need) {
  while (end_ - pos_ < need) {
    if (at_end_) return false;
    if (pos_ > 0) {
      std::memmove(buf_.get(), buf_.get() + pos_, end_ - pos_);
      end_ -= pos_;
      pos_ = 0;
    }
    ssize_t n;
    do {
      n = ::read(fd_, buf_.get() + end_, buffer_size - end_);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
      at_end_ = true;
      if (n < 0) fail(errno);
      return false;
    }
    end_ += static_cast<std::size_t>(n);
  }
  return true;
}

int textfile::peek() { return fill(1) ? static_cast<unsigned char>(buf_[pos_]) : -1; }

bool textfile::at_line_end() {
  const int c = peek();
  if (c == '\n') return true;
  return c == '\r' && fill(2) && buf_[pos_ + 1] == '\n';
}

bool textfile::eof() {
  if (mode_ != mode::input) {
    fail(iocode::access, is_open() ? not_input_text : not_open_text);
    return true;
  }
  return peek() < 0;
}

bool textfile::eoln() { return eof() || at_line_end(); }

bool textfile::next_token(char* token, std::size_t& length) {
  for (;;) {  // skip white space, line ends included
    while (pos_ < end_ && is_white(static_cast<unsigned char>(buf_[pos_]))) ++pos_;
    if (pos_ < end_) break;
    if (!fill(1)) return false;
  }
  length = 0;
  for (;;) {  // the whole token, keeping its first token_max characters
    while (pos_ < end_ && !is_white(static_cast<unsigned char>(buf_[pos_]))) {
      if (length < token_max) token[length] = buf_[pos_];
      ++length;
      ++pos_;
    }
    if (pos_ < end_ || !fill(1)) return true;
  }
}

bool textfile::number_token(char* buffer, std::string_view& token) {
  if (!can_read()) return false;
  std::size_t length = 0;
  const bool found = next_token(buffer, length);
  if (pending_ != 0) return false;  // a read error on the way
  if (!found) {
    fail(iocode::eof_read);
    return false;
  }
  if (length > token_max) {  // read whole, and no short-string number
    fail(iocode::bad_number);
    return false;
  }
  token = {buffer, length};
  return true;
}

std::int32_t textfile::read_integer() {
  char buffer[token_max];
  std::string_view token;
  std::int32_t value = 0;
  if (number_token(buffer, token) && !token_integer(token, value)) {
    fail(iocode::bad_number);
    value = 0;
  }
  return value;
}

double textfile::read_real() {
  char buffer[token_max];
  std::string_view token;
  double value = 0;
  if (number_token(buffer, token) && !token_real(token, value)) {
    fail(iocode::bad_number);
    value = 0;
  }
  return value;
}

char textfile::read_char() {
  if (!can_read()) return 0;
  if (at_line_end()) {
    pos_ += buf_[pos_] == '\r' ? 2 : 1;
    return '\n';
  }
  const int c = peek();
  if (c < 0) {
    if (pending_ == 0) fail(iocode::eof_read);
    return 0;
  }
  ++pos_;
  return static_cast<char>(c);
}

sstr textfile::read_string() {
  sstr s;
  if (!can_read()) return s;
  while (s.size() < sstr::capacity && !at_line_end() && peek() >= 0) {
    // Take the run of plain characters in the buffer at once.
    const char* start = buf_.get() + pos_;
    std::size_t n = std::min(end_ - pos_, sstr::capacity - s.size());
    if (const void* cr = std::memchr(start, '\r', n)) n = static_cast<const char*>(cr) - start;
    if (const void* lf = std::memchr(start, '\n', n)) n = static_cast<const char*>(lf) - start;
    if (n == 0) n = 1;  // a carriage return that does not end the line
    s.append_cut(std::string_view(start, n));
    pos_ += n;
  }
  return s;
}

void textfile::readln() {
  if (!can_read()) return;
  while (fill(1)) {  // past the next "\n" ("\r\n" ends with it too)
    const char* start = buf_.get() + pos_;
    if (const void* lf = std::memchr(start, '\n', end_ - pos_)) {
      pos_ += static_cast<std::size_t>(static_cast<const char*>(lf) - start) + 1;
      return;
    }
    pos_ = end_;
  }
}

sstr textfile::readln_string() {
  const sstr s = read_string();
  readln();
  return s;
}

// ---- textfile: writing ----

bool textfile::can_write() {
  if (pending_ != 0) return false;
  if (mode_ == mode::output) return true;
  fail(iocode::access, is_open() ? not_output_text : not_open_text);
  return false;
}

void textfile::put(const char* data, std::size_t n) {
  if (!can_write() || n == 0) return;
  if (stdio_out_) {  // through C's stdout, so that the order with other output holds
    errno = 0;
    if (std::fwrite(data, 1, n, stdout) != n) fail(errno != 0 ? errno : EIO);
    return;
  }
  if (pos_ + n > buffer_size) {
    if (const int err = flush_output(); err != 0) return fail(err);
  }
  if (n >= buffer_size) {
    std::size_t done = 0;
    if (const int err = fdio::write_all(fd_, data, n, done); err != 0) fail(err);
    return;
  }
  std::memcpy(buf_.get() + pos_, data, n);
  pos_ += n;
}

void textfile::write(std::string_view text) { put(text.data(), text.size()); }
void textfile::write(char c) { put(&c, 1); }

void textfile::write_integer(std::int64_t value) { write_integer(value, 0); }

void textfile::write_integer(std::int64_t value, int width) {
  const sstr digits = strutilx::inttostrw(value, 0);
  for (int i = static_cast<int>(digits.size()); i < width; ++i) write(' ');
  write(digits.view());
}

void textfile::writeln() { write('\n'); }

void textfile::writeln(std::string_view text) {
  write(text);
  write('\n');
}

textfile& output() {
  // Never destroyed: close-downs that run at exit may still write.
  static textfile* const out = [] {
    auto* f = new textfile;
    f->assign("");
    f->rewrite();
    f->set_iocheck(true);
    return f;
  }();
  return *out;
}

void Q5write_r(textfile& f, double x) { f.write(Q5_Str_dd0(x)); }
void Q5write_rx(textfile& f, double x, std::int32_t width) { f.write(Q5_Str_dd1(x, width)); }
void Q5write_ry(textfile& f, double x, std::int32_t width, std::int32_t decimals) {
  f.write(Q5_Str_dd2(x, width, decimals));
}

// ---- untypedfile ----

untypedfile::~untypedfile() { close(); }

void untypedfile::assign(std::string_view name) {
  close();
  name_.assign_cut(name);
}

void untypedfile::fail(int code) {
  if (pending_ == 0) pending_ = code;
}

int untypedfile::ioresult() {
  const int code = pending_;
  pending_ = 0;
  return code;
}

void untypedfile::open_file(int flags, std::int32_t recsize) {
  close();
  pending_ = 0;
  Q5_ASSERT(recsize >= 1, "record size below 1");
  std::string path;
  if (!system_path(name_, path) || name_.empty()) return fail(ENOENT);
  const int fd = open_retry(path, flags);
  if (fd < 0) return fail(errno);
  fd_ = fd;
  recsize_ = recsize;
}

void untypedfile::reset(std::int32_t recsize) { open_file(O_RDONLY, recsize); }
void untypedfile::rewrite(std::int32_t recsize) {
  open_file(O_WRONLY | O_CREAT | O_TRUNC, recsize);
}

void untypedfile::close() {
  if (fd_ < 0) return;
  if (::close(fd_) != 0) fail(errno);
  fd_ = -1;
}

namespace {

// Moves count whole records through a loop of fdio; done gets the whole records moved.
template <class Buffer, class Loop>
int records(int fd, std::int32_t recsize, Buffer buffer, std::int32_t count, std::int32_t& done,
            Loop loop) {
  if (count <= 0) return 0;
  const auto size = static_cast<std::size_t>(recsize);
  std::size_t moved = 0;
  const int err = loop(fd, buffer, static_cast<std::size_t>(count) * size, moved);
  done = static_cast<std::int32_t>(moved / size);
  return err;
}

}  // namespace

void untypedfile::blockread(void* buffer, std::int32_t count, std::int32_t& done) {
  done = 0;
  if (fd_ < 0) return fail(iocode::access);
  if (const int err = records(fd_, recsize_, buffer, count, done, &fdio::read_full)) fail(err);
}

void untypedfile::blockwrite(const void* buffer, std::int32_t count, std::int32_t& done) {
  done = 0;
  if (fd_ < 0) return fail(iocode::access);
  if (const int err = records(fd_, recsize_, buffer, count, done, &fdio::write_all)) fail(err);
}

bool untypedfile::eof() {
  if (fd_ < 0) {
    fail(iocode::access);
    return true;
  }
  struct stat st {};
  const off_t at = ::lseek(fd_, 0, SEEK_CUR);
  if (at < 0 || ::fstat(fd_, &st) != 0) {
    fail(errno);
    return true;
  }
  return at + recsize_ > st.st_size;
}

}  // namespace q5rt
