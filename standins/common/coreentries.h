// The bodies of the core entries that every stand-in exports under its own names (create,
// free, signature check, API version), and the guard that runs an entry on the object behind
// a handle. Header only; shared by the dictionary, data-exchange, configuration and combined
// stand-ins. No exception leaves these functions.
#pragma once

#include <cstdint>
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

// XCheck against the library's own signature table.
inline int checkentry(const std::vector<standin::signature>& table, const standin::faults& f,
                      std::string_view lib, standin::sstrin name, int count,
                      const std::int32_t* codes, standin::sstrout msg) {
  try {
    std::string why;
    const int r = standin::xcheck(table, f, lib, standin::in(name), count, codes, why);
    standin::out(msg, why);
    return r;
  } catch (...) {
    return 0;
  }
}

// XAPIVersion: the library's own version only.
inline int apiversionentry(const standin::faults& f, std::string_view lib, int own, int asked,
                           standin::sstrout msg, std::int32_t* level) {
  try {
    std::string why;
    const int r = standin::xapiversion(f, lib, own, asked, why, level);
    standin::out(msg, why);
    return r;
  } catch (...) {
    return 0;
  }
}

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
