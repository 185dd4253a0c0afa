// Analyses of the instruction code: tape sizes and operand links, the nonlinearity class,
// the count of logic calls and the split of a row's value by clusters of columns.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "frame/q5text.h"
#include "frame/strutilx_numbers.h"
#include "funclib/evalnew.h"
#include "funclib/evalnew_internal.h"
#include "funclib/genextfunc.h"
#include "instance/zlmspecs.h"

namespace evalnew {

namespace {

using ctvnl::opcode;
using detail::located;
using detail::numbered;

constexpr int divfnr = 66;
constexpr int lastknown = ctvnl::code(opcode::pushzero);  // opcodes above are unknown here

void writeline(const q5rt::sstr& text) {
  auto& out = q5rt::output();
  out.writeln(text);
  out.flush();
}

// ---- tape sizes and operand links ----

constexpr std::string_view sizeswho = "getStackSizes";
constexpr int sizesdepth = 202;

class sizewalk {
 public:
  sizewalk(std::int32_t base, std::int32_t& linkcount, std::span<std::int32_t> links)
      : base_(base), count_(linkcount), links_(links) {}

  // false when the link lies outside the caller's array (no array: links are only counted)
  [[nodiscard]] bool link(std::int32_t producer) {
    ++count_;
    return put(count_, producer);
  }
  [[nodiscard]] bool put(std::int32_t at, std::int32_t producer) {
    if (links_.empty()) return true;
    const std::int64_t i = static_cast<std::int64_t>(base_) + at;
    if (i < 0 || i >= static_cast<std::int64_t>(links_.size())) return false;
    links_[static_cast<std::size_t>(i)] = producer;
    return true;
  }

