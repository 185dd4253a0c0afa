// The IEEE classification is constexpr in q5ieeefp.h; this file keeps the unit's place.
#include "frame/q5ieeefp.h"
