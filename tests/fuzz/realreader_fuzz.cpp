// Fuzz target of the real-number reader: reads every token of the input as the model
// files are read, checks the Val error positions, and writes each value back through
// the number texts, which must read back within their 15 digits.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "frame/q5rt.h"
#include "frame/q5rtnum.h"
#include "frame/strutilx_numbers.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// Where the two real Vals follow the same rules (no "x", no "d", no high bytes), the
// correctly rounded conversion must agree with the C library's strtod.
bool same_rules(std::string_view text) {
  for (const char c : text)
    if (c == 'x' || c == 'X' || c == 'd' || c == 'D' || static_cast<unsigned char>(c) >= 128)
      return false;
  return true;
}

void check_val(std::string_view text) {
  std::int32_t code = -1;
  double v = 0;
  q5rt::Q5_Val_dd(text, v, code);
  check(code >= 0 && static_cast<std::size_t>(code) <= text.size() + 1);
  std::int32_t code_c = -1;
  double v_c = 0;
  q5rt::Q5_Val_d(text, v_c, code_c);
  check(code_c >= 0 && static_cast<std::size_t>(code_c) <= text.size() + 1);
  if (same_rules(text)) check(code == code_c && same(v, v_c));
  const std::int32_t n = q5rt::Q5_Val_SPD(text, code);
  check(code >= 0 && static_cast<std::size_t>(code) <= text.size() + 1);
  check(code == 0 || n == 0 || code > 1);
}

void check_round_trip(double x) {
  if (!std::isfinite(x)) return;
  const q5rt::sstr text = strutilx::dbltostr(x);
  check(text.size() <= strutilx::dbltostr_maxlen);
  double back = 0;
  std::int32_t code = -1;
  q5rt::Q5_Val_dd(text.view(), back, code);
  check(code == 0);
  // The 15 digits of the largest doubles round up past the double range.
  const bool top = std::isinf(back) && std::fabs(x) > 1.79769313486231e308;
  check(x == 0 ? back == 0 : top || std::fabs(back / x - 1) < 1e-14 || std::fabs(x) < 1e-300);
  check(q5rt::Q5_Str_dd0(x).size() == 23);
  (void)q5rt::Q5_Str_dd2(x, 12, static_cast<std::int32_t>(text.size()) - 3);
}

// Offers one byte at a time, as a text file does: the reader's other road.
class byte_source {
 public:
  explicit byte_source(std::string_view data) : data_(data) {}
  int peek() const { return pos_ < data_.size() ? static_cast<unsigned char>(data_[pos_]) : -1; }
  void advance() { ++pos_; }
  std::size_t position() const { return pos_; }

 private:
  std::string_view data_;
  std::size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q5rt::run_startups();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  check_val(input.substr(0, 255));
  q5rt::string_source src(input);
  byte_source bytes(input);
  for (;;) {
    const std::size_t before = src.position();
    const q5rt::real_read r = q5rt::read_real(src);
    const q5rt::real_read b = q5rt::read_real(bytes);
    check(r.status == b.status && same(r.value, b.value) && src.position() == bytes.position());
    if (r.status == q5rt::read_status::end_of_file) break;
    check(src.position() > before);
    if (r.status == q5rt::read_status::ok) check_round_trip(r.value);
  }
  return 0;
}
