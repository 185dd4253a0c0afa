// Unit gcutil: start-up, the tree code's halt, and the small services of written models
// (scratch names, anchors, the objective coefficient, fixed-width names).
#include "baron/gcutil.h"

#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <memory>

#include "baron/gcutil_internal.h"
#include "emp/empdata.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"
#include "instance/gcdata.h"
#include "instance/zlmspecs.h"

namespace gcutil {

namespace {

void startup() {
  blanks255 = q5rt::sstr::cut(std::string(255, ' '));
  constexpr std::array<std::string_view, zlmspecs::coltype_count> vartypes = {
      "Continuous", "Binary", "Integer", "SOS1", "SOS2", "Semi Continuous", "Semi Integer"};
  constexpr std::array<std::string_view, zlmspecs::rowtype_count> equtypes = {
      "Equality =E=", "Greater than =G=", "Less than =L=", "Free =N=",
      "External =X=", "Cone =C=",         "Boolean =B="};
  for (std::size_t i = 0; i < vartypes.size(); ++i) vartypename[i] = q5rt::sstr::cut(vartypes[i]);
  for (std::size_t i = 0; i < equtypes.size(); ++i) equtypename[i] = q5rt::sstr::cut(equtypes[i]);
  optobjvardef_.clear();
  chlambda.clear();
  chdis = 0;
  chterm = 0;
  folid = 0;
  ctvnew::mathnewrecinit(mathnewconvert);
}

q5rt::unit_registration reg{"gcutil", &startup, nullptr};

q5rt::sstr currentdir() {
  const std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
  return strutilx::includetrailingpathdelimiterex(cwd ? cwd.get() : "");
}

}  // namespace

void treehalt(std::string_view line) { treehalt(line, 0); }

void treehalt(std::string_view line, int code) {
  q5rt::textfile& out = q5rt::output();
  out.writeln(line);
  out.flush();
  if (treehalthook != nullptr) treehalthook(code);
  q5rt::halt(code);
}

q5rt::sstr scratchname(std::string_view base) {
  const gcdata::tmodel& m = gcdata::mymodel;
  return q5rt::concat(m.scrdir, q5rt::trim(base), ".", m.scrext);
}

// A drive name ("c:...") or a Unix absolute path is complete as it stands.
q5rt::sstr addanchor(std::string_view name) {
  if (gcdata::mymodel.anchors == 0) return {};
  const bool absolute = (name.size() > 2 && name[2] == ':') || (!name.empty() && name[0] == '/');
  const q5rt::sstr path = absolute ? q5rt::sstr::cut(name) : q5rt::concat(currentdir(), name);
  return q5rt::concat(" [FIL:\"", path, "\",1,1]");
}

double getobjjacval() {
  const gcdata::tmodel& m = gcdata::mymodel;
  if (m.objrow < 1 || static_cast<std::size_t>(m.objrow) > m.rowfirst.size()) return 1.0;
  for (const zlmspecs::tjacrec* e = m.rowfirst[static_cast<std::size_t>(m.objrow) - 1];
       e != nullptr; e = e->rownext) {
    if (e->col == m.objvar) return e->jacval;
  }
  return 1.0;
}

q5rt::sstr hullname(std::int32_t a, std::int32_t b, std::int32_t c) {
  using detail::num;
  return q5rt::concat("V", num(a), "_", num(b), "_", num(c));
}

q5rt::sstr strleftjust(std::string_view text, std::int32_t width) {
  if (width < 0) width = 0;
  if (text.size() >= static_cast<std::size_t>(width)) return q5rt::sstr::cut(text.substr(0, width));
  q5rt::sstr s = q5rt::sstr::cut(text);
  s.append_cut(
      std::string_view(blanks255).substr(0, static_cast<std::size_t>(width) - text.size()));
  return s;
}

void setfollowerid(std::int32_t number) { folid = number; }

void objvardefset(std::string_view name) { optobjvardef_.assign_cut(name); }

namespace detail {

q5rt::sstr num(std::int64_t v) { return strutilx::inttostrw(v, 0); }

linebuf& linebuf::add(std::int64_t v) {
  char digits[24];
  return add(std::string_view(
      digits,
      static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, v).ptr - digits)));
}

linebuf& linebuf::number(double x) {
  char text[strutilx::dbltostr_maxlen];
  return add(std::string_view(text, strutilx::dbltostr_chars(x, '.', text)));
}

linebuf& linebuf::field(std::string_view text, std::size_t width, bool cut) {
  add(cut ? text.substr(0, width) : text);
  for (std::size_t k = text.size(); k < width; ++k) add(' ');
  return *this;
}

void linebuf::writeln(q5rt::textfile& f) {
  add('\n');
  f.write(std::string_view(buf_, n_));
  n_ = 0;
}

std::int32_t coltype(std::int32_t c) {
  const auto& t = gcdata::mymodel.coltype;
  if (c < 1 || static_cast<std::size_t>(c) > t.size()) return -1;
  return t[static_cast<std::size_t>(c) - 1];
}

std::int32_t colsosset(std::int32_t c) {
  const auto& s = gcdata::mymodel.colsosset;
  if (c < 1 || static_cast<std::size_t>(c) > s.size()) return 0;
  return s[static_cast<std::size_t>(c) - 1];
}

std::string_view prefix(std::int32_t c) {
  const std::int32_t t = coltype(c);
  if (t < 0 || static_cast<std::size_t>(t) >= zlmspecs::varstyp.size()) return zlmspecs::varstyp[0];
  return zlmspecs::varstyp[static_cast<std::size_t>(t)];
}

bool issos(std::int32_t c) {
  const std::int32_t t = coltype(c);
  return t == zlmspecs::colsos1 || t == zlmspecs::colsos2;
}

namespace {

// The EMP record's agents are in force for names when an equilibrium was read, its arrays
// exist and a follower is current.
bool followernames() {
  const empdata::temprec& e = empdata::myemp;
  return folid != 0 && e.isequilibrium != 0;
}

bool inrows(std::int32_t r) { return r >= 1 && r <= empdata::myemp.numrows; }
bool incols(std::int32_t c) { return c >= 1 && c <= empdata::myemp.numcols; }

q5rt::sstr suffix() { return q5rt::concat("_", num(folid)); }

}  // namespace

q5rt::sstr rowfollower(std::int32_t r) {
  const empdata::temprec& e = empdata::myemp;
  if (!followernames() || e.agentofrow == nullptr || !inrows(r)) return {};
  return e.agentofrow[r] == folid ? suffix() : q5rt::sstr{};
}

bool colfollows(std::int32_t c) {
  const empdata::temprec& e = empdata::myemp;
  return followernames() && e.agentofcol != nullptr && incols(c) && e.agentofcol[c] == folid;
}

q5rt::sstr colfollower(std::int32_t c) { return colfollows(c) ? suffix() : q5rt::sstr{}; }

bool emprenumbered(std::int32_t c) {
  const empdata::temprec& e = empdata::myemp;
  return e.numqvipar > 0 && e.qviorigofpar != nullptr && incols(c) && e.qviorigofpar[c] != 0;
}

std::int32_t empcolumn(std::int32_t c) {
  return emprenumbered(c) ? empdata::myemp.qviorigofpar[c] : c;
}

q5rt::sstr plaincolname(std::int32_t c) {
  return q5rt::concat(prefix(c), num(empcolumn(c)), colfollower(c));
}

}  // namespace detail

}  // namespace gcutil
