// Fuzz target of the text instruction-code reader: see scratchfuzz.h for the input's form.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scratchfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  scratchfuzz::fuzzcode(std::string_view(reinterpret_cast<const char*>(data), size), true);
  return 0;
}
