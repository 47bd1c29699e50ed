#include "core/Clock.h"

#include <ctime>

namespace orlinda {

TDateTime TSystemClock::Now() const
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    time_t secs = ts.tv_sec;
    localtime_r(&secs, &local);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday)
        + EncodeTime(local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ts.tv_nsec / 1000000));
}

uint32_t TSystemClock::TickCount() const
{
    timespec ts{};
#ifdef CLOCK_BOOTTIME
    clock_gettime(CLOCK_BOOTTIME, &ts);
#else
    clock_gettime(CLOCK_MONOTONIC, &ts);
#endif
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void TFixedClock::Advance(uint32_t milliseconds)
{
    now_ += milliseconds / 86400000.0;
    tick_ += milliseconds;
}

namespace {
const TSystemClock systemClock;
const TClock* current = nullptr;
} // namespace

const TClock& Clock()
{
    return current ? *current : systemClock;
}

void SetClock(const TClock* clock)
{
    current = clock;
}

} // namespace orlinda
