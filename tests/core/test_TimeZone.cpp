#include "core/TimeZone.h"

#include "core/Clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

using namespace orlinda;

namespace {

// Runs the test body under a given TZ and restores the old one.
class TimeZoneTest : public testing::Test {
protected:
    void SetZone(const char* tz)
    {
        setenv("TZ", tz, 1);
        tzset();
    }
    void SetUp() override
    {
        const char* old = getenv("TZ");
        hadZone_ = old != nullptr;
        if (old)
            oldZone_ = old;
    }
    void TearDown() override
    {
        SetClock(nullptr);
        if (hadZone_)
            setenv("TZ", oldZone_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool hadZone_ = false;
    std::string oldZone_;
};

} // namespace

TEST_F(TimeZoneTest, OffsetFollowsTheZoneAndDaylightSaving)
{
    struct Case { const char* tz; TDateTime now; double hours; };
    const Case cases[] = {
        {"UTC0", EncodeDateTime(2026, 7, 1, 12, 0, 0), 0},
        {"MSK-3", EncodeDateTime(2026, 1, 15, 12, 0, 0), 3},
        {"EST5EDT,M3.2.0,M11.1.0", EncodeDateTime(2026, 1, 15, 12, 0, 0), -5},
        {"EST5EDT,M3.2.0,M11.1.0", EncodeDateTime(2026, 7, 15, 12, 0, 0), -4},
        {"IST-5:30", EncodeDateTime(2026, 7, 15, 12, 0, 0), 5.5},
    };
    for (const auto& c : cases) {
        SetZone(c.tz);
        TFixedClock clock(c.now);
        SetClock(&clock);
        EXPECT_NEAR(UtcOffset() * 24, c.hours, 1e-9) << c.tz;
    }
}

TEST_F(TimeZoneTest, UnixSecondsOfLocalMoments)
{
    TFixedClock clock(EncodeDateTime(2026, 1, 15, 12, 0, 0));
    SetClock(&clock);

    SetZone("UTC0");
    EXPECT_EQ(DateTimeToUnixUtc(25569), 0);
    EXPECT_EQ(DateTimeToUnixUtc(EncodeDateTime(2026, 12, 9, 14, 30, 5)), 1796826605);
    // A moment stored a hair below a whole second still counts that second.
    EXPECT_EQ(DateTimeToUnixUtc(25569 + 10.0 / 86400 - 1e-12), 10);
    EXPECT_EQ(DateTimeToUnixUtc(25569 + 10.4 / 86400), 10);
    // Before 1970 the seconds are negative, cut towards zero.
    EXPECT_EQ(DateTimeToUnixUtc(25568), -86400);
    EXPECT_EQ(DateTimeToUnixUtc(25569 - 1.5 / 86400), -1);

    SetZone("MSK-3");
    EXPECT_EQ(DateTimeToUnixUtc(EncodeDateTime(1970, 1, 1, 3, 0, 0)), 0);
    EXPECT_EQ(DateTimeToUnixUtc(EncodeDateTime(2026, 12, 9, 17, 30, 5)), 1796826605);
}

TEST_F(TimeZoneTest, UnixToDateTimeHasNoZoneCorrection)
{
    SetZone("MSK-3");
    EXPECT_EQ(UnixToDateTime(0), 25569);
    EXPECT_DOUBLE_EQ(UnixToDateTime(86400 + 43200), 25570.5);
    EXPECT_DOUBLE_EQ(UnixToDateTime(-86400), 25568);
    // The update check stores seconds and reads them back as a day number.
    SetZone("UTC0");
    TDateTime moment = EncodeDateTime(2026, 3, 1, 10, 0, 0);
    EXPECT_NEAR(UnixToDateTime(DateTimeToUnixUtc(moment)), moment, 1e-9);
}
