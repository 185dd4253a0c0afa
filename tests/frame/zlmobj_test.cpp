#include "frame/zlmobj.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "frame/q5utils.h"

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

// ---- sorted, name-value and hashed lists, records, bits ----

std::vector<std::string> names(const zlmobj::txcustomstringlist& l) {
  std::vector<std::string> out;
  for (std::int32_t i = 0; i < l.count(); ++i) out.push_back(l.getname(i + l.onebased).str());
  return out;
}

TEST(ZlmobjSorted, InsertsInOrderAndFinds) {
  for (std::uint8_t base : {0, 1}) {
    SCOPED_TRACE(base);
    zlmobj::txsortedstringlist l;
    l.onebased = base;
    EXPECT_EQ(l.add("m"), base);
    EXPECT_EQ(l.add("c"), base);
    EXPECT_EQ(l.add("x"), 2 + base);
    EXPECT_EQ(l.add("E"), 1 + base);
    EXPECT_EQ(l.addobject("C", copyint2ptr(5)), base) << "before an equal name";
    EXPECT_EQ(names(l), (std::vector<std::string>{"C", "c", "E", "m", "x"}));

    struct row {
      const char* name;
      bool found;
      std::int32_t position;
      const char* why;
    };
    constexpr row rows[] = {
        {"a", false, 0, "below all: the first position"},
        {"e", true, 2, "equal ignoring case"},
        {"f", false, 3, "between two entries"},
        {"zz", false, 5, "above all: past the end"},
    };
    for (const auto& r : rows) {
      SCOPED_TRACE(r.why);
      std::int32_t index = -7;
      EXPECT_EQ(l.find(r.name, index), r.found);
      EXPECT_EQ(index, r.position + base);
    }
    EXPECT_EQ(l.indexof("M"), 3 + base);
    EXPECT_EQ(l.indexof("n"), -1);
  }
}

TEST(ZlmobjSorted, BulkUpdateSortsOnceAtTheEnd) {
  zlmobj::txsortedstringlist l;
  l.beginupdate();
  l.beginupdate();
  for (const char* n : {"delta", "Alpha", "charlie", "bravo"}) (void)l.add(n);
  EXPECT_EQ(names(l), (std::vector<std::string>{"delta", "Alpha", "charlie", "bravo"}));
  EXPECT_FALSE(l.sorted());
  EXPECT_EQ(l.indexof("CHARLIE"), 2) << "unsorted: a linear scan";
  l.endupdate();
  EXPECT_FALSE(l.sorted()) << "still inside the outer update";
  l.endupdate();
  EXPECT_TRUE(l.sorted());
  EXPECT_EQ(names(l), (std::vector<std::string>{"Alpha", "bravo", "charlie", "delta"}));
  EXPECT_EQ(l.indexof("CHARLIE"), 2);
  l.endupdate();  // unbalanced: ignored
  (void)l.add("beta");
  EXPECT_EQ(l.indexof("beta"), 1);

  l.setsorted(false);
  l.setname(0, "zulu");
  EXPECT_EQ(l.indexof("zulu"), 0) << "linear while unsorted";
  l.setsorted(true);
  EXPECT_EQ(names(l), (std::vector<std::string>{"beta", "bravo", "charlie", "delta", "zulu"}));
}

