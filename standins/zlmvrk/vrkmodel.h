// The data-exchange stand-in's model: one object writes or reads one file of the text format
// of standins/README.md (producer, labels, symbols with records sorted by key). Writing
// collects everything and writes the file at close. Reading checks the whole file at open
// and keeps its labels and symbols, and where each symbol's records start; a symbol's
// records are read from the file again as they are asked for, so the file stays unchanged
// while it is open.
// Special values are mapped to and from their texts by two tables of five values (UNDF, NA,
// +INF, -INF, EPS): one for writing and one for reading. Errors are numbered; each error
// adds to the error count and becomes the last error.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "standins/common/linetokens.h"
#include "standins/zlmvrk/linesource.h"
#include "standins/zlmvrk/vrkrecord.h"

namespace zlmvrk {

enum class checkresult : std::uint8_t;
struct checked;

// Error numbers (vrkErrorStr gives their texts).
enum error : int {
  noerror = 0,
  cannotwrite = 1,
  cannotread = 2,
  badfile = 3,
  outoforder = 4,
  badsymbolnr = 5,
  baddimension = 6,
  badsymboltype = 7,
  badlabelnr = 8,
  duplicatekey = 9,
  duplicatelabel = 10,
  writefailed = 11,
  badsymbolname = 12,
  bothquotes = 13,
};
[[nodiscard]] std::string errortext(int nr);

class vrkfile {
 public:
  vrkfile() = default;
  vrkfile(const vrkfile&) = delete;
  vrkfile& operator=(const vrkfile&) = delete;
  ~vrkfile();

  // Opening and closing; the open calls give 0 or an error number.
  int openwrite(const std::string& path, std::string_view producer);
  // The whole file is checked.
  int openread(const std::string& path);
  // The same reading from text (name used in messages).
  int parse(std::string_view data, std::string_view name);
  int close();  // 0 or the error number of a failed write

  // Labels, numbered from 1 in registration order.
  bool uelregisterstart();
  bool uelregister(std::string_view label);
  bool uelregisterdone();

  // Writing one symbol at a time.
  bool writestart(std::string_view name, std::string_view text, int dim, int type, int userinfo);
  bool writerecord(const std::int32_t* keys, const double* values);
  bool writedone();

  // Reading. Symbol 0 is the universe: every label as a one-dimensional set.
  [[nodiscard]] int findsymbol(std::string_view name) const;  // -1: none
  [[nodiscard]] const symbol* symbolat(int nr);               // 0 .. count
  [[nodiscard]] int symbolcount() const { return static_cast<int>(symbols_.size()); }
  [[nodiscard]] int labelcount() const { return static_cast<int>(labels_.size()); }
  [[nodiscard]] const std::string* label(int nr) const;
  [[nodiscard]] const std::string& producer() const { return producer_; }
  bool readstart(int nr, int& count);
  // Delivers the next record: keys, values (as many as the symbol type has) and the first
  // key position (from 1) that differs from the previous record. False at the end.
  bool readrecord(std::int32_t* keys, double* values, int& dimfirst);
  bool readdone();
  [[nodiscard]] int currentdim() const;

  // Special values.
  [[nodiscard]] const specials& writespecials() const { return write_; }
  void setspecials(const double* v);      // writing and reading
  void setreadspecials(const double* v);  // reading only
  void resetspecials();

  // Errors.
  [[nodiscard]] int errorcount() const { return errorcount_; }
  int takelasterror();  // the last error number, then 0
  bool fail(int nr);    // records an error; returns false

  // Flags the link sets but the stand-in does not act on.
  int autoconvert = 1;
  bool storedomainsets = true;
  bool allowbogusdomains = true;
  bool mapacronymstonan = false;

 private:
  enum class mode : std::uint8_t {
    closed,
    writing,
    registering,
    writingsymbol,
    reading,
    readingsymbol
  };

  [[nodiscard]] bool writetext() const;
  int opened(checkresult result, checked& c);
  bool nextrecord(record& r);
  int deliver(const record& r, std::int32_t* keys, double* values);  // gives dimfirst

  mode mode_ = mode::closed;
  std::FILE* out_ = nullptr;
  std::string producer_;
  std::vector<std::string> labels_;
  std::vector<symbol> symbols_;
  symbol universe_{"*", "Universe", 1, 0, 0, 0, 0, {}};
  const symbol* reading_ = nullptr;
  std::size_t next_ = 0;
  record current_;
  std::array<std::int32_t, maxdim> previous_{};
  linesource source_;
  std::vector<linetokens::token> words_;
  specials write_ = defaultspecials;
  specials read_ = defaultspecials;
  int errorcount_ = 0;
  int lasterror_ = 0;
};

}  // namespace zlmvrk
