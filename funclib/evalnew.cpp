// The instruction-code interpreter: forward sweep for the value (recording the partial
// derivatives of every nonlinear step on a tape) and reverse sweep for the gradient.
#include "funclib/evalnew.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <vector>

#include "frame/strutilx_numbers.h"
#include "funclib/evalnew_internal.h"
#include "funclib/genextfunc.h"

namespace evalnew {

namespace detail {

q5rt::shortstring<15> opname(ctvnl::opcode op) {
  const int c = ctvnl::code(op);
  if (c < ctvnl::opcode_count) return q5rt::shortstring<15>::cut(ctvnl::nlcodetxt[c]);
  char buf[16] = "Opcode ";
  const auto res = std::to_chars(buf + 7, buf + sizeof buf, c);
  auto name = q5rt::shortstring<15>::cut({buf, static_cast<std::size_t>(res.ptr - buf)});
  while (name.size() < 10) name.append_cut(' ');
  return name;
}

q5rt::sstr located(std::string_view who, std::string_view what, std::int32_t k) {
  return q5rt::concat("*** ", who, ": ", what, " at location ", strutilx::inttostrw(k, 0));
}

q5rt::sstr numbered(std::string_view who, std::string_view what, long long n, std::int32_t k) {
  return q5rt::concat("*** ", who, ": ", what, " ", strutilx::inttostrw(n, 0), " at location ",
                      strutilx::inttostrw(k, 0));
}

bool rangeok(std::int32_t first, std::int32_t last, codespan code, std::string_view who,
             q5rt::sstr& msg) {
  if (first >= 1 && last <= static_cast<std::int64_t>(code.size())) return true;
  msg = q5rt::concat("*** ", who, ": instructions ", strutilx::inttostrw(first, 0), "..",
                     strutilx::inttostrw(last, 0), " outside the code of ",
                     strutilx::inttostrw(static_cast<long long>(code.size()), 0), " instructions");
  return false;
}

bool argcount(codespan code, std::int32_t first, std::int32_t k, std::int32_t& n) {
  if (k <= first || code[k - 2].opcode != ctvnl::opcode::funcargn) return false;
  n = code[k - 2].operand;
  return true;
}

bool stepeffect(codespan code, std::int32_t first, std::int32_t k, int sp, int cap,
                std::string_view who, effect& e, q5rt::sstr& msg) {
  const ctvnl::stackeffect fx = ctvnl::effect(code[k - 1].opcode);
  e = {fx.pops, fx.pushes};
  if (fx.countedpops) {
    std::int32_t n = 0;
    if (!argcount(code, first, k, n)) {
      msg = located(who, "CallArgN without its FuncArgN", k);
      return false;
    }
    if (n < 0 || n > ctvnew::maxargs) {
      msg = numbered(who, "CallArgN with argument count", n, k);
      return false;
    }
    e.pops += n;
  }
  if (sp < e.pops) {
    msg = located(who, "stack underflow", k);
    return false;
  }
  if (sp - e.pops + e.pushes > cap) {
    msg = located(who, "stack overflow", k);
    return false;
  }
  return true;
}

int callanswer(int rc, std::int32_t& errcount) {
  if (rc == 0 || rc == ctvnew::rc_hess) return -1;
  if (rc == ctvnew::rc_func || rc == ctvnew::rc_grad) {
    if (errcount < std::numeric_limits<std::int32_t>::max()) ++errcount;
    return -1;
  }
  return 1;
}

}  // namespace detail

namespace {

using ctvnl::opcode;
using detail::located;
using detail::numbered;

constexpr std::string_view who = "fwrvEvalNew";
constexpr int divfnr = 66;

// The installed column permutation: column j reads levels[cperm[j - 1]].
std::vector<std::int32_t> cperm;
bool cpermset = false;

// Validated reads of columns and constants.
struct operands {
  std::span<const double> pool;
  std::span<const double> levels;
  std::size_t columns;  // highest column number accepted

