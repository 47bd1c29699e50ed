// The main window's three lists: rows following the lists' events, icon letters and hover
// hints, sorting and its saved state, filters, type-ahead, auto-fit and column layouts.
#include "core/Clock.h"
#include "core/DateTime.h"
#include "model/Holiminder.h"
#include "model/Identity.h"
#include "model/Reminder.h"
#include "ui/ListModels.h"
#include "ui/ListView.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace orlinda;

namespace {

const TDateTime kNow = EncodeDateTime(2026, 3, 10, 14, 30, 0); // a Tuesday

std::unique_ptr<TIdentity> Person(const std::u16string& name, bool female = false, int channel = 0,
                                  const std::string& email = "", const std::string& vk = "", TDateTime birthday = 0)
{
    auto p = std::make_unique<TIdentity>();
    p->FName = "P" + std::to_string(reinterpret_cast<uintptr_t>(p.get()));
    p->FDisplayName = name;
    p->FSex = female ? SexFemale : "";
    p->FEmail = email;
    p->FBirthday = birthday;
    p->SetIntOption(IdentityOptions::CongratType, channel);
    p->SetOption(IdentityOptions::URLVkontakte, vk);
    return p;
}

std::unique_ptr<TReminder> Reminder(const std::u16string& text, TDateTime next, int kind = ReminderOnce,
                                    const std::string& sound = "", bool enabled = true, const std::string& days = "")
{
    auto r = std::make_unique<TReminder>();
    r->FName = "R" + std::to_string(reinterpret_cast<uintptr_t>(r.get()));
    r->FText = text;
    r->FStart = next;
    r->FNext = next;
    r->FKind = kind;
    r->FSound = sound;
    r->FEnabled = enabled ? 1 : 0;
    r->FWeekDays = days;
    return r;
}

std::unique_ptr<THoliminder> Binding(const std::string& name, const std::u16string& title, TDateTime date,
                                     const std::string& countries = "Russian", const std::string& categories = "State",
                                     const std::u16string& names = u"")
{
    auto b = std::make_unique<THoliminder>();
    b->FName = name;
    b->FTitle = title;
    b->FDate = date;
    b->FCountries = countries;
    b->FCategories = categories;
    b->FNames = names;
    return b;
}

QStringList Column(TListView& view, int column)
{
    QStringList texts;
    for (int r = 0; r < view.Proxy()->rowCount(); ++r)
        texts << view.Proxy()->index(r, column).data().toString();
    return texts;
}

} // namespace

class TestListModels : public QObject {
    Q_OBJECT

    TFixedClock clock_{kNow, 100000};

private slots:
    void init()
    {
        clock_.Set(kNow);
        clock_.SetTick(100000);
        SetClock(&clock_);
    }
    void cleanup() { SetClock(nullptr); }

