// Text files: signed, compressed and plain round trips, gzip input written by zlib itself,
// byte-order marks, damaged headers and gzip data, lines, the wrong-mode guards and the
// standard input and output routines.
#include "frame/zlmstrm_textfiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>

#include "bindings/xcompress.h"
#include "frame/q5library.h"
#include "streamtest.h"
#include "support/testutil.h"

namespace {

using zlmstrm::tbinarytextfileio;

// The system's zlib, loaded directly, writes the gzip fixtures.
void writegzip(const std::string& path, const std::string& data) {
  q5rt::sstr msg;
  static q5library::libhandle z = q5library::q5loadlibrary("libz.so.1", msg);
  ASSERT_NE(z, nullptr) << msg.view();
  using open_fn = void* (*)(const char*, const char*);
  using write_fn = int (*)(void*, const void*, unsigned);
  using close_fn = int (*)(void*);
  const auto gzopen = reinterpret_cast<open_fn>(q5library::q5getprocaddress(z, "gzopen"));
  const auto gzwrite = reinterpret_cast<write_fn>(q5library::q5getprocaddress(z, "gzwrite"));
  const auto gzclose = reinterpret_cast<close_fn>(q5library::q5getprocaddress(z, "gzclose"));
  ASSERT_TRUE(gzopen && gzwrite && gzclose);
  void* f = gzopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(gzwrite(f, data.data(), static_cast<unsigned>(data.size())),
            static_cast<int>(data.size()));
  ASSERT_EQ(gzclose(f), 0);
}

std::string sometext(int lines) {
  std::string s;
  for (int i = 0; i < lines; ++i) s += "line " + std::to_string(i) + " of some text\r\n";
  return s;
}

std::string readall(tbinarytextfileio& f) {
  std::string out;
  char buf[1000];
  while (const std::uint32_t got = f.read(buf, sizeof buf)) out.append(buf, got);
  return out;
}

class ZlmstrmTextfiles : public streamtest::withzlib {
 protected:
  // Opens for reading and checks the outcome.
  void open(tbinarytextfileio& f, const std::string& path, int expected, std::string_view text) {
    int err = -1;
    q5rt::sstr msg = q5rt::sstr::cut("stale");
    f.openforread(path, "", err, msg);
    EXPECT_EQ(err, expected);
    EXPECT_EQ(msg.view(), text);
  }
};

TEST_F(ZlmstrmTextfiles, SignedFileGoldenHeader) {
  testutil::write_file(file("src"), "ab");
  int err = -1;
  q5rt::sstr msg;
  zlmstrm::compresstextfile(file("src"), file("dst"), "", false, err, msg);
  ASSERT_EQ(err, 0) << msg.view();
  EXPECT_EQ(testutil::read_file(file("dst")),
            std::string("\xFF\x06*ZOLM*A\x10"
                        "CompressTextFile\x01\x01pc\x06*ZOLM*ab"));

  zlmstrm::compresstextfile(file("src"), file("dstc"), "", true, err, msg);
  ASSERT_EQ(err, 0) << msg.view();
  // With compression the data start is one stored block: signature and text.
  EXPECT_EQ(testutil::read_file(file("dstc")), std::string("\xFF\x06*ZOLM*A\x10"
                                                           "CompressTextFile\x01\x01pC") +
                                                   std::string("\x00\x00\x09\x06*ZOLM*ab", 12));

  // An object that read a file with other header bytes writes 1 and 1 all the same.
  testutil::write_file(file("other"), std::string("\xFF\x06*ZOLM*A\x10"
                                                  "CompressTextFile\x07\x09pc\x06*ZOLM*ab"));
  tbinarytextfileio f;
  f.openforread(file("other"), "", err, msg);
  ASSERT_EQ(err, 0) << msg.view();
  f.openforwrite(file("again"), "CompressTextFile", "", zlmstrm::filetype_text, true, err, msg);
  ASSERT_EQ(err, 0) << msg.view();
  f.write("ab", 2);
  ASSERT_EQ(f.close(), 0);
  EXPECT_EQ(testutil::read_file(file("again")), testutil::read_file(file("dstc")));
}

TEST_F(ZlmstrmTextfiles, RoundTrips) {
  std::mt19937 gen(11);
  std::string binary(70000, '\0');
  for (char& c : binary) c = static_cast<char>(gen() & 0xFF);
  struct row {
    std::string text;
    bool compress;
    const char* why;
  };
  const row rows[] = {
      {sometext(5000), true, "compressed, several blocks"},
      {sometext(5000), false, "signed without compression"},
      {"", true, "an empty text"},
      {std::string(4096, 'x'), true, "exactly one chunk"},
      {binary, true, "bytes that do not compress: stored blocks"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    testutil::write_file(file("src"), r.text);
    int err = -1;
    q5rt::sstr msg;
    zlmstrm::compresstextfile(file("src"), file("signed"), "", r.compress, err, msg);
    ASSERT_EQ(err, 0) << msg.view();
    zlmstrm::uncompresstextfile(file("signed"), file("back"), "", err, msg);
    ASSERT_EQ(err, 0) << msg.view();
    EXPECT_EQ(testutil::read_file(file("back")) == r.text, true);

    tbinarytextfileio f;
    open(f, file("signed"), 0, "");
    EXPECT_EQ(readall(f) == r.text, true);
    // Back to the first byte of the text, never the signature before it.
    f.rewind();
    EXPECT_EQ(f.readcharacter(),
              r.text.empty() ? zlmstrm::endofdata : static_cast<std::uint8_t>(r.text[0]));
  }
}

TEST_F(ZlmstrmTextfiles, PlainWriterWritesTheBytesOnly) {
  tbinarytextfileio f;
  int err = -1;
  q5rt::sstr msg;
  f.openforwrite(file("plain"), "free", "", zlmstrm::filetype_text, false, err, msg);
  ASSERT_EQ(err, 0);
  EXPECT_EQ(f.write("abc\n", 4), 4);
  EXPECT_EQ(f.close(), 0);
  EXPECT_EQ(testutil::read_file(file("plain")), "abc\n");

  f.openforwrite(file("nodir/x"), "", "", zlmstrm::filetype_text, false, err, msg);
  EXPECT_EQ(err, 2);
  EXPECT_EQ(msg.view(), "No such file or directory");
  EXPECT_EQ(f.write("x", 1), -1);
}

TEST_F(ZlmstrmTextfiles, GzipInputWrittenByZlib) {
  const std::string text = sometext(3000);
  writegzip(file("data.txt"), text);  // read as gzip whatever its name
  tbinarytextfileio f;
  open(f, file("data.txt"), 0, "");
  EXPECT_EQ(f.filetype(), zlmstrm::filetype_gzip);
  EXPECT_EQ(readall(f) == text, true);
  EXPECT_EQ(f.readcharacter(), zlmstrm::endofdata);
  EXPECT_EQ(f.getlastioresult(), 0);

  int err = -1;
  q5rt::sstr msg;
  zlmstrm::compresstextfile(file("data.txt"), file("signed"), "", true, err, msg);
  ASSERT_EQ(err, 0) << msg.view();
  zlmstrm::uncompresstextfile(file("signed"), file("back"), "", err, msg);
  EXPECT_EQ(testutil::read_file(file("back")) == text, true);
}

TEST_F(ZlmstrmTextfiles, GzipThatDoesNotOpen) {
  q5rt::sstr msg;
  zlmstrm::tgzipinputstream missing(file("missing.gz"), msg);
  EXPECT_EQ(msg.view(), "Cannot open file");
  char c = 0;
  EXPECT_EQ(missing.read(&c, 1), 0u);
  EXPECT_EQ(missing.readcharacter(), zlmstrm::endofdata);

  // The gzip magic, but a zlib that opens nothing: error 1, the gzip message.
  writegzip(file("data.gz"), "zipped");
  xcompress::unloadzliblibrary();
  ASSERT_TRUE(xcompress::loadzliblibrary(testutil::standinvariant("zlib-failing") + "/", msg))
      << msg.view();
  tbinarytextfileio f;
  open(f, file("data.gz"), 1, "Cannot open file");
  EXPECT_EQ(f.readcharacter(), zlmstrm::endofdata);
  xcompress::unloadzliblibrary();
  ASSERT_TRUE(xcompress::loadzliblibrary(testutil::standinlib() + "/", msg));
}

TEST_F(ZlmstrmTextfiles, CorruptGzipIsAnIoErrorNotData) {
  const std::string text = sometext(3000);
  writegzip(file("good.gz"), text);
  const std::string good = testutil::read_file(file("good.gz"));
  std::string damaged = good;
  for (std::size_t i = 20; i < 60; ++i) damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
  struct row {
    std::string bytes;
    const char* why;
  };
  const row rows[] = {
      {damaged, "damaged deflate data"},
      {good.substr(0, good.size() / 2), "a file cut in the middle"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    testutil::write_file(file("bad.gz"), r.bytes);
    tbinarytextfileio f;
    open(f, file("bad.gz"), 0, "");
    const std::string got = readall(f);
    EXPECT_LT(got.size(), text.size());
    EXPECT_EQ(text.compare(0, got.size(), got), 0);  // what came is the text's start
    EXPECT_EQ(f.getlastioresult(), zlmstrm::ioresult_corrupt);

    int err = -1;
    q5rt::sstr msg;
    zlmstrm::uncompresstextfile(file("bad.gz"), file("back"), "", err, msg);
    EXPECT_EQ(err, zlmstrm::ioresult_corrupt);
    EXPECT_EQ(msg.view(), "Input/output error");
  }
}

TEST_F(ZlmstrmTextfiles, OpeningForRead) {
  struct row {
    std::string bytes;
    int err;
    const char* msg;
    const char* text;  // what reading gives after a successful open
    const char* why;
    bool password = false;  // the header says "P"
  };
  const std::string head("\xFF\x06*ZOLM*A\x00", 10);
  const row rows[] = {
      {"\xEF\xBB\xBF"
       "abc",
       0, "", "abc", "a UTF-8 mark is skipped"},
      {"plain", 0, "", "plain", "plain text"},
      {"", 0, "", "", "an empty file"},
      {"\xFF", 0, "", "\xFF", "a lone 255"},
      {"\xFF\xFE"
       "a\0b\0",
       6, "UTF16LE BOM detected. This is an unsupported encoding.", "", "255 254: a UTF-16 mark"},
      {"\xFE\xFF\0a", 6, "UTF16BE BOM detected. This is an unsupported encoding.", "",
       "a big-endian UTF-16 mark"},
      {"\xFF\x06*ZOLX*text", 0, "", "\xFF\x06*ZOLX*text",
       "255 with another signature is plain text from its first byte"},
      {head + std::string("\x01\x01xc\x06*ZOLM*t", 12), 2, "ZOLM header not found", "",
       "an unknown password byte"},
      {head + std::string("\x01\x01pz\x06*ZOLM*t", 12), 2, "ZOLM header not found", "",
       "an unknown compression byte"},
      {"\xFF\x06*ZOLM*", 2, "ZOLM header not found", "", "a header cut short"},
      {std::string("\xFF\x06*ZOLM*\x20\x00\x01\x01pc\x06*ZOLM*t", 22), 2, "ZOLM header not found",
       "", "a type byte below A"},
      {head + std::string("\x01\x01pc\x06*ZOLX*t", 12), 4, "Integrity check failed", "",
       "a wrong signature at the data start"},
      {head + std::string("\x01\x01pC\x00\x00\x01t", 8), 4, "Integrity check failed", "",
       "compressed data without the signature"},
      {head + std::string("\x01\x01Pc\x06*ZOLM*text", 15), 0, "", "text",
       "the password byte P is accepted and reported", true},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    testutil::write_file(file("in"), r.bytes);
    tbinarytextfileio f;
    open(f, file("in"), r.err, r.msg);
    EXPECT_EQ(readall(f), r.text);
    EXPECT_EQ(f.usespassword(), r.password);
  }
  tbinarytextfileio f;
  open(f, file("missing"), 1, "No such file or directory");
  EXPECT_EQ(f.readcharacter(), zlmstrm::endofdata);
}

TEST_F(ZlmstrmTextfiles, RewindReturnsToTheTextStart) {
  testutil::write_file(file("bom"), "\xEF\xBB\xBFxyz");
  tbinarytextfileio f;
  open(f, file("bom"), 0, "");
  EXPECT_EQ(readall(f), "xyz");
  f.rewind();
  EXPECT_EQ(f.readcharacter(), 'x');
}

TEST_F(ZlmstrmTextfiles, ReadLine) {
  for (const bool compress : {false, true}) {
    SCOPED_TRACE(compress ? "signed and compressed" : "plain");
    testutil::write_file(file("src"), "ab\r\nc");
    std::string path = file("src");
    if (compress) {
      int err = -1;
      q5rt::sstr msg;
      zlmstrm::compresstextfile(file("src"), file("z"), "", true, err, msg);
      ASSERT_EQ(err, 0);
      path = file("z");
    }
    tbinarytextfileio f;
    open(f, path, 0, "");
    char line[16];
    int length = -1;
    std::uint8_t current = f.readcharacter();
    f.readline(line, length, 16, current);
    EXPECT_EQ(std::string(line, static_cast<std::size_t>(length)), "ab");
    EXPECT_EQ(current, 13);
    EXPECT_EQ(f.readcharacter(), 10);  // the caller consumes the line end
    current = f.readcharacter();
    f.readline(line, length, 16, current);
    EXPECT_EQ(std::string(line, static_cast<std::size_t>(length)), "c");
    EXPECT_EQ(current, zlmstrm::endofdata);
  }
  // The maximum stops a line.
  testutil::write_file(file("long"), "abcdef\n");
  tbinarytextfileio f;
  open(f, file("long"), 0, "");
  char line[4];
  int length = -1;
  std::uint8_t current = f.readcharacter();
  f.readline(line, length, 4, current);
  EXPECT_EQ(std::string(line, 4), "abcd");
  EXPECT_EQ(current, 'e');
}

TEST_F(ZlmstrmTextfiles, WrongModeGuards) {
  testutil::write_file(file("t"), "text");
  writegzip(file("g"), "zipped");
  const auto message = [](const auto& action) {
    try {
      action();
    } catch (const q5rt::assertion_error& e) {
      const std::string_view m = e.message().view();
      return std::string(m.substr(0, m.find(" (")));
    }
    return std::string("no exception");
  };
  tbinarytextfileio reader;
  open(reader, file("t"), 0, "");
  EXPECT_EQ(message([&] { (void)reader.write("x", 1); }), "TBinaryTextFileIO.Read");

  tbinarytextfileio writer;
  int err = -1;
  q5rt::sstr msg;
  writer.openforwrite(file("w"), "", "", 0, true, err, msg);
  EXPECT_EQ(message([&] { writer.rewind(); }), "TBinaryTextFileIO.ReWind1");

  tbinarytextfileio gz;
  open(gz, file("g"), 0, "");
  EXPECT_EQ(message([&] { gz.rewind(); }), "TBinaryTextFileIO.ReWind2");
}

// Points a standard descriptor at a file for the object's lifetime.
class redirect {
 public:
  redirect(int fd, const std::string& path, int flags) : fd_(fd), saved_(dup(fd)) {
    std::fflush(stdout);
    const int f = ::open(path.c_str(), flags, 0644);
    dup2(f, fd);
    ::close(f);
  }
  ~redirect() {
    std::fflush(stdout);
    dup2(saved_, fd_);
    ::close(saved_);
  }
  redirect(const redirect&) = delete;
  redirect& operator=(const redirect&) = delete;

 private:
  int fd_;
  int saved_;
};

TEST_F(ZlmstrmTextfiles, StandardInputAndOutput) {
  const std::string text = sometext(2000);
  testutil::write_file(file("in"), text);
  int err = -1;
  q5rt::sstr msg;
  {
    redirect in(0, file("in"), O_RDONLY);
    zlmstrm::compressfromstdin(file("signed"), "", true, err, msg);
  }
  ASSERT_EQ(err, 0) << msg.view();
  const std::string signedfile = testutil::read_file(file("signed"));
  EXPECT_EQ(signedfile.substr(0, 13),
            "\xFF\x06*ZOLM*A\x0D"
            "Com");
  EXPECT_NE(signedfile.find("CompressStdIn\x01\x01pC"), std::string::npos);
  {
    redirect out(1, file("out"), O_WRONLY | O_CREAT | O_TRUNC);
    zlmstrm::uncompresstostdout(file("signed"), "", err, msg);
  }
  ASSERT_EQ(err, 0) << msg.view();
  EXPECT_EQ(testutil::read_file(file("out")) == text, true);

  zlmstrm::uncompresstostdout(file("missing"), "", err, msg);
  EXPECT_EQ(err, 1);
}

}  // namespace
