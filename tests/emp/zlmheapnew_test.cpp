// The block heap: slot sizes and reuse, work buffers and their donated rest, tracked large
// blocks, resizing, clear, the limit and the counts.
#include "emp/zlmheapnew.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using zlmheapnew::theapmgr;

struct slotcounts {
  std::int64_t gets, frees, onlist;
};
slotcounts slots(const theapmgr& h, std::uint8_t units) {
  slotcounts c{};
  h.getslotcnts(units, c.gets, c.frees, c.onlist);
  return c;
}
std::int64_t counted(theapmgr& h) {
  std::int64_t c, peak, spares;
  h.blockmgr().getbigstats(c, peak, spares);
  return c;
}
std::int64_t largebytes(const theapmgr& h) {
  std::int64_t wb, lb, bytes, peak;
  h.getblockstats(wb, lb, bytes, peak);
  return bytes;
}

TEST(Zlmheapnew, SlotSizesByRequest) {
  struct row {
    std::int32_t bytes;
    std::uint8_t units;
    const char* why;
  };
  constexpr row rows[] = {{1, 1, "one byte: one unit"},
                          {8, 1, "a full unit"},
                          {9, 2, "one byte over: two units"},
                          {256, 32, "the largest slot"}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    theapmgr h("t");
    EXPECT_NE(h.xgetmem(r.bytes), nullptr);
    EXPECT_EQ(slots(h, r.units).gets, 1);
    EXPECT_EQ(largebytes(h), 0);
  }
  theapmgr h("t");
  EXPECT_EQ(h.xgetmem(0), nullptr);
  EXPECT_EQ(h.xgetmem(-5), nullptr);
  void* big = h.xgetmem(257);
  EXPECT_EQ(largebytes(h), 257);
  std::int64_t wb, lb, bytes, peak;
  h.getblockstats(wb, lb, bytes, peak);
  EXPECT_EQ(lb, 1);
  h.xfreemem(big, 257);
  EXPECT_EQ(largebytes(h), 0);
  EXPECT_EQ(h.getname(), "t");
  EXPECT_EQ(h.blockmgr().getname(), "BBMgr_t");
}

TEST(Zlmheapnew, WorkBuffersAreCountedOnceAndRestsDonated) {
  theapmgr h("t");
  EXPECT_EQ(counted(h), 0);
  (void)h.zlmgetmem(1);
  EXPECT_EQ(counted(h), zlmheapnew::bigblockbytes);
  // Fill the buffer up to 3 units.
  for (int i = 0; i < (65536 - 1 - 3) / 32; ++i) (void)h.zlmgetmem(32);
  const int rest = (65536 - 1) - ((65536 - 1 - 3) / 32) * 32;
  for (int i = 0; i < rest - 3; ++i) (void)h.zlmgetmem(1);
  EXPECT_EQ(counted(h), zlmheapnew::bigblockbytes);
  const auto before3 = slots(h, 3);
  void* four = h.zlmgetmem(4);
  EXPECT_NE(four, nullptr);
  EXPECT_EQ(counted(h), 2 * zlmheapnew::bigblockbytes);
  EXPECT_EQ(slots(h, 3).onlist, 1);
  EXPECT_EQ(slots(h, 3).gets, before3.gets);
  (void)h.zlmgetmem(3);
  EXPECT_EQ(slots(h, 3).onlist, 0);
  std::int64_t wb, lb, bytes, peak;
  h.getblockstats(wb, lb, bytes, peak);
  EXPECT_EQ(wb, 2);
}

TEST(Zlmheapnew, ReleasedSlotsComeBackLastInFirstOut) {
  theapmgr h("t");
  void* a = h.xgetmem(40);
  void* b = h.xgetmem(40);
  h.xfreemem(a, 40);
  h.xfreemem(b, 40);
  EXPECT_EQ(slots(h, 5).frees, 2);
  EXPECT_EQ(h.getfreeslotspace(), 80);
  EXPECT_EQ(h.xgetmem(40), b);
  EXPECT_EQ(h.xgetmem(33), a);
  auto* z = static_cast<unsigned char*>(h.xallocmem(40));
  for (int i = 0; i < 40; ++i) EXPECT_EQ(z[i], 0);
  int* p = nullptr;
  h.xfreememandnil(p, 0);
  EXPECT_EQ(p, nullptr);
}

