// The value-only interpreter of instruction code.
#include "baron/eval.h"

#include <array>

#include "baron/gcutil.h"
#include "baron/gcutil_internal.h"
#include "funclib/genextfunc.h"
#include "instance/zlmspecs.h"

namespace eval {

namespace {

using ctvnl::opcode;

constexpr std::int32_t fdiv = 66;  // the function library's division

void outline(std::string_view text) { q5rt::output().writeln(text); }

class interpreter {
 public:
  interpreter(ctvnew::tmathnewrec& rec, std::span<const ctvnl::tnlcode> code,
              std::span<const double> pool, std::span<const double> levels)
      : rec_(rec), code_(code), pool_(pool), levels_(levels) {}

  int run(std::int32_t first, std::int32_t last, double& value) {
    value = 999;
    if (first >= last) return 0;
    for (std::int32_t k = first; k <= last; ++k) {
      if (k < 1 || static_cast<std::size_t>(k) > code_.size())
        return abandon("instruction outside the code", k);
      const int r = step(k, last, value);
      if (r == stop) return rc_;
      if (r == skipnext) ++k;
    }
    if (height_ != 1) {
      outline(q5rt::concat("*** Evaluator: stack not equal to one, stack = ",
                           gcutil::detail::num(height_)));
    }
    return rc_;
  }

 private:
  static constexpr int next = 0, skipnext = 1, stop = 2;

  int abandon(std::string_view why, std::int32_t k) {
    outline(q5rt::concat("*** Evaluator: ", why, " at location ", gcutil::detail::num(k)));
    rc_ = rc_abandoned;
    return rc_abandoned;
  }

  bool need(std::int32_t n) const { return height_ >= n; }
  double& top() { return stack_[static_cast<std::size_t>(height_) - 1]; }

  // Calls f on args; false when the error method stops the evaluation.
  bool call(std::int32_t f, double* args, std::int32_t n, double& result, double& value) {
    rec_.nargs = n;
    const int code = genextfunc::genericfunceval(rec_, f, args);
    result = rec_.f;
    if (code == 0) return true;
    rc_ = code;
    if (errormethod == 2) value = zlmspecs::valna;
    return errormethod == 0;
  }

  int step(std::int32_t k, std::int32_t last, double& value) {
    const ctvnl::tnlcode ins = code_[static_cast<std::size_t>(k) - 1];
    const std::int32_t a = ins.operand;
    double operand = 0;
    // Operand fetches: a column's level or a pool entry, checked.
    const auto column = [&](double& v) {
      std::int64_t p = a;
      if (cpermset) {
        if (a < 1 || static_cast<std::size_t>(a) > cperm.size()) return false;
        p = cperm[static_cast<std::size_t>(a) - 1];
      }
      if (p < 1 || static_cast<std::size_t>(p) > levels_.size()) return false;
      v = levels_[static_cast<std::size_t>(p) - 1];
      return true;
    };
    const auto constant = [&](double& v) {
      if (a < 1 || static_cast<std::size_t>(a) > pool_.size()) return false;
      v = pool_[static_cast<std::size_t>(a) - 1];
      return true;
    };
    // An instruction that takes more entries than the stack holds stops the evaluation.
    if (!need(ctvnl::effect(ins.opcode).pops)) return abandon("stack underflow", k), stop;
    switch (ins.opcode) {
      case opcode::pushv:
      case opcode::uminv:
      case opcode::pushi:
      case opcode::pushzero: {
        if (height_ >= stackcap) return abandon("stack overflow", k), stop;
        const bool ok = ins.opcode == opcode::pushzero ? (operand = 0, true)
                        : ins.opcode == opcode::pushi  ? constant(operand)
                                                       : column(operand);
        if (!ok) return abandon("operand out of range", k), stop;
        stack_[static_cast<std::size_t>(height_++)] =
            ins.opcode == opcode::uminv ? -operand : operand;
        return next;
      }
      case opcode::store:
        value = top();
        return next;
      case opcode::add:
      case opcode::sub:
      case opcode::mul:
      case opcode::div:
      case opcode::muliadd: {
        if (ins.opcode == opcode::muliadd && !constant(operand))
          return abandon("operand out of range", k), stop;
        const double v = stack_[static_cast<std::size_t>(--height_)];
        double& u = top();
        switch (ins.opcode) {
          case opcode::add:
            u += v;
            break;
          case opcode::sub:
            u -= v;
            break;
          case opcode::mul:
            u *= v;
            break;
          case opcode::muliadd:
            u += v * operand;
            break;
          default:
            return divide(u, v, value) ? next : stop;
        }
        return next;
      }
      case opcode::addv:
      case opcode::subv:
      case opcode::mulv:
      case opcode::divv:
      case opcode::addi:
      case opcode::subi:
      case opcode::muli:
      case opcode::divi: {
        const bool immediate = ctvnl::pushimmed.contains(ctvnl::code(ins.opcode));
        if (!(immediate ? constant(operand) : column(operand)))
          return abandon("operand out of range", k), stop;
        double& t = top();
        switch (ins.opcode) {
          case opcode::addv:
          case opcode::addi:
            t += operand;
            break;
          case opcode::subv:
          case opcode::subi:
            t -= operand;
            break;
          case opcode::mulv:
          case opcode::muli:
            t *= operand;
            break;
          default:
            return divide(t, operand, value) ? next : stop;
        }
        return next;
      }
      case opcode::umin:
        top() = -top();
        return next;
      case opcode::callarg1: {
        double arg = top();
        return call(a, &arg, 1, top(), value) ? next : stop;
      }
      case opcode::callarg2: {
        std::array<double, 2> args = {stack_[static_cast<std::size_t>(height_) - 2], top()};
        --height_;
        return call(a, args.data(), 2, top(), value) ? next : stop;
      }
      case opcode::funcargn:
        return callargn(k, last, a, value);
      case opcode::noop:
      case opcode::header:
      case opcode::end:
        return next;
      default:  // CallArgN not announced, opcodes above PushZero
        outline(q5rt::concat("*** Evaluator: unknown instruction ", gcutil::opname(ins.opcode),
                             " at location ", gcutil::detail::num(k)));
        return next;
    }
  }

