// The data-exchange stand-in's model: writing, reading and the file's text.
#include "standins/zlmvrk/vrkmodel.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "standins/common/linetokens.h"
#include "standins/zlmvrk/vrkcheck.h"
#include "standins/zlmvrk/vrklines.h"

namespace zlmvrk {

namespace {

std::string lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

bool hasbothquotes(std::string_view s) {
  return s.find('"') != std::string_view::npos && s.find('\'') != std::string_view::npos;
}

// Appends a blank and the text in the quotes it does not contain.
void putquoted(std::string& out, std::string_view s) {
  const char q = s.find('"') == std::string_view::npos ? '"' : '\'';
  out += ' ';
  out += q;
  out += s;
  out += q;
}

// Appends a blank and the number's shortest exact text.
template <typename T>
void putnumber(std::string& out, T v) {
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  out += ' ';
  if (ec == std::errc())
    out.append(buf, end);
  else
    out += "NA";
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
  if (!source_.openfile(path)) return fail(cannotread), cannotread;
  checked c;
  return opened(checklines(source_, c), c);
}

int vrkfile::parse(std::string_view data, std::string_view) {
  if (mode_ != mode::closed) return fail(outoforder), outoforder;
  source_.opentext(data);
  checked c;
  return opened(checklines(source_, c), c);
}

// The outcome of the open's check: the labels and symbols become the object's when the
// whole file is sound.
int vrkfile::opened(checkresult result, checked& c) {
  if (c.headread) producer_ = std::move(c.producer);
  if (result != checkresult::sound) {
    source_.close();
    const int e = result == checkresult::unreadable ? cannotread : badfile;
    return fail(e), e;
  }
  labels_ = std::move(c.labels);
  symbols_ = std::move(c.symbols);
  mode_ = mode::reading;
  return noerror;
}

int vrkfile::close() {
  if (mode_ == mode::writingsymbol) (void)writedone();
  const bool writing = out_ != nullptr;
  mode_ = mode::closed;
  reading_ = nullptr;
  source_.close();
  if (!writing) return noerror;
  const bool written = writetext();
  const bool closed = std::fclose(out_) == 0;
  out_ = nullptr;
  if (written && closed) return noerror;
  return fail(writefailed), writefailed;
}

// The file's text, written through a buffer of about a megabyte; false when a write failed.
bool vrkfile::writetext() const {
  constexpr std::size_t chunk = 1 << 20;
  std::string text;
  text.reserve(chunk + 4096);
  bool ok = true;
  const auto flush = [&](std::size_t atleast) {
    if (text.size() < atleast) return;
    ok = std::fwrite(text.data(), 1, text.size(), out_) == text.size() && ok;
    text.clear();
  };
  text += filemagic;
  putnumber(text, fileversion);
  putquoted(text, producer_);
  text += '\n';
  for (const std::string& l : labels_) {
    text += "label";
    putquoted(text, l);
    text += '\n';
  }
  for (const symbol& s : symbols_) {
    text += "symbol";
    putquoted(text, s.name);
    putnumber(text, s.dim);
    putnumber(text, s.type);
    putnumber(text, s.userinfo);
    putquoted(text, s.text);
    text += '\n';
    for (const record& r : s.records) {
      text += "record";
      for (int k = 0; k < s.dim; ++k) putnumber(text, r.keys[static_cast<std::size_t>(k)]);
      text += " :";
      for (int k = 0; k < valuecount(s.type); ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (r.special[i] >= 0) {
          text += ' ';
          text += specialtexts[static_cast<std::size_t>(r.special[i])];
        } else {
          putnumber(text, r.values[i]);
        }
      }
      text += '\n';
      flush(chunk);
    }
  }
  flush(1);
  return ok;
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
  symbol s;
  s.name.assign(name);
  s.text.assign(text);
  s.dim = dim;
  s.type = type;
  s.userinfo = userinfo;
  symbols_.push_back(std::move(s));
  mode_ = mode::writingsymbol;
  return true;
}

bool vrkfile::writerecord(const std::int32_t* keys, const double* values) {
  if (mode_ != mode::writingsymbol) return fail(outoforder);
  symbol& s = symbols_.back();
  record r;
  for (int k = 0; k < s.dim; ++k) {
    if (keys == nullptr || keys[k] < 1) return fail(badlabelnr);
    r.keys[static_cast<std::size_t>(k)] = keys[k];
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
  s.records.push_back(r);
  ++s.count;
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
  symbols_.back().count = recs.size();
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
  if (nr == 0) {  // the universe: one record per label
    universe_.count = static_cast<std::size_t>(labelcount());
    return &universe_;
  }
  return nr >= 1 && nr <= symbolcount() ? &symbols_[static_cast<std::size_t>(nr - 1)] : nullptr;
}

bool vrkfile::readstart(int nr, int& count) {
  count = 0;
  if (mode_ != mode::reading) return fail(outoforder);
  reading_ = symbolat(nr);
  if (reading_ == nullptr) return fail(badsymbolnr);
  count = static_cast<int>(reading_->count);
  next_ = 0;
  if (nr != 0) source_.seek(reading_->offset);
  mode_ = mode::readingsymbol;
  return true;
}

// The next record line of the symbol being read, skipping the label and comment lines
// between its records; false when the file no longer holds the symbol there.
bool vrkfile::nextrecord(record& r) {
  std::string why;
  std::string_view line;
  while (source_.next(line)) {
    if (linetokens::ignorable(line)) continue;
    if (fastrecord(line, *reading_, r)) return true;
    if (!linetokens::split(line, words_, why)) return false;
    if (words_[0].text == "record") return tokenrecord(words_, *reading_, r);
  }
  return false;
}

// Hands the record to the caller: its keys, its values with the special values mapped to
// the reading table, and the first key position that differs from the previous record.
int vrkfile::deliver(const record& r, std::int32_t* keys, double* values) {
  const auto dim = static_cast<std::size_t>(reading_->dim);
  std::size_t first = dim;  // the first key that differs from the previous record's
  for (std::size_t k = 0; k < dim; ++k) {
    const std::int32_t key = r.keys[k];
    if (first == dim && key != previous_[k]) first = k;
    previous_[k] = key;
  }
  if (keys != nullptr) {
    for (std::size_t k = 0; k < dim; ++k) keys[k] = r.keys[k];
  }
  if (values != nullptr) {
    const auto n = static_cast<std::size_t>(valuecount(reading_->type));
    for (std::size_t k = 0; k < n; ++k)
      values[k] = r.special[k] >= 0 ? read_[static_cast<std::size_t>(r.special[k])] : r.values[k];
  }
  return next_ == 0 || dim == 0 ? 1 : static_cast<int>(first) + 1;
}

bool vrkfile::readrecord(std::int32_t* keys, double* values, int& dimfirst) {
  dimfirst = 0;
  if (mode_ != mode::readingsymbol) return fail(outoforder);
  if (next_ >= reading_->count) return false;
  if (reading_ == &universe_) {
    current_ = record{};
    current_.keys[0] = static_cast<std::int32_t>(next_ + 1);
  } else if (!nextrecord(current_)) {
    next_ = reading_->count;  // the file changed since it was opened
    return fail(badfile);
  }
  dimfirst = deliver(current_, keys, values);
  ++next_;
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