TEST(ZlmobjStrStr, TypedValues) {
  zlmobj::txstrstrlist l;
  l.setasstring("name", "value");
  l.setasinteger("n", 42);
  l.setasinteger("zero", 0);
  l.setasdouble("x", 1.5);
  l.setasdouble("nought", 0.0);
  l.setasboolean("yes", true);
  l.setasboolean("no", false);
  l.setasstring("bad", "abc");
  l.setasstring("eq", "=");
  l.setasstring("partly", "12abc");
  l.setasstring("hex", "$1F");
  EXPECT_EQ(names(l),
            (std::vector<std::string>{"bad", "eq", "hex", "n", "name", "partly", "x", "yes"}))
      << "zero, false and 0.0 store nothing";

  struct row {
    const char* name;
    const char* text;
    std::int32_t integer;
    double real;
    bool boolean;
    const char* why;
  };
  constexpr row rows[] = {
      {"n", "42", 42, 42.0, false, "decimal text"},
      {"x", " 1.50000000000000E+0000", 0, 1.5, false, "the 23-character real text"},
      {"yes", "T", 0, 0.0, true, "true is T"},
      {"bad", "abc", 0, 0.0, false, "no number: 0"},
      {"partly", "12abc", 0, 0.0, true, "not converted completely: 0; 1 starts true"},
      {"hex", "$1F", 31, 0.0, false, "the integer reader's hexadecimal"},
      {"eq", "", 0, 0.0, false, "a lone = reads as empty"},
      {"absent", "", 0, 0.0, false, "absent name"},
      {"NAME", "value", 0, 0.0, false, "names ignore case"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(l.getasstring(r.name).view(), r.text);
    EXPECT_EQ(l.getasinteger(r.name), r.integer);
    EXPECT_EQ(l.getasdouble(r.name), r.real);
    EXPECT_EQ(l.getasboolean(r.name), r.boolean);
  }

  for (const char* t : {"1", "t", "Y", "y", "True"}) {
    l.setasstring("flag", t);
    EXPECT_TRUE(l.getasboolean("flag")) << t;
  }
  for (const char* t : {"0", "F", "n", " T"}) {
    l.setasstring("flag", t);
    EXPECT_FALSE(l.getasboolean("flag")) << t;
  }

  const std::int64_t before = l.stringbytes();
  l.setasinteger("N", 0);  // removes the name and frees its value
  EXPECT_EQ(l.indexof("n"), -1);
  EXPECT_EQ(l.stringbytes(), before - 2 - 3);
  l.setasstring("name", "longer value");
  EXPECT_EQ(l.getobject(l.indexof("name")).view(), "longer value");
  l.putobject(l.indexof("name"), "v");
  EXPECT_EQ(l.getasstring("name").view(), "v");
  l.clear();
  EXPECT_EQ(l.stringbytes(), 0);
}

TEST(ZlmobjHashed, CaseDecidesWhatIsTheSameName) {
  zlmobj::txhashedstringlist hashed;
  zlmobj::txstrpool pool;
  hashed.onebased = 1;
  EXPECT_EQ(hashed.add("ABC"), 1);
  EXPECT_EQ(hashed.addobject("abc", copyint2ptr(9)), 1);
  EXPECT_EQ(hashed.count(), 1);
  EXPECT_EQ(hashed.getobject(1), nullptr) << "a present name keeps its object";
  EXPECT_EQ(pool.add("ABC"), 0);
  EXPECT_EQ(pool.add("abc"), 1);
  EXPECT_EQ(pool.count(), 2);
  EXPECT_EQ(pool.indexof("abc"), 1);
  EXPECT_EQ(pool.indexof("Abc"), -1);
  EXPECT_EQ(hashed.indexof("aBc"), 1);
  EXPECT_EQ(hashed.add(""), 2);
  EXPECT_EQ(hashed.indexof(""), 2) << "an empty entry equals the empty name";
}

TEST(ZlmobjHashed, HashValuesFollowTheBlockRule) {
  zlmobj::txhashedstringlist hashed;
  zlmobj::txstrpool pool;
  hashed.sethashsize(0);
  pool.sethashsize(0);
  ASSERT_EQ(hashed.tablesize(), 13093);
  struct row {
    std::string text;
    std::int32_t folded, foldedstep, exact, exactstep;
    const char* why;
  };
  // Expected values computed independently from the hashing rule.
  const row rows[] = {
      {"", 0, 32, 0, 32, "empty text: slot 0, step 32"},
      {"A", 65, 31, 65, 31, "one character"},
      {"abc", 12206, 30, 4703, 30, "folded to ABC for the hashed list only"},
      {"abcdefghijklm", 9979, 25, 8353, 25, "two blocks of six and one character"},
      {std::string(13, '\xFF'), 11921, 17, 11921, 17, "a block that wraps in 32 bits"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(hashed.hashvalue(r.text), r.folded);
    EXPECT_EQ(hashed.hashval2(r.text), r.foldedstep);
    EXPECT_EQ(pool.hashvalue(r.text), r.exact);
    EXPECT_EQ(pool.hashval2(r.text), r.exactstep);
  }
}

TEST(ZlmobjHashed, TableGrowsAlongTheLadder) {
  zlmobj::txhashedstringlist l;
  EXPECT_EQ(l.tablesize(), 0);
  EXPECT_EQ(l.rehashlimit(), -1);
  (void)l.add("n0");
  EXPECT_EQ(l.tablesize(), 13093);
  EXPECT_EQ(l.rehashlimit(), 9820);
  for (int i = 1; i < 9820; ++i) (void)l.add("n" + std::to_string(i));
  EXPECT_EQ(l.tablesize(), 13093) << "9820 entries still fit";
  (void)l.add("n9820");
  EXPECT_EQ(l.tablesize(), 96779);
  for (int i = 0; i <= 9820; ++i) ASSERT_EQ(l.indexof("N" + std::to_string(i)), i);
  EXPECT_EQ(l.indexof("n9821"), -1);

  std::int32_t first, second, third;
  double load;
  std::int64_t bytes;
  l.hashstats(first, second, third, load, bytes);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
  EXPECT_EQ(third, 96779);
  EXPECT_DOUBLE_EQ(load, 9821.0 / 96779);
  EXPECT_EQ(bytes, 96779 * 4);

  l.clear();
  EXPECT_EQ(l.tablesize(), 0);
  l.hashstats(first, second, third, load, bytes);
  EXPECT_EQ(load, 0.0) << "no table: no load, no division by zero";
}

TEST(ZlmobjHashed, MovingOrRenamingEntriesKeepsLookupsRight) {
  zlmobj::txhashedstringlist l;
  for (const char* n : {"d", "b", "a", "c"}) (void)l.add(n);
  l.delete_(0);
  EXPECT_EQ(l.indexof("d"), -1);
  EXPECT_EQ(l.indexof("c"), 2) << "positions after the deleted entry moved down";
  l.setname(0, "e");
  EXPECT_EQ(l.indexof("b"), -1);
  EXPECT_EQ(l.indexof("e"), 0);
  l.insertitem(0, "f", nullptr);
  EXPECT_EQ(l.indexof("c"), 3);
  l.sort();
  EXPECT_EQ(names(l), (std::vector<std::string>{"a", "c", "e", "f"}));
  EXPECT_EQ(l.indexof("F"), 3);
  EXPECT_EQ(l.add("a"), 0);
  EXPECT_EQ(l.count(), 4);
}

TEST(ZlmobjHashed, OversizedTableIsRefused) {
  zlmobj::txhashedstringlist l;
  const std::string msg = assertion_text([&] { l.sethashsize(2147483647); });
  EXPECT_EQ(msg.rfind(std::string(zlmobj::detail::hashoverflowtext) + " (", 0), 0u) << msg;
  EXPECT_EQ(zlmobj::detail::hashoverflowtext,
            "TXHashedStringList.setHashTableSize for double-hashing: table size overflow");
  EXPECT_EQ(l.tablesize(), 0);
}

TEST(ZlmobjHashed, SizeLadders) {
  struct row {
    std::int64_t request;
    std::int32_t dbl;
    std::int32_t sc;
    const char* why;
  };
  constexpr row rows[] = {
      {0, 13093, 10007, "smallest"},
      {13092, 13093, 77317, "just below the first double size"},
      {13093, 96779, 77317, "a size itself asks for the next"},
      {96778, 96779, 598363, "upper end of the second step"},
      {290201182, 290201183, 357913951, "last step below the top"},
      {290201183, 2147453047, 357913951, "top of the double ladder"},
      {2147483647, 2147453047, 357913951, "the largest request"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(zlmobj::detail::getdblhashsize(r.request), r.dbl);
    EXPECT_EQ(zlmobj::detail::getschashsize(r.request), r.sc);
  }
}

TEST(ZlmobjHashed, SelfTestReport) {
  std::string out;
  EXPECT_TRUE(
      zlmobj::detail::zlmobjisok(zlmobj::hash2_nicefullratio, zlmobj::hash2_maxfullratio, out));
  EXPECT_EQ(out,
            "DBLHASHSIZE0 should be 13093\n"
            "DBLHASHSIZE1 should be 96779\n"
            "DBLHASHSIZE2 should be 716161\n"
            "DBLHASHSIZE3 should be 5299513\n"
            "DBLHASHSIZE4 should be 39216379\n"
            "DBLHASHSIZE5 should be 290201183\n"
            "DBLHASHSIZE6 should be 2147453047\n"
            "SCHASHSIZE0 should be 10007\n"
            "SCHASHSIZE1 should be 77317\n"
            "SCHASHSIZE2 should be 598363\n"
            "SCHASHSIZE3 should be 4631287\n"
            "SCHASHSIZE4 should be 35846143\n"
            "SCHASHSIZE5 should be 277449127\n"
            "SCHASHSIZE6 should be 357913951\n"
            "zlmobjIsOK returns true\n");

  struct row {
    double nice, max;
    const char* tail;
    const char* why;
  };
  constexpr row rows[] = {
      {0.8, 0.75,
       "Expected HASH2_MAXFULLRATIO >= HASH2_NICEFULLRATIO\n"
       "  HASH2_MAXFULLRATIO  =   0.750000\n"
       "  HASH2_NICEFULLRATIO =   0.800000\n",
       "rebuild below the sizing load"},
      {0.55, 0.995,
       "Expected HASH2_MAXFULLRATIO < 0.99\n"
       "  HASH2_MAXFULLRATIO  =   0.995000\n"
       "  HASH2_NICEFULLRATIO =   0.550000\n",
       "tables allowed to fill up"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    std::string report;
    EXPECT_FALSE(zlmobj::detail::zlmobjisok(r.nice, r.max, report));
    EXPECT_TRUE(report.ends_with(std::string("SCHASHSIZE6 should be 357913951\n") + r.tail))
        << report;
  }

  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(zlmobj::zlmobjisok());
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), out);
}

TEST(ZlmobjPchar, RecordsWithLengths) {
  zlmobj::txpcharlist l;
  l.setonebased(true);
  EXPECT_TRUE(l.getonebased());
  EXPECT_EQ(l.add("abc", 3), 1);
  EXPECT_EQ(l.add(nullptr, 0), 2);
  EXPECT_EQ(l.add("\0x\0", 3), 3);
  EXPECT_EQ(l.count(), 3);
  EXPECT_EQ(l.memoryused(), (3 + 4) * 2 + 4 + 16 * 8);
  struct row {
    std::int32_t index;
    std::string bytes;
    const char* why;
  };
  const row rows[] = {
      {1, "abc", "plain"},
      {2, "", "empty record"},
      {3, std::string("\0x\0", 3), "zero bytes kept"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const char* p = nullptr;
    std::int32_t length = -1;
    l.getitem(r.index, p, length);
    EXPECT_EQ(std::string(p, static_cast<std::size_t>(length)), r.bytes);
  }
  const std::int64_t held = q5utils::q5allocmemsize64();
  l.clear();
  EXPECT_EQ(l.count(), 0);
  EXPECT_EQ(l.memoryused(), 0);
  EXPECT_EQ(held - q5utils::q5allocmemsize64(), (3 + 4) * 2 + 4 + 16 * 8)
      << "records and array go back to the counted allocator";
  EXPECT_THROW((void)l.add("x", -1), q5rt::assertion_error);
}

TEST(ZlmobjBits, GrowthAndBits) {
  zlmobj::tbooleanbitarray b;
  EXPECT_EQ(b.gethighindex(), -1);
  b.setbit(5000, false);
  EXPECT_EQ(b.memoryused(), 0) << "clearing an absent bit allocates nothing";
  struct row {
    std::int32_t bit;
    std::int64_t allocated;
    const char* why;
  };
  constexpr row rows[] = {
      {1000, 256, "first block: a multiple of 256"},
      {2047, 256, "the last bit of that block"},
      {2048, 512, "next multiple of the current size"},
      {65535, 8192, "8192 bytes exactly"},
      {65536, 10240, "from 8192 bytes: a quarter at a time"},
      {100000, 12800, "as many quarters as needed"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    b.setbit(r.bit, true);
    EXPECT_EQ(b.memoryused(), r.allocated);
    EXPECT_TRUE(b.getbit(r.bit));
    EXPECT_EQ(b.gethighindex(), r.bit);
  }
  EXPECT_FALSE(b.getbit(999));
  EXPECT_FALSE(b.getbit(-1));
  EXPECT_FALSE(b.getbit(100001));
  b.setbit(1000, false);
  EXPECT_FALSE(b.getbit(1000));
  b.setbit(-3, true);
  b.sethighindex(120000);
  EXPECT_EQ(b.gethighindex(), 120000);
  EXPECT_FALSE(b.getbit(110000));
  b.sethighindex(5);
  EXPECT_EQ(b.gethighindex(), 120000) << "never lowered";

  std::int32_t byte = 0;
  std::uint8_t mask = 0;
  zlmobj::tbooleanbitarray::getbitmask(21, byte, mask);
  EXPECT_EQ(byte, 2);
  EXPECT_EQ(mask, 0x20);

  b.clear();
  EXPECT_EQ(b.memoryused(), 0);
  EXPECT_EQ(b.gethighindex(), -1);
  EXPECT_FALSE(b.getbit(2048));
}

TEST(ZlmobjBits, IterateBothWays) {
  zlmobj::tbooleanbitarray b;
  for (int n : {3, 17, 4000}) b.setbit(n, true);
  b.setbit(4000, false);  // high index stays 4000
  std::vector<int> seen;
  auto record = [&](std::int32_t n) {
    seen.push_back(n);
    return true;
  };
  EXPECT_TRUE(b.iterate(record));
  EXPECT_EQ(seen, (std::vector<int>{3, 17, -1}));
  seen.clear();
  EXPECT_TRUE(b.iteratedown(record));
  EXPECT_EQ(seen, (std::vector<int>{17, 3, -1}));
  seen.clear();
  EXPECT_FALSE(b.iterate([&](std::int32_t n) {
    seen.push_back(n);
    return n != 3;
  }));
  EXPECT_EQ(seen, (std::vector<int>{3})) << "a false answer stops";
  zlmobj::tbooleanbitarray empty;
  EXPECT_FALSE(empty.iterate([](std::int32_t n) { return n != -1; }))
      << "the final -1 call gives the result";
}

}  // namespace
