// The process tree over /proc.
#include "frame/q5proctree.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <stdexcept>

namespace q5process {

namespace {

void killvisit(std::uint32_t pid, std::int32_t /*depth*/, void* userdata) {
  ::kill(static_cast<pid_t>(pid), *static_cast<const int*>(userdata));  // failures ignored
}

// Build result of an exception raised while the process list is read.
int resultof(const std::exception& e) {
  const std::string_view text = e.what();
  if (text == "Not yet implemented for this system") return 1;
  if (text == "Unable to open /proc" || text == "Failure calling sysctl for proc info") return 2;
  return 5;
}

bool parsepid(std::string_view text, int& pid) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), pid);
  return ec == std::errc() && end == text.data() + text.size() && pid >= 0;
}

}  // namespace

// ---- tree ----

void tree::insertnode(std::string_view comm, int pid, int ppid) {
  if (nodes_.count(pid) != 0) return;
  auto n = std::make_unique<node>();
  n->comm = std::string(comm.substr(0, 16));
  n->pid = pid;
  n->ppid = ppid;
  nodes_.emplace(pid, std::move(n));
}

void tree::insertrecords(const std::vector<procrecord>& records) {
  for (const auto& r : records) {
    if (r.comm.empty()) continue;
    if (r.pid == 0 && r.ppid != 0) continue;
    insertnode(r.comm, r.pid, r.ppid);
  }
}

int tree::link() {
  for (auto& [pid, n] : nodes_) {
    node* parent = findnodebypid(n->ppid);
    if (parent == nullptr || parent == n.get()) continue;
    if (n->parent != nullptr) {
      clear();
      return 3;
    }
    n->parent = parent;
    parent->children.push_back(n.get());
  }
  int roots = 0;
  std::size_t children = 0;
  std::size_t reachable = 0;
  for (const auto& [pid, n] : nodes_) {
    children += n->children.size();
    if (n->parent == nullptr) {
      ++roots;
      reachable += static_cast<std::size_t>(counthelper(n.get()));
    }
  }
  rootcount_ += roots;
  // Nodes in a cycle of parent links (a number reused during the snapshot) are reachable
  // from no root; a walk over them would never end.
  if (children + static_cast<std::size_t>(roots) != nodes_.size() || reachable != nodes_.size()) {
    clear();
    return 4;
  }
  return 0;
}

int tree::build() {
  try {
    insertrecords(detail::readproctable());
  } catch (const std::exception& e) {
    clear();
    return resultof(e);
  } catch (...) {
    clear();
    return 5;
  }
  return link();
}

int tree::buildfrom(const std::vector<procrecord>& records) {
  try {
    insertrecords(records);
  } catch (...) {
    clear();
    return 5;
  }
  return link();
}

node* tree::findnodebypid(int pid) const {
  const auto it = nodes_.find(pid);
  return it == nodes_.end() ? nullptr : it->second.get();
}

int tree::counthelper(const node* n) {
  int count = 1;
  for (const node* c : n->children) count += counthelper(c);
  return count;
}

int tree::countchildren(int pid) const {
  const node* n = findnodebypid(pid);
  if (n == nullptr) return 0;
  int count = 0;
  for (const node* c : n->children) count += counthelper(c);
  return count;
}

void tree::signalhelper(const node* n, int signum) {
  (void)cbwalkhelper(n, 0, &killvisit, &signum, true);  // bottom-up: children first
}

int tree::signalchildren(int pid, int signum) const {
  if (const node* n = findnodebypid(pid))
    for (const node* c : n->children) signalhelper(c, signum);
  return 0;
}

int tree::cbwalkhelper(const node* n, int depth, walkcallback callback, void* userdata,
                       bool postorder) {
  const auto visit = [&] {
    if (callback != nullptr) callback(static_cast<std::uint32_t>(n->pid), depth, userdata);
  };
  if (!postorder) visit();
  int count = 1;
  for (const node* c : n->children)
    count += cbwalkhelper(c, depth + 1, callback, userdata, postorder);
  if (postorder) visit();
  return count;
}

int tree::cbwalk(int pid, walkcallback callback, void* userdata, bool postorder) const {
  const node* n = findnodebypid(pid);
  return n == nullptr ? 0 : cbwalkhelper(n, 0, callback, userdata, postorder);
}

void tree::clear() { nodes_.clear(); }

// ---- entry points ----

int sigproctree(int signum, int& before, int& after) {
  before = 0;
  after = 0;
  const int self = static_cast<int>(::getpid());
  {
    tree first;
    const int rc = first.build();
    if (rc != 0) return rc;
    before = first.countchildren(self);
    if (signum <= 0) {
      after = before;
      return 0;
    }
    (void)first.signalchildren(self, signum);
  }
  ::usleep(10000);
  tree second;
  const int rc = second.build();
  if (rc == 0) after = second.countchildren(self);
  return rc;
}

int q5signalproctree(int signum, int& before, int& after) {
  return sigproctree(signum, before, after);
}

int walkproctree(int pid, walkcallback callback, void* userdata, bool postorder) {
  if (::getpgid(pid) < 0) return 0;
  tree t;
  if (t.build() != 0) return -1;
  return t.cbwalk(pid, callback, userdata, postorder);
}

int q5walkproctree(int pid, walkcallback callback, void* userdata, bool postorder) {
  return walkproctree(pid, callback, userdata, postorder);
}

// ---- /proc ----

namespace detail {

bool parseprocstat(std::string_view text, procstat& st) {
  // "pid (comm) S ppid ...": the name may itself hold blanks and parentheses.
  const auto open = text.find('(');
  const auto close = text.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open ||
      close + 4 > text.size())
    return false;
  st.comm = std::string(text.substr(open + 1, close - open - 1));
  st.state = text[close + 2];
  const char* first = text.data() + close + 4;
  const auto [end, ec] = std::from_chars(first, text.data() + text.size(), st.ppid);
  return ec == std::errc() && end != first;
}

int readprocstat(int pid, procstat& st) {
  const std::string path = "/proc/" + std::to_string(pid) + "/stat";
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  char buf[1024];
  const ssize_t n = ::read(fd, buf, sizeof buf);
  const int err = n < 0 ? errno : 0;
  ::close(fd);
  if (err != 0) return err;
  // A process that ended between the open and the read gives an empty text.
  return parseprocstat(std::string_view(buf, static_cast<std::size_t>(n)), st) ? 0 : ENOENT;
}

std::vector<procrecord> readproctable() {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir("/proc"), &::closedir);
  if (!dir) throw std::runtime_error("Unable to open /proc");
  std::vector<procrecord> records;
  while (const dirent* e = ::readdir(dir.get())) {
    int pid = 0;
    if (!parsepid(e->d_name, pid)) continue;
    procstat st;
    if (readprocstat(pid, st) != 0) continue;  // ended meanwhile
    records.push_back({std::move(st.comm), pid, st.ppid});
  }
  return records;
}

}  // namespace detail

}  // namespace q5process
