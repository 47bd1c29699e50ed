// The holiday bindings: birthdays, anniversaries and holidays of the coming 31 days with
// the people to greet on them.
#include "ProjectFixture.h"

#include "core/Utf8.h"

using namespace orlinda;
using namespace orlinda::test;

namespace {

class BindingsTest : public ProjectTest {
protected:
    THoliminder* Find(const std::string& name, TDateTime day)
    {
        for (int i = 0; i < P().Bindings().Count(); ++i) {
            THoliminder* b = P().Bindings().Get(i);
            if (b->FName == name && b->FDate == day)
                return b;
        }
        return nullptr;
    }
    int CountOf(const std::string& name)
    {
        int n = 0;
        for (int i = 0; i < P().Bindings().Count(); ++i)
            n += P().Bindings().Get(i)->FName == name;
        return n;
    }
    void AddHoliday(int number, const std::string& rule, int hidden = 0)
    {
        P().Holidays().Add(Holiday(number, u"Праздник " + std::u16string(1, u'0' + number % 10), rule, hidden));
    }
};

TEST_F(BindingsTest, PeopleBornOnTheSameDayShareOneBinding)
{
    P().Identities().Add(Person("K1", u"Анна", At(1980, 3, 5)));
    P().Identities().Add(Person("K2", u"Без даты"));
    P().Identities().Add(Person("K3", u"Борис\r\nПетрович", At(1991, 3, 5)));
    P().Identities().Add(Person("K4", u"Вера", At(1975, 3, 20)));

    ASSERT_EQ(CountOf("1"), 2);
    THoliminder* b = Find("1", At(2026, 3, 5));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->FTitle, u"День рождения");
    EXPECT_EQ(b->FCategories, "Private");
    EXPECT_EQ(b->FNames, u"Анна, Борис Петрович");
    TOptionsList recipients;
    recipients.SetText(b->FRecipients);
    EXPECT_EQ(recipients.Count(), 2);
    EXPECT_EQ(Utf8DecodeWide(recipients.GetValue("K1")), u"Анна");
    EXPECT_EQ(Utf8DecodeWide(recipients.GetValue("K3")), u"Борис\r\nПетрович");
    // Notified three days ahead at midnight: that is today.
    EXPECT_EQ(b->FNotifyAt, At(2026, 3, 2));
    EXPECT_EQ(Find("1", At(2026, 3, 20))->FNotifyAt, At(2026, 3, 17));

    // A person who moves away from the day leaves it; the last one takes the binding with him.
    P().Identities().Get(0)->FBirthday = At(1980, 6, 1);
    P().Identities().Notify(P().Identities().Get(0), TNamedObjectEvent::Changed);
    EXPECT_EQ(Find("1", At(2026, 3, 5))->FNames, u"Борис Петрович");
    P().Identities().Delete(2);
    EXPECT_EQ(Find("1", At(2026, 3, 5)), nullptr);
}

TEST_F(BindingsTest, AnniversariesNeedTheFlag)
{
    auto a = Person("A", u"Ольга");
    a->FMarriageDate = At(2001, 3, 10);
    a->FMarriageCongrat = 0;
    auto b = Person("B", u"Игорь");
    b->FMarriageDate = At(2001, 3, 10);
    b->FMarriageCongrat = 1;
    P().Identities().Add(std::move(a));
    P().Identities().Add(std::move(b));
    THoliminder* w = Find("2", At(2026, 3, 10));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->FTitle, u"Годовщина свадьбы");
    EXPECT_EQ(w->FNames, u"Игорь");
    EXPECT_EQ(CountOf("1"), 0);
}

class LeapDayTest : public BindingsTest {
protected:
    LeapDayTest() { clock_.Set(At(2027, 2, 10, 12)); }
};

TEST_F(LeapDayTest, LeapDayBirthdayFallsOnTheTwentyEighth)
{
    P().Identities().Add(Person("L", u"Високосный", At(1988, 2, 29)));
    EXPECT_NE(Find("1", At(2027, 2, 28)), nullptr);
}

TEST_F(BindingsTest, TheRangeRunsFromTodayToThirtyOneDaysAhead)
{
    const TDateTime today = Today();
    struct Case {
        int offset;
        bool bound;
    } cases[] = {{-1, false}, {0, true}, {31, true}, {32, false}};
    for (const Case& c : cases) {
        const CivilDate d = DecodeDate(today + c.offset);
        AddHoliday(10 + c.offset + 1, std::to_string(d.day) + "." + std::to_string(d.month));
    }
    P().ComputeHolidayDates();
    P().RebuildBindings();
    for (const Case& c : cases)
        EXPECT_EQ(CountOf(std::to_string(10 + c.offset + 1)), c.bound ? 1 : 0) << "offset " << c.offset;

    // Today's holiday is notified from today's midnight.
    EXPECT_EQ(Find("11", today)->FNotifyAt, today);
    EXPECT_EQ(Find("11", today)->FCountries, "Russian");
    EXPECT_EQ(Find("11", today)->FCategories, "State");
    // Yesterday's date passed, so it is next year's; a hidden holiday gets nothing.
    EXPECT_EQ(P().Holidays().FindByName("10")->FDate, today - 1 + 365);
    AddHoliday(60, "10.3", 1);
    P().ComputeHolidayDates();
    P().RebuildBindings();
    EXPECT_EQ(CountOf("60"), 0);
}

