// The data-exchange stand-in's model: writing, reading and the file's text.
#include "standins/zlmvrk/vrkmodel.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "standins/common/linetokens.h"

namespace zlmvrk {

namespace {

constexpr std::string_view magic = "zlmvrk";
constexpr int fileversion = 1;

std::string lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

bool hasbothquotes(std::string_view s) {
  return s.find('"') != std::string_view::npos && s.find('\'') != std::string_view::npos;
}

// A text in the quotes it does not contain.
std::string quoted(std::string_view s) {
  const char q = s.find('"') == std::string_view::npos ? '"' : '\'';
  std::string r(1, q);
  r += s;
  r += q;
  return r;
}

// A record line's plain form "record k1 .. kd : v1 .. vn" (single blanks, numbers or
// special-value names), read without splitting the line into tokens. False for any
// other form, which the general reader then takes.
bool fastrecord(std::string_view line, const symbol& s, record& r) {
  constexpr std::string_view lead = "record ";
  if (!line.starts_with(lead)) return false;
  const char* p = line.data() + lead.size();
  const char* const end = line.data() + line.size();
  r.keys.resize(static_cast<std::size_t>(s.dim));
  for (std::int32_t& k : r.keys) {
    const auto [q, ec] = std::from_chars(p, end, k);
    if (ec != std::errc() || q == end || *q != ' ' || k < 1) return false;
    p = q + 1;
  }
  if (end - p < 2 || p[0] != ':' || p[1] != ' ') return false;
  p += 2;
  const int n = valuecount(s.type);
  for (int k = 0; k < n; ++k) {
    const char* stop = std::find(p, end, ' ');
    const std::string_view t(p, static_cast<std::size_t>(stop - p));
    const auto i = static_cast<std::size_t>(k);
    const auto sp = std::find(specialtexts.begin(), specialtexts.end(), t);
    if (sp != specialtexts.end()) {
      r.special[i] = static_cast<std::int8_t>(sp - specialtexts.begin());
    } else {
      const auto [q, ec] = std::from_chars(p, stop, r.values[i]);
      if (ec != std::errc() || q != stop) return false;
    }
    if (k + 1 < n && stop == end) return false;
    p = stop == end ? end : stop + 1;
  }
  return p == end && line.back() != ' ';
}

}  // namespace

std::string errortext(int nr) {
  switch (nr) {
    case noerror:
      return "No error";
    case cannotwrite:
      return "File cannot be opened for writing";
    case cannotread:
      return "File cannot be opened for reading";
    case badfile:
      return "File is not a zlmvrk file or is damaged";
    case outoforder:
      return "Call out of order";
    case badsymbolnr:
      return "Bad symbol number";
    case baddimension:
      return "Bad dimension";
    case badsymboltype:
      return "Bad symbol type";
    case badlabelnr:
      return "Label number below 1";
    case duplicatekey:
      return "Duplicate key in symbol";
    case duplicatelabel:
      return "Duplicate label";
    case writefailed:
      return "Write failed";
    case badsymbolname:
      return "Bad or duplicate symbol name";
    case bothquotes:
      return "Text holds both quote characters";
    default:
      return "Unknown error number " + std::to_string(nr);
  }
}

int valuecount(int type) { return type == 2 || type == 3 ? 5 : 1; }

vrkfile::~vrkfile() {
  if (out_ != nullptr) std::fclose(out_);
}

bool vrkfile::fail(int nr) {
  ++errorcount_;
  lasterror_ = nr;
  return false;
}

int vrkfile::takelasterror() {
  const int r = lasterror_;
  lasterror_ = 0;
  return r;
}

// ---- special values ----

void vrkfile::setspecials(const double* v) {
  std::copy_n(v, specialcount, write_.begin());
  read_ = write_;
}

void vrkfile::setreadspecials(const double* v) { std::copy_n(v, specialcount, read_.begin()); }

void vrkfile::resetspecials() { write_ = read_ = defaultspecials; }

std::string vrkfile::valuetext(double v) const {
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : std::string("NA");
}

// ---- opening and closing ----

int vrkfile::openwrite(const std::string& path, std::string_view producer) {
  if (mode_ != mode::closed) return fail(outoforder), outoforder;
  out_ = std::fopen(path.c_str(), "wb");
  if (out_ == nullptr) return fail(cannotwrite), cannotwrite;
  producer_.assign(producer);
  if (hasbothquotes(producer_)) producer_.clear();
  labels_.clear();
  symbols_.clear();
  mode_ = mode::writing;
  return noerror;
}

int vrkfile::openread(const std::string& path) {
  if (mode_ != mode::closed) return fail(outoforder), outoforder;
  std::string data, why;
  if (!linetokens::readfile(path, data, why)) return fail(cannotread), cannotread;
  return parse(data, path);
}

int vrkfile::parse(std::string_view data, std::string_view) {
  std::vector<std::string> labels;
  std::vector<symbol> symbols;
  std::vector<linetokens::token> w;
  bool head = false;
  // The records of each symbol, counted first: each symbol's records are one block.
  std::vector<std::size_t> counts;
  (void)linetokens::eachline(data, [&](int, std::string_view line) {
    if (line.starts_with("symbol")) counts.push_back(0);
    if (line.starts_with("record") && !counts.empty()) ++counts.back();
    return true;
  });
  const bool ok = linetokens::eachline(data, [&](int, std::string_view line) {
    if (head && !symbols.empty()) {
      symbol& s = symbols.back();
      record r;
      if (fastrecord(line, s, r)) {
        if (!s.records.empty() && !(s.records.back().keys < r.keys)) return false;  // sorted
        s.records.push_back(std::move(r));
        return true;
      }
    }
    std::string why;
    if (!linetokens::split(line, w, why)) return false;
    const std::string& key = w[0].text;
    if (!head) {  // zlmvrk <version> <producer>
      std::int32_t v = 0;
      head = w.size() == 3 && key == magic && linetokens::toint(w[1].text, v) && v == fileversion;
      producer_ = head ? w[2].text : std::string();
      return head;
    }
    if (key == "label" && w.size() == 2) {
      labels.push_back(w[1].text);
      return true;
    }
    if (key == "symbol" && w.size() == 6) {  // symbol <name> <dim> <type> <userinfo> <text>
      symbol s;
      s.name = w[1].text;
      s.text = w[5].text;
      return linetokens::toint(w[2].text, s.dim) && s.dim >= 0 && s.dim <= maxdim &&
             linetokens::toint(w[3].text, s.type) && s.type >= 0 && s.type <= 3 &&
             linetokens::toint(w[4].text, s.userinfo) &&
             (s.records.reserve(symbols.size() < counts.size() ? counts[symbols.size()] : 0),
              symbols.push_back(std::move(s)), true);
    }
    if (key == "record" && !symbols.empty()) {  // record <keys> : <values>
      symbol& s = symbols.back();
      const std::size_t dim = static_cast<std::size_t>(s.dim);
      const std::size_t n = static_cast<std::size_t>(valuecount(s.type));
      if (w.size() != 1 + dim + 1 + n || w[1 + dim].text != ":") return false;
      record r;
      for (std::size_t k = 0; k < dim; ++k) {
        std::int32_t u = 0;
        if (!linetokens::toint(w[1 + k].text, u) || u < 1) return false;
        r.keys.push_back(u);
      }
      if (!s.records.empty() && !(s.records.back().keys < r.keys)) return false;  // sorted, unique
      for (std::size_t k = 0; k < n; ++k) {
        const std::string& t = w[2 + dim + k].text;
        const auto sp = std::find(specialtexts.begin(), specialtexts.end(), t);
        if (sp != specialtexts.end())
          r.special[k] = static_cast<std::int8_t>(sp - specialtexts.begin());
        else if (!linetokens::todouble(t, r.values[k]))
          return false;
      }
      s.records.push_back(std::move(r));
      return true;
    }
    return false;
  });
  if (!ok || !head) return fail(badfile), badfile;
  labels_ = std::move(labels);
  symbols_ = std::move(symbols);
  mode_ = mode::reading;
  return noerror;
}

int vrkfile::close() {
  if (mode_ == mode::writingsymbol) (void)writedone();
  const bool writing = out_ != nullptr;
  mode_ = mode::closed;
  reading_ = nullptr;
  if (!writing) return noerror;
  std::string text =
      std::string(magic) + " " + std::to_string(fileversion) + " " + quoted(producer_) + "\n";
  for (const std::string& l : labels_) text += "label " + quoted(l) + "\n";
  for (const symbol& s : symbols_) {
    text += "symbol " + quoted(s.name) + " " + std::to_string(s.dim) + " " +
            std::to_string(s.type) + " " + std::to_string(s.userinfo) + " " + quoted(s.text) + "\n";
    for (const record& r : s.records) {
      text += "record";
      for (std::int32_t k : r.keys) text += " " + std::to_string(k);
      text += " :";
      for (int k = 0; k < valuecount(s.type); ++k) {
        const auto i = static_cast<std::size_t>(k);
        text += " ";
        text += r.special[i] >= 0
                    ? std::string(specialtexts[static_cast<std::size_t>(r.special[i])])
                    : valuetext(r.values[i]);
      }
      text += "\n";
    }
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), out_) == text.size();
  const bool closed = std::fclose(out_) == 0;
  out_ = nullptr;
  if (written && closed) return noerror;
  return fail(writefailed), writefailed;
}