  [[nodiscard]] bool column(std::int32_t j, double& x) const {
    if (j < 1 || static_cast<std::size_t>(j) > columns) return false;
    if (!cpermset) {
      x = levels[j - 1];
      return true;
    }
    const std::int32_t p = cperm[j - 1];
    if (p < 0 || static_cast<std::size_t>(p) >= levels.size()) return false;
    x = levels[p];
    return true;
  }
  [[nodiscard]] bool constant(std::int32_t k, double& c) const {
    if (k < 1 || static_cast<std::size_t>(k) > pool.size()) return false;
    c = pool[k - 1];
    return true;
  }
};

class interpreter {
 public:
  interpreter(ctvnew::tmathnewrec& rec, codespan code, std::span<const double> pool,
              std::span<const double> levels, std::span<double> tape, std::span<double> grad,
              bool withgrad, std::int32_t& errcount, q5rt::sstr& msg)
      : rec_(rec),
        code_(code),
        ops_{pool, levels, 0},
        tape_(tape),
        grad_(grad),
        errcount_(errcount),
        msg_(msg) {
    ops_.columns = cpermset ? cperm.size() : levels.size();
    if (withgrad) ops_.columns = std::min(ops_.columns, grad.size());
  }

  template <bool G>
  int forward(std::int32_t first, std::int32_t last, double& value);
  int reverse(std::int32_t first, std::int32_t last);

 private:
  int bad(std::string_view what, std::int32_t k) {
    msg_ = located(who, what, k);
    return 2;
  }
  int badnumber(std::string_view what, long long n, std::int32_t k) {
    msg_ = numbered(who, what, n, k);
    return 2;
  }
  int call(std::int32_t fnr, int n) {
    rec_.nargs = n;
    return detail::callanswer(genextfunc::genericfunceval(rec_, fnr, args_), errcount_);
  }
  template <bool G>
  void record(int n) {
    if constexpr (G) {
      std::copy_n(rec_.g, n, tape_.data() + tp_);
      tp_ += static_cast<std::size_t>(n);
    }
  }

