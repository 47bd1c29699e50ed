#include "ui/DemoData.h"

#include "core/OptionsList.h"
#include "core/RecordKey.h"
#include "core/Windows1251.h"
#include "model/Holiday.h"
#include "model/Identity.h"
#include "model/Paths.h"
#include "model/Reminder.h"
#include "platform/Folders.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace orlinda {

namespace {

struct TDemoPerson {
    const char16_t* name;
    bool female;
    int birthdayInDays; // from today; the year goes back by age
    int age;
    int channel;        // CongratType
    const char* email;
    const char* vk;
    const char16_t* ok;
};

// Birthdays today, tomorrow and in the coming days; channels of every kind, and a few
// people whose address is missing so the warning icons show.
const TDemoPerson kPeople[] = {
    {u"Анна Смирнова", true, 0, 29, 0, "anna.smirnova@example.org", "", u""},
    {u"Игорь Петров", false, 1, 41, 1, "", "https://vk.com/id100200", u""},
    {u"Мария Кузнецова", true, 3, 35, 2, "", "", u""},
    {u"Сергей Волков", false, 6, 52, 0, "", "", u""},
    {u"Елена Морозова", true, 12, 24, 3, "", "", u"Елена Морозова"},
    {u"Дмитрий Соколов", false, 20, 38, 4, "", "", u""},
    {u"Ольга Лебедева", true, 45, 31, 0, "olga.lebedeva@example.org", "", u""},
    {u"Павел Новиков", false, 80, 47, 0, "pavel@example.org", "", u""},
};

std::string Path(const char* text)
{
    return text;
}

std::string MediaFile(const char* name)
{
    const std::string file = AppPaths().MediaFolder + name;
    return IsExistingFile(file) ? file : std::string();
}

std::string Sound(bool on, int plays, int pause, const std::string& file)
{
    if (file.empty())
        return {};
    TSoundSetting s;
    s.enabled = on;
    s.plays = plays;
    s.pause = pause;
    s.file = Utf16ToCp1251(std::u16string(file.begin(), file.end()));
    return s.Text();
}

} // namespace

std::string MakeDemoDataRoot()
{
    char pattern[] = "/tmp/orlinda-demo-XXXXXX";
    if (!::mkdtemp(pattern))
        return {};
    return pattern;
}

void RemoveDemoDataRoot(const std::string& root)
{
    namespace fs = std::filesystem;
    if (root.rfind("/tmp/orlinda-demo-", 0) != 0)
        return;
    std::error_code ec;
    fs::remove_all(root, ec);
}

bool WriteDemoData(TDateTime now)
{
    const TAppPaths& paths = AppPaths();
    CreateFolders();
    const TDateTime today = std::floor(now);

    // The calendar's holidays for everybody, and those for men or women only.
    THolidayList holidays;
    try {
        if (IsExistingFile(paths.HolidaysFile))
            holidays.LoadFromFile(paths.HolidaysFile);
    } catch (...) {
    }

    TIdentityList people;
    for (const TDemoPerson& d : kPeople) {
        auto p = std::make_unique<TIdentity>();
        p->FName = NewRecordKey();
        p->FDisplayName = d.name;
        p->FSex = d.female ? SexFemale : "";
        const CivilDate day = DecodeDate(today + d.birthdayInDays);
        const int year = day.year - d.age;
        // 29 February of a year that has none.
        const int dom = IsValidDate(year, day.month, day.day) ? day.day : 28;
        p->FBirthday = EncodeDate(year, day.month, dom);
        p->FEmail = d.email;
        p->SetIntOption(IdentityOptions::CongratType, d.channel);
        p->SetOption(IdentityOptions::URLVkontakte, Path(d.vk));
        p->SetOption(IdentityOptions::URLOdnoklassniki, Utf16ToCp1251(d.ok));
        p->SetIntOption(IdentityOptions::Style, d.age > 45 ? 1 : 0);
        for (int i = 0; i < holidays.Count(); ++i) {
            const THoliday* h = holidays.Get(i);
            if (h->IsHidden())
                continue;
            if (!h->FSex.empty() && (h->FSex == "Female") != d.female)
                continue;
            p->SetGreetsOnHoliday(h->FID, true);
        }
        people.Add(std::move(p));
    }
    // A married couple: the anniversary in nine days.
    TIdentity* wife = people.Get(0);
    TIdentity* husband = people.Get(1);
    wife->FSpouse = husband->FName;
    husband->FSpouse = wife->FName;
    const CivilDate wedding = DecodeDate(today + 9);
    wife->FMarriageDate = husband->FMarriageDate =
        EncodeDate(wedding.year - 5, wedding.month, std::min(wedding.day, 28));
    wife->FMarriageCongrat = husband->FMarriageCongrat = 1;

    TReminderList reminders;
    auto add = [&](const char16_t* text, TDateTime start, int kind, const char* weekDays, bool enabled,
                   std::string sound) {
        auto r = std::make_unique<TReminder>();
        r->FName = NewRecordKey();
        r->FText = text;
        r->FStart = start;
        r->FNext = start;
        r->FKind = kind;
        r->FWeekDays = weekDays;
        r->FEnabled = enabled ? 1 : 0;
        r->FSound = std::move(sound);
        reminders.Add(std::move(r));
    };
    // Due a minute after the start, with a sound played three times.
    add(u"Позвонить маме и поздравить Анну с днём рождения", now + 1.0 / 1440.0, ReminderOnce, "", true,
        Sound(true, 3, 5, MediaFile("Bell.wav")));
    add(u"Принять витамины", today + 9.0 / 24.0, ReminderDaily, "", true, Sound(true, 1, 10, MediaFile("Chime.wav")));
    add(u"Тренировка в бассейне", today + 19.0 / 24.0, ReminderWeekDays, "135", true,
        Sound(true, 0, 30, MediaFile("Ding-Dong.wav")));
    add(u"Оплатить интернет", today + 12.0 / 24.0, ReminderMonthly, "", false, Sound(false, 1, 10, MediaFile("Notify.wav")));
    add(u"Продлить страховку автомобиля", today + 20 + 10.0 / 24.0, ReminderYearly, "", true, {});
    add(u"Купить цветы", today + 1 + 18.0 / 24.0, ReminderOnce, "", true, Sound(true, 1, 10, MediaFile("Soft.wav")));

    try {
        people.SaveToFile(paths.UsersFile);
        reminders.SaveToFile(paths.RemindersFile);
    } catch (...) {
        return false;
    }
    return true;
}

} // namespace orlinda