  // u := div(u, v) through the function library.
  bool divide(double& u, double v, double& value) {
    std::array<double, 2> args = {u, v};
    return call(fdiv, args.data(), 2, u, value);
  }

  int callargn(std::int32_t k, std::int32_t last, std::int32_t n, double& value) {
    const bool paired = k < last && static_cast<std::size_t>(k) < code_.size() &&
                        code_[static_cast<std::size_t>(k)].opcode == opcode::callargn;
    if (!paired) return abandon("FuncArgN without its CallArgN", k), stop;
    if (n < 1 || n > ctvnew::maxargs) return abandon("call with more than 20 arguments", k), stop;
    if (!need(n)) return abandon("stack underflow", k), stop;
    std::array<double, ctvnew::maxargs> args{};
    for (std::int32_t i = 0; i < n; ++i)
      args[static_cast<std::size_t>(i)] = stack_[static_cast<std::size_t>(height_ - n + i)];
    height_ -= n - 1;
    return call(code_[static_cast<std::size_t>(k)].operand, args.data(), n, top(), value) ? skipnext
                                                                                          : stop;
  }

  ctvnew::tmathnewrec& rec_;
  std::span<const ctvnl::tnlcode> code_;
  std::span<const double> pool_;
  std::span<const double> levels_;
  std::array<double, stackcap> stack_{};
  std::int32_t height_ = 0;
  int rc_ = 0;
};

}  // namespace

int neweval(ctvnew::tmathnewrec& rec, std::int32_t first, std::int32_t last,
            std::span<const ctvnl::tnlcode> code, std::span<const double> pool,
            std::span<const double> levels, std::span<double> /*work*/, double& value,
            std::span<double> /*grad*/) {
  return interpreter(rec, code, pool, levels).run(first, last, value);
}

int evalsetcperm(std::int32_t count, const std::int32_t* positions) {
  if (cpermset) return 1;
  cperm.assign(static_cast<std::size_t>(std::max(count, 0)), 0);
  for (std::int32_t i = 0; i < count; ++i) cperm[static_cast<std::size_t>(i)] = positions[i] + 1;
  cpermset = true;
  return 0;
}

void evalfreecperm() {
  cperm.clear();
  cpermset = false;
}

}  // namespace eval
