#include "core/Base64.h"
#include "core/Scramble.h"

#include <gtest/gtest.h>

using namespace orlinda;

TEST(Base64, EncodesStandardVectors)
{
    struct Case { std::string bytes, text; };
    const Case cases[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
        {"\xFB\xFF", "+/8="}, {std::string("\0\0\0", 3), "AAAA"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Base64Encode(c.bytes), c.text);
        EXPECT_EQ(Base64Decode(c.text), c.bytes);
    }
}

TEST(Base64, DecoderIsLenient)
{
    struct Case { std::string text, bytes; const char* why; };
    const Case cases[] = {
        {"YWJj", "abc", "plain"},
        {"YW j", "\x61\x6F\xA3", "a space counts as '+'"},
        {"YW+j", "\x61\x6F\xA3", "the same with '+'"},
        {"YW=Jj", "a", "decoding stops at the first '='"},
        {"YWI=YWJj", "ab", "nothing after the padding"},
        {"Y=", "", "one value before '=' gives nothing"},
        {"=YWJj", "", "'=' first"},
        {"YW\r\nJj", "abc", "line breaks skipped"},
        {"Y*W-J!j", "abc", "other characters skipped"},
        {"YWJjZA", "abcd", "unpadded trailing group"},
        {"YWJjZGU", "abcde", "unpadded trailing group of three"},
        {"YWJjZ", "abc", "a single trailing value gives nothing"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Base64Decode(c.text), c.bytes) << c.why;
}

TEST(Scramble, RoundTripsAndMatchesTheStoredForm)
{
    EXPECT_EQ(Unscramble("", kPasswordKey), "");
    EXPECT_EQ(Scramble("", kPasswordKey), "");
    // "secret" XOR "Tulvex" = 27 10 0F 04 00 0C, in Base64.
    EXPECT_EQ(Scramble("secret", kPasswordKey), "JxAPBAAM");
    EXPECT_EQ(Unscramble("JxAPBAAM", kPasswordKey), "secret");
    // The key repeats; texts with Cyrillic bytes and zero bytes survive.
    const std::string texts[] = {"a much longer password than the key", "\xCF\xE0\xF0\xEE\xEB\xFC",
                                 std::string("x\0y", 3), "Tulvex"};
    for (const auto& t : texts) {
        std::string s = Scramble(t, kPasswordKey);
        EXPECT_EQ(s.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
                  std::string::npos);
        EXPECT_EQ(Unscramble(s, kPasswordKey), t);
    }
    EXPECT_EQ(Unscramble(Scramble("text", "Korvin"), "Korvin"), "text");
    EXPECT_EQ(Unscramble(Scramble("text", ""), ""), "text");
}
