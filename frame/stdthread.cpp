// The mutex over pthreads.
#include "frame/stdthread.h"

#include <system_error>

namespace stdthread {

tstdmutex::tstdmutex() : mutex_(new pthread_mutex_t(PTHREAD_MUTEX_INITIALIZER)) {}

tstdmutex::~tstdmutex() { ::pthread_mutex_destroy(mutex_.get()); }

void tstdmutex::lock() {
  const int err = ::pthread_mutex_lock(mutex_.get());
  if (err == 0) return;
  q5rt::sstr message;
  try {
    message = detail::lockfailuremessage(err);
  } catch (...) {
    throw estdmutex("Caught exception locking mutex");
  }
  throw estdmutex(message.view());
}

bool tstdmutex::trylock() { return ::pthread_mutex_trylock(mutex_.get()) == 0; }

void tstdmutex::unlock() { (void)::pthread_mutex_unlock(mutex_.get()); }

namespace detail {

q5rt::sstr lockfailuremessage(int err) {
  return q5rt::concat("Caught system error locking mutex: ", std::system_category().message(err));
}

}  // namespace detail

}  // namespace stdthread
