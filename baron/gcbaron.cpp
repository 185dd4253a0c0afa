// The BARON translation's seam to the program's run: no translation, no run.
#include "baron/gcbaron.h"

#include "instance/gcdata.h"

namespace gcbaron {

std::int32_t prebaron(q5rt::sstr& execline) {
  execline.clear();
  gcdata::gcsetstatus(13, 13);
  gcdata::gclogstat(norun);
  return 1;
}

void postbaron() {}

}  // namespace gcbaron
