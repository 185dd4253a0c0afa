// A tree as algebraic text in one of the output styles, piece by piece through the line
// writer, with only the parentheses that precedence needs. The walk keeps no stack: it
// goes down along the children and back up along `up`, `done` telling a node whose
// operator has been written, `paren` one that closes with ")".
#include <algorithm>
#include <array>
#include <charconv>

#include "baron/gcutil.h"
#include "baron/gcutil_internal.h"
#include "baron/liutil.h"
#include "frame/strutilx_numbers.h"
#include "funclib/genextfunc.h"
#include "instance/gcdata.h"

namespace gcutil {

namespace {

using ctvnl::opcode;

namespace fn = detail::fn;
using detail::rootpower;
constexpr std::uint8_t fixedbound = 4;  // colboundclass of a fixed column

enum class kind { leaf, root, call1, call2, calln, argument, sum, product, negation, other };

kind kindof(const node* n) {
  switch (n->opcode) {
    case opcode::pushv:
    case opcode::pushi:
      return kind::leaf;
    case opcode::store:
      return kind::root;
    case opcode::callarg1:
      return kind::call1;
    case opcode::callarg2:
      return kind::call2;
    case opcode::callargn:
      return kind::calln;
    case opcode::funcargn:
      return kind::argument;
    case opcode::add:
    case opcode::sub:
      return kind::sum;
    case opcode::mul:
    case opcode::div:
      return kind::product;
    case opcode::umin:
      return kind::negation;
    default:
      return kind::other;
  }
}

bool is(const node* n, kind k) { return n != nullptr && kindof(n) == k; }

bool instyles(std::int32_t style, std::initializer_list<std::int32_t> styles) {
  return std::find(styles.begin(), styles.end(), style) != styles.end();
}

struct powertexts {
  std::string_view power;
  std::string_view root;
};

// Style 7 has no root-power text of its own; it takes "**".
powertexts powertext(std::int32_t style) {
  switch (style) {
    case 0:
    case 1:
    case 10:
      return {"POWER", "**"};
    case 2:
    case 13:
    case 14:
      return {"^", "^"};
    case 3:
    case 8:
    case 12:
      return {"**", "**"};
    case 4:
    case 5:
      return {"^", "**"};
    case 6:
      return {"@pow", "^"};
    case 9:
    case 11:
      return {"pow", "pow"};
    default:
      return {"POWER", "**"};
  }
}

struct rename {
  std::int32_t fnr;
  std::string_view name;
};

constexpr rename style3[] = {{6, "ZolmSign"}, {17, "atan"}};
constexpr rename style4[] = {{4, ""}, {17, "atan"}};
constexpr rename style5[] = {{17, "atan"}};
constexpr rename style6[] = {{2, "@floor"}, {4, "@mod"},       {6, "@sign"}, {7, "@smin"},
                             {8, "@smax"},  {9, "@sqr"},       {10, "@exp"}, {11, "@log"},
                             {13, "@sqrt"}, {14, "@abs"},      {15, "@cos"}, {16, "@sin"},
                             {18, "@psn"},  {92, "@signpower"}};
constexpr rename style8[] = {{6, "ZolmSign"}, {17, "atan"},   {57, "ZolmEQ"},
                             {58, "ZolmGT"},  {59, "ZolmGE"}, {60, "ZolmLT"},
                             {61, "ZolmLE"},  {62, "ZolmNE"}, {63, "ZolmIfThen"}};
constexpr rename style9[] = {{3, "fround"}, {4, "fmod"},   {14, "fabs"},  {17, "atan"},
                             {18, "erf"},   {101, "acos"}, {102, "asin"}, {103, "atan2"}};
constexpr rename style12[] = {{17, "atan"}, {101, "acos"}, {102, "asin"}};

std::span<const rename> renames(std::int32_t style) {
  switch (style) {
    case 3:
      return style3;
    case 4:
      return style4;
    case 5:
      return style5;
    case 6:
      return style6;
    case 8:
      return style8;
    case 9:
    case 11:
      return style9;
    case 12:
    case 13:
    case 14:
      return style12;
    default:
      return {};
  }
}

q5rt::sstr funcname(std::int32_t f, std::int32_t style) {
  if (f == fn::power) return q5rt::sstr::cut(powertext(style).power);
  if (rootpower(f)) return q5rt::sstr::cut(powertext(style).root);
  for (const rename& r : renames(style)) {
    if (r.fnr == f) return q5rt::sstr::cut(r.name);
  }
  return genextfunc::genericfuncname(f);
}

// A piece of a few parts put together in place, cut at 255 characters as a short string
// would be: a leaf or a call of a nonlinear row without short-string temporaries.
class piecetext {
 public:
  piecetext& operator<<(std::string_view s) {
    const std::size_t k = std::min(s.size(), q5rt::sstr::capacity - n_);
    std::copy_n(s.data(), k, buf_ + n_);
    n_ += k;
    return *this;
  }
  piecetext& operator<<(std::int32_t v) {
    char digits[12];
    return *this << std::string_view(
               digits,
               static_cast<std::size_t>(std::to_chars(digits, digits + 12, v).ptr - digits));
  }
  // The number text of strutilx::dbltostr with the exponent letter "e".
  piecetext& number(double v) {
    char text[strutilx::dbltostr_room];
    return *this << std::string_view(text, strutilx::dbltostr_wide(v, '.', text, 'e'));
  }
  [[nodiscard]] std::string_view view() const { return {buf_, n_}; }

