#include "core/FormatDateTime.h"

#include <cstdio>

namespace orlinda {

namespace {

const char* const kShortDayNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
const char* const kLongDayNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
const char* const kShortMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void AppendNumber(std::string& out, long long value, int digits)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", digits, value);
    out += buf;
}

} // namespace

std::string FormatDateTime(const std::string& pattern, TDateTime moment, char dateSeparator, char timeSeparator)
{
    const CivilDate date = DecodeDate(moment);
    const CivilTime time = DecodeTime(moment);
    // The weekday of the decoded (millisecond-rounded) date, 1 = Monday.
    const int weekday = DayOfTheWeek(static_cast<TDateTime>(DayNumber(date.year, date.month, date.day)));
    std::string out;
    char lastToken = 0;
    size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\'' || c == '"') {
            size_t close = pattern.find(c, i + 1);
            if (close == std::string::npos)
                close = pattern.size();
            out.append(pattern, i + 1, close - i - 1);
            i = close < pattern.size() ? close + 1 : close;
            continue;
        }
        if (c == '/') {
            out += dateSeparator;
            ++i;
            continue;
        }
        if (c == ':') {
            out += timeSeparator;
            ++i;
            continue;
        }
        if (!IsLetter(c)) {
            out += c;
            ++i;
            continue;
        }
        char token = Upper(c);
        size_t count = 1;
        while (i + count < pattern.size() && Upper(pattern[i + count]) == token)
            ++count;
        // "m" right after an hour means minutes ("hh:mm"); letters in between break that.
        if (token == 'M' && lastToken == 'H')
            token = 'N';
        lastToken = token;
        switch (token) {
        case 'D':
            if (count <= 2)
                AppendNumber(out, date.day, static_cast<int>(count));
            else
                out += (count == 3 ? kShortDayNames : kLongDayNames)[weekday - 1];
            break;
        case 'M':
            if (count <= 2)
                AppendNumber(out, date.month, static_cast<int>(count));
            else
                out += (count == 3 ? kShortMonthNames : kLongMonthNames)[date.month - 1];
            break;
        case 'Y':
            if (count <= 2)
                AppendNumber(out, ((date.year % 100) + 100) % 100, 2);
            else
                AppendNumber(out, date.year, 4);
            break;
        case 'H':
            AppendNumber(out, time.hour, count >= 2 ? 2 : 1);
            break;
        case 'N':
            AppendNumber(out, time.minute, count >= 2 ? 2 : 1);
            break;
        case 'S':
            AppendNumber(out, time.second, count >= 2 ? 2 : 1);
            break;
        case 'Z':
            AppendNumber(out, time.millisecond, count >= 3 ? 3 : 1);
            break;
        default:
            out.append(pattern, i, count);
            break;
        }
        i += count;
    }
    return out;
}

} // namespace orlinda
