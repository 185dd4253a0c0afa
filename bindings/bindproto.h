// The one engine behind every binding of Zolm's closed libraries: it finds a library's file,
// opens it, checks the library's API version, confirms each entry's signature through the
// library's XCheck, binds the entry or its fallback stub, and keeps the error handling, the
// object count and the three mutexes. The instance units (optdcdef, dctmdcdef, vrkdcdef,
// wyqdcdef, hvnmdcdef) are tables on this engine; the wrapper classes derive from
// bindproto::wrapper.
//
// Adding an instance (see bindings/optdcdef.h and .cpp for a complete one):
//   1. In the unit's header, write the entry list once, one row per API entry in binding
//      order:  X(ExportedName, cppname, wrappermethod, resultcode, parametercodes...)
//        #define XYZDCDEF_ENTRIES(X)  (each row but the last ends in a backslash)
//          X(xyzOpen,  xyzopen,  xyzopen,  3, 11, 4)
//          X(xyzClose, xyzclose, xyzclose, 0)
//      The codes are those the library's XCheck compares (table under "Type codes" below);
//      the C++ parameter and result types follow from them.
//   2. Declare the binding and generate the index enum and the callable entries:
//        extern bindproto::binding lib;
//        enum entryindex : std::size_t { XYZDCDEF_ENTRIES(BINDPROTO_INDEX) entrycount };
//        XYZDCDEF_ENTRIES(BINDPROTO_ENTRY)
//        BINDPROTO_OPERATIONS(xyz)       // xyzgetready, xyzcreate, xyzfree, ... on lib
//   3. In the unit's .cpp, the table and the instance's parameters, then the binding, its
//      entries() and its unit registration (and createdd where the library has XCreateD:
//      BINDPROTO_CREATEDD(xyz) in the header):
//        constexpr bindproto::entrydesc entrytable[] = {XYZDCDEF_ENTRIES(BINDPROTO_DESC)};
//        constexpr bindproto::instance params{.unit = "xyzdcdef", .basename = "zlmxyz", ...,
//                                             .where = q5rt::source_location::current()};
//        BINDPROTO_INSTANCE("xyzdcdef")
//   4. A wrapper class derives from bindproto::wrapper and generates its methods with
//      XYZDCDEF_ENTRIES(BINDPROTO_METHOD) after `namespace bindunit = xyzdcdef;` in its
//      namespace (see bindings/optdodef.h).
//   Libraries whose exports carry "D__"/"C__" prefixes set .prefix = prefixrule::dc; the rows
//   stay unprefixed.
//
// Calling an entry: xyzdcdef::xyzopen(handle, name, err) is one indirect call through the
// entry's slot, which holds the library's entry or the entry's fallback stub once loaded.
// Entries with a boolean result return bool; entries with a short-string result take the
// caller's result first: xyzdcdef::xyzname(result, handle, args...).
//
// Short strings cross the library boundary as q5rt::sstr (a length byte and 255 characters);
// input texts by pointer, output texts as a caller buffer of 256 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "frame/q5library.h"
#include "frame/q5rt.h"
#include "frame/stdthread.h"

