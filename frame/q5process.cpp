// Running other programs, the control-C procedure and processor counts (Linux: /proc, /sys).
#include "frame/q5process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>

#include "frame/q5proctree.h"

namespace q5process {

namespace {

using args_t = std::vector<std::string>;

bool isblankcode(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

// Appends every argument of text to args.
void splitinto(const char* text, args_t& args) {
  q5rt::sstr arg;
  for (const char* p = getparamshortstr(text, arg); !arg.empty(); p = getparamshortstr(p, arg))
    args.emplace_back(arg.view());
}

// The command through the shell ("sh" alone for none).
int runshell(const char* cmd, int& exitcode) {
  std::fflush(stdout);  // our pending output goes before the child's
  const int status = std::system(cmd != nullptr && *cmd != '\0' ? cmd : "sh");
  return detail::mapsystemstatus(status, exitcode);
}

// Null-terminated argument vector over args (which must outlive it).
std::vector<char*> argvof(args_t& args) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

// What became of a direct run.
struct runoutcome {
  enum class kind { ended, forkfailed, waitfailed, signaled } how;
  int code;  // exit code when ended
  int err;   // errno when fork or wait failed
};

// Forks, runs args[0] along PATH in the child and waits for it.
runoutcome forkexec(args_t& args) {
  auto argv = argvof(args);
  std::fflush(stdout);
  const pid_t pid = ::fork();
  if (pid < 0) return {runoutcome::kind::forkfailed, 0, errno};
  if (pid == 0) {
    ::execvp(argv[0], argv.data());
    ::execl("/bin/sh", "sh", "-c", "exit 255", static_cast<char*>(nullptr));
    ::_exit(255);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return {runoutcome::kind::waitfailed, 0, errno};
  if (WIFEXITED(status)) return {runoutcome::kind::ended, WEXITSTATUS(status), 0};
  return {runoutcome::kind::signaled, 0, 0};
}

// The plain direct run: 0 with the exit code, else 1 with exit code 0.
int libcforkexec(args_t& args, int& exitcode) {
  const runoutcome r = forkexec(args);
  exitcode = 0;
  if (r.how == runoutcome::kind::ended && r.code != 255) {
    exitcode = r.code;
    return 0;
  }
  return 1;
}

// The direct run with detailed codes (see q5exexec2).
int libcforkexecex(args_t& args, int& exitcode, int& errnr, q5rt::sstr& msg) {
  errnr = 0;
  msg.clear();
  exitcode = 0;
  const runoutcome r = forkexec(args);
  switch (r.how) {
    case runoutcome::kind::ended:  // 255 is what the child answers when it cannot start
      if (r.code == 255) return 2;
      exitcode = r.code;
      return 0;
    case runoutcome::kind::forkfailed:
      errnr = r.err;
      msg = q5rt::concat("fork() call failed: ", q5rt::syserrortext(r.err));
      return 1;
    case runoutcome::kind::waitfailed:
      errnr = r.err;
      msg = q5rt::concat("waitpid() call failed: ", q5rt::syserrortext(r.err));
      return 3;
    case runoutcome::kind::signaled:
      return 4;
  }
  return 4;
}

// The arguments of a direct run of program (one word) with split parameters.
args_t programargs(std::string_view program, std::string_view params) {
  args_t args{std::string(program)};
  const std::string ctext(params);
  splitinto(ctext.c_str(), args);
  return args;
}

// Forks a child that leads a new process group and runs args[0] along PATH.
int asyncstart(args_t& args, tprocinfo& info) {
  auto argv = argvof(args);
  std::fflush(stdout);
  const pid_t pid = ::fork();
  if (pid < 0) {
    info.pid = -1;
    return 1;
  }
  if (pid == 0) {
    ::setpgid(0, 0);
    ::execvp(argv[0], argv.data());
    ::execl("/bin/sh", "sh", "-c", "exit 127", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::setpgid(pid, pid);  // both sides set it, whichever runs first
  info.pid = pid;
  return 0;
}

enum class procstate { gone, zombie, running, unknown };

procstate stateof(int pid) {
  if (pid <= 0) return procstate::gone;
  detail::procstat st;
  const int err = detail::readprocstat(pid, st);
  if (err == ENOENT || err == ESRCH) return procstate::gone;
  if (err != 0) return procstate::unknown;
  if (st.state == 'Z') return procstate::zombie;
  if (st.state == 'X') return procstate::gone;
  return procstate::running;
}

// After a signal: reap a zombie, give a running process up to two 20 ms looks.
bool settleafterkill(int pid) {
  for (int look = 0;; ++look) {
    switch (stateof(pid)) {
      case procstate::gone:
      case procstate::unknown:
        return true;
      case procstate::zombie:
        ::waitpid(pid, nullptr, 0);
        return true;
      case procstate::running:
        ::usleep(20000);
        if (look == 1) return true;
        break;
    }
  }
}

bool killwith(const tprocinfo& info, bool hard, bool group) {
  const int pid = info.pid;
  if (pid <= 0) return false;
  const int sig = hard ? SIGKILL : SIGINT;
  int rc;
  if (group) {
    const pid_t pgrp = ::getpgid(pid);
    rc = pgrp > 0 ? ::killpg(pgrp, sig) : -1;
  } else {
    rc = ::kill(pid, sig);
  }
  if (rc != 0) return false;
  return settleafterkill(pid);
}

// ---- control-C ----

std::atomic<ctrlhandler> installedhandler{nullptr};
struct sigaction savedaction {};

void q5ctrlchandler(int signum) {
  const ctrlhandler h = installedhandler.load();
  if (h != nullptr) h(signum);
}

int ctrlinstall(ctrlhandler handler) {
  if (installedhandler.load() != nullptr) {
    installedhandler.store(handler);
    return 0;
  }
  installedhandler.store(handler);
  struct sigaction act {};
  act.sa_handler = &q5ctrlchandler;
  sigemptyset(&act.sa_mask);
  act.sa_flags = SA_RESTART;  // an interrupt must not fail a pending read or wait
  if (::sigaction(SIGINT, &act, &savedaction) != 0) {
    installedhandler.store(nullptr);
    return 2;
  }
  return 0;
}

int ctrluninstall() {
  if (installedhandler.load() == nullptr) return 1;
  // The saved action goes back whole: its flags tell how its handler must be called.
  struct sigaction replaced {};
  const int rc = ::sigaction(SIGINT, &savedaction, &replaced);
  installedhandler.store(nullptr);
  if (rc != 0) return 2;
  return replaced.sa_handler == &q5ctrlchandler ? 0 : 2;
}

// ---- processor figures ----

bool readsmall(const std::string& path, std::string& text) {
  text.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buf[512];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
  ::close(fd);
  return n == 0;
}

bool readint(const std::string& path, int& value) {
  std::string text;
  if (!readsmall(path, text)) return false;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str()) return false;
  value = static_cast<int>(v);
  return true;
}

// (package, core) of every online logical processor; empty when the topology is unreadable.
std::vector<detail::cpupair> onlinecpus() {
  std::vector<detail::cpupair> cpus;
  const long configured = ::sysconf(_SC_NPROCESSORS_CONF);
  for (long i = 0; i < configured; ++i) {
    const std::string dir = "/sys/devices/system/cpu/cpu" + std::to_string(i);
    int online = 1;
    if (readint(dir + "/online", online) && online == 0) continue;
    detail::cpupair p{};
    if (!readint(dir + "/topology/physical_package_id", p.package) ||
        !readint(dir + "/topology/core_id", p.core))
      continue;
    cpus.push_back(p);
  }
  return cpus;
}

int showwindow = 0;

}  // namespace

// ---- argument splitting and quoting ----

const char* getparamshortstr(const char* p, q5rt::sstr& arg) {
  arg.clear();
  if (p == nullptr) return p;  // no text: no argument
  for (;;) {
    while (isblankcode(*p)) ++p;
    if (p[0] == '"' && p[1] == '"') {  // an empty pair where an argument would begin
      p += 2;
      continue;
    }
    break;
  }
  bool quoted = false;
  for (; *p != '\0'; ++p) {
    if (*p == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && static_cast<unsigned char>(*p) <= 32) break;
    arg.append_cut(*p);  // beyond 255 characters the rest of the argument is dropped
  }
  return p;
}

std::string shellquoted(std::string_view text) {
  std::string s = "\"";
  for (const char c : text) {
    if (c == '"' || c == '$' || c == '`' || c == '\\') s += '\\';
    s += c;
  }
  s += '"';
  return s;
}

std::string_view whatquote(std::string_view arg) {
  std::string_view t = arg;
  while (!t.empty() && static_cast<unsigned char>(t.front()) <= 32) t.remove_prefix(1);
  while (!t.empty() && static_cast<unsigned char>(t.back()) <= 32) t.remove_suffix(1);
  if (t.size() > 1 && t.front() == '"' && t.back() == '"') return {};
  if (arg.empty()) return "\"";
  if (std::any_of(arg.begin(), arg.end(),
                  [](char c) { return static_cast<unsigned char>(c) <= 32; }))
    return "\"";
  return {};
}

// ---- argument list ----

void texecarglist::checkindex(int i) const {
  Q5_ASSERT(i >= 0 && i < count(), "texecarglist index out of range");
}

void texecarglist::makeroom() {
  if (count() >= capacity_) grow();
}

void texecarglist::grow() {
  int cap;
  if (capacity_ == 0)
    cap = 16;
  else if (capacity_ <= 1048575)
    cap = capacity_ * 8;
  else
    cap = capacity_ + capacity_ / 4;
  capacity_ = std::max(cap, count());
}

void texecarglist::setcapacity(int n) {
  if (n == capacity_) return;
  capacity_ = std::max(n, count());
}

int texecarglist::add(std::string_view s) {
  makeroom();
  items_.emplace_back(s);
  return count() - 1;
}

void texecarglist::insert(int i, std::string_view s) {
  Q5_ASSERT(i >= 0 && i <= count(), "texecarglist index out of range");
  makeroom();
  items_.emplace(items_.begin() + i, s);
}

void texecarglist::put(int i, std::string_view s) {
  checkindex(i);
  items_[static_cast<std::size_t>(i)] = std::string(s);
}

std::string_view texecarglist::get(int i) const {
  checkindex(i);
  return items_[static_cast<std::size_t>(i)];
}

std::string_view texecarglist::getlast() const {
  return items_.empty() ? std::string_view() : std::string_view(items_.back());
}

void texecarglist::delete_(int i) {
  checkindex(i);
  items_.erase(items_.begin() + i);
}

void texecarglist::freeitem(int i) {
  checkindex(i);
  std::string().swap(items_[static_cast<std::size_t>(i)]);
}

void texecarglist::clear() {
  std::vector<std::string>().swap(items_);
  capacity_ = 0;
}

int texecarglist::split(int where, const char* text) {
  args_t args;
  splitinto(text, args);
  int at = where == 0 ? 0 : count();
  for (const auto& a : args) insert(at++, a);
  return static_cast<int>(args.size());
}

// ---- shell runs ----

int q5systemp(const char* cmd, int& exitcode) { return runshell(cmd, exitcode); }

int q5system(std::string_view cmd, int& exitcode) {
  const std::string line(cmd);
  return runshell(line.c_str(), exitcode);
}

int q5system2(std::string_view program, std::string_view params, int& exitcode) {
  std::string line(program);
  line += ' ';
  line += params;
  return runshell(line.c_str(), exitcode);
}

int q5systeml(std::string_view program, const texecarglist& args, int& exitcode) {
  std::string line(program);
  for (int i = 0; i < args.count(); ++i) {
    const std::string_view item = args.get(i);
    line += ' ';
    if (whatquote(item).empty())
      line += item;
    else
      line += shellquoted(item);
  }
  return runshell(line.c_str(), exitcode);
}

// ---- direct runs ----

int q5execp(const char* cmd, int& exitcode) {
  args_t args;
  splitinto(cmd, args);
  if (args.empty()) {
    exitcode = 0;
    return 1;
  }
  return libcforkexec(args, exitcode);
}

int q5exec(std::string_view cmd, int& exitcode) {
  const std::string ctext(cmd);
  return q5execp(ctext.c_str(), exitcode);
}

int q5exec2(std::string_view program, std::string_view params, int& exitcode) {
  if (program.empty()) {
    exitcode = 0;
    return 1;
  }
  args_t args = programargs(program, params);
  return libcforkexec(args, exitcode);
}

int q5execl(std::string_view program, const texecarglist& list, int& exitcode) {
  args_t args{std::string(program)};
  for (int i = 0; i < list.count(); ++i) args.emplace_back(list.get(i));
  return libcforkexec(args, exitcode);
}

int q5exexec2(std::string_view program, std::string_view params, int& exitcode, int& errnr,
              q5rt::sstr& msg) {
  if (program.empty()) {
    exitcode = 0;
    errnr = 0;
    msg.clear();
    return 5;
  }
  args_t args = programargs(program, params);
  return libcforkexecex(args, exitcode, errnr, msg);
}

// ---- asynchronous runs ----

int q5asyncexecp(const char* cmd, bool /*flag*/, tprocinfo& info, q5rt::sstr& msg) {
  info = {};
  msg.clear();
  args_t args;
  splitinto(cmd, args);
  if (args.empty()) return 1;
  return asyncstart(args, info);
}

int q5asyncsystemp(const char* cmd, bool /*flag*/, tprocinfo& info, q5rt::sstr& msg) {
  info = {};
  msg.clear();
  q5rt::sstr first;
  (void)getparamshortstr(cmd, first);
  args_t args{"/bin/sh"};
  if (!first.empty()) {
    args.emplace_back("-c");
    args.emplace_back(cmd);
  }
  return asyncstart(args, info);
}

int q5asyncstatus(const tprocinfo& info, int& exitcode, q5rt::sstr& msg) {
  msg.clear();
  if (info.pid <= 0) {
    msg.assign_cut("Invalid PID");
    return 0;
  }
  if (info.tid != 0 || info.handle != 0) {
    msg.assign_cut("Corrupt or bogus procInfo");
    return 0;
  }
  int status = 0;
  const pid_t rc = ::waitpid(info.pid, &status, WNOHANG);
  if (rc == 0) return 1;
  if (rc < 0) {
    msg.assign_cut("No such process or not a child");
    return 4;
  }
  if (rc != info.pid) {
    msg.assign_cut("Unexpected return from wait");
    return 0;
  }
  if (WIFEXITED(status)) {
    exitcode = WEXITSTATUS(status);
    return exitcode == 127 ? 127 : 2;
  }
  return 3;
}

bool q5killprocess(const tprocinfo& info, bool hard) { return killwith(info, hard, false); }
bool q5killprocgrouptp(const tprocinfo& info, bool hard) { return killwith(info, hard, true); }
bool q5killprocgrouptk(const tprocinfo& info, bool hard) { return killwith(info, hard, true); }

int q5getpid() { return static_cast<int>(::getpid()); }

bool q5ispidvalid(int pid) {
  const procstate s = stateof(pid);
  return s == procstate::running || s == procstate::zombie;
}

bool q5ispidrunning(int pid) { return stateof(pid) == procstate::running; }

// ---- control-C ----

int q5installctrlhandler(ctrlhandler handler) {
  return handler != nullptr ? ctrlinstall(handler) : ctrluninstall();
}

int q5uninstallctrlhandler() { return ctrluninstall(); }

ctrlhandler q5getctrlhandler() { return installedhandler.load(); }

// ---- processors ----

int q5getnumberofprocessors() { return static_cast<int>(::sysconf(_SC_NPROCESSORS_ONLN)); }

int q5getnumberofcores() {
  int sockets = 0, cores = -1, logical = 0, cps = 0, tpc = 0;
  if (!detail::cpuinfofrom(onlinecpus(), sockets, cores, logical, cps, tpc)) return -1;
  return cores;
}

bool q5getcpuinfo(int& sockets, int& cores, int& logical, int& corespersocket,
                  int& threadspercore) {
  return detail::cpuinfofrom(onlinecpus(), sockets, cores, logical, corespersocket, threadspercore);
}

bool q5getprocinfo(int& first, int& second) {
  first = -1;
  second = -1;
  return false;
}

// ---- own command line ----

const char* q5getcommandline() {
  static const std::string line = [] {
    std::string raw;
    (void)readsmall("/proc/self/cmdline", raw);
    std::vector<std::string_view> args;
    for (std::string_view rest = raw; !rest.empty();) {
      const auto nul = rest.find('\0');
      args.push_back(rest.substr(0, nul));
      rest.remove_prefix(nul == std::string_view::npos ? rest.size() : nul + 1);
    }
    std::string text = "\"";
    if (!args.empty()) text += args.front();
    text += "\" ";
    for (std::size_t i = 1; i < args.size(); ++i) {
      text += ' ';
      text += args[i];
    }
    return text;
  }();
  return line.c_str();
}

// ---- show window ----

void q5defaultshowwindow() { showwindow = 0; }
void q5setshowwindow(int value) { showwindow = value; }
int q5getshowwindow() { return showwindow; }

namespace detail {

int mapsystemstatus(int status, int& exitcode) {
  exitcode = 0;
  const int low = status & 0x7f;
  if (low == 0x7f) return 2;  // a stopped child, or system() itself failed (-1)
  if (low != 0) {
    exitcode = low;  // ended by this signal
    return 1;
  }
  const int code = (status >> 8) & 0xff;
  if (code == 126 || code == 127) return code;  // the shell could not find or run it
  exitcode = code;
  return 0;
}

bool cpuinfofrom(const std::vector<cpupair>& cpus, int& sockets, int& cores, int& logical,
                 int& corespersocket, int& threadspercore) {
  std::set<int> packages;
  std::set<std::pair<int, int>> pairs;
  for (const auto& c : cpus) {
    packages.insert(c.package);
    pairs.insert({c.package, c.core});
  }
  if (packages.empty()) return false;
  sockets = static_cast<int>(packages.size());
  cores = static_cast<int>(pairs.size());
  logical = static_cast<int>(cpus.size());
  corespersocket = cores / sockets;
  threadspercore = logical / cores;
  if (corespersocket * sockets != cores || threadspercore * corespersocket * sockets != logical) {
    corespersocket = -1;
    threadspercore = -1;
  }
  return true;
}

}  // namespace detail

}  // namespace q5process
