// The comment header of written models and the opening of their files.
#include <array>

#include "baron/gcutil.h"
#include "baron/liutil.h"
#include "frame/statlib.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"
#include "instance/ctvproc.h"
#include "instance/gcdata.h"
#include "instance/zlmspecs.h"

namespace gcutil {

namespace {

constexpr std::string_view writtenby = " written by Zolm Convert";

void counts(q5rt::textfile& f, std::string_view prefix, std::int32_t total,
            const std::array<std::int32_t, 7>& bytype) {
  f.write(prefix);
  f.write_integer(total, 9);
  for (const std::int32_t n : bytype) f.write_integer(n, 9);
  f.writeln();
}

void line(q5rt::textfile& f, std::string_view prefix, std::string_view text = {}) {
  f.write(prefix);
  f.writeln(text);
}

// The first line with the time stamp that the option's text asks for.
void titleline(q5rt::textfile& f, std::string_view prefix, std::string_view stampoption) {
  const gcdata::tmodel& m = gcdata::mymodel;
  const std::size_t type = static_cast<std::size_t>(m.modeltype);
  f.write(prefix);
  f.write(type < ctvproc::procnames.size() ? ctvproc::procnames[type] : std::string_view{});
  f.write(writtenby);
  if (strutilx::struequal(stampoption, "default")) {
    f.writeln(q5rt::concat(" at ", m.stamp1, " ", m.stamp2));
  } else if (stampoption.empty() || strutilx::struequal(stampoption, "none")) {
    f.writeln();
  } else if (strutilx::struequal(stampoption, "svnId")) {
    f.writeln();
    line(f, prefix, "$Id$");
  } else {
    f.writeln();
    line(f, prefix, "$LastChangedDate$");
  }
}

}  // namespace

void gcheader(q5rt::textfile& f, std::string_view prefix) {
  const q5rt::sstr stamp = stampsource != nullptr ? stampsource() : q5rt::sstr{};
  gcheader(f, prefix, stamp);
}

void gcheader(q5rt::textfile& f, std::string_view prefix, std::string_view stampoption) {
  const gcdata::tmodel& m = gcdata::mymodel;
  titleline(f, prefix, stampoption);
  line(f, prefix);
  line(f, prefix, "Equation counts");
  line(f, prefix, "    Total        E        G        L        N        X        C        B");
  counts(f, prefix, m.rows, m.equcount);
  line(f, prefix);
  line(f, prefix, "Variable counts");
  f.write(prefix);
  f.write("         ");
  for (const std::string_view p : zlmspecs::varstyp) f.write(liutil::padleft(p, 9));
  f.writeln();
  line(f, prefix, "    Total     cont   binary  integer     sos1     sos2    scont     sint");
  counts(f, prefix, m.cols, m.colcount);
  f.write(prefix);
  f.write("FX");
  f.write_integer(m.fixedcols, 7);
  for (const std::int32_t n : m.fixcount) f.write_integer(n, 9);
  f.writeln();
  line(f, prefix);
  line(f, prefix, "Nonzero counts");
  line(f, prefix, "    Total    const       NL      DLL");
  f.write(prefix);
  f.write_integer(m.nonzeros, 9);
  f.write_integer(static_cast<std::int64_t>(m.nonzeros) - m.nlnonzeros - m.extnonzeros, 9);
  f.write_integer(m.nlnonzeros, 9);
  f.write_integer(m.extnonzeros, 9);
  f.writeln();
  if (m.equcount[zlmspecs::rowx] > 0) {
    line(f, prefix);
    line(f, prefix, q5rt::concat("=X= DLL name: ", m.extlibname));
  }
  if (m.scaleopt != 0) {
    line(f, prefix);
    line(f, prefix, "Warning: This is a scaled version of the original model");
    line(f, prefix, "=======================================================");
  }
}

int open4write(q5rt::textfile& f, std::string_view name, std::string_view description) {
  f.assign(name);
  f.rewrite();
  const int rc = f.ioresult();
  if (rc != 0) {
    gcdata::gclogstat(q5rt::concat("*** Could not write ", description, " \"", name, "\""));
    gcdata::gclogstat(
        q5rt::concat("*** RC=", strutilx::inttostrw(rc, 0), " ", q5rt::syserrortext(rc)));
    return rc;
  }
  if (description.empty()) return 0;
  const q5rt::sstr text = q5rt::concat(liutil::padright(description, 10), ": ", name);
  statlib::gclog(q5rt::concat("--- Writing ", text, addanchor(name)));
  gcdata::addfname(name);
  gcdata::gcmemo(text);
  return 0;
}

}  // namespace gcutil
