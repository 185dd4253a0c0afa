// String utilities on short strings and heap strings.
#include "frame/strutilx.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace strutilx {

namespace {

constexpr std::size_t maxlen = q5rt::sstr::capacity;

int pos_of(std::size_t index) { return static_cast<int>(index) + 1; }

int ubyte(char c) { return static_cast<unsigned char>(c); }

bool isdigit09(char c) { return c >= '0' && c <= '9'; }

// The first position at or after from (1-based) whose character matches; 0 if none.
template <typename Match>
int first_match(std::string_view s, int from, Match match) {
  for (std::size_t i = static_cast<std::size_t>(std::max(from, 1)) - 1; i < s.size(); ++i)
    if (match(s[i])) return pos_of(i);
  return 0;
}

// The last position at or before upto (1-based) whose character matches; 0 if none.
template <typename Match>
int last_match(std::string_view s, std::size_t upto, Match match) {
  for (std::size_t i = std::min(upto, s.size()); i > 0; --i)
    if (match(s[i - 1])) return pos_of(i - 1);
  return 0;
}

template <typename Match>
int last_match_from(std::string_view s, int start, Match match) {
  return start <= 0 ? 0 : last_match(s, static_cast<std::size_t>(start), match);
}

auto equals(char c) {
  return [c](char x) { return x == c; };
}
auto equals_upper(char c) {
  return [u = detail::upcase(c)](char x) { return detail::upcase(x) == u; };
}

// Compares over the common length with the folded bytes, then by length.
template <typename Fold>
int compare(std::string_view a, std::string_view b, Fold fold) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int ca = ubyte(fold(a[i]));
    const int cb = ubyte(fold(b[i]));
    if (ca != cb) return ca - cb;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

char same(char c) { return c; }

// nullptr sorts first; two blocks compare by their texts.
template <typename Compare>
int compare_heap(const heapblock* a, const heapblock* b, Compare cmp) {
  if (a == nullptr) return b == nullptr ? 0 : -1;
  if (b == nullptr) return 1;
  return cmp(getview(a), getview(b));
}

template <typename Equal>
bool equal_heap(const heapblock* a, const heapblock* b, Equal eq) {
  if (a == nullptr || b == nullptr) return a == b;
  return eq(getview(a), getview(b));
}

template <typename Map>
q5rt::sstr map_chars(std::string_view s, Map map) {
  q5rt::sstr out;
  for (char c : s.substr(0, std::min(s.size(), maxlen))) out.append_cut(map(c));
  return out;
}

std::size_t stem_length(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && isdigit09(s[n - 1])) --n;
  return n;
}

// Appends n blanks (n may be negative: nothing).
void append_blanks(q5rt::sstr& out, int n) {
  for (; n > 0 && out.size() < maxlen; --n) out.append_cut(' ');
}

// Delimiters of the Unix file-name style, the only style this program is built with.
constexpr char pathdelim = '/';
constexpr char drivedelim = '\0';  // the Unix style has no drive letters
constexpr charset extension_delims{"/."};
constexpr charset path_delims{std::string_view("/\0", 2)};
constexpr charset trailing_delims{"/"};

int extension_dot(std::string_view name) {
  const int i = rchsetpos(extension_delims, name);
  return i > 0 && name[static_cast<std::size_t>(i) - 1] == '.' ? i : 0;
}

}  // namespace

void startup() { blanks255 = fillstr(' ', 255); }

namespace {
q5rt::unit_registration reg{"strutilx", &startup, nullptr};
}  // namespace

// ---- heap strings ----

pstring newstring(std::string_view s) {
  if (s.empty()) return nullptr;
  const std::size_t len = std::min(s.size(), maxlen);
  auto* block = static_cast<unsigned char*>(::operator new(len + 1));
  block[0] = static_cast<unsigned char>(len);
  std::memcpy(block + 1, s.data(), len);
  return reinterpret_cast<pstring>(block);
}

