// After BARON's run: the tim line, the summary copied into the status file, BARON's codes
// mapped to the solver and model status, the res file, the gap report, the row levels,
// phase one and the release of the run's option set and maps.
#include "baron/gcbaron_results.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "baron/gcbaron.h"
#include "baron/optbaron.h"
#include "frame/q5rtnum.h"
#include "frame/q5utils.h"
#include "frame/statlib.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"
#include "funclib/mathnew.h"
#include "instance/ctvproc.h"
#include "instance/gcdata.h"

namespace gcbaron {

// ---- reading ----

linereader::~linereader() { close(); }

void linereader::close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

int linereader::open(std::string_view path, std::int64_t limit) {
  settext({}, limit);
  errno = 0;
  file_ = std::fopen(std::string(path).c_str(), "rb");
  if (file_ == nullptr) return errno != 0 ? errno : ENOENT;
  buf_.resize(buffersize);
  (void)fill();
  return readerror_ != 0 ? EIO : 0;
}

void linereader::settext(std::string text, std::int64_t limit) {
  close();
  buf_ = std::move(text);
  pos_ = 0;
  end_ = buf_.size();
  used_ = 0;
  limit_ = limit;
  failed_ = toolarge_ = false;
  readerror_ = 0;
}

// Moves the unread bytes to the front of the buffer and reads more behind them; false when
// nothing came (the end of the file, or a read error, which closes it).
bool linereader::fill() {
  if (file_ == nullptr) return false;
  if (pos_ > 0) {
    std::memmove(buf_.data(), buf_.data() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  const std::size_t want = buf_.size() - end_;
  errno = 0;
  const std::size_t n = std::fread(buf_.data() + end_, 1, want, file_);
  end_ += n;
  if (n < want) {
    if (std::ferror(file_) != 0) readerror_ = errno != 0 ? errno : EIO;
    close();
  }
  return n > 0;
}

bool linereader::stop(bool toolarge) {
  failed_ = true;
  toolarge_ = toolarge_ || toolarge;
  close();
  return false;
}

bool linereader::next(std::string_view& line) {
  if (failed_ || readerror_ != 0) return stop(false);
  std::size_t scanned = pos_;  // no line end before here
  const char* nl = nullptr;
  bool longline = false;
  while (true) {
    nl = static_cast<const char*>(std::memchr(buf_.data() + scanned, '\n', end_ - scanned));
    if (nl != nullptr || file_ == nullptr) break;
    if (end_ - pos_ >= buf_.size()) {
      longline = true;
      break;
    }
    const std::size_t seen = end_ - pos_;
    if (!fill()) break;
    scanned = pos_ + seen;
  }
  std::int64_t length = 0;  // of the line, its line end included
  if (longline) {
    // Keeps the start that a line can use and drops the rest up to the line end.
    long_.assign(buf_.data() + pos_, maxline + 1);
    while (nl == nullptr) {
      length += static_cast<std::int64_t>(end_ - pos_);
      pos_ = end_;
      if (used_ + length > limit_) return stop(true);
      if (!fill()) break;
      nl = static_cast<const char*>(std::memchr(buf_.data() + pos_, '\n', end_ - pos_));
    }
  }
  if (readerror_ != 0) return stop(false);
  if (!longline && nl == nullptr && pos_ >= end_) return stop(false);  // the end of the text
  const std::size_t lineend = nl != nullptr ? static_cast<std::size_t>(nl - buf_.data()) : end_;
  length += static_cast<std::int64_t>(lineend - pos_) + (nl != nullptr ? 1 : 0);
  if (used_ + length > limit_) return stop(true);
  used_ += length;
  line = longline ? std::string_view(long_) : std::string_view(buf_.data() + pos_, lineend - pos_);
  pos_ = nl != nullptr ? lineend + 1 : end_;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() > maxline) line = line.substr(0, maxline);
  return true;
}

bool linereader::skip(std::int64_t n) {
  std::string_view line;
  for (std::int64_t k = 0; k < n; ++k) {
    if (!next(line)) return false;
  }
  return true;
}

namespace {

// The token before the first blank (all of the line when it holds none); line keeps the
// trimmed rest.
void cuttoken(q5rt::sstr& token, q5rt::sstr& line) {
  const std::string_view text = line;
  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos) {
    token = line;
    line.clear();
    return;
  }
  token.assign_cut(text.substr(0, blank));
  const q5rt::sstr rest = q5rt::sstr::cut(q5rt::trim(text.substr(blank)));
  line = rest;
}

}  // namespace

void couldnotopen(std::string_view path, int rc) {
  gcdata::gclogstat(q5rt::concat("*** could not open file ", path));
  gcdata::gclogstat(
      q5rt::concat("*** RC=", strutilx::inttostrw(rc, 0), " ", q5rt::syserrortext(rc)));
}

void couldnotread(std::string_view path, const linereader& f) {
  if (f.toolarge()) {
    gcdata::gclogstat(q5rt::concat("*** could not read file ", path, ": larger than ",
                                   strutilx::inttostrw(f.limit(), 0), " bytes"));
    return;
  }
  gcdata::gclogstat(q5rt::concat("*** could not read file ", path));
  gcdata::gclogstat(q5rt::concat("*** RC=", strutilx::inttostrw(f.readerror(), 0), " ",
                                 q5rt::syserrortext(f.readerror())));
}

bool baronreal(std::string_view text, double& value) {
  q5rt::sstr t = q5rt::sstr::cut(text);
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == 'D' || t[i] == 'd') t[i] = 'E';
  }
  std::int32_t code = 0;
  q5rt::Q5_Val_dd(t, value, code);
  if (std::isfinite(value)) return code == 0;
  value = 0;  // beyond the double range: no number either
  return false;
}

