#include "emp/zlmheapnew.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace zlmheapnew {

namespace {

void* systemget(std::int64_t size, bool zero) {
  void* p = zero ? std::calloc(1, static_cast<std::size_t>(size))
                 : std::malloc(static_cast<std::size_t>(size));
  if (p == nullptr) throw q5rt::exception("Out of memory");
  return p;
}

}  // namespace

// ---- block manager ----

tbigblockmgr::tbigblockmgr(std::string_view name) : name_(q5rt::sstr::cut(name)) {}

tbigblockmgr::~tbigblockmgr() { xclear(); }

void tbigblockmgr::report() const {
  if (reportproc != nullptr) reportproc(memoryused / 1e6);
}

void tbigblockmgr::increasememorysize(std::int64_t n) {
  const double newused = memoryused + static_cast<double>(n);
  if (newused > memorylimit) throw outofmemory();
  counted_ += n;
  peakcounted_ = std::max(peakcounted_, counted_);
  memoryused = newused;
  peakmemoryused = std::max(peakmemoryused, memoryused);
  report();
}

void tbigblockmgr::reducememorysize(std::int64_t n) {
  counted_ -= n;
  memoryused -= static_cast<double>(n);
  report();
}

void* tbigblockmgr::getbigblock() {
  if (!spares_.empty()) {
    void* block = spares_.back();
    spares_.pop_back();
    return block;
  }
  increasememorysize(bigblockbytes);
  try {
    return systemget(bigblockbytes, false);
  } catch (...) {
    reducememorysize(bigblockbytes);
    throw;
  }
}

void tbigblockmgr::releasebigblock(void* block) { spares_.push_back(block); }

void tbigblockmgr::xclear() {
  for (void* block : spares_) std::free(block);
  if (!spares_.empty()) reducememorysize(static_cast<std::int64_t>(spares_.size()) * bigblockbytes);
  spares_.clear();
}

void tbigblockmgr::getbigstats(std::int64_t& counted, std::int64_t& peak,
                               std::int64_t& spares) const {
  counted = counted_;
  peak = peakcounted_;
  spares = static_cast<std::int64_t>(spares_.size());
}

// ---- heap ----

theapmgr::theapmgr(std::string_view name)
    : bbm_(std::make_unique<tbigblockmgr>(q5rt::concat("BBMgr_", name).view())),
      name_(q5rt::sstr::cut(name)) {
  clear();
}

theapmgr::~theapmgr() { clear(); }

void theapmgr::clear() {
  while (!workbuffers_.empty()) {
    bbm_->releasebigblock(workbuffers_.back()->base);
    workbuffers_.pop_back();
  }
  current_ = nullptr;
  for (void* p : largeblocks_) std::free(p);
  largeblocks_.clear();
  slots_ = {};
  if (largebytes_ != 0) bbm_->reducememorysize(largebytes_);
  largebytes_ = 0;
  fam32_ = {};
  fam64_ = {};
}

void theapmgr::pushslot(void* p, std::uint16_t units) {
  slotlist& s = slots_[units];
  *static_cast<void**>(p) = s.head;
  s.head = p;
  ++s.onlist;
}

tlargeblock* theapmgr::getworkbuffer() {
  auto buffer = std::make_unique<tlargeblock>();
  buffer->base = static_cast<char*>(bbm_->getbigblock());
  buffer->next = buffer->base;
  workbuffers_.push_back(std::move(buffer));
  return workbuffers_.back().get();
}

void theapmgr::releaseworkbuffer(tlargeblock* buffer) {
  const auto it = std::find_if(workbuffers_.begin(), workbuffers_.end(),
                               [buffer](const auto& b) { return b.get() == buffer; });
  Q5_ASSERT(it != workbuffers_.end(), "releaseworkbuffer: not a work buffer of this heap");
  bbm_->releasebigblock(buffer->base);
  workbuffers_.erase(it);
}

void theapmgr::startworkbuffer() { current_ = getworkbuffer(); }

void* theapmgr::zlmgetmem(std::uint16_t units) {
  Q5_ASSERT(units >= 1 && units <= maxunits, "zlmgetmem: slot size out of range");
  slotlist& s = slots_[units];
  ++s.gets;
  if (s.head != nullptr) {
    void* p = s.head;
    s.head = *static_cast<void**>(p);
    --s.onlist;
    return p;
  }
  if (current_ == nullptr) {
    startworkbuffer();
  } else if (units > current_->freeunits) {
    // The rest of the old buffer becomes one slot of its size.
    if (current_->freeunits > 0) {
      pushslot(current_->next, static_cast<std::uint16_t>(current_->freeunits));
      current_->next += current_->freeunits * unitbytes;
      current_->freeunits = 0;
    }
    startworkbuffer();
  }
  void* p = current_->next;
  current_->next += units * unitbytes;
  current_->freeunits -= units;
  return p;
}

void theapmgr::zlmfreemem(void* p, std::uint16_t units) {
  Q5_ASSERT(units >= 1 && units <= maxunits, "zlmfreemem: slot size out of range");
  ++slots_[units].frees;
  pushslot(p, units);
}

void theapmgr::countlarge(std::int64_t n) {
  bbm_->increasememorysize(n);
  largebytes_ += n;
  peaklargebytes_ = std::max(peaklargebytes_, largebytes_);
}

