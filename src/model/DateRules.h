#pragma once
#include "core/DateTime.h"

#include <string>

namespace orlinda {

// Date rules of the holiday calendar. A rule is a short text:
//   "D.M"      day D of month M                         "8.3"
//   "N.W.M"    the N-th weekday W (1 Monday … 7 Sunday)  "3.7.6" (third Sunday of June);
//              of month M, N = 0 the last one           "0.7.7" (last Sunday of July)
//   "K"        1 January + K days                       "255" (13 September in a common year)
//   "Easter"   Orthodox Easter Sunday (any text containing "Easter", case-sensitive)
//   "Easter+K" Easter + K days, K read after the first "+"  "Easter+49", "Easter+-7"
// Spaces around the numbers are ignored; numbers are decimal and may be negative.

// The day a rule gives in the year (a year < 0 means the current year, from the clock).
// -1 when the rule cannot be evaluated: a part that is not a number, an invalid day or
// month, or an Easter rule in a year without an Easter date. An N-th weekday that the
// month does not have gives 0.
TDateTime RuleDate(const std::string& rule, int year = -1);

// The N-th weekday W of the month (N = 0: the last one), or 0 when the month has no such
// day or the month or year is invalid.
TDateTime NthWeekdayOfMonth(int n, int weekday, int month, int year);

// The coming recurrence of the date's month and day: this year's if it is today or later,
// else next year's; 29 February becomes 28 February in a common year. Keeps the time of
// day of the date. "Today" comes from the clock.
TDateTime NextAnniversary(TDateTime date);

// The date with the day cut to the length of the month. A month above 12 runs on into the
// following years (13 is January of the next year). 0 when no date can be formed
// (month or day below 1, a year outside 1 … 9999).
TDateTime ClampedDate(int year, int month, int day);

// Whole calendar years between the days of two moments, in either order: the age on a
// birthday is the new age. A 29 February completes its year on 28 February in a common year.
int YearsBetween(TDateTime a, TDateTime b);

// Calendar arithmetic on moments.
inline TDateTime IncDay(TDateTime moment, double days = 1) { return moment + days; }
inline TDateTime IncWeek(TDateTime moment, double weeks = 1) { return moment + 7 * weeks; }
inline TDateTime IncHour(TDateTime moment, double hours = 1) { return moment + hours / 24.0; }
inline TDateTime IncMinute(TDateTime moment, double minutes = 1) { return moment + minutes / 1440.0; }
int YearOf(TDateTime moment);
int MonthOf(TDateTime moment);
int DayOf(TDateTime moment);
// Days in the month of the moment (29 for February of a leap year).
int DaysInMonthOf(TDateTime moment);

} // namespace orlinda
