// The dictionary stand-in's model and its file reader.
#include "standins/zlmdct/dictmodel.h"

#include <algorithm>

#include "standins/common/linetokens.h"

namespace zlmdct {

namespace {

std::string lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalfolded(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return fold(x) == fold(y); });
}

// Spreads the bits of h over all 64 (the finaliser of MurmurHash3).
std::uint64_t mix(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ULL;
  return h ^ (h >> 33);
}

// FNV-1a over the ASCII-folded text.
std::uint64_t foldedhash(std::string_view text) {
  std::uint64_t h = 0xcbf29ce484222325ULL;
  for (char c : text) h = (h ^ static_cast<unsigned char>(fold(c))) * 0x100000001b3ULL;
  return mix(h);
}

std::uint64_t memberhash(int sym, const std::int32_t* uels, std::size_t dim) {
  std::uint64_t h = mix(static_cast<std::uint32_t>(sym));
  for (std::size_t k = 0; k < dim; ++k) h = mix(h ^ static_cast<std::uint32_t>(uels[k]));
  return h;
}

int lookup(const std::unordered_map<std::string, int>& map, std::string_view key) {
  const auto it = map.find(lower(key));
  return it == map.end() ? 0 : it->second;
}

bool matches(const member& m, const std::int32_t* filter) {
  for (std::size_t k = 0; k < m.uels.size(); ++k)
    if (filter[k] != 0 && filter[k] != m.uels[k]) return false;
  return true;
}

}  // namespace

// ---- the flat index ----

void flatindex::clear() {
  slots_.clear();
  used_ = 0;
}

void flatindex::insert(std::uint64_t hash, int entry) {
  if (2 * (used_ + 1) > slots_.size()) {
    std::vector<slot> old(std::max<std::size_t>(16, 2 * slots_.size()));
    old.swap(slots_);
    used_ = 0;
    for (const slot& s : old)
      if (s.entry >= 0) insert(s.tag, s.entry);
  }
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  while (slots_[i].entry >= 0) i = (i + 1) & mask;
  slots_[i] = {tag(hash), entry};
  ++used_;
}

// ---- queries ----

int dictionary::labelindex(std::string_view text) const {
  const int found = labelindex_.find(foldedhash(text), [&](int nr) {
    return equalfolded(labels_[static_cast<std::size_t>(nr - 1)].text, text);
  });
  return found < 0 ? 0 : found;
}

const label* dictionary::labelat(int nr) const {
  return nr >= 1 && nr <= labelcount() ? &labels_[static_cast<std::size_t>(nr - 1)] : nullptr;
}

int dictionary::symbolindex(std::string_view name) const { return lookup(symbolmap_, name); }

const symbol* dictionary::symbolat(int nr) const {
  return nr >= 1 && nr <= symbolcount() ? &symbols_[static_cast<std::size_t>(nr - 1)] : nullptr;
}

const member* dictionary::row(int nr) const {
  return nr >= 0 && nr < rowcount() ? &rows_[static_cast<std::size_t>(nr)] : nullptr;
}

const member* dictionary::col(int nr) const {
  return nr >= 0 && nr < colcount() ? &cols_[static_cast<std::size_t>(nr)] : nullptr;
}

int dictionary::largestdim() const {
  int d = 0;
  for (const symbol& s : symbols_) d = std::max(d, s.dim);
  return d;
}

int dictionary::indexof(int sym, const std::int32_t* uels) const {
  const symbol* s = symbolat(sym);
  if (s == nullptr || uels == nullptr) return -1;
  return findmember(sym, *s, uels);
}

int dictionary::findmember(int sym, const symbol& s, const std::int32_t* uels) const {
  const auto& all = s.type == equationtype ? rows_ : cols_;
  return memberindex_.find(memberhash(sym, uels, static_cast<std::size_t>(s.dim)), [&](int nr) {
    const auto k = static_cast<std::size_t>(nr);
    return k < all.size() && all[k].sym == sym &&
           std::equal(all[k].uels.begin(), all[k].uels.end(), uels);
  });
}

