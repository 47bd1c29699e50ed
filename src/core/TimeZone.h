#pragma once
#include "core/DateTime.h"

#include <cstdint>

namespace orlinda {

// The local time zone's offset from UTC at the clock's current moment, as a fraction of
// a day (positive east of Greenwich), daylight saving included. Raises Error
// "Failed attempting to retrieve time zone information." when the system cannot tell.
double UtcOffset();

// Seconds since 1 January 1970 UTC of a local moment, corrected by the current
// UtcOffset(), cut towards zero (negative before 1970).
int64_t DateTimeToUnixUtc(TDateTime moment);
// 25569 + seconds / 86400, without time zone correction.
TDateTime UnixToDateTime(int64_t seconds);

} // namespace orlinda
