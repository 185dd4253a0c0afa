// The data-exchange stand-in's reader: the lines of a file through buffers of any size, and
// every file read through the library's entries against a reference reader that splits
// each line into words and keeps the whole file (the reader's way before it read records
// from the file as they are asked for): the same open result, symbols, records, values and
// first changed key positions, over many generated files with the edge cases of the format.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bindings/vrkdcdef.h"
#include "standins/common/linetokens.h"
#include "standins/zlmvrk/linesource.h"
#include "support/bindtest.h"
#include "support/testutil.h"

namespace {

// ---- the lines of a file ----

struct line {
  std::string text;
  std::uint64_t after = 0;  // the offset of the next line
  bool operator==(const line&) const = default;
};

// The lines of text split at "\n" by hand; the text after the last "\n" when not empty.
std::vector<line> splitlines(std::string_view text) {
  std::vector<line> r;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t stop = text.find('\n', pos);
    const std::size_t next = stop == std::string_view::npos ? text.size() : stop + 1;
    if (stop == std::string_view::npos) stop = text.size();
    r.push_back({std::string(text.substr(pos, stop - pos)), next});
    pos = next;
  }
  return r;
}

std::vector<line> readall(zlmvrk::linesource& src) {
  std::vector<line> r;
  std::string_view l;
  while (src.next(l)) r.push_back({std::string(l), src.offset()});
  return r;
}

TEST(Vrklinesource, LinesAndOffsetsThroughAnyBufferSize) {
  struct row {
    std::string text;
    const char* why;
  };
  const row rows[] = {
      {"", "no line"},
      {"\n", "one empty line"},
      {"\nabcdef\nx", "a refill one byte into the buffer"},
      {"a", "a last line without its end"},
      {"ab\ncd\n", "two lines"},
      {"ab\n\n\ncd", "empty lines between"},
      {"\r\n \t\n*x\n", "carriage returns and blanks stay in the line"},
      {std::string(1000, 'x') + "\ny\n" + std::string(70, 'z'), "lines longer than the buffer"},
      {std::string("a\0b\nc", 5), "a zero byte in a line"},
  };
  testutil::tempdir tmp;
  const std::string file = tmp.file("lines.txt");
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    testutil::write_file(file, r.text);
    const std::vector<line> want = splitlines(r.text);
    for (const std::size_t size : {1, 2, 3, 5, 64, 256 * 1024}) {
      SCOPED_TRACE("buffer " + std::to_string(size));
      zlmvrk::linesource src(size);
      ASSERT_TRUE(src.openfile(file));
      EXPECT_EQ(readall(src), want);
      EXPECT_FALSE(src.failed());
      // Again from every line's start, as a symbol's records are read.
      std::uint64_t start = 0;
      for (std::size_t k = 0; k < want.size(); ++k) {
        src.seek(start);
        const std::vector<line> rest = readall(src);
        EXPECT_EQ(rest,
                  std::vector<line>(want.begin() + static_cast<std::ptrdiff_t>(k), want.end()));
        start = want[k].after;
      }
    }
    zlmvrk::linesource text;
    text.opentext(r.text);
    EXPECT_EQ(readall(text), want);
  }
  zlmvrk::linesource none;
  EXPECT_FALSE(none.openfile(tmp.file("missing.txt")));
}

// ---- the reference reader ----

constexpr std::array<std::string_view, 5> specialnames = {"Undf", "NA", "+Inf", "-Inf", "Eps"};
using specials = std::array<double, 5>;
// The scratch file's read values: the library's own with EPS read as 0.
constexpr specials readspecials = {1e300, 2e300, 3e300, 4e300, 0.0};

struct refrecord {
  std::vector<std::int32_t> keys;
  std::vector<double> values;
};

struct refsymbol {
  std::string name;
  std::string text;
  std::int32_t dim = 0;
  std::int32_t type = 0;
  std::int32_t userinfo = 0;
  std::vector<refrecord> records;
};

struct reffile {
  bool ok = false;
  std::vector<std::string> labels;
  std::vector<refsymbol> symbols;
};

int valuecount(int type) { return type == 2 || type == 3 ? 5 : 1; }

