#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/Error.h"

#include <gtest/gtest.h>

using namespace orlinda;

TEST(DateTime, DayNumbersOfKnownDates)
{
    struct Case { int y, m, d; double day; int weekday; };
    const Case cases[] = {
        {1899, 12, 30, 0, 6},      // day zero, a Saturday
        {1900, 1, 1, 2, 1},
        {1970, 1, 1, 25569, 4},
        {2000, 2, 29, 36585, 2},
        {2026, 12, 11, 46367, 5},
        {1899, 12, 29, -1, 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.day) << c.y << "-" << c.m << "-" << c.d;
        CivilDate back = DecodeDate(c.day);
        EXPECT_EQ(back.year, c.y);
        EXPECT_EQ(back.month, c.m);
        EXPECT_EQ(back.day, c.d);
        EXPECT_EQ(DayOfTheWeek(c.day + 0.75), c.weekday);
    }
}

TEST(DateTime, TimeOfDayRoundTripsAndRoundsToMilliseconds)
{
    TDateTime t = EncodeDateTime(2026, 12, 9, 13, 5, 0);
    EXPECT_EQ(FormatIsoDateTime(t), "2026-12-09 13:05:00");
    EXPECT_EQ(FormatIsoDateTime(EncodeDate(2026, 12, 31) + 0.99999999999), "2027-01-01 00:00:00");
    TDateTime parsed = 0;
    ASSERT_TRUE(ParseIsoDateTime("2026-12-09 13:05:00", parsed));
    EXPECT_EQ(parsed, t);
    EXPECT_FALSE(ParseIsoDateTime("2026-02-30", parsed));
    EXPECT_FALSE(ParseIsoDateTime("yesterday", parsed));
    EXPECT_THROW(EncodeDate(2026, 13, 1), Error);
}

TEST(Clock, FixedClockReplacesTheSystemClock)
{
    TFixedClock fixed(EncodeDate(2026, 12, 11), 1000);
    SetClock(&fixed);
    fixed.Advance(86400000u / 2);
    EXPECT_EQ(FormatIsoDateTime(Now()), "2026-12-11 12:00:00");
    EXPECT_EQ(TickCount(), 1000u + 43200000u);
    SetClock(nullptr);
    EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
}
