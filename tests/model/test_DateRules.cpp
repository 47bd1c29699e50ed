#include "core/Clock.h"
#include "core/DateTime.h"
#include "model/DateRules.h"
#include "model/OrthodoxEaster.h"

#include <gtest/gtest.h>

#include <string>

using namespace orlinda;

namespace {

// Installs a fixed clock for one test and restores the system clock afterwards.
class FixedNow {
public:
    explicit FixedNow(TDateTime now) : clock_(now) { SetClock(&clock_); }
    ~FixedNow() { SetClock(nullptr); }
    void Set(TDateTime now) { clock_.Set(now); }

private:
    TFixedClock clock_;
};

std::string Show(TDateTime day)
{
    if (day <= 0)
        return std::to_string(static_cast<long long>(day));
    return FormatIsoDateTime(day).substr(0, 10);
}

// Orthodox Easter worked out a second way: Meeus's Julian algorithm gives the Julian date,
// and the Julian calendar runs y/100 - y/400 - 2 days behind the Gregorian one in the spring
// of year y.
TDateTime MeeusOrthodoxEaster(int y)
{
    const int a = y % 4, b = y % 7, c = y % 19;
    const int d = (19 * c + 15) % 30;
    const int e = (2 * a + 4 * b - d + 34) % 7;
    const int month = (d + e + 114) / 31;
    const int day = (d + e + 114) % 31 + 1;
    return EncodeDate(y, month, day) + (y / 100 - y / 400 - 2);
}

} // namespace

TEST(RuleDate, EveryRuleForm)
{
    struct Case { const char* rule; int year; const char* expected; };
    const Case cases[] = {
        {"8.3", 2026, "2026-03-08"},
        {" 8 . 3 ", 2026, "2026-03-08"},
        {"31.12", 2027, "2027-12-31"},
        {"29.2", 2024, "2024-02-29"},
        {"0.7.7", 2026, "2026-07-26"},     // last Sunday of July
        {"3.7.6", 2026, "2026-06-21"},     // third Sunday of June
        {"1.1.10", 2027, "2027-10-04"},    // first Monday of October
        {" 2 . 7 . 8 ", 2026, "2026-08-09"},
        {"0.5.2", 2026, "2026-02-27"},     // last Friday of February
        {"0", 2026, "2026-01-01"},
        {"255", 2026, "2026-09-13"},       // the 256th day of a common year
        {"255", 2024, "2024-09-12"},       // and of a leap year
        {"59", 2024, "2024-02-29"},
        {"59", 2025, "2025-03-01"},
        {" 59 ", 2025, "2025-03-01"},
        {"-1", 2026, "2025-12-31"},
        {"Easter", 2013, "2013-05-05"},
        {"Easter+49", 2016, "2016-06-19"}, // Trinity
        {"Easter+-7", 2026, "2026-04-05"}, // Palm Sunday
        {"Easter + 39", 2026, "2026-05-21"},
        {"Orthodox Easter", 2026, "2026-04-12"},
        {"Easter+9", 2027, "2027-05-11"},  // Radonitsa
    };
    for (const auto& c : cases)
        EXPECT_EQ(Show(RuleDate(c.rule, c.year)), c.expected) << '"' << c.rule << "\" " << c.year;
}

