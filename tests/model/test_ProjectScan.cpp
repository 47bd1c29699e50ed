// The event scan, what the notification window is handed, and the user's answers.
#include "ProjectFixture.h"

#include "model/NotificationTexts.h"

using namespace orlinda;
using namespace orlinda::test;

namespace {

class ScanTest : public ProjectTest {
protected:
    ScanTest() : ProjectTest(At(2026, 3, 2, 9, 5)) {} // Monday 2 March 2026, 09:05

    TReminder* AddReminder(const std::u16string& text, TDateTime start, int kind = ReminderOnce)
    {
        auto r = Reminder(text, start, kind);
        TReminder* raw = r.get();
        P().Reminders().Add(std::move(r));
        // Shown as due: the moment is now or earlier.
        raw->FNext = start;
        return raw;
    }
    THoliminder* AddBinding(TDateTime date, const std::u16string& names, TDateTime notifyAt)
    {
        auto b = std::make_unique<THoliminder>();
        b->FName = "1";
        b->FTitle = u"День рождения";
        b->FDate = date;
        b->FNotifyAt = notifyAt;
        b->FNames = names;
        THoliminder* raw = b.get();
        P().Bindings().Add(std::move(b));
        return raw;
    }
    int32_t ShownID() const { return window_.Last() ? window_.Last()->FID : -1; }
};

TEST_F(ScanTest, TimerRunsFiveSecondsThenFifteen)
{
    EXPECT_EQ(P().TimerInterval(), 5000);
    EXPECT_TRUE(P().TimerEnabled());
    P().ScanTick();
    EXPECT_EQ(P().TimerInterval(), 15000);
    EXPECT_TRUE(P().TimerEnabled());
}

TEST_F(ScanTest, OneEventPerTickRemindersFirstInListOrder)
{
    THoliminder* b = AddBinding(Today() + 3, u"Анна", Today());
    TReminder* first = AddReminder(u"Первое", At(2026, 3, 2, 9, 0));
    TReminder* second = AddReminder(u"Второе", At(2026, 3, 2, 8, 0));
    AddReminder(u"Позже", At(2026, 3, 2, 9, 6));

    P().ScanTick();
    EXPECT_EQ(window_.ShownCount(), 1);
    EXPECT_EQ(ShownID(), first->FID);
    P().ScanTick(); // the window is busy
    EXPECT_EQ(window_.ShownCount(), 1);

    EXPECT_TRUE(P().AnswerNotification(first->FID, 2).close);
    window_.CloseNotification();
    P().ScanTick();
    EXPECT_EQ(ShownID(), second->FID);
    P().AnswerNotification(second->FID, 4); // switched off
    window_.CloseNotification();
    P().ScanTick();
    EXPECT_EQ(ShownID(), b->FID);
    EXPECT_EQ(window_.ShownCount(), 3);
}

TEST_F(ScanTest, NothingComesUpWhileADialogIsOpen)
{
    AddReminder(u"Первое", At(2026, 3, 2, 9, 0));
    P().SetDialogOpen(true);
    P().ScanTick();
    EXPECT_EQ(window_.ShownCount(), 0);
    P().SetDialogOpen(false);
    P().ScanTick();
    EXPECT_EQ(window_.ShownCount(), 1);
}

TEST_F(ScanTest, BindingsWithNobodyToGreetOrNotYetDueAreNotShown)
{
    AddBinding(Today() + 3, u"  ", Today());
    AddBinding(Today() + 5, u"Борис", Today() + 2);
    auto* disabled = AddReminder(u"Выключено", At(2026, 3, 2, 8));
    disabled->FEnabled = 0;
    auto* nothing = AddReminder(u"Ничего", At(2026, 3, 2, 8));
    nothing->FNext = 0;
    P().ScanTick();
    EXPECT_EQ(window_.ShownCount(), 0);
    clock_.Set(Today() + 2);
    P().ScanTick();
    EXPECT_EQ(window_.ShownCount(), 1);
    EXPECT_NE(window_.Last()->Text.find(u"Борис"), std::u16string::npos);
}

TEST_F(ScanTest, ReminderNotificationContents)
{
    TReminder* r = AddReminder(u"Купить <хлеб>", At(2026, 3, 2, 9, 0));
    P().ScanTick();
    ASSERT_TRUE(window_.Last());
    const TNotification& n = *window_.Last();
    EXPECT_EQ(n.Caption, u"Напоминание");
    EXPECT_EQ(n.Text, u"<font size=+1>Купить &lt;хлеб&gt;</font>");
    EXPECT_EQ(n.CloseCode, 2);
    EXPECT_EQ(n.Sound, r->FSound);
    EXPECT_EQ(n.Menu, &menu_);
    EXPECT_EQ(n.MenuButton, u"1|17|Напомнить позже...");
    const std::array<std::u16string, 5> buttons = {u"2|15|ОК", u"4|24|Отключить", u"3|14|Редактировать...",
                                                    u"5|16|Удалить...", u"6|26|Помощь..."};
    EXPECT_EQ(n.Buttons, buttons);
    EXPECT_EQ(P().ShowReminderNotification(nullptr), 501);
    EXPECT_EQ(P().ShowHolidayNotification(nullptr), 501);
}

TEST_F(ScanTest, SnoozeMenuFollowsTheHourAndTheKind)
{
    struct Case {
        int hour, minute, kind;
        std::vector<int> hidden;
    } cases[] = {
        {9, 5, ReminderOnce, {}},
        {13, 59, ReminderOnce, {}},
        {14, 30, ReminderOnce, {170}},
        {16, 0, ReminderOnce, {170, 180}},
        {9, 5, ReminderDaily, {200, 300, 500, 800}},
        {16, 0, ReminderWeekDays, {170, 180, 200, 300, 500, 800}},
        {9, 5, ReminderMonthly, {800}},
        {9, 5, ReminderYearly, {}},
    };
    for (const Case& c : cases) {
        clock_.Set(At(2026, 3, 2, c.hour, c.minute));
        TReminder r;
        r.FKind = c.kind;
        P().ShowReminderNotification(&r);
        EXPECT_EQ(menu_.HiddenCodes(), c.hidden) << c.hour << ":" << c.minute << " kind " << c.kind;
        window_.CloseNotification();
    }
}

TEST_F(ScanTest, HolidayNotificationOffersCongratulationOnTheDay)
{
    THoliminder* b = AddBinding(Today() + 3, u"Анна, Борис", Today());
    P().ScanTick();
    ASSERT_TRUE(window_.Last());
    TNotification n = *window_.Last();
    EXPECT_EQ(n.Caption, u"Напоминание о празднике");
    EXPECT_EQ(n.CloseCode, 7);
    EXPECT_EQ(n.Sound, "");
    EXPECT_EQ(n.Menu, nullptr);
    EXPECT_EQ(n.MenuButton, u"");
    EXPECT_EQ(n.Buttons, (std::array<std::u16string, 5>{u"7|15|ОК", u"9|26|Помощь...", u"", u"", u""}));
    EXPECT_EQ(n.Text, HolidayHtml(3, u"День рождения", u"Анна, Борис"));

    window_.CloseNotification();
    clock_.Set(Today() + 3);
    P().ShowHolidayNotification(b);
    n = *window_.Last();
    EXPECT_EQ(n.Buttons, (std::array<std::u16string, 5>{u"8|27|Поздравить...", u"7|15|ОК", u"9|26|Помощь...", u"", u""}));
    EXPECT_NE(n.Text.find(u"Cегодня:"), std::u16string::npos);
}

TEST_F(ScanTest, ReminderAnswers)
{
    TReminder* daily = AddReminder(u"Каждый день", At(2026, 3, 2, 9, 0), ReminderDaily);
    const int32_t id = daily->FID;

    TNotificationAnswer a = P().AnswerNotification(id, 2); // OK at 09:05
    EXPECT_TRUE(a.close);
    EXPECT_EQ(daily->FNext, At(2026, 3, 3, 9, 0));

    a = P().AnswerNotification(id, 110);
    EXPECT_TRUE(a.close);
    EXPECT_NEAR(daily->FNext, At(2026, 3, 2, 9, 15), 1e-9);

    a = P().AnswerNotification(id, 3);
    EXPECT_TRUE(a.close);
    EXPECT_EQ(a.editReminder, id);

    a = P().AnswerNotification(id, 6);
    EXPECT_FALSE(a.close);
    EXPECT_EQ(a.helpPage, "dlg_notify.htm");

    // A code that is no snooze choice changes nothing.
    const TDateTime before = daily->FNext;
    a = P().AnswerNotification(id, 7);
    EXPECT_FALSE(a.close);
    EXPECT_EQ(daily->FNext, before);

    a = P().AnswerNotification(id, 4);
    EXPECT_TRUE(a.close);
    EXPECT_EQ(daily->FEnabled, 0);

    // Deleting asks first; the deletion closes the window showing it.
    P().ShowReminderNotification(daily);
    a = P().AnswerNotification(id, 5);
    EXPECT_FALSE(a.close);
    EXPECT_TRUE(a.confirmDelete);
    EXPECT_FALSE(window_.Available());
    EXPECT_TRUE(P().DeleteReminder(id));
    EXPECT_TRUE(window_.Available());
    EXPECT_EQ(P().Reminders().Count(), 0);
    EXPECT_FALSE(P().DeleteReminder(id));

    // Reminder codes for an identifier that is gone keep the window.
    EXPECT_FALSE(P().AnswerNotification(id, 2).close);

    // Every answer was saved by the window's subscriber.
    TReminderList saved;
    saved.LoadFromFile(dir_.File("reminders.dat"));
    EXPECT_EQ(saved.Count(), 0);
}

TEST_F(ScanTest, HolidayAnswers)
{
    THoliminder* b = AddBinding(Today() + 3, u"Анна", Today());
    const int32_t id = b->FID;
    // Acknowledged before the day: once more on the day itself.
    EXPECT_TRUE(P().AnswerNotification(id, 7).close);
    EXPECT_EQ(b->FNotifyAt, Today() + 3);
    // Acknowledged on the day: no more.
    clock_.Set(Today() + 3 + 0.5);
    EXPECT_TRUE(P().AnswerNotification(id, 7).close);
    EXPECT_EQ(b->FNotifyAt, 0);

    b->FNotifyAt = Today();
    TNotificationAnswer a = P().AnswerNotification(id, 8);
    EXPECT_TRUE(a.close);
    EXPECT_EQ(a.congratulate, id);
    EXPECT_EQ(b->FNotifyAt, 0);

    a = P().AnswerNotification(id, 9);
    EXPECT_FALSE(a.close);
    EXPECT_EQ(a.helpPage, "dlg_notifyh.htm");

    // Holiday codes for a binding that is gone close the window; others keep it.
    EXPECT_TRUE(P().AnswerNotification(9999, 7).close);
    EXPECT_TRUE(P().AnswerNotification(9999, 8).close);
    EXPECT_FALSE(P().AnswerNotification(9999, 8).congratulate.has_value());
    EXPECT_FALSE(P().AnswerNotification(9999, 42).close);

    // The bindings file follows every answer.
    THoliminderList saved;
    saved.LoadFromFile(dir_.File("holidays.tmp"));
    ASSERT_EQ(saved.Count(), 1);
    EXPECT_EQ(saved.Get(0)->FNotifyAt, 0);
}

TEST_F(ScanTest, RemovingTheShownRecordClosesTheWindow)
{
    THoliminder* b = AddBinding(Today() + 3, u"Анна", Today());
    AddReminder(u"Другое", At(2026, 3, 2, 10, 0));
    P().ScanTick();
    ASSERT_EQ(ShownID(), b->FID);
    P().Reminders().Delete(0); // not the one on show
    EXPECT_FALSE(window_.Available());
    P().Bindings().Remove(b);
    EXPECT_TRUE(window_.Available());
}

} // namespace
