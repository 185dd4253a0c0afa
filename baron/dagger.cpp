// A row's instruction code as DAG nodes and edges.
#include "baron/dagger.h"

#include <array>

#include "baron/gcutil.h"
#include "baron/gcutil_internal.h"
#include "frame/strutilx_numbers.h"
#include "funclib/genextfunc.h"

namespace dagger {

namespace {

using ctvnl::opcode;
using gcutil::detail::num;
namespace fn = gcutil::detail::fn;

constexpr std::string_view notone = "ViennaDag **** stack not equal to one, stack = ";

class builder {
 public:
  builder(q5rt::textfile& f, std::int32_t& lastnode, std::int32_t coloffset,
          std::span<const ctvnl::tnlcode> code, std::span<const double> pool)
      : f_(f), last_(lastnode), offset_(coloffset), code_(code), pool_(pool) {}

  void run(std::int32_t first, std::int32_t last) {
    for (std::int32_t k = first; k <= last; ++k) {
      if (k < 1 || static_cast<std::size_t>(k) > code_.size())
        return stopped("instruction outside the code", k);
      if (!step(k)) return;
    }
    if (height_ != 1) f_.writeln(q5rt::concat(notone, num(height_)));
  }

 private:
  void stopped(std::string_view why, std::int32_t k) {
    f_.writeln(q5rt::concat("ViennaDag **** ", why, " at location ", num(k)));
  }

  std::int32_t node(std::string_view text) {
    ++last_;
    gcutil::detail::linebuf().add('<').add(std::int64_t{last_}).add("> ").add(text).writeln(f_);
    return last_;
  }
  void edge(std::int32_t parent, std::int32_t child, std::string_view coef) {
    gcutil::detail::linebuf line;
    line.add("<E> ")
        .add(std::int64_t{parent})
        .add(' ')
        .add(std::int64_t{child})
        .add(' ')
        .add(coef)
        .writeln(f_);
  }
  q5rt::sstr constant(double v) { return q5rt::concat("C ", strutilx::dbltostr(v)); }

  static q5rt::sstr funcname(std::int32_t f) {
    if (f == fn::sqr) return q5rt::sstr::cut("2");
    if (f == fn::power || gcutil::detail::rootpower(f)) return q5rt::sstr::cut("^");
    return genextfunc::genericfuncname(f);
  }

  std::int32_t& top() { return stack_[static_cast<std::size_t>(height_) - 1]; }
  std::int32_t below() const { return stack_[static_cast<std::size_t>(height_) - 2]; }

  bool push(std::int32_t n, std::int32_t k) {
    if (height_ >= stackcap) return stopped("stack overflow", k), false;
    stack_[static_cast<std::size_t>(height_++)] = n;
    return true;
  }

  bool step(std::int32_t k) {
    const ctvnl::tnlcode ins = code_[static_cast<std::size_t>(k) - 1];
    const std::int32_t a = ins.operand;
    const bool immediate = ctvnl::pushimmed.contains(ctvnl::code(ins.opcode));
    if (immediate && (a < 1 || static_cast<std::size_t>(a) > pool_.size())) {
      return stopped("operand out of range", k), false;
    }
    const double p = immediate ? pool_[static_cast<std::size_t>(a) - 1] : 0.0;
    if (height_ < ctvnl::effect(ins.opcode).pops) return stopped("stack underflow", k), false;
    switch (ins.opcode) {
      case opcode::pushv:
        return push(a - 1, k);
      case opcode::pushi:
        return push(node(constant(p)), k);
      case opcode::pushzero:
        return push(node("C 0"), k);
      case opcode::add:
      case opcode::sub:
      case opcode::mul:
      case opcode::div:
      case opcode::muliadd:
      case opcode::callarg2: {
        const std::string_view text = ins.opcode == opcode::mul   ? "*"
                                      : ins.opcode == opcode::div ? "/"
                                                                  : "+";
        const std::int32_t n =
            node(ins.opcode == opcode::callarg2 ? funcname(a) : q5rt::sstr::cut(text));
        edge(n, below(), "1");
        const q5rt::sstr coef = ins.opcode == opcode::sub       ? q5rt::sstr::cut("-1")
                                : ins.opcode == opcode::muliadd ? strutilx::dbltostr(p)
                                                                : q5rt::sstr::cut("1");
        edge(n, top(), coef);
        --height_;
        top() = n;
        return true;
      }
      case opcode::addv:
      case opcode::subv:
      case opcode::mulv:
      case opcode::divv: {
        const std::string_view text = ins.opcode == opcode::mulv   ? "*"
                                      : ins.opcode == opcode::divv ? "/"
                                                                   : "+";
        const std::int32_t n = node(text);
        edge(n, top(), "1");
        edge(n, a - 1, ins.opcode == opcode::subv ? "-1" : "1");
        top() = n;
        return true;
      }
      case opcode::addi:
      case opcode::subi:
      case opcode::muli:
      case opcode::divi: {
        const std::int32_t c = node(constant(ins.opcode == opcode::subi ? -p : p));
        const std::string_view text = ins.opcode == opcode::muli   ? "*"
                                      : ins.opcode == opcode::divi ? "/"
                                                                   : "+";
        const std::int32_t n = node(text);
        edge(n, top(), "1");
        edge(n, c, "1");
        top() = n;
        return true;
      }
      case opcode::umin: {
        const std::int32_t n = node("+");
        edge(n, top(), "-1");
        top() = n;
        return true;
      }
      case opcode::uminv: {
        if (height_ >= stackcap) return stopped("stack overflow", k), false;
        const std::int32_t n = node("+");
        edge(n, a - 1, "-1");
        return push(n, k);
      }
      case opcode::callarg1: {
        const std::int32_t n = node(funcname(a));
        edge(n, top(), "1");
        top() = n;
        return true;
      }
      case opcode::store:  // the row's node takes the code's result
        edge(offset_ + a, top(), "1");
        return true;
      case opcode::header:
        return true;
      default:  // NoOp, End, CallArgN, FuncArgN and opcodes past PushZero
        f_.writeln(q5rt::concat("ViennDags **** unknown instruction ", gcutil::opname(ins.opcode),
                                " at location ", num(k)));
        return true;
    }
  }

  q5rt::textfile& f_;
  std::int32_t& last_;
  std::int32_t offset_;
  std::span<const ctvnl::tnlcode> code_;
  std::span<const double> pool_;
  std::array<std::int32_t, stackcap> stack_{};
  std::int32_t height_ = 0;
};

}  // namespace

void makedag(q5rt::textfile& f, std::int32_t& lastnode, std::int32_t first, std::int32_t last,
             std::int32_t coloffset, std::span<const ctvnl::tnlcode> code,
             std::span<const double> pool) {
  if (first == 0) return;
  builder(f, lastnode, coloffset, code, pool).run(first, last);
}

}  // namespace dagger
