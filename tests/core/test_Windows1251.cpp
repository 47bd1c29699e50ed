#include "core/Windows1251.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <iconv.h>

using namespace orlinda;

namespace {

// The C library's own Windows-1251 table, as an independent reference. It has no
// character for 0x98.
bool IconvCp1251(unsigned char byte, char16_t& out)
{
    iconv_t cd = iconv_open("UTF-16LE", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    char in[1] = {static_cast<char>(byte)};
    char buf[8] = {};
    char* inp = in;
    char* outp = buf;
    size_t inLeft = 1, outLeft = sizeof buf;
    size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || outLeft != sizeof buf - 2)
        return false;
    out = static_cast<char16_t>(static_cast<unsigned char>(buf[0]) | (static_cast<unsigned char>(buf[1]) << 8));
    return true;
}

} // namespace

TEST(Windows1251, EveryByteRoundTripsAndAgreesWithTheCLibrary)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    std::u16string wide = Cp1251ToUtf16(all);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(Utf16ToCp1251(wide), all);

    int compared = 0;
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98)
            continue;
        char16_t expected;
        if (!IconvCp1251(static_cast<unsigned char>(b), expected))
            continue; // no gconv modules on this system
        EXPECT_EQ(static_cast<int>(wide[b]), static_cast<int>(expected)) << "byte " << b;
        ++compared;
    }
    if (compared == 0)
        GTEST_SKIP() << "the C library has no CP1251 table";
    EXPECT_EQ(compared, 255);
}

TEST(Windows1251, KnownCharacters)
{
    struct Case { unsigned char byte; char16_t wide; };
    const Case cases[] = {
        {0x41, u'A'}, {0xC0, u'А'}, {0xFF, u'я'}, {0xA8, u'Ё'}, {0xB8, u'ё'},
        {0xB9, u'№'}, {0x88, u'€'}, {0x98, 0x0098}, {0xA0, 0x00A0}, {0x00, 0x0000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<int>(Cp1251CharToUtf16(c.byte)), static_cast<int>(c.wide)) << int(c.byte);
        EXPECT_EQ(static_cast<unsigned char>(Utf16CharToCp1251(c.wide)), c.byte) << int(c.byte);
    }
}

TEST(Windows1251, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    // Latin é, Greek alpha, a lone surrogate, and an emoji (one character, one '?').
    std::u16string text = u"a\u00E9\u03B1\xD800z\U0001F600.";
    EXPECT_EQ(Utf16ToCp1251(text), "a???z?.");
}
