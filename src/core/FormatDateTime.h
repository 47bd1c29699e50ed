#pragma once
#include "core/DateTime.h"

#include <string>

namespace orlinda {

// Formats a moment with a date-time pattern of the classic kind:
//   d dd       day of the month (dd with a leading zero), ddd/dddd the weekday's name
//   m mm       month (mmm/mmmm its name); right after h or hh: minutes
//   n nn       minutes
//   yy yyyy    year in two or four digits
//   h hh       hour (0-23)
//   s ss       seconds
//   z zzz      milliseconds (zzz in three digits)
//   /          the date separator, :  the time separator
//   '...' "..." text copied as it stands
// Letters are case-insensitive; every other character is copied.
// FormatDateTime("dd/mm/yyyy hh:nn:ss", moment) gives "09-12-2026 13:05:00".
std::string FormatDateTime(const std::string& pattern, TDateTime moment, char dateSeparator = '-',
                           char timeSeparator = ':');

} // namespace orlinda