namespace bindproto {

// An object of a closed library; nullptr means no object.
using handle = void*;
// Called by the error handling with the error count and the message; non-zero ends the run.
using errorcallback = int (*)(int errorcount, const q5rt::sstr& message);
// A routine pointer handed to a library (type code 59); the entry's own shape is the caller's.
using callbackproc = void (*)();

// ---- Type codes: the C++ type a caller passes (api) and the one that crosses the boundary
// (abi), for each code a library's XCheck knows. ----

template <int Code>
struct tc;

template <typename T>
struct same_type {  // passed as is
  using api = T;
  using abi = T;
  static abi pass(api a) { return a; }
};
template <typename T>
struct by_address {  // a reference on the caller's side, its address at the boundary
  using api = T&;
  using abi = T*;
  static abi pass(api a) { return &a; }
};

// clang-format off
template <> struct tc<1> : same_type<void*> {};                    // untyped pointer by value
template <> struct tc<2> : same_type<void**> {};                   // untyped pointer by reference
template <> struct tc<3> : same_type<std::int32_t> {};             // integer by value
template <> struct tc<4> : by_address<std::int32_t> {};            // integer written by the callee
template <> struct tc<6> : same_type<double*> {};                  // array of doubles
template <> struct tc<8> : same_type<std::int32_t*> {};            // array of integers
template <> struct tc<9> : same_type<const char*> {};              // zero-terminated text
template <> struct tc<10> : same_type<const char*> {};             // zero-terminated text
template <> struct tc<11> {                                        // short string, input
  using api = const q5rt::sstr&;
  using abi = const q5rt::sstr*;
  static abi pass(api a) { return &a; }
};
template <> struct tc<12> : by_address<q5rt::sstr> {};             // short string written
template <> struct tc<13> : same_type<double> {};                  // double by value
template <> struct tc<14> : by_address<double> {};                 // double written
template <> struct tc<15> {                                        // boolean, as an integer
  using api = bool;
  using abi = std::int32_t;
  static abi pass(api a) { return a ? 1 : 0; }
};
template <> struct tc<17> : by_address<q5rt::sstr> {};             // short string written
template <> struct tc<18> : same_type<char> {};                    // character by value
template <> struct tc<19> : same_type<char*> {};                   // character written
template <> struct tc<20> {                                        // boolean by reference
  using api = bool&;
  using abi = std::int32_t*;  // an integer the callee reads and writes
};
template <> struct tc<21> : by_address<std::int32_t> {};           // integer by reference
template <> struct tc<22> : by_address<double> {};                 // double by reference
template <> struct tc<23> : same_type<std::int64_t> {};            // 64-bit integer by value
template <> struct tc<51> : same_type<const std::int32_t*> {};     // integers, input
template <> struct tc<52> : same_type<std::int32_t*> {};           // integers, written
template <> struct tc<53> : same_type<const double*> {};           // doubles, input
template <> struct tc<54> : same_type<double*> {};                 // doubles, written
template <> struct tc<55> : same_type<const q5rt::sstr*> {};       // short strings, input
template <> struct tc<56> : same_type<q5rt::sstr*> {};             // short strings, written
template <> struct tc<57> : same_type<const double*> {};           // special values, input
template <> struct tc<58> : same_type<double*> {};                 // special values, written
template <> struct tc<59> : same_type<callbackproc> {};            // callback routine
// clang-format on

// One argument on its way across the boundary: the boundary value, made from the caller's
// argument. A boolean by reference travels as an integer in the carrier and is copied back
// when the carrier ends, after the call.
template <int Code>
class carrier {
 public:
  explicit carrier(typename tc<Code>::api a) : v_(tc<Code>::pass(a)) {}
  typename tc<Code>::abi get() const { return v_; }

 private:
  typename tc<Code>::abi v_;
};
template <>
class carrier<20> {
 public:
  explicit carrier(bool& b) : ref_(b), v_(b ? 1 : 0) {}
  carrier(const carrier&) = delete;
  carrier& operator=(const carrier&) = delete;
  ~carrier() { ref_ = v_ != 0; }
  std::int32_t* get() { return &v_; }

