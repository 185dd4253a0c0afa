// The solver capabilities file: reading it (with the solver items of the configuration
// files "zolmconfig.yaml"), writing it, and the default solvers by model type.
#include <filesystem>
#include <string>

#include "bindings/wyqdodef.h"
#include "frame/gfileopen.h"
#include "frame/q5rtnum.h"
#include "frame/q5text.h"
#include "frame/strutilx.h"
#include "frame/zolmdirs.h"
#include "instance/ctvproc.h"
#include "instance/zlmconf.h"

namespace zlmconf {

namespace {

constexpr std::int32_t firsttype = 1;
constexpr std::int32_t lasttype = modeltypecount - 1;
constexpr std::string_view configfile = "zolmconfig.yaml";
constexpr std::string_view releasetext = "26.1";
constexpr std::string_view unuseddefault = "0";

// Configuration item keys.
enum key : std::int32_t {
  kname = 0,
  kfiletype = 5,
  kdicttype = 6,
  kunused = 7,
  kdefaultok = 8,
  khidden = 9,
  kdeffile = 10,
  kscript = 11,
  kexe = 12,
  klib = 13,
  kaudit = 14,
  kinterface = 15,
  kthreadsafe = 16,
  kkind = 17
};
constexpr std::int32_t solveritem = 2;

constexpr std::string_view headerlines[] = {
    "*********************************",
    "* Zolm Solver Capabilities File *",
    "*********************************",
    "* solverId fileType dictType unused defaultOkFlag hiddenFlag linesToFollow modelTypes",
    "* scriptName",
    "* [exeName]",
    "* [libName auditCode solverInterfaceType [threadSafeIndic]]",
    "",
};

std::int32_t forced(std::int32_t filetype, bool forceft5) {
  return forceft5 ? filetype / 10 * 10 + 5 : filetype;
}

// A model type 1..15 by name (any case); 0 for another name.
std::int32_t modeltype(std::string_view name) {
  const std::int32_t t = tzlmconf::cfgmodeltypenumber(name);
  return t >= firsttype ? t : 0;
}

bool integer(std::string_view token, std::int32_t& v) {
  if (token.empty()) return false;
  std::int32_t code = 0;
  v = q5rt::Q5_Val_SPD(token, code);
  return code == 0;
}

// The lines of a capabilities file that count: tabs as blanks, comments and empty lines
// skipped, trimmed; every line read is counted.
class capsreader {
 public:
  explicit capsreader(q5rt::textfile& f) : f_(f) {}
  bool next() {
    while (!f_.eof()) {
      q5rt::sstr raw = f_.readln_string();
      ++number;
      std::string s(raw.view());
      for (char& c : s) c = c == '\t' ? ' ' : c;
      if (s.empty() || s.front() == '*') continue;
      const std::string_view t = q5rt::trim(s);
      if (t.empty()) continue;
      line = std::string(t);
      return true;
    }
    return false;
  }
  std::string line;
  std::int32_t number = 0;

