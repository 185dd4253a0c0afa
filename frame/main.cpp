// baronlink: the solver link between Zolm and BARON. One argument: the control file's path,
// or "AUDIT" (in any case) for the banner line.
//
// One run: load the control file, open log and status file, load the model instance,
// write the banner lines, let the BARON translation prepare the run, run BARON through
// the shell, read its results back, write the solution file. Exit codes: 1 without an
// argument, when the control file cannot be loaded or when the solution file cannot be
// written whole, 0 otherwise (a failed solve reaches the modelling system through the
// solver and model status only).
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "baron/gcbaron.h"
#include "frame/kvbaudit.h"
#include "frame/q5process.h"
#include "frame/q5rt.h"
#include "frame/q5text.h"
#include "frame/statlib.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"

namespace baron {

// Interrupts received; the link does not stop for them and nothing reads the count.
std::atomic<std::int32_t> ctrlpending{0};
static_assert(std::atomic<std::int32_t>::is_always_lock_free,
              "the counter is used in a signal handler");

void topctrlhandle(int /*signum*/) { ctrlpending.fetch_add(1, std::memory_order_relaxed); }

}  // namespace baron

namespace {

constexpr std::string_view systemname = "Zolm/BARON";
constexpr std::string_view noargument = "*** Zolm/BARON called with no control file name";
constexpr std::string_view couldnotload = "*** Zolm/BARON could not load controlfile ";
constexpr std::string_view msgprefix = "*** Msg=";
constexpr std::string_view exceptionhandler = "Q5 Standard Exception Handler: ";

// The status file's credit lines, after the banner.
constexpr std::string_view credits[] = {
    "BARON is a product of The Optimization Firm, LLC.",
    "BARON finds global optima of nonlinear and mixed-integer nonlinear programs.",
    "Zolm/BARON link: the model instance translated for BARON and its results read back.",
};

// A line on standard output; a failed write raises the I/O exception.
void writeline(std::string_view text) {
  auto& out = q5rt::output();
  out.writeln(text);
  out.flush();
}

q5rt::sstr bannerline() {
  q5rt::sstr banner;
  kvbaudit::kvbgetauditline(banner);
  return banner;
}

// The lines that open a run: an empty line, the banner and an empty line to log and status
// file, then the credit lines and an empty line to the status file.
void writeopening(std::string_view banner) {
  gcdata::gclogstat("");
  gcdata::gclogstat(banner);
  gcdata::gclogstat("");
  for (const std::string_view line : credits) statlib::gcstatc(line);
  statlib::gcstatc("");
}

// The preparation, and when it asks for it BARON's run with the log closed around it (BARON
// appends its output to the log file) and the reading of its results. BARON's exit code
// is not used.
void runbaron() {
  std::string execline;  // never cut
  if (gcbaron::prebaron(execline) != 0) return;
  gcdata::gccloselog();
  int rc = 0;
  (void)q5process::q5system(execline, rc);
  gcdata::gcopenlog();
  gcbaron::postbaron();
}

int run(int argc, char** argv) {
  if (argc < 2) {
    writeline(noargument);
    q5rt::exitcode = 1;
    return q5rt::exitcode;
  }
  baron::ctrlpending = 0;
  (void)q5process::q5installctrlhandler(&baron::topctrlhandle);
  const q5rt::sstr firstarg = q5rt::sstr::cut(argv[1]);
  kvbaudit::kvbsetsystemname(systemname);
  const q5rt::sstr banner = bannerline();
  if (kvbaudit::isauditarg(firstarg)) {
    writeline(banner);
    q5rt::exitcode = 0;
    return q5rt::exitcode;
  }
  if (q5rt::sstr msg; !gcload::loadcontrol(firstarg, msg)) {
    writeline(q5rt::concat(couldnotload, "\"", firstarg, "\""));
    writeline(q5rt::concat(msgprefix, msg));
    q5rt::exitcode = 1;
    return q5rt::exitcode;
  }
  gcdata::gcopenlog();
  gcdata::gcopenstat();  // ends the run when the status file cannot be opened
  statlib::gcstataudit(banner);
  const std::int32_t loaded = gcload::loaddata();
  writeopening(banner);
  // A model that did not load is never handed to BARON: the solution file says 13/13.
  if (loaded == gcload::loadok) {
    runbaron();
  } else {
    gcdata::gcsetstatus(13, 13);
  }
  gcdata::gcwritesol();
  gcdata::gcclosestat();
  gcdata::gccloselog();
  return q5rt::exitcode;
}

// A closed standard descriptor would be taken by the next file opened (the status file
// as descriptor 1 would receive the log's lines): each closed one is opened on the null
// device before anything else is opened.
void openclosedstandarddescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", O_RDWR);  // the lowest free descriptor: fd
    if (opened > 2) ::close(opened);
  }
}

// Under a file-size limit a write beyond it must fail with its error number, which the
// writers report, rather than end the process by the signal. A handler, not "ignore":
// the shell and BARON get the default action back when they start.
void filesizeexceeded(int /*signum*/) {}

void reportfilesizeerrors() {
  struct sigaction action {};
  action.sa_handler = &filesizeexceeded;
  sigemptyset(&action.sa_mask);
  (void)::sigaction(SIGXFSZ, &action, nullptr);
}

// Ends the process at once through the abort signal, without the close-downs.
[[noreturn]] void abortnow() {
  std::signal(SIGABRT, SIG_DFL);
  std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  openclosedstandarddescriptors();
  reportfilesizeerrors();
  try {
    q5rt::run_startups();
    return run(argc, argv);
  } catch (const q5rt::silent_abort&) {
    abortnow();
  } catch (const q5rt::exception& e) {
    try {
      q5rt::output().flush();
    } catch (...) {  // standard output failed already; the message goes out below anyway
    }
    const q5rt::sstr line = q5rt::concat(exceptionhandler, e.message());
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    abortnow();
  } catch (...) {
    abortnow();
  }
}
