// The main window with its project on a temporary data root: the first start's layout,
// the saved sort states and column layouts, rows following the lists, the answers to
// notifications and the dialogs they lead to, the second start, closing to the tray,
// spouse links, the balloons, the update check and the indicators.
#include "ModalHelper.h"

#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/OptionsList.h"
#include "model/HelpStore.h"
#include "model/NextAlarm.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "ui/AlphaDialog.h"
#include "ui/DemoData.h"
#include "ui/DlgNotifications.h"
#include "ui/FrameBar.h"
#include "ui/HtmlHelp.h"
#include "ui/ImageLists.h"
#include "ui/ListView.h"
#include "ui/MainWindow.h"
#include "platform/InstanceLock.h"
#include "ui/SingleInstance.h"
#include "ui/TarvellImage.h"
#include "ui/TrayIcon.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>
#include <unistd.h>

using namespace orlinda;
using orlinda::test::WhenModal;

namespace {

const TDateTime kNow = EncodeDateTime(2026, 3, 10, 10, 0, 0);

void Answer(const QString& caption)
{
    WhenModal([caption](QWidget* w) {
        auto* dialog = qobject_cast<TAlphaDialog*>(w);
        QVERIFY(dialog);
        for (QPushButton* b : dialog->Buttons())
            if (b->text() == caption) {
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
        QFAIL("no such button");
    });
}

// The text of the next message dialog, which is then closed.
void ReadMessage(QString* text)
{
    WhenModal([text](QWidget* w) {
        auto* dialog = qobject_cast<TAlphaDialog*>(w);
        QVERIFY(dialog);
        *text = dialog->TextLabel()->text();
        dialog->reject();
    });
}

std::unique_ptr<TIdentity> Person(const std::string& key, const std::u16string& name, TDateTime birthday = 0)
{
    auto p = std::make_unique<TIdentity>();
    p->FName = key;
    p->FDisplayName = name;
    p->FBirthday = birthday;
    return p;
}

std::unique_ptr<TReminder> Reminder(const std::string& key, const std::u16string& text, TDateTime start, int kind)
{
    auto r = std::make_unique<TReminder>();
    r->FName = key;
    r->FText = text;
    r->FStart = r->FNext = start;
    r->FEnabled = 1;
    r->FKind = kind;
    return r;
}

std::unique_ptr<THoliminder> Binding(const std::string& name, const std::u16string& title, TDateTime date,
                                     const std::u16string& names)
{
    auto b = std::make_unique<THoliminder>();
    b->FName = name;
    b->FTitle = title;
    b->FDate = date;
    b->FNames = names;
    return b;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    TFixedClock clock_{kNow, 1000};
    std::unique_ptr<QTemporaryDir> root_;
    TMainWindowHooks hooks_;

    std::unique_ptr<TfrmMain> MakeWindow(TSingleInstance* instance = nullptr)
    {
        TfrmMain::TOptions o;
        o.files = TProjectFiles::FromAppPaths();
        o.hooks = hooks_;
        o.instance = instance;
        o.trayIcon = false;
        return std::make_unique<TfrmMain>(std::move(o));
    }

    void WriteHelp()
    {
        std::vector<THelpTopic> topics;
        THelpTopic start;
        start.id = 1;
        start.name = "start";
        start.title = u"Orlinda";
        start.pageName = "index.htm";
        start.treePath = "start";
        start.content = "<p>Orlinda {{Version}}</p>";
        THelpTopic notify = start;
        notify.id = 2;
        notify.name = "notify";
        notify.pageName = "dlg_notify.htm";
        notify.treePath = "start/notify";
        notify.content = "<p>Notification help</p>";
        topics = {start, notify};
        QFile f(QString::fromStdString(AppPaths().HelpFile));
        QVERIFY(f.open(QIODevice::WriteOnly));
        const std::string bytes = BuildHelpFile(topics);
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

private slots:
    void init()
    {
        clock_.Set(kNow);
        clock_.SetTick(1000);
        SetClock(&clock_);
        root_ = std::make_unique<QTemporaryDir>();
        SetDataRoot(root_->path().toStdString());
        CreateFolders();
        Settings().Clear();
        LoadSettings();
        hooks_ = {};
        WriteHelp();
    }

    void cleanup()
    {
        SetClock(nullptr);
        Settings().Clear();
        SetDataRoot("");
        root_.reset();
    }

    void firstStartMaximizesFitsAndWritesTheLayout()
    {
        auto w = MakeWindow();
        QVERIFY(Settings().GetValue(SettingsKey::Layout).empty());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(w->LayoutRestored());
        QVERIFY(w->isMaximized());
        const std::string layout = Settings().GetValue(SettingsKey::Layout);
        QVERIFY(layout.rfind("M|", 0) == 0);
        // Written at once, into the file too.
        TOptionsList saved;
        saved.LoadFromFile(AppPaths().ConfigFile);
        QCOMPARE(saved.GetValue(SettingsKey::Layout), layout);
        QTest::qWait(20);
        // The columns fit the list; the holiday list sorts by its days, nearest first.
        TListView* people = w->PeopleView();
        QCOMPARE(people->columnWidth(0), AutoFitWidths(TListKind::People, w->Pages()->width())[0]);
        QCOMPARE(FormatSortState(w->HolidaysView()->SortState()), std::string("-4"));
    }

    void headerClicksSaveTheSortStateAndLayoutComesBack()
    {
        {
            auto w = MakeWindow();
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            w->HolidaysView()->HeaderClicked(col::HolidayDays);
            QCOMPARE(Settings().GetValue(SettingsKey::HolidaysSort), std::string("4"));
            w->HolidaysView()->HeaderClicked(col::HolidayDate);
            QCOMPARE(Settings().GetValue(SettingsKey::HolidaysSort), std::string("-3"));
            w->RemindersView()->header()->moveSection(1, 0);
            w->RemindersView()->setColumnWidth(0, 333);
        } // destroyed: the column layouts are written
        QCOMPARE(Settings().GetValue(SettingsKey::RemindersOrder), std::string("2,1,3"));
        TOptionsList saved;
        saved.LoadFromFile(AppPaths().ConfigFile);
        QCOMPARE(saved.GetValue(SettingsKey::HolidaysSort), std::string("-3"));
        auto again = MakeWindow();
        again->show();
        QVERIFY(QTest::qWaitForWindowExposed(again.get()));
        QCOMPARE(FormatSortState(again->HolidaysView()->SortState()), std::string("-3"));
        QCOMPARE(again->RemindersView()->header()->visualIndex(1), 0);
        QCOMPARE(again->RemindersView()->columnWidth(0), 333);
    }

    void aWindowNeverShownKeepsTheSavedLayout()
    {
        Settings().SetValue(SettingsKey::Layout, "|10|20|710|605");
        { auto w = MakeWindow(); } // started in the tray and ended there
        QCOMPARE(Settings().GetValue(SettingsKey::Layout), std::string("|10|20|710|605"));
    }

    void rowsFollowTheListsAndTheFilesAreSaved()
    {
        auto w = MakeWindow();
        TProject& p = w->Project();
        p.Identities().Add(Person("K1", u"Анна Смирнова", EncodeDate(1990, 3, 12)));
        QCOMPARE(w->PeopleView()->Proxy()->rowCount(), 1);
        // A person added by hand is selected, and users.dat is written.
        QCOMPARE(w->PeopleView()->SelectedRecord(), static_cast<TNamedObject*>(p.Identities().Get(0)));
        QVERIFY(QFile::exists(QString::fromStdString(AppPaths().UsersFile)));
        // The birthday in two days makes a binding on the holiday list.
        QCOMPARE(w->HolidaysView()->Proxy()->rowCount(), 1);
        p.Identities().Delete(0);
        QCOMPARE(w->PeopleView()->Proxy()->rowCount(), 0);
        QCOMPARE(w->HolidaysView()->Proxy()->rowCount(), 0);
        TIdentityList reread;
        reread.LoadFromFile(AppPaths().UsersFile);
        QCOMPARE(reread.Count(), 0);
    }

    void answersToReminderNotifications()
    {
        TReminder* edited = nullptr;
        hooks_.editReminder = [&](QWidget*, TReminder& r, bool adding) {
            edited = &r;
            Q_UNUSED(adding);
            r.FText = u"изменено";
            return true;
        };
        auto w = MakeWindow();
        TProject& p = w->Project();
        p.Reminders().Add(Reminder("R1", u"Позвонить", kNow - 1.0 / 24, ReminderDaily));
        TReminder* r = p.Reminders().Get(0);
        r->FNext = kNow - 1.0 / 24; // due an hour ago
        w->ScanTimerTick();
        TdlgNotifications& n = w->Notifications();
        QVERIFY(!n.Available());
        QCOMPARE(n.CurrentID(), r->FID);

        // "ОК": on to tomorrow's occurrence.
        QVERIFY(w->OnNotificationAction(r->FID, 2));
        QVERIFY(std::abs(r->FNext - EncodeDateTime(2026, 3, 11, 9, 0, 0)) < 1e-7);
        // "Отключить".
        QVERIFY(w->OnNotificationAction(r->FID, 4));
        QCOMPARE(r->FEnabled, 0);
        // "Через 30 минут".
        QVERIFY(w->OnNotificationAction(r->FID, 130));
        QVERIFY(std::abs(r->FNext - (kNow + 30.0 / 1440)) < 1e-7);
        // "Помощь...": the help page, and the window stays.
        QVERIFY(!w->OnNotificationAction(r->FID, 6));
        QCOMPARE(w->CurrentPage(), int(TfrmMain::PageHelp));
        QVERIFY(w->Help().ShownTopic());
        QCOMPARE(w->Help().ShownTopic()->FPageName, std::string("dlg_notify.htm"));
        // "Редактировать...": the dialog timer opens the editor on a copy.
        QVERIFY(w->OnNotificationAction(r->FID, 3));
        QCOMPARE(w->PendingReminderEdit(), std::optional<int32_t>(r->FID));
        QCOMPARE(w->DialogTimerInterval(), 50);
        w->DialogTimerTick();
        QVERIFY(edited && edited != r);
        QCOMPARE(r->FText, std::u16string(u"изменено"));
        QVERIFY(!w->PendingReminderEdit());
        QVERIFY(!p.DialogOpen());
        // "Удалить...": "Нет" keeps the reminder and the window, "Да" deletes it.
        Answer(QStringLiteral("Нет"));
        QVERIFY(!w->OnNotificationAction(r->FID, 5));
        QCOMPARE(p.Reminders().Count(), 1);
        const int32_t id = r->FID;
        Answer(QStringLiteral("Да"));
        QVERIFY(w->OnNotificationAction(id, 5));
        QCOMPARE(p.Reminders().Count(), 0);
        QCOMPARE(w->RemindersView()->Proxy()->rowCount(), 0);
        TReminderList reread;
        reread.LoadFromFile(AppPaths().RemindersFile);
        QCOMPARE(reread.Count(), 0);
    }

    void answersToHolidayNotificationsAndTheCongratulateFlow()
    {
        int chooserResult = chooser::Queued;
        int chooserCalls = 0;
        hooks_.chooseGreetings = [&](QWidget*, THoliminder&) {
            ++chooserCalls;
            return chooserResult;
        };
        auto w = MakeWindow();
        TProject& p = w->Project();
        p.Bindings().Add(Binding("1", u"День рождения", DateOf(kNow) + 2, u"Анна"));
        THoliminder* b = p.Bindings().Get(0);
        b->FNotifyAt = DateOf(kNow);
        // "ОК" before the day: once more on the day itself.
        QVERIFY(w->OnNotificationAction(b->FID, 7));
        QCOMPARE(b->FNotifyAt, b->FDate);
        // On the day "Поздравить...": the chooser through the dialog timer.
        clock_.Set(b->FDate + 0.4);
        QVERIFY(w->OnNotificationAction(b->FID, 8));
        QCOMPARE(b->FNotifyAt, 0.0);
        QVERIFY(w->PendingCongratulation());
        w->DialogTimerTick();
        QCOMPARE(chooserCalls, 1);
        QCOMPARE(w->Tray().LastBalloon().text,
                 QStringLiteral("Поздравления добавлены в очередь и сейчас будут отправлены"));
        QCOMPARE(w->Tray().LastBalloon().icon, QSystemTrayIcon::Information);
        QCOMPARE(w->Tray().LastBalloon().seconds, 10);

        // The other results of the chooser.
        chooserResult = chooser::NoTexts;
        w->Congratulate(b);
        QCOMPARE(w->Tray().LastBalloon().title, QStringLiteral("Предупреждение"));
        QCOMPARE(w->Tray().LastBalloon().icon, QSystemTrayIcon::Warning);
        chooserResult = chooser::NobodyToGreet;
        QString message;
        ReadMessage(&message);
        w->Congratulate(b);
        QCOMPARE(message, QStringLiteral("Вы не указали, кого нужно поздравлять с данным праздником"));
        chooserResult = chooser::OpenSettings;
        w->Congratulate(b);
        QCOMPARE(w->CurrentPage(), int(TfrmMain::PagePreferences) + int(PrefGeneral));
        // "ОК" on the day: no more notifications for it.
        b->FNotifyAt = b->FDate;
        QVERIFY(w->OnNotificationAction(b->FID, 7));
        QCOMPARE(b->FNotifyAt, 0.0);
    }

    void withoutAChooserTheFlowSaysSo()
    {
        auto w = MakeWindow();
        w->Project().Bindings().Add(Binding("1", u"День рождения", DateOf(kNow), u"Анна"));
        QString message;
        ReadMessage(&message);
        w->Congratulate(w->Project().Bindings().Get(0));
        QCOMPARE(message, QStringLiteral("Это окно не входит в эту версию программы."));
    }

    void recipientsOnlyForCalendarHolidays_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("birthday") << "1" << false;
        QTest::newRow("wedding") << "2" << false;
        QTest::newRow("not a number") << "abc" << false;
        QTest::newRow("a holiday") << "15" << true;
    }

    void recipientsOnlyForCalendarHolidays()
    {
        QFETCH(QString, key);
        QFETCH(bool, enabled);
        auto w = MakeWindow();
        w->Project().Bindings().Add(Binding(key.toStdString(), u"x", DateOf(kNow) + 1, u"Анна"));
        QVERIFY(w->HolidaysView()->SelectRecord(w->Project().Bindings().Get(0)));
        w->UpdateActions();
        QCOMPARE(w->ActionRecipients()->isEnabled(), enabled);
    }

    void spouseLinks()
    {
        std::string spouseToName;
        hooks_.editIdentity = [&](QWidget*, TIdentity& person, bool) {
            person.FDisplayName = u"Новый";
            person.FSpouse = spouseToName;
            return true;
        };
        auto w = MakeWindow();
        TIdentityList& people = w->Project().Identities();
        people.Add(Person("B", u"Борис"));
        people.Add(Person("C", u"Вера"));
        people.FindByName("B")->FSpouse = "C";
        people.FindByName("C")->FSpouse = "B";
        // A new person married to Борис: Борис is linked to the new one, Вера loses him.
        spouseToName = "B";
        w->AddPerson();
        QCOMPARE(people.Count(), 3);
        TIdentity* added = people.Get(2);
        QCOMPARE(people.FindByName("B")->FSpouse, added->FName);
        QCOMPARE(people.FindByName("C")->FSpouse, std::string());
        // Edited to marry Вера instead: Борис loses the link, Вера gets it.
        spouseToName = "C";
        w->EditPerson(added);
        QCOMPARE(added->FSpouse, std::string("C"));
        QCOMPARE(people.FindByName("C")->FSpouse, added->FName);
        QCOMPARE(people.FindByName("B")->FSpouse, std::string());
    }

    void deletingAPersonAsksFirst()
    {
        auto w = MakeWindow();
        w->Project().Identities().Add(Person("A", u"Анна"));
        Answer(QStringLiteral("Нет"));
        w->DeletePerson();
        QCOMPARE(w->Project().Identities().Count(), 1);
        Answer(QStringLiteral("Да"));
        w->DeletePerson();
        QCOMPARE(w->Project().Identities().Count(), 0);
    }

    void aSecondStartBringsTheWindowOutOfTheTray()
    {
        const std::string lock = "OrlindaWindowTest-" + std::to_string(::getpid());
        TSingleInstance guard(lock, lock + "_Mapping");
        QCOMPARE(guard.Run({}), TSingleInstance::TResult::Primary);
        auto w = MakeWindow(&guard);
        QVERIFY(!w->isVisible());
        TSingleInstance second(lock, lock + "_Mapping");
        TSingleInstance::TTimings t;
        t.messagePollMs = 1;
        t.messagePolls = 5;
        second.SetTimings(t);
        QCOMPARE(second.Run({}), TSingleInstance::TResult::Forwarded);
        w->DialogTimerTick();
        QVERIFY(w->isVisible());
        ::unlink(TInstanceLock::LockFilePath(lock).c_str());
    }

    void closingHidesToTheTray()
    {
        auto w = MakeWindow();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(Settings().GetBool(SettingsKey::CloseToTray));
        QVERIFY(!w->close());
        QVERIFY(!w->isVisible());
        w->ShowFromTray();
        QVERIFY(w->isVisible());
        Settings().SetBool(SettingsKey::CloseToTray, false);
        QVERIFY(w->close());
    }

    void todayBalloon_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("text");
        QTest::newRow("nobody today") << QStringList{} << "<Сегодня нет ни одного праздника>";
        QTest::newRow("a short line keeps the names") << QStringList{"Анна", "Борис"} << "День рождения (Анна, Борис)";
        QStringList six, many;
        for (int i = 0; i < 6; ++i)
            six << QStringLiteral("Человек %1").arg(i);
        for (int i = 0; i < 22; ++i)
            many << QStringLiteral("Человек %1").arg(i);
        QTest::newRow("six people") << six << "День рождения (6 человек)";
        QTest::newRow("twenty-two people") << many << "День рождения (22 человека)";
    }

    void todayBalloon()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, text);
        THoliminderList list;
        list.Add(Binding("1", u"День рождения", names.isEmpty() ? DateOf(kNow) + 1 : DateOf(kNow),
                         names.join(QStringLiteral(", ")).toStdU16String()));
        const TTodayBalloon b = TodayBalloon(list, kNow);
        QCOMPARE(b.title, QStringLiteral("Сегодня отмечают:"));
        QCOMPARE(b.text, text);
    }

    void theUpdateCheckComesTenMinutesAfterTheStartOncePerDay()
    {
        int checks = 0;
        hooks_.checkForUpdates = [&] { ++checks; };
        auto w = MakeWindow();
        w->DialogTimerTick();
        QCOMPARE(checks, 0);
        clock_.SetTick(1000 + 600000);
        w->DialogTimerTick();
        QCOMPARE(checks, 1);
        QCOMPARE(w->UpdateCheckDue(), 0u);
        QVERIFY(!Settings().GetValue(SettingsKey::LastUpdateCheck).empty());
        // Not again on the same day, but the next.
        w->CheckForUpdates();
        QCOMPARE(checks, 1);
        clock_.Set(kNow + 1.1);
        w->CheckForUpdates();
        QCOMPARE(checks, 2);
        Settings().SetBool(SettingsKey::CheckForUpdates, false);
        clock_.Set(kNow + 5);
        w->CheckForUpdates();
        QCOMPARE(checks, 2);
    }

    void theSendingIndicatorAndItsBalloons()
    {
        auto w = MakeWindow();
        QVERIFY(!w->AnimationTimerActive());
        w->Project().FErrors.push_back("old");
        w->GreetingStarted();
        QVERIFY(w->SendingIndicator()->AnimationEnabled());
        QVERIFY(w->Project().FErrors.empty()); // a new run starts clean
        QVERIFY(w->AnimationTimerActive());
        w->Project().FErrors.push_back("[anna@example.org] 550 No such user");
        w->Project().FLastErrorChannel = 0;
        w->QueueDone();
        QVERIFY(!w->SendingIndicator()->AnimationEnabled());
        QCOMPARE(w->Tray().LastBalloon().target, int(BalloonMailSettings));
        QCOMPARE(w->Tray().LastBalloon().seconds, 20);
        QVERIFY(w->Tray().LastBalloon().text.contains(QStringLiteral("[anna@example.org] 550 No such user")));
        // The idle program stops its animation timer.
        w->AnimationTimerTick();
        QVERIFY(!w->AnimationTimerActive());
        // Once per run: a second "done" while hidden says nothing.
        const int balloons = w->Tray().LastBalloon().count;
        w->QueueDone();
        QCOMPARE(w->Tray().LastBalloon().count, balloons);
        w->BalloonClicked(BalloonMailSettings);
        QCOMPARE(w->CurrentPage(), int(TfrmMain::PagePreferences) + int(PrefMail));
    }

    void theDemoShowsListsAndANotificationWithinAMinute()
    {
        QVERIFY(WriteDemoData(kNow));
        auto w = MakeWindow();
        TProject& p = w->Project();
        QVERIFY(p.Identities().Count() >= 5);
        QCOMPARE(w->PeopleView()->Proxy()->rowCount(), p.Identities().Count());
        QVERIFY(w->RemindersView()->Proxy()->rowCount() >= 5);
        // Birthdays in the coming days: on the holiday list, and today's is due at once.
        QVERIFY(w->HolidaysView()->Proxy()->rowCount() >= 3);
        w->ScanTimerTick();
        QVERIFY(!w->Notifications().Available());
        QCOMPARE(w->Notifications().CloseCode(), 7);
        QVERIFY(w->OnNotificationAction(w->Notifications().CurrentID(), 7));
        w->Notifications().CloseNotification();
        for (int i = 0; i < 20 && !w->Notifications().Available(); ++i)
            w->Notifications().TimerStep();
        // A minute later the reminder comes up.
        clock_.Set(kNow + 61.0 / 86400);
        w->ScanTimerTick();
        QVERIFY(!w->Notifications().Available());
        QCOMPARE(w->Notifications().CloseCode(), 2);
    }

    void shutDownWritesTheLayout()
    {
        auto w = MakeWindow();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->showNormal();
        w->setGeometry(50, 60, 700, 600);
        QTest::qWait(20);
        w->SystemShutdown();
        QVERIFY(w->ReallyClosing());
        TOptionsList saved;
        saved.LoadFromFile(AppPaths().ConfigFile);
        QVERIFY(!saved.GetValue(SettingsKey::IdentitiesOrder).empty());
        QVERIFY(!saved.GetValue(SettingsKey::Layout).empty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_MainWindow.moc"
