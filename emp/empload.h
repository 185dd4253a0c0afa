// The EMP loader's working state, shared by the loader's frame (empload.cpp) and its
// sections: annotations (empsections.cpp), disjunctions (empdisj.cpp) and agents
// (empagents.cpp). Not for other units.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "bindings/bindproto.h"
#include "emp/empdata.h"
#include "emp/empreader.h"
#include "frame/q5rt.h"

namespace empdata::detail {

// The item just read: its code (empcode), row or column (from 1), value (the block size of
// a whole symbol, or a number) and message.
struct item {
  std::int32_t code = key_notakey;
  std::int32_t index = 0;
  double value = 0;
  q5rt::sstr msg;
  q5rt::sstr name;  // the identifier of empreadident

  // Back to a fresh item (without clearing both short strings in full, as item{} would).
  void reset() {
    code = key_notakey;
    index = 0;
    value = 0;
    msg.clear();
    name.clear();
  }
};

// The size of an equ or var item: its block size, 1 for a single row or column.
[[nodiscard]] inline std::int32_t sizeof_item(const item& it) {
  return it.value > 0 ? static_cast<std::int32_t>(it.value) : 1;
}

// "(item n on line m)", the place of an item in messages. Built for every item read, so in
// a small buffer of its own rather than from short strings.
class locationtext {
 public:
  locationtext(std::int32_t item, std::int32_t line);
  operator std::string_view() const { return {text_, size_}; }

 private:
  char text_[48];
  std::size_t size_;
};

class loader {
 public:
  explicit loader(const emploadargs& args) : a(args) {}

  // The whole load after the list was read (steps 1-3 and 5-8 of the frame).
  std::int32_t run(bool (*read)(empreader::templist&, q5rt::sstr&, const void*), const void* src);

  // ---- items ----
  void next();       // the next item into cur
  void nextident();  // the next item as a plain identifier (code key_ident)
  [[nodiscard]] bool is(std::int32_t code) const { return cur.code == code; }
  [[nodiscard]] bool isequ() const { return cur.code == key_equ; }
  [[nodiscard]] bool isvar() const { return cur.code == key_var; }

  // ---- messages ----
  void message(std::string_view text);
  void syntax(std::string_view text);
  void equerr(std::int32_t row, std::string_view text);
  void varerr(std::int32_t col, std::string_view text);
  void jacerr(std::int32_t row, std::int32_t col, std::string_view text);
  // The top-level loop's "key expected" error for the current item; parsing stops.
  void keyexpected();

  // ---- shared rules ----
  // Labels of the row and the column that differ, position by position.
  [[nodiscard]] std::int32_t checkindices(std::int32_t row, std::int32_t col);
  // The flip rule for a row: flipped (1) or stated (0).
  void setflip(std::int32_t row, bool flipped, std::string_view ambiguous);
  // The number of pairs to walk for two items; reports a size mismatch.
  [[nodiscard]] std::int32_t pairsize(const item& first, const item& second, std::int32_t row,
                                      std::int32_t col, std::string_view sizeerror);
  // A pair item of code 3: the item after it is read and dropped, then the next one.
  void skippair();
  // An optional "-" before an equation: flipped tells whether there was one; false, after
  // the syntax error flipmsg, when neither an equation nor a name outside the instance
  // follows the dash.
  [[nodiscard]] bool dashedequ(bool& flipped, std::string_view flipmsg);
  // Sets the row's (column's) slot to value unless it is set already: then the equation
  // (variable) error text.
  void markrow(std::int32_t& slot, std::int32_t value, std::int32_t row, std::string_view text);
  void markcol(std::int32_t& slot, std::int32_t value, std::int32_t col, std::string_view text);

  // ---- sections (7.106) ----
  void dualvar(std::int32_t agent);
  void dualequ();
  void vi(std::int32_t agent);
  void qvi();
  void adjustequ();
  void modeltype();
  void defaults();
  void parallelstep1();
  void nyslpforall();
  void qvicheck();
  // ---- disjunctions (7.107) ----
  void disjunction();
  [[nodiscard]] bool disjcomplete();  // false: an evaluation failed
  void disjwarnings();
  // ---- agents (7.108) ----
  void agents(bool bilevel);
  void agentchecks();
  void replicationcheck();

  const emploadargs& a;
  bindproto::handle dict = nullptr;
  empreader::templist items;
  item cur;
  std::int32_t pos = 0;        // items read so far
  std::int32_t linestart = 0;  // items before the current line's first
  std::int32_t line = 0;       // line of the last item
  std::int32_t errors = 0;
  bool stop = false;             // a syntax error ended parsing
  std::int32_t implgroups = 0;   // implicit groups numbered so far
  std::int32_t parpoolused = 0;  // theta parameters stored so far
  bool defbigmstated = false;    // the "default" section gave big or M
  bool defepsstated = false;     // ... and eps
  std::int32_t objectives = 0;   // follower objectives read in the current agent section

 private:
  [[nodiscard]] locationtext location() const;
  // The next item of the list into it, or false with cur set to the end (eofline after the
  // count) or to the error beyond the end.
  bool advance(std::string_view eofline, std::string_view beyond, empreader::tempitem& it);
  struct symbolinfo {
    std::int32_t sym = 0;
    std::int32_t type = 0;
    std::int32_t dim = 0;
  };
  const symbolinfo& symbolof(std::string_view name);
  // The label number of index text k (unquoted) of an item. The items of a pair mostly
  // share their labels: the last text at each position is remembered with its number, so
  // the dictionary is asked once for both.
  std::int32_t labelof(std::int32_t k, std::string_view text);
  struct knownlabel {
    bool known = false;
    std::string_view text;  // in the item list, which outlives the parsing
    std::int32_t uel = 0;
  };
  std::array<knownlabel, empreader::maxindices> lastlabels;
  void resolve(const empreader::tempitem& it);
  void checkrange(bool isequ);
  struct namehash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::unordered_map<std::string, symbolinfo, namehash, std::equal_to<>> symbols;
  [[nodiscard]] bool logicprepass();
  void summary();
  void vivars(std::int32_t agent, std::string_view prefix);
  void zerofunction(std::int32_t agent, std::string_view prefix);
  void qviparams(const item& orig);
  // Agent helpers.
  std::int32_t newagent(std::int32_t type);
  void implicitsection();
  void visolsection();
  void optsection(std::int32_t agent, std::int32_t followers);
  void closeimplgroup(std::int32_t group, timplvarrec* rec);
  void claimimplicit(std::int32_t agent, std::int32_t col, bool objective);
  void sharerow(std::int32_t agent, std::int32_t row, bool flipped);
  // Disjunction helpers.
  void disjprepare();
  tdisjrec* newdisj(std::int32_t type, std::int32_t intset, double bigm, double eps, bool bigmgiven,
                    bool epsgiven, bool biggiven);
  void addterm(tdisjrec* d, std::int32_t var);
  void joinrow(std::int32_t d, std::int32_t row, bool negated, bool epsgiven);
};

}  // namespace empdata::detail
