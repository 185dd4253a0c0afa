// The process tree: a snapshot of the process list (read from /proc) linked into parents and
// children, to count, signal or walk every descendant of a process.
//
// Usage:
//   int before, after;
//   q5process::q5signalproctree(SIGTERM, before, after);   // own descendants, bottom-up
//   int n = q5process::q5walkproctree(pid, &visit, &data, false);  // pre-order walk
//
// Build results: 0 built, 1 no way to read the process list on this system, 2 the process
// list could not be read, 3 a process with two parents, 4 the links do not add up (a cycle
// included), 5 any other failure.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace q5process {

// Called once per visited process with its depth below the start (0 for the start).
using walkcallback = void (*)(std::uint32_t pid, std::int32_t depth, void* userdata);

// Signals the own descendants (children after their own descendants) unless signum <= 0;
// before and after count them before and 10 ms after. Answers the build result.
int sigproctree(int signum, int& before, int& after);
int q5signalproctree(int signum, int& before, int& after);

// Visits pid's subtree; answers the number visited, 0 when pid does not exist, -1 when the
// process list could not be read. Callback may be nullptr.
int walkproctree(int pid, walkcallback callback, void* userdata, bool postorder);
int q5walkproctree(int pid, walkcallback callback, void* userdata, bool postorder);

struct node {
  std::string comm;  // command name, at most 16 characters
  int pid = 0;
  int ppid = 0;
  node* parent = nullptr;
  std::vector<node*> children;  // in the order they were linked
};

// One entry of the process list.
struct procrecord {
  std::string comm;
  int pid = 0;
  int ppid = 0;
};

// A tree is built once, used and dropped; it owns its nodes.
class tree {
 public:
  [[nodiscard]] int build();  // from the system's process list
  [[nodiscard]] int buildfrom(const std::vector<procrecord>& records);

  void insertnode(std::string_view comm, int pid, int ppid);  // first node of a number stays
  [[nodiscard]] node* findnodebypid(int pid) const;
  [[nodiscard]] int countchildren(int pid) const;       // every descendant, 0 when absent
  [[nodiscard]] static int counthelper(const node* n);  // subtree size, n included
  int signalchildren(int pid, int signum) const;        // always 0
  static void signalhelper(const node* n, int signum);
  [[nodiscard]] int cbwalk(int pid, walkcallback callback, void* userdata, bool postorder) const;
  static int cbwalkhelper(const node* n, int depth, walkcallback callback, void* userdata,
                          bool postorder);
  void clear();  // frees the nodes, keeps the root count

  [[nodiscard]] int rootcount() const { return rootcount_; }
  [[nodiscard]] std::size_t size() const { return nodes_.size(); }

 private:
  void insertrecords(const std::vector<procrecord>& records);
  [[nodiscard]] int link();

  std::map<int, std::unique_ptr<node>> nodes_;
  int rootcount_ = 0;
};

namespace detail {

// The fields of /proc/<pid>/stat that the tree and the process state need.
struct procstat {
  std::string comm;
  char state = '?';
  int ppid = 0;
};
[[nodiscard]] bool parseprocstat(std::string_view text, procstat& st);
// 0, or the error number of the failed read (ENOENT: no such process).
[[nodiscard]] int readprocstat(int pid, procstat& st);

// Every process of /proc; throws std::runtime_error("Unable to open /proc").
[[nodiscard]] std::vector<procrecord> readproctable();

}  // namespace detail

}  // namespace q5process
