// The preparation of one BARON run: the quadratic check, BARON's option set, scratch
// names, the external NLP solver check, the objective reformulation switch, dot options
// and bound adjustments, the input file, the hessian files, the map file, the removal of
// old result files and the command line.
#include <filesystem>
#include <system_error>

#include "baron/gcbaron.h"
#include "baron/gcutil.h"
#include "baron/gcutil_qmaker.h"
#include "baron/optbaron.h"
#include "frame/q5platform.h"
#include "frame/q5process.h"
#include "frame/q5utils.h"
#include "frame/statlib.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"
#include "instance/ctvproc.h"
#include "instance/gcdata.h"
#include "instance/gdutils.h"
#include "instance/zlmconf.h"

namespace gcbaron {

namespace {

constexpr std::string_view supportaddress = "support@baronlink.example";

void log(std::string_view text) { gcdata::gclogstat(text); }

// The NLP solver option back to its default, with the warning that says so.
void resetnlpsolver(const optbaron::toptconvert& bo, std::string_view warning) {
  const gcdata::tmodel& m = gcdata::mymodel;
  bo.setdefined(optbaron::ixnlpsol, false);
  const double v = bo.getnumber(optbaron::ixnlpsol);
  q5rt::sstr text;
  if (v == m.valpin) {
    text = q5rt::sstr::cut("+Inf");
  } else if (v == m.valmin) {
    text = q5rt::sstr::cut("-Inf");
  } else if (v == m.valeps) {
    text = q5rt::sstr::cut("Eps");
  } else {
    text = strutilx::dbltostr(v);
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == 'E') {
        text[i] = 'e';
        break;
      }
    }
  }
  log(q5rt::concat("*** Warning: ExtNLPsolver ", warning, " Reset NLPSOL to ", text));
}

// The external NLP solver: a solver of the control file's table that can solve NLPs,
// optionally followed by a dot and digits. False when the control file cannot be read.
bool checkexternalnlp(const optbaron::toptconvert& bo) {
  if (!bo.getdefined(optbaron::ixextnlpsolver)) return true;
  const q5rt::sstr s = bo.getactual(optbaron::ixextnlpsolver);
  std::string_view name = s;
  if (const std::size_t dot = name.find('.'); dot != std::string_view::npos) {
    const std::string_view rest = name.substr(dot + 1);
    name = name.substr(0, dot);
    if (rest.find_first_not_of("0123456789") != std::string_view::npos)
      resetnlpsolver(bo, "syntax wrong.");
  }
  if (strutilx::uppercase(name) == "BARON") {
    resetnlpsolver(bo, "cannot be BARON itself.");
    return true;
  }
  q5rt::sstr msg;
  zlmconf::tzlmconf table(msg);
  gdutils::tcontrolrec rec;
  rec.strs[0] = gcdata::mymodel.ctrlfile;
  if (!gdutils::screadcontrol(rec, msg, table)) {
    log(q5rt::concat("*** Cannot read control file. Please contact ", supportaddress));
    log(q5rt::concat("*** Msg=", msg));
    return false;
  }
  const std::int32_t number = table.scalgnumber(name);
  if (number == 0) {
    resetnlpsolver(bo, "chosen unknown.");
  } else if (!table.sccapability(number, ctvproc::proc_nlp)) {
    resetnlpsolver(bo, "chosen not capable of solving NLPs.");
  }
  return true;
}

// True when the objective variable stands in its row alone, linearly: only then can the
// row be solved for it and the variable leave the model.
bool objvaronlyinobjrow() {
  const gcdata::tmodel& m = gcdata::mymodel;
  const zlmspecs::tjacrec* e = m.colfirst[static_cast<std::size_t>(m.objvar - 1)];
  return e != nullptr && e->colnext == nullptr && e->row == m.objrow && !e->nonlin &&
         e->jacval != 0;
}

// On only for a plain objective row (control values) and at least two columns; the
// option can lower it.
std::int32_t objreformswitch(const optbaron::toptconvert& bo) {
  const gcdata::tmodel& m = gcdata::mymodel;
  std::int32_t on =
      m.ctlint24 == 0 && m.ctlint20 == 1 && m.ctlint22 == 0 && m.ctlint23 == 0 ? 1 : 0;
  on = std::min(on, optset::roundint(bo.getnumber(optbaron::ixobjreform)));
  if (m.cols <= 1 || m.objvar < 1 || m.objvar > m.cols || m.objrow < 1 || m.objrow > m.rows)
    return 0;
  if (static_cast<std::size_t>(m.objvar) > m.colfirst.size() || !objvaronlyinobjrow()) return 0;
  return on;
}

