// The project's holiday bindings: one binding per coming occasion within 31 days, bound to
// the people to greet on it. Lookups inside the loops go through hash indexes built once
// per pass, so a rebuild over thousands of people stays fast; the results are those of
// walking the lists.
#include "model/Project.h"

#include "core/Clock.h"
#include "core/OptionsList.h"
#include "core/TextUtils.h"
#include "core/Utf8.h"
#include "core/ValueEscaping.h"
#include "model/DateRules.h"

#include <cmath>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace orlinda {

namespace {

int64_t DayNumberOf(TDateTime moment)
{
    return static_cast<int64_t>(std::floor(moment));
}

std::string TrimBlanks(const std::string& text)
{
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

// The display name as one line of UTF-8: line breaks become spaces.
std::string NameLine(const std::u16string& name)
{
    std::u16string line;
    line.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == u'\r' && i + 1 < name.size() && name[i + 1] == u'\n')
            ++i;
        line += (name[i] == u'\r' || name[i] == u'\n') ? u' ' : name[i];
    }
    return Utf8EncodeWide(line);
}

// The people of one occasion: their keys with their names, and the names alone.
struct Recipients {
    TOptionsList people;
    std::string names; // one line per person, each followed by CR LF

    void Add(const TIdentity& person)
    {
        people.SetValue(person.FName, Utf8EncodeWide(person.FDisplayName));
        names += NameLine(person.FDisplayName);
        names += "\r\n";
    }
    void ApplyTo(THoliminder& binding) const
    {
        binding.FRecipients = TrimBlanks(people.Text());
        binding.FNames = Utf8DecodeWide(ReplaceAll(TrimBlanks(names), "\r\n", ", "));
    }
};

// Midnight of the notification day: three days before the occasion, or today when that has passed.
TDateTime NotifyMoment(TDateTime date, TDateTime now)
{
    TDateTime notify = date - TProject::kNotifyDaysAhead;
    if (notify < now)
        notify = now;
    return std::floor(notify);
}

int32_t NumberOf(const std::string& text)
{
    if (text.empty() || text.size() > 10)
        return 0;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        v = v * 10 + (c - '0');
    }
    return v > INT32_MAX ? 0 : static_cast<int32_t>(v);
}

} // namespace

void TProject::ComputeHolidayDates()
{
    const TDateTime today = DateOf(Now());
    const int year = DecodeDate(today).year;
    for (int i = holidays_->Count() - 1; i >= 0; --i) {
        THoliday* h = holidays_->Get(i);
        h->FDate = RuleDate(h->FRule, year);
        if (std::floor(h->FDate) < today)
            h->FDate = RuleDate(h->FRule, year + 1);
    }
}

void TProject::RebuildBindings()
{
    HoldBindingsSaves();
    struct Release {
        TProject* p;
        ~Release() { p->ReleaseBindingsSaves(); }
    } release{this};

    const TDateTime now = Now();
    const int64_t today = DayNumberOf(now);

    // 1. Prune: past or too far, holiday gone, or a second binding for the same occasion.
    try {
        std::unordered_set<std::string> holidayNames;
        holidayNames.reserve(static_cast<size_t>(holidays_->Count()) * 2);
        for (int i = 0; i < holidays_->Count(); ++i)
            holidayNames.insert(holidays_->Get(i)->FName);
        std::unordered_set<std::string> seen;
        for (int i = bindings_->Count() - 1; i >= 0; i = std::min(i - 1, bindings_->Count() - 1)) {
            THoliminder* b = bindings_->Get(i);
            const int64_t day = DayNumberOf(b->FDate);
            if (day < today || day > today + kBindingDays)
                bindings_->Delete(i);
            else if (!b->IsPersonal() && holidayNames.count(b->FName) == 0)
                bindings_->Delete(i);
            else if (!seen.insert(b->FName + "|" + std::to_string(day)).second)
                bindings_->Delete(i);
        }
    } catch (...) {
    }

    // 2. Birthdays and wedding anniversaries.
    BuildPersonalBindings(BirthdayBindingName, BirthdayTitle);
    BuildPersonalBindings(WeddingBindingName, WeddingTitle);

    // 3. A binding for each coming holiday that has none.
    if (holidays_->Count() > 0) {
        std::unordered_set<std::string> bound;
        for (int i = 0; i < bindings_->Count(); ++i)
            bound.insert(bindings_->Get(i)->FName);
        for (int i = 0; i < holidays_->Count(); ++i) {
            const THoliday* h = holidays_->Get(i);
            const int64_t day = DayNumberOf(h->FDate);
            if (h->FHidden != 0 || day < today || day > today + kBindingDays || bound.count(h->FName))
                continue;
            auto b = std::make_unique<THoliminder>();
            try {
                b->FName = h->FName;
                b->FTitle = h->FTitle;
                b->FDate = h->FDate;
                b->FCountries = h->FCountries;
                b->FCategories = h->FCategories;
                b->FNotifyAt = NotifyMoment(h->FDate, now);
                bindings_->Add(std::move(b));
                bound.insert(h->FName);
            } catch (...) {
            }
        }
    }

    // 4. The people to greet on each holiday.
    if (bindings_->Count() == 0)
        return;
    std::unordered_set<std::string> holidayBindings;
    for (int i = 0; i < bindings_->Count(); ++i) {
        const THoliminder* b = bindings_->Get(i);
        // Birthdays and anniversaries come from the people's dates, never from their holiday lists.
        if (!b->IsPersonal())
            holidayBindings.insert(b->FName);
    }
    std::unordered_map<std::string, Recipients> byHoliday;
    TOptionsList selection;
    std::unordered_set<std::string> taken;
    for (int p = 0; p < identities_->Count(); ++p) {
        const TIdentity* person = identities_->Get(p);
        if (person->FHolidays.empty())
            continue;
        try {
            selection.SetText(person->FHolidays);
            taken.clear();
            for (int l = 0; l < selection.Count(); ++l) {
                if (UnescapeValue(selection.Value(l)) != "+")
                    continue;
                const std::string number = selection.Name(l);
                // A holiday listed twice still greets the person once.
                if (holidayBindings.count(number) && taken.insert(number).second)
                    byHoliday[number].Add(*person);
            }
        } catch (...) {
        }
    }

    // 5. Recipients and names into the bindings; every binding is reported changed.
    for (int i = 0; i < bindings_->Count(); ++i) {
        THoliminder* b = bindings_->Get(i);
        try {
            auto it = byHoliday.find(b->FName);
            if (it != byHoliday.end()) {
                it->second.ApplyTo(*b);
            } else if (NumberOf(b->FName) > 2) {
                b->FRecipients.clear();
                b->FNames.clear();
            }
            bindings_->Notify(b, TNamedObjectEvent::Changed);
        } catch (...) {
        }
    }
}