std::int32_t nexti(std::int32_t& value, q5rt::sstr& token, q5rt::sstr& line) {
  cuttoken(token, line);
  std::int32_t code = 0;
  value = q5rt::Q5_Val_SPD(token, code);
  return code == 0 ? 0 : notanumber;
}

std::int32_t nextr(double& value, q5rt::sstr& token, q5rt::sstr& line) {
  cuttoken(token, line);
  return baronreal(token, value) ? 0 : notanumber;
}

namespace {

using gcdata::gclogstat;

q5rt::sstr num(std::int64_t v) { return strutilx::inttostrw(v, 0); }
// A real as the reports write it; the not-available value as "NA".
q5rt::sstr real(double v) {
  return v == zlmspecs::valna ? q5rt::sstr::cut("NA") : strutilx::dbltostr(v);
}

// The values of the tim line.
struct timvalues {
  double zlbest = zlmspecs::valna;
  double zub = zlmspecs::valna;
  std::int32_t barstatus = 0;
  std::int32_t modelstatus = 0;
  std::int32_t missingbnd = 0;
  std::int32_t itera = 0;
  std::int32_t nodeopt = 0;
  std::int32_t nodememmax = 0;
  double time = 0;
  q5rt::sstr nodemessage = q5rt::sstr::cut("bad nodeopt code");
};

class postrun {
 public:
  explicit postrun(const resultfiles& files)
      : files_(files), m_(gcdata::mymodel), sumpath_(files.sum) {}

