#include "frame/strutilx.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using q5rt::sstr;
using namespace std::string_view_literals;

int sign(int v) { return (v > 0) - (v < 0); }

// ---- heap strings ----

TEST(StrutilxHeapTest, EmptyTextIsNoBlock) {
  strutilx::pstring p = strutilx::newstring("");
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(strutilx::getstring(nullptr), "");
  strutilx::disposestring(nullptr);  // allowed
}

TEST(StrutilxHeapTest, KeepsTextCutAt255) {
  struct row {
    std::size_t len;
    std::size_t stored;
    const char* why;
  };
  constexpr row rows[] = {
      {1, 1, "one character"},
      {254, 254, "one below the capacity"},
      {255, 255, "exactly the capacity"},
      {256, 255, "one above is cut"},
      {300, 255, "far above is cut"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    std::string text(r.len, 'x');
    text[0] = 'a';
    strutilx::pstring p = strutilx::newstring(text);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(strutilx::getstring(p).view(), std::string_view(text).substr(0, r.stored));
    EXPECT_EQ(strutilx::getview(p).size(), r.stored);
    strutilx::disposestring(p);
  }
}

TEST(StrutilxHeapTest, CountedFormsKeepTheByteTotal) {
  std::int64_t counter = 0;
  strutilx::pstring p = strutilx::newstringm("abc", counter);
  EXPECT_EQ(counter, 4);
  strutilx::pstring q = strutilx::newstringm("", counter);
  EXPECT_EQ(q, nullptr);
  EXPECT_EQ(counter, 4) << "no block, no bytes";
  strutilx::strassignm(p, "hello", counter);
  EXPECT_EQ(strutilx::getstring(p), "hello");
  EXPECT_EQ(counter, 6);
  strutilx::strassignm(p, "", counter);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(counter, 0);
  strutilx::disposestringm(nullptr, counter);
  EXPECT_EQ(counter, 0);
}

TEST(StrutilxHeapTest, AssignReplacesTheBlock) {
  strutilx::pstring p = nullptr;
  strutilx::strassign(p, "first");
  strutilx::strassign(p, "second");
  EXPECT_EQ(strutilx::getstring(p), "second");
  strutilx::strassign(p, "");
  EXPECT_EQ(p, nullptr);
}

// ---- comparison ----

TEST(StrutilxCompareTest, ShortStrings) {
  struct row {
    std::string_view a, b;
    int cmp, ucmp;  // exact values
    const char* why;
  };
  constexpr row rows[] = {
      {"abc", "abc", 0, 0, "equal"},
      {"abc", "ab", 1, 1, "longer sorts after by the length difference"},
      {"", "ab", -2, -2, "empty before any text"},
      {"ABC", "abd", 'A' - 'a', 'C' - 'D', "case counts only in strcmp"},
      {"abc", "ABC", 'a' - 'A', 0, "case-insensitive equal"},
      {"a\xE9", "a\xC9", 0xE9 - 0xC9, 0xE9 - 0xC9, "bytes above 127 are unsigned and not folded"},
      {"[", "a", '[' - 'a', '[' - 'A', "upper-casing moves 'a' below '['"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(strutilx::strcmp(r.a, r.b), r.cmp);
    EXPECT_EQ(strutilx::strucmp(r.a, r.b), r.ucmp);
    EXPECT_EQ(strutilx::strequal(r.a, r.b), r.cmp == 0);
    EXPECT_EQ(strutilx::struequal(r.a, r.b), r.ucmp == 0);
  }
}

TEST(StrutilxCompareTest, HeapStringsNilFirst) {
  strutilx::pstring abc = strutilx::newstring("abc");
  strutilx::pstring upper = strutilx::newstring("ABC");
  EXPECT_EQ(strutilx::pstrcmp(nullptr, nullptr), 0);
  EXPECT_EQ(strutilx::pstrucmp(nullptr, abc), -1);
  EXPECT_EQ(strutilx::pstrucmp(abc, nullptr), 1);
  EXPECT_GT(strutilx::pstrcmp(abc, upper), 0);
  EXPECT_EQ(strutilx::pstrucmp(abc, upper), 0);
  EXPECT_TRUE(strutilx::pstrequal(nullptr, nullptr));
  EXPECT_FALSE(strutilx::pstrequal(abc, nullptr));
  EXPECT_FALSE(strutilx::pstruequal(nullptr, abc));
  EXPECT_FALSE(strutilx::pstrequal(abc, upper));
  EXPECT_TRUE(strutilx::pstruequal(abc, upper));
  strutilx::disposestring(abc);
  strutilx::disposestring(upper);
}

TEST(StrutilxCompareTest, TrailingNumbers) {
  struct row {
    std::string_view a, b;
    int expected_sign;
    const char* why;
  };
  constexpr row rows[] = {
      {"item9", "item10", -1, "numbers compare by value"},
      {"x2", "x10", -1, "shorter number first"},
      {"x02", "x2", 1, "leading zero makes the number larger"},
      {"x", "x1", -1, "a blank sorts before a digit"},
      {"ITEM10", "item10", 0, "stems compare without case"},
      {"abc1", "ab1", 1, "stem lengths decide"},
      {"b1", "a9", 1, "stems decide before numbers"},
      {"12", "9", 1, "digits only: empty stems"},
      {"", "", 0, "both empty"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(sign(strutilx::strucmpnum(r.a, r.b)), r.expected_sign);
    EXPECT_EQ(sign(strutilx::strucmpnum(r.b, r.a)), -r.expected_sign);
  }
  EXPECT_EQ(strutilx::strucmpnum("abc1", "ab1"), 1);
}

}  // namespace

namespace {

// ---- search ----

TEST(StrutilxSearchTest, CharacterPositions) {
  struct row {
    int got;
    int expected;
    const char* why;
  };
  const std::string_view s = "abcabc";
  const row rows[] = {
      {strutilx::lchpos('b', s), 2, "first b"},
      {strutilx::lchpos('x', s), 0, "not found"},
      {strutilx::lchpos('a', ""), 0, "empty text"},
      {strutilx::lchpossp('b', s, 3), 5, "first b from 3"},
      {strutilx::lchpossp('a', s, -5), 1, "start below 1 searches from 1"},
      {strutilx::lchpossp('a', s, 7), 0, "start past the end"},
      {strutilx::rchpos('a', s), 4, "last a"},
      {strutilx::rchpossp('a', s, 3), 1, "last a at or before 3"},
      {strutilx::rchpossp('c', s, 100), 6, "start past the end clips to the length"},
      {strutilx::rchpossp('a', s, 0), 0, "start 0 gives 0"},
      {strutilx::lchupos('B', s), 2, "upper-cased search"},
      {strutilx::lchupossp('b', "ABCABC", 3), 5, "upper-cased from 3"},
      {strutilx::rchupos('a', "xAx"), 2, "upper-cased last"},
      {strutilx::rchupossp('A', s, 3), 1, "upper-cased last before 3"},
      {strutilx::lchsetpos(strutilx::charset("cb"), s), 2, "first of a set"},
      {strutilx::rchsetpos(strutilx::charset("ab"), s), 5, "last of a set"},
      {strutilx::lchsetpos(strutilx::charset(), s), 0, "empty set"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(r.got, r.expected);
  }
}

TEST(StrutilxSearchTest, SubstringPositions) {
  struct row {
    std::string_view sub, s;
    int start;  // 0: lstrpos, else lstrpossp
    int expected;
    const char* why;
  };
  constexpr row rows[] = {
      {"bc", "abcbc", 0, 2, "first occurrence"},
      {"", "abc", 0, 0, "empty sub"},
      {"abcd", "abc", 0, 0, "sub longer than s"},
      {"abc", "abc", 0, 1, "whole text"},
      {"Bc", "abc", 0, 0, "case-sensitive"},
      {"bc", "abcbc", 3, 4, "from position 3"},
      {"bc", "abcbc", 5, 0, "two characters from the last position"},
      {"c", "abcbc", 5, 5, "one character at the last position"},
      {"bc", "abcbc", 0, 2, "start 0 in lstrpos form"},
      {"", "abc", 1, 0, "sp: empty sub"},
      {"a", "", 1, 0, "sp: empty s"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const int got =
        r.start == 0 ? strutilx::lstrpos(r.sub, r.s) : strutilx::lstrpossp(r.sub, r.s, r.start);
    EXPECT_EQ(got, r.expected);
  }
  EXPECT_EQ(strutilx::lstrpossp("a", "abc", 0), 0) << "start below 1";
}

// ---- changing and building text ----

TEST(StrutilxTextTest, CaseAndCharacters) {
  EXPECT_EQ(strutilx::uppercase("abz AZ 09 \xE9"), "ABZ AZ 09 \xE9");
  EXPECT_EQ(strutilx::lowercase("ABZ az 09 \xC9"), "abz az 09 \xC9");
  EXPECT_EQ(strutilx::lowcase('Q'), 'q');
  EXPECT_EQ(strutilx::lowcase('['), '[');
  EXPECT_EQ(strutilx::replacechar(strutilx::charset("\\:"), '/', "a\\b:c"), "a/b/c");
  EXPECT_EQ(strutilx::deletechar(strutilx::charset(" -"), "a - b-c"), "abc");
}

TEST(StrutilxTextTest, ReplaceStr) {
  struct row {
    std::string_view oldtext, newtext, s, expected;
    const char* why;
  };
  constexpr row rows[] = {
      {"aa", "b", "aaa", "ba", "left to right without overlap"},
      {"a", "aa", "aba", "aabaa", "replacement is not searched again"},
      {"", "x", "abc", "abc", "empty old text: unchanged"},
      {"b", "b", "abc", "abc", "old equals new: unchanged"},
      {"x", "y", "abc", "abc", "nothing found"},
      {"abc", "", "abcabc", "", "replaced by nothing"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(strutilx::replacestr(r.oldtext, r.newtext, r.s), r.expected);
  }
  const std::string many(200, 'a');
  EXPECT_EQ(strutilx::replacestr("a", "bb", many).size(), 255u) << "result cut at 255";
}

TEST(StrutilxTextTest, FillAndPad) {
  struct row {
    sstr got;
    std::string expected;
    const char* why;
  };
  const std::string s10 = "0123456789";
  const row rows[] = {
      {strutilx::fillstr('x', 3), "xxx", "three copies"},
      {strutilx::fillstr('x', -1), "", "negative count"},
      {strutilx::fillstr('x', 300), std::string(255, 'x'), "clipped to 255"},
      {strutilx::blankstr(2), "  ", "blanks"},
      {strutilx::blankstr(0), "", "no blanks"},
      {strutilx::padleft("ab", 5), "   ab", "left padding"},
      {strutilx::padleft("abc", 2), "abc", "not shorter: unchanged"},
      {strutilx::padleft("ab", 300), std::string(253, ' ') + "ab", "width clipped to 255"},
      {strutilx::padright("ab", 4), "ab  ", "right padding"},
      {strutilx::padright("ab", -3), "ab", "negative width"},
      {strutilx::padright("ab", 400), "ab" + std::string(253, ' '), "cut at 255"},
      {strutilx::padrightmod(s10, 4), s10 + "  ", "up to a multiple of 4"},
      {strutilx::padrightmod(s10, 5), s10, "already a multiple"},
      {strutilx::padrightmod(s10, 0), s10, "n <= 0"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(r.got.view(), r.expected);
  }
  EXPECT_EQ(strutilx::padmodlength(s10, 4), 12);
  EXPECT_EQ(strutilx::padmodlength(s10, 5), 10);
  EXPECT_EQ(strutilx::padmodlength(s10, -1), 10);
  EXPECT_EQ(strutilx::padmodlength("", 4), 0);
  EXPECT_EQ(strutilx::blanks255.view(), std::string(255, ' ')) << "filled by the start-up";
}

TEST(StrutilxTextTest, ExtractTokenWalksAText) {
  const std::string_view s = "a   \"b c\" d";
  int pos = 1;
  EXPECT_EQ(strutilx::extracttoken(s, pos), "a");
  EXPECT_EQ(strutilx::extracttoken(s, pos), "b c");
  EXPECT_EQ(strutilx::extracttoken(s, pos), "d");
  EXPECT_EQ(pos, 12);
  EXPECT_EQ(strutilx::extracttoken(s, pos), "");
  EXPECT_EQ(pos, 12) << "pos stays one past the end";
}

TEST(StrutilxTextTest, ExtractTokenEdges) {
  struct row {
    std::string_view s;
    int pos;
    std::string_view token;
    int pos_after;
    const char* why;
  };
  constexpr row rows[] = {
      {"'a b' c", 1, "a b", 6, "single quotes"},
      {"\"a'b\"", 1, "a'b", 6, "the other quote inside is plain"},
      {"'abc", 1, "abc", 5, "an unclosed quote takes the rest"},
      {"ab   ", 3, "", 6, "only blanks left"},
      {"abc", 0, "", 0, "pos below 1: nothing happens"},
      {"abc", 4, "", 4, "pos past the end: nothing happens"},
      {"ab cd", 2, "b", 4, "from inside a token"},
      {"''", 1, "", 3, "empty quoted token"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    int pos = r.pos;
    EXPECT_EQ(strutilx::extracttoken(r.s, pos), r.token);
    EXPECT_EQ(pos, r.pos_after);
  }
}

// ---- file-name pieces ----

TEST(StrutilxFileNameTest, Extensions) {
  struct row {
    std::string_view name, ext, changed, completed;
    const char* why;
  };
  constexpr row rows[] = {
      {"a.b.c", ".c", "a.b.txt", "a.b.c", "last dot"},
      {"/x.y/z", "", "/x.y/z.txt", "/x.y/z.txt", "dot in a directory only"},
      {"a.b", ".b", "a.txt", "a.b", "plain extension"},
      {"name", "", "name.txt", "name.txt", "no extension"},
      {"dir/.hidden", ".hidden", "dir/.txt", "dir/.hidden", "a leading dot is an extension"},
      {"a.", ".", "a.txt", "a.", "bare dot"},
      {"", "", ".txt", ".txt", "empty name"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(strutilx::extractfileextex(r.name), r.ext);
    EXPECT_EQ(strutilx::changefileextex(r.name, ".txt"), r.changed);
    EXPECT_EQ(strutilx::completefileextex(r.name, ".txt"), r.completed);
  }
}

TEST(StrutilxFileNameTest, PathPieces) {
  struct row {
    std::string_view name, path, dir, file;
    const char* why;
  };
  constexpr row rows[] = {
      {"/a/b/c.txt", "/a/b/", "/a/b", "c.txt", "ordinary path"},
      {"/c.txt", "/", "/", "c.txt", "root keeps its delimiter"},
      {"/a", "/", "/", "a", "root directory"},
      {"a//b", "a//", "a//", "b", "a doubled delimiter stays"},
      {"name", "", "", "name", "no delimiter"},
      {"a/b/", "a/b/", "a/b", "", "trailing delimiter"},
      {"", "", "", "", "empty name"},
      {"a\\b", "", "", "a\\b", "backslash is an ordinary character"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(strutilx::extractfilepathex(r.name), r.path);
    EXPECT_EQ(strutilx::extractfiledirex(r.name), r.dir);
    EXPECT_EQ(strutilx::extractfilenameex(r.name), r.file);
  }
}

TEST(StrutilxFileNameTest, TrailingDelimiters) {
  struct row {
    std::string_view name, included, excluded;
    const char* why;
  };
  constexpr row rows[] = {
      {"", "/", "", "empty name"},
      {"a", "a/", "a", "no delimiter"},
      {"a/", "a/", "a", "one delimiter"},
      {"a//", "a//", "a/", "only one is removed"},
      {"/", "/", "", "root"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(strutilx::includetrailingpathdelimiterex(r.name), r.included);
    EXPECT_EQ(strutilx::excludetrailingpathdelimiterex(r.name), r.excluded);
  }
}

// ---- byte-order marks and short paths ----

TEST(StrutilxBomTest, Marks) {
  struct row {
    std::string_view bytes;
    bool ok;
    int offset;
    std::string_view message;
    const char* why;
  };
  constexpr row rows[] = {
      {"\xEF\xBB\xBFtext"sv, true, 3, "", "UTF-8 mark is skipped"},
      {"\xEF\xBB\xBF"sv, true, 3, "", "UTF-8 mark alone"},
      {"\xEF\x41\x42"sv, true, 0, "", "EF without the rest of the mark"},
      {"\xEF"sv, true, 0, "", "a single EF byte"},
      {"\xFE\xFFxx"sv, false, 0, "UTF16BE BOM detected. This is an unsupported encoding.",
       "UTF-16 big-endian"},
      {"\xFF\xFExx"sv, false, 0, "UTF16LE BOM detected. This is an unsupported encoding.",
       "UTF-16 little-endian"},
      {"\xFF\xFE\0\0"sv, false, 0, "UTF16LE BOM detected. This is an unsupported encoding.",
       "UTF-32 little-endian reads as UTF-16 little-endian"},
      {"\0\0\xFE\xFF"sv, false, 0, "UTF32BE BOM detected. This is an unsupported encoding.",
       "UTF-32 big-endian"},
      {"\0\0\xFE"sv, true, 0, "", "a cut UTF-32 mark"},
      {"\xFE"sv, true, 0, "", "a cut UTF-16 mark"},
      {"plain"sv, true, 0, "", "plain text"},
      {""sv, true, 0, "", "no data"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    int offset = 99;
    sstr message = sstr::cut("old");
    EXPECT_EQ(strutilx::checkbomoffset(r.bytes, offset, message), r.ok);
    EXPECT_EQ(offset, r.offset);
    EXPECT_EQ(message, r.message);
  }
}

TEST(StrutilxShortPathTest, EmptyAnswerAndItsChecks) {
  EXPECT_EQ(strutilx::extractshortpathnameexcept("/some/long path/name"), "");
  EXPECT_EQ(strutilx::detail::checkshortpath("C:\\PROGRA~1"), "C:\\PROGRA~1");
  try {
    (void)strutilx::detail::checkshortpath("C:\\a b");
    FAIL() << "blank not refused";
  } catch (const q5rt::exception& e) {
    EXPECT_EQ(e.message(),
              "Problem extracting short path, result contains spaces: C:\\a b"
              " (maybe 8.3 form is disabled)");
  }
  try {
    (void)strutilx::detail::checkshortpath("C:\\\xE9");
    FAIL() << "extended character not refused";
  } catch (const q5rt::exception& e) {
    EXPECT_EQ(e.message(),
              "Problem extracting short path, result contains extended ASCII codes: C:\\\xE9"
              " (maybe 8.3 form is disabled)");
  }
}

}  // namespace
