#include "core/TextUtils.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace orlinda;

TEST(TextUtils, Fields)
{
    struct Case { std::string text; int n; char sep; std::string field; };
    const Case cases[] = {
        {"1|17|x", 2, '|', "x"}, {"1|17|x", 0, '|', "1"}, {"1|17", 2, '|', ""},
        {"", 0, '|', ""}, {"a,,c", 1, ',', ""}, {"a,,c", 2, ',', "c"}, {"a|", 1, '|', ""},
        {"abc", 0, '|', "abc"}, {"a|b", -1, '|', ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetField(c.text, c.n, c.sep), c.field) << c.text << " #" << c.n;

    EXPECT_EQ(FieldCount("a,b,,c", ','), 4);
    EXPECT_EQ(FieldCount("", ','), 0);
    EXPECT_EQ(FieldCount("a", ','), 1);
    EXPECT_EQ(FieldCount(",", ','), 2);
}

TEST(TextUtils, ReplaceAllDoesNotRescanInsertedText)
{
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceAll("abab", "ab", "b"), "bb");
    EXPECT_EQ(ReplaceAll("xAx", "a", "b"), "xAx"); // case-sensitive
    EXPECT_EQ(ReplaceAll("aaaa", "aa", "a"), "aa");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("", "a", "x"), "");
}