 private:
  bool& ref_;
  std::int32_t v_;
};

// Result codes: the boundary type, the caller's type and the fallback stub's answer.
template <int Code>
struct rc;
template <>
struct rc<0> {  // procedure
  using abi = void;
  static void fallback() {}
};
template <>
struct rc<1> {
  using abi = void*;
  static abi fallback() { return nullptr; }
};
template <>
struct rc<3> {
  using abi = std::int32_t;
  static abi fallback() { return 0; }
};
template <>
struct rc<13> {
  using abi = double;
  static abi fallback() { return 0.0; }
};
template <>
struct rc<15> {  // a replaced boolean entry answers true
  using abi = std::int32_t;
  static abi fallback() { return 1; }
};
template <>
struct rc<23> {
  using abi = std::int64_t;
  static abi fallback() { return 0; }
};

// An entry's signature: result code, then the codes of the parameters after the handle.
template <int R, int... P>
struct sig {
  static constexpr int codes[] = {R, P...};
  static constexpr int paramcount = sizeof...(P);
};

// ---- The instance's parameters ----

enum class prefixrule : std::uint8_t {
  none,  // entries are looked up and checked under their own names
  dc,    // looked up as "D__" + name (short-string codes) or "C__" + name; checked unprefixed
};

// One API entry as the engine sees it.
struct entrydesc {
  std::string_view name;  // unprefixed, as in the library's documentation
  const int* codes;       // result code, then one per parameter
  int paramcount;
  void* (*stubaddress)();  // the entry's fallback stub
};

struct instance {
  std::string_view unit;      // the binding unit's name, e.g. "optdcdef"
  std::string_view basename;  // the library's base name; the file is "lib" + base + "64" + ext
  // Core entries in lookup order; an empty name: the library has no such entry.
  std::string_view xcreate, xcreated, xfree, xcheck, xapiversion;
  // Optional entries; the load-path pair is looked up before the core entries.
  std::string_view setloadpath, getloadpath, initialize, finalize;
  int apiversion = 0;
  prefixrule prefix = prefixrule::none;
  std::span<const entrydesc> entries;
  // Where the instance is defined: the line the exception indicator's assertion names.
  q5rt::source_location where = q5rt::source_location::current();
};

// Boundary types of the core and optional entries.
using xcreate_fn = void (*)(handle*);
using xcreated_fn = void (*)(handle*, const q5rt::sstr*);
using xfree_fn = void (*)(handle*);
using xcheck_fn = std::int32_t (*)(const q5rt::sstr* name, std::int32_t count,
                                   const std::int32_t* codes, q5rt::sstr* msg);
using xapiversion_fn = std::int32_t (*)(std::int32_t api, q5rt::sstr* msg, std::int32_t* level);
using proc_fn = void (*)();
using setloadpath_fn = void (*)(const q5rt::sstr*);
using getloadpath_fn = void (*)(q5rt::sstr*);

// The state of one binding: one process-wide object per instance unit.
class binding {
 public:
  explicit binding(const instance& p);
  binding(const binding&) = delete;
  binding& operator=(const binding&) = delete;
  // A library still loaded when the process ends stays loaded: objects destroyed after the
  // binding may still call into it.
  ~binding() { (void)library_.release(); }

  // Unit start-up: the three mutexes, every pointer cleared. Close-down frees the mutexes.
  void startup();
  void closedown();

  // Making the library ready; a loaded library gives true and an empty message at once.
  [[nodiscard]] bool getready(q5rt::sstr& msg);                          // bare name, search
  [[nodiscard]] bool getreadyx(q5rt::sstr& msg);                         // beside the program
  [[nodiscard]] bool getreadyd(std::string_view dir, q5rt::sstr& msg);   // from a directory
  [[nodiscard]] bool getreadyl(std::string_view path, q5rt::sstr& msg);  // from a full path
  // getreadyx with the executable's directory given (empty: unknown).
  [[nodiscard]] bool getreadyxin(std::string_view exedir, q5rt::sstr& msg);

  // Ready as the like-named getready, then one library object.
  [[nodiscard]] bool create(handle& h, q5rt::sstr& msg);
  [[nodiscard]] bool createx(handle& h, q5rt::sstr& msg);
  [[nodiscard]] bool created(handle& h, std::string_view dir, q5rt::sstr& msg);
  [[nodiscard]] bool createdd(handle& h, std::string_view dir, q5rt::sstr& msg);  // XCreateD
  [[nodiscard]] bool createl(handle& h, std::string_view path, q5rt::sstr& msg);
  // Frees the object and clears h; a nil handle or an unloaded library: nothing happens.
  void free(handle& h);

  [[nodiscard]] bool libraryloaded();
  // Unloads unless objects live ("Could not unload library, object not freed.").
  void libraryunload();
  // True when p is an address the library supplied for a confirmed entry; nil gives false.
  [[nodiscard]] bool funcloaded(const void* p) const;

  [[nodiscard]] bool getscreenindicator() const { return screen_; }
  void setscreenindicator(bool on) { screen_ = on; }
  [[nodiscard]] bool getexceptionindicator() const { return exception_; }
  void setexceptionindicator(bool on) { exception_ = on; }
  [[nodiscard]] bool getexitindicator() const { return exit_; }
  void setexitindicator(bool on) { exit_ = on; }
  [[nodiscard]] int geterrorcount() const { return apierrorcount_; }
  void seterrorcount(int n) { apierrorcount_ = n; }
  [[nodiscard]] errorcallback geterrorcallback() const { return callback_; }
  void seterrorcallback(errorcallback cb);

  // Counts the error, prints, raises, calls the callback and ends the run with exit code 123
  // as the indicators say; returns only when none of them ends the run.
  void errorhandling(std::string_view msg);

