// Symbolic differentiation of a row's postfix code: the instructions run on a symbolic
// stack, and each entry that depends on the column leaves its derivative code in the
// output. Where a derivative needs the value of a subexpression, that subexpression's
// code is copied from the row.
//
// The derivative code reads fixed pool entries: 1 (one), 5 (one half), 6 (two), 8
// (zero), 9 (1/sqrt(2 pi)), 10 (1/ln 10) and 11 (1/ln 2).
#include <algorithm>
#include <cmath>
#include <vector>

#include "baron/gcutil.h"
#include "baron/gcutil_internal.h"
#include "funclib/genextfunc.h"

namespace gcutil {

namespace {

using ctvnl::opcode;
namespace fn = detail::fn;

constexpr std::int32_t one = 1;
constexpr std::int32_t half = 5;
constexpr std::int32_t two = 6;
constexpr std::int32_t zero = 8;
constexpr std::int32_t erffactor = 9;
constexpr std::int32_t ln10inv = 10;
constexpr std::int32_t ln2inv = 11;

// Function numbers the rules name beyond the tree code's.
constexpr std::int32_t fceil = 1, ffloor = 2, fround = 3, ftrunc = 5, fsign = 6;
constexpr std::int32_t fcos = 15, fsin = 16, farctan = 17, ferrorf = 18, flog2 = 50;
constexpr std::int32_t frelge = 59, fifthen = 63;

constexpr std::string_view cannotdiff = "*** cannot diff ";
constexpr std::string_view unknown = "differ: unknown instruction ";
constexpr std::string_view notone = "differ: stack not equal to one, stack = ";

void outline(std::string_view text) { q5rt::output().writeln(text); }

// One symbolic stack entry.
struct entry {
  bool dep = false;         // depends on the column
  std::int32_t srcend = 0;  // row position of the entry's last instruction
  std::int32_t outend = 0;  // output length when the entry was complete
};

class differ {
 public:
  differ(codespan code, std::int32_t column, std::span<ctvnl::tnlcode> out, std::int32_t capacity)
      : code_(code),
        column_(column),
        out_(out),
        capacity_(std::min<std::int64_t>(capacity, static_cast<std::int64_t>(out.size()))) {}

  bool run(std::int32_t first, std::int32_t last, std::int32_t& count) {
    stack_.push_back({false, first - 1, 0});  // the entry below the first
    for (std::int32_t k = first; k <= last; ++k) {
      if (k < 1 || static_cast<std::size_t>(k) > code_.size()) break;
      k = step(k, last);
    }
    const std::size_t height = stack_.size() - 1;
    if (height != 1)
      treehalt(q5rt::concat(notone, detail::num(static_cast<std::int64_t>(height))), 1);
    if (capacity_ >= 1 && out_[0].opcode == opcode::header) out_[0].operand = length_;
    count = length_;
    return overflow_;
  }

 private:
  void emit(opcode op, std::int32_t operand = 0) {
    if (length_ < capacity_) {
      out_[static_cast<std::size_t>(length_)] = {op, operand};
    } else {
      overflow_ = true;
    }
    ++length_;
  }

  entry& top() { return stack_.back(); }
  entry& below() { return stack_[stack_.size() - 2]; }
  std::size_t topindex() const { return stack_.size() - 1; }
  std::int32_t height() const { return static_cast<std::int32_t>(stack_.size()) - 1; }

  // Appends the value code of stack entry k (1 = bottom).
  void copyblock(std::size_t k) {
    const std::int32_t from = stack_[k - 1].srcend + 1;
    const std::int32_t to = stack_[k].srcend;
    const std::int32_t start = length_;
    for (std::int32_t p = from; p <= to; ++p) {
      const ctvnl::tnlcode& ins = code_[static_cast<std::size_t>(p) - 1];
      emit(ins.opcode, ins.operand);
    }
    if (overflow_) return;
    while (length_ > start &&
           out_[static_cast<std::size_t>(length_) - 1].opcode == opcode::funcargn) {
      --length_;
    }
  }