  bool run() {
    start();
    if (!readtim()) return false;
    bool mapping = true;
    const sumread sum = copysum();
    if (sum == sumread::broken) return false;
    if (sum == sumread::missing) {
      if (t_.barstatus == 4 && t_.modelstatus == 5) {
        gclogstat("*** Time limit exceeded in parsing phase.");
        gcdata::gcsetstatus(3, 14);
        t_.modelstatus = 6;
        mapping = false;
      }
    }
    if (mapping) {
      solverstatus();
      modelstatus();
    }
    const resresult res = readres(files_, {t_.modelstatus, candidate_, t_.nodeopt, t_.zub});
    if (res.outcome == resoutcome::stop) return false;
    if (res.outcome == resoutcome::nosolution) {
      gclogstat("*** No solution found - further Baron post processing aborted");
      return false;
    }
    t_.zub = res.zub;
    gapreport(res.solutions);
    if (m_.modeltype == ctvproc::proc_cns &&
        (m_.modelstat == 1 || m_.modelstat == 2 || m_.modelstat == 7 || m_.modelstat == 8)) {
      gcdata::gcsetstatus(m_.solvestat, 16);
      m_.headinfo[headobjective] = 0;
    }
    evaleqs(nullptr);
    if (state.optphaseone != 0) phaseone();
    return true;
  }

 private:
  bool discrete() const {
    return (m_.modeltype == ctvproc::proc_mip || m_.modeltype == ctvproc::proc_minlp ||
            m_.modeltype == ctvproc::proc_miqcp) &&
           m_.relaxed == 0;
  }

  void start() {
    state.evalerrors = 0;
    state.evalerrormax = 5;
    mathnew::linklogerror(state.mnrec, &logmatherror);
    gcdata::gcallocsolution();
    m_.collevel.assign(static_cast<std::size_t>(m_.cols), 88888);
    m_.colmarginal.assign(static_cast<std::size_t>(m_.cols), 0);
    m_.colbasis.assign(static_cast<std::size_t>(m_.cols), 3);
    m_.rowmarginal.assign(static_cast<std::size_t>(m_.rows), 0);
    m_.rowbasis.assign(static_cast<std::size_t>(m_.rows), 3);
    for (const std::size_t k : {headitem3, headtime, headobjective})
      m_.headinfo[k] = zlmspecs::valna;
    gcdata::gcsetstatus(13, 13);
  }

  static void echo(std::string_view label, std::string_view value) {
    statlib::gcstat(q5rt::concat(label, value));
  }

  // The tim line; false when the file cannot be read (the run's answer is then 10/12).
  bool readtim() {
    const q5rt::sstr path = files_.tim;
    linereader f;
    const int rc = f.open(path, files_.timlimit);
    if (rc != 0) {
      gcdata::gcsetstatus(10, 12);
      couldnotopen(path, rc);
      return false;
    }
    std::string_view first;
    if (!f.next(first) && f.broken()) {
      gcdata::gcsetstatus(10, 12);
      couldnotread(path, f);
      return false;
    }
    statlib::gcstat(q5rt::concat(sumpath_, " ", "    = ", first));
    q5rt::sstr line = q5rt::sstr::cut(q5rt::trim(first));
    q5rt::sstr token;
    cuttoken(token, line);
    for (int k = 0; k < 4; ++k) {
      std::int32_t skip = 0;
      (void)nexti(skip, token, line);
      echo(" skip       = ", num(skip));
    }
    double first_real = 0, second_real = 0;
    if (nextr(first_real, token, line) != 0) first_real = zlmspecs::valna;
    if (nextr(second_real, token, line) != 0) second_real = zlmspecs::valna;
    if (m_.maximize != 0 && state.optphaseone == 0) std::swap(first_real, second_real);
    t_.zlbest = first_real;
    t_.zub = second_real;
    echo(" zlbest     = ", real(t_.zlbest));
    echo(" zub        = ", real(t_.zub));
    m_.tailinfo[tailbound] = t_.zlbest;

    const bool barok = nexti(t_.barstatus, token, line) == 0;
    echo(" barstatus  = ", num(t_.barstatus));
    if (!barok) {
      gclogstat("*** could not extract Baron Status code");
      gcdata::gcsetstatus(10, 12);
      t_.barstatus = 7;
    }
    const bool modelok = nexti(t_.modelstatus, token, line) == 0;
    echo(" modelstatus= ", num(t_.modelstatus));
    if (!modelok) {
      gclogstat("*** could not extract Model Status code");
      gcdata::gcsetstatus(10, 12);
      t_.modelstatus = 5;
    }
    if (nexti(t_.missingbnd, token, line) != 0) t_.missingbnd = -2;
    echo(" missingbnd = ", num(t_.missingbnd));
    const bool iteraok = nexti(t_.itera, token, line) == 0;
    echo(" itera      = ", num(t_.itera));
    if (iteraok) m_.tailinfo[tailiterations] = t_.itera >= 0 ? t_.itera : 0;
    const bool nodeok = nexti(t_.nodeopt, token, line) == 0;
    echo(" nodeopt    = ", num(t_.nodeopt));
    if (!nodeok) {
      statlib::gclog("*** nodeopt decodong error");
    } else if (t_.nodeopt == -3) {
      t_.nodemessage = q5rt::sstr::cut("no solution found");
    } else if (t_.nodeopt == -2) {
      t_.nodemessage = q5rt::sstr::cut("initial point is best found");
    } else if (t_.nodeopt == -1) {
      t_.nodemessage = q5rt::sstr::cut("best solution found during preprocessing");
    } else {
      t_.nodemessage = q5rt::concat("found at node ", num(t_.nodeopt));
    }
    (void)nexti(t_.nodememmax, token, line);
    echo(" nodememmax = ", num(t_.nodememmax));
    if (nextr(t_.time, token, line) == 0) m_.headinfo[headtime] = t_.time;
    if (!state.reportcputime && nextr(t_.time, token, line) == 0) m_.headinfo[headtime] = t_.time;
    echo(" totaltime  = ", strutilx::dbltostr(t_.time));
    return true;
  }

