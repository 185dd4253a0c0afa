// Scratch-file handles: opening, the record buffer of the binary layouts, the item
// primitives of both layouts and closing.
#include "instance/gdutils_scratch.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <utility>

#include "frame/gfileopen.h"
#include "frame/q5rtnum.h"
#include "frame/strutilx_numbers.h"
#include "instance/gdutils_vrk.h"
#include "instance/zlmconf.h"
#include "instance/zlmspecs.h"

namespace gdutils {

std::int32_t filebytes::load(std::string_view name) {
  release();
  q5rt::untypedfile f;
  f.assign(name);
  f.reset(1);
  if (const int rc = f.ioresult(); rc != 0) return rc;
  struct stat st {};
  const bool regular = ::fstat(f.handle(), &st) == 0 && S_ISREG(st.st_mode);
  const auto expected = regular ? static_cast<std::size_t>(st.st_size) : 0;
  if (regular && expected > 0) {
    int flags = MAP_PRIVATE;
#ifdef MAP_POPULATE
    flags |= MAP_POPULATE;  // the pages are in the page cache: map them all at once
#endif
    void* map = ::mmap(nullptr, expected, PROT_READ, flags, f.handle(), 0);
    if (map != MAP_FAILED) {
      map_ = map;
      data_ = static_cast<const char*>(map);
      size_ = expected;
      f.close();
      return f.ioresult();
    }
  }
  const std::int32_t rc = readall(f, expected);
  data_ = heap_.get();
  f.close();
  return rc != 0 ? rc : f.ioresult();
}

// Reads to the end into heap_: the buffer takes the expected size plus one byte, so that
// a file of the size it had at the open is read in one go, and grows when the file did.
std::int32_t filebytes::readall(q5rt::untypedfile& f, std::size_t expected) {
  std::size_t capacity = expected + 1;
  heap_.reset(new char[capacity]);           // not value-initialised: the reads fill it
  constexpr std::size_t maxblock = 1 << 30;  // a block read counts in 32 bits
  for (;;) {
    if (size_ == capacity) {
      capacity = 2 * capacity + (1 << 20);
      std::unique_ptr<char[]> larger(new char[capacity]);
      std::memcpy(larger.get(), heap_.get(), size_);
      heap_ = std::move(larger);
    }
    const std::size_t want = std::min(capacity - size_, maxblock);
    std::int32_t done = 0;
    f.blockread(heap_.get() + size_, static_cast<std::int32_t>(want), done);
    size_ += static_cast<std::size_t>(std::max(done, 0));
    if (const int rc = f.ioresult(); rc != 0) return rc;
    if (static_cast<std::size_t>(done) < want) return 0;
  }
}

void filebytes::release() {
  if (map_ != nullptr) (void)::munmap(map_, size_);
  map_ = nullptr;
  heap_.reset();
  data_ = nullptr;
  size_ = 0;
}

namespace {

static_assert(std::endian::native == std::endian::little ||
              std::endian::native == std::endian::big);

// Payload of a record by layout: first and last byte (0-based) and the framing value.
struct framing {
  std::int32_t first;
  std::int32_t last;
};
constexpr framing framingof(std::int32_t layout) {
  switch (layout) {
    case 2:  // 792 in front and behind
      return {4, 795};
    case 3:  // FF, 790 in front; 790, FF behind
      return {5, 794};
    default:  // 1 and 4: all payload
      return {0, recordsize - 1};
  }
}

void putle32(unsigned char* at, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(u >> (8 * i));
}

void setframing(tmodfile& h) {
  const framing f = framingof(h.layout);
  h.first = f.first;
  h.last = f.last;
  h.size = f.last - f.first + 1;
  if (h.layout == 2) {
    putle32(&h.buffer[0], h.size);
    putle32(&h.buffer[796], h.size);
  } else if (h.layout == 3) {
    h.buffer[0] = 0xFF;
    putle32(&h.buffer[1], h.size);
    putle32(&h.buffer[795], h.size);
    h.buffer[799] = 0xFF;
  }
  h.pos = h.reading ? h.last + 1 : h.first;
}

// A handle with the file type decoded; none for a negative type.
modfileptr newhandle(std::int32_t& rc, bool reading, std::int32_t filetype, std::string_view name) {
  rc = 0;
  if (filetype < 0) {
    rc = badfiletype;
    return nullptr;
  }
  auto h = std::make_unique<tmodfile>();
  h->filetype = filetype;
  h->layout = zlmconf::fttype(filetype);
  if (h->layout >= 6) h->layout = 0;
  h->duals = zlmconf::ftduals(filetype) != 0;
  h->nzcount = zlmconf::ftnzcount(filetype) != 0;
  h->scales = zlmconf::ftscales(filetype);
  h->slacks = zlmconf::ftslacks(filetype) != 0;
  h->matches = zlmconf::ftmatches(filetype) != 0;
  h->name.assign_cut(name);
  h->reading = reading;
  if (!h->istext() && h->layout != vrklayout) setframing(*h);
  h->specials = {zlmspecs::valund, zlmspecs::valna,  zlmspecs::valpin,
                 zlmspecs::valmin, zlmspecs::valeps, zlmspecs::valacr};
  return h;
}

std::int32_t openfile(tmodfile& h) {
  if (h.layout == vrklayout) return vrk::open(h);
  std::int32_t rc = 0;
  if (h.reading) {
    if (h.istext()) {  // the retrying open, as for every text file the system hands over
      q5rt::textfile probe;
      (void)gfileopen::grreset(h.name, true, probe, rc);
      if (rc != 0) return rc;
      probe.close();
    }
    rc = h.owned.load(h.name);
    h.input = h.owned.view();
    return rc;
  }
  if (h.istext()) {
    (void)gfileopen::grrewrite(h.name, true, h.text, rc);
    return rc;
  }
  h.binary.assign(h.name);
  h.binary.rewrite(recordsize);
  return h.binary.ioresult();
}

void failwrite(tmodfile& h, int rc) {
  if (h.iorc != 0) return;
  h.iorc = rc;
  (void)fail(h, q5rt::iomessage(rc));
}

// Text bytes of a text writer.
void emit(tmodfile& h, std::string_view bytes) {
  if (h.iorc != 0) return;
  if (h.tomemory) {
    h.memout.append(bytes);
    return;
  }
  h.text.write(bytes);
  if (const int rc = h.text.pending(); rc != 0) failwrite(h, rc);
}

// The record buffer of a binary writer.
void writerecord(tmodfile& h) {
  if (h.iorc != 0) return;
  if (h.tomemory) {
    h.memout.append(reinterpret_cast<const char*>(h.buffer.data()), h.buffer.size());
    return;
  }
  std::int32_t done = 0;
  h.binary.blockwrite(h.buffer.data(), 1, done);
  if (const int rc = h.binary.ioresult(); rc != 0) failwrite(h, rc);
}

void checktextwriter(const tmodfile& h) {
  Q5_ASSERT(!h.reading && h.istext(), "scratch file not open for writing text");
}

// The next record into the buffer; past the end the payload is zeros and h fails.
void loadrecord(tmodfile& h) {
  ++h.records;
  if (h.input.size() - h.inpos >= static_cast<std::size_t>(recordsize)) {
    std::memcpy(h.buffer.data(), h.input.data() + h.inpos, recordsize);
    h.inpos += recordsize;
  } else {
    std::fill(h.buffer.begin() + h.first, h.buffer.begin() + h.last + 1, 0);
    if (h.inpos < h.input.size()) {
      (void)fail(h, "incomplete record at the end of the file");
      h.inpos = h.input.size();
    } else {
      (void)fail(h, "read past the end of the file");
    }
  }
  h.pos = h.first;
}

void checkdirection(const tmodfile& h, bool reading) {
  Q5_ASSERT(h.reading == reading,
            reading ? "scratch file not open for reading" : "scratch file not open for writing");
}

// The white space in front of the next token, skipped with its line ends counted.
void skipwhite(tmodfile& h) {
  const std::string_view in = h.input;
  std::size_t i = h.inpos;
  while (i < in.size() && q5rt::detail::white_byte(in[i])) {
    if (in[i] == '\n') ++h.line;
    ++i;
  }
  h.inpos = i;
}

// The next number token; empty at the end of the text.
std::string_view nexttoken(tmodfile& h) {
  skipwhite(h);
  const std::string_view in = h.input;
  const std::size_t i = h.inpos;
  std::size_t j = i;
  while (j < in.size() && !q5rt::detail::white_byte(in[j])) ++j;
  h.inpos = j;
  return in.substr(i, j - i);
}

constexpr std::size_t maxtoken = 255;

// The token of the next number, or false with the handle failed.
bool numbertoken(tmodfile& h, std::string_view& token) {
  Q5_ASSERT(h.reading && h.istext(), "scratch file not open for reading text");
  if (h.failed) return false;
  token = nexttoken(h);
  if (token.empty()) return fail(h, q5rt::iomessage(q5rt::iocode::eof_read));
  if (token.size() > maxtoken) return fail(h, q5rt::iomessage(q5rt::iocode::bad_number));
  return true;
}

}  // namespace

tmodfile::~tmodfile() = default;

bool fail(tmodfile& h, std::string_view text) {
  if (h.failed) return false;
  h.failed = true;
  if (h.reading && h.istext()) {
    h.errmsg = q5rt::concat(h.name, ", line ", strutilx::inttostrw(h.line, 0), ": ", text);
  } else if (h.reading) {
    h.errmsg = q5rt::concat(h.name, ", record ", strutilx::inttostrw(h.records, 0), ": ", text);
  } else {
    h.errmsg = q5rt::concat(h.name, ": ", text);
  }
  return false;
}

// ---- opening ----

modfileptr openmod(std::int32_t& rc, bool reading, std::int32_t filetype, std::string_view name) {
  modfileptr h = newhandle(rc, reading, filetype, name);
  if (!h) return nullptr;
  rc = openfile(*h);
  h->openrc = rc;
  if (rc != 0) return nullptr;
  return h;
}

void setmatflags(tmodfile& h, std::int32_t scaleopt, std::int32_t priorityopt) {
  switch (h.scales) {
    case 1:  // as the options ask
      h.scalevalues = scaleopt != 0;
      h.priority = priorityopt != 0;
      break;
    case 2:  // always both
    case 3:
      h.scalevalues = true;
      h.priority = true;
      break;
    default:
      h.scalevalues = false;
      h.priority = priorityopt != 0;
      break;
  }
}

void setsolflags(tmodfile& h) { h.scaledsol = h.scales == 3; }

namespace {

modfileptr withmatflags(modfileptr h, std::int32_t scaleopt, std::int32_t priorityopt) {
  if (h) setmatflags(*h, scaleopt, priorityopt);
  return h;
}

modfileptr withsolflags(modfileptr h) {
  if (h) setsolflags(*h);
  return h;
}

}  // namespace

modfileptr crsol(std::int32_t& rc, std::int32_t filetype, std::string_view name) {
  return withsolflags(openmod(rc, true, filetype, name));
}

modfileptr cwsol(std::int32_t& rc, std::int32_t filetype, std::string_view name) {
  return withsolflags(openmod(rc, false, filetype, name));
}

modfileptr crcod(std::int32_t& rc, std::int32_t filetype, std::string_view name) {
  return openmod(rc, true, filetype, name);
}

modfileptr cwcod(std::int32_t& rc, std::int32_t filetype, std::string_view name) {
  if (filetype >= 0 && zlmconf::fttype(filetype) == vrklayout) {
    q5rt::output().writeln(cannotwritevrkcode);
    rc = vrkopenfailed;
    return nullptr;
  }
  return openmod(rc, false, filetype, name);
}

modfileptr crmat(std::int32_t& rc, std::int32_t filetype, std::int32_t scaleopt,
                 std::int32_t priorityopt, std::string_view name) {
  return withmatflags(openmod(rc, true, filetype, name), scaleopt, priorityopt);
}

modfileptr cwmat(std::int32_t& rc, std::int32_t filetype, std::int32_t scaleopt,
                 std::int32_t priorityopt, std::string_view name) {
  return withmatflags(openmod(rc, false, filetype, name), scaleopt, priorityopt);
}

namespace {

// The string and memory entries have no data-exchange object to hand the records to.
modfileptr bytehandle(std::int32_t& rc, bool reading, std::int32_t filetype,
                      std::string_view name) {
  modfileptr h = newhandle(rc, reading, filetype, name);
  if (h && h->layout == vrklayout) {
    q5rt::output().writeln(q5rt::concat(openmodfor, name, openmodfailed, vrknotavailable));
    rc = vrkopenfailed;
    return nullptr;
  }
  return h;
}

}  // namespace

modfileptr parsemod(std::int32_t& rc, std::int32_t filetype, std::string_view data,
                    std::string_view name) {
  modfileptr h = bytehandle(rc, true, filetype, name);
  if (h) h->input = data;
  return h;
}

modfileptr parsecod(std::int32_t& rc, std::int32_t filetype, std::string_view data,
                    std::string_view name) {
  return parsemod(rc, filetype, data, name);
}

modfileptr parsemat(std::int32_t& rc, std::int32_t filetype, std::int32_t scaleopt,
                    std::int32_t priorityopt, std::string_view data, std::string_view name) {
  return withmatflags(parsemod(rc, filetype, data, name), scaleopt, priorityopt);
}

modfileptr parsesol(std::int32_t& rc, std::int32_t filetype, std::string_view data,
                    std::string_view name) {
  return withsolflags(parsemod(rc, filetype, data, name));
}

modfileptr memwrite(std::int32_t& rc, std::int32_t filetype, std::string_view name) {
  modfileptr h = bytehandle(rc, false, filetype, name);
  if (h) h->tomemory = true;
  return h;
}

namespace {

// Writes the last record of a binary writer and closes the file: the first failed write.
std::int32_t finish(tmodfile& f) {
  if (f.layout == vrklayout) return vrk::close(f);
  if (f.reading) return 0;
  if (!f.istext() && f.pos > f.first) {
    std::fill(f.buffer.begin() + f.pos, f.buffer.begin() + f.last + 1, 0);
    writerecord(f);
  }
  if (f.tomemory) return f.iorc;
  if (f.istext()) {
    f.text.close();
    if (const int rc = f.text.ioresult(); rc != 0) failwrite(f, rc);
  } else {
    f.binary.close();
    if (const int rc = f.binary.ioresult(); rc != 0) failwrite(f, rc);
  }
  return f.iorc;
}

}  // namespace

std::int32_t closemod(modfileptr& h) {
  if (!h) return 0;
  const std::int32_t rc = finish(*h);
  h.reset();
  return rc;
}

std::string closemem(modfileptr& h) {
  if (!h) return {};
  (void)finish(*h);
  std::string out = std::move(h->memout);
  h.reset();
  return out;
}

// ---- binary items ----

void wrbuf(tmodfile& h, int size) {
  checkdirection(h, false);
  if (h.pos + size - 1 <= h.last) {  // wholly inside the record: one move
    std::memcpy(&h.buffer[static_cast<std::size_t>(h.pos)], h.cell.data(),
                static_cast<std::size_t>(size));
    h.pos += size;
    return;
  }
  for (int i = 0; i < size; ++i) {
    if (h.pos > h.last) {
      writerecord(h);
      h.pos = h.first;
    }
    h.buffer[static_cast<std::size_t>(h.pos++)] = h.cell[static_cast<std::size_t>(i)];
  }
}

void rdbuf(tmodfile& h, int size) {
  checkdirection(h, true);
  if (h.pos + size - 1 <= h.last) {
    std::memcpy(h.cell.data(), &h.buffer[static_cast<std::size_t>(h.pos)],
                static_cast<std::size_t>(size));
    h.pos += size;
    return;
  }
  for (int i = 0; i < size; ++i) {
    if (h.pos > h.last) loadrecord(h);
    h.cell[static_cast<std::size_t>(i)] = h.buffer[static_cast<std::size_t>(h.pos++)];
  }
}

namespace detail {

void tocell(tmodfile& h, std::uint64_t bits, int size) {
  for (int i = 0; i < size; ++i)
    h.cell[static_cast<std::size_t>(i)] = static_cast<unsigned char>(bits >> (8 * i));
}

std::uint64_t fromcell(const tmodfile& h, int size) {
  std::uint64_t bits = 0;
  for (int i = 0; i < size; ++i)
    bits |= std::uint64_t{h.cell[static_cast<std::size_t>(i)]} << (8 * i);
  return bits;
}

void wrcross(tmodfile& h, std::uint64_t bits, int size) {
  tocell(h, bits, size);
  wrbuf(h, size);
}

std::uint64_t rdcross(tmodfile& h, int size) {
  rdbuf(h, size);
  return fromcell(h, size);
}

double nonfinite(const tmodfile& h, double v) {
  if (std::isnan(v)) return h.specials[0];
  return v < 0 ? h.specials[3] : h.specials[2];
}

}  // namespace detail

// ---- text items ----

void wrtxint(tmodfile& h, std::int64_t v) {
  checktextwriter(h);
  q5rt::sstr field;
  if (!h.linestart) field.append_cut(' ');
  field.append_cut(strutilx::inttostrw(v, 0));
  h.linestart = false;
  emit(h, field.view());
}

void wrtxreal(tmodfile& h, double v) {
  checktextwriter(h);
  char buf[strutilx::dbltostr_maxlen + 1];
  std::size_t n = 0;
  if (!h.linestart) buf[n++] = ' ';
  n += strutilx::dbltostr_chars(v, '.', buf + n);
  h.linestart = false;
  emit(h, {buf, n});
}

void wrtxline(tmodfile& h, std::string_view text) {
  checktextwriter(h);
  if (!h.linestart) wrtxeol(h);
  emit(h, text);
  wrtxeol(h);
}

void wrtxeol(tmodfile& h) {
  checktextwriter(h);
  h.linestart = true;
  emit(h, "\n");
}

namespace {

// A plain decimal of at most 9 digits, as Val reads it; false for anything else.
bool plaininteger(std::string_view token, std::int32_t& v) {
  const bool negative = token.front() == '-';
  if (negative) token.remove_prefix(1);
  if (token.empty() || token.size() > 9) return false;
  std::int32_t n = 0;
  for (const char c : token) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  v = negative ? -n : n;
  return true;
}

}  // namespace

namespace {

// The common integer token, a plain decimal of at most 9 digits that white space or the
// end follows, read in place; false (nothing consumed but white space) for any other.
bool plainintegerat(tmodfile& h, std::int32_t& v) {
  skipwhite(h);
  const std::string_view in = h.input;
  std::size_t i = h.inpos;
  const bool negative = i < in.size() && in[i] == '-';
  if (negative) ++i;
  const std::size_t digits = i;
  std::int32_t n = 0;
  while (i < in.size() && i - digits < 9 && in[i] >= '0' && in[i] <= '9')
    n = n * 10 + (in[i++] - '0');
  // No digit, or a tenth digit or another byte behind the ninth: the general reader's.
  if (i == digits || (i < in.size() && !q5rt::detail::white_byte(in[i]))) return false;
  h.inpos = i;
  v = negative ? -n : n;
  return true;
}

}  // namespace

std::int32_t rdtxint(tmodfile& h) {
  Q5_ASSERT(h.reading && h.istext(), "scratch file not open for reading text");
  if (h.failed) return 0;
  if (std::int32_t v = 0; plainintegerat(h, v)) return v;
  std::string_view token;
  if (!numbertoken(h, token)) return 0;
  if (std::int32_t v = 0; plaininteger(token, v)) return v;
  std::int32_t code = 0;
  const std::int32_t v = q5rt::Q5_Val_SPD(token, code);
  if (code != 0) return fail(h, q5rt::iomessage(q5rt::iocode::bad_number)), 0;
  return v;
}

namespace {

// The common real token, digits with an optional point and further digits, at most 15
// digits in all, followed by white space or the end: read in place, exact (the digits
// and the power of ten are exact doubles, so one division rounds as the full conversion
// does). False, with nothing consumed, for any other token.
bool plainrealat(tmodfile& h, double& v) {
  constexpr std::size_t maxdigits = 15;  // below 2^53
  constexpr double tens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const std::string_view in = h.input;
  std::size_t i = h.inpos;
  const bool negative = i < in.size() && in[i] == '-';
  if (negative) ++i;
  std::int64_t m = 0;
  std::size_t digits = 0;
  std::size_t fraction = 0;
  const auto scan = [&](std::size_t& count) {
    const std::size_t start = i;
    while (i < in.size() && in[i] >= '0' && in[i] <= '9' && digits < maxdigits) {
      m = m * 10 + (in[i++] - '0');
      ++digits;
    }
    count = i - start;
  };
  std::size_t whole = 0;
  scan(whole);
  if (whole == 0) return false;
  if (i < in.size() && in[i] == '.') {
    ++i;
    scan(fraction);
    if (fraction == 0) return false;
  }
  if (i < in.size() && !q5rt::detail::white_byte(in[i])) return false;
  const double x = static_cast<double>(m) / tens[fraction];
  v = negative ? -x : x;
  h.inpos = i;
  return true;
}

}  // namespace

// The real is converted where it stands, the token's end found by the conversion.
double rdtxreal(tmodfile& h) {
  Q5_ASSERT(h.reading && h.istext(), "scratch file not open for reading text");
  if (h.failed) return 0.0;
  skipwhite(h);
  if (h.inpos >= h.input.size()) return fail(h, q5rt::iomessage(q5rt::iocode::eof_read)), 0.0;
  if (double v = 0.0; plainrealat(h, v)) return v;
  const char* const first = h.input.data() + h.inpos;
  q5rt::real_read r;
  const char* const stop = q5rt::read_real_at(first, h.input.data() + h.input.size(), r);
  const std::string_view token(first, static_cast<std::size_t>(stop - first));
  // A point alone (after a sign) reads as 0 without the sign through the token reader.
  if (token.size() <= 2 && token.back() == '.') r = q5rt::convert_real_token(token);
  h.inpos += token.size();
  if (token.size() > maxtoken || r.status != q5rt::read_status::ok) {
    return fail(h, q5rt::iomessage(q5rt::iocode::bad_number)), 0.0;
  }
  // Beyond the doubles ("1e400"): the special values, as the binary layouts read them.
  return std::isfinite(r.value) ? r.value : detail::nonfinite(h, r.value);
}

void rdtxeol(tmodfile& h) {
  // Mostly the last field ends right at the line end: no search then.
  const std::size_t nl =
      h.inpos < h.input.size() && h.input[h.inpos] == '\n' ? h.inpos : h.input.find('\n', h.inpos);
  if (nl == std::string_view::npos) {
    h.inpos = h.input.size();
  } else {
    h.inpos = nl + 1;
    ++h.line;
  }
}

bool rdtxeof(const tmodfile& h) { return h.inpos >= h.input.size(); }

}  // namespace gdutils
