// A heap for many small records that are released together.
//
// Requests of up to 256 bytes are served in 8-byte units from 512 KB work buffers, with one
// LIFO free list per size of 1 to 32 units; larger requests go to the system allocator and
// are tracked, so that clear releases them. The heap's own block manager counts every byte
// taken from the system, keeps released 512 KB blocks as spares, enforces a memory limit
// (zlmheapnew::outofmemory, "Requested memory exceeds assigned HeapLimit") and can report
// the count to a callback. Blocks carry no header: the caller passes the size back on free.
//
// Usage:
//   zlmheapnew::theapmgr heap("empHeap");
//   auto* rec = static_cast<myrec*>(heap.xallocmem(sizeof(myrec)));   // zeroed slot
//   heap.xfreemem(rec, sizeof(myrec));                                // back on its list
//   heap.clear();   // everything released; the work buffers' blocks stay as spares
//
// Sizes of 0 or less give nil and free nothing. Every system block (tracked, untracked and
// work buffers) comes from malloc; a failing malloc raises q5rt::exception.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "frame/q5rt.h"

namespace zlmheapnew {

inline constexpr std::int64_t unitbytes = 8;
inline constexpr int maxunits = 32;  // slots of 8 to 256 bytes
inline constexpr std::int64_t maxslotbytes = maxunits * unitbytes;
inline constexpr std::int64_t bigblockbytes = 524288;  // one work buffer
inline constexpr std::int32_t bigblockunits = 65536;
inline constexpr double defaultlimit = 1e200;
inline constexpr std::string_view heaplimittext = "Requested memory exceeds assigned HeapLimit";

// Counting beyond the memory limit.
class outofmemory : public q5rt::exception {
 public:
  outofmemory() : q5rt::exception(heaplimittext) {}
};

// The units of a slot request of 1 to 256 bytes.
[[nodiscard]] constexpr std::uint16_t unitsof(std::int64_t bytes) {
  return static_cast<std::uint16_t>((bytes - 1) / unitbytes + 1);
}

using memoryreportproc = void (*)(double megabytes);

// Counts the bytes a heap takes from the system and keeps spare 512 KB blocks.
class tbigblockmgr {
 public:
  explicit tbigblockmgr(std::string_view name);
  tbigblockmgr(const tbigblockmgr&) = delete;
  tbigblockmgr& operator=(const tbigblockmgr&) = delete;
  ~tbigblockmgr();

  // Raises outofmemory (and counts nothing) when the count would pass the limit.
  void increasememorysize(std::int64_t n);
  void reducememorysize(std::int64_t n);
  // The last spare block, else a new counted one.
  [[nodiscard]] void* getbigblock();
  void releasebigblock(void* block);  // becomes a spare, stays counted
  void xclear();                      // frees the spares and takes them off the count
  [[nodiscard]] double memorylimitmb() const { return memorylimit / 1e6; }
  [[nodiscard]] double memoryusedmb() const { return memoryused / 1e6; }
  [[nodiscard]] q5rt::sstr getname() const { return name_; }
  void getbigstats(std::int64_t& counted, std::int64_t& peak, std::int64_t& spares) const;

  double memorylimit = defaultlimit;
  double memoryused = 0;
  double peakmemoryused = 0;
  memoryreportproc reportproc = nullptr;
  std::int32_t reportsource = 0;

 private:
  void report() const;

  q5rt::sstr name_;
  std::int64_t counted_ = 0;
  std::int64_t peakcounted_ = 0;
  std::vector<void*> spares_;
};

// One work buffer: a 512 KB block handed out front to back.
struct tlargeblock {
  std::int32_t freeunits = bigblockunits;
  char* base = nullptr;
  char* next = nullptr;
};

class theapmgr {
 public:
  explicit theapmgr(std::string_view name);
  theapmgr(const theapmgr&) = delete;
  theapmgr& operator=(const theapmgr&) = delete;
  ~theapmgr();

  void clear();
  void prvclear() { clear(); }

  // Slots of 1 to 32 units.
  [[nodiscard]] void* zlmgetmem(std::uint16_t units);
  void zlmfreemem(void* p, std::uint16_t units);
  [[nodiscard]] void* prvzlmgetmem(std::uint16_t units) { return zlmgetmem(units); }
  void prvzlmfreemem(void* p, std::uint16_t units) { zlmfreemem(p, units); }

  // A new work buffer on the list (not made current); releasing one makes its block spare.
  [[nodiscard]] tlargeblock* getworkbuffer();
  void releaseworkbuffer(tlargeblock* buffer);

