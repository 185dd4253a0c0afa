// Project helper, not a unit of the system: the bridge's loader of Zolm's closed libraries.
//
// One loader per library (option, environment, model object), all from this one class and
// its instance table. A loader opens the library file with immediate binding (no global
// binding), binds the mandatory entries, asks the library whether it speaks the loader's
// API version and then, entry by entry in table order, asks the library to confirm the
// entry's signature before it binds it; an entry the library does not confirm is bound to
// its fallback stub, which reports and ends the process with exit code 123. Texts cross as
// zero-terminated strings; entries with a text code are looked up under "C" + name. The
// loader counts the objects created through it and refuses to unload the library while any
// is alive.
//
// Differences from the link's binding engine (bindings/bindproto.h): C-prefixed core
// entries, zero-terminated texts, every entry checked, a confirmed entry that is missing
// fails the load, no Initialize/Finalize, and the texts below.
//
// Locking is off until initmutexes() creates the loader's three mutexes: from then on
// loading, the unload and the loaded flag take libMutex, the object count objMutex and the
// error callback exceptMutex; no operation holds two at once. The bridge never switches it
// on: it serves one caller at a time.
//
// Usage (see bridge/bridgelibs.h for the three instances and their entries):
//   char msg[256];
//   void* h = nullptr;
//   if (!bridgeopt::lib.create(&h, msg, sizeof msg)) fail(msg);
//   (void)bridgeopt::optreaddefinition(h, path);
//   bridgeopt::lib.free(&h);
//   int unloaded = bridgeopt::lib.libraryunload();
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "bridge/libfile.h"

namespace bridgeloader {

using handle = void*;
using errorcallback = std::int32_t (*)(std::int32_t count, const char* text);

// ---- Type codes at the C boundary ----
// clang-format off

template <int Code> struct arg;
template <> struct arg<1> { using type = void*; };                   // opaque pointer
template <> struct arg<2> { using type = void**; };                  // pointer by address
template <> struct arg<3> { using type = std::int32_t; };            // integer
template <> struct arg<4> { using type = std::int32_t*; };           // integer output
template <> struct arg<5> { using type = const double*; };           // doubles, read
template <> struct arg<6> { using type = double*; };                 // doubles, written
template <> struct arg<7> { using type = const std::int32_t*; };     // integers, read
template <> struct arg<8> { using type = std::int32_t*; };           // integers, written
template <> struct arg<9> { using type = const char*; };             // text, passed directly
template <> struct arg<10> { using type = const char*; };            // text, passed directly
template <> struct arg<11> { using type = const char*; };            // text input
template <> struct arg<12> { using type = char*; };                  // text output buffer
template <> struct arg<13> { using type = double; };                 // double
template <> struct arg<14> { using type = double*; };                // double output
template <> struct arg<15> { using type = std::int32_t; };           // boolean
template <> struct arg<18> { using type = char; };                   // character
template <> struct arg<19> { using type = char*; };                  // character output
template <> struct arg<20> { using type = std::int32_t*; };          // boolean output
template <> struct arg<21> { using type = std::int32_t*; };          // integer in and out
template <> struct arg<22> { using type = double*; };                // double in and out
template <> struct arg<23> { using type = std::int64_t; };           // 64-bit integer
template <> struct arg<25> { using type = std::int64_t*; };          // 64-bit integer output
template <> struct arg<55> { using type = const char* const*; };     // array of texts
template <> struct arg<59> { using type = void (*)(); };             // callback

template <int Code> struct result { using type = typename arg<Code>::type; };
template <> struct result<0> { using type = void; };
// A text result: the library fills the caller's 256-character buffer, passed last, and
// returns it.
template <> struct result<12> { using type = char*; };
// clang-format on

// An entry's signature: result code, then one code per argument after the handle.
template <int R, int... P>
struct sig {
  static constexpr int codes[] = {R, P...};
  static constexpr int paramcount = sizeof...(P);
  static constexpr bool text = ((R == 12) || ... || (P == 11 || P == 12 || P == 55));
};

// The boundary type of an entry's function pointer.
template <typename Sig>
struct fnof;
template <int R, int... P>
struct fnof<sig<R, P...>> {
  using type = typename result<R>::type (*)(handle, typename arg<P>::type...);
};
template <int... P>
struct fnof<sig<12, P...>> {
  using type = char* (*)(handle, typename arg<P>::type..., char*);
};

// One row of an instance's entry table.
struct entrydesc {
  std::string_view name;  // without the "C"
  const int* codes;       // result code, then one per argument
  int paramcount;
  bool text;   // looked up as "C" + name
  void* stub;  // the fallback stub's address
};

// The points in which the three instances differ.
struct instance {
  std::string_view filename;  // default file name, found by the loader's search
  std::string_view xcreate, xcreated, xfree, xcheck, xapiversion;  // xcreated empty: none
  int apiversion = 0;
  bool loadpath = false;       // "CoptSetLoadPath"/"CoptGetLoadPath", looked up without check
  std::string_view noversion;  // the text when the version entry is missing
  std::span<const entrydesc> entries;
};

// The texts of the loader.
inline constexpr std::string_view couldnotload = "Could not load shared library ";
inline constexpr std::string_view couldnotloadsymbol = "Could not load symbol '";
inline constexpr std::string_view errorcreating = "Error while creating object";
inline constexpr std::string_view notinitialized = "Library needs to be initialized first";
inline constexpr std::string_view stubtext = " could not be loaded: ";
inline constexpr std::string_view problemmutex = "Problem initializing ";  // + the mutex

// Copies text into a caller's buffer of len characters, cut to len - 1 and terminated;
// nothing for a missing buffer or a length of 0 or less.
void setmsg(char* msg, int len, std::string_view text);

// The path the loader opens: the directory, "/" unless it ends with one, then the file
// name or, when it is empty, the default name; at most 511 characters.
[[nodiscard]] std::string joinpath(std::string_view dir, std::string_view file,
                                   std::string_view defaultname);
// A library path taken apart at its last "/" into directory and file.
struct splitpath {
  std::string dir, file;
};
[[nodiscard]] splitpath split(std::string_view path);

class loader {
 public:
  explicit loader(const instance& p);
  loader(const loader&) = delete;
  loader& operator=(const loader&) = delete;