void disposestring(pstring p) {
  if (p == nullptr) return;
  auto* block = reinterpret_cast<unsigned char*>(p);
  ::operator delete (block, std::size_t{block[0]} + 1);
}

std::string_view getview(const heapblock* p) {
  if (p == nullptr) return {};
  const auto* block = reinterpret_cast<const unsigned char*>(p);
  return {reinterpret_cast<const char*>(block + 1), block[0]};
}

q5rt::sstr getstring(const heapblock* p) { return q5rt::sstr::cut(getview(p)); }

void strassign(pstring& p, std::string_view s) {
  disposestring(p);
  p = newstring(s);
}

pstring newstringm(std::string_view s, std::int64_t& counter) {
  pstring p = newstring(s);
  if (p != nullptr) counter += static_cast<std::int64_t>(getview(p).size()) + 1;
  return p;
}

void disposestringm(pstring p, std::int64_t& counter) {
  if (p == nullptr) return;
  counter -= static_cast<std::int64_t>(getview(p).size()) + 1;
  disposestring(p);
}

void strassignm(pstring& p, std::string_view s, std::int64_t& counter) {
  disposestringm(p, counter);
  p = newstringm(s, counter);
}

// ---- comparison ----

int strcmp(std::string_view a, std::string_view b) { return compare(a, b, same); }
int strucmp(std::string_view a, std::string_view b) { return compare(a, b, detail::upcase); }
int pstrcmp(const heapblock* a, const heapblock* b) { return compare_heap(a, b, strcmp); }
int pstrucmp(const heapblock* a, const heapblock* b) { return compare_heap(a, b, strucmp); }

bool strequal(std::string_view a, std::string_view b) { return a == b; }
bool struequal(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strucmp(a, b) == 0;
}
bool pstrequal(const heapblock* a, const heapblock* b) { return equal_heap(a, b, strequal); }
bool pstruequal(const heapblock* a, const heapblock* b) { return equal_heap(a, b, struequal); }

int strucmpnum(std::string_view a, std::string_view b) {
  const std::size_t stem_a = stem_length(a);
  const std::size_t stem_b = stem_length(b);
  const std::size_t common = std::min(stem_a, stem_b);
  if (const int c = strucmp(a.substr(0, common), b.substr(0, common)); c != 0) return c;
  if (stem_a != stem_b) return static_cast<int>(stem_a) - static_cast<int>(stem_b);
  // Equal stems: the digit runs right-aligned, blanks in front of the shorter.
  const std::string_view da = a.substr(stem_a);
  const std::string_view db = b.substr(stem_b);
  const std::size_t width = std::max(da.size(), db.size());
  const std::size_t pad_a = width - da.size();
  const std::size_t pad_b = width - db.size();
  for (std::size_t i = 0; i < width; ++i) {
    const int ca = i < pad_a ? ' ' : ubyte(da[i - pad_a]);
    const int cb = i < pad_b ? ' ' : ubyte(db[i - pad_b]);
    if (ca != cb) return ca - cb;
  }
  return 0;
}

// ---- search ----

int lchpos(char c, std::string_view s) { return first_match(s, 1, equals(c)); }
int lchpossp(char c, std::string_view s, int start) { return first_match(s, start, equals(c)); }
int rchpos(char c, std::string_view s) { return last_match(s, s.size(), equals(c)); }
int rchpossp(char c, std::string_view s, int start) { return last_match_from(s, start, equals(c)); }
int lchupos(char c, std::string_view s) { return first_match(s, 1, equals_upper(c)); }
int lchupossp(char c, std::string_view s, int start) {
  return first_match(s, start, equals_upper(c));
}
int rchupos(char c, std::string_view s) { return last_match(s, s.size(), equals_upper(c)); }
int rchupossp(char c, std::string_view s, int start) {
  return last_match_from(s, start, equals_upper(c));
}

