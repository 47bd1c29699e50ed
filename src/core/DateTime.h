#pragma once
#include <cstdint>
#include <string>

namespace orlinda {

// Dates are day numbers: days since 30 December 1899, the fraction the time of day.
using TDateTime = double;

struct CivilDate {
    int year = 1899, month = 12, day = 30;
};
struct CivilTime {
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);

// Whole day number of a civil date (proleptic Gregorian); no validation.
int64_t DayNumber(int year, int month, int day);
// Day number of a valid date; raises Error for an invalid one.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second);

CivilDate DecodeDate(TDateTime moment);
// Time of day, rounded to the nearest millisecond.
CivilTime DecodeTime(TDateTime moment);
// The midnight of the moment's day (also for negative day numbers).
TDateTime DateOf(TDateTime moment);
TDateTime TimeOf(TDateTime moment);
// 1 = Monday … 7 = Sunday.
int DayOfTheWeek(TDateTime moment);

// "YYYY-MM-DD hh:mm:ss", the form used by the greeting records and the command line.
std::string FormatIsoDateTime(TDateTime moment);
// Parses "YYYY-MM-DD", "YYYY-MM-DD hh:mm" or "YYYY-MM-DD hh:mm:ss"; false on bad text.
bool ParseIsoDateTime(const std::string& text, TDateTime& moment);

} // namespace orlinda
