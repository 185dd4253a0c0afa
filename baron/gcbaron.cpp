// The BARON translation: the run state and the preparation's frame.
#include "baron/gcbaron.h"

#include <string>

#include "frame/q5utils.h"
#include "instance/gcdata.h"

namespace gcbaron {

void trunstate::reset() {
  *this = trunstate{};
  ctvnew::mathnewrecinit(mnrec);
}

void savedbounds::take() {
  lower = gcdata::mymodel.collower;
  upper = gcdata::mymodel.colupper;
}

void savedbounds::restore() const {
  gcdata::mymodel.collower = lower;
  gcdata::mymodel.colupper = upper;
}

void writefailed(std::string_view name, int rc) {
  std::string text = "*** Could not write \"";
  text.append(name).append("\": ").append(q5rt::syserrortext(rc));
  gcdata::gclogstat(text);
  (void)q5utils::q5removeplainfile(name);
}

namespace {
void startup() { state.reset(); }
q5rt::unit_registration reg{"gcbaron", &startup, nullptr};
}  // namespace

}  // namespace gcbaron
