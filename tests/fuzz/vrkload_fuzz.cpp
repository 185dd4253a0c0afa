// Fuzz target of loading a model instance in the data-exchange layout (file type 5): the
// data-exchange stand-in reads the file, the link's layout-5 reader and the loader take
// what it delivers. The stand-in's file format is outside input for the link.
// Input: "rows columns nonzeros instructions poolsize\n" + the data-exchange file, which
// serves as matrix and instruction-code file; counts are bounded. A model loaded whole is
// written again in layout 5 and loaded again (its code may come back in row order, so the
// records are not compared).
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "bindings/vrkdcdef.h"
#include "frame/statlib.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"
#include "quietfuzz.h"
#include "scratchfuzz.h"
#include "support/scratchwrite.h"

namespace {

void drop(const q5rt::sstr&, std::int32_t, void*) {}

struct scratchfile {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("blfuzzvrk-" + std::to_string(::getpid()));
  std::string name = (dir / "m.vrk").string();
  std::string again = (dir / "again.vrk").string();
  scratchfile() { std::filesystem::create_directories(dir); }
  ~scratchfile() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

std::int32_t load(gcdata::tmodel& m, const std::array<std::int32_t, 5>& v,
                  const std::string& name) {
  m.filetype = 5;
  m.rows = v[0];
  m.cols = v[1];
  m.nonzeros = v[2];
  m.instrcount = v[3];
  m.poolsize = v[4];
  m.matfile.assign_cut(name);
  m.instrfile.assign_cut(name);
  return gcload::loadmodel(m);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q5rt::run_startups();
  quietfuzz::silence();  // the loader's "*** " line per refused file
  static const int status = statlib::gstatopen(0, 2, "");
  (void)status;
  static const bool ready = [] {
    q5rt::sstr msg;
    return vrkdcdef::vrkgetreadyd(BL_STANDIN_LIB, msg);
  }();
  scratchfuzz::check(ready);
  static const scratchfile file;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::array<std::int32_t, 5> v{};
  std::string_view body;
  if (!scratchfuzz::header(input, v, body)) return 0;
  for (std::int32_t& x : v) x = std::clamp(x, 0, scratchfuzz::maxcount);
  std::ofstream(file.name, std::ios::binary)
      .write(body.data(), static_cast<std::streamsize>(body.size()));
  statlib::registerwritecallback(&drop, nullptr);
  gcdata::tmodel m;
  const std::int32_t rc = load(m, v, file.name);
  if (rc == gcload::loadok && scratchwrite::writemodel(m, 5, file.again, file.again).empty()) {
    gcdata::tmodel again;
    (void)load(again, v, file.again);
  }
  statlib::registerwritecallback(nullptr, nullptr);
  return 0;
}
