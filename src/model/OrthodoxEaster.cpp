#include "model/OrthodoxEaster.h"

#include <cstdint>

namespace orlinda {

namespace {

// Julian day number of a date of the Julian calendar.
int64_t JulianCalendarToJdn(int64_t year, int64_t month, int64_t day)
{
    const int64_t a = (14 - month) / 12;
    const int64_t y = year + 4800 - a;
    const int64_t m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - 32083;
}

// Julian day number of day 0 (30 December 1899).
constexpr int64_t kJdnOfDayZero = 2415019;

} // namespace

TDateTime EasterDate(int year)
{
    if (year < kFirstEasterYear || year > kLastEasterYear)
        return -1;
    // Gauss's form of the Julian computus: the Sunday after the paschal full moon,
    // counted from 22 March of the Julian calendar.
    const int a = year % 19;
    const int b = year % 4;
    const int c = year % 7;
    const int d = (19 * a + 15) % 30;
    const int e = (2 * b + 4 * c + 6 * d + 6) % 7;
    const int fromMarch22 = d + e; // 0 … 34
    const int64_t jdn = JulianCalendarToJdn(year, 3, 22) + fromMarch22;
    return static_cast<TDateTime>(jdn - kJdnOfDayZero);
}

} // namespace orlinda
