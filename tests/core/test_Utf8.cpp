#include "core/Utf8.h"

#include "core/Windows1251.h"

#include <gtest/gtest.h>

using namespace orlinda;

TEST(Utf8, EncodesEveryCodeUnitOnItsOwn)
{
    struct Case { std::u16string wide; std::string bytes; };
    const Case cases[] = {
        {u"", ""},
        {u"A", "A"},
        {std::u16string(1, char16_t(0x7F)), "\x7F"},
        {std::u16string(1, char16_t(0x80)), "\xC2\x80"},
        {u"Я", "\xD0\xAF"},
        {std::u16string(1, char16_t(0x7FF)), "\xDF\xBF"},
        {std::u16string(1, char16_t(0x800)), "\xE0\xA0\x80"},
        {u"€", "\xE2\x82\xAC"},
        {std::u16string(1, char16_t(0xFFFF)), "\xEF\xBF\xBF"},
        // A surrogate pair is written as two 3-byte sequences, not combined.
        {u"\U0001F600", "\xED\xA0\xBD\xED\xB8\x80"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8EncodeWide(c.wide), c.bytes);
        EXPECT_EQ(Utf8DecodeWide(c.bytes), c.wide);
    }
}

TEST(Utf8, MalformedInputIsReadAsWindows1251)
{
    struct Case { std::string bytes; const char* why; };
    const Case cases[] = {
        {"\xD0\x41", "continuation byte out of range"},
        {"\xCF\xF0\xE8\xE2\xE5\xF2", "Cyrillic text in code page 1251"},
        {"abc\xD0", "two-byte sequence cut off"},
        {"\xE2\x82", "three-byte sequence cut off"},
        {"\xE2\x82(", "bad third byte"},
        {"ok \xD0\xAF then \xC0", "a valid sequence before the fault does not count"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8DecodeWide(c.bytes), Cp1251ToUtf16(c.bytes)) << c.why;
    EXPECT_EQ(Utf8DecodeWide("\xD0\x41"), u"РA");
}

TEST(Utf8, LeadBytesFollowTheBit0x20Rule)
{
    // Bytes that are not proper UTF-8 leads still start a sequence: two bytes unless
    // their bit 0x20 is set. The value keeps what fits in one code unit.
    struct Case { std::string bytes; char16_t unit; };
    const Case cases[] = {
        {"\x80\x80", 0x0000},        // a continuation byte as lead: two bytes
        {"\xC0\xAF", 0x002F},        // overlong '/'
        {"\xA0\x80\x80", 0x0000},    // bit 0x20 set: three bytes
        {"\xED\xA0\xBD", 0xD83D},    // a surrogate half
        {"\xF8\x80\x80", 0x8000},    // not a 4-byte lead: three bytes, high bits dropped
    };
    for (const auto& c : cases) {
        std::u16string decoded = Utf8DecodeWide(c.bytes);
        ASSERT_EQ(decoded.size(), 1u) << testing::PrintToString(c.bytes);
        EXPECT_EQ(static_cast<int>(decoded[0]), static_cast<int>(c.unit));
    }
}

TEST(Utf8, DecodesFourByteSequencesFromOutside)
{
    EXPECT_EQ(Utf8DecodeWide("\xF0\x9F\x98\x80 ok"), u"\U0001F600 ok");
    EXPECT_EQ(Utf8DecodeWide("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
}

TEST(Utf8, EveryWideTextRoundTrips)
{
    std::u16string all;
    for (unsigned c = 0; c < 0x10000; ++c)
        all.push_back(static_cast<char16_t>(c));
    EXPECT_EQ(Utf8DecodeWide(Utf8EncodeWide(all)), all);
    // Halves in the wrong order, alone, and at the very end.
    std::u16string odd{char16_t(0xDE00), char16_t(0xD83D), u'x', char16_t(0xD83D)};
    EXPECT_EQ(Utf8DecodeWide(Utf8EncodeWide(odd)), odd);
}
