// Shared by the extrinsic-function tests: a data location holding the test libraries of
// standins/extfuncs, the libraries' call trace, and a collector of registration messages.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/testutil.h"

namespace extfunctest {

inline std::string libdir() { return testutil::binary_dir() + "/standins/extfuncs"; }
inline std::string libfile(const std::string& base) { return "lib" + base + "64.so"; }

// Sets an environment variable for the object's life.
class envvar {
 public:
  envvar(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~envvar() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  envvar(const envvar&) = delete;
  envvar& operator=(const envvar&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// XDG_DATA_HOME pointing at a fresh folder (no other data folder holds the libraries);
// install() puts a test library into its "extrinsic_functions".
class datahome {
 public:
  datahome()
      : home_("XDG_DATA_HOME", dir_.path().string()), dirs_("XDG_DATA_DIRS", dir_.file("none")) {}
  void install(const std::string& base, const std::string& as = {}) const {
    const std::filesystem::path target = dir_.path() / "extrinsic_functions";
    std::filesystem::create_directories(target);
    std::filesystem::copy_file(libdir() + "/" + libfile(base),
                               target / (as.empty() ? libfile(base) : as),
                               std::filesystem::copy_options::overwrite_existing);
  }
  std::string file(const std::string& name) const { return dir_.file(name); }

 private:
  testutil::tempdir dir_;
  envvar home_;
  envvar dirs_;
};

// The test libraries' trace of XCreate, LibInit and XFree.
class trace {
 public:
  trace() : var_("EXTFUNCS_TRACE", dir_.file("trace.txt")) {}
  std::string text() const {
    return std::filesystem::exists(dir_.file("trace.txt"))
               ? testutil::read_file(dir_.file("trace.txt"))
               : std::string();
  }

 private:
  testutil::tempdir dir_;
  envvar var_;
};

// Registration messages as "E:text" and "W:text".
inline std::vector<std::string>& messages() {
  static std::vector<std::string> list;
  return list;
}
inline void collect(std::string_view text, bool iserror) {
  messages().push_back((iserror ? "E:" : "W:") + std::string(text));
}

}  // namespace extfunctest