// The first steps up to the switches: false stops the run (the reason is logged).
bool optionset(optbaron::toptconvert& bo) {
  if (bo.optdefine() != 0) return log("*** option initialization failed"), false;
  if (bo.optgetzolm() != 0) return log("*** zolm option initialization failed"), false;
  bo.setactual(optbaron::ixhessinst, gcutil::scratchname("hessinst"));
  bo.setactual(optbaron::ixtim, gcutil::scratchname("tim"));
  bo.setactual(optbaron::ixres, gcutil::scratchname("res"));
  bo.setactual(optbaron::ixsum, gcutil::scratchname("sum"));
  bo.setactual(optbaron::ixopt, gcutil::scratchname("opt"));
  bo.setactual(optbaron::ixbarname, gcutil::scratchname("mybaron"));
  if (bo.optreporterrors() != 0) return log("*** interface initialization failed"), false;
  (void)bo.optreadoptions();
  bo.setactual(optbaron::ixctrlfile, gcdata::mymodel.ctrlfile);
  for (const std::uint8_t gap : {optbaron::ixepsa, optbaron::ixepsr}) {
    if (bo.getnumber(gap) < 1e-9) bo.setnumber(gap, 1e-9);
  }
  if (bo.getnumber(optbaron::ixhessian) == 0) bo.setdefined(optbaron::ixhessinst, false);
  if (bo.optreporterrors() != 0) return log("*** interface update failed"), false;
  state.objvarname =
      bo.getdefined(optbaron::ixobjvarname) ? bo.getactual(optbaron::ixobjvarname) : q5rt::sstr{};
  state.dotbaronly = false;
  state.skipstarting = bo.getdefined(optbaron::ixskipstart);
  state.optphaseone = optset::roundint(bo.getnumber(optbaron::ixphaseone));
  return true;
}

// The result files of this run go before BARON starts, so that a previous run's results
// are never read as this run's. Only a regular file or a symbolic link goes: a device
// (/dev/null for the summary), a pipe or a directory named by the options stays, and the
// result reader says so when it cannot hold BARON's result. False when one cannot be
// removed.
bool removeresults(const optbaron::toptconvert& bo) {
  for (const std::uint8_t ix : {optbaron::ixtim, optbaron::ixres, optbaron::ixsum}) {
    const q5rt::sstr name = bo.getactual(ix);
    if (name.empty()) continue;
    if (const int rc = q5utils::q5removeplainfile(name.view()); rc != 0) {
      log(q5rt::concat("*** Could not remove old result file \"", name,
                       "\": ", q5rt::syserrortext(rc)));
      return false;
    }
  }
  return true;
}

// The scratch names that the option set and the file layer keep whole: every one of them
// (the quadratic check's derived names are the longest) fits a short string. False, with a
// line naming the longest, when the scratch folder leaves no room for them.
bool scratchnamesfit() {
  const gcdata::tmodel& m = gcdata::mymodel;
  constexpr std::string_view longest = "zolmqvrk";
  const std::size_t n = m.scrdir.size() + longest.size() + 1 + m.scrext.size();
  if (n <= q5rt::sstr::capacity) return true;
  std::string text = "*** Scratch folder too long for the scratch file names (";
  text.append(strutilx::inttostrw(static_cast<std::int64_t>(n), 0))
      .append(" characters, at most 255): \"")
      .append(m.scrdir)
      .append("\"");
  log(text);
  return false;
}

// Why BARON's quoted text cannot carry a path: it ends at a double quote and reads a
// backslash as an escape; control characters break its lines. Empty when it can.
std::string_view unquotable(std::string_view path) {
  for (const char c : path) {
    if (c == '"') return "a double quote";
    if (c == '\\') return "a backslash";
    if (static_cast<unsigned char>(c) < ' ' || c == 127) return "a control character";
  }
  return {};
}

