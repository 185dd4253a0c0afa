// The model record's procedures: log and status file, memo file, status pair, solution
// arrays and control options by key.
#include "instance/gcdata.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

#include "frame/gfileopen.h"
#include "frame/q5rtnum.h"
#include "frame/q5text.h"
#include "frame/statlib.h"

namespace gcdata {

namespace {

// Made before the start-ups, so it outlives the close-down that closes it.
q5rt::textfile memo;

bool memoopen = false;

void closedown() { gcclosememo(); }

q5rt::unit_registration reg{"gcdata", nullptr, &closedown};

// Prefaulting.
constexpr std::size_t worthwhile = 1 << 16;   // below this a few faults cost less
constexpr std::size_t threadshare = 2 << 20;  // bytes worth a thread of their own
constexpr std::size_t stripe = 1 << 20;       // the bytes a worker takes at a time

std::uintptr_t pagesize() {
  static const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  return page;
}

}  // namespace

void prefault(void* data, std::size_t bytes) {
  prefaulter pf;
  pf.add(data, bytes);
  pf.run();
}

void populate(void* data, std::size_t bytes) {
  const std::uintptr_t page = pagesize();
  const auto at = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (at + page - 1) & ~(page - 1);
  const std::uintptr_t last = (at + bytes) & ~(page - 1);
  // A write fault per page: an atomic or of 0 changes no byte, even one that another
  // thread writes meanwhile. (Faults take the lock of their mapping only; an madvise to
  // populate holds the whole address space's, and making a thread waits for it.)
  for (std::uintptr_t p = first; p < last; p += page) {
    auto& byte = *reinterpret_cast<unsigned char*>(p);
    std::atomic_ref<unsigned char>(byte).fetch_or(0, std::memory_order_relaxed);
  }
}

void prefaulter::add(void* data, std::size_t bytes) {
  if (bytes < worthwhile) return;
  const std::uintptr_t page = pagesize();
  const auto at = reinterpret_cast<std::uintptr_t>(data);
  // Whole pages of the allocation only: a page shared with other memory is left alone.
  const std::uintptr_t first = (at + page - 1) & ~(page - 1);
  const std::uintptr_t last = (at + bytes) & ~(page - 1);
  if (last <= first) return;
  ranges_.push_back({first, last});
  total_ += last - first;
}

void prefaulter::run() {
  const unsigned most =
      std::min(std::max(1U, std::thread::hardware_concurrency()), prefaultworkers);
  const auto workers =
      static_cast<unsigned>(std::clamp<std::size_t>(total_ / threadshare, 1, most));
  // The pages go round the workers a stripe at a time; worker 0 is this thread.
  std::vector<std::vector<pagerange>> work(workers);
  std::size_t k = 0;
  for (const pagerange& r : ranges_) {
    for (std::uintptr_t at = r.first; at < r.last; at += stripe, k = (k + 1) % workers) {
      work[k].push_back({at, std::min<std::uintptr_t>(r.last, at + stripe)});
    }
  }
  ranges_.clear();
  total_ = 0;
  const auto fill = [](const std::vector<pagerange>& list) {
    for (const pagerange& r : list) populate(reinterpret_cast<void*>(r.first), r.last - r.first);
  };
  std::vector<std::thread> helpers;
  for (unsigned w = 1; w < workers; ++w) {
    try {
      helpers.emplace_back(fill, std::cref(work[w]));
    } catch (const std::system_error&) {
      fill(work[w]);  // no thread to be had: this one does the share
    }
  }
  fill(work[0]);
  for (std::thread& t : helpers) t.join();
}

void gclogstat(std::string_view text) {
  statlib::gclog(text);
  statlib::gcstatc(text);
}

void gcmemo(std::string_view text) {
  statlib::gcstatc(text);
  if (memoopen) memo.writeln(text);
}

void gcopenmemo(std::string_view filename) {
  gcclosememo();
  std::int32_t rc = 0;
  (void)gfileopen::grrewrite(filename, false, memo, rc);
  if (rc != 0) {
    gclogstat(q5rt::concat(memoopenfailed, filename));
    gclogstat(q5rt::concat("*** RC=", q5rt::Q5_Str_i0(rc), " ", q5rt::syserrortext(rc)));
    return;
  }
  memoopen = true;
}

void gcclosememo() {
  if (!memoopen) return;
  memo.close();
  (void)memo.ioresult();
  memoopen = false;
}

bool fnmemoopen() { return memoopen; }

void gcopenlog() { (void)statlib::gstatopen(mymodel.logoption, 2, mymodel.logfile); }

void gccloselog() { statlib::gstatclose(); }

void gcopenstat() {
  statlib::statussetfilename(mymodel.statfile);
  q5rt::sstr msg;
  if (statlib::statusfileopen(2, msg)) return;
  statlib::gclog(statusopenfailed);
  statlib::gclog(q5rt::concat("*** ", msg));
  statlib::gstatclose();
  q5rt::halt(0);
}

void gcclosestat() { statlib::statusclose(); }

void gcsetstatus(std::int32_t solvestat, std::int32_t modelstat) {
  mymodel.solvestat = solvestat;
  mymodel.modelstat = modelstat;
}

void gcallocsolution() {
  const auto rows = static_cast<std::size_t>(std::max(mymodel.rows, 0));
  const auto cols = static_cast<std::size_t>(std::max(mymodel.cols, 0));
  if (mymodel.rowlevel.empty()) mymodel.rowlevel.resize(rows);
  if (mymodel.rowbasis.empty()) mymodel.rowbasis.resize(rows);
  if (mymodel.colbasis.empty()) mymodel.colbasis.resize(cols);
  mymodel.rowstatus.assign(rows, 0);
  mymodel.colstatus.assign(cols, 0);
  mymodel.solutionstored = true;
}

bool gcgetzolmopt(std::int32_t key, double& value) {
  const tmodel& m = mymodel;
  value = 0;
  bool defined = false;
  const auto when = [&](bool d, double v) {
    defined = d;
    if (d) value = v;
  };
  const auto nonneg = [&](double v) { when(true, v >= 0 ? v : 0.0); };  // always defined
  switch (key) {
    case 1:  // defined by its flag
      when(m.ctlflag57 != 0, m.ctlreal8);
      break;
    case 2:
      when(m.ctlflag56 != 0, m.ctlreal7);
      break;
    case 3:
      nonneg(m.ctlint76);
      break;
    case 4:
      when(m.ctlint77 > 0, m.ctlint77);
      break;
    case 5:
      nonneg(m.ctlreal1);
      break;
    case 6:
      nonneg(m.ctlreal0);
      break;
    case 7:
      nonneg(m.ctlreal2);
      break;
    case 8:
      nonneg(m.ctlint26);
      break;
    case 9:
      when(true, m.ctlreal9);
      break;
    case 10:
    case 11:
    case 12:
    case 13:
    case 14: {  // defined when not 0
      const std::int32_t v = m.ctlint100[static_cast<std::size_t>(key - 10)];
      when(v != 0, v);
      break;
    }
    case 15:
    case 16:
    case 17:
    case 18:
    case 19: {
      const double v = m.ctlreal20[static_cast<std::size_t>(key - 15)];
      when(v != 0, v);
      break;
    }
    case 20:  // 1 means not given
      when(m.ctlreal5 != 1, m.ctlreal5);
      break;
    case 21:
      when(m.ctlreal4 > 0, m.ctlreal4);
      break;
    default:  // no such key
      break;
  }
  return defined;
}

void addfname(std::string_view filename) { filelist.push_back(q5rt::sstr::cut(filename)); }

}  // namespace gcdata
