// One open shared-library file of the bridge, closed when the object ends or is reset.
// Opened with immediate binding of all symbols and no global binding, so the bridge's
// libraries do not answer symbol lookups of BARON's other libraries.
#pragma once

#include <string>
#include <string_view>

namespace bridge {

class libfile {
 public:
  libfile() = default;
  ~libfile() { close(); }
  libfile(const libfile&) = delete;
  libfile& operator=(const libfile&) = delete;

  // Opens path (a bare file name: the loader's search); false with the loader's text.
  [[nodiscard]] bool open(const std::string& path, std::string& error);
  // The symbol's address, or nullptr with the loader's text; no pending error is left.
  [[nodiscard]] void* symbol(const std::string& name, std::string& error) const;
  void close();

 private:
  void* h_ = nullptr;
};

}  // namespace bridge