std::size_t dictionary::memoryused() const {
  std::size_t n = sizeof *this;
  for (const label& l : labels_) n += sizeof l + l.text.size();
  for (const symbol& s : symbols_)
    n += sizeof s + s.name.size() + s.text.size() + 4 * s.members.size();
  n +=
      (rows_.size() + cols_.size()) * (sizeof(member) + 4 * static_cast<std::size_t>(largestdim()));
  return n;
}

// ---- searches ----

search* dictionary::findfirst(int sym, const std::int32_t* filter, int& first) {
  auto s = std::make_unique<search>();
  if (const symbol* sy = symbolat(sym)) {
    const auto& all = sy->type == equationtype ? rows_ : cols_;
    for (int k : sy->members)
      if (filter == nullptr || matches(all[static_cast<std::size_t>(k)], filter))
        s->matches.push_back(k);
  }
  searches_.push_back(std::move(s));
  search* result = searches_.back().get();
  if (!findnext(result, first)) first = -1;
  return result;
}

bool dictionary::findnext(search* s, int& next) {
  const auto it =
      std::find_if(searches_.begin(), searches_.end(), [&](const auto& p) { return p.get() == s; });
  if (it == searches_.end()) return false;
  next = s->next < s->matches.size() ? s->matches[s->next++] : -1;
  return true;
}

void dictionary::close(search* s) {
  std::erase_if(searches_, [&](const auto& p) { return p.get() == s; });
}

// ---- building ----

void dictionary::clear() {
  labels_.clear();
  labelindex_.clear();
  symbols_.clear();
  symbolmap_.clear();
  rows_.clear();
  cols_.clear();
  memberindex_.clear();
  domainnames_.clear();
}

void dictionary::adduel(std::string_view text, char quote) {
  // A label given twice keeps its first number.
  const bool known = labelindex(text) != 0;
  labels_.push_back({std::string(text), quote == '\'' || quote == '"' ? quote : ' '});
  if (!known) labelindex_.insert(foldedhash(text), labelcount());
}

void dictionary::addsymbol(std::string_view name, int type, int dim, int userinfo,
                           std::string_view text) {
  symbol s;
  s.name.assign(name);
  s.type = type;
  s.dim = std::clamp(dim, 0, maxdim);
  s.userinfo = userinfo;
  s.text.assign(text);
  s.domains.assign(static_cast<std::size_t>(s.dim), "*");
  symbols_.push_back(std::move(s));
  symbolmap_.emplace(lower(name), symbolcount());
}

bool dictionary::addmember(int sym, const std::vector<int>& uels) {
  symbol* s =
      sym >= 1 && sym <= symbolcount() ? &symbols_[static_cast<std::size_t>(sym - 1)] : nullptr;
  if (s == nullptr || (s->type != variabletype && s->type != equationtype)) return false;
  if (static_cast<int>(uels.size()) != s->dim) return false;
  for (int u : uels)
    if (labelat(u) == nullptr) return false;
  auto& all = s->type == equationtype ? rows_ : cols_;
  // A row or column given twice is found as its first.
  if (findmember(sym, *s, uels.data()) < 0)
    memberindex_.insert(memberhash(sym, uels.data(), uels.size()), static_cast<int>(all.size()));
  s->members.push_back(static_cast<int>(all.size()));
  all.push_back({sym, uels});
  return true;
}

bool dictionary::addsymboldata(const std::int32_t* uels) {
  const symbol* s = symbolat(symbolcount());
  if (s == nullptr || (uels == nullptr && s->dim > 0)) return false;
  return addmember(symbolcount(), std::vector<int>(uels, uels + s->dim));
}

