// dctWriteVRKWithHandle: writes the dictionary into a data-exchange file that an object of
// the data-exchange library has open for writing. The data-exchange entries are found among
// the process's global symbols (the link opens every library with global binding). The
// dictionary's labels are registered after the file's own, and each symbol becomes a set
// "dct:<name>" (user information: the symbol's type) with one record per row or column,
// keyed by its labels.
#include <dlfcn.h>

#include <cstdint>
#include <string>

#include "standins/common/standin.h"
#include "standins/zlmdct/dictmodel.h"

namespace {

using textin = standin::sstrin;
using textout = standin::sstrout;

// The data-exchange entries used, by their exported names.
struct vrkentries {
  using count_fn = int (*)(void*, std::int32_t*, std::int32_t*);
  using proc_fn = int (*)(void*);
  using text_fn = int (*)(void*, textin);
  using start_fn = int (*)(void*, textin, textin, int, int, int);
  using write_fn = int (*)(void*, const std::int32_t*, const double*);

  count_fn systeminfo = find<count_fn>("C__vrkSystemInfo");
  proc_fn registerstart = find<proc_fn>("C__vrkUELRegisterRawStart");
  text_fn registerlabel = find<text_fn>("D__vrkUELRegisterRaw");
  proc_fn registerdone = find<proc_fn>("C__vrkUELRegisterDone");
  start_fn writestart = find<start_fn>("D__vrkDataWriteRawStart");
  write_fn writerecord = find<write_fn>("C__vrkDataWriteRaw");
  proc_fn writedone = find<proc_fn>("C__vrkDataWriteDone");

  [[nodiscard]] bool complete() const {
    return systeminfo && registerstart && registerlabel && registerdone && writestart &&
           writerecord && writedone;
  }

 private:
  template <typename F>
  static F find(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_DEFAULT, name));
  }
};

// A short string for a text argument.
struct text {
  explicit text(std::string_view s) { standin::out(bytes, s); }
  unsigned char bytes[256] = {};
};

bool writeinto(const zlmdct::dictionary& d, const vrkentries& v, void* vrk) {
  std::int32_t symbols = 0, offset = 0;
  bool ok = v.systeminfo(vrk, &symbols, &offset) != 0 && v.registerstart(vrk) != 0;
  for (int k = 1; ok && k <= d.labelcount(); ++k)
    ok = v.registerlabel(vrk, text(d.labelat(k)->text).bytes) != 0;
  ok = ok && v.registerdone(vrk) != 0;
  const double zero[5] = {};
  for (int s = 1; ok && s <= d.symbolcount(); ++s) {
    const zlmdct::symbol& sym = *d.symbolat(s);
    ok = v.writestart(vrk, text("dct:" + sym.name).bytes, text(sym.text).bytes, sym.dim, 0,
                      sym.type) != 0;
    for (int m : sym.members) {
      const zlmdct::member* rc = sym.type == zlmdct::equationtype ? d.row(m) : d.col(m);
      std::int32_t keys[zlmdct::maxdim] = {};
      for (std::size_t k = 0; k < rc->uels.size(); ++k) keys[k] = rc->uels[k] + offset;
      ok = ok && v.writerecord(vrk, keys, zero) != 0;
    }
    ok = ok && v.writedone(vrk) != 0;
  }
  return ok;
}

}  // namespace

STANDIN_EXPORT void dctWriteVRKWithHandle(void* h, void* vrk, textout msg) {
  try {
    const vrkentries v;
    if (h == nullptr)
      standin::out(msg, "no dictionary object");
    else if (vrk == nullptr)
      standin::out(msg, "no data-exchange object");
    else if (!v.complete())
      standin::out(msg, "the data-exchange library is not loaded");
    else if (!writeinto(*static_cast<zlmdct::dictionary*>(h), v, vrk))
      standin::out(msg, "the data-exchange file refused the dictionary");
    else
      standin::out(msg, "");
  } catch (...) {
    standin::out(msg, "dctWriteVRKWithHandle failed");
  }
}
