// Fuzz target of the expression pipeline: arbitrary instruction code over three columns
// and a small pool is built into a tree, rewritten, folded and written as text. Nothing
// may crash or read out of range; a halt (stack overflow, division by a zero constant)
// ends the input as it ends the run, through the tree code's halt seam.
//
// Input layout: byte 0 holds the style (low four bits, taken modulo 15), bit 4 asks for
// the objective reformulation, bit 5 turns the rewriting switches off, bit 6 sets the
// nested-sum flag; every further 3 bytes are one instruction: the opcode byte and a
// signed 16-bit operand, low byte first.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "baron/gcutil.h"
#include "baron/liutil.h"
#include "frame/q5rt.h"
#include "frame/q5text.h"
#include "instance/gcdata.h"
#include "quietfuzz.h"

namespace {

struct halted {};

void throwhalt(int /*code*/) { throw halted{}; }

q5rt::textfile& sink() {
  static q5rt::textfile f;
  if (!f.is_open()) {
    f.assign("/dev/null");
    f.rewrite();
  }
  return f;
}

void setupmodel() {
  gcdata::tmodel& m = gcdata::mymodel;
  m.cols = 3;
  m.coltype = {0, 2, 3};
  m.colsosset = {0, 0, 1};
  m.objvar = 2;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q5rt::run_startups();
  quietfuzz::silence();  // a line per unknown instruction
  if (size == 0) return 0;
  setupmodel();
  gcutil::treehalthook = &throwhalt;
  const std::uint8_t flags = data[0];
  std::vector<ctvnl::tnlcode> code;
  for (std::size_t i = 1; i + 2 < size; i += 3) {
    const auto operand = static_cast<std::int16_t>(data[i + 1] | (data[i + 2] << 8));
    code.push_back({static_cast<ctvnl::opcode>(data[i]), operand});
  }
  const std::vector<double> pool = {2.0, 0.0, -1.0, 1e300, 0.5, -2.5, 1.0};
  const bool rewrite = (flags & 0x20) == 0;
  liutil::liset(sink(), 79, 3);
  try {
    gcutil::node* root = gcutil::buildtree(1, static_cast<std::int32_t>(code.size()), code, pool);
    if (root != nullptr) {
      gcutil::transformtree(gcdata::mymodel.nodefirst, rewrite, rewrite, rewrite, rewrite, rewrite);
      if ((flags & 0x10) != 0 && root->opcode == ctvnl::opcode::store)
        gcutil::simplereform(root, -2.0);
      gcutil::cleantree(gcdata::mymodel.nodefirst);
      liutil::lifirst("e1: ", 4);
      gcutil::donlcode(root, (flags & 0x0f) % 15, "", (flags & 0x40) != 0 ? 1 : 0);
      liutil::lilast(";");
    }
  } catch (const halted&) {
    // a halt ends this input as it would end the run
  }
  liutil::liend();
  gcdata::frenlrec();
  return 0;
}
