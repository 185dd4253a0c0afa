// The check of a data-exchange file: one pass over its lines.
#include "standins/zlmvrk/vrkcheck.h"

#include <utility>

#include "standins/common/linetokens.h"
#include "standins/zlmvrk/vrklines.h"

namespace zlmvrk {

namespace {

// The rules of the file, line by line in file order.
class checker {
 public:
  explicit checker(checked& c) : c_(c) {}

  // One line that is not blank or a comment; after: the offset behind it.
  bool line(std::string_view l, std::uint64_t after) {
    if (head_ && !c_.symbols.empty() && fastrecord(l, c_.symbols.back(), r_)) return take();
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
      return tokenrecord(w, c_.symbols.back(), r_) && take();
    }
    return false;
  }

  [[nodiscard]] bool head() const { return head_; }

 private:
  // Counts the record in r_ for the open symbol: after the previous one in key order.
  bool take() {
    symbol& s = c_.symbols.back();
    if (s.count > 0 && !(previous_ < r_.keys)) return false;
    previous_ = r_.keys;
    ++s.count;
    return true;
  }

  checked& c_;
  bool head_ = false;
  record r_;
  std::array<std::int32_t, maxdim> previous_{};
  std::vector<linetokens::token> words_;
};

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

}  // namespace zlmvrk