TEST(RuleDate, FailuresGiveMinusOneAndMissingWeekdaysZero)
{
    struct Case { const char* rule; int year; double expected; };
    const Case cases[] = {
        {"abc", 2026, -1},
        {"", 2026, -1},
        {"10+5", 2026, -1},        // a "+" without "Easter"
        {"29.2", 2025, -1},
        {"31.4", 2026, -1},
        {"0.3", 2026, -1},
        {"8.13", 2026, -1},
        {"8.x", 2026, -1},
        {"8.", 2026, -1},
        {"1.7.13", 2026, -1},      // no month 13
        {"1.7.0", 2026, -1},
        {"1.x.5", 2026, -1},
        {"1.2.3.4", 2026, -1},     // the month part is "3.4"
        {"Easter+", 2026, -1},
        {"Easter+x", 2026, -1},
        {"Easter.5", 2026, -1},
        {"easter", 2026, -1},      // "Easter" is case-sensitive
        {"99999999999", 2026, -1}, // does not fit
        {"5000000", 2026, -1},     // beyond the last day a date can have
        {"8.3", 0, -1},
        {"8.3", 10000, -1},
        {"5.1.2", 2026, 0},        // February 2026 has four Mondays
        {"1.8.5", 2026, 0},        // no weekday 8
        {"-1.7.5", 2026, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RuleDate(c.rule, c.year), c.expected) << '"' << c.rule << "\" " << c.year;
}

TEST(RuleDate, NegativeYearMeansTheClocksYear)
{
    FixedNow now(EncodeDateTime(2027, 6, 30, 23, 59, 0));
    EXPECT_EQ(Show(RuleDate("8.3", -1)), "2027-03-08");
    EXPECT_EQ(Show(RuleDate("Easter")), "2027-05-02");
    now.Set(EncodeDate(2026, 1, 1));
    EXPECT_EQ(Show(RuleDate("0.7.7", -5)), "2026-07-26");
}

TEST(OrthodoxEaster, MatchesTheKnownDates)
{
    struct Case { int year; int month; int day; };
    const Case known[] = {
        {2008, 4, 27}, {2009, 4, 19}, {2010, 4, 4}, {2011, 4, 24}, {2012, 4, 15},
        {2013, 5, 5}, {2014, 4, 20}, {2015, 4, 12}, {2016, 5, 1}, {2017, 4, 16},
        {2018, 4, 8}, {2019, 4, 28}, {2020, 4, 19},
        {1900, 4, 22}, {2021, 5, 2}, {2024, 5, 5}, {2025, 4, 20}, {2026, 4, 12},
        {2027, 5, 2}, {2028, 4, 16}, {2099, 4, 12},
    };
    for (const auto& k : known) {
        EXPECT_EQ(EasterDate(k.year), EncodeDate(k.year, k.month, k.day)) << k.year;
        EXPECT_EQ(RuleDate("Easter", k.year), EncodeDate(k.year, k.month, k.day)) << k.year;
    }
}

TEST(OrthodoxEaster, AgreesWithMeeusOverTheWholeRange)
{
    for (int year = kFirstEasterYear; year <= kLastEasterYear; ++year) {
        const TDateTime easter = EasterDate(year);
        ASSERT_EQ(easter, MeeusOrthodoxEaster(year)) << year;
        ASSERT_EQ(DayOfTheWeek(easter), 7) << year;
    }
    static_assert(kFirstEasterYear <= 1900 && kLastEasterYear >= 2099);
}

TEST(OrthodoxEaster, YearsOutsideTheRangeHaveNoEasterAndNoEasterHolidays)
{
    EXPECT_EQ(EasterDate(kFirstEasterYear - 1), -1);
    EXPECT_EQ(EasterDate(kLastEasterYear + 1), -1);
    EXPECT_EQ(EasterDate(0), -1);
    EXPECT_EQ(EasterDate(-2026), -1);
    EXPECT_GT(EasterDate(kFirstEasterYear), 0 - 200000);
    EXPECT_EQ(Show(EasterDate(kLastEasterYear)), Show(MeeusOrthodoxEaster(kLastEasterYear)));
    // An offset from a missing Easter is not a date either.
    EXPECT_EQ(RuleDate("Easter+49", kFirstEasterYear - 1), -1);
    EXPECT_EQ(RuleDate("Easter+-7", kLastEasterYear + 1), -1);
}

TEST(NthWeekdayOfMonth, CountsFromTheFirstAndZeroIsTheLast)
{
    struct Case { int n, w, m, year; const char* expected; };
    const Case cases[] = {
        {1, 7, 3, 2026, "2026-03-01"},  // the month starts on that weekday
        {5, 7, 3, 2026, "2026-03-29"},
        {0, 7, 3, 2026, "2026-03-29"},
        {0, 2, 3, 2026, "2026-03-31"},  // the month ends on it
        {4, 7, 2, 2026, "2026-02-22"},
        {5, 7, 2, 2026, "0"},
        {0, 1, 2, 2027, "2027-02-22"},
        {1, 0, 5, 2026, "0"},
        {1, 1, 0, 2026, "0"},
        {1, 1, 13, 2026, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Show(NthWeekdayOfMonth(c.n, c.w, c.m, c.year)), c.expected)
            << c.n << "." << c.w << "." << c.m << " " << c.year;
}

TEST(NextAnniversary, TodayCountsAndLeapDaysAreClamped)
{
    FixedNow now(EncodeDateTime(2027, 2, 1, 9, 0, 0));
    EXPECT_EQ(Show(NextAnniversary(EncodeDate(1988, 2, 29))), "2027-02-28");

    now.Set(EncodeDateTime(2026, 5, 10, 23, 0, 0));
    const TDateTime birthday = EncodeDateTime(1980, 5, 10, 7, 30, 0);
    EXPECT_EQ(FormatIsoDateTime(NextAnniversary(birthday)), "2026-05-10 07:30:00");
    now.Set(EncodeDate(2026, 5, 11));
    EXPECT_EQ(FormatIsoDateTime(NextAnniversary(birthday)), "2027-05-10 07:30:00");

    now.Set(EncodeDate(2027, 3, 1));   // past 28 February: next year, a leap year
    EXPECT_EQ(Show(NextAnniversary(EncodeDate(1988, 2, 29))), "2028-02-29");
    now.Set(EncodeDate(2026, 12, 31));
    EXPECT_EQ(Show(NextAnniversary(EncodeDate(2000, 1, 1))), "2027-01-01");
}

TEST(ClampedDate, CutsTheDayAndRunsMonthsIntoNextYears)
{
    struct Case { int y, m, d; const char* expected; };
    const Case cases[] = {
        {2026, 13, 31, "2027-01-31"},
        {2026, 2, 31, "2026-02-28"},
        {2024, 2, 30, "2024-02-29"},
        {2026, 4, 31, "2026-04-30"},
        {2026, 12, 31, "2026-12-31"},
        {2026, 24, 5, "2027-12-05"},
        {2026, 25, 5, "2028-01-05"},
        {2026, 0, 5, "0"},
        {2026, -3, 5, "0"},
        {2026, 5, 0, "0"},
        {0, 5, 5, "0"},
        {9999, 13, 1, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Show(ClampedDate(c.y, c.m, c.d)), c.expected) << c.y << "-" << c.m << "-" << c.d;
}

TEST(CalendarArithmetic, YearsAndSteps)
{
    const TDateTime birth = EncodeDate(1980, 5, 10);
    EXPECT_EQ(YearsBetween(birth, EncodeDate(2026, 5, 10)), 46);
    EXPECT_EQ(YearsBetween(EncodeDate(2026, 5, 9), birth), 45);
    EXPECT_EQ(YearsBetween(birth, birth), 0);
    EXPECT_EQ(YearsBetween(EncodeDateTime(1980, 5, 10, 7, 30, 0), EncodeDate(2026, 5, 10)), 46);
    EXPECT_EQ(YearsBetween(EncodeDate(2000, 2, 29), EncodeDate(2027, 2, 28)), 27);
    EXPECT_EQ(YearsBetween(EncodeDate(2000, 2, 29), EncodeDate(2027, 2, 27)), 26);
    EXPECT_EQ(YearsBetween(EncodeDate(2000, 2, 29), EncodeDate(2028, 2, 28)), 27);
    EXPECT_EQ(YearsBetween(EncodeDate(2025, 12, 31), EncodeDate(2026, 1, 1)), 0);

    const TDateTime t = EncodeDateTime(2026, 12, 31, 23, 30, 0);
    EXPECT_EQ(FormatIsoDateTime(IncMinute(t, 45)), "2027-01-01 00:15:00");
    EXPECT_EQ(FormatIsoDateTime(IncHour(t, -24)), "2026-12-30 23:30:00");
    EXPECT_EQ(FormatIsoDateTime(IncDay(t, 2)), "2027-01-02 23:30:00");
    EXPECT_EQ(FormatIsoDateTime(IncWeek(t)), "2027-01-07 23:30:00");
    EXPECT_EQ(YearOf(t), 2026);
    EXPECT_EQ(MonthOf(t), 12);
    EXPECT_EQ(DayOf(t), 31);
    EXPECT_EQ(DaysInMonthOf(EncodeDate(2024, 2, 10)), 29);
    EXPECT_EQ(DaysInMonthOf(EncodeDate(2026, 2, 10)), 28);
}
