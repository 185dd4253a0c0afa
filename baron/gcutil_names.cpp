// Names of rows and columns in written models, and the declaration lists of columns.
#include <array>
#include <cstdlib>

#include "baron/gcutil.h"
#include "baron/gcutil_internal.h"
#include "baron/liutil.h"
#include "instance/gcdata.h"

namespace gcutil {

using detail::num;

namespace {

bool namedobjvar(std::int32_t c) { return c == gcdata::mymodel.objvar && !optobjvardef_.empty(); }

q5rt::sstr sosbase(std::int32_t c) {
  return q5rt::concat(detail::prefix(c), num(detail::colsosset(c)));
}

q5rt::sstr threenums(std::string_view first, std::int32_t a, std::string_view second,
                     std::int32_t b, std::string_view third, std::int32_t d) {
  return q5rt::concat(first, num(a), second, num(b), third, num(d));
}

void unknowntype(std::string_view text, std::int32_t type) {
  liutil::lifirst(q5rt::concat(text, num(type)), 0);
  liutil::lilast("");
}

}  // namespace

q5rt::sstr rname(std::int32_t r) { return q5rt::concat("e", num(r), detail::rowfollower(r)); }

q5rt::sstr cname(std::int32_t c) {
  if (namedobjvar(c)) return optobjvardef_;
  if (detail::issos(c)) return q5rt::concat(sosbase(c), "('", num(c), "')");
  return detail::plaincolname(c);
}

q5rt::sstr decname(std::int32_t c) {
  if (namedobjvar(c)) return optobjvardef_;
  if (detail::issos(c)) return q5rt::concat(sosbase(c), "(s", num(detail::colsosset(c)), ")");
  return detail::plaincolname(c);
}

q5rt::sstr dotname(std::int32_t c, std::string_view suffix) {
  if (namedobjvar(c)) return q5rt::concat(optobjvardef_, suffix);
  if (detail::issos(c)) return q5rt::concat(sosbase(c), suffix, "('", num(c), "')");
  return q5rt::concat(detail::plaincolname(c), suffix);
}

q5rt::sstr dename(std::int32_t c, bool zero) {
  const std::string_view head = zero ? "zero_" : "dL_d";
  if (namedobjvar(c)) return q5rt::concat(head, optobjvardef_);
  return q5rt::concat(head, detail::plaincolname(c));
}

q5rt::sstr dcname(std::int32_t c) { return q5rt::concat("u", num(c), detail::colfollower(c)); }
q5rt::sstr slname(std::int32_t n) { return q5rt::concat("w", num(n)); }
q5rt::sstr pename(std::int32_t n) { return q5rt::concat("p", num(n)); }
q5rt::sstr cnscname(std::int32_t n) { return q5rt::concat("y", num(n)); }
q5rt::sstr cnsename(std::int32_t n) { return q5rt::concat("g", num(n)); }
q5rt::sstr disename(std::int32_t n) { return q5rt::concat("DefD", num(n)); }

q5rt::sstr logvname(std::int32_t r, std::int32_t a) {
  return q5rt::concat("B_", rname(r), "_", num(a));
}

q5rt::sstr logename(std::int32_t r, std::int32_t a, std::int32_t b) {
  return q5rt::concat("Log_", rname(r), "_", num(a), "_", num(b));
}

q5rt::sstr disequname(std::int32_t a, std::int32_t b, std::int32_t r) {
  const std::int64_t row = std::llabs(static_cast<std::int64_t>(r));
  return q5rt::concat(rname(static_cast<std::int32_t>(row)), "_", num(a), "_", num(b),
                      r < 0 ? "_NOT" : "");
}

q5rt::sstr disslname(std::int32_t a, std::int32_t b, std::int32_t d) {
  return threenums("S", a, "_", b, "_", d);
}
q5rt::sstr diswname(std::int32_t a, std::int32_t b, std::int32_t d) {
  return threenums("Watchdog", a, "_", b, "_", d);
}
q5rt::sstr impladjvname(std::int32_t a, std::int32_t b, std::int32_t d) {
  return threenums("IMPL", a, "_a", b, "_x", d);
}
q5rt::sstr impladjename(std::int32_t a, std::int32_t b, std::int32_t d) {
  return threenums("IMPL", a, "_a", b, "_e", d);
}

q5rt::sstr implvname(std::int32_t c1, std::int32_t c2) {
  return q5rt::concat("d", cname(c1), "_d", cname(c2));
}

q5rt::sstr implename(std::int32_t r, std::int32_t c) {
  return q5rt::concat("IMPL_d", rname(r), "_d", cname(c));
}

void vardecla(std::int32_t type) {
  constexpr std::array<std::string_view, zlmspecs::coltype_count> keywords = {
      "Free Variables", "Binary Variables",   "Integer Variables", "SOS1 Variables",
      "SOS2 Variables", "Semicont Variables", "Semiint Variables"};
  if (type < 0 || type >= static_cast<std::int32_t>(keywords.size())) {
    unknowntype("$error Unknown typ in VarDecla = ", type);
    return;
  }
  liutil::declaliststart(keywords[static_cast<std::size_t>(type)]);
  const bool sos = type == zlmspecs::colsos1 || type == zlmspecs::colsos2;
  std::int32_t lastset = -1;
  bool inrun = false;
  for (std::int32_t c = 1; c <= gcdata::mymodel.cols; ++c) {
    if (detail::coltype(c) != type) {
      inrun = false;
      continue;
    }
    // An SOS set is declared once for each run of its consecutive columns.
    if (sos && inrun && detail::colsosset(c) == lastset) continue;
    liutil::declalistitem(decname(c));
    lastset = detail::colsosset(c);
    inrun = true;
  }
  liutil::declaliststop();
}

void contdecla(std::int32_t kind) {
  constexpr std::array<std::string_view, 3> keywords = {"Free Variables", "Negative Variables",
                                                        "Positive Variables"};
  if (kind < 0 || kind >= static_cast<std::int32_t>(keywords.size())) {
    unknowntype("$error Unknown typ in ContDecla = ", kind);
    return;
  }
  liutil::declaliststart(keywords[static_cast<std::size_t>(kind)]);
  for (std::int32_t c = 1; c <= gcdata::mymodel.cols; ++c) {
    if (detail::coltype(c) != zlmspecs::colcont || detail::colsosset(c) != kind) continue;
    if (detail::emprenumbered(c)) continue;
    liutil::declalistitem(cname(c));
  }
  liutil::declaliststop();
}

}  // namespace gcutil