 private:
  std::int32_t base_;
  std::int32_t& count_;
  std::span<std::int32_t> links_;
};

}  // namespace

int getstacksizes(std::int32_t first, std::int32_t last, codespan code, std::int32_t& tapelen,
                  std::int32_t& secondorder, std::int32_t base, std::int32_t& linkcount,
                  std::span<std::int32_t> links) {
  tapelen = secondorder = linkcount = 0;
  if (first > last) return 0;
  q5rt::sstr msg;
  auto fail = [&](const q5rt::sstr& text) {
    writeline(text);
    return 1;
  };
  if (!detail::rangeok(first, last, code, sizeswho, msg)) return fail(msg);
  sizewalk walk(base, linkcount, links);
  std::int32_t prod[sizesdepth];
  int sp = 0;
  for (std::int32_t k = first; k <= last; ++k) {
    const ctvnl::tnlcode ins = code[k - 1];
    const std::int32_t self = k - first;
    if (ctvnl::code(ins.opcode) > lastknown) {
      return fail(
          located(sizeswho, q5rt::concat("unknown instruction ", detail::opname(ins.opcode)), k));
    }
    detail::effect e;
    if (!detail::stepeffect(code, first, k, sp, sizesdepth, sizeswho, e, msg)) return fail(msg);
    const int pops = e.pops;
    int tape = 0, second = 0;
    bool linked = false;
    switch (ins.opcode) {
      case opcode::add:
      case opcode::sub:
      case opcode::muliadd:
        linked = true;
        break;
      case opcode::mul:
        tape = 2;
        linked = true;
        break;
      case opcode::div:
        tape = 2;
        second = 2;
        linked = true;
        break;
      case opcode::callarg2:
        tape = 2;
        second = 3;
        linked = true;
        break;
      case opcode::mulv:
      case opcode::divi:
        tape = 1;
        break;
      case opcode::divv:
        tape = 2;
        second = 2;
        break;
      case opcode::callarg1:
        tape = 1;
        second = 1;
        break;
      case opcode::callargn:
        tape = pops;
        second = pops * (pops + 1) / 2;
        break;
      default:
        break;
    }
    bool ok = true;
    if (linked) ok = walk.link(prod[sp - 2]);
    if (ins.opcode == opcode::callargn) {
      // Producers of arguments 1 .. n-1; the last argument's is not recorded.
      const std::int32_t old = linkcount;
      linkcount += pops - 1;
      for (int i = 1; ok && i <= pops - 1; ++i) ok = walk.put(old + i, prod[sp - pops + i - 1]);
    }
    if (!ok) return fail(located(sizeswho, "operand links beyond the links array", k));
    tapelen += tape;
    secondorder += second;
    sp -= pops;
    if (e.pushes == 1) prod[sp++] = self;
  }
  if (sp != 0) {
    writeline(
        q5rt::concat("*** ", sizeswho, ": stack level not zero, s=", strutilx::inttostrw(sp, 0)));
  }
  return 0;
}

// ---- nonlinearity class ----

namespace {

constexpr std::string_view nlwho = "evalNLType";
constexpr int nldepth = 208;

}  // namespace

int evalnltype(std::int32_t first, std::int32_t last, codespan code, std::span<const double> pool,
               std::span<const std::uint8_t> constcols, std::int32_t& nltype, q5rt::sstr& msg) {
  msg.clear();
  if (first == 0) {
    nltype = 1;
    return 0;
  }
  nltype = 3;
  if (first > last) return 0;
  if (!detail::rangeok(first, last, code, nlwho, msg)) return 1;
  auto isconst = [&](std::int32_t j) {
    return j >= 0 && static_cast<std::size_t>(j) < constcols.size() && constcols[j] != 0;
  };
  int cls[nldepth];
  int sp = 0;
  double r = 3.0;
  int testrc = 0;
  double degrees[ctvnew::maxargs];
  // The quadratic test over the classes on top of the stack.
  auto quadratic = [&](std::int32_t fnr, int n) {
    for (int i = 0; i < n; ++i) degrees[i] = cls[sp - n + i];
    bool yes = false;
    testrc = genextfunc::genericisquad(fnr, r, n, degrees, yes);
    return yes;
  };
  for (std::int32_t k = first; k <= last; ++k) {
    const ctvnl::tnlcode ins = code[k - 1];
    const std::int32_t j = ins.operand;
    if (ctvnl::code(ins.opcode) > lastknown) {
      msg = located(nlwho, q5rt::concat("unknown instruction ", detail::opname(ins.opcode)), k);
      return 1;
    }
    detail::effect e;
    if (!detail::stepeffect(code, first, k, sp, nldepth, nlwho, e, msg)) return 1;
    const int pops = e.pops;
    int& top = cls[std::max(sp - 1, 0)];
    switch (ins.opcode) {
      case opcode::pushv:
      case opcode::uminv:
        cls[sp++] = isconst(j) ? 0 : 1;
        break;
      case opcode::pushi:
        if (j < 1 || static_cast<std::size_t>(j) > pool.size()) {
          msg = numbered(nlwho, "constant", j, k);
          return 1;
        }
        cls[sp++] = 0;
        r = pool[j - 1];
        break;
      case opcode::pushzero:
        cls[sp++] = 0;
        r = 0;
        break;
      case opcode::store:
        nltype = cls[--sp];
        break;
      case opcode::add:
      case opcode::sub:
      case opcode::muliadd:
        --sp;
        cls[sp - 1] = std::max(cls[sp - 1], cls[sp]);
        break;
      case opcode::addv:
      case opcode::subv:
        if (!isconst(j) && top == 0) top = 1;
        break;
      case opcode::mul: {
        --sp;
        const int sum = cls[sp - 1] + cls[sp];
        cls[sp - 1] = std::min(sum, 3);
        if (sum > 2) return testrc;
        break;
      }
      case opcode::mulv:
        if (!isconst(j)) {
          top = std::min(top + 1, 3);
          if (top == 3) return testrc;
        }
        break;
      case opcode::div:
        if (cls[--sp] != 0) return testrc;
        break;
      case opcode::divv:
        if (!isconst(j)) return testrc;
        break;
      case opcode::callarg1:
        if (top != 0) {
          if (!quadratic(j, 1)) return testrc;
          top = 2;
        }
        break;
      case opcode::callarg2:
      case opcode::callargn: {
        const int n = ins.opcode == opcode::callarg2 ? 2 : pops;
        const bool constant = std::all_of(cls + sp - n, cls + sp, [](int c) { return c == 0; });
        const bool quad = !constant && quadratic(j, n);
        if (!constant && !quad) return testrc;
        sp -= n;
        cls[sp++] = constant ? 0 : 2;
        if (quad && ins.opcode == opcode::callarg2) r = 3.0;
        break;
      }
      default:
        break;
    }
  }
  if (sp != 0) {
    msg = q5rt::concat("*** evalNLType: terminal stack height not equal to zero, stack = ",
                       strutilx::inttostrw(sp, 0));
    return 1;
  }
  return testrc;
}

// ---- logic-call count ----

int logiccount(std::int32_t first, std::int32_t last, codespan code, std::int32_t& count) {
  count = 0;
  if (first == 0) return 0;
  q5rt::sstr msg;
  if (first <= last && !detail::rangeok(first, last, code, "logicCount", msg)) {
    count = -1;
    return 0;
  }
  for (std::int32_t k = first; k <= last; ++k) {
    const ctvnl::tnlcode ins = code[k - 1];
    switch (ins.opcode) {
      case opcode::pushv:
      case opcode::store:
      case opcode::header:
        break;
      case opcode::callarg1:
      case opcode::callarg2: {
        bool logic = false;
        (void)genextfunc::genericislogic(ins.operand, logic);
        if (!logic) {
          count = -1;
          return 0;
        }
        ++count;
        break;
      }
      default:
        count = -1;
        return 0;
    }
  }
  return 0;
}

// ---- cluster evaluation ----

namespace {

constexpr std::string_view clusterwho = "funEvalCluster";
constexpr int clusterdepth = 200;

// A value split into one part per cluster; a NaN part counts as nonzero.
[[nodiscard]] bool nonzero(double p) { return !(p == 0); }

class clusterwalk {
 public:
  clusterwalk(ctvnew::tmathnewrec& rec, codespan code, std::span<const double> pool,
              std::span<const double> levels, std::span<const std::int32_t> cluster, int n,
              std::int32_t& errcount, q5rt::sstr& msg)
      : rec_(rec),
        code_(code),
        pool_(pool),
        levels_(levels),
        cluster_(cluster),
        n_(n),
        work_(static_cast<std::size_t>(n) * (clusterdepth + 2)),
        errcount_(errcount),
        msg_(msg) {}

