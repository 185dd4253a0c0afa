// Fuzz target of BARON's input-file writer: a small random model record (columns with
// types and bounds, rows with linear terms and well-formed instruction code over the
// functions BARON takes) is written; the stand-in BARON's reader must accept the file and
// every equation must agree with the instruction-code evaluator at a point.
//
// Input layout: byte 0 the column count (1..4) and model flags, byte 1 the row count
// (1..3); then per row a type byte, a linear-term byte and up to 12 code bytes, each a
// step of a stack generator that keeps the code well-formed.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "baron/gcbaron.h"
#include "baron/gcutil.h"
#include "frame/q5rt.h"
#include "frame/q5text.h"
#include "funclib/ctvnew.h"
#include "funclib/evalnew.h"
#include "instance/gcdata.h"
#include "instance/zlmspecs.h"
#include "standins/baron/baronparse.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

struct halted {};
[[noreturn]] void throwhalt(int) { throw halted{}; }

using ctvnl::opcode;

constexpr double constants[] = {2, 0.5, 3, 1.5e-7, 1e3, 0.1234567890123456};

// A well-formed code of a few steps over the columns; pool entries 1..6 are constants.
std::vector<ctvnl::tnlcode> makecode(const std::uint8_t* p, std::size_t n, std::int32_t cols) {
  std::vector<ctvnl::tnlcode> code;
  int depth = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t b = p[i];
    const std::int32_t col = 1 + (b >> 4) % cols;
    const std::int32_t k = 1 + (b >> 4) % 6;
    switch (b % 12) {
      case 0:
        code.push_back({opcode::pushv, col}), ++depth;
        break;
      case 1:
        code.push_back({opcode::pushi, k}), ++depth;
        break;
      case 2:
        if (depth >= 2) code.push_back({opcode::add, 0}), --depth;
        break;
      case 3:
        if (depth >= 2) code.push_back({opcode::sub, 0}), --depth;
        break;
      case 4:
        if (depth >= 2) code.push_back({opcode::mul, 0}), --depth;
        break;
      case 5:
        if (depth >= 1) code.push_back({opcode::umin, 0});
        break;
      case 6:
        if (depth >= 1) code.push_back({opcode::callarg1, 9});
        break;  // sqr
      case 7:
        if (depth >= 1) code.push_back({opcode::mulv, col});
        break;
      case 8:
        if (depth >= 1) code.push_back({opcode::divi, k});
        break;
      case 9:
        if (depth >= 1) code.push_back({opcode::subv, col});
        break;
      case 10:
        if (depth >= 1)
          code.push_back({opcode::muliadd, k}), code.insert(code.end() - 1, {opcode::pushv, col});
        break;
      default:
        if (depth >= 1) code.push_back({opcode::addi, k});
        break;
    }
  }
  if (depth == 0) code.push_back({opcode::pushv, 1}), depth = 1;
  while (depth > 1) code.push_back({opcode::add, 0}), --depth;
  return code;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q5rt::run_startups();
  if (size < 2) return 0;
  gcutil::treehalthook = &throwhalt;
  gcdata::frenlrec();
  ctvnl::nltreerec* const pool = gcdata::mymodel.nodefree;
  gcdata::mymodel = gcdata::tmodel{};
  gcdata::mymodel.nodefree = pool;
  gcdata::tmodel& m = gcdata::mymodel;
  m.valpin = zlmspecs::valpin, m.valmin = zlmspecs::valmin, m.valeps = zlmspecs::valeps,
  m.valund = zlmspecs::valund;
  m.cols = 1 + data[0] % 4;
  m.rows = 1 + data[1] % 3;
  m.modeltype = (data[0] & 0x40) != 0 ? 11 : 4;  // MINLP or NLP
  m.pool.assign(std::begin(constants), std::end(constants));
  for (std::int32_t c = 1; c <= m.cols; ++c) {
    const std::int32_t type = m.modeltype == 11 && (data[0] >> (c + 1)) % 3 == 2 ? 2 : 0;
    m.coltype.push_back(type);
    ++m.colcount[static_cast<std::size_t>(type)];
    m.collower.push_back(type == 2 ? 0 : -2.0 * c);
    m.colupper.push_back(type == 2 ? 5 : 3.0 * c);
    m.collevel.push_back(0.5 * c);
    m.colpriority.push_back(1);
  }
  m.colfirst.assign(static_cast<std::size_t>(m.cols), nullptr);
  std::size_t at = 2;
  for (std::int32_t r = 1; r <= m.rows; ++r) {
    const std::uint8_t type = at < size ? data[at++] % 3 : 0;
    const std::uint8_t terms = at < size ? data[at++] : 0;
    m.rowtype.push_back(type);
    ++m.equcount[type];
    m.rowrhs.push_back(0.25 * r);
    const std::size_t n = std::min<std::size_t>(12, size - std::min(at, size));
    const auto code = makecode(data + at, n, m.cols);
    at += n;
    m.instr.push_back({opcode::header, 0});
    m.rowfirstinstr.push_back(static_cast<std::int32_t>(m.instr.size()));
    m.instr.insert(m.instr.end(), code.begin(), code.end());
    m.instr.push_back({opcode::store, r});
    m.rowlastinstr.push_back(static_cast<std::int32_t>(m.instr.size()));
    zlmspecs::tjacrec* last = nullptr;
    m.rowfirst.push_back(nullptr);
    for (std::int32_t c = 1; c <= m.cols; ++c) {
      if (((terms >> c) & 1) == 0) continue;
      zlmspecs::tjacrec& e = m.jacelements.emplace_back();
      e.row = r, e.col = c, e.jacval = (terms & 1) != 0 ? -1.5 * c : 1;
      (last != nullptr ? last->rownext : m.rowfirst.back()) = &e;
      last = &e;
    }
  }
  for (const auto& ins : m.instr) {
    if (ins.opcode == opcode::callarg1) ++m.funcuse[static_cast<std::size_t>(ins.operand)];
  }
  for (std::int32_t c = 1; c <= m.cols; ++c) ++m.boundkindcount[0];
  gcbaron::state.reset();
  gcbaron::state.dotbaronly = true;
  gcbaron::state.baronvartozolm.assign(static_cast<std::size_t>(m.cols), 0);
  gcbaron::state.baronequtozolm.assign(static_cast<std::size_t>(m.rows), 0);
  gcbaron::state.baronequclass.assign(static_cast<std::size_t>(m.rows), 0);

  const std::string file =
      (std::filesystem::temp_directory_path() / ("dotbar_fuzz." + std::to_string(::getpid())))
          .string();
  q5rt::textfile f;
  f.assign(file);
  f.rewrite();
  check(f.ioresult() == 0);
  try {
    check(gcbaron::writedotbar(f, nullptr) == 0);
  } catch (const halted&) {
    gcdata::frenlrec();
    return 0;
  }
  std::string text;
  {
    std::FILE* in = std::fopen(file.c_str(), "rb");
    check(in != nullptr);
    char buf[4096];
    std::size_t got = 0;
    while ((got = std::fread(buf, 1, sizeof buf, in)) > 0) text.append(buf, got);
    std::fclose(in);
    std::remove(file.c_str());
  }
  const baronparse::result parsed = baronparse::parse(text, "mybaron");
  check(parsed.ok);
  std::vector<double> x(static_cast<std::size_t>(m.cols));
  for (std::int32_t c = 1; c <= m.cols; ++c) x[static_cast<std::size_t>(c - 1)] = 0.75 * c - 0.3;
  std::vector<double> point;
  for (const auto& v : parsed.m.variables)
    point.push_back(x[static_cast<std::size_t>(std::stoi(v.name.substr(1)) - 1)]);
  for (const auto& e : parsed.m.equations) {
    const std::int32_t r = std::stoi(e.name.substr(1));
    const auto k = static_cast<std::size_t>(r - 1);
    ctvnew::tmathnewrec rec{};
    ctvnew::mathnewrecinit(rec);
    double want = 0;
    std::int32_t errors = 0;
    q5rt::sstr msg;
    check(evalnew::funeval(rec, m.rowfirstinstr[k], m.rowlastinstr[k], m.instr, m.pool, x, want,
                           errors, msg) == 0);
    for (const zlmspecs::tjacrec* j = m.rowfirst[k]; j != nullptr; j = j->rownext)
      want += j->jacval * x[static_cast<std::size_t>(j->col - 1)];
    want -= m.rowrhs[k];
    const double got = baronparse::evaluate(e.lhs, point) - baronparse::evaluate(e.rhs, point);
    if (!std::isfinite(want) || std::fabs(want) > 1e200) continue;
    check(std::fabs(got - want) <= 1e-9 * std::max({1.0, std::fabs(got), std::fabs(want)}));
  }
  return 0;
}
