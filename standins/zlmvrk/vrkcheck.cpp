// The check of a data-exchange file: one pass, or pieces on threads joined in file order.
#include "standins/zlmvrk/vrkcheck.h"

#include <algorithm>
#include <utility>

#include "standins/common/linetokens.h"
#include "standins/zlmvrk/pieces.h"
#include "standins/zlmvrk/vrklines.h"

namespace zlmvrk {

namespace {

// Plain record lines next to each other (blank and comment lines between them), of one
// shape: what a piece knows of them without their symbol.
struct plainrun {
  int dim = 0;
  int values = 0;
  std::size_t count = 0;
  bool sorted = true;
  std::array<std::int32_t, maxdim> first{};
  std::array<std::int32_t, maxdim> last{};
};

// A piece's lines in order: runs of plain records, and every other line as it stands.
struct pieceitem {
  bool isrun = false;
  plainrun run;
  std::string line;
  std::uint64_t start = 0;  // the line's offset
  std::uint64_t after = 0;  // the offset behind it
};

// The rules of the file, line by line or run by run, in file order.
class checker {
 public:
  explicit checker(checked& c) : c_(c) {}

  // One line that is not blank or a comment, from offset start to after.
  bool line(std::string_view l, std::uint64_t start, std::uint64_t after) {
    if (head_ && !c_.symbols.empty() && fastrecord(l, c_.symbols.back(), r_)) return take(1);
    std::string why;
    if (!linetokens::split(l, words_, why)) return false;
    const std::vector<linetokens::token>& w = words_;
    const std::string& key = w[0].text;
    if (!head_) {  // zlmvrk <version> <producer>
      std::int32_t v = 0;
      head_ =
          w.size() == 3 && key == filemagic && linetokens::toint(w[1].text, v) && v == fileversion;
      c_.headread = true;
      c_.producer = head_ ? w[2].text : std::string();
      return head_;
    }
    if (key == "label" && w.size() == 2) {
      c_.labels.push_back(w[1].text);
      return true;
    }
    if (key == "symbol" && w.size() == 6) {  // symbol <name> <dim> <type> <userinfo> <text>
      symbol s;
      s.name = w[1].text;
      s.text = w[5].text;
      s.offset = after;
      if (!c_.symbols.empty()) c_.symbols.back().end = start;
      if (!linetokens::toint(w[2].text, s.dim) || s.dim < 0 || s.dim > maxdim ||
          !linetokens::toint(w[3].text, s.type) || s.type < 0 || s.type > 3 ||
          !linetokens::toint(w[4].text, s.userinfo))
        return false;
      c_.symbols.push_back(std::move(s));
      return true;
    }
    if (key == "record" && !c_.symbols.empty()) {  // record <keys> : <values>
      return tokenrecord(w, c_.symbols.back(), r_) && take(1);
    }
    return false;
  }

  // A run of plain records: records of the open symbol when it has their shape.
  bool run(const plainrun& p) {
    if (!head_ || c_.symbols.empty() || !p.sorted) return false;
    const symbol& s = c_.symbols.back();
    if (s.dim != p.dim || valuecount(s.type) != p.values) return false;
    r_.keys = p.first;
    if (!take(1)) return false;
    previous_ = p.last;
    return take(p.count - 1, false);
  }

  [[nodiscard]] bool head() const { return head_; }

 private:
  // Counts n records of the open symbol, the last in r_ unless checked is false: after
  // the previous one in key order.
  bool take(std::size_t n, bool check = true) {
    symbol& s = c_.symbols.back();
    if (check) {
      if (s.count > 0 && !(previous_ < r_.keys)) return false;
      previous_ = r_.keys;
    }
    s.count += n;
    return true;
  }

  checked& c_;
  bool head_ = false;
  record r_;
  std::array<std::int32_t, maxdim> previous_{};
  std::vector<linetokens::token> words_;
};

// The lines of src from its offset to the line that starts at or behind to.
bool readpiece(linesource& src, std::uint64_t to, std::vector<pieceitem>& items) {
  record r;
  std::string_view l;
  for (std::uint64_t start = src.offset(); start < to && src.next(l); start = src.offset()) {
    if (linetokens::ignorable(l)) continue;
    int dim = 0;
    int values = 0;
    if (!plainrecord(l, r, dim, values)) {
      items.push_back({false, {}, std::string(l), start, src.offset()});
      continue;
    }
    if (items.empty() || !items.back().isrun || items.back().run.dim != dim ||
        items.back().run.values != values) {
      pieceitem it;
      it.isrun = true;
      it.run.dim = dim;
      it.run.values = values;
      it.run.first = r.keys;
      it.run.last = r.keys;
      it.run.count = 1;
      items.push_back(std::move(it));
      continue;
    }
    plainrun& p = items.back().run;
    p.sorted = p.sorted && p.last < r.keys;
    p.last = r.keys;
    ++p.count;
  }
  return !src.failed();
}

}  // namespace

checkresult checklines(linesource& src, checked& c) {
  checker k(c);
  std::string_view l;
  for (std::uint64_t start = src.offset(); src.next(l); start = src.offset()) {
    if (linetokens::ignorable(l)) continue;
    if (!k.line(l, start, src.offset())) return checkresult::damaged;
  }
  if (src.failed()) return checkresult::unreadable;
  return k.head() ? checkresult::sound : checkresult::damaged;
}

checkresult checkfile(linesource& src, checked& c, std::uint64_t piece, unsigned pieces) {
  const std::uint64_t size = src.size();
  const auto n = static_cast<unsigned>(
      std::clamp<std::uint64_t>(size / std::max<std::uint64_t>(piece, 1), 1, std::max(pieces, 1U)));
  if (n < 2 || !src.isfile()) return checklines(src, c);
  // Pieces from line starts, each read through a source of its own.
  const std::vector<std::uint64_t> bounds = piecebounds(src, 0, size, n);
  std::vector<std::vector<pieceitem>> items(n);
  std::vector<char> read(n, 0);
  inpieces(n, [&](unsigned k) {
    linesource own;
    if (!own.opensame(src)) return;
    own.seek(bounds[k]);
    read[k] = readpiece(own, bounds[k + 1], items[k]) ? 1 : 0;
  });
  src.seek(0);
  if (std::find(read.begin(), read.end(), 0) != read.end()) return checkresult::unreadable;
  checker k(c);
  for (const std::vector<pieceitem>& list : items) {
    for (const pieceitem& it : list) {
      if (!(it.isrun ? k.run(it.run) : k.line(it.line, it.start, it.after)))
        return checkresult::damaged;
    }
  }
  return k.head() ? checkresult::sound : checkresult::damaged;
}

}  // namespace zlmvrk