  [[nodiscard]] const q5rt::sstr& libfilename() const { return libfilename_; }
  [[nodiscard]] int objectcount() const { return objectcount_; }
  [[nodiscard]] const instance& params() const { return p_; }
  // The entry's slot: the library's entry, its fallback stub, or nil while not loaded.
  [[nodiscard]] void* slot(std::size_t i) const { return slots_[i]; }
  // The optional load-path entries (nil when the library has none or is not loaded).
  [[nodiscard]] setloadpath_fn setloadpathentry() const { return setloadpath_; }
  [[nodiscard]] getloadpath_fn getloadpathentry() const { return getloadpath_; }

  // Called by the fallback stub of entry i: XCheck's explanation, the composed line and the
  // error handling.
  void stubfailure(std::size_t i);

 private:
  enum class loadoutcome : std::uint8_t { loaded, notopened, failed };

  loadoutcome libloader(std::string_view dir, std::string_view file, q5rt::sstr& msg);
  void* lookup(std::string_view name, q5rt::sstr& msg) const;
  void loadentry(std::size_t i, bool checked, q5rt::sstr& msg);
  void xlibraryunload();
  bool readyunlocked(std::string_view dir, std::string_view file, q5rt::sstr& msg);
  bool finishcreate(bool ready, handle& h, q5rt::sstr& msg, std::string_view createddir,
                    bool withdir);
  stdthread::tstdmutex& mutex(const std::unique_ptr<stdthread::tstdmutex>& m) const;

  const instance& p_;
  q5library::library library_;
  q5rt::sstr libfilename_;
  std::unique_ptr<stdthread::tstdmutex> libmutex_, objmutex_, exceptmutex_;
  int objectcount_ = 0;
  int apierrorcount_ = 0;
  bool screen_ = true;
  bool exception_ = false;
  bool exit_ = true;
  errorcallback callback_ = nullptr;
  xcreate_fn xcreate_ = nullptr;
  xcreated_fn xcreated_ = nullptr;
  xfree_fn xfree_ = nullptr;
  xcheck_fn xcheck_ = nullptr;
  xapiversion_fn xapiversion_ = nullptr;
  proc_fn initialize_ = nullptr;
  proc_fn finalize_ = nullptr;
  setloadpath_fn setloadpath_ = nullptr;
  getloadpath_fn getloadpath_ = nullptr;
  std::vector<void*> slots_;   // the entry pointers
  std::vector<void*> loaded_;  // addresses of confirmed, found entries; nil otherwise
};

// ---- Callable entries and fallback stubs, generated from an entry's signature ----

template <binding& L, std::size_t I, typename Sig>
struct entry;

// An entry with a plain result; a boolean result (code 15) arrives as an integer. The
// carriers live to the end of the call's full expression, so booleans by reference are
// copied back before the result is returned.
template <binding& L, std::size_t I, int R, int... P>
struct entry<L, I, sig<R, P...>> {
  using fn = typename rc<R>::abi (*)(handle, typename tc<P>::abi...);
  using result = std::conditional_t<R == 15, bool, typename rc<R>::abi>;

  result operator()(handle h, typename tc<P>::api... a) const {
    const auto f = reinterpret_cast<fn>(L.slot(I));
    if constexpr (R == 15)
      return f(h, carrier<P>(a).get()...) != 0;
    else
      return f(h, carrier<P>(a).get()...);
  }
  // The handle first in every case (the wrapper's methods call this).
  result invoke(handle h, typename tc<P>::api... a) const { return (*this)(h, a...); }
  [[nodiscard]] void* address() const { return L.slot(I); }
};

// An entry with a short-string result: the library fills a 256-byte buffer of the adapter,
// which copies it into the caller's result, cut to the caller's capacity.
template <binding& L, std::size_t I, int... P>
struct entry<L, I, sig<12, P...>> {
  using fn = q5rt::sstr* (*)(handle, typename tc<P>::abi..., q5rt::sstr*);