  enum class sumread : std::uint8_t { copied, missing, broken };

  // BARON's summary into the status file, its part from the total time to the closing
  // rule copied into the listing. A summary that cannot be read to its end (beyond its
  // bound, a read error) stops the run with the failed-read status.
  sumread copysum() {
    linereader f;
    const int rc = f.open(sumpath_, files_.sumlimit);
    if (rc != 0) {
      if (t_.barstatus != 10 && !(t_.barstatus == 4 && t_.modelstatus == 5))
        couldnotopen(sumpath_, rc);
      return sumread::missing;
    }
    statlib::gcstatedit('_');
    std::string_view line;
    while (f.next(line)) {
      const std::string_view head = line.substr(0, 20);
      if (head == "  Total time elapsed") statlib::gcstatcon();
      if (head == "====================" || head == " All done with probl") statlib::gcstatcoff();
      statlib::gcstat(line);
    }
    statlib::gcstatedit('=');
    if (!f.broken()) return sumread::copied;
    gcdata::gcsetstatus(10, 12);
    couldnotread(sumpath_, f);
    return sumread::broken;
  }

  void solverstatus() {
    switch (t_.barstatus) {
      case 1:
      case 12:
        solvestat_ = 1;
        break;
      case 2:
        solvestat_ = 4;
        break;
      case 3:
        solvestat_ = 2;
        break;
      case 4:
        solvestat_ = 3;
        break;
      case 5:
        solvestat_ = 1;
        gclogstat("--- Numerical difficulties in final local search");
        candidate_ = discrete() ? 8 : 7;
        break;
      case 6:
        solvestat_ = 8;
        break;
      case 7:
        solvestat_ = 10;
        break;
      case 8:
        solvestat_ = 10;
        gclogstat("*** BARON development exit barstatus=8");
        gclogstat(q5rt::concat("*** report to ", supportmail));
        break;
      case 9:
        solvestat_ = 4;
        gclogstat("*** terminated by BARON barstatus=9");
        gclogstat("*** inspect listing file carefully");
        break;
      case 10:
        solvestat_ = 10;
        gclogstat("*** BARON syntax errors barstatus=10");
        gclogstat(q5rt::concat("*** report to ", supportmail));
        break;
      default:
        solvestat_ = 10;
        gclogstat(q5rt::concat("*** unknown barstatus code= ", num(t_.barstatus), " on ", sumpath_,
                               " file"));
        t_.barstatus = 9;
        break;
    }
  }

