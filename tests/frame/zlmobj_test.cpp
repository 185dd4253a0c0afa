#include "frame/zlmobj.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using zlmobj::copyint2ptr;
using zlmobj::copyptr2int;

// A pointer list of integers that records every freeitem call (by the item's value) and
// orders its items numerically.
class intlist : public zlmobj::txlist {
 public:
  explicit intlist(std::uint8_t base = 0) { onebased = base; }
  ~intlist() override { clear(); }
  std::vector<int> freed;
  int compares = 0;

  void freeitem(std::int32_t index) override { freed.push_back(copyptr2int(get(index))); }
  std::int32_t compare(std::int32_t a, std::int32_t b) override {
    ++compares;
    const int x = copyptr2int(get(a));
    const int y = copyptr2int(get(b));
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  void addall(std::initializer_list<int> values) {
    for (int v : values) add(copyint2ptr(v));
  }
  std::vector<int> values() const {
    std::vector<int> out;
    for (std::int32_t i = 0; i < count(); ++i) out.push_back(copyptr2int(get(i + onebased)));
    return out;
  }
};

std::string assertion_text(const std::function<void()>& f) {
  try {
    f();
  } catch (const q5rt::assertion_error& e) {
    return std::string(e.message().view());
  }
  return "no assertion";
}

TEST(ZlmobjGrowth, CapacityLadder) {
  struct row {
    std::int32_t capacity;
    std::int32_t count;
    std::int32_t expected;
    const char* why;
  };
  constexpr row rows[] = {
      {0, 0, 16, "first allocation"},
      {16, 16, 128, "eightfold"},
      {128, 128, 1024, "eightfold again"},
      {1048575, 1048575, 8388600, "last eightfold step"},
      {1048576, 1048576, 1310720, "a quarter more from 1048576 on"},
      {1900000000, 1900000000, 2147483647, "capped at the maximum"},
      {16, 500, 500, "never below count"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(zlmobj::detail::growncapacity(r.capacity, r.count, "full"), r.expected);
  }
}

TEST(ZlmobjGrowth, MaximumCapacityRaisesTheClassText) {
  for (const auto text : {zlmobj::detail::txlistfulltext, zlmobj::detail::customfulltext}) {
    const std::string msg = assertion_text(
        [&] { (void)zlmobj::detail::growncapacity(zlmobj::detail::maxcapacity, 5, text); });
    EXPECT_EQ(msg.rfind(std::string(text) + " (", 0), 0u) << msg;
  }
  EXPECT_EQ(zlmobj::detail::txlistfulltext, "TXList.grow(): max capacity reached");
  EXPECT_EQ(zlmobj::detail::customfulltext, "TXCustomStringList.grow(): max capacity reached");
}

TEST(ZlmobjGrowth, ListsGrowByThePolicy) {
  zlmobj::txlist list;
  zlmobj::txstringlist names;
  std::vector<std::int32_t> seen;
  for (int i = 0; i < 1025; ++i) {
    (void)list.add(nullptr);
    (void)names.add("");
    if (seen.empty() || seen.back() != list.capacity()) seen.push_back(list.capacity());
    EXPECT_EQ(names.capacity(), list.capacity());
  }
  EXPECT_EQ(seen, (std::vector<std::int32_t>{16, 128, 1024, 8192}));
  EXPECT_EQ(list.memoryused(), 8192 * 8);
  EXPECT_EQ(names.memoryused(), 8192 * 16);  // empty names hold no string bytes

  zlmobj::txlist big;
  big.setcapacity(1048576);
  big.setcount(1048576);
  (void)big.add(nullptr);
  EXPECT_EQ(big.capacity(), 1310720);
}

TEST(ZlmobjList, IndexBaseShiftsEveryIndex) {
  for (std::uint8_t base : {0, 1}) {
    SCOPED_TRACE(base);
    intlist l(base);
    EXPECT_EQ(l.add(copyint2ptr(10)), base);
    EXPECT_EQ(copyptr2int(l.get(base)), 10);
    l.addall({20, 30});
    EXPECT_EQ(l.indexof(copyint2ptr(30)), 2 + base);
    EXPECT_EQ(l.indexof(copyint2ptr(99)), -1);
    EXPECT_EQ(copyptr2int(l.getlast()), 30);

    l.delete_(1 + base);  // the second-to-last of three
    EXPECT_EQ(l.values(), (std::vector<int>{10, 30}));
    EXPECT_EQ(l.freed, (std::vector<int>{20}));

    l.insert(base, copyint2ptr(5));               // before the first
    l.insert(l.count() + base, copyint2ptr(40));  // count + base appends
    l.insert(2 + base, copyint2ptr(25));
    EXPECT_EQ(l.values(), (std::vector<int>{5, 10, 25, 30, 40}));

    l.exchange(base, 4 + base);
    EXPECT_EQ(l.values(), (std::vector<int>{40, 10, 25, 30, 5}));
  }
}

TEST(ZlmobjList, RemoveTakesTheLastOccurrenceExtractTheFirst) {
  for (std::uint8_t base : {0, 1}) {
    SCOPED_TRACE(base);
    intlist l(base);
    l.addall({7, 8, 7, 9});
    EXPECT_EQ(l.remove(copyint2ptr(7)), 2 + base);
    EXPECT_EQ(l.values(), (std::vector<int>{7, 8, 9}));
    EXPECT_EQ(l.freed, (std::vector<int>{7}));
    EXPECT_EQ(l.remove(copyint2ptr(99)), -1);

    l.freed.clear();
    l.addall({8});
    EXPECT_EQ(copyptr2int(l.extract(copyint2ptr(8))), 8);
    EXPECT_EQ(l.values(), (std::vector<int>{7, 9, 8}));
    EXPECT_EQ(l.extract(copyint2ptr(99)), nullptr);
    EXPECT_EQ(l.values(), (std::vector<int>{7, 9, 8}));
    EXPECT_TRUE(l.freed.empty()) << "extract never frees";
  }
}

TEST(ZlmobjList, PutClearAndCountFreeInOrder) {
  intlist l(1);
  l.addall({1, 2, 3, 4});
  l.put(2, copyint2ptr(20));
  EXPECT_EQ(l.freed, (std::vector<int>{2}));
  EXPECT_EQ(l.values(), (std::vector<int>{1, 20, 3, 4}));

  l.freed.clear();
  l.setcount(6);  // grows with nil slots
  EXPECT_EQ(l.values(), (std::vector<int>{1, 20, 3, 4, 0, 0}));
  l.setcount(2);  // shrinking frees from the last down to the new end
  EXPECT_EQ(l.freed, (std::vector<int>{0, 0, 4, 3}));
  EXPECT_EQ(l.values(), (std::vector<int>{1, 20}));

  l.setcapacity(1);  // never below count
  EXPECT_EQ(l.capacity(), 2);
  l.setcount(40);  // beyond the capacity
  EXPECT_EQ(l.count(), 40);
  EXPECT_EQ(l.capacity(), 40);
  EXPECT_EQ(l.get(40), nullptr);

  l.freed.clear();
  l.setcount(3);
  l.put(3, copyint2ptr(3));
  l.freed.clear();
  l.clear();
  EXPECT_EQ(l.freed, (std::vector<int>{3, 20, 1}));
  EXPECT_EQ(l.count(), 0);
  EXPECT_EQ(l.capacity(), 0);
  EXPECT_EQ(l.memoryused(), 0);
  EXPECT_EQ(l.getlast(), nullptr);

  intlist empty;
  empty.clear();
  EXPECT_EQ(empty.capacity(), 0);
  EXPECT_EQ(empty.memoryused(), 0);
  EXPECT_TRUE(empty.freed.empty());
}

TEST(ZlmobjList, PlainListRefusesToSort) {
  zlmobj::txlist l;
  (void)l.add(nullptr);
  (void)l.add(nullptr);
  EXPECT_THROW(l.sortn(2), q5rt::assertion_error);
}

TEST(ZlmobjSort, QuicksortOrdersEveryShape) {
  std::mt19937 rng(12345);
  for (std::uint8_t base : {0, 1}) {
    for (int n = 0; n <= 60; ++n) {
      for (int spread : {2, 1000}) {  // many duplicates, then few
        SCOPED_TRACE(::testing::Message()
                     << "base " << int(base) << " n " << n << " spread " << spread);
        intlist l(base);
        std::vector<int> expected;
        for (int i = 0; i < n; ++i) {
          const int v = static_cast<int>(rng() % static_cast<unsigned>(spread));
          l.add(copyint2ptr(v));
          expected.push_back(v);
        }
        l.sortn(n);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(l.values(), expected);
      }
    }
  }
  // Already sorted, reversed and constant inputs are sorted too.
  for (const auto& input :
       {std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}, std::vector<int>{8, 7, 6, 5, 4, 3, 2, 1},
        std::vector<int>{4, 4, 4, 4, 4}}) {
    intlist l;
    for (int v : input) l.add(copyint2ptr(v));
    l.sortn(l.count());
    auto expected = input;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(l.values(), expected);
  }
}

TEST(ZlmobjSort, PartialRangesAndShortCounts) {
  intlist l;
  l.addall({5, 4, 3, 2, 1});
  l.sortn(3);
  EXPECT_EQ(l.values(), (std::vector<int>{3, 4, 5, 2, 1}));
  l.quicksort(3, 4);
  EXPECT_EQ(l.values(), (std::vector<int>{3, 4, 5, 1, 2}));
  l.compares = 0;
  l.sortn(1);
  EXPECT_EQ(l.compares, 0) << "fewer than two elements need no sorting";
}

TEST(ZlmobjStrings, HeapCopiesAndByteCounts) {
  zlmobj::txstrings s;
  EXPECT_EQ(s.add(""), 0);
  EXPECT_EQ(s.stringbytes(), 0) << "the empty text allocates nothing";
  EXPECT_EQ(s.get(0).view(), "");
  EXPECT_EQ(s.add("abc"), 1);
  EXPECT_EQ(s.stringbytes(), 4);
  s.insert(1, "zz");
  EXPECT_EQ(s.stringbytes(), 7);
  EXPECT_EQ(s.memoryused(), 7 + 16 * 8);
  EXPECT_EQ(s.get(1).view(), "zz");
  EXPECT_EQ(s.get(2).view(), "abc");

  s.put(1, "longer text");
  EXPECT_EQ(s.get(1).view(), "longer text");
  EXPECT_EQ(s.stringbytes(), 4 + 12);
  s.put(1, s.get(1).view().substr(0, 4));
  EXPECT_EQ(s.get(1).view(), "long");

  s.delete_(1);
  EXPECT_EQ(s.stringbytes(), 4);
  EXPECT_EQ(s.get(1).view(), "abc");
  s.clear();
  EXPECT_EQ(s.stringbytes(), 0);
  EXPECT_EQ(s.memoryused(), 0);
}

TEST(ZlmobjStrings, SearchIgnoresCase) {
  zlmobj::txstrings s;
  s.onebased = 1;
  for (const char* t : {"Alpha", "", "beta", "ALPHA", ""}) (void)s.add(t);
  struct row {
    const char* text;
    std::int32_t index;
    const char* why;
  };
  constexpr row rows[] = {
      {"alpha", 1, "first of two equal names, other case"},
      {"BETA", 3, "upper-case search for a lower-case entry"},
      {"", 2, "the empty text finds the first empty entry"},
      {"alph", -1, "a prefix is not equal"},
      {"alphaz", -1, "a longer text is not equal"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(s.indexof(r.text), r.index);
  }

  EXPECT_EQ(s.extract("BETA").view(), "BETA");
  EXPECT_EQ(s.count(), 4);
  EXPECT_EQ(s.indexof("beta"), -1);
  EXPECT_EQ(s.extract("gamma").view(), "");
  EXPECT_EQ(s.count(), 4);
  EXPECT_EQ(s.stringbytes(), 12);
}

TEST(ZlmobjStrings, SortPutsEmptyFirstAndIgnoresCase) {
  zlmobj::txstrings s;
  for (const char* t : {"b", "ab", "", "B2", "a", "AB"}) (void)s.add(t);
  s.sort();
  std::vector<std::string> got;
  for (int i = 0; i < s.count(); ++i) got.push_back(s.get(i).str());
  ASSERT_EQ(got.size(), 6u);
  EXPECT_EQ(got[0], "");
  EXPECT_EQ(got[1], "a");
  EXPECT_EQ(got[2] + got[3] == "abAB" || got[2] + got[3] == "ABab", true);
  EXPECT_EQ(got[4], "b");
  EXPECT_EQ(got[5], "B2");
}

// A pair list that records which objects it was asked to free.
class recordingnames : public zlmobj::txstringlist {
 public:
  ~recordingnames() override { clear(); }
  std::vector<int> freed;
  void freeobject(std::int32_t index) override { freed.push_back(copyptr2int(getobject(index))); }
};

TEST(ZlmobjStringList, NamesAndObjects) {
  recordingnames l;
  l.onebased = 1;
  EXPECT_EQ(l.add("ABC"), 1);
  EXPECT_EQ(l.addobject("def", copyint2ptr(2)), 2);
  l.insertobject(1, "first", copyint2ptr(3));
  l.insert(4, "");
  EXPECT_EQ(l.count(), 4);
  EXPECT_EQ(l.indexof("abc"), 2);
  EXPECT_EQ(l.indexof(""), 4);
  EXPECT_EQ(l.indexof("ab"), -1);
  EXPECT_EQ(l.indexofobject(copyint2ptr(2)), 3);
  EXPECT_EQ(l.indexofobject(copyint2ptr(9)), -1);
  EXPECT_EQ(l.getname(1).view(), "first");
  EXPECT_EQ(l.stringbytes(), 6 + 4 + 4);
  EXPECT_EQ(l.memoryused(), 14 + 16 * 16);

  l.putobject(2, copyint2ptr(7));
  EXPECT_TRUE(l.freed.empty()) << "putobject does not free";
  l.setname(2, "renamed");
  EXPECT_EQ(l.getname(2).view(), "renamed");
  EXPECT_EQ(l.stringbytes(), 6 + 8 + 4);

  l.delete_(1);
  EXPECT_EQ(l.freed, (std::vector<int>{3}));
  EXPECT_EQ(l.getname(1).view(), "renamed");
  EXPECT_EQ(l.stringbytes(), 8 + 4);

  // freeitem frees name and object but keeps the entry, with an empty name.
  l.freeitem(1);
  EXPECT_EQ(l.count(), 3);
  EXPECT_EQ(l.getname(1).view(), "");
  EXPECT_EQ(l.stringbytes(), 4);

  l.freed.clear();
  l.clear();
  EXPECT_EQ(l.freed, (std::vector<int>{0, 2, 7}));
  EXPECT_EQ(l.count(), 0);
  EXPECT_EQ(l.memoryused(), 0);
}

TEST(ZlmobjStringList, SortSwapsWholeEntries) {
  zlmobj::txstringlist l;
  for (int i = 0; i < 5; ++i)
    (void)l.addobject(std::string(1, static_cast<char>('e' - i)), copyint2ptr(i));
  l.sortn(l.count());
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(l.getname(i).view(), std::string(1, static_cast<char>('a' + i)));
    EXPECT_EQ(copyptr2int(l.getobject(i)), 4 - i);
  }
}

TEST(ZlmobjCopy, IntegersAsPointersAndMoves) {
  struct row {
    std::int32_t n;
    std::uintptr_t bits;
    const char* why;
  };
  constexpr row rows[] = {
      {0, 0, "zero is nil"},
      {-1, 0xFFFFFFFFu, "zero-extended, not sign-extended"},
      {2147483647, 0x7FFFFFFFu, "largest"},
      {-2147483647 - 1, 0x80000000u, "smallest"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    void* p = copyint2ptr(r.n);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p), r.bits);
    EXPECT_EQ(copyptr2int(p), r.n);
  }

  std::string buf = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJ";
  zlmobj::cmove(buf.data(), buf.data() + 2, 40);  // long moves may overlap
  EXPECT_EQ(buf,
            "01"
            "0123456789abcdefghijklmnopqrstuvwxyzABCD"
            "GHIJ");
  char small[4] = {'a', 'b', 'c', 'd'};
  zlmobj::cmove("xy", small + 1, 2);
  EXPECT_EQ(std::string(small, 4), "axyd");
  zlmobj::cmove("q", small, 0);
  EXPECT_EQ(small[0], 'a');
}

}  // namespace