  // Loading: 1 = loaded (at once when loaded already), 0 = failure with the message.
  int getready(char* msg, int len);
  int getreadyd(const char* dir, char* msg, int len);
  int getreadyl(const char* path, char* msg, int len);

  // Ready as the like-named getready, then one object: 1 = created, object count + 1.
  int create(handle* h, char* msg, int len);
  int created(handle* h, const char* dir, char* msg, int len);
  int createl(handle* h, const char* path, char* msg, int len);
  // Ready from dir, then the create-with-directory entry with the same directory.
  int createdd(handle* h, const char* dir, char* msg, int len);
  // The free entry on *h; object count - 1; 1.
  int free(handle* h);

  [[nodiscard]] int libraryloaded() const;
  // 0 while objects live (nothing happens); else closes the library, clears every entry
  // pointer and the loaded flag; 1.
  int libraryunload();
  // Asks the version entry again: 1 only when the compatibility figure is exactly 1.
  int correctlibraryversion(char* msg, int len);

  [[nodiscard]] int getscreenindicator() const { return screen_; }
  void setscreenindicator(int v) { screen_ = v != 0 ? 1 : 0; }
  [[nodiscard]] int getexceptionindicator() const { return exception_; }
  void setexceptionindicator(int v) { exception_ = v != 0 ? 1 : 0; }
  [[nodiscard]] int getexitindicator() const { return exit_; }
  void setexitindicator(int v) { exit_ = v != 0 ? 1 : 0; }
  [[nodiscard]] errorcallback geterrorcallback() const;
  void seterrorcallback(errorcallback cb);
  [[nodiscard]] int getapierrorcount() const { return apierrorcount_; }
  void setapierrorcount(int n) { apierrorcount_ = n; }
  // Counts, prints and ends the process with exit code 123 as the indicators say.
  void errorhandling(std::string_view text);