  void modelstatus() {
    std::int32_t& ms = t_.modelstatus;
    if (ms >= 1 && ms <= 4) {
      statlib::gcstat(" reset missingbounds to 0");
      t_.missingbnd = 0;
    }
    bool mayhavesolution = ms == 1 || ms == 3 || ms == 4;
    switch (ms) {
      case 1:
        break;
      case 2:
        gcdata::gcsetstatus(solvestat_, 19);
        break;
      case 3:
        candidate_ = 3;
        break;
      case 4:
        candidate_ = discrete() ? 8 : 7;
        ms = 1;
        break;
      case 5:
        if (t_.barstatus == 1) {
          if (t_.missingbnd != 0) gclogstat("*** Bounds too wide - model status uncertain");
          gcdata::gcsetstatus(solvestat_, 14);
        } else if (t_.barstatus == 4) {
          gclogstat("*** Time or user interrupt, gap calculations");
          gclogstat("*** are invalid because of an incomplete solution.");
          solvestat_ = 8;
          candidate_ = 7;
          ms = 1;
          mayhavesolution = true;
        } else if (t_.barstatus == 10) {
          gclogstat("*** no solution found barstatus=10");
          gcdata::gcsetstatus(solvestat_, 14);
        } else {
          gclogstat("*** no solution found");
          gcdata::gcsetstatus(solvestat_, 12);
        }
        break;
      case 6:
        gcdata::gcsetstatus(solvestat_, candidate_);
        break;
      default:
        gclogstat(
            q5rt::concat("*** unknown modelstatus code= ", num(ms), " on ", sumpath_, " file"));
        ms = 5;
        gcdata::gcsetstatus(solvestat_, 12);
        break;
    }
    if (mayhavesolution && t_.nodeopt < -2) gcdata::gcsetstatus(3, 14);
  }

  void gapreport(std::int32_t solutions) {
    if (m_.objvar >= 1 && m_.objvar <= m_.cols)
      m_.headinfo[headobjective] = m_.collevel[static_cast<std::size_t>(m_.objvar - 1)];
    if (t_.missingbnd == -1) {
      gclogstat("*** Bounds were not checked - solution may not be global");
    } else if (t_.missingbnd > 0) {
      gclogstat("*** Bounds too wide - solution may not be global");
    } else if (t_.missingbnd < -1) {
      gclogstat("*** Unexpected missingbounds code - solution may not be global");
      t_.missingbnd = -1;
    }
    m_.headinfo[headitem3] = 0;
    m_.headinfo[headitem6] = 0;
    const bool known = t_.zlbest != zlmspecs::valna && t_.zub != zlmspecs::valna;
    double absgap = known ? std::fabs(t_.zlbest - t_.zub) : zlmspecs::valna;
    if ((m_.modeltype == ctvproc::proc_lp || m_.modeltype == ctvproc::proc_rmip) &&
        t_.modelstatus == 1) {
      absgap = 0;
      t_.zlbest = t_.zub;
    }
    if (solutions > 1) t_.nodemessage.clear();
    gclogstat("");
    if (candidate_ == 3) {
      gclogstat("Problem found to be unbounded.");
      gclogstat("");
      gcdata::gcsetstatus(solvestat_, 3);
      return;
    }
    double relgap = zlmspecs::valna;
    if (t_.zub == t_.zlbest) {
      relgap = 0;
    } else if (t_.zub != zlmspecs::valna && t_.zlbest != zlmspecs::valna &&
               t_.zub * t_.zlbest >= 0) {
      relgap = absgap / std::max(std::fabs(t_.zub), std::fabs(t_.zlbest));
    }
    gclogstat(q5rt::concat("Solution      = ", real(t_.zub), "  ", t_.nodemessage));
    gclogstat(q5rt::concat("Best possible = ", real(t_.zlbest)));
    gclogstat(q5rt::concat("Absolute gap  = ", real(absgap),
                           "  optca = ", sysutils::q5_floattostr(files_.optca)));
    gclogstat(q5rt::concat("Relative gap  = ", real(relgap),
                           "  optcr = ", strutilx::dbltostr(files_.optcr)));
    gclogstat("");
    const bool gapclosed = (relgap != zlmspecs::valna && relgap <= 2e-9) ||
                           (absgap != zlmspecs::valna && absgap <= 1.1e-9);
    if (gapclosed && state.optbounds == 0 && t_.missingbnd == 0) {
      gcdata::gcsetstatus(solvestat_, 1);
      return;
    }
    if (gapclosed && state.optbounds > 0) {
      gclogstat("***");
      gclogstat("*** Option bounds - solution may not be global");
      gclogstat("***");
    }
    gcdata::gcsetstatus(solvestat_, discrete() ? 8 : state.haveduals ? 2 : 7);
  }

