#pragma once
// A project over a temporary folder with a fixed clock, its own settings list and a
// headless notification window, plus small record makers. Shared by the project tests.
#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/OptionsList.h"
#include "model/NotificationWindow.h"
#include "model/Project.h"
#include "model/SnoozeMenu.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace orlinda::test {

inline std::unique_ptr<TIdentity> Person(const std::string& key, const std::u16string& name, TDateTime birthday = 0,
                                         const std::string& holidays = "")
{
    auto p = std::make_unique<TIdentity>();
    p->FName = key;
    p->FDisplayName = name;
    p->FBirthday = birthday;
    p->FHolidays = holidays;
    return p;
}

inline std::unique_ptr<THoliday> Holiday(int number, const std::u16string& title, const std::string& rule, int hidden = 0)
{
    auto h = std::make_unique<THoliday>();
    h->FID = number;
    h->FName = std::to_string(number);
    h->FTitle = title;
    h->FRule = rule;
    h->FCategories = "State";
    h->FCountries = "Russian";
    h->FHidden = hidden;
    return h;
}

inline std::unique_ptr<TReminder> Reminder(const std::u16string& text, TDateTime start, int kind = ReminderOnce,
                                           const std::string& weekDays = "")
{
    auto r = std::make_unique<TReminder>();
    r->FName = "R" + std::to_string(static_cast<long long>(start * 1440));
    r->FText = text;
    r->FStart = start;
    r->FNext = start;
    r->FEnabled = 1;
    r->FKind = kind;
    r->FWeekDays = weekDays;
    r->FSound = "1|0|10|/tmp/ring.wav";
    return r;
}

inline TDateTime At(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0)
{
    return EncodeDateTime(y, m, d, hh, mm, ss);
}

// The project and its surroundings. The clock is installed for the fixture's life.
class ProjectTest : public ::testing::Test {
protected:
    explicit ProjectTest(TDateTime now = At(2026, 3, 2, 10, 0, 0)) : clock_(now, 100000) { SetClock(&clock_); }
    ~ProjectTest() override
    {
        project_.reset();
        SetClock(nullptr);
    }

    void SetUp() override { MakeProject(); }
    // Before the members of derived fixtures go: the project's workers may use them.
    void TearDown() override { project_.reset(); }

    virtual TProjectWorkers Workers() { return {}; }

    void MakeProject()
    {
        project_.reset();
        project_ = std::make_unique<TProject>(TProjectFiles::InFolder(dir_.Path()), Workers(), &settings_);
        project_->SetNotificationWindow(&window_);
        project_->SetDelayMenu(&menu_);
        // The main window's own subscribers save people and reminders after every change.
        project_->Identities().Subscribe(this, [this](void*, TNamedObject*, TNamedObjectEvent e) {
            if (e == TNamedObjectEvent::Added || e == TNamedObjectEvent::Removed || e == TNamedObjectEvent::Changed)
                project_->SaveIdentities();
            return TSubscriberResult::Continue;
        });
        project_->Reminders().Subscribe(this, [this](void*, TNamedObject*, TNamedObjectEvent e) {
            if (e == TNamedObjectEvent::Added || e == TNamedObjectEvent::Removed || e == TNamedObjectEvent::Changed)
                project_->SaveReminders();
            return TSubscriberResult::Continue;
        });
    }

    TProject& P() { return *project_; }
    TDateTime Today() const { return DateOf(clock_.Now()); }

    TempDir dir_;
    TFixedClock clock_;
    TOptionsList settings_;
    THeadlessNotificationWindow window_;
    TSnoozeMenu menu_;
    std::unique_ptr<TProject> project_;
};

} // namespace orlinda::test
