// The quadratic-form check: each nonlinear row's instruction code run on a stack of
// polynomials of degree two at most (constant, linear terms by column, upper-triangle
// Hessian terms by column pair), the listing and the data file.
#include "baron/gcutil_qmaker.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "baron/gcutil.h"
#include "bindings/vrkdcdef.h"
#include "frame/q5utils.h"
#include "frame/statlib.h"
#include "frame/strutilx_numbers.h"
#include "funclib/genextfunc.h"
#include "instance/ctvnl.h"
#include "instance/gcdata.h"

namespace gcutil {

namespace {

constexpr std::string_view supportaddress = "support@baronlink.example";
constexpr std::size_t maxstack = 200;
constexpr std::int32_t maxbadrows = 20;
constexpr double negligible = 1e-100;
constexpr std::int32_t fnsqr = 9;
constexpr std::int32_t fnpower = 21;
constexpr std::int32_t fnpoly = 108;

q5rt::sstr num(std::int64_t v) { return strutilx::inttostrw(v, 0); }
q5rt::sstr num8(std::int64_t v) { return strutilx::inttostrw(v, 8); }

using pair = std::pair<std::int32_t, std::int32_t>;

// C + sum L_j x_j + 1/2 x'Qx, Q kept as its upper triangle (a square a x_i^2 is 2a at (i, i)).
struct poly {
  double c = 0;
  std::map<std::int32_t, double> lin;
  std::map<pair, double> quad;

  bool linear() const { return !lin.empty(); }
  bool quadratic() const { return !quad.empty(); }
  bool constant() const { return lin.empty() && quad.empty(); }
  void scale(double k) {
    c *= k;
    if (k == 1) return;
    if (k == 0) {
      lin.clear();
      quad.clear();
      return;
    }
    for (auto& t : lin) t.second *= k;
    for (auto& t : quad) t.second *= k;
  }
  void add(const poly& p, double sign) {
    c += sign * p.c;
    for (const auto& [j, v] : p.lin) lin[j] += sign * v;
    for (const auto& [ij, v] : p.quad) quad[ij] += sign * v;
  }
  // The product of two linear parts into the quadratic part.
  void cross(const std::map<std::int32_t, double>& a, const std::map<std::int32_t, double>& b) {
    for (const auto& [i, u] : a) {
      for (const auto& [j, v] : b) {
        const double p = u * v;
        if (p == 0) continue;
        quad[{std::min(i, j), std::max(i, j)}] += i == j ? 2 * p : p;
      }
    }
  }
  // The square of the polynomial (no quadratic part).
  void square() {
    const auto l = lin;
    quad.clear();
    cross(l, l);
    for (auto& t : lin) t.second *= 2 * c;
    c *= c;
  }
  // Terms below the negligible value go.
  void normalise() {
    std::erase_if(lin, [](const auto& t) { return std::fabs(t.second) < negligible; });
    std::erase_if(quad, [](const auto& t) { return std::fabs(t.second) < negligible; });
  }
};

struct rowresult {
  double constant = 0;
  std::int32_t lsize = 0, qsize = 0, qdiag = 0, qnz = 0;
  poly p;
};

class analysis {
 public:
  // The row's code as a polynomial; an empty optional with the message when it is not one.
  std::optional<rowresult> run(std::int32_t first, std::int32_t last, std::string& msg) {
    const gcdata::tmodel& m = gcdata::mymodel;
    stack_.clear();
    msg.clear();
    for (std::int32_t k = first; k <= last && msg.empty(); ++k) {
      const ctvnl::tnlcode& in = m.instr[static_cast<std::size_t>(k - 1)];
      if (in.opcode == ctvnl::opcode::store) break;
      if (in.opcode == ctvnl::opcode::funcargn && k < last) {
        step(in, &m.instr[static_cast<std::size_t>(k)], msg);
        ++k;  // the call it announces is done
      } else {
        step(in, nullptr, msg);
      }
    }
    if (msg.empty() && stack_.size() != 1)
      msg = "stack not equal to one, please report to support " + std::string(supportaddress);
    if (!msg.empty()) return std::nullopt;
    rowresult r;
    r.p = std::move(stack_.back());
    r.p.normalise();
    r.constant = r.p.c;
    r.lsize = static_cast<std::int32_t>(r.p.lin.size());
    r.qnz = static_cast<std::int32_t>(r.p.quad.size());
    std::set<std::int32_t> cols;
    for (const auto& [ij, v] : r.p.quad) {
      r.qdiag += ij.first == ij.second ? 1 : 0;
      cols.insert(ij.first);
      cols.insert(ij.second);
    }
    r.qsize = static_cast<std::int32_t>(cols.size());
    return r;
  }

