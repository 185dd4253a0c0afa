// The control file's reader and writer. One description of the line layout (walklayout)
// drives both: the reader applies an older version's shorter lines and defaults, the
// writer walks the version-53 layout.
#include "instance/gdutils.h"

#include <cerrno>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>

#include "frame/gfileopen.h"
#include "frame/q5platform.h"
#include "frame/q5rtnum.h"
#include "frame/q5text.h"
#include "frame/strutilx.h"
#include "funclib/genextfunc.h"
#include "funclib/libfuncs.h"

namespace gdutils {

namespace {

constexpr std::string_view couldnotwritecontrol = "*** Could not write Control File '";
constexpr std::string_view cmpfileunix = "zlmcmpun.txt";
constexpr std::string_view cmpfileother = "zlmcmpNT.txt";

// A control file is a few kilobytes: a larger one, or one that is not a regular file (a
// device, a pipe), is refused before it can fill the memory or block the run.
constexpr std::size_t maxcontrolbytes = std::size_t{16} << 20;
constexpr std::string_view notregular = "Not a regular file";
constexpr std::string_view toolarge = "File larger than 16777216 bytes";

// One value of a number line: control integer or control real k.
struct slot {
  bool real;
  std::uint8_t index;
};
constexpr slot I(int k) { return {false, static_cast<std::uint8_t>(k)}; }
constexpr slot R(int k) { return {true, static_cast<std::uint8_t>(k)}; }

constexpr slot line2[] = {I(0), I(31), I(32), I(33), I(3), R(11), I(29), R(9), I(34), I(35)};
constexpr slot line3[] = {I(1),  I(13), I(36), I(37), I(38), I(39),
                          I(40), I(41), I(42), I(43), I(44), I(45)};
constexpr slot line4[] = {I(2), I(14), I(49), I(50), I(51), I(52), I(53), I(4)};
constexpr slot line5[] = {I(11), I(12)};
constexpr slot line6[] = {I(58), I(60), I(61), I(65), I(66), I(67), I(68), I(62), I(63), I(64)};
constexpr slot line7[] = {I(78), I(80), I(81), I(85), I(86), I(87), I(88)};
constexpr slot line8[] = {I(5), I(54), I(55)};
constexpr slot line9[] = {I(9), I(10), I(16)};
constexpr slot line10[] = {R(0), R(1), I(8)};
constexpr slot line11[] = {I(56), R(7), I(57), R(8)};
constexpr slot line12[] = {R(2), I(76), I(75)};
constexpr slot line13[] = {I(28), I(7)};
constexpr slot line14[] = {R(4),   I(98),  I(99),  I(77), R(5),  I(30),
                           I(143), I(144), I(145), R(26), I(148)};
constexpr slot line15[] = {I(6), I(26)};
constexpr slot line16[] = {I(100), I(101), I(102), I(103), I(104)};
constexpr slot line17[] = {R(20), R(21), R(22), R(23), R(24)};
constexpr slot line25[] = {I(17)};
constexpr slot line31[] = {I(105), I(106)};
constexpr slot line32[] = {I(107), I(108), I(27), I(109), I(110), I(111)};
constexpr slot line36[] = {I(112), I(20), I(21), I(22)};
constexpr slot lineworkints[] = {I(120), I(121), I(122), I(123), I(124), I(125), I(126), I(127),
                                 I(128), I(129), I(130), I(131), I(132), I(133), I(134), I(135),
                                 I(136), I(137), I(138), I(139), I(140), I(141), I(142)};
constexpr slot lineobj[] = {I(23), I(24), R(12), I(119), I(97)};
constexpr slot linesol[] = {I(116), I(117), I(118)};
constexpr slot linenz[] = {I(113), I(114), I(19), I(115), I(25)};
constexpr slot linetolerances[] = {R(25)};
constexpr slot linenzreals[] = {R(27), R(28)};

constexpr std::span<const slot> first(std::span<const slot> line, std::size_t n) {
  return line.first(n);
}

// The control file's lines in order for version ver. The visitor's numbers() takes one
// number line, text() one string line, path() a string line that names a file or a
// directory (or a part of such names: the scratch extension, the library folder), which
// must fit its string whole; flagged() a number, a separator and a text, solvers() the
// solver section, defaults() an older version's values for what it lacks.
template <class Visitor>
void walklayout(Visitor& v) {
  const std::int32_t ver = v.version();
  v.numbers(line2);
  v.numbers(first(line3, ver >= 46 ? 12 : ver >= 40 ? 11 : 10));
  if (ver < 40) v.defaults([](tcontrolrec& r) { r.ints[44] = 0; });
  if (ver < 46) v.defaults([](tcontrolrec& r) { r.ints[45] = 0; });
  v.numbers(line4);
  v.numbers(line5);
  v.numbers(first(line6, ver >= 40 ? 10 : 7));
  if (ver < 40) v.defaults([](tcontrolrec& r) { r.ints[62] = r.ints[63] = r.ints[64] = -1; });
  v.numbers(line7);
  v.numbers(line8);
  v.numbers(line9);
  v.numbers(line10);
  v.numbers(line11);
  v.numbers(line12);
  v.numbers(line13);
  // Line 14 grew with the versions: threads (43), I[144] (47), I[145] and R[26] (48),
  // I[148] (51).
  v.numbers(first(line14, ver >= 51 ? 11 : ver >= 48 ? 10 : ver >= 47 ? 8 : ver >= 43 ? 7 : 6));
  if (ver <= 42) v.defaults([](tcontrolrec& r) { r.ints[143] = 1; });
  if (ver < 48)
    v.defaults([](tcontrolrec& r) {
      r.ints[145] = 0;
      r.reals[26] = 1e-5;
    });
  if (ver < 51) v.defaults([](tcontrolrec& r) { r.ints[148] = 0; });
  v.numbers(line15);
  v.numbers(line16);
  v.numbers(line17);
  for (const int k : {18, 19, 3, 2, 4, 1, 20}) v.path(k);
  v.numbers(line25);
  v.text(7);
  v.text(6);
  for (const int k : {9, 8, 5}) v.path(k);
  v.numbers(line31);
  v.numbers(line32);
  for (const int k : {12, 13, 14}) v.text(k);  // not used by this system
  v.numbers(line36);
  v.path(21);
  v.solvers();
  v.text(15);  // the text lines after the section are not used by this system
  v.text(16);
  if (ver >= 49) v.text(27);
  if (ver >= 53) {
    v.text(28);
    v.text(30);
  }
  if (ver >= 50) {
    v.flagged(146, 31);  // not used by this system
    v.flagged(147, 29);
  } else {
    v.defaults([](tcontrolrec& r) {
      r.ints[147] = 1;
      r.strs[29] = r.strs[8];
      r.strs[29].append_cut(q5platform::osfiletype() == q5platform::filetype::unix_style
                                ? cmpfileunix
                                : cmpfileother);
    });
  }
  v.text(22);
  v.numbers(lineworkints);
  v.numbers(lineobj);
  v.numbers(linesol);
  v.numbers(first(linenz, ver >= 41 ? 5 : 4));
  if (ver < 41) v.defaults([](tcontrolrec& r) { r.ints[25] = -1; });
  v.text(10);
  v.text(17);
  if (ver >= 40) {
    v.text(0);
    v.text(11);
  }
  if (ver >= 42) {
    v.path(23);
    v.numbers(linetolerances);
  } else {
    v.defaults([](tcontrolrec& r) {
      r.strs[23].assign_cut("scr");
      r.reals[25] = 1e9;
    });
  }
  if (ver >= 44) {
    v.text(24);
  } else {
    v.defaults([](tcontrolrec& r) { r.strs[24].assign_cut("scenario_dict.vrk"); });
  }
  if (ver >= 45) {
    v.path(25);
  } else {
    v.defaults([](tcontrolrec& r) { r.strs[25].clear(); });
  }
  if (ver >= 47) {
    v.text(26);
  } else {
    v.defaults([](tcontrolrec& r) { r.strs[26].clear(); });
  }
  if (ver >= 52) {
    v.numbers(linenzreals);
  } else {
    v.defaults([](tcontrolrec& r) {
      r.reals[27] = r.ints[11];
      r.reals[28] = r.ints[12];
    });
  }
}

class reader {
 public:
  reader(std::string_view data, tcontrolrec& rec, zlmconf::tzlmconf& table)
      : in_(data), rec_(rec), table_(table) {}