TEST(Zlmheapnew, ResizingKeepsTheContents) {
  theapmgr h("t");
  void* p = h.xgetmem(10);
  std::memcpy(p, "0123456789", 10);
  h.xreallocmem(p, 10, 12);
  EXPECT_EQ(std::memcmp(p, "0123456789", 10), 0);
  EXPECT_EQ(slots(h, 2).frees, 1);

  void* q = h.xgetmem(300);
  std::memset(q, 'x', 300);
  EXPECT_EQ(largebytes(h), 300);
  h.xreallocmem(q, 300, 200);
  EXPECT_EQ(largebytes(h), 0);
  EXPECT_EQ(slots(h, 25).gets, 1);
  EXPECT_EQ(static_cast<char*>(q)[199], 'x');

  void* r = h.xgetmem64(1000);
  std::memset(r, 'y', 1000);
  h.xreallocmem64(r, 1000, 3000);
  EXPECT_EQ(largebytes(h), 3000);
  EXPECT_EQ(static_cast<char*>(r)[999], 'y');
  h.xreallocmem64(r, 3000, 0);
  EXPECT_EQ(r, nullptr);
  EXPECT_EQ(largebytes(h), 0);
  std::int64_t gets, frees, reallocs, net;
  h.getotherstats(true, gets, frees, reallocs, net);
  EXPECT_EQ(gets, 1);
  EXPECT_EQ(frees, 1);
  EXPECT_EQ(reallocs, 2);
  EXPECT_EQ(net, -1000);
}

TEST(Zlmheapnew, TheLimitRaisesAndCountsNothing) {
  theapmgr h("t");
  (void)h.xgetmem(8);
  EXPECT_FALSE(h.setmemorylimit(1000));
  EXPECT_THROW((void)h.xgetmem(300), zlmheapnew::outofmemory);
  EXPECT_EQ(counted(h), zlmheapnew::bigblockbytes);
  EXPECT_TRUE(h.setmemorylimit(1e9));
  void* p = h.xgetmem(300);
  EXPECT_TRUE(h.setmemorylimit(zlmheapnew::bigblockbytes + 400));
  // A refused growth leaves block and count as they were.
  try {
    h.xreallocmem(p, 300, 1000);
    FAIL() << "no exception";
  } catch (const zlmheapnew::outofmemory& e) {
    EXPECT_EQ(e.message(), "Requested memory exceeds assigned HeapLimit");
  }
  EXPECT_EQ(largebytes(h), 300);
  h.xfreemem(p, 300);
  EXPECT_EQ(counted(h), zlmheapnew::bigblockbytes);
}

TEST(Zlmheapnew, ClearKeepsTheBuffersAsSpares) {
  theapmgr h("t");
  static double reported = -1;
  h.setmemoryreportproc([](double mb) { reported = mb; });
  (void)h.xgetmem(16);
  (void)h.xgetmem(1000);
  EXPECT_DOUBLE_EQ(reported, (zlmheapnew::bigblockbytes + 1000) / 1e6);
  h.clear();
  std::int64_t wb, lb, bytes, peak;
  h.getblockstats(wb, lb, bytes, peak);
  EXPECT_EQ(wb, 0);
  EXPECT_EQ(lb, 0);
  EXPECT_EQ(bytes, 0);
  EXPECT_EQ(peak, 1000);
  std::int64_t c, cpeak, spares;
  h.blockmgr().getbigstats(c, cpeak, spares);
  EXPECT_EQ(spares, 1);
  EXPECT_EQ(c, zlmheapnew::bigblockbytes);
  (void)h.xgetmem(16);  // the spare block comes back without a new count
  h.blockmgr().getbigstats(c, cpeak, spares);
  EXPECT_EQ(spares, 0);
  EXPECT_EQ(c, zlmheapnew::bigblockbytes);
  h.blockmgr().reportproc = nullptr;
}

}  // namespace
