#include "core/DateTime.h"

#include "core/Error.h"

#include <cmath>
#include <cstdio>

namespace orlinda {

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool IsValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

namespace {

// Days from 1970-01-01 (Howard Hinnant's days_from_civil).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(int64_t z)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = yoe + era * 400;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp + (mp < 10 ? 3 : -9);
    return CivilDate{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

constexpr int64_t kUnixEpochDay = 25569; // 1970-01-01 as a day number

} // namespace

int64_t DayNumber(int year, int month, int day)
{
    return DaysFromCivil(year, month, day) + kUnixEpochDay;
}

TDateTime EncodeDate(int year, int month, int day)
{
    if (!IsValidDate(year, month, day))
        throw Error("Invalid argument to date encode");
    return static_cast<TDateTime>(DayNumber(year, month, day));
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond)
{
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / 86400000.0;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second)
{
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, second);
}

TDateTime DateOf(TDateTime moment)
{
    return std::floor(moment);
}

TDateTime TimeOf(TDateTime moment)
{
    return moment - std::floor(moment);
}

CivilDate DecodeDate(TDateTime moment)
{
    // Round to the millisecond first, so 23:59:59.9999 belongs to the next day as DecodeTime says.
    double ms = std::round(moment * 86400000.0);
    int64_t day = static_cast<int64_t>(std::floor(ms / 86400000.0));
    return CivilFromDays(day - kUnixEpochDay);
}

CivilTime DecodeTime(TDateTime moment)
{
    double ms = std::round(moment * 86400000.0);
    double dayMs = std::floor(ms / 86400000.0) * 86400000.0;
    auto t = static_cast<int64_t>(ms - dayMs);
    CivilTime r;
    r.millisecond = static_cast<int>(t % 1000);
    t /= 1000;
    r.second = static_cast<int>(t % 60);
    t /= 60;
    r.minute = static_cast<int>(t % 60);
    r.hour = static_cast<int>(t / 60);
    return r;
}

int DayOfTheWeek(TDateTime moment)
{
    // Day 0 (30 December 1899) was a Saturday.
    int64_t day = static_cast<int64_t>(std::floor(moment));
    int64_t w = ((day + 5) % 7 + 7) % 7; // 0 = Monday
    return static_cast<int>(w) + 1;
}

std::string FormatIsoDateTime(TDateTime moment)
{
    CivilDate d = DecodeDate(moment);
    CivilTime t = DecodeTime(moment);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, t.hour, t.minute, t.second);
    return buf;
}

bool ParseIsoDateTime(const std::string& text, TDateTime& moment)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    int n = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail);
    if (n != 3 && n != 5 && n != 6)
        return false;
    if (!IsValidDate(y, mo, d) || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59)
        return false;
    moment = EncodeDateTime(y, mo, d, h, mi, s);
    return true;
}

} // namespace orlinda