  // Creates libMutex, objMutex and exceptMutex unless they exist: one that cannot be made
  // is reported ("Problem initializing libMutex", ...) through errorhandling and stays
  // off. Locking is in force from here on.
  void initmutexes();
  // Destroys the three (none may be held) and switches locking off.
  void finimutexes();
  [[nodiscard]] int mutexisinitialized() const { return mutexinitialized_ ? 1 : 0; }
  // The mutexes themselves (nil while off), for a caller that checks their state.
  [[nodiscard]] std::mutex* libmutex() const { return libmutex_.get(); }
  [[nodiscard]] std::mutex* objmutex() const { return objmutex_.get(); }
  [[nodiscard]] std::mutex* exceptmutex() const { return exceptmutex_.get(); }

  [[nodiscard]] int objectcount() const;
  [[nodiscard]] void* slot(std::size_t i) const { return slots_[i]; }
  [[nodiscard]] const instance& params() const { return p_; }
  // The option library's load-path entry, when it has one (nil otherwise).
  [[nodiscard]] void* setloadpathentry() const { return setloadpath_; }

  // Called by the fallback stub of entry i.
  void stubfailure(std::size_t i);

 private:
  int libloader(std::string_view dir, std::string_view file, char* msg, int len);
  // Binds the mandatory entries, the version and the table; 0 done, else a failure.
  bool bindall(char* msg, int len);
  void clearentries();
  int finishcreate(int ready, handle* h, const char* dir, char* msg, int len);

  const instance& p_;
  bridge::libfile lib_;
  bool loaded_ = false;
  int objectcount_ = 0;
  int apierrorcount_ = 0;
  int screen_ = 1;
  int exception_ = 0;
  int exit_ = 1;
  errorcallback callback_ = nullptr;
  void* xcreate_ = nullptr;
  void* xcreated_ = nullptr;
  void* xfree_ = nullptr;
  void* xcheck_ = nullptr;
  void* xapiversion_ = nullptr;
  void* setloadpath_ = nullptr;
  void* getloadpath_ = nullptr;
  std::vector<void*> slots_;
  bool mutexinitialized_ = false;
  std::unique_ptr<std::mutex> libmutex_, objmutex_, exceptmutex_;
};

// ---- Callable entries and fallback stubs, generated from an entry's signature ----

template <loader& L, std::size_t I, typename Sig>
struct entry;
template <loader& L, std::size_t I, int R, int... P>
struct entry<L, I, sig<R, P...>> {
  using fn = typename fnof<sig<R, P...>>::type;
  template <typename... A>
  decltype(auto) operator()(handle h, A&&... a) const {
    return reinterpret_cast<fn>(L.slot(I))(h, std::forward<A>(a)...);
  }
  [[nodiscard]] void* address() const { return L.slot(I); }
  // The bound function itself, for a caller that calls it many times in a row.
  [[nodiscard]] fn function() const { return reinterpret_cast<fn>(L.slot(I)); }
};

template <loader& L, std::size_t I, typename F>
struct stub;
template <loader& L, std::size_t I, typename R, typename... A>
struct stub<L, I, R (*)(A...)> {
  static R call(A...) {
    L.stubfailure(I);
    if constexpr (!std::is_void_v<R>) return R{};
  }
};

template <loader& L, std::size_t I, typename Sig>
entrydesc describe(std::string_view name) {
  using fn = typename fnof<Sig>::type;
  return {name, Sig::codes, Sig::paramcount, Sig::text,
          reinterpret_cast<void*>(&stub<L, I, fn>::call)};
}

}  // namespace bridgeloader

// ---- Generators over an entry list X(Name, cppname, method, codes...) ----

#define BRIDGELOADER_INDEX(name, cpp, method, ...) ix_##cpp,
#define BRIDGELOADER_ENTRY(name, cpp, method, ...) \
  inline constexpr ::bridgeloader::entry<lib, ix_##cpp, ::bridgeloader::sig<__VA_ARGS__>> cpp{};
#define BRIDGELOADER_DESC(name, cpp, method, ...) \
  ::bridgeloader::describe<lib, ix_##cpp, ::bridgeloader::sig<__VA_ARGS__>>(#name),
