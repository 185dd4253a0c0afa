// Helpers shared by the tests: temporary folders, whole-file reads and writes, child runs.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Set in a build under AddressSanitizer, by gcc (__SANITIZE_ADDRESS__) or by clang.
#if defined(__SANITIZE_ADDRESS__)
#define BL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BL_ADDRESS_SANITIZER 1
#endif
#endif

namespace testutil {

// A fresh folder below the system's temporary folder, removed with the object.
class tempdir {
 public:
  tempdir();
  ~tempdir();
  tempdir(const tempdir&) = delete;
  tempdir& operator=(const tempdir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

// Result of a child process run: exit code (or -signal) and its standard output.
struct run_result {
  int exit_code = 0;
  std::string out;
};

// Runs a program with arguments, standard input from /dev/null, in the given folder
// (empty: the current one), with the environment variables env ("NAME=value") set,
// capturing standard output (standard error stays).
run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workdir = "", const std::vector<std::string>& env = {});

// Path of the built baronlink and of the source tree.
std::string baronlink_path();
std::string source_dir();
std::string binary_dir();
// The folder of the stand-in libraries, and of a variant ("zlmopt-lean", ...).
inline std::string standinlib() { return binary_dir() + "/standins/lib"; }
// The environment of a run with the stand-ins: their programs first on PATH, their
// libraries found by the loader's search.
std::vector<std::string> standinenv();
inline std::string standinvariant(const std::string& name) {
  return binary_dir() + "/standins/variants/" + name;
}

}  // namespace testutil
