// Fuzz target of the EMP loader: the input is an EMP information file, loaded against the
// annotation fixture model and its dictionary (the model loaded once). Every load must end
// without a crash, a leak or an access out of bounds, and empfree must release it all.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "bindings/dctmdcdef.h"
#include "emp/empdata.h"
#include "frame/q5rt.h"
#include "frame/statlib.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"

namespace {

void discard(const q5rt::sstr&, std::int32_t, void*) {}
void discardmessage(std::string_view, void*) {}

constexpr const char* fixture = BL_SOURCE_DIR "/tests/emp/fixtures/annot";
constexpr const char* dictionary = BL_SOURCE_DIR "/tests/emp/fixtures/annot/model.dct";

// The working folder, changed for the life of the object: libFuzzer's paths may be
// relative to the folder it was started in.
class workingfolder {
 public:
  explicit workingfolder(const char* path)
      : ok_(::getcwd(here_, sizeof here_) != nullptr && ::chdir(path) == 0) {}
  ~workingfolder() {
    if (ok_ && ::chdir(here_) != 0) std::abort();
  }
  workingfolder(const workingfolder&) = delete;
  workingfolder& operator=(const workingfolder&) = delete;
  [[nodiscard]] bool ok() const { return ok_; }

 private:
  char here_[4096] = {};
  bool ok_;
};

// The fixture model in the model record; false when it cannot be loaded. The control file
// names the model's files relative to its own folder.
bool prepare() {
  q5rt::run_startups();
  statlib::registerwritecallback(&discard, nullptr);
  q5rt::sstr msg;
  if (!dctmdcdef::dctgetreadyd(BL_BINARY_DIR "/standins/lib", msg)) return false;
  const workingfolder folder(fixture);
  return folder.ok() && gcload::loadcontrol("model.ctl", msg) &&
         gcload::loaddata() == gcload::loadok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = prepare();
  if (!ready) std::abort();
  const gcdata::tmodel& m = gcdata::mymodel;
  empdata::empalloc(m.cols, m.rows);
  empdata::myemp.sharedequ = size % 2;
  empdata::myemp.replication = 1;
  empdata::emploadargs a;
  a.empfile = "fuzz.emp";
  a.dictfile = dictionary;
  a.objrow = m.objrow;
  a.objvar = (size % 3 == 0) ? 0 : m.objvar;
  a.coltype = m.coltype.data();
  a.colkind = m.colboundclass.data();
  a.collower = m.collower.data();
  a.colupper = m.colupper.data();
  a.colfirst = m.colfirst.data();
  a.rowtype = m.rowtype.data();
  a.rowfirst = m.rowfirst.data();
  a.instrfirst = m.rowfirstinstr.data();
  a.instrlast = m.rowlastinstr.data();
  a.instr = m.instr;
  a.pool = m.pool;
  a.callback = &discardmessage;
  const std::int32_t rc =
      empdata::emploadtext(a, std::string_view(reinterpret_cast<const char*>(data), size));
  if (rc < 0 || rc > 2) std::abort();
  empdata::empfree();
  return 0;
}