 private:
  q5rt::textfile& f_;
};

}  // namespace

talgrecord& tzlmconf::freshrecord(std::string_view name) {
  std::int32_t k = scalgnumber(name);
  if (k == 0) {
    k = solvers.add(talglist::getnewrec());
  } else {
    solvers.setrec(k, talglist::getnewrec());
  }
  talgrecord& r = solvers.getrec(k);
  r.solverid.assign_cut(name);
  return r;
}

void tzlmconf::filldefaults() {
  for (std::int32_t t = firsttype; t <= lasttype; ++t) {
    std::int32_t& d = defaultsolver[static_cast<std::size_t>(t)];
    for (std::int32_t k = 1; d == 0 && k <= getnumalgs(); ++k) {
      if (solvers.getrec(k).modeltypes[static_cast<std::size_t>(t)]) d = k;
    }
  }
}

std::int32_t tzlmconf::screadconfig(std::string_view file, std::string_view sysdir) {
  return readcaps(file, sysdir, false);
}

std::int32_t tzlmconf::screadconfigforceft5(std::string_view file, std::string_view sysdir) {
  return readcaps(file, sysdir, true);
}

std::int32_t tzlmconf::readcaps(std::string_view file, std::string_view sysdir, bool forceft5) {
  (void)scsetmsg(q5rt::concat("Reading file: ", file));
  q5rt::textfile f;
  std::int32_t rc = 0;
  (void)gfileopen::grreset(file, true, f, rc);
  if (rc != 0) {
    (void)scsetmsg(
        q5rt::concat("Unable to open file (RC=", q5rt::Q5_Str_i0(rc), ") with system message:"));
    (void)scsetmsg(q5rt::iomessage(rc));
    return scnummsg();
  }
  capsreader in(f);
  const auto lineerror = [&](std::string_view text) {
    (void)scsetmsg(q5rt::concat(text, " in line below"));
    (void)scsetmsg(q5rt::concat("Line ", q5rt::Q5_Str_i0(in.number), ": ", in.line));
  };
  bool defaults = false;
  while (!defaults && in.next()) {
    std::string_view rest = in.line;
    const std::string_view name = nexttoken(rest);
    if (strutilx::struequal(name, "DEFAULT") || strutilx::struequal(name, "DEFAULTS")) {
      defaults = true;
      break;
    }
    talgrecord& r = freshrecord(name);
    struct field {
      std::int32_t* value;
      const char* error;
    };
    std::int32_t defaultok = 0, hidden = 0;
    const field first[] = {{&r.filetype, "File type read error"},
                           {&r.dicttype, "Dictionary type read error"}};
    const field second[] = {{&defaultok, "DefaultOK flag read error"},
                            {&hidden, "Hidden flag read error"},
                            {&r.linestofollow, "Load type read error"}};
    bool ok = true;
    for (const field& fl : first) {
      if (ok && !integer(nexttoken(rest), *fl.value)) ok = false, lineerror(fl.error);
    }
    if (ok) r.unusedtoken = nexttoken(rest);
    for (const field& fl : second) {
      if (ok && !integer(nexttoken(rest), *fl.value)) ok = false, lineerror(fl.error);
    }
    if (!ok) continue;  // the entry stays as far as it was read
    r.filetype = forced(r.filetype, forceft5);
    r.defaultokflag = defaultok != 0;
    r.hiddenflag = hidden != 0;
    r.modprob = r.linestofollow > 1 ? -1 : 0;
    while (!rest.empty()) {
      const std::string_view token = nexttoken(rest);
      if (const std::int32_t t = modeltype(token); t != 0) {
        r.modeltypes[static_cast<std::size_t>(t)] = true;
      } else {
        lineerror(q5rt::concat("Unknown model type ", token));
      }
    }
    const std::int32_t lines = r.linestofollow;
    if (!in.next()) {
      lineerror("Missing access text");
      break;
    }
    rest = in.line;
    r.scriptname = nexttoken(rest);
    r.deffile = rest;
    if (lines != 0) {
      if (!in.next()) {
        lineerror("Missing second access text");
        break;
      }
      r.exename = in.line;
    }
    if (lines > 1) {
      if (!in.next()) {
        lineerror("Missing third access text");
        break;
      }
      r.libline = in.line;
    }
    filldefaults();
  }
  while (defaults && in.next()) {
    std::string_view rest = in.line;
    const std::string_view type = nexttoken(rest);
    const std::string_view solver = nexttoken(rest);
    const std::int32_t t = modeltype(type);
    const std::int32_t k = scalgnumber(solver);
    if (t == 0) {
      lineerror(q5rt::concat("Unknown model type ", type));
    } else if (k == 0) {
      lineerror(q5rt::concat("Unknown solver name ", solver));
    } else if (solvers.getrec(k).modeltypes[static_cast<std::size_t>(t)]) {
      defaultsolver[static_cast<std::size_t>(t)] = k;
    } else {
      lineerror(q5rt::concat("Solver ", solver, " cannot do ", type));
      break;  // the rest of the defaults is not read
    }
  }
  f.close();
  int count = 0;
  zolmdirs::locationlist locations;
  (void)zolmdirs::zlmconfiglocations(count, locations, sysdir);
  for (int i = 0; i < count; ++i) {
    if (locations[static_cast<std::size_t>(i)].empty()) continue;
    const std::string yaml = std::string(strutilx::includetrailingpathdelimiterex(
                                             locations[static_cast<std::size_t>(i)].view())
                                             .view()) +
                             std::string(configfile);
    std::error_code ec;
    if (std::filesystem::exists(yaml, ec) && !mergeyaml(yaml, sysdir, forceft5)) break;
  }
  if (scnummsg() == 1) scclearmsg();
  return scnummsg();
}

// One configuration file's solver items; false (with three lines on standard output) when
// the file is to be ignored, which ends the merge.
bool tzlmconf::mergeyaml(std::string_view file, std::string_view sysdir, bool forceft5) {
  q5rt::textfile& out = q5rt::output();
  const auto ignoring = [&](std::string_view why) {
    out.writeln("");
    out.writeln(q5rt::concat("*** Ignoring settings from ", file));
    out.writeln(q5rt::concat("*** Error: ", why));
    return false;
  };
  q5rt::sstr msg;
  wyqdodef::wyq conf(bindproto::created, sysdir, msg);
  if (!msg.empty()) return ignoring(msg.view());
  bool failed = conf.wyqreadzolmconfig(q5rt::sstr::cut(file)) != 0 ||
                conf.wyqsetreadreleasefilter(q5rt::sstr::cut(releasetext)) != 0;
  const std::int32_t items = failed ? 0 : conf.wyqgetitemcount();
  for (std::int32_t item = 0; item < items && !failed; ++item) {
    std::int32_t kind = 0, value = 0;
    q5rt::sstr text;
    const std::int32_t rc = conf.wyqgetitemkv(item, kkind, kind, value, text);
    if (rc == 1) continue;
    if (rc != 0) {
      failed = true;
      break;
    }
    if (value != solveritem) continue;
    // A key is present when the call finds it with kind 1.
    const auto get = [&](std::int32_t k, std::int32_t& v, q5rt::sstr& t) {
      std::int32_t kd = 0;
      return conf.wyqgetitemkv(item, k, kd, v, t) == 0 && kd == 1;
    };
    std::int32_t v = 0;
    q5rt::sstr t;
    (void)get(kname, v, t);
    const q5rt::sstr name = strutilx::uppercase(t.view());
    talgrecord& r = freshrecord(name.view());
    r.filetype = forced(get(kfiletype, v, t) ? v : 1, forceft5);
    r.dicttype = get(kdicttype, v, t) ? v : 0;
    r.unusedtoken = get(kunused, v, t) ? std::string(t.view()) : std::string(unuseddefault);
    r.defaultokflag = !(get(kdefaultok, v, t) && v == 0);
    r.hiddenflag = get(khidden, v, t) && v != 0;
    r.linestofollow = 0;
    r.modprob = 0;
    if (get(kscript, v, t)) {
      r.scriptname = t.view();
    } else {
      out.writeln(q5rt::concat("*** No script name available for solver ", name));
    }
    if (get(kdeffile, v, t)) r.deffile = t.view();
    if (get(kexe, v, t)) {
      r.exename = t.view();
      r.linestofollow = 1;
      if (get(klib, v, t)) {
        std::string lib(t.view());
        if (get(kaudit, v, t)) {
          lib += " " + std::string(t.view());
        } else {
          out.writeln(q5rt::concat("*** No audit code for library for solver ", name));
          lib += " xxx";
        }
        if (get(kinterface, v, t)) {
          lib += " " + std::string(t.view());
        } else {
          lib += " 2";
          r.modprob = -1;
        }
        lib += " " + (get(kthreadsafe, v, t) ? std::string(t.view()) : std::string("0"));
        r.libline = lib;
        r.linestofollow = 2;
      }
    }
    std::array<std::int32_t, modeltypecount> flags{};
    if (conf.wyqgetmodeltypes(item, flags.data(), modeltypecount) != 0) {
      out.writeln(q5rt::concat("*** Cannot retrieve model types for solver ", name));
    }
    for (std::size_t m = 0; m < flags.size(); ++m) r.modeltypes[m] = flags[m] != 0;
  }
  if (!failed) return true;
  q5rt::sstr why;
  (void)conf.wyqgeterrormessage(why);
  return ignoring(why.view());
}

// ---- writing ----

std::int32_t tzlmconf::scwriteconfig(std::string_view file) {
  (void)scsetmsg(q5rt::concat("Writing file: ", file));
  q5rt::textfile out;
  std::int32_t rc = 0;
  (void)gfileopen::grrewrite(file, true, out, rc);
  if (rc != 0) {
    (void)scsetmsg(
        q5rt::concat("Unable to open file (RC=", q5rt::Q5_Str_i0(rc), ") with system message:"));
    (void)scsetmsg(q5rt::iomessage(rc));
    return scnummsg();
  }
  for (const std::string_view line : headerlines) out.writeln(line);
  for (std::int32_t k = 1; k <= getnumalgs(); ++k) {
    const talgrecord& r = solvers.getrec(k);
    out.writeln("");
    std::string a = q5rt::concat(r.solverid, " ", q5rt::Q5_Str_i0(r.filetype), " ",
                                 q5rt::Q5_Str_i0(r.dicttype), " ")
                        .str();
    a += r.unusedtoken.empty() ? std::string(unuseddefault) : r.unusedtoken;
    a += r.defaultokflag ? " 1" : " 0";
    a += r.hiddenflag ? " 1 " : " 0 ";
    a += q5rt::Q5_Str_i0(r.linestofollow).str();
    for (std::int32_t t = firsttype; t <= lasttype; ++t) {
      if (r.modeltypes[static_cast<std::size_t>(t)]) {
        a += " ";
        a += ctvproc::procnames[static_cast<std::size_t>(t)];
      }
    }
    out.writeln(a);
    std::string b(gettxtormissing(r.scriptname).view());
    if (!r.deffile.empty()) b += " " + r.deffile;
    out.writeln(b);
    if (r.linestofollow > 0) out.writeln(gettxtormissing(r.exename).view());
    if (r.linestofollow > 1) out.writeln(gettxtormissing(r.libline).view());
  }
  out.writeln("");
  out.writeln("");
  scwritesolverdefaults(out);
  out.close();
  if (scnummsg() == 1) scclearmsg();
  return scnummsg();
}

void tzlmconf::scwritesolverdefaults(q5rt::textfile& out) const {
  out.writeln("DEFAULTS");
  for (std::int32_t t = firsttype; t <= lasttype; ++t) {
    const std::int32_t k = defaultsolver[static_cast<std::size_t>(t)];
    if (k < 1 || k > getnumalgs()) continue;
    out.writeln(q5rt::concat(ctvproc::procnames[static_cast<std::size_t>(t)], " ",
                             solvers.getrec(k).solverid));
  }
}

// ---- defaults ----

std::int32_t tzlmconf::scsetdefault(std::string_view modeltypename, std::string_view solver,
                                    bool explain) {
  const std::int32_t t = modeltype(modeltypename);
  if (t == 0) {
    (void)scsetmsg(q5rt::concat("Bad model type ", modeltypename));
    return 1;
  }
  const std::int32_t k = scalgnumber(solver);
  if (k == 0) {
    (void)scsetmsg(q5rt::concat("Unknown solver name for ", modeltypename, "=", solver));
    if (explain) {
      (void)scsetmsg("There are three possible error sources, please check:");
      (void)scsetmsg(" 1. Zolm parameters next to the RUN button");
      (void)scsetmsg(" 2. Additional parameters in Options|Execute");
      (void)scsetmsg(" 3. Old project defaults, correct default solver Options|Solvers");
    }
    return 1;
  }
  if (!solvers.getrec(k).modeltypes[static_cast<std::size_t>(t)]) {
    (void)scsetmsg(q5rt::concat("Solver ", solver, " cannot solve ", modeltypename, "s"));
    return 1;
  }
  defaultsolver[static_cast<std::size_t>(t)] = k;
  return 0;
}

// A file that cannot be opened counts as empty.
void tzlmconf::scupdatedefaultsolvers(std::string_view file) {
  q5rt::textfile f;
  std::int32_t rc = 0;
  (void)gfileopen::grreset(file, true, f, rc);
  if (rc != 0) return;
  while (!f.eof()) {
    const q5rt::sstr raw = f.readln_string();
    const std::string_view line = q5rt::trim(raw.view());
    const std::size_t blank = line.find(' ');
    if (line.empty() || line.front() == '*' || blank == std::string_view::npos) continue;
    const std::int32_t t = modeltype(line.substr(0, blank));
    const std::int32_t k = scalgnumber(q5rt::trim(line.substr(blank + 1)));
    if (t != 0 && k != 0 && solvers.getrec(k).modeltypes[static_cast<std::size_t>(t)]) {
      defaultsolver[static_cast<std::size_t>(t)] = k;
    }
  }
  f.close();
}

}  // namespace zlmconf
