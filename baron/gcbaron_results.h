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
// and "d" as exponent letters.
std::int32_t nexti(std::int32_t& value, q5rt::sstr& token, q5rt::sstr& line);
std::int32_t nextr(double& value, q5rt::sstr& token, q5rt::sstr& line);

// A number of BARON's files: "D" or "d" read as "E"; false when the text is not a number.
bool baronreal(std::string_view text, double& value);

// A result file read whole, then line by line, each line cut at 255 characters. Once a read
// has failed at the end of the text every later read fails too.
class linereader {
 public:
  // 0, or the system's error number when the file cannot be read.
  int open(std::string_view path);
  void settext(std::string text);
  // The next line without its line end; false at the end of the text.
  bool next(std::string_view& line);
  // Skips n lines; false when the text ended first.
  bool skip(std::int64_t n);
  [[nodiscard]] bool failed() const { return failed_; }

 private:
  std::string text_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

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

// What the result reader takes from BARON's option set.
struct resultfiles {
  q5rt::sstr tim, res, sum;
  bool solutionfiles = false;  // the solution prefix option is defined
  q5rt::sstr prefix;
  double optca = 0, optcr = 0;
};
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
