// The project's event scan: finds the next due reminder or holiday binding, prepares what
// the notification window shows, and applies the user's answer to it.
#include "model/Project.h"

#include "core/Clock.h"
#include "core/TextUtils.h"
#include "model/NextAlarm.h"
#include "model/NotificationTexts.h"
#include "model/SnoozeMenu.h"

#include <cmath>

namespace orlinda {

void TProject::ScanTick()
{
    // The timer is off while the handler runs and on again afterwards, whatever happens.
    FTimerEnabled = false;
    struct Reenable {
        bool& enabled;
        ~Reenable() { enabled = true; }
    } reenable{FTimerEnabled};
    FTimerInterval = kScanInterval;

    // While a notification is on screen or an editor is open nothing new comes up.
    if (!FWindow || !FWindow->Available() || FDialogOpen)
        return;
    const TDateTime now = Now();

    for (int i = 0; i < reminders_->Count(); ++i) {
        TReminder* r = reminders_->Get(i);
        if (r->FEnabled != 0 && r->FNext != 0 && now >= r->FNext) {
            ShowReminderNotification(r);
            return;
        }
    }
    for (int i = 0; i < bindings_->Count(); ++i) {
        THoliminder* b = bindings_->Get(i);
        if (b->FNotifyAt != 0 && now >= b->FNotifyAt && !TrimWide(b->FNames).empty()) {
            ShowHolidayNotification(b);
            return;
        }
    }
}

int TProject::ShowReminderNotification(TReminder* reminder)
{
    if (!reminder)
        return kNoEvent;
    try {
        if (FDelayMenu) {
            FDelayMenu->ShowAll();
            const int hour = DecodeTime(Now()).hour;
            if (hour > 13)
                FDelayMenu->Hide(170); // today "После обеда"
            if (hour > 15)
                FDelayMenu->Hide(180); // today "Вечером"
            if (reminder->FKind == ReminderDaily || reminder->FKind == ReminderWeekDays) {
                for (int code : {200, 300, 500, 800})
                    FDelayMenu->Hide(code);
            } else if (reminder->FKind == ReminderMonthly) {
                FDelayMenu->Hide(800);
            }
        }
        TNotification n;
        n.FID = reminder->FID;
        n.Caption = notify::kReminderTitle;
        n.Text = ReminderHtml(*reminder);
        n.CloseCode = notify::kReminderCloseCode;
        n.Sound = reminder->FSound;
        n.Menu = FDelayMenu;
        n.MenuButton = notify::kReminderSnooze;
        n.Buttons = {notify::kReminderOk, notify::kReminderDisable, notify::kReminderEdit, notify::kReminderDelete,
                     notify::kReminderHelp};
        if (FWindow)
            FWindow->ShowNotification(n);
    } catch (...) {
        // The reminder stays due and comes up again at a later tick.
    }
    return 0;
}

int TProject::ShowHolidayNotification(THoliminder* binding)
{
    if (!binding)
        return kNoEvent;
    try {
        TNotification n;
        n.FID = binding->FID;
        n.Caption = notify::kHolidayTitle;
        n.Text = HolidayHtml(*binding);
        n.CloseCode = notify::kHolidayCloseCode;
        if (DateOf(Now()) < std::floor(binding->FDate))
            n.Buttons = {notify::kHolidayOk, notify::kHolidayHelp, u"", u"", u""};
        else
            n.Buttons = {notify::kHolidayCongratulate, notify::kHolidayOk, notify::kHolidayHelp, u"", u""};
        if (FWindow)
            FWindow->ShowNotification(n);
    } catch (...) {
    }
    return 0;
}

TDateTime TProject::NextAlarm(const TReminder& reminder, int code) const
{
    return orlinda::NextAlarm(reminder, code);
}

std::u16string TProject::ReminderHtml(const TReminder& reminder) const
{
    return orlinda::ReminderHtml(reminder.FText);
}

std::u16string TProject::HolidayHtml(const THoliminder& binding) const
{
    const auto days = static_cast<int>(std::floor(binding.FDate) - DateOf(Now()));
    return orlinda::HolidayHtml(days, binding.FTitle, binding.FNames);
}

TNotificationAnswer TProject::AnswerNotification(int32_t id, int code)
{
    TNotificationAnswer answer;
    if (TReminder* r = reminders_->FindByID(id)) {
        switch (code) {
        case 2: // "ОК": on to the next regular occurrence
            r->FNext = NextAlarm(*r, -1);
            reminders_->Notify(r, TNamedObjectEvent::Changed);
            answer.close = true;
            break;
        case 3: // "Редактировать..."
            answer.editReminder = id;
            answer.close = true;
            break;
        case 4: // "Отключить"
            r->FEnabled = 0;
            reminders_->Notify(r, TNamedObjectEvent::Changed);
            answer.close = true;
            break;
        case 5: // "Удалить...": after the user confirms, DeleteReminder
            answer.confirmDelete = true;
            break;
        case 6:
            answer.helpPage = notify::kReminderHelpPage;
            break;
        default:
            // A code that is no snooze choice would leave the reminder with nothing due ever
            // again: it is ignored and the window stays.
            if (IsSnoozeCode(code)) {
                r->FNext = NextAlarm(*r, code);
                reminders_->Notify(r, TNamedObjectEvent::Changed);
                answer.close = true;
            }
            break;
        }
        return answer;
    }
    switch (code) {
    case 7: // "ОК" on a holiday notice
        if (THoliminder* b = bindings_->FindByID(id)) {
            const TDateTime day = std::floor(b->FDate);
            // Notified before the day: once more on the day itself; else no more.
            if (std::floor(b->FNotifyAt) < day && DateOf(Now()) < day)
                b->FNotifyAt = b->FDate;
            else
                b->FNotifyAt = 0;
            bindings_->Notify(b, TNamedObjectEvent::Changed);
        }
        answer.close = true;
        break;
    case 8: // "Поздравить..."
        if (THoliminder* b = bindings_->FindByID(id)) {
            b->FNotifyAt = 0;
            bindings_->Notify(b, TNamedObjectEvent::Changed);
            answer.congratulate = id;
        }
        answer.close = true;
        break;
    case 9:
        answer.helpPage = notify::kHolidayHelpPage;
        break;
    default:
        break;
    }
    return answer;
}

bool TProject::DeleteReminder(int32_t id)
{
    if (!reminders_->FindByID(id))
        return false;
    reminders_->DeleteByID(id);
    return true;
}

} // namespace orlinda
