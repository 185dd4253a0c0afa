// The program's door to the dynamic loader: load a shared library, look up its symbols,
// close it; the loader's message texts; the platform's library file name; the path of the
// running executable and of the image that holds this code.
//
// Usage (q5library::library owns what it loads and closes it when it goes):
//   q5rt::sstr msg;
//   q5library::library lib;
//   if (!lib.load(path, msg)) report(q5library::loadfailure(msg, path));
//   void* fn = lib.entry("entry");                  // nullptr when the library lacks it
//   void* any = lib.entryanycase("Entry");          // "entry", "Entry", then "ENTRY"
//   if (any == nullptr) report(q5library::entrynotfoundmsg("Entry", path));
//   (void)lib.release();  // only where the library must stay loaded to the end of the run
//
// A process-wide owner whose library must outlive static destruction releases it in its own
// destructor (bindproto::binding) or lives in an object never destroyed (xcompress).
//
// The raw calls (q5loadlibrary, q5getprocaddress, q5freelibrary) stay for code that keeps a
// handle it does not own.
#pragma once

#include <string>
#include <string_view>

#include "frame/q5rt.h"

namespace q5library {

// The message for a library path that a short string cannot hold (it is never cut: a cut
// path could name another file).
inline constexpr std::string_view pathtoolong = "Library path longer than 255 characters: ";

// The texts every loader of the program reports with.
inline constexpr std::string_view problemloading = " (problem occurred when trying to load ";
inline constexpr std::string_view entrynotfound = "Entry not found: ";

// Opaque loader handle; nullptr means that no library is loaded. Whoever loads owns it and
// releases it with q5freelibrary (or holds it in a q5library::library).
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

// "<loader's text> (problem occurred when trying to load <path>)", cut to 255 characters.
[[nodiscard]] q5rt::sstr loadfailure(const q5rt::sstr& loadermsg, std::string_view path);
// "Entry not found: <entry> in <file>", cut to 255 characters.
[[nodiscard]] q5rt::sstr entrynotfoundmsg(std::string_view entry, std::string_view file);

// One loaded library, owned: closed when the object goes, when another is loaded into it or
// by close(); release() gives the handle up and leaves the library loaded. Copying is
// deleted (two owners would close it twice); moving hands the ownership over.
class library {
 public:
  library() = default;
  explicit library(libhandle h) : h_(h) {}
  library(const library&) = delete;
  library& operator=(const library&) = delete;
  library(library&& other) noexcept : h_(other.h_) { other.h_ = nullptr; }
  library& operator=(library&& other) noexcept;
  ~library() { (void)close(); }

  // Closes what it held, then q5loadlibrary: true when loaded; on failure it holds nothing
  // and msg is the loader's text.
  [[nodiscard]] bool load(std::string_view path, q5rt::sstr& msg);
  [[nodiscard]] bool loaded() const { return h_ != nullptr; }
  [[nodiscard]] libhandle get() const { return h_; }
  // q5getprocaddress on the held library: the symbol's address or nullptr.
  [[nodiscard]] void* entry(std::string_view name) const { return q5getprocaddress(h_, name); }
  // The entry under its name in lower case, as given, then in upper case (ASCII only).
  [[nodiscard]] void* entryanycase(std::string_view name) const;
  // Closes the library and holds nothing: q5freelibrary's answer, false when nothing was held.
  bool close();
  // Gives the handle up without closing: the library stays loaded to the end of the process.
  libhandle release() {
    libhandle h = h_;
    h_ = nullptr;
    return h;
  }

 private:
  libhandle h_ = nullptr;
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