int lchsetpos(const charset& set, std::string_view s) {
  return first_match(s, 1, [&set](char x) { return set.contains(x); });
}
int rchsetpos(const charset& set, std::string_view s) {
  return last_match(s, s.size(), [&set](char x) { return set.contains(x); });
}

int lstrpos(std::string_view sub, std::string_view s) {
  if (sub.empty() || sub.size() > s.size()) return 0;
  return lstrpossp(sub, s, 1);
}

int lstrpossp(std::string_view sub, std::string_view s, int start) {
  if (sub.empty() || s.empty() || start < 1) return 0;
  const auto from = static_cast<std::size_t>(start) - 1;
  if (from + sub.size() > s.size()) return 0;
  const std::size_t found = s.find(sub, from);
  return found == std::string_view::npos ? 0 : pos_of(found);
}

// ---- case ----

char lowcase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
q5rt::sstr uppercase(std::string_view s) { return map_chars(s, detail::upcase); }
q5rt::sstr lowercase(std::string_view s) { return map_chars(s, lowcase); }

// ---- changing and building text ----

q5rt::sstr replacechar(const charset& set, char c, std::string_view s) {
  return map_chars(s, [&set, c](char x) { return set.contains(x) ? c : x; });
}

q5rt::sstr deletechar(const charset& set, std::string_view s) {
  q5rt::sstr out;
  for (char x : s)
    if (!set.contains(x)) out.append_cut(x);
  return out;
}

q5rt::sstr replacestr(std::string_view oldtext, std::string_view newtext, std::string_view s) {
  if (oldtext.empty() || oldtext == newtext) return q5rt::sstr::cut(s);
  q5rt::sstr out;
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t found = s.find(oldtext, i);
    if (found == std::string_view::npos) break;
    out.append_cut(s.substr(i, found - i));
    out.append_cut(newtext);
    i = found + oldtext.size();
  }
  out.append_cut(s.substr(i));
  return out;
}

q5rt::sstr fillstr(char c, int n) {
  q5rt::sstr out;
  const int count = std::clamp(n, 0, static_cast<int>(maxlen));
  std::fill_n(out.data(), count, c);
  out.set_length(static_cast<std::size_t>(count));
  return out;
}

q5rt::sstr blankstr(int n) { return fillstr(' ', n); }

q5rt::sstr padleft(std::string_view s, int n) {
  const int blanks = std::min(n, static_cast<int>(maxlen)) - static_cast<int>(s.size());
  if (blanks <= 0) return q5rt::sstr::cut(s);
  q5rt::sstr out = blankstr(blanks);
  out.append_cut(s);
  return out;
}

q5rt::sstr padright(std::string_view s, int n) {
  q5rt::sstr out = q5rt::sstr::cut(s);
  append_blanks(out, n - static_cast<int>(s.size()));
  return out;
}

int padmodlength(std::string_view s, int n) {
  const int len = static_cast<int>(s.size());
  if (n <= 0) return len;
  return (len + n - 1) / n * n;
}

q5rt::sstr padrightmod(std::string_view s, int n) { return padright(s, padmodlength(s, n)); }

q5rt::sstr extracttoken(std::string_view s, int& pos) {
  q5rt::sstr token;
  const int len = static_cast<int>(s.size());
  if (pos < 1 || pos > len) return token;
  auto at = [&s](int p) { return s[static_cast<std::size_t>(p) - 1]; };
  while (pos <= len && at(pos) == ' ') ++pos;
  if (pos > len) return token;
  char delim = ' ';
  if (at(pos) == '\'' || at(pos) == '"') delim = at(pos++);
  const int start = pos;
  while (pos <= len && at(pos) != delim) ++pos;
  token.assign_cut(
      s.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(pos - start)));
  if (pos <= len) ++pos;  // past the closing delimiter
  return token;
}

// ---- file-name pieces ----