 private:
  static double pool(std::int32_t k) {
    const auto& p = gcdata::mymodel.pool;
    return k >= 1 && static_cast<std::size_t>(k) <= p.size() ? p[static_cast<std::size_t>(k - 1)]
                                                             : 0.0;
  }
  bool push(poly p, std::string& msg) {
    if (stack_.size() >= maxstack) return msg = "stack overflow", false;
    stack_.push_back(std::move(p));
    return true;
  }
  bool need(std::size_t n, std::string& msg) {
    if (stack_.size() >= n) return true;
    msg = "stack not equal to one, please report to support " + std::string(supportaddress);
    return false;
  }
  // The entries that the instruction takes are on the stack.
  bool need(ctvnl::opcode op, std::string& msg) {
    return need(static_cast<std::size_t>(ctvnl::effect(op).pops), msg);
  }
  poly pop() {
    poly p = std::move(stack_.back());
    stack_.pop_back();
    return p;
  }
  static poly variable(std::int32_t x, double a) {
    poly p;
    p.lin[x] = a;
    return p;
  }
  static std::string nonlinear(std::int32_t fn) {
    return "function " + genextfunc::genericfuncname(fn).str() +
           " results in a nonlinear expression";
  }
  static bool squared(poly& p, std::string& msg) {
    if (p.quadratic()) return msg = "cannot square a quadratic expressione", false;
    p.square();
    return true;
  }
  void multiply(std::string& msg) {
    poly t = pop();
    poly& b = stack_.back();
    if (b.quadratic() && t.quadratic())
      return void(msg = "cannot multiply quadratic expression with quadratic");
    if (b.quadratic() && t.linear())
      return void(msg = "cannot multiply quadratic expression with linear");
    if (b.linear() && t.quadratic())
      return void(msg = "cannot multiply linear expression with quadratic");
    if (t.constant()) return b.scale(t.c);
    if (b.constant()) {
      t.scale(b.c);
      b = std::move(t);
      return;
    }
    poly r;
    r.cross(b.lin, t.lin);
    for (const auto& [j, v] : b.lin) r.lin[j] += v * t.c;
    for (const auto& [j, v] : t.lin) r.lin[j] += v * b.c;
    r.c = b.c * t.c;
    b = std::move(r);
  }
  void step(const ctvnl::tnlcode& in, const ctvnl::tnlcode* call, std::string& msg) {
    using ctvnl::opcode;
    const std::int32_t x = in.operand;
    switch (in.opcode) {
      case opcode::noop:
      case opcode::header:
        return;
      case opcode::pushv:
        return void(push(variable(x, 1), msg));
      case opcode::uminv:
        return void(push(variable(x, -1), msg));
      case opcode::pushi: {
        poly p;
        p.c = pool(x);
        return void(push(std::move(p), msg));
      }
      case opcode::pushzero:
        return void(push(poly{}, msg));
      case opcode::add:
      case opcode::sub: {
        if (!need(in.opcode, msg)) return;
        const poly t = pop();
        return stack_.back().add(t, in.opcode == opcode::add ? 1 : -1);
      }
      case opcode::addv:
      case opcode::subv:
        if (!need(in.opcode, msg)) return;
        stack_.back().lin[x] += in.opcode == opcode::addv ? 1 : -1;
        return;
      case opcode::addi:
        if (need(in.opcode, msg)) stack_.back().c += pool(x);
        return;
      case opcode::subi:
        if (need(in.opcode, msg)) stack_.back().c -= pool(x);
        return;
      case opcode::mul:
        if (need(in.opcode, msg)) multiply(msg);
        return;
      case opcode::mulv: {
        if (!need(in.opcode, msg)) return;
        poly& t = stack_.back();
        if (t.quadratic())
          return void(msg = "cannot multiply a quadratic expression by a variable");
        poly r;
        for (const auto& [y, a] : t.lin)
          r.quad[{std::min(x, y), std::max(x, y)}] += y == x ? 2 * a : a;
        if (t.c != 0) r.lin[x] = t.c;
        t = std::move(r);
        return;
      }
      case opcode::muli:
        if (need(in.opcode, msg)) stack_.back().scale(pool(x));
        return;
      case opcode::div: {
        if (!need(in.opcode, msg)) return;
        const poly t = pop();
        if (!t.constant())
          return void(msg = "division by a variable makes this expression nonlinear");
        if (std::fabs(t.c) < negligible) return void(msg = "division by zero");
        return stack_.back().scale(1 / t.c);
      }
      case opcode::divv:
        return void(msg = "division by a variable makes this expression nonlinear");
      case opcode::divi:
        if (!need(in.opcode, msg)) return;
        if (std::fabs(pool(x)) < negligible) return void(msg = "division by zero");
        return stack_.back().scale(1 / pool(x));
      case opcode::umin:
        if (need(in.opcode, msg)) stack_.back().scale(-1);
        return;
      case opcode::muliadd: {
        if (!need(in.opcode, msg)) return;
        poly t = pop();
        t.scale(pool(x));
        return stack_.back().add(t, 1);
      }
      case opcode::callarg1:
        if (x != fnsqr) return void(msg = nonlinear(x));
        if (need(in.opcode, msg)) (void)squared(stack_.back(), msg);
        return;
      case opcode::callarg2:
        return power(x, msg);
      case opcode::funcargn:
        return polynomial(x, call, msg);
      default:
        msg = "cannot analyze instruction " +
              std::string(ctvnl::nlcodetxt[static_cast<std::size_t>(ctvnl::code(in.opcode))]) +
              " report to support " + std::string(supportaddress);
        return;
    }
  }
  void power(std::int32_t fn, std::string& msg) {
    if (fn != fnpower) return void(msg = nonlinear(fn));
    if (!need(ctvnl::opcode::callarg2, msg)) return;
    const poly exponent = pop();
    const double e = exponent.c;
    if (!exponent.constant() || e < -0.1 || e > 2.1)
      return void(msg = "cannot raise expression to high powers");
    poly& base = stack_.back();
    switch (static_cast<int>(std::round(e))) {
      case 0:
        base = poly{};
        base.c = 1;
        return;
      case 1:
        return;
      default:
        (void)squared(base, msg);
        return;
    }
  }
  // Poly(x, c0, ..., c(n-2)) = sum c_k x^k with constant coefficients, degree two at most.
  void polynomial(std::int32_t n, const ctvnl::tnlcode* call, std::string& msg) {
    if (call == nullptr || call->opcode != ctvnl::opcode::callargn) {
      msg = "cannot analyze instruction " +
            std::string(ctvnl::nlcodetxt[ctvnl::code(ctvnl::opcode::funcargn)]) +
            " report to support " + std::string(supportaddress);
      return;
    }
    if (call->operand != fnpoly) return void(msg = nonlinear(call->operand));
    if (n > 4) return void(msg = "Poly function with more than four arguments is not quadratic");
    if (n < 1 || !need(static_cast<std::size_t>(n), msg)) return;
    const std::size_t base = stack_.size() - static_cast<std::size_t>(n);
    const poly arg = stack_[base];
    if (arg.quadratic())
      return void(
          msg = "Poly function with qudratic expression in fourth arguments is not quadratic");
    poly result;
    poly power;  // arg^k
    power.c = 1;
    for (std::size_t k = 1; k < static_cast<std::size_t>(n); ++k) {
      const poly& coef = stack_[base + k];
      if (!coef.constant()) return void(msg = nonlinear(fnpoly));
      poly term = power;
      term.scale(coef.c);
      result.add(term, 1);
      if (k == 1) {
        power = arg;
      } else if (k == 2) {
        power.square();
      }
    }
    stack_.resize(base);
    stack_.push_back(std::move(result));
  }

