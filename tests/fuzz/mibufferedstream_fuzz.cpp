// Fuzz target of the machine-independent stream's reader: the input is the file, header
// included; a byte read from the stream picks each next typed read (compact integer and
// double, swapped numbers, strings, pchar), until the data ends.
#include <cstddef>
#include <cstdint>
#include <string>

#include "frame/strutilx.h"
#include "frame/zlmstrm_buffered.h"
#include "streamfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q5rt::run_startups();
  streamfuzz::loadzlib();
  const std::string path = streamfuzz::asfile(data, size);
  zlmstrm::tmibufferedstream in(path, zlmstrm::mode_read);
  streamfuzz::check(in.getlastioresult() == 0);
  const int good = in.goodbyteorder();
  streamfuzz::check(good >= 0 && good <= 63);
  for (int steps = 0; steps < 10000 && !in.iseof(); ++steps) {
    switch (in.readbyte() % 9) {
      case 0:
        (void)in.readzlminteger();
        break;
      case 1:
        (void)in.readzlmdouble();
        break;
      case 2:
        (void)in.readinteger();
        break;
      case 3:
        (void)in.readword();
        break;
      case 4:
        (void)in.readint64();
        break;
      case 5:
        (void)in.readdouble();
        break;
      case 6: {
        q5rt::sstr s;
        in.readstring(s);
        break;
      }
      case 7: {
        strutilx::pstring p = nullptr;
        in.readpstring(p);
        strutilx::disposestring(p);
        break;
      }
      default: {
        std::string block;
        const std::int32_t n = in.readpchar(block);
        streamfuzz::check(block.size() <= static_cast<std::size_t>(n > 0 ? n : 0));
        break;
      }
    }
  }
  return 0;
}
