#include "core/TimeZone.h"

#include "core/Clock.h"
#include "core/Error.h"

#include <cerrno>
#include <cmath>
#include <ctime>

namespace orlinda {

namespace {
constexpr double kUnixEpochDay = 25569; // 1 January 1970
constexpr const char* kNoTimeZone = "Failed attempting to retrieve time zone information.";
} // namespace

double UtcOffset()
{
    // The clock's local moment, turned into a calendar time through the C library so
    // that the offset in force at that moment (daylight saving included) is used.
    TDateTime now = Now();
    if (!std::isfinite(now))
        throw Error(kNoTimeZone);
    CivilDate date = DecodeDate(now);
    CivilTime time = DecodeTime(now);
    std::tm local{};
    local.tm_year = date.year - 1900;
    local.tm_mon = date.month - 1;
    local.tm_mday = date.day;
    local.tm_hour = time.hour;
    local.tm_min = time.minute;
    local.tm_sec = time.second;
    local.tm_isdst = -1;
    errno = 0;
    std::time_t t = std::mktime(&local);
    if (t == static_cast<std::time_t>(-1) && errno != 0)
        throw Error(kNoTimeZone);
    std::tm check{};
    if (localtime_r(&t, &check) == nullptr)
        throw Error(kNoTimeZone);
    return static_cast<double>(check.tm_gmtoff) / 86400.0;
}

int64_t DateTimeToUnixUtc(TDateTime moment)
{
    // Counted in whole milliseconds first, so that a moment stored as a day fraction
    // such as 0.99999999 of a second is not cut to the second before.
    double days = moment - UtcOffset() - kUnixEpochDay;
    double ms = std::round(days * 86400000.0);
    if (!std::isfinite(ms) || std::fabs(ms) > 9.2e18)
        throw Error("Date-time value out of range.");
    auto milliseconds = static_cast<int64_t>(ms);
    return milliseconds / 1000; // cut towards zero
}

TDateTime UnixToDateTime(int64_t seconds)
{
    return kUnixEpochDay + static_cast<double>(seconds) / 86400.0;
}

} // namespace orlinda
