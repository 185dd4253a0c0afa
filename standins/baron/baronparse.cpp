// Reader of BARON's input file: a tokenizer over the text and a recursive-descent parser
// that builds the model (see baronparse.h for the grammar).
#include "standins/baron/baronparse.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <utility>

namespace baronparse {

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr int maxdepth = 400;  // nesting of parentheses, unary signs and powers

enum class tk : std::uint8_t { end, name, number, text, punct, relation, badrel };

struct token {
  tk kind = tk::end;
  std::string_view text;  // the token as written (a text without its quotes)
  double number = 0;
  int line = 1;
};

bool isnamestart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isnamechar(char c) { return isnamestart(c) || (c >= '0' && c <= '9'); }
bool isdigit(char c) { return c >= '0' && c <= '9'; }

// A fault of the input: carried to parse() by exception, which is the simplest way out of
// the recursion.
struct fault {
  int line;
  std::string what;
};

class tokenizer {
 public:
  explicit tokenizer(std::string_view text) : text_(text) {}

  token next() {
    skipblanks();
    token t;
    t.line = line_;
    if (pos_ >= text_.size()) return t;
    const char c = text_[pos_];
    const std::size_t start = pos_;
    if (isnamestart(c)) {
      while (pos_ < text_.size() && isnamechar(text_[pos_])) ++pos_;
      t.kind = tk::name;
    } else if (isdigit(c) || (c == '.' && pos_ + 1 < text_.size() && isdigit(text_[pos_ + 1]))) {
      scannumber(t);
    } else if (c == '"') {
      const std::size_t close = text_.find('"', pos_ + 1);
      const std::size_t eol = text_.find('\n', pos_ + 1);
      if (close == std::string_view::npos || close > eol) throw fault{line_, "unclosed text"};
      t.kind = tk::text;
      t.text = text_.substr(pos_ + 1, close - pos_ - 1);
      pos_ = close + 1;
      return t;
    } else if (c == '=' || c == '<' || c == '>') {
      scanrelation(t);
    } else if (std::string_view("{}:;,()+-*/^").find(c) != std::string_view::npos) {
      ++pos_;
      t.kind = tk::punct;
    } else {
      throw fault{line_, "unexpected character '" + printable(c) + "'"};
    }
    if (t.text.empty()) t.text = text_.substr(start, pos_ - start);
    return t;
  }

  // Skips to the first "}" (the contents of "OPTION{ ... }").
  void skipto(char c) {
    while (pos_ < text_.size() && text_[pos_] != c) {
      if (text_[pos_] == '\n') ++line_;
      ++pos_;
    }
  }

  int line() const { return line_; }

 private:
  static std::string printable(char c) {
    if (static_cast<unsigned char>(c) >= 32 && static_cast<unsigned char>(c) < 127)
      return std::string(1, c);
    static constexpr char hex[] = "0123456789abcdef";
    const auto u = static_cast<unsigned char>(c);
    return std::string("\\x") + hex[u >> 4] + hex[u & 15];
  }

