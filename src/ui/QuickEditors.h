#pragma once
// Small editors of a person and of a reminder: the fields a list shows and a notification
// needs (name, sex, birthday, e-mail, channel; text, first moment, recurrence, weekdays,
// on/off, sound). The program uses them until the full editors are plugged in through
// TMainWindowHooks. Both work on the record they are given (the main window hands a copy)
// and return true on OK.
class QWidget;

namespace orlinda {

class TIdentity;
class TReminder;

bool QuickEditIdentity(QWidget* parent, TIdentity& person, bool adding);
bool QuickEditReminder(QWidget* parent, TReminder& reminder, bool adding);

} // namespace orlinda
