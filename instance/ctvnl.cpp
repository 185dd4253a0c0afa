// The instruction-code vocabulary is constant data; see ctvnl.h.
#include "instance/ctvnl.h"
