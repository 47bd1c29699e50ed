// Reads arbitrary bytes as a file of reminders (reminders.dat).
#include "RecordListFuzz.h"

#include "model/Reminder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return orlinda::fuzz::LoadRecordList<orlinda::TReminderList>(data, size);
}
