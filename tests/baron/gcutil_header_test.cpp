#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "baron/gcutil.h"
#include "baron/liutil.h"
#include "emp/empdata.h"
#include "instance/gcdata.h"
#include "support/baronmodel.h"
#include "support/testutil.h"

namespace {

using GcutilHeader = testutil::baronmodel;

// A model with 3 rows (2 =E=, 1 =L=) and 4 columns (3 continuous, 1 binary).
void smallmodel() {
  auto& m = gcdata::mymodel;
  m.modeltype = 4;  // NLP
  m.rows = 3;
  m.cols = 4;
  m.equcount = {2, 0, 1, 0, 0, 0, 0};
  m.colcount = {3, 1, 0, 0, 0, 0, 0};
  m.fixedcols = 1;
  m.fixcount = {1, 0, 0, 0, 0, 0, 0};
  m.nonzeros = 9;
  m.nlnonzeros = 3;
  m.extnonzeros = 0;
  m.stamp1.assign_cut("12/10/26");
  m.stamp2.assign_cut("19:30:00");
}

std::string header(std::string_view stamp) {
  testutil::tempdir dir;
  q5rt::textfile f;
  f.assign(dir.file("h.txt"));
  f.rewrite();
  gcutil::gcheader(f, "//  ", stamp);
  f.close();
  return testutil::read_file(dir.file("h.txt"));
}

const std::string counts =
    "//  \n"
    "//  Equation counts\n"
    "//      Total        E        G        L        N        X        C        B\n"
    "//          3        2        0        1        0        0        0        0\n"
    "//  \n"
    "//  Variable counts\n"
    "//                   x        b        i      s1s      s2s       sc       si\n"
    "//      Total     cont   binary  integer     sos1     sos2    scont     sint\n"
    "//          4        3        1        0        0        0        0        0\n"
    "//  FX      1        1        0        0        0        0        0        0\n"
    "//  \n"
    "//  Nonzero counts\n"
    "//      Total    const       NL      DLL\n"
    "//          9        6        3        0\n";

TEST_F(GcutilHeader, CountTablesAndTimeStamps) {
  smallmodel();
  struct row {
    const char* stamp;
    std::string first;
    const char* why;
  };
  const row rows[] = {
      {"", "//  NLP written by Zolm Convert\n", "the link: no option, no stamp"},
      {"none", "//  NLP written by Zolm Convert\n", "none"},
      {"DEFAULT", "//  NLP written by Zolm Convert at 12/10/26 19:30:00\n", "default, any case"},
      {"svnid", "//  NLP written by Zolm Convert\n//  $Id$\n", "svnId"},
      {"other", "//  NLP written by Zolm Convert\n//  $LastChangedDate$\n", "anything else"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(header(r.stamp), r.first + counts);
  }
}

TEST_F(GcutilHeader, ExternalRowsAndScalingAddLines) {
  smallmodel();
  auto& m = gcdata::mymodel;
  m.equcount[4] = 1;
  m.extlibname.assign_cut("libextfun.so");
  m.scaleopt = 1;
  m.nonzeros = 123456789;
  m.extnonzeros = 2;
  const std::string h = header("");
  EXPECT_NE(h.find("//  123456789123456784        3        2\n"), std::string::npos) << h;
  EXPECT_NE(h.find("        2\n//  \n//  =X= DLL name: libextfun.so\n//  \n"
                   "//  Warning: This is a scaled version of the original model\n"
                   "//  =======================================================\n"),
            std::string::npos)
      << h;
}

TEST_F(GcutilHeader, ScratchNamesAndAnchors) {
  auto& m = gcdata::mymodel;
  m.scrdir.assign_cut("/tmp/scr/");
  m.scrext.assign_cut("dat");
  EXPECT_EQ(gcutil::scratchname("  bavemap ").view(), "/tmp/scr/bavemap.dat");
  EXPECT_EQ(gcutil::addanchor("m.bar").view(), "");
  m.anchors = 1;
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(gcutil::addanchor("m.bar").view(), " [FIL:\"" + std::string(cwd) + "/m.bar\",1,1]");
  EXPECT_EQ(gcutil::addanchor("/abs/m.bar").view(), " [FIL:\"/abs/m.bar\",1,1]")
      << "an absolute Unix path gets no current directory in front";
  EXPECT_EQ(gcutil::addanchor("ab:m.bar").view(), " [FIL:\"ab:m.bar\",1,1]") << "a colon third";
}

TEST_F(GcutilHeader, Open4writeAnnouncesOrReports) {
  testutil::tempdir dir;
  auto& m = gcdata::mymodel;
  m.logoption = 2;
  m.logfile.assign_cut(dir.file("run.log"));
  m.statfile.assign_cut(dir.file("run.sta"));
  gcdata::gcopenlog();
  gcdata::gcopenstat();
  q5rt::textfile f;
  EXPECT_EQ(gcutil::open4write(f, dir.file("m.bar"), "Model"), 0);
  f.close();
  EXPECT_EQ(gcutil::open4write(f, dir.file("quiet.bar"), ""), 0);
  f.close();
  const std::string bad = dir.file("no/such/x.bar");
  EXPECT_EQ(gcutil::open4write(f, bad, "Model"), 2);
  gcdata::gcclosestat();
  gcdata::gccloselog();
  const std::string log = testutil::read_file(dir.file("run.log"));
  EXPECT_NE(log.find("--- Writing Model     : " + dir.file("m.bar") + "\n"), std::string::npos)
      << log;
  EXPECT_EQ(log.find("quiet.bar"), std::string::npos) << log;
  EXPECT_NE(log.find("*** Could not write Model \"" + bad + "\"\n*** RC=2 " +
                     q5rt::syserrortext(2).str() + "\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(gcdata::filelist.back().view(), dir.file("m.bar"));
}

TEST_F(GcutilHeader, RowAndColumnNames) {
  auto& m = gcdata::mymodel;
  m.cols = 14;
  m.coltype = {0, 1, 2, 3, 3, 4, 5, 6, 0, 0, 0, 0, 0, 0};
  m.colsosset = {2, 0, 0, 2, 2, 7, 0, 0, 0, 1, 2, 0, 0, 0};
  m.objvar = 13;
  struct row {
    q5rt::sstr name;
    const char* want;
    const char* why;
  };
  const row rows[] = {
      {gcutil::cname(12), "x12", "continuous"},
      {gcutil::cname(2), "b2", "binary"},
      {gcutil::cname(3), "i3", "integer"},
      {gcutil::cname(5), "s1s2('5')", "SOS1 with its set"},
      {gcutil::cname(6), "s2s7('6')", "SOS2"},
      {gcutil::cname(7), "sc7", "semicontinuous"},
      {gcutil::cname(8), "si8", "semi-integer"},
      {gcutil::cname(13), "x13", "objective variable without a name"},
      {gcutil::decname(5), "s1s2(s2)", "SOS declaration"},
      {gcutil::dotname(5, ".l"), "s1s2.l('5')", "SOS attribute"},
      {gcutil::dotname(9, ".l"), "x9.l", "attribute"},
      {gcutil::dename(9, true), "zero_x9", "zero_"},
      {gcutil::dename(9, false), "dL_dx9", "dL_d"},
      {gcutil::rname(7), "e7", "row"},
      {gcutil::dcname(4), "u4", "dual column"},
      {gcutil::slname(3), "w3", "slack"},
      {gcutil::pename(3), "p3", ""},
      {gcutil::cnscname(3), "y3", ""},
      {gcutil::cnsename(3), "g3", ""},
      {gcutil::disename(3), "DefD3", ""},
      {gcutil::logvname(4, 2), "B_e4_2", ""},
      {gcutil::logename(4, 2, 3), "Log_e4_2_3", ""},
      {gcutil::disequname(1, 2, -7), "e7_1_2_NOT", "negated row"},
      {gcutil::disequname(1, 2, 7), "e7_1_2", ""},
      {gcutil::disslname(1, 2, 3), "S1_2_3", ""},
      {gcutil::diswname(1, 2, 3), "Watchdog1_2_3", ""},
      {gcutil::impladjvname(1, 2, 3), "IMPL1_a2_x3", ""},
      {gcutil::impladjename(1, 2, 3), "IMPL1_a2_e3", ""},
      {gcutil::implvname(9, 2), "dx9_db2", ""},
      {gcutil::implename(4, 9), "IMPL_de4_dx9", ""},
      {gcutil::hullname(3, 1, 2), "V3_1_2", ""},
      {gcutil::strleftjust("abc", 5), "abc  ", "filled"},
      {gcutil::strleftjust("abc", 2), "ab", "cut"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(r.name.view(), r.want);
  }
  gcutil::objvardefset("objv");
  EXPECT_EQ(gcutil::cname(13).view(), "objv");
  EXPECT_EQ(gcutil::dename(13, true).view(), "zero_objv");
  gcutil::objvardefset("");
}

TEST_F(GcutilHeader, EmpFollowerSuffixOnlyWithTheRecordInForce) {
  auto& m = gcdata::mymodel;
  m.cols = 3;
  m.coltype = {0, 0, 0};
  m.colsosset = {0, 0, 0};
  gcutil::setfollowerid(2);
  EXPECT_EQ(gcutil::cname(1).view(), "x1") << "record all zero: no suffix";
  EXPECT_EQ(gcutil::rname(1).view(), "e1");
  std::int32_t agentofcol[] = {0, 2, 1, 2};
  std::int32_t agentofrow[] = {0, 2};
  std::int32_t qviorig[] = {0, 0, 0, 1};
  auto& e = empdata::myemp;
  e.isequilibrium = 1;
  e.numcols = 3;
  e.numrows = 1;
  e.agentofcol = agentofcol;
  e.agentofrow = agentofrow;
  e.qviorigofpar = qviorig;
  e.numqvipar = 1;
  EXPECT_EQ(gcutil::cname(1).view(), "x1_2");
  EXPECT_EQ(gcutil::cname(2).view(), "x2") << "another follower's column";
  EXPECT_EQ(gcutil::cname(3).view(), "x1_2") << "a QVI parameter column is written as its original";
  EXPECT_EQ(gcutil::rname(1).view(), "e1_2");
  gcutil::setfollowerid(0);
  empdata::clearrecord();
}

TEST_F(GcutilHeader, DeclarationLists) {
  auto& m = gcdata::mymodel;
  m.cols = 8;
  m.coltype = {0, 1, 3, 3, 3, 1, 0, 0};
  m.colsosset = {2, 0, 1, 1, 4, 0, 0, 2};
  testutil::tempdir dir;
  q5rt::textfile f;
  f.assign(dir.file("d.txt"));
  f.rewrite();
  liutil::liset(f, 79, 3);
  gcutil::vardecla(1);
  gcutil::vardecla(3);
  gcutil::vardecla(2);  // no integer columns: nothing
  gcutil::contdecla(2);
  gcutil::contdecla(0);
  gcutil::vardecla(9);
  gcutil::contdecla(-1);
  liutil::liend();
  f.close();
  EXPECT_EQ(testutil::read_file(dir.file("d.txt")),
            "\nBinary Variables  b2,b6;\n"
            "\nSOS1 Variables  s1s1(s1),s1s4(s4);\n"
            "\nPositive Variables  x1,x8;\n"
            "\nFree Variables  x7;\n"
            "$error Unknown typ in VarDecla = 9\n"
            "$error Unknown typ in ContDecla = -1\n");
}

}  // namespace
