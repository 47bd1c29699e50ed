#include "ui/Screenshots.h"

#include "model/Holiminder.h"
#include "model/NotificationTexts.h"
#include "model/Reminder.h"
#include "ui/AlphaDialog.h"
#include "ui/DlgNotifications.h"
#include "ui/FrameBar.h"
#include "ui/ListView.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPointer>
#include <QStackedWidget>
#include <QTimer>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace orlinda {

namespace {

struct TShot {
    int delayMs;
    std::function<void()> action;
};

void Save(QWidget* widget, const QString& file)
{
    widget->grab().save(file, "PNG");
}

void RunSteps(std::shared_ptr<std::vector<TShot>> steps, size_t index)
{
    if (index >= steps->size()) {
        QCoreApplication::quit();
        return;
    }
    QTimer::singleShot((*steps)[index].delayMs, qApp, [steps, index] {
        (*steps)[index].action();
        RunSteps(steps, index + 1);
    });
}

} // namespace

void StartScreenshots(TfrmMain& w, const QString& folder)
{
    QDir().mkpath(folder);
    QPointer<TfrmMain> window(&w);
    auto file = [folder](const char* name) { return QDir(folder).filePath(QString::fromLatin1(name)); };
    auto steps = std::make_shared<std::vector<TShot>>();
    auto page = [window](int entry, int pageIndex) {
        if (!window)
            return;
        window->Bar()->Expand(entry);
        window->EntryClicked(entry);
        if (pageIndex >= 0)
            window->ShowPage(pageIndex);
    };
    steps->push_back({800, [window] {
                          if (!window)
                              return;
                          window->setWindowState(Qt::WindowNoState);
                          window->resize(900, 640);
                          window->ShowFromTray();
                          for (TListView* v : {window->PeopleView(), window->RemindersView(), window->HolidaysView()})
                              v->AutoFit(window->Pages()->width());
                      }});
    steps->push_back({500, [page] { page(TfrmMain::EntryPeople, TfrmMain::PagePeople); }});
    steps->push_back({400, [window, file] { if (window) Save(window, file("main-people.png")); }});
    steps->push_back({100, [page] { page(TfrmMain::EntryReminders, TfrmMain::PageReminders); }});
    steps->push_back({400, [window, file] { if (window) Save(window, file("main-reminders.png")); }});
    steps->push_back({100, [page] { page(TfrmMain::EntryHolidays, TfrmMain::PageHolidays); }});
    steps->push_back({400, [window, file] { if (window) Save(window, file("main-holidays.png")); }});
    steps->push_back({100, [page] { page(TfrmMain::EntryHelp, TfrmMain::PageHelp); }});
    steps->push_back({600, [window, file] { if (window) Save(window, file("main-help.png")); }});
    // The notifications: a reminder with its snooze menu button, then a holiday.
    steps->push_back({100, [window] {
                          if (!window)
                              return;
                          window->Notifications().CloseNotification();
                          TReminderList& list = window->Project().Reminders();
                          if (list.Count() > 0)
                              window->Project().ShowReminderNotification(list.Get(0));
                      }});
    steps->push_back({1200, [window, file] {
                          if (window)
                              Save(&window->Notifications(), file("notification-reminder.png"));
                      }});
    steps->push_back({100, [window] {
                          if (!window)
                              return;
                          TdlgNotifications& n = window->Notifications();
                          n.CloseNotification();
                          for (int i = 0; i < 20 && !n.Available(); ++i)
                              n.TimerStep();
                          THoliminderList& bindings = window->Project().Bindings();
                          for (int i = 0; i < bindings.Count(); ++i) {
                              if (!bindings.Get(i)->FNames.empty()) {
                                  window->Project().ShowHolidayNotification(bindings.Get(i));
                                  break;
                              }
                          }
                      }});
    steps->push_back({1200, [window, file] {
                          if (window)
                              Save(&window->Notifications(), file("notification-holiday.png"));
                      }});
    steps->push_back({100, [window, file] {
                          if (!window)
                              return;
                          window->Notifications().CloseNotification();
                          TAlphaDialog dialog(window);
                          dialog.Prepare(DialogCaptions().confirm,
                                         QString::fromUtf16(notify::kConfirmDeleteReminder), DialogConfirmation,
                                         QStringLiteral("Да|Нет"));
                          QTimer::singleShot(700, &dialog, [&dialog, file] {
                              Save(&dialog, file("dialog-confirm.png"));
                              dialog.done(0);
                          });
                          dialog.exec();
                      }});
    RunSteps(steps, 0);
}

} // namespace orlinda
