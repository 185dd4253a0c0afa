// Fuzz target of the model loader's matrix reading: the file is loaded twice into fresh
// records, which must give the same result, status lines and record (nothing of one load
// stays behind for the next).
// Input: "filetype scaleopt priorityopt rows columns nonzeros\n" + matrix file. The
// units digit of the file type picks text (0) or binary layout 1 (any other); counts are
// bounded. No instruction code.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "frame/statlib.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"
#include "scratchfuzz.h"
#include "support/modelrecord.h"

namespace {

struct outcome {
  std::int32_t rc = 0;
  std::string lines;
  std::string record;
};

void take(const q5rt::sstr& text, std::int32_t channel, void* user) {
  if (channel == 1) *static_cast<std::string*>(user) += text.str();
}

// The matrix file of the run, in a folder of its own that goes with the process.
struct scratchfile {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("blfuzz-" + std::to_string(::getpid()));
  std::string name = (dir / "m.mat").string();
  scratchfile() { std::filesystem::create_directories(dir); }
  ~scratchfile() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

outcome load(const std::array<std::int32_t, 6>& v, std::int32_t filetype, const std::string& name) {
  gcdata::tmodel m;
  m.filetype = filetype;
  m.scaleopt = v[1];
  m.priorityopt = v[2];
  m.rows = v[3];
  m.cols = v[4];
  m.nonzeros = v[5];
  m.matfile.assign_cut(name);
  outcome o;
  statlib::registerwritecallback(&take, &o.lines);
  o.rc = gcload::loadmodel(m);
  statlib::registerwritecallback(nullptr, nullptr);
  o.record = testutil::describe(m);
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q5rt::run_startups();
  static const int status = statlib::gstatopen(0, 2, "");  // lines to the callback only
  (void)status;
  static const scratchfile file;
  const std::string& name = file.name;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::array<std::int32_t, 6> v{};
  std::string_view body;
  if (!scratchfuzz::header(input, v, body)) return 0;
  const std::int32_t filetype = scratchfuzz::layouttype(v[0], v[0] % 10 == 0);
  v[3] = std::min(std::max(v[3], 0), scratchfuzz::maxcount);
  v[4] = std::min(std::max(v[4], 0), scratchfuzz::maxcount);
  v[5] = std::min(std::max(v[5], 0), static_cast<std::int32_t>(scratchfuzz::maxentries));
  std::ofstream(name, std::ios::binary)
      .write(body.data(), static_cast<std::streamsize>(body.size()));
  const outcome first = load(v, filetype, name);
  const outcome again = load(v, filetype, name);
  scratchfuzz::check(again.rc == first.rc && again.lines == first.lines &&
                     again.record == first.record);
  return 0;
}
