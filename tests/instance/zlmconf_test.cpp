#include "instance/zlmconf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/q5text.h"
#include "frame/zlmstrm.h"
#include "support/testutil.h"

namespace {

// The fifteen model-type lines with default and chosen solver 1.
std::string typelines(int count = 15) {
  static const char* names[] = {"LP",    "MIP",    "RMIP", "NLP",    "MCP",   "MPEC",
                                "RMPEC", "CNS",    "DNLP", "RMINLP", "MINLP", "QCP",
                                "MIQCP", "RMIQCP", "EMP",  "EXTRA"};
  std::string s;
  for (int t = 0; t < count; ++t) s += std::string(names[t]) + " 1 1\n";
  return s;
}

struct table {
  q5rt::sstr msg;
  zlmconf::tzlmconf conf{msg};
};

// Reads a solver section; the reader's position after it is returned in rest.
void readsection(zlmconf::tzlmconf& conf, const std::string& text, std::string* rest = nullptr) {
  zlmconf::textreader in(text);
  EXPECT_EQ(conf.scrdcontrol(in), 0);
  if (rest != nullptr) *rest = in.readln_string().str();
}

std::vector<std::string> drain(zlmconf::tzlmconf& conf) {
  std::vector<std::string> out;
  while (conf.scnummsg() > 0) out.push_back(conf.scgetmsg().str());
  return out;
}

TEST(ZlmconfSection, TokensOfALine) {
  struct row {
    std::string_view line;
    std::string_view token;
    std::string_view rest;
    const char* why;
  };
  constexpr row rows[] = {
      {"abc def  ghi ", "abc", "def  ghi", "the rest is trimmed"},
      {"single", "single", "", "a line without a blank is one token"},
      {" lead", "", "lead", "a leading blank gives an empty token"},
      {"a \t\x01", "a", "", "control characters count as blanks when trimming"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    std::string_view rest = r.line;
    EXPECT_EQ(zlmconf::nexttoken(rest), r.token);
    EXPECT_EQ(rest, r.rest);
  }
}

TEST(ZlmconfSection, ReadsSolversAndTheirLines) {
  table t;
  readsection(t.conf,
              "15 3 2\n" + typelines() +
                  "Abc 1 2 0 1 0 1 0 0 0 0 0 0 0 0 0 0 0 0\nabcscript\n"
                  "Def 3 4 1 0 1 0 0 0 0 0 0 0 0 0 0 0 0 1\ndefscript optdef.txt  \ndefexe --x\n"
                  "Ghi 0 0 2 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\ng\ngexe\nlibghi.so GH 1 1\n");
  auto& c = t.conf;
  ASSERT_EQ(c.getnumalgs(), 3);
  EXPECT_EQ(c.currentsolver, 2);
  EXPECT_EQ(c.scalgnumber("DEF"), 2);
  EXPECT_EQ(c.scalgnumber("xyz"), 0);
  EXPECT_TRUE(c.sccapability(1, 1));
  EXPECT_TRUE(c.sccapability(1, 3));
  EXPECT_FALSE(c.sccapability(1, 2));
  EXPECT_TRUE(c.sccapability(2, 15));
  EXPECT_EQ(c.scgetfiletype(2), 3);
  EXPECT_EQ(c.scgetdicttype(2), 4);
  EXPECT_EQ(c.scgetloadtype(3), 2);
  EXPECT_EQ(c.scgetattach(2).view(), "defscript");
  EXPECT_EQ(c.scgetdeffile(2).view(), "optdef.txt");
  EXPECT_EQ(c.scgetdeffile(1).view(), "optabc.def") << "the default definition file name";
  EXPECT_EQ(c.scgetattach2(2).view(), "defexe --x");
  EXPECT_EQ(c.scgetattach3(3).view(), "libghi.so GH 1 1");
  EXPECT_EQ(c.scgetattach2(1).view(), "");
  EXPECT_EQ(c.scnummsg(), 0);
}

TEST(ZlmconfSection, CountsAndNumbersOutOfRange) {
  {
    SCOPED_TRACE("sixteen model-type lines: the sixteenth is the first solver's line");
    table t;
    readsection(t.conf, "16 1 0\n" + typelines(16) + "s\n");
    ASSERT_EQ(t.conf.getnumalgs(), 1);
    EXPECT_EQ(t.conf.scalgname(1).view(), "EXTRA");
    EXPECT_EQ(t.conf.scgetfiletype(1), 1);
  }
  {
    SCOPED_TRACE("a wrong name still sets its position; bad solver numbers keep the old ones");
    table t;
    t.conf.defaultsolver[2] = 9;
    t.conf.chosensolver[3] = 8;
    t.conf.defaultsolver[5] = 7;
    t.conf.chosensolver[1] = 6;
    readsection(t.conf, "3 1 0\nLP 1 -1\nMXP 2 0\nRMIP -1 1\nonly 0 0\nx\n");
    EXPECT_EQ(t.conf.defaultsolver[1], 1);
    EXPECT_EQ(t.conf.chosensolver[1], 6) << "a negative chosen solver is refused";
    EXPECT_EQ(t.conf.defaultsolver[2], 9);
    EXPECT_EQ(t.conf.chosensolver[2], 0);
    EXPECT_EQ(t.conf.defaultsolver[3], 0) << "a negative default is refused";
    EXPECT_EQ(t.conf.chosensolver[3], 1);
    EXPECT_EQ(t.conf.defaultsolver[5], 0) << "types past the section are cleared";
    EXPECT_EQ(drain(t.conf),
              (std::vector<std::string>{"SolveReadControl: incorrect algchosen",
                                        "SolveReadControl: system procnames MIP <> MXP",
                                        "SolveReadControl: incorrect algdefault",
                                        "SolveReadControl: incorrect algdefault"}));
  }
  {
    SCOPED_TRACE("negative counts read as none");
    table t;
    std::string rest;
    readsection(t.conf, "-4 -2 0\nnext\n", &rest);
    EXPECT_EQ(t.conf.getnumalgs(), 0);
    EXPECT_EQ(rest, "next");
  }
  {
    SCOPED_TRACE("a huge solver count in a short file stops at the end");
    table t;
    readsection(t.conf, "0 2000000000 0\na 0 0 0\nb\n");
    EXPECT_EQ(t.conf.getnumalgs(), 1);
  }
}

TEST(ZlmconfSection, AtMostTwoExtraLines) {
  table t;
  std::string rest;
  readsection(t.conf, "0 1 0\nabc 0 0 3\nscript\nexe\nlib\nthird\n", &rest);
  EXPECT_EQ(t.conf.scgetattach3(1).view(), "lib");
  EXPECT_EQ(rest, "third");
}

TEST(ZlmconfSection, WriteAndReadBack) {
  testutil::tempdir dir;
  table t;
  readsection(t.conf,
              "15 2 1\n" + typelines() +
                  "Abc 1 2 2 1 0 1 0 0 0 0 0 0 0 0 0 0 0 1\nabcscript optabc.x\nabcexe\nlibabc\n"
                  "Def 3 4 -1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n\n");
  q5rt::textfile out;
  out.assign(dir.file("s.txt"));
  out.rewrite();
  ASSERT_EQ(out.ioresult(), 0);
  EXPECT_EQ(t.conf.scwrcontrol(out), 0);
  out.close();
  const std::string bytes = testutil::read_file(dir.file("s.txt"));
  EXPECT_EQ(bytes.substr(0, 39), "15 2 1\nLP          1 1\nMIP         1 1\n");
  EXPECT_NE(bytes.find("\nRMIQCP      1 1\n"), std::string::npos);
  EXPECT_NE(
      bytes.find("\nAbc         1 2 1 1 0 1 0 0 0 0 0 0 0 0 0 0 0 1\nabcscript optabc.x\nabcexe\n"
                 "Def         3 4 -1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n\n"),
      std::string::npos);
  EXPECT_EQ(bytes.find("libabc"), std::string::npos) << "the library line is not written";

  table back;
  readsection(back.conf, bytes);
  ASSERT_EQ(back.conf.getnumalgs(), 2);
  EXPECT_EQ(back.conf.scgetloadtype(1), 1);
  EXPECT_EQ(back.conf.scgetattach2(1).view(), "abcexe");
  EXPECT_EQ(back.conf.scgetattach3(1).view(), "") << "lost in writing";
  EXPECT_EQ(back.conf.scgetloadtype(2), -1);
  EXPECT_EQ(back.conf.scgetattach(2).view(), "") << "a negative count writes no extra line";
  EXPECT_TRUE(back.conf.sccapability(1, 15));
  EXPECT_EQ(back.conf.currentsolver, 1);
}

TEST(ZlmconfMessages, QueueStopsAtAThousand) {
  table t;
  for (int i = 0; i < 1005; ++i) (void)t.conf.scsetmsg("m" + std::to_string(i));
  EXPECT_EQ(t.conf.scnummsg(), 1001);
  const std::vector<std::string> all = drain(t.conf);
  EXPECT_EQ(all.front(), "m0");
  EXPECT_EQ(all[999], "m999");
  EXPECT_EQ(all[1000], "Additional messages not stored");
  EXPECT_EQ(t.conf.scgetmsg().view(), "No messages pending");
}

TEST(ZlmconfAccessors, NeutralAnswersOutsideTheRange) {
  table t;
  readsection(t.conf, "2 1 0\nLP 1 0\nMIP 1 1\nAbc 5 6 1 1 1\ns\ne\n");
  auto& c = t.conf;
  EXPECT_EQ(c.scalgname(0).view(), "UnknownSolver");
  EXPECT_EQ(c.scalgname(2).view(), "UnknownSolver");
  EXPECT_FALSE(c.sccapability(0, 1));
  EXPECT_FALSE(c.sccapability(1, 16));
  EXPECT_EQ(c.scgetdicttype(2), -1);
  EXPECT_EQ(c.scgetloadtype(-1), -1);
  EXPECT_EQ(c.cfgdefaultalg(16), -1);
  EXPECT_EQ(c.cfgdefaultalg(1), 1);
  EXPECT_EQ(c.scgetdefault(-1), 0);
  EXPECT_EQ(c.scgetfiletype(0), 0) << "the default record";
  // The assertion texts open the message (the source place follows).
  const auto stops = [](const auto& call, std::string_view text) {
    try {
      call();
    } catch (const q5rt::assertion_error& e) {
      return e.message().view().starts_with(text);
    }
    return false;
  };
  EXPECT_TRUE(stops([&] { (void)c.scgetfiletype(2); }, "TAlgList.GetRec"));
  EXPECT_TRUE(stops([&] { (void)c.scgetattach(-1); }, "TAlgList.GetRec"));
  EXPECT_TRUE(stops([&] { c.scsetalgchosen(1, 2); }, "tzlmconf.SCsetAlgchosen"));
  EXPECT_TRUE(stops([&] { c.solvers.setrec(2, c.solvers.getnewrec()); }, "TAlgList.SetRec"));
  EXPECT_EQ(c.cfgmodeltypename(16).view(), "no such model type");
  EXPECT_EQ(c.cfgmodeltypenumber("none"), 0);
  EXPECT_EQ(c.cfgmodeltypenumber("rmiqcp"), 14);
  q5rt::sstr file;
  EXPECT_TRUE(c.cfgdeffilename("ABC", file));
  EXPECT_EQ(file.view(), "optabc.def");
  EXPECT_FALSE(c.cfgdeffilename("x", file));
  EXPECT_EQ(file.view(), "");
  EXPECT_EQ(c.setcurrentalg(2), 1) << "the chosen solver";
  c.chosensolver[1] = 0;
  EXPECT_EQ(c.setcurrentalg(1), 1) << "the default when none is chosen";
  c.scsetcurrentalg(5);
  EXPECT_EQ(c.currentsolver, 0);
  c.scsetalghidden("abc", true);
  c.scsetalgdefaultok("nobody", true);
  EXPECT_TRUE(c.scgethidden(1));
  EXPECT_FALSE(c.scgetdefaultok(1));
  c.scsetalgattachtxt3("Abc", "lib x");
  EXPECT_EQ(c.scgetattach3(1).view(), "lib x");
  EXPECT_EQ(zlmconf::tzlmconf::gettxtormissing("").view(), "..Missing");
}

TEST(ZlmconfMessages, Summary) {
  table t;
  readsection(t.conf, "2 2 0\nLP 1 2\nMIP 0 0\nAbc 0 0 0 1 1\ns\nLongername 0 0 0 1 0\ns\n");
  t.conf.scdump();
  std::vector<std::string> expected = {
      "SUBSYSTEM SUMMARY",
      "",
      "  N Name        Capability",
      "  1 Abc         LP MIP",
      "  2 Longername  LP",
      "",
      "",
      "Subsystem Assignment",
      "",
      "Type       Default    Current",
      "LP" + std::string(10, ' ') + "Abc" + std::string(9, ' ') + "Longername ",
  };
  for (int type = 2; type <= 15; ++type) {
    static const char* names[] = {"",     "",      "MIP",    "RMIP", "NLP",    "MCP",
                                  "MPEC", "RMPEC", "CNS",    "DNLP", "RMINLP", "MINLP",
                                  "QCP",  "MIQCP", "RMIQCP", "EMP"};
    std::string line = names[type];
    line.resize(11, ' ');
    expected.push_back(line + " *");
  }
  expected.push_back("");
  expected.push_back("* No subsystem available to solve this model type");
  EXPECT_EQ(drain(t.conf), expected);
}

TEST(ZlmconfWork, TextRecordsReadBack) {
  testutil::tempdir dir;
  table t;
  readsection(t.conf, "3 2 0\nLP 1 2\nMIP 2 1\nRMIP 0 2\nAbc 0 0 0\ns\nDef 0 0 0\ns\n");
  q5rt::textfile out;
  out.assign(dir.file("w.txt"));
  out.rewrite();
  t.conf.scwritework(out);
  out.close();
  const std::string bytes = testutil::read_file(dir.file("w.txt"));
  EXPECT_EQ(bytes, "2 0 0\n2\n1\n2\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\nAbc\nDef\n");
  table back;
  zlmconf::textreader in(bytes);
  back.conf.screadwork(in);
  EXPECT_EQ(back.conf.chosensolver, t.conf.chosensolver);
  EXPECT_EQ(back.conf.scalgname(2).view(), "Def");
  // Fewer than fifteen numbers: the first other line is the first name.
  table shortwork;
  zlmconf::textreader in2("2 0 0\n1\n 2 \n  Xyz  \nUvw\n");
  shortwork.conf.screadwork(in2);
  EXPECT_EQ(shortwork.conf.chosensolver[2], 2);
  EXPECT_EQ(shortwork.conf.scalgname(1).view(), "Xyz");
  EXPECT_EQ(shortwork.conf.scalgname(2).view(), "Uvw");
}

TEST(ZlmconfWork, BinaryRecordsReadBack) {
  testutil::tempdir dir;
  table t;
  readsection(t.conf, "15 2 0\n" + typelines() + "Abc 0 0 0\ns\nDef 0 0 0\ns\n");
  t.conf.chosensolver[15] = 2;
  {
    zlmstrm::txfilestream out(dir.file("w.bin"), zlmstrm::mode_write);
    t.conf.scwriteworkex(out);
  }
  EXPECT_EQ(testutil::read_file(dir.file("w.bin")).size(), 4U + 15 * 4 + 4 + 4);
  struct row {
    std::int32_t version;
    std::int32_t chosen14;
    std::int32_t chosen15;
    const char* why;
  };
  constexpr row rows[] = {
      {230, 1, 2, "fifteen chosen solvers"},
      {229, 1, 0, "older streams hold fourteen: the fifteenth number starts the names"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    table back;
    zlmstrm::txfilestream in(dir.file("w.bin"), zlmstrm::mode_read);
    back.conf.screadworkex(in, r.version);
    EXPECT_EQ(back.conf.chosensolver[14], r.chosen14);
    EXPECT_EQ(back.conf.chosensolver[15], r.chosen15);
    EXPECT_EQ(back.conf.getnumalgs(), 2);
    if (r.version == 230) {
      EXPECT_EQ(back.conf.scalgname(2).view(), "Def");
    }
  }
}

TEST(ZlmconfTextreader, NumbersStringsAndLineEnds) {
  zlmconf::textreader in(" 12\r\n\t-3.5e1 rest\r\nline two\r\n$1F");
  EXPECT_EQ(in.read_integer(), 12);
  EXPECT_EQ(in.read_real(), -35.0);
  EXPECT_EQ(in.line(), 2);
  EXPECT_EQ(in.readln_string().view(), " rest");
  EXPECT_EQ(in.readln_string().view(), "line two");
  EXPECT_EQ(in.read_integer(), 31);
  EXPECT_TRUE(in.eof());
  EXPECT_EQ(in.readln_string().view(), "");
  try {
    (void)in.read_integer();
    FAIL() << "no number at the end";
  } catch (const q5rt::io_error& e) {
    EXPECT_EQ(e.code(), 100);
    EXPECT_EQ(e.message().view(), "Read past end of file in line 4");
  }
  const std::string bigtoken(300, '1');
  zlmconf::textreader big(bigtoken);
  EXPECT_THROW((void)big.read_real(), q5rt::io_error) << "a token over 255 characters";
  const std::string twolines = std::string(300, 'a') + "\nb";
  zlmconf::textreader longline(twolines);
  EXPECT_EQ(longline.readln_string().size(), 255U);
  EXPECT_EQ(longline.readln_string().view(), "b");
}

}  // namespace