  void skipblanks() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++pos_;
      } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else {
        return;
      }
    }
  }

  void scannumber(token& t) {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && isdigit(text_[pos_])) ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      while (pos_ < text_.size() && isdigit(text_[pos_])) ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      std::size_t p = pos_ + 1;
      if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) ++p;
      if (p < text_.size() && isdigit(text_[p])) {
        while (p < text_.size() && isdigit(text_[p])) ++p;
        pos_ = p;
      }
    }
    t.kind = tk::number;
    t.text = text_.substr(start, pos_ - start);
    const auto [end, ec] = std::from_chars(t.text.data(), t.text.data() + t.text.size(), t.number);
    if (ec != std::errc() || end != t.text.data() + t.text.size() || !std::isfinite(t.number))
      throw fault{line_, "bad number '" + std::string(t.text) + "'"};
  }

  // "==", ">=", "<=", and the relations BARON does not take ("=N=", "=X=", ...).
  void scanrelation(token& t) {
    const char c = text_[pos_];
    const char d = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';
    if (d == '=') {
      t.kind = tk::relation;
      pos_ += 2;
      return;
    }
    if (c == '=' && isnamestart(d) && pos_ + 2 < text_.size() && text_[pos_ + 2] == '=') {
      t.kind = tk::badrel;
      pos_ += 3;
      return;
    }
    throw fault{line_, "unexpected character '" + std::string(1, c) + "'"};
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

class parser {
 public:
  parser(std::string_view text, model& m) : tok_(text), m_(m) { advance(); }

  void file() {
    while (cur_.kind != tk::end) statement();
    finish();
  }

 private:
  void advance() { cur_ = tok_.next(); }

  [[noreturn]] void fail(std::string what) const { throw fault{cur_.line, std::move(what)}; }

  std::string shown() const {
    switch (cur_.kind) {
      case tk::end:
        return "the end of the file";
      case tk::text:
        return "\"" + std::string(cur_.text) + "\"";
      default:
        return "'" + std::string(cur_.text) + "'";
    }
  }

  bool ispunct(char c) const {
    return cur_.kind == tk::punct && cur_.text.size() == 1 && cur_.text[0] == c;
  }

  void expect(char c) {
    if (!ispunct(c)) fail(std::string("'") + c + "' expected, found " + shown());
    advance();
  }

  std::string_view expectname(std::string_view what) {
    if (cur_.kind != tk::name) fail(std::string(what) + " expected, found " + shown());
    const std::string_view n = cur_.text;
    advance();
    return n;
  }

  void statement() {
    if (cur_.kind != tk::name) fail("a statement expected, found " + shown());
    const std::string_view word = cur_.text;
    const int line = cur_.line;
    advance();
    if (word == "OPTIONS") return options(line);
    if (word == "OPTION") return nooptions(line);
    if (word == "BINARY_VARIABLES") return declarevariables(vartype::binary);
    if (word == "INTEGER_VARIABLES") return declarevariables(vartype::integer);
    if (word == "VARIABLES") return declarevariables(vartype::continuous);
    if (word == "POSITIVE_VARIABLES") return positivevariables();
    if (word == "LOWER_BOUNDS") return valueblock(word, &variable::lower, true);
    if (word == "UPPER_BOUNDS") return valueblock(word, &variable::upper, true);
    if (word == "BRANCHING_PRIORITIES") return valueblock(word, &variable::priority, false);
    if (word == "STARTING_POINT") return valueblock(word, &variable::start, false);
    if (word == "EQUATIONS") return declareequations();
    if (word == "RELAXATION_ONLY_EQUATIONS") return classlist(&equation::relaxationonly);
    if (word == "CONVEX_EQUATIONS") return classlist(&equation::convex);
    if (word == "LOCAL_EQUATIONS") return classlist(&equation::local);
    if (word == "OBJ") return objectivestatement(line);
    const int e = m_.findequation(word);
    if (e < 0) throw fault{line, "unknown statement '" + std::string(word) + "'"};
    equationstatement(static_cast<std::size_t>(e), line);
  }

  void options(int line) {
    if (m_.optionssection) throw fault{line, "a second OPTIONS section"};
    m_.optionssection = true;
    expect('{');
    while (!ispunct('}')) {
      option o;
      o.line = cur_.line;
      o.name = expectname("an option name");
      expect(':');
      o.value = optionvalue(o.quoted);
      expect(';');
      m_.options.push_back(std::move(o));
    }
    advance();
  }

  // "text", a name, or a number or Inf with an optional sign; the text as written.
  std::string optionvalue(bool& quoted) {
    std::string value;
    if (cur_.kind == tk::text) {
      quoted = true;
    } else if (ispunct('-') || ispunct('+')) {
      value = cur_.text;
      advance();
      if (cur_.kind != tk::number && !(cur_.kind == tk::name && cur_.text == "Inf"))
        fail("a number expected, found " + shown());
    } else if (cur_.kind != tk::number && cur_.kind != tk::name) {
      fail("an option value expected, found " + shown());
    }
    value += cur_.text;
    advance();
    return value;
  }

  void nooptions(int line) {
    if (!ispunct('{')) fail("'{' expected, found " + shown());
    if (m_.optionssection) throw fault{line, "a second OPTIONS section"};
    m_.optionssection = true;
    tok_.skipto('}');
    advance();
    expect('}');
  }

  // A number with an optional sign; +Inf and -Inf when infinite is true.
  double signedvalue(bool infinite) {
    double sign = 1;
    if (ispunct('-') || ispunct('+')) {
      if (ispunct('-')) sign = -1;
      advance();
    }
    if (cur_.kind == tk::number) {
      const double v = cur_.number;
      advance();
      return sign * v;
    }
    if (infinite && cur_.kind == tk::name && cur_.text == "Inf") {
      advance();
      return sign * inf;
    }
    fail("a number expected, found " + shown());
  }

  void declarevariables(vartype type) {
    namelist("a variable name", [&](std::string_view n, int line) {
      if (m_.findvariable(n) >= 0)
        throw fault{line, "variable '" + std::string(n) + "' declared twice"};
      if (m_.findequation(n) >= 0)
        throw fault{line, "'" + std::string(n) + "' is already an equation"};
      variable v;
      v.name = n;
      v.type = type;
      v.line = line;
      v.lower = type == vartype::binary ? 0 : -inf;
      v.upper = type == vartype::binary ? 1 : inf;
      m_.variables.push_back(std::move(v));
      m_.variableindex.emplace(m_.variables.back().name, static_cast<int>(m_.variables.size()) - 1);
    });
  }

  void positivevariables() {
    namelist("a variable name", [&](std::string_view n, int line) {
      variable& v = m_.variables[static_cast<std::size_t>(variableat(n, line))];
      if (v.lower < 0) v.lower = 0;
    });
  }

  void declareequations() {
    namelist("an equation name", [&](std::string_view n, int line) {
      if (m_.findequation(n) >= 0)
        throw fault{line, "equation '" + std::string(n) + "' declared twice"};
      if (m_.findvariable(n) >= 0)
        throw fault{line, "'" + std::string(n) + "' is already a variable"};
      equation e;
      e.name = n;
      e.line = line;
      m_.equations.push_back(std::move(e));
      m_.equationindex.emplace(m_.equations.back().name, static_cast<int>(m_.equations.size()) - 1);
    });
  }

  void classlist(bool equation::*flag) {
    namelist("an equation name", [&](std::string_view n, int line) {
      const int e = m_.findequation(n);
      if (e < 0) throw fault{line, "undeclared equation '" + std::string(n) + "'"};
      m_.equations[static_cast<std::size_t>(e)].*flag = true;
    });
  }

  // name {, name} ;
  template <typename F>
  void namelist(std::string_view what, F each) {
    while (true) {
      const int line = cur_.line;
      const std::string_view n = expectname(what);
      each(n, line);
      if (ispunct(';')) break;
      expect(',');
    }
    advance();
  }

  void valueblock(std::string_view word, double variable::*field, bool infinite) {
    if (!ispunct('{')) fail("'{' expected after " + std::string(word) + ", found " + shown());
    advance();
    while (!ispunct('}')) {
      const int line = cur_.line;
      variable& v =
          m_.variables[static_cast<std::size_t>(variableat(expectname("a variable name"), line))];
      expect(':');
      v.*field = signedvalue(infinite);
      if (field == &variable::start) v.hasstart = true;
      expect(';');
    }
    advance();
  }

  int variableat(std::string_view n, int line) const {
    const int v = m_.findvariable(n);
    if (v < 0) throw fault{line, "undeclared variable '" + std::string(n) + "'"};
    return v;
  }

  void equationstatement(std::size_t e, int line) {
    equation& q = m_.equations[e];
    if (q.defined) throw fault{line, "equation '" + q.name + "' defined twice"};
    expect(':');
    expr(q.lhs, 0);
    if (cur_.kind == tk::badrel) fail("relation " + std::string(cur_.text) + " is not accepted");
    if (cur_.kind != tk::relation) fail("a relation expected, found " + shown());
    q.rel = cur_.text == "==" ? relation::eq : cur_.text == ">=" ? relation::ge : relation::le;
    advance();
    expr(q.rhs, 0);
    expect(';');
    q.defined = true;
  }

  void objectivestatement(int line) {
    if (m_.obj.present) throw fault{line, "a second objective"};
    expect(':');
    const std::string_view sense = expectname("minimize or maximize");
    if (sense != "minimize" && sense != "maximize")
      throw fault{line, "minimize or maximize expected, found '" + std::string(sense) + "'"};
    m_.obj.maximize = sense == "maximize";
    m_.obj.line = line;
    expr(m_.obj.expr, 0);
    expect(';');
    m_.obj.present = true;
  }

  void finish() {
    for (const equation& q : m_.equations)
      if (!q.defined) throw fault{q.line, "equation '" + q.name + "' declared but not defined"};
    if (!m_.obj.present) throw fault{std::max(m_.lines, 1), "no objective"};
  }

  // Expressions, emitted in postfix order.
  void enter(int depth) const {
    if (depth > maxdepth) fail("expression nested too deeply");
  }

  void expr(expression& e, int depth) {
    enter(depth);
    term(e, depth);
    while (ispunct('+') || ispunct('-')) {
      const op o = ispunct('+') ? op::add : op::sub;
      advance();
      term(e, depth);
      e.steps.push_back({o, 0, 0});
    }
  }

  void term(expression& e, int depth) {
    unary(e, depth + 1);
    while (ispunct('*') || ispunct('/')) {
      const op o = ispunct('*') ? op::mul : op::div;
      advance();
      unary(e, depth + 1);
      e.steps.push_back({o, 0, 0});
    }
  }

  void unary(expression& e, int depth) {
    enter(depth);
    if (ispunct('-')) {
      advance();
      unary(e, depth + 1);
      e.steps.push_back({op::neg, 0, 0});
    } else if (ispunct('+')) {
      advance();
      unary(e, depth + 1);
    } else {
      power(e, depth);
    }
  }

  void power(expression& e, int depth) {
    primary(e, depth);
    if (ispunct('^')) {
      advance();
      unary(e, depth + 1);
      e.steps.push_back({op::pow, 0, 0});
    }
  }

  void primary(expression& e, int depth) {
    if (cur_.kind == tk::number) {
      e.steps.push_back({op::number, cur_.number, 0});
      advance();
      return;
    }
    if (ispunct('(')) {
      advance();
      expr(e, depth + 1);
      expect(')');
      return;
    }
    if (cur_.kind != tk::name) fail("an operand expected, found " + shown());
    const std::string_view n = cur_.text;
    const int line = cur_.line;
    advance();
    if (ispunct('(')) {
      if (n != "exp" && n != "log") throw fault{line, "unknown function '" + std::string(n) + "'"};
      advance();
      expr(e, depth + 1);
      expect(')');
      e.steps.push_back({n == "exp" ? op::exp : op::log, 0, 0});
      return;
    }
    e.steps.push_back({op::var, 0, variableat(n, line)});
  }

  tokenizer tok_;
  model& m_;
  token cur_;
};

}  // namespace

