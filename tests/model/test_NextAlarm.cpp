// A reminder's next due moment: the regular recurrence and the snooze choices.
#include "model/NextAlarm.h"

#include "core/Clock.h"
#include "model/Reminder.h"

#include <gtest/gtest.h>

using namespace orlinda;

namespace {

TDateTime At(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0)
{
    return EncodeDateTime(y, m, d, hh, mm, ss);
}

std::string Text(TDateTime t)
{
    return t == 0 ? "0" : FormatIsoDateTime(t);
}

TEST(NextOccurrence, EveryKind)
{
    struct Case {
        const char* what;
        int kind;
        TDateTime start;
        const char* weekDays;
        TDateTime now;
        const char* expected;
    } cases[] = {
        {"once, ahead", ReminderOnce, At(2026, 5, 1, 9), "", At(2026, 4, 1, 12), "2026-05-01 09:00:00"},
        {"once, at the moment", ReminderOnce, At(2026, 5, 1, 9), "", At(2026, 5, 1, 9), "2026-05-01 09:00:00"},
        {"once, passed", ReminderOnce, At(2026, 5, 1, 9), "", At(2026, 5, 1, 9, 0, 1), "0"},
        {"daily, answered at 09:05", ReminderDaily, At(2026, 1, 10, 9), "", At(2026, 3, 2, 9, 5), "2026-03-03 09:00:00"},
        {"daily, early", ReminderDaily, At(2026, 1, 10, 9), "", At(2026, 3, 2, 8, 59), "2026-03-02 09:00:00"},
        {"weekdays 67 on a Friday", ReminderWeekDays, At(2026, 1, 1, 7, 30), "67", At(2026, 3, 6, 10), "2026-03-07 07:30:00"},
        {"weekdays, later today", ReminderWeekDays, At(2026, 1, 1, 18), "5", At(2026, 3, 6, 10), "2026-03-06 18:00:00"},
        {"weekdays, passed today: next week", ReminderWeekDays, At(2026, 1, 1, 7), "5", At(2026, 3, 6, 10), "2026-03-13 07:00:00"},
        {"weekdays blank", ReminderWeekDays, At(2026, 1, 1, 7), " ", At(2026, 3, 6, 10), "0"},
        {"weekdays without a weekday digit", ReminderWeekDays, At(2026, 1, 1, 7), "089x", At(2026, 3, 6, 10), "0"},
        {"monthly from the 31st in February", ReminderMonthly, At(2026, 1, 31, 12), "", At(2026, 2, 1), "2026-02-28 12:00:00"},
        {"monthly in a leap February", ReminderMonthly, At(2028, 1, 31, 12), "", At(2028, 2, 1), "2028-02-29 12:00:00"},
        {"monthly, then 31 March", ReminderMonthly, At(2026, 1, 31, 12), "", At(2026, 2, 28, 12, 1), "2026-03-31 12:00:00"},
        {"monthly across the year", ReminderMonthly, At(2026, 1, 15, 8), "", At(2026, 12, 20), "2027-01-15 08:00:00"},
        {"yearly, ahead", ReminderYearly, At(2000, 7, 4, 10), "", At(2026, 3, 2), "2026-07-04 10:00:00"},
        {"yearly, passed", ReminderYearly, At(2000, 1, 4, 10), "", At(2026, 3, 2), "2027-01-04 10:00:00"},
        {"yearly from 29 February", ReminderYearly, At(2024, 2, 29, 10), "", At(2026, 2, 1), "2026-02-28 10:00:00"},
        {"unknown kind", 9, At(2026, 5, 1, 9), "", At(2026, 4, 1), "0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(NextOccurrence(c.kind, c.start, c.weekDays, c.now)), c.expected) << c.what;
}

TEST(SnoozeMoment, EveryCode)
{
    const TDateTime now = At(2026, 1, 31, 10, 15); // a Saturday
    const int r = 42;
    struct Case {
        int code;
        const char* expected;
    } cases[] = {
        {100, "2026-01-31 11:57:00"}, {110, "2026-01-31 10:25:00"}, {130, "2026-01-31 10:45:00"},
        {160, "2026-01-31 11:15:00"}, {170, "2026-01-31 13:42:00"}, {180, "2026-01-31 16:42:00"},
        {200, "2026-02-01 10:15:00"}, {220, "2026-02-01 10:15:00"}, {240, "2026-02-01 09:42:00"},
        {260, "2026-02-01 13:42:00"}, {280, "2026-02-01 16:42:00"}, {300, "2026-02-02 10:15:00"},
        {320, "2026-02-02 10:15:00"}, {340, "2026-02-02 09:42:00"}, {360, "2026-02-02 13:42:00"},
        {380, "2026-02-02 16:42:00"}, {500, "2026-02-07 10:15:00"}, {800, "2026-02-28 10:15:00"},
        {0, "0"}, {1, "0"}, {7, "0"}, {150, "0"}, {900, "0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Text(SnoozeMoment(c.code, now, r)), c.expected) << c.code;
        EXPECT_EQ(IsSnoozeCode(c.code), std::string(c.expected) != "0") << c.code;
    }
}

TEST(NextAlarm, RegularForNegativeCodesAndSpreadForSnoozeCodes)
{
    TFixedClock clock(At(2026, 3, 2, 14, 30));
    SetClock(&clock);
    TReminder r;
    r.FKind = ReminderDaily;
    r.FStart = At(2026, 1, 1, 9);
    EXPECT_EQ(Text(NextAlarm(r, -1)), "2026-03-03 09:00:00");
    EXPECT_EQ(Text(NextAlarm(r, -7)), "2026-03-03 09:00:00");
    EXPECT_EQ(NextAlarm(r, 2), 0);
    for (int i = 0; i < 200; ++i) {
        const TDateTime later = NextAlarm(r, 100);
        EXPECT_GE(later, At(2026, 3, 2, 15, 30) - 1e-9);
        EXPECT_LE(later, At(2026, 3, 2, 18, 29) + 1e-9);
        const TDateTime evening = NextAlarm(r, 280);
        EXPECT_GE(evening, At(2026, 3, 3, 16, 0) - 1e-9);
        EXPECT_LE(evening, At(2026, 3, 3, 18, 59) + 1e-9);
    }
    SetClock(nullptr);
}

} // namespace
