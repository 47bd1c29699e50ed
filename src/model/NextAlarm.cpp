#include "model/NextAlarm.h"

#include "core/Clock.h"
#include "core/Random.h"
#include "model/DateRules.h"
#include "model/Reminder.h"

namespace orlinda {

namespace {

bool HasWeekday(const std::string& weekDays, int weekday)
{
    return weekDays.find(static_cast<char>('0' + weekday)) != std::string::npos;
}

bool NamesAnyWeekday(const std::string& weekDays)
{
    for (int w = 1; w <= 7; ++w)
        if (HasWeekday(weekDays, w))
            return true;
    return false;
}

TDateTime Hours(int h) { return h / 24.0; }

} // namespace

TDateTime NextOccurrence(int kind, TDateTime start, const std::string& weekDays, TDateTime now)
{
    const TDateTime today = DateOf(now);
    const TDateTime time = TimeOf(start);
    switch (kind) {
    case ReminderOnce:
        return now > start ? 0 : start;
    case ReminderDaily: {
        TDateTime next = today + time;
        return now > next ? next + 1 : next;
    }
    case ReminderWeekDays: {
        // Without a single weekday digit the walk below would never end: nothing is due.
        if (!NamesAnyWeekday(weekDays))
            return 0;
        TDateTime next = today + time;
        for (int step = 0; step <= 7; ++step, next += 1)
            if (!(now > next) && HasWeekday(weekDays, DayOfTheWeek(next)))
                return next;
        return 0;
    }
    case ReminderMonthly: {
        const CivilDate d = DecodeDate(now);
        const int day = DecodeDate(start).day;
        TDateTime next = ClampedDate(d.year, d.month, day);
        if (next != 0 && !(now > next + time))
            return next + time;
        next = ClampedDate(d.year, d.month + 1, day);
        return next == 0 ? 0 : next + time;
    }
    case ReminderYearly: {
        const CivilDate d = DecodeDate(now);
        const CivilDate s = DecodeDate(start);
        TDateTime next = ClampedDate(d.year, s.month, s.day);
        if (next != 0 && !(now > next + time))
            return next + time;
        next = ClampedDate(d.year + 1, s.month, s.day);
        return next == 0 ? 0 : next + time;
    }
    default:
        return 0;
    }
}

bool IsSnoozeCode(int code)
{
    switch (code) {
    case 100: case 110: case 130: case 160: case 170: case 180:
    case 200: case 220: case 240: case 260: case 280:
    case 300: case 320: case 340: case 360: case 380:
    case 500: case 800:
        return true;
    default:
        return false;
    }
}

TDateTime SnoozeMoment(int code, TDateTime now, int r)
{
    const TDateTime today = DateOf(now);
    const TDateTime spread = IncMinute(0, r);
    switch (code) {
    case 100: return IncMinute(now, 60 + r);
    case 110: return IncMinute(now, 10);
    case 130: return IncMinute(now, 30);
    case 160: return IncMinute(now, 60);
    case 170: return today + Hours(13) + spread;
    case 180: return today + Hours(16) + spread;
    case 200:
    case 220: return now + 1;
    case 240: return today + 1 + Hours(9) + spread;
    // "После обеда" is 13:00 on every day of the menu.
    case 260: return today + 1 + Hours(13) + spread;
    case 280: return today + 1 + Hours(16) + spread;
    case 300:
    case 320: return now + 2;
    case 340: return today + 2 + Hours(9) + spread;
    case 360: return today + 2 + Hours(13) + spread;
    case 380: return today + 2 + Hours(16) + spread;
    case 500: return now + 7;
    case 800: {
        const CivilDate d = DecodeDate(now);
        const TDateTime next = ClampedDate(d.year, d.month + 1, d.day);
        return next == 0 ? 0 : next + TimeOf(now);
    }
    default: return 0;
    }
}

TDateTime NextAlarm(const TReminder& reminder, int code)
{
    if (code < 0)
        return NextOccurrence(reminder.FKind, reminder.FStart, reminder.FWeekDays, Now());
    if (IsSnoozeCode(code))
        return SnoozeMoment(code, Now(), RandomInt(kSnoozeSpreadMinutes));
    return 0;
}

} // namespace orlinda
