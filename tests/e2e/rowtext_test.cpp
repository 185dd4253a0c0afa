// rowtext on model instances: a hand-written fixture against its expected text, and
// generated models whose written text must have the value of their instruction code.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "funclib/evalnew.h"
#include "support/exprtest.h"
#include "support/testutil.h"

namespace {

namespace fs = std::filesystem;
using ctvnl::opcode;
using exprtest::code;
using exprtest::ins;

std::string fixture(const std::string& name) {
  return testutil::source_dir() + "/tests/e2e/fixtures/" + name;
}

testutil::run_result rowtext(const std::string& dir, const std::vector<std::string>& args) {
  return testutil::run_program(ROWTEXT_PATH, args, dir);
}

TEST(Rowtext, FixtureHeaderAndStatements) {
  testutil::tempdir dir;
  fs::copy(fixture("rowtext"), dir.path(), fs::copy_options::recursive);
  const testutil::run_result r = rowtext(dir.path().string(), {"model.ctl"});
  EXPECT_EQ(r.exit_code, 0);
  const std::string golden = fixture("rowtext/expected.txt");
  if (std::getenv("UPDATE_GOLDEN") != nullptr) testutil::write_file(golden, r.out);
  EXPECT_EQ(r.out, testutil::read_file(golden));
  const testutil::run_result style0 = rowtext(dir.path().string(), {"model.ctl", "--style", "0"});
  EXPECT_NE(style0.out.find("e1: x1*log(x2) - 0.333333333333333*x1**0.5 + POWER(x2,-2);\n"),
            std::string::npos)
      << style0.out;
}

TEST(Rowtext, ControlFileThatCannotBeLoaded) {
  testutil::tempdir dir;
  const testutil::run_result r = rowtext(dir.path().string(), {"missing.ctl"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out.rfind("*** Could not load control file \"missing.ctl\"\n*** Msg=", 0), 0u)
      << r.out;
}

// Random row code over two columns and a pool of short constants.
class generator {
 public:
  explicit generator(unsigned seed) : rng_(seed) {}

  code row(std::int32_t r) {
    code c{ins(opcode::header)};
    expr(c, 0);
    c.push_back(ins(opcode::store, r));
    return c;
  }

  static const std::vector<double>& pool() {
    static const std::vector<double> p = {3, -2, 0.5, 2.5, -0.25, 1, 0, 4, -1};
    return p;
  }

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  std::int32_t constant() { return 1 + pick(static_cast<int>(pool().size())); }
  std::int32_t column() { return 1 + pick(2); }

  void expr(code& c, int depth) {
    const int choice = depth >= 4 ? pick(3) : pick(20);
    switch (choice) {
      case 0:
      case 1:
        c.push_back(ins(opcode::pushv, column()));
        return;
      case 2:
        c.push_back(ins(opcode::pushi, constant()));
        return;
      case 3:
      case 4:
      case 5:
      case 6: {
        static constexpr opcode ops[] = {opcode::add, opcode::sub, opcode::mul, opcode::div};
        expr(c, depth + 1);
        expr(c, depth + 1);
        c.push_back(ins(ops[pick(4)]));
        return;
      }
      case 7:
      case 8: {
        static constexpr opcode ops[] = {opcode::addv, opcode::subv, opcode::mulv, opcode::divv};
        expr(c, depth + 1);
        c.push_back(ins(ops[pick(4)], column()));
        return;
      }
      case 9: {
        static constexpr opcode ops[] = {opcode::addi, opcode::subi, opcode::muli, opcode::divi};
        expr(c, depth + 1);
        c.push_back(ins(ops[pick(4)], constant()));
        return;
      }
      case 10:
        expr(c, depth + 1);
        c.push_back(ins(opcode::umin));
        return;
      case 11:
        c.push_back(ins(opcode::uminv, column()));
        return;
      case 12:
      case 13: {
        static constexpr std::int32_t fns[] = {9,  10, 11,
                                               12, 13, 14};  // sqr exp log log10 sqrt abs
        expr(c, depth + 1);
        c.push_back(ins(opcode::callarg1, fns[pick(6)]));
        return;
      }
      case 14:
      case 15: {
        expr(c, depth + 1);
        c.push_back(ins(opcode::pushi, constant()));
        c.push_back(ins(opcode::callarg2, 21));  // power
        return;
      }
      case 16:
      case 17: {
        static constexpr std::int32_t fns[] = {64, 74, 75};  // rPower cvPower vcPower
        expr(c, depth + 1);
        expr(c, depth + 1);
        c.push_back(ins(opcode::callarg2, fns[pick(3)]));
        return;
      }
      default:
        expr(c, depth + 1);
        expr(c, depth + 1);
        c.push_back(ins(opcode::muliadd, constant()));
        return;
    }
  }

  std::mt19937 rng_;
};

std::string codefile(const code& all) {
  std::string s = "$NL CODE\n";
  for (const ctvnl::tnlcode& i : all) {
    s += std::to_string(ctvnl::code(i.opcode)) + " " + std::to_string(i.operand) + "\n";
  }
  s += "$VARIABLE RELOCATION TABLE\n0\n$CONSTANT POOL\n" +
       std::to_string(generator::pool().size()) + "\n";
  for (const double v : generator::pool()) s += std::to_string(v) + "\n";
  return s;
}

// The statements of rowtext's output, continuation lines joined, by row.
std::vector<std::string> statements(const std::string& out) {
  std::vector<std::string> rows(3);
  std::size_t at = 0;
  while ((at = out.find("\ne", at)) != std::string::npos) {
    const std::size_t colon = out.find(": ", at);
    const std::size_t end = out.find(";\n", colon);
    const int r = std::stoi(out.substr(at + 2, colon - at - 2));
    std::string text = out.substr(colon + 2, end - colon - 2);
    for (std::size_t nl = text.find('\n'); nl != std::string::npos; nl = text.find('\n')) {
      text.erase(nl, text.find_first_not_of(' ', nl + 1) - nl);
    }
    if (r >= 1 && r <= 2) rows[static_cast<std::size_t>(r)] = text;
    at = end;
  }
  return rows;
}

TEST(Rowtext, GeneratedModelsKeepTheirValue) {
  const fs::path base = fixture("rowtext");
  const std::vector<double> x = {1.3, 0.7};
  ctvnew::tmathnewrec rec;
  ctvnew::mathnewrecinit(rec);
  int compared = 0;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    generator gen(seed);
    const code row1 = gen.row(1);
    const code row2 = gen.row(2);
    code all = row1;
    all.insert(all.end(), row2.begin(), row2.end());
    testutil::tempdir dir;
    fs::copy(base / "model.mat", dir.path() / "model.mat");
    std::string ctl = testutil::read_file((base / "model.ctl").string());
    ctl.replace(ctl.find("\n24 3 10\n"), 9,
                "\n" + std::to_string(all.size()) + " " + std::to_string(generator::pool().size()) +
                    " 10\n");
    testutil::write_file(dir.file("model.ctl"), ctl);
    testutil::write_file(dir.file("model.cod"), codefile(all));
    const testutil::run_result r = rowtext(dir.path().string(), {"model.ctl"});
    ASSERT_EQ(r.exit_code, 0) << r.out;
    const std::vector<std::string> texts = statements(r.out);
    std::int32_t first = 1;
    for (const code* c : {&row1, &row2}) {
      const std::int32_t last = first + static_cast<std::int32_t>(c->size()) - 1;
      const std::size_t rownr = c == &row1 ? 1 : 2;
      double want = 0;
      std::int32_t errors = 0;
      q5rt::sstr msg;
      const int rc =
          evalnew::funeval(rec, first, last, all, generator::pool(), x, want, errors, msg);
      first = last + 1;
      // Rows outside their functions' domains, and rows the folding halts on, say nothing.
      if (rc != 0 || errors != 0 || !std::isfinite(want) || std::fabs(want) > 1e100) continue;
      if (r.out.find("Division by zero") != std::string::npos) continue;
      const std::string& text = texts[rownr];
      ASSERT_FALSE(text.empty()) << r.out;
      double got = 0;
      ASSERT_NO_THROW(got = exprtest::evaluator(text, x).value()) << text;
      EXPECT_NEAR(got, want, 1e-9 * std::max(1.0, std::fabs(want))) << text;
      ++compared;
    }
  }
  EXPECT_GT(compared, 30);
}

}  // namespace