  std::int32_t version() {
    rec_.ints[18] = in_.read_integer();
    in_.readln();
    return rec_.ints[18];
  }
  void numbers(std::span<const slot> line) {
    for (const slot s : line) {
      if (s.real) {
        rec_.reals[s.index] = in_.read_real();
      } else {
        rec_.ints[s.index] = in_.read_integer();
      }
    }
    in_.readln();
  }
  void text(int k) { rec_.strs[static_cast<std::size_t>(k)] = in_.readln_string(); }
  // A path cut short would name another file: a line too long for the string is an error.
  void path(int k) {
    const std::int32_t line = in_.line();
    const std::string_view text = in_.readln_text();
    if (text.size() > q5rt::sstr::capacity) {
      throw q5rt::io_error(ENAMETOOLONG, q5rt::concat(q5rt::iomessage(ENAMETOOLONG), " in line ",
                                                      q5rt::Q5_Str_i0(line)));
    }
    rec_.strs[static_cast<std::size_t>(k)].assign_cut(text);
  }
  // A line that ends right after its number has an empty text.
  void flagged(int i, int k) {
    rec_.ints[static_cast<std::size_t>(i)] = in_.read_integer();
    if (in_.eoln()) {
      rec_.strs[static_cast<std::size_t>(k)].clear();
      in_.readln();
      return;
    }
    (void)in_.read_char();
    text(k);
  }
  void solvers() { (void)table_.scrdcontrol(in_); }
  template <class Fill>
  void defaults(Fill fill) {
    fill(rec_);
  }

 private:
  zlmconf::textreader in_;
  tcontrolrec& rec_;
  zlmconf::tzlmconf& table_;
};

class writer {
 public:
  writer(q5rt::textfile& out, const tcontrolrec& rec, const zlmconf::tzlmconf& table)
      : out_(out), rec_(rec), table_(table) {}

