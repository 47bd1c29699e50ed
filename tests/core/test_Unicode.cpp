#include "core/Unicode.h"

#include <gtest/gtest.h>

using namespace orlinda;

TEST(Unicode, Utf16ToUtf8CombinesPairsAndReplacesLoneSurrogates)
{
    struct Case { std::u16string wide; std::string utf8; };
    const Case cases[] = {
        {u"", ""},
        {u"abc", "abc"},
        {u"Привет", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string(1, char16_t(0xD83D)), "\xEF\xBF\xBD"},          // high half alone
        {std::u16string(1, char16_t(0xDE00)) + u"x", "\xEF\xBF\xBDx"},  // low half alone
        {std::u16string{char16_t(0xDE00), char16_t(0xD83D)}, "\xEF\xBF\xBD\xEF\xBF\xBD"}, // wrong order
        {std::u16string(1, char16_t(0)), std::string(1, '\0')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf16ToUtf8(c.wide), c.utf8);
}

TEST(Unicode, Utf8ToUtf16ReplacesInvalidSequences)
{
    const std::u16string R = u"\uFFFD";
    struct Case { std::string utf8; std::u16string wide; };
    const Case cases[] = {
        {"", u""},
        {"\xD0\x9F\xD1\x80\xD0\xB8", u"При"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\x80", R},                          // stray continuation byte
        {"a\xC3", u"a" + R},                  // cut off at the end
        {"\xC3(", R + u"("},                  // bad continuation, next byte kept
        {"\xC0\xAF", R + R},                  // overlong form of '/'
        {"\xE0\x80\xAF", R + R + R},          // overlong three-byte form
        {"\xED\xA0\x80", R + R + R},          // an encoded surrogate
        {"\xF4\x90\x80\x80", R + R + R + R},  // above U+10FFFF
        {"\xE2\x82", R},                      // truncated sequence is one replacement
        {"\xFF\xFE", R + R},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.wide) << testing::PrintToString(c.utf8);
}

TEST(Unicode, Cp1251AndUtf8)
{
    EXPECT_EQ(Cp1251ToUtf8("\xCF\xF0\xE8 \xB9"), "\xD0\x9F\xD1\x80\xD0\xB8 \xE2\x84\x96"); // "При №"
    EXPECT_EQ(Utf8ToCp1251("\xD0\x9F\xD1\x80\xD0\xB8 \xE2\x84\x96"), "\xCF\xF0\xE8 \xB9");
    EXPECT_EQ(Utf8ToCp1251("\xF0\x9F\x98\x80!"), "?!");
    EXPECT_EQ(Utf8ToCp1251("\xC3"), "?");
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}