  template <std::size_t N>
  const q5rt::shortstring<N>& operator()(q5rt::shortstring<N>& result, handle h,
                                         typename tc<P>::api... a) const {
    q5rt::sstr buffer;
    (void)reinterpret_cast<fn>(L.slot(I))(h, carrier<P>(a).get()..., &buffer);
    result.assign_cut(buffer.view());
    return result;
  }
  template <std::size_t N>
  const q5rt::shortstring<N>& invoke(handle h, q5rt::shortstring<N>& result,
                                     typename tc<P>::api... a) const {
    return (*this)(result, h, a...);
  }
  [[nodiscard]] void* address() const { return L.slot(I); }
};

template <binding& L, std::size_t I, typename Sig>
struct stub;

// Reports through the binding, then answers the fallback result; out-parameters untouched.
template <binding& L, std::size_t I, int R, int... P>
struct stub<L, I, sig<R, P...>> {
  static typename rc<R>::abi call(handle, typename tc<P>::abi...) {
    L.stubfailure(I);
    return rc<R>::fallback();
  }
};

// A replaced short-string entry answers one blank.
template <binding& L, std::size_t I, int... P>
struct stub<L, I, sig<12, P...>> {
  static q5rt::sstr* call(handle, typename tc<P>::abi..., q5rt::sstr* result) {
    L.stubfailure(I);
    if (result != nullptr) result->assign_cut(" ");
    return result;
  }
};

template <binding& L, std::size_t I, typename Sig>
void* stubaddress() {
  return reinterpret_cast<void*>(&stub<L, I, Sig>::call);
}

template <binding& L, std::size_t I, typename Sig>
constexpr entrydesc describe(std::string_view name) {
  return {name, Sig::codes, Sig::paramcount, &stubaddress<L, I, Sig>};
}

// ---- The wrapper base of the object classes ----

// Tags of the constructor variants (create needs none).
struct createx_t {};
struct created_t {};
struct createdd_t {};
struct createl_t {};
struct withhandle_t {};
inline constexpr createx_t createx{};
inline constexpr created_t created{};
inline constexpr createdd_t createdd{};
inline constexpr createl_t createl{};
inline constexpr withhandle_t withhandle{};

// Holds one library object handle and whether the wrapper frees it. A constructor always
// yields an object; the message is empty when the object is usable, else the binding's text
// or "Unknown error calling " + class text + "." + variant.
class wrapper {
 public:
  wrapper(const wrapper&) = delete;
  wrapper& operator=(const wrapper&) = delete;

  [[nodiscard]] handle gethandle() const { return handle_; }
  [[nodiscard]] bool ownshandle() const { return owns_; }

  [[nodiscard]] bool getscreenindicator() const { return lib_.getscreenindicator(); }
  void setscreenindicator(bool on) { lib_.setscreenindicator(on); }
  [[nodiscard]] bool getexceptionindicator() const { return lib_.getexceptionindicator(); }
  void setexceptionindicator(bool on) { lib_.setexceptionindicator(on); }
  [[nodiscard]] bool getexitindicator() const { return lib_.getexitindicator(); }
  void setexitindicator(bool on) { lib_.setexitindicator(on); }
  [[nodiscard]] int geterrorcount() const { return lib_.geterrorcount(); }
  void seterrorcount(int n) { lib_.seterrorcount(n); }
  [[nodiscard]] errorcallback geterrorcallback() const { return lib_.geterrorcallback(); }
  void seterrorcallback(errorcallback cb) { lib_.seterrorcallback(cb); }

 protected:
  wrapper(binding& lib, std::string_view classtext, q5rt::sstr& msg);
  wrapper(binding& lib, std::string_view classtext, createx_t, q5rt::sstr& msg);
  wrapper(binding& lib, std::string_view classtext, created_t, std::string_view dir,
          q5rt::sstr& msg);
  wrapper(binding& lib, std::string_view classtext, createdd_t, std::string_view dir,
          q5rt::sstr& msg);
  wrapper(binding& lib, std::string_view classtext, createl_t, std::string_view path,
          q5rt::sstr& msg);
  wrapper(binding& lib, std::string_view classtext, withhandle_t, handle h, q5rt::sstr& msg);
  ~wrapper();  // frees an owned handle through the binding

  handle handle_ = nullptr;

 private:
  void settle(bool ok, std::string_view classtext, std::string_view variant, q5rt::sstr& msg);

