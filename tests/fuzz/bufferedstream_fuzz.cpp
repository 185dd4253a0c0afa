// Fuzz target of the buffered stream's reader: the first byte picks the compression and
// the size of the reads, the rest is the file. Reading must end, deliver at most the
// bytes a block can hold, and give the same bytes a second time after repositioning.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "frame/zlmstrm_buffered.h"
#include "streamfuzz.h"

namespace {

std::string readall(zlmstrm::tbufferedfilestream& in, std::uint32_t piece) {
  std::string out;
  std::string buf(piece, '\0');
  while (const std::uint32_t got = in.read(buf.data(), piece)) {
    streamfuzz::check(got <= piece);
    out.append(buf, 0, got);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q5rt::run_startups();
  streamfuzz::loadzlib();
  if (size == 0) return 0;
  const bool compressed = (data[0] & 1) != 0;
  const std::uint32_t piece = 1u + (data[0] >> 1) * 97u;
  const std::string path = streamfuzz::asfile(data + 1, size - 1);

  zlmstrm::tbufferedfilestream in(path, zlmstrm::mode_read);
  streamfuzz::check(in.getlastioresult() == 0);
  in.setcompression(compressed);
  const std::string first = readall(in, piece);
  const int result = in.getlastioresult();
  // A stored or compressed block holds at most one buffer, and blocks cost 3 bytes each.
  if (compressed && result == 0) streamfuzz::check(first.size() <= (size / 3 + 1) * 32768u);
  if (!compressed) streamfuzz::check(first.size() == size - 1 && result == 0);
  streamfuzz::check(in.readcharacter() == zlmstrm::endofdata);

  in.setposition(0);
  std::string again;
  for (int c = 0; again.size() < first.size() && !in.iseof(); ++c) {
    again.push_back(static_cast<char>(in.readcharacter()));
    if (c > (1 << 22)) break;
  }
  // Without damage the second road gives the same bytes.
  if (result == 0) streamfuzz::check(again == first);
  return 0;
}
