// The option object: reading the definition and option files through the stand-in, the
// messages, values, defined states, groups, lists and dot options the link relies on, and
// the object's own construction and result handling.
#include "bindings/optdodef.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/bindtest.h"

namespace {

const std::string optbarondef = testutil::source_dir() + "/examples/sysdir/optbaron.def";

class OptdodefTest : public ::testing::Test {
 protected:
  void SetUp() override { optdodef::optlibraryunload(); }
  void TearDown() override { optdodef::optlibraryunload(); }
  static std::string libpath() { return bindtest::standinlib() + "/libzlmopt64.so"; }
};

struct message {
  std::string text;
  int type;
  bool operator==(const message&) const = default;
  friend void PrintTo(const message& m, std::ostream* os) { *os << m.type << ":" << m.text; }
};

// Fetches and clears the object's messages as the link does.
std::vector<message> takemessages(optdodef::tzlmoptions& o) {
  std::vector<message> all;
  for (int k = 1; k <= o.doptmessagecount(); ++k) {
    q5rt::sstr text;
    std::int32_t type = -1;
    o.optgetmessage(k, text, type);
    all.push_back({text.str(), type});
  }
  o.optclearmessages();
  return all;
}

// An object with optbaron.def read, no message expected.
class baronoptions {
 public:
  baronoptions() : o(bindproto::createl, bindtest::standinlib() + "/libzlmopt64.so", msg) {
    EXPECT_TRUE(msg.empty()) << msg.view();
    EXPECT_EQ(o.optreaddefinition(q5rt::sstr::cut(optbarondef)), 0);
    EXPECT_EQ(takemessages(o), std::vector<message>{});
  }
  q5rt::sstr msg;
  optdodef::tzlmoptions o;
};

std::int32_t datatype(optdodef::tzlmoptions& o, int nr) {
  std::int32_t a = 0, b = 0, c = 0, type = 0, e = 0, f = 0;
  (void)o.optgetinfonr(nr, a, b, c, type, e, f);
  return type;
}

// getgroup as the BARON option set computes it.
int groupof(optdodef::tzlmoptions& o, int nr) {
  int g = o.optgetoptgroupnr(nr);
  if (g < 0) g = 0;
  return o.optgetgroupgrpnr(g) - 1;
}

// optbaron.def: 123 options whose numbers, data types and groups carry the roles that the
// link gives them; group 9 is never written to BARON's input file.
TEST_F(OptdodefTest, OptbaronDefHoldsTheRolesTheLinkReliesOn) {
  baronoptions b;
  auto& o = b.o;
  EXPECT_EQ(o.doptcount(), 123);
  struct row {
    int nr;
    const char* name;
    int type;
    int group;
    const char* why;
  };
  constexpr row rows[] = {
      {22, "CutOff", 2, 1, "receives control option 2"},
      {28, "EpsA", 2, 1, "absolute gap"},
      {29, "EpsR", 2, 1, "relative gap"},
      {32, "SolPrefix", 3, 9, "per-solution file prefix, link only"},
      {34, "Hessian", 1, 9, "hessian switch, link only"},
      {38, "InfBnd", 2, 9, "bound for infinite bounds, link only"},
      {59, "NLPSol", 1, 4, "BARON's local NLP solver"},
      {61, "SkipStart", 1, 9, "no starting point, link only"},
      {78, "PhaseOne", 1, 9, "phase-one mode, link only"},
      {96, "ObjReform", 1, 9, "objective reformulation limit, link only"},
      {101, "Threads", 1, 8, "thread count, written"},
      {104, "LPMode", 1, 8, "set for LP and RMIP, written"},
      {105, "lo", 5, 9, "dot option Lo"},
      {106, "up", 5, 9, "dot option Up"},
      {107, "prior", 5, 9, "dot option Prior"},
      {108, "equclass", 5, 9, "dot option EquClass"},
      {109, "CtrlFile", 3, 5, "control file name, written for the bridge"},
      {110, "HessCtrlName", 3, 5, "hessian control file"},
      {111, "HessInstName", 3, 5, "hessian instruction copy"},
      {112, "TimName", 3, 5, "result file tim"},
      {113, "ResName", 3, 5, "result file res"},
      {114, "SumName", 3, 5, "result file sum"},
      {115, "OptName", 3, 5, "scratch name opt"},
      {117, "BarName", 3, 9, "BARON's input file, link only"},
      {119, "ObjVarName", 3, 9, "objective variable's name, link only"},
      {120, "ExtNLPsolver", 3, 9, "external NLP solver, read by the bridge by name"},
      {121, "ExtMINLPsolver", 3, 9, "external MINLP solver, read by the bridge by name"},
      {122, "secret", 4, 9, "pass-through list option"},
      {123, "ClockType", 3, 8, "clock type, written"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr name;
    EXPECT_EQ(o.optgetnamenr(r.nr, name), 1);
    EXPECT_EQ(name.view(), r.name);
    EXPECT_EQ(datatype(o, r.nr), r.type);
    EXPECT_EQ(groupof(o, r.nr), r.group);
  }
  // Options that receive control values are numbers.
  for (int nr : {22, 28, 29, 39, 40, 41, 42, 43, 51, 55, 88, 89, 90, 91, 92, 96}) {
    SCOPED_TRACE(nr);
    const int type = datatype(o, nr);
    EXPECT_TRUE(type == 1 || type == 2);
  }
}

TEST_F(OptdodefTest, OptionFileIsEchoedWithItsComplaints) {
  baronoptions b;
  auto& o = b.o;
  const std::string file = bindtest::fixture("optdodef/baron.opt");
  o.optechoset(1);
  (void)o.opteolonlyset(1);
  (void)o.optreadparameterfile(q5rt::sstr::cut(file));
  const auto at = [&](int line) { return "*** " + file + " line " + std::to_string(line) + ": "; };
  const std::vector<message> expected = {
      {"* BARON options for the option object's tests", 0},
      {"EpsA 1e-4", 0},
      {"maxtime=60        ! seconds", 0},
      {"MaxIter 2.5", 0},
      {at(4) + "bad value \"2.5\" for option \"MaxIter\"", 1},
      {"NoSuchOption 3", 0},
      {at(5) + "unknown option \"NoSuchOption\"", 1},
      {"EpsR -1", 0},
      {at(6) + "value -1 for option \"EpsR\" out of bounds [0, inf]", 1},
      {"ExtNLPsolver nlpsolva.3", 0},
      {"secret 'MaxPreIter: 5'", 0},
      {"secret 'NumSol: 2'", 0},
      {"x.lo(i1, \"a b\") 2.5", 0},
      {"y.up 10", 0},
      {"z.prior(*) 4", 0},
      {"x.lo(i1 3", 0},
      {at(13) + "unclosed label list in \"x.lo(i1 3\"", 1},
  };
  EXPECT_EQ(takemessages(o), expected);
  EXPECT_EQ(o.doptmessagecount(), 0);

  double d = 0;
  std::int32_t state = 0, i = 0;
  EXPECT_EQ(o.optgetdblnr(28, d), 1);
  EXPECT_EQ(d, 1e-4);
  EXPECT_EQ(o.optgetdblnr(55, d), 1);
  EXPECT_EQ(d, 60);
  (void)o.optgetdefinednr(51, state);
  EXPECT_EQ(state, 0);  // the refused value left MaxIter undefined at its default
  (void)o.optgetintnr(51, i);
  EXPECT_EQ(i, -1);
  q5rt::sstr s;
  (void)o.optgetstrnr(120, s);
  EXPECT_EQ(s.view(), "nlpsolva.3");
  q5rt::sstr solver;
  std::int32_t number = -1;
  EXPECT_EQ(o.optgetnameopt(s, solver, number), 1);
  EXPECT_EQ(solver.view(), "nlpsolva");
  EXPECT_EQ(number, 3);

  const q5rt::sstr secret = q5rt::sstr::cut("secret");
  ASSERT_EQ(o.optlistcountstr(secret), 2);
  EXPECT_EQ(o.optreadfromliststr(secret, 2, s), 1);
  EXPECT_EQ(s.view(), "NumSol: 2");

  std::int32_t errors = -1;
  ASSERT_EQ(o.optdotoptcount(errors), 3);
  struct dot {
    const char* symbol;
    int optnr;
    std::vector<std::string> labels;
    double value;
  };
  const dot dots[] = {{"x", 105, {"i1", "a b"}, 2.5}, {"y", 106, {}, 10}, {"z", 107, {"*"}, 4}};
  for (int k = 1; k <= 3; ++k) {
    const dot& want = dots[k - 1];
    SCOPED_TRACE(want.symbol);
    q5rt::sstr symbol;
    std::int32_t optnr = 0, dim = 0;
    double value = 0;
    EXPECT_EQ(o.optgetdotoptnr(k, symbol, optnr, dim, value), 1);
    EXPECT_EQ(symbol.view(), want.symbol);
    EXPECT_EQ(optnr, want.optnr);
    EXPECT_EQ(value, want.value);
    ASSERT_EQ(dim, static_cast<int>(want.labels.size()));
    for (int p = 1; p <= dim; ++p) {
      q5rt::sstr label;
      EXPECT_EQ(o.optgetdotoptuel(k, p, label), 1);
      EXPECT_EQ(label.view(), want.labels[static_cast<std::size_t>(p - 1)]);
    }
  }
}

TEST_F(OptdodefTest, MissingFilesGiveOneMessage) {
  baronoptions b;
  (void)b.o.optreadparameterfile(q5rt::sstr::cut("/nonexistent/baron.opt"));
  (void)b.o.optreaddefinition(q5rt::sstr::cut("/nonexistent/optbaron.def"));
  const std::vector<message> expected = {
      {"*** Cannot open option file \"/nonexistent/baron.opt\": No such file or directory", 1},
      {"*** Cannot open definition file \"/nonexistent/optbaron.def\": No such file or directory",
       1}};
  EXPECT_EQ(takemessages(b.o), expected);
}

TEST_F(OptdodefTest, DefinitionErrorsNameTheLine) {
  struct row {
    const char* text;
    const char* message;
    const char* why;
  };
  constexpr row rows[] = {
      {"integer a 1 0 0 1", "line 1: group 1 is not declared", "groups come first"},
      {"group 1 2 G\ninteger a 1 5 0 1", "line 2: default of option \"a\" out of its bounds",
       "default outside the bounds"},
      {"bogus x", "line 1: unknown keyword \"bogus\"", "unknown keyword"},
      {"group 1 2 G\ndouble d 1 x 0 1", "line 2: bad number \"x\"", "a bound that is no number"},
      {"group 1 2 G\nstring s 1", "line 2: \"string\" needs 3 fields", "a field missing"},
      {"group 1 2 G\ninteger a 1 0 0 1\ninteger A 1 0 0 1", "line 3: option \"A\" declared twice",
       "names compare without case"},
      {"group 1 2 G\ninteger b 1 0.5 0 1", "line 2: integer option \"b\" needs an integer default",
       "integer default"},
  };
  q5rt::sstr msg;
  optdodef::tzlmoptions o(bindproto::createl, libpath(), msg);
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(o.optreaddefinitionfrompchar(r.text), 1);
    const std::vector<message> expected = {{std::string("*** definition text ") + r.message, 1}};
    EXPECT_EQ(takemessages(o), expected);
  }
}

TEST_F(OptdodefTest, ValuesDefinedStatesAndReset) {
  baronoptions b;
  auto& o = b.o;
  std::int32_t state = -1;
  double d = 0;
  EXPECT_EQ(o.optsetdblnr(28, 0.5), 1);
  (void)o.optgetdefinednr(28, state);
  EXPECT_EQ(state, 1);
  EXPECT_EQ(o.optsetdbl2nr(28, 0.25), 1);
  (void)o.optgetdefinednr(28, state);
  EXPECT_EQ(state, 3);  // value and second value defined
  (void)o.optgetdbl2nr(28, d);
  EXPECT_EQ(d, 0.25);
  EXPECT_EQ(o.optresetnr(28), 1);
  (void)o.optgetdefinednr(28, state);
  EXPECT_EQ(state, 0);
  (void)o.optgetdblnr(28, d);
  EXPECT_EQ(d, 1e-6);  // the default again

  EXPECT_EQ(o.optsetint2nr(51, 7), 1);
  (void)o.optgetdefinednr(51, state);
  EXPECT_EQ(state, 2);  // only the second value

  // A set out of bounds is refused with a message; the value stays.
  EXPECT_EQ(o.optsetintnr(34, 5), 0);
  EXPECT_EQ(takemessages(o),
            (std::vector<message>{{"*** value 5 for option \"Hessian\" out of bounds [0, 1]", 1}}));

  q5rt::sstr s;
  EXPECT_EQ(o.optsetstrnr(112, q5rt::sstr::cut("tim.dat")), 1);
  (void)o.optgetstrnr(112, s);
  EXPECT_EQ(s.view(), "tim.dat");
  EXPECT_TRUE(o.optgetdefinedstr(q5rt::sstr::cut("timname")));
  EXPECT_FALSE(o.optgetdefinedstr(q5rt::sstr::cut("ResName")));
}

TEST_F(OptdodefTest, AnUnknownOptionNumberAnswersZerosSilently) {
  baronoptions b;
  auto& o = b.o;
  std::int32_t v[6] = {9, 9, 9, 9, 9, 9};
  EXPECT_EQ(o.optgetinfonr(999, v[0], v[1], v[2], v[3], v[4], v[5]), 0);
  for (int x : v) EXPECT_EQ(x, 0);
  q5rt::sstr name = q5rt::sstr::cut("x");
  EXPECT_EQ(o.optgetnamenr(0, name), 0);
  EXPECT_EQ(name.view(), "");
  double d = 9;
  EXPECT_EQ(o.optgetdblnr(124, d), 0);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(o.optgetoptgroupnr(999), 0);
  EXPECT_EQ(o.doptmessagecount(), 0);
}

TEST_F(OptdodefTest, NameAndOptionFileNumberSplit) {
  baronoptions b;
  struct row {
    const char* value;
    int result;
    const char* name;
    int number;
    const char* why;
  };
  constexpr row rows[] = {
      {"nlpsolva.3", 1, "nlpsolva", 3, "name and number"},
      {"nlpsolva", 1, "nlpsolva", 0, "name alone"},
      {"nlpsolva.x", 0, "", 0, "a letter after the dot"},
      {"3nlpsolva", 0, "", 0, "a name starts with a letter"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    q5rt::sstr name;
    std::int32_t number = -1;
    EXPECT_EQ(b.o.optgetnameopt(q5rt::sstr::cut(r.value), name, number), r.result);
    EXPECT_EQ(name.view(), r.name);
    EXPECT_EQ(number, r.number);
  }
}

// Two objects hold separate option sets in one loaded library; indicators are shared.
TEST_F(OptdodefTest, ObjectsShareTheLibraryNotTheirOptions) {
  q5rt::sstr m1, m2;
  optdodef::tzlmoptions a(bindproto::createl, libpath(), m1);
  optdodef::tzlmoptions b(m2);  // loaded already: no search needed
  ASSERT_TRUE(m1.empty());
  ASSERT_TRUE(m2.empty()) << m2.view();
  EXPECT_EQ(optdcdef::lib.objectcount(), 2);
  (void)a.optreaddefinition(q5rt::sstr::cut(optbarondef));
  EXPECT_EQ(a.doptcount(), 123);
  EXPECT_EQ(b.doptcount(), 0);

  a.setscreenindicator(false);
  EXPECT_FALSE(b.getscreenindicator());
  b.setscreenindicator(true);
  EXPECT_TRUE(a.getscreenindicator());
  a.optsetexitindicator(false);  // the prefixed names reach the same process-wide state
  EXPECT_FALSE(b.optgetexitindicator());
  EXPECT_FALSE(optdcdef::optgetexitindicator());
  b.optsetexitindicator(true);
  b.optseterrorcount(5);
  EXPECT_EQ(a.optgeterrorcount(), 5);
  a.optseterrorcount(0);

  // A borrowed handle is not freed by its wrapper.
  {
    q5rt::sstr m3 = q5rt::sstr::cut("stale");
    optdodef::tzlmoptions c(bindproto::withhandle, a.optgethandle(), m3);
    EXPECT_TRUE(m3.empty());
    EXPECT_FALSE(c.ownshandle());
    EXPECT_EQ(c.doptcount(), 123);
  }
  EXPECT_EQ(optdcdef::lib.objectcount(), 2);
  EXPECT_EQ(a.doptcount(), 123);
}

TEST_F(OptdodefTest, StringResultsAreCutToTheCallersCapacity) {
  baronoptions b;
  auto& o = b.o;
  const q5rt::sstr name = q5rt::sstr::cut("ObjVarName");
  o.optsetstrstr(name, q5rt::sstr::cut("abcdefghijklmnopqrst"));
  q5rt::shortstring<10> ten;
  EXPECT_EQ(o.optgetstrstr(ten, name).view(), "abcdefghij");
  q5rt::sstr full;
  EXPECT_EQ(o.optgetstrstr(full, name).view(), "abcdefghijklmnopqrst");
  EXPECT_EQ(o.doptstringquote(full).view(), "\"");
}

TEST_F(OptdodefTest, LoadPathEntriesReachTheLibrary) {
  q5rt::sstr dir;
  EXPECT_FALSE(optdodef::optgetloadpath(dir));  // not loaded
  q5rt::sstr msg;
  ASSERT_TRUE(optdodef::optgetreadyd(bindtest::standinlib() + "/", msg));
  EXPECT_TRUE(optdodef::optgetloadpath(dir));
  EXPECT_EQ(dir.view(), bindtest::standinlib());
  EXPECT_TRUE(optdodef::optsetloadpath("/elsewhere"));
  EXPECT_TRUE(optdodef::optgetloadpath(dir));
  EXPECT_EQ(dir.view(), "/elsewhere");
}

}  // namespace

namespace {

// Malformed option texts end in error messages, never in a crash or a hang.
TEST_F(OptdodefTest, MalformedOptionLinesGiveMessages) {
  struct row {
    std::string text;
    int errors;
    const char* why;
  };
  const row rows[] = {
      {"x.lo(", 1, "label list opened at the end"},
      {"x.(a) 1", 1, "no dot option name"},
      {".lo 1", 1, "no symbol"},
      {"'unterminated 3", 1, "a quote that never closes"},
      {"= = =", 1, "separators only"},
      {"EpsA", 1, "a number option without value"},
      {std::string(300, 'n') + " 1", 1, "a name longer than a short string"},
      {"x.lo(a,'b) 1", 1, "a quote open inside the labels"},
      {"EpsA 1 EpsR 0.5", 1, "several pairs need EOL-only off"},
  };
  baronoptions b;
  (void)b.o.opteolonlyset(1);
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    b.o.optreadfrompchar(r.text.c_str());
    int errors = 0;
    for (const auto& m : takemessages(b.o)) {
      errors += m.type == 1 ? 1 : 0;
      EXPECT_LE(m.text.size(), 255u);
    }
    EXPECT_EQ(errors, r.errors);
  }
  // With EOL-only off a line holds several pairs.
  (void)b.o.opteolonlyset(0);
  b.o.optreadfrompchar("EpsA 1 EpsR 0.5");
  EXPECT_EQ(b.o.doptmessagecount(), 0);
  double d = 0;
  (void)b.o.optgetdblnr(29, d);
  EXPECT_EQ(d, 0.5);
}

}  // namespace
