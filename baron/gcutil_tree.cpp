// Expression trees from a row's instruction code, and the listings of trees and code.
#include <cmath>

#include "baron/gcutil.h"
#include "baron/gcutil_internal.h"
#include "baron/liutil.h"
#include "frame/strutilx_numbers.h"
#include "funclib/genextfunc.h"
#include "instance/gcdata.h"

namespace gcutil {

namespace {

using ctvnl::opcode;

constexpr std::int32_t maxstack = 200;
constexpr std::string_view overflow = "*** Stack overflow in buildtree (maxstack=200)";
constexpr std::string_view notone = "Buildtree: stack not equal to one, stack = ";

void outline(std::string_view text) { q5rt::output().writeln(text); }

bool isfunccall(opcode op) {
  return op == opcode::callarg1 || op == opcode::callarg2 || op == opcode::callargn;
}

// Runs the instructions on a stack of nodes. Malformed code (a pop from a stack too
// short, an operand outside the pool or the columns, FuncArgN without its CallArgN or
// with more arguments than the stack holds) is reported and refuses the tree.
class treebuilder {
 public:
  treebuilder(codespan code, std::span<const double> pool) : code_(code), pool_(pool) {}

  node* run(std::int32_t first, std::int32_t last) {
    for (std::int32_t k = first; k <= last && ok_; ++k) {
      if (k < 1 || static_cast<std::size_t>(k) > code_.size()) {
        refuse("instruction", k);
        break;
      }
      k += step(k, last);
    }
    if (!ok_) return nullptr;
    if (height_ != 1) {
      outline(q5rt::concat(notone, detail::num(height_)));
      return nullptr;
    }
    return stack_[0];
  }

 private:
  // One instruction; the count of further instructions it used.
  std::int32_t step(std::int32_t k, std::int32_t last) {
    const ctvnl::tnlcode& ins = code_[static_cast<std::size_t>(k) - 1];
    const std::int32_t a = ins.operand;
    if (!need(ctvnl::effect(ins.opcode).pops, k)) return 0;
    switch (ins.opcode) {
      case opcode::noop:
      case opcode::header:
        return 0;
      case opcode::pushv:
        if (column(a, k)) push(variable(a));
        return 0;
      case opcode::pushi:
        if (poolentry(a, k)) push(constant(a));
        return 0;
      case opcode::pushzero: {
        node* c = leaf(opcode::pushi, 0);
        c->value = 0;
        push(c);
        return 0;
      }
      case opcode::store:
        top() = over(opcode::store, a, top(), nullptr);
        return 0;
      case opcode::add:
      case opcode::sub:
      case opcode::mul:
      case opcode::div:
        binary(ins.opcode, 0, pop());
        return 0;
      case opcode::addv:
      case opcode::subv:
      case opcode::mulv:
      case opcode::divv:
        if (column(a, k)) binary(arithmetic(ins.opcode), 0, variable(a));
        return 0;
      case opcode::addi:
      case opcode::subi:
      case opcode::muli:
      case opcode::divi:
        if (poolentry(a, k)) binary(arithmetic(ins.opcode), 0, constant(a));
        return 0;
      case opcode::umin:
        top() = over(opcode::umin, a, top(), nullptr);
        return 0;
      case opcode::uminv:
        if (column(a, k)) {
          node* v = variable(a);
          push(over(opcode::umin, 0, v, nullptr));
        }
        return 0;
      case opcode::muliadd:
        if (poolentry(a, k)) {
          node* c = constant(a);
          node* product = over(opcode::mul, 0, pop(), c);
          binary(opcode::add, 0, product);
        }
        return 0;
      case opcode::callarg1:
        top() = over(opcode::callarg1, a, top(), nullptr);
        return 0;
      case opcode::callarg2: {
        const std::int32_t f =
            (a == detail::fn::cvpower || a == detail::fn::vcpower) ? detail::fn::rpower : a;
        binary(opcode::callarg2, f, pop());
        return 0;
      }
      case opcode::funcargn:
        return callargn(k, last, a);
      default:  // End, CallArgN alone, Chk, AddO, PushO, Invoc, StackIn, unknown bytes
        outline(q5rt::concat("Buildtree: unknown instruction ", opname(ins.opcode), " at location ",
                             detail::num(k)));
        return 0;
    }
  }

