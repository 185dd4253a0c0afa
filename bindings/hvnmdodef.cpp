// The environment object is header-only; this file compiles it with the program's units.
#include "bindings/hvnmdodef.h"