 private:
  char buf_[q5rt::sstr::capacity];
  std::size_t n_ = 0;
};

bool infixpower(const node* n, std::int32_t style) {
  if (!is(n, kind::call2)) return false;
  if (n->operand == fn::power) return instyles(style, {2, 3, 4, 5, 8, 12, 13, 14});
  return rootpower(n->operand) && style != 9 && style != 11;
}

class textwriter {
 public:
  textwriter(std::int32_t style, std::string_view objvarname, std::int32_t flag)
      : style_(style), objvarname_(objvarname), flag_(flag) {}

  void write(node* root) {
    if (root == nullptr) return;
    root->up = nullptr;
    root->paren = 0;
    root->done = 0;
    node* n = root;
    while (n != nullptr) n = ascend(descend(n));
  }

 private:
  // ---- pieces ----
  void piece(std::string_view text) {
    for (; pending_ > 0; --pending_) liutil::linext("(");
    liutil::linext(text);
  }

  // The child's place: its parent and whether it opens a parenthesis.
  void enter(node* child, node* parent, bool isleft) {
    child->up = parent;
    child->done = 0;
    child->paren = needparen(parent, child, isleft) ? 1 : 0;
    if (child->paren != 0) ++pending_;
  }

  bool needparen(const node* p, const node* n, bool isleft) const {
    const bool sumlike = is(n, kind::sum);
    const bool neg = is(n, kind::negation);
    const bool prod = is(n, kind::product);
    switch (kindof(p)) {
      case kind::sum: {
        bool paren =
            isleft ? (neg && pending_ == 0) : (neg || (p->opcode == opcode::sub && sumlike));
        if (!paren && nestedsum(p, n)) paren = true;
        return paren;
      }
      case kind::product:
        return sumlike || neg || (!isleft && p->opcode == opcode::div && prod);
      case kind::negation:
        return sumlike || neg ||
               (style_ == 6 && (prod || (infixpower(n, style_) && rootpower(n->operand))));
      case kind::call2:
        if (!infixpower(p, style_)) return false;
        return prod || sumlike || neg || infixpower(n, style_);
      default:
        return false;
    }
  }

  // With the flag, a sum inside a sum whose right operand is a sum is enclosed, unless
  // its own left operand opens a parenthesis as a negation.
  bool nestedsum(const node* p, const node* n) const {
    if (flag_ == 0 || style_ == 9 || !is(n, kind::sum) || !is(p->right, kind::sum)) return false;
    return !(is(n->left, kind::negation) && pending_ == 0);
  }

  // min(a, min(b, c)) is written min(a,b,c): the inner call writes no name.
  bool joined(const node* n) const {
    if (style_ == 9 || !is(n, kind::call2) || (n->operand != fn::min && n->operand != fn::max))
      return false;
    const node* p = n->up;
    return is(p, kind::call2) && p->operand == n->operand;
  }

  bool modcall(const node* n) const { return style_ == 4 && n->operand == fn::mod; }

  // ---- the walk ----
  // Down from n to its first leaf, writing what comes before each child; the node where
  // the walk turns back up.
  node* descend(node* n) {
    for (;;) {
      node* child = n->left;
      switch (kindof(n)) {
        case kind::leaf:
          leaf(n);
          return n;
        case kind::negation:
          piece("-");
          break;
        case kind::call1:
        case kind::calln:
          piececall(n);
          break;
        case kind::call2:
          if (modcall(n)) {
            piece("((");
          } else if (!infixpower(n, style_) && !joined(n)) {
            piececall(n);
          }
          break;
        case kind::root:
        case kind::argument:
        case kind::sum:
        case kind::product:
          break;
        case kind::other:
          return n;
      }
      if (child == nullptr) {
        close(n);
        return n;
      }
      enter(child, n, true);
      n = child;
    }
  }

