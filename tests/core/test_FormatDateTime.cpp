#include "core/DateTime.h"
#include "core/FormatDateTime.h"

#include <gtest/gtest.h>

using namespace orlinda;

TEST(FormatDateTime, PatternLetters)
{
    const TDateTime stamp = EncodeDateTime(2026, 12, 9, 13, 5, 0); // a Wednesday
    const TDateTime early = EncodeDateTime(2026, 1, 2, 3, 4, 5) + EncodeTime(0, 0, 0, 7);
    struct Case { const char* pattern; TDateTime moment; const char* expected; };
    const Case cases[] = {
        {"dd/mm/yyyy hh:nn:ss", stamp, "09-12-2026 13:05:00"},
        {"hh:nn:ss", stamp, "13:05:00"},
        {"d/m/yy h:n:s", early, "2-1-26 3:4:5"},
        {"hh:nn:ss.zzz z", early, "03:04:05.007 7"},
        {"hh:mm", stamp, "13:05"},              // m right after an hour is minutes
        {"h m", stamp, "13 5"},
        {"hh:nn dd/mm", stamp, "13:05 09-12"},  // after a day letter it is the month again
        {"mm", stamp, "12"},
        {"YYYY-MM-DD", stamp, "2026-12-09"},    // letters in either case
        {"ddd dddd mmm mmmm", stamp, "Wed Wednesday Dec December"},
        {"'dd' \"hh\" yyyy", stamp, "dd hh 2026"},
        {"yyyy 'open", stamp, "2026 open"},     // a quote that never closes runs to the end
        {"[dd] x", stamp, "[09] x"},
        {"", stamp, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.pattern, c.moment), c.expected) << c.pattern;
}

TEST(FormatDateTime, SeparatorsAndRounding)
{
    const TDateTime stamp = EncodeDateTime(2026, 12, 9, 13, 5, 0);
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", stamp, '.', '-'), "09.12.2026 13-05");
    // Half a millisecond before midnight belongs to the next day, for the date and the time.
    const TDateTime almostMidnight = EncodeDate(2026, 12, 31) + (86400000.0 - 0.4) / 86400000.0;
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn:ss dddd", almostMidnight), "01-01-2027 00:00:00 Friday");
}