  std::vector<poly> stack_;
};

// The data file of the check, written through the data-exchange library.
class datafile {
 public:
  datafile(std::string_view name, q5rt::textfile& listing) {
    q5rt::sstr msg;
    if (!vrkdcdef::vrkgetreadyx(msg)) {
      for (const q5rt::sstr& line :
           {q5rt::concat("*** Could not load VRKIO library"), q5rt::concat("*** Msg: ", msg)}) {
        listing.writeln(line);
        gcdata::gclogstat(line);
      }
      gcdata::gclogstat("*** Cannot Write VRK");
      return;
    }
    if (!vrkdcdef::vrkcreate(h_, msg)) {
      gcdata::gclogstat(q5rt::concat("*** Cannot write to ", name));
      listing.writeln(q5rt::concat("*** Cannot write to ", name));
      return;
    }
    vrkdcdef::vrkstoredomainsetsset(h_, false);
    std::int32_t err = 0;
    (void)vrkdcdef::vrkopenwrite(h_, q5rt::sstr::cut(name), q5rt::sstr::cut("QMAKER"), err);
    if (err != 0) {
      gcdata::gclogstat(q5rt::concat("*** Cannot write to ", name));
      listing.writeln(q5rt::concat("*** Cannot write to ", name));
      return;
    }
    open_ = true;
    const gcdata::tmodel& m = gcdata::mymodel;
    (void)vrkdcdef::vrkuelregisterrawstart(h_);
    for (std::int32_t k = 1; k <= std::max(m.rows, m.cols); ++k)
      (void)vrkdcdef::vrkuelregisterraw(h_, num(k));
    (void)vrkdcdef::vrkuelregisterdone(h_);
    set("i", "equation index", m.rows);
    set("j", "variable index", m.cols);
    start("Q", "Q matrices", 3);
  }
  ~datafile() { vrkdcdef::vrkfree(h_); }
  datafile(const datafile&) = delete;
  datafile& operator=(const datafile&) = delete;