  // The function's name and "(".
  void piececall(const node* n) {
    piecetext text;
    if (n->operand == fn::power || rootpower(n->operand)) {
      text << powername(n->operand);
    } else {
      text << funcname(n->operand, style_);
    }
    piece((text << "(").view());
  }
  std::string_view powername(std::int32_t f) const {
    return f == fn::power ? powertext(style_).power : powertext(style_).root;
  }

  // Up from a finished node: closes it, and when an ancestor has a second operand still
  // to write, writes its operator and gives that operand (nullptr at the end).
  node* ascend(node* n) {
    for (;;) {
      if (n->paren != 0) piece(")");
      node* p = n->up;
      if (p == nullptr) return nullptr;
      if (p->done == 0 && p->right != nullptr && p->left == n) {
        p->done = 1;
        piece(between(p));
        node* second = p->right;
        enter(second, p, false);
        return second;
      }
      close(p);
      n = p;
    }
  }

  std::string_view between(const node* p) const {
    switch (kindof(p)) {
      case kind::sum:
        return p->opcode == opcode::add ? " + " : " - ";
      case kind::product:
        return p->opcode == opcode::mul ? "*" : "/";
      case kind::call2:
        if (infixpower(p, style_)) return powername(p->operand);
        return modcall(p) ? ") mod (" : ",";
      case kind::argument:
        return ",";
      default:
        return {};
    }
  }

  void close(const node* p) {
    switch (kindof(p)) {
      case kind::call1:
      case kind::calln:
        piece(")");
        break;
      case kind::call2:
        if (modcall(p)) {
          piece(")");
          piece(")");
        } else if (!infixpower(p, style_) && !joined(p)) {
          piece(")");
        }
        break;
      default:
        break;
    }
  }

  // ---- leaves ----
  void leaf(const node* n) {
    piecetext text;
    const std::int32_t c = n->operand;
    if (n->opcode == opcode::pushi) {
      if (style_ == 0 && n->value == 0) return piece("eps");
      text.number(n->value);
    } else if (!chlambda.empty() && !fixedatzero(c)) {
      text << "(" << hullname(c, chdis, chterm) << "/" << chlambda << ")";
    } else {
      variabletext(c, text);
    }
    piece(text.view());
  }

  static bool fixedatzero(std::int32_t c) {
    const gcdata::tmodel& m = gcdata::mymodel;
    if (c < 1 || static_cast<std::size_t>(c) > m.colboundclass.size() ||
        static_cast<std::size_t>(c) > m.collower.size())
      return false;
    const std::size_t i = static_cast<std::size_t>(c) - 1;
    return m.colboundclass[i] == fixedbound && m.collower[i] == 0;
  }

  void variabletext(std::int32_t c, piecetext& out) const {
    const gcdata::tmodel& m = gcdata::mymodel;
    switch (style_) {
      case 3:
        return void(out << "ZolmX(" << c << ")");
      case 7:
        return void(out << "x[" << c << "]");
      case 9:
      case 11: {
        const std::int32_t skip = style_ == 9 ? flag_ : gcdata::cppstylereform;
        return void(out << "x[" << (skip == 1 && c > m.objvar ? c - 2 : c - 1) << "]");
      }
      case 12:
        return void(out << "m." << detail::prefix(c) << c);
      case 13:
        return void(out << detail::prefix(c) << c);
      case 14:
        return void(out << "$(" << detail::prefix(c) << c << ")");
      default:
        break;
    }
    if (c == m.objvar && !objvarname_.empty()) {
      out << objvarname_;
    } else if ((style_ == 0 || style_ == 1) && detail::issos(c)) {
      out << detail::prefix(c) << detail::colsosset(c) << "('" << c << "')";
    } else {  // detail::plaincolname in parts
      out << detail::prefix(c) << detail::empcolumn(c);
      if (detail::colfollows(c)) out << detail::colfollower(c);
    }
    if (style_ == 1) out << ".l";
  }

  std::int32_t style_;
  std::string_view objvarname_;
  std::int32_t flag_;
  std::int32_t pending_ = 0;  // opening parentheses due before the next piece
};

}  // namespace

void donlcode(node* root, std::int32_t style, std::string_view objvarname, std::int32_t flag) {
  textwriter(style, objvarname, flag).write(root);
}

void donlcodedirty(node* root, std::int32_t style, std::string_view objvarname, std::int32_t flag,
                   std::string_view lambda, std::int32_t dis, std::int32_t term) {
  chlambda.assign_cut(lambda);
  chdis = dis;
  chterm = term;
  donlcode(root, style, objvarname, flag);
  chlambda.clear();
  chdis = 0;
  chterm = 0;
}

}  // namespace gcutil
