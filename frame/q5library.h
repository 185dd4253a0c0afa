// The program's door to the dynamic loader: load a shared library, look up its symbols,
// close it; the platform's library file name; the path of the running executable and of the
// image that holds this code.
//
// Usage:
//   q5rt::sstr msg;
//   q5library::libhandle h = q5library::q5loadlibrary(path, msg);
//   if (q5library::q5libhandleisnil(h))
//     report(q5rt::concat(msg, " (problem occurred when trying to load ", path, ")"));
//   auto* fn = q5library::q5getprocaddress(h, "entry");
//   (void)q5library::q5freelibrary(h);
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "frame/q5rt.h"

namespace q5library {

// The message for a library path that a short string cannot hold (it is never cut: a cut
// path could name another file).
inline constexpr std::string_view pathtoolong = "Library path longer than 255 characters: ";

// Opaque loader handle; nullptr means that no library is loaded. Whoever loads owns it and
// releases it with q5freelibrary.
using libhandle = void*;

// dlopen with RTLD_NOW | RTLD_GLOBAL. On failure nullptr, and msg is the loader's text (its
// first 255 characters) or "No message available".
[[nodiscard]] libhandle q5loadlibrary(std::string_view path, q5rt::sstr& msg);
// The symbol's address, or nullptr (always for a nil handle); leaves no pending loader error.
[[nodiscard]] void* q5getprocaddress(libhandle h, std::string_view name);
// True when the loader closed the library without error; false for a nil handle.
bool q5freelibrary(libhandle h);
[[nodiscard]] inline bool q5libhandleisnil(libhandle h) { return h == nullptr; }
[[nodiscard]] inline libhandle q5nillibhandle() { return nullptr; }

// An owned loaded library: closed when the object goes (or by close), never twice.
//   q5library::library lib;
//   if (!lib.load(path, msg)) report(msg);
//   auto* fn = lib.procaddress("entry");
class library {
 public:
  library() = default;
  ~library() { (void)close(); }
  library(const library&) = delete;
  library& operator=(const library&) = delete;

  // Closes a library held before; false with the loader's text in msg.
  bool load(std::string_view path, q5rt::sstr& msg) {
    (void)close();
    handle_ = q5loadlibrary(path, msg);
    return handle_ != nullptr;
  }
  // True when a held library was closed without error.
  bool close() { return q5freelibrary(std::exchange(handle_, nullptr)); }
  // Lets the library stay loaded for the rest of the process.
  void release() { handle_ = nullptr; }
  [[nodiscard]] bool loaded() const { return handle_ != nullptr; }
  [[nodiscard]] void* procaddress(std::string_view name) const { return q5getprocaddress(handle_, name); }

 private:
  libhandle handle_ = nullptr;
};

namespace detail {
// Directory (one trailing '/' dropped) + '/' + prefix + base + extension; no directory part
// when dir is empty.
[[nodiscard]] std::string makelibname(std::string_view dir, std::string_view base);
[[nodiscard]] std::string_view libraryext();
[[nodiscard]] std::string_view libraryprefix();
// Stores a full path: 0, or 1 when it had to be cut to 255 characters.
[[nodiscard]] int storepath(std::string_view path, q5rt::sstr& name);
// True when the code at this address is part of the main program, not of a shared library.
[[nodiscard]] bool inexecutable(const void* code);
// Argument zero from the command line's first word when the system gives no executable
// path: an absolute word as it is, a word with a '/' joined to cwd (a leading "./" dropped),
// else the first executable non-directory along pathvar ("." is cwd); a symbolic link there
// followed once. Empty when nothing is found or the result is longer than 254 characters.
[[nodiscard]] std::string argzerofrom(std::string_view word, std::string_view cwd,
                                      std::string_view pathvar);
}  // namespace detail

// The platform's file name of library base in directory dir, cut to result's capacity.
template <std::size_t N>
const q5rt::shortstring<N>& q5makelibname(q5rt::shortstring<N>& result, std::string_view dir,
                                          std::string_view base) {
  result.assign_cut(detail::makelibname(dir, base));
  return result;
}

// The running platform's library extension and prefix, cut to result's capacity.
template <std::size_t N>
const q5rt::shortstring<N>& q5libraryext(q5rt::shortstring<N>& result) {
  result.assign_cut(detail::libraryext());
  return result;
}
template <std::size_t N>
const q5rt::shortstring<N>& q5libraryprefix(q5rt::shortstring<N>& result) {
  result.assign_cut(detail::libraryprefix());
  return result;
}

// Path of the running executable (/proc/self/exe) and of the image holding this code:
// 0 done, 1 done but cut to 255 characters, 4 the system gave no path, 5 the image's path did
// not resolve. On 4 and 5 the name is empty and msg says why.
[[nodiscard]] int xgetexecname(q5rt::sstr& name, q5rt::sstr& msg);
[[nodiscard]] int xgetlibname(q5rt::sstr& name, q5rt::sstr& msg);

}  // namespace q5library