  std::int32_t version() {
    out_.write_integer(writeversion);
    out_.writeln();
    return writeversion;
  }
  void numbers(std::span<const slot> line) {
    bool firstvalue = true;
    for (const slot s : line) {
      if (!firstvalue) out_.write(' ');
      firstvalue = false;
      if (s.real) {
        out_.write(q5rt::Q5_Str_dd0(rec_.reals[s.index]));
      } else {
        out_.write_integer(rec_.ints[s.index]);
      }
    }
    out_.writeln();
  }
  void text(int k) { out_.writeln(rec_.strs[static_cast<std::size_t>(k)]); }
  void path(int k) { text(k); }
  void flagged(int i, int k) {
    out_.write_integer(rec_.ints[static_cast<std::size_t>(i)]);
    out_.write(' ');
    text(k);
  }
  void solvers() { (void)table_.scwrcontrol(out_); }
  template <class Fill>
  void defaults(Fill) {}

 private:
  q5rt::textfile& out_;
  const tcontrolrec& rec_;
  const zlmconf::tzlmconf& table_;
};

// The whole file, opened with retries (a missing file too: the modelling system may still
// be writing it); false with the reason in msg.
bool readwhole(std::string_view name, std::string& data, q5rt::sstr& msg) {
  std::error_code ec;
  const auto st = std::filesystem::status(std::filesystem::path(name), ec);
  if (!ec && !std::filesystem::is_regular_file(st)) {
    msg = q5rt::sstr::cut(notregular);
    return false;
  }
  q5rt::untypedfile f;
  std::int32_t rc = 0;
  (void)gfileopen::grresetuntyped(name, 1, true, f, rc);
  if (rc != 0) {
    msg = q5rt::syserrortext(rc);
    return false;
  }
  constexpr std::int32_t chunk = 65536;
  std::int32_t done = 0;
  do {
    const std::size_t at = data.size();
    data.resize(at + chunk);
    f.blockread(data.data() + at, chunk, done);
    data.resize(at + static_cast<std::size_t>(done));
    rc = f.ioresult();
  } while (rc == 0 && done == chunk && data.size() <= maxcontrolbytes);
  f.close();
  if (rc != 0) {
    msg = q5rt::syserrortext(rc);
    return false;
  }
  if (data.size() > maxcontrolbytes) {
    msg = q5rt::sstr::cut(toolarge);
    return false;
  }
  return true;
}

// Registration warnings and errors of the extrinsic-function loader, alike.
void extfuncmsg(std::string_view text, bool /*iserror*/) { msgcb(text); }

}  // namespace

bool parse(std::string_view data, std::string_view name, tcontrolrec& rec, q5rt::sstr& msg,
           zlmconf::tzlmconf& table) {
  msg.clear();
  bool ok = true;
  try {
    reader r(data, rec, table);
    walklayout(r);
  } catch (const q5rt::io_error& e) {
    msg = e.message();
    ok = false;
  }
  rec.strs[0].assign_cut(name);
  return ok;
}

bool screadcontrol(tcontrolrec& rec, q5rt::sstr& msg, zlmconf::tzlmconf& table) {
  msg.clear();
  const q5rt::sstr name = rec.strs[0];
  std::string data;
  if (!readwhole(name, data, msg)) return false;
  if (!parse(data, name, rec, msg, table)) return false;
  if (rec.strs[25].empty()) return true;
  const q5rt::sstr path =
      q5rt::concat(strutilx::includetrailingpathdelimiterex(rec.strs[9]), rec.strs[21]);
  return genextfunc::readextfunc(rec.ints[3], path, rec.strs[25], &extfuncmsg, msg);
}

std::int32_t scwritecontrol(const tcontrolrec& rec, const zlmconf::tzlmconf& table) {
  return scwritecontrolx(rec, table);
}

std::int32_t scwritecontrolx(const tcontrolrec& rec, const zlmconf::tzlmconf& table) {
  const q5rt::sstr& name = rec.strs[0];
  q5rt::textfile out;
  std::int32_t rc = 0;
  (void)gfileopen::grrewrite(name, true, out, rc);
  if (rc != 0) {
    q5rt::output().writeln(q5rt::concat(couldnotopencontrol, name, "'"));
    q5rt::output().flush();
    return 1;
  }
  writer w(out, rec, table);
  walklayout(w);
  out.close();
  // A write or the final flush that failed loses the file: never report it as written.
  if (out.ioresult() != 0) {
    q5rt::output().writeln(q5rt::concat(couldnotwritecontrol, name, "'"));
    q5rt::output().flush();
    return 1;
  }
  // The extrinsic functions' description goes back to the file it was read from.
  if (libfuncs::libfuncmgr && libfuncs::libfuncmgr->librarycount() > 0 && !rec.strs[25].empty())
    (void)genextfunc::dumpextfunc(rec.strs[25]);
  return 0;
}

void msgcb(std::string_view message) {
  q5rt::output().writeln(q5rt::concat("*** ", message));
  q5rt::output().flush();
}

}  // namespace gdutils