  // FuncArgN n and the CallArgN f after it: the n topmost entries become one call node
  // over a chain of argument nodes.
  std::int32_t callargn(std::int32_t k, std::int32_t last, std::int32_t n) {
    const bool paired = k < last && static_cast<std::size_t>(k) < code_.size() &&
                        code_[static_cast<std::size_t>(k)].opcode == opcode::callargn;
    if (!paired || n < 1 || !need(n, k)) {
      if (ok_) refuse("FuncArgN  ", k);
      return 0;
    }
    node* firstarg = nullptr;
    node* previous = nullptr;
    for (std::int32_t i = 1; i <= n; ++i) {
      node* arg =
          over(opcode::funcargn, i, stack_[static_cast<std::size_t>(height_ - n + i - 1)], nullptr);
      if (previous == nullptr) {
        firstarg = arg;
      } else {
        previous->right = arg;
      }
      previous = arg;
    }
    height_ -= n - 1;
    top() = over(opcode::callargn, code_[static_cast<std::size_t>(k)].operand, firstarg, nullptr);
    return 1;
  }

  static opcode arithmetic(opcode op) {
    switch (op) {
      case opcode::addv:
      case opcode::addi:
        return opcode::add;
      case opcode::subv:
      case opcode::subi:
        return opcode::sub;
      case opcode::mulv:
      case opcode::muli:
        return opcode::mul;
      default:
        return opcode::div;
    }
  }

  static node* leaf(opcode op, std::int32_t operand) {
    node* n = gcdata::getnlrec();
    n->opcode = op;
    n->operand = operand;
    return n;
  }

  static node* over(opcode op, std::int32_t operand, node* left, node* right) {
    node* n = leaf(op, operand);
    n->left = left;
    n->right = right;
    return n;
  }

  static node* variable(std::int32_t c) { return leaf(opcode::pushv, c); }

  // A pool constant: its magnitude, under a negation when the entry is negative.
  node* constant(std::int32_t k) {
    const double v = pool_[static_cast<std::size_t>(k) - 1];
    node* c = leaf(opcode::pushi, k);
    c->value = std::fabs(v);
    return v < 0 ? over(opcode::umin, 0, c, nullptr) : c;
  }

  // top := op(top, right)
  void binary(opcode op, std::int32_t operand, node* right) {
    top() = over(op, operand, top(), right);
  }

  void push(node* n) {
    if (height_ == maxstack) treehalt(overflow);
    stack_[static_cast<std::size_t>(height_++)] = n;
  }
  node* pop() { return stack_[static_cast<std::size_t>(--height_)]; }
  node*& top() { return stack_[static_cast<std::size_t>(height_) - 1]; }

  bool need(std::int32_t n, std::int32_t k) {
    if (height_ >= n) return true;
    refuse(opname(code_[static_cast<std::size_t>(k) - 1].opcode), k);
    return false;
  }
  bool column(std::int32_t c, std::int32_t k) {
    if (c >= 1 && c <= gcdata::mymodel.cols) return true;
    refuse(opname(code_[static_cast<std::size_t>(k) - 1].opcode), k);
    return false;
  }
  bool poolentry(std::int32_t p, std::int32_t k) {
    if (p >= 1 && static_cast<std::size_t>(p) <= pool_.size()) return true;
    refuse(opname(code_[static_cast<std::size_t>(k) - 1].opcode), k);
    return false;
  }

  void refuse(std::string_view what, std::int32_t k) {
    outline(
        q5rt::concat("Buildtree: malformed instruction ", what, " at location ", detail::num(k)));
    ok_ = false;
  }