void TProject::BuildPersonalBindings(const std::string& kind, const std::u16string& title)
{
    HoldBindingsSaves();
    struct Release {
        TProject* p;
        ~Release() { p->ReleaseBindingsSaves(); }
    } release{this};

    const TDateTime now = Now();
    const int64_t today = DayNumberOf(now);
    const bool wedding = kind == WeddingBindingName;

    // 1. The people whose day comes within the range, grouped by the day.
    std::vector<int64_t> days; // in the order the days first occur
    std::unordered_map<int64_t, Recipients> byDay;
    for (int p = 0; p < identities_->Count(); ++p) {
        const TIdentity* person = identities_->Get(p);
        const TDateTime date = wedding ? person->FMarriageDate : person->FBirthday;
        if (date == 0 || (wedding && person->FMarriageCongrat == 0))
            continue;
        const int64_t day = DayNumberOf(NextAnniversary(date));
        if (day < today || day > today + kBindingDays)
            continue;
        auto [it, added] = byDay.try_emplace(day);
        if (added)
            days.push_back(day);
        it->second.Add(*person);
    }

    // 2. Bindings of this kind whose day nobody has any more.
    for (int i = bindings_->Count() - 1; i >= 0; i = std::min(i - 1, bindings_->Count() - 1)) {
        const THoliminder* b = bindings_->Get(i);
        if (b->FName == kind && byDay.count(DayNumberOf(b->FDate)) == 0)
            bindings_->Delete(i);
    }

    // 3. One binding per day: the existing one updated, or a new one.
    std::unordered_map<int64_t, THoliminder*> existing;
    for (int i = 0; i < bindings_->Count(); ++i) {
        THoliminder* b = bindings_->Get(i);
        if (b->FName == kind)
            existing.try_emplace(DayNumberOf(b->FDate), b);
    }
    for (int64_t day : days) {
        const Recipients& people = byDay[day];
        auto it = existing.find(day);
        try {
            if (it == existing.end()) {
                auto b = std::make_unique<THoliminder>();
                b->FName = kind;
                b->FTitle = title;
                b->FDate = static_cast<TDateTime>(day);
                b->FCategories = PrivateCategory;
                b->FNotifyAt = NotifyMoment(b->FDate, now);
                people.ApplyTo(*b);
                bindings_->Add(std::move(b));
            } else {
                people.ApplyTo(*it->second);
                bindings_->Notify(it->second, TNamedObjectEvent::Changed);
            }
        } catch (...) {
        }
    }
}

TIdentity* TProject::FindIdentityByCRC(int32_t identityCRC) const
{
    for (int i = 0; i < identities_->Count(); ++i) {
        TIdentity* person = identities_->Get(i);
        if (person->IdentityCRC() == identityCRC)
            return person;
    }
    return nullptr;
}

} // namespace orlinda
