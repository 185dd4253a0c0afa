// Running other programs: through the shell, directly (fork and execvp), asynchronously in a
// process group of their own; the control-C procedure, processor counts and the own command
// line. The process-tree routines are in frame/q5proctree.h.
//
// Usage:
//   int rc;
//   int res = q5process::q5system(cmdline, rc);   // 0: rc is the exit code (table below)
//   q5process::q5installctrlhandler(&onctrlc);     // counts interrupts, SA_RESTART
//   q5process::texecarglist args;  args.splitappend("-a \"b c\"");
//
// Shell runs (q5system, q5systemp, q5system2, q5systeml) answer:
//   0 ended normally (exit code stored), 126/127 the shell could not run the command
//   (exit code 0), 1 ended by a signal (exit code = signal number), 2 system() failed.
// Direct runs (q5exec, q5execp, q5exec2, q5execl) answer 0 with the exit code, or 1 when the
// program could not be started, was ended by a signal or exited with 255.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frame/q5rt.h"

namespace q5process {

// A started process; the two other fields stay zero on this system.
struct tprocinfo {
  std::int32_t pid = 0;
  std::uint32_t tid = 0;
  std::uint64_t handle = 0;
};

// Arguments for a direct run or a shell line; indices are 0-based.
class texecarglist {
 public:
  texecarglist() = default;

  [[nodiscard]] int count() const { return static_cast<int>(items_.size()); }
  [[nodiscard]] int capacity() const { return capacity_; }

  int add(std::string_view s);             // index of the new item
  void insert(int i, std::string_view s);  // items i and later move up
  void put(int i, std::string_view s);     // replaces item i
  [[nodiscard]] std::string_view get(int i) const;
  [[nodiscard]] std::string_view getlast() const;  // empty for an empty list
  void delete_(int i);                             // removes item i
  void freeitem(int i);                            // empties item i, keeps its place
  void clear();                                    // no items, capacity 0
  void grow();
  void setcapacity(int n);

  // Splits text into arguments (getparamshortstr); where == 0 inserts them at the front in
  // their order, any other value appends them. Answers their number.
  int split(int where, const char* text);
  int splitappend(const char* text) { return split(1, text); }
  int splitprepend(const char* text) { return split(0, text); }

 private:
  void checkindex(int i) const;
  void makeroom();

  std::vector<std::string> items_;
  int capacity_ = 0;
};

// Takes the next argument of a command line starting at p: blanks and control characters
// separate arguments, double quotes group (and are dropped), a pair of quotes where an
// argument would begin is skipped, at most 255 characters are kept. Answers the position
// after the argument; an empty argument means that none is left.
[[nodiscard]] const char* getparamshortstr(const char* p, q5rt::sstr& arg);

// The quote an argument gets in a shell line: empty when it is already quoted (trimmed,
// longer than one character, begins and ends with '"'), '"' when it is empty or holds a blank
// or control character, else empty.
[[nodiscard]] std::string_view whatquote(std::string_view arg);

// The text between double quotes for a shell command line: '"', '$', '`' and '\' inside get
// a backslash, so that no file name can end the quotes or run a command.
[[nodiscard]] std::string shellquoted(std::string_view text);

// Shell runs.
[[nodiscard]] int q5system(std::string_view cmd, int& exitcode);
[[nodiscard]] int q5systemp(const char* cmd, int& exitcode);
[[nodiscard]] int q5system2(std::string_view program, std::string_view params, int& exitcode);
[[nodiscard]] int q5systeml(std::string_view program, const texecarglist& args, int& exitcode);

// Direct runs.
[[nodiscard]] int q5exec(std::string_view cmd, int& exitcode);
[[nodiscard]] int q5execp(const char* cmd, int& exitcode);
[[nodiscard]] int q5exec2(std::string_view program, std::string_view params, int& exitcode);
[[nodiscard]] int q5execl(std::string_view program, const texecarglist& args, int& exitcode);
// 0 ended (exit code stored), 1 fork failed, 2 could not be started (exit 255), 3 waitpid
// failed, 4 ended by a signal, 5 empty program; errnr and msg say more for 1 and 3.
[[nodiscard]] int q5exexec2(std::string_view program, std::string_view params, int& exitcode,
                            int& errnr, q5rt::sstr& msg);

// Asynchronous runs in a new process group: 0 started, 1 not started. The flag is ignored.
[[nodiscard]] int q5asyncexecp(const char* cmd, bool flag, tprocinfo& info, q5rt::sstr& msg);
[[nodiscard]] int q5asyncsystemp(const char* cmd, bool flag, tprocinfo& info, q5rt::sstr& msg);
// One poll without blocking: 1 running, 2 ended (exit code stored), 127 could not be started,
// 3 ended by a signal, 4 the wait failed, 0 a bad record or an unexpected answer.
[[nodiscard]] int q5asyncstatus(const tprocinfo& info, int& exitcode, q5rt::sstr& msg);

// SIGKILL when hard, else SIGINT; reaps a zombie; true when the signal was sent.
bool q5killprocess(const tprocinfo& info, bool hard);
bool q5killprocgrouptp(const tprocinfo& info, bool hard);
bool q5killprocgrouptk(const tprocinfo& info, bool hard);

[[nodiscard]] int q5getpid();
[[nodiscard]] bool q5ispidvalid(int pid);    // running or zombie
[[nodiscard]] bool q5ispidrunning(int pid);  // running

// The control-C procedure: called from the SIGINT handler with the signal number, so it must
// only do what is safe in signal context.
using ctrlhandler = void (*)(int signum);
// With a procedure: 0 done, 2 sigaction failed. With nullptr (uninstall): 0 done, 1 nothing
// installed, 2 sigaction failed or the replaced action was not ours.
int q5installctrlhandler(ctrlhandler handler);
int q5uninstallctrlhandler();
[[nodiscard]] ctrlhandler q5getctrlhandler();

[[nodiscard]] int q5getnumberofprocessors();  // online processors
[[nodiscard]] int q5getnumberofcores();       // physical cores, -1 when unknown
[[nodiscard]] bool q5getcpuinfo(int& sockets, int& cores, int& logical, int& corespersocket,
                                int& threadspercore);
[[nodiscard]] bool q5getprocinfo(int& first, int& second);  // false; both -1

// The own command line: '"', argument 0, '"', ' ', then ' ' and each further argument.
// Built once and kept.
[[nodiscard]] const char* q5getcommandline();

// The show-window value; it has no effect on this system.
void q5defaultshowwindow();
void q5setshowwindow(int value);
[[nodiscard]] int q5getshowwindow();

namespace detail {

// Maps a status of system() to the shell run's answer and exit code.
[[nodiscard]] int mapsystemstatus(int status, int& exitcode);

// The cpu figures from (package, core) pairs of the online logical processors.
struct cpupair {
  int package;
  int core;
};
[[nodiscard]] bool cpuinfofrom(const std::vector<cpupair>& cpus, int& sockets, int& cores,
                               int& logical, int& corespersocket, int& threadspercore);

}  // namespace detail

}  // namespace q5process
