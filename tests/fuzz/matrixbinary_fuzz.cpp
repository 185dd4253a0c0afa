// Fuzz target of the binary matrix-file reader: see scratchfuzz.h for the input's form.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scratchfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  scratchfuzz::fuzzmatrix(std::string_view(reinterpret_cast<const char*>(data), size), false);
  return 0;
}
