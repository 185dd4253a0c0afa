// The EMP item reader: items with their indices, lines and values, and every message.
#include "emp/empreader.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(empreader, items_of_good_files) {
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

TEST(empreader, messages_of_bad_files) {
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

TEST(empreader, files_and_getitem) {
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

}  // namespace