void* theapmgr::newlarge(std::int64_t size, bool zero, bool track) {
  countlarge(size);
  void* p = nullptr;
  try {
    p = systemget(size, zero);
    if (track) largeblocks_.push_back(p);
  } catch (...) {
    std::free(p);
    largebytes_ -= size;
    bbm_->reducememorysize(size);
    throw;
  }
  return p;
}

void* theapmgr::get(std::int64_t size, bool zero, bool is64, bool untracked) {
  if (size <= 0) return nullptr;
  if (size <= maxslotbytes && !untracked) {
    void* p = zlmgetmem(unitsof(size));
    if (zero) std::memset(p, 0, static_cast<std::size_t>(size));
    return p;
  }
  ++fam(is64).gets;
  return newlarge(size, zero, !untracked);
}

void* theapmgr::getnc(std::int64_t size, bool zero) { return get(size, zero, false, true); }

void theapmgr::untrack(void* p) {
  const auto it = std::find(largeblocks_.rbegin(), largeblocks_.rend(), p);
  Q5_ASSERT(it != largeblocks_.rend(), "xfreemem: not a block of this heap");
  largeblocks_.erase(std::next(it).base());
}

void theapmgr::release(void* p, std::int64_t size, bool is64) {
  if (size <= 0 || p == nullptr) return;
  if (size <= maxslotbytes) return zlmfreemem(p, unitsof(size));
  ++fam(is64).frees;
  untrack(p);
  bbm_->reducememorysize(size);
  largebytes_ -= size;
  std::free(p);
}

void theapmgr::xfreememnc(void* p, std::int32_t size) {
  if (size <= 0 || p == nullptr) return;
  ++fam32_.frees;
  bbm_->reducememorysize(size);
  largebytes_ -= size;
  std::free(p);
}

void theapmgr::realloc(void*& p, std::int64_t oldsize, std::int64_t newsize, bool is64) {
  family& f = fam(is64);
  ++f.reallocs;
  f.reallocnet += newsize - oldsize;
  if (newsize <= 0) {
    if (oldsize > 0 && p != nullptr) release(p, oldsize, is64);
    p = nullptr;
    return;
  }
  if (p == nullptr || oldsize <= 0) {
    p = get(newsize, false, is64, false);
    return;
  }
  if (oldsize == newsize) return;
  if (oldsize > maxslotbytes && newsize > maxslotbytes) {
    // The count is raised before the block grows, so a refused growth leaves both as they were.
    if (newsize > oldsize) countlarge(newsize - oldsize);
    untrack(p);
    void* q = std::realloc(p, static_cast<std::size_t>(newsize));
    if (q == nullptr) {
      largeblocks_.push_back(p);
      if (newsize > oldsize) {
        largebytes_ -= newsize - oldsize;
        bbm_->reducememorysize(newsize - oldsize);
      }
      throw q5rt::exception("Out of memory");
    }
    largeblocks_.push_back(q);
    if (newsize < oldsize) {
      bbm_->reducememorysize(oldsize - newsize);
      largebytes_ -= oldsize - newsize;
    }
    p = q;
    return;
  }
  void* q = get(newsize, false, is64, false);
  std::memcpy(q, p, static_cast<std::size_t>(std::min(oldsize, newsize)));
  release(p, oldsize, is64);
  p = q;
}

void theapmgr::xreallocmemnc(void*& p, std::int32_t oldsize, std::int32_t newsize) {
  ++fam32_.reallocs;
  fam32_.reallocnet += newsize - oldsize;
  if (newsize <= 0) {
    std::free(p);
    p = nullptr;
    return;
  }
  void* q = std::realloc(p, static_cast<std::size_t>(newsize));
  if (q == nullptr) throw q5rt::exception("Out of memory");
  p = q;
}

void theapmgr::increasememorysize(std::int64_t n) { countlarge(n); }

void theapmgr::reducememorysize(std::int64_t n) {
  bbm_->reducememorysize(n);
  largebytes_ -= n;
}

bool theapmgr::setmemorylimit(double limit) {
  bbm_->memorylimit = limit;
  return limit >= bbm_->memoryused;
}

void theapmgr::getslotcnts(std::uint8_t units, std::int64_t& gets, std::int64_t& frees,
                           std::int64_t& onlist) const {
  const slotlist& s = slots_[std::min<std::size_t>(units, maxunits)];
  gets = s.gets;
  frees = s.frees;
  onlist = s.onlist;
}

void theapmgr::getblockstats(std::int64_t& workbuffers, std::int64_t& largeblocks,
                             std::int64_t& largebytes, std::int64_t& peaklargebytes) const {
  workbuffers = static_cast<std::int64_t>(workbuffers_.size());
  largeblocks = static_cast<std::int64_t>(largeblocks_.size());
  largebytes = largebytes_;
  peaklargebytes = peaklargebytes_;
}

void theapmgr::getotherstats(bool family64, std::int64_t& gets, std::int64_t& frees,
                             std::int64_t& reallocs, std::int64_t& reallocnet) const {
  const family& f = family64 ? fam64_ : fam32_;
  gets = f.gets;
  frees = f.frees;
  reallocs = f.reallocs;
  reallocnet = f.reallocnet;
}

std::int64_t theapmgr::getfreeslotspace() const {
  std::int64_t total = 0;
  for (int n = 1; n <= maxunits; ++n) total += slots_[n].onlist * n * unitbytes;
  return total;
}

}  // namespace zlmheapnew
