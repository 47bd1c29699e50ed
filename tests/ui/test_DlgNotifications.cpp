// The notification window: button specs, the fade and growth steps, the placement at
// each panel edge, the buttons and snooze menu the project's events give, the sound with
// its repeat count and pause, the answers, and the WAV duration.
#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/OptionsList.h"
#include "model/NextAlarm.h"
#include "model/Project.h"
#include "model/SnoozeMenu.h"
#include "ui/DlgNotifications.h"
#include "ui/SoundPlayer.h"
#include "ui/TaskBar.h"

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>
#include <stdexcept>

using namespace orlinda;

namespace {

struct TFakePlayer : TSoundPlayer {
    int* plays;
    int* stops;
    TFakePlayer(int* p, int* s) : plays(p), stops(s) {}
    void Play(const QString&) override { ++*plays; }
    void Stop() override { ++*stops; }
};

// A canonical 44-byte WAV header with the given byte rate and data size.
QByteArray WavHeader(uint32_t byteRate, uint32_t dataSize)
{
    QByteArray h(44, '\0');
    auto put = [&h](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    h.replace(0, 4, "RIFF");
    put(4, 36 + dataSize);
    h.replace(8, 8, "WAVEfmt ");
    put(16, 16);
    h[20] = 1;
    h[22] = 1;
    put(24, byteRate);
    put(28, byteRate);
    h[32] = 1;
    h[34] = 8;
    h.replace(36, 4, "data");
    put(40, dataSize);
    return h;
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

// A screen of 1920 x 1080 with the panel inset at one edge.
std::function<void(TTaskBar&)> Panel(int edge)
{
    return [edge](TTaskBar& tb) {
        TScreenArea s;
        s.Geometry = {0, 0, 1920, 1080};
        s.Available = s.Geometry;
        switch (edge) {
        case TTaskBar::EdgeLeft: s.Available.Left = 48; break;
        case TTaskBar::EdgeTop: s.Available.Top = 32; break;
        case TTaskBar::EdgeRight: s.Available.Right = 1920 - 48; break;
        default: s.Available.Bottom = 1080 - 40; break;
        }
        tb.Refresh({s}, 0);
    };
}

TNotification ReminderNotice(int id, const std::string& sound = "")
{
    TNotification n;
    n.FID = id;
    n.Caption = u"Напоминание";
    n.Text = u"<font size=+1>Позвонить</font>";
    n.CloseCode = 2;
    n.Sound = sound;
    n.Buttons = {u"2|15|ОК", u"4|24|Отключить", u"3|14|Редактировать...", u"5|16|Удалить...", u"6|26|Помощь..."};
    return n;
}

// Codes of the entries shown by a menu, submenus after their parent.
QList<int> MenuCodes(const QMenu& menu)
{
    QList<int> codes;
    for (QAction* a : menu.actions()) {
        if (a->isSeparator() || !a->isVisible())
            continue;
        codes << a->data().toInt();
        if (a->menu())
            codes << MenuCodes(*a->menu());
    }
    return codes;
}

void RunFadeIn(TdlgNotifications& w)
{
    for (int i = 0; i < 20 && w.FadingIn(); ++i)
        w.TimerStep();
}

} // namespace

class TestDlgNotifications : public QObject {
    Q_OBJECT

    TFixedClock clock_{EncodeDateTime(2026, 3, 10, 14, 30, 0), 50000};

    std::unique_ptr<TdlgNotifications> MakeWindow(int* plays = nullptr, int* stops = nullptr, int edge = 3)
    {
        auto w = std::make_unique<TdlgNotifications>();
        static int dummyPlays = 0, dummyStops = 0;
        w->SetSoundPlayer(std::make_unique<TFakePlayer>(plays ? plays : &dummyPlays, stops ? stops : &dummyStops));
        w->SetTaskBarReader(Panel(edge));
        return w;
    }

private slots:
    void init()
    {
        clock_.Set(EncodeDateTime(2026, 3, 10, 14, 30, 0));
        clock_.SetTick(50000);
        SetClock(&clock_);
    }
    void cleanup() { SetClock(nullptr); }

    void buttonSpecs_data()
    {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("image");
        QTest::addColumn<QString>("hint");
        QTest::newRow("reminder OK") << "2|15|ОК" << 2 << 15 << "ОК";
        QTest::newRow("snooze") << "1|17|Напомнить позже..." << 1 << 17 << "Напомнить позже...";
        QTest::newRow("not numbers") << "x|y|z" << -1 << -1 << "z";
        QTest::newRow("code only") << "7" << 7 << -1 << "";
        QTest::newRow("empty") << "" << -1 << -1 << "";
    }

    void buttonSpecs()
    {
        QFETCH(QString, spec);
        const TButtonSpec s = ParseButtonSpec(spec.toStdU16String());
        QTEST(s.code, "code");
        QTEST(s.image, "image");
        QTEST(s.hint, "hint");
    }

    void fadeAndGrowthSteps()
    {
        QList<int> in;
        for (int o = 0; o != 255;) {
            o = FadeInStep(o);
            in << o;
        }
        QCOMPARE(in, (QList<int>{30, 60, 90, 120, 150, 180, 210, 240, 255}));
        QList<int> out;
        for (int o = 255; o != 0;) {
            o = FadeOutStep(o);
            out << o;
        }
        QCOMPARE(out, (QList<int>{225, 195, 165, 135, 105, 75, 45, 15, 0}));
        // The height starts at 10 % and follows the opacity as a percentage.
        QCOMPARE(NotificationHeight(160, 0), 16);
        QCOMPARE(NotificationHeight(160, 30), 19);    // 12 %
        QCOMPARE(NotificationHeight(160, 128), 80);   // 50 %
        QCOMPARE(NotificationHeight(160, 240), 150);  // 94 %
        QCOMPARE(NotificationHeight(160, 255), 160);
    }

    void placementAtEachPanelEdge_data()
    {
        QTest::addColumn<int>("edge");
        QTest::addColumn<QRect>("start");  // at 10 %
        QTest::addColumn<QRect>("shown");
        QTest::newRow("bottom") << 3 << QRect(1620, 1040 - 16, 300, 16) << QRect(1620, 880, 300, 160);
        // Below the panel at the right edge, growing downwards.
        QTest::newRow("top") << 1 << QRect(1620, 32, 300, 16) << QRect(1620, 32, 300, 160);
        QTest::newRow("left") << 0 << QRect(48, 1080 - 16, 300, 16) << QRect(48, 920, 300, 160);
        QTest::newRow("right") << 2 << QRect(1872 - 300, 1080 - 16, 300, 16) << QRect(1572, 920, 300, 160);
    }

    void placementAtEachPanelEdge()
    {
        QFETCH(int, edge);
        QFETCH(QRect, start);
        QFETCH(QRect, shown);
        auto w = MakeWindow(nullptr, nullptr, edge);
        QVERIFY(!w->ShowNotification(ReminderNotice(1)));
        QCOMPARE(w->geometry(), start);
        RunFadeIn(*w);
        QVERIFY(w->FullyShown());
        QCOMPARE(w->geometry(), shown);
        QCOMPARE(w->Opacity(), 255);
    }

    void showCloseAndBusy()
    {
        auto w = MakeWindow();
        QVERIFY(w->Available());
        QVERIFY(!w->ShowNotification(ReminderNotice(5)));
        QVERIFY(!w->Available());
        QCOMPARE(w->CurrentID(), 5);
        QCOMPARE(w->Header()->text(), QStringLiteral(" Напоминание"));
        QVERIFY(w->TimerActive());
        // Busy: a second event waits for a later scan.
        QVERIFY(w->ShowNotification(ReminderNotice(6)));
        QCOMPARE(w->CurrentID(), 5);
        // Closed while coming up: it fades out from where it was.
        w->TimerStep();
        w->TimerStep();
        QCOMPARE(w->Opacity(), 60);
        w->CloseNotification();
        QVERIFY(w->FadingOut());
        QVERIFY(!w->FadingIn());
        w->TimerStep();
        QCOMPARE(w->Opacity(), 30);
        w->TimerStep();
        QCOMPARE(w->Opacity(), 0);
        QVERIFY(w->Available());
        QVERIFY(!w->isVisible());
        QVERIFY(!w->TimerActive());
    }

    void answersReachTheHandler()
    {
        auto w = MakeWindow();
        QList<QPair<int, int>> calls;
        bool keep = false;
        bool raise = false;
        w->OnAction = [&](int32_t id, int code) {
            calls << qMakePair(static_cast<int>(id), code);
            if (raise)
                throw std::runtime_error("handler failed");
            return !keep;
        };
        w->ShowNotification(ReminderNotice(9));
        RunFadeIn(*w);
        QCOMPARE(w->ActionCode(0), 2);
        QCOMPARE(w->ActionButton(4)->toolTip(), QStringLiteral("Помощь..."));
        // "Помощь..." answered false: the window stays.
        keep = true;
        w->ActionButton(4)->click();
        QCOMPARE(calls.last(), qMakePair(9, 6));
        QVERIFY(w->FullyShown());
        // Code 0 of a button reports nothing.
        w->ActionPressed(0);
        QCOMPARE(calls.size(), 1);
        // An exception in the handler closes the window.
        raise = true;
        w->ClosePressed();
        QCOMPARE(calls.last(), qMakePair(9, 2)); // the close code
        QVERIFY(w->FadingOut());
    }

    void buttonsAndSnoozeMenuOfTheProjectsEvents()
    {
        QTemporaryDir dir;
        TOptionsList settings;
        TProject project(TProjectFiles::InFolder(dir.path().toStdString()), {}, &settings);
        TSnoozeMenu snooze;
        project.SetDelayMenu(&snooze);
        auto w = MakeWindow();
        project.SetNotificationWindow(w.get());

        auto reminder = std::make_unique<TReminder>();
        reminder->FName = "R1";
        reminder->FText = u"Позвонить";
        reminder->FStart = reminder->FNext = Now() - 0.01;
        reminder->FEnabled = 1;
        reminder->FKind = ReminderOnce;
        project.Reminders().Add(std::move(reminder));
        TReminder* r = project.Reminders().Get(0);
        r->FNext = Now() - 0.01;

        // At 14:30 "После обеда" of today is gone, "Вечером" is there.
        project.ScanTick();
        QVERIFY(!w->Available());
        QCOMPARE(w->CurrentID(), r->FID);
        QList<int> codes;
        for (int i = 0; i < 5; ++i)
            codes << w->ActionCode(i);
        QCOMPARE(codes, (QList<int>{2, 4, 3, 5, 6}));
        QVERIFY(w->MenuButton()->isVisibleTo(w.get()));
        QCOMPARE(w->MenuButton()->toolTip(), QStringLiteral("Напомнить позже..."));
        QList<int> menu = MenuCodes(*w->Menu());
        QVERIFY(!menu.contains(170));
        QVERIFY(menu.contains(180));
        QVERIFY(menu.contains(220) && menu.contains(340) && menu.contains(800));
        w->CloseNotification();
        RunFadeIn(*w);
        for (int i = 0; i < 10 && !w->Available(); ++i)
            w->TimerStep();

        // At 16:00 both are gone; a daily reminder has no "Завтра", "Послезавтра", week or month.
        clock_.Set(EncodeDateTime(2026, 3, 10, 16, 0, 0));
        r->FKind = ReminderDaily;
        project.ShowReminderNotification(r);
        menu = MenuCodes(*w->Menu());
        QCOMPARE(menu, (QList<int>{100, 110, 130, 160}));
        w->CloseNotification();
        for (int i = 0; i < 10 && !w->Available(); ++i)
            w->TimerStep();

        // A holiday before its day: OK and help; on the day "Поздравить..." comes first.
        auto binding = std::make_unique<THoliminder>();
        binding->FName = "1";
        binding->FTitle = u"День рождения";
        binding->FDate = DateOf(Now()) + 2;
        binding->FNames = u"Анна";
        project.Bindings().Add(std::move(binding));
        THoliminder* b = project.Bindings().Get(0);
        project.ShowHolidayNotification(b);
        QVERIFY(!w->MenuButton()->isVisibleTo(w.get()));
        QCOMPARE(w->CloseCode(), 7);
        QCOMPARE((QList<int>{w->ActionCode(0), w->ActionCode(1)}), (QList<int>{7, 9}));
        QVERIFY(!w->ActionButton(2)->isVisibleTo(w.get()));
        w->CloseNotification();
        for (int i = 0; i < 10 && !w->Available(); ++i)
            w->TimerStep();
        clock_.Set(b->FDate + 0.5);
        project.ShowHolidayNotification(b);
        QCOMPARE((QList<int>{w->ActionCode(0), w->ActionCode(1), w->ActionCode(2)}), (QList<int>{8, 7, 9}));
        project.SetNotificationWindow(nullptr);
    }

    void soundRepeatsWithItsCountAndPause()
    {
        QTemporaryDir dir;
        // 800 bytes at 8000 bytes a second: 100 ms.
        const QString wav = WriteFile(dir, "ring.wav", WavHeader(8000, 800) + QByteArray(800, '\x80'));
        int plays = 0, stops = 0;
        auto w = MakeWindow(&plays, &stops);
        const std::string path = wav.toStdString();

        // Three plays, a second's pause after each end.
        w->ShowNotification(ReminderNotice(1, "1|3|1|" + path));
        QCOMPARE(w->SoundDurationMs(), 100);
        QCOMPARE(plays, 1);
        RunFadeIn(*w);
        clock_.SetTick(50000 + 1099);
        w->TimerStep();
        QCOMPARE(plays, 1);
        clock_.SetTick(50000 + 1100);
        w->TimerStep();
        QCOMPARE(plays, 2);
        clock_.SetTick(50000 + 2200);
        w->TimerStep();
        QCOMPARE(plays, 3);
        clock_.SetTick(50000 + 3300);
        w->TimerStep();
        QCOMPARE(plays, 3);
        QVERIFY(!w->SoundRepeating());
        QVERIFY(!w->TimerActive());
        w->CloseNotification();
        for (int i = 0; i < 10 && !w->Available(); ++i)
            w->TimerStep();

        // Until answered: "Помощь..." stops it and the window stays.
        plays = 0;
        clock_.SetTick(60000);
        w->OnAction = [](int32_t, int code) { return code != 6; };
        w->ShowNotification(ReminderNotice(2, "1|0|0|" + path));
        for (int i = 1; i <= 5; ++i) {
            clock_.SetTick(60000 + 100 * i);
            w->TimerStep();
        }
        QCOMPARE(plays, 6);
        const int stopsBefore = stops;
        w->ActionPressed(6);
        QVERIFY(!w->SoundRepeating());
        QVERIFY(stops > stopsBefore);
        QVERIFY(!w->Available());
        clock_.SetTick(70000);
        w->TimerStep();
        QCOMPARE(plays, 6);
        w->CloseNotification();
        for (int i = 0; i < 10 && !w->Available(); ++i)
            w->TimerStep();

        // Switched off: nothing plays although the file is there.
        plays = 0;
        w->ShowNotification(ReminderNotice(3, "0|3|1|" + path));
        QCOMPARE(plays, 0);
        QVERIFY(!w->SoundRepeating());
        w->CloseNotification();
        for (int i = 0; i < 10 && !w->Available(); ++i)
            w->TimerStep();

        // A file deleted between plays ends the repetition.
        clock_.SetTick(80000);
        w->ShowNotification(ReminderNotice(4, "1|0|0|" + path));
        QCOMPARE(plays, 1);
        QFile::remove(wav);
        clock_.SetTick(80200);
        w->TimerStep();
        QCOMPARE(plays, 1);
        QVERIFY(!w->SoundRepeating());
    }

    void wavDuration_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("ms");
        QTest::newRow("one second") << WavHeader(44100 * 2, 44100 * 2) << 1000;
        QTest::newRow("2.5 seconds") << WavHeader(1000, 2500) << 2500000 / 1000;
        QTest::newRow("half a millisecond rounds to even (0)") << WavHeader(2000, 1) << 0;
        QTest::newRow("1.5 ms rounds to even (2)") << WavHeader(2000, 3) << 2;
        QTest::newRow("byte rate 0") << WavHeader(0, 100) << -1;
        QTest::newRow("shorter than the header") << WavHeader(8000, 800).left(43) << -1;
    }

    void wavDuration()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        QTEST(WavDurationMs(WriteFile(dir, "x.wav", bytes)), "ms");
        QCOMPARE(WavDurationMs(dir.filePath("missing.wav")), -1);
    }
};

QTEST_MAIN(TestDlgNotifications)
#include "test_DlgNotifications.moc"