  void phaseone() {
    if (m_.objrow >= 1 && m_.objrow <= m_.rows) {
      const auto o = static_cast<std::size_t>(m_.objrow - 1);
      m_.rowlevel[o] = m_.rowrhs[o];
    }
    m_.headinfo[headobjective] = t_.zub;
    statlib::gcstatc("***************************************");
    statlib::gcstatc("**** This is the PhaseOne solution ****");
    statlib::gcstatc("***************************************");
    gcdata::gcsetstatus(m_.solvestat, t_.zub > 1e-10 ? 4 : 7);
    for (std::size_t i = 0; i < static_cast<std::size_t>(m_.rows); ++i) {
      const double d = m_.rowlevel[i] - m_.rowrhs[i];
      const std::int32_t type = m_.rowtype[i];
      const bool violated = (type == zlmspecs::rowe && std::fabs(d) >= 1e-6) ||
                            (type == zlmspecs::rowg && d <= -1e-6) ||
                            (type == zlmspecs::rowl && d >= 1e-6);
      if (violated) m_.rowstatus[i] = 2;
    }
  }

  const resultfiles& files_;
  gcdata::tmodel& m_;
  const q5rt::sstr sumpath_;
  timvalues t_;
  std::int32_t solvestat_ = 10;
  std::int32_t candidate_ = 13;
};

}  // namespace

namespace {

// The bound that the environment sets for every result file; 0 when it sets none.
std::int64_t environmentlimit() {
  char text[32];
  const std::uint32_t n = q5utils::q5getenvpc(maxresultvar, text, sizeof text);
  if (n == 0 || n >= sizeof text) return 0;
  std::int64_t limit = 0;
  const auto [end, ec] = std::from_chars(text, text + n, limit);
  return ec == std::errc{} && end == text + n && limit > 0 ? limit : 0;
}

}  // namespace

resultfiles resultfilesof(const optbaron::toptconvert& bo) {
  resultfiles f;
  if (const std::int64_t limit = environmentlimit(); limit > 0)
    f.timlimit = f.reslimit = f.sumlimit = limit;
  f.tim = bo.getactual(optbaron::ixtim);
  f.res = bo.getactual(optbaron::ixres);
  f.sum = bo.getactual(optbaron::ixsum);
  f.solutionfiles = bo.getdefined(optbaron::ixsolprefix);
  f.prefix = bo.getactual(optbaron::ixsolprefix);
  f.optca = bo.getnumber(optbaron::ixepsa);
  f.optcr = bo.getnumber(optbaron::ixepsr);
  return f;
}

bool readresults(const resultfiles& files) { return postrun(files).run(); }

void postbaron() {
  if (!optbaron::bo) return;
  if (!readresults(resultfilesof(*optbaron::bo))) return;
  state.baronequclass.clear();
  state.baronequtozolm.clear();
  state.baronvartozolm.clear();
  optbaron::bofini();
}

}  // namespace gcbaron