q5rt::sstr extractfileextex(std::string_view name) {
  const int dot = extension_dot(name);
  return dot > 0 ? q5rt::sstr::cut(name.substr(static_cast<std::size_t>(dot) - 1)) : q5rt::sstr{};
}

q5rt::sstr changefileextex(std::string_view name, std::string_view ext) {
  const int dot = extension_dot(name);
  const std::string_view base = dot > 0 ? name.substr(0, static_cast<std::size_t>(dot) - 1) : name;
  return q5rt::concat(base, ext);
}

q5rt::sstr completefileextex(std::string_view name, std::string_view ext) {
  return extension_dot(name) > 0 ? q5rt::sstr::cut(name) : q5rt::concat(name, ext);
}

q5rt::sstr extractfilepathex(std::string_view name) {
  return q5rt::sstr::cut(name.substr(0, static_cast<std::size_t>(rchsetpos(path_delims, name))));
}

q5rt::sstr extractfilenameex(std::string_view name) {
  return q5rt::sstr::cut(name.substr(static_cast<std::size_t>(rchsetpos(path_delims, name))));
}

q5rt::sstr extractfiledirex(std::string_view name) {
  auto c = static_cast<std::size_t>(rchsetpos(path_delims, name));
  // Drop the delimiter itself unless it follows another delimiter (keeps "/" and "a//").
  if (c > 1 && trailing_delims.contains(name[c - 1]) && !trailing_delims.contains(name[c - 2]) &&
      name[c - 2] != drivedelim)
    --c;
  return q5rt::sstr::cut(name.substr(0, c));
}

q5rt::sstr includetrailingpathdelimiterex(std::string_view name) {
  if (!name.empty() && trailing_delims.contains(name.back())) return q5rt::sstr::cut(name);
  q5rt::sstr out = q5rt::sstr::cut(name);
  out.append_cut(pathdelim);
  return out;
}

q5rt::sstr excludetrailingpathdelimiterex(std::string_view name) {
  if (!name.empty() && trailing_delims.contains(name.back())) name.remove_suffix(1);
  return q5rt::sstr::cut(name);
}

// ---- byte-order marks and short paths ----

bool checkbomoffset(std::string_view bytes, int& offset, q5rt::sstr& message) {
  using namespace std::string_view_literals;
  offset = 0;
  message.clear();
  if (bytes.starts_with("\xEF\xBB\xBF"sv)) {
    offset = 3;
    return true;
  }
  if (bytes.starts_with("\xEF"sv)) return true;
  constexpr std::string_view encodings[] = {"UTF8", "UTF16BE", "UTF16LE", "UTF32BE"};
  std::string_view found;
  if (bytes.starts_with("\xFE\xFF"sv))
    found = encodings[1];
  else if (bytes.starts_with("\xFF\xFE"sv))
    found = encodings[2];  // also the UTF-32 little-endian mark FF FE 00 00
  else if (bytes.starts_with("\0\0\xFE\xFF"sv))
    found = encodings[3];
  if (found.empty()) return true;
  message = q5rt::concat(found, " BOM detected. This is an unsupported encoding.");
  return false;
}

namespace detail {

q5rt::sstr checkshortpath(std::string_view answer) {
  constexpr std::string_view ending = " (maybe 8.3 form is disabled)";
  if (std::any_of(answer.begin(), answer.end(), [](char c) { return ubyte(c) >= 128; }))
    throw q5rt::exception(q5rt::concat(
        "Problem extracting short path, result contains extended ASCII codes: ", answer, ending));
  if (answer.find(' ') != std::string_view::npos)
    throw q5rt::exception(
        q5rt::concat("Problem extracting short path, result contains spaces: ", answer, ending));
  return q5rt::sstr::cut(answer);
}

}  // namespace detail

q5rt::sstr extractshortpathnameexcept(std::string_view /*name*/) {
  // This platform has no short path form: the answer is always empty.
  return detail::checkshortpath({});
}

}  // namespace strutilx
