#include "core/RecordKey.h"

#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/Random.h"

#include <cstdio>

namespace orlinda {

std::string FormatRecordKey(int year, int month, int day, int32_t random)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%03X%X%02X%04X", static_cast<unsigned>(year % 1000),
                  static_cast<unsigned>(month), static_cast<unsigned>(day), static_cast<unsigned>(random));
    return buffer;
}

std::string NewRecordKey()
{
    CivilDate today = DecodeDate(Now());
    Randomize();
    return FormatRecordKey(today.year, today.month, today.day, RandomInt(0xFFFFF));
}

} // namespace orlinda
