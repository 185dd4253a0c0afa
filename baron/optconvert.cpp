// The conversion option set on the shared option-set implementation.
#include "baron/optconvert.h"

namespace optconvert {

toptconvert::toptconvert(optdodef::tzlmoptions& options)
    : toptset(options, optset::setdesc{"optconvert.def", optnamemap}) {}

toptconvert& coinit() {
  // The new instance is made before the old objects go, which the option library keeps.
  auto options = optset::createoptions("optconvert", apierrormsg);
  auto instance = std::make_unique<toptconvert>(*options);
  co = std::move(instance);
  convertoptions = std::move(options);
  return *co;
}

void cofini() {
  if (!co) return;
  co.reset();
  convertoptions.reset();
}

namespace {
void startup() { co.reset(); }
void closedown() { cofini(); }
q5rt::unit_registration reg{"optconvert", &startup, &closedown};
}  // namespace

}  // namespace optconvert