  int run(std::int32_t first, std::int32_t last, std::span<double> parts);

 private:
  double* at(int pos) { return work_.data() + static_cast<std::size_t>(pos) * n_; }
  double* scratch(int i) { return at(clusterdepth + i); }
  int bad(std::string_view what, std::int32_t k) {
    msg_ = located(clusterwho, what, k);
    return 2;
  }
  int inconsistent() {
    msg_ = q5rt::concat("*** funEvalCluster: clusters inconsistent");
    return 3;
  }
  // A column's level and cluster; false when either lies outside its array.
  bool column(std::int32_t j, double& x, int& c) const {
    if (j < 1 || static_cast<std::size_t>(j) > levels_.size() ||
        static_cast<std::size_t>(j) > cluster_.size())
      return false;
    c = cluster_[j - 1];
    x = levels_[j - 1];
    return c >= 0 && c < n_;
  }
  bool constant(std::int32_t k, double& c) const {
    if (k < 1 || static_cast<std::size_t>(k) > pool_.size()) return false;
    c = pool_[k - 1];
    return true;
  }
  int handle(int rc) { return detail::callanswer(rc, errcount_); }
  int divide(double num, double den, double& q) {
    double a[2] = {num, den};
    rec_.nargs = 2;
    const int rc = genextfunc::genericfunceval(rec_, divfnr, a);
    q = rec_.f;
    return rc;
  }
  // The clusters other than 0 in which v has a nonzero part: -1 none, -2 more than one.
  int onlycluster(const double* v) const {
    int found = -1;
    for (int c = 1; c < n_; ++c) {
      if (!nonzero(v[c])) continue;
      if (found >= 0) return -2;
      found = c;
    }
    return found;
  }
  bool product(double* a, const double* b);
  int quotient(double* a, const double* b);

