// The EMP record's start-up: the record starts all zero.
#include "emp/empdata.h"

namespace empdata {

void clearrecord() { myemp = temprec{}; }

namespace {

void startup() { clearrecord(); }

q5rt::unit_registration reg{"empdata", &startup, nullptr};

}  // namespace

}  // namespace empdata
