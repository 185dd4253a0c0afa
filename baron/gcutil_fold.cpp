// Rewriting a tree into the functions a written model offers, and folding it: constants
// evaluated, negations pushed outward, constants moved left, divisions by constants
// turned into products. Both walk the pool's in-use chain, reachable nodes or not.
#include <cmath>

#include "baron/gcutil.h"
#include "baron/gcutil_internal.h"
#include "funclib/genextfunc.h"
#include "instance/gcdata.h"

namespace gcutil {

namespace {

using ctvnl::opcode;

namespace fn = detail::fn;
// 1/ln 10 as the written models have always carried it (text 0.434294481903525).
constexpr double log10factor = 0.4342944819035252;
constexpr int maxpasses = 21;
constexpr std::string_view divzeroone = "*** Division by zero in clean one";
constexpr std::string_view divzerotwo = "*** Division by zero in clean two";

bool isconst(const node* n) { return n != nullptr && n->opcode == opcode::pushi; }
bool isneg(const node* n) {
  return n != nullptr && n->opcode == opcode::umin && n->left != nullptr;
}
bool isnegconst(const node* n) { return isneg(n) && isconst(n->left); }
bool isproduct(const node* n) {
  return n != nullptr && (n->opcode == opcode::mul || n->opcode == opcode::div) &&
         n->left != nullptr && n->right != nullptr;
}
// c * z or c / z with a constant c.
bool constleft(const node* n) { return isproduct(n) && isconst(n->left); }

node* make(opcode op, std::int32_t operand, node* left, node* right) {
  node* n = gcdata::getnlrec();
  n->opcode = op;
  n->operand = operand;
  n->left = left;
  n->right = right;
  return n;
}

node* newconst(double v) {
  node* n = make(opcode::pushi, 0, nullptr, nullptr);
  n->value = v;
  return n;
}

void become(node* n, opcode op, std::int32_t operand, node* left, node* right) {
  n->opcode = op;
  n->operand = operand;
  n->left = left;
  n->right = right;
}

void becomeconst(node* n, double v) {
  become(n, opcode::pushi, 0, nullptr, nullptr);
  n->value = v;
}

// The node takes over x's opcode, operand, value and children.
void takeover(node* n, const node* x) {
  become(n, x->opcode, x->operand, x->left, x->right);
  n->value = x->value;
}

// ---- rewriting ----

void rewritecall1(node* n, bool sqrsw, bool sqrtsw, bool log10sw, bool abssw) {
  node* x = n->left;
  switch (n->operand) {
    case fn::sqr:
      if (sqrsw) become(n, opcode::callarg2, fn::power, x, newconst(2.0));
      break;
    case fn::log10:
      if (log10sw) {
        node* logx = make(opcode::callarg1, fn::log, x, nullptr);
        become(n, opcode::mul, 0, logx, newconst(log10factor));
      }
      break;
    case fn::sqrt:
      if (sqrtsw) become(n, opcode::callarg2, fn::rpower, x, newconst(0.5));
      break;
    case fn::abs:
      if (abssw) {
        node* square = make(opcode::callarg1, fn::sqr, x, nullptr);
        become(n, opcode::callarg1, fn::sqrt, square, nullptr);
        if (sqrsw) become(square, opcode::callarg2, fn::power, x, newconst(2.0));
        if (sqrtsw) become(n, opcode::callarg2, fn::rpower, square, newconst(0.5));
      }
      break;
    default:
      break;
  }
}

void rewritecall2(node* n, bool powersw) {
  node* x = n->left;
  node* y = n->right;
  if (x == nullptr || y == nullptr) return;
  if (n->operand == fn::power) {
    if (isconst(y) && y->value == 1) {
      takeover(n, x);
      gcdata::dropnlrec(x);
      gcdata::dropnlrec(y);
    } else if (isconst(y) && y->value == 0) {
      gcdata::dropsubtree(x);
      gcdata::dropnlrec(y);
      becomeconst(n, 1.0);
    } else if (isnegconst(y) && y->left->value == 1) {
      become(n, opcode::div, 0, newconst(1.0), x);
      gcdata::dropsubtree(y);
    }
    return;
  }
  if (!detail::rootpower(n->operand) || !powersw) return;
  if (isconst(x) || isnegconst(x) || isconst(y) || isnegconst(y)) return;
  // x^y = exp(y*log(x))
  node* logx = make(opcode::callarg1, fn::log, x, nullptr);
  node* product = make(opcode::mul, 0, y, logx);
  become(n, opcode::callarg1, fn::exp, product, nullptr);
}

// ---- folding ----

// The node becomes the value v, reusing c1 for the magnitude of a negative value; false
// (nothing changed) for a value that is not finite: such a text must not reach a model.
bool foldto(node* n, node* c1, double v) {
  if (!std::isfinite(v)) return false;
  if (v < 0) {
    c1->value = -v;
    c1->operand = 0;
    if (n->right != nullptr && n->right != c1) gcdata::dropnlrec(n->right);
    if (n->left != nullptr && n->left != c1) gcdata::dropnlrec(n->left);
    become(n, opcode::umin, 0, c1, nullptr);
  } else {
    if (n->left != nullptr) gcdata::dropnlrec(n->left);
    if (n->right != nullptr) gcdata::dropnlrec(n->right);
    becomeconst(n, v);
  }
  return true;
}

void checkdivisor(double v, std::string_view line) {
  if (v == 0) treehalt(line);
}

// f(c): the function's value at the constant, when the library delivers a finite one.
bool foldcall(node* n) {
  node* c = n->left;
  if (!isconst(c)) return false;
  ctvnew::tmathnewrec& rec = mathnewconvert;
  const std::int32_t level = rec.level;
  const std::int32_t nargs = rec.nargs;
  rec.level = 0;
  rec.nargs = 1;
  double arg = c->value;
  const int rc = genextfunc::genericfunceval(rec, n->operand, &arg);
  const double r = rec.f;
  rec.level = level;
  rec.nargs = nargs;
  // A failed evaluation leaves a value that says nothing about f(c): the call stays.
  if (rc != 0 || !std::isfinite(r)) return false;
  if (r >= 0) {
    becomeconst(n, r);
    gcdata::dropnlrec(c);
  } else {
    c->value = -r;
    c->operand = 0;
    become(n, opcode::umin, 0, c, nullptr);
  }
  return true;
}

bool foldconstants(node* n) {
  node* c1 = n->left;
  node* c2 = n->right;
  const double a = c1->value;
  const double b = c2->value;
  switch (n->opcode) {
    case opcode::add:
      return foldto(n, c1, a + b);
    case opcode::sub:
      return foldto(n, c1, a - b);
    case opcode::mul:
      return foldto(n, c1, a * b);
    default:
      checkdivisor(b, divzeroone);
      return foldto(n, c1, a / b);
  }
}

// -(a) op -(b) with constants a and b: the value v into the node.
bool foldnegated(node* n, double v) {
  node* l = n->left;
  node* r = n->right;
  node* a = l->left;
  node* b = r->left;
  if (!std::isfinite(v)) return false;
  gcdata::dropnlrec(l);
  gcdata::dropnlrec(r);
  n->left = a;
  n->right = b;
  return foldto(n, a, v);
}

bool sum(node* n) {
  node* l = n->left;
  node* r = n->right;
  if (isconst(l)) {
    if (!isneg(r)) return false;
    become(n, opcode::sub, 0, l, r->left);  // c + (-y) = c - y
    gcdata::dropnlrec(r);
    return true;
  }
  if (isneg(l)) {
    node* y = l->left;
    if (isneg(r)) {
      node* z = r->left;
      if (isconst(y) && isconst(z)) return foldnegated(n, -y->value - z->value);
      become(n, opcode::sub, 0, l, z);  // (-y) + (-z) = (-y) - z
      gcdata::dropnlrec(r);
      return true;
    }
    if (isconst(r)) {
      become(n, opcode::add, 0, r, l);
      return true;
    }
    if (isconst(y)) return false;
    become(n, opcode::sub, 0, r, y);  // (-y) + R = R - y
    gcdata::dropnlrec(l);
    return true;
  }
  if (isconst(r)) {
    become(n, opcode::add, 0, r, l);
    return true;
  }
  if (isneg(r)) {
    become(n, opcode::sub, 0, l, r->left);
    gcdata::dropnlrec(r);
    return true;
  }
  return false;
}

bool difference(node* n) {
  node* l = n->left;
  node* r = n->right;
  if (isconst(l)) {
    if (!isneg(r)) return false;
    become(n, opcode::add, 0, l, r->left);  // c - (-y) = c + y
    gcdata::dropnlrec(r);
    return true;
  }
  if (isneg(l)) {
    if (isneg(r)) {
      node* y = l->left;
      node* z = r->left;
      if (isconst(y) && isconst(z)) return foldnegated(n, z->value - y->value);
      become(n, opcode::add, 0, l, z);  // (-y) - (-z) = (-y) + z
      gcdata::dropnlrec(r);
      return true;
    }
    if (!isconst(r)) return false;
    become(n, opcode::add, 0, make(opcode::umin, 0, r, nullptr), l);  // (-c) + (-y)
    return true;
  }
  if (isconst(r)) {
    become(n, opcode::add, 0, make(opcode::umin, 0, r, nullptr), l);  // L - c = (-c) + L
    return true;
  }
  if (isneg(r)) {
    become(n, opcode::add, 0, l, r->left);
    gcdata::dropnlrec(r);
    return true;
  }
  return false;
}

// (c op1 y) op2 z: the constant to the node's left.
bool leftside(node* n) {
  node* inner = n->left;
  node* c = inner->left;
  node* y = inner->right;
  node* z = n->right;
  const opcode op2 = n->opcode;
  if (inner->opcode == opcode::mul) {
    become(inner, op2, 0, y, z);  // (c*y) op2 z = c * (y op2 z)
    become(n, opcode::mul, 0, c, inner);
  } else if (op2 == opcode::mul) {
    become(inner, opcode::div, 0, z, y);  // (c/y)*z = c * (z/y)
    become(n, opcode::mul, 0, c, inner);
  } else {
    become(inner, opcode::mul, 0, y, z);  // (c/y)/z = c / (y*z)
    become(n, opcode::div, 0, c, inner);
  }
  return true;
}

// L op2 (c op1 z): the constant to the node's left.
bool rightside(node* n) {
  node* l = n->left;
  node* inner = n->right;
  node* c = inner->left;
  node* z = inner->right;
  if (n->opcode == opcode::mul) {
    inner->left = l;  // L*(c op1 z) = c*(L op1 z)
    become(n, opcode::mul, 0, c, inner);
    return true;
  }
  checkdivisor(c->value, divzerotwo);
  const double inverse = 1 / c->value;
  if (!std::isfinite(inverse)) return false;
  c->value = inverse;
  // L/(c*z) = (1/c)*(L/z); L/(c/z) = (1/c)*(L*z)
  become(inner, inner->opcode == opcode::mul ? opcode::div : opcode::mul, 0, l, z);
  become(n, opcode::mul, 0, c, inner);
  return true;
}

// n = -(inner op other) with inner a negation node taking the product: the negation
// node becomes the product, the node its negation.
bool negate(node* n, node* carrier, opcode op, node* left, node* right) {
  become(carrier, op, 0, left, right);
  become(n, opcode::umin, 0, carrier, nullptr);
  return true;
}

bool product(node* n) {
  node* l = n->left;
  node* r = n->right;
  if (isconst(l)) {
    if (isneg(r)) return negate(n, r, opcode::mul, l, r->left);  // c*(-y) = -(c*y)
    if (constleft(r)) {
      const double v = l->value * r->left->value;
      if (!std::isfinite(v)) return false;
      l->value = v;  // c*(c2 op z) = (c*c2) op z
      gcdata::dropnlrec(r->left);
      become(n, r->opcode, 0, l, r->right);
      gcdata::dropnlrec(r);
      return true;
    }
    if (l->value == 1.0) {
      takeover(n, r);
      gcdata::dropnlrec(l);
      gcdata::dropnlrec(r);
      return true;
    }
    return false;
  }
  if (isneg(l)) {
    if (isneg(r)) {
      become(n, opcode::mul, 0, l->left, r->left);  // (-y)*(-z) = y*z
      gcdata::dropnlrec(l);
      gcdata::dropnlrec(r);
      return true;
    }
    if (isconst(r)) {
      become(n, opcode::mul, 0, r, l);
      return true;
    }
    return negate(n, l, opcode::mul, l->left, r);  // (-y)*R = -(y*R)
  }
  if (isconst(r)) {
    become(n, opcode::mul, 0, r, l);
    return true;
  }
  if (isneg(r)) return negate(n, r, opcode::mul, l, r->left);  // L*(-y) = -(L*y)
  if (constleft(l)) return leftside(n);
  if (constleft(r)) return rightside(n);
  return false;
}

// x / c = (1/c) * x, c becoming the left operand.
bool byconstant(node* n) {
  node* l = n->left;
  node* c = n->right;
  checkdivisor(c->value, divzeroone);
  const double inverse = 1 / c->value;
  if (!std::isfinite(inverse)) return false;
  c->value = inverse;
  become(n, opcode::mul, 0, c, l);
  return true;
}

bool quotient(node* n) {
  node* l = n->left;
  node* r = n->right;
  if (isconst(l)) {
    if (isneg(r)) return negate(n, r, opcode::div, l, r->left);  // c/(-y) = -(c/y)
    if (constleft(r)) return rightside(n);
    return false;
  }
  if (isneg(l)) {
    if (isneg(r)) {
      become(n, opcode::div, 0, l->left, r->left);  // (-y)/(-z) = y/z
      gcdata::dropnlrec(l);
      gcdata::dropnlrec(r);
      return true;
    }
    if (isconst(r)) return byconstant(n);
    return negate(n, l, opcode::div, l->left, r);  // (-y)/R = -(y/R)
  }
  if (isconst(r)) return byconstant(n);
  if (isneg(r)) return negate(n, r, opcode::div, l, r->left);  // L/(-y) = -(L/y)
  if (constleft(l)) return leftside(n);
  if (constleft(r)) return rightside(n);
  return false;
}

bool binaryop(opcode op) {
  return op == opcode::add || op == opcode::sub || op == opcode::mul || op == opcode::div;
}

// The first rule that matches the node; true when it changed the tree.
bool cleannode(node* n) {
  if (n->opcode == opcode::umin) {
    node* x = n->left;
    if (!isneg(x)) return false;
    node* y = x->left;  // -(-y) = y
    takeover(n, y);
    gcdata::dropnlrec(x);
    gcdata::dropnlrec(y);
    return true;
  }
  if (n->opcode == opcode::callarg1) return foldcall(n);
  if (!binaryop(n->opcode) || n->left == nullptr || n->right == nullptr) return false;
  if (isconst(n->left) && isconst(n->right)) return foldconstants(n);
  switch (n->opcode) {
    case opcode::add:
      return sum(n);
    case opcode::sub:
      return difference(n);
    case opcode::mul:
      return product(n);
    default:
      return quotient(n);
  }
}

}  // namespace

void transformtree(node* first, bool sqrsw, bool sqrtsw, bool log10sw, bool abssw, bool powersw) {
  for (node* n = first; n != nullptr; n = n->next) {
    if (n->opcode == opcode::callarg1) {
      rewritecall1(n, sqrsw, sqrtsw, log10sw, abssw);
    } else if (n->opcode == opcode::callarg2) {
      rewritecall2(n, powersw);
    }
  }
}

void simplereform(node* root, double coef) {
  if (root == nullptr || root->left == nullptr) return;
  const double k = std::fabs(coef) < 1e-100 ? 1e100 : 1 / std::fabs(coef);
  node* product = make(opcode::mul, 0, newconst(k), root->left);
  root->left = coef > 0 ? make(opcode::umin, 0, product, nullptr) : product;
}

void cleantree(node* first) {
  if (first == nullptr) return;
  for (int pass = 0; pass < maxpasses; ++pass) {
    bool changed = false;
    for (node* n = first; n != nullptr;) {
      node* next = n->next;
      n->done = 0;
      if (n->opcode != opcode::noop && cleannode(n)) changed = true;
      n = next;
    }
    if (!changed) break;
  }
}

}  // namespace gcutil
