// Fuzz target of the solver capabilities file's reader: the input is the file. It is read
// into a fresh solver table (no configuration file of the machine takes part) and the
// table is written again.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "frame/gfileopen.h"
#include "frame/q5rt.h"
#include "instance/zlmconf.h"
#include "scratchfuzz.h"

namespace {

struct scratchfile {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("blfuzzcaps-" + std::to_string(::getpid()));
  std::string name = (dir / "caps.txt").string();
  std::string out = (dir / "out.txt").string();
  scratchfile() {
    std::filesystem::create_directories(dir);
    ::setenv("XDG_CONFIG_HOME", (dir / "none").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (dir / "none").c_str(), 1);
  }
  ~scratchfile() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q5rt::run_startups();
  static const scratchfile file;
  gfileopen::detail::set_sleeper([](int) {});
  std::ofstream(file.name, std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  q5rt::sstr msg;
  zlmconf::tzlmconf table(msg);
  const std::int32_t n = table.screadconfig(file.name, "");
  scratchfuzz::check(n == table.scnummsg());
  for (std::int32_t k = 1; k <= zlmconf::modeltypecount - 1; ++k) {
    const std::int32_t d = table.scgetdefault(k);
    scratchfuzz::check(d >= 0 && d <= table.getnumalgs());
  }
  table.scclearmsg();
  scratchfuzz::check(table.scwriteconfig(file.out) == 0);
  return 0;
}
