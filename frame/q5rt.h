// The program's small runtime layer: short strings, the exception classes, halt and the
// units' start-up/close-down registry, the error-number text and the millisecond ticks.
//
// Usage:
//   q5rt::sstr name = q5rt::sstr::cut(some_view);   // cut to 255 characters
//   Q5_ASSERT(count < max, "list full");            // throws q5rt::assertion_error
//   static q5rt::unit_registration reg{"strutilx", &startup, &closedown};
//   q5rt::halt(123);                                 // close-downs run, then exit
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>

namespace q5rt {

// A short string: a length byte and at most Cap characters, no terminator.
// Trivially copyable; storing a longer text keeps its first Cap characters.
template <std::size_t Cap>
class shortstring {
  static_assert(Cap >= 1 && Cap <= 255, "a short string holds 1 to 255 characters");

 public:
  static constexpr std::size_t capacity = Cap;

  constexpr shortstring() = default;

  // The text cut to the capacity.
  static constexpr shortstring cut(std::string_view text) {
    shortstring s;
    s.assign_cut(text);
    return s;
  }

  constexpr void assign_cut(std::string_view text) {
    len_ = static_cast<unsigned char>(std::min(text.size(), Cap));
    std::copy_n(text.data(), len_, chars_);
  }
  constexpr void append_cut(std::string_view text) {
    const std::size_t used = std::min<std::size_t>(len_, Cap);
    const std::size_t n = std::min(text.size(), Cap - used);
    std::copy_n(text.data(), n, chars_ + len_);
    len_ = static_cast<unsigned char>(len_ + n);
  }
  constexpr void append_cut(char c) {
    if (len_ < Cap) chars_[len_++] = c;
  }
  // Sets the length directly, cut to the capacity (after filling data()).
  constexpr void set_length(std::size_t n) { len_ = static_cast<unsigned char>(std::min(n, Cap)); }
  constexpr void clear() { len_ = 0; }

  constexpr std::size_t size() const { return len_; }
  constexpr std::size_t length() const { return len_; }
  constexpr bool empty() const { return len_ == 0; }
  constexpr const char* data() const { return chars_; }
  constexpr char* data() { return chars_; }
  constexpr char operator[](std::size_t i) const { return chars_[i]; }
  constexpr char& operator[](std::size_t i) { return chars_[i]; }

  // The length is clamped to the capacity so that the optimiser can see the bound.
  constexpr std::string_view view() const { return {chars_, std::min<std::size_t>(len_, Cap)}; }
  constexpr operator std::string_view() const { return view(); }
  std::string str() const { return std::string(chars_, len_); }

  friend constexpr bool operator==(const shortstring& a, const shortstring& b) {
    return a.view() == b.view();
  }
  friend constexpr bool operator==(const shortstring& a, std::string_view b) {
    return a.view() == b;
  }

 private:
  unsigned char len_ = 0;
  char chars_[Cap] = {};
};

using sstr = shortstring<255>;
static_assert(sizeof(sstr) == 256);
static_assert(std::is_trivially_copyable_v<sstr>);

// Concatenation into a 255-character short string, cut at the capacity.
template <typename... Parts>
sstr concat(const Parts&... parts) {
  sstr s;
  (s.append_cut(std::string_view(parts)), ...);
  return s;
}

// The text without blanks and control characters (codes up to 32) at both ends.
[[nodiscard]] constexpr std::string_view trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

// The base class of the program's own exceptions; carries a short-string message.
class exception : public std::exception {
 public:
  explicit exception(std::string_view message) : message_(sstr::cut(message)) {
    what_.assign(message_.view());
  }
  const sstr& message() const { return message_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  sstr message_;
  std::string what_;
};

// A source position taken at the call site (works where q5rt::source_location does not).
struct source_location {
  static constexpr source_location current(const char* file = __builtin_FILE(),
                                           int line = __builtin_LINE()) noexcept {
    return {file, line};
  }
  constexpr const char* file_name() const { return file; }
  constexpr int line_number() const { return line; }
  const char* file = "";
  int line = 0;
};

// A failed internal check: "text (file:N)", the file name without its folder.
class assertion_error : public exception {
 public:
  assertion_error(std::string_view text, const char* file, int line);
  explicit assertion_error(std::string_view text,
                           source_location where = source_location::current())
      : assertion_error(text, where.file, where.line) {}
};

// Ends the program without a message.
class silent_abort : public exception {
 public:
  silent_abort() : exception("") {}
};

// An input/output error raised while I/O checking is on; code is the error number.
class io_error : public exception {
 public:
  io_error(int code, std::string_view message) : exception(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

#define Q5_ASSERT(cond, text)                         \
  do {                                                \
    if (!(cond)) throw ::q5rt::assertion_error(text); \
  } while (0)

// ---- units, halt and exit code ----

using unit_proc = void (*)();

// A unit registers its start-up and close-down once, from a static object of its own file.
// Start-ups run in the program's fixed unit order (units not in that order follow, in
// registration order); close-downs run once, in reverse, at process end.
struct unit_registration {
  unit_registration(const char* name, unit_proc startup, unit_proc closedown);
};

// Runs every registered start-up once and arranges the close-downs for process exit.
void run_startups();

// Runs the close-downs now (once); for tests and for main's normal return path.
void run_closedowns();

// Ends the process with the exit code. The first halt runs the close-downs; a halt
// during the close-down ends the process at once.
[[noreturn]] void halt(int code);

// True once a halt or the normal exit has begun the close-down.
bool finishing();

// The process exit code that main returns.
inline int exitcode = 0;

// ---- system services ----

// The system's text for an error number (C locale).
sstr syserrortext(int code);

// Milliseconds from an arbitrary start; tests may replace the source.
using tick_source = std::uint64_t (*)();
std::uint64_t tick_ms();
void set_tick_source(tick_source source);  // nullptr restores the clock

}  // namespace q5rt
