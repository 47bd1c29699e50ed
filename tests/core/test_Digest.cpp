#include "core/Digest.h"

#include <gtest/gtest.h>

using namespace orlinda;

TEST(Digest, Md5HexIsUpperCase)
{
    struct Case { std::string text, md5; };
    const Case cases[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"a", "0CC175B9C0F1B6A831C399E269772661"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57EDF4A22BE3C955AC49DA2E2107B67A"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Md5Hex(c.text), c.md5) << c.text;
}

TEST(Digest, Crc32IsSigned)
{
    struct Case { std::string text; uint32_t crc; };
    const Case cases[] = {
        {"", 0x00000000u},
        {"123456789", 0xCBF43926u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
        {"a", 0xE8B7BE43u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Crc32(c.text), static_cast<int32_t>(c.crc)) << c.text;
    EXPECT_LT(Crc32("123456789"), 0); // 0xCBF43926 has its top bit set
}