// One record line's words; false when they are no record of s.
bool refrecordline(const std::vector<linetokens::token>& w, const refsymbol& s, refrecord& r) {
  const auto dim = static_cast<std::size_t>(s.dim);
  const auto n = static_cast<std::size_t>(valuecount(s.type));
  if (w.size() != 1 + dim + 1 + n || w[1 + dim].text != ":") return false;
  for (std::size_t k = 0; k < dim; ++k) {
    std::int32_t u = 0;
    if (!linetokens::toint(w[1 + k].text, u) || u < 1) return false;
    r.keys.push_back(u);
  }
  for (std::size_t k = 0; k < n; ++k) {
    const std::string& t = w[2 + dim + k].text;
    const auto sp = std::find(specialnames.begin(), specialnames.end(), t);
    double v = 0;
    if (sp != specialnames.end())
      v = readspecials[static_cast<std::size_t>(sp - specialnames.begin())];
    else if (!linetokens::todouble(t, v))
      return false;
    r.values.push_back(v);
  }
  return true;
}

reffile refread(std::string_view text) {
  reffile f;
  bool head = false;
  std::vector<linetokens::token> w;
  const bool ok = linetokens::eachline(text, [&](int, std::string_view l) {
    std::string why;
    if (!linetokens::split(l, w, why)) return false;
    const std::string& key = w[0].text;
    std::int32_t v = 0;
    if (!head) {
      head = w.size() == 3 && key == "zlmvrk" && linetokens::toint(w[1].text, v) && v == 1;
      return head;
    }
    if (key == "label" && w.size() == 2) {
      f.labels.push_back(w[1].text);
      return true;
    }
    if (key == "symbol" && w.size() == 6) {
      refsymbol s;
      s.name = w[1].text;
      s.text = w[5].text;
      f.symbols.push_back(s);
      refsymbol& b = f.symbols.back();
      return linetokens::toint(w[2].text, b.dim) && b.dim >= 0 && b.dim <= 20 &&
             linetokens::toint(w[3].text, b.type) && b.type >= 0 && b.type <= 3 &&
             linetokens::toint(w[4].text, b.userinfo);
    }
    if (key == "record" && !f.symbols.empty()) {
      refsymbol& s = f.symbols.back();
      refrecord r;
      if (!refrecordline(w, s, r)) return false;
      if (!s.records.empty() && !(s.records.back().keys < r.keys)) return false;
      s.records.push_back(std::move(r));
      return true;
    }
    return false;
  });
  f.ok = ok && head;
  return f;
}

// ---- generated files ----

// Files of a few symbols whose lines take, now and then, one of the format's other forms
// or a fault.
class filemaker {
 public:
  explicit filemaker(unsigned seed) : rng_(seed) {}

  // A big file's symbols hold tens of thousands of records: its lines cross the reader's
  // buffer.
  std::string make(bool big) {
    // Sound, with faults here and there, or sound but for one damaged record line.
    const std::size_t kind = big ? 2 * weighted({1, 0, 1}) : weighted({2, 2, 1});
    faults_ = kind == 1;
    std::string t;
    t += pick(
        {"zlmvrk 1 \"ScratchVrk\"", "zlmvrk 1 'a \"b\"'", " zlmvrk\t1 p", "zlmvrk 2 p", "zlmvrk 1"},
        {40, 5, 3, faults_ ? 1 : 0, faults_ ? 1 : 0});
    t += '\n';
    const int symbols = upto(4);
    for (int s = 0; s < symbols; ++s) {
      extra(t);
      const int dim =
          pickint({0, 1, 2, 3, 4, 21}, {faults_ ? 3 : 0, 20, 20, 20, 5, faults_ ? 1 : 0});
      const int type = pickint({0, 1, 2, 3, 4}, {10, 20, 5, 5, faults_ ? 1 : 0});
      const std::string q = chance(5) ? "'" : "\"";
      t += pick({"symbol ", "\"symbol\" ", "symbol\t", " symbol "}, {40, 2, 2, 1});
      t += q + "s" + std::to_string(s) + q + " ";
      t += chance(2) ? "\"" + std::to_string(dim) + "\"" : std::to_string(dim);
      t += " " + std::to_string(type) + " 0 \"text\"\n";
      records(t, dim, valuecount(type), big);
    }
    extra(t);
    if (faults_ && chance(10)) t += "record 1 : 1\n";
    if (kind == 2) damage(t);
    if (chance(5) && !t.empty()) t.pop_back();  // the last line without its end
    return t;
  }