  // Exchanges the adjacent output blocks a+1..b and b+1..c (output positions from 1).
  void swap(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (overflow_) return;
    const auto at = [this](std::int32_t p) { return out_.begin() + p; };
    std::reverse(at(a), at(b));
    std::reverse(at(b), at(c));
    std::reverse(at(a), at(c));
  }

  // Pushes an entry built by instruction k.
  void push(std::int32_t k, bool dep) { stack_.push_back({dep, k, 0}); }

  // Replaces the top n entries by one, built up to instruction k.
  void combine(std::size_t n, std::int32_t k, bool dep) {
    stack_.resize(stack_.size() - (n - 1));
    top() = {dep, k, 0};
  }

  // An instruction that needs n entries on a shorter stack: malformed code ends the run
  // as a wrong final stack does.
  void need(std::size_t n) {
    if (stack_.size() - 1 < n) treehalt(q5rt::concat(notone, detail::num(height())), 1);
  }

  void cannot(std::string_view what) { outline(q5rt::concat(cannotdiff, what)); }

  std::int32_t step(std::int32_t k, std::int32_t last) {
    const ctvnl::tnlcode ins = code_[static_cast<std::size_t>(k) - 1];
    const std::int32_t a = ins.operand;
    const bool col = a == column_;
    need(static_cast<std::size_t>(ctvnl::effect(ins.opcode).pops));
    switch (ins.opcode) {
      case opcode::header:
        emit(opcode::header, a);
        if (height() == 0) stack_[0] = {false, k, length_};
        break;
      case opcode::pushv:  // d x = 1
        push(k, col);
        if (col) emit(opcode::pushi, one);
        break;
      case opcode::pushi:
      case opcode::pushzero:
        push(k, false);
        break;
      case opcode::uminv:  // d(-x) = -1
        push(k, col);
        if (col) emit(opcode::pushi, one), emit(opcode::umin);
        break;
      case opcode::store:
        if (length_ == 1) emit(opcode::pushi, zero);
        emit(opcode::store, a);
        top().srcend = k;
        break;
      case opcode::add:
      case opcode::sub:
      case opcode::mul:
      case opcode::div:
      case opcode::muliadd:
        binary(ins, k);
        break;
      case opcode::addv:
      case opcode::subv:
      case opcode::mulv:
      case opcode::divv:
        withcolumn(ins, k);
        break;
      case opcode::muli:
      case opcode::divi:
      case opcode::umin:  // linear in the top: the same instruction
        if (top().dep) emit(ins.opcode, a);
        top().srcend = k;
        break;
      case opcode::addi:
      case opcode::subi:
      case opcode::noop:
        if (ins.opcode != opcode::noop) top().srcend = k;
        break;
      case opcode::callarg1:
        call1(a, k);
        break;
      case opcode::callarg2:
        call2(a, k);
        break;
      case opcode::funcargn:
        return funcargn(k, last, a);
      default:  // End, CallArgN alone, opcodes above MulIAdd/PushZero
        outline(q5rt::concat(unknown, opname(ins.opcode), " at location ", detail::num(k)));
        break;
    }
    if (!stack_.empty() && topindex() > 0) top().outend = length_;
    return k;
  }

  void binary(const ctvnl::tnlcode& ins, std::int32_t k) {
    const std::size_t v = topindex();
    const std::size_t u = v - 1;
    const bool du = stack_[u].dep;
    const bool dv = stack_[v].dep;
    const std::int32_t ustart = stack_[u - 1].outend;  // du is ustart+1..uend
    const std::int32_t uend = stack_[u].outend;
    if (du || dv) {
      switch (ins.opcode) {
        case opcode::add:  // du + dv
          if (du && dv) emit(opcode::add);
          break;
        case opcode::sub:  // du - dv
          if (du && dv) {
            emit(opcode::sub);
          } else if (dv) {
            emit(opcode::umin);
          }
          break;
        case opcode::mul:  // dv*u + du*v
          if (du && dv) {
            copyblock(u), emit(opcode::mul);
            swap(ustart, uend, length_);
            copyblock(v), emit(opcode::mul), emit(opcode::add);
          } else if (du) {
            copyblock(v), emit(opcode::mul);
          } else {
            copyblock(u), emit(opcode::mul);
          }
          break;
        case opcode::div:  // (du*v - dv*u)/v^2
          if (du && !dv) {
            copyblock(v), emit(opcode::div);
          } else {
            copyblock(u), emit(opcode::mul), emit(opcode::umin);
            if (du) {
              swap(ustart, uend, length_);
              copyblock(v), emit(opcode::mul), emit(opcode::add);
            }
            copyblock(v), emit(opcode::callarg1, fn::sqr), emit(opcode::div);
          }
          break;
        default:  // MulIAdd: du + dv*k
          if (dv) emit(opcode::muli, ins.operand);
          if (du && dv) emit(opcode::add);
          break;
      }
    }
    combine(2, k, du || dv);
  }

