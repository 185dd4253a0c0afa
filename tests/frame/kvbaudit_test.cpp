// The banner line: its fixed columns, cutting and padding, the field splitter, AUDIT checks.
#include "frame/kvbaudit.h"

#include <gtest/gtest.h>

#include <string>

#include "buildinfo.h"

namespace {

std::string without_trailing_blanks(std::string s) {
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

std::string banner_for(std::string_view name) {
  kvbaudit::tbuildinfo info;
  info.setsystemname(name);
  q5rt::sstr line;
  info.getauditline(line);
  return line.str();
}

TEST(KvbAudit, BuildInformationHasTheBannersForm) {
  EXPECT_EQ(buildinfo::platform_text, "x86 64bit/Linux");
  ASSERT_EQ(buildinfo::revision.size(), 8u);
  for (char c : buildinfo::revision)
    EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) << buildinfo::revision;
  EXPECT_EQ(buildinfo::release_major.size(), 2u);
  EXPECT_EQ(buildinfo::build_code.size(), 3u);
}

TEST(KvbAudit, ColumnsOfTheComposedLine) {
  const std::string line = banner_for("Zolm/BARON");
  ASSERT_EQ(line.size(), 78u);
  std::string date(buildinfo::release_date);
  date.resize(21, ' ');
  const std::string expected =
      std::string("Zolm/BARON      ") + " " + std::string(buildinfo::release_major) + "." +
      std::string(buildinfo::release_minor) + "." + std::string(buildinfo::release_maint) + " " +
      std::string(buildinfo::revision) + " " + date + " " + std::string(buildinfo::build_code) +
      " " + std::string(buildinfo::platform_text) + "    ";
  EXPECT_EQ(line, expected.substr(0, 78));
  EXPECT_EQ(line.substr(59), "x86 64bit/Linux    ");  // columns 60-78: platform's first 19
}

TEST(KvbAudit, SystemNameIsCutOrPaddedToSixteen) {
  struct row {
    const char* name;
    const char* head;  // columns 1-17
    const char* why;
  };
  constexpr row rows[] = {
      {"Zolm/BARON", "Zolm/BARON       ", "six blanks, then the separating blank"},
      {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOP ", "twenty characters cut to sixteen"},
      {"", "                 ", "an empty name still gives 78 characters"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const std::string line = banner_for(r.name);
    EXPECT_EQ(line.size(), 78u);
    EXPECT_EQ(line.substr(0, 17), r.head);
    EXPECT_EQ(line.substr(17, 6), std::string(buildinfo::release_major) + "." +
                                      std::string(buildinfo::release_minor) + "." +
                                      std::string(buildinfo::release_maint));
  }
}

TEST(KvbAudit, BannerIsEmptyUntilANameIsSet) {
  kvbaudit::tbuildinfo info;
  q5rt::sstr line = q5rt::sstr::cut("x");
  info.getauditline(line);
  EXPECT_TRUE(line.empty());
}

TEST(KvbAudit, ReleaseTextsForTheConfigurationFilter) {
  kvbaudit::tbuildinfo info;
  q5rt::sstr rel, gold;
  info.getrel(rel);
  info.getgold(gold);
  EXPECT_EQ(rel.str(),
            std::string(buildinfo::release_major) + "." + std::string(buildinfo::release_minor));
  EXPECT_EQ(gold.view(), buildinfo::release_maint);
}

TEST(KvbAudit, SetAuditLineDropsSixFramingCharactersEachEnd) {
  kvbaudit::tbuildinfo info;
  info.setauditline("<<<<<<Some name         rest of line>>>>>>");
  q5rt::sstr line;
  info.getauditline(line);
  EXPECT_EQ(line.view(), std::string("Some name         rest of line") + std::string(48, ' '));
  info.setauditline("short");
  info.getauditline(line);
  EXPECT_EQ(line.view(), std::string(78, ' '));
  // The library form on the process-wide object: a long text is cut to 78.
  kvbaudit::kvbsetauditlinelib("######" + std::string(100, 'L') + "######");
  kvbaudit::kvbgetauditline(line);
  EXPECT_EQ(line.view(), std::string(78, 'L'));
  kvbaudit::kvbsetsystemname("Zolm/BARON");
}

TEST(KvbAudit, FieldsSplitAtFixedColumns) {
  const std::string line = banner_for("Zolm/BARON");
  q5rt::sstr name, release, rest;
  kvbaudit::kvbauditfields(line, name, release, rest);
  EXPECT_EQ(name.view(), "Zolm/BARON");
  // release text, a blank and the revision's first five characters
  EXPECT_EQ(release.str(),
            line.substr(17, 6) + " " + std::string(buildinfo::revision.substr(0, 5)));
  // from the revision's seventh character on
  EXPECT_EQ(rest.str(), without_trailing_blanks(line.substr(30)));
  kvbaudit::kvbauditfields("short", name, release, rest);
  EXPECT_EQ(name.view(), "short");
  EXPECT_TRUE(release.empty());
  EXPECT_TRUE(rest.empty());
}

TEST(KvbAudit, ProcessWideProcedures) {
  kvbaudit::kvbsetsystemname("Zolm/BARON");
  q5rt::sstr line, shortline, rev;
  kvbaudit::kvbgetauditline(line);
  EXPECT_EQ(line.str(), banner_for("Zolm/BARON"));
  kvbaudit::kvbgetshortauditline(shortline);
  EXPECT_EQ(shortline.str(), "Zolm/BARON " + without_trailing_blanks(line.str().substr(30)));
  kvbaudit::kvbgetrevision(rev);
  EXPECT_EQ(rev.view(), buildinfo::revision);
  EXPECT_FALSE(kvbaudit::kvbauditrun());  // the test program has no "AUDIT" argument
}

TEST(KvbAudit, AuditArgument) {
  struct row {
    const char* arg;
    bool audit;
    const char* why;
  };
  constexpr row rows[] = {
      {"AUDIT", true, "capitals"},
      {"audit", true, "lower case"},
      {"AuDiT", true, "mixed case"},
      {"AUDIT ", false, "a trailing blank makes it a file name"},
      {"AUDIT1", false, "six characters"},
      {"AUDI", false, "four characters"},
      {"", false, "empty"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(kvbaudit::isauditarg(r.arg), r.audit);
  }
}

}  // namespace