  binding& lib_;
  bool owns_ = true;
};

// The constructors of one library's object class on binding L with class text Text; the
// createdd constructor only where the library has XCreateD. A class derives from it and
// inherits them (`using wrapperof::wrapperof;`).
template <binding& L, const std::string_view& Text, bool WithCreateD>
class wrapperof : public wrapper {
 public:
  // create: the library by its default file name through the system loader's search.
  explicit wrapperof(q5rt::sstr& msg) : wrapper(L, Text, msg) {}
  // createx: beside the running program first, then the search.
  wrapperof(createx_t t, q5rt::sstr& msg) : wrapper(L, Text, t, msg) {}
  // created: the default file name in the directory.
  wrapperof(created_t t, std::string_view dir, q5rt::sstr& msg) : wrapper(L, Text, t, dir, msg) {}
  // createdd: as created, the object made through XCreateD with the directory.
  wrapperof(createdd_t t, std::string_view dir, q5rt::sstr& msg) requires WithCreateD
      : wrapper(L, Text, t, dir, msg) {}
  // createl: the library at the path.
  wrapperof(createl_t t, std::string_view path, q5rt::sstr& msg) : wrapper(L, Text, t, path, msg) {}
  // createwithhandle: borrows h (never freed here) and makes sure the library is loaded.
  wrapperof(withhandle_t t, handle h, q5rt::sstr& msg) : wrapper(L, Text, t, h, msg) {}
};

}  // namespace bindproto

// ---- Generators over an instance's entry list: X(Name, cppname, method, codes...) ----

// The entry's index in binding order.
#define BINDPROTO_INDEX(name, cpp, method, ...) ix_##cpp,
// The callable entry in the instance's namespace (needs `lib` declared there).
#define BINDPROTO_ENTRY(name, cpp, method, ...) \
  inline constexpr ::bindproto::entry<lib, ix_##cpp, ::bindproto::sig<__VA_ARGS__>> cpp{};
// The engine's row of the entry (in the instance's .cpp).
#define BINDPROTO_DESC(name, cpp, method, ...) \
  ::bindproto::describe<lib, ix_##cpp, ::bindproto::sig<__VA_ARGS__>>(#name),
// A wrapper method calling the entry with the wrapper's handle first (needs the namespace
// alias `bindunit` for the instance's unit in the wrapper's namespace).
#define BINDPROTO_METHOD(name, cpp, method, ...)                 \
  template <typename... A>                                       \
  decltype(auto) method(A&&... a) {                              \
    return bindunit::cpp.invoke(handle_, std::forward<A>(a)...); \
  }

// A wrapper's handle accessor and its pass-throughs to the binding's indicators, error count
// and error callback under the library's prefix (dct -> dctgethandle, dctgetscreenindicator,
// ...), inside the wrapper class.
#define BINDPROTO_WRAPPER_NAMES(px)                                                        \
  [[nodiscard]] ::bindproto::handle px##gethandle() const { return gethandle(); }          \
  [[nodiscard]] bool px##getscreenindicator() const { return getscreenindicator(); }       \
  void px##setscreenindicator(bool on) { setscreenindicator(on); }                         \
  [[nodiscard]] bool px##getexceptionindicator() const { return getexceptionindicator(); } \
  void px##setexceptionindicator(bool on) { setexceptionindicator(on); }                   \
  [[nodiscard]] bool px##getexitindicator() const { return getexitindicator(); }           \
  void px##setexitindicator(bool on) { setexitindicator(on); }                             \
  [[nodiscard]] int px##geterrorcount() const { return geterrorcount(); }                  \
  void px##seterrorcount(int n) { seterrorcount(n); }                                      \
  [[nodiscard]] ::bindproto::errorcallback px##geterrorcallback() const {                  \
    return geterrorcallback();                                                             \
  }                                                                                        \
  void px##seterrorcallback(::bindproto::errorcallback cb) { seterrorcallback(cb); }

