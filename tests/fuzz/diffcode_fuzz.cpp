// Fuzz target of symbolic differentiation: arbitrary instruction code over three columns
// is differentiated by each column into a small output buffer and the derivative code is
// evaluated. Nothing may crash or read out of range; the differentiator's halt (a wrong
// stack) ends the input as it ends the run.
//
// Input layout: byte 0 holds the output capacity (times 4); every further 3 bytes are one
// instruction: the opcode byte and a signed 16-bit operand, low byte first. A Header and
// a Store 1 frame the instructions.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "baron/gcutil.h"
#include "frame/q5rt.h"
#include "funclib/ctvnew.h"
#include "funclib/evalnew.h"
#include "quietfuzz.h"

namespace {

struct halted {};

void throwhalt(int /*code*/) { throw halted{}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q5rt::run_startups();
  quietfuzz::silence();  // a line per unknown instruction
  if (size == 0) return 0;
  gcutil::treehalthook = &throwhalt;
  const std::int32_t capacity = 4 * static_cast<std::int32_t>(data[0]);
  std::vector<ctvnl::tnlcode> code{{ctvnl::opcode::header, 0}};
  for (std::size_t i = 1; i + 2 < size; i += 3) {
    const auto operand = static_cast<std::int16_t>(data[i + 1] | (data[i + 2] << 8));
    code.push_back({static_cast<ctvnl::opcode>(data[i]), operand});
  }
  code.push_back({ctvnl::opcode::store, 1});
  std::vector<double> pool(12, 1.5);
  for (const gcutil::poolconstant& c : gcutil::diffpool)
    pool[static_cast<std::size_t>(c.position) - 1] = c.value;
  const std::vector<double> levels = {0.5, 2.0, -1.25};
  ctvnew::tmathnewrec rec;
  ctvnew::mathnewrecinit(rec);
  std::vector<ctvnl::tnlcode> out(static_cast<std::size_t>(capacity));
  for (std::int32_t column = 1; column <= 3; ++column) {
    std::int32_t count = 0;
    bool overflow = false;
    try {
      overflow = gcutil::diffcode(1, static_cast<std::int32_t>(code.size()), column, code, pool,
                                  out, count, capacity);
    } catch (const halted&) {
      return 0;  // a halt ends this input as it would end the run
    }
    if (overflow || count < 1) continue;
    double value = 0;
    std::int32_t errors = 0;
    q5rt::sstr msg;
    (void)evalnew::funeval(rec, 1, count, out, pool, levels, value, errors, msg);
  }
  return 0;
}
