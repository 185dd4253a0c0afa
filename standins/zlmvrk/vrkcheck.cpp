// The check of a data-exchange file: one pass, or pieces on threads joined in file order.
#include "standins/zlmvrk/vrkcheck.h"

#include <algorithm>
#include <exception>
#include <thread>
#include <utility>

#include "standins/common/linetokens.h"
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
  std::uint64_t after = 0;  // the offset behind the line
};

// The rules of the file, line by line or run by run, in file order.
class checker {
 public:
  explicit checker(checked& c) : c_(c) {}

  // One line that is not blank or a comment; after is the offset behind it.
  bool line(std::string_view l, std::uint64_t after) {
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
  while (src.offset() < to && src.next(l)) {
    if (linetokens::ignorable(l)) continue;
    int dim = 0;
    int values = 0;
    if (!plainrecord(l, r, dim, values)) {
      items.push_back({false, {}, std::string(l), src.offset()});
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

// The offset of the first line that starts at or behind at.
std::uint64_t linestart(linesource& src, std::uint64_t at) {
  if (at == 0) return 0;
  src.seek(at - 1);
  std::string_view l;
  (void)src.next(l);  // the rest of the line that holds the byte before at
  return src.offset();
}

}  // namespace

checkresult checklines(linesource& src, checked& c) {
  checker k(c);
  std::string_view l;
  while (src.next(l)) {
    if (linetokens::ignorable(l)) continue;
    if (!k.line(l, src.offset())) return checkresult::damaged;
  }
  if (src.failed()) return checkresult::unreadable;
  return k.head() ? checkresult::sound : checkresult::damaged;
}

checkresult checkfile(linesource& src, const std::string& path, checked& c, std::uint64_t piece,
                      unsigned pieces) {
  const std::uint64_t size = src.size();
  const auto n = static_cast<unsigned>(
      std::clamp<std::uint64_t>(size / std::max<std::uint64_t>(piece, 1), 1, std::max(pieces, 1U)));
  if (n < 2) return checklines(src, c);
  // Pieces from line starts; piece k on a thread of its own, piece 0 on this one.
  std::vector<std::uint64_t> bounds{0};
  for (unsigned k = 1; k < n; ++k)
    bounds.push_back(std::max(bounds.back(), linestart(src, size * k / n)));
  bounds.push_back(size);
  std::vector<std::vector<pieceitem>> items(n);
  std::vector<char> read(n, 0);
  std::vector<std::exception_ptr> errors(n);
  const auto work = [&](unsigned k) {
    try {
      linesource own;
      if (!own.openfile(path)) return;
      own.seek(bounds[k]);
      read[k] = readpiece(own, bounds[k + 1], items[k]) ? 1 : 0;
    } catch (...) {
      errors[k] = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  for (unsigned k = 1; k < n; ++k) {
    try {
      threads.emplace_back(work, k);
    } catch (...) {
      work(k);  // no thread to be had: this one reads the piece
    }
  }
  work(0);
  for (std::thread& t : threads) t.join();
  src.seek(0);
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);
  if (std::find(read.begin(), read.end(), 0) != read.end()) return checkresult::unreadable;
  checker k(c);
  for (const std::vector<pieceitem>& list : items) {
    for (const pieceitem& it : list) {
      if (!(it.isrun ? k.run(it.run) : k.line(it.line, it.after))) return checkresult::damaged;
    }
  }
  return k.head() ? checkresult::sound : checkresult::damaged;
}

}  // namespace zlmvrk
