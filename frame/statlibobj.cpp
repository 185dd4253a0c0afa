// The status-file and log stream classes: what both streams share. The classes are in
// statlibobj_status.cpp and statlibobj_log.cpp.
#include "frame/statlibobj.h"

#include <algorithm>
#include <cerrno>

#include "frame/strutilx_numbers.h"

namespace statlibobj {

namespace detail {

numtext num(std::int64_t v) { return numtext::cut(strutilx::inttostrw(v, 0).view()); }

q5rt::sstr withterm(std::string_view text) {
  q5rt::sstr line = q5rt::sstr::cut(text.substr(0, std::min(text.size(), 255 - termstring.size())));
  line.append_cut(termstring);
  return line;
}

void stdoutline(std::string_view text) {
  auto& out = q5rt::output();
  out.writeln(q5rt::sstr::cut(text).view());
  out.flush();
}

}  // namespace detail

bool opentextmsg(q5rt::textfile& f, std::string_view name, int mode, q5rt::sstr& msg) {
  if (name.empty()) {  // the runtime would take standard input or output for it
    msg = q5rt::syserrortext(ENOENT);
    return false;
  }
  f.assign(name);
  (void)f.ioresult();  // a failure of closing an earlier file is not this opening's
  if (mode == 1)
    f.rewrite();
  else
    f.reset();
  const int rc = f.ioresult();
  msg = rc != 0 ? q5rt::iomessage(rc) : q5rt::sstr{};
  return rc == 0;
}

bool ismuxed() { return false; }

namespace {
void startup() { termstring = q5rt::sstr::cut("\n"); }
q5rt::unit_registration reg{"statlibobj", &startup, nullptr};
}  // namespace

}  // namespace statlibobj
