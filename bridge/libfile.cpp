#include "bridge/libfile.h"

#include <dlfcn.h>

namespace bridge {

namespace {

std::string pendingerror() {
  const char* e = dlerror();
  return e != nullptr ? std::string(e) : std::string();
}

}  // namespace

bool libfile::open(const std::string& path, std::string& error) {
  close();
  (void)dlerror();
  h_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (h_ != nullptr) return true;
  error = pendingerror();
  return false;
}

void* libfile::symbol(const std::string& name, std::string& error) const {
  (void)dlerror();
  void* p = dlsym(h_, name.c_str());
  error = pendingerror();
  return error.empty() ? p : nullptr;
}

void libfile::close() {
  if (h_ != nullptr) (void)dlclose(h_);
  h_ = nullptr;
}

}  // namespace bridge
