// Fuzz target of the control-file reader: parses the input as a control file with its
// solver section, then walks what the table holds through its accessors and summary.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "frame/q5rt.h"
#include "instance/gdutils.h"
#include "instance/zlmconf.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q5rt::run_startups();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  q5rt::sstr msg;
  zlmconf::tzlmconf table(msg);
  gdutils::tcontrolrec rec;
  const bool ok = gdutils::parse(input, "fuzz.ctl", rec, msg, table);
  check(rec.strs[0].view() == "fuzz.ctl");
  check(ok == msg.empty());
  for (std::int32_t k = 0; k <= table.getnumalgs() + 1; ++k) {
    (void)table.scalgname(k);
    for (std::int32_t t = -1; t <= 16; ++t) (void)table.sccapability(k, t);
    if (k >= 1 && k <= table.getnumalgs()) (void)table.scgetdeffile(k);
  }
  table.scdump();
  while (table.scnummsg() > 0) (void)table.scgetmsg();
  return 0;
}
