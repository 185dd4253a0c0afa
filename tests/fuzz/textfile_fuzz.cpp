// Fuzz target of the text-file reader: the input is a file in any form (plain, with a
// byte-order mark, signed and block-compressed, gzip); it is opened, read line by line,
// rewound when that is allowed, and read again. An open either succeeds or names its
// error; reading never delivers more than the file could hold.
#include <cstddef>
#include <cstdint>
#include <string>

#include "frame/zlmstrm_textfiles.h"
#include "streamfuzz.h"

namespace {

std::string readlines(zlmstrm::tbinarytextfileio& f) {
  std::string all;
  char line[256];
  int length = 0;
  std::uint8_t current = f.readcharacter();
  for (int lines = 0; lines < 100000; ++lines) {
    f.readline(line, length, 255, current);
    streamfuzz::check(length >= 0 && length <= 255);
    all.append(line, static_cast<std::size_t>(length));
    if (current == zlmstrm::endofdata) break;
    // A line end is consumed; a line cut at the maximum goes on with the current byte.
    if (current == 10 || current == 13) current = f.readcharacter();
  }
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q5rt::run_startups();
  streamfuzz::loadzlib();
  const std::string path = streamfuzz::asfile(data, size);
  zlmstrm::tbinarytextfileio f;
  int err = -1;
  q5rt::sstr msg;
  f.openforread(path, "", err, msg);
  streamfuzz::check((err == 0) == msg.empty());
  const std::string first = readlines(f);
  if (err != 0) {
    streamfuzz::check(first.empty());
    return 0;
  }
  if (f.filetype() == zlmstrm::filetype_gzip) return 0;
  // Uncompressed text cannot grow; a rewind reads the same text again.
  if (size < 14 || data[0] != 255) streamfuzz::check(first.size() <= size);
  const bool damaged = f.getlastioresult() != 0;
  f.rewind();
  const std::string again = readlines(f);
  if (!damaged) streamfuzz::check(again == first);
  return 0;
}
