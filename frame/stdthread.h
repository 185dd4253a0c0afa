// The program's only lock: a non-recursive operating-system mutex owned by an object.
//
// Usage:
//   stdthread::tstdmutex libmutex;
//   libmutex.lock();     // throws stdthread::estdmutex when the system refuses
//   ...
//   libmutex.unlock();
#pragma once

#include <pthread.h>

#include <memory>
#include <string_view>

#include "frame/q5rt.h"

namespace stdthread {

// A failed lock: "Caught system error locking mutex: " + the system's text.
class estdmutex : public q5rt::exception {
 public:
  using q5rt::exception::exception;
};

class tstdmutex {
 public:
  tstdmutex();
  ~tstdmutex();  // the mutex must be unlocked
  tstdmutex(const tstdmutex&) = delete;
  tstdmutex& operator=(const tstdmutex&) = delete;

  void lock();                   // blocks until held; throws estdmutex on failure
  [[nodiscard]] bool trylock();  // true when taken; false when held or on any error
  void unlock();                 // the system's answer is dropped

 private:
  std::unique_ptr<pthread_mutex_t> mutex_;
};

namespace detail {
// The message of a lock that the system refused with error number err.
[[nodiscard]] q5rt::sstr lockfailuremessage(int err);
}  // namespace detail

}  // namespace stdthread