  // One record line out of key order, twice, with a key 0, a value too many, or a stray
  // head line before it.
  void damage(std::string& t) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; (at = t.find("record ", at)) != std::string::npos; ++at)
      if (at == 0 || t[at - 1] == '\n') starts.push_back(at);
    if (starts.size() < 2) return;
    const std::size_t k = 1 + static_cast<std::size_t>(upto(static_cast<int>(starts.size()) - 2));
    const std::size_t at = starts[k];
    const std::size_t end = t.find('\n', at);
    const std::string rec = t.substr(at, end == std::string::npos ? std::string::npos : end - at);
    switch (upto(4)) {
      case 0:  // swapped with the record before it
        t.replace(at, rec.size(), t.substr(starts[k - 1], at - starts[k - 1] - 1));
        t.replace(starts[k - 1], at - starts[k - 1] - 1, rec);
        break;
      case 1:
        t.insert(at, rec + "\n");
        break;
      case 2:
        t.replace(at, 7, "record 0");
        break;
      case 3:
        t.insert(at + rec.size(), " 7");
        break;
      default:
        t.insert(at, "zlmvrk 1 p\n");
    }
  }

 private:
  bool chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(rng_) < percent; }
  int upto(int n) { return std::uniform_int_distribution<int>(0, n)(rng_); }
  std::size_t weighted(std::initializer_list<int> weights) {
    std::discrete_distribution<std::size_t> d(weights.begin(), weights.end());
    return d(rng_);
  }
  std::string pick(std::initializer_list<const char*> texts, std::initializer_list<int> weights) {
    return *(texts.begin() + static_cast<std::ptrdiff_t>(weighted(weights)));
  }
  int pickint(std::initializer_list<int> values, std::initializer_list<int> weights) {
    return *(values.begin() + static_cast<std::ptrdiff_t>(weighted(weights)));
  }

  // Blank, comment and label lines.
  void extra(std::string& t) {
    while (chance(15)) {
      t += pick({"", "* a comment", "   * x", " \t", "\r", "label \"l1\"", "label 'l \"2\"'",
                 "label \"unclosed", "label a b"},
                {3, 3, 2, 2, 1, 4, 2, faults_ ? 1 : 0, faults_ ? 1 : 0});
      t += '\n';
    }
  }

  std::string key(std::int32_t k) {
    switch (weighted({400, 2, 2, faults_ ? 1 : 0, faults_ ? 1 : 0})) {
      case 0:
        return std::to_string(k);
      case 1:
        return "\"" + std::to_string(k) + "\"";
      case 2:
        return "0" + std::to_string(k);
      case 3:
        return "0";
      default:
        return "2147483648";
    }
  }

  // A decimal number of up to 20 digits, a point anywhere and an exponent now and then:
  // the short ones the reader takes by itself, the others through from_chars.
  std::string decimal() {
    std::string t = chance(30) ? "-" : "";
    const int n = 1 + upto(19);
    const int point = chance(30) ? -1 : upto(n - 1);
    for (int k = 0; k < n; ++k) {
      if (k == point && k > 0) t += '.';
      t += static_cast<char>('0' + upto(9));
    }
    if (chance(30)) {
      t += pick({"e", "E", "e+", "e-", "E-"}, {3, 1, 1, 3, 1});
      t += std::to_string(upto(chance(80) ? 25 : 400));
    }
    return t;
  }

  // Numbers and special-value names; now and then a word that is neither.
  std::string value() {
    if (chance(25)) return decimal();
    if (faults_ && chance(1))
      return pick({"1e999", "+1", "abc", "0x10", "eps", "1,5"}, {1, 1, 1, 1, 1, 1});
    return pick({"0", "1", "-1.75", "2.5e-07", "100006.5", "1e+300", "Eps", "NA", "+Inf", "-Inf",
                 "Undf", "-0", "inf", "nan", "1.", ".5", "4.9e-324"},
                {30, 20, 10, 5, 5, 2, 8, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1});
  }

  std::string blank() { return pick({" ", "  ", "\t", " \r"}, {400, 2, 2, 1}); }

  void records(std::string& t, int dim, int nvalues, bool big) {
    const int count = big          ? 20000 + upto(20000)
                      : chance(5)  ? 300 + upto(3000)
                      : chance(20) ? 30 + upto(300)
                                   : upto(12);
    std::vector<std::int32_t> keys(static_cast<std::size_t>(dim), 1);
    for (int r = 0; r < count; ++r) {
      if (chance(3)) extra(t);
      // The next key in order: the last position steps on, now and then an earlier one.
      if (r > 0 && dim > 0) {
        const std::size_t at = static_cast<std::size_t>(chance(80) ? dim - 1 : upto(dim - 1));
        keys[at] += faults_ && chance(1) ? 0 : 1 + upto(2);
        if (faults_ && chance(1)) keys[at] -= 3;
        for (std::size_t k = at + 1; k < keys.size(); ++k) keys[k] = 1 + upto(2);
      }
      t += chance(1) ? " record" : "record";
      for (const std::int32_t k : keys) t += blank() + key(k);
      t += blank() + (chance(1) ? "\":\"" : ":");
      const int n = faults_ && chance(1) ? nvalues + 1 : nvalues;
      for (int v = 0; v < n; ++v) t += blank() + value();
      if (chance(1)) t += " ";
      t += '\n';
    }
  }

  std::mt19937 rng_;
  bool faults_ = true;
};

