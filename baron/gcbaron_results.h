// The reading of BARON's result files after its run, in parts for the result reader's units
// and their tests: the token readers of the tim line, the res file's reader, the row levels
// recomputed from the model and the function library's error callback.
//
// Usage:
//   q5rt::sstr line = q5rt::sstr::cut("1 2.5D0 x"), token;
//   std::int32_t n = 0; double v = 0;
//   if (gcbaron::nexti(n, token, line) == 0 && gcbaron::nextr(v, token, line) == 0) ...
//   gcbaron::readresults(gcbaron::resultfilesof(*optbaron::bo));   // all of it
//   gcbaron::evaleqs(nullptr);   // every row's level from the column levels
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "bindings/dctmdodef.h"
#include "frame/q5rt.h"

namespace optbaron {
class toptconvert;
}

namespace gcbaron {

inline constexpr std::int32_t notanumber = 9999;
inline constexpr std::size_t maxline = 255;  // longer lines of the result files are cut

// The slots of the solution file's head items 3 to 6 and tail items 1 and 5 (the model
// record's headinfo and tailinfo) that the result reader writes.
inline constexpr std::size_t headitem3 = 0, headtime = 1, headobjective = 2, headitem6 = 3;
inline constexpr std::size_t tailiterations = 0, tailbound = 3;
inline constexpr std::string_view supportmail = "support@baronlink.example";

// The token before the first blank of line (the whole line when it holds none) as a number;
// line keeps the trimmed rest. 0, or 9999 when the token is not a number. nextr takes "D"
// and "d" as exponent letters and refuses a number beyond the double range.
std::int32_t nexti(std::int32_t& value, q5rt::sstr& token, q5rt::sstr& line);
std::int32_t nextr(double& value, q5rt::sstr& token, q5rt::sstr& line);

// A number of BARON's files: "D" or "d" read as "E"; false when the text is not a number,
// or one beyond the double range (it would be an infinity).
bool baronreal(std::string_view text, double& value);

// The bounds of the result files: the res file and the summary are read up to 1 GiB, the
// tim file's first line (all that is used of it) up to 64 KiB. A file that would need more
// ends the reading with the failed-read status. BARONLINK_MAXRESULT=<bytes> in the
// environment sets one bound for all three, so that tests need not write a gigabyte.
inline constexpr std::int64_t maxresbytes = std::int64_t{1} << 30;
inline constexpr std::int64_t maxsumbytes = std::int64_t{1} << 30;
inline constexpr std::int64_t maxtimbytes = std::int64_t{1} << 16;
inline constexpr std::string_view maxresultvar = "BARONLINK_MAXRESULT";

// A result file read line by line through a buffer of its own, each line cut at 255
// characters, at most limit bytes of it: a line that ends beyond the limit is not read, and
// the reader says the file is too large. The memory used does not grow with the file, so a
// file without an end (a pipe whose writer never stops) ends at the limit. Once a read has
// failed every later read fails too.
class linereader {
 public:
  static constexpr std::int64_t nolimit = INT64_MAX;
  static constexpr std::size_t buffersize = 65536;

  linereader() = default;
  ~linereader();
  linereader(const linereader&) = delete;
  linereader& operator=(const linereader&) = delete;

  // 0, or the system's error number when the file cannot be opened (EIO when its first
  // bytes cannot be read).
  int open(std::string_view path, std::int64_t limit = nolimit);
  // The text in place of a file.
  void settext(std::string text, std::int64_t limit = nolimit);
  // The next line without its line end, valid up to the next read; false at the end of the
  // text, beyond the limit or after a read error.
  bool next(std::string_view& line);
  // Skips n lines; false when the text ended first.
  bool skip(std::int64_t n);
  [[nodiscard]] bool failed() const { return failed_; }
  // Why the reading stopped before the end of the file: the limit, or the system's error
  // number of a failed read (0: none).
  [[nodiscard]] bool toolarge() const { return toolarge_; }
  [[nodiscard]] int readerror() const { return readerror_; }
  [[nodiscard]] bool broken() const { return toolarge_ || readerror_ != 0; }
  [[nodiscard]] std::int64_t limit() const { return limit_; }

 private:
  bool fill();
  void close();
  bool stop(bool toolarge);

  std::FILE* file_ = nullptr;
  std::string buf_;
  std::size_t pos_ = 0, end_ = 0;  // the unread bytes are buf_[pos_, end_)
  std::string long_;               // the kept start of a line longer than the buffer
  std::int64_t used_ = 0;          // bytes of the lines read so far, line ends included
  std::int64_t limit_ = nolimit;
  bool failed_ = false, toolarge_ = false;
  int readerror_ = 0;
};

// The "*** " lines of a result file that cannot be opened (the system's error number) or
// whose reading stopped before its end (the reader says why).
void couldnotopen(std::string_view path, int rc);
void couldnotread(std::string_view path, const linereader& f);

enum class resoutcome : std::uint8_t { stop, nosolution, solutionread };

// What the status mapping hands the res reader.
struct resinput {
  std::int32_t modelstatus = 0;  // as mapped (4 has become 1)
  std::int32_t candidate = 13;   // candidate model status of the mapping
  std::int32_t nodeopt = 0;
  double zub = 0;  // the tim file's objective value
};

struct resresult {
  resoutcome outcome = resoutcome::stop;
  std::int32_t solutions = 0;
  double zub = 0;  // the objective of the last solution read
};

// What the result reader takes from BARON's option set, and the files' bounds.
struct resultfiles {
  q5rt::sstr tim, res, sum;
  std::int64_t timlimit = maxtimbytes, reslimit = maxresbytes, sumlimit = maxsumbytes;
  bool solutionfiles = false;  // the solution prefix option is defined
  q5rt::sstr prefix;
  double optca = 0, optcr = 0;
};
// The bounds are the defaults above unless the environment sets one for all.
[[nodiscard]] resultfiles resultfilesof(const optbaron::toptconvert& bo);

// BARON's result files into the model record, up to the row levels and phase one; true
// when it went to the end (the run's option set and maps may go then).
bool readresults(const resultfiles& files);

// Reads the res file into the model record.
resresult readres(const resultfiles& files, const resinput& in);

// The dictionary reader of the model's dictionary file; none (with the two lines that say
// why) when it cannot be had.
std::unique_ptr<dctmdodef::tdctreader> loaddict();

// The name of a row or column from the dictionary: symbol and labels; empty when the
// dictionary does not know it.
q5rt::sstr dictname(dctmdodef::tdctreader& dict, bool isrow, std::int32_t index);

// Every row's level from the column levels; rows whose evaluation fails are named from
// the dictionary (loaded at the first report when none is given).
void evaleqs(dctmdodef::tdctreader* dict);

// The function library's error callback installed for the row levels.
int logmatherror(int rc, int ec, const q5rt::sstr& msg, void* usermem);

}  // namespace gcbaron