// The unit-level operations of an instance, named after its library prefix (opt ->
// optgetready, optcreate, ...), forwarding to the binding `lib`.
#define BINDPROTO_OPERATIONS(px)                                                                \
  [[nodiscard]] inline bool px##getready(q5rt::sstr& m) { return lib.getready(m); }             \
  [[nodiscard]] inline bool px##getreadyx(q5rt::sstr& m) { return lib.getreadyx(m); }           \
  [[nodiscard]] inline bool px##getreadyd(std::string_view d, q5rt::sstr& m) {                  \
    return lib.getreadyd(d, m);                                                                 \
  }                                                                                             \
  [[nodiscard]] inline bool px##getreadyl(std::string_view p, q5rt::sstr& m) {                  \
    return lib.getreadyl(p, m);                                                                 \
  }                                                                                             \
  [[nodiscard]] inline bool px##create(::bindproto::handle& h, q5rt::sstr& m) {                 \
    return lib.create(h, m);                                                                    \
  }                                                                                             \
  [[nodiscard]] inline bool px##createx(::bindproto::handle& h, q5rt::sstr& m) {                \
    return lib.createx(h, m);                                                                   \
  }                                                                                             \
  [[nodiscard]] inline bool px##created(::bindproto::handle& h, std::string_view d,             \
                                        q5rt::sstr& m) {                                        \
    return lib.created(h, d, m);                                                                \
  }                                                                                             \
  [[nodiscard]] inline bool px##createl(::bindproto::handle& h, std::string_view p,             \
                                        q5rt::sstr& m) {                                        \
    return lib.createl(h, p, m);                                                                \
  }                                                                                             \
  inline void px##free(::bindproto::handle& h) { lib.free(h); }                                 \
  [[nodiscard]] inline ::bindproto::handle px##gethandle(::bindproto::handle h) { return h; }   \
  [[nodiscard]] inline bool px##libraryloaded() { return lib.libraryloaded(); }                 \
  inline void px##libraryunload() { lib.libraryunload(); }                                      \
  [[nodiscard]] inline bool px##funcloaded(const void* p) { return lib.funcloaded(p); }         \
  [[nodiscard]] inline bool px##getscreenindicator() { return lib.getscreenindicator(); }       \
  inline void px##setscreenindicator(bool v) { lib.setscreenindicator(v); }                     \
  [[nodiscard]] inline bool px##getexceptionindicator() { return lib.getexceptionindicator(); } \
  inline void px##setexceptionindicator(bool v) { lib.setexceptionindicator(v); }               \
  [[nodiscard]] inline bool px##getexitindicator() { return lib.getexitindicator(); }           \
  inline void px##setexitindicator(bool v) { lib.setexitindicator(v); }                         \
  [[nodiscard]] inline int px##geterrorcount() { return lib.geterrorcount(); }                  \
  inline void px##seterrorcount(int n) { lib.seterrorcount(n); }                                \
  [[nodiscard]] inline ::bindproto::errorcallback px##geterrorcallback() {                      \
    return lib.geterrorcallback();                                                              \
  }                                                                                             \
  inline void px##seterrorcallback(::bindproto::errorcallback cb) { lib.seterrorcallback(cb); } \
  inline void px##errorhandling(std::string_view m) { lib.errorhandling(m); }                   \
  inline void px##closedown() { lib.closedown(); }

// The wrapper unit's forwarders to its binding unit's getready variants, libraryloaded and
// libraryunload (dctmdodef::dctgetready calls dctmdcdef::dctgetready, ...).
#define BINDPROTO_OBJECT_FORWARDERS(px, unit)                                               \
  [[nodiscard]] inline bool px##getready(q5rt::sstr& m) { return unit::px##getready(m); }   \
  [[nodiscard]] inline bool px##getreadyx(q5rt::sstr& m) { return unit::px##getreadyx(m); } \
  [[nodiscard]] inline bool px##getreadyd(std::string_view d, q5rt::sstr& m) {              \
    return unit::px##getreadyd(d, m);                                                       \
  }                                                                                         \
  [[nodiscard]] inline bool px##getreadyl(std::string_view p, q5rt::sstr& m) {              \
    return unit::px##getreadyl(p, m);                                                       \
  }                                                                                         \
  [[nodiscard]] inline bool px##libraryloaded() { return unit::px##libraryloaded(); }       \
  inline void px##libraryunload() { unit::px##libraryunload(); }

// In an instance unit's .cpp, after its entrytable and params: the binding `lib`, the
// entries() accessor and the unit's start-up and close-down registration under its name.
#define BINDPROTO_INSTANCE(unitname)                                       \
  ::bindproto::binding lib{params};                                        \
  std::span<const ::bindproto::entrydesc> entries() { return entrytable; } \
  namespace {                                                              \
  void startup() { lib.startup(); }                                        \
  void closedown() { lib.closedown(); }                                    \
  q5rt::unit_registration reg{unitname, &startup, &closedown};             \
  }

// createdd for the instances whose library has XCreateD.
#define BINDPROTO_CREATEDD(px)                                                       \
  [[nodiscard]] inline bool px##createdd(::bindproto::handle& h, std::string_view d, \
                                         q5rt::sstr& m) {                            \
    return lib.createdd(h, d, m);                                                    \
  }