// ---- labels ----

bool vrkfile::uelregisterstart() {
  if (mode_ != mode::writing) return fail(outoforder);
  mode_ = mode::registering;
  return true;
}

bool vrkfile::uelregister(std::string_view label) {
  if (mode_ != mode::registering) return fail(outoforder);
  if (hasbothquotes(label)) return fail(bothquotes);
  const std::string l = lower(label);
  if (std::any_of(labels_.begin(), labels_.end(),
                  [&](const std::string& x) { return lower(x) == l; }))
    return fail(duplicatelabel);
  labels_.emplace_back(label);
  return true;
}

bool vrkfile::uelregisterdone() {
  if (mode_ != mode::registering) return fail(outoforder);
  mode_ = mode::writing;
  return true;
}

const std::string* vrkfile::label(int nr) const {
  return nr >= 1 && nr <= labelcount() ? &labels_[static_cast<std::size_t>(nr - 1)] : nullptr;
}

// ---- writing ----

bool vrkfile::writestart(std::string_view name, std::string_view text, int dim, int type,
                         int userinfo) {
  if (mode_ != mode::writing) return fail(outoforder);
  if (dim < 0 || dim > maxdim) return fail(baddimension);
  if (type < 0 || type > 3) return fail(badsymboltype);
  if (name.empty() || name == "*" || findsymbol(name) > 0) return fail(badsymbolname);
  if (hasbothquotes(name) || hasbothquotes(text)) return fail(bothquotes);
  symbols_.push_back({std::string(name), std::string(text), dim, type, userinfo, {}});
  mode_ = mode::writingsymbol;
  return true;
}