// A file of one symbol "s" with 400 one-key records, keys first+1 .. first+400.
std::string four_hundred_records(int first = 0) {
  std::string text = "zlmvrk 1 p\nsymbol s 1 1 0 t\n";
  for (int k = 1; k <= 400; ++k) text += "record " + std::to_string(first + k) + " : 1\n";
  return text;
}

class VrkreadTest : public bindtest::bindingtest {
 protected:
  VrkreadTest() : bindingtest(vrkdcdef::lib, "libzlmvrk64.so") {}
  // The object of the stand-in in dir.
  void create(const std::string& dir) {
    q5rt::sstr msg;
    ASSERT_TRUE(vrkdcdef::vrkcreated(h, dir, msg)) << msg.view();
  }
  void TearDown() override {
    vrkdcdef::vrkfree(h);
    bindingtest::TearDown();
  }
  void readgenerated();
  void compareopen(const reffile& want);

  // Opens the file with the scratch file's read values; the open's error number.
  std::int32_t open() {
    std::int32_t err = -1;
    (void)vrkdcdef::vrkopenread(h, q5rt::sstr::cut(file), err);
    if (err == 0) {
      specials s = readspecials;
      (void)vrkdcdef::vrksetreadspecialvalues(h, s.data());
    }
    return err;
  }

  // Reads symbol nr through the entries and holds it against the reference.
  void compare(int nr, const refsymbol& s) {
    SCOPED_TRACE("symbol " + std::to_string(nr));
    q5rt::sstr name, text;
    std::int32_t dim = -1, type = -1, count = -1, userinfo = -1;
    (void)vrkdcdef::vrksymbolinfo(h, nr, name, dim, type);
    (void)vrkdcdef::vrksymbolinfox(h, nr, count, userinfo, text);
    EXPECT_EQ(name.view(), s.name);
    EXPECT_EQ(text.view(), s.text);
    EXPECT_EQ(dim, s.dim);
    EXPECT_EQ(type, s.type);
    EXPECT_EQ(userinfo, s.userinfo);
    ASSERT_EQ(count, static_cast<std::int32_t>(s.records.size()));
    ASSERT_NE(vrkdcdef::vrkdatareadrawstart(h, nr, count), 0);
    ASSERT_EQ(count, static_cast<std::int32_t>(s.records.size()));
    for (std::size_t r = 0; r < s.records.size(); ++r) {
      SCOPED_TRACE("record " + std::to_string(r));
      std::array<std::int32_t, 20> keys{};
      std::array<double, 5> values{};
      std::int32_t first = -1;
      ASSERT_NE(vrkdcdef::vrkdatareadraw(h, keys.data(), values.data(), first), 0);
      const refrecord& want = s.records[r];
      EXPECT_TRUE(std::equal(want.keys.begin(), want.keys.end(), keys.begin()));
      for (std::size_t v = 0; v < want.values.size(); ++v) {
        EXPECT_TRUE(std::memcmp(&want.values[v], &values[v], sizeof(double)) == 0 ||
                    (std::isnan(want.values[v]) && std::isnan(values[v])))
            << want.values[v] << " " << values[v];
      }
      std::size_t k = 0;
      if (r > 0) {
        const auto& prev = s.records[r - 1].keys;
        while (k < want.keys.size() && want.keys[k] == prev[k]) ++k;
      }
      EXPECT_EQ(first, r == 0 || want.keys.empty() ? 1 : static_cast<std::int32_t>(k) + 1);
    }
    std::array<std::int32_t, 20> keys{};
    std::array<double, 5> values{};
    std::int32_t first = -1;
    EXPECT_EQ(vrkdcdef::vrkdatareadraw(h, keys.data(), values.data(), first), 0);
    EXPECT_NE(vrkdcdef::vrkdatareaddone(h), 0);
  }