TEST_F(BindingsTest, RebuildPrunesPastDuplicateAndOrphanedBindings)
{
    AddHoliday(3, "8.3");
    P().ComputeHolidayDates();
    auto add = [&](const std::string& name, TDateTime date) {
        auto b = std::make_unique<THoliminder>();
        b->FName = name;
        b->FDate = date;
        b->FNotifyAt = date;
        b->FNames = u"x";
        P().Bindings().Add(std::move(b));
    };
    add("1", Today() - 1);       // yesterday: goes
    add("1", Today());           // today: stays (nobody has the day, so the personal pass drops it)
    add("3", At(2026, 3, 8));    // the holiday's binding
    add("3", At(2026, 3, 8));    // its duplicate: goes
    add("99", At(2026, 3, 9));   // no such holiday: goes
    P().Identities().Add(Person("T", u"Сегодняшний", At(1990, 3, 2)));

    ASSERT_EQ(P().Bindings().Count(), 2);
    EXPECT_NE(Find("1", Today()), nullptr);
    EXPECT_EQ(CountOf("3"), 1);
    EXPECT_EQ(Find("1", Today())->FNames, u"Сегодняшний");
    // The kept holiday binding keeps its own notification moment.
    EXPECT_EQ(Find("3", At(2026, 3, 8))->FNotifyAt, At(2026, 3, 8));
}

TEST_F(BindingsTest, HolidayRecipientsComeFromThePeoplesSelections)
{
    AddHoliday(3, "8.3");
    AddHoliday(4, "23.3");
    P().ComputeHolidayDates();
    P().Identities().Add(Person("A", u"Анна", 0, "3=+\r\n4=+\r\n"));
    P().Identities().Add(Person("B", u"Белла", 0, "4=+\r\n3=+\r\n3=+\r\n"));
    P().Identities().Add(Person("C", u"Карл", 0, "3=-\r\n1=+\r\n"));

    EXPECT_EQ(Find("3", At(2026, 3, 8))->FNames, u"Анна, Белла");
    EXPECT_EQ(Find("4", At(2026, 3, 23))->FNames, u"Анна, Белла");
    EXPECT_EQ(Find("3", At(2026, 3, 8))->FRecipients, "A=%D0%90%D0%BD%D0%BD%D0%B0\r\nB=%D0%91%D0%B5%D0%BB%D0%BB%D0%B0");
    // "1=+" in a selection does not make Карл a birthday recipient.
    EXPECT_EQ(CountOf("1"), 0);

    // Unticking everybody leaves the holiday with nobody to greet.
    for (int i = 0; i < 2; ++i) {
        P().Identities().Get(i)->FHolidays = "4=+\r\n";
        P().Identities().Notify(P().Identities().Get(i), TNamedObjectEvent::Changed);
    }
    EXPECT_EQ(Find("3", At(2026, 3, 8))->FNames, u"");
    EXPECT_EQ(Find("3", At(2026, 3, 8))->FRecipients, "");
}

TEST_F(BindingsTest, BindingsAreSavedAndTheirHolidaysCheckedAtTheNextStart)
{
    AddHoliday(3, "8.3");
    AddHoliday(4, "23.3");
    P().ComputeHolidayDates();
    P().Identities().Add(Person("A", u"Анна", At(1980, 3, 5), "3=+\r\n4=+\r\n"));
    ASSERT_EQ(P().Bindings().Count(), 3);
    P().SaveIdentities();
    const std::string saved = ReadFile(dir_.File("holidays.tmp"));
    EXPECT_FALSE(saved.empty());

    // Next start: holidays.dat without holiday 4.
    THolidayList calendar;
    calendar.Add(Holiday(3, u"Восьмое марта", "8.3"));
    calendar.SaveToFile(dir_.File("holidays.dat"));
    MakeProject();
    EXPECT_TRUE(P().LoadIdentities());
    EXPECT_TRUE(P().LoadBindings());
    EXPECT_EQ(P().Bindings().Count(), 3);
    EXPECT_EQ(ReadFile(dir_.File("holidays.tmp")), saved); // loading wrote nothing
    EXPECT_TRUE(P().LoadHolidays());
    EXPECT_EQ(CountOf("4"), 0);
    EXPECT_EQ(CountOf("3"), 1);
    EXPECT_EQ(Find("3", At(2026, 3, 8))->FTitle, u"Праздник 3"); // the binding kept from the file
    THoliminderList reread;
    reread.LoadFromFile(dir_.File("holidays.tmp"));
    EXPECT_EQ(reread.Count(), 2);
}

TEST_F(BindingsTest, MissingCalendarStillGivesPersonalBindings)
{
    P().Identities().Add(Person("A", u"Анна", At(1980, 3, 5)));
    MakeProject(); // users.dat was saved by the window's subscriber
    EXPECT_TRUE(P().LoadIdentities());
    EXPECT_FALSE(P().LoadHolidays());
    EXPECT_EQ(CountOf("1"), 1);
}

TEST_F(BindingsTest, IdentityNumbersFindPeople)
{
    P().Identities().Add(Person("A", u"  Анна "));
    P().Identities().Add(Person("B", u"Борис"));
    EXPECT_EQ(P().FindIdentityByCRC(IdentityCRC(u"Анна")), P().Identities().Get(0));
    EXPECT_EQ(P().FindIdentityByCRC(IdentityCRC(u"Борис")), P().Identities().Get(1));
    EXPECT_EQ(P().FindIdentityByCRC(IdentityCRC(u"Никто")), nullptr);
}

} // namespace