  codespan code_;
  std::span<const double> pool_;
  std::array<node*, maxstack> stack_{};
  std::int32_t height_ = 0;
  bool ok_ = true;
};

void childnumber(q5rt::textfile& f, const node* child) {
  if (child != nullptr) {
    f.write_integer(child->number, 7);
  } else {
    f.write("       ");
  }
}

// Number, children and opcode name: the head of a listing line.
void nodehead(q5rt::textfile& f, const node* n) {
  f.write_integer(n->number, 7);
  childnumber(f, n->left);
  childnumber(f, n->right);
  f.write("  ");
  f.write(opname(n->opcode));
}

}  // namespace

q5rt::sstr opname(ctvnl::opcode op) {
  const int k = ctvnl::code(op);
  if (k < ctvnl::opcode_count)
    return q5rt::sstr::cut(ctvnl::nlcodetxt[static_cast<std::size_t>(k)]);
  return liutil::padright(detail::num(k), 10);
}

node* buildtree(std::int32_t first, std::int32_t last, codespan code,
                std::span<const double> pool) {
  if (first > last) {
    outline(q5rt::concat(notone, "0"));
    return nullptr;
  }
  treebuilder builder(code, pool);
  return builder.run(first, last);
}

bool searchcode(codespan code, std::int32_t count, std::int32_t column) {
  const std::size_t n = std::min(code.size(), static_cast<std::size_t>(std::max(count, 0)));
  for (std::size_t k = 0; k < n; ++k) {
    if (ctvnl::pushgradvars.contains(ctvnl::code(code[k].opcode)) && code[k].operand == column)
      return true;
  }
  return false;
}

void dumptree(const node* n, std::string_view title) {
  q5rt::textfile& out = q5rt::output();
  out.writeln();
  out.writeln(q5rt::concat("Dump Equ Tree ", title));
  out.writeln();
  out.writeln("   Node   Left  Right  OpCode    Field");
  if (n == nullptr) out.writeln("empty");
  for (; n != nullptr; n = n->next) {
    if (n->opcode == opcode::noop) {
      out.write_integer(n->number, 7);
      out.writeln();
      continue;
    }
    nodehead(out, n);
    switch (n->opcode) {
      case opcode::pushi:
        out.write(q5rt::concat(" =", strutilx::dbltostr(n->value)));
        break;
      case opcode::store:
        out.write(q5rt::concat(" e", detail::num(n->operand)));
        break;
      case opcode::pushv:
        out.write(q5rt::concat(" x", detail::num(n->operand)));
        break;
      default:
        if (n->operand != 0) out.write(q5rt::concat(" ", detail::num(n->operand)));
    }
    out.writeln();
  }
}

void dumpnlrec(q5rt::textfile& f, const node* n) {
  for (; n != nullptr; n = n->next) {
    nodehead(f, n);
    f.write_integer(n->operand);
    if (n->opcode == opcode::pushi) f.write(q5rt::concat("  ", strutilx::dbltostr(n->value)));
    if (isfunccall(n->opcode)) f.write(q5rt::concat(" ", genextfunc::genericfuncname(n->operand)));
    f.writeln();
  }
}

void dumpnlcode(q5rt::textfile& f, std::string_view title, codespan code,
                std::span<const double> pool, std::int32_t first, std::int32_t last) {
  f.writeln();
  f.writeln(title);
  dumpnllisting(f, code, pool, first, last);
}

void dumpnllisting(q5rt::textfile& f, codespan code, std::span<const double> pool,
                   std::int32_t first, std::int32_t last) {
  for (std::int32_t k = std::max(first, 1); k <= last && static_cast<std::size_t>(k) <= code.size();
       ++k) {
    const ctvnl::tnlcode& ins = code[static_cast<std::size_t>(k) - 1];
    const int op = ctvnl::code(ins.opcode);
    if (ins.opcode == opcode::header) f.writeln();
    f.write_integer(k, 6);
    f.write(" ");
    f.write(opname(ins.opcode));
    f.write(" ");
    if (ins.operand != 0) {
      f.write_integer(ins.operand, 4);
    } else {
      f.write("    ");
    }
    f.write("  ");
    if (ins.opcode == opcode::store) {
      f.write(q5rt::concat("e", detail::num(ins.operand)));
    } else if (ctvnl::pushgradvars.contains(op)) {
      f.write(q5rt::concat("v", detail::num(ins.operand)));
    } else if (ctvnl::pushimmed.contains(op)) {
      if (ins.operand >= 1 && static_cast<std::size_t>(ins.operand) <= pool.size())
        f.write(strutilx::dbltostr(pool[static_cast<std::size_t>(ins.operand) - 1]));
    } else if (isfunccall(ins.opcode)) {
      f.write(genextfunc::genericfuncname(ins.operand));
    }
    f.writeln();
  }
}

}  // namespace gcutil
