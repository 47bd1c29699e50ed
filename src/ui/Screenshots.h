#pragma once
// Pictures of the program's windows for the README: the main window on each list and on
// the help, the notification window and a message dialog, written as PNG files into a
// folder, one after the other, after which the program ends. scripts/screenshots.sh runs
// the demo with it under Xvfb.
#include <QString>

namespace orlinda {

class TfrmMain;

// Starts the sequence; the files are main-people.png, main-reminders.png,
// main-holidays.png, main-help.png, notification-reminder.png, notification-holiday.png
// and dialog-confirm.png.
void StartScreenshots(TfrmMain& window, const QString& folder);

} // namespace orlinda
