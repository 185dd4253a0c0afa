// The dictionary reader is header-only; this file compiles it with the program's units.
#include "bindings/dctmdodef.h"