bool dictionary::addsymboldoms(std::string_view name, const std::vector<std::string>& doms,
                               std::string& why) {
  const int nr = symbolindex(name);
  if (nr == 0) {
    why = "unknown symbol \"" + std::string(name) + "\"";
    return false;
  }
  symbol& s = symbols_[static_cast<std::size_t>(nr - 1)];
  if (static_cast<int>(doms.size()) != s.dim) {
    why = "symbol \"" + s.name + "\" has dimension " + std::to_string(s.dim);
    return false;
  }
  s.domains = doms;
  for (const std::string& d : doms)
    if (d != "*" && std::find(domainnames_.begin(), domainnames_.end(), d) == domainnames_.end())
      domainnames_.push_back(d);
  return true;
}

// ---- the file ----

bool dictionary::load(const std::string& path, std::string& why) {
  std::string data;
  if (!linetokens::readfile(path, data, why)) {
    why = "Cannot open dictionary file \"" + path + "\": " + why;
    return false;
  }
  return parse(data, path, why);
}

bool dictionary::parse(std::string_view data, std::string_view name, std::string& why) {
  dictionary d;
  std::vector<linetokens::token> w;
  const auto fail = [&](int nr, const std::string& what) {
    why = std::string(name) + " line " + std::to_string(nr) + ": " + what;
    return false;
  };
  const bool ok = linetokens::eachline(data, [&](int nr, std::string_view line) {
    std::string problem;
    if (!linetokens::split(line, w, problem)) return fail(nr, problem);
    const std::string& key = w[0].text;
    if (w[0].quote == ' ' && key == "label") {
      if (w.size() != 2) return fail(nr, "a label line holds one label");
      if (d.labelindex(w[1].text) != 0)
        return fail(nr, "label \"" + w[1].text + "\" declared twice");
      d.adduel(w[1].text, w[1].quote);
      return true;
    }
    if (w[0].quote == ' ' && key == "symbol") {
      std::int32_t type = 0, dim = 0;
      if (w.size() < 4 || w.size() > 5)
        return fail(nr, "symbol line: symbol <name> <type> <dim> [<text>]");
      if (!linetokens::toint(w[2].text, type))
        return fail(nr, "bad symbol type \"" + w[2].text + "\"");
      if (!linetokens::toint(w[3].text, dim) || dim < 0 || dim > maxdim)
        return fail(nr, "bad dimension \"" + w[3].text + "\" (0 to 20)");
      if (d.symbolindex(w[1].text) != 0)
        return fail(nr, "symbol \"" + w[1].text + "\" declared twice");
      d.addsymbol(w[1].text, type, dim, 0, w.size() == 5 ? w[4].text : std::string());
      if (w.size() == 5 && w[4].quote != ' ') d.symbols_.back().quote = w[4].quote;
      return true;
    }
    if (w[0].quote == ' ' && (key == "row" || key == "col")) {
      if (w.size() < 2) return fail(nr, "a " + key + " line names its symbol");
      const int sym = d.symbolindex(w[1].text);
      if (sym == 0) return fail(nr, "unknown symbol \"" + w[1].text + "\"");
      const symbol& s = *d.symbolat(sym);
      if (s.type != (key == "row" ? equationtype : variabletype))
        return fail(nr, "symbol \"" + s.name + "\" is not " +
                            (key == "row" ? "an equation (type 6)" : "a variable (type 5)"));
      if (static_cast<int>(w.size()) - 2 != s.dim)
        return fail(nr, "symbol \"" + s.name + "\" takes " + std::to_string(s.dim) + " labels");
      std::vector<int> uels;
      for (std::size_t k = 2; k < w.size(); ++k) {
        const int u = d.labelindex(w[k].text);
        if (u == 0) return fail(nr, "unknown label \"" + w[k].text + "\"");
        uels.push_back(u);
      }
      if (d.indexof(sym, uels.data()) >= 0) return fail(nr, key + " declared twice");
      return d.addmember(sym, uels);
    }
    return fail(nr, "unknown keyword \"" + key + "\"");
  });
  if (!ok) return false;
  d.searches_ = std::move(searches_);
  *this = std::move(d);
  return true;
}

}  // namespace zlmdct
