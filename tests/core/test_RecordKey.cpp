#include "core/RecordKey.h"

#include "core/Clock.h"

#include <gtest/gtest.h>

#include <set>

using namespace orlinda;

TEST(RecordKey, FormatsDateAndRandomNumber)
{
    struct Case { int y, m, d; int32_t random; const char* key; };
    const Case cases[] = {
        {2026, 12, 9, 0x2B7, "01AC0902B7"},
        {2000, 1, 1, 5, "0001010005"},
        {2099, 12, 31, 0xFFFFE, "063C1FFFFFE"},
        {2026, 10, 15, 0xABCD, "01AA0FABCD"},
        {1999, 3, 1, 0x12345, "3E730112345"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatRecordKey(c.y, c.m, c.d, c.random), c.key);
}

TEST(RecordKey, NewKeyUsesTheClockDate)
{
    TFixedClock clock(EncodeDateTime(2026, 12, 9, 14, 30, 0));
    SetClock(&clock);
    std::set<std::string> keys;
    for (int i = 0; i < 50; ++i) {
        std::string key = NewRecordKey();
        ASSERT_GE(key.size(), 10u);
        ASSERT_LE(key.size(), 11u);
        EXPECT_EQ(key.substr(0, 6), "01AC09");
        EXPECT_EQ(key.find_first_not_of("0123456789ABCDEF"), std::string::npos);
        EXPECT_LE(std::stoul(key.substr(6), nullptr, 16), 0xFFFFEul);
        keys.insert(key);
    }
    SetClock(nullptr);
    EXPECT_GT(keys.size(), 40u); // random part differs from call to call
}
