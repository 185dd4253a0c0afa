// The option-set implementation shared by BARON's and the conversion option set.
#include "baron/optset.h"

#include <cmath>
#include <limits>

#include "frame/q5text.h"
#include "instance/gcdata.h"

namespace optset {

std::int32_t roundint(double value) {
  const double r = std::round(value);  // half away from zero
  if (!(r >= std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  if (r > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(r);
}

std::int32_t toptset::number(std::uint8_t index) const {
  return index < desc_.namemap.size() ? desc_.namemap[index] : 0;
}

std::int32_t toptset::datatypenr(std::int32_t nr) const {
  std::int32_t defined = 0, recent = 0, ref = 0, type = 0, opttype = 0, subtype = 0;
  (void)options_->optgetinfonr(nr, defined, recent, ref, type, opttype, subtype);
  return type;
}

q5rt::sstr toptset::getoptname(std::uint8_t index) const {
  q5rt::sstr name;
  (void)options_->optgetnamenr(number(index), name);
  return name;
}

q5rt::sstr toptset::getopttext(std::uint8_t index) const {
  q5rt::sstr name, text;
  (void)options_->optgethelpnr(number(index), name, text);
  return text;
}

bool toptset::getdefined(std::uint8_t index) const {
  std::int32_t state = 0;
  (void)options_->optgetdefinednr(number(index), state);
  return state == 1 || state == 3;
}

bool toptset::getdefined2(std::uint8_t index) const {
  std::int32_t state = 0;
  (void)options_->optgetdefinednr(number(index), state);
  return state == 2 || state == 3;
}

std::int32_t toptset::gettype(std::uint8_t index) const {
  switch (datatypenr(number(index))) {
    case typeint:
    case typedbl:
      return 0;
    case typestr:
      return 1;
    default:
      return 2;
  }
}

std::int32_t toptset::getgroup(std::uint8_t index) const {
  std::int32_t g = options_->optgetoptgroupnr(number(index));
  if (g < 0) g = 0;
  return options_->optgetgroupgrpnr(g) - 1;
}

double toptset::value(std::int32_t nr, bool second) const {
  switch (datatypenr(nr)) {
    case typeint: {
      std::int32_t v = 0;
      (void)(second ? options_->optgetint2nr(nr, v) : options_->optgetintnr(nr, v));
      return v;
    }
    case typedbl: {
      double v = 0;
      (void)(second ? options_->optgetdbl2nr(nr, v) : options_->optgetdblnr(nr, v));
      return v;
    }
    default:
      return 0;
  }
}

void toptset::setvalue(std::int32_t nr, double value, bool second) const {
  switch (datatypenr(nr)) {
    case typeint:
      (void)(second ? options_->optsetint2nr(nr, roundint(value))
                    : options_->optsetintnr(nr, roundint(value)));
      break;
    case typedbl:
      (void)(second ? options_->optsetdbl2nr(nr, value) : options_->optsetdblnr(nr, value));
      break;
    default:
      break;
  }
}

double toptset::getnumber(std::uint8_t index) const { return value(number(index), false); }
void toptset::setnumbernr(std::int32_t nr, double v) const { setvalue(nr, v, false); }
void toptset::setnumber(std::uint8_t index, double v) const { setvalue(number(index), v, false); }
double toptset::getnumber2(std::uint8_t index) const { return value(number(index), true); }
void toptset::setnumber2(std::uint8_t index, double v) const { setvalue(number(index), v, true); }

void toptset::setdefined(std::uint8_t index, bool defined) const {
  const std::int32_t nr = number(index);
  if (!defined) {
    (void)options_->optresetnr(nr);
    return;
  }
  if (getdefined(index)) return;
  switch (datatypenr(nr)) {
    case typeint:
    case typedbl:
      setnumber(index, getnumber(index));
      break;
    case typestr:
      setactual(index, getactual(index));
      break;
    default:
      break;
  }
}

q5rt::sstr toptset::getactual(std::uint8_t index) const {
  q5rt::sstr value;
  const std::int32_t nr = number(index);
  if (datatypenr(nr) == typestr) (void)options_->optgetstrnr(nr, value);
  return value;
}

void toptset::setactual(std::uint8_t index, std::string_view value) const {
  const std::int32_t nr = number(index);
  if (datatypenr(nr) == typestr) (void)options_->optsetstrnr(nr, q5rt::sstr::cut(value));
}

std::int32_t toptset::optstrcount(std::uint8_t index) const {
  return options_->optlistcountstr(getoptname(index));
}

q5rt::sstr toptset::optstrvalue(std::uint8_t index, std::int32_t position) const {
  q5rt::sstr value;
  (void)options_->optreadfromliststr(getoptname(index), position, value);
  return value;
}

char toptset::opttypeid(std::uint8_t index) const {
  switch (datatypenr(number(index))) {
    case typeint:
      return 'I';
    case typedbl:
      return 'D';
    case typestr:
      return 'S';
    default:
      return 'X';
  }
}

std::int32_t toptset::optref(std::uint8_t index) const {
  std::int32_t defined = 0, recent = 0, ref = 0, type = 0, opttype = 0, subtype = 0;
  (void)options_->optgetinfonr(number(index), defined, recent, ref, type, opttype, subtype);
  return ref;
}

std::int32_t toptset::optreporterrors() const {
  const std::int32_t count = options_->doptmessagecount();
  for (std::int32_t k = 1; k <= count; ++k) {
    q5rt::sstr text;
    std::int32_t type = 0;
    options_->optgetmessage(k, text, type);
    gcdata::gclogstat(text);
  }
  options_->optclearmessages();
  return count;
}

std::int32_t toptset::optdefine() const {
  (void)options_->optreaddefinition(q5rt::concat(gcdata::mymodel.sysdir, desc_.deffile));
  return optreporterrors();
}

std::int32_t toptset::optreadoptions() const {
  if (gcdata::mymodel.useoptfile == 0) return 0;
  gcdata::gclogstat("--- Using Option File");
  (void)options_->optechoset(1);
  (void)options_->opteolonlyset(1);
  (void)options_->optreadparameterfile(gcdata::mymodel.optfile);
  return optreporterrors();
}

std::int32_t toptset::optdotcount() const {
  std::int32_t errors = 0;
  return options_->optdotoptcount(errors);
}

std::unique_ptr<optdodef::tzlmoptions> createoptions(std::string_view unitname,
                                                     q5rt::sstr& apierrormsg) {
  apierrormsg.clear();
  auto options = std::make_unique<optdodef::tzlmoptions>(apierrormsg);
  if (apierrormsg.empty()) return options;
  auto& out = q5rt::output();
  out.writeln("***");
  out.writeln(q5rt::concat("*** Could not create option object: ", apierrormsg));
  out.writeln("*** We have to halt this program");
  out.writeln(q5rt::concat("*** Message originated in ", unitname));
  out.writeln("***");
  out.flush();
  q5rt::halt(1);
}

}  // namespace optset