  [[nodiscard]] bool open() const { return open_; }
  void start(std::string_view symbol, std::string_view text, std::int32_t dim,
             std::int32_t type = 1) {
    (void)vrkdcdef::vrkdatawriterawstart(h_, q5rt::sstr::cut(symbol), q5rt::sstr::cut(text), dim,
                                         type, 0);
  }
  void record(std::initializer_list<std::int32_t> keys, double v) {
    const std::vector<std::int32_t> k(keys);
    const double values[5] = {v, 0, 0, 0, 0};
    (void)vrkdcdef::vrkdatawriteraw(h_, k.data(), values);
  }
  void done() { (void)vrkdcdef::vrkdatawritedone(h_); }
  void scalar(std::string_view symbol, std::string_view text, double v) {
    start(symbol, text, 0);
    record({}, v);
    done();
  }
  void close() { (void)vrkdcdef::vrkclose(h_); }

 private:
  void set(std::string_view symbol, std::string_view text, std::int32_t count) {
    start(symbol, text, 1, 0);
    for (std::int32_t k = 1; k <= count; ++k) record({k}, 0);
    done();
  }
  bindproto::handle h_ = nullptr;
  bool open_ = false;
};

}  // namespace

std::int32_t gcqmaker(std::string_view filename, bool scratchmode) {
  const std::uint64_t started = q5rt::tick_ms();
  const gcdata::tmodel& m = gcdata::mymodel;
  const q5rt::sstr listingname = scratchmode ? q5rt::concat(m.scrdir, "zolmqzlm.", m.scrext)
                                             : q5utils::replacefileext(filename, ".zlm");
  const q5rt::sstr dataname =
      scratchmode ? scratchname("zolmqvrk") : q5utils::replacefileext(filename, ".vrk");
  q5rt::textfile listing;
  listing.assign(listingname);
  listing.rewrite();
  if (const int rc = listing.ioresult(); rc != 0) {
    gcdata::gclogstat(q5rt::concat("*** Could not write to Qmaker ", listingname));
    gcdata::gclogstat(q5rt::concat("*** RC=", num(rc), " ", q5rt::syserrortext(rc)));
    return -1;
  }
  if (!scratchmode) {
    statlib::gclog(q5rt::concat("--- Writing Qmaker   : ", listingname, addanchor(listingname)));
    gcdata::addfname(listingname);
    gcdata::gcmemo(q5rt::concat("Qmaker    : ", listingname));
  }
  gcheader(listing, "*");
  datafile data(dataname, listing);
  listing.writeln("*");
  listing.writeln("*");
  listing.writeln("*  Equation  NLjacs   Lsize   Qsize   Qdiag     Qnz  Const");

  analysis a;
  std::int32_t nle = 0, nlj = 0, lnz = 0, qnztotal = 0, cnz = 0, bad = 0;
  std::int32_t maxnljacs = 0, maxlsize = 0, maxqsize = 0, maxqnz = 0;
  std::vector<std::pair<std::int32_t, double>> constants, diagonals;
  std::vector<std::tuple<std::int32_t, std::int32_t, double>> lrecords, countrecords;
  for (std::int32_t r = 1; r <= m.rows; ++r) {
    const auto k = static_cast<std::size_t>(r - 1);
    if (m.rowfirstinstr[k] == 0) continue;
    ++nle;
    std::int32_t nljacs = 0;
    for (const zlmspecs::tjacrec* e = m.rowfirst[k]; e != nullptr; e = e->rownext)
      nljacs += e->nonlin ? 1 : 0;
    nlj += nljacs;
    std::string msg;
    const std::optional<rowresult> res = a.run(m.rowfirstinstr[k], m.rowlastinstr[k], msg);
    if (!res) {
      msg.resize(std::min<std::size_t>(msg.size(), 255));
      listing.writeln(q5rt::concat("*  ", num8(r), num8(nljacs), "  ", msg));
      statlib::gcstatc(q5rt::concat("**** ", msg));
      statlib::gcstate("", r, "     for equation  ");
      if (++bad == maxbadrows) {
        gcdata::gclogstat("*** too many errors - stopped processing");
        break;
      }
      continue;
    }
    listing.writeln(q5rt::concat("*  ", num8(r), num8(nljacs), num8(res->lsize), num8(res->qsize),
                                 num8(res->qdiag), num8(res->qnz), "  ",
                                 strutilx::dbltostr(res->constant)));
    lnz += res->lsize;
    qnztotal += res->qnz;
    maxnljacs = std::max(maxnljacs, nljacs);
    maxlsize = std::max(maxlsize, res->lsize);
    maxqsize = std::max(maxqsize, res->qsize);
    maxqnz = std::max(maxqnz, res->qnz);
    if (res->constant != 0) ++cnz, constants.emplace_back(r, res->constant);
    if (res->qdiag != 0) diagonals.emplace_back(r, res->qdiag);
    for (const auto& [j, v] : res->p.lin) lrecords.emplace_back(r, j, v);
    std::map<std::int32_t, std::int32_t> percolumn;
    for (const auto& [ij, v] : res->p.quad) {
      if (data.open()) data.record({r, ij.first, ij.second}, v);
      ++percolumn[ij.first];
      if (ij.second != ij.first) ++percolumn[ij.second];
    }
    for (const auto& [j, count] : percolumn) countrecords.emplace_back(r, j, count);
  }
  listing.writeln("*");
  listing.writeln(q5rt::concat("*  ", num8(nle), num8(nlj), num8(lnz), std::string(16, ' '),
                               num8(qnztotal), "  ", num(cnz)));
  listing.writeln(q5rt::concat("*  ", "Max     ", num8(maxnljacs), num8(maxlsize), num8(maxqsize),
                               std::string(8, ' '), num8(maxqnz)));
  if (bad > 0) {
    listing.writeln("");
    listing.writeln(q5rt::concat("**** ", num(bad), " equations are general nonlinear"));
    gcdata::gclogstat(q5rt::concat("*** ", num(bad), " bad Q equations out of ", num(nle),
                                   " NL equations processed."));
  }
  listing.writeln("");
  listing.writeln("sets i, j; scalars NLe, NLj, Cnz, Lnz, MaxLnz, Qnz, MaxQ, MaxQnz, GenTime;");
  listing.writeln("parameter C(i), L(i,j), Q(i,j,j), Qcnt(i,j), QDcnt(i)");
  const double elapsed = static_cast<double>(q5rt::tick_ms() - started);
  if (data.open()) {
    data.done();
    data.start("L", "L vectors", 2);
    for (const auto& [r, j, v] : lrecords) data.record({r, j}, v);
    data.done();
    data.start("C", "C constants", 1);
    for (const auto& [r, v] : constants) data.record({r}, v);
    data.done();
    data.start("QDcnt", "Q diagonal nonzero counts", 1);
    for (const auto& [r, v] : diagonals) data.record({r}, v);
    data.done();
    data.start("Qcnt", "Q nonzero column counts", 2);
    for (const auto& [r, j, v] : countrecords) data.record({r, j}, v);
    data.done();
    data.scalar("NLe", "Quadratic equations including objective", nle);
    data.scalar("NLj", "Total nonlinear jacobian entries in matrix", nlj);
    data.scalar("Cnz", "Total nonzeros in C", cnz);
    data.scalar("Lnz", "Total nonzeros in L", lnz);
    data.scalar("Qnz", "Total nonzeros in Q", qnztotal);
    data.scalar("MaxQ", "Maximum number of rows in single Q matrix", maxqsize);
    data.scalar("MaxQnz", "Maximum number of nonzeros in single Q matrix", maxqnz);
    data.scalar("MaxLnz", "Maximum number of nonzeros in single L vector", maxlsize);
    data.scalar("GenTime", "QMaker time in Seconds", elapsed / 1000);
    data.close();
    listing.writeln("");
    listing.writeln(q5rt::concat("$vrkin \"", dataname, "\""));
    listing.writeln("$load i j NLe NLj Cnz Lnz MaxLnz Qnz MaxQ MaxQnz GenTime");
    listing.writeln("$load C L Q Qcnt QDcnt");
    listing.writeln("$vrkin");
    listing.writeln("");
    listing.writeln("display NLe,NLj,Cnz,Lnz,MaxLnz,Qnz,MaxQ,MaxQnz,GenTime");
    listing.writeln("*display C,L,Q,Qcnt,QDcnt;");
  } else {
    listing.writeln("");
    listing.writeln("*** Could not write VRK file");
  }
  listing.writeln("");
  listing.writeln(q5rt::concat("* Total time = ", num(static_cast<std::int64_t>(elapsed)), "ms"));
  listing.close();
  return bad;
}

}  // namespace gcutil
