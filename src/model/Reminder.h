#pragma once
// A free-form reminder with its recurrence and sound (reminders.dat).
#include "core/DateTime.h"
#include "core/NamedObject.h"
#include "core/NamedObjectList.h"
#include "model/RecordFields.h"

#include <cstdint>
#include <string>

namespace orlinda {

// Recurrence of a reminder (FKind).
enum TReminderKind : int32_t {
    ReminderOnce = 0,     // "Один раз"
    ReminderDaily = 1,    // "Каждый день"
    ReminderWeekDays = 2, // "В указанные дни недели": the days in FWeekDays
    ReminderMonthly = 3,  // "Каждый месяц"
    ReminderYearly = 4,   // "Раз в год"
};

class TReminder : public TNamedObject {
public:
    TReminder();

    void Clear() override;
    void Assign(const TNamedObject* source) override;
    int64_t GetStreamSize() const override;
    void SaveToStream(TStream& stream) const override;
    void LoadFromStream(TStream& stream) override;

    // The fields after FID and FName, in stream order.
    static TRecordFields<TReminder> Fields();

    std::u16string FText;     // the reminder's text
    TDateTime FStart = 0;     // first due moment (date and time of day)
    TDateTime FNext = 0;      // next due moment; 0 = nothing due
    int32_t FEnabled = 0;     // 1 = enabled
    int32_t FKind = 0;        // TReminderKind
    std::string FWeekDays;    // chosen weekdays as digits "1" (Monday) ... "7" (Sunday), e.g. "135"
    int32_t FReservedInt = 0; // carried unchanged
    std::string FSound;       // "on|plays|pause|file", see TSoundSetting
    std::string FReserved1, FReserved2; // carried unchanged

    bool IsEnabled() const { return FEnabled != 0; }
    // Whether weekday 1 (Monday) ... 7 (Sunday) is among FWeekDays.
    bool HasWeekDay(int weekDay) const;
};

// The sound setting of a reminder: four fields joined by "|": playback on ("1") or off,
// the number of plays (0 = until the notification is answered), the pause between plays in
// seconds, and the sound file's full path. The file name stays when playback is off.
struct TSoundSetting {
    bool enabled = false;
    int32_t plays = 0;
    int32_t pause = 10;
    std::string file;

    // Reads the text as the reminder editor does: plays that are not a number read as 1,
    // a pause that is not a number or is negative as 10; a path containing "|" is kept whole.
    static TSoundSetting Parse(const std::string& text);
    std::string Text() const;
    // Plays <= 0 mean: repeat until the notification is answered.
    bool RepeatsUntilAnswered() const { return plays <= 0; }
};

// reminders.dat: Get, FindByID, and loading creates TReminder items.
class TReminderList : public TTypedList<TReminder> {};

} // namespace orlinda