int model::findvariable(std::string_view name) const {
  const auto it = variableindex.find(name);
  return it == variableindex.end() ? -1 : it->second;
}

int model::findequation(std::string_view name) const {
  const auto it = equationindex.find(name);
  return it == equationindex.end() ? -1 : it->second;
}

const option* model::findoption(std::string_view name) const {
  const auto same = [](std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
      if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
  };
  for (const option& o : options)
    if (same(o.name, name)) return &o;
  return nullptr;
}

std::string result::message() const { return name + ":" + std::to_string(line) + ": " + what; }

result parse(std::string_view text, std::string_view name) {
  result r;
  r.name = name;
  for (const char c : text)
    if (c == '\n') ++r.m.lines;
  if (!text.empty() && text.back() != '\n') ++r.m.lines;
  try {
    parser(text, r.m).file();
    r.ok = true;
  } catch (const fault& f) {
    r.line = f.line;
    r.what = f.what;
  }
  return r;
}

double evaluate(const expression& e, std::span<const double> point) {
  std::vector<double> stack;
  stack.reserve(16);
  const auto pop = [&stack] {
    const double v = stack.back();
    stack.pop_back();
    return v;
  };
  for (const step& s : e.steps) {
    switch (s.code) {
      case op::number:
        stack.push_back(s.value);
        continue;
      case op::var:
        stack.push_back(point[static_cast<std::size_t>(s.var)]);
        continue;
      case op::neg:
        stack.back() = -stack.back();
        continue;
      case op::exp:
        stack.back() = std::exp(stack.back());
        continue;
      case op::log:
        stack.back() = std::log(stack.back());
        continue;
      default:
        break;
    }
    const double b = pop();
    double& a = stack.back();
    switch (s.code) {
      case op::add:
        a += b;
        break;
      case op::sub:
        a -= b;
        break;
      case op::mul:
        a *= b;
        break;
      case op::div:
        a /= b;
        break;
      case op::pow:
        a = std::pow(a, b);
        break;
      default:
        break;
    }
  }
  return stack.empty() ? 0 : stack.back();
}

}  // namespace baronparse
