// The four data files of records as kinds of "dump" and "build".
#include "FileKinds.h"
#include "RecordJson.h"

#include "model/Holiday.h"
#include "model/Holiminder.h"
#include "model/Identity.h"
#include "model/Reminder.h"

namespace orlinda::cli {

namespace {

template <class List, class R>
FileKind RecordKind(const char* name, const char* summary)
{
    return FileKind{name, summary, &DumpRecordFile<List>, &BuildRecordFile<R>};
}

const FileKindRegistrar users(RecordKind<TIdentityList, TIdentity>("users", "users.dat: the people"));
const FileKindRegistrar reminders(RecordKind<TReminderList, TReminder>("reminders", "reminders.dat: the reminders"));
const FileKindRegistrar holidays(RecordKind<THolidayList, THoliday>("holidays", "holidays.dat: the holiday calendar"));
const FileKindRegistrar bindings(
    RecordKind<THoliminderList, THoliminder>("bindings", "holidays.tmp: the coming occasions with their people"));

} // namespace

} // namespace orlinda::cli
