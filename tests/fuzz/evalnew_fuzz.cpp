// Fuzz target of the instruction-code evaluator: arbitrary code against four columns and
// four constants, through the value and gradient sweeps and the analyses. Nothing may
// crash or read out of range; a tape sized by the size pass is never too short.
//
// Input layout: byte 0 holds flags (bit 0: install a column permutation, bit 1: a tape
// of 3 entries instead of the sized one); every further 3 bytes are one instruction:
// the opcode byte and a signed 16-bit operand, low byte first.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "frame/q5rt.h"
#include "funclib/ctvnew.h"
#include "funclib/evalnew.h"
#include "quietfuzz.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q5rt::run_startups();
  quietfuzz::silence();  // a line per malformed instruction sequence
  if (size == 0) return 0;
  const std::uint8_t flags = data[0];
  std::vector<ctvnl::tnlcode> code;
  for (std::size_t i = 1; i + 2 < size; i += 3) {
    const auto operand = static_cast<std::int16_t>(data[i + 1] | (data[i + 2] << 8));
    code.push_back({static_cast<ctvnl::opcode>(data[i]), operand});
  }
  const auto last = static_cast<std::int32_t>(code.size());
  const std::vector<double> levels = {1.5, -0.5, 0.0, 3.0};
  const std::vector<double> pool = {2.0, 0.0, -1.0, 1e300};

  const std::int32_t positions[] = {3, 0, 2};
  if ((flags & 1) != 0) check(evalnew::evalnewsetcperm(3, positions) == 0);

  ctvnew::tmathnewrec rec{};
  ctvnew::mathnewrecinit(rec);
  std::int32_t errors = 0;
  q5rt::sstr msg;
  double value = 0;
  const int rc = evalnew::funeval(rec, 1, last, code, pool, levels, value, errors, msg);
  check(rc >= 0 && rc <= 2);

  std::int32_t tapelen = 0, second = 0, linkcount = 0;
  std::vector<std::int32_t> links(code.size() + 1);
  const int sized = evalnew::getstacksizes(1, last, code, tapelen, second, 0, linkcount, links);
  std::vector<double> tape((flags & 2) != 0 ? 3 : static_cast<std::size_t>(tapelen));
  std::vector<double> grad(levels.size(), 0.0);
  const int grc =
      evalnew::gradeval(rec, 1, last, code, pool, levels, value, tape, grad, errors, msg);
  check(grc >= 0 && grc <= 5);
  if (sized == 0 && (flags & 2) == 0) check(!msg.view().starts_with("*** fwrvEvalNew: svGrads"));

  std::int32_t nltype = 0, count = 0;
  const std::vector<std::uint8_t> constcols = {0, 1, 0, 0, 1};
  (void)evalnew::evalnltype(1, last, code, pool, constcols, nltype, msg);
  check(nltype >= 0 && nltype <= 3);
  (void)evalnew::logiccount(1, last, code, count);

  const std::vector<std::int32_t> cluster = {0, 1, 1, 2};
  std::vector<double> parts(3);
  const int crc =
      evalnew::funevalcluster(rec, 1, last, code, pool, levels, cluster, 3, parts, errors, msg);
  check(crc >= 0 && crc <= 4);

  evalnew::evalnewfreecperm();
  return 0;
}
