#include "emp/empreader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "emp/miniparser.h"
#include "frame/q5rtnum.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"
#include "instance/zlmspecs.h"

namespace empreader {

namespace {

using miniparser::tminiparser;

bool isletter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool istokenchar(char c) {
  return isletter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == '=' ||
         c == '_';
}
bool isnamechar(char c) { return isletter(c) || (c >= '0' && c <= '9') || c == '=' || c == '_'; }

bool isname(std::string_view t) {
  if (t.empty() || !(t[0] == '=' || isletter(t[0]))) return false;
  for (char c : t.substr(1))
    if (!isnamechar(c)) return false;
  return true;
}

// The longest run of token characters; characters past 255 are dropped.
q5rt::sstr readtoken(tminiparser& p) {
  q5rt::sstr t;
  while (istokenchar(p.ch())) {
    t.append_cut(p.ch());
    p.nextch();
  }
  return t;
}

}  // namespace

std::string_view textstore::add(std::string_view text) {
  if (text.size() > room_) {
    room_ = std::max(blockbytes, text.size());
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(room_));
    next_ = blocks_.back().get();
  }
  char* at = next_;
  next_ = std::copy(text.begin(), text.end(), at);
  room_ -= text.size();
  return {at, text.size()};
}

std::string_view unquoted(std::string_view s) {
  if (s.size() > 1 && (s[0] == '\'' || s[0] == '"')) return s.substr(1, s.size() - 2);
  return s;
}

bool templist::readfile(std::string_view filename, q5rt::sstr& msg) {
  tminiparser p(nullptr, false, {});
  std::int32_t err = 0;
  if (!p.fileopen(filename, err)) {
    msg = q5rt::concat("Error code = ", strutilx::inttostrw(err, 0),
                       " when opening file: ", filename);
    openfailed_ = true;
    return false;
  }
  return read(p, msg);
}

bool templist::readtext(std::string_view data, q5rt::sstr& msg) {
  tminiparser p(nullptr, false, {});
  p.readfromtext(data);
  return read(p, msg);
}

bool templist::read(tminiparser& p, q5rt::sstr& msg) {
  msg.clear();
  bool separator = false;  // a comma may follow the last item
  for (;;) {
    if (!p.nextline()) return true;
    if (p.isinputtoolong()) {
      msg = q5rt::concat("Line number ", strutilx::inttostrw(p.linenumber(), 0),
                         " is too long: the limit is ",
                         strutilx::inttostrw(miniparser::filelinelimit, 0), " characters");
      return false;
    }
    bool more = p.skipbl();
    while (more) {
      if (separator && p.ch() == ',') {
        p.nextch();
        separator = false;
        if (!p.skipbl()) break;
      }
      const std::int32_t line = p.linenumber();
      if (p.ch() == '-') {
        newitem("-", line);
        p.nextch();
        more = p.skipbl();
        continue;
      }
      if (p.ch() == '*') {
        newitem("*", line);
        p.nextch();
      } else if (!readitem(p, msg)) {
        return false;
      }
      separator = true;
      more = p.skipbl();
    }
  }
}

bool templist::readitem(tminiparser& p, q5rt::sstr& msg) {
  const std::int32_t line = p.linenumber();
  const q5rt::sstr token = readtoken(p);
  const bool eps = strutilx::struequal(token.view(), "EPS");
  if (eps || strutilx::struequal(token.view(), "INF") ||
      strutilx::struequal(token.view(), "+INF")) {
    addvalued("=", line, eps ? zlmspecs::valeps : zlmspecs::valpin);
    return true;
  }
  if (isname(token.view())) {
    // An item whose index list fails is dropped with its index texts: they are stored only
    // with the item.
    packed_.assign(token.view());
    std::int32_t dim = 0;
    (void)p.skipbl();
    if (p.ch() == '(') {
      do {
        p.nextch();
        q5rt::sstr index;
        if (!p.nextindex(index)) {
          msg = q5rt::concat("Bad index, saw \"", index, "\"");
          return false;
        }
        packed_.push_back(static_cast<char>(index.size()));
        packed_.append(index.view());
        ++dim;
        (void)p.skipbl();
      } while (p.ch() == ',');
      (void)p.skipbl();
      if (p.ch() != ')') {
        msg = q5rt::sstr::cut("Closing ) missing");
        return false;
      }
      p.nextch();
    }
    newitem(texts_.add(packed_).substr(0, token.size()), line, dim);
    return true;
  }
  const q5rt::sstr text = strutilx::replacechar(strutilx::charset("Dd"), 'E', token.view());
  double value = 0;
  std::int32_t code = 1;
  try {
    q5rt::Q5_Val_dd(text.view(), value, code);
  } catch (const std::exception&) {
    code = 1;
  }
  if (code != 0 || !std::isfinite(value)) {
    const char ch[1] = {p.ch()};
    msg = q5rt::concat("Identifier or number expected, saw Ch = \"", std::string_view(ch, 1),
                       "\" Id = \"", token, "\" at line ", strutilx::inttostrw(p.linenumber(), 0));
    return false;
  }
  addvalued("=", line, value);
  return true;
}

tempitem templist::storeditem::unpacked() const {
  tempitem it({text, namelen}, line);
  it.dim = dim;
  if (valued) std::memcpy(&it.value, text + namelen, sizeof it.value);
  return it;
}

void templist::addvalued(std::string_view name, std::int32_t line, double value) {
  name = name.substr(0, q5rt::sstr::capacity);
  const bool valued = std::bit_cast<std::uint64_t>(value) != 0;
  char packed[q5rt::sstr::capacity + sizeof value];
  std::copy(name.begin(), name.end(), packed);
  std::memcpy(packed + name.size(), &value, sizeof value);
  const std::string_view stored = texts_.add({packed, name.size() + (valued ? sizeof value : 0)});
  items_.push_back({stored.data(), line, 0, static_cast<std::uint8_t>(name.size()), valued});
}

bool templist::copyitem(std::int32_t n, q5rt::sstr& name, std::int32_t& dimension,
                        std::int32_t& line, std::span<q5rt::sstr> indices, double& value,
                        bool unquote) const {
  if (n < 1 || n > static_cast<std::int32_t>(items_.size())) return false;
  const tempitem it = item(n);
  value = it.value;
  name = q5rt::sstr::cut(it.name);
  dimension = it.dimension();
  line = it.line;
  const std::size_t room = std::min(indices.size(), static_cast<std::size_t>(it.dim));
  for (std::size_t k = 0; k < room; ++k) {
    const std::string_view text = index(it, static_cast<std::int32_t>(k));
    indices[k] = q5rt::sstr::cut(unquote ? unquoted(text) : text);
  }
  return true;
}

}  // namespace empreader