    void iconLettersAndHints_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("record");
        QTest::addColumn<QString>("letters");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("hint");
        // People: sex, channel, a warning when the channel's address is missing.
        QTest::newRow("woman on VKontakte without a page") << 0 << 0 << "WVv  " << 2
                                                           << "Не указан адрес страницы Вконтакте. Поздравления не будут отправляться";
        QTest::newRow("man by e-mail") << 0 << 1 << "ME   " << 1 << "Отправлять поздравление по E-mail";
        QTest::newRow("man without e-mail") << 0 << 2 << "MEe  " << 2
                                            << "Не указан E-mail. Поздравления не будут отправляться";
        QTest::newRow("woman on the Odnoklassniki forum") << 0 << 3 << "WFo  " << 0 << "Женщина";
        QTest::newRow("past the icons") << 0 << 1 << "ME   " << 3 << "";
        // Reminders: off, the kind only with a sound setting, the sound.
        QTest::newRow("off, without sound setting") << 2 << 0 << "D    " << 0 << "Напоминание отключено";
        QTest::newRow("weekdays, endless sound") << 2 << 1 << "wR   " << 0
                                                 << "Напоминать в следующие дни недели: Понедельник, Среда, Воскресенье";
        QTest::newRow("weekdays sound") << 2 << 1 << "wR   " << 1 << "Проигрывать звук бесконечно";
        QTest::newRow("daily, sound switched off") << 2 << 2 << "d    " << 0 << "Ежедневное напоминание";
        QTest::newRow("yearly, off, three plays") << 2 << 3 << "DyS  " << 2 << "Проиграть звук";
        // Holidays: countries, then categories.
        QTest::newRow("state holiday of both countries") << 3 << 0 << "RUs  " << 1 << "Отмечается на Украине";
        QTest::newRow("birthday") << 3 << 1 << "P    " << 0 << "Личный праздник";
        QTest::newRow("professional") << 3 << 2 << "Rp   " << 1 << "Профессиональный праздник";
    }

    void iconLettersAndHints()
    {
        QFETCH(int, kind);
        QFETCH(int, record);
        QFETCH(QString, letters);
        QFETCH(int, position);
        QFETCH(QString, hint);
        std::vector<std::unique_ptr<TNamedObject>> records;
        if (kind == 0) {
            records.push_back(Person(u"Анна", true, 1));
            records.push_back(Person(u"Иван", false, 0, "ivan@example.org"));
            records.push_back(Person(u"Пётр", false, 0));
            records.push_back(Person(u"Ольга", true, 4));
        } else if (kind == 2) {
            records.push_back(Reminder(u"a", kNow, ReminderOnce, "", false));
            records.push_back(Reminder(u"b", kNow, ReminderWeekDays, "1|0|10|x.wav", true, "731"));
            records.push_back(Reminder(u"c", kNow, ReminderDaily, "0|3|10|x.wav"));
            records.push_back(Reminder(u"d", kNow, ReminderYearly, "1|3|10|x.wav", false));
        } else {
            records.push_back(Binding("3", u"Новый год", kNow, "Russian,Ukrainian", "State"));
            records.push_back(Binding("1", u"День рождения", kNow, "", "Private"));
            records.push_back(Binding("40", u"День учителя", kNow, "Russian", "Professional"));
        }
        const auto listKind = static_cast<TListKind>(kind);
        const TNamedObject& r = *records[static_cast<size_t>(record)];
        const QString got = IconLetters(RecordIcons(listKind, r));
        QCOMPARE(got, letters);
        QCOMPARE(IconHint(listKind, got[position], &r), hint);
    }

    void hoverHintFollowsTheIconUnderTheMouse()
    {
        TIdentityList list;
        list.Add(Person(u"Анна Смирнова", true, 1));
        TRecordListModel model(list, TListKind::People);
        TListView view(&model);
        view.resize(600, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QModelIndex cell = view.Proxy()->index(0, col::PersonIcons);
        const QRect r = view.visualRect(cell);
        QCOMPARE(view.HintAt(QPoint(r.left() + 2 * kIconWidth + 3, r.center().y())),
                 QStringLiteral("Не указан адрес страницы Вконтакте. Поздравления не будут отправляться"));
        QCOMPARE(view.HintAt(QPoint(r.left() + 5, r.center().y())), QStringLiteral("Женщина"));
        // A short name in a wide column has no hint; a name wider than its column has itself.
        const QRect name = view.visualRect(view.Proxy()->index(0, 0));
        view.setColumnWidth(0, 300);
        QCOMPARE(view.HintAt(QPoint(name.left() + 5, name.center().y())), QString());
        view.setColumnWidth(0, 30);
        QCOMPARE(view.HintAt(QPoint(name.left() + 5, name.center().y())), QStringLiteral("Анна Смирнова"));
    }

    void cellTexts()
    {
        auto r = Reminder(u"Позвонить\r\nмаме", EncodeDateTime(2026, 3, 10, 9, 5, 0));
        QCOMPARE(CellText(TListKind::Reminders, 0, *r, kNow), QStringLiteral("Позвонить маме"));
        QCOMPARE(CellText(TListKind::Reminders, 1, *r, kNow), QStringLiteral("9:05:00"));
        r->FNext = EncodeDateTime(2026, 3, 11, 18, 0, 0);
        QCOMPARE(CellText(TListKind::Reminders, 1, *r, kNow), QStringLiteral("11.03.2026 18:00:00"));
        r->FNext = 0;
        QCOMPARE(CellText(TListKind::Reminders, 1, *r, kNow), QString());
        auto p = Person(u"Анна");
        QCOMPARE(CellText(TListKind::People, 1, *p, kNow), QString());
        p->FBirthday = EncodeDate(1990, 3, 5);
        QCOMPARE(CellText(TListKind::People, 1, *p, kNow), QStringLiteral("05.03.1990"));
        auto b = Binding("3", u"x", EncodeDate(2026, 3, 17));
        QCOMPARE(CellText(TListKind::Holidays, col::HolidayDays, *b, kNow), QStringLiteral("7"));
    }

    void rowsFollowTheListEvents()
    {
        TReminderList list;
        bool loading = false;
        TRecordListModel model(list, TListKind::Reminders, [&] { return loading; });
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy added(&model, &TRecordListModel::recordAdded);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        list.Add(Reminder(u"one", kNow));
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(added.count(), 1);
        loading = true;
        list.Add(Reminder(u"two", kNow));
        QCOMPARE(added.count(), 1); // rows loaded from the file are not selected
        loading = false;

        // A bulk load arrives in one insertion.
        inserted.clear();
        model.BeginUpdate();
        for (int i = 0; i < 50; ++i)
            list.Add(Reminder(u"bulk", kNow));
        QCOMPARE(model.rowCount(), 2);
        model.EndUpdate();
        QCOMPARE(model.rowCount(), 52);
        QCOMPARE(inserted.count(), 1);

        TReminder* second = list.Get(1);
        second->FText = u"changed";
        list.Notify(second, TNamedObjectEvent::Changed);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("changed"));

        list.Delete(0);
        QCOMPARE(model.rowCount(), 51);
        QCOMPARE(model.Record(0), static_cast<TNamedObject*>(second));
        list.Clear();
        QCOMPARE(model.rowCount(), 0);
    }

    void aModelGoneBeforeItsListIsNotCalled()
    {
        TIdentityList list;
        {
            TRecordListModel model(list, TListKind::People);
            list.Add(Person(u"a"));
        }
        list.Add(Person(u"b")); // the subscriber of the gone model does nothing
        QCOMPARE(list.Count(), 2);
    }

    void holidayListSortsByDaysAndKeepsTheSortState()
    {
        THoliminderList list;
        list.Add(Binding("10", u"Б праздник", EncodeDate(2026, 3, 20)));
        list.Add(Binding("11", u"А праздник", EncodeDate(2026, 3, 12)));
        list.Add(Binding("1", u"В день рождения", EncodeDate(2026, 3, 15), "", "Private"));
        TRecordListModel model(list, TListKind::Holidays);
        TListView view(&model);
        QCOMPARE(FormatSortState(view.SortState()), std::string("-4"));
        QCOMPARE(Column(view, col::HolidayDays), (QStringList{"2", "5", "10"}));

        QSignalSpy saved(&view, &TListView::sortChangedByUser);
        view.HeaderClicked(col::HolidayDays);
        QCOMPARE(FormatSortState(view.SortState()), std::string("4"));
        QCOMPARE(Column(view, col::HolidayDays), (QStringList{"10", "5", "2"}));
        view.HeaderClicked(col::HolidayDate);
        QCOMPARE(FormatSortState(view.SortState()), std::string("-3"));
        QCOMPARE(Column(view, col::HolidayDate), (QStringList{"12.03.2026", "15.03.2026", "20.03.2026"}));
        view.HeaderClicked(col::HolidayTitle);
        QCOMPARE(Column(view, 0), (QStringList{"А праздник", "Б праздник", "В день рождения"}));
        // The icon column does not sort and leaves the state alone.
        view.HeaderClicked(col::HolidayIcons);
        QCOMPARE(FormatSortState(view.SortState()), std::string("-1"));
        QCOMPARE(saved.count(), 3);
        QCOMPARE(view.header()->sortIndicatorSection(), 0);

        // A changed record moves to its place.
        THoliminder* a = list.Get(1);
        a->FTitle = u"Я праздник";
        list.Notify(a, TNamedObjectEvent::Changed);
        QCOMPARE(Column(view, 0).last(), QStringLiteral("Я праздник"));
    }

    void emptyNamesAndMissingDatesSortLast()
    {
        TIdentityList list;
        list.Add(Person(u"", false, 0, "", "", EncodeDate(1980, 1, 1)));
        list.Add(Person(u"борис", false, 0, "", "", 0));
        list.Add(Person(u"Анна", false, 0, "", "", EncodeDate(1990, 1, 1)));
        TRecordListModel model(list, TListKind::People);
        TListView view(&model);
        QCOMPARE(Column(view, 0), (QStringList{"Анна", "борис", ""}));
        view.HeaderClicked(col::PersonBirthday);
        QCOMPARE(Column(view, 1), (QStringList{"01.01.1980", "01.01.1990", ""}));
    }

    void reminderFilters_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("all") << filter::RemindersAll << QStringList{"fired", "later today", "in 5 days", "in 20 days", "in 40 days", "off"};
        QTest::newRow("today") << filter::RemindersToday << QStringList{"later today"};
        // A one-time reminder that has fired (no due moment) counts as long past.
        QTest::newRow("a week ahead") << filter::RemindersWeek << QStringList{"fired", "later today", "in 5 days"};
        QTest::newRow("a month ahead") << filter::RemindersMonth
                                       << QStringList{"fired", "later today", "in 5 days", "in 20 days"};
        QTest::newRow("active only") << filter::RemindersActive
                                     << QStringList{"later today", "in 5 days", "in 20 days", "in 40 days"};
    }

    void reminderFilters()
    {
        QFETCH(int, filter);
        QFETCH(QStringList, shown);
        TReminderList list;
        list.Add(Reminder(u"fired", 0));
        list.Add(Reminder(u"later today", kNow + 0.1));
        list.Add(Reminder(u"in 5 days", kNow + 5));
        list.Add(Reminder(u"in 20 days", kNow + 20));
        list.Add(Reminder(u"in 40 days", kNow + 40));
        list.Add(Reminder(u"off", kNow + 50, ReminderOnce, "", false));
        TRecordListModel model(list, TListKind::Reminders);
        TListView view(&model);
        view.SetSortState({-1, false});
        view.SetFilter(filter);
        QCOMPARE(Column(view, 0), shown);
    }

    void aFilterThatHidesTheSelectedRowClearsTheSelection()
    {
        THoliminderList list;
        list.Add(Binding("10", u"сегодня", kNow));
        list.Add(Binding("11", u"через 10 дней", kNow + 10));
        TRecordListModel model(list, TListKind::Holidays);
        TListView view(&model);
        QCOMPARE(view.Proxy()->Filter(), filter::HolidaysMonth);
        QVERIFY(view.SelectRecord(list.Get(1)));
        QCOMPARE(view.SelectedRecord(), static_cast<TNamedObject*>(list.Get(1)));
        view.SetFilter(filter::HolidaysWeek);
        QCOMPARE(view.SelectedRecord(), nullptr);
        QCOMPARE(Column(view, 0), QStringList{"сегодня"});
        view.SetFilter(filter::HolidaysMonth);
        QCOMPARE(view.Proxy()->rowCount(), 2);
        QCOMPARE(view.SelectedRecord(), nullptr);
    }

    void typeAheadWithItsOneSecondReset()
    {
        TIdentityList list;
        list.Add(Person(u"Анна Смирнова"));
        list.Add(Person(u"Иван Петров"));
        list.Add(Person(u"Пётр Иванов", false, 0, "", "", EncodeDate(1985, 7, 14)));
        list.Add(Person(u"Ольга Ветрова"));
        TRecordListModel model(list, TListKind::People);
        TListView view(&model);
        auto selected = [&] {
            auto* p = dynamic_cast<TIdentity*>(view.SelectedRecord());
            return p ? QString::fromStdU16String(p->FDisplayName) : QString();
        };
        // "в" then "е" within a second: the first visible name holding "ве".
        QVERIFY(view.TypeAhead(QStringLiteral("в"), 1000));
        QCOMPARE(selected(), QStringLiteral("Анна Смирнова"));
        QVERIFY(view.TypeAhead(QStringLiteral("е"), 1900));
        QCOMPARE(view.TypeAheadBuffer().Buffer(), QStringLiteral("ве"));
        QCOMPARE(selected(), QStringLiteral("Ольга Ветрова"));
        // After more than a second a new search starts ("веп" would find nobody).
        QVERIFY(view.TypeAhead(QStringLiteral("П"), 3000));
        QCOMPARE(view.TypeAheadBuffer().Buffer(), QStringLiteral("п"));
        QCOMPARE(selected(), QStringLiteral("Иван Петров"));
        // Birthdays are searched as their date text.
        QVERIFY(view.TypeAhead(QStringLiteral("14.07"), 5000));
        QCOMPARE(selected(), QStringLiteral("Пётр Иванов"));
        // Characters outside the searchable set do nothing.
        QVERIFY(!view.TypeAhead(QStringLiteral("ё!"), 7000));
        QCOMPARE(selected(), QStringLiteral("Пётр Иванов"));
    }

    void autoFitWidths_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<int>>("widths");
        const int p = IconColumnWidth(TListKind::People);
        const int h = IconColumnWidth(TListKind::Holidays);
        QTest::newRow("people") << 0 << 600 << QList<int>{600 - p - 125, 100, p};
        QTest::newRow("reminders") << 2 << 600 << QList<int>{600 - p - 160, 135, p};
        // r = W - 165: from 240 on name and people share it; below they get 16 more each.
        QTest::newRow("holidays, wide") << 3 << 900 << QList<int>{(900 - h - 165) / 2, (900 - h - 165) / 2, 80, 60, h};
        QTest::newRow("holidays, narrow") << 3 << 500
                                          << QList<int>{(500 - h - 165) / 2 + 16, (500 - h - 165) / 2 + 16, 80, 28, h};
        QTest::newRow("holidays, r = 239 truncates towards zero") << 3 << 239 + 165 + h
                                                                  << QList<int>{119 + 16, 119 + 16, 80, 28, h};
    }

    void autoFitWidths()
    {
        QFETCH(int, kind);
        QFETCH(int, width);
        QFETCH(QList<int>, widths);
        const std::vector<int> got = AutoFitWidths(static_cast<TListKind>(kind), width);
        QCOMPARE(QList<int>(got.begin(), got.end()), widths);
    }

    void columnLayoutRoundTrip()
    {
        THoliminderList list;
        TRecordListModel model(list, TListKind::Holidays);
        TListView view(&model);
        view.header()->moveSection(view.header()->visualIndex(col::HolidayDays), 0);
        view.setColumnWidth(col::HolidayTitle, 210);
        view.setColumnWidth(col::HolidayNames, 190);
        const std::string order = view.ColumnOrderText();
        const std::string widths = view.ColumnWidthsText();
        QCOMPARE(order, std::string("4,1,2,3,5"));

        TRecordListModel model2(list, TListKind::Holidays);
        TListView other(&model2);
        other.RestoreColumnLayout(order, widths);
        QCOMPARE(other.ColumnOrderText(), order);
        QCOMPARE(other.ColumnWidthsText(), widths);
        QCOMPARE(other.columnWidth(col::HolidayTitle), 210);
        // A malformed key keeps what came before the bad entry, and the defaults after it.
        TRecordListModel model3(list, TListKind::Holidays);
        TListView third(&model3);
        third.RestoreColumnLayout("2,x,1", "");
        QCOMPARE(third.header()->visualIndex(col::HolidayNames), 0);
    }
};

QTEST_MAIN(TestListModels)
#include "test_ListModels.moc"
