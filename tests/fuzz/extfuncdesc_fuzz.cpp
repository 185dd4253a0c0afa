// Fuzz target of the extrinsic-function description reader: the input is the file, stream
// header included, read with and without the release-dependent flags. Only the checked
// read runs; no library is loaded.
#include <cstddef>
#include <cstdint>
#include <string>

#include "frame/zlmstrm_buffered.h"
#include "funclib/libfuncs.h"
#include "streamfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q5rt::run_startups();
  const std::string path = streamfuzz::asfile(data, size);
  for (const std::int32_t release : {250, 240}) {
    zlmstrm::tmibufferedstream in(path, zlmstrm::mode_read);
    streamfuzz::check(in.getlastioresult() == 0);
    libfuncs::tlibmanager mgr;
    q5rt::sstr msg;
    const bool ok = mgr.readdump(release, in, msg);
    streamfuzz::check(ok == msg.empty());
    streamfuzz::check(mgr.librarycount() <= libfuncs::maxposition);
    for (std::int32_t lib = 1; lib <= mgr.librarycount(); ++lib)
      for (std::int32_t f = 1; f <= mgr.libraryfunctioncount(lib); ++f) {
        const std::int32_t nargs = mgr.getifuncobj(libfuncs::packlibfuncnr(lib, f))->nargs();
        streamfuzz::check(ok ? nargs >= 0 && nargs <= 20 : nargs <= 20);
      }
  }
  return 0;
}
