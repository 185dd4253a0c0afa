// A function that does nothing, in a library of its own: bridge_bench calls it as often as
// the bridge calls the model object's one-variable setters, to show what the calls alone cost.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) void benchemptycall(void* /*handle*/,
                                                                      std::int32_t /*index*/,
                                                                      double /*value*/) {}
