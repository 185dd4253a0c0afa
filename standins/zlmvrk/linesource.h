// The lines of a data-exchange file, read through one buffer of fixed size that a long line
// widens: the reader checks a whole file at open and later reads a symbol's records from
// where they start, without holding the file in memory. The same from a text in memory (the
// seam for tests). Lines end at "\n" (not included); the text after the last "\n" is a line
// when not empty. Header only.
//
// Usage:
//   zlmvrk::linesource src;
//   if (!src.openfile(path)) fail();
//   std::string_view line;
//   while (src.next(line)) ... src.offset() ...   // the offset after the line
//   if (src.failed()) ...                         // a read error ended the lines
//   src.seek(offset);                             // lines again from a line's start
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zlmvrk {

class linesource {
 public:
  static constexpr std::size_t defaultbuffer = 256 * 1024;

  explicit linesource(std::size_t buffersize = defaultbuffer)
      : size_(std::max<std::size_t>(buffersize, 2)) {}
  linesource(const linesource&) = delete;
  linesource& operator=(const linesource&) = delete;
  ~linesource() { close(); }

  // Reads the file; false when it cannot be opened.
  bool openfile(const std::string& path) {
    close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return false;
    buffer_.resize(size_);
    return true;
  }

  // Reads the text (a copy).
  void opentext(std::string_view text) {
    close();
    text_.assign(text);
  }

  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    text_.clear();
    std::vector<char>().swap(buffer_);
    begin_ = end_ = 0;
    base_ = 0;
    eof_ = failed_ = false;
  }

  // Lines again from offset, the start of a line.
  void seek(std::uint64_t offset) {
    base_ = offset;
    begin_ = end_ = 0;
    eof_ = failed_ = false;
  }

  // The next line; false at the end of the lines.
  bool next(std::string_view& line) {
    if (fd_ < 0) return nexttext(line);
    for (;;) {
      const char* b = buffer_.data();
      const void* nl = std::memchr(b + begin_, '\n', end_ - begin_);
      if (nl != nullptr) {
        const auto stop = static_cast<std::size_t>(static_cast<const char*>(nl) - b);
        line = std::string_view(b + begin_, stop - begin_);
        advance(stop + 1);
        return true;
      }
      if (eof_) {
        if (begin_ == end_) return false;
        line = std::string_view(b + begin_, end_ - begin_);
        advance(end_);
        return true;
      }
      fill();
    }
  }

  // The offset of the next line.
  [[nodiscard]] std::uint64_t offset() const { return base_; }
  [[nodiscard]] bool failed() const { return failed_; }

 private:
  // Moves past the line just taken: base_ follows the buffer position.
  void advance(std::size_t to) {
    base_ += to - begin_;
    begin_ = to;
  }

  // Keeps the started line at the buffer's front and reads behind it; a line as long as the
  // buffer doubles it.
  void fill() {
    if (begin_ > 0) {
      std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
      end_ -= begin_;
      begin_ = 0;
    }
    if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    const auto at = static_cast<off_t>(base_ + end_);
    const ssize_t n = ::pread(fd_, buffer_.data() + end_, buffer_.size() - end_, at);
    if (n > 0) {
      end_ += static_cast<std::size_t>(n);
    } else {
      eof_ = true;
      failed_ = n < 0;
    }
  }

  bool nexttext(std::string_view& line) {
    if (base_ >= text_.size()) return false;
    const std::string_view rest = std::string_view(text_).substr(base_);
    const std::size_t stop = rest.find('\n');
    line = rest.substr(0, stop);
    base_ += stop == std::string_view::npos ? rest.size() : stop + 1;
    return true;
  }

  std::size_t size_;
  int fd_ = -1;
  std::string text_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;   // the next line's start in the buffer
  std::size_t end_ = 0;     // the bytes read into the buffer
  std::uint64_t base_ = 0;  // the file offset of begin_
  bool eof_ = false;
  bool failed_ = false;
};

}  // namespace zlmvrk
