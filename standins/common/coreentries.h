// The bodies of the core entries that every stand-in exports under its own names (create,
// free, signature check, API version), and the guard that runs an entry on the object behind
// a handle. Header only; shared by every stand-in of a closed library. No exception leaves
// these functions.
//
// Usage (in a stand-in's boundary file):
//   const standincore::library lib{"zlmxyz", "ZLMXYZ", 3, zlmxyz::signaturetext};
//   STANDIN_EXPORT int XCheck(textin n, int c, const std::int32_t* t, textout m) {
//     return lib.check(n, c, t, m);
//   }
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "standins/common/standin.h"

namespace standincore {

// XCreate: a new T(args...) into *h, unless fault injection fails the creation.
template <typename T, typename... A>
void createobject(const standin::faults& f, void** h, std::string_view traceline, A&&... a) {
  if (h == nullptr) return;
  *h = nullptr;
  try {
    f.trace(traceline);
    if (!f.failcreate()) *h = new T(std::forward<A>(a)...);
  } catch (...) {
  }
}

// XFree: deletes the T behind *h and clears it.
template <typename T>
void freeobject(const standin::faults& f, void** h) {
  if (h == nullptr) return;
  try {
    f.trace("XFree");
  } catch (...) {
  }
  delete static_cast<T*>(*h);
  *h = nullptr;
}

// One stand-in library: its name in messages, its API version, the fault injection switches
// of its stem and its own signature table (the text of standin::parsesignatures), with the
// bodies of XCheck and XAPIVersion.
class library {
 public:
  library(std::string_view name, std::string_view stem, int apiversion, std::string_view signatures)
      : faults(stem), name_(name), apiversion_(apiversion) {
    try {
      table_ = standin::parsesignatures(signatures);
    } catch (...) {  // no table: XCheck confirms nothing
    }
  }

  const standin::faults faults;

  // XCheck against the library's own signature table.
  int check(standin::sstrin name, int count, const std::int32_t* codes,
            standin::sstrout msg) const {
    try {
      std::string why;
      const int r = standin::xcheck(table_, faults, name_, standin::in(name), count, codes, why);
      standin::out(msg, why);
      return r;
    } catch (...) {
      return 0;
    }
  }

  // The same for the "C"-prefixed form (CXCheck) with zero-terminated texts: an entry with
  // a text code (11, 12, 55) is confirmed only when it is one of cforms, the entries that
  // have that form in the library.
  int checkc(const char* name, int count, const std::int32_t* codes, char* msg,
             std::span<const std::string_view> cforms) const {
    try {
      std::string why;
      int r = standin::xcheck(table_, faults, name_, standin::inc(name), count, codes, why);
      bool text = false;
      for (int k = 0; codes != nullptr && k <= count; ++k)
        text = text || codes[k] == 11 || codes[k] == 12 || codes[k] == 55;
      if (r != 0 && text &&
          std::find(cforms.begin(), cforms.end(), standin::inc(name)) == cforms.end()) {
        why = std::string(name_) + ": " + std::string(standin::inc(name)) +
              " has no zero-terminated form in this library";
        r = 0;
      }
      standin::outc(msg, why);
      return r;
    } catch (...) {
      return 0;
    }
  }
  int apiversionc(int asked, char* msg, std::int32_t* level) const {
    try {
      std::string why;
      const int r = standin::xapiversion(faults, name_, apiversion_, asked, why, level);
      standin::outc(msg, why);
      return r;
    } catch (...) {
      return 0;
    }
  }

  // XAPIVersion: the library's own version only.
  int apiversion(int asked, standin::sstrout msg, std::int32_t* level) const {
    try {
      std::string why;
      const int r = standin::xapiversion(faults, name_, apiversion_, asked, why, level);
      standin::out(msg, why);
      return r;
    } catch (...) {
      return 0;
    }
  }

 private:
  std::string_view name_;
  int apiversion_;
  std::vector<standin::signature> table_;
};

// Runs f on the T behind h; fail for a nil handle or an exception.
template <typename T, typename R, typename F>
R with(void* h, R fail, F f) {
  if (h == nullptr) return fail;
  try {
    return f(*static_cast<T*>(h));
  } catch (...) {
    return fail;
  }
}

// Runs f on the T behind h for an entry without a result; nothing for a nil handle.
template <typename T, typename F>
void withvoid(void* h, F f) {
  (void)with<T>(h, 0, [&](T& t) {
    f(t);
    return 0;
  });
}

}  // namespace standincore