  bindproto::handle h = nullptr;
  std::string file = tmp.file("data.vrk");
};

// The open file's labels and symbols against the reference, then the close.
void VrkreadTest::compareopen(const reffile& want) {
  const std::int32_t errors = vrkdcdef::vrkerrorcount(h);  // the damaged files' so far
  std::int32_t symbols = -1, labels = -1;
  (void)vrkdcdef::vrksysteminfo(h, symbols, labels);
  ASSERT_EQ(symbols, static_cast<std::int32_t>(want.symbols.size()));
  ASSERT_EQ(labels, static_cast<std::int32_t>(want.labels.size()));
  for (std::int32_t k = 1; k <= labels; ++k) {
    q5rt::sstr l;
    (void)vrkdcdef::vrkgetuel(h, k, l);
    EXPECT_EQ(l.view(), want.labels[static_cast<std::size_t>(k - 1)]);
  }
  // The symbols backwards and the first one again: each read starts where its records do.
  for (std::int32_t k = symbols; k >= 1; --k)
    compare(k, want.symbols[static_cast<std::size_t>(k - 1)]);
  if (symbols > 0) compare(1, want.symbols[0]);
  EXPECT_EQ(vrkdcdef::vrkerrorcount(h), errors);
  EXPECT_EQ(vrkdcdef::vrkclose(h), 0);
}

// Generated files, sound and damaged, through the entries and the reference reader.
void VrkreadTest::readgenerated() {
  filemaker maker(20261211);
  int sound = 0;
  int damaged = 0;
  for (int n = 0; n < 1500; ++n) {
    const std::string text = maker.make(n % 100 == 99);
    SCOPED_TRACE("file " + std::to_string(n) + ":\n" + text.substr(0, 2000));
    testutil::write_file(file, text);
    const reffile want = refread(text);
    ASSERT_EQ(open(), want.ok ? 0 : 3);
    if (!want.ok) {
      ++damaged;
      continue;
    }
    ++sound;
    ASSERT_NO_FATAL_FAILURE(compareopen(want));
  }
  // The generator makes both kinds in fair numbers.
  EXPECT_GT(sound, 300);
  EXPECT_GT(damaged, 300);
}

TEST_F(VrkreadTest, EveryFileReadsAsTheReferenceReaderReadsIt) {
  create(bindtest::standinlib());
  readgenerated();
}

// The open file is read, not its name: a file removed after the open reads whole.
TEST_F(VrkreadTest, AFileRemovedWhileOpenReadsWhole) {
  create(bindtest::standinlib());
  testutil::write_file(file, four_hundred_records());
  ASSERT_EQ(open(), 0);
  std::filesystem::remove(file);
  std::int32_t count = 0, key = 0, first = 0;
  double value = 0;
  ASSERT_NE(vrkdcdef::vrkdatareadrawstart(h, 1, count), 0);
  int read = 0;
  while (vrkdcdef::vrkdatareadraw(h, &key, &value, first) != 0) ++read;
  EXPECT_EQ(read, 400);
  EXPECT_EQ(key, 400);
  EXPECT_EQ(vrkdcdef::vrkerrorcount(h), 0);
  (void)vrkdcdef::vrkclose(h);
}

