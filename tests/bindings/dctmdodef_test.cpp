// The dictionary reader on the stand-in library: constructors and their messages, borrowed
// handles, and the queries the BARON translation makes of a loaded dictionary, the row and
// column search with its filters among them.
#include "bindings/dctmdodef.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bindings/vrkdcdef.h"
#include "support/bindtest.h"

namespace {

class DctmdodefTest : public ::testing::Test {
 protected:
  void SetUp() override { dctmdodef::dctlibraryunload(); }
  void TearDown() override { dctmdodef::dctlibraryunload(); }
  testutil::tempdir tmp;
  std::string dictfile = bindtest::fixture("dctmdcdef/transport.dct");
};

// A reader on the stand-in with the transport dictionary loaded.
class loaded_reader {
 public:
  explicit loaded_reader(const std::string& file)
      : reader_(bindproto::created, bindtest::standinlib(), msg_) {
    EXPECT_EQ(msg_.view(), "");
    EXPECT_EQ(reader_.dctloadex(q5rt::sstr::cut(file), msg_), 0) << msg_.view();
  }
  dctmdodef::tdctreader& operator*() { return reader_; }
  dctmdodef::tdctreader* operator->() { return &reader_; }

 private:
  q5rt::sstr msg_;
  dctmdodef::tdctreader reader_;
};

// The rows or columns a search hands out, in order.
std::vector<int> searchall(dctmdodef::tdctreader& r, int sym, const std::int32_t* filter) {
  std::vector<int> found;
  std::int32_t k = -1;
  void* s = r.dctfindfirstrowcol(sym, filter, k);
  EXPECT_NE(s, nullptr);
  while (k >= 0 && found.size() < 100) {
    found.push_back(k);
    (void)r.dctfindnextrowcol(s, k);
  }
  r.dctfindclose(s);
  return found;
}

TEST_F(DctmdodefTest, FailedConstructorsLeaveAMessageAndNoHandle) {
  const std::string nowhere = tmp.path().string();
  q5rt::sstr msg;
  {
    dctmdodef::tdctreader r(bindproto::created, nowhere, msg);
    EXPECT_EQ(r.dctgethandle(), nullptr);
    EXPECT_TRUE(msg.view().ends_with(" (problem occurred when trying to load " + nowhere +
                                     "/libzlmdct64.so)"))
        << msg.view();
  }  // destroying it frees nothing
  EXPECT_FALSE(dctmdodef::dctlibraryloaded());
  {
    bindtest::scopedenv e("ZLMDCT_FAIL_CREATE", "1");
    dctmdodef::tdctreader r(bindproto::createl, bindtest::standinlib() + "/libzlmdct64.so", msg);
    EXPECT_EQ(r.dctgethandle(), nullptr);
    EXPECT_EQ(msg.view(), "Library is loaded but error while creating object");
  }
  EXPECT_EQ(dctmdcdef::lib.objectcount(), 0);
}

TEST_F(DctmdodefTest, ABorrowedHandleOutlivesItsReader) {
  q5rt::sstr msg;
  bindproto::handle h = nullptr;
  ASSERT_TRUE(dctmdcdef::dctcreated(h, bindtest::standinlib(), msg)) << msg.view();
  {
    dctmdodef::tdctreader r(bindproto::withhandle, h, msg);
    EXPECT_EQ(msg.view(), "");
    EXPECT_EQ(r.dctgethandle(), h);
    EXPECT_EQ(r.dctloadex(q5rt::sstr::cut(dictfile), msg), 0) << msg.view();
  }
  EXPECT_EQ(dctmdcdef::lib.objectcount(), 1);
  EXPECT_EQ(dctmdcdef::dctnrows(h), 6);  // still alive, still loaded
  dctmdcdef::dctfree(h);
}

TEST_F(DctmdodefTest, LabelsAndSymbols) {
  loaded_reader r(dictfile);
  EXPECT_EQ(r->dctnuels(), 5);
  EXPECT_EQ(r->dctuelindex(q5rt::sstr::cut("NEW YORK")), 3);  // case does not matter
  EXPECT_EQ(r->dctuelindex(q5rt::sstr::cut("boston")), 0);
  struct row {
    int nr;
    char quote;
    const char* label;
    const char* why;
  };
  constexpr row labels[] = {
      {1, ' ', "seattle", "a plain label: blank quote"},
      {2, '"', "san-diego", "double quotes kept"},
      {3, '\'', "new york", "single quotes kept"},
  };
  for (const row& l : labels) {
    SCOPED_TRACE(l.why);
    char quote = 'x';
    q5rt::sstr text;
    EXPECT_EQ(r->dctuellabel(l.nr, &quote, text), 0);
    EXPECT_EQ(quote, l.quote);
    EXPECT_EQ(text.view(), l.label);
  }
  const int demand = r->dctsymindex(q5rt::sstr::cut("demand"));
  EXPECT_EQ(demand, 3);
  EXPECT_EQ(r->dctsymindex(q5rt::sstr::cut("nosuch")), 0);
  EXPECT_EQ(r->dctsymtype(demand), 6);
  EXPECT_EQ(r->dctsymtype(r->dctsymindex(q5rt::sstr::cut("x"))), 5);
  EXPECT_EQ(r->dctsymdim(demand), 1);
  q5rt::sstr text;
  EXPECT_EQ(r->dctsymname(demand, text), 0);
  EXPECT_EQ(text.view(), "demand");
  char quote = ' ';
  EXPECT_EQ(r->dctsymtext(demand, &quote, text), 0);
  EXPECT_EQ(quote, '\'');
  EXPECT_EQ(text.view(), "satisfy \"demand\" at market j");
  EXPECT_EQ(r->ddctnrows(), 6);
  EXPECT_EQ(r->ddctncols(), 7);
  EXPECT_EQ(r->ddctlrgdim(), 2);
}

TEST_F(DctmdodefTest, RowsAndColumnsKnowTheirSymbolAndLabels) {
  loaded_reader r(dictfile);
  struct row {
    bool isrow;
    int nr;
    int result;
    int sym;
    std::vector<int> uels;
    const char* why;
  };
  const row rows[] = {
      {true, 0, 0, 1, {}, "a scalar row: dimension 0"},
      {true, 4, 0, 3, {4}, "demand(chicago)"},
      {false, 3, 0, 4, {2, 3}, "x(san-diego, new york)"},
      {false, 6, 0, 5, {}, "the scalar column z"},
      {false, 7, 1, 0, {}, "past the last column"},
      {true, -1, 1, 0, {}, "a negative row"},
  };
  for (const row& t : rows) {
    SCOPED_TRACE(t.why);
    std::int32_t sym = -9, dim = -9;
    std::int32_t uels[20] = {};
    const int result =
        t.isrow ? r->dctrowuels(t.nr, sym, uels, dim) : r->dctcoluels(t.nr, sym, uels, dim);
    EXPECT_EQ(result, t.result);
    if (result != 0) continue;
    EXPECT_EQ(sym, t.sym);
    EXPECT_EQ(std::vector<int>(uels, uels + dim), t.uels);
  }
  const std::int32_t key[2] = {1, 5};
  EXPECT_EQ(r->dctcolindex(4, key), 2);
  EXPECT_EQ(r->dctrowindex(4, key), -1);  // x has columns, not rows
  EXPECT_EQ(r->dctsymentries(4), 6);
}

TEST_F(DctmdodefTest, SearchWithFilters) {
  loaded_reader r(dictfile);
  struct row {
    int sym;
    std::vector<std::int32_t> filter;
    std::vector<int> found;
    const char* why;
  };
  const row rows[] = {
      {4, {0, 0}, {0, 1, 2, 3, 4, 5}, "no filter: every column of x in order"},
      {4, {2, 0}, {3, 4, 5}, "first position fixed"},
      {4, {0, 4}, {1, 4}, "second position fixed"},
      {4, {1, 4}, {1}, "both fixed: one column"},
      {4, {2, 2}, {}, "a combination the model lacks: negative at once"},
      {3, {0}, {3, 4, 5}, "an equation's rows"},
      {1, {}, {0}, "a scalar equation"},
      {6, {0}, {}, "a symbol with no rows or columns"},
      {99, {0}, {}, "an unknown symbol"},
  };
  for (const row& t : rows) {
    SCOPED_TRACE(t.why);
    EXPECT_EQ(searchall(*r, t.sym, t.filter.data()), t.found);
  }
  // Two searches at once do not disturb each other.
  const std::int32_t any[2] = {0, 0};
  std::int32_t a = -1, b = -1;
  void* s1 = r->dctfindfirstrowcol(4, any, a);
  void* s2 = r->dctfindfirstrowcol(3, any, b);
  (void)r->dctfindnextrowcol(s1, a);
  EXPECT_EQ(a, 1);
  (void)r->dctfindnextrowcol(s2, b);
  EXPECT_EQ(b, 4);
  r->dctfindclose(s1);
  r->dctfindclose(s2);
}

TEST_F(DctmdodefTest, BadDictionaryFilesAreRefusedWithTheirLine) {
  struct row {
    const char* text;
    const char* message;
    const char* why;
  };
  constexpr row rows[] = {
      {"label a\nrow e a\n", "line 2: unknown symbol \"e\"", "a row of an undeclared symbol"},
      {"label a\nsymbol e 6 1\nrow e b\n", "line 3: unknown label \"b\"", "an undeclared label"},
      {"label a\nsymbol e 6 2\nrow e a\n", "line 3: symbol \"e\" takes 2 labels", "too few labels"},
      {"symbol x 5 0\nrow x\n", "line 2: symbol \"x\" is not an equation (type 6)",
       "a row of a variable"},
      {"symbol x 5 21\n", "line 1: bad dimension \"21\" (0 to 20)", "dimension above 20"},
      {"label 'a\n", "line 1: unclosed quote", "an unclosed quote"},
      {"label a\nlabel A\n", "line 2: label \"A\" declared twice", "labels ignore case"},
      {"colum x\n", "line 1: unknown keyword \"colum\"", "a misspelt keyword"},
  };
  loaded_reader r(dictfile);
  for (const row& t : rows) {
    SCOPED_TRACE(t.why);
    const std::string file = tmp.file("bad.dct");
    testutil::write_file(file, t.text);
    q5rt::sstr msg;
    EXPECT_NE(r->dctloadex(q5rt::sstr::cut(file), msg), 0);
    EXPECT_EQ(msg.view(), file + " " + t.message);
    EXPECT_EQ(r->dctnuels(), 5);  // the dictionary loaded before stays
  }
  q5rt::sstr msg;
  const std::string missing = tmp.file("missing.dct");
  EXPECT_NE(r->dctloadex(q5rt::sstr::cut(missing), msg), 0);
  EXPECT_EQ(msg.view(),
            "Cannot open dictionary file \"" + missing + "\": No such file or directory");
}

// Entries called with a nil handle (a reader whose construction failed) answer failure.
TEST_F(DctmdodefTest, ANilHandleGetsFailureValues) {
  q5rt::sstr msg;
  ASSERT_TRUE(dctmdodef::dctgetreadyd(bindtest::standinlib(), msg)) << msg.view();
  bindproto::handle none = nullptr;
  EXPECT_NE(dctmdcdef::dctloadex(none, q5rt::sstr::cut(dictfile), msg), 0);
  EXPECT_EQ(msg.view(), "no dictionary object");
  EXPECT_EQ(dctmdcdef::dctnuels(none), -1);
  std::int32_t k = 7;
  const std::int32_t any[1] = {0};
  EXPECT_EQ(dctmdcdef::dctfindfirstrowcol(none, 1, any, k), nullptr);
  EXPECT_EQ(k, -1);
  dctmdcdef::dctfindclose(none, nullptr);
}

// The first reader loads the library by its default file name through the system search.
TEST(Dctmdodefchild, CreatesAReaderBySearch) {
  if (!bindtest::inchild("dctsearch")) GTEST_SKIP() << "child case";
  q5rt::sstr msg;
  dctmdodef::tdctreader r(msg);
  EXPECT_EQ(msg.view(), "");
  EXPECT_NE(r.dctgethandle(), nullptr);
  EXPECT_EQ(dctmdcdef::lib.libfilename(), "libzlmdct64.so");
}

TEST_F(DctmdodefTest, TheFirstReaderLoadsTheLibraryBySearch) {
  const auto res = bindtest::runchild("dctsearch", "Dctmdodefchild.CreatesAReaderBySearch",
                                      {{"LD_LIBRARY_PATH", bindtest::standinlib()}});
  EXPECT_EQ(res.exit_code, 0) << res.out;
  EXPECT_NE(res.out.find("[  PASSED  ] 1 test"), std::string::npos) << res.out;
}

// The scratch data-exchange file's use: the dictionary written into a file that a
// data-exchange object has open.
TEST_F(DctmdodefTest, TheDictionaryGoesIntoAnOpenDataExchangeFile) {
  loaded_reader r(dictfile);
  q5rt::sstr msg;
  bindproto::handle vrk = nullptr;
  ASSERT_TRUE(vrkdcdef::vrkcreated(vrk, bindtest::standinlib(), msg)) << msg.view();
  const std::string file = tmp.file("scratch.vrk");
  std::int32_t err = -1;
  (void)vrkdcdef::vrkopenwrite(vrk, q5rt::sstr::cut(file), q5rt::sstr::cut("ScratchVrk"), err);
  ASSERT_EQ(err, 0);
  r->dctwritevrkwithhandle(vrk, msg);
  EXPECT_EQ(msg.view(), "");
  EXPECT_EQ(vrkdcdef::vrkclose(vrk), 0);
  vrkdcdef::vrkfree(vrk);
  EXPECT_EQ(testutil::read_file(file),
            "zlmvrk 1 \"ScratchVrk\"\n"
            "label \"seattle\"\nlabel \"san-diego\"\nlabel \"new york\"\nlabel \"chicago\"\n"
            "label \"topeka\"\n"
            "symbol \"dct:cost\" 0 0 6 \"define objective function\"\nrecord : 0\n"
            "symbol \"dct:supply\" 1 0 6 \"observe supply limit at plant i\"\n"
            "record 1 : 0\nrecord 2 : 0\n"
            "symbol \"dct:demand\" 1 0 6 'satisfy \"demand\" at market j'\n"
            "record 3 : 0\nrecord 4 : 0\nrecord 5 : 0\n"
            "symbol \"dct:x\" 2 0 5 \"shipment quantities in cases\"\n"
            "record 1 3 : 0\nrecord 1 4 : 0\nrecord 1 5 : 0\n"
            "record 2 3 : 0\nrecord 2 4 : 0\nrecord 2 5 : 0\n"
            "symbol \"dct:z\" 0 0 5 \"\"\nrecord : 0\n"
            "symbol \"dct:a\" 1 0 1 \"capacity of plant i in cases\"\n");
  r->dctwritevrkwithhandle(nullptr, msg);
  EXPECT_EQ(msg.view(), "no data-exchange object");
}

}  // namespace
