// Fuzz target of the extrinsic-function description readers: the input is the dump file,
// stream header included, read with and without the release-dependent flags, and also a
// text description. Only the checked reads run; no library is loaded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
  libfuncs::tlibmanager mgr;
  std::int32_t position = 0;
  const std::int32_t code = mgr.readlibrary(
      std::string_view(reinterpret_cast<const char*>(data), size), position, "lib", "");
  streamfuzz::check(code == 0 ? position == 1 : mgr.librarycount() <= 1);
  for (std::int32_t f = 1; f <= mgr.libraryfunctioncount(1); ++f)
    streamfuzz::check(mgr.getifuncobj(libfuncs::packlibfuncnr(1, f))->nargs() <= 20);
  return 0;
}
