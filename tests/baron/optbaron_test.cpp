// BARON's and the conversion option set: the definition files, the typed accessors by
// index, the control values copied, the user's option file, dot records and messages, and
// the halt when no option object can be created.
#include "baron/optbaron.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "baron/optconvert.h"
#include "support/baronfixture.h"

namespace {

using barontest::logcapture;

class OptbaronTest : public ::testing::Test {
 protected:
  void SetUp() override { barontest::loadoptionlibrary(); }
  void TearDown() override {
    optbaron::bofini();
    optconvert::cofini();
  }
  // BARON's set with optbaron.def read.
  optbaron::toptconvert& defined() {
    optbaron::toptconvert& bo = optbaron::boinit();
    EXPECT_EQ(bo.optdefine(), 0);
    return bo;
  }
  barontest::freshmodel model;
};

TEST_F(OptbaronTest, DefinitionFileGivesNamesTypesAndGroupsByIndex) {
  logcapture log;
  const optbaron::toptconvert& bo = defined();
  struct row {
    std::uint8_t index;
    const char* name;
    char typeid_;
    std::int32_t type;
    std::int32_t group;
    const char* why;
  };
  constexpr row rows[] = {
      {0, "DeltaTerm", 'I', 0, 1, "first option, integer"},
      {27, "EpsA", 'D', 0, 1, "absolute gap, double"},
      {31, "SolPrefix", 'S', 1, 9, "text option of the link's own group"},
      {104, "lo", 'X', 2, 9, "a dot option is no value option"},
      {121, "secret", 'X', 2, 9, "the pass-through list"},
      {122, "ClockType", 'S', 1, 8, "last option"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(bo.getoptname(r.index), r.name);
    EXPECT_EQ(bo.opttypeid(r.index), r.typeid_);
    EXPECT_EQ(bo.gettype(r.index), r.type);
    EXPECT_EQ(bo.getgroup(r.index), r.group);
    EXPECT_FALSE(bo.getdefined(r.index));
  }
  EXPECT_EQ(bo.getopttext(27), "Absolute optimality gap");
  EXPECT_EQ(bo.getnumber(27), 1e-6);
  EXPECT_EQ(bo.getactual(122), "wall");
  EXPECT_EQ(log.text(), "");
}

TEST_F(OptbaronTest, NumbersAreRoundedHalfAwayFromZeroAndClampedTo32Bits) {
  const optbaron::toptconvert& bo = defined();
  struct row {
    double set;
    double got;
    const char* why;
  };
  constexpr row rows[] = {
      {2.5, 3, "half rounds up"},
      {-2.5, -3, "and away from zero below"},
      {2.4999, 2, "below the half"},
      {1e12, 2147483647, "too large: the largest 32-bit integer, not a wrapped value"},
      {-1e12, -2147483648.0, "too small: the smallest"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    bo.setnumber(38, r.set);  // NumLoc: an integer option without bounds
    EXPECT_EQ(bo.getnumber(38), r.got);
    EXPECT_TRUE(bo.getdefined(38));
  }
  bo.setnumber(27, 2.5);  // a double keeps its value
  EXPECT_EQ(bo.getnumber(27), 2.5);
}

TEST_F(OptbaronTest, WrongDataTypesReadAsNothingAndIgnoreSets) {
  const optbaron::toptconvert& bo = defined();
  bo.setnumber(116, 3);  // text option
  EXPECT_EQ(bo.getnumber(116), 0);
  EXPECT_FALSE(bo.getdefined(116));
  bo.setactual(27, "x");  // number option
  EXPECT_EQ(bo.getactual(27), "");
  EXPECT_FALSE(bo.getdefined(27));
  bo.setnumber2(27, 5);
  EXPECT_EQ(bo.getnumber2(27), 5);
  EXPECT_TRUE(bo.getdefined2(27));
  EXPECT_FALSE(bo.getdefined(27));
}

TEST_F(OptbaronTest, SetDefinedKeepsTheValueAndResetRestoresTheDefault) {
  const optbaron::toptconvert& bo = defined();
  bo.setdefined(27, true);  // undefined: the default becomes defined
  EXPECT_TRUE(bo.getdefined(27));
  EXPECT_EQ(bo.getnumber(27), 1e-6);
  bo.setnumber(27, 0.5);
  bo.setdefined(27, true);  // defined: untouched
  EXPECT_EQ(bo.getnumber(27), 0.5);
  bo.setdefined(27, false);
  EXPECT_FALSE(bo.getdefined(27));
  EXPECT_EQ(bo.getnumber(27), 1e-6);
  bo.setdefined(122, true);  // a text option
  EXPECT_TRUE(bo.getdefined(122));
  EXPECT_EQ(bo.getactual(122), "wall");
}

TEST_F(OptbaronTest, ControlValuesAreCopiedIntoTheirOptions) {
  gcdata::tmodel& m = gcdata::mymodel;
  m.ctlreal1 = 0.25;   // key 5: EpsA
  m.ctlreal0 = 0.125;  // key 6: EpsR
  m.ctlint77 = 7;      // key 4: MaxIter
  m.ctlint26 = 2;      // key 8: ObjReform
  m.ctlint100[0] = 3;  // key 10: NumLoc
  logcapture log;
  const optbaron::toptconvert& bo = defined();
  EXPECT_EQ(bo.optgetzolm(), 0);
  EXPECT_EQ(bo.getnumber(27), 0.25);
  EXPECT_EQ(bo.getnumber(28), 0.125);
  EXPECT_EQ(bo.getnumber(50), 7);
  EXPECT_EQ(bo.getnumber(95), 2);
  EXPECT_EQ(bo.getnumber(38), 3);
  EXPECT_FALSE(bo.getdefined(21));  // key 2 not defined (its flag is off)
  EXPECT_EQ(log.text(), "");
}

TEST_F(OptbaronTest, DefinitionFileProblemsAreLoggedAndCounted) {
  gcdata::mymodel.sysdir = q5rt::sstr::cut("/nonexistent/");
  logcapture log;
  optbaron::toptconvert& bo = optbaron::boinit();
  EXPECT_EQ(bo.optdefine(), 1);
  EXPECT_EQ(log.text().rfind("*** Cannot open definition file \"/nonexistent/optbaron.def\"", 0),
            0u)
      << log.text();
  EXPECT_EQ(bo.optreporterrors(), 0);  // cleared
}

TEST_F(OptbaronTest, OptionFileIsEchoedAndGivesDotRecords) {
  logcapture log;
  const std::string optfile = log.dir.file("baron.opt");
  testutil::write_file(optfile,
                       "EpsA 0.5\n"
                       "x.lo('i 1', *) 3\n"
                       "nosuch 1\n");
  gcdata::mymodel.optfile = q5rt::sstr::cut(optfile);
  const optbaron::toptconvert& bo = defined();
  EXPECT_EQ(bo.optreadoptions(), 0) << "no option file asked for";
  gcdata::mymodel.useoptfile = 1;
  EXPECT_EQ(bo.optreadoptions(), 4);
  EXPECT_EQ(log.text(),
            "--- Using Option File\n"
            "EpsA 0.5\n"
            "x.lo('i 1', *) 3\n"
            "nosuch 1\n"
            "*** " +
                optfile + " line 3: unknown option \"nosuch\"\n");
  EXPECT_EQ(bo.getnumber(27), 0.5);
  ASSERT_EQ(bo.optdotcount(), 1);
  optbaron::dotrecord rec;
  bo.optdotrecord(1, rec);
  EXPECT_EQ(rec.symbol, "x");
  EXPECT_EQ(rec.kind, optbaron::dotlo);
  EXPECT_EQ(rec.dimension, 2);
  EXPECT_EQ(rec.labels[0], "i 1");
  EXPECT_EQ(rec.labels[1], "*");
  EXPECT_EQ(rec.value, 3);
}

TEST_F(OptbaronTest, ConversionSetSharesTheImplementationWithItsOwnFile) {
  EXPECT_EQ(optconvert::co, nullptr);
  optconvert::cofini();  // nothing to free
  optconvert::toptconvert& co = optconvert::coinit();
  EXPECT_EQ(co.getactual(optconvert::ixheadertimestamp), "") << "nothing defined yet";
  logcapture log;
  EXPECT_EQ(co.optdefine(), 0);
  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(co.getoptname(optconvert::ixheadertimestamp), "HeaderTimeStamp");
  EXPECT_EQ(co.getactual(optconvert::ixheadertimestamp), "None");
  EXPECT_EQ(co.opttypeid(44), 'D');
  EXPECT_EQ(co.opttypeid(68), 'X');
  EXPECT_EQ(co.optgetzolm(), 0);
  optconvert::cofini();
  EXPECT_EQ(optconvert::co, nullptr);
  EXPECT_EQ(optconvert::convertoptions, nullptr);
}

TEST_F(OptbaronTest, NoOptionObjectHaltsWithFiveLines) {
  for (const char* unit : {"optbaron", "optconvert"}) {
    SCOPED_TRACE(unit);
    const std::string expect = std::string(
                                   "^\\*\\*\\*\n\\*\\*\\* Could not create option object: .+\n"
                                   "\\*\\*\\* We have to halt this program\n"
                                   "\\*\\*\\* Message originated in ") +
                               unit + "\n\\*\\*\\*\n$";
    EXPECT_EXIT(
        {
          ::setenv("ZLMOPT_FAIL_CREATE", "1", 1);
          ::dup2(2, 1);  // the lines go to standard output
          if (std::string(unit) == "optbaron")
            (void)optbaron::boinit();
          else
            (void)optconvert::coinit();
        },
        ::testing::ExitedWithCode(1), expect);
  }
}

}  // namespace
