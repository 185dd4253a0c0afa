// The EMP item reader: items with their indices, lines and values, and every message.
#include "emp/empreader.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "support/testutil.h"

namespace {

// One line per item: name, (indices as stored), line, value.
std::string describe(const empreader::templist& items) {
  std::string out;
  for (std::int32_t n = 1; n <= items.count(); ++n) {
    const auto& it = items.item(n);
    out += it.name;
    if (it.dim > 0) {
      out += "(";
      for (std::int32_t k = 0; k < it.dim; ++k)
        out += (k ? "," : "") + std::string(items.index(it, k));
      out += ")";
    }
    out += "@" + std::to_string(it.line);
    if (it.name == "=") out += "=" + std::to_string(it.value);
    out += " ";
  }
  return out;
}

TEST(Empreader, ItemsOfGoodFiles) {
  struct row {
    const char* text;
    const char* items;
    const char* why;
  };
  const row rows[] = {
      {"", "", "empty file"},
      {"* only\n\n* comments\n", "", "comment lines only"},
      {"   \n  * x", "*@2 x@2 ", "a star after blanks is an item; a blank line gives none"},
      {"x(i,'j k') y", "x(i,'j k')@1 y@1 ", "an index list then a name"},
      {"a, b, c\na b c", "a@1 b@1 c@1 a@2 b@2 c@2 ", "commas separate like blanks"},
      {"a\n, b", "a@1 b@2 ", "a comma opening the next line"},
      {"1.5D3 2d-1", "=@1=1500.000000 =@1=0.200000 ", "D as exponent letter"},
      {"eps Inf +inf", "=@1=5000000000000000", "special values"},
      {"-inf -5", "-@1 =@1=3", "a dash is always an item"},
      {"x ( * , \"q\" )", "x(*,\"q\")@1 ", "blanks around the index list"},
      {"x('open\n,y)", "x('open',y)@1 ", "an open quote takes its line, the list goes on"},
      {"dualVAR =e =x1_b", "dualVAR@1 =e@1 =x1_b@1 ", "names may start with ="},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    empreader::templist items;
    q5rt::sstr msg;
    EXPECT_TRUE(items.readtext(r.text, msg)) << msg.view();
    EXPECT_EQ(msg, "");
    EXPECT_TRUE(describe(items).starts_with(r.items)) << describe(items);
  }
}

TEST(Empreader, MessagesOfBadFiles) {
  struct row {
    const char* text;
    const char* msg;
    std::int32_t itemsleft;
    const char* why;
  };
  const row rows[] = {
      {"a x(", "Bad index, saw \"\"", 1, "a line end after the parenthesis"},
      {"a x()", "Bad index, saw \"\"", 1, "an empty index list"},
      {"x(i,)", "Bad index, saw \"\"", 0, "an index missing after a comma"},
      {"x(i j)", "Closing ) missing", 0, "two indices without a comma"},
      {"a,, b", "Identifier or number expected, saw Ch = \",\" Id = \"\" at line 1", 1,
       "a second comma"},
      {"a\n\nx.y z", "Identifier or number expected, saw Ch = \" \" Id = \"x.y\" at line 3", 1,
       "neither name nor number"},
      {"1e400", "Identifier or number expected, saw Ch = \"\n\" Id = \"1e400\" at line 1", 0,
       "an infinite value"},
      {"(x)", "Identifier or number expected, saw Ch = \"(\" Id = \"\" at line 1", 0,
       "a parenthesis opening an item"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    empreader::templist items;
    q5rt::sstr msg;
    EXPECT_FALSE(items.readtext(r.text, msg));
    EXPECT_EQ(msg.view(), r.msg);
    EXPECT_EQ(items.count(), r.itemsleft);
  }
  empreader::templist items;
  q5rt::sstr msg;
  const std::string longline = "a\n" + std::string(1021, 'b') + "\n";
  EXPECT_FALSE(items.readtext(longline, msg));
  EXPECT_EQ(msg, "Line number 2 is too long: the limit is 1020 characters");
  EXPECT_EQ(items.count(), 1);
}

TEST(Empreader, FilesAndGetitem) {
  testutil::tempdir dir;
  const std::string file = dir.file("m.emp");
  empreader::templist missing;
  q5rt::sstr msg;
  EXPECT_FALSE(missing.readfile(file, msg));
  EXPECT_EQ(msg.view(), "Error code = 2 when opening file: " + file);
  EXPECT_EQ(missing.count(), -1);

  std::string many = "x(";
  for (int k = 1; k <= 21; ++k) many += (k > 1 ? "," : "") + std::string("i") + std::to_string(k);
  testutil::write_file(file, "* head\nx(i,'j k') " + many + ")\n");
  empreader::templist items;
  ASSERT_TRUE(items.readfile(file, msg)) << msg.view();
  ASSERT_EQ(items.count(), 2);
  q5rt::sstr name;
  std::int32_t dim = 0, line = 0;
  double value = -1;
  q5rt::sstr idx[empreader::maxindices];
  ASSERT_TRUE(items.getitem(1, name, dim, line, idx, value));
  EXPECT_EQ(name, "x");
  EXPECT_EQ(dim, 2);
  EXPECT_EQ(line, 2);
  EXPECT_EQ(idx[1], "j k");
  ASSERT_TRUE(items.getitemx(1, name, dim, line, idx, value));
  EXPECT_EQ(idx[1], "'j k'");
  // 21 indices: the true dimension, the copy bounded by the room.
  idx[19] = q5rt::sstr::cut("untouched?");
  ASSERT_TRUE(items.getitem(2, name, dim, line, idx, value));
  EXPECT_EQ(dim, 21);
  EXPECT_EQ(idx[19], "i20");
  EXPECT_FALSE(items.getitem(3, name, dim, line, idx, value));
  EXPECT_FALSE(items.getitem(0, name, dim, line, idx, value));
}

// Index texts are stored packed behind their item's name: each comes back as written, for
// items of 0 to 40 indices, identifiers and quoted texts of 1 to 255 characters, "*", and
// enough items that the store spans many blocks. A failing last item leaves the others.
TEST(Empreader, IndexTextsComeBackAsWritten) {
  std::uint32_t seed = 12345;
  const auto random = [&seed](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<std::int32_t>((seed >> 8) % n);
  };
  const auto randomtext = [&random](std::int32_t size, std::string_view chars) {
    std::string t;
    for (std::int32_t k = 0; k < size; ++k)
      t += chars[static_cast<std::size_t>(random(static_cast<std::uint32_t>(chars.size())))];
    return t;
  };
  std::string file;
  std::size_t linesize = 0;
  std::vector<std::vector<std::string>> written;  // per item: its name, then its indices
  for (int n = 0; n < 4000; ++n) {
    std::vector<std::string> item = {"n" + randomtext(random(20), "abc_9")};
    std::string text = item[0];
    const std::int32_t dim = random(8) == 0 ? random(41) : random(4);
    for (std::int32_t k = 0; k < dim; ++k) {
      const bool long_ = random(50) == 0;
      const std::int32_t size = long_ ? 253 : 1 + random(12);
      std::string index;
      switch (random(3)) {
        case 0:  // an identifier
          index = "i" + randomtext(size + (long_ ? 1 : 0), "xyZ0_/");
          break;
        case 1:  // a quoted text, blanks and commas inside
          index = "'" + randomtext(size - 1, "a ,()") + "b'";
          break;
        default:
          index = "*";
      }
      if (text.size() + index.size() + 2 > 1000) break;
      item.push_back(index);
      text += (k == 0 ? "(" : ",") + index;
    }
    if (item.size() > 1) text += ")";
    // Some items share a line, within the limit of 1020 characters.
    if (linesize > 0 && (linesize + text.size() >= 1000 || random(2) == 0)) {
      file += "\n";
      linesize = 0;
    } else if (linesize > 0) {
      file += " ";
      ++linesize;
    }
    file += text;
    linesize += text.size();
    written.push_back(item);
  }
  file += "\nlast(i,)\n";
  empreader::templist items;
  q5rt::sstr msg;
  EXPECT_FALSE(items.readtext(file, msg));
  EXPECT_EQ(msg, "Bad index, saw \"\"");
  ASSERT_EQ(items.count(), static_cast<std::int32_t>(written.size()));
  for (std::int32_t n = 1; n <= items.count(); ++n) {
    const std::vector<std::string>& item = written[static_cast<std::size_t>(n - 1)];
    const empreader::tempitem& it = items.item(n);
    ASSERT_EQ(it.name, item[0]) << "item " << n;
    ASSERT_EQ(it.dim, static_cast<std::int32_t>(item.size()) - 1) << "item " << n;
    for (std::int32_t k = 0; k < it.dim; ++k)
      ASSERT_EQ(items.index(it, k), item[static_cast<std::size_t>(k + 1)]) << "item " << n;
  }
}

// The list keeps an item's value behind its name: every value comes back bit for bit, with
// its name and line, beside items with many index texts.
TEST(Empreader, ValuesAndManyIndicesKeptWithTheirItems) {
  const double values[] = {0.0, -0.0, 1.5, -2e-300, 5e300, 3e300};
  empreader::templist items;
  for (std::size_t k = 0; k < std::size(values); ++k) {
    empreader::tempitem it(k % 2 == 0 ? "=" : "name", static_cast<std::int32_t>(k) + 7);
    it.value = values[k];
    items.additem(it);
  }
  std::string line = "wide(";
  for (int k = 0; k < 300; ++k) line += (k ? "," : "") + std::string("a");
  q5rt::sstr msg;
  EXPECT_TRUE(items.readtext(line + ") 2.5 EPS\n", msg)) << msg.view();
  ASSERT_EQ(items.count(), static_cast<std::int32_t>(std::size(values)) + 3);
  for (std::size_t k = 0; k < std::size(values); ++k) {
    const empreader::tempitem it = items.item(static_cast<std::int32_t>(k) + 1);
    EXPECT_EQ(it.name, k % 2 == 0 ? "=" : "name");
    EXPECT_EQ(it.line, static_cast<std::int32_t>(k) + 7);
    EXPECT_EQ(it.dim, 0);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(it.value), std::bit_cast<std::uint64_t>(values[k]));
  }
  const std::int32_t wide = static_cast<std::int32_t>(std::size(values)) + 1;
  EXPECT_EQ(items.item(wide).name, "wide");
  EXPECT_EQ(items.item(wide).dim, 300);
  EXPECT_EQ(items.index(items.item(wide), 299), "a");
  EXPECT_EQ(items.item(wide).value, 0.0);
  EXPECT_EQ(items.item(wide + 1).value, 2.5);
  EXPECT_EQ(items.item(wide + 2).name, "=");
  EXPECT_EQ(items.item(wide + 2).value, 5e300);
}

}  // namespace