TEST(TextUtils, PosFrom)
{
    struct Case { std::string find, text; int start; bool cs; int pos; };
    const Case cases[] = {
        {"b", "abcabc", 1, true, 2},   {"b", "abcabc", 3, true, 5},  {"b", "abcabc", 5, true, 5},
        {"b", "abcabc", 6, true, 0},   {"B", "abcabc", 1, true, 0},  {"B", "abcabc", 1, false, 2},
        {"bC", "abcabc", 4, false, 5}, {"x", "abc", 1, true, 0},     {"", "abc", 1, true, 0},
        {"abc", "abc", 0, true, 1},    {"abc", "abc", 99, true, 0},  {"abcd", "abc", 1, true, 0},
        // Only ASCII letters fold: the Cyrillic bytes of "Я" and "я" stay different.
        {"\xDF", "\xFF", 1, false, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PosFrom(c.find, c.text, c.start, c.cs), c.pos) << c.find << " in " << c.text << " from " << c.start;
}

TEST(TextUtils, CollapseBlanks)
{
    struct Case { std::string text, collapsed; };
    const Case cases[] = {
        {"  GenuineIntel  [ Intel ]  ", " GenuineIntel [ Intel ]"},
        {"a\t\r\n b", "a b"},
        {std::string("a\0b", 3), "a b"},
        {"abc", "abc"},
        {"", ""},
        {"   ", ""},
        {"\xA0x", "\xA0x"}, // bytes above 32 are not blanks
    };
    for (const auto& c : cases)
        EXPECT_EQ(CollapseBlanks(c.text), c.collapsed);
}

TEST(TextUtils, TrailingSeparators)
{
    EXPECT_EQ(AddTrailingBackslash("C:\\x"), "C:\\x\\");
    EXPECT_EQ(AddTrailingBackslash("C:\\x\\"), "C:\\x\\");
    EXPECT_EQ(AddTrailingBackslash(""), "");
    EXPECT_EQ(AddTrailingSeparator("/home/u"), "/home/u/");
    EXPECT_EQ(AddTrailingSeparator("/home/u/"), "/home/u/");
    EXPECT_EQ(AddTrailingSeparator(""), "");
}

TEST(TextUtils, TrimWide)
{
    EXPECT_EQ(TrimWide(u"\t  Анна \r\n"), u"Анна");
    EXPECT_EQ(TrimWide(std::u16string(u"\0x\0", 3)), u"x");
    EXPECT_EQ(TrimWide(u"   "), u"");
    EXPECT_EQ(TrimWide(u"\u00A0a\u00A0"), u"\u00A0a\u00A0"); // only characters up to U+0020
}

TEST(TextUtils, UrlEncodeForm)
{
    EXPECT_EQ(UrlEncodeForm("a b/c"), "a+b%2Fc");
    EXPECT_EQ(UrlEncodeForm("!$&'()*,-.=_azAZ09"), "!$&'()*,-.=_azAZ09");
    EXPECT_EQ(UrlEncodeForm("~%+\"#?\n"), "%7E%25%2B%22%23%3F%0A");
    EXPECT_EQ(UrlEncodeForm("\xC0\xFF"), "%C0%FF");
    EXPECT_EQ(UrlEncodeForm(""), "");
}

TEST(TextUtils, LatinToCyrillicLayout)
{
    EXPECT_EQ(LatinToCyrillicLayout(std::string("ghbdtn")), "\xEF\xF0\xE8\xE2\xE5\xF2"); // привет
    EXPECT_EQ(LatinToCyrillicLayout(u"ghbdtn"), u"привет");
    EXPECT_EQ(LatinToCyrillicLayout(u"Ghbdtn vbh!"), u"Привет мир!");
    EXPECT_EQ(LatinToCyrillicLayout(u"`~@#$^&|"), u"ёЁ\"№;:?/");
    EXPECT_EQ(LatinToCyrillicLayout(u"[]{};':\",./<>?"), u"хъХЪжэЖЭбю.БЮ,");
    EXPECT_EQ(LatinToCyrillicLayout(u"123 !%*() Ок"), u"123 !%*() Ок"); // not in the table
    // The 8-bit form gives the same text in code page 1251, for every key.
    const std::string latin = "`qwertyuiop[]asdfghjkl;'zxcvbnm,./~@#$^&|QWERTYUIOP{}ASDFGHJKL:\"ZXCVBNM<>?";
    const std::string russian =
        "\xB8\xE9\xF6\xF3\xEA\xE5\xED\xE3\xF8\xF9\xE7\xF5\xFA\xF4\xFB\xE2\xE0\xEF\xF0\xEE\xEB\xE4\xE6\xFD"
        "\xFF\xF7\xF1\xEC\xE8\xF2\xFC\xE1\xFE.\xA8\"\xB9;:?/\xC9\xD6\xD3\xCA\xC5\xCD\xC3\xD8\xD9\xC7\xD5"
        "\xDA\xD4\xDB\xC2\xC0\xCF\xD0\xCE\xCB\xC4\xC6\xDD\xDF\xD7\xD1\xCC\xC8\xD2\xDC\xC1\xDE,";
    ASSERT_EQ(latin.size(), 74u);
    ASSERT_EQ(russian.size(), 74u);
    EXPECT_EQ(LatinToCyrillicLayout(latin), russian);
    EXPECT_EQ(LatinToCyrillicLayout(std::string("\xC0\x01")), "\xC0\x01");
}

TEST(TextUtils, ShuffleStringsKeepsTheItemsAndEnds)
{
    for (size_t n : {0u, 1u, 2u, 3u, 7u, 50u, 1000u, 20000u}) {
        std::vector<std::string> list;
        for (size_t i = 0; i < n; ++i)
            list.push_back(std::to_string(i));
        for (int round = 0; round < (n > 1000 ? 2 : 20); ++round) {
            std::vector<std::string> shuffled = list;
            ShuffleStrings(shuffled);
            std::vector<std::string> sorted = shuffled;
            std::sort(sorted.begin(), sorted.end());
            std::vector<std::string> expected = list;
            std::sort(expected.begin(), expected.end());
            ASSERT_EQ(sorted, expected) << n;
        }
    }
}

TEST(TextUtils, ShuffleStringsChangesTheOrder)
{
    std::vector<std::string> list;
    for (int i = 0; i < 30; ++i)
        list.push_back(std::to_string(i));
    int changed = 0;
    for (int round = 0; round < 20; ++round) {
        std::vector<std::string> shuffled = list;
        ShuffleStrings(shuffled);
        changed += shuffled != list;
    }
    EXPECT_GE(changed, 18);
}
