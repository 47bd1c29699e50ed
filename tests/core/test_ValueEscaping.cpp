#include "core/ValueEscaping.h"

#include <gtest/gtest.h>

using namespace orlinda;

TEST(ValueEscaping, EscapeKeepsPrintableAsciiAndEscapesTheRest)
{
    struct Case { std::string value, stored; };
    const Case cases[] = {
        {"", ""},
        {"plain text = ok", "plain text = ok"},
        {"50%", "50%25"},
        {"a\r\nb", "a%0D%0Ab"},
        {"\xC0", "%C0"},                       // Cyrillic А in code page 1251
        {std::string("\x00\x1F\x7F\x80\xFF", 5), "%00%1F\x7F%80%FF"},
        {"\x01x%", "%01x%25"},                  // never ends with '%': not the enclosed form
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeValue(c.value), c.stored) << c.stored;
        EXPECT_EQ(UnescapeValue(c.stored), c.value) << c.stored;
    }
}

TEST(ValueEscaping, EveryByteRoundTrips)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    const std::string stored = EscapeValue(all);
    for (char c : stored)
        EXPECT_TRUE(c >= 0x20 && c <= 0x7F); // DEL stays as it is
    EXPECT_EQ(UnescapeValue(stored), all);
}

TEST(ValueEscaping, MalformedEscapesStayInTheText)
{
    struct Case { std::string stored, value; };
    const Case cases[] = {
        {"%41", "A"},
        {"%4", "%4"},
        {"%4G", "%4G"},
        {"%a1", "%a1"},   // lower-case digits are not an escape in the normal form
        {"100%", "100%"},
        {"%%41", "%A"},
        {"x%", "x%"},
        {"%G1", "%G1"},
        {"%414", "A4"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UnescapeValue(c.stored), c.value) << c.stored;
}

TEST(ValueEscaping, EnclosedForm)
{
    struct Case { std::string stored, value; };
    const Case cases[] = {
        {"%", ""},
        {"%%", ""},
        {"%a%%b%", "a%b"},
        {"%x%41%", "xA"},
        {"%x%4a%", "xJ"},         // either case of hexadecimal digits
        {"%a%25b%", "a"},         // the decoded '%' ends the text
        {"%a%Zb%", "a%Zb"},
        {"%a%%", "a%"},
        {std::string("%a=>\x01NULL\x01<=b%"), std::string("a\0b", 3)},
        {std::string("%=>\x01NULL\x01<==>\x01NULL\x01<=%"), std::string("\0\0", 2)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UnescapeValue(c.stored), c.value) << c.stored;
}