bool vrkfile::writerecord(const std::int32_t* keys, const double* values) {
  if (mode_ != mode::writingsymbol) return fail(outoforder);
  symbol& s = symbols_.back();
  record r;
  for (int k = 0; k < s.dim; ++k) {
    if (keys == nullptr || keys[k] < 1) return fail(badlabelnr);
    r.keys.push_back(keys[k]);
  }
  for (std::size_t k = 0; values != nullptr && k < static_cast<std::size_t>(valuecount(s.type));
       ++k) {
    const double v = values[k];
    const auto sp = std::find(write_.begin(), write_.end(), v);
    if (sp != write_.end())
      r.special[k] = static_cast<std::int8_t>(sp - write_.begin());
    else if (std::isnan(v))
      r.special[k] = 1;  // NA
    else if (std::isinf(v))
      r.special[k] = v > 0 ? 2 : 3;
    else
      r.values[k] = v;
  }
  s.records.push_back(std::move(r));
  return true;
}

bool vrkfile::writedone() {
  if (mode_ != mode::writingsymbol) return fail(outoforder);
  mode_ = mode::writing;
  auto& recs = symbols_.back().records;
  std::stable_sort(recs.begin(), recs.end(),
                   [](const record& a, const record& b) { return a.keys < b.keys; });
  const auto dup = std::adjacent_find(
      recs.begin(), recs.end(), [](const record& a, const record& b) { return a.keys == b.keys; });
  if (dup == recs.end()) return true;
  recs.erase(std::unique(recs.begin(), recs.end(),
                         [](const record& a, const record& b) { return a.keys == b.keys; }),
             recs.end());  // the first record of a key stays
  return fail(duplicatekey);
}

// ---- reading ----

int vrkfile::findsymbol(std::string_view name) const {
  if (name == "*") return 0;
  const std::string l = lower(name);
  for (std::size_t k = 0; k < symbols_.size(); ++k)
    if (lower(symbols_[k].name) == l) return static_cast<int>(k) + 1;
  return -1;
}

const symbol* vrkfile::symbolat(int nr) {
  if (nr == 0) {  // the universe, built from the labels on demand
    universe_ = {"*", "Universe", 1, 0, 0, {}};
    for (int k = 1; k <= labelcount(); ++k)
      universe_.records.push_back({{k}, {}, {-1, -1, -1, -1, -1}});
    return &universe_;
  }
  return nr >= 1 && nr <= symbolcount() ? &symbols_[static_cast<std::size_t>(nr - 1)] : nullptr;
}

bool vrkfile::readstart(int nr, int& count) {
  count = 0;
  if (mode_ != mode::reading) return fail(outoforder);
  reading_ = symbolat(nr);
  if (reading_ == nullptr) return fail(badsymbolnr);
  count = static_cast<int>(reading_->records.size());
  next_ = 0;
  previous_.clear();
  mode_ = mode::readingsymbol;
  return true;
}

void vrkfile::deliver(const record& r, std::int32_t* keys, double* values) const {
  if (keys != nullptr) std::copy(r.keys.begin(), r.keys.end(), keys);
  for (std::size_t k = 0;
       values != nullptr && k < static_cast<std::size_t>(valuecount(reading_->type)); ++k)
    values[k] = r.special[k] >= 0 ? read_[static_cast<std::size_t>(r.special[k])] : r.values[k];
}

bool vrkfile::readrecord(std::int32_t* keys, double* values, int& dimfirst) {
  dimfirst = 0;
  if (mode_ != mode::readingsymbol) return fail(outoforder);
  if (next_ >= reading_->records.size()) return false;
  const record& r = reading_->records[next_++];
  deliver(r, keys, values);
  std::size_t k = 0;
  while (k < r.keys.size() && k < previous_.size() && r.keys[k] == previous_[k]) ++k;
  dimfirst = previous_.empty() ? 1 : static_cast<int>(k) + 1;
  previous_ = r.keys;
  return true;
}

bool vrkfile::readdone() {
  if (mode_ != mode::readingsymbol) return fail(outoforder);
  mode_ = mode::reading;
  reading_ = nullptr;
  return true;
}

int vrkfile::currentdim() const { return reading_ != nullptr ? reading_->dim : 0; }

}  // namespace zlmvrk