  // AddV, SubV, MulV, DivV of a column c on the top v.
  void withcolumn(const ctvnl::tnlcode& ins, std::int32_t k) {
    const std::int32_t c = ins.operand;
    const bool dv = top().dep;
    const std::size_t v = topindex();
    if (c != column_) {  // linear in v
      if (dv && (ins.opcode == opcode::mulv || ins.opcode == opcode::divv)) emit(ins.opcode, c);
      top().srcend = k;
      return;
    }
    switch (ins.opcode) {
      case opcode::addv:  // dv + 1
        dv ? emit(opcode::addi, one) : emit(opcode::pushi, one);
        break;
      case opcode::subv:  // dv - 1
        if (dv) {
          emit(opcode::subi, one);
        } else {
          emit(opcode::pushi, one), emit(opcode::umin);
        }
        break;
      case opcode::mulv:  // dv*x + v
        if (dv) emit(opcode::mulv, c);
        copyblock(v);
        if (dv) emit(opcode::add);
        break;
      default:  // DivV: (dv*x - v)/x^2
        if (dv) {
          emit(opcode::mulv, c), copyblock(v), emit(opcode::sub);
        } else {
          copyblock(v), emit(opcode::umin);
        }
        emit(opcode::pushv, c), emit(opcode::callarg1, fn::sqr), emit(opcode::div);
        break;
    }
    top() = {true, k, 0};
  }

  void call1(std::int32_t f, std::int32_t k) {
    const std::size_t v = topindex();
    if (!top().dep) {
      top().srcend = k;
      return;
    }
    switch (f) {
      case fceil:
      case ffloor:
      case fround:
      case ftrunc:
      case fsign:  // piecewise constant: derivative 0
        length_ = stack_[v - 1].outend;
        top() = {false, k, 0};
        return;
      case fn::sqr:  // 2v
        copyblock(v), emit(opcode::muli, two);
        break;
      case fn::exp:  // exp(v)
        copyblock(v), emit(opcode::callarg1, fn::exp);
        break;
      case fn::log:  // 1/v
        emit(opcode::pushi, one), copyblock(v), emit(opcode::div);
        break;
      case fn::log10:  // (1/ln 10)/v
        emit(opcode::pushi, ln10inv), copyblock(v), emit(opcode::div);
        break;
      case fn::sqrt:  // (1/2)/sqrt(v)
        emit(opcode::pushi, half), copyblock(v), emit(opcode::callarg1, fn::sqrt),
            emit(opcode::div);
        break;
      case fn::abs:  // IfThen(v >= 0, 1, -1)
        copyblock(v), emit(opcode::pushi, zero), emit(opcode::callarg2, frelge);
        emit(opcode::pushi, one), emit(opcode::pushi, one), emit(opcode::umin);
        emit(opcode::funcargn, 3), emit(opcode::callargn, fifthen);
        break;
      case fcos:  // -sin(v)
        copyblock(v), emit(opcode::callarg1, fsin), emit(opcode::umin);
        break;
      case fsin:  // cos(v)
        copyblock(v), emit(opcode::callarg1, fcos);
        break;
      case farctan:  // 1/(1 + v^2)
        emit(opcode::pushi, one), emit(opcode::pushi, one), copyblock(v);
        emit(opcode::callarg1, fn::sqr), emit(opcode::add), emit(opcode::div);
        break;
      case ferrorf:  // exp(-v^2/2)/sqrt(2 pi)
        copyblock(v), emit(opcode::callarg1, fn::sqr), emit(opcode::muli, half), emit(opcode::umin);
        emit(opcode::callarg1, fn::exp), emit(opcode::muli, erffactor);
        break;
      case flog2:  // (1/ln 2)/v
        emit(opcode::pushi, ln2inv), copyblock(v), emit(opcode::div);
        break;
      default:
        cannot(q5rt::concat("CallArg1  ", genextfunc::genericfuncname(f)));
        top().srcend = k;
        return;
    }
    emit(opcode::mul);
    top().srcend = k;
  }

