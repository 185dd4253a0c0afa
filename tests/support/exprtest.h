// Helpers for the expression tests: instruction code written compactly, a row's text
// through the whole pipeline, and a small evaluator of algebraic text.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "baron/gcutil.h"
#include "baron/liutil.h"
#include "instance/ctvnl.h"
#include "instance/gcdata.h"
#include "support/testutil.h"

namespace exprtest {

using ctvnl::opcode;
using code = std::vector<ctvnl::tnlcode>;

inline ctvnl::tnlcode ins(opcode op, std::int32_t operand = 0) { return {op, operand}; }
inline ctvnl::tnlcode V(std::int32_t c) { return ins(opcode::pushv, c); }
inline ctvnl::tnlcode I(std::int32_t k) { return ins(opcode::pushi, k); }
inline ctvnl::tnlcode F1(std::int32_t f) { return ins(opcode::callarg1, f); }
inline ctvnl::tnlcode F2(std::int32_t f) { return ins(opcode::callarg2, f); }
inline const ctvnl::tnlcode Add = ins(opcode::add);
inline const ctvnl::tnlcode Sub = ins(opcode::sub);
inline const ctvnl::tnlcode Mul = ins(opcode::mul);
inline const ctvnl::tnlcode Div = ins(opcode::div);
inline const ctvnl::tnlcode Neg = ins(opcode::umin);

// A row's code: Header, the body, Store 1.
inline code row(code body) {
  code c{ins(opcode::header)};
  c.insert(c.end(), body.begin(), body.end());
  c.push_back(ins(opcode::store, 1));
  return c;
}

// n continuous columns.
inline void columns(std::int32_t n) {
  auto& m = gcdata::mymodel;
  m.cols = n;
  m.coltype.assign(static_cast<std::size_t>(n), 0);
  m.colsosset.assign(static_cast<std::size_t>(n), 0);
}

// The pieces that body writes through the line writer, on one line as wide as needed or
// wrapped at width.
inline std::string pieces(const std::function<void()>& body, std::int32_t width = 100000) {
  testutil::tempdir dir;
  q5rt::textfile f;
  f.assign(dir.file("t.txt"));
  f.rewrite();
  liutil::liset(f, width, 0);
  liutil::lifirst("", 0);
  body();
  liutil::lilast("");
  liutil::liend();
  f.close();
  std::string s = testutil::read_file(dir.file("t.txt"));
  if (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

struct options {
  std::int32_t style = 2;
  bool rewrite = true;
  bool fold = true;
  std::int32_t flag = 0;
  std::string objname = "";
};

// The row's text after building, rewriting (all switches) and folding; "<refused>" when
// the tree is refused.
inline std::string text(const code& c, const std::vector<double>& pool, options o = {}) {
  std::string out = pieces([&] {
    gcutil::node* root = gcutil::buildtree(1, static_cast<std::int32_t>(c.size()), c, pool);
    if (root == nullptr) {
      liutil::linext("<refused>");
      return;
    }
    if (o.rewrite) gcutil::transformtree(gcdata::mymodel.nodefirst, true, true, true, true, true);
    if (o.fold) gcutil::cleantree(gcdata::mymodel.nodefirst);
    gcutil::donlcode(root, o.style, o.objname, o.flag);
  });
  gcdata::frenlrec();
  return out;
}

// Evaluates text with + - * / ^, unary minus, parentheses, numbers, variables x<n>, and
// the calls exp, log, min, max (any number of arguments). -a^b is -(a^b).
class evaluator {
 public:
  evaluator(std::string_view text, const std::vector<double>& x) : s_(text), x_(x) {}

  double value() {
    const double v = expr();
    skip();
    if (p_ != s_.size()) throw std::runtime_error("trailing text at " + std::to_string(p_));
    return v;
  }

 private:
  void skip() {
    while (p_ < s_.size() && s_[p_] == ' ') ++p_;
  }
  bool eat(char c) {
    skip();
    if (p_ < s_.size() && s_[p_] == c) {
      ++p_;
      return true;
    }
    return false;
  }
  double expr() {
    double v = term();
    for (;;) {
      if (eat('+')) {
        v += term();
      } else if (eat('-')) {
        v -= term();
      } else {
        return v;
      }
    }
  }
  double term() {
    double v = unary();
    for (;;) {
      if (eat('*')) {
        v *= unary();
      } else if (eat('/')) {
        v /= unary();
      } else {
        return v;
      }
    }
  }
  double unary() {
    if (eat('-')) return -unary();
    return power();
  }
  double power() {
    const double base = primary();
    if (eat('^')) return std::pow(base, unary());
    return base;
  }
  double primary() {
    skip();
    if (eat('(')) {
      const double v = expr();
      if (!eat(')')) throw std::runtime_error("missing )");
      return v;
    }
    if (p_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[p_])) || s_[p_] == '.')) {
      const std::string rest(s_.substr(p_));
      char* end = nullptr;
      const double v = std::strtod(rest.c_str(), &end);
      p_ += static_cast<std::size_t>(end - rest.c_str());
      return v;
    }
    std::string name;
    while (p_ < s_.size() && std::isalnum(static_cast<unsigned char>(s_[p_]))) name += s_[p_++];
    if (name.empty()) throw std::runtime_error("unexpected text at " + std::to_string(p_));
    if (eat('(')) {
      std::vector<double> args{expr()};
      while (eat(',')) args.push_back(expr());
      if (!eat(')')) throw std::runtime_error("missing ) of a call");
      return call(name, args);
    }
    if (name[0] != 'x') throw std::runtime_error("unknown name " + name);
    const std::size_t c = std::stoul(name.substr(1));
    return x_.at(c - 1);
  }
  static double call(const std::string& name, const std::vector<double>& a) {
    if (name == "exp" && a.size() == 1) return std::exp(a[0]);
    if (name == "log" && a.size() == 1) return std::log(a[0]);
    double v = a[0];
    for (double w : a) v = name == "min" ? std::min(v, w) : std::max(v, w);
    if (name == "min" || name == "max") return v;
    throw std::runtime_error("unknown function " + name);
  }

  std::string_view s_;
  std::size_t p_ = 0;
  const std::vector<double>& x_;
};

}  // namespace exprtest