  ctvnew::tmathnewrec& rec_;
  codespan code_;
  operands ops_;
  std::span<double> tape_;
  std::span<double> grad_;
  std::int32_t& errcount_;
  q5rt::sstr& msg_;
  double stack_[stackcap];
  double args_[ctvnew::maxargs];
  int sp_ = 0;          // values on the stack
  std::size_t tp_ = 0;  // entries on the tape
};

template <bool G>
int interpreter::forward(std::int32_t first, std::int32_t last, double& value) {
  double* const st = stack_;
  // Checks of the stack depth an instruction needs and of the room on stack and tape.
  auto under = [&](int n) { return sp_ < n; };
  auto over = [&]() { return sp_ >= stackcap; };
  auto noroom = [&](int n) { return G && tape_.size() - tp_ < static_cast<std::size_t>(n); };
  for (std::int32_t k = first; k <= last; ++k) {
    const ctvnl::tnlcode ins = code_[k - 1];
    const std::int32_t arg = ins.operand;
    double x = 0;
    switch (ins.opcode) {
      case opcode::pushv:
      case opcode::uminv:
        if (over()) return bad("stack overflow", k);
        if (!ops_.column(arg, x)) return badnumber("column", arg, k);
        if constexpr (G) grad_[arg - 1] = 0;
        st[sp_++] = ins.opcode == opcode::pushv ? x : -x;
        break;
      case opcode::pushi:
        if (over()) return bad("stack overflow", k);
        if (!ops_.constant(arg, x)) return badnumber("constant", arg, k);
        st[sp_++] = x;
        break;
      case opcode::pushzero:
        if (over()) return bad("stack overflow", k);
        st[sp_++] = 0;
        break;
      case opcode::store:
        if (under(1)) return bad("stack underflow", k);
        value = st[--sp_];
        break;
      case opcode::add:
      case opcode::sub:
        if (under(2)) return bad("stack underflow", k);
        --sp_;
        st[sp_ - 1] += ins.opcode == opcode::add ? st[sp_] : -st[sp_];
        break;
      case opcode::addv:
      case opcode::subv:
        if (under(1)) return bad("stack underflow", k);
        if (!ops_.column(arg, x)) return badnumber("column", arg, k);
        if constexpr (G) grad_[arg - 1] = 0;
        st[sp_ - 1] += ins.opcode == opcode::addv ? x : -x;
        break;
      case opcode::addi:
      case opcode::subi:
        if (under(1)) return bad("stack underflow", k);
        if (!ops_.constant(arg, x)) return badnumber("constant", arg, k);
        st[sp_ - 1] = ins.opcode == opcode::addi ? x + st[sp_ - 1] : st[sp_ - 1] - x;
        break;
      case opcode::mul: {
        if (under(2)) return bad("stack underflow", k);
        if (noroom(2)) return bad("svGrads stack too short", k);
        const double top = st[--sp_], below = st[sp_ - 1];
        if constexpr (G) {
          tape_[tp_++] = top;  // partial in below, then in top
          tape_[tp_++] = below;
        }
        st[sp_ - 1] = below * top;
        break;
      }
      case opcode::mulv:
        if (under(1)) return bad("stack underflow", k);
        if (noroom(1)) return bad("svGrads stack too short", k);
        if (!ops_.column(arg, x)) return badnumber("column", arg, k);
        if constexpr (G) {
          grad_[arg - 1] = 0;
          tape_[tp_++] = st[sp_ - 1];
        }
        st[sp_ - 1] *= x;
        break;
      case opcode::muli:
        if (under(1)) return bad("stack underflow", k);
        if (!ops_.constant(arg, x)) return badnumber("constant", arg, k);
        st[sp_ - 1] = x * st[sp_ - 1];
        break;
      case opcode::muliadd:
        if (under(2)) return bad("stack underflow", k);
        if (!ops_.constant(arg, x)) return badnumber("constant", arg, k);
        --sp_;
        st[sp_ - 1] = x * st[sp_] + st[sp_ - 1];
        break;
      case opcode::umin:
        if (under(1)) return bad("stack underflow", k);
        st[sp_ - 1] = -st[sp_ - 1];
        break;
      case opcode::div:
      case opcode::callarg2: {
        if (under(2)) return bad("stack underflow", k);
        if (noroom(2)) return bad("svGrads stack too short", k);
        args_[0] = st[sp_ - 2];
        args_[1] = st[sp_ - 1];
        const int stop = call(ins.opcode == opcode::div ? divfnr : arg, 2);
        if (stop >= 0) return stop;
        --sp_;
        st[sp_ - 1] = rec_.f;
        record<G>(2);
        break;
      }
      case opcode::divv:
      case opcode::divi: {
        const bool v = ins.opcode == opcode::divv;
        if (under(1)) return bad("stack underflow", k);
        if (noroom(v ? 2 : 1)) return bad("svGrads stack too short", k);
        if (v ? !ops_.column(arg, x) : !ops_.constant(arg, x))
          return badnumber(v ? "column" : "constant", arg, k);
        if (G && v) grad_[arg - 1] = 0;
        args_[0] = st[sp_ - 1];
        args_[1] = x;
        const int stop = call(divfnr, 2);
        if (stop >= 0) return stop;
        st[sp_ - 1] = rec_.f;
        record<G>(v ? 2 : 1);
        break;
      }
      case opcode::callarg1: {
        if (under(1)) return bad("stack underflow", k);
        if (noroom(1)) return bad("svGrads stack too short", k);
        args_[0] = st[sp_ - 1];
        const int stop = call(arg, 1);
        if (stop >= 0) return stop;
        st[sp_ - 1] = rec_.f;
        record<G>(1);
        break;
      }
      case opcode::callargn: {
        detail::effect e;
        if (!detail::stepeffect(code_, first, k, sp_, stackcap, who, e, msg_)) return 2;
        const int n = e.pops;
        if (noroom(n)) return bad("svGrads stack too short", k);
        sp_ -= n;
        std::copy_n(st + sp_, n, args_);
        const int stop = call(arg, n);
        if (stop >= 0) return stop;
        st[sp_++] = rec_.f;
        record<G>(n);
        break;
      }
      default:
        break;  // NoOp, Header, End, FuncArgN and unknown opcodes: nothing
    }
  }
  if (sp_ != 0) {
    msg_ = q5rt::concat("*** fwrvEvalNew: after forward sweep stack level not zero s=",
                        strutilx::inttostrw(sp_, 0));
    return 2;
  }
  return 0;
}

int interpreter::reverse(std::int32_t first, std::int32_t last) {
  // The forward sweep has checked every operand and depth; the reverse sweep mirrors its
  // stack and tape, and guards them once more against an inconsistency of its own:
  // pops values needed, net change of the depth, tape entries taken.
  double* const st = stack_;
  auto out = [&](int pops, int net, int tape) {
    return sp_ < pops || sp_ + net > stackcap || tp_ < static_cast<std::size_t>(tape);
  };
  auto fail = [&](std::int32_t k) {
    msg_ = located(who, "reverse sweep out of step", k);
    return 4;
  };
  for (std::int32_t k = last; k >= first; --k) {
    const ctvnl::tnlcode ins = code_[k - 1];
    const std::int32_t arg = ins.operand;
    double x = 0;
    switch (ins.opcode) {
      case opcode::noop:
      case opcode::header:
      case opcode::funcargn:
      case opcode::addi:
      case opcode::subi:
        break;
      case opcode::pushv:
      case opcode::uminv:
        if (out(1, -1, 0)) return fail(k);
        --sp_;
        grad_[arg - 1] += ins.opcode == opcode::pushv ? st[sp_] : -st[sp_];
        break;
      case opcode::pushi:
      case opcode::pushzero:
        if (out(1, -1, 0)) return fail(k);
        --sp_;
        break;
      case opcode::store:
        if (out(0, 1, 0)) return fail(k);
        st[sp_++] = 1;
        break;
      case opcode::add:
      case opcode::sub:
        if (out(1, 1, 0)) return fail(k);
        st[sp_] = ins.opcode == opcode::add ? st[sp_ - 1] : -st[sp_ - 1];
        ++sp_;
        break;
      case opcode::addv:
      case opcode::subv:
        if (out(1, 0, 0)) return fail(k);
        grad_[arg - 1] += ins.opcode == opcode::addv ? st[sp_ - 1] : -st[sp_ - 1];
        break;
      case opcode::mul:
      case opcode::div:
      case opcode::callarg2: {  // the pair rule
        if (out(1, 1, 2)) return fail(k);
        const double q = tape_[--tp_], p = tape_[--tp_], a = st[sp_ - 1];
        st[sp_ - 1] = p * a;
        st[sp_++] = q * a;
        break;
      }
      case opcode::mulv: {
        if (out(1, 0, 1)) return fail(k);
        const double t = tape_[--tp_];
        grad_[arg - 1] += t * st[sp_ - 1];
        (void)ops_.column(arg, x);
        st[sp_ - 1] *= x;
        break;
      }
      case opcode::muli:
        if (out(1, 0, 0)) return fail(k);
        (void)ops_.constant(arg, x);
        st[sp_ - 1] = x * st[sp_ - 1];
        break;
      case opcode::divv: {
        if (out(1, 0, 2)) return fail(k);
        const double q = tape_[--tp_], p = tape_[--tp_];
        grad_[arg - 1] += q * st[sp_ - 1];
        st[sp_ - 1] = p * st[sp_ - 1];
        break;
      }
      case opcode::divi:
      case opcode::callarg1:
        if (out(1, 0, 1)) return fail(k);
        st[sp_ - 1] *= tape_[--tp_];
        break;
      case opcode::umin:
        if (out(1, 0, 0)) return fail(k);
        st[sp_ - 1] = -st[sp_ - 1];
        break;
      case opcode::callargn: {
        std::int32_t n = 0;
        if (!detail::argcount(code_, first, k, n) || n < 0 || n > ctvnew::maxargs ||
            out(1, n - 1, n))
          return fail(k);
        rec_.nargs = n;
        const double a = st[--sp_];
        tp_ -= static_cast<std::size_t>(n);
        for (int i = 0; i < n; ++i) st[sp_++] = tape_[tp_ + static_cast<std::size_t>(i)] * a;
        break;
      }
      case opcode::muliadd:
        if (out(1, 1, 0)) return fail(k);
        (void)ops_.constant(arg, x);
        st[sp_] = x * st[sp_ - 1];
        ++sp_;
        break;
      default:  // End and unknown opcodes have no reverse
        msg_ = located(
            who, q5rt::concat("unexpected/unknown instruction ", detail::opname(ins.opcode)), k);
        return 3;
    }
  }
  if (tp_ != 0) {
    msg_ = q5rt::concat("*** fwrvEvalNew: after reverse sweep svGrads stack level not zero g=",
                        strutilx::inttostrw(static_cast<long long>(tp_), 0));
    return 5;
  }
  if (sp_ != 0) {
    msg_ = q5rt::concat("*** fwrvEvalNew: after reverse sweep stack level not zero s=",
                        strutilx::inttostrw(sp_, 0));
    return 4;
  }
  return 0;
}

// The interpreter over one range: the forward sweep, and with the gradient the reverse.
int fwrvevalnew(ctvnew::tmathnewrec& rec, std::int32_t first, std::int32_t last, codespan code,
                std::span<const double> pool, std::span<const double> levels,
                std::span<double> tape, std::span<double> grad, double& value,
                std::int32_t& errcount, q5rt::sstr& msg, bool withgrad) {
  rec.level = withgrad ? 1 : 0;
  value = 999;
  msg.clear();
  if (first >= last) return 0;
  if (!detail::rangeok(first, last, code, who, msg)) return 2;
  interpreter run(rec, code, pool, levels, tape, grad, withgrad, errcount, msg);
  if (!withgrad) return run.forward<false>(first, last, value);
  const int rc = run.forward<true>(first, last, value);
  return rc != 0 ? rc : run.reverse(first, last);
}

}  // namespace

int funeval(ctvnew::tmathnewrec& rec, std::int32_t first, std::int32_t last, codespan code,
            std::span<const double> pool, std::span<const double> levels, double& value,
            std::int32_t& errcount, q5rt::sstr& msg) {
  return fwrvevalnew(rec, first, last, code, pool, levels, {}, {}, value, errcount, msg, false);
}

int gradeval(ctvnew::tmathnewrec& rec, std::int32_t first, std::int32_t last, codespan code,
             std::span<const double> pool, std::span<const double> levels, double& value,
             std::span<double> tape, std::span<double> grad, std::int32_t& errcount,
             q5rt::sstr& msg) {
  return fwrvevalnew(rec, first, last, code, pool, levels, tape, grad, value, errcount, msg, true);
}

int evalnewsetcperm(std::int32_t n, const std::int32_t* positions) {
  if (cpermset) return 1;
  const std::int32_t count = positions != nullptr ? std::max(n, 0) : 0;
  cperm.assign(positions, positions + count);
  cpermset = true;
  return 0;
}

void evalnewfreecperm() {
  cperm.clear();
  cperm.shrink_to_fit();
  cpermset = false;
}

}  // namespace evalnew