// A read left after a few records and started again delivers the symbol whole; a file
// closed while read closes.
TEST_F(VrkreadTest, AReadLeftEarlyStartsAgainWhole) {
  create(bindtest::standinlib());
  testutil::write_file(file, four_hundred_records());
  ASSERT_EQ(open(), 0);
  std::int32_t count = 0, key = 0, first = 0;
  double value = 0;
  for (const int stop : {0, 3, 400}) {
    ASSERT_NE(vrkdcdef::vrkdatareadrawstart(h, 1, count), 0);
    int read = 0;
    while (read < stop && vrkdcdef::vrkdatareadraw(h, &key, &value, first) != 0) ++read;
    EXPECT_EQ(read, stop);
    if (stop > 0) {
      EXPECT_EQ(key, stop);
    }
    EXPECT_NE(vrkdcdef::vrkdatareaddone(h), 0);
  }
  EXPECT_EQ(vrkdcdef::vrkerrorcount(h), 0);
  ASSERT_NE(vrkdcdef::vrkdatareadrawstart(h, 1, count), 0);  // closed while read
  EXPECT_EQ(vrkdcdef::vrkclose(h), 0);
}

// Records are read from the file when asked for: a file damaged after the open delivers the
// records before the damage, then ends the symbol with "File is not a zlmvrk file or is
// damaged", the damage near the symbol's start or far behind it.
TEST_F(VrkreadTest, AFileDamagedWhileOpenEndsTheSymbolWithAnError) {
  std::string text = four_hundred_records(1000);
  text += "symbol u 1 1 0 t\nrecord 1 : 1\n";
  const struct {
    std::string record;  // the record damaged
    std::string damage;
    int read;  // records delivered before it
  } cases[] = {{"record 1300", "record 1x00", 299}, {"record 1010", "record 1x10", 9}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.record);
    create(bindtest::standinlib());
    testutil::write_file(file, text);
    ASSERT_EQ(open(), 0);
    std::string damaged = text;
    damaged.replace(damaged.find(c.record), c.record.size(), c.damage);
    testutil::write_file(file, damaged);
    std::int32_t count = 0, key = 0, first = 0;
    double value = 0;
    ASSERT_NE(vrkdcdef::vrkdatareadrawstart(h, 1, count), 0);
    EXPECT_EQ(count, 400);
    int read = 0;
    while (vrkdcdef::vrkdatareadraw(h, &key, &value, first) != 0) ++read;
    EXPECT_EQ(read, c.read);
    EXPECT_EQ(vrkdcdef::vrkgetlasterror(h), 3);
    EXPECT_EQ(vrkdcdef::vrkdatareadraw(h, &key, &value, first), 0);
    EXPECT_EQ(vrkdcdef::vrkgetlasterror(h), 0);
    (void)vrkdcdef::vrkclose(h);
    vrkdcdef::vrkfree(h);
    lib_.libraryunload();
  }
}

// Records are read from the file when asked for: a file cut short after the open ends the
// symbol early with "File is not a zlmvrk file or is damaged".
TEST_F(VrkreadTest, AFileChangedWhileOpenEndsTheSymbolWithAnError) {
  create(bindtest::standinlib());
  testutil::write_file(file, "zlmvrk 1 p\nsymbol s 1 1 0 t\nrecord 1 : 1\nrecord 2 : 2\n");
  ASSERT_EQ(open(), 0);
  testutil::write_file(file, "zlmvrk 1 p\nsymbol s 1 1 0 t\nrecord 1 : 1\n");
  std::int32_t count = 0, key = 0, first = 0;
  double value = 0;
  ASSERT_NE(vrkdcdef::vrkdatareadrawstart(h, 1, count), 0);
  EXPECT_EQ(count, 2);
  EXPECT_NE(vrkdcdef::vrkdatareadraw(h, &key, &value, first), 0);
  EXPECT_EQ(vrkdcdef::vrkdatareadraw(h, &key, &value, first), 0);
  EXPECT_EQ(vrkdcdef::vrkerrorcount(h), 1);
  EXPECT_EQ(vrkdcdef::vrkgetlasterror(h), 3);
  EXPECT_EQ(vrkdcdef::vrkdatareadraw(h, &key, &value, first), 0);
  EXPECT_EQ(vrkdcdef::vrkerrorcount(h), 1);
}

}  // namespace
