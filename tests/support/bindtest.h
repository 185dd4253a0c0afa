// Helpers of the binding tests: where the stand-in libraries are built, environment
// switches of their fault injection, and runs of this test program's child cases.
#pragma once

#include <elf.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "bindings/bindproto.h"
#include "support/testutil.h"

namespace bindtest {

using testutil::standinlib;
inline std::string variant(const std::string& name) { return testutil::standinvariant(name); }
inline std::string fixture(const std::string& name) {
  return testutil::source_dir() + "/tests/bindings/fixtures/" + name;
}

// Sets an environment variable for the object's lifetime.
class scopedenv {
 public:
  scopedenv(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) {
      had_ = true;
      old_ = old;
    }
    ::setenv(name_.c_str(), value.c_str(), 1);
  }
  ~scopedenv() {
    if (had_)
      ::setenv(name_.c_str(), old_.c_str(), 1);
    else
      ::unsetenv(name_.c_str());
  }
  scopedenv(const scopedenv&) = delete;
  scopedenv& operator=(const scopedenv&) = delete;

 private:
  std::string name_;
  std::string old_;
  bool had_ = false;
};

// The lines of a text, without their line ends.
inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    result.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return result;
}

// A row of an entry table fixture: "name count result-code parameter-codes...".
inline std::string rowof(const bindproto::entrydesc& e) {
  std::string row = std::string(e.name) + " " + std::to_string(e.paramcount);
  for (int k = 0; k <= e.paramcount; ++k) row += " " + std::to_string(e.codes[k]);
  return row;
}

// The rows of the entry table fixture of a binding ("optdcdef/entries.txt", ...).
inline std::vector<std::string> fixturerows(const std::string& name) {
  return lines(testutil::read_file(fixture(name)));
}

// The documented prefix of an entry in the "D__"/"C__" libraries: "D__" when a code is a
// short string.
inline std::string dcprefix(const bindproto::entrydesc& e) {
  for (int k = 0; k <= e.paramcount; ++k)
    for (int c : {11, 12, 17, 55, 56})
      if (e.codes[k] == c) return "D__";
  return "C__";
}

// Reads a T at offset off of an ELF image; false when the image is too short.
template <typename T>
bool elfread(const std::string& image, std::size_t off, T& out) {
  if (off > image.size() || image.size() - off < sizeof(T)) return false;
  std::memcpy(&out, image.data() + off, sizeof(T));
  return true;
}

// The tags of a 64-bit ELF file's dynamic section (DT_NEEDED, DT_RUNPATH, ...).
inline std::vector<std::int64_t> dynamictags(const std::string& file) {
  const std::string image = testutil::read_file(file);
  std::vector<std::int64_t> tags;
  Elf64_Ehdr eh{};
  if (!elfread(image, 0, eh)) return tags;
  for (int k = 0; k < eh.e_phnum; ++k) {
    Elf64_Phdr ph{};
    if (!elfread(image, eh.e_phoff + std::size_t{eh.e_phentsize} * k, ph)) break;
    if (ph.p_type != PT_DYNAMIC) continue;
    Elf64_Dyn d{};
    for (std::size_t off = ph.p_offset; elfread(image, off, d) && d.d_tag != DT_NULL;
         off += sizeof d)
      tags.push_back(d.d_tag);
  }
  return tags;
}

// The names a 64-bit ELF shared library exports: defined global or weak dynamic symbols of
// default visibility.
inline std::set<std::string> exportednames(const std::string& file) {
  const std::string image = testutil::read_file(file);
  std::set<std::string> names;
  Elf64_Ehdr eh{};
  if (!elfread(image, 0, eh)) return names;
  const auto section = [&](std::size_t k, Elf64_Shdr& sh) {
    return elfread(image, eh.e_shoff + std::size_t{eh.e_shentsize} * k, sh);
  };
  for (std::size_t k = 0; k < eh.e_shnum; ++k) {
    Elf64_Shdr sh{}, strtab{};
    if (!section(k, sh) || sh.sh_type != SHT_DYNSYM || !section(sh.sh_link, strtab)) continue;
    for (std::size_t off = sh.sh_offset; off + sizeof(Elf64_Sym) <= sh.sh_offset + sh.sh_size;
         off += sizeof(Elf64_Sym)) {
      Elf64_Sym s{};
      if (!elfread(image, off, s)) break;
      const int bind = ELF64_ST_BIND(s.st_info);
      if (s.st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK) ||
          ELF64_ST_VISIBILITY(s.st_other) != STV_DEFAULT || s.st_name >= strtab.sh_size ||
          strtab.sh_offset + strtab.sh_size > image.size())
        continue;
      names.insert(std::string(image.c_str() + strtab.sh_offset + s.st_name));
    }
  }
  return names;
}

// A test of one binding against its stand-in: the library unloaded before and after each
// test, and the error handling's indicators, callback and count back at their defaults.
class bindingtest : public ::testing::Test {
 protected:
  bindingtest(bindproto::binding& lib, const std::string& file)
      : lib_(lib), libfile(standinlib() + "/" + file) {}
  void SetUp() override { lib_.libraryunload(); }
  void TearDown() override {
    lib_.libraryunload();
    lib_.setexitindicator(true);
    lib_.setscreenindicator(true);
    lib_.setexceptionindicator(false);
    lib_.seterrorcallback(nullptr);
    lib_.seterrorcount(0);
  }
  // The lines the stand-in's trace file holds.
  [[nodiscard]] std::vector<std::string> tracelines() const {
    return lines(testutil::read_file(trace));
  }

  bindproto::binding& lib_;
  std::string libfile;  // the stand-in in the folder of the stand-ins
  testutil::tempdir tmp;
  std::string trace = tmp.file("trace.txt");
};

// Child cases run only when BL_BINDINGS_CHILD names them. Their suites are named
// <Unit>child (Optdcdefchild, ...): ctest never discovers those, only runchild runs them.
inline bool inchild(const std::string& name) {
  const char* v = std::getenv("BL_BINDINGS_CHILD");
  return v != nullptr && name == v;
}

// Runs the child case `name` (test filter `filter`) of this program with extra environment.
inline testutil::run_result runchild(const std::string& name, const std::string& filter,
                                     const std::vector<std::pair<std::string, std::string>>& env) {
  std::vector<std::unique_ptr<scopedenv>> set;
  set.push_back(std::make_unique<scopedenv>("BL_BINDINGS_CHILD", name));
  for (const auto& [k, v] : env) set.push_back(std::make_unique<scopedenv>(k, v));
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  const std::string program(self, n > 0 ? static_cast<std::size_t>(n) : 0);
  auto result = testutil::run_program(program, {"--gtest_filter=" + filter});
  while (!set.empty()) set.pop_back();  // restore in reverse order
  return result;
}

}  // namespace bindtest