  ctvnew::tmathnewrec& rec_;
  codespan code_;
  std::span<const double> pool_;
  std::span<const double> levels_;
  std::span<const std::int32_t> cluster_;
  int n_;
  std::vector<double> work_;  // clusterdepth positions and two scratch vectors
  std::int32_t& errcount_;
  q5rt::sstr& msg_;
};

// a := a * b, the pair (d, e) going to cluster max(d, e) when d or e is 0 or d = e.
bool clusterwalk::product(double* a, const double* b) {
  double* r = scratch(1);
  std::fill_n(r, n_, 0.0);
  for (int d = 0; d < n_; ++d) {
    for (int e = 0; e < n_; ++e) {
      if (d == 0 || e == 0 || d == e) {
        r[std::max(d, e)] += a[d] * b[e];
      } else if (nonzero(a[d]) && nonzero(b[e])) {
        return false;
      }
    }
  }
  std::copy_n(r, n_, a);
  return true;
}

// a := a / b: part by part for a divisor wholly in cluster 0; whole into cluster e when
// dividend and divisor lie in clusters 0 and e only. Answers -1, 3 inconsistent, or the
// code of the last division's answer.
int clusterwalk::quotient(double* a, const double* b) {
  const int eb = onlycluster(b);
  int rc = 0;
  if (eb == -1) {
    for (int d = 0; d < n_; ++d) rc = divide(a[d], b[0], a[d]);
    return handle(rc);
  }
  const int ea = onlycluster(a);
  if (eb < 0 || (ea != -1 && ea != eb)) return inconsistent();
  double num = 0, den = 0;
  for (int c = 0; c < n_; ++c) {
    num += a[c];
    den += b[c];
  }
  std::fill_n(a, n_, 0.0);
  rc = divide(num, den, a[eb]);
  return handle(rc);
}

int clusterwalk::run(std::int32_t first, std::int32_t last, std::span<double> parts) {
  int sp = 0;
  double args[ctvnew::maxargs];
  for (std::int32_t k = first; k <= last; ++k) {
    const ctvnl::tnlcode ins = code_[k - 1];
    const std::int32_t arg = ins.operand;
    if (ins.opcode == opcode::end || ctvnl::code(ins.opcode) > lastknown)
      return bad(q5rt::concat("unexpected/unknown instruction ", detail::opname(ins.opcode)), k);
    detail::effect e;
    if (!detail::stepeffect(code_, first, k, sp, clusterdepth, clusterwho, e, msg_)) return 2;
    const int pops = e.pops;

    double x = 0;
    int c = 0;
    double* top = sp > 0 ? at(sp - 1) : nullptr;
    double* below = sp > 1 ? at(sp - 2) : nullptr;
    double* fresh = at(sp);
    switch (ins.opcode) {
      case opcode::pushv:
      case opcode::uminv:
        if (!column(arg, x, c)) return bad("column out of range", k);
        std::fill_n(fresh, n_, 0.0);
        fresh[c] = ins.opcode == opcode::pushv ? x : -x;
        ++sp;
        break;
      case opcode::pushi:
        if (!constant(arg, x)) return bad("constant out of range", k);
        std::fill_n(fresh, n_, 0.0);
        fresh[0] = x;
        ++sp;
        break;
      case opcode::pushzero:
        std::fill_n(fresh, n_, 0.0);
        ++sp;
        break;
      case opcode::store:
        std::copy_n(top, n_, parts.data());
        --sp;
        break;
      case opcode::add:
      case opcode::sub:
        for (int i = 0; i < n_; ++i) below[i] += ins.opcode == opcode::add ? top[i] : -top[i];
        --sp;
        break;
      case opcode::muliadd:
        if (!constant(arg, x)) return bad("constant out of range", k);
        for (int i = 0; i < n_; ++i) below[i] = x * top[i] + below[i];
        --sp;
        break;
      case opcode::addv:
      case opcode::subv:
        if (!column(arg, x, c)) return bad("column out of range", k);
        top[c] += ins.opcode == opcode::addv ? x : -x;
        break;
      case opcode::addi:
      case opcode::subi:
        if (!constant(arg, x)) return bad("constant out of range", k);
        top[0] += ins.opcode == opcode::addi ? x : -x;
        break;
      case opcode::muli:
        if (!constant(arg, x)) return bad("constant out of range", k);
        for (int i = 0; i < n_; ++i) top[i] *= x;
        break;
      case opcode::umin:
        for (int i = 0; i < n_; ++i) top[i] = -top[i];
        break;
      case opcode::divi:
      case opcode::divv:
      case opcode::mulv: {
        const bool v = ins.opcode != opcode::divi;
        if (v ? !column(arg, x, c) : !constant(arg, x))
          return bad(v ? "column out of range" : "constant out of range", k);
        double* b = scratch(0);
        std::fill_n(b, n_, 0.0);
        b[v ? c : 0] = x;
        if (ins.opcode == opcode::mulv) {
          if (!product(top, b)) return inconsistent();
        } else {
          const int stop = quotient(top, b);
          if (stop >= 0) return stop;
        }
        break;
      }
      case opcode::mul:
        if (!product(below, top)) return inconsistent();
        --sp;
        break;
      case opcode::div: {
        const int stop = quotient(below, top);
        if (stop >= 0) return stop;
        --sp;
        break;
      }
      case opcode::callarg1:
      case opcode::callarg2:
      case opcode::callargn: {
        const int n = ins.opcode == opcode::callarg1   ? 1
                      : ins.opcode == opcode::callarg2 ? 2
                                                       : pops;
        for (int i = 0; i < n; ++i) {
          const double* v = at(sp - n + i);
          if (onlycluster(v) != -1) return inconsistent();
          args[i] = v[0];
        }
        rec_.nargs = n;
        const int stop = handle(genextfunc::genericfunceval(rec_, arg, args));
        if (stop >= 0) return stop;
        sp -= n;
        double* r = at(sp++);
        std::fill_n(r, n_, 0.0);
        r[0] = rec_.f;
        break;
      }
      default:
        break;
    }
  }
  if (sp != 0) {
    msg_ = q5rt::concat("*** funEvalCluster: stack level not zero s=", strutilx::inttostrw(sp, 0));
    return 4;
  }
  return 0;
}

}  // namespace

int funevalcluster(ctvnew::tmathnewrec& rec, std::int32_t first, std::int32_t last, codespan code,
                   std::span<const double> pool, std::span<const double> levels,
                   std::span<const std::int32_t> cluster, std::int32_t nclusters,
                   std::span<double> parts, std::int32_t& errcount, q5rt::sstr& msg) {
  msg.clear();
  if (first >= last) return 0;
  if (!detail::rangeok(first, last, code, clusterwho, msg)) return 2;
  if (nclusters < 1 || static_cast<std::size_t>(nclusters) > parts.size()) {
    msg = q5rt::concat("*** funEvalCluster: cluster count ", strutilx::inttostrw(nclusters, 0),
                       " does not fit the parts array");
    return 2;
  }
  std::fill_n(parts.data(), nclusters, zlmspecs::valna);
  clusterwalk walk(rec, code, pool, levels, cluster, nclusters, errcount, msg);
  return walk.run(first, last, parts);
}

}  // namespace evalnew
