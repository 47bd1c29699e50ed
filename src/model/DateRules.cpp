#include "model/DateRules.h"

#include "core/Clock.h"
#include "model/OrthodoxEaster.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

namespace orlinda {

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

// A trimmed decimal integer with an optional sign; nothing for anything else.
std::optional<int> ReadInt(std::string_view text)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

bool YearInRange(int year)
{
    return year >= 1 && year <= 9999;
}

// Day numbers of 1 January 0001 and 31 December 9999: the dates a day number can stand for.
constexpr double kFirstDay = -693593;
constexpr double kLastDay = 2958465;

int CurrentYear()
{
    return DecodeDate(Now()).year;
}

TDateTime EvaluateRule(std::string_view rule, int year)
{
    if (!YearInRange(year))
        return -1;
    const auto dot = rule.find('.');
    if (dot == std::string_view::npos) {
        double base = 0;
        long long offset = 0;
        if (rule.find("Easter") != std::string_view::npos) {
            base = EasterDate(year);
            // No Easter date that year: no date at all, rather than a day counted from -1.
            if (base < 0)
                return -1;
        } else {
            auto whole = ReadInt(rule);
            if (!whole)
                return -1;
            base = EncodeDate(year, 1, 1);
            offset = *whole;
        }
        const auto plus = rule.find('+');
        if (plus != std::string_view::npos) {
            auto k = ReadInt(rule.substr(plus + 1));
            if (!k)
                return -1;
            offset = *k;
        }
        const double result = base + static_cast<double>(offset);
        if (result < kFirstDay || result > kLastDay)
            return -1;
        return result;
    }
    const auto dot2 = rule.find('.', dot + 1);
    if (dot2 != std::string_view::npos) {
        auto n = ReadInt(rule.substr(0, dot));
        auto w = ReadInt(rule.substr(dot + 1, dot2 - dot - 1));
        auto m = ReadInt(rule.substr(dot2 + 1));
        if (!n || !w || !m || *m < 1 || *m > 12)
            return -1;
        return NthWeekdayOfMonth(*n, *w, *m, year);
    }
    auto d = ReadInt(rule.substr(0, dot));
    auto m = ReadInt(rule.substr(dot + 1));
    if (!d || !m || !IsValidDate(year, *m, *d))
        return -1;
    return EncodeDate(year, *m, *d);
}

} // namespace

TDateTime RuleDate(const std::string& rule, int year)
{
    if (year < 0)
        year = CurrentYear();
    return EvaluateRule(rule, year);
}

TDateTime NthWeekdayOfMonth(int n, int weekday, int month, int year)
{
    if (month < 1 || month > 12 || !YearInRange(year))
        return 0;
    const TDateTime first = EncodeDate(year, month, 1);
    const int days = DaysInMonth(year, month);
    int count = 0;
    TDateTime last = 0;
    for (int i = 0; i < days; ++i) {
        const TDateTime day = first + i;
        if (DayOfTheWeek(day) != weekday)
            continue;
        ++count;
        if (count == n)
            return day;
        last = day;
    }
    return n == 0 ? last : 0;
}

TDateTime ClampedDate(int year, int month, int day)
{
    if (month < 1 || day < 1)
        return 0;
    if (month > 12) {
        // 13 is January of the next year, 24 December of the next.
        const long long y = static_cast<long long>(year) + (month - 1) / 12;
        if (y > 9999)
            return 0;
        year = static_cast<int>(y);
        month = (month - 1) % 12 + 1;
    }
    if (!YearInRange(year))
        return 0;
    const int length = DaysInMonth(year, month);
    if (day > length)
        day = length;
    return EncodeDate(year, month, day);
}

TDateTime NextAnniversary(TDateTime date)
{
    const CivilDate d = DecodeDate(date);
    const TDateTime today = DateOf(Now());
    const int year = DecodeDate(today).year;
    TDateTime day = ClampedDate(year, d.month, d.day);
    if (today > day)
        day = ClampedDate(year + 1, d.month, d.day);
    return day + TimeOf(date);
}

int YearsBetween(TDateTime a, TDateTime b)
{
    // Counted on the calendar, so that a person is 46 on the day of the 46th birthday (days
    // over 365.25 would still say 45); a 29 February completes its year on 28 February in a
    // common year, the day its anniversary is kept.
    if (std::isnan(a) || std::isnan(b))
        return 0;
    if (a > b)
        std::swap(a, b);
    const CivilDate from = DecodeDate(a);
    const CivilDate to = DecodeDate(b);
    int years = to.year - from.year;
    const int fromDay = std::min(from.day, DaysInMonth(to.year, from.month));
    if (to.month < from.month || (to.month == from.month && to.day < fromDay))
        --years;
    return std::max(years, 0);
}

int YearOf(TDateTime moment)
{
    return DecodeDate(moment).year;
}

int MonthOf(TDateTime moment)
{
    return DecodeDate(moment).month;
}

int DayOf(TDateTime moment)
{
    return DecodeDate(moment).day;
}

int DaysInMonthOf(TDateTime moment)
{
    const CivilDate d = DecodeDate(moment);
    return DaysInMonth(d.year, d.month);
}

} // namespace orlinda
