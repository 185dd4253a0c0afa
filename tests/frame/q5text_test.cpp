#include "frame/q5text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "support/testutil.h"

namespace {

// A text file opened for reading on the given bytes.
struct reader {
  testutil::tempdir dir;
  q5rt::textfile f;
  explicit reader(const std::string& bytes) {
    const auto path = dir.file("in.txt");
    testutil::write_file(path, bytes);
    f.assign(path);
    f.reset();
    EXPECT_EQ(f.ioresult(), 0);
  }
};

TEST(TextFile, WritesBytesAsGiven) {
  testutil::tempdir dir;
  const auto path = dir.file("out.txt");
  q5rt::textfile f;
  f.assign(path);
  f.rewrite();
  ASSERT_EQ(f.ioresult(), 0);
  f.write("a\tb");
  f.write(' ');
  f.write_integer(-12);
  f.write_integer(7, 4);
  f.write_integer(12345, 3);  // wider than the field: written whole
  f.writeln();
  f.writeln("line\r");  // a carriage return is data, not a line end to translate
  f.write_integer(-2147483648LL);
  f.close();
  EXPECT_EQ(f.ioresult(), 0);
  EXPECT_FALSE(f.is_open());
  EXPECT_EQ(testutil::read_file(path), "a\tb -12   712345\nline\r\n-2147483648");

  f.append();  // the name is kept; append writes at the end
  f.writeln("+");
  f.close();
  EXPECT_EQ(f.ioresult(), 0);
  EXPECT_EQ(testutil::read_file(path), "a\tb -12   712345\nline\r\n-2147483648+\n");
}

TEST(TextFile, ReadsNumbersAcrossLineEnds) {
  const std::string long_ok = "1" + std::string(254, '0');   // 255 characters: 1e254
  const std::string long_bad = "1" + std::string(299, '0');  // 300 characters
  struct row {
    std::string content;
    const char* kinds;           // one read per letter: i integer, r real
    std::vector<double> values;  // of the reads that succeed
    int final_error;             // of the last read when not 0
    const char* why;
  };
  const row rows[] = {
      {"1 2\n3\n",
       "iiii",
       {1, 2, 3},
       q5rt::iocode::eof_read,
       "line ends are skipped; then end of file"},
      {"  \n\n\t 7", "ii", {7}, q5rt::iocode::eof_read, "blank lines before a token at the end"},
      {"1\r\n2\r\n", "iii", {1, 2}, q5rt::iocode::eof_read, "carriage-return line ends"},
      {"", "r", {}, q5rt::iocode::eof_read, "empty file: a number is missing, not zero"},
      {"\n \n", "i", {}, q5rt::iocode::eof_read, "white space only"},
      {"1.5 -2.5E-3\n.5", "rrrr", {1.5, -0.0025, 0.5}, q5rt::iocode::eof_read, "reals"},
      {"1,5", "r", {}, q5rt::iocode::bad_number, "comma is no decimal point"},
      {"12a", "i", {}, q5rt::iocode::bad_number, "trailing letter"},
      {"1.5", "i", {}, q5rt::iocode::bad_number, "a real is no integer"},
      {"$1F 0x10 -7", "iii", {31, 16, -7}, 0, "integers by the Val rules: hexadecimal"},
      {"2147483648",
       "i",
       {},
       q5rt::iocode::bad_number,
       "outside 32 bits: an error, not a wrapped value"},
      {"1e5", "i", {}, q5rt::iocode::bad_number, "an exponent is no integer"},
      {"1D5", "r", {}, q5rt::iocode::bad_number, "no D exponent in the real reader"},
      {"1E999 .", "rr", {HUGE_VAL, 0}, 0, "beyond the double range: infinity; a lone point: 0"},
      {long_ok, "r", {1e254}, 0, "a token of 255 characters"},
      {long_bad + " 5",
       "r",
       {},
       q5rt::iocode::bad_number,
       "a longer token is an error, not two numbers"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    reader in(r.content);
    const std::string kinds = r.kinds;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
      const double v = kinds[i] == 'i' ? in.f.read_integer() : in.f.read_real();
      const bool last = i + 1 == kinds.size();
      EXPECT_EQ(v, i < r.values.size() ? r.values[i] : 0.0) << "read " << i;
      EXPECT_EQ(in.f.ioresult(), last ? r.final_error : 0) << "read " << i;
    }
  }
}

TEST(TextFile, WritesRealsInTheRuntimeTexts) {
  testutil::tempdir dir;
  const auto path = dir.file("r.txt");
  q5rt::textfile f;
  f.assign(path);
  f.rewrite();
  q5rt::Q5write_r(f, 1.5);
  q5rt::Q5write_r(f, -0.0025);  // no separator of its own
  f.writeln();
  q5rt::Q5write_r(f, 0.1);
  f.write(' ');
  q5rt::Q5write_r(f, -123456.789);
  f.writeln();
  q5rt::Q5write_rx(f, 2.0, 10);
  q5rt::Q5write_ry(f, 2.25, 6, 1);
  f.close();
  EXPECT_EQ(testutil::read_file(path),
            " 1.50000000000000E+0000-2.50000000000000E-0003\n"
            " 1.00000000000000E-0001 -1.23456789000000E+0005\n"
            " 2.0E+0000   2.2");
  // The default real text reads back (15 significant digits).
  f.reset();
  f.readln();
  EXPECT_EQ(f.read_real(), 0.1);
  EXPECT_EQ(f.read_real(), -123456.789);
}

TEST(TextFile, LongTokenIsConsumedWhole) {
  reader in(std::string(300, '7') + " 5\n");
  EXPECT_EQ(in.f.read_integer(), 0);
  EXPECT_EQ(in.f.ioresult(), q5rt::iocode::bad_number);
  EXPECT_EQ(in.f.read_integer(), 5);  // the next read starts after the whole token
  EXPECT_EQ(in.f.ioresult(), 0);
}

TEST(TextFile, ReadsLines) {
  const std::string long_line = std::string(255, 'a') + "bcd";
  reader in("one\r\n" + long_line + "\nx\ry\n\n7 , rest of line\nlast");
  EXPECT_EQ(in.f.readln_string(), "one");
  EXPECT_EQ(in.f.readln_string().view(), std::string(255, 'a'));  // cut, rest skipped
  EXPECT_EQ(in.f.read_string(), "x\ry");                          // a lone carriage return is data
  EXPECT_TRUE(in.f.eoln());
  EXPECT_EQ(in.f.read_string(), "");  // the line end stays unread
  in.f.readln();
  EXPECT_TRUE(in.f.eoln());
  EXPECT_EQ(in.f.readln_string(), "");
  // A flagged-name line: a number, one separator character, the rest of the line.
  EXPECT_EQ(in.f.read_integer(), 7);
  EXPECT_EQ(in.f.read_char(), ' ');
  EXPECT_EQ(in.f.readln_string(), ", rest of line");
  EXPECT_FALSE(in.f.eof());
  EXPECT_EQ(in.f.readln_string(), "last");  // the last line may lack its line end
  EXPECT_TRUE(in.f.eof());
  EXPECT_TRUE(in.f.eoln());
  in.f.readln();  // at the end: nothing, no error
  EXPECT_EQ(in.f.readln_string(), "");
  EXPECT_EQ(in.f.ioresult(), 0);
  EXPECT_EQ(in.f.read_char(), '\0');
  EXPECT_EQ(in.f.ioresult(), q5rt::iocode::eof_read);
}

TEST(TextFile, ReadCharGivesLineEnds) {
  reader in("a\r\nb\n");
  const char expected[] = {'a', '\n', 'b', '\n'};
  for (char c : expected) EXPECT_EQ(in.f.read_char(), c);
  EXPECT_TRUE(in.f.eof());
  EXPECT_EQ(in.f.ioresult(), 0);
}

TEST(TextFile, PendingErrorBlocksUntilFetched) {
  reader in("x 1 2\n");
  EXPECT_EQ(in.f.read_integer(), 0);
  EXPECT_EQ(in.f.pending(), q5rt::iocode::bad_number);
  EXPECT_EQ(in.f.read_integer(), 0);  // nothing is read while a result is pending
  EXPECT_EQ(in.f.readln_string(), "");
  EXPECT_EQ(in.f.ioresult(), q5rt::iocode::bad_number);
  EXPECT_EQ(in.f.ioresult(), 0);  // read and cleared
  EXPECT_EQ(in.f.read_integer(), 1);
}

TEST(TextFile, CheckingRaisesIoError) {
  reader in("1,5 2 x");
  in.f.set_iocheck(true);
  try {
    (void)in.f.read_real();
    FAIL() << "no exception";
  } catch (const q5rt::io_error& e) {
    EXPECT_EQ(e.code(), q5rt::iocode::bad_number);
    EXPECT_EQ(e.message(), "Invalid numeric format");
  }
  EXPECT_EQ(in.f.pending(), 0);  // raised, not kept
  EXPECT_EQ(in.f.read_real(), 2);

  // With checking off, check() after a call raises a pending error once.
  in.f.set_iocheck(false);
  (void)in.f.read_real();
  EXPECT_THROW(in.f.check(), q5rt::io_error);
  EXPECT_NO_THROW(in.f.check());
  (void)in.f.read_real();  // end of the file
  try {
    in.f.check();
    FAIL() << "no exception";
  } catch (const q5rt::io_error& e) {
    EXPECT_EQ(e.code(), q5rt::iocode::eof_read);
    EXPECT_EQ(e.message(), "Read past end of file");
  }
}

TEST(TextFile, OpenAndModeErrors) {
  testutil::tempdir dir;
  struct row {
    std::string name;
    char op;  // r reset, w rewrite, a append
    int expected;
    const char* why;
  };
  const row rows[] = {
      {dir.file("missing"), 'r', ENOENT, "reading a missing file"},
      {dir.file("missing"), 'a', ENOENT, "appending needs an existing file"},
      {dir.file("no/such/dir"), 'w', ENOENT, "missing folder"},
      {dir.path().string(), 'r', EISDIR, "a folder is no text file"},
      {std::string("a\0b", 3), 'w', ENOENT, "a name with a zero byte"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::textfile f;
    f.assign(r.name);
    if (r.op == 'r') f.reset();
    if (r.op == 'w') f.rewrite();
    if (r.op == 'a') f.append();
    EXPECT_EQ(f.ioresult(), r.expected);
    EXPECT_FALSE(f.is_open());
  }

  // Operations in the wrong mode give 5; the file stays usable.
  q5rt::textfile f;
  f.assign(dir.file("x.txt"));
  f.writeln("closed");
  EXPECT_EQ(f.ioresult(), q5rt::iocode::access);
  f.rewrite();
  EXPECT_EQ(f.read_integer(), 0);
  EXPECT_EQ(f.ioresult(), q5rt::iocode::access);
  EXPECT_TRUE(f.eof());
  EXPECT_EQ(f.ioresult(), q5rt::iocode::access);
  f.writeln("ok");
  f.close();
  f.close();  // closing a closed file does nothing
  EXPECT_EQ(f.ioresult(), 0);
  EXPECT_EQ(testutil::read_file(dir.file("x.txt")), "ok\n");
}

TEST(TextFile, CloseReportsFailedFlush) {
  q5rt::textfile f;
  f.assign("/dev/full");
  f.rewrite();
  ASSERT_EQ(f.ioresult(), 0);
  f.writeln("lost");
  EXPECT_EQ(f.ioresult(), 0);  // still in the buffer
  f.close();
  EXPECT_EQ(f.ioresult(), ENOSPC);
  EXPECT_FALSE(f.is_open());

  f.rewrite();
  f.set_iocheck(true);
  f.writeln("lost");
  EXPECT_THROW(f.close(), q5rt::io_error);
}

TEST(TextFile, DestructorFlushes) {
  testutil::tempdir dir;
  {
    q5rt::textfile f;
    f.assign(dir.file("d.txt"));
    f.rewrite();
    f.write("kept");
  }
  EXPECT_EQ(testutil::read_file(dir.file("d.txt")), "kept");
}

TEST(TextFile, LargeFilesCrossBufferBoundaries) {
  testutil::tempdir dir;
  const auto path = dir.file("big.txt");
  constexpr int count = 60000;  // about 6 buffers of text
  {
    q5rt::textfile f;
    f.assign(path);
    f.rewrite();
    for (int i = 0; i < count; ++i) {
      f.write_integer(i * 37);
      f.write(i % 3 == 0 ? "\r\n" : " ");
      f.writeln(i % 5 == 0 ? "1.25" : "-3");
    }
    f.close();
    ASSERT_EQ(f.ioresult(), 0);
  }
  q5rt::textfile f;
  f.assign(path);
  f.reset();
  for (int i = 0; i < count; ++i) {
    ASSERT_EQ(f.read_integer(), i * 37) << i;
    ASSERT_EQ(f.read_real(), i % 5 == 0 ? 1.25 : -3.0) << i;
    f.readln();
  }
  EXPECT_TRUE(f.eof());
  EXPECT_EQ(f.ioresult(), 0);

  // Lines whose "\r\n" straddles the buffer's end are still one line end.
  const std::string first(65535, 'x');
  testutil::write_file(path, first + "\r\nsecond\n");
  f.reset();
  EXPECT_EQ(f.readln_string().view(), std::string(255, 'x'));
  EXPECT_EQ(f.readln_string(), "second");
  f.reset();
  for (std::size_t i = 0; i < first.size(); ++i) ASSERT_EQ(f.read_char(), 'x');
  EXPECT_TRUE(f.eoln());
  EXPECT_EQ(f.read_char(), '\n');
  EXPECT_EQ(f.read_char(), 's');
}

TEST(TextFile, OutputGoesToStandardOutput) {
  testing::internal::CaptureStdout();
  q5rt::output().write("*** ");
  q5rt::output().write_integer(42);
  q5rt::output().writeln();
  q5rt::output().flush();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "*** 42\n");
  EXPECT_TRUE(q5rt::output().iocheck());
}

TEST(UntypedFile, WholeRecords) {
  testutil::tempdir dir;
  const auto path = dir.file("rec.bin");
  std::vector<char> records(3 * 8);
  for (std::size_t i = 0; i < records.size(); ++i) records[i] = static_cast<char>(i);
  q5rt::untypedfile f;
  f.assign(path);
  f.rewrite(8);
  ASSERT_EQ(f.ioresult(), 0);
  std::int32_t done = -1;
  f.blockwrite(records.data(), 3, done);
  EXPECT_EQ(done, 3);
  f.close();
  EXPECT_EQ(f.ioresult(), 0);
  testutil::write_file(path, testutil::read_file(path) + "abc");  // a partial record

  f.reset(8);
  ASSERT_EQ(f.ioresult(), 0);
  std::vector<char> back(4 * 8, 'z');
  f.blockread(back.data(), 2, done);
  EXPECT_EQ(done, 2);
  EXPECT_FALSE(f.eof());
  f.blockread(back.data() + 16, 2, done);
  EXPECT_EQ(done, 1);  // the partial record does not count
  EXPECT_TRUE(f.eof());
  EXPECT_EQ(f.ioresult(), 0);
  EXPECT_EQ(std::memcmp(back.data(), records.data(), records.size()), 0);
  f.blockwrite(records.data(), 1, done);  // opened for reading
  EXPECT_NE(f.ioresult(), 0);
  f.close();

  f.blockread(back.data(), 1, done);
  EXPECT_EQ(done, 0);
  EXPECT_EQ(f.ioresult(), q5rt::iocode::access);
  f.assign(dir.file("missing"));
  f.reset(8);
  EXPECT_EQ(f.ioresult(), ENOENT);
}

}  // namespace
