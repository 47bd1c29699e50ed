#pragma once
#include "core/DateTime.h"

#include <string>

namespace orlinda {

class TReminder;

// The next regular moment of a reminder (kinds of TReminderKind) after now, at the time of day of its start:
//   once      the start itself, 0 when it has passed;
//   daily     today at that time, or tomorrow when it has passed;
//   weekdays  the first day from today whose weekday digit (1 Monday … 7 Sunday) is in
//             weekDays and whose moment has not passed; 0 when weekDays names no weekday;
//   monthly   this month's day of the start (cut to the month's length), else next month's;
//   yearly    this year's month and day of the start (cut likewise), else next year's.
// Unknown kinds give 0. Moments are compared whole (date and time).
TDateTime NextOccurrence(int kind, TDateTime start, const std::string& weekDays, TDateTime now);

// Whether the code is one of the snooze menu's (100 … 800).
bool IsSnoozeCode(int code);

// The moment a snooze choice moves a reminder to, from now; randomMinutes is the R of the
// spread-out choices ("Позже", "После обеда", "Вечером", "Утром"), 0 … 179. 0 for a code
// that is not a snooze code.
TDateTime SnoozeMoment(int code, TDateTime now, int randomMinutes);

// A reminder's next due moment for an answer: code < 0 the regular recurrence from now,
// a snooze code its moment (with a fresh random spread), any other code 0 (nothing due).
TDateTime NextAlarm(const TReminder& reminder, int code);

// The spread of the random minutes of the snooze choices.
inline constexpr int kSnoozeSpreadMinutes = 180;

} // namespace orlinda
