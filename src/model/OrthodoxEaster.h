#pragma once
#include "core/DateTime.h"

namespace orlinda {

// Years for which Orthodox Easter is computed. Before 1583 the Gregorian calendar, in which
// our day numbers count, did not exist; after 9999 no date can be formed.
constexpr int kFirstEasterYear = 1583;
constexpr int kLastEasterYear = 9999;

// Orthodox Easter Sunday of the year: the Julian computus (the paschal full moon of the
// Julian calendar), converted to the Gregorian calendar, as a day number at midnight.
// -1 for a year outside kFirstEasterYear … kLastEasterYear.
TDateTime EasterDate(int year);

} // namespace orlinda
