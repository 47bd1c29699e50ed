// The small Russian texts of notifications and the snooze menu's entries.
#include "model/NotificationTexts.h"
#include "model/SnoozeMenu.h"

#include <gtest/gtest.h>

using namespace orlinda;

namespace {

TEST(NotificationTexts, RelativeDayText)
{
    struct Case {
        int days;
        std::u16string text;
    } cases[] = {
        {0, u"Cегодня"}, {1, u"Завтра"}, {2, u"Послезавтра"}, {-1, u"Вчера был"}, {-2, u"Позавчера был"},
        {3, u"Через 3 дня"}, {5, u"Через 5 дней"}, {11, u"Через 11 дней"}, {12, u"Через 12 дней"},
        {14, u"Через 14 дней"}, {21, u"Через 21 день"}, {22, u"Через 22 дня"}, {25, u"Через 25 дней"},
        {31, u"Через 31 день"}, {111, u"Через 111 дней"}, {-5, u"5 дней назад был"}, {-3, u"3 дня назад был"},
        {-21, u"21 день назад был"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RelativeDayText(c.days), c.text) << c.days;
    // "Cегодня" starts with a Latin C.
    EXPECT_EQ(RelativeDayText(0)[0], u'C');
}

TEST(NotificationTexts, PeopleCountText)
{
    struct Case {
        int n;
        std::u16string text;
    } cases[] = {
        {0, u""}, {-4, u""}, {1, u"1 человек"}, {3, u"3 человека"}, {5, u"5 человек"}, {6, u"6 человек"},
        {11, u"11 человек"}, {12, u"12 человек"}, {14, u"14 человек"}, {21, u"21 человек"},
        {22, u"22 человека"}, {112, u"112 человек"}, {124, u"124 человека"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PeopleCountText(c.n), c.text) << c.n;
}

TEST(NotificationTexts, BodiesShowTextsAsWritten)
{
    EXPECT_EQ(ReminderHtml(u"Позвонить маме"), u"<font size=+1>Позвонить маме</font>");
    EXPECT_EQ(ReminderHtml(u"a < b & c\r\nвторая"), u"<font size=+1>a &lt; b &amp; c<br>вторая</font>");
    EXPECT_EQ(HolidayHtml(3, u"День рождения", u"Анна, Борис"),
              u"<font size=2><center>Через 3 дня:</center></font><font size=3><center><b>День рождения</b></center>"
              u"</font><br><font size=2><center>Не забудьте поздравить:</center><font><font size=2><center><b>"
              u"Анна, Борис</b></center></font>");
}

TEST(SnoozeMenu, EntriesHideWithTheirSubmenus)
{
    TSnoozeMenu menu;
    ASSERT_EQ(menu.Entries().size(), 18u);
    EXPECT_EQ(menu.Find(260)->caption, u"После обеда");
    EXPECT_EQ(menu.Find(260)->parent, 200);
    EXPECT_TRUE(menu.Find(220)->separatorAfter);
    menu.Hide(200);
    menu.Hide(170);
    EXPECT_FALSE(menu.IsShown(200));
    EXPECT_FALSE(menu.IsShown(240));  // inside the hidden submenu
    EXPECT_TRUE(menu.IsVisible(240)); // its own flag is untouched
    EXPECT_TRUE(menu.IsShown(340));
    EXPECT_EQ(menu.HiddenCodes(), (std::vector<int>{170, 200}));
    menu.ShowAll();
    EXPECT_TRUE(menu.HiddenCodes().empty());
    EXPECT_FALSE(menu.IsShown(999));
}

} // namespace