// The paths that the input file gives BARON between double quotes: the control file, the
// hessian, result and option files, and the system directory of the libraries. False,
// with a line naming the path and why, when one cannot be written so.
bool quotablepaths(const optbaron::toptconvert& bo) {
  const auto quotable = [](std::string_view what, std::string_view path) {
    const std::string_view why = unquotable(path);
    if (why.empty()) return true;
    std::string text = "*** Cannot give BARON the path ";
    text.append(what).append(" \"").append(path).append("\": it holds ").append(why);
    log(text);
    return false;
  };
  for (const std::uint8_t ix :
       {optbaron::ixctrlfile, optbaron::ixhessctrl, optbaron::ixhessinst, optbaron::ixtim,
        optbaron::ixres, optbaron::ixsum, optbaron::ixopt}) {
    if (bo.getdefined(ix) && !quotable(bo.getoptname(ix), bo.getactual(ix))) return false;
  }
  return quotable("of the libraries", gcdata::mymodel.sysdir);
}

// False, logged and the cut file removed, when a write or the close of BARON's input file
// failed: BARON must not read a file that is cut or empty.
bool inputwritten(q5rt::textfile& input) {
  const int rc = input.ioresult();
  if (rc == 0) return true;
  input.close();
  (void)input.ioresult();
  writefailed(input.name(), rc);
  return false;
}

// "baron" "<input file>" and the redirection of its output to the log.
std::string commandline(const optbaron::toptconvert& bo) {
  std::string line;
  switch (q5platform::osfiletype()) {
    case q5platform::filetype::unix_style:
      line = "baron";
      break;
    case q5platform::filetype::windows_style:
      line = "baron.exe";
      break;
    default:
      line = "Unknown_OS_Module";
      break;
  }
  line += " " + q5process::shellquoted(bo.getactual(optbaron::ixbarname));
  std::error_code ec;
  std::string cwd = std::filesystem::current_path(ec).string();
  cwd = strutilx::includetrailingpathdelimiterex(cwd).str();
  std::string redirect;
  statlib::getshortredirlogstr(redirect, cwd);
  constexpr std::string_view append = " >> ";
  if (gcdata::mymodel.logoption == 4 && redirect.starts_with(append)) {
    redirect = " | tee -a " + redirect.substr(append.size());
  }
  return line + redirect;
}

std::int32_t prepare(std::string& execline) {
  gcdata::tmodel& m = gcdata::mymodel;
  if (!scratchnamesfit()) return 1;
  if (m.modeltype == ctvproc::proc_qcp || m.modeltype == ctvproc::proc_miqcp ||
      m.modeltype == ctvproc::proc_rmiqcp) {
    if (gcutil::gcqmaker(gcutil::scratchname("zolmq"), true) != 0) return 1;
  }
  optbaron::toptconvert& bo = optbaron::boinit();
  if (!optionset(bo)) return 1;
  if (!checkexternalnlp(bo)) return 1;
  if (!quotablepaths(bo)) return 1;
  if (state.optphaseone != 0) {
    log(q5rt::concat("--- Solving PhaseOne problem of type ",
                     strutilx::inttostrw(state.optphaseone, 0)));
    log("");
  }
  state.objreform = objreformswitch(bo);
  savedbounds saved;
  saved.take();
  state.baronequclass.assign(static_cast<std::size_t>(m.rows), 0);
  state.baronequtozolm.assign(static_cast<std::size_t>(m.rows), 0);
  state.baronvartozolm.assign(static_cast<std::size_t>(m.cols), 0);
  applydotoptions(bo, saved);

  const std::int32_t modeltype = m.modeltype;
  if (m.relaxed != 0) m.modeltype = ctvproc::proc_rminlp;
  q5rt::textfile input;
  if (gcutil::open4write(input, bo.getactual(optbaron::ixbarname), "") != 0) {
    m.modeltype = modeltype;
    gcdata::gcsetstatus(6, 14);
    return 1;
  }
  const std::int32_t notes = writedotbar(input, &bo);
  const bool written =
      inputwritten(input) && (bo.getnumber(optbaron::ixhessian) == 0 || writehessian(bo));
  m.modeltype = modeltype;
  if (!written || notes > 0) {
    gcdata::gcsetstatus(6, 14);
    return written ? notes : 1;
  }
  const bool mapped = writemapfile(gcutil::scratchname("bavemap"));
  saved.restore();
  if (!mapped) return 1;
  if (!removeresults(bo)) return 1;
  execline = commandline(bo);
  return 0;
}

}  // namespace

std::int32_t prebaron(std::string& execline) {
  execline.clear();
  return prepare(execline);
}

}  // namespace gcbaron
