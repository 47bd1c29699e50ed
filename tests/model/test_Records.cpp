// The five record classes: their stored field order, Clear and Assign, the identity number,
// the option form of a greeting, and loading their files.
#include "model/Greeting.h"
#include "model/Holiday.h"
#include "model/Holiminder.h"
#include "model/Identity.h"
#include "model/Reminder.h"

#include "core/Clock.h"
#include "core/Error.h"
#include "core/OptionsList.h"
#include "core/RecordKey.h"
#include "core/TypedStream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <regex>

using namespace orlinda;

namespace {

// The typed stream written out by hand, independently of the stream writers.
std::string Le32(uint32_t v)
{
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}
std::string I(int32_t v)
{
    return '\x01' + Le32(4) + Le32(static_cast<uint32_t>(v));
}
std::string R(double d)
{
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    return '\x03' + Le32(8) + Le32(static_cast<uint32_t>(bits)) + Le32(static_cast<uint32_t>(bits >> 32));
}
std::string A(const std::string& s)
{
    return '\x05' + Le32(static_cast<uint32_t>(s.size())) + s;
}
std::string W(const std::u16string& s)
{
    std::string out = '\x06' + Le32(static_cast<uint32_t>(2 * s.size()));
    for (char16_t c : s) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

std::string Saved(const TNamedObject& record)
{
    TBytesWriteStream stream;
    record.SaveToStream(stream);
    return stream.TakeBytes();
}

struct RecordCase {
    const char* kind;
    std::function<std::unique_ptr<TNamedObject>()> create;  // an empty record of the class
    std::function<void(TNamedObject&)> fill;
    std::string expected;
};

std::vector<RecordCase> RecordCases()
{
    return {
        {"TIdentity", [] { return std::make_unique<TIdentity>(); },
         [](TNamedObject& o) {
             auto& r = dynamic_cast<TIdentity&>(o);
             r.FID = 7;
             r.FName = "01AC0902B7";
             r.FDisplayName = u"Иван Петров";
             r.FSex = "";
             r.FBirthday = 29221.0;
             r.FMarriageDate = 38000.25;
             r.FMarriageCongrat = 1;
             r.FSpouse = "01AC0902B8";
             r.FHolidays = "3=+\r\n10=+\r\n";
             r.FEmail = "ivan@example.org";
             r.FReserved1 = "r1";
             r.FReserved2 = "r2";
             r.FReserved3 = "\xC0";
             r.FReserved4 = "r4";
             r.FOptions = "FStyle=1\r\nCongratType=2\r\n";
         },
         I(7) + A("01AC0902B7") + W(u"Иван Петров") + A("") + R(29221.0) + R(38000.25) + I(1) + A("01AC0902B8") +
             A("3=+\r\n10=+\r\n") + A("ivan@example.org") + A("r1") + A("r2") + A("\xC0") + A("r4") +
             A("FStyle=1\r\nCongratType=2\r\n")},
        {"TReminder", [] { return std::make_unique<TReminder>(); },
         [](TNamedObject& o) {
             auto& r = dynamic_cast<TReminder&>(o);
             r.FID = -3;
             r.FName = "01AC0902B9";
             r.FText = u"Позвонить маме";
             r.FStart = 46000.75;
             r.FNext = 46001.75;
             r.FEnabled = 1;
             r.FKind = ReminderWeekDays;
             r.FWeekDays = "135";
             r.FReservedInt = 42;
             r.FSound = "1|0|10|/usr/share/sounds/ring.wav";
             r.FReserved1 = "a";
             r.FReserved2 = "b";
         },
         I(-3) + A("01AC0902B9") + W(u"Позвонить маме") + R(46000.75) + R(46001.75) + I(1) + I(2) + A("135") +
             I(42) + A("1|0|10|/usr/share/sounds/ring.wav") + A("a") + A("b")},
        {"THoliday", [] { return std::make_unique<THoliday>(); },
         [](TNamedObject& o) {
             auto& r = dynamic_cast<THoliday&>(o);
             r.FID = 12;
             r.FName = "12";
             r.FTitle = u"День учителя";
             r.FRule = "10.05";
             r.FDate = 46300.0;
             r.FCategories = "Professional";
             r.FHidden = 0;
             r.FSex = "Female";
             r.FCountries = "Russian,Ukrainian";
             r.FReservedText = u"x";
             r.FOptions = "UID=77\r\n";
         },
         I(12) + A("12") + W(u"День учителя") + A("10.05") + R(46300.0) + A("Professional") + I(0) + A("Female") +
             A("Russian,Ukrainian") + W(u"x") + A("UID=77\r\n")},
        {"THoliminder", [] { return std::make_unique<THoliminder>(); },
         [](TNamedObject& o) {
             auto& r = dynamic_cast<THoliminder&>(o);
             r.FID = 1;
             r.FName = BirthdayBindingName;
             r.FTitle = BirthdayTitle;
             r.FDate = 46000.0;
             r.FNotifyAt = 45997.0;
             r.FCountries = "";
             r.FCategories = PrivateCategory;
             r.FRecipients = "01AC0902B7=%D0%98%D0%B2%D0%B0%D0%BD\r\n";
             r.FNames = u"Иван";
             r.FReserved1 = "";
             r.FReserved2 = "z";
         },
         I(1) + A("1") + W(u"День рождения") + R(46000.0) + R(45997.0) + A("") + A("Private") +
             A("01AC0902B7=%D0%98%D0%B2%D0%B0%D0%BD\r\n") + W(u"Иван") + A("") + A("z")},
        {"TGreeting", [] { return std::make_unique<TGreeting>(); },
         [](TNamedObject& o) {
             auto& r = dynamic_cast<TGreeting&>(o);
             r.FID = 9;
             r.FName = "01AC0902BA";
             r.FWishID = 1234;
             r.FHolidayID = 1;
             r.FIdentityCRC = -858328503;
             r.FText = u"С днём рождения!";
             r.FSubject = u"Поздравление";
             r.FRecipient = "ivan@example.org";
             r.FSender = "Оля";
             r.FType = GreetingEmail;
             r.FStatus = GreetingFailed;
             r.FDate = 46000.0;
             r.FErrorStr = "timeout";
             r.FOptions = "k=v\r\n";
         },
         I(9) + A("01AC0902BA") + I(1234) + I(1) + I(-858328503) + W(u"С днём рождения!") + W(u"Поздравление") +
             A("ivan@example.org") + A("Оля") + I(0) + I(3) + R(46000.0) + A("timeout") + A("k=v\r\n")},
    };
}

} // namespace

TEST(Records, FieldsAreStoredInTheirOrder)
{
    for (const auto& c : RecordCases()) {
        SCOPED_TRACE(c.kind);
        auto record = c.create();
        c.fill(*record);
        EXPECT_EQ(Saved(*record), c.expected);
        EXPECT_EQ(record->GetStreamSize(), static_cast<int64_t>(c.expected.size()));

        // Reading the bytes back gives the same record.
        auto loaded = c.create();
        TBytesReadStream in(c.expected);
        loaded->LoadFromStream(in);
        EXPECT_EQ(in.Position(), in.Size());
        EXPECT_EQ(Saved(*loaded), c.expected);
    }
}

TEST(Records, ClearEmptiesEveryFieldButKeepsTheOwner)
{
    TIdentityList list;
    for (const auto& c : RecordCases()) {
        SCOPED_TRACE(c.kind);
        auto record = c.create();
        const std::string empty = Saved(*record);
        c.fill(*record);
        int marker = 0;
        record->FData = &marker;
        record->FOwner = &list;
        record->Clear();
        EXPECT_EQ(Saved(*record), empty);
        EXPECT_EQ(record->FID, -1);
        EXPECT_EQ(record->FData, nullptr);
        EXPECT_EQ(record->FOwner, &list);
    }
    // The cleared values themselves: -1 for FID, 0 and empty for everything else.
    EXPECT_EQ(Saved(TIdentity()), I(-1) + A("") + W(u"") + A("") + R(0) + R(0) + I(0) + A("") + A("") + A("") +
                                      A("") + A("") + A("") + A("") + A(""));
}

TEST(Records, AssignCopiesOwnFieldsOnlyFromItsOwnClass)
{
    TIdentityList list;
    int node = 0;
    for (const auto& c : RecordCases()) {
        SCOPED_TRACE(c.kind);
        auto source = c.create();
        c.fill(*source);
        source->FOwner = &list;
        source->FData = &node;

        auto copy = c.create();
        copy->Assign(source.get());
        EXPECT_EQ(Saved(*copy), c.expected);
        EXPECT_EQ(copy->FOwner, &list);
        EXPECT_EQ(copy->FData, &node);

        // Null changes nothing.
        copy->Assign(nullptr);
        EXPECT_EQ(Saved(*copy), c.expected);

        // A plain named object carries only the four base fields.
        TNamedObject base;
        base.FID = 99;
        base.FName = "base";
        auto fromBase = c.create();
        c.fill(*fromBase);
        fromBase->Assign(&base);
        EXPECT_EQ(fromBase->FID, 99);
        EXPECT_EQ(fromBase->FName, "base");
        EXPECT_EQ(fromBase->FOwner, nullptr);
        auto ownFields = [](const TNamedObject& r) { return Saved(r).substr(I(0).size() + A(r.FName).size()); };
        EXPECT_EQ(ownFields(*fromBase), ownFields(*source));
    }

    // A record of another class is not a source of an identity's own fields.
    TReminder reminder;
    reminder.FID = 5;
    reminder.FName = "r";
    reminder.FText = u"text";
    TIdentity person;
    person.FDisplayName = u"Анна";
    person.Assign(&reminder);
    EXPECT_EQ(person.FID, 5);
    EXPECT_EQ(person.FName, "r");
    EXPECT_EQ(person.FDisplayName, u"Анна");
}

TEST(Records, IdentityNumberIsTheCrcOfTheTrimmedUtf8Name)
{
    // CRC-32 of the UTF-8 bytes of "Иван Петров" is 0xCCD70D49, a negative 32-bit integer.
    EXPECT_EQ(IdentityCRC(u"Иван Петров"), -858328503);
    EXPECT_EQ(IdentityCRC(u" \t Иван Петров\r\n "), -858328503);
    EXPECT_EQ(IdentityCRC(u"Иван"), 281254866);
    // Blanks inside the name count.
    EXPECT_NE(IdentityCRC(u"Иван  Петров"), -858328503);
    EXPECT_EQ(IdentityCRC(u""), 0);

    TIdentity person;
    person.FDisplayName = u"  Иван Петров ";
    EXPECT_EQ(person.IdentityCRC(), -858328503);
}

TEST(Records, IdentityOptions)
{
    TIdentity person;
    EXPECT_EQ(person.CongratType(), GreetingEmail);  // a person without a channel gets e-mail
    person.FOptions = "FStyle=1\r\nFTarget=4\r\nCongratType=3\r\nURLVkontakte=https://vk.com/id1\r\n"
                      "URLOdnoklassniki=%C8%E2%E0%ED\r\n";
    EXPECT_EQ(person.Style(), 1);
    EXPECT_EQ(person.Target(), 4);
    EXPECT_EQ(person.CongratType(), 3);
    EXPECT_EQ(person.URLVkontakte(), "https://vk.com/id1");
    EXPECT_EQ(person.URLOdnoklassniki(), "\xC8\xE2\xE0\xED");

    person.FOptions = "CongratType=x\r\n";
    EXPECT_EQ(person.CongratType(), 0);

    person.SetIntOption(IdentityOptions::Style, 1);
    person.SetOption(IdentityOptions::CongratType, "");
    EXPECT_EQ(person.FOptions, "FStyle=1\r\n");

    EXPECT_FALSE(person.GreetsOnHoliday(3));
    person.SetGreetsOnHoliday(3, true);
    person.SetGreetsOnHoliday(10, true);
    EXPECT_EQ(person.FHolidays, "3=+\r\n10=+\r\n");
    EXPECT_TRUE(person.GreetsOnHoliday(10));
    person.SetGreetsOnHoliday(3, false);
    EXPECT_EQ(person.FHolidays, "10=+\r\n");

    person.FSex = SexFemale;
    EXPECT_TRUE(person.IsFemale());
}

TEST(Records, GreetingOptionForm)
{
    TGreeting g;
    g.FID = 3;
    g.FName = "01AC0902BA";
    g.FWishID = 1234;
    g.FHolidayID = 2;
    g.FIdentityCRC = -858328503;
    g.FText = u"С днём\r\n50%";
    g.FSubject = u"Тема";
    g.FRecipient = "https://vk.com/id1";
    g.FSender = "\xCE\xEB\xFF";  // "Оля" in Windows-1251
    g.FType = GreetingVkontakteWall;
    g.FStatus = GreetingSending;
    g.FDate = EncodeDateTime(2026, 12, 9, 0, 0, 0);
    g.FErrorStr = "";
    g.FOptions = "a=b\r\n";

    TOptionsList options;
    g.ToOptions(&options);
    EXPECT_EQ(options.Text(), "FWishID=1234\r\n"
                              "FHolidayID=2\r\n"
                              "FIdentityCRC=-858328503\r\n"
                              "FText=%D0%A1 %D0%B4%D0%BD%D1%91%D0%BC%0D%0A50%25\r\n"
                              "FSubject=%D0%A2%D0%B5%D0%BC%D0%B0\r\n"
                              "FRecipient=https://vk.com/id1\r\n"
                              "FSender=%CE%EB%FF\r\n"
                              "FType=2\r\n"
                              "FStatus=1\r\n"
                              "FDate=2026-12-09 00:00:00\r\n"
                              "FOptions=a=b%0D%0A\r\n");
    EXPECT_EQ(options.GetValue("FText"), "\xD0\xA1 \xD0\xB4\xD0\xBD\xD1\x91\xD0\xBC\r\n50%");

    // Into a list that already has some of the keys: the lines are replaced in place.
    TOptionsList command;
    command.SetValue("Skin", "Office");
    command.SetValue("FStatus", "0");
    g.FDate = EncodeDateTime(2027, 1, 2, 13, 4, 5);
    g.ToOptions(&command);
    EXPECT_EQ(command.Line(0), "Skin=Office");
    EXPECT_EQ(command.Line(1), "FStatus=1");
    EXPECT_EQ(command.GetValue("FDate"), "2027-01-02 13:04:05");

    g.ToOptions(nullptr);  // ignored
}

TEST(Records, HolidayHelpers)
{
    THoliday h;
    h.FID = 15;
    h.FCategories = "State, professional";
    h.FCountries = "Russian";
    EXPECT_TRUE(h.HasCategory(HolidayKeys::State));
    EXPECT_TRUE(h.HasCategory("PROFESSIONAL"));
    EXPECT_FALSE(h.HasCategory(HolidayKeys::Religion));
    EXPECT_FALSE(h.HasCategory("Stat"));
    EXPECT_TRUE(h.HasCountry(HolidayKeys::Russian));
    EXPECT_FALSE(h.HasCountry(HolidayKeys::Ukrainian));
    EXPECT_EQ(h.ServiceUID(), "15");
    h.FOptions = "UID=a77\r\n";
    EXPECT_EQ(h.ServiceUID(), "a77");
}

TEST(Records, SoundSetting)
{
    struct Case {
        const char* text;
        bool enabled;
        int plays, pause;
        const char* file;
    } cases[] = {
        {"1|0|10|C:\\Windows\\Media\\ring.wav", true, 0, 10, "C:\\Windows\\Media\\ring.wav"},
        {"0|3|5|a.wav", false, 3, 5, "a.wav"},  // off, but keeps count, pause and file
        {"1|x|-4|b.wav", true, 1, 10, "b.wav"}, // unreadable plays read as 1, bad pause as 10
        {"1|-2|y|c|d.wav", true, -2, 10, "c|d.wav"},
        {"", false, 1, 10, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TSoundSetting s = TSoundSetting::Parse(c.text);
        EXPECT_EQ(s.enabled, c.enabled);
        EXPECT_EQ(s.plays, c.plays);
        EXPECT_EQ(s.pause, c.pause);
        EXPECT_EQ(s.file, c.file);
    }
    EXPECT_EQ(TSoundSetting::Parse("0|3|5|a.wav").Text(), "0|3|5|a.wav");
    EXPECT_TRUE(TSoundSetting::Parse("1|-1|5|a.wav").RepeatsUntilAnswered());

    TReminder r;
    r.FWeekDays = "135";
    EXPECT_TRUE(r.HasWeekDay(1));
    EXPECT_FALSE(r.HasWeekDay(2));
    EXPECT_FALSE(r.HasWeekDay(0));
}

// Each file's list: an empty file is an empty list, a file cut inside a record keeps the
// records before it, and the loaded items are of the list's record class.
template <class List>
class RecordFile : public testing::Test {};

template <class List>
std::unique_ptr<TNamedObject> Filled(int i)
{
    using Item = std::remove_pointer_t<decltype(std::declval<List>().Get(0))>;
    auto item = std::make_unique<Item>();
    item->FID = i;
    item->FName = "key" + std::to_string(i);
    return item;
}

using FileLists = testing::Types<TIdentityList, TReminderList, THolidayList, THoliminderList, TGreetingList>;
TYPED_TEST_SUITE(RecordFile, FileLists);

TYPED_TEST(RecordFile, CutInsideARecordKeepsTheRecordsBefore)
{
    std::string bytes;
    for (int i = 0; i < 3; ++i)
        bytes += Saved(*Filled<TypeParam>(i));
    const int64_t recordSize = Filled<TypeParam>(0)->GetStreamSize();
    ASSERT_EQ(static_cast<int64_t>(bytes.size()), 3 * recordSize);

    test::TempDir dir;
    // Whole file, empty file, cut inside the third record's last value and inside its FID.
    struct Case {
        int64_t size;
        int records;
        bool fails;
    } cases[] = {{3 * recordSize, 3, false}, {0, 0, false}, {3 * recordSize - 1, 2, true}, {2 * recordSize + 3, 2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        test::WriteFile(dir.File("f.dat"), bytes.substr(0, static_cast<size_t>(c.size)));
        TypeParam list;
        if (c.fails) {
            try {
                list.LoadFromFile(dir.File("f.dat"));
                ADD_FAILURE() << "no error";
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()), "Error reading data from stream");
            }
        } else {
            list.LoadFromFile(dir.File("f.dat"));
        }
        ASSERT_EQ(list.Count(), c.records);
        for (int i = 0; i < c.records; ++i) {
            EXPECT_EQ(list.Get(i)->FID, i);
            EXPECT_EQ(list.FindByName("key" + std::to_string(i)), list.Get(i));
        }
        list.SaveToFile(dir.File("again.dat"));
        EXPECT_EQ(test::ReadFile(dir.File("again.dat")), bytes.substr(0, static_cast<size_t>(c.records * recordSize)));
    }
}

TEST(Records, NewRecordKeyShape)
{
    TFixedClock clock(EncodeDateTime(2026, 12, 9, 10, 30, 0));
    SetClock(&clock);
    const std::regex shape("01AC09[0-9A-F]{4,5}");
    for (int i = 0; i < 20; ++i) {
        std::string key = NewRecordKey();
        EXPECT_TRUE(std::regex_match(key, shape)) << key;
    }
    clock.Set(EncodeDateTime(2000, 1, 1, 0, 0, 0));
    EXPECT_TRUE(std::regex_match(NewRecordKey(), std::regex("000101[0-9A-F]{4,5}")));
    SetClock(nullptr);
}