  // The 32-bit size family.
  [[nodiscard]] void* xgetmem(std::int32_t size) { return get(size, false, false, false); }
  [[nodiscard]] void* prvxgetmem(std::int32_t size) { return xgetmem(size); }
  [[nodiscard]] void* xallocmem(std::int32_t size) { return get(size, true, false, false); }
  void xfreemem(void* p, std::int32_t size) { release(p, size, false); }
  void prvxfreemem(void* p, std::int32_t size) { xfreemem(p, size); }
  template <typename T>
  void xfreememandnil(T*& p, std::int32_t size) {
    xfreemem(p, size);
    p = nullptr;
  }
  // Untracked system blocks for every size, counted but not released by clear.
  [[nodiscard]] void* xgetmemnc(std::int32_t size) { return getnc(size, false); }
  [[nodiscard]] void* prvxgetmemnc(std::int32_t size) { return xgetmemnc(size); }
  [[nodiscard]] void* xallocmemnc(std::int32_t size) { return getnc(size, true); }
  void xfreememnc(void* p, std::int32_t size);

  // The 64-bit size family.
  [[nodiscard]] void* xgetmem64(std::int64_t size) { return get(size, false, true, false); }
  [[nodiscard]] void* prvxgetmem64(std::int64_t size) { return xgetmem64(size); }
  [[nodiscard]] void* xallocmem64(std::int64_t size) { return get(size, true, true, false); }
  void xfreemem64(void* p, std::int64_t size) { release(p, size, true); }
  void prvxfreemem64(void* p, std::int64_t size) { xfreemem64(p, size); }
  template <typename T>
  void xfreemem64andnil(T*& p, std::int64_t size) {
    xfreemem64(p, size);
    p = nullptr;
  }

  // Resizing keeps the first min(old, new) bytes; p may move.
  void xreallocmem(void*& p, std::int32_t oldsize, std::int32_t newsize) {
    realloc(p, oldsize, newsize, false);
  }
  void xreallocmem64(void*& p, std::int64_t oldsize, std::int64_t newsize) {
    realloc(p, oldsize, newsize, true);
  }
  void xreallocmemnc(void*& p, std::int32_t oldsize, std::int32_t newsize);

  // Bytes used outside the heap, counted under its limit.
  void increasememorysize(std::int64_t n);
  void reducememorysize(std::int64_t n);

  // False when the limit lies below the memory used (the next count then raises).
  bool setmemorylimit(double limit);
  void setmemoryreportproc(memoryreportproc proc) { bbm_->reportproc = proc; }

  void getslotcnts(std::uint8_t units, std::int64_t& gets, std::int64_t& frees,
                   std::int64_t& onlist) const;
  void prvgetslotcnts(std::uint8_t units, std::int64_t& gets, std::int64_t& frees,
                      std::int64_t& onlist) const {
    getslotcnts(units, gets, frees, onlist);
  }
  void getblockstats(std::int64_t& workbuffers, std::int64_t& largeblocks, std::int64_t& largebytes,
                     std::int64_t& peaklargebytes) const;
  void getotherstats(bool family64, std::int64_t& gets, std::int64_t& frees, std::int64_t& reallocs,
                     std::int64_t& reallocnet) const;
  [[nodiscard]] std::int64_t getfreeslotspace() const;
  [[nodiscard]] q5rt::sstr getname() const { return name_; }
  [[nodiscard]] tbigblockmgr& blockmgr() { return *bbm_; }

 private:
  struct slotlist {
    void* head = nullptr;
    std::int64_t gets = 0;
    std::int64_t frees = 0;
    std::int64_t onlist = 0;
  };
  struct family {
    std::int64_t gets = 0;
    std::int64_t frees = 0;
    std::int64_t reallocs = 0;
    std::int64_t reallocnet = 0;
  };

  [[nodiscard]] void* get(std::int64_t size, bool zero, bool is64, bool untracked);
  [[nodiscard]] void* getnc(std::int64_t size, bool zero);
  void release(void* p, std::int64_t size, bool is64);
  void realloc(void*& p, std::int64_t oldsize, std::int64_t newsize, bool is64);
  [[nodiscard]] void* newlarge(std::int64_t size, bool zero, bool track);
  void untrack(void* p);
  void countlarge(std::int64_t n);
  void pushslot(void* p, std::uint16_t units);
  void startworkbuffer();
  [[nodiscard]] family& fam(bool is64) { return is64 ? fam64_ : fam32_; }

  tlargeblock* current_ = nullptr;
  std::unique_ptr<tbigblockmgr> bbm_;
  std::array<slotlist, maxunits + 1> slots_{};  // entry n: slots of n units
  std::int64_t peaklargebytes_ = 0;
  std::int64_t largebytes_ = 0;
  family fam32_, fam64_;
  std::vector<std::unique_ptr<tlargeblock>> workbuffers_;
  std::vector<void*> largeblocks_;
  q5rt::sstr name_;
};

}  // namespace zlmheapnew