  void call2(std::int32_t f, std::int32_t k) {
    const std::size_t v = topindex();
    const std::size_t u = v - 1;
    const bool du = stack_[u].dep;
    const bool dv = stack_[v].dep;
    const bool power = f == fn::power || detail::rootpower(f);
    const bool basepower = f == fn::rpower || f == fn::cvpower;
    if (!du && !dv) {
      combine(2, k, false);
      return;
    }
    if (du && !dv && power) {  // du*v*f(u, v-1)
      copyblock(v), emit(opcode::mul);
      copyblock(u), copyblock(v), emit(opcode::subi, one), emit(opcode::callarg2, f),
          emit(opcode::mul);
    } else if (!du && dv && basepower) {  // dv*f(u, v)*log(u)
      copyblock(u), copyblock(v), emit(opcode::callarg2, f);
      copyblock(u), emit(opcode::callarg1, fn::log), emit(opcode::mul), emit(opcode::mul);
    } else if (du && dv && f == fn::rpower) {  // (dv*log(u) + du*v/u)*u^v
      copyblock(u), emit(opcode::callarg1, fn::log), emit(opcode::mul);
      swap(stack_[u - 1].outend, stack_[u].outend, length_);
      copyblock(v), emit(opcode::mul), copyblock(u), emit(opcode::div), emit(opcode::add);
      copyblock(u), copyblock(v), emit(opcode::callarg2, fn::rpower), emit(opcode::mul);
    } else {
      cannot(q5rt::concat("CallArg2  ", genextfunc::genericfuncname(f)));
    }
    combine(2, k, du || dv);
  }

  // FuncArgN n and the CallArgN after it: no rule; the arguments' derivative code is
  // taken back so that the output stays well-formed.
  std::int32_t funcargn(std::int32_t k, std::int32_t last, std::int32_t n) {
    cannot("FuncArgN  ");
    const std::size_t count = static_cast<std::size_t>(std::max(n, 1));
    need(count);
    const std::size_t firstarg = stack_.size() - count;
    length_ = stack_[firstarg - 1].outend;
    const bool paired = k < last && static_cast<std::size_t>(k) < code_.size() &&
                        code_[static_cast<std::size_t>(k)].opcode == opcode::callargn;
    const std::int32_t end = paired ? k + 1 : k;
    combine(count, end, false);
    top().outend = length_;
    return end;
  }

  codespan code_;
  std::int32_t column_;
  std::span<ctvnl::tnlcode> out_;
  std::int64_t capacity_;
  std::int32_t length_ = 0;
  bool overflow_ = false;
  std::vector<entry> stack_;
};

}  // namespace

const std::array<poolconstant, 7> diffpool = {{{1, 1.0},
                                               {5, 0.5},
                                               {6, 2.0},
                                               {8, 0.0},
                                               {9, 0.398942280401432677939946},
                                               {10, 0.434294481903251827651129},
                                               {11, 1.44269504088896340735992}}};

bool diffpoolok(std::span<const double> pool) {
  return std::all_of(diffpool.begin(), diffpool.end(), [pool](const poolconstant& c) {
    const std::size_t i = static_cast<std::size_t>(c.position) - 1;
    return i < pool.size() &&
           std::fabs(pool[i] - c.value) <= 1e-12 * std::max(1.0, std::fabs(c.value));
  });
}

bool diffcode(std::int32_t first, std::int32_t last, std::int32_t column, codespan code,
              std::span<const double> /*pool*/, std::span<ctvnl::tnlcode> out, std::int32_t& count,
              std::int32_t capacity) {
  return differ(code, column, out, capacity).run(first, last, count);
}

}  // namespace gcutil
