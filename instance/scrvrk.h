// The data-exchange scratch layout (layout 5): a model instance or a solution kept as
// symbols of one data-exchange file, written and read through the data-exchange library.
// A scratch-file handle of layout 5 owns one object; its record calls come here.
//
// Symbols (keys are element numbers, values parameters unless said):
//   "equation"  (row, row code)                      row fields, codes 1..7
//   "variable"  (column, code[, 1 + nonlinear])      column fields 1..10; 32 + row: Jacobian
//   "solve"     set (row, position, opcode, operand + 1)
//   "scalar"    (index)                              the constant pool
//   "equations" / "variables" (row or column, code)  solution fields 1..5
//   "option"    (item 1..22)                         head and tail items
// Code 1 (type or status), Jacobian values and constants are always stored (0 as EPS);
// every other field only when it differs from its default, which a reader fills in.
//
// Usage (reading a matrix; writing follows the same order, see the state table):
//   scrvrk::tscratchvrk v;
//   q5rt::sstr msg;
//   if (!v.createforreading(name, msg).empty()) fail(msg);
//   scrvrk::rowrec r; v.readrow(r);  ...  scrvrk::colrec c; v.readcolumn(c); v.readjac(...);
//   if (v.readdone() != 0) report(v.getlasterrmsg());
// Operations return 0, or 1 once the object holds a message: the first failure stays and
// every further record operation does nothing until getlasterrmsg takes it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "bindings/bindproto.h"
#include "frame/q5rt.h"

namespace scrvrk {

inline constexpr int htcount = 22;
inline constexpr std::string_view producer = "ScratchVrk";
inline constexpr std::string_view nlnzraised = "non-linear NZ, although haveNLNZ=false";

// Writing and reading states.
enum state : std::int32_t {
  stcreated = 5,
  strows = 10,
  strowsols = 12,
  stcolumns = 20,
  stcolsols = 22,
  stjacobian = 25,
  stinstructions = 30,
  stconstants = 35,
  stdictionary = 40,
  stwritten = 45,
  stopened = 105,
  streadrows = 110,
  streadrowsols = 112,
  streadcolumns = 120,
  streadcolsols = 122,
  streadjacobian = 125,
  streadinstructions = 130,
  streadconstants = 135,
  stread = 145,
  stfailed = 999,
};

struct rowrec {
  std::int32_t type = 0;
  double rhs = 0.0;
  double level = 0.0;
  std::int32_t marginalflag = 0;
  double marginal = 0.0;
  double scale = 1.0;
  std::int32_t match = 0;
};

struct colrec {
  std::int32_t type = 0;
  std::int32_t nzcount = 0;
  double lower = 0.0;
  double level = 0.0;
  double upper = 0.0;
  std::int32_t sosset = 0;
  double priority = 1.0;
  std::int32_t marginalflag = 0;
  double marginal = 0.0;
  double scale = 1.0;
};

struct solrec {
  std::int32_t status = 0;
  std::int32_t basis = 0;
  double level = 0.0;
  double marginal = 0.0;
  double scale = 1.0;
};

class tscratchvrk {
 public:
  tscratchvrk() = default;
  // Writes a message still held as "*** " + message on standard output.
  ~tscratchvrk();
  tscratchvrk(const tscratchvrk&) = delete;
  tscratchvrk& operator=(const tscratchvrk&) = delete;

  // Both return the object's message (empty: success), also copied to msg.
  const q5rt::sstr& createforwriting(std::string_view name, q5rt::sstr& msg);
  const q5rt::sstr& createforreading(std::string_view name, q5rt::sstr& msg);

  // ---- writing ----
  int writerow(const rowrec& r);
  int writecolumn(const colrec& c);
  // Raises q5rt::exception (nlnzraised) for a nonlinear entry without the nonlinear flag.
  int writejac(std::int32_t row, double value, bool nonlin);
  int writenlinstr(std::int32_t row, std::int32_t opcode, std::int32_t operand);
  int writeconstpool(double value);
  int writerowsol(const solrec& s);
  int writecolumnsol(const solrec& s);
  int writedictionary(bindproto::handle dct);
  int puthtrec(std::int32_t index, double value);
  int writedone();
  // One record of the current key unless the value equals the default.
  int writevrkrecord(std::int32_t code, double value, double def);

  // ---- reading ----
  int readrow(rowrec& r);
  int readcolumn(colrec& c);
  // 1 without a message when the column has no entry left.
  int readjac(std::int32_t& row, double& value, bool& nonlin);
  int readnlinstr(std::int32_t& row, std::int32_t& opcode, std::int32_t& operand);
  int readconstpool(double& value);
  int readrowsol(solrec& s);
  int readcolumnsol(solrec& s);
  int gethtrec(std::int32_t index, double& value);
  int readdone();

  // The message, cleared; a non-empty one leaves the object failed (state 999).
  [[nodiscard]] q5rt::sstr getlasterrmsg();
  // The library's error check under an operation's name: false (message cleared) when the
  // library counts no error, else true with the message set.
  bool vrkerror(std::string_view operation, q5rt::sstr& msg);

  [[nodiscard]] const q5rt::sstr& message() const { return msg_; }
  [[nodiscard]] std::int32_t currentstate() const { return state_; }
  [[nodiscard]] std::int32_t constantcount() const { return nconst_; }
  [[nodiscard]] bool havenlnz() const { return nlnz_; }
  void sethavenlnz(bool on) { nlnz_ = on; }
  [[nodiscard]] bool rowsdone() const { return rowsdone_; }
  // A record read but not yet delivered (a row or column beyond the last one asked for).
  [[nodiscard]] bool leftover() const { return have_; }

 private:
  int fail(std::string_view text);
  int outofcontext(std::string_view op);
  int check(std::string_view op);
  [[nodiscard]] bool librarycounts() const;
  void describe(std::string_view operation, q5rt::sstr& msg);
  bool startwrite(std::string_view name, std::string_view text, int dim, int type);
  void endsymbol();
  void putalways(int codekey, std::int32_t code, double value);
  bool openread(std::string_view op, std::string_view name, int dim);
  bool next();
  int readsol(std::string_view op, std::string_view unknown, solrec& s);
  void writeoptions();
  void loadoptions();
  void release();

  bindproto::handle obj_ = nullptr;
  std::array<std::int32_t, 20> keys_{};
  std::array<double, 5> values_{};
  std::int32_t nrows_ = 0;
  std::int32_t lastrow_ = 0;
  std::int32_t lastpos_ = 0;
  std::int32_t ncols_ = 0;
  std::int32_t nconstw_ = 0;
  std::int32_t state_ = 0;
  std::int32_t nconst_ = 0;
  bool nlnz_ = false;
  bool rowsdone_ = false;
  std::array<double, htcount + 1> items_{};  // 1..22
  q5rt::sstr msg_;
  // Reading: the buffered record and what it is.
  bool have_ = false;
  std::int32_t dimfirst_ = 0;
  bool symopen_ = false;
  bool optionsread_ = false;
};

}  // namespace scrvrk
